// The workspace view's window side: painting, the mouse and key events handed to the tools, and
// the tool, undo and redo commands.
#include <gdiplus.h>
#include <wingdi.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "WorkspaceView.h"

namespace Vectorloom {

BEGIN_MESSAGE_MAP(CWorkspaceView, COriginalView)
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_LBUTTONDBLCLK()
  ON_WM_RBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_KEYDOWN()
  ON_WM_CHAR()
  ON_WM_TIMER()
  ON_WM_CAPTURECHANGED()
  ON_WM_ERASEBKGND()
  ON_WM_SIZE()
  ON_COMMAND(kIdEditUndo, &CWorkspaceView::OnEditUndo)
  ON_COMMAND(kIdEditRedo, &CWorkspaceView::OnEditRedo)
  ON_UPDATE_COMMAND_UI(kIdEditUndo, &CWorkspaceView::OnUpdateEditUndo)
  ON_UPDATE_COMMAND_UI(kIdEditRedo, &CWorkspaceView::OnUpdateEditRedo)
  ON_COMMAND(ID_DEFAULT_MODE, &CWorkspaceView::OnDefaultMode)
  ON_UPDATE_COMMAND_UI(ID_DEFAULT_MODE, &CWorkspaceView::OnUpdateDefaultMode)
  ON_COMMAND(ID_DRAW_RECTANGLE, &CWorkspaceView::OnDrawRectangle)
  ON_UPDATE_COMMAND_UI(ID_DRAW_RECTANGLE, &CWorkspaceView::OnUpdateDrawRectangle)
  ON_COMMAND(ID_DRAW_OVAL, &CWorkspaceView::OnDrawOval)
  ON_UPDATE_COMMAND_UI(ID_DRAW_OVAL, &CWorkspaceView::OnUpdateDrawOval)
  ON_COMMAND(ID_DRAW_ROUNDRECT, &CWorkspaceView::OnDrawRoundRect)
  ON_UPDATE_COMMAND_UI(ID_DRAW_ROUNDRECT, &CWorkspaceView::OnUpdateDrawRoundRect)
  ON_COMMAND(ID_DRAW_POLYGON, &CWorkspaceView::OnDrawPolygon2)
  ON_UPDATE_COMMAND_UI(ID_DRAW_POLYGON, &CWorkspaceView::OnUpdateDrawPolygon2)
  ON_COMMAND(ID_DRAW_LINE, &CWorkspaceView::OnDrawLine)
  ON_UPDATE_COMMAND_UI(ID_DRAW_LINE, &CWorkspaceView::OnUpdateDrawLine)
  ON_COMMAND(ID_DRAW_LINE_ARROW, &CWorkspaceView::OnDrawLineArrow)
  ON_UPDATE_COMMAND_UI(ID_DRAW_LINE_ARROW, &CWorkspaceView::OnUpdateDrawLineArrow)
  ON_COMMAND(ID_CUSTOM_SHAPE, &CWorkspaceView::OnCustomShape)
  ON_UPDATE_COMMAND_UI(ID_CUSTOM_SHAPE, &CWorkspaceView::OnUpdateCustomShape)
  ON_COMMAND(ID_MOVE_ANCHOR, &CWorkspaceView::OnMoveAnchorTool)
  ON_UPDATE_COMMAND_UI(ID_MOVE_ANCHOR, &CWorkspaceView::OnUpdateMoveAnchorTool)
  ON_COMMAND(ID_ADD_ANCHOR, &CWorkspaceView::OnAddAnchorTool)
  ON_UPDATE_COMMAND_UI(ID_ADD_ANCHOR, &CWorkspaceView::OnUpdateAddAnchorTool)
  ON_COMMAND(ID_DELETE_ANCHOR, &CWorkspaceView::OnDeleteAnchorTool)
  ON_UPDATE_COMMAND_UI(ID_DELETE_ANCHOR, &CWorkspaceView::OnUpdateDeleteAnchorTool)
  ON_COMMAND(ID_CONVERT_ANCHOR, &CWorkspaceView::OnConvertAnchorTool)
  ON_UPDATE_COMMAND_UI(ID_CONVERT_ANCHOR, &CWorkspaceView::OnUpdateConvertAnchorTool)
  ON_COMMAND(ID_MOVE_TO_FRONT, &CWorkspaceView::OnMoveObjectsToFront)
  ON_UPDATE_COMMAND_UI(ID_MOVE_TO_FRONT, &CWorkspaceView::OnUpdateMoveObjectsToFront)
  ON_COMMAND(ID_MOVE_FORWARD, &CWorkspaceView::OnMoveObjectsForward)
  ON_UPDATE_COMMAND_UI(ID_MOVE_FORWARD, &CWorkspaceView::OnUpdateMoveObjectsForward)
  ON_COMMAND(ID_MOVE_BACKWARD, &CWorkspaceView::OnMoveObjectsBackward)
  ON_UPDATE_COMMAND_UI(ID_MOVE_BACKWARD, &CWorkspaceView::OnUpdateMoveObjectsBackward)
  ON_COMMAND(ID_MOVE_BACK, &CWorkspaceView::OnMoveObjectsBack)
  ON_UPDATE_COMMAND_UI(ID_MOVE_BACK, &CWorkspaceView::OnUpdateMoveObjectsBack)
  ON_COMMAND(ID_CREATE_GROUP, &CWorkspaceView::OnCreateGroup)
  ON_UPDATE_COMMAND_UI(ID_CREATE_GROUP, &CWorkspaceView::OnUpdateCreateGroup)
  ON_COMMAND(ID_UNGROUP, &CWorkspaceView::OnDrawUngroup)
  ON_UPDATE_COMMAND_UI(ID_UNGROUP, &CWorkspaceView::OnUpdateDrawUngroup)
  ON_COMMAND(ID_ALIGN_LEFT, &CWorkspaceView::OnAlignLeft)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_LEFT, &CWorkspaceView::OnUpdateAlignLeft)
  ON_COMMAND(ID_ALIGN_RIGHT, &CWorkspaceView::OnAlignRight)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_RIGHT, &CWorkspaceView::OnUpdateAlignRight)
  ON_COMMAND(ID_ALIGN_CENTER, &CWorkspaceView::OnAlignCenter)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_CENTER, &CWorkspaceView::OnUpdateAlignCenter)
  ON_COMMAND(ID_ALIGN_TOP, &CWorkspaceView::OnAlignTop)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_TOP, &CWorkspaceView::OnUpdateAlignTop)
  ON_COMMAND(ID_ALIGN_MIDDLE, &CWorkspaceView::OnAlignMiddle)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_MIDDLE, &CWorkspaceView::OnUpdateAlignMiddle)
  ON_COMMAND(ID_ALIGN_BOTTOM, &CWorkspaceView::OnAlignBottom)
  ON_UPDATE_COMMAND_UI(ID_ALIGN_BOTTOM, &CWorkspaceView::OnUpdateAlignBottom)
  ON_COMMAND(ID_MIRROR, &CWorkspaceView::OnMirrorShapeObjects)
  ON_UPDATE_COMMAND_UI(ID_MIRROR, &CWorkspaceView::OnUpdateMirrorShapeObjects)
  ON_COMMAND(ID_FLIP, &CWorkspaceView::OnFilpShapeObjects)
  ON_UPDATE_COMMAND_UI(ID_FLIP, &CWorkspaceView::OnUpdateFlipShapeObjects)
  ON_COMMAND(ID_MAKE_SAME_WIDTH, &CWorkspaceView::OnMakeSameWidth)
  ON_UPDATE_COMMAND_UI(ID_MAKE_SAME_WIDTH, &CWorkspaceView::OnUpdateMakeSameWidth)
  ON_COMMAND(ID_MAKE_SAME_HEIGHT, &CWorkspaceView::OnMakeSameHeight)
  ON_UPDATE_COMMAND_UI(ID_MAKE_SAME_HEIGHT, &CWorkspaceView::OnUpdateMakeSameHeight)
  ON_COMMAND(ID_MAKE_SAME_SIZE, &CWorkspaceView::OnMakeSameSize)
  ON_UPDATE_COMMAND_UI(ID_MAKE_SAME_SIZE, &CWorkspaceView::OnUpdateMakeSize)
