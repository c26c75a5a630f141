// Hyperlinks, styled edits and combo boxes, and the recent-file list box for dialogs.
#include <wx/hyperlink.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/utils.h>

#include "QorpDialogControls.h"
#include "QorpRecentFileList.h"

IMPLEMENT_DYNAMIC(CQORPHyperLink, CStatic)
IMPLEMENT_DYNAMIC(CQORPEdit, CEdit)
IMPLEMENT_DYNAMIC(CQORPComboBox, CComboBox)
IMPLEMENT_DYNAMIC(CQORPRecentFileListBox, CListBox)

namespace {

lwqorp::PFN_OPENLINK g_opener = nullptr;

// A mail address without a scheme opens as mail.
CString LinkTarget(const CString& url) {
  if (url.Find(L':') < 0 && url.Find(L'@') > 0) return L"mailto:" + url;
  return url;
}

}  // namespace

namespace lwqorp {
void SetLinkOpener(PFN_OPENLINK pfn) { g_opener = pfn; }
}  // namespace lwqorp

void CQORPHyperLink::SetURL(const wchar_t* lpszURL) {
  m_strURL = lpszURL ? lpszURL : L"";
  if (auto* link = dynamic_cast<wxGenericHyperlinkCtrl*>(GetWxWindow()))
    link->SetURL(wxString(LinkTarget(GetURL()).GetString()));
}

CString CQORPHyperLink::GetURL() const {
  if (!m_strURL.IsEmpty()) return m_strURL;
  CString text;
  GetWindowText(text);
  return text;
}

void CQORPHyperLink::SetTipText(const wchar_t* lpszTip) {
  m_strTip = lpszTip ? lpszTip : L"";
  if (GetWxWindow()) GetWxWindow()->SetToolTip(wxString(m_strTip.GetString()));
}

BOOL CQORPHyperLink::Open() {
  CString target = LinkTarget(GetURL());
  if (target.Trim().IsEmpty()) return FALSE;  // a link without an address opens nothing
  if (g_opener) return g_opener(target);
  return wxLaunchDefaultBrowser(wxString(target.GetString())) ? TRUE : FALSE;
}

void CQORPHyperLink::PreSubclassWindow() {
  // The desktop's static texts take no clicks: a link control of the same text takes the
  // static's place, tab position and id.
  wxWindow* old = GetWxWindow();
  auto* label = dynamic_cast<wxStaticText*>(old);
  if (!label) return;
  const UINT nID = static_cast<UINT>(GetDlgCtrlID());
  const wxString text = label->GetLabel();
  auto* link = new wxGenericHyperlinkCtrl(old->GetParent(), old->GetId(), text, wxString(LinkTarget(GetURL()).GetString()),
                                          old->GetPosition(), wxDefaultSize, wxHL_ALIGN_LEFT | wxNO_BORDER);
  link->MoveAfterInTabOrder(old);
  link->Enable(old->IsEnabled());
  if (!m_strTip.IsEmpty()) link->SetToolTip(wxString(m_strTip.GetString()));
  Detach();
  old->Destroy();
  AdoptWx(link, nID);
  const HWND h = m_hWnd;
  link->Bind(wxEVT_HYPERLINK, [h](wxHyperlinkEvent&) {
    // The link opens through our opener (never the toolkit's own launch).
    if (auto* p = dynamic_cast<CQORPHyperLink*>(CWnd::FromHandle(h))) p->Open();
  });
}

void CQORPRecentFileListBox::BuildItems() {
  ResetContent();
  CWinApp* app = AfxGetApp();
  if (!app) return;
  for (int i = 0; i < app->GetRecentFileCount(); ++i) {
    const CString path = app->GetRecentFile(i);
    if (path.IsEmpty()) continue;
    const int n = AddString(CQORPRecentFileList::AbbreviatePath(path, m_nMaxDisplay));
    SetItemData(n, ID_FILE_MRU_FILE1 + static_cast<UINT>(i));
  }
}

UINT CQORPRecentFileListBox::GetSelectedCommand() const {
  const int sel = GetCurSel();
  return sel < 0 ? 0 : static_cast<UINT>(GetItemData(sel));
}

void CQORPRecentFileListBox::PreSubclassWindow() {
  auto* list = dynamic_cast<wxListBox*>(GetWxWindow());
  if (!list) return;
  const HWND h = m_hWnd;
  auto self = [h] { return dynamic_cast<CQORPRecentFileListBox*>(CWnd::FromHandle(h)); };
  // A selection the pointer made is a pick; one that the keys or the focus made is not.
  list->Bind(wxEVT_LEFT_DOWN, [self](wxMouseEvent& e) {
    if (CQORPRecentFileListBox* p = self()) p->m_bPointer = true;
    e.Skip();
  });
  list->Bind(wxEVT_LEFT_UP, [self, list](wxMouseEvent& e) {
    e.Skip();
    list->CallAfter([self] {
      if (CQORPRecentFileListBox* q = self()) q->m_bPointer = false;
    });
  });
  list->Bind(wxEVT_LISTBOX, [self](wxCommandEvent& e) {
    CQORPRecentFileListBox* p = self();
    if (p && !p->m_bPointer) return;  // moved by a key or by the focus: not a pick
    e.Skip();
  });
  // Enter (the list's activation) picks the selected entry; a double click already picked it
  // with its first click.
  list->Bind(wxEVT_LISTBOX_DCLICK, [self, list](wxCommandEvent& e) {
    e.Skip();
    CQORPRecentFileListBox* p = self();
    if (!p || p->m_bPointer || list->GetSelection() == wxNOT_FOUND) return;
    if (CWnd* pParent = p->GetParent())
      pParent->SendMessage(WM_COMMAND, MAKEWPARAM(p->GetDlgCtrlID(), LBN_SELCHANGE), reinterpret_cast<LPARAM>(p->m_hWnd));
  });
}
