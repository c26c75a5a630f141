#include <gtest/gtest.h>

#include <random>

#include <glyphweave/EmbedFontRes.h>
#include <vectorloom/VariableStream.h>

#include "SectionTestKit.h"

using namespace sectiontest;

namespace {

const CString kV1(L"2000"), kV2(L"2010");

// Writes one section (header at 0, index behind it) and returns the bytes.
Bytes WriteSection(CZipSavingInterface& writer, bool* ok = nullptr) {
  CMemFile f;
  EXPECT_TRUE(writer.SavingBlockTag(&f));
  const bool saved = writer.SavingBlocks(&f, kV1, kV2, nullptr);
  if (ok) *ok = saved; else EXPECT_TRUE(saved);
  return Bytes(f.GetBufferPtr(), f.GetBufferPtr() + f.GetLength());
}

template <class Reader>
bool ReadTag(Reader& r, CMemFile& f) {
  return r.ReadBlocksTag(&f);
}

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b(n);
  for (auto& c : b) c = static_cast<unsigned char>(rng());
  return b;
}

std::vector<Bytes> SampleBlocks() {
  Bytes text(3000);
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<unsigned char>("leafwright "[i % 11]);
  // An empty block, a compressible one, and random bytes whose packed form is larger than raw.
  return {Bytes{}, text, RandomBytes(64, 7), Bytes{42}};
}

uint32_t Word(const Bytes& b, size_t at) { return lw::bin::GetLE32(b.data() + at); }
void PutWord(Bytes& b, size_t at, uint32_t v) { lw::bin::PutLE32(b.data() + at, v); }

}  // namespace

TEST(ZipSections, RoundTripForEachEntrySize) {
  for (unsigned tailWords : {0u, 1u, 134u}) {  // entries of 12, 16 and 548 bytes
    SCOPED_TRACE(tailWords);
    const auto blocks = SampleBlocks();
    CBytesWriter writer("Dibs", blocks, tailWords);
    Bytes bytes = WriteSection(writer);

    ASSERT_EQ(Word(bytes, 4), 12u);                      // index right behind the header
    EXPECT_EQ(Word(bytes, 8), bytes.size() - 12);        // up to the end of the last block
    EXPECT_EQ(Word(bytes, 12), blocks.size());
    // The random block is stored packed even though that is larger than its raw form.
    const size_t e2 = 16 + 2 * (12 + tailWords * 4);
    EXPECT_EQ(Word(bytes, e2 + 4), 64u);
    EXPECT_GT(Word(bytes, e2 + 8), 64u);

    CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
    CBytesReader reader("Dibs", tailWords);
    ASSERT_TRUE(reader.ReadBlocksTag(&in));
    ASSERT_TRUE(reader.ReadBlocks(&in, kV1, kV2));
    ASSERT_EQ(reader.m_got.size(), blocks.size());
    for (size_t i = 0; i < blocks.size(); ++i) {
      EXPECT_EQ(reader.m_got[i].data, blocks[i]);
      for (unsigned k = 0; k < tailWords; ++k) EXPECT_EQ(reader.m_got[i].tail[k], i * 100 + k);
    }

    CMemFile in2(bytes.data(), static_cast<UINT>(bytes.size()));
    CBytesRomReader rom("Dibs", tailWords);
    ASSERT_TRUE(rom.ReadBlocksTag(&in2));
    ASSERT_TRUE(rom.ReadIndexs(&in2));
    EXPECT_EQ(rom.GetCount(), blocks.size());
    EXPECT_EQ(rom.GetEntrySize(), 12 + tailWords * 4);
    for (int i = static_cast<int>(blocks.size()) - 1; i >= 0; --i) ASSERT_TRUE(rom.ReadBlock(&in2, i, kV1, kV2));
    EXPECT_EQ(rom.m_got[0].data, blocks.back());
    EXPECT_FALSE(rom.ReadBlock(&in2, static_cast<int>(blocks.size()), kV1, kV2));
    EXPECT_FALSE(rom.ReadBlock(&in2, -1, kV1, kV2));
    rom.Clear();
    EXPECT_EQ(rom.GetCount(), 0u);
    EXPECT_FALSE(rom.ReadBlock(&in2, 0, kV1, kV2));
  }
}

TEST(ZipSections, ByteLayoutOfOneBlock) {
  CBytesWriter writer("Page", {Bytes{1, 2, 3}}, 0);
  Bytes bytes = WriteSection(writer);
  // Header: "Page", index at 12, length; index: count 1, entry {28, 3, packed}; then the block.
  ASSERT_GE(bytes.size(), 28u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "Page");
  EXPECT_EQ(Word(bytes, 4), 12u);
  EXPECT_EQ(Word(bytes, 12), 1u);
  EXPECT_EQ(Word(bytes, 16), 28u);
  EXPECT_EQ(Word(bytes, 20), 3u);
  EXPECT_EQ(Word(bytes, 24), bytes.size() - 28);
  EXPECT_EQ(Word(bytes, 8), bytes.size() - 12);
  EXPECT_EQ(bytes[28], 0x78);  // a zlib stream
}

