// Status panes in the frame's idle update pass: update handlers retitle and enable panes, panes
// nobody updates keep their state, and a destroyed bar leaves the pass. A pane holding a combo
// box is as wide as the box needs to show the pane's text.
#include <gtest/gtest.h>

#include <wx/combo.h>
#include <wx/textctrl.h>

#include "GuiTestHarness.h"

#include <QorpStatusBar.h>
#include <afxdialog.h>

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

TEST(StatusBarUpdateGui, ControlPaneFitsItsControlToTheWidestText) {
  CFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"Pages", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 200)));
  CQORPStatusBar bar;
  ASSERT_TRUE(bar.Create(&frame));
  bar.AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32916)->SetText(L"<");
  CComboBox combo;
  ASSERT_TRUE(combo.Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_DROPDOWN | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                           CRect(0, 0, 100, 300), &bar, 1500));
  CQORPStatusBarPane* pPane = bar.AddPane(QORP_STATUS_PANE_CONTROL, 1501);
  pPane->SetChild(&combo);
  pPane->SetPadding(4, 0, 4, 0);
  bar.AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32917)->SetText(L">");
  bar.AddPane(QORP_STATUS_PANE_STRETCH, 0);
  auto* pBox = dynamic_cast<wxComboCtrl*>(combo.GetWxWindow());
  ASSERT_NE(pBox, nullptr);
  ASSERT_NE(pBox->GetTextCtrl(), nullptr);
  // The pane's text is the widest the box will show; what it shows must fit its text field.
  const struct {
    const wchar_t* pszWidest;
    const char* pszShown;
  } cases[] = {{L"8 / 8", "1 / 1"}, {L"88 / 88", "14 / 31"}, {L"888 / 888", "104 / 311"}, {L"8888 / 8888", "1004 / 3110"}};
  int cxLast = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszShown);
    pPane->SetText(c.pszWidest);
    bar.RecalcLayout();
    PumpUntil([] { return false; }, 30);
    const int cxField = pBox->GetTextCtrl()->GetClientSize().x - 8;  // the field's own inner margins
    const int cxShown = pBox->GetTextCtrl()->GetTextExtent(c.pszShown).GetWidth();
    EXPECT_GE(cxField, cxShown) << "the box cuts its text";
    EXPECT_GT(pPane->GetRect().Width(), cxLast) << "more digits, a wider pane";
    cxLast = pPane->GetRect().Width();
  }
  bar.DestroyWindow();
  combo.DestroyWindow();
  frame.DestroyWindow();
  PumpUntil([] { return false; }, 20);
}

}  // namespace
