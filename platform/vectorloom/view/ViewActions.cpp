#include "ViewActions.h"

#include <algorithm>

#include "ToolSupport.h"
#include "WorkspaceDoc.h"

namespace Vectorloom {

namespace {
CString UndoText(const CString& name) { return L"Undo " + name; }
CString RedoText(const CString& name) { return L"Redo " + name; }
}  // namespace

// ---------------------------------------------------------------------------------------------

CAddObjectAction::CAddObjectAction(CRenderPage* pPage, const CString& name, CRenderBaseObj* pObj)
    : CBaseEditAction(UndoText(name)), m_pPage(pPage), m_strName(name) {
  if (m_pPage) m_pPage->AddRef();
  if (!pObj && m_pPage) pObj = m_pPage->GetRenderObjectList().GetTail();
  AddObject(pObj);
}

CAddObjectAction::~CAddObjectAction() { ReleaseRefObj(m_pPage); }

void CAddObjectAction::AddObject(CRenderBaseObj* pObj) {
  if (!pObj || !m_pPage || m_objects.Find(pObj) >= 0) return;
  if (m_pPage->GetRenderObjectList().Find(pObj) < 0) m_pPage->AddShapeObject(pObj);
  m_objects.AddElement(pObj);
}

int CAddObjectAction::Undo(CWorkspaceDoc*) {
  if (!m_pPage || m_objects.IsEmpty()) return 0;
  CRenderBaseObjectList& list = m_pPage->GetRenderObjectList();
  // Record the places first (ascending), then take the objects off.
  std::vector<std::pair<int, CRenderBaseObj*>> placed;
  for (CRenderBaseObj* obj : m_objects) {
    const int at = list.Find(obj);
    if (at >= 0) placed.emplace_back(at, obj);
  }
  std::sort(placed.begin(), placed.end());
  m_indexes.clear();
  CRenderBaseObjectList ordered;
  for (auto& [at, obj] : placed) {
    m_indexes.push_back(at);
    ordered.AddElement(obj);
  }
  for (CRenderBaseObj* obj : ordered) list.RemoveElement(obj);
  m_objects = ordered;
  m_strMenuText = RedoText(m_strName);
  return 1;
}

int CAddObjectAction::Redo(CWorkspaceDoc*) {
  if (!m_pPage || m_objects.IsEmpty()) return 0;
  CRenderBaseObjectList& list = m_pPage->GetRenderObjectList();
  for (int i = 0; i < m_objects.GetCount(); ++i) {
    CRenderBaseObj* obj = m_objects.GetAt(i);
    if (list.Find(obj) >= 0) continue;
    const int at = i < static_cast<int>(m_indexes.size()) ? m_indexes[static_cast<size_t>(i)] : list.GetCount();
    list.InsertElement(at, obj);
  }
  m_strMenuText = UndoText(m_strName);
  return 1;
}

// ---------------------------------------------------------------------------------------------

CTransformObjectsAction::CTransformObjectsAction(const CString& name)
    : CBaseEditAction(UndoText(name)), m_strName(name) {}

void CTransformObjectsAction::AddObject(CRenderBaseObj* pObj, const CQorTransMatrix& before,
                                        const CQorTransMatrix& after) {
  if (!pObj) return;
  m_objects.AddElement(pObj);
  m_before.push_back(before);
  m_after.push_back(after);
}

void CTransformObjectsAction::Apply(bool bAfter) {
  for (int i = 0; i < m_objects.GetCount(); ++i) {
    const CQorTransMatrix& target = bAfter ? m_after[static_cast<size_t>(i)] : m_before[static_cast<size_t>(i)];
    tools::SetObjectMatrix(m_objects.GetAt(i), target);
  }
}

int CTransformObjectsAction::Undo(CWorkspaceDoc*) {
  if (m_objects.IsEmpty()) return 0;
  Apply(false);
  m_strMenuText = RedoText(m_strName);
  return 1;
}

int CTransformObjectsAction::Redo(CWorkspaceDoc*) {
  if (m_objects.IsEmpty()) return 0;
  Apply(true);
  m_strMenuText = UndoText(m_strName);
  return 1;
}

// ---------------------------------------------------------------------------------------------

CResizeObjectAction::CResizeObjectAction(const CString& name, CRenderBaseObj* pObj, const CQorVectorRect<float>& before,
                                         const CQorVectorRect<float>& after)
    : CBaseEditAction(UndoText(name)), m_strName(name), m_pObj(pObj), m_before(before), m_after(after) {
  if (m_pObj) m_pObj->AddRef();
}

CResizeObjectAction::~CResizeObjectAction() { ReleaseRefObj(m_pObj); }

int CResizeObjectAction::Undo(CWorkspaceDoc*) {
  if (!m_pObj) return 0;
  m_pObj->ResizeObject(m_before);
  m_pObj->CreatePathStorage();
  m_strMenuText = RedoText(m_strName);
  return 1;
}

int CResizeObjectAction::Redo(CWorkspaceDoc*) {
  if (!m_pObj) return 0;
  m_pObj->ResizeObject(m_after);
  m_pObj->CreatePathStorage();
  m_strMenuText = UndoText(m_strName);
  return 1;
}

// ---------------------------------------------------------------------------------------------

CModifyShapePathAction::CModifyShapePathAction(const CString& name, CCustomPathObj* pShape,
                                               const std::vector<CBaseCustomPath>& before,
                                               const CQorTransMatrix& matBefore)
    : CBaseEditAction(UndoText(name)), m_strName(name), m_pShape(pShape), m_paths(before), m_matrix(matBefore) {
  if (m_pShape) m_pShape->AddRef();
}

CModifyShapePathAction::~CModifyShapePathAction() { ReleaseRefObj(m_pShape); }

void CModifyShapePathAction::Swap() {
  std::vector<CBaseCustomPath> now = m_pShape->GetSubPaths();
  const CQorTransMatrix matNow = m_pShape->GetTransMatrix();
  m_pShape->RemoveAllSubPaths();
  for (const CBaseCustomPath& p : m_paths) m_pShape->AddSubPath(p);
  m_pShape->SetTransMatrix(m_matrix, true);
  m_paths = std::move(now);
  m_matrix = matNow;
}

int CModifyShapePathAction::Undo(CWorkspaceDoc*) {
  if (!m_pShape) return 0;
  Swap();
  m_strMenuText = RedoText(m_strName);
  return 1;
}

int CModifyShapePathAction::Redo(CWorkspaceDoc*) {
  if (!m_pShape) return 0;
  Swap();
  m_strMenuText = UndoText(m_strName);
  return 1;
}

}  // namespace Vectorloom
