// Pixel formats: allocation, default palettes and row conversions.
#include "image_internal.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

namespace Gdiplus::lwimg {

bool IsSupportedFormat(PixelFormat f) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed:
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
      return true;
    default:
      return false;
  }
}

INT MinStride(INT width, PixelFormat f) {
  if (width <= 0 || width > kMaxDimension) return 0;
  const int64_t bits = int64_t(width) * GetPixelFormatSize(f);
  return static_cast<INT>(((bits + 31) / 32) * 4);
}

std::vector<ARGB> DefaultPalette(PixelFormat f, UINT* flags) {
  static const ARGB kSystem16[16] = {
      0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFF808080,
      0xFFC0C0C0, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF,
  };
  std::vector<ARGB> pal;
  *flags = 0;
  switch (f) {
    case PixelFormat1bppIndexed:
      pal = {0xFF000000, 0xFFFFFFFF};
      *flags = PaletteFlagsGrayScale;
      break;
    case PixelFormat4bppIndexed:
      pal.assign(kSystem16, kSystem16 + 16);
      break;
    case PixelFormat8bppIndexed:
      // The 16 system colours, a 6x6x6 colour cube, then opaque black.
      pal.assign(kSystem16, kSystem16 + 16);
      for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
          for (int b = 0; b < 6; ++b) pal.push_back(Color::MakeARGB(255, BYTE(r * 51), BYTE(g * 51), BYTE(b * 51)));
      pal.resize(256, 0xFF000000);
      *flags = PaletteFlagsHalftone;
      break;
    default:
      break;
  }
  return pal;
}

