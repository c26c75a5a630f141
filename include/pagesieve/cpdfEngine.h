// cpdfEngine: opens a PDF file, counts its pages and parses one page at a time into records
// (PdfRecords.h) handed to a CPdfParseInterface.
//
// One engine per open file, used by one thread at a time (the owner serialises page loading); two
// engines may work on two threads at once.
//
// What a page gives (the records say how each is laid out):
// - Texts: one record per show operation, split where the text leaves its baseline or jumps more
//   than 3 ems forward or 1 em back. Invisible text (render mode 3, the text layer of scanned
//   pages) and pure clipping text are dropped. Stroked-only text comes as text filled with the
//   stroke colour. Colours are converted to RGB.
// - Fonts: a record for every font that a text uses, embedded or not (a font that is not embedded
//   carries only its face name and metrics). Text in Type 3 fonts comes as an image (below).
// - Paths: fills and strokes, colours converted to RGB. A path filled with a pattern or a shading
//   is drawn into an image instead.
// - Images: JPEG images in grey or RGB come as their original bytes; every other image is decoded
//   to raw RGB (with alpha when it has a mask). Images (or masks) of more than 64 megapixels are
//   left out. An image is decoded once per document, however often it is drawn.
// - Rasterised content: shadings (sh and shading patterns), tiling-pattern fills, stencil masks and
//   Type 3 text are drawn at 144 dots per inch (fewer for large areas) inside the clips in force
//   and delivered as raw images with alpha. Type 3 text whose glyph boxes would need more than
//   4 megapixels a glyph (or 64 for the whole text) is left out.
// - Clipping cannot be carried by the records: other objects come unclipped.
// - Content of annotations with appearance streams is included, as MuPDF draws the page.
#pragma once

#include <memory>
#include <vector>

#include "PdfParseInterface.h"
#include "PdfSavingInterface.h"

class cpdfEngine {
 public:
  // Opens the file at `path` (null: no file; the engine then has no pages). The flag is kept for
  // the callers' sake and has no effect. A file that cannot be opened leaves an engine with 0 pages.
  cpdfEngine(const wchar_t* path, bool flag);
  ~cpdfEngine();
  cpdfEngine(const cpdfEngine&) = delete;
  cpdfEngine& operator=(const cpdfEngine&) = delete;

  // The page count; 0 when no document is open.
  int Get_Pages_Counts();
  // Why the file could not be opened, in MuPDF's words ("cannot find startxref", "document is
  // protected by a password"); empty when it was opened or no path was given.
  const char* Open_Error() const;

  // Parses page `oneBased` (1 = first page) and calls `parser` back. False when the number is out
  // of range, the parser is null, or the page could not be parsed (damaged data); the parser may
  // then have received part of the page.
  bool parse_pdf_page(int oneBased, CPdfParseInterface* parser);
  // What the last parse_pdf_page left out (images over the size cap, the rest of a page that had
  // more than a page may cost: 50,000 objects or 320 MB of paths and pixels); empty when nothing.
  // A page cut short so still parses: it keeps what came before.
  std::vector<PdfPageOmission> last_page_omissions() const;

  // Writes a new PDF file at `path`, pulling its pages from `source`: the page count once, then
  // each page record in order (the engine frees each record), reporting (i + 1) / count after page
  // i. The file is replaced only when the whole document was written; false when a record is
  // null, the source or path is missing, or anything cannot be written.
  bool saving_pdf(const wchar_t* path, CPdfSavingInterface* source);

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};
