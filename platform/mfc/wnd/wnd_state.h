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

struct ClientDrawing;  // drawing of client contexts waiting for the next paint (ClientDC.cpp)
struct FrameMenu;      // a frame's menu bar (MenuBar.cpp)

struct CWndState {
  std::shared_ptr<WndLink> link = std::make_shared<WndLink>();
  wxWindow* wx = nullptr;
  bool created = false;  // made by Create (the toolkit's parent tree owns it) or adopted
  bool destroying = false;  // WM_DESTROY is being sent
  UINT nID = 0;
  std::map<UINT_PTR, std::unique_ptr<LwWndTimer>> timers;
  // A window without a toolkit window (CWnd::CreatesHeadless): its parent, its children in
  // creation order and whether it is shown are kept here.
  bool headless = false;
  bool headlessShown = false;
  bool headlessDisabled = false;
  CWnd* headlessParent = nullptr;
  std::vector<CWnd*> headlessChildren;
  // The full thumb position of the scroll event being delivered, per bar (SB_HORZ, SB_VERT);
  // the message itself carries only 16 bits of it. Valid while tracking[bar] is set.
  int trackPos[2] = {0, 0};
  bool tracking[2] = {false, false};
  // The lowest position of each bar set by SetScrollInfo (the toolkit's bars start at 0).
  int scrollMin[2] = {0, 0};
  // Whether SetScrollInfo last set a page of 0 on the bar: the toolkit's bar keeps a thumb of at
  // least 1, which would otherwise read back as a page of 1.
  bool scrollNoPage[2] = {false, false};
  std::shared_ptr<ClientDrawing> clientDrawing;
  std::shared_ptr<FrameMenu> frameMenu;
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
// The windows right under pWnd that have a CWnd, in creation order (helper panels looked
// through).
std::vector<CWnd*> ChildWindows(CWnd* pWnd);
// Win32's virtual key of a toolkit key code (0 when none).
UINT VirtualKeyFromWx(int keyCode);

// Client contexts (ClientDC.cpp). Invalidating removes pending client drawing from the area
// (all of it for null); a paint shows what is pending over the window's own painting.
void DiscardClientDrawing(CWnd* pWnd, const RECT* lpRect);
void ClientPaintStarting(CWnd* pWnd);
// Pending drawing that no paint context of the current paint has shown.
bool ClientDrawingUnshown(CWnd* pWnd);
// Lays the pending drawing over the paint's cairo context (device space = client area).
void PresentClientDrawing(CWnd* pWnd, void* pCairo);

// Keys (Accel.cpp). The modifiers of the key being handled, for GetKeyState.
class KeyModifierScope {
 public:
  KeyModifierScope(bool ctrl, bool shift, bool alt);
  ~KeyModifierScope();
  KeyModifierScope(const KeyModifierScope&) = delete;
  KeyModifierScope& operator=(const KeyModifierScope&) = delete;

 private:
  int m_saved;
};
// Lets the frame translate keys whose focus window has no CWnd.
void BindFrameKeys(wxWindow* frame);

// The shown top-level window a message box or dialog of w belongs to: w's own when it is shown,
// else the application's top window or any shown one; null while no window is shown.
wxWindow* ShownOwnerFor(wxWindow* w);

// Paints the shown top-level windows at once. Called as a modal dialog or message box closes,
// so that the area it covered is not left empty while the caller's long work (a load, a save)
// keeps the event loop from painting it.
void RepaintShownFrames();
struct RepaintOnClose {
  RepaintOnClose() = default;
  RepaintOnClose(const RepaintOnClose&) = delete;
  RepaintOnClose& operator=(const RepaintOnClose&) = delete;
  ~RepaintOnClose() { RepaintShownFrames(); }
};

}  // namespace lwwnd
