// Menus built from tables and their ownership, accelerator tables, and status panes in the
// frame's update pass; all without a toolkit window.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string>
#include <vector>

using lwmfc::MenuTableItem;

namespace {

// A bar with two pop-ups, the second holding a nested pop-up.
const MenuTableItem kMainMenu[] = {
    {MF_POPUP, 0, L"&File"},
    {MF_STRING, ID_FILE_NEW, L"&New\tCtrl+N"},
    {MF_STRING, ID_FILE_OPEN, L"&Open..."},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_FILE_SAVE, L"&Save"},
    {MF_POPUP | MF_END, 0, L"&View"},
    {MF_STRING | MF_CHECKED, 32876, L"&Thumbnail View"},
    {MF_POPUP | MF_END, 0, L"&Zoom"},
    {MF_STRING, 32873, L"Zoom &In"},
    {MF_STRING | MF_GRAYED | MF_END, 32874, L"Zoom &Out"},
};

TEST(MenuTables, BuildNestedPopupsWithIdsTextsAndStates) {
  CMenu bar;
  ASSERT_TRUE(bar.LoadMenuTable(kMainMenu, static_cast<int>(std::size(kMainMenu))));
  ASSERT_EQ(bar.GetMenuItemCount(), 2u);
  EXPECT_EQ(bar.GetMenuItemID(0), static_cast<UINT>(-1)) << "a pop-up has no command";
  CMenu* file = bar.GetSubMenu(0);
  CMenu* view = bar.GetSubMenu(1);
  ASSERT_TRUE(file && view);
  EXPECT_EQ(file->GetMenuItemCount(), 4u);
  EXPECT_EQ(file->GetMenuItemID(3), static_cast<UINT>(ID_FILE_SAVE));
  EXPECT_EQ(file->GetMenuItemID(2), 0u);
  CMenu* zoom = view->GetSubMenu(1);
  ASSERT_NE(zoom, nullptr);
  EXPECT_EQ(zoom->GetMenuItemCount(), 2u);
  EXPECT_EQ(bar.GetSubMenu(0), file) << "the same object for the same pop-up";

  struct Case {
    UINT id;
    UINT state;
    const wchar_t* text;
  } const cases[] = {
      {ID_FILE_NEW, MF_STRING, L"&New\tCtrl+N"},
      {32876, MF_CHECKED, L"&Thumbnail View"},
      {32874, MF_GRAYED, L"Zoom &Out"},  // found through two levels of pop-ups
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bar.GetMenuState(c.id, MF_BYCOMMAND), c.state) << c.id;
    CString text;
    bar.GetMenuString(c.id, text, MF_BYCOMMAND);
    EXPECT_STREQ(static_cast<const wchar_t*>(text), c.text);
  }
  CString title;
  bar.GetMenuString(1, title, MF_BYPOSITION);
  EXPECT_STREQ(static_cast<const wchar_t*>(title), L"&View");
}

TEST(MenuTables, MalformedTablesAreRefused) {
  const MenuTableItem popupWithoutEntries[] = {{MF_POPUP | MF_END, 0, L"&File"}};
  const MenuTableItem popupNotEnded[] = {{MF_POPUP | MF_END, 0, L"&File"}, {MF_STRING, 1, L"A"}};
  const MenuTableItem trailingEntries[] = {{MF_STRING | MF_END, 1, L"A"}, {MF_STRING, 2, L"B"}};
  struct Case {
    const char* name;
    const MenuTableItem* items;
    int count;
  } const cases[] = {
      {"pop-up without entries", popupWithoutEntries, 1},
      {"pop-up without its end", popupNotEnded, 2},
      {"entries after the end", trailingEntries, 2},
      {"empty", kMainMenu, 0},
      {"null", nullptr, 3},
  };
  for (const Case& c : cases) {
    CMenu menu;
    EXPECT_FALSE(menu.LoadMenuTable(c.items, c.count)) << c.name;
    EXPECT_EQ(menu.m_hMenu, nullptr) << c.name;
  }
}

