// What the ribbon shows of the selection: the value the selected objects, or the selected
// characters of the text being edited, share.
//
// Every reader answers with a state: -1 nothing looked at carries the property (the value is
// left as it was), 0 one common value (in the value), 1 the values differ (the value holds the
// first one met). The readers stop at the first difference.
//
// Object readers look at shapes (type codes 0 and 1) and the shapes of groups at any depth; texts
// and videos neither set nor change the state. The rotation reader reads every object as a whole.
// Over the view the objects are read in the page's drawing order, whatever order they were
// selected in; the list forms read the list in its own order.
#pragma once

#include <quirebook/DDrawTextObj.h>
#include <quirebook/TextTools.h>
#include <vectorloom/PropertyWraps.h>
#include <vectorloom/RenderObj.h>
#include <vectorloom/RenderPage.h>

#include "CharProperties.h"

namespace Vectorloom {
class CWorkspaceView;
}

// The objects of the page that are selected, in the page's order (group members are not listed
// on their own).
Vectorloom::CRenderBaseObjectList GatherSelectedObjects(const Vectorloom::CRenderPage* page,
                                                        const Vectorloom::CRenderBaseObjectList& selection);
Vectorloom::CRenderBaseObjectList GatherSelectedObjects(const Vectorloom::CWorkspaceView* view);

// The walker of the object readers over a list (groups walked, stopping at the first difference).
template <class W>
void ReadObjectsValueInto(const Vectorloom::CRenderBaseObjectList& objects, typename W::ValueType& value, int& state) {
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (state > 0) return;
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP && obj->IsGroupObject()) {
      ReadObjectsValueInto<W>(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), value, state);
      continue;
    }
    typename W::ValueType v{};
    if (!W::Read(obj, v)) continue;  // not a shape
    if (state < 0) {
      value = v;
      state = 0;
    } else if (!(v == value)) {
      state = 1;
    }
  }
}
template <class W>
int ReadObjectsValue(const Vectorloom::CRenderBaseObjectList& objects, typename W::ValueType& value) {
  int state = -1;
  ReadObjectsValueInto<W>(objects, value, state);
  return state;
}
// The rotation of every object of the list (groups as one object).
int ReadObjectsRotatedAngle(const Vectorloom::CRenderBaseObjectList& objects, int& angle);

// The readers of the custom-value dialogs, over a list in its order.
inline int ReadObjsStrokeWidth(const Vectorloom::CRenderBaseObjectList& objects,
                               Vectorloom::CStrokeParamValue<float>& value) {
  return ReadObjectsValue<Vectorloom::CModifyShapeObjStrokenWidthWrap>(objects, value);
}
inline int ReadObjsFilledTransparency(const Vectorloom::CRenderBaseObjectList& objects, int& value) {
  return ReadObjectsValue<Vectorloom::CModifyShapeObjFilledTransparencyWrap>(objects, value);
}
inline int ReadObjsStrokeTransparency(const Vectorloom::CRenderBaseObjectList& objects, int& value) {
  return ReadObjectsValue<Vectorloom::CModifyShapeObjStrokenTransparencyWrap>(objects, value);
}
inline int ReadObjsRotatedAngle(const Vectorloom::CRenderBaseObjectList& objects, int& angle) {
  return ReadObjectsRotatedAngle(objects, angle);
}

// The selection readers: the selected objects of the view's page, in page order.
int ReadSelectionStrokeWidth(const Vectorloom::CWorkspaceView* view, Vectorloom::CStrokeParamValue<float>& value);
int ReadSelectionDashType(const Vectorloom::CWorkspaceView* view, Vectorloom::CStrokeParamValue<int>& value);
int ReadSelectionFillInside(const Vectorloom::CWorkspaceView* view, int& value);
int ReadSelectionStrokeOutline(const Vectorloom::CWorkspaceView* view, int& value);
int ReadSelectionFilledTransparency(const Vectorloom::CWorkspaceView* view, int& value);
int ReadSelectionStrokeTransparency(const Vectorloom::CWorkspaceView* view, int& value);
int ReadSelectionRotatedAngle(const Vectorloom::CWorkspaceView* view, int& value);
int ReadSelectionOutlineColor(const Vectorloom::CWorkspaceView* view, Vectorloom::PaintColorValue& value);
int ReadSelectionFilledColor(const Vectorloom::CWorkspaceView* view, Vectorloom::PaintColorValue& value);

