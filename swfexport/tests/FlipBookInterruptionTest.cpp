// A flip-book export that is killed or runs out of disk leaves the old book whole, and the next
// export clears away what a killed one left beside the book (and only that).
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <string>

#include <flarewing/FlipBook.h>
#include <flarewing/SwfExport.h>
#include <win32/lwreplace.h>
#include <win32/lwstr.h>

#include "FlipTestKit.h"
#include "SmallDisk.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

// The files of a book of `pages` pages.
std::set<std::string> BookFiles(int pages) {
  std::set<std::string> files = {"index.html",  "swf/Main.swf", "swf/Pages.swf", "txt/Lang.txt",
                                 "js/AC_RunActiveContent.js", "js/PopUpWin.js", "xml/Pages.xml"};
  files.insert(kStandInPlayerFiles.begin(), kStandInPlayerFiles.end());
  for (int i = 1; i <= pages; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "pages/page%03d.swf", i);
    files.insert(name);
  }
  return files;
}

// Every file below the folder with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const std::string& name : FilesBelow(root)) files[name] = ReadFile(root / name);
  return files;
}

// Names beside the book: everything in its parent folder but the book itself.
std::set<std::string> Beside(const fs::path& book) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(book.parent_path()))
    if (e.path() != book) names.insert(e.path().filename().string());
  return names;
}

// The steps of file replacements the export's child has gone through, and the one it dies at.
int g_step = 0;
int g_killAt = -1;

// Exports the document into `book` in a child process that kills itself at the given step of
// its file replacements (four a file: made, written, synced, renamed). True when it died there.
bool ExportKilledAt(CPublicationDoc& doc, const fs::path& book, int step) {
  const pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    g_step = 0;
    g_killAt = step;
    lw::SetReplaceStepHook([](lw::ReplaceStep) {
      if (g_step++ == g_killAt) raise(SIGKILL);
    });
    SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr);
    _exit(3);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
  }
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

class FlipBookInterruptionTest : public ::testing::Test {
 protected:
  void SetUp() override { UseStandInPlayer(); }
};

// Killed at the first page, in the middle of the pages, at a page movie's rename, in the page
// list, in the middle of writing index.html and after the last viewer file: each time the old book
// (with the user's own file) is byte for byte what it was, and beside it is only the hidden folder
// of the export just killed (each export cleared away what the one before it left, its
// half-written temporary files included, which never reach the book). The next export clears
// that one away too and replaces the book.
TEST_F(FlipBookInterruptionTest, AKilledExportLeavesTheOldBookWholeAndTheNextOneClearsUp) {
  constexpr int kOldPages = 3, kNewPages = 6, kViewerFiles = 7;
  const int kSteps = 4 * (kNewPages + kViewerFiles);
  TempDir out;
  const fs::path book = out.path() / "book";
  fs::create_directories(book);
  CPublicationDoc old;
  AddPages(old, kOldPages, 612.0f, 792.0f);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&old, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  std::ofstream(book / "notes.txt") << "the user's own";
  const auto before = Snapshot(book);
  ASSERT_EQ(before.size(), kOldPages + kViewerFiles + kStandInPlayerFiles.size() + 1);

  CPublicationDoc doc;
  AddPages(doc, kNewPages, 595.0f, 842.0f);
  const int steps[] = {0, 1, 4 * 2 + 1, 4 * 3 + 3, 4 * kNewPages, 4 * kNewPages + 4 * 3 + 2, kSteps - 1};
  std::set<std::string> last;
  for (int step : steps) {
    SCOPED_TRACE(step);
    ASSERT_TRUE(ExportKilledAt(doc, book, step)) << "the export ended before the step";
    EXPECT_EQ(Snapshot(book), before);
    // Only this export's folder: each one removed what the one killed before it had left.
    const std::set<std::string> left = Beside(book);
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left.begin()->rfind(".book.lwbook-", 0), 0u) << *left.begin();
    EXPECT_NE(left, last);
    last = left;
  }

  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  EXPECT_TRUE(Beside(book).empty());
  std::set<std::string> want = BookFiles(kNewPages);
  want.insert("notes.txt");
  EXPECT_EQ(FilesBelow(book), want);
  EXPECT_EQ(ReadFile(book / "notes.txt"), "the user's own");
  EXPECT_NE(ReadFile(book / "xml/Pages.xml").find("width=\"595\" height=\"842\""), std::string::npos);
}

