// Theme switching and dialog skins with fakes of the toolkit, and the document manager's file
// prompt answered through the file dialog's hook.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <MyDocManager.h>
#include <SkinFrameDlg.h>
#include <Themes.h>

namespace {

std::wstring W(const wchar_t* p) { return p ? p : L"(null)"; }

// A literal with the '\0's inside it.
template <size_t N>
std::wstring Z(const wchar_t (&s)[N]) {
  return std::wstring(s, N - 1);
}

// Records every skin load.
class FakeSkinLoader : public IDialogSkinLoader {
 public:
  BOOL LoadSkin(const wchar_t* path, const wchar_t* section) override {
    log->push_back(L"load " + W(path) + L" [" + W(section) + L"]");
    return TRUE;
  }
  std::vector<std::wstring>* log = nullptr;
};

// Records every toolkit step of a switch.
class FakeFrame : public IThemeSwitchTarget {
 public:
  bool moduleThere = true;
  std::vector<std::wstring> log;
  void SelectPaintTheme(int n) override { log.push_back(L"paint " + std::to_wstring(n)); }
  bool LoadThemeModule(const CString& path) override {
    log.push_back(L"module " + std::wstring(path.GetString()));
    return moduleThere;
  }
  void SetImageHandle(const CString& path, const wchar_t* ini) override {
    log.push_back(L"images " + std::wstring(path.GetString()) + L" " + W(ini));
  }
  void SetDockingTheme(int n) override { log.push_back(L"docking " + std::to_wstring(n)); }
  void SetFileButtonStyle(int n) override { log.push_back(L"file button " + std::to_wstring(n)); }
  void RebuildBackstage() override { log.push_back(L"backstage"); }
  void RedrawAll() override { log.push_back(L"redraw"); }
  void ApplyStatusFont() override { log.push_back(L"status font " + std::to_wstring(GetCurrentTheme())); }
};

class ThemesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    loader.log = &log;
    SetDialogSkinLoader(&loader);
    SetThemeFolder(L"/opt/lw");
    SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
  }
  void TearDown() override {
    SetDialogSkinLoader(nullptr);
    SetThemeFolder(nullptr);
    SetCurrentTheme(ID_THEME_OFFICE2010_BLUE);
  }
  std::vector<std::wstring> log;
  FakeSkinLoader loader;
};

TEST_F(ThemesTest, EachThemeLoadsItsDialogSkinSection) {
  struct Case {
    int theme;
    const wchar_t* load;
  } cases[] = {
      {ID_THEME_OFFICE2010_BLUE, L"load /opt/lw/Office2010.cjstyles [NormalBlue.ini]"},
      {ID_THEME_OFFICE2010_SILVER, L"load /opt/lw/Office2010.cjstyles [NormalSilver.ini]"},
      {ID_THEME_OFFICE2010_BLACK, L"load /opt/lw/Office2010.cjstyles [NormalBlack.ini]"},
      {32774, L"load /opt/lw/Office2010.cjstyles []"},  // another id: no section
  };
  for (const Case& c : cases) {
    log.clear();
    SetCurrentTheme(c.theme);
    EXPECT_TRUE(ApplyDialogSkin());
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], c.load);
  }
}

