// The page combo box's typed page number with a fake editing view: only 1 to the page count shows
// a page, whatever else is typed changes nothing (also a number that would wrap round).
#include <gtest/gtest.h>

#include <vectorloom/WorkspaceDoc.h>

#include "LeafwrightDoc.h"
#include "PageBusiPage.h"
#include "PageIndexCombo.h"

namespace {

class ShowingView : public CView, public IPageEditingView {
 public:
  CDrawingPage* shown = nullptr;
  CDrawingPage* GetShownPage() const override { return shown; }
  void OnDraw(CDC*) override {}
};

void Route(CView* view, CView*, LPARAM hint, CObject* page) {
  if (auto* v = dynamic_cast<ShowingView*>(view); v && hint == 4 && page)
    v->shown = static_cast<CDrawingPage*>(Vectorloom::CWorkspaceDoc::HintPage(page));
}

TEST(PageCombo, TypedPageNumbers) {
  const CDocumentHooks saved = CDocument::Hooks();
  CDocument::Hooks().pfnUpdateView = Route;
  const struct {
    const wchar_t* text;
    int shownIndex;  // -1: unchanged
    const wchar_t* newText;
  } cases[] = {{L"3", 2, L"3 / 5"},   {L"5 / 5", 4, L"5 / 5"}, {L"1,", 0, L"1 / 5"}, {L"0", -1, L""},
               {L"6", -1, L""},       {L"-3", -1, L""},        {L"abc", -1, L""},    {L"", -1, L""},
               {L"4294967298", -1, L""}};
  for (const auto& c : cases) {
    CLeafwrightDoc doc;
    for (int i = 0; i < 5; ++i) {
      auto* p = new CPageBusiPage;
      p->SetPageContentLoaded(1);
      doc.GetRenderPagesArray().AddPage(p);
    }
    ShowingView view;
    doc.AddView(&view);
    view.shown = doc.GetDrawingPage(1);
    CString newText;
    EXPECT_EQ(GoToTypedPage(&doc, c.text, newText), c.shownIndex >= 0) << c.text;
    EXPECT_EQ(doc.GetCurrentPageIndex(), c.shownIndex >= 0 ? c.shownIndex : 1) << c.text;
    EXPECT_EQ(std::wstring(newText.GetString()), c.newText) << c.text;
    doc.RemoveView(&view);
  }
  CString unused;
  EXPECT_FALSE(GoToTypedPage(nullptr, L"1", unused));
  CDocument::Hooks() = saved;
}

}  // namespace
