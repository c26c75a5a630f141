// Device contexts of a window outside its paint (CClientDC, CWnd::GetDC), and the GDI members
// of CDC.
//
// GTK draws a window only inside its paint, so a client context is a GDI memory context over an
// offscreen copy of the client area. Its pixels start "undrawn": the top byte set, which every
// GDI write clears, and a marker colour that also tells apart what GDI+ wrote back around its
// drawing. When the context is released the drawn pixels join the window's pending drawing (a
// cairo surface of the client size, transparent where nothing was drawn), the window repaints
// that area at once, and the paint lays the pending drawing over the window's own painting. A
// later Invalidate or InvalidateRect removes pending drawing from its area, so the window's
// painting wins there, as on Windows.
#include <algorithm>
#include <cstring>

#include <cairo.h>
#include <wx/region.h>
#include <wx/window.h>

#include "wnd_state.h"

#include <wingdi.h>

IMPLEMENT_DYNAMIC(CClientDC, CDC)

// Drawing of client contexts waiting to be shown by the window's next paint.
struct ClientDrawing {
  cairo_surface_t* overlay = nullptr;  // ARGB32, client size when made
  RECT bounds{0, 0, 0, 0};            // where the overlay has drawn pixels (at most)
  bool shownThisPaint = false;

  ~ClientDrawing() {
    if (overlay) cairo_surface_destroy(overlay);
  }
};

namespace {

constexpr uint32_t kUndrawn = 0xFF010203u;
constexpr uint32_t kUndrawnColour = kUndrawn & 0xFFFFFFu;

bool Drawn(uint32_t v) { return (v >> 24) == 0 && (v & 0xFFFFFFu) != kUndrawnColour; }

// A screen context for measuring, released when it goes.
struct ScreenDC {
  HDC hdc = ::GetDC(nullptr);
  ~ScreenDC() {
    if (hdc) ::ReleaseDC(nullptr, hdc);
  }
};

// A 32-bit top-down DIB of cx x cy "undrawn" pixels selected into a new memory context.
struct GdiSurface {
  HDC hdc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ oldBitmap = nullptr;
  void* bits = nullptr;
};

GdiSurface MakeSurface(int cx, int cy) {
  GdiSurface g;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = cx;
  bmi.bmiHeader.biHeight = -cy;  // top-down
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 32;
  bmi.bmiHeader.biCompression = BI_RGB;
  g.bitmap = ::CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &g.bits, nullptr, 0);
  g.hdc = g.bitmap ? ::CreateCompatibleDC(nullptr) : nullptr;
  if (!g.hdc) {
    if (g.bitmap) ::DeleteObject(g.bitmap);
    return GdiSurface{};
  }
  std::fill_n(static_cast<uint32_t*>(g.bits), static_cast<size_t>(cx) * static_cast<size_t>(cy), kUndrawn);
  g.oldBitmap = ::SelectObject(g.hdc, g.bitmap);
  return g;
}

ClientDrawing* Pending(CWnd* pWnd) { return pWnd ? pWnd->GetState()->clientDrawing.get() : nullptr; }

void DropPending(CWnd* pWnd) { pWnd->GetState()->clientDrawing.reset(); }

