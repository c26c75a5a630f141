// The ribbon's groups as the frame narrows, under Xvfb: a tab about 2,000 px wide in frames of
// 2,400 down to 800 px. Groups shrink from the right (small buttons, then icons only, then one
// drop-down button per group); every command stays on screen or in its collapsed group's pop-up,
// no two groups overlap, the left groups keep their large buttons while the tab fits, the page
// spans the bar, and the bar keeps its height through every resize.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include <wx/image.h>


#include <QorpPaintManager.h>
#include <QorpRibbon.h>

#include "GuiTestHarness.h"
#include "ribbon_internal.h"

using namespace guitest;

namespace {

class CLayoutFrame : public CFrameWnd {
 public:
  void OnAnyCommand(UINT) {}
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CLayoutFrame, CFrameWnd)
  ON_COMMAND_RANGE(1000, 1999, &CLayoutFrame::OnAnyCommand)
END_MESSAGE_MAP()

// Six groups of a large button, three small ones and a combo box (ids 1000 + 10 * group + n):
// the combo boxes keep their width, so icons alone do not make the tab fit at 1,024 px.
constexpr int kGroups = 6;
constexpr int kPerGroup = 4;

class RibbonLayoutGui : public ::testing::Test {
 protected:
  void SetUp() override {
    CQORPPaintManager::Get()->SetColors(CQORPThemeColors());
    frame = new CLayoutFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Layout", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 2400, 600)));
    bars.SetStringLoader([](UINT nId, CString& s) {
      if (nId >= 1000) {
        s.Format(L"Command %u\nCommand %u", nId, nId);
        return true;
      }
      s.Format(L"Group %u", nId);
      return true;
    });
    ASSERT_TRUE(ribbon.Create(frame, &bars));
    std::vector<UINT> large;
    for (int g = 0; g < kGroups; ++g) large.push_back(static_cast<UINT>(1000 + 10 * g));
    ribbon.SetLargeIcons(large.data(), static_cast<int>(large.size()));
    // Every command has a picture (a dark ring), as the program's commands do: a group down to
    // icons shows them without labels.
    for (int size : {16, 32}) {
      std::vector<BYTE> ring(static_cast<size_t>(size) * size * 4, 0);
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
          if (x < 2 || y < 2 || x >= size - 2 || y >= size - 2) ring[(static_cast<size_t>(y) * size + x) * 4 + 3] = 255;
      for (int g = 0; g < kGroups; ++g)
        for (int n = 0; n < kPerGroup; ++n) ribbon.SetIcon(static_cast<UINT>(1000 + 10 * g + n), size, size, size, ring.data());
    }
    CQORPRibbonTab* pTab = ribbon.AddTab(100);
    ASSERT_NE(pTab, nullptr);
    for (int g = 0; g < kGroups; ++g) {
      CQORPRibbonGroup* pGroup = pTab->AddGroup(200 + g);
      for (int n = 0; n < kPerGroup; ++n) {
        CQORPControl* p = pGroup->Add(QORP_CONTROL_BUTTON, 1000 + 10 * g + n);
        ASSERT_NE(p, nullptr);
        controls.push_back(p);
      }
      CQORPControl* pCombo = pGroup->Add(QORP_CONTROL_COMBO_BOX, 1000 + 10 * g + 9);
      ASSERT_NE(pCombo, nullptr);
      pCombo->SetWidth(120);
      controls.push_back(pCombo);
    }
    ribbon.RecalcLayout();
    ASSERT_TRUE(PumpUntil([&] { return ribbon.GetImpl()->pRibbon && ribbon.GetImpl()->pRibbon->IsShownOnScreen(); }));
    frame->OnUpdateCmdUIAll();
  }
  void TearDown() override {
    if (ribbon.GetSafeHwnd()) ribbon.DestroyWindow();
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete frame;
  }
  void Resize(int nWidth) {
    frame->MoveWindow(0, 0, nWidth, 600);
    wxWindow* pRibbon = ribbon.GetImpl()->pRibbon;
    PumpUntil([&] { return pRibbon->GetSize().x <= nWidth && pRibbon->GetSize().x >= nWidth - 40; });
    PumpUntil([] { return false; }, 50);
  }
  // The groups left to right.
  std::vector<QorpRibbonPanel*> Groups() {
    std::vector<QorpRibbonPanel*> out;
    wxRibbonPage* pPage = ribbon.GetImpl()->pRibbon->GetPage(0);
    for (wxWindow* w : pPage->GetChildren())
      if (auto* p = dynamic_cast<QorpRibbonPanel*>(w)) out.push_back(p);
    std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->GetPosition().x < b->GetPosition().x; });
    return out;
  }
  QorpRibbonPanel* GroupOf(CQORPControl* p) {
    const QorpPlacement& pl = ribbon.GetImpl()->placements.at(p);
    wxWindow* w = pl.pButtonBar ? static_cast<wxWindow*>(pl.pButtonBar) : static_cast<wxWindow*>(pl.pStrip);
    return dynamic_cast<QorpRibbonPanel*>(w->GetParent());
  }
  // With LW_RIBBON_SHOTS naming a folder, the ribbon at each width is saved there to look at.
  void Shot(int nWidth) {
    const char* dir = std::getenv("LW_RIBBON_SHOTS");
    if (!dir) return;
    PumpUntil([] { return false; }, 300);
    const wxRect r = ribbon.GetImpl()->pRibbon->GetScreenRect();
    const std::string cmd = wxString::Format("import -window root -crop %dx%d+%d+%d %s/ribbon-%d.png", r.width, r.height, r.x, r.y, dir, nWidth).ToStdString();
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << cmd;
  }

  CLayoutFrame* frame = nullptr;
  CQORPCommandBars bars;
  CQORPRibbonBar ribbon;
  std::vector<CQORPControl*> controls;
};

