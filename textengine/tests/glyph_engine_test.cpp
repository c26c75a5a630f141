// The glyph engines on real fonts: installed fonts through the GDI layer ("Arial", "Times New
// Roman", "SimSun"), and font programs as a PDF carries them (cairo's TrueType subset, a bare
// CFF font) through FreeType; the facade's choice of engine; synthetic bold on a real glyph.
#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <lwstr.h>
#include <winfile.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>

#include "GlyphTestFonts.h"
#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/CharsFontDesc.h"
#include "glyphweave/EmbedFontRes.h"

using Gdiplus::GraphicsPath;
using Gdiplus::Matrix;
using Gdiplus::RectF;
using namespace GlyphweaveLib;
using namespace gwglyph;

namespace {

class ScreenDC {
 public:
  ScreenDC() : dc(GetDC(nullptr)) {}
  ~ScreenDC() { ReleaseDC(nullptr, dc); }
  HDC dc;
};

class GlyphEngineTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CFFTypeFontEngine::FFTypeInitialize()); }
};

RectF BoundsOf(const GraphicsPath& p) {
  RectF r;
  p.GetBounds(&r);
  return r;
}

// Bounds of a path in y-down pixels against font-unit facts scaled to the em.
void ExpectBounds(const RectF& r, const GlyphFacts& f, float scale, float tolerance, const char* what) {
  EXPECT_NEAR(r.X, f.xMin * scale, tolerance) << what;
  EXPECT_NEAR(r.X + r.Width, f.xMax * scale, tolerance) << what;
  EXPECT_NEAR(r.Y, -f.yMax * scale, tolerance) << what;
  EXPECT_NEAR(r.Y + r.Height, -f.yMin * scale, tolerance) << what;
}

}  // namespace

TEST_F(GlyphEngineTest, SystemFontsGiveOutlinesOfTheirStandInFiles) {
  struct Case {
    const wchar_t* face;
    BYTE charset;
    unsigned ch;
  };
  const Case cases[] = {
      {L"Arial", ANSI_CHARSET, 'H'},
      {L"Times New Roman", ANSI_CHARSET, 'H'},
      {L"SimSun", GB2312_CHARSET, 0x4E2D},
  };
  ScreenDC screen;
  for (const Case& c : cases) {
    const std::string what = lw::WideToUtf8(c.face);
    int index = 0;
    const std::string file = FontFileOf(c.face, c.charset, &index);
    ASSERT_FALSE(file.empty()) << what;
    const GlyphFacts facts = FactsOf(ReadFile(file), index, c.ch);
    ASSERT_GT(facts.units, 0) << what;
    ASSERT_GT(facts.advance, 0) << what;

    CFontAccessEngine engine;
    ASSERT_TRUE(engine.SetAccessFont(screen.dc, _CharsFontDesc(c.face, c.charset, 0, -1))) << what;
    EXPECT_GT(engine.GetFontAscent(), 0.0f);
    EXPECT_GT(engine.GetFontDescent(), 0.0f);
    GraphicsPath path;
    Matrix m;
    float ax = -1, ay = -1;
    ASSERT_TRUE(engine.PrepareGlyph(c.ch, m, path, &ax, &ay)) << what;
    const float scale = static_cast<float>(MulDiv(1024, 96, 72)) / static_cast<float>(facts.units);
    EXPECT_NEAR(ax, facts.advance * scale, 1.0f) << what;  // GDI rounds advances to pixels
    EXPECT_EQ(ay, 0.0f);
    ExpectBounds(BoundsOf(path), facts, scale, 1.5f, what.c_str());
  }
}

