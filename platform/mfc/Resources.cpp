// Strings of the string table for CString.
#include <windows.h>

#include "afx.h"

BOOL CString::LoadString(UINT nID) {
  const wchar_t* text = nullptr;
  const int len = ::LoadStringW(nullptr, nID, reinterpret_cast<LPWSTR>(&text), 0);
  if (len <= 0 || !text) {
    Empty();
    return FALSE;
  }
  m_str.assign(text, static_cast<size_t>(len));
  return TRUE;
}
