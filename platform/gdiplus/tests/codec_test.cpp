// Image files: decoding PNG, JPEG, BMP and GIF data made here, the encoders and their list, and
// bad data, which must fail cleanly.
#include <GdiplusBitmap.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gif_lib.h>
#define XMD_H
#include <jpeglib.h>

#include "ReplaceKill.h"
#include "TestSupport.h"

using namespace Gdiplus;

namespace {

using Bytes = std::vector<BYTE>;

std::unique_ptr<Bitmap> Decode(const Bytes& bytes) {
  IStream* s = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  EXPECT_NE(s, nullptr);
  std::unique_ptr<Bitmap> bmp(Bitmap::FromStream(s));
  s->Release();
  return bmp;
}

Bytes StreamBytes(IStream* s) {
  HGLOBAL h = nullptr;
  EXPECT_EQ(GetHGlobalFromStream(s, &h), S_OK);
  const BYTE* p = static_cast<const BYTE*>(GlobalLock(h));
  Bytes out(p, p + GlobalSize(h));
  GlobalUnlock(h);
  return out;
}

// The class id of the encoder with the given MIME type, as the program looks it up.
bool EncoderClsid(const wchar_t* mime, CLSID* clsid) {
  UINT num = 0, size = 0;
  if (GetImageEncodersSize(&num, &size) != Ok || size == 0) return false;
  std::vector<BYTE> buf(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buf.data());
  if (GetImageEncoders(num, size, codecs) != Ok) return false;
  for (UINT i = 0; i < num; ++i)
    if (std::wcscmp(codecs[i].MimeType, mime) == 0) {
      *clsid = codecs[i].Clsid;
      return true;
    }
  return false;
}

Bytes Encode(Bitmap& bmp, const wchar_t* mime, const EncoderParameters* params = nullptr) {
  CLSID clsid;
  EXPECT_TRUE(EncoderClsid(mime, &clsid));
  IStream* s = nullptr;
  EXPECT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &s), S_OK);
  EXPECT_EQ(bmp.Save(s, &clsid, params), Ok);
  Bytes out = StreamBytes(s);
  s->Release();
  return out;
}

ARGB Pixel(Bitmap& bmp, INT x, INT y) {
  Color c;
  EXPECT_EQ(bmp.GetPixel(x, y, &c), Ok);
  return c.GetValue();
}

void Le16(Bytes& b, uint32_t v) {
  b.push_back(BYTE(v));
  b.push_back(BYTE(v >> 8));
}
void Le32(Bytes& b, uint32_t v) {
  Le16(b, v & 0xFFFF);
  Le16(b, v >> 16);
}

// A BMP file: the headers, then `extra` (colour table or masks), then the pixel rows as given.
Bytes MakeBmp(int32_t width, int32_t height, int bpp, uint32_t compression, const Bytes& extra, const Bytes& pixels,
              uint32_t clrUsed = 0) {
  Bytes b = {'B', 'M'};
  const uint32_t off = 14 + 40 + static_cast<uint32_t>(extra.size());
  Le32(b, off + static_cast<uint32_t>(pixels.size()));
  Le32(b, 0);
  Le32(b, off);
  Le32(b, 40);
  Le32(b, static_cast<uint32_t>(width));
  Le32(b, static_cast<uint32_t>(height));
  Le16(b, 1);
  Le16(b, static_cast<uint32_t>(bpp));
  Le32(b, compression);
  Le32(b, static_cast<uint32_t>(pixels.size()));
  Le32(b, 3780);  // 96 dpi
  Le32(b, 3780);
  Le32(b, clrUsed);
  Le32(b, 0);
  b.insert(b.end(), extra.begin(), extra.end());
  b.insert(b.end(), pixels.begin(), pixels.end());
  return b;
}

