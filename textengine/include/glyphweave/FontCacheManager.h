// The glyph cache: one CCharacterGlyphsMap per font (character -> counted glyph, plus the font's
// metrics at the reference size) inside one CFontCacheManager (font descriptor -> glyph map).
//
// Threads: the cache is reached from the user-interface thread and from page-render workers.
// One recursive lock per cache (GetLock) guards the cache and all its glyph maps: every member
// of both takes it, and CCharacterItem::BuildGlyph holds it for the whole lookup-make-insert
// step. Pointers returned by the Lookup functions are valid until the cache is reset; hold the
// lock while using them when another thread may reset the cache. Glyph reference counts are
// atomic, so character items may release glyphs on any thread.
#pragma once

#include <windows.h>

#include <map>
#include <mutex>
#include <vector>

#include "glyphweave/CharsFontDesc.h"

namespace GlyphweaveLib {

class CCharacterGlyphRes;
class CEmbedFontResManager;

class CCharacterGlyphsMap {
 public:
  // Share of the reference em taken as ascent / descent by an embedded face that reports none.
  static constexpr float kAscentFallback = 0.8f;
  static constexpr float kDescentFallback = 0.8f;

  // An empty map with the metrics of font: from GDI for system fonts and fonts served by their
  // face name, from the face of the font program for embedded programs.
  CCharacterGlyphsMap(const _CharsFontDesc& font, const CEmbedFontResManager* fonts);
  ~CCharacterGlyphsMap();
  CCharacterGlyphsMap(const CCharacterGlyphsMap&) = delete;
  CCharacterGlyphsMap& operator=(const CCharacterGlyphsMap&) = delete;

  // The metrics of the installed font of font's face on the screen context. False, with all
  // three metrics 0, when the font cannot be made.
  bool RetrieveTextMetricsGDI(const _CharsFontDesc& font);

  // The glyph of ch, or null.
  CCharacterGlyphRes* Lookup(wchar_t ch) const;
  // Stores glyph under ch with the map's reference, releasing a glyph stored there before.
  void SetAt(wchar_t ch, CCharacterGlyphRes* glyph);
  // Releases the map's reference on every glyph; glyphs still held elsewhere forget the map.
  void Reset();

  int GetCount() const;
  // The characters that have a glyph, ascending.
  std::vector<wchar_t> GetCharacterKeys() const;

  float GetCharsAscent() const { return m_fAscent; }
  void SetCharsAscent(float v) { m_fAscent = v; }
  float GetCharsDescent() const { return m_fDescent; }
  void SetCharsDescent(float v) { m_fDescent = v; }
  float GetCharsExternalLeading() const { return m_fExternalLeading; }
  void SetCharsExternalLeading(float v) { m_fExternalLeading = v; }

 private:
  friend class CFontCacheManager;
  std::unique_lock<std::recursive_mutex> Guard() const;

  std::map<wchar_t, CCharacterGlyphRes*> m_mapGlyphs;
  float m_fAscent = 0.0f;
  float m_fDescent = 0.0f;
  float m_fExternalLeading = 0.0f;
  std::recursive_mutex* m_pLock = nullptr;  // the owning cache's lock, when in a cache
};

class CFontCacheManager {
 public:
  CFontCacheManager() = default;
  ~CFontCacheManager();
  CFontCacheManager(const CFontCacheManager&) = delete;
  CFontCacheManager& operator=(const CFontCacheManager&) = delete;

  // The glyph map of font, or null.
  CCharacterGlyphsMap* Lookup(const _CharsFontDesc& font) const;
  CCharacterGlyphsMap* Lookup(const wchar_t* face, BYTE charset, BYTE pitchAndFamily, int embedFontId) const;
  // The glyph map of font, made (with its metrics) when missing.
  CCharacterGlyphsMap* GetGlyphsMap(const _CharsFontDesc& font, const CEmbedFontResManager* fonts);
  // Resets and deletes every glyph map.
  void Reset();
  int GetCount() const;

  // The lock of this cache and of its glyph maps.
  std::recursive_mutex& GetLock() const { return m_lock; }

 private:
  std::map<_CharsFontDesc, CCharacterGlyphsMap*> m_mapFonts;
  mutable std::recursive_mutex m_lock;
};

}  // namespace GlyphweaveLib
