// Device contexts, bitmaps, blits, fills, regions and the cairo seam.
#include <gtest/gtest.h>

#include <gdi_cairo.h>
#include <lwdpi.h>
#include <wingdi.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <thread>
#include <vector>

namespace {

// A DIB section of the given depth and row order, selected into a new memory DC.
struct DibDC {
  DibDC(int w, int h, int bpp, bool topDown) : width(w), height(h), bpp(bpp), topDown(topDown) {
    dc = CreateCompatibleDC(nullptr);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = topDown ? -h : h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = static_cast<WORD>(bpp);
    bi.bmiHeader.biCompression = BI_RGB;
    void* p = nullptr;
    bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint8_t*>(p);
    old = SelectObject(dc, bmp);
  }
  ~DibDC() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
  // The bytes of pixel (x, y), y counted from the top of the image.
  uint8_t* At(int x, int y) const {
    const int row = topDown ? y : height - 1 - y;
    return bits + DibRowBytes(width, static_cast<WORD>(bpp)) * row + x * (bpp / 8);
  }
  void Put(int x, int y, COLORREF c) const {
    uint8_t* p = At(x, y);
    p[0] = GetBValue(c);
    p[1] = GetGValue(c);
    p[2] = GetRValue(c);
  }
  COLORREF Get(int x, int y) const {
    const uint8_t* p = At(x, y);
    return RGB(p[2], p[1], p[0]);
  }

  int width, height, bpp;
  bool topDown;
  HDC dc = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  uint8_t* bits = nullptr;
};

COLORREF Probe(int x, int y) { return RGB(x * 20 + 5, y * 30 + 7, (x + y) * 9 + 1); }

TEST(GdiDeviceContext, ScreenAndMemoryReport96Dpi) {
  HDC screen = GetDC(nullptr);
  ASSERT_NE(screen, nullptr);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 96);
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);
  HDC mem = CreateCompatibleDC(screen);
  EXPECT_EQ(GetDeviceCaps(mem, LOGPIXELSX), 96);
  EXPECT_EQ(GetObjectType(mem), static_cast<DWORD>(OBJ_MEMDC));
  EXPECT_TRUE(DeleteDC(mem));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  // Stale and foreign handles are refused, not followed.
  EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSX), 0);
  int local = 0;
  EXPECT_EQ(SelectObject(reinterpret_cast<HDC>(&local), GetStockObject(BLACK_PEN)), nullptr);
}

TEST(GdiBitmap, BitBltBetweenDibSectionsOfEveryDepthAndRowOrder) {
  struct Case {
    int srcBpp;
    bool srcTopDown;
    int dstBpp;
    bool dstTopDown;
  };
  const Case cases[] = {{24, false, 24, false}, {24, true, 32, false}, {32, false, 24, true},
                        {32, true, 32, true},   {24, false, 32, true}, {32, false, 32, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.srcBpp << (c.srcTopDown ? " top-down -> " : " bottom-up -> ") << c.dstBpp
                                    << (c.dstTopDown ? " top-down" : " bottom-up"));
    DibDC src(5, 4, c.srcBpp, c.srcTopDown);
    DibDC dst(7, 6, c.dstBpp, c.dstTopDown);
    ASSERT_NE(src.bits, nullptr);
    ASSERT_NE(dst.bits, nullptr);
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 5; ++x) src.Put(x, y, Probe(x, y));
    // Copy the 3 x 2 block at (1, 1) of the source to (4, 3) of the destination.
    ASSERT_TRUE(BitBlt(dst.dc, 4, 3, 3, 2, src.dc, 1, 1, SRCCOPY));
    for (int y = 0; y < 6; ++y)
      for (int x = 0; x < 7; ++x) {
        const bool inside = x >= 4 && x < 7 && y >= 3 && y < 5;
        EXPECT_EQ(dst.Get(x, y), inside ? Probe(x - 3, y - 2) : RGB(0, 0, 0)) << x << "," << y;
        EXPECT_EQ(GetPixel(dst.dc, x, y), dst.Get(x, y));
      }
  }
}

