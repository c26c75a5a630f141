// The colour converters beside libswscale on the same 1080p frames, in one run: each case times
// ours ("Ours") and swscale's accurate path ("SwsAccurate": SWS_POINT | SWS_ACCURATE_RND |
// SWS_BITEXACT, one thread) and its fast path ("SwsFast": SWS_FAST_BILINEAR) on the same
// conversion. The "fps" counter is frames converted per second.
#include <benchmark/benchmark.h>

extern "C" {
#include <libavutil/pixfmt.h>
#include <libswscale/swscale.h>
}

#include <cstdint>
#include <vector>

#include "reelpane/ColorConv.h"

namespace {

constexpr int kW = 1920, kH = 1080;

// One picture in every layout a case reads: 4:2:0 planes, NV12, packed 4:2:2 and BGR0.
struct Frames {
  std::vector<uint8_t> y, u, v, uv, yuy2, bgr0, bgr24, rgb565;
  Frames()
      : y(kW * kH), u(kW / 2 * kH / 2), v(kW / 2 * kH / 2), uv(kW * kH / 2), yuy2(kW * 2 * kH), bgr0(kW * 4 * kH),
        bgr24(kW * 3 * kH), rgb565(kW * 2 * kH) {
    for (size_t i = 0; i < y.size(); ++i) y[i] = static_cast<uint8_t>(16 + (i * 7) % 220);
    for (size_t i = 0; i < u.size(); ++i) {
      u[i] = static_cast<uint8_t>(64 + (i * 3) % 128);
      v[i] = static_cast<uint8_t>(200 - (i * 5) % 128);
    }
    for (size_t i = 0; i < uv.size(); ++i) uv[i] = static_cast<uint8_t>(64 + (i * 11) % 128);
    for (size_t i = 0; i < yuy2.size(); ++i) yuy2[i] = static_cast<uint8_t>(16 + (i * 13) % 220);
    for (size_t i = 0; i < bgr0.size(); ++i) bgr0[i] = static_cast<uint8_t>(i * 13);
    for (size_t i = 0; i < bgr24.size(); ++i) bgr24[i] = static_cast<uint8_t>(i * 13);
    for (size_t i = 0; i < rgb565.size(); ++i) rgb565[i] = static_cast<uint8_t>(i * 29);
  }
};

enum Conversion {
  kYV12ToRGB32,
  kYV12ToRGB24,
  kYV12ToRGB565,
  kYV12ToYUY2,
  kNV12ToRGB32,
  kRGB32ToYV12,
  kYUY2ToYV12,
  kRGB24ToYV12,
  kRGB565ToYV12,
};
enum Side { kOurs, kSwsAccurate, kSwsFast };

struct Shape {
  AVPixelFormat from, to;
  int outBytesPerPixel;  // 0: planar 4:2:0 out
};

Shape ShapeOf(Conversion c) {
  switch (c) {
    case kYV12ToRGB32: return {AV_PIX_FMT_YUV420P, AV_PIX_FMT_BGR0, 4};
    case kYV12ToRGB24: return {AV_PIX_FMT_YUV420P, AV_PIX_FMT_BGR24, 3};
    case kYV12ToRGB565: return {AV_PIX_FMT_YUV420P, AV_PIX_FMT_RGB565LE, 2};
    case kYV12ToYUY2: return {AV_PIX_FMT_YUV420P, AV_PIX_FMT_YUYV422, 2};
    case kNV12ToRGB32: return {AV_PIX_FMT_NV12, AV_PIX_FMT_BGR0, 4};
    case kRGB32ToYV12: return {AV_PIX_FMT_BGR0, AV_PIX_FMT_YUV420P, 0};
    case kYUY2ToYV12: return {AV_PIX_FMT_YUYV422, AV_PIX_FMT_YUV420P, 0};
    case kRGB24ToYV12: return {AV_PIX_FMT_BGR24, AV_PIX_FMT_YUV420P, 0};
    case kRGB565ToYV12: return {AV_PIX_FMT_RGB565LE, AV_PIX_FMT_YUV420P, 0};
  }
  return {};
}

void BM_Convert(benchmark::State& state) {
  const auto conv = static_cast<Conversion>(state.range(0));
  const auto side = static_cast<Side>(state.range(1));
  static const Frames f;
  const Shape shape = ShapeOf(conv);
  std::vector<uint8_t> out(static_cast<size_t>(kW) * 4 * kH);
  uint8_t* const planesOut[3] = {out.data(), out.data() + kW * kH, out.data() + kW * kH + kW / 2 * kH / 2};
  const int outPitch = shape.outBytesPerPixel ? kW * shape.outBytesPerPixel : kW;

  // The source planes and strides of the conversion, as both sides read them.
  const uint8_t* src[4] = {};
  int srcStride[4] = {};
  switch (shape.from) {
    case AV_PIX_FMT_YUV420P:
      src[0] = f.y.data(), src[1] = f.u.data(), src[2] = f.v.data();
      srcStride[0] = kW, srcStride[1] = srcStride[2] = kW / 2;
      break;
    case AV_PIX_FMT_NV12:
      src[0] = f.y.data(), src[1] = f.uv.data();
      srcStride[0] = srcStride[1] = kW;
      break;
    case AV_PIX_FMT_YUYV422:
      src[0] = f.yuy2.data(), srcStride[0] = kW * 2;
      break;
    case AV_PIX_FMT_BGR24:
      src[0] = f.bgr24.data(), srcStride[0] = kW * 3;
      break;
    case AV_PIX_FMT_RGB565LE:
      src[0] = f.rgb565.data(), srcStride[0] = kW * 2;
      break;
    default:
      src[0] = f.bgr0.data(), srcStride[0] = kW * 4;
      break;
  }

  SwsContext* sws = nullptr;
  if (side != kOurs) {
    const int flags = side == kSwsAccurate ? (SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT) : SWS_FAST_BILINEAR;
    sws = sws_getContext(kW, kH, shape.from, kW, kH, shape.to, flags, nullptr, nullptr, nullptr);
    if (!sws) {
      state.SkipWithError("swscale refused the conversion");
      return;
    }
  }
  uint8_t* dst[4] = {planesOut[0], planesOut[1], planesOut[2], nullptr};
  int dstStride[4] = {outPitch, shape.outBytesPerPixel ? 0 : kW / 2, shape.outBytesPerPixel ? 0 : kW / 2, 0};

  for (auto _ : state) {
    if (sws) {
      sws_scale(sws, src, srcStride, 0, kH, dst, dstStride);
    } else {
      switch (conv) {
        case kYV12ToRGB32: ConvertYV12ToRGB32(out.data(), outPitch, src[0], src[1], src[2], kW, kW / 2, kW, kH, 0); break;
        case kYV12ToRGB24: ConvertYV12ToRGB24(out.data(), outPitch, src[0], src[1], src[2], kW, kW / 2, kW, kH, 0); break;
        case kYV12ToRGB565: ConvertYV12ToRGB565(out.data(), outPitch, src[0], src[1], src[2], kW, kW / 2, kW, kH, 0); break;
        case kYV12ToYUY2: ConvertYV12ToYUY2(out.data(), outPitch, src[0], src[1], src[2], kW, kW / 2, kW, kH, 0); break;
        case kNV12ToRGB32: ConvertNV12ToRGB32(out.data(), outPitch, src[0], src[1], nullptr, kW, kW, kW, kH, 0); break;
        case kRGB32ToYV12:
          ConvertRGB32ToYV12(src[0], kW * 4, planesOut[0], planesOut[1], planesOut[2], kW, kW / 2, kW, kH, 0);
          break;
        case kYUY2ToYV12:
          ConvertYUY2ToYV12(src[0], kW * 2, planesOut[0], planesOut[1], planesOut[2], kW, kW / 2, kW, kH, 0);
          break;
        case kRGB24ToYV12:
          ConvertRGB24ToYV12(src[0], kW * 3, planesOut[0], planesOut[1], planesOut[2], kW, kW / 2, kW, kH, 0);
          break;
        case kRGB565ToYV12:
          ConvertRGB565ToYV12(src[0], kW * 2, planesOut[0], planesOut[1], planesOut[2], kW, kW / 2, kW, kH, 0);
          break;
      }
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  sws_freeContext(sws);
  state.counters["fps"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void Cases(benchmark::internal::Benchmark* b) {
  b->ArgNames({"conv", "side"});
  for (int c = kYV12ToRGB32; c <= kRGB565ToYV12; ++c)
    for (int s = kOurs; s <= kSwsFast; ++s) b->Args({c, s});
}
BENCHMARK(BM_Convert)->Apply(Cases)->Unit(benchmark::kMillisecond);

}  // namespace
