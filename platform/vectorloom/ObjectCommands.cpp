#include "ObjectCommands.h"

#include <algorithm>

namespace Vectorloom {

const wchar_t* const kStrokeWidthCommandName = L"Change Stroke Width";
const wchar_t* const kDashTypeCommandName = L"Change Dash Type";
const wchar_t* const kFilledColorCommandName = L"Change Filled Color";
const wchar_t* const kStrokeColorCommandName = L"Change Stroke Color";
const wchar_t* const kFillInsideCommandName = L"Enable/Disable Fill Inside";
const wchar_t* const kStrokeOutlineCommandName = L"Enable/Disable Stroke";
const wchar_t* const kRotateCommandName = L"Rotate";

void CollectSelectedPageObjects(const CRenderPage& page, const CRenderBaseObjectList& selection,
                                CRenderBaseObjectList& out) {
  for (CRenderBaseObj* obj : page.GetRenderObjectList())
    if (selection.Find(obj) >= 0 && out.Find(obj) < 0) out.AddElement(obj);
}

// ---------------------------------------------------------------------------------------------
// CTransformRenderObjsAction

CTransformRenderObjsAction::CTransformRenderObjsAction(const CString& name)
    : CBaseEditAction(CString(L"Undo ") + name), m_strName(name) {}

CTransformRenderObjsAction::~CTransformRenderObjsAction() {
  for (Item& item : m_items) ReleaseRefObj(item.obj);
}

void CTransformRenderObjsAction::RecordObject(CRenderBaseObj* pObj) {
  if (!pObj) return;
  for (const Item& item : m_items)
    if (item.obj == pObj) return;
  m_items.push_back({AddRefObj(pObj), pObj->GetTransMatrix()});
  if (pObj->IsGroupObject())
    for (CRenderBaseObj* child : static_cast<CRenderGroupObj*>(pObj)->GetChildList()) RecordObject(child);
}

int CTransformRenderObjsAction::RecordAllObjects(const CRenderBaseObjectList& objects) {
  const size_t before = m_items.size();
  for (CRenderBaseObj* obj : objects) RecordObject(obj);
  return static_cast<int>(m_items.size() - before);
}

bool CTransformRenderObjsAction::HasChanges() const {
  for (const Item& item : m_items)
    if (item.obj->GetTransMatrix() != item.matrix) return true;
  return false;
}

void CTransformRenderObjsAction::Exchange(CWorkspaceDoc* pDoc) {
  for (Item& item : m_items) {
    const CQorTransMatrix current = item.obj->GetTransMatrix();
    item.obj->SetTransMatrix(item.matrix, false);
    item.matrix = current;
  }
  for (Item& item : m_items)
    if (!item.obj->IsGroupObject()) item.obj->CreatePathStorage();
  if (pDoc && !m_items.empty())
    pDoc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(pDoc->FindOwnerPage(m_items.front().obj)));
}

int CTransformRenderObjsAction::Undo(CWorkspaceDoc* pDoc) {
  Exchange(pDoc);
  SetMenuText(CString(L"Redo ") + m_strName);
  return 1;
}

