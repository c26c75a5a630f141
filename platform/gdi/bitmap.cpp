// Bitmaps, pixel formats, blits and the cairo drawing seam.
#include <gdi_cairo.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>

#include "gdi_internal.h"

namespace lwgdi {

namespace {

// Largest bitmap side and pixel count accepted (4 GiB of 32-bit pixels would not be sane).
constexpr int64_t kMaxSide = 1 << 16;
constexpr int64_t kMaxPixels = int64_t{1} << 28;

int MaskShift(DWORD mask) {
  int s = 0;
  while (s < 32 && !(mask & (1u << s))) ++s;
  return s;
}
int MaskBits(DWORD mask, int shift) {
  int n = 0;
  while (shift + n < 32 && (mask & (1u << (shift + n)))) ++n;
  return n;
}

uint32_t Expand(uint32_t v, DWORD mask) {
  if (!mask) return 0;
  const int shift = MaskShift(mask);
  const int bits = MaskBits(mask, shift);
  uint32_t c = (v & mask) >> shift;
  if (bits >= 8) return c >> (bits - 8);
  // Replicate the high bits so that full scale maps to 255.
  uint32_t out = 0;
  int filled = 0;
  while (filled < 8) {
    out = (out << bits) | c;
    filled += bits;
  }
  return out >> (filled - 8);
}

uint32_t Compress(uint32_t c8, DWORD mask) {
  if (!mask) return 0;
  const int shift = MaskShift(mask);
  const int bits = MaskBits(mask, shift);
  uint32_t c = bits >= 8 ? (c8 << (bits - 8)) : (c8 >> (8 - bits));
  return (c << shift) & mask;
}

bool StandardMasks(const Bitmap& bm) {
  return !bm.bitfields || (bm.masks[0] == 0xFF0000 && bm.masks[1] == 0xFF00 && bm.masks[2] == 0xFF);
}

uint32_t NearestIndex(const Bitmap& bm, uint32_t pixel) {
  int best = 0;
  int64_t bestDist = std::numeric_limits<int64_t>::max();
  const int r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  for (size_t i = 0; i < bm.palette.size(); ++i) {
    const RGBQUAD& q = bm.palette[i];
    const int64_t d = int64_t{q.rgbRed - r} * (q.rgbRed - r) + int64_t{q.rgbGreen - g} * (q.rgbGreen - g) +
                      int64_t{q.rgbBlue - b} * (q.rgbBlue - b);
    if (d < bestDist) {
      bestDist = d;
      best = static_cast<int>(i);
    }
  }
  return static_cast<uint32_t>(best);
}

uint32_t PaletteColor(const Bitmap& bm, uint32_t index) {
  if (index >= bm.palette.size()) return 0;
  const RGBQUAD& q = bm.palette[index];
  return (uint32_t{q.rgbRed} << 16) | (uint32_t{q.rgbGreen} << 8) | q.rgbBlue;
}

}  // namespace

uint32_t ReadPixel(const Bitmap& bm, const uint8_t* row, int x) {
  switch (bm.bpp) {
    case 1: return PaletteColor(bm, (row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return PaletteColor(bm, (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4));
    case 8: return PaletteColor(bm, row[x]);
    case 16: {
      const uint32_t v = row[2 * x] | (uint32_t{row[2 * x + 1]} << 8);
      return (Expand(v, bm.masks[0]) << 16) | (Expand(v, bm.masks[1]) << 8) | Expand(v, bm.masks[2]);
    }
    case 24: return row[3 * x] | (uint32_t{row[3 * x + 1]} << 8) | (uint32_t{row[3 * x + 2]} << 16);
    case 32: {
      const uint8_t* p = row + 4 * x;
      const uint32_t v = p[0] | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
      if (StandardMasks(bm)) return v & 0xFFFFFF;
      return (Expand(v, bm.masks[0]) << 16) | (Expand(v, bm.masks[1]) << 8) | Expand(v, bm.masks[2]);
    }
    default: return 0;
  }
}

void WritePixel(Bitmap& bm, uint8_t* row, int x, uint32_t pixel) {
  switch (bm.bpp) {
    case 1: {
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      if (NearestIndex(bm, pixel)) row[x >> 3] |= bit;
      else row[x >> 3] &= static_cast<uint8_t>(~bit);
      break;
    }
    case 4: {
      const uint8_t i = static_cast<uint8_t>(NearestIndex(bm, pixel));
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | i) : static_cast<uint8_t>((b & 0x0F) | (i << 4));
      break;
    }
    case 8: row[x] = static_cast<uint8_t>(NearestIndex(bm, pixel)); break;
    case 16: {
      const uint32_t v = Compress((pixel >> 16) & 0xFF, bm.masks[0]) | Compress((pixel >> 8) & 0xFF, bm.masks[1]) |
                         Compress(pixel & 0xFF, bm.masks[2]);
      row[2 * x] = static_cast<uint8_t>(v);
      row[2 * x + 1] = static_cast<uint8_t>(v >> 8);
      break;
    }
    case 24:
      row[3 * x] = static_cast<uint8_t>(pixel);
      row[3 * x + 1] = static_cast<uint8_t>(pixel >> 8);
      row[3 * x + 2] = static_cast<uint8_t>(pixel >> 16);
      break;
    case 32: {
      uint32_t v = pixel & 0xFFFFFF;
      if (!StandardMasks(bm)) {
        v = Compress((pixel >> 16) & 0xFF, bm.masks[0]) | Compress((pixel >> 8) & 0xFF, bm.masks[1]) |
            Compress(pixel & 0xFF, bm.masks[2]);
      }
      uint8_t* p = row + 4 * x;
      p[0] = static_cast<uint8_t>(v);
      p[1] = static_cast<uint8_t>(v >> 8);
      p[2] = static_cast<uint8_t>(v >> 16);
      p[3] = static_cast<uint8_t>(v >> 24);
      break;
    }
    default: break;
  }
}

std::vector<RECT> DrawableRects(const DC& dc) {
  std::vector<RECT> out;
  if (dc.kind != DCKind::Memory || !dc.bitmap) return out;
  const RECT bounds{0, 0, dc.bitmap->width, dc.bitmap->height};
  if (!dc.clip) {
    out.push_back(bounds);
    return out;
  }
  for (const RECT& r : *dc.clip) {
    RECT c{std::max(r.left, bounds.left), std::max(r.top, bounds.top), std::min(r.right, bounds.right),
           std::min(r.bottom, bounds.bottom)};
    if (c.left < c.right && c.top < c.bottom) out.push_back(c);
  }
  return out;
}

bool InClip(const DC& dc, int x, int y) {
  if (dc.kind != DCKind::Memory || !dc.bitmap) return false;
  if (x < 0 || y < 0 || x >= dc.bitmap->width || y >= dc.bitmap->height) return false;
  if (!dc.clip) return true;
  for (const RECT& r : *dc.clip)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

namespace {

// Ternary raster operation on 24-bit colour words: bit i of the operation's index byte is the
// result for pattern = bit 2 of i, source = bit 1, destination = bit 0.
uint32_t Rop3(DWORD rop, uint32_t d, uint32_t s, uint32_t p) {
  switch (rop) {
    case SRCCOPY: return s;
    case PATCOPY: return p;
    case BLACKNESS: return 0;
    case WHITENESS: return 0xFFFFFF;
    default: break;
  }
  const uint32_t index = (rop >> 16) & 0xFF;
  uint32_t r = 0;
  for (int i = 0; i < 8; ++i) {
    if (!((index >> i) & 1)) continue;
    r |= ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFF;
}

uint32_t Rop2(int mode, uint32_t d, uint32_t p) {
  if (mode == R2_COPYPEN) return p;
  const int table = mode - 1;
  uint32_t r = 0;
  for (int i = 0; i < 4; ++i) {
    if (!((table >> i) & 1)) continue;
    r |= ((i & 2) ? p : ~p) & ((i & 1) ? d : ~d);
  }
  return r & 0xFFFFFF;
}

bool RopUsesSource(DWORD rop) {
  const uint32_t i = (rop >> 16) & 0xFF;
  return ((i >> 2) & 0x33) != (i & 0x33);
}

}  // namespace

void FillDeviceRect(DC& dc, RECT r, uint32_t pixel, int rop2) {
  if (rop2 == R2_NOP) return;
  Bitmap* bm = dc.bitmap;
  for (const RECT& c : DrawableRects(dc)) {
    const LONG l = std::max(r.left, c.left), t = std::max(r.top, c.top);
    const LONG rr = std::min(r.right, c.right), b = std::min(r.bottom, c.bottom);
    for (LONG y = t; y < b; ++y) {
      uint8_t* row = bm->Row(y);
      for (LONG x = l; x < rr; ++x) {
        const uint32_t d = rop2 == R2_COPYPEN ? 0 : ReadPixel(*bm, row, x);
        WritePixel(*bm, row, x, Rop2(rop2, d, pixel));
      }
    }
  }
  PixelsWritten(*bm, r);
}

bool DibView(const BITMAPINFO* info, const void* bits, UINT usage, Bitmap* out) {
  if (!info || !out) return false;
  const BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return false;
  if (h.biWidth <= 0 || h.biHeight == 0 || h.biHeight == std::numeric_limits<LONG>::min()) return false;
  const int64_t w = h.biWidth, hh = h.biHeight < 0 ? -int64_t{h.biHeight} : h.biHeight;
  if (w > kMaxSide || hh > kMaxSide || w * hh > kMaxPixels) return false;
  switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return false;
  }
  if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS) return false;
  if (h.biCompression == BI_BITFIELDS && h.biBitCount != 16 && h.biBitCount != 32) return false;
  if (usage != DIB_RGB_COLORS) return false;
  out->width = static_cast<int>(w);
  out->height = static_cast<int>(hh);
  out->bpp = h.biBitCount;
  out->topDown = h.biHeight < 0;
  out->isDib = true;
  out->header = h;
  out->stride = DibRowBytes(h.biWidth, h.biBitCount);
  out->bits = static_cast<uint8_t*>(const_cast<void*>(bits));
  out->ownsBits = false;
  const uint8_t* after = reinterpret_cast<const uint8_t*>(info) + h.biSize;
  if (h.biCompression == BI_BITFIELDS) {
    out->bitfields = true;
    DWORD m[3];
    // The masks follow a 40-byte header; larger headers carry them inside at the same place.
    std::memcpy(m, reinterpret_cast<const uint8_t*>(info) + sizeof(BITMAPINFOHEADER), sizeof m);
    for (int i = 0; i < 3; ++i) out->masks[i] = m[i];
    (void)after;
  } else if (h.biBitCount == 16) {
    out->masks[0] = 0x7C00;
    out->masks[1] = 0x03E0;
    out->masks[2] = 0x001F;
  } else if (h.biBitCount == 32) {
    out->masks[0] = 0xFF0000;
    out->masks[1] = 0x00FF00;
    out->masks[2] = 0x0000FF;
  }
  if (h.biBitCount <= 8) {
    const DWORD max = 1u << h.biBitCount;
    const DWORD n = (h.biClrUsed == 0 || h.biClrUsed > max) ? max : h.biClrUsed;
    out->palette.resize(n);
    std::memcpy(out->palette.data(), after, n * sizeof(RGBQUAD));
  }
  return true;
}

namespace {

// A source of rows in top-down order; null rows are missing and are left out of the copy.
struct RowSource {
  const Bitmap* format = nullptr;
  int width = 0;
  int height = 0;
  std::function<const uint8_t*(int)> row;
};

// Copies (or stretches, nearest pixel) the source rectangle onto the destination rectangle of
// device pixels. Negative extents mirror, as in StretchBlt.
void BlitCore(DC& dst, int dx, int dy, int dw, int dh, const RowSource* src, int sx, int sy, int sw, int sh,
              DWORD rop) {
  Bitmap* bm = dst.bitmap;
  if (!bm || dw == 0 || dh == 0) return;
  if (src && (sw == 0 || sh == 0)) return;
  // Normalise the destination to positive extents, mirroring the source instead.
  if (dw < 0) {
    dx += dw;
    dw = -dw;
    sx += sw;
    sw = -sw;
  }
  if (dh < 0) {
    dy += dh;
    dh = -dh;
    sy += sh;
    sh = -sh;
  }
  const uint32_t pat = dst.brush && dst.brush->style == BS_SOLID ? ColorRefToPixel(dst.brush->color) : 0;
  // Plain copies between true-colour bitmaps of one layout move whole row spans.
  const bool fast = src && rop == SRCCOPY && sw == dw && sh == dh && src->format->bpp == bm->bpp &&
                    (bm->bpp == 24 || (bm->bpp == 32 && StandardMasks(*bm) && StandardMasks(*src->format)));
  const int bytes = bm->bpp / 8;
  for (const RECT& c : DrawableRects(dst)) {
    const int64_t l = std::max<int64_t>(dx, c.left), t = std::max<int64_t>(dy, c.top);
    const int64_t r = std::min<int64_t>(int64_t{dx} + dw, c.right), b = std::min<int64_t>(int64_t{dy} + dh, c.bottom);
    for (int64_t y = t; y < b; ++y) {
      uint8_t* drow = bm->Row(static_cast<int>(y));
      const uint8_t* srow = nullptr;
      int64_t syy = 0;
      if (src) {
        // Sample at the centre of the destination pixel.
        const int64_t j = y - dy;
        syy = sh > 0 ? sy + (j * sh) / dh : sy - 1 - (j * -int64_t{sh}) / dh;
        if (syy < 0 || syy >= src->height) continue;
        srow = src->row(static_cast<int>(syy));
        if (!srow) continue;
      }
      if (fast) {
        const int64_t x0 = std::max<int64_t>(l, int64_t{dx} - sx), x1 = std::min<int64_t>(r, int64_t{dx} - sx + src->width);
        if (x0 < x1)
          std::memmove(drow + x0 * bytes, srow + (sx + x0 - dx) * bytes, static_cast<size_t>(x1 - x0) * bytes);
        continue;
      }
      for (int64_t x = l; x < r; ++x) {
        uint32_t s = 0;
        if (src) {
          const int64_t i = x - dx;
          const int64_t sxx = sw > 0 ? sx + (i * sw) / dw : sx - 1 - (i * -int64_t{sw}) / dw;
          if (sxx < 0 || sxx >= src->width) continue;
          s = ReadPixel(*src->format, srow, static_cast<int>(sxx));
        }
        const uint32_t d = ReadPixel(*bm, drow, static_cast<int>(x));
        WritePixel(*bm, drow, static_cast<int>(x), Rop3(rop, d, s, pat));
      }
    }
  }
  const auto side = [](int64_t v) { return static_cast<LONG>(std::clamp<int64_t>(v, -kMaxSide, 2 * kMaxSide)); };
  PixelsWritten(*bm, RECT{side(dx), side(dy), side(int64_t{dx} + dw), side(int64_t{dy} + dh)});
}

RowSource SourceOf(const Bitmap* bm) {
  RowSource s;
  s.format = bm;
  s.width = bm->width;
  s.height = bm->height;
  s.row = [bm](int y) -> const uint8_t* { return bm->Row(y); };
  return s;
}

// A source over a snapshot of the bitmap, for blits whose source and destination are one bitmap
// (overlapping areas then copy as if the source were read first).
RowSource SnapshotOf(const Bitmap* bm, std::vector<uint8_t>* store, Bitmap* view) {
  store->assign(bm->bits, bm->bits + bm->stride * static_cast<size_t>(bm->height));
  view->width = bm->width;
  view->height = bm->height;
  view->bpp = bm->bpp;
  view->topDown = bm->topDown;
  view->bitfields = bm->bitfields;
  for (int i = 0; i < 3; ++i) view->masks[i] = bm->masks[i];
  view->palette = bm->palette;
  view->stride = bm->stride;
  view->bits = store->data();
  return SourceOf(view);
}

Bitmap* NewBitmap(int width, int height, int bpp, bool topDown) {
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
      int64_t{width} * height > kMaxPixels)
    return nullptr;
  auto* bm = new Bitmap();
  bm->width = width;
  bm->height = height;
  bm->bpp = bpp;
  bm->topDown = topDown;
  bm->stride = DibRowBytes(width, static_cast<WORD>(bpp));
  bm->bits = static_cast<uint8_t*>(std::calloc(bm->stride * static_cast<size_t>(height), 1));
  if (!bm->bits) {
    delete bm;
    return nullptr;
  }
  bm->ownsBits = true;
  if (bpp == 32) {
    bm->masks[0] = 0xFF0000;
    bm->masks[1] = 0x00FF00;
    bm->masks[2] = 0x0000FF;
  } else if (bpp == 16) {
    bm->masks[0] = 0x7C00;
    bm->masks[1] = 0x03E0;
    bm->masks[2] = 0x001F;
  }
  return bm;
}

DC* DrawDC(HDC hdc) {
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!dc) return nullptr;
  return dc;
}

bool HasSurface(const DC& dc) { return dc.kind == DCKind::Memory && dc.bitmap && !dc.bitmap->stock; }

}  // namespace

}  // namespace lwgdi

