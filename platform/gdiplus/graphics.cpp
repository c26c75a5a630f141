// Graphics: GDI+ drawing calls carried out with cairo.
#include <cairo.h>

#include <gdi/gdi_cairo.h>
#include <gdi/wingdi.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GdiplusBitmap.h"
#include "GdiplusGraphics.h"

namespace Gdiplus {

namespace {

cairo_matrix_t ToCairo(const Matrix& m) {
  const REAL* e = m.LwElements();
  cairo_matrix_t c;
  cairo_matrix_init(&c, e[0], e[1], e[2], e[3], e[4], e[5]);
  return c;
}

double PixelShift(PixelOffsetMode mode) {
  return (mode == PixelOffsetModeHalf || mode == PixelOffsetModeHighQuality) ? 0.0 : 0.5;
}

cairo_filter_t FilterOf(InterpolationMode mode) {
  switch (mode) {
    case InterpolationModeNearestNeighbor:
      return CAIRO_FILTER_NEAREST;
    case InterpolationModeHighQualityBilinear:
      return CAIRO_FILTER_GOOD;
    case InterpolationModeHighQuality:
    case InterpolationModeBicubic:
    case InterpolationModeHighQualityBicubic:
      return CAIRO_FILTER_BEST;
    default:
      return CAIRO_FILTER_BILINEAR;
  }
}

bool AllFiguresClosed(const GraphicsPath& path) {
  GraphicsPathIterator it(&path);
  INT s = 0, e = 0;
  BOOL closed = FALSE;
  bool any = false;
  while (it.NextSubpath(&s, &e, &closed) > 0) {
    if (!closed) return false;
    any = true;
  }
  return any;
}

RectF ToRectF(const Rect& r) {
  return RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width), static_cast<REAL>(r.Height));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Construction and the target

Graphics::Graphics(HDC hdc) : hdc_(hdc) {
  cairo_surface_t* s = hdc ? LwGdiBeginDraw(hdc) : nullptr;
  if (!s) {
    lastResult_ = hdc ? OutOfMemory : InvalidParameter;
    hdc_ = nullptr;
    return;
  }
  Attach(s);
}

Graphics::Graphics(Image* image) {
  bitmap_ = dynamic_cast<Bitmap*>(image);
  if (!bitmap_) {
    lastResult_ = InvalidParameter;
    return;
  }
  cairo_surface_t* s = bitmap_->LwBeginDraw();
  if (!s) {
    lastResult_ = OutOfMemory;
    bitmap_ = nullptr;
    return;
  }
  Attach(s);
}

Graphics::~Graphics() {
  if (lentDc_) ReleaseHDC(lentDc_);
  Detach();
  if (clipMask_) cairo_surface_destroy(clipMask_);
}

Graphics* Graphics::FromHDC(HDC hdc) { return new Graphics(hdc); }

Graphics* Graphics::FromImage(Image* image) { return new Graphics(image); }

void Graphics::Attach(cairo_surface_t* surface) {
  surface_ = surface;
  cr_ = cairo_create(surface);
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    lastResult_ = OutOfMemory;
    cairo_destroy(cr_);
    cr_ = nullptr;
  }
}

void Graphics::Detach() {
  if (cr_) cairo_destroy(cr_);
  cr_ = nullptr;
  if (!surface_) return;
  cairo_surface_flush(surface_);
  if (hdc_) {
    if (!inStep_) LwGdiEndDraw(hdc_, surface_);
    cairo_surface_destroy(surface_);
  } else if (bitmap_) {
    bitmap_->LwEndDraw(surface_, !inStep_);
  } else {
    cairo_surface_destroy(surface_);
  }
  surface_ = nullptr;
}

VOID Graphics::Flush(FlushIntention) {
  if (!surface_ || lentDc_) return;
  cairo_surface_flush(surface_);
  if (hdc_) {
    LwGdiEndDraw(hdc_, surface_);
  } else if (bitmap_) {
    // The bitmap takes the surface back; draw on in a fresh one.
    Detach();
    cairo_surface_t* s = bitmap_->LwBeginDraw();
    if (s) {
      Attach(s);
    } else {
      lastResult_ = OutOfMemory;
    }
  }
}

void Graphics::LwHoldSync() { ++holdSync_; }

void Graphics::LwReleaseSync() {
  if (holdSync_ == 0 || --holdSync_ > 0 || !heldDraw_) return;
  heldDraw_ = false;
  if (!surface_ || lentDc_) return;
  cairo_surface_flush(surface_);
  const Rect all(0, 0, cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_));
  if (bitmap_) {
    bitmap_->LwSyncDraw(&all);
  } else if (hdc_) {
    LwGdiSyncDraw(hdc_, surface_, RECT{all.X, all.Y, all.X + all.Width, all.Y + all.Height});
  }
  inStep_ = true;
}

