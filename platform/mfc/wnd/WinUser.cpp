// The Win32 functions on window handles, the cross-thread message dispatch on the toolkit's
// event loop, dropped-file records and the test hooks.
#include <atomic>
#include <mutex>
#include <string>

#include <wx/app.h>
#include <wx/event.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include "msgqueue.h"
#include "wnd_state.h"

struct HDROP__ {
  std::vector<std::wstring> files;
};

namespace {

std::mutex g_dispatchLock;
wxEvtHandler* g_dispatcher = nullptr;  // under g_dispatchLock

void WakeUIThread() {
  std::lock_guard<std::mutex> g(g_dispatchLock);
  if (g_dispatcher) g_dispatcher->QueueEvent(new wxThreadEvent(wxEVT_THREAD));
}

bool DeliverQueued(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) return false;
  *pResult = p->SendMessage(message, wParam, lParam);
  return true;
}

lwwnd::MessageQueue& Queue() {
  static lwwnd::MessageQueue* q = new lwwnd::MessageQueue(&DeliverQueued, &WakeUIThread);  // outlives senders
  return *q;
}

std::atomic<lwmfc::PFN_MESSAGEBOXHOOK> g_messageBoxHook{nullptr};
std::atomic<lwmfc::PFN_FILEDIALOGHOOK> g_fileDialogHook{nullptr};

lwwnd::HandleTable& Table() { return lwwnd::HandleTable::Instance(); }

}  // namespace

namespace lwmfc {

void SetMessageBoxHook(PFN_MESSAGEBOXHOOK pfn) { g_messageBoxHook = pfn; }
PFN_MESSAGEBOXHOOK GetMessageBoxHook() { return g_messageBoxHook; }
void SetFileDialogHook(PFN_FILEDIALOGHOOK pfn) { g_fileDialogHook = pfn; }
PFN_FILEDIALOGHOOK GetFileDialogHook() { return g_fileDialogHook; }

BOOL ScreenCaughtUp() {
  // wxGTK's Update is a round trip with the server, then the window's waiting paints, sent on;
  // the second pass's round trip carries the first's paints.
  for (int pass = 0; pass < 2; ++pass)
    for (wxWindow* w : wxTopLevelWindows)
      if (w->IsShown()) w->Update();
  return wxTheApp && wxTheApp->Pending() ? FALSE : TRUE;
}

void StartMessageDispatch() {
  Table().SetUIThread(std::this_thread::get_id());
  wxUpdateUIEvent::SetMode(wxUPDATE_UI_PROCESS_SPECIFIED);
  size_t pending = 0;
  {
    std::lock_guard<std::mutex> g(g_dispatchLock);
    if (g_dispatcher) return;
    g_dispatcher = new wxEvtHandler;
    // One message per wake, so a handler that runs a modal loop does not hold up the rest.
    g_dispatcher->Bind(wxEVT_THREAD, [](wxThreadEvent&) { Queue().ProcessOne(); });
    pending = Queue().Pending();
  }
  for (size_t i = 0; i < pending; ++i) WakeUIThread();
}

void StopMessageDispatch() {
  Queue().Shutdown();
  wxEvtHandler* d = nullptr;
  {
    std::lock_guard<std::mutex> g(g_dispatchLock);
    d = g_dispatcher;
    g_dispatcher = nullptr;
  }
  delete d;
}

}  // namespace lwmfc

// ---------------------------------------------------------------------------------------------

BOOL IsWindow(HWND hWnd) { return Table().IsLive(hWnd) ? TRUE : FALSE; }

BOOL PostMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!Table().IsLive(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!Queue().Post(hWnd, message, wParam, lParam)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  return TRUE;
}

