// The document's editing view: one page at a time on a grey desk, painted through an off-screen
// bitmap with its shadow, frame and selection marks, centred in the window, at one of eighteen
// zoom levels. Pages still in their file are read when they are first shown. New objects are
// named from counters that live as long as the program.
#pragma once

#include <set>

#include <afxwin.h>

#include <map>

#include <quirebook/PublicationView.h>

#include "OneValueDlgs.h"
#include "PageCommands.h"

class CLeafwrightDoc;
namespace Gdiplus {
class Graphics;
}
namespace Quirebook {
class CDrawingPage;
}
using Quirebook::CDrawingPage;

// Command ids of the view (in a namespace of their own: the ribbon names the same numbers).
namespace ViewCmd {
// Zoom command ids: the eighteen levels (12.5 % to 800 %), Zoom In and Zoom Out.
inline constexpr UINT kZoomActualSize = 32875;
inline constexpr UINT kZoomIn = 32873;
inline constexpr UINT kZoomOut = 32874;
inline constexpr UINT kZoomLevelFirst = 32856;  // 125 % ... 800 % are 32856 ... 32866
inline constexpr UINT kZoomLevelLast = 32872;   // 75 % ... 12.5 % are 32867 ... 32872

// Insert commands.
inline constexpr UINT kInsertText = 32775;
inline constexpr UINT kInsertImage = 32776;
inline constexpr UINT kInsertVideo = 32912;

// The custom-value commands.
inline constexpr UINT kCustomStrokeWidth = 32785;
inline constexpr UINT kCustomFillTransparency = 32780;
inline constexpr UINT kCustomStrokeTransparency = 32789;
inline constexpr UINT kCustomRotation = 32808;

// On/off properties of the selection or the edited characters.
inline constexpr UINT kBold = 105;
inline constexpr UINT kItalic = 106;
inline constexpr UINT kUnderline = 107;
inline constexpr UINT kStrikeOut = 120;
inline constexpr UINT kSubscript = 121;
inline constexpr UINT kSuperscript = 124;
inline constexpr UINT kFillInside = 32778;
inline constexpr UINT kStrokeOutline = 32787;
inline constexpr UINT kGrowFontSize = 103;
inline constexpr UINT kShrinkFontSize = 104;
inline constexpr UINT kLineSpacing = 153;  // the "Line:" spinner
}  // namespace ViewCmd

// The zoom levels: factors in ascending order with the command that selects each.
struct ZoomLevel {
  float fFactor;
  UINT nCommand;
};
inline constexpr int kZoomLevels = 18;
extern const ZoomLevel g_zoomLevels[kZoomLevels];
// Two factors differing by less than this are the same level.
inline constexpr double kZoomTolerance = 5.000000058430487e-8;
// The index probed last by a bisection for the factor (the level itself when it is one).
int FindZoomLevelIndex(float fFactor);
// The level a zoom step reaches from a factor: the next level in the asked direction, or the
// nearest level in that direction when the factor is between levels; the ends stay at the ends.
float StepZoomFactor(float fFactor, bool bIn);

// What a scroll step of dy pixels (down when positive) does in the page view: it scrolls within
// the page while the scroll range allows; at the end of the range it turns to the next or the
// previous page (shown from its top, or from its bottom when going back).
struct PageScrollStep {
  int nPageDelta = 0;   // -1, 0 or 1
  int nScrollY = 0;     // the vertical scroll position within the page that stays
  bool bToEnd = false;  // the page turned to shows its bottom
};
PageScrollStep StepPageScroll(int y, int maxY, int dy, int page, int pages);

// The name of a new object of the kind of a view event (5 shape, 8 text, 9 image, 12 group) from
// the application's counters; empty for other events.
CString NextObjectNameForEvent(int nEvent);

// Where a new video goes: its poster fitted into 80 % of the page (never enlarged), centred.
struct VideoPlacement {
  int cx = 0, cy = 0;
  float x = 0, y = 0;
};
// False for a poster without pixels (nothing is inserted then).
bool FitVideoOnPage(int nPosterWidth, int nPosterHeight, float fPageWidth, float fPageHeight, VideoPlacement& out);

class CLeafwrightView : public CPublicationView, public IPageEditingView, public IOneValuePreview {
  DECLARE_DYNCREATE(CLeafwrightView)

