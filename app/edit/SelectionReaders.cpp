#include "SelectionReaders.h"

#include <vectorloom/WorkspaceView.h>

using Vectorloom::CRenderBaseObj;
using Vectorloom::CRenderBaseObjectList;
using Vectorloom::CRenderPage;
using Vectorloom::CWorkspaceView;

CRenderBaseObjectList GatherSelectedObjects(const CRenderPage* page, const CRenderBaseObjectList& selection) {
  CRenderBaseObjectList out;
  if (!page) return out;
  for (CRenderBaseObj* obj : page->GetRenderObjectList())
    if (selection.Find(obj) >= 0) out.AddElement(obj);
  return out;
}

CRenderBaseObjectList GatherSelectedObjects(const CWorkspaceView* view) {
  if (!view) return {};
  return GatherSelectedObjects(view->GetRenderPage(), view->GetSelectedObjectsList());
}

int ReadObjectsRotatedAngle(const CRenderBaseObjectList& objects, int& angle) {
  int state = -1;
  for (CRenderBaseObj* obj : objects) {
    const int a = obj->GetRotatedAngle();
    if (state < 0) {
      angle = a;
      state = 0;
    } else if (a != angle) {
      return 1;
    }
  }
  return state;
}

namespace {

template <class W>
int ReadSelection(const CWorkspaceView* view, typename W::ValueType& value) {
  return ReadObjectsValue<W>(GatherSelectedObjects(view), value);
}

}  // namespace

int ReadSelectionStrokeWidth(const CWorkspaceView* view, Vectorloom::CStrokeParamValue<float>& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjStrokenWidthWrap>(view, value);
}
int ReadSelectionDashType(const CWorkspaceView* view, Vectorloom::CStrokeParamValue<int>& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjDashTypeWrap>(view, value);
}
int ReadSelectionFillInside(const CWorkspaceView* view, int& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjFillInsideFlagWrap>(view, value);
}
int ReadSelectionStrokeOutline(const CWorkspaceView* view, int& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjStrokeOutlineFlagWrap>(view, value);
}
int ReadSelectionFilledTransparency(const CWorkspaceView* view, int& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjFilledTransparencyWrap>(view, value);
}
int ReadSelectionStrokeTransparency(const CWorkspaceView* view, int& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjStrokenTransparencyWrap>(view, value);
}
int ReadSelectionRotatedAngle(const CWorkspaceView* view, int& value) {
  return ReadObjectsRotatedAngle(GatherSelectedObjects(view), value);
}
int ReadSelectionOutlineColor(const CWorkspaceView* view, Vectorloom::PaintColorValue& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjOutlineColorWrap>(view, value);
}
int ReadSelectionFilledColor(const CWorkspaceView* view, Vectorloom::PaintColorValue& value) {
  return ReadSelection<Vectorloom::CModifyShapeObjFilledColorWrap>(view, value);
}

int CaretFormatCharacter(const GlyphweaveLib::CEditableTextObj& text, int caretCode) {
  const int n = Quirebook::TextCharacterCount(text);
  if (n == 0 || caretCode < 0) return -1;
  int index = caretCode & GlyphweaveLib::CEditableTextObj::kCaretIndexMask;
  if (caretCode & GlyphweaveLib::CEditableTextObj::kCaretBehind) ++index;
  if (index > n) index = n;
  return index > 0 ? index - 1 : 0;
}

int ReadEditingTextCharFormats(const Quirebook::CEditingTextTool& tool, GlyphweaveLib::CRichFontDesc* single,
                               GlyphweaveLib::CCharFormatsDesc* multi) {
  const Quirebook::CDDrawTextObj* text = tool.GetEditingText();
  if (!text) return 0;
  int s = -1, e = -1;
  tool.GetSelectionRange(s, e);
  if (s >= 0 && s < e) {
    if (!multi) return 0;
    text->GetSelectionCharFormatsDesc(multi, s, e - 1);
    return 2;
  }
  const int i = CaretFormatCharacter(*text, tool.GetCaretPos());
  if (i < 0 || !single) return 0;
  text->GetCharFormatsDesc(single, i);
  return 1;
}
