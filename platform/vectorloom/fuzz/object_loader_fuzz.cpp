// Feeds arbitrary bytes to the object stream loader (as a typed record, or as serialized artwork
// when the bytes begin with its signature). Loading must fail cleanly or give an object that
// saves and loads back to the same bytes.
#include <afx.h>
#include <vectorloom/Vectorloom.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

using namespace Vectorloom;

namespace {

std::vector<uint8_t> Save(CRenderBaseObj& obj) {
  CMemFile f;
  if (!CLoadingObject::Save(f, obj, CString(L"2010"))) std::abort();
  const BYTE* p = f.GetBufferPtr();
  return std::vector<uint8_t>(p, p + f.GetLength());
}

CRenderBaseObj* Load(const uint8_t* data, size_t size, bool artwork) {
  std::vector<uint8_t> copy(data, data + size);
  copy.reserve(1);
  CMemFile f(copy.data(), static_cast<UINT>(copy.size()), 0);
  CDefaultObjectFactory factory;
  CBitmapResObjsList bitmaps;
  if (artwork) return CLoadingObject::LoadSerialized(f, nullptr, bitmaps, factory);
  return CLoadingObject::Load(f, nullptr, bitmaps, factory, CString(L"2010"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const bool artwork = size >= 8 && std::memcmp(data, "obj#2009", 8) == 0;
  CRenderBaseObj* obj = Load(data, size, artwork);
  if (!obj) return 0;
  obj->AddRef();
  obj->CalcuBoundRect();
  obj->CreatePathStorage();
  const std::vector<uint8_t> first = Save(*obj);
  CRenderBaseObj* again = Load(first.data(), first.size(), false);
  if (!again) std::abort();
  again->AddRef();
  if (Save(*again) != first) std::abort();
  // Geometry questions must not trip over whatever numbers the stream held.
  again->GetRotatedAngle();
  again->CalcuObjectOccurArea(nullptr, 1);
  again->HitTest({1, 1}, 2);
  again->HitTestHandles({1, 1}, 2);
  again->ScaleLengthParam(0.75f, 1.25f);
  again->Release();
  obj->Release();
  return 0;
}
