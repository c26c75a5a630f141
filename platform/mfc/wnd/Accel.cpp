// Accelerator tables, the key state, and the frame's key translation: a key that matches the
// frame's table becomes WM_COMMAND (lParam 0), which goes through the enabled test of OnCommand,
// so a command whose update handler disables it is refused.
//
// The frame's PreTranslateMessage sees the keys of every window of the frame: the event bridge
// walks the focus window and its parents for windows that have a CWnd, and the frame's key hook
// does the same when the focus is in a toolkit window without one (a native control of a
// command bar).
#include <algorithm>
#include <map>
#include <unordered_map>
#include <vector>

#include <wx/app.h>
#include <wx/event.h>
#include <wx/frame.h>
#include <wx/utils.h>
#include <wx/window.h>

#include "wnd_state.h"

namespace {

struct AccelTable {
  std::vector<ACCEL> entries;
  bool loaded = false;  // from a registered table: lives as long as the process
};

// Tables by handle value; values are never reused in a run (user-interface thread).
std::unordered_map<uintptr_t, AccelTable*>& Tables() {
  static auto* tables = new std::unordered_map<uintptr_t, AccelTable*>;
  return *tables;
}
uintptr_t g_nextAccel = 0xACC0;

std::map<UINT, std::vector<ACCEL>>& Registered() {
  static auto* registered = new std::map<UINT, std::vector<ACCEL>>;
  return *registered;
}
std::map<UINT, HACCEL>& Loaded() {
  static auto* loaded = new std::map<UINT, HACCEL>;
  return *loaded;
}

AccelTable* TableOf(HACCEL h) {
  auto it = Tables().find(reinterpret_cast<uintptr_t>(h));
  return it == Tables().end() ? nullptr : it->second;
}

HACCEL NewTable(const ACCEL* paccel, int count, bool loaded) {
  auto* t = new AccelTable;
  t->loaded = loaded;
  for (int i = 0; i < count; ++i)
    if (paccel[i].cmd != 0 && paccel[i].key != 0) t->entries.push_back(paccel[i]);
  const uintptr_t h = ++g_nextAccel;
  Tables()[h] = t;
  return reinterpret_cast<HACCEL>(h);
}

// The modifiers of the key being handled: bit 0 Ctrl, bit 1 Shift, bit 2 Alt; -1 when none.
thread_local int t_keyModifiers = -1;

constexpr int kCtrl = 1, kShift = 2, kAlt = 4;

}  // namespace

namespace lwwnd {

KeyModifierScope::KeyModifierScope(bool ctrl, bool shift, bool alt) : m_saved(t_keyModifiers) {
  t_keyModifiers = (ctrl ? kCtrl : 0) | (shift ? kShift : 0) | (alt ? kAlt : 0);
}

KeyModifierScope::~KeyModifierScope() { t_keyModifiers = m_saved; }

void BindFrameKeys(wxWindow* frame) {
  // Keys in a toolkit window without a CWnd reach no bridge: the frame sees them first here.
  frame->Bind(wxEVT_CHAR_HOOK, [frame](wxKeyEvent& e) {
    e.Skip();
    wxWindow* focus = wxWindow::FindFocus();
    if (focus && WndFromWx(focus)) return;  // the bridge of that window translates it
    if (focus && wxGetTopLevelParent(focus) != frame) return;
    CWnd* start = focus ? WndFromWxOrAncestor(focus) : WndFromWx(frame);
    const UINT vk = VirtualKeyFromWx(e.GetKeyCode());
    if (!start || vk == 0) return;
    KeyModifierScope mods(e.ControlDown(), e.ShiftDown(), e.AltDown());
    MSG msg{start->m_hWnd, WM_KEYDOWN, vk, 1, GetTickCount(), {e.GetX(), e.GetY()}};
    std::vector<HWND> chain;
    for (CWnd* q = start; q; q = q->GetParent()) {
      chain.push_back(q->m_hWnd);
      if (q->GetWxWindow() && q->GetWxWindow()->IsTopLevel()) break;
    }
    for (HWND h : chain) {
      CWnd* q = CWnd::FromHandle(h);
      if (q && q->PreTranslateMessage(&msg)) {
        e.Skip(false);
        return;
      }
    }
  });
}

}  // namespace lwwnd

namespace lwmfc {

void RegisterAcceleratorTable(UINT nIDResource, const ACCEL* pAccel, int nCount) {
  if (!pAccel || nCount <= 0) {
    Registered().erase(nIDResource);
  } else {
    Registered()[nIDResource].assign(pAccel, pAccel + nCount);
  }
  Loaded().erase(nIDResource);  // the next load takes the new table
}

}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------

HACCEL CreateAcceleratorTableW(const ACCEL* paccel, int cAccel) {
  if (!paccel || cAccel <= 0) return nullptr;
  return NewTable(paccel, cAccel, false);
}

