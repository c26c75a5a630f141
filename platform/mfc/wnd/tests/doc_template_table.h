// The single-document template's table, run by two programs: headless (a frame class made
// without a toolkit window, so its views are made the same way) and under Xvfb with real
// windows. Each program includes this once and instantiates DocTemplateTest with its kind of
// frame; PumpEvents is its own.
#pragma once

#include <gtest/gtest.h>

#include <cwchar>
#include <ostream>
#include <string>
#include <vector>

#include <afxwin.h>

#include "TestSupport.h"

namespace doctable {

enum class Frames { headless, windows };
inline void PrintTo(Frames f, std::ostream* os) { *os << (f == Frames::headless ? "headless" : "windows"); }
inline std::string FramesName(const ::testing::TestParamInfo<Frames>& info) {
  return info.param == Frames::headless ? "headless" : "windows";
}

// Lets the toolkit finish what it queued (nothing to do headless).
void PumpEvents();

inline int g_answer = IDCANCEL;  // what the save question gets
inline int g_questions = 0;
inline int g_otherBoxes = 0;
inline int AnswerQuestion(const wchar_t* text, const wchar_t*, UINT) {
  if (std::wcsncmp(text, L"Save changes to ", 16) != 0) {
    ++g_otherBoxes;
    return IDCANCEL;
  }
  ++g_questions;
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

// A view whose window refuses to be created.
class CRefusingView : public CView {
  DECLARE_DYNCREATE(CRefusingView)
 public:
  void OnDraw(CDC*) override {}

 protected:
  afx_msg int OnCreate(LPCREATESTRUCT) { return -1; }
  DECLARE_MESSAGE_MAP()
};
IMPLEMENT_DYNCREATE(CRefusingView, CView)
BEGIN_MESSAGE_MAP(CRefusingView, CView)
  ON_WM_CREATE()
END_MESSAGE_MAP()

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

// The same frame without a toolkit window.
class CHeadlessTwoPaneFrame : public CTwoPaneFrame {
  DECLARE_DYNCREATE(CHeadlessTwoPaneFrame)

 protected:
  BOOL CreatesHeadless() const override { return TRUE; }
};
IMPLEMENT_DYNCREATE(CHeadlessTwoPaneFrame, CTwoPaneFrame)

class CTestApp : public CWinApp {
 public:
  CTestApp() : CWinApp(L"Leafwright Test") {}
};

class DocTemplateTest : public ::testing::TestWithParam<Frames> {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    app = new CTestApp;
    app->SetRegistryKey(L"Norvane");
    app->LoadStdProfileSettings(16);
    frameClass = GetParam() == Frames::headless ? RUNTIME_CLASS(CHeadlessTwoPaneFrame) : RUNTIME_CLASS(CTwoPaneFrame);
    app->AddDocTemplate(new CSingleDocTemplate(128, RUNTIME_CLASS(CTestDoc), frameClass, RUNTIME_CLASS(CMainView)));
    previousHook = lwmfc::GetMessageBoxHook();
    lwmfc::SetMessageBoxHook(&AnswerQuestion);
    g_questions = 0;
    g_otherBoxes = 0;
  }
  void TearDown() override {
    lwmfc::SetMessageBoxHook(previousHook);
    CWnd* frame = app->m_pMainWnd;
    if (frame && frame->m_hWnd) frame->DestroyWindow();  // the template's frame deletes itself
    PumpEvents();
    delete app;  // the template and its document
    EXPECT_EQ(g_otherBoxes, 0);
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
  lwmfc::PFN_MESSAGEBOXHOOK previousHook = nullptr;
  CRuntimeClass* frameClass = nullptr;
};

TEST_P(DocTemplateTest, NewTwiceKeepsTheDocumentAndFrameAndUpdatesEveryView) {
  CTestDoc* doc = New();
  ASSERT_NE(doc, nullptr);
  CTwoPaneFrame* frame = Frame();
  ASSERT_NE(frame, nullptr);
  ASSERT_NE(frame->main, nullptr);
  ASSERT_NE(frame->pane, nullptr);
  const bool headless = GetParam() == Frames::headless;
  EXPECT_EQ(frame->IsHeadless() != FALSE, headless);
  EXPECT_EQ(frame->main->IsHeadless() != FALSE, headless);
  EXPECT_EQ(frame->main->GetParentFrame(), frame);
  EXPECT_EQ(frame->pane->GetParentFrame(), frame);
  EXPECT_TRUE(frame->IsWindowVisible());
  EXPECT_EQ(doc->GetTitle(), L"Untitled");
  EXPECT_EQ(frame->GetActiveView(), frame->main);  // the pane never becomes the routing view
  EXPECT_EQ(frame->main->GetDocument(), doc);
  EXPECT_EQ(frame->pane->GetDocument(), doc);
  EXPECT_EQ(frame->main->initialUpdates, 1);
  EXPECT_EQ(frame->pane->initialUpdates, 1);
  EXPECT_EQ(New(), doc);
  EXPECT_EQ(Frame(), frame);
  EXPECT_EQ(doc->news, 2);
  EXPECT_EQ(frame->main->initialUpdates, 2);
  EXPECT_EQ(frame->pane->initialUpdates, 2);
  EXPECT_EQ(g_questions, 0);
}

TEST_P(DocTemplateTest, NewOnAModifiedDocumentAsksFirst) {
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
    EXPECT_EQ(doc->IsModified() != FALSE, !c.replaced) << c.name;
    EXPECT_EQ(Doc(), doc) << c.name;
  }
}

TEST_P(DocTemplateTest, FailedOpensKeepAnUntouchedDocumentAndBlankADamagedOne) {
  CTestDoc* doc = New();
  ASSERT_NE(app->OpenDocumentFile(L"a.lfw"), nullptr);
  EXPECT_EQ(doc->content, L"a.lfw");
  EXPECT_EQ(doc->GetTitle(), L"a.lfw");

  // Unmodified, then modified: an open that fails early leaves either as it was.
  for (BOOL modified : {FALSE, TRUE}) {
    doc->SetModifiedFlag(modified);
    g_answer = IDNO;
    EXPECT_EQ(app->OpenDocumentFile(L"bad"), nullptr);
    EXPECT_EQ(doc->content, L"a.lfw");
    EXPECT_EQ(doc->GetPathName(), L"a.lfw");
    EXPECT_EQ(doc->IsModified(), modified);
  }
  doc->SetModifiedFlag(FALSE);

  EXPECT_EQ(app->OpenDocumentFile(L"damaged"), nullptr);
  EXPECT_EQ(doc->content, L"");
  EXPECT_EQ(doc->GetPathName(), L"");
  EXPECT_EQ(doc->GetTitle(), L"Untitled");
  EXPECT_FALSE(doc->IsModified());
  EXPECT_EQ(Doc(), doc);
  EXPECT_EQ(Frame()->main->GetDocument(), doc);
}

TEST_P(DocTemplateTest, AFailedFirstOpenLeavesNoFrame) {
  EXPECT_EQ(app->OpenDocumentFile(L"bad"), nullptr);
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  CTestDoc* doc = New();  // the document and a frame are still made later
  ASSERT_NE(doc, nullptr);
  ASSERT_NE(Frame(), nullptr);
  EXPECT_EQ(Frame()->main->initialUpdates, 1);
}

TEST_P(DocTemplateTest, AViewThatCannotBeCreatedFailsTheNewCleanly) {
  CSingleDocTemplate refusing(128, RUNTIME_CLASS(CTestDoc), frameClass, RUNTIME_CLASS(CRefusingView));
  EXPECT_EQ(refusing.OpenDocumentFile(nullptr), nullptr);
  POSITION pos = refusing.GetFirstDocPosition();
  EXPECT_EQ(pos, nullptr);  // the document made for it is gone again
  EXPECT_EQ(app->m_pMainWnd, nullptr);
  PumpEvents();
}

TEST_P(DocTemplateTest, OpeningTheOpenPathOnlyBringsItForward) {
  CTestDoc* doc = New();
  ASSERT_NE(app->OpenDocumentFile(L"a.lfw"), nullptr);
  const int opens = doc->opens;
  const int updates = Frame()->main->initialUpdates;
  EXPECT_EQ(app->OpenDocumentFile(L"a.lfw"), doc);
  EXPECT_EQ(doc->opens, opens);
  EXPECT_EQ(Frame()->main->initialUpdates, updates);
}

TEST_P(DocTemplateTest, RecentFilesRoundTripThroughTheProfile) {
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

TEST_P(DocTemplateTest, ClosingTheFrameAsksToSaveFirst) {
  struct Case {
    int answer;
    bool closed;
  } const cases[] = {{IDCANCEL, false}, {IDNO, true}};
  for (const Case& c : cases) {
    CTestDoc* doc = New();
    ASSERT_NE(doc, nullptr);
    doc->SetModifiedFlag(TRUE);
    CWnd* frame = app->m_pMainWnd;
    ASSERT_NE(frame, nullptr);
    const HWND hFrame = frame->m_hWnd;
    g_answer = c.answer;
    g_questions = 0;
    frame->SendMessage(WM_CLOSE);
    PumpEvents();
    EXPECT_EQ(g_questions, 1) << c.answer;
    EXPECT_EQ(::IsWindow(hFrame) != FALSE, !c.closed) << c.answer;
    EXPECT_EQ(app->m_pMainWnd == nullptr, c.closed) << c.answer;
    EXPECT_EQ(Doc(), doc);  // the document outlives its frame
    if (c.closed) {
      EXPECT_EQ(doc->GetFirstViewPosition(), nullptr);
    } else {
      doc->SetModifiedFlag(FALSE);
    }
  }
}

}  // namespace doctable
