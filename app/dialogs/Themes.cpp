// Theme switching and dialog skins.
#include "Themes.h"

#include <QorpSkinManager.h>

namespace {

int g_nTheme = ID_THEME_OFFICE2010_BLUE;
CString g_strFolder;
bool g_bFolderSet = false;
IDialogSkinLoader* g_pLoader = nullptr;

class CToolkitSkinLoader : public IDialogSkinLoader {
 public:
  BOOL LoadSkin(const wchar_t* lpszResourcePath, const wchar_t* lpszIniFileName) override {
    return CQORPSkinManager::Get()->LoadSkin(lpszResourcePath, lpszIniFileName);
  }
};

CString InFolder(const wchar_t* lpszName) {
  CString path = GetThemeFolder();
  if (!path.IsEmpty() && path[path.GetLength() - 1] != L'/') path += L'/';
  return path + lpszName;
}

}  // namespace

const wchar_t* ThemeIniName(int nThemeId) {
  switch (nThemeId) {
    case ID_THEME_OFFICE2010_BLUE: return L"OFFICE2010BLUE.INI";
    case ID_THEME_OFFICE2010_SILVER: return L"OFFICE2010SILVER.INI";
    case ID_THEME_OFFICE2010_BLACK: return L"OFFICE2010BLACK.INI";
    default: return nullptr;
  }
}

const wchar_t* DialogSkinSection(int nThemeId) {
  switch (nThemeId) {
    case ID_THEME_OFFICE2010_BLUE: return L"NormalBlue.ini";
    case ID_THEME_OFFICE2010_SILVER: return L"NormalSilver.ini";
    case ID_THEME_OFFICE2010_BLACK: return L"NormalBlack.ini";
    default: return nullptr;
  }
}

int GetCurrentTheme() { return g_nTheme; }
void SetCurrentTheme(int nThemeId) { g_nTheme = nThemeId; }

CString GetThemeFolder() { return g_bFolderSet ? g_strFolder : CString(lw::ProgramFolder()); }

void SetThemeFolder(const wchar_t* lpszFolder) {
  g_bFolderSet = lpszFolder != nullptr;
  g_strFolder = lpszFolder ? lpszFolder : L"";
}

IDialogSkinLoader* GetDialogSkinLoader() {
  static CToolkitSkinLoader toolkit;
  return g_pLoader ? g_pLoader : &toolkit;
}

void SetDialogSkinLoader(IDialogSkinLoader* pLoader) { g_pLoader = pLoader; }

BOOL ApplyDialogSkin() {
  const wchar_t* section = DialogSkinSection(GetCurrentTheme());
  GetDialogSkinLoader()->LoadSkin(InFolder(kDialogSkinFileName), section ? section : L"");
  return TRUE;
}

void UnloadDialogSkin() { GetDialogSkinLoader()->LoadSkin(L"", L""); }

void SwitchTheme(IThemeSwitchTarget& target, int nThemeId) {
  target.SelectPaintTheme(6);
  const wchar_t* ini = ThemeIniName(nThemeId);
  // The program's own module stands for "no theme module" (and is always at hand).
  const CString module = ini ? InFolder(kThemeModuleName) : CString(lw::ProgramFolder());
  if (!ini || target.LoadThemeModule(module)) target.SetImageHandle(module, ini);
  target.SetDockingTheme(11);
  if (ini) {
    target.SetFileButtonStyle(1);
    target.RebuildBackstage();
  } else {
    target.SetFileButtonStyle(0);
  }
  target.RedrawAll();
  SetCurrentTheme(nThemeId);
  target.ApplyStatusFont();
}

void UpdateSwitchTheme(CCmdUI* pCmdUI) {
  if (pCmdUI) pCmdUI->SetCheck(static_cast<int>(pCmdUI->m_nID) == GetCurrentTheme() ? 1 : 0);
}
