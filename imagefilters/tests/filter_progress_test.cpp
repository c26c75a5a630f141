// Every filter runs through the driver with progress after each row and stops on a cancel.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

// Records each reported position; asks to stop once `cancelAt` positions were reported.
class RecordingProgress : public CQorCommonProgress {
 public:
  explicit RecordingProgress(int cancelAt = 0) : m_cancelAt(cancelAt) {}
  float SetProgress(float fraction) override {
    positions.push_back(fraction);
    if (m_cancelAt > 0 && static_cast<int>(positions.size()) >= m_cancelAt) m_bInterrupted = true;
    return CQorCommonProgress::SetProgress(fraction);
  }
  std::vector<float> positions;

 private:
  int m_cancelAt;
};

CQorObjImage& Pattern() {
  static CQorObjImage p = ImageOf(24, {{Rgb(9, 90, 200), Rgb(250, 3, 40)}});
  return p;
}

struct Named {
  const char* name;
  FilterMaker make;
  bool writesRowsBelow = false;  // flip swaps the top rows with the bottom ones; others re-create or clear
  int rows = 5;                  // rows of the result (a quarter turn has 7)
  bool changes = true;           // analysis passes and the channel split leave the image alone
  int cancelResult = 0;          // the zoom blur reports success when cancelled
};

CQorObjImage& Channel(int v) {
  static std::map<int, CQorObjImage> channels;
  auto it = channels.find(v);
  if (it == channels.end()) {
    Rows r(5);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) r[y].push_back(static_cast<DWORD>((v + 13 * x + 7 * y) % 256));
    it = channels.emplace(v, ImageOf(8, r)).first;
  }
  return it->second;
}

CQorObjImage& KnockoutMask() {
  static CQorObjImage m = ImageOf(32, Uniform(7, 5, Argb(100, 0, 0, 0)));
  return m;
}

CQorObjImage& Scratch() {
  static CQorObjImage s;
  return s;
}

template <class F, class... Args>
FilterMaker Seeded(Args... args) {
  return [=]() {
    auto f = std::unique_ptr<CQorInterfacePixelProcess>(new F(args...));
    QorSrand(3);
    return f;
  };
}

const POINT kSkew[4] = {{2, 0}, {9, 0}, {7, 5}, {0, 5}};
const POINT kTrapezoid[4] = {{0, 0}, {7, 0}, {6, 5}, {1, 5}};

