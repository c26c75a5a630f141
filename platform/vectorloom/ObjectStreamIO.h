// Field helpers of the object stream readers and writers of this library (not installed).
// Readers never throw on bad data: every read checks what is left in the file first and fails
// without allocating more than what is left can hold.
#pragma once

#include <afx.h>
#include <afxbinio.h>

#include <cstdint>

namespace Vectorloom::io {

using lw::bin::CountFits;

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
