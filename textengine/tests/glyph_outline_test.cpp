// The outline converters (GDI native records, FreeType outlines), orientation and synthetic bold.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>

#include <cstdint>
#include <vector>

#include "glyphweave/AccessTextsOutline.h"

using Gdiplus::GraphicsPath;
using Gdiplus::Matrix;
using Gdiplus::PointF;
using namespace GlyphweaveLib;

namespace {

void Put32(std::vector<unsigned char>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void Put16(std::vector<unsigned char>& b, uint16_t v) {
  b.push_back(static_cast<unsigned char>(v));
  b.push_back(static_cast<unsigned char>(v >> 8));
}
void PutPt(std::vector<unsigned char>& b, int32_t x, int32_t y) {
  Put32(b, static_cast<uint32_t>(x));
  Put32(b, static_cast<uint32_t>(y));
}

struct PathDump {
  std::vector<PointF> pts;
  std::vector<BYTE> types;
};
PathDump Dump(const GraphicsPath& p) {
  PathDump d;
  d.pts.resize(static_cast<size_t>(p.GetPointCount()));
  d.types.resize(d.pts.size());
  if (!d.pts.empty()) {
    p.GetPathPoints(d.pts.data(), p.GetPointCount());
    p.GetPathTypes(d.types.data(), p.GetPointCount());
  }
  return d;
}

PointF Cubic1(PointF p0, PointF k) { return PointF(p0.X + 2.0f / 3.0f * (k.X - p0.X), p0.Y + 2.0f / 3.0f * (k.Y - p0.Y)); }
PointF Cubic2(PointF p0, PointF k, PointF e) {
  const PointF c1 = Cubic1(p0, k);
  return PointF(c1.X + (e.X - p0.X) / 3.0f, c1.Y + (e.Y - p0.Y) / 3.0f);
}

void ExpectPoints(const PathDump& d, const std::vector<PointF>& want, const std::vector<BYTE>& types) {
  ASSERT_EQ(d.pts.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_FLOAT_EQ(d.pts[i].X, want[i].X) << "point " << i;
    EXPECT_FLOAT_EQ(d.pts[i].Y, want[i].Y) << "point " << i;
  }
  EXPECT_EQ(d.types, types);
}

}  // namespace

TEST(NativeOutline, LinesAndSplineWithTruncatedMidpointAndNegatedY) {
  std::vector<unsigned char> b;
  Put32(b, 0);  // cb, patched below
  Put32(b, TT_POLYGON_TYPE);
  PutPt(b, 1 << 16, 2 << 16);  // start (1, 2)
  Put16(b, TT_PRIM_LINE);
  Put16(b, 1);
  PutPt(b, 3 << 16, 2 << 16);
  Put16(b, TT_PRIM_QSPLINE);
  Put16(b, 3);
  PutPt(b, 0x40001, -1);        // K1 = (4 + 1/65536, -1/65536)
  PutPt(b, 0x50000, -2);        // K2 = (5, -2/65536)
  PutPt(b, 6 << 16, 4 << 16);   // end (6, 4)
  const uint32_t cb = static_cast<uint32_t>(b.size());
  for (int i = 0; i < 4; ++i) b[static_cast<size_t>(i)] = static_cast<unsigned char>(cb >> (8 * i));

  GraphicsPath path;
  ASSERT_TRUE(AddNativeOutlineToPath(b.data(), static_cast<DWORD>(b.size()), Matrix(), path));
  const PointF p0(1, -2), p1(3, -2);
  const PointF k1(static_cast<float>(0x40001 / 65536.0), static_cast<float>(1 / 65536.0));
  // (0x40001 + 0x50000) / 2 and (-1 + -2) / 2, truncated toward zero, then y negated.
  const PointF mid(4.5f, static_cast<float>(1 / 65536.0));
  const PointF k2(5.0f, static_cast<float>(2 / 65536.0));
  const PointF e(6, -4);
  ExpectPoints(Dump(path),
               {p0, p1, Cubic1(p1, k1), Cubic2(p1, k1, mid), mid, Cubic1(mid, k2), Cubic2(mid, k2, e), e, p0},
               {0, 1, 3, 3, 3, 3, 3, 3, 0x81});
}

TEST(NativeOutline, MatrixAppliesToEveryPointAndSecondPolygonFollowsByteCount) {
  std::vector<unsigned char> b;
  for (int poly = 0; poly < 2; ++poly) {
    Put32(b, 16 + 4 + 16);
    Put32(b, TT_POLYGON_TYPE);
    PutPt(b, 0, 0);
    Put16(b, TT_PRIM_LINE);
    Put16(b, 2);
    PutPt(b, (poly + 1) << 16, 0);
    PutPt(b, (poly + 1) << 16, (poly + 1) << 16);
  }
  Matrix m(2, 0, 0, 2, 10, 20);
  GraphicsPath path;
  ASSERT_TRUE(AddNativeOutlineToPath(b.data(), static_cast<DWORD>(b.size()), m, path));
  ExpectPoints(Dump(path),
               {{10, 20}, {12, 20}, {12, 18}, {10, 20}, {10, 20}, {14, 20}, {14, 16}, {10, 20}},
               {0, 1, 1, 0x81, 0, 1, 1, 0x81});
}

TEST(NativeOutline, MalformedBuffersFailWithoutReadingPastTheEnd) {
  auto header = [](uint32_t cb) {
    std::vector<unsigned char> b;
    Put32(b, cb);
    Put32(b, TT_POLYGON_TYPE);
    PutPt(b, 0, 0);
    return b;
  };
  struct Case {
    const char* name;
    std::vector<unsigned char> bytes;
  };
  std::vector<Case> cases;
  cases.push_back({"zero byte count", header(0)});
  cases.push_back({"byte count below the header", header(8)});
  cases.push_back({"byte count past the buffer", header(64)});
  {
    auto b = header(16);
    b.resize(10);
    cases.push_back({"cut header", b});
  }
  {
    auto b = header(16 + 4 + 8);
    Put16(b, TT_PRIM_LINE);
    Put16(b, 5);  // five points announced, one present
    PutPt(b, 1 << 16, 0);
    cases.push_back({"point count past the polygon", b});
  }
  {
    auto b = header(16 + 2);
    Put16(b, TT_PRIM_LINE);  // half a curve head
    cases.push_back({"cut curve head", b});
  }
  for (const Case& c : cases) {
    GraphicsPath path;
    EXPECT_FALSE(AddNativeOutlineToPath(c.bytes.data(), static_cast<DWORD>(c.bytes.size()), Matrix(), path))
        << c.name;
  }
  GraphicsPath empty;
  EXPECT_TRUE(AddNativeOutlineToPath(nullptr, 0, Matrix(), empty));
  EXPECT_EQ(empty.GetPointCount(), 0);
}

namespace {

struct Outline {
  std::vector<FT_Vector> points;
  std::vector<char> tags;
  std::vector<short> contours;
  FT_Outline Get() {
    FT_Outline o{};
    o.n_points = static_cast<short>(points.size());
    o.n_contours = static_cast<short>(contours.size());
    o.points = points.data();
    o.tags = tags.data();
    o.contours = contours.data();
    return o;
  }
};

FT_Vector V(long x, long y) { return FT_Vector{x * 64, y * 64}; }

}  // namespace

TEST(FreeTypeOutline, ConicFirstPointStartsAtOnCurveLastPoint) {
  // conic (0,10), on (10,10), on (10,0), on (0,0): the walk starts at the last point.
  Outline o{{V(0, 10), V(10, 10), V(10, 0), V(0, 0)}, {0, 1, 1, 1}, {3}};
  GraphicsPath path;
  const FT_Outline ft = o.Get();
  ASSERT_TRUE(AddOutlineToPath(ft, Matrix(), true, path));
  const PointF s(0, 0), k(0, -10), e(10, -10);
  ExpectPoints(Dump(path), {s, Cubic1(s, k), Cubic2(s, k, e), e, {10, 0}}, {0, 3, 3, 3, 0x81});
}

TEST(FreeTypeOutline, BothEndsConicStartAtTheirMidpoint) {
  // conic (0,0), on (10,0), conic (11,11): start at the truncated 26.6 midpoint of (11,11),(0,0).
  Outline o{{FT_Vector{0, 0}, V(10, 0), FT_Vector{11, 11}}, {0, 1, 0}, {2}};
  GraphicsPath path;
  ASSERT_TRUE(AddOutlineToPath(o.Get(), Matrix(), false, path));
  const PointF s(5 / 64.0f, 5 / 64.0f), k0(0, 0), e0(10, 0), k1(11 / 64.0f, 11 / 64.0f);
  ExpectPoints(Dump(path),
               {s, Cubic1(s, k0), Cubic2(s, k0, e0), e0, Cubic1(e0, k1), Cubic2(e0, k1, s), s},
               {0, 3, 3, 3, 3, 3, 0x83});
}

TEST(FreeTypeOutline, CubicSegmentsAndRejectedOutlines) {
  {
    Outline o{{V(0, 0), V(0, 10), V(10, 10), V(10, 0)}, {1, 2, 2, 1}, {3}};
    GraphicsPath path;
    ASSERT_TRUE(AddOutlineToPath(o.Get(), Matrix(), true, path));
    ExpectPoints(Dump(path), {{0, 0}, {0, -10}, {10, -10}, {10, 0}}, {0, 3, 3, 0x83});
  }
  struct Case {
    const char* name;
    Outline o;
  };
  std::vector<Case> cases = {
      {"cubic first point", {{V(0, 0), V(1, 1), V(2, 0)}, {2, 1, 1}, {2}}},
      {"conic then cubic", {{V(0, 0), V(1, 1), V(2, 2), V(3, 0)}, {1, 0, 2, 1}, {3}}},
      {"lone cubic control", {{V(0, 0), V(1, 1), V(2, 0)}, {1, 2, 1}, {2}}},
      {"contour end past the points", {{V(0, 0), V(1, 1)}, {1, 1}, {5}}},
      {"contour ends not increasing", {{V(0, 0), V(1, 1), V(2, 0)}, {1, 1, 1}, {2, 1}}},
      {"negative contour end", {{V(0, 0)}, {1}, {-1}}},
  };
  for (Case& c : cases) {
    GraphicsPath path;
    EXPECT_FALSE(AddOutlineToPath(c.o.Get(), Matrix(), true, path)) << c.name;
  }
}

namespace {
GraphicsPath Square(bool clockwise) {
  GraphicsPath p;
  std::vector<PointF> pts = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  if (!clockwise) pts = {{0, 0}, {0, 10}, {10, 10}, {10, 0}};
  p.AddPolygon(pts.data(), 4);
  return p;
}
}  // namespace

TEST(Embolden, SquareGrowsTheSameInBothDirections) {
  for (bool clockwise : {true, false}) {
    const GraphicsPath square = Square(clockwise);
    EXPECT_EQ(GetOutlineOrientation(square), clockwise ? 1 : 0);
    GraphicsPath result;
    ASSERT_EQ(EmboldenOutlineXY(square, result, 2, 2), 1);
    const PathDump d = Dump(result);
    std::vector<PointF> want = {{-0.5f, -0.5f}, {11.5f, -0.5f}, {11.5f, 11.5f}, {-0.5f, 11.5f}};
    if (!clockwise) want = {{-0.5f, -0.5f}, {-0.5f, 11.5f}, {11.5f, 11.5f}, {11.5f, -0.5f}};
    ExpectPoints(d, want, {0, 1, 1, 0x81});
    EXPECT_EQ(result.GetFillMode(), Gdiplus::FillModeWinding);
  }
}

TEST(Embolden, NothingToDoLeavesTheResultAlone) {
  GraphicsPath marker;
  marker.AddLine(1.0f, 1.0f, 2.0f, 2.0f);
  struct Case {
    const char* name;
    GraphicsPath source;
    float strength;
    int result;
  };
  GraphicsPath flat;  // zero area: no orientation
  flat.AddLine(0.0f, 0.0f, 10.0f, 0.0f);
  flat.CloseFigure();
  std::vector<Case> cases = {
      {"zero strengths", Square(true), 0.0f, 0},
      {"no orientation", flat, 2.0f, 0},
      {"empty source", GraphicsPath(), 2.0f, 1},
  };
  for (Case& c : cases) {
    GraphicsPath result(marker);
    EXPECT_EQ(EmboldenOutlineXY(c.source, result, c.strength, c.strength), c.result) << c.name;
    EXPECT_EQ(result.GetPointCount(), 2) << c.name;
  }
  EXPECT_EQ(GetOutlineOrientation(GraphicsPath()), 0);
  EXPECT_EQ(GetOutlineOrientation(flat), 2);
}
