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

// For filters that change the page's size or format: each iteration starts from the page.
void RunFilterOnFreshPage(benchmark::State& state, const Maker& make) {
  auto filter = make();
  for (auto _ : state) {
    state.PauseTiming();
    CQorObjImage img = Page();
    state.ResumeTiming();
    benchmark::DoNotOptimize(img.SinglePixelProcessProc(*filter, nullptr));
  }
  state.SetItemsProcessed(state.iterations() * int64_t{kWidth} * kHeight);
}

CQorObjImage& Channel(int v) {
  static CQorObjImage channels[3] = {CQorObjImage(kWidth, kHeight, 8), CQorObjImage(kWidth, kHeight, 8),
                                     CQorObjImage(kWidth, kHeight, 8)};
  return channels[v];
}

CQorObjImage& Output(int v) {
  static CQorObjImage outputs[3];
  return outputs[v];
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
  static const POINT skew[4] = {{300, 0}, {kWidth + 300, 0}, {kWidth, kHeight}, {0, kHeight}};
  static const POINT trapezoid[4] = {{0, 0}, {kWidth, 0}, {kWidth - 400, kHeight}, {400, kHeight}};
  const std::pair<const char*, Maker> fresh[] = {
      {"Rotate90", Make<CQorPixelRotate90>()},
      {"Rotate180", Make<CQorPixelRotate180>()},
      {"Rotate270", Make<CQorPixelRotate270>()},
      {"Mosaic16", Make<CQorPixelMosaic>(16)},
      {"Illusion8", Make<CQorPixelIllusion>(8)},
      {"Splash9", Make<CQorPixelSplash>(9)},
      {"Deinterlace", Make<CPixelDeinterlace>(CPixelDeinterlace::SCAN_EVEN_FIELD)},
      {"SpliteChannelRGB", Make<CQorPixelSpliteChannelRGB>(&Output(0), &Output(1), &Output(2))},
      {"CombineChannelRGB", Make<CQorPixelCombineChannelRGB>(&Channel(0), &Channel(1), &Channel(2))},
      {"Fill3DSolidFrame", Make<CQorPixelFill3DSolidFrame>(40)},
      {"Cylinder", Make<CQorPixelCylinder>()},
      {"Wave", Make<CQorPixelWave>(40, 12, 0.0)},
      {"WhirlPinch", Make<CQorPixelWhirlPinch>(2.0, 0.3)},
      {"FractalTrace20", Make<CQorPixelFractalTrace>(20)},
      {"Lens", Make<CQorPixelLens>(1.7, false)},
      {"Skew", Make<CQorPixelSkew>(skew)},
      {"Perspective", Make<CQorPixelPerspective>(trapezoid)},
      {"Rotate30", Make<CQorPixelRotate>(30)},
      {"Ribbon", Make<CQorPixelRibbon>(40, 20)},
      {"SmallTile", Make<CQorPixelSmallTile>(3, 3)},
      {"Shift", Make<CQorPixelShift>(50)},
      {"ColorsCount", Make<CQorPixelColorsCount>()},
      {"GetKeyColor", Make<CQorPixelGetKeyColor>()},
      {"BlurBox9", Make<CQorPixelBlurBox>(9, true)},
      {"BlurZoom20", Make<CQorPixelBlurZoom>(20)},
      {"BlurRadial10", Make<CQorPixelBlurRadial>(10)},
      {"BlurMotion15", Make<CPixelBlurMotion>(15, DIRECT_RIGHT)},
      {"BlurGaussIIR5", Make<CQorPixelBlurGaussIIR>(5, 5)},
      {"ExportAscII", Make<CQorPixelExportAscII>("/dev/null")},
      {"Glasstile16", Make<CQorPixelGlasstile>(16, 16)},
      {"InnerBevel", Make<CQorPixelInnerBevel>(20, 9)},
      {"SmoothEdge5", Make<CQorPixelSmoothEdge>(5)},
      {"AddShadow", Make<CQorPixelAddShadow>(SHADOWDATA{})},
      {"Knockout", Make<CQorPixelKnockout>(std::cref(Page()))},
      {"GetOptimizedRect", Make<CQorPixelGetOptimizedRect>()},
      {"FindEdge", Make<CQorPixelFindEdge>(true)},
      {"AdjustRange", Make<CQorPixelAdjustRange>(50)},
  };
  for (const auto& [name, make] : fresh)
    benchmark::RegisterBenchmark((std::string("BM_Filter/") + name).c_str(),
                                 [make = make](benchmark::State& s) { RunFilterOnFreshPage(s, make); })
        ->Unit(benchmark::kMillisecond);
  return 0;
}();

}  // namespace
