// Applying a property to the selection: to the selected characters of the text being edited, or
// to the selected objects of the shown page (group members at any depth). Either way the live
// preview ends first, the old values are recorded as one undoable action (nothing is recorded
// when nothing would change), the document is marked modified, the value is written and the
// views repaint the page.
#include <algorithm>
#include <cmath>
#include <cwchar>
#include <functional>
#include <string>
#include <type_traits>
#include <vector>

#include <afxdlgs.h>
#include <QorpControls.h>
#include <QorpFontList.h>
#include <quirebook/FontFaceActions.h>
#include <quirebook/TextBoxGrowth.h>
#include <QorpGallery.h>

#include <CharProperties.h>
#include <SelectionReaders.h>
#include <TextPropertyActions.h>

#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "LeafwrightView.h"
#include "ShellIds.h"
#include "ViewRibbonValues.h"

using namespace Quirebook;

namespace {

// What the object-side actions record with: texts-only actions collect text items.
template <class Action>
int RecordObjects(Action& action, const Vectorloom::CRenderBaseObjectList& list, const typename Action::Value& v) {
  if constexpr (requires { action.CollectTextItems(list, v); })
    return action.CollectTextItems(list, v);
  else
    return action.RecordObjects(list, v);
}

// The texts of a list and, at any depth, of its groups.
std::vector<CDDrawTextObj*> TextsOf(const Vectorloom::CRenderBaseObjectList& list) {
  std::vector<CDDrawTextObj*> texts;
  WalkObjectsAndGroupMembers(list, [&](Vectorloom::CRenderBaseObj* obj) {
    if (CDDrawTextObj* text = TextOfRenderObj<CDDrawTextObj>(obj)) texts.push_back(text);
  });
  return texts;
}

// Bold, Italic and Underline go on with typing. The typing format's value of the style and
// whether the ribbon set it since the caret last took its format from the text; false for the
// other commands.
bool GetTypingStyle(UINT id, bool& on, bool& pending) {
  const GlyphweaveLib::CRichFontDesc& font = CPublicationView::g_EditingTextTool.GetCurrentFont();
  const CEditingTextTool::CFormatState& st = CPublicationView::g_EditingTextTool.GetFormatState();
  switch (id) {
    case ViewCmd::kBold: on = font.m_bBold != 0, pending = st.bPendingBold; return true;
    case ViewCmd::kItalic: on = font.m_bItalic != 0, pending = st.bPendingItalic; return true;
    case ViewCmd::kUnderline: on = font.m_bUnderline != 0, pending = st.bPendingUnderline; return true;
    default: return false;
  }
}

// Makes a style the one typing goes on with, as set from the ribbon.
void SetTypingStyle(UINT id, bool on) {
  CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
  GlyphweaveLib::CRichFontDesc font = tool.GetCurrentFont();
  CEditingTextTool::CFormatState& st = tool.GetFormatState();
  switch (id) {
    case ViewCmd::kBold: font.m_bBold = on ? 1 : 0, st.bPendingBold = true; break;
    case ViewCmd::kItalic: font.m_bItalic = on ? 1 : 0, st.bPendingItalic = true; break;
    case ViewCmd::kUnderline: font.m_bUnderline = on ? 1 : 0, st.bPendingUnderline = true; break;
    default: return;
  }
  tool.SetCurrentFont(font);
}

// What the button of an on/off character property shows while a text is edited: the common
// value of the selected characters; at a bare caret the style typing goes on with once the
// ribbon set it, else the character before the caret. The reader's state (-1 nothing read).
int ReadEditedTextFlag(UINT id, bool& on) {
  const CEditingTextTool& tool = CPublicationView::g_EditingTextTool;
  bool typing = false, pending = false;
  if (tool.GetEditingText() && !tool.HasSelection() && GetTypingStyle(id, typing, pending) && pending) {
    on = typing;
    return 0;
  }
  int state = -1;
  auto read = [&](auto access) {
    using A = decltype(access);
    typename A::Element v{};
    state = ReadEditingTextValue<A>(tool, v);
    return v;
  };
  switch (id) {
    case ViewCmd::kBold: on = read(CAccessTextObjBoldProp{}); break;
    case ViewCmd::kItalic: on = read(CAccessTextObjItalicProp{}); break;
    case ViewCmd::kUnderline: on = read(CAccessTextObjUnderlineProp{}); break;
    case ViewCmd::kStrikeOut: on = read(CAccessTextObjStrikeThroughProp{}); break;
    case ViewCmd::kSubscript: on = read(CAccessTextObjScriptFlagProp{}) == 1; break;
    case ViewCmd::kSuperscript: on = read(CAccessTextObjScriptFlagProp{}) == 2; break;
    case ViewCmd::kFillInside: on = read(CAccessTextObjFilledInsideFlagProp{}); break;
    case ViewCmd::kStrokeOutline: on = read(CAccessTextObjStrokeOutlineFlagProp{}); break;
    default: on = false; break;
  }
  return state;
}

// The command of an on/off character property.
template <class A>
constexpr UINT CommandOfFlag() {
  if constexpr (std::is_same_v<A, CAccessTextObjBoldProp>) return ViewCmd::kBold;
  else if constexpr (std::is_same_v<A, CAccessTextObjItalicProp>) return ViewCmd::kItalic;
  else if constexpr (std::is_same_v<A, CAccessTextObjUnderlineProp>) return ViewCmd::kUnderline;
  else if constexpr (std::is_same_v<A, CAccessTextObjStrikeThroughProp>) return ViewCmd::kStrikeOut;
  else if constexpr (std::is_same_v<A, CAccessTextObjFilledInsideFlagProp>) return ViewCmd::kFillInside;
  else if constexpr (std::is_same_v<A, CAccessTextObjStrokeOutlineFlagProp>) return ViewCmd::kStrokeOutline;
  else return 0;
}

}  // namespace

