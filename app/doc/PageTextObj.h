// The program's text box (object code 3).
#pragma once

#include <windows.h>

#include <quirebook/DDrawTextObj.h>

#include "LeafwrightAppState.h"

// A text box whose two object lengths start at 0.03 inch in screen pixels.
class CPageTextObj : public CDDrawTextObj {
 public:
  CPageTextObj();
  ~CPageTextObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
  // The layout box (0, 0, width, height): what the handles frame and the bounds are made of.
  Vectorloom::CQorVectorRect<float> GetObjectBox() const override;
};