TEST(GdiBitmap, BlitsHonourOriginsClipAndStretch) {
  DibDC src(2, 2, 32, true);
  src.Put(0, 0, RGB(255, 0, 0));
  src.Put(1, 0, RGB(0, 255, 0));
  src.Put(0, 1, RGB(0, 0, 255));
  src.Put(1, 1, RGB(255, 255, 255));
  DibDC dst(8, 8, 24, false);

  // StretchBlt doubles each pixel; a negative destination width mirrors.
  ASSERT_TRUE(StretchBlt(dst.dc, 0, 0, 4, 4, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.Get(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(dst.Get(2, 1), RGB(0, 255, 0));
  EXPECT_EQ(dst.Get(3, 3), RGB(255, 255, 255));
  ASSERT_TRUE(StretchBlt(dst.dc, 8, 4, -2, 2, src.dc, 0, 0, 2, 2, SRCCOPY));
  EXPECT_EQ(dst.Get(7, 4), RGB(255, 0, 0));
  EXPECT_EQ(dst.Get(6, 4), RGB(0, 255, 0));

  // The viewport origin shifts logical coordinates; the clip region keeps pixels out.
  POINT old;
  SetViewportOrgEx(dst.dc, -2, -2, &old);
  HRGN clip = CreateRectRgn(0, 6, 1, 7);
  EXPECT_EQ(SelectClipRgn(dst.dc, clip), SIMPLEREGION);
  DeleteObject(clip);  // the DC keeps its own copy
  ASSERT_TRUE(BitBlt(dst.dc, 2, 8, 2, 1, src.dc, 0, 1, SRCCOPY));
  EXPECT_EQ(dst.Get(0, 6), RGB(0, 0, 255));
  EXPECT_EQ(dst.Get(1, 6), RGB(0, 0, 0));  // clipped
  RECT box;
  EXPECT_EQ(GetClipBox(dst.dc, &box), SIMPLEREGION);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.top, 8);
  SelectClipRgn(dst.dc, nullptr);
  SetViewportOrgEx(dst.dc, 0, 0, nullptr);

  // A blit within one bitmap reads the source before writing (a scroll by one pixel).
  DibDC col(1, 4, 24, true);
  for (int y = 0; y < 4; ++y) col.Put(0, y, Probe(0, y));
  ASSERT_TRUE(BitBlt(col.dc, 0, 1, 1, 3, col.dc, 0, 0, SRCCOPY));
  for (int y = 1; y < 4; ++y) EXPECT_EQ(col.Get(0, y), Probe(0, y - 1)) << y;

  // Raster operations combine source and destination.
  ASSERT_TRUE(BitBlt(dst.dc, 0, 0, 1, 1, src.dc, 1, 0, SRCINVERT));
  EXPECT_EQ(dst.Get(0, 0), RGB(255, 255, 0));
  ASSERT_TRUE(PatBlt(dst.dc, 0, 0, 1, 1, DSTINVERT));
  EXPECT_EQ(dst.Get(0, 0), RGB(0, 0, 255));
}

TEST(GdiBitmap, SetDIBitsToDeviceAndStretchDIBitsReadBothRowOrders) {
  // A 3 x 3 packed DIB whose scan lines are given in memory order.
  for (bool topDown : {false, true}) {
    SCOPED_TRACE(topDown ? "top-down" : "bottom-up");
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = 3;
    bi.bmiHeader.biHeight = topDown ? -3 : 3;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    const DWORD stride = DibRowBytes(3, 24);
    std::vector<uint8_t> bits(stride * 3);
    auto put = [&](int x, int y, COLORREF c) {  // y from the top
      uint8_t* p = bits.data() + stride * (topDown ? y : 2 - y) + 3 * x;
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    };
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) put(x, y, Probe(x, y));

    DibDC dst(4, 4, 32, false);
    EXPECT_EQ(SetDIBitsToDevice(dst.dc, 1, 1, 3, 3, 0, 0, 0, 3, bits.data(), &bi, DIB_RGB_COLORS), 3);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Get(x + 1, y + 1), Probe(x, y)) << x << "," << y;

    // A band: only scan lines 1..2 in the buffer (counted from the bottom for bottom-up DIBs).
    DibDC band(3, 3, 24, true);
    const uint8_t* from = bits.data() + stride * 1;
    EXPECT_EQ(SetDIBitsToDevice(band.dc, 0, 0, 3, 3, 0, 0, 1, 2, from, &bi, DIB_RGB_COLORS), 2);
    const int missingRow = topDown ? 0 : 2;  // scan line 0
    for (int y = 0; y < 3; ++y)
      EXPECT_EQ(band.Get(1, y), y == missingRow ? RGB(0, 0, 0) : Probe(1, y)) << y;

    // StretchDIBits of the lower-right 2 x 2 block to 4 x 4.
    DibDC big(4, 4, 24, false);
    const int ySrc = topDown ? 1 : 0;  // bottom-up source rectangles count from the bottom row
    EXPECT_EQ(StretchDIBits(big.dc, 0, 0, 4, 4, 1, ySrc, 2, 2, bits.data(), &bi, DIB_RGB_COLORS, SRCCOPY), 2);
    EXPECT_EQ(big.Get(0, 0), Probe(1, 1));
    EXPECT_EQ(big.Get(3, 3), Probe(2, 2));
  }
}

