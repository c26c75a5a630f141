// The common file dialogs over the toolkit's file and folder dialogs: filters that match
// without regard to case, the default extension, the overwrite question, and the test hook
// that answers instead of a dialog.
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>

#include <wx/app.h>
#include <wx/dirdlg.h>
#include <wx/filedlg.h>
#include <wx/window.h>

#include "wnd_state.h"

#include <afxdlgs.h>
#include <lwstr.h>
#include <shlobj.h>

IMPLEMENT_DYNAMIC(CFileDialog, CCmdTarget)

namespace {

std::atomic<lwmfc::PFN_FILEDIALOGREQUESTHOOK> g_requestHook{nullptr};
std::atomic<lwmfc::PFN_DIALOGSTARTFOLDER> g_startFolderHook{nullptr};
std::wstring g_lastFolder;  // dialogs run on the window thread only

constexpr size_t kFileBufferChars = 4096;  // PATH_MAX
constexpr int kHookRounds = 8;             // a hook that keeps refusing to replace gives up

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring Trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::vector<std::wstring> SplitPatterns(const std::wstring& s) {
  std::vector<std::wstring> out;
  size_t start = 0;
  while (start <= s.size()) {
    size_t end = s.find(L';', start);
    if (end == std::wstring::npos) end = s.size();
    std::wstring p = Trim(s.substr(start, end - start));
    if (!p.empty()) out.push_back(std::move(p));
    start = end + 1;
  }
  return out;
}

// Folders are split at '/' and at '\' (names made on Windows).
size_t NameStart(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"/\\");
  return slash == std::wstring::npos ? 0 : slash + 1;
}

bool HasExtension(const std::wstring& path) {
  const std::wstring name = path.substr(NameStart(path));
  const size_t dot = name.rfind(L'.');
  return dot != std::wstring::npos && dot > 0 && dot + 1 < name.size();
}

bool PathExists(const std::wstring& path) {
  struct stat st;
  return ::stat(lw::WideToUtf8(path).c_str(), &st) == 0;
}

wxWindow* OwnerWindow(HWND owner) {
  CWnd* pOwner = owner ? CWnd::FromHandle(owner) : nullptr;
  if (!pOwner) pOwner = AfxGetMainWnd();
  return pOwner ? pOwner->GetWxWindow() : nullptr;
}