HDC Graphics::GetHDC() {
  if (lentDc_) {
    SetStatus(ObjectBusy);
    return nullptr;
  }
  if (!cr_ || !surface_) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  cairo_surface_flush(surface_);
  if (hdc_) {
    LwGdiEndDraw(hdc_, surface_);
    lentDc_ = hdc_;
    return hdc_;
  }
  // A bitmap: lend a memory context with a copy of the pixels.
  const int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  BITMAPINFO bi;
  std::memset(&bi, 0, sizeof(bi));
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bmp = dc ? CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (!dc || !bmp || !bits) {
    if (bmp) DeleteObject(bmp);
    if (dc) DeleteDC(dc);
    SetStatus(OutOfMemory);
    return nullptr;
  }
  lentOld_ = SelectObject(dc, bmp);
  const unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  lentCopy_.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    std::memcpy(lentCopy_.data() + static_cast<size_t>(y) * w, data + static_cast<size_t>(y) * stride,
                static_cast<size_t>(w) * 4);
  }
  std::memcpy(bits, lentCopy_.data(), lentCopy_.size() * 4);
  lentDc_ = dc;
  lentBitmap_ = bmp;
  lentBits_ = bits;
  return dc;
}

VOID Graphics::ReleaseHDC(HDC hdc) {
  inStep_ = false;
  if (!lentDc_ || hdc != lentDc_) {
    SetStatus(InvalidParameter);
    return;
  }
  if (hdc_) {
    // Take the context's pixels up again, GDI's drawing included.
    if (cr_) cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    lentDc_ = nullptr;
    cairo_surface_t* s = LwGdiBeginDraw(hdc_);
    if (s) {
      Attach(s);
    } else {
      lastResult_ = OutOfMemory;
    }
    return;
  }
  // Pixels that GDI changed come back opaque; the others keep their alpha.
  const int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
  unsigned char* data = cairo_image_surface_get_data(surface_);
  const int stride = cairo_image_surface_get_stride(surface_);
  const uint32_t* bits = static_cast<const uint32_t*>(lentBits_);
  for (int y = 0; y < h; ++y) {
    uint32_t* row = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(y) * stride);
    for (int x = 0; x < w; ++x) {
      const size_t i = static_cast<size_t>(y) * w + x;
      if (bits[i] != lentCopy_[i]) row[x] = 0xFF000000u | (bits[i] & 0xFFFFFFu);
    }
  }
  cairo_surface_mark_dirty(surface_);
  SelectObject(lentDc_, lentOld_);
  DeleteObject(lentBitmap_);
  DeleteDC(lentDc_);
  lentDc_ = nullptr;
  lentBitmap_ = lentOld_ = nullptr;
  lentBits_ = nullptr;
  lentCopy_.clear();
}

Status Graphics::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status Graphics::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

// ---------------------------------------------------------------------------------------------
// Transform and modes

Status Graphics::SetTransform(const Matrix* matrix) {
  if (!matrix) return SetStatus(InvalidParameter);
  const REAL* e = matrix->LwElements();
  return world_.SetElements(e[0], e[1], e[2], e[3], e[4], e[5]);
}

Status Graphics::GetTransform(Matrix* matrix) const {
  if (!matrix) return SetStatus(InvalidParameter);
  const REAL* e = world_.LwElements();
  return matrix->SetElements(e[0], e[1], e[2], e[3], e[4], e[5]);
}

Status Graphics::ResetTransform() { return world_.Reset(); }

Status Graphics::MultiplyTransform(const Matrix* matrix, MatrixOrder order) {
  if (!matrix) return SetStatus(InvalidParameter);
  return world_.Multiply(matrix, order);
}

Status Graphics::TranslateTransform(REAL dx, REAL dy, MatrixOrder order) { return world_.Translate(dx, dy, order); }

Status Graphics::ScaleTransform(REAL sx, REAL sy, MatrixOrder order) { return world_.Scale(sx, sy, order); }

Status Graphics::RotateTransform(REAL angle, MatrixOrder order) { return world_.Rotate(angle, order); }

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (mode < SmoothingModeDefault || mode > SmoothingModeAntiAlias8x8) return SetStatus(InvalidParameter);
  smoothing_ = mode;
  return Ok;
}

Status Graphics::SetInterpolationMode(InterpolationMode mode) {
  if (mode < InterpolationModeDefault || mode > InterpolationModeHighQualityBicubic) {
    return SetStatus(InvalidParameter);
  }
  interpolation_ = mode;
  return Ok;
}

Status Graphics::SetPixelOffsetMode(PixelOffsetMode mode) {
  if (mode < PixelOffsetModeDefault || mode > PixelOffsetModeHalf) return SetStatus(InvalidParameter);
  pixelOffset_ = mode;
  InvalidateClipMask();
  return Ok;
}

Status Graphics::SetCompositingMode(CompositingMode mode) {
  if (mode != CompositingModeSourceOver && mode != CompositingModeSourceCopy) return SetStatus(InvalidParameter);
  compositing_ = mode;
  return Ok;
}

Status Graphics::SetCompositingQuality(CompositingQuality quality) {
  if (quality < CompositingQualityDefault || quality > CompositingQualityAssumeLinear) {
    return SetStatus(InvalidParameter);
  }
  compositingQuality_ = quality;
  return Ok;
}

cairo_matrix_t Graphics::DeviceMatrix() const {
  cairo_matrix_t m = ToCairo(world_);
  const double shift = PixelShift(pixelOffset_);
  m.x0 += shift;
  m.y0 += shift;
  return m;
}

