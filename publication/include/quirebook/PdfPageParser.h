// PDF import: the page content source over an opened PDF file (CCachePdfPageContent) and the page
// parser (CPDFPageParserImpl) that turns the PDF engine's records into page objects.
//
// Placement: objects get own matrix x P x S x T, where P = page matrix x inverse of the y flip
// F = (1, 0, 0, -1, 0, y1 - y0), S = (1.33, 0, 0, -1.33, 0, 0) and T moves down by the page height
// x 1.33. Object coordinates are thus PDF points x 1.33 from the page's top-left corner, y down,
// while the page's logical size stays in points (unit 4).
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>

#include <pagesieve/PdfParseInterface.h>
#include <pagesieve/cpdfEngine.h>
#include <vectorloom/TransMatrix.h>

#include "quirebook/PublicationDoc.h"

namespace Quirebook {

// The exact scale from PDF points to page units.
constexpr float kPdfImportScale = 1.33f;
// The character scale of imported characters. The text engine outlines a glyph of size s at s x
// 96/72 of a text's units, while shifts and the text's placement count s in points: at 72/96 a
// glyph is as large as the PDF draws it and every glyph lands where the PDF puts it. (Documents
// imported before kept 1/1.33, drawing glyphs 0.25 % larger than placed; they keep what they hold.)
constexpr float kPdfImportGlyphScale = 0.75f;
// The path name every imported picture starts with.
constexpr const wchar_t* kPdfImageResourcePrefix = L"PDF_Parse_Implement";
// The file time of every imported picture: none, so that pictures are known by name (a hash of
// their content) and size alone, and importing the same file twice gives the same bytes.
constexpr int64_t kPdfImageResourceTime = 0;

// A colour of three components in 0..1 as a Windows RGB value (red in the low byte): each
// component x 255 + 0.5, truncated and clamped to 0..255 (NaN gives 0).
COLORREF PdfColorToRgb(const float rgb[3]);

// The picture path name of an imported image: the prefix, then a hash of the image's kind, size,
// depth and bytes, so that different images never share a name while equal ones may.
std::wstring MakePdfImageResourceName(const PdfImageRecord& image);

// The document's font id of each font id of one PDF file (the font's object number there), for
// the fonts that file has given a document so far.
using PdfFontIdMap = std::unordered_map<int, int>;

class CPDFPageParserImpl : public CPdfParseInterface {
 public:
  // With `fontIds`, the file's fonts are the document's under ids of their own: a font comes in
  // once per file, under its object number when no other font of the document holds that id and
  // under a new id otherwise, and the file's texts refer to it by that id. Without, a font whose
  // id the document already holds is taken to be that font.
  CPDFPageParserImpl(CPublicationDoc* doc, CDrawingPage* page, PdfFontIdMap* fontIds = nullptr)
      : m_pDoc(doc), m_pPage(page), m_pFontIds(fontIds) {}

  // Pictures made so far, by the engine's image id: an image drawn again shares its picture. The
  // map (not owned) holds one reference to each.
  using ImageCache = std::unordered_map<int32_t, Vectorloom::CExternalBmpResObj*>;
  void SetImageCache(ImageCache* cache) { m_pImages = cache; }

  void OnPageBegin(const PdfPageRecord* page) override;
  void OnTextObject(const PdfTextRecord* text) override;
  void OnImageObject(const PdfImageRecord* image) override;
  void OnReserved(const void*) override {}
  void OnFontResource(const PdfFontRecord* font) override;
  void OnPathObject(const PdfPathRecord* path) override;

  const Vectorloom::CQorTransMatrix& GetPageMatrix() const { return m_matPage; }
  // own x P x S x T for the current page.
  Vectorloom::CQorTransMatrix PlaceMatrix(const Vectorloom::CQorTransMatrix& own) const;

 private:
  void PlaceObject(Vectorloom::CRenderBaseObj* obj, const Vectorloom::CQorTransMatrix& own);
  // Whether the system has `face` in the style (asked once per font of the page).
  bool HasSystemStyle(int fontId, const std::wstring& face, bool bold, bool italic);
  // The document's id of the file's font, or -1 when the file has not given it.
  int DocumentFontId(int fileFontId) const;

  CPublicationDoc* m_pDoc;
  CDrawingPage* m_pPage;
  PdfFontIdMap* m_pFontIds;
  Vectorloom::CQorTransMatrix m_matPage;
  std::unordered_map<int, bool> m_systemStyles;
  ImageCache* m_pImages = nullptr;
};

// A PDF file opened as a source of pages; the engine stays open for the source's whole life.
class CCachePdfPageContent : public IPageContentSource {
 public:
  explicit CCachePdfPageContent(const wchar_t* path) : m_engine(path, false) {}
  ~CCachePdfPageContent() override;

  // Parses page `number` (1-based) onto `page`; on success prepares its texts for merging. What
  // the page left out (images over the cap, a page simplified) goes to the document's list of
  // dropped items.
  bool LoadPageContent(CDrawingPage* page, int number, CPublicationDoc* doc) override;
  int GetPagesCount() override { return m_engine.Get_Pages_Counts(); }
  // Why the file could not be opened, in the PDF library's words; empty when it was.
  const char* GetOpenError() const { return m_engine.Open_Error(); }

 private:
  cpdfEngine m_engine;
  // The ids this file's fonts have in the document generation they were given to.
  PdfFontIdMap m_fontIds;
  uint64_t m_nFontsGeneration = 0;
  CPDFPageParserImpl::ImageCache m_images;
};

}  // namespace Quirebook

using Quirebook::CCachePdfPageContent;
using Quirebook::CPDFPageParserImpl;
