// GraphicsPath and GraphicsPathIterator: building, transforming, measuring and hit testing paths.
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "GdiplusGraphics.h"
#include "GdiplusPath.h"
#include "GdiplusPen.h"

namespace Gdiplus {

namespace {

// Distance of the Bezier controls from the corner for a quarter ellipse: 4/3 (sqrt(2) - 1).
constexpr double kEllipseControl = 0.5522847498307936;

// Splits types into figures: calls fn(first, last, closed) for each.
template <typename Fn>
void ForEachFigure(const std::vector<BYTE>& types, Fn fn) {
  const INT n = static_cast<INT>(types.size());
  INT s = 0;
  while (s < n) {
    INT e = s;
    while (e + 1 < n && !(types[e] & PathPointTypeCloseSubpath) &&
           (types[e + 1] & PathPointTypePathTypeMask) != PathPointTypeStart) {
      ++e;
    }
    fn(s, e, (types[e] & PathPointTypeCloseSubpath) != 0);
    s = e + 1;
  }
}

// Walks the segments of one figure: line(i) for a line to point i, bezier(i) for a Bezier whose
// controls and end are points i, i+1, i+2. A Bezier run cut short is taken as lines.
template <typename Line, typename Bez>
void ForEachSegment(const std::vector<BYTE>& types, INT first, INT last, Line line, Bez bezier) {
  INT i = first + 1;
  while (i <= last) {
    if ((types[i] & PathPointTypePathTypeMask) == PathPointTypeBezier && i + 2 <= last &&
        (types[i + 1] & PathPointTypePathTypeMask) == PathPointTypeBezier &&
        (types[i + 2] & PathPointTypePathTypeMask) == PathPointTypeBezier) {
      bezier(i);
      i += 3;
    } else {
      line(i);
      ++i;
    }
  }
}

struct DPoint {
  double x, y;
};

DPoint Cubic(const DPoint& p0, const DPoint& p1, const DPoint& p2, const DPoint& p3, double t) {
  const double u = 1 - t;
  const double a = u * u * u, b = 3 * u * u * t, c = 3 * u * t * t, d = t * t * t;
  return {a * p0.x + b * p1.x + c * p2.x + d * p3.x, a * p0.y + b * p1.y + c * p2.y + d * p3.y};
}

// Parameters in (0, 1) where one coordinate of a cubic has a zero derivative.
int CubicExtrema(double p0, double p1, double p2, double p3, double* ts) {
  const double a = -p0 + 3 * p1 - 3 * p2 + p3;
  const double b = 2 * (p0 - 2 * p1 + p2);
  const double c = p1 - p0;
  int n = 0;
  auto add = [&](double t) {
    if (t > 0 && t < 1) ts[n++] = t;
  };
  const double scale = std::max({std::fabs(a), std::fabs(b), std::fabs(c)});
  if (scale == 0) return 0;
  if (std::fabs(a) <= 1e-12 * scale) {
    if (b != 0) add(-c / b);
    return n;
  }
  const double disc = b * b - 4 * a * c;
  if (disc < 0) return 0;
  const double sq = std::sqrt(disc);
  add((-b + sq) / (2 * a));
  add((-b - sq) / (2 * a));
  return n;
}

struct Bounds {
  double minX = std::numeric_limits<double>::infinity(), minY = minX;
  double maxX = -std::numeric_limits<double>::infinity(), maxY = maxX;
  void Add(const DPoint& p) {
    minX = std::min(minX, p.x);
    minY = std::min(minY, p.y);
    maxX = std::max(maxX, p.x);
    maxY = std::max(maxY, p.y);
  }
  bool Empty() const { return !(minX <= maxX); }
};

// Winding contribution of the edge a->b for a ray from (x, y) towards +x.
int Crossing(const PointF& a, const PointF& b, double x, double y) {
  if ((a.Y <= y) == (b.Y <= y)) return 0;
  const double t = (y - a.Y) / (static_cast<double>(b.Y) - a.Y);
  const double cx = a.X + t * (static_cast<double>(b.X) - a.X);
  if (cx <= x) return 0;
  return b.Y > a.Y ? 1 : -1;
}

}  // namespace

GraphicsPath::GraphicsPath(FillMode fillMode) : fillMode_(fillMode) {}

GraphicsPath::GraphicsPath(const PointF* points, const BYTE* types, INT count, FillMode fillMode)
    : fillMode_(fillMode) {
  if (count < 0 || (count > 0 && (!points || !types))) {
    lastResult_ = InvalidParameter;
    return;
  }
  points_.assign(points, points + count);
  types_.assign(types, types + count);
  newFigure_ = count == 0 || (types_.back() & PathPointTypeCloseSubpath);
}

GraphicsPath::GraphicsPath(const Point* points, const BYTE* types, INT count, FillMode fillMode)
    : fillMode_(fillMode) {
  if (count < 0 || (count > 0 && (!points || !types))) {
    lastResult_ = InvalidParameter;
    return;
  }
  for (INT i = 0; i < count; ++i) {
    points_.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  }
  types_.assign(types, types + count);
  newFigure_ = count == 0 || (types_.back() & PathPointTypeCloseSubpath);
}

GraphicsPath* GraphicsPath::Clone() const { return new GraphicsPath(*this); }

Status GraphicsPath::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status GraphicsPath::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

Status GraphicsPath::Reset() {
  points_.clear();
  types_.clear();
  fillMode_ = FillModeAlternate;
  newFigure_ = true;
  return Ok;
}

Status GraphicsPath::SetFillMode(FillMode fillMode) {
  if (fillMode != FillModeAlternate && fillMode != FillModeWinding) return SetStatus(InvalidParameter);
  fillMode_ = fillMode;
  return Ok;
}

Status GraphicsPath::StartFigure() {
  newFigure_ = true;
  return Ok;
}

Status GraphicsPath::CloseFigure() {
  if (!types_.empty() && !newFigure_) types_.back() |= PathPointTypeCloseSubpath;
  newFigure_ = true;
  return Ok;
}

Status GraphicsPath::CloseAllFigures() {
  ForEachFigure(types_, [&](INT, INT last, bool) { types_[last] |= PathPointTypeCloseSubpath; });
  newFigure_ = true;
  return Ok;
}

Status GraphicsPath::SetMarker() {
  if (!types_.empty()) types_.back() |= PathPointTypePathMarker;
  return Ok;
}

Status GraphicsPath::ClearMarkers() {
  for (BYTE& t : types_) t &= static_cast<BYTE>(~PathPointTypePathMarker);
  return Ok;
}

bool GraphicsPath::FigureOpen() const { return !newFigure_ && !points_.empty(); }

void GraphicsPath::AddJoinPoint(const PointF& p) {
  if (!FigureOpen()) {
    points_.push_back(p);
    types_.push_back(PathPointTypeStart);
    newFigure_ = false;
  } else if (!points_.back().Equals(p)) {
    points_.push_back(p);
    types_.push_back(PathPointTypeLine);
  }
}

Status GraphicsPath::AddLine(const PointF& pt1, const PointF& pt2) {
  AddJoinPoint(pt1);
  points_.push_back(pt2);
  types_.push_back(PathPointTypeLine);
  return Ok;
}

Status GraphicsPath::AddLine(REAL x1, REAL y1, REAL x2, REAL y2) { return AddLine(PointF(x1, y1), PointF(x2, y2)); }

Status GraphicsPath::AddLine(const Point& pt1, const Point& pt2) {
  return AddLine(static_cast<REAL>(pt1.X), static_cast<REAL>(pt1.Y), static_cast<REAL>(pt2.X),
                 static_cast<REAL>(pt2.Y));
}

Status GraphicsPath::AddLine(INT x1, INT y1, INT x2, INT y2) {
  return AddLine(static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
}

Status GraphicsPath::AddLines(const PointF* points, INT count) {
  if (!points || count < 1) return SetStatus(InvalidParameter);
  AddJoinPoint(points[0]);
  for (INT i = 1; i < count; ++i) {
    points_.push_back(points[i]);
    types_.push_back(PathPointTypeLine);
  }
  return Ok;
}

Status GraphicsPath::AddLines(const Point* points, INT count) {
  if (!points || count < 1) return SetStatus(InvalidParameter);
  std::vector<PointF> f;
  for (INT i = 0; i < count; ++i) f.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  return AddLines(f.data(), count);
}

Status GraphicsPath::AddBezier(const PointF& pt1, const PointF& pt2, const PointF& pt3, const PointF& pt4) {
  AddJoinPoint(pt1);
  for (const PointF& p : {pt2, pt3, pt4}) {
    points_.push_back(p);
    types_.push_back(PathPointTypeBezier);
  }
  return Ok;
}

Status GraphicsPath::AddBezier(REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4) {
  return AddBezier(PointF(x1, y1), PointF(x2, y2), PointF(x3, y3), PointF(x4, y4));
}

Status GraphicsPath::AddBezier(const Point& pt1, const Point& pt2, const Point& pt3, const Point& pt4) {
  auto f = [](const Point& p) { return PointF(static_cast<REAL>(p.X), static_cast<REAL>(p.Y)); };
  return AddBezier(f(pt1), f(pt2), f(pt3), f(pt4));
}

Status GraphicsPath::AddBeziers(const PointF* points, INT count) {
  if (!points || count < 4 || (count - 1) % 3 != 0) return SetStatus(InvalidParameter);
  AddJoinPoint(points[0]);
  for (INT i = 1; i < count; ++i) {
    points_.push_back(points[i]);
    types_.push_back(PathPointTypeBezier);
  }
  return Ok;
}

Status GraphicsPath::AddBeziers(const Point* points, INT count) {
  if (!points || count < 4 || (count - 1) % 3 != 0) return SetStatus(InvalidParameter);
  std::vector<PointF> f;
  for (INT i = 0; i < count; ++i) f.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  return AddBeziers(f.data(), count);
}

Status GraphicsPath::AddRectangle(const RectF& r) {
  const PointF pts[4] = {PointF(r.X, r.Y), PointF(r.X + r.Width, r.Y), PointF(r.X + r.Width, r.Y + r.Height),
                         PointF(r.X, r.Y + r.Height)};
  return AddPolygon(pts, 4);
}

Status GraphicsPath::AddRectangle(const Rect& r) {
  return AddRectangle(RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width),
                            static_cast<REAL>(r.Height)));
}

