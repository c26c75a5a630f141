// Pen: stroke parameters mapped onto cairo's.
//
// cairo has one cap style for every end of a stroke: a dashed pen uses its dash cap for every
// dash. Where the two ends of a line differ, or a cap has no cairo counterpart (triangles and
// anchors), the stroke gets flat ends and the caps are drawn as shapes of their own
// (LwAppendCapShapes), filled together with the stroke.
#include <cairo.h>

#include <cmath>
#include <initializer_list>
#include <numbers>
#include <optional>
#include <vector>

#include "GdiplusPath.h"
#include "GdiplusPen.h"

namespace Gdiplus {

namespace {

cairo_line_cap_t CapOf(LineCap cap) {
  switch (cap) {
    case LineCapSquare:
    case LineCapSquareAnchor:
      return CAIRO_LINE_CAP_SQUARE;
    case LineCapRound:
    case LineCapTriangle:
    case LineCapRoundAnchor:
    case LineCapDiamondAnchor:
    case LineCapArrowAnchor:
      return CAIRO_LINE_CAP_ROUND;
    default:
      return CAIRO_LINE_CAP_BUTT;
  }
}

cairo_line_cap_t CapOf(DashCap cap) {
  return cap == DashCapFlat ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_ROUND;
}

}  // namespace

Pen::Pen(const Color& color, REAL width) : brush_(new SolidBrush(color)), width_(width) {}

Pen::Pen(const Brush* brush, REAL width) : width_(width) {
  if (brush) {
    brush_.reset(brush->Clone());
  } else {
    brush_.reset(new SolidBrush(Color(Color::Black)));
    lastResult_ = InvalidParameter;
  }
}

Pen::Pen(const Pen& other)
    : brush_(other.brush_->Clone()),
      width_(other.width_),
      startCap_(other.startCap_),
      endCap_(other.endCap_),
      dashCap_(other.dashCap_),
      lineJoin_(other.lineJoin_),
      miterLimit_(other.miterLimit_),
      dashStyle_(other.dashStyle_),
      customDashes_(other.customDashes_),
      dashOffset_(other.dashOffset_),
      alignment_(other.alignment_) {}

Pen& Pen::operator=(const Pen& other) {
  if (this != &other) {
    Pen copy(other);
    brush_ = std::move(copy.brush_);
    width_ = copy.width_;
    startCap_ = copy.startCap_;
    endCap_ = copy.endCap_;
    dashCap_ = copy.dashCap_;
    lineJoin_ = copy.lineJoin_;
    miterLimit_ = copy.miterLimit_;
    dashStyle_ = copy.dashStyle_;
    customDashes_ = copy.customDashes_;
    dashOffset_ = copy.dashOffset_;
    alignment_ = copy.alignment_;
  }
  return *this;
}

Pen::~Pen() = default;

Pen* Pen::Clone() const { return new Pen(*this); }

Status Pen::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status Pen::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

Status Pen::SetWidth(REAL width) {
  width_ = width;
  return Ok;
}

Status Pen::SetColor(const Color& color) {
  brush_.reset(new SolidBrush(color));
  return Ok;
}

Status Pen::GetColor(Color* color) const {
  if (!color || brush_->GetType() != BrushTypeSolidColor) return SetStatus(InvalidParameter);
  return static_cast<const SolidBrush*>(brush_.get())->GetColor(color);
}

Status Pen::SetBrush(const Brush* brush) {
  if (!brush) return SetStatus(InvalidParameter);
  brush_.reset(brush->Clone());
  return Ok;
}

Brush* Pen::GetBrush() const { return brush_->Clone(); }

PenType Pen::GetPenType() const { return static_cast<PenType>(brush_->GetType()); }

Status Pen::SetLineCap(LineCap startCap, LineCap endCap, DashCap dashCap) {
  startCap_ = startCap;
  endCap_ = endCap;
  return SetDashCap(dashCap);
}

Status Pen::SetStartCap(LineCap cap) {
  startCap_ = cap;
  return Ok;
}

Status Pen::SetEndCap(LineCap cap) {
  endCap_ = cap;
  return Ok;
}

Status Pen::SetDashCap(DashCap cap) {
  // Any other value is taken as flat.
  dashCap_ = (cap == DashCapRound || cap == DashCapTriangle) ? cap : DashCapFlat;
  return Ok;
}

Status Pen::SetLineJoin(LineJoin join) {
  lineJoin_ = join;
  return Ok;
}

Status Pen::SetMiterLimit(REAL miterLimit) {
  miterLimit_ = miterLimit < 1.0f ? 1.0f : miterLimit;
  return Ok;
}

Status Pen::SetDashStyle(DashStyle style) {
  if (style < DashStyleSolid || style > DashStyleCustom) return SetStatus(InvalidParameter);
  // Custom without a pattern yet stands for a single unit dash.
  if (style == DashStyleCustom && customDashes_.empty()) customDashes_ = {1.0f};
  dashStyle_ = style;
  return Ok;
}

Status Pen::SetDashPattern(const REAL* dashArray, INT count) {
  if (!dashArray || count <= 0) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    if (!(dashArray[i] > 0) || !std::isfinite(dashArray[i])) return SetStatus(InvalidParameter);
  }
  customDashes_.assign(dashArray, dashArray + count);
  dashStyle_ = DashStyleCustom;
  return Ok;
}

