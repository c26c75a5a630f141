// What the page movies draw: shapes with their fills and strokes, pictures, groups and texts, read
// back from the written movie with the SWF layer's test reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <flarewing/FlipBook.h>
#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <glyphweave/CharsFontDesc.h>
#include <glyphweave/EditableTextObj.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PublicationDoc.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

#include "FlipTestKit.h"
#include "PageMovieKit.h"

namespace {

namespace flip = QorSWFExportingLib;
using namespace pagemovie;
using Vectorloom::CCustomPathObj;
using Vectorloom::CQorTransMatrix;

TEST(PageShapeScale, HalvesUntilTheExtentFitsAndRefusesWhatIsNotANumber) {
  struct Case {
    float extent, scale;
  } cases[] = {
      {0, 1},     {3276, 1},     {3276.7f, 1},     {3276.8f, 0.5f}, {5000, 0.5f}, {6553.5f, 0.5f},
      {7000, 0.25f},
      {std::numeric_limits<float>::infinity(), 0}, {-1, 0}, {std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(flip::ShapeDrawScale(c.extent), c.scale) << c.extent;
  // Far but finite extents end too, at the largest power of two that fits.
  for (float extent : {1e30f, std::numeric_limits<float>::max()}) {
    const double s = flip::ShapeDrawScale(extent);
    EXPECT_LE(s * extent * 20, 65535.5) << extent;
    EXPECT_GT(2 * s * extent * 20, 65535.5) << extent;
  }
}

// A shape's outline, fill, stroke and placement, for each kind of fill.
TEST(PageMovieShapes, FillsStrokesAndPlacement) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  // Solid, half transparent, stroked 3 px, 40 % transparent stroke.
  CCustomPathObj* solid = AddRect(page, 10, 20, 110, 70, CQorTransMatrix::Translation(30, 40));
  solid->SetFillColor(RGB(200, 10, 20));
  solid->SetFilledTransparency(128);
  solid->SetStrokeWidth(3);
  solid->SetStrokeColor(RGB(1, 2, 3));
  solid->SetStrokeTransparency(102);
  solid->SetFillRule(Vectorloom::FILL_RULE_NONZERO);
  // Linear gradient over a 200 x 100 box.
  CCustomPathObj* grad = AddRect(page, 0, 0, 200, 100, CQorTransMatrix::Translation(50, 300));
  grad->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  grad->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(255, 0, 0), 255, 0);
  grad->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(0, 0, 255), 128, 4096);
  grad->SetStrokeOutlineFlag(0);
  // Far nodes: drawn at half size, its 2 px stroke scaled with it.
  CCustomPathObj* far = AddRect(page, 0, 0, 5000, 10, CQorTransMatrix());
  far->SetStrokeWidth(2);
  // Filled, but only an open sub-path: its line alone.
  auto* open = new CCustomPathObj;
  Vectorloom::CBaseCustomPath sub;
  sub.AddNode(Vectorloom::CQorVectorEdgeNode(0, 0));
  sub.AddNode(Vectorloom::CQorVectorEdgeNode(50, 50));
  open->AddSubPath(sub);
  Own(page, open);

  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.shapes.size(), 4u);

  const Placed& s0 = movie.shapes[0];
  ASSERT_EQ(s0.shape.fills.size(), 1u);
  EXPECT_EQ(s0.shape.fills[0].type, 0x00);
  EXPECT_EQ(s0.shape.fills[0].r, 200);
  EXPECT_EQ(s0.shape.fills[0].a, 127);
  ASSERT_EQ(s0.shape.lines.size(), 1u);
  EXPECT_EQ(s0.shape.lines[0].width, 60);
  EXPECT_EQ(s0.shape.lines[0].a, 102 ^ 0xFF);
  EXPECT_EQ(s0.shape.flags & 0x04, 0x04);  // fills by the nonzero rule, as the shape says
  EXPECT_NEAR(s0.place.matrix.a, 0.7518797, 1e-4);
  EXPECT_NEAR(s0.place.matrix.tx, 30 * 0.7518797 * 20, 1);
  EXPECT_NEAR(s0.place.matrix.ty, 40 * 0.7518797 * 20, 1);
  // The outline in the shape's own coordinates: the box from (10, 20).
  EXPECT_EQ(s0.shape.edgeBounds.xmin, 200);
  EXPECT_EQ(s0.shape.edgeBounds.ymin, 400);
  EXPECT_EQ(s0.shape.edgeBounds.xmax, 2200);

  const Placed& s1 = movie.shapes[1];
  ASSERT_EQ(s1.shape.fills.size(), 1u);
  const swftest::FillStyle& g = s1.shape.fills[0];
  EXPECT_EQ(g.type, 0x10);
  ASSERT_EQ(g.gradient.size(), 2u);
  EXPECT_EQ(g.gradient[0].ratio, 0);
  EXPECT_EQ(g.gradient[1].ratio, 255);
  EXPECT_EQ(g.gradient[1].b, 255);
  EXPECT_EQ(g.gradient[1].a, 128);
  // The gradient square on the shape's box: 200 x 100 pixels, centred on it.
  EXPECT_NEAR(g.matrix.a, 200 / 1638.4, 1e-3);
  EXPECT_NEAR(g.matrix.d, 100 / 1638.4, 1e-3);
  EXPECT_NEAR(g.matrix.tx, 100 * 20, 1);
  EXPECT_NEAR(g.matrix.ty, 50 * 20, 1);
  EXPECT_TRUE(s1.shape.lines.empty());
  EXPECT_EQ(s1.shape.flags & 0x04, 0);  // even-odd

  const Placed& s2 = movie.shapes[2];
  EXPECT_NEAR(s2.place.matrix.a, 2 * 0.7518797, 1e-3);
  EXPECT_EQ(s2.shape.edgeBounds.xmax, 2500 * 20);
  ASSERT_EQ(s2.shape.lines.size(), 1u);
  EXPECT_EQ(s2.shape.lines[0].width, 20);  // 2 px at half size: shown 2 px wide again

  const Placed& s3 = movie.shapes[3];
  EXPECT_TRUE(s3.shape.fills.empty());
  EXPECT_EQ(s3.shape.lines.size(), 1u);
}