Status GraphicsPath::AddRectangles(const RectF* rects, INT count) {
  if (!rects || count < 1) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) AddRectangle(rects[i]);
  return Ok;
}

Status GraphicsPath::AddRectangles(const Rect* rects, INT count) {
  if (!rects || count < 1) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) AddRectangle(rects[i]);
  return Ok;
}

Status GraphicsPath::AddEllipse(REAL x, REAL y, REAL width, REAL height) {
  const double rx = width / 2.0, ry = height / 2.0;
  const double cx = x + rx, cy = y + ry;
  const double kx = rx * kEllipseControl, ky = ry * kEllipseControl;
  const double raw[13][2] = {{cx + rx, cy},      {cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry},
                             {cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy},      {cx - rx, cy - ky},
                             {cx - kx, cy - ry}, {cx, cy - ry},      {cx + kx, cy - ry}, {cx + rx, cy - ky},
                             {cx + rx, cy}};
  newFigure_ = true;
  for (int i = 0; i < 13; ++i) {
    points_.emplace_back(static_cast<REAL>(raw[i][0]), static_cast<REAL>(raw[i][1]));
    types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeBezier);
  }
  types_.back() |= PathPointTypeCloseSubpath;
  return Ok;
}

Status GraphicsPath::AddEllipse(const RectF& r) { return AddEllipse(r.X, r.Y, r.Width, r.Height); }

