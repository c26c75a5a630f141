// Status-bar panes without a window: finding by id, hiding and showing, layout with a stretch
// pane, progress and slider ranges, and what a click on the slider pane means.
#include <gtest/gtest.h>

#include <QorpPaintManager.h>
#include <QorpStatusBar.h>

namespace {

TEST(PanecraftStatusBar, FollowsTheTheme) {
  CQORPPaintManager* pm = CQORPPaintManager::Get();
  CQORPThemeColors dark;
  dark.SetColor(QORP_CLR_STATUSBAR_BACK, RGB(0x20, 0x20, 0x20));
  dark.SetColor(QORP_CLR_STATUSBAR_TEXT, RGB(0xF0, 0xF0, 0xF0));
  {
    CQORPStatusBar bar;
    EXPECT_EQ(bar.GetBackColor(), pm->GetColor(QORP_CLR_STATUSBAR_BACK));
    pm->SetColors(dark);
    EXPECT_EQ(bar.GetBackColor(), RGB(0x20, 0x20, 0x20));
    EXPECT_EQ(bar.GetTextColor(), RGB(0xF0, 0xF0, 0xF0));
  }
  pm->SetColors(CQORPThemeColors());  // the bar is gone: nothing may call it any more
}

int MeasureTenPerChar(const CQORPStatusBarPane* p, void*) { return 10 * p->GetText().GetLength(); }

TEST(PanecraftStatusBar, PanesByIdAndVisibility) {
  CQORPStatusBar bar;
  bar.AddPane(QORP_STATUS_PANE_TEXT, 1020);
  auto* pTip = bar.AddPane(QORP_STATUS_PANE_TEXT, 1021);
  auto* pProgress = bar.AddPane(QORP_STATUS_PANE_PROGRESS, 1022);
  bar.AddPane(QORP_STATUS_PANE_STRETCH, 0);
  EXPECT_EQ(bar.GetPaneCount(), 4);
  EXPECT_EQ(bar.FindPane(1021), pTip);
  EXPECT_EQ(bar.CommandToIndex(1022), 2);
  EXPECT_EQ(bar.FindPane(9999), nullptr);
  EXPECT_EQ(bar.GetPane(4), nullptr);
  EXPECT_EQ(bar.GetPane(-1), nullptr);
  ASSERT_NE(dynamic_cast<CQORPStatusBarProgressPane*>(pProgress), nullptr);
  EXPECT_EQ(dynamic_cast<CQORPStatusBarProgressPane*>(pTip), nullptr);
  EXPECT_EQ(pTip->GetStatusBar(), &bar);

  pTip->SetVisible(FALSE);
  EXPECT_FALSE(pTip->IsVisible());
  EXPECT_TRUE(pTip->GetRect().IsRectEmpty());
  EXPECT_TRUE(bar.RemovePane(1021));
  EXPECT_FALSE(bar.RemovePane(1021));
  EXPECT_EQ(bar.CommandToIndex(1022), 1);
}

TEST(PanecraftStatusBar, LayoutLeftToRightWithStretch) {
  CQORPStatusBarPane page(QORP_STATUS_PANE_TEXT, 1020), tip(QORP_STATUS_PANE_TEXT, 1021), stretch(QORP_STATUS_PANE_STRETCH, 0);
  CQORPStatusBarProgressPane progress(1022);
  CQORPStatusBarSliderPane slider(384);
  page.SetText(L"Page: 1 of 1");  // 12 characters: 120 by the measure below
  page.SetPadding(8, 0, 8, 0);
  tip.SetPadding(8, 0, 8, 0);
  progress.SetWidth(500);
  progress.SetPadding(3, 0, 3, 0);
  stretch.SetWidth(1);
  slider.SetWidth(180);
  const std::vector<CQORPStatusBarPane*> panes = {&page, &tip, &progress, &stretch, &slider};

  struct Case {
    const char* pszName;
    bool bTip, bProgress;
    int cx;
    CRect page, tip, progress, stretch, slider;
  } cases[] = {
      {"progress hidden", false, false, 1000, {0, 0, 136, 24}, {}, {}, {136, 0, 820, 24}, {820, 0, 1000, 24}},
      {"progress shown", true, true, 1000, {0, 0, 136, 24}, {136, 0, 152, 24}, {152, 0, 658, 24},
       {658, 0, 820, 24}, {820, 0, 1000, 24}},
      {"too narrow: stretch keeps its width", true, true, 500, {0, 0, 136, 24}, {136, 0, 152, 24},
       {152, 0, 658, 24}, {658, 0, 659, 24}, {659, 0, 839, 24}},
  };
  for (const Case& c : cases) {
    tip.SetVisible(c.bTip);
    progress.SetVisible(c.bProgress);
    QORPLayoutStatusPanes(panes, c.cx, 24, &MeasureTenPerChar, nullptr);
    SCOPED_TRACE(c.pszName);
    EXPECT_EQ(page.GetRect(), c.page);
    EXPECT_EQ(tip.GetRect(), c.tip);
    EXPECT_EQ(progress.GetRect(), c.progress);
    EXPECT_EQ(stretch.GetRect(), c.stretch);
    EXPECT_EQ(slider.GetRect(), c.slider);
  }
}

TEST(PanecraftStatusBar, ProgressAndSliderClampToTheirRanges) {
  CQORPStatusBarProgressPane progress(1022);
  for (auto [pos, expected] : {std::pair{50, 50}, {-5, 0}, {101, 100}, {100, 100}}) {
    progress.SetPos(pos);
    EXPECT_EQ(progress.GetPos(), expected) << pos;
  }
  progress.SetRange(10, 0);  // reversed bounds are put in order
  int lo, hi;
  progress.GetRange(lo, hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 10);
  EXPECT_EQ(progress.GetPos(), 10);

  CQORPStatusBarSliderPane slider(384);
  slider.SetRange(0, 1000);
  slider.SetPos(500);
  EXPECT_EQ(slider.GetPos(), 500);
  slider.SetPos(2000);
  EXPECT_EQ(slider.GetPos(), 1000);
}

TEST(PanecraftStatusBar, SliderClickCodes) {
  CQORPStatusBarSliderPane slider(384);
  slider.SetRange(0, 1000);
  slider.SetPos(500);
  slider.SetWidth(180);
  std::vector<CQORPStatusBarPane*> panes = {&slider};
  QORPLayoutStatusPanes(panes, 180, 24, nullptr, nullptr);
  ASSERT_EQ(slider.GetRect(), CRect(0, 0, 180, 24));
  // Track from 16 + 4 = 20 to 180 - 16 - 4 = 160; the thumb at 500 sits at x 90.
  struct Case {
    int x, nCode, nPos;
  } cases[] = {
      {0, SB_LINELEFT, 500},    {15, SB_LINELEFT, 500},   {16, SB_PAGELEFT, 500}, {85, SB_PAGELEFT, 500},
      {90, SB_THUMBTRACK, 500}, {94, SB_THUMBTRACK, 528}, {95, SB_PAGERIGHT, 500}, {164, SB_LINERIGHT, 500},
      {179, SB_LINERIGHT, 500}, {180, -1, 500},          {-1, -1, 500},
  };
  for (const Case& c : cases) {
    int nPos = -7;
    EXPECT_EQ(slider.HitTest(c.x, nPos), c.nCode) << c.x;
    EXPECT_EQ(nPos, c.nPos) << c.x;
  }
  slider.SetVisible(FALSE);
  QORPLayoutStatusPanes(panes, 180, 24, nullptr, nullptr);
  int nPos;
  EXPECT_EQ(slider.HitTest(90, nPos), -1);
}

}  // namespace
