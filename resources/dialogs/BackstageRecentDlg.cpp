// Dialog template of the backstage's Recent page: a title, a rule under it and the list of
// recently used documents filling the rest.
#include <afxwin.h>

#include "../resource.h"

namespace {

using lwmfc::DialogItemTemplate;
const DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_RECENT_SEPARATOR, L"", 7, 26, 420, 2, SS_LEFT},
    {lwmfc::dlgStatic, IDC_RECENT_TITLE, L"Recent Documents", 7, 7, 300, 16, SS_LEFT},
    {lwmfc::dlgListBox, IDC_RECENT_FILE_LIST, L"", 7, 32, 420, 210, LBS_NOTIFY | LBS_HASSTRINGS | WS_TABSTOP},
};

const lwmfc::DialogTemplate kRecent = {L"Recent", 434, 250, L"MS Shell Dlg", 8, kRows,
                                       static_cast<int>(sizeof kRows / sizeof kRows[0])};

struct Registrar {
  Registrar() { lwmfc::RegisterDialogTemplate(IDD_BACKSTAGE_RECENT, &kRecent); }
} g_registrar;

}  // namespace
