// Views under Xvfb: painting through OnPrepareDC and OnDraw, the initial update, and the scroll
// view scrolling by line, page, thumb and wheel with the drawing origin following.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <cairo.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/window.h>

#include <afxwin.h>

#include "TestSupport.h"

#include "GuiTestHarness.h"
#include "doc_template_table.h"

using namespace guitest;

namespace {

using namespace std::chrono;

class CPageView : public CScrollView {
 public:
  CPageView() = default;
  int draws = 0;
  int initialUpdates = 0;
  int updates = 0;
  CPoint drawnOrigin{-1, -1};
  double deviceOfScrollX = -1, deviceOfScrollY = -1;  // where the scroll position's point landed

  void OnDraw(CDC* pDC) override {
    ++draws;
    drawnOrigin = pDC->GetViewportOrg();
    if (auto* cr = static_cast<cairo_t*>(static_cast<CPaintDC*>(pDC)->GetCairo())) {
      double x = GetScrollPosition().x, y = GetScrollPosition().y;
      cairo_user_to_device(cr, &x, &y);
      deviceOfScrollX = x;
      deviceOfScrollY = y;
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
    }
  }
  void OnInitialUpdate() override {
    ++initialUpdates;
    CScrollView::OnInitialUpdate();
  }
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
    ++updates;
    CScrollView::OnUpdate(pSender, lHint, pHint);
  }
  using CScrollView::GetMaxScrollPosition;
};

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"Views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 420, 320)));
    view = new CPageView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), frame, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(PumpUntil([&] { return view->GetWxWindow()->IsShownOnScreen(); }));
    view->SetScrollSizes(MM_TEXT, CSize(2000, 3000), CSize(100, 150), CSize(10, 15));
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();  // the view deletes itself with its window
    PumpUntil([] { return false; }, 20);
    delete frame;
  }
  CFrameWnd* frame = nullptr;
  CPageView* view = nullptr;
};

TEST_F(ViewTest, ScrollMessagesMoveThePositionWithinTheRange) {
  const CPoint maxPos = view->GetMaxScrollPosition();
  ASSERT_GT(maxPos.x, 700);
  ASSERT_GT(maxPos.y, 500);
  struct Case {
    UINT message;
    UINT code;
    UINT pos;
    long x, y;  // expected position afterwards (-1: the largest)
  } const cases[] = {
      {WM_VSCROLL, SB_LINEDOWN, 0, 0, 15},       {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 165},
      {WM_VSCROLL, SB_LINEUP, 0, 0, 150},        {WM_VSCROLL, SB_THUMBTRACK, 500, 0, 500},
      {WM_VSCROLL, SB_ENDSCROLL, 0, 0, 500},     {WM_VSCROLL, SB_PAGEUP, 0, 0, 350},
      {WM_VSCROLL, SB_TOP, 0, 0, 0},             {WM_VSCROLL, SB_LINEUP, 0, 0, 0},
      {WM_VSCROLL, SB_BOTTOM, 0, 0, -1},         {WM_VSCROLL, SB_LINEDOWN, 0, 0, -1},
      {WM_VSCROLL, SB_THUMBPOSITION, 60000, 0, -1}, {WM_HSCROLL, SB_LINERIGHT, 0, 10, -1},
      {WM_HSCROLL, SB_PAGERIGHT, 0, 110, -1},    {WM_HSCROLL, SB_THUMBTRACK, 700, 700, -1},
      {WM_HSCROLL, SB_LEFT, 0, 0, -1},
  };
  for (const Case& c : cases) {
    view->SendMessage(c.message, MAKEWPARAM(c.code, c.pos), 0);
    const CPoint expected(c.x < 0 ? maxPos.x : c.x, c.y < 0 ? maxPos.y : c.y);
    EXPECT_EQ(view->GetScrollPosition(), expected) << "message " << c.message << " code " << c.code;
    EXPECT_EQ(view->GetDeviceScrollPosition(), expected);
  }
}

