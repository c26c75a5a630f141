// The toolkit's recent-file list over the application's list, and its display names.
#include <gtest/gtest.h>

#include <QorpRecentFileList.h>
#include <TestSupport.h>

#include <cstdlib>
#include <string>

namespace {

TEST(PanecraftRecentFiles, AbbreviatePath) {
  struct Case {
    const wchar_t* pszPath;
    int nMax;
    const wchar_t* pszShown;
  } cases[] = {
      {L"/home/ann/a.lfw", 30, L"/home/ann/a.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 30, L"/.../2026/brochures/spring.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 40, L"/.../documents/2026/brochures/spring.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 20, L"/.../spring.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 12, L"spring.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 8, L"sprin..."},
      {L"/x/a-very-long-file-name.lfw", 3, L"a-v"},
      {L"C:\\Users\\Ann\\My Documents\\Catalogues\\catalogue.lfw", 31, L"C:\\...\\Catalogues\\catalogue.lfw"},
      {L"\\\\server\\share\\team\\plans\\q3.lfw", 20, L"\\\\...\\plans\\q3.lfw"},
      {L"relative/folder/name/file.lfw", 20, L".../name/file.lfw"},
      {L"/home/ann/documents/2026/brochures/spring.lfw", 0, L"/home/ann/documents/2026/brochures/spring.lfw"},
      {L"", 30, L""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CQORPRecentFileList::AbbreviatePath(c.pszPath, c.nMax), c.pszShown) << c.nMax;
  for (const Case& c : cases) {
    if (c.nMax > 0) {
      EXPECT_LE(CQORPRecentFileList::AbbreviatePath(c.pszPath, c.nMax).GetLength(), c.nMax);
    }
  }
}

class CRecentApp : public CWinApp {
 public:
  CRecentApp() : CWinApp(L"Leafwright Recent Test") {}
};

TEST(PanecraftRecentFiles, WorksOverTheApplicationList) {
  lwtest::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CRecentApp app;
  app.SetRegistryKey(L"Norvane");
  app.LoadStdProfileSettings(0);  // the application keeps no list of its own
  // A list from an earlier run, with a gap.
  ASSERT_TRUE(app.WriteProfileString(L"Recent File List", L"File1", L"/docs/one.lfw"));
  ASSERT_TRUE(app.WriteProfileString(L"Recent File List", L"File3", L"/docs/three.lfw"));

  CQORPRecentFileList wrong(0, L"Recent Files", L"File%d", 16, 30);
  EXPECT_FALSE(wrong.ReadList()) << "another section is not the application's list";

  CQORPRecentFileList list(0, L"Recent File List", L"File%d", 16, 30);
  ASSERT_TRUE(list.ReadList());
  EXPECT_EQ(list.GetSize(), 16);
  ASSERT_EQ(list.GetCount(), 2);
  EXPECT_EQ(list[0], L"/docs/one.lfw");
  EXPECT_EQ(list.GetPath(1), L"/docs/three.lfw");
  EXPECT_EQ(list.GetPath(2), L"");
  EXPECT_EQ(list.GetCommandID(1), static_cast<UINT>(ID_FILE_MRU_FILE1 + 1));

  // Opening a document adds through the application; the list sees it and the profile keeps it.
  app.AddToRecentFileList(L"/docs/a/rather/deep/folder/structure/new.lfw");
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list.GetDisplayName(0), L"/.../folder/structure/new.lfw");
  list.Add(L"/docs/three.lfw");  // moves up, no duplicate
  ASSERT_EQ(list.GetCount(), 3);
  EXPECT_EQ(list[0], L"/docs/three.lfw");
  EXPECT_EQ(app.GetProfileString(L"Recent File List", L"File1"), L"/docs/three.lfw");

  // Sixteen at most, the oldest falls off.
  for (int i = 0; i < 20; ++i) list.Add((L"/docs/f" + std::to_wstring(i) + L".lfw").c_str());
  EXPECT_EQ(list.GetCount(), 16);
  EXPECT_EQ(list[0], L"/docs/f19.lfw");
  EXPECT_EQ(list[15], L"/docs/f4.lfw");

  // The next run reads what this one left.
  CQORPRecentFileList again(0, L"Recent File List", L"File%d", 4, 30);
  ASSERT_TRUE(again.ReadList());
  EXPECT_EQ(again.GetCount(), 4);
  EXPECT_EQ(again[3], L"/docs/f16.lfw");
}

}  // namespace
