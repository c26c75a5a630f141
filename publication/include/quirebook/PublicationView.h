// The publication view: the workspace view with the text tools and in-place video playback.
// Keys, characters and timer ticks go to the current tool first; a double click edits a text or
// plays a video; frames of the playing video arrive as message kVideoFrameMessage from the
// player's thread and replace the video's picture.
#pragma once

#include <vectorloom/WorkspaceView.h>

#include "quirebook/TextTools.h"
#include "quirebook/VideoPlayerTool.h"

namespace GlyphweaveLib {
struct _CharsFontDesc;
}

namespace Quirebook {

class CPublicationView : public Vectorloom::CWorkspaceView {
  DECLARE_DYNCREATE(CPublicationView)
 public:
  CPublicationView();
  ~CPublicationView() override;

  static CDrawTextTool g_DrawTextTool;
  static CEditingTextTool g_EditingTextTool;
  static CVideoPlayerTool g_playVideoTool;

  // 1 when a text object is among the selected objects.
  int IsSelectedTextObjects() const;
  // Shows a face on the selected characters of the text being edited; the first preview backs
  // the characters' runs up in the view's preview scene (a scene of another kind is restored and
  // deleted first), so restoring the scene puts the original faces back.
  void PreviewChangeEditingTextObjFontFace(const GlyphweaveLib::_CharsFontDesc& desc);

  // Disables and enables the view's window.
  virtual void DisableViewWindow();
  virtual void EnableViewWindow();

  // A page imported from PDF has its text pieces merged when it is first shown.
  void SetRenderPage(Vectorloom::CRenderPage* pPage) override;
  // Event 13 (pages left the document): a text being edited that is no longer on the shown page
  // ends the editing.
  void ProcessEvent(int nEvent, LPARAM lParam) override;

  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg LRESULT OnVideoFrameUpdate(WPARAM wParam, LPARAM lParam);
  // Undo and redo while a text is edited keep it edited (the actions move the caret).
  afx_msg void OnEditUndo();
  afx_msg void OnEditRedo();

 protected:
  DECLARE_MESSAGE_MAP()
};

}  // namespace Quirebook

using Quirebook::CPublicationView;