END_MESSAGE_MAP()

// ---------------------------------------------------------------------------------------------
// Painting

namespace {

// The marks of one selected object in client pixels: handle centres, the top handle's line to the
// rotation grip, and the pixels all of them may touch (antialiasing included).
struct SelectionMarks {
  Gdiplus::PointF dp[8];
  Gdiplus::PointF grip;
  float left, top, right, bottom;
  bool handlesMeet;  // handle squares overlap one another (a very small object)
  int layer = 0;

  bool Touches(const SelectionMarks& o) const {
    return left <= o.right && o.left <= right && top <= o.bottom && o.top <= bottom;
  }
};

}  // namespace

// The marks are drawn object after object, as the selection lists them, so that where the marks
// of two objects meet the later one lies on top. To keep the drawing calls few, objects whose marks
// cannot meet are drawn together, one call for each kind of mark: every object goes to the first
// layer after those of the earlier objects its marks meet, and the layers are drawn in turn. Each
// pixel thus sees the same drawing in the same order as when every mark is drawn by itself.
void CWorkspaceView::DrawSelectedFlag(Gdiplus::Graphics* pGraphics, float fScale, int nLeft, int nTop) {
  if (!pGraphics) return;
  // The anchor tools show the nodes of the shape instead of its box.
  if (dynamic_cast<const CAnchorTool*>(m_pCurTool)) return;
  using namespace Gdiplus;
  const CQorTransMatrix dev(fScale, 0, 0, fScale, static_cast<float>(nLeft), static_cast<float>(nTop));
  constexpr float kHandle = 3;  // half the side of a handle square
  constexpr float kReach = std::max(kHandle, kHandleRadius) + 2;  // pen and antialiasing around a mark

  std::vector<SelectionMarks> marks;
  marks.reserve(static_cast<size_t>(m_selList.GetCount()));
  int layers = 0;
  for (CRenderBaseObj* obj : m_selList) {
    SelectionMarks m;
    CQorVectorPoint<float> pts[8];
    obj->GetHandlePoints(pts);
    for (int i = 0; i < 8; ++i) {
      const CQorVectorPoint<float> p = dev.Transform(pts[i]);
      m.dp[i] = PointF(std::round(p.x), std::round(p.y));  // pixel centres: crisp one-pixel lines
    }
    // The rotation grip beyond the middle of the top edge, away from the centre.
    CQorVectorPoint<float> p0, p1;
    GetRotationHandles(*obj, dev, p0, p1);
    const CQorVectorPoint<float> g = GetRotationGrip(p0, p1);
    m.grip = PointF(std::round(g.x), std::round(g.y));
    m.left = m.right = m.grip.X;
    m.top = m.bottom = m.grip.Y;
    m.handlesMeet = false;
    for (int i = 0; i < 8; ++i) {
      m.left = std::min(m.left, m.dp[i].X), m.right = std::max(m.right, m.dp[i].X);
      m.top = std::min(m.top, m.dp[i].Y), m.bottom = std::max(m.bottom, m.dp[i].Y);
      for (int j = 0; j < i; ++j)
        if (std::abs(m.dp[i].X - m.dp[j].X) <= 2 * kHandle + 1 && std::abs(m.dp[i].Y - m.dp[j].Y) <= 2 * kHandle + 1)
          m.handlesMeet = true;
    }
    m.left -= kReach, m.top -= kReach, m.right += kReach, m.bottom += kReach;
    if (!std::isfinite(m.left + m.top + m.right + m.bottom)) m.handlesMeet = true;
    // A layer after every earlier object whose marks it meets; an object whose handles meet each
    // other is drawn mark by mark, on a layer of its own.
    for (const SelectionMarks& e : marks)
      if (e.layer >= m.layer && (m.handlesMeet || e.handlesMeet || m.Touches(e))) m.layer = e.layer + 1;
    marks.push_back(m);
    layers = std::max(layers, m.layer + 1);
  }

  Pen frame(Color(255, 0, 120, 215), 1.0f);
  Pen edge(Color(255, 0, 0, 0), 1.0f);
  SolidBrush fill(Color(255, 255, 255, 255));
  SolidBrush grip(Color(255, 0, 170, 0));
  SolidBrush edgeFill(Color(255, 0, 0, 0));
  SolidBrush frameFill(Color(255, 0, 120, 215));
  auto gripBox = [](const SelectionMarks& m) {
    return RectF(m.grip.X - kHandleRadius, m.grip.Y - kHandleRadius, 2 * kHandleRadius, 2 * kHandleRadius);
  };
  auto handleBox = [](const PointF& p) { return RectF(p.X - kHandle, p.Y - kHandle, 2 * kHandle, 2 * kHandle); };
  std::vector<std::vector<const SelectionMarks*>> byLayer(static_cast<size_t>(layers));
  for (const SelectionMarks& m : marks) byLayer[static_cast<size_t>(m.layer)].push_back(&m);
  for (const auto& layer : byLayer) {
    if (layer.empty()) continue;
    if (layer.size() == 1 && layer[0]->handlesMeet) {
      const SelectionMarks& m = *layer[0];
      const PointF corners[4] = {m.dp[HANDLE_TOPLEFT], m.dp[HANDLE_TOPRIGHT], m.dp[HANDLE_BOTTOMRIGHT], m.dp[HANDLE_BOTTOMLEFT]};
      pGraphics->DrawPolygon(&frame, corners, 4);
      pGraphics->DrawLine(&frame, m.dp[HANDLE_TOP], m.grip);
      pGraphics->FillEllipse(&grip, gripBox(m));
      pGraphics->DrawEllipse(&edge, gripBox(m));
      for (const PointF& p : m.dp) {
        pGraphics->FillRectangle(&fill, handleBox(p));
        pGraphics->DrawRectangle(&edge, handleBox(p));
      }
      continue;
    }
    // Whole coordinates are pixel centres, so every mark that runs along the pixel grid covers
    // whole pixels; such marks are filled as squares and rings on the grid, which the drawing
    // layer composites as boxes without scan conversion. A handle is its one-pixel black edge
    // and white inside: the square grown by half a pixel filled black, then the square shrunk by
    // half a pixel filled white, leave the same pixels as the white square with its edge stroked
    // (the stroke covers the white square's half-covered border pixels whole). The frame of an
    // object that stands square to the view is the ring between its rectangle grown and shrunk by
    // half a pixel: the pixels its one-pixel stroke covers, each whole.
    GraphicsPath frames, frameRings(FillModeAlternate), lines, grips, handles, edges;
    for (const SelectionMarks* m : layer) {
      const PointF corners[4] = {m->dp[HANDLE_TOPLEFT], m->dp[HANDLE_TOPRIGHT], m->dp[HANDLE_BOTTOMRIGHT],
                                 m->dp[HANDLE_BOTTOMLEFT]};
      if (corners[0].Y == corners[1].Y && corners[2].Y == corners[3].Y && corners[0].X == corners[3].X &&
          corners[1].X == corners[2].X) {
        const float l = std::min(corners[0].X, corners[1].X), r = std::max(corners[0].X, corners[1].X);
        const float t = std::min(corners[0].Y, corners[3].Y), b = std::max(corners[0].Y, corners[3].Y);
        frameRings.AddRectangle(RectF(l - 0.5f, t - 0.5f, r - l + 1, b - t + 1));
        frameRings.AddRectangle(RectF(l + 0.5f, t + 0.5f, r - l - 1, b - t - 1));
      } else {
        frames.AddPolygon(corners, 4);
      }
      lines.StartFigure();
      lines.AddLine(m->dp[HANDLE_TOP], m->grip);
      grips.AddEllipse(gripBox(*m));
      for (const PointF& p : m->dp) {
        edges.AddRectangle(RectF(p.X - kHandle - 0.5f, p.Y - kHandle - 0.5f, 2 * kHandle + 1, 2 * kHandle + 1));
        handles.AddRectangle(RectF(p.X - kHandle + 0.5f, p.Y - kHandle + 0.5f, 2 * kHandle - 1, 2 * kHandle - 1));
      }
    }
    if (frames.GetPointCount() > 0) pGraphics->DrawPath(&frame, &frames);
    if (frameRings.GetPointCount() > 0) pGraphics->FillPath(&frameFill, &frameRings);
    pGraphics->DrawPath(&frame, &lines);
    pGraphics->FillPath(&grip, &grips);
    pGraphics->DrawPath(&edge, &grips);
    pGraphics->FillPath(&edgeFill, &edges);
    pGraphics->FillPath(&fill, &handles);
  }
}

