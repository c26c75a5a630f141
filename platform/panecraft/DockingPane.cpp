// Docking panes over wxAuiManager.
#include <wx/aui/aui.h>
#include <wx/window.h>

#include "QorpDrawHelpers.h"
#include "QorpDockingPane.h"
#include "QorpPaintManager.h"

namespace {

wxString PaneName(UINT nID) { return wxString::Format("pane%u", nID); }

wxColour ToWx(COLORREF c) { return wxColour(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

struct CQORPDockingPaneManager::Impl {
  wxAuiManager aui;
  bool bInstalled = false;
};

void CQORPDockingPane::SetTitle(const wchar_t* lpsz) {
  m_strTitle = lpsz;
  if (!m_pManager->m_pImpl->bInstalled) return;
  wxAuiPaneInfo& info = m_pManager->m_pImpl->aui.GetPane(PaneName(m_nID));
  if (info.IsOk()) {
    info.Caption(wxString(m_strTitle.GetString()));
    m_pManager->Update();
  }
}

BOOL CQORPDockingPane::Attach(CWnd* pWnd) {
  auto& aui = m_pManager->m_pImpl->aui;
  if (!pWnd || !pWnd->GetSafeHwnd() || m_pChild || !m_pManager->m_pImpl->bInstalled) return FALSE;
  wxWindow* w = pWnd->GetWxWindow();
  if (w->GetParent() != aui.GetManagedWindow()) w->Reparent(aui.GetManagedWindow());
  wxAuiPaneInfo info;
  info.Name(PaneName(m_nID)).Caption(wxString(m_strTitle.GetString())).CloseButton(true).PinButton(false)
      .MaximizeButton(false).BestSize(m_size.cx, m_size.cy).MinSize(40, 40).DestroyOnClose(false);
  switch (m_nDirection) {
    case xtpPaneDockRight: info.Right(); break;
    case xtpPaneDockTop: info.Top(); break;
    case xtpPaneDockBottom: info.Bottom(); break;
    default: info.Left(); break;
  }
  if (!aui.AddPane(w, info)) return FALSE;
  m_pChild = pWnd;
  m_pManager->Update();
  return TRUE;
}

CQORPDockingPaneManager::CQORPDockingPaneManager() : m_pImpl(std::make_unique<Impl>()) {
  m_nThemeCookie = CQORPPaintManager::Get()->AddListener([this] { ApplyTheme(); });
}

CQORPDockingPaneManager::~CQORPDockingPaneManager() {
  CQORPPaintManager::Get()->RemoveListener(m_nThemeCookie);
  if (m_pImpl->bInstalled) m_pImpl->aui.UnInit();
}

BOOL CQORPDockingPaneManager::InstallDockingPanes(CWnd* pSite) {
  if (!pSite || !pSite->GetSafeHwnd() || m_pImpl->bInstalled) return FALSE;
  m_pImpl->aui.SetManagedWindow(pSite->GetWxWindow());
  m_pImpl->aui.SetFlags(wxAUI_MGR_DEFAULT & ~wxAUI_MGR_TRANSPARENT_HINT);
  m_pImpl->bInstalled = true;
  ApplyTheme();
  return TRUE;
}

void CQORPDockingPaneManager::SetClientWindow(CWnd* pClient) {
  if (!m_pImpl->bInstalled || !pClient || !pClient->GetSafeHwnd()) return;
  m_pImpl->aui.AddPane(pClient->GetWxWindow(), wxAuiPaneInfo().Name("client").CenterPane());
  Update();
}

CQORPDockingPane* CQORPDockingPaneManager::CreatePane(UINT nID, const CRect& rc, QORPDockingDirection nDirection) {
  if (!m_pImpl->bInstalled || FindPane(nID)) return nullptr;
  m_panes.push_back(std::unique_ptr<CQORPDockingPane>(new CQORPDockingPane(this, nID)));
  CQORPDockingPane* p = m_panes.back().get();
  p->m_size = CSize(rc.Width(), rc.Height());
  p->m_nDirection = nDirection;
  return p;
}

CQORPDockingPane* CQORPDockingPaneManager::FindPane(UINT nID) const {
  for (const auto& p : m_panes)
    if (p->GetID() == nID) return p.get();
  return nullptr;
}

void CQORPDockingPaneManager::ShowPane(UINT nID) {
  if (!m_pImpl->bInstalled) return;
  wxAuiPaneInfo& info = m_pImpl->aui.GetPane(PaneName(nID));
  if (!info.IsOk()) return;
  info.Show(true);
  Update();
}

void CQORPDockingPaneManager::ClosePane(UINT nID) {
  if (!m_pImpl->bInstalled) return;
  wxAuiPaneInfo& info = m_pImpl->aui.GetPane(PaneName(nID));
  if (!info.IsOk()) return;
  m_pImpl->aui.ClosePane(info);
  Update();
}

BOOL CQORPDockingPaneManager::IsPaneClosed(UINT nID) const {
  if (!m_pImpl->bInstalled) return TRUE;
  const wxAuiPaneInfo& info = m_pImpl->aui.GetPane(PaneName(nID));
  return !info.IsOk() || !info.IsShown();
}

void CQORPDockingPaneManager::SetColors(COLORREF clrBack, COLORREF clrCaption, COLORREF clrCaptionText) {
  if (!m_pImpl->bInstalled) return;
  wxAuiDockArt* art = m_pImpl->aui.GetArtProvider();
  art->SetColour(wxAUI_DOCKART_BACKGROUND_COLOUR, ToWx(clrBack));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR, ToWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_GRADIENT_COLOUR, ToWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR, ToWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR, ToWx(clrCaption));
  const COLORREF clrText = CQORPDrawHelpers::ReadableText(clrCaptionText, clrCaption, 7.0);
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR, ToWx(clrText));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR, ToWx(clrText));
  Update();
}

COLORREF CQORPDockingPaneManager::GetBackColor() const {
  if (!m_pImpl->bInstalled) return 0;
  const wxColour c = m_pImpl->aui.GetArtProvider()->GetColour(wxAUI_DOCKART_BACKGROUND_COLOUR);
  return RGB(c.Red(), c.Green(), c.Blue());
}

void CQORPDockingPaneManager::ApplyTheme() {
  const CQORPPaintManager* pm = CQORPPaintManager::Get();
  SetColors(pm->GetColor(QORP_CLR_DOCKING_PANE), pm->GetColor(QORP_CLR_DOCK_CAPTION_ACTIVE),
            pm->GetColor(QORP_CLR_DOCK_CAPTION_TEXT));
}

void CQORPDockingPaneManager::RecalcLayout() { Update(); }

void CQORPDockingPaneManager::Update() {
  if (m_pImpl->bInstalled) m_pImpl->aui.Update();
}
