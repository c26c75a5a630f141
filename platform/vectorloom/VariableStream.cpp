#include <VariableStream.h>

#include <climits>
#include <cstdlib>
#include <cstring>

#include <lwstr.h>

namespace Vectorloom {

CVariableStream::CVariableStream(int nInitialSize, int nGrowStep) : m_nGrowStep(nGrowStep < 1 ? 1 : nGrowStep) {
  if (nInitialSize > 0) {
    m_pBuffer = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(nInitialSize)));
    if (m_pBuffer) m_nCapacity = nInitialSize;
  }
}

CVariableStream::~CVariableStream() { std::free(m_pBuffer); }

bool CVariableStream::Append(const void* pData, int n) {
  if (!pData || n < 1) return true;
  const int64_t need = static_cast<int64_t>(m_nSize) + n;
  if (need > INT_MAX) return false;
  if (need > m_nCapacity) {
    const int64_t steps = (need - m_nCapacity + m_nGrowStep - 1) / m_nGrowStep;
    int64_t capacity = m_nCapacity + steps * m_nGrowStep;
    if (capacity > INT_MAX) return false;
    auto* p = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(capacity)));
    if (!p) return false;
    if (m_nSize) std::memcpy(p, m_pBuffer, static_cast<size_t>(m_nSize));
    std::free(m_pBuffer);
    m_pBuffer = p;
    m_nCapacity = static_cast<int>(capacity);
  }
  std::memcpy(m_pBuffer + m_nSize, pData, static_cast<size_t>(n));
  m_nSize += n;
  return true;
}

bool CVariableStream::PutU16(uint16_t v) {
  const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
  return Append(b, 2);
}

bool CVariableStream::PutU32(uint32_t v) {
  unsigned char b[4];
  for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  return Append(b, 4);
}

bool CVariableStream::PutU64(uint64_t v) {
  unsigned char b[8];
  for (int i = 0; i < 8; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
  return Append(b, 8);
}

bool CVariableStream::PutFloat(float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  return PutU32(bits);
}

bool CVariableStream::PutWString(std::wstring_view s) {
  const std::u16string units = lw::WideToUtf16(s);
  if (units.size() > static_cast<size_t>(INT_MAX / 2 - 4)) return false;
  std::string bytes(4 + units.size() * 2, '\0');
  const uint32_t count = static_cast<uint32_t>(units.size());
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(count >> (8 * i));
  for (size_t i = 0; i < units.size(); ++i) {
    bytes[4 + 2 * i] = static_cast<char>(units[i] & 0xFF);
    bytes[5 + 2 * i] = static_cast<char>(units[i] >> 8);
  }
  return Append(bytes.data(), static_cast<int>(bytes.size()));
}

}  // namespace Vectorloom
