// A frame's menu bar and accelerator table under Xvfb: the toolkit bar built from a menu table,
// item state from the update handlers (when a pop-up opens and at idle time, pushed only on
// change), chosen items as commands, and keys that become commands through the enabled test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/menu.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <afxwin.h>

#include "../menu_internal.h"
#include "GuiTestHarness.h"

using namespace guitest;
using lwmfc::MenuTableItem;

namespace {

void PumpFor(int ms) {
  PumpUntil([] { return false; }, ms);
}

enum : UINT {
  ID_THUMBNAILS = 32876,
  ID_ZOOM_IN = 32873,
  ID_ZOOM_OUT = 32874,
  ID_NOBODY = 32877,
  ID_THEME_BLUE = 32771,
  ID_THEME_BLACK = 32773,
};

const MenuTableItem kMenu[] = {
    {MF_POPUP, 0, L"&Edit"},
    {MF_STRING, ID_EDIT_UNDO, L"&Undo\tCtrl+Z"},
    {MF_STRING, ID_EDIT_REDO, L"&Redo\tCtrl+Y"},
    {MF_SEPARATOR, 0, nullptr},
    {MF_STRING | MF_END, ID_NOBODY, L"&Bookmark View"},
    {MF_POPUP, 0, L"&View"},
    {MF_STRING, ID_THUMBNAILS, L"&Thumbnail View"},
    {MF_POPUP | MF_END, 0, L"&Zoom"},
    {MF_STRING, ID_ZOOM_IN, L"Zoom &In"},
    {MF_STRING | MF_END, ID_ZOOM_OUT, L"Zoom &Out"},
    {MF_POPUP | MF_END, 0, L"&Style"},
    {MF_STRING, ID_THEME_BLUE, L"Office 2010 Blue"},
    {MF_STRING | MF_END, ID_THEME_BLACK, L"Office 2010 Black"},
};

// The main frame's accelerators.
const ACCEL kKeys[] = {
    {FVIRTKEY | FCONTROL, 'C', ID_EDIT_COPY},   {FVIRTKEY | FCONTROL, 'X', ID_EDIT_CUT},
    {FVIRTKEY | FCONTROL, 'V', ID_EDIT_PASTE},  {FVIRTKEY | FCONTROL, 'Z', ID_EDIT_UNDO},
    {FVIRTKEY | FCONTROL, 'Y', ID_EDIT_REDO},   {FVIRTKEY | FCONTROL, 'N', ID_FILE_NEW},
    {FVIRTKEY | FCONTROL, 'O', ID_FILE_OPEN},   {FVIRTKEY | FCONTROL, 'S', ID_FILE_SAVE},
    {FVIRTKEY | FCONTROL, 'P', ID_FILE_PRINT},  {FVIRTKEY, VK_F1, ID_HELP},
    {FVIRTKEY | FSHIFT, VK_F1, ID_CONTEXT_HELP}, {FVIRTKEY, VK_F6, ID_NEXT_PANE},
    {FVIRTKEY | FSHIFT, VK_F6, ID_PREV_PANE},
};

class CMenuFrame : public CFrameWnd {
 public:
  std::vector<UINT> commands;
  std::vector<std::pair<WPARAM, LPARAM>> rawCommands;
  bool undoEnabled = true;
  bool thumbnails = false;
  UINT theme = ID_THEME_BLUE;
  int zoom = 100;

  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override {
    rawCommands.emplace_back(wParam, lParam);
    return CFrameWnd::OnCommand(wParam, lParam);
  }
  void OnAnyCommand(UINT nID) { commands.push_back(nID); }
  void OnUpdateUndo(CCmdUI* p) { p->Enable(undoEnabled); }
  void OnUpdateThumbnails(CCmdUI* p) { p->SetCheck(thumbnails ? 1 : 0); }
  void OnUpdateTheme(CCmdUI* p) { p->SetRadio(p->m_nID == theme); }
  void OnUpdateZoomIn(CCmdUI* p) {
    CString s;
    s.Format(L"Zoom &In (%d%%)", zoom);
    p->SetText(s);
    p->Enable(zoom < 800);
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CMenuFrame, CFrameWnd)
  ON_COMMAND_RANGE(ID_THEME_BLUE, ID_THEME_BLACK, &CMenuFrame::OnAnyCommand)
  ON_COMMAND_RANGE(ID_ZOOM_IN, ID_THUMBNAILS, &CMenuFrame::OnAnyCommand)
  ON_COMMAND_RANGE(ID_EDIT_CLEAR, ID_EDIT_REDO, &CMenuFrame::OnAnyCommand)
  ON_COMMAND_RANGE(ID_FILE_NEW, ID_FILE_PRINT, &CMenuFrame::OnAnyCommand)
  ON_COMMAND_RANGE(ID_CONTEXT_HELP, ID_HELP, &CMenuFrame::OnAnyCommand)
  ON_COMMAND_RANGE(ID_NEXT_PANE, ID_PREV_PANE, &CMenuFrame::OnAnyCommand)
  ON_UPDATE_COMMAND_UI(ID_EDIT_UNDO, &CMenuFrame::OnUpdateUndo)
  ON_UPDATE_COMMAND_UI(ID_THUMBNAILS, &CMenuFrame::OnUpdateThumbnails)
  ON_UPDATE_COMMAND_UI_RANGE(ID_THEME_BLUE, ID_THEME_BLACK, &CMenuFrame::OnUpdateTheme)
  ON_UPDATE_COMMAND_UI(ID_ZOOM_IN, &CMenuFrame::OnUpdateZoomIn)
END_MESSAGE_MAP()

// A child that takes the focus and records the keys that reach it.
class CKeyWnd : public CWnd {
 public:
  std::vector<UINT> keys;
  afx_msg void OnKeyDown(UINT nChar, UINT, UINT) { keys.push_back(nChar); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CKeyWnd, CWnd)
  ON_WM_KEYDOWN()
END_MESSAGE_MAP()

class MenuBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CMenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Menus", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
    ASSERT_TRUE(menu.LoadMenuTable(kMenu, static_cast<int>(std::size(kMenu))));
    ASSERT_TRUE(frame->SetMenu(&menu));
    bar = static_cast<wxFrame*>(frame->GetWxWindow())->GetMenuBar();
    ASSERT_NE(bar, nullptr);
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpFor(20);
    delete frame;
  }
  // The toolkit item of a command, found by the pop-up's and the item's labels.
  wxMenuItem* Item(const wchar_t* menuLabel, const wchar_t* itemLabel) const {
    const int id = bar->FindMenuItem(menuLabel, itemLabel);
    return id == wxNOT_FOUND ? nullptr : bar->FindItem(id);
  }
  wxMenu* Popup(const wchar_t* label) const {
    const int i = bar->FindMenu(label);
    return i == wxNOT_FOUND ? nullptr : bar->GetMenu(static_cast<size_t>(i));
  }
  CMenuFrame* frame = nullptr;
  CMenu menu;
  wxMenuBar* bar = nullptr;
};

TEST_F(MenuBarTest, BarShowsThePopupsItemsAndMnemonics) {
  ASSERT_EQ(bar->GetMenuCount(), 3u);
  EXPECT_EQ(bar->GetMenuLabel(0), wxString(L"&Edit"));
  EXPECT_EQ(bar->GetMenuLabel(2), wxString(L"&Style"));
  wxMenu* edit = Popup(L"Edit");
  ASSERT_NE(edit, nullptr);
  ASSERT_EQ(edit->GetMenuItemCount(), 4u);
  EXPECT_EQ(edit->FindItemByPosition(0)->GetItemLabel(), wxString(L"&Undo")) << "shortcut text left out";
  EXPECT_TRUE(edit->FindItemByPosition(2)->IsSeparator());
  wxMenu* view = Popup(L"View");
  ASSERT_NE(view, nullptr);
  ASSERT_TRUE(view->FindItemByPosition(1)->IsSubMenu());
  EXPECT_EQ(view->FindItemByPosition(1)->GetSubMenu()->GetMenuItemCount(), 2u);
  EXPECT_EQ(frame->GetMenu(), &menu);
}

TEST_F(MenuBarTest, ChosenItemsBecomeCommandsThroughTheEnabledTest) {
  wxMenu* edit = Popup(L"Edit");
  wxMenuItem* undo = Item(L"Edit", L"Undo");
  wxMenuItem* redo = Item(L"Edit", L"Redo");
  ASSERT_TRUE(edit && undo && redo);
  edit->SendEvent(redo->GetId());
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_EDIT_REDO});
  ASSERT_FALSE(frame->rawCommands.empty());
  EXPECT_EQ(frame->rawCommands.back(), std::make_pair(static_cast<WPARAM>(ID_EDIT_REDO), LPARAM{0}));

  frame->undoEnabled = false;  // the toolkit item still shows enabled: only the handler knows
  frame->commands.clear();
  edit->SendEvent(undo->GetId());
  PumpFor(50);
  EXPECT_TRUE(frame->commands.empty()) << "a command its update handler disables is refused";
  frame->undoEnabled = true;
  edit->SendEvent(undo->GetId());
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_EDIT_UNDO});
}