void CWorkspaceView::PaintView(Gdiplus::Graphics* pGraphics, const CRect& rcClip) {
  using namespace Gdiplus;
  if (!pGraphics) return;
  // Thousands of small drawing calls: their pixels reach the target once, at the end.
  pGraphics->LwHoldSync();
  struct Release {
    Graphics* g;
    ~Release() { g->LwReleaseSync(); }
  } release{pGraphics};
  SolidBrush desk(Color(255, 0xAB, 0xAB, 0xAB));
  pGraphics->FillRectangle(&desk, 0, 0, static_cast<INT>(rcClip.Width()), static_cast<INT>(rcClip.Height()));
  if (!m_pRenderPage) return;
  CPoint o = GetPageOriginOnClient();
  o.Offset(-rcClip.left, -rcClip.top);
  const INT w = m_rcPage.Width(), h = m_rcPage.Height();
  SolidBrush shadow(Color(255, 111, 111, 111));
  pGraphics->FillRectangle(&shadow, static_cast<INT>(o.x + 6), static_cast<INT>(o.y + 6), w, h);
  SolidBrush paper(Color(255, 255, 255, 255));
  pGraphics->FillRectangle(&paper, static_cast<INT>(o.x), static_cast<INT>(o.y), w, h);
  Pen frame(Color(255, 0, 0, 0), 1.0f);
  // The frame on the pixels around the page (whole coordinates are pixel centres).
  pGraphics->DrawRectangle(&frame, static_cast<REAL>(o.x - 1), static_cast<REAL>(o.y - 1), static_cast<REAL>(w + 1),
                           static_cast<REAL>(h + 1));
  pGraphics->SetSmoothingMode(SmoothingModeAntiAlias);
  const float z = GetZoomFactor();
  Matrix m;
  m.Scale(z, z, MatrixOrderAppend);
  m.Translate(static_cast<REAL>(o.x), static_cast<REAL>(o.y), MatrixOrderAppend);
  m_pRenderPage->DrawAllObjects(pGraphics, m);
  pGraphics->ResetTransform();
  DrawSelectedFlag(pGraphics, z, o.x, o.y);
  if (CDefaultTool::m_dwMask & TOOL_MASK_OUTLINE)
    GetActingTool()->DrawOutline(this, pGraphics, z, z, static_cast<float>(o.x), static_cast<float>(o.y));
}

