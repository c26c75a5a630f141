// Pop-up menus: the items live here; TrackPopupMenu builds a toolkit menu from them each time.
#include <vector>

#include <wx/menu.h>
#include <wx/window.h>

#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CMenu, CObject)

struct CMenuItem {
  UINT nID = 0;
  UINT nFlags = 0;
  CString strText;
};

namespace {

struct MenuData {
  std::vector<CMenuItem> items;
};

MenuData* Data(HMENU h) { return reinterpret_cast<MenuData*>(h); }

// The update-handler state of one menu item, written straight into the item.
class CMenuItemCmdUI : public CCmdUI {
 public:
  explicit CMenuItemCmdUI(CMenuItem* pItem) : m_pItem(pItem) {}
  void Enable(BOOL bOn) override {
    CCmdUI::Enable(bOn);
    m_pItem->nFlags = bOn ? (m_pItem->nFlags & ~(MF_GRAYED | MF_DISABLED)) : (m_pItem->nFlags | MF_GRAYED);
  }
  void SetCheck(int nCheck) override {
    CCmdUI::SetCheck(nCheck);
    m_pItem->nFlags = nCheck ? (m_pItem->nFlags | MF_CHECKED) : (m_pItem->nFlags & ~MF_CHECKED);
  }
  void SetText(const wchar_t* lpszText) override {
    CCmdUI::SetText(lpszText);
    m_pItem->strText = lpszText;
  }

 private:
  CMenuItem* m_pItem;
};

// Windows menu texts mark the mnemonic with '&' as wx does; a tab separates the accelerator.
wxString MenuLabel(const CString& s) { return wxString(static_cast<const wchar_t*>(s)); }

}  // namespace

CMenu::CMenu() : m_hMenu(nullptr) {}

CMenu::~CMenu() { DestroyMenu(); }

BOOL CMenu::CreatePopupMenu() {
  if (m_hMenu) return FALSE;
  m_hMenu = reinterpret_cast<HMENU>(new MenuData);
  return TRUE;
}

BOOL CMenu::DestroyMenu() {
  if (!m_hMenu) return FALSE;
  delete Data(m_hMenu);
  m_hMenu = nullptr;
  return TRUE;
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem) {
  if (!m_hMenu) return FALSE;
  CMenuItem item;
  item.nFlags = nFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR);
  item.nID = (nFlags & MF_SEPARATOR) ? 0 : static_cast<UINT>(nIDNewItem);
  item.strText = lpszNewItem;
  Data(m_hMenu)->items.push_back(item);
  return TRUE;
}

UINT CMenu::GetMenuItemCount() const { return m_hMenu ? static_cast<UINT>(Data(m_hMenu)->items.size()) : 0; }

UINT CMenu::GetMenuItemID(int nPos) const {
  if (!m_hMenu || nPos < 0 || static_cast<size_t>(nPos) >= Data(m_hMenu)->items.size()) return static_cast<UINT>(-1);
  return Data(m_hMenu)->items[static_cast<size_t>(nPos)].nID;
}

CMenuItem* CMenu::Find(UINT nID, UINT nFlags) const {
  if (!m_hMenu) return nullptr;
  auto& items = Data(m_hMenu)->items;
  if (nFlags & MF_BYPOSITION) return nID < items.size() ? &items[nID] : nullptr;
  for (CMenuItem& item : items)
    if (!(item.nFlags & MF_SEPARATOR) && item.nID == nID) return &item;
  return nullptr;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
  CMenuItem* item = Find(nIDEnableItem, nEnable);
  if (!item) return static_cast<UINT>(-1);
  const UINT previous = item->nFlags & (MF_GRAYED | MF_DISABLED);
  item->nFlags = (item->nFlags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
  return previous;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
  CMenuItem* item = Find(nIDCheckItem, nCheck);
  if (!item) return static_cast<UINT>(-1);
  const UINT previous = item->nFlags & MF_CHECKED;
  item->nFlags = (item->nFlags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
  return previous;
}

UINT CMenu::GetMenuState(UINT nID, UINT nFlags) const {
  CMenuItem* item = Find(nID, nFlags);
  return item ? item->nFlags : static_cast<UINT>(-1);
}

BOOL CMenu::ModifyMenuText(UINT nPos, const wchar_t* lpszNewItem) {
  CMenuItem* item = Find(nPos, MF_BYPOSITION);
  if (!item || (item->nFlags & MF_SEPARATOR)) return FALSE;
  item->strText = lpszNewItem;
  return TRUE;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  CMenuItem* item = Find(nIDItem, nFlags);
  rString = item ? item->strText : CString();
  return rString.GetLength();
}

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT) {
  if (!m_hMenu || !pWnd || !pWnd->GetWxWindow()) return FALSE;
  CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(pWnd);
  if (!pFrame) pFrame = pWnd->GetParentFrame();
  if (pFrame && !(nFlags & TPM_NONOTIFY)) pFrame->OnInitMenuPopup(this, 0, FALSE);

  // The toolkit takes menu ids below 0x7FFF only, and command ids go up to 0xFFFF: items get
  // their position + 1 as toolkit id.
  wxMenu menu;
  const std::vector<CMenuItem>& items = Data(m_hMenu)->items;
  for (size_t i = 0; i < items.size(); ++i) {
    const CMenuItem& item = items[i];
    if (item.nFlags & MF_SEPARATOR) {
      menu.AppendSeparator();
      continue;
    }
    const int id = static_cast<int>(i + 1);
    wxMenuItem* mi = (item.nFlags & MF_CHECKED) ? menu.AppendCheckItem(id, MenuLabel(item.strText))
                                                : menu.Append(id, MenuLabel(item.strText));
    if (item.nFlags & MF_CHECKED) mi->Check(true);
    if (item.nFlags & (MF_GRAYED | MF_DISABLED)) mi->Enable(false);
  }
  const HWND hWnd = pWnd->m_hWnd;
  POINT pt{x, y};
  pWnd->ScreenToClient(&pt);
  const int picked = pWnd->GetWxWindow()->GetPopupMenuSelectionFromUser(menu, pt.x, pt.y);
  if (!m_hMenu || picked <= 0 || static_cast<size_t>(picked) > Data(m_hMenu)->items.size()) return 0;
  const int chosen = static_cast<int>(Data(m_hMenu)->items[static_cast<size_t>(picked - 1)].nID);
  if (chosen <= 0) return 0;
  if (nFlags & TPM_RETURNCMD) return chosen;
  // As on Windows the command arrives after the menu has gone.
  if (!::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(static_cast<UINT>(chosen), 0), 0))
    if (CWnd* p = CWnd::FromHandle(hWnd)) p->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(chosen), 0), 0);
  return TRUE;
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
  if (bSysMenu || !pPopupMenu) return;
  const UINT count = pPopupMenu->GetMenuItemCount();
  for (UINT i = 0; i < count; ++i) {
    CMenuItem* item = nullptr;
    const UINT nID = pPopupMenu->GetMenuItemID(static_cast<int>(i));
    if (nID == 0 || nID == static_cast<UINT>(-1)) continue;
    // Positions stay valid: the pass changes items, never adds or removes them.
    item = &Data(pPopupMenu->m_hMenu)->items[i];
    CMenuItemCmdUI state(item);
    state.m_nID = nID;
    state.m_nIndex = i;
    state.m_nIndexMax = count;
    state.m_pMenu = pPopupMenu;
    state.DoUpdate(this, TRUE);
  }
}