int CTransformRenderObjsAction::Redo(CWorkspaceDoc* pDoc) {
  Exchange(pDoc);
  SetMenuText(CString(L"Undo ") + m_strName);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// CChangePageObjectsAction

CChangePageObjectsAction::CChangePageObjectsAction(const CString& name, CRenderPage* pPage)
    : CBaseEditAction(CString(L"Undo ") + name), m_strName(name), m_pPage(AddRefObj(pPage)) {
  if (m_pPage) m_states[0] = m_states[1] = m_pPage->GetRenderObjectList();
}

CChangePageObjectsAction::~CChangePageObjectsAction() {
  m_states[0].RemoveAllElements();
  m_states[1].RemoveAllElements();
  ReleaseRefObj(m_pPage);
}

void CChangePageObjectsAction::SetPageObjects(const std::vector<CRenderBaseObj*>& objects) {
  CRenderBaseObjectList list;
  for (CRenderBaseObj* obj : objects) list.AddElement(obj);
  m_states[1] = list;
  if (m_pPage) m_pPage->GetRenderObjectList() = list;
  m_nShown = 1;
}

void CChangePageObjectsAction::Show(int state, CWorkspaceDoc* pDoc) {
  if (!m_pPage) return;
  const CRenderBaseObjectList& known = m_states[m_nShown];
  const CRenderBaseObjectList& target = m_states[state];
  const CRenderBaseObjectList current = m_pPage->GetRenderObjectList();
  std::vector<CRenderBaseObj*> result(target.begin(), target.end());
  auto inResult = [&](CRenderBaseObj* obj) { return std::find(result.begin(), result.end(), obj) != result.end(); };
  for (int i = 0; i < current.GetCount(); ++i) {
    CRenderBaseObj* obj = current[i];
    if (known.Find(obj) >= 0 || inResult(obj)) continue;
    // Came since: in front of the nearest object behind it that is kept, else behind the nearest
    // kept object in front of it, else at the back.
    auto at = result.end();
    bool placed = false;
    for (int j = i + 1; j < current.GetCount() && !placed; ++j)
      if ((at = std::find(result.begin(), result.end(), current[j])) != result.end()) placed = true;
    for (int j = i - 1; j >= 0 && !placed; --j)
      if ((at = std::find(result.begin(), result.end(), current[j])) != result.end()) {
        ++at;
        placed = true;
      }
    result.insert(placed ? at : result.begin(), obj);
  }
  CRenderBaseObjectList list;
  for (CRenderBaseObj* obj : result) list.AddElement(obj);
  m_pPage->GetRenderObjectList() = list;
  m_nShown = state;
  if (pDoc) pDoc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(m_pPage));
}

int CChangePageObjectsAction::Undo(CWorkspaceDoc* pDoc) {
  Show(0, pDoc);
  SetMenuText(CString(L"Redo ") + m_strName);
  return 1;
}

int CChangePageObjectsAction::Redo(CWorkspaceDoc* pDoc) {
  Show(1, pDoc);
  SetMenuText(CString(L"Undo ") + m_strName);
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Commands

void CommitObjectsEdit(CWorkspaceDoc* pDoc, CRenderPage* pPage, CBaseEditAction* pAction) {
  pDoc->AddEditAction(pAction);
  pDoc->SetModifiedFlag(TRUE);
  pDoc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(pPage));
}

namespace {

std::vector<CRenderBaseObj*> PageOrder(const CRenderPage& page) {
  const CRenderBaseObjectList& list = page.GetRenderObjectList();
  return std::vector<CRenderBaseObj*>(list.begin(), list.end());
}

// Records the transforms made by fn(obj) (which returns false when it leaves obj alone) as one
// action; returns the number of objects changed.
template <class Fn>
int TransformEach(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects, const wchar_t* name,
                  Fn&& fn) {
  auto* action = new CTransformRenderObjsAction(CString(name));
  int changed = 0;
  for (CRenderBaseObj* obj : objects) {
    CQorTransMatrix m;
    if (!fn(obj, m)) continue;
    action->RecordObject(obj);
    obj->TransformObject(m, true);
    ++changed;
  }
  if (changed == 0 || !action->HasChanges()) {
    // Nothing moved: put back whatever a transform may have touched and record nothing.
    if (changed) action->Undo(nullptr);
    delete action;
    return 0;
  }
  CommitObjectsEdit(pDoc, pPage, action);
  return changed;
}

CQorTransMatrix About(const CQorTransMatrix& m, float cx, float cy) {
  return CQorTransMatrix::Translation(-cx, -cy) * m * CQorTransMatrix::Translation(cx, cy);
}

}  // namespace

int ArrangeRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int order) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  if (objects.IsEmpty()) return 0;
  const std::vector<CRenderBaseObj*> before = PageOrder(*pPage);
  auto selected = [&](CRenderBaseObj* obj) { return objects.Find(obj) >= 0; };
  std::vector<CRenderBaseObj*> after;
  const wchar_t* name = L"";
  switch (order) {
    case ARRANGE_TO_FRONT:
    case ARRANGE_TO_BACK: {
      std::vector<CRenderBaseObj*> sel, rest;
      for (CRenderBaseObj* obj : before) (selected(obj) ? sel : rest).push_back(obj);
      after = order == ARRANGE_TO_FRONT ? rest : sel;
      const auto& tail = order == ARRANGE_TO_FRONT ? sel : rest;
      after.insert(after.end(), tail.begin(), tail.end());
      name = order == ARRANGE_TO_FRONT ? L"Bring to Front" : L"Send to Back";
      break;
    }
    case ARRANGE_FORWARD:
      after = before;
      for (size_t i = after.size(); i-- > 1;)
        if (selected(after[i - 1]) && !selected(after[i])) std::swap(after[i - 1], after[i]);
      name = L"Bring Forward";
      break;
    case ARRANGE_BACKWARD:
      after = before;
      for (size_t i = 1; i < after.size(); ++i)
        if (selected(after[i]) && !selected(after[i - 1])) std::swap(after[i - 1], after[i]);
      name = L"Send Backward";
      break;
    default:
      return 0;
  }
  int moved = 0;
  for (size_t i = 0; i < before.size(); ++i)
    if (before[i] != after[i] && selected(after[i])) ++moved;
  if (moved == 0) return 0;
  auto* action = new CChangePageObjectsAction(CString(name), pPage);
  action->SetPageObjects(after);
  CommitObjectsEdit(pDoc, pPage, action);
  return moved;
}

