// Windows over the toolkit under Xvfb: the event bridge, Default(), key pre-translation,
// sizing and painting, timers, capture, destruction and stale handles, closing, commands from
// menus, click activation, and messages from other threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/init.h>
#include <wx/window.h>

#include <afxwin.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

using namespace std::chrono;

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

struct Msg {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

class CProbeWnd : public CWnd {
 public:
  std::vector<Msg> msgs;
  int ncDestroyed = 0;
  bool callDefaultOnLButton = false;
  bool paintHadCairo = false;
  int createResult = 0;
  UINT preTranslateKey = 0;  // a key this window takes before dispatch
  int handlerSleepMs = 0;
  std::atomic<int> badFrames{0};
  std::atomic<int> framesSeen{0};

  int Count(UINT message) const {
    int n = 0;
    for (const Msg& m : msgs) n += m.message == message;
    return n;
  }
  const Msg* Last(UINT message) const {
    for (auto it = msgs.rbegin(); it != msgs.rend(); ++it)
      if (it->message == message) return &*it;
    return nullptr;
  }
  BOOL PreTranslateMessage(MSG* pMsg) override {
    return preTranslateKey && pMsg->message == WM_KEYDOWN && pMsg->wParam == preTranslateKey;
  }
  void PostNcDestroy() override { ++ncDestroyed; }

  afx_msg int OnCreate(LPCREATESTRUCT) { return createResult; }
  bool destroyAgainInOnDestroy = false;
  afx_msg void OnDestroy() {
    msgs.push_back({WM_DESTROY, 0, 0});
    if (destroyAgainInOnDestroy) {
      EXPECT_FALSE(DestroyWindow());
    }
  }
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    paintHadCairo = dc.GetCairo() != nullptr;
    msgs.push_back({WM_PAINT, 0, 0});
  }
  afx_msg void OnSize(UINT nType, int cx, int cy) { msgs.push_back({WM_SIZE, nType, MAKELPARAM(cx, cy)}); }
  afx_msg void OnLButtonDown(UINT nFlags, CPoint pt) {
    msgs.push_back({WM_LBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y)});
    if (callDefaultOnLButton) Default();
  }
  afx_msg void OnLButtonUp(UINT nFlags, CPoint pt) { msgs.push_back({WM_LBUTTONUP, nFlags, MAKELPARAM(pt.x, pt.y)}); }
  afx_msg void OnRButtonDown(UINT nFlags, CPoint pt) { msgs.push_back({WM_RBUTTONDOWN, nFlags, MAKELPARAM(pt.x, pt.y)}); }
  afx_msg void OnMouseMove(UINT nFlags, CPoint pt) { msgs.push_back({WM_MOUSEMOVE, nFlags, MAKELPARAM(pt.x, pt.y)}); }
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint) {
    msgs.push_back({WM_MOUSEWHEEL, MAKEWPARAM(nFlags, zDelta), 0});
    return TRUE;
  }
  afx_msg void OnKeyDown(UINT nChar, UINT, UINT) { msgs.push_back({WM_KEYDOWN, nChar, 0}); }
  afx_msg void OnChar(UINT nChar, UINT, UINT) { msgs.push_back({WM_CHAR, nChar, 0}); }
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) { msgs.push_back({WM_VSCROLL, MAKEWPARAM(nSBCode, nPos), 0}); }
  afx_msg void OnHScroll(UINT nSBCode, UINT nPos, CScrollBar*) { msgs.push_back({WM_HSCROLL, MAKEWPARAM(nSBCode, nPos), 0}); }
  afx_msg void OnCaptureChanged(CWnd*) { msgs.push_back({WM_CAPTURECHANGED, 0, 0}); }
  afx_msg void OnTimer(UINT_PTR nIDEvent) { msgs.push_back({WM_TIMER, nIDEvent, 0}); }
  afx_msg LRESULT OnPageRendered(WPARAM wParam, LPARAM lParam) {
    msgs.push_back({2056, wParam, lParam});
    return 0;
  }
  // A video frame: lParam points at a buffer whose every int must equal wParam.
  afx_msg LRESULT OnVideoFrame(WPARAM wParam, LPARAM lParam) {
    const int* buf = reinterpret_cast<const int*>(lParam);
    for (int i = 0; i < 4096; ++i)
      if (buf[i] != static_cast<int>(wParam)) {
        ++badFrames;
        break;
      }
    ++framesSeen;
    if (handlerSleepMs) std::this_thread::sleep_for(milliseconds(handlerSleepMs));  // a slow handler
    return 1;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProbeWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_DESTROY()
  ON_WM_PAINT()
  ON_WM_SIZE()
  ON_WM_LBUTTONDOWN()
  ON_WM_LBUTTONUP()
  ON_WM_RBUTTONDOWN()
  ON_WM_MOUSEMOVE()
  ON_WM_MOUSEWHEEL()
  ON_WM_KEYDOWN()
  ON_WM_CHAR()
  ON_WM_VSCROLL()
  ON_WM_HSCROLL()
  ON_WM_CAPTURECHANGED()
  ON_WM_TIMER()
  ON_MESSAGE(2056, &CProbeWnd::OnPageRendered)
  ON_MESSAGE(2101, &CProbeWnd::OnVideoFrame)
END_MESSAGE_MAP()

class CTestView : public CView {
 public:
  void OnDraw(CDC*) override {}
  int zoomIns = 0;
  void OnZoomIn() { ++zoomIns; }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestView, CView)
  ON_COMMAND(57643, &CTestView::OnZoomIn)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
 public:
  bool keepOpen = false;
  int closes = 0;
  afx_msg void OnClose() {
    ++closes;
    if (!keepOpen) CFrameWnd::OnClose();
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_WM_CLOSE()
END_MESSAGE_MAP()

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CTestFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
    probe = new CProbeWnd;
    ASSERT_TRUE(probe->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), frame, 1001));
    PumpUntil([&] { return probe->GetWxWindow()->IsShownOnScreen(); });
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpFor(20);
    delete probe;
    delete frame;
  }
  wxWindow* W() { return probe->GetWxWindow(); }
  // Processes the event on the probe's window; true when the toolkit's own handling was asked.
  bool Send(wxEvent& e) {
    e.SetEventObject(W());
    W()->GetEventHandler()->ProcessEvent(e);
    return e.GetSkipped();
  }
  CTestFrame* frame = nullptr;
  CProbeWnd* probe = nullptr;
};

