#include "glyphweave/CharacterItem.h"

#include <lwdpi.h>
#include <wingdi.h>

#include <cmath>

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

CCharacterItem::CCharacterItem(const CCharacterItem& o) : _CharacterItem(o), m_ptOffset(o.m_ptOffset) {
  m_pGlyph = Vectorloom::AddRefObj(o.m_pGlyph);
}

CCharacterItem& CCharacterItem::operator=(const CCharacterItem& o) {
  Copy(o);
  return *this;
}

CCharacterItem::~CCharacterItem() { Vectorloom::ReleaseRefObj(m_pGlyph); }

void CCharacterItem::Copy(const CCharacterItem& o) {
  if (this == &o) return;
  _CharacterItem::operator=(o);
  m_ptOffset = o.m_ptOffset;
  SetCharGlyphRes(o.m_pGlyph);
}

void CCharacterItem::SetCharGlyphRes(CCharacterGlyphRes* glyph) {
  if (glyph == m_pGlyph) return;
  Vectorloom::AddRefObj(glyph);  // before releasing, in case the old one holds the new one alive
  CCharacterGlyphRes* old = m_pGlyph;
  m_pGlyph = glyph;
  Vectorloom::ReleaseRefObj(old);
}

void CCharacterItem::SetByCharacterProps(const CRichFontDesc& rich) {
  const float y = std::fabs(m_fYScale);
  if (y > 0.0f) m_fPointSize = rich.m_fFontSize / y;
  m_nBold = rich.m_bBold != 0 ? 1 : 0;
  m_fItalicSkew = rich.m_bItalic ? kItalicSkew : 0.0f;
  m_bUnderline = rich.m_bUnderline;
  m_crRender = rich.m_crRenderColor;
}

float CCharacterItem::GetIncreaseDeltaX() const {
  if (m_pGlyph && m_pGlyph->IsContinuation()) return 0.0f;  // the pair's first unit advances for both
  const float k = m_fPointSize / 1024.0f;
  const float glyph = m_pGlyph ? m_fXScale * (m_pGlyph->GetReferIncx() * k) : 0.0f;
  float dx = glyph + m_fCharSpacing;
  if (m_nScriptFlag != 0) dx = dx * 2.0f / 3.0f;
  return dx;
}

}  // namespace GlyphweaveLib
