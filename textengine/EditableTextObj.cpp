#include "glyphweave/EditableTextObj.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include <win32/lwstr.h>

#include <win32/lwbytes.h>

namespace GlyphweaveLib {

// ---------------------------------------------------------------------------------------------
// Code points and text units

std::wstring TextUnitsFromCodePoints(std::wstring_view codePoints) {
  const std::u16string units = lw::WideToUtf16(codePoints);
  return std::wstring(units.begin(), units.end());
}

std::wstring CodePointsFromTextUnits(std::wstring_view units) {
  std::u16string u16;
  u16.reserve(units.size());
  for (const wchar_t c : units) u16.push_back(static_cast<uint32_t>(c) > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(c));
  return lw::Utf16ToWide(u16);
}

// ---------------------------------------------------------------------------------------------
// CArrayOfTextCharacters

wchar_t* CArrayOfTextCharacters::GetTextContent() const {
  wchar_t* text = new wchar_t[size() + 1];
  for (size_t i = 0; i < size(); ++i) text[i] = static_cast<wchar_t>((*this)[i].GetCharacter());
  text[size()] = 0;
  return text;
}

bool CArrayOfTextCharacters::ClipRange(int first, int last, size_t& begin, size_t& end) const {
  const int count = static_cast<int>(size());
  if (first < 0) first = 0;
  if (first >= count) return false;
  if (last < 0 || last >= count) last = count - 1;
  if (last < first) return false;
  begin = static_cast<size_t>(first);
  end = static_cast<size_t>(last) + 1;
  return true;
}

int CArrayOfTextCharacters::CopySelection(CArrayOfTextCharacters& dest, int first, int last) const {
  size_t b = 0, e = 0;
  if (&dest == this) {
    // Copying a range of an array into itself: take the range first.
    CArrayOfTextCharacters part;
    CopySelection(part, first, last);
    dest.swap(part);
    return dest.empty() ? 0 : 1;
  }
  dest.clear();
  if (ClipRange(first, last, b, e)) dest.insert(dest.end(), begin() + b, begin() + e);
  return dest.empty() ? 0 : 1;
}

int CArrayOfTextCharacters::CutSelection(CArrayOfTextCharacters& dest, int first, int last) {
  if (&dest == this) {
    CArrayOfTextCharacters part;
    const int r = CutSelection(part, first, last);
    swap(part);
    return r;
  }
  CopySelection(dest, first, last);
  RemoveSelection(first, last);
  return dest.empty() ? 0 : 1;
}

int CArrayOfTextCharacters::RemoveSelection(int first, int last) {
  size_t b = 0, e = 0;
  if (!ClipRange(first, last, b, e)) return 0;
  erase(begin() + b, begin() + e);
  return 1;
}

int CArrayOfTextCharacters::InsertSelection(const CArrayOfTextCharacters& src, int pos) {
  if (&src == this) {
    const CArrayOfTextCharacters copy(src);
    return InsertSelection(copy, pos);
  }
  if (pos < 0) pos = 0;
  const auto at = pos >= static_cast<int>(size()) ? end() : begin() + pos;
  insert(at, src.begin(), src.end());
  return 1;
}

bool CArrayOfTextCharacters::PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const {
  if (!out || !out->PutU32(static_cast<uint32_t>(size()))) return false;
  for (const CCharacterItem& c : *this)
    if (!c.PutBinaryContent(out, text)) return false;
  return true;
}

bool CArrayOfTextCharacters::GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text) {
  uint32_t n = 0;
  if (!in || !in->ReadU32(n)) return false;
  clear();
  // Room is reserved only for the characters the data can hold.
  const uint64_t fit = in->GetRemainLength() / static_cast<unsigned>(_CharacterItem::kRecordSize);
  reserve(static_cast<size_t>(std::min<uint64_t>(n, fit)));
  for (uint32_t i = 0; i < n; ++i) {
    CCharacterItem c;
    if (!empty()) c.ShareFormatOf(back());  // kept when the record's format is the same
    if (!c.GetBinaryContent(in, text)) return false;
    push_back(std::move(c));
  }
  ShareFormats();
  return true;
}

void CArrayOfTextCharacters::ShareFormats() {
  // The characters whose formats were met last, most recent first: a text mostly alternates
  // between a few formats (running text, a word in italics, a heading).
  constexpr size_t kRecent = 8;
  size_t recent[kRecent];
  size_t known = 0;
  for (size_t i = 0; i < size(); ++i) {
    CCharacterItem& c = (*this)[i];
    size_t k = 0;
    while (k < known && !(*this)[recent[k]].SameFormat(c)) ++k;
    if (k < known) {
      c.ShareFormatOf((*this)[recent[k]]);
    } else {
      k = known < kRecent ? known++ : kRecent - 1;
    }
    for (; k > 0; --k) recent[k] = recent[k - 1];
    recent[0] = i;
  }
}