TEST_F(MenuBarTest, OpeningAPopupRunsItsItemsUpdateHandlers) {
  frame->undoEnabled = false;
  frame->theme = ID_THEME_BLACK;
  wxMenu* edit = Popup(L"Edit");
  wxMenuEvent open(wxEVT_MENU_OPEN, 0, edit);
  wxMenuBase::ProcessMenuEvent(edit, open, frame->GetWxWindow());
  EXPECT_FALSE(Item(L"Edit", L"Undo")->IsEnabled());
  EXPECT_TRUE(Item(L"Edit", L"Redo")->IsEnabled()) << "a command handler and no update handler";
  EXPECT_FALSE(Item(L"Edit", L"Bookmark View")->IsEnabled()) << "nobody handles it";
  // Another pop-up is updated when it opens, not before.
  wxMenuItem* blue = Item(L"Style", L"Office 2010 Blue");
  EXPECT_FALSE(blue->IsCheckable());
  wxMenu* style = Popup(L"Style");
  wxMenuEvent openStyle(wxEVT_MENU_OPEN, 0, style);
  wxMenuBase::ProcessMenuEvent(style, openStyle, frame->GetWxWindow());
  wxMenuItem* black = Item(L"Style", L"Office 2010 Black");
  ASSERT_NE(black, nullptr);
  EXPECT_TRUE(black->IsCheckable() && black->IsChecked()) << "a radio mark shows as a check";
  blue = Item(L"Style", L"Office 2010 Blue");
  EXPECT_FALSE(blue->IsCheckable() && blue->IsChecked());
  EXPECT_EQ(menu.GetMenuState(ID_THEME_BLACK, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  // The checked item still carries its command.
  style->SendEvent(black->GetId());
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_THEME_BLACK});
}

