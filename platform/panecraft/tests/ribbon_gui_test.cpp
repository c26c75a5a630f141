// The ribbon under Xvfb, on a frame built from tables: every button kind and the strip of check
// boxes, labels, spin edits and combo boxes; the idle pass enables, checks and retitles each
// kind; clicks, lists, option buttons, spin arrows and Enter reach the frame's handlers; a
// disabled command is refused; the theme recolours the ribbon; the File button opens the
// backstage view.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <wx/combobox.h>
#include <wx/dialog.h>
#include <wx/image.h>
#include <wx/imagpng.h>
#include <wx/popupwin.h>
#include <wx/utils.h>
#include <wx/ribbon/art.h>
#include <wx/textctrl.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <QorpDrawHelpers.h>
#include <QorpGallery.h>
#include <QorpPaintManager.h>
#include <QorpRibbon.h>
#include <QorpRibbonBackstage.h>

#include <TestSupport.h>

#include "GuiTestHarness.h"
#include "popup_seam.h"
#include "ribbon_internal.h"

using namespace guitest;

namespace {

// What the frame's update handlers answer for an id; ids not listed are left to the defaults
// (enabled, as the frame handles every command).
struct UpdateState {
  int nEnable = -1;  // -1 leaves it
  int nCheck = -1;
  const wchar_t* pszText = nullptr;
};

struct Notification {
  UINT nCode;
  UINT nId;
  int nStep;
  CString strText;  // an edit's or combo's text as the handler read it
};

class CRibbonFrame : public CFrameWnd {
 public:
  std::vector<UINT> commands;
  std::vector<Notification> notifications;
  std::map<UINT, UpdateState> updates;

