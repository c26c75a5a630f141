#include <StreamReader.h>

#include <cstring>

#include <lwbytes.h>
#include <lwstr.h>

namespace Vectorloom {

CStreamReader::CStreamReader(const void* pData, unsigned nLength)
    : m_pBuffer(static_cast<const unsigned char*>(pData)), m_nLength(pData ? nLength : 0) {}

bool CStreamReader::ReadData(void* pOut, unsigned n) {
  if (n == 0) return true;
  if (!pOut || n > GetRemainLength()) return false;
  std::memcpy(pOut, m_pBuffer + m_nPosition, n);
  m_nPosition += n;
  return true;
}

bool CStreamReader::Skip(unsigned n) {
  if (n > GetRemainLength()) return false;
  m_nPosition += n;
  return true;
}

bool CStreamReader::ReadU16(uint16_t& v) {
  unsigned char b[2];
  if (!ReadData(b, 2)) return false;
  v = lw::GetLE16(b);
  return true;
}

bool CStreamReader::ReadU32(uint32_t& v) {
  unsigned char b[4];
  if (!ReadData(b, 4)) return false;
  v = lw::GetLE32(b);
  return true;
}

bool CStreamReader::ReadI32(int32_t& v) {
  uint32_t u;
  if (!ReadU32(u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

bool CStreamReader::ReadU64(uint64_t& v) {
  if (GetRemainLength() < 8) return false;
  uint32_t lo = 0, hi = 0;
  ReadU32(lo);
  ReadU32(hi);
  v = static_cast<uint64_t>(lo) | (static_cast<uint64_t>(hi) << 32);
  return true;
}

bool CStreamReader::ReadI64(int64_t& v) {
  uint64_t u;
  if (!ReadU64(u)) return false;
  v = static_cast<int64_t>(u);
  return true;
}

bool CStreamReader::ReadFloat(float& v) {
  uint32_t bits;
  if (!ReadU32(bits)) return false;
  std::memcpy(&v, &bits, 4);
  return true;
}

bool CStreamReader::ReadWString(std::wstring& s) {
  if (GetRemainLength() < 4) return false;
  const unsigned char* p = GetCurrent();
  const uint64_t count = lw::GetLE32(p);
  if (count * 2 > GetRemainLength() - 4) return false;
  std::u16string units(static_cast<size_t>(count), u'\0');
  for (size_t i = 0; i < units.size(); ++i) units[i] = static_cast<char16_t>(lw::GetLE16(p + 4 + 2 * i));
  m_nPosition += 4 + static_cast<unsigned>(count * 2);
  s = lw::Utf16ToWide(units);
  return true;
}

}  // namespace Vectorloom
