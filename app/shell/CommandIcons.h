// The program's command icons, compiled in from resources/icons (EmbedIcons.cmake).
#pragma once

#include <cstddef>

#include <afxwin.h>

struct LwCommandIcon {
  UINT nId;
  const char* pszIdName;  // as the program's headers name the id
  const char* pszIcon;    // the Breeze icon's name
  const char* pszSvg16;   // SVG text drawn for 16 pixels
  const char* pszSvg32;   // and for 32
};

// The table of resources/icons/command-icons.txt, in its order.
const LwCommandIcon* LwGetCommandIcons(size_t* pnCount);