 public:
  CLeafwrightView();
  CLeafwrightDoc* GetDocument() const;

  // The shown page's index in the document (0 without pages) and the document's page count.
  int GetPageIndex() const;
  int GetPagesCount() const;
  // Shows page `index` (kept within the document's pages).
  void GoToPage(int index);
  // The page shown (null without pages).
  CDrawingPage* GetShownPage() const override;
  // Makes a page the shown one: it is read from its file first when still there; another page
  // than the shown one brings the selection tool back and clears the selection.
  void ShowPage(CDrawingPage* page);

  // Set by the main window while a gallery hover preview shows: the tool's outline is not
  // painted then; the paint clears it once the view holds no preview scene.
  int m_bOutlineSuppressed = 0;

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;
  // Hint 2 repaints. Hints 3 and 4 with a page show that page and repaint; hint 3 without one (a
  // new or opened document) shows the first page; hint 4 without one (the page order changed)
  // keeps the shown page, wherever it now stands, and repaints.
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  // The shown page's own size (pages of one document may differ).
  Vectorloom::CQorVectorSize<float> GetRenderPageSize() const override;
  // Names the objects the tools and commands make (events 5, 8, 9 and 12); after a shape or a
  // text the selection tool comes back.
  void ProcessEvent(int nEvent, LPARAM lParam) override;

  // Draws the page on white paper filling rcPage (pixels at 100 %), its objects clipped to it.
  static void DrawPage(Gdiplus::Graphics& g, CDrawingPage& page, const CRect& rcPage);

  // Zoom.
  afx_msg void OnZoomActualSize();
  afx_msg void OnUpdateZoomActualSize(CCmdUI* pCmdUI);
  afx_msg void OnZoomIn();
  afx_msg void OnUpdateZoomIn(CCmdUI* pCmdUI);
  afx_msg void OnZoomOut();
  afx_msg void OnUpdateZoomOut(CCmdUI* pCmdUI);
  afx_msg void OnZoomLevel(UINT nId);
  afx_msg void OnUpdateZoomLevel(CCmdUI* pCmdUI);
  // Insert: Add Text makes the text drawing tool current; Add Image and Add Video ask for a file.
  afx_msg void OnInsertText();
  afx_msg void OnInsertImage();
  afx_msg void OnInsertVideo();
  afx_msg void OnUpdateInsert(CCmdUI* pCmdUI);

