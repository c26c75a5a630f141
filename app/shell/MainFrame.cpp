#include "MainFrame.h"

#include <algorithm>
#include <map>

#include <lwstr.h>

#include <QorpControls.h>
#include <QorpPaintManager.h>

#include "LeafwrightView.h"
#include "ShellIds.h"
#include "ZoomPane.h"

namespace {

// The description and caption of the status bar's page buttons (the ribbon's are in
// RibbonLayout.cpp).
const std::map<UINT, const wchar_t*> kCommandStrings = {
    {ID_GOTO_FIRST_PAGE, L"View the First Page\nFirst Page"},
    {ID_GOTO_PREVIOUS_PAGE, L"View Previous Page\nPrevious Page"},
    {ID_GOTO_NEXT_PAGE, L"View Next Page\nNext Page"},
    {ID_GOTO_LAST_PAGE, L"View Last Page\nLast Page"},
};

// The keys of the main window (accelerator table 128).
const ACCEL kAccelerators[] = {
    {FVIRTKEY | FCONTROL, 'C', 57634}, {FVIRTKEY | FCONTROL, 'X', 57635}, {FVIRTKEY | FCONTROL, 'V', 57637},
    {FVIRTKEY | FCONTROL, 'Z', 57643}, {FVIRTKEY | FCONTROL, 'Y', 57644}, {FVIRTKEY | FCONTROL, 'N', 57600},
    {FVIRTKEY | FCONTROL, 'O', 57601}, {FVIRTKEY | FCONTROL, 'S', 57603}, {FVIRTKEY | FCONTROL, 'P', 57607},
    {FVIRTKEY, VK_F1, 57670},          {FVIRTKEY | FSHIFT, VK_F1, 57669}, {FVIRTKEY, VK_F6, 57680},
    {FVIRTKEY | FSHIFT, VK_F6, 57681},
};

}  // namespace

IMPLEMENT_DYNCREATE(CMainFrame, CQORPFrameWnd)

BEGIN_MESSAGE_MAP(CMainFrame, CQORPFrameWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_COMMAND(ID_FILE_BUTTON, &CMainFrame::OnFileButton)
  ON_UPDATE_COMMAND_UI(ID_FILE_BUTTON, &CMainFrame::OnUpdateFileButton)
  ON_COMMAND_RANGE(ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_BLACK, &CMainFrame::OnSwitchTheme)
  ON_UPDATE_COMMAND_UI_RANGE(ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_BLACK, &CMainFrame::OnUpdateSwitchTheme)
  ON_MESSAGE(QORP_WM_GALLERYNOTIFY, &CMainFrame::OnGalleryNotify)
  ON_COMMAND(ID_ADD_STAMP, &CMainFrame::OnAddStamp)
  ON_COMMAND(ID_VIEW_STATUS_BAR, &CMainFrame::OnViewStatusBar)
  ON_UPDATE_COMMAND_UI(ID_VIEW_STATUS_BAR, &CMainFrame::OnUpdateViewStatusBar)
  ON_COMMAND(ID_VIEW_THUMBNAIL, &CMainFrame::OnViewThumbnail)
  ON_UPDATE_COMMAND_UI(ID_VIEW_THUMBNAIL, &CMainFrame::OnUpdateViewThumbnail)
  ON_NOTIFY(QORP_CN_SLIDER, ID_INDICATOR_ZOOM_SLIDER, &CMainFrame::OnZoomSliderNotify)
END_MESSAGE_MAP()

CMainFrame::CMainFrame() = default;
CMainFrame::~CMainFrame() = default;

CLeafwrightView* CMainFrame::GetLeafwrightView() const {
  return dynamic_cast<CLeafwrightView*>(GetActiveView());
}

int CMainFrame::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CQORPFrameWnd::OnCreate(lpCreateStruct) == -1) return -1;
  if (!CreateStatusBar()) return -1;
  if (!CreateRibbonBar()) return -1;
  if (!CreateBackstage()) return -1;
  lwmfc::RegisterAcceleratorTable(IDR_MAINFRAME, kAccelerators, static_cast<int>(std::size(kAccelerators)));
  LoadAccelTable(IDR_MAINFRAME);
  RecalcLayout();
  OnSwitchTheme(static_cast<UINT>(GetCurrentTheme()));
  return 0;
}

void CMainFrame::OnDestroy() {
  m_commandBars.DetachFromFrame();
  CQORPFrameWnd::OnDestroy();
}

