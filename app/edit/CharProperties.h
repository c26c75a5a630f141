// Per-character property values of page texts: how each text property is read from and written
// to one character, and the range operations every text format command, its undo record and the
// live previews are built on.
//
// An accessor names one property: Value is what commands pass (the change value), Element is
// what a value list keeps per character (bool for the two decoration flags, so their lists pack
// one bit a character), Read and Write convert between a character and an element, and
// kRelayout says whether writing the property lays the text out again.
//
// Ranges are two character indexes, both included. Every operation clamps them to the text: an
// end below 0 or past the last character means the last character, a start below 0 means 0, and
// a start at or past the character count means nothing - no operation reads or writes outside
// the characters, whatever range a caller (or a stale selection) passes.
//
// State convention of the readers: -1 nothing read, 0 one common value, 1 mixed values.
#pragma once

#include <glyphweave/CharacterItem.h>
#include <glyphweave/CharsFontDesc.h>
#include <glyphweave/EditableTextObj.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/PropertyWraps.h>
#include <vectorloom/RenderObj.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace Quirebook {

using GlyphweaveLib::CCharacterItem;
using GlyphweaveLib::CEditableTextObj;
using Vectorloom::PaintColorValue;

// The threshold above which a skew's magnitude reads as italic (strictly greater).
constexpr float kItalicSkewThreshold = 0.00005f;

// Accessor base for properties whose element is the value itself.
template <typename TValue, bool Relayout>
struct CAccessTextObjPropBase {
  using Value = TValue;
  using Element = TValue;
  static constexpr bool kRelayout = Relayout;
};

