#include "PrinterPropertiesDlg.h"

#include <string>

#include <AppPrinter.h>

namespace {

enum { IDC_PAPER = 1001, IDC_PORTRAIT = 1002, IDC_LANDSCAPE = 1003, IDC_RESOLUTION = 1004 };
const int kResolutions[] = {150, 300, 600};

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kItems[] = {
    {lwmfc::dlgStatic, -1, L"Paper:", 7, 9, 50, 10, SS_LEFT},
    {lwmfc::dlgComboBox, IDC_PAPER, L"", 60, 7, 120, 100, WS_TABSTOP | CBS_DROPDOWNLIST},
    {lwmfc::dlgStatic, -1, L"Orientation:", 7, 28, 50, 10, SS_LEFT},
    {lwmfc::dlgButton, IDC_PORTRAIT, L"Portrait", 60, 27, 55, 12, WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON},
    {lwmfc::dlgButton, IDC_LANDSCAPE, L"Landscape", 120, 27, 60, 12, BS_AUTORADIOBUTTON},
    {lwmfc::dlgStatic, -1, L"Resolution:", 7, 47, 50, 10, SS_LEFT},
    {lwmfc::dlgComboBox, IDC_RESOLUTION, L"", 60, 45, 120, 100, WS_TABSTOP | WS_GROUP | CBS_DROPDOWNLIST,
     L"150 dpi\n300 dpi\n600 dpi"},
    {lwmfc::dlgButton, IDOK, L"OK", 74, 68, 50, 14, WS_TABSTOP | BS_DEFPUSHBUTTON},
    {lwmfc::dlgButton, IDCANCEL, L"Cancel", 130, 68, 50, 14, WS_TABSTOP | BS_PUSHBUTTON},
};
const lwmfc::DialogTemplate kTemplate = {L"Printer Properties", 187, 89, L"MS Shell Dlg", 8, kItems,
                                         static_cast<int>(sizeof kItems / sizeof kItems[0])};
const bool kRegistered = lwmfc::RegisterDialogTemplate(CPrinterPropertiesDlg::IDD, &kTemplate);

}  // namespace

CPrinterPropertiesDlg::CPrinterPropertiesDlg(const DEVMODEW& dm, CWnd* pParent) : CDialog(IDD, pParent), m_dm(dm) {
  (void)kRegistered;
}

BOOL CPrinterPropertiesDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (auto* paper = static_cast<CComboBox*>(GetDlgItem(IDC_PAPER))) {
    for (const PaperChoice& p : PaperChoices()) paper->AddString(p.name);
    paper->SetCurSel(FindPaperChoice(m_dm));
  }
  CheckRadioButton(IDC_PORTRAIT, IDC_LANDSCAPE, m_dm.dmOrientation == DMORIENT_LANDSCAPE ? IDC_LANDSCAPE : IDC_PORTRAIT);
  if (auto* res = static_cast<CComboBox*>(GetDlgItem(IDC_RESOLUTION))) {
    int sel = 1;
    for (int i = 0; i < 3; ++i)
      if (kResolutions[i] == m_dm.dmPrintQuality) sel = i;
    res->SetCurSel(sel);
  }
  return TRUE;
}

void CPrinterPropertiesDlg::OnOK() {
  auto* paper = static_cast<CComboBox*>(GetDlgItem(IDC_PAPER));
  auto* res = static_cast<CComboBox*>(GetDlgItem(IDC_RESOLUTION));
  const int r = res ? res->GetCurSel() : -1;
  ApplyPrinterChoice(m_dm, paper ? paper->GetCurSel() : -1, IsDlgButtonChecked(IDC_LANDSCAPE) == BST_CHECKED,
                     r >= 0 && r < 3 ? kResolutions[r] : 0);
  CDialog::OnOK();
}
