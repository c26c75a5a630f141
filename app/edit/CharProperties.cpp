#include "CharProperties.h"

#include <quirebook/DDrawTextObj.h>

#include <algorithm>

namespace Quirebook {

void RelayoutTextFromCharacter(CEditableTextObj& text, int index) {
  if (index < 0 || index >= TextCharacterCount(text)) return;
  const auto& rows = text.GetParagraphsLinesInfo();
  int64_t start = 0;
  for (int r = 0; r < rows.GetSize(); ++r) {
    const int64_t end = start + rows.GetAt(r).m_nCharCount;
    if (index >= start && index < end) {
      text.RecalcuLayout(r > 0 ? r - 1 : 0);
      return;
    }
    start = end;
  }
  // Below the last row (the box was full): after the change the character may fit again, so the
  // layout goes on from the last row.
  const int last = rows.GetSize() - 1;
  text.RecalcuLayout(last > 0 ? last - 1 : 0);
}

const GlyphweaveLib::CPresetFontSizeManager& GetFontSizePresets() {
  static const unsigned char kSizes[] = {4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
  static const GlyphweaveLib::CPresetFontSizeManager presets = [] {
    GlyphweaveLib::CPresetFontSizeManager m;
    m.m_pPresetSizes = kSizes;
    m.m_nPresetCount = static_cast<int>(sizeof(kSizes));
    return m;
  }();
  return presets;
}

namespace {

// The largest point size a step starts from; sizes read from a file may be anything.
constexpr float kLargestSteppedSize = 100000.0f;

void StepFontSizes(CEditableTextObj& text, int start, int end, const GlyphweaveLib::CPresetFontSizeManager& presets,
                   bool enlarge, bool relayout) {
  const int n = TextCharacterCount(text);
  if (!ClampCharacterRange(n, start, end)) return;
  auto& chars = text.GetArrayOfTextCharacters();
  for (int i = start; i <= end; ++i) {
    CCharacterItem& c = chars[static_cast<size_t>(i)];
    const float point = c.GetFontPointSize();
    if (!(point == point)) continue;  // no size to step from
    const int size = static_cast<int>(std::clamp(point, 0.0f, kLargestSteppedSize));  // truncated
    int next = enlarge ? presets.CalcuNextEnlargeFontSize(size) : presets.CalcuNextShrinkFontSize(size);
    if (next < 1) next = 1;
    c.SetFontPointSize(static_cast<float>(next));
  }
  if (relayout) RelayoutTextFromCharacter(text, start);
}

void StepFontSizes(const Vectorloom::CRenderBaseObjectList& objects,
                   const GlyphweaveLib::CPresetFontSizeManager& presets, bool enlarge, bool relayout) {
  for (Vectorloom::CRenderBaseObj* obj : objects) {
    if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_GROUP && obj->IsGroupObject()) {
      StepFontSizes(static_cast<Vectorloom::CRenderGroupObj*>(obj)->GetChildList(), presets, enlarge, relayout);
    } else if (obj->GetObjectType() == Vectorloom::RENDER_OBJ_TEXT) {
      if (auto* text = dynamic_cast<CDDrawTextObj*>(obj)) StepFontSizes(*text, 0, -1, presets, enlarge, relayout);
    }
  }
}

}  // namespace

void EnlargeFontSizes(CEditableTextObj& text, int start, int end, const GlyphweaveLib::CPresetFontSizeManager& presets,
                      bool relayout) {
  StepFontSizes(text, start, end, presets, true, relayout);
}
void ShrinkFontSizes(CEditableTextObj& text, int start, int end, const GlyphweaveLib::CPresetFontSizeManager& presets,
                     bool relayout) {
  StepFontSizes(text, start, end, presets, false, relayout);
}
void EnlargeFontSizes(const Vectorloom::CRenderBaseObjectList& objects,
                      const GlyphweaveLib::CPresetFontSizeManager& presets, bool relayout) {
  StepFontSizes(objects, presets, true, relayout);
}
void ShrinkFontSizes(const Vectorloom::CRenderBaseObjectList& objects,
                     const GlyphweaveLib::CPresetFontSizeManager& presets, bool relayout) {
  StepFontSizes(objects, presets, false, relayout);
}

}  // namespace Quirebook
