#include <gtest/gtest.h>

#include <tuple>

#include <cmath>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>

#include "PdfFixtures.h"

using Vectorloom::CCustomPathObj;
using Vectorloom::CExternalBmpResObj;
using Vectorloom::CQorVectorPoint;

namespace {

// The application's document makes text objects; the base document makes none.
class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// A parser over a fresh page of a 612 x 792 point PDF page.
struct PdfPageParserTest : ::testing::Test {
  void SetUp() override {
    page = new CDrawingPage;
    page->AddRef();
    parser = std::make_unique<CPDFPageParserImpl>(&doc, page);
    PdfPageRecord rec{{1, 0, 0, -1, 0, 792}, {0, 0, 612, 792}};
    parser->OnPageBegin(&rec);
  }
  void TearDown() override {
    parser.reset();
    page->Release();
  }
  int Count() const { return page->GetRenderObjectList().GetCount(); }
  Vectorloom::CRenderBaseObj* Obj(int i) const { return page->GetRenderObjectList().GetAt(i); }

  void AddFont(int id, const char* name, int bold = 0, int italic = 0) {
    PdfFontProgram program{};
    std::snprintf(program.name, sizeof program.name, "%s", name);
    program.bold = bold;
    program.italic = italic;
    PdfFontRecord font{};
    font.font_id = id;
    font.embed_flag = kPdfNotEmbeddedSimple;
    font.program = &program;
    parser->OnFontResource(&font);
  }

