// Command routing with windowless frame, view, document, template and application objects,
// the enabled test of commands, the active-view rule and the update-handler rules.
#include <gtest/gtest.h>

#include <afxwin.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

enum : UINT {
  ID_VIEW_DOC_APP = 1,
  ID_DOC_ONLY = 2,
  ID_TEMPLATE_FRAME = 3,
  ID_FRAME_ONLY = 4,
  ID_APP_ONLY = 5,
  ID_NOBODY = 6,
  ID_DOC_DISABLED = 7,    // doc handles it, doc's update handler disables it
  ID_CHECK_ROUTED = 8,    // view checks and continues routing, doc disables
  ID_TEXT = 9,            // frame sets a text, app handles the command
};

#define LOGGING_HANDLER(who) \
  void OnAny(UINT nID) { g_calls.push_back(std::string(who) + ":" + std::to_string(nID)); }

class CTestApp : public CWinApp {
 public:
  LOGGING_HANDLER("app")
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
  ON_COMMAND_RANGE(ID_VIEW_DOC_APP, ID_VIEW_DOC_APP, &CTestApp::OnAny)
  ON_COMMAND_RANGE(ID_APP_ONLY, ID_APP_ONLY, &CTestApp::OnAny)
  ON_COMMAND_RANGE(ID_TEXT, ID_TEXT, &CTestApp::OnAny)
END_MESSAGE_MAP()

class CTestTemplate : public CDocTemplate {
 public:
  LOGGING_HANDLER("template")
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestTemplate, CDocTemplate)
  ON_COMMAND_RANGE(ID_TEMPLATE_FRAME, ID_TEMPLATE_FRAME, &CTestTemplate::OnAny)
END_MESSAGE_MAP()

class CTestDoc : public CDocument {
 public:
  LOGGING_HANDLER("doc")
  void OnUpdateDisable(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestDoc, CDocument)
  ON_COMMAND_RANGE(ID_VIEW_DOC_APP, ID_DOC_ONLY, &CTestDoc::OnAny)
  ON_COMMAND_RANGE(ID_DOC_DISABLED, ID_CHECK_ROUTED, &CTestDoc::OnAny)
  ON_UPDATE_COMMAND_UI(ID_DOC_DISABLED, &CTestDoc::OnUpdateDisable)
  ON_UPDATE_COMMAND_UI(ID_CHECK_ROUTED, &CTestDoc::OnUpdateDisable)
END_MESSAGE_MAP()

class CTestView : public CView {
 public:
  explicit CTestView(const char* name) : m_name(name) {}
  void OnDraw(CDC*) override {}
  void OnUpdate(CView*, LPARAM lHint, CObject*) override { hints.push_back(lHint); }
  void OnAny(UINT nID) { g_calls.push_back(m_name + ":" + std::to_string(nID)); }
  void OnUpdateCheckRouted(CCmdUI* pCmdUI) {
    pCmdUI->SetCheck(1);
    pCmdUI->ContinueRouting();
  }
  std::string m_name;
  std::vector<LPARAM> hints;
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestView, CView)
  ON_COMMAND_RANGE(ID_VIEW_DOC_APP, ID_VIEW_DOC_APP, &CTestView::OnAny)
  ON_UPDATE_COMMAND_UI(ID_CHECK_ROUTED, &CTestView::OnUpdateCheckRouted)
END_MESSAGE_MAP()

class CTestFrame : public CFrameWnd {
 public:
  LOGGING_HANDLER("frame")
  void OnUpdateText(CCmdUI* pCmdUI) { pCmdUI->SetText(L"Undo Edit Text"); }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CTestFrame, CFrameWnd)
  ON_COMMAND_RANGE(ID_TEMPLATE_FRAME, ID_FRAME_ONLY, &CTestFrame::OnAny)
  ON_UPDATE_COMMAND_UI(ID_TEXT, &CTestFrame::OnUpdateText)
END_MESSAGE_MAP()

struct Objects {
  CTestApp app;
  CTestTemplate tmpl;
  CTestDoc* doc = new CTestDoc;
  CTestView view{"view"};
  CTestView pane{"pane"};
  CTestFrame frame;
  Objects() {
    doc->m_pDocTemplate = &tmpl;
    doc->m_bAutoDelete = FALSE;
    doc->AddView(&view);
    doc->AddView(&pane);
    pane.m_bActivateOnClick = FALSE;
    frame.SetActiveView(&view);
    app.m_pMainWnd = &frame;
  }
  ~Objects() {
    doc->RemoveView(&view);
    doc->RemoveView(&pane);
    delete doc;
  }
};

TEST(Routing, FirstTargetInSingleDocumentOrderHandlesTheCommand) {
  struct Case {
    UINT id;
    BOOL handled;
    const char* who;
  };
  const Case cases[] = {
      {ID_VIEW_DOC_APP, TRUE, "view:1"},   {ID_DOC_ONLY, TRUE, "doc:2"},  {ID_TEMPLATE_FRAME, TRUE, "template:3"},
      {ID_FRAME_ONLY, TRUE, "frame:4"},    {ID_APP_ONLY, TRUE, "app:5"},  {ID_NOBODY, FALSE, ""},
  };
  Objects s;
  for (const Case& c : cases) {
    g_calls.clear();
    EXPECT_EQ(s.frame.OnCmdMsg(c.id, CN_COMMAND, nullptr, nullptr), c.handled) << c.id;
    EXPECT_EQ(g_calls.empty() ? std::string() : g_calls[0], c.who) << c.id;
    EXPECT_LE(g_calls.size(), 1u);
  }
  // Without an active view the document is not reached from the frame.
  s.frame.SetActiveView(nullptr);
  g_calls.clear();
  EXPECT_FALSE(s.frame.OnCmdMsg(ID_DOC_ONLY, CN_COMMAND, nullptr, nullptr));
  EXPECT_EQ(s.frame.GetActiveDocument(), nullptr);
}

TEST(Routing, CommandWhoseUpdateHandlerDisablesItIsRefused) {
  Objects s;
  struct Case {
    UINT id;
    LPARAM lParam;  // 0: menu, accelerator or toolkit command; else a control's handle
    size_t calls;
  };
  const Case cases[] = {
      {ID_DOC_DISABLED, 0, 0},  // refused
      {ID_CHECK_ROUTED, 0, 0},  // a later target of the routing disables it: refused too
      {ID_DOC_ONLY, 0, 1},      // no update handler: runs
      {ID_TEXT, 0, 1},          // update handler that does not call Enable: runs
  };
  for (const Case& c : cases) {
    g_calls.clear();
    s.frame.OnCommand(MAKEWPARAM(c.id, 0), c.lParam);
    EXPECT_EQ(g_calls.size(), c.calls) << c.id;
  }
  // Through the window procedure too (WM_COMMAND, accelerator code 1).
  g_calls.clear();
  s.frame.WindowProc(WM_COMMAND, MAKEWPARAM(ID_DOC_DISABLED, 1), 0);
  EXPECT_TRUE(g_calls.empty());
  s.frame.WindowProc(WM_COMMAND, MAKEWPARAM(ID_FRAME_ONLY, 1), 0);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0], "frame:4");
}