std::vector<REAL> Pen::LwDashes() const {
  switch (dashStyle_) {
    case DashStyleDash:
      return {3, 1};
    case DashStyleDot:
      return {1, 1};
    case DashStyleDashDot:
      return {3, 1, 1, 1};
    case DashStyleDashDotDot:
      return {3, 1, 1, 1, 1, 1};
    case DashStyleCustom:
      return customDashes_;
    default:
      return {};
  }
}

INT Pen::GetDashPatternCount() const { return static_cast<INT>(LwDashes().size()); }

Status Pen::GetDashPattern(REAL* dashArray, INT count) const {
  const std::vector<REAL> d = LwDashes();
  if (!dashArray || count <= 0 || count < static_cast<INT>(d.size())) return SetStatus(InvalidParameter);
  for (size_t i = 0; i < d.size(); ++i) dashArray[i] = d[i];
  return Ok;
}

Status Pen::SetDashOffset(REAL dashOffset) {
  dashOffset_ = dashOffset;
  return Ok;
}

Status Pen::SetAlignment(PenAlignment alignment) {
  if (alignment != PenAlignmentCenter && alignment != PenAlignmentInset) return SetStatus(InvalidParameter);
  alignment_ = alignment;
  return Ok;
}

namespace {

bool IsAnchor(LineCap cap) { return cap >= LineCapSquareAnchor && cap <= LineCapArrowAnchor; }

// The cap cairo draws itself, or flat when the pen's ends are shapes of their own.
bool IsPlainCap(LineCap cap) { return cap == LineCapFlat || cap == LineCapSquare || cap == LineCapRound; }

struct Vec {
  double x, y;
};

// Where cap shapes go: cairo's current path, or a GraphicsPath.
class CapSink {
 public:
  virtual ~CapSink() = default;
  virtual void Polygon(std::initializer_list<Vec> pts) = 0;
  virtual void Disc(Vec c, double r) = 0;
};

class CairoCapSink : public CapSink {
 public:
  explicit CairoCapSink(cairo_t* cr) : cr_(cr) {}
  void Polygon(std::initializer_list<Vec> pts) override {
    bool first = true;
    for (const Vec& p : pts) {
      if (first) cairo_move_to(cr_, p.x, p.y);
      else cairo_line_to(cr_, p.x, p.y);
      first = false;
    }
    cairo_close_path(cr_);
  }
  void Disc(Vec c, double r) override {
    cairo_new_sub_path(cr_);
    cairo_arc(cr_, c.x, c.y, r, 0, 2 * std::numbers::pi);
    cairo_close_path(cr_);
  }