TEST(ZipSections, EmptySectionAndConsecutiveHeaders) {
  CBytesWriter empty("Font", {}, 1);
  CBytesWriter page("Page", {Bytes{9, 9}}, 0);
  CMemFile f;
  ASSERT_TRUE(empty.SavingBlockTag(&f));
  ASSERT_TRUE(page.SavingBlockTag(&f));
  ASSERT_TRUE(empty.SavingBlocks(&f, kV1, kV2, nullptr));
  ASSERT_TRUE(page.SavingBlocks(&f, kV1, kV2, nullptr));
  Bytes bytes(f.GetBufferPtr(), f.GetBufferPtr() + f.GetLength());
  EXPECT_EQ(Word(bytes, 4), 24u);
  EXPECT_EQ(Word(bytes, 8), 4u);  // the index is the single word 0
  EXPECT_EQ(Word(bytes, 24), 0u);
  EXPECT_EQ(Word(bytes, 16), 28u);

  CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
  CBytesReader fonts("Font", 1), pages("Page", 0);
  ASSERT_TRUE(fonts.ReadBlocksTag(&in));
  ASSERT_TRUE(pages.ReadBlocksTag(&in));
  ASSERT_TRUE(fonts.ReadBlocks(&in, kV1, kV2));
  ASSERT_TRUE(pages.ReadBlocks(&in, kV1, kV2));
  EXPECT_TRUE(fonts.m_got.empty());
  ASSERT_EQ(pages.m_got.size(), 1u);
  EXPECT_EQ(pages.m_got[0].data, (Bytes{9, 9}));
}

TEST(ZipSections, WrongTagStopsAfterTheTag) {
  CBytesWriter writer("Page", {Bytes{1}}, 0);
  Bytes bytes = WriteSection(writer);
  CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
  CBytesReader reader("Dibs", 0);
  EXPECT_FALSE(reader.ReadBlocksTag(&in));
  EXPECT_EQ(in.GetPosition(), 4u);
  CMemFile cut(bytes.data(), 10);
  CBytesReader pages("Page", 0);
  EXPECT_FALSE(pages.ReadBlocksTag(&cut));
}

TEST(ZipSections, FailedBlockFailsTheSave) {
  CBytesWriter writer("Page", {Bytes{1}, Bytes{2}}, 0);
  writer.m_failAt = 1;
  bool ok = true;
  Bytes bytes = WriteSection(writer, &ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(Word(bytes, 4), 0u);  // header left unpatched
}

TEST(ZipSections, CorruptedSectionsAreRefused) {
  const unsigned tailWords = 1;
  CBytesWriter writer("Objs", SampleBlocks(), tailWords);
  const Bytes good = WriteSection(writer);
  const size_t index = 12, entry0 = 16, esize = 16;
  struct Case {
    const char* name;
    std::function<void(Bytes&)> spoil;
    bool indexFault;  // true: no block is read; false: block 1 alone is spoilt
  };
  const std::vector<Case> cases = {
      {"index past the end", [](Bytes& b) { PutWord(b, 4, 0xFFFFFFF0u); }, true},
      {"first block below the index", [&](Bytes& b) { PutWord(b, entry0, index); }, true},
      {"first block past the end", [&](Bytes& b) { PutWord(b, entry0, 0x7FFFFFFFu); }, true},
      {"huge count", [&](Bytes& b) { PutWord(b, index, 0xFFFFFFFFu); }, true},
      {"entries smaller than the tail", [&](Bytes& b) { PutWord(b, index, 5); }, true},
      {"uneven entries", [&](Bytes& b) { PutWord(b, index, 3); }, true},
      {"block past the end", [&](Bytes& b) { PutWord(b, entry0 + 2 * esize + 8, 0x10000u); }, true},
      {"raw length too large", [&](Bytes& b) { PutWord(b, entry0 + esize + 4, 3001); }, false},
      {"raw length too small", [&](Bytes& b) { PutWord(b, entry0 + esize + 4, 2999); }, false},
      {"raw length huge", [&](Bytes& b) { PutWord(b, entry0 + esize + 4, 0xFFFFFFF0u); }, false},
      {"packed bytes spoilt", [&](Bytes& b) { b[Word(b, entry0 + esize) + 5] ^= 0x55; }, false},
  };
  const std::vector<Bytes> blocks = SampleBlocks();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    c.spoil(bad);
    CMemFile in(bad.data(), static_cast<UINT>(bad.size()));
    CBytesReader reader("Objs", tailWords);
    ASSERT_TRUE(reader.ReadBlocksTag(&in));
    EXPECT_FALSE(reader.ReadBlocks(&in, kV1, kV2));
    // The spoilt block never reaches the handler; the blocks after it still do.
    if (c.indexFault) {
      EXPECT_TRUE(reader.m_got.empty());
    } else {
      ASSERT_EQ(reader.m_got.size(), blocks.size() - 1);
      EXPECT_EQ(reader.m_got[0].data, blocks[0]);
      EXPECT_EQ(reader.m_got[1].data, blocks[2]);
      EXPECT_EQ(reader.m_got[2].data, blocks[3]);
    }

    CMemFile in2(bad.data(), static_cast<UINT>(bad.size()));
    CBytesRomReader rom("Objs", tailWords);
    ASSERT_TRUE(rom.ReadBlocksTag(&in2));
    if (rom.ReadIndexs(&in2)) {
      bool all = true;
      for (int i = 0; i < static_cast<int>(rom.GetCount()); ++i) all = rom.ReadBlock(&in2, i, kV1, kV2) && all;
      EXPECT_FALSE(all);
    }
  }
  // A reader whose entries carry a longer tail than the file's refuses the index.
  CMemFile in(const_cast<unsigned char*>(good.data()), static_cast<UINT>(good.size()));
  CBytesReader wide("Objs", 2);
  ASSERT_TRUE(wide.ReadBlocksTag(&in));
  EXPECT_FALSE(wide.ReadBlocks(&in, kV1, kV2));
}

