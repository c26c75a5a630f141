// The backstage view: a drawn column of commands and tabs, and the selected tab's page.
#include <algorithm>

#include <wx/dcbuffer.h>
#include <wx/stattext.h>
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
// The column's colour: the theme's accent, darkened where white text on it (and the accent on
// the page's white) would read below 7:1, so that a dimmed disabled caption still reads at 4.5:1.
COLORREF ColumnColor(COLORREF accent) {
  for (int i = 0; i < 64 && CQORPDrawHelpers::ContrastRatio(RGB(0xFF, 0xFF, 0xFF), accent) < 7.0; ++i)
    accent = RGB(GetRValue(accent) * 15 / 16, GetGValue(accent) * 15 / 16, GetBValue(accent) * 15 / 16);
  return accent;
}

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
    const wxColour accent = QorpWx(ColumnColor(c.GetColor(QORP_CLR_BACKSTAGE_ACCENT)));
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
        text = QorpWx(CQORPDrawHelpers::ReadableText(
            c.GetColor(QORP_CLR_DISABLED_LABEL),
            bActive ? c.GetColor(QORP_CLR_BACKSTAGE_BACK) : ColumnColor(c.GetColor(QORP_CLR_BACKSTAGE_ACCENT))));
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
  for (Item& item : m_items)
    if (auto* pOwn = dynamic_cast<CQORPRibbonBackstagePage*>(item.pPage)) pOwn->m_pBackstageView = nullptr;
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
  if (auto* pProp = dynamic_cast<CPropertyPage*>(pPage); pProp && !pProp->GetSafeHwnd()) {
    if (!pProp->Create(this)) return nullptr;
    pProp->ShowWindow(SW_HIDE);
  }
  if (auto* pOwn = dynamic_cast<CQORPRibbonBackstagePage*>(pPage)) pOwn->m_pBackstageView = this;
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
  if (m_pShownPage)
    if (auto* pProp = dynamic_cast<CPropertyPage*>(m_pShownPage)) pProp->OnKillActive();
  m_pShownPage = nullptr;
  for (Item& item : m_items)
    if (auto* pOwn = dynamic_cast<CQORPRibbonBackstagePage*>(item.pPage)) pOwn->m_pBackstageView = nullptr;
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
  SyncShownPage();
}

void CQORPBackstageView::SyncShownPage() {
  CWnd* pNow = IsBackstageVisible() ? GetTabPage(m_nActive) : nullptr;
  if (pNow == m_pShownPage) return;
  CWnd* pOld = m_pShownPage;
  m_pShownPage = pNow;
  if (pOld && pOld->GetSafeHwnd())
    if (auto* pProp = dynamic_cast<CPropertyPage*>(pOld)) pProp->OnKillActive();
  if (pNow && pNow->GetSafeHwnd())
    if (auto* pProp = dynamic_cast<CPropertyPage*>(pNow)) pProp->OnSetActive();
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
  SyncShownPage();
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
  return CRect(0, y, ColumnWidth(), y + kItemHeight);
}

int CQORPBackstageView::ColumnWidth() const {
  // Wide enough for the longest caption (in the tabs' bold), never narrower than the default.
  auto* pColumn = static_cast<wxWindow*>(m_pFrameSizeBinding);
  int cx = kColumnWidth;
  if (!pColumn) return cx;
  wxFont bold = pColumn->GetFont();
  bold.SetWeight(wxFONTWEIGHT_BOLD);
  for (const Item& item : m_items) {
    const wxString s(static_cast<const wchar_t*>(QORPStripMnemonic(item.pControl->GetCaption())));
    int w = 0, h = 0;
    pColumn->GetTextExtent(s, &w, &h, nullptr, nullptr, &bold);
    cx = std::max(cx, 16 + w + 16);
  }
  return cx;
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
  const int cxColumn = ColumnWidth();
  pColumn->SetSize(0, 0, cxColumn, std::max(sz.y, 1));
  for (int i = 0; i < GetItemCount(); ++i) {
    const Item& item = m_items[static_cast<size_t>(i)];
    if (!item.pPage || !item.pPage->GetSafeHwnd() || !item.pPage->GetWxWindow()) continue;
    wxWindow* pw = item.pPage->GetWxWindow();
    if (i != m_nActive) {
      pw->Hide();
      continue;
    }
    const int cx = item.cx > 0 ? item.cx : std::max(sz.x - cxColumn - 40, 1);
    const int cy = item.cy > 0 ? item.cy : std::max(sz.y - 40, 1);
    pw->SetSize(cxColumn + 20, 20, cx, cy);
    pw->Show();
  }
  pColumn->Refresh(false);
}

