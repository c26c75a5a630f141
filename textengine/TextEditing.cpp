// Inserting and deleting characters: the characters, the font runs and the rows are kept
// consistent, and the text is laid out again from where the change happened.

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <string>

#include "glyphweave/EditableTextObj.h"

namespace GlyphweaveLib {

namespace {

// The units of str, one per element, as given (a lone surrogate stays, so any text read out of a
// text goes back in unchanged); an element above U+FFFF is no UTF-16 unit and becomes U+FFFD.
std::u16string ToUnits(const wchar_t* str, size_t len) {
  std::u16string out;
  out.reserve(len);
  for (size_t i = 0; i < len; ++i) {
    const uint32_t c = static_cast<uint32_t>(str[i]);
    out.push_back(c > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(c));
  }
  return out;
}

}  // namespace

void CEditableTextObj::InsertString(int pos, const wchar_t* str, int len, HDC dc,
                                    const CRichFontDesc& font, const CEmbedFontResManager* fonts,
                                    CFontCacheManager* cache) {
  size_t n = 0;
  if (str) n = len < 0 ? std::wcslen(str) : static_cast<size_t>(len);
  const std::u16string units = n ? ToUnits(str, n) : std::u16string();

  // A position past the end appends; the run of character pos - 1 then is the last run.
  const int count = static_cast<int>(m_arrCharacters.size());
  if (pos < 0) pos = 0;
  if (pos > count) pos = count;

  // The row to lay out from, found in the table as it was before the change.
  const int oldRow = FindRowOfChar(pos);

  if (!units.empty()) {
    // The characters, each a copy of the prototype with its own code.
    CCharacterItem proto;
    proto.SetByCharacterProps(font);
    CArrayOfTextCharacters added;
    added.resize(units.size(), proto);
    for (size_t k = 0; k < units.size(); ++k) added[k].SetCharacter(units[k]);
    m_arrCharacters.insert(m_arrCharacters.begin() + pos, added.begin(), added.end());

    // The font run: grow an equal run before or at pos, or make a new one.
    const _CharsFontDesc& face = font;
    const uint32_t grow = static_cast<uint32_t>(units.size());
    const int before = pos > 0 ? FindFontRun(pos - 1, nullptr) : -1;
    int atStart = -1;
    const int at = pos < count ? FindFontRun(pos, &atStart) : -1;
    if (before >= 0 && m_setFontRuns.GetAt(before).m_FontDesc == face) {
      m_setFontRuns.GetAt(before).m_nLength += grow;
    } else if (at >= 0 && m_setFontRuns.GetAt(at).m_FontDesc == face) {
      m_setFontRuns.GetAt(at).m_nLength += grow;
    } else {
      TFontRunInfo run;
      run.m_nLength = grow;
      run.m_FontDesc = face;
      if (at < 0) {
        m_setFontRuns.Append(run);
      } else if (pos == atStart) {
        m_setFontRuns.InsertAt(at, run);
      } else {  // split the run: its part before pos, the new run, its part from pos on
        TFontRunInfo tail = m_setFontRuns.GetAt(at);
        const uint32_t head = static_cast<uint32_t>(pos - atStart);
        tail.m_nLength -= head;
        m_setFontRuns.GetAt(at).m_nLength = head;
        m_setFontRuns.InsertAt(at + 1, run);
        m_setFontRuns.InsertAt(at + 2, tail);
      }
    }

    // Glyphs; a character whose glyph cannot be made stays without one.
    for (size_t k = 0; k < units.size(); ++k)
      m_arrCharacters[static_cast<size_t>(pos) + k].BuildGlyph(dc, face, fonts, cache);
    JoinSurrogatePairs(dc, pos, pos + static_cast<int>(units.size()) - 1, fonts, cache);
  }

  RelayoutFromRow(oldRow);
}

bool CEditableTextObj::DeleteString(int first, int count) {
  const int total = static_cast<int>(m_arrCharacters.size());
  if (first < 0 || first >= total) return false;
  count = std::min(count, total - first);
  if (count < 1) return false;

  const int oldRow = FindRowOfChar(first);
  m_arrCharacters.erase(m_arrCharacters.begin() + first, m_arrCharacters.begin() + first + count);

  // Every run loses the deleted characters it held; emptied runs go.
  const int64_t delBegin = first;
  const int64_t delEnd = static_cast<int64_t>(first) + count;
  int64_t start = 0;
  for (int r = 0; r < m_setFontRuns.GetSize();) {
    TFontRunInfo& run = m_setFontRuns.GetAt(r);
    const int64_t end = start + run.m_nLength;
    const int64_t cut = std::max<int64_t>(0, std::min(end, delEnd) - std::max(start, delBegin));
    start = end;
    run.m_nLength -= static_cast<uint32_t>(cut);
    if (run.m_nLength == 0)
      m_setFontRuns.RemoveAt(r);
    else
      ++r;
  }

  RelayoutFromRow(oldRow);
  return true;
}

}  // namespace GlyphweaveLib
