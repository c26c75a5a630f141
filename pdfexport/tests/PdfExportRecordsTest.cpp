// The page records the exporter hands the PDF engine, checked field by field without writing a file.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <glyphweave/EditableTextObj.h>
#include <glyphweave/EmbedFontMapWrap.h>
#include <glyphweave/EmbedFontRes.h>
#include <pressmark/PdfExport.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>
#include <win32/lwstr.h>

#include "ExportTestKit.h"

using namespace QorPDFExportingLib;
using Vectorloom::CQorTransMatrix;
using Vectorloom::CQorVectorEdgeNode;

namespace {

using exporttest::MakePage;
using exporttest::MakeText;
using exporttest::Own;
using exporttest::TextDoc;

struct Record {
  explicit Record(PdfSavePage* p) : page(p) {}
  ~Record() { CPdfDocumentConverter::FreePageRecord(page); }
  PdfSavePage* page;
  int Count() const { return page ? page->resources->content->element_count : -1; }
  PdfSaveEntry& Entry(int i) const { return *page->resources->content->elements[i]; }
  std::vector<int> Kinds() const {
    std::vector<int> k;
    for (int i = 0; i < Count(); ++i) k.push_back(Entry(i).kind);
    return k;
  }
};

const Vectorloom::CQorVectorRect<float> kRect(10, 20, 110, 70);

Vectorloom::CCustomPathObj* Rectangle() {
  auto* s = new Vectorloom::CCustomPathObj;
  s->AddRectanglePath(kRect);
  return s;
}

void MapPoint(const float m[6], float x, float y, float* ox, float* oy) {
  *ox = x * m[0] + y * m[2] + m[4];
  *oy = x * m[1] + y * m[3] + m[5];
}

TEST(PdfExportRecords, PageSizeAndTheMapFromPagePixelsToPoints) {
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 595, 842);
  auto* shape = new Vectorloom::CCustomPathObj;
  shape->AddRectanglePath({0, 0, 1.33f * 595, 1.33f * 842});
  Own(page, shape);
  CPdfDocumentConverter conv(&doc, nullptr);
  ASSERT_EQ(conv.GetPageCount(), 1);
  Record r(conv.GetPageRecord(0));
  ASSERT_NE(r.page, nullptr);
  EXPECT_EQ(r.page->width, 595.0f);
  EXPECT_EQ(r.page->height, 842.0f);
  EXPECT_EQ(r.page->head[0], 1.0f);
  EXPECT_EQ(r.page->head[3], 1.0f);
  ASSERT_EQ(r.Count(), 1);
  const auto* path = static_cast<PdfSavePath*>(r.Entry(0).element);
  float x, y;
  MapPoint(path->matrix, 0, 0, &x, &y);
  EXPECT_NEAR(x, 0, 1e-3);
  EXPECT_NEAR(y, 842, 1e-3);
  MapPoint(path->matrix, 1.33f * 595, 1.33f * 842, &x, &y);
  EXPECT_NEAR(x, 595, 1e-3);
  EXPECT_NEAR(y, 0, 1e-3);
  EXPECT_EQ(conv.GetPageRecord(1), nullptr);  // out of range
}

TEST(PdfExportRecords, NoDocumentGivesNoPagesAndNoRecord) {
  CPdfDocumentConverter conv(nullptr, nullptr);
  EXPECT_EQ(conv.GetPageCount(), 0);
  EXPECT_EQ(conv.GetPageRecord(0), nullptr);
  EXPECT_FALSE(SaveDocumentAsPdfDocument(nullptr, L"/tmp/never-written.pdf", nullptr));
}