BOOL CMainFrame::CreateStatusBar() {
  if (!m_wndStatusBar.Create(this)) return FALSE;
  CQORPStatusBarPane* p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_TEXT, ID_INDICATOR_PAGE_NUMBER);
  p->SetCaption(L"&Page Number");
  p->SetValue(L"1 of 1");
  p->SetText(L"Page: 1 of 1");
  p->SetTooltip(L"Page number in document");
  p->SetPadding(8, 0, 8, 0);
  p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_TEXT, ID_INDICATOR_TIP_MESSAGE);
  p->SetCaption(L"&Tip Message");
  p->SetVisible(FALSE);
  p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_PROGRESS, ID_INDICATOR_PROGRESS);
  p->SetCaption(L"&ProgressBar");
  p->SetWidth(500);
  p->SetPadding(3, 0, 3, 0);
  p->SetVisible(FALSE);
  m_wndStatusBar.AddPane(QORP_STATUS_PANE_STRETCH, 0)->SetWidth(1);
  // Navigation: the texts stand for the arrows of the first/previous/next/last buttons.
  const struct {
    UINT nId;
    const wchar_t* pszText;
  } nav[] = {{ID_GOTO_FIRST_PAGE, L"\u00AB"}, {ID_GOTO_PREVIOUS_PAGE, L"\u2039"},
             {ID_GOTO_NEXT_PAGE, L"\u203A"}, {ID_GOTO_LAST_PAGE, L"\u00BB"}};
  for (const auto& n : nav) {
    p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_ICON_BUTTON, n.nId);
    p->SetText(n.pszText);
    const auto it = kCommandStrings.find(n.nId);
    p->SetTooltip(CString(it->second).Left(CString(it->second).Find(L'\n')));
    p->SetPadding(4, 0, 4, 0);
    if (n.nId == ID_GOTO_PREVIOUS_PAGE) AddPageComboPane();
  }
  p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_TEXT, ID_INDICATOR_ZOOM);
  p->SetCaption(L"&Zoom");
  p->SetText(L"100%");
  p->SetTooltip(L"Zoom level.");
  auto* slider = static_cast<CQORPStatusBarSliderPane*>(m_wndStatusBar.AddPane(QORP_STATUS_PANE_SLIDER, ID_INDICATOR_ZOOM_SLIDER));
  slider->SetCaption(L"&Zoom Slider");
  slider->SetWidth(180);
  slider->SetRange(0, 1000);
  slider->SetPos(500);
  slider->SetTooltip(L"Zoom");
  slider->SetButtonTooltips(L"Zoom Out", L"Zoom In");
  return TRUE;
}

void CMainFrame::AddPageComboPane() {
  // Without the box the bar goes on without its pane.
  if (!m_wndPageCombo.CComboBox::Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                             CRect(0, 0, 100, 300), &m_wndStatusBar, IDC_PAGE_INDEX_COMBO))
    return;
  m_wndPageCombo.SetFlatStyle(TRUE);
  m_wndPageCombo.SetTheme(1);
  CQORPStatusBarPane* p = m_wndStatusBar.AddPane(QORP_STATUS_PANE_CONTROL, ID_INDICATOR_PAGE_COMBO);
  p->SetCaption(L"View Specified Page");
  p->SetValue(L"specified page");
  p->SetWidth(0);  // as wide as the box needs for its widest text (SyncPageCombo)
  p->SetTooltip(L"Go to the page which its index is specified by edit box.");
  p->SetChild(&m_wndPageCombo);
  SyncPageCombo();
}

void CMainFrame::SyncPageCombo() {
  if (!m_wndPageCombo.GetSafeHwnd()) return;
  CLeafwrightView* view = GetSafeHwnd() ? GetLeafwrightView() : nullptr;
  const int count = view ? std::max(view->GetPagesCount(), 1) : 1;
  const int index = view ? std::clamp(view->GetPageIndex(), 0, count - 1) : 0;
  if (m_wndPageCombo.GetCount() != count) {
    m_wndPageCombo.ResetContent();
    for (int i = 1; i <= count; ++i) {
      CString item;
      item.Format(L"%d", i);
      m_wndPageCombo.AddString(item);
    }
    // The box fits "n / count" for every n: count's digits, each as wide as the widest digit.
    if (CQORPStatusBarPane* pane = m_wndStatusBar.FindPane(ID_INDICATOR_PAGE_COMBO)) {
      CString digits, widest;
      digits.Format(L"%d", count);
      for (int i = 0; i < digits.GetLength(); ++i) digits.SetAt(i, L'8');
      widest = digits + L" / " + digits;
      if (pane->GetText() != widest) pane->SetText(widest);
    }
  }
  CString shown, now;
  shown.Format(L"%d / %d", index + 1, count);
  m_wndPageCombo.GetWindowText(now);
  // While the user types a page number the box keeps the typed text.
  const CWnd* focus = CWnd::GetFocus();
  const bool typing = focus && (focus->GetSafeHwnd() == m_wndPageCombo.GetSafeHwnd() ||
                                (focus->GetParent() && focus->GetParent()->GetSafeHwnd() == m_wndPageCombo.GetSafeHwnd()));
  if (now == shown || (typing && now.Find(L'/') < 0 && !now.IsEmpty())) return;
  if (m_wndPageCombo.GetCurSel() != index) m_wndPageCombo.SetCurSel(index);
  m_wndPageCombo.SetWindowText(shown);
}