TEST_F(MenuBarTest, IdlePassPushesOnlyWhatChanged) {
  frame->OnUpdateCmdUIAll();
  wxMenuItem* zoomIn = Item(L"View", L"Zoom In (100%)");
  ASSERT_NE(zoomIn, nullptr) << "SetText reached the toolkit item";
  EXPECT_TRUE(zoomIn->IsEnabled());
  const unsigned long pushes = lwwnd::MenuPushCount();
  frame->OnUpdateCmdUIAll();
  EXPECT_EQ(lwwnd::MenuPushCount(), pushes) << "nothing changed, nothing pushed";

  struct Step {
    int zoom;
    bool thumbnails;
    unsigned long pushes;  // toolkit changes this pass makes
  } const steps[] = {
      {800, false, 2},  // new text, disabled
      {800, true, 1},   // checked
      {800, true, 0},
      {400, false, 3},  // text, enabled, unchecked
  };
  for (const Step& s : steps) {
    frame->zoom = s.zoom;
    frame->thumbnails = s.thumbnails;
    const unsigned long before = lwwnd::MenuPushCount();
    frame->OnUpdateCmdUIAll();
    EXPECT_EQ(lwwnd::MenuPushCount() - before, s.pushes) << s.zoom << " " << s.thumbnails;
    CString label;
    label.Format(L"Zoom In (%d%%)", s.zoom);
    wxMenuItem* item = Item(L"View", label);
    ASSERT_NE(item, nullptr) << s.zoom;
    EXPECT_EQ(item->IsEnabled(), s.zoom < 800);
    wxMenuItem* thumbs = Item(L"View", L"Thumbnail View");
    EXPECT_EQ(thumbs->IsCheckable() && thumbs->IsChecked(), s.thumbnails);
  }
}

