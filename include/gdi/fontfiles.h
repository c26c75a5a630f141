// Where a Windows face name is found on this system. The GDI font layer resolves every
// CreateFontIndirectW through here, and the exporters use the same answer to open the font file
// that a text was laid out with.
#pragma once

#include <string>

// Finds the font file for a face name with a weight (FW_*, 0 for normal), an italic flag and a
// GDI character set. A full name ("Arial Bold", "Times New Roman Bold Italic") gives its style too. Well-known Windows faces go to their metric twins first (Arial to Liberation
// Sans, Calibri to Carlito, SimSun and the other CJK faces to WenQuanYi Zen Hei ...); the
// character set picks the language, so a CJK request never falls to a Latin face. Fills the
// file's path (UTF-8) and the face index inside it. Only scalable fonts are returned. False when
// nothing can be found (no fonts installed at all).
bool LwResolveFontFile(const wchar_t* face, int weight, bool italic, int charset, std::string* path,
                       int* faceIndex);

// Whether the system has a face of this family in this style (a bold face for a bold request, an
// italic one for an italic request), rather than one that would have to be emboldened or slanted.
bool LwHasFontStyle(const wchar_t* face, bool bold, bool italic);

// The family our alias table puts in place of a Windows face name, or null when the name is not
// in the table. Names compare without regard to ASCII case.
const wchar_t* LwFontAlias(const wchar_t* face);

#include <vector>

// One face of an installed, scalable font file.
struct LwInstalledFont {
  std::wstring description;  // the face's full name ("Liberation Sans Bold"), else family and style
  std::string path;          // the file (UTF-8)
  int faceIndex = 0;         // the face inside the file: a font collection lists each face
};

// The installed font faces as fontconfig knows them, in place of listing the Windows fonts folder:
// each face of a collection is its own entry with its own index. Ordered by path, then face
// index, so two calls on one system list the same entries in the same order.
std::vector<LwInstalledFont> LwInstalledFonts();
