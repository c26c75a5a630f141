// The glyph cache: one CCharacterGlyphsMap per font (character -> counted glyph, plus the font's
// metrics at the reference size) inside one CFontCacheManager (font descriptor -> glyph map).
//
// Threads: the cache is reached from the user-interface thread and from page-render workers.
// One recursive lock per cache (GetLock) guards the cache and all its glyph maps: every member
// of both takes it, and CCharacterItem::BuildGlyph holds it for the whole lookup-make-insert
// step. Pointers returned by the Lookup functions are valid until the cache is reset; hold the
// lock while using them when another thread may reset the cache. Glyph reference counts are
// atomic, so character items may release glyphs on any thread.
//
// A glyph map of an embedded font program keeps that program's FreeType face open for as long as
// the map lives, so the font's resource (which the face reads in place) must outlive the cache's
// maps: the cache is reset before the fonts it was used with are deleted. A character the font
// cannot draw is remembered as a miss and not asked for again until the cache is reset.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "glyphweave/CharsFontDesc.h"

namespace GlyphweaveLib {

class CCharacterGlyphRes;
class CEmbedFontResManager;
class CEmbedFontResouce;
class CFFTypeFontEngine;

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
  // The misses are forgotten too.
  void Reset();

  // A character (or glyph-id key) the font has no glyph for: remembered so that it is not made
  // again. Storing a glyph under the key forgets its miss.
  bool IsMiss(wchar_t ch) const;
  void AddMiss(wchar_t ch);
  int GetMissCount() const;

  // The map's own FreeType engine over the font's program, opened once when the map is made;
  // null for fonts that GDI serves. Used under the cache's lock.
  CFFTypeFontEngine* GetFontEngine() const { return m_pEngine.get(); }
  // The embedded font whose program the map's glyphs come from (whether or not its face opened),
  // or null when GDI serves the font.
  const CEmbedFontResouce* GetProgram() const { return m_pProgram; }

  // Part `index` of `length` of the ligature glyph `ligature` of this map's font, for the letter
  // glyph `plain` (or null) after the first part `head` (null for the first part), with a
  // reference for the caller. A part depends on nothing else, so every place that shows the
  // ligature over the same letter glyphs shares one part (and the first part one outline) for as
  // long as the map lives. Null for a null ligature glyph.
  CCharacterGlyphRes* GetLigaturePart(CCharacterGlyphRes* plain, CCharacterGlyphRes* ligature, CCharacterGlyphRes* head,
                                      int index, int length);

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
  std::set<wchar_t> m_setMisses;
  struct LigatureKey {
    const CCharacterGlyphRes* plain;
    const CCharacterGlyphRes* ligature;
    const CCharacterGlyphRes* head;
    int index;
    int length;
    bool operator<(const LigatureKey& o) const {
      if (plain != o.plain) return std::less<const CCharacterGlyphRes*>()(plain, o.plain);
      if (ligature != o.ligature) return std::less<const CCharacterGlyphRes*>()(ligature, o.ligature);
      if (head != o.head) return std::less<const CCharacterGlyphRes*>()(head, o.head);
      if (index != o.index) return index < o.index;
      return length < o.length;
    }
  };
  // The part, with the map's reference, and the map's reference on the key's ligature glyph (the
  // part holds its plain glyph and head itself), so a key never names a glyph that has gone.
  struct LigatureEntry {
    CCharacterGlyphRes* part = nullptr;
    CCharacterGlyphRes* ligature = nullptr;
  };
  std::map<LigatureKey, LigatureEntry> m_mapLigatureParts;
  std::unique_ptr<CFFTypeFontEngine> m_pEngine;
  const CEmbedFontResouce* m_pProgram = nullptr;
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