Status GraphicsPath::AddEllipse(INT x, INT y, INT width, INT height) {
  return AddEllipse(static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width), static_cast<REAL>(height));
}

Status GraphicsPath::AddEllipse(const Rect& r) { return AddEllipse(r.X, r.Y, r.Width, r.Height); }

Status GraphicsPath::AddPolygon(const PointF* points, INT count) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    points_.push_back(points[i]);
    types_.push_back(i == 0 ? PathPointTypeStart : PathPointTypeLine);
  }
  types_.back() |= PathPointTypeCloseSubpath;
  newFigure_ = true;
  return Ok;
}

Status GraphicsPath::AddPolygon(const Point* points, INT count) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  std::vector<PointF> f;
  for (INT i = 0; i < count; ++i) f.emplace_back(static_cast<REAL>(points[i].X), static_cast<REAL>(points[i].Y));
  return AddPolygon(f.data(), count);
}

Status GraphicsPath::AddPath(const GraphicsPath* addingPath, BOOL connect) {
  if (!addingPath) return SetStatus(InvalidParameter);
  if (addingPath->points_.empty()) return Ok;
  // A path added to itself is copied first; another is read in place.
  std::vector<PointF> ownPoints;
  std::vector<BYTE> ownTypes;
  if (addingPath == this) ownPoints = points_, ownTypes = types_;
  const std::vector<PointF>& pts = addingPath == this ? ownPoints : addingPath->points_;
  const std::vector<BYTE>& types = addingPath == this ? ownTypes : addingPath->types_;
  size_t i = 0;
  if (connect && FigureOpen()) {
    // The first point joins the open figure as a line point.
    if (!points_.back().Equals(pts[0])) {
      points_.push_back(pts[0]);
      types_.push_back(static_cast<BYTE>(PathPointTypeLine | (types[0] & ~PathPointTypePathTypeMask)));
    } else {
      types_.back() |= static_cast<BYTE>(types[0] & ~PathPointTypePathTypeMask);
    }
    i = 1;
  }
  points_.insert(points_.end(), pts.begin() + static_cast<ptrdiff_t>(i), pts.end());
  types_.insert(types_.end(), types.begin() + static_cast<ptrdiff_t>(i), types.end());
  newFigure_ = addingPath->newFigure_ || (types_.back() & PathPointTypeCloseSubpath);
  return Ok;
}