void CWorkspaceView::OnDraw(CDC* pDC) {
  if (!pDC) return;
  CRect clip;
  if (pDC->GetClipBox(&clip) == NULLREGION || clip.IsRectEmpty()) return;
  // The paint context's origin is minus the scroll position; draw in client pixels.
  const CPoint scroll = GetDeviceScrollPosition();
  clip.OffsetRect(-scroll.x, -scroll.y);
  CDC mem;
  mem.m_hDC = ::CreateCompatibleDC(pDC->GetSafeHdc());
  if (!mem.m_hDC) return;
  HBITMAP bmp = ::CreateCompatibleBitmap(pDC->GetSafeHdc(), clip.Width(), clip.Height());
  HGDIOBJ old = ::SelectObject(mem.m_hDC, bmp);
  {
    Gdiplus::Graphics g(mem.m_hDC);
    PaintView(&g, clip);
  }
  pDC->BitBlt(clip.left + scroll.x, clip.top + scroll.y, clip.Width(), clip.Height(), &mem, 0, 0, SRCCOPY);
  ::SelectObject(mem.m_hDC, old);
  ::DeleteObject(bmp);
  ::DeleteDC(mem.m_hDC);
  mem.m_hDC = nullptr;
}

}  // namespace Vectorloom

namespace Vectorloom {

// ---------------------------------------------------------------------------------------------
// Updates and sizing

void CWorkspaceView::OnInitialUpdate() {
  COriginalView::OnInitialUpdate();
  CWorkspaceDoc* pDoc = GetDocument();
  if (!m_pRenderPage && pDoc && pDoc->GetPagesCount() > 0) SetRenderPage(pDoc->GetRenderPage(0));
}

void CWorkspaceView::OnUpdate(CView*, LPARAM lHint, CObject*) {
  if (m_pRenderPage) {
    CWorkspaceDoc* pDoc = GetDocument();
    if (pDoc && pDoc->GetRenderPagesArray().IndexOf(m_pRenderPage) < 0) SetRenderPage(nullptr);
  }
  ValidateSelection();
  if (lHint == 0) {
    FitScrollSizes();
    PlacePage();
  }
  InvalidateView();
}

BOOL CWorkspaceView::OnEraseBkgnd(CDC*) { return TRUE; }

void CWorkspaceView::OnSize(UINT nType, int cx, int cy) {
  COriginalView::OnSize(nType, cx, cy);
  FitScrollSizes();
  PlacePage();
}

// ---------------------------------------------------------------------------------------------
// Mouse and keys go to the acting tool

void CWorkspaceView::OnLButtonDown(UINT nFlags, CPoint point) {
  CDefaultTool* tool = GetActingTool();
  if (tool->OnLButtonDown(this, nFlags, point.x, point.y)) return;
  // A tool that gives up the press (and the current tool with it) lets the new one have it.
  CDefaultTool* now = GetActingTool();
  if (now != tool) now->OnLButtonDown(this, nFlags, point.x, point.y);
}

void CWorkspaceView::OnMouseMove(UINT nFlags, CPoint point) {
  CDefaultTool* tool = GetActingTool();
  tool->OnMouseMove(this, nFlags, point.x, point.y);
  m_pHost->SetCursor(GetActingTool()->GetHandleCursor(this, point.x, point.y));
}

void CWorkspaceView::OnLButtonUp(UINT nFlags, CPoint point) {
  GetActingTool()->OnLButtonUp(this, nFlags, point.x, point.y);
}

void CWorkspaceView::OnLButtonDblClk(UINT nFlags, CPoint point) {
  GetActingTool()->OnLButtonDblClk(this, nFlags, point.x, point.y);
}

void CWorkspaceView::OnRButtonDown(UINT nFlags, CPoint point) {
  GetActingTool()->OnRButtonDown(this, nFlags, point.x, point.y);
}

void CWorkspaceView::OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags) {
  GetActingTool()->OnKeyDown(this, nChar, nRepCnt, nFlags);
}

