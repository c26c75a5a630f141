// The arranging and property commands of the workspace view, its previews and its clipboard and
// import operations. Every command ends a live preview first (so that what it records is free of
// preview values) and records at most one edit action.
#include <gdiplus.h>

#include <cmath>

#include "CorePreviews.h"
#include "ImageObjects.h"
#include "ObjectCommands.h"
#include "WorkspaceView.h"

namespace Vectorloom {

namespace {

// Whether a selected object is locked; the view is told with the event when one is.
bool SelectionLocked(CWorkspaceView& view, int nEvent) {
  for (CRenderBaseObj* obj : view.GetSelectedObjectsList()) {
    if (view.IsObjectLocked(obj)) {
      view.ProcessEvent(nEvent, reinterpret_cast<LPARAM>(obj));
      return true;
    }
  }
  return false;
}

void EndPreview(CWorkspaceView& view) {
  view.RestorePrevScene();
  view.DestroyPreviewScene();
}

bool SelectionHas(const CWorkspaceView& view, bool (*pred)(const CRenderBaseObj*)) {
  const CRenderPage* page = view.GetRenderPage();
  if (!page) return false;
  for (CRenderBaseObj* obj : view.GetSelectedObjectsList())
    if (page->GetRenderObjectList().Find(obj) >= 0 && pred(obj)) return true;
  return false;
}

bool IsGroup(const CRenderBaseObj* obj) { return obj->IsGroupObject(); }
bool IsMirrorable(const CRenderBaseObj* obj) {
  const int type = obj->GetObjectType();
  return type == RENDER_OBJ_SHAPE || type == RENDER_OBJ_CORETEXT || type == RENDER_OBJ_GROUP;
}

// Selected objects on the shown page.
int SelectedOnPage(const CWorkspaceView& view) {
  const CRenderPage* page = view.GetRenderPage();
  if (!page) return 0;
  int n = 0;
  for (CRenderBaseObj* obj : view.GetSelectedObjectsList())
    if (page->GetRenderObjectList().Find(obj) >= 0) ++n;
  return n;
}

template <class W>
void ModifyProperty(CWorkspaceView& view, const typename W::ValueType& value, const wchar_t* name) {
  EndPreview(view);
  if (ModifyRenderObjsProperty<W>(view.GetDocument(), view.GetRenderPage(), view.GetSelectedObjectsList(), value,
                                  CString(name)))
    view.InvalidateView();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Previews

void CWorkspaceView::RestorePrevScene() {
  if (m_pPreviewScene) m_pPreviewScene->RestoreScene(GetDocument(), m_pRenderPage, m_selList);
}

void CWorkspaceView::DestroyPreviewScene() {
  if (!m_pPreviewScene) return;
  DiscardPreview(m_pPreviewScene);
  InvalidateView();
}

void CWorkspaceView::PreviewModifyShapeObjsStrokeWidth(float fWidth) {
  PreviewShapeObjsStrokeWidth(m_pPreviewScene, GetDocument(), m_pRenderPage, m_selList, fWidth);
  InvalidateView();
}

void CWorkspaceView::PreviewModifyShapeObjsDashStyle(int nDash) {
  PreviewShapeObjsDashStyle(m_pPreviewScene, GetDocument(), m_pRenderPage, m_selList, nDash);
  InvalidateView();
}

void CWorkspaceView::PreviewModifyRenderObjsRotatedAngle(int nAngle) {
  PreviewRenderObjsRotatedAngle(m_pPreviewScene, GetDocument(), m_pRenderPage, m_selList, nAngle);
  InvalidateView();
}

// ---------------------------------------------------------------------------------------------
// Property commands

void CWorkspaceView::DoModifyShapeObjectsStrokenWidth(float fWidth) {
  if (!(fWidth >= 0) || !std::isfinite(fWidth)) return;
  ModifyProperty<CModifyShapeObjStrokenWidthWrap>(*this, {1, fWidth}, kStrokeWidthCommandName);
}

void CWorkspaceView::DoModifyShapeObjsRenderColor(COLORREF color, int bFill) {
  const PaintColorValue paint(1, RENDER_KIND_SOLID, color);
  if (bFill)
    ModifyProperty<CModifyShapeObjFilledColorWrap>(*this, paint, kFilledColorCommandName);
  else
    ModifyProperty<CModifyShapeObjOutlineColorWrap>(*this, paint, kStrokeColorCommandName);
}

void CWorkspaceView::DoModifyRenderObjsRotatedAngle(int nAngle) {
  EndPreview(*this);
  if (SelectionLocked(*this, VIEW_EVENT_ROTATE_LOCKED)) return;
  if (RotateRenderObjects(GetDocument(), m_pRenderPage, m_selList, nAngle)) InvalidateView();
}

void CWorkspaceView::DoModifyShapeObjsDashType(int nDash) {
  // The named dash styles only: a custom dash needs its own pattern.
  if (nDash < DASH_SOLID || nDash > DASH_DASHDOTDOT) return;
  ModifyProperty<CModifyShapeObjDashTypeWrap>(*this, {1, nDash}, kDashTypeCommandName);
}

void CWorkspaceView::DoFillSelectedShapeObjs(int bFill) {
  ModifyProperty<CModifyShapeObjFillInsideFlagWrap>(*this, bFill ? 1 : 0, kFillInsideCommandName);
}

void CWorkspaceView::DoStrokeSelectedShapeObjs(int bStroke) {
  ModifyProperty<CModifyShapeObjStrokeOutlineFlagWrap>(*this, bStroke ? 1 : 0, kStrokeOutlineCommandName);
}

// ---------------------------------------------------------------------------------------------
// Clipboard, import and delete

BOOL CWorkspaceView::PasteObjsFromClipboard(CRenderBaseObjectList& list) {
  EndPreview(*this);
  CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !m_pRenderPage || list.IsEmpty()) return FALSE;
  if (!AddRenderObjects(pDoc, m_pRenderPage, list, CString(L"Paste"))) return FALSE;
  DeseleteAllRenderObjects();
  for (CRenderBaseObj* obj : list)
    if (m_pRenderPage->GetRenderObjectList().Find(obj) >= 0) SelectRenderObject(obj, true);
  InvalidateView();
  return TRUE;
}

BOOL CWorkspaceView::PasteDIB(CRenderBaseObjectList& list, int) {
  std::vector<uint8_t> dib;
  if (!m_pHost->GetClipboardDib(dib) || dib.empty()) return FALSE;
  CExternalBmpResObj* res = CreateDibBitmapRes(dib.data(), dib.size());
  if (!res) return FALSE;
  Gdiplus::Bitmap* bitmap = res->GetGdiBitmap();
  const float w = static_cast<float>(bitmap->GetWidth()), h = static_cast<float>(bitmap->GetHeight());
  CCustomPathObj* image = CreateImageObject(GetDocument(), res, w, h);
  res->Release();
  if (!image) return FALSE;
  list.AddElement(image);
  return TRUE;
}

void CWorkspaceView::DoEditClear() {
  EndPreview(*this);
  if (DeleteRenderObjects(GetDocument(), m_pRenderPage, m_selList)) {
    DeseleteAllRenderObjects();
    InvalidateView();
  }
}

BOOL CWorkspaceView::DoImportImage(const wchar_t* lpszPath, int) {
  EndPreview(*this);
  CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !m_pRenderPage) return FALSE;
  CExternalBmpResObj* res = LoadExternalBitmapRes(pDoc, lpszPath);
  if (!res) return FALSE;
  Gdiplus::Bitmap* bitmap = res->GetGdiBitmap();
  const CQorVectorSize<float> page = GetRenderPageSize();
  const CQorVectorSize<float> size =
      FitImageToPage(static_cast<float>(bitmap->GetWidth()), static_cast<float>(bitmap->GetHeight()), page);
  CCustomPathObj* image = CreateImageObject(pDoc, res, size.cx, size.cy);
  res->Release();
  if (!image) return FALSE;
  image->AddRef();
  if (page.cx > 0 && page.cy > 0)
    image->SetTransMatrix(CQorTransMatrix::Translation((page.cx - size.cx) * 0.5f, (page.cy - size.cy) * 0.5f), true);
  CRenderBaseObjectList one;
  one.AddElement(image);
  const BOOL added = AddRenderObjects(pDoc, m_pRenderPage, one, CString(L"Import Image")) > 0;
  if (added) {
    SelectRenderObject(image, false);
    ProcessEvent(VIEW_EVENT_IMAGE_CREATED, reinterpret_cast<LPARAM>(image));
    InvalidateView();
  }
  image->Release();
  return added;
}

// ---------------------------------------------------------------------------------------------
// Arranging commands

namespace {

void Arrange(CWorkspaceView& view, int order) {
  EndPreview(view);
  if (SelectedOnPage(view) == 0) return;
  if (ArrangeRenderObjects(view.GetDocument(), view.GetRenderPage(), view.GetSelectedObjectsList(), order)) {
    view.InvalidateView();
    return;
  }
  const bool front = order == ARRANGE_TO_FRONT || order == ARRANGE_FORWARD;
  view.ProcessEvent(front ? VIEW_EVENT_ALREADY_FRONT : VIEW_EVENT_ALREADY_BACK, 0);
}

void Align(CWorkspaceView& view, int kind) {
  EndPreview(view);
  if (SelectionLocked(view, VIEW_EVENT_ALIGN_LOCKED)) return;
  if (AlignRenderObjects(view.GetDocument(), view.GetRenderPage(), view.GetSelectedObjectsList(), kind))
    view.InvalidateView();
}

void Mirror(CWorkspaceView& view, bool bVertical) {
  EndPreview(view);
  if (SelectionLocked(view, VIEW_EVENT_RESIZE_LOCKED)) return;
  if (MirrorRenderObjects(view.GetDocument(), view.GetRenderPage(), view.GetSelectedObjectsList(), bVertical))
    view.InvalidateView();
}

void MakeSame(CWorkspaceView& view, int kind) {
  EndPreview(view);
  if (SelectionLocked(view, VIEW_EVENT_RESIZE_LOCKED)) return;
  // The last selected object on the page gives the size.
  const CRenderPage* page = view.GetRenderPage();
  const CRenderBaseObj* reference = nullptr;
  const CRenderBaseObjectList& sel = view.GetSelectedObjectsList();
  for (int i = sel.GetCount() - 1; i >= 0 && page && !reference; --i)
    if (page->GetRenderObjectList().Find(sel[i]) >= 0) reference = sel[i];
  if (MakeRenderObjectsSameSize(view.GetDocument(), view.GetRenderPage(), sel, reference, kind)) view.InvalidateView();
}

void EnableIf(CCmdUI* pCmdUI, bool on) { pCmdUI->Enable(on ? TRUE : FALSE); }

}  // namespace

void CWorkspaceView::OnMoveObjectsToFront() { Arrange(*this, ARRANGE_TO_FRONT); }
void CWorkspaceView::OnMoveObjectsForward() { Arrange(*this, ARRANGE_FORWARD); }
void CWorkspaceView::OnMoveObjectsBackward() { Arrange(*this, ARRANGE_BACKWARD); }
void CWorkspaceView::OnMoveObjectsBack() { Arrange(*this, ARRANGE_TO_BACK); }
void CWorkspaceView::OnUpdateMoveObjectsToFront(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) > 0); }
void CWorkspaceView::OnUpdateMoveObjectsForward(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) > 0); }
void CWorkspaceView::OnUpdateMoveObjectsBackward(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) > 0); }
void CWorkspaceView::OnUpdateMoveObjectsBack(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) > 0); }

