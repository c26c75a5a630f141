// File and folder calls over POSIX.
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cwchar>
#include <cstring>
#include <string>

#include "lwreplace.h"
#include "lwstr.h"
#include "winfile.h"
#include "wintime.h"

namespace lw {

std::string NativePath(std::wstring_view path) {
  std::string s = WideToUtf8(path);
  for (char& c : s)
    if (c == '\\') c = '/';
  return s;
}

}  // namespace lw

namespace {

// The folder part of a native path ("." when it has none), for files made beside it.
std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Copies the rest of `in` to `out`; false with errno set.
bool CopyContent(int in, int out) {
  static constexpr size_t kChunk = 1 << 16;
  char buffer[kChunk];
  for (;;) {
    ssize_t n = read(in, buffer, kChunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return true;
    if (!WriteAll(out, buffer, static_cast<size_t>(n))) return false;
  }
}

// Copies a file; dst (or the file a link there names) is replaced only when the whole copy is on
// disk.
bool CopyNative(const std::string& src, const std::string& dst, bool failIfExists) {
  int in = open(src.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    lw::SetLastErrorFromErrno(errno);
    return false;
  }
  struct stat s {};
  if (fstat(in, &s) != 0 || S_ISDIR(s.st_mode)) {
    lw::SetLastErrorFromErrno(S_ISDIR(s.st_mode) ? EISDIR : errno);
    close(in);
    return false;
  }
  struct stat d {};
  if (stat(dst.c_str(), &d) == 0) {
    if (failIfExists) {
      close(in);
      SetLastError(ERROR_FILE_EXISTS);
      return false;
    }
    if (d.st_dev == s.st_dev && d.st_ino == s.st_ino) {
      close(in);  // copying a file onto itself would empty it
      SetLastError(ERROR_SHARING_VIOLATION);
      return false;
    }
    if (S_ISDIR(d.st_mode)) {
      close(in);
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
  }
  lw::FileReplacement copy;
  bool ok = copy.Begin(dst) && fchmod(copy.Fd(), s.st_mode & 07777) == 0 && CopyContent(in, copy.Fd());
  if (!ok) copy.Abandon();
  int err = errno;
  close(in);
  if (ok) {
    ok = failIfExists ? copy.CommitNew() : copy.Commit();
    err = errno;
  }
  if (!ok) {
    if (err == EEXIST && failIfExists)
      SetLastError(ERROR_FILE_EXISTS);
    else
      SetLastError(err == ENOENT ? ERROR_PATH_NOT_FOUND : lw::ErrorFromErrno(err));
    return false;
  }
  return true;
}

bool ValidPath(LPCWSTR path) {
  if (!path || !*path) {
    SetLastError(path ? ERROR_PATH_NOT_FOUND : ERROR_INVALID_PARAMETER);
    return false;
  }
  return true;
}

}  // namespace

BOOL CopyFileW(LPCWSTR existingFileName, LPCWSTR newFileName, BOOL failIfExists) {
  if (!ValidPath(existingFileName) || !ValidPath(newFileName)) return FALSE;
  return CopyNative(lw::NativePath(existingFileName), lw::NativePath(newFileName), failIfExists != FALSE) ? TRUE
                                                                                                         : FALSE;
}

BOOL DeleteFileW(LPCWSTR fileName) {
  if (!ValidPath(fileName)) return FALSE;
  std::string path = lw::NativePath(fileName);
  struct stat s {};
  if (lstat(path.c_str(), &s) == 0 && S_ISDIR(s.st_mode)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (unlink(path.c_str()) != 0) {
    lw::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  return TRUE;
}

BOOL MoveFileExW(LPCWSTR existingFileName, LPCWSTR newFileName, DWORD flags) {
  if (!ValidPath(existingFileName) || !ValidPath(newFileName)) return FALSE;
  const std::string src = lw::NativePath(existingFileName);
  const std::string dst = lw::NativePath(newFileName);
  const bool replace = (flags & MOVEFILE_REPLACE_EXISTING) != 0;
  struct stat s {};
  if (lstat(src.c_str(), &s) != 0) {
    lw::SetLastErrorFromErrno(errno);
    return FALSE;
  }
  int rc;
  if (replace) {
    struct stat d {};
    if (stat(dst.c_str(), &d) == 0 && S_ISDIR(d.st_mode) && !(d.st_dev == s.st_dev && d.st_ino == s.st_ino)) {
      SetLastError(ERROR_ACCESS_DENIED);  // a folder is never replaced
      return FALSE;
    }
    rc = rename(src.c_str(), dst.c_str());
  } else {
    rc = renameat2(AT_FDCWD, src.c_str(), AT_FDCWD, dst.c_str(), RENAME_NOREPLACE);
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS)) {
      // The file system cannot refuse an existing name by itself.
      struct stat d {};
      if (lstat(dst.c_str(), &d) == 0) {
        errno = EEXIST;
      } else {
        rc = rename(src.c_str(), dst.c_str());
      }
    }
  }
  if (rc == 0) {
    if (flags & MOVEFILE_WRITE_THROUGH) SyncFolder(FolderOf(dst));
    return TRUE;
  }
  if (errno == EEXIST) {
    SetLastError(ERROR_ALREADY_EXISTS);
    return FALSE;
  }
  if (errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) && S_ISREG(s.st_mode)) {
    if (!CopyNative(src, dst, !replace)) {
      if (GetLastError() == ERROR_FILE_EXISTS) SetLastError(ERROR_ALREADY_EXISTS);
      return FALSE;
    }
    if (unlink(src.c_str()) != 0) {
      lw::SetLastErrorFromErrno(errno);
      return FALSE;
    }
    return TRUE;
  }
  lw::SetLastErrorFromErrno(errno);
  return FALSE;
}

BOOL CreateDirectoryW(LPCWSTR pathName, LPSECURITY_ATTRIBUTES) {
  if (!ValidPath(pathName)) return FALSE;
  if (mkdir(lw::NativePath(pathName).c_str(), 0777) != 0) {
    SetLastError(errno == ENOENT ? ERROR_PATH_NOT_FOUND : lw::ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

BOOL RemoveDirectoryW(LPCWSTR pathName) {
  if (!ValidPath(pathName)) return FALSE;
  if (rmdir(lw::NativePath(pathName).c_str()) != 0) {
    SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : lw::ErrorFromErrno(errno));
    return FALSE;
  }
  return TRUE;
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
  if (!ValidPath(fileName)) return INVALID_FILE_ATTRIBUTES;
  struct stat s {};
  if (stat(lw::NativePath(fileName).c_str(), &s) != 0) {
    lw::SetLastErrorFromErrno(errno);
    return INVALID_FILE_ATTRIBUTES;
  }
  return S_ISDIR(s.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

DWORD GetTempPathW(DWORD bufferLength, LPWSTR buffer) {
  const char* dir = getenv("TMPDIR");
  std::wstring path = lw::Utf8ToWide((dir && *dir == '/') ? dir : "/tmp");
  if (path.back() != L'/') path += L'/';
  const DWORD needed = static_cast<DWORD>(path.size() + 1);
  if (!buffer || bufferLength < needed) return needed;
  std::wmemcpy(buffer, path.c_str(), needed);
  return needed - 1;
}

UINT GetTempFileNameW(LPCWSTR pathName, LPCWSTR prefixString, UINT unique, LPWSTR tempFileName) {
  if (!pathName || !tempFileName) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::wstring base = pathName;
  if (base.empty() || (base.back() != L'/' && base.back() != L'\\')) base += L'/';
  if (prefixString) base.append(prefixString, std::min<size_t>(wcslen(prefixString), 3));
  auto nameFor = [&base](UINT number) {
    wchar_t hex[16];
    swprintf(hex, 16, L"%X", number);
    return base + hex + L".tmp";
  };
  auto store = [tempFileName](const std::wstring& name) {
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return false;
    }
    std::wmemcpy(tempFileName, name.c_str(), name.size() + 1);
    return true;
  };
  if (unique != 0) {
    unique &= 0xFFFFu;
    if (unique == 0) unique = 1;  // 0 would mean "choose a number"
    return store(nameFor(unique)) ? unique : 0;
  }
  UINT start = GetTickCount() & 0xFFFFu;
  if (start == 0) start = 1;
  UINT number = start;
  do {
    std::wstring name = nameFor(number);
    if (name.size() >= MAX_PATH) {
      SetLastError(ERROR_BUFFER_OVERFLOW);
      return 0;
    }
    int fd = open(lw::NativePath(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      close(fd);
      store(name);
      return number;
    }
    if (errno != EEXIST) {
      SetLastError(errno == ENOENT ? ERROR_DIRECTORY : lw::ErrorFromErrno(errno));
      return 0;
    }
    number = (number == 0xFFFFu) ? 1 : number + 1;
  } while (number != start);
  SetLastError(ERROR_FILE_EXISTS);
  return 0;
}

int _wmkdir(const wchar_t* dirName) {
  if (!dirName) {
    errno = EINVAL;
    return -1;
  }
  return mkdir(lw::NativePath(dirName).c_str(), 0777) == 0 ? 0 : -1;
}

int _waccess(const wchar_t* path, int mode) {
  if (!path || (mode & ~6) != 0) {
    errno = EINVAL;
    return -1;
  }
  int how = F_OK;
  if (mode & 2) how |= W_OK;
  if (mode & 4) how |= R_OK;
  return access(lw::NativePath(path).c_str(), how) == 0 ? 0 : -1;
}
