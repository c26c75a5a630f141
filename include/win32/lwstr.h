// Text conversions at the edges of the program. Inside, wide strings (wchar_t, 32-bit here) hold
// Unicode code points; records use UTF-16 code units; the operating system takes UTF-8.
// Invalid input (lone surrogates, bad UTF-8 sequences, code points above U+10FFFF) becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace lw {

std::string WideToUtf8(std::wstring_view s);
std::wstring Utf8ToWide(std::string_view s);
std::u16string WideToUtf16(std::wstring_view s);
std::wstring Utf16ToWide(std::u16string_view s);
std::u16string Utf8ToUtf16(std::string_view s);
std::string Utf16ToUtf8(std::u16string_view s);
// The text of a file: UTF-16LE after the byte-order mark FF FE (an odd last byte dropped),
// otherwise UTF-8, without its byte-order mark when it has one.
std::wstring DecodeText(std::string_view bytes);

// Unicode simple case mappings, the same whatever locale the process runs in. Every name the
// program compares without regard to case (profile sections and keys, file patterns, resource
// names, font faces, switches) is folded with ToLowerChar.
wchar_t ToLowerChar(wchar_t ch);
wchar_t ToUpperChar(wchar_t ch);
bool EqualNoCase(std::wstring_view a, std::wstring_view b);

}  // namespace lw