// ---------------------------------------------------------------------------------------------
// Pages, their titles and separators

IMPLEMENT_DYNAMIC(CQORPRibbonBackstagePage, CPropertyPage)
IMPLEMENT_DYNAMIC(CQORPRibbonBackstageLabel, CStatic)
IMPLEMENT_DYNAMIC(CQORPRibbonBackstageSeparator, CStatic)

CQORPRibbonBackstagePage::CQORPRibbonBackstagePage(UINT nIDTemplate, UINT nIDCaption)
    : CPropertyPage(nIDTemplate, nIDCaption) {}

BOOL CQORPRibbonBackstagePage::OnInitDialog() {
  CPropertyPage::OnInitDialog();
  ApplyTheme();
  return TRUE;
}

BOOL CQORPRibbonBackstagePage::OnSetActive() {
  ApplyTheme();
  return CPropertyPage::OnSetActive();
}

void CQORPRibbonBackstagePage::ApplyTheme() {
  wxWindow* w = GetWxWindow();
  if (!w) return;
  const wxColour back = QorpWx(CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK));
  w->SetBackgroundColour(back);
  for (wxWindow* pChild : w->GetChildren()) {
    CWnd* pWnd = CWnd::FromWxOrAncestor(pChild);
    if (auto* pLabel = dynamic_cast<CQORPRibbonBackstageLabel*>(pWnd)) pLabel->ApplyStyle();
    else if (!dynamic_cast<CQORPRibbonBackstageSeparator*>(pWnd) && dynamic_cast<wxStaticText*>(pChild))
      pChild->SetBackgroundColour(back);
  }
  w->Refresh();
}

void CQORPRibbonBackstageLabel::SetTextColor(COLORREF clrText) {
  m_clrText = clrText;
  ApplyStyle();
}

COLORREF CQORPRibbonBackstageLabel::GetShownTextColor() const {
  return CQORPDrawHelpers::ReadableText(m_clrText, CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK));
}

void CQORPRibbonBackstageLabel::PreSubclassWindow() { ApplyStyle(); }

void CQORPRibbonBackstageLabel::ApplyStyle() {
  wxWindow* w = GetWxWindow();
  if (!w) return;
  wxFont f = w->GetParent() ? w->GetParent()->GetFont() : w->GetFont();
  f.SetPointSize(std::max(f.GetPointSize(), 9) * 3 / 2);
  f.SetWeight(wxFONTWEIGHT_BOLD);
  w->SetFont(f);
  w->SetForegroundColour(QorpWx(GetShownTextColor()));
  w->SetBackgroundColour(QorpWx(CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK)));
  w->Refresh();
}

void CQORPRibbonBackstageSeparator::PreSubclassWindow() {
  wxWindow* w = GetWxWindow();
  if (!w) return;
  if (auto* t = dynamic_cast<wxStaticText*>(w)) t->SetLabel(wxString());
  // A one-pixel rule in the grey of the view's lines.
  w->SetBackgroundColour(wxColour(0xC6, 0xC6, 0xC6));
  const wxRect r = w->GetRect();
  w->SetSize(r.x, r.y + r.height / 2, r.width, 1);
}
