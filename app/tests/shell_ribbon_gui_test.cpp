// The main window's ribbon under Xvfb, in each theme at 1280 x 800 and narrowed to 1,024 and
// 800 px: every control of each tab is on screen inside its group (or inside the pop-up of its
// collapsed group), no two groups overlap, every open group shows its whole caption, the bar
// keeps its height through resizes, and every caption on the bar (tabs, groups, labels, check
// boxes, large buttons, tab-row items, the File button; disabled ones too) reads at 4.5:1 or better against what
// lies under it. Screenshots of each tab are kept in
// screenshots/ribbon-<theme>-<tab>-<width>.png for looking at.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <wx/combo.h>
#include <wx/textctrl.h>
#include <wx/dcclient.h>
#include <wx/image.h>
#include <wx/uiaction.h>

#include <QorpDrawHelpers.h>
#include <QorpGalleryWindows.h>
#include <QorpPaintManager.h>
#include <QorpRibbon.h>

#include "GuiTestHarness.h"
#include "MainFrame.h"
#include "RibbonLayout.h"
#include "ShellIds.h"
#include "Themes.h"
#include "ribbon_internal.h"

using namespace guitest;
namespace fs = std::filesystem;

namespace {

class RibbonGui : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxInitAllImageHandlers();
    frame = new CMainFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Leafwright", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1280, 800)));
    ASSERT_TRUE(PumpUntil([&] { return Ribbon().GetImpl()->pRibbon && Ribbon().GetImpl()->pRibbon->IsShownOnScreen(); }));
    frame->OnUpdateCmdUIAll();
    PumpUntil([] { return false; }, 100);
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete frame;
  }
  CQORPRibbonBar& Ribbon() { return frame->GetRibbonBar(); }
  void Resize(int nWidth) {
    frame->MoveWindow(0, 0, nWidth, 800);
    wxWindow* pRibbon = Ribbon().GetImpl()->pRibbon;
    PumpUntil([&] { return pRibbon->GetSize().x <= nWidth && pRibbon->GetSize().x >= nWidth - 40; });
    frame->OnUpdateCmdUIAll();
    PumpUntil([] { return false; }, 100);
  }
  void SelectTab(int nTab) {
    Ribbon().SelectTab(Ribbon().GetTab(nTab));
    frame->OnUpdateCmdUIAll();
    PumpUntil([] { return false; }, 150);
  }
  std::vector<QorpRibbonPanel*> Groups(int nTab) {
    std::vector<QorpRibbonPanel*> out;
    for (wxWindow* w : Ribbon().GetImpl()->pRibbon->GetPage(nTab)->GetChildren())
      if (auto* p = dynamic_cast<QorpRibbonPanel*>(w)) out.push_back(p);
    std::sort(out.begin(), out.end(), [](auto* a, auto* b) { return a->GetPosition().x < b->GetPosition().x; });
    return out;
  }
  QorpRibbonPanel* GroupOf(const CQORPControl* p) {
    const QorpPlacement& pl = Ribbon().GetImpl()->placements.at(p);
    wxWindow* w = pl.pButtonBar ? static_cast<wxWindow*>(pl.pButtonBar) : static_cast<wxWindow*>(pl.pStrip);
    return w ? dynamic_cast<QorpRibbonPanel*>(w->GetParent()) : nullptr;
  }
  std::string Shot(const std::string& name) {
    PumpUntil([] { return false; }, 300);
    const std::string dir = LW_SCREENSHOT_DIR;
    fs::create_directories(dir);
    const std::string path = dir + "/" + name;
    const wxRect r = frame->GetWxWindow()->GetScreenRect();
    shotOrigin = r.GetTopLeft();
    const std::string cmd = wxString::Format("import -window root -crop %dx%d+%d+%d '%s' 2>/dev/null", r.width,
                                             std::min(r.height, 220), r.x, r.y, path)
                                .ToStdString();
    if (std::system(cmd.c_str()) != 0) ADD_FAILURE() << cmd;
    return path;
  }

  // Every control of a tab's groups: on screen in its group, or in its collapsed group's pop-up.
  void CheckTabReachable(int nTab) {
    CQORPRibbonTab* pTab = Ribbon().GetTab(nTab);
    const std::vector<QorpRibbonPanel*> groups = Groups(nTab);
    ASSERT_EQ(groups.size(), static_cast<size_t>(pTab->GetGroupCount()));
    const wxRect rcPage = Ribbon().GetImpl()->pRibbon->GetPage(nTab)->GetScreenRect();
    for (size_t i = 0; i < groups.size(); ++i) {
      const wxRect r = groups[i]->GetScreenRect();
      EXPECT_TRUE(rcPage.Contains(r)) << "group " << i << " leaves the page";
      if (i > 0) EXPECT_GE(r.x, groups[i - 1]->GetScreenRect().GetRight() + 1) << "group " << i << " overlaps";
      // An open group shows its whole caption.
      if (!groups[i]->IsMinimised()) {
        wxClientDC dc(groups[i]);
        dc.SetFont(groups[i]->GetFont());
        EXPECT_LE(dc.GetTextExtent(groups[i]->GetLabel()).x + 8, r.width) << "caption of group " << i << " clipped";
      }
    }
    for (int g = 0; g < pTab->GetGroupCount(); ++g) {
      CQORPRibbonGroup* pGroup = pTab->GetGroup(g);
      for (int c = 0; c < pGroup->GetCount(); ++c) {
        CQORPControl* p = pGroup->GetAt(c);
        SCOPED_TRACE(testing::Message() << "group " << pGroup->GetID() << " control " << c << " id " << p->GetID());
        QorpRibbonPanel* pPanel = GroupOf(p);
        ASSERT_NE(pPanel, nullptr);
        CRect rc;
        if (pPanel->IsMinimised()) {
          ASSERT_TRUE(pPanel->ShowExpanded());
          PumpUntil([&] { return Ribbon().GetControlScreenRect(p, rc) != FALSE; }, 500);
          ASSERT_TRUE(Ribbon().GetControlScreenRect(p, rc)) << "in the collapsed group's pop-up";
          EXPECT_TRUE(pPanel->GetExpandedPanel()->GetScreenRect().Contains(wxRect(rc.left, rc.top, rc.Width(), rc.Height())));
          pPanel->HideExpanded();
          PumpUntil([] { return false; }, 20);
        } else {
          ASSERT_TRUE(Ribbon().GetControlScreenRect(p, rc)) << "on screen";
          EXPECT_GT(rc.Width(), 4);
          EXPECT_TRUE(pPanel->GetScreenRect().Contains(wxRect(rc.left, rc.top, rc.Width(), rc.Height())))
              << "inside its group";
        }
      }
    }
  }

  // The strongest contrast within a rectangle (screen coordinates) of the screenshot against
  // the rectangle's most common colour: text drawn there reads at that contrast or less.
  double InkContrast(const wxImage& img, const wxRect& rcScreen) {
    const wxPoint origin = shotOrigin;
    std::map<COLORREF, int> counts;
    std::vector<COLORREF> pixels;
    for (int y = rcScreen.y; y < rcScreen.GetBottom() + 1; ++y)
      for (int x = rcScreen.x; x < rcScreen.GetRight() + 1; ++x) {
        const int px = x - origin.x, py = y - origin.y;
        if (px < 0 || py < 0 || px >= img.GetWidth() || py >= img.GetHeight()) continue;
        const COLORREF c = RGB(img.GetRed(px, py), img.GetGreen(px, py), img.GetBlue(px, py));
        ++counts[c];
        pixels.push_back(c);
      }
    COLORREF back = 0;
    int most = -1;
    for (auto& [c, n] : counts)
      if (n > most) most = n, back = c;
    double best = 1.0;
    for (COLORREF c : pixels) best = std::max(best, CQORPDrawHelpers::ContrastRatio(c, back));
    return best;
  }
  // Every caption of the tab on screen: tab labels, group captions, the labels and check boxes
  // of the strips, the captions of large buttons, the tab-row items.
  void CheckCaptionContrast(int nTab, const std::string& png, const char* what) {
    wxImage img;
    ASSERT_TRUE(img.LoadFile(png, wxBITMAP_TYPE_PNG)) << png;
    std::vector<std::pair<std::string, wxRect>> rects;
    auto* pBar = static_cast<QorpWxRibbonBar*>(Ribbon().GetImpl()->pRibbon);
    for (size_t t = 0; t < pBar->GetPageCount(); ++t) {
      const wxRect r = pBar->TabRect(t);
      if (!r.IsEmpty()) rects.emplace_back("tab " + std::to_string(t), wxRect(pBar->ClientToScreen(r.GetTopLeft()), r.GetSize()).Deflate(3, 2));
    }
    for (QorpRibbonPanel* g : Groups(nTab)) {
      if (g->IsMinimised()) continue;
      const wxRect r = g->GetScreenRect();
      rects.emplace_back("caption of " + g->GetLabel().ToStdString(), wxRect(r.x + 3, r.y + 2, r.width - 22, 16));
    }
    CQORPRibbonTab* pTab = Ribbon().GetTab(nTab);
    for (int gi = 0; gi < pTab->GetGroupCount(); ++gi)
      for (int c = 0; c < pTab->GetGroup(gi)->GetCount(); ++c) {
        CQORPControl* p = pTab->GetGroup(gi)->GetAt(c);
        CRect rc;
        if (!Ribbon().GetControlScreenRect(p, rc)) continue;
        const std::string name = "control " + std::to_string(p->GetID()) + " " + wxString(p->GetCaption().GetString()).ToStdString();
        if (p->GetType() == QORP_CONTROL_LABEL || p->GetType() == QORP_CONTROL_CHECK_BOX)
          rects.emplace_back(name, wxRect(rc.left, rc.top, rc.Width(), rc.Height()));
        else if (Ribbon().HasLargeIcon(static_cast<UINT>(p->GetID())) && rc.Height() > 50)
          rects.emplace_back(name, wxRect(rc.left + 2, rc.bottom - 30, rc.Width() - 4, 28));
      }
    CQORPCommandBar* pRow = Ribbon().GetTabRowControls();
    for (int i = 0; i < pRow->GetCount(); ++i) {
      CRect rc;
      if (Ribbon().GetControlScreenRect(pRow->GetAt(i), rc))
        rects.emplace_back("tab-row item " + std::to_string(i), wxRect(rc.left + 2, rc.top + 2, rc.Width() - 4, rc.Height() - 4));
    }
    CRect rcFile;
    if (Ribbon().GetControlScreenRect(Ribbon().GetSystemButton(), rcFile))
      rects.emplace_back("File button", wxRect(rcFile.left + 2, rcFile.top + 2, rcFile.Width() - 4, rcFile.Height() - 4));
    ASSERT_GT(rects.size(), 8u);
    for (const auto& [name, r] : rects) {
      const double k = InkContrast(img, r);
      EXPECT_GE(k, 4.5) << name << " in " << what << " (" << r.x << "," << r.y << " " << r.width << "x" << r.height << ")";
    }
  }

  CMainFrame* frame = nullptr;
  wxPoint shotOrigin;
};

