// Every filter runs through the driver with progress after each row and stops on a cancel.
#include <gtest/gtest.h>

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
  bool writesRowsBelow = false;  // flip swaps the top rows with the bottom ones
};

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
  };
}

Rows Sample() {
  Rows r(5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 7; ++x) r[y].push_back(Argb(100 + 20 * y, 30 * x + 7 * y, 200 - 25 * x, 11 * x * y % 256));
  return r;
}

TEST(QorFilterRuns, ProgressAfterEachRowAndCancel) {
  const std::vector<float> fullRun = {0.2f, 0.4f, 0.6f, 0.8f, 1.0f};
  for (const Named& f : AllFilters()) {
    SCOPED_TRACE(f.name);
    {
      CQorObjImage img = ImageOf(32, Sample());
      RecordingProgress progress;
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &progress), 1);
      EXPECT_EQ(progress.positions, fullRun);
      EXPECT_NE(RowsOf(img), Sample()) << "the filter changed something";
    }
    {
      CQorObjImage img = ImageOf(32, Sample());
      RecordingProgress progress(2);
      auto filter = f.make();
      EXPECT_EQ(img.SinglePixelProcessProc(*filter, &progress), 0) << "a cancel fails the run";
      EXPECT_EQ(progress.positions, (std::vector<float>{0.2f, 0.4f}));
      const Rows got = RowsOf(img), before = Sample();
      if (!f.writesRowsBelow)
        for (int y = 2; y < 5; ++y) EXPECT_EQ(got[y], before[y]) << "row " << y << " after the cancel";
    }
  }
}

}  // namespace