  std::function<void(UINT)> onCommand;  // runs after the command is recorded
  void OnAnyCommand(UINT nID) {
    commands.push_back(nID);
    if (onCommand) onCommand(nID);
  }
  std::map<UINT, int> updateCalls;
  void OnAnyUpdate(CCmdUI* pCmdUI) {
    ++updateCalls[pCmdUI->m_nID];
    auto it = updates.find(pCmdUI->m_nID);
    if (it == updates.end()) return;
    if (it->second.nEnable >= 0) pCmdUI->Enable(it->second.nEnable);
    if (it->second.nCheck >= 0) pCmdUI->SetCheck(it->second.nCheck);
    if (it->second.pszText) pCmdUI->SetText(it->second.pszText);
  }
  void Record(UINT nCode, NMHDR* pHdr, LRESULT* pResult) {
    auto* nm = reinterpret_cast<NMQORPCONTROL*>(pHdr);
    Notification n{nCode, static_cast<UINT>(pHdr->idFrom), nm->nStep, CString()};
    if (auto* pEdit = dynamic_cast<CQORPControlEdit*>(nm->pControl)) n.strText = pEdit->GetEditText();
    if (auto* pCombo = dynamic_cast<CQORPControlComboBox*>(nm->pControl)) n.strText = pCombo->GetEditText();
    notifications.push_back(n);
    *pResult = 1;
  }
  void OnExecute(UINT, NMHDR* p, LRESULT* r) { Record(QORP_CN_EXECUTE, p, r); }
  void OnSpinUp(UINT, NMHDR* p, LRESULT* r) { Record(QORP_CN_SPINUP, p, r); }
  void OnSpinDown(UINT, NMHDR* p, LRESULT* r) { Record(QORP_CN_SPINDOWN, p, r); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CRibbonFrame, CFrameWnd)
  ON_COMMAND_RANGE(100, 0xE7FF, &CRibbonFrame::OnAnyCommand)
  ON_UPDATE_COMMAND_UI_RANGE(100, 0xE7FF, &CRibbonFrame::OnAnyUpdate)
  ON_NOTIFY_RANGE(QORP_CN_EXECUTE, 100, 0xE7FF, &CRibbonFrame::OnExecute)
  ON_NOTIFY_RANGE(QORP_CN_SPINUP, 100, 0xE7FF, &CRibbonFrame::OnSpinUp)
  ON_NOTIFY_RANGE(QORP_CN_SPINDOWN, 100, 0xE7FF, &CRibbonFrame::OnSpinDown)
END_MESSAGE_MAP()

// The string table of the test program.
const std::map<UINT, const wchar_t*> kStrings = {
    {108, L"&Home"},
    {345, L"View"},
    {314, L"Clipboard"},
    {315, L"Font"},
    {109, L"Show the Font dialog box\nF&ont"},
    {126, L"Spacing and Shift"},
    {346, L"Zoom View"},
    {347, L"View"},
    {348, L"Click here to see everything you can do with PDF document\n&File"},
    {57637, L"Paste the contents of the Clipboard\nPaste"},
    {57639, L"Paste special\nPaste Special"},
    {57635, L"Cut the selection\nCut"},
    {57634, L"Copy the selection\nCopy"},
    {105, L"Make the selected text bold\nBold"},
    {106, L"Italicize the selected text\nItalic"},
    {110, L"Change the font face\nFont"},
    {111, L"Change the font size\nFont Size"},
    {153, L"Change the line spacing\nLine Spacing\nLine:"},
    {130, L"Change the spacing between characters\nCharacter Spacing\nCharacter:"},
    {32779, L"Fill transparency\nTransparency"},
    {32780, L"Set a custom transparency\nCustom Transparency..."},
    {32778, L"Fill the shape\nFill Needed"},
    {32873, L"Zoom in\nZoom In"},
    {32874, L"Zoom out\nZoom Out"},
    {32875, L"Show at 100%\nActual Size"},
    {59393, L"Show or hide the status bar\nStatus Bar"},
    {32876, L"Show or hide the thumbnails\nThumbnail View"},
    {57600, L"Create a new document\nNew"},
    {57601, L"Open a document\nOpen"},
    {57664, L"About the program\nAbout"},
    {57665, L"Quit the program\nExit"},
    {349, L"Recent"},
    {140, L"&Print"},
};

struct ControlRow {
  QORPControlType nType;
  int nId;
  std::vector<int> list;  // the pop-up bar's buttons
  int nWidth = 0;
  bool bSpin = false;
  const wchar_t* pszCaption = nullptr;  // for labels (id 0)
};

struct GroupRow {
  int nTab;
  int nGroupId;
  int nOptionId;
  std::vector<ControlRow> controls;
};

const int kTabs[] = {108, 345};

const std::vector<GroupRow> kGroups = {
    {0, 314, 0, {{QORP_CONTROL_SPLIT_BUTTON_POPUP, 57637, {57637, 57639}}, {QORP_CONTROL_BUTTON, 57635, {}},
                 {QORP_CONTROL_BUTTON, 57634, {}}}},
    {0, 315, 109, {{QORP_CONTROL_COMBO_BOX, 110, {}, 158}, {QORP_CONTROL_COMBO_BOX, 111, {}, 55},
                   {QORP_CONTROL_BUTTON, 105, {}}, {QORP_CONTROL_BUTTON, 106, {}}}},
    {0, 126, 0, {{QORP_CONTROL_LABEL, 0, {}, 0, false, L"Spacing"}, {QORP_CONTROL_EDIT, 153, {}, 153, true},
                 {QORP_CONTROL_EDIT, 130, {}, 153, true}}},
    {0, 113, 0, {{QORP_CONTROL_POPUP, 32779, {32780}}, {QORP_CONTROL_CHECK_BOX, 32778, {}}}},
    {1, 346, 0, {{QORP_CONTROL_SPLIT_BUTTON_POPUP, 32873, {}}, {QORP_CONTROL_SPLIT_BUTTON_POPUP, 32874, {}},
                 {QORP_CONTROL_BUTTON, 32875, {}}}},
    {1, 347, 0, {{QORP_CONTROL_CHECK_BOX, 59393, {}}, {QORP_CONTROL_CHECK_BOX, 32876, {}}}},
};

const QORP_MENU_ENTRY kZoomIn[] = {{32856, L"125%"}, {32857, L"150%"}, {32858, L"175%"}};
const UINT kLarge[] = {57637, 32873, 32874, 32875};

// A pop-up opener standing in for the pop-up windows; it records and accepts or refuses.
std::vector<int> g_opened;
bool g_openerAccepts = true;
bool RecordingOpener(CQORPControl* pControl, wxWindow*, const wxRect&) {
  g_opened.push_back(pControl->GetID());
  return g_openerAccepts;
}

class RibbonGui : public ::testing::Test {
 protected:
  void SetUp() override {
    CQORPPaintManager::Get()->SetColors(CQORPThemeColors());
    frame = new CRibbonFrame;
    ASSERT_TRUE(frame->Create(nullptr, L"Ribbon", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 1200, 600)));
    bars.SetStringLoader([](UINT nId, CString& s) {
      auto it = kStrings.find(nId);
      if (it == kStrings.end()) return false;
      s = it->second;
      return true;
    });
    ASSERT_TRUE(ribbon.Create(frame, &bars));
    ribbon.SetLargeIcons(kLarge, 4);
    for (int nTab : kTabs) ASSERT_NE(ribbon.AddTab(nTab), nullptr);
    for (const GroupRow& g : kGroups) {
      CQORPRibbonGroup* pGroup = ribbon.GetTab(g.nTab)->AddGroup(g.nGroupId);
      if (g.nOptionId) pGroup->SetOptionButton(g.nOptionId);
      for (const ControlRow& c : g.controls) {
        CQORPControl* p = pGroup->Add(c.nType, c.nId);
        ASSERT_NE(p, nullptr);
        if (c.pszCaption) p->SetCaption(c.pszCaption);
        p->SetWidth(c.nWidth);
        if (c.bSpin) static_cast<CQORPControlEdit*>(p)->ShowSpinButtons();
        for (int nItem : c.list) p->GetCommandBar()->Add(QORPCreateControl(QORP_CONTROL_BUTTON, nItem));
      }
    }
    CMenu zoom;
    ASSERT_TRUE(QORPMenuFromTable(zoom, kZoomIn, 3));
    QORPLoadPopupFromMenu(Find(32873)->GetCommandBar(), zoom);
    ribbon.AddSystemButton(348);
    CQORPControl* pStyle = ribbon.AddTabRowControl(QORP_CONTROL_POPUP, 0);
    pStyle->SetCaption(L"Style");
    const QORP_MENU_ENTRY style[] = {{32771, L"Office 2010 Blue"}, {32772, L"Office 2010 Silver"}};
    CMenu styleMenu;
    QORPMenuFromTable(styleMenu, style, 2);
    QORPLoadPopupFromMenu(pStyle->GetCommandBar(), styleMenu);
    ribbon.AddTabRowControl(QORP_CONTROL_BUTTON, 57664);
    ribbon.AddQuickAccessControl(57600);
    ribbon.AddQuickAccessControl(57601);
    ribbon.RecalcLayout();
    g_opened.clear();
    QorpSetPopupOpener(nullptr);
    QorpSetMenuChooser(nullptr);
    ASSERT_TRUE(PumpUntil([&] { return ribbon.GetImpl()->pRibbon && ribbon.GetImpl()->pRibbon->IsShownOnScreen(); }));
    Idle();
  }
  void TearDown() override {
    QorpSetPopupOpener(nullptr);
    QorpSetMenuChooser(nullptr);
    backstage.reset();
    if (ribbon.GetSafeHwnd()) ribbon.DestroyWindow();
    if (frame->m_hWnd) frame->DestroyWindow();
    PumpUntil([] { return false; }, 20);
    delete frame;
    CQORPPaintManager::Get()->SetColors(CQORPThemeColors());
  }
  CQORPControl* Find(int nId, int nType = QORP_CONTROL_ERROR) { return bars.FindControl(nType, nId, FALSE, FALSE); }
  void Idle() { frame->OnUpdateCmdUIAll(); }
  // Sends the button bar's click (or arrow) event for a control, as wx does on mouse-up.
  void ClickButton(CQORPControl* p, bool bDropDown = false) {
    const QorpPlacement& pl = ribbon.GetImpl()->placements.at(p);
    ASSERT_NE(pl.pButtonBar, nullptr);
    wxRibbonButtonBarEvent e(bDropDown ? wxEVT_RIBBONBUTTONBAR_DROPDOWN_CLICKED : wxEVT_RIBBONBUTTONBAR_CLICKED,
                             pl.nButtonId, pl.pButtonBar, pl.pButtonBar->GetItemById(pl.nButtonId));
    e.SetEventObject(pl.pButtonBar);
    pl.pButtonBar->ProcessWindowEvent(e);
  }
  bool CommandsBecome(const std::vector<UINT>& want) {
    return PumpUntil([&] { return frame->commands.size() >= want.size(); }, 1000) && frame->commands == want;
  }

