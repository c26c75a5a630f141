// Embedded fonts: the font record, equality, the font manager and glyph ids.
#include <gtest/gtest.h>

#include <ftlibrary.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <limits>
#include <memory>

#include "TextTestSupport.h"
#include "glyphweave/EmbedFontRes.h"

using namespace GlyphweaveLib;
using gwtest::Hex;

namespace {

std::vector<unsigned char> Save(const CEmbedFontResouce& r) {
  Vectorloom::CVariableStream s(256, 256);
  EXPECT_TRUE(r.PutBinaryContent(&s));
  return gwtest::Bytes(s);
}

bool Load(CEmbedFontResouce& r, const std::vector<unsigned char>& b, size_t len) {
  return r.SetByBinaryContent(b.data(), static_cast<unsigned>(len));
}

TagMapRange Range(uint16_t low, int extent, int kind, uint16_t value) {
  return {low, static_cast<uint16_t>((extent << 2) | kind), value};
}

// A font with every part filled.
CEmbedFontResouce FullFont() {
  CEmbedFontResouce f;
  f.SetFontID(3);
  f.SetFontFlag(0x20004);
  f.SetItalicAngle(-12.5f);
  f.SetFontAscent(905);
  f.SetFontDescent(-212);
  f.SetCapHeight(716);
  f.SetXHeight(519);
  f.SetMissingWidth(250);
  f.SetEmbedFontFlag(1);
  f.SetFontBox({-665, -325, 2000, 1006});
  f.SetFontType("Type0");
  f.SetFontSubType("CIDFontType2");
  f.SetFontRegistry("Adobe");
  f.SetFontOrdering("Identity");
  f.SetSupplement(0);
  f.SetBaseEncoding(2);
  f.SetBaseEncodingName("WinAnsiEncoding");
  f.SetCodeNameCount(66);
  f.SetCodeName(65, "A");
  f.SetCodeName(32, "space");
  const unsigned char hdef[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  const unsigned char htab[16] = {9, 9, 9, 9, 9, 9, 9, 9, 1, 1, 1, 1, 1, 1, 1, 1};
  f.SetHorzMetrics(hdef, htab, 2);
  const unsigned char vdef[10] = {1, 0, 0, 0, 0, 0, 0, 0, 0, 2};
  const unsigned char vtab[10] = {3, 3, 3, 3, 3, 3, 3, 3, 3, 3};
  f.SetVertMetrics(vdef, vtab, 1);

  CEmbedFontMapWrap enc;
  enc.SetCMapName("Identity-H");
  const TagMapCodeSpace space[] = {{2, 0, 0xFFFF}};
  enc.SetCodeSpace(space, 1);
  const TagMapRange identity[] = {Range(0, 0x3FFF, 1, 0)};
  enc.SetRanges(identity, 1);
  f.SetEncodingMap(&enc);

  CEmbedFontMapWrap uni;  // CIDs 3..4 are 'A'..'B'; CID 9 is 'A' again; CID 7 is U+22EF
  const TagMapRange toUnicode[] = {Range(3, 1, 1, 0x41), Range(7, 0, 0, 0x22EF), Range(9, 0, 0, 0x41)};
  uni.SetRanges(toUnicode, 3);
  auto* used = new CEmbedFontMapWrap;  // used by the to-Unicode map: CID 0x10 is U+0010
  const TagMapRange control[] = {Range(0x10, 0, 0, 0x10)};
  used->SetRanges(control, 1);
  uni.SetNextFontMapWrap(used);
  f.SetUtfCMap(&uni);

  CPdfEmbedFontDesc program;
  program.SetFontName("ABCDEF+LiberationSans");
  program.m_nFirstWord = 1;
  program.m_nSecondWord = 2;
  program.m_nHintingWord = 3;
  program.m_nFourthWord = 4;
  program.m_vProgram = {0, 1, 0, 0, 0, 0x0c};
  program.m_vCid2Gid = {0, 5, 6, 7, 8};
  program.m_vCid2Unicode = {0, 0x30, 0x31, 0x41};
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  return f;
}

}  // namespace

TEST(EmbedFont, MinimalRecordIs244Bytes) {
  CEmbedFontResouce f;
  const auto bytes = Save(f);
  ASSERT_EQ(bytes.size(), 244u);
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 4), Hex("ffffffff"));
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 4, bytes.end()), Hex("z240"));

  // An embedded font cannot carry a system font's id.
  CEmbedFontResouce back;
  EXPECT_FALSE(Load(back, bytes, bytes.size()));
  f.SetFontID(0);
  const auto zero = Save(f);
  ASSERT_TRUE(Load(back, zero, zero.size()));
  EXPECT_TRUE(back.IsEqualEmbedFont(f));
}