wxMouseEvent Mouse(wxEventType t, int x, int y, bool left, bool shift) {
  wxMouseEvent e(t);
  e.m_x = x;
  e.m_y = y;
  e.SetLeftDown(left);
  e.SetShiftDown(shift);
  return e;
}

wxKeyEvent Key(wxEventType t, int code, wxChar uni) {
  wxKeyEvent e(t);
  e.m_keyCode = code;
  e.m_uniChar = uni;
  return e;
}

TEST_F(GuiTest, EventsBecomeMessages) {
  struct Case {
    const char* name;
    std::function<wxEvent*()> make;
    UINT message;  // 0: no message expected
    WPARAM wParam;
    LPARAM lParam;
  };
  const Case cases[] = {
      {"left down", [] { return Mouse(wxEVT_LEFT_DOWN, 10, 20, true, true).Clone(); }, WM_LBUTTONDOWN,
       MK_LBUTTON | MK_SHIFT, MAKELPARAM(10, 20)},
      {"left up", [] { return Mouse(wxEVT_LEFT_UP, 11, 21, true, false).Clone(); }, WM_LBUTTONUP, 0, MAKELPARAM(11, 21)},
      {"right down", [] { return Mouse(wxEVT_RIGHT_DOWN, 1, 2, false, false).Clone(); }, WM_RBUTTONDOWN, MK_RBUTTON,
       MAKELPARAM(1, 2)},
      {"drag", [] { return Mouse(wxEVT_MOTION, 5, 6, true, false).Clone(); }, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, 6)},
      {"wheel",
       [] {
         wxMouseEvent e(wxEVT_MOUSEWHEEL);
         e.m_wheelRotation = -120;
         e.m_wheelDelta = 120;
         e.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
         return e.Clone();
       },
       WM_MOUSEWHEEL, MAKEWPARAM(0, -120), 0},
      {"left arrow", [] { return Key(wxEVT_KEY_DOWN, WXK_LEFT, WXK_NONE).Clone(); }, WM_KEYDOWN, VK_LEFT, 0},
      {"F5", [] { return Key(wxEVT_KEY_DOWN, WXK_F5, WXK_NONE).Clone(); }, WM_KEYDOWN, VK_F1 + 4, 0},
      {"letter key", [] { return Key(wxEVT_KEY_DOWN, 'a', 'a').Clone(); }, WM_KEYDOWN, 'A', 0},
      {"character", [] { return Key(wxEVT_CHAR, 'x', 'x').Clone(); }, WM_CHAR, 'x', 0},
      {"CJK character", [] { return Key(wxEVT_CHAR, WXK_NONE, 0x4E2D).Clone(); }, WM_CHAR, 0x4E2D, 0},
      {"backspace character", [] { return Key(wxEVT_CHAR, WXK_BACK, 8).Clone(); }, WM_CHAR, 8, 0},
      {"delete is no character", [] { return Key(wxEVT_CHAR, WXK_DELETE, WXK_DELETE).Clone(); }, 0, 0, 0},
      {"arrow is no character", [] { return Key(wxEVT_CHAR, WXK_RIGHT, WXK_NONE).Clone(); }, 0, 0, 0},
      {"line down", [] { return wxScrollWinEvent(wxEVT_SCROLLWIN_LINEDOWN, 0, wxVERTICAL).Clone(); }, WM_VSCROLL,
       MAKEWPARAM(SB_LINEDOWN, 0), 0},
      {"thumb track", [] { return wxScrollWinEvent(wxEVT_SCROLLWIN_THUMBTRACK, 30, wxHORIZONTAL).Clone(); }, WM_HSCROLL,
       MAKEWPARAM(SB_THUMBTRACK, 30), 0},
      {"capture lost", [] { return wxMouseCaptureLostEvent().Clone(); }, WM_CAPTURECHANGED, 0, 0},
  };
  for (const Case& c : cases) {
    probe->msgs.clear();
    std::unique_ptr<wxEvent> e(c.make());
    Send(*e);
    if (!c.message) {
      EXPECT_TRUE(probe->msgs.empty()) << c.name;
      continue;
    }
    ASSERT_EQ(probe->msgs.size(), 1u) << c.name;
    EXPECT_EQ(probe->msgs[0].message, c.message) << c.name;
    EXPECT_EQ(probe->msgs[0].wParam, c.wParam) << c.name;
    EXPECT_EQ(probe->msgs[0].lParam, c.lParam) << c.name;
  }
  // Thumb release: the position, then the end of scrolling.
  probe->msgs.clear();
  wxScrollWinEvent release(wxEVT_SCROLLWIN_THUMBRELEASE, 40, wxVERTICAL);
  Send(release);
  ASSERT_EQ(probe->msgs.size(), 2u);
  EXPECT_EQ(probe->msgs[0].wParam, MAKEWPARAM(SB_THUMBPOSITION, 40));
  EXPECT_EQ(probe->msgs[1].wParam, MAKEWPARAM(SB_ENDSCROLL, 0));
}