// A JPEG of w x h made with libjpeg: left half red, right half blue (colour, or CMYK with an
// Adobe marker and inks stored inverted, as Adobe's programs write them) or a grey ramp.
enum class JpegKind { Colour, Grey, Cmyk };
Bytes MakeJpeg(int w, int h, JpegKind kind, int quality = 95) {
  const bool gray = kind == JpegKind::Grey;
  const bool cmyk = kind == JpegKind::Cmyk;
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* buf = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buf, &size);
  cinfo.image_width = w;
  cinfo.image_height = h;
  cinfo.input_components = gray ? 1 : cmyk ? 4 : 3;
  cinfo.in_color_space = gray ? JCS_GRAYSCALE : cmyk ? JCS_CMYK : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<size_t>(w) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    for (int x = 0; x < w; ++x) {
      const bool left = x < w / 2;
      if (gray) {
        row[x] = static_cast<JSAMPLE>(x * 255 / (w - 1));
      } else if (cmyk) {  // inverted inks: red is M and Y (stored 255, 0, 0, 255), blue C and M
        row[x * 4] = left ? 255 : 0;
        row[x * 4 + 1] = 0;
        row[x * 4 + 2] = left ? 0 : 255;
        row[x * 4 + 3] = 255;
      } else {
        row[x * 3] = left ? 255 : 0;
        row[x * 3 + 1] = 0;
        row[x * 3 + 2] = left ? 0 : 255;
      }
    }
    JSAMPROW p = row.data();
    jpeg_write_scanlines(&cinfo, &p, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Bytes out(buf, buf + size);
  free(buf);
  return out;
}

int GifWrite(GifFileType* gif, const GifByteType* data, int len) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + len);
  return len;
}

// A GIF with a 4-colour global table, a 4 x 3 screen and one frame of `fw` x `fh` at (fx, fy).
Bytes MakeGif(int fx, int fy, int fw, int fh, int transparent, bool interlace) {
  Bytes out;
  int error = 0;
  GifFileType* gif = EGifOpen(&out, GifWrite, &error);
  EXPECT_NE(gif, nullptr);
  EGifSetGifVersion(gif, true);
  GifColorType colors[4] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  ColorMapObject* map = GifMakeMapObject(4, colors);
  EGifPutScreenDesc(gif, 4, 3, 2, 0, map);
  if (transparent >= 0) {
    GifByteType gce[4] = {1, 0, 0, static_cast<GifByteType>(transparent)};
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, gce);
  }
  EGifPutImageDesc(gif, fx, fy, fw, fh, interlace, nullptr);
  // Frame rows in display order: pixel (x, y) = (x + y) % 4. An interlaced frame takes its rows in
  // pass order.
  std::vector<int> order;
  if (interlace) {
    const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    for (int p = 0; p < 4; ++p)
      for (int y = start[p]; y < fh; y += step[p]) order.push_back(y);
  } else {
    for (int y = 0; y < fh; ++y) order.push_back(y);
  }
  for (int y : order) {
    std::vector<GifPixelType> line(fw);
    for (int x = 0; x < fw; ++x) line[x] = static_cast<GifPixelType>((x + y) % 4);
    EGifPutLine(gif, line.data(), fw);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

}  // namespace

TEST(CodecTest, EncodersAreListedByMimeType) {
  UINT num = 0, size = 0;
  ASSERT_EQ(GetImageEncodersSize(&num, &size), Ok);
  ASSERT_EQ(num, 3u);
  std::vector<BYTE> buf(size);
  auto* codecs = reinterpret_cast<ImageCodecInfo*>(buf.data());
  EXPECT_EQ(GetImageEncoders(num, size - 1, codecs), InvalidParameter);
  ASSERT_EQ(GetImageEncoders(num, size, codecs), Ok);
  std::vector<std::wstring> mimes;
  for (UINT i = 0; i < num; ++i) {
    mimes.emplace_back(codecs[i].MimeType);
    // Strings live inside the caller's buffer.
    EXPECT_GE(reinterpret_cast<const BYTE*>(codecs[i].FormatDescription), buf.data());
    EXPECT_LT(reinterpret_cast<const BYTE*>(codecs[i].FilenameExtension), buf.data() + size);
  }
  EXPECT_EQ(mimes, (std::vector<std::wstring>{L"image/bmp", L"image/jpeg", L"image/png"}));
  EXPECT_EQ(codecs[2].Clsid, LwEncoderClsidPNG);
  EXPECT_STREQ(codecs[2].FormatDescription, L"PNG");
}

