// The image block: creation, readers of outside blocks, queries, pixels, colour tables, copies,
// depth conversions and the alpha channel.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "BitmapCreator.h"
#include "BitmapCreatorTesting.h"
#include "ImageTestUtil.h"
#include "QorObjImage.h"

using namespace QorPixelmill;
using pixeltest::Argb;
using pixeltest::MakeImage;
using pixeltest::Pixels;

namespace {

TEST(QorImageCreate, BlockLayoutPerDepth) {
  struct Case {
    int w, h, bits, colours;
    int pitch, palette;
    size_t block;
  };
  const Case cases[] = {
      {3, 2, 24, 0, 12, 0, 64},
      {5, 1, 1, 0, 4, 8, 52},
      {9, 2, 4, 0, 8, 64, 40 + 64 + 16},
      {3, 1, 8, 2, 4, 8, 40 + 8 + 4},
      {3, 2, 16, 0, 8, 0, 40 + 16},
      {2, 2, 32, 0, 8, 0, 40 + 16},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << "x" << c.bits);
    CQorObjImage img;
    ASSERT_TRUE(img.Create(c.w, c.h, c.bits, c.colours));
    EXPECT_EQ(img.Width(), c.w);
    EXPECT_EQ(img.Height(), c.h);
    EXPECT_EQ(img.ColorBits(), c.bits);
    EXPECT_EQ(img.GetPitch(), c.pitch);
    EXPECT_EQ(img.CalcuPaletteSize(), c.palette);
    EXPECT_EQ(img.GetBitField(), c.bits == 16 ? 0x3E0u : 0u);
    BYTE* start = img.GetMemStart();
    BITMAPINFOHEADER* block = img.Detch();
    EXPECT_FALSE(img.IsValidImage());
    EXPECT_EQ(start, reinterpret_cast<BYTE*>(block) + 40 + c.palette);
    EXPECT_EQ(CQorObjImage::CalcuBlockSize(block), c.block);
    EXPECT_EQ(block->biSize, 40u);
    EXPECT_EQ(block->biPlanes, 1);
    EXPECT_EQ(block->biCompression, 0u);
    EXPECT_EQ(block->biClrUsed, static_cast<DWORD>(c.colours));
    delete[] block;
  }
}

TEST(QorImageCreate, RefusedArgumentsLeaveTheImageEmpty) {
  const int bad[][4] = {{0, 1, 24, 0}, {1, 0, 24, 0}, {-3, 2, 24, 0}, {2, 2, 2, 0}, {2, 2, 12, 0}, {2, 2, 8, -1},
                        {2, 2, 8, 300}, {100000, 100000, 32, 0}};
  for (const auto& b : bad) {
    CQorObjImage img(2, 2, 24);
    EXPECT_FALSE(img.Create(b[0], b[1], b[2], b[3])) << b[0] << "x" << b[1] << "x" << b[2] << " " << b[3];
    EXPECT_FALSE(img.IsValidImage());
    EXPECT_EQ(img.Width(), 0);
    EXPECT_EQ(img.GetPitch(), 0);
    EXPECT_EQ(img.GetMemStart(), nullptr);
  }
}

// A packed DIB as it comes from outside: header fields then `extra` bytes.
std::vector<BITMAPINFOHEADER> OutsideBlock(const BITMAPINFOHEADER& h, size_t extra) {
  std::vector<BITMAPINFOHEADER> v(1 + (extra + 39) / 40);
  v[0] = h;
  return v;
}

