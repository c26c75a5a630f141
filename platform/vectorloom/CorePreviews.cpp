#include "CorePreviews.h"

namespace Vectorloom {

namespace {

template <class W, class Scene>
void PreviewProperty(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                     const CRenderBaseObjectList& selection, const typename W::ValueType& value) {
  if (!pPage) return;
  GetPreviewScene<Scene>(pScene, pDoc, pPage, selection);
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  CModifyRenderObjsPropertiesAction<W>::SetObjectsValue(value, objects);
}

}  // namespace

void PreviewShapeObjsStrokeWidth(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                                 const CRenderBaseObjectList& selection, float width) {
  PreviewProperty<CModifyShapeObjStrokenWidthWrap, CStrokeWidthPreviewScene>(pScene, pDoc, pPage, selection,
                                                                             {1, width});
}

void PreviewShapeObjsDashStyle(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                               const CRenderBaseObjectList& selection, int dash) {
  PreviewProperty<CModifyShapeObjDashTypeWrap, CDashStylePreviewScene>(pScene, pDoc, pPage, selection, {1, dash});
}

void PreviewRenderObjsRotatedAngle(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                                   const CRenderBaseObjectList& selection, int angle) {
  if (!pPage) return;
  GetPreviewScene<CRotatedAnglePreviewScene>(pScene, pDoc, pPage, selection);
  CRenderBaseObjectList objects;
  CollectSelectedPageObjects(*pPage, selection, objects);
  for (CRenderBaseObj* obj : objects) {
    CQorTransMatrix m;
    if (RotationToAngle(*obj, angle, m)) obj->TransformObject(m, true);
  }
}

}  // namespace Vectorloom
