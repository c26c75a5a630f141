// Pen: stroke parameters mapped onto cairo's.
//
// cairo has one cap style for every end of a stroke: a dashed pen uses its dash cap, a solid pen
// its start cap. Anchor caps are drawn as the plain cap nearest in shape (square anchor as
// square, round, diamond and arrow anchors as round), triangle caps as round.
#include <cairo.h>

#include <cmath>

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

void Pen::LwApplyStroke(cairo_t* cr) const {
  double unit = width_;
  if (!(width_ > 0) || !std::isfinite(width_)) {
    // One device pixel: stroke in device space (the path and source are already placed).
    cairo_identity_matrix(cr);
    unit = 1.0;
  }
  cairo_set_line_width(cr, unit);
  const std::vector<REAL> dashes = LwDashes();
  cairo_set_line_cap(cr, dashes.empty() ? CapOf(startCap_) : CapOf(dashCap_));
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
