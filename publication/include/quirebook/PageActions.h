// Undoable page commands: order changes, page insertions and removals, and reversing all pages.
//
// Menu texts: a page action is built with its command name ("Move to First", "Delete Pages")
// and shows "Undo <name>" while it stands on the undo list and "Redo <name>" while it stands on
// the redo list. Reversing all pages reads "Undo Reverse Order" / "Redo Reverse Order".
//
// View hints: 4 without a page after an order change; 3 with the page that now stands where the
// first recorded page stood (clamped to the last page) after pages came or went. After pages left
// the document the editing view also gets event 13 (kPagesRemovedEvent), so that a tool editing
// an object of a removed page lets it go.
#pragma once

#include <vector>

#include <vectorloom/EditAction.h>
#include <vectorloom/RenderPage.h>
#include <vectorloom/WorkspaceDoc.h>

namespace Quirebook {

inline constexpr int kPagesRemovedEvent = 13;

// The view layer registers how a document's editing view receives an event; without a
// registration events go nowhere. Returns the sender registered before.
using ViewEventSender = void (*)(Vectorloom::CWorkspaceDoc* doc, int event, long value);
ViewEventSender SetViewEventSender(ViewEventSender sender);
void SendViewEvent(Vectorloom::CWorkspaceDoc* doc, int event, long value);

// Pages recorded with the index they stand at. Undo and Redo put every recorded page back at its
// recorded index and record the indexes the pages stood at before, so the next swap moves them
// back.
class CUpdateRenderPagesOrderAction : public Vectorloom::CBaseEditAction {
 public:
  explicit CUpdateRenderPagesOrderAction(const CString& name);
  ~CUpdateRenderPagesOrderAction() override = default;

  // Appends a page (a reference is taken) and its index.
  void BackupPageItem(Vectorloom::CRenderPage* page, int index);

  int Undo(Vectorloom::CWorkspaceDoc* doc) override;
  int Redo(Vectorloom::CWorkspaceDoc* doc) override;

  const CString& GetCommandName() const { return m_strCommand; }
  int GetRecordCount() const { return static_cast<int>(m_indexes.size()); }
  int GetRecordedIndex(int i) const { return m_indexes[static_cast<size_t>(i)]; }
  Vectorloom::CRenderPage* GetRecordedPage(int i) const { return m_pages.GetAt(i); }

 protected:
  void SetUndoSideText() { SetMenuText(L"Undo " + m_strCommand); }
  void SetRedoSideText() { SetMenuText(L"Redo " + m_strCommand); }

  CString m_strCommand;
  Vectorloom::CRenderPagesArray m_pages;  // parallel to m_indexes
  std::vector<int> m_indexes;

 private:
  void SwapOrder(Vectorloom::CWorkspaceDoc* doc);
};

// Pages that come into or leave the document. While the flag is set the recorded pages are in
// the document at the recorded indexes (only the indexes need to be known); while it is clear
// the action holds the pages. Indexes are kept ascending.
class CUpdateRenderPagesAction : public CUpdateRenderPagesOrderAction {
 public:
  CUpdateRenderPagesAction(const CString& name, bool pagesInDocument);

  // An index only (the page is in the document).
  void BackupPageOrder(int index);
  // A page (a reference is taken) and its index, before the first larger recorded index.
  void BackupPageAndOrder(Vectorloom::CRenderPage* page, int index);

  int Undo(Vectorloom::CWorkspaceDoc* doc) override;
  int Redo(Vectorloom::CWorkspaceDoc* doc) override;

  bool ArePagesInDocument() const { return m_bInDocument; }

 private:
  void SwapPresence(Vectorloom::CWorkspaceDoc* doc);

  bool m_bInDocument;
};

class CReverseAllPagesOrderAction : public Vectorloom::CBaseEditAction {
 public:
  CReverseAllPagesOrderAction();
  int Undo(Vectorloom::CWorkspaceDoc* doc) override;
  int Redo(Vectorloom::CWorkspaceDoc* doc) override;
};

}  // namespace Quirebook

using Quirebook::CReverseAllPagesOrderAction;
using Quirebook::CUpdateRenderPagesAction;
using Quirebook::CUpdateRenderPagesOrderAction;
