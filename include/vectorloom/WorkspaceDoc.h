// The workspace document: pages, document size and the undo and redo lists.
#pragma once

#include <afxwin.h>

#include <deque>

#include "BitmapRes.h"
#include "EditAction.h"
#include "RenderPage.h"

namespace Vectorloom {

// Command ids of Undo and Redo.
constexpr UINT kIdEditUndo = 57643;
constexpr UINT kIdEditRedo = 57644;

// Update hints the library passes to UpdateAllViews: the hint object is then a CRenderPage
// (PageHint/HintPage convert).
class CWorkspaceDoc : public CDocument {
  DECLARE_DYNAMIC(CWorkspaceDoc)
 public:
  CWorkspaceDoc() = default;
  ~CWorkspaceDoc() override;

  // A new object of the application's class for a type code; the library makes shapes (0) and
  // groups (2), nothing else.
  virtual CRenderBaseObj* CreateNewObject(int type);

  // Empties the undo and redo lists and releases every page.
  void DeleteContents() override;

  // Pages.
  CRenderPagesArray& GetRenderPagesArray() { return m_arrPages; }
  const CRenderPagesArray& GetRenderPagesArray() const { return m_arrPages; }
  int GetPagesCount() const { return m_arrPages.GetCount(); }
  CRenderPage* GetRenderPage(int index) const { return m_arrPages.GetAt(index); }
  // The page that holds the object (at any depth, or as its background), or null.
  CRenderPage* FindOwnerPage(const CRenderBaseObj* pObj) const;
  // An external picture resource used on one of the pages with this path, size and time; one
  // that holds a picture is preferred. Null when there is none.
  CExternalBmpResObj* FindBitmapResObject(const CString& path, uint32_t size, int64_t time) const;

  // The document's size in pixels. bUpdateViews tells the views (hint 0).
  void SetDocumentSize(const CQorVectorSize<float>& size, int bUpdateViews);
  const CQorVectorSize<float>& GetDocumentSize() const { return m_szDocument; }

  // Undo and redo. AddEditAction takes ownership (null is ignored), puts the action on the undo
  // list and deletes every action of the redo list; the oldest actions are deleted once the
  // undo list holds more than GetMaxUndoCount().
  void AddEditAction(CBaseEditAction* pAction);
  bool CanUndo() const { return !m_undoList.empty(); }
  bool CanRedo() const { return !m_redoList.empty(); }
  // Undoes the newest action and moves it to the redo list; nothing without one. When the
  // action's Undo fails it stays on the undo list and the document is not marked modified.
  void OnEditUndo();
  // Redoes the newest undone action and moves it back to the undo list; nothing without one,
  // and likewise nothing moves when its Redo fails.
  void OnEditRedo();
  // The Undo (57643) and Redo (57644) commands when no view takes them first: the step, then
  // the views are told to repaint (hint kHintRepaintViews); enabled while there is a step, with
  // its menu text.
  afx_msg void OnUndoCommand();
  afx_msg void OnRedoCommand();
  afx_msg void OnUpdateUndoCommand(CCmdUI* pCmdUI);
  afx_msg void OnUpdateRedoCommand(CCmdUI* pCmdUI);
  static constexpr LPARAM kHintRepaintViews = 2;
  // The texts the Undo and Redo commands show: the next action's own menu text, or "Undo" /
  // "Redo" when there is no action (the commands are then disabled) or it has no text.
  CString GetUndoMenuText() const;
  CString GetRedoMenuText() const;
  void ClearUndoHistory();
  int GetUndoCount() const { return static_cast<int>(m_undoList.size()); }
  int GetRedoCount() const { return static_cast<int>(m_redoList.size()); }
  // The action the next Undo (Redo) takes, or null.
  CBaseEditAction* GetNextUndoAction() const { return m_undoList.empty() ? nullptr : m_undoList.back(); }
  CBaseEditAction* GetNextRedoAction() const { return m_redoList.empty() ? nullptr : m_redoList.back(); }
  int GetMaxUndoCount() const { return m_nMaxUndo; }
  // At least 1.
  void SetMaxUndoCount(int count) { m_nMaxUndo = count < 1 ? 1 : count; }

  // Pages travel to the views as the hint object of UpdateAllViews.
  static CObject* PageHint(CRenderPage* pPage) { return reinterpret_cast<CObject*>(pPage); }
  static CRenderPage* HintPage(CObject* pHint) { return reinterpret_cast<CRenderPage*>(pHint); }

  CRenderPagesArray m_arrPages;

 protected:
  DECLARE_MESSAGE_MAP()

  CQorVectorSize<float> m_szDocument;
  std::deque<CBaseEditAction*> m_undoList;  // oldest first
  std::deque<CBaseEditAction*> m_redoList;  // the next to redo last
  int m_nMaxUndo = 100;
};

}  // namespace Vectorloom
