// The status bar under Xvfb: clicks on icon and slider panes reach the frame, and the progress
// pane is painted while the user-interface thread is busy, with no posted message delivered;
// the docking pane docks at the left, closes and opens again, follows the theme, opens at its own
// width in a small frame and keeps the width the user drags.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <utility>
#include <vector>

#include <wx/app.h>
#include <wx/aui/framemanager.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <QorpControls.h>
#include <QorpDockingPane.h>
#include <QorpPaintManager.h>
#include <QorpStatusBar.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

using namespace std::chrono;

constexpr UINT WM_TEST_POSTED = WM_USER + 7;

class CTestFrame : public CFrameWnd {
 public:
  std::vector<UINT> commands;
  std::vector<int> sliderSteps;
  std::vector<std::pair<int, int>> sliderCodes;  // (scroll code, position) as sent
  int posted = 0;
  void OnNavigate(UINT nID) { commands.push_back(nID); }
  void OnSlider(NMHDR* pHdr, LRESULT* pResult) {
    const auto* nm = reinterpret_cast<NMQORPCONTROL*>(pHdr);
    sliderSteps.push_back(nm->nStep);
    sliderCodes.emplace_back(nm->nStep, nm->nPos);
    *pResult = 1;
  }
  LRESULT OnPosted(WPARAM, LPARAM) {
    ++posted;
    return 0;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_COMMAND_RANGE(32915, 32918, &CTestFrame::OnNavigate)
  ON_NOTIFY(QORP_CN_SLIDER, 384, &CTestFrame::OnSlider)
  ON_MESSAGE(WM_TEST_POSTED, &CTestFrame::OnPosted)
END_MESSAGE_MAP()

class CCountingStatusBar : public CQORPStatusBar {
 public:
  int paints = 0;
  void OnPaint() {
    ++paints;
    CQORPStatusBar::OnPaint();
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CCountingStatusBar, CQORPStatusBar)
  ON_WM_PAINT()
END_MESSAGE_MAP()

class StatusBarGui : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CTestFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Status", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 300)));
    bar = new CCountingStatusBar;
    ASSERT_TRUE(bar->Create(frame));
    auto* pPage = bar->AddPane(QORP_STATUS_PANE_TEXT, 1020);
    pPage->SetText(L"Page: 1 of 1");
    pPage->SetPadding(8, 0, 8, 0);
    auto* pTip = bar->AddPane(QORP_STATUS_PANE_TEXT, 1021);
    pTip->SetPadding(8, 0, 8, 0);
    pTip->SetVisible(FALSE);
    auto* pProgress = bar->AddPane(QORP_STATUS_PANE_PROGRESS, 1022);
    pProgress->SetWidth(500);
    pProgress->SetPadding(3, 0, 3, 0);
    pProgress->SetVisible(FALSE);
    bar->AddPane(QORP_STATUS_PANE_STRETCH, 0)->SetWidth(1);
    bar->AddPane(QORP_STATUS_PANE_ICON_BUTTON, 32915)->SetPadding(4, 0, 4, 0);
    auto* pSlider = static_cast<CQORPStatusBarSliderPane*>(bar->AddPane(QORP_STATUS_PANE_SLIDER, 384));
    pSlider->SetWidth(180);
    pSlider->SetRange(0, 1000);
    pSlider->SetPos(500);
    ASSERT_TRUE(PumpUntil([&] { return bar->GetWxWindow()->IsShownOnScreen() && bar->paints > 0; }));
  }
  void TearDown() override {
    if (bar->m_hWnd) bar->DestroyWindow();
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete bar;
    delete frame;
  }
  void Click(CQORPStatusBarPane* p, int dx) {
    const CRect r = p->GetRect();
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + dx, (r.top + r.bottom) / 2));
  }
  CTestFrame* frame = nullptr;
  CCountingStatusBar* bar = nullptr;
};

TEST_F(StatusBarGui, ClicksReachTheFrame) {
  CRect rc;
  bar->GetClientRect(&rc);
  EXPECT_EQ(rc.Height(), CQORPStatusBar::kHeight);
  auto* pSlider = bar->FindPane(384);
  EXPECT_EQ(pSlider->GetRect().right, rc.right) << "the stretch pane pushes the slider to the right edge";
  Click(bar->FindPane(32915), 6);
  EXPECT_EQ(frame->commands, std::vector<UINT>{32915});
  Click(pSlider, 2);                                   // minus button
  Click(pSlider, pSlider->GetRect().Width() - 2);      // plus button
  Click(pSlider, CQORPStatusBarSliderPane::kButtonWidth + 2);  // page left of the thumb
  EXPECT_EQ(frame->sliderSteps, (std::vector<int>{SB_LINELEFT, SB_LINERIGHT, SB_PAGELEFT}));
  pSlider->SetEnabled(FALSE);
  Click(pSlider, 2);
  EXPECT_EQ(frame->sliderSteps.size(), 3u) << "a disabled pane sends nothing";
}

