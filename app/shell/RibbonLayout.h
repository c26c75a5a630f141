// The ribbon of the main window as data: its tabs, groups and controls in order, the quick access
// bar, the tab row, the backstage commands, which commands have large icons, and where each
// command is answered. CMainFrame builds the toolkit's ribbon from these tables; tests read them.
#pragma once

#include <afxwin.h>

#include <vector>

// The kinds of ribbon controls the program places.
enum class RibbonKind {
  Button,         // a command
  SplitButton,    // a command with a drop-down list of further controls
  DropDown,       // a button that only opens its list
  MenuButton,     // a button with a drop-down menu (its own command stays a command)
  ColorDropDown,  // a colour split button: toolkit button 9948, a colour gallery, "More ... Colors"
  ComboGallery,   // a combo box whose drop-down is a gallery
  SpinEdit,       // an edit with spin buttons and a label
  Label,          // text only (id 0)
  CheckBox,
  Gallery,        // a gallery in a drop-down list
  ScrollBar,
};

struct RibbonItem {
  RibbonKind kind = RibbonKind::Button;
  UINT id = 0;
  const wchar_t* text = nullptr;     // a label's text (labels have no string-table entry)
  int width = 0;                     // combo boxes, spin edits and scroll bars
  int pos = 0;                       // a scroll bar's position
  const wchar_t* keyTip = nullptr;   // key tip letters, where given
  std::vector<RibbonItem> list;      // a drop-down's list, in order
};

struct RibbonGroupSpec {
  UINT id = 0;
  UINT optionId = 0;  // the group's option button (0: none)
  std::vector<RibbonItem> items;
};

struct RibbonTabSpec {
  UINT id = 0;
  std::vector<RibbonGroupSpec> groups;
};

// Home, Edit and View.
const std::vector<RibbonTabSpec>& RibbonTabs();
// The quick access bar, left to right.
const std::vector<UINT>& RibbonQuickAccess();
// The backstage view's commands before and after its tabs.
const std::vector<UINT>& BackstageCommandsBeforeTabs();
const std::vector<UINT>& BackstageCommandsAfterTabs();
// The Style drop-down on the tab row (the three themes) and the zoom lists.
struct RibbonMenuEntry {
  UINT id;
  const wchar_t* text;
};
const std::vector<RibbonMenuEntry>& StyleMenu();
const std::vector<RibbonMenuEntry>& ZoomInMenu();
const std::vector<RibbonMenuEntry>& ZoomOutMenu();
const std::vector<RibbonMenuEntry>& StampMenu();
// Commands drawn with 32-pixel icons as large buttons.
const std::vector<UINT>& RibbonLargeIcons();

// Who answers a command.
enum class CommandTarget {
  Frame,
  App,
  Document,
  View,
  NoHandler,  // nothing in the program answers it; it shows disabled
};

// Where a command goes and whether its handler exists yet. A command whose handler is still to
// be written ("awaiting") is disabled by the frame's update rule while nothing answers it; the
// reason says what it waits for.
struct CommandRoute {
  UINT id;
  CommandTarget target;
  const wchar_t* awaiting;  // null when the handler is built
};
const std::vector<CommandRoute>& RibbonCommandRoutes();
// The route of an id; null for an id the table does not hold.
const CommandRoute* FindCommandRoute(UINT nId);

// Every command id the tables place (tabs, their lists, quick access, tab row, backstage), each
// once, in order of first appearance; labels (id 0) left out.
std::vector<UINT> RibbonCommandIds();

// The string-table entry of a ribbon id ("description\ncaption", "description\ncaption\nlabel"
// for edits, "\ncaption" for tabs and groups); false for an id without one.
bool LoadRibbonString(UINT nId, CString& strEntry);
