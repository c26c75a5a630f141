// Rendering properties of page objects as values that commands, undo actions and live previews
// read, write and exchange.
//
// A wrap names one property: its value type (ValueType), Read (false when the object does not
// carry the property), Write, and whether a shape's paths are rebuilt after a write
// (kRebuildShape). Shapes are the objects of type codes 0 and 1 that derive from CBaseShapeObj;
// groups never carry a property themselves, the walkers below descend into their children.
//
// CModifyObjRenderPropertiesItem<W> is one saved value of one object (holding a reference to it);
// CArrayModifyRenderObjsRenderPropertiesSet<W> is a set of them. CModifyRenderObjsPropertiesAction<W>
// is the undoable change of a list of objects; CPreviewChangeRenderPropertiesSence<Action> is a
// live preview that backs the objects up into such an action and puts them back with its Undo.
#pragma once

#include <afxtempl.h>

#include <cstdint>
#include <utility>

#include "EditAction.h"
#include "GroupObj.h"
#include "RenderPage.h"
#include "ShapeObj.h"
#include "WorkspaceDoc.h"

namespace Vectorloom {

// A paint as three 32-bit words: the switch (nonzero = painted), the paint kind (eRenderKind;
// 1 = solid colour) and the colour (a Windows RGB value). Compared word by word.
struct PaintColorValue {
  uint32_t bEnabled = 0;
  uint32_t nKind = RENDER_KIND_SOLID;
  uint32_t crColor = 0;

  PaintColorValue() = default;
  PaintColorValue(uint32_t enabled, uint32_t kind, uint32_t color) : bEnabled(enabled), nKind(kind), crColor(color) {}
  bool operator==(const PaintColorValue& o) const {
    return bEnabled == o.bEnabled && nKind == o.nKind && crColor == o.crColor;
  }
  bool operator!=(const PaintColorValue& o) const { return !(*this == o); }
};

// A stroke parameter together with the stroke switch: choosing a width or a dash for a shape
// also turns its outline on, and undo gives both back.
template <typename T>
struct CStrokeParamValue {
  int bStroke = 0;
  T value{};

