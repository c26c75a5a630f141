// Status panes in the frame's idle update pass: update handlers retitle and enable panes, panes
// nobody updates keep their state, and a destroyed bar leaves the pass.
#include <gtest/gtest.h>

#include "GuiTestHarness.h"

#include <QorpStatusBar.h>

using namespace guitest;

namespace {

class CUpdateFrame : public CFrameWnd {
 public:
  int nPage = 3;
  BOOL bNextEnabled = FALSE;
  int nUpdates = 0;
  void OnUpdatePage(CCmdUI* pCmdUI) {
    ++nUpdates;
    CString s;
    s.Format(L"Page: %d of 9", nPage);
    pCmdUI->SetText(s);
  }
  void OnUpdateNext(CCmdUI* pCmdUI) { pCmdUI->Enable(bNextEnabled); }
  void OnNext() {}
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CUpdateFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(1020, &CUpdateFrame::OnUpdatePage)
  ON_UPDATE_COMMAND_UI(32917, &CUpdateFrame::OnUpdateNext)
  ON_COMMAND(32917, &CUpdateFrame::OnNext)
END_MESSAGE_MAP()

TEST(StatusBarUpdateGui, PanesFollowTheirUpdateHandlers) {
  CUpdateFrame frame;
  ASSERT_TRUE(frame.Create(nullptr, L"Update", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 700, 200)));
  auto* bar = new CQORPStatusBar;
  ASSERT_TRUE(bar->Create(&frame));
  CQORPStatusBarPane* pPage = bar->AddPane(QORP_STATUS_PANE_TEXT, 1020);
  CQORPStatusBarPane* pNext = bar->AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32917);
  CQORPStatusBarPane* pLast = bar->AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32918);  // no handler at all
  CQORPStatusBarPane* pStretch = bar->AddPane(QORP_STATUS_PANE_STRETCH, 0);
  pStretch->SetText(L"kept");
  pLast->SetEnabled(FALSE);

  struct Step {
    int nPage;
    BOOL bNext;
    const wchar_t* pszPage;
  } steps[] = {
      {3, FALSE, L"Page: 3 of 9"},
      {4, TRUE, L"Page: 4 of 9"},
      {4, TRUE, L"Page: 4 of 9"},  // nothing changed: the pass changes nothing
      {9, FALSE, L"Page: 9 of 9"},
  };
  for (const Step& s : steps) {
    frame.nPage = s.nPage;
    frame.bNextEnabled = s.bNext;
    frame.OnUpdateCmdUIAll();
    EXPECT_EQ(pPage->GetText(), s.pszPage);
    EXPECT_EQ(pNext->IsEnabled(), s.bNext) << s.nPage;
    EXPECT_FALSE(pLast->IsEnabled()) << "a pane nobody updates keeps its state";
    EXPECT_EQ(pStretch->GetText(), L"kept") << "a pane without an id takes no part";
  }
  // A destroyed bar leaves the pass (a stale bar would be used after it is freed).
  bar->DestroyWindow();
  delete bar;
  const int before = frame.nUpdates;
  frame.OnUpdateCmdUIAll();
  EXPECT_EQ(frame.nUpdates, before);
  frame.DestroyWindow();
  PumpUntil([] { return false; }, 20);
}

}  // namespace
