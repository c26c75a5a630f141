// CWnd over a toolkit window: creation, adoption, destruction, the operations, and message
// dispatch through the message maps.
#include <algorithm>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include <wx/app.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/msgdlg.h>
#include <wx/generic/msgdlgg.h>
#include <wx/textentry.h>
#include <wx/toplevel.h>
#include <wx/weakref.h>

#include "msgqueue.h"
#include "wnd_state.h"

IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

namespace {

std::unordered_map<const wxWindow*, CWnd*>& WxMap() {
  static std::unordered_map<const wxWindow*, CWnd*> map;
  return map;
}

// The message being handled, for Default() and DefWindowProc.
struct MsgFrame {
  CWnd* pWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  wxEvent* pEvent;
  bool wantDefault;
};
thread_local std::vector<MsgFrame*> t_frames;

struct FramePush {
  explicit FramePush(MsgFrame* f) { t_frames.push_back(f); }
  ~FramePush() { t_frames.pop_back(); }
};

wxRect ToWx(const RECT& rc) { return wxRect(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top); }

int WxId(UINT nID) {
  if (nID == 0 || nID >= 32767u) return wxID_ANY;  // the toolkit takes small ids only; ours stays in the state
  const int id = static_cast<int>(nID);
  if (id >= wxID_LOWEST && id <= wxID_HIGHEST) return wxID_ANY;  // keep clear of the stock ids
  return id;
}

// Descendant CWnds of w in tree order (children before grandchildren of the same branch).
void CollectDescendants(const wxWindow* w, bool deep, std::vector<CWnd*>& out) {
  for (wxWindow* child : w->GetChildren()) {
    CWnd* p = lwwnd::WndFromWx(child);
    if (p) out.push_back(p);
    if (deep || !p) CollectDescendants(child, deep, out);  // helper panels are looked through
  }
}

// The same for a window with or without a toolkit window.
void CollectDescendants(const CWnd* pWnd, bool deep, std::vector<CWnd*>& out) {
  const CWndState* st = pWnd->GetState();
  if (st->wx) {
    CollectDescendants(st->wx, deep, out);
    return;
  }
  for (CWnd* child : st->headlessChildren) {
    out.push_back(child);
    if (deep) CollectDescendants(child, deep, out);
  }
}

// Takes a headless window out of its parent's list of children.
void UnlinkHeadless(CWnd* pWnd) {
  CWndState* st = pWnd->GetState();
  if (CWnd* parent = st->headlessParent) {
    auto& list = parent->GetState()->headlessChildren;
    list.erase(std::remove(list.begin(), list.end(), pWnd), list.end());
  }
  st->headlessParent = nullptr;
  for (CWnd* child : st->headlessChildren) child->GetState()->headlessParent = nullptr;
  st->headlessChildren.clear();
}


// Screen positions. GTK knows where a window lies on the screen only once its top-level window
// has been shown and mapped (wx logs a complaint for each question asked earlier, and answers
// with the client position). Before it is shown, the answer is summed from the positions of the
// window and its parents, starting at the top-level window's own position, which is where the
// window will appear; between showing and mapping, wx's answer is taken without its complaint.
bool TopLevelShown(const wxWindow* w) {
  const wxWindow* top = wxGetTopLevelParent(const_cast<wxWindow*>(w));
  return !top || top->IsShown();
}

wxPoint ClientOriginOnScreen(const wxWindow* w) {
  if (TopLevelShown(w)) {
    const wxLogNull quiet;
    return w->ClientToScreen(wxPoint(0, 0));
  }
  wxPoint origin = w->GetClientAreaOrigin();
  for (const wxWindow* p = w; p; p = p->GetParent()) {
    origin += p->GetPosition();
    if (p->IsTopLevel()) break;
    if (const wxWindow* parent = p->GetParent()) origin += parent->GetClientAreaOrigin();
  }
  return origin;
}

wxRect ScreenRectOf(const wxWindow* w) {
  if (TopLevelShown(w)) {
    const wxLogNull quiet;
    return w->GetScreenRect();
  }
  wxPoint at = w->GetPosition();
  if (!w->IsTopLevel() && w->GetParent()) at += ClientOriginOnScreen(w->GetParent());
  return wxRect(at, w->GetSize());
}

}  // namespace