  CTextDoc doc;
  CDrawingPage* page = nullptr;
  std::unique_ptr<CPDFPageParserImpl> parser;
};

PdfTextRun MakeRun(int font, float size, const std::vector<PdfRunChar>& chars) {
  PdfTextRun run{};
  run.font_id = font;
  run.font_size = size;
  run.horizontal_scale = 1;
  run.char_count = static_cast<int32_t>(chars.size());
  run.chars = chars.data();
  return run;
}

std::vector<PdfRunChar> Chars(const std::u16string& s) {
  std::vector<PdfRunChar> out;
  for (char16_t c : s) out.push_back({0, c});
  return out;
}

TEST_F(PdfPageParserTest, PageBeginSetsSizeAndPlacesPdfPointsScaledFromTheTopLeft) {
  EXPECT_FLOAT_EQ(page->GetLogWidth(), 612);
  EXPECT_FLOAT_EQ(page->GetLogHeight(), 792);
  EXPECT_EQ(page->GetPageLogUnit(), Vectorloom::UNIT_POINT);
  const CQorVectorPoint<float> p = parser->PlaceMatrix({}).Transform(CQorVectorPoint<float>(100, 700));
  EXPECT_NEAR(p.x, 133.0f, 1e-3);
  EXPECT_NEAR(p.y, 122.36f, 1e-3);
  // A null page record resets the page matrix and leaves the page alone.
  parser->OnPageBegin(nullptr);
  EXPECT_TRUE(parser->GetPageMatrix().IsIdentity());
  EXPECT_FLOAT_EQ(page->GetLogWidth(), 612);
}

TEST(PdfColor, RoundsTruncatesAndClamps) {
  struct Case {
    float r, g, b;
    COLORREF expected;
  } cases[] = {
      {0, 0, 0, 0x000000},
      {1, 1, 1, 0xFFFFFF},
      {1, 0, 0, 0x0000FF},  // red in the low byte
      {0, 0, 1, 0xFF0000},
      {0.5f, 0.25f, 0.75f, 0xBF4080},
      {-0.5f, 2.0f, 0.001f, 0x00FF00},
      {NAN, INFINITY, -INFINITY, 0x00FF00},
      {0.998f, 0.0019f, 0.0021f, 0x0100FE},  // 254.99, 0.98 and 1.04 truncate
  };
  for (const Case& c : cases) {
    const float rgb[3] = {c.r, c.g, c.b};
    EXPECT_EQ(Quirebook::PdfColorToRgb(rgb), c.expected) << c.r << " " << c.g << " " << c.b;
  }
}

TEST_F(PdfPageParserTest, TextBuildsCharactersWithFontSizeColourAndPlacement) {
  AddFont(7, "WenQuanYi Zen Hei", 1, 1);  // one style only: bold and italic are made
  std::vector<PdfRunChar> chars = {{0, 'H'}, {250, 'i'}};
  PdfTextRun run = MakeRun(7, 24, chars);
  run.horizontal_scale = 0.5f;
  run.fill_given = 1;
  run.fill_rgb[0] = 1;
  const PdfTextRun* runs[] = {&run};
  PdfTextRecord text{{1, 0, 0, 1, 100, 700}, 1, runs};
  parser->OnTextObject(&text);

  ASSERT_EQ(Count(), 1);
  auto* obj = dynamic_cast<CDDrawTextObj*>(Obj(0));
  ASSERT_NE(obj, nullptr);
  EXPECT_EQ(obj->GetCharacters(0, -1), L"Hi");
  const auto& items = obj->GetArrayOfTextCharacters();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_FLOAT_EQ(items[0].GetFontPointSize(), 24);
  EXPECT_EQ(items[0].IsBold(), 1);
  EXPECT_FLOAT_EQ(items[0].GetItalicSkew(), -0.36397f);
  EXPECT_FLOAT_EQ(items[1].GetHorizontalShift(), -250 * 24 / 1000.0f);
  EXPECT_FLOAT_EQ(items[0].GetCharXScale(), 0.5f * 0.75f);
  EXPECT_FLOAT_EQ(items[0].GetCharYScale(), 0.75f);
  EXPECT_EQ(items[0].GetRenderColor(), 0x0000FFu);
  ASSERT_EQ(obj->GetFontRuns().GetSize(), 1);
  const auto& fontRun = obj->GetFontRuns().GetAt(0);
  EXPECT_EQ(fontRun.m_nLength, 2u);
  EXPECT_EQ(fontRun.m_FontDesc.GetEmbedFontID(), 7);
  EXPECT_EQ(fontRun.m_FontDesc.GetFontFaceNameW(), L"WenQuanYi Zen Hei");
  EXPECT_EQ(fontRun.m_FontDesc.GetCharSet(), 1);
  // The text's origin is the PDF point (100, 700); its y axis runs down the page.
  const auto& m = obj->GetTransMatrix();
  const CQorVectorPoint<float> origin = m.Transform(CQorVectorPoint<float>(0, 0));
  EXPECT_NEAR(origin.x, 133.0f, 1e-3);
  EXPECT_NEAR(origin.y, 122.36f, 1e-3);
  EXPECT_NEAR(m.m22, 1.33f, 1e-6);
}

// A font that is not embedded and names a bold or italic style is drawn from the system's face of
// that style where the system has one; only where it has none is it emboldened or slanted.
TEST_F(PdfPageParserTest, StylesOfFontsNotEmbeddedUseTheSystemsStyledFaces) {
  struct Case {
    const char* face;
    int bold, italic;
    const wchar_t* runFace;
    int charBold;
    float skew;
  };
  const Case cases[] = {
      {"Arial", 1, 0, L"Arial Bold", 0, 0},
      {"Times New Roman", 0, 1, L"Times New Roman Italic", 0, 0},
      {"Courier New", 1, 1, L"Courier New Bold Italic", 0, 0},
      {"Arial", 0, 0, L"Arial", 0, 0},
      {"WenQuanYi Zen Hei", 1, 0, L"WenQuanYi Zen Hei", 1, 0},
  };
  int id = 20;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.face);
    page->Clear();
    AddFont(++id, c.face, c.bold, c.italic);
    std::vector<PdfRunChar> chars = {{0, 'A'}};
    PdfTextRun run = MakeRun(id, 12, chars);
    const PdfTextRun* runs[] = {&run};
    PdfTextRecord text{{1, 0, 0, 1, 100, 700}, 1, runs};
    parser->OnTextObject(&text);
    ASSERT_EQ(Count(), 1);
    auto* obj = dynamic_cast<CDDrawTextObj*>(Obj(0));
    ASSERT_NE(obj, nullptr);
    EXPECT_EQ(obj->GetFontRuns().GetAt(0).m_FontDesc.GetFontFaceNameW(), c.runFace);
    EXPECT_EQ(obj->GetArrayOfTextCharacters()[0].IsBold(), c.charBold);
    EXPECT_FLOAT_EQ(obj->GetArrayOfTextCharacters()[0].GetItalicSkew(), c.skew);
  }
}