TEST_F(ThemesTest, SwitchRunsEveryStepAndStoresTheId) {
  FakeFrame frame;
  SwitchTheme(frame, ID_THEME_OFFICE2010_BLACK);
  const std::vector<std::wstring> black = {
      L"paint 6",  L"module /opt/lw/Office2010.dll", L"images /opt/lw/Office2010.dll OFFICE2010BLACK.INI",
      L"docking 11", L"file button 1", L"backstage", L"redraw", L"status font 32773"};
  EXPECT_EQ(frame.log, black);
  EXPECT_EQ(GetCurrentTheme(), ID_THEME_OFFICE2010_BLACK);

  // The same theme again repeats the whole sequence.
  frame.log.clear();
  SwitchTheme(frame, ID_THEME_OFFICE2010_BLACK);
  EXPECT_EQ(frame.log, black);

  // A missing module: the images stay, everything else happens and the id is stored.
  FakeFrame missing;
  missing.moduleThere = false;
  SwitchTheme(missing, ID_THEME_OFFICE2010_SILVER);
  const std::vector<std::wstring> silver = {L"paint 6",       L"module /opt/lw/Office2010.dll", L"docking 11",
                                            L"file button 1", L"backstage",                     L"redraw",
                                            L"status font 32772"};
  EXPECT_EQ(missing.log, silver);
  EXPECT_EQ(GetCurrentTheme(), ID_THEME_OFFICE2010_SILVER);

  // Another id: the program's own module without an INI name, File button style 0.
  FakeFrame other;
  SwitchTheme(other, 32790);
  ASSERT_EQ(other.log.size(), 6u);
  EXPECT_EQ(other.log[1].rfind(L"images ", 0), 0u);
  EXPECT_NE(other.log[1].find(L" (null)"), std::wstring::npos);
  EXPECT_EQ(other.log[3], L"file button 0");
  EXPECT_EQ(other.log[4], L"redraw");
  EXPECT_EQ(GetCurrentTheme(), 32790);
}

TEST_F(ThemesTest, CheckMarkFollowsTheCurrentTheme) {
  SetCurrentTheme(ID_THEME_OFFICE2010_SILVER);
  for (int id : {ID_THEME_OFFICE2010_BLUE, ID_THEME_OFFICE2010_SILVER, ID_THEME_OFFICE2010_BLACK}) {
    CCmdUI ui;
    ui.m_nID = static_cast<UINT>(id);
    UpdateSwitchTheme(&ui);
    EXPECT_EQ(ui.m_nCheck, id == ID_THEME_OFFICE2010_SILVER ? 1 : 0);
  }
}

// The dialog's own destructor records when it runs.
struct ProbeDialog {
  explicit ProbeDialog(std::vector<std::wstring>* p, int n) : log(p) { log->push_back(L"made " + std::to_wstring(n)); }
  virtual ~ProbeDialog() { log->push_back(L"dialog gone"); }
  std::vector<std::wstring>* log;
};

TEST_F(ThemesTest, SkinnedFrameLoadsOnConstructionAndUnloadsBeforeTheDialogGoes) {
  SetCurrentTheme(ID_THEME_OFFICE2010_BLACK);
  {
    CSkinFrameDlg<ProbeDialog> dlg(&log, 7);
    log.push_back(L"in use");
  }
  const std::vector<std::wstring> want = {L"made 7", L"load /opt/lw/Office2010.cjstyles [NormalBlack.ini]", L"in use",
                                          L"load  []", L"dialog gone"};
  EXPECT_EQ(log, want);
}

// ---------------------------------------------------------------------------------------------
// The file prompt

class DocTemplateStub : public CDocTemplate {
 public:
  explicit DocTemplateStub(const wchar_t* strings) { m_strDocStrings = strings; }
};

const wchar_t kLeafwright[] =
    L"Norvane Leafwright\n\nnewLfw\nNorvane Leafwright Files (*.LFW)\n.LFW\nQor_LEAFWRIGHT.Document\n"
    L"Norvane_LEAFWRIGHT.Document";

