// Brushes as cairo patterns.
//
// Linear gradients are cairo linear patterns in a gradient space where colour 1 lies at (0, 0)
// and colour 2 at (1, 0); path gradients are cairo mesh patterns with one patch per boundary
// segment from the centre; textures are surface patterns; hatches are 8 x 8 surface tiles laid
// out in device pixels.
#include <cairo.h>

#include <algorithm>
#include <cmath>

#include "GdiplusBitmap.h"
#include "GdiplusBrush.h"

namespace Gdiplus {

namespace {

constexpr double kPi = 3.14159265358979323846;

cairo_matrix_t ToCairo(const Matrix& m) {
  const REAL* e = m.LwElements();
  cairo_matrix_t c;
  cairo_matrix_init(&c, e[0], e[1], e[2], e[3], e[4], e[5]);
  return c;
}

void AddStop(cairo_pattern_t* p, double offset, const Color& c) {
  cairo_pattern_add_color_stop_rgba(p, offset, c.GetRed() / 255.0, c.GetGreen() / 255.0, c.GetBlue() / 255.0,
                                    c.GetAlpha() / 255.0);
}

// Each channel of a and b mixed, f of b.
Color Mix(const Color& a, const Color& b, double f) {
  f = std::clamp(f, 0.0, 1.0);
  auto ch = [&](BYTE x, BYTE y) { return static_cast<BYTE>(std::lround(x + (y - x) * f)); };
  return Color(ch(a.GetAlpha(), b.GetAlpha()), ch(a.GetRed(), b.GetRed()), ch(a.GetGreen(), b.GetGreen()),
               ch(a.GetBlue(), b.GetBlue()));
}

void SetCornerColor(cairo_pattern_t* p, unsigned corner, const Color& c) {
  cairo_mesh_pattern_set_corner_color_rgba(p, corner, c.GetRed() / 255.0, c.GetGreen() / 255.0, c.GetBlue() / 255.0,
                                           c.GetAlpha() / 255.0);
}

uint32_t Premultiplied(const Color& c) {
  const uint32_t a = c.GetAlpha();
  auto pm = [&](uint32_t v) { return (v * a + 127) / 255; };
  return (a << 24) | (pm(c.GetRed()) << 16) | (pm(c.GetGreen()) << 8) | pm(c.GetBlue());
}

// cairo_extend_t for a wrap mode of a surface already mirrored as the mode asks.
cairo_extend_t ExtendOf(WrapMode mode) { return mode == WrapModeClamp ? CAIRO_EXTEND_NONE : CAIRO_EXTEND_REPEAT; }

// The tile, mirrored into a 2 x 1, 1 x 2 or 2 x 2 block for the flip modes (a new reference).
cairo_surface_t* WrappedTile(cairo_surface_t* tile, WrapMode mode) {
  const bool fx = mode == WrapModeTileFlipX || mode == WrapModeTileFlipXY;
  const bool fy = mode == WrapModeTileFlipY || mode == WrapModeTileFlipXY;
  if (!fx && !fy) return cairo_surface_reference(tile);
  const int w = cairo_image_surface_get_width(tile), h = cairo_image_surface_get_height(tile);
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, fx ? 2 * w : w, fy ? 2 * h : h);
  cairo_t* cr = cairo_create(out);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  for (int iy = 0; iy < (fy ? 2 : 1); ++iy) {
    for (int ix = 0; ix < (fx ? 2 : 1); ++ix) {
      cairo_save(cr);
      // Copy ix, iy is the tile mirrored about its own right / bottom edge.
      cairo_matrix_t m;
      cairo_matrix_init(&m, ix ? -1 : 1, 0, 0, iy ? -1 : 1, ix ? 2.0 * w : 0, iy ? 2.0 * h : 0);
      cairo_transform(cr, &m);
      cairo_set_source_surface(cr, tile, 0, 0);
      cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
      cairo_rectangle(cr, 0, 0, w, h);
      cairo_fill(cr);
      cairo_restore(cr);
    }
  }
  cairo_destroy(cr);
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Brush

Brush::~Brush() = default;

Status Brush::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status Brush::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

// ---------------------------------------------------------------------------------------------
// SolidBrush

SolidBrush::SolidBrush(const Color& color) : Brush(BrushTypeSolidColor), color_(color) {}

Brush* SolidBrush::Clone() const { return new SolidBrush(*this); }

Status SolidBrush::GetColor(Color* color) const {
  if (!color) return SetStatus(InvalidParameter);
  *color = color_;
  return Ok;
}

Status SolidBrush::SetColor(const Color& color) {
  color_ = color;
  return Ok;
}

cairo_pattern_t* SolidBrush::LwCreatePattern(const cairo_matrix_t&) const {
  return cairo_pattern_create_rgba(color_.GetRed() / 255.0, color_.GetGreen() / 255.0, color_.GetBlue() / 255.0,
                                   color_.GetAlpha() / 255.0);
}

// ---------------------------------------------------------------------------------------------
// TransformableBrush

Status TransformableBrush::SetTransform(const Matrix* matrix) {
  if (!matrix) return SetStatus(InvalidParameter);
  const REAL* e = matrix->LwElements();
  transform_.SetElements(e[0], e[1], e[2], e[3], e[4], e[5]);
  return Ok;
}

Status TransformableBrush::GetTransform(Matrix* matrix) const {
  if (!matrix) return SetStatus(InvalidParameter);
  const REAL* e = transform_.LwElements();
  return matrix->SetElements(e[0], e[1], e[2], e[3], e[4], e[5]);
}

Status TransformableBrush::ResetTransform() { return transform_.Reset(); }

Status TransformableBrush::MultiplyTransform(const Matrix* matrix, MatrixOrder order) {
  if (!matrix) return SetStatus(InvalidParameter);
  return transform_.Multiply(matrix, order);
}

Status TransformableBrush::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) {
  return transform_.Translate(dx, dy, order);
}

Status TransformableBrush::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) {
  return transform_.Scale(sx, sy, order);
}

