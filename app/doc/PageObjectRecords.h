// The typed object records of pages, groups and the clipboard (docs/formats.md, "Object
// streams"); the program's group child list also carries texts (3) and videos (4), so grouping a
// video survives a save and a paste.
//
//   SavePageObjectList / LoadPageObjectList     a group: its record, u32 child count, typed children.
//   SavePageObject / LoadPageObject             one typed object (u32 type + stream) of a page
//                                               block or clipboard list; groups go through the
//                                               two functions above.
//   SaveObjectList / LoadObjectList             u32 count + typed objects (the object part of a
//                                               page block and the clipboard "Objs" block).
//
// Readers build no glyphs: call FinishLoadedObjects (FinishLoadedObjects.h) once the fonts of the
// page or paste are settled.
#pragma once

#include <cstdint>

#include <mfc/afx.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/RenderObj.h>

#include "PageGroupObj.h"

// Deepest group nesting that is written or read (a top-level group is depth 1).
inline constexpr int kMaxPageGroupDepth = Vectorloom::CRenderGroupObj::kMaxGroupDepth;

// Whether a group's child list carries a record for an object of this code (0, 2, 3, 4). Other
// children are left out and not counted, so the count always matches the records.
bool IsPageObjectListChildType(int type);

// Writes the group's record, the u32 count of its recorded children and each child as a typed
// record (a child group recursively). 1 on success; 0 when groups nest deeper than
// kMaxPageGroupDepth (nothing is then guaranteed about what was written). A failing file throws.
int SavePageObjectList(CPageGroupObj& group, CFile& file, const CString& version, int depth = 1);
// Reads what SavePageObjectList wrote, after the group's type word. 1 on success. 0 on a short
// or malformed record, a child count larger than the bytes left can hold, a child code other than
// 0, 2, 3, 4, a failed child, or nesting deeper than kMaxPageGroupDepth; the group's children are
// then removed. Builds no glyphs (see FinishLoadedObjects).
int LoadPageObjectList(CPageGroupObj& group, CFile& file, const Vectorloom::CResourceModule* module,
                       Vectorloom::CBitmapResObjsList& bitmaps, const CString& version, int depth = 1);

// Sets of object type codes, one bit per code.
constexpr uint32_t PageObjectTypeBit(int type) { return type >= 0 && type < 32 ? (1u << type) : 0u; }
// Codes a page block and a group child list carry: 0, 2, 3, 4.
inline constexpr uint32_t kPageObjectTypes = PageObjectTypeBit(0) | PageObjectTypeBit(2) | PageObjectTypeBit(3) |
                                             PageObjectTypeBit(4);
// Codes the clipboard's object list carries at its top level: 0, 2, 3.
inline constexpr uint32_t kClipboardObjectTypes = PageObjectTypeBit(0) | PageObjectTypeBit(2) | PageObjectTypeBit(3);

// One typed object: its u32 type word and stream (a group with its child list). False, with
// nothing written, for an object whose code has no record (1).
bool SavePageObject(CFile& file, Vectorloom::CRenderBaseObj& obj, const CString& version);
// Reads one typed object through CCreateObjectFactory. Returns it with no reference taken, or
// null on any failure (type not in allowedTypes, short or malformed stream).
Vectorloom::CRenderBaseObj* LoadPageObject(CFile& file, const Vectorloom::CResourceModule* module,
                                           Vectorloom::CBitmapResObjsList& bitmaps, const CString& version,
                                           uint32_t allowedTypes = kPageObjectTypes);

// u32 count, then the typed records of the list's objects whose code is in savedTypes (only
// those are counted). Returns the number written.
uint32_t SaveObjectList(CFile& file, const Vectorloom::CRenderBaseObjectList& list, const CString& version,
                        uint32_t savedTypes = kPageObjectTypes);
// Reads a counted list into `out` (appended, one reference each). False on any failure, with
// everything this call appended removed again; a count larger than the bytes left can hold fails
// before anything is made.
bool LoadObjectList(CFile& file, Vectorloom::CRenderBaseObjectList& out, const Vectorloom::CResourceModule* module,
                    Vectorloom::CBitmapResObjsList& bitmaps, const CString& version,
                    uint32_t allowedTypes = kPageObjectTypes);
