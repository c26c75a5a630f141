// The ribbon's tables without a window: every control of the three tabs, the quick access bar,
// the tab row and the backstage view finds its caption (spelled right), each
// command goes to exactly one part of the program or to none, a command whose handler is still
// to come is disabled until something answers it (and enabled again as soon as something does),
// a command without a handler does nothing when chosen, and "Add Stamp" itself does nothing.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "LeafwrightApp.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "MainFrame.h"
#include "RibbonLayout.h"
#include "ShellIds.h"

namespace {

struct Entry {
  CString description, caption, label;
};
Entry Strings(UINT id) {
  CString s;
  Entry e;
  if (LoadRibbonString(id, s)) QORPSplitCommandString(s, e.description, e.caption, e.label);
  return e;
}

void Walk(const std::vector<RibbonItem>& items, const std::function<void(const RibbonItem&)>& fn) {
  for (const RibbonItem& item : items) {
    fn(item);
    Walk(item.list, fn);
  }
}

TEST(RibbonTables, EveryControlFindsItsCaption) {
  std::vector<RibbonItem> all;
  for (const RibbonTabSpec& tab : RibbonTabs()) {
    EXPECT_FALSE(Strings(tab.id).caption.IsEmpty()) << "tab " << tab.id;
    for (const RibbonGroupSpec& group : tab.groups) {
      EXPECT_FALSE(Strings(group.id).caption.IsEmpty()) << "group " << group.id;
      Walk(group.items, [&](const RibbonItem& item) { all.push_back(item); });
    }
  }
  for (const RibbonItem& item : all) {
    if (item.kind == RibbonKind::Label) {
      EXPECT_EQ(item.id, 0u);
      EXPECT_TRUE(item.text && *item.text) << "a label shows its text";
      continue;
    }
    const Entry e = Strings(item.id);
    EXPECT_FALSE(e.caption.IsEmpty()) << item.id << " has a caption";
    EXPECT_FALSE(e.description.IsEmpty()) << item.id << " has a description";
    // An edit's entry has three fields: the caption, then the label beside it.
    EXPECT_EQ(item.kind == RibbonKind::SpinEdit, !e.label.IsEmpty()) << item.id;
  }
  for (UINT id : RibbonCommandIds()) EXPECT_FALSE(Strings(id).caption.IsEmpty()) << id;
}

TEST(RibbonTables, CaptionsAreSpelledRight) {
  const struct {
    UINT id;
    const wchar_t *caption, *label, *description;
  } cases[] = {
      {ID_FILE_BUTTON, L"&File", nullptr, L"Click here to see everything you can do with PDF document"},
      {ID_GROUP_FONT_OPTION, L"F&ont", nullptr, L"Show the Font dialog box"},
      {ID_TAB_HOME, L"&Home", nullptr, nullptr},
      {ID_GROUP_SPACING, L"Spacing and Shift", nullptr, nullptr},
      {ID_FONT_GROW, L"Increase  the font size", nullptr, nullptr},
      {ID_STROKE_WIDTH, L"Stroke Width", nullptr, nullptr},
      {ID_PAGE_EXTRACT, L"Extract", nullptr, nullptr},
      {ID_PAGE_MOVE_PREVIOUS, L"Move Previous", nullptr, nullptr},
      {ID_HORIZONTAL_SHIFT, L"Horizontal Shift", L"Horizon:", nullptr},
      {ID_LINE_SPACING, L"Line Spacing", L"Line:", nullptr},
      {ID_STAMP_DYNAMIC, L"Dynamic", nullptr, nullptr},
      {ID_STAMP_STANDARD_BUSINESS, L"Standard Business", nullptr, nullptr},
      {ID_APP_OPTIONS, L"Op&tions", nullptr, nullptr},
      {IDS_TAB_PRINT, L"&Print", nullptr, nullptr},
      {ID_CUSTOM_STROKE_WIDTH, L"Custom width...", nullptr, nullptr},
      {32871, L"16.7%", nullptr, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const Entry e = Strings(c.id);
    EXPECT_EQ(e.caption, c.caption);
    if (c.label) EXPECT_EQ(e.label, c.label);
    if (c.description) EXPECT_EQ(e.description, c.description);
  }
  // The labels of the Spacing group and of the Rounded Rectangle list.
  std::vector<std::wstring> labels;
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups)
      Walk(group.items, [&](const RibbonItem& item) {
        if (item.kind == RibbonKind::Label) labels.emplace_back(item.text);
      });
  EXPECT_EQ(labels, (std::vector<std::wstring>{L"Spacing", L"Shift", L"Dynamic", L"Sign Here", L"Standard Business",
                                                L"Roundness:"}));
  // The first filter of File Open.
  EXPECT_EQ(std::wstring(kOpenFileFilter).substr(0, 22), L"All Supported Formats|");
  // Messages of the string table.
  const struct {
    UINT id;
    const wchar_t* text;
  } messages[] = {
      {IDS_DELETE_SELECTED, L"Are you sure you want to delete the selected objects?"},
      {IDS_PASTE_FAILED, L"The objects on the clipboard could not be pasted."},
  };
  for (const auto& m : messages) {
    CString text;
    EXPECT_TRUE(text.LoadString(m.id)) << m.id;
    EXPECT_EQ(text, m.text) << m.id;
  }
}

// The groups of each tab with their top-level controls: kind letter and id, a list in brackets.
std::string Describe(const std::vector<RibbonItem>& items) {
  std::string out;
  for (const RibbonItem& item : items) {
    static const char* kinds = "BSDMCPELXGR";  // Button, Split, DropDown, Menu, Colour, comboPick, Edit, Label, checkboX, Gallery, scRoll
    out += kinds[static_cast<int>(item.kind)];
    out += std::to_string(item.id);
    if (!item.list.empty()) out += "[" + Describe(item.list) + "]";
    out += " ";
  }
  return out;
}

TEST(RibbonTables, TabsHoldTheirGroupsInOrder) {
  std::map<UINT, std::vector<UINT>> groups;
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups) groups[tab.id].push_back(group.id);
  EXPECT_EQ(groups[ID_TAB_HOME], (std::vector<UINT>{314, 112, 315, 126, 113, 114, 115}));
  EXPECT_EQ(groups[ID_TAB_EDIT], (std::vector<UINT>{118, 119, 343, 135, 344}));
  EXPECT_EQ(groups[ID_TAB_VIEW], (std::vector<UINT>{346, 347}));
  std::map<UINT, std::string> layout;
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups) layout[group.id] = Describe(group.items);
  EXPECT_EQ(layout[314], "S57637[B57637 B57639 ] B57635 B57634 B57632 ");
  EXPECT_EQ(layout[113], "C32777[B9948 G32791 B32908 ] D32779[G32779 B32780 ] X32778 ");
  EXPECT_EQ(layout[114],
            "C32783[B9948 G32883 B32909 ] D32784[G32784 B32785 ] D32786[G32786 ] D32788[G32788 B32789 ] X32787 ");
  EXPECT_EQ(layout[135], "B32890 S32891[L0 R1003 ] B32892 B32893 B32894 B32896 ");
  EXPECT_EQ(layout[119], "B32775 B32776 B32836 M32842[L0 G32900 L0 G32904 L0 G32907 ] B32843 S32846[B32846 B32848 B32850 ] ");
  EXPECT_EQ(layout[347], "X59393 X32876 X32877 ");
  // Sizes and key tips the group layouts fix.
  std::map<UINT, const RibbonItem*> byId;
  for (const RibbonTabSpec& tab : RibbonTabs())
    for (const RibbonGroupSpec& group : tab.groups)
      Walk(group.items, [&](const RibbonItem& item) {
        if (!byId.count(item.id)) byId[item.id] = &item;
      });
  EXPECT_EQ(byId.at(ID_FONT_FACE)->width, 158);
  EXPECT_EQ(byId.at(ID_FONT_SIZE)->width, 66);  // wide enough for "11.95"
  for (UINT id : {ID_LINE_SPACING, ID_CHARACTER_SPACING, ID_BASELINE_SHIFT, ID_HORIZONTAL_SHIFT})
    EXPECT_EQ(byId.at(id)->width, 153) << id;
  EXPECT_EQ(byId.at(ID_ROUNDNESS)->width, 200);
  EXPECT_EQ(byId.at(ID_ROUNDNESS)->pos, 50);
  EXPECT_STREQ(byId.at(ID_EDIT_PASTE)->keyTip, L"V");
  EXPECT_STREQ(byId.at(ID_EDIT_CUT)->keyTip, L"X");
  EXPECT_EQ(RibbonQuickAccess(), (std::vector<UINT>{57600, 57601, 57604, 32911, 32914, 57643, 57644}));
  EXPECT_EQ(BackstageCommandsBeforeTabs(), (std::vector<UINT>{57600, 57601, 57603, 57604, 32911, 32914}));
  EXPECT_EQ(BackstageCommandsAfterTabs(), (std::vector<UINT>{32878, 57665}));
}

