// The shell's folder browser, shown through the toolkit's folder dialog (or answered by the
// test hook of afxdlgs.h with a pickFolder request).
//
// An item list here holds one file-system path; it comes from malloc, so CoTaskMemFree and
// ILFree both release it. SHGetPathFromIDListW fills a MAX_PATH buffer and fails, leaving an
// empty string, for a path that does not fit (Linux paths may be longer than 259 characters)
// instead of cutting it.
#pragma once

#include "afxwin.h"

#define BIF_RETURNONLYFSDIRS 0x0001
#define BIF_DONTGOBELOWDOMAIN 0x0002
#define BIF_EDITBOX 0x0010
#define BIF_VALIDATE 0x0020
#define BIF_NEWDIALOGSTYLE 0x0040
#define BIF_NONEWFOLDERBUTTON 0x0200

struct ITEMIDLIST__;
typedef ITEMIDLIST__* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST__* PCIDLIST_ABSOLUTE;
typedef PIDLIST_ABSOLUTE LPITEMIDLIST;
typedef PCIDLIST_ABSOLUTE LPCITEMIDLIST;

// Called by the browser with BFFM_ messages; not called here.
typedef int (*BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct BROWSEINFOW {
  HWND hwndOwner;
  PCIDLIST_ABSOLUTE pidlRoot;  // null: the whole file system (another root starts the dialog there)
  wchar_t* pszDisplayName;     // MAX_PATH characters: receives the chosen folder's name
  const wchar_t* lpszTitle;
  UINT ulFlags;
  BFFCALLBACK lpfn;
  LPARAM lParam;
  int iImage;
};
typedef BROWSEINFOW BROWSEINFO;

// Shows the folder browser; the chosen folder, or null when cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* lpbi);
inline PIDLIST_ABSOLUTE SHBrowseForFolder(BROWSEINFOW* lpbi) { return SHBrowseForFolderW(lpbi); }
// The path of the item into pszPath (MAX_PATH characters); FALSE for a null item or a path that
// does not fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, wchar_t* pszPath);
inline BOOL SHGetPathFromIDList(PCIDLIST_ABSOLUTE pidl, wchar_t* pszPath) { return SHGetPathFromIDListW(pidl, pszPath); }
// An item list for a path (for pidlRoot); release it with ILFree.
PIDLIST_ABSOLUTE ILCreateFromPathW(const wchar_t* pszPath);
void ILFree(PIDLIST_ABSOLUTE pidl);
void CoTaskMemFree(void* pv);
