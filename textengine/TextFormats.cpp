// Character formats of ranges, font faces, glyph building of a whole text and the fonts a text
// uses.

#include <wingdi.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <mutex>
#include <string>

#include "glyphweave/EditableTextObj.h"
#include <win32/lwstr.h>

#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/EmbedFontRes.h"
#include "glyphweave/FontCacheManager.h"

namespace GlyphweaveLib {

namespace {

constexpr float kItalicThreshold = 0.00005f;

// The smallest point size a character is given (sizes at or below 0 cannot be drawn).
constexpr float kMinActualSize = 1.0f;

// Sizes are stepped as integers; a larger size from a file is stepped from here.
constexpr float kMaxSteppedSize = 1.0e6f;

bool IsItalic(float skew) { return std::fabs(skew) > kItalicThreshold; }

// The range first..last (last < 0: the last character) clipped to the text, as [begin, end);
// false when nothing of it lies in the text. Clipping first means no setter ever stops halfway.
bool ClipRange(size_t count, int first, int last, size_t& begin, size_t& end) {
  if (count == 0 || first < 0 || static_cast<size_t>(first) >= count) return false;
  const size_t l = (last < 0 || static_cast<size_t>(last) >= count) ? count - 1
                                                                    : static_cast<size_t>(last);
  if (static_cast<size_t>(first) > l) return false;
  begin = static_cast<size_t>(first);
  end = l + 1;
  return true;
}

// Releases the screen context when it goes out of scope; `lazy` takes it at the first Get.
class CScreenDC {
 public:
  explicit CScreenDC(bool lazy = false) : m_hDC(lazy ? nullptr : GetDC(nullptr)), m_bTaken(!lazy) {}
  ~CScreenDC() {
    if (m_hDC) ReleaseDC(nullptr, m_hDC);
  }
  CScreenDC(const CScreenDC&) = delete;
  CScreenDC& operator=(const CScreenDC&) = delete;
  HDC Get() {
    if (!m_bTaken) m_hDC = GetDC(nullptr), m_bTaken = true;
    return m_hDC;
  }

 private:
  HDC m_hDC;
  bool m_bTaken;
};

}  // namespace

// Writes one property into every character of the clipped range; the characters that now look
// alike share their format again.
template <typename Fn>
static void ApplyToRange(CArrayOfTextCharacters& chars, int first, int last, Fn fn) {
  size_t b = 0;
  size_t e = 0;
  if (!ClipRange(chars.size(), first, last, b, e)) return;
  for (size_t i = b; i < e; ++i) fn(chars[i]);
  chars.ShareFormats();
}

void CEditableTextObj::SetSelectionCharsColor(int first, int last, unsigned long color) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetRenderColor(static_cast<COLORREF>(color)); });
}

void CEditableTextObj::SetSelectionCharsUnderlineFlag(int first, int last, bool underline) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetHasUnderlineFlag(underline); });
}

void CEditableTextObj::SetSelectionCharsStrokeoutFlag(int first, int last, bool strikeout) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetHasStrikeOutFlag(strikeout); });
}

void CEditableTextObj::SetSelectionCharsFontSize(int first, int last, float size) {
  if (!(size >= kMinActualSize)) size = kMinActualSize;  // also catches NaN
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) {
    const float y = std::fabs(c.GetCharYScale());
    if (y > 0.0f) c.SetFontPointSize(size / y);  // a Y scale of 0 has no size to give
  });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsBold(int first, int last, bool bold,
                                             const CEmbedFontResManager*, CFontCacheManager*) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetBold(bold ? 1 : 0); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsItalic(int first, int last, bool italic) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetItalicSkew(italic ? kItalicSkew : 0.0f); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsScriptFlag(int first, int last, int script) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetShowAsScriptFlag(script); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsSpacing(int first, int last, float spacing) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetCharSpacing(spacing); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsBaselineShift(int first, int last, float shift) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetBaselineShift(shift); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::SetSelectionCharsHorzOffset(int first, int last, float shift) {
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) { c.SetHorizontalShift(shift); });
  RelayoutFromCharRow(first);
}

