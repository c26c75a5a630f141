// Undoable property changes of page objects: the characters of the text being edited, a list of
// shapes and texts (groups walked), or a list of texts only. A property is fixed by three
// arguments: the wrap W (the value type and how a shape carries it), the text class TText and the
// accessor A (how a character carries it, CharProperties.h).
//
// Undo and Redo are one exchange of the recorded values with the objects' current ones, so any
// number of alternating undos and redos gives exactly the values before and after the command.
// A text record whose characters no longer all exist is not written back and keeps its values
// (nothing is read or written past the end of the text). The menu text is "Undo " + name while
// the action is on the undo side and "Redo " + name on the redo side.
//
// Calling order of a command: end the preview, create the action, record; only when something
// was recorded hand it to CWorkspaceDoc::AddEditAction and write the new value
// (SetCharactersValue / SetObjectsValue); otherwise delete it.
#pragma once

#include <quirebook/DDrawTextObj.h>
#include <vectorloom/EditAction.h>
#include <vectorloom/PropertyWraps.h>
#include <vectorloom/WorkspaceDoc.h>

#include <memory>
#include <utility>
#include <vector>

#include "CharProperties.h"

namespace Quirebook {

// The text object behind a render object of type code 3, or null.
template <class TText>
TText* TextOfRenderObj(Vectorloom::CRenderBaseObj* obj) {
  if (!obj || obj->GetObjectType() != Vectorloom::RENDER_OBJ_TEXT) return nullptr;
  return dynamic_cast<TText*>(obj);
}

// Calls fn(obj) for every object of the list that is not a group and, depth first in child
// order, for the members of its groups.
template <class Fn>
void WalkObjectsAndGroupMembers(const Vectorloom::CRenderBaseObjectList& objects, Fn&& fn) {
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP && obj->IsGroupObject())
      WalkObjectsAndGroupMembers(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), fn);
    else
      fn(obj);
  }
}

// The saved values of consecutive characters of one text, from character start on. Holds one
// reference to its text.
template <class W, class TText, class A>
class CModifyTextObjsRenderPropertiesItem {
 public:
  using Element = typename A::Element;

  explicit CModifyTextObjsRenderPropertiesItem(bool relayout = A::kRelayout) : m_bRelayout(relayout) {}
  ~CModifyTextObjsRenderPropertiesItem() { Vectorloom::ReleaseRefObj(m_pText); }
  CModifyTextObjsRenderPropertiesItem(const CModifyTextObjsRenderPropertiesItem&) = delete;
  CModifyTextObjsRenderPropertiesItem& operator=(const CModifyTextObjsRenderPropertiesItem&) = delete;

  TText* GetTextObject() const { return m_pText; }
  void SetTextObject(TText* text) {
    TText* held = Vectorloom::AddRefObj(text);
    Vectorloom::ReleaseRefObj(m_pText);
    m_pText = held;
  }
  int GetStart() const { return m_nStart; }
  bool IsRelayout() const { return m_bRelayout; }
  const std::vector<Element>& GetValues() const { return m_values; }

  // Saves characters first..last (clamped to the text) and takes the text.
  void Save(TText* text, int first, int last) {
    SaveRangeValues<A>(*text, first, last, m_values);
    m_nStart = first < 0 ? 0 : first;
    SetTextObject(text);
  }

  // Swaps the saved values with the characters' current ones. Returns false, writing nothing and
  // keeping the saved values, when they no longer all fit in the text; the text is laid out again
  // (with the relayout flag) whenever start is inside it.
  bool Exchange() {
    if (!m_pText || m_values.empty()) return false;
    const int n = TextCharacterCount(*m_pText);
    if (m_nStart < 0 || m_nStart >= n) return false;
    const bool fits = static_cast<int64_t>(m_nStart) + static_cast<int64_t>(m_values.size()) <= n;
    if (fits) {
      std::vector<Element> current;
      SaveRangeValues<A>(*m_pText, m_nStart, m_nStart + static_cast<int>(m_values.size()) - 1, current);
      WriteRangeValues<A>(*m_pText, m_nStart, m_values);
      m_values.swap(current);
    }
    if (m_bRelayout) RelayoutTextFromCharacter(*m_pText, m_nStart);
    return fits;
  }

 private:
  std::vector<Element> m_values;
  int m_nStart = 0;
  bool m_bRelayout;
  TText* m_pText = nullptr;
};

// Text records owned by pointer, in the order they were recorded.
template <class W, class TText, class A>
class CArrayModifyTextObjsRenderPropertiesSet {
 public:
  using Item = CModifyTextObjsRenderPropertiesItem<W, TText, A>;