Status TransformableBrush::RotateTransform(REAL angle, MatrixOrder order) { return transform_.Rotate(angle, order); }

bool TransformableBrush::ApplyPatternMatrix(cairo_pattern_t* pattern, const Matrix& pre) const {
  Matrix m = pre;
  m.Multiply(&transform_, MatrixOrderAppend);
  if (!m.IsInvertible()) return false;
  cairo_matrix_t c = ToCairo(m);
  if (cairo_matrix_invert(&c) != CAIRO_STATUS_SUCCESS) return false;
  cairo_pattern_set_matrix(pattern, &c);
  return cairo_pattern_status(pattern) == CAIRO_STATUS_SUCCESS;
}

// ---------------------------------------------------------------------------------------------
// LinearGradientBrush

LinearGradientBrush::LinearGradientBrush(const PointF& point1, const PointF& point2, const Color& color1,
                                         const Color& color2)
    : TransformableBrush(BrushTypeLinearGradient, WrapModeTile), colors_{color1, color2} {
  InitLine(point1, point2);
}

LinearGradientBrush::LinearGradientBrush(const Point& point1, const Point& point2, const Color& color1,
                                         const Color& color2)
    : TransformableBrush(BrushTypeLinearGradient, WrapModeTile), colors_{color1, color2} {
  InitLine(PointF(static_cast<REAL>(point1.X), static_cast<REAL>(point1.Y)),
           PointF(static_cast<REAL>(point2.X), static_cast<REAL>(point2.Y)));
}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2,
                                         LinearGradientMode mode)
    : TransformableBrush(BrushTypeLinearGradient, WrapModeTile), colors_{color1, color2} {
  switch (mode) {
    case LinearGradientModeVertical:
      InitRect(rect, 90, false);
      break;
    case LinearGradientModeForwardDiagonal:
      InitRect(rect, 45, true);
      break;
    case LinearGradientModeBackwardDiagonal:
      InitRect(rect, 135, true);
      break;
    default:
      InitRect(rect, 0, false);
      break;
  }
}

LinearGradientBrush::LinearGradientBrush(const Rect& rect, const Color& color1, const Color& color2,
                                         LinearGradientMode mode)
    : LinearGradientBrush(RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                                static_cast<REAL>(rect.Height)),
                          color1, color2, mode) {}

LinearGradientBrush::LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2, REAL angle,
                                         BOOL isAngleScalable)
    : TransformableBrush(BrushTypeLinearGradient, WrapModeTile), colors_{color1, color2} {
  InitRect(rect, angle, isAngleScalable != FALSE);
}

LinearGradientBrush::LinearGradientBrush(const Rect& rect, const Color& color1, const Color& color2, REAL angle,
                                         BOOL isAngleScalable)
    : LinearGradientBrush(RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                                static_cast<REAL>(rect.Height)),
                          color1, color2, angle, isAngleScalable) {}