 private:
  cairo_t* cr_;
};

class PathCapSink : public CapSink {
 public:
  explicit PathCapSink(GraphicsPath* out) : out_(out) {}
  void Polygon(std::initializer_list<Vec> pts) override {
    std::vector<PointF> p;
    for (const Vec& v : pts) p.emplace_back(static_cast<REAL>(v.x), static_cast<REAL>(v.y));
    out_->AddPolygon(p.data(), static_cast<INT>(p.size()));
  }
  void Disc(Vec c, double r) override {
    out_->AddEllipse(static_cast<REAL>(c.x - r), static_cast<REAL>(c.y - r), static_cast<REAL>(2 * r),
                     static_cast<REAL>(2 * r));
  }

 private:
  GraphicsPath* out_;
};

// One cap at end point p whose line leaves outwards along unit vector d; w is the pen width.
void AppendCap(CapSink& sink, LineCap cap, Vec p, Vec d, double w) {
  const Vec n{-d.y, d.x};
  auto at = [&](double along, double across) { return Vec{p.x + d.x * along + n.x * across, p.y + d.y * along + n.y * across}; };
  const double h = w / 2;
  switch (cap) {
    case LineCapSquare:
      sink.Polygon({at(0, -h), at(h, -h), at(h, h), at(0, h)});
      break;
    case LineCapRound:
      sink.Disc(p, h);
      break;
    case LineCapTriangle:
      sink.Polygon({at(0, -h), at(h, 0), at(0, h)});
      break;
    case LineCapSquareAnchor:
      sink.Polygon({at(-w, -w), at(w, -w), at(w, w), at(-w, w)});
      break;
    case LineCapRoundAnchor:
      sink.Disc(p, w);
      break;
    case LineCapDiamondAnchor:
      sink.Polygon({at(-w, 0), at(0, -w), at(w, 0), at(0, w)});
      break;
    case LineCapArrowAnchor:
      sink.Polygon({at(w, 0), at(-w, -w), at(-w, w)});
      break;
    default:
      break;
  }
}

// A figure of a path: its points (control points included) and whether it is closed.
struct Figure {
  std::vector<Vec> pts;
  bool closed = false;
};

std::vector<Figure> FiguresOf(const cairo_path_t* path) {
  std::vector<Figure> figures;
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t& h = path->data[i];
    switch (h.header.type) {
      case CAIRO_PATH_MOVE_TO:
        figures.push_back({{{path->data[i + 1].point.x, path->data[i + 1].point.y}}, false});
        break;
      case CAIRO_PATH_LINE_TO:
      case CAIRO_PATH_CURVE_TO:
        if (figures.empty()) figures.emplace_back();
        for (int k = 1; k < h.header.length; ++k)
          figures.back().pts.push_back({path->data[i + k].point.x, path->data[i + k].point.y});
        break;
      case CAIRO_PATH_CLOSE_PATH:
        if (!figures.empty()) figures.back().closed = true;
        break;
    }
  }
  return figures;
}

std::vector<Figure> FiguresOf(const GraphicsPath& path) {
  std::vector<Figure> figures;
  const INT n = path.GetPointCount();
  if (n <= 0) return figures;
  std::vector<PointF> pts(static_cast<size_t>(n));
  std::vector<BYTE> types(static_cast<size_t>(n));
  if (path.GetPathPoints(pts.data(), n) != Ok || path.GetPathTypes(types.data(), n) != Ok) return figures;
  for (INT i = 0; i < n; ++i) {
    const BYTE t = types[static_cast<size_t>(i)];
    if ((t & PathPointTypePathTypeMask) == PathPointTypeStart || figures.empty() || figures.back().closed)
      figures.emplace_back();
    figures.back().pts.push_back({pts[static_cast<size_t>(i)].X, pts[static_cast<size_t>(i)].Y});
    if ((t & PathPointTypeCloseSubpath) != 0) figures.back().closed = true;
  }
  return figures;
}

}  // namespace

bool Pen::LwHasCapShapes() const {
  if (!(width_ > 0) || !std::isfinite(width_)) return false;
  if (!LwDashes().empty()) return IsAnchor(startCap_) || IsAnchor(endCap_);
  return startCap_ != endCap_ || !IsPlainCap(startCap_) || !IsPlainCap(endCap_);
}

