// Message maps: lookup through the base chain, first entry wins, ranges, notifications,
// window messages with their argument unpacking, and query mode.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

class CBaseTarget : public CCmdTarget {
 public:
  void OnA() { g_log.push_back("base.A"); }
  void OnB() { g_log.push_back("base.B"); }
  void OnRange(UINT id) { g_log.push_back("base.range" + std::to_string(id)); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseTarget, CCmdTarget)
  ON_COMMAND(100, &CBaseTarget::OnA)
  ON_COMMAND(101, &CBaseTarget::OnB)
  ON_COMMAND_RANGE(200, 209, &CBaseTarget::OnRange)
END_MESSAGE_MAP()

class CDerivedTarget : public CBaseTarget {
 public:
  void OnA2() { g_log.push_back("derived.A"); }
  void OnA3() { g_log.push_back("derived.A-second"); }
  void OnNotify100(NMHDR* pNMHDR, LRESULT* pResult) {
    g_log.push_back("notify" + std::to_string(pNMHDR->code));
    *pResult = 7;
  }
  void OnUpdateA(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedTarget, CBaseTarget)
  ON_COMMAND(100, &CDerivedTarget::OnA2)
  ON_COMMAND(100, &CDerivedTarget::OnA3)  // never reached: the first entry wins
  ON_NOTIFY(100, 300, &CDerivedTarget::OnNotify100)
  ON_UPDATE_COMMAND_UI(100, &CDerivedTarget::OnUpdateA)
  ON_COMMAND(205, &CBaseTarget::OnA)  // a base member in a derived map
END_MESSAGE_MAP()

TEST(MessageMap, CommandLookupFollowsTheChainAndFirstEntryWins) {
  struct Case {
    UINT id;
    BOOL handled;
    const char* log;
  };
  const Case cases[] = {
      {100, TRUE, "derived.A"},      // derived map before base map, first entry of it
      {101, TRUE, "base.B"},         // only in the base map
      {200, TRUE, "base.range200"},  // range, first id
      {209, TRUE, "base.range209"},  // range, last id
      {205, TRUE, "base.A"},         // the derived single entry wins over the base range
      {210, FALSE, ""},              // just past the range
      {999, FALSE, ""},
  };
  CDerivedTarget t;
  for (const Case& c : cases) {
    g_log.clear();
    EXPECT_EQ(t.OnCmdMsg(c.id, CN_COMMAND, nullptr, nullptr), c.handled) << c.id;
    EXPECT_EQ(g_log.empty() ? std::string() : g_log.back(), c.log) << c.id;
    EXPECT_LE(g_log.size(), 1u);
  }
}

TEST(MessageMap, QueryModeReportsWithoutCalling) {
  CDerivedTarget t;
  g_log.clear();
  AFX_CMDHANDLERINFO info{nullptr, nullptr};
  EXPECT_TRUE(t.OnCmdMsg(101, CN_COMMAND, nullptr, &info));
  EXPECT_EQ(info.pTarget, &t);
  ASSERT_NE(info.pEntry, nullptr);
  EXPECT_EQ(info.pEntry->nID, 101u);
  EXPECT_TRUE(g_log.empty());
  EXPECT_FALSE(t.OnCmdMsg(102, CN_COMMAND, nullptr, &info));
}

TEST(MessageMap, NotificationsMatchCodeAndId) {
  CDerivedTarget t;
  g_log.clear();
  NMHDR hdr{nullptr, 300, 100};
  LRESULT result = 0;
  AFX_NOTIFY notify{&result, &hdr};
  EXPECT_TRUE(t.OnCmdMsg(300, MAKELONG(100, WM_NOTIFY), &notify, nullptr));
  EXPECT_EQ(result, 7);
  ASSERT_EQ(g_log.size(), 1u);
  EXPECT_EQ(g_log[0], "notify100");
  // Another code, another id, or the same code as a command: no match.
  EXPECT_FALSE(t.OnCmdMsg(300, MAKELONG(101, WM_NOTIFY), &notify, nullptr));
  EXPECT_FALSE(t.OnCmdMsg(301, MAKELONG(100, WM_NOTIFY), &notify, nullptr));
  EXPECT_FALSE(t.OnCmdMsg(300, CN_COMMAND, nullptr, nullptr));
}

// Window messages reach their handlers with the arguments unpacked as in Win32.
class CMsgWnd : public CWnd {
 public:
  std::vector<std::string> seen;
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point) {
    seen.push_back("ldown " + std::to_string(nFlags) + " " + std::to_string(point.x) + "," + std::to_string(point.y));
  }
  afx_msg void OnSize(UINT nType, int cx, int cy) {
    seen.push_back("size " + std::to_string(nType) + " " + std::to_string(cx) + "x" + std::to_string(cy));
  }
  afx_msg BOOL OnMouseWheel(UINT nFlags, short zDelta, CPoint) {
    seen.push_back("wheel " + std::to_string(nFlags) + " " + std::to_string(zDelta));
    return TRUE;
  }
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT) {
    seen.push_back("key " + std::to_string(nChar) + " " + std::to_string(nRepCnt));
  }
  afx_msg void OnVScroll(UINT nSBCode, UINT nPos, CScrollBar*) {
    seen.push_back("vscroll " + std::to_string(nSBCode) + " " + std::to_string(nPos));
  }
  afx_msg void OnTimer(UINT_PTR nIDEvent) { seen.push_back("timer " + std::to_string(nIDEvent)); }
  afx_msg LRESULT OnPageRendered(WPARAM wParam, LPARAM lParam) {
    seen.push_back("2056 " + std::to_string(wParam) + " " + std::to_string(lParam));
    return 42;
  }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CMsgWnd, CWnd)
  ON_WM_LBUTTONDOWN()
  ON_WM_SIZE()
  ON_WM_MOUSEWHEEL()
  ON_WM_KEYDOWN()
  ON_WM_VSCROLL()
  ON_WM_TIMER()
  ON_MESSAGE(2056, &CMsgWnd::OnPageRendered)
END_MESSAGE_MAP()

TEST(MessageMap, WindowMessagesUnpackTheirArguments) {
  struct Case {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result;
    const char* seen;  // null: not handled
  };
  const Case cases[] = {
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(-3, 40), 0, "ldown 5 -3,40"},
      {WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480), 0, "size 0 640x480"},
      {WM_MOUSEWHEEL, MAKEWPARAM(MK_CONTROL, -120), 0, 1, "wheel 8 -120"},
      {WM_KEYDOWN, VK_LEFT, 1, 0, "key 37 1"},
      {WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 300), 0, 0, "vscroll 5 300"},
      {WM_TIMER, 1001, 0, 0, "timer 1001"},
      {2056, 3, 9, 42, "2056 3 9"},
      {WM_RBUTTONDOWN, 0, 0, 0, nullptr},
      {2057, 0, 0, 0, nullptr},
  };
  CMsgWnd w;
  for (const Case& c : cases) {
    w.seen.clear();
    LRESULT r = -1;
    const BOOL handled = w.OnWndMsg(c.message, c.wParam, c.lParam, &r);
    EXPECT_EQ(handled, c.seen != nullptr) << c.message;
    if (!c.seen) continue;
    EXPECT_EQ(r, c.result) << c.message;
    ASSERT_EQ(w.seen.size(), 1u) << c.message;
    EXPECT_EQ(w.seen[0], c.seen);
  }
}

}  // namespace
