// The text record: golden bytes, round trips, truncated and hostile records.
#include <gtest/gtest.h>

#include <cstring>

#include "TextTestSupport.h"

using namespace GlyphweaveLib;
using gwtest::Hex;

namespace {

// "A": bold, italic, fill colour RGB(1, 2, 3), in one run of "Arial", no gaps.
const char* kRecordA =
    "00000000 01000000"                                      // align, N
    "00004041 01000000 475ababe 01 00 0000803f 0000803f"     // size 12, bold, italic, underline
    "4100 00000000 00000000 00000000 00000000 01 00"         // 'A', spacing, shifts, script, fill
    "01020300 00000000 00 00"                                // colours, transparencies
    "04000000 01000000 04000000"                             // run capacity, count, grow step
    "01000000 41007200690061006c00 z246 01 00 0000 ffffffff" // run: length 1, "Arial", charset 1
    "00000000";                                              // no gaps

void MakeA(gwtest::TestText& t) {
  gwtest::FillText(t, u"A");
  CCharacterItem& c = t.GetArrayOfTextCharacters()[0];
  c.SetBold(1);
  c.SetItalicSkew(kItalicSkew);
  c.SetHasUnderlineFlag(true);
  c.SetRenderColor(RGB(1, 2, 3));
}

}  // namespace

TEST(TextRecord, EmptyTextIs24Bytes) {
  gwtest::TestText t;
  const auto bytes = gwtest::Save(t);
  EXPECT_EQ(bytes, Hex("00000000 00000000 00000000 00000000 04000000 00000000"));
  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
  EXPECT_TRUE(back.GetArrayOfTextCharacters().empty());
  EXPECT_EQ(gwtest::Save(back), bytes);
}

TEST(TextRecord, OneCharacterGoldenBytesAndRoundTrip) {
  gwtest::TestText t;
  MakeA(t);
  const auto bytes = gwtest::Save(t);
  ASSERT_EQ(bytes.size(), 344u);
  EXPECT_EQ(bytes, Hex(kRecordA));

  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
  ASSERT_EQ(back.GetArrayOfTextCharacters().size(), 1u);
  const CCharacterItem& c = back.GetArrayOfTextCharacters()[0];
  EXPECT_EQ(c.GetCharacter(), u'A');
  EXPECT_EQ(c.GetItalicSkew(), kItalicSkew);
  EXPECT_EQ(c.GetRenderColor(), RGB(1, 2, 3));
  EXPECT_EQ(c.GetCharGlyphPath(), nullptr);
  EXPECT_EQ(back.GetFontRunDesc(0).GetFontFaceNameW(), L"Arial");
  EXPECT_EQ(gwtest::Save(back), bytes);
}

TEST(TextRecord, TextArgumentNeverChangesTheBytes) {
  gwtest::TestText t;
  MakeA(t);
  Vectorloom::CVariableStream a, b;
  ASSERT_TRUE(t.PutBinaryContent(&a, nullptr));
  ASSERT_TRUE(t.PutBinaryContent(&b, L"some other text"));
  EXPECT_EQ(gwtest::Bytes(a), gwtest::Bytes(b));
}

TEST(TextRecord, EveryCutIsRefused) {
  gwtest::TestText t;
  MakeA(t);
  t.SetRowGap(0, 2.5f);
  const auto bytes = gwtest::Save(t);
  for (size_t len = 0; len < bytes.size(); ++len) {
    gwtest::TestText back;
    EXPECT_FALSE(gwtest::Load(back, bytes, len)) << "cut at " << len;
  }
}

TEST(TextRecord, GapsComeOutAscendingAndARepeatedLineKeepsTheLast) {
  gwtest::TestText t;
  t.SetRowGap(7, 1.0f);
  t.SetRowGap(2, 1.5f);
  const auto bytes = gwtest::Save(t);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 20, bytes.end()),
            Hex("02000000 0200 0000c03f 0700 0000803f"));

  // The same line twice: the later gap wins.
  auto twice = Hex("00000000 00000000 00000000 00000000 04000000 02000000 0300 0000803f 0300 00002040");
  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, twice, twice.size()));
  EXPECT_EQ(back.GetMapBetweenRows().size(), 1u);
  EXPECT_EQ(back.GetRowGap(3), 2.5f);
  EXPECT_EQ(back.GetRowGap(4), 0.0f);
}

