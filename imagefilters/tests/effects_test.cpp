// Colour count, key colour and the ASCII export.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
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
