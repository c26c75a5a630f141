// The workspace view's window side: painting, the mouse and key events handed to the tools, and
// the tool, undo and redo commands.
#include <gdiplus.h>
#include <wingdi.h>

#include <algorithm>

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

void CWorkspaceView::DrawSelectedFlag(Gdiplus::Graphics* pGraphics, float fScale, int nLeft, int nTop) {
  if (!pGraphics) return;
  // The anchor tools show the nodes of the shape instead of its box.
  if (dynamic_cast<const CAnchorTool*>(m_pCurTool)) return;
  using namespace Gdiplus;
  const CQorTransMatrix dev(fScale, 0, 0, fScale, static_cast<float>(nLeft), static_cast<float>(nTop));
  Pen frame(Color(255, 0, 120, 215), 1.0f);
  Pen edge(Color(255, 0, 0, 0), 1.0f);
  SolidBrush fill(Color(255, 255, 255, 255));
  SolidBrush grip(Color(255, 0, 170, 0));
  for (CRenderBaseObj* obj : m_selList) {
    CQorVectorPoint<float> pts[8];
    obj->GetHandlePoints(pts);
    PointF dp[8];
    for (int i = 0; i < 8; ++i) {
      const CQorVectorPoint<float> p = dev.Transform(pts[i]);
      dp[i] = PointF(std::round(p.x), std::round(p.y));  // pixel centres: crisp one-pixel lines
    }
    const PointF corners[4] = {dp[HANDLE_TOPLEFT], dp[HANDLE_TOPRIGHT], dp[HANDLE_BOTTOMRIGHT], dp[HANDLE_BOTTOMLEFT]};
    pGraphics->DrawPolygon(&frame, corners, 4);
    // The rotation grip beyond the middle of the top edge, away from the centre.
    CQorVectorPoint<float> p0, p1;
    GetRotationHandles(*obj, dev, p0, p1);
    CQorVectorPoint<float> g = GetRotationGrip(p0, p1);
    g = CQorVectorPoint<float>(std::round(g.x), std::round(g.y));
    pGraphics->DrawLine(&frame, dp[HANDLE_TOP], PointF(g.x, g.y));
    pGraphics->FillEllipse(&grip, g.x - kHandleRadius, g.y - kHandleRadius, 2 * kHandleRadius, 2 * kHandleRadius);
    pGraphics->DrawEllipse(&edge, g.x - kHandleRadius, g.y - kHandleRadius, 2 * kHandleRadius, 2 * kHandleRadius);
    for (const PointF& p : dp) {
      pGraphics->FillRectangle(&fill, p.X - 3, p.Y - 3, 6.0f, 6.0f);
      pGraphics->DrawRectangle(&edge, p.X - 3, p.Y - 3, 6.0f, 6.0f);
    }
  }
}

void CWorkspaceView::PaintView(Gdiplus::Graphics* pGraphics, const CRect& rcClip) {
  using namespace Gdiplus;
  if (!pGraphics) return;
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