// Gradients on a 200 x 100 box at (10, 20): the square mapped onto the box, turned by the angle
// (a quarter turn runs the ramp down the box), radial ones as the ellipse round it; more stops
// than SWF holds are thinned to 15, the ends kept.
TEST(PageMovieShapes, GradientsFitTheBox) {
  struct Case {
    int type;
    float angle;
    int stops;
    int wantType;
    double a, b, c, d;  // the fill matrix, in units of the box over the square
  } cases[] = {
      {Vectorloom::GRADIENT_LINEAR, 0, 2, 0x10, 200, 0, 0, 100},
      {Vectorloom::GRADIENT_LINEAR, 90, 2, 0x10, 0, 100, -200, 0},
      {Vectorloom::GRADIENT_RADIAL, 0, 3, 0x12, 200, 0, 0, 100},
      {Vectorloom::GRADIENT_LINEAR, 0, 20, 0x10, 200, 0, 0, 100},
  };
  for (const Case& c : cases) {
    PageDoc doc;
    CDrawingPage* page = doc.Page(600, 800);
    CCustomPathObj* shape = AddRect(page, 10, 20, 210, 120, CQorTransMatrix::Translation(5, 5));
    shape->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
    Vectorloom::CLocalGradientColorsDefine& g = shape->GetFillDefinition().GetGradientDefinition();
    g.SetGradientType(c.type);
    g.SetAngle(c.angle);
    for (int i = 0; i < c.stops; ++i) g.AddColorStop(RGB(i * 10, 0, 0), 255, i * 4096 / (c.stops - 1));
    const MovieContent movie = Export(doc, 0);
    ASSERT_TRUE(movie.error.empty()) << movie.error;
    ASSERT_EQ(movie.shapes.size(), 1u);
    ASSERT_EQ(movie.shapes[0].shape.fills.size(), 1u);
    const swftest::FillStyle& f = movie.shapes[0].shape.fills[0];
    EXPECT_EQ(f.type, c.wantType);
    const size_t want = std::min(c.stops, 15);
    ASSERT_EQ(f.gradient.size(), want);
    EXPECT_EQ(f.gradient.front().ratio, 0);
    EXPECT_EQ(f.gradient.back().ratio, 255);
    EXPECT_EQ(f.gradient.back().r, (c.stops - 1) * 10);
    EXPECT_NEAR(f.matrix.a, c.a / 1638.4, 1e-3) << c.angle;
    EXPECT_NEAR(f.matrix.b, c.b / 1638.4, 1e-3) << c.angle;
    EXPECT_NEAR(f.matrix.c, c.c / 1638.4, 1e-3) << c.angle;
    EXPECT_NEAR(f.matrix.d, c.d / 1638.4, 1e-3) << c.angle;
    EXPECT_NEAR(f.matrix.tx, 110 * 20, 1);
    EXPECT_NEAR(f.matrix.ty, 70 * 20, 1);
  }
}

