// The drawing tools: shapes dragged out between two corners, and shapes placed point by point.
#include <algorithm>
#include <cmath>

#include "ToolSupport.h"
#include "ViewActions.h"
#include "WorkspaceView.h"

namespace Vectorloom {

using namespace tools;

namespace {

// Control distance of a quarter circle drawn with one cubic Bezier, as a fraction of the radius.
constexpr float kKappa = 0.5522847498f;
// Smallest shape, in page pixels: a drag below it makes nothing.
constexpr float kMinShapeSize = 2.0f;
// How near (client pixels) a click must be to the first node to close the shape.
constexpr float kCloseDistance = 5.0f;

CQorVectorEdgeNode CurveNode(float x, float y, float inX, float inY, float outX, float outY) {
  CQorVectorEdgeNode n(x, y);
  n.ptIn = CQorVectorPoint<float>(inX, inY);
  n.ptOut = CQorVectorPoint<float>(outX, outY);
  n.bHasIn = n.bHasOut = 1;
  return n;
}

// A new shape of the document's class, with one reference for the caller; null when the
// document makes no custom shapes.
CCustomPathObj* NewShape(CWorkspaceView* pView) {
  CWorkspaceDoc* pDoc = pView->GetDocument();
  CRenderBaseObj* obj = pDoc ? pDoc->CreateNewObject(RENDER_OBJ_SHAPE) : nullptr;
  if (!obj) return nullptr;
  obj->AddRef();
  auto* shape = dynamic_cast<CCustomPathObj*>(obj);
  if (!shape) obj->Release();
  return shape;
}

// Adds a finished shape to the page as one step, selects it and reports it.
void PlaceShape(CWorkspaceView* pView, CCustomPathObj* shape, const wchar_t* name) {
  shape->NormalizePath();
  shape->CreatePathStorage();
  pView->AddShapeObj(shape, name);
  pView->ProcessEvent(VIEW_EVENT_SHAPE_CREATED, reinterpret_cast<LPARAM>(static_cast<CRenderBaseObj*>(shape)));
}

Gdiplus::PointF ToDevice(const CQorVectorPoint<float>& p, float sx, float sy, float x, float y) {
  return Gdiplus::PointF(std::round(p.x * sx + x), std::round(p.y * sy + y));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Two-corner shapes

bool CDrawRectangleTool::BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                                        const CQorVectorPoint<float>& p1) const {
  CQorVectorRect<float> rc(p0.x, p0.y, p1.x, p1.y);
  rc.Normalize();
  if (rc.Width() < kMinShapeSize || rc.Height() < kMinShapeSize) return false;
  shape.RemoveAllSubPaths();
  shape.AddRectanglePath(rc);
  return true;
}

bool CDrawOvalTool::BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                                   const CQorVectorPoint<float>& p1) const {
  CQorVectorRect<float> rc(p0.x, p0.y, p1.x, p1.y);
  rc.Normalize();
  if (rc.Width() < kMinShapeSize || rc.Height() < kMinShapeSize) return false;
  const float cx = (rc.left + rc.right) / 2, cy = (rc.top + rc.bottom) / 2;
  const float kx = rc.Width() / 2 * kKappa, ky = rc.Height() / 2 * kKappa;
  CBaseCustomPath path;
  // Clockwise from the top, each node with its incoming and outgoing control.
  path.AddNode(CurveNode(cx, rc.top, cx - kx, rc.top, cx + kx, rc.top));
  path.AddNode(CurveNode(rc.right, cy, rc.right, cy - ky, rc.right, cy + ky));
  path.AddNode(CurveNode(cx, rc.bottom, cx + kx, rc.bottom, cx - kx, rc.bottom));
  path.AddNode(CurveNode(rc.left, cy, rc.left, cy + ky, rc.left, cy - ky));
  path.SetClosed(true);
  shape.RemoveAllSubPaths();
  shape.AddSubPath(path);
  return true;
}

bool CDrawRoundRectTool::BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                                        const CQorVectorPoint<float>& p1) const {
  CQorVectorRect<float> rc(p0.x, p0.y, p1.x, p1.y);
  rc.Normalize();
  if (rc.Width() < kMinShapeSize || rc.Height() < kMinShapeSize) return false;
  const float r = std::min(rc.Width(), rc.Height()) / 2 * std::clamp(m_nRoundness, 0, 100) / 100.0f;
  shape.RemoveAllSubPaths();
  if (r <= 0) {
    shape.AddRectanglePath(rc);
    return true;
  }
  const float k = r * kKappa;
  const float l = rc.left, t = rc.top, rt = rc.right, b = rc.bottom;
  auto edge = [](float x, float y) { return CQorVectorEdgeNode(x, y); };
  CBaseCustomPath path;
  // Each corner: the node ending a straight edge (control out into the arc) and the node
  // starting the next edge (control in from the arc).
  CQorVectorEdgeNode n;
  n = edge(rt - r, t), n.ptOut = {rt - r + k, t}, n.bHasOut = 1, path.AddNode(n);
  n = edge(rt, t + r), n.ptIn = {rt, t + r - k}, n.bHasIn = 1, path.AddNode(n);
  n = edge(rt, b - r), n.ptOut = {rt, b - r + k}, n.bHasOut = 1, path.AddNode(n);
  n = edge(rt - r, b), n.ptIn = {rt - r + k, b}, n.bHasIn = 1, path.AddNode(n);
  n = edge(l + r, b), n.ptOut = {l + r - k, b}, n.bHasOut = 1, path.AddNode(n);
  n = edge(l, b - r), n.ptIn = {l, b - r + k}, n.bHasIn = 1, path.AddNode(n);
  n = edge(l, t + r), n.ptOut = {l, t + r - k}, n.bHasOut = 1, path.AddNode(n);
  n = edge(l + r, t), n.ptIn = {l + r - k, t}, n.bHasIn = 1, path.AddNode(n);
  path.SetClosed(true);
  shape.AddSubPath(path);
  return true;
}

