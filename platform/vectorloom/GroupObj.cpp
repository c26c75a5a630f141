#include "GroupObj.h"

#include <afxbinio.h>

#include <algorithm>

#include "BitmapRes.h"
#include "ObjectLoader.h"
#include "ObjectStreamIO.h"
#include "ShapeObj.h"

namespace Vectorloom {

namespace {

// The smallest child record: a type word and a base record with an empty name.
constexpr uint64_t kChildMinSize = 4 + 4 + 4 + 6 * 4 + 2 * 4 + 4 + 2 * 4 + 4 + 4;

}  // namespace

CRenderGroupObj::CRenderGroupObj(const CRenderGroupObj& other) : CRenderBaseObj(other) {
  for (CRenderBaseObj* child : other.m_children) {
    CRenderBaseObj* copy = child->Clone();
    if (copy) m_children.AddElement(copy);
  }
}

CRenderGroupObj& CRenderGroupObj::operator=(const CRenderGroupObj& other) {
  if (this == &other) return *this;
  CRenderBaseObj::operator=(other);
  CRenderBaseObjectList copies;
  for (CRenderBaseObj* child : other.m_children) {
    CRenderBaseObj* copy = child->Clone();
    if (copy) copies.AddElement(copy);
  }
  m_children = copies;
  return *this;
}

CRenderBaseObj* CRenderGroupObj::Clone() const { return new CRenderGroupObj(*this); }

void CRenderGroupObj::Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) {
  DrawShadow(pGraphics, viewMatrix);
  for (CRenderBaseObj* child : m_children) child->Draw(pGraphics, viewMatrix);
}

CQorVectorRect<float> CRenderGroupObj::CalcuBoundRect() const {
  CQorVectorRect<float> r;
  bool any = false;
  for (CRenderBaseObj* child : m_children) {
    const CQorVectorRect<float> c = child->CalcuBoundRect();
    if (!any) {
      r = c;
      any = true;
    } else {
      r.left = std::min(r.left, c.left);
      r.top = std::min(r.top, c.top);
      r.right = std::max(r.right, c.right);
      r.bottom = std::max(r.bottom, c.bottom);
    }
  }
  return r;
}

CQorVectorRect<float> CRenderGroupObj::GetObjectBox() const {
  // The children live in page coordinates; the group's box is their bounds taken back through
  // the group's matrix when it can be inverted.
  CQorTransMatrix inv = m_matTrans;
  if (!inv.Invert()) return CalcuBoundRect();
  return inv.TransformRect(CalcuBoundRect());
}

bool CRenderGroupObj::HitTest(const CQorVectorPoint<float>& pt, float tolerance) const {
  for (CRenderBaseObj* child : m_children)
    if (child->HitTest(pt, tolerance)) return true;
  return false;
}

void CRenderGroupObj::CreatePathStorage() {
  for (CRenderBaseObj* child : m_children) child->CreatePathStorage();
}

int CRenderGroupObj::CreateEffectsDIBs(int nFlags, int nReserved) {
  int ok = 1;
  for (CRenderBaseObj* child : m_children)
    if (!child->CreateEffectsDIBs(nFlags, nReserved)) ok = 0;
  return ok;
}

void CRenderGroupObj::TransformObject(const CQorTransMatrix& m, bool bRebuild) {
  m_matTrans = m_matTrans * m;
  for (CRenderBaseObj* child : m_children) child->TransformObject(m, bRebuild);
}

void CRenderGroupObj::CollectExternalBmpResObjs(CBitmapResObjsList& list) const {
  for (CRenderBaseObj* child : m_children) child->CollectExternalBmpResObjs(list);
}

void CRenderGroupObj::AssignExternalBmpRes(const CBitmapResObjsList& list) {
  for (CRenderBaseObj* child : m_children) child->AssignExternalBmpRes(list);
}

void CRenderGroupObj::AssignExternalBmpRes2(const CBitmapResObjsList& list) {
  for (CRenderBaseObj* child : m_children) child->AssignExternalBmpRes2(list);
}

