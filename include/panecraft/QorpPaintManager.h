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

class CQORPResourceTheme {
 public:
  // The theme images and colours: the theme file lpszIniName in the resource folder (the folder
  // standing for the theme module beside the program). An empty INI name, a missing or a bad file
  // leaves the current colours; returns whether new colours were taken.
  static bool SetImageHandle(const wchar_t* lpszResourceFolder, const wchar_t* lpszIniName);
};