// Every combo box of the Font group, drawn by the toolkit's own edit: the widest names and sizes
// it shows fit in its text field.
void CombosUnder(wxWindow* w, std::vector<wxComboCtrl*>& out) {
  if (auto* c = dynamic_cast<wxComboCtrl*>(w)) out.push_back(c);
  for (wxWindow* child : w->GetChildren()) CombosUnder(child, out);
}

TEST_F(RibbonGui, TheFontAndSizeBoxesShowWholeNamesAndSizes) {
  SelectTab(0);
  for (int nWidth : {1280, 1024}) {
    SCOPED_TRACE(nWidth);
    Resize(nWidth);
    std::vector<wxComboCtrl *> combos;
    CombosUnder(Ribbon().GetImpl()->pRibbon, combos);
    ASSERT_GE(combos.size(), 2u);
    std::sort(combos.begin(), combos.end(), [](wxComboCtrl *a, wxComboCtrl *b) {
      return a->GetScreenPosition().x < b->GetScreenPosition().x;
    });
    const struct {
      wxComboCtrl *combo;
      const char *text;
    } cases[] = {{combos[0], "LiberationSans-Bold"}, {combos[1], "11.95"}};
    for (const auto &c : cases) {
      wxTextCtrl *edit = c.combo->GetTextCtrl();
      ASSERT_NE(edit, nullptr);
      const int room =
          edit->GetClientSize().x - 8; // the field's own inner margins
      EXPECT_LE(edit->GetTextExtent(c.text).x, room) << c.text;
    }
  }
  Resize(1280);
}

