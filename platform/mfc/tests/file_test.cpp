#include <gtest/gtest.h>

#include <afx.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "TestSupport.h"

namespace {

CString Wide(const std::filesystem::path& p) { return CString::FromUtf8(p.string()); }

// Runs f, which must throw a CFileException*, and returns its cause.
template <class Fn>
int CauseOf(Fn f) {
  try {
    f();
  } catch (CFileException* e) {
    const int cause = e->m_cause;
    e->Delete();
    return cause;
  }
  return -1;
}

}  // namespace

TEST(CFileOpen, FailureFillsTheException) {
  lwtest::TempDir dir;
  const CString missing = Wide(dir / "missing.bin");
  CFile f;
  CFileException e;
  EXPECT_FALSE(f.Open(missing, CFile::modeRead, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);
  EXPECT_EQ(e.m_strFileName, missing);
  EXPECT_NE(e.m_lOsError, -1);
  EXPECT_NE(e.GetErrorMessage().Find(L"missing.bin"), -1);
  EXPECT_EQ(f.m_hFile, CFile::hFileNull);

  EXPECT_FALSE(f.Open(Wide(dir.path()), CFile::modeRead, &e));  // a folder is not a file
  EXPECT_EQ(e.m_cause, CFileException::accessDenied);
  EXPECT_FALSE(f.Open(Wide(dir / "no" / "such.bin"), CFile::modeCreate | CFile::modeWrite, &e));
  EXPECT_EQ(e.m_cause, CFileException::fileNotFound);

  EXPECT_EQ(CauseOf([&] { CFile g(missing, CFile::modeRead); }), CFileException::fileNotFound);
}

TEST(CFileReadWrite, ShortReadsSeeksAndLength) {
  lwtest::TempDir dir;
  // Backslashes are folder separators; names go to the system as UTF-8.
  const CString name = Wide(dir.path()) + L"\\na\u00efve \u4e2d\U0001F600.bin";
  {
    CFile f(name, CFile::modeCreate | CFile::modeReadWrite | CFile::typeBinary);
    f.Write("0123456789", 10);
    EXPECT_EQ(f.GetLength(), 10u);
    EXPECT_EQ(f.GetPosition(), 10u);
    EXPECT_EQ(f.GetFileName(), L"na\u00efve \u4e2d\U0001F600.bin");
    EXPECT_EQ(f.GetFileTitle(), L"na\u00efve \u4e2d\U0001F600");

    char buf[8] = {};
    f.SeekToBegin();
    EXPECT_EQ(f.Seek(6, CFile::begin), 6u);
    EXPECT_EQ(f.Read(buf, 8), 4u);  // short at the end
    EXPECT_EQ(std::string(buf, 4), "6789");
    EXPECT_EQ(f.Read(buf, 8), 0u);

    // Seek past the end, then write: the gap reads as zeros.
    EXPECT_EQ(f.Seek(4, CFile::end), 14u);
    f.Write("X", 1);
    EXPECT_EQ(f.GetLength(), 15u);
    EXPECT_EQ(f.Seek(-5, CFile::current), 10u);
    EXPECT_EQ(f.Read(buf, 8), 5u);
    EXPECT_EQ(std::string(buf, 5), std::string("\0\0\0\0X", 5));

    EXPECT_EQ(CauseOf([&] { f.Seek(-1, CFile::begin); }), CFileException::badSeek);
    f.SetLength(3);
    EXPECT_EQ(f.GetPosition(), 3u);
    f.Close();
    EXPECT_EQ(f.m_hFile, CFile::hFileNull);
  }
  EXPECT_TRUE(std::filesystem::exists(dir / "na\xc3\xafve \xe4\xb8\xad\xf0\x9f\x98\x80.bin"));
  CFileStatus st{};
  ASSERT_TRUE(CFile::GetStatus(name, st));
  EXPECT_EQ(st.m_size, 3u);
  EXPECT_FALSE(st.m_attribute & CFile::directory);
  EXPECT_FALSE(CFile::GetStatus(Wide(dir / "none"), st));

  // modeNoTruncate keeps the content; modeCreate alone empties the file.
  {
    CFile f(name, CFile::modeCreate | CFile::modeNoTruncate | CFile::modeWrite);
    EXPECT_EQ(f.GetLength(), 3u);
  }
  {
    CFile f(name, CFile::modeCreate | CFile::modeRead);
    EXPECT_EQ(f.GetLength(), 0u);
  }
}

TEST(CFileReadWrite, FailedWriteThrowsDiskFull) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  CFile f(L"/dev/full", CFile::modeWrite);
  EXPECT_EQ(CauseOf([&] { f.Write("abc", 3); }), CFileException::diskFull);
}