TEST_F(ViewTest, ToolkitScrollEventsAndTheWheelScroll) {
  wxWindow* w = view->GetWxWindow();
  wxScrollWinEvent line(wxEVT_SCROLLWIN_LINEDOWN, 0, wxVERTICAL);
  line.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(line);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 15));
  wxScrollWinEvent thumb(wxEVT_SCROLLWIN_THUMBTRACK, 40, wxHORIZONTAL);
  thumb.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(thumb);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 15));
  EXPECT_EQ(w->GetScrollPos(wxHORIZONTAL), 40);
  EXPECT_EQ(w->GetScrollPos(wxVERTICAL), 15);

  // One notch down is three lines; the toolkit's wheel event arrives the same way.
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = -120;
  wheel.m_wheelDelta = 120;
  wheel.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
  wheel.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 60));
  // Half notches add up; nothing moves until a whole one is there.
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 60));
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 15));
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 0));
}

TEST_F(ViewTest, PaintingDrawsFromTheScrollPosition) {
  view->ScrollToPosition(CPoint(110, 165));
  view->draws = 0;
  view->Invalidate();
  view->UpdateWindow();
  ASSERT_TRUE(PumpUntil([&] { return view->draws > 0; }));
  EXPECT_EQ(view->drawnOrigin, CPoint(-110, -165));
  // The point at the scroll position is drawn at the window's top left.
  EXPECT_DOUBLE_EQ(view->deviceOfScrollX, 0.0);
  EXPECT_DOUBLE_EQ(view->deviceOfScrollY, 0.0);
}

TEST_F(ViewTest, SmallerSizesKeepThePositionInRange) {
  view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
  view->SetScrollSizes(MM_TEXT, CSize(view->GetMaxScrollPosition().x / 2 + 1000, 10));
  EXPECT_LE(view->GetScrollPosition().x, view->GetMaxScrollPosition().x);
  EXPECT_EQ(view->GetScrollPosition().y, 0);
  // Nothing to scroll vertically: the wheel turns to the horizontal direction, and the
  // default line is a hundredth of the total.
  const CPoint before = view->GetScrollPosition();
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(view->GetScrollPosition().y, 0);
  EXPECT_EQ(view->GetScrollPosition().x, before.x - 3 * (view->GetTotalSize().cx / 100));

  view->SetScrollSizes(MM_TEXT, CSize(10, 10));
  EXPECT_EQ(view->GetMaxScrollPosition(), CPoint(0, 0));
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
  view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
}

TEST_F(ViewTest, InitialUpdateMessageReachesTheView) {
  view->SendMessage(WM_INITIALUPDATE);
  EXPECT_EQ(view->initialUpdates, 1);
  EXPECT_EQ(view->updates, 1);  // through the default OnInitialUpdate
}

TEST_F(ViewTest, ThumbPositionsPastSixteenBitsScrollAllTheWay) {
  view->SetScrollSizes(MM_TEXT, CSize(200000, 100000), CSize(100, 150), CSize(10, 15));
  wxWindow* w = view->GetWxWindow();
  struct Case {
    wxEventType type;
    int orient;
    int pos;
    long x, y;
  } const cases[] = {
      {wxEVT_SCROLLWIN_THUMBTRACK, wxVERTICAL, 70000, 0, 70000},
      {wxEVT_SCROLLWIN_THUMBRELEASE, wxVERTICAL, 65536, 0, 65536},
      {wxEVT_SCROLLWIN_THUMBTRACK, wxHORIZONTAL, 131071, 131071, 65536},
      {wxEVT_SCROLLWIN_THUMBTRACK, wxVERTICAL, 32768, 131071, 32768},
  };
  for (const Case& c : cases) {
    wxScrollWinEvent e(c.type, c.pos, c.orient);
    e.SetEventObject(w);
    w->GetEventHandler()->ProcessEvent(e);
    EXPECT_EQ(view->GetScrollPosition(), CPoint(c.x, c.y)) << c.pos;
    EXPECT_EQ(w->GetScrollPos(c.orient), c.pos);
  }
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  ASSERT_TRUE(view->GetScrollInfo(SB_VERT, &info, SIF_ALL));
  EXPECT_EQ(info.nPos, 32768);
  EXPECT_EQ(info.nTrackPos, 32768);  // no thumb is moving
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 99999);
  // A message sent by code has nothing but its own 16 bits.
  view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 1000), 0);
  EXPECT_EQ(view->GetScrollPosition().y, 1000);
}