namespace lwwnd {

CWnd* WndFromWx(const wxWindow* w) {
  if (!w) return nullptr;
  auto it = WxMap().find(w);
  return it == WxMap().end() ? nullptr : it->second;
}

CWnd* WndFromWxOrAncestor(const wxWindow* w) {
  for (; w; w = w->GetParent())
    if (CWnd* p = WndFromWx(w)) return p;
  return nullptr;
}

bool DispatchEvent(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam, wxEvent* pEvent, LRESULT* pResult) {
  MsgFrame frame{pWnd, message, wParam, lParam, pEvent, false};
  FramePush push(&frame);
  const LRESULT r = pWnd->WindowProc(message, wParam, lParam);
  if (pResult) *pResult = r;
  return frame.wantDefault;
}

void TearDown(CWnd* pWnd) {
  CWndState* st = pWnd->GetState();
  if ((!st->wx && !st->headless) || !st->link->pWnd || st->destroying) return;
  wxWindow* w = st->wx;
  st->destroying = true;
  pWnd->SendMessage(WM_DESTROY);
  st->destroying = false;
  std::vector<CWnd*> children;
  CollectDescendants(pWnd, false, children);
  for (CWnd* child : children) TearDown(child);
  for (auto& t : st->timers) t.second->Stop();
  if (w && wxWindow::GetCapture() == w) w->ReleaseMouse();
  if (CView* pView = dynamic_cast<CView*>(pWnd)) {
    CFrameWnd* pFrame = pView->GetParentFrame();
    if (pFrame && pFrame->GetActiveView() == pView) pFrame->SetActiveView(nullptr);
  }
  st->link->pWnd = nullptr;
  if (w) WxMap().erase(w);
  if (st->headless) UnlinkHeadless(pWnd);
  st->headless = false;
  HandleTable::Instance().Remove(pWnd->m_hWnd);
  pWnd->m_hWnd = nullptr;
  st->wx = nullptr;
  lwwnd::DiscardTimers(st);
  if (CWinApp* pApp = AfxGetApp())
    if (pApp->m_pMainWnd == pWnd) pApp->m_pMainWnd = nullptr;
  pWnd->PostNcDestroy();  // may delete pWnd
}

wxWindow* ShownOwnerFor(wxWindow* w) {
  if (w) w = wxGetTopLevelParent(w);
  if (w && w->IsShownOnScreen() && !w->IsBeingDeleted()) return w;
  if (!wxTheApp) return nullptr;
  if (wxWindow* top = wxTheApp->GetTopWindow(); top && top->IsShownOnScreen() && !top->IsBeingDeleted()) return top;
  for (wxWindow* t : wxTopLevelWindows)
    if (t->IsShownOnScreen() && !t->IsBeingDeleted()) return t;
  return nullptr;
}

void RepaintShownFrames() {
  if (!wxTheApp) return;
  for (wxWindow* w : wxTopLevelWindows)
    if (w->IsShown() && !w->IsBeingDeleted()) {
      w->Refresh(false);
      w->Update();
    }
}

}  // namespace lwwnd

// ---------------------------------------------------------------------------------------------

CWnd::CWnd() : m_hWnd(nullptr), m_pState(new CWndState) {}

CWnd::~CWnd() {
  CWndState* st = m_pState;
  if (st->headless) {
    // Its children go with it, as a toolkit window's would.
    std::vector<CWnd*> children;
    CollectDescendants(this, false, children);
    for (CWnd* child : children) lwwnd::TearDown(child);
    st->link->pWnd = nullptr;
    UnlinkHeadless(this);
    st->headless = false;
    lwwnd::HandleTable::Instance().Remove(m_hWnd);
    m_hWnd = nullptr;
  }
  if (st->wx) {
    wxWindow* w = st->wx;
    for (auto& t : st->timers) t.second->Stop();
    st->link->pWnd = nullptr;  // events still queued for the window are cut off
    WxMap().erase(w);
    lwwnd::HandleTable::Instance().Remove(m_hWnd);
    m_hWnd = nullptr;
    st->wx = nullptr;
    if (wxWindow::GetCapture() == w) w->ReleaseMouse();
    if (st->created) w->Destroy();
  }
  lwwnd::DiscardTimers(st);
  delete st;
}

wxWindow* CWnd::GetWxWindow() const { return m_pState->wx; }

CWnd* CWnd::FromWxOrAncestor(const wxWindow* pWindow) { return lwwnd::WndFromWxOrAncestor(pWindow); }