bool Allocate(Image::LwPixels& px, INT width, INT height, PixelFormat f) {
  if (!IsSupportedFormat(f) || width <= 0 || height <= 0 || width > kMaxDimension || height > kMaxDimension ||
      int64_t(width) * height > kMaxPixels)
    return false;
  const INT stride = MinStride(width, f);
  try {
    px.own.assign(static_cast<size_t>(stride) * height, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  px.width = width;
  px.height = height;
  px.format = f;
  px.stride = stride;
  px.scan0 = px.own.data();
  px.palette = DefaultPalette(f, &px.paletteFlags);
  return true;
}

namespace {

inline UINT GetIndex(const BYTE* row, UINT bpp, INT x) {
  switch (bpp) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? row[x >> 1] & 0x0F : row[x >> 1] >> 4;
    default: return row[x];
  }
}

inline void SetIndex(BYTE* row, UINT bpp, INT x, UINT v) {
  switch (bpp) {
    case 1: {
      const BYTE bit = BYTE(0x80 >> (x & 7));
      row[x >> 3] = v ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit);
      break;
    }
    case 4:
      if (x & 1)
        row[x >> 1] = BYTE((row[x >> 1] & 0xF0) | (v & 0x0F));
      else
        row[x >> 1] = BYTE((row[x >> 1] & 0x0F) | ((v & 0x0F) << 4));
      break;
    default:
      row[x] = BYTE(v);
  }
}

inline ARGB PaletteColor(const std::vector<ARGB>& pal, UINT index) {
  return index < pal.size() ? pal[index] : 0xFF000000;
}

// The palette entry nearest to c (squared distance over the four channels).
UINT NearestIndex(const std::vector<ARGB>& pal, UINT maxEntries, ARGB c) {
  UINT best = 0;
  int64_t bestDist = INT64_MAX;
  const UINT n = static_cast<UINT>(std::min<size_t>(pal.size(), maxEntries));
  for (UINT i = 0; i < n; ++i) {
    const ARGB p = pal[i];
    int64_t d = 0;
    for (int s = 0; s < 32; s += 8) {
      const int diff = int((p >> s) & 0xff) - int((c >> s) & 0xff);
      d += diff * diff;
    }
    if (d < bestDist) {
      bestDist = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

}  // namespace

void RowToArgb(const BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0, INT w, ARGB* out) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed: {
      const UINT bpp = GetPixelFormatSize(f);
      for (INT i = 0; i < w; ++i) out[i] = PaletteColor(pal, GetIndex(row, bpp, x0 + i));
      break;
    }
    case PixelFormat24bppRGB: {
      const BYTE* p = row + size_t(x0) * 3;
      for (INT i = 0; i < w; ++i, p += 3) out[i] = 0xFF000000u | (ARGB(p[2]) << 16) | (ARGB(p[1]) << 8) | p[0];
      break;
    }
    case PixelFormat32bppRGB: {
      const BYTE* p = row + size_t(x0) * 4;
      for (INT i = 0; i < w; ++i, p += 4) out[i] = 0xFF000000u | (ARGB(p[2]) << 16) | (ARGB(p[1]) << 8) | p[0];
      break;
    }
    case PixelFormat32bppARGB: {
      const BYTE* p = row + size_t(x0) * 4;
      for (INT i = 0; i < w; ++i, p += 4)
        out[i] = (ARGB(p[3]) << 24) | (ARGB(p[2]) << 16) | (ARGB(p[1]) << 8) | p[0];
      break;
    }
    case PixelFormat32bppPARGB: {
      const BYTE* p = row + size_t(x0) * 4;
      for (INT i = 0; i < w; ++i, p += 4)
        out[i] = Unpremultiply((ARGB(p[3]) << 24) | (ARGB(p[2]) << 16) | (ARGB(p[1]) << 8) | p[0]);
      break;
    }
    default:
      std::memset(out, 0, sizeof(ARGB) * size_t(w));
  }
}

void ArgbToRow(const ARGB* in, INT w, BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0) {
  switch (f) {
    case PixelFormat1bppIndexed:
    case PixelFormat4bppIndexed:
    case PixelFormat8bppIndexed: {
      const UINT bpp = GetPixelFormatSize(f);
      ARGB lastColor = 0;
      UINT lastIndex = 0;
      bool haveLast = false;
      for (INT i = 0; i < w; ++i) {
        if (!haveLast || in[i] != lastColor) {
          lastColor = in[i];
          lastIndex = NearestIndex(pal, 1u << bpp, lastColor);
          haveLast = true;
        }
        SetIndex(row, bpp, x0 + i, lastIndex);
      }
      break;
    }
    case PixelFormat24bppRGB: {
      BYTE* p = row + size_t(x0) * 3;
      for (INT i = 0; i < w; ++i, p += 3) {
        p[0] = BYTE(in[i]);
        p[1] = BYTE(in[i] >> 8);
        p[2] = BYTE(in[i] >> 16);
      }
      break;
    }
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB: {
      BYTE* p = row + size_t(x0) * 4;
      for (INT i = 0; i < w; ++i, p += 4) {
        ARGB c = in[i];
        if (f == PixelFormat32bppRGB) c |= 0xFF000000u;
        if (f == PixelFormat32bppPARGB) c = Premultiply(c);
        p[0] = BYTE(c);
        p[1] = BYTE(c >> 8);
        p[2] = BYTE(c >> 16);
        p[3] = BYTE(c >> 24);
      }
      break;
    }
    default:
      break;
  }
}

void RowToPremul(const BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0, INT w, uint32_t* out) {
  if (f == PixelFormat32bppPARGB) {
    const BYTE* p = row + size_t(x0) * 4;
    for (INT i = 0; i < w; ++i, p += 4)
      out[i] = (uint32_t(p[3]) << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    return;
  }
  if (f == PixelFormat32bppARGB) {  // the common case in one pass
    const BYTE* p = row + size_t(x0) * 4;
    INT i = 0;
    if constexpr (std::endian::native == std::endian::little) {
      // Runs of opaque pixels, four at a time, are their own premultiplied words.
      for (; i + 4 <= w; i += 4, p += 16) {
        uint32_t q[4];
        std::memcpy(q, p, sizeof q);
        if ((q[0] & q[1] & q[2] & q[3]) >> 24 == 255) {
          std::memcpy(out + i, q, sizeof q);
        } else {
          for (int k = 0; k < 4; ++k) out[i + k] = Premultiply(q[k]);
        }
      }
    }
    for (; i < w; ++i, p += 4)
      out[i] = Premultiply((ARGB(p[3]) << 24) | (ARGB(p[2]) << 16) | (ARGB(p[1]) << 8) | p[0]);
    return;
  }
  RowToArgb(row, f, pal, x0, w, out);
  if (IsAlphaPixelFormat(f) || IsIndexedPixelFormat(f))
    for (INT i = 0; i < w; ++i) out[i] = Premultiply(out[i]);
}

void PremulToRow(const uint32_t* in, INT w, BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0) {
  if (f == PixelFormat32bppPARGB) {
    BYTE* p = row + size_t(x0) * 4;
    for (INT i = 0; i < w; ++i, p += 4) {
      p[0] = BYTE(in[i]);
      p[1] = BYTE(in[i] >> 8);
      p[2] = BYTE(in[i] >> 16);
      p[3] = BYTE(in[i] >> 24);
    }
    return;
  }
  if (f == PixelFormat32bppARGB) {  // the common case in one pass
    BYTE* p = row + size_t(x0) * 4;
    INT i = 0;
    if constexpr (std::endian::native == std::endian::little) {
      // Runs of opaque pixels, four at a time, are their own straight words.
      for (; i + 4 <= w; i += 4, p += 16) {
        if ((in[i] & in[i + 1] & in[i + 2] & in[i + 3]) >> 24 == 255) {
          std::memcpy(p, in + i, 16);
        } else {
          for (int k = 0; k < 4; ++k) {
            const ARGB c = Unpremultiply(in[i + k]);
            std::memcpy(p + 4 * k, &c, 4);
          }
        }
      }
    }
    for (; i < w; ++i, p += 4) {
      const ARGB c = Unpremultiply(in[i]);
      p[0] = BYTE(c);
      p[1] = BYTE(c >> 8);
      p[2] = BYTE(c >> 16);
      p[3] = BYTE(c >> 24);
    }
    return;
  }
  // Formats without alpha show what was drawn over black: the premultiplied colour itself.
  const bool opaque = f == PixelFormat24bppRGB || f == PixelFormat32bppRGB;
  std::vector<ARGB> tmp(static_cast<size_t>(w));
  for (INT i = 0; i < w; ++i) tmp[i] = opaque ? (in[i] | 0xFF000000u) : Unpremultiply(in[i]);
  ArgbToRow(tmp.data(), w, row, f, pal, x0);
}

void CopyPixels(const BYTE* src, INT sx, BYTE* dst, INT dx, INT w, PixelFormat f) {
  const UINT bpp = GetPixelFormatSize(f);
  if (bpp >= 8) {
    const size_t bytes = bpp / 8;
    std::memmove(dst + size_t(dx) * bytes, src + size_t(sx) * bytes, size_t(w) * bytes);
    return;
  }
  for (INT i = 0; i < w; ++i) SetIndex(dst, bpp, dx + i, GetIndex(src, bpp, sx + i));
}

bool PlausibleSize(uint64_t bytes, size_t inputSize) {
  // Deflate, LZW and JPEG all stay well below 4096 bytes of pixels per byte of data.
  constexpr uint64_t kAlways = uint64_t(1) << 20;
  constexpr uint64_t kRatio = 4096;
  return bytes <= kAlways || bytes / kRatio <= inputSize;
}

}  // namespace Gdiplus::lwimg