void LinearGradientBrush::InitLine(const PointF& p1, const PointF& p2) {
  const REAL dx = p2.X - p1.X, dy = p2.Y - p1.Y;
  if (dx == 0 && dy == 0) lastResult_ = OutOfMemory;  // as GDI+ reports coincident points
  base_.SetElements(dx, dy, -dy, dx, p1.X, p1.Y);
  rect_ = RectF(std::min(p1.X, p2.X), std::min(p1.Y, p2.Y), std::fabs(dx), std::fabs(dy));
}

void LinearGradientBrush::InitRect(const RectF& rect, double angleDeg, bool scalable) {
  rect_ = rect;
  if (rect.Width == 0 || rect.Height == 0) {
    lastResult_ = OutOfMemory;
    base_.SetElements(0, 0, 0, 0, rect.X, rect.Y);
    return;
  }
  const double a = angleDeg * kPi / 180.0;
  const double c = std::cos(a), s = std::sin(a);
  // Work in a space where the rectangle is w x h (or the unit square when the angle follows the
  // rectangle's proportions); the gradient runs through the centre, from the first corner the
  // colour lines touch to the last.
  const double w = scalable ? 1.0 : rect.Width, h = scalable ? 1.0 : rect.Height;
  const double half = (w * std::fabs(c) + h * std::fabs(s)) / 2;
  const double x1 = w / 2 - c * half, y1 = h / 2 - s * half;
  const double len = 2 * half;
  Matrix m(static_cast<REAL>(c * len), static_cast<REAL>(s * len), static_cast<REAL>(-s * len),
           static_cast<REAL>(c * len), static_cast<REAL>(x1), static_cast<REAL>(y1));
  if (scalable) m.Scale(rect.Width, rect.Height, MatrixOrderAppend);
  m.Translate(rect.X, rect.Y, MatrixOrderAppend);
  base_ = m;
}

Brush* LinearGradientBrush::Clone() const { return new LinearGradientBrush(*this); }

Status LinearGradientBrush::SetLinearColors(const Color& color1, const Color& color2) {
  colors_[0] = color1;
  colors_[1] = color2;
  presetColors_.clear();
  presetPositions_.clear();
  return Ok;
}

Status LinearGradientBrush::GetLinearColors(Color* colors) const {
  if (!colors) return SetStatus(InvalidParameter);
  colors[0] = colors_[0];
  colors[1] = colors_[1];
  return Ok;
}

Status LinearGradientBrush::GetRectangle(RectF* rect) const {
  if (!rect) return SetStatus(InvalidParameter);
  *rect = rect_;
  return Ok;
}

namespace {

// Positions must run from 0 to 1 without going back.
bool ValidPositions(const REAL* pos, INT count) {
  if (!pos || count < 2 || pos[0] != 0 || pos[count - 1] != 1) return false;
  for (INT i = 1; i < count; ++i) {
    if (!(pos[i] >= pos[i - 1])) return false;
  }
  return true;
}

}  // namespace

Status LinearGradientBrush::SetBlend(const REAL* blendFactors, const REAL* blendPositions, INT count) {
  if (!blendFactors || !ValidPositions(blendPositions, count)) return SetStatus(InvalidParameter);
  blendFactors_.assign(blendFactors, blendFactors + count);
  blendPositions_.assign(blendPositions, blendPositions + count);
  presetColors_.clear();
  presetPositions_.clear();
  return Ok;
}

Status LinearGradientBrush::SetInterpolationColors(const Color* presetColors, const REAL* blendPositions,
                                                   INT count) {
  if (!presetColors || !ValidPositions(blendPositions, count)) return SetStatus(InvalidParameter);
  presetColors_.assign(presetColors, presetColors + count);
  presetPositions_.assign(blendPositions, blendPositions + count);
  blendFactors_.clear();
  blendPositions_.clear();
  return Ok;
}

Status LinearGradientBrush::SetWrapMode(WrapMode wrapMode) {
  if (wrapMode < WrapModeTile || wrapMode > WrapModeTileFlipXY) return SetStatus(InvalidParameter);
  wrapMode_ = wrapMode;
  return Ok;
}

Status LinearGradientBrush::SetGammaCorrection(BOOL useGammaCorrection) {
  gamma_ = useGammaCorrection;
  return Ok;
}