BOOL DestroyAcceleratorTable(HACCEL hAccel) {
  AccelTable* t = TableOf(hAccel);
  if (!t || t->loaded) return FALSE;
  Tables().erase(reinterpret_cast<uintptr_t>(hAccel));
  delete t;
  return TRUE;
}

int CopyAcceleratorTableW(HACCEL hAccelSrc, ACCEL* lpAccelDst, int cAccelEntries) {
  AccelTable* t = TableOf(hAccelSrc);
  if (!t) return 0;
  const int n = static_cast<int>(t->entries.size());
  if (!lpAccelDst) return n;
  const int copied = std::min(n, std::max(0, cAccelEntries));
  for (int i = 0; i < copied; ++i) lpAccelDst[i] = t->entries[static_cast<size_t>(i)];
  return copied;
}

HACCEL LoadAcceleratorsW(HINSTANCE, LPCWSTR lpTableName) {
  if (!IS_INTRESOURCE(lpTableName)) return nullptr;  // tables are known by number only
  const UINT id = static_cast<UINT>(reinterpret_cast<ULONG_PTR>(lpTableName));
  auto cached = Loaded().find(id);
  if (cached != Loaded().end()) return cached->second;
  auto it = Registered().find(id);
  if (it == Registered().end()) return nullptr;
  const HACCEL h = NewTable(it->second.data(), static_cast<int>(it->second.size()), true);
  Loaded()[id] = h;
  return h;
}

SHORT GetKeyState(int nVirtKey) {
  constexpr SHORT kDown = static_cast<SHORT>(0x8000);
  int mods = t_keyModifiers;
  if (nVirtKey == VK_CONTROL || nVirtKey == VK_SHIFT || nVirtKey == VK_MENU) {
    if (mods < 0 && !wxTheApp) mods = 0;  // no toolkit: no keyboard to ask
    if (mods < 0)
      mods = (wxGetKeyState(WXK_CONTROL) ? kCtrl : 0) | (wxGetKeyState(WXK_SHIFT) ? kShift : 0) |
             (wxGetKeyState(WXK_ALT) ? kAlt : 0);
    const int bit = nVirtKey == VK_CONTROL ? kCtrl : nVirtKey == VK_SHIFT ? kShift : kAlt;
    return (mods & bit) ? kDown : 0;
  }
  if (!wxTheApp) return 0;
  if (nVirtKey == VK_LBUTTON || nVirtKey == VK_RBUTTON || nVirtKey == VK_MBUTTON) {
    const wxMouseState m = wxGetMouseState();
    const bool down = nVirtKey == VK_LBUTTON ? m.LeftIsDown() : nVirtKey == VK_RBUTTON ? m.RightIsDown() : m.MiddleIsDown();
    return down ? kDown : 0;
  }
  if ((nVirtKey >= 'A' && nVirtKey <= 'Z') || (nVirtKey >= '0' && nVirtKey <= '9'))
    return wxGetKeyState(static_cast<wxKeyCode>(nVirtKey)) ? kDown : 0;
  return 0;
}

int TranslateAcceleratorW(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
  AccelTable* t = TableOf(hAccTable);
  if (!t || !lpMsg || !IsWindow(hWnd)) return 0;
  const UINT message = lpMsg->message;
  const bool isKey = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
  const bool isChar = message == WM_CHAR || message == WM_SYSCHAR;
  if (!isKey && !isChar) return 0;
  const bool ctrl = GetKeyState(VK_CONTROL) < 0;
  const bool shift = GetKeyState(VK_SHIFT) < 0;
  const bool alt = GetKeyState(VK_MENU) < 0;
  for (const ACCEL& a : t->entries) {
    if (a.fVirt & FVIRTKEY) {
      if (!isKey || a.key != lpMsg->wParam) continue;
      if (((a.fVirt & FCONTROL) != 0) != ctrl || ((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FALT) != 0) != alt)
        continue;
    } else {
      // A character entry: the character already carries Ctrl and Shift.
      if (!isChar || a.key != lpMsg->wParam) continue;
      if (((a.fVirt & FALT) != 0) != alt) continue;
    }
    const WPARAM wParam = MAKEWPARAM(a.cmd, 1);
    if (CWnd* p = CWnd::FromHandle(hWnd)) p->SendMessage(WM_COMMAND, wParam, 0);
    else ::SendMessageW(hWnd, WM_COMMAND, wParam, 0);
    return 1;
  }
  return 0;
}

// ---------------------------------------------------------------------------------------------

BOOL CFrameWnd::PreTranslateMessage(MSG* pMsg) {
  if (pMsg && m_hAccelTable && pMsg->message >= WM_KEYDOWN && pMsg->message <= WM_SYSCHAR)
    if (::TranslateAcceleratorW(m_hWnd, m_hAccelTable, pMsg)) return TRUE;
  return CWnd::PreTranslateMessage(pMsg);
}

BOOL CFrameWnd::LoadAccelTable(UINT nIDResource) {
  const HACCEL h = ::LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(nIDResource));
  if (!h) return FALSE;
  m_hAccelTable = h;
  return TRUE;
}
