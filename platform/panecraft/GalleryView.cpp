// A gallery inside a window: layout, scrolling, painting and hit tests; the messages to the frame.
#include "GalleryView.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/window.h>

#include <cairo.h>


#include <algorithm>

namespace qorp {

void SetColour(cairo_t* cr, COLORREF clr) {
  cairo_set_source_rgb(cr, GetRValue(clr) / 255.0, GetGValue(clr) / 255.0, GetBValue(clr) / 255.0);
}

bool TopLevelGoing(const wxWindow* w) {
  if (!w) return true;
  wxWindow* top = wxGetTopLevelParent(const_cast<wxWindow*>(w));
  return top && (top->IsBeingDeleted() || (wxTheApp && wxTheApp->IsScheduledForDestruction(top)));
}

bool WindowGoing(const wxWindow* w) { return !w || w->IsBeingDeleted() || TopLevelGoing(w); }

HWND FrameFor(CQORPControl* pControl, wxWindow* pOwner) {
  if (pControl) {
    // A control of a drop-down belongs to the command bars of its owner's bar.
    CQORPCommandBar* pBar = pControl->GetParent();
    if (!pBar && pControl->GetCommandBar()) pBar = pControl->GetCommandBar();
    if (CQORPCommandBars* pBars = pBar ? pBar->GetCommandBars() : nullptr)
      if (CFrameWnd* pFrame = pBars->GetFrame()) return pFrame->GetSafeHwnd();
  }
  CWnd* pWnd = pOwner ? CWnd::FromWxOrAncestor(pOwner) : nullptr;
  if (!pWnd) return nullptr;
  if (auto* pFrame = dynamic_cast<CFrameWnd*>(pWnd)) return pFrame->GetSafeHwnd();
  CFrameWnd* pFrame = pWnd->GetParentFrame();
  return pFrame ? pFrame->GetSafeHwnd() : nullptr;
}

void SendGalleryNotify(HWND hFrame, CQORPControlGallery* pGallery, UINT nCode) {
  CWnd* pFrame = CWnd::FromHandle(hFrame);
  if (!pFrame || !pGallery) return;
  NMQORPCONTROL nm{};
  nm.hdr.hwndFrom = hFrame;
  nm.hdr.idFrom = static_cast<UINT_PTR>(pGallery->GetID());
  nm.hdr.code = nCode;
  nm.pControl = pGallery;
  pFrame->SendMessage(QORP_WM_GALLERYNOTIFY, nCode, reinterpret_cast<LPARAM>(&nm));
}

LRESULT SendControlNotify(HWND hFrame, CQORPControl* pControl, UINT nCode, int nStep) {
  CWnd* pFrame = hFrame ? CWnd::FromHandle(hFrame) : nullptr;
  if (!pFrame || !pControl || pControl->GetID() == 0) return 0;
  NMQORPCONTROL nm{};
  nm.hdr.hwndFrom = hFrame;
  nm.hdr.idFrom = static_cast<UINT_PTR>(pControl->GetID());
  nm.hdr.code = nCode;
  nm.pControl = pControl;
  nm.nStep = nStep;
  return pFrame->SendMessage(WM_NOTIFY, static_cast<WPARAM>(pControl->GetID()), reinterpret_cast<LPARAM>(&nm));
}

void SendCommand(HWND hFrame, int nId) {
  if (CWnd* pFrame = CWnd::FromHandle(hFrame)) pFrame->SendMessage(WM_COMMAND, static_cast<WPARAM>(nId), 0);
}

void HoverGallery(HWND hFrame, CQORPControlGallery* pGallery, int nIndex) {
  if (!pGallery) return;
  const int nBefore = pGallery->GetHighlightedItem();
  if (!pGallery->SetHighlightedItem(nIndex)) return;
  if (pGallery->GetHighlightedItem() >= 0)
    SendGalleryNotify(hFrame, pGallery, QORP_GN_HIGHLIGHT);
  else if (nBefore >= 0)
    SendGalleryNotify(hFrame, pGallery, QORP_GN_HIGHLIGHTEND);
}

// ---------------------------------------------------------------------------------------------

void GalleryView::SetRect(const wxRect& rc) {
  m_rc = rc;
  ScrollTo(m_nScroll);
}

wxRect GalleryView::ItemArea() {
  const CRect m = m_pGallery->GetItemsMargin();
  wxRect inner(m_rc.x + m.left, m_rc.y + m.top, std::max(0, m_rc.width - static_cast<int>(m.left + m.right)),
               std::max(0, m_rc.height - static_cast<int>(m.top + m.bottom)));
  const CQORPControlGalleryItems* pItems = m_pGallery->GetItems();
  const unsigned nChange = pItems ? pItems->GetChangeCount() : 0;
  auto layoutAt = [&](int cx) {
    if (pItems == m_pLaidOut && nChange == m_nLaidOutChange && cx == m_cxLaidOut) return;
    m_layout = QORPGalleryLayout::Compute(pItems, cx);
    m_pLaidOut = pItems;
    m_nLaidOutChange = nChange;
    m_cxLaidOut = cx;
  };
  layoutAt(inner.width);
  if (m_layout.cyContent > inner.height && inner.width > kScrollBarWidth) {
    inner.width -= kScrollBarWidth;
    layoutAt(inner.width);
  }
  return inner;
}

const QORPGalleryLayout& GalleryView::GetLayout() {
  ItemArea();
  return m_layout;
}

bool GalleryView::HasScrollBar() {
  const wxRect area = ItemArea();
  const CRect m = m_pGallery->GetItemsMargin();
  return area.width < m_rc.width - static_cast<int>(m.left + m.right);
}

wxRect GalleryView::GetScrollBarRect() {
  if (!HasScrollBar()) return wxRect();
  return wxRect(m_rc.GetRight() + 1 - kScrollBarWidth, m_rc.y, kScrollBarWidth, m_rc.height);
}

int GalleryView::MaxScroll() {
  const wxRect area = ItemArea();
  return std::max(0, m_layout.cyContent - area.height);
}

wxRect GalleryView::GetThumbRect() {
  const wxRect bar = GetScrollBarRect();
  if (bar.IsEmpty()) return wxRect();
  const wxRect area = ItemArea();
  const int content = std::max(m_layout.cyContent, 1);
  const int cyThumb = std::max(16, static_cast<int>(static_cast<long long>(bar.height) * area.height / content));
  const int travel = std::max(0, bar.height - cyThumb);
  const int maxScroll = std::max(MaxScroll(), 1);
  const int y = bar.y + static_cast<int>(static_cast<long long>(travel) * m_nScroll / maxScroll);
  return wxRect(bar.x, y, bar.width, std::min(cyThumb, bar.height));
}

void GalleryView::ScrollTo(int y) { m_nScroll = std::clamp(y, 0, MaxScroll()); }

int GalleryView::GetLineHeight() {
  const CQORPControlGalleryItems* pItems = m_pGallery->GetItems();
  return pItems ? std::max<int>(pItems->GetItemSize().cy, 8) : 20;
}

void GalleryView::EnsureVisible(int nIndex) {
  const wxRect area = ItemArea();
  if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_layout.rcItems.size()) return;
  const CRect& r = m_layout.rcItems[static_cast<size_t>(nIndex)];
  if (r.top < m_nScroll)
    ScrollTo(r.top);
  else if (r.bottom > m_nScroll + area.height)
    ScrollTo(r.bottom - area.height);
}

