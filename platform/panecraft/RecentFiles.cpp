// The recent-file list over the application's own list, and the display-name abbreviation.
#include "QorpRecentFileList.h"

#include <algorithm>
#include <string>
#include <vector>

CQORPRecentFileList::CQORPRecentFileList(UINT nStart, const wchar_t* lpszSection, const wchar_t* lpszEntryFormat,
                                         int nSize, int nMaxDispLen)
    : m_nStart(nStart),
      m_strSection(lpszSection ? lpszSection : L""),
      m_strEntryFormat(lpszEntryFormat ? lpszEntryFormat : L""),
      m_nSize(std::clamp(nSize, 0, 16)),
      m_nMaxDispLen(std::max(nMaxDispLen, 0)) {}

BOOL CQORPRecentFileList::ReadList() {
  CWinApp* pApp = AfxGetApp();
  if (!pApp || m_strSection != L"Recent File List" || m_strEntryFormat != L"File%d") return FALSE;
  pApp->LoadStdProfileSettings(static_cast<UINT>(m_nSize));
  return TRUE;
}

void CQORPRecentFileList::Add(const wchar_t* lpszPathName) {
  // The base class's list, even when the application forwards its own adds to this list.
  if (CWinApp* pApp = AfxGetApp()) pApp->CWinApp::AddToRecentFileList(lpszPathName);
}

int CQORPRecentFileList::GetCount() const {
  const CWinApp* pApp = AfxGetApp();
  return pApp ? std::min(pApp->GetRecentFileCount(), m_nSize) : 0;
}

CString CQORPRecentFileList::GetPath(int nIndex) const {
  const CWinApp* pApp = AfxGetApp();
  return pApp && nIndex >= 0 && nIndex < GetCount() ? pApp->GetRecentFile(nIndex) : CString();
}

CString CQORPRecentFileList::GetDisplayName(int nIndex) const {
  return AbbreviatePath(GetPath(nIndex), m_nMaxDispLen);
}

CString CQORPRecentFileList::AbbreviatePath(const wchar_t* lpszPath, int nMaxLen) {
  const std::wstring path = lpszPath ? lpszPath : L"";
  const size_t nMax = static_cast<size_t>(std::max(nMaxLen, 0));
  if (nMaxLen <= 0 || path.size() <= nMax) return CString(path.c_str());
  auto isSep = [](wchar_t c) { return c == L'/' || c == L'\\'; };
  // The root: "/", "\\server\" style leading separators, or a drive "C:\".
  size_t nRoot = 0;
  if (path.size() >= 3 && path[1] == L':' && isSep(path[2])) nRoot = 3;
  while (nRoot < path.size() && isSep(path[nRoot])) ++nRoot;
  const std::wstring root = path.substr(0, nRoot);
  // The parts after the root, each with the separator that follows it.
  std::vector<std::wstring> parts;
  size_t nBegin = nRoot;
  for (size_t i = nRoot; i < path.size(); ++i)
    if (isSep(path[i])) {
      parts.push_back(path.substr(nBegin, i + 1 - nBegin));
      nBegin = i + 1;
    }
  const std::wstring name = path.substr(nBegin);
  const wchar_t sep = parts.empty() ? L'/' : parts.back().back();
  // Keep as many of the last folders as fit after "root...".
  for (size_t nKeep = parts.empty() ? 0 : parts.size() - 1; nKeep != static_cast<size_t>(-1); --nKeep) {
    std::wstring s = root + L"..." + sep;
    for (size_t i = parts.size() - nKeep; i < parts.size(); ++i) s += parts[i];
    s += name;
    if (s.size() <= nMax) return CString(s.c_str());
    if (nKeep == 0) break;
  }
  if (name.size() <= nMax) return CString(name.c_str());
  if (nMax <= 3) return CString(name.substr(0, nMax).c_str());
  return CString((name.substr(0, nMax - 3) + L"...").c_str());
}