// Character readers over characters start..end of a text (end below 0 or past the text: the
// last character), folding into the caller's state (start it at -1): a state above 0 or a
// negative start returns at once, and the read stops at the first difference.
template <class A>
void ReadCharsValue(const GlyphweaveLib::CEditableTextObj& text, int start, int end, typename A::Element& value,
                    int& state) {
  if (state > 0 || start < 0) return;
  const int n = Quirebook::TextCharacterCount(text);
  if (!Quirebook::ClampCharacterRange(n, start, end)) return;
  const auto& chars = text.GetArrayOfTextCharacters();
  for (int i = start; i <= end; ++i) {
    const typename A::Element v = A::Read(chars[static_cast<size_t>(i)]);
    if (state < 0) {
      value = v;
      state = 0;
    } else if (!(v == value)) {
      state = 1;
      return;
    }
  }
}

#define LW_CHAR_READER(Name, Access)                                                                      \
  inline void ReadChars##Name(const GlyphweaveLib::CEditableTextObj& text, int start, int end,             \
                              Quirebook::Access::Element& value, int& state) {                             \
    ReadCharsValue<Quirebook::Access>(text, start, end, value, state);                                     \
  }
LW_CHAR_READER(FillInside, CAccessTextObjFilledInsideFlagProp)
LW_CHAR_READER(StrokeOutline, CAccessTextObjStrokeOutlineFlagProp)
LW_CHAR_READER(Bold, CAccessTextObjBoldProp)
LW_CHAR_READER(Italic, CAccessTextObjItalicProp)
LW_CHAR_READER(Underline, CAccessTextObjUnderlineProp)
LW_CHAR_READER(StrikeThrough, CAccessTextObjStrikeThroughProp)
LW_CHAR_READER(ScriptKind, CAccessTextObjScriptFlagProp)
LW_CHAR_READER(FilledTransparency, CAccessTextObjFilledTransparencyProp)
LW_CHAR_READER(StrokeTransparency, CAccessTextObjStrokeTransparencyProp)
LW_CHAR_READER(OutlineColor, CAccessTextObjStrokeColorProp)
LW_CHAR_READER(FilledColor, CAccessTextObjFilledColorProp)
#undef LW_CHAR_READER

// The character whose format the caret shows: the one before the caret (the one typing
// continues), the first character at the start of the text; -1 for an empty text. The caret code
// is resolved first (bit 30: behind the indexed character).
int CaretFormatCharacter(const GlyphweaveLib::CEditableTextObj& text, int caretCode);

// A character reader over what the editing tool points at: -1 when it edits no text; with a
// selection the selected characters; otherwise the character CaretFormatCharacter names.
template <class A>
int ReadEditingTextValue(const Quirebook::CEditingTextTool& tool, typename A::Element& value) {
  const Quirebook::CDDrawTextObj* text = tool.GetEditingText();
  if (!text) return -1;
  int state = -1;
  int s = -1, e = -1;
  tool.GetSelectionRange(s, e);
  if (s >= 0 && s < e) {
    ReadCharsValue<A>(*text, s, e - 1, value, state);
  } else {
    const int i = CaretFormatCharacter(*text, tool.GetCaretPos());
    if (i >= 0) ReadCharsValue<A>(*text, i, i, value, state);
  }
  return state;
}

// The character format the font and spacing controls show for the editing tool: with a
// selection the multi-character description of the selected characters (2); otherwise the format
// of the caret's character (1); 0 when the tool edits no text or the text is empty.
int ReadEditingTextCharFormats(const Quirebook::CEditingTextTool& tool, GlyphweaveLib::CRichFontDesc* single,
                               GlyphweaveLib::CCharFormatsDesc* multi);