using namespace lwgdi;

extern "C" {

HBITMAP CreateCompatibleBitmap(HDC hdc, int width, int height) {
  if (!As<DC>(hdc, OBJ_DC)) return nullptr;
  // Compatible bitmaps are 32-bit colour, even for a memory DC that still holds its 1 x 1
  // monochrome default (where Windows would give a monochrome bitmap).
  if (width == 0 || height == 0) {
    width = 1;
    height = 1;
  }
  Bitmap* bm = NewBitmap(width, height, 32, true);
  if (!bm) return nullptr;
  return reinterpret_cast<HBITMAP>(Register(bm));
}

HBITMAP CreateBitmap(int width, int height, UINT planes, UINT bitCount, const void* bits) {
  if (planes != 1) return nullptr;
  if (bitCount != 1 && bitCount != 32) return nullptr;
  Bitmap* bm = NewBitmap(width, height, static_cast<int>(bitCount), true);
  if (!bm) return nullptr;
  if (bitCount == 1) bm->palette = {RGBQUAD{0, 0, 0, 0}, RGBQUAD{255, 255, 255, 0}};
  if (bits) {
    // Device-dependent rows are padded to 16 bits.
    const size_t srcStride = ((static_cast<size_t>(width) * bitCount + 15) / 16) * 2;
    const size_t n = std::min(srcStride, bm->stride);
    for (int y = 0; y < height; ++y)
      std::memcpy(bm->Row(y), static_cast<const uint8_t*>(bits) + srcStride * static_cast<size_t>(y), n);
  }
  return reinterpret_cast<HBITMAP>(Register(bm));
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD) {
  if (bits) *bits = nullptr;
  if (hdc && !As<DC>(hdc, OBJ_DC)) return nullptr;
  if (section) return nullptr;  // file-mapping sections are not supported
  Bitmap view;
  if (!DibView(info, nullptr, usage, &view)) return nullptr;
  Bitmap* bm = NewBitmap(view.width, view.height, view.bpp, view.topDown);
  if (!bm) return nullptr;
  bm->isDib = true;
  bm->header = info->bmiHeader;
  bm->bitfields = view.bitfields;
  for (int i = 0; i < 3; ++i) bm->masks[i] = view.masks[i];
  bm->palette = view.palette;
  const HGDIOBJ handle = Register(bm);
  if (bits) *bits = bm->bits;
  return reinterpret_cast<HBITMAP>(handle);
}

int GetDIBits(HDC hdc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits, BITMAPINFO* info, UINT usage) {
  Bitmap* bm = As<Bitmap>(bitmap, OBJ_BITMAP);
  if (!As<DC>(hdc, OBJ_DC) || !bm || !info || usage != DIB_RGB_COLORS) return 0;
  BITMAPINFOHEADER& h = info->bmiHeader;
  if (h.biSize < sizeof(BITMAPINFOHEADER)) return 0;
  if (h.biBitCount == 0) {
    // Fill in the bitmap's own format.
    h.biWidth = bm->width;
    h.biHeight = bm->topDown && bm->isDib ? -bm->height : bm->height;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(bm->bpp);
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bm->stride * static_cast<size_t>(bm->height));
    return bm->height;
  }
  if (!bits) return bm->height;
  Bitmap dst;
  if (h.biWidth != bm->width || (h.biHeight != bm->height && h.biHeight != -bm->height)) return 0;
  if (h.biBitCount != 24 && h.biBitCount != 32) return 0;  // callers ask for true colour
  h.biCompression = BI_RGB;
  if (!DibView(info, bits, DIB_RGB_COLORS, &dst)) return 0;
  if (start >= static_cast<UINT>(bm->height)) return 0;
  const UINT count = std::min<UINT>(lines, static_cast<UINT>(bm->height) - start);
  // Scan line numbers count from the bottom for bottom-up requests, from the top otherwise.
  for (UINT k = 0; k < count; ++k) {
    const int scan = static_cast<int>(start + k);
    const int y = dst.topDown ? scan : bm->height - 1 - scan;
    const uint8_t* srow = bm->Row(y);
    uint8_t* drow = static_cast<uint8_t*>(bits) + dst.stride * k;
    for (int x = 0; x < bm->width; ++x) WritePixel(dst, drow, x, ReadPixel(*bm, srow, x));
  }
  return static_cast<int>(count);
}

