// CEmbedFontMapWrap: one character map (CMap) of an embedded PDF font, with the chain of maps it
// uses, converted from and to the PDF engine's qv_cmap_s.
//
// CMap record (little-endian): name 32 bytes; use-name 32 bytes; wmode i32; code-space count c
// i32 (0..40); c x {u16 bytes, u16 low, u16 high}; range count r i32; r x {u16 low,
// u16 (extent << 2) | kind, u16 value}; table count t i32; t x u16; one byte, 1 when the next map
// of the chain follows in the same layout.
#pragma once

#include <cstdint>
#include <vector>

struct qv_cmap_s;

namespace Vectorloom {
class CVariableStream;
class CStreamReader;
}  // namespace Vectorloom

namespace GlyphweaveLib {

struct TagMapCodeSpace {
  uint16_t nBytes = 0;  // code length, 1 to 4
  uint16_t nLow = 0;
  uint16_t nHigh = 0;
};

struct TagMapRange {
  uint16_t nLow = 0;
  uint16_t nExtentKind = 0;  // (high - low) << 2 | kind
  uint16_t nValue = 0;

  int Extent() const { return nExtentKind >> 2; }
  int Kind() const { return nExtentKind & 3; }
};

class CEmbedFontMapWrap {
 public:
  static constexpr int kNameSize = 32;
  static constexpr int kMaxNameLength = 30;
  static constexpr int kMaxCodeSpace = 40;
  // Maps beyond this depth of a use chain are not taken (real chains are a few maps deep; a
  // longer or cyclic chain is corrupt).
  static constexpr int kMaxChainLength = 64;

  enum RangeKind { kSingle = 0, kRange = 1, kTable = 2, kMulti = 3 };

  CEmbedFontMapWrap();
  CEmbedFontMapWrap(const CEmbedFontMapWrap& o);
  CEmbedFontMapWrap& operator=(const CEmbedFontMapWrap& o);
  ~CEmbedFontMapWrap();
  void Copy(const CEmbedFontMapWrap& o);
  // Deletes the chain after this map.
  void Clear();

  const char* GetCMapName() const { return m_szName; }
  const char* GetCMapUseName() const { return m_szUseName; }
  int GetCMapWmode() const { return m_nWmode; }
  int GetCodeSpaceLength() const { return m_nCodeSpaceLen; }
  TagMapCodeSpace* GetCodeSpacePointer() { return m_CodeSpace; }
  const TagMapCodeSpace* GetCodeSpacePointer() const { return m_CodeSpace; }
  CEmbedFontMapWrap* GetNextFontMapWrap() const { return m_pNext; }
  const std::vector<TagMapRange>& GetRanges() const { return m_vRanges; }
  const std::vector<uint16_t>& GetTable() const { return m_vTable; }

  // Fills this map and its chain from an engine record (the chain follows the used-map
  // pointers). False for null or for a record with more than 40 code-space entries; nothing
  // changes then.
  bool SetWithCMap(const qv_cmap_s* source);
  // A new engine record (malloc'ed, with its tables and chain; the engine frees them), or null.
  qv_cmap_s* Convert2PdfMap() const;

  // The value of a code (this map, then the chain); -1 when no map holds it, for a multi entry
  // and for a table index outside the table.
  int LookupCMap(int code) const;
  // Stores up to `capacity` values of the code in out and returns how many were stored; 0 when
  // no map holds the code (out untouched).
  int LookupCMapFully(int code, int* out, int capacity) const;
  // Decodes one code from `length` bytes (big-endian, up to 4) by this map's code space. Stores
  // the code and returns the bytes used; no match stores 0 and uses 1 byte; no bytes give 0.
  int DecodeCMap(const unsigned char* bytes, int length, int* code) const;

  bool IsEqualFontCMapWrap(const CEmbedFontMapWrap& o) const;

  // This map and its chain; false when the stream cannot take the bytes.
  bool PutBinaryContent(Vectorloom::CVariableStream* out) const;
  // Reads this map and its chain. Refuses counts that are negative, exceed the code space or the
  // data left, ranges that are unsorted or overlap, and chains longer than kMaxChainLength.
  bool GetByBinaryContent(Vectorloom::CStreamReader* in);

  // Setters for building a map in code.
  void SetCMapName(const char* name);
  void SetCMapUseName(const char* name);
  void SetCMapWmode(int wmode) { m_nWmode = wmode; }
  // Copies up to 40 entries.
  void SetCodeSpace(const TagMapCodeSpace* entries, int count);
  void SetRanges(const TagMapRange* ranges, int count);
  void SetTable(const uint16_t* values, int count);
  // Replaces the chain after this map (takes ownership).
  void SetNextFontMapWrap(CEmbedFontMapWrap* next);

 private:
  // Finds the range entry holding code in this map; null when none.
  const TagMapRange* FindRange(int code) const;
  void CopyLevel(const CEmbedFontMapWrap& o);
  bool LevelEquals(const CEmbedFontMapWrap& o) const;
  bool PutLevel(Vectorloom::CVariableStream* out) const;
  bool GetLevel(Vectorloom::CStreamReader* in);

  char m_szName[kNameSize];
  char m_szUseName[kNameSize];
  int32_t m_nWmode = 0;
  int32_t m_nCodeSpaceLen = 0;
  TagMapCodeSpace m_CodeSpace[kMaxCodeSpace];
  std::vector<TagMapRange> m_vRanges;
  std::vector<uint16_t> m_vTable;
  CEmbedFontMapWrap* m_pNext = nullptr;  // owned
};

}  // namespace GlyphweaveLib
