// Live previews of the ribbon's galleries and the custom transparency dialog: filled and stroked
// transparency, fill and outline colour, and font size, shown on the selected characters of the
// text being edited or on the selected objects of the page. The value is written into the real
// objects; the scene backed up at the first preview puts the old values back when the view
// restores it (CWorkspaceView::RestorePrevScene, then DestroyPreviewScene). A preview never
// touches the undo list or the document's modified flag.
//
// The view holds one scene. A preview of another property restores the scene in force before it
// deletes it, so no preview value is ever left on an object; a preview of the same property on
// the same characters (or objects) keeps the scene, so the values from before the first hovered
// item are the ones restored.
#pragma once

#include <vectorloom/CorePreviews.h>
#include <vectorloom/EditAction.h>

#include <typeinfo>

#include "TextPropertyActions.h"

namespace Vectorloom {
class CWorkspaceView;
}

namespace Quirebook {

// The scene of a preview on characters of one text: Action is the property's single-text action
// (unnamed), whose Undo puts the backed-up characters back.
template <class Action>
class CPreviewChangeEditingTextPropertiesSence : public Vectorloom::CBasePreviewScene {
  DECLARE_DYNCREATE(CPreviewChangeEditingTextPropertiesSence)
 public:
  CPreviewChangeEditingTextPropertiesSence() : m_action(CString()) {}

  // Saves characters first..last of the text, whatever they hold.
  bool BackupCharacters(CDDrawTextObj* text, int first, int last) {
    m_nFirst = first;
    m_nLast = last;
    return m_action.RecordAllCharacters(text, first, last);
  }
  bool IsBackupOf(const CDDrawTextObj* text, int first, int last) const {
    return m_action.GetRecord().GetTextObject() == text && m_nFirst == first && m_nLast == last;
  }
  int Restore(Vectorloom::CWorkspaceDoc* doc, Vectorloom::CRenderPage*, const Vectorloom::CRenderBaseObjectList&) override {
    m_action.Undo(doc);
    return 1;
  }
  Action& GetAction() { return m_action; }

 private:
  Action m_action;
  int m_nFirst = -1;
  int m_nLast = -1;
};

using Vectorloom::CBasePreviewScene;
IMPLEMENT_DYNCREATE_T(CPreviewChangeEditingTextPropertiesSence, Action, CBasePreviewScene)

// The scene kinds of the ten previews.
using CFilledTransparencyTextScene = CPreviewChangeEditingTextPropertiesSence<CFilledTransparencyTextAction>;
using CStrokeTransparencyTextScene = CPreviewChangeEditingTextPropertiesSence<CStrokeTransparencyTextAction>;
using CFilledColorTextScene = CPreviewChangeEditingTextPropertiesSence<CFilledColorTextAction>;
using COutlineColorTextScene = CPreviewChangeEditingTextPropertiesSence<COutlineColorTextAction>;
using CFontSizeTextScene = CPreviewChangeEditingTextPropertiesSence<CFontSizeTextAction>;
using CFilledTransparencyObjsScene = Vectorloom::CPreviewChangeRenderPropertiesSence<CFilledTransparencyObjsAction>;
using CStrokeTransparencyObjsScene = Vectorloom::CPreviewChangeRenderPropertiesSence<CStrokeTransparencyObjsAction>;
using CFilledColorObjsScene = Vectorloom::CPreviewChangeRenderPropertiesSence<CFilledColorObjsAction>;
using COutlineColorObjsScene = Vectorloom::CPreviewChangeRenderPropertiesSence<COutlineColorObjsAction>;
using CFontSizeObjsScene = Vectorloom::CPreviewChangeRenderPropertiesSence<CFontSizeTextsAction>;

// The scene of kind Scene for characters first..last of text in the slot: a scene of another
// kind, or of this kind for other characters, is restored and deleted first; a new one backs the
// characters up.
template <class Scene>
Scene* GetEditingTextPreviewScene(Vectorloom::CBasePreviewScene*& slot, Vectorloom::CWorkspaceDoc* doc,
                                  Vectorloom::CRenderPage* page, const Vectorloom::CRenderBaseObjectList& selection,
                                  CDDrawTextObj* text, int first, int last) {
  if (slot && (typeid(*slot) != typeid(Scene) || !static_cast<Scene*>(slot)->IsBackupOf(text, first, last))) {
    Vectorloom::RestorePreview(slot, doc, page, selection);
    Vectorloom::DiscardPreview(slot);
  }
  if (!slot) {
    auto* scene = new Scene;
    scene->BackupCharacters(text, first, last);
    slot = scene;
  }
  return static_cast<Scene*>(slot);
}

}  // namespace Quirebook

// The ten previews. The editing-text ones act only while the view's tool is the editing text
// tool and it has a selection of characters; they write the value into the selected characters
// (font size lays the text out again) and repaint the text. The object ones write the value into
// the selected objects of the page (groups walked; font size: texts only) and repaint the view.
void PreviewEditingTextFilledTransparency(Vectorloom::CWorkspaceView* view, const int& value);
void PreviewEditingTextStrokenTransparency(Vectorloom::CWorkspaceView* view, const int& value);
void PreviewEditingTextFilledColor(Vectorloom::CWorkspaceView* view, const Vectorloom::PaintColorValue& value);
void PreviewEditingTextOutlineColor(Vectorloom::CWorkspaceView* view, const Vectorloom::PaintColorValue& value);
void PreviewEditingTextFontSize(Vectorloom::CWorkspaceView* view, const float& value);
void PreviewRenderObjsFilledTransparency(Vectorloom::CWorkspaceView* view, const int& value);
void PreviewRenderObjsStrokenTransparency(Vectorloom::CWorkspaceView* view, const int& value);
void PreviewRenderObjsFilledColor(Vectorloom::CWorkspaceView* view, const Vectorloom::PaintColorValue& value);
void PreviewRenderObjsOutlineColor(Vectorloom::CWorkspaceView* view, const Vectorloom::PaintColorValue& value);
void PreviewRenderObjsFontSize(Vectorloom::CWorkspaceView* view, const float& value);