// Shapes and the operators of their segments.
TEST(PdfExportRecords, SegmentOperatorsFollowTheControlsInUse) {
  auto plain = [](float x, float y) { return CQorVectorEdgeNode(x, y); };
  auto in = [](float x, float y) {
    CQorVectorEdgeNode n(x, y);
    n.ptIn = {x - 5, y - 5};
    n.bHasIn = 1;
    return n;
  };
  auto out = [](float x, float y) {
    CQorVectorEdgeNode n(x, y);
    n.ptOut = {x + 5, y + 5};
    n.bHasOut = 1;
    return n;
  };
  struct Case {
    const char* name;
    std::vector<CQorVectorEdgeNode> nodes;
    bool closed, rectangle;
    std::vector<int> ops;
  };
  const std::vector<Case> cases = {
      {"rectangle", {}, true, true, {6, 8}},
      {"closed straight triangle", {plain(0, 0), plain(10, 0), plain(0, 10)}, true, false, {0, 1, 1, 1, 8}},
      {"incoming control only", {plain(0, 0), in(10, 10)}, false, false, {0, 3, 8}},
      {"outgoing control only", {out(0, 0), plain(10, 10)}, false, false, {0, 4, 8}},
      {"both controls", {out(0, 0), in(10, 10)}, false, false, {0, 2, 8}},
      {"nothing", {}, false, false, {8}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TextDoc doc;
    CDrawingPage* page = MakePage(doc, 200, 200);
    auto* shape = new Vectorloom::CCustomPathObj;
    if (c.rectangle) {
      shape->AddRectanglePath(kRect);
    } else if (!c.nodes.empty()) {
      Vectorloom::CBaseCustomPath sub;
      for (const auto& n : c.nodes) sub.AddNode(n);
      sub.SetClosed(c.closed);
      shape->AddSubPath(sub);
    }
    Own(page, shape);
    CPdfDocumentConverter conv(&doc, nullptr);
    Record r(conv.GetPageRecord(0));
    ASSERT_EQ(r.Count(), 1);
    const auto* path = static_cast<PdfSavePath*>(r.Entry(0).element);
    std::vector<int> ops;
    for (int i = 0; i < path->segment_count; ++i) ops.push_back(path->segments[i].op);
    EXPECT_EQ(ops, c.ops);
    if (c.rectangle) {
      EXPECT_EQ(path->segments[0].x1, kRect.left);
      EXPECT_EQ(path->segments[0].y2, kRect.bottom);
    }
  }
}

TEST(PdfExportRecords, FillsStrokesAndGradientsCarryColourAlphaAndWidth) {
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 200, 200);
  auto* solid = Rectangle();
  solid->SetFillColor(RGB(255, 0, 0));
  solid->SetFilledTransparency(51);
  solid->SetStrokeColor(RGB(0, 0, 255));
  solid->SetStrokeWidth(3);
  solid->SetFillRule(Vectorloom::FILL_RULE_NONZERO);
  auto* gradient = Rectangle();
  gradient->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  gradient->SetFillColor(RGB(0, 255, 0));
  gradient->SetStrokeOutlineFlag(0);
  Own(page, solid);
  Own(page, gradient);
  CPdfDocumentConverter conv(&doc, nullptr);
  Record r(conv.GetPageRecord(0));
  ASSERT_EQ(r.Count(), 2);
  const auto* a = static_cast<PdfSavePath*>(r.Entry(0).element);
  EXPECT_EQ(a->fill_on, 1);
  EXPECT_EQ(a->stroke_on, 1);
  EXPECT_EQ(a->even_odd, 0);
  EXPECT_FLOAT_EQ(a->fill_rgba[0], 1.0f);
  EXPECT_FLOAT_EQ(a->fill_rgba[3], 204.0f / 255.0f);
  EXPECT_FLOAT_EQ(a->stroke_rgba[2], 1.0f);
  ASSERT_NE(a->line_style, nullptr);
  EXPECT_EQ(a->line_style->width, 3.0f);
  EXPECT_EQ(a->line_style->miter_limit, 10.0f);
  const auto* b = static_cast<PdfSavePath*>(r.Entry(1).element);
  EXPECT_EQ(b->fill_on, 1);
  EXPECT_EQ(b->stroke_on, 0);
  EXPECT_EQ(b->even_odd, 1);
  EXPECT_FLOAT_EQ(b->fill_rgba[1], 1.0f);  // a gradient goes out as its solid colour
  EXPECT_EQ(b->line_style, nullptr);
}