Status GraphicsPath::Transform(const Matrix* matrix) {
  if (!matrix) return SetStatus(InvalidParameter);
  if (!points_.empty()) matrix->TransformPoints(points_.data(), static_cast<INT>(points_.size()));
  return Ok;
}

Status GraphicsPath::GetBounds(RectF* bounds, const Matrix* matrix, const Pen* pen) const {
  if (!bounds) return SetStatus(InvalidParameter);
  std::vector<PointF> pts = points_;
  if (matrix && !pts.empty()) matrix->TransformPoints(pts.data(), static_cast<INT>(pts.size()));
  Bounds b;
  auto dp = [&](INT i) { return DPoint{pts[i].X, pts[i].Y}; };
  ForEachFigure(types_, [&](INT first, INT last, bool) {
    b.Add(dp(first));
    ForEachSegment(
        types_, first, last, [&](INT i) { b.Add(dp(i)); },
        [&](INT i) {
          const DPoint p0 = dp(i - 1), p1 = dp(i), p2 = dp(i + 1), p3 = dp(i + 2);
          b.Add(p3);
          double ts[4];
          int n = CubicExtrema(p0.x, p1.x, p2.x, p3.x, ts);
          n += CubicExtrema(p0.y, p1.y, p2.y, p3.y, ts + n);
          for (int k = 0; k < n; ++k) b.Add(Cubic(p0, p1, p2, p3, ts[k]));
        });
  });
  if (b.Empty()) {
    *bounds = RectF(0, 0, 0, 0);
    return Ok;
  }
  if (pen) {
    double half = std::max(pen->GetWidth(), 0.0f) / 2.0;
    if (matrix) {
      // The pen grows with the matrix: take the larger axis scale.
      const REAL* m = matrix->LwElements();
      const double sx = std::hypot(m[0], m[1]), sy = std::hypot(m[2], m[3]);
      half *= std::max(sx, sy);
    }
    b.minX -= half;
    b.minY -= half;
    b.maxX += half;
    b.maxY += half;
  }
  *bounds = RectF(static_cast<REAL>(b.minX), static_cast<REAL>(b.minY), static_cast<REAL>(b.maxX - b.minX),
                  static_cast<REAL>(b.maxY - b.minY));
  return Ok;
}