TEST(CodecTest, PngRoundTripIsPixelExact) {
  // Every format the program saves as PNG, with alpha where the format has it.
  const PixelFormat formats[] = {PixelFormat32bppARGB, PixelFormat32bppPARGB, PixelFormat24bppRGB,
                                 PixelFormat32bppRGB, PixelFormat8bppIndexed};
  for (PixelFormat f : formats) {
    SCOPED_TRACE(f);
    Bitmap src(7, 5, f);
    BitmapData data;
    ASSERT_EQ(src.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppARGB, &data), Ok);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) {
        const BYTE a = IsAlphaPixelFormat(f) ? BYTE(x * 40) : 255;
        const BYTE v = BYTE((x * 37 + y * 91) & 0xFF);
        // Colours a premultiplied store keeps exactly: components that are multiples of 255/alpha
        // are not needed when alpha is 0 or 255; use those two plus a half-alpha grey.
        ARGB c = Color::MakeARGB(a, v, BYTE(255 - v), BYTE(y * 50));
        if (f == PixelFormat32bppPARGB) c = (a == 0) ? 0 : Color::MakeARGB(255, v, BYTE(255 - v), BYTE(y * 50));
        if (f == PixelFormat8bppIndexed) c = 0xFF000000u | (x % 2 ? 0xFF0000u : 0x0000FFu);
        static_cast<ARGB*>(data.Scan0)[y * data.Stride / 4 + x] = c;
      }
    ASSERT_EQ(src.UnlockBits(&data), Ok);
    src.SetResolution(150, 75);

    const Bytes png = Encode(src, L"image/png");
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(png[1], 'P');
    auto back = Decode(png);
    ASSERT_EQ(back->GetLastStatus(), Ok);
    ASSERT_EQ(back->GetWidth(), 7u);
    ASSERT_EQ(back->GetHeight(), 5u);
    GUID raw;
    back->GetRawFormat(&raw);
    EXPECT_EQ(raw, ImageFormatPNG);
    EXPECT_NEAR(back->GetHorizontalResolution(), 150.0f, 0.1f);
    EXPECT_NEAR(back->GetVerticalResolution(), 75.0f, 0.1f);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 7; ++x) ASSERT_EQ(Pixel(*back, x, y), Pixel(src, x, y)) << x << "," << y;
  }
}

TEST(CodecTest, PngOfIndexedBitmapKeepsPaletteAndAlpha) {
  Bitmap src(5, 1, PixelFormat1bppIndexed);
  std::vector<BYTE> palBuf(sizeof(ColorPalette) + sizeof(ARGB));
  auto* pal = reinterpret_cast<ColorPalette*>(palBuf.data());
  pal->Flags = 0;
  pal->Count = 2;
  pal->Entries[0] = 0x00112233;  // transparent
  pal->Entries[1] = 0xFFABCDEF;
  ASSERT_EQ(src.SetPalette(pal), Ok);
  BitmapData data;
  ASSERT_EQ(src.LockBits(nullptr, ImageLockModeWrite, PixelFormat1bppIndexed, &data), Ok);
  static_cast<BYTE*>(data.Scan0)[0] = 0xA8;  // 1 0 1 0 1
  ASSERT_EQ(src.UnlockBits(&data), Ok);
  auto back = Decode(Encode(src, L"image/png"));
  ASSERT_EQ(back->GetLastStatus(), Ok);
  EXPECT_EQ(back->GetPixelFormat(), PixelFormat8bppIndexed);
  EXPECT_TRUE(back->GetFlags() & ImageFlagsHasAlpha);
  const ARGB expected[5] = {0xFFABCDEF, 0x00112233, 0xFFABCDEF, 0x00112233, 0xFFABCDEF};
  for (int x = 0; x < 5; ++x) EXPECT_EQ(Pixel(*back, x, 0), expected[x]);
}

