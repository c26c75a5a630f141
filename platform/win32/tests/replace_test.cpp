#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "lwreplace.h"
#include "lwstr.h"
#include "windows.h"

namespace {

namespace fs = std::filesystem;

void WriteText(const fs::path& p, const std::string& text) {
  lwtest::WriteFileBytes(p, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ReadText(const fs::path& p) {
  auto bytes = lwtest::ReadFileBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

std::vector<std::string> Entries(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

mode_t ModeOf(const fs::path& p) {
  struct stat s {};
  EXPECT_EQ(stat(p.c_str(), &s), 0) << p;
  return s.st_mode & 07777;
}

mode_t CurrentUmask() {
  const mode_t m = umask(022);
  umask(m);
  return m;
}

bool Replace(const fs::path& p, const std::string& text) { return lw::ReplaceFileContents(p.string(), text); }

// Where a replacement goes and what it leaves: each case prepares a folder, replaces `path`
// and checks which file got the new bytes, the link left in place and the mode.
TEST(FileReplacement, TargetsLinksAndModes) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> prepare;
    const char* path;     // what the caller names
    const char* written;  // where the bytes must land
    const char* link;     // a link that must still be a link afterwards, or null
    mode_t mode;          // expected mode of the written file; 0: new file (0666 less umask)
  };
  const std::vector<Case> cases = {
      {"new file", [](const fs::path&) {}, "doc.lfw", "doc.lfw", nullptr, 0},
      {"existing file keeps its mode",
       [](const fs::path& d) {
         WriteText(d / "doc.lfw", "old content");
         chmod((d / "doc.lfw").c_str(), 0640);
       },
       "doc.lfw", "doc.lfw", nullptr, 0640},
      {"absolute link",
       [](const fs::path& d) {
         fs::create_directory(d / "real");
         WriteText(d / "real" / "doc.lfw", "old");
         chmod((d / "real" / "doc.lfw").c_str(), 0600);
         fs::create_symlink(d / "real" / "doc.lfw", d / "link.lfw");
       },
       "link.lfw", "real/doc.lfw", "link.lfw", 0600},
      {"chain of relative links",
       [](const fs::path& d) {
         fs::create_directory(d / "real");
         WriteText(d / "real" / "doc.lfw", "old");
         chmod((d / "real" / "doc.lfw").c_str(), 0644);
         fs::create_symlink("doc.lfw", d / "real" / "inner.lfw");
         fs::create_symlink("real/inner.lfw", d / "outer.lfw");
       },
       "outer.lfw", "real/doc.lfw", "outer.lfw", 0644},
      {"dangling link makes the file it names",
       [](const fs::path& d) { fs::create_symlink("made.lfw", d / "link.lfw"); }, "link.lfw", "made.lfw",
       "link.lfw", 0},
  };
  const mode_t fresh = 0666 & ~CurrentUmask();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::TempDir dir;
    c.prepare(dir.path());
    const auto before = Entries(dir.path());
    ASSERT_TRUE(Replace(dir / c.path, "new content")) << strerror(errno);
    EXPECT_EQ(ReadText(dir / c.written), "new content");
    EXPECT_EQ(ModeOf(dir / c.written), c.mode ? c.mode : fresh);
    if (c.link) {
      EXPECT_TRUE(fs::is_symlink(dir / c.link));
    }
    // Only the written file may be new: no temporary file stays behind.
    const std::string writtenTop = fs::path(c.written).begin()->string();
    for (const auto& n : Entries(dir.path())) {
      if (std::find(before.begin(), before.end(), n) == before.end()) {
        EXPECT_EQ(n, writtenTop);
      }
    }
    if (fs::is_directory(dir / "real")) {
      for (const auto& n : Entries(dir / "real")) EXPECT_TRUE(n == "doc.lfw" || n == "inner.lfw") << n;
    }
  }
}

// Replacements that must fail leave the target's bytes as they were and no temporary file.
TEST(FileReplacement, RefusalsKeepTheTarget) {
  struct Case {
    const char* name;
    std::function<void(const fs::path&)> prepare;
    const char* path;
    int error;
  };
  std::vector<Case> cases = {
      {"folder", [](const fs::path& d) { fs::create_directory(d / "doc.lfw"); }, "doc.lfw", EISDIR},
      {"missing folder", [](const fs::path&) {}, "nowhere/doc.lfw", ENOENT},
      {"link cycle",
       [](const fs::path& d) {
         fs::create_symlink("b", d / "a");
         fs::create_symlink("a", d / "b");
       },
       "a", ELOOP},
      {"pipe", [](const fs::path& d) { mkfifo((d / "doc.lfw").c_str(), 0644); }, "doc.lfw", EINVAL},
  };
  if (geteuid() != 0)  // the superuser may write anything
    cases.push_back({"read-only file",
                     [](const fs::path& d) {
                       WriteText(d / "doc.lfw", "kept");
                       chmod((d / "doc.lfw").c_str(), 0444);
                     },
                     "doc.lfw", EACCES});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    lwtest::TempDir dir;
    c.prepare(dir.path());
    const auto before = Entries(dir.path());
    std::error_code ec;
    const bool regular = fs::is_regular_file(dir / c.path, ec);
    errno = 0;
    EXPECT_FALSE(Replace(dir / c.path, "new"));
    EXPECT_EQ(errno, c.error);
    EXPECT_EQ(Entries(dir.path()), before);
    if (regular) {
      EXPECT_EQ(ReadText(dir / c.path), "kept");
    }
  }
}

// Abandoning (explicitly, by destruction, or by a refused CommitNew) keeps the old file.
TEST(FileReplacement, AbandonAndCommitNew) {
  lwtest::TempDir dir;
  WriteText(dir / "doc.lfw", "old");
  const std::string target = (dir / "doc.lfw").string();
  {
    lw::FileReplacement r;
    ASSERT_TRUE(r.Begin(target));
    ASSERT_EQ(write(r.Fd(), "half", 4), 4);
    EXPECT_TRUE(fs::exists(r.Temporary()));
    r.Abandon();
    EXPECT_FALSE(r.Active());
  }
  {
    lw::FileReplacement r;
    ASSERT_TRUE(r.Begin(target));
    ASSERT_EQ(write(r.Fd(), "dropped", 7), 7);
  }  // destroyed without a commit
  {
    lw::FileReplacement r;
    ASSERT_TRUE(r.Begin(target));
    ASSERT_EQ(write(r.Fd(), "other", 5), 5);
    EXPECT_FALSE(r.CommitNew());
    EXPECT_EQ(errno, EEXIST);
  }
  EXPECT_EQ(ReadText(dir / "doc.lfw"), "old");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"doc.lfw"});
  {
    lw::FileReplacement r;
    ASSERT_TRUE(r.Begin((dir / "fresh.lfw").string()));
    ASSERT_EQ(write(r.Fd(), "fresh", 5), 5);
    EXPECT_TRUE(r.CommitNew());
    EXPECT_FALSE(r.Commit());  // nothing left to commit
  }
  EXPECT_EQ(ReadText(dir / "fresh.lfw"), "fresh");
  EXPECT_EQ(Entries(dir.path()), (std::vector<std::string>{"doc.lfw", "fresh.lfw"}));
}

