// Docking panes over wxAuiManager.
#include <algorithm>

#include <wx/aui/aui.h>
#include <wx/window.h>

#include "GalleryView.h"
#include "QorpDrawHelpers.h"
#include "QorpDockingPane.h"
#include "QorpPaintManager.h"

namespace {

wxString PaneName(UINT nID) { return wxString::Format("pane%u", nID); }

bool IsHorizontal(QORPDockingDirection n) { return n == QORP_PANE_DOCK_TOP || n == QORP_PANE_DOCK_BOTTOM; }

// wxAuiManager sizes a new dock from its panes' best size, capped at a share of the site's size at
// that moment, and forgets a dock's size once its last pane closes. A pane here keeps its own
// extent across the dock instead: the dock is given it whenever the pane is laid out anew.
class CDockSizes : public wxAuiManager {
 public:
  // The dock holding w, or null while w is not docked and shown.
  wxAuiDockInfo* DockOf(const wxWindow* w) {
    for (size_t i = 0; i < m_docks.GetCount(); ++i)
      for (size_t j = 0; j < m_docks[i].panes.GetCount(); ++j)
        if (m_docks[i].panes[j]->window == w) return &m_docks[i];
    return nullptr;
  }
  // What the dock adds to its pane window across the dock: borders, and the caption of a top or
  // bottom dock.
  int DockExtra(const wxAuiPaneInfo& info, bool bHorizontal) {
    int n = info.HasBorder() ? 2 * GetArtProvider()->GetMetric(wxAUI_DOCKART_PANE_BORDER_SIZE) : 0;
    if (bHorizontal && info.HasCaption()) n += GetArtProvider()->GetMetric(wxAUI_DOCKART_CAPTION_SIZE);
    return n;
  }
};

}  // namespace

struct CQORPDockingPaneManager::Impl {
  CDockSizes aui;
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
    case QORP_PANE_DOCK_RIGHT: info.Right(); break;
    case QORP_PANE_DOCK_TOP: info.Top(); break;
    case QORP_PANE_DOCK_BOTTOM: info.Bottom(); break;
    default: info.Left(); break;
  }
  if (!aui.AddPane(w, info)) return FALSE;
  m_pChild = pWnd;
  m_pManager->Update();
  m_pManager->RestoreExtent(this);
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
  // The caption's close button: the pane's extent is kept before its dock goes.
  m_pImpl->aui.Bind(wxEVT_AUI_PANE_CLOSE, [this](wxAuiManagerEvent& e) {
    e.Skip();
    for (const auto& p : m_panes)
      if (e.GetPane() && p->m_pChild && e.GetPane()->window == p->m_pChild->GetWxWindow()) KeepExtent(p.get());
  });
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
  if (CQORPDockingPane* p = FindPane(nID)) RestoreExtent(p);
}

void CQORPDockingPaneManager::ClosePane(UINT nID) {
  if (!m_pImpl->bInstalled) return;
  wxAuiPaneInfo& info = m_pImpl->aui.GetPane(PaneName(nID));
  if (!info.IsOk()) return;
  if (CQORPDockingPane* p = FindPane(nID)) KeepExtent(p);
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
  art->SetColour(wxAUI_DOCKART_BACKGROUND_COLOUR, QorpWx(clrBack));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_COLOUR, QorpWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_GRADIENT_COLOUR, QorpWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_COLOUR, QorpWx(clrCaption));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_GRADIENT_COLOUR, QorpWx(clrCaption));
  const COLORREF clrText = CQORPDrawHelpers::ReadableText(clrCaptionText, clrCaption, 7.0);
  art->SetColour(wxAUI_DOCKART_ACTIVE_CAPTION_TEXT_COLOUR, QorpWx(clrText));
  art->SetColour(wxAUI_DOCKART_INACTIVE_CAPTION_TEXT_COLOUR, QorpWx(clrText));
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

void CQORPDockingPaneManager::KeepExtent(CQORPDockingPane* pPane) {
  if (!pPane->m_pChild) return;
  wxWindow* w = pPane->m_pChild->GetWxWindow();
  const wxAuiDockInfo* pDock = m_pImpl->aui.DockOf(w);
  const wxAuiPaneInfo& info = m_pImpl->aui.GetPane(w);
  if (!pDock || !info.IsOk() || !info.IsShown()) return;
  const bool bHorizontal = IsHorizontal(pPane->m_nDirection);
  const int n = pDock->size - m_pImpl->aui.DockExtra(info, bHorizontal);
  if (n <= 0) return;
  (bHorizontal ? pPane->m_size.cy : pPane->m_size.cx) = n;
}

void CQORPDockingPaneManager::RestoreExtent(CQORPDockingPane* pPane) {
  if (!pPane->m_pChild) return;
  wxWindow* w = pPane->m_pChild->GetWxWindow();
  wxAuiDockInfo* pDock = m_pImpl->aui.DockOf(w);
  const wxAuiPaneInfo& info = m_pImpl->aui.GetPane(w);
  if (!pDock || !info.IsOk()) return;
  const bool bHorizontal = IsHorizontal(pPane->m_nDirection);
  const int n = bHorizontal ? pPane->m_size.cy : pPane->m_size.cx;
  if (n <= 0) return;
  const int size = std::max(n + m_pImpl->aui.DockExtra(info, bHorizontal), pDock->min_size);
  if (pDock->size == size) return;
  pDock->size = size;
  Update();
}

void CQORPDockingPaneManager::Update() {
  if (m_pImpl->bInstalled) m_pImpl->aui.Update();
}
