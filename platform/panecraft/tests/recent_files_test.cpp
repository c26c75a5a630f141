// The toolkit's recent-file list over the application's list, and its display names.
#include <gtest/gtest.h>

#include <QorpRecentFileList.h>
#include <TestSupport.h>

#include <cstdlib>
#include <set>
#include <string>
#include <vector>

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

// An application whose open succeeds for the files that "exist" and fails for the others.
class COpeningApp : public CWinApp {
 public:
  COpeningApp() : CWinApp(L"Leafwright Recent Table Test") {}
  std::set<std::wstring> existing;
  std::vector<std::wstring> opened;
  CDocument* OpenDocumentFile(const wchar_t* lpszFileName) override {
    opened.emplace_back(lpszFileName);
    if (!existing.count(lpszFileName)) return nullptr;
    AddToRecentFileList(lpszFileName);  // as the framework does for an opened document
    return &m_doc;
  }

 private:
  CDocument m_doc;
};

// The list through what the user does: opening files puts them first (once), the list keeps
// sixteen, picking an entry reopens it and brings it first, picking one that is gone drops it
// and leaves the others; each state is what the next run reads back.
TEST(PanecraftRecentFiles, AddMoveToFrontLimitAndMissingFilesTable) {
  lwtest::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  using List = std::vector<std::wstring>;
  std::vector<std::wstring> many;
  for (int i = 0; i < 17; ++i) many.push_back(L"/d/f" + std::to_wstring(i) + L".lfw");
  List last16(many.rbegin(), many.rbegin() + 16);
  struct Step {
    const char* what;
    List add;      // paths opened, in order
    int nPick;     // then an entry picked (-1: none)
    List after;    // the list afterwards, newest first
    std::wstring opened;  // what the pick tried to open
  } const steps[] = {
      {"first files", {L"/d/a.lfw", L"/d/b.pdf"}, -1, {L"/d/b.pdf", L"/d/a.lfw"}, L""},
      {"an entry opened again moves first", {L"/d/a.lfw"}, -1, {L"/d/a.lfw", L"/d/b.pdf"}, L""},
      {"an empty name is no file", {L""}, -1, {L"/d/a.lfw", L"/d/b.pdf"}, L""},
      {"names differing in case are two files", {L"/d/A.lfw"}, -1, {L"/d/A.lfw", L"/d/a.lfw", L"/d/b.pdf"}, L""},
      {"picking an entry reopens it and brings it first", {}, 2, {L"/d/b.pdf", L"/d/A.lfw", L"/d/a.lfw"}, L"/d/b.pdf"},
      {"picking a file that is gone drops it, only it", {}, 1, {L"/d/b.pdf", L"/d/a.lfw"}, L"/d/A.lfw"},
      {"picking past the end does nothing", {}, 5, {L"/d/b.pdf", L"/d/a.lfw"}, L""},
      {"sixteen at most, the oldest falls off", many, -1, last16, L""},
  };
  COpeningApp app;
  app.SetRegistryKey(L"Norvane");
  CQORPRecentFileList list(0, L"Recent File List", L"File%d", 16, 30);
  ASSERT_TRUE(list.ReadList());
  app.existing = {L"/d/a.lfw", L"/d/b.pdf"};
  for (const std::wstring& f : many) app.existing.insert(f);
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    for (const std::wstring& path : s.add) list.Add(path.c_str());
    app.opened.clear();
    if (s.nPick >= 0) app.OnOpenRecentFile(list.GetCommandID(s.nPick));
    EXPECT_EQ(app.opened, s.opened.empty() ? List{} : List{s.opened});
    List now;
    for (int i = 0; i < list.GetCount(); ++i) now.emplace_back(list[i].GetString());
    EXPECT_EQ(now, s.after);
    // The profile holds the same list: the next run reads it back.
    app.LoadStdProfileSettings(16);
    List read;
    for (int i = 0; i < list.GetCount(); ++i) read.emplace_back(list[i].GetString());
    EXPECT_EQ(read, s.after);
  }
}

}  // namespace
