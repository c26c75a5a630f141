#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include <lwini.h>
#include <lwstr.h>

#include "TestSupport.h"

namespace {

using lw::ini::Line;

// The one reading of an INI line that the Windows profile calls and the application profile
// share.
TEST(IniLine, KindsNamesAndValues) {
  struct Case {
    const wchar_t* line;
    Line::Kind kind;
    const wchar_t* name;
    const wchar_t* value;
    bool closed, hasEquals;
  } const cases[] = {
      {L"", Line::kBlank, L"", L"", false, false},
      {L" \t ", Line::kBlank, L"", L"", false, false},
      {L"; note=1", Line::kComment, L"", L"", false, false},
      {L"  ;x", Line::kComment, L"", L"", false, false},
      {L"[Recent File List]", Line::kSection, L"Recent File List", L"", true, false},
      {L" [ spaced ] trailing", Line::kSection, L"spaced", L"", true, false},
      {L"[broken", Line::kSection, L"broken", L"", false, false},
      {L"[]", Line::kSection, L"", L"", true, false},
      {L"File1 = /home/u/a b.lfw", Line::kEntry, L"File1", L"/home/u/a b.lfw", false, true},
      {L"k=a=b", Line::kEntry, L"k", L"a=b", false, true},
      {L"empty=", Line::kEntry, L"empty", L"", false, true},
      {L"=no key", Line::kEntry, L"", L"no key", false, true},
      {L"bare key", Line::kEntry, L"bare key", L"", false, false},
      {L"#k=v", Line::kEntry, L"#k", L"v", false, true},  // only ';' starts a comment
      {L"q=\"quoted\"", Line::kEntry, L"q", L"\"quoted\"", false, true},
  };
  for (const Case& c : cases) {
    const Line l = lw::ini::ParseLine(c.line);
    const std::string what = lw::WideToUtf8(c.line);
    EXPECT_EQ(l.kind, c.kind) << what;
    EXPECT_EQ(l.name, c.name) << what;
    EXPECT_EQ(l.value, c.value) << what;
    EXPECT_EQ(l.closed, c.closed) << what;
    EXPECT_EQ(l.hasEquals, c.hasEquals) << what;
  }
}

// The lines both profile readers cut a file into: the Windows profile calls keep a lone CR inside
// its line (and write back the first line end they saw), the application profile ends a line at
// any break.
TEST(IniText, SplitLines) {
  struct Case {
    const wchar_t* text;
    bool loneCrEndsLine;
    std::vector<std::wstring> lines;
    bool crlf;
  } const cases[] = {
      {L"", false, {}, false},
      {L"a\nb\n", false, {L"a", L"b"}, false},
      {L"a\r\nb", false, {L"a", L"b"}, true},
      {L"a\nb\r\n", false, {L"a", L"b"}, false},  // the first line end counts
      {L"\r\n\n", false, {L"", L""}, true},
      {L"a\rb\r\nc\r", false, {L"a\rb", L"c"}, true},
      {L"a\rb\r\nc\r", true, {L"a", L"b", L"c"}, false},
      {L"a\r\r\nb\n\rc", true, {L"a", L"", L"b", L"", L"c"}, false},
      {L"\r\n", true, {L""}, true},
  };
  for (const Case& c : cases) {
    const lw::ini::SplitText split = lw::ini::SplitLines(c.text, c.loneCrEndsLine);
    const std::string what = lw::WideToUtf8(c.text) + (c.loneCrEndsLine ? " (lone CR ends)" : "");
    EXPECT_EQ(std::vector<std::wstring>(split.lines.begin(), split.lines.end()), c.lines) << what;
    EXPECT_EQ(split.crlf, c.crlf) << what;
  }
}

TEST(IniText, LoadFileWithinItsLimit) {
  lwtest::TempDir dir;
  std::string bytes = "stale";
  bool missing = false;
  ASSERT_TRUE(lw::ini::LoadFile((dir / "none.ini").string(), 8, bytes, &missing));
  EXPECT_TRUE(missing);
  EXPECT_TRUE(bytes.empty());

  lwtest::WriteFileBytes(dir / "eight.ini", std::vector<uint8_t>(8, 'a'));
  ASSERT_TRUE(lw::ini::LoadFile((dir / "eight.ini").string(), 8, bytes, &missing));
  EXPECT_FALSE(missing);
  EXPECT_EQ(bytes, "aaaaaaaa");

  errno = 0;
  EXPECT_FALSE(lw::ini::LoadFile((dir / "eight.ini").string(), 7, bytes, &missing));
  EXPECT_EQ(errno, EFBIG);
  EXPECT_TRUE(bytes.empty());
  errno = 0;
  EXPECT_FALSE(lw::ini::LoadFile(dir.path().string(), 1 << 20, bytes, &missing));
  EXPECT_EQ(errno, EISDIR);
  EXPECT_FALSE(missing);
}

}  // namespace