void CEditableTextObj::ChangeSelectionCharsFontSize(int first, int last, bool enlarge,
                                                    const CPresetFontSizeManager* presets,
                                                    const CEmbedFontResManager*) {
  const CPresetFontSizeManager none;
  const CPresetFontSizeManager& steps = presets ? *presets : none;
  ApplyToRange(m_arrCharacters, first, last, [&](CCharacterItem& c) {
    const float y = std::fabs(c.GetCharYScale());
    if (!(y > 0.0f)) return;
    const float actual = y * c.GetFontPointSize() + 0.5f;
    if (!(actual == actual)) return;  // NaN from a file: no size to step from
    const int n = static_cast<int>(std::clamp(actual, -1.0f, kMaxSteppedSize));
    int m = enlarge ? steps.CalcuNextEnlargeFontSize(n) : steps.CalcuNextShrinkFontSize(n);
    if (m < 1) m = 1;
    c.SetFontPointSize(static_cast<float>(m) / y);
  });
  RelayoutFromCharRow(first);
}

int CEditableTextObj::SetSelectionCharsFormat(int first, int last, const _CharsFontDesc& face,
                                              const CEmbedFontResManager* fonts,
                                              CFontCacheManager* cache) {
  size_t b = 0;
  size_t e = 0;
  if (!ClipRange(m_arrCharacters.size(), first, last, b, e)) return 0;
  const int f = static_cast<int>(b);
  const int l = static_cast<int>(e - 1);

  // Paragraph breaks and line feeds are drawn as spaces whatever the font, so they need no
  // glyph of the face.
  std::u16string wanted;
  for (size_t i = b; i < e; ++i) {
    const char16_t c = m_arrCharacters[i].GetCharacter();
    if (c != 13 && c != 10) wanted.push_back(c);
  }
  CScreenDC dc;
  if (!wanted.empty()) {
    CAccessTextsOutline access;
    if (!access.SetAccessFont(dc.Get(), face, fonts)) return 0;
    const std::wstring points = lw::Utf16ToWide(wanted);
    if (!access.IsContainCharacters(points.c_str())) return 0;
  }

  int firstStart = -1;
  int lastStart = -1;
  const int rf = FindFontRun(f, &firstStart);
  const int rl = FindFontRun(l, &lastStart);
  if (rf < 0 || rl < 0) return 0;

  for (size_t i = b; i < e; ++i) m_arrCharacters[i].BuildGlyph(dc.Get(), face, fonts, cache);

  // The run of first keeps its part before first, the run of last its part after last, and the
  // range gets a run of the face; equal neighbours are merged afterwards.
  const TFontRunInfo headRun = m_setFontRuns.GetAt(rf);
  const TFontRunInfo tailRun = m_setFontRuns.GetAt(rl);
  const int64_t headLen = f - firstStart;
  const int64_t tailLen = static_cast<int64_t>(lastStart) + tailRun.m_nLength - (l + 1);
  for (int r = rl; r >= rf; --r) m_setFontRuns.RemoveAt(r);
  int at = rf;
  if (headLen > 0) {
    TFontRunInfo head = headRun;
    head.m_nLength = static_cast<uint32_t>(headLen);
    m_setFontRuns.InsertAt(at++, head);
  }
  TFontRunInfo mid;
  mid.m_nLength = static_cast<uint32_t>(l - f + 1);
  mid.m_FontDesc = face;
  m_setFontRuns.InsertAt(at++, mid);
  if (tailLen > 0) {
    TFontRunInfo tail = tailRun;
    tail.m_nLength = static_cast<uint32_t>(tailLen);
    m_setFontRuns.InsertAt(at, tail);
  }
  OptimizationFontDescs(0, -1);
  JoinSurrogatePairs(dc.Get(), static_cast<int>(f), static_cast<int>(l), fonts, cache);
  RelayoutFromCharRow(f);
  return 1;
}

