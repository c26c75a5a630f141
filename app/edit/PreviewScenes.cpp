#include "PreviewScenes.h"

#include <quirebook/PublicationView.h>
#include <vectorloom/WorkspaceView.h>

#include "SelectionReaders.h"

using Vectorloom::CWorkspaceView;
using Vectorloom::PaintColorValue;
using namespace Quirebook;

namespace {

template <class Scene, class Access>
void PreviewEditingText(CWorkspaceView* view, const typename Access::Value& value) {
  CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
  if (!view || view->GetEditingTool() != &tool) return;
  CDDrawTextObj* text = tool.GetEditingText();
  int s = -1, e = -1;
  tool.GetSelectionRange(s, e);
  if (!text || s < 0 || s >= e) return;
  GetEditingTextPreviewScene<Scene>(view->GetPreviewSceneSlot(), view->GetDocument(), view->GetRenderPage(),
                                    view->GetSelectedObjectsList(), text, s, e - 1);
  SetCharactersValue<Access>(Access::kRelayout, *text, value, s, e - 1);
  view->InvalidateObjRect(text, 1);
}

template <class Scene, class Action>
void PreviewRenderObjs(CWorkspaceView* view, const typename Action::Value& value) {
  if (!view) return;
  Vectorloom::GetPreviewScene<Scene>(view->GetPreviewSceneSlot(), view->GetDocument(), view->GetRenderPage(),
                                     view->GetSelectedObjectsList());
  Action::SetObjectsValue(value, GatherSelectedObjects(view));
  view->InvalidateView();
}

}  // namespace

void PreviewEditingTextFilledTransparency(CWorkspaceView* view, const int& value) {
  PreviewEditingText<CFilledTransparencyTextScene, CAccessTextObjFilledTransparencyProp>(view, value);
}
void PreviewEditingTextStrokenTransparency(CWorkspaceView* view, const int& value) {
  PreviewEditingText<CStrokeTransparencyTextScene, CAccessTextObjStrokeTransparencyProp>(view, value);
}
void PreviewEditingTextFilledColor(CWorkspaceView* view, const PaintColorValue& value) {
  PreviewEditingText<CFilledColorTextScene, CAccessTextObjFilledColorProp>(view, value);
}
void PreviewEditingTextOutlineColor(CWorkspaceView* view, const PaintColorValue& value) {
  PreviewEditingText<COutlineColorTextScene, CAccessTextObjStrokeColorProp>(view, value);
}
void PreviewEditingTextFontSize(CWorkspaceView* view, const float& value) {
  PreviewEditingText<CFontSizeTextScene, CAccessTextObjFontSizeProp>(view, value);
}
void PreviewRenderObjsFilledTransparency(CWorkspaceView* view, const int& value) {
  PreviewRenderObjs<CFilledTransparencyObjsScene, CFilledTransparencyObjsAction>(view, value);
}
void PreviewRenderObjsStrokenTransparency(CWorkspaceView* view, const int& value) {
  PreviewRenderObjs<CStrokeTransparencyObjsScene, CStrokeTransparencyObjsAction>(view, value);
}
void PreviewRenderObjsFilledColor(CWorkspaceView* view, const PaintColorValue& value) {
  PreviewRenderObjs<CFilledColorObjsScene, CFilledColorObjsAction>(view, value);
}
void PreviewRenderObjsOutlineColor(CWorkspaceView* view, const PaintColorValue& value) {
  PreviewRenderObjs<COutlineColorObjsScene, COutlineColorObjsAction>(view, value);
}
void PreviewRenderObjsFontSize(CWorkspaceView* view, const float& value) {
  PreviewRenderObjs<CFontSizeObjsScene, CFontSizeTextsAction>(view, value);
}
