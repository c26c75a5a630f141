// The outline converters (GDI native records and FreeType outlines to GDI+ paths), the outline
// orientation and synthetic bold.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gdi/wingdi.h>
#include <vectorloom/StreamReader.h>

#include "glyphweave/AccessTextsOutline.h"

using Gdiplus::GraphicsPath;
using Gdiplus::Matrix;
using Gdiplus::PointF;

namespace GlyphweaveLib {

namespace {

constexpr unsigned kPolygonHeaderSize = 16;  // cb, dwType, pfxStart
constexpr unsigned kPointFxSize = 8;

// A POINTFX as its two raw 16.16 values (fraction in the low word, signed integer part above).
struct RawPoint {
  int32_t x = 0, y = 0;
};
bool ReadPointFx(CStreamReader& in, RawPoint& r) { return in.ReadI32(r.x) && in.ReadI32(r.y); }
// Path coordinates: y negated.
PointF FromFixed(const RawPoint& r) {
  return PointF(static_cast<float>(r.x / 65536.0), static_cast<float>(-(r.y / 65536.0)));
}

PointF Through(const Matrix& m, PointF p) {
  m.TransformPoints(&p, 1);
  return p;
}

// A quadratic from p0 over k to e, added as the equal cubic.
void AddQuadratic(GraphicsPath& path, const Matrix& m, PointF p0, PointF k, PointF e) {
  const PointF c1(p0.X + 2.0f / 3.0f * (k.X - p0.X), p0.Y + 2.0f / 3.0f * (k.Y - p0.Y));
  const PointF c2(c1.X + (e.X - p0.X) / 3.0f, c1.Y + (e.Y - p0.Y) / 3.0f);
  path.AddBezier(Through(m, p0), Through(m, c1), Through(m, c2), Through(m, e));
}

}  // namespace

bool AddNativeOutlineToPath(const void* buffer, DWORD size, const Matrix& m, GraphicsPath& path) {
  if (size == 0) return true;
  if (!buffer) return false;
  // Every step is bounded by the bytes left: a header that does not fit, or a polygon whose byte
  // count is below its header or runs past the buffer, ends the walk as malformed.
  CStreamReader in(buffer, size);
  while (in.GetRemainLength() > 0) {
    if (in.GetRemainLength() < kPolygonHeaderSize) return false;
    const unsigned char* head = in.GetCurrent();
    uint32_t cb = 0, type = 0;
    RawPoint start;
    if (!in.ReadU32(cb) || cb < kPolygonHeaderSize || cb - 4 > in.GetRemainLength()) return false;
    CStreamReader polygon(head, cb);
    in.Skip(cb - 4);
    if (!polygon.Skip(4) || !polygon.ReadU32(type) || !ReadPointFx(polygon, start)) return false;
    RawPoint current = start;
    bool segments = false;
    while (polygon.GetRemainLength() > 0) {
      uint16_t curveType = 0, count = 0;
      if (!polygon.ReadU16(curveType) || !polygon.ReadU16(count)) return false;
      if (count > polygon.GetRemainLength() / kPointFxSize) return false;
      if (curveType == TT_PRIM_LINE) {
        for (unsigned i = 0; i < count; ++i) {
          RawPoint next;
          if (!ReadPointFx(polygon, next)) return false;
          path.AddLine(Through(m, FromFixed(current)), Through(m, FromFixed(next)));
          current = next;
          segments = true;
        }
      } else if (curveType == TT_PRIM_QSPLINE) {
        RawPoint k;
        if (count > 0 && !ReadPointFx(polygon, k)) return false;
        for (unsigned i = 0; i + 1 < count; ++i) {
          RawPoint next;
          if (!ReadPointFx(polygon, next)) return false;
          RawPoint e = next;
          if (i + 2 < count) {
            // Between two off-curve points lies the implied on-curve midpoint (truncated).
            e.x = static_cast<int32_t>((static_cast<int64_t>(k.x) + next.x) / 2);
            e.y = static_cast<int32_t>((static_cast<int64_t>(k.y) + next.y) / 2);
          }
          AddQuadratic(path, m, FromFixed(current), FromFixed(k), FromFixed(e));
          current = e;
          segments = true;
          k = next;
        }
      } else if (!polygon.Skip(count * kPointFxSize)) {
        return false;
      }
    }
    if (segments) path.AddLine(Through(m, FromFixed(current)), Through(m, FromFixed(start)));
    path.CloseFigure();
  }
  return true;
}

bool AddOutlineToPath(const FT_Outline& outline, const Matrix& m, bool flipY, GraphicsPath& path) {
  const int nPoints = outline.n_points;
  const int nContours = outline.n_contours;
  if (nPoints < 0 || nContours < 0) return false;
  if (nContours == 0) return true;
  if (nPoints == 0 || !outline.points || !outline.tags || !outline.contours) return false;
  // Contour ends must increase and stay inside the points.
  int previous = -1;
  for (int n = 0; n < nContours; ++n) {
    const int last = outline.contours[n];
    if (last <= previous || last >= nPoints) return false;
    previous = last;
  }

  auto tagOf = [&](int i) { return outline.tags[i] & 3; };  // 1 on, 0 conic, 2 (or 3) cubic
  auto toPath = [&](FT_Vector v) {
    const float x = static_cast<float>(v.x / 64.0);
    const float y = static_cast<float>(v.y / 64.0);
    return PointF(x, flipY ? -y : y);
  };
  auto middle = [](FT_Vector a, FT_Vector b) { return FT_Vector{(a.x + b.x) / 2, (a.y + b.y) / 2}; };

  int first = 0;
  for (int n = 0; n < nContours; ++n) {
    const int last = outline.contours[n];
    int limit = last;
    FT_Vector vStart = outline.points[first];
    const FT_Vector vLast = outline.points[last];
    int point = first;
    int tag = tagOf(point);
    if (tag >= 2) return false;  // a contour cannot start on a cubic control
    if (tag == 0) {
      if (tagOf(last) == 1) {
        vStart = vLast;  // start at the last point, which is on the curve
        --limit;
      } else {
        vStart = middle(vStart, vLast);  // both ends are controls: start between them
      }
      --point;  // the first point is then visited as a control
    }
    PointF current = toPath(vStart);
    const PointF startPoint = current;
    bool closed = false;
    while (!closed && point < limit) {
      ++point;
      tag = tagOf(point);
      if (tag == 1) {
        const PointF next = toPath(outline.points[point]);
        path.AddLine(Through(m, current), Through(m, next));
        current = next;
        continue;
      }
      if (tag == 0) {
        FT_Vector control = outline.points[point];
        for (;;) {
          if (point < limit) {
            ++point;
            const FT_Vector vec = outline.points[point];
            const int t = tagOf(point);
            if (t == 1) {
              const PointF e = toPath(vec);
              AddQuadratic(path, m, current, toPath(control), e);
              current = e;
              break;
            }
            if (t != 0) return false;  // a conic control followed by a cubic one
            const PointF mid = toPath(middle(control, vec));
            AddQuadratic(path, m, current, toPath(control), mid);
            current = mid;
            control = vec;
            continue;
          }
          AddQuadratic(path, m, current, toPath(control), startPoint);
          current = startPoint;
          closed = true;
          break;
        }
        continue;
      }
      // A cubic control must be followed by a second one.
      if (point + 1 > limit || tagOf(point + 1) < 2) return false;
      const PointF c1 = toPath(outline.points[point]);
      const PointF c2 = toPath(outline.points[point + 1]);
      point += 2;
      const PointF e = point <= limit ? toPath(outline.points[point]) : startPoint;
      path.AddBezier(Through(m, current), Through(m, c1), Through(m, c2), Through(m, e));
      current = e;
      if (point > limit) closed = true;
    }
    path.CloseFigure();  // the closing edge back to the start is implied
    first = last + 1;
  }
  return true;
}

int GetOutlineOrientation(const GraphicsPath& path) {
  const std::vector<PointF>& pts = path.LwPoints();
  if (pts.empty()) return 0;
  Gdiplus::GraphicsPathIterator it(&path);
  INT start = 0, end = 0;
  BOOL isClosed = FALSE;
  double area = 0.0;
  while (it.NextSubpath(&start, &end, &isClosed) > 0) {
    PointF prev = pts[static_cast<size_t>(end)];
    for (INT i = start; i <= end; ++i) {
      const PointF cur = pts[static_cast<size_t>(i)];
      area += (static_cast<double>(cur.X) + prev.X) * (static_cast<double>(cur.Y) - prev.Y);
      prev = cur;
    }
  }
  if (area > 0) return 1;
  if (area < 0) return 0;
  return 2;
}

int EmboldenOutlineXY(const GraphicsPath& source, GraphicsPath& result, float strengthX, float strengthY) {
  const std::vector<PointF>& src = source.LwPoints();
  if (src.empty()) return 1;
  const int orientation = GetOutlineOrientation(source);
  if (orientation == 2) return 0;
  const float sx = strengthX * 0.5f, sy = strengthY * 0.5f;
  if (sx == 0.0f && sy == 0.0f) return 0;

  std::vector<PointF> moved(src);
  Gdiplus::GraphicsPathIterator it(&source);
  INT first = 0, last = 0;
  BOOL isClosed = FALSE;
  while (it.NextSubpath(&first, &last, &isClosed) > 0) {
    PointF in(src[static_cast<size_t>(first)].X - src[static_cast<size_t>(last)].X,
              src[static_cast<size_t>(first)].Y - src[static_cast<size_t>(last)].Y);
    float lIn = std::sqrt(in.X * in.X + in.Y * in.Y);
    for (INT n = first; n <= last; ++n) {
      const PointF cur = src[static_cast<size_t>(n)];
      const PointF next = n < last ? src[static_cast<size_t>(n + 1)] : src[static_cast<size_t>(first)];
      const PointF out(next.X - cur.X, next.Y - cur.Y);
      const float lOut = std::sqrt(out.X * out.X + out.Y * out.Y);
      const float d = in.X * out.X + in.Y * out.Y + lIn * lOut;
      float shiftX = 0.0f, shiftY = 0.0f;
      // A turn of about 160 degrees or more, or an edge of no length, moves the point by the
      // plain strength only.
      if (16.0f * d > lIn * lOut) {
        shiftX = out.Y * lIn + lOut * in.Y;
        shiftY = out.X * lIn + lOut * in.X;
        if (orientation == 0)
          shiftX = -shiftX;
        else
          shiftY = -shiftY;
        const float l = std::min(lIn, lOut);
        float q = in.Y * out.X - in.X * out.Y;
        if (orientation == 0) q = -q;
        shiftX = (q * sx / l >= d) ? l * shiftX / q : shiftX * sx / d;
        shiftY = (q * sy / l >= d) ? l * shiftY / q : shiftY * sy / d;
      }
      moved[static_cast<size_t>(n)] = PointF(cur.X + sx + shiftX, cur.Y + sy + shiftY);
      in = out;
      lIn = lOut;
    }
  }

  const std::vector<BYTE>& types = source.LwTypes();
  GraphicsPath grown(moved.data(), types.data(), static_cast<INT>(moved.size()), Gdiplus::FillModeWinding);
  result.Reset();
  result.SetFillMode(Gdiplus::FillModeWinding);
  result.AddPath(&grown, FALSE);
  Matrix back;
  back.Translate(-sx / 2.0f, -sy / 2.0f);
  result.Transform(&back);
  return 1;
}

}  // namespace GlyphweaveLib
