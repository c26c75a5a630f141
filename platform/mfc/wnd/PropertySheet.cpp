// Property pages and the property sheet over the toolkit's tab control.
#include <wx/app.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <afxdlgs.h>

#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CPropertyPage, CDialog)
IMPLEMENT_DYNAMIC(CPropertySheet, CWnd)

CPropertyPage::CPropertyPage(UINT nIDTemplate, UINT nIDCaption) : CDialog(nIDTemplate), m_nIDCaption(nIDCaption) {}

BOOL CPropertyPage::Create(CWnd* pParentWnd) {
  m_bFirstSetActive = TRUE;
  return CreateFromTemplate(pParentWnd, TRUE);
}

CString CPropertyPage::GetCaption() const {
  CString s;
  if (m_nIDCaption && s.LoadString(m_nIDCaption)) return s;
  const lwmfc::DialogTemplate* t = GetTemplate() ? GetTemplate() : lwmfc::FindDialogTemplate(m_lpszTemplateName);
  return t && t->lpszCaption ? CString(t->lpszCaption) : CString();
}

BOOL CPropertyPage::OnSetActive() {
  if (m_bFirstSetActive) m_bFirstSetActive = FALSE;
  else UpdateData(FALSE);
  return TRUE;
}

BOOL CPropertyPage::OnKillActive() { return UpdateData(TRUE); }

// ---------------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CPropertySheet, CWnd)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

// The close box cancels, as the Cancel button does.
void CPropertySheet::OnClose() { PressCancel(); }

CPropertySheet::CPropertySheet(const wchar_t* lpszCaption, CWnd* pParentWnd, UINT iSelectPage)
    : m_strCaption(lpszCaption), m_pParentWnd(pParentWnd), m_nActive(static_cast<int>(iSelectPage)) {}

CPropertySheet::~CPropertySheet() {
  if (m_hWnd) DestroyWindow();
}

void CPropertySheet::AddPage(CPropertyPage* pPage) {
  if (!pPage) return;
  pPage->m_pSheet = this;
  m_pages.push_back(pPage);
}

CPropertyPage* CPropertySheet::GetPage(int nPage) const {
  return nPage >= 0 && nPage < GetPageCount() ? m_pages[static_cast<size_t>(nPage)] : nullptr;
}

BOOL CPropertySheet::ShowPage(int nPage) {
  auto* book = static_cast<wxNotebook*>(m_pNotebook);
  CPropertyPage* pPage = GetPage(nPage);
  if (!book || !pPage) return FALSE;
  if (!pPage->m_hWnd) {
    wxPanel* holder = static_cast<wxPanel*>(book->GetPage(static_cast<size_t>(nPage)));
    pPage->m_bFirstSetActive = TRUE;
    if (!pPage->CreateChildIn(holder)) return FALSE;
    holder->SetSizer(new wxBoxSizer(wxVERTICAL));
    holder->GetSizer()->Add(pPage->GetWxWindow(), 1, wxEXPAND);
    holder->Layout();
  }
  if (!pPage->OnSetActive()) return FALSE;
  m_nActive = nPage;
  if (book->GetSelection() != nPage) book->ChangeSelection(static_cast<size_t>(nPage));
  return TRUE;
}

BOOL CPropertySheet::SetActivePage(int nPage) {
  if (!GetPage(nPage)) return FALSE;
  if (!m_pNotebook) {
    m_nActive = nPage;
    return TRUE;
  }
  if (nPage == m_nActive) return TRUE;
  CPropertyPage* pOld = GetActivePage();
  if (pOld && pOld->m_hWnd && !pOld->OnKillActive()) return FALSE;
  const int old = m_nActive;
  if (ShowPage(nPage)) return TRUE;
  static_cast<wxNotebook*>(m_pNotebook)->ChangeSelection(static_cast<size_t>(old));
  m_nActive = old;
  return FALSE;
}

BOOL CPropertySheet::SetActivePage(CPropertyPage* pPage) {
  for (int i = 0; i < GetPageCount(); ++i)
    if (m_pages[static_cast<size_t>(i)] == pPage) return SetActivePage(i);
  return FALSE;
}

BOOL CPropertySheet::PressOK() {
  CPropertyPage* pActive = GetActivePage();
  if (pActive && pActive->m_hWnd && !pActive->OnKillActive()) return FALSE;
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnOK();
  m_nResult = IDOK;
  if (auto* dlg = dynamic_cast<wxDialog*>(GetWxWindow()))
    if (dlg->IsModal()) dlg->EndModal(IDOK);
  return TRUE;
}

void CPropertySheet::PressCancel() {
  for (CPropertyPage* p : m_pages)
    if (p->m_hWnd) p->OnCancel();
  m_nResult = IDCANCEL;
  if (auto* dlg = dynamic_cast<wxDialog*>(GetWxWindow()))
    if (dlg->IsModal()) dlg->EndModal(IDCANCEL);
}

INT_PTR CPropertySheet::DoModal() {
  if (m_hWnd || m_pages.empty() || !wxTheApp) return -1;
  wxWindow* parent = m_pParentWnd ? m_pParentWnd->GetWxWindow() : nullptr;
  if (!parent)
    if (CWnd* pMain = AfxGetMainWnd()) parent = pMain->GetWxWindow();
  auto* dlg = new wxDialog(parent ? wxGetTopLevelParent(parent) : nullptr, wxID_ANY, wxString(m_strCaption.GetString()),
                           wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
  if (!AdoptWx(dlg)) {
    dlg->Destroy();
    return -1;
  }
  GetState()->created = true;
  auto* book = new wxNotebook(dlg, wxID_ANY);
  m_pNotebook = book;
  for (CPropertyPage* p : m_pages) book->AddPage(new wxPanel(book), wxString(p->GetCaption().GetString()));
  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  auto* ok = new wxButton(dlg, wxID_OK, "OK");
  auto* cancel = new wxButton(dlg, wxID_CANCEL, "Cancel");
  ok->SetDefault();
  buttons->AddStretchSpacer();
  buttons->Add(ok, 0, wxRIGHT, 6);
  buttons->Add(cancel, 0);
  auto* top = new wxBoxSizer(wxVERTICAL);
  top->Add(book, 1, wxEXPAND | wxALL, 7);
  top->Add(buttons, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 7);
  dlg->SetSizer(top);

  const HWND h = m_hWnd;
  ok->Bind(wxEVT_BUTTON, [h](wxCommandEvent&) {
    if (auto* p = dynamic_cast<CPropertySheet*>(CWnd::FromHandle(h))) p->PressOK();
  });
  cancel->Bind(wxEVT_BUTTON, [h](wxCommandEvent&) {
    if (auto* p = dynamic_cast<CPropertySheet*>(CWnd::FromHandle(h))) p->PressCancel();
  });
  // A tab chosen by the user: the shown page may refuse to be left, the new one to be shown.
  book->Bind(wxEVT_NOTEBOOK_PAGE_CHANGING, [h](wxBookCtrlEvent& e) {
    auto* p = dynamic_cast<CPropertySheet*>(CWnd::FromHandle(h));
    if (!p) return;
    e.Veto();
    p->SetActivePage(e.GetSelection());
  });

  const int first = GetPage(m_nActive) ? m_nActive : 0;
  m_nActive = -1;
  if (!ShowPage(first)) ShowPage(first == 0 ? 0 : first);
  dlg->Fit();
  dlg->CentreOnParent();
  m_nResult = IDCANCEL;
  dlg->ShowModal();
  const int result = m_nResult;
  m_pNotebook = nullptr;
  DestroyWindow();
  lwwnd::RepaintShownFrames();
  return result;
}