LRESULT SendMessageW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (Table().OnUIThread()) {
    CWnd* p = CWnd::FromHandle(hWnd);
    if (!p) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    return p->SendMessage(message, wParam, lParam);
  }
  if (!Table().IsLive(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  DWORD_PTR result = 0;
  Queue().Send(hWnd, message, wParam, lParam, SMTO_NORMAL, INFINITE, &result);
  return static_cast<LRESULT>(result);
}

LRESULT SendMessageTimeoutW(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                            DWORD_PTR* lpdwResult) {
  if (Table().OnUIThread()) {
    CWnd* p = CWnd::FromHandle(hWnd);
    if (!p) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    const LRESULT r = p->SendMessage(message, wParam, lParam);
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(r);
    return 1;
  }
  if (!Table().IsLive(hWnd)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return Queue().Send(hWnd, message, wParam, lParam, fuFlags, uTimeout, lpdwResult);
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return p->SetTimer(nIDEvent, uElapse, lpTimerFunc);
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
  CWnd* p = CWnd::FromHandle(hWnd);
  return p ? p->KillTimer(uIDEvent) : FALSE;
}

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) return FALSE;
  p->InvalidateRect(lpRect, bErase);
  return TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) return FALSE;
  p->UpdateWindow();
  return TRUE;
}

HWND SetCapture(HWND hWnd) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) return nullptr;
  CWnd* pOld = p->SetCapture();
  return pOld ? pOld->m_hWnd : nullptr;
}

BOOL ReleaseCapture() {
  wxWindow* w = wxWindow::GetCapture();
  if (!w) return TRUE;
  CWnd* p = lwwnd::WndFromWx(w);
  w->ReleaseMouse();
  if (p) p->SendMessage(WM_CAPTURECHANGED, 0, 0);
  return TRUE;
}

HWND GetCapture() {
  CWnd* p = CWnd::GetCapture();
  return p ? p->m_hWnd : nullptr;
}

std::vector<CWnd*> lwwnd::ChildWindows(CWnd* pWnd) {
  std::vector<CWnd*> out;
  CWndState* st = pWnd->GetState();
  if (st->headless) return st->headlessChildren;
  if (!st->wx) return out;
  std::vector<wxWindow*> todo;
  for (wxWindow* w : st->wx->GetChildren()) todo.push_back(w);
  for (size_t i = 0; i < todo.size(); ++i) {
    wxWindow* w = todo[i];
    if (w->IsTopLevel()) continue;
    if (CWnd* p = lwwnd::WndFromWx(w))
      out.push_back(p);
    else
      for (wxWindow* c : w->GetChildren()) todo.push_back(c);
  }
  return out;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
  CWnd* p = CWnd::FromHandle(hWnd);
  if (!p) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (uCmd == GW_CHILD) {
    const std::vector<CWnd*> children = lwwnd::ChildWindows(p);
    return children.empty() ? nullptr : children.front()->m_hWnd;
  }
  if (uCmd == GW_HWNDNEXT) {
    CWnd* parent = p->GetParent();
    if (!parent) return nullptr;
    const std::vector<CWnd*> siblings = lwwnd::ChildWindows(parent);
    for (size_t i = 0; i + 1 < siblings.size(); ++i)
      if (siblings[i] == p) return siblings[i + 1]->m_hWnd;
  }
  return nullptr;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
  CWnd* p = CWnd::FromHandle(hWnd);
  return p ? p->EnableWindow(bEnable) : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
  CWnd* p = CWnd::FromHandle(hWnd);
  return p ? p->IsWindowEnabled() : FALSE;
}

// ---------------------------------------------------------------------------------------------

HDROP lwwnd::MakeDrop(const std::vector<CString>& files) {
  HDROP h = new HDROP__;
  for (const CString& f : files) h->files.emplace_back(static_cast<const wchar_t*>(f));
  return h;
}

UINT DragQueryFileW(HDROP hDrop, UINT iFile, LPWSTR lpszFile, UINT cch) {
  if (!hDrop) return 0;
  if (iFile == 0xFFFFFFFFu) return static_cast<UINT>(hDrop->files.size());
  if (iFile >= hDrop->files.size()) return 0;
  const std::wstring& name = hDrop->files[iFile];
  if (!lpszFile) return static_cast<UINT>(name.size());
  if (cch == 0) return 0;
  const size_t n = std::min<size_t>(name.size(), cch - 1);
  name.copy(lpszFile, n);
  lpszFile[n] = 0;
  return static_cast<UINT>(n);
}

void DragFinish(HDROP hDrop) { delete hDrop; }