TEST_F(GlyphEngineTest, GdiBreaksAreSpacesAndCountAsContained) {
  ScreenDC screen;
  CFontAccessEngine engine;
  ASSERT_TRUE(engine.SetAccessFont(screen.dc, _CharsFontDesc(L"Arial", ANSI_CHARSET, 0, -1)));
  Matrix m;
  GraphicsPath space, cr;
  float spaceX = 0, crX = 0, y = 0;
  ASSERT_TRUE(engine.PrepareGlyph(' ', m, space, &spaceX, &y));
  ASSERT_TRUE(engine.PrepareGlyph(13, m, cr, &crX, &y));
  EXPECT_GT(spaceX, 0.0f);
  EXPECT_EQ(crX, spaceX);
  EXPECT_EQ(cr.GetPointCount(), 0);

  EXPECT_TRUE(engine.IsContainCharacters(L"AB"));
  EXPECT_TRUE(engine.IsContainCharacters(L"A\rB\n"));  // Liberation Sans has no glyph for 13
  EXPECT_TRUE(engine.IsContainCharacters(L""));
  EXPECT_FALSE(engine.IsContainCharacters(L"A\x4E2D"));  // no CJK in a Latin face

  CFontAccessEngine noDC;
  EXPECT_FALSE(noDC.SetAccessFont(nullptr, _CharsFontDesc(L"Arial", ANSI_CHARSET, 0, -1)));
  EXPECT_EQ(noDC.GetFontAscent(), 0.0f);
  EXPECT_FALSE(noDC.PrepareGlyph('A', m, space, &spaceX, &y));
}

TEST_F(GlyphEngineTest, TrueTypeSubsetFromAPdf) {
  const std::vector<unsigned char> subset = FontFile2Of(lwtest::MakeCairoPdf());
  const GlyphFacts facts = FactsOf(subset, 0, 'H');
  ASSERT_GT(facts.advance, 0);
  std::unique_ptr<CEmbedFontResouce> res(MakeProgramResource(3, subset));
  ScreenDC screen;
  CFFTypeFontEngine engine;
  ASSERT_TRUE(engine.SetAccessFont(screen.dc, 0, res.get(), false));
  EXPECT_EQ(engine.GetResolution(), 96);
  GraphicsPath path;
  Matrix m;
  float ax = 0, ay = -1;
  ASSERT_TRUE(engine.PrepareGlyph('H', m, path, &ax, &ay));
  const float scale = kEm / static_cast<float>(facts.units);
  EXPECT_NEAR(ax, facts.advance * scale, 1.0f);  // hinted advances are whole pixels
  EXPECT_EQ(ay, 0.0f);
  ExpectBounds(BoundsOf(path), facts, scale, 1.5f, "H");

  // The subset holds only the characters of the page text.
  EXPECT_TRUE(engine.IsContainCharacters(L"Hello"));
  EXPECT_FALSE(engine.IsContainCharacters(L"Hello page"));  // a space has no contours
  EXPECT_FALSE(engine.IsContainCharacters(L"Z"));
  GraphicsPath z;
  EXPECT_FALSE(engine.PrepareGlyph('Z', m, z, &ax, &ay));
}