struct CAccessTextObjFilledInsideFlagProp : CAccessTextObjPropBase<int, false> {
  static int Read(const CCharacterItem& c) { return c.IsFillInside() ? 1 : 0; }
  static void Write(CCharacterItem& c, int v) { c.SetFillInside(v != 0); }
};
struct CAccessTextObjStrokeOutlineFlagProp : CAccessTextObjPropBase<int, false> {
  static int Read(const CCharacterItem& c) { return c.IsStrokeOutline() ? 1 : 0; }
  static void Write(CCharacterItem& c, int v) { c.SetStrokeOutline(v != 0); }
};
struct CAccessTextObjBoldProp : CAccessTextObjPropBase<int, true> {
  static int Read(const CCharacterItem& c) { return c.IsBold(); }
  static void Write(CCharacterItem& c, int v) { c.SetBold(v); }
};
// Read as 1 or 0; written as the italic skew or upright, whatever skew the character had.
struct CAccessTextObjItalicProp : CAccessTextObjPropBase<int, true> {
  static int Read(const CCharacterItem& c) { return std::fabs(c.GetItalicSkew()) > kItalicSkewThreshold ? 1 : 0; }
  static void Write(CCharacterItem& c, int v) { c.SetItalicSkew(v != 0 ? GlyphweaveLib::kItalicSkew : 0.0f); }
};
struct CAccessTextObjUnderlineProp : CAccessTextObjPropBase<bool, false> {
  static bool Read(const CCharacterItem& c) { return c.HasUnderline(); }
  static void Write(CCharacterItem& c, bool v) { c.SetHasUnderlineFlag(v); }
};
struct CAccessTextObjStrikeThroughProp : CAccessTextObjPropBase<bool, true> {
  static bool Read(const CCharacterItem& c) { return c.HasStrikeOut(); }
  static void Write(CCharacterItem& c, bool v) { c.SetHasStrikeOutFlag(v); }
};
// 0 normal, 1 subscript, 2 superscript.
struct CAccessTextObjScriptFlagProp : CAccessTextObjPropBase<int, true> {
  static int Read(const CCharacterItem& c) { return c.GetShowAsScriptFlag(); }
  static void Write(CCharacterItem& c, int v) { c.SetShowAsScriptFlag(v); }
};
struct CAccessTextObjCharactersSpacingProp : CAccessTextObjPropBase<float, true> {
  static float Read(const CCharacterItem& c) { return c.GetCharSpacing(); }
  static void Write(CCharacterItem& c, float v) { c.SetCharSpacing(v); }
};
struct CAccessTextObjBaselineShiftProp : CAccessTextObjPropBase<float, true> {
  static float Read(const CCharacterItem& c) { return c.GetBaselineShift(); }
  static void Write(CCharacterItem& c, float v) { c.SetBaselineShift(v); }
};
struct CAccessTextObjHorizontalShiftProp : CAccessTextObjPropBase<float, true> {
  static float Read(const CCharacterItem& c) { return c.GetHorizontalShift(); }
  static void Write(CCharacterItem& c, float v) { c.SetHorizontalShift(v); }
};
// Transparencies: one byte on a character, the low byte of the value is written.
struct CAccessTextObjFilledTransparencyProp : CAccessTextObjPropBase<int, false> {
  static int Read(const CCharacterItem& c) { return c.GetFilledTransparency(); }
  static void Write(CCharacterItem& c, int v) { c.SetFilledTransparency(static_cast<BYTE>(v & 0xFF)); }
};
struct CAccessTextObjStrokeTransparencyProp : CAccessTextObjPropBase<int, false> {
  static int Read(const CCharacterItem& c) { return c.GetStrokeTransparency(); }
  static void Write(CCharacterItem& c, int v) { c.SetStorkeTransparency(static_cast<BYTE>(v & 0xFF)); }
};
// Colours: a character keeps the switch and the colour; it always reads as a solid paint.
struct CAccessTextObjFilledColorProp : CAccessTextObjPropBase<PaintColorValue, false> {
  static PaintColorValue Read(const CCharacterItem& c) {
    return {c.IsFillInside() ? 1u : 0u, static_cast<uint32_t>(Vectorloom::RENDER_KIND_SOLID),
            static_cast<uint32_t>(c.GetRenderColor())};
  }
  static void Write(CCharacterItem& c, const PaintColorValue& v) {
    c.SetFillInside(v.bEnabled != 0);
    c.SetRenderColor(v.crColor);
  }
};
struct CAccessTextObjStrokeColorProp : CAccessTextObjPropBase<PaintColorValue, false> {
  static PaintColorValue Read(const CCharacterItem& c) {
    return {c.IsStrokeOutline() ? 1u : 0u, static_cast<uint32_t>(Vectorloom::RENDER_KIND_SOLID),
            static_cast<uint32_t>(c.GetStrokedColor())};
  }
  static void Write(CCharacterItem& c, const PaintColorValue& v) {
    c.SetStrokeOutline(v.bEnabled != 0);
    c.SetStrokedColor(v.crColor);
  }
};
// The actual size (|Y scale| x point size); a character with a Y scale of 0 keeps its point size.
struct CAccessTextObjFontSizeProp : CAccessTextObjPropBase<float, true> {
  static float Read(const CCharacterItem& c) { return c.GetActualFontSize(); }
  static void Write(CCharacterItem& c, float v) { c.SetActualFontSize(v); }
};

// ---------------------------------------------------------------------------------------------
// Ranges

// The characters of a text.
inline int TextCharacterCount(const CEditableTextObj& text) {
  return static_cast<int>(text.GetArrayOfTextCharacters().size());
}

// The range [start, end] clamped to a text of n characters; false when it holds no character.
inline bool ClampCharacterRange(int n, int& start, int& end) {
  if (start < 0) start = 0;
  if (end < 0 || end >= n) end = n - 1;
  return start < n && start <= end;
}

// Lays the text out again after a change at character index: from the row before the one that
// holds it (the characters of that row may now fit on the row above); from the row before the
// last when the character lies below the rows (it may fit again); nothing for an index outside
// the text.
void RelayoutTextFromCharacter(CEditableTextObj& text, int index);

