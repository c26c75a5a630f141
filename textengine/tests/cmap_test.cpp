// Character maps: lookups, decoding, engine records and the CMap record.
#include <gtest/gtest.h>

#include <pagesieve/qv_cmap.h>

#include <cstdlib>
#include <cstring>

#include "TextTestSupport.h"
#include "glyphweave/EmbedFontMapWrap.h"

using namespace GlyphweaveLib;
using gwtest::Hex;

namespace {

TagMapRange Range(uint16_t low, int extent, int kind, uint16_t value) {
  return {low, static_cast<uint16_t>((extent << 2) | kind), value};
}

// {0x20, extent 0x5E, range, 1}; {0x100, extent 3, table, 10}; {0x200, 0, multi, 0}.
CEmbedFontMapWrap SampleMap(const char* name = "Sample-H") {
  CEmbedFontMapWrap m;
  m.SetCMapName(name);
  m.SetCMapUseName("");
  const TagMapCodeSpace space[] = {{1, 0x00, 0x80}, {2, 0x8140, 0xFFFC}};
  m.SetCodeSpace(space, 2);
  const TagMapRange ranges[] = {Range(0x20, 0x5E, 1, 1), Range(0x100, 3, 2, 10), Range(0x200, 0, 3, 0)};
  m.SetRanges(ranges, 3);
  std::vector<uint16_t> table(14, 0);
  table[0] = 3;  // the multi entry: three values
  table[1] = 0x66;
  table[2] = 0x66;
  table[3] = 0x69;
  table[12] = 500;
  m.SetTable(table.data(), static_cast<int>(table.size()));
  return m;
}

void FreeEngineMap(qv_cmap_s* p) {
  while (p) {
    qv_cmap_s* next = p->usecmap;
    std::free(p->ranges);
    std::free(p->table);
    std::free(p);
    p = next;
  }
}

std::vector<unsigned char> Save(const CEmbedFontMapWrap& m) {
  Vectorloom::CVariableStream s(64, 64);
  EXPECT_TRUE(m.PutBinaryContent(&s));
  return gwtest::Bytes(s);
}

}  // namespace

TEST(CMap, Lookups) {
  const CEmbedFontMapWrap m = SampleMap();
  struct Case {
    int code, value;
  };
  for (const Case& c : {Case{0x41, 34}, {0x20, 1}, {0x7E, 95}, {0x7F, -1}, {0x1F, -1}, {0x102, 500}, {0x200, -1}})
    EXPECT_EQ(m.LookupCMap(c.code), c.value) << std::hex << c.code;

  int out[4] = {-7, -7, -7, -7};
  EXPECT_EQ(m.LookupCMapFully(0x200, out, 4), 3);
  EXPECT_EQ(out[0], 0x66);
  EXPECT_EQ(out[2], 0x69);
  EXPECT_EQ(out[3], -7);
  int one[2] = {-7, -7};
  EXPECT_EQ(m.LookupCMapFully(0x200, one, 1), 1);  // never more than the room given
  EXPECT_EQ(one[1], -7);
  EXPECT_EQ(m.LookupCMapFully(0x41, out, 4), 1);
  EXPECT_EQ(out[0], 34);
  EXPECT_EQ(m.LookupCMapFully(0x7F, out, 4), 0);
}

TEST(CMap, IndexesOutsideTheTableFindNothing) {
  CEmbedFontMapWrap m;
  const TagMapRange ranges[] = {Range(0x10, 5, 2, 2), Range(0x20, 0, 3, 1), Range(0x30, 0, 3, 9)};
  m.SetRanges(ranges, 3);
  const uint16_t table[] = {0, 0, 7, 65535};  // multi at 1 claims 0 values; at 3 claims 65535
  m.SetTable(table, 4);
  EXPECT_EQ(m.LookupCMap(0x10), 7);
  EXPECT_EQ(m.LookupCMap(0x11), 65535);
  EXPECT_EQ(m.LookupCMap(0x12), -1);  // table[4]
  int out[2] = {};
  EXPECT_EQ(m.LookupCMapFully(0x15, out, 2), 0);
  EXPECT_EQ(m.LookupCMapFully(0x20, out, 2), 0);
  EXPECT_EQ(m.LookupCMapFully(0x30, out, 2), 0);
}

