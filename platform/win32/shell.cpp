// ShellExecuteW: the desktop's opener started with posix_spawnp, the file as one argument.
#include "shellapi.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <thread>

#include "lwstr.h"
#include "winerror.h"

extern char** environ;

HINSTANCE ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR, LPCWSTR, INT) {
  auto fail = [](intptr_t code, DWORD error) {
    SetLastError(error);
    return reinterpret_cast<HINSTANCE>(code);
  };
  if (!lpFile || !*lpFile) return fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  if (lpOperation && *lpOperation && !lw::EqualNoCase(lpOperation, L"open") && !lw::EqualNoCase(lpOperation, L"explore"))
    return fail(SE_ERR_NOASSOC, ERROR_INVALID_PARAMETER);
  const std::string file = lw::WideToUtf8(lpFile);
  const bool isUrl = file.find("://") != std::string::npos || file.rfind("mailto:", 0) == 0;
  if (!isUrl && access(file.c_str(), F_OK) != 0) return fail(SE_ERR_FNF, ERROR_FILE_NOT_FOUND);
  // "--" is not understood by xdg-open; a name starting with '-' is made a relative path instead.
  const std::string arg = (!isUrl && file[0] == '-') ? "./" + file : file;
  char prog[] = "xdg-open";
  char* argv[] = {prog, const_cast<char*>(arg.c_str()), nullptr};
  pid_t pid = 0;
  const int r = posix_spawnp(&pid, prog, nullptr, nullptr, argv, environ);
  if (r != 0) return fail(r == ENOMEM ? SE_ERR_OOM : SE_ERR_NOASSOC, ERROR_FILE_NOT_FOUND);
  // Reaped in the background, so that no finished opener is left behind.
  std::thread([pid] {
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  return reinterpret_cast<HINSTANCE>(static_cast<intptr_t>(42));
}
