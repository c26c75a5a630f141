// Characters share their formats: a change to one character's field stays with that character,
// whoever else held the format, and sharing never changes a stored bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <thread>
#include <vector>

#include "TextTestSupport.h"

using namespace GlyphweaveLib;

namespace {

std::vector<unsigned char> RecordOf(const CCharacterItem& c) {
  Vectorloom::CVariableStream s;
  EXPECT_TRUE(c.PutBinaryContent(&s, nullptr));
  return gwtest::Bytes(s);
}

float Bits(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

struct FieldChange {
  const char* field;
  std::function<void(CCharacterItem&)> set;
};

// One change of every stored field, each to a value the default does not have.
const std::vector<FieldChange>& Changes() {
  static const std::vector<FieldChange> changes = {
      {"size", [](CCharacterItem& c) { c.SetFontPointSize(31.5f); }},
      {"bold", [](CCharacterItem& c) { c.SetBold(700); }},
      {"skew", [](CCharacterItem& c) { c.SetItalicSkew(kItalicSkew); }},
      {"underline", [](CCharacterItem& c) { c.SetHasUnderlineFlag(true); }},
      {"strike-out", [](CCharacterItem& c) { c.SetHasStrikeOutFlag(true); }},
      {"x scale", [](CCharacterItem& c) { c.SetCharXScale(0.25f); }},
      {"y scale", [](CCharacterItem& c) { c.SetCharYScale(-2.0f); }},
      {"character", [](CCharacterItem& c) { c.SetCharacter(u'Q'); }},
      {"spacing", [](CCharacterItem& c) { c.SetCharSpacing(-0.0f); }},  // another bit pattern than 0
      {"horizontal shift", [](CCharacterItem& c) { c.SetHorizontalShift(3.0f); }},
      {"baseline shift", [](CCharacterItem& c) { c.SetBaselineShift(Bits(0x7fc00001u)); }},  // a NaN of its own
      {"script", [](CCharacterItem& c) { c.SetShowAsScriptFlag(2); }},
      {"fill", [](CCharacterItem& c) { c.SetFillInside(false); }},
      {"stroke", [](CCharacterItem& c) { c.SetStrokeOutline(true); }},
      {"fill colour", [](CCharacterItem& c) { c.SetRenderColor(RGB(9, 8, 7)); }},
      {"stroke colour", [](CCharacterItem& c) { c.SetStrokedColor(RGB(1, 2, 3)); }},
      {"fill transparency", [](CCharacterItem& c) { c.SetFilledTransparency(128); }},
      {"stroke transparency", [](CCharacterItem& c) { c.SetStorkeTransparency(64); }},
      {"actual size", [](CCharacterItem& c) { c.SetActualFontSize(40.0f); }},
  };
  return changes;
}

}  // namespace

TEST(SharedCharacterFormat, AChangeStaysWithItsCharacter) {
  for (const FieldChange& change : Changes()) {
    SCOPED_TRACE(change.field);
    gwtest::TestText t;
    gwtest::FillText(t, u"abc");
    CArrayOfTextCharacters& chars = t.GetArrayOfTextCharacters();
    for (CCharacterItem& c : chars) c.SetFontPointSize(12.0f);
    chars.ShareFormats();
    const CCharacterItem copy = chars[1];
    const gwtest::TestText before(t);
    const std::vector<unsigned char> was = RecordOf(chars[1]);

    change.set(chars[1]);
    EXPECT_NE(RecordOf(chars[1]), was);
    EXPECT_EQ(RecordOf(chars[0]), RecordOf(before.GetArrayOfTextCharacters()[0]));
    EXPECT_EQ(RecordOf(chars[2]), RecordOf(before.GetArrayOfTextCharacters()[2]));
    EXPECT_EQ(RecordOf(copy), was);
    EXPECT_EQ(RecordOf(before.GetArrayOfTextCharacters()[1]), was);

    // Set on the copy too: the two are alike again and stay so once they share.
    const std::vector<unsigned char> changed = RecordOf(chars[1]);
    CCharacterItem again = copy;
    change.set(again);
    EXPECT_EQ(RecordOf(again), changed);
    EXPECT_EQ(RecordOf(copy), was);
  }
}

// Characters that differ in one field only, each a bit pattern of its own (minus zero, NaNs):
// sharing, saving and loading give every character back to the bit.
TEST(SharedCharacterFormat, SharingKeepsEveryBit) {
  gwtest::TestText t;
  std::u16string letters(Changes().size() * 2 + 1, u'x');
  gwtest::FillText(t, letters);
  CArrayOfTextCharacters& chars = t.GetArrayOfTextCharacters();
  for (size_t i = 0; i < Changes().size(); ++i) Changes()[i].set(chars[2 * i + 1]);
  chars[2].SetBaselineShift(Bits(0x7fc00002u));  // a NaN that is not the one above
  std::vector<std::vector<unsigned char>> records;
  for (const CCharacterItem& c : chars) records.push_back(RecordOf(c));

  chars.ShareFormats();
  for (size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(RecordOf(chars[i]), records[i]) << i;

  const auto bytes = gwtest::Save(t);
  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
  ASSERT_EQ(back.GetArrayOfTextCharacters().size(), chars.size());
  for (size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(RecordOf(back.GetArrayOfTextCharacters()[i]), records[i]) << i;
  EXPECT_EQ(gwtest::Save(back), bytes);

  // A range setter over part of the text: the rest keeps its bits, the range takes the value.
  back.SetSelectionCharsColor(0, 3, RGB(200, 100, 50));
  for (size_t i = 0; i < chars.size(); ++i) {
    CCharacterItem expected = chars[i];
    if (i <= 3) expected.SetRenderColor(RGB(200, 100, 50));
    EXPECT_EQ(RecordOf(back.GetArrayOfTextCharacters()[i]), RecordOf(expected)) << i;
  }
}

// Copies of one format made, changed and dropped on several threads at once (the exporters copy
// texts on their own threads): the original keeps its fields and nothing is freed twice.
TEST(SharedCharacterFormat, CopiesOnManyThreads) {
  CCharacterItem original;
  original.SetFontPointSize(10.0f);
  original.SetRenderColor(RGB(4, 5, 6));
  const std::vector<unsigned char> was = RecordOf(original);
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t)
    threads.emplace_back([&original, t] {
      for (int i = 0; i < 2000; ++i) {
        std::vector<CCharacterItem> copies(4, original);
        copies[static_cast<size_t>(i % 4)].SetFontPointSize(static_cast<float>(t + 1));
        CCharacterItem moved = std::move(copies[0]);
        copies[1] = moved;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(RecordOf(original), was);
}

// A change over stretches of shared formats gives every character what changing it alone gives,
// whichever way the formats alternate and wherever the range starts and ends.
TEST(SharedCharacterFormat, ChangeOverStretchesEqualsChangeOfEach) {
  const struct {
    const char* pattern;  // one letter a character: its size, 'a' + n being 10 + n points
    size_t first, end;
  } cases[] = {
      {"aaaa", 0, 4}, {"aabbaa", 0, 6}, {"abab", 1, 3}, {"abcba", 0, 5}, {"aaab", 2, 4}, {"a", 0, 1}, {"ab", 0, 9},
  };
  auto change = [](CCharacterItem& c) {
    c.SetBaselineShift(c.GetBaselineShift() + 1.5f);
    c.SetCharXScale(c.GetFontPointSize() / 10.0f);
  };
  for (const auto& k : cases) {
    SCOPED_TRACE(k.pattern);
    gwtest::TestText t;
    const std::string pattern = k.pattern;
    gwtest::FillText(t, std::u16string(pattern.size(), u'x'));
    CArrayOfTextCharacters& chars = t.GetArrayOfTextCharacters();
    for (size_t i = 0; i < chars.size(); ++i) chars[i].SetFontPointSize(10.0f + static_cast<float>(pattern[i] - 'a'));
    chars.ShareFormats();
    CArrayOfTextCharacters each = chars;
    for (size_t i = k.first; i < std::min(k.end, each.size()); ++i) change(each[i]);
    chars.ChangeFormats(k.first, k.end, change);
    for (size_t i = 0; i < chars.size(); ++i) EXPECT_EQ(RecordOf(chars[i]), RecordOf(each[i])) << i;
  }
}