TEST_F(MenuBarTest, BarFollowsTheMenuItsChangesAndItsDestruction) {
  CMenu extra;
  ASSERT_TRUE(extra.CreatePopupMenu());
  extra.AppendMenu(MF_STRING, ID_FILE_NEW, L"&New");
  ASSERT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(extra.Detach()), L"&File"));
  frame->DrawMenuBar();
  bar = static_cast<wxFrame*>(frame->GetWxWindow())->GetMenuBar();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->GetMenuCount(), 4u);
  EXPECT_NE(Item(L"File", L"New"), nullptr);

  CMenuFrame other;
  ASSERT_TRUE(other.Create(nullptr, L"Other", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100)));
  EXPECT_FALSE(other.SetMenu(&menu)) << "one frame shows a menu at a time";
  other.DestroyWindow();

  EXPECT_TRUE(menu.DestroyMenu());
  EXPECT_EQ(static_cast<wxFrame*>(frame->GetWxWindow())->GetMenuBar(), nullptr);
  EXPECT_EQ(frame->GetMenu(), nullptr);
  frame->OnUpdateCmdUIAll();  // nothing left to update
}

TEST_F(MenuBarTest, MenuHandedToTheFrameGoesWithIt) {
  CMenuFrame* owner = new CMenuFrame;
  ASSERT_TRUE(owner->Create(nullptr, L"Owner", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 100)));
  CMenu handed;
  ASSERT_TRUE(handed.LoadMenuTable(kMenu, static_cast<int>(std::size(kMenu))));
  ASSERT_TRUE(owner->SetMenu(&handed));
  const HMENU h = handed.Detach();
  ASSERT_NE(CMenu::FromHandle(h), nullptr);
  owner->DestroyWindow();
  ASSERT_TRUE(PumpUntil([&] { return CMenu::FromHandle(h) == nullptr; }));
  delete owner;
}

// ---------------------------------------------------------------------------------------------

class AccelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lwmfc::RegisterAcceleratorTable(128, kKeys, static_cast<int>(std::size(kKeys)));
    frame = new CMenuFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 400, 300)));
    ASSERT_TRUE(frame->LoadAccelTable(128));
    view = new CKeyWnd;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 200, 150), frame, 59648));
    ASSERT_TRUE(PumpUntil([&] { return view->GetWxWindow()->IsShownOnScreen(); }));
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpFor(20);
    delete view;
    delete frame;
  }
  // A key-down as the toolkit delivers it to the view.
  void Press(int keyCode, bool ctrl, bool shift) {
    wxKeyEvent e(wxEVT_KEY_DOWN);
    e.m_keyCode = keyCode;
    e.m_controlDown = ctrl;
    e.m_shiftDown = shift;
    e.SetEventObject(view->GetWxWindow());
    view->GetWxWindow()->GetEventHandler()->ProcessEvent(e);
  }
  CMenuFrame* frame = nullptr;
  CKeyWnd* view = nullptr;
};

