// The records of whole generated pages: order, placement, fonts, texts, paths and images.
#include <gtest/gtest.h>

#include <cmath>

#include "RecordingParser.h"

using namespace pstest;
using L = lwtest::CairoPdfLayout;

namespace {

// The page matrix followed by the inverse of F = (1, 0, 0, -1, 0, y1 - y0): record space to y-up
// points relative to the displayed box.
std::pair<float, float> ToBox(const PdfPageRecord& p, float x, float y) {
  auto [dx, dy] = Apply(p.matrix, x, y);
  return {dx, (p.box[3] - p.box[1]) - dy};
}

}  // namespace

TEST(PagesieveContent, CairoPageRecordsInOrder) {
  bool ok = false;
  RecordingParser rec = ParsePage(lwtest::MakeCairoPdf(1), 1, &ok);
  ASSERT_TRUE(ok);
  // Page, font, text, the filled and stroked rectangle, the gradient as an image, the image.
  EXPECT_EQ(rec.events, "PFTAII");
  EXPECT_FALSE(rec.text_font_missing);

  const PdfPageRecord& page = rec.pages.at(0);
  EXPECT_EQ(std::vector<float>(page.matrix, page.matrix + 6), (std::vector<float>{1, 0, 0, -1, 0, 792}));
  EXPECT_EQ(std::vector<float>(page.box, page.box + 4), (std::vector<float>{0, 0, 612, 792}));

  const Text& text = rec.texts.at(0);
  EXPECT_EQ(text.str(), u"Hello page 1");
  ASSERT_EQ(text.runs.size(), 1u);
  EXPECT_FLOAT_EQ(text.runs[0].rec.font_size, 24);
  EXPECT_FLOAT_EQ(text.runs[0].rec.horizontal_scale, 1);
  EXPECT_EQ(text.runs[0].rec.fill_given, 1);
  EXPECT_EQ(text.runs[0].chars[0].adjustment, 0);
  for (const PdfRunChar& c : text.runs[0].chars) EXPECT_LT(std::fabs(c.adjustment), 2.0f);
  EXPECT_NEAR(text.matrix[0], 1, 1e-5);
  EXPECT_NEAR(text.matrix[3], 1, 1e-5);
  EXPECT_NEAR(text.matrix[4], L::kTextX, 1e-3);
  EXPECT_NEAR(text.matrix[5], L::kTextY, 1e-3);

  const Path& path = rec.paths.at(0);
  EXPECT_EQ(path.rec.fill_on, 1);
  EXPECT_EQ(path.rec.stroke_on, 1);
  EXPECT_EQ(std::vector<float>(path.rec.fill_rgb, path.rec.fill_rgb + 3), (std::vector<float>{1, 0, 0}));
  EXPECT_EQ(std::vector<float>(path.rec.stroke_rgb, path.rec.stroke_rgb + 3), (std::vector<float>{0, 0, 1}));
  EXPECT_FLOAT_EQ(path.rec.line_width, 2);
  ASSERT_EQ(path.segs.size(), 1u);
  ASSERT_EQ(path.segs[0].op, kPdfRectangle);
  auto [ax, ay] = Apply(path.rec.matrix, path.segs[0].x1, path.segs[0].y1);
  auto [bx, by] = Apply(path.rec.matrix, path.segs[0].x1 + path.segs[0].x2, path.segs[0].y1 + path.segs[0].y2);
  EXPECT_NEAR(std::min(ax, bx), L::kRectX0, 1e-3);
  EXPECT_NEAR(std::max(ax, bx), L::kRectX1, 1e-3);
  EXPECT_NEAR(std::min(ay, by), L::kRectY0, 1e-3);
  EXPECT_NEAR(std::max(ay, by), L::kRectY1, 1e-3);

  // The gradient comes rasterised: red on the left, blue on the right, covering its rectangle.
  const Image& grad = rec.images.at(0);
  EXPECT_EQ(grad.rec.kind, kPdfImageRaw);
  EXPECT_EQ(grad.rec.bytes_per_pixel, 4);
  auto [gx0, gy0] = Apply(grad.rec.matrix, 0, 1);
  auto [gx1, gy1] = Apply(grad.rec.matrix, 1, 0);
  EXPECT_NEAR(gx0, L::kGradX0, 1);
  EXPECT_NEAR(gy0, L::kGradY0, 1);
  EXPECT_NEAR(gx1, L::kGradX1, 1);
  EXPECT_NEAR(gy1, L::kGradY1, 1);
  int stride = (grad.rec.width * 32 + 31) / 32 * 4;
  ASSERT_EQ(grad.rec.data_length, stride * grad.rec.height);
  const uint8_t* mid_row = grad.data.data() + static_cast<size_t>(grad.rec.height / 2) * stride;
  const uint8_t* left = mid_row + 4;
  const uint8_t* right = mid_row + (grad.rec.width - 2) * 4;
  EXPECT_GT(left[2], 200);  // red
  EXPECT_LT(left[0], 60);
  EXPECT_GT(right[0], 200);  // blue
  EXPECT_LT(right[2], 60);
  EXPECT_EQ(left[3], 255);

  // The image: unit square onto its place, row 0 at the top, rows stored bottom-up.
  const Image& img = rec.images.at(1);
  ASSERT_EQ(img.rec.kind, kPdfImageRaw);
  ASSERT_EQ(img.rec.width, 4);
  ASSERT_EQ(img.rec.height, 2);
  ASSERT_EQ(img.rec.bytes_per_pixel, 3);
  ASSERT_EQ(img.rec.data_length, 12 * 2);  // rows of 12 bytes need no padding
  auto [tlx, tly] = Apply(img.rec.matrix, 0, 0);
  auto [brx, bry] = Apply(img.rec.matrix, 1, 1);
  EXPECT_NEAR(tlx, L::kImageX0, 1e-3);
  EXPECT_NEAR(tly, L::kImageY1, 1e-3);
  EXPECT_NEAR(brx, L::kImageX1, 1e-3);
  EXPECT_NEAR(bry, L::kImageY0, 1e-3);
  const uint8_t* row0 = img.data.data() + 12;  // last row in the buffer
  const uint8_t* row1 = img.data.data();
  EXPECT_EQ(std::vector<uint8_t>(row0, row0 + 12),
            (std::vector<uint8_t>{0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}));
  EXPECT_EQ(std::vector<uint8_t>(row1, row1 + 3), (std::vector<uint8_t>{0, 0, 0}));
  EXPECT_EQ(std::vector<uint8_t>(row1 + 9, row1 + 12), (std::vector<uint8_t>{255, 255, 0}));
}