BOOL CWnd::IsHeadless() const { return m_pState->headless; }

CWnd* CWnd::FromHandle(HWND hWnd) { return lwwnd::HandleTable::Instance().Lookup(hWnd); }

wxWindow* CWnd::CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                               UINT nID) {
  const wxPoint pos = IsRectEmpty(&rect) ? wxDefaultPosition : wxPoint(rect.left, rect.top);
  const wxSize size = IsRectEmpty(&rect) ? wxDefaultSize : wxSize(rect.right - rect.left, rect.bottom - rect.top);
  const wxString title = lpszWindowName ? wxString(lpszWindowName) : wxString();
  if (!pParent) return new wxFrame(nullptr, WxId(nID), title, pos, size);
  long style = wxWANTS_CHARS;
  if (dwStyle & WS_VSCROLL) style |= wxVSCROLL;
  if (dwStyle & WS_HSCROLL) style |= wxHSCROLL;
  if (dwStyle & WS_BORDER) style |= wxBORDER_SIMPLE;
  wxWindow* w = new wxWindow(pParent, WxId(nID), pos, size, style);
  if (!title.empty()) w->SetLabel(title);
  return w;
}

BOOL CWnd::Create(const wchar_t* lpszClassName, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, CCreateContext* pContext) {
  (void)lpszClassName;
  if (m_pState->wx || m_pState->headless) return FALSE;
  if (CreatesHeadless() || (pParentWnd && pParentWnd->IsHeadless())) {
    if (pParentWnd && !pParentWnd->m_hWnd) return FALSE;
    CWndState* st = m_pState;
    st->headless = true;
    st->created = true;
    st->nID = nID;
    st->link->pWnd = this;
    m_hWnd = lwwnd::HandleTable::Instance().Add(this);
    if (pParentWnd) {
      st->headlessParent = pParentWnd;
      pParentWnd->GetState()->headlessChildren.push_back(this);
    }
  } else {
    wxWindow* parent = pParentWnd ? pParentWnd->GetWxWindow() : nullptr;
    if (pParentWnd && !parent) return FALSE;
    wxWindow* w = CreateWxWindow(parent, lpszWindowName, dwStyle, rect, nID);
    if (!w) return FALSE;
    if (!AdoptWx(w, nID)) {
      w->Destroy();
      return FALSE;
    }
    m_pState->created = true;
  }
  CREATESTRUCTW cs{};
  cs.lpCreateParams = pContext;
  cs.hwndParent = pParentWnd ? pParentWnd->m_hWnd : nullptr;
  cs.x = rect.left;
  cs.y = rect.top;
  cs.cx = rect.right - rect.left;
  cs.cy = rect.bottom - rect.top;
  cs.style = static_cast<LONG>(dwStyle);
  cs.lpszName = lpszWindowName;
  cs.lpszClass = lpszClassName;
  if (SendMessage(WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow();
    return FALSE;
  }
  if (m_pState->wx) {
    if (dwStyle & WS_DISABLED) m_pState->wx->Enable(false);
    if (dwStyle & WS_VISIBLE) m_pState->wx->Show(true);
    else if (pParentWnd) m_pState->wx->Hide();
  } else if (m_pState->headless) {
    m_pState->headlessShown = (dwStyle & WS_VISIBLE) != 0;
  }
  return TRUE;
}

BOOL CWnd::AdoptWx(wxWindow* pWindow, UINT nID) {
  if (!pWindow || m_pState->wx || m_pState->headless || lwwnd::WndFromWx(pWindow)) return FALSE;
  m_pState->wx = pWindow;
  m_pState->created = false;
  m_pState->nID = nID ? nID : (pWindow->GetId() > 0 ? static_cast<UINT>(pWindow->GetId()) : 0);
  m_pState->link->pWnd = this;
  WxMap()[pWindow] = this;
  m_hWnd = lwwnd::HandleTable::Instance().Add(this);
  lwwnd::BindEvents(pWindow, m_pState->link);
  return TRUE;
}

wxWindow* CWnd::Detach() {
  CWndState* st = m_pState;
  wxWindow* w = st->wx;
  if (!w) return nullptr;
  for (auto& t : st->timers) t.second->Stop();
  st->link->pWnd = nullptr;
  st->link = std::make_shared<WndLink>();  // a later adoption binds afresh
  WxMap().erase(w);
  lwwnd::HandleTable::Instance().Remove(m_hWnd);
  m_hWnd = nullptr;
  st->wx = nullptr;
  st->created = false;
  lwwnd::DiscardTimers(st);
  return w;
}

BOOL CWnd::DestroyWindow() {
  CWndState* st = m_pState;
  if (st->headless && !st->destroying) {
    lwwnd::TearDown(this);  // may delete this
    return TRUE;
  }
  if (!st->wx) return FALSE;
  if (st->destroying) return FALSE;  // asked again from its own WM_DESTROY
  wxWindow* w = st->wx;
  const bool created = st->created;
  const bool inEvent = !t_frames.empty();
  if (created && inEvent) w->Hide();
  lwwnd::TearDown(this);  // may delete this
  if (!created) return TRUE;
  if (inEvent && wxTheApp) {
    // Destroying a window inside one of its own event handlers would pull it from under the
    // toolkit: it goes once the handler has returned.
    wxWeakRef<wxWindow> ref(w);
    wxTheApp->CallAfter([ref] {
      if (ref) ref->Destroy();
    });
  } else {
    w->Destroy();
  }
  return TRUE;
}

void CWnd::PostNcDestroy() {}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd) return 0;
  LRESULT r = 0;
  lwwnd::DispatchEvent(this, message, wParam, lParam, nullptr, &r);
  return r;
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, BOOL bDeep, BOOL bOnlyPerm) {
  (void)bOnlyPerm;
  if (!m_pState->wx && !m_pState->headless) return;
  std::vector<CWnd*> all;
  CollectDescendants(this, bDeep != FALSE, all);
  std::vector<HWND> handles;
  for (CWnd* p : all) handles.push_back(p->m_hWnd);
  for (HWND h : handles)  // a handler may destroy a later window: look each one up again
    if (CWnd* p = FromHandle(h)) p->SendMessage(message, wParam, lParam);
}

BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT lResult = 0;
  if (!OnWndMsg(message, wParam, lParam, &lResult)) lResult = DefWindowProc(message, wParam, lParam);
  return lResult;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  LRESULT r = 0;
  BOOL handled = FALSE;
  if (message == WM_COMMAND) {
    handled = OnCommand(wParam, lParam);
  } else if (message == WM_NOTIFY) {
    handled = OnNotify(wParam, lParam, &r);
  } else if (const AFX_MSGMAP_ENTRY* e = FindMessageEntry(message)) {
    AFX_MSGARGS args{message, wParam, lParam, 0, 0, nullptr};
    r = e->pfn(this, args);
    handled = TRUE;
  }
  if (pResult) *pResult = r;
  return handled;
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM, LPARAM) {
  if (message == WM_CLOSE) {
    DestroyWindow();
    return 0;
  }
  for (auto it = t_frames.rbegin(); it != t_frames.rend(); ++it) {
    if ((*it)->pWnd == this && (*it)->message == message) {
      (*it)->wantDefault = true;
      break;
    }
  }
  return 0;
}

LRESULT CWnd::Default() {
  for (auto it = t_frames.rbegin(); it != t_frames.rend(); ++it)
    if ((*it)->pWnd == this) return DefWindowProc((*it)->message, (*it)->wParam, (*it)->lParam);
  return 0;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT nID = LOWORD(wParam);
  int nCode = HIWORD(wParam);
  if (nID == 0) return FALSE;
  if (lParam == 0) {
    // Menu, accelerator or toolkit command: refused while its update handler disables it.
    CCmdUI state;
    state.m_nID = nID;
    OnCmdMsg(nID, static_cast<int>(CN_UPDATE_COMMAND_UI), &state, nullptr);
    if (state.m_bEnableChanged && !state.m_bEnabled) return TRUE;
    nCode = CN_COMMAND;
  }
  return OnCmdMsg(nID, nCode, nullptr, nullptr);
}

BOOL CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* pResult) {
  NMHDR* pNMHDR = reinterpret_cast<NMHDR*>(lParam);
  if (!pNMHDR) return FALSE;
  LRESULT dummy = 0;
  AFX_NOTIFY notify{pResult ? pResult : &dummy, pNMHDR};
  return OnCmdMsg(static_cast<UINT>(pNMHDR->idFrom), MAKELONG(pNMHDR->code, WM_NOTIFY), &notify, nullptr);
}

