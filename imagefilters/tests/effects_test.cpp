// Colour count, key colour and the ASCII export.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

TEST(QorColorsCount, DistinctColoursIgnoringAlpha) {
  struct Case {
    const char* name;
    int bits;
    Rows in;
    unsigned count;
    bool keyFound;
    RGBQUAD key;
  } cases[] = {
      {"one colour", 24, Uniform(3, 2, Rgb(5, 6, 7)), 1, true, {0, 0, 0, 0}},
      {"alpha only differs", 32, {{Argb(0, 5, 6, 7), Argb(255, 5, 6, 7)}}, 1, true, {0, 0, 0, 0}},
      {"four colours", 32, {{Argb(1, 1, 0, 0), Argb(1, 0, 1, 0)}, {Argb(1, 0, 0, 1), Argb(1, 0, 0, 0)}}, 4, true, {2, 0, 0, 0}},
      {"all black", 24, Uniform(2, 2, 0), 1, true, {1, 0, 0, 0}},
      {"blue 0..255 used", 24, [] {
         Rows r(1);
         for (int b = 0; b < 256; ++b) r[0].push_back(Rgb(0, 0, b));
         return r;
       }(), 256, true, {0, 1, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorObjImage img = ImageOf(c.bits, c.in);
    CQorPixelGetKeyColor key;
    ASSERT_EQ(img.SinglePixelProcessProc(key, nullptr), 1);
    EXPECT_EQ(key.GetColorsNumber(), c.count);
    ASSERT_EQ(key.IsFind(), c.keyFound);
    const RGBQUAD got = key.GetKeyColor();
    EXPECT_EQ(got.rgbBlue, c.key.rgbBlue);
    EXPECT_EQ(got.rgbGreen, c.key.rgbGreen);
    EXPECT_EQ(got.rgbRed, c.key.rgbRed);
    EXPECT_EQ(RowsOf(img), c.in) << "no pixel changes";
    // A second run of the same object counts afresh.
    ASSERT_EQ(img.SinglePixelProcessProc(key, nullptr), 1);
    EXPECT_EQ(key.GetColorsNumber(), c.count);
  }
}

TEST(QorColorsCount, CopiesOwnTheirTablesAndShallowImagesAreRefused) {
  CQorObjImage img = ImageOf(24, {{Rgb(1, 2, 3), Rgb(3, 2, 1)}});
  auto original = std::make_unique<CQorPixelColorsCount>();
  ASSERT_EQ(img.SinglePixelProcessProc(*original, nullptr), 1);
  CQorPixelColorsCount copy(*original);
  EXPECT_EQ(copy.GetColorsNumber(), 2u);
  original.reset();
  ASSERT_EQ(img.SinglePixelProcessProc(copy, nullptr), 1);
  EXPECT_EQ(copy.GetColorsNumber(), 2u);
  CQorObjImage grey = ImageOf(8, {{1, 2}});
  EXPECT_EQ(grey.SinglePixelProcessProc(copy, nullptr), 0);
  EXPECT_EQ(copy.GetColorsNumber(), 2u);
}

constexpr DWORD Op(int v) { return Argb(255, v, v, v); }

Rows GreyRows(const std::vector<std::vector<int>>& values) {
  Rows r;
  for (const auto& row : values) {
    r.emplace_back();
    for (int v : row) r.back().push_back(Gray3(v));
  }
  return r;
}

Rows AlphaRows(const std::vector<std::vector<int>>& alphas, int grey) {
  Rows r;
  for (const auto& row : alphas) {
    r.emplace_back();
    for (int a : row) r.back().push_back(Argb(a, grey, grey, grey));
  }
  return r;
}

CQorObjImage& Mask(int alpha) {
  static std::map<int, CQorObjImage> masks;
  auto it = masks.find(alpha);
  if (it == masks.end()) it = masks.emplace(alpha, ImageOf(32, Uniform(2, 1, Argb(alpha, 1, 2, 3)))).first;
  return it->second;
}

TEST(QorEffects, ExactPixels) {
  const Rows row6 = GreyRows({{0, 10, 20, 30, 40, 50}});
  // Square of opaque pixels 2..4 in a transparent 7 x 7 field.
  std::vector<std::vector<int>> square(7, std::vector<int>(7, 0));
  for (int y = 2; y <= 4; ++y)
    for (int x = 2; x <= 4; ++x) square[y][x] = 255;
  std::vector<std::vector<int>> softened = square;
  for (int y = 2; y <= 4; ++y)
    for (int x = 2; x <= 4; ++x) softened[y][x] = (x == 3 && y == 3) ? 255 : 128;
  RunFilterCases({
      // Tiles of 4: sources 0, 2 | 0, 2, 4, 6 (limited to 5).
      {"glass tiles of 4", Make<CQorPixelGlasstile>(4, 4), 24, row6, GreyRows({{0, 20, 0, 20, 40, 50}})},
      {"glass tiles of 2", Make<CQorPixelGlasstile>(2, 2), 24, row6, GreyRows({{0, 0, 20, 20, 40, 40}})},
      {"glass tiles of 0 act as 2", Make<CQorPixelGlasstile>(0, 1), 24, row6, GreyRows({{0, 0, 20, 20, 40, 40}})},
      // Grey 100 times the factors: 160 on the top and left bands, 40 on the right and bottom
      // ones, 100 elsewhere and on the diagonals, box-blurred over 2 pixels.
      {"inner bevel", Make<CQorPixelInnerBevel>(2, 0), 24, Uniform(6, 6, Gray3(100)),
       GreyRows({{100, 130, 160, 160, 160, 160},
                 {130, 130, 145, 160, 160, 145},
                 {160, 145, 130, 130, 130, 100},
                 {160, 160, 130, 100, 100, 70},
                 {160, 160, 130, 100, 100, 70},
                 {160, 130, 85, 70, 70, 55}})},
      {"soft edges of a square", Make<CQorPixelSmoothEdge>(2), 32, AlphaRows(square, 90), AlphaRows(softened, 90)},
      {"soft edges need an edge", Make<CQorPixelSmoothEdge>(2), 32, Uniform(3, 3, Argb(0, 4, 5, 6)), {}, 0},
      {"soft edges need alpha", Make<CQorPixelSmoothEdge>(2), 24, Uniform(3, 3, Gray3(4)), {}, 0},
      {"knock-out by an opaque mask", Make<CQorPixelKnockout>(std::cref(Mask(255))), 32, {{Op(9), Argb(100, 1, 1, 1)}},
       {{Argb(0, 9, 9, 9), Argb(0, 1, 1, 1)}}},
      {"knock-out by a transparent mask", Make<CQorPixelKnockout>(std::cref(Mask(0))), 32, {{Op(9), Argb(100, 1, 1, 1)}},
       {{Argb(254, 9, 9, 9), Argb(99, 1, 1, 1)}}},
      {"knock-out by a half mask", Make<CQorPixelKnockout>(std::cref(Mask(128))), 32, {{Op(9), Argb(100, 1, 1, 1)}},
       {{Argb(126, 9, 9, 9), Argb(49, 1, 1, 1)}}},
      {"knock-out mask of another size", Make<CQorPixelKnockout>(std::cref(Mask(0))), 32, {{Op(9)}}, {}, 0},
      {"find edge", Make<CQorPixelFindEdge>(false), 32, {{Argb(0, 1, 2, 3), Argb(23, 4, 5, 6)}},
       {{Argb(255, 1, 2, 3), Argb(255, 4, 5, 6)}}},
      {"find soft edge", Make<CQorPixelFindEdge>(true), 32, {{Argb(0, 1, 2, 3), Argb(23, 4, 5, 6), Argb(24, 7, 8, 9)}},
       {{Argb(0, 1, 2, 3), Argb(230, 4, 5, 6), Argb(255, 7, 8, 9)}}},
      {"find edge needs alpha", Make<CQorPixelFindEdge>(false), 24, {{Gray3(1)}}, {}, 0},
      {"adjust range 50 doubles alpha", Make<CQorPixelAdjustRange>(50), 32, {{Argb(100, 1, 2, 3), Argb(200, 4, 5, 6)}},
       {{Argb(200, 1, 2, 3), Argb(255, 4, 5, 6)}}},
      {"adjust range 33", Make<CQorPixelAdjustRange>(33), 32, {{Argb(10, 1, 2, 3), Argb(80, 4, 5, 6)}},
       {{Argb(30, 1, 2, 3), Argb(242, 4, 5, 6)}}},
      {"adjust range 0 is refused", Make<CQorPixelAdjustRange>(0), 32, {{Argb(100, 1, 2, 3)}}, {}, 0},
      {"adjust range 100 is refused", Make<CQorPixelAdjustRange>(100), 32, {{Argb(100, 1, 2, 3)}}, {}, 0},
  });
}

TEST(QorEffects, ShadowGrowsTheImageAroundIt) {
  SHADOWDATA shadow;
  EXPECT_EQ(shadow.nSize, 5);
  EXPECT_EQ(shadow.nOffsetX, 5);
  EXPECT_EQ(shadow.nOffsetY, 5);
  EXPECT_EQ(shadow.crColor.rgbRed, 75);
  EXPECT_EQ(shadow.crColor.rgbReserved, 255);
  shadow.nSize = 2;
  shadow.nOffsetX = shadow.nOffsetY = 0;
  CQorObjImage img = ImageOf(32, {{Op(200), Op(210)}, {Op(220), Op(230)}});
  CQorPixelAddShadow add(shadow);
  ASSERT_EQ(img.SinglePixelProcessProc(add, nullptr), 1);
  ASSERT_EQ(img.Width(), 6);
  ASSERT_EQ(img.Height(), 6);
  // The image itself lands unchanged in the middle; the blurred shadow fades around it.
  EXPECT_EQ(RowsOf(img)[2], (std::vector<DWORD>{0, 0, Op(200), Op(210), Argb(63, 75, 75, 75), 0}));
  EXPECT_EQ(RowsOf(img)[3], (std::vector<DWORD>{0, 0, Op(220), Op(230), Argb(127, 75, 75, 75), 0}));
  EXPECT_EQ(RowsOf(img)[0], std::vector<DWORD>(6, 0));
  CQorObjImage grey = ImageOf(24, {{Gray3(1)}});
  EXPECT_EQ(grey.SinglePixelProcessProc(add, nullptr), 0);
}

TEST(QorEffects, OptimizedRectangleOfVisiblePixels) {
  struct Case {
    const char* name;
    Rows in;
    RECT rect;
    bool first;
  } cases[] = {
      {"transparent", Uniform(5, 4, Argb(0, 9, 9, 9)), {0, 0, 0, 0}, true},
      {"one pixel at (3, 2)", [] {
         Rows r = Uniform(5, 4, 0);
         r[2][3] = Argb(1, 0, 0, 0);
         return r;
       }(), {3, 2, 4, 3}, false},
      {"two pixels", [] {
         Rows r = Uniform(5, 4, 0);
         r[1][4] = Argb(1, 0, 0, 0);
         r[3][1] = Argb(200, 0, 0, 0);
         return r;
       }(), {1, 1, 5, 4}, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorObjImage img = ImageOf(32, c.in);
    CQorPixelGetOptimizedRect rect;
    ASSERT_EQ(img.SinglePixelProcessProc(rect, nullptr), 1);
    EXPECT_EQ(rect.IsFirst(), c.first);
    const RECT got = rect.GetRect();
    EXPECT_EQ(got.left, c.rect.left);
    EXPECT_EQ(got.top, c.rect.top);
    EXPECT_EQ(got.right, c.rect.right);
    EXPECT_EQ(got.bottom, c.rect.bottom);
  }
}

std::string TempPath(const char* name) { return testing::TempDir() + name; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(QorExportAscII, RampAndTextBytes) {
  const std::string path = TempPath("ascii_export.txt");
  CQorPixelExportAscII exporter(path.c_str());
  EXPECT_EQ(exporter.GetRamp(),
            " -'.`,^=:\"~+_;<>/\\r*()17TI{}Lz!cs?itfJlFaxeZS|v52YounEPXC43wjk[]96hdVGb$&mDUAOKR8HpqBW0Q%yM#Ng@");
  struct Case {
    const char* name;
    int bits, w, h;
    DWORD value;
    std::string text;
  } cases[] = {
      // Inverted grey 127 in a 128-pixel cell: target 127 x 47 / 255 = 23, first weight >= 23 is 'i'.
      {"grey 128", 24, 16, 16, Gray3(128), "ii\r\n"},
      {"black is at signs", 32, 17, 33, Argb(255, 0, 0, 0), "@@\r\n@@\r\n"},
      {"white is spaces", 24, 8, 16, Gray3(255), " \r\n"},
      {"smaller than a cell", 24, 7, 15, Gray3(0), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorPixelExportAscII one(path.c_str());
    CQorObjImage img = ImageOf(c.bits, Uniform(c.w, c.h, c.value));
    ASSERT_EQ(img.SinglePixelProcessProc(one, nullptr), 1);
    EXPECT_EQ(RowsOf(img), Uniform(c.w, c.h, c.value)) << "the image is not changed";
    EXPECT_EQ(ReadAll(path), c.text);
  }
  {
    CQorPixelExportAscII twice(path.c_str());
    CQorObjImage img = ImageOf(24, Uniform(16, 16, Gray3(128)));
    ASSERT_EQ(img.SinglePixelProcessProc(twice, nullptr), 1);
    ASSERT_EQ(img.SinglePixelProcessProc(twice, nullptr), 1);
    EXPECT_EQ(ReadAll(path), "ii\r\nii\r\n") << "a second run appends";
  }
  std::remove(path.c_str());
}

TEST(QorExportAscII, PathThatCannotBeOpenedFailsTheRun) {
  CQorPixelExportAscII exporter((testing::TempDir() + "no such folder/out.txt").c_str());
  EXPECT_TRUE(exporter.GetRamp().empty());
  CQorObjImage img = ImageOf(24, Uniform(16, 16, Gray3(128)));
  EXPECT_EQ(img.SinglePixelProcessProc(exporter, nullptr), 0);
  CQorPixelExportAscII none(nullptr);
  EXPECT_EQ(img.SinglePixelProcessProc(none, nullptr), 0);
}

TEST(QorExportAscII, FailedWriteFailsTheRun) {
  // /dev/full accepts the open and refuses every write.
  std::ofstream probe("/dev/full");
  if (!probe.is_open()) GTEST_SKIP() << "no /dev/full";
  CQorPixelExportAscII exporter("/dev/full");
  CQorObjImage img = ImageOf(24, Uniform(16, 16, Gray3(128)));
  EXPECT_EQ(img.SinglePixelProcessProc(exporter, nullptr), 0);
}

}  // namespace
