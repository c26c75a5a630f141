#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "lwstr.h"
#include "windows.h"

namespace {

std::wstring W(const std::filesystem::path& p) { return lw::Utf8ToWide(p.string()); }

std::string ReadText(const std::filesystem::path& p) {
  auto bytes = lwtest::ReadFileBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

void WriteText(const std::filesystem::path& p, const std::string& text) {
  lwtest::WriteFileBytes(p, std::vector<uint8_t>(text.begin(), text.end()));
}

std::wstring Get(const wchar_t* section, const wchar_t* key, const std::wstring& file, const wchar_t* def = L"dflt") {
  wchar_t buf[256];
  DWORD n = GetPrivateProfileStringW(section, key, def, buf, 256, file.c_str());
  EXPECT_EQ(n, wcslen(buf));
  return buf;
}

// A double-terminated list as a vector of its strings.
std::vector<std::wstring> List(const wchar_t* buf) {
  std::vector<std::wstring> out;
  for (const wchar_t* p = buf; *p; p += wcslen(p) + 1) out.emplace_back(p);
  return out;
}

TEST(Profile, WriteThenReadBack) {
  lwtest::TempDir dir;
  const std::wstring ini = W(dir / "settings.ini");
  EXPECT_EQ(Get(L"debug", L"filter_level", ini), L"dflt");  // no file yet
  ASSERT_TRUE(WritePrivateProfileStringW(L"debug", L"filter_level", L"4", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"debug", L"filter_target", L"0", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"other", L"name", L"  spaced value  ", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"DEBUG", L"FILTER_LEVEL", L"3", ini.c_str()));  // same key

  EXPECT_EQ(ReadText(dir / "settings.ini"), "[debug]\nfilter_level=3\nfilter_target=0\n[other]\nname=  spaced value  \n");
  EXPECT_EQ(Get(L"Debug", L"Filter_Level", ini), L"3");
  EXPECT_EQ(Get(L"other", L"name", ini), L"spaced value");
  EXPECT_EQ(Get(L"debug", L"missing", ini), L"dflt");
  EXPECT_EQ(Get(L"missing", L"filter_level", ini), L"dflt");
  EXPECT_EQ(Get(L"debug", L"missing", ini, L"with blanks   "), L"with blanks");
  EXPECT_EQ(Get(L"debug", L"missing", ini, nullptr), L"");
  EXPECT_EQ(GetPrivateProfileIntW(L"debug", L"filter_level", 9, ini.c_str()), 3u);
  EXPECT_EQ(GetPrivateProfileIntW(L"debug", L"missing", 9, ini.c_str()), 9u);

  // The renderer's first start: the section is written empty, then filled.
  const std::wstring second = W(dir / "second.ini");
  ASSERT_TRUE(WritePrivateProfileSectionW(L"debug", L"\0", second.c_str()));
  EXPECT_EQ(ReadText(dir / "second.ini"), "[debug]\n");
  ASSERT_TRUE(WritePrivateProfileSectionW(L"debug", L"a=1\0b = 2\0", second.c_str()));
  wchar_t buf[64];
  EXPECT_EQ(GetPrivateProfileSectionW(L"debug", buf, 64, second.c_str()), 8u);
  EXPECT_EQ(List(buf), (std::vector<std::wstring>{L"a=1", L"b=2"}));
  EXPECT_EQ(GetPrivateProfileSectionW(L"none", buf, 64, second.c_str()), 0u);
}

TEST(Profile, RewriteKeepsCommentsAndOrder) {
  lwtest::TempDir dir;
  const auto path = dir / "keep.ini";
  WriteText(path,
            "; leading comment\r\n"
            "[First]\r\n"
            "alpha = one ; not a comment\r\n"
            "; inside comment\r\n"
            "beta=\"quoted\"\r\n"
            "\r\n"
            "[Second]\r\n"
            "gamma=3\r\n");
  const std::wstring ini = W(path);
  EXPECT_EQ(Get(L"first", L"ALPHA", ini), L"one ; not a comment");
  EXPECT_EQ(Get(L"first", L"beta", ini), L"quoted");
  EXPECT_EQ(Get(L"first", L"; inside comment", ini), L"dflt");

  ASSERT_TRUE(WritePrivateProfileStringW(L"first", L"delta", L"4", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"second", L"gamma", L"30", ini.c_str()));
  ASSERT_TRUE(WritePrivateProfileStringW(L"first", L"BETA", nullptr, ini.c_str()));  // delete a key
  EXPECT_EQ(ReadText(path),
            "; leading comment\r\n"
            "[First]\r\n"
            "alpha = one ; not a comment\r\n"
            "; inside comment\r\n"
            "delta=4\r\n"
            "\r\n"
            "[Second]\r\n"
            "gamma=30\r\n");

  ASSERT_TRUE(WritePrivateProfileStringW(L"FIRST", nullptr, nullptr, ini.c_str()));  // delete a section
  EXPECT_EQ(ReadText(path), "; leading comment\r\n[Second]\r\ngamma=30\r\n");
  EXPECT_EQ(Get(L"first", L"alpha", ini), L"dflt");

  // Deleting what is not there changes nothing and makes no file.
  EXPECT_TRUE(WritePrivateProfileStringW(L"none", nullptr, nullptr, ini.c_str()));
  EXPECT_TRUE(WritePrivateProfileStringW(L"x", L"y", nullptr, W(dir / "absent.ini").c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir / "absent.ini"));
  EXPECT_EQ(ReadText(path), "; leading comment\r\n[Second]\r\ngamma=30\r\n");
}

TEST(Profile, ListsAndTruncation) {
  lwtest::TempDir dir;
  const auto path = dir / "list.ini";
  WriteText(path, "[one]\nk1=v1\nkey2=value2\n[two]\n[three]\nx=1\n");
  const std::wstring ini = W(path);
  wchar_t buf[64];

  EXPECT_EQ(GetPrivateProfileStringW(nullptr, nullptr, L"", buf, 64, ini.c_str()), 14u);
  EXPECT_EQ(List(buf), (std::vector<std::wstring>{L"one", L"two", L"three"}));
  EXPECT_EQ(GetPrivateProfileStringW(L"ONE", nullptr, L"", buf, 64, ini.c_str()), 8u);
  EXPECT_EQ(List(buf), (std::vector<std::wstring>{L"k1", L"key2"}));

  // A list that does not fit: cut, doubly terminated, size - 2.
  EXPECT_EQ(GetPrivateProfileStringW(L"one", nullptr, L"", buf, 6, ini.c_str()), 4u);
  EXPECT_EQ(List(buf), (std::vector<std::wstring>{L"k1", L"k"}));
  EXPECT_EQ(buf[4], 0);
  EXPECT_EQ(buf[5], 0);

  // A value that does not fit: size - 1 characters and a terminator.
  EXPECT_EQ(GetPrivateProfileStringW(L"one", L"key2", L"", buf, 4, ini.c_str()), 3u);
  EXPECT_STREQ(buf, L"val");
  EXPECT_EQ(GetPrivateProfileStringW(L"one", L"missing", L"defaultvalue", buf, 5, ini.c_str()), 4u);
  EXPECT_STREQ(buf, L"defa");
}

TEST(Profile, Integers) {
  lwtest::TempDir dir;
  const auto path = dir / "int.ini";
  WriteText(path, "[n]\nplain=42\nspaced= 17 \nhex=0x1F\nneg=-5\nword=abc\ntail=12abc\nempty=\n");
  const std::wstring ini = W(path);
  struct Case {
    const wchar_t* key;
    UINT expected;
  } cases[] = {{L"plain", 42}, {L"spaced", 17}, {L"hex", 31}, {L"neg", 0},      {L"word", 0},
               {L"tail", 12},  {L"empty", 77}, {L"none", 77}};
  for (const auto& c : cases) EXPECT_EQ(GetPrivateProfileIntW(L"n", c.key, 77, ini.c_str()), c.expected) << lw::WideToUtf8(c.key);
}

TEST(Profile, FileFormsAndRefusedInput) {
  lwtest::TempDir dir;
  // UTF-16LE with a byte-order mark, as Windows writes it.
  std::vector<uint8_t> utf16 = {0xFF, 0xFE};
  for (char16_t c : std::u16string(u"[s]\r\nname=\u00C9t\u00E9\r\n")) {
    utf16.push_back(static_cast<uint8_t>(c & 0xFF));
    utf16.push_back(static_cast<uint8_t>(c >> 8));
  }
  lwtest::WriteFileBytes(dir / "wide.ini", utf16);
  EXPECT_EQ(Get(L"S", L"NAME", W(dir / "wide.ini")), L"\u00C9t\u00E9");
  // Section names match without case beyond ASCII too.
  WriteText(dir / "utf8.ini", "\xEF\xBB\xBF[\xC3\x89t\xC3\xA9]\nk=v\n");
  EXPECT_EQ(Get(L"\u00E9T\u00C9", L"k", W(dir / "utf8.ini")), L"v");

  // A stored path with backslashes reaches the same file.
  std::wstring backslashed = W(dir.path()) + L"\\utf8.ini";
  EXPECT_EQ(Get(L"\u00E9t\u00E9", L"k", backslashed), L"v");

  const std::wstring ini = W(dir / "refuse.ini");
  EXPECT_FALSE(WritePrivateProfileStringW(L"s", L"k", L"two\nlines", ini.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringW(L"s", L"k=x", L"v", ini.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringW(L"s]", L"k", L"v", ini.c_str()));
  EXPECT_FALSE(std::filesystem::exists(dir / "refuse.ini"));

  EXPECT_FALSE(WritePrivateProfileStringW(L"s", L"k", L"v", W(dir / "no" / "such.ini").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

  // Only the INI file is left in the folder: no temporary file survives a write.
  ASSERT_TRUE(WritePrivateProfileStringW(L"s", L"k", L"v", ini.c_str()));
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) files += e.path().filename() != "wide.ini" && e.path().filename() != "utf8.ini";
  EXPECT_EQ(files, 1u);
}

}  // namespace

// A file whose text starts with U+FEFF behind its byte-order mark: a rewrite must keep that
// character as text, or the reread takes the line for another one (here a section header "[").
TEST(Profile, TextStartingWithAByteOrderMarkCharacterSurvivesARewrite) {
  lwtest::TempDir dir;
  const std::filesystem::path path = dir / "bom.ini";
  WriteText(path, "\xEF\xBB\xBF\xEF\xBB\xBF[");
  const std::wstring file = lw::Utf8ToWide(path.string());
  ASSERT_TRUE(WritePrivateProfileStringW(L"", L"fuzz", L"value", file.c_str()));
  wchar_t out[16];
  EXPECT_EQ(GetPrivateProfileStringW(L"", L"fuzz", L"", out, 16, file.c_str()), 5u);
  EXPECT_EQ(std::wstring(out), L"value");
}

// Carriage returns left at the end of a line (a file cut after "\r\r", or a lone "\r" before
// "\n") are line-end debris: a name that ends in them is the same name once the file is
// rewritten, so a key written into that section is read back from it.
TEST(Profile, StrayCarriageReturnsAtLineEndsSurviveARewrite) {
  const struct {
    const char* text;
    const wchar_t* section;
  } cases[] = {{"[a\r\r", L"a"}, {"[b\r\r\nk=1\n", L"b"}, {"[c]\r\r\n", L"c"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    lwtest::TempDir dir;
    const std::filesystem::path path = dir / "cr.ini";
    WriteText(path, c.text);
    const std::wstring file = lw::Utf8ToWide(path.string());
    ASSERT_TRUE(WritePrivateProfileStringW(c.section, L"fuzz", L"value", file.c_str()));
    EXPECT_EQ(Get(c.section, L"fuzz", file), L"value");
    ASSERT_TRUE(WritePrivateProfileStringW(c.section, L"fuzz", L"again", file.c_str()));
    EXPECT_EQ(Get(c.section, L"fuzz", file), L"again");
  }
}
