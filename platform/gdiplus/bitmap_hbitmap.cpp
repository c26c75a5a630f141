// Bitmap::FromHBITMAP: a copy of a GDI bitmap's pixels, read through GetDIBits.
#include "image_internal.h"

#include <wingdi.h>

#include <new>

namespace Gdiplus {

Bitmap* Bitmap::FromHBITMAP(HBITMAP hbm, HPALETTE) {
  auto* result = new (std::nothrow) Bitmap();
  if (!result) return nullptr;
  BITMAP bm{};
  if (!hbm || GetObjectW(hbm, sizeof(bm), &bm) < static_cast<int>(sizeof(BITMAP)) || bm.bmWidth <= 0 ||
      bm.bmHeight <= 0) {
    result->SetStatus(InvalidParameter);
    return result;
  }
  // 24-bit bitmaps stay 24-bit; every other depth is read as 32-bit colour.
  const PixelFormat format = bm.bmBitsPixel == 24 ? PixelFormat24bppRGB : PixelFormat32bppRGB;
  LwPixels& px = *result->px_;
  if (!lwimg::Allocate(px, bm.bmWidth, bm.bmHeight, format)) {
    result->SetStatus(OutOfMemory);
    return result;
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;  // top-down, as the rows are kept
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = static_cast<WORD>(GetPixelFormatSize(format));
  info.bmiHeader.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  const int lines = GetDIBits(screen, hbm, 0, static_cast<UINT>(bm.bmHeight), px.scan0, &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (lines != bm.bmHeight) {
    px = LwPixels();
    result->SetStatus(InvalidParameter);
    return result;
  }
  if (format == PixelFormat32bppRGB)
    for (INT y = 0; y < px.height; ++y)
      for (INT x = 0; x < px.width; ++x) px.Row(y)[x * 4 + 3] = 0xFF;
  return result;
}

}  // namespace Gdiplus
