// Layout and font changes of texts in installed fonts (Liberation Sans stands for "Arial",
// WenQuanYi Zen Hei for the Chinese face).

#include <gtest/gtest.h>

#include <wingdi.h>

#include "GlyphFixture.h"

namespace {

using namespace gwfix;

CRichFontDesc SystemFont(const wchar_t* face, float size = 12.0f) {
  CRichFontDesc f;
  f.SetFontFaceName(face);
  f.m_fFontSize = size;
  return f;
}

class RealFontText : public testing::Test {
 protected:
  void SetUp() override { m_dc = GetDC(nullptr); }
  void TearDown() override {
    ReleaseDC(nullptr, m_dc);
    m_cache.Reset();
  }
  void Insert(CEditableTextObj& t, int pos, const wchar_t* s, const CRichFontDesc& f) {
    t.InsertString(pos, s, -1, m_dc, f, nullptr, &m_cache);
  }
  HDC m_dc = nullptr;
  CFontCacheManager m_cache;
};

TEST_F(RealFontText, LaysOutParagraphsAndWraps) {
  BoxText t(1000, 1000);
  Insert(t, 0, L"Hello\rWorld", SystemFont(L"Arial"));
  for (const auto& c : t.GetArrayOfTextCharacters()) EXPECT_NE(c.GetCharGlyphPath(), nullptr);
  ASSERT_EQ(RowCounts(t), (std::vector<uint32_t>{6, 5}));
  const TTextLineInfo& row = t.GetParagraphsLinesInfo().GetAt(0);
  EXPECT_GT(row.m_fAscent, 8.0f);  // a 12-point font at 96 dpi: about 11 above the baseline
  EXPECT_LT(row.m_fAscent, 16.0f);
  EXPECT_GT(row.m_fDescent, 1.0f);
  EXPECT_GT(row.m_fWidth, 20.0f);
  // In a box as wide as the first row, the second paragraph wraps into more rows only when it
  // is wider: "WWWWW" is.
  BoxText narrow(row.m_fWidth, 1000);
  Insert(narrow, 0, L"Hello\rWWWWWW", SystemFont(L"Arial"));
  EXPECT_GE(narrow.GetParagraphsLinesInfo().GetSize(), 3);
  EXPECT_EQ(narrow.GetParagraphsLinesInfo().GetAt(0).m_nCharCount, 6u);
}

TEST_F(RealFontText, FaceChanges) {
  BoxText t(1000, 1000);
  Insert(t, 0, L"abc\rdef", SystemFont(L"Arial"));
  const _CharsFontDesc dejavu = SystemFont(L"DejaVu Sans");
  // Across a paragraph break: the break needs no glyph of the face.
  EXPECT_EQ(t.SetSelectionCharsFormat(0, -1, dejavu, nullptr, &m_cache), 1);
  ASSERT_EQ(t.GetFontRuns().GetSize(), 1);
  EXPECT_EQ(t.GetFontRunDesc(0), dejavu);

  const _CharsFontDesc arial = SystemFont(L"Arial");
  EXPECT_EQ(t.SetSelectionCharsFormat(5, 5, arial, nullptr, &m_cache), 1);
  ASSERT_EQ(t.GetFontRuns().GetSize(), 3);
  EXPECT_EQ(t.GetFontRuns().GetAt(1).m_nLength, 1u);
  EXPECT_EQ(t.GetFontRunDesc(1), arial);
  EXPECT_EQ(t.SetSelectionCharsFormat(5, 5, dejavu, nullptr, &m_cache), 1);
  EXPECT_EQ(t.GetFontRuns().GetSize(), 1);
  EXPECT_EQ(t.SetSelectionCharsFormat(9, 12, dejavu, nullptr, &m_cache), 0);  // past the end
}

TEST_F(RealFontText, FaceWithoutTheCharactersIsRefused) {
  BoxText t(1000, 1000);
  Insert(t, 0, L"a", SystemFont(L"Arial"));
  Insert(t, 1, L"\u4e2d", SystemFont(L"WenQuanYi Zen Hei"));
  ASSERT_EQ(t.GetFontRuns().GetSize(), 2);
  const CCharacterGlyphRes* before = t.GetArrayOfTextCharacters()[1].GetCharGlyphPath();
  EXPECT_EQ(t.SetSelectionCharsFormat(0, 1, SystemFont(L"Arial"), nullptr, &m_cache), 0);
  EXPECT_EQ(t.GetFontRuns().GetSize(), 2);
  EXPECT_EQ(t.GetArrayOfTextCharacters()[1].GetCharGlyphPath(), before);
}

// A character beyond the basic plane (U+1F600, which DejaVu Sans draws) is stored as two units
// and drawn as one glyph: the code point's outline and advance on the first unit, nothing on the
// second, whether the glyphs come from typing or from a full rebuild (loading a document).
TEST_F(RealFontText, CharacterBeyondTheBasicPlaneIsOneGlyph) {
  const CRichFontDesc face = SystemFont(L"DejaVu Sans", 24.0f);
  CCharacterGlyphRes* smiley = CCharacterItem::MakeGlyph(m_dc, face, nullptr, &m_cache, 0x1F600);
  CCharacterGlyphRes* lone = CCharacterItem::MakeGlyph(m_dc, face, nullptr, &m_cache, 0xD83D);  // the box
  ASSERT_NE(smiley, nullptr);
  ASSERT_NE(lone, nullptr);
  Gdiplus::RectF want, box;
  smiley->GetGlyphPathDataPointer()->GetBounds(&want);
  lone->GetGlyphPathDataPointer()->GetBounds(&box);
  ASSERT_NE(want.Width, box.Width);  // the face has the character: it is no missing-glyph box
  const float k = 24.0f / 1024.0f;
  const float advance = smiley->GetReferIncx() * k;
  ASSERT_GT(advance, 10.0f);

  const wchar_t units[] = {L'A', 0xD83D, 0xDE00, L'B', 0};
  for (const bool rebuilt : {false, true}) {
    SCOPED_TRACE(rebuilt ? "rebuilt" : "typed");
    BoxText t(1000, 1000);
    Insert(t, 0, units, face);
    if (rebuilt) {
      m_cache.Reset();
      t.BuildAllGlypths(nullptr, &m_cache);
      t.RecalcuLayout(0);
    }
    const auto& c = t.GetArrayOfTextCharacters();
    ASSERT_EQ(c.size(), 4u);  // still four units
    EXPECT_EQ(c[1].GetCharacter(), 0xD83D);
    EXPECT_EQ(c[2].GetCharacter(), 0xDE00);
    Gdiplus::RectF got;
    c[1].GetCharGlyphPath()->GetGlyphPathDataPointer()->GetBounds(&got);
    EXPECT_FLOAT_EQ(got.X, want.X);
    EXPECT_FLOAT_EQ(got.Width, want.Width);
    EXPECT_FLOAT_EQ(got.Height, want.Height);
    EXPECT_TRUE(c[2].IsEmptyGlyphPath());
    EXPECT_EQ(c[2].GetIncreaseDeltaX(), 0.0f);
    // One advance between A and B, also with letter spacing.
    EXPECT_NEAR(c[3].GetCharOffset().x - c[1].GetCharOffset().x, advance, 0.01f);
    t.SetSelectionCharsSpacing(0, -1, 2.0f);
    EXPECT_NEAR(c[3].GetCharOffset().x - c[1].GetCharOffset().x, advance + 2.0f, 0.01f);
    // A click just past the character puts the caret after it, one on it before it, never
    // between its units.
    const float y = c[1].GetCharOffset().y - 5.0f;
    EXPECT_EQ(t.HitTestCaretPos({c[1].GetCharOffset().x + advance + 1.0f, y}), 3);
    EXPECT_EQ(t.HitTestCaretPos({c[1].GetCharOffset().x + advance * 0.6f, y}), 1);
  }

  // A pair an edit breaks shows its unit again.
  BoxText t(1000, 1000);
  Insert(t, 0, units, face);
  ASSERT_TRUE(t.DeleteString(2, 1));
  const auto& c = t.GetArrayOfTextCharacters();
  Gdiplus::RectF got;
  c[1].GetCharGlyphPath()->GetGlyphPathDataPointer()->GetBounds(&got);
  EXPECT_FLOAT_EQ(got.Width, box.Width);
  smiley->Release();
  lone->Release();
}

}  // namespace
