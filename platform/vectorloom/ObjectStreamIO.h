// Field helpers of the object stream readers and writers of this library (not installed).
// Readers never throw on bad data: every read checks what is left in the file first and fails
// without allocating more than what is left can hold.
#pragma once

#include <afx.h>
#include <afxbinio.h>

#include <cstdint>

namespace Vectorloom::io {

inline uint64_t Remaining(CFile& file) {
  const uint64_t len = file.GetLength();
  const uint64_t pos = file.GetPosition();
  return pos < len ? len - pos : 0;
}

// Whether count records of at least minSize bytes each can still follow.
inline bool CountFits(CFile& file, uint64_t count, uint64_t minSize) {
  if (minSize == 0) return true;
  return count <= Remaining(file) / minSize;
}

inline bool ReadBool32(CFile& file, int& v) {
  uint32_t x;
  if (!lw::bin::ReadU32(file, x) || x > 1) return false;
  v = static_cast<int>(x);
  return true;
}

// A u32 that must not exceed maxValue.
inline bool ReadBounded(CFile& file, uint32_t maxValue, uint32_t& v) {
  return lw::bin::ReadU32(file, v) && v <= maxValue;
}

}  // namespace Vectorloom::io
