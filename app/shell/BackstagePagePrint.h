// The Print page of the backstage: printer, pages, copies and pages per sheet on the left, the
// preview of one sheet with its navigation on the right, and the Print button.
#pragma once

#include <afxwin.h>
#include <afxdialog.h>

#include <QorpBackstageButton.h>
#include <QorpRibbonBackstage.h>

#include <functional>

#include <vectorloom/RenderPage.h>

#include "PageCommands.h"
#include "PrintPreviewWnd.h"

// The pages "Current Page(s)" prints: the pages selected in the page list (their indices in
// pages, in the order selected; pages no longer in the document are left out), or, when none of
// them is, the page in view (none when pageInView is outside the document).
std::vector<int> PrintCurrentPages(const IPagesSelectionList* list, const Vectorloom::CRenderPagesArray& pages,
                                   int pageInView);

class CBackstagePagePrint : public CQORPRibbonBackstagePage {
 public:
  enum { IDD = 372 };
  CBackstagePagePrint();
  ~CBackstagePagePrint() override;

  // The title's colour (a grey that reads on the page).
  static constexpr COLORREF kTitleColor = RGB(0x5E, 0x5E, 0x5E);

  // Where the page finds the document and the selected pages (default: the main window's
  // active document and the page its view shows).
  std::function<Quirebook::CPublicationDoc*()> m_getDocument;
  std::function<std::vector<int>()> m_getSelectedPages;

  // Shown: copies, all pages, sheet 0, the preview and its worker. Left: the worker stops.
  BOOL OnSetActive() override;
  BOOL OnKillActive() override;

  CPrintPreviewWnd& GetPreview() { return m_preview; }
  CQORPRibbonBackstageButton& GetPrintButton() { return m_wndPrint; }
  // Prints the pages, copies and pages per sheet chosen on the page with the program's printer
  // settings, into the file lpszOutput (PDF, or PostScript for ".ps") or, when null, to the
  // printer. The preview worker is stopped meanwhile and started again. The sheets printed, or
  // -1 when printing failed.
  int PrintTo(const wchar_t* lpszOutput);
  int GetCopies() const { return m_nCopies; }
  // The file a file printer proposes: the document's name with ".pdf" or ".ps", in its folder.
  CString ProposePrintFileName(bool postScript) const;

  BOOL OnInitDialog() override;
  // Enter in the page-range or the go-to edit commits its text (message 2057 with the edit's id).
  BOOL PreTranslateMessage(MSG* pMsg) override;

 protected:
  // To a printer, or, for a file printer, into the file the user names.
  afx_msg void OnPrint();
  afx_msg void OnPagesPerSheetChanged();
  afx_msg void OnPageChoiceChanged();
  afx_msg void OnPrinterChanged();
  // The program's own printer properties (paper, orientation, resolution); the preview follows.
  afx_msg void OnPrinterProperties();
  afx_msg void OnFirstSheet();
  afx_msg void OnPreviousSheet();
  afx_msg void OnNextSheet();
  afx_msg void OnLastSheet();
  afx_msg LRESULT OnPageNumberEntered(WPARAM wParam, LPARAM);
  afx_msg void OnSize(UINT nType, int cx, int cy);
  DECLARE_MESSAGE_MAP()

 private:
  Quirebook::CPublicationDoc* Document() const;
  int PageCount() const;
  void UpdateNavigation();
  void UpdatePrinterState();
  void Layout();

  int m_nCopies = 1;
  bool m_bActive = false;
  CQORPRibbonBackstageButton m_wndPrint;
  CQORPRibbonBackstageLabel m_titles[3];
  CQORPRibbonBackstageSeparator m_rules[3];
  CPrintPreviewWnd m_preview;
};
