// Point filters: exact pixels for each rule, the constructor bounds, and the bounds that keep
// huge parameters from overflowing.
#include <gtest/gtest.h>

#include <climits>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

constexpr RGBQUAD Quad(int r, int g, int b, int a) {
  return RGBQUAD{static_cast<BYTE>(b), static_cast<BYTE>(g), static_cast<BYTE>(r), static_cast<BYTE>(a)};
}

// Builds the filter, then restarts the random sequence (the constructor seeds it with the time).
template <class F>
FilterMaker Seeded(int amount, uint32_t seed) {
  return [=]() {
    auto f = std::unique_ptr<CQorInterfacePixelProcess>(new F(amount));
    QorSrand(seed);
    return f;
  };
}

CQorObjImage& WhiteBlackPattern() {
  static CQorObjImage p = ImageOf(32, {{Argb(255, 255, 255, 255), Argb(255, 0, 0, 0)}});
  return p;
}
CQorObjImage& PlainPattern24() {
  static CQorObjImage p = ImageOf(24, {{Rgb(10, 20, 30)}});
  return p;
}
CQorObjImage& IndexedPattern() {
  static CQorObjImage p = ImageOf(8, {{1}});
  return p;
}

TEST(QorPointFilters, ExactPixels) {
  const Rows grey6 = Uniform(6, 6, Gray3(100));
  const Rows hsIn = {{Rgb(200, 100, 0), Rgb(30, 60, 200), Rgb(10, 200, 120)}};
  RunFilterCases({
      {"adjust rgb clamps each channel", Make<CQorPixelAdjustRGB>(10, -20, 300), 24,
       {{Rgb(100, 10, 0), Rgb(250, 30, 200)}}, {{Rgb(110, 0, 255), Rgb(255, 10, 255)}}},
      {"adjust rgb with extreme deltas saturates", Make<CQorPixelAdjustRGB>(INT_MAX, INT_MIN, 1), 24,
       {{Rgb(200, 5, 7)}}, {{Rgb(255, 0, 8)}}},
      {"grayscale keeps alpha", Make<CQorPixelGrayscale>(), 32, {{Argb(77, 100, 150, 200)}},
       {{Argb(77, 140, 140, 140)}}},
      {"mirror odd width keeps the middle", Make<CQorPixelMirror>(), 24, {{1, 2, 3}, {4, 5, 6}}, {{3, 2, 1}, {6, 5, 4}}},
      {"mirror 8-bit", Make<CQorPixelMirror>(), 8, {{1, 2, 3, 4}}, {{4, 3, 2, 1}}},
      {"mirror 32-bit swaps alpha too", Make<CQorPixelMirror>(), 32, {{Argb(1, 2, 3, 4), Argb(5, 6, 7, 8)}},
       {{Argb(5, 6, 7, 8), Argb(1, 2, 3, 4)}}},
      {"mirror refuses 4-bit", Make<CQorPixelMirror>(), 4, {{1, 2}}, {}, 0},
      {"flip odd height keeps the middle", Make<CQorPixelFlip>(), 24, {{1, 2}, {3, 4}, {5, 6}}, {{5, 6}, {3, 4}, {1, 2}}},
      {"flip 8-bit", Make<CQorPixelFlip>(), 8, {{1}, {2}}, {{2}, {1}}},
      {"hue/saturation 100/100 is one round trip", Make<CQorPixelHueSaturation>(100, 100), 24, hsIn,
       {{0xC86400, 0x1E3BC8, 0x09C878}}},
      {"hue is scaled, not shifted", Make<CQorPixelHueSaturation>(50, 100), 24, hsIn, {{0xC83100, 0x2CC81E, 0x90C809}}},
      {"saturation 0 gives grey", Make<CQorPixelHueSaturation>(100, 0), 24, hsIn, {{0x646464, 0x737373, 0x696969}}},
      {"negative saturation behaves as 0", Make<CQorPixelHueSaturation>(100, -40), 24, hsIn,
       {{0x646464, 0x737373, 0x696969}}},
      {"saturation 150", Make<CQorPixelHueSaturation>(100, 150), 24, hsIn, {{0xFA6300, 0x0020F2, 0x00F77F}}},
      {"colour tone by grey value", Make<CQorPixelColorTone>(Quad(200, 100, 50, 0)), 24,
       {{Rgb(0, 0, 0), Rgb(255, 255, 255), Gray3(128), Rgb(200, 100, 0)}},
       {{0x000000, 0xFFFFFF, 0x663319, 0x582C15}}},
      {"seeded random noise", Make<CQorPixelAddRandomNoise>(100, 42), 24, Uniform(2, 2, Gray3(128)),
       {{0x854F4F, 0x757FAA}, {0x7E6566, 0xA9B153}}},
      {"noisify 0 changes nothing", Seeded<CQorPixelNoisify>(0, 7), 24, {{Rgb(1, 2, 3), Gray3(250)}},
       {{Rgb(1, 2, 3), Gray3(250)}}},
      {"noisify 100, one value for all channels", Seeded<CQorPixelNoisify>(100, 7), 24, Uniform(2, 2, Gray3(120)),
       {{0x000000, 0x6E6E6E}, {0xE1E1E1, 0x5B5B5B}}},
      {"noisify above 100 behaves as 100", Seeded<CQorPixelNoisify>(1000, 7), 24, Uniform(2, 2, Gray3(120)),
       {{0x000000, 0x6E6E6E}, {0xE1E1E1, 0x5B5B5B}}},
      {"3D grid cell 4", Make<CQorPixel3DGrid>(4, 10), 24, grey6,
       {{Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(90), Gray3(90), Gray3(100), Gray3(100), Gray3(90)},
        {Gray3(100), Gray3(110), Gray3(110), Gray3(100), Gray3(100), Gray3(110)},
        {Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(90), Gray3(90), Gray3(100), Gray3(100), Gray3(90)}}},
      {"3D grid cell 5 reaches the column rules", Make<CQorPixel3DGrid>(5, 10), 24, grey6,
       {{Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(90), Gray3(90), Gray3(90), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(110), Gray3(100), Gray3(90), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(110), Gray3(110), Gray3(110), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)},
        {Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100), Gray3(100)}}},
      {"3D grid cell 0 changes nothing", Make<CQorPixel3DGrid>(0, 50), 24, grey6, grey6},
      {"3D grid cell 1 changes nothing", Make<CQorPixel3DGrid>(1, 50), 24, grey6, grey6},
      {"3D grid with an extreme depth saturates", Make<CQorPixel3DGrid>(5, INT_MIN), 24,
       {{Gray3(100), Gray3(100)}, {Gray3(100), Gray3(100)}}, {{Gray3(100), Gray3(100)}, {Gray3(100), Gray3(255)}}},
      {"fill pattern over opaque pixels", Make<CQorPixelFillPattern>(&PlainPattern24(), 255, false), 32,
       {{Argb(255, 1, 1, 1), Argb(255, 2, 2, 2)}}, {{Argb(255, 10, 20, 30), Argb(255, 10, 20, 30)}}},
      {"fill pattern embossed, tiled", Make<CQorPixelFillPattern>(&WhiteBlackPattern(), 100, true), 32,
       Uniform(3, 1, Argb(200, 100, 100, 100)), {{Argb(200, 51, 51, 51), Argb(200, 150, 150, 150), Argb(200, 51, 51, 51)}}},
      {"fill pattern refuses a 24-bit image", Make<CQorPixelFillPattern>(&PlainPattern24(), 255, false), 24,
       {{Rgb(1, 2, 3)}}, {}, 0},
      {"fill pattern refuses a missing pattern", Make<CQorPixelFillPattern>(nullptr, 255, false), 32,
       {{Argb(9, 1, 2, 3)}}, {}, 0},
      {"fill pattern refuses an indexed pattern", Make<CQorPixelFillPattern>(&IndexedPattern(), 255, false), 32,
       {{Argb(9, 1, 2, 3)}}, {}, 0},
      {"combine colour of alpha 0", Make<CQorPixelCombineColor>(Quad(1, 2, 3, 0)), 32,
       {{Argb(100, 10, 20, 30), Argb(0, 10, 20, 30)}}, {{Argb(100, 10, 20, 30), Argb(0, 255, 255, 255)}}},
      {"combine colour of alpha 255", Make<CQorPixelCombineColor>(Quad(1, 2, 3, 255)), 32,
       {{Argb(100, 10, 20, 30), Argb(0, 10, 20, 30)}}, {{Argb(255, 1, 2, 3), Argb(255, 1, 2, 3)}}},
      {"combine colour refuses 24-bit", Make<CQorPixelCombineColor>(Quad(1, 2, 3, 255)), 24, {{Rgb(1, 2, 3)}}, {}, 0},
      {"emboss, last column 128", Make<CQorPixelEmboss>(2), 32,
       {{Argb(7, 100, 100, 100), Argb(8, 90, 100, 100), Argb(9, 95, 95, 95)}},
       {{Argb(7, 134, 134, 134), Argb(8, 131, 131, 131), Argb(9, 128, 128, 128)}}},
      {"emboss with an extreme depth saturates", Make<CQorPixelEmboss>(INT_MAX), 24,
       {{Rgb(1, 1, 100), Rgb(0, 0, 100), Rgb(0, 0, 100)}}, {{Gray3(255), Gray3(128), Gray3(128)}}},
      {"threshold 0: only grey 0 is black", Make<CQorPixelThreshold>(0), 24,
       {{Gray3(0), Rgb(0, 0, 5), Rgb(0, 0, 10), Gray3(255)}}, {{Gray3(0), Gray3(0), Gray3(255), Gray3(255)}}},
      {"threshold below 0 behaves as 0", Make<CQorPixelThreshold>(-7), 24, {{Gray3(0), Rgb(0, 0, 10)}},
       {{Gray3(0), Gray3(255)}}},
      {"threshold 255: all black", Make<CQorPixelThreshold>(255), 24, {{Gray3(255), Gray3(3)}}, {{0, 0}}},
      {"threshold above 255 behaves as 255", Make<CQorPixelThreshold>(999), 24, {{Gray3(255)}}, {{0}}},
      {"halftone against the 8 x 8 matrix (grey 100, wraps at 8)", Make<CQorPixelHalftoneM3>(), 24,
       Uniform(9, 9, Gray3(100)),
       {{Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255)},
        {Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(0), Gray3(0)},
        {Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255)},
        {Gray3(0), Gray3(0), Gray3(0), Gray3(255), Gray3(0), Gray3(0), Gray3(0), Gray3(255), Gray3(0)},
        {Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255)},
        {Gray3(0), Gray3(255), Gray3(0), Gray3(0), Gray3(0), Gray3(255), Gray3(0), Gray3(0), Gray3(0)},
        {Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255)},
        {Gray3(0), Gray3(0), Gray3(0), Gray3(255), Gray3(0), Gray3(0), Gray3(0), Gray3(255), Gray3(0)},
        {Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255), Gray3(0), Gray3(255)}}},
      {"video stripes, 32-bit alpha kept", Make<CQorPixelVideo>(CQorPixelVideo::VIDEO_TRIPED), 32,
       Uniform(2, 4, Argb(5, 200, 100, 100)),
       {{Argb(5, 200, 100, 200), Argb(5, 200, 100, 200)},
        {Argb(5, 200, 200, 100), Argb(5, 200, 200, 100)},
        {Argb(5, 255, 100, 100), Argb(5, 255, 100, 100)},
        {Argb(5, 200, 100, 200), Argb(5, 200, 100, 200)}}},
      {"video 5 x 15 pattern", Make<CQorPixelVideo>(CQorPixelVideo::VIDEO_DOTS), 24, Uniform(5, 15, Gray3(90)),
       {{Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 90, 180)},
        {Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180)},
        {Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(180, 90, 90)},
        {Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180)},
        {Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(180, 90, 90)},
        {Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(180, 90, 90)},
        {Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90)},
        {Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(90, 180, 90)},
        {Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90)},
        {Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 180, 90)},
        {Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(90, 180, 90)},
        {Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90)},
        {Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 90, 180), Rgb(90, 90, 180)},
        {Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 180, 90)},
        {Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(180, 90, 90), Rgb(90, 90, 180)}}},
      {"video type above 3 is bounded to 3", Make<CQorPixelVideo>(static_cast<CQorPixelVideo::VIDEO_TYPE>(9)), 24,
       Uniform(5, 2, Gray3(90)),
       {{Rgb(90, 90, 180), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180), Rgb(90, 90, 180)},
        {Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(90, 180, 90), Rgb(180, 90, 90), Rgb(90, 90, 180)}}},
      {"video type below 0 is bounded to 0", Make<CQorPixelVideo>(static_cast<CQorPixelVideo::VIDEO_TYPE>(-4)), 24,
       Uniform(2, 3, Gray3(90)),
       {{Rgb(90, 90, 180), Rgb(90, 180, 90)}, {Rgb(90, 90, 180), Rgb(180, 90, 90)}, {Rgb(90, 180, 90), Rgb(180, 90, 90)}}},
      {"fill grid, alpha kept", Make<CQorPixelFillGrid>(Quad(3, 2, 1, 0), Quad(6, 5, 4, 0), 2), 32,
       Uniform(4, 3, Argb(9, 0, 0, 0)),
       {{Argb(9, 3, 2, 1), Argb(9, 3, 2, 1), Argb(9, 6, 5, 4), Argb(9, 6, 5, 4)},
        {Argb(9, 3, 2, 1), Argb(9, 3, 2, 1), Argb(9, 6, 5, 4), Argb(9, 6, 5, 4)},
        {Argb(9, 6, 5, 4), Argb(9, 6, 5, 4), Argb(9, 3, 2, 1), Argb(9, 3, 2, 1)}}},
      {"fill grid cell 0 behaves as 1", Make<CQorPixelFillGrid>(Quad(3, 2, 1, 0), Quad(6, 5, 4, 0), 0), 24,
       Uniform(2, 2, 0), {{Rgb(3, 2, 1), Rgb(6, 5, 4)}, {Rgb(6, 5, 4), Rgb(3, 2, 1)}}},
  });
}

