// Resources found by (type, id), as the program's code asks for them: the string table,
// dialog templates, bitmaps, icons and raw data. Resources are compiled into the binaries (a
// source file of tables per resource kind) and registered at static initialisation with
// lw::RegisterResource; FindResourceW / LoadResource / LockResource / SizeofResource and
// LoadStringW find them again.
//
// Differences from Windows worth knowing:
// - Resources are kept in one table for the whole process. A module handle is accepted and
//   not looked at, so an id of one type must be unique among the modules of the program.
// - A string-table entry is one resource of type RT_STRING under the string's own id (not a
//   block of sixteen); its data is the text as wchar_t, without a terminator.
// - Names may be numbers (MAKEINTRESOURCE) or strings; string names and string types are
//   compared without regard to case, as on Windows.
#pragma once

#include "wintypes.h"

#ifndef MAKEINTRESOURCEW
#define MAKEINTRESOURCEW(i) (reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEW
#define IS_INTRESOURCE(p) ((reinterpret_cast<ULONG_PTR>(p) >> 16) == 0)
#endif

// Standard resource types.
#define RT_CURSOR MAKEINTRESOURCEW(1)
#define RT_BITMAP MAKEINTRESOURCEW(2)
#define RT_ICON MAKEINTRESOURCEW(3)
#define RT_MENU MAKEINTRESOURCEW(4)
#define RT_DIALOG MAKEINTRESOURCEW(5)
#define RT_STRING MAKEINTRESOURCEW(6)
#define RT_ACCELERATOR MAKEINTRESOURCEW(9)
#define RT_RCDATA MAKEINTRESOURCEW(10)
#define RT_GROUP_ICON MAKEINTRESOURCEW(14)

// Null when there is no such resource (ERROR_RESOURCE_TYPE_NOT_FOUND or
// ERROR_RESOURCE_NAME_NOT_FOUND).
HRSRC FindResourceW(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType);
inline HRSRC FindResource(HMODULE hModule, LPCWSTR lpName, LPCWSTR lpType) { return FindResourceW(hModule, lpName, lpType); }
// The data stay where they are for the life of the process; nothing needs freeing.
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
inline BOOL FreeResource(HGLOBAL) { return FALSE; }

// Copies string uID of the string table into lpBuffer (at most cchBufferMax - 1 characters and a
// terminator) and returns its length; 0 when there is no such string. With cchBufferMax 0,
// *lpBuffer receives a read-only pointer to the text (not terminated) and the length is returned.
int LoadStringW(HINSTANCE hInstance, UINT uID, LPWSTR lpBuffer, int cchBufferMax);
inline int LoadString(HINSTANCE h, UINT id, LPWSTR buf, int n) { return LoadStringW(h, id, buf, n); }

#ifndef ERROR_RESOURCE_TYPE_NOT_FOUND
#define ERROR_RESOURCE_TYPE_NOT_FOUND 1813L
#define ERROR_RESOURCE_NAME_NOT_FOUND 1814L
#endif

namespace lw {

// Registers a resource: type and name are numbers (MAKEINTRESOURCE) or strings (copied). The
// data are not copied and must live as long as the process (tables in static storage). A later
// registration of the same (type, name) is refused (false): the first one stays.
bool RegisterResource(LPCWSTR lpType, LPCWSTR lpName, const void* pData, DWORD cbSize);
// One string-table entry (the text is not copied).
bool RegisterString(UINT uID, const wchar_t* lpszText);

// A table of strings, for registering a whole string table at once.
struct StringTableEntry {
  UINT uID;
  const wchar_t* lpszText;
};
// Registers every entry; returns how many were new.
int RegisterStringTable(const StringTableEntry* pEntries, int nCount);

}  // namespace lw
