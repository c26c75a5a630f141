// Tools whose behaviour is not in yet: they handle nothing.
#include "WorkspaceView.h"

namespace Vectorloom {

int CSelectTool::OnLButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CSelectTool::OnMouseMove(CWorkspaceView*, UINT, int, int) { return 0; }
int CSelectTool::OnLButtonUp(CWorkspaceView*, UINT, int, int) { return 0; }
int CSelectTool::OnKeyDown(CWorkspaceView*, UINT, UINT, UINT) { return 0; }
HCURSOR CSelectTool::GetHandleCursor(CWorkspaceView*, int, int) { return nullptr; }
void CSelectTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics*, float, float, float, float) {}
void CSelectTool::ToolUnInitalize(CWorkspaceView*) {}

int CDrawShapeTool::OnLButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawShapeTool::OnMouseMove(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawShapeTool::OnLButtonUp(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawShapeTool::OnKeyDown(CWorkspaceView*, UINT, UINT, UINT) { return 0; }
HCURSOR CDrawShapeTool::GetHandleCursor(CWorkspaceView*, int, int) { return nullptr; }
void CDrawShapeTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics*, float, float, float, float) {}
void CDrawShapeTool::ToolUnInitalize(CWorkspaceView*) {}
void CDrawShapeTool::PrepareShape(CCustomPathObj&) const {}
bool CDrawRectangleTool::BuildShapePath(CCustomPathObj&, const CQorVectorPoint<float>&, const CQorVectorPoint<float>&) const { return false; }
bool CDrawOvalTool::BuildShapePath(CCustomPathObj&, const CQorVectorPoint<float>&, const CQorVectorPoint<float>&) const { return false; }
bool CDrawRoundRectTool::BuildShapePath(CCustomPathObj&, const CQorVectorPoint<float>&, const CQorVectorPoint<float>&) const { return false; }
bool CDrawLineTool::BuildShapePath(CCustomPathObj&, const CQorVectorPoint<float>&, const CQorVectorPoint<float>&) const { return false; }
void CDrawLineTool::PrepareShape(CCustomPathObj&) const {}

int CDrawPointsTool::OnLButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawPointsTool::OnMouseMove(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawPointsTool::OnLButtonUp(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawPointsTool::OnLButtonDblClk(CWorkspaceView*, UINT, int, int) { return 0; }
int CDrawPointsTool::OnKeyDown(CWorkspaceView*, UINT, UINT, UINT) { return 0; }
HCURSOR CDrawPointsTool::GetHandleCursor(CWorkspaceView*, int, int) { return nullptr; }
void CDrawPointsTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics*, float, float, float, float) {}
void CDrawPointsTool::ToolUnInitalize(CWorkspaceView*) {}

int CAnchorTool::OnLButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CAnchorTool::OnMouseMove(CWorkspaceView*, UINT, int, int) { return 0; }
int CAnchorTool::OnLButtonUp(CWorkspaceView*, UINT, int, int) { return 0; }
HCURSOR CAnchorTool::GetHandleCursor(CWorkspaceView*, int, int) { return nullptr; }
void CAnchorTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics*, float, float, float, float) {}
void CAnchorTool::ToolUnInitalize(CWorkspaceView*) {}
void CAnchorTool::ToolInitalize(CWorkspaceView*) {}

}  // namespace Vectorloom
