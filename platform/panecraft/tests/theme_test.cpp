// Theme files: what is read, what is skipped, and that a bad file changes nothing.
#include <gtest/gtest.h>

#include <QorpPaintManager.h>
#include <QorpTheme.h>
#include <lwstr.h>
#include <TestSupport.h>

#include <string>

namespace {

TEST(PanecraftTheme, KeysRoundTripAndAreUnique) {
  for (int i = 0; i < QORP_CLR_COUNT; ++i) {
    ASSERT_NE(CQORPThemeColors::GetKeyName(i), nullptr);
    EXPECT_EQ(CQORPThemeColors::FindKey(CQORPThemeColors::GetKeyName(i)), i);
  }
  EXPECT_EQ(CQORPThemeColors::FindKey("dockingpane"), QORP_CLR_DOCKING_PANE);
  EXPECT_EQ(CQORPThemeColors::FindKey("WordPaneBackground"), QORP_CLR_WORD_PANE_BACKGROUND);
  EXPECT_EQ(CQORPThemeColors::FindKey("Nope"), -1);
  EXPECT_EQ(CQORPThemeColors::GetKeyName(QORP_CLR_COUNT), nullptr);
  EXPECT_EQ(CQORPThemeColors::GetKeyName(-1), nullptr);
}

TEST(PanecraftTheme, ParseGoodFiles) {
  struct Case {
    const char* pszName;
    std::string text;
    COLORREF clrPrimary, clrDisabled;
  } cases[] = {
      {"plain", "[Colors]\nRibbonPrimary=#102030\nDisabledLabel=#A0B0C0\n", RGB(0x10, 0x20, 0x30),
       RGB(0xA0, 0xB0, 0xC0)},
      {"bom, crlf, spaces, comments, case",
       "\xEF\xBB\xBF; theme\r\n# note\r\n\r\n[ colors ]\r\n  ribbonprimary = #aBcDeF \r\n", RGB(0xAB, 0xCD, 0xEF),
       0},
      {"other sections and unknown keys skipped",
       "[Theme]\nName=Black\nRibbonPrimary=not a colour\n[Colors]\nFutureKey=whatever\nRibbonPrimary=#010203",
       RGB(1, 2, 3), 0},
      {"later value wins", "[Colors]\nRibbonPrimary=#010101\nRibbonPrimary=#020202\n", RGB(2, 2, 2), 0},
      {"empty file keeps the defaults", "", 0, 0},
  };
  const CQORPThemeColors defaults;
  for (const Case& c : cases) {
    CQORPThemeColors theme;
    std::string err;
    EXPECT_TRUE(theme.Parse(c.text, &err)) << c.pszName << ": " << err;
    EXPECT_EQ(theme.GetColor(QORP_CLR_RIBBON_PRIMARY), c.clrPrimary ? c.clrPrimary : defaults.GetColor(QORP_CLR_RIBBON_PRIMARY))
        << c.pszName;
    EXPECT_EQ(theme.GetColor(QORP_CLR_DISABLED_LABEL), c.clrDisabled ? c.clrDisabled : defaults.GetColor(QORP_CLR_DISABLED_LABEL))
        << c.pszName;
    EXPECT_EQ(theme.GetColor(QORP_CLR_STATIC_TEXT), defaults.GetColor(QORP_CLR_STATIC_TEXT)) << c.pszName;
  }
}

TEST(PanecraftTheme, BadFilesChangeNothing) {
  struct Case {
    std::string text;
    const char* pszError;
  } cases[] = {
      {"[Colors]\nRibbonPrimary=#010203\nDisabledLabel=#12345\n", "line 3"},
      {"[Colors]\nRibbonPrimary=#01020G\n", "line 2"},
      {"[Colors]\nRibbonPrimary=0x010203\n", "line 2"},
      {"[Colors]\nRibbonPrimary=#010203\njust words\n", "line 3"},
      {"[Colors\nRibbonPrimary=#010203\n", "line 1"},
      {"[Colors]\nRibbonPrimary=#010203\n" + std::string(CQORPThemeColors::kMaxFileSize, ';'), "too large"},
  };
  for (const Case& c : cases) {
    CQORPThemeColors theme;
    theme.SetColor(QORP_CLR_RIBBON_PRIMARY, RGB(9, 9, 9));
    std::string err;
    EXPECT_FALSE(theme.Parse(c.text, &err)) << c.pszError;
    EXPECT_NE(err.find(c.pszError), std::string::npos) << err;
    EXPECT_EQ(theme.GetColor(QORP_CLR_RIBBON_PRIMARY), RGB(9, 9, 9)) << c.pszError;
  }
}

TEST(PanecraftTheme, LoadFile) {
  lwtest::TempDir dir;
  const std::string path = (dir / "OFFICE2010BLACK.INI").string();
  const std::string text = "[Colors]\nStatusBarBack=#202020\n";
  lwtest::WriteFileBytes(path, std::vector<uint8_t>(text.begin(), text.end()));
  CQORPThemeColors theme;
  ASSERT_TRUE(theme.LoadFile(path));
  EXPECT_EQ(theme.GetColor(QORP_CLR_STATUSBAR_BACK), RGB(0x20, 0x20, 0x20));
  std::string err;
  EXPECT_FALSE(theme.LoadFile((dir / "missing.ini").string(), &err));
  EXPECT_EQ(theme.GetColor(QORP_CLR_STATUSBAR_BACK), RGB(0x20, 0x20, 0x20));
  EXPECT_FALSE(err.empty());
}

}  // namespace

namespace {

TEST(PanecraftTheme, ResourceThemeFeedsThePaintManager) {
  lwtest::TempDir dir;
  const std::string text = "[Colors]\nDockingPane=#112233\n";
  lwtest::WriteFileBytes(dir / "OFFICE2010SILVER.INI", std::vector<uint8_t>(text.begin(), text.end()));
  lwtest::WriteFileBytes(dir / "BAD.INI", {'x'});
  CQORPPaintManager* pm = CQORPPaintManager::Get();
  pm->SetColors(CQORPThemeColors());
  int calls = 0;
  const int cookie = pm->AddListener([&] { ++calls; });
  const std::wstring folder = lw::Utf8ToWide(dir.path().string());

  EXPECT_TRUE(CQORPResourceTheme::SetImageHandle(folder.c_str(), L"OFFICE2010SILVER.INI"));
  EXPECT_EQ(pm->GetColor(QORP_CLR_DOCKING_PANE), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(calls, 1);
  // Missing, bad or no file: the colours stay and nobody is told.
  for (const wchar_t* ini : {L"OFFICE2010BLACK.INI", L"BAD.INI", L""})
    EXPECT_FALSE(CQORPResourceTheme::SetImageHandle(folder.c_str(), ini)) << lw::WideToUtf8(ini);
  EXPECT_EQ(pm->GetColor(QORP_CLR_DOCKING_PANE), RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(calls, 1);
  pm->SetTheme(6);
  EXPECT_EQ(pm->GetTheme(), 6);
  EXPECT_EQ(calls, 2);
  pm->RemoveListener(cookie);
  pm->SetTheme(0);
  EXPECT_EQ(calls, 2);
  pm->SetColors(CQORPThemeColors());
}

}  // namespace