// Default handlers.
int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDblClk(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDblClk(UINT, CPoint) { Default(); }
BOOL CWnd::OnMouseWheel(UINT, short, CPoint) { return static_cast<BOOL>(Default()); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnChar(UINT, UINT, UINT) { Default(); }
void CWnd::OnVScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnHScroll(UINT, UINT, CScrollBar*) { Default(); }
void CWnd::OnCaptureChanged(CWnd*) { Default(); }
void CWnd::OnSetFocus(CWnd*) { Default(); }
void CWnd::OnKillFocus(CWnd*) { Default(); }
void CWnd::OnTimer(UINT_PTR) { Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }

// ---------------------------------------------------------------------------------------------
// Painting, capture, geometry, state

void CWnd::Invalidate(BOOL bErase) {
  lwwnd::DiscardClientDrawing(this, nullptr);  // the window's painting replaces it
  if (m_pState->wx) m_pState->wx->Refresh(bErase != FALSE);
}

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
  lwwnd::DiscardClientDrawing(this, lpRect);  // the window's painting replaces it
  if (!m_pState->wx) return;
  if (lpRect) m_pState->wx->RefreshRect(ToWx(*lpRect), bErase != FALSE);
  else m_pState->wx->Refresh(bErase != FALSE);
}

void CWnd::UpdateWindow() {
  if (m_pState->wx) m_pState->wx->Update();
}

BOOL CWnd::RedrawWindow(LPCRECT lpRectUpdate, void*, UINT flags) {
  if (!m_pState->wx) return FALSE;
  if (flags & RDW_INVALIDATE) InvalidateRect(lpRectUpdate, (flags & RDW_ERASE) != 0);
  if (flags & RDW_UPDATENOW) UpdateWindow();
  return TRUE;
}

void CWnd::ScrollWindow(int xAmount, int yAmount, LPCRECT lpRect, LPCRECT) {
  if (!m_pState->wx) return;
  if (lpRect) {
    const wxRect r = ToWx(*lpRect);
    m_pState->wx->ScrollWindow(xAmount, yAmount, &r);
  } else {
    m_pState->wx->ScrollWindow(xAmount, yAmount);
  }
}

CWnd* CWnd::SetCapture() {
  wxWindow* w = m_pState->wx;
  if (!w) return nullptr;
  wxWindow* old = wxWindow::GetCapture();
  CWnd* pOld = lwwnd::WndFromWx(old);
  if (old == w) return this;
  if (old) {
    // Win32 keeps one capture, not a stack: the old holder loses it.
    old->ReleaseMouse();
    if (pOld) pOld->SendMessage(WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(m_hWnd));
  }
  w->CaptureMouse();
  return pOld;
}

CWnd* CWnd::GetCapture() { return lwwnd::WndFromWx(wxWindow::GetCapture()); }

void CWnd::GetClientRect(LPRECT lpRect) const {
  if (!lpRect) return;
  int w = 0, h = 0;
  if (m_pState->wx) m_pState->wx->GetClientSize(&w, &h);
  ::SetRect(lpRect, 0, 0, w, h);
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
  if (!lpRect) return;
  wxRect r;
  if (m_pState->wx) r = ScreenRectOf(m_pState->wx);
  ::SetRect(lpRect, r.x, r.y, r.x + r.width, r.y + r.height);
}

void CWnd::ClientToScreen(LPPOINT lpPoint) const {
  if (!lpPoint || !m_pState->wx) return;
  const wxPoint origin = ClientOriginOnScreen(m_pState->wx);
  lpPoint->x += origin.x, lpPoint->y += origin.y;
}

void CWnd::ClientToScreen(LPRECT lpRect) const {
  if (!lpRect) return;
  ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->left));
  ClientToScreen(reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::ScreenToClient(LPPOINT lpPoint) const {
  if (!lpPoint || !m_pState->wx) return;
  const wxPoint origin = ClientOriginOnScreen(m_pState->wx);
  lpPoint->x -= origin.x, lpPoint->y -= origin.y;
}

void CWnd::ScreenToClient(LPRECT lpRect) const {
  if (!lpRect) return;
  ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->left));
  ScreenToClient(reinterpret_cast<LPPOINT>(&lpRect->right));
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (!m_pState->wx) return;
  m_pState->wx->SetSize(x, y, nWidth, nHeight, wxSIZE_ALLOW_MINUS_ONE);
  if (bRepaint) m_pState->wx->Refresh();
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint) {
  if (lpRect) MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
}