// Strokes keep their caps and join; dashed ones are drawn dash by dash with the dash cap, over
// their fill.
TEST(PageMovieShapes, StrokeCapsJoinsAndDashes) {
  struct Case {
    int dash, startCap, join, dashCap;
    bool filled;  // and closed
    int wantStart, wantJoin, wantLines, wantFills;  // wantLines: edges drawn with the line
  } cases[] = {
      {Vectorloom::DASH_SOLID, Vectorloom::LINE_CAP_FLAT, Vectorloom::LINE_JOIN_MITER, 0, true, 1, 2, 3, 1},
      {Vectorloom::DASH_SOLID, Vectorloom::LINE_CAP_ROUND, Vectorloom::LINE_JOIN_ROUND, 0, false, 0, 0, 2, 0},
      {Vectorloom::DASH_SOLID, Vectorloom::LINE_CAP_SQUARE, Vectorloom::LINE_JOIN_BEVEL, 0, false, 2, 1, 2, 0},
      // 80 + 40 px at width 2 in dashes of 6 and gaps of 2: 15 dashes (the 11th starts at the
      // corner); closed, 209.4 px round: 27 dashes, the last cut short where the figure ends.
      {Vectorloom::DASH_DASH, Vectorloom::LINE_CAP_FLAT, Vectorloom::LINE_JOIN_MITER, Vectorloom::DASH_CAP_FLAT, false,
       1, 2, 15, 0},
      {Vectorloom::DASH_DASH, Vectorloom::LINE_CAP_FLAT, Vectorloom::LINE_JOIN_MITER, Vectorloom::DASH_CAP_ROUND, true,
       0, 2, 27, 1},
  };
  for (const Case& c : cases) {
    PageDoc doc;
    CDrawingPage* page = doc.Page(600, 800);
    auto* shape = new CCustomPathObj;
    Vectorloom::CBaseCustomPath sub;
    sub.AddNode(Vectorloom::CQorVectorEdgeNode(0, 0));
    sub.AddNode(Vectorloom::CQorVectorEdgeNode(80, 0));
    sub.AddNode(Vectorloom::CQorVectorEdgeNode(80, 40));
    sub.SetClosed(c.filled);
    shape->AddSubPath(sub);
    shape->SetStrokeWidth(2);
    shape->SetDashType(c.dash);
    shape->SetStartCap(c.startCap);
    shape->SetEndCap(c.startCap);
    shape->SetLineJoin(c.join);
    shape->SetDashCap(c.dashCap);
    Own(page, shape);
    const MovieContent movie = Export(doc, 0);
    ASSERT_TRUE(movie.error.empty()) << movie.error;
    ASSERT_EQ(movie.shapes.size(), 1u);
    const swftest::Shape& d = movie.shapes[0].shape;
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0].width, 40);
    EXPECT_EQ(d.lines[0].startCap, c.wantStart) << c.dash << " " << c.startCap;
    EXPECT_EQ(d.lines[0].endCap, c.wantStart);
    EXPECT_EQ(d.lines[0].join, c.wantJoin);
    EXPECT_EQ(d.fills.size(), static_cast<size_t>(c.wantFills));
    int lined = 0;  // edges drawn while the line style is on
    uint32_t line = 0;
    for (const swftest::ShapeRecord& r : d.records) {
      if (r.kind == swftest::ShapeRecord::kStyle) {
        if (r.hasLine) line = r.line;
      } else if (line) {
        ++lined;
      }
    }
    EXPECT_EQ(lined, c.wantLines) << c.dash << " " << c.startCap;
  }
}