TEST(ZipSections, TruncatedSectionsAreRefused) {
  CBytesWriter writer("Page", SampleBlocks(), 0);
  const Bytes good = WriteSection(writer);
  for (size_t n = 12; n < good.size(); ++n) {
    Bytes cut(good.begin(), good.begin() + static_cast<long>(n));
    CMemFile in(cut.data(), static_cast<UINT>(cut.size()));
    CBytesReader reader("Page", 0);
    ASSERT_TRUE(reader.ReadBlocksTag(&in));
    EXPECT_FALSE(reader.ReadBlocks(&in, kV1, kV2)) << n;
  }
}

namespace {

GlyphweaveLib::CEmbedFontResouce* MakeFont(int id, const char* type) {
  auto* f = new GlyphweaveLib::CEmbedFontResouce;
  f->SetFontID(id);
  f->SetFontType(type);
  f->SetFontAscent(0.75f);
  return f;
}

Bytes FontRecord(const GlyphweaveLib::CEmbedFontResouce& f) {
  CVariableStream vs;
  EXPECT_TRUE(f.PutBinaryContent(&vs));
  return Bytes(vs.GetBuffer(), vs.GetBuffer() + vs.GetLength());
}

}  // namespace

TEST(ZipSections, FontSections) {
  GlyphweaveLib::CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeFont(7, "Type1"));
  fonts.AddEmbedFontResouce(MakeFont(3, "TrueType"));

  CBaseZipSavingEmbedFont all(fonts);
  EXPECT_STREQ(all.GetTag(), "Font");
  Bytes bytes = WriteSection(all);
  CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
  CBytesReader reader("Font", 1);
  ASSERT_TRUE(reader.ReadBlocksTag(&in));
  ASSERT_TRUE(reader.ReadBlocks(&in, kV1, kV2));
  ASSERT_EQ(reader.m_got.size(), 2u);
  EXPECT_EQ(reader.m_got[0].tail[0], 3u);  // ascending id
  EXPECT_EQ(reader.m_got[1].tail[0], 7u);
  EXPECT_EQ(reader.m_got[0].data, FontRecord(*fonts.FindEmbedFontResource(3)));
  GlyphweaveLib::CEmbedFontResouce back;
  ASSERT_TRUE(back.SetByBinaryContent(reader.m_got[1].data.data(), static_cast<unsigned>(reader.m_got[1].data.size())));
  EXPECT_TRUE(back.IsEqualEmbedFont(*fonts.FindEmbedFontResource(7)));

  const std::vector<int> ids = {7};
  CZipSavingEmbedFont listed(&fonts, ids);
  Bytes one = WriteSection(listed);
  CMemFile in1(one.data(), static_cast<UINT>(one.size()));
  CBytesReader r1("Font", 1);
  ASSERT_TRUE(r1.ReadBlocksTag(&in1));
  ASSERT_TRUE(r1.ReadBlocks(&in1, kV1, kV2));
  ASSERT_EQ(r1.m_got.size(), 1u);
  EXPECT_EQ(r1.m_got[0].tail[0], 7u);

  const std::vector<int> missing = {3, 99};
  CZipSavingEmbedFont bad(fonts, missing);
  bool ok = true;
  WriteSection(bad, &ok);
  EXPECT_FALSE(ok);
  unsigned long raw = 0;
  EXPECT_THROW(bad.MakeBlockContent(2, raw, kV1, kV2), std::out_of_range);
}

