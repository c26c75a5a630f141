// The subset of the Windows API that Leafwright calls, over POSIX and the C++ library.
#pragma once

#include "wintypes.h"
#include "winrect.h"
#include "wingdi_types.h"
