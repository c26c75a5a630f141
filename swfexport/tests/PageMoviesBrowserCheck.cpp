// Writes the page movies that scripts/swf-check/pagemovies.mjs renders in Ruffle (headless
// Chromium), each beside the program's own drawing of its page at the same size (PPM), so the
// script can measure how far the player's picture is from the editor's. Pages: shapes with each
// fill, pictures, a group and a video clip; texts in system and embedded fonts, bold, italic and
// coloured; and a small page of text drawn at 400 % to show that text stays vector. Runs only when
// LEAFWRIGHT_PAGEMOVIE_CHECK_DIR names the folder to write.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include <flarewing/FlipBook.h>
#include <glyphweave/EmbedFontRes.h>
#include <vectorloom/GroupObj.h>

#include "FlipTestKit.h"
#include "PageMovieKit.h"
#include <quirebook/PdfPageParser.h>
#include <win32/lwstr.h>

#include "ColumnPdf.h"
#include "PageRaster.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

namespace flip = QorSWFExportingLib;
using namespace pagemovie;
using Vectorloom::CCustomPathObj;
using Vectorloom::CQorTransMatrix;
using Vectorloom::CQorVectorEdgeNode;

constexpr float kPixelsPerPoint = 1.33f;

void WritePpm(const pagetest::Raster& r, const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "P6\n" << r.width << " " << r.height << "\n255\n";
  out.write(reinterpret_cast<const char*>(r.rgb.data()), static_cast<std::streamsize>(r.rgb.size()));
}

// Writes page `index` as <name>.swf and the editor's drawing at `zoom` screen pixels a point as
// <name>@<zoom>x.ppm (pictures scaled smoothly, as the editing view scales them).
void WritePage(CPublicationDoc& doc, int index, const std::string& dir, const std::string& name,
               std::initializer_list<int> zooms) {
  flip::SwfExportContext context(&doc);
  ASSERT_TRUE(flip::WritePageMovie(context, index, dir + "/" + name + ".swf"));
  const auto size = doc.GetDocLogSize(Vectorloom::UNIT_POINT);
  for (int zoom : zooms) {
    const pagetest::Raster own =
        pagetest::RenderPage(*doc.GetDrawingPage(index), static_cast<int>(std::lround(size.cx * zoom)),
                             static_cast<int>(std::lround(size.cy * zoom)), zoom / kPixelsPerPoint,
                             /*smoothPictures=*/true);
    WritePpm(own, dir + "/" + name + "@" + std::to_string(zoom) + "x.ppm");
  }
}

// A circle of radius r about (cx, cy) from four cubic arcs.
CCustomPathObj* AddCircle(CDrawingPage* page, float cx, float cy, float r) {
  const float k = 0.5523f * r;
  auto node = [](float x, float y, float ix, float iy, float ox, float oy) {
    CQorVectorEdgeNode n(x, y);
    n.ptIn = {ix, iy};
    n.ptOut = {ox, oy};
    n.bHasIn = n.bHasOut = 1;
    return n;
  };
  Vectorloom::CBaseCustomPath sub;
  sub.AddNode(node(cx + r, cy, cx + r, cy - k, cx + r, cy + k));
  sub.AddNode(node(cx, cy + r, cx + k, cy + r, cx - k, cy + r));
  sub.AddNode(node(cx - r, cy, cx - r, cy + k, cx - r, cy - k));
  sub.AddNode(node(cx, cy - r, cx - k, cy - r, cx + k, cy - r));
  sub.SetClosed(true);
  auto* shape = new CCustomPathObj;
  shape->AddSubPath(sub);
  Own(page, shape);
  return shape;
}

