// The program's shape (object code 0).
#pragma once

#include <windows.h>

#include <vectorloom/ShapeObj.h>

#include "LeafwrightAppState.h"

// New shapes take the application's colours, are stroked 2 points wide and carry the default
// gradient in both definitions.
class CPageShapeObj : public Vectorloom::CCustomPathObj {
 public:
  CPageShapeObj();
  ~CPageShapeObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  // The same for given view metrics and active tool.
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected, eLeafwrightTool tool) const;
};
