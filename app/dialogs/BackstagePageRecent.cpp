#include "BackstagePageRecent.h"

#include <algorithm>

#include "resource.h"

IMPLEMENT_DYNAMIC(CBackstagePageRecent, CQORPRibbonBackstagePage)

BEGIN_MESSAGE_MAP(CBackstagePageRecent, CQORPRibbonBackstagePage)
  ON_LBN_SELCHANGE(IDC_RECENT_FILE_LIST, &CBackstagePageRecent::OnRecentFileClicked)
  ON_WM_SIZE()
END_MESSAGE_MAP()

CBackstagePageRecent::CBackstagePageRecent() : CQORPRibbonBackstagePage(IDD_BACKSTAGE_RECENT) {}

void CBackstagePageRecent::DoDataExchange(CDataExchange* pDX) {
  CQORPRibbonBackstagePage::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_RECENT_SEPARATOR, m_wndSeparator);
  DDX_Control(pDX, IDC_RECENT_TITLE, m_wndTitle);
  DDX_Control(pDX, IDC_RECENT_FILE_LIST, m_wndRecentFiles);
}

BOOL CBackstagePageRecent::OnInitDialog() {
  CQORPRibbonBackstagePage::OnInitDialog();
  m_wndTitle.SetTextColor(kTitleColor);
  m_wndRecentFiles.SetMaxDisplayLength(0);  // the page is wide: whole paths
  CRect rc;
  GetClientRect(&rc);
  m_szTemplate = CSize(rc.Width(), rc.Height());
  auto placeOf = [this](CWnd& w) {
    CRect r;
    w.GetWindowRect(&r);
    ScreenToClient(&r);
    return r;
  };
  m_rcSeparator = placeOf(m_wndSeparator);
  m_rcList = placeOf(m_wndRecentFiles);
  return TRUE;
}

BOOL CBackstagePageRecent::OnSetActive() {
  m_wndRecentFiles.BuildItems();
  return CQORPRibbonBackstagePage::OnSetActive();
}

void CBackstagePageRecent::OnRecentFileClicked() {
  if (CQORPBackstageView* pView = GetBackstageView()) pView->ShowBackstage(FALSE);
  const UINT nCommand = m_wndRecentFiles.GetSelectedCommand();
  if (nCommand == 0) return;
  if (CWnd* pMain = AfxGetMainWnd()) pMain->SendMessage(WM_COMMAND, nCommand, 0);
}

void CBackstagePageRecent::OnSize(UINT nType, int cx, int cy) {
  CQORPRibbonBackstagePage::OnSize(nType, cx, cy);
  if (!m_wndRecentFiles.GetSafeHwnd() || m_szTemplate.cx <= 0) return;
  const int dx = cx - m_szTemplate.cx, dy = cy - m_szTemplate.cy;
  m_wndSeparator.MoveWindow(m_rcSeparator.left, m_rcSeparator.top, std::max(m_rcSeparator.Width() + dx, 1),
                            m_rcSeparator.Height());
  m_wndRecentFiles.MoveWindow(m_rcList.left, m_rcList.top, std::max(m_rcList.Width() + dx, 20),
                              std::max(m_rcList.Height() + dy, 20));
}
