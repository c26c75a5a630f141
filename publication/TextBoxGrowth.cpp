#include "quirebook/TextBoxGrowth.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "quirebook/DDrawTextObj.h"
#include "quirebook/TextEditActions.h"

namespace Quirebook {

namespace {

using Size = Vectorloom::CQorVectorSize<float>;

// No box grows past this side (page units): a text that would need more is left as it is.
constexpr float kLargestSide = 1.0e6f;
// A few pixels more when the rows' own sum falls short by a rounding.
constexpr int kHeightRetries = 4;

void LayOutIn(CDDrawTextObj& text, float width, float height) {
  text.SetLayoutBox(width, height);
  text.RecalcuLayout(0);
}

// The bottom of the last row: its top (the baseline of its first character less the row's
// ascent) plus the height the row takes.
float RowsBottom(const CDDrawTextObj& text) {
  const auto& rows = text.GetParagraphsLinesInfo();
  const auto& chars = text.GetArrayOfTextCharacters();
  if (rows.GetSize() == 0) return 0.0f;
  int64_t first = 0;
  for (int r = 0; r + 1 < rows.GetSize(); ++r) first += rows.GetAt(r).m_nCharCount;
  if (first >= static_cast<int64_t>(chars.size())) return 0.0f;
  const auto& last = rows.GetAt(rows.GetSize() - 1);
  const float top = chars[static_cast<size_t>(first)].GetCharOffset().y - last.m_fAscent;
  return top + std::fabs(last.m_fAscent) + std::fabs(last.m_fDescent) + std::fabs(last.m_fLeading);
}

// The widest advance of a character: a row that starts with it needs that width.
float WidestCharacter(const CDDrawTextObj& text) {
  float widest = 0.0f;
  for (const auto& c : text.GetArrayOfTextCharacters()) {
    const float a = c.GetIncreaseDeltaX();
    if (std::isfinite(a)) widest = std::max(widest, a);
  }
  return widest;
}

}  // namespace

bool AreAllCharactersInRows(const CDDrawTextObj& text) {
  const auto& rows = text.GetParagraphsLinesInfo();
  int64_t laid = 0;
  for (int r = 0; r < rows.GetSize(); ++r) laid += rows.GetAt(r).m_nCharCount;
  return laid >= static_cast<int64_t>(text.GetArrayOfTextCharacters().size());
}

bool GrowBoxToHoldAllCharacters(CDDrawTextObj& text) {
  if (AreAllCharactersInRows(text)) return false;
  const Size before = text.GetLayoutBox();
  if (!std::isfinite(before.cx) || !std::isfinite(before.cy)) return false;
  float width = std::max(before.cx, 0.0f);
  // Without a height limit every character finds a row, unless one is wider than the box at the
  // start of a row: then the box is made as wide as the widest character.
  LayOutIn(text, width, kLargestSide);
  if (!AreAllCharactersInRows(text)) {
    width = std::max(width, std::ceil(WidestCharacter(text)));
    if (width <= kLargestSide) LayOutIn(text, width, kLargestSide);
  }
  bool held = AreAllCharactersInRows(text) && width <= kLargestSide;
  float height = held ? std::max(before.cy, std::ceil(RowsBottom(text))) : before.cy;
  if (held) {
    LayOutIn(text, width, height);
    for (int i = 0; i < kHeightRetries && !AreAllCharactersInRows(text); ++i) LayOutIn(text, width, height += 1.0f);
    held = AreAllCharactersInRows(text) && height <= kLargestSide;
  }
  if (!held) {
    LayOutIn(text, before.cx, before.cy);
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------------------------
// CGrowTextBoxesAction

CGrowTextBoxesAction::CGrowTextBoxesAction(Vectorloom::CBaseEditAction* edit)
    : CBaseEditAction(edit ? edit->GetMenuText() : CString()), m_pEdit(edit) {}

CGrowTextBoxesAction::~CGrowTextBoxesAction() {
  for (Box& b : m_boxes) b.text->Release();
  delete m_pEdit;
}

void CGrowTextBoxesAction::AddBox(CDDrawTextObj* text, const Size& before, const Size& after) {
  if (!text) return;
  text->AddRef();
  m_boxes.push_back({text, before, after});
}

void CGrowTextBoxesAction::SetBoxes(Vectorloom::CWorkspaceDoc* pDoc, bool grown) {
  for (const Box& b : m_boxes) {
    const Size& s = grown ? b.after : b.before;
    LayOutIn(*b.text, s.cx, s.cy);
  }
  if (m_pEdit) SetMenuText(m_pEdit->GetMenuText());
  if (!m_boxes.empty()) UpdateViewsOfText(pDoc, m_boxes.front().text);
}

int CGrowTextBoxesAction::Undo(Vectorloom::CWorkspaceDoc* pDoc) {
  if (m_pEdit && !m_pEdit->Undo(pDoc)) return 0;
  SetBoxes(pDoc, false);
  return 1;
}

int CGrowTextBoxesAction::Redo(Vectorloom::CWorkspaceDoc* pDoc) {
  if (m_pEdit && !m_pEdit->Redo(pDoc)) return 0;
  SetBoxes(pDoc, true);
  return 1;
}

Vectorloom::CBaseEditAction* GrowTextBoxesOfEdit(Vectorloom::CBaseEditAction* edit,
                                                 const std::vector<CDDrawTextObj*>& texts) {
  if (!edit) return nullptr;
  CGrowTextBoxesAction* grown = nullptr;
  for (CDDrawTextObj* text : texts) {
    if (!text) continue;
    const Size before = text->GetLayoutBox();
    if (!GrowBoxToHoldAllCharacters(*text)) continue;
    if (!grown) grown = new CGrowTextBoxesAction(edit);
    grown->AddBox(text, before, text->GetLayoutBox());
  }
  if (!grown) return edit;
  return grown;
}

}  // namespace Quirebook