bool IsFolder(const std::wstring& path) {
  struct stat st;
  return !path.empty() && ::stat(lw::WideToUtf8(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The document's folder, else the last folder chosen; only folders that still exist.
std::wstring StartFolder() {
  if (lwmfc::PFN_DIALOGSTARTFOLDER hook = g_startFolderHook.load()) {
    const std::wstring folder = hook();
    if (IsFolder(folder)) return folder;
  }
  return IsFolder(g_lastFolder) ? g_lastFolder : std::wstring();
}

void RememberFolderOf(const std::wstring& path, bool isFolder) {
  std::wstring folder = path;
  if (!isFolder) {
    const size_t start = NameStart(path);
    folder = start > 1 ? path.substr(0, start - 1) : start == 1 ? path.substr(0, 1) : std::wstring();
  }
  if (!folder.empty()) g_lastFolder = folder;
}

// The toolkit's own dialog for the request; FALSE when cancelled or when there is no toolkit.
BOOL ShowToolkitDialog(lwmfc::FileDialogRequest& req) {
  if (!wxTheApp) return FALSE;
  const lwwnd::RepaintOnClose repaint;
  std::wstring start = req.fileName;
  std::replace(start.begin(), start.end(), L'\\', L'/');
  // A name without a folder (or no name) opens on the start folder.
  if (!req.startFolder.empty()) {
    if (req.kind == lwmfc::FileDialogRequest::pickFolder && start.empty())
      start = req.startFolder;
    else if (req.kind != lwmfc::FileDialogRequest::pickFolder && NameStart(start) == 0)
      start = req.startFolder + L"/" + start;
  }
  // A folder chooser given no folder opens on the home folder (the toolkit's own choice is a list
  // of recent files, where a folder cannot be chosen).
  if (req.kind == lwmfc::FileDialogRequest::pickFolder && start.empty())
    if (const char* home = std::getenv("HOME"); home && *home) start = lw::Utf8ToWide(home);
  wxWindow* parent = OwnerWindow(req.owner);
  if (req.kind == lwmfc::FileDialogRequest::pickFolder) {
    wxDirDialog dlg(parent, req.title.empty() ? wxString(wxDirSelectorPromptStr) : wxString(req.title), wxString(start),
                    wxDD_DEFAULT_STYLE);
    if (dlg.ShowModal() != wxID_OK) return FALSE;
    req.fileName = dlg.GetPath().ToStdWstring();
    return TRUE;
  }
  const size_t nameStart = NameStart(start);
  const wxString dir = nameStart ? wxString(start.substr(0, nameStart - 1)) : wxString();
  const wxString file = wxString(start.substr(nameStart));
  long style = req.kind == lwmfc::FileDialogRequest::openFile ? wxFD_OPEN : wxFD_SAVE;
  if (req.kind == lwmfc::FileDialogRequest::openFile) {
    if (req.flags & OFN_FILEMUSTEXIST) style |= wxFD_FILE_MUST_EXIST;
    if (req.flags & OFN_ALLOWMULTISELECT) style |= wxFD_MULTIPLE;
  }
  // The overwrite question comes later, once the default extension has been added.
  wxFileDialog dlg(parent, wxString(req.title), dir, file,
                   req.wildcard.empty() ? wxString(wxFileSelectorDefaultWildcardStr) : wxString(req.wildcard), style);
  if (!req.filters.empty()) dlg.SetFilterIndex(req.filterIndex - 1);
  if (dlg.ShowModal() != wxID_OK) return FALSE;
  req.filterIndex = dlg.GetFilterIndex() + 1;
  req.paths.clear();
  if (style & wxFD_MULTIPLE) {
    wxArrayString paths;
    dlg.GetPaths(paths);
    for (const wxString& p : paths) req.paths.push_back(p.ToStdWstring());
    req.fileName = req.paths.empty() ? std::wstring() : req.paths.front();
  } else {
    req.fileName = dlg.GetPath().ToStdWstring();
  }
  return TRUE;
}

// The hook's answer, the older hook's, or the toolkit dialog's.
BOOL Ask(lwmfc::FileDialogRequest& req, bool* pHooked) {
  *pHooked = true;
  if (lwmfc::PFN_FILEDIALOGREQUESTHOOK hook = g_requestHook.load()) return hook(req);
  if (req.kind != lwmfc::FileDialogRequest::pickFolder)
    if (lwmfc::PFN_FILEDIALOGHOOK hook = lwmfc::GetFileDialogHook()) {
      CString name(req.fileName.c_str());
      const BOOL ok = hook(req.kind == lwmfc::FileDialogRequest::openFile, name, req.wildcard.c_str());
      req.fileName = static_cast<const wchar_t*>(name);
      return ok;
    }
  *pHooked = false;
  return ShowToolkitDialog(req);
}

int AskOwner(HWND owner, const wchar_t* text, UINT type) {
  if (CWnd* pOwner = owner ? CWnd::FromHandle(owner) : nullptr) return pOwner->MessageBox(text, nullptr, type);
  return AfxMessageBox(text, type);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Filters

namespace lwmfc {

void SetFileDialogRequestHook(PFN_FILEDIALOGREQUESTHOOK pfn) { g_requestHook = pfn; }
void SetDialogStartFolderHook(PFN_DIALOGSTARTFOLDER pfn) { g_startFolderHook = pfn; }
std::wstring GetLastDialogFolder() { return g_lastFolder; }
PFN_FILEDIALOGREQUESTHOOK GetFileDialogRequestHook() { return g_requestHook; }

std::vector<FileFilterEntry> ParseFileFilter(const wchar_t* lpszFilter, bool bNulSeparated, size_t nMax) {
  std::vector<FileFilterEntry> entries;
  if (!lpszFilter) return entries;
  std::vector<std::wstring> parts;
  if (bNulSeparated) {
    // Strings up to the empty one, never past nMax characters.
    size_t i = 0;
    while (i < nMax) {
      std::wstring s;
      while (i < nMax && lpszFilter[i]) s += lpszFilter[i++];
      if (i >= nMax || s.empty()) break;
      ++i;
      parts.push_back(std::move(s));
    }
  } else {
    std::wstring s;
    for (size_t i = 0; lpszFilter[i] && i < nMax; ++i) {
      if (lpszFilter[i] == L'|') {
        parts.push_back(std::move(s));
        s.clear();
      } else {
        s += lpszFilter[i];
      }
    }
    parts.push_back(std::move(s));
  }
  for (size_t i = 0; i + 1 < parts.size(); i += 2) {
    FileFilterEntry e;
    e.name = Trim(parts[i]);
    e.patterns = SplitPatterns(parts[i + 1]);
    if (e.name.empty() || e.patterns.empty()) break;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::wstring CaseInsensitivePattern(const std::wstring& pattern) {
  std::wstring out;
  bool inBracket = false;
  for (wchar_t c : pattern) {
    if (inBracket) {
      out += c;
      if (c == L']') inBracket = false;
      continue;
    }
    if (c == L'[') {
      inBracket = true;
      out += c;
      continue;
    }
    const wchar_t one[2] = {c, 0};
    CString lower(one), upper(one);
    lower.MakeLower();
    upper.MakeUpper();
    if (lower.GetLength() == 1 && upper.GetLength() == 1 && lower[0] != upper[0]) {
      out += L'[';
      out += lower[0];
      out += upper[0];
      out += L']';
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring ToolkitWildcard(const std::vector<FileFilterEntry>& entries) {
  std::wstring out;
  for (const FileFilterEntry& e : entries) {
    if (!out.empty()) out += L'|';
    out += e.name;
    out += L'|';
    bool first = true;
    for (const std::wstring& p : e.patterns) {
      // The pattern as written first: the toolkit takes a saved name's extension from it.
      if (!first) out += L';';
      out += p;
      first = false;
      const std::wstring anyCase = CaseInsensitivePattern(p);
      if (anyCase != p) out += L';' + anyCase;
    }
  }
  return out;
}

std::wstring NormalizeDefaultExtension(const wchar_t* lpszDefExt) {
  if (!lpszDefExt) return std::wstring();
  std::wstring ext = Trim(lpszDefExt);
  const size_t semi = ext.find(L';');
  if (semi != std::wstring::npos) ext.resize(semi);
  size_t b = 0;
  while (b < ext.size() && (ext[b] == L'*' || ext[b] == L'.')) ++b;
  ext = Trim(ext.substr(b));
  if (ext.find_first_of(L"*?/\\") != std::wstring::npos) return std::wstring();
  return ext;
}

}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------
// CFileDialog

CFileDialog::CFileDialog(BOOL bOpenFileDialog, const wchar_t* lpszDefExt, const wchar_t* lpszFileName, DWORD dwFlags,
                         const wchar_t* lpszFilter, CWnd* pParentWnd, DWORD, BOOL)
    : m_ofn{}, m_bOpenFileDialog(bOpenFileDialog), m_pParentWnd(pParentWnd), m_fileBuffer(kFileBufferChars, 0) {
  m_ofn.lStructSize = sizeof(m_ofn);
  m_ofn.Flags = dwFlags;
  m_ofn.hwndOwner = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  if (lpszDefExt) {
    m_strDefExt = lpszDefExt;
    m_ofn.lpstrDefExt = m_strDefExt.c_str();
  }
  if (lpszFileName) {
    const size_t n = std::min(std::wcslen(lpszFileName), m_fileBuffer.size() - 1);
    std::copy(lpszFileName, lpszFileName + n, m_fileBuffer.begin());
  }
  m_ofn.lpstrFile = m_fileBuffer.data();
  m_ofn.nMaxFile = static_cast<DWORD>(m_fileBuffer.size());
  if (lpszFilter) {
    m_strFilter = lpszFilter;
    std::replace(m_strFilter.begin(), m_strFilter.end(), L'|', L'\0');
    m_strFilter.push_back(L'\0');
    m_strFilter.push_back(L'\0');
    m_ofn.lpstrFilter = m_strFilter.c_str();
  }
}

INT_PTR CFileDialog::DoModal() {
  using lwmfc::FileDialogRequest;
  FileDialogRequest req;
  req.kind = m_bOpenFileDialog ? FileDialogRequest::openFile : FileDialogRequest::saveFile;
  req.title = m_ofn.lpstrTitle ? m_ofn.lpstrTitle : (m_bOpenFileDialog ? L"Open" : L"Save As");
  req.filters = lwmfc::ParseFileFilter(m_ofn.lpstrFilter, true);
  req.wildcard = lwmfc::ToolkitWildcard(req.filters);
  const int count = static_cast<int>(req.filters.size());
  req.filterIndex = std::clamp(static_cast<int>(m_ofn.nFilterIndex), 1, std::max(count, 1));
  req.defaultExt = lwmfc::NormalizeDefaultExtension(m_ofn.lpstrDefExt);
  req.flags = m_ofn.Flags;
  req.owner = m_ofn.hwndOwner;
  if (m_ofn.lpstrFile && m_ofn.nMaxFile)
    for (DWORD i = 0; i < m_ofn.nMaxFile && m_ofn.lpstrFile[i]; ++i) req.fileName += m_ofn.lpstrFile[i];
  if (m_ofn.lpstrInitialDir && *m_ofn.lpstrInitialDir && NameStart(req.fileName) == 0) {
    std::wstring dir = m_ofn.lpstrInitialDir;
    if (dir.back() != L'/' && dir.back() != L'\\') dir += L'/';
    req.fileName = dir + req.fileName;
  }
  if (NameStart(req.fileName) == 0) req.startFolder = StartFolder();
  m_paths.clear();

  for (int round = 0;; ++round) {
    bool hooked = false;
    req.paths.clear();
    if (!Ask(req, &hooked)) return IDCANCEL;
    std::vector<std::wstring> chosen = req.paths;
    if (chosen.empty() && !req.fileName.empty()) chosen.push_back(req.fileName);
    if (chosen.empty()) return IDCANCEL;
    if (!m_bOpenFileDialog) {
      chosen.resize(1);
      if (!req.defaultExt.empty() && !HasExtension(chosen[0])) chosen[0] += L"." + req.defaultExt;
      if ((m_ofn.Flags & OFN_OVERWRITEPROMPT) && PathExists(chosen[0])) {
        const std::wstring text = chosen[0].substr(NameStart(chosen[0])) + L" already exists.\nDo you want to replace it?";
        if (AskOwner(req.owner, text.c_str(), MB_YESNO | MB_ICONEXCLAMATION) != IDYES) {
          if (hooked && round + 1 >= kHookRounds) return IDCANCEL;
          req.fileName = chosen[0];
          continue;  // the dialog again, as on Windows
        }
      }
    }
    // The answer goes into the caller's buffer whole, or not at all.
    std::wstring packed;
    if (chosen.size() == 1) {
      packed = chosen[0];
    } else {
      // Several files: the folder, then each name, as Windows lists them.
      const std::wstring& first = chosen[0];
      const size_t start = NameStart(first);
      packed = first.substr(0, start > 0 ? start - 1 : 0);
      for (const std::wstring& p : chosen) {
        packed += L'\0';
        packed += p.substr(NameStart(p));
      }
      packed += L'\0';
    }
    if (!m_ofn.lpstrFile || packed.size() + 1 > m_ofn.nMaxFile) return IDCANCEL;
    std::copy(packed.begin(), packed.end(), m_ofn.lpstrFile);
    m_ofn.lpstrFile[packed.size()] = 0;
    const std::wstring& one = chosen[0];
    const size_t nameStart = NameStart(one);  // also where the first name follows the folder
    m_ofn.nFileOffset = static_cast<WORD>(std::min<size_t>(nameStart, 0xFFFF));
    const size_t dot = one.rfind(L'.');
    m_ofn.nFileExtension =
        chosen.size() == 1 && dot != std::wstring::npos && dot >= nameStart ? static_cast<WORD>(std::min<size_t>(dot + 1, 0xFFFF)) : 0;
    m_ofn.nFilterIndex = static_cast<DWORD>(std::max(req.filterIndex, 1));
    for (const std::wstring& p : chosen) m_paths.emplace_back(p.c_str());
    RememberFolderOf(chosen[0], false);
    return IDOK;
  }
}

CString CFileDialog::GetPathName() const {
  if (!m_paths.empty()) return m_paths.front();
  return m_ofn.lpstrFile ? CString(m_ofn.lpstrFile) : CString();
}

CString CFileDialog::GetFileName() const {
  const std::wstring path = static_cast<const wchar_t*>(GetPathName());
  return CString(path.substr(NameStart(path)).c_str());
}

CString CFileDialog::GetFileExt() const {
  const std::wstring name = static_cast<const wchar_t*>(GetFileName());
  const size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? CString() : CString(name.substr(dot + 1).c_str());
}

CString CFileDialog::GetFileTitle() const {
  const std::wstring name = static_cast<const wchar_t*>(GetFileName());
  const size_t dot = name.rfind(L'.');
  return CString(dot == std::wstring::npos ? name.c_str() : name.substr(0, dot).c_str());
}

CString CFileDialog::GetFolderPath() const {
  const std::wstring path = static_cast<const wchar_t*>(GetPathName());
  const size_t start = NameStart(path);
  return CString(start > 0 ? path.substr(0, start - 1).c_str() : L"");
}

POSITION CFileDialog::GetStartPosition() const {
  return m_paths.empty() ? nullptr : reinterpret_cast<POSITION>(static_cast<uintptr_t>(1));
}

CString CFileDialog::GetNextPathName(POSITION& pos) const {
  const auto index = reinterpret_cast<uintptr_t>(pos);
  if (index == 0 || index > m_paths.size()) {
    pos = nullptr;
    return CString();
  }
  pos = index < m_paths.size() ? reinterpret_cast<POSITION>(index + 1) : nullptr;
  return m_paths[index - 1];
}

// ---------------------------------------------------------------------------------------------
// The shell's folder browser. An item list is a malloc'd, '\0'-ended wide path.

PIDLIST_ABSOLUTE ILCreateFromPathW(const wchar_t* pszPath) {
  if (!pszPath) return nullptr;
  const size_t n = std::wcslen(pszPath);
  auto* p = static_cast<wchar_t*>(std::malloc((n + 1) * sizeof(wchar_t)));
  if (!p) return nullptr;
  std::copy(pszPath, pszPath + n + 1, p);
  return reinterpret_cast<PIDLIST_ABSOLUTE>(p);
}

void ILFree(PIDLIST_ABSOLUTE pidl) { std::free(pidl); }

void CoTaskMemFree(void* pv) { std::free(pv); }

BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, wchar_t* pszPath) {
  if (!pszPath) return FALSE;
  pszPath[0] = 0;
  if (!pidl) return FALSE;
  const auto* path = reinterpret_cast<const wchar_t*>(pidl);
  const size_t n = std::wcslen(path);
  if (n == 0 || n >= MAX_PATH) return FALSE;  // never a cut path
  std::copy(path, path + n + 1, pszPath);
  return TRUE;
}

PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* lpbi) {
  if (!lpbi) return nullptr;
  lwmfc::FileDialogRequest req;
  req.kind = lwmfc::FileDialogRequest::pickFolder;
  req.title = lpbi->lpszTitle ? lpbi->lpszTitle : L"";
  req.flags = lpbi->ulFlags;
  req.owner = lpbi->hwndOwner;
  if (lpbi->pidlRoot) req.fileName = reinterpret_cast<const wchar_t*>(lpbi->pidlRoot);
  if (req.fileName.empty()) req.startFolder = StartFolder();
  bool hooked = false;
  if (!Ask(req, &hooked) || req.fileName.empty()) return nullptr;
  std::wstring path = req.fileName;
  while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\')) path.pop_back();
  RememberFolderOf(path, true);
  if (lpbi->pszDisplayName) {
    const std::wstring name = path.size() > 1 ? path.substr(NameStart(path)) : path;
    const size_t n = std::min<size_t>(name.size(), MAX_PATH - 1);
    std::copy(name.begin(), name.begin() + static_cast<std::ptrdiff_t>(n), lpbi->pszDisplayName);
    lpbi->pszDisplayName[n] = 0;
  }
  return ILCreateFromPathW(path.c_str());
}
