// The page content source over a document file (.lfw), and the folder that video clips are
// unpacked into.
//
// CCacheLfwPageContent reads only the file header, the four section headers and their indexes
// when it is made; a page is read when the document first needs it, together with the pictures,
// embedded fonts and video clips it uses. A file that is not a document file, or whose headers or
// indexes are damaged in any way, gives a source of 0 pages (GetOpenError tells why); a page
// whose block or objects are damaged fails to load on its own, leaving the page empty.
//
// Video clips that cannot be played in place are unpacked into "Leafwright Videos" in the user's
// documents folder, each into a new folder of its own, so clips of the same name never overwrite
// each other. Every new source empties that folder, except for clips that a document of this
// process still uses: page loads record the clips they unpack for their document, and the
// document gives them up with ReleaseInUseVideoClips when its contents are deleted or it closes. Other running instances of
// the program are not known here and share the folder.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include <mfc/afx.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoStore.h>
#include <quirebook/ZipSections.h>
#include <vectorloom/BitmapRes.h>

#include "LfwSections.h"

namespace GlyphweaveLib {
class CEmbedFontResouce;
}

// The resource module object loaders receive when reading document files: it names no module
// and no folder.
class CLocalResModule : public Vectorloom::CResourceModule {
 public:
  CString GetModuleName() const override { return CString(); }
  CString GetResourceFolder() const override { return CString(); }
};

// What a page holds, in the form that tells whether it changed: its size, unit, flags and the
// records of its objects in screen pixels, hashed.
struct LfwPageFingerprint {
  uint64_t length = 0;
  uint64_t hash1 = 0;
  uint64_t hash2 = 0;
  bool operator==(const LfwPageFingerprint&) const = default;
};
LfwPageFingerprint MakeLfwPageFingerprint(const CDrawingPage& page);

// "Page" reader: one page block into a target page.
class CZipRomExtractPageContent : public CZipRomExtractInterface {
 public:
  // A page's records never come near these: a block that declares more bytes is refused before
  // it is unpacked, and a page with more objects (groups' children included) is not read.
  static constexpr uint32_t kMaxPageBlockLength = 64u << 20;
  static constexpr size_t kMaxPageObjects = 100000;
  // A page's width and height lie between 1 point and 200 inches.
  static constexpr double kMinPagePoints = 1.0;
  static constexpr double kMaxPagePoints = 200.0 * 72.0;

  CZipRomExtractPageContent() : CZipRomExtractInterface("Page", kLfwPageEntrySize - Quirebook::kBlockEntryHeadSize) {
    SetMaxRawLength(kMaxPageBlockLength);
  }
  // Whether a page of this width and height (in `unit`) is one the program can show.
  static bool IsPossiblePageSize(float width, float height, uint32_t unit);

  // The page and the picture list (one resource per distinct picture of the block) filled by
  // the next ReadBlock.
  void SetTarget(CDrawingPage* page, Vectorloom::CBitmapResObjsList* bitmaps) {
    m_pPage = page;
    m_pBitmaps = bitmaps;
  }
  // Reads the block into the target page: size, unit, flags and the objects, lengths converted
  // from the page's unit to screen pixels. The page is changed only when the whole block was
  // read; false for a short record, a unit outside 0..4, a size IsPossiblePageSize refuses, an
  // unknown object code, a failed object or more than kMaxPageObjects objects.
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;
  // The fingerprint of what the last successful ExtractBlockContent put on the page.
  const LfwPageFingerprint& GetLastFingerprint() const { return m_lastFingerprint; }

 private:
  LfwPageFingerprint m_lastFingerprint;
  CDrawingPage* m_pPage = nullptr;
  Vectorloom::CBitmapResObjsList* m_pBitmaps = nullptr;
  CLocalResModule m_module;
};

// "Dibs" reader: one PNG block into a target picture resource.
class CZipRomExtractBitmapResObj : public CZipRomExtractInterface {
 public:
  CZipRomExtractBitmapResObj() : CZipRomExtractInterface("Dibs", kLfwDibsEntrySize - Quirebook::kBlockEntryHeadSize) {}

  void SetTarget(Vectorloom::CBitmapResObj* res) { m_pTarget = res; }
  // The first entry with this path (compared exactly, or recorded as its reference), size and
  // time; -1 when none.
  int FindEntry(const CString& path, uint32_t size, int64_t time) const;
  // Decodes the PNG image into the target; false when it is not a picture.
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;
  // After a picture that did not decode: the size it declares when the decoder refused it as
  // too large (else 0 x 0).
  uint32_t GetRefusedWidth() const { return m_nRefusedWidth; }
  uint32_t GetRefusedHeight() const { return m_nRefusedHeight; }

 private:
  Vectorloom::CBitmapResObj* m_pTarget = nullptr;
  uint32_t m_nRefusedWidth = 0, m_nRefusedHeight = 0;
};

// "Font" reader: one embedded-font record into a target font, which then takes the entry's id.
class CZipRomExtractEmbedFont : public CZipRomExtractInterface {
 public:
  CZipRomExtractEmbedFont() : CZipRomExtractInterface("Font", kLfwFontEntrySize - Quirebook::kBlockEntryHeadSize) {}

