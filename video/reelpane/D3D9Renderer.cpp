// The Direct3D 9 renderer is not part of this library yet: kind 2 makes no renderer.
#include "ReelpaneFactory.h"

namespace reelpane {

IReelpane* CreateD3D9Renderer() { return nullptr; }

}  // namespace reelpane