void CEditableTextObj::GetCharFormatsDesc(CRichFontDesc* out, int index) const {
  if (!out || m_arrCharacters.empty()) return;
  if (index < 0) index = 0;
  if (static_cast<size_t>(index) >= m_arrCharacters.size())
    index = static_cast<int>(m_arrCharacters.size() - 1);
  const CCharacterItem& c = m_arrCharacters[static_cast<size_t>(index)];
  const int run = FindFontRun(index, nullptr);
  if (run >= 0) static_cast<_CharsFontDesc&>(*out) = GetFontRunDesc(run);
  out->m_fFontSize = c.GetActualFontSize();
  out->m_bBold = c.IsBold() != 0;
  out->m_bItalic = IsItalic(c.GetItalicSkew());
  out->m_bUnderline = c.HasUnderline();
  out->m_bSubscript = c.GetShowAsScriptFlag() == 1;
  out->m_bSuperscript = c.GetShowAsScriptFlag() == 2;
  out->m_fCharSpacing = c.GetCharSpacing();
  out->m_fBaselineShift = c.GetBaselineShift();
  out->m_fHorizontalShift = c.GetHorizontalShift();
  out->m_crRenderColor = c.GetRenderColor();
}

void CEditableTextObj::GetSelectionCharFormatsDesc(CCharFormatsDesc* out, int first,
                                                   int last) const {
  if (!out) return;
  out->m_nCommonMask = 0;
  size_t b = 0;
  size_t e = 0;
  // "To the end" is resolved before the range is tested.
  if (!ClipRange(m_arrCharacters.size(), first, last, b, e)) return;

  int runStart = -1;
  int run = FindFontRun(static_cast<int>(b), &runStart);
  int64_t runEnd = run >= 0 ? static_cast<int64_t>(runStart) + m_setFontRuns.GetAt(run).m_nLength : -1;
  const _CharsFontDesc noFace;
  auto faceAt = [&](size_t i) -> const _CharsFontDesc& {
    while (run >= 0 && static_cast<int64_t>(i) >= runEnd) {
      ++run;
      if (run >= m_setFontRuns.GetSize()) {
        run = -1;
        break;
      }
      runEnd += m_setFontRuns.GetAt(run).m_nLength;
    }
    return run >= 0 ? m_setFontRuns.GetAt(run).m_FontDesc : noFace;
  };

  const CCharacterItem& c0 = m_arrCharacters[b];
  static_cast<_CharsFontDesc&>(*out) = faceAt(b);
  out->m_fFontSize = c0.GetActualFontSize();
  out->m_bBold = c0.IsBold() != 0;
  out->m_bItalic = IsItalic(c0.GetItalicSkew());
  out->m_bUnderline = c0.HasUnderline();
  out->m_bStrikeout = c0.HasStrikeOut();
  out->m_bSubscript = c0.GetShowAsScriptFlag() == 1;
  out->m_bSuperscript = c0.GetShowAsScriptFlag() == 2;
  out->m_fCharSpacing = c0.GetCharSpacing();
  out->m_fBaselineShift = c0.GetBaselineShift();
  out->m_fHorizontalShift = c0.GetHorizontalShift();
  out->m_crRenderColor = c0.GetRenderColor();

  uint32_t mask = CCharFormatsDesc::kAllProperties;
  const _CharsFontDesc& face0 = *out;
  for (size_t i = b + 1; i < e && mask != 0; ++i) {
    const CCharacterItem& c = m_arrCharacters[i];
    if ((mask & CCharFormatsDesc::kFont) && !(faceAt(i) == face0)) mask &= ~CCharFormatsDesc::kFont;
    if (c.GetActualFontSize() != out->m_fFontSize) mask &= ~CCharFormatsDesc::kFontSize;
    if ((c.IsBold() != 0) != (out->m_bBold != 0)) mask &= ~CCharFormatsDesc::kBold;
    if (IsItalic(c.GetItalicSkew()) != (out->m_bItalic != 0)) mask &= ~CCharFormatsDesc::kItalic;
    if (c.HasUnderline() != (out->m_bUnderline != 0)) mask &= ~CCharFormatsDesc::kUnderline;
    if (c.HasStrikeOut() != (out->m_bStrikeout != 0)) mask &= ~CCharFormatsDesc::kStrikeout;
    if ((c.GetShowAsScriptFlag() == 1) != (out->m_bSubscript != 0))
      mask &= ~CCharFormatsDesc::kSubscript;
    if ((c.GetShowAsScriptFlag() == 2) != (out->m_bSuperscript != 0))
      mask &= ~CCharFormatsDesc::kSuperscript;
    if (c.GetCharSpacing() != out->m_fCharSpacing) mask &= ~CCharFormatsDesc::kCharSpacing;
    if (c.GetBaselineShift() != out->m_fBaselineShift) mask &= ~CCharFormatsDesc::kBaselineShift;
    if (c.GetHorizontalShift() != out->m_fHorizontalShift)
      mask &= ~CCharFormatsDesc::kHorizontalShift;
    if (c.GetRenderColor() != out->m_crRenderColor) mask &= ~CCharFormatsDesc::kRenderColor;
  }
  out->m_nCommonMask = mask;
}

