// The selection tool: select, move, resize and rotate.
#include <algorithm>
#include <cmath>

#include "ToolSupport.h"
#include "ViewActions.h"
#include "WorkspaceView.h"

namespace Vectorloom {

using namespace tools;

namespace {

// Below this many client pixels a press and release count as a click, not a drag.
constexpr float kClickSlop = 2.0f;

CQorVectorRect<float> BoundsOf(const CRenderBaseObjectList& list) {
  CQorVectorRect<float> rc;
  for (CRenderBaseObj* obj : list) rc.Union(obj->CalcuBoundRect());
  return rc;
}

}  // namespace

void CSelectTool::Reset() {
  m_mode = DRAG_NONE;
  m_nHandle = -1;
  m_bChanged = false;
  m_bLockedReported = false;
  m_objects.RemoveAllElements();
  m_startMatrices.clear();
  m_dwMask &= ~(TOOL_MASK_OUTLINE | TOOL_MASK_DRAGGING);
}

int CSelectTool::OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (m_mode != DRAG_NONE) Commit(pView);  // a press while a drag is open (lost button up)
  m_ptFirstPoint = m_ptLastPoint = pView->DpToLp(x, y);
  if (!pView->GetRenderPage()) return 0;
  const CQorVectorPoint<float> pic = pView->MapToPic(m_ptFirstPoint);

