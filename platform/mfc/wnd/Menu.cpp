// Menus: the items behind a menu handle, menu tables, pop-up menus shown with TrackPopupMenu, and
// the update pass over a menu's items. The menu bar of a frame is in MenuBar.cpp.
#include <map>
#include <unordered_map>
#include <vector>

#include <wx/menu.h>
#include <wx/window.h>

#include "menu_internal.h"
#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CMenu, CObject)

namespace {

// Live menus by handle value; values are never reused in a run, so a stale handle fails
// instead of reaching another menu (user-interface thread).
std::unordered_map<uintptr_t, MenuData*>& LiveMenus() {
  static auto* live = new std::unordered_map<uintptr_t, MenuData*>;
  return *live;
}
uintptr_t g_nextMenuHandle = 0x4D00;

struct MenuTable {
  const lwmfc::MenuTableItem* pItems;
  int nCount;
};
std::map<UINT, MenuTable>& MenuTables() {
  static auto* tables = new std::map<UINT, MenuTable>;
  return *tables;
}

MenuData* NewMenu(bool bar) {
  auto* m = new MenuData;
  m->bar = bar;
  m->handle = ++g_nextMenuHandle;
  LiveMenus()[m->handle] = m;
  return m;
}

// Frees a menu and its pop-ups; the toolkit's items are gone already or not made.
void FreeMenu(MenuData* m) {
  for (auto& item : m->items)
    if (item->pSub) FreeMenu(item->pSub);
  if (m->temp) m->temp->m_hMenu = nullptr;  // the handed-out object no longer holds it
  if (m->owner) m->owner->m_hMenu = nullptr;
  LiveMenus().erase(m->handle);
  delete m;
}

// The text a toolkit item shows: Windows and the toolkit both mark the mnemonic with '&'; the
// shortcut text after a tab is left out (the toolkit would take it as a key of its own).
wxString MenuLabel(const CString& s) {
  wxString label(static_cast<const wchar_t*>(s));
  const int tab = label.Find(L'\t');
  return tab == wxNOT_FOUND ? label : label.Left(static_cast<size_t>(tab));
}

// Builds the items of one table level starting at *pos; false when the table is malformed.
bool BuildFromTable(MenuData* m, const lwmfc::MenuTableItem* items, int count, int* pos, int depth) {
  if (depth > 16) return false;
  while (*pos < count) {
    const lwmfc::MenuTableItem& e = items[(*pos)++];
    auto item = std::make_unique<CMenuItem>();
    item->pMenu = m;
    item->nFlags = e.nFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP);
    item->strText = e.lpszText ? e.lpszText : L"";
    if (e.nFlags & MF_POPUP) {
      item->pSub = NewMenu(false);
      item->pSub->parent = m;
      if (*pos >= count) {
        m->items.push_back(std::move(item));
        return false;  // a pop-up without entries
      }
      CMenuItem* raw = item.get();
      m->items.push_back(std::move(item));
      if (!BuildFromTable(raw->pSub, items, count, pos, depth + 1)) return false;
    } else {
      item->nID = (e.nFlags & MF_SEPARATOR) ? 0 : e.nID;
      m->items.push_back(std::move(item));
    }
    if (e.nFlags & MF_END) return true;
  }
  return depth == 0;  // only the top level may end with the table
}

}  // namespace

namespace lwwnd {

MenuData* MenuFromHandle(HMENU hMenu) {
  auto it = LiveMenus().find(reinterpret_cast<uintptr_t>(hMenu));
  return it == LiveMenus().end() ? nullptr : it->second;
}

void FreeMenuTree(MenuData* pMenu) { FreeMenu(pMenu); }

HMENU HandleOfMenu(MenuData* pMenu) { return pMenu ? reinterpret_cast<HMENU>(pMenu->handle) : nullptr; }

MenuData* RootMenu(MenuData* pMenu) {
  while (pMenu && pMenu->parent) pMenu = pMenu->parent;
  return pMenu;
}

}  // namespace lwwnd

