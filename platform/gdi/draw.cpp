// Pens, brushes, fills, lines, polygons, regions and clipping. Drawing is aliased, as GDI's is,
// and goes through the DC's binary raster operation (FillRect excepted, which copies the brush).
// Pen styles other than solid and null draw solid lines.
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gdi_internal.h"

namespace lwgdi {

namespace {

using Intervals = std::vector<std::pair<LONG, LONG>>;  // sorted, disjoint [x0, x1)

Intervals CombineIntervals(const Intervals& a, const Intervals& b, int mode) {
  std::vector<LONG> xs;
  for (auto& i : a) {
    xs.push_back(i.first);
    xs.push_back(i.second);
  }
  for (auto& i : b) {
    xs.push_back(i.first);
    xs.push_back(i.second);
  }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  auto inside = [](const Intervals& v, LONG x) {
    for (auto& i : v)
      if (x >= i.first && x < i.second) return true;
    return false;
  };
  Intervals out;
  for (size_t k = 0; k + 1 < xs.size(); ++k) {
    const bool ia = inside(a, xs[k]), ib = inside(b, xs[k]);
    bool in = false;
    switch (mode) {
      case RGN_AND: in = ia && ib; break;
      case RGN_OR: in = ia || ib; break;
      case RGN_XOR: in = ia != ib; break;
      case RGN_DIFF: in = ia && !ib; break;
      default: in = ia; break;
    }
    if (!in) continue;
    if (!out.empty() && out.back().second == xs[k]) out.back().second = xs[k + 1];
    else out.emplace_back(xs[k], xs[k + 1]);
  }
  return out;
}

Intervals BandIntervals(const std::vector<RECT>& rects, LONG y0, LONG y1) {
  Intervals v;
  for (const RECT& r : rects)
    if (r.top <= y0 && r.bottom >= y1 && r.left < r.right) v.emplace_back(r.left, r.right);
  std::sort(v.begin(), v.end());
  Intervals merged;
  for (auto& i : v) {
    if (!merged.empty() && i.first <= merged.back().second) merged.back().second = std::max(merged.back().second, i.second);
    else merged.push_back(i);
  }
  return merged;
}

// Combines two rectangle sets band by band; the result is disjoint and vertically merged.
std::vector<RECT> Combine(const std::vector<RECT>& a, const std::vector<RECT>& b, int mode) {
  std::vector<LONG> ys;
  for (auto* set : {&a, &b})
    for (const RECT& r : *set) {
      if (r.left >= r.right || r.top >= r.bottom) continue;
      ys.push_back(r.top);
      ys.push_back(r.bottom);
    }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::vector<RECT> out;
  std::vector<RECT> prevBand;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    const LONG y0 = ys[k], y1 = ys[k + 1];
    const Intervals iv = CombineIntervals(BandIntervals(a, y0, y1), BandIntervals(b, y0, y1), mode);
    // Extend the previous band when it has the same intervals and touches this one.
    bool extended = false;
    if (!prevBand.empty() && prevBand.size() == iv.size() && prevBand[0].bottom == y0) {
      bool same = true;
      for (size_t i = 0; i < iv.size() && same; ++i)
        same = prevBand[i].left == iv[i].first && prevBand[i].right == iv[i].second;
      if (same) {
        for (size_t i = 0; i < iv.size(); ++i) out[out.size() - iv.size() + i].bottom = y1;
        for (auto& r : prevBand) r.bottom = y1;
        extended = true;
      }
    }
    if (extended) continue;
    prevBand.clear();
    for (auto& i : iv) {
      out.push_back(RECT{i.first, y0, i.second, y1});
      prevBand.push_back(out.back());
    }
  }
  return out;
}

int RegionType(const std::vector<RECT>& rects) {
  if (rects.empty()) return NULLREGION;
  return rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Bounds(const std::vector<RECT>& rects) {
  if (rects.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects[0];
  for (const RECT& r : rects) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

HRGN NewRegion(std::vector<RECT> rects) {
  auto* r = new Region();
  r->rects = std::move(rects);
  return reinterpret_cast<HRGN>(Register(r));
}

bool Surface(const DC& dc) { return dc.kind == DCKind::Memory && dc.bitmap && !dc.bitmap->stock; }

void FillRects(DC& dc, const std::vector<RECT>& rects, int dx, int dy, uint32_t pixel, int rop2) {
  for (RECT r : rects) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
    FillDeviceRect(dc, r, pixel, rop2);
  }
}

// A pen dot of the pen's width centred on a device pixel.
void PenDot(DC& dc, int x, int y, int width, uint32_t pixel) {
  const int lo = (width - 1) / 2;
  FillDeviceRect(dc, RECT{x - lo, y - lo, x - lo + width, y - lo + width}, pixel, dc.rop2);
}

// Bresenham line between device points, the last point left out as GDI does.
void DeviceLine(DC& dc, int x0, int y0, int x1, int y1) {
  if (!dc.pen || dc.pen->style == PS_NULL || !Surface(dc)) return;
  const uint32_t pixel = ColorRefToPixel(dc.pen->color);
  const int width = std::max(1, dc.pen->width);
  const int64_t dx = std::abs(int64_t{x1} - x0), dy = -std::abs(int64_t{y1} - y0);
  const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int64_t err = dx + dy;
  int64_t x = x0, y = y0;
  // Bound the walk by the line's length, so huge coordinates cannot spin for long.
  for (int64_t steps = std::max(dx, -dy); steps > 0; --steps) {
    PenDot(dc, static_cast<int>(x), static_cast<int>(y), width, pixel);
    const int64_t e2 = 2 * err;
    if (e2 >= dy) {
      err += dy;
      x += sx;
    }
    if (e2 <= dx) {
      err += dx;
      y += sy;
    }
  }
}

}  // namespace

std::vector<RECT> PolygonRects(const POINT* pts, int count, int fillMode) {
  std::vector<RECT> out;
  if (!pts || count < 3) return out;
  LONG minY = pts[0].y, maxY = pts[0].y;
  for (int i = 1; i < count; ++i) {
    minY = std::min(minY, pts[i].y);
    maxY = std::max(maxY, pts[i].y);
  }
  std::vector<std::pair<double, int>> xs;
  std::vector<RECT> rows;
  for (int64_t y = minY; y < maxY; ++y) {
    const double cy = static_cast<double>(y) + 0.5;
    xs.clear();
    for (int i = 0; i < count; ++i) {
      const POINT& a = pts[i];
      const POINT& b = pts[(i + 1) % count];
      if (a.y == b.y) continue;
      const bool down = a.y < b.y;
      const double ylo = down ? a.y : b.y, yhi = down ? b.y : a.y;
      if (cy < ylo || cy >= yhi) continue;
      const double x = a.x + (cy - a.y) * (static_cast<double>(b.x) - a.x) / (static_cast<double>(b.y) - a.y);
      xs.emplace_back(x, down ? 1 : -1);
    }
    std::sort(xs.begin(), xs.end());
    int winding = 0;
    for (size_t k = 0; k + 1 < xs.size(); ++k) {
      winding += xs[k].second;
      const bool in = fillMode == WINDING ? winding != 0 : (k % 2) == 0;
      if (!in) continue;
      // Pixels whose centres lie inside the span.
      const LONG l = static_cast<LONG>(std::ceil(xs[k].first - 0.5));
      const LONG r = static_cast<LONG>(std::ceil(xs[k + 1].first - 0.5));
      if (l < r) rows.push_back(RECT{l, static_cast<LONG>(y), r, static_cast<LONG>(y + 1)});
    }
  }
  return Combine(rows, {}, RGN_OR);
}

}  // namespace lwgdi

using namespace lwgdi;

extern "C" {

HPEN CreatePen(int style, int width, COLORREF color) {
  if (style < PS_SOLID || style > PS_INSIDEFRAME) return nullptr;
  auto* p = new Pen();
  p->style = style;
  p->width = std::max(1, width);
  p->color = color & 0xFFFFFF;
  return reinterpret_cast<HPEN>(Register(p));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto* b = new Brush();
  b->color = color & 0xFFFFFF;
  return reinterpret_cast<HBRUSH>(Register(b));
}

int FillRect(HDC hdc, const RECT* rect, HBRUSH brush) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  Brush* b = As<Brush>(brush, OBJ_BRUSH);
  if (!dc || !rect || !b) return 0;
  if (b->style == BS_NULL || !Surface(*dc)) return 1;
  const RECT r{dc->DevX(rect->left), dc->DevY(rect->top), dc->DevX(rect->right), dc->DevY(rect->bottom)};
  FillDeviceRect(*dc, r, ColorRefToPixel(b->color), R2_COPYPEN);
  return 1;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (!Surface(*dc)) return TRUE;
  RECT r{dc->DevX(std::min(left, right)), dc->DevY(std::min(top, bottom)), dc->DevX(std::max(left, right)),
         dc->DevY(std::max(top, bottom))};
  const bool pen = dc->pen && dc->pen->style != PS_NULL;
  const int w = pen ? std::max(1, dc->pen->width) : 0;
  // The frame is w pixels wide, centred on the outline (inside it for PS_INSIDEFRAME); the
  // right and bottom edges are left out, as GDI does.
  RECT outer = r;
  if (pen && dc->pen->style != PS_INSIDEFRAME) {
    outer = RECT{r.left - w / 2, r.top - w / 2, r.right + (w - 1) / 2, r.bottom + (w - 1) / 2};
  }
  const RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
  if (dc->brush && dc->brush->style != BS_NULL && inner.left < inner.right && inner.top < inner.bottom)
    FillDeviceRect(*dc, inner, ColorRefToPixel(dc->brush->color), dc->rop2);
  if (pen) {
    const std::vector<RECT> frame = Combine({outer}, {inner}, RGN_DIFF);
    FillRects(*dc, frame, 0, 0, ColorRefToPixel(dc->pen->color), dc->rop2);
  }
  return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* points, int count) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !points || count < 2) return FALSE;
  if (!Surface(*dc)) return TRUE;
  std::vector<POINT> dev(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) dev[i] = POINT{dc->DevX(points[i].x), dc->DevY(points[i].y)};
  if (dc->brush && dc->brush->style != BS_NULL)
    FillRects(*dc, PolygonRects(dev.data(), count, dc->polyFillMode), 0, 0, ColorRefToPixel(dc->brush->color),
              dc->rop2);
  for (int i = 0; i < count; ++i) {
    const POINT& a = dev[i];
    const POINT& b = dev[(i + 1) % count];
    DeviceLine(*dc, a.x, a.y, b.x, b.y);
  }
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT old) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  if (old) *old = dc->position;
  dc->position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  DeviceLine(*dc, dc->DevX(dc->position.x), dc->DevY(dc->position.y), dc->DevX(x), dc->DevY(y));
  dc->position = POINT{x, y};
  return TRUE;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  RECT r{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
  std::vector<RECT> rects;
  if (r.left < r.right && r.top < r.bottom) rects.push_back(r);
  return NewRegion(std::move(rects));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

HRGN CreatePolygonRgn(const POINT* points, int count, int fillMode) {
  if (!points || count < 0 || (fillMode != ALTERNATE && fillMode != WINDING)) return nullptr;
  return NewRegion(PolygonRects(points, count, fillMode));
}

int CombineRgn(HRGN dst, HRGN src1, HRGN src2, int mode) {
  Region* d = As<Region>(dst, OBJ_REGION);
  Region* a = As<Region>(src1, OBJ_REGION);
  Region* b = mode == RGN_COPY ? a : As<Region>(src2, OBJ_REGION);
  if (!d || !a || !b || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  d->rects = mode == RGN_COPY ? std::vector<RECT>(a->rects) : Combine(a->rects, b->rects, mode);
  return RegionType(d->rects);
}

int OffsetRgn(HRGN rgn, int dx, int dy) {
  Region* r = As<Region>(rgn, OBJ_REGION);
  if (!r) return ERROR;
  for (RECT& c : r->rects) {
    c.left += dx;
    c.right += dx;
    c.top += dy;
    c.bottom += dy;
  }
  return RegionType(r->rects);
}

BOOL PtInRegion(HRGN rgn, int x, int y) {
  Region* r = As<Region>(rgn, OBJ_REGION);
  if (!r) return FALSE;
  for (const RECT& c : r->rects)
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return TRUE;
  return FALSE;
}

int GetRgnBox(HRGN rgn, LPRECT rect) {
  Region* r = As<Region>(rgn, OBJ_REGION);
  if (!r || !rect) return ERROR;
  *rect = Bounds(r->rects);
  return RegionType(r->rects);
}

BOOL FillRgn(HDC hdc, HRGN rgn, HBRUSH brush) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  Region* r = As<Region>(rgn, OBJ_REGION);
  Brush* b = As<Brush>(brush, OBJ_BRUSH);
  if (!dc || !r || !b) return FALSE;
  if (b->style == BS_NULL || !Surface(*dc)) return TRUE;
  FillRects(*dc, r->rects, dc->DevX(0), dc->DevY(0), ColorRefToPixel(b->color), dc->rop2);
  return TRUE;
}

BOOL PaintRgn(HDC hdc, HRGN rgn) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return FALSE;
  return FillRgn(hdc, rgn, reinterpret_cast<HBRUSH>(HandleOf(dc->brush)));
}

int SelectClipRgn(HDC hdc, HRGN rgn) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return ERROR;
  if (!rgn) {
    dc->clip.reset();
    return SIMPLEREGION;
  }
  Region* r = As<Region>(rgn, OBJ_REGION);
  if (!r) return ERROR;
  // The clip region is a copy, in device coordinates.
  dc->clip = r->rects;
  return RegionType(r->rects);
}

int GetClipBox(HDC hdc, LPRECT rect) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc || !rect) return ERROR;
  RECT dev;
  int type;
  if (dc->kind == DCKind::Memory) {
    const std::vector<RECT> rects = DrawableRects(*dc);
    dev = Bounds(rects);
    type = RegionType(rects);
  } else {
    dev = RECT{0, 0, GetDeviceCaps(hdc, HORZRES), GetDeviceCaps(hdc, VERTRES)};
    type = SIMPLEREGION;
  }
  const LONG ox = dc->viewportOrg.x - dc->windowOrg.x, oy = dc->viewportOrg.y - dc->windowOrg.y;
  *rect = RECT{dev.left - ox, dev.top - oy, dev.right - ox, dev.bottom - oy};
  return type;
}

}  // extern "C"
