// The glyph cache (CCharacterGlyphRes, CCharacterGlyphsMap, CFontCacheManager), glyph building
// of a character (CCharacterItem::BuildGlyph) and the character geometry built on the glyph's
// advances and font metrics.
#include <cmath>

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gdi/ftlibrary.h>
#include <gdi/wingdi.h>
#include <pagesieve/LatinAccents.h>

#include "glyphweave/AccessTextsOutline.h"
#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/CharacterItem.h"
#include "glyphweave/EmbedFontRes.h"
#include "glyphweave/FontCacheManager.h"

namespace GlyphweaveLib {

namespace {

constexpr int kReferenceEmPoints = 1024;
constexpr float kScriptScale = 0.6666667f;  // single-precision 2/3
constexpr float kSkewThreshold = 0.00005f;

// The screen context for one piece of work.
class ScreenDC {
 public:
  ScreenDC() : dc_(GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// CCharacterGlyphRes

CCharacterGlyphRes::CCharacterGlyphRes() : m_path(Gdiplus::FillModeWinding) {}

CCharacterGlyphRes::~CCharacterGlyphRes() {
  Vectorloom::ReleaseRefObj(m_pHead);
  Vectorloom::ReleaseRefObj(m_pPlain);
  m_path.Reset();
  m_pOwner.store(nullptr, std::memory_order_release);
}

void CCharacterGlyphRes::SetOwnerGlyphsMap(CCharacterGlyphsMap* map) {
  if (map) SetFontMetrics(map->GetCharsAscent(), map->GetCharsDescent(), map->GetCharsExternalLeading());
  m_pOwner.store(map, std::memory_order_release);
}

void CCharacterGlyphRes::SetLigaturePart(CCharacterGlyphRes* plain, CCharacterGlyphRes* head, int index,
                                         int length, const CCharacterGlyphRes* metrics) {
  Vectorloom::AddRefObj(plain);
  Vectorloom::AddRefObj(head);
  Vectorloom::ReleaseRefObj(m_pPlain);
  Vectorloom::ReleaseRefObj(m_pHead);
  m_pPlain = plain;
  m_pHead = head;
  m_nLigatureIndex = index;
  m_nLigatureLength = length;
  m_fReferIncx = plain ? plain->GetReferIncx() : 0.0f;
  m_fReferIncy = plain ? plain->GetReferIncy() : 0.0f;
  if (!plain || !plain->HasFontMetrics()) plain = const_cast<CCharacterGlyphRes*>(metrics);
  if (plain && plain->HasFontMetrics())
    SetFontMetrics(plain->GetCharsAscent(), plain->GetCharsDescent(), plain->GetCharsExternalLeading());
}

void CCharacterGlyphRes::SetFontMetrics(float ascent, float descent, float externalLeading) {
  m_fAscent = ascent;
  m_fDescent = descent;
  m_fExternalLeading = externalLeading;
  m_bHasMetrics = true;
}

// ---------------------------------------------------------------------------------------------
// CCharacterGlyphsMap

CCharacterGlyphsMap::CCharacterGlyphsMap(const _CharsFontDesc& font, const CEmbedFontResManager* fonts) {
  const CEmbedFontResouce* program = CAccessTextsOutline::FindFontProgram(font, fonts);
  if (!program) {
    // System fonts, and embedded fonts that the GDI engine serves by face name: the metrics
    // follow the engine that makes the glyphs.
    RetrieveTextMetricsGDI(font);
    return;
  }
  m_pProgram = program;
  ScreenDC screen;
  // The face stays open with the map: every glyph of the font is made from it.
  auto engine = std::make_unique<CFFTypeFontEngine>();
  const bool hinting = program->GetEmbedPdfFontContent()->m_nHintingWord != 0;
  if (!engine->SetAccessFont(screen.get(), 0, program, hinting)) return;  // no face: metrics 0
  m_pEngine = std::move(engine);
  LwFreeTypeLock lock;
  const FT_Face face = m_pEngine->GetFace();
  const float u = static_cast<float>(face->units_per_EM);
  if (u <= 0.0f) return;
  const float em = static_cast<float>(m_pEngine->GetResolution()) * kReferenceEmPoints / 72.0f;
  const float ascender = static_cast<float>(std::abs(face->ascender));
  const float descender = static_cast<float>(std::abs(face->descender));
  m_fAscent = face->ascender != 0 ? static_cast<float>(face->ascender) * em / u : em * kAscentFallback;
  m_fDescent = descender > 0.0f ? descender * em / u : em * kDescentFallback;
  const float gap = static_cast<float>(face->max_advance_height) - descender - ascender;
  m_fExternalLeading = (gap > 0.0f ? gap : 0.0f) * em / u;
}

CCharacterGlyphsMap::~CCharacterGlyphsMap() { Reset(); }

std::unique_lock<std::recursive_mutex> CCharacterGlyphsMap::Guard() const {
  return m_pLock ? std::unique_lock<std::recursive_mutex>(*m_pLock) : std::unique_lock<std::recursive_mutex>();
}

bool CCharacterGlyphsMap::RetrieveTextMetricsGDI(const _CharsFontDesc& font) {
  m_fAscent = m_fDescent = m_fExternalLeading = 0.0f;
  ScreenDC screen;
  if (!screen.get()) return false;
  LOGFONTW lf;
  font.RetrieveLogFont(screen.get(), lf, kReferenceEmPoints);
  HFONT hfont = CreateFontIndirectW(&lf);
  if (!hfont) return false;
  HGDIOBJ old = SelectObject(screen.get(), hfont);
  TEXTMETRICW tm{};
  const bool ok = GetTextMetricsW(screen.get(), &tm) != FALSE;
  SelectObject(screen.get(), old);
  DeleteObject(hfont);
  if (!ok) return false;
  m_fAscent = static_cast<float>(tm.tmAscent);
  m_fDescent = static_cast<float>(tm.tmDescent);
  m_fExternalLeading = static_cast<float>(tm.tmExternalLeading);
  return true;
}

CCharacterGlyphRes* CCharacterGlyphsMap::Lookup(wchar_t ch) const {
  auto guard = Guard();
  const auto it = m_mapGlyphs.find(ch);
  return it == m_mapGlyphs.end() ? nullptr : it->second;
}

void CCharacterGlyphsMap::SetAt(wchar_t ch, CCharacterGlyphRes* glyph) {
  auto guard = Guard();
  Vectorloom::AddRefObj(glyph);
  CCharacterGlyphRes*& slot = m_mapGlyphs[ch];
  CCharacterGlyphRes* old = slot;
  slot = glyph;
  if (glyph) m_setMisses.erase(ch);
  if (old) {
    if (old != glyph && old->GetOwnerGlyphsMap() == this) old->SetOwnerGlyphsMap(nullptr);
    old->Release();
  }
  if (!glyph) m_mapGlyphs.erase(ch);
}

void CCharacterGlyphsMap::Reset() {
  auto guard = Guard();
  for (auto& entry : m_mapGlyphs) {
    CCharacterGlyphRes* glyph = entry.second;
    if (!glyph) continue;
    // A glyph that outlives the map keeps its own copy of the metrics, never this map.
    if (glyph->GetOwnerGlyphsMap() == this) glyph->SetOwnerGlyphsMap(nullptr);
    glyph->Release();
  }
  m_mapGlyphs.clear();
  m_setMisses.clear();
  // Parts last: they hold references on the glyphs above.
  for (auto& entry : m_mapLigatureParts) {
    entry.second.part->Release();
    entry.second.ligature->Release();
  }
  m_mapLigatureParts.clear();
}

CCharacterGlyphRes* CCharacterGlyphsMap::GetLigaturePart(CCharacterGlyphRes* plain, CCharacterGlyphRes* ligature,
                                                         CCharacterGlyphRes* head, int index, int length) {
  if (!ligature) return nullptr;
  auto guard = Guard();
  LigatureEntry& slot = m_mapLigatureParts[LigatureKey{plain, ligature, head, index, length}];
  if (!slot.part) {
    auto* part = new CCharacterGlyphRes();
    part->AddRef();  // the map's
    if (!head) part->GetGlyphPathDataPointer()->AddPath(ligature->GetGlyphPathDataPointer(), FALSE);
    part->SetLigaturePart(plain, head, index, length, ligature);
    ligature->AddRef();
    slot.part = part;
    slot.ligature = ligature;
  }
  slot.part->AddRef();
  return slot.part;
}


bool CCharacterGlyphsMap::IsMiss(wchar_t ch) const {
  auto guard = Guard();
  return m_setMisses.count(ch) != 0;
}

void CCharacterGlyphsMap::AddMiss(wchar_t ch) {
  auto guard = Guard();
  if (m_mapGlyphs.count(ch) == 0) m_setMisses.insert(ch);
}

int CCharacterGlyphsMap::GetMissCount() const {
  auto guard = Guard();
  return static_cast<int>(m_setMisses.size());
}

int CCharacterGlyphsMap::GetCount() const {
  auto guard = Guard();
  return static_cast<int>(m_mapGlyphs.size());
}

std::vector<wchar_t> CCharacterGlyphsMap::GetCharacterKeys() const {
  auto guard = Guard();
  std::vector<wchar_t> keys;
  keys.reserve(m_mapGlyphs.size());
  for (const auto& entry : m_mapGlyphs) keys.push_back(entry.first);
  return keys;
}

// ---------------------------------------------------------------------------------------------
// CFontCacheManager

CFontCacheManager::~CFontCacheManager() { Reset(); }

CCharacterGlyphsMap* CFontCacheManager::Lookup(const _CharsFontDesc& font) const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  const auto it = m_mapFonts.find(font);
  return it == m_mapFonts.end() ? nullptr : it->second;
}

CCharacterGlyphsMap* CFontCacheManager::Lookup(const wchar_t* face, BYTE charset, BYTE pitchAndFamily,
                                               int embedFontId) const {
  const _CharsFontDesc font(face ? face : L"", charset, pitchAndFamily, embedFontId);
  return Lookup(font);
}

CCharacterGlyphsMap* CFontCacheManager::GetGlyphsMap(const _CharsFontDesc& font, const CEmbedFontResManager* fonts) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  const auto it = m_mapFonts.find(font);
  if (it != m_mapFonts.end()) return it->second;
  auto* map = new CCharacterGlyphsMap(font, fonts);
  map->m_pLock = &m_lock;
  m_mapFonts.emplace(font, map);
  return map;
}

void CFontCacheManager::Reset() {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  for (auto& entry : m_mapFonts) {
    entry.second->Reset();
    delete entry.second;
  }
  m_mapFonts.clear();
}

int CFontCacheManager::GetCount() const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return static_cast<int>(m_mapFonts.size());
}

// ---------------------------------------------------------------------------------------------
// Glyph building

namespace {

// A precomposed Latin letter the font has no glyph for, drawn from its base letter (a dotless i or
// j where the font has one) and a spacing accent of the font: the accent centred over the letter,
// raised by as much as the letter stands above the font's "x" (not for marks below the letter).
// The advance is the letter's. False without the base letter.
bool PrepareComposedGlyph(CAccessTextsOutline& access, wchar_t ch, Gdiplus::GraphicsPath& path, float* advanceX,
                          float* advanceY) {
  const latin_accents::Composed* c = latin_accents::Decompose(static_cast<char32_t>(ch));
  if (!c) return false;
  Gdiplus::Matrix identity;
  bool based = false;
  if (c->base == 'i' || c->base == 'j') {
    Gdiplus::GraphicsPath dotless;
    if (access.PrepareGlyph(c->base == 'i' ? 0x0131u : 0x0237u, identity, dotless, advanceX, advanceY)) {
      path.AddPath(&dotless, FALSE);
      based = true;
    }
  }
  if (!based && !access.PrepareGlyph(c->base, identity, path, advanceX, advanceY)) return false;
  Gdiplus::GraphicsPath mark;
  bool marked = false;
  for (const latin_accents::Spacing& s : latin_accents::kSpacing) {
    if (s.mark != c->mark) continue;
    float ax = 0, ay = 0;
    if ((marked = access.PrepareGlyph(s.spacing, identity, mark, &ax, &ay))) break;
    mark.Reset();
  }
  if (!marked) return true;  // the letter alone
  Gdiplus::RectF letter, accent, x;
  path.GetBounds(&letter);
  mark.GetBounds(&accent);
  float dy = 0;
  Gdiplus::GraphicsPath xPath;
  float xa = 0, xy = 0;
  const bool below = c->mark == 0x0327 || c->mark == 0x0328;
  if (!below && access.PrepareGlyph('x', identity, xPath, &xa, &xy) && xPath.GetBounds(&x) == Gdiplus::Ok) {
    // "Above" is the side of the baseline the x stands on, whichever way the outlines run.
    const bool yDown = x.Y + x.Height / 2 < 0;
    const float letterTop = yDown ? letter.Y : letter.Y + letter.Height;
    const float xTop = yDown ? x.Y : x.Y + x.Height;
    if (yDown ? letterTop < xTop : letterTop > xTop) dy = letterTop - xTop;
  }
  Gdiplus::Matrix move;
  move.Translate(letter.X + letter.Width / 2 - (accent.X + accent.Width / 2), dy);
  mark.Transform(&move);
  path.AddPath(&mark, FALSE);
  return true;
}

}  // namespace

CCharacterGlyphRes* CCharacterItem::MakeGlyph(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts,
                                              CFontCacheManager* cache, unsigned key) {
  if (!cache) return nullptr;
  // The cache lock: lookup, making and insertion are one step, so two threads never make the
  // same glyph twice and a reset never runs in the middle.
  std::lock_guard<std::recursive_mutex> lock(cache->GetLock());
  CCharacterGlyphsMap* map = cache->GetGlyphsMap(font, fonts);
  const auto ch = static_cast<wchar_t>(key);
  if (CCharacterGlyphRes* cached = map->Lookup(ch)) {
    cached->AddRef();
    return cached;
  }
  // A character the font cannot draw was found out once: the answer stands until the cache goes.
  if (map->IsMiss(ch)) return nullptr;
  Gdiplus::Matrix identity;
  CAccessTextsOutline access;
  // Misses are kept only for the engine the map was made for; a map made before its font's
  // program came (or asked with other fonts) leaves the choice to the facade, call by call.
  const CEmbedFontResouce* program = CAccessTextsOutline::FindFontProgram(font, fonts);
  bool keepMiss = program == map->GetProgram();
  if (keepMiss && program) {
    // The map's face, opened once for the font; a program whose face would not open draws nothing.
    CFFTypeFontEngine* engine = map->GetFontEngine();
    if (!engine) {
      map->AddMiss(ch);
      return nullptr;
    }
    access.UseFreeTypeEngine(engine);
  } else if (!access.SetAccessFont(dc, font, fonts)) {
    if (!program) return nullptr;  // no context or no font now: not the character's fault
    keepMiss = false;
  }
  auto* glyph = new CCharacterGlyphRes();
  glyph->AddRef();  // held while it is made, then handed to the caller
  float advanceX = 0.0f, advanceY = 0.0f;
  bool ok = access.PrepareGlyph(key, identity, *glyph->GetGlyphPathDataPointer(), &advanceX, &advanceY);
  if (!ok && key < kGlyphIdKey) {
    glyph->GetGlyphPathDataPointer()->Reset();
    ok = PrepareComposedGlyph(access, ch, *glyph->GetGlyphPathDataPointer(), &advanceX, &advanceY);
  }
  if (!ok) {
    glyph->Release();
    if (keepMiss) map->AddMiss(ch);
    return nullptr;
  }
  glyph->GetGlyphPathDataPointer()->SetFillMode(Gdiplus::FillModeWinding);
  glyph->SetReferIncx(advanceX);
  glyph->SetReferIncy(advanceY);
  glyph->SetOwnerGlyphsMap(map);
  map->SetAt(ch, glyph);
  return glyph;
}

bool CCharacterItem::BuildGlyph(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts,
                                CFontCacheManager* cache) {
  CCharacterGlyphRes* glyph = MakeGlyph(dc, font, fonts, cache, GetCharacter());
  if (!glyph) return false;
  SetCharGlyphRes(glyph);
  glyph->Release();
  return true;
}

bool CCharacterItem::BuildGlyph(HDC dc, CCharacterGlyphsMap* map, const _CharsFontDesc& font,
                                const CEmbedFontResManager* fonts, CFontCacheManager* cache) {
  // What MakeGlyph answers from the map: the glyph it holds, or none for a remembered miss.
  const auto ch = static_cast<wchar_t>(GetCharacter());
  if (map) {
    if (CCharacterGlyphRes* glyph = map->Lookup(ch)) {
      SetCharGlyphRes(glyph);
      return true;
    }
    if (map->IsMiss(ch)) return false;
  }
  return BuildGlyph(dc, font, fonts, cache);
}

// ---------------------------------------------------------------------------------------------
// Character geometry

namespace {
bool FontMetricsOf(const CCharacterGlyphRes* glyph, float* a, float* d, float* l) {
  if (!glyph || !glyph->HasFontMetrics()) return false;
  if (a) *a = glyph->GetCharsAscent();
  if (d) *d = glyph->GetCharsDescent();
  if (l) *l = glyph->GetCharsExternalLeading();
  return true;
}
}  // namespace

float CCharacterItem::GetActualAscent(float a) const { return a * (F().m_fPointSize / 1024.0f) * F().m_fYScale; }
float CCharacterItem::GetActualDescent(float d) const { return d * (F().m_fPointSize / 1024.0f) * F().m_fYScale; }

float CCharacterItem::GetSuperScriptLineShift(float a, float d) const {
  if (F().m_nScriptFlag != 2) return 0.0f;
  return -(GetActualAscent(a) + GetActualDescent(d)) * 3.0f / 9.0f;
}

float CCharacterItem::GetSubScriptLineShift(float a, float d) const {
  if (F().m_nScriptFlag != 1) return 0.0f;
  return (GetActualAscent(a) + GetActualDescent(d)) / 6.0f;
}

float CCharacterItem::GetTotalLineShift(float a, float d) const {
  float shift = F().m_fBaselineShift;
  if (F().m_nScriptFlag == 2)
    shift += GetSuperScriptLineShift(a, d);
  else if (F().m_nScriptFlag == 1)
    shift += GetSubScriptLineShift(a, d);
  return shift;
}

float CCharacterItem::GetCharAscent(float a, float d) const {
  const float f = F().m_nScriptFlag != 0 ? kScriptScale : 1.0f;
  return GetActualAscent(a) * f - GetTotalLineShift(a, d);
}

float CCharacterItem::GetCharDescent(float a, float d) const {
  const float f = F().m_nScriptFlag != 0 ? kScriptScale : 1.0f;
  return GetActualDescent(d) * f + GetTotalLineShift(a, d);
}

float CCharacterItem::GetCharTotalHeight(float a, float d) const { return GetCharAscent(a, d) + GetCharDescent(a, d); }

float CCharacterItem::GetCharExternalLeading(float l) const {
  float v = l * (F().m_fPointSize / 1024.0f) * F().m_fYScale;
  if (F().m_nScriptFlag != 0) v = v * 2.0f / 3.0f;
  return v;
}

float CCharacterItem::GetActualAscent() const {
  float a = 0;
  return FontMetricsOf(m_pGlyph, &a, nullptr, nullptr) ? GetActualAscent(a) : 0.0f;
}
float CCharacterItem::GetActualDescent() const {
  float d = 0;
  return FontMetricsOf(m_pGlyph, nullptr, &d, nullptr) ? GetActualDescent(d) : 0.0f;
}
float CCharacterItem::GetSuperScriptLineShift() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetSuperScriptLineShift(a, d) : 0.0f;
}
float CCharacterItem::GetSubScriptLineShift() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetSubScriptLineShift(a, d) : 0.0f;
}
float CCharacterItem::GetTotalLineShift() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetTotalLineShift(a, d) : 0.0f;
}
float CCharacterItem::GetCharAscent() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetCharAscent(a, d) : 0.0f;
}
float CCharacterItem::GetCharDescent() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetCharDescent(a, d) : 0.0f;
}
float CCharacterItem::GetCharTotalHeight() const {
  float a = 0, d = 0;
  return FontMetricsOf(m_pGlyph, &a, &d, nullptr) ? GetCharTotalHeight(a, d) : 0.0f;
}
float CCharacterItem::GetCharExternalLeading() const {
  float l = 0;
  return FontMetricsOf(m_pGlyph, nullptr, nullptr, &l) ? GetCharExternalLeading(l) : 0.0f;
}

