// A writer and reader pair over plain byte blocks, for the section tests and the fuzz harness.
#pragma once

#include <cstdlib>
#include <cstring>
#include <vector>

#include <mfc/afxbinio.h>
#include <quirebook/ZipSections.h>

namespace sectiontest {

using Bytes = std::vector<unsigned char>;

// Writes blocks with entries of 12 + tailWords x 4 bytes; tail word k of block i is i * 100 + k.
class CBytesWriter : public Quirebook::CZipSavingInterface {
 public:
  CBytesWriter(const char* tag, std::vector<Bytes> blocks, unsigned tailWords)
      : CZipSavingInterface(tag), m_blocks(std::move(blocks)), m_tailWords(tailWords) {}
  unsigned GetBlocksCount() const override { return static_cast<unsigned>(m_blocks.size()); }
  bool SavingIndexs(CFile* file) const override {
    lw::bin::WriteU32(*file, GetBlocksCount());
    for (size_t i = 0; i < m_blocks.size(); ++i) {
      for (int k = 0; k < 3; ++k) lw::bin::WriteU32(*file, 0);
      for (unsigned k = 0; k < m_tailWords; ++k) lw::bin::WriteU32(*file, static_cast<uint32_t>(i * 100 + k));
    }
    return true;
  }
  unsigned char* MakeBlockContent(int index, unsigned long& raw, const CString&, const CString&) override {
    if (index == m_failAt) return nullptr;
    const Bytes& b = m_blocks[static_cast<size_t>(index)];
    auto* p = static_cast<unsigned char*>(std::malloc(b.empty() ? 1 : b.size()));
    if (!b.empty()) std::memcpy(p, b.data(), b.size());
    raw = b.size();
    return p;
  }
  int m_failAt = -1;

 private:
  std::vector<Bytes> m_blocks;
  unsigned m_tailWords;
};

struct Received {
  std::vector<unsigned> tail;
  Bytes data;
};

inline void Receive(std::vector<Received>& out, unsigned tailWords, const unsigned* tail, const unsigned char* data,
                    unsigned length) {
  Received r;
  r.tail.assign(tail, tail + tailWords);
  if (length) r.data.assign(data, data + length);
  out.push_back(std::move(r));
}

class CBytesReader : public Quirebook::CZipExtractorInterface {
 public:
  CBytesReader(const char* tag, unsigned tailWords) : CZipExtractorInterface(tag, tailWords * 4), m_tailWords(tailWords) {}
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString&,
                           const CString&) override {
    Receive(m_got, m_tailWords, tail, data, length);
    return true;
  }
  void FinishExtracting() override { m_finished = true; }
  std::vector<Received> m_got;
  bool m_finished = false;

 private:
  unsigned m_tailWords;
};

class CBytesRomReader : public Quirebook::CZipRomExtractInterface {
 public:
  CBytesRomReader(const char* tag, unsigned tailWords)
      : CZipRomExtractInterface(tag, tailWords * 4), m_tailWords(tailWords) {}
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString&,
                           const CString&) override {
    Receive(m_got, m_tailWords, tail, data, length);
    return true;
  }
  std::vector<Received> m_got;

 private:
  unsigned m_tailWords;
};

}  // namespace sectiontest
