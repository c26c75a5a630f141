// Shapes (DefineShape4), fill styles, fills and gradients.
#include "swf_internal.h"

#include <algorithm>
#include <cmath>

using namespace swfw;

namespace {

// Edge deltas are stored in at most 17 signed bits (a 4-bit count plus 2).
constexpr int32_t kMaxDelta = 65535;
constexpr int32_t kMinDelta = -65536;

bool FitsDelta(int64_t v) { return v >= kMinDelta && v <= kMaxDelta; }

// Adds the points of a quadratic where x or y turns (t strictly between 0 and 1) to the bounds.
void AddQuadBounds(Rect& r, double x0, double y0, double cx, double cy, double x1, double y1) {
  auto at = [](double p0, double p1, double p2, double t) {
    return (1 - t) * (1 - t) * p0 + 2 * (1 - t) * t * p1 + t * t * p2;
  };
  for (int axis = 0; axis < 2; ++axis) {
    double p0 = axis ? y0 : x0, p1 = axis ? cy : cx, p2 = axis ? y1 : x1;
    double den = p0 - 2 * p1 + p2;
    if (den == 0) continue;
    double t = (p0 - p1) / den;
    if (!(t > 0 && t < 1)) continue;
    double px = at(x0, cx, x1, t), py = at(y0, cy, y1, t);
    r.Add(std::llround(std::floor(px)), std::llround(std::floor(py)));
    r.Add(std::llround(std::ceil(px)), std::llround(std::ceil(py)));
  }
}

}  // namespace

// ---- drawing -----------------------------------------------------------------------------------

void SWFShape_s::FlushStyle() {
  if (!pendingSet) return;
  records.push_back(pending);
  pending = Record{Record::kStyle};
  pendingSet = false;
}

void SWFShape_s::MoveTo(double x, double y) {
  penX = ClampCoord(x);
  penY = ClampCoord(y);
  pending.hasMove = true;
  pending.x = penX;
  pending.y = penY;
  pendingSet = true;
}

void SWFShape_s::EmitLine(int32_t x, int32_t y) {
  int64_t dx = int64_t(x) - penX, dy = int64_t(y) - penY;
  // Pieces so that each delta lies within kMinDelta .. kMaxDelta on both axes.
  auto need = [](int64_t v) { return v >= 0 ? (v + kMaxDelta - 1) / kMaxDelta : (-v - kMinDelta - 1) / -int64_t(kMinDelta); };
  int64_t pieces = std::max<int64_t>({1, need(dx), need(dy)});
  int32_t sx = penX, sy = penY;
  for (int64_t i = 1; i <= pieces; ++i) {
    int32_t px = int32_t(sx + (dx * i) / pieces);
    int32_t py = int32_t(sy + (dy * i) / pieces);
    Record r{Record::kLine};
    r.x = px - penX;
    r.y = py - penY;
    records.push_back(r);
    edgeBounds.Add(penX, penY);
    edgeBounds.Add(px, py);
    penX = px;
    penY = py;
  }
  anyEdge = true;
}

void SWFShape_s::LineTo(double x, double y) {
  FlushStyle();
  EmitLine(ClampCoord(x), ClampCoord(y));
}

// Writes a quadratic from the pen, halving it until its rounded deltas fit the edge fields.
void SWFShape_s::EmitCurve(double cx, double cy, double x, double y, int depth) {
  int32_t ix = ClampCoord(x), iy = ClampCoord(y);
  int32_t icx = ClampCoord(cx), icy = ClampCoord(cy);
  int64_t cdx = int64_t(icx) - penX, cdy = int64_t(icy) - penY;
  int64_t adx = int64_t(ix) - icx, ady = int64_t(iy) - icy;
  if (!(FitsDelta(cdx) && FitsDelta(cdy) && FitsDelta(adx) && FitsDelta(ady)) && depth < 40) {
    double x0 = penX, y0 = penY;
    double m0x = (x0 + cx) / 2, m0y = (y0 + cy) / 2;
    double m1x = (cx + x) / 2, m1y = (cy + y) / 2;
    double mx = (m0x + m1x) / 2, my = (m0y + m1y) / 2;
    EmitCurve(m0x, m0y, mx, my, depth + 1);
    EmitCurve(m1x, m1y, x, y, depth + 1);
    return;
  }
  if (!(FitsDelta(cdx) && FitsDelta(cdy) && FitsDelta(adx) && FitsDelta(ady))) {
    EmitLine(ix, iy);  // cannot happen for coordinates within range; kept safe
    return;
  }
  Record r{Record::kCurve};
  r.cx = int32_t(cdx);
  r.cy = int32_t(cdy);
  r.x = int32_t(adx);
  r.y = int32_t(ady);
  records.push_back(r);
  edgeBounds.Add(penX, penY);
  edgeBounds.Add(ix, iy);
  AddQuadBounds(edgeBounds, penX, penY, icx, icy, ix, iy);
  penX = ix;
  penY = iy;
  anyEdge = true;
}