CRenderBaseObj* GroupRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection) {
  if (!pDoc || !pPage) return nullptr;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  if (objects.GetCount() < 2) return nullptr;
  CRenderBaseObj* made = pDoc->CreateNewObject(RENDER_OBJ_GROUP);
  auto* group = dynamic_cast<CRenderGroupObj*>(made);
  if (!group) {
    if (made) {
      made->AddRef();
      made->Release();
    }
    return nullptr;
  }
  group->AddRef();
  for (CRenderBaseObj* obj : objects) group->AddChild(obj);
  std::vector<CRenderBaseObj*> after;
  for (CRenderBaseObj* obj : PageOrder(*pPage)) {
    if (objects.Find(obj) < 0)
      after.push_back(obj);
    else if (obj == objects.GetTail())
      after.push_back(group);
  }
  auto* action = new CChangePageObjectsAction(CString(L"Group"), pPage);
  action->SetPageObjects(after);
  CommitObjectsEdit(pDoc, pPage, action);
  group->Release();  // the page holds it
  return group;
}

int UngroupRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection,
                         CRenderBaseObjectList& newSelection) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  int groups = 0;
  std::vector<CRenderBaseObj*> after;
  CRenderBaseObjectList chosen;
  for (CRenderBaseObj* obj : PageOrder(*pPage)) {
    const bool sel = objects.Find(obj) >= 0;
    if (sel && obj->IsGroupObject()) {
      ++groups;
      for (CRenderBaseObj* child : static_cast<CRenderGroupObj*>(obj)->GetChildList()) {
        after.push_back(child);
        chosen.AddElement(child);
      }
    } else {
      after.push_back(obj);
      if (sel) chosen.AddElement(obj);
    }
  }
  if (groups == 0) return 0;
  auto* action = new CChangePageObjectsAction(CString(L"Ungroup"), pPage);
  action->SetPageObjects(after);
  CommitObjectsEdit(pDoc, pPage, action);
  newSelection = chosen;
  return groups;
}

int AlignRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int kind) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  if (objects.GetCount() < 2) return 0;
  CQorVectorRect<float> all;
  bool first = true;
  for (CRenderBaseObj* obj : objects) {
    const CQorVectorRect<float> b = obj->CalcuBoundRect();
    if (first) {
      all = b;
      first = false;
    } else {
      all.left = std::min(all.left, b.left);
      all.top = std::min(all.top, b.top);
      all.right = std::max(all.right, b.right);
      all.bottom = std::max(all.bottom, b.bottom);
    }
  }
  static const wchar_t* const kNames[] = {L"Align Left", L"Align Center", L"Align Right",
                                          L"Align Top",  L"Align Middle", L"Align Bottom"};
  if (kind < ALIGN_LEFT || kind > ALIGN_BOTTOM) return 0;
  return TransformEach(pDoc, pPage, objects, kNames[kind], [&](CRenderBaseObj* obj, CQorTransMatrix& m) {
    const CQorVectorRect<float> b = obj->CalcuBoundRect();
    float dx = 0, dy = 0;
    switch (kind) {
      case ALIGN_LEFT: dx = all.left - b.left; break;
      case ALIGN_CENTER: dx = (all.left + all.right) / 2 - (b.left + b.right) / 2; break;
      case ALIGN_RIGHT: dx = all.right - b.right; break;
      case ALIGN_TOP: dy = all.top - b.top; break;
      case ALIGN_MIDDLE: dy = (all.top + all.bottom) / 2 - (b.top + b.bottom) / 2; break;
      case ALIGN_BOTTOM: dy = all.bottom - b.bottom; break;
    }
    if (dx == 0 && dy == 0) return false;
    m = CQorTransMatrix::Translation(dx, dy);
    return true;
  });
}

int MirrorRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, bool bVertical) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  return TransformEach(pDoc, pPage, objects, bVertical ? L"Flip" : L"Mirror", [&](CRenderBaseObj* obj, CQorTransMatrix& m) {
    const int type = obj->GetObjectType();
    if (type != RENDER_OBJ_SHAPE && type != RENDER_OBJ_CORETEXT && type != RENDER_OBJ_GROUP) return false;
    const CQorVectorRect<float> b = obj->CalcuBoundRect();
    m = About(bVertical ? CQorTransMatrix::Scale(1, -1) : CQorTransMatrix::Scale(-1, 1), (b.left + b.right) / 2,
              (b.top + b.bottom) / 2);
    return true;
  });
}

int MakeRenderObjectsSameSize(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection,
                              const CRenderBaseObj* pReference, int kind) {
  if (!pDoc || !pPage || !pReference || (kind & MAKE_SAME_SIZE) == 0) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  const CQorVectorRect<float> ref = pReference->CalcuBoundRect();
  const wchar_t* name = kind == MAKE_SAME_SIZE ? L"Make Same Size" : (kind & MAKE_SAME_WIDTH) ? L"Make Same Width"
                                                                                               : L"Make Same Height";
  return TransformEach(pDoc, pPage, objects, name, [&](CRenderBaseObj* obj, CQorTransMatrix& m) {
    if (obj == pReference) return false;
    const CQorVectorRect<float> b = obj->CalcuBoundRect();
    const float sx = (kind & MAKE_SAME_WIDTH) && b.Width() > 0 ? ref.Width() / b.Width() : 1;
    const float sy = (kind & MAKE_SAME_HEIGHT) && b.Height() > 0 ? ref.Height() / b.Height() : 1;
    if (sx == 1 && sy == 1) return false;
    m = About(CQorTransMatrix::Scale(sx, sy), b.left, b.top);
    return true;
  });
}

int RotateRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection, int angle) {
  if (!pDoc || !pPage) return 0;
  angle %= 360;
  if (angle < 0) angle += 360;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  return TransformEach(pDoc, pPage, objects, kRotateCommandName,
                       [&](CRenderBaseObj* obj, CQorTransMatrix& m) { return RotationToAngle(*obj, angle, m); });
}

bool RotationToAngle(const CRenderBaseObj& obj, int angle, CQorTransMatrix& m) {
  angle %= 360;
  if (angle < 0) angle += 360;
  const int delta = angle - obj.GetRotatedAngle();
  if (delta == 0) return false;
  // About the centre of the object's own box: it stays where it is at every angle, so turning
  // to one angle after another never walks the object away.
  const CQorVectorRect<float> box = obj.GetObjectBox();
  const CQorVectorPoint<float> c =
      obj.GetTransMatrix().Transform(CQorVectorPoint<float>((box.left + box.right) / 2, (box.top + box.bottom) / 2));
  m = CQorTransMatrix::RotationAt(static_cast<float>(delta), c.x, c.y);
  return true;
}

int DeleteRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& selection) {
  if (!pDoc || !pPage) return 0;
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  if (objects.IsEmpty()) return 0;
  std::vector<CRenderBaseObj*> after;
  for (CRenderBaseObj* obj : PageOrder(*pPage))
    if (objects.Find(obj) < 0) after.push_back(obj);
  auto* action = new CChangePageObjectsAction(CString(L"Delete"), pPage);
  action->SetPageObjects(after);
  CommitObjectsEdit(pDoc, pPage, action);
  return objects.GetCount();
}

int AddRenderObjects(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects, const CString& name) {
  if (!pDoc || !pPage) return 0;
  std::vector<CRenderBaseObj*> after = PageOrder(*pPage);
  int added = 0;
  for (CRenderBaseObj* obj : objects) {
    if (!obj || pPage->ContainsObject(obj) || std::find(after.begin(), after.end(), obj) != after.end()) continue;
    after.push_back(obj);
    ++added;
  }
  if (added == 0) return 0;
  auto* action = new CChangePageObjectsAction(name, pPage);
  action->SetPageObjects(after);
  CommitObjectsEdit(pDoc, pPage, action);
  return added;
}

}  // namespace Vectorloom
