// The Direct3D 9 renderer on 1080p frames into a headless window: conversion into the locked
// texture, the linear stretch into the back buffer and the present. Counter "fps": frames
// rendered per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ReelpaneFactory.h"
#include "d3dtest.h"
#include "dxtest.h"
#include "dxwindow.h"

namespace {

constexpr int kW = 1920, kH = 1080;

void BM_D3D9RenderFrame(benchmark::State& state) {
  const int winW = static_cast<int>(state.range(0)), winH = static_cast<int>(state.range(1));
  const int mode = static_cast<int>(state.range(2));
  lwdx::ResetDxConfig();
  lwdx::ResetD3DConfig();
  const HWND hwnd = reinterpret_cast<HWND>(uintptr_t{0xB002});
  lwdx::RegisterWindowTarget(hwnd, std::make_shared<lwdx::CaptureWindow>(winW, winH));
  std::vector<uint8_t> y(static_cast<size_t>(kW) * kH), u(static_cast<size_t>(kW / 2) * (kH / 2)), v(u.size());
  for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<uint8_t>(16 + (i * 7) % 220);
  for (size_t i = 0; i < u.size(); ++i) {
    u[i] = static_cast<uint8_t>(64 + (i * 3) % 128);
    v[i] = static_cast<uint8_t>(200 - (i * 5) % 128);
  }
  IReelpane* r = CreateReelpane(2);
  r->SetVideoSize(kW, kH);
  r->Attach(hwnd, mode);
  for (auto _ : state) r->RenderFrame(y.data(), u.data(), v.data(), kW);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  r->Detach();
  r->Release();
  lwdx::UnregisterWindowTarget(hwnd);
}
// Same size, letterboxed into a wider window, stretched into a smaller one.
BENCHMARK(BM_D3D9RenderFrame)->Args({1920, 1080, 0})->Args({2560, 1080, 1})->Args({1280, 720, 0})->Unit(benchmark::kMillisecond);

}  // namespace
