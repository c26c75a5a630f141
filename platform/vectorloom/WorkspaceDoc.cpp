#include "WorkspaceDoc.h"

#include "GroupObj.h"
#include "ShapeObj.h"

namespace Vectorloom {

IMPLEMENT_DYNAMIC(CWorkspaceDoc, CDocument)

BEGIN_MESSAGE_MAP(CWorkspaceDoc, CDocument)
  ON_COMMAND(kIdEditUndo, &CWorkspaceDoc::OnUndoCommand)
  ON_COMMAND(kIdEditRedo, &CWorkspaceDoc::OnRedoCommand)
  ON_UPDATE_COMMAND_UI(kIdEditUndo, &CWorkspaceDoc::OnUpdateUndoCommand)
  ON_UPDATE_COMMAND_UI(kIdEditRedo, &CWorkspaceDoc::OnUpdateRedoCommand)
END_MESSAGE_MAP()

void CWorkspaceDoc::OnUndoCommand() {
  if (!CanUndo()) return;
  OnEditUndo();
  UpdateAllViews(nullptr, kHintRepaintViews, nullptr);
}

void CWorkspaceDoc::OnRedoCommand() {
  if (!CanRedo()) return;
  OnEditRedo();
  UpdateAllViews(nullptr, kHintRepaintViews, nullptr);
}

void CWorkspaceDoc::OnUpdateUndoCommand(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CanUndo());
  pCmdUI->SetText(GetUndoMenuText().GetString());
}

void CWorkspaceDoc::OnUpdateRedoCommand(CCmdUI* pCmdUI) {
  pCmdUI->Enable(CanRedo());
  pCmdUI->SetText(GetRedoMenuText().GetString());
}

CWorkspaceDoc::~CWorkspaceDoc() {
  // Actions may hold pages and objects: they go first.
  ClearUndoHistory();
  m_arrPages.RemoveAllPages();
}

CRenderBaseObj* CWorkspaceDoc::CreateNewObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE:
      return new CCustomPathObj;
    case RENDER_OBJ_GROUP:
      return new CRenderGroupObj;
    default:
      return nullptr;
  }
}

void CWorkspaceDoc::DeleteContents() {
  CDocument::DeleteContents();
  ClearUndoHistory();
  m_arrPages.RemoveAllPages();
}

CRenderPage* CWorkspaceDoc::FindOwnerPage(const CRenderBaseObj* pObj) const {
  if (!pObj) return nullptr;
  for (CRenderPage* page : m_arrPages)
    if (page->ContainsObject(pObj)) return page;
  return nullptr;
}

CExternalBmpResObj* CWorkspaceDoc::FindBitmapResObject(const CString& path, uint32_t size, int64_t time) const {
  CExternalBmpResObj* first = nullptr;
  CExternalBmpResObj* withPicture = nullptr;
  auto look = [&](CRenderBaseObj* obj) {
    auto* shape = dynamic_cast<CBaseShapeObj*>(obj);
    if (!shape || withPicture) return;
    for (const CRenderVectorShapeDef* def : {&shape->GetFillDefinition(), &shape->GetStrokeDefinition()}) {
      CBitmapResObj* res = def->GetRenderBitmap();
      if (!res || res->GetResourceKind() != BITMAP_RES_EXTERNAL) continue;
      auto* ext = static_cast<CExternalBmpResObj*>(res);
      if (!ext->IsSameResource(path, size, time)) continue;
      if (ext->HasBitmap()) {
        withPicture = ext;
        return;
      }
      if (!first) first = ext;
    }
  };
  for (CRenderPage* page : m_arrPages) {
    if (CRenderBaseObj* bg = page->GetBackgroundRenderObj()) {
      look(bg);
      if (bg->IsGroupObject()) WalkRenderObjects(static_cast<CRenderGroupObj*>(bg)->GetChildList(), look);
    }
    WalkRenderObjects(page->GetRenderObjectList(), look);
    if (withPicture) return withPicture;
  }
  return first;
}

void CWorkspaceDoc::SetDocumentSize(const CQorVectorSize<float>& size, int bUpdateViews) {
  m_szDocument = size;
  if (bUpdateViews) UpdateAllViews(nullptr, 0, nullptr);
}

void CWorkspaceDoc::AddEditAction(CBaseEditAction* pAction) {
  if (!pAction) return;
  while (!m_redoList.empty()) {
    delete m_redoList.back();
    m_redoList.pop_back();
  }
  m_undoList.push_back(pAction);
  while (static_cast<int>(m_undoList.size()) > m_nMaxUndo) {
    delete m_undoList.front();
    m_undoList.pop_front();
  }
}

void CWorkspaceDoc::OnEditUndo() {
  if (m_undoList.empty()) return;
  CBaseEditAction* action = m_undoList.back();
  // A failed undo leaves the action where it is and the document as it was.
  if (!action->Undo(this)) return;
  m_undoList.pop_back();
  m_redoList.push_back(action);
  SetModifiedFlag(TRUE);
}

void CWorkspaceDoc::OnEditRedo() {
  if (m_redoList.empty()) return;
  CBaseEditAction* action = m_redoList.back();
  if (!action->Redo(this)) return;
  m_redoList.pop_back();
  m_undoList.push_back(action);
  SetModifiedFlag(TRUE);
}

CString CWorkspaceDoc::GetUndoMenuText() const {
  if (m_undoList.empty() || m_undoList.back()->GetMenuText().IsEmpty()) return CString(L"Undo");
  return m_undoList.back()->GetMenuText();
}

CString CWorkspaceDoc::GetRedoMenuText() const {
  if (m_redoList.empty() || m_redoList.back()->GetMenuText().IsEmpty()) return CString(L"Redo");
  return m_redoList.back()->GetMenuText();
}

void CWorkspaceDoc::ClearUndoHistory() {
  // Deleting an action may release objects whose owners are gone; empty the lists first.
  std::deque<CBaseEditAction*> undo, redo;
  undo.swap(m_undoList);
  redo.swap(m_redoList);
  for (CBaseEditAction* a : redo) delete a;
  for (CBaseEditAction* a : undo) delete a;
}

}  // namespace Vectorloom
