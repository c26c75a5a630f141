// The program's group (object code 2). Its child list on file is written and read by
// SavePageObjectList / LoadPageObjectList (PageObjectRecords.h).
#pragma once

#include <windows.h>

#include <vectorloom/GroupObj.h>

#include "LeafwrightAppState.h"

class CPageGroupObj : public Vectorloom::CRenderGroupObj {
 public:
  CPageGroupObj();
  ~CPageGroupObj() override;
  Vectorloom::CRenderBaseObj* Clone() const override;
  RECT CalcuObjectOccurArea(Vectorloom::CWorkspaceView* view, int selected) override;
  RECT CalcuOccurArea(const LeafwrightViewMetrics& view, int selected) const;
};
