// The per-character metrics that layout, caret placement and hit testing share, read once per
// character from its glyph and format.
#pragma once

#include "glyphweave/CharacterItem.h"

namespace GlyphweaveLib {

struct TCharLayoutMetrics {
  float m_fAscent = 0.0f;   // above the baseline, the line shift taken off
  float m_fDescent = 0.0f;  // below the baseline, the line shift added
  float m_fLeading = 0.0f;  // external leading
  float m_fAdvanceX = 0.0f; // horizontal advance, spacing included
  float m_fAdvanceY = 0.0f; // vertical advance
};

inline TCharLayoutMetrics GetCharLayoutMetrics(const CCharacterItem& c) {
  TCharLayoutMetrics m;
  m.m_fAscent = c.GetCharAscent();
  m.m_fDescent = c.GetCharDescent();
  m.m_fLeading = c.GetCharExternalLeading();
  m.m_fAdvanceX = c.GetIncreaseDeltaX();
  m.m_fAdvanceY = c.GetIncreaseDeltaY();
  return m;
}

}  // namespace GlyphweaveLib
