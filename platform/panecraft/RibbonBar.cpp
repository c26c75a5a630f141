// The ribbon over wxRibbonBar: tabs are pages, groups are panels (the option button is the
// panel's extension button), runs of buttons are button bars and runs of small controls are
// strips. The windows are built from the model when it changed, at the next update pass or on
// RecalcLayout; the update pass pushes what changed to them.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <set>
#include <vector>

#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/image.h>
#include <wx/modalhook.h>
#include <wx/ribbon/art.h>
#include <wx/sizer.h>
#include <wx/utils.h>

#include "QorpDrawHelpers.h"
#include "QorpGallery.h"
#include "QorpPaintManager.h"
#include "QorpRibbonBackstage.h"
#include "popup_seam.h"
#include "ribbon_internal.h"

namespace {

constexpr int kQuickRowHeight = 24;

bool IsButtonKind(const CQORPControl* p) {
  switch (p->GetType()) {
    case QORP_CONTROL_BUTTON:
    case QORP_CONTROL_POPUP:
    case QORP_CONTROL_BUTTON_POPUP:
    case QORP_CONTROL_SPLIT_BUTTON_POPUP:
    case QORP_CONTROL_RADIO_BUTTON:
    case QORP_CONTROL_GALLERY:
      return true;
    default:
      return false;
  }
}

bool IsDropDownKind(const CQORPControl* p) {
  return p->GetType() == QORP_CONTROL_POPUP || p->GetType() == QORP_CONTROL_BUTTON_POPUP || p->GetType() == QORP_CONTROL_GALLERY;
}

int CheckedOf(const CQORPControl* p) {
  int n = p->GetChecked();
  if (n == -1 && p->GetAction()) n = p->GetAction()->GetChecked();
  return n;
}

wxString ToWx(const CString& s) { return wxString(static_cast<const wchar_t*>(s)); }

// The caption a button shows: its own, else "#id".
CString ShownCaption(const CQORPControl* p) {
  CString s = QORPStripMnemonic(p->GetCaption());
  if (s.IsEmpty() && p->GetID() != 0) s.Format(L"#%d", p->GetID());
  return s;
}

wxString HelpString(const CQORPControl* p) {
  CString strTip = QORPStripMnemonic(p->GetTooltip().IsEmpty() ? p->GetCaption() : p->GetTooltip());
  if (!p->GetDescription().IsEmpty() && p->GetDescription() != p->GetCaption()) strTip += L"\n" + p->GetDescription();
  return ToWx(strTip);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Groups and tabs

CQORPRibbonGroup::CQORPRibbonGroup(CQORPRibbonTab* pTab, int nId, CQORPCommandBar* pBar)
    : m_pTab(pTab), m_nId(nId), m_pBar(pBar) {}

void CQORPRibbonGroup::SetCaption(const wchar_t* lpszCaption) {
  m_strCaption = lpszCaption ? lpszCaption : L"";
  m_pTab->m_pRibbon->StructureChanged();
}

CQORPControl* CQORPRibbonGroup::Add(QORPControlType nType, int nId) { return Add(QORPCreateControl(nType, nId)); }

CQORPControl* CQORPRibbonGroup::Add(std::unique_ptr<CQORPControl> pControl) {
  if (!pControl) return nullptr;
  CQORPControl* p = m_pBar->Add(std::move(pControl));
  m_pTab->m_pRibbon->StructureChanged();
  return p;
}

int CQORPRibbonGroup::GetCount() const { return m_pBar->GetCount(); }

CQORPControl* CQORPRibbonGroup::GetAt(int nIndex) const { return m_pBar->GetAt(nIndex); }

CQORPControl* CQORPRibbonGroup::SetOptionButton(int nId) {
  CQORPRibbonBar* pRibbon = m_pTab->m_pRibbon;
  if (m_pOption) {
    if (m_pOption->GetID() == nId) return m_pOption;
    m_pOption->SetVisible(FALSE);  // an earlier option button stays in the list, unused
  }
  m_pOption = pRibbon->m_pSystemBar->Add(std::make_unique<CQORPControlButton>(nId));
  pRibbon->StructureChanged();
  return m_pOption;
}

CQORPRibbonTab::CQORPRibbonTab(CQORPRibbonBar* pRibbon, int nId) : m_pRibbon(pRibbon), m_nId(nId) {}

CQORPRibbonTab::~CQORPRibbonTab() = default;

void CQORPRibbonTab::SetCaption(const wchar_t* lpszCaption) {
  m_strCaption = lpszCaption ? lpszCaption : L"";
  m_pRibbon->StructureChanged();
}

CQORPRibbonGroup* CQORPRibbonTab::AddGroup(int nId) { return AddGroup(m_pRibbon->LoadCaption(nId), nId); }

CQORPRibbonGroup* CQORPRibbonTab::AddGroup(const wchar_t* lpszCaption, int nId) {
  CQORPCommandBars* pBars = m_pRibbon->GetCommandBars();
  if (!pBars) return nullptr;
  m_groups.push_back(std::unique_ptr<CQORPRibbonGroup>(new CQORPRibbonGroup(this, nId, pBars->AddBar())));
  m_groups.back()->m_strCaption = lpszCaption ? lpszCaption : L"";
  m_pRibbon->StructureChanged();
  return m_groups.back().get();
}

CQORPRibbonGroup* CQORPRibbonTab::GetGroup(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetGroupCount()) return nullptr;
  return m_groups[static_cast<size_t>(nIndex)].get();
}

CQORPRibbonGroup* CQORPRibbonTab::FindGroup(int nId) const {
  for (const auto& g : m_groups)
    if (g->GetID() == nId) return g.get();
  return nullptr;
}

void CQORPRibbonTab::Select() { m_pRibbon->SelectTab(this); }

BOOL CQORPRibbonTab::IsSelected() const { return m_pRibbon->GetSelectedTab() == this; }

// ---------------------------------------------------------------------------------------------
// The bar

BEGIN_MESSAGE_MAP(CQORPRibbonBar, CWnd)
  ON_WM_SIZE()
  ON_WM_DESTROY()
END_MESSAGE_MAP()

CQORPRibbonBar::CQORPRibbonBar() : m_pImpl(std::make_unique<CQORPRibbonBarImpl>(this)) {}

CQORPRibbonBar::~CQORPRibbonBar() {
  if (m_pImpl->nThemeCookie) CQORPPaintManager::Get()->RemoveListener(m_pImpl->nThemeCookie);
  if (m_pFrame) m_pFrame->RemoveUpdatePass(&CQORPRibbonBar::UpdatePass, this);
  m_pImpl->Destroy();
}

BOOL CQORPRibbonBar::Create(CFrameWnd* pFrame, CQORPCommandBars* pCommandBars, const wchar_t* lpszTitle) {
  if (!pFrame || !pFrame->GetSafeHwnd() || !pCommandBars || GetSafeHwnd()) return FALSE;
  CRect rc;
  pFrame->GetClientRect(&rc);
  if (!CWnd::Create(nullptr, lpszTitle, WS_CHILD | WS_VISIBLE, CRect(0, 0, std::max(rc.Width(), 1), 120), pFrame,
                    kBarId))
    return FALSE;
  m_pFrame = pFrame;
  m_pCommandBars = pCommandBars;
  m_strTitle = lpszTitle ? lpszTitle : L"";
  m_pSystemBar = pCommandBars->AddBar();
  m_pSystemBar->SetVisible(FALSE);
  m_pTabRow = pCommandBars->AddBar();
  m_pQuickAccess = pCommandBars->AddBar();
  // The ribbon runs the command bars' pass itself, so the windows follow in the same pass; the
  // command bars still know their frame (the pop-up windows send to it).
  pCommandBars->AttachToFrame(pFrame, FALSE);
  pFrame->AddUpdatePass(&CQORPRibbonBar::UpdatePass, this);
  m_pImpl->nThemeCookie = CQORPPaintManager::Get()->AddListener([this] { m_pImpl->ApplyTheme(); });
  QorpBindKeyTips(m_pImpl.get(), pFrame);
  m_pImpl->bDirty = true;
  return TRUE;
}

CString CQORPRibbonBar::LoadCaption(int nId) const {
  if (m_pCommandBars) return m_pCommandBars->LoadCaption(nId);
  CString s;
  s.Format(L"#%d", nId);
  return s;
}

CQORPRibbonTab* CQORPRibbonBar::AddTab(int nId) { return AddTab(LoadCaption(nId), nId); }

CQORPRibbonTab* CQORPRibbonBar::AddTab(const wchar_t* lpszCaption, int nId) {
  if (!m_pCommandBars) return nullptr;
  m_tabs.push_back(std::unique_ptr<CQORPRibbonTab>(new CQORPRibbonTab(this, nId)));
  m_tabs.back()->m_strCaption = lpszCaption ? lpszCaption : L"";
  StructureChanged();
  return m_tabs.back().get();
}

CQORPRibbonTab* CQORPRibbonBar::GetTab(int nIndex) const {
  if (nIndex < 0 || nIndex >= GetTabCount()) return nullptr;
  return m_tabs[static_cast<size_t>(nIndex)].get();
}

CQORPRibbonTab* CQORPRibbonBar::FindTab(int nId) const {
  for (const auto& t : m_tabs)
    if (t->GetID() == nId) return t.get();
  return nullptr;
}

CQORPRibbonTab* CQORPRibbonBar::GetSelectedTab() const {
  if (!m_pImpl->pRibbon || m_tabs.empty()) return m_tabs.empty() ? nullptr : m_tabs.front().get();
  return GetTab(m_pImpl->pRibbon->GetActivePage());
}

void CQORPRibbonBar::SelectTab(CQORPRibbonTab* pTab) {
  if (m_pImpl->bDirty) RecalcLayout();
  for (size_t i = 0; i < m_tabs.size(); ++i)
    if (m_tabs[i].get() == pTab && m_pImpl->pRibbon) m_pImpl->pRibbon->SetActivePage(i);
}

CQORPControl* CQORPRibbonBar::AddSystemButton(int nId) {
  if (!m_pSystemBar) return nullptr;
  m_pSystemButton = m_pSystemBar->Add(std::make_unique<CQORPControlButton>(nId));
  StructureChanged();
  return m_pSystemButton;
}

CQORPControl* CQORPRibbonBar::AddTabRowControl(QORPControlType nType, int nId) {
  if (!m_pTabRow) return nullptr;
  CQORPControl* p = m_pTabRow->Add(QORPCreateControl(nType, nId));
  StructureChanged();
  return p;
}

CQORPControl* CQORPRibbonBar::AddQuickAccessControl(int nId) {
  if (!m_pQuickAccess) return nullptr;
  CQORPControl* p = m_pQuickAccess->Add(std::make_unique<CQORPControlButton>(nId));
  StructureChanged();
  return p;
}

void CQORPRibbonBar::SetLargeIcons(const UINT* pIds, int nCount) {
  for (int i = 0; pIds && i < nCount; ++i) m_pImpl->largeIds.push_back(pIds[i]);
  StructureChanged();
}

BOOL CQORPRibbonBar::HasLargeIcon(UINT nId) const {
  const auto& v = m_pImpl->largeIds;
  return std::find(v.begin(), v.end(), nId) != v.end();
}

void CQORPRibbonBar::SetIcon(UINT nId, int nSize, int nWidth, int nHeight, const BYTE* pBGRA) {
  if (!pBGRA || nWidth <= 0 || nHeight <= 0 || nWidth > 256 || nHeight > 256) return;
  wxImage img(nWidth, nHeight);
  img.InitAlpha();
  for (int y = 0; y < nHeight; ++y)
    for (int x = 0; x < nWidth; ++x) {
      const BYTE* px = pBGRA + (static_cast<size_t>(y) * nWidth + x) * 4;
      img.SetRGB(x, y, px[2], px[1], px[0]);
      img.SetAlpha(x, y, px[3]);
    }
  if (img.GetWidth() != nSize || img.GetHeight() != nSize) img.Rescale(nSize, nSize, wxIMAGE_QUALITY_HIGH);
  m_pImpl->icons[nId][nSize] = wxBitmap(img);
  StructureChanged();
}

void CQORPRibbonBar::StructureChanged() { m_pImpl->bDirty = true; }

void CQORPRibbonBar::RecalcLayout() {
  if (!GetSafeHwnd()) return;
  if (m_pImpl->bDirty) m_pImpl->Build();
  const int cy = GetBarHeight();
  CRect rc;
  GetClientRect(&rc);
  CRect rcFrame;
  m_pFrame->GetClientRect(&rcFrame);
  if (rc.Height() != cy || rc.Width() != rcFrame.Width())
    MoveWindow(0, 0, std::max(rcFrame.Width(), 1), cy);
  m_pImpl->LayoutChildren();
  m_pFrame->RecalcLayout();
}

int CQORPRibbonBar::GetBarHeight() const {
  if (!m_pImpl->pRibbon) return kQuickRowHeight;
  return kQuickRowHeight + m_pImpl->pRibbon->GetBestSize().y;
}

BOOL CQORPRibbonBar::GetControlScreenRect(const CQORPControl* pControl, CRect& rcScreen) const {
  auto it = m_pImpl->placements.find(pControl);
  if (it == m_pImpl->placements.end()) return FALSE;
  const QorpPlacement& pl = it->second;
  wxRect r;
  wxWindow* w = nullptr;
  if (pl.pButtonBar) {
    w = pl.pButtonBar;
    r = pl.pButtonBar->GetItemRect(pl.nButtonId);
  } else if (pl.pStrip) {
    w = pl.pStrip;
    r = pl.pStrip->GetItemRect(pControl);
  } else if (pl.pRow) {
    w = pl.pRow;
    r = pl.pRow->GetItemRect(pControl);
  }
  if (!w || r.IsEmpty() || !w->IsShownOnScreen()) return FALSE;
  const wxPoint tl = w->ClientToScreen(r.GetTopLeft());
  rcScreen = CRect(tl.x, tl.y, tl.x + r.width, tl.y + r.height);
  return TRUE;
}

BOOL CQORPRibbonBar::ExecuteControl(CQORPControl* pControl, BOOL bDropDown) {
  if (m_pImpl->bDirty) RecalcLayout();
  return m_pImpl->Execute(pControl, bDropDown != FALSE) ? TRUE : FALSE;
}

void CQORPRibbonBar::UpdateCommandUI() {
  if (!m_pFrame || !m_pCommandBars) return;
  if (m_pImpl->bDirty) RecalcLayout();
  m_pCommandBars->UpdateCommandUI(m_pFrame);
  // The File button opens the backstage view whether or not a handler answers its id.
  if (m_pBackstage && m_pSystemButton) m_pSystemButton->SetEnabled(TRUE);
  m_pImpl->Refresh();
  m_pImpl->ForgetStaleHover(false);
  if (m_pBackstage) m_pBackstage->RefreshItems();
}

void CQORPRibbonBar::UpdatePass(CFrameWnd*, void* pContext) { static_cast<CQORPRibbonBar*>(pContext)->UpdateCommandUI(); }

void CQORPRibbonBar::OnSize(UINT, int cx, int cy) {
  // The bar is as high as its tabs and groups need. A frame whose only child it is stretches it
  // over the whole client area when the frame is resized: it takes its own height back.
  const int cyBar = m_pImpl->pRibbon ? GetBarHeight() : cy;
  if (cy != cyBar && GetSafeHwnd()) {
    CRect rc;
    GetWindowRect(&rc);
    if (CWnd* pParent = GetParent()) pParent->ScreenToClient(&rc);
    MoveWindow(rc.left, rc.top, std::max(cx, 1), cyBar);
    return;
  }
  m_pImpl->LayoutChildren();
}

void CQORPRibbonBar::OnDestroy() {
  if (m_pFrame) m_pFrame->RemoveUpdatePass(&CQORPRibbonBar::UpdatePass, this);
  if (m_pCommandBars && m_pCommandBars->GetFrame() == m_pFrame) m_pCommandBars->DetachFromFrame();
  m_pFrame = nullptr;  // the frame may go before this object
  m_pImpl->Destroy();
  Default();
}

// ---------------------------------------------------------------------------------------------
// The toolkit side

namespace {

// The ribbons alive, for the modal dialog hook.
std::set<CQORPRibbonBarImpl*>& LiveRibbons() {
  static std::set<CQORPRibbonBarImpl*> live;
  return live;
}

// As a modal dialog opens, every ribbon lets go of its hot buttons: the dialog's grab keeps them
// from hearing the pointer leave.
class RibbonsUnderModalDialogs : public wxModalDialogHook {
 public:
  RibbonsUnderModalDialogs() { Register(); }

