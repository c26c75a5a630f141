// The common file dialogs: open and save (CFileDialog) and the shell's folder browser
// (shlobj.h), shown through the toolkit's own dialogs.
//
// Filters come as the program writes them, "Name|*.a;*.b|Other|*.c||" ('|' becomes '\0' in
// m_ofn.lpstrFilter, as on Windows). The toolkit's filters are case-sensitive while Windows'
// are not, so every pattern is offered in its own spelling and in a form that matches any case
// ("*.lfw" also shows "X.LFW"); blanks around a pattern and empty patterns are dropped. A
// default extension may be written with or without "*." ("*.pdf", ".pdf" and "pdf" are the
// same) and is added to a saved name that has no extension. OFN_OVERWRITEPROMPT asks through
// the message box once the final name (with its extension) is known; answering No shows the
// dialog again.
//
// Tests answer every dialog through lwmfc::SetFileDialogRequestHook (or the older
// lwmfc::SetFileDialogHook), so no dialog ever waits for a person.
#pragma once

#include <string>
#include <vector>

#include "afxwin.h"

// Flags of the file dialogs (OPENFILENAME's Flags). Those without effect here are accepted.
#define OFN_READONLY 0x00000001
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_HIDEREADONLY 0x00000004
#define OFN_NOCHANGEDIR 0x00000008
#define OFN_ENABLETEMPLATE 0x00000040
#define OFN_ALLOWMULTISELECT 0x00000200
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define OFN_CREATEPROMPT 0x00002000
#define OFN_SHAREAWARE 0x00004000
#define OFN_NOREADONLYRETURN 0x00008000
#define OFN_EXPLORER 0x00080000
#define OFN_ENABLESIZING 0x00800000

// The framework's titles of the file dialogs (the layer knows their texts).
#define AFX_IDS_OPENFILE 0xF000
#define AFX_IDS_SAVEFILE 0xF001
#define AFX_IDS_SAVEFILECOPY 0xF004

// The dialog's settings and, after DoModal, its answer. lpstrFilter is a list of '\0'-ended
// strings (name, patterns, name, patterns...) ended by an empty one.
struct OPENFILENAMEW {
  DWORD lStructSize;
  HWND hwndOwner;
  const wchar_t* lpstrFilter;
  wchar_t* lpstrCustomFilter;
  DWORD nMaxCustFilter;
  DWORD nFilterIndex;  // 1-based; 0 takes the first
  wchar_t* lpstrFile;  // in: the proposed name; out: the chosen path ('\0'-ended)
  DWORD nMaxFile;      // characters in lpstrFile, the ending '\0' included
  wchar_t* lpstrFileTitle;
  DWORD nMaxFileTitle;
  const wchar_t* lpstrInitialDir;
  const wchar_t* lpstrTitle;
  DWORD Flags;
  WORD nFileOffset;     // where the name starts in lpstrFile
  WORD nFileExtension;  // where the extension starts (after the '.'), 0 when there is none
  const wchar_t* lpstrDefExt;
};
typedef OPENFILENAMEW OPENFILENAME;

class CFileDialog : public CCmdTarget {
  DECLARE_DYNAMIC(CFileDialog)
 public:
  // lpszFilter in the '|' form; lpszFileName the proposed name (or path).
  explicit CFileDialog(BOOL bOpenFileDialog, const wchar_t* lpszDefExt = nullptr, const wchar_t* lpszFileName = nullptr,
                       DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const wchar_t* lpszFilter = nullptr,
                       CWnd* pParentWnd = nullptr, DWORD dwSize = 0, BOOL bVistaStyle = TRUE);
  ~CFileDialog() override = default;
  CFileDialog(const CFileDialog&) = delete;
  CFileDialog& operator=(const CFileDialog&) = delete;

  // Shows the dialog with the settings in m_ofn; IDOK with the answer in m_ofn.lpstrFile (a path
  // that does not fit there gives IDCANCEL rather than a cut name), IDCANCEL otherwise.
  virtual INT_PTR DoModal();

  // The answer: full path, name with extension, extension without '.', name without it, folder.
  CString GetPathName() const;
  CString GetFileName() const;
  CString GetFileExt() const;
  CString GetFileTitle() const;
  CString GetFolderPath() const;
  // With OFN_ALLOWMULTISELECT: the chosen paths one by one.
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

  OPENFILENAMEW m_ofn;
  BOOL m_bOpenFileDialog;

 protected:
  CWnd* m_pParentWnd;
  // The filter in the '\0' form that m_ofn.lpstrFilter points to.
  std::wstring m_strFilter;
  std::wstring m_strDefExt;
  std::vector<wchar_t> m_fileBuffer;

 private:
  std::vector<CString> m_paths;
};