TEST_F(GlyphEngineTest, BareCffProgram) {
  std::unique_ptr<CEmbedFontResouce> res(MakeProgramResource(4, MakeBareCff()));
  ScreenDC screen;
  CFFTypeFontEngine engine;
  ASSERT_TRUE(engine.SetAccessFont(screen.dc, 0, res.get(), true));
  const float scale = kEm / 1000.0f;
  GraphicsPath a;
  Matrix m;
  float ax = 0, ay = 0;
  ASSERT_TRUE(engine.PrepareGlyph('A', m, a, &ax, &ay));
  EXPECT_NEAR(ax, 600 * scale, 1.0f);
  const RectF r = BoundsOf(a);
  EXPECT_NEAR(r.X, 100 * scale, 1.0f);
  EXPECT_NEAR(r.X + r.Width, 500 * scale, 1.0f);
  EXPECT_NEAR(r.Y, -775 * scale, 1.5f);  // the top of the curve, not its controls
  EXPECT_NEAR(r.Y + r.Height, 0.0f, 1.0f);
  std::vector<BYTE> types(static_cast<size_t>(a.GetPointCount()));
  a.GetPathTypes(types.data(), a.GetPointCount());
  EXPECT_NE(std::find(types.begin(), types.end(), 3), types.end());  // the cubic came through

  // 13 takes the space's glyph (no outline, the space's advance).
  GraphicsPath cr;
  float crX = 0;
  ASSERT_TRUE(engine.PrepareGlyph(13, m, cr, &crX, &ay));
  EXPECT_NEAR(crX, 250 * scale, 1.0f);
  EXPECT_EQ(cr.GetPointCount(), 0);

  EXPECT_TRUE(engine.IsContainCharacters(L"AB"));
  EXPECT_TRUE(engine.IsContainCharacters(L"A\rB"));
  EXPECT_FALSE(engine.IsContainCharacters(L"A B"));
  EXPECT_FALSE(engine.IsContainCharacters(L"C"));
  // The face has no descender: the engine's fallback is a fifth of the em.
  EXPECT_FLOAT_EQ(engine.GetFontDescent(), kEm * CFFTypeFontEngine::kDescentFallback);
  EXPECT_FLOAT_EQ(engine.GetFontAscent(), 800.0f);  // font units
}

// The font matrix of a CFF program comes from the document. A usual one scales the glyphs; a
// damaged one that makes them thousands of ems wide gets no glyph instead of an outline that
// size (whose flattening, merging and drawing would take seconds).
TEST_F(GlyphEngineTest, CffFontMatrices) {
  struct Case {
    const char* name;
    std::vector<std::string> matrix;
    bool made;
    float boxRight;  // the right of A's box, in ems (when made)
  };
  const Case cases[] = {
      {"none", {}, true, 0.5f},
      {"the usual thousand units", {"0.001", "0", "0", "0.001", "0", "0"}, true, 0.5f},
      {"two thousand units", {"0.0005", "0", "0", "0.0005", "0", "0"}, true, 0.25f},
      {"one unit per em", {"1", "0", "0", "1", "0", "0"}, false, 0},
      {"a shear of a million", {"0.001", "0", "1000", "0.001", "0", "0"}, false, 0},
      {"an offset of a billion", {"0.001", "0", "0", "0.001", "1e9", "0"}, false, 0},
  };
  ScreenDC screen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<CEmbedFontResouce> res(MakeProgramResource(4, MakeBareCff(c.matrix)));
    CFFTypeFontEngine engine;
    if (!engine.SetAccessFont(screen.dc, 0, res.get(), true)) {
      EXPECT_FALSE(c.made) << "no face";
      continue;
    }
    GraphicsPath a;
    Matrix m;
    float ax = 0, ay = 0;
    ASSERT_EQ(engine.PrepareGlyph('A', m, a, &ax, &ay), c.made);
    if (!c.made) continue;
    const RectF r = BoundsOf(a);
    EXPECT_NEAR(r.X + r.Width, c.boxRight * kEm, 1.0f);
    EXPECT_NEAR(ax, 1.2f * c.boxRight * kEm, 1.0f);  // the advance is 600 of 500 units' box
  }
}

