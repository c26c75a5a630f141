// Clock calls of the Windows API.
#pragma once

#include "wintypes.h"

// Milliseconds since an arbitrary start (monotonic), wrapping around after about 49.7 days.
DWORD GetTickCount();
// The current date and time, in local time and in UTC.
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTime(SYSTEMTIME* time);
