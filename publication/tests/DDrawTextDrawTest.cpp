#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <glyphweave/FontCacheManager.h>
#include <quirebook/DDrawTextObj.h>

namespace {

// Counts the pixels of a white canvas that the text changed, and those that are reddish.
struct Probe {
  int changed = 0, red = 0;
};

Probe DrawAndProbe(CDDrawTextObj& text) {
  Gdiplus::Bitmap canvas(160, 60, Gdiplus::PixelFormat32bppARGB);
  Gdiplus::Graphics g(&canvas);
  g.Clear(Gdiplus::Color(255, 255, 255, 255));
  const Gdiplus::Matrix before(2, 0, 0, 2, 3, 4);
  g.SetTransform(&before);
  Gdiplus::Matrix view;  // page = device
  text.Draw(&g, view);
  // The caller's world transform comes back unchanged.
  Gdiplus::Matrix after;
  g.GetTransform(&after);
  Gdiplus::REAL e[6] = {};
  after.GetElements(e);
  EXPECT_EQ(e[0], 2.0f);
  EXPECT_EQ(e[4], 3.0f);
  EXPECT_EQ(e[5], 4.0f);
  Probe p;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 160; ++x) {
      Gdiplus::Color c;
      canvas.GetPixel(x, y, &c);
      if (c.GetR() != 255 || c.GetG() != 255 || c.GetB() != 255) ++p.changed;
      if (c.GetR() > 200 && c.GetG() < 100 && c.GetB() < 100) ++p.red;
    }
  return p;
}

}  // namespace

TEST(DDrawTextDraw, GlyphsAreDrawnOnlyWhenFilledOrStroked) {
  GlyphweaveLib::CFontCacheManager cache;
  HDC dc = GetDC(nullptr);
  CDDrawTextObj text;
  text.SetLayoutBox(150.0f, 50.0f);
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(L"DejaVu Sans");
  font.m_fFontSize = 24.0f;
  font.m_crRenderColor = RGB(255, 0, 0);
  text.InsertString(0, L"HH", -1, dc, font, nullptr, &cache);
  text.SetSelectionCharsUnderlineFlag(0, -1, true);
  text.RecalcuLayout(0);
  ReleaseDC(nullptr, dc);

  const Probe drawn = DrawAndProbe(text);
  EXPECT_GT(drawn.red, 50);

  // Neither filled nor stroked: no glyph and no underline either.
  for (auto& c : text.GetArrayOfTextCharacters()) {
    c.SetFillInside(false);
    c.SetStrokeOutline(false);
  }
  EXPECT_EQ(DrawAndProbe(text).changed, 0);

  // Stroked only: outlines in the stroke colour.
  for (auto& c : text.GetArrayOfTextCharacters()) {
    c.SetStrokeOutline(true);
    c.SetStrokedColor(RGB(0, 0, 255));
  }
  const Probe stroked = DrawAndProbe(text);
  EXPECT_GT(stroked.changed, 20);

  // Characters of size 0 (read from a file; the size setter never gives less than 1 pt) draw
  // no glyph and no underline, not even with letter spacing giving the line a length, and leave
  // the caller's transform alone.
  for (auto& c : text.GetArrayOfTextCharacters()) {
    c.SetFontPointSize(0.0f);
    c.SetCharSpacing(10.0f);
    c.SetHasStrikeOutFlag(true);
  }
  EXPECT_EQ(DrawAndProbe(text).changed, 0);
  // Laid out again in a box of no size, they still draw nothing.
  text.ResizeObject({0, 0, 0, 0});
  EXPECT_EQ(text.GetLayoutBox(), (Vectorloom::CQorVectorSize<float>(0.0f, 0.0f)));
  EXPECT_EQ(DrawAndProbe(text).changed, 0);
  cache.Reset();
}

namespace {

// A white canvas with a text drawn on it at 1 device pixel per text unit.
struct Canvas {
  static constexpr int kWidth = 160, kHeight = 60;
  std::vector<Gdiplus::Color> pixels;

  explicit Canvas(CDDrawTextObj& text) : pixels(kWidth * kHeight) {
    Gdiplus::Bitmap bitmap(kWidth, kHeight, Gdiplus::PixelFormat32bppARGB);
    {
      Gdiplus::Graphics g(&bitmap);
      g.Clear(Gdiplus::Color(255, 255, 255, 255));
      g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      Gdiplus::Matrix view;
      text.Draw(&g, view);
    }
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) bitmap.GetPixel(x, y, &pixels[y * kWidth + x]);
  }
  const Gdiplus::Color& At(int x, int y) const { return pixels[y * kWidth + x]; }
  // How far a pixel is from white, 0..765.
  int Ink(int x, int y) const {
    const Gdiplus::Color& c = At(x, y);
    return 765 - c.GetR() - c.GetG() - c.GetB();
  }
  long TotalInk() const {
    long n = 0;
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) n += Ink(x, y);
    return n;
  }
};

