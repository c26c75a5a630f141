// Edit actions of the view and its tools. Each one holds references to the objects it changes,
// so that it stays valid after the objects left the page.
#pragma once

#include <vector>

#include "EditAction.h"
#include "RenderPage.h"
#include "ShapeObj.h"

namespace Vectorloom {

// Objects added to a page. Undo takes them off the page, Redo puts them back at the same places.
class CAddObjectAction : public CBaseEditAction {
 public:
  // pObj null: the page's last object is the one just added.
  CAddObjectAction(CRenderPage* pPage, const CString& name, CRenderBaseObj* pObj = nullptr);
  ~CAddObjectAction() override;

  // Another object added in the same step (it must be on the page).
  void AddObject(CRenderBaseObj* pObj);
  // Records the selection in force before the add.
  void BackupSelectedObject(const CRenderBaseObjectList& selection) { m_selection = selection; }
  const CRenderBaseObjectList& GetBackedUpSelection() const { return m_selection; }
  const CRenderBaseObjectList& GetObjects() const { return m_objects; }
  CRenderPage* GetPage() const { return m_pPage; }

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;

 private:
  CRenderPage* m_pPage;
  CString m_strName;
  CRenderBaseObjectList m_objects;
  std::vector<int> m_indexes;  // places on the page, ascending
  CRenderBaseObjectList m_selection;
};

// Objects moved, resized or rotated: their matrices before and after.
class CTransformObjectsAction : public CBaseEditAction {
 public:
  explicit CTransformObjectsAction(const CString& name);
  ~CTransformObjectsAction() override = default;

  // One object with its matrix before and after the change.
  void AddObject(CRenderBaseObj* pObj, const CQorTransMatrix& before, const CQorTransMatrix& after);
  int GetCount() const { return m_objects.GetCount(); }

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;

 private:
  void Apply(bool bAfter);
  CString m_strName;
  CRenderBaseObjectList m_objects;
  std::vector<CQorTransMatrix> m_before, m_after;
};

// An object resized by its handles: its box (in its own coordinates) before and after
// (ResizeObject).
class CResizeObjectAction : public CBaseEditAction {
 public:
  CResizeObjectAction(const CString& name, CRenderBaseObj* pObj, const CQorVectorRect<float>& before,
                      const CQorVectorRect<float>& after);
  ~CResizeObjectAction() override;

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;

 private:
  CString m_strName;
  CRenderBaseObj* m_pObj;
  CQorVectorRect<float> m_before, m_after;
};

// The nodes of a custom shape changed (the anchor tools): its sub-paths and matrix before and
// after.
class CModifyShapePathAction : public CBaseEditAction {
 public:
  CModifyShapePathAction(const CString& name, CCustomPathObj* pShape, const std::vector<CBaseCustomPath>& before,
                         const CQorTransMatrix& matBefore);
  ~CModifyShapePathAction() override;

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;

 private:
  void Swap();
  CString m_strName;
  CCustomPathObj* m_pShape;
  std::vector<CBaseCustomPath> m_paths;  // the other state
  CQorTransMatrix m_matrix;
};

}  // namespace Vectorloom
