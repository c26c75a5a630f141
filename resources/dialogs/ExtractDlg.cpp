// Dialog template of the extract dialog ("Extract Pages"): the current page(s), a from-to span,
// or a page-range text.
#include <afxwin.h>

#include "../resource.h"

namespace {

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_STATIC, L"Page range:", 7, 7, 100, 9, SS_LEFT},
    {lwmfc::dlgButton, IDC_RADIO_CURRENT_PAGES, L"Current Page(s)", 14, 20, 120, 10,
     BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDC_RADIO_FROM_TO, L"From ", 14, 36, 34, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgEdit, IDC_EDIT_FROM_PAGE, L"", 50, 34, 34, 14, ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgStatic, IDC_STATIC, L"To", 90, 37, 14, 9, SS_LEFT},
    {lwmfc::dlgEdit, IDC_EDIT_TO_PAGE, L"", 106, 34, 34, 14, ES_AUTOHSCROLL | WS_TABSTOP},
    {lwmfc::dlgStatic, IDC_STATIC_PAGE_COUNT, L"of", 146, 37, 60, 9, SS_LEFT},
    {lwmfc::dlgButton, IDC_RADIO_PAGE_RANGE, L"Page range", 14, 54, 120, 10, BS_AUTORADIOBUTTON},
    {lwmfc::dlgEdit, IDC_EDIT_PAGE_RANGE, L"", 26, 67, 180, 14, ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgStatic, IDC_STATIC, L"(eg: 1, 4,5, 7-12, 16,19)", 26, 84, 180, 9, SS_LEFT},
    {lwmfc::dlgButton, IDOK, L"OK", 102, 102, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
    {lwmfc::dlgButton, IDCANCEL, L"Cancel", 156, 102, 50, 14, BS_PUSHBUTTON | WS_TABSTOP},
};

const lwmfc::DialogTemplate kExtract = {L"Extract Pages", 214, 123, L"MS Shell Dlg", 8, kRows,
                                        static_cast<int>(sizeof kRows / sizeof kRows[0])};

struct Registrar {
  Registrar() {
    lwmfc::RegisterDialogTemplate(IDD_EXTRACT_PAGES, &kExtract);
    lwmfc::RegisterDialogTemplate(L"Extract Pages", &kExtract);
  }
} g_registrar;

}  // namespace