TEST_F(PdfPageParserTest, TextWithoutVisibleCharactersOrKnownFontMakesNoObject) {
  AddFont(1, "Arial");
  std::vector<PdfRunChar> blank = Chars(u" \t\r\n ");
  std::vector<PdfRunChar> word = Chars(u"ab");
  PdfTextRun blankRun = MakeRun(1, 12, blank);
  PdfTextRun wordUnknown = MakeRun(99, 12, word);
  PdfTextRun wordKnown = MakeRun(1, 12, word);
  struct Case {
    const char* name;
    std::vector<const PdfTextRun*> runs;
    int objects;
  } cases[] = {
      {"white space only", {&blankRun, nullptr, &blankRun}, 0},
      {"unknown font before the first visible character", {&blankRun, &wordUnknown, &wordKnown}, 0},
      {"null runs are skipped", {nullptr, &wordKnown}, 1},
      {"unknown font after it keeps the previous font", {&wordKnown, &wordUnknown}, 1},
  };
  for (const Case& c : cases) {
    page->Clear();
    PdfTextRecord text{{1, 0, 0, 1, 0, 0}, static_cast<int32_t>(c.runs.size()), c.runs.data()};
    parser->OnTextObject(&text);
    EXPECT_EQ(Count(), c.objects) << c.name;
  }
  // Every character has a font run: the unknown font's characters extend the previous run.
  auto* obj = dynamic_cast<CDDrawTextObj*>(Obj(0));
  ASSERT_NE(obj, nullptr);
  ASSERT_EQ(obj->GetFontRuns().GetSize(), 1);
  EXPECT_EQ(obj->GetFontRuns().GetAt(0).m_nLength, 4u);
}

TEST_F(PdfPageParserTest, DocumentThatMakesNoTextObjectsIsSafe) {
  CPublicationDoc base;
  CPDFPageParserImpl baseParser(&base, page);
  PdfFontProgram program{};
  PdfFontRecord font{};
  font.font_id = 3;
  font.program = &program;
  baseParser.OnFontResource(&font);
  std::vector<PdfRunChar> word = Chars(u"x");
  PdfTextRun run = MakeRun(3, 12, word);
  const PdfTextRun* runs[] = {&run};
  PdfTextRecord text{{1, 0, 0, 1, 0, 0}, 1, runs};
  baseParser.OnTextObject(&text);
  EXPECT_EQ(Count(), 0);
}

TEST_F(PdfPageParserTest, FontFirstDefinitionWinsAndFieldsAreCopiedBounded) {
  const std::string longName(40, 'g');
  PdfFontProgram program{};
  std::snprintf(program.name, sizeof program.name, "First");
  const uint8_t bytes[] = {1, 2, 3};
  program.program = bytes;
  program.program_length = 3;
  const uint16_t gids[] = {0, 5, 6};
  program.cid_to_gid = gids;
  program.cid_to_gid_count = 3;
  PdfHMetric widths[] = {{32, 40, 500}};
  PdfFontRecord font{};
  font.font_id = 11;
  font.ascent = 900;
  font.glyph_name_count = 256;
  font.glyph_names[65] = "A";
  font.glyph_names[66] = longName.c_str();
  font.hmetric_count = 1;
  font.hmetrics = widths;
  font.embed_flag = kPdfEmbeddedSimple;
  font.program = &program;
  parser->OnFontResource(&font);

  PdfFontProgram second{};
  std::snprintf(second.name, sizeof second.name, "Second");
  PdfFontRecord again{};
  again.font_id = 11;
  again.program = &second;
  parser->OnFontResource(&again);

  auto* fonts = doc.GetEmbedFontResManager();
  ASSERT_EQ(fonts->GetCount(), 1);
  const auto* res = fonts->FindEmbedFontResource(11);
  ASSERT_NE(res, nullptr);
  EXPECT_STREQ(res->GetEmbedPdfFontContent()->GetFontName(), "First");
  EXPECT_EQ(res->GetEmbedPdfFontContent()->m_vProgram, std::vector<unsigned char>(bytes, bytes + 3));
  EXPECT_EQ(res->GetEmbedPdfFontContent()->m_vCid2Gid.size(), 3u);
  EXPECT_FLOAT_EQ(res->GetFontAscent(), 900);
  EXPECT_STREQ(res->GetCodeName(65), "A");
  EXPECT_EQ(std::string(res->GetCodeName(66)), longName.substr(0, 31));
  EXPECT_STREQ(res->GetCodeName(67), "");
  ASSERT_EQ(res->GetHorzCount(), 1);
  const unsigned char* e = res->GetHorzTable();
  EXPECT_EQ(e[0] | e[1] << 8, 32);
  EXPECT_EQ(e[4] | e[5] << 8, 500);
}