template <class Action>
bool CLeafwrightView::ApplyToEditedText(const wchar_t* name, const typename Action::Value& value) {
  CDDrawTextObj* text = g_EditingTextTool.GetEditingText();
  CLeafwrightDoc* doc = GetDocument();
  int s = -1, e = -1;
  g_EditingTextTool.GetSelectionRange(s, e);
  if (!text || !doc || s < 0 || s >= e) return false;
  RestorePrevScene();
  DestroyPreviewScene();
  auto* action = new Action(name);
  if (!action->RecordCharacters(text, value, s, e - 1)) {
    delete action;
    return false;
  }
  SetCharactersValue<typename Action::Access>(Action::Access::kRelayout, *text, value, s, e - 1);
  doc->AddEditAction(GrowTextBoxesOfEdit(action, {text}));
  doc->SetModifiedFlag(TRUE);
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
  return true;
}

template <class Action>
bool CLeafwrightView::ApplyToSelection(const wchar_t* name, const typename Action::Value& value) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !m_pRenderPage) return false;
  RestorePrevScene();
  DestroyPreviewScene();
  const Vectorloom::CRenderBaseObjectList list = GatherSelectedObjects(this);
  auto* action = new Action(name);
  if (RecordObjects(*action, list, value) == 0) {
    delete action;
    return false;
  }
  Action::SetObjectsValue(value, list);
  doc->AddEditAction(GrowTextBoxesOfEdit(action, TextsOf(list)));
  doc->SetModifiedFlag(TRUE);
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
  return true;
}

template <class TextAction, class ObjsAction>
bool CLeafwrightView::ApplyProperty(const wchar_t* name, const typename TextAction::Value& value) {
  if (IsEditingText()) return ApplyToEditedText<TextAction>(name, value);
  return ApplyToSelection<ObjsAction>(name, value);
}

// An on/off property: on, unless everything it would touch has it on already (what its button
// shows); then off. Bold, Italic and Underline also make the new value the one typing goes on
// with, with or without characters to change.
template <class TextAction, class ObjsAction>
bool CLeafwrightView::ToggleProperty(const wchar_t* name) {
  const UINT nId = CommandOfFlag<typename TextAction::Access>();
  if (IsEditingText()) {
    bool on = false;
    const bool allOn = ReadEditedTextFlag(nId, on) == 0 && on;
    const bool changed = ApplyToEditedText<TextAction>(name, !allOn);
    SetTypingStyle(nId, !allOn);
    return changed;
  }
  if (ApplyToSelection<ObjsAction>(name, true)) {
    SetTypingStyle(nId, true);
    return true;
  }
  if (ApplyToSelection<ObjsAction>(name, false)) {
    SetTypingStyle(nId, false);
    return true;
  }
  return false;
}