 protected:
  int Enter(wxDialog*) override {
    for (CQORPRibbonBarImpl* p : std::vector<CQORPRibbonBarImpl*>(LiveRibbons().begin(), LiveRibbons().end()))
      p->ForgetStaleHover(true);
    return wxID_NONE;
  }
  void Exit(wxDialog*) override {}
};

RibbonsUnderModalDialogs g_ribbonsUnderModal;

}  // namespace

CQORPControl* CQORPRibbonBarImpl::ControlOf(wxRibbonButtonBar* pBar, int nButtonId) const {
  for (const auto& [pControl, pl] : placements)
    if (pl.pButtonBar == pBar && pl.nButtonId == nButtonId) return const_cast<CQORPControl*>(pControl);
  return nullptr;
}

void CQORPRibbonBarImpl::Destroy() {
  LiveRibbons().erase(this);
  HideBadges();
  bKeyTips = false;
  placements.clear();
  panels.clear();
  strips.clear();
  if (pRibbon) pRibbon->Destroy();  // the rows and strips are its children
  if (pQuickRow) pQuickRow->Destroy();
  pRibbon = nullptr;
  pQuickRow = pFileRow = pTabRow = nullptr;
}

namespace {

// A colour button's picture: its icon with a bar of the control's colour along the bottom.
wxBitmap WithColorBar(const wxBitmap& icon, COLORREF clr) {
  wxImage img = icon.ConvertToImage();
  if (!img.IsOk()) return icon;
  if (!img.HasAlpha()) img.InitAlpha();
  const int cx = img.GetWidth(), cy = img.GetHeight();
  std::vector<uint32_t> px(static_cast<size_t>(cx) * static_cast<size_t>(cy));
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x)
      px[static_cast<size_t>(y) * cx + x] = (static_cast<uint32_t>(img.GetAlpha(x, y)) << 24) |
                                            (static_cast<uint32_t>(img.GetRed(x, y)) << 16) |
                                            (static_cast<uint32_t>(img.GetGreen(x, y)) << 8) | img.GetBlue(x, y);
  QORPPaintColorBar(px, cx, cy, clr);
  for (int y = 0; y < cy; ++y)
    for (int x = 0; x < cx; ++x) {
      const uint32_t p = px[static_cast<size_t>(y) * cx + x];
      img.SetRGB(x, y, (p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
      img.SetAlpha(x, y, static_cast<unsigned char>(p >> 24));
    }
  return wxBitmap(img);
}

}  // namespace

wxBitmap CQORPRibbonBarImpl::IconFor(const CQORPControl* pControl, int nSize) {
  if (const auto* pColor = dynamic_cast<const CQORPControlPopupColor*>(pControl))
    return WithColorBar(PlainIconFor(pControl, nSize), pColor->GetColor());
  return PlainIconFor(pControl, nSize);
}

wxBitmap CQORPRibbonBarImpl::PlainIconFor(const CQORPControl* pControl, int nSize) {
  const UINT nId = static_cast<UINT>(pControl->GetID());
  // SVG icons are drawn now, one-colour parts in the captions' colour of the current theme.
  auto st = svgIcons.find(nId);
  if (st != svgIcons.end()) {
    auto jt = st->second.find(nSize);
    const COLORREF clrText = CQORPPaintManager::Get()->GetColor(QORP_CLR_TAB_LABEL);
    if (jt != st->second.end()) {
      const wxBitmap bmp = QorpRenderSvgIcon(jt->second, nSize, clrText);
      if (bmp.IsOk()) return bmp;
    }
  }
  auto it = icons.find(nId);
  if (it != icons.end()) {
    auto jt = it->second.find(nSize);
    if (jt != it->second.end()) return jt->second;
  }
  // No icon: a clear picture, so the button shows its caption alone.
  wxImage blank(nSize, nSize);
  blank.InitAlpha();
  std::memset(blank.GetAlpha(), 0, static_cast<size_t>(nSize) * nSize);
  return wxBitmap(blank);
}

void QorpRibbonPanel::ApplyStep(int nStep) {
  if (m_expanded_panel) HideExpanded();
  if (nStep >= 3)
    m_flags &= ~wxRIBBON_PANEL_NO_AUTO_MINIMISE;
  else
    m_flags |= wxRIBBON_PANEL_NO_AUTO_MINIMISE;
  for (Button& b : buttons) {
    wxRibbonButtonBarButtonState cls = wxRIBBON_BUTTONBAR_BUTTON_MEDIUM;
    if ((nStep == 0 || nStep >= 3) && b.bLarge) cls = wxRIBBON_BUTTONBAR_BUTTON_LARGE;
    // Icons only: a small button with its label set aside (wx's smallest class is not drawn).
    const wxString label = nStep == 2 && b.bIcon ? wxString() : b.label;
    if (b.shown != label) {
      b.pBar->SetButtonText(b.nId, label);
      b.shown = label;
    }
    // Lower the floor first: the bar refuses a ceiling below its floor.
    b.pBar->SetButtonMinSizeClass(b.nId, wxRIBBON_BUTTONBAR_BUTTON_SMALL);
    b.pBar->SetButtonMaxSizeClass(b.nId, cls);
    b.pBar->SetButtonMinSizeClass(b.nId, cls);
  }
  // The group's smallest size is kept from the first realize and measured from the shown
  // children; both are brought up to date here (the next SetSize hides them again if collapsed).
  if (m_minimised) {
    m_minimised = false;
    for (wxWindow* pChild : GetChildren()) pChild->Show();
  }
  m_smallest_unminimised_size = wxSize(-1, -1);
  wxRibbonPanel::Realize();
  m_unminimised = m_smallest_unminimised_size;
  InvalidateBestSize();
  m_nStep = nStep;
}

void QorpRibbonPanel::SetButtonLabel(wxRibbonButtonBar* pBar, int nId, const wxString& label) {
  for (Button& b : buttons)
    if (b.pBar == pBar && b.nId == nId) {
      b.label = label;
      if (m_nStep != 2 || !b.bIcon) {
        pBar->SetButtonText(nId, label);
        b.shown = label;
      }
      m_widths.clear();  // measured again at the next layout
    }
}

void QorpRibbonPanel::SetStep(int nStep) {
  if (nStep != m_nStep) ApplyStep(nStep);
}

int QorpRibbonPanel::WidthAt(int nStep) {
  if (m_widths.empty()) {
    const int nKeep = m_nStep;
    for (int s = 0; s <= 3; ++s) {
      ApplyStep(s);
      int w = GetBestSize().x;
      if (s == 3 && m_minimised_size.IsFullySpecified()) w = m_minimised_size.x;
      // An open group is never narrower than its caption (and its option button).
      if (s < 3) {
        wxClientDC dc(this);
        dc.SetFont(GetFont());
        const int nCaption = dc.GetTextExtent(GetLabel()).x + 12 + (HasExtButton() ? 16 : 0);
        w = std::max(w, nCaption);
      }
      m_widths.push_back(w);
    }
    ApplyStep(nKeep);
  }
  return m_widths[static_cast<size_t>(std::clamp(nStep, 0, 3))];
}

bool QorpRibbonPanel::Realize() {
  // A caption or icon changed: measure again.
  // While its pop-up was open the group had no children, and a size asked for then (tiny) was
  // kept: the pop-up would open at that size the next time.
  InvalidateBestSize();
  bool bChildrenShown = false;
  for (wxWindow* pChild : GetChildren()) bChildrenShown = bChildrenShown || pChild->IsShown();
  if (m_minimised || m_expanded_panel || !bChildrenShown) {
    // Hidden children measure nothing: keep the size they had when last shown.
    const bool bOk = wxRibbonPanel::Realize();
    if (m_unminimised.IsFullySpecified()) m_smallest_unminimised_size = m_unminimised;
    InvalidateBestSize();
    return bOk;
  }
  m_widths.clear();
  m_smallest_unminimised_size = wxSize(-1, -1);
  const bool bOk = wxRibbonPanel::Realize();
  m_unminimised = m_smallest_unminimised_size;
  return bOk;
}

bool QorpRibbonPage::Realize() {
  const bool bOk = wxRibbonPage::Realize();
  return Layout() && bOk;
}

bool QorpRibbonPage::Layout() {
  std::vector<QorpRibbonPanel*> groups;
  for (wxWindow* pChild : GetChildren())
    if (auto* p = dynamic_cast<QorpRibbonPanel*>(pChild)) groups.push_back(p);
  if (groups.empty() || !m_art) return wxRibbonPage::Layout();
  // The groups are made to fit below, so the page never scrolls: wx's own sizing may have shown
  // its scroll arrows and narrowed the page by them, leaving a strip the page does not paint.
  if (m_scroll_buttons_visible) {
    HideScrollButtons();
    if (wxWindow* pBar = GetParent()) SetSize(0, GetPosition().y, pBar->GetClientSize().x, GetSize().y);
  }
  const int nLeft = m_art->GetMetric(wxRIBBON_ART_PAGE_BORDER_LEFT_SIZE);
  const int nTop = m_art->GetMetric(wxRIBBON_ART_PAGE_BORDER_TOP_SIZE);
  const int nRight = m_art->GetMetric(wxRIBBON_ART_PAGE_BORDER_RIGHT_SIZE);
  const int nBottom = m_art->GetMetric(wxRIBBON_ART_PAGE_BORDER_BOTTOM_SIZE);
  const int nGap = m_art->GetMetric(wxRIBBON_ART_PANEL_X_SEPARATION_SIZE);
  const int nAvail = GetSize().x - nLeft - nRight;
  const size_t n = groups.size();
  std::vector<int> steps(n, 0);
  auto fits = [&] {
    int nTotal = nGap * static_cast<int>(n - 1);
    for (size_t i = 0; i < n; ++i) nTotal += groups[i]->WidthAt(steps[i]);
    return nTotal <= nAvail;
  };
  // Right to left, each group first gives up its large buttons, then its labels; only when
  // every group is down to icons do groups collapse, again from the right.
  for (size_t i = n; i-- > 0 && !fits();) {
    steps[i] = 1;
    if (!fits()) steps[i] = 2;
  }
  for (size_t i = n; i-- > 0 && !fits();)
    if (groups[i]->WidthAt(3) < groups[i]->WidthAt(2)) steps[i] = 3;
  // A group that went a step further than the width needs takes back what still fits, left to
  // right (never past the group on its left).
  for (size_t i = 0; i < n; ++i)
    while (steps[i] > 0 && (i == 0 || steps[i] - 1 >= steps[i - 1])) {
      --steps[i];
      if (fits()) continue;
      ++steps[i];
      break;
    }
  const int nHeight = std::max(GetSize().y - nTop - nBottom, 1);
  int x = nLeft;
  for (size_t i = 0; i < n; ++i) {
    groups[i]->SetStep(steps[i]);
    const int w = groups[i]->WidthAt(steps[i]);
    groups[i]->SetSize(x, nTop, w, nHeight);
    groups[i]->Layout();
    // A bar whose size did not change keeps the arrangement it had; it picks again here.
    for (const QorpRibbonPanel::Button& b : groups[i]->buttons) b.pBar->SendSizeEvent();
    x += w + nGap;
  }
  Refresh();
  return true;
}

void CQORPRibbonBarImpl::Build() {
  CQORPRibbonBar* o = pOwner;
  wxWindow* pHost = o->GetWxWindow();
  if (!pHost) return;
  const int nActive = pRibbon ? pRibbon->GetActivePage() : 0;
  Destroy();
  bDirty = false;
  LiveRibbons().insert(this);

  pQuickRow = new QorpItemRow(pHost, this, o->m_pQuickAccess, false);
  pRibbon = new QorpWxRibbonBar(pHost, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                            wxRIBBON_BAR_FLOW_HORIZONTAL | wxRIBBON_BAR_SHOW_PAGE_LABELS |
                                wxRIBBON_BAR_SHOW_PANEL_EXT_BUTTONS | wxRIBBON_BAR_ALWAYS_SHOW_TABS);
  for (int i = 0; i < o->m_pQuickAccess->GetCount(); ++i) placements[o->m_pQuickAccess->GetAt(i)].pRow = pQuickRow;

  for (const auto& pTab : o->m_tabs) {
    auto* pPage = new QorpRibbonPage(pRibbon, wxID_ANY, ToWx(QORPStripMnemonic(pTab->GetCaption())));
    // The File button and the tab-row items are as tall as the tabs, which end where the pages
    // start: a page placed anew (a rebuilt ribbon measures its tabs after its first layout)
    // brings the rows along.
    pPage->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
      e.Skip();
      // Once the bar has placed every page (a page is sized before it is moved).
      if (pRibbon) pRibbon->CallAfter([this] { LayoutChildren(); });
    });
    for (const auto& pGroup : pTab->m_groups) {
      const bool bOption = pGroup->m_pOption != nullptr;
      // A collapsed group shows the picture of its first command that has one.
      wxBitmap groupIcon;
      for (int k = 0; k < pGroup->GetControls()->GetCount() && !groupIcon.IsOk(); ++k) {
        const CQORPControl* p = pGroup->GetControls()->GetAt(k);
        const UINT nId = static_cast<UINT>(p->GetID());
        if (p->IsVisible() && (svgIcons.count(nId) || icons.count(nId))) groupIcon = PlainIconFor(p, 32);
      }
      auto* pPanel = new QorpRibbonPanel(pPage, wxID_ANY, ToWx(QORPStripMnemonic(pGroup->GetCaption())), groupIcon,
                                       wxDefaultPosition, wxDefaultSize,
                                       wxRIBBON_PANEL_NO_AUTO_MINIMISE | (bOption ? wxRIBBON_PANEL_EXT_BUTTON : 0));
      panels[pPanel] = pGroup.get();
      if (bOption) {
        placements[pGroup->m_pOption].pRow = nullptr;
        pPanel->Bind(wxEVT_RIBBONPANEL_EXTBUTTON_ACTIVATED, [this, pGroup = pGroup.get()](wxRibbonPanelEvent&) {
          CQORPControl* pOption = pGroup->m_pOption;
          if (pOption && pOption->GetEnabled()) QorpPostCommand(pOwner->m_pFrame, pOption->GetID());
        });
      }
      auto* pSizer = new wxBoxSizer(wxHORIZONTAL);
      // Consecutive buttons share a button bar; consecutive small controls share a strip.
      CQORPCommandBar* pBar = pGroup->GetControls();
      int i = 0;
      while (i < pBar->GetCount()) {
        std::vector<CQORPControl*> run;
        const bool bButtons = IsButtonKind(pBar->GetAt(i));
        while (i < pBar->GetCount() && IsButtonKind(pBar->GetAt(i)) == bButtons) {
          if (pBar->GetAt(i)->IsVisible()) run.push_back(pBar->GetAt(i));
          ++i;
        }
        if (run.empty()) continue;
        if (bButtons) {
          auto* pButtons = new wxRibbonButtonBar(pPanel);
          int nButtonId = 0;
          for (CQORPControl* p : run) {
            ++nButtonId;
            const bool bLarge = o->HasLargeIcon(static_cast<UINT>(p->GetID())) != FALSE;
            const wxString label = ToWx(ShownCaption(p));
            const wxBitmap large = IconFor(p, 32), small = IconFor(p, 16);
            wxRibbonButtonKind kind = wxRIBBON_BUTTON_TOGGLE;  // toggles show a checked state
            if (p->GetType() == QORP_CONTROL_SPLIT_BUTTON_POPUP)
              kind = wxRIBBON_BUTTON_HYBRID;
            else if (IsDropDownKind(p))
              kind = wxRIBBON_BUTTON_DROPDOWN;
            pButtons->AddButton(nButtonId, label, large, small, wxNullBitmap, wxNullBitmap, kind, HelpString(p));
            const bool bIcon = svgIcons.count(static_cast<UINT>(p->GetID())) || icons.count(static_cast<UINT>(p->GetID()));
            pPanel->buttons.push_back({pButtons, nButtonId, bLarge, bIcon, label, label});
            if (bLarge) {
              pButtons->SetButtonMinSizeClass(nButtonId, wxRIBBON_BUTTONBAR_BUTTON_LARGE);
            } else {
              pButtons->SetButtonMaxSizeClass(nButtonId, wxRIBBON_BUTTONBAR_BUTTON_MEDIUM);
            }
            QorpPlacement& pl = placements[p];
            pl.pButtonBar = pButtons;
            pl.nButtonId = nButtonId;
            pl.bEnabled = true;
            pl.bChecked = false;
            pl.strCaption = ShownCaption(p);
          }
          pButtons->Bind(wxEVT_RIBBONBUTTONBAR_CLICKED, [this](wxRibbonButtonBarEvent& e) { OnButton(e, false); });
          pButtons->Bind(wxEVT_RIBBONBUTTONBAR_DROPDOWN_CLICKED,
                         [this](wxRibbonButtonBarEvent& e) { OnButton(e, true); });
          pSizer->Add(pButtons, 0, wxEXPAND);
        } else {
          auto* pStrip = new QorpStrip(pPanel, this, run);
          strips.push_back(pStrip);
          for (CQORPControl* p : run) placements[p].pStrip = pStrip;
          pSizer->Add(pStrip, 0, wxEXPAND | wxLEFT | wxRIGHT, 2);
        }
      }
      pPanel->SetSizer(pSizer);
    }
  }

