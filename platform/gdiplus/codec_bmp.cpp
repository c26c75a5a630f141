// BMP files: our own reader (1, 4, 8, 16, 24 and 32 bits; bottom-up and top-down rows; BI_RGB,
// BI_BITFIELDS, BI_RLE8 and BI_RLE4) and writer (BI_RGB, bottom-up).
//
// Formats read: indexed depths stay indexed with the file's colour table; 24 bits give 24bppRGB;
// 16 bits and 32 bits give 32bppRGB, or 32bppARGB when the header has an alpha mask.
#include "image_internal.h"

#include <bit>
#include <cmath>
#include <algorithm>
#include <cstring>
#include <new>

#include <lwbytes.h>

namespace Gdiplus::lwimg {

namespace {

using lw::GetLE16;
using lw::GetLE32;

// One colour channel of a bit-field pixel, scaled to 8 bits.
struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;
  explicit Channel(uint32_t m) : mask(m) {
    if (!m) return;
    shift = std::countr_zero(m);
    max = m >> shift;
  }
  BYTE Get(uint32_t pixel, BYTE absent) const {
    if (!mask) return absent;
    const uint64_t v = (pixel & mask) >> shift;
    return BYTE((v * 255 + max / 2) / max);
  }
};

// Runs of RLE8 or RLE4 data into indexed rows (row 0 of the file is the bottom row).
bool DecodeRle(const BYTE* p, size_t n, int bpp, Image::LwPixels& px) {
  const INT w = px.width, h = px.height;
  INT x = 0, line = 0;
  size_t i = 0;
  auto put = [&](UINT index) {
    if (x < w && line < h) {
      BYTE* row = px.Row(h - 1 - line);
      if (bpp == 8)
        row[x] = BYTE(index);
      else if (x & 1)
        row[x >> 1] = BYTE((row[x >> 1] & 0xF0) | (index & 0x0F));
      else
        row[x >> 1] = BYTE((row[x >> 1] & 0x0F) | ((index & 0x0F) << 4));
    }
    ++x;
  };
  while (i + 2 <= n) {
    const UINT count = p[i], value = p[i + 1];
    i += 2;
    if (count > 0) {
      for (UINT k = 0; k < count && x < w; ++k) put(bpp == 8 ? value : ((k & 1) ? value & 0x0F : value >> 4));
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      if (++line >= h) return true;
    } else if (value == 1) {  // end of bitmap
      return true;
    } else if (value == 2) {  // move right and up
      if (i + 2 > n) return false;
      x += p[i];
      line += p[i + 1];
      i += 2;
      if (line >= h) return true;
    } else {  // a run of literal pixels, padded to 16 bits
      const size_t bytes = bpp == 8 ? value : (value + 1) / 2;
      if (i + bytes > n) return false;
      for (UINT k = 0; k < value; ++k) {
        const BYTE b = p[i + (bpp == 8 ? k : k / 2)];
        put(bpp == 8 ? b : ((k & 1) ? b & 0x0F : b >> 4));
      }
      i += (bytes + 1) & ~size_t(1);
    }
  }
  return false;  // the data ended without an end-of-bitmap mark
}

}  // namespace