// Caps, join, miter limit and dashes go out as the view's pen draws them: dash lengths and offset
// in stroke widths times the width, a dashed line capped by its dash cap, a solid one by its own
// cap when both ends share a plain one.
TEST(PdfExportRecords, StrokesCarryTheirCapsJoinsAndDashes) {
  using namespace Vectorloom;
  struct Case {
    const char* what;
    std::function<void(CCustomPathObj&)> set;
    int cap, join;
    float miter;
    std::vector<float> dashes;
    float phase;
  };
  std::vector<float> long40;
  for (int i = 0; i < 40; ++i) long40.push_back(1.0f + float(i));
  const std::vector<Case> cases = {
      {"plain", [](CCustomPathObj&) {}, 0, 0, 10, {}, 0},
      {"round ends, round join",
       [](CCustomPathObj& s) {
         s.SetStartCap(LINE_CAP_ROUND), s.SetEndCap(LINE_CAP_ROUND), s.SetLineJoin(LINE_JOIN_ROUND);
       },
       1, 1, 10, {}, 0},
      {"square ends, bevel join, miter limit 3",
       [](CCustomPathObj& s) {
         s.SetStartCap(LINE_CAP_SQUARE), s.SetEndCap(LINE_CAP_SQUARE), s.SetLineJoin(LINE_JOIN_BEVEL);
         s.SetMiterLimit(3);
       },
       2, 2, 3, {}, 0},
      {"ends that differ", [](CCustomPathObj& s) { s.SetStartCap(LINE_CAP_SQUARE), s.SetEndCap(LINE_CAP_ROUND); }, 0,
       0, 10, {}, 0},
      {"dots: one width on, one off", [](CCustomPathObj& s) { s.SetDashType(DASH_DOT); }, 0, 0, 10, {4}, 0},
      {"dash-dot with round dash caps and an offset",
       [](CCustomPathObj& s) {
         s.SetDashType(DASH_DASHDOT), s.SetDashCap(DASH_CAP_ROUND), s.SetDashOffset(1.5f);
         s.SetStartCap(LINE_CAP_SQUARE), s.SetEndCap(LINE_CAP_SQUARE);
       },
       1, 0, 10, {12, 4, 4, 4}, 6},
      {"a custom pattern given twice", [](CCustomPathObj& s) { s.SetDashPattern({2, 0.5f, 1, 2, 0.5f, 1}); }, 0, 0, 10,
       {8, 2, 4}, 0},
      {"a pattern longer than the record takes", [&](CCustomPathObj& s) { ASSERT_TRUE(s.SetDashPattern(long40)); }, 0,
       0, 10, {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextDoc doc;
    CDrawingPage* page = MakePage(doc, 200, 200);
    auto* shape = Rectangle();
    shape->SetStrokeWidth(4);
    c.set(*shape);
    Own(page, shape);
    CPdfDocumentConverter conv(&doc, nullptr);
    Record r(conv.GetPageRecord(0));
    ASSERT_EQ(r.Count(), 1);
    const PdfSaveLineStyle* style = static_cast<PdfSavePath*>(r.Entry(0).element)->line_style;
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->width, 4.0f);
    EXPECT_EQ(style->line_cap, c.cap);
    EXPECT_EQ(style->line_join, c.join);
    EXPECT_EQ(style->miter_limit, c.miter);
    EXPECT_EQ(std::vector<float>(style->dashes, style->dashes + style->dash_count), c.dashes);
    EXPECT_EQ(style->dash_phase, c.phase);
    // The fields the record always carried keep their values.
    EXPECT_EQ(style->kind, 1);
    EXPECT_EQ(style->cap, 1);
    EXPECT_EQ(style->join, 1);
  }
}

// Ends the view draws as shapes of their own (triangles, anchors, two different caps) follow the
// stroke as a filled path in the stroke's colour, with the shape's matrix; the stroke goes out
// butt. A line 80 units long, 4 wide.
TEST(PdfExportRecords, TriangleAndAnchorEndsAreFilledPaths) {
  using namespace Vectorloom;
  struct Case {
    const char* what;
    int startCap, endCap;
    float xmin, xmax, ymin, ymax;  // the caps' box in the shape's coordinates; xmin > xmax: none
  } cases[] = {
      {"round both", LINE_CAP_ROUND, LINE_CAP_ROUND, 1, 0, 0, 0},
      {"triangle end", LINE_CAP_FLAT, LINE_CAP_TRIANGLE, 80, 82, -2, 2},
      {"round and arrow anchors", LINE_CAP_ROUND_ANCHOR, LINE_CAP_ARROW_ANCHOR, -4, 84, -4, 4},
      {"square and diamond anchors", LINE_CAP_SQUARE_ANCHOR, LINE_CAP_DIAMOND_ANCHOR, -4, 84, -4, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TextDoc doc;
    CDrawingPage* page = MakePage(doc, 200, 200);
    auto* shape = new CCustomPathObj;
    CBaseCustomPath sub;
    sub.AddNode(CQorVectorEdgeNode(0, 0));
    sub.AddNode(CQorVectorEdgeNode(80, 0));
    shape->AddSubPath(sub);
    shape->SetStrokeWidth(4);
    shape->SetStrokeColor(RGB(255, 0, 0));
    shape->SetStartCap(c.startCap);
    shape->SetEndCap(c.endCap);
    shape->SetTransMatrix(CQorTransMatrix::Translation(20, 30), false);
    Own(page, shape);
    CPdfDocumentConverter conv(&doc, nullptr);
    Record r(conv.GetPageRecord(0));
    const bool caps = c.xmin <= c.xmax;
    ASSERT_EQ(r.Count(), caps ? 2 : 1);
    const auto* line = static_cast<PdfSavePath*>(r.Entry(0).element);
    EXPECT_EQ(line->line_style->line_cap, caps ? 0 : 1);
    if (!caps) continue;
    ASSERT_EQ(r.Entry(1).kind, kPdfSavePath);
    const auto* path = static_cast<PdfSavePath*>(r.Entry(1).element);
    EXPECT_EQ(path->fill_on, 1);
    EXPECT_EQ(path->stroke_on, 0);
    EXPECT_EQ(path->even_odd, 0);
    EXPECT_EQ(path->fill_rgba[0], line->stroke_rgba[0]);
    EXPECT_EQ(path->fill_rgba[1], line->stroke_rgba[1]);
    EXPECT_EQ(path->fill_rgba[3], line->stroke_rgba[3]);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(path->matrix[i], line->matrix[i]);
    float xmin = 1e9f, xmax = -1e9f, ymin = 1e9f, ymax = -1e9f;
    for (int i = 0; i < path->segment_count; ++i) {
      const PdfPathSegment& g = path->segments[i];
      if (g.op == kPdfCloseWithSegment) break;
      const int points = g.op == kPdfCurveTo ? 3 : 1;
      const float xs[3] = {g.x1, g.x2, g.x3}, ys[3] = {g.y1, g.y2, g.y3};
      for (int k = 0; k < points; ++k) {
        xmin = std::min(xmin, xs[k]), xmax = std::max(xmax, xs[k]);
        ymin = std::min(ymin, ys[k]), ymax = std::max(ymax, ys[k]);
      }
    }
    EXPECT_NEAR(xmin, c.xmin, 0.01f);
    EXPECT_NEAR(xmax, c.xmax, 0.01f);
    EXPECT_NEAR(ymin, c.ymin, 0.01f);
    EXPECT_NEAR(ymax, c.ymax, 0.01f);
  }
}

TEST(PdfExportRecords, GroupsAreFlattenedAndVideosLeftOut) {
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 300, 300);
  auto* outer = new Vectorloom::CRenderGroupObj;
  auto* inner = new Vectorloom::CRenderGroupObj;
  outer->AddChild(Rectangle());
  outer->AddChild(MakeText(doc, L"Hi", L"DejaVu Sans", 12));
  inner->AddChild(Rectangle());
  outer->AddChild(inner);
  Own(page, outer);
  CDrawingPage* videoPage = MakePage(doc, 300, 300);
  Own(videoPage, new Quirebook::CBaseVideoObj);
  CPdfDocumentConverter conv(&doc, nullptr);
  Record r(conv.GetPageRecord(0));
  EXPECT_EQ(r.Kinds(), (std::vector<int>{kPdfSavePath, kPdfSaveText, kPdfSavePath}));
  Record v(conv.GetPageRecord(1));
  EXPECT_EQ(v.Count(), 0);
}

// A shape whose numbers went bad (a damaged import) is left out rather than written as garbage.
TEST(PdfExportRecords, NonFiniteShapesAndCharactersAreLeftOut) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 200, 200);
  auto* badMatrix = Rectangle();
  badMatrix->SetTransMatrix(CQorTransMatrix(nan, 0, 0, 1, 0, 0), false);
  auto* badNode = new Vectorloom::CCustomPathObj;
  Vectorloom::CBaseCustomPath sub;
  sub.AddNode(CQorVectorEdgeNode(0, 0));
  sub.AddNode(CQorVectorEdgeNode(inf, 3));
  badNode->AddSubPath(sub);
  auto* good = Rectangle();
  auto* text = MakeText(doc, L"AB", L"DejaVu Sans", 12);
  text->GetArrayOfTextCharacters()[0].SetHorizontalShift(0);
  text->GetArrayOfTextCharacters()[1].SetCharOffset({nan, 0});
  Own(page, badMatrix);
  Own(page, badNode);
  Own(page, good);
  Own(page, text);
  CPdfDocumentConverter conv(&doc, nullptr);
  Record r(conv.GetPageRecord(0));
  ASSERT_EQ(r.Kinds(), (std::vector<int>{kPdfSavePath, kPdfSaveText}));
  const auto* block = static_cast<PdfSaveTextBlock*>(r.Entry(1).element);
  ASSERT_EQ(block->run_count, 1);
  EXPECT_EQ(block->runs[0]->char_count, 1);
  EXPECT_EQ(block->runs[0]->chars[0].character, 'A');
}