  // The File button in the left margin of the tab row, the tab-row items in the right one.
  if (o->m_pSystemButton) {
    CQORPCommandBar* pFileBar = o->m_pSystemBar;
    pFileRow = new QorpItemRow(pRibbon, this, pFileBar, true);
    placements[o->m_pSystemButton].pRow = pFileRow;
  }
  if (o->m_pTabRow->GetCount() > 0) {
    pTabRow = new QorpItemRow(pRibbon, this, o->m_pTabRow, false);
    for (int i = 0; i < o->m_pTabRow->GetCount(); ++i) placements[o->m_pTabRow->GetAt(i)].pRow = pTabRow;
  }
  pRibbon->SetTabCtrlMargins(pFileRow ? pFileRow->BestSize().x + 4 : 0, pTabRow ? pTabRow->BestSize().x + 4 : 0);
  pRibbon->Bind(wxEVT_SIZE, [this](wxSizeEvent& e) {
    e.Skip();
    LayoutChildren();
  });
  pRibbon->Realize();
  if (!o->m_tabs.empty()) pRibbon->SetActivePage(static_cast<size_t>(std::clamp(nActive, 0, static_cast<int>(o->m_tabs.size()) - 1)));
  ApplyTheme();
  Refresh();
}

void CQORPRibbonBarImpl::LayoutChildren() {
  wxWindow* pHost = pOwner->GetWxWindow();
  if (!pHost || !pRibbon) return;
  const wxSize sz = pHost->GetClientSize();
  pQuickRow->SetSize(0, 0, sz.x, kQuickRowHeight);
  pRibbon->SetSize(0, kQuickRowHeight, sz.x, std::max(sz.y - kQuickRowHeight, 1));
  // The tabs' height: where the pages start.
  int nTabHeight = 24;
  if (pRibbon->GetPageCount() > 0) nTabHeight = std::max(pRibbon->GetPage(0)->GetPosition().y, 16);
  if (pFileRow) pFileRow->SetSize(0, 0, pFileRow->BestSize().x, nTabHeight);
  if (pTabRow) {
    const int w = pTabRow->BestSize().x;
    pTabRow->SetSize(std::max(pRibbon->GetClientSize().x - w, 0), 0, w, nTabHeight);
  }
}

