// The small Win32 calls under Xvfb: system metrics, the wait cursor's nesting, and a window's
// scroll bar set and read back.
#include <gtest/gtest.h>

#include <wx/display.h>
#include <wx/utils.h>

#include <afxwin.h>

#include "GuiTestHarness.h"

namespace {

TEST(SystemCallsGui, MetricsComeFromTheDisplay) {
  const wxRect screen = wxDisplay(0u).GetGeometry();
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), screen.width);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), screen.height);
  EXPECT_GE(GetSystemMetrics(SM_CXVIRTUALSCREEN), screen.width);
  EXPECT_GE(GetSystemMetrics(SM_CMONITORS), 1);
  for (int m : {SM_CXVSCROLL, SM_CYHSCROLL, SM_CXICON, SM_CXSMICON, SM_CXDOUBLECLK, SM_CYCAPTION}) {
    SCOPED_TRACE(m);
    EXPECT_GT(GetSystemMetrics(m), 0);
    EXPECT_LT(GetSystemMetrics(m), 200);
  }
  EXPECT_EQ(GetSystemMetrics(9999), 0);
  EXPECT_TRUE(MessageBeep(0));
}

TEST(SystemCallsGui, WaitCursorsNestAndEndTogether) {
  ASSERT_EQ(lwmfc::GetWaitCursorDepth(), 0);
  {
    CWaitCursor outer;
    EXPECT_TRUE(wxIsBusy());
    {
      CWaitCursor inner;
      EXPECT_EQ(lwmfc::GetWaitCursorDepth(), 2);
    }
    EXPECT_TRUE(wxIsBusy());  // the outer one still holds it
    outer.Restore();
    EXPECT_EQ(lwmfc::GetWaitCursorDepth(), 1);
  }
  EXPECT_FALSE(wxIsBusy());
  CCmdTarget target;
  target.EndWaitCursor();  // one End too many does not go below zero
  EXPECT_EQ(lwmfc::GetWaitCursorDepth(), 0);
  target.BeginWaitCursor();
  EXPECT_TRUE(wxIsBusy());
  target.EndWaitCursor();
  EXPECT_FALSE(wxIsBusy());
}

TEST(SystemCallsGui, ScrollInfoRoundTripsWithinTheRange) {
  CFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"scroll"));
  CWnd child;
  ASSERT_TRUE(child.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL, CRect(0, 0, 200, 100),
                           &frame, 1));
  struct Case {
    int nMin, nMax;
    UINT nPage;
    int nPos, want;
  } cases[] = {
      {0, 99, 10, 50, 50},
      {0, 99, 10, 95, 90},  // the page stops at the end
      {10, 209, 20, 5, 10},  // below the range
      {-50, 50, 1, 50, 50},
      {0, 9, 30, 3, 0},  // a page larger than the range
      {0, 99, 0, 50, 50},  // no page: the position reaches the end of the range
      {0, 99, 0, 99, 99},
  };
  for (const Case& c : cases) {
    SCROLLINFO si{sizeof si, SIF_ALL, c.nMin, c.nMax, c.nPage, c.nPos, 0};
    EXPECT_EQ(::SetScrollInfo(child.m_hWnd, SB_VERT, &si, TRUE), c.want);
    SCROLLINFO got{sizeof got, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
    ASSERT_TRUE(::GetScrollInfo(child.m_hWnd, SB_VERT, &got));
    EXPECT_EQ(got.nMin, c.nMin);
    EXPECT_EQ(got.nMax, c.nMax);
    EXPECT_EQ(got.nPos, c.want);
    EXPECT_EQ(got.nPage, std::min<UINT>(c.nPage, static_cast<UINT>(c.nMax - c.nMin + 1)));
  }
  // Only the position: range and page stay.
  SCROLLINFO all{sizeof all, SIF_ALL, 5, 104, 10, 0, 0};
  child.SetScrollInfo(SB_VERT, &all);
  SCROLLINFO pos{sizeof pos, SIF_POS, 0, 0, 0, 40, 0};
  EXPECT_EQ(child.SetScrollInfo(SB_VERT, &pos), 40);
  SCROLLINFO got{sizeof got, SIF_ALL, 0, 0, 0, 0, 0};
  child.GetScrollInfo(SB_VERT, &got);
  EXPECT_EQ(got.nMin, 5);
  EXPECT_EQ(got.nMax, 104);
  EXPECT_EQ(got.nPage, 10u);
  EXPECT_EQ(got.nPos, 40);
  frame.DestroyWindow();
}

}  // namespace
