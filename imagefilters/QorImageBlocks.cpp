// CQorObjImage operations on rectangles of pixels: copying blocks out and in, tiling, alpha
// composition and blending, logical combination, frames and resizing.
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include "QorObjImage.h"
#include "QorPixelRoutines.h"

namespace QorPixelmill {

namespace {

// Where a source of srcW x srcH placed with its top-left corner at (x, y) meets a dstW x dstH
// image: destination columns [x0, x1) and rows [y0, y1); the source pixel of destination
// (dx, dy) is (dx - x, dy - y).
struct Overlap {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
};

bool ClipPlacement(int dstW, int dstH, int srcW, int srcH, int x, int y, Overlap& o) {
  const int64_t x0 = std::max<int64_t>(x, 0), y0 = std::max<int64_t>(y, 0);
  const int64_t x1 = std::min<int64_t>(int64_t{x} + srcW, dstW), y1 = std::min<int64_t>(int64_t{y} + srcH, dstH);
  if (x0 >= x1 || y0 >= y1) return false;
  o.x0 = static_cast<int>(x0);
  o.y0 = static_cast<int>(y0);
  o.x1 = static_cast<int>(x1);
  o.y1 = static_cast<int>(y1);
  return true;
}

int ClampPercent(int percent) { return std::clamp(percent, 0, 100); }

int ScaleAlpha(int alpha, int percent) { return percent == 100 ? alpha : alpha * percent / 100; }

// Copies one pixel of 1 to 4 bytes; fixed sizes let the compiler use single moves.
inline void CopyPixel(BYTE* dst, const BYTE* src, int bpp) {
  switch (bpp) {
    case 4: std::memcpy(dst, src, 4); break;
    case 3: std::memcpy(dst, src, 3); break;
    case 2: std::memcpy(dst, src, 2); break;
    default: *dst = *src; break;
  }
}

void StorePixel(BYTE* dst, DWORD value, int bpp) {
  for (int i = 0; i < bpp; ++i) dst[i] = static_cast<BYTE>(value >> (8 * i));
}

}  // namespace

bool CQorObjImage::GetSubBlock(CQorObjImage* out, RECT rc) const {
  if (ColorBits() < 8 || !out || out == this) return false;
  BoundRect(rc);
  if (rc.right <= rc.left || rc.bottom <= rc.top) return false;
  CQorObjImage block;
  if (!CreateSameFormat(block, rc.right - rc.left, rc.bottom - rc.top)) return false;
  const size_t rowBytes = static_cast<size_t>(rc.right - rc.left) * BytesPerPixel();
  for (int j = 0; j < block.Height(); ++j) std::memcpy(block.GetBits(0, j), GetBits(rc.left, rc.top + j), rowBytes);
  out->TakeBlock(block);
  return true;
}

bool CQorObjImage::CoverBlock(const CQorObjImage& src, int x, int y) {
  return CoverBlock(src, x, y, src.Width(), src.Height());
}

bool CQorObjImage::CoverBlock(const CQorObjImage& src, int x, int y, int width, int height) {
  if (!m_pBlock || !src.m_pBlock || ColorBits() != src.ColorBits() || ColorBits() < 8) return false;
  const int w = std::min(width, src.Width()), h = std::min(height, src.Height());
  if (w < 1 || h < 1) return false;
  Overlap o;
  if (!ClipPlacement(Width(), Height(), w, h, x, y, o)) return false;
  const int bpp = BytesPerPixel();
  const size_t rowBytes = static_cast<size_t>(o.Width()) * bpp;
  // A source sharing this image's block: move the rows in an order that reads each source row
  // before it is overwritten, each row with memmove.
  const bool sameBlock = src.m_pBlock == m_pBlock;
  const bool upwards = sameBlock && y > 0;
  for (int k = 0; k < o.Height(); ++k) {
    const int dy = upwards ? o.y1 - 1 - k : o.y0 + k;
    std::memmove(GetBits(o.x0, dy), src.GetBits(o.x0 - x, dy - y), rowBytes);
  }
  return true;
}

bool CQorObjImage::CoverBlockAlphaChannel(const CQorObjImage& src, int x, int y) {
  if (ColorBits() != 32 || src.ColorBits() != 32) return false;
  Overlap o;
  if (!ClipPlacement(Width(), Height(), src.Width(), src.Height(), x, y, o)) return false;
  const CQorObjImage* s = &src;
  CQorObjImage snapshot;
  if (src.m_pBlock == m_pBlock) {
    if (!snapshot.CopyOwned(src)) return false;
    s = &snapshot;
  }
  for (int dy = o.y0; dy < o.y1; ++dy) {
    BYTE* d = GetBits(o.x0, dy);
    const BYTE* p = s->GetBits(o.x0 - x, dy - y);
    for (int k = 0; k < o.Width(); ++k) d[4 * static_cast<ptrdiff_t>(k) + 3] = p[4 * static_cast<ptrdiff_t>(k) + 3];
  }
  return true;
}

void CQorObjImage::TileBlock(const CQorObjImage& src, int x, int y) {
  if (!m_pBlock || !src.m_pBlock) return;
  const int64_t sw = src.Width(), sh = src.Height();
  // Tiles left of or above the image are skipped at once: start at the first tile that reaches
  // into the image.
  int64_t startX = x, startY = y;
  if (startX < 0) startX = -((-startX) % sw);
  if (startY < 0) startY = -((-startY) % sh);
  for (int64_t ty = startY; ty < Height(); ty += sh)
    for (int64_t tx = startX; tx < Width(); tx += sw) CoverBlock(src, static_cast<int>(tx), static_cast<int>(ty));
}

bool CQorObjImage::CombineImage(const CQorObjImage& src, int x, int y, int percent) {
  if (ColorBits() != 32 || src.ColorBits() != 32) return false;
  Overlap o;
  if (!ClipPlacement(Width(), Height(), src.Width(), src.Height(), x, y, o)) return false;
  const CQorObjImage* s = &src;
  CQorObjImage snapshot;
  if (src.m_pBlock == m_pBlock) {
    if (!snapshot.CopyOwned(src)) return false;
    s = &snapshot;
  }
  percent = ClampPercent(percent);
  for (int dy = o.y0; dy < o.y1; ++dy) {
    BYTE* d = GetBits(o.x0, dy);
    const BYTE* p = s->GetBits(o.x0 - x, dy - y);
    for (int k = 0; k < o.Width(); ++k, d += 4, p += 4) CombinePixelOver(ScaleAlpha(p[3], percent), d, p);
  }
  return true;
}

bool CQorObjImage::AlphaBlend(const CQorObjImage& src, const RECT& dst, const RECT& srcRect, int percent) {
  if (ColorBits() < 24 || src.ColorBits() != 32) return false;
  // The source rectangle must hold at least one pixel of the source.
  if (srcRect.left < 0 || srcRect.top < 0 || srcRect.right > src.Width() || srcRect.bottom > src.Height() ||
      srcRect.right <= srcRect.left || srcRect.bottom <= srcRect.top)
    return false;
  RECT clip = dst;
  BoundRect(clip);
  if (clip.right <= clip.left || clip.bottom <= clip.top) return false;
  const CQorObjImage* s = &src;
  CQorObjImage snapshot;
  if (src.m_pBlock == m_pBlock) {
    if (!snapshot.CopyOwned(src)) return false;
    s = &snapshot;
  }
  percent = ClampPercent(percent);
  // Positions map through the whole destination rectangle; only its visible part is visited.
  const int64_t dstW = int64_t{dst.right} - dst.left, dstH = int64_t{dst.bottom} - dst.top;
  const int64_t srcW = int64_t{srcRect.right} - srcRect.left, srcH = int64_t{srcRect.bottom} - srcRect.top;
  const bool oneToOne = dstW == srcW && dstH == srcH;
  std::vector<int> columns(static_cast<size_t>(clip.right - clip.left));
  for (int x = clip.left; x < clip.right; ++x) {
    const int64_t off = x - int64_t{dst.left};
    columns[x - clip.left] = static_cast<int>(srcRect.left + (oneToOne ? off : off * srcW / dstW));
  }
  const int bpp = BytesPerPixel();
  for (int y = clip.top; y < clip.bottom; ++y) {
    const int64_t off = y - int64_t{dst.top};
    const int sy = static_cast<int>(srcRect.top + (oneToOne ? off : off * srcH / dstH));
    BYTE* d = GetBits(clip.left, y);
    const BYTE* srow = s->GetBits(sy);
    for (size_t k = 0; k < columns.size(); ++k, d += bpp) {
      const BYTE* p = srow + 4 * static_cast<ptrdiff_t>(columns[k]);
      BlendPixelRGB(d, p, ScaleAlpha(p[3], percent));
    }
  }
  return true;
}

bool CQorObjImage::LogicalBlend(const CQorObjImage& src, LOGICAL_OP op, int x, int y) {
  if (&src == this || !m_pBlock || !src.m_pBlock || src.m_pBlock == m_pBlock) return false;
  if (ColorBits() != src.ColorBits() || ColorBits() < 8) return false;
  Overlap o;
  if (!ClipPlacement(Width(), Height(), src.Width(), src.Height(), x, y, o)) return false;
  const int bpp = BytesPerPixel();
  for (int dy = o.y0; dy < o.y1; ++dy) {
    BYTE* d = GetBits(o.x0, dy);
    const BYTE* p = src.GetBits(o.x0 - x, dy - y);
    for (int k = 0; k < o.Width(); ++k, d += bpp, p += bpp) {
      switch (op) {
        case LOGICAL_AND: *d &= *p; break;
        case LOGICAL_OR: *d |= *p; break;
        case LOGICAL_XOR: *d ^= *p; break;
        case LOGICAL_SET_WHERE_FULL:
          if (*p == 255) *d = 255;
          break;
        case LOGICAL_CLEAR_WHERE_FULL:
          if (*p == 255) *d = 0;
          break;
        default: break;
      }
    }
  }
  return true;
}

void CQorObjImage::__FillImageRect(const CQorObjImage& image, const RECT& rc, const void* pixel) {
  const int bpp = image.BytesPerPixel();
  if (bpp == 0 || !pixel) return;
  RECT r = rc;
  image.BoundRect(r);
  for (int y = r.top; y < r.bottom; ++y) {
    BYTE* d = image.GetBits(r.left, y);
    for (int x = r.left; x < r.right; ++x, d += bpp) CopyPixel(d, static_cast<const BYTE*>(pixel), bpp);
  }
}

bool CQorObjImage::BuildExpanded(CQorObjImage& out, bool replicate, int left, int top, int right, int bottom) const {
  const int w = Width(), h = Height();
  const int64_t nw = int64_t{w} + left + right, nh = int64_t{h} + top + bottom;
  if (nw > INT_MAX || nh > INT_MAX) return false;
  const int W = static_cast<int>(nw), H = static_cast<int>(nh);
  CQorObjImage frame;
  if (!CreateSameFormat(frame, W, H)) return false;
  const size_t rowBytes = static_cast<size_t>(w) * BytesPerPixel();
  for (int j = 0; j < h; ++j) std::memcpy(frame.GetBits(left, top + j), GetBits(0, j), rowBytes);
  if (replicate) {
    __FillImageRect(frame, RECT{0, 0, left, top}, GetBits(0, 0));
    __FillImageRect(frame, RECT{W - right, 0, W, top}, GetBits(w - 1, 0));
    __FillImageRect(frame, RECT{0, H - bottom, left, H}, GetBits(0, h - 1));
    __FillImageRect(frame, RECT{W - right, H - bottom, W, H}, GetBits(w - 1, h - 1));
    for (int j = 0; j < top; ++j) std::memcpy(frame.GetBits(left, j), GetBits(0, 0), rowBytes);
    for (int j = 0; j < bottom; ++j) std::memcpy(frame.GetBits(left, top + h + j), GetBits(0, h - 1), rowBytes);
    for (int j = 0; j < h; ++j) {
      __FillImageRect(frame, RECT{0, top + j, left, top + j + 1}, GetBits(0, j));
      __FillImageRect(frame, RECT{W - right, top + j, W, top + j + 1}, GetBits(w - 1, j));
    }
  }
  out.TakeBlock(frame);
  return true;
}

void CQorObjImage::ExpandFrame(bool replicate, int left, int top, int right, int bottom) {
  if (!m_pBlock || ColorBits() < 8) return;
  if (left < 0 || top < 0 || right < 0 || bottom < 0) return;
  if (left == 0 && top == 0 && right == 0 && bottom == 0) return;
  CQorObjImage frame;
  if (BuildExpanded(frame, replicate, left, top, right, bottom)) TakeBlock(frame);
}

void CQorObjImage::Stretch(int width, int height) {
  if (!m_pBlock || ColorBits() < 8 || width < 1 || height < 1) return;
  if (width == Width() && height == Height()) return;
  CQorObjImage out;
  if (!CreateSameFormat(out, width, height)) return;
  const int bpp = BytesPerPixel();
  const int64_t oldW = Width(), oldH = Height();
  std::vector<size_t> columns(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) columns[x] = static_cast<size_t>(oldW * x / width) * bpp;
  for (int y = 0; y < height; ++y) {
    const BYTE* srow = GetBits(static_cast<int>(oldH * y / height));
    BYTE* d = out.GetBits(y);
    for (int x = 0; x < width; ++x, d += bpp) CopyPixel(d, srow + columns[x], bpp);
  }
  TakeBlock(out);
}

int CQorObjImage::Stretch_Smooth(int width, int height, CQorCommonProgress* progress) {
  if (!m_pBlock || ColorBits() < 24 || width < 1 || height < 1) return 0;
  if (width == Width() && height == Height()) return 1;
  // A single column or row has no neighbour to sample: widen it by repeating its edge first.
  const CQorObjImage* source = this;
  CQorObjImage widened;
  if (Width() == 1 || Height() == 1) {
    if (!BuildExpanded(widened, true, 0, 0, Width() == 1 ? 1 : 0, Height() == 1 ? 1 : 0)) return 0;
    source = &widened;
  }
  CQorObjImage out;
  if (!source->CreateSameFormat(out, width, height)) return 0;
  const int64_t oldW = source->Width(), oldH = source->Height();
  const int bpp = BytesPerPixel();
  const bool alphaAware = bpp == 4;

  std::vector<int> sxs(static_cast<size_t>(width));
  std::vector<int64_t> fxs(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    int64_t sx = oldW * x / width, fx = oldW * x % width;
    if (sx >= oldW - 1) {
      sx = oldW - 2;
      fx = width - 1;
    }
    sxs[x] = static_cast<int>(sx);
    fxs[x] = fx;
  }
  const ptrdiff_t pitch = source->GetPitch();
  int result = 1;
  for (int y = 0; y < height; ++y) {
    int64_t sy = oldH * y / height, fy = oldH * y % height;
    if (sy >= oldH - 1) {
      sy = oldH - 2;
      fy = height - 1;
    }
    const BYTE* row0 = source->GetBits(static_cast<int>(sy));
    const BYTE* row1 = row0 - pitch;  // the row below in the picture is the one before in memory
    const double fyd = static_cast<double>(fy) / height;
    BYTE* d = out.GetBits(y);
    for (int x = 0; x < width; ++x, d += bpp) {
      const BYTE* p00 = row0 + static_cast<ptrdiff_t>(sxs[x]) * bpp;
      if (fxs[x] == 0 && fy == 0) {
        CopyPixel(d, p00, bpp);
        continue;
      }
      const BYTE* p01 = row1 + static_cast<ptrdiff_t>(sxs[x]) * bpp;
      StorePixel(d,
                 BilinearSample(p00, p00 + bpp, p01, p01 + bpp, alphaAware, static_cast<double>(fxs[x]) / width, fyd),
                 bpp);
    }
    if (progress) {
      const int64_t percent = int64_t{100} * (y + 1) / height;
      progress->SetProgress(static_cast<float>(static_cast<double>(percent) / 100.0));
      if (progress->m_bInterrupted) {
        result = 0;
        break;
      }
    }
  }
  TakeBlock(out);
  return result;
}

}  // namespace QorPixelmill