TEST(MenuTables, RegisteredTablesLoadById) {
  lwmfc::RegisterMenuTable(380, kMainMenu, static_cast<int>(std::size(kMainMenu)));
  CMenu menu;
  EXPECT_TRUE(menu.LoadMenu(380));
  EXPECT_EQ(menu.GetMenuItemCount(), 2u);
  CMenu missing;
  EXPECT_FALSE(missing.LoadMenu(381));
  lwmfc::RegisterMenuTable(380, nullptr, 0);
  CMenu gone;
  EXPECT_FALSE(gone.LoadMenu(380));
}

TEST(MenuOwnership, PopupsBelongToTheirMenuAndStaleHandlesFail) {
  CMenu bar;
  ASSERT_TRUE(bar.CreateMenu());
  HMENU subHandle = nullptr;
  {
    CMenu sub;  // not detached: its object goes, the pop-up stays with the bar
    ASSERT_TRUE(sub.CreatePopupMenu());
    sub.AppendMenu(MF_STRING, 7, L"Seven");
    subHandle = sub.m_hMenu;
    ASSERT_TRUE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(subHandle), L"&Sub"));
    EXPECT_FALSE(sub.DestroyMenu()) << "a pop-up of a menu goes with that menu";
  }
  ASSERT_NE(CMenu::FromHandle(subHandle), nullptr);
  EXPECT_EQ(bar.GetMenuState(7, MF_BYCOMMAND), static_cast<UINT>(MF_STRING));

  CMenu other;
  ASSERT_TRUE(other.CreateMenu());
  EXPECT_FALSE(other.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(subHandle), L"again"))
      << "a pop-up belongs to one menu";
  EXPECT_FALSE(bar.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(bar.m_hMenu), L"itself"));
  CMenu* sub = CMenu::FromHandle(subHandle);
  EXPECT_FALSE(sub->AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(bar.m_hMenu), L"cycle"));

  const HMENU barHandle = bar.m_hMenu;
  EXPECT_TRUE(bar.DestroyMenu());
  EXPECT_EQ(CMenu::FromHandle(barHandle), nullptr);
  EXPECT_EQ(CMenu::FromHandle(subHandle), nullptr) << "pop-ups go with their menu";
  EXPECT_FALSE(other.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(subHandle), L"stale"));
  CMenu late;
  EXPECT_FALSE(late.Attach(subHandle));
  EXPECT_FALSE(late.Attach(reinterpret_cast<HMENU>(0x1234)));
}

TEST(MenuOwnership, DetachedMenuKeepsLivingUntilAttachedAgain) {
  HMENU h = nullptr;
  {
    CMenu menu;
    ASSERT_TRUE(menu.CreatePopupMenu());
    menu.AppendMenu(MF_STRING, 3, L"Three");
    h = menu.Detach();
  }
  CMenu again;
  ASSERT_TRUE(again.Attach(h));
  EXPECT_EQ(again.GetMenuItemID(0), 3u);
  EXPECT_EQ(CMenu::FromHandle(h), &again);
  EXPECT_TRUE(again.DestroyMenu());
  EXPECT_EQ(CMenu::FromHandle(h), nullptr);
}

// ---------------------------------------------------------------------------------------------

enum : UINT { ID_HANDLED = 101, ID_DISABLED = 102, ID_CHECKED = 103, ID_RENAMED = 104, ID_UNHANDLED = 105 };

