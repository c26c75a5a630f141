#include "ToolSupport.h"

namespace Vectorloom::tools {

void SetObjectMatrix(CRenderBaseObj* pObj, const CQorTransMatrix& target) {
  if (!pObj) return;
  if (pObj->IsGroupObject()) {
    CQorTransMatrix inv = pObj->GetTransMatrix();
    if (inv.Invert()) {
      pObj->TransformObject(inv * target, true);
      // Take the target itself, so that the group's matrix does not drift with rounding.
      pObj->SetTransMatrix(target, false);
      return;
    }
  }
  pObj->SetTransMatrix(target, true);
}

void DrawOutlineLines(Gdiplus::Graphics* g, const Gdiplus::PointF* pts, int count, bool bClosed) {
  using namespace Gdiplus;
  if (!g || count < 2) return;
  Pen under(Color(255, 0, 0, 0), 1.0f);
  Pen over(Color(255, 255, 255, 255), 1.0f);
  const REAL dashes[2] = {3.0f, 3.0f};
  over.SetDashPattern(dashes, 2);
  if (bClosed) {
    g->DrawPolygon(&under, pts, count);
    g->DrawPolygon(&over, pts, count);
  } else {
    g->DrawLines(&under, pts, count);
    g->DrawLines(&over, pts, count);
  }
}

void DrawNodeMark(Gdiplus::Graphics* g, const Gdiplus::PointF& p, bool bControl, bool bActive) {
  using namespace Gdiplus;
  if (!g) return;
  Pen edge(Color(255, 0, 0, 0), 1.0f);
  SolidBrush fill(bActive ? Color(255, 0, 120, 215) : Color(255, 255, 255, 255));
  if (bControl) {
    g->FillEllipse(&fill, p.X - 3, p.Y - 3, 6.0f, 6.0f);
    g->DrawEllipse(&edge, p.X - 3, p.Y - 3, 6.0f, 6.0f);
  } else {
    g->FillRectangle(&fill, p.X - 3, p.Y - 3, 6.0f, 6.0f);
    g->DrawRectangle(&edge, p.X - 3, p.Y - 3, 6.0f, 6.0f);
  }
}

}  // namespace Vectorloom::tools