BOOL CWnd::SetWindowPos(const CWnd*, int x, int y, int cx, int cy, UINT nFlags) {
  wxWindow* w = m_pState->wx;
  if (!w) return FALSE;
  if (!(nFlags & SWP_NOMOVE) || !(nFlags & SWP_NOSIZE)) {
    const wxRect cur = w->GetRect();
    const int nx = (nFlags & SWP_NOMOVE) ? cur.x : x;
    const int ny = (nFlags & SWP_NOMOVE) ? cur.y : y;
    const int ncx = (nFlags & SWP_NOSIZE) ? cur.width : cx;
    const int ncy = (nFlags & SWP_NOSIZE) ? cur.height : cy;
    w->SetSize(nx, ny, ncx, ncy, wxSIZE_ALLOW_MINUS_ONE);
  }
  if (nFlags & SWP_SHOWWINDOW) w->Show(true);
  if (nFlags & SWP_HIDEWINDOW) w->Show(false);
  return TRUE;
}

BOOL CWnd::ShowWindow(int nCmdShow) {
  wxWindow* w = m_pState->wx;
  if (m_pState->headless) {
    const BOOL bWasVisible = m_pState->headlessShown ? TRUE : FALSE;
    m_pState->headlessShown = nCmdShow != SW_HIDE && nCmdShow != SW_MINIMIZE && nCmdShow != SW_SHOWMINIMIZED;
    return bWasVisible;
  }
  if (!w) return FALSE;
  const BOOL bWasVisible = w->IsShown() ? TRUE : FALSE;
  wxTopLevelWindow* top = dynamic_cast<wxTopLevelWindow*>(w);
  switch (nCmdShow) {
    case SW_HIDE:
      w->Show(false);
      break;
    case SW_SHOWMAXIMIZED:
      w->Show(true);
      if (top) top->Maximize(true);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
      if (top) top->Iconize(true);
      else w->Show(false);
      break;
    case SW_RESTORE:
      if (top) top->Restore();
      w->Show(true);
      break;
    default:
      w->Show(true);
      break;
  }
  return bWasVisible;
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (m_pState->headless) {
    const BOOL bWasDisabled = m_pState->headlessDisabled ? TRUE : FALSE;
    m_pState->headlessDisabled = !bEnable;
    return bWasDisabled;
  }
  wxWindow* w = m_pState->wx;
  if (!w) return FALSE;
  const BOOL bWasDisabled = w->IsThisEnabled() ? FALSE : TRUE;
  w->Enable(bEnable != FALSE);
  return bWasDisabled;
}

BOOL CWnd::IsWindowEnabled() const {
  if (m_pState->headless) return m_pState->headlessDisabled ? FALSE : TRUE;
  return m_pState->wx && m_pState->wx->IsEnabled();
}

BOOL CWnd::IsWindowVisible() const {
  if (m_pState->headless) {
    for (const CWnd* p = this; p; p = p->GetState()->headlessParent)
      if (!p->GetState()->headlessShown) return FALSE;
    return TRUE;
  }
  wxWindow* w = m_pState->wx;
  if (!w) return FALSE;
  for (wxWindow* p = w; p; p = p->GetParent()) {
    if (!p->IsShown()) return FALSE;
    if (p->IsTopLevel()) break;
  }
  return TRUE;
}

CWnd* CWnd::GetParent() const {
  if (m_pState->headless) return m_pState->headlessParent;
  return m_pState->wx ? lwwnd::WndFromWxOrAncestor(m_pState->wx->GetParent()) : nullptr;
}

CFrameWnd* CWnd::GetParentFrame() const {
  for (CWnd* p = GetParent(); p; p = p->GetParent())
    if (CFrameWnd* f = dynamic_cast<CFrameWnd*>(p)) return f;
  return nullptr;
}

CWnd* CWnd::GetDlgItem(int nID) const {
  if (!m_pState->wx && !m_pState->headless) return nullptr;
  std::vector<CWnd*> all;
  CollectDescendants(this, false, all);  // children first, through helper panels
  for (CWnd* p : all)
    if (p->GetDlgCtrlID() == nID) return p;
  return nullptr;
}

int CWnd::GetDlgCtrlID() const { return static_cast<int>(m_pState->nID); }

int CWnd::SetDlgCtrlID(int nID) {
  const int old = static_cast<int>(m_pState->nID);
  m_pState->nID = static_cast<UINT>(nID);
  if (m_pState->wx) m_pState->wx->SetId(WxId(static_cast<UINT>(nID)));
  return old;
}

