#include "lwstr.h"
#include "lwbytes.h"

#include <clocale>
#include <cwctype>

namespace lw {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalar(char32_t c) { return c < 0xD800 || (c > 0xDFFF && c <= 0x10FFFF); }

void AppendUtf8(std::string& out, char32_t c) {
  if (!IsScalar(c)) c = kReplacement;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (!IsScalar(c)) c = kReplacement;
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  }
}

// Decodes one code point from UTF-8 at s[i], advancing i; malformed input yields U+FFFD and
// consumes one byte.
char32_t NextUtf8(std::string_view s, size_t& i) {
  const unsigned char b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int extra;
  char32_t c;
  char32_t min;
  if ((b0 & 0xE0) == 0xC0) {
    extra = 1, c = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2, c = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3, c = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (s.size() - i <= static_cast<size_t>(extra)) {
    ++i;
    return kReplacement;
  }
  for (int k = 1; k <= extra; ++k) {
    const unsigned char b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    c = (c << 6) | (b & 0x3F);
  }
  if (c < min || !IsScalar(c)) {
    ++i;
    return kReplacement;
  }
  i += extra + 1;
  return c;
}

char32_t NextUtf16(std::u16string_view s, size_t& i) {
  const char16_t u = s[i++];
  if (u >= 0xD800 && u <= 0xDBFF) {
    if (i < s.size() && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
      const char16_t l = s[i++];
      return 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (l - 0xDC00);
    }
    return kReplacement;
  }
  if (u >= 0xDC00 && u <= 0xDFFF) return kReplacement;
  return u;
}

}  // namespace

std::string WideToUtf8(std::wstring_view s) {
  std::string out;
  out.reserve(s.size());
  for (wchar_t c : s) AppendUtf8(out, static_cast<char32_t>(c));
  return out;
}

std::wstring Utf8ToWide(std::string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out += static_cast<wchar_t>(NextUtf8(s, i));
  return out;
}

std::u16string WideToUtf16(std::wstring_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (wchar_t c : s) AppendUtf16(out, static_cast<char32_t>(c));
  return out;
}

std::wstring Utf16ToWide(std::u16string_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) out += static_cast<wchar_t>(NextUtf16(s, i));
  return out;
}

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) AppendUtf16(out, NextUtf8(s, i));
  return out;
}

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) AppendUtf8(out, NextUtf16(s, i));
  return out;
}

std::wstring DecodeText(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE) {
    std::u16string units;
    units.reserve((bytes.size() - 2) / 2);
    for (size_t i = 2; i + 1 < bytes.size(); i += 2)
      units.push_back(static_cast<char16_t>(GetLE16(reinterpret_cast<const uint8_t*>(bytes.data() + i))));
    return Utf16ToWide(units);
  }
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
  return Utf8ToWide(bytes);
}

namespace {

// Case mappings come from the C.UTF-8 tables, whatever locale the process runs in.
locale_t Utf8Locale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    return l;
  }();
  return loc;
}

}  // namespace

wchar_t ToLowerChar(wchar_t ch) {
  locale_t l = Utf8Locale();
  return static_cast<wchar_t>(l ? towlower_l(static_cast<wint_t>(ch), l) : towlower(static_cast<wint_t>(ch)));
}

wchar_t ToUpperChar(wchar_t ch) {
  locale_t l = Utf8Locale();
  return static_cast<wchar_t>(l ? towupper_l(static_cast<wint_t>(ch), l) : towupper(static_cast<wint_t>(ch)));
}

bool EqualNoCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (ToLowerChar(a[i]) != ToLowerChar(b[i])) return false;
  return true;
}

}  // namespace lw
