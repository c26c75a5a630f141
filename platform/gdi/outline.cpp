// Glyph outlines in GDI's native record layout.
//
// A contour becomes one TTPOLYGONHEADER (start point = the first on-curve point, or the implied
// midpoint when the contour starts and ends off-curve) followed by curve records:
// - TT_PRIM_LINE: a run of straight segments, one point per segment end;
// - TT_PRIM_QSPLINE: a run of quadratic off-curve points followed by the on-curve end point;
//   between two consecutive off-curve points the on-curve point is their midpoint and is not
//   stored, as in TrueType itself.
// The edge back to the start point is implied when the contour ends with a line; a contour that
// ends with curves ends its last record at the start point. Cubic segments (CFF fonts) are
// approximated by quadratic splines, one record per quadratic, since the callers read lines and
// quadratic splines only.
#include <cmath>
#include <cstring>

#include "gdi_fonts.h"

namespace lwgdi {

FIXED FixedFrom26Dot6(int64_t v) {
  int64_t raw = v * 1024;  // 26.6 to 16.16
  if (raw > INT32_MAX) raw = INT32_MAX;
  if (raw < INT32_MIN) raw = INT32_MIN;
  FIXED f;
  f.fract = static_cast<WORD>(static_cast<uint32_t>(raw) & 0xFFFFu);
  f.value = static_cast<SHORT>(static_cast<int32_t>(raw) >> 16);
  return f;
}

namespace {

struct Pt {
  double x, y;
};

FT_Vector ToVector(Pt p) { return FT_Vector{static_cast<FT_Pos>(std::lround(p.x)), static_cast<FT_Pos>(std::lround(p.y))}; }

void Subdivide(Pt p0, Pt c1, Pt c2, Pt p3, int depth, std::vector<FT_Vector>* out) {
  // The distance between the cubic and its best single quadratic is at most
  // sqrt(3)/36 * |p3 - 3 c2 + 3 c1 - p0|.
  const double dx = p3.x - 3 * c2.x + 3 * c1.x - p0.x, dy = p3.y - 3 * c2.y + 3 * c1.y - p0.y;
  const double err = std::sqrt(3.0) / 36.0 * std::sqrt(dx * dx + dy * dy);
  constexpr double kTolerance = 4.0;  // 1/16 pixel in 26.6 units
  if (err <= kTolerance || depth >= 8) {
    const Pt q{(3 * (c1.x + c2.x) - p0.x - p3.x) / 4, (3 * (c1.y + c2.y) - p0.y - p3.y) / 4};
    out->push_back(ToVector(q));
    out->push_back(ToVector(p3));
    return;
  }
  auto mid = [](Pt a, Pt b) { return Pt{(a.x + b.x) / 2, (a.y + b.y) / 2}; };
  const Pt a = mid(p0, c1), b = mid(c1, c2), c = mid(c2, p3);
  const Pt d = mid(a, b), e = mid(b, c);
  const Pt m = mid(d, e);
  Subdivide(p0, a, d, m, depth + 1, out);
  Subdivide(m, e, c, p3, depth + 1, out);
}

class RecordWriter {
 public:
  explicit RecordWriter(std::vector<uint8_t>* out) : out_(out) {}

  void BeginPolygon(const FT_Vector& start) {
    header_ = out_->size();
    Put32(0);  // cb, patched in EndPolygon
    Put32(TT_POLYGON_TYPE);
    PutPoint(start);
  }

  void Line(const FT_Vector& p) {
    if (type_ != TT_PRIM_LINE) {
      Flush();
      type_ = TT_PRIM_LINE;
    }
    points_.push_back(p);
  }

  void QSpline(const std::vector<FT_Vector>& points) {
    Flush();
    type_ = TT_PRIM_QSPLINE;
    points_ = points;
    Flush();
  }

  void EndPolygon() {
    Flush();
    const uint32_t cb = static_cast<uint32_t>(out_->size() - header_);
    std::memcpy(out_->data() + header_, &cb, 4);
  }

