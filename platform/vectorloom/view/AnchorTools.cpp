// The anchor tools: move, add, delete and convert the nodes of a custom shape.
#include <cmath>

#include "ToolSupport.h"
#include "ViewActions.h"
#include "WorkspaceView.h"

namespace Vectorloom {

using namespace tools;

namespace {

// How near (client pixels) the pointer must be to a node, a control or a segment.
constexpr float kPickDistance = 5.0f;

using Pt = CQorVectorPoint<float>;

Pt Lerp(const Pt& a, const Pt& b, float t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
float Dist(const Pt& a, const Pt& b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The shape the anchor tools work on: the last selected custom shape.
CCustomPathObj* TargetShape(CWorkspaceView* pView) {
  return dynamic_cast<CCustomPathObj*>(pView->GetLastSelectedObject());
}

struct NodePick {
  int path = -1, node = -1;
  int part = 0;  // 0 the node, 1 its out control, 2 its in control
};

// The node (or, with bControls, the control) under a client point.
NodePick PickNode(const CCustomPathObj& shape, const CQorTransMatrix& toClient, const Pt& client, bool bControls) {
  NodePick best;
  float bestDist = kPickDistance;
  for (int i = 0; i < shape.GetSubPathsCount(); ++i) {
    const CBaseCustomPath& sub = shape.GetSubPath(i);
    for (int j = 0; j < sub.GetNodesCount(); ++j) {
      const CQorVectorEdgeNode& n = sub.GetNode(j);
      const std::pair<int, Pt> parts[3] = {{0, n.pt}, {1, n.ptOut}, {2, n.ptIn}};
      for (const auto& [part, p] : parts) {
        if (part == 1 && (!bControls || !n.bHasOut)) continue;
        if (part == 2 && (!bControls || !n.bHasIn)) continue;
        const float d = Dist(toClient.Transform(p), client);
        if (d <= bestDist) {
          bestDist = d;
          best = {i, j, part};
        }
      }
    }
  }
  return best;
}

// The four points of the segment from node j to the next.
void SegmentPoints(const CBaseCustomPath& sub, int j, Pt p[4]) {
  const CQorVectorEdgeNode& a = sub.GetNode(j);
  const CQorVectorEdgeNode& b = sub.GetNode((j + 1) % sub.GetNodesCount());
  p[0] = a.pt;
  p[1] = a.bHasOut ? a.ptOut : a.pt;
  p[2] = b.bHasIn ? b.ptIn : b.pt;
  p[3] = b.pt;
}

Pt Bezier(const Pt p[4], float t) {
  const Pt a = Lerp(p[0], p[1], t), b = Lerp(p[1], p[2], t), c = Lerp(p[2], p[3], t);
  return Lerp(Lerp(a, b, t), Lerp(b, c, t), t);
}

// Inserts a node on the segment under a client point; false when no segment is near.
bool InsertNodeAt(CCustomPathObj& shape, const CQorTransMatrix& toClient, const Pt& client) {
  int bestPath = -1, bestSeg = -1;
  float bestT = 0, bestDist = kPickDistance;
  for (int i = 0; i < shape.GetSubPathsCount(); ++i) {
    const CBaseCustomPath& sub = shape.GetSubPath(i);
    const int n = sub.GetNodesCount();
    const int segments = sub.IsClosed() ? n : n - 1;
    for (int j = 0; j < segments && n >= 2; ++j) {
      Pt p[4];
      SegmentPoints(sub, j, p);
      constexpr int kSteps = 64;
      for (int s = 1; s < kSteps; ++s) {
        const float t = static_cast<float>(s) / kSteps;
        const float d = Dist(toClient.Transform(Bezier(p, t)), client);
        if (d < bestDist) bestDist = d, bestPath = i, bestSeg = j, bestT = t;
      }
    }
  }
  if (bestPath < 0) return false;
  CBaseCustomPath& sub = shape.GetSubPath(bestPath);
  const int n = sub.GetNodesCount();
  Pt p[4];
  SegmentPoints(sub, bestSeg, p);
  CQorVectorEdgeNode& a = sub.GetNode(bestSeg);
  const int next = (bestSeg + 1) % n;
  const bool curved = a.bHasOut || sub.GetNode(next).bHasIn;
  CQorVectorEdgeNode mid(Bezier(p, bestT));
  if (curved) {
    // De Casteljau: the two halves keep the curve as it was.
    const Pt ab = Lerp(p[0], p[1], bestT), bc = Lerp(p[1], p[2], bestT), cd = Lerp(p[2], p[3], bestT);
    const Pt abc = Lerp(ab, bc, bestT), bcd = Lerp(bc, cd, bestT);
    a.ptOut = ab, a.bHasOut = 1;
    CQorVectorEdgeNode& b = sub.GetNode(next);
    b.ptIn = cd, b.bHasIn = 1;
    mid.ptIn = abc, mid.ptOut = bcd, mid.bHasIn = mid.bHasOut = 1;
  }
  std::vector<CQorVectorEdgeNode> nodes = sub.GetNodes();
  nodes.insert(nodes.begin() + bestSeg + 1, mid);
  const bool closed = sub.IsClosed();
  sub.RemoveAllNodes();
  for (const CQorVectorEdgeNode& node : nodes) sub.AddNode(node);
  sub.SetClosed(closed);
  return true;
}

const wchar_t* ActionName(CAnchorTool::eAnchorMode mode) {
  switch (mode) {
    case CAnchorTool::ANCHOR_MOVE: return L"Move Anchor";
    case CAnchorTool::ANCHOR_ADD: return L"Add Anchor";
    case CAnchorTool::ANCHOR_DELETE: return L"Delete Anchor";
    default: return L"Convert Anchor";
  }
}

}  // namespace

void CAnchorTool::ToolInitalize(CWorkspaceView* pView) {
  m_dwMask |= TOOL_MASK_OUTLINE;
  pView->InvalidateView();
}

void CAnchorTool::ToolUnInitalize(CWorkspaceView* pView) {
  EndDrag(pView, true);
  m_dwMask &= ~TOOL_MASK_OUTLINE;
  pView->InvalidateView();
}

int CAnchorTool::OnLButtonDown(CWorkspaceView* pView, UINT, int x, int y) {
  if (!pView->GetRenderPage()) return 0;
  EndDrag(pView, true);
  m_ptFirstPoint = m_ptLastPoint = pView->DpToLp(x, y);
  const Pt client(static_cast<float>(x), static_cast<float>(y));
  const Pt pic = pView->MapToPic(m_ptFirstPoint);
  CCustomPathObj* shape = TargetShape(pView);
  const CQorTransMatrix toClient = shape ? shape->GetTransMatrix() * pView->GetPicToClientMatrix() : CQorTransMatrix();
  NodePick pick;
  bool onSegment = false;
  if (shape) {
    pick = PickNode(*shape, toClient, client, m_mode == ANCHOR_MOVE);
    if (pick.path < 0 && m_mode == ANCHOR_ADD) {
      // Only tried below, on a copy of the paths taken for undo.
      onSegment = true;
    }
  }
  if (!shape || (pick.path < 0 && !onSegment)) {
    // Not on the shape's nodes: a click on another custom shape makes it the one worked on.
    CRenderBaseObj* hit = pView->HitTestRenderObject(pic);
    if (hit && hit != shape && dynamic_cast<CCustomPathObj*>(hit)) pView->SelectRenderObject(hit, false);
    pView->InvalidateView();
    return 1;
  }
  if (pView->IsObjectLocked(shape)) {
    pView->ProcessEvent(VIEW_EVENT_ANCHOR_LOCKED, reinterpret_cast<LPARAM>(static_cast<CRenderBaseObj*>(shape)));
    return 1;
  }
  shape->AddRef();
  m_pShape = shape;
  m_pBefore = static_cast<CCustomPathObj*>(shape->CCustomPathObj::Clone());
  m_pBefore->AddRef();
  m_nPath = pick.path, m_nNode = pick.node, m_nPart = pick.part;
  m_bChanged = false;
  switch (m_mode) {
    case ANCHOR_ADD:
      m_bChanged = InsertNodeAt(*shape, toClient, client);
      EndDrag(pView, true);
      return 1;
    case ANCHOR_DELETE: {
      CBaseCustomPath& sub = shape->GetSubPath(m_nPath);
      // A sub-path keeps two nodes at least; a closed one opens below three.
      if (sub.GetNodesCount() > 2) {
        std::vector<CQorVectorEdgeNode> nodes = sub.GetNodes();
        nodes.erase(nodes.begin() + m_nNode);
        const bool closed = sub.IsClosed() && nodes.size() >= 3;
        sub.RemoveAllNodes();
        for (const CQorVectorEdgeNode& node : nodes) sub.AddNode(node);
        sub.SetClosed(closed);
        m_bChanged = true;
      }
      EndDrag(pView, true);
      return 1;
    }
    case ANCHOR_CONVERT: {
      CQorVectorEdgeNode& n = shape->GetSubPath(m_nPath).GetNode(m_nNode);
      if (n.bHasIn || n.bHasOut) {
        // A smooth node becomes a corner.
        n.ptIn = n.ptOut = n.pt;
        n.bHasIn = n.bHasOut = 0;
        m_bChanged = true;
        EndDrag(pView, true);
        return 1;
      }
      break;  // a corner: the drag pulls its controls out
    }
    default:
      break;
  }
  m_dwMask |= TOOL_MASK_DRAGGING;
  pView->SetToolCapture();
  return 1;
}

int CAnchorTool::OnMouseMove(CWorkspaceView* pView, UINT, int x, int y) {
  if (!m_pShape) return 0;
  m_ptLastPoint = pView->DpToLp(x, y);
  CQorTransMatrix inv = m_pShape->GetTransMatrix();
  if (!inv.Invert()) return 1;
  const Pt p = inv.Transform(pView->MapToPic(m_ptLastPoint));
  CQorVectorEdgeNode& n = m_pShape->GetSubPath(m_nPath).GetNode(m_nNode);
  const CQorVectorEdgeNode& orig = m_pBefore->GetSubPath(m_nPath).GetNode(m_nNode);
  if (m_mode == ANCHOR_MOVE) {
    if (m_nPart == 0) {
      const float dx = p.x - orig.pt.x, dy = p.y - orig.pt.y;
      n.pt = {orig.pt.x + dx, orig.pt.y + dy};
      n.ptOut = {orig.ptOut.x + dx, orig.ptOut.y + dy};
      n.ptIn = {orig.ptIn.x + dx, orig.ptIn.y + dy};
    } else if (m_nPart == 1) {
      n.ptOut = p;
    } else {
      n.ptIn = p;
    }
  } else if (m_mode == ANCHOR_CONVERT) {
    n.ptOut = p;
    n.ptIn = {2 * n.pt.x - p.x, 2 * n.pt.y - p.y};
    n.bHasIn = n.bHasOut = 1;
  }
  m_bChanged = true;
  m_pShape->CreatePathStorage();
  pView->InvalidateView();
  return 1;
}

int CAnchorTool::OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) {
  if (!m_pShape) return 0;
  OnMouseMove(pView, nFlags, x, y);
  // A click on a corner without a drag leaves it as it was.
  if (std::hypot(m_ptLastPoint.x - m_ptFirstPoint.x, m_ptLastPoint.y - m_ptFirstPoint.y) < 2) {
    EndDrag(pView, false);
    return 1;
  }
  EndDrag(pView, true);
  return 1;
}

void CAnchorTool::EndDrag(CWorkspaceView* pView, bool bCommit) {
  m_dwMask &= ~TOOL_MASK_DRAGGING;
  pView->ReleaseToolCapture();
  if (!m_pShape) return;
  if (m_bChanged && bCommit && pView->GetDocument()) {
    m_pShape->CreatePathStorage();
    pView->CommitEditAction(new CModifyShapePathAction(ActionName(m_mode), m_pShape, m_pBefore->GetSubPaths(),
                                                       m_pBefore->GetTransMatrix()));
  } else if (m_bChanged) {
    m_pShape->RemoveAllSubPaths();
    for (const CBaseCustomPath& sub : m_pBefore->GetSubPaths()) m_pShape->AddSubPath(sub);
    m_pShape->CreatePathStorage();
  }
  m_bChanged = false;
  ReleaseRefObj(m_pShape);
  ReleaseRefObj(m_pBefore);
  m_nPath = m_nNode = -1;
  pView->InvalidateView();
}

HCURSOR CAnchorTool::GetHandleCursor(CWorkspaceView*, int, int) { return LoadCursorW(nullptr, IDC_CROSS); }

void CAnchorTool::DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x,
                              float y) {
  CCustomPathObj* shape = m_pShape ? m_pShape : TargetShape(pView);
  if (!shape || !pGraphics) return;
  const CQorTransMatrix m = shape->GetTransMatrix() * CQorTransMatrix(sx, 0, 0, sy, x, y);
  auto dev = [&](const Pt& p) {
    const Pt d = m.Transform(p);
    return Gdiplus::PointF(std::round(d.x), std::round(d.y));
  };
  Gdiplus::Pen arm(Gdiplus::Color(255, 0, 120, 215), 1.0f);
  for (int i = 0; i < shape->GetSubPathsCount(); ++i) {
    const CBaseCustomPath& sub = shape->GetSubPath(i);
    for (int j = 0; j < sub.GetNodesCount(); ++j) {
      const CQorVectorEdgeNode& n = sub.GetNode(j);
      const Gdiplus::PointF p = dev(n.pt);
      if (n.bHasOut) {
        pGraphics->DrawLine(&arm, p, dev(n.ptOut));
        DrawNodeMark(pGraphics, dev(n.ptOut), true, false);
      }
      if (n.bHasIn) {
        pGraphics->DrawLine(&arm, p, dev(n.ptIn));
        DrawNodeMark(pGraphics, dev(n.ptIn), true, false);
      }
      DrawNodeMark(pGraphics, p, false, i == m_nPath && j == m_nNode);
    }
  }
}

}  // namespace Vectorloom