class CMenuFrame : public CFrameWnd {
 public:
  void OnCommandAny(UINT) {}
  void OnUpdateDisabled(CCmdUI* p) { p->Enable(FALSE); }
  void OnUpdateChecked(CCmdUI* p) { p->SetRadio(TRUE); }
  void OnUpdateRenamed(CCmdUI* p) { p->SetText(L"&Undo Typing"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuFrame, CFrameWnd)
  ON_COMMAND_RANGE(ID_HANDLED, ID_RENAMED, &CMenuFrame::OnCommandAny)
  ON_UPDATE_COMMAND_UI(ID_DISABLED, &CMenuFrame::OnUpdateDisabled)
  ON_UPDATE_COMMAND_UI(ID_CHECKED, &CMenuFrame::OnUpdateChecked)
  ON_UPDATE_COMMAND_UI(ID_RENAMED, &CMenuFrame::OnUpdateRenamed)
END_MESSAGE_MAP()

TEST(MenuUpdate, NestedPopupItemsFollowTheirUpdateHandlers) {
  const MenuTableItem table[] = {
      {MF_POPUP | MF_END, 0, L"&Edit"},
      {MF_STRING | MF_GRAYED, ID_HANDLED, L"Handled"},
      {MF_STRING, ID_DISABLED, L"Disabled"},
      {MF_STRING, ID_CHECKED, L"Checked"},
      {MF_STRING, ID_RENAMED, L"Renamed"},
      {MF_STRING | MF_END, ID_UNHANDLED, L"Unhandled"},
  };
  CMenu bar;
  ASSERT_TRUE(bar.LoadMenuTable(table, static_cast<int>(std::size(table))));
  CMenuFrame frame;
  frame.OnInitMenuPopup(bar.GetSubMenu(0), 0, FALSE);
  struct Case {
    UINT id;
    UINT state;
  } const cases[] = {
      {ID_HANDLED, MF_STRING}, {ID_DISABLED, MF_GRAYED}, {ID_CHECKED, MF_CHECKED},
      {ID_RENAMED, MF_STRING}, {ID_UNHANDLED, MF_GRAYED},
  };
  for (const Case& c : cases) EXPECT_EQ(bar.GetMenuState(c.id, MF_BYCOMMAND), c.state) << c.id;
  CString text;
  bar.GetMenuString(ID_RENAMED, text, MF_BYCOMMAND);
  EXPECT_STREQ(static_cast<const wchar_t*>(text), L"&Undo Typing");
}

// ---------------------------------------------------------------------------------------------

TEST(AcceleratorTables, CreateCopyAndDestroy) {
  const ACCEL entries[] = {
      {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
      {FVIRTKEY, 0, 1234},  // no key: dropped
      {FVIRTKEY | FSHIFT, VK_F1, ID_CONTEXT_HELP},
      {FVIRTKEY, VK_F6, 0},  // no command: dropped
  };
  HACCEL h = CreateAcceleratorTableW(entries, 4);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(CopyAcceleratorTableW(h, nullptr, 0), 2);
  ACCEL out[4]{};
  EXPECT_EQ(CopyAcceleratorTableW(h, out, 1), 1);
  EXPECT_EQ(out[0].cmd, ID_EDIT_UNDO);
  EXPECT_EQ(out[1].cmd, 0);
  EXPECT_EQ(CopyAcceleratorTableW(h, out, 4), 2);
  EXPECT_EQ(out[1].key, VK_F1);
  EXPECT_TRUE(DestroyAcceleratorTable(h));
  EXPECT_FALSE(DestroyAcceleratorTable(h)) << "a stale handle";
  EXPECT_EQ(CopyAcceleratorTableW(h, nullptr, 0), 0);
  EXPECT_EQ(CreateAcceleratorTableW(nullptr, 3), nullptr);
  EXPECT_EQ(CreateAcceleratorTableW(entries, 0), nullptr);
}

TEST(AcceleratorTables, RegisteredTablesLoadOnceAndStay) {
  const ACCEL entries[] = {{FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY}, {FVIRTKEY, VK_F1, ID_HELP}};
  lwmfc::RegisterAcceleratorTable(128, entries, 2);
  const HACCEL a = LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(128));
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(128)), a);
  EXPECT_EQ(CopyAcceleratorTableW(a, nullptr, 0), 2);
  EXPECT_FALSE(DestroyAcceleratorTable(a)) << "a loaded table lives as long as the process";
  EXPECT_EQ(LoadAcceleratorsW(nullptr, MAKEINTRESOURCEW(129)), nullptr);
  EXPECT_EQ(LoadAcceleratorsW(nullptr, L"IDR_MAINFRAME"), nullptr) << "tables are known by number";
  CFrameWnd frame;
  EXPECT_TRUE(frame.LoadAccelTable(128));
  EXPECT_EQ(frame.m_hAccelTable, a);
  EXPECT_FALSE(frame.LoadAccelTable(129));
  EXPECT_EQ(frame.m_hAccelTable, a);
}