// Ends the editor draws as shapes of their own (triangles, anchors, two different caps) follow
// the line as one filled shape in the stroke's colour, built by the drawing layer; the line then
// has flat ends. A line 80 px long, 4 wide: the caps' box in twips.
TEST(PageMovieShapes, TriangleAndAnchorEndsAreFilledShapes) {
  using namespace Vectorloom;
  struct Case {
    const char* name;
    int startCap, endCap;
    int xmin, xmax, ymin, ymax;  // the caps' edge bounds (twips); xmin > xmax: no caps shape
  } cases[] = {
      {"flat", LINE_CAP_FLAT, LINE_CAP_FLAT, 1, 0, 0, 0},
      {"round both", LINE_CAP_ROUND, LINE_CAP_ROUND, 1, 0, 0, 0},
      // A triangle half a width out past the end: (80, -2) (82, 0) (80, 2).
      {"triangle end", LINE_CAP_FLAT, LINE_CAP_TRIANGLE, 1600, 1640, -40, 40},
      // Arrow: point one width past the end, two wide; round anchor: a disc of one width round the start.
      {"arrow and round anchors", LINE_CAP_ROUND_ANCHOR, LINE_CAP_ARROW_ANCHOR, -80, 1680, -80, 80},
      // Square and diamond anchors, two widths across.
      {"square and diamond anchors", LINE_CAP_SQUARE_ANCHOR, LINE_CAP_DIAMOND_ANCHOR, -80, 1680, -80, 80},
      // Two different plain caps are shapes too, as the editor draws them.
      {"square start, round end", LINE_CAP_SQUARE, LINE_CAP_ROUND, -40, 1640, -40, 40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageDoc doc;
    CDrawingPage* page = doc.Page(600, 800);
    auto* shape = new CCustomPathObj;
    CBaseCustomPath sub;
    sub.AddNode(CQorVectorEdgeNode(0, 0));
    sub.AddNode(CQorVectorEdgeNode(80, 0));
    shape->AddSubPath(sub);
    shape->SetStrokeWidth(4);
    shape->SetStrokeColor(RGB(10, 120, 200));
    shape->SetStrokeTransparency(55);
    shape->SetStartCap(c.startCap);
    shape->SetEndCap(c.endCap);
    shape->SetTransMatrix(CQorTransMatrix::Translation(30, 40), false);
    Own(page, shape);
    const MovieContent movie = Export(doc, 0);
    ASSERT_TRUE(movie.error.empty()) << movie.error;
    const bool caps = c.xmin <= c.xmax;
    ASSERT_EQ(movie.shapes.size(), caps ? 2u : 1u);
    const swftest::Shape& line = movie.shapes[0].shape;
    ASSERT_EQ(line.lines.size(), 1u);
    if (!caps) continue;
    EXPECT_EQ(line.lines[0].startCap, SWF_LINE_CAP_NONE);
    EXPECT_EQ(line.lines[0].endCap, SWF_LINE_CAP_NONE);
    const swftest::Shape& capShape = movie.shapes[1].shape;
    EXPECT_TRUE(capShape.lines.empty());
    ASSERT_EQ(capShape.fills.size(), 1u);
    EXPECT_EQ(capShape.fills[0].r, 10);
    EXPECT_EQ(capShape.fills[0].g, 120);
    EXPECT_EQ(capShape.fills[0].b, 200);
    EXPECT_EQ(capShape.fills[0].a, 200);
    EXPECT_NEAR(capShape.edgeBounds.xmin, c.xmin, 2);
    EXPECT_NEAR(capShape.edgeBounds.xmax, c.xmax, 2);
    EXPECT_NEAR(capShape.edgeBounds.ymin, c.ymin, 2);
    EXPECT_NEAR(capShape.edgeBounds.ymax, c.ymax, 2);
    // Placed as the line is.
    EXPECT_EQ(movie.shapes[1].place.matrix.tx, movie.shapes[0].place.matrix.tx);
    EXPECT_EQ(movie.shapes[1].place.matrix.ty, movie.shapes[0].place.matrix.ty);
  }
}

// Coordinates that are not numbers leave the shape out (instead of never ending); nodes beyond
// SWF's 16-bit twips are drawn smaller, and edges longer than the edge fields hold are cut.
TEST(PageMovieShapes, DamagedAndHugeShapes) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  AddRect(page, 0, 0, nan, 10, CQorTransMatrix());
  AddRect(page, -inf, 0, 10, 10, CQorTransMatrix());
  AddRect(page, 0, 0, 10, 10, CQorTransMatrix(nan, 0, 0, 1, 0, 0));
  AddRect(page, -60000, -60000, 60000, 60000, CQorTransMatrix::Scale(0.001f, 0.001f));
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.shapes.size(), 1u);
  const swftest::Shape& big = movie.shapes[0].shape;
  EXPECT_NEAR(movie.shapes[0].place.matrix.a, 32 * 0.001 * 0.7518797, 1e-5);
  int edges = 0;
  for (const swftest::ShapeRecord& r : big.records) {
    if (r.kind == swftest::ShapeRecord::kStyle) continue;
    ++edges;
    EXPECT_LE(std::abs(r.dx), 65536);
    EXPECT_LE(std::abs(r.dy), 65536);
  }
  EXPECT_GT(edges, 4);  // 120000 / 32 x 20 twips a side: each cut in two
}