  CRibbonFrame* frame = nullptr;
  CQORPCommandBars bars;
  CQORPRibbonBar ribbon;
  std::unique_ptr<CQORPBackstageView> backstage;
};

TEST_F(RibbonGui, EveryKindIsPlacedWithCaptionsFromTheStringTable) {
  const struct {
    int nId;
    const wchar_t* pszCaption;
    bool bButton;  // in a button bar, else in a strip
    bool bLarge;
  } cases[] = {
      {57637, L"Paste", true, true},   {57635, L"Cut", true, false},     {105, L"Bold", true, false},
      {32779, L"Transparency", true, false}, {32873, L"Zoom In", true, true}, {32875, L"Actual Size", true, true},
      {110, L"Font", false, false},    {153, L"Line Spacing", false, false}, {32778, L"Fill Needed", false, false},
      {59393, L"Status Bar", false, false},
  };
  ribbon.GetTab(1)->Select();  // the View tab, so its controls have a place too
  ASSERT_TRUE(PumpUntil([&] { return ribbon.GetTab(1)->IsSelected() && ribbon.GetImpl()->pRibbon->GetPage(1)->IsShownOnScreen(); }));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.nId);
    CQORPControl* p = Find(c.nId);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->GetCaption(), c.pszCaption);
    const QorpPlacement& pl = ribbon.GetImpl()->placements.at(p);
    EXPECT_EQ(pl.pButtonBar != nullptr, c.bButton);
    EXPECT_EQ(pl.pStrip != nullptr, !c.bButton);
    if (c.bButton) {
      const wxRect r = pl.pButtonBar->GetItemRect(pl.nButtonId);
      EXPECT_EQ(r.height > 40, c.bLarge) << "height " << r.height;
    }
  }
  EXPECT_EQ(Find(153)->GetLabel(), L"Line:");
  EXPECT_EQ(ribbon.GetTab(0)->GetCaption(), L"&Home");
  EXPECT_EQ(ribbon.GetImpl()->pRibbon->GetPage(0)->GetLabel(), "Home") << "no mnemonic mark on the tab";
  EXPECT_EQ(ribbon.GetTab(0)->FindGroup(315)->GetControlGroupOption()->GetCaption(), L"F&ont");
  CRect rc;
  EXPECT_TRUE(ribbon.GetControlScreenRect(Find(59393), rc));
  EXPECT_FALSE(rc.IsRectEmpty());
  EXPECT_TRUE(ribbon.GetControlScreenRect(ribbon.GetSystemButton(), rc)) << "the File button sits in the tab row";
  EXPECT_GT(ribbon.GetBarHeight(), 90);
  CRect rcBar;
  ribbon.GetWindowRect(&rcBar);
  EXPECT_EQ(rcBar.Height(), ribbon.GetBarHeight()) << "the frame lays the bar out at its height";
}

TEST_F(RibbonGui, IdlePassEnablesChecksAndRetitlesEachKind) {
  struct Case {
    int nId;
    UpdateState state;
    BOOL bEnabled;
    int nChecked;
    const wchar_t* pszCaption;
  };
  const Case cases[] = {
      {57635, {0, -1, nullptr}, FALSE, -1, L"Cut"},                 // plain button
      {105, {1, 1, nullptr}, TRUE, 1, L"Bold"},                      // toggle
      {57637, {1, -1, L"Paste Here"}, TRUE, -1, L"Paste Here"},      // split, retitled
      {32779, {0, -1, nullptr}, FALSE, -1, L"Transparency"},         // drop-down
      {32778, {1, 1, nullptr}, TRUE, 1, L"Fill Needed"},              // strip check box
      {153, {0, -1, nullptr}, FALSE, -1, L"Line Spacing"},            // strip spin edit
      {110, {0, -1, nullptr}, FALSE, -1, L"Font"},                    // strip combo
  };
  for (const Case& c : cases) frame->updates[static_cast<UINT>(c.nId)] = c.state;
  frame->updateCalls.clear();
  Idle();
  EXPECT_EQ(frame->updateCalls[105], 1) << "one pass per idle, however the command bars were attached";
  EXPECT_EQ(bars.GetFrame(), frame) << "the command bars know their frame";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.nId);
    CQORPControl* p = Find(c.nId);
    EXPECT_EQ(p->GetEnabled(), c.bEnabled);
    EXPECT_EQ(p->GetChecked(), c.nChecked);
    EXPECT_EQ(p->GetCaption(), c.pszCaption);
    const QorpPlacement& pl = ribbon.GetImpl()->placements.at(p);
    if (pl.pButtonBar) {
      EXPECT_EQ(pl.bEnabled, c.bEnabled != FALSE);
      EXPECT_EQ(pl.bChecked, c.nChecked == 1);
      EXPECT_EQ(pl.strCaption, c.pszCaption);
    } else if (wxWindow* w = pl.pStrip->GetItemWindow(p); w != pl.pStrip) {
      EXPECT_EQ(w->IsEnabled(), c.bEnabled != FALSE) << "the native control follows";
    }
  }
  // A longer caption widens the button once the bar is realized again.
  const QorpPlacement& paste = ribbon.GetImpl()->placements.at(Find(57637));
  const int wBefore = paste.pButtonBar->GetItemRect(paste.nButtonId).width;
  frame->updates[57637].pszText = L"Paste with a much longer caption";
  Idle();
  EXPECT_GT(paste.pButtonBar->GetItemRect(paste.nButtonId).width, wBefore);

  // Back to enabled: the windows follow again.
  frame->updates.clear();
  frame->updates[57635] = {1, 0, nullptr};
  frame->updates[153] = {1, -1, nullptr};
  Idle();
  EXPECT_TRUE(ribbon.GetImpl()->placements.at(Find(57635)).bEnabled);
  EXPECT_TRUE(ribbon.GetImpl()->placements.at(Find(153)).pStrip->GetItemWindow(Find(153))->IsEnabled());
}

TEST_F(RibbonGui, ClicksReachHandlersAndDisabledCommandsAreRefused) {
  ClickButton(Find(57635));
  ClickButton(Find(57637));  // the split's main part
  ClickButton(Find(105));
  EXPECT_TRUE(CommandsBecome({57635, 57637, 105}));
  EXPECT_EQ(Find(105)->GetChecked(), -1) << "a click alone checks nothing: the update handler decides";
  EXPECT_FALSE(ribbon.GetImpl()->placements.at(Find(105)).bChecked);

  frame->commands.clear();
  frame->updates[57635] = {0, -1, nullptr};
  Idle();
  ClickButton(Find(57635));
  EXPECT_FALSE(ribbon.ExecuteControl(Find(57635)));
  // Even a command that reaches the frame another way is refused while disabled.
  frame->SendMessage(WM_COMMAND, MAKEWPARAM(57635, 0), 0);
  PumpUntil([] { return false; }, 50);
  EXPECT_TRUE(frame->commands.empty());

  // The group option button posts its own id.
  wxRibbonPanel* pFontPanel = nullptr;
  for (auto& [pPanel, pGroup] : ribbon.GetImpl()->panels)
    if (pGroup->GetID() == 315) pFontPanel = pPanel;
  ASSERT_NE(pFontPanel, nullptr);
  EXPECT_TRUE(pFontPanel->HasExtButton());
  wxRibbonPanelEvent ext(wxEVT_RIBBONPANEL_EXTBUTTON_ACTIVATED, pFontPanel->GetId(), pFontPanel);
  ext.SetEventObject(pFontPanel);
  pFontPanel->ProcessWindowEvent(ext);
  EXPECT_TRUE(CommandsBecome({109}));
}

