// Characters of a text: the per-character format _CharacterDesc, the stored character
// _CharacterItem and the laid-out character CCharacterItem (offset and shared glyph).
//
// The stored form of a character is 52 bytes, fields packed in this order:
// point size f32, bold i32, italic skew f32, underline u8, strike-out u8, X scale f32,
// Y scale f32, character u16, spacing f32, horizontal shift f32, baseline shift f32,
// script kind i32, fill inside u8, stroke outline u8, fill colour u32, stroke colour u32,
// fill transparency u8, stroke transparency u8.
//
// In memory the members are ordered to leave no padding (the one-byte fields last, the character
// in the format's tail): the stored order is kept by PutBinaryContent and GetBinaryContent alone.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstring>

#include <vectorloom/VectorTypes.h>

namespace Gdiplus {
class Matrix;
}  // namespace Gdiplus

namespace Vectorloom {
class CVariableStream;
class CStreamReader;
}  // namespace Vectorloom

namespace GlyphweaveLib {

class CCharacterGlyphRes;
class CRichFontDesc;
struct _CharsFontDesc;
class CEmbedFontResManager;
class CFontCacheManager;
class CCharacterGlyphsMap;

// The skew of italic characters: minus the tangent of 20 degrees.
constexpr float kItalicSkew = -0.36397f;

struct _CharacterDesc {
  static constexpr int kRecordSize = 22;

  _CharacterDesc() = default;
  _CharacterDesc(const _CharacterDesc&) = default;
  _CharacterDesc& operator=(const _CharacterDesc&) = default;
  void Copy(const _CharacterDesc& o) { *this = o; }

  float GetFontPointSize() const { return m_fPointSize; }
  void SetFontPointSize(float v) { m_fPointSize = v; }
  int IsBold() const { return m_nBold; }
  void SetBold(int v) { m_nBold = v; }
  float GetItalicSkew() const { return m_fItalicSkew; }
  void SetItalicSkew(float v) { m_fItalicSkew = v; }
  bool HasUnderline() const { return m_bUnderline != 0; }
  void SetHasUnderlineFlag(bool v) { m_bUnderline = v ? 1 : 0; }
  bool HasStrikeOut() const { return m_bStrikeOut != 0; }
  void SetHasStrikeOutFlag(bool v) { m_bStrikeOut = v ? 1 : 0; }
  float GetCharXScale() const { return m_fXScale; }
  void SetCharXScale(float v) { m_fXScale = v; }
  float GetCharYScale() const { return m_fYScale; }
  void SetCharYScale(float v) { m_fYScale = v; }

  // Point size x |Y scale|.
  float GetActualFontSize() const;
  // Point size = s / |Y scale| (the point size is left alone for a Y scale of 0).
  void SetActualFontSize(float s);
  // Point size in pixels of the screen.
  float GetFontPixelSize() const;

  // The format fields of the character record; the text is passed through and never read.
  bool PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const;
  bool GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text);

  float m_fPointSize = 0.0f;
  int32_t m_nBold = 0;
  float m_fItalicSkew = 0.0f;
  float m_fXScale = 1.0f;
  float m_fYScale = 1.0f;
  BYTE m_bUnderline = 0;
  BYTE m_bStrikeOut = 0;
};

struct _CharacterItem : public _CharacterDesc {
  static constexpr int kRecordSize = 52;

  _CharacterItem() = default;
  _CharacterItem(const _CharacterItem&) = default;
  _CharacterItem& operator=(const _CharacterItem&) = default;
  void Copy(const _CharacterItem& o) { *this = o; }

