#include "glyphweave/EmbedFontRes.h"

#include <ftlibrary.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

namespace GlyphweaveLib {

namespace {

void SetFixedString(char* dst, size_t size, const char* src) {
  std::memset(dst, 0, size);
  if (!src) return;
  size_t n = 0;
  while (n + 1 < size && src[n]) ++n;
  std::memcpy(dst, src, n);
}

bool FixedEquals(const char* a, const char* b, size_t size) { return std::strncmp(a, b, size) == 0; }

// Reads a fixed byte string whole and makes sure it ends in a terminator.
bool ReadFixed(Vectorloom::CStreamReader& in, char* dst, unsigned size) {
  if (!in.ReadData(dst, size)) return false;
  dst[size - 1] = 0;
  return true;
}

// Reads an i32 count of `entrySize`-byte entries, refusing a negative count or one the data
// left cannot hold, and then the entries.
template <typename Vec>
bool ReadCountedBytes(Vectorloom::CStreamReader& in, unsigned entrySize, Vec& out) {
  int32_t n = 0;
  if (!in.ReadI32(n)) return false;
  if (n < 0 || static_cast<uint64_t>(n) * entrySize > in.GetRemainLength()) return false;
  const size_t bytes = static_cast<size_t>(n) * entrySize;
  out.assign(bytes / sizeof(typename Vec::value_type), 0);
  if (bytes == 0) return true;
  if constexpr (sizeof(typename Vec::value_type) == 1) {
    return in.ReadData(out.data(), static_cast<unsigned>(bytes));
  } else {
    for (auto& v : out)
      if (!in.ReadU16(v)) return false;
    return true;
  }
}

bool PutU16Table(Vectorloom::CVariableStream& out, const std::vector<uint16_t>& t) {
  if (t.size() > INT_MAX || !out.PutI32(static_cast<int32_t>(t.size()))) return false;
  for (uint16_t v : t)
    if (!out.PutU16(v)) return false;
  return true;
}

bool FloatsEqual(float a, float b) { return a == b; }  // NaN is never equal

}  // namespace

// ---------------------------------------------------------------------------------------------
// CPdfEmbedFontDesc

CPdfEmbedFontDesc::CPdfEmbedFontDesc() { std::memset(m_szFontName, 0, sizeof(m_szFontName)); }

void CPdfEmbedFontDesc::SetFontName(const char* name) {
  SetFixedString(m_szFontName, kMaxNameLength + 1, name);
  std::memset(m_szFontName + kMaxNameLength + 1, 0, kNameSize - kMaxNameLength - 1);
}

bool CPdfEmbedFontDesc::IsEqual(const CPdfEmbedFontDesc& o) const {
  return FixedEquals(m_szFontName, o.m_szFontName, kNameSize) && m_nFirstWord == o.m_nFirstWord &&
         m_nSecondWord == o.m_nSecondWord && m_nHintingWord == o.m_nHintingWord &&
         m_nFourthWord == o.m_nFourthWord && m_vProgram == o.m_vProgram && m_vCid2Gid == o.m_vCid2Gid &&
         m_vCid2Unicode == o.m_vCid2Unicode;
}

// ---------------------------------------------------------------------------------------------
// CEmbedFontResouce: life

CEmbedFontResouce::CEmbedFontResouce() {
  std::memset(m_szFontType, 0, sizeof(m_szFontType));
  std::memset(m_szFontSubType, 0, sizeof(m_szFontSubType));
  std::memset(m_szRegistry, 0, sizeof(m_szRegistry));
  std::memset(m_szOrdering, 0, sizeof(m_szOrdering));
  std::memset(m_szBaseEncodingName, 0, sizeof(m_szBaseEncodingName));
  std::memset(m_CodeNames, 0, sizeof(m_CodeNames));
  std::memset(m_HorzDefault, 0, sizeof(m_HorzDefault));
  std::memset(m_VertDefault, 0, sizeof(m_VertDefault));
}

CEmbedFontResouce::CEmbedFontResouce(const CEmbedFontResouce& o) : CEmbedFontResouce() { Copy(o); }

CEmbedFontResouce& CEmbedFontResouce::operator=(const CEmbedFontResouce& o) {
  Copy(o);
  return *this;
}

CEmbedFontResouce::~CEmbedFontResouce() { ClearFont(); }

void CEmbedFontResouce::Copy(const CEmbedFontResouce& o) {
  if (this == &o) return;
  m_nFontID = o.m_nFontID;
  m_nFontFlags = o.m_nFontFlags;
  m_fItalicAngle = o.m_fItalicAngle;
  m_fAscent = o.m_fAscent;
  m_fDescent = o.m_fDescent;
  m_fCapHeight = o.m_fCapHeight;
  m_fXHeight = o.m_fXHeight;
  m_fMissingWidth = o.m_fMissingWidth;
  m_nEmbedFlag = o.m_nEmbedFlag;
  m_rcFontBox = o.m_rcFontBox;
  std::memcpy(m_szFontType, o.m_szFontType, kStringSize);
  std::memcpy(m_szFontSubType, o.m_szFontSubType, kStringSize);
  std::memcpy(m_szRegistry, o.m_szRegistry, kStringSize);
  std::memcpy(m_szOrdering, o.m_szOrdering, kStringSize);
  m_nSupplement = o.m_nSupplement;
  m_nBaseEncoding = o.m_nBaseEncoding;
  std::memcpy(m_szBaseEncodingName, o.m_szBaseEncodingName, kStringSize);
  m_nCodeNameCount = o.m_nCodeNameCount;
  std::memcpy(m_CodeNames, o.m_CodeNames, sizeof(m_CodeNames));
  std::memcpy(m_HorzDefault, o.m_HorzDefault, sizeof(m_HorzDefault));
  m_vHorz = o.m_vHorz;
  std::memcpy(m_VertDefault, o.m_VertDefault, sizeof(m_VertDefault));
  m_vVert = o.m_vVert;
  SetEncodingMap(o.m_pEncodingMap.get());
  Set2ttfCMap(o.m_p2ttfMap.get());
  SetUtfCMap(o.m_pUtfMap.get());
  SetEmbedPdfFontContent(o.m_pProgram.get());
  m_mapUid2Cid = o.m_mapUid2Cid;
  m_vLigatures = o.m_vLigatures;
}

void CEmbedFontResouce::ClearFont() {
  m_pEncodingMap.reset();
  m_p2ttfMap.reset();
  m_pUtfMap.reset();
  m_pProgram.reset();
  m_nFontID = -1;
}

// ---------------------------------------------------------------------------------------------
// Accessors

void CEmbedFontResouce::SetFontType(const char* s) { SetFixedString(m_szFontType, kStringSize, s); }
void CEmbedFontResouce::SetFontSubType(const char* s) { SetFixedString(m_szFontSubType, kStringSize, s); }
void CEmbedFontResouce::SetFontRegistry(const char* s) { SetFixedString(m_szRegistry, kStringSize, s); }
void CEmbedFontResouce::SetFontOrdering(const char* s) { SetFixedString(m_szOrdering, kStringSize, s); }
void CEmbedFontResouce::SetBaseEncodingName(const char* s) { SetFixedString(m_szBaseEncodingName, kStringSize, s); }

void CEmbedFontResouce::SetCodeNameCount(int n) { m_nCodeNameCount = std::clamp(n, 0, kCodeNameSlots); }

const char* CEmbedFontResouce::GetCodeName(int code) const {
  if (code < 0 || code >= kCodeNameSlots) return "";
  return m_CodeNames[code];
}

void CEmbedFontResouce::SetCodeName(int code, const char* name) {
  if (code < 0 || code >= kCodeNameSlots) return;
  SetFixedString(m_CodeNames[code], kCodeNameSize, name);
}

void CEmbedFontResouce::SetHorzMetrics(const void* defaultEntry, const void* entries, int count) {
  if (defaultEntry) std::memcpy(m_HorzDefault, defaultEntry, kHorzEntrySize);
  if (!entries || count < 1)
    m_vHorz.clear();
  else
    m_vHorz.assign(static_cast<const unsigned char*>(entries),
                   static_cast<const unsigned char*>(entries) + static_cast<size_t>(count) * kHorzEntrySize);
}

void CEmbedFontResouce::SetVertMetrics(const void* defaultEntry, const void* entries, int count) {
  if (defaultEntry) std::memcpy(m_VertDefault, defaultEntry, kVertEntrySize);
  if (!entries || count < 1)
    m_vVert.clear();
  else
    m_vVert.assign(static_cast<const unsigned char*>(entries),
                   static_cast<const unsigned char*>(entries) + static_cast<size_t>(count) * kVertEntrySize);
}

namespace {

bool SetMapFromEngine(std::unique_ptr<CEmbedFontMapWrap>& slot, const qv_cmap_s* map) {
  if (!map) {
    slot.reset();
    return true;
  }
  auto fresh = std::make_unique<CEmbedFontMapWrap>();
  if (!fresh->SetWithCMap(map)) return false;
  slot = std::move(fresh);
  return true;
}

void SetMapCopy(std::unique_ptr<CEmbedFontMapWrap>& slot, const CEmbedFontMapWrap* map) {
  if (!map) {
    slot.reset();
  } else if (slot.get() != map) {
    if (!slot) slot = std::make_unique<CEmbedFontMapWrap>();
    slot->Copy(*map);
  }
}

}  // namespace

bool CEmbedFontResouce::SetEncodingMap(const qv_cmap_s* map) { return SetMapFromEngine(m_pEncodingMap, map); }
bool CEmbedFontResouce::Set2ttfCMap(const qv_cmap_s* map) { return SetMapFromEngine(m_p2ttfMap, map); }
bool CEmbedFontResouce::SetUtfCMap(const qv_cmap_s* map) { return SetMapFromEngine(m_pUtfMap, map); }
void CEmbedFontResouce::SetEncodingMap(const CEmbedFontMapWrap* map) { SetMapCopy(m_pEncodingMap, map); }
void CEmbedFontResouce::Set2ttfCMap(const CEmbedFontMapWrap* map) { SetMapCopy(m_p2ttfMap, map); }
void CEmbedFontResouce::SetUtfCMap(const CEmbedFontMapWrap* map) { SetMapCopy(m_pUtfMap, map); }

void CEmbedFontResouce::SetEmbedPdfFontContent(const CPdfEmbedFontDesc* desc) {
  if (!desc) {
    m_pProgram.reset();
    return;
  }
  if (desc == m_pProgram.get()) return;
  if (!m_pProgram) m_pProgram = std::make_unique<CPdfEmbedFontDesc>();
  *m_pProgram = *desc;
}

void CEmbedFontResouce::SetEmbedPdfFontContent2(CPdfEmbedFontDesc* desc) {
  if (desc != m_pProgram.get()) m_pProgram.reset(desc);
}

// ---------------------------------------------------------------------------------------------
// Glyph ids

size_t CEmbedFontResouce::RebuildUid2CidMap() {
  // Built in a flat table (one slot per Unicode value) so that each step is constant time; the
  // steps are counted and end at kMaxUid2CidSteps, so a hostile record costs a bounded time.
  constexpr int kNoCode = -1;
  std::vector<int> codeOf(0x10000, kNoCode);
  std::vector<uint16_t> filled;  // the values that have a code, in the order they came
  size_t steps = 0;
  // Whether a code has a glyph in the program's CID-to-glyph table (fonts found through a
  // TrueType cmap are not told apart here).
  const std::vector<uint16_t>* cid2gid = m_pProgram && !m_p2ttfMap ? &m_pProgram->m_vCid2Gid : nullptr;
  auto hasGlyph = [&](int code) {
    return cid2gid && code >= 0 && static_cast<size_t>(code) < cid2gid->size() && (*cid2gid)[static_cast<size_t>(code)] != 0;
  };
  auto add = [&](int unicode, int code) {
    ++steps;
    if (unicode < 0 || unicode > 0xFFFF) return;
    int& slot = codeOf[static_cast<size_t>(unicode)];
    if (slot != kNoCode) {
      // The first code wins, unless a later one has a glyph where it has none: a subset may
      // hold one of two codes of a character.
      if (!hasGlyph(slot) && hasGlyph(code)) slot = code;
      return;
    }
    slot = code;
    filled.push_back(static_cast<uint16_t>(unicode));
  };
  auto done = [&] { return steps >= kMaxUid2CidSteps || filled.size() == codeOf.size(); };

  for (const CEmbedFontMapWrap* w = m_pUtfMap.get(); w && !done(); w = w->GetNextFontMapWrap()) {
    const std::vector<uint16_t>& t = w->GetTable();
    for (const TagMapRange& r : w->GetRanges()) {
      if (done()) break;
      switch (r.Kind()) {
        case CEmbedFontMapWrap::kSingle:
        case CEmbedFontMapWrap::kRange:
          // Values past 0xFFFF have no slot, nor have those of the later codes.
          for (int k = 0; k <= r.Extent() && r.nValue + k <= 0xFFFF && !done(); ++k) add(r.nValue + k, r.nLow + k);
          break;
        case CEmbedFontMapWrap::kTable:
          for (int k = 0; k <= r.Extent() && static_cast<size_t>(r.nValue) + k < t.size() && !done(); ++k)
            add(t[r.nValue + static_cast<size_t>(k)], r.nLow + k);
          break;
        default: {
          // Every code of a multi range maps to the same values: the range's first code takes
          // them, as it would when each code were added in turn.
          const size_t at = r.nValue;
          if (at >= t.size()) break;
          const size_t n = t[at];
          if (n > t.size() - at - 1) break;
          for (size_t i = 1; i <= n && !done(); ++i) add(t[at + i], r.nLow);
          break;
        }
      }
    }
  }
  if (m_pProgram) {
    const std::vector<uint16_t>& t = m_pProgram->m_vCid2Unicode;
    for (size_t cid = 0; cid < t.size() && !done(); ++cid) add(t[cid], static_cast<int>(cid));
  }

  // Ligatures: the first code of each letter run wins; at most one per code.
  m_vLigatures.clear();
  std::vector<bool> ligated;
  auto addLigature = [&](std::u16string letters, int code) {
    if (letters.size() < 2 || letters.size() > 4 || code < 0 || code > 0xFFFF) return;
    // A character beyond the basic plane is its surrogate pair: drawn the same way.
    const bool pair = letters.size() == 2 && letters[0] >= 0xD800 && letters[0] <= 0xDBFF && letters[1] >= 0xDC00 &&
                      letters[1] <= 0xDFFF;
    for (const char16_t c : letters)
      if (!pair && !((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))) return;
    if (ligated.size() <= static_cast<size_t>(code)) ligated.resize(static_cast<size_t>(code) + 1, false);
    if (ligated[static_cast<size_t>(code)]) return;
    for (const TLigature& l : m_vLigatures)
      if (l.letters == letters) return;
    ligated[static_cast<size_t>(code)] = true;
    m_vLigatures.push_back({std::move(letters), code});
  };
  auto unicodeLigature = [&](int value, int code) {
    static const char16_t* const kLetters[] = {u"ff", u"fi", u"fl", u"ffi", u"ffl", u"st", u"st"};
    if (value >= 0xFB00 && value <= 0xFB06) addLigature(kLetters[value - 0xFB00], code);
  };
  size_t ligatureSteps = 0;
  for (const CEmbedFontMapWrap* w = m_pUtfMap.get(); w && ligatureSteps < kMaxUid2CidSteps; w = w->GetNextFontMapWrap()) {
    const std::vector<uint16_t>& t = w->GetTable();
    for (const TagMapRange& r : w->GetRanges()) {
      if (++ligatureSteps >= kMaxUid2CidSteps) break;
      if (r.Kind() == CEmbedFontMapWrap::kSingle) {
        unicodeLigature(r.nValue, r.nLow);
      } else if (r.Kind() == CEmbedFontMapWrap::kMulti && r.nValue < t.size()) {
        const size_t n = t[r.nValue];
        if (n >= 2 && n <= 4 && n <= t.size() - r.nValue - 1)
          addLigature(std::u16string(t.begin() + r.nValue + 1, t.begin() + r.nValue + 1 + n), r.nLow);
      }
    }
  }
  if (m_pProgram) {
    const std::vector<uint16_t>& t = m_pProgram->m_vCid2Unicode;
    for (size_t cid = 0; cid < t.size() && cid <= 0xFFFF; ++cid) unicodeLigature(t[cid], static_cast<int>(cid));
  }

  m_mapUid2Cid.clear();
  std::sort(filled.begin(), filled.end());
  for (const uint16_t u : filled) m_mapUid2Cid.emplace_hint(m_mapUid2Cid.end(), u, codeOf[u]);
  return steps;
}

int CEmbedFontResouce::LookupCid(unsigned short unicode) const {
  const auto it = m_mapUid2Cid.find(unicode);
  return it == m_mapUid2Cid.end() ? -1 : it->second;
}

int CEmbedFontResouce::GetGlyphGid(wchar_t ch, FT_FaceRec_* face) const {
  int cid = static_cast<int>(ch);
  bool fromMap = false;
  if (ch >= 0 && ch <= 0xFFFF) {
    const int mapped = LookupCid(static_cast<unsigned short>(ch));
    if (mapped >= 0) {
      cid = mapped;
      fromMap = true;
    }
  }
  if (m_p2ttfMap) {
    int value = 0;
    if (m_p2ttfMap->LookupCMapFully(cid, &value, 1) > 0) cid = value;
    if (!face || cid < 0) return 0;
    LwFreeTypeLock lock;
    FT_UInt gid = FT_Get_Char_Index(face, static_cast<FT_ULong>(cid));
    if (gid == 0) gid = FT_Get_Char_Index(face, static_cast<FT_ULong>(cid) + 0xF000);
    if (gid == 0 && cid == 0x22EF) gid = FT_Get_Char_Index(face, 0x2026);
    return static_cast<int>(gid);
  }
  // A character the maps do not know is its code only where an import gives codes as characters
  // (codes without Unicode, from 6400 up): a word space the import added between words, or a
  // letter typed that the font lacks, names no glyph by its value.
  if (!fromMap && ch < kCodesAsCharactersFrom) return 0;
  if (m_pProgram && cid >= 0 && static_cast<size_t>(cid) < m_pProgram->m_vCid2Gid.size())
    return m_pProgram->m_vCid2Gid[static_cast<size_t>(cid)];
  // A character that no map knows has no glyph: its Unicode value is not a glyph id.
  return fromMap ? cid : 0;
}

int CEmbedFontResouce::GetCodeGlyphGid(int code) const {
  if (!m_pProgram || code < 0 || static_cast<size_t>(code) >= m_pProgram->m_vCid2Gid.size()) return 0;
  return m_pProgram->m_vCid2Gid[static_cast<size_t>(code)];
}

// ---------------------------------------------------------------------------------------------
// The record

bool CEmbedFontResouce::PutBinaryContent(Vectorloom::CVariableStream* out) const {
  if (!out) return false;
  Vectorloom::CVariableStream& s = *out;
  bool ok = s.PutI32(m_nFontID) && s.PutU32(m_nFontFlags) && s.PutFloat(m_fItalicAngle) && s.PutFloat(m_fAscent) &&
            s.PutFloat(m_fDescent) && s.PutFloat(m_fCapHeight) && s.PutFloat(m_fXHeight) &&
            s.PutFloat(m_fMissingWidth) && s.PutI32(m_nEmbedFlag) && s.PutFloat(m_rcFontBox.left) &&
            s.PutFloat(m_rcFontBox.top) && s.PutFloat(m_rcFontBox.right) && s.PutFloat(m_rcFontBox.bottom) &&
            s.Append(m_szFontType, kStringSize) && s.Append(m_szFontSubType, kStringSize) &&
            s.Append(m_szRegistry, kStringSize) && s.Append(m_szOrdering, kStringSize) && s.PutI32(m_nSupplement) &&
            s.PutU32(m_nBaseEncoding) && s.Append(m_szBaseEncodingName, kStringSize) && s.PutI32(m_nCodeNameCount);
  for (int i = 0; ok && i < m_nCodeNameCount; ++i) ok = s.Append(m_CodeNames[i], kCodeNameSize);
  ok = ok && s.Append(m_HorzDefault, kHorzEntrySize) && s.PutI32(GetHorzCount()) &&
       (m_vHorz.empty() || s.Append(m_vHorz.data(), static_cast<int>(m_vHorz.size())));
  ok = ok && s.Append(m_VertDefault, kVertEntrySize) && s.PutI32(GetVertCount()) &&
       (m_vVert.empty() || s.Append(m_vVert.data(), static_cast<int>(m_vVert.size())));
  for (const CEmbedFontMapWrap* map : {m_pEncodingMap.get(), m_p2ttfMap.get(), m_pUtfMap.get()}) {
    ok = ok && s.PutU8(map ? 1 : 0);
    if (map) ok = ok && map->PutBinaryContent(out);
  }
  ok = ok && s.PutU8(m_pProgram ? 1 : 0);
  if (ok && m_pProgram) {
    const CPdfEmbedFontDesc& p = *m_pProgram;
    ok = s.Append(p.m_szFontName, CPdfEmbedFontDesc::kNameSize) && s.PutI32(p.m_nFirstWord) &&
         s.PutI32(p.m_nHintingWord) && s.PutI32(p.m_nFourthWord) && p.m_vProgram.size() <= INT_MAX &&
         s.PutI32(static_cast<int32_t>(p.m_vProgram.size())) &&
         (p.m_vProgram.empty() || s.Append(p.m_vProgram.data(), static_cast<int>(p.m_vProgram.size()))) &&
         PutU16Table(s, p.m_vCid2Gid) && PutU16Table(s, p.m_vCid2Unicode);
  }
  return ok;
}

bool CEmbedFontResouce::SetByBinaryContent(const unsigned char* data, unsigned length) {
  if (!data) return false;
  Vectorloom::CStreamReader in(data, length);
  int32_t id = 0;
  if (!in.ReadI32(id)) return false;
  // Negative ids stand for system fonts in font descriptors: an embedded font cannot carry one.
  if (id < 0) return false;
  m_nFontID = id;
  if (!(in.ReadU32(m_nFontFlags) && in.ReadFloat(m_fItalicAngle) && in.ReadFloat(m_fAscent) &&
        in.ReadFloat(m_fDescent) && in.ReadFloat(m_fCapHeight) && in.ReadFloat(m_fXHeight) &&
        in.ReadFloat(m_fMissingWidth) && in.ReadI32(m_nEmbedFlag) && in.ReadFloat(m_rcFontBox.left) &&
        in.ReadFloat(m_rcFontBox.top) && in.ReadFloat(m_rcFontBox.right) && in.ReadFloat(m_rcFontBox.bottom) &&
        ReadFixed(in, m_szFontType, kStringSize) && ReadFixed(in, m_szFontSubType, kStringSize) &&
        ReadFixed(in, m_szRegistry, kStringSize) && ReadFixed(in, m_szOrdering, kStringSize) &&
        in.ReadI32(m_nSupplement) && in.ReadU32(m_nBaseEncoding) &&
        ReadFixed(in, m_szBaseEncodingName, kStringSize)))
    return false;

  int32_t names = 0;
  if (!in.ReadI32(names)) return false;
  if (names < 0 || names > kCodeNameSlots || static_cast<uint64_t>(names) * kCodeNameSize > in.GetRemainLength())
    return false;
  std::memset(m_CodeNames, 0, sizeof(m_CodeNames));
  for (int i = 0; i < names; ++i)
    if (!ReadFixed(in, m_CodeNames[i], kCodeNameSize)) return false;
  m_nCodeNameCount = names;

  if (!in.ReadData(m_HorzDefault, kHorzEntrySize) || !ReadCountedBytes(in, kHorzEntrySize, m_vHorz)) return false;
  if (!in.ReadData(m_VertDefault, kVertEntrySize) || !ReadCountedBytes(in, kVertEntrySize, m_vVert)) return false;

  for (std::unique_ptr<CEmbedFontMapWrap>* slot : {&m_pEncodingMap, &m_p2ttfMap, &m_pUtfMap}) {
    uint8_t present = 0;
    if (!in.ReadU8(present) || present > 1) return false;
    if (present) {
      if (!*slot) *slot = std::make_unique<CEmbedFontMapWrap>();
      if (!(*slot)->GetByBinaryContent(&in)) return false;
    } else {
      slot->reset();
    }
  }

  uint8_t present = 0;
  if (!in.ReadU8(present) || present > 1) return false;
  if (present) {
    if (!m_pProgram) m_pProgram = std::make_unique<CPdfEmbedFontDesc>();
    CPdfEmbedFontDesc& p = *m_pProgram;
    if (!ReadFixed(in, p.m_szFontName, CPdfEmbedFontDesc::kNameSize) || !in.ReadI32(p.m_nFirstWord) ||
        !in.ReadI32(p.m_nHintingWord) || !in.ReadI32(p.m_nFourthWord))
      return false;
    if (!ReadCountedBytes(in, 1, p.m_vProgram) || !ReadCountedBytes(in, 2, p.m_vCid2Gid) ||
        !ReadCountedBytes(in, 2, p.m_vCid2Unicode))
      return false;
  } else {
    m_pProgram.reset();
  }
  RebuildUid2CidMap();
  return true;
}

bool CEmbedFontResouce::IsEqualEmbedFont(const CEmbedFontResouce& o) const {
  if (m_nFontID != o.m_nFontID || m_nFontFlags != o.m_nFontFlags) return false;
  if (!FloatsEqual(m_fItalicAngle, o.m_fItalicAngle) || !FloatsEqual(m_fAscent, o.m_fAscent) ||
      !FloatsEqual(m_fDescent, o.m_fDescent) || !FloatsEqual(m_fCapHeight, o.m_fCapHeight) ||
      !FloatsEqual(m_fXHeight, o.m_fXHeight) || !FloatsEqual(m_fMissingWidth, o.m_fMissingWidth))
    return false;
  if (m_nEmbedFlag != o.m_nEmbedFlag || !FloatsEqual(m_rcFontBox.left, o.m_rcFontBox.left) ||
      !FloatsEqual(m_rcFontBox.top, o.m_rcFontBox.top) || !FloatsEqual(m_rcFontBox.right, o.m_rcFontBox.right) ||
      !FloatsEqual(m_rcFontBox.bottom, o.m_rcFontBox.bottom))
    return false;
  if (!FixedEquals(m_szFontType, o.m_szFontType, kStringSize) ||
      !FixedEquals(m_szFontSubType, o.m_szFontSubType, kStringSize) ||
      !FixedEquals(m_szRegistry, o.m_szRegistry, kStringSize) ||
      !FixedEquals(m_szOrdering, o.m_szOrdering, kStringSize))
    return false;
  if (m_nSupplement != o.m_nSupplement || m_nBaseEncoding != o.m_nBaseEncoding ||
      !FixedEquals(m_szBaseEncodingName, o.m_szBaseEncodingName, kStringSize) ||
      m_nCodeNameCount != o.m_nCodeNameCount)
    return false;
  for (int i = 0; i < m_nCodeNameCount; ++i)
    if (!FixedEquals(m_CodeNames[i], o.m_CodeNames[i], kCodeNameSize)) return false;
  if (std::memcmp(m_HorzDefault, o.m_HorzDefault, kHorzEntrySize) != 0 || m_vHorz != o.m_vHorz) return false;
  if (std::memcmp(m_VertDefault, o.m_VertDefault, kVertEntrySize) != 0 || m_vVert != o.m_vVert) return false;
  const CEmbedFontMapWrap* mine[3] = {m_pEncodingMap.get(), m_p2ttfMap.get(), m_pUtfMap.get()};
  const CEmbedFontMapWrap* theirs[3] = {o.m_pEncodingMap.get(), o.m_p2ttfMap.get(), o.m_pUtfMap.get()};
  for (int i = 0; i < 3; ++i) {
    if (!mine[i] != !theirs[i]) return false;
    if (mine[i] && !mine[i]->IsEqualFontCMapWrap(*theirs[i])) return false;
  }
  if (!m_pProgram != !o.m_pProgram) return false;
  return !m_pProgram || m_pProgram->IsEqual(*o.m_pProgram);
}

// ---------------------------------------------------------------------------------------------
// CEmbedFontResManager

CEmbedFontResManager::~CEmbedFontResManager() { ClearAll(); }

CEmbedFontResouce* CEmbedFontResManager::FindEmbedFontResource(int id) const {
  std::shared_lock lock(m_lock);
  int low = 0;
  int high = static_cast<int>(m_vFonts.size()) - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const int mid = m_vFonts[static_cast<size_t>(middle)]->GetFontID();
    if (mid == id) return m_vFonts[static_cast<size_t>(middle)];
    if (mid < id)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return nullptr;
}

int CEmbedFontResManager::AddEmbedFontResouce(CEmbedFontResouce* res) {
  if (!res) return -1;
  std::unique_lock lock(m_lock);
  const auto at = std::lower_bound(m_vFonts.begin(), m_vFonts.end(), res->GetFontID(),
                                   [](const CEmbedFontResouce* r, int id) { return r->GetFontID() < id; });
  if (at != m_vFonts.end() && (*at)->GetFontID() == res->GetFontID()) return -1;
  const auto index = at - m_vFonts.begin();
  m_vFonts.insert(at, res);
  return static_cast<int>(index);
}

int CEmbedFontResManager::CreateNewEmbedFontID() const {
  std::shared_lock lock(m_lock);
  if (m_vFonts.empty()) return 0;
  int previous = -1;
  for (const CEmbedFontResouce* r : m_vFonts) {
    const int id = r->GetFontID();
    if (previous >= 0 && static_cast<int64_t>(id) > static_cast<int64_t>(previous) + 1) return previous + 1;
    previous = id;
  }
  if (previous < INT_MAX) return previous + 1 < 0 ? 0 : previous + 1;
  // The highest id is taken: the lowest free non-negative id.
  int candidate = 0;
  for (const CEmbedFontResouce* r : m_vFonts) {
    if (r->GetFontID() < candidate) continue;
    if (r->GetFontID() != candidate) break;
    ++candidate;
  }
  return candidate;
}

void CEmbedFontResManager::ClearAll() {
  std::vector<CEmbedFontResouce*> fonts;
  {
    std::unique_lock lock(m_lock);
    fonts.swap(m_vFonts);
  }
  for (CEmbedFontResouce* r : fonts) delete r;
}

int CEmbedFontResManager::GetCount() const {
  std::shared_lock lock(m_lock);
  return static_cast<int>(m_vFonts.size());
}

CEmbedFontResouce* CEmbedFontResManager::GetAt(int i) const {
  std::shared_lock lock(m_lock);
  return i >= 0 && static_cast<size_t>(i) < m_vFonts.size() ? m_vFonts[static_cast<size_t>(i)] : nullptr;
}

}  // namespace GlyphweaveLib
