// The program's video (object code 4).
#pragma once

#include <windows.h>

#include <quirebook/VideoObj.h>

#include "LeafwrightAppState.h"

class CPageVideoObj : public CBaseVideoObj {
 public:
  CPageVideoObj();
  ~CPageVideoObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
};
