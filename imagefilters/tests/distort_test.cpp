// Coordinate-mapping distortions and the row shift.
#include <gtest/gtest.h>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

constexpr DWORD Op(int v) { return Argb(255, v, v, v); }

// 3 x 3, value 30 y + 10 x.
Rows Ramp3() { return {{Op(0), Op(10), Op(20)}, {Op(30), Op(40), Op(50)}, {Op(60), Op(70), Op(80)}}; }

// What a mapping onto each pixel's own place gives: the last column and row sample 0.9 of the
// way to their neighbour (truncated), everything else comes back.
Rows Ramp3Sampled() { return {{Op(0), Op(10), Op(19)}, {Op(30), Op(40), Op(49)}, {Op(57), Op(67), Op(76)}}; }

Rows Pattern(int w, int h) {
  Rows r(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r[y].push_back(Argb(255, (37 * x + 11 * y) % 256, (5 * x * y) % 256, 200 - x - y));
  return r;
}

template <class Fi, class... Args>
Rows RunOn(const Rows& in, Args... args) {
  CQorObjImage img = ImageOf(32, in);
  Fi f(args...);
  EXPECT_EQ(img.SinglePixelProcessProc(f, nullptr), 1);
  return RowsOf(img);
}

Rows Opaque(const std::vector<std::vector<int>>& values) {
  Rows r;
  for (const auto& row : values) {
    r.emplace_back();
    for (int v : row) r.back().push_back(Op(v));
  }
  return r;
}

Rows GreyRows(const std::vector<std::vector<int>>& values) {
  Rows r;
  for (const auto& row : values) {
    r.emplace_back();
    for (int v : row) r.back().push_back(Gray3(v));
  }
  return r;
}

// Builds the filter, then restarts the shared random sequence (the constructor seeds it with the
// time).
template <class Fi>
FilterMaker Seeded(int value, uint32_t seed) {
  return [=]() {
    auto f = std::unique_ptr<CQorInterfacePixelProcess>(new Fi(value));
    QorSrand(seed);
    return f;
  };
}

const POINT kSquare3[4] = {{0, 0}, {3, 0}, {3, 3}, {0, 3}};
const POINT kPoint[4] = {{2, 2}, {2, 2}, {2, 2}, {2, 2}};
const POINT kFlat[4] = {{0, 1}, {5, 1}, {5, 1}, {0, 1}};
const POINT kNoWidth[4] = {{2, 0}, {2, 0}, {2, 4}, {2, 4}};

TEST(QorDistortions, ExactPixels) {
  Rows whirl = Ramp3Sampled();
  whirl[0][2] = Op(20);  // outside the radius 1.5 about (1.5, 1.5): left alone
  whirl[2][0] = Op(60);
  // Column 0 and row 0 lie on or outside the ellipse inscribed about (1.5, 1.5).
  const Rows lens = {{0, 0, 0}, {0, Op(46), Op(53)}, {0, Op(66), Op(73)}};
  RunFilterCases({
      // Column x comes from acos((2.5 - x) / 2.5) x 5 / pi: 0, 1.18, 1.98 (not 1.5 and 3 as with an
      // integer half width), 3.02, 3.82.
      {"cylinder of an odd width", Make<CQorPixelCylinder>(), 32,
       Opaque({{0, 37, 74, 111, 148}, {11, 48, 85, 122, 159}, {22, 59, 96, 133, 170}}),
       Opaque({{0, 54, 80, 104, 130}, {11, 65, 91, 115, 141}, {20, 75, 101, 125, 151}})},
      // Aspect scale 6 / 4 = 1.5 on x.
      {"wave on a tall image", Make<CQorPixelWave>(3, 2, 0.5), 32,
       Opaque({{0, 37, 74, 111}, {11, 48, 85, 122}, {22, 59, 96, 133}, {33, 70, 107, 144}, {44, 81, 118, 155}, {55, 92, 129, 166}}),
       Opaque({{0, 0, 50, 73}, {0, 49, 122, 118}, {8, 107, 151, 144}, {22, 132, 141, 159}, {30, 124, 161, 161}, {35, 92, 153, 161}})},
      {"whirl and pinch", Make<CQorPixelWhirlPinch>(1.0, 0.3), 32,
       Opaque({{0, 23, 46, 69, 92}, {41, 64, 87, 110, 133}, {82, 105, 128, 151, 174}, {123, 146, 169, 192, 215}, {164, 187, 210, 233, 0}}),
       Opaque({{0, 23, 46, 69, 92}, {41, 62, 85, 115, 131}, {82, 95, 118, 170, 179}, {123, 135, 149, 201, 168}, {164, 181, 200, 224, 42}})},
      {"fractal trace of depth 3", Make<CQorPixelFractalTrace>(3), 32,
       Opaque({{0, 23, 46, 69, 92}, {41, 64, 87, 110, 133}, {82, 105, 128, 151, 174}, {123, 146, 169, 192, 215}, {164, 187, 210, 233, 0}}),
       Opaque({{76, 42, 95, 110, 149}, {130, 208, 76, 113, 170}, {193, 164, 145, 153, 158}, {156, 141, 162, 187, 170}, {143, 176, 189, 227, 208}})},
      {"ribbon without swing", Make<CQorPixelRibbon>(0, 7), 32, Ramp3(), Ramp3Sampled()},
      {"one small tile", Make<CQorPixelSmallTile>(1, 0), 32, Ramp3(), Ramp3Sampled()},
      {"skew to the same rectangle", Make<CQorPixelSkew>(kSquare3), 32, Ramp3(), Ramp3Sampled()},
      {"perspective to the same rectangle", Make<CQorPixelPerspective>(kSquare3), 32, Ramp3(), Ramp3Sampled()},
      {"rotate by 0", Make<CQorPixelRotate>(0), 32, Ramp3(), Ramp3Sampled()},
      {"rotate by 360", Make<CQorPixelRotate>(360), 32, Ramp3(), Ramp3Sampled()},
      {"whirl 0 pinch 0", Make<CQorPixelWhirlPinch>(0.0, 0.0), 32, Ramp3(), whirl},
      {"lens clears outside its ellipse", Make<CQorPixelLens>(1.5, false), 32, Ramp3(), lens},
      {"two small tiles across", Make<CQorPixelSmallTile>(2, 1), 32, {{Op(0), Op(10), Op(20), Op(30)}, {Op(40), Op(50), Op(60), Op(70)}},
       {{Op(0), Op(20), Op(0), Op(20)}, {Op(36), Op(56), Op(36), Op(56)}}},
      {"quarter turn by any angle", Make<CQorPixelRotate>(-270), 32, {{Op(1), Op(2)}, {Op(3), Op(4)}},
       {{Op(2), Op(1)}, {Op(3), Op(1)}}},
      // 3 x 2 turned by 90 grows to 2 x 4 (corners rounded half away from zero); the rows that
      // map outside the source stay empty.
      {"quarter turn of an odd width", Make<CQorPixelRotate>(90), 32, {{Op(1), Op(2), Op(3)}, {Op(4), Op(5), Op(6)}},
       {{0, 0}, {Op(4), Op(1)}, {Op(5), Op(2)}, {0, 0}}},
      {"24-bit images are refused", Make<CQorPixelCylinder>(), 24, Uniform(3, 3, Gray3(5)), {}, 0},
      {"one-pixel-wide images are refused", Make<CQorPixelWave>(3, 3, 0.0), 32, Uniform(1, 3, Op(5)), {}, 0},
      {"one-pixel-high images are refused", Make<CQorPixelSmallTile>(2, 2), 32, Uniform(3, 1, Op(5)), {}, 0},
      // Corners without area would re-create the image empty: the run fails and keeps it.
      {"skew to a point", Make<CQorPixelSkew>(kPoint), 32, Ramp3(), {}, 0},
      {"skew to a line", Make<CQorPixelSkew>(kFlat), 32, Ramp3(), {}, 0},
      {"perspective without width", Make<CQorPixelPerspective>(kNoWidth), 32, Ramp3(), {}, 0},
      // Seed 4 draws: row 0 right by 3, row 1 stays, row 2 left by 2, row 3 right by 2.
      {"row shift", Seeded<CQorPixelShift>(3, 4), 24,
       GreyRows({{0, 1, 2, 3, 4, 5}, {10, 11, 12, 13, 14, 15}, {20, 21, 22, 23, 24, 25}, {30, 31, 32, 33, 34, 35}}),
       GreyRows({{0, 0, 0, 0, 1, 2}, {10, 11, 12, 13, 14, 15}, {22, 23, 24, 25, 25, 25}, {30, 30, 30, 31, 32, 33}})},
      {"shift 0 changes nothing", Make<CQorPixelShift>(0), 24, {{Gray3(1), Gray3(2), Gray3(3)}}, {{Gray3(1), Gray3(2), Gray3(3)}}},
  });
}

TEST(QorDistortions, RotatedSizes) {
  struct Case {
    int w, h, degrees, newW, newH;
  } cases[] = {{3, 2, 90, 2, 4}, {4, 2, 90, 2, 4}, {5, 3, 90, 3, 5}, {4, 2, 0, 4, 2}, {4, 2, 360, 4, 2}, {4, 2, -90, 2, 4}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " by " << c.degrees);
    CQorObjImage img = ImageOf(32, Pattern(c.w, c.h));
    CQorPixelRotate rotate(c.degrees);
    ASSERT_EQ(img.SinglePixelProcessProc(rotate, nullptr), 1);
    EXPECT_EQ(img.Width(), c.newW);
    EXPECT_EQ(img.Height(), c.newH);
  }
  EXPECT_EQ(RunOn<CQorPixelRotate>(Pattern(6, 4), -90), RunOn<CQorPixelRotate>(Pattern(6, 4), 270));
}