void CWorkspaceView::OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) {
  GetActingTool()->OnChar(this, nChar, nRepCnt, nFlags);
}

void CWorkspaceView::OnTimer(UINT_PTR nIDEvent) { GetActingTool()->OnTimer(this, nIDEvent); }

void CWorkspaceView::OnCaptureChanged(CWnd*) {
  // Another window took the mouse: a drag in progress ends as if the button went up where it was.
  if (!m_bCapture) return;
  m_bCapture = false;
  GetActingTool()->OnLButtonUp(this, 0, static_cast<int>(CDefaultTool::m_ptLastPoint.x - GetDeviceScrollPosition().x),
                               static_cast<int>(CDefaultTool::m_ptLastPoint.y - GetDeviceScrollPosition().y));
}

// ---------------------------------------------------------------------------------------------
// Undo and redo: a preview ends first; the selection keeps only what is still on the page.

void CWorkspaceView::OnEditUndo() {
  CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !pDoc->CanUndo()) return;
  RestorePrevScene();
  DestroyPreviewScene();
  GetActingTool()->ToolUnInitalize(this);
  pDoc->OnEditUndo();
  ValidateSelection();
  pDoc->UpdateAllViews(nullptr, kHintRepaint, CWorkspaceDoc::PageHint(m_pRenderPage));
  InvalidateView();
}