namespace lwmfc {

void RegisterMenuTable(UINT nIDResource, const MenuTableItem* pItems, int nCount) {
  if (!pItems || nCount <= 0) {
    MenuTables().erase(nIDResource);
    return;
  }
  MenuTables()[nIDResource] = MenuTable{pItems, nCount};
}

}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------

void CMenuItemCmdUI::Enable(BOOL bOn) {
  CCmdUI::Enable(bOn);
  m_pItem->nFlags = bOn ? (m_pItem->nFlags & ~(MF_GRAYED | MF_DISABLED)) : (m_pItem->nFlags | MF_GRAYED);
  lwwnd::PushMenuItem(m_pItem);
}

void CMenuItemCmdUI::SetCheck(int nCheck) {
  CCmdUI::SetCheck(nCheck);
  m_pItem->nFlags = nCheck ? (m_pItem->nFlags | MF_CHECKED) : (m_pItem->nFlags & ~MF_CHECKED);
  lwwnd::PushMenuItem(m_pItem);
}

// A radio mark shows as a check mark.
void CMenuItemCmdUI::SetRadio(BOOL bOn) { SetCheck(bOn ? 1 : 0); }

void CMenuItemCmdUI::SetText(const wchar_t* lpszText) {
  CCmdUI::SetText(lpszText);
  m_pItem->strText = lpszText ? lpszText : L"";
  lwwnd::PushMenuItem(m_pItem);
}

// ---------------------------------------------------------------------------------------------

CMenu::CMenu() : m_hMenu(nullptr) {}

CMenu::~CMenu() {
  if (!m_bTemporary) DestroyMenu();
}

BOOL CMenu::CreateMenu() {
  if (m_hMenu) return FALSE;
  MenuData* m = NewMenu(true);
  m->owner = this;
  m_hMenu = lwwnd::HandleOfMenu(m);
  return TRUE;
}

BOOL CMenu::CreatePopupMenu() {
  if (m_hMenu) return FALSE;
  MenuData* m = NewMenu(false);
  m->owner = this;
  m_hMenu = lwwnd::HandleOfMenu(m);
  return TRUE;
}

BOOL CMenu::LoadMenu(UINT nIDResource) {
  auto it = MenuTables().find(nIDResource);
  if (it == MenuTables().end()) return FALSE;
  return LoadMenuTable(it->second.pItems, it->second.nCount);
}

BOOL CMenu::LoadMenuTable(const lwmfc::MenuTableItem* pItems, int nCount) {
  if (m_hMenu || !pItems || nCount <= 0) return FALSE;
  MenuData* m = NewMenu(true);
  int pos = 0;
  if (!BuildFromTable(m, pItems, nCount, &pos, 0) || pos != nCount) {
    FreeMenu(m);
    return FALSE;
  }
  m->owner = this;
  m_hMenu = lwwnd::HandleOfMenu(m);
  return TRUE;
}

BOOL CMenu::DestroyMenu() {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m) {
    m_hMenu = nullptr;
    return FALSE;
  }
  if (m->parent) {
    // It belongs to a menu and goes with it; this object only lets it go.
    if (m->owner == this) m->owner = nullptr;
    m_hMenu = nullptr;
    return FALSE;
  }
  if (m->temp.get() == this) return FALSE;  // the menu's own object; it goes with the menu
  if (m->frame) lwwnd::TakeMenuOffFrame(m);
  m_hMenu = nullptr;
  FreeMenu(m);
  return TRUE;
}

BOOL CMenu::Attach(HMENU hMenu) {
  MenuData* m = lwwnd::MenuFromHandle(hMenu);
  if (m_hMenu || !m) return FALSE;
  m_hMenu = hMenu;
  if (!m->owner) m->owner = this;
  return TRUE;
}

HMENU CMenu::Detach() {
  HMENU h = m_hMenu;
  if (MenuData* m = lwwnd::MenuFromHandle(h))
    if (m->owner == this) m->owner = nullptr;
  m_hMenu = nullptr;
  return h;
}

