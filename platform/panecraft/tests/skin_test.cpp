// Dialog skin files: which section is read, what a bad file does, and where the file is found.
#include <gtest/gtest.h>

#include <QorpSkinManager.h>
#include <TestSupport.h>
#include <lwstr.h>

#include <fstream>
#include <string>

namespace {

TEST(PanecraftSkin, ParseReadsTheAskedSection) {
  const std::string file =
      "; skins\n[NormalBlue.ini]\nDialogBack=#010101\nStaticText=#020202\nGroupBoxText=#030303\n"
      "[NormalBlack.ini]\r\n dialogback = #111111 \r\nFutureKey=anything\r\n"
      "[NormalBlack.ini]\nDialogBack=#999999\n";
  const CQORPSkinColors defaults;
  struct Case {
    const char* pszSection;
    COLORREF clrBack, clrStatic;  // 0: the default
  } cases[] = {
      {"NormalBlue.ini", RGB(1, 1, 1), RGB(2, 2, 2)},
      {"normalblack.INI", RGB(0x11, 0x11, 0x11), 0},  // the first section of the name; StaticText kept
      {"", RGB(1, 1, 1), RGB(2, 2, 2)},                // no name: the first section
  };
  for (const Case& c : cases) {
    CQORPSkinColors skin;
    std::string err;
    ASSERT_TRUE(skin.Parse(file, c.pszSection, &err)) << c.pszSection << ": " << err;
    EXPECT_EQ(skin.GetColor(QORP_SKIN_DIALOG_BACK), c.clrBack) << c.pszSection;
    EXPECT_EQ(skin.GetColor(QORP_SKIN_STATIC_TEXT), c.clrStatic ? c.clrStatic : defaults.GetColor(QORP_SKIN_STATIC_TEXT))
        << c.pszSection;
  }
}

TEST(PanecraftSkin, BadFilesChangeNothing) {
  struct Case {
    std::string text;
    const char* pszSection;
    const char* pszError;
  } cases[] = {
      {"[NormalBlue.ini]\nDialogBack=#010101\n", "NormalSilver.ini", "no section [NormalSilver.ini]"},
      {"; nothing but a comment\n", "", "no section"},
      {"[NormalBlue.ini]\nDialogBack=#01010\n", "NormalBlue.ini", "line 2"},
      {"[NormalBlue.ini]\nDialogBack=#010101\n[Other]\njust words\n", "NormalBlue.ini", "line 4"},
      {"[NormalBlue.ini\nDialogBack=#010101\n", "NormalBlue.ini", "line 1"},
      {"[NormalBlue.ini]\n" + std::string(CQORPSkinColors::kMaxFileSize, ';'), "NormalBlue.ini", "too large"},
  };
  for (const Case& c : cases) {
    CQORPSkinColors skin;
    skin.SetColor(QORP_SKIN_DIALOG_BACK, RGB(9, 9, 9));
    std::string err;
    EXPECT_FALSE(skin.Parse(c.text, c.pszSection, &err)) << c.pszError;
    EXPECT_NE(err.find(c.pszError), std::string::npos) << err;
    EXPECT_EQ(skin.GetColor(QORP_SKIN_DIALOG_BACK), RGB(9, 9, 9)) << c.pszError;
  }
}

TEST(PanecraftSkin, LoadSkinFindsTheFileOrUnloads) {
  lwtest::TempDir dir;
  const std::wstring folder = lw::Utf8ToWide(dir.path().string());
  std::ofstream(dir / "Mine.cjstyles") << "[NormalBlack.ini]\nDialogBack=#0A0B0C\n";
  std::filesystem::create_directories(dir / "sub" / "Office2010.cjstyles");
  std::ofstream(dir / "Broken.cjstyles") << "[NormalBlack.ini]\nDialogBack=red\n";
  struct Case {
    const char* pszWhat;
    std::wstring path;
    const wchar_t* pszSection;
    BOOL bResult, bLoaded;
    COLORREF clrBack;  // when loaded
  } cases[] = {
      {"built in, black", folder + L"/Office2010.cjstyles", kQorpSkinBlack, TRUE, TRUE, RGB(0xD4, 0xD4, 0xD4)},
      {"built in, silver", folder + L"\\Office2010.cjstyles", kQorpSkinSilver, TRUE, TRUE, RGB(0xF1, 0xF2, 0xF4)},
      {"built in, blue", folder + L"/Office2010.cjstyles", kQorpSkinBlue, TRUE, TRUE, RGB(0xDF, 0xE9, 0xF5)},
      {"empty strings unload", L"", L"", TRUE, FALSE, 0},
      {"a file on disk", folder + L"/Mine.cjstyles", L"NormalBlack.ini", TRUE, TRUE, RGB(0x0A, 0x0B, 0x0C)},
      {"missing section unloads", folder + L"/Mine.cjstyles", L"NormalBlue.ini", FALSE, FALSE, 0},
      {"missing file", folder + L"/Missing.cjstyles", L"NormalBlue.ini", FALSE, FALSE, 0},
      {"a folder of that name", folder + L"/sub/Office2010.cjstyles", L"NormalBlue.ini", FALSE, FALSE, 0},
      {"a bad file", folder + L"/Broken.cjstyles", L"NormalBlack.ini", FALSE, FALSE, 0},
  };
  CQORPSkinManager* skins = CQORPSkinManager::Get();
  for (const Case& c : cases) {
    EXPECT_EQ(skins->LoadSkin(c.path.c_str(), c.pszSection), c.bResult) << c.pszWhat;
    EXPECT_EQ(skins->IsLoaded(), c.bLoaded) << c.pszWhat;
    if (c.bLoaded) {
      EXPECT_EQ(skins->GetColors().GetColor(QORP_SKIN_DIALOG_BACK), c.clrBack) << c.pszWhat;
      EXPECT_EQ(skins->GetIniFileName(), c.pszSection) << c.pszWhat;
    }
  }
  EXPECT_TRUE(skins->LoadSkin(nullptr, nullptr));
  EXPECT_FALSE(skins->IsLoaded());
}

TEST(PanecraftSkin, BuiltInSectionsAreCompleteAndDistinct) {
  lwtest::TempDir dir;
  const std::wstring path = lw::Utf8ToWide(dir.path().string()) + L"/Office2010.cjstyles";
  COLORREF backs[3];
  int n = 0;
  for (const wchar_t* section : {kQorpSkinBlue, kQorpSkinSilver, kQorpSkinBlack}) {
    ASSERT_TRUE(CQORPSkinManager::Get()->LoadSkin(path.c_str(), section));
    const CQORPSkinColors& c = CQORPSkinManager::Get()->GetColors();
    EXPECT_NE(c.GetColor(QORP_SKIN_DIALOG_BACK), c.GetColor(QORP_SKIN_STATIC_TEXT));
    backs[n++] = c.GetColor(QORP_SKIN_DIALOG_BACK);
  }
  EXPECT_NE(backs[0], backs[1]);
  EXPECT_NE(backs[1], backs[2]);
  CQORPSkinManager::Get()->LoadSkin(L"", L"");
}

}  // namespace