// ---------------------------------------------------------------------------------------------
// Rendering

void Graphics::InvalidateClipMask() {
  if (clipMask_) cairo_surface_destroy(clipMask_);
  clipMask_ = nullptr;
}

template <typename Build>
Status Graphics::Render(Build build) {
  if (lentDc_) return SetStatus(ObjectBusy);
  if (!cr_) return SetStatus(InvalidParameter);
  cairo_matrix_t dm = DeviceMatrix();
  cairo_matrix_t check = dm;
  // Nothing can be seen through a singular or broken transform.
  if (cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS) return Ok;

  std::vector<const GraphicsPath*> clipPaths;
  bool clipEmpty = false;
  const bool simpleClip = clip_.LwAsIntersection(&clipPaths, &clipEmpty);
  if (simpleClip && clipEmpty) return Ok;
  double ox = 0, oy = 0;
  cairo_surface_get_device_offset(surface_, &ox, &oy);
  const double shift = PixelShift(pixelOffset_);
  if (!simpleClip && !clipMask_) {
    cairo_matrix_t toMask;
    cairo_matrix_init_translate(&toMask, shift + ox, shift + oy);
    clipMask_ = clip_.LwCreateMask(cairo_image_surface_get_width(surface_), cairo_image_surface_get_height(surface_),
                                   toMask);
    if (!clipMask_) return SetStatus(OutOfMemory);
  }

  cairo_save(cr_);
  cairo_identity_matrix(cr_);
  cairo_new_path(cr_);
  if (simpleClip && !clipPaths.empty()) {
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_translate(cr_, shift, shift);
    for (const GraphicsPath* p : clipPaths) {
      p->LwAppendTo(cr_);
      cairo_set_fill_rule(cr_, p->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
      cairo_clip(cr_);
    }
    cairo_identity_matrix(cr_);
  }
  const bool aa = smoothing_ == SmoothingModeAntiAlias || smoothing_ == SmoothingModeAntiAlias8x8 ||
                  smoothing_ == SmoothingModeHighQuality;
  cairo_set_antialias(cr_, aa ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
  cairo_set_operator(cr_, compositing_ == CompositingModeSourceCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
  cairo_set_matrix(cr_, &dm);
  const Action action = build(cr_);
  // Device pixels the operation may touch, for bringing them to a bitmap's own memory afterwards.
  Rect touched;
  if (action != Action::None) inStep_ = false;
  const bool held = holdSync_ > 0 && (bitmap_ || hdc_) && action != Action::None;
  if (held) heldDraw_ = true;  // brought over whole at the release
  const bool syncBitmap = (bitmap_ || hdc_) && action != Action::None && !held;
  if (syncBitmap) {
    double x1, y1, x2, y2;
    if (action == Action::Stroke) {
      cairo_stroke_extents(cr_, &x1, &y1, &x2, &y2);
    } else if (action == Action::Fill || action == Action::Mask) {
      cairo_fill_extents(cr_, &x1, &y1, &x2, &y2);
    } else {
      cairo_clip_extents(cr_, &x1, &y1, &x2, &y2);
    }
    cairo_matrix_t ctm;
    cairo_get_matrix(cr_, &ctm);
    double lx = HUGE_VAL, ly = HUGE_VAL, hx = -HUGE_VAL, hy = -HUGE_VAL;
    const double cx[4] = {x1, x2, x2, x1}, cy[4] = {y1, y1, y2, y2};
    for (int i = 0; i < 4; ++i) {
      double x = cx[i], y = cy[i];
      cairo_matrix_transform_point(&ctm, &x, &y);
      lx = std::min(lx, x), ly = std::min(ly, y), hx = std::max(hx, x), hy = std::max(hy, y);
    }
    // A DC's origins sit in the surface's device offset, outside the matrix.
    lx += ox, hx += ox, ly += oy, hy += oy;
    if (std::isnan(lx + ly + hx + hy)) lx = ly = hx = hy = 0;  // nothing sane to bring over
    const double w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
    lx = std::clamp(std::floor(lx) - 1, 0.0, w);
    ly = std::clamp(std::floor(ly) - 1, 0.0, h);
    hx = std::clamp(std::ceil(hx) + 1, 0.0, w);
    hy = std::clamp(std::ceil(hy) + 1, 0.0, h);
    touched = Rect(static_cast<INT>(lx), static_cast<INT>(ly), static_cast<INT>(hx - lx), static_cast<INT>(hy - ly));
  }
  if (action != Action::None && !simpleClip) {
    // Draw into a group no larger than what the operation covers, then lay the group down
    // through the clip mask.
    if (action != Action::Paint) {
      double x1, y1, x2, y2;
      if (action == Action::Stroke) {
        cairo_stroke_extents(cr_, &x1, &y1, &x2, &y2);
      } else {
        cairo_fill_extents(cr_, &x1, &y1, &x2, &y2);
      }
      cairo_matrix_t ctm;
      cairo_get_matrix(cr_, &ctm);
      double lx = HUGE_VAL, ly = HUGE_VAL, hx = -HUGE_VAL, hy = -HUGE_VAL;
      const double cx[4] = {x1, x2, x2, x1}, cy[4] = {y1, y1, y2, y2};
      for (int i = 0; i < 4; ++i) {
        double x = cx[i], y = cy[i];
        cairo_matrix_transform_point(&ctm, &x, &y);
        lx = std::min(lx, x), ly = std::min(ly, y), hx = std::max(hx, x), hy = std::max(hy, y);
      }
      cairo_path_t* path = cairo_copy_path(cr_);
      cairo_identity_matrix(cr_);
      cairo_new_path(cr_);
      cairo_rectangle(cr_, std::floor(lx) - 1, std::floor(ly) - 1, std::ceil(hx) - std::floor(lx) + 2,
                      std::ceil(hy) - std::floor(ly) + 2);
      cairo_clip(cr_);
      cairo_set_matrix(cr_, &ctm);
      cairo_append_path(cr_, path);
      cairo_path_destroy(path);
    }
    cairo_push_group(cr_);
  }
  switch (action) {
    case Action::Fill:
      cairo_fill(cr_);
      break;
    case Action::Stroke:
      cairo_stroke(cr_);
      break;
    case Action::Paint:
      cairo_paint(cr_);
      break;
    case Action::Mask:
      if (pendingMask_) cairo_mask(cr_, pendingMask_);
      break;
    case Action::None:
      break;
  }
  if (pendingMask_) {
    cairo_pattern_destroy(pendingMask_);
    pendingMask_ = nullptr;
  }
  cairo_new_path(cr_);
  if (action != Action::None && !simpleClip) {
    cairo_pop_group_to_source(cr_);
    cairo_identity_matrix(cr_);
    cairo_set_operator(cr_, CAIRO_OPERATOR_OVER);
    cairo_mask_surface(cr_, clipMask_, -ox, -oy);
  }
  cairo_restore(cr_);
  // GDI+ draws straight into a bitmap's memory, and callers hand that memory on (a rendered sheet
  // goes to another thread) while their Graphics is still alive.
  // The same holds for a device context: its bitmap is blitted to the window, or its DIB memory
  // read, while the Graphics drawing on it is still alive.
  if (syncBitmap && !touched.IsEmptyArea()) {
    cairo_surface_flush(surface_);
    if (bitmap_) {
      bitmap_->LwSyncDraw(&touched);
    } else {
      LwGdiSyncDraw(hdc_, surface_,
                    RECT{touched.X, touched.Y, touched.X + touched.Width, touched.Y + touched.Height});
    }
  }
  if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
    // cairo refused the figures (coordinates out of its range): start afresh on the same target
    // so that later calls still draw.
    cairo_destroy(cr_);
    cr_ = cairo_create(surface_);
    return SetStatus(ValueOverflow);
  }
  return Ok;
}

void Graphics::PixelShiftInWorld(double* dx, double* dy) const {
  // The device half-pixel shift taken back through the linear part of the world transform.
  const double shift = PixelShift(pixelOffset_);
  cairo_matrix_t lin = ToCairo(world_);
  lin.x0 = lin.y0 = 0;
  *dx = shift;
  *dy = shift;
  if (shift == 0 || cairo_matrix_invert(&lin) != CAIRO_STATUS_SUCCESS) {
    *dx = *dy = 0;
    return;
  }
  cairo_matrix_transform_distance(&lin, dx, dy);
}

bool Graphics::SetBrushSource(const Brush* brush) const {
  cairo_matrix_t ctm;
  cairo_get_matrix(cr_, &ctm);
  cairo_pattern_t* p = brush->LwCreatePattern(ctm);
  if (!p) return false;
  if (brush->GetType() == BrushTypeTextureFill) {
    // Texture pixels sit on device pixels as images do: undo the half-pixel shift.
    cairo_pattern_set_filter(p, FilterOf(interpolation_));
    double dx, dy;
    PixelShiftInWorld(&dx, &dy);
    cairo_matrix_t pm, t, r;
    cairo_pattern_get_matrix(p, &pm);
    cairo_matrix_init_translate(&t, dx, dy);
    cairo_matrix_multiply(&r, &t, &pm);
    cairo_pattern_set_matrix(p, &r);
  }
  // A pattern in error would put the context in error for good.
  const bool ok = cairo_pattern_status(p) == CAIRO_STATUS_SUCCESS;
  if (ok) cairo_set_source(cr_, p);
  cairo_pattern_destroy(p);
  return ok;
}

Status Graphics::Clear(const Color& color) {
  return Render([&](cairo_t* cr) {
    cairo_identity_matrix(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_rgba(cr, color.GetRed() / 255.0, color.GetGreen() / 255.0, color.GetBlue() / 255.0,
                          color.GetAlpha() / 255.0);
    return Action::Paint;
  });
}

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path) {
  if (!brush || !path) return SetStatus(InvalidParameter);
  return Render([&](cairo_t* cr) {
    path->LwAppendTo(cr);
    cairo_set_fill_rule(cr, path->GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
    return SetBrushSource(brush) ? Action::Fill : Action::None;
  });
}

// cairo walks a dashed line dash by dash, seen or not: a line millions of dashes long (wild
// coordinates, or a long line zoomed in) would take seconds. Such a line is dashed here instead,
// only where it can be seen: the dashes that fall inside the clip's extents (widened by the
// stroke) become sub-paths of their own, stroked solid with the dash cap, and the dash pattern
// runs on unseen along the rest of the line. Only a line that still shows more dashes than
// kMaxSeenDashes is drawn solid.
static void DashLongStroke(cairo_t* cr) {
  constexpr double kMaxPeriods = 100000.0;
  constexpr size_t kMaxSeenDashes = 1000000;
  const int n = cairo_get_dash_count(cr);
  if (n <= 0) return;
  std::vector<double> dashes(static_cast<size_t>(n));
  double offset = 0, period = 0;
  cairo_get_dash(cr, dashes.data(), &offset);
  for (double d : dashes) period += d;
  if (!(period > 0) || !std::isfinite(period)) {
    cairo_set_dash(cr, nullptr, 0, 0);
    return;
  }
  cairo_path_t* path = cairo_copy_path_flat(cr);
  double length = 0;
  {
    double lastX = 0, lastY = 0;
    for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
      const cairo_path_data_t& h = path->data[i];
      if (h.header.type == CAIRO_PATH_CLOSE_PATH) continue;
      const double x = path->data[i + 1].point.x, y = path->data[i + 1].point.y;
      if (h.header.type != CAIRO_PATH_MOVE_TO) length += std::hypot(x - lastX, y - lastY);
      lastX = x, lastY = y;
    }
  }
  if (length / period < kMaxPeriods) {
    cairo_path_destroy(path);
    return;
  }
  // What can be seen, in user space, widened by the stroke's reach (miters included).
  double cx1, cy1, cx2, cy2;
  cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
  const double reach = cairo_get_line_width(cr) * std::max(1.0, cairo_get_miter_limit(cr)) + period;
  cx1 -= reach, cy1 -= reach, cx2 += reach, cy2 += reach;
  // The part of segment a-b inside the box, as parameters t0..t1 (false when none).
  auto clip = [&](double ax, double ay, double bx, double by, double& t0, double& t1) {
    t0 = 0, t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy}, q[4] = {ax - cx1, cx2 - ax, ay - cy1, cy2 - ay};
    for (int k = 0; k < 4; ++k) {
      if (p[k] == 0) {
        if (q[k] < 0) return false;
        continue;
      }
      const double r = q[k] / p[k];
      if (p[k] < 0) t0 = std::max(t0, r);
      else t1 = std::min(t1, r);
    }
    return t0 < t1 || (t0 == t1 && dx == 0 && dy == 0);
  };
  std::vector<cairo_path_data_t> out;
  size_t dashCount = 0;
  bool drawing = false;  // a dash is open in out
  auto point = [&](cairo_path_data_type_t type, double x, double y) {
    cairo_path_data_t h, pt;
    h.header.type = type;
    h.header.length = 2;
    pt.point.x = x, pt.point.y = y;
    out.push_back(h);
    out.push_back(pt);
  };
  double along = 0;  // distance from the start of the sub-path
  double startX = 0, startY = 0, lastX = 0, lastY = 0;
  auto segment = [&](double ax, double ay, double bx, double by) {
    const double len = std::hypot(bx - ax, by - ay);
    double t0, t1;
    if (!std::isfinite(len)) {
      drawing = false;
      return;
    }
    if (len == 0 || !clip(ax, ay, bx, by, t0, t1) || dashCount > kMaxSeenDashes) {
      if (len > 0) drawing = false;
      along += len;
      return;
    }
    auto at = [&](double d, double& x, double& y) {
      const double t = (d - along) / len;
      x = ax + (bx - ax) * t, y = ay + (by - ay) * t;
    };
    double pos = along + t0 * len;
    const double end = along + t1 * len;
    if (t0 > 0) drawing = false;  // the dash before the seen part was not drawn
    // Where the pattern stands at pos: dash k with left of it to run.
    double phase = std::fmod(pos + offset, period);
    if (phase < 0) phase += period;
    size_t k = 0;
    while (k + 1 < dashes.size() && phase >= dashes[k]) phase -= dashes[k++];
    double left = std::max(0.0, dashes[k] - phase);
    while (pos < end && dashCount <= kMaxSeenDashes) {
      const double stop = std::min(end, pos + left);
      double x, y;
      if (k % 2 == 0) {
        if (!drawing) {
          at(pos, x, y);
          point(CAIRO_PATH_MOVE_TO, x, y);
          ++dashCount;
          drawing = true;
        }
        at(stop, x, y);
        point(CAIRO_PATH_LINE_TO, x, y);
      } else {
        drawing = false;
      }
      left -= stop - pos;
      pos = stop;
      if (left <= 0) {
        if (k % 2 == 0) drawing = false;
        k = (k + 1) % dashes.size();
        left = dashes[k];
      }
    }
    if (t1 < 1) drawing = false;
    along += len;
  };
  for (int i = 0; i < path->num_data; i += path->data[i].header.length) {
    const cairo_path_data_t& h = path->data[i];
    switch (h.header.type) {
      case CAIRO_PATH_MOVE_TO:
        startX = lastX = path->data[i + 1].point.x;
        startY = lastY = path->data[i + 1].point.y;
        along = 0;
        drawing = false;
        break;
      case CAIRO_PATH_LINE_TO: {
        const double x = path->data[i + 1].point.x, y = path->data[i + 1].point.y;
        segment(lastX, lastY, x, y);
        lastX = x, lastY = y;
        break;
      }
      case CAIRO_PATH_CLOSE_PATH:
        segment(lastX, lastY, startX, startY);
        lastX = startX, lastY = startY;
        break;
      default:
        break;
    }
  }
  cairo_path_destroy(path);
  cairo_set_dash(cr, nullptr, 0, 0);
  if (dashCount > kMaxSeenDashes) return;  // the line as it is, solid
  cairo_new_path(cr);
  cairo_path_t result;
  result.status = CAIRO_STATUS_SUCCESS;
  result.data = out.data();
  result.num_data = static_cast<int>(out.size());
  cairo_append_path(cr, &result);
}

Status Graphics::StrokePath(const Pen* pen, const GraphicsPath& path) {
  return Render([&](cairo_t* cr) {
    if (!SetBrushSource(pen->LwBrush())) return Action::None;
    const bool inset = pen->GetAlignment() == PenAlignmentInset && AllFiguresClosed(path);
    if (inset) {
      // Inside the figures only: clip to their area and stroke twice as wide.
      path.LwAppendTo(cr);
      cairo_set_fill_rule(cr, path.GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
      cairo_clip(cr);
    }
    path.LwAppendTo(cr);
    pen->LwApplyStroke(cr);
    if (inset) cairo_set_line_width(cr, 2 * cairo_get_line_width(cr));
    if (!pen->LwHasCapShapes()) {
      DashLongStroke(cr);
      return Action::Stroke;
    }
    // Caps of their own: the stroke and its caps make one coverage mask, so a translucent pen
    // covers the place where they meet once. The caps sit on the ends of the line as given.
    cairo_path_t* line = cairo_copy_path(cr);
    DashLongStroke(cr);
    cairo_path_t* stroke = cairo_copy_path(cr);
    double x1, y1, x2, y2;
    cairo_stroke_extents(cr, &x1, &y1, &x2, &y2);
    cairo_new_path(cr);
    pen->LwAppendCapShapes(cr, line);
    cairo_path_destroy(line);
    double cx1, cy1, cx2, cy2;
    cairo_fill_extents(cr, &cx1, &cy1, &cx2, &cy2);
    if (cx2 > cx1 && cy2 > cy1) {
      x1 = std::min(x1, cx1), y1 = std::min(y1, cy1), x2 = std::max(x2, cx2), y2 = std::max(y2, cy2);
    }
    cairo_path_t* caps = cairo_copy_path(cr);
    cairo_new_path(cr);
    cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
    cairo_set_source_rgba(cr, 0, 0, 0, 1);
    cairo_append_path(cr, stroke);
    cairo_stroke(cr);
    cairo_append_path(cr, caps);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
    cairo_fill(cr);
    pendingMask_ = cairo_pop_group(cr);
    cairo_path_destroy(stroke);
    cairo_path_destroy(caps);
    cairo_rectangle(cr, x1, y1, x2 - x1, y2 - y1);
    return Action::Mask;
  });
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path) {
  if (!pen || !path) return SetStatus(InvalidParameter);
  return StrokePath(pen, *path);
}

Status Graphics::FillRectangle(const Brush* brush, const RectF& rect) {
  GraphicsPath p;
  p.AddRectangle(rect);
  return FillPath(brush, &p);
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  return FillRectangle(brush, RectF(x, y, width, height));
}

Status Graphics::FillRectangle(const Brush* brush, const Rect& rect) { return FillRectangle(brush, ToRectF(rect)); }

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
  return FillRectangle(brush, Rect(x, y, width, height));
}

Status Graphics::FillRectangles(const Brush* brush, const RectF* rects, INT count) {
  if (!rects || count <= 0) return SetStatus(InvalidParameter);
  GraphicsPath p(FillModeWinding);
  p.AddRectangles(rects, count);
  return FillPath(brush, &p);
}

Status Graphics::FillRectangles(const Brush* brush, const Rect* rects, INT count) {
  if (!rects || count <= 0) return SetStatus(InvalidParameter);
  GraphicsPath p(FillModeWinding);
  p.AddRectangles(rects, count);
  return FillPath(brush, &p);
}

Status Graphics::DrawRectangle(const Pen* pen, const RectF& rect) {
  GraphicsPath p;
  p.AddRectangle(rect);
  return DrawPath(pen, &p);
}

Status Graphics::DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height) {
  return DrawRectangle(pen, RectF(x, y, width, height));
}

