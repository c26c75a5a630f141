// The small Win32 calls of dialogs and views: system metrics, the beep, the busy cursor and a
// window's scroll bar.
#include <algorithm>

#include <wx/app.h>
#include <wx/display.h>
#include <wx/settings.h>
#include <wx/utils.h>

#include "wnd_state.h"

namespace {

// The toolkit's busy cursor follows the wait-cursor count.
struct WaitCursorInstaller {
  WaitCursorInstaller() {
    lwmfc::SetWaitCursorHooks(
        [] {
          if (wxTheApp && !wxIsBusy()) wxBeginBusyCursor();
        },
        [] {
          if (wxTheApp)
            while (wxIsBusy()) wxEndBusyCursor();
        });
  }
} g_waitCursorInstaller;

int Metric(wxSystemMetric m, int fallback) {
  if (!wxTheApp) return fallback;
  const int v = wxSystemSettings::GetMetric(m);
  return v > 0 ? v : fallback;
}

wxRect VirtualScreen() {
  wxRect all;
  if (!wxTheApp) return wxRect(0, 0, 1024, 768);
  for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) all.Union(wxDisplay(i).GetGeometry());
  return all.IsEmpty() ? wxRect(0, 0, 1024, 768) : all;
}

}  // namespace

int GetSystemMetrics(int nIndex) {
  switch (nIndex) {
    case SM_CXSCREEN: return wxTheApp ? wxDisplay(0u).GetGeometry().width : 1024;
    case SM_CYSCREEN: return wxTheApp ? wxDisplay(0u).GetGeometry().height : 768;
    case SM_CXFULLSCREEN: return wxTheApp ? wxDisplay(0u).GetClientArea().width : 1024;
    case SM_CYFULLSCREEN: return wxTheApp ? wxDisplay(0u).GetClientArea().height : 768;
    case SM_XVIRTUALSCREEN: return VirtualScreen().x;
    case SM_YVIRTUALSCREEN: return VirtualScreen().y;
    case SM_CXVIRTUALSCREEN: return VirtualScreen().width;
    case SM_CYVIRTUALSCREEN: return VirtualScreen().height;
    case SM_CMONITORS: return wxTheApp ? static_cast<int>(std::max(1u, wxDisplay::GetCount())) : 1;
    case SM_CXVSCROLL:
    case SM_CXHSCROLL: return Metric(wxSYS_VSCROLL_X, 16);
    case SM_CYHSCROLL:
    case SM_CYVSCROLL: return Metric(wxSYS_HSCROLL_Y, 16);
    case SM_CYCAPTION: return Metric(wxSYS_CAPTION_Y, 23);
    case SM_CXBORDER: return Metric(wxSYS_BORDER_X, 1);
    case SM_CYBORDER: return Metric(wxSYS_BORDER_Y, 1);
    case SM_CXEDGE: return Metric(wxSYS_EDGE_X, 2);
    case SM_CYEDGE: return Metric(wxSYS_EDGE_Y, 2);
    case SM_CXICON: return Metric(wxSYS_ICON_X, 32);
    case SM_CYICON: return Metric(wxSYS_ICON_Y, 32);
    case SM_CXSMICON: return Metric(wxSYS_SMALLICON_X, 16);
    case SM_CYSMICON: return Metric(wxSYS_SMALLICON_Y, 16);
    case SM_CXCURSOR: return Metric(wxSYS_CURSOR_X, 32);
    case SM_CYCURSOR: return Metric(wxSYS_CURSOR_Y, 32);
    case SM_CYMENU: return Metric(wxSYS_MENU_Y, 20);
    case SM_CXDOUBLECLK: return Metric(wxSYS_DCLICK_X, 4);
    case SM_CYDOUBLECLK: return Metric(wxSYS_DCLICK_Y, 4);
    case SM_CXDRAG: return Metric(wxSYS_DRAG_X, 4);
    case SM_CYDRAG: return Metric(wxSYS_DRAG_Y, 4);
    default: return 0;
  }
}

BOOL MessageBeep(UINT) {
  if (wxTheApp) wxBell();
  return TRUE;
}

int CWnd::SetScrollInfo(int nBar, LPSCROLLINFO lpsi, BOOL bRedraw) {
  wxWindow* w = GetWxWindow();
  if (!lpsi || !w || (nBar != SB_HORZ && nBar != SB_VERT)) return 0;
  const int orient = nBar == SB_HORZ ? wxHORIZONTAL : wxVERTICAL;
  CWndState* st = GetState();
  SCROLLINFO cur{};
  GetScrollInfo(nBar, &cur, SIF_RANGE | SIF_PAGE | SIF_POS);
  int nMin = cur.nMin, nMax = cur.nMax, nPos = cur.nPos;
  UINT nPage = cur.nPage;
  if (lpsi->fMask & SIF_RANGE) {
    nMin = lpsi->nMin;
    nMax = std::max(lpsi->nMin, lpsi->nMax);
  }
  const int range = nMax - nMin + 1;
  if (lpsi->fMask & SIF_PAGE) nPage = std::min<UINT>(lpsi->nPage, static_cast<UINT>(range));
  if (lpsi->fMask & SIF_POS) nPos = lpsi->nPos;
  // As on Windows, the position stops where the page reaches the end of the range.
  nPos = std::clamp(nPos, nMin, std::max(nMin, nMax - static_cast<int>(std::max<UINT>(nPage, 1)) + 1));
  st->scrollMin[nBar] = nMin;
  st->scrollNoPage[nBar] = nPage == 0;
  w->SetScrollbar(orient, nPos - nMin, static_cast<int>(nPage), range, bRedraw != FALSE);
  return nPos;
}

int SetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi, BOOL bRedraw) {
  CWnd* p = CWnd::FromHandle(hWnd);
  return p ? p->SetScrollInfo(nBar, lpsi, bRedraw) : 0;
}

BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi) {
  CWnd* p = CWnd::FromHandle(hWnd);
  return p && lpsi ? p->GetScrollInfo(nBar, lpsi, lpsi->fMask) : FALSE;
}
