// Dialog data exchange: members to controls and back, with the framework's messages when a
// text is not a number or a value is out of range; string resources for the message boxes.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cwchar>
#include <cwctype>

#include <wx/textctrl.h>

#include "dialog_internal.h"

namespace {

CString Trimmed(const CString& s) {
  CString t(s);
  t.Trim();
  return t;
}

bool ParseReal(const CString& text, double& value) {
  const CString s = Trimmed(text);
  if (s.IsEmpty()) return false;
  errno = 0;
  wchar_t* end = nullptr;
  const double v = std::wcstod(s, &end);
  if (!end || *end || errno == ERANGE || !std::isfinite(v)) return false;
  value = v;
  return true;
}

CString Text(CDataExchange* pDX, int nIDC) {
  CString s;
  if (CWnd* p = pDX->PrepareEditCtrl(nIDC)) p->GetWindowText(s);
  return s;
}

void SetText(CDataExchange* pDX, int nIDC, const CString& s) {
  if (CWnd* p = pDX->PrepareEditCtrl(nIDC)) p->SetWindowText(s);
}

[[noreturn]] void FailWith(CDataExchange* pDX, UINT nIDPrompt) {
  AfxMessageBox(nIDPrompt, MB_ICONEXCLAMATION);
  pDX->Fail();
}

template <class T>
void IntegerText(CDataExchange* pDX, int nIDC, T& value, bool bSigned) {
  if (pDX->m_bSaveAndValidate) {
    long long v = 0;
    if (!lwmfc::ParseInteger(Text(pDX, nIDC), bSigned, v)) FailWith(pDX, bSigned ? AFX_IDP_PARSE_INT : AFX_IDP_PARSE_UINT);
    value = static_cast<T>(v);
  } else {
    CString s;
    if (bSigned) s.Format(L"%lld", static_cast<long long>(value));
    else s.Format(L"%llu", static_cast<unsigned long long>(value));
    SetText(pDX, nIDC, s);
  }
}

// Formats as the framework does: the shortest of %g with the type's precision.
CString RealText(double v, int digits) {
  CString s;
  s.Format(L"%.*g", digits, v);
  return s;
}

[[noreturn]] void RangeFail(CDataExchange* pDX, UINT nIDS, const CString& lo, const CString& hi) {
  CString prompt;
  AfxFormatString2(prompt, nIDS, lo, hi);
  AfxMessageBox(prompt, MB_ICONEXCLAMATION);
  pDX->Fail();
}

// The radio buttons of the group that starts at nIDC, in order.
std::vector<CButton*> RadioGroup(CDataExchange* pDX, int nIDC) {
  std::vector<CButton*> out;
  CDialog* pDlg = dynamic_cast<CDialog*>(pDX->m_pDlgWnd);
  if (!pDlg) return out;
  const auto& items = pDlg->GetItems();
  size_t i = 0;
  while (i < items.size() && items[i]->row->nID != nIDC) ++i;
  for (size_t k = i; k < items.size(); ++k) {
    const lwmfc::DialogItemTemplate& row = *items[k]->row;
    if (k > i && (row.style & WS_GROUP)) break;
    const DWORD type = row.style & BS_TYPEMASK;
    if (row.kind == lwmfc::dlgButton && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON) && items[k]->Wnd())
      out.push_back(static_cast<CButton*>(items[k]->Wnd()));
  }
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

void AfxFormatString2(CString& rString, UINT nIDS, const wchar_t* lpsz1, const wchar_t* lpsz2) {
  CString pattern;
  if (!pattern.LoadString(nIDS)) {
    rString.Empty();
    return;
  }
  CString out;
  for (int i = 0; i < pattern.GetLength(); ++i) {
    const wchar_t c = pattern[i];
    if (c == L'%' && i + 1 < pattern.GetLength() && (pattern[i + 1] == L'1' || pattern[i + 1] == L'2')) {
      const wchar_t* arg = pattern[i + 1] == L'1' ? lpsz1 : lpsz2;
      if (arg) out += arg;
      ++i;
    } else {
      out += c;
    }
  }
  rString = out;
}

void AfxFormatString1(CString& rString, UINT nIDS, const wchar_t* lpsz1) {
  AfxFormatString2(rString, nIDS, lpsz1, nullptr);
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
  CString text;
  text.LoadString(nIDPrompt);
  return AfxMessageBox(text, nType, nIDHelp == static_cast<UINT>(-1) ? nIDPrompt : nIDHelp);
}

// ---------------------------------------------------------------------------------------------

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

CWnd* CDataExchange::PrepareCtrl(int nIDC) {
  m_idLastControl = nIDC;
  m_bEditLastControl = FALSE;
  return m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
}

CWnd* CDataExchange::PrepareEditCtrl(int nIDC) {
  CWnd* p = PrepareCtrl(nIDC);
  m_bEditLastControl = TRUE;
  return p;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_pDlgWnd && m_idLastControl)
    if (CWnd* p = m_pDlgWnd->GetDlgItem(m_idLastControl)) {
      p->SetFocus();
      if (m_bEditLastControl)
        if (auto* t = dynamic_cast<wxTextCtrl*>(p->GetWxWindow())) t->SelectAll();
    }
  throw lwmfc::DataExchangeFailure{};
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  pDX->PrepareCtrl(nIDC);
  if (!rControl.SubclassDlgItem(static_cast<UINT>(nIDC), pDX->m_pDlgWnd)) AfxThrowNotSupportedException();
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  if (pDX->m_bSaveAndValidate) value = Text(pDX, nIDC);
  else SetText(pDX, nIDC, value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) { IntegerText(pDX, nIDC, value, true); }
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) { IntegerText(pDX, nIDC, value, false); }
void DDX_Text(CDataExchange* pDX, int nIDC, long& value) { IntegerText(pDX, nIDC, value, true); }
void DDX_Text(CDataExchange* pDX, int nIDC, unsigned long& value) { IntegerText(pDX, nIDC, value, false); }