TEST_F(RibbonGui, ListsOpenThroughThePopupWindowsOrAsAPlainMenu) {
  std::vector<std::vector<UINT>> menus;
  UINT nPick = 0;
  QorpSetMenuChooser([&](CMenu& menu) {
    std::vector<UINT> ids;
    for (UINT i = 0; i < menu.GetMenuItemCount(); ++i) ids.push_back(menu.GetMenuItemID(static_cast<int>(i)));
    menus.push_back(ids);
    return nPick;
  });
  // No opener: a plain menu of the list's buttons; the pick is posted.
  nPick = 32857;
  ClickButton(Find(32873), true);
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0], (std::vector<UINT>{32856, 32857, 32858}));
  EXPECT_TRUE(CommandsBecome({32857}));

  // A disabled item cannot be picked: its update handler ran before the menu showed.
  frame->commands.clear();
  frame->updates[32856] = {0, -1, nullptr};
  nPick = 32856;
  ClickButton(Find(32873), true);
  PumpUntil([] { return false; }, 50);
  EXPECT_TRUE(frame->commands.empty());

  // The pop-up windows take the list when they can; when they refuse, the menu shows.
  QorpSetPopupOpener(&RecordingOpener);
  g_openerAccepts = true;
  ClickButton(Find(32779));  // a drop-down opens on any click
  EXPECT_EQ(g_opened, std::vector<int>{32779});
  EXPECT_EQ(menus.size(), 2u) << "no menu when the pop-up opened";
  g_openerAccepts = false;
  nPick = 32780;
  ClickButton(Find(32779));
  EXPECT_EQ(menus.size(), 3u);
  EXPECT_TRUE(CommandsBecome({32780}));

  // The tab-row "Style" drop-down and the About button; the quick access bar.
  frame->commands.clear();
  nPick = 32772;
  CQORPControl* pStyle = ribbon.GetTabRowControls()->GetAt(0);
  g_openerAccepts = false;
  EXPECT_TRUE(ribbon.ExecuteControl(pStyle));
  EXPECT_TRUE(ribbon.ExecuteControl(ribbon.GetTabRowControls()->GetAt(1)));
  EXPECT_TRUE(ribbon.ExecuteControl(ribbon.GetQuickAccessControls()->GetAt(1)));
  EXPECT_TRUE(CommandsBecome({32772, 57664, 57601}));
}

// Pixels of exactly one colour inside a screen rectangle of a screenshot of the whole screen.
int CountColour(const lwtest::TempDir& dir, const char* pszName, const CRect& rc, COLORREF clr) {
  const std::string path = (dir / pszName).string();
  if (wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS) != 0) return -1;
  if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
  wxImage image;
  if (!image.LoadFile(path, wxBITMAP_TYPE_PNG)) return -1;
  int n = 0;
  for (int y = std::max(0, static_cast<int>(rc.top)); y < std::min(image.GetHeight(), static_cast<int>(rc.bottom)); ++y)
    for (int x = std::max(0, static_cast<int>(rc.left)); x < std::min(image.GetWidth(), static_cast<int>(rc.right)); ++x)
      if (RGB(image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)) == clr) ++n;
  return n;
}

// The ribbon's colour button draws a bar of its colour under the icon, and the bar follows
// the colour the program sets.
TEST_F(RibbonGui, ColourButtonDrawsItsColourBar) {
  CQORPRibbonGroup* pGroup = ribbon.GetTab(0)->AddGroup(319);
  ASSERT_NE(pGroup, nullptr);
  auto* pColour = static_cast<CQORPControlPopupColor*>(pGroup->Add(std::make_unique<CQORPControlPopupColor>(32790)));
  pColour->SetCaption(L"Filled Color");
  const COLORREF kFirst = RGB(0xD0, 0x20, 0x90), kSecond = RGB(0x20, 0xA0, 0x30);
  pColour->SetColor(kFirst);
  ribbon.RecalcLayout();
  CRect rc;
  ASSERT_TRUE(PumpUntil([&] { return ribbon.GetControlScreenRect(pColour, rc) != FALSE && !rc.IsRectEmpty(); }));
  Idle();
  PumpUntil([] { return false; }, 100);
  lwtest::TempDir shots;
  const struct {
    const char* pszShot;
    COLORREF clrShown, clrGone;
  } shots_[] = {{"colour-first.png", kFirst, kSecond}, {"colour-second.png", kSecond, kFirst}};
  for (const auto& s : shots_) {
    SCOPED_TRACE(s.pszShot);
    pColour->SetColor(s.clrShown);
    Idle();
    PumpUntil([] { return false; }, 100);
    ASSERT_TRUE(ribbon.GetControlScreenRect(pColour, rc));
    const int nShown = CountColour(shots, s.pszShot, rc, s.clrShown);
    ASSERT_GE(nShown, 0) << "no screenshot (is ImageMagick installed?)";
    EXPECT_GE(nShown, 16 * 3) << "a bar at least the icon's width and 3 rows high";
    EXPECT_EQ(CountColour(shots, s.pszShot, rc, s.clrGone), 0);
  }

  // Disabled, its caption still reads at 4.5:1 on the ribbon in every theme (solid blocks, so
  // that whole pixels carry the caption's colour).
  pColour->SetCaption(L"\u2588\u2588\u2588 Fill");
  frame->updates[32790] = {0, -1, nullptr};
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kQorpThemeModule, ini));
    Idle();
    PumpUntil([] { return false; }, 150);
    ASSERT_FALSE(pColour->GetEnabled());
    ASSERT_TRUE(ribbon.GetControlScreenRect(pColour, rc));
    const std::string path = (shots / "disabled.png").string();
    ASSERT_EQ(wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS), 0);
    wxImage shot;
    ASSERT_TRUE(shot.LoadFile(path, wxBITMAP_TYPE_PNG));
    // The caption, right of the 16-pixel icon and left of the arrow, against the most common
    // colour there (the button's background).
    std::map<COLORREF, int> counts;
    std::vector<COLORREF> pixels;
    for (int y = rc.top + 2; y < rc.bottom - 2; ++y)
      for (int x = rc.left + 24; x < rc.right - 14; ++x) {
        const COLORREF c = RGB(shot.GetRed(x, y), shot.GetGreen(x, y), shot.GetBlue(x, y));
        ++counts[c];
        pixels.push_back(c);
      }
    ASSERT_FALSE(pixels.empty());
    COLORREF back = 0;
    int most = -1;
    for (const auto& [c, n] : counts)
      if (n > most) most = n, back = c;
    double best = 1.0;
    for (COLORREF c : pixels) best = std::max(best, CQORPDrawHelpers::ContrastRatio(c, back));
    EXPECT_GE(best, 4.5) << "a disabled colour button's caption on " << std::hex << back;
  }
  CQORPResourceTheme::SetImageHandle(kQorpThemeModule, kQorpThemeBlue);
}

