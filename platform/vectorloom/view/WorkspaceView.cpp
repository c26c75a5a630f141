#include "WorkspaceView.h"

#include <gdiplus.h>

#include <algorithm>
#include <cmath>

#include "GroupObj.h"
#include "ViewActions.h"

namespace Vectorloom {

namespace {

// The host of a view in a real window: its own CWnd.
class CWindowViewHost : public IViewHost {
 public:
  explicit CWindowViewHost(CWnd* pWnd) : m_pWnd(pWnd) {}
  void InvalidateRect(const RECT* pRect) override {
    if (m_pWnd->GetSafeHwnd()) m_pWnd->InvalidateRect(pRect, FALSE);
  }
  void SetTimer(UINT_PTR id, UINT ms) override {
    if (m_pWnd->GetSafeHwnd()) m_pWnd->SetTimer(id, ms, nullptr);
  }
  void KillTimer(UINT_PTR id) override {
    if (m_pWnd->GetSafeHwnd()) m_pWnd->KillTimer(id);
  }
  void SetCapture() override {
    if (m_pWnd->GetSafeHwnd()) m_pWnd->SetCapture();
  }
  void ReleaseCapture() override {
    if (HasCapture()) ::ReleaseCapture();
  }
  bool HasCapture() const override { return m_pWnd->GetSafeHwnd() && CWnd::GetCapture() == m_pWnd; }
  // Null is the arrow.
  void SetCursor(HCURSOR hCursor) override {
    if (m_pWnd->GetSafeHwnd()) LwSetWindowCursor(m_pWnd->m_hWnd, hCursor ? hCursor : LoadCursorW(nullptr, IDC_ARROW));
  }
  CDC* GetDC() override { return m_pWnd->GetSafeHwnd() ? m_pWnd->GetDC() : nullptr; }
  void ReleaseDC(CDC* pDC) override {
    if (pDC) m_pWnd->ReleaseDC(pDC);
  }
  CSize GetClientSize() const override {
    CRect rc(0, 0, 0, 0);
    if (m_pWnd->GetSafeHwnd()) m_pWnd->GetClientRect(&rc);
    return CSize(rc.Width(), rc.Height());
  }
  // The desktop clipboard's picture, read while the clipboard is open.
  bool GetClipboardDib(std::vector<uint8_t>& dib) override {
    dib.clear();
    if (!::OpenClipboard(m_pWnd->GetSafeHwnd())) return false;
    if (HANDLE block = ::GetClipboardData(CF_DIB)) {
      const SIZE_T size = GlobalSize(block);
      if (const auto* p = static_cast<const uint8_t*>(GlobalLock(block))) {
        dib.assign(p, p + size);
        GlobalUnlock(block);
      }
    }
    ::CloseClipboard();
    return !dib.empty();
  }

