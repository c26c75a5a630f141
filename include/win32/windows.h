// The subset of the Windows API that Leafwright calls, over POSIX and the C++ library.
#pragma once

#include "wintypes.h"
#include "winrect.h"
#include "wingdi_types.h"
#include "objidl.h"
#include "winerror.h"
#include "winsync.h"
#include "wintime.h"
#include "winfile.h"
#include "winprofile.h"
#include "winstring.h"

#include "winclip.h"
#include "winres.h"