void DDX_Text(CDataExchange* pDX, int nIDC, float& value) {
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!ParseReal(Text(pDX, nIDC), v) || std::fabs(v) > FLT_MAX) FailWith(pDX, AFX_IDP_PARSE_REAL);
    value = static_cast<float>(v);
  } else {
    SetText(pDX, nIDC, RealText(value, FLT_DIG));
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value) {
  if (pDX->m_bSaveAndValidate) {
    double v = 0;
    if (!ParseReal(Text(pDX, nIDC), v)) FailWith(pDX, AFX_IDP_PARSE_REAL);
    value = v;
  } else {
    SetText(pDX, nIDC, RealText(value, DBL_DIG));
  }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
  pDX->PrepareCtrl(nIDC);
  const std::vector<CButton*> group = RadioGroup(pDX, nIDC);
  if (pDX->m_bSaveAndValidate) {
    value = -1;
    for (size_t i = 0; i < group.size(); ++i)
      if (group[i]->GetCheck() == BST_CHECKED) {
        value = static_cast<int>(i);
        break;
      }
  } else {
    // Checked first, then the others cleared: -1 (or any value outside the group) leaves none
    // checked.
    for (size_t i = 0; i < group.size(); ++i)
      if (static_cast<int>(i) == value) group[i]->SetCheck(BST_CHECKED);
    for (size_t i = 0; i < group.size(); ++i)
      if (static_cast<int>(i) != value) group[i]->SetCheck(BST_UNCHECKED);
  }
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  CButton* b = static_cast<CButton*>(pDX->PrepareCtrl(nIDC));
  if (!b) return;
  if (pDX->m_bSaveAndValidate) value = b->GetCheck();
  else b->SetCheck(value);
}

void DDX_CBIndex(CDataExchange* pDX, int nIDC, int& index) {
  CComboBox* c = static_cast<CComboBox*>(pDX->PrepareCtrl(nIDC));
  if (!c) return;
  if (pDX->m_bSaveAndValidate) index = c->GetCurSel();
  else c->SetCurSel(index);
}

void DDX_LBIndex(CDataExchange* pDX, int nIDC, int& index) {
  CListBox* c = static_cast<CListBox*>(pDX->PrepareCtrl(nIDC));
  if (!c) return;
  if (pDX->m_bSaveAndValidate) index = c->GetCurSel();
  else c->SetCurSel(index);
}

void DDV_MinMaxInt(CDataExchange* pDX, int value, int minVal, int maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString lo, hi;
  lo.Format(L"%d", minVal);
  hi.Format(L"%d", maxVal);
  RangeFail(pDX, AFX_IDP_PARSE_INT_RANGE, lo, hi);
}

void DDV_MinMaxUInt(CDataExchange* pDX, UINT value, UINT minVal, UINT maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  CString lo, hi;
  lo.Format(L"%u", minVal);
  hi.Format(L"%u", maxVal);
  RangeFail(pDX, AFX_IDP_PARSE_INT_RANGE, lo, hi);
}

void DDV_MinMaxFloat(CDataExchange* pDX, float value, float minVal, float maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  RangeFail(pDX, AFX_IDP_PARSE_REAL_RANGE, RealText(minVal, FLT_DIG), RealText(maxVal, FLT_DIG));
}

void DDV_MinMaxDouble(CDataExchange* pDX, double value, double minVal, double maxVal) {
  if (!pDX->m_bSaveAndValidate || (value >= minVal && value <= maxVal)) return;
  RangeFail(pDX, AFX_IDP_PARSE_REAL_RANGE, RealText(minVal, DBL_DIG), RealText(maxVal, DBL_DIG));
}

void DDV_MaxChars(CDataExchange* pDX, const CString& value, int nChars) {
  if (!pDX->m_bSaveAndValidate) {
    if (CWnd* p = pDX->m_pDlgWnd ? pDX->m_pDlgWnd->GetDlgItem(pDX->m_idLastControl) : nullptr)
      if (auto* t = dynamic_cast<wxTextCtrl*>(p->GetWxWindow())) t->SetMaxLength(static_cast<unsigned long>(nChars));
    return;
  }
  if (value.GetLength() <= nChars) return;
  CString n, prompt;
  n.Format(L"%d", nChars);
  AfxFormatString1(prompt, AFX_IDP_PARSE_STRING_SIZE, n);
  AfxMessageBox(prompt, MB_ICONEXCLAMATION);
  pDX->Fail();
}