TEST(CFileSharing, DenyWriteKeepsWritersOut) {
  lwtest::TempDir dir;
  const CString name = Wide(dir / "shared.bin");
  { CFile f(name, CFile::modeCreate | CFile::modeWrite); }
  CFile reader(name, CFile::modeRead | CFile::shareDenyWrite);
  CFileException e;
  CFile other;
  EXPECT_TRUE(other.Open(name, CFile::modeRead | CFile::shareDenyWrite, &e));  // readers share
  other.Close();
  EXPECT_FALSE(other.Open(name, CFile::modeWrite | CFile::shareDenyNone, &e));
  EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
  EXPECT_FALSE(other.Open(name, CFile::modeCreate | CFile::modeWrite | CFile::shareExclusive, &e));
  reader.Close();
  EXPECT_TRUE(other.Open(name, CFile::modeWrite | CFile::shareExclusive, &e));
  CFile third;
  EXPECT_FALSE(third.Open(name, CFile::modeRead | CFile::shareDenyNone, &e));  // exclusive means exclusive
  other.Close();
  CFile compat(name, CFile::modeRead);  // the compatibility mode is exclusive too
  EXPECT_FALSE(third.Open(name, CFile::modeRead | CFile::shareDenyWrite, &e));
  EXPECT_EQ(e.m_cause, CFileException::sharingViolation);
}

TEST(CFileNames, RemoveAndRenameThrowOnFailure) {
  lwtest::TempDir dir;
  const CString a = Wide(dir / "a.txt"), b = Wide(dir / "b.txt");
  { CFile f(a, CFile::modeCreate | CFile::modeWrite); }
  { CFile f(b, CFile::modeCreate | CFile::modeWrite); }
  EXPECT_EQ(CauseOf([&] { CFile::Rename(a, b); }), CFileException::accessDenied);  // never replaces
  CFile::Remove(b);
  CFile::Rename(a, b);
  EXPECT_TRUE(std::filesystem::exists(dir / "b.txt"));
  EXPECT_FALSE(std::filesystem::exists(dir / "a.txt"));
  EXPECT_EQ(CauseOf([&] { CFile::Remove(a); }), CFileException::fileNotFound);
}

TEST(CFileFindWalk, ListsMatchingFilesOnce) {
  lwtest::TempDir dir;
  for (const char* n : {"temp0.lfw", "temp1.LFW", "other.txt"}) lwtest::WriteFileBytes(dir / n, {1, 2, 3});
  std::filesystem::create_directory(dir / "sub");
  CFileFind finder;
  EXPECT_FALSE(finder.FindFile(Wide(dir / "temp9.lfw")));
  ASSERT_TRUE(finder.FindFile(Wide(dir.path()) + L"\\temp?.lfw"));
  std::vector<std::wstring> names;
  BOOL more = TRUE;
  while (more) {
    more = finder.FindNextFile();
    names.push_back(finder.GetFileName().str());
    EXPECT_EQ(finder.GetLength(), 3u);
    EXPECT_EQ(finder.GetFilePath(), Wide(dir.path()) + L"/" + finder.GetFileName());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"temp0.lfw", L"temp1.LFW"}));

  int dirs = 0, dots = 0, files = 0;
  ASSERT_TRUE(finder.FindFile(Wide(dir / "*.*")));
  for (more = TRUE; more;) {
    more = finder.FindNextFile();
    if (finder.IsDots()) ++dots;
    else if (finder.IsDirectory()) ++dirs;
    else ++files;
  }
  EXPECT_EQ(dots, 2);
  EXPECT_EQ(dirs, 1);
  EXPECT_EQ(files, 3);
}