// A frame lays out its bars along its edges and gives its view the rest.
TEST(FrameLayoutTest, BarsTakeTheEdgesAndTheViewTheRest) {
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, L"Layout", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 420, 320)));
  CWnd toolbar, status;
  ASSERT_TRUE(toolbar.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 30), frame, AFX_IDW_TOOLBAR));
  ASSERT_TRUE(status.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), frame, AFX_IDW_STATUS_BAR));
  auto* view = new CPageView;
  ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), frame, AFX_IDW_PANE_FIRST));
  ASSERT_TRUE(PumpUntil([&] { return frame->GetWxWindow()->IsShownOnScreen(); }));
  struct Case {
    bool toolbarShown, statusShown;
  } const cases[] = {{true, true}, {false, true}, {true, false}, {false, false}};
  for (const Case& c : cases) {
    toolbar.ShowWindow(c.toolbarShown ? SW_SHOW : SW_HIDE);
    status.ShowWindow(c.statusShown ? SW_SHOW : SW_HIDE);
    frame->RecalcLayout();
    CRect client;
    frame->GetClientRect(&client);
    const int top = c.toolbarShown ? 30 : 0;
    const int bottom = client.bottom - (c.statusShown ? 20 : 0);
    EXPECT_EQ(view->GetWxWindow()->GetRect(), wxRect(0, top, client.Width(), bottom - top))
        << c.toolbarShown << c.statusShown;
    if (c.toolbarShown) {
      EXPECT_EQ(toolbar.GetWxWindow()->GetRect(), wxRect(0, 0, client.Width(), 30));
    }
    if (c.statusShown) {
      EXPECT_EQ(status.GetWxWindow()->GetRect(), wxRect(0, bottom, client.Width(), 20));
    }
  }
  // Sizing the frame lays it out again.
  frame->MoveWindow(0, 0, 500, 400);
  ASSERT_TRUE(PumpUntil([&] {
    CRect client;
    frame->GetClientRect(&client);
    return client.Width() != 0 && view->GetWxWindow()->GetRect().width == client.Width();
  }));
  frame->DestroyWindow();
  PumpUntil([] { return false; }, 20);
  delete frame;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The single-document template's table with real windows, and files dropped on its frame

namespace doctable {

void PumpEvents() { PumpUntil([] { return false; }, 20); }

TEST_P(DocTemplateTest, FilesDroppedOnTheFrameOpenTheFirst) {
  CTestDoc* doc = New();
  ASSERT_NE(doc, nullptr);
  CWnd* frame = app->m_pMainWnd;
  ASSERT_NE(frame, nullptr);
  frame->DragAcceptFiles(TRUE);
  wxWindow* w = frame->GetWxWindow();
  struct Case {
    std::vector<const wchar_t*> files;
    const wchar_t* content;  // the document afterwards
  } const cases[] = {
      {{L"first.lfw", L"second.lfw"}, L"first.lfw"},
      {{L"bad", L"third.lfw"}, L"first.lfw"},  // a file that does not open changes nothing
      {{}, L"first.lfw"},
  };
  for (const Case& c : cases) {
    auto* names = new wxString[c.files.size()];
    for (size_t i = 0; i < c.files.size(); ++i) names[i] = c.files[i];
    wxDropFilesEvent drop(wxEVT_DROP_FILES, static_cast<int>(c.files.size()), names);
    drop.SetEventObject(w);
    w->GetEventHandler()->ProcessEvent(drop);
    EXPECT_EQ(doc->content, c.content);
    EXPECT_EQ(doc->GetPathName(), L"first.lfw");
    EXPECT_EQ(Doc(), doc);
  }
  EXPECT_EQ(app->GetRecentFile(0), L"first.lfw");
}

INSTANTIATE_TEST_SUITE_P(Windows, DocTemplateTest, ::testing::Values(Frames::windows), FramesName);

}  // namespace doctable