// ---------------------------------------------------------------------------------------------
// CEditableTextObj: copy and clean-up

CEditableTextObj::CEditableTextObj(const CEditableTextObj& o) { Duplicate(o); }

CEditableTextObj& CEditableTextObj::operator=(const CEditableTextObj& o) {
  Duplicate(o);
  return *this;
}

CEditableTextObj::~CEditableTextObj() {
  m_setFontRuns.Clear();
  m_mapRowGaps.clear();
  m_arrCharacters.clear();
  m_setLines.Clear();
}

void CEditableTextObj::Duplicate(const CEditableTextObj& o) {
  if (this == &o) return;
  m_nAlignMode = o.m_nAlignMode;
  m_setLines = o.m_setLines;
  m_arrCharacters = o.m_arrCharacters;
  m_mapRowGaps = o.m_mapRowGaps;
  m_setFontRuns = o.m_setFontRuns;
}

// ---------------------------------------------------------------------------------------------
// Queries

float CEditableTextObj::GetRowGap(unsigned short line) const {
  const auto it = m_mapRowGaps.find(line);
  return it == m_mapRowGaps.end() ? 0.0f : it->second;
}

int CEditableTextObj::GetAbsoluteLineNo(int index) const {
  if (index < 0 || index >= static_cast<int>(m_arrCharacters.size())) return -1;
  int line = 0;
  for (int i = 0; i < index; ++i)
    if (m_arrCharacters[static_cast<size_t>(i)].GetCharacter() == 13) ++line;
  return line;
}

std::wstring CEditableTextObj::GetCharacters(int first, int last) const {
  const int count = static_cast<int>(m_arrCharacters.size());
  if (last < 0) last = count - 1;
  std::wstring s;
  if (first < 0 || first >= count || last >= count || first > last) return s;
  for (int i = first; i <= last; ++i) s.push_back(static_cast<wchar_t>(m_arrCharacters[static_cast<size_t>(i)].GetCharacter()));
  return s;
}

bool CEditableTextObj::IsStartingAsParagraph() const {
  if (m_setLines.GetSize() < 1) return false;
  const int rowCount = static_cast<int>(std::min<uint64_t>(m_setLines.GetAt(0).m_nCharCount, m_arrCharacters.size()));
  int spaces = 0;
  for (int i = 0; i < rowCount && m_arrCharacters[static_cast<size_t>(i)].GetCharacter() == 32; ++i) ++spaces;
  return spaces >= 5;
}

bool CEditableTextObj::IsEndingAsParagraph() const {
  if (m_setLines.GetSize() < 1) return false;
  const int count = static_cast<int>(m_arrCharacters.size());
  const uint32_t lastRow = m_setLines.GetAt(m_setLines.GetSize() - 1).m_nCharCount;
  const int walk = static_cast<int>(std::min<uint64_t>(lastRow, static_cast<uint64_t>(count)));
  int passed = 0;
  int spaces = 0;
  int stop = -1;
  for (int i = count - 1; passed < walk; --i) {
    const char16_t c = m_arrCharacters[static_cast<size_t>(i)].GetCharacter();
    if (c == 13) {
      ++passed;
    } else if (c == 32) {
      ++passed;
      ++spaces;
    } else {
      stop = i;
      break;
    }
  }
  if (stop < 0 || spaces > 5) return true;
  const CCharacterItem& c = m_arrCharacters[static_cast<size_t>(stop)];
  const float advance = c.GetIncreaseDeltaX();
  const float rightEnd = c.GetCharOffset().x + advance;
  return GetTextOccurArea().cx - rightEnd > 10.0f * advance;
}

// ---------------------------------------------------------------------------------------------
// Font runs

int CEditableTextObj::FindFontRun(int index, int* runStart) const {
  if (runStart) *runStart = -1;
  if (index < 0) return -1;
  int64_t start = 0;
  for (int r = 0; r < m_setFontRuns.GetSize(); ++r) {
    const int64_t len = m_setFontRuns.GetAt(r).m_nLength;
    if (index < start + len) {
      if (runStart) *runStart = static_cast<int>(start);
      return r;
    }
    start += len;
  }
  return -1;
}