TEST(GdiBitmap, RejectsBadHeaders) {
  HDC dc = CreateCompatibleDC(nullptr);
  struct Case {
    LONG w, h;
    WORD bpp;
    DWORD compression;
  };
  const Case cases[] = {{0, 4, 24, BI_RGB},      {4, 0, 24, BI_RGB},        {-4, 4, 24, BI_RGB},
                        {4, 4, 7, BI_RGB},       {4, 4, 24, BI_RLE8},       {100000, 4, 32, BI_RGB},
                        {60000, 60000, 32, BI_RGB}, {4, INT32_MIN, 32, BI_RGB}, {4, 4, 24, BI_BITFIELDS}};
  for (const Case& c : cases) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bi.bmiHeader.biWidth = c.w;
    bi.bmiHeader.biHeight = c.h;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = c.bpp;
    bi.bmiHeader.biCompression = c.compression;
    void* bits = reinterpret_cast<void*>(1);
    EXPECT_EQ(CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr) << c.w << "x" << c.h;
    EXPECT_EQ(bits, nullptr);
  }
  DeleteDC(dc);
}

TEST(GdiBitmap, GetObjectAndSelectionLifetime) {
  DibDC a(6, 3, 24, false);
  DIBSECTION ds{};
  ASSERT_EQ(GetObjectW(a.bmp, sizeof ds, &ds), static_cast<int>(sizeof(DIBSECTION)));
  EXPECT_EQ(ds.dsBm.bmWidth, 6);
  EXPECT_EQ(ds.dsBm.bmHeight, 3);
  EXPECT_EQ(ds.dsBm.bmWidthBytes, 20);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  EXPECT_EQ(ds.dsBm.bmBits, a.bits);
  EXPECT_EQ(ds.dsBmih.biHeight, 3);
  EXPECT_EQ(ds.dsBmih.biSizeImage, 60u);

  // A compatible bitmap has no visible bits; GetDIBits reads them out bottom-up.
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(dc, 2, 2);
  BITMAP bm{};
  ASSERT_EQ(GetObjectW(ddb, sizeof bm, &bm), static_cast<int>(sizeof(BITMAP)));
  EXPECT_EQ(bm.bmBits, nullptr);
  EXPECT_EQ(bm.bmBitsPixel, 32);
  HGDIOBJ old = SelectObject(dc, ddb);
  ASSERT_NE(old, nullptr);
  SetPixel(dc, 0, 0, RGB(10, 20, 30));
  // One bitmap cannot be selected into two DCs.
  HDC other = CreateCompatibleDC(nullptr);
  EXPECT_EQ(SelectObject(other, ddb), nullptr);
  DeleteDC(other);
  // Deleting a selected bitmap waits until it is deselected: the DC keeps working.
  EXPECT_TRUE(DeleteObject(ddb));
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(10, 20, 30));
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 2;
  bi.bmiHeader.biHeight = 2;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  uint32_t px[4] = {};
  EXPECT_EQ(GetDIBits(dc, ddb, 0, 2, px, &bi, DIB_RGB_COLORS), 2);
  EXPECT_EQ(px[2], 0x000A141Eu);  // top row is last in a bottom-up buffer
  SelectObject(dc, old);
  EXPECT_EQ(GetObjectType(ddb), 0u);  // gone now
  DeleteDC(dc);
}

