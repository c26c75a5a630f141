// CreateProcessW: the command line split into an argument vector and started with posix_spawn.
#include "winprocess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "lwstr.h"
#include "winerror.h"

extern char** environ;

namespace lw {

std::vector<std::wstring> SplitCommandLine(const wchar_t* commandLine) {
  std::vector<std::wstring> args;
  if (!commandLine) return args;
  const wchar_t* p = commandLine;
  for (;;) {
    while (*p == L' ' || *p == L'\t' || *p == L'\n' || *p == L'\r') ++p;
    if (!*p) break;
    std::wstring arg;
    bool quoted = false;
    while (*p && (quoted || (*p != L' ' && *p != L'\t' && *p != L'\n' && *p != L'\r'))) {
      if (*p == L'\\') {
        size_t n = 0;
        while (*p == L'\\') {
          ++n;
          ++p;
        }
        if (*p == L'"') {
          arg.append(n / 2, L'\\');
          if (n % 2) {
            arg += L'"';
            ++p;
          }
        } else {
          arg.append(n, L'\\');
        }
      } else if (*p == L'"') {
        quoted = !quoted;
        ++p;
      } else {
        arg += *p++;
      }
    }
    args.push_back(arg);
  }
  return args;
}

}  // namespace lw

BOOL CreateProcessW(LPCWSTR lpApplicationName, LPWSTR lpCommandLine, void*, void*, BOOL, DWORD, void* lpEnvironment,
                    LPCWSTR lpCurrentDirectory, LPSTARTUPINFOW, LPPROCESS_INFORMATION lpProcessInformation) {
  auto fail = [](DWORD error) {
    SetLastError(error);
    return FALSE;
  };
  if (lpEnvironment || (lpCurrentDirectory && *lpCurrentDirectory)) return fail(ERROR_INVALID_PARAMETER);
  std::vector<std::wstring> args = lw::SplitCommandLine(lpCommandLine);
  const std::wstring program = lpApplicationName && *lpApplicationName ? std::wstring(lpApplicationName)
                                                                         : (args.empty() ? std::wstring() : args[0]);
  if (program.empty()) return fail(ERROR_FILE_NOT_FOUND);
  if (args.empty()) args.push_back(program);
  std::vector<std::string> utf8;
  utf8.reserve(args.size());
  for (const std::wstring& a : args) utf8.push_back(lw::WideToUtf8(a));
  std::vector<char*> argv;
  for (std::string& a : utf8) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string path = lw::WideToUtf8(program);
  pid_t pid = 0;
  const bool withFolder = path.find('/') != std::string::npos;
  const int r = withFolder ? posix_spawn(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ)
                           : posix_spawnp(&pid, path.c_str(), nullptr, nullptr, argv.data(), environ);
  if (r != 0) return fail(r == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY : ERROR_FILE_NOT_FOUND);
  // Reaped in the background: the caller gets no handle to wait on.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  if (lpProcessInformation) {
    lpProcessInformation->hProcess = nullptr;
    lpProcessInformation->hThread = nullptr;
    lpProcessInformation->dwProcessId = static_cast<DWORD>(pid);
    lpProcessInformation->dwThreadId = 0;
  }
  return TRUE;
}
