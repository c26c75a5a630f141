// Clipboard format names. Registered formats get process-wide identifiers from 0xC000 up; the
// same name (compared without case, as Windows does) always gives the same identifier. The
// clipboard itself belongs to the window layer; this is only the table of names.
#pragma once

#include "wintypes.h"

// The identifier of the named format, registering it on first use; 0 for a null or empty name or
// when the 0xC000-0xFFFF range is used up.
UINT RegisterClipboardFormatW(const wchar_t* lpszFormat);
// Copies the name of a registered format (NUL-terminated, cut to cchMaxCount - 1 characters) and
// returns its length; 0 for an identifier that was never registered or a buffer of no room.
int GetClipboardFormatNameW(UINT format, wchar_t* lpszFormatName, int cchMaxCount);
