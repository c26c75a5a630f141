// The library's one export, and what it does when it is loaded and unloaded.
#include <new>

#include "CReelpane.h"
#include "ColorConv.h"
#include "DDrawPool.h"
#include "MMLog.h"
#include "ReelpaneFactory.h"

extern "C" __attribute__((visibility("default"))) IReelpane* CreateReelpane(int kind) {
  try {
    if (kind == 2) return reelpane::CreateD3D9Renderer();
    return new (std::nothrow) reelpane::CReelpane(kind);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

namespace {

// Load: the log opens under the module's name and the converter tables are made. Unload: the idle
// DirectDraw objects of every device are released.
struct LibraryLifetime {
  LibraryLifetime() {
    reelpane::MMLog::Instance().Open("Reelpane");
    BuildColorConvTables();
  }
  ~LibraryLifetime() { reelpane::ClearDirectDrawPool(reelpane::GetDirectDrawPool()); }
};

LibraryLifetime g_lifetime;

}  // namespace
