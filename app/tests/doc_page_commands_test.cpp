// The page commands of the document with a fake thumbnail list and a fake editing view: the
// resulting page order of each command, undo restoring it and redo repeating it, the enable
// rules, the delete question, and going to a page that is still in its file.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include <quirebook/PageActions.h>

#include "DocTestKit.h"
#include "LeafwrightDoc.h"
#include "PageBusiPage.h"

using namespace doctest;

namespace {

// The editing view: shows the page that hints 3 and 4 name.
class FakeEditingView : public CView, public IPageEditingView {
 public:
  CDrawingPage* shown = nullptr;
  CDrawingPage* GetShownPage() const override { return shown; }
  void OnDraw(CDC*) override {}
};

class FakePagesList : public CView, public IPagesSelectionList {
 public:
  std::vector<CDrawingPage*> selection;
  std::vector<int> redrawn;
  int GetSelectedCount() const override { return static_cast<int>(selection.size()); }
  CDrawingPage* GetSelectedPage(int i) const override { return selection[static_cast<size_t>(i)]; }
  void ClearSelection() override { selection.clear(); }
  void AddSelectedPage(CDrawingPage* page) override {
    for (CDrawingPage* p : selection)
      if (p == page) return;
    selection.push_back(page);
  }
  void RedrawPageRow(int index) override { redrawn.push_back(index); }
  void OnDraw(CDC*) override {}
};

struct Hint {
  LPARAM hint;
  CObject* page;
};
std::vector<Hint> g_hints;
int g_answer = IDYES;
int g_questions = 0;

void RouteUpdate(CView* view, CView*, LPARAM hint, CObject* page) {
  if (auto* editing = dynamic_cast<FakeEditingView*>(view)) {
    g_hints.push_back({hint, page});
    if ((hint == 3 || hint == 4) && page)
      editing->shown = static_cast<CDrawingPage*>(Vectorloom::CWorkspaceDoc::HintPage(page));
  }
}
int Answer(const wchar_t*, UINT) {
  ++g_questions;
  return g_answer;
}

// Routes view updates and the delete question to the fakes for one test.
struct HooksScope {
  CDocumentHooks saved = CDocument::Hooks();
  HooksScope() {
    CDocument::Hooks().pfnUpdateView = RouteUpdate;
    CDocument::Hooks().pfnMessageBox = Answer;
    g_hints.clear();
    g_answer = IDYES;
    g_questions = 0;
  }
  ~HooksScope() { CDocument::Hooks() = saved; }
};

// A document of n loaded pages whose widths are their 1-based numbers (the page's name), shown
// by the fake views; `current` and `selected` are 1-based.
struct Pages {
  HooksScope hooks;
  AppStateScope app;
  CLeafwrightDoc doc;
  FakeEditingView view;
  FakePagesList list;
  std::set<CDrawingPage*> original;