// The slider sends its scroll code and its position in separate fields: a thumb near the start
// of the range (positions 0-7 look like codes) still reads as a position, and dragging the thumb
// sends code 5 (track) as it moves, then the final position and the end of the scroll.
TEST_F(StatusBarGui, SliderSendsCodeAndPositionApartAndTheThumbDrags) {
  auto* pSlider = static_cast<CQORPStatusBarSliderPane*>(bar->FindPane(384));
  const CRect r = pSlider->GetRect();
  const int y = (r.top + r.bottom) / 2;
  const int trackLeft = r.left + CQORPStatusBarSliderPane::kButtonWidth + CQORPStatusBarSliderPane::kThumbWidth / 2;
  const int trackRight = r.right - CQORPStatusBarSliderPane::kButtonWidth - CQORPStatusBarSliderPane::kThumbWidth / 2;
  struct Case {
    int pos;          // thumb position before the click
    int x;            // where the click lands
    int code, sent;   // code and position expected
  };
  const Case cases[] = {
      {3, r.left + 2, SB_LINELEFT, 3},
      {3, r.right - 2, SB_LINERIGHT, 3},
      {3, r.right - CQORPStatusBarSliderPane::kButtonWidth - 10, SB_PAGERIGHT, 3},
      {0, trackLeft, SB_THUMBTRACK, 0},
      {1000, trackRight, SB_THUMBTRACK, 1000},
  };
  for (const Case& c : cases) {
    pSlider->SetPos(c.pos);
    frame->sliderCodes.clear();
    bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x, y));
    bar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(c.x, y));
    ASSERT_FALSE(frame->sliderCodes.empty()) << "pos " << c.pos << " x " << c.x;
    EXPECT_EQ(frame->sliderCodes.front(), std::make_pair(c.code, c.sent)) << "pos " << c.pos << " x " << c.x;
  }

  // A drag from the middle to past the right end and back to a quarter.
  pSlider->SetPos(500);
  frame->sliderCodes.clear();
  const int mid = (trackLeft + trackRight) / 2;
  bar->SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(mid, y));
  bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(r.right + 40, y));
  EXPECT_EQ(pSlider->GetPos(), 1000) << "the thumb follows the pointer to the end of its track";
  const int quarter = trackLeft + (trackRight - trackLeft) / 4;
  bar->SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(quarter, y));
  bar->SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(quarter, y));
  ASSERT_GE(frame->sliderCodes.size(), 5u);
  const auto& sent = frame->sliderCodes;
  EXPECT_EQ(sent[0].first, SB_THUMBTRACK);
  EXPECT_EQ(sent[1], std::make_pair(SB_THUMBTRACK, 1000));
  EXPECT_EQ(sent[2].first, SB_THUMBTRACK);
  EXPECT_NEAR(sent[2].second, 250, 10);
  EXPECT_EQ(sent[sent.size() - 2], std::make_pair(SB_THUMBPOSITION, pSlider->GetPos()));
  EXPECT_EQ(sent.back(), std::make_pair(SB_ENDSCROLL, pSlider->GetPos()));
  EXPECT_NEAR(pSlider->GetPos(), 250, 10);
  // After the release a move no longer drags.
  frame->sliderCodes.clear();
  bar->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(trackRight, y));
  EXPECT_TRUE(frame->sliderCodes.empty());
}

TEST_F(StatusBarGui, ProgressPaintsDuringABusyOperation) {
  auto* pTip = bar->FindPane(1021);
  auto* pProgress = static_cast<CQORPStatusBarProgressPane*>(bar->FindPane(1022));
  // As a long operation starts: the message and the progress pane show at 0.
  pTip->SetText(L"Loading from file 'a.lfw'...");
  pTip->SetVisible(TRUE);
  pProgress->SetPos(0);
  pProgress->SetVisible(TRUE);
  EXPECT_FALSE(pProgress->GetRect().IsRectEmpty());
  ASSERT_TRUE(frame->PostMessage(WM_TEST_POSTED));
  const int before = bar->paints;
  int paintsAtHalf = -1;
  for (int i = 1; i <= 100; ++i) {  // busy work on this thread, no event loop
    pProgress->SetPos(i);
    bar->RedrawNow(TRUE);
    if (i == 50) paintsAtHalf = bar->paints;
  }
  EXPECT_GT(paintsAtHalf, before) << "the bar was painted mid-operation";
  EXPECT_EQ(frame->posted, 0) << "the paint-only yield delivered a posted message";
  pTip->SetVisible(FALSE);
  pProgress->SetVisible(FALSE);
  EXPECT_TRUE(pProgress->GetRect().IsRectEmpty());
  EXPECT_TRUE(PumpUntil([&] { return frame->posted == 1; }));
}

