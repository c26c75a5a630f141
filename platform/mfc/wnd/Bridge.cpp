// The event bridge: toolkit events of a bound window become window messages, timers become
// WM_TIMER, and the paint context hands out the window's cairo context.
#include <algorithm>
#include <vector>

#include <wx/app.h>
#include <wx/dcclient.h>
#include <wx/event.h>
#include <wx/toplevel.h>

#include "msgqueue.h"
#include "wnd_state.h"

IMPLEMENT_DYNAMIC(CDC, CObject)
IMPLEMENT_DYNAMIC(CPaintDC, CDC)

namespace {

// Timers let go inside a tick are deleted once the event loop is back.
std::vector<std::unique_ptr<LwWndTimer>>& Graveyard() {
  // Never destroyed: at exit the toolkit is gone before static objects are.
  static auto* g = new std::vector<std::unique_ptr<LwWndTimer>>;
  return *g;
}

void FlushGraveyard() { Graveyard().clear(); }

UINT MouseFlags(const wxMouseState& e) {
  UINT f = 0;
  if (e.LeftIsDown()) f |= MK_LBUTTON;
  if (e.RightIsDown()) f |= MK_RBUTTON;
  if (e.MiddleIsDown()) f |= MK_MBUTTON;
  if (e.ShiftDown()) f |= MK_SHIFT;
  if (e.ControlDown()) f |= MK_CONTROL;
  return f;
}

LPARAM PackPoint(int x, int y) { return MAKELPARAM(static_cast<SHORT>(x), static_cast<SHORT>(y)); }

// Runs the message on the link's window; asks the toolkit's own handling when the message was
// not handled or the handler called Default().
template <class Event>
void Deliver(const std::shared_ptr<WndLink>& link, Event& e, UINT message, WPARAM wParam, LPARAM lParam,
             LRESULT* pResult = nullptr) {
  CWnd* p = link->pWnd;
  if (!p) {
    e.Skip();
    return;
  }
  if (lwwnd::DispatchEvent(p, message, wParam, lParam, &e, pResult)) e.Skip();
}

UINT ScrollCode(wxEventType t) {
  if (t == wxEVT_SCROLLWIN_TOP) return SB_TOP;
  if (t == wxEVT_SCROLLWIN_BOTTOM) return SB_BOTTOM;
  if (t == wxEVT_SCROLLWIN_LINEUP) return SB_LINEUP;
  if (t == wxEVT_SCROLLWIN_LINEDOWN) return SB_LINEDOWN;
  if (t == wxEVT_SCROLLWIN_PAGEUP) return SB_PAGEUP;
  if (t == wxEVT_SCROLLWIN_PAGEDOWN) return SB_PAGEDOWN;
  if (t == wxEVT_SCROLLWIN_THUMBTRACK) return SB_THUMBTRACK;
  return SB_THUMBPOSITION;  // thumb released
}

// Key messages carry a repeat count of 1 in the low word of lParam.
constexpr LPARAM kKeyLParam = 1;

}  // namespace

void LwWndTimer::Notify() {
  CWnd* p = m_link->pWnd;
  if (!p) return;
  if (m_proc) m_proc(p->m_hWnd, WM_TIMER, m_id, GetTickCount());
  else p->SendMessage(WM_TIMER, m_id, 0);
}