CMenu* CMenu::FromHandle(HMENU hMenu) {
  MenuData* m = lwwnd::MenuFromHandle(hMenu);
  if (!m) return nullptr;
  if (m->owner) return m->owner;
  if (!m->temp) {
    m->temp = std::make_unique<CMenu>();
    m->temp->m_bTemporary = TRUE;
    m->temp->m_hMenu = hMenu;
  }
  return m->temp.get();
}

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const wchar_t* lpszNewItem) {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m) return FALSE;
  auto item = std::make_unique<CMenuItem>();
  item->pMenu = m;
  item->nFlags = nFlags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_SEPARATOR | MF_POPUP);
  item->strText = lpszNewItem;
  if (nFlags & MF_POPUP) {
    MenuData* sub = lwwnd::MenuFromHandle(reinterpret_cast<HMENU>(nIDNewItem));
    if (!sub || sub->parent || sub->frame || sub == m) return FALSE;
    for (MenuData* p = m; p; p = p->parent)
      if (p == sub) return FALSE;  // would make a cycle
    sub->parent = m;
    item->pSub = sub;
  } else {
    item->nID = (nFlags & MF_SEPARATOR) ? 0 : static_cast<UINT>(nIDNewItem);
  }
  m->items.push_back(std::move(item));
  lwwnd::MenuStructureChanged(m);
  return TRUE;
}

CMenu* CMenu::GetSubMenu(int nPos) const {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return nullptr;
  MenuData* sub = m->items[static_cast<size_t>(nPos)]->pSub;
  return sub ? FromHandle(lwwnd::HandleOfMenu(sub)) : nullptr;
}

UINT CMenu::GetMenuItemCount() const {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  return m ? static_cast<UINT>(m->items.size()) : 0;
}

UINT CMenu::GetMenuItemID(int nPos) const {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m || nPos < 0 || static_cast<size_t>(nPos) >= m->items.size()) return static_cast<UINT>(-1);
  const CMenuItem& item = *m->items[static_cast<size_t>(nPos)];
  return item.pSub ? static_cast<UINT>(-1) : item.nID;
}

CMenuItem* CMenu::Find(UINT nID, UINT nFlags) const {
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m) return nullptr;
  if (nFlags & MF_BYPOSITION) return nID < m->items.size() ? m->items[nID].get() : nullptr;
  // By command: this menu's items first, then its pop-ups', as Windows searches.
  for (auto& item : m->items)
    if (!item->pSub && !(item->nFlags & MF_SEPARATOR) && item->nID == nID) return item.get();
  for (auto& item : m->items) {
    if (!item->pSub) continue;
    CMenu* sub = FromHandle(lwwnd::HandleOfMenu(item->pSub));
    if (CMenuItem* found = sub ? sub->Find(nID, nFlags) : nullptr) return found;
  }
  return nullptr;
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
  CMenuItem* item = Find(nIDEnableItem, nEnable);
  if (!item) return static_cast<UINT>(-1);
  const UINT previous = item->nFlags & (MF_GRAYED | MF_DISABLED);
  item->nFlags = (item->nFlags & ~(MF_GRAYED | MF_DISABLED)) | (nEnable & (MF_GRAYED | MF_DISABLED));
  lwwnd::PushMenuItem(item);
  return previous;
}

UINT CMenu::CheckMenuItem(UINT nIDCheckItem, UINT nCheck) {
  CMenuItem* item = Find(nIDCheckItem, nCheck);
  if (!item) return static_cast<UINT>(-1);
  const UINT previous = item->nFlags & MF_CHECKED;
  item->nFlags = (item->nFlags & ~MF_CHECKED) | (nCheck & MF_CHECKED);
  lwwnd::PushMenuItem(item);
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
  lwwnd::PushMenuItem(item);
  return TRUE;
}

int CMenu::GetMenuString(UINT nIDItem, CString& rString, UINT nFlags) const {
  CMenuItem* item = Find(nIDItem, nFlags);
  rString = item ? item->strText : CString();
  return rString.GetLength();
}