TEST(QorDistortions, BoundedParametersActAsTheirBounds) {
  const Rows in = Pattern(9, 7);
  EXPECT_EQ(RunOn<CQorPixelWave>(in, 0, 0, 0.3), RunOn<CQorPixelWave>(in, 1, 1, 0.3));
  EXPECT_NE(RunOn<CQorPixelWave>(in, 1, 1, 0.3), in);
  EXPECT_EQ(RunOn<CQorPixelFractalTrace>(in, 0), RunOn<CQorPixelFractalTrace>(in, 1));
  EXPECT_EQ(RunOn<CQorPixelWhirlPinch>(in, 100.0, 5.0), RunOn<CQorPixelWhirlPinch>(in, 2 * 3.141592653589793, 1.0));
  EXPECT_EQ(RunOn<CQorPixelLens>(in, 0.2, true), RunOn<CQorPixelLens>(in, 1.0, true));
}

TEST(QorDistortions, OverflowingFractalPlacesKeepTheirPixels) {
  // At (149, 199) of a 150 x 200 image the point is c = (0.49, 0.99), whose iteration overflows
  // to infinity and then NaN from the twelfth step on.
  const Rows in = Pattern(150, 200);
  for (int depth : {12, 20, 60}) {
    SCOPED_TRACE(depth);
    const Rows out = RunOn<CQorPixelFractalTrace>(in, depth);
    EXPECT_EQ(out[199][149], in[199][149]);
  }
}