  Pages(int n, int current, std::vector<int> selected, bool withList = true) {
    for (int i = 0; i < n; ++i) {
      auto* p = new CPageBusiPage;
      p->SetLogWidth(static_cast<float>(i + 1));
      p->SetPageContentLoaded(1);
      doc.GetRenderPagesArray().AddPage(p);
    }
    doc.AddView(&view);
    if (withList) doc.AddView(&list);
    view.shown = doc.GetDrawingPage(current - 1);
    for (int s : selected) list.selection.push_back(doc.GetDrawingPage(s - 1));
    doc.SetModifiedFlag(FALSE);
    for (int i = 0; i < doc.GetPagesCount(); ++i) original.insert(doc.GetDrawingPage(i));
  }
  ~Pages() {
    list.selection.clear();
    doc.RemoveView(&list);
    doc.RemoveView(&view);
  }
  // The order as page names; a page that was not there at the start is named k'.
  std::string Order() const {
    std::string s;
    for (int i = 0; i < doc.GetPagesCount(); ++i) {
      CDrawingPage* p = doc.GetDrawingPage(i);
      if (!s.empty()) s += ",";
      s += std::to_string(static_cast<int>(p->GetLogWidth()));
      if (original.count(p) == 0) s += "'";
    }
    return s;
  }
  std::string Selection() const {
    std::string s;
    for (CDrawingPage* p : list.selection) {
      if (!s.empty()) s += ",";
      s += std::to_string(doc.GetRenderPagesArray().IndexOf(p) + 1);
    }
    return s;
  }
};

TEST(PageCommandsTest, EachCommandGivesItsOrderUndoRestoresAndRedoRepeats) {
  struct Case {
    const char* what;
    int pages, current;
    std::vector<int> selected;
    void (CLeafwrightDoc::*command)();
    const char* after;
    const char* undoText;
  } cases[] = {
      {"duplicate 2 and 4", 5, 1, {2, 4}, &CLeafwrightDoc::OnDuplicatePages, "1,2,2',3,4,4',5", "Undo Duplicate Pages"},
      {"duplicate the current page", 3, 2, {}, &CLeafwrightDoc::OnDuplicatePages, "1,2,2',3", "Undo Duplicate Pages"},
      {"reverse selected 1,3,4", 5, 1, {1, 3, 4}, &CLeafwrightDoc::OnReverseSelectedPages, "4,2,3,1,5", "Undo Reverse Order"},
      {"move previously 2,3", 4, 1, {2, 3}, &CLeafwrightDoc::OnMovePreviously, "2,3,1,4", "Undo Move Page Previously"},
      {"move to first 3,6", 6, 1, {3, 6}, &CLeafwrightDoc::OnMoveToFirst, "3,1,2,6,4,5", "Undo Move to First"},
      {"move to last 1,3", 5, 1, {1, 3}, &CLeafwrightDoc::OnMoveToLast, "2,4,1,5,3", "Undo Move to Last"},
      {"move next 2", 4, 1, {2}, &CLeafwrightDoc::OnMoveNext, "1,3,2,4", "Undo Move Next"},
      {"reverse all", 4, 1, {}, &CLeafwrightDoc::OnReverseAllPages, "4,3,2,1", "Undo Reverse Order"},
      {"delete 2 and 3", 4, 1, {2, 3}, &CLeafwrightDoc::OnDeletePages, "1,4", "Undo Delete Pages"},
      {"new page after the current", 3, 2, {}, &CLeafwrightDoc::OnNewPage, "1,2,2',3", "Undo New Page"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Pages w(c.pages, c.current, c.selected);
    CLeafwrightDoc& doc = w.doc;
    const std::string before = w.Order();
    (doc.*c.command)();
    const std::string after = w.Order();
    // The new page is a blank page of the current page's size: it is named after its width.
    EXPECT_EQ(after, c.after);
    EXPECT_TRUE(doc.IsModified());
    ASSERT_EQ(doc.GetUndoCount(), 1);
    EXPECT_EQ(std::wstring(doc.GetUndoMenuText().GetString()), std::wstring(CString(c.undoText).GetString()));
    doc.OnEditUndo();
    EXPECT_EQ(w.Order(), before);
    doc.OnEditRedo();
    EXPECT_EQ(w.Order(), after);
  }
}

TEST(PageCommandsTest, DuplicateSelectsTheCopiesAndShowsTheLast) {
  Pages w(5, 1, {4, 2});
  CLeafwrightDoc& doc = w.doc;
  doc.OnDuplicatePages();
  EXPECT_EQ(w.Order(), "1,2,2',3,4,4',5");
  // In the order of the old selection: the copy of 4, then the copy of 2.
  EXPECT_EQ(w.Selection(), "6,3");
  ASSERT_FALSE(g_hints.empty());
  EXPECT_EQ(g_hints.back().hint, 3);
  EXPECT_EQ(Vectorloom::CWorkspaceDoc::HintPage(g_hints.back().page), doc.GetDrawingPage(2));
}

TEST(PageCommandsTest, DeletingTheLastPagesShowsTheNewLastPageAfterAsking) {
  Pages w(5, 5, {4, 5});
  CLeafwrightDoc& doc = w.doc;
  g_answer = IDNO;
  doc.OnDeletePages();
  EXPECT_EQ(g_questions, 1);
  EXPECT_EQ(doc.GetPagesCount(), 5);
  g_answer = IDYES;
  doc.OnDeletePages();
  EXPECT_EQ(w.Order(), "1,2,3");
  EXPECT_EQ(w.view.shown, doc.GetDrawingPage(2));
  EXPECT_EQ(g_hints.back().hint, 3);
}

TEST(PageCommandsTest, DeleteWithEveryPageSelectedOrNothingSelectedChangesNothing) {
  for (std::vector<int> selected : {std::vector<int>{1, 2, 3}, std::vector<int>{}}) {
    Pages w(3, 1, selected);
    CLeafwrightDoc& doc = w.doc;
    EXPECT_FALSE(doc.IsPageCommandEnabled(ID_PAGES_DELETE));
    // Run anyway (a key, a script): no action on the undo list, no page gone.
    doc.OnDeletePages();
    EXPECT_EQ(g_questions, 0);  // nothing to ask about
    EXPECT_EQ(doc.GetPagesCount(), 3);
    EXPECT_EQ(doc.GetUndoCount(), 0);
    EXPECT_FALSE(doc.IsModified());
  }
}

TEST(PageCommandsTest, EnableRules) {
  struct Case {
    int pages, current;
    std::vector<int> selected;
    bool withList;
    UINT id;
    bool enabled;
  } cases[] = {
      {5, 1, {1, 2, 3, 4, 5}, true, ID_PAGES_DELETE, false},
      {5, 1, {1, 2}, true, ID_PAGES_DELETE, true},
      {5, 1, {2}, false, ID_PAGES_DELETE, false},
      {5, 1, {5}, true, ID_PAGES_MOVE_NEXT, false},
      {5, 1, {5}, true, ID_PAGES_MOVE_LAST, false},
      {5, 1, {4}, true, ID_PAGES_MOVE_NEXT, true},
      {5, 1, {1, 3}, true, ID_PAGES_MOVE_FIRST, false},
      {5, 1, {2, 3}, true, ID_PAGES_MOVE_PREVIOUS, true},
      {5, 1, {2}, true, ID_PAGES_REVERSE_SELECTED, false},
      {5, 1, {2, 3}, true, ID_PAGES_REVERSE_SELECTED, true},
      {1, 1, {}, true, ID_PAGES_REVERSE_MENU, false},
      {2, 1, {}, true, ID_PAGES_REVERSE_MENU, true},
      {3, 1, {}, true, ID_PAGES_GOTO_FIRST, false},
      {3, 1, {}, true, ID_PAGES_GOTO_PREVIOUS, false},
      {3, 1, {}, true, ID_PAGES_GOTO_NEXT, true},
      {3, 3, {}, true, ID_PAGES_GOTO_NEXT, false},
      {3, 3, {}, true, ID_PAGES_GOTO_LAST, false},
      {3, 2, {}, true, ID_PAGES_GOTO_FIRST, true},
  };
  for (const Case& c : cases) {
    Pages w(c.pages, c.current, c.selected, c.withList);
    EXPECT_EQ(w.doc.IsPageCommandEnabled(c.id), c.enabled) << c.id << " with " << c.selected.size() << " selected";
  }
}

TEST(PageCommandsTest, SelectedPagesAnUndoRemovedAreNotCountedOrUsed) {
  Pages w(4, 1, {2});
  CLeafwrightDoc& doc = w.doc;
  doc.OnDuplicatePages();  // 1,2,2',3,4 with 2' selected
  CDrawingPage* copy = w.list.selection.at(0);
  copy->AddRef();
  doc.OnEditUndo();  // the copy leaves the document but stays selected in this list
  EXPECT_FALSE(doc.IsPageCommandEnabled(ID_PAGES_DELETE));
  doc.OnDeletePages();
  EXPECT_EQ(w.Order(), "1,2,3,4");
  w.list.selection.clear();
  copy->Release();
}

// A page source that counts its loads and fills the page with one object.
class CountingSource : public Quirebook::IPageContentSource {
 public:
  int loads = 0;
  int GetPagesCount() override { return 3; }
  bool LoadPageContent(CDrawingPage* page, int, CPublicationDoc*) override {
    ++loads;
    page->SetLogWidth(42);
    return true;
  }
};

TEST(PageCommandsTest, GoingToAPageStillInItsFileLoadsItOnceAndUnbindsIt) {
  Pages w(3, 1, {1});
  CLeafwrightDoc& doc = w.doc;
  auto* source = new CountingSource;
  source->AddRef();
  CDrawingPage* lazy = doc.GetDrawingPage(2);
  lazy->SetPageContentLoaded(0);
  lazy->SetPageSourceContent(source);
  lazy->SetPageSourceIndex(2);
  doc.OnGoToLastPage();
  EXPECT_EQ(source->loads, 1);
  EXPECT_EQ(lazy->GetPageContentSource(), nullptr);
  EXPECT_EQ(lazy->GetPageSourceIndex(), -1);
  EXPECT_EQ(w.view.shown, lazy);
  EXPECT_EQ(w.Selection(), "3");
  EXPECT_EQ(w.list.redrawn, std::vector<int>{2});
  doc.OnGoToFirstPage();
  doc.OnGoToLastPage();
  EXPECT_EQ(source->loads, 1);
  source->Release();
}

}  // namespace
