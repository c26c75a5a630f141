// CreateProcessW: the command line is split by the Windows rules and the program started with
// exactly those arguments, no shell in between; a program that cannot be started is refused.
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

#include "winprocess.h"

namespace {

namespace fs = std::filesystem;

TEST(CommandLineSplit, WindowsRules) {
  const struct {
    const wchar_t* line;
    std::vector<std::wstring> args;
  } cases[] = {
      {L"\"/opt/Leafwright\" \"/d/Pages From report1.lfd\"", {L"/opt/Leafwright", L"/d/Pages From report1.lfd"}},
      {L"  a   b\tc  ", {L"a", L"b", L"c"}},
      {L"a\\\\b \"x y\"z", {L"a\\\\b", L"x yz"}},
      {L"\"a\\\"b\" c\\\\\"d e\"", {L"a\"b", L"c\\d e"}},
      {L"\"unterminated quote", {L"unterminated quote"}},
      {L"", {}},
      {nullptr, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(lw::SplitCommandLine(c.line), c.args) << (c.line ? "line" : "null");
}

TEST(CreateProcess, StartsTheProgramWithTheArgumentVectorAndNoShell) {
  char tmpl[] = "/tmp/createprocess_test_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path dir = tmpl;
  const fs::path program = dir / "second instance";
  std::ofstream(program) << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"$(dirname \"$0\")/args.tmp\"\n"
                            "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n";
  chmod(program.c_str(), 0755);
  const fs::path file = dir / "Pages From $(touch pwned); x.lfd";
  std::wstring line = L"\"" + program.wstring() + L"\" \"" + file.wstring() + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS,
                             nullptr, nullptr, &si, &pi));
  EXPECT_GT(pi.dwProcessId, 0u);
  for (int i = 0; i < 400 && !fs::exists(dir / "args.txt"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(25));
  std::ifstream in(dir / "args.txt");
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "1\n" + file.string() + "\n");
  EXPECT_FALSE(fs::exists(dir / "pwned"));
  EXPECT_FALSE(fs::exists("pwned"));

  std::wstring missing = L"\"" + (dir / "no such program").wstring() + L"\" x";
  EXPECT_FALSE(CreateProcessW(nullptr, missing.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  std::wstring empty;
  EXPECT_FALSE(CreateProcessW(nullptr, empty.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  fs::remove_all(dir);
}

}  // namespace