TEST(CodecTest, JpegDecodesColourAndGrey) {
  auto colour = Decode(MakeJpeg(32, 16, JpegKind::Colour));
  ASSERT_EQ(colour->GetLastStatus(), Ok);
  EXPECT_EQ(colour->GetPixelFormat(), PixelFormat24bppRGB);
  EXPECT_EQ(colour->GetWidth(), 32u);
  EXPECT_EQ(colour->GetHeight(), 16u);
  GUID raw;
  colour->GetRawFormat(&raw);
  EXPECT_EQ(raw, ImageFormatJPEG);
  const auto near = [](ARGB got, ARGB want) {
    for (int s = 0; s < 24; s += 8)
      if (std::abs(int((got >> s) & 0xFF) - int((want >> s) & 0xFF)) > 12) return false;
    return (got >> 24) == 0xFF;
  };
  EXPECT_TRUE(near(Pixel(*colour, 4, 8), 0xFFFF0000)) << std::hex << Pixel(*colour, 4, 8);
  EXPECT_TRUE(near(Pixel(*colour, 28, 8), 0xFF0000FF)) << std::hex << Pixel(*colour, 28, 8);

  auto grey = Decode(MakeJpeg(64, 8, JpegKind::Grey));
  ASSERT_EQ(grey->GetLastStatus(), Ok);
  EXPECT_TRUE(near(Pixel(*grey, 0, 4), 0xFF000000));
  EXPECT_TRUE(near(Pixel(*grey, 63, 4), 0xFFFFFFFF));
  const ARGB mid = Pixel(*grey, 32, 4);
  EXPECT_EQ((mid >> 16) & 0xFF, mid & 0xFF);  // grey stays grey

  auto cmyk = Decode(MakeJpeg(32, 16, JpegKind::Cmyk));
  ASSERT_EQ(cmyk->GetLastStatus(), Ok);
  EXPECT_EQ(cmyk->GetPixelFormat(), PixelFormat24bppRGB);
  EXPECT_TRUE(near(Pixel(*cmyk, 4, 8), 0xFFFF0000)) << std::hex << Pixel(*cmyk, 4, 8);
  EXPECT_TRUE(near(Pixel(*cmyk, 28, 8), 0xFF0000FF)) << std::hex << Pixel(*cmyk, 28, 8);
}

// A grey or colour JPEG keeps its file while its pixels are that file's, so that a writer can pass
// the bytes through; a CMYK file, and any write to the pixels, drop it; a copy keeps it.
TEST(CodecTest, JpegFileIsKeptUntilThePixelsChange) {
  const Bytes file = MakeJpeg(32, 16, JpegKind::Colour);
  auto colour = Decode(file);
  ASSERT_EQ(colour->GetLastStatus(), Ok);
  ASSERT_NE(colour->LwJpegBytes(), nullptr);
  EXPECT_EQ(*colour->LwJpegBytes(), file);
  std::unique_ptr<Image> copy(colour->Clone());
  ASSERT_NE(copy, nullptr);
  ASSERT_NE(copy->LwJpegBytes(), nullptr);
  auto grey = Decode(MakeJpeg(64, 8, JpegKind::Grey));
  EXPECT_NE(grey->LwJpegBytes(), nullptr);
  EXPECT_EQ(Decode(MakeJpeg(32, 16, JpegKind::Cmyk))->LwJpegBytes(), nullptr);
  EXPECT_EQ(Decode(Encode(*colour, L"image/png", nullptr))->LwJpegBytes(), nullptr);

  // Reading leaves the file; writing through any road drops it.
  BitmapData data;
  ASSERT_EQ(colour->LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);
  colour->UnlockBits(&data);
  EXPECT_NE(colour->LwJpegBytes(), nullptr);
  EXPECT_EQ(colour->SetPixel(1, 1, Color(0, 0, 0)), Ok);
  EXPECT_EQ(colour->LwJpegBytes(), nullptr);
  auto locked = Decode(file);
  ASSERT_EQ(locked->LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &data), Ok);
  locked->UnlockBits(&data);
  EXPECT_EQ(locked->LwJpegBytes(), nullptr);
  auto drawn = Decode(file);
  cairo_surface_t* surface = drawn->LwBeginDraw();
  ASSERT_NE(surface, nullptr);
  drawn->LwEndDraw(surface);
  EXPECT_EQ(drawn->LwJpegBytes(), nullptr);
}

TEST(CodecTest, JpegEncoderHonoursQuality) {
  Bitmap src(64, 64, PixelFormat24bppRGB);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) src.SetPixel(x, y, Color(BYTE(x * 4), BYTE(y * 4), BYTE((x ^ y) * 4)));
  ULONG quality = 10;
  EncoderParameters params;
  params.Count = 1;
  params.Parameter[0] = {EncoderQuality, 1, EncoderParameterValueTypeLong, &quality};
  const Bytes low = Encode(src, L"image/jpeg", &params);
  quality = 100;
  const Bytes high = Encode(src, L"image/jpeg", &params);
  EXPECT_LT(low.size(), high.size());
  auto back = Decode(high);
  ASSERT_EQ(back->GetLastStatus(), Ok);
  const ARGB p = Pixel(*back, 40, 20);
  EXPECT_NEAR(int((p >> 16) & 0xFF), 160, 6);
  EXPECT_NEAR(int((p >> 8) & 0xFF), 80, 6);
}