TEST(QorPointFilters, VideoTypeIsBoundedInTheConstructor) {
  for (int type : {-100, -1, 4, 1000, INT_MAX}) {
    CQorPixelVideo v(static_cast<CQorPixelVideo::VIDEO_TYPE>(type));
    EXPECT_EQ(v.GetType(), type < 0 ? CQorPixelVideo::VIDEO_STAGGERED : CQorPixelVideo::VIDEO_DOTS) << type;
  }
}

TEST(QorRandom, ClassicSequenceAndRange) {
  // The C runtime's classic generator from seed 1 and seed 0; every value in 0..32767.
  QorSrand(1);
  const int fromOne[] = {41, 18467, 6334, 26500, 19169};
  for (int v : fromOne) EXPECT_EQ(QorRand(), v);
  QorSrand(0);
  EXPECT_EQ(QorRand(), 38);
  EXPECT_EQ(QorRand(), 7719);
  int hi = 0;
  for (int i = 0; i < 200000; ++i) hi = std::max(hi, QorRand());
  EXPECT_EQ(hi, kQorRandMax);
}

TEST(QorSelectedPixel, FilterBlendsByWeight) {
  // Invert through the weighted path: weight 0 keeps, 255 replaces, 128 blends all four bytes.
  struct Case {
    BYTE weight;
    DWORD expected;
  };
  const Case cases[] = {{0, Argb(200, 10, 100, 250)}, {255, Argb(200, 245, 155, 5)}, {128, Argb(200, 127, 127, 127)}};
  for (const Case& c : cases) {
    CQorObjImage img = ImageOf(32, {{Argb(200, 10, 100, 250)}});
    CQorPixelInvert invert;
    invert.OnEnterProcess(&img);
    invert.ProcessSelectedPixel(&img, 0, 0, img.GetBits(0, 0), c.weight);
    EXPECT_EQ(img.GetPixelData(0, 0), c.expected) << int(c.weight);
  }
}

TEST(QorSelection, WeightsInsideAndOutside) {
  CQorObjSelection sel;
  EXPECT_TRUE(sel.IsEmpty());
  EXPECT_FALSE(sel.Create(0, 5));
  EXPECT_FALSE(sel.Create(3, -1));
  ASSERT_TRUE(sel.Create(3, 2, 7));
  sel.SetWeight(2, 1, 200);
  sel.SetWeight(3, 1, 99);   // outside: ignored
  sel.SetWeight(-1, 0, 99);  // outside: ignored
  EXPECT_EQ(sel.GetWeight(2, 1), 200);
  EXPECT_EQ(sel.GetWeight(0, 0), 7);
  EXPECT_EQ(sel.GetWeight(3, 1), 0);
  EXPECT_EQ(sel.GetWeight(0, 2), 0);
  EXPECT_EQ(sel.Width(), 3);
  EXPECT_EQ(sel.Height(), 2);
  // A run over a selection is not one of these filters' operations: the interface answers 0.
  CQorObjImage img = ImageOf(32, {{0, 0, 0}, {0, 0, 0}});
  CQorPixelInvert invert;
  EXPECT_EQ(invert.ProcessSelectionImage(&img, POINT{0, 0}, sel, nullptr), 0);
}

}  // namespace
