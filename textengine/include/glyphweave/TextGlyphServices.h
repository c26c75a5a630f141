// Functions of the glyph engines and the glyph cache, installed by the glyph cache when the
// library loads (FontCache.cpp): building a character's glyph, the font metrics behind a glyph,
// a font's coverage of some characters and the placed bounds of a glyph outline.
//
// The text's own layout, editing and format operations call the glyph cache and the engines
// directly; this table only stays for callers that reach them through it. A function that is
// not installed means "no glyph".
#pragma once

#include <windows.h>

#include <string>

namespace GlyphweaveLib {

class CCharacterItem;
class CCharacterGlyphRes;
struct _CharsFontDesc;
class CEmbedFontResManager;
class CFontCacheManager;

// A font's metrics at the reference em of 1024 points.
struct TGlyphFontMetrics {
  float m_fAscent = 0.0f;
  float m_fDescent = 0.0f;
  float m_fExternalLeading = 0.0f;
};

struct TTextGlyphServices {
  // Gives item the glyph of its character in font (CCharacterItem::BuildGlyph).
  bool (*pfnBuildGlyph)(CCharacterItem& item, HDC dc, const _CharsFontDesc& font,
                        const CEmbedFontResManager* fonts, CFontCacheManager* cache) = nullptr;
  // The metrics of the font a glyph belongs to; false when it has none.
  bool (*pfnGlyphFontMetrics)(const CCharacterGlyphRes* glyph, TGlyphFontMetrics* out) = nullptr;
  // True when font has a glyph for every UTF-16 unit of text.
  bool (*pfnContainsCharacters)(HDC dc, const _CharsFontDesc& font,
                                const CEmbedFontResManager* fonts,
                                const std::u16string& text) = nullptr;
  // World bounds (left, top, right, bottom) of item's glyph outline under its placement matrix.
  bool (*pfnGlyphWorldBounds)(const CCharacterItem& item, float bounds[4]) = nullptr;
};

// Installs the functions and returns the ones installed before.
TTextGlyphServices SetTextGlyphServices(const TTextGlyphServices& services);
const TTextGlyphServices& GetTextGlyphServices();

}  // namespace GlyphweaveLib
