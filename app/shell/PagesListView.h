// The thumbnail pane: a second view of the document in the main window's docking pane. It lists
// every page scaled into a cell with its caption "Page #n", keeps its own multiple selection of
// pages (the last selected is the current page), tells the other views which page is current,
// and reads the content of the visible pages from their files a moment after scrolling stops.
#pragma once

#include <afxwin.h>

#include <utility>
#include <vector>

#include "PageCommands.h"

class CLeafwrightDoc;
namespace Quirebook {
class CDrawingPage;
}
namespace Vectorloom {
class CRenderPagesArray;
}
using Quirebook::CDrawingPage;

// Where the cells lie for a client width and a document size (pixels). A document without a
// size gets square pictures; a cell is never less than 36 pixels high.
struct CPagesListLayout {
  static constexpr int kMinCellWidth = 36;
  static constexpr int kMaxCellWidth = 640;

  int clientWidth = 0;
  int cellWidth = 0;
  int pictureHeight = 0;
  int cellHeight = 0;
  int leftMargin = 0;
  int rightMargin = 0;

  static CPagesListLayout Compute(int clientWidth, float docWidth, float docHeight);
  // The cell under a point of the list (scroll already added); -1 outside every cell.
  int HitTest(CPoint pt, int pageCount) const;
  // The rows a band of the list from top to bottom shows, both included, within the pages;
  // first > last when none.
  std::pair<int, int> Rows(int top, int bottom, int pageCount) const;
  // The vertical scroll position that shows the cell of a row whole, moving as little as
  // possible from y in a window clientHeight high (a cell taller than the window shows its top).
  int ScrollToShowRow(int row, int y, int clientHeight) const;
  CRect CellRect(int row) const;
  CRect PictureRect(int row) const;
  // The band the caption is centred in.
  CRect CaptionRect(int row) const;
};

// The selection: pages in the order they were selected, each held by a reference.
class CPageSelection {
 public:
  CPageSelection() = default;
  CPageSelection(const CPageSelection&) = delete;
  CPageSelection& operator=(const CPageSelection&) = delete;
  ~CPageSelection() { Clear(); }

  int GetCount() const { return static_cast<int>(m_pages.size()); }
  CDrawingPage* GetAt(int i) const { return m_pages[static_cast<size_t>(i)]; }
  bool Contains(const CDrawingPage* page) const;
  // Appended unless present.
  void Add(CDrawingPage* page);
  void Remove(CDrawingPage* page);
  void Clear();
  // The last selected page, or null.
  CDrawingPage* Current() const { return m_pages.empty() ? nullptr : m_pages.back(); }
  // Made current: moved to the end (added when absent).
  void MakeCurrent(CDrawingPage* page);
  // Lets go of pages that are no longer in the document; true when any went.
  bool DropMissing(const Vectorloom::CRenderPagesArray& pages);

  // A click on the cell `index` of the document's pages: Ctrl toggles the page; Shift selects
  // the range from the anchor (when valid) to the page, grown over selected neighbours, with
  // the clicked page last; otherwise the page alone. The anchor becomes index. Returns whether
  // the selection is not empty (the views are then told of the current page).
  bool Click(int index, bool ctrl, bool shift, int& anchor, const Vectorloom::CRenderPagesArray& pages);

 private:
  std::vector<CDrawingPage*> m_pages;
};

// Loading waits until scrolling has paused: due once more than 300 ms passed since the last
// scroll that set it pending.
struct CScrollLoadDebounce {
  static constexpr DWORD kPauseMs = 300;
  bool pending = false;
  DWORD lastScroll = 0;
  void Scrolled(DWORD now) {
    pending = true;
    lastScroll = now;
  }
  bool Due(DWORD now) const { return pending && now - lastScroll > kPauseMs; }
};

class CPagesListView : public CScrollView, public IPagesSelectionList {
  DECLARE_DYNCREATE(CPagesListView)

 public:
  static constexpr UINT_PTR kLoadTimerId = 11101;
  static constexpr UINT kLoadTimerMs = 1000;

  CPagesListView();
  ~CPagesListView() override;
  CLeafwrightDoc* GetDocument() const;

  // The selection as the page commands see it.
  int GetSelectedCount() const override { return m_selection.GetCount(); }
  CDrawingPage* GetSelectedPage(int i) const override { return m_selection.GetAt(i); }
  void ClearSelection() override;
  void AddSelectedPage(CDrawingPage* page) override;
  void RedrawPageRow(int index) override;

  const CPagesListLayout& GetLayout() const { return m_layout; }
  // Reads every visible page that is still in its file (then unbound from it); true when any
  // was read. The clock is GetTickCount unless a test sets one.
  bool LoadVisiblePages();
  // The timer's work: loads when due. `now` in milliseconds.
  void OnLoadTimer(DWORD now);
  CScrollLoadDebounce& GetDebounce() { return m_debounce; }

  void OnInitialUpdate() override;
  // 3: lay out again (a given page becomes the selection alone, or the current one when it is
  // selected already; pages gone from the document leave the selection), then load the visible
  // pages; 4: a given page becomes current; 2: repaint the page's cell. After 3 and 4 the
  // current page's cell is scrolled into view.
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnDraw(CDC* pDC) override;

  // Draws the rows of the band [top, bottom) of the list onto hdc (list coordinates).
  void DrawRows(HDC hdc, const CRect& band);

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar* pScrollBar);
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint pt);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  DECLARE_MESSAGE_MAP()

 private:
  void Layout();
  int PageCount() const;
  // Scrolls the current page's cell into view.
  void ShowCurrentPage();

  CPagesListLayout m_layout;
  CPageSelection m_selection;
  int m_nAnchor = -1;
  CScrollLoadDebounce m_debounce;
  int m_nWheelDelta = 0;  // wheel turns short of a notch
};
