#include "ClipboardFormat.h"

// Registered while the program starts (app/CMakeLists.txt keeps this file in every program made
// with the document code, even one that never names the format).
UINT g_nLeafwrightClipFormat = RegisterClipboardFormatW(kLeafwrightClipboardFormatName);

UINT GetLeafwrightClipboardFormat() {
  if (!g_nLeafwrightClipFormat) g_nLeafwrightClipFormat = RegisterClipboardFormatW(kLeafwrightClipboardFormatName);
  return g_nLeafwrightClipFormat;
}
