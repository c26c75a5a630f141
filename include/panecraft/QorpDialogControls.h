// The toolkit's controls for dialogs: hyperlinks, edits and combo boxes with the toolkit's
// styles, and the recent-file list box of the backstage's Recent page. Each is bound to a
// dialog control with DDX_Control like the standard controls.
#pragma once

#include <afxwin.h>

// A text that opens its link with the desktop's handler when clicked (a web page, or a mail
// address as "mailto:..."). Bound to a static text of the template, whose text and place it
// keeps; without a link of its own it opens its text.
class CQORPHyperLink : public CStatic {
  DECLARE_DYNAMIC(CQORPHyperLink)
 public:
  void SetURL(const wchar_t* lpszURL);
  CString GetURL() const;
  void SetTipText(const wchar_t* lpszTip);
  // Opens the link now, as a click does; FALSE when the desktop could not open it.
  BOOL Open();
  void PreSubclassWindow() override;

 private:
  CString m_strURL, m_strTip;
};

namespace lwqorp {
// Opens links instead of the desktop (tests); null puts the desktop's handler back.
typedef BOOL (*PFN_OPENLINK)(const wchar_t* lpszURL);
void SetLinkOpener(PFN_OPENLINK pfn);
}  // namespace lwqorp

// Edits and combo boxes of the toolkit: the flat style and the control theme are recorded (the
// desktop draws the controls either way).
class CQORPEdit : public CEdit {
  DECLARE_DYNAMIC(CQORPEdit)
 public:
  void SetFlatStyle(BOOL bFlatStyle = TRUE) { m_bFlatStyle = bFlatStyle; }
  BOOL GetFlatStyle() const { return m_bFlatStyle; }
  void SetTheme(int nTheme) { m_nTheme = nTheme; }
  int GetTheme() const { return m_nTheme; }

 private:
  BOOL m_bFlatStyle = FALSE;
  int m_nTheme = 0;
};

class CQORPComboBox : public CComboBox {
  DECLARE_DYNAMIC(CQORPComboBox)
 public:
  void SetFlatStyle(BOOL bFlatStyle = TRUE) { m_bFlatStyle = bFlatStyle; }
  BOOL GetFlatStyle() const { return m_bFlatStyle; }
  void SetTheme(int nTheme) { m_nTheme = nTheme; }
  int GetTheme() const { return m_nTheme; }

 private:
  BOOL m_bFlatStyle = FALSE;
  int m_nTheme = 0;
};

// The list of recently used documents: one item per entry of the application's recent-file list
// (newest first), shown by its abbreviated path, whose item data is the entry's command
// (ID_FILE_MRU_FILE1 + index). A pick (LBN_SELCHANGE to the parent) is a click on an entry, or
// Enter on the selected one; the keys, and the focus coming to the list, only move the
// selection, so a keyboard user reaches an entry without opening every one passed on the way.
class CQORPRecentFileListBox : public CListBox {
  DECLARE_DYNAMIC(CQORPRecentFileListBox)
 public:
  void PreSubclassWindow() override;
  // Reads the application's list again (no application: empty).
  void BuildItems();
  // The command of the selected item; 0 without a selection.
  UINT GetSelectedCommand() const;
  // Display length of the paths (0: whole paths).
  void SetMaxDisplayLength(int nChars) { m_nMaxDisplay = nChars; }

 private:
  int m_nMaxDisplay = 60;
  bool m_bPointer = false;  // the pointer is pressed on the list
};