namespace lwwnd {

void DiscardTimers(CWndState* st) {
  for (auto& t : st->timers) {
    t.second->Stop();
    Graveyard().push_back(std::move(t.second));
  }
  st->timers.clear();
  if (!Graveyard().empty() && wxTheApp) wxTheApp->CallAfter(&FlushGraveyard);
}

UINT VirtualKeyFromWx(int k) {
  switch (k) {
    case WXK_BACK: return VK_BACK;
    case WXK_TAB: return VK_TAB;
    case WXK_RETURN:
    case WXK_NUMPAD_ENTER: return VK_RETURN;
    case WXK_ESCAPE: return VK_ESCAPE;
    case WXK_SPACE: return VK_SPACE;
    case WXK_DELETE:
    case WXK_NUMPAD_DELETE: return VK_DELETE;
    case WXK_CLEAR: return VK_CLEAR;
    case WXK_SHIFT: return VK_SHIFT;
    case WXK_CONTROL: return VK_CONTROL;
    case WXK_ALT: return VK_MENU;
    case WXK_PAGEUP:
    case WXK_NUMPAD_PAGEUP: return VK_PRIOR;
    case WXK_PAGEDOWN:
    case WXK_NUMPAD_PAGEDOWN: return VK_NEXT;
    case WXK_END:
    case WXK_NUMPAD_END: return VK_END;
    case WXK_HOME:
    case WXK_NUMPAD_HOME: return VK_HOME;
    case WXK_LEFT:
    case WXK_NUMPAD_LEFT: return VK_LEFT;
    case WXK_UP:
    case WXK_NUMPAD_UP: return VK_UP;
    case WXK_RIGHT:
    case WXK_NUMPAD_RIGHT: return VK_RIGHT;
    case WXK_DOWN:
    case WXK_NUMPAD_DOWN: return VK_DOWN;
    case WXK_INSERT:
    case WXK_NUMPAD_INSERT: return VK_INSERT;
    default: break;
  }
  if (k >= WXK_F1 && k <= WXK_F12) return VK_F1 + static_cast<UINT>(k - WXK_F1);
  if (k >= WXK_NUMPAD0 && k <= WXK_NUMPAD9) return 0x60 + static_cast<UINT>(k - WXK_NUMPAD0);
  if (k >= 'a' && k <= 'z') return static_cast<UINT>(k - 'a' + 'A');
  if ((k >= 'A' && k <= 'Z') || (k >= '0' && k <= '9')) return static_cast<UINT>(k);
  if (k > 32 && k < 127) return static_cast<UINT>(k);
  return 0;
}

void BindEvents(wxWindow* w, const std::shared_ptr<WndLink>& link) {
  w->Bind(wxEVT_PAINT, [link](wxPaintEvent& e) {
    CWnd* p = link->pWnd;
    const HWND h = p ? p->m_hWnd : nullptr;
    if (p) lwwnd::ClientPaintStarting(p);
    Deliver(link, e, WM_PAINT, 0, 0);
    // Client-context drawing that no paint context showed goes over the window's painting.
    if (CWnd* q = h ? CWnd::FromHandle(h) : nullptr)
      if (lwwnd::ClientDrawingUnshown(q)) {
        CPaintDC dc(q);
      }
  });
  w->Bind(wxEVT_ERASE_BACKGROUND, [link](wxEraseEvent& e) {
    CDC dc;
    Deliver(link, e, WM_ERASEBKGND, reinterpret_cast<WPARAM>(&dc), 0);
  });
  w->Bind(wxEVT_SIZE, [link](wxSizeEvent& e) {
    CWnd* p = link->pWnd;
    if (p && p->GetWxWindow()) {
      int cx = 0, cy = 0;
      p->GetWxWindow()->GetClientSize(&cx, &cy);
      lwwnd::DispatchEvent(p, WM_SIZE, SIZE_RESTORED, PackPoint(cx, cy), &e, nullptr);
    }
    e.Skip();  // the toolkit's layout keeps working
  });

  auto mouse = [link](UINT message, UINT set, UINT clear, bool activate) {
    return [link, message, set, clear, activate](wxMouseEvent& e) {
      CWnd* p = link->pWnd;
      if (p && activate) {
        if (CView* pView = dynamic_cast<CView*>(p)) pView->ActivateOnClick();
        if (!link->pWnd) return;
      }
      const UINT flags = (MouseFlags(e) | set) & ~clear;
      Deliver(link, e, message, flags, PackPoint(e.GetX(), e.GetY()));
    };
  };
  w->Bind(wxEVT_LEFT_DOWN, mouse(WM_LBUTTONDOWN, MK_LBUTTON, 0, true));
  w->Bind(wxEVT_LEFT_UP, mouse(WM_LBUTTONUP, 0, MK_LBUTTON, false));
  w->Bind(wxEVT_LEFT_DCLICK, mouse(WM_LBUTTONDBLCLK, MK_LBUTTON, 0, true));
  w->Bind(wxEVT_RIGHT_DOWN, mouse(WM_RBUTTONDOWN, MK_RBUTTON, 0, true));
  w->Bind(wxEVT_RIGHT_UP, mouse(WM_RBUTTONUP, 0, MK_RBUTTON, false));
  w->Bind(wxEVT_RIGHT_DCLICK, mouse(WM_RBUTTONDBLCLK, MK_RBUTTON, 0, true));
  w->Bind(wxEVT_MOTION, mouse(WM_MOUSEMOVE, 0, 0, false));
  w->Bind(wxEVT_MOUSEWHEEL, [link](wxMouseEvent& e) {
    CWnd* p = link->pWnd;
    if (!p || e.GetWheelAxis() != wxMOUSE_WHEEL_VERTICAL || !p->GetWxWindow()) {
      e.Skip();
      return;
    }
    const int wheelDelta = e.GetWheelDelta() > 0 ? e.GetWheelDelta() : WHEEL_DELTA;
    const int delta = e.GetWheelRotation() * WHEEL_DELTA / wheelDelta;
    const wxPoint screen = p->GetWxWindow()->ClientToScreen(e.GetPosition());
    Deliver(link, e, WM_MOUSEWHEEL, MAKEWPARAM(MouseFlags(e), static_cast<SHORT>(delta)), PackPoint(screen.x, screen.y));
  });

  w->Bind(wxEVT_KEY_DOWN, [link](wxKeyEvent& e) {
    lwwnd::KeyModifierScope mods(e.ControlDown(), e.ShiftDown(), e.AltDown());
    CWnd* p = link->pWnd;
    const UINT vk = VirtualKeyFromWx(e.GetKeyCode());
    if (!p || vk == 0) {
      e.Skip();
      return;
    }
    // The focus window and its parents may take the key before it is dispatched.
    MSG msg{p->m_hWnd, WM_KEYDOWN, vk, kKeyLParam, GetTickCount(), {e.GetX(), e.GetY()}};
    // The walk ends at the top-level window: a dialog's keys never reach its owner frame's
    // accelerators.
    std::vector<HWND> chain;
    for (CWnd* q = p; q; q = q->GetParent()) {
      chain.push_back(q->m_hWnd);
      if (q->GetWxWindow() && q->GetWxWindow()->IsTopLevel()) break;
    }
    for (HWND h : chain) {
      CWnd* q = CWnd::FromHandle(h);
      if (q && q->PreTranslateMessage(&msg)) return;
    }
    if (!link->pWnd) return;
    lwwnd::DispatchEvent(link->pWnd, WM_KEYDOWN, vk, kKeyLParam, &e, nullptr);
    e.Skip();  // characters come from the key-down's default handling
  });
  w->Bind(wxEVT_KEY_UP, [link](wxKeyEvent& e) {
    lwwnd::KeyModifierScope mods(e.ControlDown(), e.ShiftDown(), e.AltDown());
    const UINT vk = VirtualKeyFromWx(e.GetKeyCode());
    if (vk == 0) {
      e.Skip();
      return;
    }
    Deliver(link, e, WM_KEYUP, vk, kKeyLParam | (LPARAM{0xC000} << 16));
  });
  w->Bind(wxEVT_CHAR, [link](wxKeyEvent& e) {
    lwwnd::KeyModifierScope mods(e.ControlDown(), e.ShiftDown(), e.AltDown());
    const wxChar ch = e.GetUnicodeKey();
    // Arrows, Delete and the other non-character keys arrive as keys only.
    if (ch == WXK_NONE || ch == WXK_DELETE) {
      e.Skip();
      return;
    }
    Deliver(link, e, WM_CHAR, static_cast<WPARAM>(ch), kKeyLParam);
  });

  auto scroll = [link](wxScrollWinEvent& e) {
    CWnd* p = link->pWnd;
    if (!p) return;
    const UINT message = e.GetOrientation() == wxHORIZONTAL ? WM_HSCROLL : WM_VSCROLL;
    const UINT code = ScrollCode(e.GetEventType());
    const HWND h = p->m_hWnd;
    // The message has 16 bits for the position; GetScrollInfo's SIF_TRACKPOS has all of it.
    const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
    CWndState* st = p->GetState();
    const bool wasTracking = st->tracking[bar];
    const int oldTrackPos = st->trackPos[bar];
    st->tracking[bar] = true;
    st->trackPos[bar] = e.GetPosition();
    p->SendMessage(message, MAKEWPARAM(code, e.GetPosition()), 0);
    if (CWnd* q = CWnd::FromHandle(h)) {
      q->GetState()->tracking[bar] = wasTracking;
      q->GetState()->trackPos[bar] = oldTrackPos;
    }
    if (e.GetEventType() == wxEVT_SCROLLWIN_THUMBRELEASE)
      if (CWnd* q = CWnd::FromHandle(h)) q->SendMessage(message, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
  };
  for (wxEventType t : {wxEVT_SCROLLWIN_TOP, wxEVT_SCROLLWIN_BOTTOM, wxEVT_SCROLLWIN_LINEUP, wxEVT_SCROLLWIN_LINEDOWN,
                        wxEVT_SCROLLWIN_PAGEUP, wxEVT_SCROLLWIN_PAGEDOWN, wxEVT_SCROLLWIN_THUMBTRACK,
                        wxEVT_SCROLLWIN_THUMBRELEASE})
    w->Bind(wxEventTypeTag<wxScrollWinEvent>(t), scroll);

  w->Bind(wxEVT_MOUSE_CAPTURE_LOST, [link](wxMouseCaptureLostEvent& e) { Deliver(link, e, WM_CAPTURECHANGED, 0, 0); });
  w->Bind(wxEVT_SET_FOCUS, [link](wxFocusEvent& e) {
    CWnd* other = lwwnd::WndFromWxOrAncestor(e.GetWindow());
    Deliver(link, e, WM_SETFOCUS, reinterpret_cast<WPARAM>(other ? other->m_hWnd : nullptr), 0);
    e.Skip();
  });
  w->Bind(wxEVT_KILL_FOCUS, [link](wxFocusEvent& e) {
    CWnd* other = lwwnd::WndFromWxOrAncestor(e.GetWindow());
    Deliver(link, e, WM_KILLFOCUS, reinterpret_cast<WPARAM>(other ? other->m_hWnd : nullptr), 0);
    e.Skip();
  });
  w->Bind(wxEVT_DESTROY, [link, w](wxWindowDestroyEvent& e) {
    e.Skip();  // it travels up to the parents: only our own window counts
    if (e.GetEventObject() != w) return;
    if (CWnd* p = link->pWnd) TearDown(p);
  });
  w->Bind(wxEVT_DROP_FILES, [link](wxDropFilesEvent& e) {
    CWnd* p = link->pWnd;
    if (!p) return;
    std::vector<CString> files;
    for (int i = 0; i < e.GetNumberOfFiles(); ++i) files.emplace_back(e.GetFiles()[i].wc_str());
    p->SendMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(files)), 0);
  });