Status Graphics::DrawRectangle(const Pen* pen, const Rect& rect) { return DrawRectangle(pen, ToRectF(rect)); }

Status Graphics::DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height) {
  return DrawRectangle(pen, Rect(x, y, width, height));
}

Status Graphics::DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  GraphicsPath p;
  p.AddLine(x1, y1, x2, y2);
  return DrawPath(pen, &p);
}

Status Graphics::DrawLine(const Pen* pen, const PointF& pt1, const PointF& pt2) {
  return DrawLine(pen, pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status Graphics::DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2) {
  return DrawLine(pen, static_cast<REAL>(x1), static_cast<REAL>(y1), static_cast<REAL>(x2), static_cast<REAL>(y2));
}

Status Graphics::DrawLine(const Pen* pen, const Point& pt1, const Point& pt2) {
  return DrawLine(pen, pt1.X, pt1.Y, pt2.X, pt2.Y);
}

Status Graphics::DrawLines(const Pen* pen, const PointF* points, INT count) {
  if (!points || count < 2) return SetStatus(InvalidParameter);
  GraphicsPath p;
  p.AddLines(points, count);
  return DrawPath(pen, &p);
}

Status Graphics::DrawLines(const Pen* pen, const Point* points, INT count) {
  if (!points || count < 2) return SetStatus(InvalidParameter);
  GraphicsPath p;
  p.AddLines(points, count);
  return DrawPath(pen, &p);
}

Status Graphics::FillEllipse(const Brush* brush, const RectF& rect) {
  GraphicsPath p;
  p.AddEllipse(rect);
  return FillPath(brush, &p);
}

Status Graphics::FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  return FillEllipse(brush, RectF(x, y, width, height));
}

