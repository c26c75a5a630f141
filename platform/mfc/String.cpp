#include <afx.h>

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <limits>

#include <lwstr.h>

namespace lw {

namespace {

struct Field {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;
  int precision = -1;
  enum Len { None, HH, H, L, LL, BigL, Size } len = None;
  bool wideForced = false;  // w or l on c/s
};

void Pad(std::wstring& out, const std::wstring& body, const Field& sp, wchar_t fill = L' ') {
  size_t w = sp.width > 0 ? static_cast<size_t>(sp.width) : 0;
  if (body.size() >= w) {
    out += body;
  } else if (sp.left) {
    out += body;
    out.append(w - body.size(), L' ');
  } else {
    out.append(w - body.size(), fill);
    out += body;
  }
}

// Builds "%<flags><width>.<precision><length><conv>" for snprintf.
std::string NarrowFormat(const Field& sp, const char* length, char conv) {
  std::string f = "%";
  if (sp.left) f += '-';
  if (sp.plus) f += '+';
  if (sp.space) f += ' ';
  if (sp.alt) f += '#';
  if (sp.zero) f += '0';
  if (sp.width >= 0) f += std::to_string(sp.width);
  if (sp.precision >= 0) f += '.' + std::to_string(sp.precision);
  f += length;
  f += conv;
  return f;
}

template <class T>
void AppendNumber(std::wstring& out, const std::string& fmt, T value) {
  int n = std::snprintf(nullptr, 0, fmt.c_str(), value);
  if (n <= 0) return;
  std::string buf(static_cast<size_t>(n) + 1, '\0');
  std::snprintf(buf.data(), buf.size(), fmt.c_str(), value);
  buf.resize(static_cast<size_t>(n));
  out.append(buf.begin(), buf.end());  // numbers are ASCII
}

int ReadNumber(const wchar_t*& p) {
  long long v = 0;
  while (*p >= L'0' && *p <= L'9') {
    if (v < std::numeric_limits<int>::max()) v = v * 10 + (*p - L'0');
    ++p;
  }
  return v > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : static_cast<int>(v);
}

}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list argsIn) {
  std::wstring out;
  if (!format) return out;
  va_list args;
  va_copy(args, argsIn);
  const wchar_t* p = format;
  while (*p) {
    if (*p != L'%') {
      out += *p++;
      continue;
    }
    ++p;
    if (*p == L'%') {
      out += L'%';
      ++p;
      continue;
    }
    Field sp;
    for (;; ++p) {
      if (*p == L'-') sp.left = true;
      else if (*p == L'+') sp.plus = true;
      else if (*p == L' ') sp.space = true;
      else if (*p == L'#') sp.alt = true;
      else if (*p == L'0') sp.zero = true;
      else break;
    }
    if (*p == L'*') {
      int w = va_arg(args, int);
      if (w < 0) {
        sp.left = true;
        w = w == std::numeric_limits<int>::min() ? std::numeric_limits<int>::max() : -w;
      }
      sp.width = w;
      ++p;
    } else if (*p >= L'0' && *p <= L'9') {
      sp.width = ReadNumber(p);
    }
    if (*p == L'.') {
      ++p;
      if (*p == L'*') {
        int pr = va_arg(args, int);
        sp.precision = pr < 0 ? -1 : pr;
        ++p;
      } else {
        sp.precision = ReadNumber(p);
      }
    }
    // Length: Windows sizes (l is 32-bit), plus the C99 ones.
    switch (*p) {
      case L'h':
        ++p;
        if (*p == L'h') {
          sp.len = Field::HH;
          ++p;
        } else {
          sp.len = Field::H;
        }
        break;
      case L'l':
        ++p;
        if (*p == L'l') {
          sp.len = Field::LL;
          ++p;
        } else {
          sp.len = Field::L;
        }
        sp.wideForced = true;
        break;
      case L'w':
        ++p;
        sp.wideForced = true;
        sp.len = Field::L;
        break;
      case L'L':
        ++p;
        sp.len = Field::BigL;
        break;
      case L'q':
        ++p;
        sp.len = Field::LL;
        break;
      case L'z':
      case L'j':
      case L't':
        ++p;
        sp.len = Field::Size;
        break;
      case L'I':
        if (p[1] == L'6' && p[2] == L'4') {
          p += 3;
          sp.len = Field::LL;
        } else if (p[1] == L'3' && p[2] == L'2') {
          p += 3;
          sp.len = Field::L;
        } else {
          ++p;
          sp.len = Field::Size;
        }
        break;
      default:
        break;
    }
    const wchar_t conv = *p;
    if (!conv) break;
    ++p;
    switch (conv) {
      case L'd':
      case L'i': {
        switch (sp.len) {
          case Field::HH: AppendNumber(out, NarrowFormat(sp, "", 'd'), static_cast<int>(static_cast<signed char>(va_arg(args, int)))); break;
          case Field::H: AppendNumber(out, NarrowFormat(sp, "", 'd'), static_cast<int>(static_cast<short>(va_arg(args, int)))); break;
          case Field::LL:
          case Field::Size: AppendNumber(out, NarrowFormat(sp, "ll", 'd'), static_cast<long long>(va_arg(args, int64_t))); break;
          default: AppendNumber(out, NarrowFormat(sp, "", 'd'), va_arg(args, int)); break;
        }
        break;
      }
      case L'u':
      case L'x':
      case L'X':
      case L'o': {
        const char c = static_cast<char>(conv);
        switch (sp.len) {
          case Field::HH: AppendNumber(out, NarrowFormat(sp, "", c), static_cast<unsigned>(static_cast<unsigned char>(va_arg(args, unsigned)))); break;
          case Field::H: AppendNumber(out, NarrowFormat(sp, "", c), static_cast<unsigned>(static_cast<unsigned short>(va_arg(args, unsigned)))); break;
          case Field::LL:
          case Field::Size: AppendNumber(out, NarrowFormat(sp, "ll", c), static_cast<unsigned long long>(va_arg(args, uint64_t))); break;
          default: AppendNumber(out, NarrowFormat(sp, "", c), va_arg(args, unsigned)); break;
        }
        break;
      }
      case L'f':
      case L'F':
      case L'e':
      case L'E':
      case L'g':
      case L'G':
      case L'a':
      case L'A': {
        const char c = static_cast<char>(conv);
        if (sp.len == Field::BigL) AppendNumber(out, NarrowFormat(sp, "L", c), va_arg(args, long double));
        else AppendNumber(out, NarrowFormat(sp, "", c), va_arg(args, double));
        break;
      }
      case L'p': {
        // As the Windows runtime prints pointers: all hex digits, upper case, no prefix.
        void* ptr = va_arg(args, void*);
        wchar_t buf[32];
        std::swprintf(buf, 32, L"%0*llX", static_cast<int>(2 * sizeof(void*)),
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(ptr)));
        Pad(out, buf, sp);
        break;
      }
      case L'c':
      case L'C': {
        // In a wide format %c is wide and %C narrow; h forces narrow, l and w force wide.
        const bool narrow = sp.len == Field::H || (conv == L'C' && !sp.wideForced);
        int v = va_arg(args, int);
        wchar_t ch = narrow ? static_cast<wchar_t>(static_cast<unsigned char>(v)) : static_cast<wchar_t>(v);
        Pad(out, std::wstring(1, ch), sp, sp.zero ? L'0' : L' ');
        break;
      }
      case L's':
      case L'S': {
        const bool narrow = sp.len == Field::H || (conv == L'S' && !sp.wideForced);
        std::wstring body;
        if (narrow) {
          const char* s = va_arg(args, const char*);
          if (!s) {
            body = L"(null)";
          } else {
            size_t n = sp.precision >= 0 ? strnlen(s, static_cast<size_t>(sp.precision) * 4) : std::strlen(s);
            body = Utf8ToWide(std::string_view(s, n));
          }
        } else {
          const wchar_t* s = va_arg(args, const wchar_t*);
          if (!s) {
            body = L"(null)";
          } else {
            size_t n = sp.precision >= 0 ? wcsnlen(s, static_cast<size_t>(sp.precision)) : std::wcslen(s);
            body.assign(s, n);
          }
        }
        if (sp.precision >= 0 && body.size() > static_cast<size_t>(sp.precision)) body.resize(static_cast<size_t>(sp.precision));
        Pad(out, body, sp, sp.zero ? L'0' : L' ');
        break;
      }
      case L'n':
        // Writing through an argument is not supported; the pointer is skipped.
        (void)va_arg(args, void*);
        break;
      default:
        // Unknown conversion: written as it stands.
        out += conv;
        break;
    }
  }
  va_end(args);
  return out;
}

}  // namespace lw

