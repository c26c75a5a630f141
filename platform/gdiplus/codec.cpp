// Reading image bytes from streams and files, and choosing the decoder by the file's signature.
#include "image_internal.h"

#include <lwstr.h>

#include <cstdio>
#include <cstring>
#include <new>

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

Status DecodeImage(const BYTE* data, size_t size, Image::LwPixels& px) {
  static const BYTE kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(data, kPng, 8) == 0) return DecodePng(data, size, px);
  if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) return DecodeJpeg(data, size, px);
  if (size >= 2 && data[0] == 'B' && data[1] == 'M') return DecodeBmp(data, size, px);
  if (size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0))
    return DecodeGif(data, size, px);
  return UnknownImageFormat;
}

}  // namespace Gdiplus::lwimg
