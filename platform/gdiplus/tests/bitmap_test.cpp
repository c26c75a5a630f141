// Bitmaps: formats, caller memory with negative strides, LockBits conversions, pixels, palettes
// and the cairo surfaces of the drawing classes.
#include <GdiplusBitmap.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

using namespace Gdiplus;

namespace {

ARGB Pixel(Bitmap& bmp, INT x, INT y) {
  Color c;
  EXPECT_EQ(bmp.GetPixel(x, y, &c), Ok);
  return c.GetValue();
}

uint32_t SurfacePixel(cairo_surface_t* s, int x, int y) {
  cairo_surface_flush(s);
  const BYTE* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
  return reinterpret_cast<const uint32_t*>(row)[x];
}

}  // namespace

TEST(BitmapTest, NewBitmapsHaveSizeFormatAndZeroPixels) {
  const PixelFormat formats[] = {PixelFormat1bppIndexed, PixelFormat4bppIndexed, PixelFormat8bppIndexed,
                                 PixelFormat24bppRGB,    PixelFormat32bppRGB,    PixelFormat32bppARGB,
                                 PixelFormat32bppPARGB};
  for (PixelFormat f : formats) {
    SCOPED_TRACE(f);
    Bitmap bmp(13, 7, f);
    EXPECT_EQ(bmp.GetLastStatus(), Ok);
    EXPECT_EQ(bmp.GetWidth(), 13u);
    EXPECT_EQ(bmp.GetHeight(), 7u);
    EXPECT_EQ(bmp.GetPixelFormat(), f);
    EXPECT_EQ(bmp.GetHorizontalResolution(), 96.0f);
    const ARGB expected = (f == PixelFormat32bppARGB || f == PixelFormat32bppPARGB) ? 0x00000000u : 0xFF000000u;
    EXPECT_EQ(Pixel(bmp, 12, 6), expected);
  }
}

TEST(BitmapTest, BadArgumentsFail) {
  Bitmap zero(0, 5, PixelFormat24bppRGB);
  EXPECT_EQ(zero.GetLastStatus(), InvalidParameter);
  Bitmap badFormat(4, 4, PixelFormat16bppGrayScale);
  EXPECT_EQ(badFormat.GetLastStatus(), InvalidParameter);
  BYTE mem[64] = {};
  Bitmap shortStride(8, 2, 8, PixelFormat24bppRGB, mem);  // a row needs 24 bytes
  EXPECT_EQ(shortStride.GetLastStatus(), InvalidParameter);
  Bitmap packed(3, 2, -3, PixelFormat8bppIndexed, mem + 3);  // packed rows of raw image data
  EXPECT_EQ(packed.GetLastStatus(), Ok);

  Bitmap bmp(4, 4, PixelFormat32bppARGB);
  Color c;
  EXPECT_EQ(bmp.GetPixel(4, 0, &c), InvalidParameter);
  EXPECT_EQ(bmp.SetPixel(-1, 0, Color(1, 2, 3)), InvalidParameter);
  BitmapData data;
  Rect outside(2, 2, 3, 1);
  EXPECT_EQ(bmp.LockBits(&outside, ImageLockModeRead, PixelFormat32bppARGB, &data), InvalidParameter);
}

TEST(BitmapTest, SetAndGetPixelKeepColourInEveryDirectFormat) {
  struct Case {
    PixelFormat format;
    ARGB in, out;
  } cases[] = {
      {PixelFormat24bppRGB, 0x80123456, 0xFF123456},   // alpha dropped
      {PixelFormat32bppRGB, 0x80123456, 0xFF123456},
      {PixelFormat32bppARGB, 0x80123456, 0x80123456},
      {PixelFormat32bppPARGB, 0x80FF8000, 0x80FF8000},  // survives premultiplying
      {PixelFormat32bppPARGB, 0x00FF8000, 0x00000000},  // fully transparent loses its colour
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    Bitmap bmp(3, 3, c.format);
    ASSERT_EQ(bmp.SetPixel(1, 2, Color(c.in)), Ok);
    EXPECT_EQ(Pixel(bmp, 1, 2), c.out);
  }
  Bitmap indexed(3, 3, PixelFormat8bppIndexed);
  EXPECT_EQ(indexed.SetPixel(0, 0, Color(0xFFFFFFFF)), InvalidParameter);
}