void CWorkspaceView::OnEditRedo() {
  CWorkspaceDoc* pDoc = GetDocument();
  if (!pDoc || !pDoc->CanRedo()) return;
  RestorePrevScene();
  DestroyPreviewScene();
  GetActingTool()->ToolUnInitalize(this);
  pDoc->OnEditRedo();
  ValidateSelection();
  pDoc->UpdateAllViews(nullptr, kHintRepaint, CWorkspaceDoc::PageHint(m_pRenderPage));
  InvalidateView();
}

void CWorkspaceView::OnUpdateEditUndo(CCmdUI* pCmdUI) {
  CWorkspaceDoc* pDoc = GetDocument();
  pCmdUI->Enable(pDoc && pDoc->CanUndo());
  pCmdUI->SetText(pDoc ? pDoc->GetUndoMenuText().GetString() : L"Undo");
}

void CWorkspaceView::OnUpdateEditRedo(CCmdUI* pCmdUI) {
  CWorkspaceDoc* pDoc = GetDocument();
  pCmdUI->Enable(pDoc && pDoc->CanRedo());
  pCmdUI->SetText(pDoc ? pDoc->GetRedoMenuText().GetString() : L"Redo");
}

// ---------------------------------------------------------------------------------------------
// Tool commands

void CWorkspaceView::SelectToolCommand(CDefaultTool* pTool) {
  UpdateEditingTool(m_pCurTool == pTool ? nullptr : pTool);
}