TEST(PdfExportRecords, PicturesBecomeImagesOverTheirRectangle) {
  struct Case {
    Gdiplus::PixelFormat format;
    int kind, hasAlpha;
  };
  for (const Case c : {Case{Gdiplus::PixelFormat8bppIndexed, 1, 0}, Case{Gdiplus::PixelFormat32bppARGB, 4, 1}, Case{Gdiplus::PixelFormat24bppRGB, 4, 0}}) {
    SCOPED_TRACE(c.format);
    TextDoc doc;
    CDrawingPage* page = MakePage(doc, 200, 200);
    auto* bitmap = new Gdiplus::Bitmap(4, 2, c.format);
    auto* res = new Vectorloom::CExternalBmpResObj(CString(L"pic"), 0, 0);
    res->AddRef();
    res->SetGdiBitmap(bitmap, nullptr, 1);
    auto* shape = Rectangle();
    shape->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
    shape->GetFillDefinition().SetRenderBitmap(res);
    shape->SetStrokeOutlineFlag(0);
    res->Release();
    Own(page, shape);
    CPdfDocumentConverter conv(&doc, nullptr);
    Record r(conv.GetPageRecord(0));
    ASSERT_EQ(r.Kinds(), (std::vector<int>{kPdfSaveImage}));
    const auto* im = static_cast<PdfSaveImage*>(r.Entry(0).element);
    EXPECT_EQ(im->width, 4);
    EXPECT_EQ(im->height, 2);
    EXPECT_EQ(im->format, c.kind);
    EXPECT_EQ(im->has_alpha, c.hasAlpha);
    EXPECT_EQ(im->dpi_x, 96);
    ASSERT_GT(im->data_length, 8);
    EXPECT_EQ(std::memcmp(im->data, "\x89PNG", 4), 0);
    // The unit square (y up) lands on the rectangle: (0, 1) is its top-left corner on the page.
    float x, y;
    MapPoint(im->matrix, 0, 1, &x, &y);
    EXPECT_NEAR(x, kRect.left / 1.33f, 1e-3);
    EXPECT_NEAR(y, 200 - kRect.top / 1.33f, 1e-3);
    MapPoint(im->matrix, 1, 0, &x, &y);
    EXPECT_NEAR(x, kRect.right / 1.33f, 1e-3);
    EXPECT_NEAR(y, 200 - kRect.bottom / 1.33f, 1e-3);
  }
  // A picture that cannot be encoded, and a picture filling anything but one rectangle, leave
  // the shape a path.
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 200, 200);
  auto* unreadable = Rectangle();
  unreadable->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
  Own(page, unreadable);
  auto* res = new Vectorloom::CExternalBmpResObj(CString(L"pic"), 0, 0);
  res->AddRef();
  res->SetGdiBitmap(new Gdiplus::Bitmap(4, 2, Gdiplus::PixelFormat24bppRGB), nullptr, 1);
  auto* twoRects = Rectangle();
  twoRects->AddRectanglePath({120, 20, 150, 50});
  auto* triangle = new Vectorloom::CCustomPathObj;
  Vectorloom::CBaseCustomPath sub;
  for (auto p : {CQorVectorEdgeNode(0, 0), CQorVectorEdgeNode(10, 0), CQorVectorEdgeNode(0, 10)}) sub.AddNode(p);
  sub.SetClosed(true);
  triangle->AddSubPath(sub);
  for (auto* s : {twoRects, triangle}) {
    s->SetFillKind(Vectorloom::RENDER_KIND_BITMAP);
    s->GetFillDefinition().SetRenderBitmap(res);
    Own(page, s);
  }
  res->Release();
  CPdfDocumentConverter conv(&doc, nullptr);
  Record r(conv.GetPageRecord(0));
  EXPECT_EQ(r.Kinds(), (std::vector<int>{kPdfSavePath, kPdfSavePath, kPdfSavePath}));
}

