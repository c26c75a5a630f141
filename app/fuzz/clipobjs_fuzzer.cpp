// Arbitrary bytes as a clipboard stream's "Objs" section (header at the start), read as a paste
// does and finished. A failed paste leaves nothing in the target list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "ClipboardParts.h"
#include "LeafwrightDoc.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);
  copy.reserve(1);
  CMemFile in(copy.data(), static_cast<UINT>(copy.size()), 0);
  CLeafwrightDoc doc;
  Vectorloom::CRenderBaseObjectList target;
  CZipExtractClipedObjects reader(&doc, target);
  if (!reader.ReadBlocksTag(&in)) return 0;
  const bool read = reader.ReadBlocks(&in, CString(L"2000"), CString(L"2010"));
  if (reader.HasFailed() && target.GetCount() != 0) std::abort();
  if (read && !reader.HasFailed()) FinishClipboardExtracting(nullptr, nullptr, &reader);
  for (Vectorloom::CRenderBaseObj* obj : target)
    if (obj->GetObjectName().GetLength() > CZipExtractClipedObjects::kMaxPastedNameLength) std::abort();
  return 0;
}
