// A colour theme: the named colours the ribbon, pop-ups, status bar, docking panes and
// backstage are painted with, read from a theme file.
//
// Theme file: UTF-8 text, at most 64 KiB. Lines "[Section]", "Key=#RRGGBB" and comments starting
// with ';' or '#' at the line start; blank lines and spaces round keys and values are ignored.
// Colours are read from the section [Colors]; other sections are skipped. Keys are matched
// without regard to case; a key this program does not know is skipped; a colour the file does not
// give keeps its default.
#pragma once

#include <windows.h>

#include <array>
#include <string>

enum QORPThemeColor : int {
  QORP_CLR_RIBBON_PRIMARY,
  QORP_CLR_RIBBON_SECONDARY,
  QORP_CLR_RIBBON_TERTIARY,
  QORP_CLR_TAB_LABEL,
  QORP_CLR_PANEL_LABEL,
  QORP_CLR_DISABLED_LABEL,
  QORP_CLR_HOVER_FILL,
  QORP_CLR_HOVER_FRAME,
  QORP_CLR_POPUP_BACK,
  QORP_CLR_GALLERY_LABEL_BAND,
  QORP_CLR_STATUSBAR_BACK,
  QORP_CLR_STATUSBAR_TEXT,
  QORP_CLR_BACKSTAGE_BACK,
  QORP_CLR_BACKSTAGE_ACCENT,
  QORP_CLR_DOCKING_PANE,
  QORP_CLR_WORD_PANE_BACKGROUND,
  QORP_CLR_SELECTED_FILL,
  QORP_CLR_SELECTED_FRAME,
  QORP_CLR_HIGHLIGHTED_FILL,
  QORP_CLR_HIGHLIGHTED_FRAME,
  QORP_CLR_DOCK_CAPTION_ACTIVE,
  QORP_CLR_DOCK_CAPTION_INACTIVE,
  QORP_CLR_DOCK_CAPTION_TEXT,
  QORP_CLR_DIALOG_BACK,
  QORP_CLR_STATIC_TEXT,
  QORP_CLR_COUNT
};

class CQORPThemeColors {
 public:
  static constexpr size_t kMaxFileSize = 64 * 1024;

  CQORPThemeColors();  // the default (blue) colours

  // The key of a colour in theme files ("RibbonPrimary", ...), or null out of range.
  static const char* GetKeyName(int nColor);
  // The colour of a key ("DockingPane", "WordPaneBackground", ...), case-insensitive.
  static int FindKey(const std::string& strKey);

  COLORREF GetColor(int nColor) const;
  void SetColor(int nColor, COLORREF clr);

  // Reads a theme file's text into these colours. On failure the colours are unchanged and
  // pstrError (when given) says what and on which line.
  bool Parse(const std::string& strText, std::string* pstrError = nullptr);
  // Reads the file at a UTF-8 path; a missing, oversized or bad file leaves the colours as they were.
  bool LoadFile(const std::string& strPath, std::string* pstrError = nullptr);

 private:
  std::array<COLORREF, QORP_CLR_COUNT> m_colors;
};
