// Menus inside the window layer: the items behind an HMENU, the toolkit items that show them in
// a menu bar, and the update-handler state of one item.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include <afxwin.h>

class wxMenu;
class wxMenuItem;
struct FrameMenu;

// One item. What the toolkit item shows is remembered, so that state is pushed only on change.
struct CMenuItem {
  UINT nID = 0;
  UINT nFlags = 0;  // MF_GRAYED, MF_DISABLED, MF_CHECKED, MF_SEPARATOR, MF_POPUP
  CString strText;
  struct MenuData* pSub = nullptr;  // owned (MF_POPUP)
  struct MenuData* pMenu = nullptr; // the menu holding the item
  wxMenuItem* wx = nullptr;         // while shown in a menu bar
  bool wxCheckable = false;
  bool wxEnabled = true;
  bool wxChecked = false;
  CString wxText;
};

struct MenuData {
  uintptr_t handle = 0;         // the HMENU value
  std::vector<std::unique_ptr<CMenuItem>> items;
  MenuData* parent = nullptr;   // the menu this pop-up belongs to
  CMenu* owner = nullptr;       // the CMenu holding the handle (null when detached)
  std::unique_ptr<CMenu> temp;  // the object FromHandle hands out
  FrameMenu* frame = nullptr;   // the frame showing this menu as its bar (top menus only)
  int barPos = -1;              // a pop-up's place on the toolkit bar while shown there
  wxMenu* wx = nullptr;         // while shown in a menu bar
  bool bar = false;             // made by CreateMenu
};

namespace lwwnd {

// The menu behind a live handle; null for stale and foreign handles.
MenuData* MenuFromHandle(HMENU hMenu);
HMENU HandleOfMenu(MenuData* pMenu);
// The top menu of a pop-up.
MenuData* RootMenu(MenuData* pMenu);
// Frees a menu with its pop-ups (nothing of the toolkit is touched).
void FreeMenuTree(MenuData* pMenu);
// Takes a menu off the frame that shows it (the toolkit bar goes) and forgets the toolkit items.
void TakeMenuOffFrame(MenuData* pRoot);
// A structural change to a menu shown in a bar: the bar is built again.
void MenuStructureChanged(MenuData* pMenu);
// Pushes an item's state into its toolkit item when it differs from what that shows.
void PushMenuItem(CMenuItem* pItem);
// Counts the pushes into toolkit items (tests check that unchanged state is not pushed).
unsigned long MenuPushCount();

}  // namespace lwwnd

// The update-handler state of one menu item: written into the item and, when the item is shown
// in a menu bar, into its toolkit item (only on change).
class CMenuItemCmdUI : public CCmdUI {
 public:
  explicit CMenuItemCmdUI(CMenuItem* pItem) : m_pItem(pItem) {}
  void Enable(BOOL bOn = TRUE) override;
  void SetCheck(int nCheck = 1) override;
  void SetRadio(BOOL bOn = TRUE) override;
  void SetText(const wchar_t* lpszText) override;

 private:
  CMenuItem* m_pItem;
};