bool CDrawLineTool::BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                                   const CQorVectorPoint<float>& p1) const {
  if (std::hypot(p1.x - p0.x, p1.y - p0.y) < kMinShapeSize) return false;
  CBaseCustomPath path;
  path.AddNode(CQorVectorEdgeNode(p0));
  path.AddNode(CQorVectorEdgeNode(p1));
  path.SetClosed(false);
  shape.RemoveAllSubPaths();
  shape.AddSubPath(path);
  return true;
}

void CDrawShapeTool::PrepareShape(CCustomPathObj&) const {}

void CDrawLineTool::PrepareShape(CCustomPathObj& shape) const {
  shape.SetFillInsideFlag(0);
  shape.SetStrokeOutlineFlag(1);
  if (shape.GetStrokeKind() == RENDER_KIND_NONE) shape.SetStrokeKind(RENDER_KIND_SOLID);
  if (m_bArrow) shape.SetEndCap(LINE_CAP_ARROW_ANCHOR);
}

CQorVectorPoint<float> CDrawShapeTool::ConstrainedEnd(UINT nFlags) const {
  CQorVectorPoint<float> p = m_ptLastPoint;
  if (!ShiftDown(nFlags)) return p;
  const float dx = p.x - m_ptFirstPoint.x, dy = p.y - m_ptFirstPoint.y;
  if (IsLineTool()) {
    // The nearest multiple of 45 degrees, at the same length.
    const double len = std::hypot(dx, dy);
    const double a = std::round(std::atan2(dy, dx) / (3.14159265358979323846 / 4)) * (3.14159265358979323846 / 4);
    return {m_ptFirstPoint.x + static_cast<float>(len * std::cos(a)),
            m_ptFirstPoint.y + static_cast<float>(len * std::sin(a))};
  }
  // A square (circle) with the larger side.
  const float side = std::max(std::fabs(dx), std::fabs(dy));
  return {m_ptFirstPoint.x + (dx < 0 ? -side : side), m_ptFirstPoint.y + (dy < 0 ? -side : side)};
}

int CDrawShapeTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  if (!pView->GetRenderPage()) return 0;
  m_ptFirstPoint = m_ptLastPoint = pView->DpToLp(x, y);
  m_bDragging = true;
  m_dwMask |= TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING;
  pView->SetToolCapture();
  pView->InvalidateView();
  return 1;
}

int CDrawShapeTool::OnMouseMove(CWorkspaceView* pView, UINT, int x, int y) {
  if (!m_bDragging) return 0;
  pView->ScrollView(x, y);
  m_ptLastPoint = pView->DpToLp(x, y);
  pView->InvalidateView();
  return 1;
}