TEST(TextRecord, CapacityFollowsTheSetRules) {
  gwtest::TestText t;
  gwtest::FillText(t, u"abcde");
  TFontRunInfo run;
  run.m_nLength = 0;
  for (int i = 0; i < 4; ++i) t.AppendFontRun(run);  // 5 runs: capacity 4 + 4 = 8
  EXPECT_EQ(t.GetFontRuns().GetCapacity(), 8);
  gwtest::TestText copy;
  gwtest::FillText(copy, u"x");
  copy = t;  // capacity 4 < 5 runs: takes 8
  EXPECT_EQ(copy.GetFontRuns().GetCapacity(), 8);
  gwtest::FillText(copy, u"x");  // clear (0) then one append: 4
  EXPECT_EQ(copy.GetFontRuns().GetCapacity(), 4);
  copy.ClearFontRuns();
  EXPECT_EQ(copy.GetFontRuns().GetCapacity(), 0);
}

// The run-set header comes from the file: capacity below the count, a grow step of 0 or less,
// a huge capacity or a negative count must neither overflow nor allocate blindly.
TEST(TextRecord, RunSetHeaderFromTheFile) {
  struct Case {
    const char* name;
    int32_t capacity, count, grow;
    bool ok;
    int capacityAfterLoad, growAfterLoad;
  };
  const Case cases[] = {
      {"capacity below count", 1, 2, 4, true, 2, 4},
      {"grow step 0", 2, 2, 0, true, 2, 4},
      {"negative grow step", 2, 2, -7, true, 2, 4},
      {"huge capacity", 0x7fffffff, 2, 4, true, 0x7fffffff, 4},
      {"negative count", 4, -1, 4, false, 0, 0},
      {"count beyond the data", 4, 1000000, 4, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Vectorloom::CVariableStream s;
    s.PutU32(0);
    s.PutU32(2);
    for (int i = 0; i < 2; ++i) {
      _CharacterItem item;
      item.SetCharacter(u'a');
      item.PutBinaryContent(&s, nullptr);
    }
    s.PutI32(c.capacity);
    s.PutI32(c.count);
    s.PutI32(c.grow);
    for (int r = 0; r < 2; ++r) {
      unsigned char rec[268] = {};
      rec[0] = 1;
      _CharsFontDesc().ToBytes(rec + 4);
      s.Append(rec, sizeof(rec));
    }
    s.PutU32(0);
    const auto bytes = gwtest::Bytes(s);
    gwtest::TestText t;
    ASSERT_EQ(gwtest::Load(t, bytes, bytes.size()), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(t.GetFontRuns().GetSize(), 2);
    EXPECT_EQ(t.GetFontRuns().GetCapacity(), c.capacityAfterLoad);
    EXPECT_EQ(t.GetFontRuns().GetGrowStep(), c.growAfterLoad);
    // Appending and inserting after such a header works.
    TFontRunInfo run;
    t.AppendFontRun(run);
    t.InsertFontRunAt(0, run);
    EXPECT_EQ(t.GetFontRuns().GetSize(), 4);
    EXPECT_GE(t.GetFontRuns().GetCapacity(), 4);
    if (c.capacity >= c.count && c.grow > 0) {
      EXPECT_EQ(gwtest::Save(gwtest::TestText(t)).size(), bytes.size() + 2 * 268u);
    }
  }
}

TEST(TextRecord, SaneHeaderResavesIdentically) {
  // A copy that kept a larger block: capacity 12 for one run.
  gwtest::TestText many;
  gwtest::FillText(many, u"ab");
  TFontRunInfo run;
  for (int i = 0; i < 11; ++i) many.AppendFontRun(run);
  gwtest::TestText small;
  gwtest::FillText(small, u"ab");
  gwtest::TestText t;
  t = many;
  t = small;
  ASSERT_EQ(t.GetFontRuns().GetCapacity(), 12);
  const auto bytes = gwtest::Save(t);
  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
  EXPECT_EQ(back.GetFontRuns().GetCapacity(), 12);
  EXPECT_EQ(gwtest::Save(back), bytes);
}

TEST(TextRecord, FaceWithoutTerminatorIsCut) {
  gwtest::TestText t;
  gwtest::FillText(t, u"a");
  auto bytes = gwtest::Save(t);
  // Fill the whole face field (offset 8 + 52 + 12 + 4) with 'x'.
  const size_t face = 8 + 52 + 12 + 4;
  for (size_t i = 0; i < 256; i += 2) {
    bytes[face + i] = 'x';
    bytes[face + i + 1] = 0;
  }
  gwtest::TestText back;
  ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
  const _CharsFontDesc d = back.GetFontRunDesc(0);
  EXPECT_EQ(d.GetFontFaceNameW(), std::wstring(126, L'x'));
  EXPECT_EQ(d.GetFontFaceName()[126], 0);
  EXPECT_EQ(d, back.GetFontRuns().GetAt(0).m_FontDesc);
}

// Run lengths that do not add up to the character count are repaired on load, so that every
// character has a run.
TEST(TextRecord, RunLengthsAreMadeToCoverTheText) {
  struct Case {
    const char* name;
    std::vector<uint32_t> runs;
    std::vector<uint32_t> expected;
  };
  const Case cases[] = {
      {"no runs", {}, {4}},
      {"short", {1, 1}, {1, 3}},
      {"long", {3, 5, 2}, {3, 1}},
      {"overflowing lengths", {0xffffffffu, 0xffffffffu}, {4}},
      {"exact, zero-length run kept", {4, 0}, {4, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    gwtest::TestText t;
    gwtest::FillText(t, u"abcd");
    t.ClearFontRuns();
    for (uint32_t len : c.runs) {
      TFontRunInfo run;
      run.m_nLength = len;
      t.AppendFontRun(run);
    }
    const auto bytes = gwtest::Save(t);
    gwtest::TestText back;
    ASSERT_TRUE(gwtest::Load(back, bytes, bytes.size()));
    std::vector<uint32_t> got;
    for (int r = 0; r < back.GetFontRuns().GetSize(); ++r) got.push_back(back.GetFontRuns().GetAt(r).m_nLength);
    EXPECT_EQ(got, c.expected);
    for (int i = 0; i < 4; ++i) EXPECT_GE(back.FindFontRun(i, nullptr), 0);
  }
}

TEST(TextRecord, DeepCopyIsIndependent) {
  gwtest::TestText t;
  gwtest::FillText(t, u"ab\rc");
  t.SetRowGap(1, 3.0f);
  TTextLineInfo row;
  row.m_nCharCount = 3;
  t.GetParagraphsLinesInfo().Add(row);
  const auto before = gwtest::Save(t);
  {
    auto* copy = new gwtest::TestText(t);
    copy->GetArrayOfTextCharacters()[0].SetCharacter(u'z');
    copy->ClearFontRuns();
    copy->SetRowGap(1, 9.0f);
    copy->GetParagraphsLinesInfo().Clear();
    EXPECT_NE(gwtest::Save(*copy), before);
    delete copy;
  }
  EXPECT_EQ(gwtest::Save(t), before);
  EXPECT_EQ(t.GetParagraphsLinesInfo().GetSize(), 1);
  EXPECT_EQ(t.GetRowGap(1), 3.0f);
}

TEST(TextRecord, WriterWithoutStreamFails) {
  gwtest::TestText t;
  MakeA(t);
  EXPECT_FALSE(t.PutBinaryContent(nullptr, nullptr));
  EXPECT_FALSE(t.GetArrayOfTextCharacters()[0].PutBinaryContent(nullptr, nullptr));
}
