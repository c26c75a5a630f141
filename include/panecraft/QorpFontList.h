// The toolkit's shared font list: the font families of the system, enumerated once for the
// process through fontconfig and handed out in a fixed order (sorted by name, without regard to
// case). Each entry has a face name and a type word; scalable (outline) families have the type
// word QORP_FONTTYPE_SCALABLE, families of bitmap fonts only QORP_FONTTYPE_BITMAP.
#pragma once

#include <afxstr.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

constexpr DWORD QORP_FONTTYPE_BITMAP = 1;
constexpr DWORD QORP_FONTTYPE_SCALABLE = 512;

struct CQORPFontEntry {
  CString m_strFaceName;
  DWORD m_dwFontType = QORP_FONTTYPE_SCALABLE;
  BYTE m_nCharSet = 1;         // DEFAULT_CHARSET; SYMBOL_CHARSET (2) for symbol fonts
  BYTE m_nPitchAndFamily = 0;  // DEFAULT_PITCH; FIXED_PITCH (1) for monospaced families
};

// One family as the system reports it, before filtering: its name, whether any of its fonts is
// scalable, whether it is monospaced and whether it is a symbol font.
struct QORPRawFontFamily {
  std::string strName;  // UTF-8
  bool bScalable = true;
  bool bMonospaced = false;
  bool bSymbol = false;
};

// The list the program sees, from what the system reports: names are trimmed; empty names,
// vertical faces (starting with '@'), hidden faces (starting with '.') and names with control
// characters are dropped; families of the same name (without regard to case) become one entry,
// scalable when any of them is; the result is sorted without regard to case.
std::vector<CQORPFontEntry> QORPFilterFontFamilies(const std::vector<QORPRawFontFamily>& families);

class CQORPFontList {
 public:
  // The list of the process, enumerated on first use.
  static CQORPFontList* GetShared();

  int GetCount() const { return static_cast<int>(m_entries.size()); }
  // The entry at nIndex (null out of range); entries live as long as the list.
  const CQORPFontEntry* GetAt(int nIndex) const;
  // The entry with the face name (without regard to case), or null.
  const CQORPFontEntry* Find(const wchar_t* lpszFaceName) const;

  // Asks fontconfig again (fonts installed since); entries handed out before stay valid.
  void Refresh();

 private:
  CQORPFontList() = default;
  std::vector<std::shared_ptr<const CQORPFontEntry>> m_entries;
  std::vector<std::shared_ptr<const CQORPFontEntry>> m_retired;
};