namespace {

COLORREF Ref(const wxColour& c) { return RGB(c.Red(), c.Green(), c.Blue()); }

// The art derives its backgrounds from the three scheme colours; where a derived background
// leaves one of the labels drawn on it below 4.5:1, it is moved toward black (light labels) or
// white (dark labels) until every label reads.
void KeepLabelsReadable(wxRibbonArtProvider* art, std::initializer_list<int> labels, std::initializer_list<int> backs) {
  // How light the labels are, as their contrast against black (which grows with luminance):
  // a background darker than its labels is taken toward black, a lighter one toward white.
  double labelLightness = 0;
  for (int l : labels) labelLightness += CQORPDrawHelpers::ContrastRatio(Ref(art->GetColour(l)), RGB(0, 0, 0));
  labelLightness /= static_cast<double>(labels.size());
  for (int b : backs) {
    wxColour back = art->GetColour(b);
    const wxColour target =
        labelLightness > CQORPDrawHelpers::ContrastRatio(Ref(back), RGB(0, 0, 0)) ? *wxBLACK : *wxWHITE;
    for (int step = 0; step < 40; ++step) {
      bool readable = true;
      for (int l : labels) readable = readable && CQORPDrawHelpers::ContrastRatio(Ref(art->GetColour(l)), Ref(back)) >= 4.5;
      if (readable) break;
      auto toward = [](int from, int to) { return static_cast<unsigned char>(from + (to - from) / 8 + (to > from ? 1 : to < from ? -1 : 0)); };
      back = wxColour(toward(back.Red(), target.Red()), toward(back.Green(), target.Green()),
                      toward(back.Blue(), target.Blue()));
    }
    art->SetColour(b, back);
  }
}

}  // namespace

