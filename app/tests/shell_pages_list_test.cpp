// The thumbnail pane's arithmetic and selection without a window: cell layout (also before a
// document has a size), hit testing, the rows a band shows, mouse selection with Ctrl and Shift,
// dropping pages that left the document, and the pause before loading after scrolling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <vectorloom/RenderPage.h>

#include "PageBusiPage.h"
#include "PagesListView.h"

namespace {

TEST(PagesListLayout, CellsFollowTheClientWidthAndTheDocumentShape) {
  const struct {
    int client;
    float w, h;
    int cellWidth, picture, cellHeight, left;
  } cases[] = {
      {40, 612, 792, 36, 31, 67, 2},           // narrowest cell
      {1000, 612, 792, 640, 813, 849, 180},    // widest cell, centred
      {224, 612, 792, 200, 243, 279, 12},      // portrait letter: (200 - 12) x 792 / 612
      {224, 792, 612, 200, 145, 181, 12},      // landscape
      {224, 0, 0, 200, 188, 224, 12},          // no document size yet: square pictures
      {224, 612, 0, 200, 188, 224, 12},        // nor with a side of 0
      {224, 612, 1e-7f, 200, 1, 37, 12},       // a sliver of a page still has a cell
      {0, 612, 792, 36, 31, 67, 0},            // before the first layout
  };
  for (const auto& c : cases) {
    const CPagesListLayout l = CPagesListLayout::Compute(c.client, c.w, c.h);
    EXPECT_EQ(l.cellWidth, c.cellWidth) << c.client;
    EXPECT_EQ(l.pictureHeight, c.picture) << c.client << " " << c.w << "x" << c.h;
    EXPECT_EQ(l.cellHeight, c.cellHeight) << c.client;
    EXPECT_EQ(l.leftMargin, c.left) << c.client;
    EXPECT_GT(l.cellHeight, 0);
  }
  const CPagesListLayout l = CPagesListLayout::Compute(224, 612, 792);
  EXPECT_EQ(l.CellRect(1), CRect(12, 283, 212, 558));
  EXPECT_EQ(l.PictureRect(1), CRect(18, 289, 206, 532));
  EXPECT_EQ(l.CaptionRect(1), CRect(12, 538, 212, 558));
}

TEST(PagesListLayout, HitTestAndVisibleRowsNeverDivideByZero) {
  const CPagesListLayout none;  // never laid out: cell height 0
  EXPECT_EQ(none.HitTest(CPoint(10, 10), 5), -1);
  const auto [f0, l0] = none.Rows(0, 500, 5);
  EXPECT_GT(f0, l0);

  const CPagesListLayout l = CPagesListLayout::Compute(224, 612, 792);  // cells of 279
  const struct {
    int x, y, pages, index;
  } hits[] = {{50, 0, 5, 0}, {50, 278, 5, 0}, {50, 279, 5, 1}, {50, 279 * 5, 5, -1}, {50, -1, 5, -1}, {300, 10, 5, -1}};
  for (const auto& h : hits) EXPECT_EQ(l.HitTest(CPoint(h.x, h.y), h.pages), h.index) << h.x << "," << h.y;
  EXPECT_EQ(l.Rows(300, 900, 300), std::make_pair(1, 3));
  EXPECT_EQ(l.Rows(0, 100000, 4), std::make_pair(0, 3));
}

TEST(PagesListLayout, TheCurrentPagesCellIsScrolledIntoView) {
  const CPagesListLayout l = CPagesListLayout::Compute(224, 612, 792);  // cells of 279
  const struct {
    int row, y, client, to;
  } cases[] = {
      {0, 0, 700, 0},                  // in view: stays
      {1, 0, 700, 0},
      {2, 0, 700, 837 - 700},          // below: its bottom comes to the window's bottom
      {299, 0, 700, 300 * 279 - 700},  // the last of 300 pages
      {3, 279 * 10, 700, 279 * 3},     // above: its top comes to the window's top
      {4, 0, 200, 279 * 4},            // taller than the window: its top
      {-1, 500, 700, 500},             // no page: stays
  };
  for (const auto& c : cases) EXPECT_EQ(l.ScrollToShowRow(c.row, c.y, c.client), c.to) << c.row << " from " << c.y;
  const CPagesListLayout none;
  EXPECT_EQ(none.ScrollToShowRow(3, 40, 700), 40);
}

// Pages of a document array, named by their 1-based position.
struct Pages {
  Vectorloom::CRenderPagesArray array;
  explicit Pages(int n) {
    for (int i = 0; i < n; ++i) {
      auto* p = new CPageBusiPage;
      p->SetLogWidth(static_cast<float>(i + 1));
      array.AddPage(p);
    }
  }
  std::string Names(const CPageSelection& s) const {
    std::string out;
    for (int i = 0; i < s.GetCount(); ++i) out += (out.empty() ? "" : ",") + std::to_string(array.IndexOf(s.GetAt(i)) + 1);
    return out;
  }
};

TEST(PageSelection, ClicksWithCtrlAndShift) {
  struct Click {
    int page;  // 1-based
    bool ctrl, shift;
  };
  const struct {
    const char* what;
    std::vector<Click> clicks;
    const char* selection;  // in order, the current page last
    bool notify;            // after the last click
  } cases[] = {
      {"plain click", {{3, false, false}}, "3", true},
      {"ctrl adds", {{3, false, false}, {5, true, false}}, "3,5", true},
      {"ctrl on the only selected page empties it and tells nobody", {{3, false, false}, {3, true, false}}, "", false},
      {"shift without anchor selects the page only", {{4, false, true}}, "4", true},
      {"shift from the anchor, clicked page last", {{2, false, false}, {4, false, true}}, "2,3,4", true},
      {"shift upwards keeps the clicked page current", {{4, false, false}, {2, false, true}}, "3,4,2", true},
      {"shift grows over selected neighbours",
       {{1, false, false}, {2, true, false}, {5, true, false}, {7, true, false}, {3, false, true}},
       "1,2,4,5,6,7,3", true},
  };
  for (const auto& c : cases) {
    Pages pages(7);
    CPageSelection sel;
    int anchor = -1;
    bool notify = false;
    for (const Click& k : c.clicks) notify = sel.Click(k.page - 1, k.ctrl, k.shift, anchor, pages.array);
    EXPECT_EQ(pages.Names(sel), c.selection) << c.what;
    EXPECT_EQ(notify, c.notify) << c.what;
    EXPECT_EQ(anchor, c.clicks.back().page - 1) << c.what;
  }
  Pages pages(3);
  CPageSelection sel;
  int anchor = 7;  // stale: out of range
  EXPECT_FALSE(sel.Click(9, false, false, anchor, pages.array));
  EXPECT_TRUE(sel.Click(1, false, true, anchor, pages.array));
  EXPECT_EQ(pages.Names(sel), "2");
}

TEST(PageSelection, PagesThatLeftTheDocumentLeaveTheSelection) {
  Pages pages(4);
  CPageSelection sel;
  for (int i : {0, 2, 3}) sel.Add(static_cast<CDrawingPage*>(pages.array.GetAt(i)));
  auto* gone = static_cast<CDrawingPage*>(pages.array.GetAt(2));
  gone->AddRef();
  pages.array.RemovePage(2);
  EXPECT_TRUE(sel.DropMissing(pages.array));
  EXPECT_EQ(pages.Names(sel), "1,3");  // positions now: pages 1 and old 4 (now 3rd)
  EXPECT_FALSE(sel.Contains(gone));
  EXPECT_EQ(gone->GetRefCount(), 1);  // the selection let its reference go
  gone->Release();
  sel.MakeCurrent(static_cast<CDrawingPage*>(pages.array.GetAt(0)));
  EXPECT_EQ(pages.Names(sel), "3,1");
}

TEST(ScrollLoadDebounce, LoadsOnlyAfterAPauseOfMoreThan300Ms) {
  CScrollLoadDebounce d;
  EXPECT_FALSE(d.Due(5000));  // nothing scrolled
  d.Scrolled(1000);
  EXPECT_FALSE(d.Due(1200));
  d.Scrolled(1250);  // still scrolling
  EXPECT_FALSE(d.Due(1500));
  EXPECT_FALSE(d.Due(1550));
  EXPECT_TRUE(d.Due(1551));
  d.Scrolled(0xFFFFFF00u);  // the tick counter wraps
  EXPECT_FALSE(d.Due(0x10));
  EXPECT_TRUE(d.Due(0x100));
}

}  // namespace
