// Bitmaps and icons loaded from the resource table by id, checked pixel by pixel.
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <gtest/gtest.h>
#include <objidl.h>
#include <winres.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "afxwin.h"
#include "winuser.h"

namespace {

enum : WORD {
  IDB_HEADERLESS = 7101,
  IDB_FILE = 7102,
  IDB_GARBAGE = 7103,
  IDI_BADGE = 7201,
  IDI_RAW = 7202,
  ID_MISSING = 7999,
};

// A 2 by 2, 24-bit BMP as the resource compiler keeps it (no file header), bottom row first:
// bottom blue, green; top red, white. Rows are padded to 4 bytes.
const BYTE kHeaderless[] = {
    40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0,  // size, width, height, planes, bits
    0, 0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // BI_RGB, image size, resolution
    0, 0, 0, 0, 0, 0, 0, 0,                           // colours used, important
    0xFF, 0, 0, 0, 0xFF, 0, 0, 0,                     // blue, green (bottom row)
    0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0,               // red, white (top row)
};

// The same picture as a whole file.
std::vector<BYTE> WithFileHeader() {
  std::vector<BYTE> out = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0};
  out.insert(out.end(), std::begin(kHeaderless), std::end(kHeaderless));
  out[2] = static_cast<BYTE>(out.size());
  return out;
}

// A 2 by 2 PNG with alpha: opaque red, transparent, half-covering blue, opaque green.
std::vector<BYTE> BadgePng() {
  Gdiplus::Bitmap bmp(2, 2, Gdiplus::PixelFormat32bppARGB);
  bmp.SetPixel(0, 0, Gdiplus::Color(255, 255, 0, 0));
  bmp.SetPixel(1, 0, Gdiplus::Color(0, 0, 0, 0));
  bmp.SetPixel(0, 1, Gdiplus::Color(128, 0, 0, 255));
  bmp.SetPixel(1, 1, Gdiplus::Color(255, 0, 255, 0));
  IStream* s = SHCreateMemStream(nullptr, 0);
  EXPECT_EQ(bmp.Save(s, &Gdiplus::LwEncoderClsidPNG), Gdiplus::Ok);
  HGLOBAL h = nullptr;
  GetHGlobalFromStream(s, &h);
  const auto* p = static_cast<const BYTE*>(GlobalLock(h));
  std::vector<BYTE> out(p, p + GlobalSize(h));
  GlobalUnlock(h);
  s->Release();
  return out;
}

const std::vector<BYTE>& Store(std::vector<BYTE> v) {
  return *new std::vector<BYTE>(std::move(v));  // resources live for the run
}

void RegisterOnce() {
  static const bool done = [] {
    const auto& file = Store(WithFileHeader());
    const auto& png = Store(BadgePng());
    static const char kGarbage[] = "BM this is not a picture";
    lw::RegisterResource(RT_BITMAP, MAKEINTRESOURCEW(IDB_HEADERLESS), kHeaderless, sizeof kHeaderless);
    lw::RegisterResource(RT_BITMAP, MAKEINTRESOURCEW(IDB_FILE), file.data(), static_cast<DWORD>(file.size()));
    lw::RegisterResource(RT_BITMAP, MAKEINTRESOURCEW(IDB_GARBAGE), kGarbage, sizeof kGarbage);
    lw::RegisterResource(RT_GROUP_ICON, MAKEINTRESOURCEW(IDI_BADGE), png.data(), static_cast<DWORD>(png.size()));
    lw::RegisterResource(RT_ICON, MAKEINTRESOURCEW(IDI_RAW), png.data(), static_cast<DWORD>(png.size()));
    return true;
  }();
  (void)done;
}

// A memory context over a white DIB of w by h.
struct WhiteCanvas {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = nullptr;
  HGDIOBJ old = nullptr;
  WhiteCanvas(int w, int h) {
    bmp = CreateCompatibleBitmap(dc, w, h);
    old = SelectObject(dc, bmp);
    PatBlt(dc, 0, 0, w, h, WHITENESS);
  }
  ~WhiteCanvas() {
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
  }
};

bool Near(COLORREF got, COLORREF want) {
  return std::abs(int(GetRValue(got)) - int(GetRValue(want))) <= 2 &&
         std::abs(int(GetGValue(got)) - int(GetGValue(want))) <= 2 &&
         std::abs(int(GetBValue(got)) - int(GetBValue(want))) <= 2;
}

