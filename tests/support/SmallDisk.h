// A folder on a file system of its own with little room (a tmpfs), for tests of writers onto a
// full disk. The test process moves into a mount namespace of its own the first time one is
// made: nothing it mounts is seen outside it, and the mounts end with the process. Making one
// needs the right to mount (root); where the machine does not give it, ok() is false and why()
// says what failed, for the test's skip message. Header only.
#pragma once

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace lwtest {

class SmallDisk {
 public:
  explicit SmallDisk(uint64_t bytes) {
    char tmpl[] = "/tmp/lw_small_disk_XXXXXX";
    if (!mkdtemp(tmpl)) {
      why_ = std::string("no temporary folder: ") + std::strerror(errno);
      return;
    }
    path_ = tmpl;
    if (!PrivateMounts(&why_)) return;
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("lwtest", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
      why_ = std::string("a tmpfs cannot be mounted here: ") + std::strerror(errno);
      return;
    }
    mounted_ = true;
  }
  ~SmallDisk() {
    if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
    if (!path_.empty()) ::rmdir(path_.c_str());
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;

  bool ok() const { return mounted_; }
  const std::string& why() const { return why_; }
  const std::filesystem::path& path() const { return path_; }

  // Bytes a writer may still put on the disk.
  uint64_t Free() const {
    struct statvfs st {};
    if (::statvfs(path_.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.f_bavail) * st.f_frsize;
  }

  // Takes room with the file `name` until at most `room` bytes (and at least room minus one block)
  // are free; false when the disk has less than that already or the filler cannot be written.
  bool LeaveFree(uint64_t room, const std::string& name = "filler") {
    const uint64_t free = Free();
    if (free < room) return false;
    const int fd = ::open((path_ / name).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    std::vector<char> block(1 << 16, 'x');
    uint64_t left = free - room;
    while (left > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(left, block.size()));
      const ssize_t put = ::write(fd, block.data(), n);
      if (put <= 0) break;
      left -= static_cast<uint64_t>(put);
    }
    ::close(fd);
    return Free() <= room;
  }

 private:
  static bool PrivateMounts(std::string* why) {
    static int state = 0;  // 0: not tried, 1: private, -1: refused
    static std::string reason;
    if (state == 0) {
      if (::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0) {
        state = 1;
      } else {
        state = -1;
        reason = std::string("no mount namespace of our own (mounting needs root): ") + std::strerror(errno);
      }
    }
    if (state < 0) *why = reason;
    return state > 0;
  }

  std::filesystem::path path_;
  std::string why_;
  bool mounted_ = false;
};

}  // namespace lwtest
