#include <gtest/gtest.h>

#include <lwini.h>
#include <lwstr.h>

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

}  // namespace
