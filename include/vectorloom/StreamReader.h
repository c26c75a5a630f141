// CStreamReader: the bounded reader over a byte block. Every read checks the remaining length
// first: a field that does not fit fails and the position stays where it was. The reader neither
// copies nor frees the block.
#pragma once

#include <cstdint>
#include <string>

namespace Vectorloom {

class CStreamReader {
 public:
  CStreamReader(const void* pData, unsigned nLength);

  // Copies n bytes and moves on; false (not moving) when fewer than n remain or pOut is null
  // with n > 0.
  bool ReadData(void* pOut, unsigned n);
  bool Skip(unsigned n);

  const unsigned char* GetBuffer() const { return m_pBuffer; }
  const unsigned char* GetCurrent() const { return m_pBuffer + m_nPosition; }
  unsigned GetPosition() const { return m_nPosition; }
  unsigned GetTotalLength() const { return m_nLength; }
  unsigned GetRemainLength() const { return m_nLength - m_nPosition; }

  bool ReadU8(uint8_t& v) { return ReadData(&v, 1); }
  bool ReadU16(uint16_t& v);
  bool ReadU32(uint32_t& v);
  bool ReadI32(int32_t& v);
  bool ReadU64(uint64_t& v);
  bool ReadI64(int64_t& v);
  bool ReadFloat(float& v);
  // The counterpart of CVariableStream::PutWString; the count is checked against the remaining
  // length before anything is allocated.
  bool ReadWString(std::wstring& s);

 private:
  const unsigned char* m_pBuffer;
  unsigned m_nLength;
  unsigned m_nPosition = 0;
};

}  // namespace Vectorloom

using Vectorloom::CStreamReader;
