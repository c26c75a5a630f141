// Block packing with zlib. Each class keeps one heap buffer that it reuses from call to call.
// Neither class is polymorphic: the section writers and readers derive from them and add their
// own virtual tables.
#pragma once

#include <cstdlib>

// Packs a block of bytes into a zlib stream.
class CZlibCompresser {
 public:
  CZlibCompresser() = default;
  ~CZlibCompresser() { std::free(m_pPacked); }
  CZlibCompresser(const CZlibCompresser&) = delete;
  CZlibCompresser& operator=(const CZlibCompresser&) = delete;

  // Packs `length` bytes (0 gives the stream of an empty block). False, with a packed length of
  // 0, when length is negative, data is null while length is not 0, or memory runs out.
  bool Compress(const unsigned char* data, int length);

  const unsigned char* GetPackedData() const { return m_pPacked; }
  unsigned GetPackedLength() const { return m_nPackedLength; }
  unsigned GetPackedCapacity() const { return m_nPackedCapacity; }

 protected:
  unsigned char* m_pPacked = nullptr;
  unsigned m_nPackedCapacity = 0;
  unsigned m_nPackedLength = 0;
};

// Unpacks a zlib stream whose unpacked length is known.
class CZlibUnCompresser {
 public:
  CZlibUnCompresser() = default;
  ~CZlibUnCompresser() { Clear(); }
  CZlibUnCompresser(const CZlibUnCompresser&) = delete;
  CZlibUnCompresser& operator=(const CZlibUnCompresser&) = delete;

  // Unpacks the stream, which must give exactly rawLength bytes. On any failure (corrupt or
  // short stream, more or fewer bytes than rawLength, a rawLength that no stream of packedLength
  // bytes can give, no memory) the buffer is released and the length is 0: the bytes of an
  // earlier block are never handed out again.
  bool UnCompress(const unsigned char* packed, unsigned packedLength, unsigned rawLength);

  // Frees the unpacked buffer and zeroes buffer, capacity and length.
  void Clear() {
    std::free(m_pUnpacked);
    m_pUnpacked = nullptr;
    m_nUnpackedCapacity = 0;
    m_nUnpackedLength = 0;
  }

  const unsigned char* GetUnpackedData() const { return m_pUnpacked; }
  unsigned GetUnpackedLength() const { return m_nUnpackedLength; }
  unsigned GetUnpackedCapacity() const { return m_nUnpackedCapacity; }

 protected:
  unsigned char* m_pUnpacked = nullptr;
  unsigned m_nUnpackedCapacity = 0;
  unsigned m_nUnpackedLength = 0;
};