Status Graphics::FillEllipse(const Brush* brush, const Rect& rect) { return FillEllipse(brush, ToRectF(rect)); }

Status Graphics::FillEllipse(const Brush* brush, INT x, INT y, INT width, INT height) {
  return FillEllipse(brush, Rect(x, y, width, height));
}

Status Graphics::DrawEllipse(const Pen* pen, const RectF& rect) {
  GraphicsPath p;
  p.AddEllipse(rect);
  return DrawPath(pen, &p);
}

Status Graphics::DrawEllipse(const Pen* pen, REAL x, REAL y, REAL width, REAL height) {
  return DrawEllipse(pen, RectF(x, y, width, height));
}

Status Graphics::DrawEllipse(const Pen* pen, const Rect& rect) { return DrawEllipse(pen, ToRectF(rect)); }

Status Graphics::DrawEllipse(const Pen* pen, INT x, INT y, INT width, INT height) {
  return DrawEllipse(pen, Rect(x, y, width, height));
}

Status Graphics::FillPolygon(const Brush* brush, const PointF* points, INT count, FillMode fillMode) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  GraphicsPath p(fillMode);
  p.AddPolygon(points, count);
  return FillPath(brush, &p);
}

Status Graphics::FillPolygon(const Brush* brush, const Point* points, INT count, FillMode fillMode) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  GraphicsPath p(fillMode);
  p.AddPolygon(points, count);
  return FillPath(brush, &p);
}

