// Inner parts of the font layer: resolved faces, the per-LOGFONT face cache and the builders of
// GDI's glyph outline records.
#pragma once

#include <ftlibrary.h>
#include FT_OUTLINE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gdi_internal.h"

namespace lwgdi {

struct ResolvedFont {
  std::string path;
  int faceIndex = 0;
  std::wstring family;  // the installed family that was chosen
  bool aliased = false;  // the face name was in our alias table
  bool bold = false, italic = false;  // the style of the face that was chosen
  const char* lang = nullptr;
};

const char* CharsetLanguage(int charset);
int LanguageCharset(const char* lang);
bool ResolveFont(const wchar_t* face, int weight, bool italic, int charset, ResolvedFont* out);

// One opened face at the pixel size a LOGFONT asks for. The FT_Face is used under the FreeType
// lock only.
struct FontFace {
  ~FontFace();
  FT_Face face = nullptr;
  int ppem = 0;
  TEXTMETRICW tm{};
  std::wstring faceName;  // what GetTextFaceW reports
  std::vector<WCRANGE> ranges;  // BMP ranges of the Unicode map
  DWORD glyphsSupported = 0;
};

// The face of a font object, opened and cached on first use; null when no font file is found.
std::shared_ptr<FontFace> FaceOf(Font* font);

// Metrics by GDI's rules for a face set to `ppem` pixels per em.
void ComputeTextMetrics(FT_Face face, int ppem, const LOGFONTW& lf, TEXTMETRICW* tm);
// The em in pixels for a LOGFONT height (negative: em height, positive: cell height).
int PixelsPerEm(FT_Face face, LONG lfHeight);

// A 16.16 value from a 26.6 one, saturating at the FIXED range.
FIXED FixedFrom26Dot6(int64_t v);

// Appends GDI native outline records (TTPOLYGONHEADER + TTPOLYCURVE, y up) for an outline in
// 26.6 pixel units. Cubic segments become quadratic splines. False for a malformed outline.
bool BuildNativeOutline(const FT_Outline& outline, std::vector<uint8_t>* out);

// Quadratic approximation of the cubic p0 c1 c2 p3 (26.6 units): appends (control, end) pairs.
void CubicToQuadratics(const FT_Vector& p0, const FT_Vector& c1, const FT_Vector& c2, const FT_Vector& p3,
                       std::vector<FT_Vector>* out);

// The full name of a face as Windows describes a font file ("Liberation Sans Bold").
std::wstring FaceFullName(FT_Face face);

// Runs a font program through the code paths that read untrusted font bytes (for fuzzing).
void ExerciseFontBytes(const uint8_t* data, size_t size);

}  // namespace lwgdi