  CRenderBaseObj* handleObj = nullptr;
  const int handle = pView->HitTestSelectedHandles(pic, &handleObj);
  if (handle >= 0 && !ShiftDown(nFlags) && !CtrlDown(nFlags)) {
    if (handle == HANDLE_ROTATE) {
      m_mode = DRAG_ROTATE;
      const CRenderBaseObjectList& sel = pView->GetSelectedObjectsList();
      m_objects = sel.GetCount() > 1 ? sel : CRenderBaseObjectList();
      if (m_objects.IsEmpty()) m_objects.AddElement(handleObj);
      if (m_objects.GetCount() == 1) {
        CQorVectorPoint<float> p0, p1;
        CWorkspaceView::GetRotationHandles(*handleObj, CQorTransMatrix(), p0, p1);
        m_ptCentre = p0;
      } else {
        const CQorVectorRect<float> rc = BoundsOf(m_objects);
        m_ptCentre = CQorVectorPoint<float>((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
      }
    } else {
      m_mode = DRAG_RESIZE;
      m_nHandle = handle;
      m_objects.AddElement(handleObj);
      m_boxStart = handleObj->GetObjectBox();
    }
  } else if (CRenderBaseObj* hit = pView->HitTestRenderObject(pic)) {
    if (ShiftDown(nFlags) || CtrlDown(nFlags)) {
      // Adds the object to the selection or takes it out; no drag.
      if (pView->IsObjectSelected(hit))
        pView->DeselectRenderObject(hit);
      else
        pView->SelectRenderObject(hit, true);
      return 1;
    }
    if (!pView->IsObjectSelected(hit)) pView->SelectRenderObject(hit, false);
    m_mode = DRAG_MOVE;
    m_objects = pView->GetSelectedObjectsList();
  } else {
    if (!ShiftDown(nFlags) && !CtrlDown(nFlags)) pView->DeseleteAllRenderObjects();
    m_mode = DRAG_RUBBER_BAND;
    m_dwMask |= TOOL_MASK_OUTLINE;
  }
  for (CRenderBaseObj* obj : m_objects) m_startMatrices.push_back(obj->GetTransMatrix());
  m_rcStart = BoundsOf(m_objects);
  m_dwMask |= TOOL_MASK_DRAGGING;
  pView->SetToolCapture();
  return 1;
}

void CSelectTool::RestoreStart() {
  for (int i = 0; i < m_objects.GetCount(); ++i) {
    CRenderBaseObj* obj = m_objects.GetAt(i);
    if (m_mode == DRAG_RESIZE) {
      obj->ResizeObject(m_boxStart);
      obj->CreatePathStorage();
    } else {
      SetObjectMatrix(obj, m_startMatrices[static_cast<size_t>(i)]);
    }
  }
}

void CSelectTool::ApplyDrag(CWorkspaceView* pView, UINT nFlags) {
  const CQorVectorPoint<float> p0 = pView->MapToPic(m_ptFirstPoint);
  const CQorVectorPoint<float> p1 = pView->MapToPic(m_ptLastPoint);
  const float zoom = pView->GetZoomFactor();
  const bool dragged = std::fabs(m_ptLastPoint.x - m_ptFirstPoint.x) >= kClickSlop ||
                       std::fabs(m_ptLastPoint.y - m_ptFirstPoint.y) >= kClickSlop;
  if (!dragged && !m_bChanged) return;

  // Locked objects refuse the change (told once per drag).
  if (m_mode != DRAG_RUBBER_BAND) {
    for (CRenderBaseObj* obj : m_objects) {
      if (!pView->IsObjectLocked(obj)) continue;
      if (!m_bLockedReported) {
        m_bLockedReported = true;
        const int event = m_mode == DRAG_MOVE     ? VIEW_EVENT_MOVE_LOCKED
                          : m_mode == DRAG_RESIZE ? VIEW_EVENT_RESIZE_LOCKED
                                                  : VIEW_EVENT_ROTATE_LOCKED;
        pView->ReleaseToolCapture();
        pView->ProcessEvent(event, reinterpret_cast<LPARAM>(obj));
      }
      return;
    }
  }

  CQorVectorRect<float> before = BoundsOf(m_objects);
  switch (m_mode) {
    case DRAG_MOVE: {
      // The bounds' top-left corner lands on whole pixels of the page.
      const float dx = std::round(m_rcStart.left + (p1.x - p0.x)) - m_rcStart.left;
      const float dy = std::round(m_rcStart.top + (p1.y - p0.y)) - m_rcStart.top;
      for (int i = 0; i < m_objects.GetCount(); ++i)
        SetObjectMatrix(m_objects.GetAt(i),
                        m_startMatrices[static_cast<size_t>(i)] * CQorTransMatrix::Translation(dx, dy));
      m_bChanged = true;
      break;
    }
    case DRAG_RESIZE: {
      CRenderBaseObj* obj = m_objects.GetHead();
      CQorTransMatrix inv = m_startMatrices.front();
      if (!inv.Invert()) return;
      const CQorVectorPoint<float> q = inv.Transform(p1);
      CQorVectorRect<float> box = m_boxStart;
      const bool left = m_nHandle == HANDLE_TOPLEFT || m_nHandle == HANDLE_LEFT || m_nHandle == HANDLE_BOTTOMLEFT;
      const bool right = m_nHandle == HANDLE_TOPRIGHT || m_nHandle == HANDLE_RIGHT || m_nHandle == HANDLE_BOTTOMRIGHT;
      const bool top = m_nHandle == HANDLE_TOPLEFT || m_nHandle == HANDLE_TOP || m_nHandle == HANDLE_TOPRIGHT;
      const bool bottom = m_nHandle == HANDLE_BOTTOMLEFT || m_nHandle == HANDLE_BOTTOM || m_nHandle == HANDLE_BOTTOMRIGHT;
      // At least one pixel on the screen, whatever the object's scale.
      float sx = 1, sy = 1;
      m_startMatrices.front().Scaling(sx, sy);
      const float minW = 1.0f / std::max(1e-6f, sx * zoom), minH = 1.0f / std::max(1e-6f, sy * zoom);
      if (left) box.left = std::min(q.x, box.right - minW);
      if (right) box.right = std::max(q.x, box.left + minW);
      if (top) box.top = std::min(q.y, box.bottom - minH);
      if (bottom) box.bottom = std::max(q.y, box.top + minH);
      const bool corner = (left || right) && (top || bottom);
      if (corner && ShiftDown(nFlags) && m_boxStart.Width() > 0 && m_boxStart.Height() > 0) {
        // Proportional: the larger of the two scales for both sides, from the fixed corner.
        const float s = std::max(box.Width() / m_boxStart.Width(), box.Height() / m_boxStart.Height());
        const float w = m_boxStart.Width() * s, h = m_boxStart.Height() * s;
        if (left) box.left = box.right - w; else box.right = box.left + w;
        if (top) box.top = box.bottom - h; else box.bottom = box.top + h;
      }
      obj->ResizeObject(box);
      obj->CreatePathStorage();
      m_bChanged = true;
      break;
    }
    case DRAG_ROTATE: {
      const double a0 = std::atan2(p0.y - m_ptCentre.y, p0.x - m_ptCentre.x);
      const double a1 = std::atan2(p1.y - m_ptCentre.y, p1.x - m_ptCentre.x);
      double deg = (a1 - a0) * 180.0 / 3.14159265358979323846;
      if (ShiftDown(nFlags)) deg = std::round(deg / 15.0) * 15.0;
      const CQorTransMatrix rot = CQorTransMatrix::RotationAt(static_cast<float>(deg), m_ptCentre.x, m_ptCentre.y);
      for (int i = 0; i < m_objects.GetCount(); ++i)
        SetObjectMatrix(m_objects.GetAt(i), m_startMatrices[static_cast<size_t>(i)] * rot);
      m_bChanged = true;
      break;
    }
    case DRAG_RUBBER_BAND: {
      pView->InvalidateView();
      return;
    }
    default:
      return;
  }
  before.Union(BoundsOf(m_objects));
  before.Inflate(CWorkspaceView::kRotateGripDistance / zoom + 8, CWorkspaceView::kRotateGripDistance / zoom + 8);
  pView->InvalidatePicRect(before);
}

int CSelectTool::OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (m_mode == DRAG_NONE) return 0;
  // A drag past the window's edge scrolls the view; the drag follows in logical points.
  pView->ScrollView(x, y);
  m_ptLastPoint = pView->DpToLp(x, y);
  ApplyDrag(pView, nFlags);
  return 1;
}

void CSelectTool::Commit(CWorkspaceView* pView) {
  const eDragMode mode = m_mode;
  if (mode == DRAG_RUBBER_BAND) {
    const CQorVectorPoint<float> p0 = pView->MapToPic(m_ptFirstPoint);
    const CQorVectorPoint<float> p1 = pView->MapToPic(m_ptLastPoint);
    CQorVectorRect<float> band(p0.x, p0.y, p1.x, p1.y);
    band.Normalize();
    const float slop = kClickSlop / pView->GetZoomFactor();
    if (band.Width() >= slop || band.Height() >= slop) {
      // Every object lying wholly inside the band joins the selection.
      for (CRenderBaseObj* obj : pView->GetRenderPage()->GetRenderObjectList()) {
        const CQorVectorRect<float> b = obj->CalcuBoundRect();
        if (b.left >= band.left && b.right <= band.right && b.top >= band.top && b.bottom <= band.bottom)
          pView->SelectRenderObject(obj, true);
      }
    }
    pView->InvalidateView();
  } else if (m_bChanged && !m_bLockedReported && pView->GetDocument()) {
    if (mode == DRAG_RESIZE) {
      CRenderBaseObj* obj = m_objects.GetHead();
      pView->CommitEditAction(new CResizeObjectAction(L"Resize", obj, m_boxStart, obj->GetObjectBox()));
    } else {
      auto* action = new CTransformObjectsAction(mode == DRAG_MOVE ? L"Move" : L"Rotate");
      for (int i = 0; i < m_objects.GetCount(); ++i) {
        CRenderBaseObj* obj = m_objects.GetAt(i);
        action->AddObject(obj, m_startMatrices[static_cast<size_t>(i)], obj->GetTransMatrix());
      }
      pView->CommitEditAction(action);
    }
  } else if (m_bChanged) {
    RestoreStart();
    pView->InvalidateView();
  }
  pView->ReleaseToolCapture();
  Reset();
}

int CSelectTool::OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (m_mode == DRAG_NONE) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  if (m_mode != DRAG_RUBBER_BAND) ApplyDrag(pView, nFlags);
  Commit(pView);
  return 1;
}