TEST(EmbedFont, FullRecordRoundTrip) {
  const CEmbedFontResouce f = FullFont();
  const auto bytes = Save(f);
  // Head offsets: box at 36, strings at 52, supplement 172, base word 176, name 180, count 210.
  EXPECT_EQ(std::vector<unsigned char>(bytes.begin() + 36, bytes.begin() + 40), Hex("004026c4"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[82])), "CIDFontType2");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[180])), "WinAnsiEncoding");
  EXPECT_EQ(bytes[210], 66);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[214 + 32 * 65])), "A");

  CEmbedFontResouce back;
  ASSERT_TRUE(Load(back, bytes, bytes.size()));
  EXPECT_EQ(Save(back), bytes);
  // The program block's second word is not part of the record.
  EXPECT_EQ(back.GetEmbedPdfFontContent()->m_nSecondWord, 0);
  EXPECT_FALSE(back.IsEqualEmbedFont(f));
  back.GetEmbedPdfFontContent()->m_nSecondWord = 2;
  EXPECT_TRUE(back.IsEqualEmbedFont(f));
  EXPECT_EQ(back.GetUid2CidMap(), f.GetUid2CidMap());

  for (size_t len = 0; len < bytes.size(); ++len) {
    CEmbedFontResouce cut;
    EXPECT_FALSE(Load(cut, bytes, len)) << "cut at " << len;
  }
}

// The program block closes the record: presence byte, the 128-byte name, the first, hinting and
// fourth words (the second word stays in memory), then the program, the CID-to-glyph table and
// the CID-to-Unicode table, each after its count. Every field sits at its own offset.
TEST(EmbedFont, ProgramBlockFieldsAtTheirOffsets) {
  const CEmbedFontResouce f = FullFont();
  const auto bytes = Save(f);
  const std::vector<unsigned char> block = Hex(
      "01"                                                              // present
      "4142434445462b4c696265726174696f6e53616e73 z107 "               // "ABCDEF+LiberationSans"
      "01000000 03000000 04000000"                                      // first, hinting, fourth word
      "06000000 0001000000 0c"                                          // L, program
      "05000000 0000 0500 0600 0700 0800"                               // g, CID to glyph
      "04000000 0000 3000 3100 4100");                                  // u, CID to Unicode
  ASSERT_EQ(block.size(), 177u);
  ASSERT_GT(bytes.size(), block.size());
  EXPECT_EQ(std::vector<unsigned char>(bytes.end() - static_cast<long>(block.size()), bytes.end()), block);
  // Without a block the record ends in its presence byte 0.
  CEmbedFontResouce bare = FullFont();
  bare.SetEmbedPdfFontContent(nullptr);
  const auto without = Save(bare);
  ASSERT_EQ(without.size(), bytes.size() - block.size() + 1);
  EXPECT_EQ(without.back(), 0);
  EXPECT_TRUE(std::equal(without.begin(), without.end() - 1, bytes.begin()));
}