// The ribbon's spin edit carries typed text out when focus leaves it, as Enter does; leaving
// it untouched, or after Enter already sent the value, sends nothing more.
TEST_F(RibbonGui, StripEditSendsTypedValueWhenFocusLeaves) {
  CQORPControl* pLine = Find(153);
  QorpStrip* pStrip = ribbon.GetImpl()->placements.at(pLine).pStrip;
  auto* pEdit = static_cast<wxTextCtrl*>(pStrip->GetItemWindow(pLine));
  ASSERT_NE(pEdit, nullptr);
  CQORPControl* pFont = Find(110);
  wxWindow* pElsewhere = ribbon.GetImpl()->placements.at(pFont).pStrip->GetItemWindow(pFont);
  ASSERT_NE(pElsewhere, nullptr);
  const struct {
    const char* pszTyped;  // nullptr: focus visits the edit without typing
    bool bEnter;
    size_t nExecutes;
  } cases[] = {
      {"2.25", false, 1},
      {nullptr, false, 0},
      {"3", true, 1},  // Enter sent it; leaving adds nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszTyped ? c.pszTyped : "(untouched)");
    pEdit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return static_cast<CQORPControlEdit*>(pLine)->HasFocus() != FALSE; }));
    frame->notifications.clear();
    if (c.pszTyped) {
      pEdit->SelectAll();
      wxUIActionSimulator sim;
      sim.Text(c.pszTyped);
      ASSERT_TRUE(PumpUntil([&] { return static_cast<CQORPControlEdit*>(pLine)->GetEditText() == CString(wxString(c.pszTyped).wc_str()); }));
    }
    if (c.bEnter) {
      wxCommandEvent enter(wxEVT_TEXT_ENTER, pEdit->GetId());
      enter.SetEventObject(pEdit);
      pEdit->ProcessWindowEvent(enter);
    }
    pElsewhere->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return static_cast<CQORPControlEdit*>(pLine)->HasFocus() == FALSE; }));
    PumpUntil([] { return false; }, 60);
    ASSERT_EQ(frame->notifications.size(), c.nExecutes);
    for (const Notification& n : frame->notifications) {
      EXPECT_EQ(n.nCode, static_cast<UINT>(QORP_CN_EXECUTE));
      EXPECT_EQ(n.nId, 153u);
      EXPECT_EQ(n.strText, CString(wxString(c.pszTyped).wc_str()));
    }
  }
}

TEST_F(RibbonGui, StripSendsNotificationsWithTextAndSignedSteps) {
  CQORPControl* pLine = Find(153);
  QorpStrip* pStrip = ribbon.GetImpl()->placements.at(pLine).pStrip;
  auto* pEdit = static_cast<wxTextCtrl*>(pStrip->GetItemWindow(pLine));
  pEdit->SetValue("1.5");
  EXPECT_EQ(static_cast<CQORPControlEdit*>(pLine)->GetEditText(), L"1.5") << "typing reaches the control";
  wxCommandEvent enter(wxEVT_TEXT_ENTER, pEdit->GetId());
  enter.SetEventObject(pEdit);
  pEdit->ProcessWindowEvent(enter);
  pStrip->ClickAt(pStrip->GetSpinRect(pLine, true).GetPosition() + wxPoint(2, 2));
  pStrip->ClickAt(pStrip->GetSpinRect(pLine, false).GetPosition() + wxPoint(2, 2));

  CQORPControl* pFont = Find(110);
  auto* pCombo = static_cast<wxComboBox*>(ribbon.GetImpl()->placements.at(pFont).pStrip->GetItemWindow(pFont));
  pCombo->SetValue("Liberation Serif");
  wxCommandEvent pick(wxEVT_COMBOBOX, pCombo->GetId());
  pick.SetEventObject(pCombo);
  pCombo->ProcessWindowEvent(pick);

  const std::vector<Notification> want = {
      {QORP_CN_EXECUTE, 153, 0, L"1.5"},
      {QORP_CN_SPINUP, 153, 1, L"1.5"},
      {QORP_CN_SPINDOWN, 153, -1, L"1.5"},
      {QORP_CN_EXECUTE, 110, 0, L"Liberation Serif"},
  };
  ASSERT_EQ(frame->notifications.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(frame->notifications[i].nCode, want[i].nCode);
    EXPECT_EQ(frame->notifications[i].nId, want[i].nId);
    EXPECT_EQ(frame->notifications[i].nStep, want[i].nStep);
    EXPECT_EQ(frame->notifications[i].strText, want[i].strText);
  }

  // The program's text shows in the edit at the next idle pass; a disabled edit sends nothing.
  static_cast<CQORPControlEdit*>(pLine)->SetEditText(L"2.000000");
  frame->updates[153] = {0, -1, nullptr};
  Idle();
  EXPECT_EQ(pEdit->GetValue(), "2.000000");
  frame->notifications.clear();
  pStrip->ClickAt(pStrip->GetSpinRect(pLine, true).GetPosition() + wxPoint(2, 2));
  pEdit->ProcessWindowEvent(enter);
  EXPECT_TRUE(frame->notifications.empty());

  // The check box posts its command.
  CQORPControl* pFill = Find(32778);
  QorpStrip* pFillStrip = ribbon.GetImpl()->placements.at(pFill).pStrip;
  pFillStrip->ClickAt(pFillStrip->GetItemRect(pFill).GetPosition() + wxPoint(4, 6));
  EXPECT_TRUE(CommandsBecome({32778}));
}

TEST(RibbonStripLayout, ItemsFillColumnsOfThree) {
  int total = 0;
  EXPECT_EQ(QorpStripColumns({40, 60, 50, 30, 20}, 3, &total), (std::vector<int>{0, 0, 0, 68, 68}));
  EXPECT_EQ(total, 68 + 30);
  EXPECT_EQ(QorpStripColumns({}, 3, &total), std::vector<int>{});
  EXPECT_EQ(total, 0);
  EXPECT_EQ(QorpStripColumns({10, -5}, 0, &total), (std::vector<int>{0, 18})) << "rows below 1 count as 1";
}

