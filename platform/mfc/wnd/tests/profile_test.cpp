// The profile's INI file: what is read, what is written, and files that are not read.
#include <gtest/gtest.h>

#include <string>

#include <filesystem>

#include "ReplaceKill.h"
#include "TestSupport.h"
#include "profile_file.h"

namespace {

using lwprofile::ProfileFile;

TEST(ProfileFile, ParsesSectionsAndEntriesLeniently) {
  const ProfileFile p = ProfileFile::Parse(
      "stray=before any section\n"
      "; comment\n"
      "[Recent File List]\r\n"
      "File1 = /home/u/a b.lfw\r\n"
      "File2=\n"
      "no equals sign\n"
      "=no key\n"
      "[broken\n"
      "[settings]\n"
      "Zoom=150\n"
      "[RECENT FILE LIST]\n"
      "file1=again\n"
      "Name=\xC3\xA9t\xC3\xA9\n"
      "Bad=\xFF\n"
      "[\xC3\x89t\xC3\xA9]\n"
      "K=v\n");
  struct Case {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* value;  // null: not there
  } const cases[] = {
      {L"Recent File List", L"File1", L"again"},  // sections and keys meet without regard to case
      {L"recent file list", L"FILE2", L""},
      {L"Recent File List", L"stray", nullptr},
      {L"Recent File List", L"no equals sign", nullptr},
      {L"Settings", L"Zoom", L"150"},
      {L"Recent File List", L"Name", L"\u00e9t\u00e9"},
      {L"Recent File List", L"Bad", L"\ufffd"},
      {L"\u00e9T\u00c9", L"k", L"v"},  // case beyond ASCII, whatever the process locale
  };
  for (const Case& c : cases) {
    const std::wstring* v = p.Find(c.section, c.key);
    if (!c.value) {
      EXPECT_EQ(v, nullptr) << c.key;
    } else {
      ASSERT_NE(v, nullptr) << c.key;
      EXPECT_EQ(*v, c.value) << c.key;
    }
  }
  EXPECT_EQ(p.Sections().size(), 3u);
}

// Files written on Windows: a UTF-8 byte-order mark does not hide the first section, and UTF-16LE
// with its mark reads as text.
TEST(ProfileFile, ReadsTextWithAByteOrderMark) {
  std::string utf16 = "\xFF\xFE";
  for (char16_t c : std::u16string(u"[Settings]\r\nZoom=150\r\n")) {
    utf16 += static_cast<char>(c & 0xFF);
    utf16 += static_cast<char>(c >> 8);
  }
  // Files saved with old Mac line ends: a lone CR ends a line too.
  for (const std::string& bytes :
       {std::string("\xEF\xBB\xBF[Settings]\nZoom=150\n"), utf16, std::string("[Settings]\rZoom=150\r")}) {
    const ProfileFile p = ProfileFile::Parse(bytes);
    const std::wstring* v = p.Find(L"settings", L"zoom");
    ASSERT_NE(v, nullptr) << bytes.size();
    EXPECT_EQ(*v, L"150");
  }
}

TEST(ProfileFile, WritesPlainNamesAndRoundTripsThroughDisk) {
  lwtest::TempDir dir;
  ProfileFile p;
  p.Set(L"Recent File List", L"File1", L"/x/one.lfw");
  p.Set(L"Recent File List", L"File2", L"two\nlines");
  p.Set(L"Settings", L"Zoom", L"150");
  p.Set(L"settings", L"ZOOM", L"200");  // the same entry
  p.Remove(L"Recent File List", L"File2");
  EXPECT_EQ(p.Serialize(), "[Recent File List]\nFile1=/x/one.lfw\n\n[Settings]\nZoom=200\n");
  p.Set(L"Recent File List", L"File2", L"two\nlines");
  const std::string path = (dir / "Norvane" / "App.ini").string();
  ASSERT_TRUE(lwprofile::Save(path, p));
  ProfileFile back;
  ASSERT_TRUE(lwprofile::Load(path, back));
  ASSERT_NE(back.Find(L"Recent File List", L"File2"), nullptr);
  EXPECT_EQ(*back.Find(L"Recent File List", L"File2"), L"two lines");  // a value stays one line
  EXPECT_EQ(back.Serialize(), p.Serialize());
  back.RemoveSection(L"SETTINGS");
  EXPECT_EQ(back.Find(L"Settings", L"Zoom"), nullptr);
}

TEST(ProfileFile, MissingFilesAreEmptyAndOversizedOnesAreNotRead) {
  lwtest::TempDir dir;
  ProfileFile p;
  EXPECT_TRUE(lwprofile::Load((dir / "none.ini").string(), p));
  EXPECT_TRUE(p.Sections().empty());
  lwtest::WriteFileBytes(dir / "big.ini", std::vector<uint8_t>(lwprofile::kMaxProfileBytes + 1, 'a'));
  EXPECT_FALSE(lwprofile::Load((dir / "big.ini").string(), p));
}

// Saving the profile never uses a name another instance may be writing at the same moment, goes
// through a link to the file it names, and leaves the old or the whole new file when killed.
TEST(ProfileFile, SaveReplacesSafely) {
  lwtest::TempDir dir;
  ProfileFile p;
  p.Set(L"Settings", L"Zoom", L"150");
  const std::string written = p.Serialize();
  std::filesystem::create_directory(dir / "dotfiles");
  lwtest::WriteFileBytes(dir / "dotfiles" / "App.ini", {'o', 'l', 'd'});
  std::filesystem::create_symlink("dotfiles/App.ini", dir / "App.ini");
  // Another instance's save in progress, under the name a fixed temporary name would take.
  lwtest::WriteFileBytes(dir / "App.ini.tmp", {'b', 'u', 's', 'y'});
  lwtest::WriteFileBytes(dir / "dotfiles" / "App.ini.tmp", {'b', 'u', 's', 'y'});
  const std::string path = (dir / "App.ini").string();

  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kSynced, [&] { lwprofile::Save(path, p); }));
  EXPECT_EQ(lwtest::ReadFileBytes(dir / "dotfiles" / "App.ini"), (std::vector<uint8_t>{'o', 'l', 'd'}));
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kRenamed, [&] { lwprofile::Save(path, p); }));
  EXPECT_EQ(lwtest::ReadFileBytes(dir / "dotfiles" / "App.ini"), std::vector<uint8_t>(written.begin(), written.end()));

  ASSERT_TRUE(lwprofile::Save(path, p));
  EXPECT_TRUE(std::filesystem::is_symlink(dir / "App.ini"));
  for (const auto& busy : {dir / "App.ini.tmp", dir / "dotfiles" / "App.ini.tmp"})
    EXPECT_EQ(lwtest::ReadFileBytes(busy), (std::vector<uint8_t>{'b', 'u', 's', 'y'})) << busy;
}

}  // namespace