Status GraphicsPath::GetBounds(Rect* bounds, const Matrix* matrix, const Pen* pen) const {
  if (!bounds) return SetStatus(InvalidParameter);
  RectF f;
  const Status s = GetBounds(&f, matrix, pen);
  if (s != Ok) return s;
  const double l = std::floor(f.X), t = std::floor(f.Y);
  const double r = std::ceil(static_cast<double>(f.X) + f.Width), btm = std::ceil(static_cast<double>(f.Y) + f.Height);
  *bounds = Rect(static_cast<INT>(l), static_cast<INT>(t), static_cast<INT>(r - l), static_cast<INT>(btm - t));
  return Ok;
}

Status GraphicsPath::GetPathPoints(PointF* points, INT count) const {
  if (!points || count < GetPointCount() || count <= 0) return SetStatus(InvalidParameter);
  std::copy(points_.begin(), points_.end(), points);
  return Ok;
}

Status GraphicsPath::GetPathPoints(Point* points, INT count) const {
  if (!points || count < GetPointCount() || count <= 0) return SetStatus(InvalidParameter);
  for (size_t i = 0; i < points_.size(); ++i) {
    points[i] = Point(static_cast<INT>(std::floor(points_[i].X + 0.5)), static_cast<INT>(std::floor(points_[i].Y + 0.5)));
  }
  return Ok;
}

Status GraphicsPath::GetPathTypes(BYTE* types, INT count) const {
  if (!types || count < GetPointCount() || count <= 0) return SetStatus(InvalidParameter);
  std::copy(types_.begin(), types_.end(), types);
  return Ok;
}

Status GraphicsPath::GetLastPoint(PointF* lastPoint) const {
  if (!lastPoint || points_.empty()) return SetStatus(InvalidParameter);
  *lastPoint = points_.back();
  return Ok;
}

std::vector<std::vector<PointF>> GraphicsPath::LwFlatten(REAL flatness,
                                                         std::vector<std::vector<LwSource>>* sources) const {
  const double tol = flatness > 0 ? flatness : FlatnessDefault;
  std::vector<std::vector<PointF>> out;
  if (sources) sources->clear();
  ForEachFigure(types_, [&](INT first, INT last, bool) {
    std::vector<PointF> poly;
    std::vector<LwSource> src;
    poly.push_back(points_[first]);
    src.push_back({first, first, 0});
    ForEachSegment(
        types_, first, last,
        [&](INT i) {
          poly.push_back(points_[i]);
          src.push_back({i, i, 0});
        },
        [&](INT i) {
          const DPoint p0{points_[i - 1].X, points_[i - 1].Y}, p1{points_[i].X, points_[i].Y},
              p2{points_[i + 1].X, points_[i + 1].Y}, p3{points_[i + 2].X, points_[i + 2].Y};
          // A uniform split into n pieces stays within 3/4 L / n^2 of the curve, where L is the
          // largest second difference of the controls.
          const double l = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                    std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
          double nd = std::ceil(std::sqrt(0.75 * l / tol));
          if (!(nd >= 1)) nd = 1;
          const int n = static_cast<int>(std::min(nd, 1024.0));
          for (int k = 1; k < n; ++k) {
            const DPoint q = Cubic(p0, p1, p2, p3, static_cast<double>(k) / n);
            poly.emplace_back(static_cast<REAL>(q.x), static_cast<REAL>(q.y));
            src.push_back({i - 1, i + 2, static_cast<REAL>(k) / n});
          }
          poly.push_back(points_[i + 2]);
          src.push_back({i + 2, i + 2, 0});
        });
    out.push_back(std::move(poly));
    if (sources) sources->push_back(std::move(src));
  });
  return out;
}