TEST_F(RibbonGui, RealClicksOnAButtonAndACheckBox) {
  frame->GetWxWindow()->Raise();
  PumpUntil([] { return false; }, 100);
  wxUIActionSimulator sim;
  CRect rc;
  ASSERT_TRUE(ribbon.GetControlScreenRect(Find(57634), rc));
  sim.MouseMove(rc.CenterPoint().x, rc.CenterPoint().y);
  PumpUntil([] { return false; }, 50);
  sim.MouseClick();
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{57634});

  frame->commands.clear();
  ribbon.GetTab(1)->Select();
  ASSERT_TRUE(PumpUntil([&] { return ribbon.GetControlScreenRect(Find(32876), rc) != FALSE; }));
  sim.MouseMove(rc.left + 6, rc.top + rc.Height() / 2);
  PumpUntil([] { return false; }, 50);
  sim.MouseClick();
  ASSERT_TRUE(PumpUntil([&] { return !frame->commands.empty(); }));
  EXPECT_EQ(frame->commands, std::vector<UINT>{32876});
}

// The real pointer hovers a split button's arrow and the tab-row About button; a real menu and
// a real modal dialog then hold the pointer while it moves away, so the buttons never hear it
// leave. Neither may stay drawn hot once the menu or dialog has gone.
TEST_F(RibbonGui, ButtonsLetGoOfTheirHighlightAfterAMenuOrADialog) {
  frame->GetWxWindow()->Raise();
  PumpUntil([] { return false; }, 100);
  wxUIActionSimulator sim;
  CRect rcFrame;
  frame->GetWindowRect(&rcFrame);
  const wxPoint away(rcFrame.CenterPoint().x, rcFrame.bottom - 40);  // the frame's empty client area
  auto moveAwayLater = [&](std::function<void()> then) {
    auto* timer = new wxTimer;
    timer->Bind(wxEVT_TIMER, [&sim, away, then, timer](wxTimerEvent&) {
      sim.MouseMove(away);
      PumpUntil([] { return false; }, 150);
      then();
      wxTheApp->CallAfter([timer] { delete timer; });  // not inside its own event
    });
    timer->StartOnce(400);
  };

  // A split button's arrow opens a real menu; Escape closes it with the pointer elsewhere.
  QorpSetMenuChooser(nullptr);
  CQORPControl* pPaste = Find(57637);
  const QorpPlacement& pl = ribbon.GetImpl()->placements.at(pPaste);
  CRect rc;
  ASSERT_TRUE(ribbon.GetControlScreenRect(pPaste, rc));
  sim.MouseMove(rc.CenterPoint().x, rc.bottom - 6);
  ASSERT_TRUE(PumpUntil([&] { return pl.pButtonBar->GetHoveredItem() != nullptr; })) << "the pointer is on the button";
  bool bMenuClosed = false;
  moveAwayLater([&] {
    sim.Char(WXK_ESCAPE);
    bMenuClosed = true;
  });
  sim.MouseClick();
  ASSERT_TRUE(PumpUntil([&] { return bMenuClosed; }));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(pl.pButtonBar->GetHoveredItem(), nullptr) << "the split button stays highlighted after its menu";
  EXPECT_EQ(pl.pButtonBar->GetActiveItem(), nullptr) << "the split button stays pressed after its menu";
  EXPECT_TRUE(frame->commands.empty());

  // The About button's command opens a modal dialog; the pointer leaves while it is open.
  CQORPControl* pAbout = ribbon.GetTabRowControls()->GetAt(1);
  QorpItemRow* pRow = ribbon.GetImpl()->pTabRow;
  ASSERT_NE(pRow, nullptr);
  ASSERT_TRUE(ribbon.GetControlScreenRect(pAbout, rc));
  bool bDialogShown = false;
  frame->onCommand = [&](UINT nId) {
    if (nId != 57664) return;
    wxDialog dlg(frame->GetWxWindow(), wxID_ANY, "About", wxPoint(rcFrame.left + 300, rcFrame.top + 250), wxSize(300, 120));
    moveAwayLater([&] {
      bDialogShown = dlg.IsShown();
      dlg.EndModal(wxID_OK);
    });
    dlg.ShowModal();
  };
  sim.MouseMove(rc.CenterPoint().x, rc.CenterPoint().y);
  ASSERT_TRUE(PumpUntil([&] { return pRow->HoverIndex() >= 0; })) << "the pointer is on About";
  sim.MouseClick();
  ASSERT_TRUE(PumpUntil([&] { return bDialogShown; }));
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(frame->commands, std::vector<UINT>{57664});
  EXPECT_EQ(pRow->HoverIndex(), -1) << "About stays highlighted after its dialog";
  frame->onCommand = nullptr;
}

TEST_F(RibbonGui, ThemeSwitchRecoloursTheRibbonArt) {
  wxRibbonArtProvider* art = ribbon.GetImpl()->pRibbon->GetArtProvider();
  CQORPThemeColors black;
  const struct {
    int nColor;
    COLORREF clr;
  } set[] = {
      {QORP_CLR_RIBBON_PRIMARY, RGB(0x44, 0x44, 0x44)},   {QORP_CLR_RIBBON_SECONDARY, RGB(0x55, 0x55, 0x55)},
      {QORP_CLR_RIBBON_TERTIARY, RGB(0x66, 0x66, 0x66)},  {QORP_CLR_DISABLED_LABEL, RGB(0xA0, 0x10, 0x10)},
      {QORP_CLR_TAB_LABEL, RGB(0xF0, 0xF0, 0xF0)},        {QORP_CLR_PANEL_LABEL, RGB(0xE0, 0xE0, 0xE0)},
  };
  for (const auto& s : set) black.SetColor(s.nColor, s.clr);
  const wxColour disabledBefore = art->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR);
  EXPECT_NE(disabledBefore, *wxBLACK) << "the disabled label is themed from the start, not left black";
  CQORPPaintManager::Get()->SetColors(black);
  wxColour primary, secondary, tertiary;
  art->GetColourScheme(&primary, &secondary, &tertiary);
  EXPECT_EQ(primary, QorpWx(RGB(0x44, 0x44, 0x44)));
  EXPECT_EQ(secondary, QorpWx(RGB(0x55, 0x55, 0x55)));
  EXPECT_EQ(tertiary, QorpWx(RGB(0x66, 0x66, 0x66)));
  const struct {
    int nArt;
    COLORREF clr;
  } want[] = {
      {wxRIBBON_ART_TAB_LABEL_COLOUR, RGB(0xF0, 0xF0, 0xF0)},
      {wxRIBBON_ART_PANEL_LABEL_COLOUR, RGB(0xE0, 0xE0, 0xE0)},
      {wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, RGB(0xF0, 0xF0, 0xF0)},
  };
  for (const auto& w : want) EXPECT_EQ(art->GetColour(w.nArt), QorpWx(w.clr)) << w.nArt;
  // A disabled label is the enabled one dimmed toward the page: a grey, not the theme's red.
  const wxColour disabled = art->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR);
  EXPECT_EQ(disabled.Red(), disabled.Green());
  EXPECT_NE(disabled, QorpWx(RGB(0xF0, 0xF0, 0xF0)));
  // A rebuild of the windows keeps the theme.
  ribbon.GetTab(0)->AddGroup(L"Late group")->Add(QORP_CONTROL_BUTTON, 57639);
  ribbon.RecalcLayout();
  EXPECT_EQ(ribbon.GetImpl()->pRibbon->GetArtProvider()->GetColour(wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR),
            disabled);
}

