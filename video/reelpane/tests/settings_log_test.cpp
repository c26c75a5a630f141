// The settings file and the log: names and folders, defaults written back, filters, line format,
// and several player threads logging at once.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <thread>

#include "ReelpaneTestSupport.h"

using namespace rptest;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> out;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) out.push_back(e.path());
  return out;
}

class ReelpaneSettings : public testing::Test {
 protected:
  void TearDown() override { reelpane::MMLog::Instance().Reopen("Reelpane", std::wstring()); }
  void Open(const fs::path& program) { reelpane::MMLog::Instance().Reopen("Reelpane", program.wstring()); }
  lwtest::TempDir dir;
};

TEST_F(ReelpaneSettings, FileIsNamedAfterTheProgramUpToItsLastDot) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"/opt/app/player.exe", L"/opt/app/config/player.multimedia.ini"},
      {L"/opt/app/my.player.bin", L"/opt/app/config/my.player.multimedia.ini"},
      {L"/opt/app/player", L"/opt/app/config/.multimedia.ini"},
      {L"C:\\Apps\\player.exe", L"C:\\Apps/config/player.multimedia.ini"},
      {L"player.exe", L""},
  };
  for (const auto& [host, ini] : cases) EXPECT_EQ(reelpane::SettingsPathFor(host), ini);
}

TEST_F(ReelpaneSettings, MissingSectionIsWrittenWithTheDefaultsAndNothingIsLogged) {
  fs::create_directories(dir.path() / "config");
  fs::create_directories(dir.path() / "log");
  std::ofstream(dir.path() / "config" / "player.multimedia.ini") << "[other]\nkey=1\n";
  Open(dir.path() / "player.exe");
  MMTRACE("[CReelpane] message %d", 1);
  const std::string ini = ReadText(dir.path() / "config" / "player.multimedia.ini");
  EXPECT_NE(ini.find("[debug]"), std::string::npos) << ini;
  EXPECT_NE(ini.find("filter_level=4"), std::string::npos) << ini;
  EXPECT_NE(ini.find("filter_target=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("key=1"), std::string::npos) << "other sections stay";
  EXPECT_TRUE(FilesIn(dir.path() / "log").empty());
}

TEST_F(ReelpaneSettings, MissingFoldersStoreAndWriteNothing) {
  // No "config": the defaults apply and no file appears; no "log": no log file.
  Open(dir.path() / "player.exe");
  MMTRACE("nothing %s", "here");
  EXPECT_TRUE(FilesIn(dir.path()).empty());
  fs::create_directories(dir.path() / "config");
  std::ofstream(dir.path() / "config" / "player.multimedia.ini") << "[debug]\nfilter_level=3\nfilter_target=1\n";
  Open(dir.path() / "player.exe");
  MMTRACE("still %s", "nothing");
  EXPECT_EQ(FilesIn(dir.path()).size(), 1u);
  EXPECT_EQ(reelpane::MMLog::Instance().FilePath(), "");
}

TEST_F(ReelpaneSettings, DamagedSettingsFilesAreReadWithoutHarm) {
  struct Case {
    const char* what;
    std::string bytes;
    int level, target;
  } cases[] = {
      {"binary garbage", std::string("\x00\xff\xfe[debug\x00]\n\x80\x81=\xc3", 14), 4, 0},
      {"words for numbers", "[debug]\nfilter_level=three\nfilter_target=x1\n", 0, 0},
      {"huge numbers", "[debug]\nfilter_level=99999999999999999999\nfilter_target=-7\n", -1, 0},
      {"one very long line", "[debug]\nfilter_level=" + std::string(1 << 20, '3') + "\n", -1, 0},
      {"section without keys", "[debug]\n", 4, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwtest::TempDir d;
    fs::create_directories(d.path() / "config");
    fs::create_directories(d.path() / "log");
    std::ofstream(d.path() / "config" / "player.multimedia.ini", std::ios::binary) << c.bytes;
    reelpane::MMLog::Instance().Reopen("Reelpane", (d.path() / "player.exe").wstring());
    MMTRACE("[CReelpane] after a damaged file");
    if (c.level >= 0) EXPECT_EQ(reelpane::MMLog::Instance().Level(), c.level);
    EXPECT_EQ(reelpane::MMLog::Instance().Target(), c.target);
    EXPECT_TRUE(FilesIn(d.path() / "log").empty());
  }
  // A folder where the file should be: nothing read, nothing stored.
  fs::create_directories(dir.path() / "config" / "player.multimedia.ini");
  fs::create_directories(dir.path() / "log");
  Open(dir.path() / "player.exe");
  MMTRACE("nothing");
  EXPECT_EQ(reelpane::MMLog::Instance().Level(), 4);
  EXPECT_TRUE(FilesIn(dir.path() / "log").empty());
}

TEST_F(ReelpaneSettings, FiltersChooseTheSinks) {
  struct Case {
    int level, target;
    bool file, debugger;  // a log file is opened; the message reaches the debugger output
  } cases[] = {{3, 2, false, true}, {3, 1, true, false}, {3, 3, true, true}, {0, 1, true, false},
               {4, 3, true, false}, {3, 0, false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << "/" << c.target);
    LoggedHost host(c.level, c.target);
    testing::internal::CaptureStderr();
    MMTRACE("[CReelpane] AddScreen GUID=%s", "{00000000-0000-0000-0000-000000000000}");
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find("][CReelpane] AddScreen GUID={00000000-0000-0000-0000-000000000000}\n") != std::string::npos, c.debugger) << err;
    const auto files = FilesIn(host.dir.path() / "log");
    ASSERT_EQ(files.size(), c.file ? 1u : 0u);
    if (!c.file) continue;
    const std::string text = ReadText(files[0]);
    const bool logged = c.level <= 3;  // the file is opened by the target; lines pass the level
    EXPECT_TRUE(std::regex_match(text, std::regex(std::string("-------------Multimedia log file-------------\n") +
                                                  (logged ? "\\[[0-2][0-9]:[0-5][0-9]:[0-5][0-9]\\]\\[CReelpane\\] AddScreen "
                                                  "GUID=\\{00000000-0000-0000-0000-000000000000\\}\n" : ""))))
        << text;
    EXPECT_TRUE(std::regex_match(files[0].filename().string(),
                                 std::regex("Reelpane_" + std::to_string(getpid()) + "_[01][0-9]_[0-3][0-9]_[0-2][0-9]_[0-5][0-9]_[0-5][0-9]\\.log")))
        << files[0];
  }
}

TEST_F(ReelpaneSettings, LongMessagesAreCutToOneLineAndTheMarkerFollowsPastTheLimit) {
  LoggedHost host(3, 1);
  const std::string longText(5000, 'x');
  MMTRACE("%s", longText.c_str());
  std::vector<std::string> lines;
  std::istringstream in(host.LogText());
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].size(), 2046u) << "2048 characters with the line feed and the terminator";
  reelpane::MMLog::Instance().SetCountForTesting(0x3C00000);
  MMTRACE("past the limit");
  MMTRACE("again");
  const std::string text = host.LogText();
  EXPECT_NE(text.find("past the limit\n-------Multimedia log file-------\n"), std::string::npos);
  EXPECT_NE(text.find("again\n-------Multimedia log file-------\n"), std::string::npos);
}