cairo_pattern_t* LinearGradientBrush::LwCreatePattern(const cairo_matrix_t&) const {
  cairo_pattern_t* p = cairo_pattern_create_linear(0, 0, 1, 0);
  if (!presetColors_.empty()) {
    for (size_t i = 0; i < presetColors_.size(); ++i) AddStop(p, presetPositions_[i], presetColors_[i]);
  } else if (!blendFactors_.empty()) {
    for (size_t i = 0; i < blendFactors_.size(); ++i) {
      AddStop(p, blendPositions_[i], Mix(colors_[0], colors_[1], blendFactors_[i]));
    }
  } else {
    AddStop(p, 0, colors_[0]);
    AddStop(p, 1, colors_[1]);
  }
  // Flipping in x or y mirrors every other repetition along the gradient.
  cairo_pattern_set_extend(p, wrapMode_ == WrapModeTile ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_REFLECT);
  if (!ApplyPatternMatrix(p, base_)) {
    cairo_pattern_destroy(p);
    return nullptr;
  }
  return p;
}

// ---------------------------------------------------------------------------------------------
// PathGradientBrush

PathGradientBrush::PathGradientBrush(const GraphicsPath* path)
    : TransformableBrush(BrushTypePathGradient, WrapModeClamp), centerColor_(Color::Black), surround_{Color(Color::White)} {
  if (!path || path->GetPointCount() < 2) {
    lastResult_ = path ? OutOfMemory : InvalidParameter;
  } else {
    path_ = *path;
  }
  InitCenter();
}

PathGradientBrush::PathGradientBrush(const PointF* points, INT count, WrapMode wrapMode)
    : TransformableBrush(BrushTypePathGradient, wrapMode), centerColor_(Color::Black), surround_{Color(Color::White)} {
  if (!points || count < 2) {
    lastResult_ = points ? OutOfMemory : InvalidParameter;
  } else {
    path_.AddLines(points, count);
    path_.CloseFigure();
  }
  InitCenter();
}

PathGradientBrush::PathGradientBrush(const Point* points, INT count, WrapMode wrapMode)
    : TransformableBrush(BrushTypePathGradient, wrapMode), centerColor_(Color::Black), surround_{Color(Color::White)} {
  if (!points || count < 2) {
    lastResult_ = points ? OutOfMemory : InvalidParameter;
  } else {
    path_.AddLines(points, count);
    path_.CloseFigure();
  }
  InitCenter();
}

void PathGradientBrush::InitCenter() {
  // Centroid of the area of the flattened boundary; the mean of its points when it has no area.
  double a = 0, cx = 0, cy = 0, mx = 0, my = 0;
  size_t n = 0;
  for (const std::vector<PointF>& poly : path_.LwFlatten()) {
    for (size_t i = 0; i < poly.size(); ++i) {
      const PointF& p = poly[i];
      const PointF& q = poly[(i + 1) % poly.size()];
      const double cross = static_cast<double>(p.X) * q.Y - static_cast<double>(q.X) * p.Y;
      a += cross;
      cx += (p.X + static_cast<double>(q.X)) * cross;
      cy += (p.Y + static_cast<double>(q.Y)) * cross;
      mx += p.X;
      my += p.Y;
      ++n;
    }
  }
  if (std::fabs(a) > 1e-9) {
    center_ = PointF(static_cast<REAL>(cx / (3 * a)), static_cast<REAL>(cy / (3 * a)));
  } else if (n > 0) {
    center_ = PointF(static_cast<REAL>(mx / n), static_cast<REAL>(my / n));
  }
}

Brush* PathGradientBrush::Clone() const { return new PathGradientBrush(*this); }

Status PathGradientBrush::SetCenterColor(const Color& color) {
  centerColor_ = color;
  return Ok;
}

Status PathGradientBrush::GetCenterColor(Color* color) const {
  if (!color) return SetStatus(InvalidParameter);
  *color = centerColor_;
  return Ok;
}

Status PathGradientBrush::SetCenterPoint(const PointF& point) {
  center_ = point;
  return Ok;
}

Status PathGradientBrush::SetCenterPoint(const Point& point) {
  return SetCenterPoint(PointF(static_cast<REAL>(point.X), static_cast<REAL>(point.Y)));
}

Status PathGradientBrush::GetCenterPoint(PointF* point) const {
  if (!point) return SetStatus(InvalidParameter);
  *point = center_;
  return Ok;
}

