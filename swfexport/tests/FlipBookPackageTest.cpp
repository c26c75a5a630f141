// The flip-book package: folders and file names, the page list, the copied viewer files, page
// movies, progress, and the failures that must fail the export.
#include <gtest/gtest.h>

#include <cmath>
#include <cwctype>
#include <future>
#include <set>
#include <string>

#include <QorProgress.h>
#include <flarewing/FlipBook.h>
#include <flarewing/SwfExport.h>
#include <vectorloom/GroupObj.h>
#include <win32/lwstr.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

const std::set<std::string> kViewerFiles = [] {
  std::set<std::string> files = {"index.html",  "swf/Main.swf", "swf/Pages.swf", "txt/Lang.txt",
                                 "js/AC_RunActiveContent.js", "js/PopUpWin.js", "xml/Pages.xml"};
  files.insert(kStandInPlayerFiles.begin(), kStandInPlayerFiles.end());
  return files;
}();

std::set<std::string> PackageFiles(int pages) {
  std::set<std::string> files = kViewerFiles;
  for (int i = 1; i <= pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pages/page%03d.swf", i);
    files.insert(name);
  }
  return files;
}

// These packages carry a small stand-in for the player.
class FlipBookPackageTest : public ::testing::Test {
 protected:
  void SetUp() override { UseStandInPlayer(); }
};

// A progress that keeps the overall fraction of every report.
class RecordingProgress : public CQorCommonProgress {
 public:
  float SetProgress(float fraction) override {
    const float v = CQorCommonProgress::SetProgress(fraction);
    values.push_back(v);
    return v;
  }
  std::vector<float> values;
};

// Packages of 0 and 3 pages: exactly the viewer files and one movie a page, the page list byte
// for byte, the viewer files as the library carries them, and page movies at the document's size.
TEST_F(FlipBookPackageTest, PackageHoldsViewerFilesPageListAndOneMovieAPage) {
  for (int pages : {0, 3}) {
    SCOPED_TRACE(pages);
    TempDir out;
    CPublicationDoc doc;
    AddPages(doc, pages, 612.0f, 792.0f);
    ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
    EXPECT_EQ(FilesBelow(out.path()), PackageFiles(pages));
    EXPECT_TRUE(fs::is_directory(out.path() / "videos"));

    std::string xml =
        "<content width=\"612\" height=\"792\" bgcolor=\"cccccc\" loadercolor=\"ffffff\" panelcolor=\"5d5d61\" "
        "buttoncolor=\"5d5d61\" textcolor=\"ffffff\">\r\n";
    for (int i = 1; i <= pages; ++i) xml += "\t<page src=\"pages/page00" + std::to_string(i) + ".swf\"/>\r\n";
    xml += "</content>\r\n";
    EXPECT_EQ(ReadFile(out.path() / "xml/Pages.xml"), xml);

    const struct {
      const char* file;
      const char* type;
      int id;
    } copied[] = {{"swf/Main.swf", "SWF", 1001},          {"swf/Pages.swf", "SWF", 1002},
                  {"txt/Lang.txt", "TXT", 1003},          {"js/AC_RunActiveContent.js", "JSCRIPT", 1004},
                  {"js/PopUpWin.js", "JSCRIPT", 1005},    {"index.html", "TXT", 1008}};
    for (const auto& c : copied) {
      const std::string want = flip::FlipResourceText(c.type, c.id);
      EXPECT_FALSE(want.empty()) << c.file;
      EXPECT_EQ(ReadFile(out.path() / c.file), want) << c.file;
    }

    for (int i = 1; i <= pages; ++i) {
      swftest::Movie movie;
      std::string error;
      ASSERT_TRUE(swftest::ParseMovie(ReadBytes(out.path() / ("pages/page00" + std::to_string(i) + ".swf")), &movie,
                                      &error))
          << error;
      EXPECT_EQ(movie.version, 8);
      EXPECT_EQ(movie.frame.xmax, 612 * 20);
      EXPECT_EQ(movie.frame.ymax, 792 * 20);
      EXPECT_EQ(movie.rate, 20.0);
      std::string strings;
      ASSERT_TRUE(MovieStrings(ReadBytes(out.path() / ("pages/page00" + std::to_string(i) + ".swf")), &strings, &error))
          << error;
      EXPECT_NE(strings.find("ctrlVideoObjs"), std::string::npos);
      EXPECT_NE(strings.find("videoTotal"), std::string::npos);
    }
  }
}

