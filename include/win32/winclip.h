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

// The standard formats the program exchanges with other programs.
#define CF_TEXT 1
#define CF_BITMAP 2
#define CF_DIB 8
#define CF_UNICODETEXT 13

// The clipboard, shared with every program on the desktop (the window layer, lw_mfcwnd, keeps it
// over the toolkit's clipboard). One thread of the program opens it at a time.
//
// SetClipboardData takes over a global block (GlobalAlloc) and publishes its bytes when the
// clipboard is closed: registered formats as they are, CF_UNICODETEXT (UTF-16 up to the first
// zero or the block's end) as text, CF_DIB (a packed 24- or 32-bit BI_RGB bitmap) as a picture.
// GetClipboardData answers a block the clipboard owns until it is closed: registered formats
// hold exactly the bytes another program published (GlobalSize tells how many), CF_UNICODETEXT a
// zero-terminated UTF-16 text, CF_DIB a packed bottom-up 24-bit bitmap.
BOOL OpenClipboard(HWND hWndNewOwner);
BOOL CloseClipboard();
// Forgets what was published (and what this program set since opening).
BOOL EmptyClipboard();
HANDLE SetClipboardData(UINT uFormat, HANDLE hMem);
HANDLE GetClipboardData(UINT uFormat);
BOOL IsClipboardFormatAvailable(UINT format);
