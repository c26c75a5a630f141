// The menu bar of a frame: a toolkit menu bar built from the frame's menu, the items' update
// handlers when a pop-up opens and in the idle pass, and chosen items as WM_COMMAND.
//
// Toolkit items get ids of their own (command ids go up to 0xFFFF; the toolkit takes ids below
// 0x7FFF and keeps some for stock items), mapped back to the item on selection. Item state goes
// into the toolkit only when it differs from what the toolkit item shows. Windows shows a check
// mark on any item; the toolkit needs a check item for that, so an item becomes one (in place)
// the first time it is checked. A radio mark shows as a check mark.
#include <map>
#include <memory>
#include <vector>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/menu.h>

#include "menu_internal.h"
#include "wnd_state.h"

// The menu bar state of one frame.
struct FrameMenu {
  HWND hWnd = nullptr;
  wxFrame* frame = nullptr;  // null once the toolkit window is gone
  MenuData* root = nullptr;
  wxMenuBar* bar = nullptr;
  std::vector<CMenuItem*> byId;  // toolkit id - kFirstId
  std::map<wxMenu*, MenuData*> menus;
  int inMenuEvent = 0;
  bool rebuildPending = false;
};

namespace {

constexpr int kFirstId = 6000;  // above the toolkit's stock ids
unsigned long g_pushes = 0;

wxString Label(const CString& s) {
  wxString label(static_cast<const wchar_t*>(s));
  const int tab = label.Find(L'\t');
  return tab == wxNOT_FOUND ? label : label.Left(static_cast<size_t>(tab));
}

bool Grayed(const CMenuItem& item) { return (item.nFlags & (MF_GRAYED | MF_DISABLED)) != 0; }

// Forgets the toolkit side of a menu tree (the toolkit objects are gone or going).
void ForgetToolkit(MenuData* m) {
  m->wx = nullptr;
  m->barPos = -1;
  for (auto& item : m->items) {
    item->wx = nullptr;
    if (item->pSub) ForgetToolkit(item->pSub);
  }
}

void RemoveBar(FrameMenu* fm) {
  if (fm->root) ForgetToolkit(fm->root);
  if (fm->frame && fm->bar) {
    fm->frame->SetMenuBar(nullptr);
    delete fm->bar;
  }
  fm->bar = nullptr;
  fm->byId.clear();
  fm->menus.clear();
}

CFrameWnd* FrameOf(const FrameMenu* fm) { return dynamic_cast<CFrameWnd*>(CWnd::FromHandle(fm->hWnd)); }

void UpdateMenuItems(CFrameWnd* pFrame, MenuData* m, int depth);

void Rebuild(const std::shared_ptr<FrameMenu>& fm);

// Builds the toolkit items of one pop-up and binds its events.
void BuildMenu(const std::shared_ptr<FrameMenu>& fm, wxMenu* menu, MenuData* m, int depth) {
  m->wx = menu;
  fm->menus[menu] = m;
  std::weak_ptr<FrameMenu> weak = fm;
  menu->Bind(wxEVT_MENU, [weak](wxCommandEvent& e) {
    auto f = weak.lock();
    const size_t index = static_cast<size_t>(e.GetId() - kFirstId);
    if (!f || e.GetId() < kFirstId || index >= f->byId.size()) {
      e.Skip();
      return;
    }
    // As on Windows the command arrives once the menu has gone.
    const UINT nID = f->byId[index]->nID;
    if (!::PostMessageW(f->hWnd, WM_COMMAND, MAKEWPARAM(nID, 0), 0))
      if (CWnd* p = CWnd::FromHandle(f->hWnd)) p->SendMessage(WM_COMMAND, MAKEWPARAM(nID, 0), 0);
  });
  menu->Bind(wxEVT_MENU_OPEN, [weak, menu](wxMenuEvent& e) {
    e.Skip();
    auto f = weak.lock();
    if (!f || e.GetMenu() != menu) return;  // a pop-up's opening also travels to its parents
    auto it = f->menus.find(menu);
    CFrameWnd* pFrame = FrameOf(f.get());
    if (it == f->menus.end() || !pFrame) return;
    MenuData* opened = it->second;
    ++f->inMenuEvent;
    pFrame->OnInitMenuPopup(CMenu::FromHandle(lwwnd::HandleOfMenu(opened)), 0, FALSE);
    for (auto& item : opened->items)  // pop-up entries show their own state
      if (item->pSub) lwwnd::PushMenuItem(item.get());
    --f->inMenuEvent;
  });
  for (auto& p : m->items) {
    CMenuItem& item = *p;
    item.wx = nullptr;
    if (item.nFlags & MF_SEPARATOR) {
      menu->AppendSeparator();
      continue;
    }
    if (item.pSub) {
      auto* sub = new wxMenu;
      if (depth < 16) BuildMenu(fm, sub, item.pSub, depth + 1);
      item.wx = menu->AppendSubMenu(sub, Label(item.strText));
      item.wxCheckable = false;
    } else {
      const int id = kFirstId + static_cast<int>(fm->byId.size());
      if (id >= 32767) continue;  // beyond what the toolkit takes
      fm->byId.push_back(&item);
      item.wxCheckable = (item.nFlags & MF_CHECKED) != 0;
      item.wx = menu->Append(id, Label(item.strText), wxString(), item.wxCheckable ? wxITEM_CHECK : wxITEM_NORMAL);
      if (item.wxCheckable) item.wx->Check(true);
    }
    item.wxChecked = (item.nFlags & MF_CHECKED) != 0;
    item.wxEnabled = !Grayed(item);
    item.wxText = item.strText;
    if (!item.wxEnabled) item.wx->Enable(false);
  }
}

void Rebuild(const std::shared_ptr<FrameMenu>& fm) {
  fm->rebuildPending = false;
  RemoveBar(fm.get());
  if (!fm->root || !fm->frame) return;
  auto* bar = new wxMenuBar;
  std::vector<std::pair<int, bool>> grayedTops;
  int pos = 0;
  for (auto& p : fm->root->items) {
    CMenuItem& item = *p;
    // The toolkit's bar holds pop-ups only.
    if (!item.pSub) continue;
    auto* menu = new wxMenu;
    BuildMenu(fm, menu, item.pSub, 1);
    bar->Append(menu, Label(item.strText));
    item.pSub->barPos = pos;
    item.wxText = item.strText;
    item.wxEnabled = !Grayed(item);
    grayedTops.emplace_back(pos, !item.wxEnabled);
    ++pos;
  }
  fm->root->wx = nullptr;
  fm->bar = bar;
  fm->frame->SetMenuBar(bar);
  for (const auto& g : grayedTops)
    if (g.second) bar->EnableTop(static_cast<size_t>(g.first), false);
}

// A rebuild while one of the bar's menus handles an event would pull it from under the toolkit:
// it then waits until the event is over.
void RebuildSoon(const std::shared_ptr<FrameMenu>& fm) {
  if (fm->inMenuEvent == 0) {
    Rebuild(fm);
    return;
  }
  if (fm->rebuildPending || !wxTheApp) return;
  fm->rebuildPending = true;
  std::weak_ptr<FrameMenu> weak = fm;
  wxTheApp->CallAfter([weak] {
    if (auto f = weak.lock())
      if (f->rebuildPending) Rebuild(f);
  });
}

void UpdateMenuItems(CFrameWnd* pFrame, MenuData* m, int depth) {
  const HMENU h = lwwnd::HandleOfMenu(m);
  for (size_t i = 0; i < m->items.size(); ++i) {
    CMenuItem* item = m->items[i].get();
    if (item->pSub) {
      if (depth < 16) UpdateMenuItems(pFrame, item->pSub, depth + 1);
    } else if (!(item->nFlags & MF_SEPARATOR) && item->nID != 0) {
      CMenuItemCmdUI state(item);
      state.m_nID = item->nID;
      state.m_nIndex = static_cast<UINT>(i);
      state.m_nIndexMax = static_cast<UINT>(m->items.size());
      state.m_pMenu = CMenu::FromHandle(h);
      state.DoUpdate(pFrame, TRUE);
    }
    // A handler may have destroyed or changed the menu.
    if (lwwnd::MenuFromHandle(h) != m || i >= m->items.size()) return;
  }
}

// The idle pass over the bar's items.
void MenuBarPass(CFrameWnd* pFrame, void* pContext) {
  auto* fm = static_cast<FrameMenu*>(pContext);
  if (fm->root && fm->inMenuEvent == 0) UpdateMenuItems(pFrame, fm->root, 0);
}

std::shared_ptr<FrameMenu> StateOf(CWnd* pWnd, bool create) {
  CWndState* st = pWnd->GetState();
  if (st->frameMenu || !create) return st->frameMenu;
  auto* frame = dynamic_cast<wxFrame*>(st->wx);
  auto* pFrame = dynamic_cast<CFrameWnd*>(pWnd);
  if (!frame || !pFrame) return nullptr;
  auto fm = std::make_shared<FrameMenu>();
  fm->hWnd = pWnd->m_hWnd;
  fm->frame = frame;
  // The toolkit deletes the bar with the frame; the menus stay, with the toolkit side forgotten.
  frame->Bind(wxEVT_DESTROY, [fm, frame](wxWindowDestroyEvent& e) {
    e.Skip();
    if (e.GetEventObject() != frame) return;
    MenuData* root = fm->root;
    if (root) ForgetToolkit(root);
    fm->bar = nullptr;
    fm->frame = nullptr;
    fm->byId.clear();
    fm->menus.clear();
    fm->root = nullptr;
    if (root) {
      root->frame = nullptr;
      if (!root->owner) lwwnd::FreeMenuTree(root);  // handed to the window: it goes with it
    }
  });
  pFrame->AddUpdatePass(&MenuBarPass, fm.get());
  st->frameMenu = fm;
  return fm;
}

}  // namespace