// ---------------------------------------------------------------------------------------------

CString::CString(const char* psz) : m_str(psz ? lw::Utf8ToWide(psz) : std::wstring()) {}

CString::CString(const char* pch, int nLength)
    : m_str(pch && nLength > 0 ? lw::Utf8ToWide(std::string_view(pch, static_cast<size_t>(nLength))) : std::wstring()) {}

CString& CString::operator=(const char* psz) {
  m_str = psz ? lw::Utf8ToWide(psz) : std::wstring();
  return *this;
}

CString CString::FromUtf8(std::string_view s) { return CString(lw::Utf8ToWide(s)); }
CString CString::FromUtf16(std::u16string_view s) { return CString(lw::Utf16ToWide(s)); }
std::string CString::ToUtf8() const { return lw::WideToUtf8(m_str); }
std::u16string CString::ToUtf16() const { return lw::WideToUtf16(m_str); }

wchar_t CString::GetAt(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetLength()) AfxThrowInvalidArgException();
  return m_str[static_cast<size_t>(nIndex)];
}

void CString::SetAt(int nIndex, wchar_t ch) {
  if (nIndex < 0 || nIndex >= GetLength()) AfxThrowInvalidArgException();
  m_str[static_cast<size_t>(nIndex)] = ch;
}

wchar_t* CString::GetBuffer() { return m_str.data(); }

