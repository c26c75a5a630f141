#include "ObjectLoader.h"

#include <afxbinio.h>

#include <cstring>

#include "GroupObj.h"
#include "ShapeObj.h"

namespace Vectorloom {

namespace {

const CString kArtworkVersion(L"2009");

// Drops an object that nobody holds yet.
void Discard(CRenderBaseObj* obj) {
  obj->AddRef();
  obj->Release();
}

}  // namespace

CRenderBaseObj* CDefaultObjectFactory::CreateObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE:
      return new CCustomPathObj;
    case RENDER_OBJ_GROUP:
      return new CRenderGroupObj;
    default:
      return nullptr;
  }
}

CRenderBaseObj* CLoadingObject::Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                                     CBaseObjectFactory& factory, const CString& version) {
  uint32_t type;
  if (!lw::bin::ReadU32(file, type)) return nullptr;
  CRenderBaseObj* obj = factory.CreateObject(static_cast<int>(type & 0xFFFF));
  if (!obj) return nullptr;
  obj->SetTypeWord(type);
  int ok = obj->Load(file, pModule, bitmaps, version);
  if (ok && obj->IsGroupObject())
    ok = static_cast<CRenderGroupObj*>(obj)->LoadChildren(file, pModule, bitmaps, version, factory, 1);
  if (!ok) {
    Discard(obj);
    return nullptr;
  }
  return obj;
}

CRenderBaseObj* CLoadingObject::LoadSerialized(CFile& file, const CResourceModule* pModule,
                                               CBitmapResObjsList& bitmaps, CBaseObjectFactory& factory) {
  char signature[8];
  uint32_t version;
  if (!lw::bin::ReadBytes(file, signature, sizeof signature) || std::memcmp(signature, kSignature, 8) != 0 ||
      !lw::bin::ReadU32(file, version) || version != kFormatVersion)
    return nullptr;
  return Load(file, pModule, bitmaps, factory, kArtworkVersion);
}

bool CLoadingObject::Save(CFile& file, CRenderBaseObj& obj, const CString& version) {
  if (!CRenderGroupObj::IsSavableChildType(obj.GetObjectType())) return false;
  if (!obj.Save(file, version)) return false;
  return !obj.IsGroupObject() || static_cast<CRenderGroupObj&>(obj).SaveChildren(file, version);
}

bool CLoadingObject::SaveSerialized(CFile& file, CRenderBaseObj& obj) {
  if (!CRenderGroupObj::IsSavableChildType(obj.GetObjectType())) return false;
  lw::bin::WriteBytes(file, kSignature, 8);
  lw::bin::WriteU32(file, kFormatVersion);
  return Save(file, obj, kArtworkVersion);
}

}  // namespace Vectorloom