TEST_F(GuiTest, DefaultAsksForTheToolkitsOwnHandling) {
  wxMouseEvent down = Mouse(wxEVT_LEFT_DOWN, 1, 1, true, false);
  EXPECT_FALSE(Send(down)) << "handled without Default()";
  probe->callDefaultOnLButton = true;
  wxMouseEvent down2 = Mouse(wxEVT_LEFT_DOWN, 1, 1, true, false);
  EXPECT_TRUE(Send(down2)) << "Default() called";
  wxMouseEvent rup(wxEVT_RIGHT_UP);
  EXPECT_TRUE(Send(rup)) << "no handler";
}

TEST_F(GuiTest, ParentsPreTranslateKeysFirst) {
  CProbeWnd* child = new CProbeWnd;
  ASSERT_TRUE(child->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 50, 20), probe, 1002));
  probe->preTranslateKey = VK_RETURN;
  wxKeyEvent enter = Key(wxEVT_KEY_DOWN, WXK_RETURN, 13);
  enter.SetEventObject(child->GetWxWindow());
  child->GetWxWindow()->GetEventHandler()->ProcessEvent(enter);
  EXPECT_EQ(child->Count(WM_KEYDOWN), 0);
  wxKeyEvent tab = Key(wxEVT_KEY_DOWN, WXK_TAB, 9);
  tab.SetEventObject(child->GetWxWindow());
  child->GetWxWindow()->GetEventHandler()->ProcessEvent(tab);
  EXPECT_EQ(child->Count(WM_KEYDOWN), 1);
  EXPECT_EQ(probe->GetDlgItem(1002), child);
  EXPECT_EQ(child->GetParent(), probe);
  EXPECT_EQ(child->GetParentFrame(), frame);
  child->DestroyWindow();
  EXPECT_EQ(probe->GetDlgItem(1002), nullptr);
  delete child;
}

