#include <fcntl.h>
#include <gtest/gtest.h>

#include "windows.h"
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "lwstr.h"

namespace {

std::wstring W(const std::filesystem::path& p) { return lw::Utf8ToWide(p.string()); }

void WriteText(const std::filesystem::path& p, const std::string& text) {
  lwtest::WriteFileBytes(p, std::vector<uint8_t>(text.begin(), text.end()));
}

std::string ReadText(const std::filesystem::path& p) {
  auto bytes = lwtest::ReadFileBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

size_t EntryCount(const std::filesystem::path& dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

TEST(Files, CopyFile) {
  lwtest::TempDir dir;
  WriteText(dir / "src.txt", "source");
  WriteText(dir / "dst.txt", "old");
  const std::wstring src = W(dir / "src.txt"), dst = W(dir / "dst.txt");

  EXPECT_FALSE(CopyFileW(src.c_str(), dst.c_str(), TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_EQ(ReadText(dir / "dst.txt"), "old");

  EXPECT_TRUE(CopyFileW(src.c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(ReadText(dir / "dst.txt"), "source");
  EXPECT_TRUE(CopyFileW(src.c_str(), W(dir / "new.txt").c_str(), TRUE));
  EXPECT_EQ(ReadText(dir / "new.txt"), "source");

  // Onto itself (here through a second spelling): refused, the file keeps its bytes.
  EXPECT_FALSE(CopyFileW(src.c_str(), (W(dir.path()) + L"\\.\\src.txt").c_str(), FALSE));
  EXPECT_EQ(ReadText(dir / "src.txt"), "source");

  EXPECT_FALSE(CopyFileW(W(dir / "missing").c_str(), dst.c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ReadText(dir / "dst.txt"), "source");
  EXPECT_FALSE(CopyFileW(src.c_str(), W(dir / "nofolder" / "x").c_str(), FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(EntryCount(dir.path()), 3u);  // no temporary copy left behind
}

TEST(Files, MoveAcrossFileSystems) {
  lwtest::TempDir dir;
  const std::filesystem::path other = "/dev/shm";
  struct stat a {}, b {};
  if (stat(dir.path().c_str(), &a) != 0 || stat(other.c_str(), &b) != 0 || a.st_dev == b.st_dev ||
      access(other.c_str(), W_OK) != 0)
    GTEST_SKIP() << "no second file system at hand";
  WriteText(dir / "clip.flv", "video bytes");
  const auto target = other / ("lw_move_test_" + std::to_string(getpid()));
  const std::wstring src = W(dir / "clip.flv"), dst = W(target);
  EXPECT_FALSE(MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SAME_DEVICE));
  EXPECT_TRUE(MoveFileExW(src.c_str(), dst.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED));
  EXPECT_FALSE(std::filesystem::exists(dir / "clip.flv"));
  EXPECT_EQ(ReadText(target), "video bytes");
  std::filesystem::remove(target);
}

TEST(Files, MoveDeleteAndFolders) {
  lwtest::TempDir dir;
  WriteText(dir / "a", "A");
  WriteText(dir / "b", "B");
  const std::wstring a = W(dir / "a"), b = W(dir / "b"), c = W(dir / "c");

  EXPECT_FALSE(MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_COPY_ALLOWED));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(ReadText(dir / "b"), "B");
  EXPECT_TRUE(MoveFileExW(a.c_str(), b.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_EQ(ReadText(dir / "b"), "A");
  EXPECT_FALSE(std::filesystem::exists(dir / "a"));
  EXPECT_TRUE(MoveFileExW(b.c_str(), c.c_str(), 0));
  EXPECT_FALSE(MoveFileExW(b.c_str(), c.c_str(), 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

  const std::wstring sub = W(dir / "sub");
  EXPECT_EQ(GetFileAttributesW(sub.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryW(sub.c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryW(W(dir / "x" / "y").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesW(sub.c_str()), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesW(c.c_str()), FILE_ATTRIBUTE_NORMAL);

  EXPECT_FALSE(DeleteFileW(sub.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(DeleteFileW(c.c_str()));
  EXPECT_FALSE(DeleteFileW(c.c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_TRUE(RemoveDirectoryW(sub.c_str()));

  // The runtime calls: _waccess only reports, _wmkdir makes one level.
  const std::wstring made = W(dir / "made");
  EXPECT_EQ(_waccess(made.c_str(), 0), -1);
  EXPECT_EQ(_wmkdir(made.c_str()), 0);
  EXPECT_EQ(_waccess(made.c_str(), 0), 0);
  EXPECT_EQ(_waccess(made.c_str(), 6), 0);
  EXPECT_EQ(_wmkdir(made.c_str()), -1);
  EXPECT_EQ(_wmkdir(W(dir / "p" / "q").c_str()), -1);
}

TEST(Files, TempNames) {
  wchar_t buf[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, buf);
  ASSERT_GT(n, 0u);
  EXPECT_EQ(buf[n - 1], L'/');
  EXPECT_EQ(GetTempPathW(2, buf), n + 1);  // too small: the size needed

  lwtest::TempDir dir;
  const std::wstring folder = W(dir.path());
  wchar_t first[MAX_PATH], second[MAX_PATH];
  UINT u1 = GetTempFileNameW(folder.c_str(), L"12345", 0, first);
  UINT u2 = GetTempFileNameW(folder.c_str(), L"12345", 0, second);
  ASSERT_NE(u1, 0u);
  ASSERT_NE(u2, 0u);
  EXPECT_NE(std::wstring(first), std::wstring(second));
  wchar_t expected[MAX_PATH];
  swprintf(expected, MAX_PATH, L"%ls/123%X.tmp", folder.c_str(), u1);
  EXPECT_STREQ(first, expected);
  EXPECT_TRUE(std::filesystem::exists(lw::WideToUtf8(first)));
  EXPECT_TRUE(std::filesystem::exists(lw::WideToUtf8(second)));

  // A given number only makes the name.
  EXPECT_EQ(GetTempFileNameW((folder + L"/").c_str(), L"~my", 10, first), 10u);
  EXPECT_EQ(std::wstring(first), folder + L"/~myA.tmp");
  EXPECT_FALSE(std::filesystem::exists(dir / "~myA.tmp"));

  EXPECT_EQ(GetTempFileNameW(W(dir / "missing").c_str(), L"x", 0, first), 0u);
}

TEST(Files, FindPatterns) {
  lwtest::TempDir dir;
  WriteText(dir / "a.txt", "12345");
  WriteText(dir / "B.TXT", "");
  WriteText(dir / "readme", "");
  WriteText(dir / "ab.doc", "");
  std::filesystem::create_directory(dir / "sub");
  const std::wstring base = W(dir.path());

  struct Case {
    const wchar_t* pattern;
    std::set<std::wstring> names;
  } cases[] = {
      {L"*", {L".", L"..", L"a.txt", L"B.TXT", L"readme", L"ab.doc", L"sub"}},
      {L"*.*", {L".", L"..", L"a.txt", L"B.TXT", L"readme", L"ab.doc", L"sub"}},
      {L"*.txt", {L"a.txt", L"B.TXT"}},
      {L"?.TxT", {L"a.txt", L"B.TXT"}},
      {L"a*", {L"a.txt", L"ab.doc"}},
      {L"readme.*", {L"readme"}},
      {L"SUB", {L"sub"}},
      {L"*b*", {L"B.TXT", L"ab.doc", L"sub"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(lw::WideToUtf8(c.pattern));
    WIN32_FIND_DATAW data;
    HANDLE h = FindFirstFileW((base + L"\\" + c.pattern).c_str(), &data);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::set<std::wstring> found;
    do found.insert(data.cFileName);
    while (FindNextFileW(h, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(h));
    EXPECT_EQ(found, c.names);
  }

  WIN32_FIND_DATAW data;
  EXPECT_EQ(FindFirstFileW((base + L"/none*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(FindFirstFileW((base + L"/nofolder/*").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // What one entry tells: attributes, size and the write time as a Windows FILETIME.
  struct timespec times[2] = {{946684800, 0}, {946684800, 500000000}};  // 2000-01-01 00:00:00.5 UTC
  ASSERT_EQ(utimensat(AT_FDCWD, (dir / "a.txt").c_str(), times, 0), 0);
  HANDLE h = FindFirstFileW((base + L"/A.TXT").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_STREQ(data.cFileName, L"a.txt");
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(data.nFileSizeLow, 5u);
  EXPECT_EQ(data.nFileSizeHigh, 0u);
  const uint64_t ft = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
  EXPECT_EQ(ft, 125911584005000000ull);
  FindClose(h);
  h = FindFirstFileW((base + L"/sub").c_str(), &data);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(FindClose(h));
  EXPECT_FALSE(FindClose(h));
}

TEST(Files, ModulePath) {
  char exe[4096];
  ssize_t len = readlink("/proc/self/exe", exe, sizeof exe - 1);
  ASSERT_GT(len, 0);
  const std::wstring expected = lw::Utf8ToWide(std::string(exe, static_cast<size_t>(len)));

  wchar_t buf[4096];
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 4096), expected.size());
  EXPECT_EQ(std::wstring(buf), expected);
  // Too small: cut and terminated, the result is the size.
  EXPECT_EQ(GetModuleFileNameW(nullptr, buf, 5), 5u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(std::wstring(buf), expected.substr(0, 4));

  // A module named by an address inside it: the shared library of this layer.
  const HMODULE self = reinterpret_cast<HMODULE>(reinterpret_cast<uintptr_t>(&CopyFileW));
  DWORD n = GetModuleFileNameW(self, buf, 4096);
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::wstring(buf).find(L"liblw_win32.so"), std::wstring::npos);

  std::wstring folder = lw::ProgramFolder();
  EXPECT_EQ(folder, expected.substr(0, expected.find_last_of(L'/')));
}

class EnvGuard {
 public:
  explicit EnvGuard(const char* name) : name_(name) {
    const char* v = getenv(name);
    had_ = v != nullptr;
    if (v) old_ = v;
  }
  ~EnvGuard() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_;
  std::string old_;
};

TEST(Files, SpecialFolders) {
  EnvGuard home("HOME"), config("XDG_CONFIG_HOME");
  lwtest::TempDir dir;
  setenv("HOME", dir.path().c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
  const std::wstring base = W(dir.path());
  wchar_t path[MAX_PATH];

  // No user-dirs file: $HOME/Documents.
  EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE));
  EXPECT_EQ(std::wstring(path), base + L"/Documents");
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, TRUE));
  EXPECT_TRUE(std::filesystem::is_directory(dir / "Documents"));

  // The XDG setting wins, with $HOME expanded.
  std::filesystem::create_directories(dir / ".config");
  WriteText(dir / ".config" / "user-dirs.dirs", "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\nXDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_MYDOCUMENTS | CSIDL_FLAG_CREATE, FALSE));
  EXPECT_EQ(std::wstring(path), base + L"/Papers");
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_APPDATA, FALSE));
  EXPECT_EQ(std::wstring(path), base + L"/.config");

  setenv("XDG_CONFIG_HOME", (dir / "elsewhere").c_str(), 1);
  EXPECT_TRUE(SHGetSpecialFolderPathW(nullptr, path, CSIDL_PERSONAL, FALSE));  // back to Documents
  EXPECT_EQ(std::wstring(path), base + L"/Documents");
  EXPECT_FALSE(SHGetSpecialFolderPathW(nullptr, path, 0x7777, TRUE));
}

}  // namespace

// Every wide path reaches the operating system through one conversion: UTF-8, with the
// backslashes of paths made on Windows turned into '/', and the case kept as stored.
TEST(NativePathConversion, TurnsWidePathsIntoUtf8WithForwardSlashes) {
  struct Case {
    const wchar_t* wide;
    const char* native;
  } const cases[] = {
      {L"", ""},
      {L"/home/u/a b.lfw", "/home/u/a b.lfw"},
      {L"C:\\Users\\u\\Pictures\\P.JPG", "C:/Users/u/Pictures/P.JPG"},
      {L"folder\\sub/Mixed\\\\x", "folder/sub/Mixed//x"},
      {L"/tmp/\u00C9t\u00E9/\u4E2D.png", "/tmp/\xC3\x89t\xC3\xA9/\xE4\xB8\xAD.png"},
      {L"/tmp/\U0001F600", "/tmp/\xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(lw::NativePath(c.wide), c.native) << c.native;
}
