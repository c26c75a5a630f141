// Speed of the image operations that print sheets and thumbnails use, on an A4 page at 300 dpi.
#include <benchmark/benchmark.h>

#include "QorPixelmill.h"

using namespace QorPixelmill;

namespace {

constexpr int kWidth = 2480, kHeight = 3508;

CQorObjImage MakePage(int bits) {
  CQorObjImage img(kWidth, kHeight, bits);
  const int bpp = bits / 8;
  for (int y = 0; y < kHeight; ++y) {
    BYTE* p = img.GetBits(y);
    for (int x = 0; x < kWidth; ++x, p += bpp)
      for (int i = 0; i < bpp; ++i) p[i] = static_cast<BYTE>((x * (i + 1) + y * (3 - i)) & 0xFF);
  }
  return img;
}

void BM_StretchSmooth(benchmark::State& state) {
  const CQorObjImage page = MakePage(24);
  const int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();  // only the resize is timed, not the fresh copy of the page
    CQorObjImage img(page);
    state.ResumeTiming();
    benchmark::DoNotOptimize(img.Stretch_Smooth(w, h, nullptr));
  }
}
BENCHMARK(BM_StretchSmooth)->Args({620, 877})->Args({1240, 1754})->Args({4960, 7016})->Unit(benchmark::kMillisecond);

void BM_Stretch(benchmark::State& state) {
  const CQorObjImage page = MakePage(24);
  for (auto _ : state) {
    state.PauseTiming();
    CQorObjImage img(page);
    state.ResumeTiming();
    img.Stretch(1240, 1754);
    benchmark::DoNotOptimize(img.GetMemStart());
  }
}
BENCHMARK(BM_Stretch)->Unit(benchmark::kMillisecond);

void BM_AlphaBlend(benchmark::State& state) {
  CQorObjImage sheet = MakePage(24);
  CQorObjImage overlay = MakePage(32);
  const RECT all{0, 0, kWidth, kHeight};
  const RECT half{0, 0, kWidth / 2, kHeight / 2};
  const bool scaled = state.range(0) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(sheet.AlphaBlend(overlay, all, scaled ? half : all, 60));
}
BENCHMARK(BM_AlphaBlend)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_CombineImage(benchmark::State& state) {
  CQorObjImage base = MakePage(32);
  const CQorObjImage top = MakePage(32);
  for (auto _ : state) benchmark::DoNotOptimize(base.CombineImage(top, 0, 0, 50));
}
BENCHMARK(BM_CombineImage)->Unit(benchmark::kMillisecond);

void BM_FillAndCover(benchmark::State& state) {
  CQorObjImage sheet(kWidth, kHeight, 24);
  const CQorObjImage page = MakePage(24);
  CQorPixelFillColor white(RGBQUAD{255, 255, 255, 0});
  for (auto _ : state) {
    sheet.SinglePixelProcessProc(white, nullptr);
    benchmark::DoNotOptimize(sheet.CoverBlock(page, 10, 10));
  }
}
BENCHMARK(BM_FillAndCover)->Unit(benchmark::kMillisecond);

}  // namespace