  int GetSize() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  Item& operator[](int i) const { return *m_items[static_cast<size_t>(i)]; }
  Item* Add(std::unique_ptr<Item> item) {
    m_items.push_back(std::move(item));
    return m_items.back().get();
  }
  void ExchangeAll() {
    for (auto& item : m_items) item->Exchange();
  }
  // Records the whole text when it holds characters and, with a newValue, when one of them
  // lacks the value. Returns whether a record was added.
  bool RecordText(TText* text, const typename A::Value* newValue, bool relayout) {
    if (!text || TextCharacterCount(*text) == 0) return false;
    if (newValue && !TextNeedsValue<A>(*text, *newValue)) return false;
    auto item = std::make_unique<Item>(relayout);
    item->Save(text, 0, -1);
    Add(std::move(item));
    return true;
  }

 private:
  std::vector<std::unique_ptr<Item>> m_items;
};

// Tells the views about a change on the page that owns obj (hint 2).
inline void UpdateViewsOfObject(Vectorloom::CWorkspaceDoc* doc, const Vectorloom::CRenderBaseObj* obj) {
  if (!doc || !obj) return;
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(doc->FindOwnerPage(obj)));
}

// Base of the three actions: the name and the menu text of each side.
class CNamedPropertyAction : public Vectorloom::CBaseEditAction {
 public:
  explicit CNamedPropertyAction(const CString& name) : CBaseEditAction(CString(L"Undo ") + name), m_strName(name) {}
  const CString& GetName() const { return m_strName; }

  int Undo(Vectorloom::CWorkspaceDoc* doc) override {
    Exchange(doc);
    SetMenuText(CString(L"Redo ") + m_strName);
    return 1;
  }
  int Redo(Vectorloom::CWorkspaceDoc* doc) override {
    Exchange(doc);
    SetMenuText(CString(L"Undo ") + m_strName);
    return 1;
  }

 protected:
  virtual void Exchange(Vectorloom::CWorkspaceDoc* doc) = 0;

 private:
  CString m_strName;
};

// A range of characters of one text (the text being edited).
template <class W, class TText, class A>
class CModifyTextObjRenderAction : public CNamedPropertyAction {
 public:
  using Access = A;
  using Value = typename A::Value;
  using Item = CModifyTextObjsRenderPropertiesItem<W, TText, A>;

  explicit CModifyTextObjRenderAction(const CString& name) : CNamedPropertyAction(name), m_item(A::kRelayout) {}

  // Records characters first..last when the range holds a character that lacks newValue.
  bool RecordCharacters(TText* text, const Value& newValue, int first, int last) {
    if (!text) return false;
    typename A::Element common{};
    int state = -1;
    ReadRangeCommonValue<A>(*text, first, last, common, state);
    if (state < 0 || (state == 0 && common == static_cast<typename A::Element>(newValue))) return false;
    m_item.Save(text, first, last);
    return true;
  }
  // Records characters first..last whatever they hold (grow and shrink, previews); false when the
  // range holds no character.
  bool RecordAllCharacters(TText* text, int first, int last) {
    if (!text) return false;
    int n = TextCharacterCount(*text), s = first, e = last;
    if (!ClampCharacterRange(n, s, e)) return false;
    m_item.Save(text, s, e);
    return true;
  }

  const Item& GetRecord() const { return m_item; }
  bool HasRecord() const { return m_item.GetTextObject() && !m_item.GetValues().empty(); }

 protected:
  void Exchange(Vectorloom::CWorkspaceDoc* doc) override {
    if (!HasRecord()) return;
    m_item.Exchange();
    UpdateViewsOfObject(doc, m_item.GetTextObject());
  }

 private:
  Item m_item;
};

// A list of shapes and texts, group members at any depth (transparencies and colours).
template <class W, class TText, class A>
class CModifyShapeObjsRenderActionEx : public CNamedPropertyAction {
 public:
  using Wrap = W;
  using Access = A;
  using Value = typename A::Value;
  using ShapeSet = Vectorloom::CArrayModifyRenderObjsRenderPropertiesSet<W>;
  using TextSet = CArrayModifyTextObjsRenderPropertiesSet<W, TText, A>;

  explicit CModifyShapeObjsRenderActionEx(const CString& name) : CNamedPropertyAction(name) {}

  // Records every shape whose value differs from newValue and every text with a character that
  // lacks it; groups are walked, other objects skipped. Returns the records added.
  int RecordObjects(const Vectorloom::CRenderBaseObjectList& objects, const Value& newValue) {
    return Record(objects, &newValue);
  }
  // Records every shape and every text with characters (what a preview backs up).
  int RecordAllObjects(const Vectorloom::CRenderBaseObjectList& objects) { return Record(objects, nullptr); }