// Adds the drawn pixels of a client context (top-down 32-bit rows) to the window's pending
// drawing; returns their bounding box (empty when nothing was drawn).
RECT AddToPending(CWnd* pWnd, const uint32_t* bits, int cx, int cy) {
  RECT box{cx, cy, 0, 0};
  for (int y = 0; y < cy; ++y) {
    const uint32_t* row = bits + static_cast<size_t>(y) * static_cast<size_t>(cx);
    for (int x = 0; x < cx; ++x) {
      if (!Drawn(row[x])) continue;
      box.left = std::min<LONG>(box.left, x);
      box.top = std::min<LONG>(box.top, y);
      box.right = std::max<LONG>(box.right, x + 1);
      box.bottom = std::max<LONG>(box.bottom, y + 1);
    }
  }
  if (box.left >= box.right) return RECT{0, 0, 0, 0};

  CWndState* st = pWnd->GetState();
  if (!st->clientDrawing) st->clientDrawing = std::make_shared<ClientDrawing>();
  ClientDrawing* cd = st->clientDrawing.get();
  const bool fits = cd->overlay && cairo_image_surface_get_width(cd->overlay) >= cx &&
                    cairo_image_surface_get_height(cd->overlay) >= cy;
  if (!fits) {
    const int w = std::max(cx, cd->overlay ? cairo_image_surface_get_width(cd->overlay) : 0);
    const int h = std::max(cy, cd->overlay ? cairo_image_surface_get_height(cd->overlay) : 0);
    cairo_surface_t* grown = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    if (cairo_surface_status(grown) != CAIRO_STATUS_SUCCESS) {
      cairo_surface_destroy(grown);
      return RECT{0, 0, 0, 0};
    }
    if (cd->overlay) {
      cairo_t* cr = cairo_create(grown);
      cairo_set_source_surface(cr, cd->overlay, 0, 0);
      cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
      cairo_paint(cr);
      cairo_destroy(cr);
      cairo_surface_destroy(cd->overlay);
    }
    cd->overlay = grown;
  }
  cairo_surface_flush(cd->overlay);
  uint8_t* data = cairo_image_surface_get_data(cd->overlay);
  const int stride = cairo_image_surface_get_stride(cd->overlay);
  for (LONG y = box.top; y < box.bottom; ++y) {
    const uint32_t* src = bits + static_cast<size_t>(y) * static_cast<size_t>(cx);
    auto* dst = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * static_cast<size_t>(y));
    for (LONG x = box.left; x < box.right; ++x)
      if (Drawn(src[x])) dst[x] = 0xFF000000u | (src[x] & 0xFFFFFFu);
  }
  cairo_surface_mark_dirty_rectangle(cd->overlay, box.left, box.top, box.right - box.left, box.bottom - box.top);
  if (IsRectEmpty(&cd->bounds)) cd->bounds = box;
  else UnionRect(&cd->bounds, &cd->bounds, &box);
  return box;
}

// Clears pending drawing inside r (client coordinates); drops it all once nothing is left.
void ClearPending(CWnd* pWnd, const RECT& r) {
  ClientDrawing* cd = Pending(pWnd);
  if (!cd) return;
  RECT inter;
  if (!IntersectRect(&inter, &cd->bounds, &r)) return;
  if (EqualRect(&inter, &cd->bounds)) {
    DropPending(pWnd);
    return;
  }
  cairo_t* cr = cairo_create(cd->overlay);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr, inter.left, inter.top, inter.right - inter.left, inter.bottom - inter.top);
  cairo_fill(cr);
  cairo_destroy(cr);
  // The bounds shrink when the cleared band spans them across.
  if (inter.left == cd->bounds.left && inter.right == cd->bounds.right) {
    if (inter.top == cd->bounds.top) cd->bounds.top = inter.bottom;
    else if (inter.bottom == cd->bounds.bottom) cd->bounds.bottom = inter.top;
  } else if (inter.top == cd->bounds.top && inter.bottom == cd->bounds.bottom) {
    if (inter.left == cd->bounds.left) cd->bounds.left = inter.right;
    else if (inter.right == cd->bounds.right) cd->bounds.right = inter.left;
  }
}

}  // namespace

namespace lwwnd {

void DiscardClientDrawing(CWnd* pWnd, const RECT* lpRect) {
  if (!Pending(pWnd)) return;
  if (!lpRect) DropPending(pWnd);
  else ClearPending(pWnd, *lpRect);
}

void ClientPaintStarting(CWnd* pWnd) {
  if (ClientDrawing* cd = Pending(pWnd)) cd->shownThisPaint = false;
}

bool ClientDrawingUnshown(CWnd* pWnd) {
  ClientDrawing* cd = Pending(pWnd);
  return cd && !cd->shownThisPaint;
}

void PresentClientDrawing(CWnd* pWnd, void* pCairo) {
  ClientDrawing* cd = Pending(pWnd);
  auto* cr = static_cast<cairo_t*>(pCairo);
  wxWindow* w = pWnd->GetWxWindow();
  if (!cd || !cr || !w) return;
  cd->shownThisPaint = true;
  cairo_save(cr);
  cairo_set_source_surface(cr, cd->overlay, 0, 0);
  cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
  cairo_paint(cr);
  cairo_restore(cr);
  // Shown now: a later repaint of the area shows the window's own painting, as on Windows.
  const wxRegion& update = w->GetUpdateRegion();
  const wxRect b(cd->bounds.left, cd->bounds.top, cd->bounds.right - cd->bounds.left, cd->bounds.bottom - cd->bounds.top);
  if (update.Contains(b) == wxInRegion) {
    DropPending(pWnd);
    return;
  }
  for (wxRegionIterator it(update); it; ++it) {
    const wxRect r = it.GetRect();
    ClearPending(pWnd, RECT{r.x, r.y, r.x + r.width, r.y + r.height});
    if (!Pending(pWnd)) return;
  }
}

}  // namespace lwwnd