void CQORPRibbonBarImpl::ApplyTheme() {
  const CQORPThemeColors& c = CQORPPaintManager::Get()->GetColors();
  if (pRibbon) {
    wxRibbonArtProvider* art = pRibbon->GetArtProvider();
    art->SetColourScheme(QorpWx(c.GetColor(QORP_CLR_RIBBON_PRIMARY)), QorpWx(c.GetColor(QORP_CLR_RIBBON_SECONDARY)),
                         QorpWx(c.GetColor(QORP_CLR_RIBBON_TERTIARY)));
    const wxColour tab = QorpWx(c.GetColor(QORP_CLR_TAB_LABEL)), panel = QorpWx(c.GetColor(QORP_CLR_PANEL_LABEL));
    art->SetColour(wxRIBBON_ART_TAB_LABEL_COLOUR, tab);
    art->SetColour(wxRIBBON_ART_TAB_ACTIVE_LABEL_COLOUR, tab);
    art->SetColour(wxRIBBON_ART_TAB_HOVER_LABEL_COLOUR, tab);
    art->SetColour(wxRIBBON_ART_PANEL_LABEL_COLOUR, panel);
    art->SetColour(wxRIBBON_ART_PANEL_HOVER_LABEL_COLOUR, panel);
    art->SetColour(wxRIBBON_ART_PANEL_MINIMISED_LABEL_COLOUR, panel);
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, tab);
    // wx leaves the label of a disabled button black unless told.
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR, QorpWx(c.GetColor(QORP_CLR_DISABLED_LABEL)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BORDER_COLOUR, QorpWx(c.GetColor(QORP_CLR_HOVER_FRAME)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_COLOUR, QorpWx(c.GetColor(QORP_CLR_HOVER_FILL)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_HOVER_BACKGROUND_GRADIENT_COLOUR, QorpWx(c.GetColor(QORP_CLR_HOVER_FILL)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BORDER_COLOUR, QorpWx(c.GetColor(QORP_CLR_SELECTED_FRAME)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_COLOUR, QorpWx(c.GetColor(QORP_CLR_SELECTED_FILL)));
    art->SetColour(wxRIBBON_ART_BUTTON_BAR_ACTIVE_BACKGROUND_GRADIENT_COLOUR,
                   QorpWx(c.GetColor(QORP_CLR_SELECTED_FILL)));
    KeepLabelsReadable(art, {wxRIBBON_ART_TAB_LABEL_COLOUR},
                       {wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR});
    KeepLabelsReadable(art, {wxRIBBON_ART_TAB_HOVER_LABEL_COLOUR},
                       {wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR,
                        wxRIBBON_ART_TAB_HOVER_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR});
    KeepLabelsReadable(art, {wxRIBBON_ART_TAB_ACTIVE_LABEL_COLOUR},
                       {wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR,
                        wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_GRADIENT_COLOUR});
    KeepLabelsReadable(art, {wxRIBBON_ART_PANEL_LABEL_COLOUR},
                       {wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR, wxRIBBON_ART_PANEL_LABEL_BACKGROUND_GRADIENT_COLOUR});
    KeepLabelsReadable(art, {wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR},
                       {wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR,
                        wxRIBBON_ART_PAGE_BACKGROUND_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR});
    {
      // A disabled button's label: the enabled label taken as far toward the page as 4.5:1
      // allows against the page's hardest background (once the page reads
      // under the enabled labels), so it reads and stands apart.
      const COLORREF label = Ref(art->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR));
      COLORREF hardest = Ref(art->GetColour(wxRIBBON_ART_PAGE_BACKGROUND_COLOUR));
      for (int b : {wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR,
                    wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR})
        if (CQORPDrawHelpers::ContrastRatio(label, Ref(art->GetColour(b))) < CQORPDrawHelpers::ContrastRatio(label, hardest))
          hardest = Ref(art->GetColour(b));
      art->SetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR, QorpWx(CQORPDrawHelpers::DimmedText(label, hardest, 1.0)));
    }
    KeepLabelsReadable(art, {wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR},
                       {wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR,
                        wxRIBBON_ART_PAGE_BACKGROUND_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR});
    pRibbon->Refresh();
    for (size_t i = 0; i < pRibbon->GetPageCount(); ++i) pRibbon->GetPage(static_cast<int>(i))->Refresh();
  }
  for (QorpStrip* s : strips) s->ApplyTheme();
  if (pQuickRow) {
    pQuickRow->SetBackgroundColour(QorpWx(c.GetColor(QORP_CLR_RIBBON_SECONDARY)));
    pQuickRow->Refresh();
  }
  if (pFileRow) pFileRow->Refresh();
  if (pTabRow) pTabRow->Refresh();
}

void CQORPRibbonBarImpl::Refresh() {
  bool bRealize = false;
  for (auto& [pConst, pl] : placements) {
    const CQORPControl* p = pConst;
    if (pl.pButtonBar) {
      const bool bEnabled = p->GetEnabled() != FALSE;
      const bool bChecked = CheckedOf(p) == 1;
      if (bEnabled != pl.bEnabled) {
        pl.pButtonBar->EnableButton(pl.nButtonId, bEnabled);
        pl.bEnabled = bEnabled;
      }
      if (bChecked != pl.bChecked) {
        pl.pButtonBar->ToggleButton(pl.nButtonId, bChecked);
        pl.bChecked = bChecked;
      }
      // A colour button's bar follows the control's colour.
      if (const auto* pColor = dynamic_cast<const CQORPControlPopupColor*>(p);
          pColor && pColor->GetColor() != pl.clrBar) {
        pl.clrBar = pColor->GetColor();
        pl.pButtonBar->SetButtonIcon(pl.nButtonId, IconFor(p, 32), IconFor(p, 16));
        pl.pButtonBar->Refresh(false);
      }
      const CString strCaption = ShownCaption(p);
      if (strCaption != pl.strCaption) {
        if (auto* pPanel = dynamic_cast<QorpRibbonPanel*>(pl.pButtonBar->GetParent()))
          pPanel->SetButtonLabel(pl.pButtonBar, pl.nButtonId, ToWx(strCaption));
        else
          pl.pButtonBar->SetButtonText(pl.nButtonId, ToWx(strCaption));
        pl.strCaption = strCaption;
        bRealize = true;
      }
    }
  }
  for (QorpStrip* s : strips) s->Refresh_();
  if (pQuickRow) pQuickRow->Refresh(false);
  if (pFileRow) pFileRow->Refresh(false);
  if (pTabRow) pTabRow->Refresh(false);
  if (bRealize && pRibbon) {
    pRibbon->Realize();
    pRibbon->Layout();
  }
}


void CQORPRibbonBarImpl::ForgetStaleHover(bool bAll) {
  wxWindow* pAt = nullptr;
  bool bLooked = bAll;
  auto pointerOn = [&](wxWindow* w) {
    if (!bLooked) {
      wxPoint pt;
      pAt = wxFindWindowAtPointer(pt);
      bLooked = true;
    }
    return pAt == w;
  };
  std::set<wxRibbonButtonBar*> seen;
  for (const auto& entry : placements) {
    wxRibbonButtonBar* pBar = entry.second.pButtonBar;
    if (!pBar || !seen.insert(pBar).second || !pBar->GetHoveredItem() || pointerOn(pBar)) continue;
    wxMouseEvent leave(wxEVT_LEAVE_WINDOW);
    leave.SetEventObject(pBar);
    pBar->GetEventHandler()->ProcessEvent(leave);
  }
  for (QorpItemRow* pRow : {pQuickRow, pFileRow, pTabRow})
    if (pRow && pRow->HoverIndex() >= 0 && !pointerOn(pRow)) pRow->ForgetHover();
}

void CQORPRibbonBarImpl::OnButton(wxRibbonButtonBarEvent& e, bool bDropDown) {
  wxRibbonButtonBar* pBar = e.GetBar();
  CQORPControl* p = ControlOf(pBar, e.GetId());
  if (!p) return;
  // wx flips a toggle button by itself; the checked state is the update handler's.
  auto it = placements.find(p);
  if (it != placements.end() && it->second.pButtonBar) it->second.pButtonBar->ToggleButton(e.GetId(), it->second.bChecked);
  Execute(p, bDropDown);
}

bool CQORPRibbonBarImpl::Execute(CQORPControl* p, bool bDropDown) {
  if (!p || !p->GetEnabled()) return false;
  auto it = placements.find(p);
  if (it == placements.end()) return false;
  CFrameWnd* pFrame = pOwner->m_pFrame;
  if (p == pOwner->m_pSystemButton) {
    if (CQORPBackstageView* pBackstage = pOwner->m_pBackstage) {
      pBackstage->ShowBackstage(!pBackstage->IsBackstageVisible());
      return true;
    }
    QorpPostCommand(pFrame, p->GetID());
    return true;
  }
  const QorpPlacement& pl = it->second;
  // Edits, combo boxes and scroll bars take the keyboard focus; they report by notification.
  if (pl.pStrip && (p->GetType() == QORP_CONTROL_EDIT || p->GetType() == QORP_CONTROL_COMBO_BOX ||
                    p->GetType() == QORP_CONTROL_SCROLL_BAR)) {
    if (wxWindow* w = pl.pStrip->GetItemWindow(p)) w->SetFocus();
    return true;
  }
  if (IsDropDownKind(p)) bDropDown = true;
  if (p->GetType() != QORP_CONTROL_SPLIT_BUTTON_POPUP && !IsDropDownKind(p)) bDropDown = false;
  if (bDropDown) {
    CRect rc;
    wxWindow* pOwnerWnd = pl.pButtonBar ? static_cast<wxWindow*>(pl.pButtonBar)
                                        : (pl.pRow ? static_cast<wxWindow*>(pl.pRow) : pOwner->GetWxWindow());
    wxRect rcScreen;
    if (pOwner->GetControlScreenRect(p, rc)) rcScreen = wxRect(rc.left, rc.top, rc.Width(), rc.Height());
    QorpOpenControlPopup(p, pFrame, pOwnerWnd, rcScreen);
    ForgetStaleHover(false);  // a menu has closed, with the pointer maybe elsewhere
    return true;
  }
  QorpPostCommand(pFrame, p->GetID());
  return true;
}