void CWorkspaceView::UpdateToolCommand(CCmdUI* pCmdUI, const CDefaultTool* pTool) {
  pCmdUI->Enable(m_pRenderPage != nullptr);
  pCmdUI->SetCheck(m_pCurTool == pTool ? 1 : 0);
}

void CWorkspaceView::OnDefaultMode() { UpdateEditingTool(nullptr); }
void CWorkspaceView::OnUpdateDefaultMode(CCmdUI* pCmdUI) {
  pCmdUI->Enable(TRUE);
  pCmdUI->SetCheck(m_pCurTool == nullptr ? 1 : 0);
}

#define LW_TOOL_COMMAND(name, update, tool)                                      \
  void CWorkspaceView::name() { SelectToolCommand(&tool); }                      \
  void CWorkspaceView::update(CCmdUI* pCmdUI) { UpdateToolCommand(pCmdUI, &tool); }

LW_TOOL_COMMAND(OnDrawRectangle, OnUpdateDrawRectangle, g_DrawRectangleTool)
LW_TOOL_COMMAND(OnDrawOval, OnUpdateDrawOval, g_DrawOvalTool)
LW_TOOL_COMMAND(OnDrawRoundRect, OnUpdateDrawRoundRect, g_DrawRoundRectTool)
LW_TOOL_COMMAND(OnDrawPolygon2, OnUpdateDrawPolygon2, g_DrawPolygonTool2)
LW_TOOL_COMMAND(OnDrawLine, OnUpdateDrawLine, g_DrawLineTool)
LW_TOOL_COMMAND(OnDrawLineArrow, OnUpdateDrawLineArrow, g_DrawLineArrowTool)
LW_TOOL_COMMAND(OnCustomShape, OnUpdateCustomShape, g_CustomShapeTool)
LW_TOOL_COMMAND(OnMoveAnchorTool, OnUpdateMoveAnchorTool, g_MoveAnchorTool)
LW_TOOL_COMMAND(OnAddAnchorTool, OnUpdateAddAnchorTool, g_AddAnchorTool)
LW_TOOL_COMMAND(OnDeleteAnchorTool, OnUpdateDeleteAnchorTool, g_DeleteAnchorTool)
LW_TOOL_COMMAND(OnConvertAnchorTool, OnUpdateConvertAnchorTool, g_ConvertAnchorTool)

}  // namespace Vectorloom
