// The renderers that CreateReelpane makes.
#pragma once

#include <IReelpane.h>

extern "C" IReelpane* CreateReelpane(int kind);

namespace reelpane {

// The Direct3D 9 renderer (kind 2); null when it cannot be made.
IReelpane* CreateD3D9Renderer();

}  // namespace reelpane
