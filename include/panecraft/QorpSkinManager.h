// The skin manager for dialogs: while a skin is loaded, every dialog that is shown gets the
// skin's background, and its static texts and group-box captions the skin's text colours.
// Native buttons, edits, combo boxes, check boxes and lists keep the desktop's look.
//
// Skin file: UTF-8 text, at most 64 KiB, one section per colour scheme ("[NormalBlue.ini]"),
// lines "Key=#RRGGBB" with the keys DialogBack, StaticText and GroupBoxText, comments starting
// with ';' or '#'. Section names and keys are matched without regard to case; a key the
// section does not give keeps its default; unknown keys are skipped.
#pragma once

#include <afxwin.h>

#include <array>
#include <string>

enum QORPSkinColor : int {
  QORP_SKIN_DIALOG_BACK,
  QORP_SKIN_STATIC_TEXT,
  QORP_SKIN_GROUPBOX_TEXT,
  QORP_SKIN_COUNT
};

// The dialog skin file built into the layer and its three sections.
inline constexpr const wchar_t* kQorpSkinFile = L"Office2010.cjstyles";
inline constexpr const wchar_t* kQorpSkinBlue = L"NormalBlue.ini";
inline constexpr const wchar_t* kQorpSkinSilver = L"NormalSilver.ini";
inline constexpr const wchar_t* kQorpSkinBlack = L"NormalBlack.ini";

class CQORPSkinColors {
 public:
  static constexpr size_t kMaxFileSize = 64 * 1024;

  CQORPSkinColors();  // the blue scheme

  static const char* GetKeyName(int nColor);  // null out of range
  COLORREF GetColor(int nColor) const;
  void SetColor(int nColor, COLORREF clr);

  // Reads section strSection (empty: the file's first section) of a skin file's text. A bad
  // line anywhere, a missing section or an oversized text fails and changes nothing; pstrError
  // (when given) says what and on which line.
  bool Parse(const std::string& strText, const std::string& strSection, std::string* pstrError = nullptr);

 private:
  std::array<COLORREF, QORP_SKIN_COUNT> m_colors;
};

class CQORPSkinManager {
 public:
  // The one skin manager of the program (user-interface thread only).
  static CQORPSkinManager* Get();

  // Loads section lpszIniFileName of the skin file lpszResourcePath and recolours the dialogs
  // that are open. The file is read from disk when it exists; a path whose file name is
  // "Office2010.cjstyles" and that names no file takes the skin file built into the layer.
  // An empty or null path unloads the skin (returns TRUE); so does a failure (a missing file or
  // section, a bad file), which returns FALSE: dialogs then stay unskinned.
  BOOL LoadSkin(const wchar_t* lpszResourcePath, const wchar_t* lpszIniFileName);
  BOOL IsLoaded() const { return m_bLoaded; }
  const CQORPSkinColors& GetColors() const { return m_colors; }
  CString GetResourcePath() const { return m_strPath; }
  CString GetIniFileName() const { return m_strSection; }

  // Recolours a window and its children now (a dialog that is shown while a skin is loaded is
  // recoloured without this). Nothing happens without a loaded skin.
  void ApplyWindow(HWND hWnd);

 private:
  CQORPSkinManager() = default;
  void Unload();
  void ReapplyAll();
  BOOL m_bLoaded = FALSE;
  CQORPSkinColors m_colors;
  CString m_strPath, m_strSection;
};
