// Region: a list of shapes and the operations that combine them.
//
// Masks are rasterised without antialiasing, as GDI+ clips on whole pixels: a pixel belongs to
// the region when its centre does, which also lets a shape cancel itself exactly (A less A is
// empty).
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "GdiplusGraphics.h"
#include "GdiplusRegion.h"

namespace Gdiplus {

namespace {

constexpr double kInfiniteStart = -4194304.0;
constexpr double kInfiniteSize = 8388608.0;

GraphicsPath RectPath(const RectF& r) {
  GraphicsPath p;
  p.AddRectangle(r);
  return p;
}

RectF ToRectF(const Rect& r) {
  return RectF(static_cast<REAL>(r.X), static_cast<REAL>(r.Y), static_cast<REAL>(r.Width), static_cast<REAL>(r.Height));
}

bool Fold(CombineMode mode, bool a, bool b) {
  switch (mode) {
    case CombineModeIntersect:
      return a && b;
    case CombineModeUnion:
      return a || b;
    case CombineModeXor:
      return a != b;
    case CombineModeExclude:
      return a && !b;
    case CombineModeComplement:
      return b && !a;
    default:
      return b;
  }
}

uint8_t FoldCoverage(CombineMode mode, unsigned a, unsigned b) {
  switch (mode) {
    case CombineModeIntersect:
      return static_cast<uint8_t>(a * b / 255);
    case CombineModeUnion:
      return static_cast<uint8_t>(a + b - a * b / 255);
    case CombineModeXor:
      return static_cast<uint8_t>((a * (255 - b) + b * (255 - a)) / 255);
    case CombineModeExclude:
      return static_cast<uint8_t>(a * (255 - b) / 255);
    case CombineModeComplement:
      return static_cast<uint8_t>(b * (255 - a) / 255);
    default:
      return static_cast<uint8_t>(b);
  }
}

}  // namespace

struct Region::Box {
  bool infinite = false, empty = true;
  double l = 0, t = 0, r = 0, b = 0;
};

Region::Region() { items_.push_back({CombineModeReplace, Kind::Infinite, GraphicsPath(), nullptr}); }

Region::Region(const RectF& rect) { items_.push_back({CombineModeReplace, Kind::Path, RectPath(rect), nullptr}); }

Region::Region(const Rect& rect) : Region(ToRectF(rect)) {}

Region::Region(const GraphicsPath* path) {
  if (!path) {
    lastResult_ = InvalidParameter;
    items_.push_back({CombineModeReplace, Kind::Empty, GraphicsPath(), nullptr});
    return;
  }
  items_.push_back({CombineModeReplace, Kind::Path, *path, nullptr});
}

Region* Region::Clone() const { return new Region(*this); }

Status Region::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status Region::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

Status Region::MakeInfinite() {
  items_.assign(1, {CombineModeReplace, Kind::Infinite, GraphicsPath(), nullptr});
  return Ok;
}

Status Region::MakeEmpty() {
  items_.assign(1, {CombineModeReplace, Kind::Empty, GraphicsPath(), nullptr});
  return Ok;
}

Status Region::Combine(CombineMode mode, Kind kind, const GraphicsPath* path) {
  Item item{mode, kind, path ? *path : GraphicsPath(), nullptr};
  const bool single = items_.size() == 1;
  const Kind only = items_.front().kind;
  if (mode == CombineModeReplace || (single && only == Kind::Infinite && mode == CombineModeIntersect) ||
      (single && only == Kind::Empty && mode == CombineModeUnion)) {
    // The result is the new shape alone.
    item.mode = CombineModeReplace;
    items_.assign(1, std::move(item));
    return Ok;
  }
  items_.push_back(std::move(item));
  return Ok;
}

Status Region::CombineRegion(CombineMode mode, const Region* region) {
  if (!region) return SetStatus(InvalidParameter);
  if (region->items_.size() == 1) {
    const Item& it = region->items_.front();
    if (it.kind == Kind::Sub) {
      auto copy = it.sub;  // the item may belong to this region
      items_.push_back({mode, Kind::Sub, GraphicsPath(), copy});
      return Ok;
    }
    const GraphicsPath path = it.path;
    return Combine(mode, it.kind, &path);
  }
  auto sub = std::make_shared<const Region>(*region);
  if (mode == CombineModeReplace) {
    items_.assign(1, {CombineModeReplace, Kind::Sub, GraphicsPath(), sub});
  } else {
    items_.push_back({mode, Kind::Sub, GraphicsPath(), sub});
  }
  return Ok;
}

#define LW_REGION_OPS(Name, Mode)                                                       \
  Status Region::Name(const RectF& rect) {                                              \
    const GraphicsPath p = RectPath(rect);                                              \
    return Combine(Mode, Kind::Path, &p);                                               \
  }                                                                                     \
  Status Region::Name(const Rect& rect) { return Name(ToRectF(rect)); }                 \
  Status Region::Name(const GraphicsPath* path) {                                       \
    if (!path) return SetStatus(InvalidParameter);                                      \
    return Combine(Mode, Kind::Path, path);                                             \
  }                                                                                     \
  Status Region::Name(const Region* region) { return CombineRegion(Mode, region); }

LW_REGION_OPS(Intersect, CombineModeIntersect)
LW_REGION_OPS(Union, CombineModeUnion)
LW_REGION_OPS(Xor, CombineModeXor)
LW_REGION_OPS(Exclude, CombineModeExclude)
LW_REGION_OPS(Complement, CombineModeComplement)
#undef LW_REGION_OPS

Status Region::Translate(REAL dx, REAL dy) {
  const Matrix m(1, 0, 0, 1, dx, dy);
  return Transform(&m);
}

Status Region::Translate(INT dx, INT dy) { return Translate(static_cast<REAL>(dx), static_cast<REAL>(dy)); }

Status Region::Transform(const Matrix* matrix) {
  if (!matrix) return SetStatus(InvalidParameter);
  for (Item& it : items_) {
    if (it.kind == Kind::Path) {
      it.path.Transform(matrix);
    } else if (it.kind == Kind::Sub) {
      auto copy = std::make_shared<Region>(*it.sub);
      copy->Transform(matrix);
      it.sub = copy;
    }
  }
  return Ok;
}

bool Region::Contains(double x, double y) const {
  bool in = false;
  for (const Item& it : items_) {
    bool shape = false;
    switch (it.kind) {
      case Kind::Infinite:
        shape = true;
        break;
      case Kind::Empty:
        shape = false;
        break;
      case Kind::Path:
        shape = it.path.IsVisible(static_cast<REAL>(x), static_cast<REAL>(y)) != FALSE;
        break;
      case Kind::Sub:
        shape = it.sub->Contains(x, y);
        break;
    }
    in = Fold(it.mode, in, shape);
  }
  return in;
}

BOOL Region::IsVisible(REAL x, REAL y, const Graphics* g) const {
  if (g) {
    // The point is in device pixels: test the region as the graphics would place it.
    Matrix world;
    g->GetTransform(&world);
    if (!world.IsIdentity()) {
      Region onDevice(*this);
      onDevice.Transform(&world);
      return onDevice.Contains(x, y) ? TRUE : FALSE;
    }
  }
  return Contains(x, y) ? TRUE : FALSE;
}
BOOL Region::IsVisible(const PointF& point, const Graphics* g) const { return IsVisible(point.X, point.Y, g); }
BOOL Region::IsVisible(INT x, INT y, const Graphics* g) const {
  return IsVisible(static_cast<REAL>(x), static_cast<REAL>(y), g);
}
BOOL Region::IsVisible(const Point& point, const Graphics* g) const { return IsVisible(point.X, point.Y, g); }

Region::Box Region::Bounds() const {
  Box acc;
  for (const Item& it : items_) {
    Box b;
    if (it.kind == Kind::Infinite) {
      b.infinite = true;
      b.empty = false;
    } else if (it.kind == Kind::Path && it.path.GetPointCount() > 0) {
      RectF r;
      it.path.GetBounds(&r);
      b.empty = false;
      b.l = r.X;
      b.t = r.Y;
      b.r = static_cast<double>(r.X) + r.Width;
      b.b = static_cast<double>(r.Y) + r.Height;
    } else if (it.kind == Kind::Sub) {
      b = it.sub->Bounds();
    }
    switch (it.mode) {
      case CombineModeIntersect:
        if (acc.empty || b.empty) {
          acc = Box();
        } else if (acc.infinite) {
          acc = b;
        } else if (!b.infinite) {
          acc.l = std::max(acc.l, b.l);
          acc.t = std::max(acc.t, b.t);
          acc.r = std::min(acc.r, b.r);
          acc.b = std::min(acc.b, b.b);
          if (!(acc.l < acc.r && acc.t < acc.b)) acc = Box();
        }
        break;
      case CombineModeUnion:
      case CombineModeXor:
        if (acc.empty) {
          acc = b;
        } else if (b.infinite || acc.infinite) {
          acc.infinite = true;
        } else if (!b.empty) {
          acc.l = std::min(acc.l, b.l);
          acc.t = std::min(acc.t, b.t);
          acc.r = std::max(acc.r, b.r);
          acc.b = std::max(acc.b, b.b);
        }
        break;
      case CombineModeExclude:
        if (b.infinite) acc = Box();
        break;
      case CombineModeComplement:
        acc = acc.infinite ? Box() : b;
        break;
      default:
        acc = b;
        break;
    }
  }
  return acc;
}

Status Region::GetBounds(RectF* rect, const Graphics*) const {
  if (!rect) return SetStatus(InvalidParameter);
  const Box b = Bounds();
  if (b.empty) {
    *rect = RectF(0, 0, 0, 0);
  } else if (b.infinite) {
    *rect = RectF(static_cast<REAL>(kInfiniteStart), static_cast<REAL>(kInfiniteStart),
                  static_cast<REAL>(kInfiniteSize), static_cast<REAL>(kInfiniteSize));
  } else {
    *rect = RectF(static_cast<REAL>(b.l), static_cast<REAL>(b.t), static_cast<REAL>(b.r - b.l),
                  static_cast<REAL>(b.b - b.t));
  }
  return Ok;
}

Status Region::GetBounds(Rect* rect, const Graphics* g) const {
  if (!rect) return SetStatus(InvalidParameter);
  RectF f;
  GetBounds(&f, g);
  const double l = std::floor(f.X), t = std::floor(f.Y);
  const double r = std::ceil(static_cast<double>(f.X) + f.Width), b = std::ceil(static_cast<double>(f.Y) + f.Height);
  *rect = Rect(static_cast<INT>(l), static_cast<INT>(t), static_cast<INT>(r - l), static_cast<INT>(b - t));
  return Ok;
}

BOOL Region::IsInfinite(const Graphics*) const {
  bool all = false;
  for (const Item& it : items_) {
    const bool shape = it.kind == Kind::Infinite || (it.kind == Kind::Sub && it.sub->IsInfinite());
    switch (it.mode) {
      case CombineModeIntersect:
        all = all && shape;
        break;
      case CombineModeUnion:
        all = all || shape;
        break;
      case CombineModeXor:
      case CombineModeExclude:
      case CombineModeComplement:
        all = false;
        break;
      default:
        all = shape;
        break;
    }
  }
  return all ? TRUE : FALSE;
}

BOOL Region::IsEmpty(const Graphics*) const {
  const Box b = Bounds();
  if (b.empty) return TRUE;
  if (b.infinite) return FALSE;  // infinite less finite shapes still holds points
  // Look at the region through a raster of its bounds: 512 pixels along the longer side, at
  // most 16 pixels a unit.
  const double w = b.r - b.l, h = b.b - b.t;
  const double s = std::min(16.0, 512.0 / std::max(w, h));
  if (!std::isfinite(w * s) || !std::isfinite(h * s) || !std::isfinite(b.l * s) || !std::isfinite(b.t * s)) {
    return FALSE;
  }
  const int pw = static_cast<int>(std::ceil(w * s)) + 2, ph = static_cast<int>(std::ceil(h * s)) + 2;
  cairo_matrix_t m;
  cairo_matrix_init(&m, s, 0, 0, s, 1 - b.l * s, 1 - b.t * s);
  cairo_surface_t* mask = LwCreateMask(pw, ph, m);
  if (!mask) return FALSE;
  const unsigned char* data = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  bool any = false;
  for (int y = 0; y < ph && !any; ++y) {
    for (int x = 0; x < pw; ++x) {
      if (data[y * stride + x]) {
        any = true;
        break;
      }
    }
  }
  cairo_surface_destroy(mask);
  return any ? FALSE : TRUE;
}

bool Region::LwAsIntersection(std::vector<const GraphicsPath*>* paths, bool* empty) const {
  for (const Item& it : items_) {
    if (it.mode != CombineModeReplace && it.mode != CombineModeIntersect) return false;
    switch (it.kind) {
      case Kind::Empty:
        *empty = true;
        break;
      case Kind::Path:
        paths->push_back(&it.path);
        break;
      case Kind::Sub:
        if (!it.sub->LwAsIntersection(paths, empty)) return false;
        break;
      case Kind::Infinite:
        break;
    }
  }
  return true;
}

namespace {

// Coverage of one path: 255 where a pixel centre is inside.
void RasterisePath(const GraphicsPath& path, int w, int h, const cairo_matrix_t& toDevice, std::vector<uint8_t>& out) {
  std::fill(out.begin(), out.end(), 0);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return;
  }
  cairo_t* cr = cairo_create(s);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
  cairo_set_matrix(cr, &toDevice);
  path.LwAppendTo(cr);
  cairo_set_fill_rule(cr, path.GetFillMode() == FillModeWinding ? CAIRO_FILL_RULE_WINDING : CAIRO_FILL_RULE_EVEN_ODD);
  cairo_fill(cr);
  cairo_destroy(cr);
  cairo_surface_flush(s);
  const unsigned char* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (int y = 0; y < h; ++y) std::memcpy(out.data() + static_cast<size_t>(y) * w, data + static_cast<size_t>(y) * stride, w);
  cairo_surface_destroy(s);
}

}  // namespace

