// A Graphics on a memory device context draws through to the DC's bitmap call by call: GDI reads
// of the bitmap see it while the Graphics is alive, and GDI drawing in between is kept.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "gdiplus.h"
#include "wingdi.h"

using namespace Gdiplus;

namespace {

constexpr int kW = 24, kH = 16;

// The kinds of bitmap a view or a print job draws into.
struct Kind {
  const char* name;
  int bpp;        // 0: CreateCompatibleBitmap
  bool topDown;
};

const Kind kKinds[] = {
    {"compatible", 0, true},
    {"dib32 bottom-up", 32, false},
    {"dib32 top-down", 32, true},
    {"dib24 bottom-up", 24, false},
    {"dib16 bottom-up", 16, false},
};

struct MemDC {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;

  explicit MemDC(const Kind& k) {
    if (k.bpp == 0) {
      bmp = CreateCompatibleBitmap(dc, kW, kH);
    } else {
      BITMAPINFO bi = {};
      bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
      bi.bmiHeader.biWidth = kW;
      bi.bmiHeader.biHeight = k.topDown ? -kH : kH;
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = static_cast<WORD>(k.bpp);
      bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    old = SelectObject(dc, bmp);
  }
  ~MemDC() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
};

// Device pixel (x, y) of a DC whose logical origin may have moved.
COLORREF DevicePixel(HDC dc, int x, int y) {
  POINT vp{}, win{};
  GetViewportOrgEx(dc, &vp);
  GetWindowOrgEx(dc, &win);
  return GetPixel(dc, x - vp.x + win.x, y - vp.y + win.y);
}

::testing::AssertionResult Near(COLORREF got, COLORREF want, int tol) {
  auto off = [&](int a, int b) { return std::abs(a - b) > tol; };
  if (off(GetRValue(got), GetRValue(want)) || off(GetGValue(got), GetGValue(want)) ||
      off(GetBValue(got), GetBValue(want))) {
    char buf[64];
    snprintf(buf, sizeof buf, "got %06X, want %06X", static_cast<unsigned>(got), static_cast<unsigned>(want));
    return ::testing::AssertionFailure() << buf;
  }
  return ::testing::AssertionSuccess();
}

TEST(GraphicsOnDC, DrawingIsSeenByGdiWhileTheGraphicsLives) {
  for (const Kind& k : kKinds) {
    SCOPED_TRACE(k.name);
    const int tol = k.bpp == 16 ? 8 : 2;  // five bits a channel
    MemDC src(k);
    ASSERT_NE(src.bmp, nullptr);
    // Logical (2, 1) is device (0, 0).
    SetViewportOrgEx(src.dc, -2, -1, nullptr);
    MemDC view(kKinds[0]);
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    {
      Graphics g(src.dc);
      ASSERT_EQ(g.GetLastStatus(), Ok);
      SolidBrush red(Color(255, 255, 0, 0));
      ASSERT_EQ(g.FillRectangle(&red, 2, 1, 6, 4), Ok);  // device (0,0)-(6,4)

      // A double-buffered paint: the memory DC goes to the window with the Graphics still alive.
      ASSERT_TRUE(BitBlt(view.dc, 0, 0, kW, kH, src.dc, 2, 1, SRCCOPY));
      EXPECT_TRUE(Near(GetPixel(view.dc, 3, 2), RGB(255, 0, 0), tol));
      EXPECT_TRUE(Near(GetPixel(view.dc, 10, 2), RGB(0, 0, 0), tol));
      EXPECT_TRUE(Near(DevicePixel(src.dc, 5, 3), RGB(255, 0, 0), tol));
      if (k.bpp == 32) {
        // A print job reads the DIB's memory.
        const auto* px = static_cast<const uint32_t*>(src.bits);
        const int row = k.topDown ? 3 : kH - 1 - 3;
        EXPECT_EQ(px[row * kW + 5] & 0xFFFFFFu, 0xFF0000u);
      }

      // GDI draws in between; the Graphics blends over GDI's pixels and never puts old ones back.
      RECT r{12, 1, 18, 5};  // logical: device (10,0)-(16,4)
      FillRect(src.dc, &r, blue);
      SolidBrush halfRed(Color(128, 255, 0, 0));
      ASSERT_EQ(g.FillRectangle(&halfRed, 15, 1, 6, 4), Ok);  // device (13,0)-(19,4), half over blue
      RECT inner{13, 9, 19, 13};  // device (11,8)-(17,12)
      FillRect(src.dc, &inner, blue);
      Pen green(Color(255, 0, 255, 0), 1);
      ASSERT_EQ(g.DrawRectangle(&green, 10, 6, 12, 8), Ok);  // an outline around it

      EXPECT_TRUE(Near(DevicePixel(src.dc, 11, 2), RGB(0, 0, 255), tol));
      EXPECT_TRUE(Near(DevicePixel(src.dc, 14, 2), RGB(128, 0, 127), tol));
      EXPECT_TRUE(Near(DevicePixel(src.dc, 17, 2), RGB(128, 0, 0), tol));
      EXPECT_TRUE(Near(DevicePixel(src.dc, 14, 10), RGB(0, 0, 255), tol));
      EXPECT_TRUE(Near(DevicePixel(src.dc, 8, 5), RGB(0, 255, 0), tol));
    }
    // And after the Graphics is gone, both kinds of drawing are still there.
    EXPECT_TRUE(Near(DevicePixel(src.dc, 5, 3), RGB(255, 0, 0), tol));
    EXPECT_TRUE(Near(DevicePixel(src.dc, 11, 2), RGB(0, 0, 255), tol));
    EXPECT_TRUE(Near(DevicePixel(src.dc, 14, 2), RGB(128, 0, 127), tol));
    EXPECT_TRUE(Near(DevicePixel(src.dc, 14, 10), RGB(0, 0, 255), tol));
    EXPECT_TRUE(Near(DevicePixel(src.dc, 8, 5), RGB(0, 255, 0), tol));
    EXPECT_TRUE(Near(DevicePixel(src.dc, 9, 10), RGB(0, 0, 0), tol));
    DeleteObject(blue);
  }
}

TEST(GraphicsOnDC, BlitWithinTheSameBitmapIsTakenUp) {
  MemDC m(kKinds[0]);
  {
    Graphics g(m.dc);
    SolidBrush red(Color(255, 255, 0, 0));
    g.FillRectangle(&red, 0, 0, 4, 4);
    // Copy the red square to the right with GDI, then half-cover the copy with GDI+.
    ASSERT_TRUE(BitBlt(m.dc, 8, 0, 4, 4, m.dc, 0, 0, SRCCOPY));
    SolidBrush halfBlue(Color(128, 0, 0, 255));
    g.FillRectangle(&halfBlue, 8, 0, 4, 4);
  }
  EXPECT_TRUE(Near(GetPixel(m.dc, 1, 1), RGB(255, 0, 0), 2));
  EXPECT_TRUE(Near(GetPixel(m.dc, 9, 1), RGB(127, 0, 128), 2));
}

TEST(GraphicsOnDC, ABitmapSwappedOutAndDeletedIsLeftAlone) {
  // The Graphics outlives the bitmap it was made on: its drawing goes nowhere, and the bitmap
  // selected in its place is not overwritten when the Graphics goes.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP first = CreateCompatibleBitmap(dc, kW, kH);
  HBITMAP second = CreateCompatibleBitmap(dc, kW, kH);
  HGDIOBJ old = SelectObject(dc, first);
  {
    Graphics g(dc);
    SolidBrush red(Color(255, 255, 0, 0));
    g.FillRectangle(&red, 0, 0, 4, 4);
    SelectObject(dc, second);
    DeleteObject(first);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, kW, kH};
    FillRect(dc, &all, white);
    DeleteObject(white);
    g.FillRectangle(&red, 8, 8, 4, 4);
    g.Flush();
  }
  EXPECT_EQ(GetPixel(dc, 1, 1), RGB(255, 255, 255));
  EXPECT_EQ(GetPixel(dc, 9, 9), RGB(255, 255, 255));
  SelectObject(dc, old);
  DeleteObject(second);
  DeleteDC(dc);
}

}  // namespace