TEST(GdiDrawing, FillsLinesAndRegions) {
  DibDC d(10, 10, 24, false);
  RECT all{0, 0, 10, 10};
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  EXPECT_EQ(FillRect(d.dc, &all, white), 1);
  EXPECT_EQ(d.Get(9, 9), RGB(255, 255, 255));

  // Rectangle: 1-pixel pen frame, brush inside, right and bottom edges left out.
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
  HGDIOBJ oldPen = SelectObject(d.dc, pen);
  HGDIOBJ oldBrush = SelectObject(d.dc, blue);
  EXPECT_TRUE(Rectangle(d.dc, 1, 1, 5, 5));
  EXPECT_EQ(d.Get(1, 1), RGB(255, 0, 0));
  EXPECT_EQ(d.Get(4, 4), RGB(255, 0, 0));
  EXPECT_EQ(d.Get(2, 2), RGB(0, 0, 255));
  EXPECT_EQ(d.Get(5, 5), RGB(255, 255, 255));

  // Lines leave out their last point.
  MoveToEx(d.dc, 0, 8, nullptr);
  LineTo(d.dc, 4, 8);
  EXPECT_EQ(d.Get(3, 8), RGB(255, 0, 0));
  EXPECT_EQ(d.Get(4, 8), RGB(255, 255, 255));

  // A polygon region filled under R2_NOT inverts what it covers.
  const POINT tri[] = {{6, 0}, {10, 0}, {10, 4}};
  HRGN rgn = CreatePolygonRgn(tri, 3, ALTERNATE);
  EXPECT_TRUE(PtInRegion(rgn, 9, 1));
  EXPECT_FALSE(PtInRegion(rgn, 6, 3));
  SetROP2(d.dc, R2_NOT);
  EXPECT_TRUE(FillRgn(d.dc, rgn, blue));
  EXPECT_EQ(d.Get(9, 1), RGB(0, 0, 0));
  EXPECT_EQ(d.Get(6, 3), RGB(255, 255, 255));
  EXPECT_TRUE(FillRgn(d.dc, rgn, blue));
  EXPECT_EQ(d.Get(9, 1), RGB(255, 255, 255));
  SetROP2(d.dc, R2_COPYPEN);

  // Combining regions.
  HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(2, 2, 6, 6), r = CreateRectRgn(0, 0, 0, 0);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_AND), SIMPLEREGION);
  RECT box;
  GetRgnBox(r, &box);
  EXPECT_EQ(box.left, 2);
  EXPECT_EQ(box.right, 4);
  EXPECT_EQ(CombineRgn(r, a, b, RGN_OR), COMPLEXREGION);
  EXPECT_TRUE(PtInRegion(r, 5, 5));
  EXPECT_FALSE(PtInRegion(r, 5, 0));
  EXPECT_EQ(CombineRgn(r, a, a, RGN_DIFF), NULLREGION);

  SelectObject(d.dc, oldPen);
  SelectObject(d.dc, oldBrush);
  for (HGDIOBJ o : {static_cast<HGDIOBJ>(white), static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(blue),
                    static_cast<HGDIOBJ>(rgn), static_cast<HGDIOBJ>(a), static_cast<HGDIOBJ>(b),
                    static_cast<HGDIOBJ>(r)})
    EXPECT_TRUE(DeleteObject(o));
}