void CEditableTextObj::OptimizationFontDescs(int firstRun, int lastRun) {
  const int runs = m_setFontRuns.GetSize();
  if (runs < 2) return;
  if (lastRun < 0 || lastRun >= runs) lastRun = runs - 1;
  if (firstRun < 0) firstRun = 0;
  for (int i = firstRun; i <= lastRun;) {
    if (i + 1 <= lastRun && m_setFontRuns.GetAt(i).m_FontDesc == m_setFontRuns.GetAt(i + 1).m_FontDesc) {
      m_setFontRuns.GetAt(i).m_nLength += m_setFontRuns.GetAt(i + 1).m_nLength;
      m_setFontRuns.RemoveAt(i + 1);
      --lastRun;
    } else {
      ++i;
    }
  }
  if (m_setFontRuns.GetSize() < runs) m_setFontRuns.FreeExtra();
}

void CEditableTextObj::BuildAllGlypths(const CEmbedFontResManager* fonts, CFontCacheManager* cache) {
  CScreenDC dc;
  const size_t total = m_arrCharacters.size();
  size_t i = 0;
  for (int r = 0; r < m_setFontRuns.GetSize() && i < total; ++r) {
    const TFontRunInfo& run = m_setFontRuns.GetAt(r);
    const size_t end = std::min<size_t>(total, i + run.m_nLength);
    if (!cache || i == end) {
      i = end;
      continue;
    }
    std::lock_guard<std::recursive_mutex> lock(cache->GetLock());
    CCharacterGlyphsMap* map = cache->GetGlyphsMap(run.m_FontDesc, fonts);
    for (; i < end; ++i) m_arrCharacters[i].BuildGlyph(dc.Get(), map, run.m_FontDesc, fonts, cache);
  }
  ApplyLigatures(dc.Get(), fonts, cache);
  JoinSurrogatePairs(dc.Get(), 0, -1, fonts, cache);
}

int CEditableTextObj::BuildMissingGlyphs(const CEmbedFontResManager* fonts, CFontCacheManager* cache) {
  const size_t total = m_arrCharacters.size();
  CScreenDC dc(true);
  int made = 0;
  size_t i = 0;
  for (int r = 0; r < m_setFontRuns.GetSize() && i < total; ++r) {
    const TFontRunInfo& run = m_setFontRuns.GetAt(r);
    const size_t end = std::min<size_t>(total, i + run.m_nLength);
    if (!cache) {
      i = end;
      continue;
    }
    std::unique_lock<std::recursive_mutex> lock(cache->GetLock(), std::defer_lock);
    CCharacterGlyphsMap* map = nullptr;
    for (; i < end; ++i) {
      CCharacterItem& c = m_arrCharacters[i];
      const char16_t code = c.GetCharacter();
      if (c.GetCharGlyphPath() || code == 13 || code == 10) continue;
      if (!map) {
        lock.lock();
        map = cache->GetGlyphsMap(run.m_FontDesc, fonts);
      }
      if (c.BuildGlyph(dc.Get(), map, run.m_FontDesc, fonts, cache)) ++made;
    }
  }
  if (made > 0) {
    ApplyLigatures(dc.Get(), fonts, cache);
    JoinSurrogatePairs(dc.Get(), 0, -1, fonts, cache);
  }
  return made;
}