void SWFShape_s::CurveTo(double cx, double cy, double x, double y) {
  FlushStyle();
  EmitCurve(cx, cy, x, y, 0);
}

namespace {
struct Pt {
  double x, y;
};
Pt Mid(Pt a, Pt b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }

// Replaces the cubic p0..p3 by quadratics, halving it while its one-quadratic stand-in may
// stray farther than the threshold (|dx| + |dy|). The stand-in's control point is
// (3 (p1 + p2) - p0 - p3) / 4; it meets the cubic at both ends and at the middle, and the
// largest gap between them is sqrt(3) / 36 times p3 - 3 p2 + 3 p1 - p0 (reached on either side
// of the middle).
void CubicToQuads(SWFShape_s* s, Pt p0, Pt p1, Pt p2, Pt p3, double threshold, int depth) {
  Pt q{(3 * (p1.x + p2.x) - p0.x - p3.x) / 4, (3 * (p1.y + p2.y) - p0.y - p3.y) / 4};
  double dx = p3.x - 3 * p2.x + 3 * p1.x - p0.x, dy = p3.y - 3 * p2.y + 3 * p1.y - p0.y;
  double err = (std::fabs(dx) + std::fabs(dy)) * std::sqrt(3.0) / 36.0;
  if (!(err > threshold) || depth >= 16) {
    s->EmitCurve(q.x, q.y, p3.x, p3.y, 0);
    return;
  }
  Pt p01 = Mid(p0, p1), p12 = Mid(p1, p2), p23 = Mid(p2, p3);
  Pt p012 = Mid(p01, p12), p123 = Mid(p12, p23);
  Pt m = Mid(p012, p123);
  CubicToQuads(s, p0, p01, p012, m, threshold, depth + 1);
  CubicToQuads(s, m, p123, p23, p3, threshold, depth + 1);
}
}  // namespace

void SWFShape_s::CubicTo(double bx, double by, double cx, double cy, double dx, double dy) {
  FlushStyle();
  auto fin = [](double v) { return std::isfinite(v) ? std::clamp(v, -double(1 << 29), double(1 << 29)) : 0.0; };
  CubicToQuads(this, Pt{double(penX), double(penY)}, Pt{fin(bx), fin(by)}, Pt{fin(cx), fin(cy)},
               Pt{fin(dx), fin(dy)}, Ming_getCubicThreshold(), 0);
}

// ---- writing -----------------------------------------------------------------------------------

void SWFShape_s::WriteRecords(Writer& w, int fillBits, int lineBits) const {
  bool first = true;
  for (const Record& r : records) {
    if (r.kind == Record::kStyle) {
      bool setFill0 = r.hasFill0 || (glyph && first);
      if (!(r.hasMove || setFill0 || r.hasFill1 || r.hasLine)) continue;
      w.UB(0, 1);  // not an edge
      w.UB(0, 1);  // no new styles
      w.UB(r.hasLine && !glyph, 1);
      w.UB(r.hasFill1 && !glyph, 1);
      w.UB(setFill0, 1);
      w.UB(r.hasMove, 1);
      if (r.hasMove) {
        int n = std::max(SBits(r.x), SBits(r.y));
        w.UB(uint32_t(n), 5);
        w.SB(r.x, n);
        w.SB(r.y, n);
      }
      if (setFill0) w.UB(glyph ? 1 : r.fill0, fillBits);
      if (r.hasFill1 && !glyph) w.UB(r.fill1, fillBits);
      if (r.hasLine && !glyph) w.UB(r.line, lineBits);
      first = false;
      continue;
    }
    if (glyph && first) {
      // A glyph's first record must select fill 0 = 1.
      w.UB(0, 1);
      w.UB(0b00010, 5);
      w.UB(1, fillBits);
      first = false;
    }
    if (r.kind == Record::kLine) {
      int n = std::max({SBits(r.x), SBits(r.y), 2});
      w.UB(1, 1);  // edge
      w.UB(1, 1);  // straight
      w.UB(uint32_t(n - 2), 4);
      if (r.x != 0 && r.y != 0) {
        w.UB(1, 1);  // general line
        w.SB(r.x, n);
        w.SB(r.y, n);
      } else {
        w.UB(0, 1);
        w.UB(r.x == 0, 1);  // vertical
        w.SB(r.x == 0 ? r.y : r.x, n);
      }
    } else {
      int n = std::max({SBits(r.cx), SBits(r.cy), SBits(r.x), SBits(r.y), 2});
      w.UB(1, 1);
      w.UB(0, 1);  // curved
      w.UB(uint32_t(n - 2), 4);
      w.SB(r.cx, n);
      w.SB(r.cy, n);
      w.SB(r.x, n);
      w.SB(r.y, n);
    }
  }
  w.UB(0, 6);  // end of shape
  w.Align();
}

