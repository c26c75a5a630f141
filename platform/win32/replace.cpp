// Replacing a file through a temporary file, fsync and rename.
#include <dirent.h>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "lwreplace.h"
#include "lwstr.h"
#include "winfile.h"

namespace lw {

namespace {

std::atomic<ReplaceStepHook> g_stepHook{nullptr};

void Step(ReplaceStep step) {
  if (ReplaceStepHook hook = g_stepHook.load()) hook(step);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Follows symbolic links (also dangling ones) to the path of the file they name. Folders on the
// way are left as they are: the rename works in whatever folder the last link points into.
bool ResolveLinks(std::string path, std::string* out) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat s {};
    if (lstat(path.c_str(), &s) != 0 || !S_ISLNK(s.st_mode)) {
      *out = std::move(path);
      return true;
    }
    std::vector<char> buf(PATH_MAX + 1);
    const ssize_t n = readlink(path.c_str(), buf.data(), buf.size() - 1);
    if (n < 0) return false;
    std::string link(buf.data(), static_cast<size_t>(n));
    if (link.empty()) {
      errno = ENOENT;
      return false;
    }
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  errno = ELOOP;
  return false;
}

// A name for the temporary file: hidden, derived from the target's name (cut to stay within the
// file system's name limit without splitting a UTF-8 character), with a random part.
std::string TemporaryName(const std::string& target) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  static std::atomic<unsigned> counter{0};
  std::string base = NameOf(target);
  constexpr size_t kMaxBase = 200;
  if (base.size() > kMaxBase) {
    size_t cut = kMaxBase;
    while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80) --cut;
    base.resize(cut);
  }
  unsigned char random[8] = {};
  if (getrandom(random, sizeof random, GRND_NONBLOCK) != static_cast<ssize_t>(sizeof random)) {
    const unsigned long long mix = (static_cast<unsigned long long>(getpid()) << 32) ^ counter.fetch_add(1) ^
                                   reinterpret_cast<uintptr_t>(&base);
    for (size_t i = 0; i < sizeof random; ++i) random[i] = static_cast<unsigned char>(mix >> (8 * i));
  }
  std::string suffix;
  for (unsigned char r : random) suffix += kDigits[r % 36];
  return FolderOf(target) + "/." + base + ".lwsave-" + suffix;
}

// Whether a file name is one TemporaryName makes: ".<name>.lwsave-" and 8 of its digits.
bool IsTemporaryName(const char* name) {
  static constexpr char kMark[] = ".lwsave-";
  constexpr size_t kMarkLength = sizeof kMark - 1, kSuffix = 8;
  const size_t n = std::strlen(name);
  if (n < 1 + 1 + kMarkLength + kSuffix || name[0] != '.') return false;
  if (std::memcmp(name + n - kSuffix - kMarkLength, kMark, kMarkLength) != 0) return false;
  for (size_t i = n - kSuffix; i < n; ++i)
    if (!((name[i] >= '0' && name[i] <= '9') || (name[i] >= 'a' && name[i] <= 'z'))) return false;
  return true;
}

// Removes the temporary files that saves killed before their end left in `folder`: regular
// files of our naming, untouched for a minute before `now` (a save still running writes to its
// file all along), never `keep`.
void RemoveStaleTemporaries(const std::string& folder, const std::string& keep, time_t now) {
  const int dfd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd < 0) return;
  DIR* dir = fdopendir(dfd);
  if (!dir) {
    close(dfd);
    return;
  }
  const std::string keepName = NameOf(keep);
  while (const dirent* e = readdir(dir)) {
    if (!IsTemporaryName(e->d_name) || keepName == e->d_name) continue;
    struct stat st {};
    if (fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    if (st.st_mtime + 60 > now) continue;
    unlinkat(dfd, e->d_name, 0);
  }
  closedir(dir);
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);  // some file systems cannot sync a folder; the rename is done either way
    close(fd);
  }
}

}  // namespace

void SetReplaceStepHook(ReplaceStepHook hook) { g_stepHook = hook; }

FileReplacement::~FileReplacement() { Abandon(); }

bool FileReplacement::Begin(std::wstring_view path) { return Begin(NativePath(path)); }

bool FileReplacement::Begin(const std::string& path) {
  Abandon();
  if (path.empty()) {
    errno = ENOENT;
    return false;
  }
  std::string target;
  if (!ResolveLinks(path, &target)) return false;

  bool exists = false;
  mode_t mode = 0;
  struct stat old {};
  if (stat(target.c_str(), &old) == 0) {
    if (S_ISDIR(old.st_mode)) {
      errno = EISDIR;
      return false;
    }
    if (!S_ISREG(old.st_mode)) {
      errno = EINVAL;  // a device or pipe is not replaced by a file
      return false;
    }
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return false;
    exists = true;
    mode = old.st_mode & 07777;
  } else if (errno != ENOENT) {
    return false;
  }

  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string temp = TemporaryName(target);
    // Private until it has the old file's bits, so it never shows more than the old file did.
    int fd;
    do fd = open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    if (exists && fchmod(fd, mode) != 0) {
      const int err = errno;
      close(fd);
      unlink(temp.c_str());
      errno = err;
      return false;
    }
    m_fd = fd;
    m_target = std::move(target);
    m_temp = std::move(temp);
    RemoveStaleTemporaries(FolderOf(m_target), m_temp, time(nullptr));
    Step(ReplaceStep::kCreated);
    return true;
  }
  errno = EEXIST;
  return false;
}

bool FileReplacement::Commit() { return Finish(true); }

bool FileReplacement::CommitNew() { return Finish(false); }

bool FileReplacement::Finish(bool replace) {
  if (m_fd < 0) {
    errno = EBADF;
    return false;
  }
  Step(ReplaceStep::kWritten);
  int err = 0;
  if (fsync(m_fd) != 0) err = errno;
  if (close(m_fd) != 0 && err == 0 && errno != EINTR) err = errno;
  m_fd = -1;
  if (err == 0) Step(ReplaceStep::kSynced);
  if (err == 0) {
    if (replace) {
      if (rename(m_temp.c_str(), m_target.c_str()) != 0) err = errno;
    } else if (renameat2(AT_FDCWD, m_temp.c_str(), AT_FDCWD, m_target.c_str(), RENAME_NOREPLACE) != 0) {
      err = errno;
      if (err == EINVAL || err == ENOSYS) {
        // The file system cannot refuse an existing name by itself.
        struct stat s {};
        if (lstat(m_target.c_str(), &s) == 0)
          err = EEXIST;
        else
          err = rename(m_temp.c_str(), m_target.c_str()) == 0 ? 0 : errno;
      }
    }
  }
  if (err != 0) {
    unlink(m_temp.c_str());
    m_temp.clear();
    errno = err;
    return false;
  }
  m_temp.clear();
  Step(ReplaceStep::kRenamed);
  SyncFolder(FolderOf(m_target));
  return true;
}

void FileReplacement::Abandon() {
  const int saved = errno;
  if (m_fd >= 0) close(m_fd);
  m_fd = -1;
  if (!m_temp.empty()) unlink(m_temp.c_str());
  m_temp.clear();
  errno = saved;
}

bool ReplaceFileContents(const std::string& path, std::string_view bytes) {
  FileReplacement replacement;
  if (!replacement.Begin(path)) return false;
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = write(replacement.Fd(), p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      const int err = n < 0 ? errno : ENOSPC;
      replacement.Abandon();
      errno = err;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return replacement.Commit();
}

}  // namespace lw
