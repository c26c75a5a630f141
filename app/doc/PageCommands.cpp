// The document's page commands: each change of the page sequence is one undoable action handed
// to the undo list, and marks the document modified.
#include "PageCommands.h"

#include <algorithm>
#include <map>

#include <quirebook/PageActions.h>

#include "LeafwrightDoc.h"
#include "PageBusiPage.h"

using namespace Vectorloom;

namespace {

// The selected pages by their index in the document (pages no longer in it are left out).
std::map<int, CDrawingPage*> SelectedByIndex(const CLeafwrightDoc& doc, const IPagesSelectionList& list) {
  std::map<int, CDrawingPage*> out;
  const CRenderPagesArray& pages = doc.GetRenderPagesArray();
  for (int i = 0; i < list.GetSelectedCount(); ++i) {
    CDrawingPage* page = list.GetSelectedPage(i);
    const int index = page ? pages.IndexOf(page) : -1;
    if (index >= 0) out.emplace(index, page);
  }
  return out;
}

}  // namespace

IPagesSelectionList* CLeafwrightDoc::FindPagesList() const {
  POSITION pos = GetFirstViewPosition();
  while (pos)
    if (auto* list = dynamic_cast<IPagesSelectionList*>(GetNextView(pos))) return list;
  return nullptr;
}

IPageEditingView* CLeafwrightDoc::FindEditingView() const {
  POSITION pos = GetFirstViewPosition();
  while (pos)
    if (auto* view = dynamic_cast<IPageEditingView*>(GetNextView(pos))) return view;
  return nullptr;
}

int CLeafwrightDoc::GetCurrentPageIndex() const {
  const IPageEditingView* view = FindEditingView();
  CDrawingPage* page = view ? view->GetShownPage() : nullptr;
  return page ? GetRenderPagesArray().IndexOf(page) : -1;
}

void CLeafwrightDoc::OnNewPage() {
  IPagesSelectionList* list = FindPagesList();
  const int i = GetCurrentPageIndex();
  if (!list || !FindEditingView() || i < 0) return;
  const CDrawingPage* current = GetDrawingPage(i);
  auto* page = new CPageBusiPage;
  page->SetPageAttribute(current->GetPageAttribute());
  page->SetLogWidth(current->GetLogWidth());
  page->SetLogHeight(current->GetLogHeight());
  page->SetPageLogUnit(current->GetPageLogUnit());
  page->SetPageContentLoaded(1);
  page->AddRef();
  auto* action = new CUpdateRenderPagesAction(L"New Page", true);
  action->BackupPageOrder(i + 1);
  AddEditAction(action);
  SetModifiedFlag(TRUE);
  {
    auto lock = LockContent();
    GetRenderPagesArray().InsertPage(i + 1, page);
  }
  UpdateAllViews(nullptr, 3, PageHint(page));
  page->Release();
}

void CLeafwrightDoc::OnDuplicatePages() {
  IPagesSelectionList* list = FindPagesList();
  IPageEditingView* view = FindEditingView();
  if (!list || !view) return;
  // In the order of the selection (for the new selection), and by index (for the copying).
  std::vector<CDrawingPage*> order;
  for (int i = 0; i < list->GetSelectedCount(); ++i)
    if (CDrawingPage* p = list->GetSelectedPage(i); p && GetRenderPagesArray().IndexOf(p) >= 0) order.push_back(p);
  if (order.empty())
    if (CDrawingPage* shown = view->GetShownPage(); shown && GetRenderPagesArray().IndexOf(shown) >= 0)
      order.push_back(shown);
  std::map<int, CDrawingPage*> byIndex;
  for (CDrawingPage* p : order) byIndex.emplace(GetRenderPagesArray().IndexOf(p), p);

  auto* action = new CUpdateRenderPagesAction(L"Duplicate Pages", true);
  std::map<CDrawingPage*, CDrawingPage*> copies;
  int k = 1;
  {
    auto lock = LockContent();
    for (const auto& [index, page] : byIndex) {
      CRenderPage* made = page->Clone();
      auto* copy = dynamic_cast<CDrawingPage*>(made);
      if (!copy) {
        if (made) {  // not a document page: let it go
          made->AddRef();
          made->Release();
        }
        continue;
      }
      copy->AddRef();
      action->BackupPageOrder(index + k);
      GetRenderPagesArray().InsertPage(index + k, copy);
      copy->Release();
      ++k;
      copies.emplace(page, copy);
    }
  }
  if (copies.empty()) {
    delete action;
    return;
  }
  AddEditAction(action);
  SetModifiedFlag(TRUE);
  list->ClearSelection();
  for (CDrawingPage* p : order)
    if (auto it = copies.find(p); it != copies.end()) list->AddSelectedPage(it->second);
  const int n = list->GetSelectedCount();
  UpdateAllViews(nullptr, 3, PageHint(n > 0 ? list->GetSelectedPage(n - 1) : nullptr));
}

