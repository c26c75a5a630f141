// CEditableTextObj: the rich editable text of one text box (characters with their formats, font
// runs, laid-out rows and the extra gaps after lines) and its text record.
//
// Text record (little-endian, no header of its own):
//   align u32; N u32; N x 52-byte characters; run capacity i32; run count R i32;
//   run grow step i32; R x 268-byte runs (u32 length + 264-byte _CharsFontDesc);
//   G u32; G x (u16 absolute line, f32 gap) in ascending line order.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include <vectorloom/VectorTypes.h>

#include "glyphweave/BaseArray.h"
#include "glyphweave/CharacterItem.h"
#include "glyphweave/CharsFontDesc.h"

namespace Vectorloom {
class CVariableStream;
class CStreamReader;
}  // namespace Vectorloom

namespace GlyphweaveLib {

class CEmbedFontResManager;
class CFontCacheManager;

// The characters of a text are UTF-16 units, one per wchar_t element, in every call of the text
// API (InsertString, GetCharacters, GetTextContent); CString and the rest of the program hold code
// points. These two convert at that edge: a character above U+FFFF is two units in a text. A
// lone surrogate unit comes out as U+FFFD; an element that is no Unicode scalar goes in as U+FFFD.
std::wstring TextUnitsFromCodePoints(std::wstring_view codePoints);
std::wstring CodePointsFromTextUnits(std::wstring_view units);

// One laid-out row.
struct TTextLineInfo {
  uint32_t m_nCharCount = 0;  // the row's characters, its closing 13 included
  float m_fWidth = 0.0f;
  float m_fAscent = 0.0f;
  float m_fDescent = 0.0f;
  float m_fLeading = 0.0f;
};

// One font run: the number of characters and their font.
struct TFontRunInfo {
  static constexpr int kRecordSize = 4 + _CharsFontDesc::kRecordSize;  // 268

  uint32_t m_nLength = 0;
  _CharsFontDesc m_FontDesc;
};

// The characters of a text in text order. Ranges are (first, last) with both ends included;
// a last index below 0 means the last character.
class CArrayOfTextCharacters : public std::vector<CCharacterItem> {
 public:
  CArrayOfTextCharacters() = default;
  CArrayOfTextCharacters(const CArrayOfTextCharacters&) = default;
  CArrayOfTextCharacters& operator=(const CArrayOfTextCharacters&) = default;

  // count + 1 units with a terminating 0 (one UTF-16 unit per element); free with delete[].
  wchar_t* GetTextContent() const;

  // Copies of first..last into dest (stopping at the end); 1 when dest is not empty.
  int CopySelection(CArrayOfTextCharacters& dest, int first, int last) const;
  // Copies first..last into dest, then removes them; 1 when dest is not empty.
  int CutSelection(CArrayOfTextCharacters& dest, int first, int last);
  // Removes first..last (clipped to the array); 0 when nothing is in range.
  int RemoveSelection(int first, int last);
  // Inserts copies of src before pos (appends when pos is at or past the end); src may be this
  // array. Returns 1.
  int InsertSelection(const CArrayOfTextCharacters& src, int pos);

  // Lets characters whose formats are equal hold one format (CCharacterItem); nothing a caller
  // reads changes. Loading and the format setters of a range do it themselves.
  void ShareFormats();
  // Changes the characters first..end-1 with fn, which sets format fields only and gives equal
  // formats equal results: fn runs once for each stretch of characters that share a format and
  // the rest of the stretch shares its result.
  template <class Fn>
  void ChangeFormats(size_t first, size_t end, Fn fn) {
    CCharacterItem before;  // the format of the stretch, as it was
    for (size_t i = first; i < end && i < size(); ++i) {
      CCharacterItem& c = (*this)[i];
      if (i > first && c.SameFormat(before)) {
        c.ShareFormatOf((*this)[i - 1]);
        continue;
      }
      before.ShareFormatOf(c);
      fn(c);
    }
  }

  // The character count and records (fields 2 and 3 of the text record).
  bool PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const;
  bool GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text);

 protected:
  void Copy(const CArrayOfTextCharacters& o) { *this = o; }

 private:
  // The range first..last clipped to the array as [begin, end); false when empty.
  bool ClipRange(int first, int last, size_t& begin, size_t& end) const;
};

