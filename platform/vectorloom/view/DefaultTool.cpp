#include "DefaultTool.h"

#include "WorkspaceView.h"

namespace Vectorloom {

CQorVectorPoint<float> CDefaultTool::m_ptFirstPoint;
CQorVectorPoint<float> CDefaultTool::m_ptLastPoint;
DWORD CDefaultTool::m_dwMask = 0;

int CDefaultTool::OnLButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CDefaultTool::OnMouseMove(CWorkspaceView*, UINT, int, int) { return 0; }
int CDefaultTool::OnLButtonUp(CWorkspaceView*, UINT, int, int) { return 0; }
int CDefaultTool::OnLButtonDblClk(CWorkspaceView*, UINT, int, int) { return 0; }
int CDefaultTool::OnRButtonDown(CWorkspaceView*, UINT, int, int) { return 0; }
int CDefaultTool::OnKeyDown(CWorkspaceView*, UINT, UINT, UINT) { return 0; }
int CDefaultTool::OnChar(CWorkspaceView*, UINT, UINT, UINT) { return 0; }
int CDefaultTool::OnTimer(CWorkspaceView*, UINT_PTR) { return 0; }
HCURSOR CDefaultTool::GetHandleCursor(CWorkspaceView*, int, int) { return nullptr; }
void CDefaultTool::DrawOutline(CWorkspaceView*, Gdiplus::Graphics*, float, float, float, float) {}
void CDefaultTool::ToolUnInitalize(CWorkspaceView*) {}
void CDefaultTool::ToolInitalize(CWorkspaceView*) {}

}  // namespace Vectorloom