  CStrokeParamValue() = default;
  CStrokeParamValue(int stroke, T v) : bStroke(stroke), value(v) {}
  bool operator==(const CStrokeParamValue& o) const { return bStroke == o.bStroke && value == o.value; }
  bool operator!=(const CStrokeParamValue& o) const { return !(*this == o); }
};

// The shape behind an object that carries shape properties, or null.
inline CBaseShapeObj* ShapeOfRenderObj(CRenderBaseObj* pObj) {
  if (!pObj) return nullptr;
  const int type = pObj->GetObjectType();
  if (type != RENDER_OBJ_SHAPE && type != RENDER_OBJ_CORETEXT) return nullptr;
  return dynamic_cast<CBaseShapeObj*>(pObj);
}
inline const CBaseShapeObj* ShapeOfRenderObj(const CRenderBaseObj* pObj) {
  return ShapeOfRenderObj(const_cast<CRenderBaseObj*>(pObj));
}

// Base of the wraps over a shape field: Get and Set on CBaseShapeObj.
template <typename T, class Derived, bool Rebuild>
struct CShapeObjWrapBase {
  using ValueType = T;
  static constexpr bool kRebuildShape = Rebuild;
  static bool Read(const CRenderBaseObj* pObj, T& value) {
    const CBaseShapeObj* shape = ShapeOfRenderObj(pObj);
    if (!shape) return false;
    value = Derived::Get(*shape);
    return true;
  }
  static bool Write(CRenderBaseObj* pObj, const T& value) {
    CBaseShapeObj* shape = ShapeOfRenderObj(pObj);
    if (!shape) return false;
    Derived::Set(*shape, value);
    return true;
  }
};

struct CModifyShapeObjFilledTransparencyWrap
    : CShapeObjWrapBase<int, CModifyShapeObjFilledTransparencyWrap, false> {
  static int Get(const CBaseShapeObj& s) { return s.GetFilledTransparency(); }
  static void Set(CBaseShapeObj& s, int v) { s.SetFilledTransparency(v); }
};

struct CModifyShapeObjStrokenTransparencyWrap
    : CShapeObjWrapBase<int, CModifyShapeObjStrokenTransparencyWrap, false> {
  static int Get(const CBaseShapeObj& s) { return s.GetStrokeTransparency(); }
  static void Set(CBaseShapeObj& s, int v) { s.SetStrokeTransparency(v); }
};

// Fill switch, fill kind and fill colour.
struct CModifyShapeObjFilledColorWrap : CShapeObjWrapBase<PaintColorValue, CModifyShapeObjFilledColorWrap, true> {
  static PaintColorValue Get(const CBaseShapeObj& s) {
    return {static_cast<uint32_t>(s.GetFillInsideFlag()), static_cast<uint32_t>(s.GetFillKind()), s.GetFillColor()};
  }
  static void Set(CBaseShapeObj& s, const PaintColorValue& v) {
    s.SetFillInsideFlag(v.bEnabled != 0);
    s.SetFillKind(static_cast<int>(v.nKind));
    s.SetFillColor(v.crColor);
  }
};

// Stroke switch, stroke kind and stroke colour.
struct CModifyShapeObjOutlineColorWrap : CShapeObjWrapBase<PaintColorValue, CModifyShapeObjOutlineColorWrap, true> {
  static PaintColorValue Get(const CBaseShapeObj& s) {
    return {static_cast<uint32_t>(s.GetStrokeOutlineFlag()), static_cast<uint32_t>(s.GetStrokeKind()),
            s.GetStrokeColor()};
  }
  static void Set(CBaseShapeObj& s, const PaintColorValue& v) {
    s.SetStrokeOutlineFlag(v.bEnabled != 0);
    s.SetStrokeKind(static_cast<int>(v.nKind));
    s.SetStrokeColor(v.crColor);
  }
};

struct CModifyShapeObjFillInsideFlagWrap : CShapeObjWrapBase<int, CModifyShapeObjFillInsideFlagWrap, true> {
  static int Get(const CBaseShapeObj& s) { return s.GetFillInsideFlag(); }
  static void Set(CBaseShapeObj& s, int v) { s.SetFillInsideFlag(v); }
};

struct CModifyShapeObjStrokeOutlineFlagWrap : CShapeObjWrapBase<int, CModifyShapeObjStrokeOutlineFlagWrap, true> {
  static int Get(const CBaseShapeObj& s) { return s.GetStrokeOutlineFlag(); }
  static void Set(CBaseShapeObj& s, int v) { s.SetStrokeOutlineFlag(v); }
};

// Stroke width in pixels, with the stroke switch.
struct CModifyShapeObjStrokenWidthWrap
    : CShapeObjWrapBase<CStrokeParamValue<float>, CModifyShapeObjStrokenWidthWrap, true> {
  static CStrokeParamValue<float> Get(const CBaseShapeObj& s) { return {s.GetStrokeOutlineFlag(), s.GetStrokeWidth()}; }
  static void Set(CBaseShapeObj& s, const CStrokeParamValue<float>& v) {
    s.SetStrokeOutlineFlag(v.bStroke);
    s.SetStrokeWidth(v.value);
  }
};

// Dash type (eDashType), with the stroke switch.
struct CModifyShapeObjDashTypeWrap : CShapeObjWrapBase<CStrokeParamValue<int>, CModifyShapeObjDashTypeWrap, true> {
  static CStrokeParamValue<int> Get(const CBaseShapeObj& s) { return {s.GetStrokeOutlineFlag(), s.GetDashType()}; }
  static void Set(CBaseShapeObj& s, const CStrokeParamValue<int>& v) {
    s.SetStrokeOutlineFlag(v.bStroke);
    s.SetDashType(v.value);
  }
};

// Font properties: this library's shapes carry no font, so these name the value type only; the
// text objects of the program read and write them through their own accessors.
template <typename T>
struct CTextObjWrapBase {
  using ValueType = T;
  static constexpr bool kRebuildShape = false;
  static bool Read(const CRenderBaseObj*, T&) { return false; }
  static bool Write(CRenderBaseObj*, const T&) { return false; }
};
struct CModifyTexObjFontBoldWrap : CTextObjWrapBase<int> {};
struct CModifyTexObjFontItalicWrap : CTextObjWrapBase<int> {};
template <typename T>
struct CModifyTexObjFontSizeWrapT : CTextObjWrapBase<T> {};

// After a write of a property that changes how a shape is outlined or painted: the path, the
// stroke outline and the effect bitmaps are made again.
inline void RebuildShapeAfterPropertyChange(CRenderBaseObj* pObj) {
  pObj->CreatePathStorage();
  if (CBaseShapeObj* shape = ShapeOfRenderObj(pObj)) shape->CreateStrokenPathStorage();
  pObj->CreateEffectsDIBs(3, 0);
}

// One object's saved value. The item holds one reference to the object; copies take their own.
template <class W>
class CModifyObjRenderPropertiesItem {
 public:
  using ValueType = typename W::ValueType;