BOOL BitBlt(HDC hdcDst, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  DC* dst = DrawDC(hdcDst);
  if (!dst) return FALSE;
  if (!RopUsesSource(rop)) return PatBlt(hdcDst, x, y, cx, cy, rop);
  DC* src = DrawDC(hdcSrc);
  if (!src) return FALSE;
  if (!HasSurface(*dst) || src->kind != DCKind::Memory || !src->bitmap) return TRUE;
  std::vector<uint8_t> store;
  Bitmap snapshot;
  RowSource rs = src->bitmap == dst->bitmap ? SnapshotOf(src->bitmap, &store, &snapshot) : SourceOf(src->bitmap);
  BlitCore(*dst, dst->DevX(x), dst->DevY(y), cx, cy, &rs, src->DevX(x1), src->DevY(y1), cx, cy, rop);
  return TRUE;
}

BOOL StretchBlt(HDC hdcDst, int x, int y, int cx, int cy, HDC hdcSrc, int xSrc, int ySrc, int cxSrc, int cySrc,
                DWORD rop) {
  DC* dst = DrawDC(hdcDst);
  if (!dst) return FALSE;
  if (!RopUsesSource(rop)) return PatBlt(hdcDst, x, y, cx, cy, rop);
  DC* src = DrawDC(hdcSrc);
  if (!src) return FALSE;
  if (!HasSurface(*dst) || src->kind != DCKind::Memory || !src->bitmap) return TRUE;
  std::vector<uint8_t> store;
  Bitmap snapshot;
  RowSource rs = src->bitmap == dst->bitmap ? SnapshotOf(src->bitmap, &store, &snapshot) : SourceOf(src->bitmap);
  BlitCore(*dst, dst->DevX(x), dst->DevY(y), cx, cy, &rs, src->DevX(xSrc), src->DevY(ySrc), cxSrc, cySrc, rop);
  return TRUE;
}