int CDrawShapeTool::OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (!m_bDragging) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  m_bDragging = false;
  m_dwMask &= ~(TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING);
  pView->ReleaseToolCapture();
  pView->InvalidateView();
  const CQorVectorPoint<float> p0 = pView->MapToPic(m_ptFirstPoint);
  const CQorVectorPoint<float> p1 = pView->MapToPic(ConstrainedEnd(nFlags));
  CCustomPathObj* shape = NewShape(pView);
  if (!shape) return 1;
  if (BuildShapePath(*shape, p0, p1)) {
    PrepareShape(*shape);
    PlaceShape(pView, shape, GetActionName());
  }
  shape->Release();
  return 1;
}

int CDrawShapeTool::OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT, UINT) {
  if (nChar != VK_ESCAPE || !m_bDragging) return 0;
  ToolUnInitalize(pView);
  return 1;
}

HCURSOR CDrawShapeTool::GetHandleCursor(CWorkspaceView*, int, int) { return LoadCursorW(nullptr, IDC_CROSS); }

void CDrawShapeTool::DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                                 float y) {
  if (!m_bDragging || !pGraphics) return;
  const UINT flags = (::GetKeyState(VK_SHIFT) & 0x8000) ? MK_SHIFT : 0;
  const CQorVectorPoint<float> p0 = pView->MapToPic(m_ptFirstPoint);
  const CQorVectorPoint<float> p1 = pView->MapToPic(ConstrainedEnd(flags));
  // The outline of the shape the release would make, flattened on the device.
  CCustomPathObj shape;
  if (!BuildShapePath(shape, p0, p1)) return;
  for (const CBaseCustomPath& sub : shape.GetSubPaths()) {
    Gdiplus::GraphicsPath path;
    sub.AddToPath(path);
    Gdiplus::Matrix m(sx, 0, 0, sy, x, y);
    path.Transform(&m);
    for (std::vector<Gdiplus::PointF>& pts : path.LwFlatten(0.25f)) {
      for (Gdiplus::PointF& pt : pts) pt = Gdiplus::PointF(std::round(pt.X), std::round(pt.Y));
      if (pts.size() >= 2) DrawOutlineLines(pGraphics, pts.data(), static_cast<int>(pts.size()), sub.IsClosed());
    }
  }
}

void CDrawShapeTool::ToolUnInitalize(CWorkspaceView* pView) {
  if (!m_bDragging) return;
  m_bDragging = false;
  m_dwMask &= ~(TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING);
  pView->ReleaseToolCapture();
  pView->InvalidateView();
}

// ---------------------------------------------------------------------------------------------
// Point-by-point shapes

int CDrawPointsTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  if (!pView->GetRenderPage()) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  const CQorVectorPoint<float> pic = pView->MapToPic(m_ptLastPoint);
  if (m_nodes.empty()) m_ptFirstPoint = m_ptLastPoint;
  // A click on the first node closes the shape.
  if (m_nodes.size() >= 3) {
    const CQorVectorPoint<float> first = pView->MapFromPic(m_nodes.front().pt);
    if (std::hypot(first.x - m_ptLastPoint.x, first.y - m_ptLastPoint.y) <= kCloseDistance) {
      Finish(pView, true);
      return 1;
    }
  }
  m_nodes.emplace_back(pic);
  m_bPressed = true;
  m_ptHover = pic;
  m_bHover = true;
  m_dwMask |= TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING;
  pView->SetToolCapture();
  pView->InvalidateView();
  return 1;
}

int CDrawPointsTool::OnMouseMove(CWorkspaceView* pView, UINT, int x, int y) {
  if (m_nodes.empty()) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  const CQorVectorPoint<float> pic = pView->MapToPic(m_ptLastPoint);
  m_ptHover = pic;
  m_bHover = true;
  if (m_bPressed && MakesCurves()) {
    // Pulls the new node's controls out: the outgoing one follows the pointer, the incoming one
    // mirrors it.
    CQorVectorEdgeNode& n = m_nodes.back();
    if (std::hypot(pic.x - n.pt.x, pic.y - n.pt.y) * pView->GetZoomFactor() >= 2) {
      n.ptOut = pic;
      n.ptIn = CQorVectorPoint<float>(2 * n.pt.x - pic.x, 2 * n.pt.y - pic.y);
      n.bHasOut = n.bHasIn = 1;
    }
  }
  pView->InvalidateView();
  return 1;
}

