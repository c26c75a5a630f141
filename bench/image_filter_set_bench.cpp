// Speed of each image filter over an A4 page at 300 dpi (2480 x 3508, 32 bits), run through the
// driver as the program runs them. The page is filtered again at every iteration.
#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

#include "QorPixelmill.h"

using namespace QorPixelmill;

namespace {

constexpr int kWidth = 2480, kHeight = 3508;

CQorObjImage& Page() {
  static CQorObjImage img = [] {
    CQorObjImage p(kWidth, kHeight, 32);
    for (int y = 0; y < kHeight; ++y) {
      BYTE* px = p.GetBits(y);
      for (int x = 0; x < kWidth; ++x, px += 4) {
        px[0] = static_cast<BYTE>((x * 7 + y * 3) & 0xFF);
        px[1] = static_cast<BYTE>((x ^ y) & 0xFF);
        px[2] = static_cast<BYTE>((x * y / 97) & 0xFF);
        px[3] = static_cast<BYTE>(255 - ((x + y) & 0x7F));
      }
    }
    return p;
  }();
  return img;
}

CQorObjImage& Pattern() {
  static CQorObjImage p(64, 64, 24);
  return p;
}

using Maker = std::function<std::unique_ptr<CQorInterfacePixelProcess>()>;

template <class F, class... Args>
Maker Make(Args... args) {
  return [=]() { return std::unique_ptr<CQorInterfacePixelProcess>(new F(args...)); };
}

void RunFilter(benchmark::State& state, const Maker& make) {
  CQorObjImage img = Page();
  auto filter = make();
  for (auto _ : state) benchmark::DoNotOptimize(img.SinglePixelProcessProc(*filter, nullptr));
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

const int kRegistered = [] {
  using G = CQorPixelGradientBase;
  const RGBQUAD a{10, 20, 30, 255}, b{200, 100, 0, 255};
  const POINT from{100, 200}, to{2000, 3000};
  const RECT box{200, 300, 2200, 3200};
  const std::pair<const char*, Maker> filters[] = {
      {"AdjustRGB", Make<CQorPixelAdjustRGB>(10, 20, -30)},
      {"Grayscale", Make<CQorPixelGrayscale>()},
      {"Mirror", Make<CQorPixelMirror>()},
      {"Flip", Make<CQorPixelFlip>()},
      {"HueSaturation", Make<CQorPixelHueSaturation>(80, 120)},
      {"ColorTone", Make<CQorPixelColorTone>(a)},
      {"AddRandomNoise", Make<CQorPixelAddRandomNoise>(40, 1)},
      {"Noisify", Make<CQorPixelNoisify>(40)},
      {"3DGrid", Make<CQorPixel3DGrid>(16, 30)},
      {"FillPattern", Make<CQorPixelFillPattern>(&Pattern(), 128, true)},
      {"CombineColor", Make<CQorPixelCombineColor>(RGBQUAD{1, 2, 3, 128})},
      {"Emboss", Make<CQorPixelEmboss>(3)},
      {"Threshold", Make<CQorPixelThreshold>(128)},
      {"HalftoneM3", Make<CQorPixelHalftoneM3>()},
      {"Video", Make<CQorPixelVideo>(CQorPixelVideo::VIDEO_DOTS)},
      {"FillGrid", Make<CQorPixelFillGrid>(a, b, 8)},
      {"Brightness", Make<CQorPixelBrightness>(120, CHANNEL_RGB)},
      {"Contrast", Make<CQorPixelContrast>(120, CHANNEL_RGB)},
      {"Invert", Make<CQorPixelInvert>(CHANNEL_RGB)},
      {"Gamma", Make<CQorPixelGamma>(2.2, CHANNEL_RGB)},
      {"Solarize", Make<CQorPixelSolarize>(128, CHANNEL_RGB)},
      {"Posterize", Make<CQorPixelPosterize>(4, CHANNEL_RGB)},
      {"GaussianBlur3x3", Make<CQorPixelGaussianBlur3x3>()},
      {"GaussianBlur5x5", Make<CQorPixelGaussianBlur5x5>()},
      {"DetectEdges3", Make<CQorPixelDetectEdges>(3)},
      {"Sharp", Make<CQorPixelSharp>(4)},
      {"Median3", Make<CQorPixelMedianFilter>(3)},
      {"OilPaint2", Make<CQorPixelOilPaint>(2)},
      {"GradientLine", Make<CQorPixelGradientLine>(from, to, a, b, G::REPEAT_REFLECT)},
      {"GradientBiLine", Make<CQorPixelGradientBiLine>(from, to, a, b, G::REPEAT_PAD)},
      {"GradientConicalSym", Make<CQorPixelGradientConicalSym>(from, to, a, b, G::REPEAT_PAD)},
      {"GradientConicalASym", Make<CQorPixelGradientConicalASym>(from, to, a, b, G::REPEAT_PAD)},
      {"GradientRect", Make<CQorPixelGradientRect>(box, a, b, G::REPEAT_REPEAT)},
      {"GradientRadial", Make<CQorPixelGradientRadial>(box, a, b, G::REPEAT_PAD)},
      {"AutoContrast", Make<CQorPixelAutoContrast>()},
      {"AutoColorEnhance", Make<CQorPixelAutoColorEnhance>()},
      {"ColorLevelAuto", Make<CQorPixelColorLevel>(true, 0, 255, CHANNEL_RGB)},
      {"ColorBalance", Make<CQorPixelColorBalance>(true, CQorPixelColorBalance::TONE_MIDTONES, 30, -20, 10)},
  };
  for (const auto& [name, make] : filters)
    benchmark::RegisterBenchmark((std::string("BM_Filter/") + name).c_str(),
                                 [make = make](benchmark::State& s) { RunFilter(s, make); })
        ->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace
