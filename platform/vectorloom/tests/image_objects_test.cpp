// Image objects: clipboard bitmaps decoded pixel for pixel whatever their layout, the size a
// picture takes on a page, and the image shape itself.
#include <gtest/gtest.h>

#include <gdiplus.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "ObjectStreamTestSupport.h"
#include <vectorloom/ImageObjects.h>

using namespace vltest;

namespace {

void Put32(std::vector<uint8_t>& d, uint32_t v) {
  for (int i = 0; i < 4; ++i) d.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& d, uint16_t v) {
  d.push_back(static_cast<uint8_t>(v));
  d.push_back(static_cast<uint8_t>(v >> 8));
}

// A DIB header of the given layout; the caller appends masks, colour table and rows.
std::vector<uint8_t> Header(uint32_t size, int w, int h, int bits, uint32_t compression, uint32_t colorsUsed) {
  std::vector<uint8_t> d;
  Put32(d, size);
  Put32(d, static_cast<uint32_t>(w));
  Put32(d, static_cast<uint32_t>(h));
  Put16(d, 1);
  Put16(d, static_cast<uint16_t>(bits));
  Put32(d, compression);
  Put32(d, 0);
  Put32(d, 3780);
  Put32(d, 3780);
  Put32(d, colorsUsed);
  Put32(d, 0);
  while (d.size() < size) d.push_back(0);  // the rest of a V4/V5 header
  return d;
}

COLORREF At(Gdiplus::Bitmap& b, int x, int y) {
  Gdiplus::Color c;
  b.GetPixel(x, y, &c);
  return RGB(c.GetRed(), c.GetGreen(), c.GetBlue());
}

TEST(PackedDib, DecodesEachLayoutToTheRightPixels) {
  struct Case {
    const char* what;
    std::vector<uint8_t> dib;
    COLORREF topLeft, bottomRight;  // of a 2 x 2 picture
  };
  std::vector<Case> cases;
  {
    // 8 bits, a table of 3 colours (fewer than 256), bottom-up rows: the last row is the top.
    std::vector<uint8_t> d = Header(40, 2, 2, 8, 0, 3);
    for (uint32_t bgr : {0x000000FFu, 0x0000FF00u, 0x00FF0000u}) Put32(d, bgr);  // blue, green, red
    d.insert(d.end(), {1, 1, 0, 0});  // bottom row: green green
    d.insert(d.end(), {2, 0, 0, 0});  // top row: red blue
    cases.push_back({"palette, bottom-up", d, RGB(255, 0, 0), RGB(0, 255, 0)});
  }
  {
    // 24 bits, top-down (negative height).
    std::vector<uint8_t> d = Header(40, 2, -2, 24, 0, 0);
    d.insert(d.end(), {0, 0, 255, 0, 0, 0, 0, 0});      // top row: red black
    d.insert(d.end(), {0, 0, 0, 255, 255, 255, 0, 0});  // bottom row: black white
    cases.push_back({"24 bits, top-down", d, RGB(255, 0, 0), RGB(255, 255, 255)});
  }
  {
    // 16 bits 5-6-5 with its masks after a 40-byte header.
    std::vector<uint8_t> d = Header(40, 2, 2, 16, 3, 0);
    for (uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(d, m);
    d.insert(d.end(), {0xE0, 0x07, 0x00, 0x00});  // bottom row: green black
    d.insert(d.end(), {0x00, 0xF8, 0x1F, 0x00});  // top row: red blue
    cases.push_back({"16 bits with masks", d, RGB(255, 0, 0), RGB(0, 0, 0)});
  }
  {
    // 32 bits behind a 124-byte (V5) header, which carries its masks inside.
    std::vector<uint8_t> d = Header(124, 2, 2, 32, 0, 0);
    d.insert(d.end(), {0, 255, 0, 0, 255, 255, 255, 0});  // bottom row: green white
    d.insert(d.end(), {255, 0, 0, 0, 0, 0, 255, 0});      // top row: blue red
    cases.push_back({"32 bits, V5 header", d, RGB(0, 0, 255), RGB(255, 255, 255)});
  }
  for (const Case& c : cases) {
    std::unique_ptr<Gdiplus::Bitmap> b(DecodePackedDib(c.dib.data(), c.dib.size()));
    ASSERT_NE(b, nullptr) << c.what;
    ASSERT_EQ(b->GetWidth(), 2u) << c.what;
    ASSERT_EQ(b->GetHeight(), 2u) << c.what;
    EXPECT_EQ(At(*b, 0, 0), c.topLeft) << c.what;
    EXPECT_EQ(At(*b, 1, 1), c.bottomRight) << c.what;
  }
}

TEST(ImagePlacement, APictureShrinksToFitEightyPercentOfThePageAndIsNeverEnlarged) {
  struct Case {
    float w, h, pw, ph, ew, eh;
  };
  for (const Case& c : {Case{1920, 1080, 816, 1056, 653, 367}, Case{320, 240, 816, 1056, 320, 240},
                        Case{1000, 100, 400, 300, 320, 32}, Case{50, 5000, 400, 300, 2, 240},
                        Case{300, 200, 0, 0, 300, 200}}) {
    const CQorVectorSize<float> s = FitImageToPage(c.w, c.h, CQorVectorSize<float>(c.pw, c.ph));
    EXPECT_EQ(s.cx, c.ew) << c.w << "x" << c.h;
    EXPECT_EQ(s.cy, c.eh) << c.w << "x" << c.h;
  }
}

TEST(ImagePlacement, AnImageIsAPictureFilledRectangleWithoutOutline) {
  CWorkspaceDoc doc;
  auto* res = new CExternalBmpResObj(CString(L"/p/a.png"), 10, 20);
  res->AddRef();
  CCustomPathObj* image = CreateImageObject(&doc, res, 30, 20);
  ASSERT_NE(image, nullptr);
  image->AddRef();
  EXPECT_EQ(image->GetFillKind(), RENDER_KIND_BITMAP);
  EXPECT_EQ(image->GetFillDefinition().GetRenderBitmap(), res);
  EXPECT_FALSE(image->IsStroked());
  EXPECT_EQ(image->CalcuBoundRect(), CQorVectorRect<float>(0, 0, 30, 20));
  EXPECT_EQ(CreateImageObject(&doc, res, 0, 20), nullptr);
  EXPECT_EQ(CreateImageObject(&doc, nullptr, 30, 20), nullptr);
  image->Release();
  res->Release();
}

}  // namespace
