// The toolkit's recent-file list, as the backstage's Recent page shows it. It works over the
// application's own list (CWinApp: newest first, kept in the profile section "Recent File List"
// as "File1".."File16", opened by the commands ID_FILE_MRU_FILE1 + index): ReadList makes that
// list nSize long and reads it, so adding and opening go through the application as before.
#pragma once

#include <afxwin.h>

class CQORPRecentFileList {
 public:
  // nStart: first command index (0: entry i is command ID_FILE_MRU_FILE1 + i); the section and
  // entry format must be the application's ("Recent File List", "File%d"); nSize: at most 16;
  // nMaxDispLen: display names are abbreviated to this many characters (0: never).
  CQORPRecentFileList(UINT nStart, const wchar_t* lpszSection, const wchar_t* lpszEntryFormat, int nSize,
                      int nMaxDispLen = 30);

  // Makes the application's list this size and reads it from the profile. FALSE without an
  // application, or when the section or entry format is not the application's.
  BOOL ReadList();
  // Adds a file at the top (an entry already listed moves up; the oldest falls off).
  void Add(const wchar_t* lpszPathName);

  int GetSize() const { return m_nSize; }  // the most entries the list keeps
  int GetCount() const;                    // the entries it holds now
  CString GetPath(int nIndex) const;       // empty out of range
  CString operator[](int nIndex) const { return GetPath(nIndex); }
  // The name shown for an entry: the path, abbreviated to the display length.
  CString GetDisplayName(int nIndex) const;
  // The command that opens the entry.
  UINT GetCommandID(int nIndex) const { return ID_FILE_MRU_FILE1 + m_nStart + static_cast<UINT>(nIndex); }

  CString GetSection() const { return m_strSection; }
  CString GetEntryFormat() const { return m_strEntryFormat; }
  int GetMaxDisplayLength() const { return m_nMaxDispLen; }

  // A path shortened to at most nMaxLen characters: the root, "...", then as many of the last
  // folders as fit and the file name; a file name alone that is too long is cut and ends in
  // "...". Paths may use '/' or '\\'. nMaxLen <= 0 keeps the path.
  static CString AbbreviatePath(const wchar_t* lpszPath, int nMaxLen);

 private:
  UINT m_nStart;
  CString m_strSection, m_strEntryFormat;
  int m_nSize, m_nMaxDispLen;
};
