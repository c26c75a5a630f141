#include "PagesListView.h"

#include <algorithm>
#include <cmath>

#include <gdiplus/gdiplus.h>
#include <wingdi.h>
#include <wintime.h>

#include <QorpPaintManager.h>

#include "LeafwrightDoc.h"
#include "PageBusiPage.h"

using Vectorloom::CRenderPagesArray;
using Vectorloom::CWorkspaceDoc;

// ---------------------------------------------------------------------------------------------
// Layout

CPagesListLayout CPagesListLayout::Compute(int clientWidth, float docWidth, float docHeight) {
  CPagesListLayout l;
  l.clientWidth = clientWidth;
  l.cellWidth = std::clamp(clientWidth - 24, kMinCellWidth, kMaxCellWidth);
  const int inner = l.cellWidth - 12;
  double picture = inner;  // square without a usable document size
  if (docWidth > 0 && docHeight > 0 && std::isfinite(docWidth) && std::isfinite(docHeight))
    picture = std::floor(static_cast<double>(inner) * docHeight / docWidth + 0.5);
  // A sliver of a page is drawn at least one pixel high; an extremely tall one is capped.
  l.pictureHeight = static_cast<int>(std::clamp(picture, 1.0, 100000.0));
  l.cellHeight = l.pictureHeight + 36;
  l.leftMargin = std::max(0, (clientWidth - l.cellWidth) / 2);
  l.rightMargin = std::max(0, clientWidth - l.leftMargin - l.cellWidth);
  return l;
}

int CPagesListLayout::HitTest(CPoint pt, int pageCount) const {
  if (cellHeight <= 0 || pt.y < 0 || pt.x < 0 || (clientWidth > 0 && pt.x >= clientWidth)) return -1;
  const int row = pt.y / cellHeight;
  return row < pageCount ? row : -1;
}

std::pair<int, int> CPagesListLayout::Rows(int top, int bottom, int pageCount) const {
  if (cellHeight <= 0 || pageCount <= 0 || bottom < top) return {0, -1};
  const int first = std::max(0, top / cellHeight);
  const int last = std::min(pageCount - 1, std::max(0, bottom) / cellHeight);
  return {first, last};
}

int CPagesListLayout::ScrollToShowRow(int row, int y, int clientHeight) const {
  if (row < 0 || cellHeight <= 0) return y;
  const int top = row * cellHeight, bottom = (row + 1) * cellHeight;
  if (top < y || bottom - top > clientHeight) return top;
  if (bottom > y + clientHeight) return bottom - clientHeight;
  return y;
}

CRect CPagesListLayout::CellRect(int row) const {
  return CRect(leftMargin, row * cellHeight + 4, leftMargin + cellWidth, (row + 1) * cellHeight);
}

CRect CPagesListLayout::PictureRect(int row) const {
  const CRect c = CellRect(row);
  return CRect(c.left + 6, c.top + 6, c.right - 6, c.bottom - 26);
}

CRect CPagesListLayout::CaptionRect(int row) const {
  const CRect c = CellRect(row);
  return CRect(c.left, PictureRect(row).bottom + 6, c.right, c.bottom);
}

// ---------------------------------------------------------------------------------------------
// Selection

bool CPageSelection::Contains(const CDrawingPage* page) const {
  return std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end();
}

void CPageSelection::Add(CDrawingPage* page) {
  if (!page || Contains(page)) return;
  page->AddRef();
  m_pages.push_back(page);
}

void CPageSelection::Remove(CDrawingPage* page) {
  auto it = std::find(m_pages.begin(), m_pages.end(), page);
  if (it == m_pages.end()) return;
  m_pages.erase(it);
  page->Release();
}

void CPageSelection::Clear() {
  std::vector<CDrawingPage*> pages;
  pages.swap(m_pages);
  for (CDrawingPage* p : pages) p->Release();
}

void CPageSelection::MakeCurrent(CDrawingPage* page) {
  if (!page) return;
  auto it = std::find(m_pages.begin(), m_pages.end(), page);
  if (it != m_pages.end()) {
    m_pages.erase(it);
    m_pages.push_back(page);  // the reference moves with it
  } else {
    Add(page);
  }
}

bool CPageSelection::DropMissing(const CRenderPagesArray& pages) {
  bool any = false;
  for (size_t i = 0; i < m_pages.size();) {
    if (pages.IndexOf(m_pages[i]) < 0) {
      CDrawingPage* gone = m_pages[i];
      m_pages.erase(m_pages.begin() + static_cast<std::ptrdiff_t>(i));
      gone->Release();
      any = true;
    } else {
      ++i;
    }
  }
  return any;
}