TEST(BitmapTest, CallerMemoryWithNegativeStrideIsBottomUp) {
  // A bottom-up 24-bit DIB of 3 x 2 pixels: rows of 12 bytes (9 padded to 4), the top row last.
  std::vector<BYTE> dib(24, 0);
  const INT stride = 12;
  dib[0] = 0x11, dib[1] = 0x22, dib[2] = 0x33;    // file row 0 = bottom row, pixel 0
  dib[12] = 0xAA, dib[13] = 0xBB, dib[14] = 0xCC; // file row 1 = top row, pixel 0
  Bitmap bmp(3, 2, -stride, PixelFormat24bppRGB, dib.data() + stride);
  ASSERT_EQ(bmp.GetLastStatus(), Ok);
  EXPECT_EQ(Pixel(bmp, 0, 0), 0xFFCCBBAAu);
  EXPECT_EQ(Pixel(bmp, 0, 1), 0xFF332211u);

  // Writes land in the caller's rows: pixel (2, 0) is the last pixel of the top (last) DIB row.
  ASSERT_EQ(bmp.SetPixel(2, 0, Color(0x01, 0x02, 0x03)), Ok);
  EXPECT_EQ(dib[12 + 6], 0x03);
  EXPECT_EQ(dib[12 + 7], 0x02);
  EXPECT_EQ(dib[12 + 8], 0x01);

  // LockBits of the own format hands out the rows themselves, with the negative stride.
  BitmapData data;
  ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  EXPECT_EQ(data.Stride, -stride);
  EXPECT_EQ(data.Scan0, dib.data() + stride);
  ASSERT_EQ(bmp.UnlockBits(&data), Ok);

  // Drawing through cairo reaches the caller's memory in its format: at a sync while drawing
  // goes on (the caller may hand the rows on before its Graphics ends), and at the end.
  cairo_surface_t* s = bmp.LwBeginDraw();
  ASSERT_NE(s, nullptr);
  cairo_t* cr = cairo_create(s);
  cairo_set_source_rgb(cr, 1, 0, 0);
  cairo_rectangle(cr, 0, 1, 1, 1);  // bottom-left pixel
  cairo_fill(cr);
  Rect bottomLeft(0, 1, 1, 1);
  bmp.LwSyncDraw(&bottomLeft);
  EXPECT_EQ(dib[2], 0xFF);
  cairo_set_source_rgb(cr, 0, 1, 0);
  cairo_rectangle(cr, 1, 1, 1, 1);
  cairo_fill(cr);
  cairo_destroy(cr);
  bmp.LwEndDraw(s);
  EXPECT_EQ(dib[0], 0x00);
  EXPECT_EQ(dib[1], 0x00);
  EXPECT_EQ(dib[2], 0xFF);
  EXPECT_EQ(dib[4], 0xFF);   // green of pixel (1, 1)
  EXPECT_EQ(dib[12], 0xAA);  // the top row is untouched
}

TEST(BitmapTest, LockBitsConvertsBetweenFormats) {
  // Read: one pixel stored in `from`, read back in `to`.
  struct Case {
    PixelFormat from;
    ARGB stored;
    PixelFormat to;
    std::vector<BYTE> bytes;  // blue, green, red[, alpha]
  } cases[] = {
      {PixelFormat32bppARGB, 0x80FF8040, PixelFormat32bppPARGB, {0x20, 0x40, 0x80, 0x80}},
      {PixelFormat32bppARGB, 0x80FF8040, PixelFormat24bppRGB, {0x40, 0x80, 0xFF}},
      {PixelFormat32bppARGB, 0x80FF8040, PixelFormat32bppRGB, {0x40, 0x80, 0xFF, 0xFF}},
      {PixelFormat24bppRGB, 0xFF102030, PixelFormat32bppARGB, {0x30, 0x20, 0x10, 0xFF}},
      {PixelFormat24bppRGB, 0xFF102030, PixelFormat32bppPARGB, {0x30, 0x20, 0x10, 0xFF}},
      {PixelFormat32bppPARGB, 0x80FF8040, PixelFormat32bppARGB, {0x40, 0x80, 0xFF, 0x80}},
      {PixelFormat32bppRGB, 0xFF0000FF, PixelFormat8bppIndexed, {12}},  // pure blue of the default palette
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.from << " -> " << c.to);
    Bitmap bmp(2, 1, c.from);
    ASSERT_EQ(bmp.SetPixel(1, 0, Color(c.stored)), Ok);
    BitmapData data;
    Rect r(1, 0, 1, 1);
    ASSERT_EQ(bmp.LockBits(&r, ImageLockModeRead, c.to, &data), Ok);
    EXPECT_EQ(data.PixelFormat, c.to);
    EXPECT_EQ(data.Width, 1u);
    EXPECT_EQ(std::vector<BYTE>(static_cast<BYTE*>(data.Scan0), static_cast<BYTE*>(data.Scan0) + c.bytes.size()),
              c.bytes);
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
  }
}