Status DecodeBmp(const BYTE* data, size_t size, Image::LwPixels& px) {
  if (size < 14 + 12) return GenericError;
  const uint32_t offBits = GetLE32(data + 10);
  const uint32_t headerSize = GetLE32(data + 14);
  if (headerSize > size - 14) return GenericError;
  const BYTE* h = data + 14;
  int64_t width, height;
  uint32_t bpp, compression = BI_RGB, clrUsed = 0;
  int32_t xppm = 0, yppm = 0;
  size_t paletteEntry = 4;
  uint32_t masks[4] = {0, 0, 0, 0};
  size_t pos = 14 + headerSize;
  if (headerSize == 12) {
    width = GetLE16(h + 4);
    height = GetLE16(h + 6);
    bpp = GetLE16(h + 10);
    paletteEntry = 3;
  } else if (headerSize >= 40) {
    width = static_cast<int32_t>(GetLE32(h + 4));
    height = static_cast<int32_t>(GetLE32(h + 8));
    bpp = GetLE16(h + 14);
    compression = GetLE32(h + 16);
    xppm = static_cast<int32_t>(GetLE32(h + 24));
    yppm = static_cast<int32_t>(GetLE32(h + 28));
    clrUsed = GetLE32(h + 32);
    if (compression == BI_BITFIELDS) {
      if (headerSize >= 52) {
        masks[0] = GetLE32(h + 40);
        masks[1] = GetLE32(h + 44);
        masks[2] = GetLE32(h + 48);
        if (headerSize >= 56) masks[3] = GetLE32(h + 52);
      } else {
        if (size - pos < 12) return GenericError;
        masks[0] = GetLE32(data + pos);
        masks[1] = GetLE32(data + pos + 4);
        masks[2] = GetLE32(data + pos + 8);
        pos += 12;
      }
    }
  } else {
    return GenericError;
  }

  const bool topDown = height < 0;
  if (topDown) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension || width * height > kMaxPixels)
    return GenericError;
  bool ok;
  switch (compression) {
    case BI_RGB: ok = bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32; break;
    case BI_BITFIELDS: ok = bpp == 16 || bpp == 32; break;
    case BI_RLE8: ok = bpp == 8 && !topDown; break;
    case BI_RLE4: ok = bpp == 4 && !topDown; break;
    default: ok = false;
  }
  if (!ok) return compression == BI_JPEG || compression == BI_PNG ? UnknownImageFormat : GenericError;
  if (compression == BI_RGB && bpp == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }

  // Colour table.
  std::vector<ARGB> palette;
  if (bpp <= 8) {
    uint64_t count = clrUsed ? clrUsed : (1u << bpp);
    if (count > 256) count = 256;
    if ((size - pos) / paletteEntry < count) return GenericError;
    for (uint64_t i = 0; i < count; ++i, pos += paletteEntry)
      palette.push_back(Color::MakeARGB(255, data[pos + 2], data[pos + 1], data[pos]));
  }
  // Pixels start at the file header's offset when it points past the headers, else right after.
  size_t pixels = pos;
  if (offBits >= 14 + headerSize && offBits < size) pixels = offBits;
  const size_t available = size - pixels;

  PixelFormat format;
  if (bpp == 1)
    format = PixelFormat1bppIndexed;
  else if (bpp == 4)
    format = PixelFormat4bppIndexed;
  else if (bpp == 8)
    format = PixelFormat8bppIndexed;
  else if (bpp == 24)
    format = PixelFormat24bppRGB;
  else
    format = masks[3] ? PixelFormat32bppARGB : PixelFormat32bppRGB;

  const uint64_t rowBytes = DibRowBytes(static_cast<LONG>(width), static_cast<WORD>(bpp));
  const bool rle = compression == BI_RLE8 || compression == BI_RLE4;
  if (!rle && rowBytes * uint64_t(height) > available) return GenericError;  // truncated
  if (rle && !PlausibleSize(uint64_t(width) * height, available)) return GenericError;
  if (!Allocate(px, static_cast<INT>(width), static_cast<INT>(height), format)) return OutOfMemory;
  if (bpp <= 8) {
    px.palette = palette;
    px.palette.resize(size_t(1) << bpp, 0xFF000000);
    px.paletteFlags = 0;
  }

  const BYTE* src = data + pixels;
  if (rle) {
    if (!DecodeRle(src, available, static_cast<int>(bpp), px)) {
      px = Image::LwPixels();
      return GenericError;
    }
  } else {
    const bool fields = bpp == 16 || compression == BI_BITFIELDS;
    const Channel r(masks[0]), g(masks[1]), b(masks[2]), a(masks[3]);
    for (int64_t i = 0; i < height; ++i) {
      const BYTE* s = src + size_t(i) * rowBytes;
      BYTE* d = px.Row(static_cast<INT>(topDown ? i : height - 1 - i));
      if (!fields) {
        std::memcpy(d, s, static_cast<size_t>(std::min<uint64_t>(rowBytes, static_cast<uint64_t>(px.stride))));
        continue;
      }
      for (int64_t x = 0; x < width; ++x, d += 4) {
        const uint32_t v = bpp == 16 ? GetLE16(s + x * 2) : GetLE32(s + x * 4);
        d[0] = b.Get(v, 0);
        d[1] = g.Get(v, 0);
        d[2] = r.Get(v, 0);
        d[3] = a.Get(v, 255);
      }
    }
  }
  if (xppm > 0 && yppm > 0) {
    px.dpiX = static_cast<REAL>(xppm * 0.0254);
    px.dpiY = static_cast<REAL>(yppm * 0.0254);
    px.extraFlags |= ImageFlagsHasRealDPI;
  }
  px.extraFlags |= ImageFlagsReadOnly | ImageFlagsHasRealPixelSize;
  px.rawFormat = ImageFormatBMP;
  return Ok;
}