TEST(ResourceImages, BitmapsByIdKeepTheirPixelsWithOrWithoutFileHeader) {
  RegisterOnce();
  for (WORD id : {IDB_HEADERLESS, IDB_FILE}) {
    SCOPED_TRACE(id);
    HBITMAP h = LoadBitmap(nullptr, MAKEINTRESOURCEW(id));
    ASSERT_NE(h, nullptr);
    BITMAP info{};
    ASSERT_EQ(GetObject(h, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 2);
    EXPECT_EQ(info.bmHeight, 2);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, h);
    EXPECT_EQ(GetPixel(dc, 0, 0), RGB(255, 0, 0));  // the file's last row is the top
    EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(dc, 0, 1), RGB(0, 0, 255));
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(0, 255, 0));
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_TRUE(DeleteObject(h));
  }
  // Scaled by LoadImage: each pixel becomes a 2 by 2 block (corners are unblended).
  HBITMAP big = static_cast<HBITMAP>(LoadImage(nullptr, MAKEINTRESOURCEW(IDB_HEADERLESS), IMAGE_BITMAP, 4, 4, 0));
  ASSERT_NE(big, nullptr);
  BITMAP info{};
  GetObject(big, sizeof info, &info);
  EXPECT_EQ(info.bmWidth, 4);
  EXPECT_EQ(info.bmHeight, 4);
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, big);
  EXPECT_TRUE(Near(GetPixel(dc, 0, 0), RGB(255, 0, 0)));
  EXPECT_TRUE(Near(GetPixel(dc, 3, 3), RGB(0, 255, 0)));
  SelectObject(dc, old);
  DeleteDC(dc);
  DeleteObject(big);
}

TEST(ResourceImages, MissingOrUnreadableResourcesGiveNull) {
  RegisterOnce();
  EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCEW(ID_MISSING)), nullptr);
  EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCEW(IDB_GARBAGE)), nullptr);
  EXPECT_EQ(LoadBitmap(nullptr, MAKEINTRESOURCEW(IDI_BADGE)), nullptr);  // an icon is not a bitmap
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEW(ID_MISSING)), nullptr);
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEW(IDB_FILE)), nullptr);  // nor a bitmap an icon
  EXPECT_EQ(LoadImage(nullptr, MAKEINTRESOURCEW(IDB_FILE), 7, 0, 0, 0), nullptr);
  int notAnIcon = 0;
  EXPECT_FALSE(DestroyIcon(reinterpret_cast<HICON>(&notAnIcon)));
  WhiteCanvas canvas(1, 1);
  EXPECT_FALSE(DrawIcon(canvas.dc, 0, 0, reinterpret_cast<HICON>(&notAnIcon)));
}

TEST(ResourceImages, IconsByIdBlendByTheirAlpha) {
  RegisterOnce();
  HICON shared = LoadIcon(nullptr, MAKEINTRESOURCEW(IDI_BADGE));
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(LoadIcon(nullptr, MAKEINTRESOURCEW(IDI_BADGE)), shared);  // one icon per id
  EXPECT_TRUE(DestroyIcon(shared));                                    // and it stays
  HICON raw = LoadIcon(nullptr, MAKEINTRESOURCEW(IDI_RAW));  // found under RT_ICON as well
  ASSERT_NE(raw, nullptr);
  for (HICON icon : {shared, raw}) {
    WhiteCanvas canvas(4, 4);
    ASSERT_TRUE(DrawIcon(canvas.dc, 1, 1, icon));
    EXPECT_EQ(GetPixel(canvas.dc, 0, 0), RGB(255, 255, 255));  // outside
    EXPECT_TRUE(Near(GetPixel(canvas.dc, 1, 1), RGB(255, 0, 0)));
    EXPECT_EQ(GetPixel(canvas.dc, 2, 1), RGB(255, 255, 255));  // transparent
    EXPECT_TRUE(Near(GetPixel(canvas.dc, 1, 2), RGB(127, 127, 255)));  // half blue over white
    EXPECT_TRUE(Near(GetPixel(canvas.dc, 2, 2), RGB(0, 255, 0)));
  }
  // An icon of its own, at a size asked for: the caller destroys it, after which it is gone.
  HICON own = static_cast<HICON>(LoadImage(nullptr, MAKEINTRESOURCEW(IDI_BADGE), IMAGE_ICON, 4, 4, 0));
  ASSERT_NE(own, nullptr);
  EXPECT_NE(own, shared);
  {
    WhiteCanvas canvas(4, 4);
    ASSERT_TRUE(DrawIconEx(canvas.dc, 0, 0, own, 0, 0, 0, nullptr, DI_NORMAL));
    EXPECT_TRUE(Near(GetPixel(canvas.dc, 0, 0), RGB(255, 0, 0)));
    EXPECT_TRUE(Near(GetPixel(canvas.dc, 3, 3), RGB(0, 255, 0)));
    EXPECT_EQ(GetPixel(canvas.dc, 3, 0), RGB(255, 255, 255));
  }
  EXPECT_TRUE(DestroyIcon(own));
  EXPECT_FALSE(DestroyIcon(own));
}

}  // namespace
