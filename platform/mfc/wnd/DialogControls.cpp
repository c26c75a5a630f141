// The standard controls over the native ones, their notifications to the parent, and the
// dialog data exchange.
#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cwchar>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/ctrlsub.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/odcombo.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/window.h>
#include <wx/textctrl.h>
#include <wx/weakref.h>

#include <lwstr.h>
#include <winstring.h>

#include "dialog_internal.h"
#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CSpinButtonCtrl, CWnd)
IMPLEMENT_DYNAMIC(CSliderCtrl, CWnd)

namespace {

// The buddy of a spin button, kept on the native control.
struct SpinData : wxClientData {
  wxWeakRef<wxWindow> buddy;  // the window, not its CWnd: a member may take it over later
  bool bSetBuddyInt = false;
};

SpinData* SpinDataOf(wxWindow* w, bool create) {
  auto* s = dynamic_cast<wxSpinButtonBase*>(w);
  if (!s) return nullptr;
  auto* d = static_cast<SpinData*>(s->GetClientObject());
  if (!d && create) {
    d = new SpinData;
    s->SetClientObject(d);
  }
  return d;
}

wxItemContainer* Items(const CWnd* p) {
  return p && p->GetWxWindow() ? dynamic_cast<wxItemContainer*>(p->GetWxWindow()) : nullptr;
}

bool StartsWithNoCase(const wxString& text, const wchar_t* prefix) {
  const size_t n = std::wcslen(prefix);
  if (text.length() < n) return false;
  for (size_t i = 0; i < n; ++i)
    if (lw::ToLowerChar(static_cast<wchar_t>(text[i].GetValue())) != lw::ToLowerChar(prefix[i])) return false;
  return true;
}

// Windows' list search: after nStartAfter, wrapping round, without regard to case.
int FindItem(const wxItemContainer* c, int nStartAfter, const wchar_t* text, bool exact) {
  if (!c || !text) return LB_ERR;
  const int n = static_cast<int>(c->GetCount());
  if (n == 0) return LB_ERR;
  const int start = nStartAfter < 0 || nStartAfter >= n ? 0 : nStartAfter + 1;
  for (int k = 0; k < n; ++k) {
    const int i = (start + k) % n;
    const wxString item = c->GetString(static_cast<unsigned>(i));
    const bool match = exact ? item.length() == std::wcslen(text) && StartsWithNoCase(item, text)
                             : StartsWithNoCase(item, text);
    if (match) return i;
  }
  return LB_ERR;
}

int ClientIndex(const wxItemContainer* c, int nIndex) {
  return c && nIndex >= 0 && nIndex < static_cast<int>(c->GetCount()) ? nIndex : -1;
}

// Sends a notification to the control first (its reflected handler), then to its parent when
// the control did not take it.
LRESULT SendNotify(CWnd* pControl, UINT nCode, NMHDR* pHdr) {
  LRESULT result = 0;
  AFX_NOTIFY notify{&result, pHdr};
  const HWND h = pControl->m_hWnd;
  if (pControl->OnCmdMsg(0, MAKELONG(nCode, WM_REFLECT_BASE + WM_NOTIFY), &notify, nullptr)) return result;
  CWnd* pSelf = CWnd::FromHandle(h);
  CWnd* pParent = pSelf ? pSelf->GetParent() : nullptr;
  if (!pParent) return 0;
  return pParent->SendMessage(WM_NOTIFY, static_cast<WPARAM>(pHdr->idFrom), reinterpret_cast<LPARAM>(pHdr));
}

// One spin step of the user: UDN_DELTAPOS (which may refuse it), the new position, the buddy's
// text and WM_VSCROLL to the parent.
void SpinStep(CWnd* pSpin, int nDelta) {
  auto* s = dynamic_cast<wxSpinButtonBase*>(pSpin->GetWxWindow());
  if (!s) return;
  const HWND h = pSpin->m_hWnd;
  NMUPDOWN nm{{h, static_cast<UINT_PTR>(pSpin->GetDlgCtrlID()), UDN_DELTAPOS}, s->GetValue(), nDelta};
  if (SendNotify(pSpin, UDN_DELTAPOS, &nm.hdr) != 0) return;
  CSpinButtonCtrl* pCtl = static_cast<CSpinButtonCtrl*>(CWnd::FromHandle(h));
  if (!pCtl) return;
  const long long want = static_cast<long long>(s->GetValue()) + nm.iDelta;
  const int pos = static_cast<int>(std::clamp<long long>(want, s->GetMin(), s->GetMax()));
  pCtl->SetPos32(pos);
  if (SpinData* d = SpinDataOf(s, false))
    if (d->bSetBuddyInt)
      if (CWnd* pBuddy = lwwnd::WndFromWx(d->buddy.get())) {
        CString text;
        text.Format(L"%d", pos);
        pBuddy->SetWindowText(text);
      }
  if (CWnd* pParent = pCtl->GetParent())
    pParent->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(pCtl));
}

