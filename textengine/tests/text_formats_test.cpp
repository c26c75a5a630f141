// Character formats over ranges, font faces of ranges and the fonts a text uses.

#include <gtest/gtest.h>

#include <cmath>

#include "GlyphFixture.h"

namespace {

using namespace gwfix;
using RunList = std::vector<std::pair<uint32_t, int>>;
using Pt = Vectorloom::CQorVectorPoint<float>;
constexpr int A = 7, B = 8, C = 9;

uint32_t Mask(const CEditableTextObj& t, int first, int last) {
  CCharFormatsDesc d;
  d.m_nCommonMask = 0xDEAD;
  t.GetSelectionCharFormatsDesc(&d, first, last);
  return d.m_nCommonMask;
}

TEST(TextFormats, SelectionSummary) {
  GlyphFixture fx;
  BoxText t;
  fx.Insert(t, 0, L"xyzx");
  EXPECT_EQ(Mask(t, 0, 3), 0xFFFu);
  EXPECT_EQ(Mask(t, 0, -1), 0xFFFu);  // "to the end" is resolved before first > last
  EXPECT_EQ(Mask(t, 2, 1), 0u);
  EXPECT_EQ(Mask(t, 4, 9), 0u);

  struct Change {
    const char* name;
    void (*apply)(CCharacterItem&);
    uint32_t cleared;
  };
  const std::vector<Change> changes = {
      {"colour", [](CCharacterItem& c) { c.SetRenderColor(0xFF); }, 0x800},
      {"size", [](CCharacterItem& c) { c.SetFontPointSize(17); }, 0x002},
      {"bold", [](CCharacterItem& c) { c.SetBold(2); }, 0x004},
      {"italic", [](CCharacterItem& c) { c.SetItalicSkew(-0.36397f); }, 0x008},
      {"skew too small for italic", [](CCharacterItem& c) { c.SetItalicSkew(0.00004f); }, 0},
      {"underline", [](CCharacterItem& c) { c.SetHasUnderlineFlag(true); }, 0x010},
      {"strike-out", [](CCharacterItem& c) { c.SetHasStrikeOutFlag(true); }, 0x020},
      {"subscript", [](CCharacterItem& c) { c.SetShowAsScriptFlag(1); }, 0x040},
      {"superscript", [](CCharacterItem& c) { c.SetShowAsScriptFlag(2); }, 0x080},
      {"spacing", [](CCharacterItem& c) { c.SetCharSpacing(1); }, 0x100},
      {"baseline", [](CCharacterItem& c) { c.SetBaselineShift(1); }, 0x200},
      {"horizontal shift", [](CCharacterItem& c) { c.SetHorizontalShift(1); }, 0x400},
      {"Y scale -1 keeps the actual size", [](CCharacterItem& c) { c.SetCharYScale(-1); }, 0},
  };
  for (const auto& ch : changes) {
    SCOPED_TRACE(ch.name);
    BoxText u(t);
    ch.apply(u.GetArrayOfTextCharacters()[2]);
    EXPECT_EQ(Mask(u, 0, 3), 0xFFFu & ~ch.cleared);
    EXPECT_EQ(Mask(u, 3, 3), 0xFFFu);
  }
  fx.Insert(t, 4, L"y", B);
  EXPECT_EQ(Mask(t, 0, -1), 0xFFEu);
  CCharFormatsDesc d;
  t.GetSelectionCharFormatsDesc(&d, 4, 4);
  EXPECT_EQ(d.GetEmbedFontID(), B);
  EXPECT_FLOAT_EQ(d.m_fFontSize, kSize);
}

TEST(TextFormats, OneCharacterFormat) {
  GlyphFixture fx;
  BoxText t;
  CRichFontDesc out;
  out.m_fFontSize = 99;
  t.GetCharFormatsDesc(&out, 0);  // empty text: untouched
  EXPECT_FLOAT_EQ(out.m_fFontSize, 99);
  fx.Insert(t, 0, L"xy", A);
  fx.Insert(t, 2, L"z", B);
  t.GetArrayOfTextCharacters()[2].SetCharYScale(-2.0f);
  t.GetArrayOfTextCharacters()[2].SetShowAsScriptFlag(2);
  t.GetCharFormatsDesc(&out, 50);  // past the end: the last character
  EXPECT_EQ(out.GetEmbedFontID(), B);
  EXPECT_FLOAT_EQ(out.m_fFontSize, 32.0f);
  EXPECT_EQ(out.m_bSuperscript, 1);
  EXPECT_EQ(out.m_bSubscript, 0);
  t.GetCharFormatsDesc(&out, -3);
  EXPECT_EQ(out.GetEmbedFontID(), A);
}

// Which setters lay the text out again: a size change that is not laid out leaves the offsets
// of the characters after it as they were.
TEST(TextFormats, SettersAndRelayout) {
  struct Case {
    const char* name;
    void (*set)(CEditableTextObj&);
    bool relayout;
  };
  const std::vector<Case> cases = {
      {"colour", [](CEditableTextObj& t) { t.SetSelectionCharsColor(0, 0, 0xFF); }, false},
      {"underline", [](CEditableTextObj& t) { t.SetSelectionCharsUnderlineFlag(0, 0, true); }, false},
      {"strike-out", [](CEditableTextObj& t) { t.SetSelectionCharsStrokeoutFlag(0, 0, true); }, false},
      {"size", [](CEditableTextObj& t) { t.SetSelectionCharsFontSize(1, 1, 32); }, true},
      {"bold", [](CEditableTextObj& t) { t.SetSelectionCharsBold(0, 0, true, nullptr, nullptr); }, true},
      {"italic", [](CEditableTextObj& t) { t.SetSelectionCharsItalic(0, 0, true); }, true},
      {"script", [](CEditableTextObj& t) { t.SetSelectionCharsScriptFlag(0, 0, 0); }, true},
      {"spacing", [](CEditableTextObj& t) { t.SetSelectionCharsSpacing(0, 0, 0); }, true},
      {"baseline", [](CEditableTextObj& t) { t.SetSelectionCharsBaselineShift(0, 0, 0); }, true},
      {"horizontal shift", [](CEditableTextObj& t) { t.SetSelectionCharsHorzOffset(0, 0, 0); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GlyphFixture fx;
    BoxText t;
    fx.Insert(t, 0, L"xyz");
    t.GetArrayOfTextCharacters()[1].SetFontPointSize(32.0f);  // y now 20 wide, not laid out
    c.set(t);
    EXPECT_FLOAT_EQ(t.GetArrayOfTextCharacters()[2].GetCharOffset().x, c.relayout ? 30.0f : 20.0f);
  }
}

TEST(TextFormats, SetterValues) {
  GlyphFixture fx;
  BoxText t;
  fx.Insert(t, 0, L"xyz");
  auto& chars = t.GetArrayOfTextCharacters();
  chars[1].SetCharYScale(2.0f);
  chars[2].SetCharYScale(0.0f);
  t.SetSelectionCharsFontSize(0, -1, 24.0f);
  EXPECT_FLOAT_EQ(chars[0].GetFontPointSize(), 24.0f);
  EXPECT_FLOAT_EQ(chars[1].GetFontPointSize(), 12.0f);
  EXPECT_FLOAT_EQ(chars[2].GetFontPointSize(), kSize);  // a Y scale of 0 gives no size
  t.SetSelectionCharsFontSize(0, 0, -5.0f);
  EXPECT_FLOAT_EQ(chars[0].GetFontPointSize(), 1.0f);  // never at or below 0
  t.SetSelectionCharsFontSize(0, 0, NAN);
  EXPECT_FLOAT_EQ(chars[0].GetFontPointSize(), 1.0f);
  t.SetSelectionCharsItalic(0, 1, true);
  EXPECT_FLOAT_EQ(chars[1].GetItalicSkew(), -0.36397f);
  t.SetSelectionCharsItalic(1, 1, false);
  EXPECT_FLOAT_EQ(chars[1].GetItalicSkew(), 0.0f);
  t.SetSelectionCharsBold(0, 0, true, nullptr, nullptr);
  EXPECT_EQ(chars[0].IsBold(), 1);
  // A range past the end is cut at the last character: nothing is half applied.
  t.SetSelectionCharsColor(1, 50, 0xAB);
  EXPECT_EQ(chars[0].GetRenderColor(), 0u);
  EXPECT_EQ(chars[1].GetRenderColor(), 0xABu);
  EXPECT_EQ(chars[2].GetRenderColor(), 0xABu);
  t.SetSelectionCharsColor(3, 5, 0xCD);  // wholly outside
  t.SetSelectionCharsColor(2, 1, 0xCD);  // first > last
  EXPECT_EQ(chars[2].GetRenderColor(), 0xABu);
}

TEST(TextFormats, PresetSizeSteps) {
  static const unsigned char kPresets[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 24, 28, 36, 48, 72};
  CPresetFontSizeManager presets;
  presets.m_pPresetSizes = kPresets;
  presets.m_nPresetCount = sizeof(kPresets);
  struct Case {
    float size, yScale;
    bool enlarge;
    float expected;
  };
  const std::vector<Case> cases = {
      {10.6f, 1.0f, true, 12.0f},  // the actual size rounds to 11 first
      {10.6f, 1.0f, false, 10.0f},
      {6.0f, 2.0f, true, 7.0f},     // actual 12 -> 14, stored as 14 / 2
      {6.0f, -2.0f, false, 5.5f},   // actual 12 -> 11
      {1.0f, 1.0f, false, 1.0f},    // never below 1
      {-3.0f, 1.0f, true, 1.0f},
      {10.0f, 0.0f, true, 10.0f},   // a Y scale of 0 is left alone
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " x " << c.yScale << (c.enlarge ? " up" : " down"));
    GlyphFixture fx;
    BoxText t;
    fx.Insert(t, 0, L"x");
    auto& ch = t.GetArrayOfTextCharacters()[0];
    ch.SetFontPointSize(c.size);
    ch.SetCharYScale(c.yScale);
    t.ChangeSelectionCharsFontSize(0, 0, c.enlarge, &presets, nullptr);
    EXPECT_FLOAT_EQ(ch.GetFontPointSize(), c.expected);
  }
}

TEST(TextFormats, RunsMergeAndIds) {
  GlyphFixture fx;
  BoxText t;
  fx.Insert(t, 0, L"x", 7);
  fx.Insert(t, 1, L"y", 7);
  EXPECT_EQ(Runs(t), (RunList{{2, A}}));
  // Runs -1, 3, 5, 3 built by hand (equal neighbours are not merged on insertion).
  BoxText u;
  fx.Insert(u, 0, L"xyzx");
  u.ClearFontRuns();
  const int ids[] = {-1, 3, 5, 3};
  for (int id : ids) {
    TFontRunInfo r;
    r.m_nLength = 1;
    r.m_FontDesc.SetEmbedFontID(id);
    u.AppendFontRun(r);
  }
  std::vector<int> found = {9};
  u.CollectEmbedFonts(found);
  EXPECT_EQ(found, (std::vector<int>{9, 3, 5}));
  u.ReplaceFontID(3, 5);
  u.OptimizationFontDescs(1, 99);  // a last run past the set is cut to the last run
  EXPECT_EQ(Runs(u), (RunList{{1, -1}, {3, 5}}));
}

TEST(TextFormats, CollectFontDescOnlyFromRows) {
  GlyphFixture fx;
  BoxText t(100, 15);  // one row "xy\r"; the next row does not fit
  fx.Insert(t, 0, L"x", A);
  fx.Insert(t, 1, L"y\r", B);
  fx.Insert(t, 3, L"zz", C);
  CFontDescCollection fonts;
  t.CollectFontDesc(&fonts);
  ASSERT_EQ(fonts.GetSize(), 2);
  EXPECT_EQ(fonts.GetAt(0).GetEmbedFontID(), A);
  EXPECT_EQ(fonts.GetAt(1).GetEmbedFontID(), B);
}

}  // namespace
