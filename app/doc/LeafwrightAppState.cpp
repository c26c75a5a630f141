#include "LeafwrightAppState.h"

#include <atomic>

#include <vectorloom/UnitConv.h>

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

bool CDefaultLeafwrightAppState::GetViewMetrics(const CWorkspaceView*, LeafwrightViewMetrics& out) const {
  out = m_view;
  return true;
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