CWnd* ControlOfEvent(wxEvent& e) {
  wxObject* obj = e.GetEventObject();
  if (!obj || !obj->IsKindOf(wxCLASSINFO(wxWindow))) return nullptr;
  return lwwnd::WndFromWx(static_cast<wxWindow*>(obj));
}

}  // namespace

namespace lwmfc {

void SetSpinBuddy(wxWindow* pSpin, wxWindow* pBuddy, bool bSetBuddyInt) {
  if (SpinData* d = SpinDataOf(pSpin, true)) {
    d->buddy = pBuddy;
    d->bSetBuddyInt = bSetBuddyInt;
  }
}

bool ParseInteger(const CString& text, bool bSigned, long long& value) {
  std::wstring s = text.str();
  size_t b = 0, e = s.size();
  while (b < e && iswspace(s[b])) ++b;
  while (e > b && iswspace(s[e - 1])) --e;
  s = s.substr(b, e - b);
  if (s.empty()) return false;
  if (!bSigned && s[0] == L'-') return false;
  errno = 0;
  wchar_t* end = nullptr;
  const long long v = std::wcstoll(s.c_str(), &end, 10);
  if (errno || !end || *end) return false;
  if (bSigned ? (v < INT_MIN || v > INT_MAX) : (v < 0 || v > static_cast<long long>(UINT_MAX))) return false;
  value = v;
  return true;
}

void BindDialogEvents(CDialog* pDlg, wxWindow* w) {
  const HWND hDlg = pDlg->m_hWnd;
  // Only controls whose parent is this dialog: a property page inside passes on its own.
  auto mine = [hDlg](wxEvent& e) -> CWnd* {
    CWnd* pCtl = ControlOfEvent(e);
    CWnd* pDlgNow = CWnd::FromHandle(hDlg);
    if (!pCtl || !pDlgNow || pCtl->GetParent() != pDlgNow) return nullptr;
    return pCtl;
  };
  auto command = [mine](UINT nCode) {
    return [mine, nCode](wxCommandEvent& e) {
      CWnd* pCtl = mine(e);
      if (!pCtl) {
        e.Skip();
        return;
      }
      SendControlNotify(pCtl, nCode);
    };
  };
  w->Bind(wxEVT_BUTTON, command(BN_CLICKED));
  w->Bind(wxEVT_CHECKBOX, command(BN_CLICKED));
  w->Bind(wxEVT_RADIOBUTTON, command(BN_CLICKED));
  w->Bind(wxEVT_COMBOBOX, command(CBN_SELCHANGE));
  w->Bind(wxEVT_CHOICE, command(CBN_SELCHANGE));
  w->Bind(wxEVT_LISTBOX, command(LBN_SELCHANGE));
  w->Bind(wxEVT_LISTBOX_DCLICK, command(LBN_DBLCLK));
  w->Bind(wxEVT_TEXT, [mine](wxCommandEvent& e) {
    CWnd* pCtl = mine(e);
    // Typing in a combo box's own edit is not an edit's change.
    if (!pCtl || !dynamic_cast<wxTextCtrl*>(pCtl->GetWxWindow())) {
      e.Skip();
      return;
    }
    SendControlNotify(pCtl, EN_CHANGE);
  });
  auto spin = [mine](int nDelta) {
    return [mine, nDelta](wxSpinEvent& e) {
      CWnd* pCtl = mine(e);
      if (!pCtl) {
        e.Skip();
        return;
      }
      // The step is ours to make (the parent may refuse it): the native one is vetoed.
      e.Veto();
      SpinStep(pCtl, nDelta);
    };
  };
  w->Bind(wxEVT_SPIN_UP, spin(+1));
  w->Bind(wxEVT_SPIN_DOWN, spin(-1));
  w->Bind(wxEVT_SLIDER, [mine](wxCommandEvent& e) {
    CWnd* pCtl = mine(e);
    if (!pCtl) {
      e.Skip();
      return;
    }
    auto* s = dynamic_cast<wxSlider*>(pCtl->GetWxWindow());
    const UINT msg = s && s->HasFlag(wxSL_VERTICAL) ? WM_VSCROLL : WM_HSCROLL;
    const int pos = s ? s->GetValue() : 0;
    if (CWnd* pParent = pCtl->GetParent()) {
      const HWND h = pCtl->m_hWnd;
      pParent->SendMessage(msg, MAKEWPARAM(TB_THUMBPOSITION, static_cast<WORD>(pos)), reinterpret_cast<LPARAM>(pCtl));
      if (CWnd::FromHandle(h) && CWnd::FromHandle(pParent->m_hWnd))
        pParent->SendMessage(msg, MAKEWPARAM(TB_ENDTRACK, 0), reinterpret_cast<LPARAM>(pCtl));
    }
  });
  w->Bind(wxEVT_CONTEXT_MENU, [hDlg](wxContextMenuEvent& e) {
    CWnd* pDlgNow = CWnd::FromHandle(hDlg);
    if (!pDlgNow) {
      e.Skip();
      return;
    }
    CWnd* pWhere = ControlOfEvent(e);
    if (!pWhere) pWhere = pDlgNow;
    wxPoint pt = e.GetPosition();
    if (pt == wxDefaultPosition) pt = wxGetMousePosition();
    if (!pDlgNow->FindMessageEntry(WM_CONTEXTMENU)) {
      e.Skip();
      return;
    }
    pDlgNow->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pWhere->m_hWnd),
                         MAKELPARAM(static_cast<SHORT>(pt.x), static_cast<SHORT>(pt.y)));
  });
}

