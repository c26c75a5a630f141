// The three colour themes built into the layer: each complete and distinct, found through the
// theme module's name, and a theme folder on disk taking precedence.
#include <gtest/gtest.h>

#include <QorpPaintManager.h>
#include <QorpTheme.h>
#include <TestSupport.h>
#include <lwstr.h>

#include <fstream>
#include <string>

namespace {

const wchar_t* const kThemes[] = {kQorpThemeBlue, kQorpThemeSilver, kQorpThemeBlack};

// A theme's colours, with every colour the file does not give set to clrFill.
CQORPThemeColors Parsed(const std::string& text, COLORREF clrFill) {
  CQORPThemeColors colors;
  for (int i = 0; i < QORP_CLR_COUNT; ++i) colors.SetColor(i, clrFill);
  std::string err;
  EXPECT_TRUE(colors.Parse(text, &err)) << err;
  return colors;
}

class ThemeRestore : public ::testing::Test {
 protected:
  void TearDown() override { CQORPPaintManager::Get()->SetColors(CQORPThemeColors()); }
};

TEST_F(ThemeRestore, EachBuiltInThemeGivesEveryColourAndTheyDiffer) {
  CQORPThemeColors themes[3];
  for (int t = 0; t < 3; ++t) {
    SCOPED_TRACE(lw::WideToUtf8(kThemes[t]));
    std::string text, err;
    ASSERT_TRUE(CQORPResourceTheme::LoadThemeText(L"/opt/leafwright/Office2010.dll", kThemes[t], text, &err)) << err;
    // Parsed over two different fills: a colour the file leaves out would show the fill.
    const CQORPThemeColors a = Parsed(text, RGB(0, 0, 0)), b = Parsed(text, RGB(255, 255, 255));
    for (int i = 0; i < QORP_CLR_COUNT; ++i)
      EXPECT_EQ(a.GetColor(i), b.GetColor(i)) << "missing " << CQORPThemeColors::GetKeyName(i);
    themes[t] = a;
  }
  // Clearly different where the user looks: ribbon, status bar, docking pane.
  for (int c : {QORP_CLR_RIBBON_PRIMARY, QORP_CLR_STATUSBAR_BACK, QORP_CLR_DOCKING_PANE, QORP_CLR_TAB_LABEL}) {
    EXPECT_NE(themes[0].GetColor(c), themes[1].GetColor(c)) << CQORPThemeColors::GetKeyName(c);
    EXPECT_NE(themes[1].GetColor(c), themes[2].GetColor(c)) << CQORPThemeColors::GetKeyName(c);
    EXPECT_NE(themes[0].GetColor(c), themes[2].GetColor(c)) << CQORPThemeColors::GetKeyName(c);
  }
  // Blue is the start-up look: the defaults are the blue theme.
  const CQORPThemeColors defaults;
  for (int i = 0; i < QORP_CLR_COUNT; ++i)
    EXPECT_EQ(themes[0].GetColor(i), defaults.GetColor(i)) << CQORPThemeColors::GetKeyName(i);
  // Black keeps labels readable: light tab labels on a dark ribbon.
  EXPECT_GT(GetRValue(themes[2].GetColor(QORP_CLR_TAB_LABEL)), 0xC0);
  EXPECT_LT(GetRValue(themes[2].GetColor(QORP_CLR_RIBBON_TERTIARY)), 0x60);
}

TEST_F(ThemeRestore, SetImageHandleFindsTheModule) {
  lwtest::TempDir dir;
  const std::wstring folder = lw::Utf8ToWide(dir.path().string());
  std::filesystem::create_directories(dir / "themes");
  std::ofstream(dir / "themes" / "OFFICE2010BLACK.INI") << "[Colors]\nStatusBarBack=#123456\n";
  const std::wstring themeFolder = folder + L"/themes";
  struct Case {
    const char* pszWhat;
    std::wstring module;
    const wchar_t* pszIni;
    bool bTaken;
    COLORREF clrStatus;  // expected afterwards
  } cases[] = {
      {"built in, no file beside the program", folder + L"/Office2010.dll", L"OFFICE2010BLACK.INI", true, RGB(0x3A, 0x3A, 0x3A)},
      {"names without regard to case", folder + L"/office2010.DLL", L"office2010silver.ini", true, RGB(0xE3, 0xE6, 0xE8)},
      {"a Windows path", L"C:\\Program Files\\Leafwright\\Office2010.dll", L"OFFICE2010BLUE.INI", true, RGB(0xCF, 0xDD, 0xEE)},
      {"a theme folder on disk", themeFolder, L"OFFICE2010BLACK.INI", true, RGB(0x12, 0x34, 0x56)},
      {"a folder without that theme", themeFolder, L"OFFICE2010BLUE.INI", false, RGB(0x12, 0x34, 0x56)},
      {"unknown theme", folder + L"/Office2010.dll", L"OFFICE2007BLUE.INI", false, RGB(0x12, 0x34, 0x56)},
      {"another module", folder + L"/Other.dll", L"OFFICE2010BLUE.INI", false, RGB(0x12, 0x34, 0x56)},
      {"no INI name", folder + L"/Office2010.dll", L"", false, RGB(0x12, 0x34, 0x56)},
      {"a name that leaves the folder", themeFolder + L"/..", L"themes/OFFICE2010BLACK.INI", false, RGB(0x12, 0x34, 0x56)},
      {"a name with a backslash", themeFolder, L"..\\OFFICE2010BLACK.INI", false, RGB(0x12, 0x34, 0x56)},
      {"no module", L"", L"OFFICE2010BLUE.INI", false, RGB(0x12, 0x34, 0x56)},
  };
  CQORPPaintManager* pm = CQORPPaintManager::Get();
  int notified = 0;
  const int cookie = pm->AddListener([&] { ++notified; });
  for (const Case& c : cases) {
    const int before = notified;
    EXPECT_EQ(CQORPResourceTheme::SetImageHandle(c.module.c_str(), c.pszIni), c.bTaken) << c.pszWhat;
    EXPECT_EQ(pm->GetColor(QORP_CLR_STATUSBAR_BACK), c.clrStatus) << c.pszWhat;
    EXPECT_EQ(notified - before, c.bTaken ? 1 : 0) << c.pszWhat;
  }
  pm->RemoveListener(cookie);
}

}  // namespace
