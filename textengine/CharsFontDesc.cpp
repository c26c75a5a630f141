#include "glyphweave/CharsFontDesc.h"

#include <lwdpi.h>
#include <wingdi.h>

#include <cstring>

#include <win32/lwbytes.h>

namespace GlyphweaveLib {

_CharsFontDesc::_CharsFontDesc() { Reset(); }

_CharsFontDesc::_CharsFontDesc(const wchar_t* face, BYTE charset, BYTE pitchAndFamily, int embedFontId) {
  Reset();
  SetFontFaceName(face);
  m_nCharSet = charset;
  m_nPitchFamily = pitchAndFamily;
  m_nEmbedFontID = embedFontId;
}

_CharsFontDesc::_CharsFontDesc(const _CharsFontDesc& o) {
  Reset();
  Copy(o);
}

_CharsFontDesc& _CharsFontDesc::operator=(const _CharsFontDesc& o) {
  Copy(o);
  return *this;
}

void _CharsFontDesc::Copy(const _CharsFontDesc& o) {
  if (this == &o) return;
  SetFontFaceName(o.m_szFaceName);
  m_nCharSet = o.m_nCharSet;
  m_nPitchFamily = o.m_nPitchFamily;
  m_nEmbedFontID = o.m_nEmbedFontID;
}

void _CharsFontDesc::Reset() {
  std::memset(m_szFaceName, 0, sizeof(m_szFaceName));
  m_nCharSet = 1;
  m_nPitchFamily = 0;
  m_nReserved[0] = m_nReserved[1] = 0;
  m_nEmbedFontID = -1;
}

void _CharsFontDesc::SetFontFaceName(const wchar_t* face) {
  char16_t units[kFaceUnits] = {};
  int n = 0;
  for (const wchar_t* p = face; p && *p; ++p) {
    uint32_t cp = static_cast<uint32_t>(*p);
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
    if (cp >= 0x10000) {
      if (n + 2 > kMaxFaceLength) break;
      cp -= 0x10000;
      units[n++] = static_cast<char16_t>(0xD800 + (cp >> 10));
      units[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      if (n + 1 > kMaxFaceLength) break;
      units[n++] = static_cast<char16_t>(cp);
    }
  }
  std::memcpy(m_szFaceName, units, sizeof(m_szFaceName));
}

void _CharsFontDesc::SetFontFaceName(const char16_t* face) {
  char16_t units[kFaceUnits] = {};
  int n = 0;
  for (const char16_t* p = face; p && *p && n < kMaxFaceLength; ++p) units[n++] = *p;
  // A high surrogate cut from its partner would make the face invalid UTF-16.
  if (n == kMaxFaceLength && units[n - 1] >= 0xD800 && units[n - 1] <= 0xDBFF) units[--n] = 0;
  std::memcpy(m_szFaceName, units, sizeof(m_szFaceName));
}

std::wstring _CharsFontDesc::GetFontFaceNameW() const {
  std::wstring out;
  for (int i = 0; i < kFaceUnits && m_szFaceName[i]; ++i) {
    const uint32_t u = m_szFaceName[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < kFaceUnits && m_szFaceName[i + 1] >= 0xDC00 &&
        m_szFaceName[i + 1] <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(0x10000 + ((u - 0xD800) << 10) + (m_szFaceName[i + 1] - 0xDC00)));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      out.push_back(static_cast<wchar_t>(0xFFFD));
    } else {
      out.push_back(static_cast<wchar_t>(u));
    }
  }
  return out;
}

bool _CharsFontDesc::operator==(const _CharsFontDesc& o) const {
  if (m_nEmbedFontID >= 0) return m_nEmbedFontID == o.m_nEmbedFontID;
  if (o.m_nEmbedFontID >= 0) return false;
  for (int i = 0; i < kFaceUnits; ++i) {
    if (m_szFaceName[i] != o.m_szFaceName[i]) return false;
    if (m_szFaceName[i] == 0) break;
  }
  return m_nCharSet == o.m_nCharSet && m_nPitchFamily == o.m_nPitchFamily;
}

bool _CharsFontDesc::operator<(const _CharsFontDesc& o) const {
  if (m_nEmbedFontID >= 0) {
    if (o.m_nEmbedFontID < 0) return false;
    return m_nEmbedFontID < o.m_nEmbedFontID;
  }
  if (o.m_nEmbedFontID >= 0) return true;
  for (int i = 0; i < kFaceUnits; ++i) {
    const char16_t a = m_szFaceName[i];
    const char16_t b = o.m_szFaceName[i];
    if (a != b) return a < b;  // char16_t compares as unsigned
    if (a == 0) break;
  }
  if (m_nCharSet != o.m_nCharSet) return m_nCharSet < o.m_nCharSet;
  return m_nPitchFamily < o.m_nPitchFamily;
}

void _CharsFontDesc::RetrieveLogFont(HDC dc, LOGFONTW& lf, int size) const {
  std::memset(&lf, 0, sizeof(lf));
  lf.lfHeight = -MulDiv(size, GetDeviceCaps(dc, LOGPIXELSY), 72);
  lf.lfWeight = 400;
  lf.lfCharSet = m_nCharSet;
  lf.lfQuality = 4;
  lf.lfPitchAndFamily = m_nPitchFamily;
  const std::wstring face = GetFontFaceNameW();
  const size_t n = face.size() < LF_FACESIZE - 1 ? face.size() : LF_FACESIZE - 1;
  for (size_t i = 0; i < n; ++i) lf.lfFaceName[i] = face[i];
  lf.lfFaceName[n] = 0;
}

void _CharsFontDesc::ToBytes(unsigned char* out) const {
  std::memset(out, 0, kRecordSize);
  for (int i = 0; i < kFaceUnits && m_szFaceName[i]; ++i) lw::PutLE16(out + 2 * i, m_szFaceName[i]);
  out[256] = m_nCharSet;
  out[257] = m_nPitchFamily;
  lw::PutLE32(out + 260, static_cast<uint32_t>(m_nEmbedFontID));
}

void _CharsFontDesc::FromBytes(const unsigned char* in) {
  Reset();
  for (int i = 0; i < kMaxFaceLength; ++i) {
    const char16_t u = static_cast<char16_t>(lw::GetLE16(in + 2 * i));
    if (u == 0) break;
    m_szFaceName[i] = u;
  }
  m_nCharSet = in[256];
  m_nPitchFamily = in[257];
  m_nEmbedFontID = static_cast<int32_t>(lw::GetLE32(in + 260));
}

// ---------------------------------------------------------------------------------------------

CRichFontDesc::CRichFontDesc()
    : m_fFontSize(12.0f),
      m_bBold(0),
      m_bItalic(0),
      m_bUnderline(0),
      m_bStrikeout(0),
      m_bSubscript(0),
      m_bSuperscript(0),
      m_fCharSpacing(0.0f),
      m_fBaselineShift(0.0f),
      m_fHorizontalShift(0.0f),
      m_crRenderColor(0) {}

float CRichFontDesc::GetFontPixelSize() const {
  return m_fFontSize * static_cast<float>(lw::PixelsPerInch(nullptr, LOGPIXELSY)) / 72.0f;
}

int CFontDescCollection::CompareFontDesc(const void* a, const void* b) {
  const auto& x = *static_cast<const _CharsFontDesc*>(a);
  const auto& y = *static_cast<const _CharsFontDesc*>(b);
  if (x < y) return -1;
  if (x == y) return 0;
  return 1;
}

// ---------------------------------------------------------------------------------------------

namespace {

// Binary search over the presets; the last middle index examined.
int LastProbe(const unsigned char* presets, int count, int size) {
  int low = 0;
  int high = count - 1;
  int middle = 0;
  while (low <= high) {
    middle = low + (high - low) / 2;
    if (presets[middle] == size) break;
    if (presets[middle] < size)
      low = middle + 1;
    else
      high = middle - 1;
  }
  return middle;
}

}  // namespace

int CPresetFontSizeManager::CalcuNextEnlargeFontSize(int size) const {
  const unsigned char* p = m_pPresetSizes;
  const int n = m_nPresetCount;
  if (!p || n < 1 || size < p[0]) return size + 1;
  if (size >= p[n - 1]) return (size / 10 + 1) * 10;
  const int m = LastProbe(p, n, size);
  if (p[m] > size) return p[m];
  return (m + 1 < n) ? p[m + 1] : size + 1;  // an ascending list always has m + 1 < n
}

int CPresetFontSizeManager::CalcuNextShrinkFontSize(int size) const {
  const unsigned char* p = m_pPresetSizes;
  const int n = m_nPresetCount;
  int result;
  if (!p || n < 1 || size <= p[0]) {
    result = size - 1;
  } else if (size > p[n - 1]) {
    result = (size / 10) * 10 - 10;
    if (result < p[n - 1]) result = p[n - 1];
  } else {
    const int m = LastProbe(p, n, size);
    result = (p[m] >= size) ? (m > 0 ? p[m - 1] : size - 1) : p[m];  // ascending: m >= 1 here
  }
  // A font size below 1 point cannot be drawn.
  return result < 1 ? 1 : result;
}

}  // namespace GlyphweaveLib