// The writer keeps its own ids: a list that was a temporary, or that changes after the writer was
// made, does not change what it writes (the sanitizer build sees any read of the gone list).
TEST(ZipSections, FontWriterOwnsItsIdList) {
  GlyphweaveLib::CEmbedFontResManager fonts;
  fonts.AddEmbedFontResouce(MakeFont(7, "Type1"));
  fonts.AddEmbedFontResouce(MakeFont(3, "TrueType"));
  auto tails = [](CZipSavingInterface& writer) {
    Bytes bytes = WriteSection(writer);
    CMemFile in(bytes.data(), static_cast<UINT>(bytes.size()));
    CBytesReader reader("Font", 1);
    EXPECT_TRUE(reader.ReadBlocksTag(&in));
    EXPECT_TRUE(reader.ReadBlocks(&in, kV1, kV2));
    std::vector<unsigned> ids;
    for (const auto& got : reader.m_got) ids.push_back(got.tail[0]);
    return ids;
  };

  CZipSavingEmbedFont fromTemporary(fonts, std::vector<int>{7, 3});
  std::vector<std::vector<int>> reuse(8, std::vector<int>{99, 98});  // may take the freed memory
  EXPECT_EQ(tails(fromTemporary), (std::vector<unsigned>{7, 3}));

  std::vector<int> ids = {3};
  CZipSavingEmbedFont fromList(&fonts, ids);
  ids = {99, 98, 97};
  EXPECT_EQ(fromList.GetBlocksCount(), 1u);
  EXPECT_EQ(tails(fromList), (std::vector<unsigned>{3}));
}

// Blocks copied as stored: a writer that hands over another section's packed blocks writes that
// section again byte for byte, without building or packing anything; the rom reader gives each
// block packed, unpacked and its entry's tail, and nothing outside its table.
TEST(ZipSections, StoredBlocksAreCopiedUnchanged) {
  const std::vector<Bytes> blocks = SampleBlocks();
  CBytesWriter writer("Objs", blocks, 2);
  const Bytes original = WriteSection(writer);

  Bytes source = original;
  CMemFile in(source.data(), static_cast<UINT>(source.size()));
  CBytesRomReader rom("Objs", 2);
  ASSERT_TRUE(rom.ReadBlocksTag(&in));
  ASSERT_TRUE(rom.ReadIndexs(&in));
  ASSERT_EQ(rom.GetCount(), blocks.size());
  for (int i = 0; i < static_cast<int>(blocks.size()); ++i) {
    std::vector<uint8_t> raw;
    ASSERT_TRUE(rom.ReadUnpackedBlock(&in, i, raw));
    EXPECT_EQ(raw, blocks[static_cast<size_t>(i)]);
    ASSERT_NE(rom.GetEntryTail(i), nullptr);
    EXPECT_EQ(rom.GetEntryTail(i)[1], static_cast<uint32_t>(i * 100 + 1));
  }
  std::vector<uint8_t> packed;
  uint32_t rawLength = 7;
  for (int bad : {-1, static_cast<int>(blocks.size())}) {
    EXPECT_FALSE(rom.ReadPackedBlock(&in, bad, packed, rawLength));
    EXPECT_FALSE(rom.ReadUnpackedBlock(&in, bad, packed));
    EXPECT_EQ(rom.GetEntryTail(bad), nullptr);
  }

  // Copies block i from the reader; MakeBlockContent is never asked.
  struct CCopyWriter : CBytesWriter {
    CCopyWriter(std::vector<Bytes> b, CBytesRomReader& r, CMemFile& f)
        : CBytesWriter("Objs", std::move(b), 2), rom(r), file(f) {}
    bool GetPackedBlock(int index, std::vector<uint8_t>& out, uint32_t& raw) override {
      return rom.ReadPackedBlock(&file, index, out, raw);
    }
    unsigned char* MakeBlockContent(int, unsigned long&, const CString&, const CString&) override {
      ADD_FAILURE() << "block built";
      return nullptr;
    }
    CBytesRomReader& rom;
    CMemFile& file;
  } copier(std::vector<Bytes>(blocks.size()), rom, in);  // empty blocks of its own
  EXPECT_EQ(WriteSection(copier), original);
}
