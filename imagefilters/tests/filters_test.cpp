// Fill colour, transparency and the depth conversions.
#include <gtest/gtest.h>

#include <vector>

#include "BitmapCreator.h"
#include "ImageTestUtil.h"
#include "QorPixelFilters.h"

using namespace QorPixelmill;
using pixeltest::Argb;
using pixeltest::MakeImage;
using pixeltest::Pixels;

namespace {

TEST(QorFillColor, AlphaRules) {
  const RGBQUAD colour{1, 2, 3, 99};
  struct Case {
    int bits, alpha;
    int result;
    DWORD pixel;  // afterwards; before: 0x40AABBCC (low three bytes at 24 bits)
  };
  const Case cases[] = {
      {32, -1, 1, Argb(0x40, 3, 2, 1)},
      {32, 300, 1, Argb(255, 3, 2, 1)},
      {32, -5, 1, Argb(0, 3, 2, 1)},
      {32, 128, 1, Argb(128, 3, 2, 1)},
      {24, 128, 1, 0x030201},
      {8, -1, 0, 0xCC},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, alpha " << c.alpha);
    CQorObjImage img = MakeImage(c.bits, {{0x40AABBCC, 0x40AABBCC}});
    CQorPixelFillColor fill(colour, c.alpha);
    EXPECT_EQ(img.SinglePixelProcessProc(fill, nullptr), c.result);
    EXPECT_EQ(Pixels(img), (std::vector<DWORD>{c.pixel, c.pixel}));
  }
}

TEST(QorFillColor, PrintSheetUse) {
  // A fresh sheet from the bitmap creator, painted white through an attached image.
  BITMAPINFOHEADER* sheet = CBitmapCreator::CreateDibImage(5, 3, 24, 0);
  {
    CQorObjImage img;
    img.Attach(sheet);
    CQorPixelFillColor white(RGBQUAD{255, 255, 255, 0});
    EXPECT_EQ(img.SinglePixelProcessProc(white, nullptr), 1);
    EXPECT_EQ(img.Detch(), sheet);
  }
  const BYTE* row = reinterpret_cast<const BYTE*>(sheet) + 40;
  for (int y = 0; y < 3; ++y, row += 16) {
    for (int i = 0; i < 15; ++i) EXPECT_EQ(row[i], 255) << y << "," << i;
    EXPECT_EQ(row[15], 0) << "row padding is left alone";
  }
  delete[] sheet;
}

TEST(QorTransparency, AmountsAndWeights) {
  struct Case {
    int amount;
    int alpha;
    int weight;  // -1: whole pixel
    int result;
  };
  const Case cases[] = {
      {100, 60, -1, 0},  {10, 60, -1, 50},   {-300, 60, -1, 255}, {0x7FFFFFFF, 255, -1, 0},
      {255, 255, 128, 127}, {100, 60, 0, 60}, {-255, 0, 255, 255}, {-0x7FFFFFFF - 1, 10, 255, 255},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "amount " << c.amount << " weight " << c.weight);
    CQorPixelTransparency t(c.amount);
    BYTE p[4] = {1, 2, 3, static_cast<BYTE>(c.alpha)};
    if (c.weight < 0) {
      t.ProcessPixel(nullptr, 0, 0, p);
    } else {
      t.ProcessSelectedPixel(nullptr, 0, 0, p, static_cast<unsigned char>(c.weight));
    }
    EXPECT_EQ(p[3], c.result);
    EXPECT_EQ(p[0] + p[1] * 256 + p[2] * 65536, 1 + 2 * 256 + 3 * 65536) << "colours stay";
  }
}

