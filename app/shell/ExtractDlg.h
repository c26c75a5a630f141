// The extract dialog: which pages the Extract command copies into a page file - the current
// page(s) (the pages selected in the thumbnail pane and the page shown), a from-to span, or a
// page-range text ("1, 4,5, 7-12, 16,19"). After IDOK, m_pages holds 0-based page indices,
// ascending, without duplicates.
#pragma once

#include <afxwin.h>

#include <vector>

#include "PageNumberEdits.h"
#include "resource.h"

class CLeafwrightDoc;

enum eExtractChoice { kExtractCurrent = 0, kExtractFromTo = 1, kExtractRange = 2 };

// The pages for a choice in a document of pageCount pages. The current pages are the selected
// indices and the shown one (indices outside the document are skipped). Returns 0, or the id of
// the edit whose text is refused (from or to: 0 or above the page count; the range text: a
// number above the page count, however large).
int ExtractPagesForChoice(int choice, long from, long to, const CString& rangeText, int pageCount,
                          const std::vector<int>& selected, int current, std::vector<int>& pages);

class CExtractDlg : public CDialog {
  DECLARE_DYNAMIC(CExtractDlg)
 public:
  enum { IDD = IDD_EXTRACT_PAGES };
  static constexpr const wchar_t* kInvalidRange = L"Please enter a valid page range.";

  CExtractDlg(CLeafwrightDoc* doc, CWnd* pParent = nullptr);

  std::vector<int> m_pages;

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override;
  afx_msg void OnCurrentPages();
  afx_msg void OnFromTo();
  afx_msg void OnPageRange();
  afx_msg LRESULT OnPageNumberEnter(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  void EnableEdits(int choice);
  CLeafwrightDoc* m_pDoc;
  CCustomPageNumberEdit m_editRange;
  CGotoPageNumberEdit m_editFrom;
  CGotoPageNumberEdit m_editTo;
};