// Two replacements of one file at the same time (two instances saving their settings) use
// different temporary files; the last commit wins whole.
TEST(FileReplacement, ConcurrentReplacementsDoNotShareTheTemporaryFile) {
  lwtest::TempDir dir;
  WriteText(dir / "settings.ini", "old");
  lw::FileReplacement a, b;
  ASSERT_TRUE(a.Begin((dir / "settings.ini").string()));
  ASSERT_TRUE(b.Begin((dir / "settings.ini").string()));
  EXPECT_NE(a.Temporary(), b.Temporary());
  ASSERT_EQ(write(a.Fd(), "from a", 6), 6);
  ASSERT_EQ(write(b.Fd(), "from b, longer", 14), 14);
  EXPECT_TRUE(b.Commit());
  EXPECT_TRUE(a.Commit());
  EXPECT_EQ(ReadText(dir / "settings.ini"), "from a");
  EXPECT_EQ(Entries(dir.path()), std::vector<std::string>{"settings.ini"});
}

// A reader that holds the old file open (directly or through a link) reads the old bytes to the
// end after the replacement, while the name gives the new ones.
TEST(FileReplacement, OpenReadersKeepTheOldFile) {
  for (bool throughLink : {false, true}) {
    SCOPED_TRACE(throughLink ? "through a link" : "direct");
    lwtest::TempDir dir;
    const std::string old(100000, 'o');
    WriteText(dir / "doc.lfw", old);
    if (throughLink) fs::create_symlink("doc.lfw", dir / "alias.lfw");
    const fs::path named = dir / (throughLink ? "alias.lfw" : "doc.lfw");
    const int reader = open(named.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    struct stat held {};
    fstat(reader, &held);

    lw::FileReplacement r;
    ASSERT_TRUE(r.Begin(named.string()));
    // The replacement is written while the old file is still being read (pages copied across).
    std::string buf(old.size(), '\0');
    ASSERT_EQ(pread(reader, buf.data(), 50000, 0), 50000);
    ASSERT_EQ(write(r.Fd(), "new", 3), 3);
    ASSERT_TRUE(r.Commit());

    ASSERT_EQ(pread(reader, buf.data() + 50000, 50000, 50000), 50000);
    EXPECT_EQ(buf, old);
    close(reader);
    struct stat now {};
    ASSERT_EQ(stat(named.c_str(), &now), 0);
    EXPECT_FALSE(now.st_dev == held.st_dev && now.st_ino == held.st_ino);
    EXPECT_EQ(ReadText(named), "new");
    if (throughLink) {
      EXPECT_TRUE(fs::is_symlink(named));
    }
  }
}

lw::ReplaceStep g_killAt;

// Runs `save` in a child process that kills itself at the given step (or, with no step, after
// writing half of the new content) and returns what the target holds afterwards.
std::string ContentAfterKill(const fs::path& target, const std::string& content, const lw::ReplaceStep* step) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (step) {
      g_killAt = *step;
      lw::SetReplaceStepHook([](lw::ReplaceStep s) {
        if (s == g_killAt) raise(SIGKILL);
      });
      lw::ReplaceFileContents(target.string(), content);
    } else {
      lw::FileReplacement r;
      if (r.Begin(target.string()) && write(r.Fd(), content.data(), content.size() / 2) > 0) raise(SIGKILL);
    }
    _exit(3);  // not reached when the kill came
  }
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
  return ReadText(target);
}

