// Case mapping of single characters as the program does it everywhere, whatever the C library's
// locale: the simple lower-case mapping of lw::ToLowerChar (lwstr.h).
#pragma once

#include "lwstr.h"
#include "wintypes.h"

// `towlower(c)` on a wchar_t or char16_t picks these overloads instead of the C library's
// locale-dependent function (which, in the "C" locale, lowers only A-Z).
inline wchar_t towlower(wchar_t c) { return lw::ToLowerChar(c); }
inline char16_t towlower(char16_t c) { return static_cast<char16_t>(lw::ToLowerChar(static_cast<wchar_t>(c))); }

// Code pages. On Linux the ANSI and the OEM code page are UTF-8: single-byte text handed to the
// system and to outside libraries (file paths, face names) is UTF-8.
#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

// Converts wide text (Unicode code points, as wchar_t holds them here) to the code page's bytes.
// count -1 takes the text up to and with its terminator. size 0 asks for the byte count needed
// (nothing written). Returns the bytes written, or 0 with the last error set: ERROR_INVALID_PARAMETER
// (null text, an unknown code page, a negative size), ERROR_INSUFFICIENT_BUFFER (nothing useful is
// left in the buffer then). UTF-8 has no default character: defaultChar must be null, and
// usedDefault, when given, is set to FALSE.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int count, LPSTR out, int size, LPCSTR defaultChar,
                        LPBOOL usedDefault);
// Converts bytes of the code page to wide text, with the same conventions (counts in wchar_t).
// Bad UTF-8 sequences become U+FFFD.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int count, LPWSTR out, int size);