std::vector<Named> AllFilters() {
  using G = CQorPixelGradientBase;
  const RGBQUAD a{10, 20, 30, 255}, b{200, 100, 0, 255};
  return {
      {"adjust rgb", Make<CQorPixelAdjustRGB>(10, 20, -30)},
      {"grayscale", Make<CQorPixelGrayscale>()},
      {"mirror", Make<CQorPixelMirror>()},
      {"flip", Make<CQorPixelFlip>(), true},
      {"hue/saturation", Make<CQorPixelHueSaturation>(50, 150)},
      {"colour tone", Make<CQorPixelColorTone>(a)},
      {"random noise", Make<CQorPixelAddRandomNoise>(60, 3)},
      {"noisify", Make<CQorPixelNoisify>(40)},
      {"3D grid", Make<CQorPixel3DGrid>(3, 40)},
      {"fill pattern", Make<CQorPixelFillPattern>(&Pattern(), 128, false)},
      {"combine colour", Make<CQorPixelCombineColor>(RGBQUAD{1, 2, 3, 128})},
      {"emboss", Make<CQorPixelEmboss>(3)},
      {"threshold", Make<CQorPixelThreshold>(100)},
      {"halftone", Make<CQorPixelHalftoneM3>()},
      {"video", Make<CQorPixelVideo>(CQorPixelVideo::VIDEO_3X3)},
      {"fill grid", Make<CQorPixelFillGrid>(a, b, 2)},
      {"brightness", Make<CQorPixelBrightness>(150, CHANNEL_RGB)},
      {"contrast", Make<CQorPixelContrast>(150, CHANNEL_RGB)},
      {"invert", Make<CQorPixelInvert>(CHANNEL_RGB)},
      {"gamma", Make<CQorPixelGamma>(1.8, CHANNEL_RGB)},
      {"solarize", Make<CQorPixelSolarize>(100, CHANNEL_RGB)},
      {"posterize", Make<CQorPixelPosterize>(3, CHANNEL_RGB)},
      {"blur 3 x 3", Make<CQorPixelGaussianBlur3x3>()},
      {"blur 5 x 5", Make<CQorPixelGaussianBlur5x5>()},
      {"edges", Make<CQorPixelDetectEdges>(2)},
      {"sharp", Make<CQorPixelSharp>(3)},
      {"median", Make<CQorPixelMedianFilter>(3)},
      {"oil paint", Make<CQorPixelOilPaint>(2)},
      {"linear gradient", Make<CQorPixelGradientLine>(POINT{0, 0}, POINT{5, 3}, a, b, G::REPEAT_REFLECT)},
      {"bilinear gradient", Make<CQorPixelGradientBiLine>(POINT{3, 2}, POINT{5, 3}, a, b, G::REPEAT_PAD)},
      {"conical gradient", Make<CQorPixelGradientConicalSym>(POINT{3, 2}, POINT{5, 3}, a, b, G::REPEAT_PAD)},
      {"asymmetric conical gradient", Make<CQorPixelGradientConicalASym>(POINT{3, 2}, POINT{5, 3}, a, b, G::REPEAT_PAD)},
      {"rectangle gradient", Make<CQorPixelGradientRect>(RECT{1, 1, 5, 4}, a, b, G::REPEAT_REPEAT)},
      {"radial gradient", Make<CQorPixelGradientRadial>(RECT{1, 1, 5, 4}, a, b, G::REPEAT_PAD)},
      {"auto contrast", Make<CQorPixelAutoContrast>()},
      {"auto colour enhance", Make<CQorPixelAutoColorEnhance>()},
      {"levels", Make<CQorPixelColorLevel>(true, 0, 255, CHANNEL_RGB)},
      {"colour balance", Make<CQorPixelColorBalance>(true, CQorPixelColorBalance::TONE_SHADOWS, 30, -20, 10)},
      {"rotate 90", Make<CQorPixelRotate90>(), true, 7},
      {"rotate 180", Make<CQorPixelRotate180>(), true},
      {"rotate 270", Make<CQorPixelRotate270>(), true, 7},
      {"mosaic", Make<CQorPixelMosaic>(2)},
      {"illusion", Make<CQorPixelIllusion>(3)},
      {"splash", Seeded<CQorPixelSplash>(5)},
      {"deinterlace", Make<CPixelDeinterlace>(CPixelDeinterlace::SCAN_ODD_FIELD)},
      {"split channels", Make<CQorPixelSpliteChannelRGB>(&Scratch(), nullptr, nullptr), false, 5, false},
      {"combine channels", Make<CQorPixelCombineChannelRGB>(&Channel(1), &Channel(2), &Channel(3)), true},
      {"3D frame", Make<CQorPixelFill3DSolidFrame>(4)},
      {"cylinder", Make<CQorPixelCylinder>()},
      {"wave", Make<CQorPixelWave>(3, 2, 0.5)},
      {"whirl and pinch", Make<CQorPixelWhirlPinch>(2.0, 0.5)},
      {"fractal trace", Make<CQorPixelFractalTrace>(3)},
      {"lens", Make<CQorPixelLens>(1.7, false), true},
      {"skew", Make<CQorPixelSkew>(kSkew), true},
      {"perspective", Make<CQorPixelPerspective>(kTrapezoid), true},
      {"rotate 30", Make<CQorPixelRotate>(30), true, 7},
      {"ribbon", Make<CQorPixelRibbon>(60, 9), true},
      {"small tiles", Make<CQorPixelSmallTile>(2, 2)},
      {"row shift", Seeded<CQorPixelShift>(4)},
      {"colour count", Make<CQorPixelColorsCount>(), false, 5, false},
      {"key colour", Make<CQorPixelGetKeyColor>(), false, 5, false},
      {"box blur", Make<CQorPixelBlurBox>(3, true)},
      {"zoom blur", Make<CQorPixelBlurZoom>(10), false, 5, true, 1},
      {"radial blur", Make<CQorPixelBlurRadial>(30)},
      {"motion blur", Make<CPixelBlurMotion>(3, DIRECT_RIGHT)},
      {"glass tiles", Make<CQorPixelGlasstile>(4, 4)},
      {"knock-out", Make<CQorPixelKnockout>(std::cref(KnockoutMask()))},
      {"optimized rectangle", Make<CQorPixelGetOptimizedRect>(), false, 5, false},
      {"find edge", Make<CQorPixelFindEdge>(false)},
      {"adjust range", Make<CQorPixelAdjustRange>(40)},
  };
}

