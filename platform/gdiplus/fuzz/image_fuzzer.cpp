// Arbitrary bytes through Bitmap::FromStream (PNG, JPEG, BMP and GIF by signature); a decoded
// image is also read back through LockBits, drawn into a cairo surface and encoded again.
#include <GdiplusBitmap.h>

#include <cstdint>
#include <memory>

using namespace Gdiplus;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 24)) return 0;
  IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
  if (!stream) return 0;
  std::unique_ptr<Bitmap> bmp(Bitmap::FromStream(stream));
  stream->Release();
  if (!bmp || bmp->GetLastStatus() != Ok) return 0;
  // The conversions are plain loops over the pixels: try them on small images only, for speed.
  if (uint64_t(bmp->GetWidth()) * bmp->GetHeight() > 256 * 256) return 0;
  BitmapData locked;
  if (bmp->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &locked) == Ok) bmp->UnlockBits(&locked);
  if (cairo_surface_t* s = bmp->LwCreateSourceSurface()) cairo_surface_destroy(s);
  IStream* out = nullptr;
  if (CreateStreamOnHGlobal(nullptr, TRUE, &out) == S_OK) {
    bmp->Save(out, &LwEncoderClsidBMP);
    out->Release();
  }
  return 0;
}
