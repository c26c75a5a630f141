#include "EditAction.h"

namespace Vectorloom {

IMPLEMENT_DYNAMIC(CBasePreviewScene, CObject)

int CBasePreviewScene::Backup(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&) { return 1; }

int CBasePreviewScene::Restore(CWorkspaceDoc*, CRenderPage*, const CRenderBaseObjectList&) { return 1; }

int CBasePreviewScene::RestoreScene(CWorkspaceDoc* pDoc, CRenderPage* pPage, const CRenderBaseObjectList& objects) {
  if (m_bRestored) return 0;
  m_bRestored = true;
  return Restore(pDoc, pPage, objects);
}

}  // namespace Vectorloom
