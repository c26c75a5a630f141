// Private INI files ("profile" calls of the Windows API) over real files stored as UTF-8 (a file
// that starts with a UTF-16LE byte-order mark is read as UTF-16LE). Section and key names match
// without regard to case; values are read with surrounding blanks and one pair of matching quotes
// removed. A rewrite keeps comments and the order of every line it does not change, and replaces
// the file only once the new content is safely written (temporary file, fsync, rename).
#pragma once

#include "wintypes.h"

// The value of key in section, else defaultValue (trailing blanks removed), copied into
// buffer. A null key lists the section's keys and a null section the file's sections, each
// name terminated, with a final extra terminator. Returns the characters copied without the
// terminator: size - 1 when a value had to be cut, size - 2 when a list had to be cut.
DWORD GetPrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR defaultValue, LPWSTR buffer, DWORD size,
                               LPCWSTR fileName);
// The key's value as a decimal number (or hex after "0x"); defaultValue when the key is missing
// or empty; 0 when the value is negative or not a number.
UINT GetPrivateProfileIntW(LPCWSTR section, LPCWSTR key, INT defaultValue, LPCWSTR fileName);
// Every "key=value" line of the section (comments left out), each terminated, with a final
// extra terminator. Returns the characters copied without the final terminator (size - 2 when
// cut).
DWORD GetPrivateProfileSectionW(LPCWSTR section, LPWSTR buffer, DWORD size, LPCWSTR fileName);
// Sets key to value, creating the section and the file when needed. A null value deletes the
// key, a null key deletes the whole section. Names and values holding a line break, a key
// holding '=' and a section holding ']' are refused (ERROR_INVALID_PARAMETER).
BOOL WritePrivateProfileStringW(LPCWSTR section, LPCWSTR key, LPCWSTR value, LPCWSTR fileName);
// Replaces the keys of the section with the "key=value" strings of the list (each terminated,
// the list ended by an extra terminator); an empty list leaves the section with no keys.
BOOL WritePrivateProfileSectionW(LPCWSTR section, LPCWSTR data, LPCWSTR fileName);
