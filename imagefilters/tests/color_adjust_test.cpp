// Automatic and tonal-range colour filters: exact pixels, the automatic levels' search on known
// histograms, and bounded balance amounts.
#include <gtest/gtest.h>

#include <climits>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

using Bal = CQorPixelColorBalance;

TEST(QorColorAdjust, ExactPixels) {
  const Rows balIn = {{Rgb(50, 50, 50), Rgb(200, 120, 40), Rgb(10, 100, 250), Rgb(255, 0, 128)}};
  RunFilterCases({
      {"auto contrast stretches each channel", Make<CQorPixelAutoContrast>(), 24,
       {{Rgb(0, 77, 10), Rgb(255, 77, 15), Rgb(100, 77, 20)}},
       {{Rgb(0, 77, 0), Rgb(255, 77, 127), Rgb(100, 77, 255)}}},
      {"auto contrast keeps alpha", Make<CQorPixelAutoContrast>(), 32, {{Argb(3, 5, 5, 10), Argb(4, 5, 5, 20)}},
       {{Argb(3, 5, 5, 0), Argb(4, 5, 5, 255)}}},
      {"auto colour enhance of one colour", Make<CQorPixelAutoColorEnhance>(), 24, Uniform(2, 2, Rgb(200, 120, 40)),
       Uniform(2, 2, Rgb(200, 120, 40))},
      {"auto colour enhance stretches the value", Make<CQorPixelAutoColorEnhance>(), 32,
       {{Argb(9, 200, 120, 40), Argb(9, 100, 100, 100), Argb(9, 30, 60, 90)}},
       {{Argb(9, 0xC8, 0x49, 0x00), Argb(9, 100, 100, 100), Argb(9, 0x00, 0x2B, 0x5A)}}},
      {"levels 0..255 are the identity", Make<CQorPixelColorLevel>(false, 0, 255, CHANNEL_RGB), 24,
       {{Rgb(0, 1, 2), Rgb(127, 128, 255)}}, {{Rgb(0, 1, 2), Rgb(127, 128, 255)}}},
      {"levels 50..50 are a step at 50", Make<CQorPixelColorLevel>(false, 50, 50, CHANNEL_RGB), 24,
       {{Rgb(49, 50, 51), Rgb(0, 255, 1)}}, {{Rgb(0, 0, 255), Rgb(0, 255, 0)}}},
      {"levels on red only, rounded", Make<CQorPixelColorLevel>(false, 100, 200, CHANNEL_RED), 32,
       {{Argb(8, 150, 150, 150), Argb(8, 99, 201, 7)}}, {{Argb(8, 128, 150, 150), Argb(8, 0, 201, 7)}}},
      {"levels bound low and high to 0..255", Make<CQorPixelColorLevel>(false, 300, -5, CHANNEL_RGB), 24,
       {{Rgb(55, 0, 255)}}, {{Rgb(200, 255, 0)}}},
      {"balance with all amounts 0 is the identity", Make<Bal>(false, Bal::TONE_MIDTONES, 0, 0, 0), 24, balIn, balIn},
      {"balance: red in highlights lifts light reds more", Make<Bal>(false, Bal::TONE_HIGHLIGHTS, 50, 0, 0), 24,
       balIn, {{0x5B3232, 0xFA7828, 0x2064FA, 0xFF0080}}},
      {"balance: negative amounts in shadows", Make<Bal>(false, Bal::TONE_SHADOWS, -30, -30, -30), 24, balIn,
       {{0x141414, 0xAF5B0A, 0x0047F1, 0xFD0064}}},
      {"balance in midtones", Make<Bal>(false, Bal::TONE_MIDTONES, 40, -20, 10), 32,
       {{Argb(1, 50, 50, 50), Argb(2, 200, 120, 40), Argb(3, 10, 100, 250), Argb(4, 255, 0, 128)}},
       {{0x01422A36, 0x02D96B2B, 0x030E58FA, 0x04FF0086}}},
      {"balance keeping lightness", Make<Bal>(true, Bal::TONE_MIDTONES, 40, -20, 10), 24, balIn,
       {{0x3D2632, 0xCB6124, 0x0A55F9, 0xFF0085}}},
      {"balance with a huge amount saturates", Make<Bal>(false, Bal::TONE_HIGHLIGHTS, INT_MAX, 0, 0), 24,
       {{Rgb(200, 0, 0), Rgb(0, 0, 0)}}, {{Rgb(255, 0, 0), Rgb(255, 0, 0)}}},
      {"balance with a huge negative amount saturates", Make<Bal>(false, Bal::TONE_SHADOWS, 0, 0, INT_MIN), 24,
       {{Rgb(0, 0, 50), Rgb(0, 0, 255)}}, {{Rgb(0, 0, 0), Rgb(0, 0, 0)}}},
      {"8-bit images are refused", Make<CQorPixelAutoContrast>(), 8, {{1}}, {}, 0},
  });
}

TEST(QorColorAdjust, AutomaticLevelsClipTheTails) {
  // 1000 pixels; red: 6 at 0, 4 at 1, 980 at 128, 4 at 254, 6 at 255; green: 3 at 0, 3 at 1,
  // 4 at 2, 980 at 128, 4 at 253, 3 at 254, 3 at 255; blue 77 everywhere.
  std::vector<int> red, green;
  auto add = [](std::vector<int>& v, int value, int n) { v.insert(v.end(), n, value); };
  add(red, 0, 6), add(red, 1, 4), add(red, 128, 980), add(red, 254, 4), add(red, 255, 6);
  add(green, 0, 3), add(green, 1, 3), add(green, 2, 4), add(green, 128, 980), add(green, 253, 4), add(green, 254, 3),
      add(green, 255, 3);
  Rows in(1);
  for (int i = 0; i < 1000; ++i) in[0].push_back(Rgb(red[i], green[i], 77));
  CQorObjImage img = ImageOf(24, in);
  CQorPixelColorLevel level(true, 0, 255, CHANNEL_RGB);
  ASSERT_EQ(img.SinglePixelProcessProc(level, nullptr), 1);
  EXPECT_EQ(level.GetLow(2), 1);
  EXPECT_EQ(level.GetHigh(2), 254);
  EXPECT_EQ(level.GetLow(1), 2);
  EXPECT_EQ(level.GetHigh(1), 253);
  EXPECT_EQ(level.GetLow(0), 77) << "a single-valued channel";
  EXPECT_EQ(level.GetHigh(0), 77);
  // The single-valued blue becomes 0; red and green 128 round to 128.
  EXPECT_EQ(img.GetPixelData(500, 0), Rgb(128, 128, 0));
  EXPECT_EQ(img.GetPixelData(0, 0), Rgb(0, 0, 0));
  EXPECT_EQ(img.GetPixelData(999, 0), Rgb(255, 255, 0));

  // A histogram with no pixels gives 0 and 0.
  CQorPixelColorLevel empty(true, 10, 20, CHANNEL_RGB);
  empty.AutoColorLevelChannel(CQorHistogram(CQorObjImage()), CHANNEL_RED);
  EXPECT_EQ(empty.GetLow(2), 0);
  EXPECT_EQ(empty.GetHigh(2), 0);
  EXPECT_EQ(empty.GetLow(1), 10) << "other channels untouched";
}

}  // namespace