  char16_t GetCharacter() const { return m_nCharacter; }
  void SetCharacter(char16_t c) { m_nCharacter = c; }
  float GetCharSpacing() const { return m_fCharSpacing; }
  void SetCharSpacing(float v) { m_fCharSpacing = v; }
  float GetHorizontalShift() const { return m_fHorizontalShift; }
  void SetHorizontalShift(float v) { m_fHorizontalShift = v; }
  float GetBaselineShift() const { return m_fBaselineShift; }
  void SetBaselineShift(float v) { m_fBaselineShift = v; }
  int GetShowAsScriptFlag() const { return m_nScriptFlag; }  // 0 normal, 1 sub, 2 super
  void SetShowAsScriptFlag(int v) { m_nScriptFlag = v; }
  bool IsFillInside() const { return m_bFillInside != 0; }
  void SetFillInside(bool v) { m_bFillInside = v ? 1 : 0; }
  bool IsStrokeOutline() const { return m_bStrokeOutline != 0; }
  void SetStrokeOutline(bool v) { m_bStrokeOutline = v ? 1 : 0; }
  COLORREF GetRenderColor() const { return m_crRender; }
  void SetRenderColor(COLORREF c) { m_crRender = c; }
  COLORREF GetStrokedColor() const { return m_crStroked; }
  void SetStrokedColor(COLORREF c) { m_crStroked = c; }
  BYTE GetFilledTransparency() const { return m_nFilledTransparency; }
  void SetFilledTransparency(BYTE v) { m_nFilledTransparency = v; }
  BYTE GetStrokeTransparency() const { return m_nStrokeTransparency; }
  void SetStorkeTransparency(BYTE v) { m_nStrokeTransparency = v; }

  // The whole 52-byte character record; the text is passed through and never read.
  bool PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const;
  bool GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text);

  char16_t m_nCharacter = 0;
  float m_fCharSpacing = 0.0f;
  float m_fHorizontalShift = 0.0f;
  float m_fBaselineShift = 0.0f;
  int32_t m_nScriptFlag = 0;
  COLORREF m_crRender = 0;
  COLORREF m_crStroked = 0;
  BYTE m_bFillInside = 1;
  BYTE m_bStrokeOutline = 0;
  BYTE m_nFilledTransparency = 0;
  BYTE m_nStrokeTransparency = 0;
};

// A character of a laid-out text: the stored fields, the offset given by layout (left end of the
// baseline in box coordinates) and a counted reference to its glyph. Copies share the glyph.
//
// A page holds thousands of characters and their formats repeat over whole lines, so the item
// keeps only what differs from one character to the next (the character, its horizontal shift,
// offset and glyph) and shares the other stored fields: a counted, unchanging format that copies
// of the item hold together (null: the default format). A setter that changes a field gives the
// item a format of its own first, unless it holds the only reference; ShareFormats lets the
// characters of an array hold one format wherever their fields are equal. 32 bytes a character.
class CCharacterItem {
 public:
  static constexpr int kRecordSize = _CharacterItem::kRecordSize;

  CCharacterItem() = default;
  CCharacterItem(const CCharacterItem& o);
  CCharacterItem(CCharacterItem&& o) noexcept;
  CCharacterItem& operator=(const CCharacterItem& o);
  CCharacterItem& operator=(CCharacterItem&& o) noexcept;
  ~CCharacterItem();
  void Copy(const CCharacterItem& o);

  // The stored fields (_CharacterDesc, then _CharacterItem).
  float GetFontPointSize() const { return F().m_fPointSize; }
  void SetFontPointSize(float v) { Set(&_CharacterItem::m_fPointSize, v); }
  int IsBold() const { return F().m_nBold; }
  void SetBold(int v) { Set(&_CharacterItem::m_nBold, static_cast<int32_t>(v)); }
  float GetItalicSkew() const { return F().m_fItalicSkew; }
  void SetItalicSkew(float v) { Set(&_CharacterItem::m_fItalicSkew, v); }
  bool HasUnderline() const { return F().m_bUnderline != 0; }
  void SetHasUnderlineFlag(bool v) { Set(&_CharacterItem::m_bUnderline, static_cast<BYTE>(v ? 1 : 0)); }
  bool HasStrikeOut() const { return F().m_bStrikeOut != 0; }
  void SetHasStrikeOutFlag(bool v) { Set(&_CharacterItem::m_bStrikeOut, static_cast<BYTE>(v ? 1 : 0)); }
  float GetCharXScale() const { return F().m_fXScale; }
  void SetCharXScale(float v) { Set(&_CharacterItem::m_fXScale, v); }
  float GetCharYScale() const { return F().m_fYScale; }
  void SetCharYScale(float v) { Set(&_CharacterItem::m_fYScale, v); }
  float GetActualFontSize() const { return F().GetActualFontSize(); }
  void SetActualFontSize(float s);
  float GetFontPixelSize() const { return F().GetFontPixelSize(); }