void SendControlNotify(CWnd* pControl, UINT nCode) {
  if (!pControl || !pControl->m_hWnd) return;
  const HWND h = pControl->m_hWnd;
  if (pControl->OnCmdMsg(0, MAKELONG(nCode, WM_REFLECT_BASE + WM_COMMAND), nullptr, nullptr)) return;
  CWnd* pSelf = CWnd::FromHandle(h);
  CWnd* pParent = pSelf ? pSelf->GetParent() : nullptr;
  if (!pParent) return;
  pParent->SendMessage(WM_COMMAND, MAKEWPARAM(pSelf->GetDlgCtrlID(), nCode), reinterpret_cast<LPARAM>(h));
}

void SimulateControlClick(CWnd* pControl) {
  wxWindow* w = pControl ? pControl->GetWxWindow() : nullptr;
  if (!w || !w->IsEnabled()) return;
  if (auto* c = dynamic_cast<wxCheckBox*>(w)) c->SetValue(!c->GetValue());
  if (auto* r = dynamic_cast<wxRadioButton*>(w)) r->SetValue(true);
  SendControlNotify(pControl, BN_CLICKED);
}

void SimulateSelection(CWnd* pControl, int nIndex) {
  wxWindow* w = pControl ? pControl->GetWxWindow() : nullptr;
  auto* c = w ? dynamic_cast<wxItemContainer*>(w) : nullptr;
  if (!c || !w->IsEnabled()) return;
  if (auto* l = dynamic_cast<wxListBox*>(w)) l->SetSelection(nIndex);
  else if (auto* ch = dynamic_cast<wxChoice*>(w)) ch->SetSelection(nIndex);
  else if (auto* cb = dynamic_cast<wxComboBox*>(w)) cb->SetSelection(nIndex);
  else if (auto* od = dynamic_cast<wxOwnerDrawnComboBox*>(w)) od->SetSelection(nIndex);
  SendControlNotify(pControl, dynamic_cast<wxListBox*>(w) ? LBN_SELCHANGE : CBN_SELCHANGE);
}