TEST(QorTransparency, OnlyImagesWithAnAlphaByte) {
  CQorPixelTransparency t(10);
  CQorObjImage rgb = MakeImage(24, {{0x112233, 0x445566}});
  EXPECT_EQ(rgb.SinglePixelProcessProc(t, nullptr), 0);
  EXPECT_EQ(Pixels(rgb), (std::vector<DWORD>{0x112233, 0x445566}));
  CQorObjImage argb = MakeImage(32, {{Argb(60, 1, 2, 3)}});
  EXPECT_EQ(argb.SinglePixelProcessProc(t, nullptr), 1);
  EXPECT_EQ(Pixels(argb), (std::vector<DWORD>{Argb(50, 1, 2, 3)}));
}

TEST(QorConvertTo16Bit, Depths) {
  EXPECT_EQ(CQorPixelConvertTo16Bit::Combine16Bit_555("\x08\x10\xF8"), (0xF8 >> 3) << 10 | (0x10 >> 3) << 5 | 1);

  CQorPixelConvertTo16Bit to16;
  CQorObjImage w16 = MakeImage(16, {{0x1234}});
  EXPECT_EQ(w16.SinglePixelProcessProc(to16, nullptr), 0);
  EXPECT_EQ(Pixels(w16), (std::vector<DWORD>{0x1234}));

  CQorObjImage mono = MakeImage(1, {{0, 1, 1}});
  const RGBQUAD bw[2] = {{0, 0, 0, 0}, {255, 255, 255, 0}};
  mono.SetColorTable(0, 2, bw);
  EXPECT_EQ(mono.SinglePixelProcessProc(to16, nullptr), 1);
  EXPECT_EQ(mono.ColorBits(), 16);
  EXPECT_EQ(mono.GetBitField(), 0x3E0u);
  EXPECT_EQ(Pixels(mono), (std::vector<DWORD>{0, 0x7FFF, 0x7FFF}));

  CQorObjImage argb = MakeImage(32, {{Argb(7, 0xF8, 0, 0x08), Argb(0, 0, 0xFF, 0)}});
  EXPECT_EQ(argb.SinglePixelProcessProc(to16, nullptr), 1);
  EXPECT_EQ(Pixels(argb), (std::vector<DWORD>{0x7C01, 0x03E0}));
}

TEST(QorConvertTo8BitGray, Depths) {
  CQorPixelConvertTo8BitGray grey;
  struct Case {
    int bits;
    DWORD pixel;
    DWORD result;
  };
  const Case cases[] = {
      {24, 0x00FF00, 150},           // 59 x 255 / 100
      {24, 0xFF0000, 76},            // 30 x 255 / 100
      {32, Argb(9, 0, 0, 255), 28},  // 11 x 255 / 100
      {16, 0x7FFF, 248},             // 5-5-5 white reads as 248
      {8, 0, 0},                     // black through a zeroed table
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bits);
    CQorObjImage img = MakeImage(c.bits, {{c.pixel}});
    EXPECT_EQ(img.SinglePixelProcessProc(grey, nullptr), 1);
    EXPECT_EQ(img.ColorBits(), 8);
    EXPECT_EQ(img.GetPaletteEntryCount(), 256);
    EXPECT_EQ(Pixels(img), (std::vector<DWORD>{c.result}));
    RGBQUAD entry{};
    img.GetColorTable(200, 1, &entry);
    EXPECT_EQ(entry.rgbRed, 200) << "a grey table, so the result shows as grey";
    EXPECT_EQ(entry.rgbBlue, 200);
  }
  CQorObjImage empty;
  EXPECT_EQ(empty.SinglePixelProcessProc(grey, nullptr), 0);
}

TEST(QorConvertFilters, CopiesShareOrCopyTheBackup) {
  CQorPixelConvertTo8BitGray grey;
  CQorObjImage img = MakeImage(24, {{0x102030}});
  img.SinglePixelProcessProc(grey, nullptr);
  CQorPixelConvertTo8BitGray copy(grey);
  EXPECT_EQ(Pixels(copy.GetBackup()), (std::vector<DWORD>{0x102030}));
  EXPECT_NE(copy.GetBackup().GetMemStart(), grey.GetBackup().GetMemStart());
}

}  // namespace
