// Tagged block sections: the storage unit of the document file and of the clipboard object stream.
//
// Layout (little-endian, all words u32, positions absolute in the file that holds the section):
//   header (12 bytes, where the section is declared): 4 tag bytes, index position, section length
//     (index position to the end of the last block); both words written 0 and patched later;
//   index: block count, then one entry per block: block position, raw length, packed length, then
//     the writer's own tail (nothing, a font id, ...). The entry size is not stored: readers derive
//     it from the first block position, since every writer puts the first block right behind the
//     index;
//   blocks: the zlib-packed bytes of each block, in index order.
//
// Writers fail (return false) rather than write a section that cannot be read back: a block that
// cannot be built or packed, or a position past 4 GiB. Readers check every count, position and
// length against the file before using it and never hand a block that failed to unpack to the
// handler.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include <mfc/afx.h>
#include <toolwell/ZlibCompresser.h>

class CQorCommonProgress;

namespace GlyphweaveLib {
class CEmbedFontResManager;
}

namespace Quirebook {

// Bytes of an index entry that every writer fills in: block position, raw and packed length.
inline constexpr unsigned kBlockEntryHeadSize = 12;

class CZipSavingInterface : public CZlibCompresser {
 public:
  // tag: up to 7 characters; the first 4 are written (padded with zeros when shorter).
  explicit CZipSavingInterface(const char* tag);
  virtual ~CZipSavingInterface();

  virtual unsigned GetBlocksCount() const = 0;
  // Remembers the current position as the header position and writes the tag and two zero words.
  // False only when the header would lie past the 4 GiB reach of the format.
  virtual bool SavingBlockTag(CFile* file);
  // Writes the count and one entry per block, its three leading words 0.
  virtual bool SavingIndexs(CFile* file) const = 0;
  // Builds block `index` in a malloc block and sets rawLength; null on failure. Freed here.
  virtual unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1,
                                          const CString& s2) = 0;

  // A block copied as it is stored elsewhere: true with its packed bytes and raw length, written
  // unchanged; false (the default) to have MakeBlockContent build it and pack it here.
  virtual bool GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength);

  // Writes the index and the packed blocks at the current position, then patches the index
  // entries and the header. False when the index or a block cannot be written; the section is then
  // incomplete and the file must be abandoned. A short write throws the file's exception.
  bool SavingBlocks(CFile* file, const CString& s1, const CString& s2, CQorCommonProgress* progress);

  const char* GetTag() const { return m_szTag; }

 protected:
  uint32_t m_nHeaderPos = 0;
  char m_szTag[8] = {};
};

// All fonts of a manager, in its (ascending id) order; entries carry the font id.
class CBaseZipSavingEmbedFont : public CZipSavingInterface {
 public:
  explicit CBaseZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager& manager);
  unsigned GetBlocksCount() const override;
  bool SavingIndexs(CFile* file) const override;
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1,
                                  const CString& s2) override;

 private:
  const GlyphweaveLib::CEmbedFontResManager& m_manager;
};

// The fonts of a list of ids, in list order. Every id must name a font of the manager: a missing
// one fails the save. The writer keeps its own copy of the ids; the manager must outlive it (a
// temporary manager is refused).
class CZipSavingEmbedFont : public CZipSavingInterface {
 public:
  CZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager& manager, std::vector<int> ids);
  CZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager* manager, std::vector<int> ids)
      : CZipSavingEmbedFont(*manager, std::move(ids)) {}
  CZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager&& manager, std::vector<int> ids) = delete;
  unsigned GetBlocksCount() const override;
  bool SavingIndexs(CFile* file) const override;
  // An index outside the list throws std::out_of_range.
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1,
                                  const CString& s2) override;

 private:
  const GlyphweaveLib::CEmbedFontResManager& m_manager;
  const std::vector<int> m_ids;
};

class CBaseExtractorInterface : public CZlibUnCompresser {
 public:
  // tag: up to 5 characters. tailSize: the bytes of its own that the reader expects behind the
  // three leading words of every entry; an index with smaller entries is refused.
  explicit CBaseExtractorInterface(const char* tag, unsigned tailSize = 0);
  virtual ~CBaseExtractorInterface();

