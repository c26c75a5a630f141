#include <gtest/gtest.h>

#include "windows.h"

namespace {

TEST(Strings, TowlowerFollowsWindowsWhateverTheLocale) {
  struct Case {
    char16_t upper, lower;
  } cases[] = {
      {u'A', u'a'},          {u'Z', u'z'},          {u'a', u'a'},          {u'1', u'1'},
      {u'\u00C9', u'\u00E9'}, {u'\u00D7', u'\u00D7'}, {u'\u00DF', u'\u00DF'}, {u'\u0100', u'\u0101'},
      {u'\u0101', u'\u0101'}, {u'\u0130', u'i'},      {u'\u0178', u'\u00FF'}, {u'\u0391', u'\u03B1'},
      {u'\u03A3', u'\u03C3'}, {u'\u0410', u'\u0430'}, {u'\u0401', u'\u0451'}, {u'\u0531', u'\u0561'},
      {u'\u1E9E', u'\u00DF'}, {u'\u2160', u'\u2170'}, {u'\uFF21', u'\uFF41'}, {char16_t(0xD800), char16_t(0xD800)},
      {u'\u4E2D', u'\u4E2D'},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(towlower(c.upper), c.lower) << std::hex << static_cast<int>(c.upper);
    EXPECT_EQ(towlower(static_cast<wchar_t>(c.upper)), static_cast<wchar_t>(c.lower));
  }
  EXPECT_EQ(towlower(static_cast<wchar_t>(0x1F600)), static_cast<wchar_t>(0x1F600));
}

TEST(Strings, ClockCalls) {
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  EXPECT_GE(utc.wYear, 2024);
  EXPECT_TRUE(utc.wMonth >= 1 && utc.wMonth <= 12);
  EXPECT_LT(utc.wMilliseconds, 1000);
  DWORD a = GetTickCount();
  DWORD b = GetTickCount();
  EXPECT_LE(static_cast<DWORD>(b - a), 1000u);
}

}  // namespace