void SimulateTyping(CWnd* pControl, const wchar_t* lpszText) {
  auto* t = pControl ? dynamic_cast<wxTextCtrl*>(pControl->GetWxWindow()) : nullptr;
  if (!t || !t->IsEnabled()) return;
  t->ChangeValue(lpszText ? wxString(lpszText) : wxString());
  SendControlNotify(pControl, EN_CHANGE);
}

void SimulateSpin(CWnd* pControl, int nDelta) {
  if (pControl && pControl->GetWxWindow() && pControl->GetWxWindow()->IsEnabled()) SpinStep(pControl, nDelta);
}

}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------
// Buttons and edits

int CButton::GetCheck() const {
  wxWindow* w = GetWxWindow();
  if (auto* c = dynamic_cast<wxCheckBox*>(w)) return c->GetValue() ? BST_CHECKED : BST_UNCHECKED;
  if (auto* r = dynamic_cast<wxRadioButton*>(w)) return r->GetValue() ? BST_CHECKED : BST_UNCHECKED;
  return BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck) {
  wxWindow* w = GetWxWindow();
  if (auto* c = dynamic_cast<wxCheckBox*>(w)) c->SetValue(nCheck == BST_CHECKED);
  if (auto* r = dynamic_cast<wxRadioButton*>(w)) {
    if (nCheck == BST_CHECKED) {
      r->SetValue(true);
    } else if (r->GetValue()) {
      // The desktop keeps one button of a group checked: the group's hidden member takes it.
      for (wxRadioButton* m = r->GetFirstInGroup(); m; m = m->GetNextInGroup())
        if (m->GetName() == lwmfc::kNoneRadioName) {
          m->SetValue(true);
          break;
        }
    }
  }
}

