#include <gtest/gtest.h>

#include <cmath>

#include <quirebook/DDrawTextObj.h>

namespace {

// A text of `count` characters without glyphs: each advances by its spacing only.
void Fill(CDDrawTextObj& text, int count, float spacing, float shift) {
  for (int i = 0; i < count; ++i) {
    GlyphweaveLib::CCharacterItem ch;
    ch.SetCharacter(u'a');
    ch.SetFontPointSize(12);
    ch.SetCharSpacing(spacing);
    ch.SetHorizontalShift(i == 1 ? shift : 0);
    ch.SetCharYScale(0.5f);
    text.GetArrayOfTextCharacters().push_back(ch);
  }
}

TEST(NormalizePDFText, FoldsScaleIntoCharactersAndLaysOutOneRow) {
  struct Case {
    const char* name;
    Vectorloom::CQorTransMatrix matrix;
    float shift;           // horizontal shift of the second character, before folding
    float expectWidth;     // of three characters with spacing 10
    float expectM11, expectYScale, expectSkew;
    float expectSecondX;   // where the second character starts
  } cases[] = {
      {"plain", {1, 0, 0, 1, 5, 6}, 0, 30, 1, 0.5f, 0, 10},
      {"scaled", {2, 0, 0, 3, 5, 6}, 0, 60, 1, 1.5f, 0, 20},
      {"positive shift widens", {1, 0, 0, 1, 5, 6}, 4, 34, 1, 0.5f, 0, 14},
      {"negative shift does not narrow", {1, 0, 0, 1, 5, 6}, -4, 30, 1, 0.5f, 0, 6},
      {"shear becomes skew", {1, 0, 0.5f, 2, 5, 6}, 0, 30, 1, 1.0f, 0.5f, 10},
      {"zero height keeps skew finite", {1, 0, 0.5f, 0, 5, 6}, 0, 30, 1, 0, 0, 10},
      {"rotated keeps its matrix", {0, 1, -1, 0, 5, 6}, 0, 30, 0, 0.5f, 0, 10},
  };
  for (const Case& c : cases) {
    CDDrawTextObj text;
    Fill(text, 3, 10, c.shift);
    text.SetTransMatrix(c.matrix, false);
    text.NormalizePDFText(false);
    const auto& m = text.GetTransMatrix();
    EXPECT_FLOAT_EQ(m.m11, c.expectM11) << c.name;
    EXPECT_FLOAT_EQ(m.dx, 5) << c.name;
    EXPECT_FLOAT_EQ(m.dy, 6) << c.name;
    ASSERT_EQ(text.GetParagraphsLinesInfo().GetSize(), 1) << c.name;
    EXPECT_EQ(text.GetParagraphsLinesInfo().GetAt(0).m_nCharCount, 3u);
    EXPECT_FLOAT_EQ(text.GetLayoutBox().cx, c.expectWidth) << c.name;
    const auto& ch = text.GetArrayOfTextCharacters()[1];
    EXPECT_FLOAT_EQ(ch.GetCharYScale(), c.expectYScale) << c.name;
    EXPECT_TRUE(std::isfinite(ch.GetItalicSkew())) << c.name;
    EXPECT_FLOAT_EQ(ch.GetItalicSkew(), c.expectSkew) << c.name;
    // Characters are placed at the running x, shifts included.
    EXPECT_FLOAT_EQ(ch.GetCharOffset().x, c.expectSecondX) << c.name;
  }
}

TEST(NormalizePDFText, MovesUpByTheRowAscentAndHandlesAnEmptyText) {
  CDDrawTextObj text;
  text.SetTransMatrix({1, 0, 0, 1, 10, 20}, false);
  text.NormalizePDFText(true);
  EXPECT_FLOAT_EQ(text.GetLayoutBox().cx, 0);
  EXPECT_FLOAT_EQ(text.GetLayoutBox().cy, 0);  // no characters: no negative height
  EXPECT_FLOAT_EQ(text.GetTransMatrix().dy, 20);

  // Glyph-less characters have no ascent; the row keeps the maxima of its characters.
  CDDrawTextObj plain;
  Fill(plain, 2, 5, 0);
  plain.SetTransMatrix({1, 0, 0, 1, 10, 20}, false);
  plain.NormalizePDFText(true);
  const auto& row = plain.GetParagraphsLinesInfo().GetAt(0);
  EXPECT_FLOAT_EQ(plain.GetTransMatrix().dy, 20 - row.m_fAscent);
  EXPECT_FLOAT_EQ(plain.GetLayoutBox().cy, row.m_fAscent + row.m_fDescent + row.m_fLeading);
}

}  // namespace
