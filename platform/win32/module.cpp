// Module paths, the user's special folders and the user name.
#include <dlfcn.h>
#include <pwd.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>
#include <vector>

#include "lwstr.h"
#include "winfile.h"

namespace {

std::string ModulePath(HMODULE module) {
  if (!module) {
    std::vector<char> buf(4096);
    for (;;) {
      ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
      if (n < 0) return {};
      if (static_cast<size_t>(n) < buf.size()) return std::string(buf.data(), static_cast<size_t>(n));
      if (buf.size() >= (1u << 20)) return {};
      buf.resize(buf.size() * 2);
    }
  }
  Dl_info info{};
  if (dladdr(reinterpret_cast<const void*>(module), &info) == 0 || !info.dli_fname || !*info.dli_fname) return {};
  char* resolved = realpath(info.dli_fname, nullptr);
  if (!resolved) return info.dli_fname;
  std::string path = resolved;
  free(resolved);
  return path;
}

// Copies text into a caller's buffer of `size` characters with Windows' truncation rule.
template <class Char>
DWORD CopyTruncated(const std::basic_string<Char>& text, Char* buffer, DWORD size) {
  if (size == 0 || !buffer) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  if (text.size() < size) {
    std::memcpy(buffer, text.c_str(), (text.size() + 1) * sizeof(Char));
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(text.size());
  }
  std::memcpy(buffer, text.data(), (size - 1) * sizeof(Char));
  buffer[size - 1] = 0;
  SetLastError(ERROR_INSUFFICIENT_BUFFER);
  return size;
}

std::string HomeFolder() {
  const char* home = getenv("HOME");
  if (home && *home) return home;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buf(16384);
  if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_dir)
    return found->pw_dir;
  return "/";
}

std::string ConfigFolder() {
  const char* config = getenv("XDG_CONFIG_HOME");
  if (config && *config == '/') return config;
  return HomeFolder() + "/.config";
}

// XDG_DOCUMENTS_DIR from user-dirs.dirs: a quoted value that is "$HOME/..." or an absolute path.
std::string DocumentsFolder() {
  std::ifstream in(ConfigFolder() + "/user-dirs.dirs");
  std::string line;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, 18, "XDG_DOCUMENTS_DIR=") != 0) continue;
    std::string value = line.substr(start + 18);
    size_t end = value.find_last_not_of(" \t\r");
    value = end == std::string::npos ? std::string() : value.substr(0, end + 1);
    if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
    value = value.substr(1, value.size() - 2);
    std::string path;
    if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
      path = HomeFolder() + value.substr(5);
    else if (!value.empty() && value[0] == '/')
      path = value;
    else
      continue;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }
  return HomeFolder() + "/Documents";
}

bool IsFolder(const std::string& path) {
  struct stat s {};
  return stat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode);
}

bool MakeFolders(const std::string& path) {
  if (IsFolder(path)) return true;
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos < path.size() && path[pos] != '/') continue;
    std::string part = path.substr(0, pos);
    if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) return false;
  }
  return IsFolder(path);
}

}  // namespace

DWORD GetModuleFileNameW(HMODULE module, LPWSTR fileName, DWORD size) {
  std::string path = ModulePath(module);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return CopyTruncated(lw::Utf8ToWide(path), fileName, size);
}

DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
  std::string path = ModulePath(module);
  if (path.empty()) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return 0;
  }
  return CopyTruncated(path, fileName, size);
}

BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int csidl, BOOL create) {
  if (!path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  path[0] = 0;
  if (csidl & CSIDL_FLAG_CREATE) create = TRUE;
  std::string folder;
  switch (csidl & ~CSIDL_FLAG_CREATE) {
    case CSIDL_PERSONAL: folder = DocumentsFolder(); break;
    case CSIDL_APPDATA: folder = ConfigFolder(); break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return FALSE;
  }
  std::wstring wide = lw::Utf8ToWide(folder);
  if (wide.size() >= MAX_PATH) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return FALSE;
  }
  std::wmemcpy(path, wide.c_str(), wide.size() + 1);
  if (IsFolder(folder) || (create && MakeFolders(folder))) return TRUE;
  SetLastError(ERROR_PATH_NOT_FOUND);
  return FALSE;
}

BOOL GetUserNameW(LPWSTR buffer, LPDWORD size) {
  if (!size) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::string name;
  struct passwd pw {};
  struct passwd* found = nullptr;
  std::vector<char> buf(16384);
  if (getpwuid_r(geteuid(), &pw, buf.data(), buf.size(), &found) == 0 && found && found->pw_name)
    name = found->pw_name;
  if (name.empty()) {
    const char* env = getenv("USER");
    if (!env || !*env) env = getenv("LOGNAME");
    if (env) name = env;
  }
  std::wstring wide = lw::Utf8ToWide(name);
  const DWORD needed = static_cast<DWORD>(wide.size() + 1);
  if (!buffer || *size < needed) {
    *size = needed;
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  std::wmemcpy(buffer, wide.c_str(), needed);
  *size = needed;
  return TRUE;
}

namespace lw {

std::wstring ProgramFolder() {
  std::wstring path = Utf8ToWide(ModulePath(nullptr));
  size_t slash = path.find_last_of(L'/');
  if (slash == std::wstring::npos) return L".";
  return slash == 0 ? L"/" : path.substr(0, slash);
}

}  // namespace lw