TEST(EmbedFont, HostileCountsAreRefused) {
  CEmbedFontResouce f;
  f.SetFontID(0);
  CPdfEmbedFontDesc program;
  f.SetEmbedPdfFontContent(&program);
  const auto good = Save(f);
  ASSERT_EQ(good.size(), 396u);
  struct Case {
    const char* name;
    size_t offset;
    std::vector<unsigned char> patch;
  };
  const Case cases[] = {
      {"257 glyph names", 210, Hex("01010000")},
      {"negative glyph names", 210, Hex("ffffffff")},
      {"huge h", 222, Hex("ffffff7f")},
      {"h x 8 wraps in 32 bits", 222, Hex("00000020")},
      {"negative h", 222, Hex("feffffff")},
      {"v x 10 wraps in 32 bits", 236, Hex("9a999919")},
      {"map presence 2", 240, Hex("02")},
      {"negative L", 384, Hex("ffffffff")},
      {"huge L", 384, Hex("ffffff7f")},
      {"huge g", 388, Hex("ffffff7f")},
      {"g x 2 wraps", 388, Hex("00000080")},
      {"huge u", 392, Hex("00000040")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bad = good;
    std::copy(c.patch.begin(), c.patch.end(), bad.begin() + static_cast<long>(c.offset));
    CEmbedFontResouce back;
    EXPECT_FALSE(Load(back, bad, bad.size()));
  }
  CEmbedFontResouce back;
  ASSERT_TRUE(Load(back, good, good.size()));
}

TEST(EmbedFont, FixedStringsAreTerminatedOnRead) {
  CEmbedFontResouce f;
  f.SetFontID(1);
  f.SetCodeNameCount(1);
  auto bytes = Save(f);
  std::fill(bytes.begin() + 52, bytes.begin() + 82, 'T');    // font type without terminator
  std::fill(bytes.begin() + 214, bytes.begin() + 246, 'n');  // glyph name without terminator
  CEmbedFontResouce back;
  ASSERT_TRUE(Load(back, bytes, bytes.size()));
  EXPECT_EQ(std::string(back.GetFontType()), std::string(29, 'T'));
  EXPECT_EQ(std::string(back.GetCodeName(0)), std::string(31, 'n'));
}

TEST(EmbedFont, EqualityLooksAtEveryPart) {
  const CEmbedFontResouce base = FullFont();
  EXPECT_TRUE(base.IsEqualEmbedFont(FullFont()));
  const std::pair<const char*, std::function<void(CEmbedFontResouce&)>> changes[] = {
      {"id", [](CEmbedFontResouce& f) { f.SetFontID(4); }},
      {"flags", [](CEmbedFontResouce& f) { f.SetFontFlag(0); }},
      {"NaN ascent", [](CEmbedFontResouce& f) { f.SetFontAscent(std::numeric_limits<float>::quiet_NaN()); }},
      {"embed flag", [](CEmbedFontResouce& f) { f.SetEmbedFontFlag(2); }},
      {"box", [](CEmbedFontResouce& f) { f.SetFontBox({0, 0, 1, 1}); }},
      {"ordering", [](CEmbedFontResouce& f) { f.SetFontOrdering("Japan1"); }},
      {"glyph name", [](CEmbedFontResouce& f) { f.SetCodeName(65, "B"); }},
      {"name count", [](CEmbedFontResouce& f) { f.SetCodeNameCount(67); }},
      {"horizontal entry", [](CEmbedFontResouce& f) { f.SetHorzMetrics(nullptr, "12345678", 1); }},
      {"vertical metrics only", [](CEmbedFontResouce& f) { f.SetVertMetrics(nullptr, nullptr, 0); }},
      {"vertical default", [](CEmbedFontResouce& f) { f.SetVertMetrics("9999999999", "3333333333", 1); }},
      {"no encoding map", [](CEmbedFontResouce& f) { f.SetEncodingMap(static_cast<const CEmbedFontMapWrap*>(nullptr)); }},
      {"chain cut", [](CEmbedFontResouce& f) { f.GetUtfCMap()->Clear(); }},
      {"program byte", [](CEmbedFontResouce& f) { f.GetEmbedPdfFontContent()->m_vProgram[0] = 9; }},
      {"hinting word", [](CEmbedFontResouce& f) { f.GetEmbedPdfFontContent()->m_nHintingWord = 0; }},
      {"no program", [](CEmbedFontResouce& f) { f.SetEmbedPdfFontContent(nullptr); }},
  };
  for (const auto& [name, change] : changes) {
    CEmbedFontResouce other = FullFont();
    change(other);
    EXPECT_FALSE(base.IsEqualEmbedFont(other)) << name;
    EXPECT_FALSE(other.IsEqualEmbedFont(base)) << name;
  }
}

TEST(EmbedFont, DeepCopyIsIndependent) {
  const CEmbedFontResouce f = FullFont();
  const auto before = Save(f);
  {
    auto* copy = new CEmbedFontResouce(f);
    EXPECT_TRUE(copy->IsEqualEmbedFont(f));
    copy->GetUtfCMap()->Clear();
    copy->GetEmbedPdfFontContent()->m_vCid2Gid.clear();
    copy->SetHorzMetrics(nullptr, nullptr, 0);
    delete copy;
  }
  EXPECT_EQ(Save(f), before);
  CEmbedFontResouce assigned;
  assigned = f;
  assigned.ClearFont();
  EXPECT_EQ(assigned.GetFontID(), -1);
  EXPECT_EQ(assigned.GetUtfCMap(), nullptr);
  EXPECT_NE(f.GetUtfCMap(), nullptr);
}

TEST(EmbedFont, ProgramBlockOwnership) {
  CEmbedFontResouce f;
  auto* block = new CPdfEmbedFontDesc;
  block->SetFontName(std::string(200, 'x').c_str());
  EXPECT_EQ(std::string(block->GetFontName()), std::string(126, 'x'));
  f.SetEmbedPdfFontContent2(block);
  EXPECT_EQ(f.GetEmbedPdfFontContent(), block);
  f.SetEmbedPdfFontContent2(block);  // the same block: kept
  EXPECT_EQ(f.GetEmbedPdfFontContent(), block);
  f.SetEmbedPdfFontContent2(nullptr);
  EXPECT_EQ(f.GetEmbedPdfFontContent(), nullptr);
}

TEST(FontManager, NewIdsAndOrder) {
  struct Case {
    std::vector<int> ids;
    int next;
  };
  for (const Case& c : {Case{{0, 1, 3}, 2}, {{2, 3}, 4}, {{5}, 6}, {{}, 0}, {{0, 1, 2}, 3}}) {
    CEmbedFontResManager m;
    for (int id : c.ids) {
      auto* r = new CEmbedFontResouce;
      r->SetFontID(id);
      ASSERT_GE(m.AddEmbedFontResouce(r), 0);
    }
    EXPECT_EQ(m.CreateNewEmbedFontID(), c.next);
  }

  CEmbedFontResManager m;
  int index[3];
  int n = 0;
  for (int id : {7, 3, 5}) {
    auto* r = new CEmbedFontResouce;
    r->SetFontID(id);
    index[n++] = m.AddEmbedFontResouce(r);
  }
  EXPECT_EQ(index[0], 0);
  EXPECT_EQ(index[1], 0);
  EXPECT_EQ(index[2], 1);
  ASSERT_EQ(m.GetCount(), 3);
  EXPECT_EQ(m.GetAt(0)->GetFontID(), 3);
  EXPECT_EQ(m.GetAt(1)->GetFontID(), 5);
  EXPECT_EQ(m.GetAt(2)->GetFontID(), 7);
  CEmbedFontResouce dup;
  dup.SetFontID(5);
  EXPECT_EQ(m.AddEmbedFontResouce(&dup), -1);
  EXPECT_EQ(m.GetCount(), 3);
  EXPECT_EQ(m.FindEmbedFontResource(5), m.GetAt(1));
  EXPECT_EQ(m.FindEmbedFontResource(4), nullptr);
  m.ClearAll();
  EXPECT_EQ(m.FindEmbedFontResource(3), nullptr);
}

TEST(GlyphIds, UnicodeToCidMap) {
  const CEmbedFontResouce f = FullFont();
  // From the to-Unicode map first (CID 3 before CID 9), then the program's table.
  EXPECT_EQ(f.LookupCid(0x41), 3);
  EXPECT_EQ(f.LookupCid(0x42), 4);
  EXPECT_EQ(f.LookupCid(0x30), 1);
  EXPECT_EQ(f.LookupCid(0x32), -1);
  // The map used by the to-Unicode map is searched too.
  EXPECT_EQ(f.LookupCid(0x10), 0x10);
}

// When a Unicode value is reached from several codes, the first code found keeps it: the maps are
// read in order (the to-Unicode map, then the maps it uses, then the program's table), ranges in
// order and codes upwards. Each case gives a later code the same value, so keeping the last code
// would give another answer.
TEST(GlyphIds, FirstCodeWinsInTheUnicodeToCidMap) {
  struct Case {
    const char* name;
    std::vector<TagMapRange> ranges;     // of the to-Unicode map
    std::vector<uint16_t> table;         // its value table (table and multi ranges)
    std::vector<TagMapRange> chained;    // of the map it uses (none when empty)
    std::vector<uint16_t> cid2unicode;   // the program's table
    int cidOfA, cidOfB;
  };
  const std::vector<Case> cases = {
      {"two single codes", {Range(3, 0, 0, 0x41), Range(9, 0, 0, 0x41)}, {}, {}, {}, 3, -1},
      {"a range, then a single code", {Range(3, 1, 1, 0x41), Range(2, 0, 0, 0x42)}, {}, {}, {}, 3, 4},
      {"codes of one table range", {Range(4, 3, 2, 0)}, {0x42, 0x41, 0x42, 0x41}, {}, {}, 5, 4},
      {"the values of a multi range go to its first code", {Range(5, 3, 3, 0)}, {2, 0x41, 0x42}, {}, {}, 5, 5},
      {"the map before the map it uses", {Range(3, 0, 0, 0x41)}, {}, {Range(0x20, 1, 1, 0x41)}, {}, 3, 0x21},
      {"the maps before the program's table", {Range(3, 0, 0, 0x41)}, {}, {}, {0, 0, 0x42, 0x41, 0, 0x41}, 3, 2},
      {"codes of the program's table upwards", {}, {}, {}, {0, 0, 0x41, 0x42, 0x41, 0x42}, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CEmbedFontResouce f;
    CEmbedFontMapWrap uni;
    uni.SetRanges(c.ranges.data(), static_cast<int>(c.ranges.size()));
    uni.SetTable(c.table.data(), static_cast<int>(c.table.size()));
    if (!c.chained.empty()) {
      auto* used = new CEmbedFontMapWrap;
      used->SetRanges(c.chained.data(), static_cast<int>(c.chained.size()));
      uni.SetNextFontMapWrap(used);
    }
    f.SetUtfCMap(&uni);
    CPdfEmbedFontDesc program;
    program.m_vCid2Unicode = c.cid2unicode;
    f.SetEmbedPdfFontContent(&program);
    f.RebuildUid2CidMap();
    EXPECT_EQ(f.LookupCid(0x41), c.cidOfA);
    EXPECT_EQ(f.LookupCid(0x42), c.cidOfB);
  }
}

// The font's ligatures come from the maps its record stores: multi-character values of letters
// in the to-Unicode map, and Unicode ligatures in either map. Anything else is no ligature: one
// letter, more than four, a character that is not a Latin letter, a code already a ligature, or a
// letter run an earlier code has.
TEST(GlyphIds, LigaturesFromTheStoredMaps) {
  // To-Unicode: code 11 "ff" (multi), 12 U+FB01 (single), 13 "f" (one letter), 14 "f-" (not
  // letters), 15 "ffiii" (five), 16 "ff" again; program table: code 2 U+FB03, 12 U+FB02 (code 12
  // is taken), 5 U+FB06 "st", 6 U+FB05 "st" again. A character beyond the basic plane, as its
  // surrogate pair (code 17), is drawn the same way; units out of order (code 18) are not.
  const std::vector<TagMapRange> ranges = {Range(11, 0, 3, 0), Range(12, 0, 0, 0xFB01), Range(13, 0, 3, 3),
                                           Range(14, 0, 3, 5), Range(15, 0, 3, 8),     Range(16, 0, 3, 0),
                                           Range(17, 0, 3, 14), Range(18, 0, 3, 17)};
  const std::vector<uint16_t> table = {2, 'f', 'f', 1, 'f', 2, 'f', '-', 5, 'f', 'f', 'i', 'i', 'i',
                                       2, 0xD835, 0xDC00, 2, 0xDC00, 0xD835};
  CEmbedFontResouce f;
  CEmbedFontMapWrap uni;
  uni.SetRanges(ranges.data(), static_cast<int>(ranges.size()));
  uni.SetTable(table.data(), static_cast<int>(table.size()));
  f.SetUtfCMap(&uni);
  CPdfEmbedFontDesc program;
  program.m_vCid2Unicode = {0, 0, 0xFB03, 0, 0, 0xFB06, 0xFB05, 0, 0, 0, 0, 0, 0xFB02};
  program.m_vCid2Gid = {0, 0, 7, 0, 0, 9, 0, 0, 0, 0, 0, 3, 4};
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  std::vector<std::pair<std::u16string, int>> got;
  for (const auto& l : f.GetLigatures()) got.emplace_back(l.letters, l.code);
  const std::vector<std::pair<std::u16string, int>> expected = {
      {u"ff", 11}, {u"fi", 12}, {u"\xD835\xDC00", 17}, {u"ffi", 2}, {u"st", 5}};
  EXPECT_EQ(got, expected);
  EXPECT_EQ(f.GetCodeGlyphGid(2), 7);
  EXPECT_EQ(f.GetCodeGlyphGid(12), 4);
  EXPECT_EQ(f.GetCodeGlyphGid(13), 0);  // past the table
  EXPECT_EQ(f.GetCodeGlyphGid(-1), 0);
  // A copy has them too.
  const CEmbedFontResouce copy(f);
  EXPECT_EQ(copy.GetLigatures().size(), expected.size());
}

namespace {

// A to-Unicode map of one level: the ranges and the table.
CEmbedFontMapWrap* MapLevel(const std::vector<TagMapRange>& ranges, const std::vector<uint16_t>& table) {
  auto* w = new CEmbedFontMapWrap;
  w->SetRanges(ranges.data(), static_cast<int>(ranges.size()));
  w->SetTable(table.data(), static_cast<int>(table.size()));
  return w;
}

// A multi-range list: its count, then the values first..first+count-1.
std::vector<uint16_t> ValueList(int count, int first) {
  std::vector<uint16_t> t{static_cast<uint16_t>(count)};
  for (int i = 0; i < count; ++i) t.push_back(static_cast<uint16_t>(first + i));
  return t;
}

}  // namespace

// The Unicode-to-CID map is read from untrusted records: its work follows what the map holds,
// not codes times values, and ends at a fixed number of steps whatever the record.
TEST(GlyphIds, UnicodeToCidMapWorkIsBounded) {
  struct Case {
    const char* name;
    std::function<CEmbedFontMapWrap*()> map;
    size_t maxSteps;
    std::vector<std::pair<uint16_t, int>> expect;  // Unicode value -> CID (-1: absent)
  };
  const Case cases[] = {
      {"a multi range gives its values to its first code",
       [] {
         const std::vector<uint16_t> fi = {2, 0x66, 0x69};  // a ligature: f, i
         return MapLevel({Range(5, 2, CEmbedFontMapWrap::kMulti, 0), Range(9, 0, 0, 0x66)}, fi);
       },
       3,
       {{0x66, 5}, {0x67, -1}, {0x69, 5}}},
      {"one multi range of 16,384 codes with 65,000 values",
       [] { return MapLevel({Range(0, 0x3FFF, CEmbedFontMapWrap::kMulti, 0)}, ValueList(65000, 1)); },
       65000,
       {{1, 0}, {65000, 0}, {65001, -1}}},
      {"ten thousand multi ranges sharing a list of 30,000 values",
       [] {
         std::vector<TagMapRange> ranges;
         for (int i = 0; i < 10000; ++i) ranges.push_back(Range(static_cast<uint16_t>(i * 2), 0, 3, 0));
         return MapLevel(ranges, ValueList(30000, 0x100));
       },
       CEmbedFontResouce::kMaxUid2CidSteps,
       {{0x100, 0}, {0x100 + 29999, 0}}},
      {"a 64-level chain mapping every code into the same 16,384 values",
       [] {
         const std::vector<TagMapRange> full = {Range(0, 0x3FFF, 1, 0x30), Range(0x4000, 0x3FFF, 1, 0x30),
                                                Range(0x8000, 0x3FFF, 1, 0x30), Range(0xC000, 0x3FFF, 1, 0x30)};
         CEmbedFontMapWrap* head = MapLevel(full, {});
         CEmbedFontMapWrap* w = head;
         for (int level = 1; level < CEmbedFontMapWrap::kMaxChainLength; ++level) {
           w->SetNextFontMapWrap(MapLevel(full, {}));
           w = w->GetNextFontMapWrap();
         }
         return head;
       },
       CEmbedFontResouce::kMaxUid2CidSteps,
       {{0x30, 0}, {0x30 + 0x3FFF, 0x3FFF}, {0x30 + 0x4000, -1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CEmbedFontResouce f;
    f.SetFontID(1);
    std::unique_ptr<CEmbedFontMapWrap> map(c.map());
    f.SetUtfCMap(map.get());
    // Through the record, as a document or a paste brings it.
    const auto bytes = Save(f);
    CEmbedFontResouce back;
    ASSERT_TRUE(Load(back, bytes, bytes.size()));
    EXPECT_LE(back.RebuildUid2CidMap(), c.maxSteps);
    for (const auto& [unicode, cid] : c.expect) EXPECT_EQ(back.LookupCid(unicode), cid) << std::hex << unicode;
  }
}

TEST(GlyphIds, WithoutATrueTypeMap) {
  CEmbedFontResouce f;
  CEmbedFontMapWrap uni;
  const TagMapRange toUnicode[] = {Range(2, 0, 0, 0x42), Range(9, 0, 0, 0x43)};
  uni.SetRanges(toUnicode, 2);
  f.SetUtfCMap(&uni);
  CPdfEmbedFontDesc program;
  program.m_vCid2Gid = {0, 0, 17};
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  EXPECT_EQ(f.GetGlyphGid(L'B', nullptr), 17);  // CID 2 through the CID-to-glyph table
  EXPECT_EQ(f.GetGlyphGid(L'C', nullptr), 9);   // CID 9 is past the table: the CID itself
  EXPECT_EQ(f.GetGlyphGid(L'A', nullptr), 0);   // no map knows 'A': no glyph
  EXPECT_EQ(f.GetGlyphGid(L'\U0001F600', nullptr), 0);
}

TEST(GlyphIds, TrueTypeProgram) {
  const std::filesystem::path file = "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";
  if (!std::filesystem::exists(file)) GTEST_SKIP() << "fonts-liberation2 is not installed";
  FT_Face face = nullptr;
  {
    LwFreeTypeLock lock;
    ASSERT_EQ(FT_New_Face(LwFreeType::Acquire(), file.c_str(), 0, &face), 0);
  }
  const int ellipsis = static_cast<int>(FT_Get_Char_Index(face, 0x2026));
  const int letterA = static_cast<int>(FT_Get_Char_Index(face, 'A'));
  ASSERT_NE(ellipsis, 0);
  ASSERT_EQ(FT_Get_Char_Index(face, 0x22EF), 0u);

  CEmbedFontResouce f = FullFont();
  CEmbedFontMapWrap toTtf;  // CID 3 -> 'A', CID 7 -> U+22EF
  const TagMapRange ranges[] = {Range(3, 0, 0, 0x41), Range(7, 0, 0, 0x22EF)};
  toTtf.SetRanges(ranges, 2);
  f.Set2ttfCMap(&toTtf);
  EXPECT_EQ(f.GetGlyphGid(L'A', face), letterA);
  EXPECT_EQ(f.GetGlyphGid(0x22EF, face), ellipsis);  // no U+22EF in the font: U+2026
  EXPECT_EQ(f.GetGlyphGid(L'A', nullptr), 0);
  LwFreeTypeLock lock;
  FT_Done_Face(face);
}

// A character no map knows is taken as a code only from 6400 up, where an import gives codes
// without Unicode as themselves: a word space between imported words, or a letter typed that the
// font lacks, never draws the glyph its value would name as a code (a font written with codes
// 1, 2, 3 ... has a letter at code 32).
TEST(GlyphIds, UnknownCharactersBelow6400AreNoCodes) {
  CEmbedFontResouce f;
  CPdfEmbedFontDesc program;
  program.m_vCid2Gid.assign(0x1A01, 0);
  program.m_vCid2Gid[32] = 5;       // a letter at code 32
  program.m_vCid2Gid['A'] = 6;
  program.m_vCid2Gid[0x1A00] = 7;   // a code given as itself
  program.m_vCid2Unicode.assign(0x22, 0);
  program.m_vCid2Unicode[0x21] = 'h';
  program.m_vCid2Gid[0x21] = 8;
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  EXPECT_EQ(f.GetGlyphGid(L'h', nullptr), 8);
  EXPECT_EQ(f.GetGlyphGid(L' ', nullptr), 0);
  EXPECT_EQ(f.GetGlyphGid(L'A', nullptr), 0);
  EXPECT_EQ(f.GetGlyphGid(0x1A00, nullptr), 7);
}

// A character reached from two codes takes the first one the program has a glyph for: a subset
// may hold one of them only.
TEST(GlyphIds, ACharacterTakesACodeWithAGlyph) {
  CEmbedFontResouce f;
  CEmbedFontMapWrap uni;
  const TagMapRange toUnicode[] = {Range(3, 0, 0, 0x41), Range(9, 0, 0, 0x41), Range(11, 0, 0, 0x41)};
  uni.SetRanges(toUnicode, 3);
  f.SetUtfCMap(&uni);
  CPdfEmbedFontDesc program;
  program.m_vCid2Gid = {0, 0, 0, 0, 0, 0, 0, 0, 0, 12, 0, 13};
  f.SetEmbedPdfFontContent(&program);
  f.RebuildUid2CidMap();
  EXPECT_EQ(f.LookupCid(0x41), 9);
  EXPECT_EQ(f.GetGlyphGid(L'A', nullptr), 12);
}