  // Writes the value into every listed shape that differs (rebuilding colours) and every text
  // that lacks it; groups are walked.
  static void SetObjectsValue(const Value& value, const Vectorloom::CRenderBaseObjectList& objects) {
    WalkObjectsAndGroupMembers(objects, [&](Vectorloom::CRenderBaseObj* obj) {
      typename W::ValueType current{};
      if (W::Read(obj, current)) {
        if (!(current == value) && W::Write(obj, value) && W::kRebuildShape)
          Vectorloom::RebuildShapeAfterPropertyChange(obj);
      } else if (TText* text = TextOfRenderObj<TText>(obj); text && TextNeedsValue<A>(*text, value)) {
        SetCharactersValue<A>(A::kRelayout, *text, value, 0, -1);
      }
    });
  }

  int GetShapeRecordCount() const { return static_cast<int>(m_shapes.GetSize()); }
  int GetTextRecordCount() const { return m_texts.GetSize(); }
  int GetRecordCount() const { return GetShapeRecordCount() + GetTextRecordCount(); }
  const ShapeSet& GetShapeRecords() const { return m_shapes; }
  const TextSet& GetTextRecords() const { return m_texts; }

 protected:
  void Exchange(Vectorloom::CWorkspaceDoc* doc) override {
    m_shapes.ExchangeAll();
    m_texts.ExchangeAll();
    if (!m_texts.IsEmpty())
      UpdateViewsOfObject(doc, m_texts[0].GetTextObject());
    else if (m_shapes.GetSize() > 0)
      UpdateViewsOfObject(doc, m_shapes[0].GetObject());
  }

 private:
  int Record(const Vectorloom::CRenderBaseObjectList& objects, const Value* newValue) {
    const int before = GetRecordCount();
    WalkObjectsAndGroupMembers(objects, [&](Vectorloom::CRenderBaseObj* obj) {
      typename W::ValueType current{};
      if (W::Read(obj, current)) {
        if (!newValue || !(current == *newValue)) m_shapes.Add(typename ShapeSet::Item(obj, current));
      } else if (TText* text = TextOfRenderObj<TText>(obj)) {
        m_texts.RecordText(text, newValue, A::kRelayout);
      }
    });
    return GetRecordCount() - before;
  }

  ShapeSet m_shapes;
  TextSet m_texts;
};

// A list of texts only (font size; bold, italic, underline and strike-out over selected texts):
// the texts of the list and of its groups at any depth; shapes are skipped.
template <class W, class TText, class A>
class CModifyTextObjsRenderAction : public CNamedPropertyAction {
 public:
  using Access = A;
  using Value = typename A::Value;
  using TextSet = CArrayModifyTextObjsRenderPropertiesSet<W, TText, A>;

  explicit CModifyTextObjsRenderAction(const CString& name) : CNamedPropertyAction(name) {}

  // One record for each text with a character that lacks newValue. Returns the records added.
  int CollectTextItems(const Vectorloom::CRenderBaseObjectList& objects, const Value& newValue) {
    return Record(objects, &newValue);
  }
  // One record for each text with characters (grow and shrink, previews).
  int RecordAllObjects(const Vectorloom::CRenderBaseObjectList& objects) { return Record(objects, nullptr); }

  // Writes the value into characters first..last of every text of the list and its groups.
  static void SetObjectsValue(const Value& value, const Vectorloom::CRenderBaseObjectList& objects, int first = 0,
                              int last = -1) {
    WalkObjectsAndGroupMembers(objects, [&](Vectorloom::CRenderBaseObj* obj) {
      if (TText* text = TextOfRenderObj<TText>(obj)) SetCharactersValue<A>(A::kRelayout, *text, value, first, last);
    });
  }

  int GetRecordCount() const { return m_texts.GetSize(); }
  const TextSet& GetTextRecords() const { return m_texts; }

 protected:
  void Exchange(Vectorloom::CWorkspaceDoc* doc) override {
    m_texts.ExchangeAll();
    if (!m_texts.IsEmpty()) UpdateViewsOfObject(doc, m_texts[0].GetTextObject());
  }

 private:
  int Record(const Vectorloom::CRenderBaseObjectList& objects, const Value* newValue) {
    const int before = GetRecordCount();
    WalkObjectsAndGroupMembers(objects, [&](Vectorloom::CRenderBaseObj* obj) {
      if (TText* text = TextOfRenderObj<TText>(obj)) m_texts.RecordText(text, newValue, A::kRelayout);
    });
    return GetRecordCount() - before;
  }

  TextSet m_texts;
};