  CModifyObjRenderPropertiesItem() = default;
  CModifyObjRenderPropertiesItem(CRenderBaseObj* pObj, const ValueType& value) : m_value(value), m_pObj(AddRefObj(pObj)) {}
  CModifyObjRenderPropertiesItem(const CModifyObjRenderPropertiesItem& o) : m_value(o.m_value), m_pObj(AddRefObj(o.m_pObj)) {}
  CModifyObjRenderPropertiesItem(CModifyObjRenderPropertiesItem&& o) noexcept
      : m_value(std::move(o.m_value)), m_pObj(std::exchange(o.m_pObj, nullptr)) {}
  CModifyObjRenderPropertiesItem& operator=(const CModifyObjRenderPropertiesItem& o) {
    if (this != &o) {
      CRenderBaseObj* p = AddRefObj(o.m_pObj);
      ReleaseRefObj(m_pObj);
      m_pObj = p;
      m_value = o.m_value;
    }
    return *this;
  }
  CModifyObjRenderPropertiesItem& operator=(CModifyObjRenderPropertiesItem&& o) noexcept {
    if (this != &o) {
      ReleaseRefObj(m_pObj);
      m_pObj = std::exchange(o.m_pObj, nullptr);
      m_value = std::move(o.m_value);
    }
    return *this;
  }
  ~CModifyObjRenderPropertiesItem() { ReleaseRefObj(m_pObj); }

  CRenderBaseObj* GetObject() const { return m_pObj; }
  const ValueType& GetValue() const { return m_value; }

  // Swaps the saved value with the object's current one (and rebuilds the shape when the
  // property asks for it).
  void Exchange() {
    if (!m_pObj) return;
    ValueType current{};
    if (!W::Read(m_pObj, current)) return;
    W::Write(m_pObj, m_value);
    m_value = current;
    if (W::kRebuildShape) RebuildShapeAfterPropertyChange(m_pObj);
  }

  ValueType m_value{};
  CRenderBaseObj* m_pObj = nullptr;
};

template <class W>
class CArrayModifyRenderObjsRenderPropertiesSet
    : public CArray<CModifyObjRenderPropertiesItem<W>, const CModifyObjRenderPropertiesItem<W>&> {
 public:
  using Item = CModifyObjRenderPropertiesItem<W>;
  // Exchanges every item's value with its object's.
  void ExchangeAll() {
    for (INT_PTR i = 0; i < this->GetSize(); ++i) this->ElementAt(i).Exchange();
  }
};

// Calls fn(obj) for each object of the list that is not a group and, recursively, for the
// members of each group.
template <class Fn>
void ForEachRenderObjMember(const CRenderBaseObjectList& list, Fn&& fn) {
  for (CRenderBaseObj* obj : list) {
    if (obj->IsGroupObject())
      ForEachRenderObjMember(static_cast<CRenderGroupObj*>(obj)->GetChildList(), fn);
    else
      fn(obj);
  }
}

// The objects of the page, in page order, that are in the list (top level of the page only).
void CollectSelectedPageObjects(const CRenderPage& page, const CRenderBaseObjectList& selection,
                                CRenderBaseObjectList& out);

// The undoable change of one property on a list of objects (groups walked). Undo and Redo are the
// same exchange of saved and current values; the menu text shows the side the action is on.
template <class W>
class CModifyRenderObjsPropertiesAction : public CBaseEditAction {
 public:
  using ValueType = typename W::ValueType;

  explicit CModifyRenderObjsPropertiesAction(const CString& name)
      : CBaseEditAction(CString(L"Undo ") + name), m_strName(name) {}

