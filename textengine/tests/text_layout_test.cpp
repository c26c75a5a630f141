// Layout: rows, widths and character offsets on hand-made glyphs of exact metrics.

#include <gtest/gtest.h>

#include <random>

#include "GlyphFixture.h"

namespace {

using namespace gwfix;
using Pt = Vectorloom::CQorVectorPoint<float>;

struct LayoutCase {
  const char* name;
  std::wstring text;
  float w, h;
  std::vector<std::pair<unsigned short, float>> gaps;
  std::vector<uint32_t> counts;
  std::vector<float> widths;
  std::vector<std::pair<int, Pt>> offsets;  // character index -> offset
};

TEST(TextLayout, RowsAndOffsets) {
  const std::vector<LayoutCase> cases = {
      {"empty", L"", 100, 100, {}, {}, {}, {}},
      // A row is 8 + 2 + 1 = 11 high; its characters sit on the baseline at top + 8.
      {"paragraphs", L"xy\rz", 100, 100, {}, {3, 1}, {20, 10},
       {{0, {0, 8}}, {1, {10, 8}}, {2, {20, 8}}, {3, {0, 19}}}},
      {"gap of line 0", L"xy\rz", 100, 100, {{0, 4}}, {3, 1}, {20, 10}, {{3, {0, 23}}}},
      // Line 1 wraps into two rows; its gap comes after each of them.
      {"gap after every row of a line", L"x\ryyy", 25, 100, {{1, 3}}, {2, 2, 1}, {10, 20, 10},
       {{2, {0, 19}}, {3, {10, 19}}, {4, {0, 33}}}},
      {"exact fit does not wrap", L"xyz", 30, 100, {}, {3}, {30}, {{2, {20, 8}}}},
      {"box narrower than the first character", L"xy", 5, 100, {}, {}, {}, {}},
      // An over-wide character that wraps stands alone in its row, wider than the box.
      {"over-wide wrapped character", L"xWy", 15, 100, {}, {1, 1, 1}, {10, 20, 10},
       {{1, {0, 19}}, {2, {0, 30}}}},
      // The third row would end at 33 > 30: only two rows are made.
      {"height stop", L"xy\rxy\rxy", 100, 30, {}, {3, 3}, {20, 20}, {{4, {10, 19}}}},
      // A wrapped character opens its row without the height test; the next one stops.
      {"wrapped character passes the bottom", L"xyxyxy", 25, 30, {}, {2, 2, 1}, {20, 20, 10},
       {{4, {0, 30}}}},
      {"line feed is an ordinary character", L"x\ny", 100, 100, {}, {3}, {20}, {{2, {10, 8}}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GlyphFixture fx;
    BoxText t(c.w, c.h);
    for (const auto& [line, gap] : c.gaps) t.SetRowGap(line, gap);
    fx.Insert(t, 0, c.text);
    EXPECT_EQ(RowCounts(t), c.counts);
    const auto& rows = t.GetParagraphsLinesInfo();
    for (int r = 0; r < rows.GetSize() && r < static_cast<int>(c.widths.size()); ++r) {
      EXPECT_FLOAT_EQ(rows.GetAt(r).m_fWidth, c.widths[r]) << "row " << r;
      EXPECT_FLOAT_EQ(rows.GetAt(r).m_fAscent, 8.0f);
      EXPECT_FLOAT_EQ(rows.GetAt(r).m_fDescent, 2.0f);
      EXPECT_FLOAT_EQ(rows.GetAt(r).m_fLeading, 1.0f);
    }
    for (const auto& [i, p] : c.offsets) EXPECT_EQ(t.GetArrayOfTextCharacters()[i].GetCharOffset(), p) << "char " << i;
  }
}

TEST(TextLayout, TallCharacterStopsTheRowItWouldOpen) {
  GlyphFixture fx;
  BoxText t(100, 20);
  fx.Insert(t, 0, L"xyz");
  t.GetArrayOfTextCharacters()[1].SetFontPointSize(32.0f);  // 16 + 4 + 2 = 22 > 20
  t.RecalcuLayout(0);
  EXPECT_EQ(RowCounts(t), std::vector<uint32_t>{1});
  EXPECT_EQ(t.GetArrayOfTextCharacters()[0].GetCharOffset(), Pt(0, 8));
}

TEST(TextLayout, ScriptsAndShifts) {
  GlyphFixture fx;
  BoxText t(100, 100);
  fx.Insert(t, 0, L"xyz");
  auto& chars = t.GetArrayOfTextCharacters();
  // Superscript: raised by a third of 8 + 2, its own metrics at 2/3.
  chars[1].SetShowAsScriptFlag(2);
  t.RecalcuLayout(0);
  const float up = 10.0f / 3.0f;
  EXPECT_NEAR(t.GetParagraphsLinesInfo().GetAt(0).m_fAscent, 8.0f * 2 / 3 + up, 1e-5);
  EXPECT_NEAR(t.GetParagraphsLinesInfo().GetAt(0).m_fWidth, 10 + 10.0f * 2 / 3 + 10, 1e-5);
  EXPECT_NEAR(chars[2].GetCharOffset().x, 10 + 10.0f * 2 / 3, 1e-5);
  // Subscript: lowered by a sixth.
  chars[1].SetShowAsScriptFlag(1);
  t.RecalcuLayout(0);
  EXPECT_NEAR(t.GetParagraphsLinesInfo().GetAt(0).m_fDescent, 2.0f * 2 / 3 + 10.0f / 6, 1e-5);
  EXPECT_FLOAT_EQ(t.GetParagraphsLinesInfo().GetAt(0).m_fAscent, 8.0f);
  // A horizontal shift moves the character and counts in the width.
  chars[1].SetShowAsScriptFlag(0);
  chars[1].SetHorizontalShift(4.0f);
  t.RecalcuLayout(0);
  EXPECT_EQ(chars[1].GetCharOffset(), Pt(14, 8));
  EXPECT_FLOAT_EQ(t.GetParagraphsLinesInfo().GetAt(0).m_fWidth, 34.0f);
}

TEST(TextLayout, WrappedCharacterLosesItsShiftButTheRowKeepsIt) {
  GlyphFixture fx;
  BoxText t(25, 100);
  fx.Insert(t, 0, L"xyz");
  t.GetArrayOfTextCharacters()[2].SetHorizontalShift(2.0f);
  t.RecalcuLayout(0);
  EXPECT_EQ(RowCounts(t), (std::vector<uint32_t>{2, 1}));
  EXPECT_FLOAT_EQ(t.GetParagraphsLinesInfo().GetAt(0).m_fWidth, 22.0f);
  EXPECT_EQ(t.GetArrayOfTextCharacters()[2].GetCharOffset(), Pt(0, 19));
}

void ExpectSameLayout(const TLayoutSnapshot& a, const TLayoutSnapshot& b) {
  ASSERT_EQ(a.rows.size(), b.rows.size());
  for (size_t r = 0; r < a.rows.size(); ++r) {
    EXPECT_EQ(a.rows[r].m_nCharCount, b.rows[r].m_nCharCount) << "row " << r;
    EXPECT_EQ(a.rows[r].m_fWidth, b.rows[r].m_fWidth) << "row " << r;
    EXPECT_EQ(a.rows[r].m_fAscent, b.rows[r].m_fAscent) << "row " << r;
    EXPECT_EQ(a.rows[r].m_fDescent, b.rows[r].m_fDescent) << "row " << r;
    EXPECT_EQ(a.rows[r].m_fLeading, b.rows[r].m_fLeading) << "row " << r;
  }
  ASSERT_EQ(a.offsets.size(), b.offsets.size());
  for (size_t i = 0; i < a.offsets.size(); ++i) EXPECT_EQ(a.offsets[i], b.offsets[i]) << "char " << i;
}

// Relaying out from any kept row gives the rows of a full layout, also when row maxima are
// negative (a negative Y scale).
TEST(TextLayout, RelayoutFromKeptRowEqualsFullLayout) {
  GlyphFixture fx;
  BoxText t(35, 1000);
  t.SetRowGap(1, 2.5f);
  fx.Insert(t, 0, L"xyzxy\rzzWxi\rxyz yy\rWWW");
  // Every third character, and the whole last paragraph, upside down: its rows have negative
  // maxima.
  auto& chars = t.GetArrayOfTextCharacters();
  for (size_t i = 0; i < chars.size(); ++i)
    if (i % 3 == 0 || i >= chars.size() - 3) chars[i].SetCharYScale(-1.5f);
  t.RecalcuLayout(0);
  const TLayoutSnapshot full = Snapshot(t);
  ASSERT_GE(full.rows.size(), 6u);
  for (int k = 1; k <= static_cast<int>(full.rows.size()); ++k) {
    SCOPED_TRACE(k);
    t.RecalcuLayout(k);
    ExpectSameLayout(Snapshot(t), full);
  }
}

// After every random edit (typing, deleting, format changes) the text equals a copy laid out
// from scratch.
TEST(TextLayout, EditsKeepTheLayoutOfAFullLayout) {
  GlyphFixture fx;
  std::mt19937 rng(1234);
  const std::wstring alphabet = L"xyziW \r";
  for (int round = 0; round < 20; ++round) {
    BoxText t(40, round % 2 ? 60.0f : 400.0f);  // odd rounds stop at the bottom of the box
    t.SetRowGap(static_cast<unsigned short>(round % 3), 1.5f);
    for (int step = 0; step < 40; ++step) {
      const int n = static_cast<int>(t.GetArrayOfTextCharacters().size());
      const int op = std::uniform_int_distribution<int>(0, 9)(rng);
      const int pos = std::uniform_int_distribution<int>(0, n)(rng);
      if (op < 5 || n == 0) {
        std::wstring s;
        const int len = std::uniform_int_distribution<int>(1, 4)(rng);
        for (int k = 0; k < len; ++k)
          s += alphabet[std::uniform_int_distribution<size_t>(0, alphabet.size() - 1)(rng)];
        fx.Insert(t, pos, s, 7 + op % 3);
      } else if (op < 8) {
        t.DeleteString(pos, std::uniform_int_distribution<int>(1, 5)(rng));
      } else if (op == 8) {
        t.SetSelectionCharsFontSize(pos, pos + 2, op % 2 ? 8.0f : 24.0f);
      } else {
        t.SetSelectionCharsSpacing(pos, pos + 3, -3.0f);
      }
      BoxText fresh(t);
      fresh.RecalcuLayout(0);
      SCOPED_TRACE(testing::Message() << "round " << round << " step " << step << " op " << op);
      ExpectSameLayout(Snapshot(t), Snapshot(fresh));
      if (HasFailure()) return;
    }
  }
}

}  // namespace