// The embedded TrueType subset: program bytes, and every character maps back to a glyph through
// the to-Unicode map and the code-to-glyph table.
TEST(PagesieveContent, CairoFontRecordMapsCharactersToGlyphs) {
  RecordingParser rec = ParsePage(lwtest::MakeCairoPdf(1));
  ASSERT_EQ(rec.fonts.size(), 1u);
  const Font& f = rec.fonts[0];
  EXPECT_GT(f.rec.font_id, 0);
  EXPECT_EQ(f.rec.embed_flag, kPdfEmbeddedSimple);
  EXPECT_STREQ(f.rec.font_type, "TrueType");
  EXPECT_EQ(f.program.program_kind, kPdfProgramTrueType);
  EXPECT_GT(f.program_length, 1000u);
  EXPECT_STREQ(f.program.name, "LiberationSans");
  EXPECT_EQ(f.program.bold, 0);
  EXPECT_EQ(f.program.italic, 0);
  ASSERT_EQ(f.cid_to_gid.size(), 256u);
  EXPECT_EQ(f.cid_to_gid[255], 0);  // codes without a glyph stay 0
  for (char16_t ch : u"Helopag1") {
    if (!ch) continue;
    int code = f.CodeOf(ch);
    ASSERT_GE(code, 0) << static_cast<char>(ch);
    ASSERT_LT(static_cast<size_t>(code), f.cid_to_gid.size());
    EXPECT_NE(f.cid_to_gid.at(code), 0) << static_cast<char>(ch);
  }
  EXPECT_GT(f.rec.ascent, 0);
  EXPECT_LT(f.rec.descent, 0);
}