// The colour chooser: opens with m_cc.rgbResult (the colour given when made) and leaves the
// chosen colour there on IDOK; IDCANCEL changes nothing.
struct CHOOSECOLORW {
  DWORD lStructSize = sizeof(CHOOSECOLORW);
  HWND hwndOwner = nullptr;
  COLORREF rgbResult = 0;
  DWORD Flags = 0;
};
class CColorDialog : public CCmdTarget {
  DECLARE_DYNAMIC(CColorDialog)
 public:
  explicit CColorDialog(COLORREF clrInit = 0, DWORD dwFlags = 0, CWnd* pParentWnd = nullptr);
  virtual INT_PTR DoModal();
  COLORREF GetColor() const { return m_cc.rgbResult; }
  CHOOSECOLORW m_cc;
};

// The absolute, normalised form of a path ("." and ".." folded, no doubled or trailing
// separators; links are not followed): the one name of a file for the document list and the
// recent files.
CString AfxFullPath(const wchar_t* lpszFileName);

namespace lwmfc {
// Lends the toolkit's readers of PCX, TGA, icons, cursors and animated cursors to the GDI+ layer
// (done when this library loads; calling again changes nothing).
void RegisterToolkitImageDecoders();
}  // namespace lwmfc

namespace lwmfc {

// One filter entry of a file dialog: its name and its patterns as the program wrote them
// (blanks trimmed, empty ones dropped).
struct FileFilterEntry {
  std::wstring name;
  std::vector<std::wstring> patterns;
};

// Splits a filter in the '|' form ("A|*.a|B|*.b||") or, with bNulSeparated, a '\0'-separated
// list ended by an empty string (at most nMax characters are looked at). An entry whose name
// or patterns are missing ends the list.
std::vector<FileFilterEntry> ParseFileFilter(const wchar_t* lpszFilter, bool bNulSeparated, size_t nMax = 0x100000);
// A pattern in a form the toolkit matches without regard to case: every letter becomes a
// bracket of its two spellings ("*.lfw" -> "*.[lL][fF][wW]"); characters already inside
// brackets are kept as they are.
std::wstring CaseInsensitivePattern(const std::wstring& pattern);
// The toolkit's wildcard string for the entries: "name|p1;P1;p2;P2|name|..." where each pattern
// is followed by its case-insensitive form when that differs. Empty for no entries.
std::wstring ToolkitWildcard(const std::vector<FileFilterEntry>& entries);
// A default extension as the dialog uses it: without leading '*' and '.' ("*.pdf" -> "pdf");
// empty when nothing usable is left (such as "*" or "*.*").
std::wstring NormalizeDefaultExtension(const wchar_t* lpszDefExt);

// What a file or folder dialog is asked to show, handed to the test hook instead of a dialog.
struct FileDialogRequest {
  enum Kind { openFile, saveFile, pickFolder };
  Kind kind = openFile;
  std::wstring title;
  std::vector<FileFilterEntry> filters;
  std::wstring wildcard;  // what the toolkit dialog would get
  int filterIndex = 1;    // 1-based; the hook may change it
  std::wstring defaultExt;
  DWORD flags = 0;  // OFN_ flags for files, BIF_ flags for folders
  HWND owner = nullptr;
  // In: the proposed name (or path); out: the chosen path. With OFN_ALLOWMULTISELECT the hook
  // may fill paths instead.
  std::wstring fileName;
  std::vector<std::wstring> paths;
  // The folder the dialog opens on when fileName names none: the folder the start-folder hook
  // gives (the document's), else the last folder chosen in any file or folder dialog; empty
  // when neither is known.
  std::wstring startFolder;
};
// Answers a dialog instead of showing it; FALSE means cancelled.
typedef BOOL (*PFN_FILEDIALOGREQUESTHOOK)(FileDialogRequest& request);
void SetFileDialogRequestHook(PFN_FILEDIALOGREQUESTHOOK pfn);
PFN_FILEDIALOGREQUESTHOOK GetFileDialogRequestHook();
// The folder dialogs open on first (the program gives its document's folder); empty: none.
typedef std::wstring (*PFN_DIALOGSTARTFOLDER)();
void SetDialogStartFolderHook(PFN_DIALOGSTARTFOLDER pfn);
// The folder of the last file or folder chosen in a dialog (empty before the first).
std::wstring GetLastDialogFolder();

// Answers a colour dialog instead of showing it: in, the colour it opens with; out, the chosen
// one. FALSE means cancelled.
typedef BOOL (*PFN_COLORDIALOGHOOK)(COLORREF& color);
void SetColorDialogHook(PFN_COLORDIALOGHOOK pfn);

}  // namespace lwmfc

// Property pages and sheets.
#include "afxpropsheet.h"
