// The exported folder helpers: a tree with files, folders, deep paths and links.
#include <gtest/gtest.h>

#include <string>

#include <flarewing/SwfExport.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;

// bFolderHasFiles looks at any depth, counts a link as an entry and never follows it.
TEST(FolderHelpers, HasFilesLooksAtAnyDepth) {
  TempDir t;
  const fs::path root = t.path() / "root";
  fs::create_directories(root / "a" / "b");
  EXPECT_FALSE(bFolderHasFiles(root.wstring().c_str()));
  std::ofstream(root / "a" / "b" / "f.txt") << "x";
  EXPECT_TRUE(bFolderHasFiles(root.wstring().c_str()));
  EXPECT_FALSE(bFolderHasFiles((t.path() / "missing").wstring().c_str()));
  EXPECT_FALSE(bFolderHasFiles(nullptr));
}

// bRemoveAllFiles removes links, not what they point to; paths far longer than 256 characters are
// removed whole; with removeFolder the tree goes, without it the folders stay.
TEST(FolderHelpers, RemoveAllFilesStaysInsideTheTree) {
  for (bool removeFolder : {false, true}) {
    SCOPED_TRACE(removeFolder);
    TempDir t;
    const fs::path root = t.path() / "root";
    const fs::path outside = t.path() / "outside";
    fs::create_directories(outside / "inner");
    std::ofstream(outside / "keep.txt") << "keep";
    std::ofstream(outside / "inner" / "keep2.txt") << "keep";
    fs::path deep = root;
    for (int i = 0; i < 12; ++i) deep /= std::string(40, static_cast<char>('a' + i));
    fs::create_directories(deep);
    ASSERT_GT(deep.string().size(), 500u);
    std::ofstream(deep / "deep.txt") << "x";
    std::ofstream(root / "top.txt") << "x";
    fs::create_directory_symlink(outside, root / "link-to-outside");
    fs::create_symlink(outside / "keep.txt", root / "link-to-file");

    EXPECT_TRUE(bRemoveAllFiles(root.wstring().c_str(), removeFolder));
    EXPECT_TRUE(fs::exists(outside / "keep.txt"));
    EXPECT_TRUE(fs::exists(outside / "inner" / "keep2.txt"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root / "link-to-outside")));
    EXPECT_FALSE(fs::exists(deep / "deep.txt"));
    EXPECT_EQ(fs::exists(root), !removeFolder);
    if (!removeFolder) {
      EXPECT_TRUE(fs::is_directory(deep));
      EXPECT_FALSE(bFolderHasFiles(root.wstring().c_str()));
    }
  }
  EXPECT_TRUE(bRemoveAllFiles(L"/nonexistent/flipbook/folder", true));
}

}  // namespace
