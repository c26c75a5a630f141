// Conventions shared by the filters of QorPixelmill: byte clamping, rounding half away from
// zero, the grey value and the channel flags. Pixels are blue, green, red (, alpha) bytes; x
// counts from the left, y from the top.
#pragma once

#include <cmath>
#include <cstdint>

#include "QorPixelProcess.h"
#include "QorPixelRoutines.h"
#include "QorPixelRandom.h"
#include "windows.h"

namespace QorPixelmill {

// 0..255: below 0 gives 0, 255 and above give 255.
constexpr int ClampByte(int64_t v) { return v < 0 ? 0 : v > 255 ? 255 : static_cast<int>(v); }

// A double rounded half away from zero and clamped to 0..255; NaN gives 0.
inline int ClampRoundByte(double v) {
  if (!(v > 0.0)) return 0;  // negative values round to 0 or below; NaN
  if (v >= 255.0) return 255;
  return static_cast<int>(v + 0.5);
}

// Rounded half away from zero; the caller keeps |v| well inside the int range.
inline int RoundHalfAwayInt(double v) { return static_cast<int>(v > 0 ? v + 0.5 : v - 0.5); }

// (11 B + 59 G + 30 R) / 100, truncated: 0..255.
inline int GrayOf(const BYTE* pixel) {
  return static_cast<int>((11u * pixel[0] + 59u * pixel[1] + 30u * pixel[2]) / 100u);
}

// Images of exactly 32 bits per pixel.
inline bool Is32BitImage(const CQorObjImage* image) {
  return image && image->IsValidImage() && image->ColorBits() == 32;
}

// Images with at least 8 bits per pixel.
inline bool Is8BitOrMoreImage(const CQorObjImage* image) {
  return image && image->IsValidImage() && image->ColorBits() >= 8;
}

// Limits an int to lo..hi.
constexpr int BoundInt(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

}  // namespace QorPixelmill