TEST(DockingPaneGui, DocksClosesAndReopens) {
  CFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"Docking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 800, 500)));
  CWnd site, client, thumbs;
  ASSERT_TRUE(site.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 800, 476), &frame, 1));
  ASSERT_TRUE(client.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 2));
  ASSERT_TRUE(thumbs.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 59649));
  {
    CQORPDockingPaneManager panes;
    EXPECT_EQ(panes.CreatePane(300, CRect(0, 0, 250, 120), QORP_PANE_DOCK_LEFT), nullptr) << "no site yet";
    ASSERT_TRUE(panes.InstallDockingPanes(&site));
    EXPECT_FALSE(panes.InstallDockingPanes(&site));
    panes.SetClientWindow(&client);
    CQORPDockingPane* pPane = panes.CreatePane(300, CRect(0, 0, 250, 120), QORP_PANE_DOCK_LEFT);
    ASSERT_NE(pPane, nullptr);
    EXPECT_EQ(panes.CreatePane(300, CRect(0, 0, 250, 120), QORP_PANE_DOCK_LEFT), nullptr) << "id taken";
    pPane->SetTitle(L"Thumbnail");
    EXPECT_TRUE(panes.IsPaneClosed(300)) << "nothing attached yet";
    ASSERT_TRUE(pPane->Attach(&thumbs));
    EXPECT_EQ(panes.FindPane(300), pPane);
    EXPECT_EQ(pPane->GetTitle(), L"Thumbnail");

    struct Step {
      const char* pszWhat;
      void (CQORPDockingPaneManager::*pfn)(UINT);
      bool bClosed;
    } steps[] = {
        {"close", &CQORPDockingPaneManager::ClosePane, true},
        {"close again", &CQORPDockingPaneManager::ClosePane, true},
        {"show", &CQORPDockingPaneManager::ShowPane, false},
        {"show again", &CQORPDockingPaneManager::ShowPane, false},
    };
    EXPECT_FALSE(panes.IsPaneClosed(300));
    for (const Step& s : steps) {
      (panes.*s.pfn)(300);
      SCOPED_TRACE(s.pszWhat);
      EXPECT_EQ(panes.IsPaneClosed(300) != FALSE, s.bClosed);
      EXPECT_TRUE(PumpUntil([&] { return thumbs.GetWxWindow()->IsShown() != s.bClosed; }));
    }
    ASSERT_TRUE(PumpUntil([&] { return thumbs.GetWxWindow()->IsShownOnScreen(); }));
    CRect rcThumbs, rcClient;
    thumbs.GetWindowRect(&rcThumbs);
    client.GetWindowRect(&rcClient);
    EXPECT_LT(rcThumbs.left, rcClient.left) << "docked at the left";
    EXPECT_TRUE(panes.IsPaneClosed(999));
    panes.ClosePane(999);  // an unknown id is ignored

    // A theme change recolours the panes at once.
    EXPECT_EQ(panes.GetBackColor(), CQORPPaintManager::Get()->GetColor(QORP_CLR_DOCKING_PANE));
    CQORPThemeColors black;
    black.SetColor(QORP_CLR_DOCKING_PANE, RGB(0x30, 0x30, 0x30));
    CQORPPaintManager::Get()->SetColors(black);
    EXPECT_EQ(panes.GetBackColor(), RGB(0x30, 0x30, 0x30));
    CQORPPaintManager::Get()->SetColors(CQORPThemeColors());
  }
  frame.DestroyWindow();
  PumpUntil([] { return false; }, 20);
}


// A mouse event as the X server would deliver it to w, in w's client coordinates.
void SendMouse(wxWindow* w, wxEventType type, int x, int y) {
  wxMouseEvent e(type);
  e.SetEventObject(w);
  e.m_x = x;
  e.m_y = y;
  e.m_leftDown = type != wxEVT_LEFT_UP;
  w->GetEventHandler()->ProcessEvent(e);
}