// What the clean-up removes: hidden folders of this book's exports with our exact naming that no
// running export holds. A folder left between the swap and its removal holds the old book and the
// user's files that had not moved yet: those go into the new book. Folders of other books, other
// names, plain files and a folder a running export holds stay.
TEST_F(FlipBookInterruptionTest, OnlyFoldersOfKilledExportsOfThisBookAreRemoved) {
  TempDir out;
  const fs::path book = out.path() / "book";
  fs::create_directories(book);
  const auto folder = [&](const std::string& name) {
    fs::create_directories(out.path() / name / "pages");
    std::ofstream(out.path() / name / "pages" / "page001.swf") << "left over";
  };
  folder(".book.lwbook-0123456789abcdef");  // killed while building: removed
  folder(".book.lwbook-00000000000000aa");  // killed in the swap: removed, the user's file kept
  std::ofstream(out.path() / ".book.lwbook-00000000000000aa" / "photo.jpg") << "photo";
  std::ofstream(out.path() / ".book.lwbook-00000000000000aa" / "index.html") << "old viewer";
  folder(".other.lwbook-0123456789abcdef");     // another book's
  folder(".book.lwbook-0123456789ABCDEF");      // not our digits
  folder(".book.lwbook-0123456789abcde");       // too short
  folder(".book.lwbook-0123456789abcdef0");     // too long
  folder("book.lwbook-0123456789abcdef");       // not hidden
  folder(".book.lwsave-0123456789abcdef");      // something else
  std::ofstream(out.path() / ".book.lwbook-fedcba9876543210") << "a file, not a folder";
  folder(".book.lwbook-1111111111111111");      // held by an export still running
  const int running = open((out.path() / ".book.lwbook-1111111111111111").c_str(), O_RDONLY | O_DIRECTORY);
  ASSERT_GE(running, 0);
  ASSERT_EQ(flock(running, LOCK_EX), 0);

  CPublicationDoc doc;
  AddPages(doc, 1);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  close(running);
  const std::set<std::string> kept = {".other.lwbook-0123456789abcdef", ".book.lwbook-0123456789ABCDEF",
                                      ".book.lwbook-0123456789abcde",   ".book.lwbook-0123456789abcdef0",
                                      "book.lwbook-0123456789abcdef",   ".book.lwsave-0123456789abcdef",
                                      ".book.lwbook-fedcba9876543210",  ".book.lwbook-1111111111111111"};
  EXPECT_EQ(Beside(book), kept);
  for (const std::string& name : kept) {
    if (fs::is_directory(out.path() / name)) {
      EXPECT_EQ(ReadFile(out.path() / name / "pages" / "page001.swf"), "left over") << name;
    }
  }
  EXPECT_EQ(ReadFile(book / "photo.jpg"), "photo");
  EXPECT_EQ(ReadFile(book / "index.html"), flip::FlipResourceText("TXT", 1008));
}

// A book folder whose name is near the file system's limit gets a hidden folder of a shortened
// name (whole characters kept), and a killed export's one is cleared away like any other.
TEST_F(FlipBookInterruptionTest, BooksWithLongNamesAreBuiltBesideThemToo) {
  std::string name;
  for (int i = 0; i < 120; ++i) name += "\xC3\xA9";  // 240 bytes of "e acute"
  TempDir out;
  const fs::path book = out.path() / name;
  fs::create_directories(book);
  CPublicationDoc doc;
  AddPages(doc, 2);
  ASSERT_TRUE(ExportKilledAt(doc, book, 4));
  const std::set<std::string> left = Beside(book);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left.begin()->rfind("." + name.substr(0, 200) + ".lwbook-", 0), 0u);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  EXPECT_EQ(FilesBelow(book), BookFiles(2));
  EXPECT_TRUE(Beside(book).empty());
}

// On a disk without room for the new book the export fails with ENOSPC and leaves the old book
// as it was and nothing beside it: the disk has the room it had before. A killed export's folder
// does not keep the next export from the room it took.
TEST_F(FlipBookInterruptionTest, AFullDiskLeavesTheOldBookWhole) {
  lwtest::SmallDisk disk(4u << 20);
  if (!disk.ok()) GTEST_SKIP() << "no small disk on this machine: " << disk.why();
  const fs::path book = disk.path() / "book";
  fs::create_directories(book);
  CPublicationDoc old;
  AddPages(old, 2);
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&old, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  const auto before = Snapshot(book);
  ASSERT_TRUE(disk.LeaveFree(64u << 10));
  const uint64_t room = disk.Free();

  CPublicationDoc doc;
  AddPages(doc, 40);  // a file takes a block of its own: 40 pages need more than 64 KiB
  errno = 0;
  EXPECT_FALSE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr));
  EXPECT_EQ(errno, ENOSPC);
  EXPECT_EQ(Snapshot(book), before);
  EXPECT_EQ(Beside(book), std::set<std::string>{"filler"});
  EXPECT_EQ(disk.Free(), room);

  // The room the new book takes, measured on a book of its own.
  fs::remove(disk.path() / "filler");
  const fs::path probe = disk.path() / "probe";
  fs::create_directories(probe);
  const uint64_t empty = disk.Free();
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(probe.string()).c_str(), nullptr));
  const uint64_t need = empty - disk.Free();
  fs::remove_all(probe);

  // A killed export's folder holds room the next export needs: it is cleared away first, and the
  // same export then replaces the book.
  const uint64_t free = disk.Free();
  ASSERT_TRUE(ExportKilledAt(doc, book, 4 * 30));  // 30 of the 40 pages written
  ASSERT_EQ(Beside(book).size(), 1u);
  const uint64_t stale = free - disk.Free();
  ASSERT_GT(stale, need / 2);
  ASSERT_TRUE(disk.LeaveFree(need - stale / 2));
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, lw::Utf8ToWide(book.string()).c_str(), nullptr)) << strerror(errno);
  EXPECT_EQ(FilesBelow(book), BookFiles(40));
  EXPECT_EQ(Beside(book), std::set<std::string>{"filler"});
}

}  // namespace
