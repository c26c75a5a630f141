#include <gtest/gtest.h>

#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
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

  // Characters of size 0 draw nothing visible and do not fail.
  text.SetSelectionCharsFontSize(0, -1, 0.0f);
  text.RecalcuLayout(0);
  DrawAndProbe(text);
  text.ResizeObject({0, 0, 0, 0});
  cache.Reset();
}