  char16_t GetCharacter() const { return m_nCharacter; }
  void SetCharacter(char16_t c) { m_nCharacter = c; }
  float GetCharSpacing() const { return F().m_fCharSpacing; }
  void SetCharSpacing(float v) { Set(&_CharacterItem::m_fCharSpacing, v); }
  float GetHorizontalShift() const { return m_fHorizontalShift; }
  void SetHorizontalShift(float v) { m_fHorizontalShift = v; }
  float GetBaselineShift() const { return F().m_fBaselineShift; }
  void SetBaselineShift(float v) { Set(&_CharacterItem::m_fBaselineShift, v); }
  int GetShowAsScriptFlag() const { return F().m_nScriptFlag; }  // 0 normal, 1 sub, 2 super
  void SetShowAsScriptFlag(int v) { Set(&_CharacterItem::m_nScriptFlag, static_cast<int32_t>(v)); }
  bool IsFillInside() const { return F().m_bFillInside != 0; }
  void SetFillInside(bool v) { Set(&_CharacterItem::m_bFillInside, static_cast<BYTE>(v ? 1 : 0)); }
  bool IsStrokeOutline() const { return F().m_bStrokeOutline != 0; }
  void SetStrokeOutline(bool v) { Set(&_CharacterItem::m_bStrokeOutline, static_cast<BYTE>(v ? 1 : 0)); }
  COLORREF GetRenderColor() const { return F().m_crRender; }
  void SetRenderColor(COLORREF c) { Set(&_CharacterItem::m_crRender, c); }
  COLORREF GetStrokedColor() const { return F().m_crStroked; }
  void SetStrokedColor(COLORREF c) { Set(&_CharacterItem::m_crStroked, c); }
  BYTE GetFilledTransparency() const { return F().m_nFilledTransparency; }
  void SetFilledTransparency(BYTE v) { Set(&_CharacterItem::m_nFilledTransparency, v); }
  BYTE GetStrokeTransparency() const { return F().m_nStrokeTransparency; }
  void SetStorkeTransparency(BYTE v) { Set(&_CharacterItem::m_nStrokeTransparency, v); }

