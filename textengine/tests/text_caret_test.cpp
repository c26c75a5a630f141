// Caret positions, hit testing and the text extent on hand-made glyphs. Every query is made on
// a const text: finding a caret position changes nothing.

#include <gtest/gtest.h>

#include <utility>

#include "GlyphFixture.h"

namespace {

using namespace gwfix;
using Pt = Vectorloom::CQorVectorPoint<float>;
constexpr int kBehind = CEditableTextObj::kCaretBehind;

// "xy\rzz": row 0 spans y 0..11 (x at 0, y at 10, 13 at 20), row 1 spans y 11..22 (z at 0 and
// 10). A character's middle is 5 below its row's top.
TEST(TextCaret, HitTest) {
  struct Case {
    const char* name;
    float gap0;
    Pt pt;
    int expected;
  };
  const std::vector<Case> cases = {
      {"left half of the first character", 0, {3, 5}, 0},
      {"nearer the second middle", 0, {12, 5}, 1},
      {"right of the second row's last character", 0, {19, 16}, 4 | kBehind},
      {"over the last character's left half", 0, {12, 16}, 4},
      {"below the last row takes the last row", 0, {1, 80}, 3},
      {"above the first row takes the last row", 0, {1, -4}, 3},
      {"in the gap between the rows takes the last row", 10, {14, 15}, 4},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GlyphFixture fx;
    BoxText t(100, 100);
    if (c.gap0 != 0) t.SetRowGap(0, c.gap0);
    fx.Insert(t, 0, L"xy\rzz");
    EXPECT_EQ(std::as_const(t).HitTestCaretPos(c.pt), c.expected);
  }
}

TEST(TextCaret, HitTestWithoutCharactersRowsOrGlyphs) {
  GlyphFixture fx;
  BoxText empty;
  empty.RecalcuLayout(0);
  EXPECT_EQ(std::as_const(empty).HitTestCaretPos({1, 1}), -1);

  BoxText narrow(5, 100);  // nothing fits: characters but no rows
  fx.Insert(narrow, 0, L"xy");
  EXPECT_EQ(narrow.GetParagraphsLinesInfo().GetSize(), 0);
  EXPECT_EQ(std::as_const(narrow).HitTestCaretPos({1, 1}), 0);

  BoxText bare(100, 100);  // a row of characters without glyphs
  CArrayOfTextCharacters chars;
  chars.resize(3);
  for (auto& c : chars) c.SetCharacter(u'x');
  bare.SetArrayOfTextCharacters(chars);
  bare.RecalcuLayout(0);
  ASSERT_EQ(bare.GetParagraphsLinesInfo().GetSize(), 1);
  EXPECT_EQ(std::as_const(bare).HitTestCaretPos({1, 0}), 0);
}

// After a height stop the last row does not end the text: a click below it still lands in it.
TEST(TextCaret, HitTestBelowACutOffText) {
  GlyphFixture fx;
  BoxText t(100, 15);  // one row of "xy\r"; "zzxy" fall below the box
  fx.Insert(t, 0, L"xy\rzzxy");
  ASSERT_EQ(RowCounts(t), std::vector<uint32_t>{3});
  EXPECT_EQ(std::as_const(t).HitTestCaretPos({3, 50}), 0);
  EXPECT_EQ(std::as_const(t).HitTestCaretPos({14, 50}), 1);
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(7), 0);
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(4), -1);
  EXPECT_EQ(std::as_const(t).CalcuPrevRowCaretPos(7), -1);
  EXPECT_EQ(std::as_const(t).CalcuNextRowCaretPos(1), -1);
}

TEST(TextCaret, RowAboveAndBelow) {
  GlyphFixture fx;
  // Rows: "ix\r" (i at 0, x at 5, 13 at 15), "xx\r" (0, 10, 20), "xix" (0, 10, 15).
  BoxText t(100, 100);
  fx.Insert(t, 0, L"ix\rxx\rxix");
  // From x at 5 to the row below: 0 and 10 are as near; the leftmost wins.
  EXPECT_EQ(std::as_const(t).CalcuNextRowCaretPos(1), 3);
  // From i at 10 in the last row to the row above: 10 exactly.
  EXPECT_EQ(std::as_const(t).CalcuPrevRowCaretPos(7), 4);
  // From x at 15: 10 and 20 are as near; going up, the rightmost wins.
  EXPECT_EQ(std::as_const(t).CalcuPrevRowCaretPos(8), 5);
  EXPECT_EQ(std::as_const(t).CalcuNextRowCaretPos(8), -1);  // last row
  EXPECT_EQ(std::as_const(t).CalcuPrevRowCaretPos(0), -1);  // first row
  EXPECT_EQ(std::as_const(t).CalcuNextRowCaretPos(99), -1);
  // The end of the text counts as behind the last character (x at 15 + 10 = 25): the nearest
  // in the row above is the 13 at 20.
  EXPECT_EQ(std::as_const(t).CalcuPrevRowCaretPos(9), 5);
}

TEST(TextCaret, RowStart) {
  GlyphFixture fx;
  BoxText t(25, 100);  // rows "xy", "zx", "yz", "x"
  fx.Insert(t, 0, L"xyzxyzx");
  ASSERT_EQ(RowCounts(t), (std::vector<uint32_t>{2, 2, 2, 1}));
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(5), 4);
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(4), 4);
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(7), 6);
  EXPECT_EQ(std::as_const(t).CalcuRowStartedCaretPos(-1), -1);
  BoxText empty;
  EXPECT_EQ(std::as_const(empty).CalcuRowStartedCaretPos(0), -1);
}

TEST(TextCaret, InnerTextExtent) {
  GlyphFixture fx;
  BoxText spaces(100, 100);
  fx.Insert(spaces, 0, L"   \r  ");
  const auto none = std::as_const(spaces).CalcuInnerTextExtent();
  EXPECT_EQ(none.left, 0);
  EXPECT_EQ(none.top, 0);
  EXPECT_EQ(none.right, 0);
  EXPECT_EQ(none.bottom, 0);

  // Squares from the baseline up to the ascent (8): " xy " on row 0 (baseline 8) and "W" on
  // row 1 (baseline 19); the spaces at both ends are left out.
  BoxText t(100, 100);
  fx.Insert(t, 0, L" xy \rW");
  const auto e = std::as_const(t).CalcuInnerTextExtent();
  EXPECT_FLOAT_EQ(e.left, 0);
  EXPECT_FLOAT_EQ(e.top, 0);
  EXPECT_FLOAT_EQ(e.right, 25);
  EXPECT_FLOAT_EQ(e.bottom, 19);
}

}  // namespace
