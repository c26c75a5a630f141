// Embedded fonts: CPdfEmbedFontDesc (the font program with its CID tables), CEmbedFontResouce
// (one embedded PDF font with its values, glyph names, metrics and character maps) and
// CEmbedFontResManager (the document's fonts by id).
//
// Font record (little-endian, byte strings written whole):
//   head 214 bytes: id i32, flags u32, 6 x f32 (italic angle, ascent, descent, cap height,
//   x-height, missing width), embed flag i32, box 4 x f32, font type / subtype / registry /
//   ordering 30 bytes each, supplement i32, base-encoding word u32, base-encoding name 30 bytes,
//   code-name count n i32 (0..256); then n x 32-byte glyph names;
//   horizontal default 8 bytes, h i32, h x 8 bytes; vertical default 10 bytes, v i32, v x 10;
//   for the encoding, to-TrueType and to-Unicode maps: a presence byte and the CMap record;
//   a presence byte and the program block: name 128, first word, hinting word, fourth word,
//   L i32 + L bytes, g i32 + g x u16, u i32 + u x u16.
// The program block's second word is not part of the record: it lives in memory only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <shared_mutex>
#include <string>
#include <vector>

#include <vectorloom/VectorTypes.h>

#include "glyphweave/EmbedFontMapWrap.h"

struct qv_cmap_s;
struct FT_FaceRec_;

namespace Vectorloom {
class CVariableStream;
class CStreamReader;
}  // namespace Vectorloom

namespace GlyphweaveLib {

class CPdfEmbedFontDesc {
 public:
  static constexpr int kNameSize = 128;
  static constexpr int kMaxNameLength = 126;

  CPdfEmbedFontDesc();
  CPdfEmbedFontDesc(const CPdfEmbedFontDesc&) = default;
  CPdfEmbedFontDesc& operator=(const CPdfEmbedFontDesc&) = default;
  ~CPdfEmbedFontDesc() = default;

  // The font name, also the file looked for in the CID font folder (at most 126 bytes kept).
  void SetFontName(const char* name);
  const char* GetFontName() const { return m_szFontName; }

  bool IsEqual(const CPdfEmbedFontDesc& o) const;

  char m_szFontName[kNameSize];
  int32_t m_nFirstWord = 0;
  int32_t m_nSecondWord = 0;  // memory only: not stored in the font record
  int32_t m_nHintingWord = 0;
  int32_t m_nFourthWord = 0;
  std::vector<unsigned char> m_vProgram;  // the font file as the PDF held it
  std::vector<uint16_t> m_vCid2Gid;
  std::vector<uint16_t> m_vCid2Unicode;
};

class CEmbedFontResouce {
 public:
  static constexpr int kStringSize = 30;
  static constexpr int kMaxStringLength = 29;
  static constexpr int kCodeNameSlots = 256;
  static constexpr int kCodeNameSize = 32;
  static constexpr int kHorzEntrySize = 8;
  static constexpr int kVertEntrySize = 10;

  CEmbedFontResouce();
  CEmbedFontResouce(const CEmbedFontResouce& o);
  CEmbedFontResouce& operator=(const CEmbedFontResouce& o);
  ~CEmbedFontResouce();
  void Copy(const CEmbedFontResouce& o);

  // Deletes the three maps and the program block; the id becomes -1.
  void ClearFont();

  int GetFontID() const { return m_nFontID; }
  void SetFontID(int id) { m_nFontID = id; }
  uint32_t GetFontFlag() const { return m_nFontFlags; }
  void SetFontFlag(uint32_t f) { m_nFontFlags = f; }
  float GetItalicAngle() const { return m_fItalicAngle; }
  void SetItalicAngle(float v) { m_fItalicAngle = v; }
  float GetFontAscent() const { return m_fAscent; }
  void SetFontAscent(float v) { m_fAscent = v; }
  float GetFontDescent() const { return m_fDescent; }
  void SetFontDescent(float v) { m_fDescent = v; }
  float GetCapHeight() const { return m_fCapHeight; }
  void SetCapHeight(float v) { m_fCapHeight = v; }
  float GetXHeight() const { return m_fXHeight; }
  void SetXHeight(float v) { m_fXHeight = v; }
  float GetMissingWidth() const { return m_fMissingWidth; }
  void SetMissingWidth(float v) { m_fMissingWidth = v; }
  // 0 or 1: the program is held; 2: a CID font without program; other: not embedded.
  int GetEmbedFontFlag() const { return m_nEmbedFlag; }
  void SetEmbedFontFlag(int v) { m_nEmbedFlag = v; }
  Vectorloom::CQorVectorRect<float> GetFontBox() const { return m_rcFontBox; }
  void SetFontBox(const Vectorloom::CQorVectorRect<float>& r) { m_rcFontBox = r; }

