// The program's document file (.lfw): its fixed header, the record layouts of its "Page" and
// "Dibs" sections, and the section writers for pages and pictures.
//
// File layout (little-endian; format in docs/formats.md, "Program document file"):
//   0  "QLFW"   4  "2000"   8  "2010"
//   12 section header "Page"   24 "Dibs"   36 "Font"   48 "avst"
//   60 the four sections (index, then blocks), in that order.
//
// Page block: f32 width, f32 height, u32 unit (0 inch .. 4 point), u32 page flags, u32 object
// count, then per object its typed record. Lengths inside the records are in the page's unit: the
// writer converts a copy of each object, so the document's own objects are never touched.
//
// Dibs entry (548 bytes): block position, raw length, packed length, u32 picture id, u32 file
// size, i64 file time, the full path as 260 UTF-16 units, zero-filled. A path that does not fit
// (260 units or more) is stored as its reference (quirebook/StoredPath.h), which the readers
// resolve from the path the object records carry.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gdiplus/GdiplusBitmap.h>
#include <quirebook/PublicationDoc.h>
#include <quirebook/VideoStore.h>
#include <quirebook/ZipSections.h>
#include <vectorloom/BitmapRes.h>

class CQorCommonProgress;
class CCacheLfwPageContent;

// The fixed header words.
inline constexpr char kLfwFileTag[5] = "QLFW";
inline constexpr char kLfwVersion1[5] = "2000";
inline constexpr char kLfwVersion2[5] = "2010";
inline constexpr unsigned kLfwHeaderSize = 12;
// Where the four section headers stand and where the sections begin.
inline constexpr unsigned kLfwSectionHeadersPos = 12;
inline constexpr unsigned kLfwSectionsPos = 60;

// Index entry sizes of the four sections.
inline constexpr unsigned kLfwPageEntrySize = 12;
inline constexpr unsigned kLfwDibsEntrySize = 548;
inline constexpr unsigned kLfwFontEntrySize = 16;
inline constexpr unsigned kLfwVideoEntrySize = 1060;

// UTF-16 units of a path field (the last one always zero).
inline constexpr unsigned kLfwPathUnits = 260;
// Bytes of the page block header (width, height, unit, flags, count).
inline constexpr unsigned kLfwPageHeaderSize = 20;

// Writes the 12 header bytes "QLFW" "2000" "2010".
void WriteLfwFileHeader(CFile& file);

// A path as a zero-filled field of 260 UTF-16LE units (520 bytes): the path itself when it fits
// (259 units at most), its reference otherwise.
void EncodeLfwPathField(const CString& path, uint8_t field[kLfwPathUnits * 2]);
// The text of such a field, up to its first zero unit (or all 260 units).
CString DecodeLfwPathField(const uint8_t field[kLfwPathUnits * 2]);

// The CLSID of the PNG encoder (MIME type exactly "image/png"); false when there is none.
bool GetPngEncoderClsid(CLSID* clsid);
// The picture of a resource as a PNG file image; false (and the failing status stored as the
// resource's last status) when it has no picture or cannot be encoded.
bool EncodePictureAsPng(Vectorloom::CBitmapResObj& picture, std::vector<uint8_t>& png);
// A picture from the bytes of an image file in memory (PNG, or any format the decoder reads);
// null when they do not give a picture with pixels. When the decoder made a picture that is
// refused, its status goes to *pRefusedStatus (if given).
Gdiplus::Bitmap* DecodePictureBytes(const unsigned char* data, unsigned length,
                                    std::optional<Gdiplus::Status>* pRefusedStatus = nullptr);
// The width and height an image file in memory declares (PNG, JPEG, GIF, BMP), read from its
// header alone; false when the bytes are none of these or the header is cut short.
bool PeekPictureSize(const unsigned char* data, size_t length, uint32_t* width, uint32_t* height);

// "Page": every page of a document, in page order. Pages that are not loaded are loaded for the
// save and emptied again afterwards, unless they are copied as stored (SetStoredPagesSource).
// Each written page's external pictures are added to the picture list and its video clips to the
// video map, for the "Dibs" and "avst" sections written after it.
class CZipSavingPdfPages : public CZipSavingInterface {
 public:
  CZipSavingPdfPages(CPublicationDoc* doc, Vectorloom::CBitmapResObjsList& bitmaps, CVideoFilePathsMap* videos);

  unsigned GetBlocksCount() const override;
  bool SavingIndexs(CFile* file) const override;
  // Null (the save fails) when the page cannot be loaded from its source, has a unit outside
  // 0..4, or holds an object whose record cannot be written; GetSaveError tells why.
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1, const CString& s2) override;
  // A page that was never loaded from `source` (see SetStoredPagesSource) is copied as its stored
  // block, neither unpacked nor read; its pictures and fonts are then carried from the source's
  // sections by the picture and font writers.
  bool GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) override;

  // The document file whose unloaded pages are copied as stored (null: every page is written
  // from its objects, unloaded ones loaded for the save).
  void SetStoredPagesSource(CCacheLfwPageContent* source) { m_pStoredSource = source; }

  const CString& GetSaveError() const { return m_strError; }

 protected:
  // The document page that block `index` holds.
  virtual CDrawingPage* GetBlockPage(int index) const;
  // Gathers what the later sections need from a page.
  virtual void CollectPageResources(CDrawingPage* page);

  CPublicationDoc* m_pDoc;
  Vectorloom::CBitmapResObjsList& m_bitmaps;
  CVideoFilePathsMap* m_pVideos;
  CCacheLfwPageContent* m_pStoredSource = nullptr;
  CString m_strError;
};