Status Graphics::DrawPolygon(const Pen* pen, const PointF* points, INT count) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  GraphicsPath p;
  p.AddPolygon(points, count);
  return DrawPath(pen, &p);
}

Status Graphics::DrawPolygon(const Pen* pen, const Point* points, INT count) {
  if (!points || count < 3) return SetStatus(InvalidParameter);
  GraphicsPath p;
  p.AddPolygon(points, count);
  return DrawPath(pen, &p);
}

// ---------------------------------------------------------------------------------------------
// Images

Status Graphics::DrawImage(Image* image, const RectF& destRect, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                           Unit srcUnit) {
  if (!image || srcUnit != UnitPixel) return SetStatus(InvalidParameter);
  if (destRect.Width == 0 || destRect.Height == 0 || srcWidth == 0 || srcHeight == 0) return Ok;
  cairo_surface_t* src = image->LwCreateSourceSurface();
  if (!src) return SetStatus(InvalidParameter);
  const double sx = srcWidth / static_cast<double>(destRect.Width);
  const double sy = srcHeight / static_cast<double>(destRect.Height);
  // Images cover whole device pixels: an unscaled image at whole coordinates lands pixel for
  // pixel whatever the pixel offset mode, so the half-pixel shift is taken out here.
  double dx, dy;
  PixelShiftInWorld(&dx, &dy);
  const Status s = Render([&](cairo_t* cr) {
    GraphicsPath area;  // through the path, which keeps its figure within cairo's range
    area.AddRectangle(RectF(static_cast<REAL>(destRect.X - dx), static_cast<REAL>(destRect.Y - dy), destRect.Width,
                            destRect.Height));
    area.LwAppendTo(cr);
    cairo_pattern_t* p = cairo_pattern_create_for_surface(src);
    // World point (shift taken out) -> image pixel.
    cairo_matrix_t m;
    cairo_matrix_init(&m, sx, 0, 0, sy, srcX + (dx - destRect.X) * sx, srcY + (dy - destRect.Y) * sy);
    cairo_pattern_set_matrix(p, &m);
    cairo_pattern_set_filter(p, FilterOf(interpolation_));
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    const bool ok = cairo_pattern_status(p) == CAIRO_STATUS_SUCCESS;
    if (ok) cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
    return ok ? Action::Fill : Action::None;
  });
  cairo_surface_destroy(src);
  return s;
}