 private:
  void Flush() {
    if (type_ && !points_.empty()) {
      Put16(static_cast<uint16_t>(type_));
      Put16(static_cast<uint16_t>(points_.size()));
      for (const FT_Vector& p : points_) PutPoint(p);
    }
    type_ = 0;
    points_.clear();
  }
  void Put16(uint16_t v) {
    out_->push_back(static_cast<uint8_t>(v));
    out_->push_back(static_cast<uint8_t>(v >> 8));
  }
  void Put32(uint32_t v) {
    Put16(static_cast<uint16_t>(v));
    Put16(static_cast<uint16_t>(v >> 16));
  }
  void PutFixed(FIXED f) {
    Put16(f.fract);
    Put16(static_cast<uint16_t>(f.value));
  }
  void PutPoint(const FT_Vector& p) {
    PutFixed(FixedFrom26Dot6(p.x));
    PutFixed(FixedFrom26Dot6(p.y));
  }

  std::vector<uint8_t>* out_;
  size_t header_ = 0;
  int type_ = 0;
  std::vector<FT_Vector> points_;
};

Pt P(const FT_Vector& v) { return Pt{static_cast<double>(v.x), static_cast<double>(v.y)}; }

}  // namespace

void CubicToQuadratics(const FT_Vector& p0, const FT_Vector& c1, const FT_Vector& c2, const FT_Vector& p3,
                       std::vector<FT_Vector>* out) {
  Subdivide(P(p0), P(c1), P(c2), P(p3), 0, out);
}

bool BuildNativeOutline(const FT_Outline& outline, std::vector<uint8_t>* out) {
  const int nPoints = outline.n_points;
  if (outline.n_contours < 0 || nPoints < 0) return false;
  if (outline.n_contours > 0 && (!outline.contours || !outline.points || !outline.tags)) return false;
  int first = 0;
  for (int c = 0; c < outline.n_contours; ++c) {
    const int last = outline.contours[c];
    if (last < first || last >= nPoints) return false;
    const FT_Vector* p = outline.points;
    auto tag = [&](int i) { return FT_CURVE_TAG(outline.tags[i]); };

    FT_Vector start;
    int i = first, limit = last;
    if (tag(first) == FT_CURVE_TAG_ON) {
      start = p[first];
      i = first + 1;
    } else if (tag(first) == FT_CURVE_TAG_CUBIC) {
      return false;
    } else if (tag(last) == FT_CURVE_TAG_ON) {
      start = p[last];
      limit = last - 1;
    } else {
      start = FT_Vector{(p[first].x + p[last].x) / 2, (p[first].y + p[last].y) / 2};
    }

    RecordWriter w(out);
    w.BeginPolygon(start);
    FT_Vector cur = start;
    while (i <= limit) {
      const int t = tag(i);
      if (t == FT_CURVE_TAG_ON) {
        w.Line(p[i]);
        cur = p[i];
        ++i;
      } else if (t == FT_CURVE_TAG_CONIC) {
        std::vector<FT_Vector> pts;
        while (i <= limit && tag(i) == FT_CURVE_TAG_CONIC) pts.push_back(p[i++]);
        if (i <= limit && tag(i) == FT_CURVE_TAG_CUBIC) return false;
        const FT_Vector end = i <= limit ? p[i++] : start;
        pts.push_back(end);
        w.QSpline(pts);
        cur = end;
      } else {
        if (i + 1 > limit || tag(i + 1) != FT_CURVE_TAG_CUBIC) return false;
        const FT_Vector c1 = p[i], c2 = p[i + 1];
        i += 2;
        if (i <= limit && tag(i) != FT_CURVE_TAG_ON) return false;
        const FT_Vector end = i <= limit ? p[i++] : start;
        std::vector<FT_Vector> quads;
        CubicToQuadratics(cur, c1, c2, end, &quads);
        for (size_t k = 0; k + 1 < quads.size(); k += 2) w.QSpline({quads[k], quads[k + 1]});
        cur = end;
      }
    }
    w.EndPolygon();
    first = last + 1;
  }
  return true;
}

}  // namespace lwgdi