// A command handler found in one class's own message map (no routing onward).
bool Answers(CCmdTarget& target, UINT id) {
  AFX_CMDHANDLERINFO info{nullptr, nullptr};
  return target.CCmdTarget::OnCmdMsg(id, static_cast<int>(CN_COMMAND), nullptr, &info) ||
         target.CCmdTarget::OnCmdMsg(id, MAKELONG(QORP_CN_EXECUTE, WM_NOTIFY), nullptr, &info);
}

TEST(RibbonRouting, EachCommandGoesToOnePlaceOrToNone) {
  std::set<UINT> routed;
  for (const CommandRoute& r : RibbonCommandRoutes()) EXPECT_TRUE(routed.insert(r.id).second) << r.id << " routed twice";
  for (UINT id : RibbonCommandIds()) EXPECT_TRUE(routed.count(id)) << id << " has no route";

  CMainFrame frame;
  CLeafwrightDoc doc;
  CLeafwrightView view;
  auto app = std::make_unique<CLeafwrightApp>();
  const std::map<CommandTarget, CCmdTarget*> targets = {
      {CommandTarget::Frame, &frame}, {CommandTarget::App, app.get()}, {CommandTarget::Document, &doc}, {CommandTarget::View, &view}};
  for (const CommandRoute& r : RibbonCommandRoutes()) {
    SCOPED_TRACE(r.id);
    // Only its target answers it, and only once its handler is written (Undo and Redo: the view
    // takes them first while a text is edited, the document otherwise).
    const bool bViewFirst = r.id == ID_EDIT_UNDO || r.id == ID_EDIT_REDO;
    for (const auto& [target, p] : targets)
      EXPECT_EQ(Answers(*p, r.id), (target == r.target || (bViewFirst && target == CommandTarget::View)) && !r.awaiting)
          << "target " << static_cast<int>(target) << (r.awaiting ? " (awaiting its handler)" : "");
    if (r.target == CommandTarget::NoHandler) EXPECT_EQ(r.awaiting, nullptr);
  }
  // The application gone, nothing reaches it any more (the screen resolution of the stroke
  // widths is read through it).
  app.reset();
  EXPECT_EQ(GetLeafwrightApp(), nullptr);
}

