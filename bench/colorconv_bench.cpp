// Colour converters on 1080p frames; the "fps" counter is frames converted per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "reelpane/ColorConv.h"

namespace {

constexpr int kW = 1920, kH = 1080;

struct Frame420 {
  std::vector<uint8_t> y, u, v, uv;
  Frame420() : y(kW * kH), u(kW / 2 * kH / 2), v(kW / 2 * kH / 2), uv(kW * kH / 2) {
    for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<uint8_t>(16 + (i * 7) % 220);
    for (size_t i = 0; i < u.size(); ++i) {
      u[i] = static_cast<uint8_t>(64 + (i * 3) % 128);
      v[i] = static_cast<uint8_t>(200 - (i * 5) % 128);
    }
    for (size_t i = 0; i < uv.size(); ++i) uv[i] = static_cast<uint8_t>(64 + (i * 11) % 128);
  }
};

void SetFps(benchmark::State& state) {
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void BM_YUV420ToRGB24Flipped(benchmark::State& state) {
  Frame420 f;
  std::vector<uint8_t> out(static_cast<size_t>(kW) * 3 * kH);
  for (auto _ : state) {
    ConvertYUV420ToRGB24(out.data(), kW * 3, f.y.data(), f.u.data(), f.v.data(), kW, kW / 2, kW, kH, 1);
    benchmark::DoNotOptimize(out.data());
  }
  SetFps(state);
}
BENCHMARK(BM_YUV420ToRGB24Flipped)->Unit(benchmark::kMillisecond);

// Every table entry from a 4:2:0 frame; arg = surface format.
void BM_EntryFromYV12(benchmark::State& state) {
  Frame420 f;
  const int surface = static_cast<int>(state.range(0));
  std::vector<uint8_t> out(static_cast<size_t>(kW) * 4 * kH);
  uint8_t* dst[3] = {out.data(), out.data() + kW * kH, out.data() + kW * kH + kW / 2 * kH / 2};
  const int pitch = surface == RP_FORMAT_RGB32 ? kW * 4 : surface == RP_FORMAT_RGB24 ? kW * 3 : surface == RP_FORMAT_YV12 ? kW : kW * 2;
  const uint8_t* src[3] = {f.y.data(), f.u.data(), f.v.data()};
  ColorConvertEntry entry = GetColorConverter(RP_FORMAT_YV12, surface);
  for (auto _ : state) {
    entry(dst, pitch, src, kW, kW, kH, 0);
    benchmark::DoNotOptimize(out.data());
  }
  SetFps(state);
}
BENCHMARK(BM_EntryFromYV12)->Arg(RP_FORMAT_YV12)->Arg(RP_FORMAT_YUY2)->Arg(RP_FORMAT_RGB32)->Arg(RP_FORMAT_RGB565)->Unit(benchmark::kMillisecond);

void BM_NV12ToRGB32(benchmark::State& state) {
  Frame420 f;
  std::vector<uint8_t> out(static_cast<size_t>(kW) * 4 * kH);
  for (auto _ : state) {
    ConvertNV12ToRGB32(out.data(), kW * 4, f.y.data(), f.uv.data(), nullptr, kW, kW, kW, kH, 0);
    benchmark::DoNotOptimize(out.data());
  }
  SetFps(state);
}
BENCHMARK(BM_NV12ToRGB32)->Unit(benchmark::kMillisecond);

void BM_RGB32ToYV12(benchmark::State& state) {
  std::vector<uint8_t> rgb(static_cast<size_t>(kW) * 4 * kH);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i * 13);
  Frame420 f;
  for (auto _ : state) {
    ConvertRGB32ToYV12(rgb.data(), kW * 4, f.y.data(), f.u.data(), f.v.data(), kW, kW / 2, kW, kH, 0);
    benchmark::DoNotOptimize(f.y.data());
  }
  SetFps(state);
}
BENCHMARK(BM_RGB32ToYV12)->Unit(benchmark::kMillisecond);

}  // namespace
