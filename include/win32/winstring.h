// Case mapping of single characters as the program does it everywhere, whatever the C library's
// locale: the simple lower-case mapping of lw::ToLowerChar (lwstr.h).
#pragma once

#include "lwstr.h"
#include "wintypes.h"

// `towlower(c)` on a wchar_t or char16_t picks these overloads instead of the C library's
// locale-dependent function (which, in the "C" locale, lowers only A-Z).
inline wchar_t towlower(wchar_t c) { return lw::ToLowerChar(c); }
inline char16_t towlower(char16_t c) { return static_cast<char16_t>(lw::ToLowerChar(static_cast<wchar_t>(c))); }
