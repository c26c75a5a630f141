// The one-value edit dialog and its template.
#include "EditParam1Dlg.h"

#include <algorithm>

IMPLEMENT_DYNAMIC(CEditParam1Dlg, CDialogEx)
IMPLEMENT_DYNAMIC(CEditParam1DlgEx, CEditParam1Dlg)

namespace {

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_EDITPARAM1_LABEL, L"", 7, 10, 70, 9, SS_RIGHT},
    {lwmfc::dlgEdit, IDC_EDITPARAM1_VALUE, L"", 82, 7, 40, 14, ES_AUTOHSCROLL | WS_TABSTOP | WS_GROUP},
    {lwmfc::dlgUpDown, IDC_EDITPARAM1_SPIN, L"", 123, 7, 10, 14, UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT},
    {lwmfc::dlgStatic, IDC_EDITPARAM1_UNIT, L"", 137, 10, 30, 9, SS_LEFT},
    {lwmfc::dlgSlider, IDC_EDITPARAM1_SLIDER, L"", 7, 27, 160, 16, TBS_HORZ | TBS_NOTICKS | WS_TABSTOP | WS_GROUP},
    {lwmfc::dlgButton, IDOK, L"OK", 63, 50, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP},
    {lwmfc::dlgButton, IDCANCEL, L"Cancel", 117, 50, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
};
const lwmfc::DialogTemplate kTemplate = {L"", 174, 71, L"MS Shell Dlg", 8, kRows, int(std::size(kRows))};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_EDITPARAM1, &kTemplate);

}  // namespace

BEGIN_MESSAGE_MAP(CEditParam1Dlg, CDialogEx)
  ON_EN_CHANGE(IDC_EDITPARAM1_VALUE, &CEditParam1Dlg::OnValueEdited)
  ON_WM_HSCROLL()
  ON_WM_VSCROLL()
END_MESSAGE_MAP()

CEditParam1Dlg::CEditParam1Dlg(const wchar_t* lpszCaption, const wchar_t* lpszLabel, const wchar_t* lpszUnit,
                               int nUpper, int nLower, int nValue, CWnd* pParent)
    : CDialogEx(IDD_EDITPARAM1, pParent),
      m_strCaption(lpszCaption),
      m_strLabel(lpszLabel),
      m_strUnit(lpszUnit),
      m_nUpper(std::max(nUpper, nLower)),
      m_nLower(std::min(nUpper, nLower)) {
  (void)kRegistered;
  m_nValue = std::clamp(nValue, m_nLower, m_nUpper);
}

void CEditParam1Dlg::DoDataExchange(CDataExchange* pDX) {
  DDX_Control(pDX, IDC_EDITPARAM1_SLIDER, m_slider);
  DDX_Control(pDX, IDC_EDITPARAM1_SPIN, m_spin);
  DDX_Text(pDX, IDC_EDITPARAM1_VALUE, m_nValue);
  DDV_MinMaxInt(pDX, m_nValue, m_nLower, m_nUpper);
}

BOOL CEditParam1Dlg::OnInitDialog() {
  SetWindowText(m_strCaption);
  SetDlgItemText(IDC_EDITPARAM1_LABEL, m_strLabel);
  SetDlgItemText(IDC_EDITPARAM1_UNIT, m_strUnit);
  m_bSyncing = TRUE;
  CDialogEx::OnInitDialog();
  m_slider.SetRange(m_nLower, m_nUpper);
  m_slider.SetPos(m_nValue);
  m_spin.SetRange32(m_nLower, m_nUpper);
  m_spin.SetPos32(m_nValue);
  m_bSyncing = FALSE;
  return TRUE;
}

void CEditParam1Dlg::ValueChanged(int) {}

void CEditParam1Dlg::Take(int nValue, int nFromID) {
  if (m_bSyncing || nValue < m_nLower || nValue > m_nUpper) return;
  m_bSyncing = TRUE;
  if (nFromID != IDC_EDITPARAM1_VALUE) SetDlgItemInt(IDC_EDITPARAM1_VALUE, static_cast<UINT>(nValue));
  if (nFromID != IDC_EDITPARAM1_SLIDER) m_slider.SetPos(nValue);
  if (nFromID != IDC_EDITPARAM1_SPIN) m_spin.SetPos32(nValue);
  m_bSyncing = FALSE;
  if (nValue == m_nValue) return;
  m_nValue = nValue;
  ValueChanged(nValue);
}

void CEditParam1Dlg::OnValueEdited() {
  BOOL bOk = FALSE;
  const int v = static_cast<int>(GetDlgItemInt(IDC_EDITPARAM1_VALUE, &bOk, TRUE));
  if (bOk) Take(v, IDC_EDITPARAM1_VALUE);
}

void CEditParam1Dlg::OnHScroll(UINT, UINT, CScrollBar* pScrollBar) {
  if (reinterpret_cast<CWnd*>(pScrollBar) == &m_slider) Take(m_slider.GetPos(), IDC_EDITPARAM1_SLIDER);
}

void CEditParam1Dlg::OnVScroll(UINT, UINT, CScrollBar* pScrollBar) {
  if (reinterpret_cast<CWnd*>(pScrollBar) == &m_spin) Take(m_spin.GetPos32(), IDC_EDITPARAM1_SPIN);
}

void CEditParam1DlgEx::OnParamChanged(int) {}