// A red "HH" of 24 pt in DejaVu Sans, laid out in a 150 x 50 box.
struct RedText {
  GlyphweaveLib::CFontCacheManager cache;
  CDDrawTextObj text;

  RedText() {
    HDC dc = GetDC(nullptr);
    text.SetLayoutBox(150.0f, 50.0f);
    GlyphweaveLib::CRichFontDesc font;
    font.SetFontFaceName(L"DejaVu Sans");
    font.m_fFontSize = 24.0f;
    font.m_crRenderColor = RGB(255, 0, 0);
    text.InsertString(0, L"HH", -1, dc, font, nullptr, &cache);
    text.RecalcuLayout(0);
    ReleaseDC(nullptr, dc);
  }
  ~RedText() { cache.Reset(); }
  GlyphweaveLib::CCharacterItem& First() { return text.GetArrayOfTextCharacters()[0]; }
};

// The ink-weighted mean row and the number of rows of what `after` adds to `before`.
struct Band {
  double centre = 0;
  int rows = 0;
};

Band AddedBand(const Canvas& before, const Canvas& after) {
  double weight = 0, sum = 0;
  int first = -1, last = -1;
  for (int y = 0; y < Canvas::kHeight; ++y) {
    int row = 0;
    for (int x = 0; x < Canvas::kWidth; ++x) row += std::max(0, after.Ink(x, y) - before.Ink(x, y));
    if (row < 255) continue;  // anti-aliasing fringe of a line, or nothing
    if (first < 0) first = y;
    last = y;
    weight += row;
    sum += row * (y + 0.5);
  }
  Band b;
  if (weight > 0) b = {sum / weight, last - first + 1};
  return b;
}

}  // namespace

// A stroked outline is drawn with the glyph's own pen, which is far thinner than a pixel; it
// shows as a line one device pixel wide at every size: measured across the stems of "HH" below
// the cross bar, at each of the eight edges.
TEST(DDrawTextDraw, StrokedOutlinesShowOnePixelWide) {
  for (const float size : {18.0f, 30.0f}) {
    SCOPED_TRACE(size);
    RedText red;
    red.text.SetSelectionCharsFontSize(0, -1, size);
    for (auto& c : red.text.GetArrayOfTextCharacters()) {
      c.SetFillInside(false);
      c.SetStrokeOutline(true);
      c.SetStrokedColor(RGB(0, 0, 255));
    }
    red.text.RecalcuLayout(0);
    ASSERT_EQ(red.text.GetParagraphsLinesInfo().GetSize(), 1);
    const Canvas canvas(red.text);
    const int y = static_cast<int>(red.First().GetCharOffset().y) - 4;  // below the cross bar
    ASSERT_LT(y, Canvas::kHeight);
    long ink = 0;
    for (int x = 0; x < Canvas::kWidth; ++x) ink += canvas.Ink(x, y);
    const double edgeWidth = ink / 510.0 / 8.0;  // a blue pixel fully covered has 510 of ink
    EXPECT_NEAR(edgeWidth, 1.0, 0.3);
  }
}

// Bold characters are drawn with an emboldened outline (the font itself stays regular).
TEST(DDrawTextDraw, BoldCharactersAreEmboldened) {
  RedText t;
  const long regular = Canvas(t.text).TotalInk();
  t.text.SetSelectionCharsBold(0, -1, true, nullptr, &t.cache);
  ASSERT_EQ(t.First().IsBold(), 1);
  const long bold = Canvas(t.text).TotalInk();
  EXPECT_GT(regular, 100 * 510);
  EXPECT_GT(bold, regular * 11 / 10) << regular;
}

// The underline lies in the descent, below the glyphs, and the strike-through crosses them at
// three fifths of the line height from its top; both are as long as the characters' advance.
TEST(DDrawTextDraw, UnderlineAndStrikeOutSitWhereTheFontMetricsPutThem) {
  RedText t;
  const GlyphweaveLib::CCharacterItem& c = t.First();
  const float baseline = c.GetCharOffset().y;
  const float a = c.GetActualAscent(), d = c.GetActualDescent(), e = c.GetCharExternalLeading();
  ASSERT_GT(a, 10.0f);
  ASSERT_GT(d, 2.0f);
  const Canvas plain(t.text);

  // The lowest inked row of the plain glyphs is the baseline's.
  int glyphBottom = -1;
  for (int y = 0; y < Canvas::kHeight; ++y)
    for (int x = 0; x < Canvas::kWidth; ++x)
      if (plain.Ink(x, y) > 0) glyphBottom = y;
  ASSERT_NEAR(glyphBottom, baseline, 1.0);

  const struct {
    bool underline;
    double centre, thickness;
  } cases[] = {{true, baseline + d + e / 2, (a + d) / 10}, {false, baseline - a + 0.6 * (a + d), (a + d) / 30}};
  for (const auto& k : cases) {
    SCOPED_TRACE(k.underline ? "underline" : "strike-out");
    for (auto& ch : t.text.GetArrayOfTextCharacters()) {
      ch.SetHasUnderlineFlag(k.underline);
      ch.SetHasStrikeOutFlag(!k.underline);
    }
    const Canvas lined(t.text);
    const Band band = AddedBand(plain, lined);
    ASSERT_GT(band.rows, 0);
    EXPECT_NEAR(band.centre, k.centre, 0.75);
    EXPECT_LE(band.rows, static_cast<int>(k.thickness) + 2);
    if (k.underline) {
      EXPECT_GT(band.centre - k.thickness / 2, glyphBottom);
    } else {
      EXPECT_LT(band.centre, baseline - 1);
      EXPECT_GT(band.centre, baseline - a);
    }
    // The line spans both characters: it adds ink left of the first stem and between them.
    const int y = static_cast<int>(band.centre);
    const float x0 = c.GetCharOffset().x, x1 = x0 + c.GetIncreaseDeltaX() * 2;
    int covered = 0;
    for (int x = static_cast<int>(x0) + 1; x < static_cast<int>(x1) - 1; ++x) covered += lined.Ink(x, y) > 0;
    EXPECT_GE(covered, static_cast<int>(x1 - x0) - 3);
  }
}