  void SetTarget(GlyphweaveLib::CEmbedFontResouce* font) { m_pTarget = font; }
  // The first entry with this font id; -1 when none.
  int FindEntry(int fontId) const;
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;

 private:
  GlyphweaveLib::CEmbedFontResouce* m_pTarget = nullptr;
};

class CCacheLfwPageContent : public IPageContentSource {
 public:
  // Opens the file for reading (others may read it, not write it) and reads its headers and
  // indexes; then empties the video folder of clips no open document uses.
  explicit CCacheLfwPageContent(const wchar_t* path);
  // The same over a file that is already open (taken over; a memory file for one).
  explicit CCacheLfwPageContent(std::unique_ptr<CFile> file);
  ~CCacheLfwPageContent() override;

  // Reads page `number` (1-based) into `page`, then resolves its pictures (one already loaded in
  // the document is shared, else the stored image is decoded), its embedded fonts (added to the
  // document's fonts; a font whose id the document holds with other content gets a fresh id and
  // the page's texts follow it), builds the glyphs of its texts (inside groups too) and places its
  // video clips. False, with the page left empty, when the page cannot be read; a picture, font
  // or clip that cannot be read does not fail the page.
  bool LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) override;
  // The number of pages; 0 for a file that could not be opened as a document file.
  int GetPagesCount() override;

  // The stored bytes of page `number` (1-based) when `page` holds exactly what was read from that
  // block: nothing was edited, no font was renamed and no clip moved since. A save then writes the
  // page back unchanged instead of converting its lengths again, so an untouched page keeps its
  // stored values to the bit.
  bool GetUnchangedPageBlock(int number, const CDrawingPage& page, std::vector<uint8_t>& block);

  // The stored sections, for copying blocks into another file unchanged. Callers hold the
  // document's content lock, as for page loads. Indexes count from 0; the picture and font
  // entries' writer parts are as stored ("Dibs": id, size, time, path field; "Font": the id).
  enum class Section { Pages, Pictures, Fonts };
  unsigned GetStoredCount(Section section) const;
  const uint32_t* GetStoredEntryTail(Section section, unsigned index) const;
  // The packed bytes of a block as stored (not unpacked) and its raw length.
  bool ReadStoredBlock(Section section, unsigned index, std::vector<uint8_t>& packed, uint32_t& rawLength);
  // The unpacked record of a stored font.
  bool ReadStoredFontRecord(unsigned index, std::vector<uint8_t>& record);
  unsigned GetStoredClipCount() const { return m_bOpened ? m_videos.GetCount() : 0u; }

  const CString& GetFirstVersion() const { return m_strVersion1; }
  const CString& GetSecondVersion() const { return m_strVersion2; }
  // Why the file could not be opened (empty when it was).
  const CString& GetOpenError() const { return m_strOpenError; }
  // The folder clips are unpacked into (empty when it could not be made).
  const std::wstring& GetVideoFolder() const { return m_strVideoFolder; }

 private:
  bool ReadHeaders();
  CZipRomExtractInterface* StoredReader(Section section);
  const CZipRomExtractInterface* StoredReader(Section section) const;
  void ResolvePictures(CDrawingPage* page, int number, CPublicationDoc* doc, Vectorloom::CBitmapResObjsList& pageBitmaps);
  // True when a font of the page was given another id.
  bool ResolveFonts(CDrawingPage* page, int number, CPublicationDoc* doc);
  // True when a clip was re-pointed to an unpacked copy.
  bool PlaceVideos(CDrawingPage* page, CPublicationDoc* doc);

  std::unique_ptr<CFile> m_file;
  CString m_strVersion1;
  CString m_strVersion2;
  CString m_strOpenError;
  std::wstring m_strVideoFolder;
  CZipRomExtractPageContent m_pages;
  CZipRomExtractBitmapResObj m_pictures;
  CZipRomExtractEmbedFont m_fonts;
  CDeflateRomExtractVideos m_videos;
  bool m_bOpened = false;
  // Drops the decoded pictures that nothing but this source holds any more.
  void SweepPictureCache();

  // Per block index: the fingerprint of the page as it was after its load.
  std::map<int, LfwPageFingerprint> m_fingerprints;
  // Per "Dibs" entry: the picture last decoded from it (one reference), reused while some page
  // or writer still holds it, so a picture is decoded once however many pages show it.
  std::map<int, Vectorloom::CExternalBmpResObj*> m_pictureCache;
};

// The folder "Leafwright Videos" in the user's documents folder, created when missing; empty when
// it cannot be made.
std::wstring GetLfwVideoFolder();
// Deletes the files of a folder, and the folders that clips were unpacked into (other subfolders
// stay), except clips still in use.
void EmptyLfwVideoFolder(const std::wstring& folder);

// Clips unpacked for a document (owner) that must survive the emptying of the video folder.
void AddInUseVideoClip(const void* owner, const std::wstring& path);
// The document no longer uses the clips recorded for it.
void ReleaseInUseVideoClips(const void* owner);
bool IsVideoClipInUse(const std::wstring& path);