TEST_F(GlyphEngineTest, FaceFailuresAndRepeatedStart) {
  EXPECT_TRUE(CFFTypeFontEngine::FFTypeInitialize());
  EXPECT_TRUE(CFFTypeFontEngine::FFTypeInitialize());
  ScreenDC screen;
  struct Case {
    const char* name;
    std::unique_ptr<CEmbedFontResouce> res;
  };
  std::unique_ptr<CEmbedFontResouce> noProgram(new CEmbedFontResouce());
  noProgram->SetEmbedFontFlag(0);
  Case cases[] = {
      {"no resource", nullptr},
      {"no program block", std::move(noProgram)},
      {"bytes that are no font", std::unique_ptr<CEmbedFontResouce>(MakeProgramResource(1, {1, 2, 3, 4}))},
      {"flag 3", std::unique_ptr<CEmbedFontResouce>(MakeProgramResource(1, MakeBareCff(), 0, 3))},
      {"flag 2 without a CIDFont file",
       std::unique_ptr<CEmbedFontResouce>(MakeProgramResource(1, MakeBareCff(), 0, 2))},
  };
  for (Case& c : cases) {
    CFFTypeFontEngine engine;
    EXPECT_FALSE(engine.SetAccessFont(screen.dc, 0, c.res.get(), true)) << c.name;
    EXPECT_EQ(engine.GetFace(), nullptr) << c.name;
    GraphicsPath path;
    Matrix m;
    float x = 0, y = 0;
    EXPECT_FALSE(engine.PrepareGlyph('A', m, path, &x, &y)) << c.name;
    EXPECT_EQ(engine.GetFontAscent(), 0.0f) << c.name;
    EXPECT_FALSE(engine.IsContainCharacters(L"A")) << c.name;
  }
}

TEST(CIDFontPath, OnlyPlainFileNamesInsideTheFolder) {
  std::string path;
  ASSERT_TRUE(CFFTypeFontEngine::GetCIDFontFilePath("Adobe-GB1.otf", path));
  const std::string tail = "/CIDFont/Adobe-GB1.otf";
  ASSERT_GE(path.size(), tail.size());
  EXPECT_EQ(path.substr(path.size() - tail.size()), tail);
  EXPECT_EQ(path.substr(0, path.size() - tail.size()), lw::NativePath(lw::ProgramFolder()));

  const char* refused[] = {"", ".", "..", "../secret", "/etc/passwd", "sub/font", "..\\font", "C:\\font", "a\nb"};
  for (const char* name : refused) {
    EXPECT_FALSE(CFFTypeFontEngine::GetCIDFontFilePath(name, path)) << name;
    EXPECT_TRUE(path.empty()) << name;
  }
  // A name filling the whole 128-byte field is cut at 127 bytes.
  char field[CPdfEmbedFontDesc::kNameSize];
  std::memset(field, 'x', sizeof(field));
  ASSERT_TRUE(CFFTypeFontEngine::GetCIDFontFilePath(field, path));
  EXPECT_EQ(path.substr(path.rfind('/') + 1), std::string(127, 'x'));
}

TEST_F(GlyphEngineTest, CIDFontFileOpensOnlyRegularFiles) {
  // Files in the CIDFont folder beside the test program, named after this process.
  const std::string folder = lw::NativePath(lw::ProgramFolder()) + "/CIDFont";
  ::mkdir(folder.c_str(), 0755);
  const std::string tag = std::to_string(::getpid());
  const std::string fontName = "gw-cff-" + tag, pipeName = "gw-pipe-" + tag;
  {
    const std::vector<unsigned char> cff = MakeBareCff();
    std::ofstream out(folder + "/" + fontName, std::ios::binary);
    out.write(reinterpret_cast<const char*>(cff.data()), static_cast<std::streamsize>(cff.size()));
  }
  ASSERT_EQ(::mkfifo((folder + "/" + pipeName).c_str(), 0600), 0);
  ScreenDC screen;
  for (const std::string& name : {fontName, pipeName}) {
    std::unique_ptr<CEmbedFontResouce> res(MakeProgramResource(1, {}, 0, 2));
    res->GetEmbedPdfFontContent()->SetFontName(name.c_str());
    CFFTypeFontEngine engine;
    const bool opened = engine.SetAccessFont(screen.dc, 0, res.get(), true);  // a pipe must not block
    EXPECT_EQ(opened, name == fontName) << name;
    if (opened) {
      GraphicsPath path;
      Matrix m;
      float x = 0, y = 0;
      EXPECT_TRUE(engine.PrepareGlyph('B', m, path, &x, &y));
      EXPECT_NEAR(x, 600 * kEm / 1000, 1.0f);
    }
  }
  std::remove((folder + "/" + fontName).c_str());
  std::remove((folder + "/" + pipeName).c_str());
  ::rmdir(folder.c_str());  // only when no one else left files there
}

