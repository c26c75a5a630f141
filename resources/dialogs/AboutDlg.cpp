// Dialog template of the About dialog ("About Norvane Leafwright"): product, maker and version,
// the licence and where the source code is, and the credits of the command icons, each with a
// link to its page.
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
    {lwmfc::dlgStatic, IDC_STATIC_PRODUCT, L"Norvane Leafwright", 10, 10, 260, 10, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_VERSION, L"Version " LW_WIDEN(LEAFWRIGHT_VERSION), 10, 22, 260, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_MAKER, L"Norvane", 10, 34, 260, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_LICENCE,
     L"Leafwright is free software under the GNU Affero General Public License,\n"
     L"version 3 or later (it links MuPDF, which is AGPL-3.0). Its source code is\n"
     L"the repository it is built from; README.md there tells how to build it.",
     10, 50, 270, 28, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Licence:", 10, 82, 50, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_HOMEPAGE, L"https://www.gnu.org/licenses/agpl-3.0.html", 62, 82, 218, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC_CREDITS,
     L"The command icons are from the Breeze icon theme by the KDE Visual Design\n"
     L"Group, licensed under the GNU Lesser General Public License, version 3 or later.",
     10, 98, 270, 19, SS_LEFT},
    {lwmfc::dlgStatic, IDC_STATIC, L"Icons:", 10, 120, 50, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_SALES, L"https://invent.kde.org/frameworks/breeze-icons", 62, 120, 218, 9, SS_LEFT},
    // No mail addresses are given: these two links stay hidden.
    {lwmfc::dlgStatic, IDC_LINK_SUPPORT, L" ", 10, 134, 1, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_LINK_AUTHOR, L" ", 10, 134, 1, 9, SS_LEFT},
    {lwmfc::dlgButton, IDOK, L"OK", 230, 136, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
};

const lwmfc::DialogTemplate kAbout = {L"About Norvane Leafwright", 290, 158, L"MS Shell Dlg", 8, kRows,
                                      static_cast<int>(sizeof kRows / sizeof kRows[0])};

struct Registrar {
  Registrar() { lwmfc::RegisterDialogTemplate(IDD_ABOUTBOX, &kAbout); }
} g_registrar;

}  // namespace