TEST(PdfExportRecords, TextRowsBecomeBlocksAndLooksBecomeRuns) {
  TextDoc doc;
  CDrawingPage* page = MakePage(doc, 400, 400);
  auto* text = MakeText(doc, L"Plain red\rNext", L"DejaVu Sans", 20);
  text->SetSelectionCharsColor(6, 8, RGB(255, 0, 0));
  text->SetSelectionCharsHorzOffset(2, 2, 4.0f);
  text->RecalcuLayout(0);
  Own(page, text);
  CPdfDocumentConverter conv(&doc, nullptr);
  Record r(conv.GetPageRecord(0));
  ASSERT_EQ(r.Kinds(), (std::vector<int>{kPdfSaveText, kPdfSaveText}));
  const auto* first = static_cast<PdfSaveTextBlock*>(r.Entry(0).element);
  ASSERT_EQ(first->run_count, 2);
  std::u16string shown;
  for (int k = 0; k < first->run_count; ++k)
    for (int i = 0; i < first->runs[k]->char_count; ++i) shown += char16_t(first->runs[k]->chars[i].character);
  EXPECT_EQ(shown, u"Plain red");  // the line break is never written
  const PdfSaveTextRun& plain = *first->runs[0];
  EXPECT_EQ(plain.chars[0].adjustment, 0.0f);
  // The em the editor draws (20 points at 96 dots per inch) in the line's units of 1.33 pixels.
  const float em = 20.0f * 96 / 72;
  EXPECT_FLOAT_EQ(plain.font_size, em / 1.33f);
  // A shift of 4 pixels right is -4 pixels / em.
  EXPECT_NEAR(plain.chars[2].adjustment, -4.0f / em * 1000, 0.05);
  EXPECT_NEAR(plain.chars[1].adjustment, 0, 0.05);
  EXPECT_FLOAT_EQ(first->runs[1]->fill_rgba[0], 1.0f);
  EXPECT_EQ(first->runs[1]->chars[0].character, 'r');
  EXPECT_EQ(first->runs[0]->font_id, first->runs[1]->font_id);
  // The block maps the line's origin onto the first character's baseline on the page.
  const auto origin = text->GetTransMatrix().Transform(text->GetArrayOfTextCharacters()[0].GetCharOffset());
  float x, y;
  MapPoint(first->matrix, 0, 0, &x, &y);
  EXPECT_NEAR(x, origin.x / 1.33f, 1e-3);
  EXPECT_NEAR(y, 400 - origin.y / 1.33f, 1e-3);
  const auto* second = static_cast<PdfSaveTextBlock*>(r.Entry(1).element);
  EXPECT_EQ(second->runs[0]->chars[0].adjustment, 0.0f);
  // The page's font: a subset of the system face, named with a tag.
  ASSERT_EQ(r.page->resources->font_count, 1);
  const PdfFontRecord& font = r.page->resources->fonts[0];
  EXPECT_EQ(font.font_id, plain.font_id);
  EXPECT_STREQ(font.font_type, "");
  EXPECT_STREQ(font.font_subtype, "CIDFontType2");
  EXPECT_STREQ(font.registry, "Adobe");
  EXPECT_STREQ(font.ordering, "Identity");
  EXPECT_EQ(font.base_encoding, 1);
  EXPECT_EQ(font.default_hmetric.w, 1000);
  ASSERT_NE(font.unicode_cmap, nullptr);
  EXPECT_EQ(font.unicode_cmap->rlen, 0);
  EXPECT_STREQ(font.encoding_name, "Identity-H");
  EXPECT_EQ(font.embed_flag, 1);
  ASSERT_NE(font.program, nullptr);
  EXPECT_GT(font.program->program_length, 0);
  const std::string name = font.program->name;
  ASSERT_GT(name.size(), 6u);
  EXPECT_EQ(name[5], '+');
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(name[i] >= 'A' && name[i] <= 'Z') << name;
}

