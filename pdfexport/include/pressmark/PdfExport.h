// PDF export of a publication document: the entry the program calls and the converter that hands
// the PDF engine one page record after another (pagesieve/PdfSavingInterface.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <glyphweave/CharsFontDesc.h>
#include <pagesieve/PdfSavingInterface.h>
#include <vectorloom/TransMatrix.h>

class CQorCommonProgress;
namespace Quirebook {
class CPublicationDoc;
class CDrawingPage;
}  // namespace Quirebook
namespace Vectorloom {
class CRenderBaseObj;
class CBaseShapeObj;
}  // namespace Vectorloom
namespace GlyphweaveLib {
class CEditableTextObj;
class CEmbedFontResouce;
}  // namespace GlyphweaveLib

// Writes the document as a PDF file at `path` (the old file is replaced only by a whole new one).
// True only when the file was written; the progress (null allowed) runs from 0 to 1 over the pages.
bool SaveDocumentAsPdfDocument(Quirebook::CPublicationDoc* doc, const wchar_t* path, CQorCommonProgress* progress);

namespace QorPDFExportingLib {

// The least room on disk the PDF of the document takes, from what the export will write: each
// page's objects and content, each picture once however often it is shown (a JPEG by its own
// bytes, other pixels by how well rows sampled over the picture compress), and the fonts the texts
// use with a share of their programs. Pages not loaded yet count as empty pages (loading them is
// the export's own work).
uint64_t EstimatePdfBytes(Quirebook::CPublicationDoc& doc);

// Points to page pixels: the page objects live in pixels of 1.33 a point, y down.
constexpr float kPagePixelsPerPoint = 1.33f;

// [1.33, 0, 0, -1.33, 0, 1.33 x height]: PDF points (y up) to page pixels.
Vectorloom::CQorTransMatrix PageToPixelMap(float pageHeightPoints);

// The id a new system font takes: the first number after a member of the ascending `ids` that is
// not itself a member; 1 for an empty list.
int NextSystemFontId(const std::vector<int>& ids);

// A subset font's base name: five capitals from `random`, "+", the face (the whole at most 31
// characters).
std::string MakeSubsetFontName(const std::string& face, unsigned (*random)());

// The installed-font index: description -> font file and face index, first file wins.
struct InstalledFontEntry {
  std::wstring description;  // at most 64 characters
  std::string path;
  int faceIndex = 0;
};
// The entry whose description holds `face` at the smallest position (the first in index order on
// ties), or null.
const InstalledFontEntry* FindInstalledFont(const std::vector<InstalledFontEntry>& index, const std::wstring& face);
// Rebuilds the process-wide index from the installed fonts and returns it.
const std::vector<InstalledFontEntry>& RebuildInstalledFontIndex();

class CPdfDocumentConverter : public CPdfSavingInterface {
 public:
  CPdfDocumentConverter(Quirebook::CPublicationDoc* doc, CQorCommonProgress* progress);
  ~CPdfDocumentConverter() override;
  CPdfDocumentConverter(const CPdfDocumentConverter&) = delete;
  CPdfDocumentConverter& operator=(const CPdfDocumentConverter&) = delete;

  int GetPageCount() override;
  // The record of page `index`; null without a document or for an index out of range.
  PdfSavePage* GetPageRecord(int index) override;
  void SetProgress(float done) override;

  // The id of a system font, given once and kept for the rest of the export.
  int GetSystemFontId(const GlyphweaveLib::_CharsFontDesc& font);
  // Frees a page record as the engine does (for callers that do not hand it on).
  static void FreePageRecord(PdfSavePage* page);

 private:
  struct PageBuild;
  void AddObject(PageBuild& build, Vectorloom::CRenderBaseObj* obj, const Vectorloom::CQorTransMatrix& toPdf);
  void AddShape(PageBuild& build, Vectorloom::CBaseShapeObj* shape, const Vectorloom::CQorTransMatrix& toPdf);
  // The ends of the shape's stroke that are shapes of their own, filled in the stroke's colour.
  void AddCapShapes(PageBuild& build, const Vectorloom::CBaseShapeObj& shape, const Vectorloom::CQorTransMatrix& matrix);
  void AddText(PageBuild& build, GlyphweaveLib::CEditableTextObj* text, const Vectorloom::CQorTransMatrix& objMatrix,
               const Vectorloom::CQorTransMatrix& toPdf);
  void AddFonts(PageBuild& build, const std::vector<GlyphweaveLib::_CharsFontDesc>& fonts,
                const std::map<GlyphweaveLib::_CharsFontDesc, std::vector<char16_t>>& used);
  bool MakeSystemFontRecord(const GlyphweaveLib::_CharsFontDesc& font, const std::vector<char16_t>& pageChars,
                            PdfFontRecord* record);
  // Whether the editor draws a font from an installed face (a system font, or a font of an
  // imported PDF that came without its program): its export then embeds that face.
  bool DrawnFromSystem(const GlyphweaveLib::_CharsFontDesc& font) const;

  Quirebook::CPublicationDoc* m_pDoc;
  CQorCommonProgress* m_pProgress;
  std::vector<int> m_arrFontIds;  // ascending: the document's embedded fonts and the system fonts given ids
  std::map<GlyphweaveLib::_CharsFontDesc, int> m_mapSystemFontIds;
  std::set<int> m_setRecordedIds;  // system font ids whose first record was handed to the engine
  std::map<int, PdfFontRecord> m_mapSystemRecords;  // that first record, copied for later pages
};

// Fills a font record from an embedded font of the document (the glyph names point into `font`).
void CopyEmbeddedFontRecord(const GlyphweaveLib::CEmbedFontResouce& font, PdfFontRecord* record);

}  // namespace QorPDFExportingLib