wchar_t* CString::GetBuffer(int nMinBufLength) {
  if (nMinBufLength > GetLength()) m_str.resize(static_cast<size_t>(nMinBufLength), L'\0');
  return m_str.data();
}

wchar_t* CString::GetBufferSetLength(int nNewLength) {
  if (nNewLength < 0) AfxThrowInvalidArgException();
  m_str.resize(static_cast<size_t>(nNewLength), L'\0');
  return m_str.data();
}

void CString::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0) nNewLength = static_cast<int>(wcsnlen(m_str.c_str(), m_str.size()));
  if (nNewLength < GetLength()) m_str.resize(static_cast<size_t>(nNewLength));
  else if (nNewLength > GetLength()) m_str.resize(static_cast<size_t>(nNewLength), L'\0');
}

int CString::Compare(const wchar_t* psz) const {
  const int r = std::wcscmp(m_str.c_str(), psz ? psz : L"");
  return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CString::CompareNoCase(const wchar_t* psz) const {
  const wchar_t* a = m_str.c_str();
  const wchar_t* b = psz ? psz : L"";
  for (;; ++a, ++b) {
    const wchar_t ca = lw::ToLowerChar(*a), cb = lw::ToLowerChar(*b);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (!ca) return 0;
  }
}

CString CString::Left(int nCount) const {
  if (nCount < 0) nCount = 0;
  if (nCount >= GetLength()) return *this;
  return CString(m_str.substr(0, static_cast<size_t>(nCount)));
}

CString CString::Right(int nCount) const {
  if (nCount < 0) nCount = 0;
  if (nCount >= GetLength()) return *this;
  return CString(m_str.substr(m_str.size() - static_cast<size_t>(nCount)));
}

CString CString::Mid(int iFirst) const { return Mid(iFirst, GetLength() - (iFirst < 0 ? 0 : iFirst)); }

CString CString::Mid(int iFirst, int nCount) const {
  if (iFirst < 0) iFirst = 0;
  if (nCount < 0) nCount = 0;
  const int len = GetLength();
  if (iFirst >= len) return CString();
  if (nCount > len - iFirst) nCount = len - iFirst;
  return CString(m_str.substr(static_cast<size_t>(iFirst), static_cast<size_t>(nCount)));
}

int CString::Find(wchar_t ch, int iStart) const {
  if (iStart < 0 || iStart >= GetLength()) return -1;
  const size_t at = m_str.find(ch, static_cast<size_t>(iStart));
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Find(const wchar_t* pszSub, int iStart) const {
  if (!pszSub || iStart < 0 || iStart > GetLength()) return -1;
  const size_t at = m_str.find(pszSub, static_cast<size_t>(iStart));
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::ReverseFind(wchar_t ch) const {
  const size_t at = m_str.rfind(ch);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::FindOneOf(const wchar_t* pszCharSet) const {
  if (!pszCharSet || !*pszCharSet) return -1;
  const size_t at = m_str.find_first_of(pszCharSet);
  return at == std::wstring::npos ? -1 : static_cast<int>(at);
}

int CString::Replace(wchar_t chOld, wchar_t chNew) {
  int n = 0;
  if (chOld == chNew) return 0;
  for (auto& c : m_str)
    if (c == chOld) {
      c = chNew;
      ++n;
    }
  return n;
}

int CString::Replace(const wchar_t* pszOld, const wchar_t* pszNew) {
  if (!pszOld || !*pszOld) return 0;
  const std::wstring from(pszOld), to(pszNew ? pszNew : L"");
  std::wstring result;
  int n = 0;
  size_t pos = 0;
  for (;;) {
    const size_t at = m_str.find(from, pos);
    if (at == std::wstring::npos) break;
    result.append(m_str, pos, at - pos);
    result += to;
    pos = at + from.size();
    ++n;
  }
  if (n) {
    result.append(m_str, pos, std::wstring::npos);
    m_str = std::move(result);
  }
  return n;
}

int CString::Remove(wchar_t ch) {
  const size_t before = m_str.size();
  std::erase(m_str, ch);
  return static_cast<int>(before - m_str.size());
}

int CString::Insert(int iIndex, wchar_t ch) { return Insert(iIndex, std::wstring(1, ch).c_str()); }

int CString::Insert(int iIndex, const wchar_t* psz) {
  if (iIndex < 0) iIndex = 0;
  if (iIndex > GetLength()) iIndex = GetLength();
  if (psz) m_str.insert(static_cast<size_t>(iIndex), psz);
  return GetLength();
}

int CString::Delete(int iIndex, int nCount) {
  if (iIndex < 0) iIndex = 0;
  if (nCount > 0 && iIndex < GetLength()) {
    if (nCount > GetLength() - iIndex) nCount = GetLength() - iIndex;
    m_str.erase(static_cast<size_t>(iIndex), static_cast<size_t>(nCount));
  }
  return GetLength();
}

CString& CString::MakeLower() {
  for (auto& c : m_str) c = lw::ToLowerChar(c);
  return *this;
}

CString& CString::MakeUpper() {
  for (auto& c : m_str) c = lw::ToUpperChar(c);
  return *this;
}

namespace {
bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }
}  // namespace

CString& CString::TrimLeft() {
  size_t i = 0;
  while (i < m_str.size() && IsSpace(m_str[i])) ++i;
  m_str.erase(0, i);
  return *this;
}

CString& CString::TrimRight() {
  size_t n = m_str.size();
  while (n > 0 && IsSpace(m_str[n - 1])) --n;
  m_str.resize(n);
  return *this;
}

CString& CString::TrimLeft(wchar_t chTarget) {
  m_str.erase(0, std::min(m_str.find_first_not_of(chTarget), m_str.size()));
  return *this;
}

CString& CString::TrimRight(wchar_t chTarget) {
  const size_t last = m_str.find_last_not_of(chTarget);
  m_str.resize(last == std::wstring::npos ? 0 : last + 1);
  return *this;
}

CString& CString::TrimLeft(const wchar_t* pszTargets) {
  if (!pszTargets || !*pszTargets) return *this;
  m_str.erase(0, std::min(m_str.find_first_not_of(pszTargets), m_str.size()));
  return *this;
}

CString& CString::TrimRight(const wchar_t* pszTargets) {
  if (!pszTargets || !*pszTargets) return *this;
  const size_t last = m_str.find_last_not_of(pszTargets);
  m_str.resize(last == std::wstring::npos ? 0 : last + 1);
  return *this;
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(wchar_t chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(const wchar_t* pszTargets) { return TrimRight(pszTargets).TrimLeft(pszTargets); }

void CString::FormatV(const wchar_t* pszFormat, va_list args) { m_str = lw::FormatWideV(pszFormat, args); }

void CString::AppendFormatV(const wchar_t* pszFormat, va_list args) { m_str += lw::FormatWideV(pszFormat, args); }

void CString::FormatImpl(bool append, const wchar_t* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  std::wstring s = lw::FormatWideV(pszFormat, args);
  va_end(args);
  if (append) m_str += s;
  else m_str = std::move(s);
}
