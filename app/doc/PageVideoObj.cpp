#include "PageVideoObj.h"

#include "ObjectOccurArea.h"

using namespace Vectorloom;
using namespace lw::occur;

CPageVideoObj::CPageVideoObj() = default;
CPageVideoObj::~CPageVideoObj() = default;

CRenderBaseObj* CPageVideoObj::Clone() const {
  auto* copy = new CPageVideoObj;
  copy->CBaseVideoObj::Copy(*this);
  return copy;
}

RECT CPageVideoObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageVideoObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = CBaseShapeObj::CalcuBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 1;
  rule.shadow = false;
  return ComputeOccurArea(*this, view, rule);
}