// The pane's width must not depend on the site's width at the first layout, and a width the user
// gives it by dragging the sash must survive frame resizes and closing the pane (by the manager or
// by the caption's close button) and showing it again.
TEST(DockingPaneGui, KeepsItsWidth) {
  CFrameWnd frame;
  ASSERT_TRUE(frame.Create(nullptr, L"Docking", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 250)));
  CWnd site, client, thumbs;
  CRect rc;
  frame.GetClientRect(&rc);
  ASSERT_TRUE(site.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, rc, &frame, AFX_IDW_PANE_FIRST));
  ASSERT_TRUE(client.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 2));
  ASSERT_TRUE(thumbs.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 10, 10), &site, 59649));
  wxWindow* const pSite = site.GetWxWindow();
  {
    CQORPDockingPaneManager panes;
    ASSERT_TRUE(panes.InstallDockingPanes(&site));
    panes.SetClientWindow(&client);
    CQORPDockingPane* pPane = panes.CreatePane(300, CRect(0, 0, 250, 120), QORP_PANE_DOCK_LEFT);
    ASSERT_NE(pPane, nullptr);
    pPane->SetTitle(L"Thumbnail");
    ASSERT_TRUE(pPane->Attach(&thumbs));
    ASSERT_TRUE(PumpUntil([&] { return thumbs.GetWxWindow()->IsShownOnScreen(); }));

    auto resize = [&](int cx, int cy) {
      frame.MoveWindow(0, 0, cx, cy);
      PumpUntil([&] {
        CRect r;
        site.GetClientRect(&r);
        return r.Width() > cx - 40;
      });
    };
    // Drags the sash right of the pane by dx with the left button held.
    auto drag = [&](int dx) {
      const wxRect r = thumbs.GetWxWindow()->GetRect();
      const int x = r.GetRight() + 3, y = r.GetTop() + r.GetHeight() / 2;  // past the pane's border
      SendMouse(pSite, wxEVT_LEFT_DOWN, x, y);
      SendMouse(pSite, wxEVT_MOTION, x + dx / 2, y);
      SendMouse(pSite, wxEVT_MOTION, x + dx, y);
      SendMouse(pSite, wxEVT_LEFT_UP, x + dx, y);
    };
    auto closeButton = [&] {
      wxAuiManager* pAui = wxAuiManager::GetManager(pSite);
      ASSERT_NE(pAui, nullptr);
      wxAuiManagerEvent e(wxEVT_AUI_PANE_BUTTON);
      e.SetManager(pAui);
      e.SetPane(&pAui->GetPane(thumbs.GetWxWindow()));
      e.SetButton(wxAUI_BUTTON_CLOSE);
      pAui->ProcessEvent(e);
    };
    struct Step {
      const char* pszWhat;
      std::function<void()> act;
      int cxWanted;
    } steps[] = {
        {"opened in a 400 x 250 frame", [] {}, 250},
        {"frame grown to 1000 x 700", [&] { resize(1000, 700); }, 250},
        {"sash dragged 60 px right", [&] { drag(60); }, 310},
        {"frame grown to 1200 x 800", [&] { resize(1200, 800); }, 310},
        {"frame shrunk to 900 x 600", [&] { resize(900, 600); }, 310},
        {"closed and shown again", [&] { panes.ClosePane(300); panes.ShowPane(300); }, 310},
        {"sash dragged 90 px left", [&] { drag(-90); }, 220},
        {"closed by its caption button, shown again",
         [&] {
           closeButton();
           EXPECT_TRUE(panes.IsPaneClosed(300));
           panes.ShowPane(300);
         },
         220},
        {"frame grown to 1100 x 700", [&] { resize(1100, 700); }, 220},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.pszWhat);
      s.act();
      ASSERT_TRUE(PumpUntil([&] { return thumbs.GetWxWindow()->IsShownOnScreen(); }));
      PumpUntil([] { return false; }, 30);
      CRect rcThumbs, rcClient;
      thumbs.GetWindowRect(&rcThumbs);
      client.GetWindowRect(&rcClient);
      EXPECT_EQ(rcThumbs.Width(), s.cxWanted);
      EXPECT_GT(rcClient.left, rcThumbs.right) << "the client keeps the rest";
    }
    if (const char* pszDir = std::getenv("LW_DOCK_SHOT")) {  // a screenshot to look at
      PumpUntil([] { return false; }, 200);
      wxExecute(wxString::Format("import -window root %s/dock-width.png", pszDir), wxEXEC_SYNC | wxEXEC_NOEVENTS);
    }
  }
  frame.DestroyWindow();
  PumpUntil([] { return false; }, 20);
}

}  // namespace