void CLeafwrightDoc::OnDeletePages() {
  IPagesSelectionList* list = FindPagesList();
  if (!list || !FindEditingView()) return;
  const std::map<int, CDrawingPage*> selected = SelectedByIndex(*this, *list);
  // Only pages that are in the document, and never all of them: a document keeps a page. Nothing
  // is asked about a delete that cannot happen.
  if (selected.empty() || static_cast<int>(selected.size()) >= GetPagesCount()) return;
  auto ask = CDocument::Hooks().pfnMessageBox;
  if (!ask || ask(L"Are you sure you want to delete the selected pages?", MB_YESNO | MB_ICONQUESTION) != IDYES) return;
  int i = GetCurrentPageIndex();
  auto* action = new CUpdateRenderPagesAction(L"Delete Pages", false);
  {
    auto lock = LockContent();
    int removed = 0;
    for (const auto& [index, page] : selected) {
      action->BackupPageAndOrder(page, index);
      GetRenderPagesArray().RemovePage(index - removed);
      ++removed;
    }
  }
  AddEditAction(action);
  SetModifiedFlag(TRUE);
  list->ClearSelection();
  Quirebook::SendViewEvent(this, Quirebook::kPagesRemovedEvent, 0);
  i = std::clamp(i, 0, GetPagesCount() - 1);
  UpdateAllViews(nullptr, 3, PageHint(GetDrawingPage(i)));
}

void CLeafwrightDoc::MoveSelectedPages(IPagesSelectionList& list, int delta, bool towardsStart) {
  CRenderPagesArray& pages = GetRenderPagesArray();
  const std::map<int, CDrawingPage*> selected = SelectedByIndex(*this, list);
  std::vector<CRenderPage*> order;
  for (int i = 0; i < pages.GetCount(); ++i)
    if (!selected.count(i)) order.push_back(pages.GetAt(i));
  for (const auto& [i, page] : selected) {
    const int at = std::clamp(towardsStart ? i - delta : i + delta, 0, static_cast<int>(order.size()));
    order.insert(order.begin() + at, page);
  }
  auto lock = LockContent();
  pages.DetachAllPages();
  for (CRenderPage* p : order) {
    pages.AddPage(p);
    p->Release();  // the array's reference taken over from before
  }
}

void CLeafwrightDoc::MovePages(const wchar_t* name, int which) {
  IPagesSelectionList* list = FindPagesList();
  if (!list) return;
  const std::map<int, CDrawingPage*> selected = SelectedByIndex(*this, *list);
  if (selected.empty()) return;
  auto* action = new CUpdateRenderPagesOrderAction(name);
  for (const auto& [index, page] : selected) action->BackupPageItem(page, index);
  AddEditAction(action);
  SetModifiedFlag(TRUE);
  const int smallest = selected.begin()->first, largest = selected.rbegin()->first;
  switch (which) {
    case 0: MoveSelectedPages(*list, smallest, true); break;
    case 1: MoveSelectedPages(*list, 1, true); break;
    case 2: MoveSelectedPages(*list, GetPagesCount() - 1 - largest, false); break;
    default: MoveSelectedPages(*list, 1, false); break;
  }
  UpdateAllViews(nullptr, 4, nullptr);
}

void CLeafwrightDoc::OnMoveToFirst() { MovePages(L"Move to First", 0); }
void CLeafwrightDoc::OnMovePreviously() { MovePages(L"Move Page Previously", 1); }
void CLeafwrightDoc::OnMoveToLast() { MovePages(L"Move to Last", 2); }
void CLeafwrightDoc::OnMoveNext() { MovePages(L"Move Next", 3); }

