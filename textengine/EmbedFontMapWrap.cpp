#include "glyphweave/EmbedFontMapWrap.h"

#include <pagesieve/qv_cmap.h>

#include <cstdlib>
#include <cstring>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

namespace GlyphweaveLib {

namespace {

void CopyName(char* dst, const char* src, size_t srcSize, size_t maxLen) {
  std::memset(dst, 0, CEmbedFontMapWrap::kNameSize);
  if (!src) return;
  size_t n = 0;
  while (n < srcSize && n < maxLen && src[n]) ++n;
  std::memcpy(dst, src, n);
}

bool NamesEqual(const char* a, const char* b) {
  return std::strncmp(a, b, CEmbedFontMapWrap::kNameSize) == 0;
}

}  // namespace

CEmbedFontMapWrap::CEmbedFontMapWrap() {
  std::memset(m_szName, 0, sizeof(m_szName));
  std::memset(m_szUseName, 0, sizeof(m_szUseName));
}

CEmbedFontMapWrap::CEmbedFontMapWrap(const CEmbedFontMapWrap& o) : CEmbedFontMapWrap() { Copy(o); }

CEmbedFontMapWrap& CEmbedFontMapWrap::operator=(const CEmbedFontMapWrap& o) {
  Copy(o);
  return *this;
}

CEmbedFontMapWrap::~CEmbedFontMapWrap() { Clear(); }

void CEmbedFontMapWrap::Clear() {
  // Iteratively, so that a long chain cannot exhaust the stack.
  CEmbedFontMapWrap* p = m_pNext;
  m_pNext = nullptr;
  while (p) {
    CEmbedFontMapWrap* next = p->m_pNext;
    p->m_pNext = nullptr;
    delete p;
    p = next;
  }
}

void CEmbedFontMapWrap::CopyLevel(const CEmbedFontMapWrap& o) {
  std::memcpy(m_szName, o.m_szName, sizeof(m_szName));
  std::memcpy(m_szUseName, o.m_szUseName, sizeof(m_szUseName));
  m_nWmode = o.m_nWmode;
  m_nCodeSpaceLen = o.m_nCodeSpaceLen;
  std::memcpy(m_CodeSpace, o.m_CodeSpace, sizeof(m_CodeSpace));
  m_vRanges = o.m_vRanges;
  m_vTable = o.m_vTable;
}

void CEmbedFontMapWrap::Copy(const CEmbedFontMapWrap& o) {
  if (this == &o) return;
  for (const CEmbedFontMapWrap* p = m_pNext; p; p = p->m_pNext) {
    if (p == &o) {  // the source lives in this chain: copy it out first
      const CEmbedFontMapWrap copy(o);
      Copy(copy);
      return;
    }
  }
  CEmbedFontMapWrap* dst = this;
  const CEmbedFontMapWrap* src = &o;
  dst->CopyLevel(*src);
  while (src->m_pNext) {
    if (!dst->m_pNext) dst->m_pNext = new CEmbedFontMapWrap;
    dst = dst->m_pNext;
    src = src->m_pNext;
    dst->CopyLevel(*src);
  }
  dst->Clear();
}

void CEmbedFontMapWrap::SetCMapName(const char* name) { CopyName(m_szName, name, kNameSize, kMaxNameLength); }
void CEmbedFontMapWrap::SetCMapUseName(const char* name) {
  CopyName(m_szUseName, name, kNameSize, kMaxNameLength);
}

void CEmbedFontMapWrap::SetCodeSpace(const TagMapCodeSpace* entries, int count) {
  if (count < 0 || !entries) count = 0;
  if (count > kMaxCodeSpace) count = kMaxCodeSpace;
  for (int i = 0; i < kMaxCodeSpace; ++i) m_CodeSpace[i] = i < count ? entries[i] : TagMapCodeSpace();
  m_nCodeSpaceLen = count;
}

void CEmbedFontMapWrap::SetRanges(const TagMapRange* ranges, int count) {
  if (!ranges || count < 1)
    m_vRanges.clear();
  else
    m_vRanges.assign(ranges, ranges + count);
}

void CEmbedFontMapWrap::SetTable(const uint16_t* values, int count) {
  if (!values || count < 1)
    m_vTable.clear();
  else
    m_vTable.assign(values, values + count);
}

void CEmbedFontMapWrap::SetNextFontMapWrap(CEmbedFontMapWrap* next) {
  if (next == m_pNext) return;
  Clear();
  m_pNext = next;
}

// ---------------------------------------------------------------------------------------------
// The engine record

bool CEmbedFontMapWrap::SetWithCMap(const qv_cmap_s* source) {
  if (!source) return false;
  int depth = 0;
  for (const qv_cmap_s* p = source; p && depth < kMaxChainLength; p = p->usecmap, ++depth)
    if (p->codespace_len < 0 || p->codespace_len > kMaxCodeSpace) return false;

  Clear();
  CEmbedFontMapWrap* dst = this;
  const qv_cmap_s* p = source;
  for (int level = 0;; ++level) {
    CopyName(dst->m_szName, p->cmap_name, sizeof(p->cmap_name), kMaxNameLength);
    CopyName(dst->m_szUseName, p->usecmap_name, sizeof(p->usecmap_name), kMaxNameLength);
    dst->m_nWmode = p->wmode;
    dst->m_nCodeSpaceLen = p->codespace_len;
    for (int i = 0; i < kMaxCodeSpace; ++i) {
      dst->m_CodeSpace[i].nBytes = p->codespace[i].n;
      dst->m_CodeSpace[i].nLow = p->codespace[i].low;
      dst->m_CodeSpace[i].nHigh = p->codespace[i].high;
    }
    dst->m_vRanges.clear();
    if (p->rlen > 0 && p->ranges) {
      dst->m_vRanges.resize(static_cast<size_t>(p->rlen));
      for (int i = 0; i < p->rlen; ++i)
        dst->m_vRanges[static_cast<size_t>(i)] = {p->ranges[i].low, p->ranges[i].extent_flags, p->ranges[i].offset};
    }
    dst->m_vTable.clear();
    if (p->tlen > 0 && p->table) dst->m_vTable.assign(p->table, p->table + p->tlen);
    // The chain follows the pointer, never the name; a chain too long (or a cycle) ends here.
    if (!p->usecmap || level + 1 >= kMaxChainLength) break;
    p = p->usecmap;
    dst->m_pNext = new CEmbedFontMapWrap;
    dst = dst->m_pNext;
  }
  return true;
}

namespace {

void FreeEngineChain(qv_cmap_s* p) {
  while (p) {
    qv_cmap_s* next = p->usecmap;
    std::free(p->ranges);
    std::free(p->table);
    std::free(p);
    p = next;
  }
}

}  // namespace

qv_cmap_s* CEmbedFontMapWrap::Convert2PdfMap() const {
  qv_cmap_s* head = nullptr;
  qv_cmap_s** link = &head;
  for (const CEmbedFontMapWrap* w = this; w; w = w->m_pNext) {
    auto* rec = static_cast<qv_cmap_s*>(std::calloc(1, sizeof(qv_cmap_s)));
    if (!rec) {
      FreeEngineChain(head);
      return nullptr;
    }
    *link = rec;
    link = &rec->usecmap;
    std::memcpy(rec->cmap_name, w->m_szName, sizeof(rec->cmap_name));
    std::memcpy(rec->usecmap_name, w->m_szUseName, sizeof(rec->usecmap_name));
    rec->cmap_name[QV_CMAP_NAME_SIZE - 1] = 0;
    rec->usecmap_name[QV_CMAP_NAME_SIZE - 1] = 0;
    rec->wmode = w->m_nWmode;
    rec->codespace_len = w->m_nCodeSpaceLen;
    for (int i = 0; i < kMaxCodeSpace; ++i) {
      rec->codespace[i].n = w->m_CodeSpace[i].nBytes;
      rec->codespace[i].low = w->m_CodeSpace[i].nLow;
      rec->codespace[i].high = w->m_CodeSpace[i].nHigh;
    }
    if (!w->m_vRanges.empty()) {
      rec->ranges = static_cast<qv_cmap_range_s*>(std::malloc(w->m_vRanges.size() * sizeof(qv_cmap_range_s)));
      if (!rec->ranges) {
        FreeEngineChain(head);
        return nullptr;
      }
      rec->rlen = static_cast<int32_t>(w->m_vRanges.size());
      for (size_t i = 0; i < w->m_vRanges.size(); ++i)
        rec->ranges[i] = {w->m_vRanges[i].nLow, w->m_vRanges[i].nExtentKind, w->m_vRanges[i].nValue};
    }
    if (!w->m_vTable.empty()) {
      rec->table = static_cast<uint16_t*>(std::malloc(w->m_vTable.size() * sizeof(uint16_t)));
      if (!rec->table) {
        FreeEngineChain(head);
        return nullptr;
      }
      rec->tlen = static_cast<int32_t>(w->m_vTable.size());
      std::memcpy(rec->table, w->m_vTable.data(), w->m_vTable.size() * sizeof(uint16_t));
    }
  }
  return head;
}

// ---------------------------------------------------------------------------------------------
// Lookups

const TagMapRange* CEmbedFontMapWrap::FindRange(int code) const {
  int low = 0;
  int high = static_cast<int>(m_vRanges.size()) - 1;
  while (low <= high) {
    const int middle = low + (high - low) / 2;
    const TagMapRange& r = m_vRanges[static_cast<size_t>(middle)];
    if (code < r.nLow)
      high = middle - 1;
    else if (code > r.nLow + r.Extent())
      low = middle + 1;
    else
      return &r;
  }
  return nullptr;
}

int CEmbedFontMapWrap::LookupCMap(int code) const {
  for (const CEmbedFontMapWrap* w = this; w; w = w->m_pNext) {
    const TagMapRange* r = w->FindRange(code);
    if (!r) continue;
    const int v = r->nValue + code - r->nLow;
    switch (r->Kind()) {
      case kSingle:
      case kRange:
        return v;
      case kTable:
        return static_cast<size_t>(v) < w->m_vTable.size() ? w->m_vTable[static_cast<size_t>(v)] : -1;
      default:
        return -1;
    }
  }
  return -1;
}

int CEmbedFontMapWrap::LookupCMapFully(int code, int* out, int capacity) const {
  for (const CEmbedFontMapWrap* w = this; w; w = w->m_pNext) {
    const TagMapRange* r = w->FindRange(code);
    if (!r) continue;
    if (!out || capacity < 1) return 0;
    const int v = r->nValue + code - r->nLow;
    const std::vector<uint16_t>& t = w->m_vTable;
    switch (r->Kind()) {
      case kSingle:
      case kRange:
        out[0] = v;
        return 1;
      case kTable:
        if (static_cast<size_t>(v) >= t.size()) return 0;
        out[0] = t[static_cast<size_t>(v)];
        return 1;
      default: {
        const size_t at = r->nValue;
        if (at >= t.size()) return 0;
        const size_t n = t[at];
        if (n > t.size() - at - 1) return 0;  // the values would run past the table
        const size_t stored = n < static_cast<size_t>(capacity) ? n : static_cast<size_t>(capacity);
        for (size_t i = 0; i < stored; ++i) out[i] = t[at + 1 + i];
        return static_cast<int>(stored);
      }
    }
  }
  return 0;
}

int CEmbedFontMapWrap::DecodeCMap(const unsigned char* bytes, int length, int* code) const {
  if (!bytes || length < 1) {
    if (code) *code = 0;
    return 0;
  }
  const int maxBytes = length < 4 ? length : 4;
  uint32_t c = 0;
  for (int k = 1; k <= maxBytes; ++k) {
    c = (c << 8) | bytes[k - 1];
    for (int i = 0; i < m_nCodeSpaceLen && i < kMaxCodeSpace; ++i) {
      const TagMapCodeSpace& s = m_CodeSpace[i];
      if (s.nBytes == k && c >= s.nLow && c <= s.nHigh) {
        if (code) *code = static_cast<int>(c);
        return k;
      }
    }
  }
  if (code) *code = 0;
  return 1;
}

// ---------------------------------------------------------------------------------------------
// Equality

bool CEmbedFontMapWrap::LevelEquals(const CEmbedFontMapWrap& o) const {
  if (!NamesEqual(m_szName, o.m_szName) || !NamesEqual(m_szUseName, o.m_szUseName)) return false;
  if (m_nWmode != o.m_nWmode || m_nCodeSpaceLen != o.m_nCodeSpaceLen) return false;
  for (int i = 0; i < m_nCodeSpaceLen && i < kMaxCodeSpace; ++i) {
    const TagMapCodeSpace &a = m_CodeSpace[i], &b = o.m_CodeSpace[i];
    if (a.nBytes != b.nBytes || a.nLow != b.nLow || a.nHigh != b.nHigh) return false;
  }
  if (m_vRanges.size() != o.m_vRanges.size()) return false;
  for (size_t i = 0; i < m_vRanges.size(); ++i) {
    const TagMapRange &a = m_vRanges[i], &b = o.m_vRanges[i];
    if (a.nLow != b.nLow || a.nExtentKind != b.nExtentKind || a.nValue != b.nValue) return false;
  }
  return m_vTable == o.m_vTable;
}

bool CEmbedFontMapWrap::IsEqualFontCMapWrap(const CEmbedFontMapWrap& o) const {
  const CEmbedFontMapWrap* a = this;
  const CEmbedFontMapWrap* b = &o;
  for (; a && b; a = a->m_pNext, b = b->m_pNext)
    if (!a->LevelEquals(*b)) return false;
  return !a && !b;
}

// ---------------------------------------------------------------------------------------------
// The record

bool CEmbedFontMapWrap::PutLevel(Vectorloom::CVariableStream* out) const {
  if (!out->Append(m_szName, kNameSize) || !out->Append(m_szUseName, kNameSize) || !out->PutI32(m_nWmode) ||
      !out->PutI32(m_nCodeSpaceLen))
    return false;
  for (int i = 0; i < m_nCodeSpaceLen && i < kMaxCodeSpace; ++i)
    if (!out->PutU16(m_CodeSpace[i].nBytes) || !out->PutU16(m_CodeSpace[i].nLow) || !out->PutU16(m_CodeSpace[i].nHigh))
      return false;
  if (!out->PutI32(static_cast<int32_t>(m_vRanges.size()))) return false;
  for (const TagMapRange& r : m_vRanges)
    if (!out->PutU16(r.nLow) || !out->PutU16(r.nExtentKind) || !out->PutU16(r.nValue)) return false;
  if (!out->PutI32(static_cast<int32_t>(m_vTable.size()))) return false;
  for (uint16_t v : m_vTable)
    if (!out->PutU16(v)) return false;
  return true;
}

bool CEmbedFontMapWrap::PutBinaryContent(Vectorloom::CVariableStream* out) const {
  if (!out) return false;
  for (const CEmbedFontMapWrap* w = this; w; w = w->m_pNext)
    if (!w->PutLevel(out) || !out->PutU8(w->m_pNext ? 1 : 0)) return false;
  return true;
}

bool CEmbedFontMapWrap::GetLevel(Vectorloom::CStreamReader* in) {
  if (!in->ReadData(m_szName, kNameSize) || !in->ReadData(m_szUseName, kNameSize)) return false;
  m_szName[kNameSize - 1] = 0;
  m_szUseName[kNameSize - 1] = 0;
  int32_t c = 0;
  if (!in->ReadI32(m_nWmode) || !in->ReadI32(c)) return false;
  if (c < 0 || c > kMaxCodeSpace) return false;
  m_nCodeSpaceLen = c;
  for (int i = 0; i < kMaxCodeSpace; ++i) {
    m_CodeSpace[i] = TagMapCodeSpace();
    if (i < c && !(in->ReadU16(m_CodeSpace[i].nBytes) && in->ReadU16(m_CodeSpace[i].nLow) &&
                   in->ReadU16(m_CodeSpace[i].nHigh)))
      return false;
  }
  int32_t r = 0;
  if (!in->ReadI32(r)) return false;
  if (r < 0 || static_cast<uint64_t>(r) * 6 > in->GetRemainLength()) return false;
  m_vRanges.assign(static_cast<size_t>(r), TagMapRange());
  for (TagMapRange& e : m_vRanges)
    if (!in->ReadU16(e.nLow) || !in->ReadU16(e.nExtentKind) || !in->ReadU16(e.nValue)) return false;
  // Lookups search the ranges by halves: they must be sorted and must not overlap.
  for (size_t i = 1; i < m_vRanges.size(); ++i)
    if (m_vRanges[i].nLow <= m_vRanges[i - 1].nLow + m_vRanges[i - 1].Extent()) return false;
  int32_t t = 0;
  if (!in->ReadI32(t)) return false;
  if (t < 0 || static_cast<uint64_t>(t) * 2 > in->GetRemainLength()) return false;
  m_vTable.assign(static_cast<size_t>(t), 0);
  for (uint16_t& v : m_vTable)
    if (!in->ReadU16(v)) return false;
  return true;
}

bool CEmbedFontMapWrap::GetByBinaryContent(Vectorloom::CStreamReader* in) {
  if (!in) return false;
  CEmbedFontMapWrap* w = this;
  for (int level = 1;; ++level) {
    if (!w->GetLevel(in)) return false;
    uint8_t more = 0;
    if (!in->ReadU8(more)) return false;
    if (more != 1) {
      w->Clear();
      return more == 0;
    }
    if (level >= kMaxChainLength) return false;
    if (!w->m_pNext) w->m_pNext = new CEmbedFontMapWrap;
    w = w->m_pNext;
  }
}

}  // namespace GlyphweaveLib