BOOL PatBlt(HDC hdc, int x, int y, int cx, int cy, DWORD rop) {
  DC* dc = DrawDC(hdc);
  if (!dc || RopUsesSource(rop)) return FALSE;
  if (!HasSurface(*dc)) return TRUE;
  BlitCore(*dc, dc->DevX(x), dc->DevY(y), cx, cy, nullptr, 0, 0, 0, 0, rop);
  return TRUE;
}

int SetDIBitsToDevice(HDC hdc, int xDest, int yDest, DWORD w, DWORD h, int xSrc, int ySrc, UINT startScan,
                      UINT lines, const void* bits, const BITMAPINFO* info, UINT usage) {
  DC* dc = DrawDC(hdc);
  Bitmap view;
  if (!dc || !bits || !DibView(info, bits, usage, &view)) return 0;
  if (w > static_cast<DWORD>(kMaxSide) || h > static_cast<DWORD>(kMaxSide)) return 0;
  if (startScan >= static_cast<UINT>(view.height)) return 0;
  lines = std::min<UINT>(lines, static_cast<UINT>(view.height) - startScan);
  if (lines == 0) return 0;
  if (!HasSurface(*dc)) return static_cast<int>(lines);
  // The buffer holds `lines` scan lines from `startScan`; scan lines of a bottom-up DIB count
  // from the bottom, and so does ySrc.
  RowSource rs;
  rs.format = &view;
  rs.width = view.width;
  rs.height = view.height;
  const uint8_t* base = static_cast<const uint8_t*>(bits);
  const size_t stride = view.stride;
  const bool topDown = view.topDown;
  const int height = view.height;
  rs.row = [=](int y) -> const uint8_t* {
    const int scan = topDown ? y : height - 1 - y;
    if (scan < static_cast<int>(startScan) || scan >= static_cast<int>(startScan + lines)) return nullptr;
    return base + stride * static_cast<size_t>(scan - static_cast<int>(startScan));
  };
  const int64_t top = topDown ? ySrc : int64_t{height} - ySrc - static_cast<int64_t>(h);
  BlitCore(*dc, dc->DevX(xDest), dc->DevY(yDest), static_cast<int>(w), static_cast<int>(h), &rs, xSrc,
           static_cast<int>(top), static_cast<int>(w), static_cast<int>(h), SRCCOPY);
  return static_cast<int>(lines);
}