bool CLeafwrightView::ApplyFontSize(float fPoints) {
  // A size typed as 0, below 0 or not a number is no size.
  if (!(fPoints > 0) || !std::isfinite(fPoints)) return false;
  return ApplyProperty<CFontSizeTextAction, CFontSizeTextsAction>(kChangeFontSizeName, fPoints);
}

bool CLeafwrightView::ApplyFilledColor(COLORREF color) {
  const PaintColorValue v{1u, static_cast<uint32_t>(Vectorloom::RENDER_KIND_SOLID), static_cast<uint32_t>(color)};
  return ApplyProperty<CFilledColorTextAction, CFilledColorObjsAction>(kChangeFilledColorName, v);
}

bool CLeafwrightView::ApplyOutlineColor(COLORREF color) {
  const PaintColorValue v{1u, static_cast<uint32_t>(Vectorloom::RENDER_KIND_SOLID), static_cast<uint32_t>(color)};
  return ApplyProperty<COutlineColorTextAction, COutlineColorObjsAction>(kChangeStrokeColorName, v);
}

bool CLeafwrightView::ApplyFilledTransparency(int nAlpha) {
  return ApplyProperty<CFilledTransparencyTextAction, CFilledTransparencyObjsAction>(kChangeFilledTransparencyName,
                                                                                     std::clamp(nAlpha, 0, 255));
}

bool CLeafwrightView::ApplyStrokeTransparency(int nAlpha) {
  return ApplyProperty<CStrokeTransparencyTextAction, CStrokeTransparencyObjsAction>(kChangeStrokedTransparencyName,
                                                                                     std::clamp(nAlpha, 0, 255));
}

void CLeafwrightView::OnBold() { ToggleProperty<CBoldTextAction, CBoldTextsAction>(kBoldTextName); }
void CLeafwrightView::OnItalic() { ToggleProperty<CItalicTextAction, CItalicTextsAction>(kItalicTextName); }
void CLeafwrightView::OnUnderline() { ToggleProperty<CUnderlineTextAction, CUnderlineTextsAction>(kUnderlineTextName); }
void CLeafwrightView::OnStrikeOut() {
  ToggleProperty<CStrikeThroughTextAction, CStrikeThroughTextsAction>(kStrikeOutTextName);
}
void CLeafwrightView::OnFillInside() {
  ToggleProperty<CFillInsideTextAction, CFillInsideObjsAction>(kFillInsideName);
}
void CLeafwrightView::OnStrokeOutline() {
  if (!IsEditingText()) {
    ToggleProperty<CStrokeOutlineTextAction, CStrokeOutlineObjsAction>(kStrokeOutlineName);
    return;
  }
  // While a text is edited the selected characters change, and the selected objects follow.
  CAccessTextObjStrokeOutlineFlagProp::Element current{};
  const bool on = !(ReadEditingTextValue<CAccessTextObjStrokeOutlineFlagProp>(g_EditingTextTool, current) == 0 && current);
  ApplyToEditedText<CStrokeOutlineTextAction>(kStrokeOutlineName, on);
  DoStrokeSelectedShapeObjs(on ? 1 : 0);
}

void CLeafwrightView::OnScript(UINT nId) {
  // Subscript is kind 1, superscript 2; the button of the kind the characters have turns it off.
  const int kind = nId == ViewCmd::kSubscript ? 1 : 2;
  typename CAccessTextObjScriptFlagProp::Element current{};
  const bool on = ReadEditingTextValue<CAccessTextObjScriptFlagProp>(g_EditingTextTool, current) == 0 && current == kind;
  ApplyToEditedText<CScriptKindTextAction>(nId == ViewCmd::kSubscript ? kSubscriptTextName : kSuperscriptTextName,
                                           on ? 0 : kind);
}
void CLeafwrightView::OnSubscript() { OnScript(ViewCmd::kSubscript); }
void CLeafwrightView::OnSuperscript() { OnScript(ViewCmd::kSuperscript); }

