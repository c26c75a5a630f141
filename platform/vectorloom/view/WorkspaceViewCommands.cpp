// The arranging and property commands of the workspace view, its previews and its clipboard and
// import operations. Not built yet: the commands stay disabled and the operations do nothing.
#include "WorkspaceView.h"

namespace Vectorloom {

void CWorkspaceView::RestorePrevScene() {
  if (m_pPreviewScene) m_pPreviewScene->RestoreScene(GetDocument(), m_pRenderPage, m_selList);
}

void CWorkspaceView::DestroyPreviewScene() {
  delete m_pPreviewScene;
  m_pPreviewScene = nullptr;
}

void CWorkspaceView::PreviewModifyShapeObjsStrokeWidth(float) {}
void CWorkspaceView::PreviewModifyShapeObjsDashStyle(int) {}
void CWorkspaceView::PreviewModifyRenderObjsRotatedAngle(int) {}
void CWorkspaceView::DoModifyShapeObjectsStrokenWidth(float) {}
void CWorkspaceView::DoModifyShapeObjsRenderColor(COLORREF, int) {}
void CWorkspaceView::DoModifyRenderObjsRotatedAngle(int) {}
void CWorkspaceView::DoModifyShapeObjsDashType(int) {}
void CWorkspaceView::DoFillSelectedShapeObjs(int) {}
void CWorkspaceView::DoStrokeSelectedShapeObjs(int) {}
BOOL CWorkspaceView::PasteObjsFromClipboard(CRenderBaseObjectList&) { return FALSE; }
BOOL CWorkspaceView::PasteDIB(CRenderBaseObjectList&, int) { return FALSE; }
void CWorkspaceView::DoEditClear() {}
BOOL CWorkspaceView::DoImportImage(const wchar_t*, int) { return FALSE; }

#define LW_DISABLED_COMMAND(name, update) \
  void CWorkspaceView::name() {}          \
  void CWorkspaceView::update(CCmdUI* pCmdUI) { pCmdUI->Enable(FALSE); }

LW_DISABLED_COMMAND(OnMoveObjectsToFront, OnUpdateMoveObjectsToFront)
LW_DISABLED_COMMAND(OnMoveObjectsForward, OnUpdateMoveObjectsForward)
LW_DISABLED_COMMAND(OnMoveObjectsBackward, OnUpdateMoveObjectsBackward)
LW_DISABLED_COMMAND(OnMoveObjectsBack, OnUpdateMoveObjectsBack)
LW_DISABLED_COMMAND(OnCreateGroup, OnUpdateCreateGroup)
LW_DISABLED_COMMAND(OnDrawUngroup, OnUpdateDrawUngroup)
LW_DISABLED_COMMAND(OnAlignLeft, OnUpdateAlignLeft)
LW_DISABLED_COMMAND(OnAlignRight, OnUpdateAlignRight)
LW_DISABLED_COMMAND(OnAlignCenter, OnUpdateAlignCenter)
LW_DISABLED_COMMAND(OnAlignTop, OnUpdateAlignTop)
LW_DISABLED_COMMAND(OnAlignMiddle, OnUpdateAlignMiddle)
LW_DISABLED_COMMAND(OnAlignBottom, OnUpdateAlignBottom)
LW_DISABLED_COMMAND(OnMirrorShapeObjects, OnUpdateMirrorShapeObjects)
LW_DISABLED_COMMAND(OnFilpShapeObjects, OnUpdateFlipShapeObjects)
LW_DISABLED_COMMAND(OnMakeSameWidth, OnUpdateMakeSameWidth)
LW_DISABLED_COMMAND(OnMakeSameHeight, OnUpdateMakeSameHeight)
LW_DISABLED_COMMAND(OnMakeSameSize, OnUpdateMakeSize)

}  // namespace Vectorloom
