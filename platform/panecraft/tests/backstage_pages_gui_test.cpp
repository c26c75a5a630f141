// The backstage view tells its pages when they come into view and when they leave it.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "GuiTestHarness.h"

#include <QorpControls.h>
#include <QorpRibbonBackstage.h>

namespace {

std::string g_log;

class CLoggingPage : public CWnd {
 public:
  explicit CLoggingPage(char name) : m_name(name) {}
  afx_msg LRESULT OnShowWindowMsg(WPARAM wParam, LPARAM) {
    g_log += m_name;
    g_log += wParam ? '+' : '-';
    return 0;
  }
  DECLARE_MESSAGE_MAP()

 private:
  char m_name;
};

BEGIN_MESSAGE_MAP(CLoggingPage, CWnd)
  ON_MESSAGE(WM_SHOWWINDOW, &CLoggingPage::OnShowWindowMsg)
END_MESSAGE_MAP()

TEST(BackstagePages, PageInViewIsToldWhenItComesAndGoes) {
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, L"Backstage", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 600)));
  CQORPCommandBars bars;
  CLoggingPage a('a'), b('b');
  ASSERT_TRUE(a.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 1));
  ASSERT_TRUE(b.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 2));
  {
    CQORPBackstageView view;
    ASSERT_TRUE(view.Create(frame, &bars));
    view.AddTab(&a, 100);
    view.AddTab(&b, 101);
    struct Step {
      const char* what;
      std::function<void()> act;
      const char* log;
    } steps[] = {
        {"tabs added to a hidden view", [] {}, ""},
        {"view shown", [&] { view.ShowBackstage(TRUE); }, "a+"},
        {"shown again", [&] { view.ShowBackstage(TRUE); }, ""},
        {"other tab", [&] { view.SetActiveTab(1); }, "a-b+"},
        {"same tab", [&] { view.SetActiveTab(1); }, ""},
        {"view hidden", [&] { view.ShowBackstage(FALSE); }, "b-"},
        {"tab chosen while hidden", [&] { view.SetActiveTab(0); }, ""},
        {"view shown", [&] { view.ShowBackstage(TRUE); }, "a+"},
        {"emptied", [&] { view.RemoveAll(); }, "a-"},
    };
    for (const Step& s : steps) {
      g_log.clear();
      s.act();
      EXPECT_EQ(g_log, s.log) << s.what;
    }
    view.ShowBackstage(TRUE);
    view.AddTab(&b, 101);
    view.SetActiveTab(0);
    g_log.clear();
  }
  EXPECT_EQ(g_log, "b-") << "a destroyed view lets its page in view go";
  a.DestroyWindow();
  b.DestroyWindow();
  frame->DestroyWindow();
}

}  // namespace
