// The toolkit's dialog controls under Xvfb: a hyperlink taking a static text's place and
// opening its link, and the recent-file list box over the application's list.
#include <gtest/gtest.h>

#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include <wx/window.h>

#include <QorpDialogControls.h>
#include <TestSupport.h>

#include "GuiTestHarness.h"

namespace {

enum { IDD_LINKS = 9400, IDC_HOME = 9401, IDC_MAIL = 9402, IDC_RECENT = 9403, IDC_PLAIN = 9404 };

const lwmfc::DialogItemTemplate kRows[] = {
    {lwmfc::dlgStatic, IDC_PLAIN, L"Product", 7, 7, 80, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_HOME, L"https://example.org/leafwright", 7, 20, 150, 9, SS_LEFT},
    {lwmfc::dlgStatic, IDC_MAIL, L"support@example.org", 7, 33, 150, 9, SS_LEFT},
    {lwmfc::dlgListBox, IDC_RECENT, L"", 7, 46, 150, 60, LBS_NOTIFY | WS_TABSTOP},
    {lwmfc::dlgButton, IDOK, L"OK", 107, 110, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP},
};
const lwmfc::DialogTemplate kLinks = {L"Links", 164, 130, L"MS Shell Dlg", 8, kRows, int(std::size(kRows))};
const bool kRegistered = lwmfc::RegisterDialogTemplate(IDD_LINKS, &kLinks);

std::vector<std::wstring> g_opened;
BOOL RecordOpen(const wchar_t* url) {
  g_opened.emplace_back(url);
  return TRUE;
}

class CLinksDlg : public CDialog {
 public:
  CLinksDlg() : CDialog(IDD_LINKS) {}
  CQORPHyperLink m_home, m_mail;
  CQORPRecentFileListBox m_recent;
  std::vector<UINT> m_picked;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_HOME, m_home);
    DDX_Control(pDX, IDC_MAIL, m_mail);
    DDX_Control(pDX, IDC_RECENT, m_recent);
  }
  void OnRecent() { m_picked.push_back(m_recent.GetSelectedCommand()); }
  DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLinksDlg, CDialog)
  ON_LBN_SELCHANGE(IDC_RECENT, &CLinksDlg::OnRecent)
END_MESSAGE_MAP()

std::function<void(CDialog*)> g_body;
void RunBody(CDialog* p) {
  auto fn = std::move(g_body);
  g_body = nullptr;
  if (fn) fn(p);
}

void ClickAt(wxWindow* w) {
  for (wxEventType t : {wxEVT_LEFT_DOWN, wxEVT_LEFT_UP}) {
    wxMouseEvent m(t);
    m.m_x = 3;
    m.m_y = 3;
    m.SetEventObject(w);
    w->ProcessWindowEvent(m);
  }
}

class CLinksApp : public CWinApp {
 public:
  CLinksApp() : CWinApp(L"Leafwright Links Test") {}
};