Status PathGradientBrush::SetSurroundColors(const Color* colors, INT* count) {
  if (!colors || !count || *count <= 0 || *count > path_.GetPointCount()) return SetStatus(InvalidParameter);
  surround_.assign(colors, colors + *count);
  return Ok;
}

Status PathGradientBrush::GetSurroundColors(Color* colors, INT* count) const {
  if (!colors || !count || *count < static_cast<INT>(surround_.size())) return SetStatus(InvalidParameter);
  std::copy(surround_.begin(), surround_.end(), colors);
  *count = static_cast<INT>(surround_.size());
  return Ok;
}

Status PathGradientBrush::SetWrapMode(WrapMode wrapMode) {
  if (wrapMode < WrapModeTile || wrapMode > WrapModeClamp) return SetStatus(InvalidParameter);
  wrapMode_ = wrapMode;  // kept; nothing is painted outside the boundary whatever the mode
  return Ok;
}

Status PathGradientBrush::SetInterpolationColors(const Color* presetColors, const REAL* blendPositions, INT count) {
  if (!presetColors || !ValidPositions(blendPositions, count)) return SetStatus(InvalidParameter);
  presetColors_.assign(presetColors, presetColors + count);
  presetPositions_.assign(blendPositions, blendPositions + count);
  return Ok;
}

cairo_pattern_t* PathGradientBrush::LwCreatePattern(const cairo_matrix_t& worldToDevice) const {
  if (path_.GetPointCount() < 2) return nullptr;
  // cairo's mesh rasteriser recurses deeper the larger a patch is on the device, and its fixed
  // point stops at about 8 million pixels: patches reaching farther than that are left out.
  cairo_matrix_t toDevice, brush = ToCairo(transform_);
  cairo_matrix_multiply(&toDevice, &brush, &worldToDevice);
  auto onDevice = [&](const PointF& p) {
    double x = p.X, y = p.Y;
    cairo_matrix_transform_point(&toDevice, &x, &y);
    return std::fabs(x) < 8e6 && std::fabs(y) < 8e6;  // false for NaN too
  };
  if (!onDevice(center_)) return nullptr;
  std::vector<std::vector<GraphicsPath::LwSource>> sources;
  const std::vector<std::vector<PointF>> polys = path_.LwFlatten(FlatnessDefault, &sources);
  auto colorAt = [&](INT i) { return surround_[std::min<size_t>(static_cast<size_t>(i), surround_.size() - 1)]; };
  auto sourceColor = [&](const GraphicsPath::LwSource& s) {
    return s.from == s.to ? colorAt(s.from) : Mix(colorAt(s.from), colorAt(s.to), s.t);
  };
  cairo_pattern_t* p = cairo_pattern_create_mesh();
  for (size_t f = 0; f < polys.size(); ++f) {
    const std::vector<PointF>& poly = polys[f];
    for (size_t i = 0; i < poly.size(); ++i) {
      const size_t j = (i + 1) % poly.size();
      if (poly[i].Equals(poly[j]) || !onDevice(poly[i]) || !onDevice(poly[j])) continue;
      if (!presetColors_.empty()) {
        // One ring per pair of preset colours, between the boundary drawn in towards the centre.
        auto toward = [&](const PointF& q, double t) {
          return PointF(static_cast<REAL>(q.X + (center_.X - q.X) * t), static_cast<REAL>(q.Y + (center_.Y - q.Y) * t));
        };
        for (size_t k = 0; k + 1 < presetColors_.size(); ++k) {
          const double t0 = presetPositions_[k], t1 = presetPositions_[k + 1];
          if (!(t1 > t0)) continue;
          const PointF a = toward(poly[i], t0), b = toward(poly[j], t0), c = toward(poly[j], t1), d = toward(poly[i], t1);
          cairo_mesh_pattern_begin_patch(p);
          cairo_mesh_pattern_move_to(p, a.X, a.Y);
          cairo_mesh_pattern_line_to(p, b.X, b.Y);
          cairo_mesh_pattern_line_to(p, c.X, c.Y);
          cairo_mesh_pattern_line_to(p, d.X, d.Y);
          SetCornerColor(p, 0, presetColors_[k]);
          SetCornerColor(p, 1, presetColors_[k]);
          SetCornerColor(p, 2, presetColors_[k + 1]);
          SetCornerColor(p, 3, presetColors_[k + 1]);
          cairo_mesh_pattern_end_patch(p);
        }
        continue;
      }
      // A patch from the centre out to one boundary segment; its fourth corner is the centre again.
      cairo_mesh_pattern_begin_patch(p);
      cairo_mesh_pattern_move_to(p, center_.X, center_.Y);
      cairo_mesh_pattern_line_to(p, poly[i].X, poly[i].Y);
      cairo_mesh_pattern_line_to(p, poly[j].X, poly[j].Y);
      cairo_mesh_pattern_line_to(p, center_.X, center_.Y);
      SetCornerColor(p, 0, centerColor_);
      SetCornerColor(p, 1, sourceColor(sources[f][i]));
      SetCornerColor(p, 2, sourceColor(sources[f][j]));
      SetCornerColor(p, 3, centerColor_);
      cairo_mesh_pattern_end_patch(p);
    }
  }
  if (!ApplyPatternMatrix(p, Matrix())) {
    cairo_pattern_destroy(p);
    return nullptr;
  }
  return p;
}