void CLeafwrightView::OnUpdateTextProperty(CCmdUI* pCmdUI) {
  // Checked when every character the command would touch has the property.
  bool on = false;
  int state = -1;
  if (IsEditingText()) {
    state = ReadEditedTextFlag(pCmdUI->m_nID, on);
    pCmdUI->Enable(g_EditingTextTool.GetEditingText() != nullptr);
  } else {
    const bool scripts = pCmdUI->m_nID == ViewCmd::kSubscript || pCmdUI->m_nID == ViewCmd::kSuperscript;
    pCmdUI->Enable(!scripts && GatherSelectedObjects(this).GetCount() > 0);
    int v = 0;
    if (pCmdUI->m_nID == ViewCmd::kFillInside) state = ReadSelectionFillInside(this, v), on = v != 0;
    if (pCmdUI->m_nID == ViewCmd::kStrokeOutline) state = ReadSelectionStrokeOutline(this, v), on = v != 0;
  }
  pCmdUI->SetCheck(state == 0 && on ? 1 : 0);
}

// Grow and Shrink step every touched character's own size to the next preset size: the action
// records every character, whatever its size, so Undo gives each its own size back.
void CLeafwrightView::StepFontSizes(bool bGrow) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !m_pRenderPage) return;
  const wchar_t* name = bGrow ? kGrowFontSizeName : kShrinkFontSizeName;
  const GlyphweaveLib::CPresetFontSizeManager& presets = GetFontSizePresets();
  if (IsEditingText()) {
    CDDrawTextObj* text = g_EditingTextTool.GetEditingText();
    int s = -1, e = -1;
    g_EditingTextTool.GetSelectionRange(s, e);
    if (!text || s < 0 || s >= e) return;
    RestorePrevScene();
    DestroyPreviewScene();
    auto* action = new CFontSizeTextAction(name);
    if (!action->RecordAllCharacters(text, s, e - 1)) {
      delete action;
      return;
    }
    if (bGrow)
      EnlargeFontSizes(*text, s, e - 1, presets, true);
    else
      ShrinkFontSizes(*text, s, e - 1, presets, true);
    doc->AddEditAction(GrowTextBoxesOfEdit(action, {text}));
    doc->SetModifiedFlag(TRUE);
  } else {
    RestorePrevScene();
    DestroyPreviewScene();
    const Vectorloom::CRenderBaseObjectList list = GatherSelectedObjects(this);
    auto* action = new CFontSizeTextsAction(name);
    if (action->RecordAllObjects(list) == 0) {
      delete action;
      return;
    }
    if (bGrow)
      EnlargeFontSizes(list, presets, true);
    else
      ShrinkFontSizes(list, presets, true);
    doc->AddEditAction(GrowTextBoxesOfEdit(action, TextsOf(list)));
    doc->SetModifiedFlag(TRUE);
  }
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
}

void CLeafwrightView::OnUpdateFontSizeStep(CCmdUI* pCmdUI) {
  bool texts = false;
  if (IsEditingText()) {
    texts = g_EditingTextTool.GetEditingText() != nullptr;
  } else {
    WalkObjectsAndGroupMembers(GatherSelectedObjects(this), [&](Vectorloom::CRenderBaseObj* obj) {
      texts = texts || TextOfRenderObj<CDDrawTextObj>(obj) != nullptr;
    });
  }
  pCmdUI->Enable(texts);
}

void CLeafwrightView::OnGrowFontSize() { StepFontSizes(true); }
void CLeafwrightView::OnShrinkFontSize() { StepFontSizes(false); }

namespace {

// The gap after one line of a text: Undo and Redo exchange the kept gap with the text's.
class CRowGapAction : public CNamedPropertyAction {
 public:
  CRowGapAction(CDDrawTextObj* text, unsigned short line, float gap)
      : CNamedPropertyAction(L"Change Line Spacing"), m_pText(text), m_nLine(line), m_fGap(gap) {
    m_pText->AddRef();
  }
  ~CRowGapAction() override { m_pText->Release(); }

 protected:
  void Exchange(Vectorloom::CWorkspaceDoc* doc) override {
    const float now = m_pText->GetRowGap(m_nLine);
    m_pText->SetRowGap(m_nLine, m_fGap);
    m_fGap = now;
    m_pText->RecalcuLayout(m_nLine);
    UpdateViewsOfObject(doc, m_pText);
  }

 private:
  CDDrawTextObj* m_pText;
  unsigned short m_nLine;
  float m_fGap;
};

}  // namespace

