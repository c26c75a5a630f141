// Views under Xvfb: painting through OnPrepareDC and OnDraw, the initial update, and the scroll
// view scrolling by line, page, thumb and wheel with the drawing origin following.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include <cairo.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/window.h>

#include <afxwin.h>

#include "TestSupport.h"

#include "GuiTestHarness.h"

using namespace guitest;

namespace {

using namespace std::chrono;

class CPageView : public CScrollView {
 public:
  CPageView() = default;
  int draws = 0;
  int initialUpdates = 0;
  int updates = 0;
  CPoint drawnOrigin{-1, -1};
  double deviceOfScrollX = -1, deviceOfScrollY = -1;  // where the scroll position's point landed

  void OnDraw(CDC* pDC) override {
    ++draws;
    drawnOrigin = pDC->GetViewportOrg();
    if (auto* cr = static_cast<cairo_t*>(static_cast<CPaintDC*>(pDC)->GetCairo())) {
      double x = GetScrollPosition().x, y = GetScrollPosition().y;
      cairo_user_to_device(cr, &x, &y);
      deviceOfScrollX = x;
      deviceOfScrollY = y;
      cairo_set_source_rgb(cr, 1, 1, 1);
      cairo_paint(cr);
    }
  }
  void OnInitialUpdate() override {
    ++initialUpdates;
    CScrollView::OnInitialUpdate();
  }
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override {
    ++updates;
    CScrollView::OnUpdate(pSender, lHint, pHint);
  }
  using CScrollView::GetMaxScrollPosition;
};

class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new CFrameWnd;
    ASSERT_TRUE(frame->Create(nullptr, L"Views", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 420, 320)));
    view = new CPageView;
    ASSERT_TRUE(view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 300, 200), frame, AFX_IDW_PANE_FIRST));
    ASSERT_TRUE(PumpUntil([&] { return view->GetWxWindow()->IsShownOnScreen(); }));
    view->SetScrollSizes(MM_TEXT, CSize(2000, 3000), CSize(100, 150), CSize(10, 15));
  }
  void TearDown() override {
    if (frame->m_hWnd) frame->DestroyWindow();  // the view deletes itself with its window
    PumpUntil([] { return false; }, 20);
    delete frame;
  }
  CFrameWnd* frame = nullptr;
  CPageView* view = nullptr;
};

TEST_F(ViewTest, ScrollMessagesMoveThePositionWithinTheRange) {
  const CPoint maxPos = view->GetMaxScrollPosition();
  ASSERT_GT(maxPos.x, 700);
  ASSERT_GT(maxPos.y, 500);
  struct Case {
    UINT message;
    UINT code;
    UINT pos;
    long x, y;  // expected position afterwards (-1: the largest)
  } const cases[] = {
      {WM_VSCROLL, SB_LINEDOWN, 0, 0, 15},       {WM_VSCROLL, SB_PAGEDOWN, 0, 0, 165},
      {WM_VSCROLL, SB_LINEUP, 0, 0, 150},        {WM_VSCROLL, SB_THUMBTRACK, 500, 0, 500},
      {WM_VSCROLL, SB_ENDSCROLL, 0, 0, 500},     {WM_VSCROLL, SB_PAGEUP, 0, 0, 350},
      {WM_VSCROLL, SB_TOP, 0, 0, 0},             {WM_VSCROLL, SB_LINEUP, 0, 0, 0},
      {WM_VSCROLL, SB_BOTTOM, 0, 0, -1},         {WM_VSCROLL, SB_LINEDOWN, 0, 0, -1},
      {WM_VSCROLL, SB_THUMBPOSITION, 60000, 0, -1}, {WM_HSCROLL, SB_LINERIGHT, 0, 10, -1},
      {WM_HSCROLL, SB_PAGERIGHT, 0, 110, -1},    {WM_HSCROLL, SB_THUMBTRACK, 700, 700, -1},
      {WM_HSCROLL, SB_LEFT, 0, 0, -1},
  };
  for (const Case& c : cases) {
    view->SendMessage(c.message, MAKEWPARAM(c.code, c.pos), 0);
    const CPoint expected(c.x < 0 ? maxPos.x : c.x, c.y < 0 ? maxPos.y : c.y);
    EXPECT_EQ(view->GetScrollPosition(), expected) << "message " << c.message << " code " << c.code;
    EXPECT_EQ(view->GetDeviceScrollPosition(), expected);
  }
}

