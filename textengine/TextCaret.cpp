// Caret positions of a laid-out text: hit testing, moving to the row above or below, the start
// of a row, and the extent of the visible glyphs. Only characters that lie in rows are reached.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>

#include <gdiplus/GdiplusMatrix.h>
#include <gdiplus/GdiplusPath.h>

#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/EditableTextObj.h"
#include "TextMetrics.h"

namespace GlyphweaveLib {

namespace {

constexpr float kLargest = 3.4028235e38f;

float Square(float v) { return v * v; }

// The middle of a character's box: offset x + advance / 2, and halfway between its top
// (offset y - ascent) and its bottom (offset y + descent).
Vectorloom::CQorVectorPoint<float> Middle(const CCharacterItem& c, const TCharLayoutMetrics& m) {
  const Vectorloom::CQorVectorPoint<float>& o = c.GetCharOffset();
  return {o.x + m.m_fAdvanceX / 2.0f, o.y - m.m_fAscent + (m.m_fAscent + m.m_fDescent) / 2.0f};
}

float Distance2(const Vectorloom::CQorVectorPoint<float>& a,
                const Vectorloom::CQorVectorPoint<float>& b) {
  return Square(a.x - b.x) + Square(a.y - b.y);
}

bool IsBlank(char16_t c) { return c < 256 && std::isspace(static_cast<int>(c)) != 0; }

}  // namespace

int CEditableTextObj::HitTestCaretPos(const Vectorloom::CQorVectorPoint<float>& pt) const {
  if (m_arrCharacters.empty()) return -1;
  const int rows = m_setLines.GetSize();
  if (rows < 1) return 0;

  // Find the row by the same heights that layout stacks the rows with; the first character of
  // a row is the running sum of the counts before it (after a height stop the last row does not
  // end the text).
  float top = 0.0f;
  int64_t line = 0;
  int64_t start = 0;
  int hitRow = -1;
  int64_t hitStart = 0;
  int64_t lastStart = 0;
  for (int r = 0; r < rows; ++r) {
    const TTextLineInfo& row = m_setLines.GetAt(r);
    const float bottom =
        top + std::fabs(row.m_fDescent) + std::fabs(row.m_fAscent) + std::fabs(row.m_fLeading);
    if (top <= pt.y && pt.y < bottom) {
      hitRow = r;
      hitStart = start;
      break;
    }
    top = bottom + LineGap(line);
    lastStart = start;
    start += row.m_nCharCount;
    if (start > 0 && static_cast<size_t>(start) <= m_arrCharacters.size() &&
        m_arrCharacters[static_cast<size_t>(start - 1)].GetCharacter() == 13)
      ++line;
  }
  if (hitRow < 0) {  // above, below or between the rows: the last row
    hitRow = rows - 1;
    hitStart = lastStart;
  }

  const int64_t end = std::min<int64_t>(hitStart + m_setLines.GetAt(hitRow).m_nCharCount,
                                        static_cast<int64_t>(m_arrCharacters.size()));
  float best = kLargest;
  int result = -1;
  for (int64_t i = hitStart; i < end; ++i) {
    const CCharacterItem& c = m_arrCharacters[static_cast<size_t>(i)];
    // The second unit of a pair drawn as one character is no caret stop of its own.
    if (!c.GetCharGlyphPath() || c.GetCharGlyphPath()->IsContinuation()) continue;
    const float d = Distance2(pt, Middle(c, GetCharLayoutMetrics(c)));
    if (d < best) {
      best = d;
      result = static_cast<int>(i);
    }
  }
  if (end > hitStart) {  // the right end of the row's last character
    const CCharacterItem& c = m_arrCharacters[static_cast<size_t>(end - 1)];
    if (c.GetCharGlyphPath()) {
      const TCharLayoutMetrics m = GetCharLayoutMetrics(c);
      const Vectorloom::CQorVectorPoint<float> right{c.GetCharOffset().x + m.m_fAdvanceX,
                                                     Middle(c, m).y};
      if (Distance2(pt, right) < best) result = static_cast<int>(end - 1) | kCaretBehind;
    }
  }
  return result < 0 ? 0 : result;
}

int CEditableTextObj::CalcuNextRowCaretPos(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_arrCharacters.size()) return -1;
  int start = 0;
  const int row = FindRowOfChar(index, &start);
  if (row < 0 || row + 1 >= m_setLines.GetSize()) return -1;
  const int64_t next = static_cast<int64_t>(start) + m_setLines.GetAt(row).m_nCharCount;
  const int64_t end = std::min<int64_t>(next + m_setLines.GetAt(row + 1).m_nCharCount,
                                        static_cast<int64_t>(m_arrCharacters.size()));
  const Vectorloom::CQorVectorPoint<float> ref =
      m_arrCharacters[static_cast<size_t>(index)].GetCharOffset();
  float best = kLargest;
  int result = -1;
  for (int64_t i = next; i < end; ++i) {  // strictly nearer replaces: ties go to the leftmost
    const float d = Distance2(ref, m_arrCharacters[static_cast<size_t>(i)].GetCharOffset());
    if (d < best) {
      best = d;
      result = static_cast<int>(i);
    }
  }
  return result;
}