Status Graphics::DrawImage(Image* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth, INT srcHeight,
                           Unit srcUnit) {
  return DrawImage(image, ToRectF(destRect), static_cast<REAL>(srcX), static_cast<REAL>(srcY),
                   static_cast<REAL>(srcWidth), static_cast<REAL>(srcHeight), srcUnit);
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height) {
  if (!image) return SetStatus(InvalidParameter);
  return DrawImage(image, RectF(x, y, width, height), 0, 0, static_cast<REAL>(image->GetWidth()),
                   static_cast<REAL>(image->GetHeight()), UnitPixel);
}

Status Graphics::DrawImage(Image* image, const RectF& rect) {
  return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::DrawImage(Image* image, INT x, INT y, INT width, INT height) {
  return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y), static_cast<REAL>(width),
                   static_cast<REAL>(height));
}

Status Graphics::DrawImage(Image* image, const Rect& rect) {
  return DrawImage(image, rect.X, rect.Y, rect.Width, rect.Height);
}

Status Graphics::DrawImage(Image* image, REAL x, REAL y) {
  if (!image) return SetStatus(InvalidParameter);
  return DrawImage(image, x, y, static_cast<REAL>(image->GetWidth()), static_cast<REAL>(image->GetHeight()));
}

Status Graphics::DrawImage(Image* image, const PointF& point) { return DrawImage(image, point.X, point.Y); }