  // 30-byte strings; setters keep at most 29 bytes.
  const char* GetFontType() const { return m_szFontType; }
  void SetFontType(const char* s);
  const char* GetFontSubType() const { return m_szFontSubType; }
  void SetFontSubType(const char* s);
  const char* GetFontRegistry() const { return m_szRegistry; }
  void SetFontRegistry(const char* s);
  const char* GetFontOrdering() const { return m_szOrdering; }
  void SetFontOrdering(const char* s);
  int GetSupplement() const { return m_nSupplement; }
  void SetSupplement(int v) { m_nSupplement = v; }

  // The code-name table: base encoding, the count of slots in use (0..256) and the glyph name of
  // each code (at most 31 bytes).
  uint32_t GetBaseEncoding() const { return m_nBaseEncoding; }
  void SetBaseEncoding(uint32_t v) { m_nBaseEncoding = v; }
  const char* GetBaseEncodingName() const { return m_szBaseEncodingName; }
  void SetBaseEncodingName(const char* s);
  int GetCodeNameCount() const { return m_nCodeNameCount; }
  void SetCodeNameCount(int n);  // clamped to 0..256
  const char* GetCodeName(int code) const;  // "" outside 0..255
  void SetCodeName(int code, const char* name);

  // Metric tables, kept as the bytes the PDF engine gives (8-byte horizontal, 10-byte vertical
  // entries). The default entries are kHorzEntrySize / kVertEntrySize bytes.
  const unsigned char* GetHorzDefault() const { return m_HorzDefault; }
  const unsigned char* GetVertDefault() const { return m_VertDefault; }
  int GetHorzCount() const { return static_cast<int>(m_vHorz.size() / kHorzEntrySize); }
  int GetVertCount() const { return static_cast<int>(m_vVert.size() / kVertEntrySize); }
  const unsigned char* GetHorzTable() const { return m_vHorz.data(); }
  const unsigned char* GetVertTable() const { return m_vVert.data(); }
  // A null pointer leaves that part alone for the default; entries null or count < 1 empties the
  // table.
  void SetHorzMetrics(const void* defaultEntry, const void* entries, int count);
  void SetVertMetrics(const void* defaultEntry, const void* entries, int count);

  CEmbedFontMapWrap* GetEncodingMap() const { return m_pEncodingMap.get(); }
  CEmbedFontMapWrap* Get2ttfCMap() const { return m_p2ttfMap.get(); }
  CEmbedFontMapWrap* GetUtfCMap() const { return m_pUtfMap.get(); }
  // Null removes the map; otherwise it is filled from the engine record (false when refused).
  bool SetEncodingMap(const qv_cmap_s* map);
  bool Set2ttfCMap(const qv_cmap_s* map);
  bool SetUtfCMap(const qv_cmap_s* map);
  // Null removes the map; otherwise a deep copy is kept.
  void SetEncodingMap(const CEmbedFontMapWrap* map);
  void Set2ttfCMap(const CEmbedFontMapWrap* map);
  void SetUtfCMap(const CEmbedFontMapWrap* map);

  CPdfEmbedFontDesc* GetEmbedPdfFontContent() const { return m_pProgram.get(); }
  // Null deletes the held block; otherwise the block receives a deep copy.
  void SetEmbedPdfFontContent(const CPdfEmbedFontDesc* desc);
  // Takes ownership of desc (possibly null), deleting a different held block.
  void SetEmbedPdfFontContent2(CPdfEmbedFontDesc* desc);

  // The most steps (one per value offered to the map) RebuildUid2CidMap takes: far above what
  // a real font needs (a few per code), it bounds the time a hostile record costs.
  static constexpr size_t kMaxUid2CidSteps = size_t{1} << 20;
  // The Unicode-to-CID map: from the to-Unicode map and its chain (first code wins; a multi
  // range gives its values to its first code), then from the program's CID-to-Unicode table.
  // Returns the steps taken, at most kMaxUid2CidSteps; the values after them are not taken.
  size_t RebuildUid2CidMap();
  const std::map<uint16_t, int>& GetUid2CidMap() const { return m_mapUid2Cid; }
  // The code of a Unicode value, or -1.
  int LookupCid(unsigned short unicode) const;
  // Characters below this value are never taken as codes: an import gives a code that maps to no
  // Unicode value as a private-use character below it, or as the code itself from here up.
  static constexpr int kCodesAsCharactersFrom = 6400;
  // The glyph id of a typed character in face (the font's FreeType face); 0 when none. A
  // character the maps do not know is taken as a code only from kCodesAsCharactersFrom up (a
  // font found through a CID-to-TrueType map looks it up in the program's cmap).
  int GetGlyphGid(wchar_t ch, FT_FaceRec_* face) const;

