// Reading image bytes from streams and files, and choosing the decoder by the file's signature.
#include "image_internal.h"

#include <lwstr.h>

#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>

#include <GdiplusDecoders.h>

namespace Gdiplus::lwimg {

namespace {
// Largest image file the layer reads.
constexpr uint64_t kMaxFileBytes = uint64_t(1) << 30;
}  // namespace

Status ReadStream(IStream* stream, std::vector<BYTE>& out) {
  out.clear();
  if (!stream) return InvalidParameter;
  // Reserve what the stream says is left; read until it ends in any case.
  STATSTG st{};
  ULARGE_INTEGER pos{};
  LARGE_INTEGER zero{};
  if (SUCCEEDED(stream->Stat(&st, STATFLAG_NONAME)) && SUCCEEDED(stream->Seek(zero, STREAM_SEEK_CUR, &pos)) &&
      st.cbSize.QuadPart >= pos.QuadPart) {
    const uint64_t left = st.cbSize.QuadPart - pos.QuadPart;
    if (left > kMaxFileBytes) return OutOfMemory;
    try {
      out.reserve(static_cast<size_t>(left));
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
  }
  BYTE chunk[65536];
  for (;;) {
    ULONG got = 0;
    const HRESULT hr = stream->Read(chunk, sizeof(chunk), &got);
    if (FAILED(hr)) return Win32Error;
    if (got == 0) break;
    if (got > sizeof(chunk) || out.size() + got > kMaxFileBytes) return OutOfMemory;
    try {
      out.insert(out.end(), chunk, chunk + got);
    } catch (const std::bad_alloc&) {
      return OutOfMemory;
    }
  }
  return Ok;
}

Status ReadFile(const WCHAR* filename, std::vector<BYTE>& out) {
  out.clear();
  if (!filename) return InvalidParameter;
  FILE* f = std::fopen(lw::WideToUtf8(filename).c_str(), "rb");
  if (!f) return FileNotFound;
  Status s = Ok;
  BYTE chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f)) > 0) {
    if (out.size() + got > kMaxFileBytes) {
      s = OutOfMemory;
      break;
    }
    try {
      out.insert(out.end(), chunk, chunk + got);
    } catch (const std::bad_alloc&) {
      s = OutOfMemory;
      break;
    }
  }
  if (s == Ok && std::ferror(f)) s = Win32Error;
  std::fclose(f);
  return s;
}

namespace {

std::mutex g_decodersLock;
std::vector<LwImageDecoder>& Decoders() {
  static std::vector<LwImageDecoder> decoders;
  return decoders;
}

// A registered decoder's picture, checked against the layer's limits, into the pixel store.
Status DecodeRegistered(const LwImageDecoder& decoder, const BYTE* data, size_t size, Image::LwPixels& px) {
  INT width = 0, height = 0;
  std::vector<ARGB> pixels;
  if (!decoder.pfnDecode(data, size, &width, &height, &pixels)) return GenericError;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
      int64_t(width) * height > kMaxPixels || pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return GenericError;
  if (!Allocate(px, width, height, PixelFormat32bppARGB)) return OutOfMemory;
  for (INT y = 0; y < height; ++y)
    std::memcpy(px.Row(y), pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(width),
                static_cast<size_t>(width) * sizeof(ARGB));
  px.rawFormat = ImageFormatOther;
  return Ok;
}

}  // namespace

Status DecodeImage(const BYTE* data, size_t size, Image::LwPixels& px) {
  static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return DecodePng(data, size, px);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return DecodeJpeg(data, size, px);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, px);
  if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
    return DecodeGif(data, size, px);
  if (size >= 4 && (std::memcmp(data, "II*\0", 4) == 0 || std::memcmp(data, "MM\0*", 4) == 0 ||
                    std::memcmp(data, "II+\0", 4) == 0 || std::memcmp(data, "MM\0+", 4) == 0))
    return DecodeTiff(data, size, px);
  std::vector<LwImageDecoder> decoders;
  {
    std::lock_guard<std::mutex> lock(g_decodersLock);
    decoders = Decoders();
  }
  for (const LwImageDecoder& d : decoders)
    if (d.pfnRecognise(data, size)) return DecodeRegistered(d, data, size, px);
  return UnknownImageFormat;
}

}  // namespace Gdiplus::lwimg

namespace Gdiplus {

void LwRegisterImageDecoder(const LwImageDecoder& decoder) {
  if (!decoder.pfnRecognise || !decoder.pfnDecode) return;
  std::lock_guard<std::mutex> lock(lwimg::g_decodersLock);
  for (const LwImageDecoder& d : lwimg::Decoders())
    if (d.pfnRecognise == decoder.pfnRecognise && d.pfnDecode == decoder.pfnDecode) return;
  lwimg::Decoders().push_back(decoder);
}

}  // namespace Gdiplus
