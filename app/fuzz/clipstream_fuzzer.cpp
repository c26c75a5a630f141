// Arbitrary bytes as a whole clipboard stream from another program, pasted into a document, and
// as clipboard text. A refused stream pastes nothing; pasted names keep their limit; text is read
// from the given bytes only (the sanitizer catches a read past them).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ClipboardParts.h"
#include "ClipboardStream.h"
#include "LeafwrightDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // A buffer of exactly the input's size, so a read past it is caught.
  std::vector<uint8_t> copy(data, data + size);
  const std::u16string text = ReadClipboardText(copy.data(), copy.size());
  if (text.size() > copy.size() / 2) std::abort();

  CLeafwrightDoc doc;
  Vectorloom::CRenderBaseObjectList out;
  const bool pasted = ReadClipboardStream(copy.data(), copy.size(), doc, out);
  if (!pasted && out.GetCount() != 0) std::abort();
  if (pasted && out.GetCount() == 0) std::abort();
  for (Vectorloom::CRenderBaseObj* obj : out)
    if (obj->GetObjectName().GetLength() > CZipExtractClipedObjects::kMaxPastedNameLength) std::abort();
  return 0;
}
