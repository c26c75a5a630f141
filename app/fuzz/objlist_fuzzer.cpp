// Arbitrary bytes as a group record with its child list (after the group's type word), then as a
// counted object list. Loading must fail cleanly, or give objects whose written form reads back
// and writes again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "PageGroupObj.h"
#include "PageObjectRecords.h"

namespace {

const CString kVersion(L"2010");

std::vector<uint8_t> Bytes(const CMemFile& f) {
  const BYTE* p = f.GetBufferPtr();
  return std::vector<uint8_t>(p, p + f.GetLength());
}

}  // namespace

// Writes a group (without its type word), reads it back and writes it again: both the same.
void CheckGroup(CPageGroupObj& group) {
  CMemFile out;
  if (!SavePageObjectList(group, out, kVersion)) std::abort();
  std::vector<uint8_t> first = Bytes(out);
  std::vector<uint8_t> body(first.begin() + 4, first.end());
  body.reserve(body.size() + 1);
  CMemFile in(body.data(), static_cast<UINT>(body.size()), 0);
  auto* again = new CPageGroupObj;
  again->AddRef();
  Vectorloom::CBitmapResObjsList bitmaps;
  if (!LoadPageObjectList(*again, in, nullptr, bitmaps, kVersion) || in.GetPosition() != in.GetLength()) std::abort();
  again->SetTypeWord(group.GetTypeWord());
  CMemFile out2;
  if (!SavePageObjectList(*again, out2, kVersion) || Bytes(out2) != first) std::abort();
  again->Release();
}

void CheckList(const Vectorloom::CRenderBaseObjectList& list) {
  CMemFile out;
  if (SaveObjectList(out, list, kVersion) != static_cast<uint32_t>(list.GetCount())) std::abort();
  std::vector<uint8_t> first = Bytes(out);
  first.reserve(first.size() + 1);
  CMemFile in(first.data(), static_cast<UINT>(first.size()), 0);
  Vectorloom::CRenderBaseObjectList again;
  Vectorloom::CBitmapResObjsList bitmaps;
  if (!LoadObjectList(in, again, nullptr, bitmaps, kVersion)) std::abort();
  CMemFile out2;
  SaveObjectList(out2, again, kVersion);
  if (Bytes(out2) != first) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> copy(data, data + size);
  copy.reserve(1);
  {
    CMemFile in(copy.data(), static_cast<UINT>(copy.size()), 0);
    auto* group = new CPageGroupObj;
    group->AddRef();
    Vectorloom::CBitmapResObjsList bitmaps;
    if (LoadPageObjectList(*group, in, nullptr, bitmaps, kVersion)) {
      CheckGroup(*group);
    } else if (group->GetChildList().GetCount() != 0) {
      std::abort();  // a failed group keeps no children
    }
    group->Release();
  }
  {
    CMemFile in(copy.data(), static_cast<UINT>(copy.size()), 0);
    Vectorloom::CRenderBaseObjectList list;
    Vectorloom::CBitmapResObjsList bitmaps;
    if (LoadObjectList(in, list, nullptr, bitmaps, kVersion)) {
      CheckList(list);
    } else if (list.GetCount() != 0) {
      std::abort();
    }
  }
  return 0;
}
