#include "PageBusiPage.h"

#include <vectorloom/GroupObj.h>
#include <vectorloom/ShapeObj.h>

using namespace Vectorloom;

CPageBusiPage::CPageBusiPage() {
  m_fLogWidth = 8.5f;
  m_fLogHeight = 11.0f;
  m_nLogUnit = UNIT_INCH;
  m_bContentLoaded = 0;
  m_dwPageFlags = 0;
}

CPageBusiPage::~CPageBusiPage() = default;

namespace {

// Rebuilds what a clone does not carry over: paths (and stroke outlines), then effects.
void RebuildClone(CRenderBaseObj* obj) {
  switch (obj->GetObjectType()) {
    case RENDER_OBJ_SHAPE:
    case RENDER_OBJ_CORETEXT:
      obj->CreatePathStorage();
      if (auto* shape = dynamic_cast<CBaseShapeObj*>(obj)) shape->CreateStrokenPathStorage();
      break;
    case RENDER_OBJ_GROUP:
      if (auto* group = dynamic_cast<CRenderGroupObj*>(obj)) group->BuildAllShapeObjectsPath();
      break;
    default:
      break;
  }
  obj->CreateEffectsDIBs(3, 0);
}

}  // namespace

CRenderPage* CPageBusiPage::Clone() const {
  auto* copy = new CPageBusiPage;
  copy->m_fLogWidth = m_fLogWidth;
  copy->m_fLogHeight = m_fLogHeight;
  copy->m_nLogUnit = m_nLogUnit;
  copy->m_dwPageFlags = m_dwPageFlags;
  copy->m_bContentLoaded = m_bContentLoaded;
  copy->SetPageSourceContent(m_pSource);
  copy->m_nSourceIndex = m_nSourceIndex;
  copy->SetPageAttribute(GetPageAttribute());
  if (CRenderBaseObj* bg = GetBackgroundRenderObj()) {
    if (CRenderBaseObj* c = bg->Clone()) {
      RebuildClone(c);
      copy->SetBackgroundRenderObj(c);
    }
  }
  for (CRenderBaseObj* obj : m_objList) {
    CRenderBaseObj* c = obj->Clone();
    if (!c) continue;
    RebuildClone(c);
    copy->AddShapeObject(c);
  }
  return copy;
}