TEST(QorImageCreate, ReaderRefusesDamagedHeaders) {
  const BITMAPINFOHEADER good{40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0};
  struct Case {
    const char* name;
    void (*damage)(BITMAPINFOHEADER&);
  };
  const Case cases[] = {
      {"larger header", [](BITMAPINFOHEADER& h) { h.biSize = 124; }},
      {"smaller header", [](BITMAPINFOHEADER& h) { h.biSize = 12; }},
      {"zero width", [](BITMAPINFOHEADER& h) { h.biWidth = 0; }},
      {"top-down", [](BITMAPINFOHEADER& h) { h.biHeight = -2; }},
      {"depth 2", [](BITMAPINFOHEADER& h) { h.biBitCount = 2; }},
      {"run-length", [](BITMAPINFOHEADER& h) { h.biCompression = BI_RLE8; }},
      {"bit fields at 24 bits", [](BITMAPINFOHEADER& h) { h.biCompression = BI_BITFIELDS; }},
      {"bit fields at 8 bits", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; h.biCompression = BI_BITFIELDS; }},
      {"too many colours", [](BITMAPINFOHEADER& h) { h.biBitCount = 8; h.biClrUsed = 257; }},
      {"huge colour count", [](BITMAPINFOHEADER& h) { h.biBitCount = 1; h.biClrUsed = 0xFFFFFFFF; }},
      {"size overflows", [](BITMAPINFOHEADER& h) { h.biWidth = 0x7FFFFFFF; h.biHeight = 0x7FFFFFFF; h.biBitCount = 32; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BITMAPINFOHEADER h = good;
    c.damage(h);
    auto block = OutsideBlock(h, 4096);
    EXPECT_EQ(CQorObjImage::CalcuBlockSize(block.data()), 0u);
    CQorObjImage img(1, 1, 8);
    EXPECT_FALSE(img.Create(block.data(), block.size() * 40));
    EXPECT_FALSE(img.Create(block.data()));
    EXPECT_EQ(img.ColorBits(), 8) << "a refused block leaves the image as it was";
  }
  CQorObjImage img;
  EXPECT_FALSE(img.Create(nullptr));
  EXPECT_FALSE(img.Create(nullptr, 100));
}

TEST(QorImageCreate, ReaderNeverReadsPastTheBlock) {
  // 2 x 2 at 24 bits needs 40 + 16 bytes; 8-bit with 3 colours needs 40 + 12 + 8.
  struct Case {
    BITMAPINFOHEADER h;
    size_t need;
  };
  const Case cases[] = {
      {{40, 2, 2, 1, 24, 0, 0, 0, 0, 0, 0}, 56},
      {{40, 2, 2, 1, 8, 0, 0, 0, 0, 3, 0}, 60},
      {{40, 2, 1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0}, 56},
      {{40, 1, 1, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0}, 56},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CQorObjImage::CalcuBlockSize(&c.h), c.need);
    // Exactly sized heap copies, so a sanitizer catches any read past the end.
    std::vector<BYTE> exact(c.need);
    std::memcpy(exact.data(), &c.h, 40);
    CQorObjImage img;
    EXPECT_FALSE(img.Create(reinterpret_cast<const BITMAPINFOHEADER*>(exact.data()), c.need - 1));
    EXPECT_FALSE(img.Create(reinterpret_cast<const BITMAPINFOHEADER*>(exact.data()), 39));
    EXPECT_TRUE(img.Create(reinterpret_cast<const BITMAPINFOHEADER*>(exact.data()), c.need));
    EXPECT_EQ(img.Width(), c.h.biWidth);
  }
}

TEST(QorImageCreate, BitFieldImagesReadTheirPixelsAfterTheMasks) {
  // 32-bit bit-field image: masks R, G, B, then one pixel.
  std::vector<BYTE> dib(40 + 12 + 4);
  const BITMAPINFOHEADER h{40, 1, 1, 1, 32, BI_BITFIELDS, 0, 0, 0, 0, 0};
  std::memcpy(dib.data(), &h, 40);
  const DWORD masks[3] = {0xFF0000, 0xFF00, 0xFF};
  std::memcpy(dib.data() + 40, masks, 12);
  const BYTE pixel[4] = {1, 2, 3, 4};
  std::memcpy(dib.data() + 52, pixel, 4);
  CQorObjImage img;
  ASSERT_TRUE(img.Create(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), dib.size()));
  EXPECT_EQ(img.CalcuPaletteSize(), 12);
  EXPECT_EQ(img.GetPixelData(0, 0), 0x04030201u);
  img.ConvertTo24Bit();
  EXPECT_EQ(img.GetPixelData(0, 0), 0x030201u);
}