cairo_surface_t* Region::LwCreateMask(int width, int height, const cairo_matrix_t& toDevice) const {
  if (width <= 0 || height <= 0 || width > 32767 || height > 32767) return nullptr;
  cairo_matrix_t check = toDevice;
  if (cairo_matrix_invert(&check) != CAIRO_STATUS_SUCCESS) return nullptr;
  const size_t n = static_cast<size_t>(width) * height;
  std::vector<uint8_t> acc(n, 0), shape(n, 0);
  for (const Item& it : items_) {
    switch (it.kind) {
      case Kind::Infinite:
        std::fill(shape.begin(), shape.end(), 255);
        break;
      case Kind::Empty:
        std::fill(shape.begin(), shape.end(), 0);
        break;
      case Kind::Path:
        RasterisePath(it.path, width, height, toDevice, shape);
        break;
      case Kind::Sub: {
        cairo_surface_t* sub = it.sub->LwCreateMask(width, height, toDevice);
        std::fill(shape.begin(), shape.end(), 0);
        if (sub) {
          const unsigned char* data = cairo_image_surface_get_data(sub);
          const int stride = cairo_image_surface_get_stride(sub);
          for (int y = 0; y < height; ++y) {
            std::memcpy(shape.data() + static_cast<size_t>(y) * width, data + static_cast<size_t>(y) * stride, width);
          }
          cairo_surface_destroy(sub);
        }
        break;
      }
    }
    for (size_t i = 0; i < n; ++i) acc[i] = FoldCoverage(it.mode, acc[i], shape[i]);
  }
  cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, width, height);
  if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(mask);
    return nullptr;
  }
  cairo_surface_flush(mask);
  unsigned char* data = cairo_image_surface_get_data(mask);
  const int stride = cairo_image_surface_get_stride(mask);
  for (int y = 0; y < height; ++y) {
    std::memcpy(data + static_cast<size_t>(y) * stride, acc.data() + static_cast<size_t>(y) * width, width);
  }
  cairo_surface_mark_dirty(mask);
  return mask;
}

}  // namespace Gdiplus