// Pictures: 24-bit pictures go as JPEG (small ones, whose pixels JPEG would blend, losslessly),
// every other kind losslessly (32-bit RGB included, its unused byte taken as opaque), stretched
// over the shape's box.
TEST(PageMovieShapes, PicturesAreEncodedByKindAndFitTheirBox) {
  struct Case {
    Gdiplus::PixelFormat format;
    int w, h;
    bool jpeg;
  } cases[] = {{Gdiplus::PixelFormat24bppRGB, 64, 80, true},
               {Gdiplus::PixelFormat24bppRGB, 8, 16, false},
               {Gdiplus::PixelFormat32bppRGB, 64, 80, false},
               {Gdiplus::PixelFormat32bppARGB, 8, 16, false}};
  for (const Case& c : cases) {
    PageDoc doc;
    CDrawingPage* page = doc.Page(600, 800);
    CCustomPathObj* pic = AddPicture(page, 40, 20, c.format, c.w, c.h, 300, 200);
    ASSERT_NE(pic, nullptr);
    const MovieContent movie = Export(doc, 0);
    ASSERT_TRUE(movie.error.empty()) << movie.error;
    ASSERT_EQ(movie.bitmaps.size(), 1u);
    EXPECT_EQ(movie.bitmaps[0].jpeg, c.jpeg) << std::hex << c.format << std::dec << " " << c.w;
    if (!c.jpeg) {
      ASSERT_GE(movie.bitmaps[0].data.size(), 4u);
      EXPECT_EQ(movie.bitmaps[0].data[0], 255) << "opaque first pixel, format " << std::hex << c.format;
    }
    ASSERT_EQ(movie.shapes.size(), 1u);
    ASSERT_EQ(movie.shapes[0].shape.fills.size(), 1u);
    const swftest::FillStyle& f = movie.shapes[0].shape.fills[0];
    EXPECT_EQ(f.type, 0x41);
    EXPECT_NEAR(f.matrix.a, 300.0 * 20 / c.w, 1e-2);
    EXPECT_NEAR(f.matrix.d, 200.0 * 20 / c.h, 1e-2);
    EXPECT_NEAR(f.matrix.tx, 40 * 20, 1);
    EXPECT_NEAR(f.matrix.ty, 20 * 20, 1);
  }
}

// Groups are walked into the page's clip: their shapes and texts are drawn like top-level ones.
TEST(PageMovieShapes, GroupsAreFlattenedIntoThePageClip) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  auto* a = new CCustomPathObj;
  a->AddRectanglePath({0, 0, 10, 10});
  auto* b = new CCustomPathObj;
  b->AddRectanglePath({20, 0, 30, 10});
  auto* group = new Vectorloom::CRenderGroupObj;
  group->AddChild(a);
  group->AddChild(b);
  Own(page, group);
  AddRect(page, 0, 0, 5, 5, CQorTransMatrix());
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  EXPECT_EQ(movie.shapes.size(), 3u);
}

// ---- texts ---------------------------------------------------------------------------------------

TEST(PageMovieTexts, RecordsBreakAtBlanksColoursAndFontsAndRowsMakeTexts) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  AddText(doc, page, L"two words", L"DejaVu Sans", 12, 10, 10);
  CDDrawTextObj* colours = AddText(doc, page, L"abcdef", L"DejaVu Sans", 12, 10, 100);
  for (int i = 3; i < 6; ++i) colours->GetArrayOfTextCharacters()[static_cast<size_t>(i)].SetRenderColor(RGB(255, 0, 0));
  AddText(doc, page, L"one\rtwo\rthree", L"DejaVu Sans", 12, 10, 200);
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.texts.size(), 5u);
  auto glyphs = [](const swftest::Text& t) {
    std::vector<size_t> n;
    for (const swftest::TextRecord& r : t.records)
      if (!r.glyphs.empty()) n.push_back(r.glyphs.size());
    return n;
  };
  EXPECT_EQ(glyphs(movie.texts[0].text), (std::vector<size_t>{3, 5}));
  EXPECT_EQ(glyphs(movie.texts[1].text), (std::vector<size_t>{3, 3}));
  ASSERT_EQ(movie.texts[1].text.records.size(), 2u);
  EXPECT_EQ(movie.texts[1].text.records[1].r, 255);
  // Three rows: three texts with the same matrix, one record each.
  for (int i = 2; i < 5; ++i) {
    EXPECT_EQ(glyphs(movie.texts[static_cast<size_t>(i)].text).size(), 1u);
    EXPECT_EQ(movie.texts[static_cast<size_t>(i)].place.matrix.tx, movie.texts[2].place.matrix.tx);
    EXPECT_EQ(movie.texts[static_cast<size_t>(i)].place.matrix.a, movie.texts[2].place.matrix.a);
  }
  EXPECT_EQ(glyphs(movie.texts[4].text), (std::vector<size_t>{5}));
}