Rows Sample() {
  Rows r(5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) r[y].push_back(Argb(100 + 20 * y, 30 * x + 7 * y, 200 - 25 * x, 11 * x * y % 256));
  return r;
}

TEST(QorFilterRuns, ProgressAfterEachRowAndCancel) {
  for (const Named& f : AllFilters()) {
    SCOPED_TRACE(f.name);
    std::vector<float> fullRun;
    for (int y = 0; y < f.rows; ++y) fullRun.push_back(static_cast<float>((y + 1) * 100 / f.rows / 100.0));
    {
      CQorObjImage img = ImageOf(32, Sample());
      RecordingProgress progress;
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &progress), 1);
      EXPECT_EQ(progress.positions, fullRun);
      if (f.changes) EXPECT_NE(RowsOf(img), Sample()) << "the filter changed something";
      else EXPECT_EQ(RowsOf(img), Sample());
    }
    {
      CQorObjImage img = ImageOf(32, Sample());
      RecordingProgress progress(2);
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &progress), f.cancelResult) << "a cancel fails the run";
      EXPECT_EQ(progress.positions, (std::vector<float>{fullRun[0], fullRun[1]}));
      const Rows got = RowsOf(img), before = Sample();
      if (!f.writesRowsBelow)
        for (int y = 2; y < 5; ++y) EXPECT_EQ(got[y], before[y]) << "row " << y << " after the cancel";
    }
  }
}

}  // namespace

namespace {

// Filters that run inner steps in progress sub-ranges close every range they open, also when
// cancelled inside one.
TEST(QorFilterRuns, SubRangesAreClosedWhenCancelled) {
  const std::string path = testing::TempDir() + "progress_ascii.txt";
  const std::vector<Named> nested = {
      {"Gaussian blur", Make<CQorPixelBlurGaussIIR>(2, 3)},
      {"inner bevel", Make<CQorPixelInnerBevel>(2, 3)},
      {"soft edges", Make<CQorPixelSmoothEdge>(2)},
      {"drop shadow", Make<CQorPixelAddShadow>(SHADOWDATA{})},
      {"ASCII export", [path]() { return std::unique_ptr<CQorInterfacePixelProcess>(new CQorPixelExportAscII(path.c_str())); }},
  };
  for (const Named& f : nested) {
    SCOPED_TRACE(f.name);
    RecordingProgress full;
    {
      CQorObjImage img = ImageOf(32, Sample());
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &full), 1);
      EXPECT_EQ(full.m_ranges.size(), 1u);
      EXPECT_FLOAT_EQ(full.m_fOffset, 1.0f) << "the sub-ranges cover the run";
    }
    ASSERT_GT(full.positions.size(), 3u);
    for (size_t cancelAt = 1; cancelAt <= full.positions.size(); ++cancelAt) {
      SCOPED_TRACE(cancelAt);
      CQorObjImage img = ImageOf(32, Sample());
      RecordingProgress progress(static_cast<int>(cancelAt));
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &progress), 0);
      EXPECT_EQ(progress.positions.size(), cancelAt);
      EXPECT_EQ(progress.m_ranges.size(), 1u);
    }
  }
  std::remove(path.c_str());
}

}  // namespace