// The page list's size is the document's in points, each rounded half up.
TEST(FlipBookPageList, SizeIsRoundedHalfUp) {
  const struct {
    float w, h;
    const char* want;
  } cases[] = {{595.3f, 841.9f, "width=\"595\" height=\"842\""},
               {612.5f, 791.49f, "width=\"613\" height=\"791\""},
               {0.4f, 1.0f, "width=\"0\" height=\"1\""}};
  for (const auto& c : cases) {
    EXPECT_NE(flip::PagesXmlText(0, c.w, c.h).find(c.want), std::string::npos) << c.want;
  }
  TempDir out;
  CPublicationDoc doc;
  AddPages(doc, 1, 595.3f, 841.9f);
  UseStandInPlayer();
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  EXPECT_NE(ReadFile(out.path() / "xml/Pages.xml").find("width=\"595\" height=\"842\""), std::string::npos);
}

// With or without a progress object, with or without a final '/', the same files; the progress
// rises to the whole of the caller's range and never goes back.
TEST_F(FlipBookPackageTest, ProgressAndFinalSeparatorChangeNothingAndProgressReachesTheEnd) {
  std::set<std::string> first;
  std::string firstXml;
  for (bool withProgress : {false, true}) {
    for (bool slash : {false, true}) {
      SCOPED_TRACE(std::to_string(withProgress) + std::to_string(slash));
      TempDir out;
      CPublicationDoc doc;
      AddPages(doc, 2);
      RecordingProgress progress;
      std::wstring folder = out.wstr() + (slash ? L"/" : L"");
      ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, folder.c_str(), withProgress ? &progress : nullptr));
      const auto files = FilesBelow(out.path());
      const std::string xml = ReadFile(out.path() / "xml/Pages.xml");
      if (first.empty()) {
        first = files;
        firstXml = xml;
      }
      EXPECT_EQ(files, first);
      EXPECT_EQ(xml, firstXml);
      if (withProgress) {
        ASSERT_FALSE(progress.values.empty());
        for (size_t i = 1; i < progress.values.size(); ++i) EXPECT_GE(progress.values[i], progress.values[i - 1] - 1e-6f);
        EXPECT_NEAR(progress.values.back(), 1.0f, 1e-5f);
      }
    }
  }
}

// A viewer file that cannot be written (its name is taken by a folder) fails the export.
// The book is built beside the output folder and replaces the old one whole: what stood where a
// book file goes (even a folder) is replaced, files of the user's own stay, nothing else is left.
TEST_F(FlipBookPackageTest, ANewBookReplacesTheOldOneWholeAndKeepsTheUsersFiles) {
  for (const std::string& blocked : kViewerFiles) {
    SCOPED_TRACE(blocked);
    TempDir out;
    const fs::path book = out.path() / "book";
    fs::create_directories(book / blocked);
    fs::create_directories(book / "pages");
    std::ofstream(book / "pages" / "page009.swf") << "old";  // an old book's page
    std::ofstream(book / "notes.txt") << "mine";
    CPublicationDoc doc;
    AddPages(doc, 1);
    ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, book.wstring().c_str(), nullptr));
    std::set<std::string> want = PackageFiles(1);
    want.insert("notes.txt");
    EXPECT_EQ(FilesBelow(book), want);
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1) << "nothing beside the book";
  }
}

// An output folder that does not exist: false, nothing written, the worker stopped.
TEST_F(FlipBookPackageTest, MissingOutputFolderFailsWithoutWriting) {
  TempDir out;
  CPublicationDoc doc;
  AddPages(doc, 2);
  const fs::path missing = out.path() / "missing";
  EXPECT_FALSE(SaveDocumentAsSWFFlipPages(&doc, missing.wstring().c_str(), nullptr));
  EXPECT_FALSE(fs::exists(missing));
  EXPECT_FALSE(SaveDocumentAsSWFFlipPages(&doc, L"", nullptr));
  EXPECT_FALSE(SaveDocumentAsSWFFlipPages(nullptr, out.wstr().c_str(), nullptr));
}

// The page step failing on page 5 of 10 fails the export and leaves the book that was there (or
// the empty folder) exactly as it was, with nothing beside it.
TEST_F(FlipBookPackageTest, PageFailureLeavesTheOldBookWhole) {
  TempDir out;
  const fs::path book = out.path() / "book";
  fs::create_directories(book);
  CPublicationDoc doc;
  AddPages(doc, 10);
  flip::FlipExportOptions options;
  options.writePage = [](flip::SwfExportContext& ctx, int index, const std::string& path) {
    return index != 4 && flip::WritePageMovie(ctx, index, path);
  };
  EXPECT_FALSE(flip::SaveFlipBook(&doc, book.wstring().c_str(), nullptr, options));
  EXPECT_TRUE(FilesBelow(out.path()).empty());
  EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1) << "nothing beside the book";

  CPublicationDoc old;
  AddPages(old, 3);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&old, book.wstring().c_str(), nullptr));
  const auto before = FilesBelow(book);
  const auto index = ReadBytes(book / "xml" / "Pages.xml");
  EXPECT_FALSE(flip::SaveFlipBook(&doc, book.wstring().c_str(), nullptr, options));
  EXPECT_EQ(FilesBelow(book), before);
  EXPECT_EQ(ReadBytes(book / "xml" / "Pages.xml"), index);
  EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1) << "nothing beside the book";
}