  // All stored fields at once, as one record (the character and horizontal shift included).
  _CharacterItem GetStoredFields() const;
  void SetStoredFields(const _CharacterItem& fields);
  // True when the two items' formats (every stored field but the character and the horizontal
  // shift) are equal to the bit.
  bool SameFormat(const CCharacterItem& o) const;
  // Takes o's format, which equals this item's (SameFormat), so that both share it.
  void ShareFormatOf(const CCharacterItem& o);
  // The whole 52-byte character record; the text is passed through and never read.
  bool PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const;
  bool GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text);

  const Vectorloom::CQorVectorPoint<float>& GetCharOffset() const { return m_ptOffset; }
  void SetCharOffset(const Vectorloom::CQorVectorPoint<float>& p) { m_ptOffset = p; }

  CCharacterGlyphRes* GetCharGlyphPath() const { return m_pGlyph; }
  // Holds `glyph` instead of the current one (a reference is taken, the old one released).
  void SetCharGlyphRes(CCharacterGlyphRes* glyph);

  // Size, bold, italic, underline and colour from a character format.
  void SetByCharacterProps(const CRichFontDesc& rich);

  // Horizontal advance: X scale x glyph advance x (point size / 1024) + spacing, x 2/3 for
  // sub- and superscripts. Without a glyph only the spacing counts.
  float GetIncreaseDeltaX() const;

  // Glyph building and character geometry (FontCache.cpp). k = point size / 1024; A, D and L are
  // the font metrics the glyph carries; script characters (kind 1 or 2) are scaled by 2/3.
  //
  // Gives the item the glyph of its character in font from cache, making and caching it when
  // missing. False when the glyph cannot be made: the item keeps what it held and the font's map
  // remembers the miss, so later calls answer at once until the cache is reset.
  bool BuildGlyph(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  // BuildGlyph for callers that hold the cache's lock and have looked up font's glyph map in it
  // (cache->GetGlyphsMap): texts of one font ask for thousands of glyphs the map already holds.
  bool BuildGlyph(HDC dc, CCharacterGlyphsMap* map, const _CharsFontDesc& font, const CEmbedFontResManager* fonts,
                  CFontCacheManager* cache);
  // The cached glyph of `key` (a character, or kGlyphIdKey + a glyph id of an embedded program) in
  // font, made and cached when missing, with a reference for the caller; null when it cannot be made
  // (a miss the font's map remembers until the cache is reset).
  static CCharacterGlyphRes* MakeGlyph(HDC dc, const _CharsFontDesc& font, const CEmbedFontResManager* fonts,
                                       CFontCacheManager* cache, unsigned key);
  // The metrics below are 0 without a glyph or when the glyph carries no font metrics.
  float GetActualAscent() const;   // A k Y
  float GetActualDescent() const;  // D k Y
  float GetSuperScriptLineShift() const;
  float GetSubScriptLineShift() const;
  float GetTotalLineShift() const;  // baseline shift + script shift
  float GetCharAscent() const;
  float GetCharDescent() const;
  float GetCharTotalHeight() const;
  float GetCharExternalLeading() const;
  // Vertical advance: Y x glyph advance x k, x 2/3 for scripts; 0 without a glyph.
  float GetIncreaseDeltaY() const;
  // True without a glyph or when the glyph's outline has no points.
  bool IsEmptyGlyphPath() const;
  // The placement of the glyph: reference outline units to text coordinates (scale, italic
  // shear, baseline shift, script scale and shift, then the character offset).
  void GetGdiplusTransMatrix(Gdiplus::Matrix& m) const;

 protected:
  float GetActualAscent(float a) const;
  float GetActualDescent(float d) const;
  float GetSuperScriptLineShift(float a, float d) const;
  float GetSubScriptLineShift(float a, float d) const;
  float GetTotalLineShift(float a, float d) const;
  float GetCharAscent(float a, float d) const;
  float GetCharDescent(float a, float d) const;
  float GetCharTotalHeight(float a, float d) const;
  float GetCharExternalLeading(float l) const;

 private:
  // The shared format: the stored fields (the character and the horizontal shift are the item's
  // own and stay 0 here) and the count of the items that hold it. A format held by more than one
  // item never changes.
  struct Format : _CharacterItem {
    explicit Format(const _CharacterItem& fields) : _CharacterItem(fields) {
      m_nCharacter = 0;
      m_fHorizontalShift = 0.0f;
    }
    std::atomic<int> refs{1};
  };
  static constexpr _CharacterItem s_defaultFormat{};
  const _CharacterItem& F() const { return m_pFormat ? *m_pFormat : s_defaultFormat; }
  // The format, held by this item alone, to change a field of.
  _CharacterItem& Own();
  template <class Member, class T>
  void Set(Member member, T v) {
    if (BitEqual(F().*member, v)) return;
    Own().*member = v;
  }
  template <class T>
  static bool BitEqual(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
  }

  Format* m_pFormat = nullptr;  // counted; null is the default format
  CCharacterGlyphRes* m_pGlyph = nullptr;
  Vectorloom::CQorVectorPoint<float> m_ptOffset;
  float m_fHorizontalShift = 0.0f;
  char16_t m_nCharacter = 0;
};

static_assert(sizeof(_CharacterItem) <= 52, "a character's stored fields are laid out without padding");
static_assert(sizeof(CCharacterItem) <= 32, "a laid-out character grew");

}  // namespace GlyphweaveLib