// A process killed anywhere inside a replacement leaves the whole old file or the whole new one.
TEST(FileReplacement, KilledProcessLeavesOldOrNewFile) {
  const std::string old = "old content, 40 bytes long.............";
  const std::string fresh(300000, 'n');  // several writes' worth
  struct Case {
    const char* name;
    bool hasStep;
    lw::ReplaceStep step;
    bool expectNew;
  };
  const Case cases[] = {
      {"after half the content", false, lw::ReplaceStep::kCreated, false},
      {"temporary file made", true, lw::ReplaceStep::kCreated, false},
      {"content written", true, lw::ReplaceStep::kWritten, false},
      {"synced, before the rename", true, lw::ReplaceStep::kSynced, false},
      {"after the rename", true, lw::ReplaceStep::kRenamed, true},
  };
  for (const Case& c : cases) {
    for (bool throughLink : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (throughLink ? ", through a link" : ""));
      lwtest::TempDir dir;
      WriteText(dir / "doc.lfw", old);
      chmod((dir / "doc.lfw").c_str(), 0640);
      if (throughLink) fs::create_symlink("doc.lfw", dir / "alias.lfw");
      const fs::path named = dir / (throughLink ? "alias.lfw" : "doc.lfw");
      const std::string after = ContentAfterKill(named, fresh, c.hasStep ? &c.step : nullptr);
      EXPECT_EQ(after == fresh, c.expectNew);
      if (!c.expectNew) {
        EXPECT_EQ(after, old);
      }
      EXPECT_EQ(ModeOf(dir / "doc.lfw"), 0640u);
      if (throughLink) {
        EXPECT_TRUE(fs::is_symlink(named));
      }
      // The next save still works beside whatever the killed one left.
      EXPECT_TRUE(Replace(named, "again"));
      EXPECT_EQ(ReadText(named), "again");
    }
  }
}

}  // namespace

