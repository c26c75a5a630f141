// The factory every reader and paste makes the program's page objects with.
#pragma once

#include <vectorloom/ObjectLoader.h>

class CCreateObjectFactory : public Vectorloom::CBaseObjectFactory {
 public:
  // 0 CPageShapeObj, 2 CPageGroupObj, 3 CPageTextObj, 4 CPageVideoObj; null for anything else.
  // The object comes with no reference taken.
  Vectorloom::CRenderBaseObj* CreateObject(int type) override;
};