TEST(CMap, ChainIsSearchedInOrder) {
  CEmbedFontMapWrap head = SampleMap("A");
  auto* second = new CEmbedFontMapWrap(SampleMap("B"));
  auto* third = new CEmbedFontMapWrap;
  third->SetCMapName("C");
  const TagMapRange r[] = {Range(0x7F, 0, 0, 777)};
  third->SetRanges(r, 1);
  second->SetNextFontMapWrap(third);
  head.SetNextFontMapWrap(second);
  EXPECT_EQ(head.LookupCMap(0x7F), 777);
  EXPECT_EQ(head.LookupCMap(0x41), 34);

  CEmbedFontMapWrap copy(head);
  EXPECT_TRUE(copy.IsEqualFontCMapWrap(head));
  head.GetNextFontMapWrap()->Clear();  // cut the original's chain: the copy keeps its own
  EXPECT_EQ(head.LookupCMap(0x7F), -1);
  EXPECT_EQ(copy.LookupCMap(0x7F), 777);
  EXPECT_FALSE(copy.IsEqualFontCMapWrap(head));
  copy = head;  // a shorter source cuts the target's chain
  EXPECT_TRUE(copy.IsEqualFontCMapWrap(head));
  EXPECT_EQ(copy.GetNextFontMapWrap()->GetNextFontMapWrap(), nullptr);
}

TEST(CMap, Decode) {
  const CEmbedFontMapWrap m = SampleMap();
  struct Case {
    std::vector<unsigned char> bytes;
    int code, used;
  };
  const Case cases[] = {
      {{0x41, 0x42}, 0x41, 1},
      {{0x81, 0x40}, 0x8140, 2},
      {{0xFF, 0xFF, 0xFF, 0xFF}, 0, 1},
      {{0x81}, 0, 1},  // the second byte is not there: never read past the end
      {{}, 0, 0},
  };
  for (const Case& c : cases) {
    int code = -1;
    EXPECT_EQ(m.DecodeCMap(c.bytes.data(), static_cast<int>(c.bytes.size()), &code), c.used);
    EXPECT_EQ(code, c.code);
  }
}

TEST(CMap, EngineRecordRoundTrip) {
  CEmbedFontMapWrap m = SampleMap("Head");
  m.SetCMapWmode(1);
  m.SetNextFontMapWrap(new CEmbedFontMapWrap(SampleMap("Used")));
  qv_cmap_s* rec = m.Convert2PdfMap();
  ASSERT_NE(rec, nullptr);
  EXPECT_STREQ(rec->cmap_name, "Head");
  EXPECT_EQ(rec->wmode, 1);
  EXPECT_EQ(rec->codespace_len, 2);
  EXPECT_EQ(rec->rlen, 3);
  EXPECT_EQ(rec->ranges[1].extent_flags, (3 << 2) | 2);
  ASSERT_NE(rec->usecmap, nullptr);
  EXPECT_STREQ(rec->usecmap->cmap_name, "Used");
  EXPECT_EQ(rec->usecmap->usecmap, nullptr);

  CEmbedFontMapWrap back;
  ASSERT_TRUE(back.SetWithCMap(rec));
  EXPECT_TRUE(back.IsEqualFontCMapWrap(m));
  FreeEngineMap(rec);

  CEmbedFontMapWrap empty;
  qv_cmap_s* bare = empty.Convert2PdfMap();
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->ranges, nullptr);
  EXPECT_EQ(bare->table, nullptr);
  FreeEngineMap(bare);
}

TEST(CMap, EngineRecordsAreTakenSafely) {
  CEmbedFontMapWrap m = SampleMap();
  EXPECT_FALSE(m.SetWithCMap(nullptr));

  qv_cmap_s a{}, b{};
  std::memcpy(a.cmap_name, "0123456789012345678901234567890123", 32);  // no terminator
  std::strcpy(a.usecmap_name, "B");  // named, but no pointer: no chain
  a.rlen = 5;                        // a count without a table gives an empty table
  ASSERT_TRUE(m.SetWithCMap(&a));
  EXPECT_EQ(std::strlen(m.GetCMapName()), 30u);
  EXPECT_EQ(m.GetNextFontMapWrap(), nullptr);
  EXPECT_TRUE(m.GetRanges().empty());

  // A cycle ends at the chain limit.
  a.usecmap = &b;
  b.usecmap = &a;
  ASSERT_TRUE(m.SetWithCMap(&a));
  int depth = 0;
  for (const CEmbedFontMapWrap* w = &m; w; w = w->GetNextFontMapWrap()) ++depth;
  EXPECT_EQ(depth, CEmbedFontMapWrap::kMaxChainLength);

  // More code-space entries than the map holds: refused, nothing changes.
  const CEmbedFontMapWrap before = m;
  b.codespace_len = 41;
  EXPECT_FALSE(m.SetWithCMap(&a));
  EXPECT_TRUE(m.IsEqualFontCMapWrap(before));
}