void CWorkspaceView::OnCreateGroup() {
  EndPreview(*this);
  CRenderBaseObj* group = GroupRenderObjects(GetDocument(), m_pRenderPage, m_selList);
  if (!group) return;
  SelectRenderObject(group, false);
  ProcessEvent(VIEW_EVENT_GROUP_CREATED, reinterpret_cast<LPARAM>(group));
  InvalidateView();
}
void CWorkspaceView::OnUpdateCreateGroup(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }

void CWorkspaceView::OnDrawUngroup() {
  EndPreview(*this);
  CRenderBaseObjectList chosen;
  if (!UngroupRenderObjects(GetDocument(), m_pRenderPage, m_selList, chosen)) return;
  DeseleteAllRenderObjects();
  for (CRenderBaseObj* obj : chosen) SelectRenderObject(obj, true);
  InvalidateView();
}
void CWorkspaceView::OnUpdateDrawUngroup(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectionHas(*this, IsGroup)); }

void CWorkspaceView::OnAlignLeft() { Align(*this, ALIGN_LEFT); }
void CWorkspaceView::OnAlignRight() { Align(*this, ALIGN_RIGHT); }
void CWorkspaceView::OnAlignCenter() { Align(*this, ALIGN_CENTER); }
void CWorkspaceView::OnAlignTop() { Align(*this, ALIGN_TOP); }
void CWorkspaceView::OnAlignMiddle() { Align(*this, ALIGN_MIDDLE); }
void CWorkspaceView::OnAlignBottom() { Align(*this, ALIGN_BOTTOM); }
void CWorkspaceView::OnUpdateAlignLeft(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateAlignRight(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateAlignCenter(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateAlignTop(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateAlignMiddle(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateAlignBottom(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }

void CWorkspaceView::OnMirrorShapeObjects() { Mirror(*this, false); }
void CWorkspaceView::OnFilpShapeObjects() { Mirror(*this, true); }
void CWorkspaceView::OnUpdateMirrorShapeObjects(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectionHas(*this, IsMirrorable)); }
void CWorkspaceView::OnUpdateFlipShapeObjects(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectionHas(*this, IsMirrorable)); }

void CWorkspaceView::OnMakeSameWidth() { MakeSame(*this, MAKE_SAME_WIDTH); }
void CWorkspaceView::OnMakeSameHeight() { MakeSame(*this, MAKE_SAME_HEIGHT); }
void CWorkspaceView::OnMakeSameSize() { MakeSame(*this, MAKE_SAME_SIZE); }
void CWorkspaceView::OnUpdateMakeSameWidth(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateMakeSameHeight(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }
void CWorkspaceView::OnUpdateMakeSize(CCmdUI* pCmdUI) { EnableIf(pCmdUI, SelectedOnPage(*this) >= 2); }

}  // namespace Vectorloom