// Saves the current values of characters start..end into values (emptied first).
template <class A>
void SaveRangeValues(const CEditableTextObj& text, int start, int end, std::vector<typename A::Element>& values) {
  values.clear();
  const int n = TextCharacterCount(text);
  if (!ClampCharacterRange(n, start, end)) return;
  const auto& chars = text.GetArrayOfTextCharacters();
  values.reserve(static_cast<size_t>(end - start + 1));
  for (int i = start; i <= end; ++i) values.push_back(A::Read(chars[static_cast<size_t>(i)]));
}

// Writes values into characters start, start + 1, ... - only when all of them exist (no partial
// write). Returns whether they were written.
template <class A>
bool WriteRangeValues(CEditableTextObj& text, int start, const std::vector<typename A::Element>& values) {
  const int n = TextCharacterCount(text);
  if (start < 0 || start >= n || static_cast<int64_t>(start) + static_cast<int64_t>(values.size()) > n) return false;
  auto& chars = text.GetArrayOfTextCharacters();
  for (size_t k = 0; k < values.size(); ++k) A::Write(chars[static_cast<size_t>(start) + k], values[k]);
  return true;
}

// Writes one value into characters first..last (clamped) and, with relayout, lays the text out
// again from first. Nothing happens for a range outside the text.
template <class A>
void SetCharactersValue(bool relayout, CEditableTextObj& text, const typename A::Value& value, int first, int last) {
  const int n = TextCharacterCount(text);
  if (!ClampCharacterRange(n, first, last)) return;
  auto& chars = text.GetArrayOfTextCharacters();
  const typename A::Element element = static_cast<typename A::Element>(value);
  for (int i = first; i <= last; ++i) A::Write(chars[static_cast<size_t>(i)], element);
  if (relayout) RelayoutTextFromCharacter(text, first);
}

// Folds characters start..end into a running common value: state -1 (nothing yet) takes the
// first value read, a different value makes it 1. The whole range is read; a state already
// above 0 returns at once.
template <class A>
void ReadRangeCommonValue(const CEditableTextObj& text, int start, int end, typename A::Element& value, int& state) {
  if (state > 0) return;
  const int n = TextCharacterCount(text);
  if (!ClampCharacterRange(n, start, end)) return;
  const auto& chars = text.GetArrayOfTextCharacters();
  for (int i = start; i <= end; ++i) {
    const typename A::Element v = A::Read(chars[static_cast<size_t>(i)]);
    if (state < 0) {
      value = v;
      state = 0;
    } else if (!(v == value)) {
      state = 1;
    }
  }
}

// Whether a whole text would change under newValue: it holds characters and not all of them
// carry the value already.
template <class A>
bool TextNeedsValue(const CEditableTextObj& text, const typename A::Value& newValue) {
  typename A::Element common{};
  int state = -1;
  ReadRangeCommonValue<A>(text, 0, -1, common, state);
  return state > 0 || (state == 0 && !(common == static_cast<typename A::Element>(newValue)));
}

// ---------------------------------------------------------------------------------------------
// Font size steps of the ribbon's grow and shrink

// The preset sizes of the font size gallery (4 to 72 points), the steps grow and shrink take.
const GlyphweaveLib::CPresetFontSizeManager& GetFontSizePresets();

// Grow or shrink the point size of characters start..end (clamped): the point size truncated to
// a whole number steps to the next preset (see CPresetFontSizeManager), never below 1 point.
// With relayout the text is laid out again from start.
void EnlargeFontSizes(CEditableTextObj& text, int start, int end, const GlyphweaveLib::CPresetFontSizeManager& presets,
                      bool relayout);
void ShrinkFontSizes(CEditableTextObj& text, int start, int end, const GlyphweaveLib::CPresetFontSizeManager& presets,
                     bool relayout);
// The list forms: every text of the list and, at any depth, of its groups, whole.
void EnlargeFontSizes(const Vectorloom::CRenderBaseObjectList& objects,
                      const GlyphweaveLib::CPresetFontSizeManager& presets, bool relayout);
void ShrinkFontSizes(const Vectorloom::CRenderBaseObjectList& objects,
                     const GlyphweaveLib::CPresetFontSizeManager& presets, bool relayout);

}  // namespace Quirebook