  // One unpacked block. tail points at the entry's writer part (the word after the packed
  // length), at least tailSize bytes, 4-byte aligned, words little-endian as stored.
  virtual bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length,
                                   const CString& s1, const CString& s2) = 0;

  // Reads the 12-byte header. A different tag returns false with the position right after the
  // 4 tag bytes.
  bool ReadBlocksTag(CFile* file);

  const char* GetTag() const { return m_szTag; }
  uint32_t GetIndexPosition() const { return m_nIndexPos; }
  // The largest raw length a block of this section may unpack to; a block that declares more
  // is refused before anything is allocated. No bound below the packing ratio by default.
  void SetMaxRawLength(uint32_t max) { m_nMaxRawLength = max; }
  uint32_t GetMaxRawLength() const { return m_nMaxRawLength; }

 protected:
  // Reads and checks the index at the index position: the entry table (count x entrySize bytes,
  // as words) with every block inside the file. count 0 gives an empty table. False on any fault.
  bool ReadIndexTable(CFile* file, std::vector<uint32_t>& table, uint32_t& count, uint32_t& entrySize);
  // Reads and unpacks the block of one entry into the unpacked buffer. False (and an empty
  // buffer) when it cannot be read or does not unpack to exactly its raw length.
  bool ReadAndUnpackBlock(CFile* file, const uint32_t* entry);

  char m_szTag[6] = {};
  unsigned m_nTailSize = 0;
  uint32_t m_nIndexPos = 0;
  uint32_t m_nMaxRawLength = UINT32_MAX;
};

// Reads every block in one pass; callers call FinishExtracting after ReadBlocks.
class CZipExtractorInterface : public CBaseExtractorInterface {
 public:
  using CBaseExtractorInterface::CBaseExtractorInterface;
  virtual void FinishExtracting() = 0;

  // True when every block was read, unpacked and handed to ExtractBlockContent (whose own result
  // does not stop the pass). A block that cannot be read or unpacked is never handed on: it goes
  // to SkipDamagedBlock, the pass goes on with the next block and returns false at the end. A
  // damaged index reads no block at all.
  bool ReadBlocks(CFile* file, const CString& s1, const CString& s2);

 protected:
  // Told of each block ReadBlocks skips; tail as for ExtractBlockContent.
  virtual void SkipDamagedBlock(const unsigned* tail) { (void)tail; }
};

// Keeps the index and reads single blocks on demand.
class CZipRomExtractInterface : public CBaseExtractorInterface {
 public:
  using CBaseExtractorInterface::CBaseExtractorInterface;

  bool ReadIndexs(CFile* file);
  // The handler's result; false for an index outside the table or a block that cannot be read.
  bool ReadBlock(CFile* file, int index, const CString& s1, const CString& s2);
  // The unpacked bytes of block `index`; false when it cannot be read or unpacked.
  bool ReadUnpackedBlock(CFile* file, int index, std::vector<uint8_t>& raw);
  // The packed bytes of block `index` as stored (not unpacked, so not checked) and its raw length;
  // false for an index outside the table or a short read.
  bool ReadPackedBlock(CFile* file, int index, std::vector<uint8_t>& packed, uint32_t& rawLength) const;
  // The writer part of entry `index` (GetEntrySize() - 12 bytes, as words); null outside the table.
  const uint32_t* GetEntryTail(int index) const;
  void Clear();
  unsigned GetCount() const { return m_nCount; }
  unsigned GetEntrySize() const { return m_nEntrySize; }

 protected:
  std::vector<uint32_t> m_vEntries;
  uint32_t m_nCount = 0;
  uint32_t m_nEntrySize = 0;
};

}  // namespace Quirebook

using Quirebook::CBaseExtractorInterface;
using Quirebook::CBaseZipSavingEmbedFont;
using Quirebook::CZipExtractorInterface;
using Quirebook::CZipRomExtractInterface;
using Quirebook::CZipSavingEmbedFont;
using Quirebook::CZipSavingInterface;