namespace lwwnd {

unsigned long MenuPushCount() { return g_pushes; }

void PushMenuItem(CMenuItem* item) {
  MenuData* m = item->pMenu;
  if (!m) return;
  const bool enabled = !Grayed(*item);
  // A pop-up on the bar itself: its title.
  if (m->frame && item->pSub && item->pSub->barPos >= 0 && m->frame->bar) {
    wxMenuBar* bar = m->frame->bar;
    const size_t pos = static_cast<size_t>(item->pSub->barPos);
    if (item->wxText != item->strText) {
      bar->SetMenuLabel(pos, Label(item->strText));
      item->wxText = item->strText;
      ++g_pushes;
    }
    if (item->wxEnabled != enabled) {
      bar->EnableTop(pos, enabled);
      item->wxEnabled = enabled;
      ++g_pushes;
    }
    return;
  }
  wxMenuItem* wx = item->wx;
  if (!wx) return;
  if (item->wxText != item->strText) {
    wx->SetItemLabel(Label(item->strText));
    item->wxText = item->strText;
    ++g_pushes;
  }
  const bool checked = (item->nFlags & MF_CHECKED) != 0;
  if (checked && !item->wxCheckable && !item->pSub) {
    // The toolkit shows a check mark on check items only: the item becomes one in place.
    wxMenu* menu = wx->GetMenu();
    size_t pos = 0;
    const int id = wx->GetId();
    if (menu && menu->FindChildItem(id, &pos)) {
      delete menu->Remove(wx);
      wx = menu->Insert(pos, id, Label(item->strText), wxString(), wxITEM_CHECK);
      item->wx = wx;
      item->wxCheckable = true;
      item->wxChecked = false;
      item->wxEnabled = true;
    }
  }
  if (item->wxCheckable && item->wxChecked != checked) {
    wx->Check(checked);
    item->wxChecked = checked;
    ++g_pushes;
  }
  if (item->wxEnabled != enabled) {
    wx->Enable(enabled);
    item->wxEnabled = enabled;
    ++g_pushes;
  }
}

void TakeMenuOffFrame(MenuData* pRoot) {
  FrameMenu* fm = pRoot ? pRoot->frame : nullptr;
  if (!fm) return;
  RemoveBar(fm);
  fm->root = nullptr;
  pRoot->frame = nullptr;
}

void MenuStructureChanged(MenuData* pMenu) {
  MenuData* root = RootMenu(pMenu);
  if (!root || !root->frame) return;
  CWnd* pWnd = CWnd::FromHandle(root->frame->hWnd);
  if (auto fm = pWnd ? StateOf(pWnd, false) : nullptr) RebuildSoon(fm);
}

}  // namespace lwwnd

// ---------------------------------------------------------------------------------------------

BOOL CWnd::SetMenu(CMenu* pMenu) {
  MenuData* m = pMenu ? lwwnd::MenuFromHandle(pMenu->m_hMenu) : nullptr;
  if (pMenu && (!m || m->parent)) return FALSE;
  if (m && m->frame && m->frame->hWnd != m_hWnd) return FALSE;  // shown by another frame
  auto fm = StateOf(this, m != nullptr);
  if (!fm) return m == nullptr;
  if (fm->root != m) {
    if (fm->root) lwwnd::TakeMenuOffFrame(fm->root);
    fm->root = m;
    if (m) m->frame = fm.get();
  }
  RebuildSoon(fm);
  return TRUE;
}

CMenu* CWnd::GetMenu() const {
  const std::shared_ptr<FrameMenu>& fm = GetState()->frameMenu;
  return fm && fm->root ? CMenu::FromHandle(lwwnd::HandleOfMenu(fm->root)) : nullptr;
}

void CWnd::DrawMenuBar() {
  if (auto fm = StateOf(this, false))
    if (fm->root) RebuildSoon(fm);
}
