// Dialogs made from dialog-template tables: the native controls of the rows, dialog units,
// control notifications to the parent's message map, modal and modeless running.
#include <dlfcn.h>

#include <algorithm>
#include <cmath>

#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/settings.h>
#include <wx/slider.h>
#include <wx/spinbutt.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>
#include <wx/weakref.h>

#include <afxdlgs.h>

#include "dialog_internal.h"
#include "updown.h"
#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CDialog, CWnd)
IMPLEMENT_DYNAMIC(CDialogEx, CDialog)

namespace {

lwmfc::PFN_MODALDIALOGHOOK g_modalHook = nullptr;

// The desktop's controls are taller than Windows' ones for the same font: vertical dialog
// units are stretched by this much.
constexpr double kHeightFactor = 1.22;

// The framework's own strings (messages of the data exchange, titles of the file dialogs).
const lw::StringTableEntry kFrameworkStrings[] = {
    {AFX_IDP_PARSE_INT, L"Please enter an integer."},
    {AFX_IDP_PARSE_REAL, L"Please enter a number."},
    {AFX_IDP_PARSE_INT_RANGE, L"Please enter an integer between %1 and %2."},
    {AFX_IDP_PARSE_REAL_RANGE, L"Please enter a number between %1 and %2."},
    {AFX_IDP_PARSE_STRING_SIZE, L"Please enter no more than %1 characters."},
    {AFX_IDP_PARSE_UINT, L"Please enter a positive integer."},
    {AFX_IDS_OPENFILE, L"Open"},
    {AFX_IDS_SAVEFILE, L"Save As"},
    {AFX_IDS_SAVEFILECOPY, L"Save As"},
};
struct FrameworkStrings {
  FrameworkStrings() { lw::RegisterStringTable(kFrameworkStrings, static_cast<int>(std::size(kFrameworkStrings))); }
} g_frameworkStrings;

int WxIdOf(int nID) {
  if (nID == IDOK) return wxID_OK;
  if (nID == IDCANCEL) return wxID_CANCEL;
  if (nID <= 0 || nID >= 32767) return wxID_ANY;
  if (nID >= wxID_LOWEST && nID <= wxID_HIGHEST) return wxID_ANY;
  return nID;
}

// The desktop theme draws the texts of disabled controls and of selected list items too faintly
// for reading (about 3:1). Dialogs carry a style class of their own, and one style sheet for that
// class gives them darker disabled texts and a darker selection. The GTK calls are looked up at
// run time: without them (another toolkit port) nothing changes.
constexpr char kDialogStyleClass[] = "lw-dialog";
constexpr char kDialogCss[] =
    ".lw-dialog *:disabled, .lw-dialog *:disabled label, .lw-dialog *:disabled cellview {"
    " color: #545454; }\n"
    ".lw-dialog *:selected, .lw-dialog row:selected, .lw-dialog row:selected label, .lw-dialog selection {"
    " background-color: #1d5ba8; color: #ffffff; }\n";

void StyleDialogWindow(wxWindow* w) {
  using PFN_GETCTX = void* (*)(void*);
  using PFN_ADDCLASS = void (*)(void*, const char*);
  using PFN_NEWPROV = void* (*)();
  using PFN_LOAD = int (*)(void*, const char*, long, void**);
  using PFN_SCREEN = void* (*)();
  using PFN_ADDPROV = void (*)(void*, void*, unsigned);
  static auto getCtx = reinterpret_cast<PFN_GETCTX>(dlsym(RTLD_DEFAULT, "gtk_widget_get_style_context"));
  static auto addClass = reinterpret_cast<PFN_ADDCLASS>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_class"));
  static bool provided = [] {
    auto newProv = reinterpret_cast<PFN_NEWPROV>(dlsym(RTLD_DEFAULT, "gtk_css_provider_new"));
    auto load = reinterpret_cast<PFN_LOAD>(dlsym(RTLD_DEFAULT, "gtk_css_provider_load_from_data"));
    auto screen = reinterpret_cast<PFN_SCREEN>(dlsym(RTLD_DEFAULT, "gdk_screen_get_default"));
    auto addProv = reinterpret_cast<PFN_ADDPROV>(dlsym(RTLD_DEFAULT, "gtk_style_context_add_provider_for_screen"));
    if (!newProv || !load || !screen || !addProv || !screen()) return false;
    void* provider = newProv();
    if (!provider || !load(provider, kDialogCss, -1, nullptr)) return false;
    addProv(screen(), provider, 600 /* application priority */);
    return true;
  }();
  if (!provided || !getCtx || !addClass || !w->GetHandle()) return;
  if (void* ctx = getCtx(w->GetHandle())) addClass(ctx, kDialogStyleClass);
}

// Splits "a\nb\nc" into items.
wxArrayString InitItems(const wchar_t* p) {
  wxArrayString items;
  if (!p) return items;
  wxString cur;
  for (; *p; ++p) {
    if (*p == L'\n') {
      items.Add(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  if (!cur.empty()) items.Add(cur);
  return items;
}

// Dialog-unit conversion of one dialog (base units from its font).
struct DluScale {
  double x = 1.5, y = 2.0;
  explicit DluScale(wxWindow* w) {
    // A hundred units each way, for the fractions.
    const wxSize hundred = w->ConvertDialogToPixels(wxSize(100, 100));
    if (hundred.x > 0) x = hundred.x / 100.0;
    if (hundred.y > 0) y = hundred.y / 100.0 * kHeightFactor;
  }
  int X(int dlu) const { return static_cast<int>(std::lround(dlu * x)); }
  int Y(int dlu) const { return static_cast<int>(std::lround(dlu * y)); }
};

wxWindow* MakeControl(wxWindow* parent, const lwmfc::DialogItemTemplate& row, bool startsRadioGroup,
                      const DluScale& dlu) {
  const wxPoint pos(dlu.X(row.x), dlu.Y(row.y));
  const wxSize size(std::max(1, dlu.X(row.cx)), std::max(1, dlu.Y(row.cy)));
  const wxString text = row.lpszText ? wxString(row.lpszText) : wxString();
  const int id = WxIdOf(row.nID);
  const DWORD style = row.style;
  switch (row.kind) {
    case lwmfc::dlgButton:
      switch (style & BS_TYPEMASK) {
        case BS_CHECKBOX:
        case BS_AUTOCHECKBOX:
          return new wxCheckBox(parent, id, text, pos, size);
        case BS_RADIOBUTTON:
        case BS_AUTORADIOBUTTON: {
          auto* r = new wxRadioButton(parent, id, text, pos, size, startsRadioGroup ? wxRB_GROUP : 0);
          if (startsRadioGroup) {
            // The desktop always keeps one button of a group checked. A hidden member made right
            // after the first one holds the check when none of the visible ones has it, as a
            // group starts out in a dialog.
            auto* none = new wxRadioButton(parent, wxID_ANY, wxString(), pos, wxSize(1, 1), 0, wxDefaultValidator,
                                           lwmfc::kNoneRadioName);
            none->Hide();
            none->SetValue(true);
          }
          return r;
        }
        case BS_GROUPBOX:
          return new wxStaticBox(parent, id, text, pos, size);
        default: {
          auto* b = new wxButton(parent, id, text, pos, size);
          if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) b->SetDefault();
          return b;
        }
      }
    case lwmfc::dlgEdit: {
      long s = 0;
      if (style & ES_MULTILINE) s |= wxTE_MULTILINE;
      if (style & ES_READONLY) s |= wxTE_READONLY;
      if (style & ES_PASSWORD) s |= wxTE_PASSWORD;
      if ((style & 3) == ES_RIGHT) s |= wxTE_RIGHT;
      if ((style & 3) == ES_CENTER) s |= wxTE_CENTRE;
      auto* t = new wxTextCtrl(parent, id, text, pos, size, s);
      if (style & ES_NUMBER) t->SetValidator(wxTextValidator(wxFILTER_DIGITS));
      return t;
    }
    case lwmfc::dlgStatic: {
      long s = wxST_NO_AUTORESIZE;
      if ((style & 3) == SS_RIGHT) s |= wxALIGN_RIGHT;
      if ((style & 3) == SS_CENTER) s |= wxALIGN_CENTRE_HORIZONTAL;
      return new wxStaticText(parent, id, text, pos, size, s);
    }
    case lwmfc::dlgListBox:
      return new wxListBox(parent, id, pos, size, InitItems(row.lpszInit),
                           wxLB_SINGLE | ((style & LBS_SORT) ? wxLB_SORT : 0));
    case lwmfc::dlgComboBox: {
      const long sort = (style & CBS_SORT) ? wxCB_SORT : 0;
      // The template's height includes the drop-down list; the control is one line.
      const wxSize line(size.x, wxDefaultCoord);
      if (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE))
        return lwmfc::MakeOwnerDrawnCombo(parent, id, text, pos, line, InitItems(row.lpszInit), style);
      if ((style & 3) == CBS_DROPDOWNLIST) return new wxChoice(parent, id, pos, line, InitItems(row.lpszInit), sort);
      return new wxComboBox(parent, id, text, pos, line, InitItems(row.lpszInit), sort | wxCB_DROPDOWN);
    }
    case lwmfc::dlgUpDown: {
      auto* s = new LwUpDown(parent, id, pos, size, wxSP_VERTICAL | wxSP_ARROW_KEYS);
      s->SetRange(0, 100);
      return s;
    }
    case lwmfc::dlgSlider:
      return new wxSlider(parent, id, 0, 0, 100, pos, size, (style & TBS_VERT) ? wxSL_VERTICAL : wxSL_HORIZONTAL);
  }
  return nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

namespace lwmfc {

// The object a created control gets until a member takes it over: of the control's own class, so
// that the usual `static_cast<CButton*>(GetDlgItem(id))` reaches a real CButton.
std::unique_ptr<CWnd> MakeControlObject(DialogItemKind kind) {
  switch (kind) {
    case dlgButton: return std::make_unique<CButton>();
    case dlgEdit: return std::make_unique<CEdit>();
    case dlgStatic: return std::make_unique<CStatic>();
    case dlgListBox: return std::make_unique<CListBox>();
    case dlgComboBox: return std::make_unique<CComboBox>();
    case dlgUpDown: return std::make_unique<CSpinButtonCtrl>();
    case dlgSlider: return std::make_unique<CSliderCtrl>();
  }
  return std::make_unique<CWnd>();
}

CWnd* DialogItemState::Wnd() const { return member ? member : temp.get(); }

bool RegisterDialogTemplate(UINT nIDTemplate, const DialogTemplate* pTemplate) {
  return pTemplate && lw::RegisterResource(RT_DIALOG, MAKEINTRESOURCEW(nIDTemplate), pTemplate, sizeof *pTemplate);
}

bool RegisterDialogTemplate(const wchar_t* lpszName, const DialogTemplate* pTemplate) {
  return pTemplate && lpszName && lw::RegisterResource(RT_DIALOG, lpszName, pTemplate, sizeof *pTemplate);
}

const DialogTemplate* FindDialogTemplate(const wchar_t* lpszTemplateName) {
  if (!lpszTemplateName) return nullptr;
  HRSRC h = FindResourceW(nullptr, lpszTemplateName, RT_DIALOG);
  if (!h || SizeofResource(nullptr, h) != sizeof(DialogTemplate)) return nullptr;
  return static_cast<const DialogTemplate*>(LockResource(LoadResource(nullptr, h)));
}

void SetModalDialogHook(PFN_MODALDIALOGHOOK pfn) { g_modalHook = pfn; }
PFN_MODALDIALOGHOOK GetModalDialogHook() { return g_modalHook; }


}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------
// CDialog

BEGIN_MESSAGE_MAP(CDialog, CWnd)
  ON_WM_CLOSE()
  ON_COMMAND(IDOK, &CDialog::OnOKButton)
  ON_COMMAND(IDCANCEL, &CDialog::OnCancelButton)
  ON_MESSAGE(WM_INITDIALOG, &CDialog::OnInitDialogMessage)
END_MESSAGE_MAP()

CDialog::CDialog() = default;

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {
  m_lpszTemplateName = MAKEINTRESOURCEW(nIDTemplate);
  m_nIDHelp = nIDTemplate;
}

CDialog::CDialog(const wchar_t* lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd) {
  if (IS_INTRESOURCE(lpszTemplateName)) m_nIDTemplate = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpszTemplateName));
}

CDialog::~CDialog() {
  // A dialog still up goes with its object; the members bound to its controls let them go first.
  if (m_hWnd) DestroyWindow();
  ReleaseItems();
}

void CDialog::ReleaseItems() {
  for (lwmfc::DialogItemState* it : m_items) delete it;
  m_items.clear();
}

void CDialog::ResolveTemplate() {
  if (!m_pTemplate && m_lpszTemplateName) m_pTemplate = lwmfc::FindDialogTemplate(m_lpszTemplateName);
}

lwmfc::DialogItemState* CDialog::FindItem(int nID) const {
  for (lwmfc::DialogItemState* it : m_items)
    if (it->row->nID == nID && it->wx) return it;
  return nullptr;
}

lwmfc::DialogItemState* CDialog::FindItem(const CWnd* pWnd) const {
  if (!pWnd) return nullptr;
  for (lwmfc::DialogItemState* it : m_items)
    if (it->Wnd() == pWnd) return it;
  return nullptr;
}

void CDialog::MapDialogRect(LPRECT lpRect) const {
  if (!lpRect || !GetWxWindow()) return;
  const DluScale dlu(GetWxWindow());
  lpRect->left = dlu.X(lpRect->left);
  lpRect->right = dlu.X(lpRect->right);
  lpRect->top = dlu.Y(lpRect->top);
  lpRect->bottom = dlu.Y(lpRect->bottom);
}

BOOL CDialog::CreateChildIn(wxWindow* pParent) {
  m_pChildParent = pParent;
  const BOOL ok = pParent ? CreateFromTemplate(nullptr, TRUE) : FALSE;
  m_pChildParent = nullptr;
  return ok;
}

BOOL CDialog::CreateFromTemplate(CWnd* pParentWnd, BOOL bChild) {
  if (m_hWnd) return FALSE;
  ResolveTemplate();
  if (!m_pTemplate || !wxTheApp) return FALSE;
  const lwmfc::DialogTemplate& tpl = *m_pTemplate;
  wxWindow* parent = pParentWnd ? pParentWnd->GetWxWindow() : m_pChildParent;
  if (!bChild && !parent)
    if (CWnd* pMain = AfxGetMainWnd()) parent = pMain->GetWxWindow();
  if (bChild && !parent) return FALSE;
  if (!bChild && parent) parent = wxGetTopLevelParent(parent);

  wxWindow* w = nullptr;
  if (bChild) {
    w = new wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
  } else {
    w = new wxDialog(parent, wxID_ANY, tpl.lpszCaption ? wxString(tpl.lpszCaption) : wxString(), wxDefaultPosition,
                     wxDefaultSize, wxDEFAULT_DIALOG_STYLE);
  }
  StyleDialogWindow(w);
  if (!AdoptWx(w, bChild ? m_nIDTemplate : 0)) {
    w->Destroy();
    return FALSE;
  }
  GetState()->created = true;

  // The controls, in the order of the rows (which is the tab order).
  ReleaseItems();
  const DluScale dlu(w);
  bool groupHasRadio = false;
  for (int i = 0; i < tpl.nItems; ++i) {
    const lwmfc::DialogItemTemplate& row = tpl.pItems[i];
    if (row.style & WS_GROUP) groupHasRadio = false;
    const bool isRadio = row.kind == lwmfc::dlgButton && ((row.style & BS_TYPEMASK) == BS_AUTORADIOBUTTON ||
                                                          (row.style & BS_TYPEMASK) == BS_RADIOBUTTON);
    wxWindow* ctrl = MakeControl(w, row, isRadio && !groupHasRadio, dlu);
    if (isRadio) groupHasRadio = true;
    auto* item = new lwmfc::DialogItemState;
    item->row = &row;
    item->wx = ctrl;
    item->owner = this;
    m_items.push_back(item);
    if (!ctrl) continue;
    if (row.style & WS_DISABLED) ctrl->Enable(false);
    item->temp = lwmfc::MakeControlObject(row.kind);
    item->temp->AdoptWx(ctrl, static_cast<UINT>(row.nID));
    if (row.kind == lwmfc::dlgUpDown && (row.style & UDS_AUTOBUDDY) && i > 0 && m_items[i - 1]->wx) {
      item->buddy = m_items[i - 1]->wx;
      lwmfc::SetSpinBuddy(ctrl, item->buddy, (row.style & UDS_SETBUDDYINT) != 0);
    }
  }
  if (!bChild) {
    static_cast<wxDialog*>(w)->SetClientSize(dlu.X(tpl.cx), dlu.Y(tpl.cy));
    static_cast<wxDialog*>(w)->CentreOnParent();
  } else {
    w->SetSize(dlu.X(tpl.cx), dlu.Y(tpl.cy));
  }
  lwmfc::BindDialogEvents(this, w);
  SendMessage(WM_INITDIALOG, 0, 0);
  return m_hWnd != nullptr;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd* pParentWnd) {
  m_nIDTemplate = nIDTemplate;
  m_lpszTemplateName = MAKEINTRESOURCEW(nIDTemplate);
  m_pTemplate = nullptr;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return CreateFromTemplate(m_pParentWnd, FALSE);
}

BOOL CDialog::Create(const wchar_t* lpszTemplateName, CWnd* pParentWnd) {
  m_lpszTemplateName = lpszTemplateName;
  m_pTemplate = nullptr;
  if (pParentWnd) m_pParentWnd = pParentWnd;
  return CreateFromTemplate(m_pParentWnd, FALSE);
}

INT_PTR CDialog::DoModal() {
  m_nModalResult = -1;
  m_bModal = TRUE;  // EndDialog from OnInitDialog ends the dialog before it shows
  m_bEndedEarly = FALSE;
  m_bEndCalled = FALSE;
  if (!CreateFromTemplate(m_pParentWnd, FALSE)) {
    m_bModal = FALSE;
    return -1;
  }
  auto* dlg = static_cast<wxDialog*>(GetWxWindow());
  if (!m_bEndedEarly) {
    if (lwmfc::PFN_MODALDIALOGHOOK hook = g_modalHook) {
      const HWND h = m_hWnd;
      wxTheApp->CallAfter([h, hook] {
        if (CDialog* p = dynamic_cast<CDialog*>(CWnd::FromHandle(h)))
          if (p->IsModal()) hook(p);
      });
    }
    dlg->ShowModal();
  }
  m_bModal = FALSE;
  const int result = m_nModalResult;
  DestroyWindow();
  lwwnd::RepaintShownFrames();
  return result;
}

void CDialog::EndDialog(int nResult) {
  m_nModalResult = nResult;
  wxWindow* w = GetWxWindow();
  if (m_bModal) {
    m_bEndCalled = TRUE;
    auto* dlg = dynamic_cast<wxDialog*>(w);
    if (dlg && dlg->IsModal()) dlg->EndModal(nResult);
    else m_bEndedEarly = TRUE;
  } else if (w) {
    w->Hide();
  }
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::OnClose() { SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

LRESULT CDialog::OnInitDialogMessage(WPARAM, LPARAM) {
  const BOOL bFocus = OnInitDialog();
  if (bFocus)
    for (lwmfc::DialogItemState* it : m_items)
      if (it->wx && (it->row->style & WS_TABSTOP) && it->wx->IsEnabled() && it->wx->AcceptsFocus()) {
        it->wx->SetFocus();
        break;
      }
  return bFocus;
}

void CDialog::PostNcDestroy() {
  // The controls went with the window; the members bound to them are let go.
  for (lwmfc::DialogItemState* it : m_items) {
    it->wx = nullptr;
    it->member = nullptr;
  }
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  if (!m_hWnd) return FALSE;
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const lwmfc::DataExchangeFailure&) {
    return FALSE;
  }
  return TRUE;
}

void CDialog::CheckDlgButton(int nIDButton, UINT nCheck) {
  if (CButton* b = dynamic_cast<CButton*>(GetDlgItem(nIDButton))) b->SetCheck(static_cast<int>(nCheck));
}

UINT CDialog::IsDlgButtonChecked(int nIDButton) const {
  CButton* b = dynamic_cast<CButton*>(GetDlgItem(nIDButton));
  return b ? static_cast<UINT>(b->GetCheck()) : 0;
}

void CDialog::CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  for (lwmfc::DialogItemState* it : m_items) {
    const int id = it->row->nID;
    if (id < nIDFirstButton || id > nIDLastButton) continue;
    // Controls of other kinds inside the id range are left alone, as on Windows.
    if (auto* b = dynamic_cast<CButton*>(it->Wnd())) b->SetCheck(id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED);
  }
}

int CDialog::GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const {
  for (lwmfc::DialogItemState* it : m_items) {
    const int id = it->row->nID;
    if (id < nIDFirstButton || id > nIDLastButton) continue;
    if (auto* b = dynamic_cast<CButton*>(it->Wnd()); b && b->GetCheck()) return id;
  }
  return 0;
}

void CDialog::SetDlgItemText(int nID, const wchar_t* lpszString) {
  if (CWnd* p = GetDlgItem(nID)) p->SetWindowText(lpszString);
}

int CDialog::GetDlgItemText(int nID, CString& rString) const {
  rString.Empty();
  if (CWnd* p = GetDlgItem(nID)) p->GetWindowText(rString);
  return rString.GetLength();
}

void CDialog::SetDlgItemInt(int nID, UINT nValue, BOOL bSigned) {
  CString s;
  if (bSigned) s.Format(L"%d", static_cast<int>(nValue));
  else s.Format(L"%u", nValue);
  SetDlgItemText(nID, s);
}

UINT CDialog::GetDlgItemInt(int nID, BOOL* lpTrans, BOOL bSigned) const {
  CString s;
  GetDlgItemText(nID, s);
  long long v = 0;
  const bool ok = lwmfc::ParseInteger(s, bSigned != FALSE, v);
  if (lpTrans) *lpTrans = ok;
  return ok ? static_cast<UINT>(v) : 0;
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
  if (!pWndCtrl) return;
  pWndCtrl->SetFocus();
  if (auto* t = dynamic_cast<wxTextCtrl*>(pWndCtrl->GetWxWindow())) t->SelectAll();
}

void CDialog::SetDefID(UINT nID) {
  m_nDefID = nID;
  if (lwmfc::DialogItemState* it = FindItem(static_cast<int>(nID)))
    if (auto* b = dynamic_cast<wxButton*>(it->wx)) b->SetDefault();
}

DWORD CDialog::GetDefID() const { return MAKELONG(m_nDefID, 0x534B); }

// ---------------------------------------------------------------------------------------------
// Taking over a control

BOOL CWnd::SubclassDlgItem(UINT nID, CWnd* pParent) {
  if (m_hWnd || !pParent) return FALSE;
  CDialog* pDlg = dynamic_cast<CDialog*>(pParent);
  lwmfc::DialogItemState* it = pDlg ? pDlg->FindItem(static_cast<int>(nID)) : nullptr;
  if (it) {
    if (it->member == this) return TRUE;
    if (it->member) return FALSE;
    wxWindow* w = it->wx;
    it->temp.reset();  // lets the window go (its own events stop reaching the temporary object)
    if (!AdoptWx(w, nID)) return FALSE;
    it->member = this;
    PreSubclassWindow();
    it->wx = GetWxWindow();  // a control class may have put a window of its own in its place
    return TRUE;
  }
  // A control of another kind of window: its CWnd lets it go.
  CWnd* pOld = pParent->GetDlgItem(static_cast<int>(nID));
  if (!pOld) return FALSE;
  wxWindow* w = pOld->Detach();
  if (!AdoptWx(w, nID)) return FALSE;
  PreSubclassWindow();
  return TRUE;
}