TEST(Routing, ViewThatMayNotActivateNeverBecomesTheRoutingView) {
  Objects s;
  s.frame.SetActiveView(&s.pane);
  EXPECT_EQ(s.frame.GetActiveView(), &s.view);
  g_calls.clear();
  s.frame.OnCmdMsg(ID_VIEW_DOC_APP, CN_COMMAND, nullptr, nullptr);
  ASSERT_EQ(g_calls.size(), 1u);
  EXPECT_EQ(g_calls[0], "view:1");
  EXPECT_EQ(s.frame.GetActiveDocument(), s.doc);
}

TEST(Routing, DocumentTellsItsViewsThroughTheHooks) {
  Objects s;
  EXPECT_EQ(s.view.GetDocument(), s.doc);
  s.doc->UpdateAllViews(&s.pane, 3);
  EXPECT_EQ(s.view.hints, std::vector<LPARAM>{3});
  EXPECT_TRUE(s.pane.hints.empty());
  s.doc->RemoveView(&s.pane);
  EXPECT_EQ(s.pane.GetDocument(), nullptr);
}

TEST(UpdateHandlers, RulesOfTheUpdatePass) {
  struct Case {
    UINT id;
    BOOL disableIfNoHandler;
    BOOL enableChanged;
    BOOL enabled;  // when changed
    int check;
    const wchar_t* text;
  };
  const Case cases[] = {
      {ID_DOC_DISABLED, TRUE, TRUE, FALSE, -1, nullptr},   // handler disables
      {ID_DOC_ONLY, TRUE, TRUE, TRUE, -1, nullptr},        // command handler only: enabled
      {ID_NOBODY, TRUE, TRUE, FALSE, -1, nullptr},         // nothing anywhere: disabled
      {ID_NOBODY, FALSE, FALSE, FALSE, -1, nullptr},       // ...unless asked not to touch it
      {ID_CHECK_ROUTED, TRUE, TRUE, FALSE, 1, nullptr},    // view checks and routes on, doc disables
      {ID_TEXT, TRUE, TRUE, TRUE, -1, L"Undo Edit Text"},  // frame sets text, app's handler enables
      {ID_APP_ONLY, TRUE, TRUE, TRUE, -1, nullptr},        // the application is part of the routing
  };
  Objects s;
  for (const Case& c : cases) {
    CCmdUI ui;
    ui.m_nID = c.id;
    g_calls.clear();
    ui.DoUpdate(&s.frame, c.disableIfNoHandler);
    EXPECT_TRUE(g_calls.empty()) << "an update pass runs no command";
    EXPECT_EQ(ui.m_bEnableChanged, c.enableChanged) << c.id;
    if (c.enableChanged) {
      EXPECT_EQ(ui.m_bEnabled, c.enabled) << c.id;
    }
    EXPECT_EQ(ui.m_nCheck, c.check) << c.id;
    EXPECT_EQ(ui.m_bTextChanged, c.text != nullptr) << c.id;
    if (c.text) {
      EXPECT_STREQ(static_cast<const wchar_t*>(ui.m_strText), c.text);
    }
  }
}

