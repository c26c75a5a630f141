// CVariableStream: a growing byte buffer that records are appended to. The capacity grows in
// whole grow steps: appending n bytes to a full buffer makes the capacity the old capacity plus
// the fewest grow steps that hold size + n. Typed helpers append little-endian fields.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace Vectorloom {

class CVariableStream {
 public:
  // nGrowStep below 1 grows to exactly the size needed.
  explicit CVariableStream(int nInitialSize = 4096, int nGrowStep = 4096);
  ~CVariableStream();
  CVariableStream(const CVariableStream&) = delete;
  CVariableStream& operator=(const CVariableStream&) = delete;

  // Appends n bytes. Nothing happens for a null source or n < 1 (true). False when the buffer
  // cannot grow (no memory, or more than 2 GiB in all); then nothing is appended.
  bool Append(const void* pData, int n);

  const unsigned char* GetBuffer() const { return m_pBuffer; }
  int GetLength() const { return m_nSize; }
  int GetCapacity() const { return m_nCapacity; }
  int GetGrowStep() const { return m_nGrowStep; }
  // Forgets the bytes; the buffer is kept for reuse.
  void Reset() { m_nSize = 0; }

  bool PutU8(uint8_t v) { return Append(&v, 1); }
  bool PutU16(uint16_t v);
  bool PutU32(uint32_t v);
  bool PutI32(int32_t v) { return PutU32(static_cast<uint32_t>(v)); }
  bool PutU64(uint64_t v);
  bool PutI64(int64_t v) { return PutU64(static_cast<uint64_t>(v)); }
  bool PutFloat(float v);  // IEEE-754 bit pattern
  // A u32 count of UTF-16 code units followed by the units (UTF-16LE); all or nothing.
  bool PutWString(std::wstring_view s);

 private:
  unsigned char* m_pBuffer = nullptr;
  int m_nCapacity = 0;
  int m_nSize = 0;
  int m_nGrowStep;
};

}  // namespace Vectorloom

using Vectorloom::CVariableStream;
