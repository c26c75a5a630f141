// Images of every depth and colour space become JPEG bytes or raw rows of 3 or 4 bytes a pixel
// with an exact stride; shadings, stencil masks and Type 3 text are rasterised.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>

#include "RecordingParser.h"

using namespace pstest;

namespace {

std::vector<uint8_t> ImagePage(const std::string& image_dict, const std::vector<uint8_t>& data,
                               const std::string& extra_objects_dict = "", const std::vector<uint8_t>& smask = {}) {
  lwtest::PdfBuilder b;
  std::string dict = image_dict;
  if (!smask.empty()) {
    int sm = b.AddStream(extra_objects_dict, smask);
    dict += " /SMask " + std::to_string(sm) + " 0 R";
  }
  int img = b.AddStream("/Type /XObject /Subtype /Image " + dict, data);
  return b.FinishPages({"q 100 0 0 50 10 20 cm /Im1 Do Q"},
                       "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
}

// Pixel (x, y) of a raw image, y = 0 the top row, as B, G, R(, A).
std::vector<int> Pixel(const Image& im, int x, int y) {
  int bpp = im.rec.bytes_per_pixel;
  int stride = (im.rec.width * bpp * 8 + 31) / 32 * 4;
  const uint8_t* p = im.data.data() + static_cast<size_t>(im.rec.height - 1 - y) * stride + x * bpp;
  return std::vector<int>(p, p + bpp);
}

}  // namespace

TEST(PagesieveImage, RawDepthsAndColourSpaces) {
  struct Case {
    const char* name;
    std::string dict;
    std::vector<uint8_t> data;
    int w, h, bpp;
    std::vector<int> first;  // top-left pixel
    std::vector<int> last;   // bottom-right pixel
  };
  const Case cases[] = {
      {"grey 8 bit, odd width", "/Width 3 /Height 2 /ColorSpace /DeviceGray /BitsPerComponent 8",
       {0, 100, 200, 50, 150, 255}, 3, 2, 3, {0, 0, 0}, {255, 255, 255}},
      {"rgb 8 bit", "/Width 2 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8",
       {255, 0, 0, 0, 0, 255}, 2, 1, 3, {0, 0, 255}, {255, 0, 0}},
      {"indexed", "/Width 2 /Height 1 /ColorSpace [/Indexed /DeviceRGB 1 <00FF00FFFF00>] /BitsPerComponent 8",
       {0, 1}, 2, 1, 3, {0, 255, 0}, {0, 255, 255}},
      {"1 bit grey", "/Width 9 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 1",
       {0x80, 0x80}, 9, 1, 3, {255, 255, 255}, {255, 255, 255}},
      {"16 bit rgb", "/Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 16",
       {0xFF, 0xFF, 0, 0, 0, 0}, 1, 1, 3, {0, 0, 255}, {0, 0, 255}},
      {"decode inverts grey", "/Width 1 /Height 1 /ColorSpace /DeviceGray /BitsPerComponent 8 /Decode [1 0]",
       {0}, 1, 1, 3, {255, 255, 255}, {255, 255, 255}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingParser rec = ParsePage(ImagePage(c.dict, c.data));
    ASSERT_EQ(rec.images.size(), 1u);
    const Image& im = rec.images[0];
    EXPECT_EQ(im.rec.kind, kPdfImageRaw);
    EXPECT_EQ(im.rec.width, c.w);
    EXPECT_EQ(im.rec.height, c.h);
    ASSERT_EQ(im.rec.bytes_per_pixel, c.bpp);
    EXPECT_EQ(im.rec.data_length, (c.w * c.bpp * 8 + 31) / 32 * 4 * c.h);
    EXPECT_EQ(Pixel(im, 0, 0), c.first);
    EXPECT_EQ(Pixel(im, c.w - 1, c.h - 1), c.last);
    EXPECT_EQ(std::vector<float>(im.rec.matrix, im.rec.matrix + 6), (std::vector<float>{100, 0, 0, -50, 10, 70}));
  }
}

TEST(PagesieveImage, SoftMaskBecomesAlpha) {
  RecordingParser rec =
      ParsePage(ImagePage("/Width 2 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8", {255, 0, 0, 0, 255, 0},
                          "/Type /XObject /Subtype /Image /Width 2 /Height 1 /ColorSpace /DeviceGray "
                          "/BitsPerComponent 8",
                          {255, 0}));
  ASSERT_EQ(rec.images.size(), 1u);
  const Image& im = rec.images[0];
  ASSERT_EQ(im.rec.bytes_per_pixel, 4);
  EXPECT_EQ(im.rec.data_length, 8);
  EXPECT_EQ(Pixel(im, 0, 0), (std::vector<int>{0, 0, 255, 255}));
  EXPECT_EQ(Pixel(im, 1, 0)[3], 0);
}

TEST(PagesieveImage, JpegKeptOrDecoded) {
  struct Case {
    const char* name;
    std::string dict;
    std::vector<uint8_t> jpeg;
    int kind;
  };
  const Case cases[] = {
      {"rgb", "/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode",
       lwtest::MakeJpeg(16, 8), kPdfImageEncoded},
      {"grey", "/Width 16 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode",
       lwtest::MakeJpeg(16, 8, true), kPdfImageEncoded},
      {"with decode array",
       "/Width 16 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode /Decode [1 0]",
       lwtest::MakeJpeg(16, 8, true), kPdfImageRaw},
      {"damaged", "/Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /FlateDecode",
       std::vector<uint8_t>(40, 0x33), -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    bool ok = false;
    RecordingParser rec = ParsePage(ImagePage(c.dict, c.jpeg), 1, &ok);
    EXPECT_TRUE(ok);
    if (c.kind < 0) {
      // A broken image is drawn as what can be decoded, or left out; never more bytes than rows.
      for (const Image& im : rec.images)
        EXPECT_EQ(im.rec.data_length, (im.rec.width * im.rec.bytes_per_pixel * 8 + 31) / 32 * 4 * im.rec.height);
      continue;
    }
    ASSERT_EQ(rec.images.size(), 1u);
    EXPECT_EQ(rec.images[0].rec.kind, c.kind);
    if (c.kind == kPdfImageEncoded) {
      EXPECT_EQ(rec.images[0].data, c.jpeg);
    }
    EXPECT_EQ(rec.images[0].rec.width, 16);
  }
}

// Shadings and stencil masks cannot be records of their own: they come as images with alpha,
// clipped by the clip in force. A Type 3 glyph drawn by a path comes as that path.
TEST(PagesieveImage, RasterisedContent) {
  lwtest::PdfBuilder b;
  int shading = b.Add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function << /FunctionType 2 "
                      "/Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >> /Extend [true true] >>");
  int mask = b.AddStream("/Type /XObject /Subtype /Image /Width 8 /Height 1 /ImageMask true /BitsPerComponent 1",
                         std::vector<uint8_t>{0x0F});
  int glyph = b.AddStream("", std::string("1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f"));
  int t3 = b.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
                 "/CharProcs << /sq " + std::to_string(glyph) + " 0 R >> /Encoding << /Differences [65 /sq] >> "
                 "/FirstChar 65 /LastChar 65 /Widths [1000] >>");
  std::vector<uint8_t> pdf = b.FinishPages(
      {"q 10 10 100 50 re W n /Sh1 sh Q\n"
       "q 0 1 0 rg 80 0 0 10 200 200 cm /M1 Do Q\n"
       "BT /T3 20 Tf 300 300 Td (AA) Tj ET\n"},
      "<< /Shading << /Sh1 " + std::to_string(shading) + " 0 R >> /XObject << /M1 " + std::to_string(mask) +
          " 0 R >> /Font << /T3 " + std::to_string(t3) + " 0 R >> >>");
  RecordingParser rec = ParsePage(pdf);
  EXPECT_EQ(rec.events, "PIIAA");
  ASSERT_EQ(rec.images.size(), 2u);
  struct Want {
    float x0, y0, x1, y1;
  };
  const Want want[] = {{10, 10, 110, 60}, {200, 200, 280, 210}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const Image& im = rec.images[i];
    EXPECT_EQ(im.rec.kind, kPdfImageRaw);
    EXPECT_EQ(im.rec.bytes_per_pixel, 4);
    auto [x0, y1] = Apply(im.rec.matrix, 0, 0);
    auto [x1, y0] = Apply(im.rec.matrix, 1, 1);
    EXPECT_NEAR(x0, want[i].x0, 1);
    EXPECT_NEAR(y0, want[i].y0, 1);
    EXPECT_NEAR(x1, want[i].x1, 1);
    EXPECT_NEAR(y1, want[i].y1, 1);
  }
  // The stencil mask paints green where its bits are 0 (left half) and nothing on the right.
  const Image& m = rec.images[1];
  std::vector<int> left = Pixel(m, 2, m.rec.height / 2), right = Pixel(m, m.rec.width - 3, m.rec.height / 2);
  EXPECT_EQ(std::vector<int>(left.begin(), left.begin() + 3), (std::vector<int>{0, 255, 0}));
  EXPECT_GE(left[3], 250);
  EXPECT_EQ(right[3], 0);
}

// Type 3 glyphs whose font boxes are absurdly large cost no more than their drawing: the glyphs'
// paths come as they are.
TEST(PagesieveImage, Type3WithHugeGlyphBoxesCostsOnlyItsPaths) {
  lwtest::PdfBuilder b;
  int glyph = b.AddStream("", std::string("1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f"));
  int t3 = b.Add("<< /Type /Font /Subtype /Type3 /FontBBox [-100000000 -100000000 100000000 100000000] "
                 "/FontMatrix [0.001 0 0 0.001 0 0] /CharProcs << /sq " + std::to_string(glyph) +
                 " 0 R >> /Encoding << /Differences [65 /sq] >> /FirstChar 65 /LastChar 65 /Widths [1000] >>");
  std::vector<uint8_t> pdf =
      b.FinishPages({"BT /T3 20 Tf 300 300 Td (AAAAAAAAAAAAAAAAAAAA) Tj ET 0 0 10 10 re f"},
                    "<< /Font << /T3 " + std::to_string(t3) + " 0 R >> >>");
  bool ok = false;
  RecordingParser rec = ParsePage(pdf, 1, &ok);
  EXPECT_TRUE(ok);
  EXPECT_EQ(rec.events, "P" + std::string(21, 'A'));
}

// Type 3 glyphs inside a paragraph: only they become something other than text. A glyph drawn by
// a path comes as that path, one drawn by a bitmap as a picture of it, both in the text's colour
// where the glyph leaves the colour to the text (d1); every other glyph of the show stays text,
// with a word space over the gap the Type 3 glyphs leave.
TEST(PagesieveImage, Type3GlyphsBecomeShapesAndPicturesAndTheRestStaysText) {
  lwtest::PdfBuilder b;
  int helvetica = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
  int square = b.AddStream("", std::string("1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f"));
  const std::string ring = "1000 0 0 0 1000 1000 d1 q 1000 0 0 1000 0 0 cm BI /IM true /W 8 /H 8 /BPC 1 /D [1 0] ID\n" +
                           std::string("\x3C\x7E\xE7\xC3\xC3\xE7\x7E\x3C", 8) + "\nEI Q";
  int bitmap = b.AddStream("", ring);
  int t3 = b.Add("<< /Type /Font /Subtype /Type3 /FontBBox [0 0 1000 1000] /FontMatrix [0.001 0 0 0.001 0 0] "
                 "/CharProcs << /sq " + std::to_string(square) + " 0 R /ring " + std::to_string(bitmap) +
                 " 0 R >> /Encoding << /Differences [65 /sq /ring] >> /FirstChar 65 /LastChar 66 /Widths [1000 1000] "
                 "/Resources << >> >>");
  std::vector<uint8_t> pdf = b.FinishPages(
      {"1 0 0 rg BT /F1 10 Tf 100 300 Td (ab ) Tj /T3 10 Tf (AB) Tj /F1 10 Tf ( cd) Tj ET"},
      "<< /Font << /F1 " + std::to_string(helvetica) + " 0 R /T3 " + std::to_string(t3) + " 0 R >> >>");
  RecordingParser rec = ParsePage(pdf);
  EXPECT_EQ(rec.events, "PFTAI");
  ASSERT_EQ(rec.texts.size(), 1u);
  EXPECT_EQ(rec.texts[0].str(), u"ab  cd");
  ASSERT_EQ(rec.paths.size(), 1u);
  EXPECT_EQ(rec.paths[0].rec.fill_on, 1);
  EXPECT_FLOAT_EQ(rec.paths[0].rec.fill_rgb[0], 1);
  EXPECT_FLOAT_EQ(rec.paths[0].rec.fill_rgb[1], 0);
  ASSERT_EQ(rec.images.size(), 1u);
  const Image& im = rec.images[0];
  auto [x0, y1] = Apply(im.rec.matrix, 0, 0);
  auto [x1, y0] = Apply(im.rec.matrix, 1, 1);
  // "ab " is 0.556 + 0.556 + 0.278 em: the square starts at 113.9, the ring 10 pt after it.
  EXPECT_NEAR(x0, 123.9, 0.6);
  EXPECT_NEAR(x1, 133.9, 0.6);
  EXPECT_NEAR(y0, 300, 0.6);
  EXPECT_NEAR(y1, 310, 0.6);
  const std::vector<int> edge = Pixel(im, 1, im.rec.height / 2);  // on the ring's left side
  EXPECT_EQ(std::vector<int>(edge.begin(), edge.begin() + 3), (std::vector<int>{0, 0, 255}));  // B, G, R
  EXPECT_GE(edge[3], 200);
}

// What a page may cost is bounded: an image whose soft mask is over the size cap is left out
// before anything is decoded (a 1 x 1 image with a 60,000-square mask), an image drawn again
// on this page or another is decoded once and keeps one id, and a page of more objects than a
// page may hold keeps what fits and says it was simplified.
TEST(PagesieveImage, PagesStayWithinTheirBudgets) {
  {
    SCOPED_TRACE("mask over the cap");
    lwtest::TempDir dir;
    const auto pdf = ImagePage("/Width 1 /Height 1 /ColorSpace /DeviceRGB /BitsPerComponent 8", {255, 0, 0},
                               "/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray "
                               "/BitsPerComponent 8",
                               {0, 0, 0, 0});
    auto engine = OpenBytes(dir, pdf);
    RecordingParser rec;
    EXPECT_TRUE(engine->parse_pdf_page(1, &rec));
    EXPECT_TRUE(rec.images.empty());
    const auto omitted = engine->last_page_omissions();
    ASSERT_EQ(omitted.size(), 1u);
    EXPECT_EQ(omitted[0].kind, kPdfImageTooLarge);
    EXPECT_EQ(omitted[0].width, 60000);
    EXPECT_EQ(omitted[0].height, 60000);
  }
  {
    SCOPED_TRACE("one image drawn on two pages, three times on the first");
    lwtest::PdfBuilder b;
    std::vector<uint8_t> pixels(40 * 30 * 3);
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
    int img = b.AddStream("/Type /XObject /Subtype /Image /Width 40 /Height 30 /ColorSpace /DeviceRGB "
                          "/BitsPerComponent 8",
                          pixels);
    const std::string draw = "q 40 0 0 30 10 20 cm /Im1 Do Q ";
    const auto pdf = b.FinishPages({draw + draw + draw, draw}, "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
    lwtest::TempDir dir;
    auto engine = OpenBytes(dir, pdf);
    RecordingParser first, second;
    ASSERT_TRUE(engine->parse_pdf_page(1, &first));
    ASSERT_TRUE(engine->parse_pdf_page(2, &second));
    ASSERT_EQ(first.images.size(), 3u);
    ASSERT_EQ(second.images.size(), 1u);
    const int32_t id = first.images[0].rec.image_id;
    EXPECT_NE(id, 0);
    for (const Image& im : first.images) EXPECT_EQ(im.rec.image_id, id);
    EXPECT_EQ(second.images[0].rec.image_id, id);
    EXPECT_EQ(second.images[0].data, first.images[0].data);
    EXPECT_TRUE(engine->last_page_omissions().empty());
  }
  {
    SCOPED_TRACE("60,000 rectangles");
    std::string content;
    content.reserve(60000 * 16);
    for (int i = 0; i < 60000; ++i) content += std::to_string(i % 600) + " 10 1 1 re f\n";
    lwtest::PdfBuilder b;
    const auto pdf = b.FinishPages({content}, "<< >>");
    lwtest::TempDir dir;
    auto engine = OpenBytes(dir, pdf);
    RecordingParser rec;
    EXPECT_TRUE(engine->parse_pdf_page(1, &rec));
    EXPECT_GT(rec.paths.size(), 10000u);
    EXPECT_LE(rec.paths.size(), 50000u);
    const auto omitted = engine->last_page_omissions();
    ASSERT_EQ(omitted.size(), 1u);
    EXPECT_EQ(omitted[0].kind, kPdfPageSimplified);
  }
}

// An image is decoded at the size its drawing needs (300 pixels an inch): a larger one arrives
// at the power-of-two fraction of its sides that still gives that (rounded up), JPEG or not, and
// the same image drawn larger on a later page arrives again at the finer size under an id of its
// own.
TEST(PagesieveImage, ImagesAreDecodedAtTheSizeTheirDrawingNeeds) {
  const int side = 400;
  std::vector<uint8_t> rgb(static_cast<size_t>(side) * side * 3);
  for (size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<uint8_t>(i % 3 == 0 ? 200 : 40);
  const struct {
    const char* name;
    std::string dict;
    std::vector<uint8_t> data;
  } kinds[] = {
      {"rgb", "/Width 400 /Height 400 /ColorSpace /DeviceRGB /BitsPerComponent 8", rgb},
      {"jpeg", "/Width 400 /Height 400 /ColorSpace /DeviceRGB /BitsPerComponent 8 /Filter /DCTDecode",
       lwtest::MakeJpeg(side, side)},
  };
  const struct {
    float points;  // drawn side
    int pixels;    // side that arrives
  } sizes[] = {
      {2, 13},    // 9 needed: at most 1/32
      {20, 100},  // 84 needed: a quarter
      {40, 200},  // 167 needed: a half
      {96, 400},  // 400 needed: the whole image
  };
  for (const auto& k : kinds) {
    SCOPED_TRACE(k.name);
    lwtest::PdfBuilder b;
    const int img = b.AddStream("/Type /XObject /Subtype /Image " + k.dict, k.data);
    std::vector<std::string> pages;
    for (const auto& s : sizes) {
      const std::string n = std::to_string(s.points);
      pages.push_back("q " + n + " 0 0 " + n + " 10 10 cm /Im1 Do Q");
    }
    const auto pdf = b.FinishPages(pages, "<< /XObject << /Im1 " + std::to_string(img) + " 0 R >> >>");
    lwtest::TempDir dir;
    auto engine = OpenBytes(dir, pdf);
    std::vector<int32_t> ids;
    for (size_t i = 0; i < std::size(sizes); ++i) {
      RecordingParser rec;
      ASSERT_TRUE(engine->parse_pdf_page(static_cast<int>(i) + 1, &rec));
      ASSERT_EQ(rec.images.size(), 1u) << i;
      const Image& im = rec.images[0];
      EXPECT_EQ(im.rec.width, sizes[i].pixels) << sizes[i].points;
      EXPECT_EQ(im.rec.height, sizes[i].pixels) << sizes[i].points;
      ids.push_back(im.rec.image_id);
      if (im.rec.kind == kPdfImageRaw && std::string(k.name) == "rgb") {
        // Still the image's colours: red over blue and green.
        const std::vector<int> px = Pixel(im, im.rec.width / 2, im.rec.height / 2);
        EXPECT_GT(px[2], 150) << sizes[i].points;
        EXPECT_LT(px[0], 100) << sizes[i].points;
      }
    }
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::unique(ids.begin(), ids.end()), ids.end()) << "one id for each size";
  }
}
