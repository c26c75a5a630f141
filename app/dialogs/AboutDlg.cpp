// The About dialog.
#include "AboutDlg.h"

IMPLEMENT_DYNAMIC(CAboutDlg, CDialog)

CAboutDlg::CAboutDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAboutDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LINK_SALES, m_linkSales);
  DDX_Control(pDX, IDC_LINK_SUPPORT, m_linkSupport);
  DDX_Control(pDX, IDC_LINK_AUTHOR, m_linkAuthor);
  DDX_Control(pDX, IDC_LINK_HOMEPAGE, m_linkHomePage);
}

BOOL CAboutDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  // Each link opens what it shows: the page, or a new mail to the address; a link without an
  // address is not shown.
  for (CQORPHyperLink* link : {&m_linkHomePage, &m_linkSales, &m_linkSupport, &m_linkAuthor}) {
    CString text;
    link->GetWindowText(text);
    if (text.Trim().IsEmpty()) {
      link->SetURL(L"");
      link->ShowWindow(SW_HIDE);
      continue;
    }
    link->SetURL(text.Find(L'@') >= 0 ? L"mailto:" + text : text);
    link->SetTipText(text);
  }
  return TRUE;
}
