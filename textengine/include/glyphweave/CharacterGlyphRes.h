// CCharacterGlyphRes: the glyph of one character in one font, shared by counted reference
// between the glyph cache and every character item that shows it. It holds the outline and the
// advances at the reference size (an em of 1024 points), the glyph map that made it, and a copy
// of that map's font metrics, so that a glyph outliving its map (after the cache is reset) still
// answers its metrics without reading the freed map.
#pragma once

#include <atomic>

#include <gdiplus/GdiplusPath.h>
#include <vectorloom/RefObj.h>

namespace GlyphweaveLib {

class CCharacterGlyphsMap;

class CCharacterGlyphRes : public Vectorloom::CRefObj {
 public:
  CCharacterGlyphRes();
  CCharacterGlyphRes(const CCharacterGlyphRes&) = delete;
  CCharacterGlyphRes& operator=(const CCharacterGlyphRes&) = delete;

  Gdiplus::GraphicsPath* GetGlyphPathDataPointer() { return &m_path; }
  const Gdiplus::GraphicsPath* GetGlyphPathDataPointer() const { return &m_path; }

  float GetReferIncx() const { return m_fReferIncx; }
  void SetReferIncx(float v) { m_fReferIncx = v; }
  float GetReferIncy() const { return m_fReferIncy; }
  void SetReferIncy(float v) { m_fReferIncy = v; }

  // The glyph map that made the glyph; null once the cache has let it go.
  CCharacterGlyphsMap* GetOwnerGlyphsMap() const { return m_pOwner.load(std::memory_order_acquire); }
  // A non-null map also gives the glyph its font metrics (FontCache.cpp); null only forgets it.
  void SetOwnerGlyphsMap(CCharacterGlyphsMap* map);

  // The ascent, descent and external leading of the glyph's font at the reference size, kept
  // from the owner map. Without metrics all three are 0.
  bool HasFontMetrics() const { return m_bHasMetrics; }
  float GetCharsAscent() const { return m_fAscent; }
  float GetCharsDescent() const { return m_fDescent; }
  float GetCharsExternalLeading() const { return m_fExternalLeading; }
  void SetFontMetrics(float ascent, float descent, float externalLeading);

  // A part of a ligature the font draws for a run of letters (CEditableTextObj::ApplyLigatures),
  // kept by the font's glyph map and shared by every place that shows the ligature over the same
  // letter glyphs (CCharacterGlyphsMap::GetLigaturePart): the first letter's part holds the
  // ligature's outline, each further letter's part no outline; every part keeps its letter's own
  // advance and metrics, so the layout is the letters' layout. Each part holds its letter's own
  // glyph (the plain glyph), and every further part holds the first part.
  // A letter the font has no glyph for (a subset that holds it only inside the ligature) has no
  // plain glyph: its part advances by nothing, as the letter did, with the metrics of `metrics`.
  // Makes this glyph part `index` (0 first) of `length` (2 or more), for the letter glyph `plain`
  // (or null), after `head` (null for the first part).
  void SetLigaturePart(CCharacterGlyphRes* plain, CCharacterGlyphRes* head, int index, int length,
                       const CCharacterGlyphRes* metrics);
  bool IsLigaturePart() const { return m_nLigatureLength > 0; }
  CCharacterGlyphRes* GetPlainGlyph() const { return m_pPlain; }
  // The first part (itself for the first part).
  const CCharacterGlyphRes* GetLigatureHead() const { return m_pHead ? m_pHead : this; }
  int GetLigatureIndex() const { return m_nLigatureIndex; }
  int GetLigatureLength() const { return m_nLigatureLength; }

  // The second unit of a surrogate pair drawn as one character (CEditableTextObj::
  // JoinSurrogatePairs): a part with no outline that advances by nothing, letter spacing included,
  // so the pair measures one advance. Set on a part only.
  void SetContinuation(bool on) { m_bContinuation = on; }
  bool IsContinuation() const { return m_bContinuation; }

 protected:
  ~CCharacterGlyphRes() override;  // deleted by the last Release

 private:
  Gdiplus::GraphicsPath m_path;
  float m_fReferIncx = 0.0f;
  float m_fReferIncy = 0.0f;
  std::atomic<CCharacterGlyphsMap*> m_pOwner{nullptr};
  bool m_bHasMetrics = false;
  float m_fAscent = 0.0f;
  float m_fDescent = 0.0f;
  float m_fExternalLeading = 0.0f;
  CCharacterGlyphRes* m_pPlain = nullptr;  // counted
  CCharacterGlyphRes* m_pHead = nullptr;   // counted
  int m_nLigatureIndex = 0;
  int m_nLigatureLength = 0;
  bool m_bContinuation = false;
};

}  // namespace GlyphweaveLib