// ---------------------------------------------------------------------------------------------

CClientDC::CClientDC(CWnd* pWnd) : m_hWnd(pWnd ? pWnd->m_hWnd : nullptr), m_pWnd(pWnd) {
  if (!pWnd) {
    m_hDC = ::GetDC(nullptr);  // the screen: measuring only
    return;
  }
  CRect rc;
  pWnd->GetClientRect(&rc);
  m_cx = std::max(1, rc.Width());
  m_cy = std::max(1, rc.Height());
  const GdiSurface g = MakeSurface(m_cx, m_cy);
  m_hDC = g.hdc;
  m_hBitmap = g.bitmap;
  m_hOldBitmap = g.oldBitmap;
  m_pBits = g.bits;
}

CClientDC::~CClientDC() {
  if (!m_pWnd) {
    if (m_hDC) ::ReleaseDC(nullptr, m_hDC);
    m_hDC = nullptr;
    return;
  }
  if (!m_hDC) return;
  ::SelectObject(m_hDC, m_hOldBitmap);
  ::DeleteDC(m_hDC);
  m_hDC = nullptr;
  // The window may have gone while the context was out.
  if (CWnd* pWnd = CWnd::FromHandle(m_hWnd); pWnd == m_pWnd && pWnd->GetWxWindow()) {
    const RECT box = AddToPending(pWnd, static_cast<const uint32_t*>(m_pBits), m_cx, m_cy);
    if (!IsRectEmpty(&box)) {
      wxWindow* w = pWnd->GetWxWindow();
      w->RefreshRect(wxRect(box.left, box.top, box.right - box.left, box.bottom - box.top), false);
      w->Update();
    }
  }
  ::DeleteObject(m_hBitmap);
}

CDC* CWnd::GetDC() { return m_hWnd ? new CClientDC(this) : nullptr; }