void SWFFillStyle_s::Rebuild() {
  double rad = rotation * M_PI / 180.0;
  double cs = std::cos(rad), sn = std::sin(rad);
  if (rotation == 0) cs = 1, sn = 0;
  matrix.a = cs * sx;
  matrix.b = -sn * sx;
  matrix.c = sn * sy;
  matrix.d = cs * sy;
  matrix.tx = ToTwips(x);
  matrix.ty = ToTwips(y);
}

void SWFFillStyle_s::Write(Writer& w, SaveContext& ctx) const {
  w.U8(uint32_t(kind));
  if (kind == SWFFILL_SOLID) {
    w.U8(r);
    w.U8(g);
    w.U8(b);
    w.U8(a);
  } else if (kind == SWFFILL_LINEAR_GRADIENT || kind == SWFFILL_RADIAL_GRADIENT) {
    WriteMatrix(w, matrix);
    const auto& e = gradient->entries;
    if (e.empty()) {
      w.U8(1);  // pad spread, normal interpolation, one clear stop: draws nothing
      w.U8(0);
      w.U32(0);
    } else {
      // Players expect the stops in ascending order; stops of one ratio keep the order they
      // were added in (a hard edge).
      std::vector<SWFGradient_s::Entry> sorted(e.begin(), e.end());
      std::stable_sort(sorted.begin(), sorted.end(),
                       [](const SWFGradient_s::Entry& x, const SWFGradient_s::Entry& y) { return x.ratio < y.ratio; });
      w.U8(uint32_t(sorted.size()));
      for (const auto& s : sorted) {
        w.U8(s.ratio);
        w.U8(s.r);
        w.U8(s.g);
        w.U8(s.b);
        w.U8(s.a);
      }
    }
  } else {
    w.U16(uint32_t(ctx.IdOf(bitmap.get())));
    WriteMatrix(w, matrix);
  }
}

int SWFShape_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  for (const auto& f : fills)
    if (f->bitmap) f->bitmap->Define(ctx);
  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  Rect shapeBounds = edgeBounds;
  if (!edgeBounds.empty && widestLine) {
    int32_t half = (widestLine + 1) / 2;
    shapeBounds.Add(int64_t(edgeBounds.xmin) - half, int64_t(edgeBounds.ymin) - half);
    shapeBounds.Add(int64_t(edgeBounds.xmax) + half, int64_t(edgeBounds.ymax) + half);
  }
  WriteRect(w, shapeBounds);
  WriteRect(w, edgeBounds);
  // Uses scaling strokes when it has lines; the fill winding rule flag for nonzero fills.
  w.U8((lines.empty() ? 0u : 0x01u) | (nonZero ? 0x04u : 0u));
  auto writeCount = [&w](size_t n) {
    if (n < 0xff) {
      w.U8(uint32_t(n));
    } else {
      w.U8(0xff);
      w.U16(uint32_t(n));
    }
  };
  writeCount(fills.size());
  for (const auto& f : fills) f->Write(w, ctx);
  writeCount(lines.size());
  for (const auto& l : lines) {
    w.U16(l.width);
    w.U8(uint32_t(l.startCap) << 6 | uint32_t(l.join) << 4);  // no fill, scaled both ways, no hinting
    w.U8(l.endCap);                                          // closed paths close
    if (l.join == SWF_LINE_JOIN_MITER) w.U16(l.miter);
    w.U8(l.r);
    w.U8(l.g);
    w.U8(l.b);
    w.U8(l.a);
  }
  int fillBits = UBits(uint32_t(fills.size()));
  int lineBits = UBits(uint32_t(lines.size()));
  w.UB(uint32_t(fillBits), 4);
  w.UB(uint32_t(lineBits), 4);
  WriteRecords(w, fillBits, lineBits);
  WriteTag(ctx.tags, kTagDefineShape4, w.bytes);
  return id;
}