bool CLeafwrightView::GetCaretLineGap(float& fGap) const {
  const CDDrawTextObj* text = IsEditingText() ? g_EditingTextTool.GetEditingText() : nullptr;
  const int line = text ? text->GetAbsoluteLineNo(std::max(g_EditingTextTool.GetCaretIndex(), 0)) : -1;
  fGap = line >= 0 ? text->GetRowGap(static_cast<unsigned short>(line)) : 0.0f;
  return text != nullptr;
}

bool CLeafwrightView::SetCaretLineGap(float fGap) {
  CDDrawTextObj* text = IsEditingText() ? g_EditingTextTool.GetEditingText() : nullptr;
  CLeafwrightDoc* doc = GetDocument();
  if (!text || !doc || !std::isfinite(fGap)) return false;
  const int line = text->GetAbsoluteLineNo(std::max(g_EditingTextTool.GetCaretIndex(), 0));
  if (line < 0 || line > 0xFFFF) return false;
  const auto row = static_cast<unsigned short>(line);
  const float before = text->GetRowGap(row);
  if (before == fGap) return false;
  // One undoable step that marks the document modified, like every other change of the text.
  RestorePrevScene();
  DestroyPreviewScene();
  auto* action = new CRowGapAction(text, row, before);
  text->SetRowGap(row, fGap);
  text->RecalcuLayout(row);
  doc->AddEditAction(GrowTextBoxesOfEdit(action, {text}));
  doc->SetModifiedFlag(TRUE);
  InvalidateView();
  return true;
}

void CLeafwrightView::OnLineSpacing(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  if (const auto* edit = nm ? dynamic_cast<const CQORPControlEdit*>(nm->pControl) : nullptr) {
    const CString s = edit->GetEditText();
    wchar_t* end = nullptr;
    const float v = std::wcstof(s.GetString(), &end);
    if (end != s.GetString()) SetCaretLineGap(v);
  }
  if (pResult) *pResult = 1;
}

CString FormatControlNumber(float value) {
  if (!std::isfinite(value)) return CString(L"0");
  CString s;
  s.Format(L"%.2f", static_cast<double>(value));
  if (s.Find(L'.') >= 0) {
    s.TrimRight(L'0');
    s.TrimRight(L'.');
  }
  if (s == L"-0") s = L"0";
  return s;
}

void CLeafwrightView::OnLineSpacingSpin(NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  float gap = 0;
  if (nm && GetCaretLineGap(gap)) SetCaretLineGap(gap + static_cast<float>(nm->nStep));
  if (pResult) *pResult = 1;
}

void CLeafwrightView::OnUpdateLineSpacing(CCmdUI* pCmdUI) {
  float gap = 0;
  const bool editing = GetCaretLineGap(gap);
  pCmdUI->Enable(editing);
  auto* edit = dynamic_cast<CQORPControlEdit*>(CQORPControl::FromUI(pCmdUI));
  if (!edit || edit->HasFocus() || !editing) return;
  const CString s = FormatControlNumber(gap);
  if (edit->GetEditText() != s) edit->SetEditText(s);
}

namespace {

// The number typed into a ribbon edit box or combo; false when the text does not start with one.
bool ReadControlNumber(const NMHDR* pNMHDR, float& value) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  CString text;
  if (const auto* edit = nm ? dynamic_cast<const CQORPControlEdit*>(nm->pControl) : nullptr)
    text = edit->GetEditText();
  else if (const auto* combo = nm ? dynamic_cast<const CQORPControlComboBox*>(nm->pControl) : nullptr)
    text = combo->GetEditText();
  else if (const auto* gallery = nm ? dynamic_cast<const CQORPControlGallery*>(nm->pControl) : nullptr) {
    const CQORPControlGalleryItem* item = gallery->GetItem(gallery->GetSelectedItem());
    if (!item) return false;
    text = item->GetCaption();
  } else {
    return false;
  }
  wchar_t* end = nullptr;
  value = std::wcstof(text.GetString(), &end);
  return end != text.GetString();
}

// Shows a number in the edit box or combo an update stands for, unless the user is typing there.
void ShowControlNumber(CCmdUI* pCmdUI, bool known, float value) {
  CString s;
  if (known) s = FormatControlNumber(value);
  CQORPControl* control = CQORPControl::FromUI(pCmdUI);
  if (auto* edit = dynamic_cast<CQORPControlEdit*>(control)) {
    if (!edit->HasFocus() && edit->GetEditText() != s) edit->SetEditText(s);
  } else if (auto* combo = dynamic_cast<CQORPControlComboBox*>(control)) {
    if (!combo->HasFocus() && combo->GetEditText() != s) combo->SetEditText(s);
  }
}

