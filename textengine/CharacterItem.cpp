#include "glyphweave/CharacterItem.h"

#include <lwdpi.h>
#include <wingdi.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <utility>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include "glyphweave/CharacterGlyphRes.h"
#include "glyphweave/CharsFontDesc.h"

namespace GlyphweaveLib {

float _CharacterDesc::GetActualFontSize() const { return m_fPointSize * std::fabs(m_fYScale); }

void _CharacterDesc::SetActualFontSize(float s) {
  const float y = std::fabs(m_fYScale);
  if (y > 0.0f) m_fPointSize = s / y;
}

float _CharacterDesc::GetFontPixelSize() const {
  const int dpi = lw::PixelsPerInch(nullptr, LOGPIXELSY);
  return m_fPointSize * static_cast<float>(dpi) / 72.0f;
}

bool _CharacterDesc::PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* /*text*/) const {
  if (!out) return false;
  return out->PutFloat(m_fPointSize) && out->PutI32(m_nBold) && out->PutFloat(m_fItalicSkew) &&
         out->PutU8(m_bUnderline) && out->PutU8(m_bStrikeOut) && out->PutFloat(m_fXScale) &&
         out->PutFloat(m_fYScale);
}

bool _CharacterDesc::GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* /*text*/) {
  if (!in) return false;
  return in->ReadFloat(m_fPointSize) && in->ReadI32(m_nBold) && in->ReadFloat(m_fItalicSkew) &&
         in->ReadU8(m_bUnderline) && in->ReadU8(m_bStrikeOut) && in->ReadFloat(m_fXScale) &&
         in->ReadFloat(m_fYScale);
}

bool _CharacterItem::PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const {
  if (!_CharacterDesc::PutBinaryContent(out, text)) return false;
  return out->PutU16(static_cast<uint16_t>(m_nCharacter)) && out->PutFloat(m_fCharSpacing) &&
         out->PutFloat(m_fHorizontalShift) && out->PutFloat(m_fBaselineShift) && out->PutI32(m_nScriptFlag) &&
         out->PutU8(m_bFillInside) && out->PutU8(m_bStrokeOutline) && out->PutU32(m_crRender) &&
         out->PutU32(m_crStroked) && out->PutU8(m_nFilledTransparency) && out->PutU8(m_nStrokeTransparency);
}

bool _CharacterItem::GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text) {
  if (!_CharacterDesc::GetBinaryContent(in, text)) return false;
  uint16_t ch = 0;
  uint32_t render = 0, stroked = 0;
  if (!in->ReadU16(ch)) return false;
  m_nCharacter = static_cast<char16_t>(ch);
  if (!(in->ReadFloat(m_fCharSpacing) && in->ReadFloat(m_fHorizontalShift) && in->ReadFloat(m_fBaselineShift) &&
        in->ReadI32(m_nScriptFlag) && in->ReadU8(m_bFillInside) && in->ReadU8(m_bStrokeOutline)))
    return false;
  if (!in->ReadU32(render)) return false;
  m_crRender = render;
  if (!in->ReadU32(stroked)) return false;
  m_crStroked = stroked;
  return in->ReadU8(m_nFilledTransparency) && in->ReadU8(m_nStrokeTransparency);
}

// ---------------------------------------------------------------------------------------------

namespace {

template <class T>
bool Same(const T& a, const T& b) {
  return std::memcmp(&a, &b, sizeof(T)) == 0;
}

// Every stored field but the character and the horizontal shift, compared to the bit.
bool SameFields(const _CharacterItem& a, const _CharacterItem& b) {
  return Same(a.m_fPointSize, b.m_fPointSize) && a.m_nBold == b.m_nBold && Same(a.m_fItalicSkew, b.m_fItalicSkew) &&
         Same(a.m_fXScale, b.m_fXScale) && Same(a.m_fYScale, b.m_fYScale) && a.m_bUnderline == b.m_bUnderline &&
         a.m_bStrikeOut == b.m_bStrikeOut && Same(a.m_fCharSpacing, b.m_fCharSpacing) &&
         Same(a.m_fBaselineShift, b.m_fBaselineShift) && a.m_nScriptFlag == b.m_nScriptFlag &&
         a.m_crRender == b.m_crRender && a.m_crStroked == b.m_crStroked && a.m_bFillInside == b.m_bFillInside &&
         a.m_bStrokeOutline == b.m_bStrokeOutline && a.m_nFilledTransparency == b.m_nFilledTransparency &&
         a.m_nStrokeTransparency == b.m_nStrokeTransparency;
}

}  // namespace