TEST(CodecTest, BmpDecodesDepthsAndRowOrders) {
  const Bytes pal = {0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0};  // black, white, red (BGRX)
  struct Case {
    const char* name;
    Bytes file;
    PixelFormat format;
    ARGB topLeft, bottomRight;
  } cases[] = {
      // 2 x 2, bottom-up: the first stored row is the bottom one.
      {"24 bottom-up", MakeBmp(2, 2, 24, BI_RGB, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       PixelFormat24bppRGB, 0xFF090807, 0xFF060504},
      {"24 top-down", MakeBmp(2, -2, 24, BI_RGB, {}, {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0}),
       PixelFormat24bppRGB, 0xFF030201, 0xFF0C0B0A},
      {"32 BI_RGB ignores alpha", MakeBmp(1, 2, 32, BI_RGB, {}, {1, 2, 3, 0, 4, 5, 6, 0}), PixelFormat32bppRGB,
       0xFF060504, 0xFF030201},
      {"8 with 3 colours", MakeBmp(2, 1, 8, BI_RGB, pal, {2, 1, 0, 0}, 3), PixelFormat8bppIndexed, 0xFFFF0000,
       0xFFFFFFFF},
      {"4", MakeBmp(3, 1, 4, BI_RGB, pal, {0x21, 0x00, 0, 0}, 3), PixelFormat4bppIndexed, 0xFFFF0000, 0xFF000000},
      {"1", MakeBmp(3, 1, 1, BI_RGB, Bytes(pal.begin(), pal.begin() + 8), {0xA0, 0, 0, 0}), PixelFormat1bppIndexed,
       0xFFFFFFFF, 0xFFFFFFFF},
      // 16 bits 5-6-5 by bit fields (masks after the header): pure red, then pure green.
      {"16 bitfields", MakeBmp(2, 1, 16, BI_BITFIELDS, {0, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0},
                               {0x00, 0xF8, 0xE0, 0x07}),
       PixelFormat32bppRGB, 0xFFFF0000, 0xFF00FF00},
      {"16 BI_RGB 5-5-5", MakeBmp(1, 1, 16, BI_RGB, {}, {0x1F, 0x00, 0, 0}), PixelFormat32bppRGB, 0xFF0000FF,
       0xFF0000FF},
      // RLE8 2 x 2: bottom row a run of two red, end of line; top row white then black; end.
      {"RLE8", MakeBmp(2, 2, 8, BI_RLE8, pal, {2, 2, 0, 0, 1, 1, 1, 0, 0, 1}, 3), PixelFormat8bppIndexed,
       0xFFFFFFFF, 0xFFFF0000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bmp = Decode(c.file);
    ASSERT_EQ(bmp->GetLastStatus(), Ok);
    EXPECT_EQ(bmp->GetPixelFormat(), c.format);
    EXPECT_EQ(Pixel(*bmp, 0, 0), c.topLeft);
    EXPECT_EQ(Pixel(*bmp, bmp->GetWidth() - 1, bmp->GetHeight() - 1), c.bottomRight);
    EXPECT_NEAR(bmp->GetHorizontalResolution(), 96.0f, 0.1f);
  }
}

TEST(CodecTest, BmpRoundTripKeepsFormatAndPixels) {
  // 32bppRGB is what the program saves as BMP; 24-bit and indexed come back in their format.
  const PixelFormat formats[] = {PixelFormat32bppRGB, PixelFormat24bppRGB, PixelFormat8bppIndexed,
                                 PixelFormat4bppIndexed};
  for (PixelFormat f : formats) {
    SCOPED_TRACE(f);
    Bitmap src(5, 3, f);
    BitmapData data;
    ASSERT_EQ(src.LockBits(nullptr, ImageLockModeWrite, PixelFormat32bppRGB, &data), Ok);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x)
        static_cast<ARGB*>(data.Scan0)[y * data.Stride / 4 + x] = (x + y) % 2 ? 0xFFFF0000u : 0xFFFFFFFFu;
    ASSERT_EQ(src.UnlockBits(&data), Ok);
    const Bytes file = Encode(src, L"image/bmp");
    EXPECT_EQ(file[0], 'B');
    auto back = Decode(file);
    ASSERT_EQ(back->GetLastStatus(), Ok);
    EXPECT_EQ(back->GetPixelFormat(), f);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) ASSERT_EQ(Pixel(*back, x, y), Pixel(src, x, y));
  }
}