TEST_F(RibbonGui, TheBackstageHoldsTheFileCommandsAndTabsInOrder) {
  std::vector<int> expected;
  for (UINT id : BackstageCommandsBeforeTabs())
    expected.push_back(static_cast<int>(id));
  expected.push_back(IDS_TAB_RECENT);
  expected.push_back(IDS_TAB_PRINT);
  for (UINT id : BackstageCommandsAfterTabs()) expected.push_back(static_cast<int>(id));
  std::vector<int> shown;
  CQORPBackstageView& backstage = frame->GetBackstageView();
  for (int i = 0; i < backstage.GetItemCount(); ++i) shown.push_back(backstage.GetItem(i)->GetID());
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(Ribbon().GetSystemButton()->GetCaption(), L"&File");
  EXPECT_EQ(Ribbon().GetBackstageView(), &backstage) << "the File button opens it";
}

TEST_F(RibbonGui, AddStampOpensTheThreeStampGalleries) {
  SelectTab(1);
  CQORPControl* pStamp = frame->GetCommandBars()->FindControl(QORP_CONTROL_ERROR, ID_ADD_STAMP, FALSE, FALSE);
  ASSERT_NE(pStamp, nullptr);
  ASSERT_TRUE(Ribbon().ExecuteControl(pStamp, TRUE)) << "the list opens (the button itself does nothing)";
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpUntil([] { return false; }, 150);
  // Each gallery shows its first stamp inside the list.
  const wxRect rcPopup = QORPGetOpenPopupWindow()->GetScreenRect();
  for (int i = 0; i < pStamp->GetCommandBar()->GetCount(); ++i) {
    auto* pGallery = dynamic_cast<CQORPControlGallery*>(pStamp->GetCommandBar()->GetAt(i));
    if (!pGallery) continue;
    const CRect rc = QORPGetPopupItemRect(pGallery, 0);
    EXPECT_FALSE(rc.IsRectEmpty()) << pGallery->GetID();
    EXPECT_TRUE(rcPopup.Contains(wxRect(rc.left, rc.top, rc.Width(), rc.Height()))) << pGallery->GetID();
  }
  fs::create_directories(LW_SCREENSHOT_DIR);
  const std::string cmd = wxString::Format("import -window root -crop %dx%d+%d+%d '%s/ribbon-add-stamp.png' 2>/dev/null",
                                           rcPopup.width, std::min(rcPopup.height, 700), rcPopup.x, rcPopup.y,
                                           LW_SCREENSHOT_DIR)
                              .ToStdString();
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  QORPClosePopupBar();
  PumpUntil([] { return false; }, 30);
}