TEST(PanecraftDialogControlsGui, LinksTakeTheStaticsPlaceAndOpenThroughTheDesktop) {
  ASSERT_TRUE(kRegistered);
  lwtest::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CLinksApp app;
  app.SetRegistryKey(L"Norvane");
  app.LoadStdProfileSettings(16);
  app.AddToRecentFileList(L"/docs/old.lfw");
  app.AddToRecentFileList(L"/docs/a/rather/deep/folder/structure/newest.lfw");

  g_opened.clear();
  lwqorp::SetLinkOpener(&RecordOpen);
  CLinksDlg dlg;
  wxPoint staticPos, linkPos;
  CString homeText;
  bool sameObject = false;
  std::vector<CString> items;
  g_body = [&](CDialog* pDlg) {
    auto* p = static_cast<CLinksDlg*>(pDlg);
    sameObject = p->GetDlgItem(IDC_HOME) == &p->m_home;
    p->m_home.GetWindowText(homeText);
    linkPos = p->m_home.GetWxWindow()->GetPosition();
    staticPos = p->GetDlgItem(IDC_PLAIN)->GetWxWindow()->GetPosition();
    ClickAt(p->m_home.GetWxWindow());
    ClickAt(p->m_mail.GetWxWindow());
    p->m_mail.SetURL(L"https://example.org/support");
    EXPECT_TRUE(p->m_mail.Open());
    // The Recent list, read again each time.
    p->m_recent.SetMaxDisplayLength(30);
    p->m_recent.BuildItems();
    for (int i = 0; i < p->m_recent.GetCount(); ++i) {
      CString s;
      p->m_recent.GetText(i, s);
      items.push_back(s);
    }
    EXPECT_EQ(p->m_recent.GetSelectedCommand(), 0u);  // nothing selected: no command
    lwmfc::SimulateSelection(&p->m_recent, 1);
    p->EndDialog(IDOK);
  };
  lwmfc::SetModalDialogHook(&RunBody);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  lwmfc::SetModalDialogHook(nullptr);
  lwqorp::SetLinkOpener(nullptr);

  EXPECT_TRUE(sameObject);
  EXPECT_EQ(homeText, L"https://example.org/leafwright");
  EXPECT_EQ(linkPos.x, staticPos.x);  // in the static's place
  EXPECT_EQ(g_opened, (std::vector<std::wstring>{L"https://example.org/leafwright", L"mailto:support@example.org",
                                                  L"https://example.org/support"}));
  EXPECT_EQ(items, (std::vector<CString>{L"/.../structure/newest.lfw", L"/docs/old.lfw"}));
  EXPECT_EQ(dlg.m_picked, (std::vector<UINT>{ID_FILE_MRU_FILE1 + 1}));
}

// The recent list with the keyboard: the focus coming to the list and the arrow keys move the
// selection without picking; Enter picks the selected entry, once. (A click on an entry picks
// it: the backstage page test clicks one.)
TEST(PanecraftDialogControlsGui, RecentListKeysMoveAndEnterPicks) {
  ASSERT_TRUE(kRegistered);
  lwtest::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CLinksApp app;
  app.SetRegistryKey(L"Norvane");
  app.LoadStdProfileSettings(16);
  for (const wchar_t* f : {L"/docs/c.lfw", L"/docs/b.lfw", L"/docs/a.lfw"}) app.AddToRecentFileList(f);
  CLinksDlg dlg;
  struct Step {
    const char* what;
    int nKey;
    std::vector<UINT> picked;  // all picks so far
  } const steps[] = {
      {"down", WXK_DOWN, {}},
      {"down again", WXK_DOWN, {}},
      {"up", WXK_UP, {}},
      {"Enter", WXK_RETURN, {ID_FILE_MRU_FILE1 + 1}},
  };
  std::vector<std::vector<UINT>> seen;
  std::vector<int> selections;
  g_body = [&](CDialog* pDlg) {
    auto* p = static_cast<CLinksDlg*>(pDlg);
    p->m_recent.BuildItems();
    p->m_recent.SetFocus();
    guitest::PumpUntil([&] { return p->m_recent.GetWxWindow()->HasFocus(); });
    seen.push_back(p->m_picked);  // the focus alone picks nothing
    wxUIActionSimulator sim;
    for (const Step& s : steps) {
      sim.Char(s.nKey);
      guitest::PumpUntil([] { return false; }, 80);
      seen.push_back(p->m_picked);
      selections.push_back(p->m_recent.GetCurSel());
    }
    p->EndDialog(IDOK);
  };
  lwmfc::SetModalDialogHook(&RunBody);
  EXPECT_EQ(dlg.DoModal(), IDOK);
  lwmfc::SetModalDialogHook(nullptr);
  ASSERT_EQ(seen.size(), std::size(steps) + 1);
  EXPECT_TRUE(seen[0].empty()) << "the focus alone picks nothing";
  for (size_t i = 0; i < std::size(steps); ++i) EXPECT_EQ(seen[i + 1], steps[i].picked) << steps[i].what;
  EXPECT_EQ(selections, (std::vector<int>{1, 2, 1, 1})) << "the keys move the selection";
}

}  // namespace
