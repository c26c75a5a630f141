// Reads arbitrary bytes as a text record; an accepted record must write back and read again to
// the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include "glyphweave/EditableTextObj.h"

namespace {

class FuzzText final : public GlyphweaveLib::CEditableTextObj {
 public:
  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override { return {100.0f, 100.0f}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzText text;
  Vectorloom::CStreamReader in(data, static_cast<unsigned>(size));
  if (!text.GetBinaryContent(&in, nullptr)) return 0;

  const int count = static_cast<int>(text.GetArrayOfTextCharacters().size());
  for (int i = -1; i <= count; ++i) {
    int start = 0;
    text.GetFontRunDesc(text.FindFontRun(i, &start));
    text.GetAbsoluteLineNo(i);
  }
  text.GetCharacters(0, -1);

  Vectorloom::CVariableStream first;
  if (!text.PutBinaryContent(&first, nullptr)) abort();
  FuzzText again;
  Vectorloom::CStreamReader in2(first.GetBuffer(), static_cast<unsigned>(first.GetLength()));
  if (!again.GetBinaryContent(&in2, nullptr)) abort();
  Vectorloom::CVariableStream second;
  if (!again.PutBinaryContent(&second, nullptr)) abort();
  if (first.GetLength() != second.GetLength() ||
      std::memcmp(first.GetBuffer(), second.GetBuffer(), static_cast<size_t>(first.GetLength())) != 0)
    abort();
  return 0;
}