int CEditableTextObj::CalcuPrevRowCaretPos(int index) const {
  const int64_t count = static_cast<int64_t>(m_arrCharacters.size());
  int start = 0;
  int row = FindRowOfChar(index, &start);
  Vectorloom::CQorVectorPoint<float> ref;
  if (row >= 0 && index < count) {
    ref = m_arrCharacters[static_cast<size_t>(index)].GetCharOffset();
  } else if (row < 0 && index == count && m_setLines.GetSize() > 0) {
    // The end of the text: behind the last character of the last row.
    row = m_setLines.GetSize() - 1;
    int64_t laidOut = 0;
    for (int r = 0; r < m_setLines.GetSize(); ++r) laidOut += m_setLines.GetAt(r).m_nCharCount;
    laidOut = std::min(laidOut, count);
    start = static_cast<int>(laidOut - m_setLines.GetAt(row).m_nCharCount);
    if (laidOut < 1 || start < 0) return -1;
    const CCharacterItem& last = m_arrCharacters[static_cast<size_t>(laidOut - 1)];
    const TCharLayoutMetrics m = GetCharLayoutMetrics(last);
    ref = last.GetCharOffset();
    ref.x += m.m_fAdvanceX;
    ref.y += m.m_fAdvanceY;
  } else {
    return -1;
  }
  if (row < 1) return -1;
  const int64_t prevCount = m_setLines.GetAt(row - 1).m_nCharCount;
  const int64_t prevStart = start - prevCount;
  float best = kLargest;
  int result = -1;
  for (int64_t i = start - 1; i >= prevStart && i >= 0; --i) {  // ties go to the rightmost
    const float d = Distance2(ref, m_arrCharacters[static_cast<size_t>(i)].GetCharOffset());
    if (d < best) {
      best = d;
      result = static_cast<int>(i);
    }
  }
  return result;
}

int CEditableTextObj::CalcuRowStartedCaretPos(int index) const {
  if (index < 0) return -1;
  if (static_cast<size_t>(index) >= m_arrCharacters.size()) {
    const int rows = m_setLines.GetSize();
    if (rows < 1) return -1;
    int64_t start = 0;
    for (int r = 0; r + 1 < rows; ++r) start += m_setLines.GetAt(r).m_nCharCount;
    return static_cast<int>(start);
  }
  int start = -1;
  FindRowOfChar(index, &start);
  return start;
}

Vectorloom::CQorVectorRect<float> CEditableTextObj::CalcuInnerTextExtent() const {
  // Bounds are the GDI+ world bounds of the placed outline: the box of its points, Bezier control
  // points included (outlines are line segments and quadratic curves converted to Beziers, so
  // the box may be slightly larger than the ink).
  Vectorloom::CQorVectorRect<float> result(0.0f, 0.0f, 0.0f, 0.0f);
  Gdiplus::Matrix matrix;
  auto add = [&](const CCharacterItem& c) {
    matrix.Reset();
    c.GetGdiplusTransMatrix(matrix);
    Gdiplus::RectF r;
    c.GetCharGlyphPath()->GetGlyphPathDataPointer()->GetBounds(&r, &matrix);
    const Vectorloom::CQorVectorRect<float> b(r.X, r.Y, r.X + r.Width, r.Y + r.Height);
    if (result.left == 0.0f && result.top == 0.0f && result.right == 0.0f &&
        result.bottom == 0.0f) {
      result = b;
      return;
    }
    result.left = std::min(result.left, b.left);
    result.top = std::min(result.top, b.top);
    result.right = std::max(result.right, b.right);
    result.bottom = std::max(result.bottom, b.bottom);
  };

  const int64_t total = static_cast<int64_t>(m_arrCharacters.size());
  int64_t start = 0;
  for (int r = 0; r < m_setLines.GetSize(); ++r) {
    const int64_t end = std::min<int64_t>(start + m_setLines.GetAt(r).m_nCharCount, total);
    int64_t f = start;
    while (f < end && IsBlank(m_arrCharacters[static_cast<size_t>(f)].GetCharacter())) ++f;
    start = end;
    if (f >= end) continue;
    const CCharacterItem& first = m_arrCharacters[static_cast<size_t>(f)];
    if (!first.GetCharGlyphPath()) continue;
    add(first);
    int64_t l = end - 1;
    while (l > f && (IsBlank(m_arrCharacters[static_cast<size_t>(l)].GetCharacter()) ||
                     !m_arrCharacters[static_cast<size_t>(l)].GetCharGlyphPath()))
      --l;
    if (l > f) add(m_arrCharacters[static_cast<size_t>(l)]);
  }
  return result;
}

}  // namespace GlyphweaveLib