TEST(PagesieveContent, FontIdsStableAcrossPagesAndEngines) {
  std::vector<uint8_t> pdf = lwtest::MakeCairoPdf(2);
  lwtest::TempDir dir;
  auto a = OpenBytes(dir, pdf, "a.pdf");
  auto b = OpenBytes(dir, pdf, "b.pdf");
  RecordingParser p1, p2, q2;
  ASSERT_TRUE(a->parse_pdf_page(1, &p1));
  ASSERT_TRUE(a->parse_pdf_page(2, &p2));
  ASSERT_TRUE(b->parse_pdf_page(2, &q2));
  ASSERT_EQ(p1.fonts.size(), 1u);
  ASSERT_EQ(p2.fonts.size(), 1u);  // delivered again on every page that uses it
  EXPECT_EQ(p1.fonts[0].rec.font_id, p2.fonts[0].rec.font_id);
  EXPECT_EQ(p2.fonts[0].rec.font_id, q2.fonts[0].rec.font_id);
  EXPECT_EQ(p2.texts.at(0).runs.at(0).rec.font_id, p2.fonts[0].rec.font_id);
}

TEST(PagesieveContent, HandWrittenStandardFontTjAndJpeg) {
  bool ok = false;
  RecordingParser rec = ParsePage(lwtest::MakeHandWrittenPdf(), 1, &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(rec.events, "PFTI");

  const Font& f = rec.fonts.at(0);
  EXPECT_EQ(f.rec.embed_flag, kPdfNotEmbeddedSimple);
  EXPECT_STREQ(f.program.name, "Nimbus Sans");  // Helvetica
  EXPECT_EQ(f.program_length, 0u);
  EXPECT_EQ(f.program.program, nullptr);
  EXPECT_STREQ(f.rec.encoding_name, "WinAnsiEncoding");
  ASSERT_EQ(f.glyph_names.size(), 256u);
  EXPECT_EQ(f.glyph_names['H'], "H");
  EXPECT_EQ(f.glyph_names[' '], "space");

  const Text& t = rec.texts.at(0);
  EXPECT_EQ(t.str(), u"Hello World");  // the TJ gap is a word space
  EXPECT_NEAR(t.matrix[4], 72, 1e-3);
  EXPECT_NEAR(t.matrix[5], 720, 1e-3);
  const auto& chars = t.runs.at(0).chars;
  ASSERT_EQ(chars.size(), 11u);
  EXPECT_EQ(chars[5].character, 32 | kPdfCharWordSpace);
  for (size_t i = 0; i < chars.size(); ++i) EXPECT_NEAR(chars[i].adjustment, i == 6 ? -250 : 0, 0.01) << i;

  const Image& img = rec.images.at(0);
  EXPECT_EQ(img.rec.kind, kPdfImageEncoded);
  EXPECT_EQ(img.rec.width, 16);
  EXPECT_EQ(img.rec.height, 8);
  EXPECT_EQ(img.data, lwtest::MakeJpeg(16, 8));
  EXPECT_EQ(std::vector<float>(img.rec.matrix, img.rec.matrix + 6), (std::vector<float>{160, 0, 0, -80, 72, 580}));
}

// The page matrix folds in the crop box and the rotation: a point of the page lands where a
// viewer shows it.
TEST(PagesieveContent, PageMatrixFoldsCropBoxAndRotation) {
  struct Case {
    const char* page_extra;
    float box_w, box_h;
    float px, py;      // a record-space point
    float want_x, want_y;  // where it lands, y-up from the displayed box's lower-left corner
  };
  const Case cases[] = {
      {"", 612, 792, 100, 700, 100, 700},
      {"/CropBox [50 100 550 700]", 500, 600, 100, 700, 50, 600},
      {"/Rotate 90", 792, 612, 100, 700, 700, 512},
      {"/Rotate 180", 612, 792, 100, 700, 512, 92},
      {"/Rotate 270", 792, 612, 100, 700, 92, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.page_extra);
    lwtest::PdfBuilder b;
    int content = b.AddStream("", std::string("0 0 m 1 1 l S"));
    int pages = b.Reserve();
    int page = b.Add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 612 792] " +
                     c.page_extra + " /Contents " + std::to_string(content) + " 0 R >>");
    b.Set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
    int root = b.Add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
    RecordingParser rec = ParsePage(b.Finish(root));
    ASSERT_EQ(rec.pages.size(), 1u);
    const PdfPageRecord& p = rec.pages[0];
    EXPECT_NEAR(p.box[2] - p.box[0], c.box_w, 1e-3);
    EXPECT_NEAR(p.box[3] - p.box[1], c.box_h, 1e-3);
    auto [x, y] = ToBox(p, c.px, c.py);
    EXPECT_NEAR(x, c.want_x, 1e-3);
    EXPECT_NEAR(y, c.want_y, 1e-3);
  }
}