// ---------------------------------------------------------------------------------------------

// A status bar as the update pass sees it; counts what reaches the panes.
class FakePanes : public CStatusPaneSource {
 public:
  struct Pane {
    UINT id;
    BOOL enabled;
    CString text;
  };
  std::vector<Pane> panes;
  int enableSets = 0, textSets = 0;
  int GetStatusPaneCount() const override { return static_cast<int>(panes.size()); }
  UINT GetStatusPaneID(int i) const override { return panes[static_cast<size_t>(i)].id; }
  BOOL IsStatusPaneEnabled(int i) const override { return panes[static_cast<size_t>(i)].enabled; }
  void SetStatusPaneEnabled(int i, BOOL b) override {
    ++enableSets;
    panes[static_cast<size_t>(i)].enabled = b;
  }
  CString GetStatusPaneText(int i) const override { return panes[static_cast<size_t>(i)].text; }
  void SetStatusPaneText(int i, const wchar_t* t) override {
    ++textSets;
    panes[static_cast<size_t>(i)].text = t;
  }
};

int g_page = 1;

class CPaneFrame : public CFrameWnd {
 public:
  void OnUpdatePage(CCmdUI* p) {
    CString s;
    s.Format(L"Page: %d of 12", g_page);
    p->SetText(s);
  }
  void OnUpdateOff(CCmdUI* p) { p->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CPaneFrame, CFrameWnd)
  ON_UPDATE_COMMAND_UI(1020, &CPaneFrame::OnUpdatePage)
  ON_UPDATE_COMMAND_UI(385, &CPaneFrame::OnUpdateOff)
END_MESSAGE_MAP()

TEST(StatusPanes, IdlePassUpdatesPanesAndPushesOnlyChanges) {
  CWinApp app;
  CPaneFrame frame;
  app.m_pMainWnd = &frame;
  FakePanes bar;
  bar.panes = {{1020, TRUE, L"Page: 1 of 1"}, {0, TRUE, L""}, {385, TRUE, L"3 / 12"}, {383, FALSE, L"100%"}};
  lwmfc::AttachStatusPanes(&frame, &bar);
  g_page = 3;
  app.OnIdle(0);
  struct Case {
    size_t index;
    BOOL enabled;
    const wchar_t* text;
  } const cases[] = {
      {0, TRUE, L"Page: 3 of 12"},
      {1, TRUE, L""},        // no id: not part of the pass
      {2, FALSE, L"3 / 12"},  // disabled by its handler
      {3, FALSE, L"100%"},   // no handler anywhere: left as it is, not disabled
  };
  for (const Case& c : cases) {
    EXPECT_EQ(bar.panes[c.index].enabled, c.enabled) << c.index;
    EXPECT_STREQ(static_cast<const wchar_t*>(bar.panes[c.index].text), c.text) << c.index;
  }
  EXPECT_EQ(bar.textSets, 1);
  EXPECT_EQ(bar.enableSets, 1);

  app.OnIdle(0);  // nothing changed: nothing is pushed
  EXPECT_EQ(bar.textSets, 1);
  EXPECT_EQ(bar.enableSets, 1);
  g_page = 4;
  frame.OnUpdateCmdUIAll();
  EXPECT_EQ(bar.textSets, 2);
  EXPECT_STREQ(static_cast<const wchar_t*>(bar.panes[0].text), L"Page: 4 of 12");

  lwmfc::DetachStatusPanes(&frame, &bar);
  g_page = 5;
  app.OnIdle(0);
  EXPECT_EQ(bar.textSets, 2) << "a detached bar is left alone";
  app.m_pMainWnd = nullptr;
}

}  // namespace
