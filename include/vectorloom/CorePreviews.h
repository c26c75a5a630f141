// Live previews of this library: stroke width, dash style and rotation of the selected objects,
// and the rules every preview follows on a view's one scene slot.
//
// A preview writes its value into the real objects; the scene backed up on the first preview
// puts the old values back. A view holds at most one scene: a preview of another kind first
// restores the scene in force (so its objects are never left with preview values) and deletes
// it; a preview of the same kind on the same objects keeps the scene, so the values backed up
// first are the ones restored, and one on other objects (the selection changed) starts afresh. Restoring is done once: a second restore does nothing.
#pragma once

#include <typeinfo>

#include "ObjectCommands.h"

namespace Vectorloom {

using CStrokeWidthPreviewScene =
    CPreviewChangeRenderPropertiesSence<CModifyRenderObjsPropertiesAction<CModifyShapeObjStrokenWidthWrap>>;
using CDashStylePreviewScene =
    CPreviewChangeRenderPropertiesSence<CModifyRenderObjsPropertiesAction<CModifyShapeObjDashTypeWrap>>;
using CRotatedAnglePreviewScene = CPreviewChangeRenderPropertiesSence<CTransformRenderObjsAction>;

// Restores the scene (once) with the document, page and selection it was made for.
inline void RestorePreview(CBasePreviewScene* pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                                const CRenderBaseObjectList& selection) {
  if (pScene) pScene->RestoreScene(pDoc, pPage, selection);
}

// Deletes the scene without restoring it.
inline void DiscardPreview(CBasePreviewScene*& pScene) {
  delete pScene;
  pScene = nullptr;
}

// Whether the scene in the slot was backed up for this page and selection; a kind of scene that
// cannot tell is taken to be.
template <class Scene>
bool PreviewSceneFits(const Scene& scene, const CRenderPage* pPage, const CRenderBaseObjectList& selection) {
  if constexpr (requires { scene.IsBackupOf(pPage, selection); })
    return scene.IsBackupOf(pPage, selection);
  else
    return true;
}

// The scene of kind Scene in the slot: a scene of another kind, or of this kind made for another
// page or selection, is restored and deleted first; a new scene backs up the selected objects of
// the page. Any scene class with a default constructor serves.
template <class Scene>
Scene* GetPreviewScene(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                       const CRenderBaseObjectList& selection) {
  if (pScene && (typeid(*pScene) != typeid(Scene) || !PreviewSceneFits(*static_cast<Scene*>(pScene), pPage, selection))) {
    RestorePreview(pScene, pDoc, pPage, selection);
    DiscardPreview(pScene);
  }
  if (!pScene) {
    auto* scene = new Scene;
    pScene = scene;
    scene->Backup(pDoc, pPage, selection);
  }
  return static_cast<Scene*>(pScene);
}

// The three previews: each gets its scene and writes the value into the selected objects of the
// page (groups walked). The stroke previews turn the outline on, as the commands do.
void PreviewShapeObjsStrokeWidth(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                                 const CRenderBaseObjectList& selection, float width);
void PreviewShapeObjsDashStyle(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                               const CRenderBaseObjectList& selection, int dash);
void PreviewRenderObjsRotatedAngle(CBasePreviewScene*& pScene, CWorkspaceDoc* pDoc, CRenderPage* pPage,
                                   const CRenderBaseObjectList& selection, int angle);

}  // namespace Vectorloom