bool CPageSelection::Click(int index, bool ctrl, bool shift, int& anchor, const CRenderPagesArray& pages) {
  auto* clicked = dynamic_cast<CDrawingPage*>(pages.GetAt(index));
  if (!clicked) return false;
  if (ctrl) {
    if (Contains(clicked))
      Remove(clicked);
    else
      Add(clicked);
  } else if (shift) {
    const int from = anchor >= 0 && anchor < pages.GetCount() ? anchor : index;
    int lo = std::min(from, index), hi = std::max(from, index);
    auto selectedAt = [&](int i) { return Contains(dynamic_cast<CDrawingPage*>(pages.GetAt(i))); };
    while (lo > 0 && selectedAt(lo - 1)) --lo;
    while (hi + 1 < pages.GetCount() && selectedAt(hi + 1)) ++hi;
    Clear();
    for (int i = lo; i <= hi; ++i)
      if (i != index) Add(dynamic_cast<CDrawingPage*>(pages.GetAt(i)));
    Add(clicked);  // the clicked page is the current one
  } else {
    Clear();
    Add(clicked);
  }
  anchor = index;
  return GetCount() > 0;
}

// ---------------------------------------------------------------------------------------------
// The view

IMPLEMENT_DYNCREATE(CPagesListView, CScrollView)

BEGIN_MESSAGE_MAP(CPagesListView, CScrollView)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_VSCROLL()
  ON_WM_MOUSEWHEEL()
  ON_WM_TIMER()
END_MESSAGE_MAP()

CPagesListView::CPagesListView() { m_bActivateOnClick = FALSE; }
CPagesListView::~CPagesListView() = default;

CLeafwrightDoc* CPagesListView::GetDocument() const { return dynamic_cast<CLeafwrightDoc*>(m_pDocument); }

int CPagesListView::PageCount() const {
  const CLeafwrightDoc* doc = GetDocument();
  return doc ? doc->GetPagesCount() : 0;
}

void CPagesListView::ClearSelection() {
  m_selection.Clear();
  Invalidate(FALSE);
}

void CPagesListView::AddSelectedPage(CDrawingPage* page) {
  m_selection.Add(page);
  Invalidate(FALSE);
}

void CPagesListView::RedrawPageRow(int index) {
  if (!GetSafeHwnd() || index < 0) return;
  CRect r = m_layout.CellRect(index);
  r.OffsetRect(-GetScrollPosition());
  InvalidateRect(&r, FALSE);
}

int CPagesListView::OnCreate(LPCREATESTRUCT lpCreateStruct) {
  if (CScrollView::OnCreate(lpCreateStruct) == -1) return -1;
  SetTimer(kLoadTimerId, kLoadTimerMs, nullptr);
  return 0;
}

void CPagesListView::OnDestroy() {
  KillTimer(kLoadTimerId);
  m_selection.Clear();
  CScrollView::OnDestroy();
}

void CPagesListView::Layout() {
  CLeafwrightDoc* doc = GetDocument();
  CRect client;
  GetClientRect(&client);
  if (!doc) {
    SetScrollSizes(MM_TEXT, CSize(100, 100));
    return;
  }
  const auto size = doc->GetDocLogSize(Vectorloom::UNIT_PIXEL);
  m_layout = CPagesListLayout::Compute(client.Width(), size.cx, size.cy);
  const int64_t height = static_cast<int64_t>(m_layout.cellHeight) * PageCount();
  // A line is one cell, a page the window's height.
  SetScrollSizes(MM_TEXT, CSize(m_layout.cellWidth + 24, static_cast<int>(std::min<int64_t>(height, 0x3FFFFFFF))),
                 CSize(std::max(1, client.Width()), std::max(m_layout.cellHeight, client.Height())),
                 CSize(std::max(1, client.Width() / 10), m_layout.cellHeight));
  Invalidate(FALSE);
}

void CPagesListView::OnInitialUpdate() {
  Layout();
  CScrollView::OnInitialUpdate();
}

void CPagesListView::OnSize(UINT nType, int cx, int cy) {
  CScrollView::OnSize(nType, cx, cy);
  if (GetDocument()) Layout();
}