PdfPathSegment Seg(int32_t op, float x1 = 0, float y1 = 0, float x2 = 0, float y2 = 0, float x3 = 0, float y3 = 0) {
  return PdfPathSegment{op, x1, y1, x2, y2, x3, y3};
}

// A path's sub-paths, as node counts with a 'c' for closed ones.
std::string Shape(const CCustomPathObj& shape) {
  std::string out;
  for (const auto& sub : shape.GetSubPaths()) {
    if (!out.empty()) out += ' ';
    out += std::to_string(sub.GetNodesCount()) + (sub.IsClosed() ? "c" : "");
  }
  return out;
}

TEST_F(PdfPageParserTest, PathOperatorTable) {
  using S = PdfPathSegment;
  const S m0 = Seg(kPdfMoveTo, 0, 0), m1 = Seg(kPdfMoveTo, 50, 50), l1 = Seg(kPdfLineTo, 10, 0),
          l2 = Seg(kPdfLineTo, 10, 10), l3 = Seg(kPdfLineTo, 0, 0), c = Seg(kPdfCurveTo, 1, 1, 2, 2, 3, 3),
          v = Seg(kPdfCurveToV, 1, 1, 2, 2), y = Seg(kPdfCurveToY, 1, 1, 2, 2), h = Seg(kPdfClose),
          r = Seg(kPdfRectangle, 5, 5, 10, 10), hs = Seg(kPdfCloseWithSegment), bad = Seg(42, 1, 1);
  struct Case {
    const char* name;
    std::vector<S> segs;
    bool fill, stroke;
    const char* expected;  // empty: no object
  } cases[] = {
      {"move only", {m0}, true, false, "1"},
      {"open stroked polyline stays open", {m0, l1, l2}, false, true, "3"},
      {"open filled polygon is closed", {m0, l1, l2}, true, false, "4c"},
      {"close of a single node does nothing", {m0, h}, false, true, "1"},
      {"close of two nodes closes: a line there and back", {m0, l1, h}, false, true, "2c"},
      {"close of a single curve closes it by its chord", {m0, c, h}, false, true, "2c"},
      {"close with segment after a single curve adds the chord's end", {m0, c, hs}, false, true, "3c"},
      {"close marks closed", {m0, l1, l2, h}, false, true, "3c"},
      {"close with segment adds the first point", {m0, l1, l2, hs}, false, true, "4c"},
      {"close with segment at the first point adds none", {m0, l1, l2, l3, hs}, false, true, "4c"},
      {"move starts a new sub-path", {m0, l1, m1, l2}, false, true, "2 2"},
      {"rectangle drops a one-node sub-path", {m0, r}, true, false, "4c"},
      {"rectangle keeps a longer sub-path", {m0, l1, r, m1}, false, true, "2 4c 1"},
      {"curves add one node each", {m0, c, v, y}, false, true, "4"},
      {"segments without a sub-path are skipped", {l1, c, h, hs, bad, m0}, false, true, "1"},
      {"after a close lines need a move", {m0, l1, l2, h, l3}, false, true, "3c"},
  };
  for (const Case& cs : cases) {
    page->Clear();
    PdfPathRecord path{};
    path.matrix[0] = path.matrix[3] = 1;
    path.fill_on = cs.fill;
    path.stroke_on = cs.stroke;
    path.line_width = 2;
    path.segment_count = static_cast<int32_t>(cs.segs.size());
    path.segments = cs.segs.data();
    parser->OnPathObject(&path);
    ASSERT_EQ(Count(), 1) << cs.name;
    auto* shape = dynamic_cast<CCustomPathObj*>(Obj(0));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(Shape(*shape), cs.expected) << cs.name;
  }
  // Control points of a curve: out on the start node, in on the new node.
  page->Clear();
  std::vector<S> curve = {m0, c};
  PdfPathRecord path{};
  path.matrix[0] = path.matrix[3] = 1;
  path.stroke_on = 1;
  path.segment_count = 2;
  path.segments = curve.data();
  parser->OnPathObject(&path);
  const auto& nodes = dynamic_cast<CCustomPathObj*>(Obj(0))->GetSubPath(0).GetNodes();
  ASSERT_EQ(nodes.size(), 2u);
  EXPECT_TRUE(nodes[0].bHasOut);
  EXPECT_TRUE(nodes[1].bHasIn);
  EXPECT_FLOAT_EQ(nodes[1].ptIn.x - nodes[1].pt.x, 2 - 3);
}