TEST_F(GuiTest, SizeAndPaint) {
  probe->MoveWindow(0, 0, 200, 100);
  ASSERT_TRUE(PumpUntil([&] {
    const Msg* m = probe->Last(WM_SIZE);
    return m && m->lParam == MAKELPARAM(200, 100);
  }));
  CRect rc;
  probe->GetClientRect(&rc);
  EXPECT_EQ(rc, CRect(0, 0, 200, 100));
  probe->msgs.clear();
  CRect part(10, 10, 40, 40);
  probe->InvalidateRect(&part);
  probe->UpdateWindow();
  ASSERT_TRUE(PumpUntil([&] { return probe->Count(WM_PAINT) > 0; }));
  EXPECT_TRUE(probe->paintHadCairo);
}

TEST_F(GuiTest, TimersTickReplaceAndStop) {
  ASSERT_EQ(probe->SetTimer(1001, 500, nullptr), 1001u);
  const auto t0 = steady_clock::now();
  PumpFor(1250);
  EXPECT_EQ(probe->Count(WM_TIMER), 2) << duration_cast<milliseconds>(steady_clock::now() - t0).count() << " ms";
  EXPECT_TRUE(probe->KillTimer(1001));
  EXPECT_FALSE(probe->KillTimer(1001));
  probe->msgs.clear();
  PumpFor(600);
  EXPECT_EQ(probe->Count(WM_TIMER), 0);
  // The same id replaces the timer: one timer ticking at the new rate.
  ::SetTimer(probe->m_hWnd, 7, 5000, nullptr);
  ::SetTimer(probe->m_hWnd, 7, 30, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return probe->Count(WM_TIMER) >= 2; }));
  EXPECT_EQ(probe->Last(WM_TIMER)->wParam, 7u);
  EXPECT_TRUE(::KillTimer(probe->m_hWnd, 7));
}

TEST_F(GuiTest, CaptureMovesAndIsReleased) {
  CProbeWnd* other = new CProbeWnd;
  ASSERT_TRUE(other->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(300, 0, 350, 50), frame, 1003));
  PumpUntil([&] { return other->GetWxWindow()->IsShownOnScreen(); });
  EXPECT_EQ(probe->SetCapture(), nullptr);
  EXPECT_EQ(CWnd::GetCapture(), probe);
  EXPECT_EQ(::GetCapture(), probe->m_hWnd);
  EXPECT_EQ(::SetCapture(other->m_hWnd), probe->m_hWnd);
  EXPECT_EQ(probe->Count(WM_CAPTURECHANGED), 1);
  EXPECT_EQ(CWnd::GetCapture(), other);
  EXPECT_TRUE(::ReleaseCapture());
  EXPECT_EQ(other->Count(WM_CAPTURECHANGED), 1);
  EXPECT_EQ(::GetCapture(), nullptr);
  other->DestroyWindow();
  delete other;
}

TEST_F(GuiTest, DestroyedWindowsHandleFailsEverywhereAtOnce) {
  CProbeWnd* w = new CProbeWnd;
  ASSERT_TRUE(w->Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 1004));
  w->destroyAgainInOnDestroy = true;
  const HWND h = w->m_hWnd;
  EXPECT_TRUE(IsWindow(h));
  EXPECT_EQ(CWnd::FromHandle(h), w);
  EXPECT_TRUE(w->DestroyWindow());
  EXPECT_EQ(w->Count(WM_DESTROY), 1);
  EXPECT_EQ(w->ncDestroyed, 1);
  EXPECT_EQ(w->m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(CWnd::FromHandle(h), nullptr);
  LRESULT sent = 1;
  BOOL posted = TRUE;
  DWORD error = 0;
  steady_clock::duration took{};
  std::thread worker([&] {
    const auto t0 = steady_clock::now();
    sent = SendMessageTimeoutW(h, 2101, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 50, nullptr);
    took = steady_clock::now() - t0;
    error = GetLastError();
    posted = PostMessageW(h, 2056, 0, 0);
  });
  worker.join();
  EXPECT_EQ(sent, 0);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_LT(took, milliseconds(20));
  EXPECT_FALSE(posted);
  delete w;

  // A window whose WM_CREATE fails is destroyed again.
  CProbeWnd refused;
  refused.createResult = -1;
  EXPECT_FALSE(refused.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 1005));
  EXPECT_EQ(refused.m_hWnd, nullptr);
}

