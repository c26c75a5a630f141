// Views: painting through OnPrepareDC and OnDraw, the initial update, and the scroll view that
// owns its scroll bars.
#include <algorithm>

#include <cairo.h>
#include <wx/window.h>

#include "wnd_state.h"

#include <wingdi.h>

IMPLEMENT_DYNAMIC(CScrollView, CView)

// ---------------------------------------------------------------------------------------------
// Device context origin

int CDC::SetMapMode(int) { return MM_TEXT; }

void CDC::AttachCairo(void* pCairo) {
  m_pOriginCairo = pCairo;
  if (!pCairo) return;
  cairo_matrix_t m;
  cairo_get_matrix(static_cast<cairo_t*>(pCairo), &m);
  const double v[6] = {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
  std::copy(v, v + 6, m_baseMatrix);
  if (m_ptViewportOrg.x || m_ptViewportOrg.y) SetViewportOrg(m_ptViewportOrg.x, m_ptViewportOrg.y);
}

CPoint CDC::SetViewportOrg(int x, int y) {
  const CPoint old = m_ptViewportOrg;
  m_ptViewportOrg = CPoint(x, y);
  if (m_hDC) ::SetViewportOrgEx(m_hDC, x, y, nullptr);  // a GDI context (window or memory)
  if (auto* cr = static_cast<cairo_t*>(m_pOriginCairo)) {
    cairo_matrix_t m;
    cairo_matrix_init(&m, m_baseMatrix[0], m_baseMatrix[1], m_baseMatrix[2], m_baseMatrix[3], m_baseMatrix[4],
                      m_baseMatrix[5]);
    cairo_set_matrix(cr, &m);
    cairo_translate(cr, x, y);
  }
  return old;
}

// ---------------------------------------------------------------------------------------------
// Views

wxWindow* CView::CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle, const RECT& rect,
                                UINT nID) {
  if (!pParent) return CWnd::CreateWxWindow(pParent, lpszWindowName, dwStyle, rect, nID);
  const wxPoint pos = IsRectEmpty(&rect) ? wxDefaultPosition : wxPoint(rect.left, rect.top);
  const wxSize size = IsRectEmpty(&rect) ? wxDefaultSize : wxSize(rect.right - rect.left, rect.bottom - rect.top);
  long style = wxWANTS_CHARS | wxFULL_REPAINT_ON_RESIZE;
  if (dwStyle & WS_VSCROLL) style |= wxVSCROLL;
  if (dwStyle & WS_HSCROLL) style |= wxHSCROLL;
  if (dwStyle & WS_BORDER) style |= wxBORDER_SIMPLE;
  auto* w = new wxWindow;
  w->SetBackgroundStyle(wxBG_STYLE_PAINT);  // before the window exists
  // The toolkit takes small ids only; the command id stays with our side (GetDlgCtrlID).
  const int id = nID > 0 && nID < 32767 && (static_cast<int>(nID) < wxID_LOWEST || static_cast<int>(nID) > wxID_HIGHEST)
                     ? static_cast<int>(nID)
                     : wxID_ANY;
  w->Create(pParent, id, pos, size, style);
  return w;
}

void CView::OnPaint() {
  CPaintDC dc(this);
  OnPrepareDC(&dc);
  OnDraw(&dc);
}

void CView::PostNcDestroy() { delete this; }

void CView::OnPrepareDC(CDC*, void*) {}

void CView::OnInitialUpdate() { OnUpdate(nullptr, 0, nullptr); }

LRESULT CView::OnInitialUpdateMessage(WPARAM, LPARAM) {
  OnInitialUpdate();
  return 0;
}

// ---------------------------------------------------------------------------------------------
// Scroll view

const SIZE CScrollView::sizeDefault = {0, 0};

BEGIN_MESSAGE_MAP(CScrollView, CView)
  ON_WM_SIZE()
  ON_WM_VSCROLL()
  ON_WM_HSCROLL()
  ON_WM_MOUSEWHEEL()
END_MESSAGE_MAP()

CScrollView::CScrollView() : m_nMapMode(MM_TEXT), m_nWheelRemainder(0) {}

wxWindow* CScrollView::CreateWxWindow(wxWindow* pParent, const wchar_t* lpszWindowName, DWORD dwStyle,
                                      const RECT& rect, UINT nID) {
  return CView::CreateWxWindow(pParent, lpszWindowName, dwStyle | WS_HSCROLL | WS_VSCROLL, rect, nID);
}

