// Hand-made glyphs of set metrics for layout, caret and editing tests: no real font is read.
//
// Every fixture font has ascent 512, descent 128 and external leading 64 at the reference em;
// characters are inserted at 16 points (k = 1/64), so a character's ascent is 8, its descent 2
// and its leading 1, and a row of plain characters is 11 high. Advances (at 16 points): 'x',
// 'y', 'z' 10; 'i' and ' ' 5; 'W' 20; 13 and 10 0. Each glyph but the space is a square from
// the baseline up to the ascent, as wide as its advance. Fonts are embedded ids 7, 8 and 9
// ("A", "B", "C") with no resource, so only the glyphs stored here are ever found.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <gdiplus/GdiplusPath.h>

#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/EditableTextObj.h"
#include "glyphweave/FontCacheManager.h"

namespace gwfix {

using namespace GlyphweaveLib;

constexpr float kSize = 16.0f;

// A text in a box of settable size.
class BoxText final : public CEditableTextObj {
 public:
  BoxText(float w = 100.0f, float h = 100.0f) : m_fW(w), m_fH(h) {}
  BoxText(const BoxText&) = default;
  BoxText& operator=(const BoxText&) = default;
  Vectorloom::CQorVectorSize<float> GetTextOccurArea() const override { return {m_fW, m_fH}; }
  float m_fW;
  float m_fH;
};

class GlyphFixture {
 public:
  GlyphFixture() {
    for (int id = 7; id <= 9; ++id) {
      CCharacterGlyphsMap* map = m_cache.GetGlyphsMap(Font(id), nullptr);
      map->SetCharsAscent(512.0f);
      map->SetCharsDescent(128.0f);
      map->SetCharsExternalLeading(64.0f);
      const std::vector<std::pair<wchar_t, float>> advances = {
          {L'x', 640}, {L'y', 640}, {L'z', 640}, {L'i', 320}, {L' ', 320},
          {L'W', 1280}, {13, 0}, {10, 0}};
      for (const auto& [ch, adv] : advances) {
        auto* g = new CCharacterGlyphRes();
        g->SetReferIncx(adv);
        g->SetReferIncy(0.0f);
        if (ch != L' ' && adv > 0)
          g->GetGlyphPathDataPointer()->AddRectangle(Gdiplus::RectF(0.0f, -512.0f, adv, 512.0f));
        g->SetOwnerGlyphsMap(map);
        map->SetAt(ch, g);
      }
    }
  }

  static CRichFontDesc Font(int id) {
    CRichFontDesc f;
    f.SetFontFaceName(id == 7 ? L"A" : id == 8 ? L"B" : L"C");
    f.SetEmbedFontID(id);
    f.m_fFontSize = kSize;
    return f;
  }

  void Insert(CEditableTextObj& t, int pos, const std::wstring& s, int fontId = 7) {
    t.InsertString(pos, s.c_str(), -1, nullptr, Font(fontId), nullptr, &m_cache);
  }

  CFontCacheManager& Cache() { return m_cache; }

 private:
  CFontCacheManager m_cache;
};

// Rows as (count, width) and the offsets of all characters, for whole-layout comparisons.
struct TLayoutSnapshot {
  std::vector<TTextLineInfo> rows;
  std::vector<Vectorloom::CQorVectorPoint<float>> offsets;
};

inline TLayoutSnapshot Snapshot(const CEditableTextObj& t) {
  TLayoutSnapshot s;
  const auto& lines = t.GetParagraphsLinesInfo();
  for (int r = 0; r < lines.GetSize(); ++r) s.rows.push_back(lines.GetAt(r));
  for (const auto& c : t.GetArrayOfTextCharacters()) s.offsets.push_back(c.GetCharOffset());
  return s;
}

// Row counts of a laid-out text.
inline std::vector<uint32_t> RowCounts(const CEditableTextObj& t) {
  std::vector<uint32_t> v;
  const auto& lines = t.GetParagraphsLinesInfo();
  for (int r = 0; r < lines.GetSize(); ++r) v.push_back(lines.GetAt(r).m_nCharCount);
  return v;
}

// Runs as (length, embedded id).
inline std::vector<std::pair<uint32_t, int>> Runs(const CEditableTextObj& t) {
  std::vector<std::pair<uint32_t, int>> v;
  const auto& runs = t.GetFontRuns();
  for (int r = 0; r < runs.GetSize(); ++r)
    v.emplace_back(runs.GetAt(r).m_nLength, runs.GetAt(r).m_FontDesc.GetEmbedFontID());
  return v;
}

}  // namespace gwfix