namespace {

// Builds a toolkit pop-up menu from a menu; each item gets its position in `picks` + 1 as id
// (the toolkit takes ids below 0x7FFF only, and command ids go up to 0xFFFF).
void BuildPopup(wxMenu& menu, MenuData* m, std::vector<UINT>& picks, int depth) {
  for (auto& p : m->items) {
    const CMenuItem& item = *p;
    if (item.nFlags & MF_SEPARATOR) {
      menu.AppendSeparator();
      continue;
    }
    if (item.pSub) {
      auto* sub = new wxMenu;
      if (depth < 16) BuildPopup(*sub, item.pSub, picks, depth + 1);
      wxMenuItem* mi = menu.AppendSubMenu(sub, MenuLabel(item.strText));
      if (item.nFlags & (MF_GRAYED | MF_DISABLED)) mi->Enable(false);
      continue;
    }
    picks.push_back(item.nID);
    const int id = static_cast<int>(picks.size());
    wxMenuItem* mi = (item.nFlags & MF_CHECKED) ? menu.AppendCheckItem(id, MenuLabel(item.strText))
                                                : menu.Append(id, MenuLabel(item.strText));
    if (item.nFlags & MF_CHECKED) mi->Check(true);
    if (item.nFlags & (MF_GRAYED | MF_DISABLED)) mi->Enable(false);
  }
}

}  // namespace

BOOL CMenu::TrackPopupMenu(UINT nFlags, int x, int y, CWnd* pWnd, LPCRECT) {
  if (!lwwnd::MenuFromHandle(m_hMenu) || !pWnd || !pWnd->GetWxWindow()) return FALSE;
  CFrameWnd* pFrame = dynamic_cast<CFrameWnd*>(pWnd);
  if (!pFrame) pFrame = pWnd->GetParentFrame();
  if (pFrame && !(nFlags & TPM_NONOTIFY)) pFrame->OnInitMenuPopup(this, 0, FALSE);
  MenuData* m = lwwnd::MenuFromHandle(m_hMenu);
  if (!m) return FALSE;  // an update handler destroyed it

  wxMenu menu;
  std::vector<UINT> picks;
  BuildPopup(menu, m, picks, 0);
  const HWND hWnd = pWnd->m_hWnd;
  POINT pt{x, y};
  pWnd->ScreenToClient(&pt);
  const int picked = pWnd->GetWxWindow()->GetPopupMenuSelectionFromUser(menu, pt.x, pt.y);
  if (picked <= 0 || static_cast<size_t>(picked) > picks.size()) return 0;
  const UINT chosen = picks[static_cast<size_t>(picked - 1)];
  if (chosen == 0) return 0;
  if (nFlags & TPM_RETURNCMD) return static_cast<BOOL>(chosen);
  // As on Windows the command arrives after the menu has gone.
  if (!::PostMessageW(hWnd, WM_COMMAND, MAKEWPARAM(chosen, 0), 0))
    if (CWnd* p = CWnd::FromHandle(hWnd)) p->SendMessage(WM_COMMAND, MAKEWPARAM(chosen, 0), 0);
  return TRUE;
}

void CFrameWnd::OnInitMenuPopup(CMenu* pPopupMenu, UINT, BOOL bSysMenu) {
  if (bSysMenu || !pPopupMenu) return;
  MenuData* m = lwwnd::MenuFromHandle(pPopupMenu->m_hMenu);
  if (!m) return;
  const HMENU h = pPopupMenu->m_hMenu;
  const UINT count = static_cast<UINT>(m->items.size());
  for (UINT i = 0; i < count; ++i) {
    // An update handler may change the menu: look it up again for each item.
    m = lwwnd::MenuFromHandle(h);
    if (!m || i >= m->items.size()) return;
    CMenuItem* item = m->items[i].get();
    if (item->pSub || (item->nFlags & MF_SEPARATOR) || item->nID == 0) continue;
    CMenuItemCmdUI state(item);
    state.m_nID = item->nID;
    state.m_nIndex = i;
    state.m_nIndexMax = count;
    state.m_pMenu = pPopupMenu;
    state.DoUpdate(this, TRUE);
  }
}