// The fill's transparency fades the glyphs: the most covered pixel of a red glyph drawn at
// transparency t over white has green and blue of about t.
TEST(DDrawTextDraw, FillTransparencyFadesTheGlyphs) {
  RedText t;
  for (const int transparency : {0, 100, 200, 255}) {
    for (auto& c : t.text.GetArrayOfTextCharacters()) c.SetFilledTransparency(static_cast<BYTE>(transparency));
    const Canvas canvas(t.text);
    int deepest = 255;
    for (const auto& p : canvas.pixels) deepest = std::min<int>(deepest, p.GetG());
    EXPECT_NEAR(deepest, transparency, 3) << transparency;
  }
}

// The smallest size the size setter gives is 1 pt: such characters still leave a mark, within
// one or two pixels of their row.
TEST(DDrawTextDraw, TheSmallestSettableSizeDrawsATinyMark) {
  RedText t;
  t.text.SetSelectionCharsFontSize(0, -1, 0.0f);
  ASSERT_EQ(t.First().GetActualFontSize(), 1.0f);
  const Canvas canvas(t.text);
  int inked = 0, bottom = -1;
  for (int y = 0; y < Canvas::kHeight; ++y)
    for (int x = 0; x < Canvas::kWidth; ++x)
      if (canvas.Ink(x, y) > 0) ++inked, bottom = std::max(bottom, y);
  EXPECT_GT(inked, 0);
  EXPECT_LE(inked, 6);
  EXPECT_LE(bottom, 2);
}

// A character beyond the basic plane (U+1F600 of DejaVu Sans, stored as two units) is drawn as
// the face's one glyph: the ink fills the glyph's own outline box, and no missing-glyph box of
// either unit stands beside it.
TEST(DDrawTextDraw, ACharacterBeyondTheBasicPlaneIsDrawnAsOneGlyph) {
  GlyphweaveLib::CFontCacheManager cache;
  CDDrawTextObj text;
  HDC dc = GetDC(nullptr);
  text.SetLayoutBox(150.0f, 50.0f);
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(L"DejaVu Sans");
  font.m_fFontSize = 24.0f;
  font.m_crRenderColor = RGB(255, 0, 0);
  const wchar_t units[] = {0xD83D, 0xDE00, 0};
  text.InsertString(0, units, -1, dc, font, nullptr, &cache);
  text.RecalcuLayout(0);
  GlyphweaveLib::CCharacterGlyphRes* glyph = GlyphweaveLib::CCharacterItem::MakeGlyph(dc, font, nullptr, &cache, 0x1F600);
  ReleaseDC(nullptr, dc);
  ASSERT_NE(glyph, nullptr);
  Gdiplus::RectF outline;
  glyph->GetGlyphPathDataPointer()->GetBounds(&outline);
  glyph->Release();
  const auto& c = text.GetArrayOfTextCharacters();
  ASSERT_EQ(c.size(), 2u);
  const float k = 24.0f / 1024.0f;
  const float left = c[0].GetCharOffset().x + outline.X * k, right = left + outline.Width * k;
  const float top = c[0].GetCharOffset().y + outline.Y * k, bottom = top + outline.Height * k;
  ASSERT_GT(right - left, 10.0f);

  const Canvas canvas(text);
  int x0 = Canvas::kWidth, x1 = -1, y0 = Canvas::kHeight, y1 = -1;
  for (int y = 0; y < Canvas::kHeight; ++y)
    for (int x = 0; x < Canvas::kWidth; ++x)
      if (canvas.Ink(x, y) > 60) {
        x0 = std::min(x0, x);
        x1 = std::max(x1, x);
        y0 = std::min(y0, y);
        y1 = std::max(y1, y);
      }
  ASSERT_GE(x1, 0);
  EXPECT_NEAR(x0, left, 1.5);
  EXPECT_NEAR(x1 + 1, right, 1.5);
  EXPECT_NEAR(y0, top, 1.5);
  EXPECT_NEAR(y1 + 1, bottom, 1.5);
}