CWnd* CWnd::SetFocus() {
  CWnd* pOld = GetFocus();
  if (m_pState->wx) m_pState->wx->SetFocus();
  return pOld;
}

CWnd* CWnd::GetFocus() { return lwwnd::WndFromWxOrAncestor(wxWindow::FindFocus()); }

void CWnd::SetWindowText(const wchar_t* lpszString) {
  wxWindow* w = m_pState->wx;
  if (!w) return;
  const wxString text = lpszString ? wxString(lpszString) : wxString();
  if (wxTextEntry* entry = dynamic_cast<wxTextEntry*>(w)) entry->ChangeValue(text);
  else w->SetLabel(text);
}

void CWnd::GetWindowText(CString& rString) const {
  wxWindow* w = m_pState->wx;
  if (!w) {
    rString.Empty();
    return;
  }
  const wxString text = dynamic_cast<wxTextEntry*>(w) ? dynamic_cast<wxTextEntry*>(w)->GetValue() : w->GetLabel();
  rString = text.wc_str();
}

int CWnd::GetWindowText(wchar_t* lpszStringBuf, int nMaxCount) const {
  if (!lpszStringBuf || nMaxCount <= 0) return 0;
  CString s;
  GetWindowText(s);
  const int n = std::min(s.GetLength(), nMaxCount - 1);
  for (int i = 0; i < n; ++i) lpszStringBuf[i] = s[i];
  lpszStringBuf[n] = 0;
  return n;
}

int CWnd::GetWindowTextLength() const {
  CString s;
  GetWindowText(s);
  return s.GetLength();
}

void CWnd::DragAcceptFiles(BOOL bAccept) {
  if (m_pState->wx) m_pState->wx->DragAcceptFiles(bAccept != FALSE);
}

int CWnd::MessageBox(const wchar_t* lpszText, const wchar_t* lpszCaption, UINT nType) {
  const wchar_t* caption = lpszCaption;
  if (!caption && AfxGetApp() && AfxGetApp()->m_pszAppName) caption = AfxGetApp()->m_pszAppName;
  if (!caption) caption = L"";
  if (lwmfc::PFN_MESSAGEBOXHOOK hook = lwmfc::GetMessageBoxHook()) return hook(lpszText ? lpszText : L"", caption, nType);
  long style = 0;
  switch (nType & MB_TYPEMASK) {
    case MB_OKCANCEL: style = wxOK | wxCANCEL; break;
    case MB_YESNO: style = wxYES_NO; break;
    case MB_YESNOCANCEL: style = wxYES_NO | wxCANCEL; break;
    case MB_RETRYCANCEL: style = wxOK | wxCANCEL; break;
    default: style = wxOK; break;
  }
  switch (nType & MB_ICONMASK) {
    case MB_ICONHAND: style |= wxICON_ERROR; break;
    case MB_ICONQUESTION: style |= wxICON_QUESTION; break;
    case MB_ICONEXCLAMATION: style |= wxICON_WARNING; break;
    case MB_ICONASTERISK: style |= wxICON_INFORMATION; break;
    default: break;
  }
  if (nType & MB_DEFBUTTON2) style |= (style & wxYES_NO) ? wxNO_DEFAULT : wxCANCEL_DEFAULT;
  const lwwnd::RepaintOnClose repaint;
  // A box belongs to a shown window: the window manager then treats it as that window's dialog
  // (no minimise or maximise buttons, kept above it). When no window is shown yet (during
  // start-up), the toolkit's own dialog says the same through its hints; both put the
  // affirmative button last, as GTK does.
  wxWindow* parent = lwwnd::ShownOwnerFor(m_pState->wx);
  std::unique_ptr<wxMessageDialogBase> dlg;
  if (parent)
    dlg = std::make_unique<wxMessageDialog>(parent, wxString(lpszText ? lpszText : L""), wxString(caption), style);
  else
    dlg = std::make_unique<wxGenericMessageDialog>(nullptr, wxString(lpszText ? lpszText : L""), wxString(caption), style);
  switch (dlg->ShowModal()) {
    case wxID_OK: return (nType & MB_TYPEMASK) == MB_RETRYCANCEL ? IDRETRY : IDOK;
    case wxID_YES: return IDYES;
    case wxID_NO: return IDNO;
    default: return IDCANCEL;
  }
}