int StretchDIBits(HDC hdc, int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc, int srcWidth,
                  int srcHeight, const void* bits, const BITMAPINFO* info, UINT usage, DWORD rop) {
  DC* dc = DrawDC(hdc);
  Bitmap view;
  if (!dc || !bits || !DibView(info, bits, usage, &view)) return 0;
  if (std::abs(int64_t{destWidth}) > kMaxSide || std::abs(int64_t{destHeight}) > kMaxSide ||
      std::abs(int64_t{srcWidth}) > kMaxSide || std::abs(int64_t{srcHeight}) > kMaxSide)
    return 0;
  if (!HasSurface(*dc)) return std::abs(srcHeight);
  RowSource rs = SourceOf(&view);
  // For bottom-up DIBs the source rectangle is measured from the bottom row.
  const int top = view.topDown ? ySrc : view.height - ySrc - srcHeight;
  BlitCore(*dc, dc->DevX(xDest), dc->DevY(yDest), destWidth, destHeight, &rs, xSrc, top, srcWidth, srcHeight, rop);
  return std::abs(srcHeight);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  DC* dc = DrawDC(hdc);
  if (!dc || !HasSurface(*dc)) return CLR_INVALID;
  const int dx = dc->DevX(x), dy = dc->DevY(y);
  if (!InClip(*dc, dx, dy)) return CLR_INVALID;
  return PixelToColorRef(ReadPixel(*dc->bitmap, dc->bitmap->Row(dy), dx));
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  DC* dc = DrawDC(hdc);
  if (!dc || !HasSurface(*dc)) return CLR_INVALID;
  const int dx = dc->DevX(x), dy = dc->DevY(y);
  if (!InClip(*dc, dx, dy)) return CLR_INVALID;
  uint8_t* row = dc->bitmap->Row(dy);
  WritePixel(*dc->bitmap, row, dx, ColorRefToPixel(color));
  PixelsWritten(*dc->bitmap, RECT{dx, dy, dx + 1, dy + 1});
  return PixelToColorRef(ReadPixel(*dc->bitmap, row, dx));
}

}  // extern "C"