namespace {

void AppendCapsOf(const std::vector<Figure>& figures, LineCap startCap, LineCap endCap, double w, CapSink& sink) {
  for (const Figure& f : figures) {
    // An end's direction comes from the nearest point (control points included) that differs
    // from it; a figure of one point, or closed, has no ends.
    if (f.closed || f.pts.size() < 2) continue;
    auto dir = [&](const Vec& end, auto first, auto last) -> std::optional<Vec> {
      for (auto it = first; it != last; ++it) {
        const double dx = end.x - it->x, dy = end.y - it->y, len = std::hypot(dx, dy);
        if (len > 0 && std::isfinite(len)) return Vec{dx / len, dy / len};
      }
      return std::nullopt;
    };
    if (auto d = dir(f.pts.front(), f.pts.begin() + 1, f.pts.end())) AppendCap(sink, startCap, f.pts.front(), *d, w);
    if (auto d = dir(f.pts.back(), f.pts.rbegin() + 1, f.pts.rend())) AppendCap(sink, endCap, f.pts.back(), *d, w);
  }
}

}  // namespace

void Pen::LwAppendCapShapes(cairo_t* cr, const cairo_path_t* path) const {
  if (!path || !LwHasCapShapes()) return;
  const bool dashed = !LwDashes().empty();
  CairoCapSink sink(cr);
  AppendCapsOf(FiguresOf(path), dashed && !IsAnchor(startCap_) ? LineCapFlat : startCap_,
               dashed && !IsAnchor(endCap_) ? LineCapFlat : endCap_, width_, sink);
}

Status Pen::LwGetCapShapes(const GraphicsPath& path, GraphicsPath* shapes) const {
  if (!shapes) return SetStatus(InvalidParameter);
  if (!LwHasCapShapes()) return Ok;
  const bool dashed = !LwDashes().empty();
  PathCapSink sink(shapes);
  AppendCapsOf(FiguresOf(path), dashed && !IsAnchor(startCap_) ? LineCapFlat : startCap_,
               dashed && !IsAnchor(endCap_) ? LineCapFlat : endCap_, width_, sink);
  return Ok;
}

void Pen::LwApplyStroke(cairo_t* cr) const {
  double unit = width_;
  // A pen never draws thinner than one device pixel: a width of 0, or one that the transform
  // makes narrower than a pixel (a hairline outline of a glyph drawn in em units, a thin line
  // zoomed out), strokes one pixel wide.
  bool hairline = !(width_ > 0) || !std::isfinite(width_);
  if (!hairline) {
    double ax = width_, ay = 0, bx = 0, by = width_;
    cairo_user_to_device_distance(cr, &ax, &ay);
    cairo_user_to_device_distance(cr, &bx, &by);
    hairline = std::fabs(ax * by - ay * bx) < 1.0;  // the pen's square under one pixel
  }
  if (hairline) {
    // Stroke in device space (the path and source are already placed).
    cairo_identity_matrix(cr);
    unit = 1.0;
  }
  cairo_set_line_width(cr, unit);
  const std::vector<REAL> dashes = LwDashes();
  if (!dashes.empty()) cairo_set_line_cap(cr, CapOf(dashCap_));
  else cairo_set_line_cap(cr, LwHasCapShapes() ? CAIRO_LINE_CAP_BUTT : CapOf(startCap_));
  switch (lineJoin_) {
    case LineJoinBevel:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_BEVEL);
      break;
    case LineJoinRound:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
      break;
    default:
      cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
      break;
  }
  cairo_set_miter_limit(cr, miterLimit_);
  if (dashes.empty()) {
    cairo_set_dash(cr, nullptr, 0, 0);
  } else {
    std::vector<double> d;
    for (REAL v : dashes) d.push_back(v * unit);
    cairo_set_dash(cr, d.data(), static_cast<int>(d.size()), dashOffset_ * unit);
  }
}

}  // namespace Gdiplus
