#include <afxbinio.h>

#include <cstring>
#include <limits>

#include <lwstr.h>

namespace lw::bin {

void WriteBytes(CFile& f, const void* data, size_t n) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (n > 0) {
    const UINT chunk = static_cast<UINT>(std::min<size_t>(n, 1u << 30));
    f.Write(p, chunk);
    p += chunk;
    n -= chunk;
  }
}

void WriteU8(CFile& f, uint8_t v) { f.Write(&v, 1); }

void WriteU16(CFile& f, uint16_t v) {
  uint8_t b[2];
  PutLE16(b, v);
  f.Write(b, 2);
}

void WriteU32(CFile& f, uint32_t v) {
  uint8_t b[4];
  PutLE32(b, v);
  f.Write(b, 4);
}

void WriteI32(CFile& f, int32_t v) { WriteU32(f, static_cast<uint32_t>(v)); }

void WriteU64(CFile& f, uint64_t v) {
  uint8_t b[8];
  PutLE64(b, v);
  f.Write(b, 8);
}

void WriteI64(CFile& f, int64_t v) { WriteU64(f, static_cast<uint64_t>(v)); }

void WriteF32(CFile& f, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, 4);
  WriteU32(f, bits);
}

void WriteString16(CFile& f, const std::u16string& s) {
  if (s.size() > std::numeric_limits<uint32_t>::max()) AfxThrowInvalidArgException();
  WriteU32(f, static_cast<uint32_t>(s.size()));
  std::string bytes(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) PutLE16(reinterpret_cast<uint8_t*>(&bytes[2 * i]), s[i]);
  WriteBytes(f, bytes.data(), bytes.size());
}

void WriteString16(CFile& f, const CString& s) { WriteString16(f, s.ToUtf16()); }

bool ReadBytes(CFile& f, void* data, size_t n) {
  auto* p = static_cast<uint8_t*>(data);
  while (n > 0) {
    const UINT chunk = static_cast<UINT>(std::min<size_t>(n, 1u << 30));
    const UINT got = f.Read(p, chunk);
    if (got != chunk) return false;
    p += chunk;
    n -= chunk;
  }
  return true;
}

bool ReadU8(CFile& f, uint8_t& v) { return ReadBytes(f, &v, 1); }

bool ReadU16(CFile& f, uint16_t& v) {
  uint8_t b[2];
  if (!ReadBytes(f, b, 2)) return false;
  v = GetLE16(b);
  return true;
}

bool ReadU32(CFile& f, uint32_t& v) {
  uint8_t b[4];
  if (!ReadBytes(f, b, 4)) return false;
  v = GetLE32(b);
  return true;
}

bool ReadI32(CFile& f, int32_t& v) {
  uint32_t u;
  if (!ReadU32(f, u)) return false;
  v = static_cast<int32_t>(u);
  return true;
}

bool ReadU64(CFile& f, uint64_t& v) {
  uint8_t b[8];
  if (!ReadBytes(f, b, 8)) return false;
  v = GetLE64(b);
  return true;
}

bool ReadI64(CFile& f, int64_t& v) {
  uint64_t u;
  if (!ReadU64(f, u)) return false;
  v = static_cast<int64_t>(u);
  return true;
}

bool ReadF32(CFile& f, float& v) {
  uint32_t bits;
  if (!ReadU32(f, bits)) return false;
  std::memcpy(&v, &bits, 4);
  return true;
}

bool ReadString16(CFile& f, std::u16string& s) {
  uint32_t count;
  if (!ReadU32(f, count)) return false;
  if (!CountFits(f, count, 2)) return false;
  std::string bytes(static_cast<size_t>(count) * 2, '\0');
  if (!ReadBytes(f, bytes.data(), bytes.size())) return false;
  s.resize(count);
  for (size_t i = 0; i < count; ++i) s[i] = GetLE16(reinterpret_cast<const uint8_t*>(&bytes[2 * i]));
  return true;
}

bool ReadString16(CFile& f, CString& s) {
  std::u16string u;
  if (!ReadString16(f, u)) return false;
  s = CString::FromUtf16(u);
  return true;
}

uint64_t BytesLeft(CFile& f) {
  const uint64_t len = f.GetLength(), pos = f.GetPosition();
  return pos < len ? len - pos : 0;
}

bool CountFits(CFile& f, uint64_t count, uint64_t minSize) { return minSize == 0 || count <= BytesLeft(f) / minSize; }

}  // namespace lw::bin
