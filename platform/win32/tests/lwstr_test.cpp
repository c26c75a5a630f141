#include <gtest/gtest.h>

#include <lwstr.h>

TEST(TextConversion, RoundTripsBmpAndSupplementaryText) {
  const std::wstring text = L"Caf\u00e9 \u4e2d\u6587 \U0001F600 end";
  const std::string utf8 = lw::WideToUtf8(text);
  EXPECT_EQ(utf8, "Caf\xc3\xa9 \xe4\xb8\xad\xe6\x96\x87 \xf0\x9f\x98\x80 end");
  EXPECT_EQ(lw::Utf8ToWide(utf8), text);
  const std::u16string utf16 = lw::WideToUtf16(text);
  EXPECT_EQ(utf16.size(), text.size() + 1);  // the emoji takes two units
  EXPECT_EQ(utf16[8], 0xD83D);
  EXPECT_EQ(utf16[9], 0xDE00);
  EXPECT_EQ(lw::Utf16ToWide(utf16), text);
  EXPECT_EQ(lw::Utf16ToUtf8(lw::Utf8ToUtf16(utf8)), utf8);
}

TEST(TextConversion, MalformedInputBecomesReplacementCharacter) {
  struct Case {
    std::string in;
    std::wstring out;
  } cases[] = {
      {"a\x80z", L"a\uFFFDz"},            // stray continuation byte
      {"a\xe4\xb8", L"a\uFFFD\uFFFD"},    // truncated sequence
      {"\xc0\xaf", L"\uFFFD\uFFFD"},      // overlong form
      {"\xed\xa0\x80", L"\uFFFD\uFFFD\uFFFD"},  // encoded surrogate
      {"\xf4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},  // above U+10FFFF
  };
  for (const auto& c : cases) EXPECT_EQ(lw::Utf8ToWide(c.in), c.out);
  EXPECT_EQ(lw::Utf16ToWide(u"x\xD800y"), L"x\uFFFDy");  // lone high surrogate
  EXPECT_EQ(lw::Utf16ToWide(u"\xDC00"), L"\uFFFD");      // lone low surrogate
  EXPECT_EQ(lw::WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), "\xef\xbf\xbd");
}

// File text as both INI readers take it: a byte-order mark decides between UTF-16LE and UTF-8.
TEST(TextConversion, DecodesFileTextByItsByteOrderMark) {
  struct Case {
    std::string bytes;
    std::wstring text;
  } const cases[] = {
      {"", L""},
      {"[s]\nk=\xC3\xA9", L"[s]\nk=\u00E9"},
      {"\xEF\xBB\xBF[s]", L"[s]"},                            // UTF-8 mark dropped
      {std::string("\xFF\xFE[\0s\0]\0", 8), L"[s]"},           // UTF-16LE
      {std::string("\xFF\xFE\xE9\0\x3D\xD8\0\xDE", 8), L"\u00E9\U0001F600"},  // surrogate pair
      {std::string("\xFF\xFEk\0=", 5), L"k"},                  // odd last byte
      {"\xFF", L"\uFFFD"},
  };
  for (const auto& c : cases) EXPECT_EQ(lw::DecodeText(c.bytes), c.text) << c.bytes.size();
}

// One case rule for every name compared without regard to case, whatever the process locale
// (the tests run in the "C" locale, where the C library lowers only A-Z).
TEST(CaseFolding, OneRuleBeyondAsciiAndOutsideTheBmp) {
  struct Case {
    wchar_t upper, lower;
  } cases[] = {
      {L'A', L'a'},           {L'a', L'a'},           {L'1', L'1'},           {L'\u00C9', L'\u00E9'},
      {L'\u00D7', L'\u00D7'}, {L'\u0130', L'i'},      {L'\u0178', L'\u00FF'}, {L'\u03A3', L'\u03C3'},
      {L'\u0401', L'\u0451'}, {L'\u1E9E', L'\u00DF'}, {L'\uFF21', L'\uFF41'}, {L'\u4E2D', L'\u4E2D'},
      {static_cast<wchar_t>(0x10400), static_cast<wchar_t>(0x10428)},  // Deseret, outside the BMP
      {static_cast<wchar_t>(0x1F600), static_cast<wchar_t>(0x1F600)},
  };
  for (const auto& c : cases) EXPECT_EQ(lw::ToLowerChar(c.upper), c.lower) << std::hex << static_cast<int>(c.upper);
  EXPECT_EQ(lw::ToUpperChar(L'\u00E9'), L'\u00C9');
  EXPECT_EQ(lw::ToUpperChar(L'\u00DF'), L'\u00DF');  // no single upper-case letter
  EXPECT_EQ(lw::ToUpperChar(static_cast<wchar_t>(0x10428)), static_cast<wchar_t>(0x10400));
  EXPECT_TRUE(lw::EqualNoCase(L"\u00C9t\u00E9 \U00010400", L"\u00E9T\u00C9 \U00010428"));
  EXPECT_FALSE(lw::EqualNoCase(L"abc", L"abcd"));
  EXPECT_FALSE(lw::EqualNoCase(L"abc", L"abd"));
  EXPECT_TRUE(lw::EqualNoCase(L"", L""));
}