TEST_F(PdfPageParserTest, PathPropertiesIgnoredPathsAndPlacement) {
  const PdfPathSegment segs[] = {Seg(kPdfMoveTo, 100, 700)};
  PdfPathRecord path{};
  path.matrix[0] = path.matrix[3] = 1;
  path.segment_count = 1;
  path.segments = segs;
  path.ignore = 1;
  parser->OnPathObject(&path);
  path.ignore = 0;
  path.segment_count = 0;
  parser->OnPathObject(&path);
  EXPECT_EQ(Count(), 0);

  path.segment_count = 1;
  path.fill_on = 1;
  path.fill_rgb[1] = 1;
  path.stroke_on = 1;
  path.stroke_rgb[2] = 1;
  path.line_width = 3;
  parser->OnPathObject(&path);
  ASSERT_EQ(Count(), 1);
  auto* shape = dynamic_cast<CCustomPathObj*>(Obj(0));
  ASSERT_NE(shape, nullptr);
  EXPECT_EQ(shape->GetFillColor(), 0x00FF00u);
  EXPECT_EQ(shape->GetStrokeColor(), 0xFF0000u);
  EXPECT_FLOAT_EQ(shape->GetStrokeWidth(), 3);
  EXPECT_TRUE(shape->IsFilled());
  EXPECT_TRUE(shape->IsStroked());
  const auto& node = shape->GetSubPath(0).GetNode(0);
  const CQorVectorPoint<float> p = shape->GetTransMatrix().Transform(node.pt);
  EXPECT_NEAR(p.x, 133.0f, 1e-3);
  EXPECT_NEAR(p.y, 122.36f, 1e-3);
}

TEST_F(PdfPageParserTest, StrokeStyleAndFillRuleComeFromTheRecord) {
  using namespace Vectorloom;
  const PdfPathSegment segs[] = {Seg(kPdfMoveTo, 0, 0), Seg(kPdfLineTo, 100, 0)};
  struct Case {
    const char* name;
    uint8_t cap, join, evenOdd;
    float miter, phase, width;
    std::vector<float> dashes;  // in the path's space
    int startCap, lineJoin, fillRule, dashCap, dashType;
    std::vector<float> pattern;  // in stroke widths
    float offset;
  } cases[] = {
      {"solid, butt, miter, nonzero", 0, 0, 0, 10, 0, 2, {}, LINE_CAP_FLAT, LINE_JOIN_MITER, FILL_RULE_NONZERO,
       DASH_CAP_FLAT, DASH_SOLID, {}, 0},
      {"round caps and joins, even-odd", 1, 1, 1, 4, 0, 2, {}, LINE_CAP_ROUND, LINE_JOIN_ROUND, FILL_RULE_EVEN_ODD,
       DASH_CAP_FLAT, DASH_SOLID, {}, 0},
      {"bevel joins, dashes and phase in widths", 0, 2, 0, 10, 3, 2, {6, 2}, LINE_CAP_FLAT, LINE_JOIN_BEVEL,
       FILL_RULE_NONZERO, DASH_CAP_FLAT, DASH_CUSTOM, {3, 1}, 1.5f},
      {"an odd list runs twice", 0, 0, 0, 10, 0, 2, {4}, LINE_CAP_FLAT, LINE_JOIN_MITER, FILL_RULE_NONZERO,
       DASH_CAP_FLAT, DASH_CUSTOM, {2, 2}, 0},
      {"round dots of zero length", 1, 0, 0, 10, 0, 2, {0, 8}, LINE_CAP_ROUND, LINE_JOIN_MITER, FILL_RULE_NONZERO,
       DASH_CAP_ROUND, DASH_CUSTOM, {1e-3f, 4}, 0},
      {"square dash ends lengthen the dashes", 2, 0, 0, 10, 2, 2, {4, 6}, LINE_CAP_SQUARE, LINE_JOIN_MITER,
       FILL_RULE_NONZERO, DASH_CAP_FLAT, DASH_CUSTOM, {3, 2}, 1.5f},
      {"all zero dashes are a solid line", 0, 0, 0, 10, 0, 2, {0, 0}, LINE_CAP_FLAT, LINE_JOIN_MITER,
       FILL_RULE_NONZERO, DASH_CAP_FLAT, DASH_SOLID, {}, 0},
      {"clipped miter and its limit", 0, 3, 0, 2.5f, 0, 2, {}, LINE_CAP_FLAT, LINE_JOIN_MITER_CLIPPED,
       FILL_RULE_NONZERO, DASH_CAP_FLAT, DASH_SOLID, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    page->Clear();
    PdfPathRecord path{};
    path.matrix[0] = path.matrix[3] = 1;
    path.fill_on = 1;
    path.stroke_on = 1;
    path.even_odd = c.evenOdd;
    path.line_width = c.width;
    path.start_cap = path.end_cap = path.dash_cap = c.cap;
    path.line_join = c.join;
    path.miter_limit = c.miter;
    path.dash_phase = c.phase;
    path.dash_count = static_cast<int32_t>(c.dashes.size());
    path.dashes = c.dashes.empty() ? nullptr : c.dashes.data();
    path.segment_count = 2;
    path.segments = segs;
    parser->OnPathObject(&path);
    ASSERT_EQ(Count(), 1);
    auto* shape = dynamic_cast<CCustomPathObj*>(Obj(0));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->GetStartCap(), c.startCap);
    EXPECT_EQ(shape->GetEndCap(), c.startCap);
    EXPECT_EQ(shape->GetLineJoin(), c.lineJoin);
    EXPECT_FLOAT_EQ(shape->GetMiterLimit(), c.miter);
    EXPECT_EQ(shape->GetFillRule(), c.fillRule);
    EXPECT_EQ(shape->GetDashType(), c.dashType);
    EXPECT_EQ(shape->GetDashCap(), c.dashCap);
    EXPECT_EQ(shape->GetDashPattern(), c.pattern);
    EXPECT_FLOAT_EQ(shape->GetDashOffset(), c.offset);
  }
}