TEST(BitmapTest, LockBitsWritesBackInTheBitmapsFormat) {
  Bitmap bmp(4, 2, PixelFormat24bppRGB);
  BitmapData data;
  ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  EXPECT_EQ(data.Stride, 16);
  auto* px = static_cast<ARGB*>(data.Scan0);
  for (int i = 0; i < 8; ++i) px[i] = 0xFF000000u | (i * 0x111111u);
  EXPECT_EQ(bmp.LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), WrongState);  // one lock
  ASSERT_EQ(bmp.UnlockBits(&data), Ok);
  EXPECT_EQ(Pixel(bmp, 3, 1), 0xFF777777u);
  EXPECT_EQ(bmp.UnlockBits(&data), WrongState);

  // A caller's buffer: the pixels to write come from it; read mode fills it.
  ARGB mine[2] = {0xFFABCDEF, 0xFF010203};
  BitmapData user;
  user.Scan0 = mine;
  user.Stride = 8;
  Rect r(1, 0, 2, 1);
  ASSERT_EQ(bmp.LockBits(&r, ImageLockModeWrite | ImageLockModeUserInputBuf, PixelFormat32bppARGB, &user), Ok);
  ASSERT_EQ(bmp.UnlockBits(&user), Ok);
  EXPECT_EQ(Pixel(bmp, 1, 0), 0xFFABCDEFu);
  EXPECT_EQ(Pixel(bmp, 2, 0), 0xFF010203u);
  ARGB back[2] = {0, 0};
  user.Scan0 = back;
  ASSERT_EQ(bmp.LockBits(&r, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat32bppARGB, &user), Ok);
  ASSERT_EQ(bmp.UnlockBits(&user), Ok);
  EXPECT_EQ(back[0], 0xFFABCDEFu);
}

TEST(BitmapTest, IndexedBitmapsUseTheirPalette) {
  Bitmap bmp(10, 1, PixelFormat4bppIndexed);
  std::vector<BYTE> buf(sizeof(ColorPalette) + 3 * sizeof(ARGB));
  auto* pal = reinterpret_cast<ColorPalette*>(buf.data());
  pal->Flags = 0;
  pal->Count = 4;
  pal->Entries[0] = 0xFF000000;
  pal->Entries[1] = 0xFFFF0000;
  pal->Entries[2] = 0x8000FF00;
  pal->Entries[3] = 0xFF0000FF;
  ASSERT_EQ(bmp.SetPalette(pal), Ok);
  EXPECT_EQ(bmp.GetPaletteSize(), static_cast<INT>(buf.size()));
  EXPECT_TRUE(bmp.GetFlags() & ImageFlagsHasAlpha);

  // Indices at odd and even pixels (nibbles) through an unaligned lock in the own format.
  BitmapData data;
  Rect r(3, 0, 4, 1);
  ASSERT_EQ(bmp.LockBits(&r, ImageLockModeWrite, PixelFormat4bppIndexed, &data), Ok);
  static_cast<BYTE*>(data.Scan0)[0] = 0x12;  // pixels 3, 4
  static_cast<BYTE*>(data.Scan0)[1] = 0x30;  // pixels 5, 6
  ASSERT_EQ(bmp.UnlockBits(&data), Ok);
  EXPECT_EQ(Pixel(bmp, 2, 0), 0xFF000000u);
  EXPECT_EQ(Pixel(bmp, 3, 0), 0xFFFF0000u);
  EXPECT_EQ(Pixel(bmp, 4, 0), 0x8000FF00u);
  EXPECT_EQ(Pixel(bmp, 5, 0), 0xFF0000FFu);

  // Read as 8bpp keeps the indices; written from ARGB maps to the nearest entry.
  ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeRead | ImageLockModeWrite, PixelFormat8bppIndexed, &data), Ok);
  EXPECT_EQ(static_cast<BYTE*>(data.Scan0)[4], 2);
  ASSERT_EQ(bmp.UnlockBits(&data), Ok);
  ASSERT_EQ(bmp.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
  static_cast<ARGB*>(data.Scan0)[0] = 0xFF1010F0;  // nearest: blue
  for (int i = 1; i < 10; ++i) static_cast<ARGB*>(data.Scan0)[i] = 0xFF000000;
  ASSERT_EQ(bmp.UnlockBits(&data), Ok);
  EXPECT_EQ(Pixel(bmp, 0, 0), 0xFF0000FFu);

  std::vector<BYTE> out(bmp.GetPaletteSize());
  auto* got = reinterpret_cast<ColorPalette*>(out.data());
  ASSERT_EQ(bmp.GetPalette(got, static_cast<INT>(out.size())), Ok);
  EXPECT_EQ(got->Count, 4u);
  EXPECT_EQ(got->Entries[2], 0x8000FF00u);
}