int CWnd::ReleaseDC(CDC* pDC) {
  auto* p = dynamic_cast<CClientDC*>(pDC);
  if (!p) return 0;
  delete p;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// GDI on a paint context: an offscreen surface from the client origin to the far corner of the
// area to repaint (so device coordinates are client coordinates), clipped to that area.

BOOL CPaintDC::PrepareGdi() {
  if (m_hDC) return TRUE;
  if (!m_pCairo || IsRectEmpty(&m_ps.rcPaint) || m_ps.rcPaint.left < 0 || m_ps.rcPaint.top < 0) return FALSE;
  const GdiSurface g = MakeSurface(m_ps.rcPaint.right, m_ps.rcPaint.bottom);
  if (!g.hdc) return FALSE;
  m_hDC = g.hdc;
  m_hGdiBitmap = g.bitmap;
  m_hGdiOldBitmap = g.oldBitmap;
  m_pGdiBits = g.bits;
  m_gdiCx = m_ps.rcPaint.right;
  m_gdiCy = m_ps.rcPaint.bottom;
  HRGN clip = ::CreateRectRgnIndirect(&m_ps.rcPaint);
  ::SelectClipRgn(m_hDC, clip);
  ::DeleteObject(clip);
  ::SetViewportOrgEx(m_hDC, GetViewportOrg().x, GetViewportOrg().y, nullptr);
  return TRUE;
}

void CPaintDC::EndGdi() {
  if (!m_hDC) return;
  ::SelectObject(m_hDC, m_hGdiOldBitmap);
  ::DeleteDC(m_hDC);
  m_hDC = nullptr;
  const RECT& r = m_ps.rcPaint;
  const int w = r.right - r.left, h = r.bottom - r.top;
  cairo_surface_t* drawn = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  if (cairo_surface_status(drawn) == CAIRO_STATUS_SUCCESS) {
    uint8_t* data = cairo_image_surface_get_data(drawn);
    const int stride = cairo_image_surface_get_stride(drawn);
    const auto* bits = static_cast<const uint32_t*>(m_pGdiBits);
    for (int y = 0; y < h; ++y) {
      const uint32_t* src = bits + static_cast<size_t>(r.top + y) * static_cast<size_t>(m_gdiCx) + r.left;
      auto* dst = reinterpret_cast<uint32_t*>(data + static_cast<size_t>(stride) * static_cast<size_t>(y));
      for (int x = 0; x < w; ++x) dst[x] = Drawn(src[x]) ? (0xFF000000u | (src[x] & 0xFFFFFFu)) : 0u;
    }
    cairo_surface_mark_dirty(drawn);
    auto* cr = static_cast<cairo_t*>(m_pCairo);
    SetViewportOrg(0, 0);  // device space: the client area
    cairo_save(cr);
    cairo_set_source_surface(cr, drawn, r.left, r.top);
    cairo_set_operator(cr, CAIRO_OPERATOR_OVER);
    cairo_paint(cr);
    cairo_restore(cr);
  }
  cairo_surface_destroy(drawn);
  ::DeleteObject(m_hGdiBitmap);
  m_hGdiBitmap = nullptr;
  m_pGdiBits = nullptr;
}

// ---------------------------------------------------------------------------------------------
// GDI members of CDC

HDC CDC::GetSafeHdc() const { return const_cast<CDC*>(this)->PrepareGdi() ? m_hDC : nullptr; }

int CDC::GetDeviceCaps(int nIndex) const {
  if (m_hDC) return ::GetDeviceCaps(m_hDC, nIndex);
  ScreenDC screen;
  return ::GetDeviceCaps(screen.hdc, nIndex);
}

int CDC::GetClipBox(LPRECT lpRect) const {
  if (!lpRect) return ERROR;
  if (m_hDC) return ::GetClipBox(m_hDC, lpRect);
  SetRectEmpty(lpRect);
  if (const auto* paint = dynamic_cast<const CPaintDC*>(this)) {
    *lpRect = paint->m_ps.rcPaint;
    OffsetRect(lpRect, -m_ptViewportOrg.x, -m_ptViewportOrg.y);
  }
  return IsRectEmpty(lpRect) ? NULLREGION : SIMPLEREGION;
}

CSize CDC::GetTextExtent(const wchar_t* lpszString, int nCount) const {
  ScreenDC screen;
  const HDC hdc = m_hDC ? m_hDC : screen.hdc;
  TEXTMETRICW tm{};
  if (!hdc || !::GetTextMetricsW(hdc, &tm)) return CSize(0, 0);
  LONG cx = 0;
  if (lpszString) {
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    for (int i = 0; i < nCount && lpszString[i]; ++i) {
      GLYPHMETRICS gm{};
      if (::GetGlyphOutlineW(hdc, static_cast<UINT>(lpszString[i]), GGO_METRICS, &gm, 0, nullptr, &identity) !=
          GDI_ERROR)
        cx += gm.gmCellIncX;
    }
  }
  return CSize(cx, tm.tmHeight);
}

CSize CDC::GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }

HGDIOBJ CDC::SelectObject(HGDIOBJ hObject) { return PrepareGdi() ? ::SelectObject(m_hDC, hObject) : nullptr; }

BOOL CDC::BitBlt(int x, int y, int nWidth, int nHeight, CDC* pSrcDC, int xSrc, int ySrc, DWORD dwRop) {
  if (!PrepareGdi()) return FALSE;
  return ::BitBlt(m_hDC, x, y, nWidth, nHeight, pSrcDC ? pSrcDC->GetSafeHdc() : nullptr, xSrc, ySrc, dwRop);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF clr) {
  if (!lpRect || !PrepareGdi()) return;
  HBRUSH brush = ::CreateSolidBrush(clr);
  ::FillRect(m_hDC, lpRect, brush);
  ::DeleteObject(brush);
}

COLORREF CDC::GetPixel(int x, int y) const {
  return const_cast<CDC*>(this)->PrepareGdi() ? ::GetPixel(m_hDC, x, y) : CLR_INVALID;
}