_CharacterItem& CCharacterItem::Own() {
  if (m_pFormat && m_pFormat->refs.load(std::memory_order_acquire) == 1) return *m_pFormat;
  Format* own = new Format(F());
  Format* old = m_pFormat;
  m_pFormat = own;
  if (old && old->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete old;
  return *own;
}

CCharacterItem::CCharacterItem(const CCharacterItem& o)
    : m_pFormat(o.m_pFormat),
      m_pGlyph(Vectorloom::AddRefObj(o.m_pGlyph)),
      m_ptOffset(o.m_ptOffset),
      m_fHorizontalShift(o.m_fHorizontalShift),
      m_nCharacter(o.m_nCharacter) {
  if (m_pFormat) m_pFormat->refs.fetch_add(1, std::memory_order_relaxed);
}

CCharacterItem::CCharacterItem(CCharacterItem&& o) noexcept
    : m_pFormat(o.m_pFormat),
      m_pGlyph(o.m_pGlyph),
      m_ptOffset(o.m_ptOffset),
      m_fHorizontalShift(o.m_fHorizontalShift),
      m_nCharacter(o.m_nCharacter) {
  o.m_pFormat = nullptr;
  o.m_pGlyph = nullptr;
}

CCharacterItem& CCharacterItem::operator=(const CCharacterItem& o) {
  Copy(o);
  return *this;
}

CCharacterItem& CCharacterItem::operator=(CCharacterItem&& o) noexcept {
  if (this == &o) return *this;
  std::swap(m_pFormat, o.m_pFormat);
  std::swap(m_pGlyph, o.m_pGlyph);
  m_ptOffset = o.m_ptOffset;
  m_fHorizontalShift = o.m_fHorizontalShift;
  m_nCharacter = o.m_nCharacter;
  return *this;
}

CCharacterItem::~CCharacterItem() {
  Vectorloom::ReleaseRefObj(m_pGlyph);
  if (m_pFormat && m_pFormat->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete m_pFormat;
}

void CCharacterItem::Copy(const CCharacterItem& o) {
  if (this == &o) return;
  ShareFormatOf(o);
  m_fHorizontalShift = o.m_fHorizontalShift;
  m_nCharacter = o.m_nCharacter;
  m_ptOffset = o.m_ptOffset;
  SetCharGlyphRes(o.m_pGlyph);
}

void CCharacterItem::ShareFormatOf(const CCharacterItem& o) {
  if (m_pFormat == o.m_pFormat) return;
  if (o.m_pFormat) o.m_pFormat->refs.fetch_add(1, std::memory_order_relaxed);
  Format* old = m_pFormat;
  m_pFormat = o.m_pFormat;
  if (old && old->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete old;
}

bool CCharacterItem::SameFormat(const CCharacterItem& o) const {
  return m_pFormat == o.m_pFormat || SameFields(F(), o.F());
}

_CharacterItem CCharacterItem::GetStoredFields() const {
  _CharacterItem fields = F();
  fields.m_nCharacter = m_nCharacter;
  fields.m_fHorizontalShift = m_fHorizontalShift;
  return fields;
}

void CCharacterItem::SetStoredFields(const _CharacterItem& fields) {
  m_nCharacter = fields.m_nCharacter;
  m_fHorizontalShift = fields.m_fHorizontalShift;
  if (SameFields(F(), fields)) return;
  if (m_pFormat && m_pFormat->refs.load(std::memory_order_acquire) == 1) {
    *static_cast<_CharacterItem*>(m_pFormat) = fields;
    m_pFormat->m_nCharacter = 0;
    m_pFormat->m_fHorizontalShift = 0.0f;
    return;
  }
  Format* own = SameFields(s_defaultFormat, fields) ? nullptr : new Format(fields);
  Format* old = m_pFormat;
  m_pFormat = own;
  if (old && old->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) delete old;
}

void CCharacterItem::SetActualFontSize(float s) {
  _CharacterItem fields = F();
  fields.SetActualFontSize(s);
  SetFontPointSize(fields.m_fPointSize);
}

bool CCharacterItem::PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const {
  return GetStoredFields().PutBinaryContent(out, text);
}

bool CCharacterItem::GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text) {
  _CharacterItem fields;
  if (!fields.GetBinaryContent(in, text)) return false;
  SetStoredFields(fields);
  return true;
}

void CCharacterItem::SetCharGlyphRes(CCharacterGlyphRes* glyph) {
  if (glyph == m_pGlyph) return;
  Vectorloom::AddRefObj(glyph);  // before releasing, in case the old one holds the new one alive
  CCharacterGlyphRes* old = m_pGlyph;
  m_pGlyph = glyph;
  Vectorloom::ReleaseRefObj(old);
}

void CCharacterItem::SetByCharacterProps(const CRichFontDesc& rich) {
  const float y = std::fabs(GetCharYScale());
  if (y > 0.0f) SetFontPointSize(rich.m_fFontSize / y);
  SetBold(rich.m_bBold != 0 ? 1 : 0);
  SetItalicSkew(rich.m_bItalic ? kItalicSkew : 0.0f);
  Set(&_CharacterItem::m_bUnderline, rich.m_bUnderline);
  SetRenderColor(rich.m_crRenderColor);
}

float CCharacterItem::GetIncreaseDeltaX() const {
  if (m_pGlyph && m_pGlyph->IsContinuation()) return 0.0f;  // the pair's first unit advances for both
  const _CharacterItem& f = F();
  const float k = f.m_fPointSize / 1024.0f;
  const float glyph = m_pGlyph ? f.m_fXScale * (m_pGlyph->GetReferIncx() * k) : 0.0f;
  float dx = glyph + f.m_fCharSpacing;
  if (f.m_nScriptFlag != 0) dx = dx * 2.0f / 3.0f;
  return dx;
}

}  // namespace GlyphweaveLib
