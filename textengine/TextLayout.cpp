// Layout of a text: greedy, character by character, left-aligned from x = 0. A row ends at a
// paragraph break (13) or where the next character would pass the right edge of the box.

#include <cmath>
#include <cstdint>

#include "glyphweave/EditableTextObj.h"
#include "glyphweave/CharacterGlyphRes.h"
#include "TextMetrics.h"

namespace GlyphweaveLib {

namespace {

// The open row while laying out.
struct TOpenRow {
  float top = 0.0f;
  float width = 0.0f;
  uint32_t count = 0;
  size_t first = 0;  // index of the row's first character
  float maxAscent = -1.0f;
  float maxDescent = -1.0f;
  float maxLeading = -1.0f;

  void Open(float t, size_t firstChar) {
    top = t;
    width = 0.0f;
    count = 0;
    first = firstChar;
    maxAscent = maxDescent = maxLeading = -1.0f;
  }
  void Take(const TCharLayoutMetrics& m) {
    if (m.m_fAscent > maxAscent) maxAscent = m.m_fAscent;
    if (m.m_fDescent > maxDescent) maxDescent = m.m_fDescent;
    if (m.m_fLeading > maxLeading) maxLeading = m.m_fLeading;
  }
};

// The height a row takes before the next one. Kept and new rows use the same sum, in the same
// order, so that laying out from a kept row gives exactly the rows of a full layout; row maxima
// are negative under a negative Y scale, hence the absolute values.
float RowHeight(float descent, float ascent, float leading) {
  return std::fabs(descent) + std::fabs(ascent) + std::fabs(leading);
}

}  // namespace

float CEditableTextObj::LineGap(int64_t n) const {
  if (n < 0 || n > 0xFFFF) return 0.0f;
  return GetRowGap(static_cast<unsigned short>(n));
}

int CEditableTextObj::FindRowOfChar(int index, int* rowStart) const {
  if (rowStart) *rowStart = -1;
  if (index < 0) return -1;
  int64_t start = 0;
  for (int r = 0; r < m_setLines.GetSize(); ++r) {
    const int64_t count = m_setLines.GetAt(r).m_nCharCount;
    if (index < start + count) {
      if (rowStart) *rowStart = static_cast<int>(start);
      return r;
    }
    start += count;
  }
  return -1;
}

void CEditableTextObj::RelayoutFromCharRow(int index) { RelayoutFromRow(FindRowOfChar(index)); }

void CEditableTextObj::RelayoutFromRow(int row) {
  // A character in no row (below a height stop) may fit after the change: the last row then.
  if (row < 0 || row >= m_setLines.GetSize()) row = m_setLines.GetSize() - 1;
  // A change in row r can let its first characters fit at the end of row r - 1.
  if (row > 0) --row;
  RecalcuLayout(row < 0 ? 0 : row);
}

void CEditableTextObj::RecalcuLayout(int startRow) {
  DropBrokenLigatures();
  const size_t total = m_arrCharacters.size();
  if (startRow < 0) startRow = 0;
  if (startRow > m_setLines.GetSize()) startRow = m_setLines.GetSize();

  // The kept rows give the first character, the height and the line number to go on from.
  float y = 0.0f;
  size_t i = 0;
  int64_t line = 0;
  for (int r = 0; r < startRow; ++r) {
    const TTextLineInfo& row = m_setLines.GetAt(r);
    i += row.m_nCharCount;
    if (i > total) {  // kept rows that no longer match the characters: lay out from scratch
      startRow = 0;
      y = 0.0f;
      i = 0;
      line = 0;
      break;
    }
    y = y + RowHeight(row.m_fDescent, row.m_fAscent, row.m_fLeading) + LineGap(line);
    if (i > 0 && m_arrCharacters[i - 1].GetCharacter() == 13) ++line;
  }
  m_setLines.Shrink(startRow);

  const Vectorloom::CQorVectorSize<float> box = GetTextOccurArea();
  const float W = box.cx;
  const float H = box.cy;

  TOpenRow row;
  row.Open(y, i);
  float x = 0.0f;

  auto closeRow = [&]() {
    for (size_t c = row.first; c < row.first + row.count; ++c) {
      CCharacterItem& item = m_arrCharacters[c];
      Vectorloom::CQorVectorPoint<float> p = item.GetCharOffset();
      p.y += row.maxAscent;
      item.SetCharOffset(p);
    }
    TTextLineInfo info;
    info.m_nCharCount = row.count;
    info.m_fWidth = row.width;
    info.m_fAscent = row.maxAscent;
    info.m_fDescent = row.maxDescent;
    info.m_fLeading = row.maxLeading;
    m_setLines.Append(info);
  };

  while (i < total) {
    CCharacterItem& item = m_arrCharacters[i];
    const TCharLayoutMetrics m = GetCharLayoutMetrics(item);
    if (H < row.top + m.m_fAscent + m.m_fDescent + m.m_fLeading) break;  // height stop

    const float shift = item.GetHorizontalShift();
    x += shift;
    if (shift != 0.0f) row.width += shift;
    const bool isBreak = item.GetCharacter() == 13;

    if (W < x + m.m_fAdvanceX || isBreak) {
      if (isBreak) {  // the break belongs to the row it ends
        row.Take(m);
        item.SetCharOffset({x, y});
        ++row.count;
        ++i;
      }
      if (row.count == 0) return;  // does not fit even in an empty row: layout ends here
      closeRow();
      const float top =
          row.top + RowHeight(row.maxDescent, row.maxAscent, row.maxLeading) + LineGap(line);
      row.Open(top, i);
      y = top;
      x = 0.0f;
      if (isBreak) {
        ++line;
        continue;
      }
      // The wrapped character opens the new row at x = 0, without its shift and without a new
      // width test: wider than the box, it stands alone in its row.
    }

    row.Take(m);
    item.SetCharOffset({x, y});
    ++row.count;
    row.width += m.m_fAdvanceX;
    x += m.m_fAdvanceX;
    y += m.m_fAdvanceY;
    ++i;
  }
  if (row.count >= 1) closeRow();
}

}  // namespace GlyphweaveLib