TEST_F(RibbonGui, EveryTabShowsItsControlsInEachThemeAndWidth) {
  const struct {
    int nTheme;
    const char* name;
  } themes[] = {{ID_THEME_OFFICE2010_BLUE, "blue"}, {ID_THEME_OFFICE2010_SILVER, "silver"}, {ID_THEME_OFFICE2010_BLACK, "black"}};
  const char* tabNames[] = {"home", "edit", "view"};
  for (const auto& t : themes) {
    SCOPED_TRACE(t.name);
    frame->OnSwitchTheme(static_cast<UINT>(t.nTheme));
    {
      // The tab labels read on every background a tab is drawn on (an inactive tab takes the
      // hover backgrounds' upper gradient).
      wxRibbonArtProvider* art = Ribbon().GetImpl()->pRibbon->GetArtProvider();
      auto ref = [&](int n) {
        const wxColour c = art->GetColour(n);
        return RGB(c.Red(), c.Green(), c.Blue());
      };
      for (int label : {wxRIBBON_ART_TAB_LABEL_COLOUR, wxRIBBON_ART_TAB_HOVER_LABEL_COLOUR})
        for (int back : {wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR,
                         wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_TAB_HOVER_BACKGROUND_TOP_GRADIENT_COLOUR,
                         wxRIBBON_ART_TAB_HOVER_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_HOVER_BACKGROUND_GRADIENT_COLOUR})
          EXPECT_GE(CQORPDrawHelpers::ContrastRatio(ref(label), ref(back)), 4.5) << label << " on " << back;
      // A disabled button's label reads (4.5:1) and stands clearly apart from an enabled one.
      const COLORREF page = ref(wxRIBBON_ART_PAGE_BACKGROUND_COLOUR);
      const double enabled = CQORPDrawHelpers::ContrastRatio(ref(wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR), page);
      const double disabled = CQORPDrawHelpers::ContrastRatio(ref(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR), page);
      EXPECT_GE(disabled, 4.5);
      EXPECT_LE(disabled, 5.5);
      EXPECT_GE(enabled, disabled + 2.0);
    }
    for (int nWidth : {1280, 1024, 800}) {
      SCOPED_TRACE(nWidth);
      Resize(nWidth);
      for (int nTab = 0; nTab < Ribbon().GetTabCount(); ++nTab) {
        SCOPED_TRACE(tabNames[nTab]);
        SelectTab(nTab);
        const std::string png =
            Shot(std::string("ribbon-") + t.name + "-" + tabNames[nTab] + "-" + std::to_string(nWidth) + ".png");
        CheckTabReachable(nTab);
        CheckCaptionContrast(nTab, png, t.name);
        // The File button is as tall as the tabs beside it.
        CRect rcFile;
        auto* pBar = static_cast<QorpWxRibbonBar*>(Ribbon().GetImpl()->pRibbon);
        if (Ribbon().GetControlScreenRect(Ribbon().GetSystemButton(), rcFile) && pBar->GetPageCount() > 0) {
          const wxRect tab = pBar->TabRect(0);
          EXPECT_NEAR(rcFile.bottom, pBar->ClientToScreen(wxPoint(0, tab.GetBottom() + 1)).y, 2) << "File button's foot";
        }
        EXPECT_LT(Ribbon().GetBarHeight(), 200) << "the bar keeps a ribbon's height";
      }
    }
    Resize(1280);
  }
}

