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

}  // namespace
