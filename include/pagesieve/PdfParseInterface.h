// The callbacks through which the PDF engine hands a page's content to a parser.
//
// cpdfEngine::parse_pdf_page calls them synchronously on the caller's thread, in document order:
// OnPageBegin once, then the objects of the page in painting order, each font before the first
// text that uses it. Each record belongs to the engine and lives only during its call. An
// implementation must not throw out of a callback.
#pragma once

#include "PdfRecords.h"

class CPdfParseInterface {
 public:
  virtual ~CPdfParseInterface() = default;
  virtual void OnPageBegin(const PdfPageRecord* page) { (void)page; }
  virtual void OnTextObject(const PdfTextRecord* text) { (void)text; }
  virtual void OnImageObject(const PdfImageRecord* image) { (void)image; }
  virtual void OnReserved(const void* record) { (void)record; }
  virtual void OnFontResource(const PdfFontRecord* font) { (void)font; }
  virtual void OnPathObject(const PdfPathRecord* path) { (void)path; }
};