void CMainFrame::UpdateZoomPane(float fZoom) {
  if (auto* slider = dynamic_cast<CQORPStatusBarSliderPane*>(m_wndStatusBar.FindPane(ID_INDICATOR_ZOOM_SLIDER)))
    if (slider->GetPos() != SliderPosFromZoom(fZoom)) slider->SetPos(SliderPosFromZoom(fZoom));
  if (CQORPStatusBarPane* p = m_wndStatusBar.FindPane(ID_INDICATOR_ZOOM))
    if (p->GetText() != ZoomPaneText(fZoom)) p->SetText(ZoomPaneText(fZoom));
}

void CMainFrame::OnZoomSliderNotify(NMHDR* pNMHDR, LRESULT* pResult) {
  if (pResult) *pResult = 0;
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  CLeafwrightView* view = GetLeafwrightView();
  if (!nm || nm->hdr.idFrom != ID_INDICATOR_ZOOM_SLIDER || !view) return;
  // The notification carries the scroll code and the thumb's position.
  const float zoom = ZoomForSliderCode(view->GetZoom(), nm->nStep, nm->nPos);
  if (zoom == view->GetZoom()) return;
  view->SetZoomPercent(zoom);
  UpdateZoomPane(zoom);
}

void CMainFrame::OnUpdateCmdUIAll() {
  CQORPFrameWnd::OnUpdateCmdUIAll();
  SyncPageCombo();
  UpdateWindowTitle();
}

CString CMainFrame::MakeWindowTitle(const CString& documentTitle, bool modified) {
  CString title = modified ? L"*" : L"";
  title += documentTitle.IsEmpty() ? CString(L"Untitled") : documentTitle;
  return title + L" - Leafwright";
}

void CMainFrame::UpdateWindowTitle() {
  if (!GetSafeHwnd()) return;
  CDocument* doc = GetActiveDocument();
  const CString title = MakeWindowTitle(doc ? doc->GetTitle() : CString(), doc && doc->IsModified());
  CString now;
  GetWindowText(now);
  if (now != title) SetWindowText(title);
}

void CMainFrame::ShowProgress(const CString* message) {
  if (CQORPStatusBarPane* p = m_wndStatusBar.FindPane(ID_INDICATOR_TIP_MESSAGE)) {
    p->SetText(message ? message->GetString() : L"");
    p->SetVisible(TRUE);
  }
  if (auto* p = dynamic_cast<CQORPStatusBarProgressPane*>(m_wndStatusBar.FindPane(ID_INDICATOR_PROGRESS))) {
    p->SetPos(0);
    p->SetVisible(TRUE);
  }
  m_wndStatusBar.RecalcLayout();
  m_wndStatusBar.RedrawNow(TRUE);
}

void CMainFrame::HideProgress() {
  for (UINT id : {ID_INDICATOR_TIP_MESSAGE, ID_INDICATOR_PROGRESS})
    if (CQORPStatusBarPane* p = m_wndStatusBar.FindPane(id)) p->SetVisible(FALSE);
  m_wndStatusBar.RecalcLayout();
  m_wndStatusBar.RedrawNow(TRUE);
}

bool CMainFrame::CProgressBarSite::SetProgressPanePos(int paneId, int position) {
  auto* p = dynamic_cast<CQORPStatusBarProgressPane*>(m_pFrame->m_wndStatusBar.FindPane(static_cast<UINT>(paneId)));
  if (!p) return false;
  p->SetPos(position);
  return true;
}

void CMainFrame::CProgressBarSite::UpdateWindow() { m_pFrame->m_wndStatusBar.RedrawNow(); }

// ---------------------------------------------------------------------------------------------
// Themes

void CMainFrame::OnSwitchTheme(UINT nId) { SwitchTheme(*this, static_cast<int>(nId)); }

void CMainFrame::OnUpdateSwitchTheme(CCmdUI* pCmdUI) { UpdateSwitchTheme(pCmdUI); }

void CMainFrame::SelectPaintTheme(int nPaintTheme) { CQORPPaintManager::Get()->SetTheme(nPaintTheme); }

bool CMainFrame::LoadThemeModule(const CString& strModulePath) {
  // The module is usable when it holds the themes (the built-in module always does).
  std::string text;
  return CQORPResourceTheme::LoadThemeText(strModulePath, kQorpThemeBlue, text);
}

void CMainFrame::SetImageHandle(const CString& strModulePath, const wchar_t* lpszIniName) {
  // The ribbon, the status bar and the panes follow the paint manager's colours at once.
  CQORPResourceTheme::SetImageHandle(strModulePath, lpszIniName);
}

void CMainFrame::SetDockingTheme(int) {
  // The docking panes draw with the paint manager's pane colours; they repaint with RedrawAll.
}

void CMainFrame::SetFileButtonStyle(int nStyle) { m_nFileButtonStyle = nStyle; }

void CMainFrame::RedrawAll() {
  if (!GetSafeHwnd()) return;
  LoadCommandIcons();  // in the new caption colour
  m_wndRibbon.RecalcLayout();
  RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMainFrame::ApplyStatusFont() {
  if (m_wndStatusBar.GetSafeHwnd()) m_wndStatusBar.RedrawNow(TRUE);
}