TEST_F(AccelTest, KeysOfTheTableBecomeCommands) {
  struct Case {
    const char* name;
    int key;
    bool ctrl, shift;
    UINT command;  // 0: none; the key then reaches the view
  } const cases[] = {
      {"Ctrl+C", 'C', true, false, ID_EDIT_COPY},     {"Ctrl+X", 'X', true, false, ID_EDIT_CUT},
      {"Ctrl+V", 'V', true, false, ID_EDIT_PASTE},    {"Ctrl+Z", 'Z', true, false, ID_EDIT_UNDO},
      {"Ctrl+Y", 'Y', true, false, ID_EDIT_REDO},     {"Ctrl+N", 'N', true, false, ID_FILE_NEW},
      {"Ctrl+O", 'O', true, false, ID_FILE_OPEN},     {"Ctrl+S", 'S', true, false, ID_FILE_SAVE},
      {"Ctrl+P", 'P', true, false, ID_FILE_PRINT},    {"F1", WXK_F1, false, false, ID_HELP},
      {"Shift+F1", WXK_F1, false, true, ID_CONTEXT_HELP}, {"F6", WXK_F6, false, false, ID_NEXT_PANE},
      {"Shift+F6", WXK_F6, false, true, ID_PREV_PANE},
      {"Z alone", 'Z', false, false, 0},              {"Ctrl+Shift+Z", 'Z', true, true, 0},
      {"Ctrl+F1", WXK_F1, true, false, 0},            {"Ctrl+Q", 'Q', true, false, 0},
  };
  for (const Case& c : cases) {
    frame->commands.clear();
    frame->rawCommands.clear();
    view->keys.clear();
    Press(c.key, c.ctrl, c.shift);
    if (c.command) {
      EXPECT_EQ(frame->commands, std::vector<UINT>{c.command}) << c.name;
      ASSERT_EQ(frame->rawCommands.size(), 1u) << c.name;
      EXPECT_EQ(frame->rawCommands[0].first, MAKEWPARAM(c.command, 1)) << c.name;
      EXPECT_EQ(frame->rawCommands[0].second, 0) << c.name;
      EXPECT_TRUE(view->keys.empty()) << c.name << ": the key is used up";
    } else {
      EXPECT_TRUE(frame->commands.empty()) << c.name;
      EXPECT_EQ(view->keys.size(), 1u) << c.name << ": the key goes on to the window";
    }
  }
}

TEST_F(AccelTest, DisabledCommandIsRefusedAndTheKeyUsedUp) {
  frame->undoEnabled = false;
  Press('Z', true, false);
  EXPECT_TRUE(frame->commands.empty());
  EXPECT_TRUE(view->keys.empty());
  frame->undoEnabled = true;
  Press('Z', true, false);
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_EDIT_UNDO});
}

// A top-level window owned by the frame (a dialog) keeps its keys: the frame's table is not
// applied there.
TEST_F(AccelTest, KeysInAnOwnedTopLevelWindowStayThere) {
  auto* dialog = new wxDialog(frame->GetWxWindow(), wxID_ANY, L"Owned", wxDefaultPosition, wxSize(200, 120));
  CWnd owned;
  ASSERT_TRUE(owned.AdoptWx(dialog));
  CKeyWnd field;
  ASSERT_TRUE(field.Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 100, 30), &owned, 1001));
  wxKeyEvent e(wxEVT_KEY_DOWN);
  e.m_keyCode = 'C';
  e.m_controlDown = true;
  e.SetEventObject(field.GetWxWindow());
  field.GetWxWindow()->GetEventHandler()->ProcessEvent(e);
  EXPECT_TRUE(frame->commands.empty());
  EXPECT_EQ(field.keys, std::vector<UINT>{'C'});
  field.DestroyWindow();
  owned.Detach();
  dialog->Destroy();
}

// End to end with real keys: from the view, and from a toolkit control that has no CWnd.
TEST_F(AccelTest, RealKeysFromTheViewAndFromAControlWithoutCWnd) {
  frame->GetWxWindow()->Raise();
  view->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return CWnd::GetFocus() == view; }));
  wxUIActionSimulator sim;
  sim.Char('z', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_EDIT_UNDO});

  auto* edit = new wxTextCtrl(frame->GetWxWindow(), wxID_ANY, wxString(), wxPoint(210, 10), wxSize(150, 30));
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return wxWindow::FindFocus() == edit; }));
  frame->commands.clear();
  sim.Char('y', wxMOD_CONTROL);
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_EDIT_REDO});
  frame->commands.clear();
  sim.Char(WXK_F6, wxMOD_SHIFT);
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{ID_PREV_PANE});
  edit->Destroy();
}

}  // namespace