// ---------------------------------------------------------------------------------------------
// TextureBrush

TextureBrush::TextureBrush(Image* image, WrapMode wrapMode) : TransformableBrush(BrushTypeTextureFill, wrapMode) {
  Init(image, nullptr);
}

TextureBrush::TextureBrush(Image* image, WrapMode wrapMode, const RectF& dstRect)
    : TransformableBrush(BrushTypeTextureFill, wrapMode) {
  Init(image, &dstRect);
}

TextureBrush::TextureBrush(Image* image, WrapMode wrapMode, REAL dstX, REAL dstY, REAL dstWidth, REAL dstHeight)
    : TransformableBrush(BrushTypeTextureFill, wrapMode) {
  const RectF r(dstX, dstY, dstWidth, dstHeight);
  Init(image, &r);
}

TextureBrush::TextureBrush(Image* image, WrapMode wrapMode, const Rect& dstRect)
    : TransformableBrush(BrushTypeTextureFill, wrapMode) {
  const RectF r(static_cast<REAL>(dstRect.X), static_cast<REAL>(dstRect.Y), static_cast<REAL>(dstRect.Width),
                static_cast<REAL>(dstRect.Height));
  Init(image, &r);
}

TextureBrush::TextureBrush(Image* image, WrapMode wrapMode, INT dstX, INT dstY, INT dstWidth, INT dstHeight)
    : TextureBrush(image, wrapMode, Rect(dstX, dstY, dstWidth, dstHeight)) {}

TextureBrush::TextureBrush(const TextureBrush& other) : TransformableBrush(other) {
  tile_ = other.tile_ ? cairo_surface_reference(other.tile_) : nullptr;
}

TextureBrush::~TextureBrush() {
  if (tile_) cairo_surface_destroy(tile_);
}

void TextureBrush::Init(Image* image, const RectF* src) {
  if (wrapMode_ < WrapModeTile || wrapMode_ > WrapModeClamp) {
    lastResult_ = InvalidParameter;
    wrapMode_ = WrapModeTile;
  }
  if (!image) {
    lastResult_ = InvalidParameter;
    return;
  }
  cairo_surface_t* whole = image->LwCreateSourceSurface();
  if (!whole) {
    lastResult_ = OutOfMemory;
    return;
  }
  if (!src) {
    tile_ = whole;
    return;
  }
  // The part of the image inside src, whole pixels.
  const int iw = cairo_image_surface_get_width(whole), ih = cairo_image_surface_get_height(whole);
  const double l = std::floor(src->X), t = std::floor(src->Y);
  const double r = std::ceil(static_cast<double>(src->X) + src->Width);
  const double b = std::ceil(static_cast<double>(src->Y) + src->Height);
  if (!(l >= 0 && t >= 0 && r <= iw && b <= ih && r > l && b > t)) {
    cairo_surface_destroy(whole);
    lastResult_ = OutOfMemory;  // what GDI+ reports for a rectangle outside the image
    return;
  }
  tile_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(r - l), static_cast<int>(b - t));
  cairo_t* cr = cairo_create(tile_);
  cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(cr, whole, -l, -t);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(whole);
}

Brush* TextureBrush::Clone() const { return new TextureBrush(*this); }

Status TextureBrush::SetWrapMode(WrapMode wrapMode) {
  if (wrapMode < WrapModeTile || wrapMode > WrapModeClamp) return SetStatus(InvalidParameter);
  wrapMode_ = wrapMode;
  return Ok;
}