namespace {

using lw::AppendLE16;
using lw::AppendLE32;

}  // namespace

Status EncodeBmp(const Image::LwPixels& px, std::vector<BYTE>& out) {
  out.clear();
  const bool indexed = IsIndexedPixelFormat(px.format);
  const UINT bpp = indexed ? GetPixelFormatSize(px.format) : (px.format == PixelFormat24bppRGB ? 24 : 32);
  const uint32_t colors = indexed ? static_cast<uint32_t>(std::min<size_t>(px.palette.size(), size_t(1) << bpp)) : 0;
  const uint64_t rowBytes = DibRowBytes(px.width, static_cast<WORD>(bpp));
  const uint64_t imageBytes = rowBytes * uint64_t(px.height);
  const uint64_t offBits = 14 + 40 + uint64_t(colors) * 4;
  if (offBits + imageBytes > 0xFFFFFFFFull) return ValueOverflow;
  try {
    out.reserve(static_cast<size_t>(offBits + imageBytes));
    // BITMAPFILEHEADER
    out.push_back('B');
    out.push_back('M');
    AppendLE32(out, static_cast<uint32_t>(offBits + imageBytes));
    AppendLE32(out, 0);
    AppendLE32(out, static_cast<uint32_t>(offBits));
    // BITMAPINFOHEADER
    AppendLE32(out, 40);
    AppendLE32(out, static_cast<uint32_t>(px.width));
    AppendLE32(out, static_cast<uint32_t>(px.height));  // bottom-up
    AppendLE16(out, 1);
    AppendLE16(out, bpp);
    AppendLE32(out, BI_RGB);
    AppendLE32(out, static_cast<uint32_t>(imageBytes));
    AppendLE32(out, static_cast<uint32_t>(std::lround(px.dpiX / 0.0254)));
    AppendLE32(out, static_cast<uint32_t>(std::lround(px.dpiY / 0.0254)));
    AppendLE32(out, colors);
    AppendLE32(out, 0);
    for (uint32_t i = 0; i < colors; ++i) {
      const ARGB c = px.palette[i];
      out.push_back(BYTE(c));
      out.push_back(BYTE(c >> 8));
      out.push_back(BYTE(c >> 16));
      out.push_back(0);
    }
    std::vector<ARGB> argb(px.format == PixelFormat32bppPARGB ? static_cast<size_t>(px.width) : 0);
    for (INT y = px.height - 1; y >= 0; --y) {
      const size_t start = out.size();
      out.resize(start + static_cast<size_t>(rowBytes), 0);
      BYTE* d = out.data() + start;
      if (px.format == PixelFormat32bppPARGB) {
        RowToArgb(px.Row(y), px.format, px.palette, 0, px.width, argb.data());
        ArgbToRow(argb.data(), px.width, d, PixelFormat32bppARGB, px.palette, 0);
      } else {
        std::memcpy(d, px.Row(y), static_cast<size_t>(std::min<uint64_t>(rowBytes, uint64_t(px.stride < 0 ? -int64_t(px.stride) : px.stride))));
      }
    }
  } catch (const std::bad_alloc&) {
    out.clear();
    return OutOfMemory;
  }
  return Ok;
}

}  // namespace Gdiplus::lwimg