 private:
  CWnd* m_pWnd;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// COriginalView

IMPLEMENT_DYNAMIC(COriginalView, CScrollView)

COriginalView::COriginalView() : m_rcPage(0, 0, 0, 0), m_pWindowHost(std::make_unique<CWindowViewHost>(this)) {
  m_pHost = m_pWindowHost.get();
}

COriginalView::~COriginalView() = default;

void COriginalView::SetViewHost(IViewHost* pHost) { m_pHost = pHost ? pHost : m_pWindowHost.get(); }

CQorVectorPoint<float> COriginalView::DpToLp(int x, int y) const {
  const CPoint scroll = GetDeviceScrollPosition();
  return {static_cast<float>(x + scroll.x), static_cast<float>(y + scroll.y)};
}

void COriginalView::DpToLp(CQorVectorPoint<float>& pt) const {
  const CPoint scroll = GetDeviceScrollPosition();
  pt.x += static_cast<float>(scroll.x);
  pt.y += static_cast<float>(scroll.y);
}

CQorVectorPoint<float> COriginalView::MapToPic(const CQorVectorPoint<float>& lp) const {
  const float z = GetZoomFactor();
  return {(lp.x - static_cast<float>(m_rcPage.left)) / z, (lp.y - static_cast<float>(m_rcPage.top)) / z};
}

void COriginalView::MapToPic(CQorVectorRect<float>& rect) const {
  const CQorVectorPoint<float> a = MapToPic(CQorVectorPoint<float>(rect.left, rect.top));
  const CQorVectorPoint<float> b = MapToPic(CQorVectorPoint<float>(rect.right, rect.bottom));
  rect = CQorVectorRect<float>(a.x, a.y, b.x, b.y);
}

CQorVectorPoint<float> COriginalView::MapFromPic(const CQorVectorPoint<float>& pic) const {
  const float z = GetZoomFactor();
  return {pic.x * z + static_cast<float>(m_rcPage.left), pic.y * z + static_cast<float>(m_rcPage.top)};
}

CPoint COriginalView::GetPageOriginOnClient() const {
  const CPoint scroll = GetDeviceScrollPosition();
  return CPoint(m_rcPage.left - scroll.x, m_rcPage.top - scroll.y);
}

CQorTransMatrix COriginalView::GetPicToClientMatrix() const {
  const float z = GetZoomFactor();
  const CPoint o = GetPageOriginOnClient();
  return CQorTransMatrix(z, 0, 0, z, static_cast<float>(o.x), static_cast<float>(o.y));
}

CRect COriginalView::PicToClient(const CQorVectorRect<float>& rect) const {
  const CQorVectorRect<float> r = GetPicToClientMatrix().TransformRect(rect);
  auto clampInt = [](double v) {
    if (!(v == v)) return 0L;
    return static_cast<long>(std::clamp(v, -1e9, 1e9));
  };
  return CRect(clampInt(std::floor(r.left)), clampInt(std::floor(r.top)), clampInt(std::ceil(r.right)),
               clampInt(std::ceil(r.bottom)));
}

CQorVectorSize<float> COriginalView::GetRenderPageSize() const {
  const CWorkspaceDoc* pDoc = dynamic_cast<const CWorkspaceDoc*>(m_pDocument);
  return pDoc ? pDoc->GetDocumentSize() : CQorVectorSize<float>();
}

void COriginalView::ZoomView(float fPercent) {
  if (!(fPercent > 0) || !std::isfinite(fPercent)) return;
  m_fZoom = std::clamp(fPercent, 1.0f, 6400.0f);
  FitScrollSizes();
  PlacePage();
  m_pHost->InvalidateRect(nullptr);
}

void COriginalView::FitScrollSizes() {
  const CQorVectorSize<float> size = GetRenderPageSize();
  const float z = GetZoomFactor();
  const long w = static_cast<long>(std::floor(size.cx * z + 0.5f)) + 2 * m_nHMargin;
  const long h = static_cast<long>(std::floor(size.cy * z + 0.5f)) + 2 * m_nVMargin;
  SetScrollSizes(MM_TEXT, CSize(std::max(0L, w), std::max(0L, h)));
}

void COriginalView::PlacePage() {
  const CQorVectorSize<float> size = GetRenderPageSize();
  const float z = GetZoomFactor();
  const long w = static_cast<long>(std::floor(size.cx * z + 0.5f));
  const long h = static_cast<long>(std::floor(size.cy * z + 0.5f));
  const CSize client = m_pHost->GetClientSize();
  const long left = std::max(static_cast<long>(m_nHMargin), (client.cx - std::min(static_cast<long>(client.cx), w)) / 2);
  const long top = std::max(static_cast<long>(m_nVMargin), (client.cy - std::min(static_cast<long>(client.cy), h)) / 2);
  m_rcPage = CRect(left, top, left + w, top + h);
}

BOOL COriginalView::ScrollView(int x, int y) {
  const CSize client = m_pHost->GetClientSize();
  if (client.cx <= 0 || client.cy <= 0) return FALSE;
  // Within this many pixels of an edge the view scrolls by as much as the pointer is past it.
  const int edge = 8;
  CSize by(0, 0);
  if (x < edge) by.cx = x - edge;
  if (x > client.cx - edge) by.cx = x - (client.cx - edge);
  if (y < edge) by.cy = y - edge;
  if (y > client.cy - edge) by.cy = y - (client.cy - edge);
  if (by.cx == 0 && by.cy == 0) return FALSE;
  const CPoint before = GetDeviceScrollPosition();
  const CSize total = GetTotalSize();
  const long maxX = std::max(0L, static_cast<long>(total.cx - client.cx));
  const long maxY = std::max(0L, static_cast<long>(total.cy - client.cy));
  const CPoint to(std::clamp(static_cast<long>(before.x + by.cx), 0L, maxX),
                  std::clamp(static_cast<long>(before.y + by.cy), 0L, maxY));
  if (to == before) return FALSE;
  ScrollToPosition(to);
  m_pHost->InvalidateRect(nullptr);
  return GetDeviceScrollPosition() != before;
}

// ---------------------------------------------------------------------------------------------
// CWorkspaceView: page, selection, tools

IMPLEMENT_DYNAMIC(CWorkspaceView, COriginalView)

CSelectTool CWorkspaceView::g_SelectTool;
CDrawRectangleTool CWorkspaceView::g_DrawRectangleTool;
CDrawOvalTool CWorkspaceView::g_DrawOvalTool;
CDrawRoundRectTool CWorkspaceView::g_DrawRoundRectTool;
CDrawLineTool CWorkspaceView::g_DrawLineTool(false);
CDrawLineTool CWorkspaceView::g_DrawLineArrowTool(true);
CDrawPolygonTool CWorkspaceView::g_DrawPolygonTool2;
CCustomShapeTool CWorkspaceView::g_CustomShapeTool;
CMoveAnchorTool CWorkspaceView::g_MoveAnchorTool;
CAddAnchorTool CWorkspaceView::g_AddAnchorTool;
CDeleteAnchorTool CWorkspaceView::g_DeleteAnchorTool;
CConvertAnchorTool CWorkspaceView::g_ConvertAnchorTool;

CWorkspaceView::CWorkspaceView() = default;

CWorkspaceView::~CWorkspaceView() {
  // The tools outlive the view: whatever one holds of this view (a drag, its objects) ends here.
  GetActingTool()->ToolUnInitalize(this);
  m_pCurTool = nullptr;
  delete m_pPreviewScene;
  m_pPreviewScene = nullptr;
  m_selList.RemoveAllElements();
  ReleaseRefObj(m_pRenderPage);
}

CWorkspaceDoc* CWorkspaceView::GetDocument() const { return dynamic_cast<CWorkspaceDoc*>(m_pDocument); }

void CWorkspaceView::SetRenderPage(CRenderPage* pPage) {
  if (pPage == m_pRenderPage) return;
  DeseleteAllRenderObjects();
  if (pPage) pPage->AddRef();
  ReleaseRefObj(m_pRenderPage);
  m_pRenderPage = pPage;
  FitScrollSizes();
  PlacePage();
  InvalidateView();
}

void CWorkspaceView::SelectRenderObject(CRenderBaseObj* pObj, bool bAdd) {
  if (!pObj) return;
  if (!bAdd) DeseleteAllRenderObjects();
  if (m_selList.Find(pObj) >= 0) return;
  m_selList.AddElement(pObj);
  InvalidateObjRect(pObj, 1);
}

void CWorkspaceView::DeselectRenderObject(CRenderBaseObj* pObj) {
  if (m_selList.Find(pObj) < 0) return;
  InvalidateObjRect(pObj, 1);
  m_selList.RemoveElement(pObj);
}

void CWorkspaceView::DeseleteAllRenderObjects() {
  for (CRenderBaseObj* obj : m_selList) InvalidateObjRect(obj, 1);
  m_selList.RemoveAllElements();
}

void CWorkspaceView::ValidateSelection() {
  for (int i = m_selList.GetCount() - 1; i >= 0; --i) {
    CRenderBaseObj* obj = m_selList.GetAt(i);
    if (!m_pRenderPage || m_pRenderPage->GetRenderObjectList().Find(obj) < 0) m_selList.RemoveElementAt(i);
  }
}

CRenderBaseObj* CWorkspaceView::HitTestRenderObject(const CQorVectorPoint<float>& pic) const {
  if (!m_pRenderPage) return nullptr;
  const CRenderBaseObjectList& list = m_pRenderPage->GetRenderObjectList();
  const float tolerance = 3.0f / GetZoomFactor();
  for (int i = list.GetCount() - 1; i >= 0; --i) {
    CRenderBaseObj* obj = list.GetAt(i);
    if (obj && obj->HitTest(pic, tolerance)) return obj;
  }
  return nullptr;
}

int CWorkspaceView::HitTestSelectedHandles(const CQorVectorPoint<float>& pic, CRenderBaseObj** ppObj) const {
  const float radius = kHandleRadius / GetZoomFactor();
  const CQorTransMatrix dev = GetPicToClientMatrix();
  const CQorVectorPoint<float> client = dev.Transform(pic);
  for (int i = m_selList.GetCount() - 1; i >= 0; --i) {
    CRenderBaseObj* obj = m_selList.GetAt(i);
    CQorVectorPoint<float> p0, p1;
    GetRotationHandles(*obj, dev, p0, p1);
    const CQorVectorPoint<float> grip = GetRotationGrip(p0, p1);
    int code = HANDLE_NONE;
    if (std::fabs(client.x - grip.x) <= kHandleRadius && std::fabs(client.y - grip.y) <= kHandleRadius)
      code = HANDLE_ROTATE;
    else
      code = obj->HitTestHandles(pic, radius);
    if (code >= 0) {
      if (ppObj) *ppObj = obj;
      return code;
    }
  }
  if (ppObj) *ppObj = nullptr;
  return HANDLE_NONE;
}

CQorVectorRect<float> CWorkspaceView::GetSelectedObjectsBound() const {
  CQorVectorRect<float> rc;
  for (CRenderBaseObj* obj : m_selList) rc.Union(obj->CalcuBoundRect());
  return rc;
}

bool CWorkspaceView::IsObjectLocked(const CRenderBaseObj*) const { return false; }

void CWorkspaceView::UpdateEditingTool(CDefaultTool* pTool) {
  if (pTool == &g_SelectTool) pTool = nullptr;
  if (pTool == m_pCurTool) return;
  ReleaseToolCapture();
  GetActingTool()->ToolUnInitalize(this);
  m_pCurTool = pTool;
  GetActingTool()->ToolInitalize(this);
  InvalidateView();
}

void CWorkspaceView::SetToolCapture() {
  m_bCapture = true;
  m_pHost->SetCapture();
}

void CWorkspaceView::ReleaseToolCapture() {
  if (!m_bCapture) return;
  m_bCapture = false;
  m_pHost->ReleaseCapture();
}

void CWorkspaceView::InvalidateView() { m_pHost->InvalidateRect(nullptr); }

void CWorkspaceView::InvalidatePicRect(const CQorVectorRect<float>& rect) {
  CRect rc = PicToClient(rect);
  rc.InflateRect(6, 6);
  m_pHost->InvalidateRect(&rc);
}

void CWorkspaceView::InvalidateObjRect(CRenderBaseObj* pObj, int bSelected) {
  if (!pObj) return;
  // The object's bounds with room for its handles and rotation grip, and whatever more the
  // object's class says it covers (strokes, shadows).
  CQorVectorRect<float> rc = pObj->CalcuBoundRect();
  const float grip = bSelected ? (kRotateGripDistance + 2 * kHandleRadius) / GetZoomFactor() : 0.0f;
  rc.Inflate(grip, grip);
  CRect client = PicToClient(rc);
  client.InflateRect(6, 6);
  // The object's own answer is in logical points (ReDrawContent's); the base class knows no view
  // and answers in page units, so only an override counts.
  RECT occur = pObj->CalcuObjectOccurArea(this, bSelected);
  const RECT base = pObj->CRenderBaseObj::CalcuObjectOccurArea(this, bSelected);
  const bool overridden = occur.left != base.left || occur.top != base.top || occur.right != base.right ||
                          occur.bottom != base.bottom;
  if (overridden && occur.right > occur.left && occur.bottom > occur.top) {
    const CPoint scroll = GetDeviceScrollPosition();
    ::OffsetRect(&occur, -scroll.x, -scroll.y);
    client.UnionRect(&client, &occur);
  }
  m_pHost->InvalidateRect(&client);
}

void CRenderBaseObj::InvalidateObjRect(CWorkspaceView* pView, int bSelected) {
  if (pView) pView->InvalidateObjRect(this, bSelected);
}

void CWorkspaceView::ReDrawContent(const CRect& rect) {
  CRect rc = rect;
  const CPoint scroll = GetDeviceScrollPosition();
  rc.OffsetRect(-scroll.x, -scroll.y);
  m_pHost->InvalidateRect(&rc);
}

void CWorkspaceView::ProcessEvent(int, LPARAM) {}

void CWorkspaceView::CommitEditAction(CBaseEditAction* pAction) {
  CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc) {
    delete pAction;
    return;
  }
  pDoc->AddEditAction(pAction);
  pDoc->SetModifiedFlag(TRUE);
  InvalidateView();
}

void CWorkspaceView::AddShapeObj(CRenderBaseObj* pObj, const wchar_t* lpszActionName) {
  if (!pObj || !m_pRenderPage) return;
  m_pRenderPage->AddShapeObject(pObj);
  auto* action = new CAddObjectAction(m_pRenderPage, lpszActionName, pObj);
  action->BackupSelectedObject(m_selList);
  CommitEditAction(action);
  SelectRenderObject(pObj, false);
}

}  // namespace Vectorloom

namespace Vectorloom {

void CWorkspaceView::GetRotationHandles(const CRenderBaseObj& obj, const CQorTransMatrix& deviceMatrix,
                                        CQorVectorPoint<float>& p0, CQorVectorPoint<float>& p1) {
  const CQorVectorRect<float> box = obj.GetObjectBox();
  const CQorTransMatrix m = obj.GetTransMatrix() * deviceMatrix;
  const float cx = (box.left + box.right) * 0.5f, cy = (box.top + box.bottom) * 0.5f;
  p0 = m.Transform(CQorVectorPoint<float>(cx, cy));
  p1 = m.Transform(CQorVectorPoint<float>(cx, box.top));
}

void CWorkspaceView::GetRotationHandles(const CRenderBaseObj& obj, CQorVectorPoint<float>& p0,
                                        CQorVectorPoint<float>& p1) const {
  GetRotationHandles(obj, GetPicToClientMatrix(), p0, p1);
}

CQorVectorPoint<float> CWorkspaceView::GetRotationGrip(const CQorVectorPoint<float>& p0,
                                                       const CQorVectorPoint<float>& p1) {
  float vx = p1.x - p0.x, vy = p1.y - p0.y;
  const float len = std::sqrt(vx * vx + vy * vy);
  if (len > 0.001f) {
    vx /= len, vy /= len;
  } else {
    vx = 0, vy = -1;
  }
  return {p1.x + vx * kRotateGripDistance, p1.y + vy * kRotateGripDistance};
}

}  // namespace Vectorloom