namespace lwgdi {

namespace {

// Ties a surface handed out by LwGdiBeginDraw to its bitmap; cut when either goes first.
struct SurfaceLink {
  Bitmap* bitmap = nullptr;
  cairo_surface_t* surface = nullptr;
};
cairo_user_data_key_t linkKey;

void UnlinkSurface(void* data) {
  auto* link = static_cast<SurfaceLink*>(data);
  if (link->bitmap) std::erase(link->bitmap->drawSurfaces, link->surface);
  delete link;
}

// The area clamped to the bitmap; false when nothing is left.
bool ClampToBitmap(const Bitmap& bm, RECT* r) {
  r->left = std::max<LONG>(r->left, 0);
  r->top = std::max<LONG>(r->top, 0);
  r->right = std::min<LONG>(r->right, bm.width);
  r->bottom = std::min<LONG>(r->bottom, bm.height);
  return r->left < r->right && r->top < r->bottom;
}

// Bitmap to surface: opaque ARGB32.
void CopyToSurface(const Bitmap& bm, cairo_surface_t* s, const RECT& r) {
  uint8_t* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  if (!data) return;
  const bool plain32 = bm.bpp == 32 && StandardMasks(bm);
  for (LONG y = r.top; y < r.bottom; ++y) {
    const uint8_t* srow = bm.Row(y);
    auto* drow = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * y);
    if (plain32) {
      std::memcpy(drow + r.left, srow + static_cast<size_t>(r.left) * 4, static_cast<size_t>(r.right - r.left) * 4);
      for (LONG x = r.left; x < r.right; ++x) drow[x] |= 0xFF000000u;
      continue;
    }
    for (LONG x = r.left; x < r.right; ++x) drow[x] = 0xFF000000u | ReadPixel(bm, srow, x);
  }
}

// Surface to bitmap, in the bitmap's own format. Premultiplied colour: a pixel left partly
// transparent reads as if laid over black.
void CopyToBitmap(cairo_surface_t* s, Bitmap& bm, const RECT& r) {
  const uint8_t* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  if (!data) return;
  for (LONG y = r.top; y < r.bottom; ++y) {
    uint8_t* drow = bm.Row(y);
    auto* srow = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(stride) * y);
    for (LONG x = r.left; x < r.right; ++x) WritePixel(bm, drow, x, srow[x] & 0xFFFFFF);
  }
}

