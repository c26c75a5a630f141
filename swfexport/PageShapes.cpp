// Shapes of the page movies: a page shape becomes one SWF shape in the page's clip, drawn in its
// own coordinates (shrunk by a power of two when they reach past what SWF coordinates hold) and
// placed by its page matrix in points, with its solid, gradient or picture fill and its stroke.
#include "flarewing/FlipBook.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <swf/ming.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>
#include <win32/objidl.h>

namespace QorSWFExportingLib {

using Vectorloom::CBaseCustomPath;
using Vectorloom::CBaseShapeObj;
using Vectorloom::CQorTransMatrix;
using Vectorloom::CQorVectorEdgeNode;

namespace {

constexpr float kPointsPerPixel = 0.7518797f;  // page pixels (1.33 a point) to points
constexpr int kMaxGradientStops = 15;           // what an SWF 8 gradient holds
constexpr double kGradientSquare = 1638.4;      // the gradient square's side in pixels

bool Finite(float v) { return std::isfinite(v); }
bool Finite(const CQorTransMatrix& m) {
  return Finite(m.m11) && Finite(m.m12) && Finite(m.m21) && Finite(m.m22) && Finite(m.dx) && Finite(m.dy);
}

// One drawing command of a shape's outline, in its own coordinates.
struct Segment {
  enum Kind { kMove, kLine, kCubic, kNoFill } kind;  // kNoFill: what follows is drawn without fill
  float x1 = 0, y1 = 0, x2 = 0, y2 = 0, x3 = 0, y3 = 0;
};

// The edge from q to p as the editor draws it: a cubic when either end has its control in use
// (the missing one at its own node), else a line.
void AddEdge(std::vector<Segment>& out, const CQorVectorEdgeNode& q, const CQorVectorEdgeNode& p) {
  if (q.bHasOut || p.bHasIn) {
    const auto c1 = q.bHasOut ? q.ptOut : q.pt;
    const auto c2 = p.bHasIn ? p.ptIn : p.pt;
    out.push_back({Segment::kCubic, c1.x, c1.y, c2.x, c2.y, p.pt.x, p.pt.y});
  } else {
    out.push_back({Segment::kLine, p.pt.x, p.pt.y});
  }
}

// The figures of a path as segments, each closed figure ending with a line to its start.
std::vector<Segment> PathSegments(const Gdiplus::GraphicsPath& path) {
  std::vector<Segment> out;
  const int n = path.GetPointCount();
  if (n <= 0) return out;
  std::vector<Gdiplus::PointF> pts(static_cast<size_t>(n));
  std::vector<BYTE> types(static_cast<size_t>(n));
  if (path.GetPathPoints(pts.data(), n) != Gdiplus::Ok || path.GetPathTypes(types.data(), n) != Gdiplus::Ok) return out;
  Gdiplus::PointF start;
  for (int i = 0; i < n; ++i) {
    const int kind = types[static_cast<size_t>(i)] & Gdiplus::PathPointTypePathTypeMask;
    int last = i;
    if (kind == Gdiplus::PathPointTypeStart) {
      out.push_back({Segment::kMove, pts[i].X, pts[i].Y});
      start = pts[i];
    } else if (kind == Gdiplus::PathPointTypeBezier && i + 2 < n) {
      out.push_back({Segment::kCubic, pts[i].X, pts[i].Y, pts[i + 1].X, pts[i + 1].Y, pts[i + 2].X, pts[i + 2].Y});
      last = i + 2;
    } else {
      out.push_back({Segment::kLine, pts[i].X, pts[i].Y});
    }
    if ((types[static_cast<size_t>(last)] & Gdiplus::PathPointTypeCloseSubpath) != 0)
      out.push_back({Segment::kLine, start.X, start.Y});
    i = last;
  }
  return out;
}

// The outline of a shape. Custom paths go sub-path by sub-path; with `filled`, the closed ones
// come first and the open ones after a kNoFill mark (only closed sub-paths are filled). Other
// shapes go as the outline the editor builds for them.
std::vector<Segment> ShapeOutline(const CBaseShapeObj& shape, bool filled) {
  std::vector<Segment> out;
  if (const auto* custom = dynamic_cast<const Vectorloom::CCustomPathObj*>(&shape)) {
    auto add = [&](const CBaseCustomPath& sub) {
      const int n = sub.GetNodesCount();
      if (n == 0) return;
      out.push_back({Segment::kMove, sub.GetNode(0).pt.x, sub.GetNode(0).pt.y});
      for (int i = 1; i < n; ++i) AddEdge(out, sub.GetNode(i - 1), sub.GetNode(i));
      if (sub.IsClosed() && n >= 2) AddEdge(out, sub.GetNode(n - 1), sub.GetNode(0));
    };
    for (const CBaseCustomPath& sub : custom->GetSubPaths())
      if (!filled || sub.IsClosed()) add(sub);
    if (filled) {
      bool mark = false;
      for (const CBaseCustomPath& sub : custom->GetSubPaths()) {
        if (sub.IsClosed() || sub.GetNodesCount() == 0) continue;
        if (!mark) out.push_back({Segment::kNoFill}), mark = true;
        add(sub);
      }
    }
    return out;
  }
  Gdiplus::GraphicsPath path;
  shape.CreateBasePathStorage(path);
  return PathSegments(path);
}

// The largest absolute coordinate of the outline; infinity when one is not finite.
float OutlineExtent(const std::vector<Segment>& segs) {
  float extent = 0;
  for (const Segment& s : segs) {
    const int count = s.kind == Segment::kCubic ? 6 : s.kind == Segment::kNoFill ? 0 : 2;
    const float v[6] = {s.x1, s.y1, s.x2, s.y2, s.x3, s.y3};
    for (int i = 0; i < count; ++i) {
      if (!Finite(v[i])) return INFINITY;
      extent = std::max(extent, std::fabs(v[i]));
    }
  }
  return extent;
}

// Gradient stops as the editor paints them: the end colours reach to both ends, each stop's alpha
// scaled by the fill's opacity; at most 15 (the ends kept, the rest picked evenly).
SWFGradient MakeGradient(const Vectorloom::CLocalGradientColorsDefine& def, int transparency) {
  const auto& stops = def.GetColorStops();
  if (stops.empty()) return nullptr;
  std::vector<size_t> pick;
  if (stops.size() <= static_cast<size_t>(kMaxGradientStops)) {
    for (size_t i = 0; i < stops.size(); ++i) pick.push_back(i);
  } else {
    for (int k = 0; k < kMaxGradientStops; ++k)
      pick.push_back(static_cast<size_t>(std::lround(double(k) * double(stops.size() - 1) / (kMaxGradientStops - 1))));
  }
  const int opacity = 255 - std::clamp(transparency, 0, 255);
  SWFGradient g = newSWFGradient();
  for (size_t i : pick) {
    const auto& s = stops[i];
    const double ratio = std::clamp(s.position, 0, Vectorloom::kGradientPositionMax) / double(Vectorloom::kGradientPositionMax);
    SWFGradient_addEntry(g, ratio, s.color.rgbRed, s.color.rgbGreen, s.color.rgbBlue, s.color.rgbReserved * opacity / 255);
  }
  return g;
}

// Pictures smaller than this on a side go losslessly even when 24-bit: JPEG's shared colour of
// 2 x 2 pixel blocks would blend their pixels (a picture drawn enlarged shows every one).
constexpr UINT kMinJpegSide = 64;

// The picture's pixels as the SWF writer takes them: a 24-bit picture as JPEG when it encodes to
// one the writer keeps, every other one losslessly (alpha kept), the fill's transparency
// multiplied into the alpha.
SWFBitmap MakeBitmap(Gdiplus::Bitmap* bmp, int transparency) {
  if (!bmp || bmp->GetWidth() == 0 || bmp->GetHeight() == 0) return nullptr;
  const int opacity = 255 - std::clamp(transparency, 0, 255);
  const Gdiplus::PixelFormat format = bmp->GetPixelFormat();
  if (format == Gdiplus::PixelFormat24bppRGB && opacity == 255 && bmp->GetWidth() >= kMinJpegSide &&
      bmp->GetHeight() >= kMinJpegSide) {
    IStream* stream = nullptr;
    if (CreateStreamOnHGlobal(nullptr, TRUE, &stream) == S_OK && stream) {
      SWFBitmap jpeg = nullptr;
      HGLOBAL block = nullptr;
      if (bmp->Save(stream, &Gdiplus::LwEncoderClsidJPEG) == Gdiplus::Ok && GetHGlobalFromStream(stream, &block) == S_OK &&
          block) {
        const SIZE_T n = GlobalSize(block);
        const auto* p = static_cast<const unsigned char*>(GlobalLock(block));
        if (p && n > 0 && n < 0x7fffffff) {
          SWFInput input = newSWFInput_bufferCopy(p, static_cast<int>(n));
          jpeg = newSWFBitmap_fromInput(input);
          destroySWFInput(input);
        }
        if (p) GlobalUnlock(block);
      }
      stream->Release();
      if (jpeg) return jpeg;
    }
  }
  // 32-bit RGB pixels are opaque: no alpha to read from their fourth byte.
  const bool opaque = format == Gdiplus::PixelFormat32bppRGB || format == Gdiplus::PixelFormat24bppRGB;
  Gdiplus::BitmapData data{};
  const Gdiplus::Rect all(0, 0, static_cast<INT>(bmp->GetWidth()), static_cast<INT>(bmp->GetHeight()));
  if (bmp->LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok) return nullptr;
  SWFBitmap out = nullptr;
  if (data.Scan0 && data.Width > 0 && data.Height > 0) {
    const size_t w = data.Width, h = data.Height;
    std::vector<uint8_t> pixels(w * h * 4);
    for (size_t y = 0; y < h; ++y) {
      const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
      uint8_t* dst = pixels.data() + y * w * 4;
      for (size_t x = 0; x < w; ++x) {
        dst[4 * x] = row[4 * x];
        dst[4 * x + 1] = row[4 * x + 1];
        dst[4 * x + 2] = row[4 * x + 2];
        dst[4 * x + 3] = static_cast<uint8_t>((opaque ? 255 : row[4 * x + 3]) * opacity / 255);
      }
    }
    out = newSWFBitmap_fromPixels(pixels.data(), static_cast<int>(w), static_cast<int>(h), static_cast<int>(w * 4),
                                  SWF_PIXELS_BGRA32);
  }
  bmp->UnlockBits(&data);
  return out;
}

// The fill of a shape drawn at scale s (its coordinates times s), fitted to its bounds as the
// editor paints it; null for none.
SWFFill MakeFill(const CBaseShapeObj& shape, float s) {
  const Vectorloom::CRenderVectorShapeDef& def = shape.GetFillDefinition();
  const int t = def.GetTransparency();
  switch (def.GetRenderKind()) {
    case Vectorloom::RENDER_KIND_SOLID: {
      const COLORREF c = def.GetRenderColor();
      SWFFillStyle style = newSWFSolidFillStyle(GetRValue(c), GetGValue(c), GetBValue(c), 255 - std::clamp(t, 0, 255));
      SWFFill fill = newSWFFill(style);
      destroySWFFillStyle(style);
      return fill;
    }
    case Vectorloom::RENDER_KIND_GRADIENT: {
      const Vectorloom::CLocalGradientColorsDefine& gd = def.GetGradientDefinition();
      SWFGradient gradient = MakeGradient(gd, t);
      if (!gradient) return nullptr;
      const bool radial = gd.GetGradientType() == Vectorloom::GRADIENT_RADIAL;
      SWFFillStyle style =
          newSWFGradientFillStyle(gradient, radial ? SWFFILL_RADIAL_GRADIENT : SWFFILL_LINEAR_GRADIENT);
      destroySWFGradient(gradient);
      SWFFill fill = newSWFFill(style);
      destroySWFFillStyle(style);
      if (!fill) return nullptr;
      // The gradient square onto the bounds: a radial one as the ellipse round them, a linear one
      // turned by its angle inside the box and stretched so that its ends reach the box's corners
      // along that angle (as the editor's angle-scaled brush does).
      const auto b = shape.GetPathBoundRect();
      const double w = std::max<double>(b.Width(), 1e-3) * s, h = std::max<double>(b.Height(), 1e-3) * s;
      const double cx = (b.left + b.right) / 2.0 * s, cy = (b.top + b.bottom) / 2.0 * s;
      double a = w / kGradientSquare, bb = 0, c = 0, d = h / kGradientSquare;
      if (!radial && Finite(gd.GetAngle()) && gd.GetAngle() != 0) {
        const double rad = gd.GetAngle() * M_PI / 180.0, co = std::cos(rad), si = std::sin(rad);
        const double reach = std::fabs(co) + std::fabs(si);
        // square -> scale(reach) -> rotate -> scale(w, h) (row vectors: x' = a x + c y).
        a = reach * co * w / kGradientSquare;
        bb = reach * si * h / kGradientSquare;
        c = -reach * si * w / kGradientSquare;
        d = reach * co * h / kGradientSquare;
      }
      SWFFill_setMatrix(fill, a, bb, c, d, cx, cy);
      return fill;
    }
    case Vectorloom::RENDER_KIND_BITMAP: {
      Vectorloom::CBitmapResObj* res = def.GetRenderBitmap();
      SWFBitmap bitmap = MakeBitmap(res ? res->GetGdiBitmap() : nullptr, t);
      if (!bitmap) return nullptr;
      const int iw = SWFBitmap_getWidth(bitmap), ih = SWFBitmap_getHeight(bitmap);
      SWFFillStyle style = newSWFBitmapFillStyle(bitmap, SWFFILL_CLIPPED_BITMAP);
      destroySWFBitmap(bitmap);
      SWFFill fill = newSWFFill(style);
      destroySWFFillStyle(style);
      if (!fill) return nullptr;
      // The picture stretched over the bounds, its corner on theirs.
      const auto b = shape.GetPathBoundRect();
      SWFFill_scaleXYTo(fill, s * b.Width() * 20.0 / iw, s * b.Height() * 20.0 / ih);
      SWFFill_moveTo(fill, s * b.left, s * b.top);
      return fill;
    }
    default:
      return nullptr;
  }
}

// The dash lengths of a stroke in stroke widths, alternately on and off; empty for a solid one.
std::vector<float> DashPattern(const CBaseShapeObj& shape) {
  using namespace Vectorloom;
  std::vector<float> dashes;
  switch (shape.GetDashType()) {
    case DASH_DASH: dashes = {3, 1}; break;
    case DASH_DOT: dashes = {1, 1}; break;
    case DASH_DASHDOT: dashes = {3, 1, 1, 1}; break;
    case DASH_DASHDOTDOT: dashes = {3, 1, 1, 1, 1, 1}; break;
    case DASH_CUSTOM: dashes = shape.GetDashPattern(); break;
    default: break;
  }
  if (dashes.size() % 2) dashes.insert(dashes.end(), dashes.begin(), dashes.end());  // an odd list repeats
  float total = 0;
  for (float d : dashes) total += Finite(d) && d > 0 ? d : 0;
  if (!(total > 0) || !Finite(total)) dashes.clear();
  return dashes;
}

// SWF line caps for the editor's caps: ends drawn as shapes of their own (triangles, anchors) go
// without a cap.
int CapOf(int cap) {
  switch (cap) {
    case Vectorloom::LINE_CAP_ROUND: return SWF_LINE_CAP_ROUND;
    case Vectorloom::LINE_CAP_SQUARE: return SWF_LINE_CAP_SQUARE;
    default: return SWF_LINE_CAP_NONE;
  }
}

int JoinOf(int join) {
  switch (join) {
    case Vectorloom::LINE_JOIN_ROUND: return SWF_LINE_JOIN_ROUND;
    case Vectorloom::LINE_JOIN_BEVEL: return SWF_LINE_JOIN_BEVEL;
    default: return SWF_LINE_JOIN_MITER;
  }
}

struct Pt {
  double x, y;
};

// The outline as polylines, one a figure, curves cut into pieces of at most about `step`.
std::vector<std::vector<Pt>> Flatten(const std::vector<Segment>& segs, double scale, double step) {
  std::vector<std::vector<Pt>> figures;
  for (const Segment& g : segs) {
    if (g.kind == Segment::kNoFill) continue;
    if (g.kind == Segment::kMove || figures.empty()) figures.push_back({});
    std::vector<Pt>& f = figures.back();
    if (g.kind == Segment::kMove) {
      f.push_back({g.x1 * scale, g.y1 * scale});
    } else if (g.kind == Segment::kLine) {
      f.push_back({g.x1 * scale, g.y1 * scale});
    } else if (!f.empty()) {
      const Pt p0 = f.back(), p1{g.x1 * scale, g.y1 * scale}, p2{g.x2 * scale, g.y2 * scale},
               p3{g.x3 * scale, g.y3 * scale};
      const double len = std::hypot(p1.x - p0.x, p1.y - p0.y) + std::hypot(p2.x - p1.x, p2.y - p1.y) +
                         std::hypot(p3.x - p2.x, p3.y - p2.y);
      const int n = static_cast<int>(std::clamp(std::ceil(len / step), 1.0, 512.0));
      for (int i = 1; i <= n; ++i) {
        const double t = double(i) / n, u = 1 - t;
        f.push_back({u * u * u * p0.x + 3 * u * u * t * p1.x + 3 * u * t * t * p2.x + t * t * t * p3.x,
                     u * u * u * p0.y + 3 * u * u * t * p1.y + 3 * u * t * t * p2.y + t * t * t * p3.y});
      }
    }
  }
  return figures;
}

// Draws the "on" stretches of the dash pattern (lengths already in drawing units) along each
// figure, the pattern starting afresh at `offset` on every figure.
void DrawDashes(SWFShape out, const std::vector<std::vector<Pt>>& figures, const std::vector<double>& dashes,
                double offset) {
  double period = 0;
  for (double d : dashes) period += d;
  if (!(period > 0)) return;
  for (const std::vector<Pt>& f : figures) {
    size_t k = 0;
    double left = 0;  // what remains of dash k
    double phase = std::fmod(offset, period);
    if (phase < 0) phase += period;
    while (phase >= dashes[k]) phase -= dashes[k], k = (k + 1) % dashes.size();
    left = dashes[k] - phase;
    bool penDown = false;
    size_t pieces = 0;
    for (size_t i = 1; i < f.size(); ++i) {
      Pt a = f[i - 1];
      const Pt b = f[i];
      double len = std::hypot(b.x - a.x, b.y - a.y);
      while (len > 0) {
        const bool on = k % 2 == 0;
        const double take = std::min(left, len);
        const Pt end{a.x + (b.x - a.x) * take / len, a.y + (b.y - a.y) * take / len};
        if (on) {
          if (!penDown) SWFShape_movePenTo(out, a.x, a.y), penDown = true;
          SWFShape_drawLineTo(out, end.x, end.y);
        }
        a = end;
        len -= take;
        left -= take;
        if (left <= 1e-9) {
          k = (k + 1) % dashes.size();
          left = dashes[k];
          penDown = false;
          if (++pieces > 100000) return;  // a pattern far finer than the figure: enough drawn
        }
      }
    }
  }
}

}  // namespace

float ShapeDrawScale(float extent) {
  if (!Finite(extent) || extent < 0) return 0;
  float s = 1.0f;
  // Halving a finite float ends: it reaches the limit long before the exponent runs out.
  while (std::floor(extent * 20.0f + 0.5f) > 65535.0f) {
    s *= 0.5f;
    extent *= 0.5f;
  }
  return s;
}

bool AddShapeToClip(SWFMovieClip clip, const CBaseShapeObj& shape) {
  const bool stroked = shape.IsStroked();
  const auto* custom = dynamic_cast<const Vectorloom::CCustomPathObj*>(&shape);
  const bool filled = shape.IsFilled() && (!custom || custom->IsIncludeClosedPath());
  if (!clip || (!filled && !stroked)) return false;
  const CQorTransMatrix& objMatrix = shape.GetTransMatrix();
  if (!Finite(objMatrix)) return false;
  const std::vector<Segment> segs = ShapeOutline(shape, filled);
  if (segs.empty()) return false;
  // Ends the editor's pen draws as shapes of their own (triangles, anchors, two different caps),
  // as the drawing layer builds them: the line then goes out with flat ends.
  bool capShapes = false;
  std::vector<Segment> capSegs;
  if (stroked) {
    Gdiplus::GraphicsPath base, caps;
    shape.BuildBasePath(base);
    if (std::unique_ptr<Gdiplus::Pen> pen = shape.CreateStrokePen(base); pen && pen->LwHasCapShapes()) {
      capShapes = true;
      pen->LwGetCapShapes(base, &caps);
      capSegs = PathSegments(caps);
    }
  }
  const float s = ShapeDrawScale(std::max(OutlineExtent(segs), OutlineExtent(capSegs)));
  if (s <= 0) return false;  // a damaged shape: a coordinate that is not a number

  SWFShape out = newSWFShape();
  SWFShape_useVersion(out, 4);
  SWFFill fill = filled ? MakeFill(shape, s) : nullptr;
  if (fill) SWFShape_setRightFill(out, fill);
  if (shape.GetFillRule() == Vectorloom::FILL_RULE_NONZERO) SWFShape_setFillRule(out, SWF_FILL_RULE_NONZERO);
  const std::vector<float> dashes = stroked ? DashPattern(shape) : std::vector<float>{};
  // The width in the shape's scaled coordinates; the display matrix scales it back. A pen of no
  // width draws one pixel.
  float strokeWidth = shape.GetStrokeWidth();
  if (!(strokeWidth > 0) || !Finite(strokeWidth)) strokeWidth = 1;
  const COLORREF strokeColor = shape.GetStrokeColor();
  auto setLine = [&](int startCap, int endCap) {
    const float width = strokeWidth * s * 20.0f;
    const int twips = Finite(width) ? static_cast<int>(std::clamp(std::lround(width), 1L, 65535L)) : 20;
    SWFShape_setLineTwips(out, twips, GetRValue(strokeColor), GetGValue(strokeColor), GetBValue(strokeColor),
                          255 - std::clamp(shape.GetStrokeTransparency(), 0, 255), startCap, endCap,
                          JoinOf(shape.GetLineJoin()), shape.GetMiterLimit());
  };
  if (stroked && dashes.empty())
    setLine(capShapes ? SWF_LINE_CAP_NONE : CapOf(shape.GetStartCap()), capShapes ? SWF_LINE_CAP_NONE : CapOf(shape.GetEndCap()));
  Ming_setCubicThreshold(10);
  if (fill || dashes.empty()) {
    for (const Segment& g : segs) {
      switch (g.kind) {
        case Segment::kMove: SWFShape_movePenTo(out, g.x1 * s, g.y1 * s); break;
        case Segment::kLine: SWFShape_drawLineTo(out, g.x1 * s, g.y1 * s); break;
        case Segment::kCubic:
          SWFShape_drawCubicTo(out, g.x1 * s, g.y1 * s, g.x2 * s, g.y2 * s, g.x3 * s, g.y3 * s);
          break;
        case Segment::kNoFill: SWFShape_setRightFill(out, nullptr); break;
      }
    }
  }
  if (!dashes.empty()) {
    // A dashed stroke: its dashes drawn over the fill as lines of their own, each with the dash cap.
    SWFShape_setRightFill(out, nullptr);
    const int cap = shape.GetDashCap() == Vectorloom::DASH_CAP_ROUND ? SWF_LINE_CAP_ROUND : SWF_LINE_CAP_NONE;
    setLine(cap, cap);
    const double unit = double(strokeWidth) * s;
    std::vector<double> lengths;
    for (float d : dashes) lengths.push_back((Finite(d) && d > 0 ? d : 0) * unit);
    const double offset = Finite(shape.GetDashOffset()) ? shape.GetDashOffset() * unit : 0;
    DrawDashes(out, Flatten(segs, s, std::max(unit / 4, 0.25)), lengths, offset);
  }
  if (fill) destroySWFFill(fill);
  // Drawn at s: scaled back, placed by the page matrix, pixels to points.
  const CQorTransMatrix m = CQorTransMatrix::Scale(1.0f / s, 1.0f / s) * objMatrix *
                            CQorTransMatrix::Scale(kPointsPerPixel, kPointsPerPixel);
  SWFDisplayItem item = SWFMovieClip_add(clip, out);
  destroySWFShape(out);
  if (!item) return false;
  SWFDisplayItem_setMatrix(item, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
  if (!capSegs.empty()) {
    // The caps: filled in the stroke's colour over the line, with the same placement.
    SWFShape capShape = newSWFShape();
    SWFShape_useVersion(capShape, 4);
    SWFShape_setFillRule(capShape, SWF_FILL_RULE_NONZERO);
    SWFFillStyle style = newSWFSolidFillStyle(GetRValue(strokeColor), GetGValue(strokeColor), GetBValue(strokeColor),
                                              255 - std::clamp(shape.GetStrokeTransparency(), 0, 255));
    SWFFill capFill = newSWFFill(style);
    destroySWFFillStyle(style);
    SWFShape_setRightFill(capShape, capFill);
    destroySWFFill(capFill);
    for (const Segment& g : capSegs) {
      switch (g.kind) {
        case Segment::kMove: SWFShape_movePenTo(capShape, g.x1 * s, g.y1 * s); break;
        case Segment::kLine: SWFShape_drawLineTo(capShape, g.x1 * s, g.y1 * s); break;
        case Segment::kCubic:
          SWFShape_drawCubicTo(capShape, g.x1 * s, g.y1 * s, g.x2 * s, g.y2 * s, g.x3 * s, g.y3 * s);
          break;
        case Segment::kNoFill: break;
      }
    }
    if (SWFDisplayItem capItem = SWFMovieClip_add(clip, capShape))
      SWFDisplayItem_setMatrix(capItem, m.m11, m.m12, m.m21, m.m22, m.dx, m.dy);
    destroySWFShape(capShape);
  }
  return true;
}

}  // namespace QorSWFExportingLib