TEST(GdiCairoSeam, DrawingReachesTheBitmapAtTheDcOrigin) {
  for (int bpp : {24, 32}) {
    SCOPED_TRACE(bpp);
    DibDC d(6, 4, bpp, bpp == 32);
    d.Put(0, 0, RGB(1, 2, 3));
    SetViewportOrgEx(d.dc, -2, -1, nullptr);
    cairo_surface_t* s = LwGdiBeginDraw(d.dc);
    ASSERT_NE(s, nullptr);
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_rectangle(cr, 3, 2, 2, 1);  // logical (3,2) is device (1,1)
    cairo_fill(cr);
    cairo_destroy(cr);
    LwGdiEndDraw(d.dc, s);
    cairo_surface_destroy(s);
    EXPECT_EQ(d.Get(0, 0), RGB(1, 2, 3));
    EXPECT_EQ(d.Get(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(d.Get(2, 1), RGB(255, 0, 0));
    EXPECT_EQ(d.Get(3, 1), RGB(0, 0, 0));
    EXPECT_EQ(d.Get(1, 2), RGB(0, 0, 0));
  }
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(LwGdiBeginDraw(screen), nullptr);
  ReleaseDC(nullptr, screen);
}

}  // namespace

namespace {

HGDIOBJ MakeObject(DWORD type, int n) {
  switch (type) {
    case OBJ_PEN: return CreatePen(PS_SOLID, n + 1, RGB(n, 0, 0));
    case OBJ_BRUSH: return CreateSolidBrush(RGB(0, n, 0));
    case OBJ_FONT: {
      LOGFONTW lf{};
      lf.lfHeight = -(10 + n);
      std::wcscpy(lf.lfFaceName, L"Arial");
      return CreateFontIndirectW(&lf);
    }
    case OBJ_REGION: return CreateRectRgn(0, 0, n + 1, n + 1);
    case OBJ_BITMAP: return CreateBitmap(n + 1, 1, 1, 32, nullptr);
    default: return nullptr;
  }
}

}  // namespace

// A handle names one object for good: once the object is gone its handle is refused, also after
// new objects took its memory, and no new object is ever given it.
TEST(GdiHandleTable, HandlesAreNeverGivenAgain) {
  for (DWORD type : {OBJ_PEN, OBJ_BRUSH, OBJ_FONT, OBJ_REGION, OBJ_BITMAP, OBJ_DC}) {
    SCOPED_TRACE(type);
    HGDIOBJ gone = type == OBJ_DC ? reinterpret_cast<HGDIOBJ>(CreateCompatibleDC(nullptr)) : MakeObject(type, 0);
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(type == OBJ_DC ? DeleteDC(reinterpret_cast<HDC>(gone)) : DeleteObject(gone));
    std::vector<HGDIOBJ> made;
    for (int i = 0; i < 64; ++i) {
      made.push_back(type == OBJ_DC ? reinterpret_cast<HGDIOBJ>(CreateCompatibleDC(nullptr)) : MakeObject(type, 0));
      EXPECT_NE(made.back(), gone);
    }
    EXPECT_EQ(GetObjectType(gone), 0u);
    EXPECT_FALSE(DeleteObject(gone));
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(type == OBJ_DC ? reinterpret_cast<HDC>(gone) : dc, type == OBJ_DC ? GetStockObject(BLACK_PEN) : gone),
              nullptr);
    DeleteDC(dc);
    for (HGDIOBJ h : made) EXPECT_TRUE(type == OBJ_DC ? DeleteDC(reinterpret_cast<HDC>(h)) : DeleteObject(h));
  }
  // Stock objects and the objects a DC holds are given by their handles too.
  HDC dc = CreateCompatibleDC(nullptr);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), GetStockObject(BLACK_PEN));
  EXPECT_EQ(GetObjectType(GetCurrentObject(dc, OBJ_BITMAP)), static_cast<DWORD>(OBJ_BITMAP));
  HGDIOBJ brush = MakeObject(OBJ_BRUSH, 1);
  EXPECT_EQ(SelectObject(dc, brush), GetStockObject(WHITE_BRUSH));
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_TRUE(DeleteObject(brush));  // selected: it stays until it is deselected
  EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
  EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), brush);
  EXPECT_EQ(GetObjectType(brush), 0u);
  DeleteDC(dc);
}

