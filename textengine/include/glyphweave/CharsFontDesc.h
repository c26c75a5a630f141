// Font descriptors: _CharsFontDesc (the font of a run, the key of every font table),
// CRichFontDesc (a whole character format), CCharFormatsDesc (a summary over a range),
// CFontDescCollection (a sorted set of descriptors) and CPresetFontSizeManager (font size steps).
#pragma once

#include <windows.h>

#include <string>

#include "glyphweave/BaseArray.h"

struct LOGFONTW;

namespace Vectorloom {
class CVariableStream;
class CStreamReader;
}  // namespace Vectorloom

namespace GlyphweaveLib {

// A system font (by face, character set and pitch-and-family) or an embedded font (by id).
// Stored whole, 264 bytes: the face as 128 UTF-16 units, charset, pitch-and-family, 2 reserved
// bytes and the i32 id.
struct _CharsFontDesc {
  static constexpr int kFaceUnits = 128;     // units of the face field
  static constexpr int kMaxFaceLength = 126; // units kept; the rest of the field is zero
  static constexpr int kRecordSize = 264;

  _CharsFontDesc();
  _CharsFontDesc(const wchar_t* face, BYTE charset, BYTE pitchAndFamily, int embedFontId);
  _CharsFontDesc(const _CharsFontDesc& o);
  _CharsFontDesc& operator=(const _CharsFontDesc& o);
  void Copy(const _CharsFontDesc& o);

  // Code points in; stored as UTF-16, at most 126 units (a pair is never split).
  void SetFontFaceName(const wchar_t* face);
  void SetFontFaceName(const char16_t* face);
  const char16_t* GetFontFaceName() const { return m_szFaceName; }
  std::wstring GetFontFaceNameW() const;  // as code points
  void Reset();
  void SetCharSet(BYTE c) { m_nCharSet = c; }
  BYTE GetCharSet() const { return m_nCharSet; }
  void SetPitchFamily(BYTE p) { m_nPitchFamily = p; }
  BYTE GetPitchFamily() const { return m_nPitchFamily; }
  void SetEmbedFontID(int id) { m_nEmbedFontID = id; }
  int GetEmbedFontID() const { return m_nEmbedFontID; }
  bool IsEmbedFont() const { return m_nEmbedFontID >= 0; }

  // Embedded fonts are equal by id alone; system fonts (any negative id) by face, charset and
  // pitch-and-family.
  bool operator==(const _CharsFontDesc& o) const;
  bool operator!=(const _CharsFontDesc& o) const { return !(*this == o); }
  // System fonts before embedded fonts; embedded by id; system by face (unsigned UTF-16 units),
  // then charset, then pitch-and-family.
  bool operator<(const _CharsFontDesc& o) const;

  // Fills lf for this font at `size` points on dc (face cut to the LOGFONT's 31 characters).
  void RetrieveLogFont(HDC dc, LOGFONTW& lf, int size) const;

  // The 264-byte stored form, written field by field (the face after its terminator and the
  // reserved bytes as zero) into out[0..263].
  void ToBytes(unsigned char* out) const;
  // Reads the stored form from in[0..263]; the face is cut to 126 units so it is always
  // terminated, and the reserved bytes are ignored.
  void FromBytes(const unsigned char* in);

  char16_t m_szFaceName[kFaceUnits];
  BYTE m_nCharSet;
  BYTE m_nPitchFamily;
  BYTE m_nReserved[2];
  int32_t m_nEmbedFontID;
};

// A whole character format, used for insertion and queries; never stored.
class CRichFontDesc : public _CharsFontDesc {
 public:
  CRichFontDesc();
  CRichFontDesc(const CRichFontDesc& o) = default;
  CRichFontDesc& operator=(const CRichFontDesc& o) = default;

  // The font size in pixels of the screen.
  float GetFontPixelSize() const;

  float m_fFontSize;  // points as the user sees them (point size x |Y scale|)
  BYTE m_bBold;
  BYTE m_bItalic;
  BYTE m_bUnderline;
  BYTE m_bStrikeout;
  BYTE m_bSubscript;
  BYTE m_bSuperscript;
  float m_fCharSpacing;
  float m_fBaselineShift;
  float m_fHorizontalShift;
  COLORREF m_crRenderColor;
};

// A character format summarised over a range: a set bit of the mask means the property has one
// value over the whole range.
class CCharFormatsDesc : public CRichFontDesc {
 public:
  enum : uint32_t {
    kFont = 1u << 0,
    kFontSize = 1u << 1,
    kBold = 1u << 2,
    kItalic = 1u << 3,
    kUnderline = 1u << 4,
    kStrikeout = 1u << 5,
    kSubscript = 1u << 6,
    kSuperscript = 1u << 7,
    kCharSpacing = 1u << 8,
    kBaselineShift = 1u << 9,
    kHorizontalShift = 1u << 10,
    kRenderColor = 1u << 11,
    kAllProperties = 4095u,
  };
  CCharFormatsDesc() = default;
  CCharFormatsDesc(const CCharFormatsDesc& o) = default;
  CCharFormatsDesc& operator=(const CCharFormatsDesc& o) = default;

  uint32_t m_nCommonMask = 0;
};

// The distinct font descriptors of a text, in descriptor order.
class CFontDescCollection : public CSortedArray<_CharsFontDesc> {
 public:
  CFontDescCollection() : CSortedArray<_CharsFontDesc>(&CompareFontDesc) {}
  CFontDescCollection(const CFontDescCollection& o) = default;
  CFontDescCollection& operator=(const CFontDescCollection& o) = default;

  // -1 when a < b, 0 when a == b, else 1.
  static int CompareFontDesc(const void* a, const void* b);
};

// Steps a font size through an ascending list of preset sizes. The owner fills the two fields.
class CPresetFontSizeManager {
 public:
  CPresetFontSizeManager() = default;

  int CalcuNextEnlargeFontSize(int size) const;
  int CalcuNextShrinkFontSize(int size) const;

  const unsigned char* m_pPresetSizes = nullptr;
  int m_nPresetCount = 0;
};

}  // namespace GlyphweaveLib
