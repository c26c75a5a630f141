#include "quirebook/PageActions.h"

#include <algorithm>
#include <atomic>

namespace Quirebook {

using Vectorloom::CRenderPage;
using Vectorloom::CWorkspaceDoc;

namespace {

std::atomic<ViewEventSender> g_viewEventSender{nullptr};

void UpdateViews(CWorkspaceDoc* doc, LPARAM hint, CRenderPage* page) {
  if (doc) doc->UpdateAllViews(nullptr, hint, CWorkspaceDoc::PageHint(page));
}

}  // namespace

ViewEventSender SetViewEventSender(ViewEventSender sender) { return g_viewEventSender.exchange(sender); }

void SendViewEvent(CWorkspaceDoc* doc, int event, long value) {
  const ViewEventSender sender = g_viewEventSender;
  if (sender && doc) sender(doc, event, value);
}

// ---------------------------------------------------------------------------------------------
// CUpdateRenderPagesOrderAction

CUpdateRenderPagesOrderAction::CUpdateRenderPagesOrderAction(const CString& name) : m_strCommand(name) {
  SetUndoSideText();
}

void CUpdateRenderPagesOrderAction::BackupPageItem(CRenderPage* page, int index) {
  if (!page) return;
  m_pages.AddPage(page);
  m_indexes.push_back(index);
}

void CUpdateRenderPagesOrderAction::SwapOrder(CWorkspaceDoc* doc) {
  if (!doc) return;
  Vectorloom::CRenderPagesArray& pages = doc->GetRenderPagesArray();
  const size_t n = m_indexes.size();
  std::vector<int> now(n);
  for (size_t i = 0; i < n; ++i) now[i] = pages.IndexOf(m_pages.GetAt(static_cast<int>(i)));
  // Out with every recorded page (our list keeps them alive), then back in by ascending
  // recorded index (the first on ties).
  for (size_t i = 0; i < n; ++i) pages.RemovePage(m_pages.GetAt(static_cast<int>(i)));
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return m_indexes[a] < m_indexes[b]; });
  for (size_t i : order) pages.InsertPage(m_indexes[i], m_pages.GetAt(static_cast<int>(i)));
  m_indexes = std::move(now);
  UpdateViews(doc, 4, nullptr);
}

int CUpdateRenderPagesOrderAction::Undo(CWorkspaceDoc* doc) {
  SwapOrder(doc);
  SetRedoSideText();
  return 1;
}

int CUpdateRenderPagesOrderAction::Redo(CWorkspaceDoc* doc) {
  SwapOrder(doc);
  SetUndoSideText();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CUpdateRenderPagesAction

CUpdateRenderPagesAction::CUpdateRenderPagesAction(const CString& name, bool pagesInDocument)
    : CUpdateRenderPagesOrderAction(name), m_bInDocument(pagesInDocument) {}

void CUpdateRenderPagesAction::BackupPageOrder(int index) {
  const auto at = std::upper_bound(m_indexes.begin(), m_indexes.end(), index);
  m_indexes.insert(at, index);
}

void CUpdateRenderPagesAction::BackupPageAndOrder(CRenderPage* page, int index) {
  if (!page) return;
  const auto at = std::upper_bound(m_indexes.begin(), m_indexes.end(), index);
  const int pos = static_cast<int>(at - m_indexes.begin());
  m_indexes.insert(at, index);
  m_pages.InsertPage(pos, page);
}

void CUpdateRenderPagesAction::SwapPresence(CWorkspaceDoc* doc) {
  if (!doc) return;
  Vectorloom::CRenderPagesArray& pages = doc->GetRenderPagesArray();
  const bool removing = m_bInDocument;
  if (removing) {
    m_pages.RemoveAllPages();
    int removed = 0;
    for (int index : m_indexes) {
      if (index < 0) continue;
      CRenderPage* page = pages.GetAt(index - removed);
      if (!page) continue;
      m_pages.AddPage(page);
      pages.RemovePage(index - removed);
      ++removed;
    }
  } else {
    int k = 0;
    for (int index : m_indexes) {
      if (index < 0) continue;
      pages.InsertPage(index, m_pages.GetAt(k++));
    }
    m_pages.RemoveAllPages();
  }
  m_bInDocument = !m_bInDocument;
  // The views show the page that now stands where the first recorded page stood.
  CRenderPage* shown = nullptr;
  if (pages.GetCount() > 0) {
    int first = 0;
    for (int index : m_indexes)
      if (index >= 0) {
        first = index;
        break;
      }
    shown = pages.GetAt(std::min(first, pages.GetCount() - 1));
  }
  if (removing) SendViewEvent(doc, kPagesRemovedEvent, 0);
  UpdateViews(doc, 3, shown);
}

int CUpdateRenderPagesAction::Undo(CWorkspaceDoc* doc) {
  SwapPresence(doc);
  SetRedoSideText();
  return 1;
}

int CUpdateRenderPagesAction::Redo(CWorkspaceDoc* doc) {
  SwapPresence(doc);
  SetUndoSideText();
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CReverseAllPagesOrderAction

CReverseAllPagesOrderAction::CReverseAllPagesOrderAction() : CBaseEditAction(CString(L"Undo Reverse Order")) {}

int CReverseAllPagesOrderAction::Undo(CWorkspaceDoc* doc) {
  if (doc) {
    doc->GetRenderPagesArray().ReverseOrder();
    UpdateViews(doc, 4, nullptr);
  }
  SetMenuText(CString(L"Redo Reverse Order"));
  return 1;
}

int CReverseAllPagesOrderAction::Redo(CWorkspaceDoc* doc) {
  if (doc) {
    doc->GetRenderPagesArray().ReverseOrder();
    UpdateViews(doc, 4, nullptr);
  }
  SetMenuText(CString(L"Undo Reverse Order"));
  return 1;
}

}  // namespace Quirebook