Status Graphics::DrawImage(Image* image, INT x, INT y) {
  return DrawImage(image, static_cast<REAL>(x), static_cast<REAL>(y));
}

Status Graphics::DrawImage(Image* image, const Point& point) { return DrawImage(image, point.X, point.Y); }

// ---------------------------------------------------------------------------------------------
// Clip

Status Graphics::CombineClip(const Region& deviceRegion, CombineMode mode) {
  switch (mode) {
    case CombineModeReplace:
      clip_ = deviceRegion;
      break;
    case CombineModeIntersect:
      clip_.Intersect(&deviceRegion);
      break;
    case CombineModeUnion:
      clip_.Union(&deviceRegion);
      break;
    case CombineModeXor:
      clip_.Xor(&deviceRegion);
      break;
    case CombineModeExclude:
      clip_.Exclude(&deviceRegion);
      break;
    case CombineModeComplement:
      clip_.Complement(&deviceRegion);
      break;
    default:
      return SetStatus(InvalidParameter);
  }
  InvalidateClipMask();
  return Ok;
}

Status Graphics::SetClip(const RectF& rect, CombineMode mode) {
  Region r(rect);
  r.Transform(&world_);
  return CombineClip(r, mode);
}

Status Graphics::SetClip(const Rect& rect, CombineMode mode) { return SetClip(ToRectF(rect), mode); }

Status Graphics::SetClip(const GraphicsPath* path, CombineMode mode) {
  if (!path) return SetStatus(InvalidParameter);
  Region r(path);
  r.Transform(&world_);
  return CombineClip(r, mode);
}

Status Graphics::SetClip(const Region* region, CombineMode mode) {
  if (!region) return SetStatus(InvalidParameter);
  Region r(*region);
  r.Transform(&world_);
  return CombineClip(r, mode);
}

Status Graphics::IntersectClip(const RectF& rect) { return SetClip(rect, CombineModeIntersect); }

Status Graphics::IntersectClip(const Rect& rect) { return SetClip(rect, CombineModeIntersect); }

Status Graphics::IntersectClip(const Region* region) { return SetClip(region, CombineModeIntersect); }

Status Graphics::ResetClip() {
  clip_.MakeInfinite();
  InvalidateClipMask();
  return Ok;
}

Status Graphics::GetClip(Region* region) const {
  if (!region) return SetStatus(InvalidParameter);
  *region = clip_;
  if (!region->IsInfinite()) {
    Matrix inv = world_;
    if (inv.Invert() == Ok) region->Transform(&inv);
  }
  return Ok;
}

Status Graphics::GetClipBounds(RectF* rect) const {
  if (!rect) return SetStatus(InvalidParameter);
  Region r;
  GetClip(&r);
  return r.GetBounds(rect);
}

Status Graphics::GetClipBounds(Rect* rect) const {
  if (!rect) return SetStatus(InvalidParameter);
  Region r;
  GetClip(&r);
  return r.GetBounds(rect);
}

BOOL Graphics::IsClipEmpty() const { return clip_.IsEmpty(); }

// ---------------------------------------------------------------------------------------------
// Saved states

GraphicsState Graphics::Save() {
  saved_.push_back({nextState_, world_, clip_, smoothing_, interpolation_, pixelOffset_, compositing_,
                    compositingQuality_});
  return nextState_++;
}

Status Graphics::Restore(GraphicsState state) {
  for (size_t i = saved_.size(); i-- > 0;) {
    if (saved_[i].id != state) continue;
    const State& s = saved_[i];
    world_ = s.world;
    clip_ = s.clip;
    smoothing_ = s.smoothing;
    interpolation_ = s.interpolation;
    pixelOffset_ = s.pixelOffset;
    compositing_ = s.compositing;
    compositingQuality_ = s.compositingQuality;
    saved_.resize(i);
    InvalidateClipMask();
    return Ok;
  }
  return Ok;  // an unknown state changes nothing
}

}  // namespace Gdiplus
