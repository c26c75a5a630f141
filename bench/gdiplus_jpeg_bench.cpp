// Decoding a large JPEG through Bitmap::FromStream (a page-sized photo: 2480 x 3508 pixels, A4 at
// 300 dpi), from a memory stream as the document and clipboard readers hand pictures over.
#include <GdiplusBitmap.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

using namespace Gdiplus;

namespace {

// The JPEG is made once with the layer's own encoder from a smooth, busy test picture.
const std::vector<BYTE>& LargeJpeg() {
  static const std::vector<BYTE> bytes = [] {
    const INT w = 2480, h = 3508;
    Bitmap bmp(w, h, PixelFormat24bppRGB);
    BitmapData data;
    bmp.LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &data);
    for (INT y = 0; y < h; ++y) {
      BYTE* row = static_cast<BYTE*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
      for (INT x = 0; x < w; ++x) {
        row[x * 3] = static_cast<BYTE>(128 + 127 * std::sin(x * 0.013 + y * 0.007));
        row[x * 3 + 1] = static_cast<BYTE>((x * 255) / w);
        row[x * 3 + 2] = static_cast<BYTE>(((x / 16 + y / 16) % 2) ? 220 : 40);
      }
    }
    bmp.UnlockBits(&data);
    IStream* s = nullptr;
    CreateStreamOnHGlobal(nullptr, TRUE, &s);
    ULONG quality = 85;
    EncoderParameters params;
    params.Count = 1;
    params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueTypeLong, &quality};
    bmp.Save(s, &LwEncoderClsidJPEG, &params);
    HGLOBAL hg = nullptr;
    GetHGlobalFromStream(s, &hg);
    const BYTE* p = static_cast<const BYTE*>(GlobalLock(hg));
    std::vector<BYTE> out(p, p + GlobalSize(hg));
    GlobalUnlock(hg);
    s->Release();
    return out;
  }();
  return bytes;
}

void BM_DecodeLargeJpeg(benchmark::State& state) {
  const std::vector<BYTE>& jpeg = LargeJpeg();
  for (auto _ : state) {
    IStream* s = SHCreateMemStream(jpeg.data(), static_cast<UINT>(jpeg.size()));
    std::unique_ptr<Bitmap> bmp(Bitmap::FromStream(s));
    s->Release();
    if (bmp->GetLastStatus() != Ok) state.SkipWithError("decode failed");
    benchmark::DoNotOptimize(bmp->GetWidth());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(jpeg.size()));
}
BENCHMARK(BM_DecodeLargeJpeg)->Unit(benchmark::kMillisecond);

}  // namespace
