// The pages the Print page's "Current Page(s)" choice prints: the pages selected in the page
// list, in the order selected, else the page in view.
#include <gtest/gtest.h>

#include <vector>

#include "BackstagePagePrint.h"
#include "PageBusiPage.h"

namespace {

class SelectionList : public IPagesSelectionList {
 public:
  std::vector<Quirebook::CDrawingPage*> pages;
  int GetSelectedCount() const override { return static_cast<int>(pages.size()); }
  Quirebook::CDrawingPage* GetSelectedPage(int i) const override { return pages[static_cast<size_t>(i)]; }
  void ClearSelection() override { pages.clear(); }
  void AddSelectedPage(Quirebook::CDrawingPage* page) override { pages.push_back(page); }
  void RedrawPageRow(int) override {}
};

TEST(PrintCurrentPages, TheSelectionElseThePageInView) {
  Vectorloom::CRenderPagesArray doc;
  std::vector<Quirebook::CDrawingPage*> made;
  for (int i = 0; i < 5; ++i) {
    auto* p = new CPageBusiPage;
    doc.AddPage(p);
    made.push_back(p);
  }
  CPageBusiPage outside;  // a page no longer in the document
  const struct {
    const char* what;
    bool withList;
    std::vector<int> selected;  // indices into made; -1 for the outside page
    int inView;
    std::vector<int> expected;
  } cases[] = {
      {"no list: the page in view", false, {}, 2, {2}},
      {"nothing selected: the page in view", true, {}, 3, {3}},
      {"the selection, in its order, not the page in view", true, {4, 0, 2}, 1, {4, 0, 2}},
      {"a page gone from the document is left out", true, {-1, 3}, 0, {3}},
      {"only gone pages: the page in view", true, {-1}, 4, {4}},
      {"no page in view and nothing selected", true, {}, -1, {}},
      {"page in view beyond the document", true, {}, 5, {}},
  };
  for (const auto& c : cases) {
    SelectionList list;
    for (int s : c.selected) list.pages.push_back(s < 0 ? &outside : made[static_cast<size_t>(s)]);
    EXPECT_EQ(PrintCurrentPages(c.withList ? &list : nullptr, doc, c.inView), c.expected) << c.what;
  }
}

}  // namespace
