// The object, picture and font parts of the program's clipboard stream.
//
// Copy writes an "Objs" section (CZipSavingClipedObjects) beside a "Dibs" section of the objects'
// pictures (CZipSavingBitmapResObjs, LfwSections.h) and a "Font" section of their embedded fonts
// (CZipSavingEmbedFont). Paste reads each section in one pass with the readers below
// (ReadBlocks), checks HasFailed() of the object reader, and then finishes them all with
// FinishClipboardExtracting, which moves the fonts into the document before any glyph is built.
//
// "Objs" holds exactly one block: u32 object count, then each object's typed record (shapes,
// texts and groups; a group carries its whole child list, videos inside it included). Lengths stay
// in screen pixels. Its index entry is the 12-byte head alone.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include <quirebook/ZipSections.h>

#include "FinishLoadedObjects.h"

// "Objs" writer: the shapes, texts and groups of a list (top-level videos and other kinds are
// left out and not counted).
class CZipSavingClipedObjects : public CZipSavingInterface {
 public:
  explicit CZipSavingClipedObjects(const Vectorloom::CRenderBaseObjectList& objects);

  unsigned GetBlocksCount() const override { return 1; }
  // u32 1, then three zero words.
  bool SavingIndexs(CFile* file) const override;
  // Block 0 only (null for any other index or an object that cannot be written).
  unsigned char* MakeBlockContent(int index, unsigned long& rawLength, const CString& s1, const CString& s2) override;

 private:
  const Vectorloom::CRenderBaseObjectList& m_objects;
};

// "Objs" reader: makes the objects through the program's factory and appends them to the target
// list (one reference each), named "Copy Of " + their name, cut to 48 characters. Any fault -- a
// short or overlong block, an object code other than 0, 2 or 3, a failed object -- removes every
// object from the target list and fails the paste (HasFailed).
class CZipExtractClipedObjects : public CZipExtractorInterface {
 public:
  static constexpr int kMaxPastedNameLength = 48;

  CZipExtractClipedObjects(CPublicationDoc* doc, Vectorloom::CRenderBaseObjectList& target);

  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;
  // Paths, glyphs and layout of texts at every depth (with the document's fonts as they are now),
  // effects.
  void FinishExtracting() override;

  bool HasFailed() const { return m_bFailed; }
  // "Copy Of " + name, cut to 48 characters.
  static CString MakePastedName(const CString& name);

 private:
  CPublicationDoc* m_pDoc;
  Vectorloom::CRenderBaseObjectList& m_target;
  Vectorloom::CBitmapResObjsList m_loadedBitmaps;
  bool m_bFailed = false;
};

// "Dibs" reader: each entry's picture is shared from a resource the document already shows (same
// path, size and time), or else decoded from its PNG block. Pictures whose block is damaged or
// cannot be decoded are skipped (counted in GetSkippedCount); the pictures after them are read.
class CZipExtractBitmapResObjs : public CZipExtractorInterface {
 public:
  CZipExtractBitmapResObjs(CPublicationDoc* doc, Vectorloom::CRenderBaseObjectList& target);

  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;
  // Gives the target objects (at every depth) the decoded pictures and the shared resources.
  void FinishExtracting() override;

  const Vectorloom::CBitmapResObjsList& GetDecoded() const { return m_decoded; }
  const Vectorloom::CBitmapResObjsList& GetShared() const { return m_shared; }
  int GetSkippedCount() const { return m_nSkipped; }

 protected:
  void SkipDamagedBlock(const unsigned*) override { ++m_nSkipped; }

 private:
  CPublicationDoc* m_pDoc;
  Vectorloom::CRenderBaseObjectList& m_target;
  Vectorloom::CBitmapResObjsList m_decoded;  // new pictures
  Vectorloom::CBitmapResObjsList m_shared;   // the document's own resources
  int m_nSkipped = 0;
};

// "Font" reader: keeps the fonts read, then moves them into the document (MergeEmbedFonts): a font
// the document lacks keeps its id, an equal one is dropped, a different one under a taken id gets
// a fresh id, and the texts of the target list at every depth follow through one old -> new map.
class CZipExtractorEmbedFont : public CZipExtractorInterface {
 public:
  CZipExtractorEmbedFont(CPublicationDoc* doc, Vectorloom::CRenderBaseObjectList& target);

  // False for a record that cannot be read or an id read twice (the font is skipped).
  bool ExtractBlockContent(const unsigned* tail, const unsigned char* data, unsigned length, const CString& s1,
                           const CString& s2) override;
  // Moves the fonts and renames ids in the target's texts; returns the map used.
  std::map<int, int> MoveFontsIntoDocument();
  // MoveFontsIntoDocument, then builds again the glyphs of target texts that use a pasted font,
  // for callers that finished the objects first.
  void FinishExtracting() override;

  int GetFontCount() const { return static_cast<int>(m_fonts.size()); }
  const std::map<int, int>& GetRemap() const { return m_remap; }

 private:
  CPublicationDoc* m_pDoc;
  Vectorloom::CRenderBaseObjectList& m_target;
  std::vector<std::unique_ptr<GlyphweaveLib::CEmbedFontResouce>> m_fonts;
  std::vector<int> m_pastedIds;  // ids of the fonts moved in, after renaming
  std::map<int, int> m_remap;
};

// Finishes a paste in the order that keeps glyphs right: fonts first, then pictures, then the
// objects (paths, glyphs, layout, effects). Any reader may be null. Nothing is done when the
// object reader failed, so a failed paste leaves the document's fonts and pictures alone.
void FinishClipboardExtracting(CZipExtractorEmbedFont* fonts, CZipExtractBitmapResObjs* pictures,
                               CZipExtractClipedObjects* objects);