TEST(QorImageQueries, RowsAndPixelAddresses) {
  CQorObjImage img(3, 2, 24);
  BYTE* start = img.GetMemStart();
  EXPECT_EQ(img.GetBits(0), start + 12) << "the top row is the last in memory";
  EXPECT_EQ(img.GetBits(1), start);
  struct Case {
    int bits, x;
    ptrdiff_t offset;
  };
  const Case cases[] = {{1, 9, 1}, {4, 3, 1}, {8, 5, 5}, {16, 3, 6}, {24, 2, 6}, {32, 3, 12}};
  for (const Case& c : cases) {
    CQorObjImage i(16, 2, c.bits);
    EXPECT_EQ(i.GetBits(c.x, 1) - i.GetBits(1), c.offset) << c.bits;
  }
  EXPECT_TRUE(img.IsInside(2, 1));
  EXPECT_FALSE(img.IsInside(3, 0));
  EXPECT_FALSE(img.IsInside(0, -1));
  RECT rc{-5, 1, 10, 9};
  img.BoundRect(rc);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 1);
  EXPECT_EQ(rc.right, 3);
  EXPECT_EQ(rc.bottom, 2);
}

TEST(QorImagePixels, GetAndSetPerDepth) {
  struct Case {
    int bits;
    DWORD value;     // written to (1, 0)
    DWORD readBack;  // read from (1, 0)
    BYTE firstBytes[4];  // bytes of the top row afterwards
  };
  const Case cases[] = {
      {1, 1, 1, {0x40, 0, 0, 0}},
      {1, 0xFE, 0, {0x00, 0, 0, 0}},
      {4, 0xA, 0xA, {0x0A, 0, 0, 0}},
      {4, 0x1F, 0xF, {0x0F, 0, 0, 0}},
      {8, 0x1FE, 0xFE, {0, 0xFE, 0, 0}},
      {16, 0x12345, 0x2345, {0, 0, 0x45, 0x23}},
      {24, 0xAABBCCDD, 0xBBCCDD, {0, 0, 0, 0xDD}},
      {32, 0xAABBCCDD, 0xAABBCCDD, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    CQorObjImage img(4, 2, c.bits);
    img.SetPixelData(1, 0, c.value);
    EXPECT_EQ(img.GetPixelData(1, 0), c.readBack);
    EXPECT_EQ(std::memcmp(img.GetBits(0), c.firstBytes, 4), 0);
    EXPECT_EQ(img.GetPixelData(0, 0), 0u);
    EXPECT_EQ(img.GetPixelData(1, 1), 0u) << "other row untouched";
    // outside: 0 and no change
    img.SetPixelData(-1, 0, 0xFFFFFFFF);
    img.SetPixelData(4, 0, 0xFFFFFFFF);
    img.SetPixelData(0, 2, 0xFFFFFFFF);
    EXPECT_EQ(img.GetPixelData(-1, 0), 0u);
    EXPECT_EQ(img.GetPixelData(0, 2), 0u);
    EXPECT_EQ(Pixels(img), (std::vector<DWORD>{0, c.readBack, 0, 0, 0, 0, 0, 0}));
  }
}

TEST(QorImagePixels, SubBytePackingKeepsNeighbours) {
  CQorObjImage one(10, 1, 1);
  for (int x : {0, 3, 7, 8, 9}) one.SetPixelData(x, 0, 1);
  one.SetPixelData(3, 0, 0);
  EXPECT_EQ(one.GetBits(0)[0], 0x81);
  EXPECT_EQ(one.GetBits(0)[1], 0xC0);
  CQorObjImage four(3, 1, 4);
  four.SetPixelData(0, 0, 0x3);
  four.SetPixelData(1, 0, 0xC);
  four.SetPixelData(2, 0, 0x7);
  EXPECT_EQ(four.GetBits(0)[0], 0x3C);
  EXPECT_EQ(four.GetBits(0)[1], 0x70);
  EXPECT_EQ(Pixels(four), (std::vector<DWORD>{3, 0xC, 7}));
}

TEST(QorImagePalette, TableBounds) {
  CQorObjImage img;
  ASSERT_TRUE(img.Create(1, 1, 8, 4));
  const RGBQUAD in[3] = {{1, 2, 3, 0}, {4, 5, 6, 0}, {7, 8, 9, 0}};
  EXPECT_TRUE(img.SetColorTable(2, 3, in)) << "entries past the table are skipped";
  RGBQUAD out[4];
  std::memset(out, 0xEE, sizeof out);
  EXPECT_TRUE(img.GetColorTable(1, 4, out));
  EXPECT_EQ(out[0].rgbBlue, 0);
  EXPECT_EQ(out[1].rgbBlue, 1);
  EXPECT_EQ(out[2].rgbRed, 6);
  EXPECT_EQ(out[3].rgbBlue, 0xEE) << "slots beyond the table are not touched";
  EXPECT_FALSE(img.GetColorTable(-1, 1, out));
  EXPECT_FALSE(img.GetColorTable(0, 1, nullptr));
  EXPECT_TRUE(img.GetColorTable(0, 0, out));
  EXPECT_TRUE(img.GetColorTable(0x7FFFFFFF, 2, out));
  CQorObjImage deep(1, 1, 24);
  EXPECT_FALSE(deep.GetColorTable(0, 1, out));
  EXPECT_FALSE(CQorObjImage().SetColorTable(0, 1, in));

  CQorObjImage other;
  ASSERT_TRUE(other.Create(1, 1, 8, 0));
  other.CopyPalette(img);
  RGBQUAD copied[4];
  other.GetColorTable(0, 4, copied);
  EXPECT_EQ(copied[3].rgbGreen, 5);
}

TEST(QorImageCopy, Semantics) {
  BITMAPINFOHEADER* caller = CBitmapCreator::CreateDibImage(2, 1, 24, 0);
  CQorObjImage attached;
  attached.Attach(caller);
  CQorObjImage shares(attached);
  EXPECT_EQ(shares.GetMemStart(), attached.GetMemStart()) << "an attached image's copy shares the block";

  CQorObjImage owned = MakeImage(24, {{0x010203, 0x040506}});
  CQorObjImage deep(owned);
  EXPECT_NE(deep.GetMemStart(), owned.GetMemStart());
  EXPECT_EQ(Pixels(deep), Pixels(owned));

  CQorObjImage target = MakeImage(8, {{7}});
  target = CQorObjImage();
  EXPECT_EQ(target.ColorBits(), 8) << "assignment from an empty image changes nothing";
  CQorObjImage& alias = target;
  target = alias;
  EXPECT_EQ(Pixels(target), (std::vector<DWORD>{7}));
  target = attached;
  EXPECT_EQ(target.GetMemStart(), attached.GetMemStart());

  // Destroying attached images never frees the caller's block.
  attached.Destroy();
  shares.Destroy();
  target.Destroy();
  caller->biClrImportant = 1;  // still ours
  delete[] caller;
}

TEST(QorImageConvert, ToTrueColour) {
  // 8-bit: index 1 through the table, index 9 past a 2-entry table reads black.
  CQorObjImage pal;
  ASSERT_TRUE(pal.Create(3, 1, 8, 2));
  const RGBQUAD table[2] = {{10, 20, 30, 0}, {40, 50, 60, 0}};
  pal.SetColorTable(0, 2, table);
  pal.SetPixelData(0, 0, 1);
  pal.SetPixelData(2, 0, 9);
  CQorObjImage pal32 = pal;
  pal.ConvertTo24Bit();
  EXPECT_EQ(pal.ColorBits(), 24);
  EXPECT_EQ(pal.CalcuPaletteSize(), 0);
  EXPECT_EQ(Pixels(pal), (std::vector<DWORD>{0x3C3228, 0x1E140A, 0}));
  pal32.ConvertTo32Bit();
  EXPECT_EQ(Pixels(pal32), (std::vector<DWORD>{0xFF3C3228, 0xFF1E140A, 0xFF000000}));

  CQorObjImage mono = MakeImage(1, {{0, 1}});
  const RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  mono.SetColorTable(0, 2, bw);
  mono.ConvertTo24Bit();
  EXPECT_EQ(Pixels(mono), (std::vector<DWORD>{0, 0xFFFFFF}));

  CQorObjImage nib = MakeImage(4, {{15, 0}});
  RGBQUAD t16[16] = {};
  t16[15] = RGBQUAD{1, 2, 3, 0};
  nib.SetColorTable(0, 16, t16);
  nib.ConvertTo24Bit();
  EXPECT_EQ(Pixels(nib), (std::vector<DWORD>{0x030201, 0}));

  // 16-bit 5-5-5: red 31, green 0, blue 1.
  CQorObjImage w555 = MakeImage(16, {{0x7C01}});
  w555.ConvertTo24Bit();
  EXPECT_EQ(Pixels(w555), (std::vector<DWORD>{0xF80008}));

  // 16-bit 5-6-5 through bit-field masks: red 31, green 63, blue 0.
  std::vector<BYTE> dib(40 + 12 + 4);
  const BITMAPINFOHEADER h{40, 1, 1, 1, 16, BI_BITFIELDS, 0, 0, 0, 0, 0};
  std::memcpy(dib.data(), &h, 40);
  const DWORD masks[3] = {0xF800, 0x7E0, 0x1F};
  std::memcpy(dib.data() + 40, masks, 12);
  dib[52] = 0xE0;
  dib[53] = 0xFF;
  CQorObjImage w565;
  ASSERT_TRUE(w565.Create(reinterpret_cast<const BITMAPINFOHEADER*>(dib.data()), dib.size()));
  EXPECT_EQ(w565.GetBitField(), 0x7E0u);
  w565.ConvertTo24Bit();
  EXPECT_EQ(Pixels(w565), (std::vector<DWORD>{0xF8FC00}));

  CQorObjImage argb = MakeImage(32, {{0x80112233}});
  argb.ConvertTo24Bit();
  EXPECT_EQ(Pixels(argb), (std::vector<DWORD>{0x112233}));
  CQorObjImage rgb = MakeImage(24, {{0x112233}});
  rgb.ConvertTo32Bit();
  EXPECT_EQ(Pixels(rgb), (std::vector<DWORD>{0xFF112233}));
}

TEST(QorImageConvert, AttachedBlockStaysUntouchedAndFailureKeepsThePicture) {
  BITMAPINFOHEADER* caller = CBitmapCreator::CreateDibImage(1, 1, 24, 0);
  CQorObjImage img;
  img.Attach(caller);
  img.SetPixelData(0, 0, 0x123456);
  img.ConvertTo32Bit();
  EXPECT_EQ(img.GetPixelData(0, 0), 0xFF123456u);
  EXPECT_EQ(caller->biBitCount, 24) << "the caller's block is not converted";
  img.Destroy();
  delete[] caller;

  CQorObjImage keep = MakeImage(24, {{0xABCDEF}});
  PixelmillFailNextAllocations(1);
  keep.ConvertTo32Bit();
  PixelmillFailNextAllocations(0);
  EXPECT_EQ(keep.ColorBits(), 24);
  EXPECT_EQ(Pixels(keep), (std::vector<DWORD>{0xABCDEF}));
}

TEST(QorImageAlpha, GetAppendAndSet) {
  CQorObjImage img = MakeImage(32, {{Argb(10, 1, 2, 3), Argb(20, 4, 5, 6)}, {Argb(30, 7, 8, 9), Argb(40, 0, 0, 0)}});
  CQorObjImage alpha;
  ASSERT_TRUE(img.GetAlphaChannel(&alpha));
  EXPECT_EQ(alpha.ColorBits(), 8);
  EXPECT_EQ(alpha.GetPaletteEntryCount(), 256);
  EXPECT_EQ(Pixels(alpha), (std::vector<DWORD>{10, 20, 30, 40}));
  EXPECT_FALSE(img.GetAlphaChannel(&img));
  EXPECT_FALSE(MakeImage(24, {{1}}).GetAlphaChannel(&alpha));

  alpha.SetPixelData(1, 1, 99);
  img.SetAlphaChannelValue(0x1FF);
  EXPECT_EQ(Pixels(img)[0], Argb(255, 1, 2, 3));
  ASSERT_TRUE(img.AppendAlphaChannel(alpha));
  EXPECT_EQ(Pixels(img), (std::vector<DWORD>{Argb(10, 1, 2, 3), Argb(20, 4, 5, 6), Argb(30, 7, 8, 9), Argb(99, 0, 0, 0)}));
  EXPECT_FALSE(img.AppendAlphaChannel(MakeImage(8, {{1}})));
}

}  // namespace