UINT CButton::GetButtonStyle() const {
  CWnd* pParent = GetParent();
  CDialog* pDlg = dynamic_cast<CDialog*>(pParent);
  if (lwmfc::DialogItemState* it = pDlg ? pDlg->FindItem(this) : nullptr) return it->row->style & BS_TYPEMASK;
  return BS_PUSHBUTTON;
}

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL) {
  if (auto* t = dynamic_cast<wxTextCtrl*>(GetWxWindow())) {
    if (nStartChar == -1) t->SelectNone();
    else t->SetSelection(nStartChar, nEndChar);
  }
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const {
  nStartChar = nEndChar = 0;
  if (auto* t = dynamic_cast<wxTextCtrl*>(GetWxWindow())) {
    long a = 0, b = 0;
    t->GetSelection(&a, &b);
    nStartChar = static_cast<int>(a);
    nEndChar = static_cast<int>(b);
  }
}

void CEdit::ReplaceSel(const wchar_t* lpszNewText, BOOL) {
  if (auto* t = dynamic_cast<wxTextCtrl*>(GetWxWindow())) t->WriteText(lpszNewText ? wxString(lpszNewText) : wxString());
}

void CEdit::SetLimitText(UINT nMax) {
  if (auto* t = dynamic_cast<wxTextCtrl*>(GetWxWindow())) t->SetMaxLength(nMax);
}

UINT CEdit::GetLimitText() const { return 0x7FFFFFFE; }

void CEdit::SetReadOnly(BOOL bReadOnly) {
  if (auto* t = dynamic_cast<wxTextCtrl*>(GetWxWindow())) t->SetEditable(!bReadOnly);
}

// ---------------------------------------------------------------------------------------------
// List and combo boxes

namespace {

template <class Ctl>
int AddItem(Ctl* self, int nIndex, const wchar_t* text) {
  wxItemContainer* c = Items(self);
  if (!c || !text) return LB_ERR;
  const wxString s(text);
  if (nIndex < 0 || nIndex >= static_cast<int>(c->GetCount())) return c->Append(s);
  return c->Insert(s, static_cast<unsigned>(nIndex));
}

int SelectIn(CWnd* self, int nSelect) {
  wxWindow* w = self->GetWxWindow();
  wxItemContainer* c = Items(self);
  if (!c) return LB_ERR;
  const int i = ClientIndex(c, nSelect);
  if (auto* l = dynamic_cast<wxListBox*>(w)) {
    if (i < 0) l->SetSelection(wxNOT_FOUND);
    else l->SetSelection(i);
  } else if (auto* ch = dynamic_cast<wxChoice*>(w)) {
    ch->SetSelection(i < 0 ? wxNOT_FOUND : i);
  } else if (auto* cb = dynamic_cast<wxComboBox*>(w)) {
    cb->SetSelection(i < 0 ? wxNOT_FOUND : i);
  } else if (auto* od = dynamic_cast<wxOwnerDrawnComboBox*>(w)) {
    od->SetSelection(i < 0 ? wxNOT_FOUND : i);
  }
  return i < 0 ? LB_ERR : i;
}

int CurSel(const CWnd* self) {
  wxWindow* w = self->GetWxWindow();
  if (auto* l = dynamic_cast<wxListBox*>(w)) return l->GetSelection();
  if (auto* ch = dynamic_cast<wxChoice*>(w)) return ch->GetSelection();
  if (auto* cb = dynamic_cast<wxComboBox*>(w)) return cb->GetSelection();
  if (auto* od = dynamic_cast<wxOwnerDrawnComboBox*>(w)) return od->GetSelection();
  return LB_ERR;
}

}  // namespace

int CListBox::AddString(const wchar_t* lpszItem) { return AddItem(this, -1, lpszItem); }
int CListBox::InsertString(int nIndex, const wchar_t* lpszItem) { return AddItem(this, nIndex, lpszItem); }
int CListBox::DeleteString(UINT nIndex) {
  wxItemContainer* c = Items(this);
  if (!c || nIndex >= c->GetCount()) return LB_ERR;
  c->Delete(nIndex);
  return static_cast<int>(c->GetCount());
}
void CListBox::ResetContent() {
  if (wxItemContainer* c = Items(this)) c->Clear();
}
int CListBox::GetCount() const { return Items(this) ? static_cast<int>(Items(this)->GetCount()) : LB_ERR; }
int CListBox::GetCurSel() const { return CurSel(this); }
int CListBox::SetCurSel(int nSelect) { return SelectIn(this, nSelect); }
int CListBox::GetText(int nIndex, CString& rString) const {
  rString.Empty();
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) < 0) return LB_ERR;
  rString = c->GetString(static_cast<unsigned>(nIndex)).wc_str();
  return rString.GetLength();
}
int CListBox::GetTextLen(int nIndex) const {
  CString s;
  return GetText(nIndex, s);
}
int CListBox::FindString(int nStartAfter, const wchar_t* lpszItem) const {
  return FindItem(Items(this), nStartAfter, lpszItem, false);
}
int CListBox::FindStringExact(int nIndexStart, const wchar_t* lpszFind) const {
  return FindItem(Items(this), nIndexStart, lpszFind, true);
}
int CListBox::SelectString(int nStartAfter, const wchar_t* lpszItem) {
  const int i = FindString(nStartAfter, lpszItem);
  return i < 0 ? LB_ERR : SetCurSel(i);
}
DWORD_PTR CListBox::GetItemData(int nIndex) const {
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) < 0) return static_cast<DWORD_PTR>(LB_ERR);
  // Items whose data were never set have 0 (the toolkit keeps no data until some are set).
  if (!c->HasClientUntypedData()) return 0;
  return reinterpret_cast<DWORD_PTR>(c->GetClientData(static_cast<unsigned>(nIndex)));
}
int CListBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) < 0) return LB_ERR;
  c->SetClientData(static_cast<unsigned>(nIndex), reinterpret_cast<void*>(dwItemData));
  return 0;
}