// Characters of one row that lean or stretch differently go into texts of their own, each glyph
// where layout put it.
TEST(PageMovieTexts, SlantAndWidthRatioChangesStartNewTexts) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  CDDrawTextObj* text = AddText(doc, page, L"abcdefgh", L"DejaVu Sans", 12, 10, 10);
  auto& chars = text->GetArrayOfTextCharacters();
  for (size_t i = 3; i < 5; ++i) chars[i].SetItalicSkew(GlyphweaveLib::kItalicSkew);
  for (size_t i = 5; i < 8; ++i) chars[i].SetCharXScale(2);
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.texts.size(), 3u);
  EXPECT_EQ(movie.texts[0].place.matrix.c, 0);
  EXPECT_NEAR(movie.texts[1].place.matrix.c, GlyphweaveLib::kItalicSkew * 0.7518797, 1e-4);
  EXPECT_NEAR(movie.texts[2].place.matrix.a, 2 * 0.7518797, 1e-4);
  // The first glyph of each text at its laid-out place: x through the text's matrix.
  for (int t = 0; t < 3; ++t) {
    const size_t first = t == 0 ? 0 : t == 1 ? 3 : 5;
    const swftest::Text& tx = movie.texts[static_cast<size_t>(t)].text;
    ASSERT_FALSE(tx.records.empty());
    const swftest::Matrix& m = movie.texts[static_cast<size_t>(t)].place.matrix;
    const double x = (m.a * tx.records[0].x + m.c * tx.records[0].y + m.tx) / 20.0;
    EXPECT_NEAR(x, (10 + chars[first].GetCharOffset().x) * 0.7518797, 0.1) << t;
  }
}

// 100 distinct characters of one font need two fonts (80 + 20), each with its codes ascending;
// a bold run gets a font of its own; a row of 300 letters is written in records of 255 at most.
TEST(PageMovieTexts, FontsHoldEightyGlyphsAndRecordsAtMost255) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(1200, 800);
  std::wstring distinct;
  for (wchar_t c = 0x21; distinct.size() < 100; ++c) distinct += c;
  AddText(doc, page, distinct.c_str(), L"DejaVu Sans", 6, 10, 10, 2000);
  AddText(doc, page, std::wstring(300, L'i').c_str(), L"DejaVu Sans", 6, 10, 300, 5000);
  AddText(doc, page, L"ab", L"DejaVu Sans", 12, 10, 500, 400, /*bold=*/true);
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.fonts.size(), 3u);
  std::vector<size_t> sizes;
  for (const swftest::Font& f : movie.fonts) {
    sizes.push_back(f.codes.size());
    for (size_t i = 1; i < f.codes.size(); ++i) EXPECT_LT(f.codes[i - 1], f.codes[i]);
  }
  EXPECT_EQ(sizes, (std::vector<size_t>{80, 20, 2}));
  EXPECT_EQ(movie.fonts[2].flags & 1, 1);  // bold
  EXPECT_EQ(movie.fonts[0].flags & 1, 0);
  ASSERT_EQ(movie.texts.size(), 3u);
  size_t total = 0;
  for (const swftest::TextRecord& r : movie.texts[1].text.records) {
    EXPECT_LE(r.glyphs.size(), 255u);
    total += r.glyphs.size();
  }
  EXPECT_EQ(total, 300u);
}

// Glyph outlines: a straight letter is lines only, a round one curves; every contour is closed
// (the pen returns to where it started) and the advance is the text engine's.
TEST(PageMovieTexts, GlyphOutlinesAreClosedAndCarryTheirAdvance) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  CDDrawTextObj* text = AddText(doc, page, L"lo", L"DejaVu Sans", 12, 10, 10);
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.fonts.size(), 1u);
  const swftest::Font& f = movie.fonts[0];
  ASSERT_EQ(f.codes, (std::vector<uint16_t>{'l', 'o'}));
  for (size_t g = 0; g < 2; ++g) {
    int lines = 0, curves = 0;
    int32_t startX = 0, startY = 0, x = 0, y = 0;
    bool open = false;
    for (const swftest::ShapeRecord& r : f.glyphs[g]) {
      if (r.kind == swftest::ShapeRecord::kStyle) {
        if (r.hasMove) {
          if (open) EXPECT_TRUE(x == startX && y == startY) << "contour of glyph " << g << " left open";
          startX = x = r.moveX, startY = y = r.moveY, open = true;
        }
        continue;
      }
      (r.kind == swftest::ShapeRecord::kLine ? lines : curves)++;
      x = r.x, y = r.y;
    }
    EXPECT_TRUE(x == startX && y == startY) << "last contour of glyph " << g << " left open";
    if (g == 0) {
      EXPECT_EQ(lines, 4);
      EXPECT_EQ(curves, 0);
    } else {
      EXPECT_GT(curves, 8);
    }
    const float advance = text->GetArrayOfTextCharacters()[g].GetCharGlyphPath()->GetReferIncx();
    EXPECT_EQ(f.advances[g], static_cast<int>(advance));
  }
}

