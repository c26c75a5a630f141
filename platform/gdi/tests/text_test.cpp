// Text drawing on a memory context: where the ink lands for each alignment, the opaque
// background, clipping to the rectangle, and refused arguments.
#include <gtest/gtest.h>
#include <wingdi.h>

#include <string>

namespace {

struct Canvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  HFONT font;
  HGDIOBJ oldFont;
  Canvas(int w, int h) {
    bitmap = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bitmap);
    RECT all{0, 0, w, h};
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    FillRect(dc, &all, white);
    DeleteObject(white);
    font = CreateFontW(-12, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    oldFont = SelectObject(dc, font);
  }
  ~Canvas() {
    SelectObject(dc, oldFont);
    DeleteObject(font);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
  // The box of pixels that are not white (left > right when there is none).
  RECT Ink(int w, int h, COLORREF paper = RGB(255, 255, 255)) {
    RECT r{w, h, -1, -1};
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (GetPixel(dc, x, y) != paper) {
          r.left = std::min<LONG>(r.left, x);
          r.top = std::min<LONG>(r.top, y);
          r.right = std::max<LONG>(r.right, x);
          r.bottom = std::max<LONG>(r.bottom, y);
        }
    return r;
  }
};

TEST(GdiText, DrawTextPlacesTheLineByItsAlignment) {
  struct Case {
    UINT format;
    const char* where;
  } cases[] = {{DT_LEFT | DT_SINGLELINE | DT_VCENTER, "left"},
               {DT_CENTER | DT_SINGLELINE | DT_VCENTER, "centre"},
               {DT_RIGHT | DT_SINGLELINE | DT_BOTTOM, "right"}};
  for (const Case& c : cases) {
    Canvas cv(200, 40);
    SetBkMode(cv.dc, TRANSPARENT);
    SetTextColor(cv.dc, RGB(0, 0, 0));
    RECT box{10, 5, 190, 35};
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(cv.dc, L"Page #12", 8, &size));
    EXPECT_GT(size.cx, 30);
    EXPECT_GT(DrawTextW(cv.dc, L"Page #12", -1, &box, c.format), 0);
    const RECT ink = cv.Ink(200, 40);
    ASSERT_LE(ink.left, ink.right) << c.where << ": nothing drawn";
    EXPECT_GE(ink.left, 10) << c.where;
    EXPECT_LE(ink.right, 190) << c.where;
    EXPECT_LE(ink.right - ink.left + 1, size.cx + 2) << c.where;
    const int mid = (ink.left + ink.right) / 2;
    if (c.format & DT_CENTER) EXPECT_NEAR(mid, 100, 3);
    if ((c.format & DT_RIGHT) == DT_RIGHT) EXPECT_GE(ink.right, 190 - 3);
    if ((c.format & (DT_CENTER | DT_RIGHT)) == 0) EXPECT_LE(ink.left, 10 + 2);
    if (c.format & DT_VCENTER) EXPECT_NEAR((ink.top + ink.bottom) / 2, 20, 4);
  }
}

TEST(GdiText, OpaqueBackgroundAndClipping) {
  Canvas cv(100, 30);
  SetBkMode(cv.dc, OPAQUE);
  SetBkColor(cv.dc, RGB(0, 0, 255));
  SetTextColor(cv.dc, RGB(255, 255, 0));
  ASSERT_TRUE(TextOutW(cv.dc, 2, 2, L"AB", 2));
  EXPECT_EQ(GetPixel(cv.dc, 3, 3), RGB(0, 0, 255));  // the cell behind the text
  EXPECT_EQ(GetPixel(cv.dc, 90, 25), RGB(255, 255, 255));

  // A rectangle too small for the text cuts it.
  Canvas cut(100, 30);
  SetBkMode(cut.dc, TRANSPARENT);
  RECT narrow{0, 0, 6, 30};
  DrawTextW(cut.dc, L"WWWW", -1, &narrow, DT_LEFT | DT_SINGLELINE);
  const RECT ink = cut.Ink(100, 30);
  ASSERT_LE(ink.left, ink.right);
  EXPECT_LT(ink.right, 6);
}

TEST(GdiText, RefusedArguments) {
  Canvas cv(20, 20);
  EXPECT_FALSE(TextOutW(cv.dc, 0, 0, nullptr, 3));
  EXPECT_FALSE(TextOutW(cv.dc, 0, 0, L"x", -1));
  EXPECT_FALSE(TextOutW(nullptr, 0, 0, L"x", 1));
  RECT r{0, 0, 20, 20};
  EXPECT_EQ(DrawTextW(cv.dc, nullptr, 1, &r, 0), 0);
  EXPECT_EQ(DrawTextW(cv.dc, L"x", 1, nullptr, 0), 0);
  // The screen context has no surface: measured, nothing drawn, no failure.
  HDC screen = GetDC(nullptr);
  EXPECT_TRUE(TextOutW(screen, 0, 0, L"x", 1));
  ReleaseDC(nullptr, screen);
}

}  // namespace