// An update pass's record of what the handlers asked.
struct RecordingCmdUI : CCmdUI {
  explicit RecordingCmdUI(UINT id) { m_nID = id; }
  int enabled = -1;
  void Enable(BOOL bOn) override { enabled = bOn ? 1 : 0; }
};

// A frame whose view answers one of the page commands of the Reverse Order list.
class CFrameWithReverseAll : public CMainFrame {
 public:
  void OnReverseAll() { ++calls; }
  int calls = 0;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CFrameWithReverseAll, CMainFrame)
  ON_COMMAND(ID_PAGE_REVERSE_ALL, &CFrameWithReverseAll::OnReverseAll)
END_MESSAGE_MAP()

TEST(RibbonRouting, CommandsWithoutAHandlerShowDisabledAndDoNothing) {
  CMainFrame frame;
  const struct {
    UINT id;
    int enabled;  // what the frame's update rule leaves: -1 nothing said, 0 disabled
  } cases[] = {
      {ID_GROUP_FONT_OPTION, 0},  // the view's, to come
      {ID_FONT_BOLD, -1}, {ID_FILL_COLOR, -1}, {ID_GROUPING, -1},  // the view's own rules decide
      {ID_FONT_FACE, -1}, {ID_FONT_SIZE, -1}, {ID_CHARACTER_SPACING, -1}, {ID_HORIZONTAL_SHIFT, -1}, {ID_MORE_FILL_COLORS, -1},
      {ID_PAGE_REVERSE, 0},  // a list of page commands: none is answered without a document
      {ID_PAGE_CROP, 0},  {ID_VIEW_BOOKMARK, 0}, {ID_APP_OPTIONS, 0}, {ID_EDIT_PASTE_SPECIAL, 0},  // no handler
      {ID_HELP_CMD, 0},   {ID_CONTEXT_HELP_CMD, 0}, {ID_NEXT_PANE_CMD, 0}, {ID_PREV_PANE_CMD, 0},  // keys
      {ID_HELP_FINDER_CMD, 0}, {ID_DEFAULT_HELP_CMD, 0}, {ID_FILE_PRINT_SETUP_CMD, 0},
      {ID_ADD_STAMP, -1},  // answered by the frame (it does nothing itself)
      {ID_GOTO_NEXT_PAGE, -1},  // not a ribbon command: left to the routing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    RecordingCmdUI ui(c.id);
    frame.OnCmdMsg(c.id, static_cast<int>(CN_UPDATE_COMMAND_UI), &ui, nullptr);
    EXPECT_EQ(ui.enabled, c.enabled);
    // Chosen anyway, nothing carries it out (except the frame's do-nothing "Add Stamp").
    EXPECT_EQ(frame.OnCmdMsg(c.id, static_cast<int>(CN_COMMAND), nullptr, nullptr) != FALSE, c.id == ID_ADD_STAMP);
  }
  // Once something answers a command of the list, the drop-down is no longer held disabled.
  CFrameWithReverseAll answered;
  RecordingCmdUI ui(ID_PAGE_REVERSE);
  EXPECT_FALSE(answered.OnCmdMsg(ID_PAGE_REVERSE, static_cast<int>(CN_UPDATE_COMMAND_UI), &ui, nullptr));
  EXPECT_EQ(ui.enabled, -1);
  RecordingCmdUI all(ID_PAGE_REVERSE_ALL);
  answered.OnCmdMsg(ID_PAGE_REVERSE_ALL, static_cast<int>(CN_UPDATE_COMMAND_UI), &all, nullptr);
  EXPECT_EQ(all.enabled, -1) << "a command with a handler is left to its own rule";
  EXPECT_TRUE(answered.OnCmdMsg(ID_PAGE_REVERSE_ALL, static_cast<int>(CN_COMMAND), nullptr, nullptr));
  EXPECT_EQ(answered.calls, 1);
}

}  // namespace