// The common font size of every character of the texts in a list, groups walked into.
void ReadTextsFontSize(const Vectorloom::CRenderBaseObjectList& list, float& size, int& state) {
  for (Vectorloom::CRenderBaseObj* obj : list) {
    if (state > 0) return;
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP && obj->IsGroupObject())
      ReadTextsFontSize(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), size, state);
    else if (const auto* text = dynamic_cast<const CDDrawTextObj*>(obj))
      ReadCharsValue<CAccessTextObjFontSizeProp>(*text, 0, -1, size, state);
  }
}

}  // namespace

bool CLeafwrightView::ApplyShift(UINT nId, float fValue) {
  if (!std::isfinite(fValue) || !IsEditingText()) return false;
  GlyphweaveLib::CRichFontDesc font = g_EditingTextTool.GetCurrentFont();
  bool changed = false;
  switch (nId) {
    case ID_CHARACTER_SPACING:
      changed = ApplyToEditedText<CCharactersSpacingTextAction>(kCharactersSpacingName, fValue);
      font.m_fCharSpacing = fValue;
      break;
    case ID_BASELINE_SHIFT:
      changed = ApplyToEditedText<CBaselineShiftTextAction>(kBaselineShiftName, fValue);
      font.m_fBaselineShift = fValue;
      break;
    case ID_HORIZONTAL_SHIFT:
      changed = ApplyToEditedText<CHorizontalShiftTextAction>(kHorizontalShiftName, fValue);
      font.m_fHorizontalShift = fValue;
      break;
    default: return false;
  }
  // Typing goes on with the value when characters were selected for it.
  int s = -1, e = -1;
  g_EditingTextTool.GetSelectionRange(s, e);
  if (s >= 0 && s < e) g_EditingTextTool.SetCurrentFont(font);
  return changed;
}

bool CLeafwrightView::ReadShift(UINT nId, float& fValue) const {
  if (!IsEditingText()) return false;
  const GlyphweaveLib::CRichFontDesc& font = g_EditingTextTool.GetCurrentFont();
  int state = -1;
  switch (nId) {
    case ID_CHARACTER_SPACING:
      state = ReadEditingTextValue<CAccessTextObjCharactersSpacingProp>(g_EditingTextTool, fValue);
      if (state != 0) fValue = font.m_fCharSpacing;
      break;
    case ID_BASELINE_SHIFT:
      state = ReadEditingTextValue<CAccessTextObjBaselineShiftProp>(g_EditingTextTool, fValue);
      if (state != 0) fValue = font.m_fBaselineShift;
      break;
    case ID_HORIZONTAL_SHIFT:
      state = ReadEditingTextValue<CAccessTextObjHorizontalShiftProp>(g_EditingTextTool, fValue);
      if (state != 0) fValue = font.m_fHorizontalShift;
      break;
    default: return false;
  }
  return true;
}

bool CLeafwrightView::ApplyCharacterSpacing(float fValue) { return ApplyShift(ID_CHARACTER_SPACING, fValue); }
bool CLeafwrightView::ApplyBaselineShift(float fValue) { return ApplyShift(ID_BASELINE_SHIFT, fValue); }
bool CLeafwrightView::ApplyHorizontalShift(float fValue) { return ApplyShift(ID_HORIZONTAL_SHIFT, fValue); }

void CLeafwrightView::OnCharacterShift(UINT nId, NMHDR* pNMHDR, LRESULT* pResult) {
  float v = 0;
  if (ReadControlNumber(pNMHDR, v)) ApplyShift(nId, v);
  if (pResult) *pResult = 1;
}

void CLeafwrightView::OnCharacterShiftSpin(UINT nId, NMHDR* pNMHDR, LRESULT* pResult) {
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  float v = 0;
  if (nm && ReadShift(nId, v)) ApplyShift(nId, v + static_cast<float>(nm->nStep));
  if (pResult) *pResult = 1;
}

void CLeafwrightView::OnUpdateCharacterShift(CCmdUI* pCmdUI) {
  float v = 0;
  const bool editing = ReadShift(pCmdUI->m_nID, v);
  pCmdUI->Enable(editing);
  if (editing) ShowControlNumber(pCmdUI, true, v);
}