int CSelectTool::OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT, UINT) {
  if (nChar == VK_ESCAPE) {
    if (m_mode != DRAG_NONE && m_mode != DRAG_RUBBER_BAND) {
      RestoreStart();
      m_bChanged = false;
    }
    if (m_mode != DRAG_NONE) {
      pView->ReleaseToolCapture();
      Reset();
    } else {
      pView->DeseleteAllRenderObjects();
    }
    pView->InvalidateView();
    return 1;
  }
  float dx = 0, dy = 0;
  const float step = (::GetKeyState(VK_SHIFT) & 0x8000) ? 10.0f : 1.0f;
  switch (nChar) {
    case VK_LEFT: dx = -step; break;
    case VK_RIGHT: dx = step; break;
    case VK_UP: dy = -step; break;
    case VK_DOWN: dy = step; break;
    default: return 0;
  }
  if (m_mode != DRAG_NONE || pView->GetSelectedObjectsCount() == 0) return 0;
  const CRenderBaseObjectList& sel = pView->GetSelectedObjectsList();
  for (CRenderBaseObj* obj : sel) {
    if (pView->IsObjectLocked(obj)) {
      pView->ProcessEvent(VIEW_EVENT_NUDGE_LOCKED, reinterpret_cast<LPARAM>(obj));
      return 1;
    }
  }
  auto* action = new CTransformObjectsAction(L"Move");
  for (CRenderBaseObj* obj : sel) {
    const CQorTransMatrix before = obj->GetTransMatrix();
    SetObjectMatrix(obj, before * CQorTransMatrix::Translation(dx, dy));
    action->AddObject(obj, before, obj->GetTransMatrix());
  }
  pView->CommitEditAction(action);
  return 1;
}

