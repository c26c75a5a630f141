// Applying a property to the selection: to the selected characters of the text being edited, or
// to the selected objects of the shown page (group members at any depth). Either way the live
// preview ends first, the old values are recorded as one undoable action (nothing is recorded
// when nothing would change), the document is marked modified, the value is written and the
// views repaint the page.
#include <algorithm>
#include <cmath>
#include <cwchar>

#include <QorpControls.h>

#include <CharProperties.h>
#include <SelectionReaders.h>
#include <TextPropertyActions.h>

#include "LeafwrightDoc.h"
#include "LeafwrightView.h"

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
  doc->AddEditAction(action);
  doc->SetModifiedFlag(TRUE);
  SetCharactersValue<typename Action::Access>(Action::Access::kRelayout, *text, value, s, e - 1);
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
  doc->AddEditAction(action);
  doc->SetModifiedFlag(TRUE);
  Action::SetObjectsValue(value, list);
  doc->UpdateAllViews(nullptr, 2, Vectorloom::CWorkspaceDoc::PageHint(m_pRenderPage));
  return true;
}

template <class TextAction, class ObjsAction>
bool CLeafwrightView::ApplyProperty(const wchar_t* name, const typename TextAction::Value& value) {
  if (IsEditingText()) return ApplyToEditedText<TextAction>(name, value);
  return ApplyToSelection<ObjsAction>(name, value);
}

// An on/off property: on, unless everything it would touch has it on already; then off.
template <class TextAction, class ObjsAction>
bool CLeafwrightView::ToggleProperty(const wchar_t* name) {
  if (IsEditingText()) {
    typename TextAction::Access::Element current{};
    const bool allOn = ReadEditingTextValue<typename TextAction::Access>(g_EditingTextTool, current) == 0 && current;
    return ApplyToEditedText<TextAction>(name, !allOn);
  }
  return ApplyToSelection<ObjsAction>(name, true) || ApplyToSelection<ObjsAction>(name, false);
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
  ToggleProperty<CStrokeOutlineTextAction, CStrokeOutlineObjsAction>(kStrokeOutlineName);
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
  auto read = [&](auto access) {
    using A = decltype(access);
    typename A::Element v{};
    state = ReadEditingTextValue<A>(g_EditingTextTool, v);
    return v;
  };
  if (IsEditingText()) {
    switch (pCmdUI->m_nID) {
      case ViewCmd::kBold: on = read(CAccessTextObjBoldProp{}); break;
      case ViewCmd::kItalic: on = read(CAccessTextObjItalicProp{}); break;
      case ViewCmd::kUnderline: on = read(CAccessTextObjUnderlineProp{}); break;
      case ViewCmd::kStrikeOut: on = read(CAccessTextObjStrikeThroughProp{}); break;
      case ViewCmd::kSubscript: on = read(CAccessTextObjScriptFlagProp{}) == 1; break;
      case ViewCmd::kSuperscript: on = read(CAccessTextObjScriptFlagProp{}) == 2; break;
      case ViewCmd::kFillInside: on = read(CAccessTextObjFilledInsideFlagProp{}); break;
      case ViewCmd::kStrokeOutline: on = read(CAccessTextObjStrokeOutlineFlagProp{}); break;
      default: break;
    }
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
    doc->AddEditAction(action);
    doc->SetModifiedFlag(TRUE);
    if (bGrow)
      EnlargeFontSizes(*text, s, e - 1, presets, true);
    else
      ShrinkFontSizes(*text, s, e - 1, presets, true);
  } else {
    RestorePrevScene();
    DestroyPreviewScene();
    const Vectorloom::CRenderBaseObjectList list = GatherSelectedObjects(this);
    auto* action = new CFontSizeTextsAction(name);
    if (action->RecordAllObjects(list) == 0) {
      delete action;
      return;
    }
    doc->AddEditAction(action);
    doc->SetModifiedFlag(TRUE);
    if (bGrow)
      EnlargeFontSizes(list, presets, true);
    else
      ShrinkFontSizes(list, presets, true);
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
  doc->AddEditAction(new CRowGapAction(text, row, before));
  doc->SetModifiedFlag(TRUE);
  text->SetRowGap(row, fGap);
  text->RecalcuLayout(row);
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
  CString s;
  s.Format(L"%f", static_cast<double>(gap));
  if (edit->GetEditText() != s) edit->SetEditText(s);
}
