// The resolution the program lays out with: the dots per inch a device context reports along one
// axis. Without a context (null) the screen's are taken; a context or screen that reports none
// gives 96, the resolution of the screen context.
#pragma once

#include "wingdi.h"

namespace lw {

// axis: LOGPIXELSX or LOGPIXELSY.
int PixelsPerInch(HDC dc, int axis);

}  // namespace lw
