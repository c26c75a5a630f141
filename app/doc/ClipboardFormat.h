// The private clipboard format "Norvane Leafwright", registered at start-up.
#pragma once

#include <windows.h>

inline constexpr const wchar_t* kLeafwrightClipboardFormatName = L"Norvane Leafwright";
extern UINT g_nLeafwrightClipFormat;
UINT GetLeafwrightClipboardFormat();