  // Clipboard. Copy puts the selected objects (in page order; videos are left out) on the
  // clipboard in the program's private format; Cut copies and then deletes (asking first); Paste
  // takes the program's objects, else a picture, and reports a failure; Delete asks first.
  afx_msg void OnEditCopy();
  afx_msg void OnEditCut();
  afx_msg void OnEditPaste();
  afx_msg void OnEditClear();
  afx_msg void OnUpdateEditSelection(CCmdUI* pCmdUI);
  afx_msg void OnUpdateEditPaste(CCmdUI* pCmdUI);
  // Ribbon property commands (LeafwrightViewRibbon.cpp).
  afx_msg void OnStrokeWidthGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateStrokeWidthGallery(CCmdUI* pCmdUI);
  afx_msg void OnDashTypeGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateDashTypeGallery(CCmdUI* pCmdUI);
  afx_msg void OnRotateGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateRotateGallery(CCmdUI* pCmdUI);
  afx_msg void OnFilledColor();
  afx_msg void OnStrokedColor();
  afx_msg void OnUpdateAlwaysEnabled(CCmdUI* pCmdUI);
  afx_msg void OnGroupObjects();
  afx_msg void OnUpdateGroupObjects(CCmdUI* pCmdUI);
  afx_msg void OnNoOperation();
  afx_msg void OnRoundnessBar(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateNotYetAvailable(CCmdUI* pCmdUI);
  afx_msg void OnFilePrint();
  afx_msg void OnUpdateFilePrint(CCmdUI* pCmdUI);
  afx_msg void OnFilePrintPreview();
  afx_msg void OnFillTransparencyGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnStrokeTransparencyGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateTransparencyGallery(CCmdUI* pCmdUI);
  afx_msg void OnFillColorGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnStrokeColorGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateColorGallery(CCmdUI* pCmdUI);
  afx_msg void OnUpdateFilePrintPreview(CCmdUI* pCmdUI);
  void CollectSelectionInPageOrder(Vectorloom::CRenderBaseObjectList& out) const;
  bool CopySelectionToClipboard();
  bool PasteFromClipboard();
  // Puts a clip on the shown page as one undoable step, its first picture fitted into 80 % of the
  // page and centred, and selects it; null (nothing inserted) when the clip gives no picture.
  Vectorloom::CRenderBaseObj* InsertVideoClip(const wchar_t* lpszPath);
  // Adds the picture of the file to the page in view, or tells the user why it cannot.
  bool InsertImageFile(const wchar_t* lpszPath);

  // Stamp galleries: a picked item makes the stamps tool current with that stamp. PickStamp takes
  // the item's index in the gallery's order.
  void OnStampGallery(UINT nId, NMHDR* pNMHDR, LRESULT* pResult);
  // The galleries' commands as menu entries: the stamp last chosen from that gallery, else its
  // first.
  void OnStampCommand(UINT nId);
  afx_msg void OnDynamicStampCommand();
  afx_msg void OnSignStampCommand();
  afx_msg void OnBusinessStampCommand();
  afx_msg void OnDynamicStampGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnSignStampGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnBusinessStampGallery(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateStampGallery(CCmdUI* pCmdUI);
  void PickStamp(UINT nGallery, int nIndex);
  // The gallery item to show selected: the chosen stamp's index in its gallery while the stamps
  // tool is current with that gallery's type, otherwise -1.
  int GetStampGallerySelection(UINT nGallery) const;

  // The one-value dialogs' previews on this view.
  bool IsEditingText() const override;
  void PreviewModifyShapeObjsStrokeWidth(float fPixels) override;
  void PreviewModifyRenderObjsRotatedAngle(int nAngle) override;
  void PreviewEditingTextFilledTransparency(int nAlpha) override;
  void PreviewRenderObjsFilledTransparency(int nAlpha) override;
  void PreviewEditingTextStrokenTransparency(int nAlpha) override;
  void PreviewRenderObjsStrokenTransparency(int nAlpha) override;
  void RestorePrevScene() override;
  void DestroyPreviewScene() override;

  // Custom Width and Custom Angle: the dialog opens with the first stroke width (in whole points)
  // or rotation angle met among the selected objects of the shown page, groups walked into; on
  // OK the value is applied as one undoable step (the preview is over by then, so Undo gives the
  // value from before the dialog). Nothing opens when no selected object has the property.
  afx_msg void OnCustomStrokeWidth();
  afx_msg void OnCustomRotation();
  afx_msg void OnUpdateCustomStrokeWidth(CCmdUI* pCmdUI);
  afx_msg void OnUpdateCustomRotation(CCmdUI* pCmdUI);
  // Custom Transparency of the fill or the outline: the edited characters' alpha while a text is
  // edited, else the selection's; applied on OK with the transparency change.
  afx_msg void OnCustomFillTransparency();
  afx_msg void OnCustomStrokeTransparency();
  afx_msg void OnUpdateCustomTransparency(CCmdUI* pCmdUI);
  // The alpha the dialog opens with; false when nothing carries it.
  bool ReadTransparency(bool bFill, int& nAlpha) const;
  // The same read with its result: -1 nothing carries it, 0 one common alpha, 1 they differ.
  int ReadTransparencyState(bool bFill, int& nAlpha) const;
  // The first stroke width (pixels) and rotation angle among the selected objects of the shown
  // page; false when none carries it.
  bool ReadSelectionStrokeWidth(float& fPixels) const;
  bool ReadSelectionRotation(int& nAngle) const;

  // Applying a property: to the selected characters while a text is edited, else to the selected
  // objects of the shown page, groups walked into. The preview ends first; one undoable action
  // named after the change is recorded, and nothing at all happens (no action, the document not
  // marked) when nothing would change. False when nothing changed.
  bool ApplyFontSize(float fPoints);  // not a positive number: refused
  bool ApplyFilledColor(COLORREF color);
  bool ApplyOutlineColor(COLORREF color);
  bool ApplyFilledTransparency(int nAlpha);
  bool ApplyStrokeTransparency(int nAlpha);
  afx_msg void OnBold();
  afx_msg void OnItalic();
  afx_msg void OnUnderline();
  afx_msg void OnStrikeOut();
  afx_msg void OnSubscript();
  afx_msg void OnSuperscript();
  afx_msg void OnFillInside();
  afx_msg void OnStrokeOutline();
  afx_msg void OnUpdateTextProperty(CCmdUI* pCmdUI);
  // Grow and Shrink Font: on with a text being edited or a text among the selected objects.
  afx_msg void OnUpdateFontSizeStep(CCmdUI* pCmdUI);
  // Grow and Shrink: every touched character to the next preset size up or down.
  afx_msg void OnGrowFontSize();
  afx_msg void OnShrinkFontSize();
  // "Line:": the gap after the caret's line of the edited text, as one undoable step that marks
  // the document modified. False when no text is edited or nothing changes.
  bool GetCaretLineGap(float& fGap) const;
  bool SetCaretLineGap(float fGap);
  afx_msg void OnLineSpacing(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnLineSpacingSpin(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateLineSpacing(CCmdUI* pCmdUI);
  // "Character:", "Baseline:" and "Horizon:": the value goes to the selected characters of the
  // edited text as one undoable step and becomes what typing continues with; a value that is not
  // a finite number is refused. False when no text is edited or no character changes.
  bool ApplyCharacterSpacing(float fValue);
  bool ApplyBaselineShift(float fValue);
  bool ApplyHorizontalShift(float fValue);
  afx_msg void OnCharacterShift(UINT nId, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnCharacterShiftSpin(UINT nId, NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateCharacterShift(CCmdUI* pCmdUI);
  // The font size combo: the typed size (points, kept to twentieths) goes to the edited
  // characters or the selected texts; while a text is edited it also becomes the size typing
  // continues with. The combo shows the common size of what it would change.
  // The font face combo: a face of this computer's fonts goes to the selected characters of the
  // edited text (and becomes the face typing continues with, also without a selection) or to
  // every character of the selected texts, as one undoable step. False when nothing changed.
  bool ApplyFontFace(const wchar_t* lpszFace);
  afx_msg void OnFontFaceCombo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateFontFace(CCmdUI* pCmdUI);
  afx_msg void OnFontSizeCombo(NMHDR* pNMHDR, LRESULT* pResult);
  afx_msg void OnUpdateFontSize(CCmdUI* pCmdUI);
  // More Colors: the colour dialog opens with the current fill or stroke colour; the chosen one
  // becomes the current colour and goes to the edited characters or the selection as one
  // undoable step. Enabled when something there has the colour.
  afx_msg void OnMoreFillColors();
  afx_msg void OnMoreStrokeColors();
  afx_msg void OnUpdateMoreColors(CCmdUI* pCmdUI);

  // Sets the zoom and shows it in the status bar.
  void SetZoomPercent(float fPercent);
  // Scrolls the page by dy pixels, or turns the page at the end of the scroll range; false when
  // nothing moved.
  bool ScrollOrTurnPage(int dy);
  // Page Down and Page Up scroll by a window's height and turn the page at the end (a text being
  // edited keeps its keys).
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  // The wheel scrolls, turning the page at the end of the scroll range; with Ctrl it zooms by
  // the steps of Zoom In and Zoom Out, one a notch.
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);

 protected:
  afx_msg void OnUpdatePageNumber(CCmdUI* pCmdUI);
  afx_msg void OnUpdateZoomPane(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

 private:
  template <class Action>
  bool ApplyToEditedText(const wchar_t* name, const typename Action::Value& value);
  template <class Action>
  bool ApplyToSelection(const wchar_t* name, const typename Action::Value& value);
  template <class TextAction, class ObjsAction>
  bool ApplyProperty(const wchar_t* name, const typename TextAction::Value& value);
  template <class TextAction, class ObjsAction>
  bool ToggleProperty(const wchar_t* name);
  void OnScript(UINT nId);
  void StepFontSizes(bool bGrow);
  bool ApplyShift(UINT nId, float fValue);
  bool ReadShift(UINT nId, float& fValue) const;

  int m_nPage = 0;  // the shown page's index when it was last placed
  std::set<const CDrawingPage*> m_toldUnreadable;  // pages already told to be unreadable
  int m_nWheelDelta = 0;  // wheel turns short of a notch
  std::map<UINT, int> m_lastStamps;  // the item picked last from each stamp gallery
};

// The editing view of the main window's active document, or null.
CLeafwrightView* GetActiveLeafwrightView();