  if (w->IsTopLevel()) {
    w->Bind(wxEVT_CLOSE_WINDOW, [link, w](wxCloseEvent& e) {
      CWnd* p = link->pWnd;
      if (!p) {
        e.Skip();
        return;
      }
      // The message map decides; the default handling of WM_CLOSE destroys the window.
      const HWND h = p->m_hWnd;
      p->SendMessage(WM_CLOSE);
      if (e.CanVeto()) {
        e.Veto();
      } else if (CWnd* q = CWnd::FromHandle(h)) {
        q->DestroyWindow();
      } else if (!link->pWnd) {
        e.Skip();
      }
      (void)w;
    });
    // Menus and accelerators of the frame: commands with lParam 0.
    w->Bind(wxEVT_MENU, [link](wxCommandEvent& e) {
      CWnd* p = link->pWnd;
      if (!p) {
        e.Skip();
        return;
      }
      p->SendMessage(WM_COMMAND, MAKEWPARAM(static_cast<UINT>(e.GetId()), 0), 0);
    });
    // Idle time runs the application's idle work for the main window.
    w->Bind(wxEVT_IDLE, [link](wxIdleEvent& e) {
      e.Skip();
      CWnd* p = link->pWnd;
      CWinApp* app = AfxGetApp();
      if (p && app && app->GetMainWnd() == p && app->OnIdle(0)) e.RequestMore();
    });
  }
}

}  // namespace lwwnd

