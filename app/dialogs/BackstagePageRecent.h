// The backstage's Recent page: the documents opened lately, newest first; a click on one gives
// the backstage way and opens it through the application's recent-file command.
#pragma once

#include <QorpDialogControls.h>
#include <QorpRibbonBackstage.h>

class CBackstagePageRecent : public CQORPRibbonBackstagePage {
  DECLARE_DYNAMIC(CBackstagePageRecent)
 public:
  CBackstagePageRecent();

  // The title's colour (a grey that reads on the page's white).
  static constexpr COLORREF kTitleColor = RGB(0x5E, 0x5E, 0x5E);

  // Fills the list again from the application's recent files each time the page is shown.
  BOOL OnSetActive() override;

  CQORPRibbonBackstageSeparator m_wndSeparator;
  CQORPRibbonBackstageLabel m_wndTitle;
  CQORPRecentFileListBox m_wndRecentFiles;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  // A pick in the list: the backstage gives way, then the picked entry's command goes to the
  // main window (which opens the file, or reports it and drops it from the list). Nothing is
  // sent when no entry is selected.
  afx_msg void OnRecentFileClicked();
  // The rule follows the page's width; the list fills the page.
  afx_msg void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()

 private:
  CRect m_rcSeparator, m_rcList;  // where the template puts them
  CSize m_szTemplate;             // the page's size from the template
};