// Pens, brushes and fonts shared by the DCs of several threads: each is deleted while a DC of its
// own still holds it, then selected in and out on every thread. It must live exactly as long as
// some DC holds it, so the selection counts have to come out exact.
TEST(GdiHandleTable, ObjectsSharedByTheDcsOfManyThreads) {
  constexpr int kThreads = 4, kRounds = 20000;
  std::vector<HGDIOBJ> shared;
  std::vector<HDC> holders;
  for (DWORD type : {OBJ_PEN, OBJ_BRUSH, OBJ_FONT}) {
    for (int n = 0; n < 3; ++n) {
      HGDIOBJ obj = MakeObject(type, n);
      HDC holder = CreateCompatibleDC(nullptr);
      ASSERT_NE(SelectObject(holder, obj), nullptr);
      EXPECT_TRUE(DeleteObject(obj));
      shared.push_back(obj);
      holders.push_back(holder);
    }
  }

  std::atomic<int> failures{0};
  auto worker = [&](int t) {
    HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN), brush = GetCurrentObject(dc, OBJ_BRUSH),
                  font = GetCurrentObject(dc, OBJ_FONT);
    for (int r = 0; r < kRounds; ++r) {
      HGDIOBJ obj = shared[static_cast<size_t>(r * 7 + t) % shared.size()];
      const DWORD type = GetObjectType(obj);
      if (type == 0 || !SelectObject(dc, obj) || GetCurrentObject(dc, type) != obj) ++failures;
    }
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    SelectObject(dc, font);
    DeleteDC(dc);
  };
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(worker, t);
  for (std::thread& th : threads) th.join();

  EXPECT_EQ(failures.load(), 0);
  for (size_t i = 0; i < shared.size(); ++i) {
    EXPECT_NE(GetObjectType(shared[i]), 0u) << i;  // its own DC still holds it
    EXPECT_TRUE(DeleteDC(holders[i]));
    EXPECT_EQ(GetObjectType(shared[i]), 0u) << i;  // and it went with the last selection
  }
}

// The resolution every layout asks for: the context's own, the screen's without one, and 96 when
// what is asked reports none (a handle that is no device context).
TEST(PixelsPerInch, ContextScreenAndFallback) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
  struct Case {
    HDC dc;
    int axis;
    int expected;
  } const cases[] = {
      {nullptr, LOGPIXELSX, 96}, {nullptr, LOGPIXELSY, 96}, {screen, LOGPIXELSX, GetDeviceCaps(screen, LOGPIXELSX)},
      {memory, LOGPIXELSY, GetDeviceCaps(memory, LOGPIXELSY)}, {reinterpret_cast<HDC>(pen), LOGPIXELSX, 96},
  };
  for (const Case& c : cases) EXPECT_EQ(lw::PixelsPerInch(c.dc, c.axis), c.expected);
  DeleteObject(pen);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}
