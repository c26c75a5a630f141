#include <afx.h>

#include <algorithm>

IMPLEMENT_DYNAMIC(CFileFind, CObject)

CFileFind::CFileFind() : m_hContext(INVALID_HANDLE_VALUE), m_found{}, m_next{}, m_bHasFound(FALSE), m_bHasNext(FALSE) {}

CFileFind::~CFileFind() { Close(); }

void CFileFind::Close() {
  if (m_hContext != INVALID_HANDLE_VALUE) ::FindClose(m_hContext);
  m_hContext = INVALID_HANDLE_VALUE;
  m_bHasFound = m_bHasNext = FALSE;
  m_strRoot.Empty();
}

BOOL CFileFind::FindFile(const wchar_t* pstrName, DWORD) {
  Close();
  const CString pattern = pstrName && *pstrName ? CString(pstrName) : CString(L"*.*");
  m_hContext = ::FindFirstFileW(pattern, &m_next);
  if (m_hContext == INVALID_HANDLE_VALUE) return FALSE;
  m_bHasNext = TRUE;
  const int cut = std::max(pattern.ReverseFind(L'\\'), pattern.ReverseFind(L'/'));
  m_strRoot = cut < 0 ? CString() : pattern.Left(cut == 0 ? 1 : cut);
  m_strRoot.Replace(L'\\', L'/');
  return TRUE;
}

BOOL CFileFind::FindNextFile() {
  if (m_hContext == INVALID_HANDLE_VALUE || !m_bHasNext) return FALSE;
  m_found = m_next;
  m_bHasFound = TRUE;
  m_bHasNext = ::FindNextFileW(m_hContext, &m_next);
  return m_bHasNext;
}

ULONGLONG CFileFind::GetLength() const {
  if (!m_bHasFound) return 0;
  return (static_cast<ULONGLONG>(m_found.nFileSizeHigh) << 32) | m_found.nFileSizeLow;
}

CString CFileFind::GetFileName() const { return m_bHasFound ? CString(m_found.cFileName) : CString(); }

CString CFileFind::GetFilePath() const {
  if (!m_bHasFound) return CString();
  if (m_strRoot.IsEmpty()) return GetFileName();
  if (m_strRoot == L"/") return m_strRoot + GetFileName();
  return m_strRoot + L'/' + GetFileName();
}

CString CFileFind::GetFileTitle() const {
  const CString name = GetFileName();
  const int dot = name.ReverseFind(L'.');
  return dot > 0 ? name.Left(dot) : name;
}

CString CFileFind::GetRoot() const { return m_strRoot; }

BOOL CFileFind::IsDots() const {
  if (!m_bHasFound || !IsDirectory()) return FALSE;
  const CString name = GetFileName();
  return name == L"." || name == L"..";
}

BOOL CFileFind::MatchesMask(DWORD dwMask) const { return m_bHasFound && (m_found.dwFileAttributes & dwMask) != 0; }
