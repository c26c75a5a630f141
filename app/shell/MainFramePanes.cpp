// The main frame's client panel: the page view fills what the docking pane of the thumbnails
// leaves on the left.
#include "MainFrame.h"
#include "PagesListView.h"

BOOL CMainFrame::OnCreateClient(LPCREATESTRUCT, CCreateContext* pContext) {
  CRect client;
  GetClientRect(&client);
  if (!m_wndPanel.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, this, AFX_IDW_PANE_FIRST)) return FALSE;
  if (!m_paneManager.InstallDockingPanes(&m_wndPanel)) return FALSE;
  if (!pContext || !pContext->m_pNewViewClass) return TRUE;
  CWnd* pView = CreateView(pContext, AFX_IDW_PANE_FIRST);
  if (!pView) return FALSE;
  m_paneManager.SetClientWindow(pView);

  CCreateContext thumbs = *pContext;
  thumbs.m_pNewViewClass = RUNTIME_CLASS(CPagesListView);
  m_pPagesList = dynamic_cast<CPagesListView*>(CreateView(&thumbs, ID_VIEW_THUMBNAILS));
  if (!m_pPagesList) return FALSE;
  CQORPDockingPane* pPane = m_paneManager.CreatePane(ID_PANE_THUMBNAILS, CRect(0, 0, 200, 120), QORP_PANE_DOCK_LEFT);
  if (!pPane) return FALSE;
  pPane->SetTitle(L"Pages");
  return pPane->Attach(m_pPagesList);
}

CWnd* CMainFrame::GetViewParent() { return m_wndPanel.GetSafeHwnd() ? &m_wndPanel : this; }

void CMainFrame::OnViewThumbnail() {
  if (!m_paneManager.FindPane(ID_PANE_THUMBNAILS)) return;
  if (m_paneManager.IsPaneClosed(ID_PANE_THUMBNAILS))
    m_paneManager.ShowPane(ID_PANE_THUMBNAILS);
  else
    m_paneManager.ClosePane(ID_PANE_THUMBNAILS);
}

void CMainFrame::OnUpdateViewThumbnail(CCmdUI* pCmdUI) {
  const bool pane = m_paneManager.FindPane(ID_PANE_THUMBNAILS) != nullptr;
  pCmdUI->Enable(pane);
  pCmdUI->SetCheck(pane && !m_paneManager.IsPaneClosed(ID_PANE_THUMBNAILS) ? 1 : 0);
}
