// Folder listing: FindFirstFileW / FindNextFileW / FindClose.
#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cwchar>
#include <string>
#include <vector>

#include "handles.h"
#include "lwstr.h"
#include "winfile.h"
#include "winstring.h"

namespace {

wchar_t Fold(wchar_t c) { return lw::ToLowerChar(c); }

// Windows wildcard match: '*' any run (also empty), '?' any one character, letters without case.
bool WildcardMatch(const std::wstring& pattern, const std::wstring& name) {
  size_t p = 0, n = 0, starP = std::wstring::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == L'*') {
      starP = p++;
      starN = n;
    } else if (p < pattern.size() && (pattern[p] == L'?' || Fold(pattern[p]) == Fold(name[n]))) {
      ++p;
      ++n;
    } else if (starP != std::wstring::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == L'*') ++p;
  return p == pattern.size();
}

// "*.*" lists everything and "name.*" also finds "name", as on Windows.
bool NameMatches(const std::wstring& pattern, const std::wstring& name) {
  if (WildcardMatch(pattern, name)) return true;
  if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, L".*") == 0)
    return WildcardMatch(pattern.substr(0, pattern.size() - 2), name);
  return false;
}

FILETIME ToFileTime(const struct timespec& t) {
  // 100-nanosecond intervals between 1601-01-01 and 1970-01-01.
  constexpr int64_t kEpochDelta = 116444736000000000LL;
  int64_t v = static_cast<int64_t>(t.tv_sec) * 10000000LL + t.tv_nsec / 100 + kEpochDelta;
  if (v < 0) v = 0;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(v));
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(v) >> 32);
  return ft;
}

class FindList : public lw::detail::KernelObject {
 public:
  std::vector<WIN32_FIND_DATAW> entries;
  size_t next = 0;
};

bool Describe(const std::string& folder, const std::string& name, const std::wstring& wideName,
              WIN32_FIND_DATAW& out) {
  if (wideName.size() >= MAX_PATH) return false;
  std::string full = folder.empty() ? name : (folder.back() == '/' ? folder + name : folder + "/" + name);
  struct stat s {};
  if (stat(full.c_str(), &s) != 0 && lstat(full.c_str(), &s) != 0) return false;
  out = WIN32_FIND_DATAW{};
  out.dwFileAttributes = S_ISDIR(s.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
  out.ftCreationTime = ToFileTime(s.st_mtim);
  out.ftLastAccessTime = ToFileTime(s.st_atim);
  out.ftLastWriteTime = ToFileTime(s.st_mtim);
  uint64_t size = S_ISDIR(s.st_mode) ? 0 : static_cast<uint64_t>(s.st_size);
  out.nFileSizeHigh = static_cast<DWORD>(size >> 32);
  out.nFileSizeLow = static_cast<DWORD>(size);
  std::wmemcpy(out.cFileName, wideName.c_str(), wideName.size() + 1);
  return true;
}

}  // namespace

HANDLE FindFirstFileW(LPCWSTR fileName, LPWIN32_FIND_DATAW findData) {
  if (!fileName || !findData) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  const std::wstring request = fileName;
  const size_t sep = request.find_last_of(L"/\\");
  const std::wstring pattern = sep == std::wstring::npos ? request : request.substr(sep + 1);
  std::string folder = sep == std::wstring::npos ? std::string() : lw::NativePath(request.substr(0, sep + 1));
  if (pattern.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) {
    SetLastError(errno == ENOENT || errno == ENOTDIR ? ERROR_PATH_NOT_FOUND : lw::ErrorFromErrno(errno));
    return INVALID_HANDLE_VALUE;
  }
  std::shared_ptr<FindList> list;
  try {
    list = std::make_shared<FindList>();
    while (struct dirent* e = readdir(dir)) {
      std::wstring wide = lw::Utf8ToWide(e->d_name);
      if (!NameMatches(pattern, wide)) continue;
      WIN32_FIND_DATAW data;
      if (Describe(folder, e->d_name, wide, data)) list->entries.push_back(data);
    }
  } catch (const std::bad_alloc&) {
    closedir(dir);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  closedir(dir);
  if (list->entries.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return INVALID_HANDLE_VALUE;
  }
  *findData = list->entries[0];
  list->next = 1;
  HANDLE h;
  try {
    h = lw::detail::AddHandle(list);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

BOOL FindNextFileW(HANDLE findFile, LPWIN32_FIND_DATAW findData) {
  auto list = lw::detail::FindHandleOf<FindList>(findFile);
  if (!list || !findData) {
    SetLastError(list ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (list->next >= list->entries.size()) {
    SetLastError(ERROR_NO_MORE_FILES);
    return FALSE;
  }
  *findData = list->entries[list->next++];
  return TRUE;
}

BOOL FindClose(HANDLE findFile) {
  if (!lw::detail::FindHandleOf<FindList>(findFile) || !lw::detail::RemoveHandle(findFile)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
