// The backstage view: a drawn column of commands and tabs, and the selected tab's page.
#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/window.h>

#include "QorpDrawHelpers.h"
#include "QorpPaintManager.h"
#include "QorpRibbonBackstage.h"
#include "ribbon_internal.h"

namespace {
constexpr int kColumnWidth = 180;
constexpr int kItemHeight = 34;
constexpr int kBackSize = 32;  // the back control's circle
constexpr int kTop = 12 + kBackSize + 12;
}  // namespace

// The left column; it also follows the frame's size while the view is shown.
class QorpBackstageWindow : public wxWindow {
 public:
  QorpBackstageWindow(wxWindow* pParent, CQORPBackstageView* pView)
      : wxWindow(pParent, wxID_ANY, wxDefaultPosition, wxSize(kColumnWidth, 100)), m_pView(pView) {
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &QorpBackstageWindow::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &QorpBackstageWindow::OnLeftDown, this);
    Bind(wxEVT_MOTION, &QorpBackstageWindow::OnMotion, this);
    Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) { SetBackHot(false); });
  }
  void OnFrameSize(wxSizeEvent& e) {
    e.Skip();
    m_pView->Layout();
  }

 private:
  void OnPaint(wxPaintEvent&) {
    wxAutoBufferedPaintDC dc(this);
    const CQORPThemeColors& c = CQORPPaintManager::Get()->GetColors();
    const wxColour accent = QorpWx(c.GetColor(QORP_CLR_BACKSTAGE_ACCENT));
    dc.SetBackground(wxBrush(accent));
    dc.Clear();
    {  // The back control: a white ring with a left arrow.
      const CRect rb = m_pView->GetBackRect();
      const wxColour ink = m_bBackHot ? accent : *wxWHITE;
      dc.SetPen(wxPen(*wxWHITE, 2));
      dc.SetBrush(m_bBackHot ? wxBrush(*wxWHITE) : *wxTRANSPARENT_BRUSH);
      const wxPoint c(rb.left + rb.Width() / 2, rb.top + rb.Height() / 2);
      dc.DrawCircle(c, rb.Width() / 2 - 1);
      dc.SetPen(wxPen(ink, 3, wxPENSTYLE_SOLID));
      dc.DrawLine(c.x - 8, c.y, c.x + 8, c.y);
      dc.DrawLine(c.x - 8, c.y, c.x - 2, c.y - 6);
      dc.DrawLine(c.x - 8, c.y, c.x - 2, c.y + 6);
    }
    for (int i = 0; i < m_pView->GetItemCount(); ++i) {
      const CQORPControl* p = m_pView->GetItem(i);
      const CRect r = m_pView->GetItemRect(i);
      const bool bActive = m_pView->IsTab(i) && i == m_pView->GetActiveTab();
      if (bActive) {
        dc.SetBrush(wxBrush(QorpWx(c.GetColor(QORP_CLR_BACKSTAGE_BACK))));
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.DrawRectangle(r.left, r.top, r.Width(), r.Height());
      }
      wxColour text = bActive ? accent : *wxWHITE;
      if (!p->GetEnabled())
        text = QorpWx(CQORPDrawHelpers::ReadableText(c.GetColor(QORP_CLR_DISABLED_LABEL),
                                                     c.GetColor(bActive ? QORP_CLR_BACKSTAGE_BACK : QORP_CLR_BACKSTAGE_ACCENT)));
      dc.SetTextForeground(text);
      wxFont f = GetFont();
      if (m_pView->IsTab(i)) f.SetWeight(wxFONTWEIGHT_BOLD);
      dc.SetFont(f);
      const wxString s(static_cast<const wchar_t*>(QORPStripMnemonic(p->GetCaption())));
      const wxSize ext = dc.GetTextExtent(s);
      dc.DrawText(s, r.left + 16, r.top + (r.Height() - ext.y) / 2);
    }
  }
  void SetBackHot(bool bHot) {
    if (bHot == m_bBackHot) return;
    m_bBackHot = bHot;
    SetToolTip(bHot ? wxString("Back") : wxString());
    Refresh(false);
  }
  void OnMotion(wxMouseEvent& e) {
    e.Skip();
    SetBackHot(m_pView->GetBackRect().PtInRect(CPoint(e.GetX(), e.GetY())) != FALSE);
  }
  void OnLeftDown(wxMouseEvent& e) {
    if (m_pView->GetBackRect().PtInRect(CPoint(e.GetX(), e.GetY()))) {
      m_bBackHot = false;
      m_pView->ShowBackstage(FALSE);
      return;
    }
    for (int i = 0; i < m_pView->GetItemCount(); ++i)
      if (m_pView->GetItemRect(i).PtInRect(CPoint(e.GetX(), e.GetY()))) {
        m_pView->ClickItem(i);
        return;
      }
  }
  CQORPBackstageView* m_pView;
  bool m_bBackHot = false;
};

