#include "PageTextObj.h"

#include <vectorloom/UnitConv.h>

#include "ObjectOccurArea.h"

using namespace Vectorloom;
using namespace lw::occur;

CPageTextObj::CPageTextObj() {
  const ILeafwrightAppState& app = GetLeafwrightAppState();
  SetLengths(static_cast<float>(CUnitConv::It2PixelD(0.03, UNIT_INCH, app.GetScreenDpiX())),
             static_cast<float>(CUnitConv::It2PixelD(0.03, UNIT_INCH, app.GetScreenDpiY())));
}

CPageTextObj::~CPageTextObj() = default;

CRenderBaseObj* CPageTextObj::Clone() const {
  auto* copy = new CPageTextObj;
  copy->CDDrawTextObjT::Copy(*this);
  return copy;
}

CQorVectorRect<float> CPageTextObj::GetObjectBox() const {
  return {0.0f, 0.0f, m_szLayoutBox.cx, m_szLayoutBox.cy};
}

RECT CPageTextObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageTextObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = GetBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 1;
  rule.shadow = true;
  rule.shadowFromBounds = true;
  return ComputeOccurArea(*this, view, rule);
}