wxRect GalleryView::GetItemRect(int nIndex) {
  const wxRect area = ItemArea();
  if (nIndex < 0 || static_cast<size_t>(nIndex) >= m_layout.rcItems.size()) return wxRect();
  const CRect& r = m_layout.rcItems[static_cast<size_t>(nIndex)];
  return wxRect(area.x + r.left, area.y + r.top - m_nScroll, r.Width(), r.Height());
}

bool GalleryView::InItemArea(const wxPoint& pt) { return ItemArea().Contains(pt); }

int GalleryView::HitTest(const wxPoint& pt) {
  const wxRect area = ItemArea();
  if (!area.Contains(pt)) return -1;
  return m_layout.HitTest(CPoint(pt.x - area.x, pt.y - area.y + m_nScroll));
}

bool GalleryView::OnScrollBarDown(const wxPoint& pt) {
  const wxRect bar = GetScrollBarRect();
  if (bar.IsEmpty() || !bar.Contains(pt)) return false;
  const wxRect thumb = GetThumbRect();
  const int page = std::max(ItemArea().height - GetLineHeight(), GetLineHeight());
  if (pt.y < thumb.y)
    ScrollBy(-page);
  else if (pt.y >= thumb.GetBottom() + 1)
    ScrollBy(page);
  else
    m_nDragOffset = pt.y - thumb.y;
  return true;
}

void GalleryView::OnThumbDrag(const wxPoint& pt) {
  if (m_nDragOffset < 0) return;
  const wxRect bar = GetScrollBarRect();
  const wxRect thumb = GetThumbRect();
  const int travel = bar.height - thumb.height;
  if (travel <= 0) return;
  const int y = std::clamp(pt.y - m_nDragOffset - bar.y, 0, travel);
  ScrollTo(static_cast<int>(static_cast<long long>(y) * MaxScroll() / travel));
}

void GalleryView::Paint(cairo_t* cr, int nPressed) {
  const wxRect area = ItemArea();
  cairo_save(cr);
  cairo_rectangle(cr, m_rc.x, m_rc.y, m_rc.width, m_rc.height);
  cairo_clip(cr);
  SetColour(cr, RGB(255, 255, 255));
  cairo_paint(cr);
  CQORPGalleryDC dc(cr);
  cairo_save(cr);
  cairo_rectangle(cr, area.x, area.y, area.width, area.height);
  cairo_clip(cr);
  const BOOL bEnabled = m_pGallery->GetEnabled();
  for (size_t i = 0; i < m_layout.rcItems.size(); ++i) {
    const CRect& r = m_layout.rcItems[i];
    if (r.bottom - m_nScroll <= 0 || r.top - m_nScroll >= area.height) continue;
    CQORPControlGalleryItem* p = m_pGallery->GetItem(static_cast<int>(i));
    if (!p) continue;
    CRect rc(area.x + r.left, area.y + r.top - m_nScroll, area.x + r.right, area.y + r.bottom - m_nScroll);
    const int n = static_cast<int>(i);
    cairo_save(cr);
    cairo_rectangle(cr, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_clip(cr);
    p->Draw(&dc, m_pGallery, rc, bEnabled && p->GetEnabled(), m_pGallery->GetHighlightedItem() == n,
            nPressed == n, m_pGallery->IsItemChecked(p));
    cairo_restore(cr);
  }
  cairo_restore(cr);
  const wxRect bar = GetScrollBarRect();
  if (!bar.IsEmpty()) {
    dc.FillSolidRect(CRect(bar.x, bar.y, bar.GetRight() + 1, bar.GetBottom() + 1), RGB(0xF0, 0xF0, 0xF0));
    const wxRect t = GetThumbRect();
    dc.FillSolidRect(CRect(t.x + 2, t.y + 1, t.GetRight() - 1, t.GetBottom()), RGB(0xC2, 0xC3, 0xC9));
  }
  cairo_restore(cr);
}

}  // namespace qorp

wxColour QorpWx(COLORREF clr) { return wxColour(GetRValue(clr), GetGValue(clr), GetBValue(clr)); }