struct ImageCase {
  int bpp;
  int length_delta;  // against stride x height
  bool made;
  Gdiplus::PixelFormat format;
};

TEST_F(PdfPageParserTest, RawImagesByDepthAndLength) {
  const ImageCase cases[] = {
      {1, 0, true, Gdiplus::PixelFormat8bppIndexed}, {2, 0, true, Gdiplus::PixelFormat24bppRGB},
      {3, 0, true, Gdiplus::PixelFormat24bppRGB},    {4, 0, true, Gdiplus::PixelFormat32bppARGB},
      {3, -1, false, 0},                             {5, 0, false, 0},
      {0, 0, false, 0},                              {3, 16, true, Gdiplus::PixelFormat24bppRGB},
  };
  for (const ImageCase& c : cases) {
    page->Clear();
    const int w = 3, h = 2;
    const int stride = c.bpp > 0 ? (w * c.bpp * 8 + 31) / 32 * 4 : 0;
    std::vector<uint8_t> data(static_cast<size_t>(stride * h + 16), 0x80);
    data[0] = 0x10;  // the first byte of the last row: pixel (0, 1)
    PdfImageRecord image{kPdfImageRaw, {100, 0, 0, 50, 10, 20}, w, h, c.bpp, stride * h + c.length_delta, data.data()};
    parser->OnImageObject(&image);
    ASSERT_EQ(Count(), c.made ? 1 : 0) << "bpp " << c.bpp << " delta " << c.length_delta;
    if (!c.made) continue;
    auto* shape = dynamic_cast<CCustomPathObj*>(Obj(0));
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape->GetFillKind(), Vectorloom::RENDER_KIND_BITMAP);
    EXPECT_FALSE(shape->IsStroked());
    auto* res = dynamic_cast<CExternalBmpResObj*>(shape->GetFillDefinition().GetRenderBitmap());
    ASSERT_NE(res, nullptr);
    Gdiplus::Bitmap* bitmap = res->GetGdiBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->GetPixelFormat(), c.format);
    EXPECT_EQ(bitmap->GetWidth(), 3u);
    // Rows are bottom-up: the buffer's first row is the bitmap's last; grey stays grey.
    Gdiplus::Color colour;
    ASSERT_EQ(bitmap->GetPixel(0, 1, &colour), Gdiplus::Ok);
    if (c.bpp != 4) {
      EXPECT_EQ(colour.GetR(), c.bpp == 3 ? 0x80 : 0x10);
      EXPECT_EQ(colour.GetB(), 0x10);
    }
    // The unit square of the image record maps onto the rectangle (0, 0, w, h).
    const CQorVectorPoint<float> corner = shape->GetTransMatrix().Transform(
        shape->GetSubPath(0).GetNode(0).pt);
    EXPECT_NEAR(corner.x, 10 * 1.33f, 1e-3);
    EXPECT_NEAR(corner.y, (792 - 20) * 1.33f, 1e-2);
  }
}