int CDrawPointsTool::OnLButtonUp(CWorkspaceView* pView, UINT, int, int) {
  if (!m_bPressed) return 0;
  m_bPressed = false;
  m_dwMask &= ~TOOL_MASK_DRAGGING;
  pView->ReleaseToolCapture();
  return 1;
}

int CDrawPointsTool::OnLButtonDblClk(CWorkspaceView* pView, UINT, int, int) {
  if (m_nodes.empty()) return 0;
  // The double click's first press placed a node already; a second one at the same place is
  // not a corner of its own.
  if (m_nodes.size() >= 2) {
    const CQorVectorEdgeNode& a = m_nodes[m_nodes.size() - 1];
    const CQorVectorEdgeNode& b = m_nodes[m_nodes.size() - 2];
    if (std::hypot(a.pt.x - b.pt.x, a.pt.y - b.pt.y) * pView->GetZoomFactor() < kCloseDistance) m_nodes.pop_back();
  }
  Finish(pView, !MakesCurves());
  return 1;
}

int CDrawPointsTool::OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT, UINT) {
  if (m_nodes.empty()) return 0;
  if (nChar == VK_ESCAPE) {
    Cancel(pView);
    return 1;
  }
  if (nChar == VK_RETURN) {
    Finish(pView, !MakesCurves());
    return 1;
  }
  return 0;
}

bool CDrawPointsTool::Finish(CWorkspaceView* pView, bool bClose) {
  std::vector<CQorVectorEdgeNode> nodes;
  nodes.swap(m_nodes);
  Cancel(pView);
  const size_t need = bClose ? 3 : 2;
  if (nodes.size() < need) return false;
  CCustomPathObj* shape = NewShape(pView);
  if (!shape) return false;
  CBaseCustomPath path;
  for (const CQorVectorEdgeNode& n : nodes) path.AddNode(n);
  path.SetClosed(bClose);
  shape->RemoveAllSubPaths();
  shape->AddSubPath(path);
  if (!bClose) shape->SetFillInsideFlag(0);
  PlaceShape(pView, shape, GetActionName());
  shape->Release();
  return true;
}

void CDrawPointsTool::Cancel(CWorkspaceView* pView) {
  m_nodes.clear();
  m_bHover = false;
  m_bPressed = false;
  m_dwMask &= ~(TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING);
  pView->ReleaseToolCapture();
  pView->InvalidateView();
}

HCURSOR CDrawPointsTool::GetHandleCursor(CWorkspaceView*, int, int) { return LoadCursorW(nullptr, IDC_CROSS); }

void CDrawPointsTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) {
  if (m_nodes.empty() || !pGraphics) return;
  // The path so far as a flattened line, then the rubber segment to the pointer.
  Gdiplus::GraphicsPath path;
  CBaseCustomPath sub;
  for (const CQorVectorEdgeNode& n : m_nodes) sub.AddNode(n);
  if (m_bHover && !m_bPressed) sub.AddNode(CQorVectorEdgeNode(m_ptHover));
  sub.SetClosed(false);
  sub.AddToPath(path);
  Gdiplus::Matrix m(sx, 0, 0, sy, x, y);
  path.Transform(&m);
  for (const std::vector<Gdiplus::PointF>& pts : path.LwFlatten(0.25f))
    if (pts.size() >= 2) DrawOutlineLines(pGraphics, pts.data(), static_cast<int>(pts.size()), false);
  for (size_t i = 0; i < m_nodes.size(); ++i) {
    const CQorVectorEdgeNode& n = m_nodes[i];
    DrawNodeMark(pGraphics, ToDevice(n.pt, sx, sy, x, y), false, i == 0);
    if (n.bHasOut) DrawNodeMark(pGraphics, ToDevice(n.ptOut, sx, sy, x, y), true, false);
    if (n.bHasIn) DrawNodeMark(pGraphics, ToDevice(n.ptIn, sx, sy, x, y), true, false);
  }
}

void CDrawPointsTool::ToolUnInitalize(CWorkspaceView* pView) {
  if (!m_nodes.empty()) Cancel(pView);
}

}  // namespace Vectorloom