TEST(PdfExportRecords, SystemFontIdsFillTheFirstGapAndStayForTheExport) {
  struct Case {
    std::vector<int> ids;
    int next;
  };
  for (const Case& c : {Case{{2, 3}, 4}, Case{{1, 3}, 2}, Case{{}, 1}, Case{{1, 2}, 3}, Case{{0, 7, 8}, 1}})
    EXPECT_EQ(NextSystemFontId(c.ids), c.next);

  // Embedded fonts {1, 2}: the first system font takes 3, on every page.
  TextDoc doc;
  for (int id : {1, 2}) {
    auto* f = new GlyphweaveLib::CEmbedFontResouce;
    f->SetFontID(id);
    ASSERT_GE(doc.GetEmbedFontResManager()->AddEmbedFontResouce(f), 0);
  }
  for (int p = 0; p < 2; ++p) Own(MakePage(doc, 200, 200), MakeText(doc, p ? L"Two" : L"One", L"DejaVu Sans", 12));
  CPdfDocumentConverter conv(&doc, nullptr);
  for (int p = 0; p < 2; ++p) {
    Record r(conv.GetPageRecord(p));
    ASSERT_EQ(r.page->resources->font_count, 1);
    EXPECT_EQ(r.page->resources->fonts[0].font_id, 3);
    EXPECT_EQ(static_cast<PdfSaveTextBlock*>(r.Entry(0).element)->runs[0]->font_id, 3);
  }
  EXPECT_EQ(conv.GetSystemFontId(GlyphweaveLib::_CharsFontDesc(L"Another Face", 1, 0, -1)), 4);
}