BOOL GraphicsPath::IsVisible(REAL x, REAL y, const Graphics* g) const {
  if (g) {
    // The point is in device pixels: test the path as the graphics would draw it.
    Matrix world;
    g->GetTransform(&world);
    if (!world.IsIdentity()) {
      GraphicsPath onDevice(*this);
      onDevice.Transform(&world);
      return onDevice.IsVisible(x, y);
    }
  }
  int winding = 0;
  for (const std::vector<PointF>& poly : LwFlatten()) {
    for (size_t i = 0; i < poly.size(); ++i) {
      winding += Crossing(poly[i], poly[(i + 1) % poly.size()], x, y);
    }
  }
  return fillMode_ == FillModeWinding ? winding != 0 : (winding & 1) != 0;
}

BOOL GraphicsPath::IsVisible(const PointF& point, const Graphics* g) const { return IsVisible(point.X, point.Y, g); }
BOOL GraphicsPath::IsVisible(INT x, INT y, const Graphics* g) const {
  return IsVisible(static_cast<REAL>(x), static_cast<REAL>(y), g);
}
BOOL GraphicsPath::IsVisible(const Point& point, const Graphics* g) const { return IsVisible(point.X, point.Y, g); }

namespace {

// cairo keeps path coordinates as 24.8 fixed-point numbers: device coordinates past about 8.4
// million wrap around, and its stroker and extents then work on nonsense (or fail an assertion).
// Figures are kept inside this box, half that range, which leaves room for device offsets and
// pen widths; no surface comes near it.
constexpr double kCairoSafeCoordinate = 4194304.0;  // 2^22
// Curves of a figure that leaves the box are taken as lines, at most this many per curve.
constexpr int kMaxCurveSteps = 1024;

bool InsideCairoBox(const DPoint& p) {
  return std::fabs(p.x) <= kCairoSafeCoordinate && std::fabs(p.y) <= kCairoSafeCoordinate;
}

// One pass of polygon clipping against the half-plane where coordinate `axis` (0 x, 1 y) times
// `side` (+1 or -1) is at most the box's edge. An open figure has no edge from its last point back
// to its first. Parts outside are replaced by runs along the edge, which stays far outside any
// surface.
std::vector<DPoint> ClipToEdge(const std::vector<DPoint>& in, int axis, double side, bool closed) {
  std::vector<DPoint> out;
  if (in.empty()) return out;
  auto value = [axis](const DPoint& p) { return axis == 0 ? p.x : p.y; };
  auto inside = [&](const DPoint& p) { return side * value(p) <= kCairoSafeCoordinate; };
  auto cross = [&](const DPoint& a, const DPoint& b) {
    const double edge = side * kCairoSafeCoordinate;
    const double t = (edge - value(a)) / (value(b) - value(a));
    DPoint q{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
    (axis == 0 ? q.x : q.y) = edge;
    return q;
  };
  const size_t n = in.size();
  if (inside(in[0]) && !closed) out.push_back(in[0]);
  for (size_t i = closed ? 0 : 1; i < n; ++i) {
    const DPoint& previous = in[i == 0 ? n - 1 : i - 1];
    const DPoint& current = in[i];
    if (inside(current)) {
      if (!inside(previous)) out.push_back(cross(previous, current));
      out.push_back(current);
    } else if (inside(previous)) {
      out.push_back(cross(previous, current));
    }
  }
  return out;
}

}  // namespace

// The one place where a path's geometry reaches cairo (fills, strokes, clips, hit tests and the
// extents taken from them): figures that are not numbers are left out, figures that leave cairo's
// range are clipped to it.
void GraphicsPath::LwAppendTo(cairo_t* cr) const {
  const std::vector<PointF>& p = points_;
  cairo_matrix_t ctm;
  cairo_get_matrix(cr, &ctm);
  cairo_matrix_t back = ctm;
  const bool invertible = cairo_matrix_invert(&back) == CAIRO_STATUS_SUCCESS;
  auto device = [&](INT i) {
    DPoint d{p[i].X, p[i].Y};
    cairo_matrix_transform_point(&ctm, &d.x, &d.y);
    return d;
  };
  ForEachFigure(types_, [&](INT first, INT last, bool closed) {
    // cairo cannot take points that are not numbers: such a figure is left out whole.
    bool inRange = true;
    for (INT i = first; i <= last; ++i) {
      if (!std::isfinite(p[i].X) || !std::isfinite(p[i].Y)) return;
      const DPoint d = device(i);
      if (!std::isfinite(d.x) || !std::isfinite(d.y)) return;
      inRange = inRange && InsideCairoBox(d);
    }
    if (inRange) {
      cairo_move_to(cr, p[first].X, p[first].Y);
      ForEachSegment(
          types_, first, last, [&](INT i) { cairo_line_to(cr, p[i].X, p[i].Y); },
          [&](INT i) { cairo_curve_to(cr, p[i].X, p[i].Y, p[i + 1].X, p[i + 1].Y, p[i + 2].X, p[i + 2].Y); });
      if (closed) cairo_close_path(cr);
      return;
    }
    if (!invertible) return;
    // The figure as lines in device space (curves flattened to about a quarter pixel, within
    // a bounded number of steps), clipped to the box and taken back to user space.
    std::vector<DPoint> poly{device(first)};
    ForEachSegment(
        types_, first, last, [&](INT i) { poly.push_back(device(i)); },
        [&](INT i) {
          const DPoint p0 = poly.back(), p1 = device(i), p2 = device(i + 1), p3 = device(i + 2);
          const double bend = std::max(std::hypot(p0.x - 2 * p1.x + p2.x, p0.y - 2 * p1.y + p2.y),
                                       std::hypot(p1.x - 2 * p2.x + p3.x, p1.y - 2 * p2.y + p3.y));
          const double wanted = std::ceil(std::sqrt(0.75 * bend / 0.25));
          const int steps = std::isfinite(wanted) ? static_cast<int>(std::clamp(wanted, 1.0, double{kMaxCurveSteps}))
                                                  : kMaxCurveSteps;
          for (int k = 1; k <= steps; ++k) poly.push_back(Cubic(p0, p1, p2, p3, static_cast<double>(k) / steps));
        });
    for (int axis = 0; axis < 2; ++axis)
      for (const double side : {1.0, -1.0}) poly = ClipToEdge(poly, axis, side, closed);
    if (poly.empty()) return;
    for (size_t k = 0; k < poly.size(); ++k) {
      double x = poly[k].x, y = poly[k].y;
      cairo_matrix_transform_point(&back, &x, &y);
      if (k == 0)
        cairo_move_to(cr, x, y);
      else
        cairo_line_to(cr, x, y);
    }
    if (closed) cairo_close_path(cr);
  });
}

BOOL GraphicsPath::IsOutlineVisible(REAL x, REAL y, const Pen* pen, const Graphics* g) const {
  if (!pen) {
    SetStatus(InvalidParameter);
    return FALSE;
  }
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
  cairo_t* cr = cairo_create(s);
  if (g) {
    // The point is in device pixels; the path and the pen's width follow the world transform.
    Matrix world;
    g->GetTransform(&world);
    const REAL* e = world.LwElements();
    cairo_matrix_t m;
    cairo_matrix_init(&m, e[0], e[1], e[2], e[3], e[4], e[5]);
    if (world.IsInvertible()) cairo_set_matrix(cr, &m);
  }
  LwAppendTo(cr);
  pen->LwApplyStroke(cr);
  double ux = x, uy = y;
  cairo_device_to_user(cr, &ux, &uy);
  BOOL in = cairo_in_stroke(cr, ux, uy) ? TRUE : FALSE;
  if (!in && pen->LwHasCapShapes()) {
    cairo_path_t* stroke = cairo_copy_path(cr);
    cairo_new_path(cr);
    pen->LwAppendCapShapes(cr, stroke);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    in = cairo_in_fill(cr, ux, uy) ? TRUE : FALSE;
    cairo_path_destroy(stroke);
  }
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return in;
}

BOOL GraphicsPath::IsOutlineVisible(const PointF& point, const Pen* pen, const Graphics* g) const {
  return IsOutlineVisible(point.X, point.Y, pen, g);
}
BOOL GraphicsPath::IsOutlineVisible(INT x, INT y, const Pen* pen, const Graphics* g) const {
  return IsOutlineVisible(static_cast<REAL>(x), static_cast<REAL>(y), pen, g);
}
BOOL GraphicsPath::IsOutlineVisible(const Point& point, const Pen* pen, const Graphics* g) const {
  return IsOutlineVisible(point.X, point.Y, pen, g);
}

// ---------------------------------------------------------------------------------------------

GraphicsPathIterator::GraphicsPathIterator(const GraphicsPath* path) {
  if (!path) {
    lastResult_ = InvalidParameter;
    return;
  }
  points_ = path->LwPoints();
  types_ = path->LwTypes();
}

Status GraphicsPathIterator::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

INT GraphicsPathIterator::NextSubpath(INT* startIndex, INT* endIndex, BOOL* isClosed) {
  if (!startIndex || !endIndex || !isClosed) {
    lastResult_ = InvalidParameter;
    return 0;
  }
  const INT n = GetCount();
  if (subpathPos_ >= n) {
    *startIndex = *endIndex = 0;
    *isClosed = TRUE;
    return 0;
  }
  const INT s = subpathPos_;
  INT e = s;
  while (e + 1 < n && !(types_[e] & PathPointTypeCloseSubpath) &&
         (types_[e + 1] & PathPointTypePathTypeMask) != PathPointTypeStart) {
    ++e;
  }
  *startIndex = s;
  *endIndex = e;
  *isClosed = (types_[e] & PathPointTypeCloseSubpath) ? TRUE : FALSE;
  subpathPos_ = e + 1;
  return e - s + 1;
}

INT GraphicsPathIterator::NextSubpath(GraphicsPath* path, BOOL* isClosed) {
  INT s = 0, e = 0;
  BOOL closed = FALSE;
  const INT count = NextSubpath(&s, &e, &closed);
  if (isClosed) *isClosed = closed;
  if (path) {
    const FillMode mode = path->GetFillMode();
    if (count > 0) {
      *path = GraphicsPath(points_.data() + s, types_.data() + s, count, mode);
    } else {
      path->Reset();
      path->SetFillMode(mode);
    }
  }
  return count;
}

INT GraphicsPathIterator::NextMarker(INT* startIndex, INT* endIndex) {
  if (!startIndex || !endIndex) {
    lastResult_ = InvalidParameter;
    return 0;
  }
  const INT n = GetCount();
  if (markerPos_ >= n) {
    *startIndex = *endIndex = 0;
    return 0;
  }
  const INT s = markerPos_;
  INT e = s;
  while (e + 1 < n && !(types_[e] & PathPointTypePathMarker)) ++e;
  *startIndex = s;
  *endIndex = e;
  markerPos_ = e + 1;
  return e - s + 1;
}

INT GraphicsPathIterator::GetSubpathCount() const {
  INT count = 0;
  ForEachFigure(types_, [&](INT, INT, bool) { ++count; });
  return count;
}

BOOL GraphicsPathIterator::HasCurve() const {
  for (BYTE t : types_) {
    if ((t & PathPointTypePathTypeMask) == PathPointTypeBezier) return TRUE;
  }
  return FALSE;
}

VOID GraphicsPathIterator::Rewind() {
  subpathPos_ = 0;
  markerPos_ = 0;
}

}  // namespace Gdiplus