HCURSOR ResizeCursorOf(const CRenderBaseObj& obj, int handle) {
  // The handle's place on the box: -1, 0 or 1 across and down.
  static constexpr int kAcross[8] = {-1, 0, 1, 1, 1, 0, -1, -1};
  static constexpr int kDown[8] = {-1, -1, -1, 0, 1, 1, 1, 0};
  if (handle < HANDLE_TOPLEFT || handle > HANDLE_LEFT) return nullptr;
  CQorVectorPoint<float> pts[8];
  obj.GetHandlePoints(pts);
  // The object's axes on the page, of unit length; an object without width or height keeps the
  // page's axis.
  auto unit = [](float x, float y, float fx, float fy) {
    const float n = std::hypot(x, y);
    return n > 1e-6f ? CQorVectorPoint<float>(x / n, y / n) : CQorVectorPoint<float>(fx, fy);
  };
  const CQorVectorPoint<float> u =
      unit(pts[HANDLE_RIGHT].x - pts[HANDLE_LEFT].x, pts[HANDLE_RIGHT].y - pts[HANDLE_LEFT].y, 1, 0);
  const CQorVectorPoint<float> v =
      unit(pts[HANDLE_BOTTOM].x - pts[HANDLE_TOP].x, pts[HANDLE_BOTTOM].y - pts[HANDLE_TOP].y, 0, 1);
  const float dx = kAcross[handle] * u.x + kDown[handle] * v.x;
  const float dy = kAcross[handle] * u.y + kDown[handle] * v.y;
  // Eighths of a turn from "right", y down; opposite directions share an arrow.
  const double eighth = std::atan2(static_cast<double>(dy), static_cast<double>(dx)) / (M_PI / 4);
  const int octant = ((static_cast<int>(std::lround(eighth)) % 4) + 4) % 4;
  static const LPCWSTR kArrows[4] = {IDC_SIZEWE, IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW};
  return LoadCursorW(nullptr, kArrows[octant]);
}

HCURSOR SelectionCursorAt(CWorkspaceView* pView, int x, int y) {
  if (!pView || !pView->GetRenderPage()) return nullptr;
  const CQorVectorPoint<float> pic = pView->ClientToPic(x, y);
  CRenderBaseObj* obj = nullptr;
  const int handle = pView->HitTestSelectedHandles(pic, &obj);
  if (handle == HANDLE_ROTATE) return LoadCursorW(nullptr, IDC_HAND);
  if (handle >= 0 && obj) return ResizeCursorOf(*obj, handle);
  CRenderBaseObj* hit = pView->HitTestRenderObject(pic);
  if (hit && pView->IsObjectSelected(hit)) return LoadCursorW(nullptr, IDC_SIZEALL);
  return nullptr;
}

// While a drag is open the cursor stays the one it started with.
HCURSOR CSelectTool::GetHandleCursor(CWorkspaceView* pView, int x, int y) {
  switch (m_mode) {
    case DRAG_RESIZE:
      return m_objects.GetCount() > 0 ? ResizeCursorOf(*m_objects.GetAt(0), m_nHandle) : nullptr;
    case DRAG_ROTATE:
      return LoadCursorW(nullptr, IDC_HAND);
    case DRAG_MOVE:
      return LoadCursorW(nullptr, IDC_SIZEALL);
    case DRAG_RUBBER_BAND:
      return nullptr;
    case DRAG_NONE:
      break;
  }
  return SelectionCursorAt(pView, x, y);
}

void CSelectTool::DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                              float y) {
  if (m_mode != DRAG_RUBBER_BAND || !pGraphics) return;
  const CQorVectorPoint<float> p0 = pView->MapToPic(m_ptFirstPoint);
  const CQorVectorPoint<float> p1 = pView->MapToPic(m_ptLastPoint);
  // Whole coordinates are pixel centres: lines there are one pixel wide and crisp.
  const float l = std::round(std::min(p0.x, p1.x) * sx + x), r = std::round(std::max(p0.x, p1.x) * sx + x);
  const float t = std::round(std::min(p0.y, p1.y) * sy + y), b = std::round(std::max(p0.y, p1.y) * sy + y);
  const Gdiplus::PointF pts[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  DrawOutlineLines(pGraphics, pts, 4, true);
}

void CSelectTool::ToolUnInitalize(CWorkspaceView* pView) {
  if (m_mode != DRAG_NONE) Commit(pView);
}

}  // namespace Vectorloom