class CEditableTextObj {
 public:
  CEditableTextObj() = default;
  CEditableTextObj(const CEditableTextObj& o);
  CEditableTextObj& operator=(const CEditableTextObj& o);
  ~CEditableTextObj();  // not virtual: owners destroy the derived object through its own type

  // The layout box (width, height) in the units of the character offsets.
  virtual Vectorloom::CQorVectorSize<float> GetTextOccurArea() const = 0;

  unsigned int GetAlignMode() const { return m_nAlignMode; }
  void SetAlignMode(unsigned int mode) { m_nAlignMode = mode; }

  CArrayOfTextCharacters& GetArrayOfTextCharacters() { return m_arrCharacters; }
  const CArrayOfTextCharacters& GetArrayOfTextCharacters() const { return m_arrCharacters; }
  // Replaces the characters; runs and rows are left to the caller.
  void SetArrayOfTextCharacters(const CArrayOfTextCharacters& chars) { m_arrCharacters = chars; }

  _ParagraphPropsSet<TTextLineInfo>& GetParagraphsLinesInfo() { return m_setLines; }
  const _ParagraphPropsSet<TTextLineInfo>& GetParagraphsLinesInfo() const { return m_setLines; }
  std::map<unsigned short, float>& GetMapBetweenRows() { return m_mapRowGaps; }
  const std::map<unsigned short, float>& GetMapBetweenRows() const { return m_mapRowGaps; }
  const _ParagraphPropsSet<TFontRunInfo>& GetFontRuns() const { return m_setFontRuns; }

  void SetRowGap(unsigned short line, float gap) { m_mapRowGaps[line] = gap; }
  float GetRowGap(unsigned short line) const;

  // The number of characters 13 before the character at index; -1 for an index out of range.
  int GetAbsoluteLineNo(int index) const;
  // Characters first..last (last < 0: to the end), one UTF-16 unit per element.
  std::wstring GetCharacters(int first, int last) const;
  bool IsStartingAsParagraph() const;
  bool IsEndingAsParagraph() const;

  // Font runs. FindFontRun gives the run holding character index (and its first character in
  // *runStart), or -1 (and -1) when there is none.
  int FindFontRun(int index, int* runStart) const;
  // A copy of the run's font; a run index out of range gives the default descriptor.
  _CharsFontDesc GetFontRunDesc(int run) const;
  void AppendFontRun(const TFontRunInfo& run) { m_setFontRuns.Append(run); }
  int InsertFontRunAt(int run, const TFontRunInfo& info) { return m_setFontRuns.InsertAt(run, info); }
  void RemoveFontRunAt(int run) { m_setFontRuns.RemoveAt(run); }
  void SetFontRunAt(int run, const TFontRunInfo& info) { m_setFontRuns.SetAt(run, info); }
  void ClearFontRuns() { m_setFontRuns.Clear(); }
  // Makes the run lengths add up to the character count: a shortfall extends the last run (or
  // adds a default run when there is none), an excess is cut from the end.
  void NormalizeFontRuns();

  // Layout: breaks the characters into rows from row startRow on (0 lays out the whole text);
  // rows before startRow are kept. See TextLayout.cpp.
  void RecalcuLayout(int startRow);

  // Caret positions: the low 24 bits are a character index, bit 30 (kCaretBehind) the place
  // behind that character. Valid after a layout; only characters in rows are reached.
  static constexpr int kCaretBehind = 0x40000000;
  static constexpr int kCaretIndexMask = 0x00FFFFFF;
  int HitTestCaretPos(const Vectorloom::CQorVectorPoint<float>& pt) const;
  int CalcuNextRowCaretPos(int index) const;
  int CalcuPrevRowCaretPos(int index) const;
  int CalcuRowStartedCaretPos(int index) const;
  // The union of the glyph bounds of the first and last visible character of every row.
  Vectorloom::CQorVectorRect<float> CalcuInnerTextExtent() const;

