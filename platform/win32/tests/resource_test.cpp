// The resource table: registration, lookup by number and by name, and the string table.
#include <gtest/gtest.h>

#include <windows.h>

namespace {

const char kBlob[] = "obj#2009 payload";
const wchar_t kHello[] = L"Hello, table";

TEST(Resources, FoundByTypeAndIdOrName) {
  ASSERT_TRUE(lw::RegisterResource(RT_RCDATA, MAKEINTRESOURCEW(4001), kBlob, sizeof kBlob - 1));
  ASSERT_TRUE(lw::RegisterResource(L"Stamp", L"SignHere", kBlob, 8));
  // The same (type, name) again is refused and the first registration stays.
  EXPECT_FALSE(lw::RegisterResource(RT_RCDATA, MAKEINTRESOURCEW(4001), kHello, 4));

  struct Case {
    LPCWSTR type, name;
    const void* data;
    DWORD size;
    DWORD error;  // when not found
  } cases[] = {
      {RT_RCDATA, MAKEINTRESOURCEW(4001), kBlob, sizeof kBlob - 1, 0},
      {L"STAMP", L"signhere", kBlob, 8, 0},  // string types and names ignore case
      {L"stamp", L"SIGNHERE", kBlob, 8, 0},
      {RT_RCDATA, MAKEINTRESOURCEW(4002), nullptr, 0, ERROR_RESOURCE_NAME_NOT_FOUND},
      {L"NOSUCHTYPE", MAKEINTRESOURCEW(4001), nullptr, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
      {RT_BITMAP, L"4001", nullptr, 0, ERROR_RESOURCE_TYPE_NOT_FOUND},
  };
  for (const Case& c : cases) {
    SetLastError(0);
    HRSRC h = FindResourceW(nullptr, c.name, c.type);
    if (!c.data) {
      EXPECT_EQ(h, nullptr);
      EXPECT_EQ(GetLastError(), c.error);
      continue;
    }
    ASSERT_NE(h, nullptr);
    EXPECT_EQ(LockResource(LoadResource(nullptr, h)), c.data);
    EXPECT_EQ(SizeofResource(nullptr, h), c.size);
  }
  // A number name is not the same as a string name with the same digits.
  EXPECT_EQ(FindResourceW(nullptr, L"4001", RT_RCDATA), nullptr);
}

TEST(Resources, StringTableCopiesWithTruncation) {
  const lw::StringTableEntry table[] = {{4101, kHello}, {4102, L""}, {4101, L"duplicate"}};
  EXPECT_EQ(lw::RegisterStringTable(table, 3), 2);

  wchar_t buf[64];
  EXPECT_EQ(LoadStringW(nullptr, 4101, buf, 64), 12);
  EXPECT_STREQ(buf, kHello);
  EXPECT_EQ(LoadStringW(nullptr, 4101, buf, 6), 5);  // cut, always terminated
  EXPECT_STREQ(buf, L"Hello");
  buf[0] = L'x';
  EXPECT_EQ(LoadStringW(nullptr, 4101, buf, 1), 0);
  EXPECT_EQ(buf[0], L'\0');
  EXPECT_EQ(LoadStringW(nullptr, 4103, buf, 64), 0);  // missing
  EXPECT_EQ(LoadStringW(nullptr, 4102, buf, 64), 0);  // empty
  // A zero-length buffer asks for a pointer to the text itself.
  const wchar_t* p = nullptr;
  EXPECT_EQ(LoadStringW(nullptr, 4101, reinterpret_cast<LPWSTR>(&p), 0), 12);
  EXPECT_EQ(p, kHello);
}

}  // namespace
