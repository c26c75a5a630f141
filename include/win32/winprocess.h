// CreateProcessW over posix_spawn: the command line is split into arguments by the Windows rules
// (white space separates, double quotes group, backslashes escape only before a quote) and the
// program started with that argument vector, never through a shell.
#pragma once

#include <string>
#include <vector>

#include "wintypes.h"

#define CREATE_NO_WINDOW 0x08000000
#define NORMAL_PRIORITY_CLASS 0x00000020

struct STARTUPINFOW {
  DWORD cb;
  LPWSTR lpReserved;
  LPWSTR lpDesktop;
  LPWSTR lpTitle;
  DWORD dwFlags;
  WORD wShowWindow;
};
typedef STARTUPINFOW* LPSTARTUPINFOW;

struct PROCESS_INFORMATION {
  HANDLE hProcess;  // always null: the child is reaped by the layer
  HANDLE hThread;   // always null
  DWORD dwProcessId;
  DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// Starts the program lpApplicationName (or the command line's first argument) with the command
// line's arguments; the environment, folder and creation flags of the caller are used (the
// window and priority flags have no meaning here; a new environment is not supported and refused).
// The call does not wait; FALSE with the last error set when the program cannot be started.
BOOL CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, void* lpProcessAttributes, void* lpThreadAttributes,
                    BOOL bInheritHandles, DWORD dwCreationFlags, void* lpEnvironment, LPCWSTR lpCurrentDirectory,
                    LPSTARTUPINFOW lpStartupInfo, LPPROCESS_INFORMATION lpProcessInformation);

namespace lw {
// The arguments of a Windows command line, as CommandLineToArgvW splits them.
std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine);
}  // namespace lw