_CharsFontDesc CEditableTextObj::GetFontRunDesc(int run) const {
  if (run < 0 || run >= m_setFontRuns.GetSize()) return _CharsFontDesc();
  return m_setFontRuns.GetAt(run).m_FontDesc;  // the copy keeps at most 126 units of the face
}

void CEditableTextObj::NormalizeFontRuns() {
  const uint64_t count = m_arrCharacters.size();
  uint64_t sum = 0;
  for (int r = 0; r < m_setFontRuns.GetSize(); ++r) sum += m_setFontRuns.GetAt(r).m_nLength;
  if (sum == count) return;
  sum = 0;
  int keep = 0;
  // Keep the runs that start inside the text; cut the one that reaches past its end.
  for (; keep < m_setFontRuns.GetSize() && sum < count; ++keep) {
    TFontRunInfo& run = m_setFontRuns.GetAt(keep);
    if (sum + run.m_nLength > count) run.m_nLength = static_cast<uint32_t>(count - sum);
    sum += run.m_nLength;
  }
  while (m_setFontRuns.GetSize() > keep) m_setFontRuns.RemoveAt(m_setFontRuns.GetSize() - 1);
  if (sum < count) {
    if (m_setFontRuns.GetSize() > 0) {
      m_setFontRuns.GetAt(m_setFontRuns.GetSize() - 1).m_nLength += static_cast<uint32_t>(count - sum);
    } else {
      TFontRunInfo run;
      run.m_nLength = static_cast<uint32_t>(count);
      m_setFontRuns.Append(run);
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The text record

bool CEditableTextObj::PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const {
  if (!out || !out->PutU32(m_nAlignMode)) return false;
  if (!m_arrCharacters.PutBinaryContent(out, text)) return false;
  const int runs = m_setFontRuns.GetSize();
  if (!out->PutI32(m_setFontRuns.GetCapacity()) || !out->PutI32(runs) || !out->PutI32(m_setFontRuns.GetGrowStep()))
    return false;
  if (runs > 0) {
    if (static_cast<int64_t>(runs) * TFontRunInfo::kRecordSize > INT_MAX) return false;
    std::vector<unsigned char> block(static_cast<size_t>(runs) * TFontRunInfo::kRecordSize);
    for (int r = 0; r < runs; ++r) {
      unsigned char* p = block.data() + static_cast<size_t>(r) * TFontRunInfo::kRecordSize;
      lw::PutLE32(p, m_setFontRuns.GetAt(r).m_nLength);
      m_setFontRuns.GetAt(r).m_FontDesc.ToBytes(p + 4);
    }
    if (!out->Append(block.data(), static_cast<int>(block.size()))) return false;
  }
  if (!out->PutU32(static_cast<uint32_t>(m_mapRowGaps.size()))) return false;
  for (const auto& [line, gap] : m_mapRowGaps)
    if (!out->PutU16(line) || !out->PutFloat(gap)) return false;
  return true;
}

bool CEditableTextObj::GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text) {
  if (!in || !in->ReadU32(m_nAlignMode)) return false;
  if (!m_arrCharacters.GetBinaryContent(in, text)) return false;

  int32_t capacity = 0, runs = 0, growStep = 0;
  if (!in->ReadI32(capacity) || !in->ReadI32(runs) || !in->ReadI32(growStep)) return false;
  // The run count is checked against the data before anything is allocated; the capacity is
  // kept as stored (it is written back as it was) but never below the count.
  if (runs < 0 || static_cast<uint64_t>(runs) * TFontRunInfo::kRecordSize > in->GetRemainLength()) return false;
  m_setFontRuns.ResetForLoad(capacity, runs, growStep);
  for (int r = 0; r < runs; ++r) {
    unsigned char rec[TFontRunInfo::kRecordSize];
    if (!in->ReadData(rec, sizeof(rec))) return false;
    TFontRunInfo& run = m_setFontRuns.GetAt(r);
    run.m_nLength = lw::GetLE32(rec);
    run.m_FontDesc.FromBytes(rec + 4);
  }

  m_mapRowGaps.clear();
  uint32_t gaps = 0;
  if (!in->ReadU32(gaps)) return false;
  if (static_cast<uint64_t>(gaps) * 6 > in->GetRemainLength()) return false;
  for (uint32_t i = 0; i < gaps; ++i) {
    uint16_t line = 0;
    float gap = 0.0f;
    if (!in->ReadU16(line) || !in->ReadFloat(gap)) return false;
    m_mapRowGaps[line] = gap;
  }
  // Texts from elsewhere may have characters outside every run; give each character a run.
  NormalizeFontRuns();
  return true;
}

}  // namespace GlyphweaveLib