// ---------------------------------------------------------------------------------------------
// Timers

UINT_PTR CWnd::SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer) {
  CWndState* st = GetState();
  if (!st->wx) return 0;
  auto it = st->timers.find(nIDEvent);
  if (it != st->timers.end()) {
    // The same id replaces the timer (possibly from inside its own tick).
    it->second->Stop();
    Graveyard().push_back(std::move(it->second));
    st->timers.erase(it);
    if (wxTheApp) wxTheApp->CallAfter(&FlushGraveyard);
  }
  auto timer = std::make_unique<LwWndTimer>(st->link, nIDEvent, lpfnTimer);
  if (!timer->Start(nElapse > 0 ? static_cast<int>(std::min<UINT>(nElapse, 0x7FFFFFFF)) : 1)) return 0;
  st->timers.emplace(nIDEvent, std::move(timer));
  return nIDEvent ? nIDEvent : 1;
}

BOOL CWnd::KillTimer(UINT_PTR nIDEvent) {
  CWndState* st = GetState();
  auto it = st->timers.find(nIDEvent);
  if (it == st->timers.end()) return FALSE;
  it->second->Stop();
  Graveyard().push_back(std::move(it->second));
  st->timers.erase(it);
  if (wxTheApp) wxTheApp->CallAfter(&FlushGraveyard);
  return TRUE;
}

// ---------------------------------------------------------------------------------------------
// Paint context

CPaintDC::CPaintDC(CWnd* pWnd) : m_ps{} {
  wxWindow* w = pWnd ? pWnd->GetWxWindow() : nullptr;
  if (!w) return;
  wxPaintDC* dc = new wxPaintDC(w);
  m_pPaintDC = dc;
  m_pWnd = pWnd;
  m_pCairo = dc->GetHandle();
  AttachCairo(m_pCairo);
  const wxRect box = w->GetUpdateRegion().GetBox();
  m_ps.rcPaint = RECT{box.x, box.y, box.x + box.width, box.y + box.height};
  m_ps.fErase = FALSE;
}

CPaintDC::~CPaintDC() {
  EndGdi();
  // Drawing of client contexts waiting for this paint goes over what the handler painted.
  if (m_pCairo && m_pWnd && lwwnd::ClientDrawingUnshown(m_pWnd)) {
    SetViewportOrg(0, 0);
    lwwnd::PresentClientDrawing(m_pWnd, m_pCairo);
  }
  delete static_cast<wxPaintDC*>(m_pPaintDC);
}
