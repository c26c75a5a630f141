#include "PageObjectRecords.h"

#include <mfc/afxbinio.h>

#include <vector>

#include "CreateObjectFactory.h"

using namespace Vectorloom;

namespace {

// The smallest typed record: a type word and a base record with an empty name.
constexpr uint64_t kMinTypedRecord = 4 + 60;

using lw::bin::BytesLeft;

bool InList(int type, uint32_t types) { return (PageObjectTypeBit(type) & types) != 0; }

// Drops an object that nobody holds yet.
void Discard(CRenderBaseObj* obj) {
  obj->AddRef();
  obj->Release();
}

// Removes and releases the objects of a list from index `from` on.
void TruncateList(CRenderBaseObjectList& list, int from) {
  while (list.GetCount() > from) list.RemoveElementAt(list.GetCount() - 1);
}

// One typed object after its type word was read; `depth` is the level a group would have.
CRenderBaseObj* LoadTypedBody(uint32_t type, CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                              const CString& version, int depth) {
  CCreateObjectFactory factory;
  CRenderBaseObj* obj = factory.CreateObject(static_cast<int>(type & 0xFFFF));
  if (!obj) return nullptr;
  obj->SetTypeWord(type);
  int ok;
  if (obj->GetObjectType() == RENDER_OBJ_GROUP)
    ok = LoadPageObjectList(static_cast<CPageGroupObj&>(*obj), file, module, bitmaps, version, depth);
  else
    ok = obj->Load(file, module, bitmaps, version);
  if (!ok) {
    Discard(obj);
    return nullptr;
  }
  return obj;
}

bool SaveTyped(CFile& file, CRenderBaseObj& obj, const CString& version, int depth) {
  const int type = obj.GetObjectType();
  if (!IsPageObjectListChildType(type)) return false;
  if (type == RENDER_OBJ_GROUP && obj.IsGroupObject()) {
    if (depth < 1 || depth > kMaxPageGroupDepth || !obj.Save(file, version)) return false;
    return static_cast<CRenderGroupObj&>(obj).SaveChildren(file, version, depth);
  }
  return obj.Save(file, version) != 0;
}

}  // namespace

bool IsPageObjectListChildType(int type) { return CRenderGroupObj::IsSavableChildType(type); }

int SavePageObjectList(CPageGroupObj& group, CFile& file, const CString& version, int depth) {
  return SaveTyped(file, group, version, depth) ? 1 : 0;
}

int LoadPageObjectList(CPageGroupObj& group, CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                       const CString& version, int depth) {
  if (depth < 1 || depth > kMaxPageGroupDepth) return 0;
  if (!group.CRenderGroupObj::Load(file, module, bitmaps, version)) return 0;
  CCreateObjectFactory factory;
  return group.LoadChildren(file, module, bitmaps, version, factory, depth);
}

bool SavePageObject(CFile& file, CRenderBaseObj& obj, const CString& version) {
  return SaveTyped(file, obj, version, 1);
}

CRenderBaseObj* LoadPageObject(CFile& file, const CResourceModule* module, CBitmapResObjsList& bitmaps,
                               const CString& version, uint32_t allowedTypes) {
  uint32_t type;
  if (!lw::bin::ReadU32(file, type)) return nullptr;
  if (!InList(static_cast<int>(type & 0xFFFF), allowedTypes)) return nullptr;
  return LoadTypedBody(type, file, module, bitmaps, version, 1);
}

uint32_t SaveObjectList(CFile& file, const CRenderBaseObjectList& list, const CString& version,
                        uint32_t savedTypes) {
  std::vector<CRenderBaseObj*> saved;
  for (CRenderBaseObj* obj : list) {
    const int type = obj->GetObjectType();
    if (InList(type, savedTypes) && IsPageObjectListChildType(type)) saved.push_back(obj);
  }
  lw::bin::WriteU32(file, static_cast<uint32_t>(saved.size()));
  uint32_t written = 0;
  for (CRenderBaseObj* obj : saved) {
    if (!SaveTyped(file, *obj, version, 1)) break;
    ++written;
  }
  return written;
}

bool LoadObjectList(CFile& file, CRenderBaseObjectList& out, const CResourceModule* module,
                    CBitmapResObjsList& bitmaps, const CString& version, uint32_t allowedTypes) {
  const int before = out.GetCount();
  uint32_t count;
  if (!lw::bin::ReadU32(file, count) || count > BytesLeft(file) / kMinTypedRecord) return false;
  for (uint32_t i = 0; i < count; ++i) {
    CRenderBaseObj* obj = LoadPageObject(file, module, bitmaps, version, allowedTypes);
    if (!obj) {
      TruncateList(out, before);
      return false;
    }
    out.AddElement(obj);
  }
  return true;
}
