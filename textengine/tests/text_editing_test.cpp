// Inserting and deleting: characters, font runs and rows stay consistent.

#include <gtest/gtest.h>

#include "GlyphFixture.h"

namespace {

using namespace gwfix;
using RunList = std::vector<std::pair<uint32_t, int>>;
constexpr int A = 7, B = 8, C = 9;

std::u16string Units(const CEditableTextObj& t) {
  std::u16string s;
  for (const auto& c : t.GetArrayOfTextCharacters()) s += c.GetCharacter();
  return s;
}

TEST(TextEditing, InsertKeepsFontRuns) {
  struct Step {
    int pos;
    std::wstring text;
    int font;
  };
  struct Case {
    const char* name;
    std::vector<Step> steps;
    std::u16string chars;
    RunList runs;
  };
  const std::vector<Case> cases = {
      {"at 0, same font", {{0, L"xyz", A}, {0, L"i", A}}, u"ixyz", {{4, A}}},
      {"at 0, other font", {{0, L"xyz", A}, {0, L"i", B}}, u"ixyz", {{1, B}, {3, A}}},
      {"at the end, same font", {{0, L"xyz", A}, {3, L"ii", A}}, u"xyzii", {{5, A}}},
      {"at the end, other font", {{0, L"xyz", A}, {3, L"ii", B}}, u"xyzii", {{3, A}, {2, B}}},
      {"in the middle splits the run", {{0, L"xyz", A}, {1, L"i", B}}, u"xiyz",
       {{1, A}, {1, B}, {2, A}}},
      {"before the last character, a third font", {{0, L"xy", A}, {2, L"z", B}, {2, L"i", C}},
       u"xyiz", {{2, A}, {1, C}, {1, B}}},
      {"the run before wins over the run at pos", {{0, L"xy", A}, {2, L"z", B}, {2, L"i", B}},
       u"xyiz", {{2, A}, {2, B}}},
      {"past the end appends", {{0, L"xyz", A}, {99, L"i", B}}, u"xyzi", {{3, A}, {1, B}}},
      {"past the end, same font", {{0, L"xyz", A}, {99, L"i", A}}, u"xyzi", {{4, A}}},
      {"a character above the BMP comes in as two units",
       {{0, TextUnitsFromCodePoints(L"x\U0001F600"), A}}, u"x\U0001F600", {{3, A}}},
      {"units are stored as given, a lone surrogate too", {{0, L"x\xD83Dy", A}}, u"x\xD83Dy",
       {{3, A}}},
      {"an element above U+FFFF is no unit", {{0, L"x\U0001F600", A}}, u"x\uFFFD", {{2, A}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GlyphFixture fx;
    BoxText t;
    for (const auto& s : c.steps) fx.Insert(t, s.pos, s.text, s.font);
    EXPECT_EQ(Units(t), c.chars);
    EXPECT_EQ(Runs(t), c.runs);
  }
}

TEST(TextEditing, InsertedCharacterTakesTheFormat) {
  GlyphFixture fx;
  BoxText t;
  CRichFontDesc f = GlyphFixture::Font(B);
  f.m_fFontSize = 20.0f;
  f.m_bBold = 3;
  f.m_bItalic = 1;
  f.m_bUnderline = 1;
  f.m_crRenderColor = 0x123456;
  t.InsertString(0, L"xyz", 2, nullptr, f, nullptr, &fx.Cache());  // len counts
  ASSERT_EQ(Units(t), u"xy");
  const CCharacterItem& c = t.GetArrayOfTextCharacters()[1];
  EXPECT_FLOAT_EQ(c.GetFontPointSize(), 20.0f);
  EXPECT_EQ(c.IsBold(), 1);
  EXPECT_FLOAT_EQ(c.GetItalicSkew(), -0.36397f);
  EXPECT_TRUE(c.HasUnderline());
  EXPECT_EQ(c.GetRenderColor(), 0x123456u);
  EXPECT_FALSE(c.HasStrikeOut());
  EXPECT_TRUE(c.IsFillInside());
  EXPECT_NE(c.GetCharGlyphPath(), nullptr);
  // Both items of 'x' share the cached glyph.
  fx.Insert(t, 2, L"x", B);
  EXPECT_EQ(t.GetArrayOfTextCharacters()[2].GetCharGlyphPath(),
            t.GetArrayOfTextCharacters()[0].GetCharGlyphPath());
}

TEST(TextEditing, InsertNothing) {
  GlyphFixture fx;
  BoxText t;
  fx.Insert(t, 0, L"xy");
  t.InsertString(1, nullptr, -1, nullptr, GlyphFixture::Font(B), nullptr, &fx.Cache());
  t.InsertString(1, L"zz", 0, nullptr, GlyphFixture::Font(B), nullptr, &fx.Cache());
  EXPECT_EQ(Units(t), u"xy");
  EXPECT_EQ(Runs(t), (RunList{{2, A}}));
  EXPECT_EQ(RowCounts(t), std::vector<uint32_t>{2});
}

TEST(TextEditing, Delete) {
  struct Case {
    const char* name;
    int first, count;
    bool result;
    std::u16string chars;
    RunList runs;
  };
  // "xy" in A, "iz" in B, "xyz" in C.
  const std::vector<Case> cases = {
      {"across three runs", 1, 5, true, u"xz", {{1, A}, {1, C}}},
      {"clipped at the end", 5, 100, true, u"xyizx", {{2, A}, {2, B}, {1, C}}},
      {"a whole run", 2, 2, true, u"xyxyz", {{2, A}, {3, C}}},
      {"everything", 0, 7, true, u"", {}},
      {"negative first", -1, 2, false, u"xyizxyz", {{2, A}, {2, B}, {3, C}}},
      {"first at the count", 7, 1, false, u"xyizxyz", {{2, A}, {2, B}, {3, C}}},
      {"count 0", 3, 0, false, u"xyizxyz", {{2, A}, {2, B}, {3, C}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GlyphFixture fx;
    BoxText t;
    fx.Insert(t, 0, L"xy", A);
    fx.Insert(t, 2, L"iz", B);
    fx.Insert(t, 4, L"xyz", C);
    EXPECT_EQ(t.DeleteString(c.first, c.count), c.result);
    EXPECT_EQ(Units(t), c.chars);
    EXPECT_EQ(Runs(t), c.runs);
    if (c.chars.empty()) {
      EXPECT_EQ(t.GetParagraphsLinesInfo().GetSize(), 0);
    }
  }
}

// A deletion in the second row lets the characters after it move up into the first.
TEST(TextEditing, DeleteLetsCharactersMoveUp) {
  GlyphFixture fx;
  BoxText t(25, 100);
  fx.Insert(t, 0, L"xiWz");  // "xi" (15 wide), "W", "z"
  ASSERT_EQ(RowCounts(t), (std::vector<uint32_t>{2, 1, 1}));
  EXPECT_TRUE(t.DeleteString(2, 1));
  EXPECT_EQ(RowCounts(t), std::vector<uint32_t>{3});
  EXPECT_EQ(t.GetArrayOfTextCharacters()[2].GetCharOffset(), (Vectorloom::CQorVectorPoint<float>(15, 8)));
}

// Gaps stay with their absolute line numbers.
TEST(TextEditing, GapsAreNotRenumbered) {
  GlyphFixture fx;
  BoxText t;
  t.SetRowGap(1, 5.0f);
  fx.Insert(t, 0, L"x\ry\rz");
  fx.Insert(t, 0, L"\r");
  EXPECT_FLOAT_EQ(t.GetRowGap(1), 5.0f);
  // Lines: "\r" (0), "x\r" (1), "y\r" (2), "z": the gap now follows "x\r".
  EXPECT_FLOAT_EQ(t.GetArrayOfTextCharacters()[3].GetCharOffset().y, 8 + 11 + 11 + 5);
}

}  // namespace
