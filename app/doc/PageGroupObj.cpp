#include "PageGroupObj.h"

#include "ObjectOccurArea.h"

using namespace Vectorloom;
using namespace lw::occur;

CPageGroupObj::CPageGroupObj() = default;
CPageGroupObj::~CPageGroupObj() = default;

CRenderBaseObj* CPageGroupObj::Clone() const {
  auto* copy = new CPageGroupObj;
  copy->CRenderGroupObj::Copy(*this);
  return copy;
}

RECT CPageGroupObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected);
}

RECT CPageGroupObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const {
  OccurRule rule;
  rule.bounds = selected ? CRenderGroupObj::CalcuBoundRect() : GetBoundRect();
  rule.margin = selected ? kHandleMargin : 0;
  rule.rotation = selected != 0;
  rule.e = 0;
  rule.shadow = true;
  rule.shadowFromBounds = true;
  return ComputeOccurArea(*this, view, rule);
}
