// CString: the program's string class. Characters are wchar_t holding Unicode code points
// (32-bit on Linux); conversions to UTF-16 (records) and UTF-8 (the operating system) happen
// only at the edges. Value semantics; indexes and lengths count code points.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>
#include <type_traits>

#include <lwstr.h>
#include <windows.h>

class CString;

namespace lw::detail {
// Arguments of Format: strings of the program's own types travel as const wchar_t*.
inline const wchar_t* FormatArg(const CString& s);
inline const wchar_t* FormatArg(const std::wstring& s) { return s.c_str(); }
inline const char* FormatArg(const std::string& s) { return s.c_str(); }
template <class T>
  requires(!std::is_base_of_v<CString, std::remove_cvref_t<T>> &&
           !std::is_same_v<std::remove_cvref_t<T>, std::wstring> &&
           !std::is_same_v<std::remove_cvref_t<T>, std::string>)
inline T&& FormatArg(T&& v) {
  return static_cast<T&&>(v);
}
}  // namespace lw::detail

class CString {
 public:
  CString() = default;
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString(const wchar_t* psz) : m_str(psz ? psz : L"") {}
  CString(const wchar_t* pch, int nLength) : m_str(pch && nLength > 0 ? std::wstring(pch, nLength) : std::wstring()) {}
  // A narrow string is UTF-8.
  CString(const char* psz);
  CString(const char* pch, int nLength);
  explicit CString(wchar_t ch, int nRepeat = 1) : m_str(nRepeat > 0 ? static_cast<size_t>(nRepeat) : 0, ch) {}
  CString(const std::wstring& s) : m_str(s) {}
  CString(std::wstring&& s) noexcept : m_str(std::move(s)) {}
  CString(std::wstring_view s) : m_str(s) {}
  ~CString() = default;

  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const wchar_t* psz) {
    m_str = psz ? psz : L"";
    return *this;
  }
  CString& operator=(const char* psz);
  CString& operator=(wchar_t ch) {
    m_str.assign(1, ch);
    return *this;
  }

  // Conversions at the edges.
  static CString FromUtf8(std::string_view s);
  static CString FromUtf16(std::u16string_view s);
  std::string ToUtf8() const;
  std::u16string ToUtf16() const;
  const std::wstring& str() const { return m_str; }

  // String uID of the string table (resources registered by (RT_STRING, id)); FALSE and empty
  // when there is no such string or it is empty.
  BOOL LoadString(UINT nID);

  // Access.
  int GetLength() const { return static_cast<int>(m_str.size()); }
  BOOL IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }
  const wchar_t* GetString() const { return m_str.c_str(); }
  operator const wchar_t*() const { return m_str.c_str(); }
  // Out-of-range indexes throw CInvalidArgException*.
  wchar_t GetAt(int nIndex) const;
  void SetAt(int nIndex, wchar_t ch);
  wchar_t operator[](int nIndex) const { return GetAt(nIndex); }

  // Direct buffer access: the buffer holds at least nMinBufLength characters plus a terminator.
  wchar_t* GetBuffer();
  wchar_t* GetBuffer(int nMinBufLength);
  wchar_t* GetBufferSetLength(int nNewLength);
  // nNewLength < 0: the length is that of the zero-terminated text in the buffer.
  void ReleaseBuffer(int nNewLength = -1);

  // Concatenation.
  CString& operator+=(const CString& s) {
    m_str += s.m_str;
    return *this;
  }
  CString& operator+=(const wchar_t* psz) {
    if (psz) m_str += psz;
    return *this;
  }
  CString& operator+=(wchar_t ch) {
    m_str += ch;
    return *this;
  }
  CString& operator+=(const char* psz) { return *this += CString(psz); }
  void Append(const wchar_t* psz) { *this += psz; }
  void Append(const wchar_t* pch, int nLength) {
    if (pch && nLength > 0) m_str.append(pch, nLength);
  }
  void AppendChar(wchar_t ch) { m_str += ch; }

  friend CString operator+(const CString& a, const CString& b) { return CString(a.m_str + b.m_str); }
  friend CString operator+(const CString& a, const wchar_t* b) { return CString(a) += b; }
  friend CString operator+(const wchar_t* a, const CString& b) { return CString(a) += b; }
  friend CString operator+(const CString& a, wchar_t b) { return CString(a) += b; }
  friend CString operator+(wchar_t a, const CString& b) { return CString(a) += b; }

  // Comparison by code point (wcscmp order); CompareNoCase folds with the Unicode simple lower-case
  // mapping.
  int Compare(const wchar_t* psz) const;
  int CompareNoCase(const wchar_t* psz) const;

  friend bool operator==(const CString& a, const CString& b) { return a.m_str == b.m_str; }
  friend bool operator==(const CString& a, const wchar_t* b) { return a.Compare(b) == 0; }
  friend bool operator==(const wchar_t* a, const CString& b) { return b.Compare(a) == 0; }
  friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
  friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
  friend bool operator!=(const wchar_t* a, const CString& b) { return !(b == a); }
  friend bool operator<(const CString& a, const CString& b) { return a.Compare(b) < 0; }
  friend bool operator<(const CString& a, const wchar_t* b) { return a.Compare(b) < 0; }
  friend bool operator<(const wchar_t* a, const CString& b) { return b.Compare(a) > 0; }
  friend bool operator>(const CString& a, const CString& b) { return a.Compare(b) > 0; }
  friend bool operator<=(const CString& a, const CString& b) { return a.Compare(b) <= 0; }
  friend bool operator>=(const CString& a, const CString& b) { return a.Compare(b) >= 0; }

  // Pieces; out-of-range arguments are clamped as MFC does.
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  CString Mid(int iFirst) const;
  CString Mid(int iFirst, int nCount) const;

  // Searching: the index found, or -1.
  int Find(wchar_t ch, int iStart = 0) const;
  int Find(const wchar_t* pszSub, int iStart = 0) const;
  int ReverseFind(wchar_t ch) const;
  int FindOneOf(const wchar_t* pszCharSet) const;

  // Editing; each returns what MFC returns (a count or the new length).
  int Replace(wchar_t chOld, wchar_t chNew);
  int Replace(const wchar_t* pszOld, const wchar_t* pszNew);
  int Remove(wchar_t ch);
  int Insert(int iIndex, wchar_t ch);
  int Insert(int iIndex, const wchar_t* psz);
  int Delete(int iIndex, int nCount = 1);
  CString& MakeLower();
  CString& MakeUpper();
  CString& Trim();
  CString& Trim(wchar_t chTarget);
  CString& Trim(const wchar_t* pszTargets);
  CString& TrimLeft();
  CString& TrimLeft(wchar_t chTarget);
  CString& TrimLeft(const wchar_t* pszTargets);
  CString& TrimRight();
  CString& TrimRight(wchar_t chTarget);
  CString& TrimRight(const wchar_t* pszTargets);

  // printf-style formatting with the Windows wide-character rules: %s and %ls take const wchar_t*,
  // %S and %hs take a UTF-8 const char*, %c a wide character, %C and %hc a narrow one; l is 32-bit
  // (as LONG and DWORD), ll and I64 are 64-bit. CString and std::wstring arguments may be passed
  // directly for %s.
  template <class... Args>
  void Format(const wchar_t* pszFormat, Args&&... args) {
    FormatImpl(false, pszFormat, lw::detail::FormatArg(static_cast<Args&&>(args))...);
  }
  template <class... Args>
  void AppendFormat(const wchar_t* pszFormat, Args&&... args) {
    FormatImpl(true, pszFormat, lw::detail::FormatArg(static_cast<Args&&>(args))...);
  }
  void FormatV(const wchar_t* pszFormat, va_list args);
  void AppendFormatV(const wchar_t* pszFormat, va_list args);

 private:
  void FormatImpl(bool append, const wchar_t* pszFormat, ...);

  std::wstring m_str;
};

typedef CString CStringW;

inline const wchar_t* lw::detail::FormatArg(const CString& s) { return s.GetString(); }

namespace lw {
// The formatter behind CString::Format, usable on its own.
std::wstring FormatWideV(const wchar_t* format, va_list args);
}  // namespace lw