TEST(CMap, RecordLayoutAndChainRoundTrip) {
  CEmbedFontMapWrap m;
  m.SetCMapName("N");
  const TagMapCodeSpace space[] = {{1, 0, 0xFF}};
  m.SetCodeSpace(space, 1);
  const TagMapRange r[] = {Range(0x41, 1, 1, 0x61)};
  m.SetRanges(r, 1);
  const uint16_t t[] = {0x1234};
  m.SetTable(t, 1);
  const auto single = Save(m);
  EXPECT_EQ(single, Hex("4e z31 z32 00000000 01000000 0100 0000 ff00 01000000 4100 0500 6100"
                        "01000000 3412 00"));

  m.SetNextFontMapWrap(new CEmbedFontMapWrap(SampleMap("Second")));
  const auto chained = Save(m);
  EXPECT_EQ(chained.size(), 2 * 80u + 6 + 6 + 2 + 6 * 2 + 6 * 3 + 2 * 14 + 2);
  CEmbedFontMapWrap back;
  Vectorloom::CStreamReader in(chained.data(), static_cast<unsigned>(chained.size()));
  ASSERT_TRUE(back.GetByBinaryContent(&in));
  EXPECT_EQ(in.GetRemainLength(), 0u);
  EXPECT_TRUE(back.IsEqualFontCMapWrap(m));
  EXPECT_EQ(Save(back), chained);

  for (size_t len = 0; len < chained.size(); ++len) {
    CEmbedFontMapWrap cut;
    Vectorloom::CStreamReader part(chained.data(), static_cast<unsigned>(len));
    EXPECT_FALSE(cut.GetByBinaryContent(&part)) << len;
  }
}

TEST(CMap, MalformedRecordsAreRefused) {
  // A valid one-level record with one range and an empty table, patched below.
  CEmbedFontMapWrap m;
  const TagMapRange r[] = {Range(0x41, 1, 1, 0x61), Range(0x50, 0, 0, 1)};
  m.SetRanges(r, 2);
  const auto good = Save(m);
  struct Case {
    const char* name;
    size_t offset;
    std::vector<unsigned char> patch;
  };
  const Case cases[] = {
      {"41 code-space entries", 68, {41, 0, 0, 0}},
      {"negative code-space count", 68, {0xff, 0xff, 0xff, 0xff}},
      {"huge range count", 72, {0xff, 0xff, 0xff, 0x7f}},
      {"negative range count", 72, {0xff, 0xff, 0xff, 0xff}},
      {"ranges out of order", 82, {0x40, 0x00}},
      {"overlapping ranges", 82, {0x42, 0x00}},
      {"huge table count", 88, {0xff, 0xff, 0xff, 0x7f}},
      {"continuation byte 2", 92, {2}},
  };
  ASSERT_EQ(good.size(), 93u);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto bad = good;
    std::copy(c.patch.begin(), c.patch.end(), bad.begin() + static_cast<long>(c.offset));
    CEmbedFontMapWrap back;
    Vectorloom::CStreamReader in(bad.data(), static_cast<unsigned>(bad.size()));
    EXPECT_FALSE(back.GetByBinaryContent(&in));
  }

  // A chain longer than the limit.
  std::vector<unsigned char> chain;
  for (int i = 0; i <= CEmbedFontMapWrap::kMaxChainLength; ++i) {
    auto level = Save(CEmbedFontMapWrap());
    level.back() = i < CEmbedFontMapWrap::kMaxChainLength ? 1 : 0;
    chain.insert(chain.end(), level.begin(), level.end());
  }
  CEmbedFontMapWrap back;
  Vectorloom::CStreamReader in(chain.data(), static_cast<unsigned>(chain.size()));
  EXPECT_FALSE(back.GetByBinaryContent(&in));
}
