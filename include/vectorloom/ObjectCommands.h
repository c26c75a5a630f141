// Editing commands on the objects of a page: stacking order, groups, alignment, mirroring,
// equal sizes, rotation, stroke and paint properties, adding and deleting. Each command works on
// the selected objects that lie on the page's top level (in page order), records exactly one edit
// action in the document when it changes something, marks the document modified and updates the
// views with hint 2 and the page. A command that changes nothing records nothing.
//
// The two actions below undo by exchange: Undo and Redo swap the saved state with the current one,
// so any run of undos and redos gives back exactly the states before and after the command.
#pragma once

#include <utility>
#include <vector>

#include "PropertyWraps.h"

namespace Vectorloom {

// Saves the matrices of objects (and of every member of a group, at any depth).
class CTransformRenderObjsAction : public CBaseEditAction {
 public:
  explicit CTransformRenderObjsAction(const CString& name);
  ~CTransformRenderObjsAction() override;

  // Saves the matrix of the object and of its members; an object saved already is skipped.
  void RecordObject(CRenderBaseObj* pObj);
  // Saves every listed object (what a preview backs up).
  int RecordAllObjects(const CRenderBaseObjectList& objects);
  int GetItemsCount() const { return static_cast<int>(m_items.size()); }
  // Whether some saved matrix differs from its object's current one.
  bool HasChanges() const;

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;

 private:
  void Exchange(CWorkspaceDoc* pDoc);
  struct Item {
    CRenderBaseObj* obj;
    CQorTransMatrix matrix;
  };
  CString m_strName;
  std::vector<Item> m_items;  // one reference each; a group before its members
};

// Changes the object list of a page (which objects it holds, in which order). Undo and Redo put
// back the list before or after the change. Objects that came onto the page since without a step
// of their own (a video clip) stay on it: each goes back in front of the object it stood in
// front of, or behind the one it stood behind.
class CChangePageObjectsAction : public CBaseEditAction {
 public:
  // Saves the page's current list.
  CChangePageObjectsAction(const CString& name, CRenderPage* pPage);
  ~CChangePageObjectsAction() override;

  // Gives the page this list (the change) and saves it.
  void SetPageObjects(const std::vector<CRenderBaseObj*>& objects);

  int Undo(CWorkspaceDoc* pDoc) override;
  int Redo(CWorkspaceDoc* pDoc) override;
  CRenderPage* GetPage() const { return m_pPage; }

 private:
  void Show(int state, CWorkspaceDoc* pDoc);
  CString m_strName;
  CRenderPage* m_pPage;  // one reference
  CRenderBaseObjectList m_states[2];  // before and after the change
  int m_nShown = 0;
};

// Stacking order.
enum eArrangeOrder { ARRANGE_TO_FRONT = 0, ARRANGE_TO_BACK = 1, ARRANGE_FORWARD = 2, ARRANGE_BACKWARD = 3 };
// Alignment: the selected objects' bounds are aligned to the bounds of them all.
enum eAlignKind { ALIGN_LEFT = 0, ALIGN_CENTER = 1, ALIGN_RIGHT = 2, ALIGN_TOP = 3, ALIGN_MIDDLE = 4, ALIGN_BOTTOM = 5 };
// Equal sizes: flags.
enum eMakeSameKind { MAKE_SAME_WIDTH = 1, MAKE_SAME_HEIGHT = 2, MAKE_SAME_SIZE = 3 };

// Records the action (taking ownership), marks the document modified and updates the views with
// hint 2 and the page.
void CommitObjectsEdit(CWorkspaceDoc* pDoc, CRenderPage* pPage, CBaseEditAction* pAction);

// Each returns the number of objects changed (0: nothing changed, nothing recorded).

// Moves the selected objects to the front or back (keeping their order among themselves), or one
// step up or down past the next unselected object.
int ArrangeRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int order);
// Makes a group (CreateNewObject(2)) of at least two selected objects, in page order, where the
// front-most of them was. Returns the new group (the page holds it) or null.
CRenderBaseObj* GroupRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection);
// Puts the members of each selected group on the page in its place; newSelection receives them.
int UngroupRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection,
                         CRenderBaseObjectList& newSelection);
// Aligns at least two selected objects.
int AlignRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int kind);
// Mirrors each selected shape or group about its own centre: left to right (bVertical false) or
// top to bottom.
int MirrorRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, bool bVertical);
// Gives the selected objects the width and/or height (of their bounds) of the reference object,
// keeping their top-left corner. An object of zero extent in a direction keeps it.
int MakeRenderObjectsSameSize(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection,
                              const CRenderBaseObj* pReference, int kind);
// Turns each selected object about the centre of its own box to the angle (degrees, 0 to 359).
int RotateRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int angle);
// The turn about the centre of the object's own box that brings it to the angle; false when it
// stands at that angle already.
bool RotationToAngle(const CRenderBaseObj& obj, int angle, CQorTransMatrix& m);
// Takes the selected objects off the page.
int DeleteRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection);
// Appends the objects to the page (each once, objects already on it skipped).
int AddRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects, const CString& name);

// Writes a property into the selected objects (groups walked) that carry it with another value.
template <class W>
int ModifyRenderObjsProperty(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection,
                             const typename W::ValueType& value, const CString& name) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  auto* action = new CModifyRenderObjsPropertiesAction<W>(name);
  const int count = action->RecordObjects(objects, value);
  if (count == 0) {
    delete action;
    return 0;
  }
  pDoc->AddEditAction(action);
  pDoc->SetModifiedFlag(TRUE);
  CModifyRenderObjsPropertiesAction<W>::SetObjectsValue(value, objects);
  pDoc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(pPage));
  return count;
}

// The property commands' names.
extern const wchar_t* const kStrokeWidthCommandName;   // "Change Stroke Width"
extern const wchar_t* const kDashTypeCommandName;      // "Change Dash Type"
extern const wchar_t* const kFilledColorCommandName;   // "Change Filled Color"
extern const wchar_t* const kStrokeColorCommandName;   // "Change Stroke Color"
extern const wchar_t* const kFillInsideCommandName;    // "Enable/Disable Fill Inside"
extern const wchar_t* const kStrokeOutlineCommandName; // "Enable/Disable Stroke"
extern const wchar_t* const kRotateCommandName;        // "Rotate"

}  // namespace Vectorloom