void CScrollView::SetScrollSizes(int nMapMode, SIZE sizeTotal, const SIZE& sizePage, const SIZE& sizeLine) {
  m_nMapMode = nMapMode == MM_TEXT ? nMapMode : MM_TEXT;  // the only mode there is
  m_totalLog = CSize(std::max(0L, static_cast<long>(sizeTotal.cx)), std::max(0L, static_cast<long>(sizeTotal.cy)));
  m_pageDev = sizePage;
  if (m_pageDev.cx <= 0) m_pageDev.cx = m_totalLog.cx / 10;
  if (m_pageDev.cy <= 0) m_pageDev.cy = m_totalLog.cy / 10;
  m_lineDev = sizeLine;
  if (m_lineDev.cx <= 0) m_lineDev.cx = m_pageDev.cx / 10;
  if (m_lineDev.cy <= 0) m_lineDev.cy = m_pageDev.cy / 10;
  m_lineDev.cx = std::max(1L, static_cast<long>(m_lineDev.cx));
  m_lineDev.cy = std::max(1L, static_cast<long>(m_lineDev.cy));
  m_pageDev.cx = std::max(1L, static_cast<long>(m_pageDev.cx));
  m_pageDev.cy = std::max(1L, static_cast<long>(m_pageDev.cy));
  UpdateBars();
}

CPoint CScrollView::GetMaxScrollPosition() const {
  CRect client;
  GetClientRect(&client);
  return CPoint(std::max(0L, static_cast<long>(m_totalLog.cx - client.Width())),
                std::max(0L, static_cast<long>(m_totalLog.cy - client.Height())));
}

void CScrollView::UpdateBars() {
  wxWindow* w = GetWxWindow();
  if (!w) return;
  // Showing one bar narrows the client area, which may call for the other: settle in two rounds.
  for (int round = 0; round < 2; ++round) {
    int cx = 0, cy = 0;
    w->GetClientSize(&cx, &cy);
    const CPoint maxPos = GetMaxScrollPosition();
    m_ptScroll.x = std::clamp(static_cast<long>(m_ptScroll.x), 0L, static_cast<long>(maxPos.x));
    m_ptScroll.y = std::clamp(static_cast<long>(m_ptScroll.y), 0L, static_cast<long>(maxPos.y));
    if (m_totalLog.cx > cx)
      w->SetScrollbar(wxHORIZONTAL, m_ptScroll.x, cx, m_totalLog.cx);
    else
      w->SetScrollbar(wxHORIZONTAL, 0, 0, 0);
    if (m_totalLog.cy > cy)
      w->SetScrollbar(wxVERTICAL, m_ptScroll.y, cy, m_totalLog.cy);
    else
      w->SetScrollbar(wxVERTICAL, 0, 0, 0);
  }
}

void CScrollView::ScrollToPosition(POINT pt) {
  const CPoint maxPos = GetMaxScrollPosition();
  const long x = std::clamp(static_cast<long>(pt.x), 0L, static_cast<long>(maxPos.x));
  const long y = std::clamp(static_cast<long>(pt.y), 0L, static_cast<long>(maxPos.y));
  const long dx = x - m_ptScroll.x, dy = y - m_ptScroll.y;
  if (!dx && !dy) return;
  m_ptScroll = CPoint(x, y);
  if (wxWindow* w = GetWxWindow()) {
    if (dx) w->SetScrollPos(wxHORIZONTAL, x);
    if (dy) w->SetScrollPos(wxVERTICAL, y);
  }
  ScrollWindow(-dx, -dy);
}

void CScrollView::OnPrepareDC(CDC* pDC, void* pInfo) {
  if (pDC) {
    pDC->SetMapMode(m_nMapMode);
    pDC->SetViewportOrg(-m_ptScroll.x, -m_ptScroll.y);
  }
  CView::OnPrepareDC(pDC, pInfo);
}

BOOL CScrollView::OnScroll(UINT nScrollCode, UINT nPos, BOOL bDoScroll) {
  // Low byte: the horizontal code; high byte: the vertical one (0xFF for none).
  const UINT codes[2] = {LOBYTE(nScrollCode), HIBYTE(nScrollCode)};
  const CPoint maxPos = GetMaxScrollPosition();
  const long lines[2] = {m_lineDev.cx, m_lineDev.cy};
  const long pages[2] = {m_pageDev.cx, m_pageDev.cy};
  const long cur[2] = {m_ptScroll.x, m_ptScroll.y};
  const long maxes[2] = {maxPos.x, maxPos.y};
  long target[2] = {cur[0], cur[1]};
  for (int axis = 0; axis < 2; ++axis) {
    switch (codes[axis]) {
      case SB_TOP: target[axis] = 0; break;
      case SB_BOTTOM: target[axis] = maxes[axis]; break;
      case SB_LINEUP: target[axis] -= lines[axis]; break;
      case SB_LINEDOWN: target[axis] += lines[axis]; break;
      case SB_PAGEUP: target[axis] -= pages[axis]; break;
      case SB_PAGEDOWN: target[axis] += pages[axis]; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: target[axis] = static_cast<long>(nPos); break;
      default: break;  // SB_ENDSCROLL and "none"
    }
  }
  return OnScrollBy(CSize(target[0] - cur[0], target[1] - cur[1]), bDoScroll);
}