  // A ligature glyph of the font: a code whose character is a run of letters (a multi-character
  // value of the to-Unicode map, or a Unicode ligature U+FB00 to U+FB06 in either map), and the
  // letters it stands for. Made by RebuildUid2CidMap from the maps the record stores.
  struct TLigature {
    std::u16string letters;  // two to four letters
    int code;
  };
  const std::vector<TLigature>& GetLigatures() const { return m_vLigatures; }
  // The glyph id of a code through the program's CID-to-glyph table; 0 when it has none.
  int GetCodeGlyphGid(int code) const;

  // The font record; false when the stream cannot take the bytes.
  bool PutBinaryContent(Vectorloom::CVariableStream* out) const;
  // Reads a font record from untrusted bytes (the data is neither kept nor freed). False for a
  // cut or malformed record; the resource is then partly filled and should be discarded.
  bool SetByBinaryContent(const unsigned char* data, unsigned length);

  bool IsEqualEmbedFont(const CEmbedFontResouce& o) const;

 private:
  int32_t m_nFontID = -1;
  uint32_t m_nFontFlags = 0;
  float m_fItalicAngle = 0, m_fAscent = 0, m_fDescent = 0, m_fCapHeight = 0, m_fXHeight = 0, m_fMissingWidth = 0;
  int32_t m_nEmbedFlag = 0;
  Vectorloom::CQorVectorRect<float> m_rcFontBox;
  char m_szFontType[kStringSize];
  char m_szFontSubType[kStringSize];
  char m_szRegistry[kStringSize];
  char m_szOrdering[kStringSize];
  int32_t m_nSupplement = 0;
  uint32_t m_nBaseEncoding = 0;
  char m_szBaseEncodingName[kStringSize];
  int32_t m_nCodeNameCount = 0;
  char m_CodeNames[kCodeNameSlots][kCodeNameSize];
  unsigned char m_HorzDefault[kHorzEntrySize];
  std::vector<unsigned char> m_vHorz;
  unsigned char m_VertDefault[kVertEntrySize];
  std::vector<unsigned char> m_vVert;
  std::unique_ptr<CEmbedFontMapWrap> m_pEncodingMap;
  std::unique_ptr<CEmbedFontMapWrap> m_p2ttfMap;
  std::unique_ptr<CEmbedFontMapWrap> m_pUtfMap;
  std::unique_ptr<CPdfEmbedFontDesc> m_pProgram;
  std::map<uint16_t, int> m_mapUid2Cid;
  std::vector<TLigature> m_vLigatures;
};

// The document's embedded fonts, in ascending id order, ids unique. Owns the resources.
//
// Lock rule: the manager guards its own table, so every member may be called from any thread
// with no other lock held or needed; pages load (and add fonts) under the document's content
// lock while typing and the render workers read under the glyph cache's lock, and both meet
// here. The manager's lock is taken last and never held across a call out, so it orders after
// any other lock. A resource is complete when it is added and is not changed afterwards; the
// pointers Find and GetAt give stay valid until ClearAll or the manager's end, which must not
// run while another thread still uses the manager (the document empties its pages and its
// glyph cache first). A step made of several calls (find, then add; a new id, then add) is one
// step only for callers that serialise it, as page loading does under the content lock.
class CEmbedFontResManager {
 public:
  CEmbedFontResManager() = default;
  ~CEmbedFontResManager();
  CEmbedFontResManager(const CEmbedFontResManager&) = delete;
  CEmbedFontResManager& operator=(const CEmbedFontResManager&) = delete;

  CEmbedFontResouce* FindEmbedFontResource(int id) const;
  // Inserts res at its place and returns its index; -1 (nothing added, the caller keeps res)
  // when its id is already present or res is null.
  int AddEmbedFontResouce(CEmbedFontResouce* res);
  // The first free id after the smallest one (the first gap), else the highest + 1; 0 when empty.
  int CreateNewEmbedFontID() const;
  void ClearAll();

  int GetCount() const;
  // The font at index i of the id order; null outside 0..GetCount() - 1. Indices move when a
  // font is added, so a walk by index sees one table only while no font can be added.
  CEmbedFontResouce* GetAt(int i) const;

 private:
  mutable std::shared_mutex m_lock;
  std::vector<CEmbedFontResouce*> m_vFonts;
};

}  // namespace GlyphweaveLib