void CEditableTextObj::JoinSurrogatePairs(HDC dc, int first, int last, const CEmbedFontResManager* fonts,
                                          CFontCacheManager* cache) {
  if (!cache) return;
  const int64_t total = static_cast<int64_t>(m_arrCharacters.size());
  if (last < 0 || last >= total) last = static_cast<int>(total - 1);
  // A pair may straddle either end of the range.
  const int64_t b = std::max<int64_t>(0, static_cast<int64_t>(first) - 1);
  const int64_t e = std::min<int64_t>(total - 1, static_cast<int64_t>(last) + 1);
  for (int64_t i = b; i < e; ++i) {
    CCharacterItem& hi = m_arrCharacters[static_cast<size_t>(i)];
    CCharacterItem& lo = m_arrCharacters[static_cast<size_t>(i + 1)];
    const char16_t h = hi.GetCharacter(), l = lo.GetCharacter();
    if (h < 0xD800 || h > 0xDBFF || l < 0xDC00 || l > 0xDFFF) continue;
    CCharacterGlyphRes* hg = hi.GetCharGlyphPath();
    CCharacterGlyphRes* lg = lo.GetCharGlyphPath();
    if ((hg && hg->IsLigaturePart()) || (lg && lg->IsLigaturePart())) continue;  // joined already, or a ligature
    const int run = FindFontRun(static_cast<int>(i), nullptr);
    if (run < 0 || FindFontRun(static_cast<int>(i + 1), nullptr) != run) continue;
    const unsigned cp = 0x10000u + ((static_cast<unsigned>(h) - 0xD800u) << 10) + (static_cast<unsigned>(l) - 0xDC00u);
    CCharacterGlyphRes* glyph = CCharacterItem::MakeGlyph(dc, m_setFontRuns.GetAt(run).m_FontDesc, fonts, cache, cp);
    if (!glyph) continue;
    auto* head = new CCharacterGlyphRes();
    head->AddRef();
    head->GetGlyphPathDataPointer()->AddPath(glyph->GetGlyphPathDataPointer(), FALSE);
    head->GetGlyphPathDataPointer()->SetFillMode(Gdiplus::FillModeWinding);
    head->SetLigaturePart(hg, nullptr, 0, 2, glyph);
    if (glyph->HasFontMetrics())
      head->SetFontMetrics(glyph->GetCharsAscent(), glyph->GetCharsDescent(), glyph->GetCharsExternalLeading());
    head->SetReferIncx(glyph->GetReferIncx());
    head->SetReferIncy(glyph->GetReferIncy());
    auto* tail = new CCharacterGlyphRes();
    tail->AddRef();
    tail->SetLigaturePart(lg, head, 1, 2, glyph);
    if (glyph->HasFontMetrics())
      tail->SetFontMetrics(glyph->GetCharsAscent(), glyph->GetCharsDescent(), glyph->GetCharsExternalLeading());
    tail->SetReferIncx(0.0f);
    tail->SetReferIncy(0.0f);
    tail->SetContinuation(true);
    hi.SetCharGlyphRes(head);
    lo.SetCharGlyphRes(tail);
    tail->Release();
    head->Release();
    glyph->Release();
    ++i;
  }
}

namespace {
bool SameLook(const CCharacterItem& a, const CCharacterItem& b) {
  return a.GetFontPointSize() == b.GetFontPointSize() && a.GetCharXScale() == b.GetCharXScale() &&
         a.GetCharYScale() == b.GetCharYScale() && a.IsBold() == b.IsBold() &&
         a.GetItalicSkew() == b.GetItalicSkew() && a.GetBaselineShift() == b.GetBaselineShift() &&
         a.GetShowAsScriptFlag() == b.GetShowAsScriptFlag();
}
}  // namespace

