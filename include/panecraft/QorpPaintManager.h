// The paint manager: the current theme's colours, and the windows that repaint when they change.
#pragma once

#include <QorpTheme.h>

#include <functional>
#include <string>
#include <vector>

class CQORPPaintManager {
 public:
  // The one paint manager of the program (user-interface thread only).
  static CQORPPaintManager* Get();

  int GetTheme() const { return m_nTheme; }
  // Selects a paint theme by number; the listeners run.
  void SetTheme(int nTheme);
  const CQORPThemeColors& GetColors() const { return m_colors; }
  COLORREF GetColor(int nColor) const { return m_colors.GetColor(nColor); }
  // Takes a new colour set (a bad file was refused before it got here); the listeners run.
  void SetColors(const CQORPThemeColors& colors);

  // Called after every change of theme or colours; returns a cookie for RemoveListener.
  int AddListener(std::function<void()> fn);
  void RemoveListener(int nCookie);

 private:
  void Notify();
  int m_nTheme = 0;
  CQORPThemeColors m_colors;
  int m_nNextCookie = 1;
  std::vector<std::pair<int, std::function<void()>>> m_listeners;
};

// Theme names of the three colour themes and the module that holds them.
inline constexpr const wchar_t* kQorpThemeModule = L"Office2010.dll";
inline constexpr const wchar_t* kQorpThemeBlue = L"OFFICE2010BLUE.INI";
inline constexpr const wchar_t* kQorpThemeSilver = L"OFFICE2010SILVER.INI";
inline constexpr const wchar_t* kQorpThemeBlack = L"OFFICE2010BLACK.INI";

class CQORPResourceTheme {
 public:
  // Takes the colours of theme lpszIniName from the theme module lpszModule:
  // - a folder: the file of that name in it (a theme set on disk);
  // - otherwise a path whose file name is "Office2010.dll": the three themes built into this
  //   layer ("OFFICE2010BLUE.INI", "OFFICE2010SILVER.INI", "OFFICE2010BLACK.INI"), whether or
  //   not such a file exists.
  // Names are compared without regard to case. An empty name, an unknown theme or a bad file
  // leaves the current colours; returns whether new colours were taken.
  static bool SetImageHandle(const wchar_t* lpszModule, const wchar_t* lpszIniName);
  // The text of a theme file found as above; false (and why, when pstrError is given) otherwise.
  static bool LoadThemeText(const wchar_t* lpszModule, const wchar_t* lpszIniName, std::string& strText,
                            std::string* pstrError = nullptr);
};
