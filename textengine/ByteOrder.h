// Little-endian field helpers for the records of the text engine.
#pragma once

#include <cstdint>
#include <cstring>

namespace GlyphweaveLib {

inline void PutLE16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v);
  p[1] = static_cast<unsigned char>(v >> 8);
}
inline void PutLE32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
inline void PutLEFloat(unsigned char* p, float f) {
  uint32_t v;
  std::memcpy(&v, &f, 4);
  PutLE32(p, v);
}
inline uint16_t GetLE16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline float GetLEFloat(const unsigned char* p) {
  const uint32_t v = GetLE32(p);
  float f;
  std::memcpy(&f, &v, 4);
  return f;
}

}  // namespace GlyphweaveLib