// ---- public calls ---------------------------------------------------------------------------------

SWFShape newSWFShape() { return new SWFShape_s; }

SWFShape newSWFGlyphShape() {
  auto* s = new SWFShape_s;
  s->glyph = true;
  return s;
}

void destroySWFShape(SWFShape shape) {
  if (shape) shape->Release();
}

int SWFShape_useVersion(SWFShape shape, int version) { return shape && version == 4 ? 1 : 0; }

void SWFShape_setRightFill(SWFShape shape, SWFFill fill) {
  if (!shape || shape->glyph) return;
  uint32_t index = 0;
  if (fill && fill->style) {
    auto it = std::find_if(shape->fills.begin(), shape->fills.end(),
                           [&](const Ref<SWFFillStyle_s>& s) { return s.get() == fill->style.get(); });
    if (it == shape->fills.end()) {
      if (shape->fills.size() >= 0xffff) {
        SetLastError("too many fill styles in one shape");
        return;
      }
      shape->fills.push_back(fill->style);
      it = shape->fills.end() - 1;
    }
    index = uint32_t(it - shape->fills.begin()) + 1;
  }
  shape->pending.hasFill1 = true;
  shape->pending.fill1 = index;
  shape->pendingSet = true;
}

void SWFShape_setFillRule(SWFShape shape, int rule) {
  if (shape && !shape->glyph) shape->nonZero = rule == SWF_FILL_RULE_NONZERO;
}

void SWFShape_setLine(SWFShape shape, unsigned short width, int r, int g, int b, int a) {
  SWFShape_setLineTwips(shape, int(std::min<uint32_t>(uint32_t(width) * 20u, 0xffffu)), r, g, b, a);
}

void SWFShape_setLineTwips(SWFShape shape, int width, int r, int g, int b, int a, int startCap, int endCap, int join,
                           double miterLimit) {
  if (!shape || shape->glyph) return;
  uint32_t index = 0;
  if (width > 0) {
    uint16_t twips = uint16_t(std::min(width, 0xffff));
    auto kind = [](int v) { return uint8_t(v >= 0 && v <= 2 ? v : 0); };
    SWFShape_s::LineStyle style{twips, uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)};
    style.startCap = kind(startCap);
    style.endCap = kind(endCap);
    style.join = kind(join);
    const double limit = std::isfinite(miterLimit) ? std::clamp(miterLimit, 1.0, 255.0) : 3.0;
    if (style.join == SWF_LINE_JOIN_MITER) style.miter = uint16_t(std::lround(limit * 256.0));
    auto it = std::find(shape->lines.begin(), shape->lines.end(), style);
    if (it == shape->lines.end()) {
      if (shape->lines.size() >= 0xffff) {
        SetLastError("too many line styles in one shape");
        return;
      }
      shape->lines.push_back(style);
      it = shape->lines.end() - 1;
    }
    index = uint32_t(it - shape->lines.begin()) + 1;
    // Half the width beside an edge; a square cap reaches out diagonally, a miter by the limit.
    double reach = twips;
    if (style.startCap == SWF_LINE_CAP_SQUARE || style.endCap == SWF_LINE_CAP_SQUARE) reach *= 1.4143;
    if (style.join == SWF_LINE_JOIN_MITER) reach = std::max(reach, twips * limit);
    shape->widestLine = std::max(shape->widestLine, uint32_t(std::ceil(reach)));
  }
  shape->pending.hasLine = true;
  shape->pending.line = index;
  shape->pendingSet = true;
}

namespace {
double Tw(double px) { return std::isfinite(px) ? px * 20.0 : 0.0; }
}  // namespace