// A view stand-in that records the previews it is asked for.
struct RecordingView : IGalleryPreviewView {
  std::vector<std::string> calls;
  bool IsEditingText() const override { return false; }
  void PreviewFontSize(bool, float v) override { calls.push_back("size " + std::to_string(v)); }
  void PreviewFilledTransparency(bool, int v) override { calls.push_back("fill-alpha " + std::to_string(v)); }
  void PreviewStrokedTransparency(bool, int v) override { calls.push_back("stroke-alpha " + std::to_string(v)); }
  void PreviewFilledColor(bool, const PreviewColor& v) override { calls.push_back("fill " + std::to_string(v.clr)); }
  void PreviewOutlineColor(bool, const PreviewColor& v) override { calls.push_back("outline " + std::to_string(v.clr)); }
  void PreviewStrokeWidth(float v) override { calls.push_back("width " + std::to_string(v)); }
  void PreviewDashStyle(int v) override { calls.push_back("dash " + std::to_string(v)); }
  void PreviewRotatedAngle(int v) override { calls.push_back("angle " + std::to_string(v)); }
  bool HasPreviewScene() const override { return true; }
  void SetPreviewShown(bool b) override { calls.push_back(b ? "shown" : "hidden"); }
  void RestorePrevScene() override { calls.push_back("restore"); }
  void DestroyPreviewScene() override { calls.push_back("destroy"); }
};

