// Little-endian fields in byte buffers. Every record the program stores or puts on the clipboard
// is written field by field in this byte order, whatever the machine's own.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

namespace lw {

inline void PutLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
inline void PutLE64(uint8_t* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
// IEEE-754 bit pattern.
inline void PutLEFloat(uint8_t* p, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutLE32(p, v);
}

inline uint16_t GetLE16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t GetLE64(const uint8_t* p) {
  return static_cast<uint64_t>(GetLE32(p)) | (static_cast<uint64_t>(GetLE32(p + 4)) << 32);
}
inline float GetLEFloat(const uint8_t* p) {
  const uint32_t v = GetLE32(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

// The same fields appended to a growing buffer.
inline void AppendLE16(std::vector<uint8_t>& out, uint16_t v) {
  const size_t at = out.size();
  out.resize(at + 2);
  PutLE16(out.data() + at, v);
}
inline void AppendLE32(std::vector<uint8_t>& out, uint32_t v) {
  const size_t at = out.size();
  out.resize(at + 4);
  PutLE32(out.data() + at, v);
}
inline void AppendLE64(std::vector<uint8_t>& out, uint64_t v) {
  const size_t at = out.size();
  out.resize(at + 8);
  PutLE64(out.data() + at, v);
}

}  // namespace lw