// Two video objects whose paths differ only in case are one clip: one job, one file, named by both
// page movies; the clip is read from the path as the document has it (the file system tells case).
TEST_F(FlipBookPackageTest, ClipsDifferingOnlyInCaseAreOneFileReadFromTheStoredPath) {
  TempDir out, clips;
  const fs::path clip = clips.path() / "My Clip.FLV";
  std::ofstream(clip, std::ios::binary) << "FLV\x01 not really a movie";
  CPublicationDoc doc;
  AddPages(doc, 2);
  AddVideo(doc.GetDrawingPage(0), clip.wstring());
  std::wstring other = clip.wstring();
  for (wchar_t& c : other) c = static_cast<wchar_t>(std::towlower(c));
  AddVideo(doc.GetDrawingPage(1), other);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  std::set<std::string> want = PackageFiles(2);
  want.insert("videos/videos001.flv");
  EXPECT_EQ(FilesBelow(out.path()), want);
  EXPECT_EQ(ReadFile(out.path() / "videos/videos001.flv"), ReadFile(clip));
  for (const char* page : {"pages/page001.swf", "pages/page002.swf"}) {
    std::string strings, error;
    ASSERT_TRUE(MovieStrings(ReadBytes(out.path() / page), &strings, &error)) << error;
    EXPECT_NE(strings.find("../videos/videos001.flv"), std::string::npos) << page;
    EXPECT_NE(strings.find("video1"), std::string::npos) << page;
  }
}

// A page that is not loaded is loaded for its movie and left unloaded again; a video inside a
// group gets a clip as a top-level one does.
TEST_F(FlipBookPackageTest, VideosInGroupsAreNumberedLikeTopLevelOnes) {
  TempDir out, clips;
  std::vector<std::wstring> paths;
  for (const char* name : {"a.flv", "b.flv", "c.flv"}) {
    std::ofstream(clips.path() / name) << name;
    paths.push_back((clips.path() / name).wstring());
  }
  CPublicationDoc doc;
  AddPages(doc, 1);
  CDrawingPage* page = doc.GetDrawingPage(0);
  AddVideo(page, paths[0]);
  auto* group = new Vectorloom::CRenderGroupObj;
  auto* inner = new Quirebook::CBaseVideoObj;
  inner->SetVideoFullPathName(paths[1]);
  inner->AddRef();
  group->AddChild(inner);
  inner->Release();
  group->AddRef();
  page->AddShapeObject(group);
  group->Release();
  AddVideo(page, paths[2], 300, 300);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  std::string strings, error;
  ASSERT_TRUE(MovieStrings(ReadBytes(out.path() / "pages/page001.swf"), &strings, &error)) << error;
  // Top-level clips are met first (collected before the pages), the grouped one last.
  EXPECT_EQ(ReadFile(out.path() / "videos/videos001.flv"), "a.flv");
  EXPECT_EQ(ReadFile(out.path() / "videos/videos002.flv"), "c.flv");
  EXPECT_EQ(ReadFile(out.path() / "videos/videos003.flv"), "b.flv");
  for (const char* s : {"video1", "video2", "video3", "../videos/videos003.flv"})
    EXPECT_NE(strings.find(std::string(s) + "\n"), std::string::npos) << s;
}

}  // namespace