void CEditableTextObj::ApplyLigatures(HDC dc, const CEmbedFontResManager* fonts, CFontCacheManager* cache) {
  if (!fonts || !cache) return;
  const size_t total = m_arrCharacters.size();
  size_t i = 0;
  for (int r = 0; r < m_setFontRuns.GetSize() && i < total; ++r) {
    const TFontRunInfo& run = m_setFontRuns.GetAt(r);
    const size_t end = std::min<size_t>(total, i + run.m_nLength);
    const CEmbedFontResouce* font = fonts->FindEmbedFontResource(run.m_FontDesc.GetEmbedFontID());
    const CPdfEmbedFontDesc* program = font ? font->GetEmbedPdfFontContent() : nullptr;
    if (!program || program->m_vProgram.empty() || font->GetLigatures().empty()) {
      i = end;
      continue;
    }
    while (i < end) {
      const CEmbedFontResouce::TLigature* best = nullptr;
      for (const CEmbedFontResouce::TLigature& l : font->GetLigatures()) {
        const size_t n = l.letters.size();
        if (i + n > end || (best && best->letters.size() >= n)) continue;
        bool match = true;
        for (size_t k = 0; k < n && match; ++k) {
          const CCharacterItem& c = m_arrCharacters[i + k];
          match = c.GetCharacter() == l.letters[k] &&
                  !(c.GetCharGlyphPath() && c.GetCharGlyphPath()->IsLigaturePart()) && SameLook(c, m_arrCharacters[i]);
        }
        if (match) best = &l;
      }
      const int gid = best ? font->GetCodeGlyphGid(best->code) : 0;
      CCharacterGlyphRes* ligature =
          gid > 0 ? CCharacterItem::MakeGlyph(dc, run.m_FontDesc, fonts, cache, kGlyphIdKey + static_cast<unsigned>(gid))
                  : nullptr;
      if (!ligature) {
        ++i;
        continue;
      }
      const int n = static_cast<int>(best->letters.size());
      // The parts are the font's, shared by every place that shows this ligature.
      std::lock_guard<std::recursive_mutex> lock(cache->GetLock());
      CCharacterGlyphsMap* map = cache->GetGlyphsMap(run.m_FontDesc, fonts);
      CCharacterGlyphRes* head = map->GetLigaturePart(m_arrCharacters[i].GetCharGlyphPath(), ligature, nullptr, 0, n);
      m_arrCharacters[i].SetCharGlyphRes(head);
      for (int k = 1; k < n; ++k) {
        CCharacterGlyphRes* part =
            map->GetLigaturePart(m_arrCharacters[i + k].GetCharGlyphPath(), ligature, head, k, n);
        m_arrCharacters[i + k].SetCharGlyphRes(part);
        part->Release();
      }
      ligature->Release();
      head->Release();
      i += static_cast<size_t>(n);
    }
  }
}

void CEditableTextObj::DropBrokenLigatures() {
  const size_t total = m_arrCharacters.size();
  for (size_t i = 0; i < total;) {
    CCharacterGlyphRes* g = m_arrCharacters[i].GetCharGlyphPath();
    if (!g || !g->IsLigaturePart()) {
      ++i;
      continue;
    }
    const size_t n = static_cast<size_t>(g->GetLigatureLength());
    bool whole = g->GetLigatureIndex() == 0 && i + n <= total;
    for (size_t k = 1; k < n && whole; ++k) {
      const CCharacterGlyphRes* p = m_arrCharacters[i + k].GetCharGlyphPath();
      whole = p && p->IsLigaturePart() && p->GetLigatureHead() == g && p->GetLigatureIndex() == static_cast<int>(k) &&
              SameLook(m_arrCharacters[i + k], m_arrCharacters[i]);
    }
    if (whole) {
      i += n;
      continue;
    }
    m_arrCharacters[i].SetCharGlyphRes(g->GetPlainGlyph());
    ++i;
  }
}

void CEditableTextObj::CollectEmbedFonts(std::vector<int>& ids) const {
  for (int r = 0; r < m_setFontRuns.GetSize(); ++r) {
    const int id = m_setFontRuns.GetAt(r).m_FontDesc.GetEmbedFontID();
    if (id >= 0 && std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
  }
}

void CEditableTextObj::ReplaceFontID(int oldId, int newId) {
  for (int r = 0; r < m_setFontRuns.GetSize(); ++r) {
    _CharsFontDesc& d = m_setFontRuns.GetAt(r).m_FontDesc;
    if (d.GetEmbedFontID() == oldId) d.SetEmbedFontID(newId);
  }
}

void CEditableTextObj::CollectFontDesc(CFontDescCollection* out) const {
  if (!out) return;
  int64_t laidOut = 0;
  for (int r = 0; r < m_setLines.GetSize(); ++r) laidOut += m_setLines.GetAt(r).m_nCharCount;
  laidOut = std::min<int64_t>(laidOut, static_cast<int64_t>(m_arrCharacters.size()));
  int64_t start = 0;
  for (int r = 0; r < m_setFontRuns.GetSize() && start < laidOut; ++r) {
    const TFontRunInfo& run = m_setFontRuns.GetAt(r);
    if (run.m_nLength > 0) out->Add(run.m_FontDesc);
    start += run.m_nLength;
  }
}

}  // namespace GlyphweaveLib
