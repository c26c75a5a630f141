// The page-number edits' character filters and the page number read from a text.
#include <gtest/gtest.h>

#include "PageNumberEdits.h"

namespace {

TEST(PageNumberEdits, CharacterFilters) {
  const struct {
    UINT ch;
    ePageKey range, digitsOnly;
  } cases[] = {
      {L'0', ePageKey::Pass, ePageKey::Pass},     {L'9', ePageKey::Pass, ePageKey::Pass},
      {8, ePageKey::Pass, ePageKey::Pass},        {13, ePageKey::Enter, ePageKey::Enter},
      {10, ePageKey::Enter, ePageKey::Enter},     {L' ', ePageKey::Pass, ePageKey::Refuse},
      {L',', ePageKey::Pass, ePageKey::Refuse},   {L'-', ePageKey::Pass, ePageKey::Refuse},
      // The codes of the arrow and Delete keys, typed as characters, are not page text.
      {37, ePageKey::Refuse, ePageKey::Refuse},   {39, ePageKey::Refuse, ePageKey::Refuse},
      {46, ePageKey::Refuse, ePageKey::Refuse},   {L'a', ePageKey::Refuse, ePageKey::Refuse},
      {0x0663, ePageKey::Refuse, ePageKey::Refuse},  // an Arabic-Indic digit
      {0, ePageKey::Refuse, ePageKey::Refuse},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PageEditCharVerdict(c.ch, true), c.range) << c.ch;
    EXPECT_EQ(PageEditCharVerdict(c.ch, false), c.digitsOnly) << c.ch;
  }
}

TEST(PageNumberEdits, ParsePageNumber) {
  const struct {
    const wchar_t* text;
    long n;
  } cases[] = {
      {L"12 / 30", 12},  {L"-3", -3},     {L"+5", 5},          {L"1,234", 1234},      {L"abc", 0},
      {L"", 0},          {L"7x9", 7},     {L"--4", 0},         {L"4294967298", 1000000000},
      {L"99999999999999999999999", 1000000000},                {L"-99999999999", -1000000000},
      {nullptr, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(ParsePageNumber(c.text), c.n) << (c.text ? c.text : L"(null)");
}

}  // namespace