// The main window whose view takes fill colours (so the Filled Color list is enabled).
class CPreviewingFrame : public CMainFrame {
 public:
  RecordingView view;
  int picked = 0;
  IGalleryPreviewView* GetGalleryPreviewView() const override { return const_cast<RecordingView*>(&view); }
  void OnFillColor(NMHDR*, LRESULT* pResult) {
    ++picked;
    *pResult = 1;
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPreviewingFrame, CMainFrame)
  ON_NOTIFY(QORP_CN_EXECUTE, ID_GALLERY_FILL_COLOR, &CPreviewingFrame::OnFillColor)
END_MESSAGE_MAP()

TEST(RibbonGalleryGui, PointingAtAColourPreviewsItAndLeavingRestores) {
  auto* frame = new CPreviewingFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"Leafwright", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1280, 800)));
  CQORPRibbonBar& ribbon = frame->GetRibbonBar();
  ASSERT_TRUE(PumpUntil([&] { return ribbon.GetImpl()->pRibbon && ribbon.GetImpl()->pRibbon->IsShownOnScreen(); }));
  frame->OnUpdateCmdUIAll();
  PumpUntil([] { return false; }, 100);
  CQORPControl* pFill = frame->GetCommandBars()->FindControl(QORP_CONTROL_ERROR, ID_FILL_COLOR, FALSE, FALSE);
  ASSERT_NE(pFill, nullptr);
  auto* pGallery = dynamic_cast<CQORPControlGallery*>(pFill->GetCommandBar()->GetAt(1));
  ASSERT_NE(pGallery, nullptr);
  EXPECT_EQ(pGallery->GetID(), static_cast<int>(ID_GALLERY_FILL_COLOR));
  ASSERT_TRUE(pGallery->GetEnabled()) << "the view answers the gallery";
  ASSERT_TRUE(ribbon.ExecuteControl(pFill, TRUE)) << "the list opens";
  ASSERT_TRUE(PumpUntil([] { return QORPGetOpenPopupWindow() && QORPGetOpenPopupWindow()->IsShownOnScreen(); }));
  PumpUntil([] { return false; }, 100);
  // Item 2 is "Black, Text 1", item 3 "Tan, Background 2" (item 0 is the label).
  wxUIActionSimulator sim;
  for (int index : {2, 3}) {
    const CRect rc = QORPGetPopupItemRect(pGallery, index);
    ASSERT_FALSE(rc.IsRectEmpty()) << index;
    sim.MouseMove(wxPoint((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2));
    PumpUntil([] { return false; }, 80);
  }
  // The open list, pointer on an item, kept for looking at.
  const wxRect rcPopup = QORPGetOpenPopupWindow()->GetScreenRect();
  fs::create_directories(LW_SCREENSHOT_DIR);
  const std::string cmd = wxString::Format("import -window root -crop %dx%d+%d+%d '%s/ribbon-colour-gallery.png' 2>/dev/null",
                                           rcPopup.width + 40, rcPopup.height + 40, std::max(rcPopup.x - 20, 0),
                                           std::max(rcPopup.y - 20, 0), LW_SCREENSHOT_DIR)
                              .ToStdString();
  EXPECT_EQ(std::system(cmd.c_str()), 0);
  // Away from the list: the highlighting ends and the view's look comes back.
  sim.MouseMove(wxPoint(rcPopup.GetRight() + 60, rcPopup.GetBottom() + 60));
  PumpUntil([] { return false; }, 80);
  EXPECT_EQ(frame->view.calls, (std::vector<std::string>{"fill 0", "shown", "fill " + std::to_string(RGB(238, 236, 225)),
                                                         "shown", "restore", "destroy", "hidden"}));
  QORPClosePopupBar();
  PumpUntil([] { return false; }, 50);
  EXPECT_EQ(frame->picked, 0) << "pointing picks nothing";
  frame->DestroyWindow();
  PumpUntil([] { return false; }, 20);
  delete frame;
}

}  // namespace