// The bitmap a surface from LwGdiBeginDraw draws into, when it is still the DC's bitmap.
Bitmap* TargetOf(HDC hdc, cairo_surface_t* s) {
  if (!s || cairo_surface_get_type(s) != CAIRO_SURFACE_TYPE_IMAGE) return nullptr;
  auto* link = static_cast<SurfaceLink*>(cairo_surface_get_user_data(s, &linkKey));
  DC* dc = As<DC>(hdc, OBJ_DC);
  if (!link || !link->bitmap || !dc || dc->kind != DCKind::Memory || dc->bitmap != link->bitmap) return nullptr;
  Bitmap* bm = link->bitmap;
  if (cairo_image_surface_get_width(s) != bm->width || cairo_image_surface_get_height(s) != bm->height) return nullptr;
  return bm;
}

// Brings a clamped area of the bitmap into its draw surfaces, but for `except`.
void RefreshSurfaces(Bitmap& bm, const RECT& r, cairo_surface_t* except) {
  for (cairo_surface_t* s : bm.drawSurfaces) {
    if (s == except) continue;
    cairo_surface_flush(s);
    CopyToSurface(bm, s, r);
    cairo_surface_mark_dirty_rectangle(s, r.left, r.top, r.right - r.left, r.bottom - r.top);
  }
}

}  // namespace

