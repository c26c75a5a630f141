// ShellExecuteW: the opener is found on PATH and gets the file as exactly one argument, with no
// shell in between; unknown verbs and missing files are refused without starting anything.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "lwstr.h"
#include "shellapi.h"

namespace {

namespace fs = std::filesystem;

class ShellExecuteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/shellexec_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    // A stand-in opener that writes its argument count and arguments beside itself.
    const fs::path opener = dir_ / "xdg-open";
    std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                             "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n";
    chmod(opener.c_str(), 0755);
    oldPath_ = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", (dir_.string() + ":" + oldPath_).c_str(), 1);
  }
  void TearDown() override {
    setenv("PATH", oldPath_.c_str(), 1);
    fs::remove_all(dir_);
  }
  // The opener's record, waited for (it runs on its own).
  std::string Record() {
    for (int i = 0; i < 400 && !fs::exists(dir_ / "args.txt"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    std::ifstream in(dir_ / "args.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static intptr_t Code(HINSTANCE h) { return reinterpret_cast<intptr_t>(h); }

  fs::path dir_;
  std::string oldPath_;
};

TEST_F(ShellExecuteTest, FileGoesToTheOpenerAsOneArgumentWithoutAShell) {
  const fs::path page = dir_ / "flip book $(touch pwned); echo x" / "index.html";
  fs::create_directories(page.parent_path());
  std::ofstream(page) << "<html/>";
  EXPECT_GT(Code(ShellExecuteW(nullptr, L"open", page.wstring().c_str(), nullptr, nullptr, 1)), 32);
  EXPECT_EQ(Record(), "1\n" + page.string() + "\n");
  EXPECT_FALSE(fs::exists("pwned"));
  EXPECT_FALSE(fs::exists(dir_ / "pwned"));
}

TEST_F(ShellExecuteTest, AddressesAreOpenedAndBadRequestsRefused) {
  EXPECT_GT(Code(ShellExecuteW(nullptr, nullptr, L"http://127.0.0.1:8000/index.html", nullptr, nullptr, 1)), 32);
  EXPECT_EQ(Record(), "1\nhttp://127.0.0.1:8000/index.html\n");
  fs::remove(dir_ / "args.txt");
  const struct {
    const wchar_t* verb;
    std::wstring file;
  } refused[] = {{L"open", (dir_ / "missing.html").wstring()}, {L"print", (dir_ / "xdg-open").wstring()},
                 {L"open", L""}};
  for (const auto& r : refused) EXPECT_LE(Code(ShellExecuteW(nullptr, r.verb, r.file.c_str(), nullptr, nullptr, 1)), 32);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_FALSE(fs::exists(dir_ / "args.txt"));
}

}  // namespace