// Characters whose font cannot be found or whose glyph has no outline are left out; the rest of
// the text is written.
TEST(PageMovieTexts, CharactersWithoutFontOrOutlineAreLeftOut) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  CDDrawTextObj* text = AddText(doc, page, L"abc", L"DejaVu Sans", 12, 10, 10);
  auto& chars = text->GetArrayOfTextCharacters();
  chars[1].SetCharGlyphRes(nullptr);  // a glyph that failed
  chars[2].SetCharXScale(0);          // no width: no text item can place it
  // Written without building missing glyphs again.
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovieClip clip = newSWFMovieClip();
  {
    flip::PageFonts fonts;
    EXPECT_EQ(flip::AddTextToClip(clip, *text, text->GetTransMatrix(), fonts, nullptr, nullptr), 1);
  }
  SWFMovie_add(m, clip);
  destroySWFMovieClip(clip);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SWFMovie_saveToBuffer(m, &bytes));
  destroySWFMovie(m);
  const MovieContent movie = ReadContent(bytes);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.texts.size(), 1u);
  size_t total = 0;
  for (const swftest::TextRecord& r : movie.texts[0].text.records) total += r.glyphs.size();
  EXPECT_EQ(total, 1u);
}

// Stroked characters are drawn as the editor draws them: filled ones as text with their outline
// over it, outline-only ones as their outline alone (with their underline), in the stroke colour.
TEST(PageMovieTexts, StrokedCharactersAreDrawnAsOutlines) {
  struct Case {
    const char* name;
    bool fill, stroke;
    size_t texts, glyphs, outlines;
  } cases[] = {
      {"fill only", true, false, 1, 3, 0},
      {"fill and stroke", true, true, 1, 3, 1},
      {"stroke only", false, true, 0, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PageDoc doc;
    CDrawingPage* page = doc.Page(600, 800);
    CDDrawTextObj* text = AddText(doc, page, L"oil", L"DejaVu Sans", 40, 10, 10);
    for (auto& ch : text->GetArrayOfTextCharacters()) {
      ch.SetFillInside(c.fill);
      ch.SetStrokeOutline(c.stroke);
      ch.SetStrokedColor(RGB(200, 0, 0));
      ch.SetHasUnderlineFlag(true);
    }
    const MovieContent movie = Export(doc, 0);
    ASSERT_TRUE(movie.error.empty()) << movie.error;
    ASSERT_EQ(movie.texts.size(), c.texts);
    size_t glyphs = 0;
    for (const Placed& t : movie.texts)
      for (const swftest::TextRecord& r : t.text.records) glyphs += r.glyphs.size();
    EXPECT_EQ(glyphs, c.glyphs);
    std::vector<const swftest::Shape*> outlines;
    const swftest::Shape* underline = nullptr;
    for (const Placed& p : movie.shapes) {
      if (p.shape.lines.empty()) underline = &p.shape;  // the underline is a filled bar
      else outlines.push_back(&p.shape);
    }
    ASSERT_EQ(outlines.size(), c.outlines);
    ASSERT_TRUE(underline);
    if (c.outlines == 0) continue;
    const swftest::Shape& o = *outlines[0];
    EXPECT_TRUE(o.fills.empty());
    ASSERT_EQ(o.lines.size(), 1u);
    EXPECT_EQ(o.lines[0].r, 200);
    EXPECT_EQ(o.lines[0].g, 0);
    EXPECT_EQ(o.lines[0].join, SWF_LINE_JOIN_ROUND);
    // Three glyphs, "o" of two contours: at least four figures, drawn where the letters stand (the
    // underline runs under all three).
    int moves = 0;
    for (const swftest::ShapeRecord& r : o.records) moves += r.kind == swftest::ShapeRecord::kStyle && r.hasMove;
    EXPECT_GE(moves, 4);
    EXPECT_GT(o.edgeBounds.xmax - o.edgeBounds.xmin, (underline->edgeBounds.xmax - underline->edgeBounds.xmin) * 0.7);
    EXPECT_LT(o.edgeBounds.ymax, underline->edgeBounds.ymax);
  }
}

// Underlines and strike-outs are drawn as bars, one for neighbouring characters of one colour.
TEST(PageMovieTexts, UnderlinesAndStrikeOutsAreBars) {
  PageDoc doc;
  CDrawingPage* page = doc.Page(600, 800);
  CDDrawTextObj* text = AddText(doc, page, L"under line", L"DejaVu Sans", 20, 10, 10);
  auto& chars = text->GetArrayOfTextCharacters();
  for (size_t i = 0; i < 10; ++i) chars[i].SetHasUnderlineFlag(true);
  chars[9].SetRenderColor(RGB(0, 0, 255));  // the last letter's line is blue
  chars[0].SetHasStrikeOutFlag(true);
  const MovieContent movie = Export(doc, 0);
  ASSERT_TRUE(movie.error.empty()) << movie.error;
  ASSERT_EQ(movie.shapes.size(), 3u);
  struct Bar {
    int width, height, blue;  // twips, and the fill's blue
    bool operator<(const Bar& o) const { return width < o.width; }
  };
  std::vector<Bar> bars;
  for (const Placed& p : movie.shapes) {
    ASSERT_EQ(p.shape.fills.size(), 1u);
    const swftest::Rect& r = p.shape.edgeBounds;
    bars.push_back({r.xmax - r.xmin, r.ymax - r.ymin, p.shape.fills[0].b});
  }
  std::sort(bars.begin(), bars.end());
  ASSERT_EQ(std::count_if(bars.begin(), bars.end(), [](const Bar& b) { return b.blue == 255; }), 1);
  const Bar& underline = bars[2];  // the black letters' line, over nine characters
  EXPECT_EQ(underline.blue, 0);
  const Bar& blue = bars[0].blue == 255 ? bars[0] : bars[1];
  const Bar& strike = bars[0].blue == 255 ? bars[1] : bars[0];
  EXPECT_GT(underline.width, 6 * blue.width);
  EXPECT_EQ(blue.height, underline.height);
  EXPECT_EQ(strike.blue, 0);
  EXPECT_LT(strike.height, underline.height);  // a third of the underline's width
}

// The movie: version 8 at the document's size, 20 frames a second, white, and the clip "objects"
// centred: a 400 x 600 point page in a 600 x 800 point document stands at (100, 100).
TEST(PageMovieSave, HeaderAndCentredClip) {
  PageDoc doc;
  doc.Page(600, 800);
  CDrawingPage* small = doc.Page(400, 600);
  for (int i = 0; i < 3; ++i) fliptest::AddVideo(small, L"/clips/c" + std::to_wstring(i) + L".mp4");
  QorSWFExportingLib::SwfExportContext context(&doc);
  SWFMovie movie = QorSWFExportingLib::NewPageMovie(doc);
  ASSERT_TRUE(QorSWFExportingLib::AddPageObjects(context, 1, movie));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(SWFMovie_saveToBuffer(movie, &bytes));
  destroySWFMovie(movie);
  swftest::Movie m;
  std::string error;
  ASSERT_TRUE(swftest::ParseMovie(bytes, &m, &error)) << error;
  EXPECT_EQ(m.version, 8);
  EXPECT_EQ(m.frame.xmax, 600 * 20);
  EXPECT_EQ(m.frame.ymax, 800 * 20);
  EXPECT_EQ(m.rate, 20.0);
  std::vector<swftest::Place> rootPlaces;
  for (const swftest::Tag* t : swftest::FindTags(m.tags, swftest::kPlaceObject2)) {
    swftest::Place p;
    ASSERT_TRUE(swftest::ParsePlace2(*t, &p, &error)) << error;
    rootPlaces.push_back(p);
  }
  ASSERT_EQ(rootPlaces.size(), 1u);
  EXPECT_EQ(rootPlaces[0].name, "objects");
  EXPECT_EQ(rootPlaces[0].matrix.tx, 100 * 20);
  EXPECT_EQ(rootPlaces[0].matrix.ty, 100 * 20);
  std::string strings;
  ASSERT_TRUE(fliptest::MovieStrings(bytes, &strings, &error)) << error;
  for (const char* name : {"video1\n", "video2\n", "video3\n", "videoTotal\n", "ctrlVideoObjs\n"})
    EXPECT_NE(strings.find(name), std::string::npos) << name;
  EXPECT_EQ(strings.find("video4"), std::string::npos);
}

TEST(PageMovieSave, AFileThatCannotBeWrittenIsAFailure) {
  PageDoc doc;
  doc.Page(600, 800);
  flip::SwfExportContext context(&doc);
  EXPECT_FALSE(flip::WritePageMovie(context, 0, "/proc/no-such-folder/page001.swf"));
}

}  // namespace
