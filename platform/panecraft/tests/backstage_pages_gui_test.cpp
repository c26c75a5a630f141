// Backstage pages under Xvfb: a property page added as a tab is made inside the view and told each
// time it comes into view and leaves it; a page title reads at 4.5:1 whatever colour it is given;
// the column widens to its longest caption; on a page, a click on a recent file picks it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/listbox.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <QorpControls.h>
#include <QorpDialogControls.h>
#include <QorpDrawHelpers.h>
#include <QorpPaintManager.h>
#include <QorpRibbonBackstage.h>

#include <TestSupport.h>

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

constexpr UINT IDD_TEST_PAGE = 30940;
constexpr UINT IDC_TEST_TITLE = 30941;
constexpr UINT IDC_TEST_LIST = 30942;

const lwmfc::DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_TEST_TITLE, L"Title", 7, 7, 200, 16, SS_LEFT},
    {lwmfc::dlgListBox, IDC_TEST_LIST, L"", 7, 30, 200, 100, LBS_NOTIFY | LBS_HASSTRINGS | WS_TABSTOP},
};
const lwmfc::DialogTemplate kPage = {L"Page", 300, 200, L"MS Shell Dlg", 8, kRows, 2};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_TEST_PAGE, &kPage);

// A page that notes what the view tells it.
class CNotedPage : public CQORPRibbonBackstagePage {
 public:
  CNotedPage(std::string name, std::vector<std::string>& log)
      : CQORPRibbonBackstagePage(IDD_TEST_PAGE), m_name(std::move(name)), m_log(log) {}
  BOOL OnSetActive() override {
    m_log.push_back("+" + m_name);
    return CQORPRibbonBackstagePage::OnSetActive();
  }
  BOOL OnKillActive() override {
    m_log.push_back("-" + m_name);
    return TRUE;
  }
  CQORPRibbonBackstageLabel m_title;
  CQORPRecentFileListBox m_recent;
  std::vector<UINT> m_picked;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_TEST_TITLE, m_title);
    DDX_Control(pDX, IDC_TEST_LIST, m_recent);
  }
  void OnPick() { m_picked.push_back(m_recent.GetSelectedCommand()); }
  DECLARE_MESSAGE_MAP()

 private:
  std::string m_name;
  std::vector<std::string>& m_log;
};

BEGIN_MESSAGE_MAP(CNotedPage, CQORPRibbonBackstagePage)
  ON_LBN_SELCHANGE(IDC_TEST_LIST, &CNotedPage::OnPick)
END_MESSAGE_MAP()

class CPagesApp : public CWinApp {
 public:
  CPagesApp() : CWinApp(L"Leafwright Backstage Pages Test") {}
};

bool g_frameGone = false;

class CHandlingFrame : public CFrameWnd {
 public:
  ~CHandlingFrame() override { g_frameGone = true; }
  void OnHandled() {}
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CHandlingFrame, CFrameWnd)
  ON_COMMAND(57600, &CHandlingFrame::OnHandled)
END_MESSAGE_MAP()

