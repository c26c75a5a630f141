// Helpers shared by the tools (not public).
#pragma once

#include <afxwin.h>
#include <gdiplus.h>
#include <winuser.h>

#include "RenderObj.h"

namespace Vectorloom::tools {

// Gives an object a matrix: groups move their children with them (TransformObject), other
// objects take the matrix as it is.
void SetObjectMatrix(CRenderBaseObj* pObj, const CQorTransMatrix& target);

// The pens of outlines drawn over the page: a black line under white dashes, visible on any
// colour (there is no XOR drawing on cairo).
void DrawOutlineLines(Gdiplus::Graphics* g, const Gdiplus::PointF* pts, int count, bool bClosed);
// A node mark: a square (a node) or a circle (a control point), filled when active.
void DrawNodeMark(Gdiplus::Graphics* g, const Gdiplus::PointF& p, bool bControl, bool bActive);

inline bool ShiftDown(UINT nFlags) { return (nFlags & MK_SHIFT) != 0; }
inline bool CtrlDown(UINT nFlags) { return (nFlags & MK_CONTROL) != 0; }

}  // namespace Vectorloom::tools