CQorVectorRect<float> CRenderGroupObj::CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds) const {
  CQorVectorRect<float> r = pBounds ? *pBounds : CalcuBoundRect();
  r.Offset(m_ptShadowOffset.x, m_ptShadowOffset.y);
  return r;
}

void CRenderGroupObj::ResizeObject(const CQorVectorRect<float>& rect) {
  // The rectangle is in the group's own coordinates: map the box onto it, on the page.
  const CQorVectorRect<float> box = GetObjectBox();
  CQorVectorRect<float> target = rect;
  target.Normalize();
  const float sx = box.Width() > 0 ? target.Width() / box.Width() : 1;
  const float sy = box.Height() > 0 ? target.Height() / box.Height() : 1;
  CQorTransMatrix inv = m_matTrans;
  if (!inv.Invert()) return;
  const CQorTransMatrix local = CQorTransMatrix::Translation(-box.left, -box.top) * CQorTransMatrix::Scale(sx, sy) *
                                CQorTransMatrix::Translation(target.left, target.top);
  const CQorTransMatrix onPage = inv * local * m_matTrans;
  for (CRenderBaseObj* child : m_children) child->TransformObject(onPage, true);
}

void CRenderGroupObj::ScaleLengthParam(const float& sx, const float& sy) {
  CRenderBaseObj::ScaleLengthParam(sx, sy);
  for (CRenderBaseObj* child : m_children) child->ScaleLengthParam(sx, sy);
}

void CRenderGroupObj::BuildAllShapeObjectsPath() {
  WalkRenderObjects(m_children, [](CRenderBaseObj* obj) {
    const int type = obj->GetObjectType();
    if (type == RENDER_OBJ_SHAPE || type == RENDER_OBJ_CORETEXT || type == RENDER_OBJ_VIDEO) {
      obj->CreatePathStorage();
      if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) shape->CreateStrokenPathStorage();
    }
  });
}

bool CRenderGroupObj::SaveChildren(CFile& file, const CString& version, int depth) {
  if (depth < 1 || depth > kMaxGroupDepth) return false;
  uint32_t count = 0;
  for (CRenderBaseObj* child : m_children)
    if (IsSavableChildType(child->GetObjectType())) ++count;
  lw::bin::WriteU32(file, count);
  for (CRenderBaseObj* child : m_children) {
    if (!IsSavableChildType(child->GetObjectType())) continue;
    if (!child->Save(file, version)) return false;
    if (child->IsGroupObject() && !static_cast<CRenderGroupObj*>(child)->SaveChildren(file, version, depth + 1))
      return false;
  }
  return true;
}

int CRenderGroupObj::LoadChildren(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps,
                                  const CString& version, CBaseObjectFactory& factory, int depth) {
  if (depth < 1 || depth > kMaxGroupDepth) return 0;
  const int before = m_children.GetCount();
  auto fail = [&] {
    while (m_children.GetCount() > before) m_children.RemoveElementAt(m_children.GetCount() - 1);
    return 0;
  };
  uint32_t count;
  if (!lw::bin::ReadU32(file, count) || !io::CountFits(file, count, kChildMinSize)) return fail();
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t type;
    if (!lw::bin::ReadU32(file, type) || !IsSavableChildType(static_cast<int>(type & 0xFFFF))) return fail();
    CRenderBaseObj* child = factory.CreateObject(static_cast<int>(type & 0xFFFF));
    if (!child) return fail();
    child->AddRef();
    child->SetTypeWord(type);
    int ok = child->Load(file, pModule, bitmaps, version);
    if (ok && child->IsGroupObject())
      ok = static_cast<CRenderGroupObj*>(child)->LoadChildren(file, pModule, bitmaps, version, factory, depth + 1);
    if (ok) m_children.AddElement(child);
    child->Release();
    if (!ok) return fail();
  }
  return 1;
}

}  // namespace Vectorloom