// A folder nobody may write into for the life of the object: its mode bits, and for root (who
// passes them) the immutable attribute. Usable() is false where neither holds.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(const fs::path& p) : path_(p) {
    chmod(p.c_str(), 0555);
    if (access(p.c_str(), W_OK) != 0) return;
    fd_ = open(p.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    if (fd_ >= 0 && ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0) {
      flags |= FS_IMMUTABLE_FL;
      immutable_ = ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0;
    }
  }
  ~ReadOnlyFolder() {
    if (immutable_) {
      int flags = 0;
      ioctl(fd_, FS_IOC_GETFLAGS, &flags);
      flags &= ~FS_IMMUTABLE_FL;
      ioctl(fd_, FS_IOC_SETFLAGS, &flags);
    }
    if (fd_ >= 0) close(fd_);
    chmod(path_.c_str(), 0755);
  }
  bool Usable() const { return access(path_.c_str(), W_OK) != 0; }

 private:
  fs::path path_;
  int fd_ = -1;
  bool immutable_ = false;
};

TEST_F(ReelpaneSettings, ReadOnlyProgramFolderLogsToTheUsersStateFolder) {
  fs::create_directories(dir.path() / "app" / "config");
  fs::create_directories(dir.path() / "app" / "log");
  std::ofstream(dir.path() / "app" / "config" / "player.multimedia.ini") << "[debug]\nfilter_level=3\nfilter_target=1\n";
  ReadOnlyFolder readOnly(dir.path() / "app");
  if (!readOnly.Usable()) GTEST_SKIP() << "no folder can be made read-only here";
  const char* old = getenv("XDG_STATE_HOME");
  const std::string saved = old ? old : "";
  setenv("XDG_STATE_HOME", (dir.path() / "state").c_str(), 1);
  Open(dir.path() / "app" / "player.exe");
  MMTRACE("to the state folder");
  EXPECT_EQ(fs::path(reelpane::MMLog::Instance().FilePath()).parent_path(), dir.path() / "state" / "Leafwright" / "log");
  EXPECT_EQ(FilesIn(dir.path() / "state" / "Leafwright" / "log").size(), 1u);
  EXPECT_TRUE(FilesIn(dir.path() / "app" / "log").empty());
  if (old) setenv("XDG_STATE_HOME", saved.c_str(), 1);
  else unsetenv("XDG_STATE_HOME");
}

TEST_F(ReelpaneSettings, PlayerThreadsLoggingAtOnceWriteWholeLinesAndCountThemAll) {
  LoggedHost host(3, 1);
  constexpr int kThreads = 4, kEach = 300;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) MMTRACE("[CReelpane] thread %d message %d", t, i);
    });
  for (auto& th : threads) th.join();
  const std::string text = host.LogText();
  const auto messages = host.Messages();
  ASSERT_EQ(messages.size(), static_cast<size_t>(kThreads * kEach));
  const std::regex shape("\\[CReelpane\\] thread [0-3] message [0-9]+");
  for (const std::string& m : messages) ASSERT_TRUE(std::regex_match(m, shape)) << m;
  const size_t header = std::string("-------------Multimedia log file-------------\n").size();
  EXPECT_EQ(reelpane::MMLog::Instance().Count(), text.size() - header);
}

}  // namespace