TEST_F(ViewTest, ToolkitScrollEventsAndTheWheelScroll) {
  wxWindow* w = view->GetWxWindow();
  wxScrollWinEvent line(wxEVT_SCROLLWIN_LINEDOWN, 0, wxVERTICAL);
  line.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(line);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 15));
  wxScrollWinEvent thumb(wxEVT_SCROLLWIN_THUMBTRACK, 40, wxHORIZONTAL);
  thumb.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(thumb);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 15));
  EXPECT_EQ(w->GetScrollPos(wxHORIZONTAL), 40);
  EXPECT_EQ(w->GetScrollPos(wxVERTICAL), 15);

  // One notch down is three lines; the toolkit's wheel event arrives the same way.
  wxMouseEvent wheel(wxEVT_MOUSEWHEEL);
  wheel.m_wheelRotation = -120;
  wheel.m_wheelDelta = 120;
  wheel.m_wheelAxis = wxMOUSE_WHEEL_VERTICAL;
  wheel.SetEventObject(w);
  w->GetEventHandler()->ProcessEvent(wheel);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 60));
  // Half notches add up; nothing moves until a whole one is there.
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 60));
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 15));
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 240), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(40, 0));
}

TEST_F(ViewTest, PaintingDrawsFromTheScrollPosition) {
  view->ScrollToPosition(CPoint(110, 165));
  view->draws = 0;
  view->Invalidate();
  view->UpdateWindow();
  ASSERT_TRUE(PumpUntil([&] { return view->draws > 0; }));
  EXPECT_EQ(view->drawnOrigin, CPoint(-110, -165));
  // The point at the scroll position is drawn at the window's top left.
  EXPECT_DOUBLE_EQ(view->deviceOfScrollX, 0.0);
  EXPECT_DOUBLE_EQ(view->deviceOfScrollY, 0.0);
}

TEST_F(ViewTest, SmallerSizesKeepThePositionInRange) {
  view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_BOTTOM, 0), 0);
  view->SendMessage(WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
  view->SetScrollSizes(MM_TEXT, CSize(view->GetMaxScrollPosition().x / 2 + 1000, 10));
  EXPECT_LE(view->GetScrollPosition().x, view->GetMaxScrollPosition().x);
  EXPECT_EQ(view->GetScrollPosition().y, 0);
  // Nothing to scroll vertically: the wheel turns to the horizontal direction, and the
  // default line is a hundredth of the total.
  const CPoint before = view->GetScrollPosition();
  view->SendMessage(WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(view->GetScrollPosition().y, 0);
  EXPECT_EQ(view->GetScrollPosition().x, before.x - 3 * (view->GetTotalSize().cx / 100));

  view->SetScrollSizes(MM_TEXT, CSize(10, 10));
  EXPECT_EQ(view->GetMaxScrollPosition(), CPoint(0, 0));
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
  view->SendMessage(WM_VSCROLL, MAKEWPARAM(SB_LINEDOWN, 0), 0);
  EXPECT_EQ(view->GetScrollPosition(), CPoint(0, 0));
}

TEST_F(ViewTest, InitialUpdateMessageReachesTheView) {
  view->SendMessage(WM_INITIALUPDATE);
  EXPECT_EQ(view->initialUpdates, 1);
  EXPECT_EQ(view->updates, 1);  // through the default OnInitialUpdate
}


// ---------------------------------------------------------------------------------------------
// The single-document template with real windows

int g_answer = IDCANCEL;  // what the save question gets
int g_questions = 0;
int AnswerQuestion(const wchar_t* text, const wchar_t*, UINT) {
  ++g_questions;
  if (std::wcsncmp(text, L"Save changes to ", 16) != 0) ++g_unexpectedBoxes;
  return g_answer;
}

class CTestDoc : public CDocument {
  DECLARE_DYNCREATE(CTestDoc)
 public:
  CString content;
  int opens = 0, news = 0, saves = 0;
  BOOL saveResult = TRUE;
  BOOL OnNewDocument() override {
    ++news;
    content.Empty();
    return CDocument::OnNewDocument();
  }
  // "bad" fails before touching anything; "damaged" fails half-way through reading.
  BOOL OnOpenDocument(const wchar_t* path) override {
    ++opens;
    const CString name(path);
    if (name == L"bad") return FALSE;
    DeleteContents();
    SetModifiedFlag();
    if (name == L"damaged") {
      content = L"half";
      return FALSE;
    }
    content = name;
    SetModifiedFlag(FALSE);
    return TRUE;
  }
  BOOL DoFileSave() override {
    ++saves;
    if (saveResult) SetModifiedFlag(FALSE);
    return saveResult;
  }
  void DeleteContents() override { content.Empty(); }
};
IMPLEMENT_DYNCREATE(CTestDoc, CDocument)

class CMainView : public CView {
  DECLARE_DYNCREATE(CMainView)
 public:
  int initialUpdates = 0;
  void OnDraw(CDC*) override {}
  void OnInitialUpdate() override { ++initialUpdates; }
};
IMPLEMENT_DYNCREATE(CMainView, CView)

class CPaneView : public CView {
  DECLARE_DYNCREATE(CPaneView)
 public:
  CPaneView() { m_bActivateOnClick = FALSE; }
  int initialUpdates = 0;
  void OnDraw(CDC*) override {}
  void OnInitialUpdate() override { ++initialUpdates; }
};
IMPLEMENT_DYNCREATE(CPaneView, CView)

// A main view and a side pane, as the program's own frame has.
class CTwoPaneFrame : public CFrameWnd {
  DECLARE_DYNCREATE(CTwoPaneFrame)
 public:
  CMainView* main = nullptr;
  CPaneView* pane = nullptr;
  BOOL OnCreateClient(LPCREATESTRUCT lpcs, CCreateContext* pContext) override {
    if (!CFrameWnd::OnCreateClient(lpcs, pContext)) return FALSE;
    main = dynamic_cast<CMainView*>(GetDlgItem(AFX_IDW_PANE_FIRST));
    CCreateContext paneContext = *pContext;
    paneContext.m_pNewViewClass = RUNTIME_CLASS(CPaneView);
    pane = dynamic_cast<CPaneView*>(CreateView(&paneContext, AFX_IDW_PANE_FIRST + 1));
    return main && pane;
  }
};
IMPLEMENT_DYNCREATE(CTwoPaneFrame, CFrameWnd)

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp(L"Leafwright Test") {}
};

class DocTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    app = new CTestApp;
    app->SetRegistryKey(L"Norvane");
    app->LoadStdProfileSettings(16);
    app->AddDocTemplate(new CSingleDocTemplate(128, RUNTIME_CLASS(CTestDoc), RUNTIME_CLASS(CTwoPaneFrame),
                                               RUNTIME_CLASS(CMainView)));
    lwmfc::SetMessageBoxHook(&AnswerQuestion);
    g_questions = 0;
  }
  void TearDown() override {
    lwmfc::SetMessageBoxHook(&UnexpectedMessageBox);
    CWnd* frame = app->m_pMainWnd;
    if (frame && frame->m_hWnd) frame->DestroyWindow();  // the template's frame deletes itself
    PumpUntil([] { return false; }, 20);
    delete app;  // the template and its document
  }
  CTestDoc* New() {
    app->OnFileNew();
    return Doc();
  }
  CTestDoc* Doc() {
    POSITION pos = app->m_pDocManager->GetFirstDocTemplatePosition();
    CDocTemplate* t = app->m_pDocManager->GetNextDocTemplate(pos);
    POSITION docPos = t->GetFirstDocPosition();
    return dynamic_cast<CTestDoc*>(t->GetNextDoc(docPos));
  }
  CTwoPaneFrame* Frame() { return dynamic_cast<CTwoPaneFrame*>(app->m_pMainWnd); }
  lwtest::TempDir config;
  CTestApp* app = nullptr;
};

TEST_F(DocTest, NewTwiceKeepsTheDocumentAndFrameAndUpdatesEveryView) {
  CTestDoc* doc = New();
  ASSERT_NE(doc, nullptr);
  CTwoPaneFrame* frame = Frame();
  ASSERT_NE(frame, nullptr);
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_EQ(doc->GetTitle(), L"Untitled");
  EXPECT_EQ(frame->GetActiveView(), frame->main);  // the pane never becomes the routing view
  EXPECT_EQ(frame->main->GetDocument(), doc);
  EXPECT_EQ(frame->main->initialUpdates, 1);
  EXPECT_EQ(frame->pane->initialUpdates, 1);
  EXPECT_EQ(New(), doc);
  EXPECT_EQ(Frame(), frame);
  EXPECT_EQ(doc->news, 2);
  EXPECT_EQ(frame->main->initialUpdates, 2);
  EXPECT_EQ(frame->pane->initialUpdates, 2);
  EXPECT_EQ(g_questions, 0);
}

