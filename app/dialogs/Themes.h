// The three colour themes of the Style menu and the dialog skins that go with them.
//
// The main frame keeps the current theme (32771 at every start, never stored) and switches it
// with SwitchTheme, handing each step to the toolkit through an IThemeSwitchTarget. Skinned
// dialogs (CSkinFrameDlg) load the skin section of the current theme from the skin file beside
// the program when they are made and unload it when they go.
#pragma once

#include <afxwin.h>

#include "resource.h"

// The theme module, its theme names, and the dialog skin file with its sections.
inline constexpr const wchar_t* kThemeModuleName = L"Office2010.dll";
inline constexpr const wchar_t* kDialogSkinFileName = L"Office2010.cjstyles";

// The INI name of a theme command ("OFFICE2010BLUE.INI", ...); null for any other id.
const wchar_t* ThemeIniName(int nThemeId);
// The dialog skin section of a theme command ("NormalBlue.ini", ...); null for any other id.
const wchar_t* DialogSkinSection(int nThemeId);

// The current theme of the program (the main frame's): 32771 until a switch.
int GetCurrentTheme();
void SetCurrentTheme(int nThemeId);
// The folder that holds the theme files: the program's folder unless set (tests).
CString GetThemeFolder();
void SetThemeFolder(const wchar_t* lpszFolder);

// What loads dialog skins: the toolkit's skin manager unless replaced (tests).
class IDialogSkinLoader {
 public:
  virtual ~IDialogSkinLoader() = default;
  virtual BOOL LoadSkin(const wchar_t* lpszResourcePath, const wchar_t* lpszIniFileName) = 0;
};
IDialogSkinLoader* GetDialogSkinLoader();
// Null puts the toolkit's skin manager back.
void SetDialogSkinLoader(IDialogSkinLoader* pLoader);

// Loads the skin of the current theme: the skin file in the theme folder with the theme's
// section (none for an unknown theme). The loader's result is not looked at; returns TRUE.
BOOL ApplyDialogSkin();
// Unloads the dialog skin (the loader with empty names).
void UnloadDialogSkin();

// The toolkit steps of a theme switch, as the main frame carries them out.
class IThemeSwitchTarget {
 public:
  virtual ~IThemeSwitchTarget() = default;
  // Paint theme of the command bars (6).
  virtual void SelectPaintTheme(int nPaintTheme) = 0;
  // Whether the theme module at this path can be used (a missing module: false).
  virtual bool LoadThemeModule(const CString& strModulePath) = 0;
  // Hands a module and INI name to the paint manager (the INI name is null for the program's
  // own module).
  virtual void SetImageHandle(const CString& strModulePath, const wchar_t* lpszIniName) = 0;
  // Docking panes: their theme (11), then re-theme and redraw.
  virtual void SetDockingTheme(int nDockingTheme) = 0;
  // The ribbon's File button style (1 for the three themes, 0 otherwise).
  virtual void SetFileButtonStyle(int nStyle) = 0;
  virtual void RebuildBackstage() = 0;
  // Refresh images, redraw the command bars, repaint the non-client area, invalidate all.
  virtual void RedrawAll() = 0;
  // The status bar's regular font to its tooltips and the page-index combo box (redrawn).
  virtual void ApplyStatusFont() = 0;
};

// The switch as the frame's command handler runs it (also once after the frame is created):
// every step, in order, for any id (the same theme again repeats them all); the id is stored.
void SwitchTheme(IThemeSwitchTarget& target, int nThemeId);
// The Style menu's check mark: on the command of the current theme only.
void UpdateSwitchTheme(CCmdUI* pCmdUI);
