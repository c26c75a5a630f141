// The toolkit side of a CWnd, shared by the window sources of this folder.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <wx/timer.h>
#include <wx/window.h>

#include <afxwin.h>

// What the toolkit's event bindings hold: the CWnd they deliver to, cleared when the CWnd goes,
// so events that arrive later are cut off.
struct WndLink {
  CWnd* pWnd = nullptr;
};

// One timer of a window: its ticks become WM_TIMER (or call the TIMERPROC).
class LwWndTimer : public wxTimer {
 public:
  LwWndTimer(std::shared_ptr<WndLink> link, UINT_PTR id, TIMERPROC proc)
      : m_link(std::move(link)), m_id(id), m_proc(proc) {}
  void Notify() override;

 private:
  std::shared_ptr<WndLink> m_link;
  UINT_PTR m_id;
  TIMERPROC m_proc;
};

struct CWndState {
  std::shared_ptr<WndLink> link = std::make_shared<WndLink>();
  wxWindow* wx = nullptr;
  bool created = false;  // made by Create (the toolkit's parent tree owns it) or adopted
  bool destroying = false;  // WM_DESTROY is being sent
  UINT nID = 0;
  std::map<UINT_PTR, std::unique_ptr<LwWndTimer>> timers;
};

namespace lwwnd {

// The CWnd bound to a toolkit window (user-interface thread).
CWnd* WndFromWx(const wxWindow* w);
// The CWnd bound to w or to its nearest ancestor.
CWnd* WndFromWxOrAncestor(const wxWindow* w);
// Runs pWnd->WindowProc with the event as the context of Default(); true when the toolkit's
// own handling was asked for.
bool DispatchEvent(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam, wxEvent* pEvent, LRESULT* pResult);
// Binds the events of w to the link.
void BindEvents(wxWindow* w, const std::shared_ptr<WndLink>& link);
// The window's own part of destruction: WM_DESTROY, descendants, handle removal, PostNcDestroy.
void TearDown(CWnd* pWnd);
// Stops and lets go of the window's timers; they are deleted later, outside any tick.
void DiscardTimers(CWndState* st);
// A drop record for WM_DROPFILES (freed by DragFinish).
HDROP MakeDrop(const std::vector<CString>& files);
// Win32's virtual key of a toolkit key code (0 when none).
UINT VirtualKeyFromWx(int keyCode);

}  // namespace lwwnd