TEST(PageMoviesBrowserCheck, WriteForTheBrowserCheck) {
  const char* env = std::getenv("LEAFWRIGHT_PAGEMOVIE_CHECK_DIR");
  if (!env || !*env) GTEST_SKIP() << "LEAFWRIGHT_PAGEMOVIE_CHECK_DIR is not set";
  const std::string dir = env;
  fliptest::fs::remove_all(dir);
  fliptest::fs::create_directories(dir);

  PageDoc doc;
  // Page 1: shapes.
  CDrawingPage* shapes = doc.Page(600, 800);
  CCustomPathObj* solid = AddRect(shapes, 0, 0, 200, 120, CQorTransMatrix::Translation(40, 40));
  solid->SetFillColor(RGB(220, 40, 30));
  solid->SetStrokeWidth(6);
  solid->SetStrokeColor(RGB(20, 20, 120));
  CCustomPathObj* faded = AddRect(shapes, 0, 0, 160, 100, CQorTransMatrix::Translation(180, 110));
  faded->SetFillColor(RGB(30, 160, 60));
  faded->SetFilledTransparency(110);
  faded->SetStrokeOutlineFlag(0);
  CCustomPathObj* linear = AddRect(shapes, 10, 10, 330, 130, CQorTransMatrix::Translation(400, 30));
  linear->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  linear->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(250, 200, 0), 255, 0);
  linear->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(200, 0, 160), 255, 2048);
  linear->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(0, 60, 220), 255, 4096);
  linear->SetStrokeOutlineFlag(0);
  CCustomPathObj* radial = AddCircle(shapes, 150, 330, 110);
  radial->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  radial->GetFillDefinition().GetGradientDefinition().SetGradientType(Vectorloom::GRADIENT_RADIAL);
  radial->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(255, 255, 255), 255, 0);
  radial->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(0, 120, 90), 255, 4096);
  radial->SetStrokeWidth(2);
  // A turned, stroked rectangle and an open zigzag.
  CCustomPathObj* turned = AddRect(shapes, -60, -40, 60, 40,
                                   CQorTransMatrix(std::cos(0.5f), std::sin(0.5f), -std::sin(0.5f), std::cos(0.5f), 480, 330));
  turned->SetFillColor(RGB(90, 90, 90));
  turned->SetStrokeWidth(4);
  turned->SetStrokeColor(RGB(250, 120, 0));
  auto* zigzag = new CCustomPathObj;
  Vectorloom::CBaseCustomPath zz;
  for (int i = 0; i < 7; ++i) zz.AddNode(CQorVectorEdgeNode(30.0f + i * 50.0f, (i % 2) ? 480.0f : 520.0f));
  zigzag->AddSubPath(zz);
  zigzag->SetStrokeWidth(3);
  zigzag->SetStrokeColor(RGB(0, 0, 0));
  Own(shapes, zigzag);
  // Pictures: a 24-bit one, a 32-bit one and one with alpha.
  AddPicture(shapes, 420, 420, Gdiplus::PixelFormat24bppRGB, 96, 64, 300, 200);
  AddPicture(shapes, 40, 600, Gdiplus::PixelFormat32bppRGB, 32, 32, 200, 200);
  AddPicture(shapes, 300, 700, Gdiplus::PixelFormat32bppARGB, 40, 20, 300, 150);
  // A group of two shapes, and a video clip (no poster: nothing drawn until it plays).
  auto* group = new Vectorloom::CRenderGroupObj;
  for (int i = 0; i < 2; ++i) {
    auto* part = new CCustomPathObj;
    part->AddRectanglePath({0, 0, 60, 60});
    part->SetTransMatrix(CQorTransMatrix::Translation(600.0f + i * 80.0f, 880.0f + i * 40.0f), false);
    part->SetFillColor(i ? RGB(0, 150, 200) : RGB(200, 150, 0));
    group->AddChild(part);
  }
  Own(shapes, group);
  fliptest::AddVideo(shapes, L"/nonexistent/clip.mp4", 600, 700);
  // Dashed strokes and thick lines with their caps and joins.
  CCustomPathObj* dashed = AddRect(shapes, 0, 0, 200, 60, CQorTransMatrix::Translation(30, 960));
  dashed->SetFillColor(RGB(240, 230, 140));
  dashed->SetStrokeWidth(4);
  dashed->SetStrokeColor(RGB(0, 0, 0));
  dashed->SetDashType(Vectorloom::DASH_DASHDOT);
  auto line = [&](float y, int startCap, int dash, int dashCap) {
    auto* l = new CCustomPathObj;
    Vectorloom::CBaseCustomPath p;
    p.AddNode(CQorVectorEdgeNode(280, y));
    p.AddNode(CQorVectorEdgeNode(420, y));
    p.AddNode(CQorVectorEdgeNode(440, y + 30));
    l->AddSubPath(p);
    l->SetStrokeWidth(10);
    l->SetStrokeColor(RGB(60, 60, 200));
    l->SetStartCap(startCap);
    l->SetEndCap(startCap);
    l->SetDashType(dash);
    l->SetDashCap(dashCap);
    l->SetLineJoin(Vectorloom::LINE_JOIN_MITER);
    Own(shapes, l);
  };
  // A linear gradient at 30 degrees over a wide box.
  CCustomPathObj* angled = AddRect(shapes, 0, 0, 240, 80, CQorTransMatrix::Translation(520, 180));
  angled->SetFillKind(Vectorloom::RENDER_KIND_GRADIENT);
  angled->GetFillDefinition().GetGradientDefinition().SetAngle(30);
  angled->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(0, 0, 0), 255, 0);
  angled->GetFillDefinition().GetGradientDefinition().AddColorStop(RGB(255, 255, 255), 255, 4096);
  angled->SetStrokeOutlineFlag(0);
  // Two overlapping squares drawn the same way round in one path, filled by the nonzero rule: no
  // hole where they overlap.
  auto* twice = new CCustomPathObj;
  twice->AddRectanglePath({480, 950, 560, 1030});
  twice->AddRectanglePath({520, 990, 600, 1050});
  twice->SetFillRule(Vectorloom::FILL_RULE_NONZERO);
  twice->SetFillColor(RGB(150, 40, 150));
  twice->SetStrokeOutlineFlag(0);
  Own(shapes, twice);
  line(940, Vectorloom::LINE_CAP_SQUARE, Vectorloom::DASH_SOLID, 0);
  line(990, Vectorloom::LINE_CAP_FLAT, Vectorloom::DASH_DOT, Vectorloom::DASH_CAP_ROUND);
  // Ends drawn as shapes of their own: anchors, a triangle, and two different caps.
  auto ends = [&](float y, int startCap, int endCap) {
    auto* l = new CCustomPathObj;
    Vectorloom::CBaseCustomPath p;
    p.AddNode(CQorVectorEdgeNode(60, y));
    p.AddNode(CQorVectorEdgeNode(220, y));
    l->AddSubPath(p);
    l->SetStrokeWidth(8);
    l->SetStrokeColor(RGB(0, 110, 40));
    l->SetStartCap(startCap);
    l->SetEndCap(endCap);
    Own(shapes, l);
  };
  ends(850, Vectorloom::LINE_CAP_ROUND_ANCHOR, Vectorloom::LINE_CAP_ARROW_ANCHOR);
  ends(890, Vectorloom::LINE_CAP_SQUARE_ANCHOR, Vectorloom::LINE_CAP_DIAMOND_ANCHOR);
  ends(925, Vectorloom::LINE_CAP_ROUND, Vectorloom::LINE_CAP_TRIANGLE);

  // Page 2: texts.
  CDrawingPage* texts = doc.Page(600, 800);
  AddText(doc, texts, L"Sans Serif text in the system font, 14 pt", L"Arial", 14, 40, 40, 700);
  AddText(doc, texts, L"Times New Roman, 18 pt", L"Times New Roman", 18, 40, 100, 700);
  AddText(doc, texts, L"Bold heading", L"Arial", 28, 40, 160, 700, /*bold=*/true);
  AddText(doc, texts, L"Italic words lean", L"Times New Roman", 24, 40, 240, 700, false, /*italic=*/true);
  AddText(doc, texts, L"Coloured text in two rows\rsecond row of it", L"Arial", 16, 40, 320, 700, false, false,
          RGB(200, 30, 30));
  // An embedded font: DejaVu Serif's program carried by the document.
  const std::vector<uint8_t> program = lwtest::ReadFileBytes("/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf");
  ASSERT_FALSE(program.empty());
  auto* res = new GlyphweaveLib::CEmbedFontResouce();
  const int id = doc.GetEmbedFontResManager()->CreateNewEmbedFontID();
  res->SetFontID(id);
  res->SetEmbedFontFlag(0);
  GlyphweaveLib::CPdfEmbedFontDesc desc;
  desc.SetFontName("DejaVuSerif");
  desc.m_vProgram.assign(program.begin(), program.end());
  res->SetEmbedPdfFontContent(&desc);
  ASSERT_GE(doc.GetEmbedFontResManager()->AddEmbedFontResouce(res), 0);
  {
    auto* text = new CDDrawTextObj;
    text->SetLayoutBox(700, 400);
    GlyphweaveLib::CRichFontDesc font;
    font.SetFontFaceName(L"DejaVuSerif");
    font.SetEmbedFontID(id);
    font.m_fFontSize = 20;
    font.m_crRenderColor = RGB(0, 70, 140);
    HDC dc = GetDC(nullptr);
    text->InsertString(0, L"Embedded DejaVu Serif outlines", -1, dc, font, doc.GetEmbedFontResManager(),
                       doc.GetFontGlyphCacheManager());
    ReleaseDC(nullptr, dc);
    text->RecalcuLayout(0);
    text->SetTransMatrix(CQorTransMatrix::Translation(40, 440), false);
    Own(texts, text);
  }
  AddText(doc, texts, L"Large 48 pt", L"Arial", 48, 40, 540, 700);
  CDDrawTextObj* mixed = AddText(doc, texts, L"upright leaning wide", L"Arial", 18, 40, 720, 700);
  for (size_t i = 8; i < 15; ++i) mixed->GetArrayOfTextCharacters()[i].SetItalicSkew(GlyphweaveLib::kItalicSkew);
  for (size_t i = 16; i < 20; ++i) mixed->GetArrayOfTextCharacters()[i].SetCharXScale(1.8f);
  mixed->RecalcuLayout(0);
  CDDrawTextObj* scripts = AddText(doc, texts, L"H2O and x2 and a shifted word", L"Arial", 18, 400, 720, 400);
  scripts->GetArrayOfTextCharacters()[1].SetShowAsScriptFlag(1);
  scripts->GetArrayOfTextCharacters()[9].SetShowAsScriptFlag(2);
  for (size_t i = 17; i < 24; ++i) scripts->GetArrayOfTextCharacters()[i].SetBaselineShift(-6);
  scripts->RecalcuLayout(0);
  CDDrawTextObj* lined = AddText(doc, texts, L"Underlined and struck out", L"Arial", 16, 40, 660, 700);
  for (size_t i = 0; i < 10; ++i) lined->GetArrayOfTextCharacters()[i].SetHasUnderlineFlag(true);
  for (size_t i = 15; i < 25; ++i) lined->GetArrayOfTextCharacters()[i].SetHasStrikeOutFlag(true);

  WritePage(doc, 0, dir, "shapes", {1, 2});
  WritePage(doc, 1, dir, "texts", {1, 2});

  // Imported pages: running text in embedded subsets, and cairo's sampler (text, paths, a shading
  // and an image).
  const std::pair<const char*, std::vector<uint8_t>> imports[] = {{"columns", lwtest::MakeColumnsPdf(1, 2).bytes},
                                                                   {"sampler", lwtest::MakeCairoPdf(1)}};
  for (const auto& [name, bytes] : imports) {
    const std::string pdf = dir + "/" + name + ".pdf";
    lwtest::WriteFileBytes(pdf, bytes);
    auto* source = new CCachePdfPageContent(lw::Utf8ToWide(pdf).c_str());
    source->AddRef();
    {
      PageDoc imported;
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(0);
      imported.GetRenderPagesArray().AddPage(page);
      ASSERT_TRUE(page->LoadPageContent(&imported));
      const auto size = page->GetPageSize(Vectorloom::UNIT_POINT);
      imported.SetDocLogSize(size.cx, size.cy, Vectorloom::UNIT_POINT);
      WritePage(imported, 0, dir, name, {1, 2});
    }
    source->Release();
    fliptest::fs::remove(pdf);
  }

  // A small page of 12 pt text, drawn at 400 %.
  PageDoc small;
  CDrawingPage* zoomed = small.Page(200, 60);
  AddText(small, zoomed, L"Sharp at 400 %", L"Arial", 12, 10, 10, 300);
  AddText(small, zoomed, L"Bold italic", L"Times New Roman", 12, 10, 40, 300, true, true);
  WritePage(small, 0, dir, "zoom", {4});
}

}  // namespace
