// ShellExecuteW over the desktop's opener: a document or address is handed to `xdg-open` (found
// on PATH), its text passed as one argument, never through a shell.
#pragma once

#include "wintypes.h"

// Results of ShellExecuteW at or below 32 are errors.
#define SE_ERR_FNF 2
#define SE_ERR_OOM 8
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_NOASSOC 31

// Opens `file` (a path or URL) with the desktop's default program. Only the verbs null, "open" and
// "explore" are known (anything else gives SE_ERR_NOASSOC); parameters, folder and show mode are
// ignored. A path is opened as it is: it must exist (SE_ERR_FNF otherwise). Returns a value above
// 32 once the opener has been started; the call does not wait for it.
HINSTANCE ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters, LPCWSTR lpDirectory,
                        INT nShowCmd);
