// Preparing imported texts for merging: one row, a matrix without scale.
#include <algorithm>
#include <cmath>

#include "quirebook/DDrawTextObj.h"

namespace Quirebook {

namespace {
constexpr float kEpsilon = 5e-8f;
}  // namespace

void CDDrawTextObj::NormalizePDFText(bool moveUp) {
  Vectorloom::CQorTransMatrix m = GetTransMatrix();
  GlyphweaveLib::CArrayOfTextCharacters& chars = GetArrayOfTextCharacters();

  if (std::fabs(m.m12) < kEpsilon) {
    chars.ChangeFormats(0, chars.size(), [&m](GlyphweaveLib::CCharacterItem& ch) {
      const float oldY = ch.GetCharYScale();
      ch.SetCharXScale(ch.GetCharXScale() * m.m11);
      ch.SetCharSpacing(ch.GetCharSpacing() * m.m11);
      ch.SetCharYScale(oldY * m.m22);
      ch.SetBaselineShift(ch.GetBaselineShift() * m.m22);
      // A shear of the matrix becomes the italic skew; a flat text (no height) keeps its skew.
      const float denominator = oldY * m.m22;
      if (m.m21 != 0 && denominator != 0 && std::isfinite(m.m21 / denominator)) ch.SetItalicSkew(m.m21 / denominator);
    });
    for (GlyphweaveLib::CCharacterItem& ch : chars) ch.SetHorizontalShift(ch.GetHorizontalShift() * m.m11);
    m.m11 = m.m22 = 1;
    m.m21 = 0;
  }
  chars.ShareFormats();  // after the scales, and after a merge that shifted the joined characters

  // One row: running positions, the row's ascent, descent and leading as maxima.
  float ascent = -1.0f, descent = -1.0f, leading = -1.0f;
  float x = 0, y = 0, width = 0;
  for (GlyphweaveLib::CCharacterItem& ch : chars) {
    ascent = std::max(ascent, ch.GetCharAscent());
    descent = std::max(descent, ch.GetCharDescent());
    leading = std::max(leading, ch.GetCharExternalLeading());
    const float shift = ch.GetHorizontalShift();
    x += shift;
    if (shift > 0) width += shift;
    ch.SetCharOffset({x, y});
    const float advance = ch.GetIncreaseDeltaX();
    x += advance;
    width += advance;
    y += ch.GetIncreaseDeltaY();
  }
  if (chars.empty()) ascent = descent = leading = 0;
  for (GlyphweaveLib::CCharacterItem& ch : chars) {
    const auto& p = ch.GetCharOffset();
    ch.SetCharOffset({p.x, p.y + ascent});
  }

  auto& rows = GetParagraphsLinesInfo();
  rows.Clear();
  GlyphweaveLib::TTextLineInfo row;
  row.m_nCharCount = static_cast<uint32_t>(chars.size());
  row.m_fWidth = width;
  row.m_fAscent = ascent;
  row.m_fDescent = descent;
  row.m_fLeading = leading;
  rows.Append(row);
  SetLayoutBox(width, ascent + descent + leading);

  if (moveUp) m.Prepend(Vectorloom::CQorTransMatrix::Translation(0, -ascent));
  SetTransMatrix(m, false);
}

}  // namespace Quirebook