// "Page" for a chosen list of page indexes (extracted pages). It also gathers the embedded-font
// ids the pages' texts use (also inside groups), each once, and the pages' video clips when given
// a video map. An index past the list throws std::out_of_range.
class CZipSavingPdfCustomPages : public CZipSavingPdfPages {
 public:
  CZipSavingPdfCustomPages(CPublicationDoc* doc, Vectorloom::CBitmapResObjsList& bitmaps,
                           const std::vector<int>& pages, std::vector<int>& fontIds,
                           CVideoFilePathsMap* videos = nullptr);

  unsigned GetBlocksCount() const override;

 protected:
  CDrawingPage* GetBlockPage(int index) const override;
  void CollectPageResources(CDrawingPage* page) override;

 private:
  const std::vector<int>& m_pages;
  std::vector<int>& m_fontIds;
};

// "Dibs": the PNG image of every picture of the list that holds one, in list order, then the
// pictures carried from a source file as they are stored there. A picture that cannot be encoded
// or copied fails the save.
class CZipSavingBitmapResObjs : public CZipSavingInterface {
 public:
  explicit CZipSavingBitmapResObjs(const Vectorloom::CBitmapResObjsList& bitmaps);

  // Also writes every picture entry of `source` whose picture (path, size, time) is not in the
  // list, with its entry and block as stored; reads under doc's content lock. Call once the list
  // is complete, before SavingBlocks.
  void CarryStoredPictures(CCacheLfwPageContent* source, CPublicationDoc* doc);

  unsigned GetBlocksCount() const override;
  bool SavingIndexs(CFile* file) const override;
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1, const CString& s2) override;
  bool GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) override;

  const CString& GetSaveError() const { return m_strError; }

 private:
  // The external pictures of the list that hold a picture (the others have nothing to store).
  std::vector<Vectorloom::CExternalBmpResObj*> StoredPictures() const;

  const Vectorloom::CBitmapResObjsList& m_bitmaps;
  CCacheLfwPageContent* m_pSource = nullptr;
  CPublicationDoc* m_pDoc = nullptr;
  std::vector<unsigned> m_carried;  // picture entries of the source
  mutable CString m_strError;
};

// A document file that could not be written; the message is the reason WriteLfwDocument gave.
class CLfwSaveException : public CException {
 public:
  explicit CLfwSaveException(const CString& reason) : m_strReason(reason) {}
  BOOL GetErrorMessage(wchar_t* lpszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const override;
  using CException::GetErrorMessage;
  CString m_strReason;
};

// "Font": every font of the document's manager, and the fonts of a source file whose ids the
// manager does not hold (copied as stored), all in ascending id.
class CZipSavingDocumentFonts : public CBaseZipSavingEmbedFont {
 public:
  CZipSavingDocumentFonts(const GlyphweaveLib::CEmbedFontResManager& manager, CCacheLfwPageContent* source,
                          CPublicationDoc* doc);

  unsigned GetBlocksCount() const override;
  bool SavingIndexs(CFile* file) const override;
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1, const CString& s2) override;
  bool GetPackedBlock(int index, std::vector<uint8_t>& packed, uint32_t& rawLength) override;

 private:
  struct Item {
    int id;
    int managerIndex;     // or -1
    unsigned fontEntry;   // the source's entry when managerIndex is -1
  };
  // The fonts in writing order, made when the section is written.
  const std::vector<Item>& Items() const;

  const GlyphweaveLib::CEmbedFontResManager& m_manager;
  CCacheLfwPageContent* m_pSource;
  CPublicationDoc* m_pDoc;
  mutable std::vector<Item> m_items;
  mutable bool m_bItemsMade = false;
};

// The document file whose never-loaded pages a save of `doc` may copy as stored: the one source
// that every unloaded page with a source is bound to, when it is an opened document file with no
// video clips and each of its fonts is either missing from the document's fonts or stored with the
// same bytes the document would write. Null otherwise (every page is then written from objects).
CCacheLfwPageContent* FindStoredPagesSource(CPublicationDoc* doc);

// Writes a whole document file at the file's current position (normally 0): header, the four
// section headers, then the sections "Page", "Dibs", "Font" and "avst". False when any section
// fails; `error` then tells why and the file must be abandoned. A failing file throws as CFile
// does. The progress object (may be null) runs through the shares 0.6, 0.15, 0.15 and 0.1.
bool WriteLfwDocument(CPublicationDoc* doc, CFile& file, CQorCommonProgress* progress, CString* error);