TEST_F(GlyphEngineTest, FacadeChoosesTheEngine) {
  CEmbedFontResManager fonts;
  const std::vector<unsigned char> cff = MakeBareCff();
  fonts.AddEmbedFontResouce(MakeProgramResource(10, cff, 1, 0));
  fonts.AddEmbedFontResouce(MakeProgramResource(11, cff, 0, 1));
  fonts.AddEmbedFontResouce(MakeProgramResource(12, cff, 0, 2));
  fonts.AddEmbedFontResouce(MakeProgramResource(13, cff, 0, 3));
  auto* empty = new CEmbedFontResouce();
  empty->SetFontID(14);
  empty->SetEmbedFontFlag(0);
  fonts.AddEmbedFontResouce(empty);
  struct Case {
    int id;
    int engine;
  };
  const Case cases[] = {
      {-1, CAccessTextsOutline::kGdiEngine},      {10, CAccessTextsOutline::kFreeTypeEngine},
      {11, CAccessTextsOutline::kFreeTypeEngine}, {12, CAccessTextsOutline::kGdiEngine},
      {13, CAccessTextsOutline::kGdiEngine},      {14, CAccessTextsOutline::kGdiEngine},  // no program
      {99, CAccessTextsOutline::kGdiEngine},                                              // no resource
  };
  ScreenDC screen;
  for (const Case& c : cases) {
    CAccessTextsOutline access;
    EXPECT_TRUE(access.SetAccessFont(screen.dc, _CharsFontDesc(L"Arial", ANSI_CHARSET, 0, c.id), &fonts)) << c.id;
    EXPECT_EQ(access.GetSelectedEngine(), c.engine) << c.id;
    GraphicsPath path;
    Matrix m;
    float x = 0, y = 0;
    EXPECT_TRUE(access.PrepareGlyph('A', m, path, &x, &y)) << c.id;
    EXPECT_GT(path.GetPointCount(), 0) << c.id;
    EXPECT_TRUE(access.IsContainCharacters(L"AB\r")) << c.id;
  }
}

TEST_F(GlyphEngineTest, BoldUsesTheEmboldenedOutline) {
  ScreenDC screen;
  CAccessTextsOutline access;
  ASSERT_TRUE(access.SetAccessFont(screen.dc, _CharsFontDesc(L"Arial", ANSI_CHARSET, 0, -1), nullptr));
  GraphicsPath glyph, bold;
  Matrix m;
  float x = 0, y = 0;
  ASSERT_TRUE(access.PrepareGlyph('H', m, glyph, &x, &y));
  // The text's drawing grows bold glyphs by 24 reference units in x and y.
  ASSERT_EQ(EmboldenOutlineXY(glyph, bold, 24.0f, 24.0f), 1);
  ASSERT_EQ(bold.GetPointCount(), glyph.GetPointCount());
  const RectF r = BoundsOf(glyph), b = BoundsOf(bold);
  // The outline grows by the strength, and moves so that it grows a quarter of it up and left.
  EXPECT_NEAR(b.Width, r.Width + 24.0f, 0.01f);
  EXPECT_NEAR(b.Height, r.Height + 24.0f, 0.01f);
  EXPECT_NEAR(b.X, r.X - 6.0f, 0.01f);
  EXPECT_NEAR(b.Y, r.Y - 6.0f, 0.01f);
  // The stems of the H are thicker: a point just outside the left stem is inside the bold one.
  EXPECT_FALSE(glyph.IsVisible(r.X - 2.0f, r.Y + r.Height / 2));
  EXPECT_TRUE(bold.IsVisible(r.X - 2.0f, r.Y + r.Height / 2));
}
