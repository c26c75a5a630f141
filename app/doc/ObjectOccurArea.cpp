#include "ObjectOccurArea.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <vectorloom/WorkspaceView.h>

using namespace Vectorloom;

namespace {

// Rounds a device rectangle outwards into integers, clamped to the int range.
LONG ToDevice(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, static_cast<double>(std::numeric_limits<LONG>::min() / 2),
                 static_cast<double>(std::numeric_limits<LONG>::max() / 2));
  return static_cast<LONG>(v);
}

RECT RoundOut(double l, double t, double r, double b, double e) {
  RECT rc;
  rc.left = ToDevice(std::floor(l));
  rc.top = ToDevice(std::floor(t));
  rc.right = ToDevice(std::ceil(r + e));
  rc.bottom = ToDevice(std::ceil(b + e));
  return rc;
}

}  // namespace

namespace lw::occur {

double ZoomOf(const LeafwrightViewMetrics& view) {
  return view.zoomPercent > 0 && std::isfinite(view.zoomPercent) ? view.zoomPercent / 100.0 : 1.0;
}

RECT ComputeOccurArea(const CRenderBaseObj& obj, const LeafwrightViewMetrics& view, const OccurRule& rule) {
  const double zoom = ZoomOf(view);
  double l = rule.bounds.left * zoom, t = rule.bounds.top * zoom;
  double r = rule.bounds.right * zoom, b = rule.bounds.bottom * zoom;
  const double m = rule.margin;
  l -= m;
  t -= m;
  r += m + 1;
  b += m + 1;
  if (rule.rotation) {
    CQorVectorPoint<float> p0, p1;
    const float z = static_cast<float>(zoom);
    CWorkspaceView::GetRotationHandles(obj, CQorTransMatrix::Scale(z, z), p0, p1);
    const double a = std::atan2(static_cast<double>(p1.y) - p0.y, static_cast<double>(p1.x) - p0.x);
    const double d = CWorkspaceView::kRotateGripDistance;
    const double hx = p1.x + d * std::cos(a), hy = p1.y + d * std::sin(a);
    l = std::min(l, hx - 4);
    t = std::min(t, hy - 4);
    r = std::max(r, hx + 4 + 1);
    b = std::max(b, hy + 4 + 1);
  }
  RECT rc = RoundOut(l, t, r, b, rule.e);
  if (rule.shadow && obj.GetShadowFlag()) {
    const CQorVectorRect<float> s =
        rule.shadowFromBounds ? obj.CalcuShadowBoundRect(&rule.bounds) : obj.CalcuShadowBoundRect(nullptr);
    const RECT sr = RoundOut(s.left * zoom, s.top * zoom, s.right * zoom, s.bottom * zoom, rule.e);
    if (sr.right > sr.left && sr.bottom > sr.top) {
      rc.left = std::min(rc.left, sr.left);
      rc.top = std::min(rc.top, sr.top);
      rc.right = std::max(rc.right, sr.right);
      rc.bottom = std::max(rc.bottom, sr.bottom);
    }
  }
  rc.left += view.originX;
  rc.right += view.originX;
  rc.top += view.originY;
  rc.bottom += view.originY;
  return rc;
}

LeafwrightViewMetrics MetricsOf(CWorkspaceView* view) { return LeafwrightViewMetricsOf(view); }

}  // namespace lw::occur
