#include "PageShapeObj.h"

#include <algorithm>

#include <vectorloom/UnitConv.h>

#include "ObjectOccurArea.h"

using namespace Vectorloom;
using namespace lw::occur;

namespace {

bool IsAnchorTool(eLeafwrightTool tool) {
  return tool == eLeafwrightTool::MoveAnchor || tool == eLeafwrightTool::AddAnchor ||
         tool == eLeafwrightTool::ConvertAnchor;
}

constexpr float kAnchorHandleMargin = 5;

}  // namespace

CPageShapeObj::CPageShapeObj() {
  const ILeafwrightAppState& app = GetLeafwrightAppState();
  SetFillColor(app.GetDefaultFillColor());
  SetStrokeColor(app.GetDefaultStrokeColor());
  SetStrokeKind(RENDER_KIND_SOLID);
  SetStrokeWidth(CUnitConv::Weight2Pixel(2.0f, app.GetScreenDpiX()));
  GetFillDefinition().SetGradientDefiniton(app.GetDefaultGradient());
  GetStrokeDefinition().SetGradientDefiniton(app.GetDefaultGradient());
}

CPageShapeObj::~CPageShapeObj() = default;

CRenderBaseObj* CPageShapeObj::Clone() const {
  auto* copy = new CPageShapeObj;
  copy->CCustomPathObj::Copy(*this);
  return copy;
}

RECT CPageShapeObj::CalcuObjectOccurArea(CWorkspaceView* view, int selected) {
  return CalcuOccurArea(MetricsOf(view), selected, LeafwrightToolOf(view));
}

RECT CPageShapeObj::CalcuOccurArea(const LeafwrightViewMetrics& view, int selected, eLeafwrightTool tool) const {
  const bool anchor = IsAnchorTool(tool);
  const double zoom = ZoomOf(view);
  OccurRule rule;
  rule.bounds = anchor && selected ? CalcuCoordBoundRect() : CBaseShapeObj::CalcuBoundRect();
  const float half = IsStroked() ? static_cast<float>(GetStrokeWidth() * zoom * 0.5) : 0.0f;
  rule.margin = selected ? std::max(half, anchor ? kAnchorHandleMargin : kHandleMargin) : half;
  rule.rotation = selected && !anchor;
  rule.e = 1;
  rule.shadow = true;
  rule.shadowFromBounds = false;
  return ComputeOccurArea(*this, view, rule);
}
