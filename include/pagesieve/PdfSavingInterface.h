// What the PDF engine pulls from its caller when it writes a PDF (cpdfEngine::saving_pdf): one page
// record after another, each with the fonts its text uses and its elements in painting order.
//
// Ownership: every record and every block its pointers reach is allocated with malloc and belongs
// to the engine once handed over; the engine releases them with free. The one exception are the
// glyph-name pointers of a font record, which point into the caller's fonts and are never freed.
//
// Coordinates are PDF user space: points, y up. Matrices are six floats (a, b, c, d, e, f) acting
// on row vectors, as in PdfRecords.h. Colours and alphas are 0..1.
#pragma once

#include <stdint.h>

#include "PdfRecords.h"

// Element kinds (PdfSaveEntry.kind).
enum PdfSaveElementKind : int32_t {
  kPdfSaveText = 1,
  kPdfSavePath = 2,
  kPdfSaveImage = 4,
};

// A stroke's style. A zero-filled tail (line_cap on) is the plain stroke: butt caps, miter joins,
// no dashes.
struct PdfSaveLineStyle {
  int32_t kind;        // 1
  int32_t reserved0;
  int32_t cap;         // 1
  int32_t join;        // 1
  float width;         // line width in the element's space
  float miter_limit;   // 10.0 unless the stroke says otherwise; below 1 or not finite: 10
  float dash_phase;    // where the dashes start, in the element's space like the lengths
  int32_t dash_count;  // 0 (solid) to kPdfSaveMaxDashes
  // The caps of the line's ends and of every dash (0 butt, 1 round, 2 square) and the join of its
  // corners (0 miter, 1 round, 2 bevel), as PDF numbers them; other values are taken as 0.
  uint8_t line_cap;
  uint8_t line_join;
  uint8_t reserved[2];
  // Dash lengths in the element's space, on and off in turn (an odd list repeats as PDF repeats
  // it); a list with a length below 0 or not finite, or none above 0, strokes solid.
  float dashes[31];
};
constexpr int kPdfSaveMaxDashes = 31;

// A filled and/or stroked path. Segments use the operators of PdfPathOp: 0 move, 1 line, 2 curve,
// 3 curve whose first control is the current point, 4 curve whose second control is the end,
// 6 rectangle given by two corners (x1, y1), (x2, y2), 8 end of the path.
struct PdfSavePath {
  float matrix[6];
  int32_t reserved0;
  uint8_t fill_on;
  uint8_t stroke_on;
  uint8_t even_odd;    // fill rule: 1 even-odd, 0 non-zero winding
  int32_t fill_kind;   // 1
  uint8_t reserved1[52];
  float fill_rgba[4];
  int32_t reserved2;
  int32_t stroke_kind; // 1
  uint8_t reserved3[52];
  float stroke_rgba[4];
  PdfSaveLineStyle* line_style;  // when stroked; null: width 1
  int32_t segment_count;
  PdfPathSegment* segments;
};

// An image: `data` holds an image file (PNG, or a JPEG that goes into the PDF as it is). `matrix`
// maps the unit square (y up) onto the image.
struct PdfSaveImage {
  int32_t kind;         // 1
  float matrix[6];
  int32_t width, height;
  int32_t format;       // 1 indexed, 4 other
  int32_t reserved0;    // 1
  float alpha;
  int32_t dpi_x, dpi_y;
  int32_t data_length;
  uint8_t* data;
  uint8_t reserved1;
  uint8_t has_alpha;    // 1: the image's alpha channel becomes a soft mask
  uint8_t reserved2[78];
};

// A run of one font, size and look. Codes are UTF-16 units; adjustments are thousandths of an em,
// TJ style (negative moves right), 0 for the first character of a line. A character's `advance`,
// when above 0, is how far the caller's layout moved on after it (thousandths of an em, spacing and
// width ratio included), which the next adjustment counts with: a character the engine draws with
// its default font, whose glyph is wider or narrower, then moves the next one by the difference.
struct PdfSaveTextRun {
  int32_t font_id;        // a font record of this or an earlier page
  float font_size;        // points
  float char_spacing;     // pixels: divided by 1.33 for points
  // Bold drawn by thickening: how much wider and higher each glyph's outline grows, in thousandths
  // of an em (0: none). The glyphs are then also stroked that wide, in the fill colour, or
  // as much wider in the stroke colour when the run is stroked.
  float embolden;
  float horizontal_scale; // 1.0 normal
  float reserved1;
  float baseline_shift;   // pixels on the page, y down: written as Ts -shift / 1.33
  uint8_t fill_on;
  uint8_t stroke_on;
  int32_t fill_kind;      // 1
  float fill_rgba[4];
  int32_t stroke_kind;    // 1
  float stroke_rgba[4];
  int32_t char_count;
  PdfRunChar* chars;
};

// A line of text: `matrix` maps the line's text space (origin on the baseline) to user space.
struct PdfSaveTextBlock {
  float matrix[6];
  int32_t run_count;
  PdfSaveTextRun** runs;
};

struct PdfSaveEntry {
  int32_t kind;   // PdfSaveElementKind
  void* element;  // PdfSaveTextBlock, PdfSavePath or PdfSaveImage
};

struct PdfSaveContent {
  int32_t reserved0;
  int32_t element_count;
  int32_t reserved1[3];
  PdfSaveEntry** elements;  // element_count pointers
};

struct PdfSaveResources {
  int32_t font_count;
  // font_count records in one block. A font id met again on a later page keeps the first record.
  // The engine frees the block, and of each record: its metrics, CMaps and program (with the
  // program's bytes and tables); never its glyph names.
  PdfFontRecord* fonts;
  PdfSaveContent* content;
};

struct PdfSavePage {
  float head[4];            // 1, 0, 1, 1: not used by the engine
  int32_t reserved0[4];
  float width, height;      // MediaBox [0 0 width height]
  int32_t reserved1[3];
  PdfSaveResources* resources;
};

// The caller's side of a save.
class CPdfSavingInterface {
 public:
  virtual ~CPdfSavingInterface() = default;
  virtual int GetPageCount() = 0;
  // The record of page `index` (from 0), or null when there is no document (the save fails).
  virtual PdfSavePage* GetPageRecord(int index) = 0;
  virtual void SetProgress(float done) = 0;
};

struct FT_FaceRec_;
// Subsets the face to the given UTF-16 characters and fills the record's font program (program
// bytes, CID-to-glyph and CID-to-Unicode tables indexed by the character), its widths (one entry a
// character, thousandths of an em) and its descriptor values. The base name is left to the caller.
// Returns 0 on success, -1 when nothing could be made (the record's program stays null).
int qv_Extra_font(FT_FaceRec_* face, const char16_t* chars, int count, PdfFontRecord* record);
