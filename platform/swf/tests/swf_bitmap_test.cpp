// Bitmaps: baseline JPEG kept as it is, everything else refused or written losslessly with
// premultiplied alpha.
#include <gtest/gtest.h>

#include "swf/ming.h"
#include "swf_reader_support.h"
#include "swf_samples_support.h"

using namespace swftest;

namespace {

// Saves a movie whose only shape is filled with the bitmap; returns the decoded bitmap tag.
Bitmap Decode(SWFBitmap bm) {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFShape s = newSWFShape();
  SWFFillStyle style = newSWFBitmapFillStyle(bm, SWFFILL_CLIPPED_BITMAP);
  SWFFill fill = newSWFFill(style);
  SWFShape_setRightFill(s, fill);
  SWFShape_drawLineTo(s, 10, 10);
  SWFMovie_add(m, s);
  destroySWFFill(fill);
  destroySWFFillStyle(style);
  destroySWFShape(s);
  Movie mv;
  std::string error;
  EXPECT_TRUE(SaveAndParse(m, &mv, &error)) << error;
  destroySWFMovie(m);
  Bitmap out;
  for (const Tag& t : mv.tags)
    if (t.code == kDefineBitsJPEG2 || t.code == kDefineBitsLossless2) {
      EXPECT_TRUE(ParseBitmap(t, &out, &error)) << error;
      // Bitmap tags always carry the long header.
      EXPECT_GE(t.body.size(), 1u);
    }
  return out;
}

SWFBitmap FromBytes(const std::vector<uint8_t>& bytes) {
  SWFInput in = newSWFInput_bufferCopy(bytes.data(), int(bytes.size()));
  SWFBitmap bm = newSWFBitmap_fromInput(in);
  destroySWFInput(in);
  return bm;
}

// Replaces the first marker m0 of the JPEG stream with m1.
std::vector<uint8_t> WithMarker(std::vector<uint8_t> jpeg, uint8_t m0, uint8_t m1) {
  for (size_t i = 0; i + 1 < jpeg.size(); ++i)
    if (jpeg[i] == 0xFF && jpeg[i + 1] == m0) {
      jpeg[i + 1] = m1;
      break;
    }
  return jpeg;
}

}  // namespace

TEST(SwfBitmap, BaselineJpegIsWrittenAsItIs) {
  std::vector<uint8_t> jpeg = TinyBaselineJpeg();
  std::vector<uint8_t> trailing = jpeg;
  trailing.insert(trailing.end(), {0, 1, 2});  // bytes after the end marker are dropped
  for (const auto* bytes : {&jpeg, &trailing}) {
    SWFBitmap bm = FromBytes(*bytes);
    ASSERT_NE(bm, nullptr) << Ming_getLastError();
    EXPECT_EQ(SWFBitmap_getWidth(bm), 16);
    EXPECT_EQ(SWFBitmap_getHeight(bm), 16);
    Bitmap b = Decode(bm);
    destroySWFBitmap(bm);
    EXPECT_TRUE(b.jpeg);
    EXPECT_EQ(b.data, jpeg);
  }
}

// Everything that is not a complete baseline JPEG fails the call with a reason.
TEST(SwfBitmap, OtherEncodingsAndBrokenDataFail) {
  const std::vector<uint8_t>& good = TinyBaselineJpeg();
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"progressive", WithMarker(good, 0xC0, 0xC2)},
      {"extended sequential", WithMarker(good, 0xC0, 0xC1)},
      {"arithmetic", WithMarker(good, 0xC0, 0xC9)},
      {"no frame", WithMarker(good, 0xC0, 0xE5)},
      {"truncated", std::vector<uint8_t>(good.begin(), good.end() - 40)},
      {"truncated header", std::vector<uint8_t>(good.begin(), good.begin() + 30)},
      {"png", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13}},
      {"bmp", {'B', 'M', 0, 0}},
      {"empty", {}},
      {"soi only", {0xFF, 0xD8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(FromBytes(c.bytes), nullptr);
    EXPECT_NE(std::string(Ming_getLastError()), "");
  }
  EXPECT_EQ(newSWFBitmap_fromInput(nullptr), nullptr);
  EXPECT_EQ(newSWFInput_bufferCopy(nullptr, 5), nullptr);
  EXPECT_EQ(newSWFInput_bufferCopy(good.data(), -1), nullptr);
}

TEST(SwfBitmap, PixelsWrittenLosslessWithPremultipliedAlpha) {
  // 2 x 1 pixels with a padded stride: opaque (B10 G20 R30) and half-transparent (B200 G100 R50).
  const uint8_t bgra[] = {10, 20, 30, 255, 200, 100, 50, 128, 0xEE, 0xEE};
  const uint8_t bgr[] = {10, 20, 30, 200, 100, 50, 0xEE};
  struct Case {
    const uint8_t* px;
    int stride;
    SWFPixelFormat format;
    std::vector<uint8_t> argb;
  } cases[] = {
      {bgra, 10, SWF_PIXELS_BGRA32, {255, 30, 20, 10, 128, 25, 50, 100}},
      {bgra, 10, SWF_PIXELS_BGRX32, {255, 30, 20, 10, 255, 50, 100, 200}},
      {bgr, 7, SWF_PIXELS_BGR24, {255, 30, 20, 10, 255, 50, 100, 200}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.format);
    SWFBitmap bm = newSWFBitmap_fromPixels(c.px, 2, 1, c.stride, c.format);
    ASSERT_NE(bm, nullptr);
    Bitmap b = Decode(bm);
    destroySWFBitmap(bm);
    EXPECT_FALSE(b.jpeg);
    EXPECT_EQ(b.format, 5);
    EXPECT_EQ(b.width, 2);
    EXPECT_EQ(b.height, 1);
    EXPECT_EQ(b.data, c.argb);
  }
  // Bad arguments fail the call.
  EXPECT_EQ(newSWFBitmap_fromPixels(nullptr, 2, 1, 8, SWF_PIXELS_BGRA32), nullptr);
  EXPECT_EQ(newSWFBitmap_fromPixels(bgra, 0, 1, 8, SWF_PIXELS_BGRA32), nullptr);
  EXPECT_EQ(newSWFBitmap_fromPixels(bgra, 70000, 1, 280000, SWF_PIXELS_BGRA32), nullptr);
  EXPECT_EQ(newSWFBitmap_fromPixels(bgra, 2, 1, 7, SWF_PIXELS_BGRA32), nullptr);
  EXPECT_EQ(newSWFBitmap_fromPixels(bgra, 2, 1, 8, SWFPixelFormat(9)), nullptr);
}