TEST(PdfExportRecords, SubsetNamesAndTheInstalledFontIndex) {
  static unsigned n = 0;
  auto counter = []() -> unsigned { return n++; };
  n = 0;
  EXPECT_EQ(MakeSubsetFontName("DejaVuSans", counter), "ABCDE+DejaVuSans");
  EXPECT_EQ(MakeSubsetFontName(std::string(40, 'x'), counter).size(), 31u);

  const std::vector<InstalledFontEntry> index = {
      {L"Noto Sans", "/a.ttf", 0}, {L"Sans Bold", "/b.ttf", 0}, {L"Sans", "/c.ttc", 2}, {L"Serif", "/d.ttf", 0}};
  ASSERT_NE(FindInstalledFont(index, L"Sans"), nullptr);
  EXPECT_EQ(FindInstalledFont(index, L"Sans")->path, "/b.ttf");  // position 0, first in index order
  EXPECT_EQ(FindInstalledFont(index, L"Serif")->path, "/d.ttf");
  EXPECT_EQ(FindInstalledFont(index, L"Mono"), nullptr);
  const auto& installed = RebuildInstalledFontIndex();
  EXPECT_FALSE(installed.empty());
  for (const auto& e : installed) EXPECT_LE(e.description.size(), 64u);
}

TEST(PdfExportRecords, EmbeddedFontsAreCopiedFieldByField) {
  GlyphweaveLib::CEmbedFontResouce font;
  font.SetFontID(17);
  font.SetFontFlag(32);
  font.SetItalicAngle(-12);
  font.SetFontAscent(900);
  font.SetFontDescent(-200);
  font.SetFontBox({-10, -220, 1000, 950});
  font.SetFontType("Type0");
  font.SetFontSubType("CIDFontType2");
  font.SetBaseEncodingName("Identity-H");
  font.SetCodeNameCount(256);
  font.SetCodeName(65, "A");
  const unsigned char def[8] = {0, 0, 0, 0, 0xE8, 0x03, 0, 0};
  const unsigned char widths[8] = {65, 0, 66, 0, 0x58, 0x02, 0, 0};
  font.SetHorzMetrics(def, widths, 1);
  qv_cmap_s map{};
  std::strcpy(map.cmap_name, "Identity-H");
  map.codespace_len = 1;
  map.codespace[0] = {2, 0, 0xFFFF};
  font.SetEncodingMap(&map);
  font.SetEmbedFontFlag(1);
  GlyphweaveLib::CPdfEmbedFontDesc desc;
  desc.SetFontName("Sample");
  desc.m_nFirstWord = kPdfProgramTrueType;
  desc.m_vProgram = {1, 2, 3, 4};
  desc.m_vCid2Gid = {0, 5, 6};
  font.SetEmbedPdfFontContent(&desc);

  PdfFontRecord r;
  CopyEmbeddedFontRecord(font, &r);
  EXPECT_EQ(r.font_id, 17);
  EXPECT_EQ(r.flags, 32);
  EXPECT_EQ(r.italic_angle, -12.0f);
  EXPECT_EQ(r.font_box[3], 950.0f);
  EXPECT_STREQ(r.font_type, "Type0");
  EXPECT_STREQ(r.font_subtype, "CIDFontType2");
  EXPECT_STREQ(r.encoding_name, "Identity-H");
  EXPECT_EQ(r.glyph_name_count, 256);
  EXPECT_STREQ(r.glyph_names[65], "A");
  EXPECT_EQ(r.glyph_names[65], font.GetCodeName(65));  // the document's own name, never a copy to free
  EXPECT_EQ(r.default_hmetric.w, 1000);
  ASSERT_EQ(r.hmetric_count, 1);
  EXPECT_EQ(r.hmetrics[0].lo, 65);
  EXPECT_EQ(r.hmetrics[0].hi, 66);
  EXPECT_EQ(r.hmetrics[0].w, 600);
  ASSERT_NE(r.encoding_cmap, nullptr);
  EXPECT_STREQ(r.encoding_cmap->cmap_name, "Identity-H");
  EXPECT_EQ(r.to_ttf_cmap, nullptr);
  EXPECT_EQ(r.embed_flag, 1);
  ASSERT_NE(r.program, nullptr);
  EXPECT_STREQ(r.program->name, "Sample");
  EXPECT_EQ(r.program->program_kind, kPdfProgramTrueType);
  ASSERT_EQ(r.program->program_length, 4);
  EXPECT_NE(r.program->program, font.GetEmbedPdfFontContent()->m_vProgram.data());
  EXPECT_EQ(r.program->program[3], 4);
  ASSERT_EQ(r.program->cid_to_gid_count, 3);
  EXPECT_EQ(r.program->cid_to_gid[2], 6);
  // Freed the engine's way, through a page record.
  auto* page = static_cast<PdfSavePage*>(std::calloc(1, sizeof(PdfSavePage)));
  page->resources = static_cast<PdfSaveResources*>(std::calloc(1, sizeof(PdfSaveResources)));
  page->resources->fonts = static_cast<PdfFontRecord*>(std::malloc(sizeof r));
  std::memcpy(page->resources->fonts, &r, sizeof r);
  page->resources->font_count = 1;
  CPdfDocumentConverter::FreePageRecord(page);
}

}  // namespace
