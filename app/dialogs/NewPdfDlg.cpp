// The new-document dialog.
#include "NewPdfDlg.h"

#include <cfloat>

IMPLEMENT_DYNAMIC(CNewPdfDlg, CDialog)

using Vectorloom::CUnitConv;

const CNewPdfDlg::Preset CNewPdfDlg::kPresets[6] = {
    {L"A3", 11.5f, 16.5f},          {L"A4", 8.25f, 11.5f},   {L"Envelope #10", 4.12f, 9.5f},
    {L"Envelope DL", 8.67f, 4.33f}, {L"Legal", 8.5f, 14.0f}, {L"US Letter", 8.5f, 11.0f},
};

const int CNewPdfDlg::kUnitOfIndex[4] = {Vectorloom::UNIT_INCH, Vectorloom::UNIT_CENTIMETER,
                                         Vectorloom::UNIT_MILLIMETER, Vectorloom::UNIT_POINT};

BEGIN_MESSAGE_MAP(CNewPdfDlg, CDialog)
  ON_LBN_SELCHANGE(IDC_LIST_PRESETS, &CNewPdfDlg::OnPresetChanged)
  ON_BN_CLICKED(IDC_RADIO_PORTRAIT, &CNewPdfDlg::OnPresetChanged)
  ON_BN_CLICKED(IDC_RADIO_LANDSCAPE, &CNewPdfDlg::OnPresetChanged)
  ON_BN_CLICKED(IDC_RADIO_BUILTIN, &CNewPdfDlg::OnBuiltIn)
  ON_BN_CLICKED(IDC_RADIO_CUSTOM, &CNewPdfDlg::OnCustom)
  ON_CBN_SELCHANGE(IDC_COMBO_UNITS, &CNewPdfDlg::OnUnitChanged)
END_MESSAGE_MAP()

CNewPdfDlg::CNewPdfDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

double CNewPdfDlg::MaxPageSize(int eUnit) {
  return CUnitConv::ConvertValue(kMaxPageInches, Vectorloom::UNIT_INCH, eUnit);
}

void CNewPdfDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_LIST_PRESETS, m_listPresets);
  DDX_Control(pDX, IDC_COMBO_UNITS, m_comboUnits);
  DDX_Control(pDX, IDC_EDIT_WIDTH, m_editWidth);
  DDX_Control(pDX, IDC_SPIN_WIDTH, m_spinWidth);
  DDX_Control(pDX, IDC_EDIT_HEIGHT, m_editHeight);
  DDX_Control(pDX, IDC_SPIN_HEIGHT, m_spinHeight);
  DDX_Control(pDX, IDC_SPIN_PAGECOUNT, m_spinPages);
  DDX_Text(pDX, IDC_EDIT_PAGECOUNT, m_nPageCount);
  DDV_MinMaxUInt(pDX, m_nPageCount, 1, 3000);
}

BOOL CNewPdfDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  for (const Preset& p : kPresets) m_listPresets.AddString(p.lpszName);
  m_listPresets.SetCurSel(kDefaultPreset);
  CheckRadioButton(IDC_RADIO_BUILTIN, IDC_RADIO_CUSTOM, IDC_RADIO_BUILTIN);
  CheckRadioButton(IDC_RADIO_PORTRAIT, IDC_RADIO_LANDSCAPE, IDC_RADIO_PORTRAIT);
  EnableCustom(FALSE);
  m_comboUnits.SelectString(-1, L"Inch");  // the item "inches", found without regard to case
  ApplyPreset();
  SetSizeRanges();
  m_spinWidth.SetDelta(1.0);
  m_spinHeight.SetDelta(1.0);
  m_spinPages.SetRange32(1, 3000);
  m_spinPages.SetPos32(static_cast<int>(m_nPageCount));
  return TRUE;
}

void CNewPdfDlg::SetSizeRanges() {
  const double upper = MaxPageSize(m_eUnit);
  m_editWidth.SetRange(kMinPageSize, upper);
  m_editHeight.SetRange(kMinPageSize, upper);
  m_spinWidth.SetRange(kMinPageSize, upper);
  m_spinHeight.SetRange(kMinPageSize, upper);
}

void CNewPdfDlg::EnableCustom(BOOL bCustom) {
  for (CWnd* p : {static_cast<CWnd*>(&m_editWidth), static_cast<CWnd*>(&m_editHeight), static_cast<CWnd*>(&m_spinWidth),
                  static_cast<CWnd*>(&m_spinHeight), static_cast<CWnd*>(&m_comboUnits)})
    p->EnableWindow(bCustom);
  for (int id : {IDC_LIST_PRESETS, IDC_RADIO_PORTRAIT, IDC_RADIO_LANDSCAPE})
    if (CWnd* p = GetDlgItem(id)) p->EnableWindow(!bCustom);
}

void CNewPdfDlg::ApplyPreset() {
  const int sel = m_listPresets.GetCurSel();
  if (sel < 0 || sel >= static_cast<int>(std::size(kPresets))) return;
  double w = kPresets[sel].fWidth, h = kPresets[sel].fHeight;
  if (IsDlgButtonChecked(IDC_RADIO_LANDSCAPE)) std::swap(w, h);
  m_editWidth.SetValue(CUnitConv::ConvertValue(w, Vectorloom::UNIT_INCH, m_eUnit));
  m_editHeight.SetValue(CUnitConv::ConvertValue(h, Vectorloom::UNIT_INCH, m_eUnit));
}

void CNewPdfDlg::OnPresetChanged() { ApplyPreset(); }

void CNewPdfDlg::OnBuiltIn() {
  EnableCustom(FALSE);
  ApplyPreset();
}

void CNewPdfDlg::OnCustom() { EnableCustom(TRUE); }

void CNewPdfDlg::OnUnitChanged() {
  const int sel = m_comboUnits.GetCurSel();
  if (sel < 0 || sel >= static_cast<int>(std::size(kUnitOfIndex))) return;
  const int unit = kUnitOfIndex[sel];
  if (unit == m_eUnit) return;
  const double w = CUnitConv::ConvertValue(m_editWidth.GetValue(), m_eUnit, unit);
  const double h = CUnitConv::ConvertValue(m_editHeight.GetValue(), m_eUnit, unit);
  m_eUnit = unit;
  SetSizeRanges();
  m_editWidth.SetValue(w);
  m_editHeight.SetValue(h);
}

BOOL CNewPdfDlg::CheckSizeEdit(CQorFloatNumEdit& edit) {
  if (edit.IsTextInRange()) return TRUE;
  double lo = 0, hi = 0;
  edit.GetRange(lo, hi);
  CString prompt;
  AfxFormatString2(prompt, AFX_IDP_PARSE_REAL_RANGE, CQorFloatNumEdit::FormatValue(lo),
                   CQorFloatNumEdit::FormatValue(hi));
  AfxMessageBox(prompt, MB_ICONEXCLAMATION);
  GotoDlgCtrl(&edit);
  return FALSE;
}

void CNewPdfDlg::OnOK() {
  // A size typed and taken with Enter has not been put right by its edit yet.
  if (!CheckSizeEdit(m_editWidth) || !CheckSizeEdit(m_editHeight)) return;
  m_fWidth = m_editWidth.GetValue();
  m_fHeight = m_editHeight.GetValue();
  CDialog::OnOK();
}