CQORPBackstageView::CQORPBackstageView() = default;

CQORPBackstageView::~CQORPBackstageView() {
  if (m_nThemeCookie) CQORPPaintManager::Get()->RemoveListener(m_nThemeCookie);
  ReleasePages();
}

BOOL CQORPBackstageView::Create(CFrameWnd* pFrame, CQORPCommandBars* pCommandBars) {
  if (!pFrame || !pFrame->GetSafeHwnd() || !pCommandBars || GetSafeHwnd()) return FALSE;
  CRect rc;
  pFrame->GetClientRect(&rc);
  if (!CWnd::Create(nullptr, L"Backstage", WS_CHILD, CRect(0, 0, std::max(rc.Width(), 1), std::max(rc.Height(), 1)),
                    pFrame, kViewId))
    return FALSE;
  m_pFrame = pFrame;
  m_pCommandBars = pCommandBars;
  m_pBar = pCommandBars->AddBar();
  m_pBar->SetVisible(FALSE);
  wxWindow* w = GetWxWindow();
  auto* pColumn = new QorpBackstageWindow(w, this);
  m_pFrameSizeBinding = pColumn;
  pFrame->GetWxWindow()->Bind(wxEVT_SIZE, &QorpBackstageWindow::OnFrameSize, pColumn);
  w->Bind(wxEVT_CHAR_HOOK, [this](wxKeyEvent& e) {
    if (e.GetKeyCode() == WXK_ESCAPE && IsBackstageVisible()) {
      ShowBackstage(FALSE);
      return;
    }
    e.Skip();
  });
  m_nThemeCookie = CQORPPaintManager::Get()->AddListener([this] {
    if (wxWindow* pw = GetWxWindow()) {
      pw->SetBackgroundColour(QorpWx(CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK)));
      pw->Refresh();
    }
  });
  w->SetBackgroundColour(QorpWx(CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK)));
  Layout();
  return TRUE;
}

CString CQORPBackstageView::CaptionOf(int nId) const {
  if (m_pCommandBars) return m_pCommandBars->LoadCaption(nId);
  CString s;
  s.Format(L"#%d", nId);
  return s;
}

CQORPControl* CQORPBackstageView::AddCommand(int nId) {
  if (!m_pBar) return nullptr;
  Item item;
  item.pControl = m_pBar->Add(std::make_unique<CQORPControlButton>(nId));
  if (item.pControl->GetCaption().IsEmpty()) item.pControl->SetCaption(CaptionOf(nId));
  m_items.push_back(std::move(item));
  Layout();
  return m_items.back().pControl;
}

CQORPControl* CQORPBackstageView::AddTab(CWnd* pPage, int nId, int cxPage, int cyPage) {
  if (!m_pBar) return nullptr;
  Item item;
  item.pOwnTab = std::make_unique<CQORPControlButton>(nId);
  item.pControl = item.pOwnTab.get();
  item.pControl->SetCaption(CaptionOf(nId));
  item.pPage = pPage;
  item.cx = cxPage;
  item.cy = cyPage;
  if (pPage && pPage->GetWxWindow() && GetWxWindow()) {
    pPage->GetWxWindow()->Reparent(GetWxWindow());
    pPage->GetWxWindow()->Hide();
  }
  m_items.push_back(std::move(item));
  if (m_nActive < 0) m_nActive = static_cast<int>(m_items.size()) - 1;
  Layout();
  return m_items.back().pControl;
}

void CQORPBackstageView::ReleasePages() {
  wxWindow* pFrameWx = m_pFrame && m_pFrame->GetSafeHwnd() ? m_pFrame->GetWxWindow() : nullptr;
  for (Item& item : m_items)
    if (item.pPage && item.pPage->GetSafeHwnd() && item.pPage->GetWxWindow() && pFrameWx) {
      item.pPage->GetWxWindow()->Hide();
      item.pPage->GetWxWindow()->Reparent(pFrameWx);
    }
}