// An imported picture is known by its content alone: the same pixels imported into two documents
// (at whatever moment) give the same path, size and time; other pixels another path.
TEST_F(PdfPageParserTest, PicturesAreKnownByTheirContentAlone) {
  auto import = [](uint8_t fill) {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    doc.GetRenderPagesArray().AddPage(page);
    CPDFPageParserImpl parser(&doc, page);
    std::vector<uint8_t> data(8 * 2, fill);
    PdfImageRecord image{kPdfImageRaw, {100, 0, 0, 50, 10, 20}, 2, 2, 3, static_cast<int32_t>(data.size()),
                         data.data()};
    parser.OnImageObject(&image);
    EXPECT_EQ(page->GetRenderObjectList().GetCount(), 1);
    auto* shape = dynamic_cast<CCustomPathObj*>(page->GetRenderObjectList().GetAt(0));
    auto* res = shape ? dynamic_cast<CExternalBmpResObj*>(shape->GetFillDefinition().GetRenderBitmap()) : nullptr;
    EXPECT_NE(res, nullptr);
    return res ? std::make_tuple(std::wstring(res->GetPathName().GetString()), res->GetFileSize(), res->GetFileTime())
               : std::make_tuple(std::wstring(), 0u, int64_t{-1});
  };
  const auto first = import(0x40), again = import(0x40), other = import(0x41);
  EXPECT_EQ(first, again);
  EXPECT_EQ(std::get<2>(first), 0);  // no clock time in it
  EXPECT_NE(std::get<0>(first), std::get<0>(other));
}

TEST_F(PdfPageParserTest, EncodedImagesDecodeOrAreDropped) {
  const std::vector<uint8_t> jpeg = lwtest::MakeJpeg(16, 8);
  const std::vector<uint8_t> junk(64, 0x5A);
  struct Case {
    const std::vector<uint8_t>* bytes;
    int w, h;  // as the record gives them
    int objects;
  } cases[] = {{&jpeg, 16, 8, 1}, {&jpeg, 0, 0, 1}, {&junk, 16, 8, 0}};
  for (const Case& c : cases) {
    page->Clear();
    PdfImageRecord image{kPdfImageEncoded, {160, 0, 0, 80, 72, 500}, c.w, c.h, 0,
                         static_cast<int32_t>(c.bytes->size()), c.bytes->data()};
    parser->OnImageObject(&image);
    ASSERT_EQ(Count(), c.objects) << c.w;
    if (!c.objects) continue;
    auto* shape = dynamic_cast<CCustomPathObj*>(Obj(0));
    ASSERT_NE(shape, nullptr);
    const auto box = shape->GetPathBoundRect(&shape->GetTransMatrix());
    EXPECT_NEAR(box.left, 72 * 1.33f, 1e-2);
    EXPECT_NEAR(box.right, 232 * 1.33f, 1e-2);
    EXPECT_NEAR(box.top, (792 - 580) * 1.33f, 1e-2);
  }
}

TEST(PdfImageName, DifferentImagesOfEqualLengthGetDifferentNames) {
  std::vector<uint8_t> a(24, 1), b(24, 2);
  PdfImageRecord ra{kPdfImageRaw, {}, 4, 2, 3, 24, a.data()};
  PdfImageRecord rb = ra;
  rb.data = b.data();
  PdfImageRecord rc = ra;
  rc.width = 2;
  rc.height = 4;  // same bytes, other shape
  const std::wstring na = Quirebook::MakePdfImageResourceName(ra);
  EXPECT_EQ(na.rfind(L"PDF_Parse_Implement", 0), 0u);
  EXPECT_NE(na, Quirebook::MakePdfImageResourceName(rb));
  EXPECT_NE(na, Quirebook::MakePdfImageResourceName(rc));
  EXPECT_EQ(na, Quirebook::MakePdfImageResourceName(ra));
}

}  // namespace
