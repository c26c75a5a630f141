// Pixel routines and the histogram.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "ImageTestUtil.h"
#include "QorPixelRoutines.h"

using namespace QorPixelmill;
using pixeltest::Argb;
using pixeltest::MakeImage;

namespace {

TEST(QorRoutines, RotatePointAround) {
  struct Case {
    int x, y;
    double cx, cy, angle;
    int ex, ey;
  };
  const double quarter = std::acos(0.0);
  const Case cases[] = {
      {10, 0, 0, 0, 0, 10, 0},
      {10, 0, 0, 0, quarter, 0, 10},        // clockwise on screen: right turns to down
      {0, 10, 0, 0, quarter, -10, 0},
      {3, 0, 0.5, 0, 2 * quarter, -2, 0},   // -2.0 exactly
      {0, 0, -0.25, 0, 2 * quarter, -1, 0}, // -0.5 rounds away from zero
      {0, 0, 0.25, 0, 2 * quarter, 1, 0},   // 0.5 rounds away from zero
  };
  for (const Case& c : cases) {
    const POINT p = RotatePointAround(c.x, c.y, c.cx, c.cy, c.angle);
    EXPECT_EQ(p.x, c.ex) << c.x << "," << c.y << " by " << c.angle;
    EXPECT_EQ(p.y, c.ey) << c.x << "," << c.y << " by " << c.angle;
  }
}

TEST(QorRoutines, CombinePixelOver) {
  struct Case {
    int sA;
    BYTE dst[4];
    BYTE src[4];
    BYTE out[4];
  };
  const Case cases[] = {
      {0, {1, 2, 3, 50}, {9, 9, 9, 0}, {1, 2, 3, 50}},          // nothing over something
      {0, {1, 2, 3, 0}, {9, 9, 9, 0}, {255, 255, 255, 0}},      // nothing over nothing: white, clear
      {100, {1, 2, 3, 0}, {9, 8, 7, 255}, {9, 8, 7, 100}},      // over a clear pixel: the source
      {255, {1, 2, 3, 200}, {9, 8, 7, 0}, {9, 8, 7, 255}},      // opaque source; its own byte is not read
      // d = 0 x 100 + 255 x 255 = 65025; blue (155 x 255 x 0 + 100 x 255 x 255) / 65025 = 100,
      // green (155 x 255 x 255) / 65025 = 155; alpha 255
      {100, {0, 255, 10, 255}, {255, 0, 10, 0}, {100, 155, 10, 255}},
      // d = 205 x 128 + 50 x 255 = 38990; blue (127 x 50 x 200 + 128 x 255 x 0) / 38990 = 32;
      // green (0 + 128 x 255 x 100) / 38990 = 83; alpha 38990 / 255 = 152
      {128, {200, 0, 0, 50}, {0, 100, 0, 0}, {32, 83, 0, 152}},
  };
  for (const Case& c : cases) {
    BYTE d[4] = {c.dst[0], c.dst[1], c.dst[2], c.dst[3]};
    const int a = CombinePixelOver(c.sA, d, c.src);
    EXPECT_EQ(std::vector<BYTE>(d, d + 4), std::vector<BYTE>(c.out, c.out + 4)) << c.sA;
    EXPECT_EQ(a, c.out[3]);
  }
}

TEST(QorRoutines, BlendPixelRGB) {
  struct Case {
    int alpha;
    BYTE out[4];
  };
  // destination {10, 200, 0, 77}, source {250, 0, 255, 1}
  const Case cases[] = {
      {0, {10, 200, 0, 77}},
      {255, {250, 0, 255, 77}},
      {300, {250, 0, 255, 77}},
      // 10 + 240 x 100 / 255 = 104; 200 - 200 x 100 / 255 = 122 (truncated toward zero); 255 x 100 / 255 = 100
      {100, {104, 122, 100, 77}},
  };
  for (const Case& c : cases) {
    BYTE d[4] = {10, 200, 0, 77};
    const BYTE s[4] = {250, 0, 255, 1};
    BlendPixelRGB(d, s, c.alpha);
    EXPECT_EQ(std::vector<BYTE>(d, d + 4), std::vector<BYTE>(c.out, c.out + 4)) << c.alpha;
  }
}

TEST(QorRoutines, BilinearSample) {
  struct Case {
    const char* name;
    BYTE p[4][4];
    bool alpha;
    double fx, fy;
    DWORD result;
  };
  const Case cases[] = {
      {"two black, two white", {{0, 0, 0, 0}, {255, 255, 255, 0}, {0, 0, 0, 0}, {255, 255, 255, 0}}, false, 0.5, 0.5,
       Argb(255, 127, 127, 127)},
      {"equal colours, 24 bits", {{1, 2, 3, 9}, {1, 2, 3, 8}, {1, 2, 3, 7}, {1, 2, 3, 6}}, false, 0.5, 0.5,
       Argb(255, 3, 2, 1)},
      {"equal pixels, alpha-aware", {{1, 2, 3, 9}, {1, 2, 3, 9}, {1, 2, 3, 9}, {1, 2, 3, 9}}, true, 0.5, 0.5,
       Argb(9, 3, 2, 1)},
      {"no fraction", {{1, 2, 3, 9}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}}, true, 0.0, 1e-8, Argb(9, 3, 2, 1)},
      {"opaque, alpha-aware", {{0, 0, 0, 255}, {100, 0, 0, 255}, {0, 0, 0, 255}, {100, 0, 0, 255}}, true, 0.25, 0.0,
       Argb(255, 0, 0, 25)},
      {"clear result", {{5, 5, 5, 0}, {9, 9, 9, 0}, {5, 5, 5, 0}, {9, 9, 9, 0}}, true, 0.5, 0.5, Argb(0, 255, 255, 255)},
      // alpha 0 + 200 x 0.5 = 100; blue (0 + 200 x 200 x 0.5) / 100 = 200: colour of the only visible pixel
      {"weighted by alpha", {{0, 0, 0, 0}, {200, 0, 0, 200}, {0, 0, 0, 0}, {200, 0, 0, 200}}, true, 0.5, 0.0,
       Argb(100, 0, 0, 200)},
      // alphas 2 and 1: a = trunc(1.9) = 1, colour trunc(484.5) / 1 = 484 held at 255
      {"quotient above 255", {{255, 255, 255, 2}, {255, 255, 255, 1}, {255, 255, 255, 2}, {255, 255, 255, 1}}, true,
       0.1, 0.0, Argb(1, 255, 255, 255)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(BilinearSample(c.p[0], c.p[1], c.p[2], c.p[3], c.alpha, c.fx, c.fy), c.result) << c.name;
  }
}

TEST(QorRoutines, BilinearSampleReadsThreeBytesOfTrueColourPixels) {
  // The last pixel of a 24-bit block has no fourth byte: exact-size heap buffers let a
  // sanitizer catch any wider read.
  std::vector<BYTE> a{0, 0, 0}, b{255, 255, 255}, c{0, 0, 0}, d{255, 255, 255};
  EXPECT_EQ(BilinearSample(a.data(), b.data(), c.data(), d.data(), false, 0.5, 0.5), Argb(255, 127, 127, 127));
}

TEST(QorRoutines, HlsRoundTrips) {
  struct Case {
    BYTE bgr[3];
    double h, l, s;
  };
  const Case cases[] = {
      {{0, 0, 255}, 0.0, 0.5, 1.0},
      {{0, 255, 0}, 1.0 / 3, 0.5, 1.0},
      {{255, 0, 0}, 2.0 / 3, 0.5, 1.0},
      {{128, 128, 128}, 0.0, 128 / 255.0, 0.0},
      {{255, 0, 255}, 5.0 / 6, 0.5, 1.0},  // magenta: h = 4 + (1 - 0) ... -> (-1 / 6) + 1
  };
  for (const Case& c : cases) {
    double h, l, s;
    RGBtoHLS(c.bgr, h, l, s);
    EXPECT_NEAR(h, c.h, 1e-12);
    EXPECT_NEAR(l, c.l, 1e-12);
    EXPECT_NEAR(s, c.s, 1e-12);
    const RGBQUAD q = HLStoRGB(l, s, h);
    EXPECT_EQ(q.rgbReserved, 255);
    // Channels truncate: 255 x 1.0 = 255, 0 stays 0, 128 / 255 x 255 may land on 127.
    EXPECT_NEAR(q.rgbBlue, c.bgr[0], 1);
    EXPECT_NEAR(q.rgbGreen, c.bgr[1], 1);
    EXPECT_NEAR(q.rgbRed, c.bgr[2], 1);
  }
  const RGBQUAD grey = HLStoRGB(0.5, 0.0, 0.3);
  EXPECT_EQ(grey.rgbRed, 127);
  EXPECT_EQ(grey.rgbGreen, 127);
  EXPECT_EQ(grey.rgbBlue, 127);
  const RGBQUAD bright = HLStoRGB(1.5, 0.0, 0.0);
  EXPECT_EQ(bright.rgbRed, 255) << "clamped";
  // l = 0.75, s = 1: m2 = 1.0, m1 = 0.5; h = 0 -> red m2, green m1 + 0.5 x 0 = 0.5, blue ch(-2 + 6 = 4) = m1
  const RGBQUAD pink = HLStoRGB(0.75, 1.0, 0.0);
  EXPECT_EQ(pink.rgbRed, 255);
  EXPECT_EQ(pink.rgbGreen, 127);
  EXPECT_EQ(pink.rgbBlue, 127);
}

TEST(QorRoutines, HsvRoundTrips) {
  struct Case {
    BYTE bgr[3];
    double h, s, v;
  };
  const Case cases[] = {
      {{0, 0, 255}, 0.0, 1.0, 1.0},
      {{80, 80, 80}, 0.0, 0.0, 80 / 255.0},
      {{0, 255, 255}, 1.0 / 6, 1.0, 1.0},
      {{255, 0, 0}, 2.0 / 3, 1.0, 1.0},
      {{128, 0, 255}, 1.0 - (128 / 255.0) / 6, 1.0, 1.0},  // rose: negative hue wraps
  };
  for (const Case& c : cases) {
    double h, s, v;
    RGBtoHSV(c.bgr, h, s, v);
    EXPECT_NEAR(h, c.h, 1e-12);
    EXPECT_NEAR(s, c.s, 1e-12);
    EXPECT_NEAR(v, c.v, 1e-12);
    const RGBQUAD q = HSVtoRGB(h, s, v);
    EXPECT_EQ(q.rgbReserved, 255);
    EXPECT_NEAR(q.rgbBlue, c.bgr[0], 1);
    EXPECT_NEAR(q.rgbGreen, c.bgr[1], 1);
    EXPECT_NEAR(q.rgbRed, c.bgr[2], 1);
  }
  struct Exact {
    double h, s, v;
    BYTE r, g, b;
  };
  const Exact exact[] = {
      {1.0, 1.0, 1.0, 255, 0, 0},      // hue 1 counts as 0
      {0.5, 1.0, 1.0, 0, 255, 255},
      {0.25, 0.5, 1.0, 191, 255, 127}, // i = 1, f = 0.5: q = 0.75
      {0.3, 0.0, 0.5, 127, 127, 127},  // no saturation: grey from V
      {1.5, 1.0, 1.0, 0, 0, 0},        // sector outside 0..5: black
  };
  for (const Exact& e : exact) {
    const RGBQUAD q = HSVtoRGB(e.h, e.s, e.v);
    EXPECT_EQ(q.rgbRed, e.r) << e.h;
    EXPECT_EQ(q.rgbGreen, e.g) << e.h;
    EXPECT_EQ(q.rgbBlue, e.b) << e.h;
  }
}

TEST(QorHistogram, CountsPerChannel) {
  const CQorObjImage img = MakeImage(24, {{0x0000FF, 0x00FF00, 0x00FF00}});  // one blue, two green pixels
  const CQorHistogram hist(img);
  EXPECT_EQ(hist.GetTotal(), 3);
  EXPECT_EQ(hist.GetLow(), 0);
  EXPECT_EQ(hist.GetHigh(), 255);
  const std::vector<DWORD>& blue = hist.GetChannelTable(CHANNEL_BLUE);
  const std::vector<DWORD>& green = hist.GetChannelTable(CHANNEL_GREEN);
  const std::vector<DWORD>& red = hist.GetChannelTable(CHANNEL_RED);
  const std::vector<DWORD>& lum = hist.GetChannelTable(CHANNEL_RGB);
  ASSERT_EQ(lum.size(), 256u);
  EXPECT_EQ(blue[255], 1u);
  EXPECT_EQ(blue[0], 2u);
  EXPECT_EQ(green[255], 2u);
  EXPECT_EQ(red[0], 3u);
  EXPECT_EQ(lum[28], 1u);   // 11 x 255 / 100
  EXPECT_EQ(lum[150], 2u);  // 59 x 255 / 100
  EXPECT_EQ(&hist.GetChannelTable(static_cast<IMAGE_CHANNEL>(0)), &lum);

  const CQorHistogram none(MakeImage(8, {{1, 2}}));
  EXPECT_EQ(none.GetTotal(), 0);
  EXPECT_EQ(none.GetChannelTable(CHANNEL_RED)[0], 0u);
}

}  // namespace
