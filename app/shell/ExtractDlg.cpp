#include "ExtractDlg.h"

#include <algorithm>
#include <set>

#include "LeafwrightDoc.h"
#include "PrintLayout.h"

int ExtractPagesForChoice(int choice, long from, long to, const CString& rangeText, int pageCount,
                          const std::vector<int>& selected, int current, std::vector<int>& pages) {
  pages.clear();
  switch (choice) {
    case kExtractFromTo: {
      if (from <= 0 || from > pageCount) return IDC_EDIT_FROM_PAGE;
      if (to <= 0 || to > pageCount) return IDC_EDIT_TO_PAGE;
      for (long n = std::min(from, to); n <= std::max(from, to); ++n) pages.push_back(static_cast<int>(n - 1));
      return 0;
    }
    case kExtractRange: {
      std::set<int> numbers;
      ParsePageRangeText(numbers, std::wstring(rangeText.GetString()) + L" ");
      if (PageNumbersToIndices(pages, numbers, pageCount)) {
        pages.clear();
        return IDC_EDIT_PAGE_RANGE;
      }
      return 0;
    }
    default: {
      std::set<int> indices;
      for (int i : selected)
        if (i >= 0 && i < pageCount) indices.insert(i);
      if (current >= 0 && current < pageCount) indices.insert(current);
      pages.assign(indices.begin(), indices.end());
      return 0;
    }
  }
}

IMPLEMENT_DYNAMIC(CExtractDlg, CDialog)

BEGIN_MESSAGE_MAP(CExtractDlg, CDialog)
  ON_BN_CLICKED(IDC_RADIO_CURRENT_PAGES, &CExtractDlg::OnCurrentPages)
  ON_BN_CLICKED(IDC_RADIO_FROM_TO, &CExtractDlg::OnFromTo)
  ON_BN_CLICKED(IDC_RADIO_PAGE_RANGE, &CExtractDlg::OnPageRange)
  ON_MESSAGE(WM_PAGE_NUMBER_ENTER, &CExtractDlg::OnPageNumberEnter)
END_MESSAGE_MAP()

CExtractDlg::CExtractDlg(CLeafwrightDoc* doc, CWnd* pParent) : CDialog(IDD, pParent), m_pDoc(doc) {}

BOOL CExtractDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  m_editRange.SubclassDlgItem(IDC_EDIT_PAGE_RANGE, this);
  m_editFrom.SubclassDlgItem(IDC_EDIT_FROM_PAGE, this);
  m_editTo.SubclassDlgItem(IDC_EDIT_TO_PAGE, this);
  for (CQORPEdit* e : {static_cast<CQORPEdit*>(&m_editRange), static_cast<CQORPEdit*>(&m_editFrom),
                       static_cast<CQORPEdit*>(&m_editTo)}) {
    e->SetFlatStyle(TRUE);
    e->SetTheme(7);
  }
  const int current = m_pDoc ? m_pDoc->GetCurrentPageIndex() + 1 : 1;
  CString number;
  number.Format(L"%d", std::max(current, 1));
  SetDlgItemText(IDC_EDIT_FROM_PAGE, number);
  SetDlgItemText(IDC_EDIT_TO_PAGE, number);
  SetDlgItemText(IDC_EDIT_PAGE_RANGE, number);
  CString count;
  count.Format(L"of       %d", m_pDoc ? m_pDoc->GetPagesCount() : 0);
  SetDlgItemText(IDC_STATIC_PAGE_COUNT, count);
  CheckRadioButton(IDC_RADIO_CURRENT_PAGES, IDC_RADIO_PAGE_RANGE, IDC_RADIO_CURRENT_PAGES);
  EnableEdits(kExtractCurrent);
  return TRUE;
}

void CExtractDlg::EnableEdits(int choice) {
  m_editFrom.EnableWindow(choice == kExtractFromTo);
  m_editTo.EnableWindow(choice == kExtractFromTo);
  m_editRange.EnableWindow(choice == kExtractRange);
}

void CExtractDlg::OnCurrentPages() { EnableEdits(kExtractCurrent); }
void CExtractDlg::OnFromTo() { EnableEdits(kExtractFromTo); }
void CExtractDlg::OnPageRange() { EnableEdits(kExtractRange); }

// Enter in a page edit only commits the text; the dialog stays open.
LRESULT CExtractDlg::OnPageNumberEnter(WPARAM, LPARAM) { return 0; }

void CExtractDlg::OnOK() {
  const int choice = IsDlgButtonChecked(IDC_RADIO_FROM_TO)     ? kExtractFromTo
                     : IsDlgButtonChecked(IDC_RADIO_PAGE_RANGE) ? kExtractRange
                                                                : kExtractCurrent;
  CString from, to, range;
  GetDlgItemText(IDC_EDIT_FROM_PAGE, from);
  GetDlgItemText(IDC_EDIT_TO_PAGE, to);
  GetDlgItemText(IDC_EDIT_PAGE_RANGE, range);
  std::vector<int> selected;
  if (IPagesSelectionList* list = m_pDoc ? m_pDoc->FindPagesList() : nullptr)
    for (int i = 0; i < list->GetSelectedCount(); ++i)
      selected.push_back(m_pDoc->GetRenderPagesArray().IndexOf(list->GetSelectedPage(i)));
  const int bad = ExtractPagesForChoice(choice, ParsePageNumber(from), ParsePageNumber(to), range,
                                        m_pDoc ? m_pDoc->GetPagesCount() : 0, selected,
                                        m_pDoc ? m_pDoc->GetCurrentPageIndex() : -1, m_pages);
  if (bad) {
    AfxMessageBox(kInvalidRange, MB_OK | MB_ICONEXCLAMATION);
    if (CWnd* edit = GetDlgItem(bad)) GotoDlgCtrl(edit);
    return;
  }
  CDialog::OnOK();
}