void CLeafwrightView::OnFontSizeCombo(NMHDR* pNMHDR, LRESULT* pResult) {
  if (pResult) *pResult = 1;
  float typed = 0;
  if (!ReadControlNumber(pNMHDR, typed) || !std::isfinite(typed)) return;
  // Sizes are kept in twentieths of a point.
  const float points = static_cast<float>(std::lround(static_cast<double>(typed) * 20.0)) / 20.0f;
  if (!(points > 0)) return;
  ApplyFontSize(points);
  if (IsEditingText()) {
    GlyphweaveLib::CRichFontDesc font = g_EditingTextTool.GetCurrentFont();
    font.m_fFontSize = points;
    g_EditingTextTool.SetCurrentFont(font);
    g_EditingTextTool.GetFormatState().bPendingSize = true;
  }
}

void CLeafwrightView::OnUpdateFontSize(CCmdUI* pCmdUI) {
  float size = 0;
  int state = -1;
  if (IsEditingText()) {
    pCmdUI->Enable(TRUE);
    // At a bare caret a size picked for typing shows until the caret moves.
    const bool typing = !g_EditingTextTool.HasSelection() && g_EditingTextTool.GetFormatState().bPendingSize;
    state = typing ? -1 : ReadEditingTextValue<CAccessTextObjFontSizeProp>(g_EditingTextTool, size);
    if (state != 0 && g_EditingTextTool.GetCurrentFont().m_fFontSize > 0)
      size = g_EditingTextTool.GetCurrentFont().m_fFontSize, state = 0;
  } else {
    ReadTextsFontSize(GatherSelectedObjects(this), size, state);
    pCmdUI->Enable(state != -1);
  }
  ShowControlNumber(pCmdUI, state == 0, size);
}

void CLeafwrightView::OnMoreFillColors() {
  auto* state = dynamic_cast<CDefaultLeafwrightAppState*>(&GetLeafwrightAppState());
  CColorDialog dlg(state ? state->GetDefaultFillColor() : RGB(0, 128, 0), 0, this);
  if (dlg.DoModal() != IDOK) return;
  if (state) state->SetDefaultFillColor(dlg.GetColor());
  ApplyFilledColor(dlg.GetColor());
}

void CLeafwrightView::OnMoreStrokeColors() {
  auto* state = dynamic_cast<CDefaultLeafwrightAppState*>(&GetLeafwrightAppState());
  CColorDialog dlg(state ? state->GetDefaultStrokeColor() : RGB(255, 153, 0), 0, this);
  if (dlg.DoModal() != IDOK) return;
  if (state) state->SetDefaultStrokeColor(dlg.GetColor());
  ApplyOutlineColor(dlg.GetColor());
}

void CLeafwrightView::OnUpdateMoreColors(CCmdUI* pCmdUI) {
  const bool fill = pCmdUI->m_nID == ID_MORE_FILL_COLORS;
  int state = -1;
  if (IsEditingText()) {
    if (fill) {
      CAccessTextObjFilledColorProp::Element v{};
      state = ReadEditingTextValue<CAccessTextObjFilledColorProp>(g_EditingTextTool, v);
    } else {
      CAccessTextObjStrokeColorProp::Element v{};
      state = ReadEditingTextValue<CAccessTextObjStrokeColorProp>(g_EditingTextTool, v);
    }
  } else {
    Vectorloom::PaintColorValue paint;
    state = fill ? ReadSelectionFilledColor(this, paint) : ReadSelectionOutlineColor(this, paint);
  }
  pCmdUI->Enable(state != -1);
}