TEST_F(GuiTest, ClosingAFrameIsUpToItsMap) {
  frame->keepOpen = true;
  frame->GetWxWindow()->Close();
  EXPECT_EQ(frame->closes, 1);
  EXPECT_TRUE(IsWindow(frame->m_hWnd));
  frame->keepOpen = false;
  const HWND hProbe = probe->m_hWnd;
  frame->GetWxWindow()->Close();
  EXPECT_EQ(frame->closes, 2);
  EXPECT_EQ(frame->m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(hProbe));  // children go with the frame
  EXPECT_EQ(probe->Count(WM_DESTROY), 1);
}

TEST_F(GuiTest, MenuCommandsRouteToTheActiveViewAndClicksActivate) {
  CTestView* view = new CTestView;
  CTestView* pane = new CTestView;
  pane->m_bActivateOnClick = FALSE;
  ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 200, 100, 250), frame, 1010));
  ASSERT_TRUE(pane->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(100, 200, 200, 250), frame, 1011));
  wxMouseEvent click(wxEVT_LEFT_DOWN);
  click.SetEventObject(view->GetWxWindow());
  view->GetWxWindow()->GetEventHandler()->ProcessEvent(click);
  EXPECT_EQ(frame->GetActiveView(), view);
  wxMouseEvent paneClick(wxEVT_LEFT_DOWN);
  paneClick.SetEventObject(pane->GetWxWindow());
  pane->GetWxWindow()->GetEventHandler()->ProcessEvent(paneClick);
  EXPECT_EQ(frame->GetActiveView(), view);
  wxCommandEvent menu(wxEVT_MENU, 57643);
  menu.SetEventObject(frame->GetWxWindow());
  frame->GetWxWindow()->GetEventHandler()->ProcessEvent(menu);
  EXPECT_EQ(view->zoomIns, 1);
  EXPECT_EQ(pane->zoomIns, 0);
  pane->DestroyWindow();  // views delete themselves with their windows
  view->DestroyWindow();
  EXPECT_EQ(frame->GetActiveView(), nullptr);
}

TEST_F(GuiTest, IdleTimeRunsTheMainFramesUpdatePass) {
  CWinApp app(L"Probe");
  app.m_pMainWnd = frame;
  int passes = 0;
  frame->AddUpdatePass([](CFrameWnd*, void* ctx) { ++*static_cast<int*>(ctx); }, &passes);
  wxTheApp->ProcessIdle();
  EXPECT_GE(passes, 1);
  app.m_pMainWnd = nullptr;
  const int before = passes;
  wxTheApp->ProcessIdle();
  EXPECT_EQ(passes, before) << "only the main window's idle runs the pass";
}

