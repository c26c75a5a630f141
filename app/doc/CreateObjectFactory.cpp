#include "CreateObjectFactory.h"

#include <new>

#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"

using namespace Vectorloom;

CRenderBaseObj* CCreateObjectFactory::CreateObject(int type) {
  switch (type) {
    case RENDER_OBJ_SHAPE:
      return new (std::nothrow) CPageShapeObj;
    case RENDER_OBJ_GROUP:
      return new (std::nothrow) CPageGroupObj;
    case RENDER_OBJ_TEXT:
      return new (std::nothrow) CPageTextObj;
    case RENDER_OBJ_VIDEO:
      return new (std::nothrow) CPageVideoObj;
    default:
      return nullptr;
  }
}