TEST(QorDistortions, ShiftBeyondTheRowFillsItWithItsEdgePixel) {
  // Draws of 0..1000 are nearly always wider than a 3-pixel row: a left move fills the row with
  // its last pixel, a right move with its first.
  for (int bits : {24, 32}) {
    for (uint32_t seed = 1; seed <= 10; ++seed) {
      SCOPED_TRACE(testing::Message() << bits << " bits, seed " << seed);
      Rows in(4);
      for (int y = 0; y < 4; ++y) in[y] = {Rgb(y, 1, 1), Rgb(y, 2, 2), Rgb(y, 3, 3)};
      CQorObjImage img = ImageOf(bits, in);
      CQorPixelShift shift(1000);
      QorSrand(seed);
      ASSERT_EQ(img.SinglePixelProcessProc(shift, nullptr), 1);
      const Rows out = RowsOf(img);
      for (int y = 0; y < 4; ++y) {
        const DWORD v = out[y][0] & 0xFFFFFF;
        EXPECT_TRUE(v == in[y][0] || v == in[y][2]) << "row " << y;
        for (DWORD p : out[y]) EXPECT_EQ(p & 0xFFFFFF, v) << "row " << y;
      }
    }
  }
}

TEST(QorDistortions, ShiftMovesWholeRowsOnly) {
  CQorObjImage img = ImageOf(24, Pattern(40, 6));
  CQorPixelShift shift(7);
  QorSrand(5);
  ASSERT_EQ(img.SinglePixelProcessProc(shift, nullptr), 1);
  const Rows in = Pattern(40, 6), out = RowsOf(img);
  for (int y = 0; y < 6; ++y) {
    // Some r in 0..7 and a direction explain the row.
    bool explained = false;
    for (int r = 0; r <= 7 && !explained; ++r)
      for (int dir = 0; dir < 2 && !explained; ++dir) {
        bool ok = true;
        for (int x = 0; x < 40 && ok; ++x) {
          const int from = dir == 0 ? std::min(x + r, 39) : std::max(x - r, 0);
          ok = (out[y][x] & 0xFFFFFF) == (in[y][from] & 0xFFFFFF);
        }
        explained = ok;
      }
    EXPECT_TRUE(explained) << "row " << y;
  }
}

}  // namespace