void CPagesListView::OnUpdate(CView*, LPARAM lHint, CObject* pHint) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc) return;
  auto* page = dynamic_cast<CDrawingPage*>(CWorkspaceDoc::HintPage(pHint));
  switch (lHint) {
    case 3:
      // Pages an undo or a delete took out of the document leave the selection.
      m_selection.DropMissing(doc->GetRenderPagesArray());
      if (page && m_selection.Contains(page)) {
        m_selection.MakeCurrent(page);  // a command that selected the new pages itself keeps them
      } else if (page) {
        m_selection.Clear();
        m_selection.Add(page);
      }
      Layout();
      ShowCurrentPage();
      LoadVisiblePages();
      break;
    case 4:
      m_selection.DropMissing(doc->GetRenderPagesArray());
      if (page && page != m_selection.Current()) {
        m_selection.MakeCurrent(page);
        RedrawPageRow(doc->GetRenderPagesArray().IndexOf(page));
      } else {
        Invalidate(FALSE);
      }
      ShowCurrentPage();
      break;
    case 2:
      if (page) RedrawPageRow(doc->GetRenderPagesArray().IndexOf(page));
      break;
    default: break;
  }
}

namespace {

double Luminance(COLORREF c) {
  auto lin = [](int v) {
    const double s = v / 255.0;
    return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}

// Black or white, whichever stands out more on the background.
COLORREF TextOn(COLORREF back) {
  const double l = Luminance(back);
  return (l + 0.05) / 0.05 >= 1.05 / (l + 0.05) ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

void Fill(HDC hdc, const CRect& r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(hdc, &r, b);
  DeleteObject(b);
}

}  // namespace

void CPagesListView::OnDraw(CDC* pDC) {
  CRect clip;
  pDC->GetClipBox(&clip);
  HDC hdc = pDC->GetSafeHdc();
  if (hdc) DrawRows(hdc, clip);
}

void CPagesListView::DrawRows(HDC hdc, const CRect& band) {
  const CQORPThemeColors& colors = CQORPPaintManager::Get()->GetColors();
  const COLORREF back = colors.GetColor(QORP_CLR_WORD_PANE_BACKGROUND);
  Fill(hdc, band, back);
  CLeafwrightDoc* doc = GetDocument();
  if (!doc) return;
  const int count = doc->GetPagesCount();
  const auto [first, last] = m_layout.Rows(band.top, band.bottom, count);
  const auto docSize = doc->GetDocLogSize(Vectorloom::UNIT_PIXEL);
  HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
  HGDIOBJ oldFont = SelectObject(hdc, font);
  SetBkMode(hdc, TRANSPARENT);
  for (int row = first; row <= last; ++row) {
    CDrawingPage* page = doc->GetDrawingPage(row);
    if (!page) continue;
    const bool selected = m_selection.Contains(page);
    const CRect cell = m_layout.CellRect(row);
    COLORREF cellBack = back;
    if (selected) {
      cellBack = colors.GetColor(QORP_CLR_SELECTED_FILL);
      Fill(hdc, cell, cellBack);
      if (page == m_selection.Current()) {
        // The current page's frame: two pixels in the highlighted-frame colour.
        const COLORREF frame = colors.GetColor(QORP_CLR_SELECTED_FRAME);
        Fill(hdc, CRect(cell.left, cell.top, cell.right, cell.top + 2), frame);
        Fill(hdc, CRect(cell.left, cell.bottom - 2, cell.right, cell.bottom), frame);
        Fill(hdc, CRect(cell.left, cell.top, cell.left + 2, cell.bottom), frame);
        Fill(hdc, CRect(cell.right - 2, cell.top, cell.right, cell.bottom), frame);
      }
    }
    const CRect pic = m_layout.PictureRect(row);
    if (!selected) Fill(hdc, CRect(pic.left - 2, pic.top - 2, pic.right + 2, pic.bottom + 2), RGB(0x80, 0x80, 0x80));
    CString caption;
    caption.Format(L"Page #%d", row + 1);
    SetTextColor(hdc, TextOn(cellBack));
    CRect captionRect = m_layout.CaptionRect(row);
    DrawTextW(hdc, caption.GetString(), caption.GetLength(), &captionRect, DT_CENTER | DT_TOP | DT_SINGLELINE);

    Fill(hdc, pic, RGB(255, 255, 255));
    if (page->IsPageContentLoaded() && docSize.cx > 0 && docSize.cy > 0) {
      const auto pageSize = page->GetPageSize(Vectorloom::UNIT_PIXEL);
      Gdiplus::Graphics g(hdc);
      g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
      g.SetClip(Gdiplus::Rect(pic.left, pic.top, pic.Width(), pic.Height()));
      const float sx = static_cast<float>(pic.Width()) / docSize.cx, sy = static_cast<float>(pic.Height()) / docSize.cy;
      Gdiplus::Matrix m;
      m.Scale(sx, sy, Gdiplus::MatrixOrderAppend);
      m.Translate((docSize.cx - pageSize.cx) * sx / 2 + static_cast<float>(pic.left),
                  (docSize.cy - pageSize.cy) * sy / 2 + static_cast<float>(pic.top), Gdiplus::MatrixOrderAppend);
      auto lock = doc->LockContent();
      // The picture reaches the pane's bitmap once, not after every object (a page may hold
      // 100,000 of them).
      g.LwHoldSync();
      page->DrawAllObjects(&g, m);
      g.LwReleaseSync();
    }
  }
  SelectObject(hdc, oldFont);
  DeleteObject(font);
}

bool CPagesListView::LoadVisiblePages() {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !GetSafeHwnd()) return false;
  CRect client;
  GetClientRect(&client);
  client.OffsetRect(GetScrollPosition());
  const auto [first, last] = m_layout.Rows(client.top, client.bottom, doc->GetPagesCount());
  bool any = false;
  for (int row = first; row <= last; ++row) {
    CDrawingPage* page = doc->GetDrawingPage(row);
    if (!page || page->IsPageContentLoaded()) continue;
    if (page->LoadPageContent(doc)) {
      auto lock = doc->LockContent();
      page->SetPageSourceContent(nullptr);
      page->SetPageSourceIndex(-1);
      any = true;
    }
  }
  if (any) RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return any;
}

void CPagesListView::OnLoadTimer(DWORD now) {
  if (!m_debounce.Due(now)) return;
  m_debounce.pending = false;
  LoadVisiblePages();
}

void CPagesListView::OnTimer(UINT_PTR nIDEvent) {
  if (nIDEvent == kLoadTimerId) OnLoadTimer(GetTickCount());
}

void CPagesListView::OnLButtonDown(UINT nFlags, CPoint point) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc) return;
  const int index = m_layout.HitTest(point + GetScrollPosition(), doc->GetPagesCount());
  if (index < 0) return;
  const bool ctrl = (nFlags & MK_CONTROL) != 0, shift = (nFlags & MK_SHIFT) != 0;
  const bool notify = m_selection.Click(index, ctrl, shift, m_nAnchor, doc->GetRenderPagesArray());
  Invalidate(FALSE);
  if (notify) doc->UpdateAllViews(nullptr, 4, CWorkspaceDoc::PageHint(m_selection.Current()));
}

