// Box, zoom, radial, motion and recursive Gaussian blurs.
#include <gtest/gtest.h>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

constexpr DWORD Op(int v) { return Argb(255, v, v, v); }

Rows Spot(int w, int h, int x, int y, DWORD value, DWORD ground) {
  Rows r = Uniform(w, h, ground);
  r[y][x] = value;
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

Rows GreyRow(std::initializer_list<int> values) {
  Rows r(1);
  for (int v : values) r[0].push_back(Gray3(v));
  return r;
}

Rows Pattern(int w, int h) {
  Rows r(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) r[y].push_back(Argb(255 - 3 * x, (37 * x + 11 * y) % 256, (5 * x * y) % 256, 200 - x - y));
  return r;
}

TEST(QorBlurs, ExactPixels) {
  const Rows box3 = {{Gray3(10), Gray3(10), Gray3(10), 0}, {Gray3(10), Gray3(10), Gray3(10), 0},
                     {Gray3(10), Gray3(10), Gray3(10), 0}, {0, 0, 0, 0}};
  // An even box reaches one pixel further up and left: (1, 1) feeds (1..2, 1..2).
  const Rows box2 = {{0, 0, 0}, {0, Gray3(20), Gray3(20)}, {0, Gray3(20), Gray3(20)}};
  // Without edges the outside is transparent: the alpha average thins, the colour stays.
  const Rows thin = {{Argb(113, 100, 100, 100), Argb(170, 100, 100, 100), Argb(113, 100, 100, 100)},
                     {Argb(170, 100, 100, 100), Op(100), Argb(170, 100, 100, 100)},
                     {Argb(113, 100, 100, 100), Argb(170, 100, 100, 100), Argb(113, 100, 100, 100)}};
  const Rows ramp = GreyRow({0, 30, 60, 90, 120, 150});
  RunFilterCases({
      {"box 3 around one bright pixel", Make<CQorPixelBlurBox>(3, true), 24, Spot(4, 4, 1, 1, Gray3(90), 0), box3},
      {"box 2", Make<CQorPixelBlurBox>(2, true), 24, Spot(3, 3, 1, 1, Gray3(80), 0), box2},
      {"box 1 acts as 2", Make<CQorPixelBlurBox>(1, true), 24, Spot(3, 3, 1, 1, Gray3(80), 0), box2},
      {"box 0 acts as 2", Make<CQorPixelBlurBox>(0, true), 24, Spot(3, 3, 1, 1, Gray3(80), 0), box2},
      {"box without edges", Make<CQorPixelBlurBox>(3, false), 32, Uniform(3, 3, Op(100)), thin},
      {"uniform under a filled box", Make<CQorPixelBlurBox>(5, true), 32, Uniform(4, 3, Op(77)), Uniform(4, 3, Op(77))},
      // Colour x alpha sums over 201 x 201 pixels pass 2^31.
      {"white under a large box", Make<CQorPixelBlurBox>(201, true), 32, Uniform(3, 2, Op(255)), Uniform(3, 2, Op(255))},
      {"zoom of length 0", Make<CQorPixelBlurZoom>(0), 32, Pattern(5, 4), Pattern(5, 4)},
      {"uniform under zoom", Make<CQorPixelBlurZoom>(20), 32, Uniform(5, 4, Op(77)), Uniform(5, 4, Op(77))},
      // The centre (1, 1) of a 3 x 3 image stays; (2, 1) gathers itself and, from scale 1.5 on,
      // the ray leaves the image.
      {"zoom", Make<CQorPixelBlurZoom>(30), 24, {{0, 0, 0}, {0, Gray3(9), Gray3(90)}, {0, 0, 0}},
       {{0, 0, 0}, {0, Gray3(9), Gray3(90)}, {0, 0, 0}}},
      // R = 4, n = trunc(sqrt(4) x 0.698 x 4 + 2) = 7 samples over 40 degrees, stride R / r.
      {"radial of 40", Make<CQorPixelBlurRadial>(40), 24, GreyRows({{0, 29, 58, 87, 116, 145}, {53, 82, 111, 140, 169, 198}, {106, 135, 164, 193, 222, 251}, {159, 188, 217, 246, 19, 48}, {212, 241, 14, 43, 72, 101}}), GreyRows({{7, 14, 43, 72, 101, 130}, {37, 41, 70, 125, 128, 157}, {83, 108, 137, 193, 166, 195}, {128, 147, 176, 178, 234, 135}, {181, 200, 101, 231, 31, 60}})},
      {"radial of 0", Make<CQorPixelBlurRadial>(0), 32, Pattern(5, 4), Pattern(5, 4)},
      {"radial of 360", Make<CQorPixelBlurRadial>(360), 32, Pattern(5, 4), Pattern(5, 4)},
      {"uniform under radial", Make<CQorPixelBlurRadial>(40), 32, Uniform(5, 4, Op(77)), Uniform(5, 4, Op(77))},
      {"motion rightward", Make<CPixelBlurMotion>(2, DIRECT_RIGHT), 24, ramp, GreyRow({15, 45, 75, 105, 120, 150})},
      {"motion leftward", Make<CPixelBlurMotion>(0, DIRECT_LEFT), 24, ramp, GreyRow({0, 30, 45, 75, 105, 135})},
      {"motion of 1 acts as 2", Make<CPixelBlurMotion>(1, DIRECT_RIGHT), 24, ramp, GreyRow({15, 45, 75, 105, 120, 150})},
      // Distance 3: the last sums take the row's last pixel as the edge colour.
      {"motion 3 rightward", Make<CPixelBlurMotion>(3, DIRECT_RIGHT), 24, ramp, GreyRow({30, 60, 90, 120, 120, 150})},
      {"uniform under motion", Make<CPixelBlurMotion>(4, DIRECT_LEFT), 32, Uniform(7, 2, Argb(90, 1, 2, 3)),
       Uniform(7, 2, Argb(90, 1, 2, 3))},
      {"motion on 4 pixels is refused", Make<CPixelBlurMotion>(2, DIRECT_RIGHT), 24, GreyRow({1, 2, 3, 4}), {}, 0},
      {"motion upward is refused", Make<CPixelBlurMotion>(2, static_cast<DIRECT_SYS>(1)), 24, ramp, {}, 0},
      // Rows with radius 1 (r = 2), then columns with radius 2 (r = 3), each truncated.
      {"Gaussian", Make<CQorPixelBlurGaussIIR>(1, 2), 24, GreyRows({{0, 29, 58, 87, 116, 145}, {53, 82, 111, 140, 169, 198}, {106, 135, 164, 193, 222, 251}, {159, 188, 217, 246, 19, 48}, {212, 241, 14, 43, 72, 101}}), GreyRows({{21, 45, 74, 103, 132, 156}, {59, 84, 112, 140, 162, 185}, {110, 133, 155, 172, 160, 174}, {161, 173, 155, 153, 107, 112}, {199, 193, 99, 87, 75, 89}})},
      {"uniform under Gaussian", Make<CQorPixelBlurGaussIIR>(3, 5), 24, Uniform(9, 7, Gray3(128)),
       Uniform(9, 7, Gray3(128))},
  });
}

template <class Fi, class... Args>
Rows RunOn(int bits, const Rows& in, Args... args) {
  CQorObjImage img = ImageOf(bits, in);
  Fi f(args...);
  EXPECT_EQ(img.SinglePixelProcessProc(f, nullptr), 1);
  return RowsOf(img);
}

TEST(QorBlurs, AnglesAndRadiiAtTheirBounds) {
  const Rows in = Pattern(9, 8);
  EXPECT_EQ(RunOn<CQorPixelBlurRadial>(32, in, 720), in);
  EXPECT_EQ(RunOn<CQorPixelBlurRadial>(32, in, -30), RunOn<CQorPixelBlurRadial>(32, in, 30));
  EXPECT_NE(RunOn<CQorPixelBlurRadial>(32, in, 30), in);
  EXPECT_EQ(RunOn<CQorPixelBlurGaussIIR>(32, in, 0, 0), RunOn<CQorPixelBlurGaussIIR>(32, in, 1, 1));
}

TEST(QorBlurs, GaussianKeepsAlphaAndIsSymmetric) {
  Rows in = Spot(9, 9, 4, 4, Argb(17, 250, 250, 250), Argb(200, 0, 0, 0));
  in[0][0] = Argb(3, 0, 0, 0);
  const Rows out = RunOn<CQorPixelBlurGaussIIR>(32, in, 2, 2);
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 9; ++x) {
      EXPECT_EQ(out[y][x] >> 24, in[y][x] >> 24) << x << "," << y;
      EXPECT_EQ(out[y][x] & 0xFFFFFF, out[y][8 - x] & 0xFFFFFF) << x << "," << y;
      EXPECT_EQ(out[y][x] & 0xFFFFFF, out[8 - y][x] & 0xFFFFFF) << x << "," << y;
    }
  // A spread impulse, falling away from the centre.
  EXPECT_LT(out[4][4] & 0xFF, 250u);
  EXPECT_GT(out[4][4] & 0xFF, out[4][5] & 0xFF);
  EXPECT_GT(out[4][5] & 0xFF, out[4][7] & 0xFF);
}

}  // namespace
