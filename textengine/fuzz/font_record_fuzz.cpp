// Reads arbitrary bytes as an embedded-font record; an accepted record must write back, read
// again to the same bytes and compare equal.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <vectorloom/VariableStream.h>

#include "glyphweave/EmbedFontRes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  GlyphweaveLib::CEmbedFontResouce font;
  if (!font.SetByBinaryContent(data, static_cast<unsigned>(size))) return 0;

  for (int ch : {0, 0x20, 0x41, 0x22EF, 0xFFFF}) font.GetGlyphGid(static_cast<wchar_t>(ch), nullptr);

  Vectorloom::CVariableStream first;
  if (!font.PutBinaryContent(&first)) abort();
  GlyphweaveLib::CEmbedFontResouce again;
  if (!again.SetByBinaryContent(first.GetBuffer(), static_cast<unsigned>(first.GetLength()))) abort();
  Vectorloom::CVariableStream second;
  if (!again.PutBinaryContent(&second)) abort();
  if (first.GetLength() != second.GetLength() ||
      std::memcmp(first.GetBuffer(), second.GetBuffer(), static_cast<size_t>(first.GetLength())) != 0)
    abort();
  // NaN values in the head make a font unequal to its own copy, so equality is only exercised.
  (void)font.IsEqualEmbedFont(again);
  GlyphweaveLib::CEmbedFontResouce copy(font);
  (void)copy.IsEqualEmbedFont(font);
  return 0;
}