double Luminance(const wxColour& c) {
  auto lin = [](int v) {
    const double x = v / 255.0;
    return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(c.Red()) + 0.7152 * lin(c.Green()) + 0.0722 * lin(c.Blue());
}
double Contrast(const wxColour& a, const wxColour& b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(RibbonGui, EveryLabelReadsAgainstWhatItIsDrawnOnInEachTheme) {
  wxRibbonArtProvider* art = ribbon.GetImpl()->pRibbon->GetArtProvider();
  const int tabBack[] = {wxRIBBON_ART_TAB_CTRL_BACKGROUND_COLOUR, wxRIBBON_ART_TAB_CTRL_BACKGROUND_GRADIENT_COLOUR};
  const int activeTabBack[] = {wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_COLOUR,
                               wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_TOP_GRADIENT_COLOUR,
                               wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_COLOUR,
                               wxRIBBON_ART_TAB_ACTIVE_BACKGROUND_GRADIENT_COLOUR};
  const int panelLabelBack[] = {wxRIBBON_ART_PANEL_LABEL_BACKGROUND_COLOUR,
                                wxRIBBON_ART_PANEL_LABEL_BACKGROUND_GRADIENT_COLOUR};
  const int pageBack[] = {wxRIBBON_ART_PAGE_BACKGROUND_TOP_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_TOP_GRADIENT_COLOUR,
                          wxRIBBON_ART_PAGE_BACKGROUND_COLOUR, wxRIBBON_ART_PAGE_BACKGROUND_GRADIENT_COLOUR};
  const struct {
    const char* name;
    int nLabel;
    std::vector<int> backs;
  } labels[] = {
      {"tab", wxRIBBON_ART_TAB_LABEL_COLOUR, {std::begin(tabBack), std::end(tabBack)}},
      {"active tab", wxRIBBON_ART_TAB_ACTIVE_LABEL_COLOUR, {std::begin(activeTabBack), std::end(activeTabBack)}},
      {"panel label", wxRIBBON_ART_PANEL_LABEL_COLOUR, {std::begin(panelLabelBack), std::end(panelLabelBack)}},
      {"button", wxRIBBON_ART_BUTTON_BAR_LABEL_COLOUR, {std::begin(pageBack), std::end(pageBack)}},
      {"disabled button", wxRIBBON_ART_BUTTON_BAR_LABEL_DISABLED_COLOUR, {std::begin(pageBack), std::end(pageBack)}},
  };
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kQorpThemeModule, ini));
    for (const auto& l : labels)
      for (int nBack : l.backs)
        EXPECT_GE(Contrast(art->GetColour(l.nLabel), art->GetColour(nBack)), 4.5)
            << l.name << " " << art->GetColour(l.nLabel).GetAsString(wxC2S_HTML_SYNTAX) << " on "
            << art->GetColour(nBack).GetAsString(wxC2S_HTML_SYNTAX);
  }
}

// The key-tip badges read at 4.5:1 or more on their own background in each theme, measured on
// the screen.
TEST_F(RibbonGui, KeyTipBadgesReadOnScreenInEachTheme) {
  lwtest::TempDir dir;
  for (const wchar_t* ini : {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack}) {
    SCOPED_TRACE(wxString(ini).ToStdString());
    ASSERT_TRUE(CQORPResourceTheme::SetImageHandle(kQorpThemeModule, ini));
    ribbon.ShowKeyTips(TRUE);
    std::vector<wxRect> badges;
    ASSERT_TRUE(PumpUntil([&] {
      badges.clear();
      for (wxWindow* w : ribbon.GetImpl()->pRibbon->GetChildren())
        if (dynamic_cast<wxPopupWindow*>(w) && w->IsShownOnScreen()) badges.push_back(w->GetScreenRect());
      return !badges.empty();
    }));
    PumpUntil([] { return false; }, 100);
    const std::string path = (dir / "keytips.png").string();
    ASSERT_EQ(wxExecute(wxString::Format("import -window root %s", path), wxEXEC_SYNC | wxEXEC_NOEVENTS), 0);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PNG)) wxImage::AddHandler(new wxPNGHandler);
    wxImage shot;
    ASSERT_TRUE(shot.LoadFile(path, wxBITMAP_TYPE_PNG));
    const COLORREF back = CQORPPaintManager::Get()->GetColor(QORP_CLR_POPUP_BACK);
    for (const wxRect& b : badges) {
      double best = 1.0;
      for (int y = b.y + 2; y < b.GetBottom() - 1; ++y)
        for (int x = b.x + 2; x < b.GetRight() - 1; ++x)
          if (x >= 0 && y >= 0 && x < shot.GetWidth() && y < shot.GetHeight())
            best = std::max(best, CQORPDrawHelpers::ContrastRatio(RGB(shot.GetRed(x, y), shot.GetGreen(x, y), shot.GetBlue(x, y)), back));
      EXPECT_GE(best, 4.5) << "badge at " << b.x << "," << b.y;
    }
    ribbon.ShowKeyTips(FALSE);
  }
  CQORPResourceTheme::SetImageHandle(kQorpThemeModule, kQorpThemeBlue);
}

class CPageWnd : public CWnd {};

