// Resources compiled into the layer: the theme files of the theme module and the dialog skin
// file, found by module file name and inner name (both compared without regard to case).
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

struct QorpBuiltinResource {
  const char* pszModule;  // "Office2010.dll", "Office2010.cjstyles"
  const char* pszName;    // "OFFICE2010BLUE.INI", ... ("" for a module that is one file)
  const unsigned char* pData;
  size_t nSize;
};

// The generated table.
const QorpBuiltinResource* QorpGetBuiltinResources(size_t* pnCount);

// The file-name part of a path (split on both '/' and '\\').
std::string_view QorpFileNamePart(std::string_view path);

// The text of the built-in resource whose module is the file name of strModulePath; false
// when there is none.
bool QorpFindBuiltinResource(std::string_view strModulePath, std::string_view strName, std::string& strText);

// Small text helpers shared by the theme and skin readers.
bool QorpEqualNoCase(std::string_view a, std::string_view b);
std::string_view QorpTrim(std::string_view s);  // spaces, tabs, a trailing '\r'
bool QorpParseHexColor(std::string_view s, COLORREF& clr);  // exactly "#RRGGBB"