TEST(UpdateHandlers, IdleRunsTheMainFrameUpdatePasses) {
  Objects s;
  int runs = 0;
  auto pass = [](CFrameWnd* pFrame, void* ctx) {
    CCmdUI ui;
    ui.m_nID = ID_DOC_DISABLED;
    ui.DoUpdate(pFrame, TRUE);
    if (!ui.m_bEnabled) ++*static_cast<int*>(ctx);
  };
  s.frame.AddUpdatePass(pass, &runs);
  s.frame.AddUpdatePass(pass, &runs);  // once only
  s.app.OnIdle(0);
  EXPECT_EQ(runs, 1);
  s.app.OnIdle(1);  // later idle calls do no update pass
  EXPECT_EQ(runs, 1);
  s.frame.RemoveUpdatePass(pass, &runs);
  s.app.OnIdle(0);
  EXPECT_EQ(runs, 1);
}

}  // namespace

namespace {

TEST(PopupMenus, UpdateHandlersSetTheItemsBeforeTheMenuShows) {
  Objects s;
  g_calls.clear();
  CMenu menu;
  ASSERT_TRUE(menu.CreatePopupMenu());
  menu.AppendMenu(MF_STRING, ID_DOC_DISABLED, L"Delete Pages");
  menu.AppendMenu(MF_STRING | MF_GRAYED, ID_DOC_ONLY, L"New Page");
  menu.AppendMenu(MF_SEPARATOR);
  menu.AppendMenu(MF_STRING, ID_NOBODY, L"Nothing");
  menu.AppendMenu(MF_STRING, ID_CHECK_ROUTED, L"Thumbnails");
  menu.AppendMenu(MF_STRING, ID_TEXT, L"Undo");
  s.frame.OnInitMenuPopup(&menu, 0, FALSE);
  struct Case {
    UINT id;
    UINT state;
  };
  const Case cases[] = {
      {ID_DOC_DISABLED, MF_GRAYED},
      {ID_DOC_ONLY, MF_ENABLED},  // a handler exists: the grayed item comes alive
      {ID_NOBODY, MF_GRAYED},
      {ID_CHECK_ROUTED, MF_GRAYED | MF_CHECKED},
      {ID_TEXT, MF_ENABLED},
  };
  for (const Case& c : cases) EXPECT_EQ(menu.GetMenuState(c.id, MF_BYCOMMAND), c.state) << c.id;
  CString text;
  menu.GetMenuString(5, text, MF_BYPOSITION);
  EXPECT_STREQ(static_cast<const wchar_t*>(text), L"Undo Edit Text");
  EXPECT_EQ(menu.GetMenuItemID(2), 0u);
  EXPECT_EQ(menu.GetMenuItemID(6), static_cast<UINT>(-1));
  EXPECT_EQ(menu.GetMenuState(99, MF_BYCOMMAND), static_cast<UINT>(-1));
  EXPECT_EQ(menu.CheckMenuItem(ID_CHECK_ROUTED, MF_UNCHECKED), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(menu.GetMenuState(ID_CHECK_ROUTED, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
  EXPECT_TRUE(g_calls.empty());
}

}  // namespace