// Composite fonts (Type0, Identity-H): registry, encoding, to-Unicode map and the CID-to-glyph table
// of an embedded program; a record with only the face name when nothing is embedded.
TEST(PagesieveContent, CompositeFontRecords) {
  std::vector<uint8_t> program = lwtest::ReadFileBytes(lwtest::LiberationSansPath());
  const std::string to_unicode =
      "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /Adobe-Identity-UCS def "
      "/CMapType 2 def 1 begincodespacerange <0000> <FFFF> endcodespacerange 2 beginbfchar <002B> <0048> "
      "<004C> <0069> endbfchar endcmap CMapName currentdict /CMap defineresource pop end end";
  for (bool embedded : {true, false}) {
    SCOPED_TRACE(embedded ? "embedded" : "not embedded");
    lwtest::PdfBuilder b;
    std::string file;
    if (embedded) file = " /FontFile2 " + std::to_string(b.AddStream("", program)) + " 0 R";
    int fd = b.Add("<< /Type /FontDescriptor /FontName /ABCDEF+ArialMT /Flags 32 /FontBBox [-665 -325 2000 1006] "
                   "/ItalicAngle 0 /Ascent 905 /Descent -212 /CapHeight 716 /StemV 80" + file + " >>");
    int cid = b.Add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /ABCDEF+ArialMT /CIDSystemInfo << /Registry "
                    "(Adobe) /Ordering (Identity) /Supplement 0 >> /FontDescriptor " + std::to_string(fd) +
                    " 0 R /W [43 [722] 76 [222]] /CIDToGIDMap /Identity >>");
    int tu = b.AddStream("", to_unicode);
    int font = b.Add("<< /Type /Font /Subtype /Type0 /BaseFont /ABCDEF+ArialMT /Encoding /Identity-H "
                     "/DescendantFonts [" + std::to_string(cid) + " 0 R] /ToUnicode " + std::to_string(tu) + " 0 R >>");
    RecordingParser rec = ParsePage(b.FinishPages({"BT /F1 20 Tf 72 700 Td <002B004C> Tj ET"},
                                                  "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
    ASSERT_EQ(rec.events, "PFT");
    const Font& f = rec.fonts[0];
    EXPECT_EQ(f.rec.font_id, font);
    EXPECT_STREQ(f.rec.font_type, "Type0");
    EXPECT_STREQ(f.rec.font_subtype, "CIDFontType2");
    EXPECT_STREQ(f.rec.registry, "Adobe");
    EXPECT_STREQ(f.rec.ordering, "Identity");
    EXPECT_STREQ(f.rec.encoding_name, "Identity-H");
    EXPECT_EQ(f.rec.base_encoding, kPdfEncodingCMap);
    EXPECT_EQ(f.rec.flags, 32);
    EXPECT_FLOAT_EQ(f.rec.ascent, 905);
    EXPECT_EQ(f.rec.font_box[2], 2000);
    EXPECT_EQ(f.rec.hmetric_count, 2);
    EXPECT_EQ(f.CodeOf(u'H'), 43);
    EXPECT_EQ(f.CodeOf(u'i'), 76);
    EXPECT_EQ(rec.texts.at(0).str(), u"Hi");
    if (embedded) {
      EXPECT_EQ(f.rec.embed_flag, kPdfEmbeddedComposite);
      EXPECT_EQ(f.program_length, program.size());
      EXPECT_STREQ(f.program.name, "ArialMT");
      ASSERT_GT(f.cid_to_gid.size(), 76u);
      EXPECT_EQ(f.cid_to_gid[43], 43);
      EXPECT_EQ(f.cid_to_gid[76], 76);
    } else {
      EXPECT_EQ(f.rec.embed_flag, kPdfNotEmbeddedComposite);
      EXPECT_EQ(f.program_length, 0u);
      EXPECT_STREQ(f.program.name, "Arial");
      EXPECT_TRUE(f.cid_to_gid.empty());
    }
  }
}
