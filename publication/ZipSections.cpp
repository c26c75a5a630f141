#include "quirebook/ZipSections.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

#include <QorProgress.h>
#include <glyphweave/EmbedFontRes.h>
#include <mfc/afxbinio.h>
#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

namespace Quirebook {

namespace {

constexpr uint64_t kMaxPosition = 0xFFFFFFFFull;

// A copy of a stream's bytes in a malloc block; null when it cannot be made.
unsigned char* CopyStreamBytes(const CVariableStream& vs, unsigned long& rawLength) {
  rawLength = 0;
  const int n = vs.GetLength();
  unsigned char* block = static_cast<unsigned char*>(std::malloc(n > 0 ? static_cast<size_t>(n) : 1));
  if (!block) return nullptr;
  if (n > 0) std::memcpy(block, vs.GetBuffer(), static_cast<size_t>(n));
  rawLength = static_cast<unsigned long>(n);
  return block;
}

unsigned char* MakeFontBlock(const GlyphweaveLib::CEmbedFontResouce* font, unsigned long& rawLength) {
  rawLength = 0;
  if (!font) return nullptr;
  CVariableStream vs(65536);
  if (!font->PutBinaryContent(&vs)) return nullptr;
  return CopyStreamBytes(vs, rawLength);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Writers

CZipSavingInterface::CZipSavingInterface(const char* tag) {
  if (tag) std::strncpy(m_szTag, tag, sizeof(m_szTag) - 1);
}

CZipSavingInterface::~CZipSavingInterface() = default;

bool CZipSavingInterface::SavingBlockTag(CFile* file) {
  const ULONGLONG pos = file->GetPosition();
  if (pos > kMaxPosition - 12) return false;
  m_nHeaderPos = static_cast<uint32_t>(pos);
  uint8_t header[12] = {};
  std::memcpy(header, m_szTag, std::min<size_t>(4, std::strlen(m_szTag)));
  file->Write(header, sizeof(header));
  return true;
}

bool CZipSavingInterface::GetPackedBlock(int, std::vector<uint8_t>&, uint32_t&) { return false; }

bool CZipSavingInterface::SavingBlocks(CFile* file, const CString& s1, const CString& s2,
                                       CQorCommonProgress* progress) {
  const unsigned n = GetBlocksCount();
  const ULONGLONG indexPos = file->GetPosition();
  if (indexPos > kMaxPosition - 4) return false;
  if (!SavingIndexs(file)) return false;
  const ULONGLONG firstEntry = indexPos + 4;

  if (n > 0) {
    const ULONGLONG tableEnd = file->GetPosition();
    // The index must hold at least the three words of each entry, all entries of one size.
    if (tableEnd < firstEntry || (tableEnd - firstEntry) % n != 0) return false;
    const ULONGLONG entrySize = (tableEnd - firstEntry) / n;
    if (entrySize < kBlockEntryHeadSize || tableEnd > kMaxPosition) return false;

    std::vector<uint8_t> stored;
    for (unsigned i = 0; i < n; ++i) {
      const unsigned char* bytes = nullptr;
      uint32_t raw = 0, packedLength = 0;
      uint32_t storedRaw = 0;
      if (GetPackedBlock(static_cast<int>(i), stored, storedRaw)) {
        if (stored.size() > kMaxPosition) return false;
        bytes = stored.data();
        raw = storedRaw;
        packedLength = static_cast<uint32_t>(stored.size());
      } else {
        unsigned long rawLength = 0;
        unsigned char* block = MakeBlockContent(static_cast<int>(i), rawLength, s1, s2);
        if (!block) return false;
        // A block that cannot be packed fails the save: the packed buffer would still hold the
        // previous block.
        const bool packed = rawLength <= static_cast<unsigned long>(INT_MAX) &&
                            Compress(block, static_cast<int>(rawLength));
        std::free(block);
        if (!packed) return false;
        bytes = m_pPacked;
        raw = static_cast<uint32_t>(rawLength);
        packedLength = m_nPackedLength;
      }

      const ULONGLONG blockPos = file->GetPosition();
      if (blockPos + packedLength > kMaxPosition) return false;
      file->Write(bytes, packedLength);
      const ULONGLONG end = file->GetPosition();

      file->Seek(static_cast<LONGLONG>(firstEntry + i * entrySize), CFile::begin);
      lw::bin::WriteU32(*file, static_cast<uint32_t>(end - packedLength));
      lw::bin::WriteU32(*file, raw);
      lw::bin::WriteU32(*file, packedLength);
      file->Seek(static_cast<LONGLONG>(end), CFile::begin);

      if (progress) progress->SetProgress(static_cast<float>(i + 1) / static_cast<float>(n));
    }
  }

  const ULONGLONG end = file->GetPosition();
  if (end > kMaxPosition) return false;
  file->Seek(static_cast<LONGLONG>(m_nHeaderPos) + 4, CFile::begin);
  lw::bin::WriteU32(*file, static_cast<uint32_t>(indexPos));
  lw::bin::WriteU32(*file, static_cast<uint32_t>(end - indexPos));
  file->Seek(static_cast<LONGLONG>(end), CFile::begin);
  return true;
}

CBaseZipSavingEmbedFont::CBaseZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager& manager)
    : CZipSavingInterface("Font"), m_manager(manager) {}

unsigned CBaseZipSavingEmbedFont::GetBlocksCount() const { return static_cast<unsigned>(m_manager.GetCount()); }

bool CBaseZipSavingEmbedFont::SavingIndexs(CFile* file) const {
  lw::bin::WriteU32(*file, GetBlocksCount());
  for (int i = 0; i < m_manager.GetCount(); ++i) {
    const uint8_t zeros[12] = {};
    file->Write(zeros, sizeof(zeros));
    lw::bin::WriteI32(*file, m_manager.GetAt(i)->GetFontID());
  }
  return true;
}

unsigned char* CBaseZipSavingEmbedFont::MakeBlockContent(int index, unsigned long& rawLength, const CString&,
                                                         const CString&) {
  rawLength = 0;
  if (index < 0 || index >= m_manager.GetCount()) return nullptr;
  return MakeFontBlock(m_manager.GetAt(index), rawLength);
}

CZipSavingEmbedFont::CZipSavingEmbedFont(const GlyphweaveLib::CEmbedFontResManager& manager, std::vector<int> ids)
    : CZipSavingInterface("Font"), m_manager(manager), m_ids(std::move(ids)) {}

unsigned CZipSavingEmbedFont::GetBlocksCount() const { return static_cast<unsigned>(m_ids.size()); }

bool CZipSavingEmbedFont::SavingIndexs(CFile* file) const {
  lw::bin::WriteU32(*file, GetBlocksCount());
  for (int id : m_ids) {
    const uint8_t zeros[12] = {};
    file->Write(zeros, sizeof(zeros));
    lw::bin::WriteI32(*file, id);
  }
  return true;
}

unsigned char* CZipSavingEmbedFont::MakeBlockContent(int index, unsigned long& rawLength, const CString&,
                                                     const CString&) {
  rawLength = 0;
  if (index < 0 || static_cast<size_t>(index) >= m_ids.size()) throw std::out_of_range("invalid vector<T> subscript");
  return MakeFontBlock(m_manager.FindEmbedFontResource(m_ids[static_cast<size_t>(index)]), rawLength);
}

// ---------------------------------------------------------------------------------------------
// Readers

CBaseExtractorInterface::CBaseExtractorInterface(const char* tag, unsigned tailSize) : m_nTailSize(tailSize) {
  if (tag) std::strncpy(m_szTag, tag, sizeof(m_szTag) - 1);
}

CBaseExtractorInterface::~CBaseExtractorInterface() = default;

bool CBaseExtractorInterface::ReadBlocksTag(CFile* file) {
  char tag[5] = {};
  if (file->Read(tag, 4) != 4) return false;
  if (std::strcmp(tag, m_szTag) != 0) return false;
  uint32_t indexPos = 0, length = 0;
  if (!lw::bin::ReadU32(*file, indexPos) || !lw::bin::ReadU32(*file, length)) return false;
  m_nIndexPos = indexPos;
  return true;
}

bool CBaseExtractorInterface::ReadIndexTable(CFile* file, std::vector<uint32_t>& table, uint32_t& count,
                                             uint32_t& entrySize) {
  table.clear();
  count = 0;
  entrySize = 0;
  const ULONGLONG fileLength = file->GetLength();
  if (static_cast<ULONGLONG>(m_nIndexPos) + 4 > fileLength) return false;
  file->Seek(m_nIndexPos, CFile::begin);
  uint32_t n = 0;
  if (!lw::bin::ReadU32(*file, n)) return false;
  if (n == 0) return true;

  uint32_t first = 0;
  if (!lw::bin::ReadU32(*file, first)) return false;
  // The table runs from the word after the count to the first block; its entries are of one
  // size, a whole number of words, large enough for the three common words and this reader's
  // tail, and the whole table lies inside the file.
  const uint64_t tableStart = static_cast<uint64_t>(m_nIndexPos) + 4;
  if (first < tableStart || first > fileLength) return false;
  const uint64_t size = first - tableStart;
  if (size % n != 0) return false;
  const uint64_t esize = size / n;
  if (esize % 4 != 0 || esize < kBlockEntryHeadSize + static_cast<uint64_t>(m_nTailSize)) return false;

  std::vector<uint32_t> words;
  try {
    words.resize(static_cast<size_t>(size / 4));
  } catch (const std::bad_alloc&) {
    return false;
  }
  file->Seek(static_cast<LONGLONG>(tableStart), CFile::begin);
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(static_cast<size_t>(size));
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (!lw::bin::ReadBytes(*file, bytes.data(), bytes.size())) return false;
  CStreamReader in(bytes.data(), static_cast<unsigned>(bytes.size()));  // below 4 GiB: first is a u32
  for (uint32_t& word : words)
    if (!in.ReadU32(word)) return false;

  // Every block must lie inside the file.
  const size_t stride = static_cast<size_t>(esize / 4);
  for (uint32_t i = 0; i < n; ++i) {
    const uint32_t* e = words.data() + i * stride;
    if (static_cast<uint64_t>(e[0]) + e[2] > fileLength) return false;
  }
  table = std::move(words);
  count = n;
  entrySize = static_cast<uint32_t>(esize);
  return true;
}

bool CBaseExtractorInterface::ReadAndUnpackBlock(CFile* file, const uint32_t* entry) {
  CZlibUnCompresser::Clear();
  const uint32_t pos = entry[0], raw = entry[1], packedLength = entry[2];
  if (raw > m_nMaxRawLength || static_cast<uint64_t>(pos) + packedLength > file->GetLength()) return false;
  unsigned char* packed = static_cast<unsigned char*>(std::malloc(packedLength ? packedLength : 1));
  if (!packed) return false;
  file->Seek(pos, CFile::begin);
  const bool read = lw::bin::ReadBytes(*file, packed, packedLength);
  // The unpacker refuses a raw length that the packed bytes cannot give, so the stored length
  // cannot make it allocate far beyond the file, and anything but exactly raw bytes fails.
  const bool ok = read && UnCompress(packed, packedLength, raw) && m_nUnpackedLength == raw;
  std::free(packed);
  if (!ok) CZlibUnCompresser::Clear();
  return ok;
}

bool CZipExtractorInterface::ReadBlocks(CFile* file, const CString& s1, const CString& s2) {
  std::vector<uint32_t> table;
  uint32_t count = 0, entrySize = 0;
  if (!ReadIndexTable(file, table, count, entrySize)) return false;
  const size_t stride = entrySize / 4;
  bool all = true;
  for (uint32_t i = 0; i < count; ++i) {
    const uint32_t* entry = table.data() + i * stride;
    if (!ReadAndUnpackBlock(file, entry)) {
      all = false;
      SkipDamagedBlock(entry + 3);
      continue;
    }
    ExtractBlockContent(entry + 3, m_pUnpacked, m_nUnpackedLength, s1, s2);
  }
  return all;
}

bool CZipRomExtractInterface::ReadIndexs(CFile* file) {
  Clear();
  std::vector<uint32_t> table;
  uint32_t count = 0, entrySize = 0;
  if (!ReadIndexTable(file, table, count, entrySize)) return false;
  m_vEntries = std::move(table);
  m_nCount = count;
  m_nEntrySize = entrySize;
  return true;
}

bool CZipRomExtractInterface::ReadBlock(CFile* file, int index, const CString& s1, const CString& s2) {
  if (index < 0 || static_cast<uint32_t>(index) >= m_nCount) return false;
  const uint32_t* entry = m_vEntries.data() + static_cast<size_t>(index) * (m_nEntrySize / 4);
  if (!ReadAndUnpackBlock(file, entry)) return false;
  return ExtractBlockContent(entry + 3, m_pUnpacked, m_nUnpackedLength, s1, s2);
}

bool CZipRomExtractInterface::ReadUnpackedBlock(CFile* file, int index, std::vector<uint8_t>& raw) {
  raw.clear();
  if (index < 0 || static_cast<uint32_t>(index) >= m_nCount) return false;
  const uint32_t* entry = m_vEntries.data() + static_cast<size_t>(index) * (m_nEntrySize / 4);
  if (!ReadAndUnpackBlock(file, entry)) return false;
  raw.assign(m_pUnpacked, m_pUnpacked + m_nUnpackedLength);
  return true;
}

bool CZipRomExtractInterface::ReadPackedBlock(CFile* file, int index, std::vector<uint8_t>& packed,
                                              uint32_t& rawLength) const {
  packed.clear();
  rawLength = 0;
  if (index < 0 || static_cast<uint32_t>(index) >= m_nCount) return false;
  const uint32_t* entry = m_vEntries.data() + static_cast<size_t>(index) * (m_nEntrySize / 4);
  const uint32_t pos = entry[0], packedLength = entry[2];
  if (static_cast<uint64_t>(pos) + packedLength > file->GetLength()) return false;
  try {
    packed.resize(packedLength);
  } catch (const std::bad_alloc&) {
    return false;
  }
  file->Seek(pos, CFile::begin);
  if (!lw::bin::ReadBytes(*file, packed.data(), packed.size())) {
    packed.clear();
    return false;
  }
  rawLength = entry[1];
  return true;
}

const uint32_t* CZipRomExtractInterface::GetEntryTail(int index) const {
  if (index < 0 || static_cast<uint32_t>(index) >= m_nCount) return nullptr;
  return m_vEntries.data() + static_cast<size_t>(index) * (m_nEntrySize / 4) + 3;
}

void CZipRomExtractInterface::Clear() {
  m_vEntries.clear();
  m_vEntries.shrink_to_fit();
  m_nCount = 0;
  m_nEntrySize = 0;
}

}  // namespace Quirebook