TEST(CodecTest, BmpFrameWithTrailingBytesDecodes) {
  // The video renderer's frame: a 24-bit BMP whose block is 24 bytes longer than its pixels.
  Bytes rows(12 * 2, 0x40);
  Bytes file = MakeBmp(3, 2, 24, BI_RGB, {}, rows);
  file.resize(file.size() + 24, 0);
  auto bmp = Decode(file);
  ASSERT_EQ(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(Pixel(*bmp, 2, 1), 0xFF404040u);
}

TEST(CodecTest, GifFirstFrameWithTransparency) {
  struct Case {
    const char* name;
    int fx, fy, fw, fh, transparent;
    bool interlace;
  } cases[] = {
      {"whole screen", 0, 0, 4, 3, -1, false},
      {"interlaced", 0, 0, 4, 3, -1, true},
      {"offset frame, transparent 0", 1, 1, 3, 2, 0, false},
  };
  const ARGB colours[4] = {0xFF000000, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bmp = Decode(MakeGif(c.fx, c.fy, c.fw, c.fh, c.transparent, c.interlace));
    ASSERT_EQ(bmp->GetLastStatus(), Ok);
    EXPECT_EQ(bmp->GetPixelFormat(), PixelFormat8bppIndexed);
    ASSERT_EQ(bmp->GetWidth(), 4u);
    ASSERT_EQ(bmp->GetHeight(), 3u);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) {
        const bool inside = x >= c.fx && y >= c.fy && x < c.fx + c.fw && y < c.fy + c.fh;
        int index = inside ? (x - c.fx + y - c.fy) % 4 : (c.transparent >= 0 ? c.transparent : 0);
        ARGB want = colours[index];
        if (index == c.transparent) want &= 0x00FFFFFF;
        EXPECT_EQ(Pixel(*bmp, x, y), want) << x << "," << y;
      }
    EXPECT_EQ((bmp->GetFlags() & ImageFlagsHasAlpha) != 0, c.transparent >= 0);
  }
}

TEST(CodecTest, BadDataFailsCleanly) {
  Bitmap good(16, 16, PixelFormat32bppARGB);
  good.SetPixel(3, 3, Color(0x80402010));
  const Bytes png = Encode(good, L"image/png");
  const Bytes jpeg = MakeJpeg(16, 16, JpegKind::Colour);
  const Bytes bmp = Encode(good, L"image/bmp");
  const Bytes gif = MakeGif(0, 0, 4, 3, -1, false);
  struct Case {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"empty", {}},
      {"unknown", {'h', 'e', 'l', 'l', 'o'}},
      {"png signature only", Bytes(png.begin(), png.begin() + 8)},
      {"png truncated", Bytes(png.begin(), png.begin() + png.size() / 2)},
      {"png bad header crc", [&] { Bytes b = png; b[20] ^= 0xFF; return b; }()},
      {"jpeg truncated", Bytes(jpeg.begin(), jpeg.begin() + jpeg.size() / 2)},
      {"jpeg header only", Bytes(jpeg.begin(), jpeg.begin() + 4)},
      {"bmp truncated", Bytes(bmp.begin(), bmp.begin() + bmp.size() - 10)},
      {"bmp header only", Bytes(bmp.begin(), bmp.begin() + 20)},
      {"bmp huge size", MakeBmp(100000, 100000, 24, BI_RGB, {}, {1, 2, 3, 4})},
      {"bmp bad depth", MakeBmp(2, 2, 7, BI_RGB, {}, Bytes(16, 0))},
      {"bmp palette past end", MakeBmp(2, 2, 8, BI_RGB, {0, 0, 0, 0}, {}, 200)},
      {"bmp rle without end", MakeBmp(2, 2, 8, BI_RLE8, {0, 0, 0, 0}, {2, 0}, 1)},
      {"gif truncated", Bytes(gif.begin(), gif.begin() + 38)},
      {"gif no frame", Bytes(gif.begin(), gif.begin() + 13 + 12)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto img = Decode(c.bytes);
    ASSERT_NE(img, nullptr);
    EXPECT_NE(img->GetLastStatus(), Ok);
    EXPECT_EQ(img->GetWidth(), 0u);
    Color col;
    EXPECT_NE(img->GetPixel(0, 0, &col), Ok);
    BitmapData data;
    EXPECT_NE(img->LockBits(nullptr, ImageLockModeRead, PixelFormat32bppARGB, &data), Ok);
    EXPECT_EQ(img->LwCreateSourceSurface(), nullptr);
  }
}

