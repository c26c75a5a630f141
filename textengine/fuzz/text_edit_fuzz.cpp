// A text record from the fuzzer, laid out, hit-tested and edited: none of it may crash or read
// out of bounds, whatever the loaded sizes, scales, shifts and run lengths.

#include <cstddef>
#include <cstdint>
#include <cstring>

#include <vectorloom/StreamReader.h>

#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/EditableTextObj.h"

namespace {

using namespace GlyphweaveLib;

class FuzzText final : public CEditableTextObj {
 public:
  float w = 200.0f, h = 200.0f;
  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override { return {w, h}; }
};

float FloatAt(const uint8_t* p) {
  float f;
  std::memcpy(&f, p, 4);
  return f;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // 16 bytes of operations first: box size, two points, an edit position and count.
  if (size < 16) return 0;
  FuzzText t;
  t.w = FloatAt(data);
  t.h = FloatAt(data + 4);
  const float px = FloatAt(data + 8);
  const uint8_t pos = data[12], count = data[13], op = data[14], gap = data[15];
  Vectorloom::CStreamReader in(data + 16, static_cast<unsigned>(size - 16));
  if (!t.GetBinaryContent(&in, nullptr)) return 0;

  // One glyph with font metrics for every character.
  auto* glyph = new CCharacterGlyphRes();
  glyph->SetReferIncx(600.0f);
  glyph->SetReferIncy(static_cast<float>(op & 3));
  glyph->SetFontMetrics(900.0f, 200.0f, static_cast<float>(gap));
  glyph->AddRef();
  for (auto& c : t.GetArrayOfTextCharacters()) c.SetCharGlyphRes(glyph);
  t.SetRowGap(gap & 3, static_cast<float>(gap));

  t.RecalcuLayout(0);
  t.RecalcuLayout(t.GetParagraphsLinesInfo().GetSize() / 2);
  const int n = static_cast<int>(t.GetArrayOfTextCharacters().size());
  t.HitTestCaretPos({px, px});
  t.HitTestCaretPos({-px, 1e6f});
  for (int i = -1; i <= n + 1 && i < 300; ++i) {
    t.CalcuNextRowCaretPos(i);
    t.CalcuPrevRowCaretPos(i);
    t.CalcuRowStartedCaretPos(i);
  }
  CCharFormatsDesc summary;
  t.GetSelectionCharFormatsDesc(&summary, pos, -1);
  CFontDescCollection fonts;
  t.CollectFontDesc(&fonts);
  std::vector<int> ids;
  t.CollectEmbedFonts(ids);

  switch (op % 5) {
    case 0:
      t.DeleteString(pos, count);
      break;
    case 1: {
      const wchar_t s[] = {L'a', 13, 0x1F600, L'b', 0};
      CRichFontDesc f;
      t.InsertString(pos, s, count % 5, nullptr, f, nullptr, nullptr);
      break;
    }
    case 2:
      t.SetSelectionCharsFontSize(pos, count, px);
      break;
    case 3: {
      CPresetFontSizeManager presets;
      t.ChangeSelectionCharsFontSize(pos, count - 128, (gap & 1) != 0, &presets, nullptr);
      break;
    }
    default:
      t.SetSelectionCharsHorzOffset(pos, count, px);
      t.OptimizationFontDescs(pos % 4, count - 128);
      break;
  }
  t.HitTestCaretPos({px, px});
  t.CalcuInnerTextExtent();
  glyph->Release();
  return 0;
}
