#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

TEST(ClipboardFormats, NamesGetStableIdsInTheRegisteredRange) {
  const UINT a = RegisterClipboardFormatW(L"Test Format Alpha");
  const UINT b = RegisterClipboardFormatW(L"Test Format Beta");
  EXPECT_GE(a, 0xC000u);
  EXPECT_GE(b, 0xC000u);
  EXPECT_NE(a, b);
  // Same name, any case: the same id.
  EXPECT_EQ(RegisterClipboardFormatW(L"Test Format Alpha"), a);
  EXPECT_EQ(RegisterClipboardFormatW(L"TEST FORMAT ALPHA"), a);
  // A name that only starts like a registered one is a different format.
  EXPECT_NE(RegisterClipboardFormatW(L"Test Format Alpha 2"), a);

  wchar_t buf[64];
  ASSERT_EQ(GetClipboardFormatNameW(a, buf, 64), 17);
  EXPECT_EQ(std::wstring(buf), L"Test Format Alpha");
  // Cut to the room given, always terminated.
  ASSERT_EQ(GetClipboardFormatNameW(a, buf, 5), 4);
  EXPECT_EQ(std::wstring(buf), L"Test");
}

TEST(ClipboardFormats, BadArgumentsGiveZero) {
  wchar_t buf[8];
  const struct {
    const wchar_t* name;
  } bad[] = {{nullptr}, {L""}};
  for (const auto& c : bad) EXPECT_EQ(RegisterClipboardFormatW(c.name), 0u);
  EXPECT_EQ(GetClipboardFormatNameW(1, buf, 8), 0);          // a standard format has no name here
  EXPECT_EQ(GetClipboardFormatNameW(0xFFF0, buf, 8), 0);     // never registered
  const UINT id = RegisterClipboardFormatW(L"Test Format Gamma");
  EXPECT_EQ(GetClipboardFormatNameW(id, nullptr, 8), 0);
  EXPECT_EQ(GetClipboardFormatNameW(id, buf, 0), 0);
}

TEST(ClipboardFormats, ConcurrentRegistrationAgreesOnOneId) {
  std::vector<UINT> ids(8);
  std::vector<std::thread> threads;
  for (size_t i = 0; i < ids.size(); ++i)
    threads.emplace_back([&ids, i] { ids[i] = RegisterClipboardFormatW(L"Test Format Shared"); });
  for (auto& t : threads) t.join();
  for (UINT id : ids) EXPECT_EQ(id, ids[0]);
  EXPECT_NE(ids[0], 0u);
}
