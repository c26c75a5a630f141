// Dialog template of the About dialog ("About Norvane Leafwright"): product, maker and version,
// and the links to the home page and the sales, support and author mail addresses.
#include <afxwin.h>

#include "../resource.h"

#ifndef LEAFWRIGHT_VERSION
#define LEAFWRIGHT_VERSION "0.1"
#endif

namespace {

#define LW_WIDEN2(x) L##x
#define LW_WIDEN(x) LW_WIDEN2(x)

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_STATIC_PRODUCT, L"Norvane Leafwright", 10, 10, 200, 10, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_VERSION, L"Version " LW_WIDEN(LEAFWRIGHT_VERSION), 10, 22, 200, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_MAKER, L"Norvane", 10, 34, 200, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Home page:", 10, 52, 60, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_HOMEPAGE, L"https://leafwright.norvane.example/", 72, 52, 150, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Sales:", 10, 64, 60, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_SALES, L"sales@norvane.example", 72, 64, 150, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Support:", 10, 76, 60, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_SUPPORT, L"support@norvane.example", 72, 76, 150, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Author:", 10, 88, 60, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_AUTHOR, L"author@norvane.example", 72, 88, 150, 9, SS_LEFT},
    {lwmfc::dlgButton, IDOK, L"OK", 172, 106, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
};

const lwmfc::DialogTemplate kAbout = {L"About Norvane Leafwright", 232, 128, L"MS Shell Dlg", 8, kRows,
                                      static_cast<int>(sizeof kRows / sizeof kRows[0])};

struct Registrar {
  Registrar() { lwmfc::RegisterDialogTemplate(IDD_ABOUTBOX, &kAbout); }
} g_registrar;

}  // namespace
