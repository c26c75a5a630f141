// Property pages (dialogs made from templates as child windows) and the property sheet that
// shows them as tabs with OK and Cancel. Included by afxdlgs.h.
#pragma once

#include <vector>

#include "afxwin.h"

class CPropertySheet;

class CPropertyPage : public CDialog {
  DECLARE_DYNAMIC(CPropertyPage)
 public:
  CPropertyPage() = default;
  // The tab's caption is string nIDCaption, else the template's caption.
  explicit CPropertyPage(UINT nIDTemplate, UINT nIDCaption = 0);

  // Made as a child window of pParentWnd (a sheet, a backstage view); the page's
  // OnInitDialog runs.
  BOOL Create(CWnd* pParentWnd);
  CString GetCaption() const;

  // The page becomes the one shown: the base exchanges data into the controls (after the first
  // time, which OnInitDialog did). FALSE keeps the page from showing.
  virtual BOOL OnSetActive();
  // The page is left (another tab, OK): the base validates and exchanges data back; FALSE keeps
  // the page shown.
  virtual BOOL OnKillActive();
  // The sheet's OK (after OnKillActive of the shown page) and Cancel, for every page made.
  void OnOK() override {}
  void OnCancel() override {}
  void SetModified(BOOL bChanged = TRUE) { m_bModified = bChanged; }
  BOOL IsModified() const { return m_bModified; }

  CPropertySheet* m_pSheet = nullptr;

 private:
  friend class CPropertySheet;
  UINT m_nIDCaption = 0;
  BOOL m_bFirstSetActive = TRUE;
  BOOL m_bModified = FALSE;
};

class CPropertySheet : public CWnd {
  DECLARE_DYNAMIC(CPropertySheet)
 public:
  explicit CPropertySheet(const wchar_t* lpszCaption = nullptr, CWnd* pParentWnd = nullptr, UINT iSelectPage = 0);
  ~CPropertySheet() override;

  // The sheet does not own its pages.
  void AddPage(CPropertyPage* pPage);
  int GetPageCount() const { return static_cast<int>(m_pages.size()); }
  CPropertyPage* GetPage(int nPage) const;
  int GetActiveIndex() const { return m_nActive; }
  CPropertyPage* GetActivePage() const { return GetPage(m_nActive); }
  // Leaves the shown page (its OnKillActive may refuse) and shows another (its OnSetActive may
  // refuse; then the old page stays). Before DoModal, only chooses the first page.
  BOOL SetActivePage(int nPage);
  BOOL SetActivePage(CPropertyPage* pPage);

  // Shows the sheet with its tabs; IDOK after every made page's OnOK, IDCANCEL otherwise.
  virtual INT_PTR DoModal();
  // OK as the button does it: FALSE when the shown page refused to be left.
  BOOL PressOK();
  void PressCancel();

 protected:
  afx_msg void OnClose();
  DECLARE_MESSAGE_MAP()

 private:
  BOOL ShowPage(int nPage);
  CString m_strCaption;
  CWnd* m_pParentWnd;
  std::vector<CPropertyPage*> m_pages;
  int m_nActive;
  void* m_pNotebook = nullptr;  // the toolkit's tab control while the sheet is up
  int m_nResult = IDCANCEL;
};
