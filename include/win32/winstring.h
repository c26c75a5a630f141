// Case mapping of single characters as Windows does it, whatever the C library's locale: the
// simple lower-case mapping of the Basic Multilingual Plane (Latin, Greek, Cyrillic, Armenian,
// Georgian, Latin Extended Additional, Greek Extended, letter-like symbols, full-width Latin).
// Surrogate halves and characters outside the BMP are returned unchanged.
#pragma once

#include "wintypes.h"

namespace lw {

char16_t ToLowerUnit(char16_t c);

}  // namespace lw

// `towlower(c)` on a wchar_t or char16_t picks these overloads instead of the C library's
// locale-dependent function (which, in the "C" locale, lowers only A-Z).
inline wchar_t towlower(wchar_t c) {
  return (static_cast<uint32_t>(c) <= 0xFFFFu) ? static_cast<wchar_t>(lw::ToLowerUnit(static_cast<char16_t>(c))) : c;
}
inline char16_t towlower(char16_t c) { return lw::ToLowerUnit(c); }