TEST_F(RibbonLayoutGui, GroupsShrinkFromTheRightAndEveryCommandStaysReachable) {
  const struct {
    int nWidth;
    bool bAllLarge;   // the tab fits as built
    bool bCollapsed;  // some group is down to its drop-down button
  } cases[] = {{2400, true, false}, {1600, false, false}, {1280, false, false}, {1024, false, true}, {800, false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nWidth);
    Resize(c.nWidth);
    Shot(c.nWidth);
    // The frame holds nothing but the ribbon, yet the bar keeps its own height (it is not
    // stretched over the 600-pixel client area by the resize).
    CRect rcBar;
    ribbon.GetWindowRect(&rcBar);
    EXPECT_EQ(rcBar.Height(), ribbon.GetBarHeight());
    EXPECT_LT(rcBar.Height(), 250);
    wxWindow* pPage = ribbon.GetImpl()->pRibbon->GetPage(0);
    const wxRect rcPage = pPage->GetScreenRect();
    // The page spans the bar (the groups are made to fit: no scroll arrows, no unpainted strip).
    const wxRect rcRibbon = ribbon.GetImpl()->pRibbon->GetScreenRect();
    EXPECT_EQ(rcPage.GetLeft(), rcRibbon.GetLeft());
    EXPECT_EQ(rcPage.GetRight(), rcRibbon.GetRight());
    const std::vector<QorpRibbonPanel*> groups = Groups();
    ASSERT_EQ(groups.size(), static_cast<size_t>(kGroups));
    // Side by side inside the page, steps never smaller to the right.
    bool bAnyCollapsed = false;
    for (size_t i = 0; i < groups.size(); ++i) {
      const wxRect r = groups[i]->GetScreenRect();
      EXPECT_TRUE(rcPage.Contains(r)) << "group " << i << " leaves the page";
      if (i > 0) {
        EXPECT_GE(r.x, groups[i - 1]->GetScreenRect().GetRight() + 1) << "group " << i << " overlaps";
        EXPECT_GE(groups[i]->Step(), groups[i - 1]->Step()) << "group " << i << " shrinks before the one on its left";
      }
      EXPECT_EQ(groups[i]->IsMinimised(), groups[i]->Step() == 3) << "group " << i;
      bAnyCollapsed = bAnyCollapsed || groups[i]->IsMinimised();
    }
    EXPECT_EQ(bAnyCollapsed, c.bCollapsed);
    EXPECT_EQ(groups.front()->Step() == 0, c.nWidth >= 1280) << "the left group keeps its large button";
    if (c.bAllLarge) {
      for (QorpRibbonPanel* p : groups) EXPECT_EQ(p->Step(), 0);
    }
    // Every command is on screen in its group, or its collapsed group opens with it inside.
    for (CQORPControl* p : controls) {
      SCOPED_TRACE(p->GetID());
      QorpRibbonPanel* pGroup = GroupOf(p);
      ASSERT_NE(pGroup, nullptr);
      CRect rc;
      if (pGroup->IsMinimised()) {
        EXPECT_FALSE(ribbon.GetControlScreenRect(p, rc)) << "hidden while its group is collapsed";
        ASSERT_TRUE(pGroup->ShowExpanded());
        PumpUntil([&] { return ribbon.GetControlScreenRect(p, rc) != FALSE; }, 500);
        ASSERT_TRUE(ribbon.GetControlScreenRect(p, rc)) << "in the collapsed group's pop-up";
        const wxRect rcPopup = pGroup->GetExpandedPanel()->GetScreenRect();
        EXPECT_TRUE(rcPopup.Contains(wxRect(rc.left, rc.top, rc.Width(), rc.Height())));
        pGroup->HideExpanded();
        PumpUntil([] { return false; }, 20);
      } else {
        ASSERT_TRUE(ribbon.GetControlScreenRect(p, rc));
        EXPECT_TRUE(pGroup->GetScreenRect().Contains(wxRect(rc.left, rc.top, rc.Width(), rc.Height())))
            << "inside its group";
      }
    }
  }
}

}  // namespace
