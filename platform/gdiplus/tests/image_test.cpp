// Images from GDI bitmaps, start-up and shut-down, and image-level queries.
#include <GdiplusBitmap.h>
#include <GdiplusInit.h>
#include <gtest/gtest.h>
#include <wingdi.h>

#include <cstring>
#include <memory>

using namespace Gdiplus;

TEST(ImageTest, StartupGivesTokensAndChecksVersion) {
  GdiplusStartupInput input;
  ULONG_PTR a = 0, b = 0;
  ASSERT_EQ(GdiplusStartup(&a, &input, nullptr), Ok);
  ASSERT_EQ(GdiplusStartup(&b, &input, nullptr), Ok);
  EXPECT_NE(a, 0u);
  EXPECT_NE(a, b);
  GdiplusShutdown(b);
  GdiplusShutdown(a);
  GdiplusShutdown(12345);  // unknown: ignored

  input.GdiplusVersion = 9;
  EXPECT_EQ(GdiplusStartup(&a, &input, nullptr), UnsupportedGdiplusVersion);
  EXPECT_EQ(GdiplusStartup(nullptr, &input, nullptr), InvalidParameter);
  GdiplusStartupInput quiet(nullptr, TRUE);
  GdiplusStartupOutput output{};
  ASSERT_EQ(GdiplusStartup(&a, &quiet, &output), Ok);
  EXPECT_NE(output.NotificationHook, nullptr);
  GdiplusShutdown(a);
}

TEST(ImageTest, FromHBITMAPCopiesDibSectionTopRowFirst) {
  // A bottom-up 24-bit DIB section of 2 x 2: the last row in memory is the top of the picture.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(dib, nullptr);
  ASSERT_NE(bits, nullptr);
  auto* p = static_cast<BYTE*>(bits);
  const BYTE bottom[3] = {0x10, 0x20, 0x30}, top[3] = {0xA0, 0xB0, 0xC0};
  std::memcpy(p, bottom, 3);      // row 0 in memory: bottom-left pixel
  std::memcpy(p + 8, top, 3);     // row 1 in memory: top-left pixel
  std::unique_ptr<Bitmap> bmp(Bitmap::FromHBITMAP(dib, nullptr));
  DeleteObject(dib);  // the copy does not depend on the GDI bitmap
  ASSERT_EQ(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(bmp->GetPixelFormat(), PixelFormat24bppRGB);
  Color c;
  bmp->GetPixel(0, 0, &c);
  EXPECT_EQ(c.GetValue(), 0xFFC0B0A0u);
  bmp->GetPixel(0, 1, &c);
  EXPECT_EQ(c.GetValue(), 0xFF302010u);

  std::unique_ptr<Bitmap> none(Bitmap::FromHBITMAP(nullptr, nullptr));
  EXPECT_EQ(none->GetLastStatus(), InvalidParameter);
  EXPECT_EQ(none->GetWidth(), 0u);
}

TEST(ImageTest, FlagsAndRawFormat) {
  Bitmap argb(2, 2, PixelFormat32bppARGB);
  Bitmap rgb(2, 2, PixelFormat24bppRGB);
  EXPECT_TRUE(argb.GetFlags() & ImageFlagsHasAlpha);
  EXPECT_FALSE(rgb.GetFlags() & ImageFlagsHasAlpha);
  EXPECT_TRUE(rgb.GetFlags() & ImageFlagsColorSpaceRGB);
  GUID raw;
  ASSERT_EQ(rgb.GetRawFormat(&raw), Ok);
  EXPECT_EQ(raw, ImageFormatMemoryBMP);
  EXPECT_EQ(rgb.GetPaletteSize(), static_cast<INT>(sizeof(ColorPalette)));
  EXPECT_EQ(rgb.SetResolution(0, 96), InvalidParameter);
  EXPECT_EQ(rgb.GetLastStatus(), InvalidParameter);
  EXPECT_EQ(rgb.GetLastStatus(), Ok);  // reading the status resets it
}