TEST(PanecraftBackstagePages, PagesAreMadeInTheViewAndToldWhenTheyShowAndGo) {
  ASSERT_TRUE(kRegistered);
  lwtest::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CPagesApp app;
  app.SetRegistryKey(L"Norvane");
  app.LoadStdProfileSettings(16);
  for (const wchar_t* f : {L"/docs/c.lfw", L"/docs/b.lfw", L"/docs/a.lfw"}) app.AddToRecentFileList(f);
  auto* frame = new CHandlingFrame;
  ASSERT_TRUE(frame->Create(nullptr, L"Backstage", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 900, 500)));
  CQORPCommandBars bars;
  bars.AttachToFrame(frame);
  std::vector<std::string> log;
  {
    CQORPBackstageView view;
    ASSERT_TRUE(view.Create(frame, &bars));
    CNotedPage recent("recent", log), print("print", log);
    view.AddCommand(57600)->SetCaption(L"A command with a caption longer than the column was");
    ASSERT_NE(view.AddTab(&recent, 349, 400, 300), nullptr);
    ASSERT_NE(view.AddTab(&print, 140), nullptr);
    ASSERT_TRUE(recent.GetSafeHwnd() && print.GetSafeHwnd()) << "the pages are made when added";
    EXPECT_EQ(recent.GetBackstageView(), &view);
    EXPECT_TRUE(log.empty()) << "nothing is told while the view is hidden";

    struct Step {
      const char* what;
      int action;  // 0 show, 1 hide, 2 select the Print tab, 3 select the Recent tab
      std::vector<std::string> told;
    } const steps[] = {
        {"shown", 0, {"+recent"}},
        {"another tab", 2, {"-recent", "+print"}},
        {"the same tab again", 2, {}},
        {"hidden", 1, {"-print"}},
        {"a tab chosen while hidden", 3, {}},
        {"shown again", 0, {"+recent"}},
        {"shown twice", 0, {}},
    };
    for (const Step& s : steps) {
      SCOPED_TRACE(s.what);
      log.clear();
      switch (s.action) {
        case 0: view.ShowBackstage(TRUE); break;
        case 1: view.ShowBackstage(FALSE); break;
        case 2: view.SetActiveTab(2); break;
        case 3: view.SetActiveTab(1); break;
      }
      EXPECT_EQ(log, s.told);
    }
    ASSERT_TRUE(PumpUntil([&] { return recent.IsWindowVisible() != FALSE; }));
    EXPECT_EQ(view.GetShownPage(), &recent);
    CRect rc;
    recent.GetClientRect(&rc);
    EXPECT_EQ(rc.Width(), 400);
    EXPECT_FALSE(print.IsWindowVisible());

    // A real click on the second recent file picks it (the keys only move: the dialog controls
    // test types them).
    recent.m_recent.BuildItems();
    ASSERT_EQ(recent.m_recent.GetCount(), 3);
    auto* list = static_cast<wxListBox*>(recent.m_recent.GetWxWindow());
    PumpUntil([] { return false; }, 200);  // the rows are laid out
    int top = -1, bottom = -1;
    for (int y = 0; y < list->GetClientSize().y; ++y)
      if (list->HitTest(wxPoint(20, y)) == 1) {
        if (top < 0) top = y;
        bottom = y;
      }
    ASSERT_GE(top, 0);
    wxUIActionSimulator sim;
    sim.MouseMove(list->ClientToScreen(wxPoint(20, (top + bottom) / 2)));
    PumpUntil([] { return false; }, 80);
    sim.MouseClick();
    EXPECT_TRUE(PumpUntil([&] { return !recent.m_picked.empty(); }));
    EXPECT_EQ(recent.m_picked, std::vector<UINT>{ID_FILE_MRU_FILE1 + 1});

    // The column is as wide as its longest caption; the page sits right of it.
    const CRect rcItem = view.GetItemRect(0);
    EXPECT_GT(rcItem.Width(), 180);
    CRect rcPage;
    recent.GetWindowRect(&rcPage);
    view.ScreenToClient(&rcPage);
    EXPECT_GE(rcPage.left, rcItem.right);

    // A title of any colour reads on the page in every theme.
    for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack})
      for (COLORREF clr : {RGB(0x5E, 0x5E, 0x5E), RGB(0xF0, 0xF0, 0xF0), RGB(0xFF, 0xFF, 0xFF)}) {
        ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kQorpThemeModule, ini));
        recent.m_title.SetTextColor(clr);
        const COLORREF back = CQORPPaintManager::Get()->GetColor(QORP_CLR_BACKSTAGE_BACK);
        EXPECT_GE(CQORPDrawHelpers::ContrastRatio(recent.m_title.GetShownTextColor(), back), 4.5);
        if (CQORPDrawHelpers::ContrastRatio(clr, back) >= 4.5) EXPECT_EQ(recent.m_title.GetShownTextColor(), clr);
      }
    CQORPResourceTheme::SetImageHandle(kQorpThemeModule, kQorpThemeBlue);

    // Emptied (a theme switch builds it again): the shown page is told it goes.
    log.clear();
    view.RemoveAll();
    EXPECT_EQ(log, std::vector<std::string>{"-recent"});
    EXPECT_EQ(recent.GetBackstageView(), nullptr);
    EXPECT_TRUE(recent.GetSafeHwnd() != nullptr) << "the page lives on";
    view.ShowBackstage(FALSE);
    recent.DestroyWindow();
    print.DestroyWindow();
  }
  bars.DetachFromFrame();
  g_frameGone = false;
  frame->DestroyWindow();
  // A frame deletes itself once its window is gone; one that does not is deleted here.
  if (!PumpUntil([] { return g_frameGone; }, 2000)) delete frame;
}

}  // namespace
