// Dialog template of the new-document dialog ("New Document"): paper size from the presets or
// custom, unit, and the number of pages.
#include <afxwin.h>

#include "../resource.h"

namespace {

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_STATIC, L"Paper Size:", 7, 7, 100, 9, SS_LEFT},
    {lwmfc::dlgButton, IDC_RADIO_BUILTIN, L"Built in:", 14, 20, 90, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_RADIO_CUSTOM, L"Custom:", 134, 20, 90, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgListBox, IDC_LIST_PRESETS, L"", 14, 34, 106, 64, LBS_NOTIFY | LBS_HASSTRINGS | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_RADIO_PORTRAIT, L"Portrait", 14, 102, 50, 10, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_RADIO_LANDSCAPE, L"Landscape", 66, 102, 56, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgStatic, IDC_STATIC, L"Width:", 134, 37, 36, 9, SS_LEFT},
    {lwmfc::dlgEdit, IDC_EDIT_WIDTH, L"", 172, 34, 52, 14, ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgUpDown, IDC_SPIN_WIDTH, L"", 225, 34, 10, 14, UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_ARROWKEYS},
    {lwmfc::dlgStatic, IDC_STATIC, L"Height:", 134, 57, 36, 9, SS_LEFT},
    {lwmfc::dlgEdit, IDC_EDIT_HEIGHT, L"", 172, 54, 52, 14, ES_AUTOHSCROLL | WS_TABSTOP},
    {lwmfc::dlgUpDown, IDC_SPIN_HEIGHT, L"", 225, 54, 10, 14, UDS_AUTOBUDDY | UDS_ALIGNRIGHT | UDS_ARROWKEYS},
    {lwmfc::dlgStatic, IDC_STATIC, L"Units:", 134, 77, 36, 9, SS_LEFT},
    {lwmfc::dlgComboBox, IDC_COMBO_UNITS, L"", 172, 74, 63, 60, CBS_DROPDOWNLIST | WS_TABSTOP,
     L"inches\ncm\nmm\npoints"},
    {lwmfc::dlgStatic, IDC_STATIC, L"Number of pages:", 7, 124, 80, 9, SS_LEFT},
    {lwmfc::dlgEdit, IDC_EDIT_PAGECOUNT, L"", 90, 121, 40, 14, ES_AUTOHSCROLL | ES_NUMBER | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgUpDown, IDC_SPIN_PAGECOUNT, L"", 131, 121, 10, 14,
     UDS_AUTOBUDDY | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS},
    {lwmfc::dlgButton, IDOK, L"OK", 131, 146, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDCANCEL, L"Cancel", 185, 146, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
};

const lwmfc::DialogTemplate kNewDocument = {L"New Document", 242, 167, L"MS Shell Dlg", 8, kRows,
                                            static_cast<int>(sizeof kRows / sizeof kRows[0])};

struct Registrar {
  Registrar() {
    lwmfc::RegisterDialogTemplate(IDD_NEWPDF_DLG, &kNewDocument);
    lwmfc::RegisterDialogTemplate(L"New Document", &kNewDocument);
  }
} g_registrar;

}  // namespace
