// The program's string table, registered by (RT_STRING, id) when the program starts.
#include <windows.h>

#include "../resource.h"

namespace {

const lw::StringTableEntry kStrings[] = {
    {IDR_MAINFRAME,
     L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\nQor_LEAFWRIGHT.Document\n"
     L"Norvane_LEAFWRIGHT.Document"},
    {IDS_DELETE_SELECTED, L"Are you sure you want to delete the selected objects?"},
    {IDS_PASTE_FAILED, L"The objects on the clipboard could not be pasted."},
    {IDS_COPY_FAILED, L"The selected objects could not be put on the clipboard."},
    {IDS_LOCKED_MOVE, L"Your selected object is locked.\r\nIf you want to move it,please click \"\"Lock\"\" check button to unlock it firstly in Ribbon Bar."},
    {IDS_LOCKED_MOVE_ANCHOR, L"Your selected object is locked.\r\nIf you want to move its anchor,please click \"\"Lock\"\" check button to unlock it firstly in Ribbon Bar."},
    {IDS_LOCKED_ALIGN, L"Your selected object is locked.\r\nIf you want to move it,please click \"\"Lock\"\" check button to unlock it firstly in Ribbon Bar."},
    {IDS_ALREADY_FRONT, L"Your selected object(s) has/have been in front!"},
    {IDS_ALREADY_BACK, L"Your selected object(s) has/have been back!"},
    {IDS_LOCKED_RESIZE, L"Your selected object is locked.\r\nIf you want to resize it,please click \"\"Lock\"\" check button to unlock it firstly in Ribbon Bar."},
    {IDS_LOCKED_ROTATE, L"Your selected object is locked.\r\nIf you want to rotate it,please click \"\"Lock\"\" check button to unlock it firstly in Ribbon Bar."},
    {IDS_OBJNAME_TEXT, L"Text-%d"},
    {IDS_OBJNAME_IMAGE, L"Image-%d"},
    {IDS_OBJNAME_SHAPE, L"Shape-%d"},
    {IDS_OBJNAME_GROUP, L"Group-%d"},
    {ID_THEME_OFFICE2010_BLUE, L"Office 2010 Blue"},
    {ID_THEME_OFFICE2010_SILVER, L"Office 2010 Silver"},
    {ID_THEME_OFFICE2010_BLACK, L"Office 2010 Black"},
    {AFX_IDS_APP_TITLE, L"Norvane Leafwright"},
};

struct Registrar {
  Registrar() { lw::RegisterStringTable(kStrings, static_cast<int>(sizeof kStrings / sizeof kStrings[0])); }
} g_registrar;

}  // namespace