void PixelsWritten(Bitmap& bm, RECT area) {
  if (bm.drawSurfaces.empty() || !ClampToBitmap(bm, &area)) return;
  RefreshSurfaces(bm, area, nullptr);
}

void DetachDrawSurfaces(Bitmap& bm) {
  for (cairo_surface_t* s : bm.drawSurfaces) {
    auto* link = static_cast<SurfaceLink*>(cairo_surface_get_user_data(s, &linkKey));
    if (link) link->bitmap = nullptr;
  }
  bm.drawSurfaces.clear();
}

}  // namespace lwgdi

// The surface is a copy of the bitmap (opaque ARGB32) whatever the bitmap's format and row
// order, linked to the bitmap until it is destroyed. LwGdiSyncDraw brings each drawing call's
// area to the bitmap, and GDI writes into the bitmap come back into the surface, so the two never
// disagree for longer than one drawing call. Its device offset carries the DC's origins, so
// drawing in logical coordinates lands where GDI calls on the same DC would.
cairo_surface_t* LwGdiBeginDraw(HDC hdc) {
  DC* dc = DrawDC(hdc);
  if (!dc || !HasSurface(*dc)) return nullptr;
  Bitmap* bm = dc->bitmap;
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, bm->width, bm->height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  auto* link = new SurfaceLink{bm, s};
  if (cairo_surface_set_user_data(s, &linkKey, link, UnlinkSurface) != CAIRO_STATUS_SUCCESS) {
    delete link;
    cairo_surface_destroy(s);
    return nullptr;
  }
  bm->drawSurfaces.push_back(s);
  cairo_surface_flush(s);
  CopyToSurface(*bm, s, RECT{0, 0, bm->width, bm->height});
  cairo_surface_mark_dirty(s);
  cairo_surface_set_device_offset(s, dc->viewportOrg.x - dc->windowOrg.x, dc->viewportOrg.y - dc->windowOrg.y);
  return s;
}

void LwGdiSyncDraw(HDC hdc, cairo_surface_t* s, const RECT& area) {
  Bitmap* bm = TargetOf(hdc, s);
  RECT r = area;
  if (!bm || !ClampToBitmap(*bm, &r)) return;
  cairo_surface_flush(s);
  CopyToBitmap(s, *bm, r);
  // Other surfaces out over the same bitmap see the change as they would see a GDI call's.
  RefreshSurfaces(*bm, r, s);
}

void LwGdiEndDraw(HDC hdc, cairo_surface_t* s) {
  Bitmap* bm = TargetOf(hdc, s);
  if (!bm) return;
  LwGdiSyncDraw(hdc, s, RECT{0, 0, bm->width, bm->height});
}
