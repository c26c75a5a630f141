// File, folder and path calls of the Windows API and the C runtime, over POSIX.
// Paths are wide strings; they reach the operating system as UTF-8, with every '\\' turned into
// '/' (stored paths may come from Windows). The case of a path is never changed. Failures set the
// last error (GetLastError) with the usual Windows codes; the _w* runtime calls set errno instead.
#pragma once

#include <string>
#include <string_view>

#include "winerror.h"
#include "winsync.h"

#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_HIDDEN 0x00000002u
#define FILE_ATTRIBUTE_SYSTEM 0x00000004u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define INVALID_FILE_ATTRIBUTES 0xFFFFFFFFu

#define MOVEFILE_REPLACE_EXISTING 0x00000001u
#define MOVEFILE_COPY_ALLOWED 0x00000002u
#define MOVEFILE_WRITE_THROUGH 0x00000008u

struct WIN32_FIND_DATAW {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;  // 100-nanosecond intervals since 1601-01-01 UTC
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  WCHAR cFileName[MAX_PATH];
  WCHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAW* LPWIN32_FIND_DATAW;
typedef WIN32_FIND_DATAW* PWIN32_FIND_DATAW;

// Copies a file. With failIfExists an existing destination is kept and the call fails with
// ERROR_FILE_EXISTS. The copy replaces the destination as lw::FileReplacement does (lwreplace.h):
// written beside it and renamed over it only when complete and synced, so a failed copy leaves an
// existing destination as it was; a link at the destination is followed and kept, and a
// read-only destination is refused (ERROR_ACCESS_DENIED). The copy gets the source's mode.
// Copying a file onto itself fails with ERROR_SHARING_VIOLATION.
BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists);
BOOL DeleteFileW(LPCWSTR fileName);
// Renames a file or folder. Without MOVEFILE_REPLACE_EXISTING an existing destination fails with
// ERROR_ALREADY_EXISTS; with MOVEFILE_COPY_ALLOWED a file is copied and the source deleted when
// the destination lies on another file system.
BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags);
BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES attributes);
BOOL RemoveDirectoryW(LPCWSTR pathName);
// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL for anything else,
// INVALID_FILE_ATTRIBUTES when the path does not exist.
DWORD GetFileAttributesW(LPCWSTR fileName);

// The temporary folder ($TMPDIR, else /tmp) with a trailing '/'. Returns the length without the
// terminator, or the size needed (terminator included) when the buffer is too small.
DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer);
// Name = pathName + '/' (unless it ends in a separator) + the first 3 characters of prefix +
// the number in upper-case hex + ".tmp", into tempFileName (MAX_PATH characters). With unique 0
// the number is chosen and the file is created, empty and new; otherwise only the name is made
// from the low 16 bits of unique. Returns the number, or 0 on failure.
UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName);

// The files of a folder whose names match the pattern's last part: '*' any run, '?' any one
// character, letters compared without case, "*.*" everything. "." and ".." are listed as on
// Windows. INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND (or ERROR_PATH_NOT_FOUND for a missing
// folder) when nothing matches; FindNextFileW fails with ERROR_NO_MORE_FILES at the end.
HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData);
BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData);
BOOL FindClose(HANDLE findFile);

// C runtime: 0 on success, -1 with errno on failure. Modes of _waccess: 0 exists, 2 write,
// 4 read, 6 read and write.
int _wmkdir(const wchar_t* dirName);
int _waccess(const wchar_t* path, int mode);

// The path of the running executable (module null) or of the shared library that contains the
// address `module` (dladdr). Returns the length without the terminator; when the buffer is too
// small it receives size - 1 characters and a terminator, the result is size and the last error
// ERROR_INSUFFICIENT_BUFFER. 0 on failure.
DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size);
// The same path as UTF-8.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

#define CSIDL_PERSONAL 0x0005
#define CSIDL_MYDOCUMENTS CSIDL_PERSONAL
#define CSIDL_APPDATA 0x001a
#define CSIDL_FLAG_CREATE 0x8000

// CSIDL_PERSONAL: the XDG documents folder (XDG_DOCUMENTS_DIR of $XDG_CONFIG_HOME/user-dirs.dirs,
// else $HOME/Documents); CSIDL_APPDATA: $XDG_CONFIG_HOME, else $HOME/.config. The path
// (MAX_PATH characters) is filled in even when the folder is missing; the result is TRUE only
// when the folder exists, after it has been made (with its parents) when create is TRUE.
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int csidl, BOOL create);

// The login name of the current user. *size: in, the buffer's characters; out, the characters
// written with the terminator, or needed (ERROR_INSUFFICIENT_BUFFER).
BOOL GetUserNameW(LPWSTR buffer, LPDWORD size);

namespace lw {

// A wide path as the operating system takes it: UTF-8 with '\\' turned into '/'.
std::string NativePath(std::wstring_view path);
// The folder of the running executable, without a trailing separator.
std::wstring ProgramFolder();

}  // namespace lw