namespace {

std::wstring W(const fs::path& p) { return lw::Utf8ToWide(p.string()); }

// The layer's own writers replace files the same way: through a link the named file gets the new
// bytes and the link stays; a read-only file is refused and kept.
TEST(FileReplacement, CopyFileAndProfileWritesGoThroughIt) {
  struct Writer {
    const char* name;
    std::function<BOOL(const fs::path& dir, const fs::path& target)> write;
    const char* expected;
  };
  const Writer writers[] = {
      {"CopyFileW",
       [](const fs::path& dir, const fs::path& target) {
         WriteText(dir / "source.ini", "[s]\nk=copied\n");
         return CopyFileW(W(dir / "source.ini").c_str(), W(target).c_str(), FALSE);
       },
       "[s]\nk=copied\n"},
      {"WritePrivateProfileStringW",
       [](const fs::path&, const fs::path& target) {
         return WritePrivateProfileStringW(L"s", L"k", L"written", W(target).c_str());
       },
       "[s]\nk=written\n"},
  };
  for (const Writer& w : writers) {
    SCOPED_TRACE(w.name);
    for (bool dangling : {false, true}) {
      lwtest::TempDir dir;
      fs::create_directory(dir / "real");
      if (!dangling) WriteText(dir / "real" / "app.ini", "[s]\nk=old\n");
      fs::create_symlink("real/app.ini", dir / "app.ini");
      ASSERT_TRUE(w.write(dir.path(), dir / "app.ini")) << GetLastError();
      EXPECT_TRUE(fs::is_symlink(dir / "app.ini"));
      EXPECT_EQ(ReadText(dir / "real" / "app.ini"), w.expected);
      EXPECT_EQ(Entries(dir / "real"), std::vector<std::string>{"app.ini"});
    }
    if (geteuid() != 0) {
      lwtest::TempDir dir;
      WriteText(dir / "app.ini", "[s]\nk=old\n");
      chmod((dir / "app.ini").c_str(), 0444);
      EXPECT_FALSE(w.write(dir.path(), dir / "app.ini"));
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
      EXPECT_EQ(ReadText(dir / "app.ini"), "[s]\nk=old\n");
    }
  }
}

}  // namespace

// A save killed before its end leaves its hidden temporary file; the next save into the folder
// removes such files once they are a minute old, and only files of exactly that naming.
TEST(FileReplacement, StaleTemporaryFilesOfKilledSavesAreRemoved) {
  lwtest::TempDir dir;
  const auto old = [&](const std::string& name) {
    WriteText(dir / name, "left over");
    const struct timespec times[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    EXPECT_EQ(utimensat(AT_FDCWD, (dir / name).c_str(), times, 0), 0);
  };
  old(".doc.lfw.lwsave-0a1b2c3d");        // ours, old: removed
  old(".other.pdf.lwsave-zzzzzzzz");      // ours for another file, old: removed
  WriteText(dir / ".doc.lfw.lwsave-99999999", "a save running now");  // ours, fresh: kept
  old("doc.lfw.lwsave-0a1b2c3d");         // not hidden: kept
  old(".doc.lfw.lwsave-0A1B2C3D");        // not our digits: kept
  old(".doc.lfw.lwsave-0a1b2c3");         // too short: kept
  old(".doc.lfw.lwsave-0a1b2c3d.bak");    // something else: kept
  fs::create_directory(dir / ".dir.lwsave-00000000");  // a folder: kept
  lw::FileReplacement r;
  ASSERT_TRUE(r.Begin((dir / "doc.lfw").string()));
  ASSERT_TRUE(r.Commit());
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir.path())) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  const std::vector<std::string> expected = {".dir.lwsave-00000000",     ".doc.lfw.lwsave-0A1B2C3D",
                                             ".doc.lfw.lwsave-0a1b2c3",  ".doc.lfw.lwsave-0a1b2c3d.bak",
                                             ".doc.lfw.lwsave-99999999", "doc.lfw",
                                             "doc.lfw.lwsave-0a1b2c3d"};
  EXPECT_EQ(left, expected);
}
