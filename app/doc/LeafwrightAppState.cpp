#include "LeafwrightAppState.h"

#include <atomic>

#include <vectorloom/UnitConv.h>
#include <vectorloom/WorkspaceView.h>

using namespace Vectorloom;

CDefaultLeafwrightAppState::CDefaultLeafwrightAppState()
    : m_clrFill(RGB(0, 128, 0)), m_clrStroke(RGB(255, 153, 0)), m_gradient(MakePresetGradient0()) {}

CLocalGradientColorsDefine CDefaultLeafwrightAppState::MakePresetGradient0() {
  CLocalGradientColorsDefine g;
  g.AddColorStop(0x11D43E, 255, 0);
  g.AddColorStop(0xFFFFFF, 255, kGradientPositionMax);
  return g;
}

void CDefaultLeafwrightAppState::SetScreenDpi(int x, int y) {
  m_nDpiX = x < 1 ? kScreenDpi : x;
  m_nDpiY = y < 1 ? kScreenDpi : y;
}

LeafwrightViewMetrics LeafwrightViewMetricsOf(const CWorkspaceView* view) {
  LeafwrightViewMetrics m;
  if (!view) return m;
  m.zoomPercent = view->GetZoom();
  // Where the page lies among the view's logical (scrolled) points, as ReDrawContent takes them.
  m.originX = view->GetPageRect().left;
  m.originY = view->GetPageRect().top;
  return m;
}

eLeafwrightTool LeafwrightToolOf(const CWorkspaceView* view) {
  const CDefaultTool* tool = view ? view->GetEditingTool() : nullptr;
  if (!tool || tool == &CWorkspaceView::g_SelectTool) return eLeafwrightTool::None;
  if (tool == &CWorkspaceView::g_DrawRectangleTool) return eLeafwrightTool::Rectangle;
  if (tool == &CWorkspaceView::g_DrawOvalTool) return eLeafwrightTool::Oval;
  if (tool == &CWorkspaceView::g_DrawRoundRectTool) return eLeafwrightTool::RoundRect;
  if (tool == &CWorkspaceView::g_DrawLineTool || tool == &CWorkspaceView::g_DrawLineArrowTool)
    return eLeafwrightTool::Line;
  if (tool == &CWorkspaceView::g_DrawPolygonTool2) return eLeafwrightTool::Polygon;
  if (tool == &CWorkspaceView::g_MoveAnchorTool) return eLeafwrightTool::MoveAnchor;
  if (tool == &CWorkspaceView::g_AddAnchorTool) return eLeafwrightTool::AddAnchor;
  if (tool == &CWorkspaceView::g_ConvertAnchorTool) return eLeafwrightTool::ConvertAnchor;
  return eLeafwrightTool::Other;
}

namespace {

CDefaultLeafwrightAppState& BuiltInState() {
  static CDefaultLeafwrightAppState state;
  return state;
}

std::atomic<ILeafwrightAppState*> g_pAppState{nullptr};

}  // namespace

ILeafwrightAppState& GetLeafwrightAppState() {
  ILeafwrightAppState* p = g_pAppState.load(std::memory_order_acquire);
  return p ? *p : BuiltInState();
}

ILeafwrightAppState* SetLeafwrightAppState(ILeafwrightAppState* state) {
  ILeafwrightAppState* old = g_pAppState.exchange(state, std::memory_order_acq_rel);
  return old ? old : &BuiltInState();
}