void CQORPBackstageView::RemoveAll() {
  ReleasePages();
  m_items.clear();
  m_nActive = -1;
  if (m_pBar) {
    // The command bar keeps its controls; hide them so that FindControl and the menus skip them.
    for (int i = 0; i < m_pBar->GetCount(); ++i) m_pBar->GetAt(i)->SetVisible(FALSE);
  }
  Layout();
}

CQORPControl* CQORPBackstageView::GetItem(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetItemCount()) return nullptr;
  return m_items[static_cast<size_t>(nIndex)].pControl;
}

BOOL CQORPBackstageView::IsTab(int nIndex) const {
  return nIndex >= 0 && nIndex < GetItemCount() && m_items[static_cast<size_t>(nIndex)].pOwnTab != nullptr;
}

CWnd* CQORPBackstageView::GetTabPage(int nIndex) const {
  return IsTab(nIndex) ? m_items[static_cast<size_t>(nIndex)].pPage : nullptr;
}

void CQORPBackstageView::SetActiveTab(int nIndex) {
  if (!IsTab(nIndex)) return;
  m_nActive = nIndex;
  Layout();
}

void CQORPBackstageView::ShowBackstage(BOOL bShow) {
  if (!GetSafeHwnd()) return;
  if (m_pBar) m_pBar->SetVisible(bShow ? TRUE : FALSE);
  if (bShow) {
    Layout();
    GetWxWindow()->Show();
    GetWxWindow()->Raise();
    GetWxWindow()->SetFocus();
  } else {
    GetWxWindow()->Hide();
  }
}

BOOL CQORPBackstageView::IsBackstageVisible() const { return GetSafeHwnd() && GetWxWindow()->IsShown(); }

BOOL CQORPBackstageView::ClickItem(int nIndex) {
  CQORPControl* p = GetItem(nIndex);
  if (!p || !p->GetEnabled()) return FALSE;
  if (IsTab(nIndex)) {
    SetActiveTab(nIndex);
    return TRUE;
  }
  ShowBackstage(FALSE);
  QorpPostCommand(m_pFrame, p->GetID());
  return TRUE;
}

CRect CQORPBackstageView::GetItemRect(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetItemCount()) return CRect(0, 0, 0, 0);
  int y = kTop;
  for (int i = 0; i < nIndex; ++i) y += kItemHeight + (IsTab(i) != IsTab(i + 1) ? 8 : 0);
  return CRect(0, y, kColumnWidth, y + kItemHeight);
}

CRect CQORPBackstageView::GetBackRect() const { return CRect(12, 12, 12 + kBackSize, 12 + kBackSize); }

void CQORPBackstageView::RefreshItems() {
  bool bChanged = false;
  for (Item& item : m_items) {
    const bool bEnabled = item.pControl->GetEnabled() != FALSE;
    if (bEnabled != item.bLastEnabled) bChanged = true;
    item.bLastEnabled = bEnabled;
  }
  if (bChanged && m_pFrameSizeBinding) static_cast<wxWindow*>(m_pFrameSizeBinding)->Refresh(false);
}

void CQORPBackstageView::Layout() {
  if (!GetSafeHwnd() || !m_pFrame || !m_pFrame->GetSafeHwnd()) return;
  wxWindow* w = GetWxWindow();
  const wxSize sz = m_pFrame->GetWxWindow()->GetClientSize();
  w->SetSize(0, 0, std::max(sz.x, 1), std::max(sz.y, 1));
  auto* pColumn = static_cast<wxWindow*>(m_pFrameSizeBinding);
  pColumn->SetSize(0, 0, kColumnWidth, std::max(sz.y, 1));
  for (int i = 0; i < GetItemCount(); ++i) {
    const Item& item = m_items[static_cast<size_t>(i)];
    if (!item.pPage || !item.pPage->GetSafeHwnd() || !item.pPage->GetWxWindow()) continue;
    wxWindow* pw = item.pPage->GetWxWindow();
    if (i != m_nActive) {
      pw->Hide();
      continue;
    }
    const int cx = item.cx > 0 ? item.cx : std::max(sz.x - kColumnWidth - 40, 1);
    const int cy = item.cy > 0 ? item.cy : std::max(sz.y - 40, 1);
    pw->SetSize(kColumnWidth + 20, 20, cx, cy);
    pw->Show();
  }
  pColumn->Refresh(false);
}