void CPagesListView::OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar) {
  if (nSBCode == SB_LINEUP || nSBCode == SB_LINEDOWN) {
    // A line is one cell.
    OnScrollBy(CSize(0, nSBCode == SB_LINEUP ? -m_layout.cellHeight : m_layout.cellHeight));
  } else {
    CScrollView::OnVScroll(nSBCode, nPos, pScrollBar);
  }
  Invalidate(FALSE);
  if (nSBCode != SB_THUMBTRACK) m_debounce.Scrolled(GetTickCount());
}

void CPagesListView::ShowCurrentPage() {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !GetSafeHwnd() || !m_selection.Current()) return;
  CRect client;
  GetClientRect(&client);
  const CPoint at = GetScrollPosition();
  const int row = doc->GetRenderPagesArray().IndexOf(m_selection.Current());
  const int y = m_layout.ScrollToShowRow(row, at.y, client.Height());
  if (y == at.y) return;
  OnScrollBy(CSize(0, y - at.y));
  Invalidate(FALSE);
  m_debounce.Scrolled(GetTickCount());
}

BOOL CPagesListView::OnMouseWheel(UINT, short zDelta, CPoint) {
  // One cell a notch; a touchpad's fractions add up until they make one.
  m_nWheelDelta += zDelta;
  const int notches = m_nWheelDelta / WHEEL_DELTA;
  m_nWheelDelta -= notches * WHEEL_DELTA;
  if (notches == 0 || m_layout.cellHeight <= 0) return FALSE;
  const BOOL done = OnScrollBy(CSize(0, -notches * m_layout.cellHeight));
  if (done) {
    Invalidate(FALSE);
    m_debounce.Scrolled(GetTickCount());
  }
  return done;
}