void CLeafwrightDoc::OnReverseAllPages() {
  AddEditAction(new CReverseAllPagesOrderAction);
  SetModifiedFlag(TRUE);
  {
    auto lock = LockContent();
    GetRenderPagesArray().ReverseOrder();
  }
  UpdateAllViews(nullptr, 4, nullptr);
}

void CLeafwrightDoc::OnReverseSelectedPages() {
  IPagesSelectionList* list = FindPagesList();
  if (!list) return;
  const std::map<int, CDrawingPage*> selected = SelectedByIndex(*this, *list);
  if (selected.size() < 2) return;
  auto* action = new CUpdateRenderPagesOrderAction(L"Reverse Order");
  for (const auto& [index, page] : selected) action->BackupPageItem(page, index);
  AddEditAction(action);
  SetModifiedFlag(TRUE);
  std::vector<int> slots;
  for (const auto& entry : selected) slots.push_back(entry.first);
  {
    auto lock = LockContent();
    for (size_t lo = 0, hi = slots.size() - 1; lo < hi; ++lo, --hi) GetRenderPagesArray().SwapPages(slots[lo], slots[hi]);
  }
  UpdateAllViews(nullptr, 4, nullptr);
}

void CLeafwrightDoc::GoToPage(int index) {
  if (!FindEditingView()) return;
  CDrawingPage* page = GetDrawingPage(index);
  if (!page) return;
  if (!page->IsPageContentLoaded() && page->LoadPageContent(this)) {
    // From now on the page lives in memory only.
    auto lock = LockContent();
    page->SetPageSourceContent(nullptr);
    page->SetPageSourceIndex(-1);
  }
  if (IPagesSelectionList* list = FindPagesList()) {
    list->ClearSelection();
    list->AddSelectedPage(page);
    list->RedrawPageRow(index);
  }
  UpdateAllViews(nullptr, 4, PageHint(page));
}

void CLeafwrightDoc::OnGoToFirstPage() {
  if (GetCurrentPageIndex() > 0) GoToPage(0);
}
void CLeafwrightDoc::OnGoToPreviousPage() {
  const int i = GetCurrentPageIndex();
  if (i > 0) GoToPage(i - 1);
}
void CLeafwrightDoc::OnGoToNextPage() {
  const int i = GetCurrentPageIndex();
  if (i < GetPagesCount() - 1) GoToPage(i + 1);
}
void CLeafwrightDoc::OnGoToLastPage() {
  if (GetCurrentPageIndex() != GetPagesCount() - 1) GoToPage(GetPagesCount() - 1);
}

bool CLeafwrightDoc::IsPageCommandEnabled(UINT nId) const {
  const IPagesSelectionList* list = FindPagesList();
  const int count = GetPagesCount();
  const int current = GetCurrentPageIndex();
  std::map<int, CDrawingPage*> selected;
  if (list) selected = SelectedByIndex(*this, *list);
  const int n = static_cast<int>(selected.size());
  switch (nId) {
    case ID_PAGES_NEW: return current >= 0;
    case ID_PAGES_DUPLICATE: return current >= 0 || n > 0;
    case ID_PAGES_DELETE: return list && n >= 1 && count - n >= 1;
    case ID_PAGES_MOVE_FIRST:
    case ID_PAGES_MOVE_PREVIOUS: return list && n >= 1 && !selected.count(0);
    case ID_PAGES_MOVE_LAST:
    case ID_PAGES_MOVE_NEXT: return list && n >= 1 && !selected.count(count - 1);
    case ID_PAGES_REVERSE_ALL: return count >= 2;
    case ID_PAGES_REVERSE_SELECTED: return list && n >= 2;
    case ID_PAGES_REVERSE_MENU: return count >= 2;
    case ID_PAGES_GOTO_FIRST: return current > 0;
    case ID_PAGES_GOTO_PREVIOUS: return current > 0;
    case ID_PAGES_GOTO_NEXT: return current >= 0 && current < count - 1;
    case ID_PAGES_GOTO_LAST: return current >= 0 && current != count - 1;
    default: return false;
  }
}

void CLeafwrightDoc::OnUpdatePageCommand(CCmdUI* pCmdUI) { pCmdUI->Enable(IsPageCommandEnabled(pCmdUI->m_nID)); }
