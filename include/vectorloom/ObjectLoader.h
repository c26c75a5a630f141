// Making and loading typed objects: the object factory interface, the loader of one typed object
// and the serialized artwork stream ("obj#2009").
#pragma once

#include "RenderObj.h"

namespace Vectorloom {

// Makes a new object for a type code; null for a code it does not make.
class CBaseObjectFactory {
 public:
  virtual ~CBaseObjectFactory() = default;
  virtual CRenderBaseObj* CreateObject(int type) = 0;
};

// The library's own factory: shapes (code 0) and groups (code 2).
class CDefaultObjectFactory : public CBaseObjectFactory {
 public:
  CRenderBaseObj* CreateObject(int type) override;
};

// Serialized artwork: the 8 ASCII bytes "obj#2009", a u32 format version, then one typed object
// (u32 type word, the object's record, and for a group its child list). See docs/formats.md.
class CLoadingObject {
 public:
  static constexpr char kSignature[9] = "obj#2009";
  static constexpr uint32_t kFormatVersion = 1;

  // Reads one typed object (no signature) at the file's position through the factory. Returns
  // the object with no reference taken (the caller takes ownership; Release deletes it), or null
  // when the type is not made by the factory or the record is short or malformed.
  static CRenderBaseObj* Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                              CBaseObjectFactory& factory, const CString& version);
  // Reads serialized artwork (signature, version, one object).
  static CRenderBaseObj* LoadSerialized(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                                        CBaseObjectFactory& factory);
  // Writes one typed object (its record and, for a group, its child list); false when the object
  // is of a kind whose record this library does not write.
  static bool Save(CFile& file, CRenderBaseObj& obj, const CString& version);
  // Writes serialized artwork.
  static bool SaveSerialized(CFile& file, CRenderBaseObj& obj);
};

}  // namespace Vectorloom