TEST_F(RibbonGui, FileButtonOpensTheBackstageViewWithCommandsAndPages) {
  backstage = std::make_unique<CQORPBackstageView>();
  ASSERT_TRUE(backstage->Create(frame, &bars));
  CPageWnd recent, print;
  ASSERT_TRUE(recent.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 330));
  ASSERT_TRUE(print.Create(nullptr, nullptr, WS_CHILD, CRect(0, 0, 10, 10), frame, 372));
  backstage->AddCommand(57600);
  backstage->AddCommand(57601);
  backstage->AddTab(&recent, 349, 650, 400);
  backstage->AddTab(&print, 140);
  backstage->AddCommand(57665);
  ribbon.SetBackstageView(backstage.get());
  EXPECT_EQ(backstage->GetItem(2)->GetCaption(), L"Recent");
  EXPECT_EQ(backstage->GetActiveTab(), 2) << "the first tab is selected";

  EXPECT_FALSE(backstage->IsBackstageVisible());
  ASSERT_TRUE(ribbon.ExecuteControl(ribbon.GetSystemButton()));
  ASSERT_TRUE(PumpUntil([&] { return recent.GetWxWindow()->IsShownOnScreen(); }));
  EXPECT_TRUE(backstage->IsBackstageVisible());
  CRect rcPage;
  recent.GetClientRect(&rcPage);
  EXPECT_EQ(rcPage.Width(), 650);
  EXPECT_FALSE(print.GetWxWindow()->IsShown());

  EXPECT_TRUE(backstage->ClickItem(3));  // the Print tab
  EXPECT_TRUE(print.GetWxWindow()->IsShown());
  EXPECT_FALSE(recent.GetWxWindow()->IsShown());
  EXPECT_TRUE(backstage->IsBackstageVisible());

  // A disabled command does nothing; an enabled one closes the view and reaches the frame.
  frame->updates[57600] = {0, -1, nullptr};
  Idle();
  EXPECT_FALSE(backstage->ClickItem(0));
  EXPECT_TRUE(backstage->ClickItem(4));
  EXPECT_FALSE(backstage->IsBackstageVisible());
  EXPECT_TRUE(CommandsBecome({57665}));

  // The back control at the top of the column leaves the view, as Esc does; the items sit below it.
  struct Click {
    CPoint pt;
    bool bShownAfter;
  };
  const CRect rcBack = backstage->GetBackRect();
  ASSERT_FALSE(rcBack.IsRectEmpty());
  EXPECT_LE(rcBack.bottom, backstage->GetItemRect(0).top);
  const Click clicks[] = {
      {CPoint(rcBack.right + 60, rcBack.CenterPoint().y), true},  // beside it: nothing
      {rcBack.CenterPoint(), false},
  };
  for (const Click& c : clicks) {
    ASSERT_TRUE(ribbon.ExecuteControl(ribbon.GetSystemButton()) || backstage->IsBackstageVisible());
    if (!backstage->IsBackstageVisible()) ASSERT_TRUE(ribbon.ExecuteControl(ribbon.GetSystemButton()));
    ASSERT_TRUE(backstage->IsBackstageVisible());
    wxWindowList& kids = backstage->GetWxWindow()->GetChildren();
    ASSERT_FALSE(kids.empty());
    wxWindow* column = kids.front();  // the left column, made first
    wxMouseEvent down(wxEVT_LEFT_DOWN);
    down.m_x = c.pt.x;
    down.m_y = c.pt.y;
    down.SetEventObject(column);
    column->ProcessWindowEvent(down);
    EXPECT_EQ(backstage->IsBackstageVisible() != FALSE, c.bShownAfter) << c.pt.x << "," << c.pt.y;
  }
  backstage->ShowBackstage(FALSE);

  // Built again (after a theme change): the pages go back to the frame and stay alive.
  backstage->RemoveAll();
  EXPECT_EQ(backstage->GetItemCount(), 0);
  EXPECT_EQ(recent.GetWxWindow()->GetParent(), frame->GetWxWindow());
  EXPECT_EQ(bars.FindControl(QORP_CONTROL_BUTTON, 57665, TRUE, TRUE), nullptr) << "old commands are hidden";
  backstage.reset();
  EXPECT_TRUE(recent.GetSafeHwnd() != nullptr);
}

}  // namespace

namespace {

TEST_F(RibbonGui, KeyTipsSelectATabThenRunAControl) {
  ribbon.SetKeyTip(Find(57637), L"v");
  ribbon.SetKeyTip(Find(57635), L"X");
  ribbon.SetKeyTip(Find(105), L"1B");  // two letters
  ribbon.SetKeyTip(Find(32875), L"A");
  EXPECT_EQ(ribbon.GetKeyTip(Find(57637)), L"V");
  EXPECT_EQ(ribbon.GetKeyTip(ribbon.GetSystemButton()), L"F");
  EXPECT_EQ(ribbon.GetTabKeyTip(0), L"H");
  EXPECT_EQ(ribbon.GetTabKeyTip(1), L"V");

  // Alt in the frame shows the badges of the File button and the tabs.
  wxKeyEvent alt(wxEVT_CHAR_HOOK);
  alt.m_keyCode = WXK_ALT;
  alt.m_altDown = true;
  alt.SetEventObject(frame->GetWxWindow());
  frame->GetWxWindow()->ProcessWindowEvent(alt);
  ASSERT_TRUE(ribbon.AreKeyTipsShown());
  EXPECT_EQ(ribbon.GetKeyTipBadgeCount(), 3);

  struct Step {
    UINT nKey;
    BOOL bUsed;
    bool bShownAfter;
    int nTabAfter;
  } steps[] = {
      {'Q', FALSE, true, 0},        // nothing has Q
      {'H', TRUE, true, 0},         // into the Home tab: its controls' badges
      {VK_ESCAPE, TRUE, true, 0},   // back to the tabs
      {'v', TRUE, true, 1},         // V is the View tab at this level
      {VK_ESCAPE, TRUE, true, 1},
      {'H', TRUE, true, 0},
      {'1', TRUE, true, 0},         // the start of "1B"
      {'B', TRUE, false, 0},        // Bold runs
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.nKey);
    EXPECT_EQ(ribbon.OnKeyTipKey(s.nKey), s.bUsed);
    EXPECT_EQ(ribbon.AreKeyTipsShown() != FALSE, s.bShownAfter);
    EXPECT_EQ(ribbon.GetSelectedTab(), ribbon.GetTab(s.nTabAfter));
  }
  EXPECT_TRUE(CommandsBecome({105}));

  // A disabled control's letter runs nothing and the badges stay; Esc twice hides them.
  frame->commands.clear();
  frame->updates[57635] = {0, -1, nullptr};
  Idle();
  ribbon.ShowKeyTips(TRUE);
  ribbon.OnKeyTipKey('H');
  EXPECT_EQ(ribbon.GetKeyTipBadgeCount(), 3) << "Paste, Cut and Bold have key tips";
  EXPECT_TRUE(ribbon.OnKeyTipKey('X'));
  EXPECT_TRUE(ribbon.AreKeyTipsShown());
  // Keys typed into the frame reach the key tips: V pastes.
  wxKeyEvent v(wxEVT_CHAR_HOOK);
  v.m_keyCode = 'V';
  v.m_uniChar = L'v';
  v.SetEventObject(frame->GetWxWindow());
  frame->GetWxWindow()->ProcessWindowEvent(v);
  EXPECT_FALSE(ribbon.AreKeyTipsShown());
  EXPECT_EQ(ribbon.GetKeyTipBadgeCount(), 0);
  EXPECT_TRUE(CommandsBecome({57637}));
  ribbon.ShowKeyTips(TRUE);
  EXPECT_TRUE(ribbon.OnKeyTipKey(VK_ESCAPE));
  EXPECT_FALSE(ribbon.AreKeyTipsShown());
  EXPECT_FALSE(ribbon.OnKeyTipKey('H')) << "no badges, no key tips";
}

}  // namespace