bool CLeafwrightView::ApplyFontFace(const wchar_t* lpszFace) {
  CLeafwrightDoc* doc = GetDocument();
  if (!doc || !m_pRenderPage || !lpszFace || !*lpszFace) return false;
  CQORPFontList* fonts = CQORPFontList::GetShared();
  if (fonts->GetCount() == 0) fonts->Refresh();
  const CQORPFontEntry* entry = fonts->Find(lpszFace);
  if (!entry) return false;  // not a font of this computer
  const GlyphweaveLib::_CharsFontDesc desc(entry->m_strFaceName.GetString(), entry->m_nCharSet,
                                           entry->m_nPitchAndFamily, -1);
  RestorePrevScene();
  DestroyPreviewScene();
  auto* action = new CUpdateTextsFontFaceAction;
  bool changed = false;
  std::vector<CDDrawTextObj*> texts;
  if (IsEditingText()) {
    CDDrawTextObj* text = g_EditingTextTool.GetEditingText();
    int s = -1, e = -1;
    g_EditingTextTool.GetSelectionRange(s, e);
    if (text && s >= 0 && s < e && action->BackupTextObject(text, s, e - 1) &&
        text->SetSelectionCharsFormat(s, e - 1, desc, doc->GetEmbedFontResManager(), doc->GetFontGlyphCacheManager()))
      changed = true, texts.push_back(text);
    GlyphweaveLib::CRichFontDesc font = g_EditingTextTool.GetCurrentFont();
    static_cast<GlyphweaveLib::_CharsFontDesc&>(font) = desc;
    g_EditingTextTool.SetCurrentFont(font);
    g_EditingTextTool.GetFormatState().bPendingFace = true;
  } else {
    const Vectorloom::CRenderBaseObjectList list = GatherSelectedObjects(this);
    doc->UpdateAllTextsFontFace(desc, list, action);
    changed = action->GetSegmentCount() > 0;
    texts = TextsOf(list);
  }
  if (!changed) {
    delete action;
    return false;
  }
  doc->AddEditAction(GrowTextBoxesOfEdit(action, texts));
  doc->SetModifiedFlag(TRUE);
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
  return true;
}

void CLeafwrightView::OnFontFaceCombo(NMHDR* pNMHDR, LRESULT* pResult) {
  if (pResult) *pResult = 1;
  const auto* nm = reinterpret_cast<const NMQORPCONTROL*>(pNMHDR);
  CString face;
  if (const auto* combo = nm ? dynamic_cast<const CQORPControlComboBox*>(nm->pControl) : nullptr)
    face = combo->GetEditText();
  else if (const auto* gallery = nm ? dynamic_cast<const CQORPControlGallery*>(nm->pControl) : nullptr)
    if (const CQORPControlGalleryItem* item = gallery->GetItem(gallery->GetSelectedItem())) face = item->GetCaption();
  face.Trim();
  if (!face.IsEmpty()) ApplyFontFace(face.GetString());
}

void CLeafwrightView::OnUpdateFontFace(CCmdUI* pCmdUI) {
  // The face typing uses while a text is edited; otherwise the face the selected texts start
  // with, when they all start with the same one.
  std::wstring face;
  bool known = false;
  if (IsEditingText()) {
    // The face of the selected characters when they share one, else the face typing uses.
    pCmdUI->Enable(TRUE);
    GlyphweaveLib::CRichFontDesc single;
    GlyphweaveLib::CCharFormatsDesc multi;
    const bool selected = ReadEditingTextCharFormats(g_EditingTextTool, &single, &multi) == 2 &&
                          (multi.m_nCommonMask & GlyphweaveLib::CCharFormatsDesc::kFont) != 0;
    const GlyphweaveLib::_CharsFontDesc& desc = selected ? static_cast<const GlyphweaveLib::_CharsFontDesc&>(multi)
                                                         : g_EditingTextTool.GetCurrentFont();
    face = desc.GetFontFaceNameW();
    known = !face.empty();
  } else {
    int texts = 0;
    bool same = true;
    std::function<void(const Vectorloom::CRenderBaseObjectList&)> walk = [&](const Vectorloom::CRenderBaseObjectList& l) {
      for (Vectorloom::CRenderBaseObj* obj : l) {
        if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP && obj->IsGroupObject()) {
          walk(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList());
        } else if (const auto* text = dynamic_cast<const CDDrawTextObj*>(obj)) {
          if (text->GetFontRuns().GetSize() == 0) continue;
          const std::wstring f = text->GetFontRuns().GetAt(0).m_FontDesc.GetFontFaceNameW();
          if (texts++ == 0) face = f;
          else if (f != face) same = false;
        }
      }
    };
    walk(GatherSelectedObjects(this));
    pCmdUI->Enable(texts > 0);
    known = texts > 0 && same;
  }
  if (auto* combo = dynamic_cast<CQORPControlComboBox*>(CQORPControl::FromUI(pCmdUI))) {
    const CString s = known ? CString(face.c_str()) : CString();
    if (!combo->HasFocus() && combo->GetEditText() != s) combo->SetEditText(s);
  }
}