// ---------------------------------------------------------------------------------------------
// The properties of the ribbon and the galleries

#define LW_TEXT_PROPERTY(Prefix, Wrap, Access)                                                   \
  using C##Prefix##TextAction = CModifyTextObjRenderAction<Wrap, CDDrawTextObj, Access>;          \
  using C##Prefix##ObjsAction = CModifyShapeObjsRenderActionEx<Wrap, CDDrawTextObj, Access>;      \
  using C##Prefix##TextsAction = CModifyTextObjsRenderAction<Wrap, CDDrawTextObj, Access>;

LW_TEXT_PROPERTY(FilledTransparency, Vectorloom::CModifyShapeObjFilledTransparencyWrap,
                 CAccessTextObjFilledTransparencyProp)
LW_TEXT_PROPERTY(StrokeTransparency, Vectorloom::CModifyShapeObjStrokenTransparencyWrap,
                 CAccessTextObjStrokeTransparencyProp)
LW_TEXT_PROPERTY(FilledColor, Vectorloom::CModifyShapeObjFilledColorWrap, CAccessTextObjFilledColorProp)
LW_TEXT_PROPERTY(OutlineColor, Vectorloom::CModifyShapeObjOutlineColorWrap, CAccessTextObjStrokeColorProp)
LW_TEXT_PROPERTY(FontSize, Vectorloom::CModifyTexObjFontSizeWrapT<float>, CAccessTextObjFontSizeProp)
LW_TEXT_PROPERTY(FillInside, Vectorloom::CModifyShapeObjFillInsideFlagWrap, CAccessTextObjFilledInsideFlagProp)
LW_TEXT_PROPERTY(StrokeOutline, Vectorloom::CModifyShapeObjStrokeOutlineFlagWrap, CAccessTextObjStrokeOutlineFlagProp)
LW_TEXT_PROPERTY(Bold, Vectorloom::CModifyTexObjFontBoldWrap, CAccessTextObjBoldProp)
LW_TEXT_PROPERTY(Italic, Vectorloom::CModifyTexObjFontItalicWrap, CAccessTextObjItalicProp)
LW_TEXT_PROPERTY(Underline, Vectorloom::CTextObjWrapBase<bool>, CAccessTextObjUnderlineProp)
LW_TEXT_PROPERTY(StrikeThrough, Vectorloom::CTextObjWrapBase<bool>, CAccessTextObjStrikeThroughProp)
LW_TEXT_PROPERTY(ScriptKind, Vectorloom::CTextObjWrapBase<int>, CAccessTextObjScriptFlagProp)
LW_TEXT_PROPERTY(CharactersSpacing, Vectorloom::CTextObjWrapBase<float>, CAccessTextObjCharactersSpacingProp)
LW_TEXT_PROPERTY(BaselineShift, Vectorloom::CTextObjWrapBase<float>, CAccessTextObjBaselineShiftProp)
LW_TEXT_PROPERTY(HorizontalShift, Vectorloom::CTextObjWrapBase<float>, CAccessTextObjHorizontalShiftProp)

#undef LW_TEXT_PROPERTY

// The names the commands record their actions under.
inline const wchar_t kChangeFilledTransparencyName[] = L"Change Filled Transparency";
inline const wchar_t kChangeStrokedTransparencyName[] = L"Change Stroked Transparency";
inline const wchar_t kChangeFilledColorName[] = L"Change Filled Color";
inline const wchar_t kChangeStrokeColorName[] = L"Change Stroke Color";
inline const wchar_t kChangeFontSizeName[] = L"Change Font Size";
inline const wchar_t kGrowFontSizeName[] = L"Grow Font Size";
inline const wchar_t kShrinkFontSizeName[] = L"Shrink Font Size";
inline const wchar_t kFillInsideName[] = L"Enable/Disable Fill Inside";
inline const wchar_t kStrokeOutlineName[] = L"Enable/Disable Stroke";
inline const wchar_t kBoldTextName[] = L"Bold Text";
inline const wchar_t kItalicTextName[] = L"Italic Text";
inline const wchar_t kUnderlineTextName[] = L"Underline Text";
inline const wchar_t kStrikeOutTextName[] = L"StrikeOut Text";
inline const wchar_t kSubscriptTextName[] = L"Subcript Text";  // as the menu has always shown it
inline const wchar_t kSuperscriptTextName[] = L"Superscript Text";
inline const wchar_t kCharactersSpacingName[] = L"Change Characters Spacing";
inline const wchar_t kBaselineShiftName[] = L"Change Baseline Shift";
inline const wchar_t kHorizontalShiftName[] = L"Change Horizontal Shift";

}  // namespace Quirebook
