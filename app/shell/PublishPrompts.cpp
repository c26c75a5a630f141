#include "PublishPrompts.h"

#include <afxdlgs.h>
#include <shellapi.h>
#include <shlobj.h>
#include <winfile.h>
#include <winprocess.h>

#include <vector>

#include "ExtractDlg.h"
#include "LeafwrightDoc.h"
#include "SkinFrameDlg.h"

namespace {

bool PromptExtractPages(CLeafwrightDoc* doc, std::vector<int>& pages) {
  CSkinFrameDlg<CExtractDlg> dlg(doc, AfxGetMainWnd());
  if (dlg.DoModal() != IDOK) return false;
  pages = dlg.m_pages;
  return true;
}

bool PromptPdfPath(const CString& name, CString& path) {
  CFileDialog dlg(FALSE, L"pdf", name, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                  L"Adobe PDF Files (*.PDF)|*.pdf||", AfxGetMainWnd());
  if (dlg.DoModal() != IDOK) return false;
  path = dlg.GetPathName();
  return !path.IsEmpty();
}

bool PromptFolder(CString& folder) {
  wchar_t name[MAX_PATH] = L"";
  BROWSEINFOW bi{};
  CWnd* main = AfxGetMainWnd();
  bi.hwndOwner = main ? main->GetSafeHwnd() : nullptr;
  bi.pszDisplayName = name;
  bi.lpszTitle = L"Please select a folder";
  bi.ulFlags = 0x50;  // an edit box, the new dialog style
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&bi);
  if (!item) return false;
  wchar_t path[MAX_PATH] = L"";
  const BOOL ok = SHGetPathFromIDListW(item, path);
  ILFree(item);
  if (!ok || !*path) return false;
  folder = path;
  return true;
}

bool StartInstance(const CString& file) {
  wchar_t self[4096] = L"";
  const DWORD n = GetModuleFileNameW(nullptr, self, static_cast<DWORD>(std::size(self)));
  if (n == 0 || n >= std::size(self)) return false;
  return StartProgramOn(self, file);
}

void OpenFile(const CString& file) { ShellExecuteW(nullptr, L"open", file, nullptr, nullptr, SW_SHOWNORMAL); }

}  // namespace

CString QuoteCommandLineArgument(const CString& arg) {
  CString out = L"\"";
  int backslashes = 0;
  for (int i = 0; i < arg.GetLength(); ++i) {
    const wchar_t c = arg[i];
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      for (int k = 0; k < backslashes * 2 + 1; ++k) out += L'\\';
    } else {
      for (int k = 0; k < backslashes; ++k) out += L'\\';
    }
    backslashes = 0;
    out += c;
  }
  for (int k = 0; k < backslashes * 2; ++k) out += L'\\';
  return out + L"\"";
}

bool StartProgramOn(const CString& program, const CString& file, DWORD* pid) {
  CString line = QuoteCommandLineArgument(program) + L" " + QuoteCommandLineArgument(file);
  std::vector<wchar_t> buffer(line.GetString(), line.GetString() + line.GetLength() + 1);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS, nullptr,
                      nullptr, &si, &pi))
    return false;
  if (pid) *pid = pi.dwProcessId;
  return true;
}

void InstallPublishPrompts() {
  CPublishHooks& h = PublishHooks();
  h.pfnPromptExtractPages = &PromptExtractPages;
  h.pfnPromptPdfPath = &PromptPdfPath;
  h.pfnPromptFolder = &PromptFolder;
  h.pfnStartInstance = &StartInstance;
  h.pfnOpenFile = &OpenFile;
}

void ClearPublishPrompts() { PublishHooks() = {}; }