BOOL CComboBox::Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID) {
  wxWindow* parent = pParentWnd ? pParentWnd->GetWxWindow() : nullptr;
  if (!parent || GetWxWindow() || m_hWnd) return FALSE;
  const int id = (nID > 0 && nID < 32767 && (nID < wxID_LOWEST || nID > wxID_HIGHEST)) ? static_cast<int>(nID) : wxID_ANY;
  const wxPoint pos(rect.left, rect.top);
  const wxSize line(std::max(1, static_cast<int>(rect.right - rect.left)), wxDefaultCoord);
  const long sort = (dwStyle & CBS_SORT) ? wxCB_SORT : 0;
  wxWindow* w = nullptr;
  if (dwStyle & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))
    w = lwmfc::MakeOwnerDrawnCombo(parent, id, wxString(), pos, line, wxArrayString(), dwStyle);
  else if ((dwStyle & 3) == CBS_DROPDOWNLIST)
    w = new wxChoice(parent, id, pos, line, wxArrayString(), sort);
  else
    w = new wxComboBox(parent, id, wxString(), pos, line, wxArrayString(), sort | wxCB_DROPDOWN);
  if (!w) return FALSE;
  if (!AdoptWx(w, nID)) {
    w->Destroy();
    return FALSE;
  }
  const HWND h = m_hWnd;
  auto pick = [h](wxCommandEvent&) {
    if (CWnd* self = CWnd::FromHandle(h)) lwmfc::SendControlNotify(self, CBN_SELCHANGE);
  };
  w->Bind(wxEVT_COMBOBOX, pick);
  w->Bind(wxEVT_CHOICE, pick);
  if (!(dwStyle & WS_VISIBLE)) w->Hide();
  return TRUE;
}