TEST(FilePrompt, AppendTemplateFilterBuildsOneEntryPerTemplate) {
  struct Case {
    const wchar_t* strings;
    std::wstring filter;
    const wchar_t* defExt;  // null: nothing appended
  } cases[] = {
      {kLeafwright, Z(L"Norvane Leafwright Files (*.LFW)\0*.LFW\0"), L"LFW"},
      {L"T\n\n\nPictures\n.png;.jpg\n", Z(L"Pictures\0*.png;*.jpg\0"), L"png"},
      {L"T\n\n\n\n.png\n", L"", nullptr},          // no filter name
      {L"T\n\n\nPictures\n\n", L"", nullptr},      // no extension
  };
  for (const Case& c : cases) {
    DocTemplateStub t(c.strings);
    CFileDialog dlg(FALSE);
    dlg.m_ofn.nFilterIndex = 0;
    CString filter, defExt(L"old");
    AppendTemplateFilter(&t, dlg, &defExt, filter);
    EXPECT_EQ(filter.str(), c.filter);
    if (c.defExt) {
      EXPECT_EQ(defExt, c.defExt);
      EXPECT_EQ(dlg.m_ofn.nFilterIndex, 1u);
      EXPECT_EQ(dlg.m_ofn.nMaxCustFilter, 1u);
      EXPECT_STREQ(dlg.m_ofn.lpstrDefExt, c.defExt);
    } else {
      EXPECT_EQ(defExt, L"old");
      EXPECT_EQ(dlg.m_ofn.nMaxCustFilter, 0u);
    }
  }

  // A second template after a first: its index counts the entries before it; without a
  // default-extension string nothing else changes.
  DocTemplateStub a(kLeafwright), b(L"T\n\n\nPictures\n.png\n");
  CFileDialog dlg(TRUE);
  CString filter, defExt;
  AppendTemplateFilter(&a, dlg, nullptr, filter);
  AppendTemplateFilter(&b, dlg, &defExt, filter);
  EXPECT_EQ(defExt, L"png");
  EXPECT_EQ(dlg.m_ofn.nFilterIndex, 2u);
  EXPECT_EQ(dlg.m_ofn.nMaxCustFilter, 2u);
}

lwmfc::FileDialogRequest g_asked;
std::wstring g_answer;
BOOL Answer(lwmfc::FileDialogRequest& req) {
  g_asked = req;
  req.fileName = g_answer;
  return !g_answer.empty();
}

TEST(FilePrompt, SaveAsOffersOnlyTheDocumentTypeAndProposesTheLowerCaseExtension) {
  CMyDocManager manager;
  manager.AddDocTemplate(new DocTemplateStub(kLeafwright));
  lwmfc::SetFileDialogRequestHook(&Answer);
  struct Case {
    const wchar_t* typed;
    const wchar_t* result;
  } cases[] = {
      {L"/tmp/lw-prompt/report", L"/tmp/lw-prompt/report.lfw"},
      {L"/tmp/lw-prompt/report.LFW", L"/tmp/lw-prompt/report.LFW"},  // an extension in any case counts
      {L"/tmp/lw-prompt/report.lfw", L"/tmp/lw-prompt/report.lfw"},
  };
  for (const Case& c : cases) {
    g_answer = c.typed;
    CString name(L"Untitled");
    ASSERT_TRUE(manager.DoPromptFileName(name, AFX_IDS_SAVEFILE, OFN_PATHMUSTEXIST, FALSE, nullptr));
    EXPECT_EQ(name, c.result);
    EXPECT_EQ(g_asked.kind, lwmfc::FileDialogRequest::saveFile);
    EXPECT_EQ(g_asked.title, L"Save As");
    EXPECT_EQ(g_asked.fileName, L"Untitled");
    EXPECT_EQ(g_asked.defaultExt, L"lfw");
    EXPECT_EQ(g_asked.filterIndex, 1);
    EXPECT_EQ(g_asked.flags & (OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST),
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST));
    ASSERT_EQ(g_asked.filters.size(), 1u);  // no entry for all files
    EXPECT_EQ(g_asked.filters[0].name, L"Norvane Leafwright Files (*.LFW)");
    // The toolkit's wildcard matches either case, so a saved "x.lfw" shows in File Open.
    EXPECT_NE(g_asked.wildcard.find(L"*.[lL][fF][wW]"), std::wstring::npos);
  }
  // Cancelled: FALSE and the name untouched.
  g_answer.clear();
  CString name(L"keep");
  EXPECT_FALSE(manager.DoPromptFileName(name, AFX_IDS_OPENFILE, 0, TRUE, nullptr));
  EXPECT_EQ(name, L"keep");
  EXPECT_EQ(g_asked.title, L"Open");
  // A title string that does not exist is an invalid argument.
  bool thrown = false;
  try {
    manager.DoPromptFileName(name, 0xEFFF, 0, TRUE, nullptr);
  } catch (CInvalidArgException* e) {
    thrown = true;
    e->Delete();
  }
  EXPECT_TRUE(thrown);
  lwmfc::SetFileDialogRequestHook(nullptr);
}

}  // namespace