  // Saves the value of every object that carries the property and differs from newValue;
  // returns the number of objects saved.
  int RecordObjects(const CRenderBaseObjectList& objects, const ValueType& newValue) {
    const INT_PTR before = m_set.GetSize();
    ForEachRenderObjMember(objects, [&](CRenderBaseObj* obj) {
      ValueType v{};
      if (W::Read(obj, v) && v != newValue) m_set.Add(typename Set::Item(obj, v));
    });
    return static_cast<int>(m_set.GetSize() - before);
  }
  // Saves the value of every object that carries the property (what a preview backs up).
  int RecordAllObjects(const CRenderBaseObjectList& objects) {
    const INT_PTR before = m_set.GetSize();
    ForEachRenderObjMember(objects, [&](CRenderBaseObj* obj) {
      ValueType v{};
      if (W::Read(obj, v)) m_set.Add(typename Set::Item(obj, v));
    });
    return static_cast<int>(m_set.GetSize() - before);
  }
  // Writes the value into every listed object that carries the property (groups walked).
  static void SetObjectsValue(const ValueType& value, const CRenderBaseObjectList& objects) {
    ForEachRenderObjMember(objects, [&](CRenderBaseObj* obj) {
      if (W::Write(obj, value) && W::kRebuildShape) RebuildShapeAfterPropertyChange(obj);
    });
  }

  int Undo(CWorkspaceDoc* pDoc) override {
    Exchange(pDoc);
    SetMenuText(CString(L"Redo ") + m_strName);
    return 1;
  }
  int Redo(CWorkspaceDoc* pDoc) override {
    Exchange(pDoc);
    SetMenuText(CString(L"Undo ") + m_strName);
    return 1;
  }

  int GetItemsCount() const { return static_cast<int>(m_set.GetSize()); }
  const CString& GetName() const { return m_strName; }

 private:
  using Set = CArrayModifyRenderObjsRenderPropertiesSet<W>;

  void Exchange(CWorkspaceDoc* pDoc) {
    m_set.ExchangeAll();
    if (pDoc && m_set.GetSize() > 0)
      pDoc->UpdateAllViews(nullptr, 2, CWorkspaceDoc::PageHint(pDoc->FindOwnerPage(m_set[0].GetObject())));
  }

  CString m_strName;
  Set m_set;
};

// A live preview of one property: Backup saves every selected object of the page into an action
// with an empty name, Restore takes the values back with the action's Undo (once; deleting a
// scene that was not restored restores it). Each instance has a
// run-time class of its own, so scenes of different properties tell each other apart. Action
// needs RecordAllObjects(list) and Undo(doc).
template <class Action>
class CPreviewChangeRenderPropertiesSence : public CBasePreviewScene {
  DECLARE_DYNAMIC(CPreviewChangeRenderPropertiesSence)
 public:
  CPreviewChangeRenderPropertiesSence() : m_action(CString()) {}

  // A scene deleted before it was restored (its view went away mid-preview) puts the values back
  // all the same: a preview never stays in the document.
  ~CPreviewChangeRenderPropertiesSence() override {
    RestoreScene(nullptr, m_pPage, m_selection);
    ReleaseRefObj(m_pPage);
  }

  int Backup(CWorkspaceDoc*, CRenderPage* pPage, const CRenderBaseObjectList& selection) override {
    CRenderPage* page = AddRefObj(pPage);
    ReleaseRefObj(m_pPage);
    m_pPage = page;
    m_selection = selection;
    if (!pPage) return 1;
    CRenderBaseObjectList objects;
    CollectSelectedPageObjects(*pPage, selection, objects);
    m_action.RecordAllObjects(objects);
    return 1;
  }
  int Restore(CWorkspaceDoc* pDoc, CRenderPage*, const CRenderBaseObjectList&) override {
    m_action.Undo(pDoc);
    return 1;
  }

  Action& GetAction() { return m_action; }
  // Whether Backup was made for this page and this selection (the same objects in the same order).
  bool IsBackupOf(const CRenderPage* pPage, const CRenderBaseObjectList& selection) const {
    if (pPage != m_pPage || selection.GetCount() != m_selection.GetCount()) return false;
    for (int i = 0; i < selection.GetCount(); ++i)
      if (selection[i] != m_selection[i]) return false;
    return true;
  }

 private:
  Action m_action;
  CRenderPage* m_pPage = nullptr;  // one reference
  CRenderBaseObjectList m_selection;
};

IMPLEMENT_DYNAMIC_T(CPreviewChangeRenderPropertiesSence, Action, CBasePreviewScene)

}  // namespace Vectorloom