int CComboBox::AddString(const wchar_t* lpszString) { return AddItem(this, -1, lpszString); }
int CComboBox::InsertString(int nIndex, const wchar_t* lpszString) { return AddItem(this, nIndex, lpszString); }
int CComboBox::DeleteString(UINT nIndex) {
  wxItemContainer* c = Items(this);
  if (!c || nIndex >= c->GetCount()) return CB_ERR;
  c->Delete(nIndex);
  return static_cast<int>(c->GetCount());
}
void CComboBox::ResetContent() {
  if (wxItemContainer* c = Items(this)) c->Clear();
}
int CComboBox::GetCount() const { return Items(this) ? static_cast<int>(Items(this)->GetCount()) : CB_ERR; }
int CComboBox::GetCurSel() const { return CurSel(this); }
int CComboBox::SetCurSel(int nSelect) { return SelectIn(this, nSelect); }
void CComboBox::GetLBText(int nIndex, CString& rString) const {
  rString.Empty();
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) >= 0) rString = c->GetString(static_cast<unsigned>(nIndex)).wc_str();
}
int CComboBox::GetLBTextLen(int nIndex) const {
  CString s;
  GetLBText(nIndex, s);
  return ClientIndex(Items(this), nIndex) < 0 ? CB_ERR : s.GetLength();
}
int CComboBox::FindString(int nStartAfter, const wchar_t* lpszString) const {
  return FindItem(Items(this), nStartAfter, lpszString, false);
}
int CComboBox::FindStringExact(int nIndexStart, const wchar_t* lpszFind) const {
  return FindItem(Items(this), nIndexStart, lpszFind, true);
}
int CComboBox::SelectString(int nStartAfter, const wchar_t* lpszString) {
  const int i = FindString(nStartAfter, lpszString);
  return i < 0 ? CB_ERR : SetCurSel(i);
}
DWORD_PTR CComboBox::GetItemData(int nIndex) const {
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) < 0) return static_cast<DWORD_PTR>(CB_ERR);
  // Items whose data were never set have 0 (the toolkit keeps no data until some are set).
  if (!c->HasClientUntypedData()) return 0;
  return reinterpret_cast<DWORD_PTR>(c->GetClientData(static_cast<unsigned>(nIndex)));
}
int CComboBox::SetItemData(int nIndex, DWORD_PTR dwItemData) {
  wxItemContainer* c = Items(this);
  if (ClientIndex(c, nIndex) < 0) return CB_ERR;
  c->SetClientData(static_cast<unsigned>(nIndex), reinterpret_cast<void*>(dwItemData));
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Spin buttons and sliders

void CSpinButtonCtrl::SetRange32(int nLower, int nUpper) {
  if (auto* s = dynamic_cast<wxSpinButtonBase*>(GetWxWindow())) s->SetRange(std::min(nLower, nUpper), std::max(nLower, nUpper));
}

void CSpinButtonCtrl::GetRange32(int& nLower, int& nUpper) const {
  nLower = nUpper = 0;
  if (auto* s = dynamic_cast<wxSpinButtonBase*>(GetWxWindow())) {
    nLower = s->GetMin();
    nUpper = s->GetMax();
  }
}

int CSpinButtonCtrl::SetPos32(int nPos) {
  auto* s = dynamic_cast<wxSpinButtonBase*>(GetWxWindow());
  if (!s) return 0;
  const int old = s->GetValue();
  s->SetValue(std::clamp(nPos, s->GetMin(), s->GetMax()));
  return old;
}

int CSpinButtonCtrl::GetPos32(BOOL* lpbError) const {
  auto* s = dynamic_cast<wxSpinButtonBase*>(GetWxWindow());
  if (lpbError) *lpbError = s ? FALSE : TRUE;
  return s ? s->GetValue() : 0;
}

CWnd* CSpinButtonCtrl::SetBuddy(CWnd* pWndBuddy) {
  SpinData* d = SpinDataOf(GetWxWindow(), true);
  if (!d) return nullptr;
  CWnd* pOld = lwwnd::WndFromWx(d->buddy.get());
  d->buddy = pWndBuddy ? pWndBuddy->GetWxWindow() : nullptr;
  return pOld;
}

CWnd* CSpinButtonCtrl::GetBuddy() const {
  SpinData* d = SpinDataOf(GetWxWindow(), false);
  return d ? lwwnd::WndFromWx(d->buddy.get()) : nullptr;
}

void CSliderCtrl::SetRange(int nMin, int nMax, BOOL) {
  if (auto* s = dynamic_cast<wxSlider*>(GetWxWindow())) s->SetRange(nMin, nMax);
}
void CSliderCtrl::GetRange(int& nMin, int& nMax) const {
  nMin = GetRangeMin();
  nMax = GetRangeMax();
}
int CSliderCtrl::GetRangeMin() const {
  auto* s = dynamic_cast<wxSlider*>(GetWxWindow());
  return s ? s->GetMin() : 0;
}
int CSliderCtrl::GetRangeMax() const {
  auto* s = dynamic_cast<wxSlider*>(GetWxWindow());
  return s ? s->GetMax() : 0;
}
void CSliderCtrl::SetPos(int nPos) {
  if (auto* s = dynamic_cast<wxSlider*>(GetWxWindow())) s->SetValue(std::clamp(nPos, s->GetMin(), s->GetMax()));
}
int CSliderCtrl::GetPos() const {
  auto* s = dynamic_cast<wxSlider*>(GetWxWindow());
  return s ? s->GetValue() : 0;
}
void CSliderCtrl::SetTicFreq(int nFreq) {
  if (auto* s = dynamic_cast<wxSlider*>(GetWxWindow())) s->SetTickFreq(nFreq);
}
int CSliderCtrl::SetPageSize(int nSize) {
  auto* s = dynamic_cast<wxSlider*>(GetWxWindow());
  if (!s) return 0;
  const int old = s->GetPageSize();
  s->SetPageSize(nSize);
  return old;
}
int CSliderCtrl::SetLineSize(int nSize) {
  auto* s = dynamic_cast<wxSlider*>(GetWxWindow());
  if (!s) return 0;
  const int old = s->GetLineSize();
  s->SetLineSize(nSize);
  return old;
}