TEST_F(DocTest, NewOnAModifiedDocumentAsksFirst) {
  struct Case {
    const char* name;
    int answer;
    BOOL saveResult;
    bool replaced;  // the new document was made
    int saves;
  } const cases[] = {
      {"yes, saved", IDYES, TRUE, true, 1},
      {"yes, save failed", IDYES, FALSE, false, 1},
      {"no", IDNO, TRUE, true, 0},
      {"cancel", IDCANCEL, TRUE, false, 0},
  };
  CTestDoc* doc = New();
  ASSERT_NE(doc, nullptr);
  for (const Case& c : cases) {
    doc->content = L"work";
    doc->SetModifiedFlag(TRUE);
    doc->saves = 0;
    doc->saveResult = c.saveResult;
    const int newsBefore = doc->news;
    g_answer = c.answer;
    g_questions = 0;
    app->OnFileNew();
    EXPECT_EQ(g_questions, 1) << c.name;
    EXPECT_EQ(doc->saves, c.saves) << c.name;
    EXPECT_EQ(doc->news, newsBefore + (c.replaced ? 1 : 0)) << c.name;
    EXPECT_EQ(doc->content, c.replaced ? L"" : L"work") << c.name;
    EXPECT_EQ(Doc(), doc) << c.name;
  }
}

TEST_F(DocTest, FailedOpensKeepAnUntouchedDocumentAndBlankADamagedOne) {
  CTestDoc* doc = New();
  ASSERT_NE(app->OpenDocumentFile(L"a.lfw"), nullptr);
  EXPECT_EQ(doc->content, L"a.lfw");
  EXPECT_EQ(doc->GetTitle(), L"a.lfw");

  EXPECT_EQ(app->OpenDocumentFile(L"bad"), nullptr);
  EXPECT_EQ(doc->content, L"a.lfw");
  EXPECT_EQ(doc->GetPathName(), L"a.lfw");
  EXPECT_FALSE(doc->IsModified());

  EXPECT_EQ(app->OpenDocumentFile(L"damaged"), nullptr);
  EXPECT_EQ(doc->content, L"");
  EXPECT_EQ(doc->GetPathName(), L"");
  EXPECT_EQ(doc->GetTitle(), L"Untitled");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(Doc(), doc);
}

TEST_F(DocTest, OpeningTheOpenPathOnlyBringsItForward) {
  CTestDoc* doc = New();
  ASSERT_NE(app->OpenDocumentFile(L"a.lfw"), nullptr);
  const int opens = doc->opens;
  EXPECT_EQ(app->OpenDocumentFile(L"a.lfw"), doc);
  EXPECT_EQ(doc->opens, opens);
}

TEST_F(DocTest, RecentFilesRoundTripThroughTheProfile) {
  New();
  for (const wchar_t* name : {L"one.lfw", L"two.lfw", L"one.lfw"}) ASSERT_NE(app->OpenDocumentFile(name), nullptr);
  ASSERT_EQ(app->GetRecentFileCount(), 2);
  EXPECT_EQ(app->GetRecentFile(0), L"one.lfw");
  EXPECT_EQ(app->GetRecentFile(1), L"two.lfw");
  const auto file = config.path() / "Norvane" / "Leafwright Test.ini";
  const std::vector<uint8_t> bytes = lwtest::ReadFileBytes(file);
  const std::string text(bytes.begin(), bytes.end());
  EXPECT_NE(text.find("[Recent File List]"), std::string::npos) << text;
  EXPECT_NE(text.find("File1=one.lfw"), std::string::npos) << text;
  EXPECT_NE(text.find("File2=two.lfw"), std::string::npos) << text;

  app->LoadStdProfileSettings(16);  // read back
  ASSERT_EQ(app->GetRecentFileCount(), 2);
  EXPECT_EQ(app->GetRecentFile(0), L"one.lfw");

  // A recent file that no longer opens leaves the list; the menu's command reaches the app.
  app->AddToRecentFileList(L"bad");
  ASSERT_EQ(app->GetRecentFile(0), L"bad");
  CWnd* frame = app->m_pMainWnd;
  frame->SendMessage(WM_COMMAND, ID_FILE_MRU_FILE1, 0);
  ASSERT_EQ(app->GetRecentFileCount(), 2);
  EXPECT_EQ(app->GetRecentFile(0), L"one.lfw");

  EXPECT_TRUE(app->WriteProfileInt(L"Settings", L"Zoom", 150));
  EXPECT_EQ(app->GetProfileInt(L"Settings", L"Zoom", 100), 150u);
  EXPECT_EQ(app->GetProfileInt(L"Settings", L"Missing", 100), 100u);
  EXPECT_EQ(app->GetProfileString(L"Settings", L"Missing", L"none"), L"none");
}

}  // namespace