TEST(CodecTest, FlatCallsGiveNullOnFailure) {
  Bitmap src(2, 2, PixelFormat24bppRGB);
  const Bytes png = Encode(src, L"image/png");
  IStream* s = SHCreateMemStream(png.data(), static_cast<UINT>(png.size()));
  GpBitmap* bmp = nullptr;
  ASSERT_EQ(DllExports::GdipCreateBitmapFromStream(s, &bmp), Ok);
  s->Release();
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->GetWidth(), 2u);
  EXPECT_EQ(GdipDisposeImage(bmp), Ok);

  const Bytes junk = {'B', 'M', 1, 2, 3};
  s = SHCreateMemStream(junk.data(), static_cast<UINT>(junk.size()));
  bmp = reinterpret_cast<GpBitmap*>(&src);
  EXPECT_NE(GdipCreateBitmapFromStream(s, &bmp), Ok);
  EXPECT_EQ(bmp, nullptr);
  s->Release();

  UINT num = 0, size = 0;
  ASSERT_EQ(GdipGetImageEncodersSize(&num, &size), Ok);
  std::vector<BYTE> buf(size);
  ASSERT_EQ(GdipGetImageEncoders(num, size, reinterpret_cast<ImageCodecInfo*>(buf.data())), Ok);
}

TEST(CodecTest, FilesAndStreamPositions) {
  lwtest::TempDir dir;
  Bitmap src(3, 2, PixelFormat24bppRGB);
  src.SetPixel(2, 1, Color(9, 8, 7));
  CLSID png;
  ASSERT_TRUE(EncoderClsid(L"image/png", &png));
  const std::wstring path = (dir / "p.png").wstring();
  ASSERT_EQ(src.Save(path.c_str(), &png), Ok);
  std::unique_ptr<Image> img(Image::FromFile(path.c_str()));
  ASSERT_EQ(img->GetLastStatus(), Ok);
  EXPECT_EQ(Pixel(*static_cast<Bitmap*>(img.get()), 2, 1), 0xFF090807u);

  std::unique_ptr<Bitmap> missing(Bitmap::FromFile((dir / "none.png").wstring().c_str()));
  EXPECT_EQ(missing->GetLastStatus(), FileNotFound);
  CLSID unknown = LwEncoderClsidPNG;
  unknown.Data1 ^= 1;
  EXPECT_NE(src.Save((dir / "x").wstring().c_str(), &unknown), Ok);
  EXPECT_FALSE(std::filesystem::exists(dir / "x"));

  // Saving over a picture replaces it whole: killed before the rename the old picture stays,
  // after it the new one is complete; a link there is kept.
  const Bytes oldPicture = lwtest::ReadFileBytes(dir / "p.png");
  std::filesystem::create_symlink("p.png", dir / "link.png");
  Bitmap other(4, 4, PixelFormat24bppRGB);
  const std::wstring link = (dir / "link.png").wstring();
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kSynced, [&] { other.Save(link.c_str(), &png); }));
  EXPECT_EQ(lwtest::ReadFileBytes(dir / "p.png"), oldPicture);
  EXPECT_EQ(other.Save(link.c_str(), &png), Ok);
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "link.png"));
  std::unique_ptr<Image> replaced(Image::FromFile(path.c_str()));
  EXPECT_EQ(replaced->GetWidth(), 4u);
  ASSERT_EQ(src.Save(path.c_str(), &png), Ok);

  // Decoding starts at the stream's position.
  Bytes file = {'j', 'u', 'n', 'k'};
  const Bytes encoded = lwtest::ReadFileBytes(dir / "p.png");
  file.insert(file.end(), encoded.begin(), encoded.end());
  IStream* s = SHCreateMemStream(file.data(), static_cast<UINT>(file.size()));
  LARGE_INTEGER four;
  four.QuadPart = 4;
  ASSERT_EQ(s->Seek(four, STREAM_SEEK_SET, nullptr), S_OK);
  std::unique_ptr<Bitmap> fromMiddle(Bitmap::FromStream(s));
  s->Release();
  EXPECT_EQ(fromMiddle->GetLastStatus(), Ok);
  EXPECT_EQ(fromMiddle->GetWidth(), 3u);
}