TEST(BitmapTest, SourceSurfaceIsPremultipliedCopy) {
  Bitmap bmp(2, 1, PixelFormat32bppARGB);
  bmp.SetPixel(0, 0, Color(0x80FF0000));
  bmp.SetPixel(1, 0, Color(0xFF00FF00));
  cairo_surface_t* s = bmp.LwCreateSourceSurface();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(cairo_image_surface_get_format(s), CAIRO_FORMAT_ARGB32);
  EXPECT_EQ(SurfacePixel(s, 0, 0), 0x80800000u);
  EXPECT_EQ(SurfacePixel(s, 1, 0), 0xFF00FF00u);
  cairo_surface_destroy(s);
}

TEST(BitmapTest, DrawingReachesEveryFormat) {
  const PixelFormat formats[] = {PixelFormat24bppRGB, PixelFormat32bppRGB, PixelFormat32bppARGB,
                                 PixelFormat32bppPARGB, PixelFormat8bppIndexed};
  for (PixelFormat f : formats) {
    SCOPED_TRACE(f);
    Bitmap bmp(4, 4, f);
    cairo_surface_t* s = bmp.LwBeginDraw();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(bmp.LwBeginDraw(), nullptr);  // one drawing at a time
    cairo_t* cr = cairo_create(s);
    cairo_set_source_rgba(cr, 0, 0, 1, 1);
    cairo_rectangle(cr, 1, 1, 2, 2);
    cairo_fill(cr);
    // Pixels read while the surface is out see the drawing, and pixels set reach the surface.
    EXPECT_EQ(Pixel(bmp, 1, 1), 0xFF0000FFu);
    cairo_surface_t* copy = bmp.LwCreateSourceSurface();
    EXPECT_EQ(SurfacePixel(copy, 2, 2), 0xFF0000FFu);
    cairo_surface_destroy(copy);
    if (!IsIndexedPixelFormat(f)) {
      ASSERT_EQ(bmp.SetPixel(0, 3, Color(0xFF00FF00)), Ok);
    }
    BitmapData data;
    Rect r(2, 2, 2, 2);
    ASSERT_EQ(bmp.LockBits(&r, ImageLockModeRead | ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
    EXPECT_EQ(static_cast<ARGB*>(data.Scan0)[0], 0xFF0000FFu);
    static_cast<ARGB*>(data.Scan0)[1] = 0xFFFF0000u;  // pixel (3, 2)
    ASSERT_EQ(bmp.UnlockBits(&data), Ok);
    cairo_set_source_rgba(cr, 1, 1, 1, 1);
    cairo_rectangle(cr, 0, 0, 1, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    bmp.LwEndDraw(s);
    EXPECT_EQ(Pixel(bmp, 1, 1), 0xFF0000FFu);
    EXPECT_EQ(Pixel(bmp, 0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Pixel(bmp, 3, 2), 0xFFFF0000u);  // the lock's write survived the end of drawing
    if (!IsIndexedPixelFormat(f)) {
      EXPECT_EQ(Pixel(bmp, 0, 3), 0xFF00FF00u);
    }
    EXPECT_EQ(Pixel(bmp, 3, 0) & 0x00FFFFFF, 0u);
  }
}

TEST(BitmapTest, TranslucentDrawingOnOpaqueFormatsShowsOverBlack) {
  // Cleared to transparent, then half-transparent red: without alpha the result is dark red.
  for (PixelFormat f : {PixelFormat24bppRGB, PixelFormat32bppRGB}) {
    SCOPED_TRACE(f);
    Bitmap bmp(1, 1, f);
    cairo_surface_t* s = bmp.LwBeginDraw();
    cairo_t* cr = cairo_create(s);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_paint(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_set_source_rgba(cr, 1, 0, 0, 0.5);
    cairo_paint(cr);
    cairo_destroy(cr);
    bmp.LwEndDraw(s);
    EXPECT_EQ(Pixel(bmp, 0, 0), 0xFF800000u);
  }
}

TEST(BitmapTest, CloneCopiesPixelsAndConverts) {
  Bitmap bmp(3, 2, PixelFormat32bppARGB);
  bmp.SetPixel(2, 1, Color(0x40102030));
  bmp.SetResolution(300, 150);
  std::unique_ptr<Image> whole(bmp.Clone());
  ASSERT_NE(whole, nullptr);
  auto* copy = static_cast<Bitmap*>(whole.get());
  EXPECT_EQ(Pixel(*copy, 2, 1), 0x40102030u);
  EXPECT_EQ(copy->GetVerticalResolution(), 150.0f);
  bmp.SetPixel(2, 1, Color(0));  // the copy is independent
  EXPECT_EQ(Pixel(*copy, 2, 1), 0x40102030u);

  std::unique_ptr<Bitmap> part(copy->Clone(Rect(1, 1, 2, 1), PixelFormat24bppRGB));
  ASSERT_NE(part, nullptr);
  EXPECT_EQ(part->GetWidth(), 2u);
  EXPECT_EQ(part->GetPixelFormat(), PixelFormat24bppRGB);
  EXPECT_EQ(Pixel(*part, 1, 0), 0xFF102030u);
  EXPECT_EQ(copy->Clone(Rect(2, 0, 2, 1), PixelFormat24bppRGB), nullptr);
}

// A drawing surface over a 32bppARGB bitmap holds the premultiplied pixels and writes the
// straight ones back, in rows of every length around the four-pixel runs the conversions take
// whole when they are opaque: a translucent or transparent pixel anywhere in a run, and one
// drawn translucent into an opaque run, keep their own values.
TEST(BitmapTest, DrawingSurfacesPremultiplyEachPixelOfARow) {
  constexpr ARGB kOpaque = 0xFF123456u, kHalf = 0x80FF8000u, kClear = 0u;
  auto original = [](INT x) { return x % 5 == 3 ? kHalf : x % 7 == 6 ? kClear : kOpaque; };
  auto premultiplied = [](ARGB c) {
    const uint32_t a = c >> 24;
    uint32_t out = a << 24;
    for (int shift : {0, 8, 16}) out |= static_cast<uint32_t>(std::lround(((c >> shift) & 0xFF) * a / 255.0)) << shift;
    return out;
  };
  for (const INT w : {1, 3, 4, 5, 8, 9, 12, 13}) {
    SCOPED_TRACE(w);
    Bitmap bmp(w, 1, PixelFormat32bppARGB);
    for (INT x = 0; x < w; ++x) ASSERT_EQ(bmp.SetPixel(x, 0, Color(original(x))), Ok);
    cairo_surface_t* s = bmp.LwBeginDraw();
    ASSERT_NE(s, nullptr);
    for (INT x = 0; x < w; ++x) EXPECT_EQ(SurfacePixel(s, x, 0), premultiplied(original(x))) << "pixel " << x;
    // A quarter-opaque pixel drawn over the last one of the row.
    reinterpret_cast<uint32_t*>(cairo_image_surface_get_data(s))[w - 1] = 0x40402010u;
    cairo_surface_mark_dirty(s);
    bmp.LwEndDraw(s);
    for (INT x = 0; x + 1 < w; ++x) EXPECT_EQ(Pixel(bmp, x, 0), original(x)) << "pixel " << x;
    EXPECT_EQ(Pixel(bmp, w - 1, 0), 0x40FF8040u);  // each channel x 255 / 64, rounded to nearest
  }
}
