// Groups of page objects.
#pragma once

#include "RenderObj.h"

namespace Vectorloom {

class CBaseObjectFactory;

// A group holds its children in an object list (one reference each). Its own record in object
// streams carries the base part only; the children follow it as a counted list of typed records
// (SaveChildren / LoadChildren), written by whoever writes the group.
class CRenderGroupObj : public CRenderBaseObj {
 public:
  CRenderGroupObj() : CRenderBaseObj(RENDER_OBJ_GROUP) {}
  // A copy holds clones of the other group's children.
  CRenderGroupObj(const CRenderGroupObj& other);
  CRenderGroupObj& operator=(const CRenderGroupObj& other);
  ~CRenderGroupObj() override = default;

  CRenderBaseObj* Clone() const override;
  void Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) override;
  CQorVectorRect<float> CalcuBoundRect() const override;
  CQorVectorRect<float> GetObjectBox() const override;
  bool HitTest(const CQorVectorPoint<float>& pt, float tolerance) const override;
  void CreatePathStorage() override;
  int CreateEffectsDIBs(int nFlags, int nReserved) override;
  void TransformObject(const CQorTransMatrix& m, bool bRebuild) override;
  void CollectExternalBmpResObjs(CBitmapResObjsList& list) const override;
  void AssignExternalBmpRes(const CBitmapResObjsList& list) override;
  void AssignExternalBmpRes2(const CBitmapResObjsList& list) override;
  CQorVectorRect<float> CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds = nullptr) const override;
  void ResizeObject(const CQorVectorRect<float>& rect) override;
  bool IsGroupObject() const override { return true; }
  void ScaleLengthParam(const float& sx, const float& sy) override;

  CRenderBaseObjectList& GetChildList() { return m_children; }
  const CRenderBaseObjectList& GetChildList() const { return m_children; }
  // Appends a child (one reference taken).
  void AddChild(CRenderBaseObj* pObj) { m_children.AddElement(pObj); }

  // Rebuilds the paths of every shape in the group, at any depth.
  void BuildAllShapeObjectsPath();

  // The child list record, the one codec of child lists (the library's artwork and the program's
  // page blocks and clipboard): u32 count, then per child its u32 type word and its record, a
  // child group followed by its own child list. Children of codes 0 (shape), 2 (group), 3 (text)
  // and 4 (video) are written through their own Save and counted; other codes are left out, so
  // the count always matches the records that follow. False when groups nest deeper than
  // kMaxGroupDepth (depth is this group's level, 1 at the top); the stream is then unusable.
  bool SaveChildren(CFile& file, const CString& version, int depth = 1);
  // Reads a child list record, making children through the factory. Fails (0) on a short record,
  // a count larger than what is left, a code other than 0, 2, 3 and 4 or one the factory does
  // not make, a failed child load or groups nested more than kMaxGroupDepth deep; the group then
  // keeps none of the children this call read.
  int LoadChildren(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps, const CString& version,
                   CBaseObjectFactory& factory, int depth = 1);
  // Whether a child list carries a record for an object of this type code.
  static bool IsSavableChildType(int type) {
    return type == RENDER_OBJ_SHAPE || type == RENDER_OBJ_GROUP || type == RENDER_OBJ_TEXT || type == RENDER_OBJ_VIDEO;
  }
  static constexpr int kMaxGroupDepth = 64;

  void Copy(const CRenderGroupObj& other) { *this = other; }

 private:
  CRenderBaseObjectList m_children;
};

// Calls fn(obj) for every object of the list and, depth first, of the groups in it (a group
// before its children).
template <class Fn>
void WalkRenderObjects(const CRenderBaseObjectList& list, Fn&& fn) {
  for (CRenderBaseObj* obj : list) {
    fn(obj);
    if (obj->IsGroupObject()) WalkRenderObjects(static_cast<CRenderGroupObj*>(obj)->GetChildList(), fn);
  }
}

}  // namespace Vectorloom