  // Editing. str holds UTF-16 units, one per element, as GetCharacters gives them (text from a
  // CString goes through TextUnitsFromCodePoints first); len < 0: NUL-terminated.
  void InsertString(int pos, const wchar_t* str, int len, HDC dc, const CRichFontDesc& font,
                    const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  bool DeleteString(int first, int count);

  // Character formats over first..last (last < 0: to the last character).
  void SetSelectionCharsColor(int first, int last, unsigned long color);
  void SetSelectionCharsUnderlineFlag(int first, int last, bool underline);
  void SetSelectionCharsStrokeoutFlag(int first, int last, bool strikeout);
  void SetSelectionCharsFontSize(int first, int last, float size);
  void SetSelectionCharsBold(int first, int last, bool bold, const CEmbedFontResManager* fonts,
                             CFontCacheManager* cache);
  void SetSelectionCharsItalic(int first, int last, bool italic);
  void SetSelectionCharsScriptFlag(int first, int last, int script);
  void SetSelectionCharsSpacing(int first, int last, float spacing);
  void SetSelectionCharsBaselineShift(int first, int last, float shift);
  void SetSelectionCharsHorzOffset(int first, int last, float shift);
  void ChangeSelectionCharsFontSize(int first, int last, bool enlarge,
                                    const CPresetFontSizeManager* presets,
                                    const CEmbedFontResManager* fonts);
  // 1 when the range took the face, 0 when nothing changed.
  int SetSelectionCharsFormat(int first, int last, const _CharsFontDesc& face,
                              const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  void GetCharFormatsDesc(CRichFontDesc* out, int index) const;
  void GetSelectionCharFormatsDesc(CCharFormatsDesc* out, int first, int last) const;
  void OptimizationFontDescs(int firstRun, int lastRun);
  // Gives every character the glyph of its character, then draws runs of letters that an
  // embedded font has a ligature glyph for with that glyph (ApplyLigatures).
  void BuildAllGlypths(const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  // Builds the glyphs of the characters that have none (breaks aside), leaving every other glyph
  // as it is; ligatures and surrogate pairs are joined again only when a glyph was made. The
  // number of glyphs made.
  int BuildMissingGlyphs(const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  // Where the letters of a ligature of an embedded font's program follow each other in one font
  // run, at one size, scale, weight and slant, the first letter is drawn with the ligature's glyph
  // and the further letters draw nothing, every letter keeping its own advance (the layout does
  // not change). Longest ligature first. The text stays the letters.
  void ApplyLigatures(HDC dc, const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  // Letters of a ligature no longer whole (a letter deleted, inserted between, or given another
  // face) take their own glyphs back. Every layout runs it first, so an edit leaves plain letters.
  void DropBrokenLigatures();
  // A character beyond the basic plane is stored as its two UTF-16 units. Where a high and a low
  // surrogate follow each other in one font run among characters first to last (and their
  // neighbours), the pair is drawn as one character: the first unit takes the glyph of the code
  // point and its advance, the second a continuation part with no outline and no advance. Both
  // are ligature parts keeping the units' own glyphs, so a pair an edit breaks shows its units
  // again (DropBrokenLigatures). Units already drawn as a ligature are left alone. Every glyph
  // builder runs it after building the units' glyphs; last below 0 means to the end.
  void JoinSurrogatePairs(HDC dc, int first, int last, const CEmbedFontResManager* fonts, CFontCacheManager* cache);
  void CollectEmbedFonts(std::vector<int>& ids) const;
  void ReplaceFontID(int oldId, int newId);
  void CollectFontDesc(CFontDescCollection* out) const;

  // The text record. The text argument is passed through and never affects a byte.
  bool PutBinaryContent(Vectorloom::CVariableStream* out, const wchar_t* text) const;
  bool GetBinaryContent(Vectorloom::CStreamReader* in, const wchar_t* text);

 protected:
  void Duplicate(const CEditableTextObj& o);

  // The row that holds character index (and its first character in *rowStart), or -1.
  int FindRowOfChar(int index, int* rowStart = nullptr) const;
  // Lays out again after a change at character index: from the row before the one that holds
  // it (so that characters can move up), else from the row before the last row, else from
  // row 0. RelayoutFromRow does the same for a row found before the change (-1: none).
  void RelayoutFromCharRow(int index);
  void RelayoutFromRow(int row);
  // The gap after the rows of absolute line n.
  float LineGap(int64_t n) const;

  unsigned int m_nAlignMode = 0;
  _ParagraphPropsSet<TTextLineInfo> m_setLines;
  CArrayOfTextCharacters m_arrCharacters;
  std::map<unsigned short, float> m_mapRowGaps;
  _ParagraphPropsSet<TFontRunInfo> m_setFontRuns;
};

}  // namespace GlyphweaveLib
