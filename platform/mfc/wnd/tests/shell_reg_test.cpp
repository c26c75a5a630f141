// The shell's file types: a desktop entry and a MIME type in the user's data folder, written
// once and left alone when nothing changed, with or without the desktop's database tools.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <afxwin.h>

#include "ReplaceKill.h"
#include "TestSupport.h"

namespace {

class CRegDoc : public CDocument {
  DECLARE_DYNCREATE(CRegDoc)
};
IMPLEMENT_DYNCREATE(CRegDoc, CDocument)

std::string Text(const std::filesystem::path& p) {
  const std::vector<uint8_t> bytes = lwtest::ReadFileBytes(p);
  return std::string(bytes.begin(), bytes.end());
}

std::string ProgramName() {
  const std::string exe = std::filesystem::read_symlink("/proc/self/exe").filename().string();
  std::string out;
  for (char c : exe.substr(0, exe.find('.'))) out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return out;
}

class ShellRegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* path = std::getenv("PATH");
    savedPath = path ? path : "";
    setenv("XDG_DATA_HOME", data.path().c_str(), 1);
    app = new CWinApp(L"Reg Test");
  }
  void TearDown() override {
    setenv("PATH", savedPath.c_str(), 1);
    unsetenv("XDG_DATA_HOME");
    delete app;
  }
  CSingleDocTemplate* AddTemplate(const wchar_t* strings) {
    auto* t = new CSingleDocTemplate(128, RUNTIME_CLASS(CRegDoc), nullptr, nullptr);
    t->m_strDocStrings = strings;
    app->AddDocTemplate(t);
    return t;
  }
  std::filesystem::path DesktopFile() const { return data.path() / "applications" / (ProgramName() + ".desktop"); }
  std::filesystem::path MimeFile() const { return data.path() / "mime" / "packages" / (ProgramName() + ".xml"); }
  lwtest::TempDir data;
  lwtest::TempDir emptyBin;
  std::string savedPath;
  CWinApp* app = nullptr;
};

TEST_F(ShellRegTest, WritesTheEntryAndTheTypeOnceWithOrWithoutTheTools) {
  AddTemplate(L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\nQor_LEAFWRIGHT.Document\n"
              L"Norvane_LEAFWRIGHT.Document");
  for (bool tools : {false, true}) {
    std::filesystem::remove_all(data.path() / "applications");
    std::filesystem::remove_all(data.path() / "mime");
    setenv("PATH", tools ? savedPath.c_str() : emptyBin.path().c_str(), 1);  // no tool is found
    app->EnableShellOpen();
    app->RegisterShellFileTypes(TRUE);
    const std::string desktop = Text(DesktopFile());
    const std::string xml = Text(MimeFile());
    const std::string mime = "application/x-" + ProgramName();
    EXPECT_NE(desktop.find("[Desktop Entry]\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("Name=Norvane Leafwright\n"), std::string::npos) << desktop;
    EXPECT_NE(desktop.find("MimeType=" + mime + ";\n"), std::string::npos) << desktop;
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    EXPECT_NE(desktop.find("Exec=\"" + exe + "\" %f\n"), std::string::npos) << desktop;
    EXPECT_NE(xml.find("<mime-type type=\"" + mime + "\">"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<glob pattern=\"*.lfw\"/>"), std::string::npos) << xml;
    EXPECT_NE(xml.find("<comment>Norvane Leafwright Files</comment>"), std::string::npos) << xml;

    // Again: the same files, not even rewritten.
    struct stat before[2], after[2];
    ASSERT_EQ(::stat(DesktopFile().c_str(), &before[0]), 0);
    ASSERT_EQ(::stat(MimeFile().c_str(), &before[1]), 0);
    app->RegisterShellFileTypes(TRUE);
    ASSERT_EQ(::stat(DesktopFile().c_str(), &after[0]), 0);
    ASSERT_EQ(::stat(MimeFile().c_str(), &after[1]), 0);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(before[i].st_ino, after[i].st_ino) << tools;
      EXPECT_EQ(before[i].st_mtim.tv_nsec, after[i].st_mtim.tv_nsec) << tools;
    }
    EXPECT_EQ(Text(DesktopFile()), desktop);
    EXPECT_EQ(Text(MimeFile()), xml);
  }
}

TEST_F(ShellRegTest, AStaleEntryIsReplacedAndTemplatesWithoutAnExtensionAreLeftOut) {
  AddTemplate(L"Other\n\n\n\n\n\n");  // no filter extension
  app->RegisterShellFileTypes();
  EXPECT_FALSE(std::filesystem::exists(DesktopFile()));
  EXPECT_FALSE(std::filesystem::exists(MimeFile()));

  AddTemplate(L"Pages & Books\n\n\nPage <Files> (*.lfd)\n.lfd;.LFX\n\n");
  std::filesystem::create_directories(DesktopFile().parent_path());
  lwtest::WriteFileBytes(DesktopFile(), {'o', 'l', 'd'});
  app->RegisterShellFileTypes();
  const std::string desktop = Text(DesktopFile());
  const std::string xml = Text(MimeFile());
  EXPECT_NE(desktop.find("Name=Pages & Books\n"), std::string::npos) << desktop;
  EXPECT_NE(xml.find("<comment>Page &lt;Files&gt;</comment>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<glob pattern=\"*.lfd\"/>"), std::string::npos) << xml;
  EXPECT_NE(xml.find("<glob pattern=\"*.lfx\"/>"), std::string::npos) << xml;
}

// The entry and the type are replaced whole: a registration killed before a rename leaves the old
// file, after it the new one; an entry kept as a link (with the user's other settings) stays a
// link to the file that is updated.
TEST_F(ShellRegTest, RegistrationReplacesFilesSafelyThroughLinks) {
  AddTemplate(L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\n\n");
  setenv("PATH", emptyBin.path().c_str(), 1);
  const std::filesystem::path kept = data.path() / "dotfiles" / "entry.desktop";
  std::filesystem::create_directories(kept.parent_path());
  std::filesystem::create_directories(DesktopFile().parent_path());
  std::filesystem::create_directories(MimeFile().parent_path());
  lwtest::WriteFileBytes(kept, {'o', 'l', 'd'});
  std::filesystem::create_symlink(kept, DesktopFile());
  lwtest::WriteFileBytes(MimeFile(), {'o', 'l', 'd'});

  // The type is written first, then the entry.
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kSynced, [&] { app->RegisterShellFileTypes(TRUE); }));
  EXPECT_EQ(Text(MimeFile()), "old");
  EXPECT_EQ(Text(kept), "old");
  EXPECT_TRUE(lwtest::SaveKilledAt(lw::ReplaceStep::kRenamed, [&] { app->RegisterShellFileTypes(TRUE); }));
  EXPECT_NE(Text(MimeFile()).find("</mime-info>\n"), std::string::npos);
  EXPECT_EQ(Text(kept), "old");

  app->RegisterShellFileTypes(TRUE);
  EXPECT_TRUE(std::filesystem::is_symlink(DesktopFile()));
  EXPECT_NE(Text(kept).find("[Desktop Entry]\n"), std::string::npos) << Text(kept);
  // One visible file in each folder (the killed runs left their hidden temporary files).
  for (const auto& folder : {DesktopFile().parent_path(), MimeFile().parent_path(), kept.parent_path()}) {
    int visible = 0;
    for (const auto& e : std::filesystem::directory_iterator(folder)) visible += e.path().filename().string()[0] != '.';
    EXPECT_EQ(visible, 1) << folder;
  }
}

}  // namespace