void SWFShape_movePenTo(SWFShape s, double x, double y) {
  if (s) s->MoveTo(Tw(x), Tw(y));
}
void SWFShape_drawLineTo(SWFShape s, double x, double y) {
  if (s) s->LineTo(Tw(x), Tw(y));
}
void SWFShape_drawCurveTo(SWFShape s, double cx, double cy, double x, double y) {
  if (s) s->CurveTo(Tw(cx), Tw(cy), Tw(x), Tw(y));
}
void SWFShape_drawCubicTo(SWFShape s, double bx, double by, double cx, double cy, double dx,
                          double dy) {
  if (s) s->CubicTo(Tw(bx), Tw(by), Tw(cx), Tw(cy), Tw(dx), Tw(dy));
}
void SWFShape_moveScaledPenTo(SWFShape s, double x, double y) {
  if (s) s->MoveTo(x, y);
}
void SWFShape_drawScaledLineTo(SWFShape s, double x, double y) {
  if (s) s->LineTo(x, y);
}
void SWFShape_drawScaledCurveTo(SWFShape s, double cx, double cy, double x, double y) {
  if (s) s->CurveTo(cx, cy, x, y);
}
void SWFShape_drawScaledCubicTo(SWFShape s, double bx, double by, double cx, double cy, double dx,
                                double dy) {
  if (s) s->CubicTo(bx, by, cx, cy, dx, dy);
}

SWFFillStyle newSWFSolidFillStyle(int r, int g, int b, int a) {
  auto* s = new SWFFillStyle_s;
  s->kind = SWFFILL_SOLID;
  s->r = uint8_t(r);
  s->g = uint8_t(g);
  s->b = uint8_t(b);
  s->a = uint8_t(a);
  return s;
}

SWFFillStyle newSWFGradientFillStyle(SWFGradient gradient, int kind) {
  if (!gradient || (kind != SWFFILL_LINEAR_GRADIENT && kind != SWFFILL_RADIAL_GRADIENT)) {
    SetLastError("not a gradient fill");
    return nullptr;
  }
  auto* s = new SWFFillStyle_s;
  s->kind = kind;
  s->gradient = Ref<SWFGradient_s>(gradient);
  return s;
}

SWFFillStyle newSWFBitmapFillStyle(SWFBitmap bitmap, int kind) {
  if (!bitmap || kind < SWFFILL_TILED_BITMAP || kind > SWFFILL_NONSMOOTHED_CLIPPED_BITMAP) {
    SetLastError("not a bitmap fill");
    return nullptr;
  }
  auto* s = new SWFFillStyle_s;
  s->kind = kind;
  s->bitmap = Ref<SWFBitmap_s>(bitmap);
  return s;
}

void destroySWFFillStyle(SWFFillStyle style) {
  if (style) style->Release();
}

SWFFill newSWFFill(SWFFillStyle style) {
  if (!style) return nullptr;
  auto* f = new SWFFill_s;
  f->style = Ref<SWFFillStyle_s>(style);
  return f;
}

void destroySWFFill(SWFFill fill) {
  if (fill) fill->Release();
}

void SWFFill_moveTo(SWFFill fill, double x, double y) {
  if (!fill) return;
  fill->style->x = x;
  fill->style->y = y;
  fill->style->Rebuild();
}
void SWFFill_scaleXYTo(SWFFill fill, double sx, double sy) {
  if (!fill) return;
  fill->style->sx = sx;
  fill->style->sy = sy;
  fill->style->Rebuild();
}
void SWFFill_scaleXY(SWFFill fill, double sx, double sy) {
  if (fill) SWFFill_scaleXYTo(fill, fill->style->sx * sx, fill->style->sy * sy);
}
void SWFFill_rotateTo(SWFFill fill, double degrees) {
  if (!fill) return;
  fill->style->rotation = std::isfinite(degrees) ? degrees : 0.0;
  fill->style->Rebuild();
}
void SWFFill_setMatrix(SWFFill fill, double a, double b, double c, double d, double x, double y) {
  if (!fill) return;
  fill->style->matrix = Matrix{a, b, c, d, double(ToTwips(x)), double(ToTwips(y))};
}

SWFGradient newSWFGradient() { return new SWFGradient_s; }
void destroySWFGradient(SWFGradient gradient) {
  if (gradient) gradient->Release();
}
int SWFGradient_addEntry(SWFGradient gradient, double ratio, int r, int g, int b, int a) {
  if (!gradient) return 0;
  if (gradient->entries.size() >= 15) {
    SetLastError("a gradient holds at most 15 entries");
    return 0;
  }
  double v = std::isfinite(ratio) ? std::clamp(ratio, 0.0, 1.0) : 0.0;
  gradient->entries.push_back(
      {uint8_t(std::floor(255.0 * v)), uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)});
  return 1;
}