BOOL CScrollView::OnScrollBy(CSize sizeScroll, BOOL bDoScroll) {
  const CPoint maxPos = GetMaxScrollPosition();
  const long x = std::clamp(static_cast<long>(m_ptScroll.x + sizeScroll.cx), 0L, static_cast<long>(maxPos.x));
  const long y = std::clamp(static_cast<long>(m_ptScroll.y + sizeScroll.cy), 0L, static_cast<long>(maxPos.y));
  if (x == m_ptScroll.x && y == m_ptScroll.y) return FALSE;
  if (bDoScroll) ScrollToPosition(CPoint(x, y));
  return TRUE;
}

void CScrollView::OnSize(UINT, int, int) {
  const CPoint before = m_ptScroll;
  UpdateBars();
  if (m_ptScroll.x != before.x || m_ptScroll.y != before.y) Invalidate(FALSE);
}

namespace {

// A thumb message from the bar itself carries 16 bits of the position; the bar has all of it,
// so a view taller than 32767 pixels follows its thumb to the end.
UINT ThumbPosition(const CWnd* pWnd, int nBar, UINT nSBCode, UINT nPos) {
  if (nSBCode != SB_THUMBTRACK && nSBCode != SB_THUMBPOSITION) return nPos;
  if (!pWnd->GetState()->tracking[nBar]) return nPos;  // sent by code: the message is all there is
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  if (!pWnd->GetScrollInfo(nBar, &info, SIF_TRACKPOS)) return nPos;
  return static_cast<UINT>(std::max(0, info.nTrackPos));
}

}  // namespace

void CScrollView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
  OnScroll(MAKEWORD(0xFF, nSBCode), ThumbPosition(this, SB_VERT, nSBCode, nPos));
}

void CScrollView::OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
  OnScroll(MAKEWORD(nSBCode, 0xFF), ThumbPosition(this, SB_HORZ, nSBCode, nPos));
}

// ---------------------------------------------------------------------------------------------
// Scroll bars of a window

BOOL CWnd::GetScrollInfo(int nBar, LPSCROLLINFO lpScrollInfo, UINT nMask) const {
  if (!lpScrollInfo || (nBar != SB_HORZ && nBar != SB_VERT)) return FALSE;
  wxWindow* w = GetWxWindow();
  if (!w) return FALSE;
  const int orient = nBar == SB_HORZ ? wxHORIZONTAL : wxVERTICAL;
  const int base = GetState()->scrollMin[nBar];
  const int pos = w->GetScrollPos(orient) + base;
  lpScrollInfo->fMask = nMask;
  if (nMask & SIF_RANGE) {
    lpScrollInfo->nMin = base;
    lpScrollInfo->nMax = base + std::max(0, w->GetScrollRange(orient) - 1);
  }
  if (nMask & SIF_PAGE) {
    const int thumb = w->GetScrollThumb(orient);
    lpScrollInfo->nPage = GetState()->scrollNoPage[nBar] && thumb <= 1 ? 0u : static_cast<UINT>(std::max(0, thumb));
  }
  if (nMask & SIF_POS) lpScrollInfo->nPos = pos;
  if (nMask & SIF_TRACKPOS) {
    const CWndState* st = GetState();
    lpScrollInfo->nTrackPos = st->tracking[nBar] ? st->trackPos[nBar] : pos;
  }
  return TRUE;
}

BOOL CScrollView::OnMouseWheel(UINT, short zDelta, CPoint) {
  const CPoint maxPos = GetMaxScrollPosition();
  const bool vertical = maxPos.y > 0 || maxPos.x == 0;
  // Whole notches only; a touchpad's fractions add up until they make one.
  m_nWheelRemainder += zDelta;
  const int notches = m_nWheelRemainder / WHEEL_DELTA;
  m_nWheelRemainder -= notches * WHEEL_DELTA;
  if (!notches) return FALSE;
  const long step = -notches * 3L * (vertical ? m_lineDev.cy : m_lineDev.cx);
  return OnScrollBy(vertical ? CSize(0, step) : CSize(step, 0));
}