namespace {

// The player the build installed (Ruffle's web build from the pinned npm lock file) is found
// beside the library with no setting, and every package carries it whole.
TEST(FlipBookRuntime, TheBuildsPinnedPlayerGoesIntoEveryPackage) {
  unsetenv("LEAFWRIGHT_RUFFLE_DIR");
  const fs::path npm = LW_PLAYER_NPM_DIR "/node_modules/@ruffle-rs/ruffle";
  const std::string lock = ReadFile(LW_PLAYER_SOURCE_DIR "/package-lock.json");
  const std::string installed = ReadFile(npm / "package.json");
  // The version the lock file pins is the one installed.
  const size_t at = lock.find("\"node_modules/@ruffle-rs/ruffle\": {");
  ASSERT_NE(at, std::string::npos);
  const size_t v = lock.find("\"version\": \"", at) + 12;
  const std::string version = lock.substr(v, lock.find('"', v) - v);
  EXPECT_NE(installed.find("\"version\":\"" + version + "\""), std::string::npos) << version;

  TempDir out;
  CPublicationDoc doc;
  AddPages(doc, 1);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  int scripts = 0, wasm = 0;
  for (const auto& e : fs::directory_iterator(npm)) {
    const std::string name = e.path().filename().string();
    const bool js = name.ends_with(".js"), module = name.ends_with(".wasm");
    if (!js && !module) continue;
    scripts += js, wasm += module;
    EXPECT_TRUE(ReadBytes(out.path() / "ruffle" / name) == ReadBytes(e.path())) << name;
  }
  EXPECT_GE(scripts, 2);
  EXPECT_GE(wasm, 1);
  UseStandInPlayer();
}

// The player goes into ruffle/ (scripts, WebAssembly and licences, not the rest), replacing
// whatever the old folder had there; without an installed player nothing is written and the reason names where
// it was looked for.
TEST(FlipBookRuntime, PlayerIsCopiedIntoThePackageAndAMissingOneFailsTheExport) {
  UseStandInPlayer();
  {
    TempDir out;
    CPublicationDoc doc;
    AddPages(doc, 1);
    ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
    EXPECT_EQ(ReadFile(out.path() / "ruffle/abc.wasm"), "abc.wasm");
    EXPECT_FALSE(fs::exists(out.path() / "ruffle/ruffle.js.map"));
    EXPECT_TRUE(FlipBookPlayerInstalled(nullptr));
  }
  {
    TempDir out;
    // A file where the player's folder goes belongs to the old book: the new book replaces it.
    std::ofstream(out.path() / "ruffle") << "a file where the folder goes";
    CPublicationDoc doc;
    AddPages(doc, 1);
    ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
    EXPECT_EQ(ReadFile(out.path() / "ruffle/abc.wasm"), "abc.wasm");
  }
  // A folder without the WebAssembly is no player either.
  TempDir scriptsOnly;
  std::ofstream(scriptsOnly.path() / "ruffle.js") << "ruffle.js";
  for (const std::string missing : {std::string("/nonexistent/ruffle"), scriptsOnly.str()}) {
    SCOPED_TRACE(missing);
    setenv("LEAFWRIGHT_RUFFLE_DIR", missing.c_str(), 1);
    TempDir out;
    CPublicationDoc doc;
    AddPages(doc, 2);
    EXPECT_FALSE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
    EXPECT_TRUE(FilesBelow(out.path()).empty());
    std::wstring why;
    EXPECT_FALSE(FlipBookPlayerInstalled(&why));
    EXPECT_EQ(why.rfind(L"The flip-book player (Ruffle) is missing", 0), 0u) << lw::WideToUtf8(why);
    EXPECT_NE(why.find(lw::Utf8ToWide(missing)), std::wstring::npos);
  }
  UseStandInPlayer();
}

}  // namespace

namespace {

// Gives each page it loads one video object of its clip.
class ClipSource : public IPageContentSource {
 public:
  explicit ClipSource(std::wstring clip) : clip_(std::move(clip)) {}
  bool LoadPageContent(CDrawingPage* page, int, CPublicationDoc*) override {
    ++loads;
    AddVideo(page, clip_);
    return true;
  }
  int GetPagesCount() override { return 1; }
  int loads = 0;

 private:
  std::wstring clip_;
};

// A page not loaded before the export is loaded for its movie, its clip is converted, and the
// page is left unloaded again; a page loaded before keeps its objects.
TEST_F(FlipBookPackageTest, PagesLoadedForTheExportAreUnloadedAgain) {
  TempDir out, clips;
  std::ofstream(clips.path() / "late.flv") << "late";
  std::ofstream(clips.path() / "early.flv") << "early";
  CPublicationDoc doc;
  AddPages(doc, 2);
  AddVideo(doc.GetDrawingPage(0), (clips.path() / "early.flv").wstring());
  CDrawingPage* lazy = doc.GetDrawingPage(1);
  lazy->SetPageContentLoaded(0);
  auto* source = new ClipSource((clips.path() / "late.flv").wstring());
  lazy->SetPageSourceContent(source);
  lazy->SetPageSourceIndex(0);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  EXPECT_EQ(source->loads, 1);
  EXPECT_FALSE(lazy->IsPageContentLoaded());
  EXPECT_EQ(lazy->GetRenderObjectList().GetCount(), 0);
  EXPECT_EQ(doc.GetDrawingPage(0)->GetRenderObjectList().GetCount(), 1);
  EXPECT_EQ(ReadFile(out.path() / "videos/videos001.flv"), "early");
  EXPECT_EQ(ReadFile(out.path() / "videos/videos002.flv"), "late");
}

}  // namespace