// End to end with real keys: the disabled first item is skipped, the next one is chosen.
TEST_F(GuiTest, PopupMenuWithRealKeys) {
  CTestView* view = new CTestView;
  ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 200, 100, 250), frame, 1012));
  frame->SetActiveView(view);
  frame->GetWxWindow()->Raise();
  view->SetFocus();
  PumpFor(100);
  CMenu menu;
  menu.CreatePopupMenu();
  menu.AppendMenu(MF_STRING, 57639, L"Nobody handles this");
  menu.AppendMenu(MF_STRING, 57643, L"Zoom In");
  std::atomic<bool> finished{false};
  std::thread watchdog([&] {
    for (int i = 0; i < 1000 && !finished; ++i) std::this_thread::sleep_for(milliseconds(10));
    if (!finished) {
      std::fprintf(stderr, "pop-up menu did not close\n");
      std::abort();
    }
  });
  wxTimer keys;
  keys.Bind(wxEVT_TIMER, [](wxTimerEvent&) {
    wxUIActionSimulator sim;
    sim.Char(WXK_DOWN);
    sim.Char(WXK_RETURN);
  });
  keys.StartOnce(300);
  CPoint pt(10, 10);
  view->ClientToScreen(&pt);
  const BOOL chosen = menu.TrackPopupMenu(TPM_RETURNCMD, pt.x, pt.y, view);
  finished = true;
  watchdog.join();
  EXPECT_EQ(chosen, 57643);
  PumpFor(50);
  EXPECT_EQ(view->zoomIns, 0) << "with TPM_RETURNCMD no command is sent";
  EXPECT_EQ(menu.GetMenuState(57639, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
  view->DestroyWindow();
}

TEST_F(GuiTest, MessageBoxGoesToTheHook) {
  auto saved = lwmfc::GetMessageBoxHook();
  lwmfc::SetMessageBoxHook([](const wchar_t* text, const wchar_t*, UINT type) {
    return (type & MB_TYPEMASK) == MB_YESNOCANCEL && std::wcscmp(text, L"Save?") == 0 ? IDNO : IDABORT;
  });
  EXPECT_EQ(probe->MessageBox(L"Save?", nullptr, MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  lwmfc::SetMessageBoxHook(saved);
}

TEST_F(GuiTest, PostsFromAnotherThreadArriveInOrder) {
  const HWND h = probe->m_hWnd;
  std::thread worker([h] {
    for (WPARAM i = 0; i < 20; ++i) PostMessageW(h, 2056, i, 0);
  });
  worker.join();
  ASSERT_TRUE(PumpUntil([&] { return probe->Count(2056) == 20; }));
  WPARAM next = 0;
  for (const Msg& m : probe->msgs)
    if (m.message == 2056) {
      EXPECT_EQ(m.wParam, next++);
    }
}

TEST_F(GuiTest, TimedSendsAtVideoRateSurviveAStall) {
  const HWND h = probe->m_hWnd;
  constexpr int kFrames = 40;
  std::atomic<bool> done{false};
  std::atomic<int> ok{0}, timedOut{0};
  std::atomic<long long> longestTimedOutUs{0};
  std::thread player([&] {
    std::vector<int> buffer(4096);
    auto next = steady_clock::now();
    for (int f = 1; f <= kFrames; ++f) {
      std::fill(buffer.begin(), buffer.end(), f);
      const auto t0 = steady_clock::now();
      DWORD_PTR r = 0;
      const LRESULT sent = SendMessageTimeoutW(h, 2101, static_cast<WPARAM>(f), reinterpret_cast<LPARAM>(buffer.data()),
                                               SMTO_BLOCK | SMTO_ABORTIFHUNG, 50, &r);
      const long long us = duration_cast<microseconds>(steady_clock::now() - t0).count();
      if (sent) {
        ++ok;
      } else {
        ++timedOut;
        if (us > longestTimedOutUs) longestTimedOutUs = us;
      }
      std::fill(buffer.begin(), buffer.end(), -1);  // the buffer is reused at once
      next += milliseconds(40);                      // 25 frames per second
      std::this_thread::sleep_until(next);
    }
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return probe->framesSeen >= 8; }));
  std::this_thread::sleep_for(milliseconds(300));  // the user-interface thread is busy
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 10000));
  player.join();
  PumpFor(50);
  EXPECT_EQ(probe->badFrames.load(), 0) << "a handler saw a buffer after its send returned";
  EXPECT_EQ(ok + timedOut, kFrames);
  EXPECT_EQ(probe->framesSeen.load(), ok.load()) << "timed-out frames were delivered later";
  EXPECT_GE(timedOut.load(), 3);
  EXPECT_LT(longestTimedOutUs.load(), 150000) << "a timed-out send waited far past its 50 ms";
  std::printf("video sends: %d handled, %d timed out, longest timed-out wait %.1f ms\n", ok.load(), timedOut.load(),
              longestTimedOutUs.load() / 1000.0);
}

TEST_F(GuiTest, SenderWaitsForAHandlerAlreadyRunning) {
  probe->handlerSleepMs = 80;
  const HWND h = probe->m_hWnd;
  std::atomic<bool> done{false};
  LRESULT sent = 0;
  long long ms = 0;
  std::thread player([&] {
    std::vector<int> buffer(4096, 3);
    const auto t0 = steady_clock::now();
    sent = SendMessageTimeoutW(h, 2101, 3, reinterpret_cast<LPARAM>(buffer.data()), SMTO_BLOCK, 50, nullptr);
    ms = duration_cast<milliseconds>(steady_clock::now() - t0).count();
    done = true;
  });
  ASSERT_TRUE(PumpUntil([&] { return done.load(); }, 5000));
  player.join();
  EXPECT_EQ(sent, 1);
  EXPECT_GE(ms, 80);
  EXPECT_EQ(probe->badFrames.load(), 0);
}

}  // namespace