float CCharacterItem::GetIncreaseDeltaY() const {
  if (!m_pGlyph) return 0.0f;
  const float f = F().m_nScriptFlag != 0 ? kScriptScale : 1.0f;
  return F().m_fYScale * (m_pGlyph->GetReferIncy() * (F().m_fPointSize / 1024.0f)) * f;
}

bool CCharacterItem::IsEmptyGlyphPath() const {
  return !m_pGlyph || m_pGlyph->GetGlyphPathDataPointer()->GetPointCount() == 0;
}

void CCharacterItem::GetGdiplusTransMatrix(Gdiplus::Matrix& m) const {
  const float k = F().m_fPointSize / 1024.0f;
  m.Reset();
  m.Scale(F().m_fXScale * k, k * F().m_fYScale, Gdiplus::MatrixOrderAppend);
  if (std::fabs(F().m_fItalicSkew) > kSkewThreshold) m.Shear(F().m_fItalicSkew, 0.0f, Gdiplus::MatrixOrderAppend);
  m.Translate(0.0f, F().m_fBaselineShift, Gdiplus::MatrixOrderAppend);
  if (F().m_nScriptFlag != 0) {
    m.Scale(kScriptScale, kScriptScale, Gdiplus::MatrixOrderAppend);
    float a = 0.0f;
    FontMetricsOf(m_pGlyph, &a, nullptr, nullptr);
    const float h = GetCharDescent() + a * k * F().m_fYScale;
    if (F().m_nScriptFlag == 1)
      m.Translate(0.0f, h / 6.0f, Gdiplus::MatrixOrderAppend);
    else if (F().m_nScriptFlag == 2)
      m.Translate(0.0f, h / -3.0f, Gdiplus::MatrixOrderAppend);
  }
  m.Translate(m_ptOffset.x, m_ptOffset.y, Gdiplus::MatrixOrderAppend);
}

}  // namespace GlyphweaveLib