cairo_pattern_t* TextureBrush::LwCreatePattern(const cairo_matrix_t&) const {
  if (!tile_) return nullptr;
  cairo_pattern_t* p;
  if (wrapMode_ == WrapModeTileFlipXY) {
    // Mirrored both ways is cairo's own reflection: no mirrored copy of the tile is made.
    p = cairo_pattern_create_for_surface(tile_);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_REFLECT);
  } else {
    cairo_surface_t* s = WrappedTile(tile_, wrapMode_);
    p = cairo_pattern_create_for_surface(s);
    cairo_surface_destroy(s);
    cairo_pattern_set_extend(p, ExtendOf(wrapMode_));
  }
  if (!ApplyPatternMatrix(p, Matrix())) {
    cairo_pattern_destroy(p);
    return nullptr;
  }
  return p;
}

// ---------------------------------------------------------------------------------------------
// HatchBrush

namespace {

// Rows of each style, bit 7 leftmost. The line styles are exact; the rarer textures (confetti,
// weave, shingle, sphere ...) are close likenesses.
const BYTE kHatch[HatchStyleTotal][8] = {
    {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},  // Horizontal
    {0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // Vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // ForwardDiagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // BackwardDiagonal
    {0xFF, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80, 0x80},  // Cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // DiagonalCross
    {0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00, 0x00},  // 05Percent
    {0x80, 0x00, 0x08, 0x00, 0x80, 0x00, 0x08, 0x00},  // 10Percent
    {0x88, 0x00, 0x22, 0x00, 0x88, 0x00, 0x22, 0x00},  // 20Percent
    {0x88, 0x22, 0x88, 0x22, 0x88, 0x22, 0x88, 0x22},  // 25Percent
    {0xAA, 0x44, 0xAA, 0x11, 0xAA, 0x44, 0xAA, 0x11},  // 30Percent
    {0xAA, 0x44, 0xAA, 0x55, 0xAA, 0x44, 0xAA, 0x55},  // 40Percent
    {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55},  // 50Percent
    {0x55, 0xBB, 0x55, 0xAA, 0x55, 0xBB, 0x55, 0xAA},  // 60Percent
    {0x55, 0xBB, 0x55, 0xEE, 0x55, 0xBB, 0x55, 0xEE},  // 70Percent
    {0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD, 0x77, 0xDD},  // 75Percent
    {0x77, 0xFF, 0xDD, 0xFF, 0x77, 0xFF, 0xDD, 0xFF},  // 80Percent
    {0x7F, 0xFF, 0xF7, 0xFF, 0x7F, 0xFF, 0xF7, 0xFF},  // 90Percent
    {0x88, 0x44, 0x22, 0x11, 0x88, 0x44, 0x22, 0x11},  // LightDownwardDiagonal
    {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88},  // LightUpwardDiagonal
    {0xCC, 0x66, 0x33, 0x99, 0xCC, 0x66, 0x33, 0x99},  // DarkDownwardDiagonal
    {0x33, 0x66, 0xCC, 0x99, 0x33, 0x66, 0xCC, 0x99},  // DarkUpwardDiagonal
    {0xC1, 0xE0, 0x70, 0x38, 0x1C, 0x0E, 0x07, 0x83},  // WideDownwardDiagonal
    {0x83, 0x07, 0x0E, 0x1C, 0x38, 0x70, 0xE0, 0xC1},  // WideUpwardDiagonal
    {0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88, 0x88},  // LightVertical
    {0xFF, 0x00, 0x00, 0x00, 0xFF, 0x00, 0x00, 0x00},  // LightHorizontal
    {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA},  // NarrowVertical
    {0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00, 0xFF, 0x00},  // NarrowHorizontal
    {0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC},  // DarkVertical
    {0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00},  // DarkHorizontal
    {0x00, 0x00, 0x88, 0x44, 0x22, 0x11, 0x00, 0x00},  // DashedDownwardDiagonal
    {0x00, 0x00, 0x11, 0x22, 0x44, 0x88, 0x00, 0x00},  // DashedUpwardDiagonal
    {0xF0, 0x00, 0x00, 0x00, 0x0F, 0x00, 0x00, 0x00},  // DashedHorizontal
    {0x80, 0x80, 0x80, 0x80, 0x08, 0x08, 0x08, 0x08},  // DashedVertical
    {0x80, 0x08, 0x40, 0x02, 0x10, 0x01, 0x20, 0x04},  // SmallConfetti
    {0xB1, 0x30, 0x03, 0x1B, 0xD8, 0xC0, 0x0C, 0x8D},  // LargeConfetti
    {0x81, 0x42, 0x24, 0x18, 0x81, 0x42, 0x24, 0x18},  // ZigZag
    {0x00, 0x18, 0xA4, 0x03, 0x00, 0x18, 0xA4, 0x03},  // Wave
    {0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81},  // DiagonalBrick
    {0xFF, 0x80, 0x80, 0x80, 0xFF, 0x08, 0x08, 0x08},  // HorizontalBrick
    {0x88, 0x54, 0x22, 0x45, 0x88, 0x14, 0x22, 0x51},  // Weave
    {0xAA, 0x55, 0xAA, 0x55, 0xF0, 0xF0, 0xF0, 0xF0},  // Plaid
    {0x00, 0x10, 0x08, 0x10, 0x00, 0x01, 0x80, 0x01},  // Divot
    {0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00},  // DottedGrid
    {0x80, 0x00, 0x22, 0x00, 0x08, 0x00, 0x22, 0x00},  // DottedDiamond
    {0x03, 0x84, 0x48, 0x30, 0x0C, 0x02, 0x01, 0x01},  // Shingle
    {0xFF, 0x66, 0xFF, 0x99, 0xFF, 0x66, 0xFF, 0x99},  // Trellis
    {0xEE, 0x91, 0xF1, 0xF1, 0xEE, 0x19, 0x1F, 0x1F},  // Sphere
    {0xFF, 0x88, 0x88, 0x88, 0xFF, 0x88, 0x88, 0x88},  // SmallGrid
    {0x99, 0x66, 0x66, 0x99, 0x99, 0x66, 0x66, 0x99},  // SmallCheckerBoard
    {0xF0, 0xF0, 0xF0, 0xF0, 0x0F, 0x0F, 0x0F, 0x0F},  // LargeCheckerBoard
    {0x41, 0x22, 0x14, 0x08, 0x14, 0x22, 0x41, 0x80},  // OutlinedDiamond
    {0x08, 0x1C, 0x3E, 0x7F, 0x3E, 0x1C, 0x08, 0x00},  // SolidDiamond
};

}  // namespace

HatchBrush::HatchBrush(HatchStyle hatchStyle, const Color& foreColor, const Color& backColor)
    : Brush(BrushTypeHatchFill), style_(hatchStyle), fore_(foreColor), back_(backColor) {
  if (hatchStyle < HatchStyleMin || hatchStyle > HatchStyleMax) {
    lastResult_ = InvalidParameter;
    style_ = HatchStyleHorizontal;
  }
}

Brush* HatchBrush::Clone() const { return new HatchBrush(*this); }

Status HatchBrush::GetForegroundColor(Color* color) const {
  if (!color) return SetStatus(InvalidParameter);
  *color = fore_;
  return Ok;
}

Status HatchBrush::GetBackgroundColor(Color* color) const {
  if (!color) return SetStatus(InvalidParameter);
  *color = back_;
  return Ok;
}

const BYTE* HatchBrush::LwPatternRows(HatchStyle style) {
  if (style < HatchStyleMin || style > HatchStyleMax) return nullptr;
  return kHatch[style];
}

cairo_pattern_t* HatchBrush::LwCreatePattern(const cairo_matrix_t& worldToDevice) const {
  cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 8, 8);
  if (cairo_surface_status(tile) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(tile);
    return nullptr;
  }
  cairo_surface_flush(tile);
  unsigned char* data = cairo_image_surface_get_data(tile);
  const int stride = cairo_image_surface_get_stride(tile);
  const uint32_t fore = Premultiplied(fore_), back = Premultiplied(back_);
  const BYTE* rows = kHatch[style_];
  for (int y = 0; y < 8; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + y * stride);
    for (int x = 0; x < 8; ++x) row[x] = (rows[y] & (0x80 >> x)) ? fore : back;
  }
  cairo_surface_mark_dirty(tile);
  cairo_pattern_t* p = cairo_pattern_create_for_surface(tile);
  cairo_surface_destroy(tile);
  cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
  cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
  // The tile follows device pixels: user space -> pattern space is the transform in effect.
  cairo_pattern_set_matrix(p, &worldToDevice);
  if (cairo_pattern_status(p) != CAIRO_STATUS_SUCCESS) {
    cairo_pattern_destroy(p);
    return nullptr;
  }
  return p;
}

}  // namespace Gdiplus
