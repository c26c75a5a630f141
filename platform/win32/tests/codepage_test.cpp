// WideCharToMultiByte / MultiByteToWideChar: the ANSI code page is UTF-8.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include <windows.h>

namespace {

TEST(CodePage, WideToBytesTakesTerminatorWithMinusOneAndSizesFirst) {
  const wchar_t* text = L"Gr\u00FC\u00DFe \u4E2D\U0001F600";
  const std::string want = "Gr\xC3\xBC\xC3\x9F" "e \xE4\xB8\xAD\xF0\x9F\x98\x80";
  for (UINT cp : {UINT(CP_ACP), UINT(CP_UTF8)}) {
    const int need = WideCharToMultiByte(cp, 0, text, -1, nullptr, 0, nullptr, nullptr);
    ASSERT_EQ(need, static_cast<int>(want.size()) + 1);
    std::string out(static_cast<size_t>(need), 'x');
    BOOL used = TRUE;
    ASSERT_EQ(WideCharToMultiByte(cp, 0, text, -1, out.data(), need, nullptr, &used), need);
    EXPECT_EQ(out, want + std::string(1, '\0'));
    EXPECT_FALSE(used);
  }
  // An explicit count converts exactly that many characters, without terminator.
  char two[8] = {};
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"\u00FCabc", 2, two, 8, nullptr, nullptr), 3);
  EXPECT_STREQ(two, "\xC3\xBC" "a");
}

TEST(CodePage, BytesToWideRoundTripsAndMendsBadSequences) {
  const char* utf8 = "C:/Fonts/\xE5\xAE\x8B\xE4\xBD\x93.ttf";
  const int need = MultiByteToWideChar(CP_ACP, 0, utf8, -1, nullptr, 0);
  ASSERT_EQ(need, 16);
  std::wstring wide(static_cast<size_t>(need), L'x');
  ASSERT_EQ(MultiByteToWideChar(CP_ACP, 0, utf8, -1, wide.data(), need), need);
  EXPECT_EQ(wide, std::wstring(L"C:/Fonts/\u5B8B\u4F53.ttf") + L'\0');
  char back[64];
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, back, 64, nullptr, nullptr), 20);
  EXPECT_STREQ(back, utf8);

  wchar_t bad[4] = {};
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "a\xFF", 2, bad, 4), 2);
  EXPECT_EQ(bad[0], L'a');
  EXPECT_EQ(bad[1], L'\uFFFD');
}

TEST(CodePage, RefusesBadArgumentsAndShortBuffers) {
  char small[2];
  SetLastError(0);
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"abc", -1, small, 2, nullptr, nullptr), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  wchar_t wsmall[1];
  EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "ab", 2, wsmall, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));

  struct Case {
    UINT cp;
    bool nullText;
    int count;
    int size;
  };
  const Case cases[] = {{1252, false, -1, 8}, {CP_ACP, true, -1, 8}, {CP_ACP, false, 0, 8}, {CP_ACP, false, -2, 8},
                        {CP_ACP, false, -1, -1}};
  for (const Case& c : cases) {
    char out[8];
    wchar_t wout[8];
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(c.cp, 0, c.nullText ? nullptr : L"ab", c.count, out, c.size, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(c.cp, 0, c.nullText ? nullptr : "ab", c.count, wout, c.size), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  // UTF-8 takes no default character.
  char out[8];
  EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, L"ab", -1, out, 8, "?", nullptr), 0);
}

}  // namespace
