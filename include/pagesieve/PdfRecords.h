// Records the PDF engine hands to a page parser (CPdfParseInterface) while it parses a page, and
// the font record shared by the reading and the writing side of the engine.
//
// Ownership: every record, and everything its pointers reach, belongs to the engine and is valid
// only during the callback that receives it; a parser copies what it keeps.
//
// Coordinate spaces
// - Record space is the PDF's default user space: points, y up, before the page's /Rotate and
//   before the crop box offset. Every matrix below maps an object's own space into record space.
// - Matrices are six floats (m11, m12, m21, m22, dx, dy) acting on row vectors:
//   x' = x*m11 + y*m21 + dx, y' = x*m12 + y*m22 + dy.
#pragma once

#include <stdint.h>

#include "qv_cmap.h"

// Page start. `matrix` maps record space to the displayed page, y down, origin at the top-left of
// the displayed box, the page rotation folded in: [1 0 0 -1 -x0 y1] for an unrotated page with the
// crop box (x0, y0, x1, y1). `box` is the displayed box: x0, y0 are the crop box's lower-left
// corner, x1 - x0 and y1 - y0 the displayed width and height (swapped for pages turned by 90 or
// 270 degrees). So with F = (1, 0, 0, -1, 0, y1 - y0), matrix x inverse(F) maps record space to
// y-up points relative to the displayed box.
struct PdfPageRecord {
  float matrix[6];
  float box[4];  // x0, y0, x1, y1
};

// One character of a run.
struct PdfRunChar {
  // Shift before this character, in thousandths of the run's font size, TJ style: a positive value
  // moves the character left (against the writing direction), a negative one right. It is measured
  // against the previous character's advance (width x size x horizontal scale), so character and
  // word spacing and every other positioning of the show operation are folded in here.
  float adjustment;
  // The low 16 bits are a UTF-16 unit: Unicode when the font tells it (ToUnicode, encoding, glyph
  // names); else the character's CID, which the font record's maps turn back into a glyph. A
  // character outside the basic plane comes as two entries (a surrogate pair, the second with
  // adjustment 0). Bit kPdfCharWordSpace marks a word space the PDF leaves as a gap between two
  // glyphs (it draws no glyph there): the character is a space (32), and the next character's
  // adjustment spans the whole gap as if this space had no width, so a parser that lays the space
  // out with a width takes that width off the next character's shift.
  int32_t character;
  // When the run's advances_given is 1: the width the adjustments count this character with, in
  // thousandths of the run's font size, the horizontal scale not applied (0 for a word space over
  // a gap). A parser that lays the character out with another width (another face, hinting, a
  // glyph it lacks) adds the difference to the next character's shift, so that every glyph
  // stays where the PDF puts it.
  float advance;
};

constexpr int32_t kPdfCharWordSpace = 0x10000;

// A run: characters of one font, size, horizontal scale and fill colour.
struct PdfTextRun {
  int32_t font_id;          // a PdfFontRecord delivered earlier on this page
  float font_size;          // points in record space
  float char_spacing;       // always 0: folded into the adjustments
  float horizontal_scale;   // 1.0 normal
  float rise;               // always 0: folded into the text matrix
  uint8_t fill_given;       // 1: fill_rgb holds the colour
  float fill_rgb[3];        // 0..1
  int32_t char_count;
  const PdfRunChar* chars;  // char_count entries
  uint8_t advances_given;   // 1: every character's advance is given
};

// A text object: one show operation, or the part of one that stays on one baseline.
// `matrix` is text-to-record space at the first character: its rows are unit vectors (font size
// and horizontal scale travel in the runs), dx, dy is the origin of the first character on its
// baseline. The first character's adjustment is 0.
struct PdfTextRecord {
  float matrix[6];
  int32_t run_count;
  const PdfTextRun* const* runs;  // run_count pointers
};

enum PdfImageKind : int32_t {
  kPdfImageEncoded = 1,  // data holds an image file (JPEG)
  kPdfImageRaw = 2,      // data holds pixels
};

// An image. `matrix` maps the unit square onto the image in record space, with (0, 0) the top-left
// corner of row 0 and v growing down the rows: [1 0 0 -1 0 1] x the image's CTM.
// Raw pixels: bytes_per_pixel is 3 (B, G, R) or 4 (B, G, R, A, not premultiplied); rows are
// bottom-up (the last row in the buffer is row 0), each ((width x bpp x 8 + 31) / 32) x 4 bytes;
// data_length is exactly stride x height. Grey and indexed images come as 3 bytes a pixel.
struct PdfImageRecord {
  int32_t kind;
  float matrix[6];
  int32_t width;
  int32_t height;
  int32_t bytes_per_pixel;  // raw only; 0 for encoded images
  int32_t data_length;
  const uint8_t* data;
  // Non-zero for an image of the document (0 for pixels drawn for this record alone): records of
  // one id within one document carry the same picture, so a parser may make it once.
  int32_t image_id;
};

// What a page left out to stay within what one page may cost.
enum PdfOmissionKind : int32_t {
  kPdfImageTooLarge = 1,  // an image (or its mask) of width x height pixels, over the size cap
  kPdfPageSimplified = 2,  // the page had more objects or data than a page may: the rest was left out
  kPdfFontUnreadable = 3,  // a font of the page's resources that cannot be loaded
  kPdfPartUnreadable = 4,  // an object the page refers to cannot be read (damaged, or nested too deep)
};

struct PdfPageOmission {
  int32_t kind;
  int32_t width;
  int32_t height;
};

// Path operators (segment.op).
enum PdfPathOp : int32_t {
  kPdfMoveTo = 0,     // x1, y1
  kPdfLineTo = 1,     // x1, y1
  kPdfCurveTo = 2,    // controls (x1, y1), (x2, y2), end (x3, y3)
  kPdfCurveToV = 3,   // first control = current point; control (x1, y1), end (x2, y2)
  kPdfCurveToY = 4,   // control (x1, y1); second control = end point (x2, y2)
  kPdfClose = 5,      // close the sub-path back to its first point
  kPdfRectangle = 6,  // x1, y1, width x2, height y2
  kPdfCloseWithSegment = 8,
};

struct PdfPathSegment {
  int32_t op;
  float x1, y1, x2, y2, x3, y3;
};

// A filled and/or stroked path. Coordinates are in the path's own space; `matrix` is its CTM, and
// line_width is in that same space. A fill followed by a stroke of the same path (the B operators)
// comes as one record with both flags set.
struct PdfPathRecord {
  float matrix[6];
  uint8_t fill_on;
  uint8_t stroke_on;
  uint8_t ignore;      // never set by the engine
  uint8_t even_odd;    // fill rule: 1 even-odd, 0 non-zero winding
  float fill_rgb[3];   // 0..1
  float stroke_rgb[3];
  float line_width;
  int32_t segment_count;
  const PdfPathSegment* segments;
  // Stroke style (stroked records only), as the PDF's graphics state gives it. Caps: 0 butt,
  // 1 round, 2 square, 3 triangle; join: 0 miter, 1 round, 2 bevel, 3 clipped miter. Dash
  // lengths and phase are in the path's own space, like line_width; no dashes: a solid line.
  uint8_t start_cap;
  uint8_t end_cap;
  uint8_t dash_cap;
  uint8_t line_join;
  float miter_limit;
  float dash_phase;
  int32_t dash_count;
  const float* dashes;
};

// Metrics entries, exactly as the PDF gives them (/W and /W2 of CID fonts, /Widths of simple
// fonts as ranges of codes): codes lo..hi have width w (thousandths of an em).
struct PdfHMetric {
  uint16_t lo, hi;
  int32_t w;
};
struct PdfVMetric {
  uint16_t lo, hi;
  int16_t x, y, w;
};

// Kinds of font program (PdfFontProgram.program_kind).
enum PdfFontProgramKind : int32_t {
  kPdfProgramNone = 0,
  kPdfProgramType1 = 1,
  kPdfProgramTrueType = 2,
  kPdfProgramCff = 3,       // bare CFF (FontFile3 /Type1C or /CIDFontType0C)
  kPdfProgramOpenType = 4,  // OpenType with CFF outlines
};

// The font program block.
struct PdfFontProgram {
  // Font name: the base font name without a subset tag. For a font that is not embedded it is a
  // face name for the system fonts ("Arial" for Helvetica, "Times New Roman" for Times, spaces put
  // into names like "CourierNew"); at most 126 characters.
  char name[128];
  int32_t program_kind;
  // Style the text engine must add to the glyphs it gets for this font: set only for fonts that
  // are not embedded (the system face is regular) or that the PDF asks to make bold.
  int32_t bold;
  int32_t italic;
  int32_t reserved;            // 0
  int32_t program_length;
  const uint8_t* program;      // the font file as the PDF held it, or null
  int32_t cid_to_gid_count;    // glyph id of every CID (of every code for simple fonts)
  const uint16_t* cid_to_gid;
  int32_t cid_to_ucs_count;    // Unicode of every CID, 0 when unknown
  const uint16_t* cid_to_ucs;
};

// Embed flags (PdfFontRecord.embed_flag).
enum PdfEmbedFlag : int32_t {
  kPdfEmbeddedSimple = 0,
  kPdfEmbeddedComposite = 1,
  kPdfNotEmbeddedComposite = 2,
  kPdfNotEmbeddedSimple = 3,
};

// Base-encoding word (PdfFontRecord.base_encoding).
enum PdfBaseEncoding : int32_t {
  kPdfEncodingByCode = 0,  // a simple font: glyph names by code
  kPdfEncodingCMap = 1,    // a composite font: codes through the encoding CMap
};

// A font. Delivered once on each page before the first text that uses it. The font id is the
// object number of the font dictionary, so it is unique and stable for the file; fonts without
// one get ids above every object number of the file.
struct PdfFontRecord {
  int32_t font_id;
  int32_t flags;  // /Flags of the font descriptor
  float italic_angle, ascent, descent, cap_height, x_height, missing_width;
  float font_box[4];
  char font_type[30];     // /Subtype of the font: "Type1", "TrueType", "Type0", "Type3", "MMType1"
  char font_subtype[30];  // /Subtype of the descendant font of a Type0 font, else as font_type
  char registry[30];      // CIDSystemInfo of composite fonts
  char ordering[30];
  int32_t supplement;
  int32_t base_encoding;
  char encoding_name[30];      // "WinAnsiEncoding", "Identity-H", ... or empty
  int32_t glyph_name_count;    // 256 for simple fonts, else 0
  const char* glyph_names[256];  // by code; null or at most 31 characters
  PdfHMetric default_hmetric;
  int32_t hmetric_count;
  const PdfHMetric* hmetrics;
  PdfVMetric default_vmetric;
  int32_t vmetric_count;
  const PdfVMetric* vmetrics;
  const qv_cmap_s* to_ttf_cmap;   // CID to the code of the TrueType program's cmap, or null
  const qv_cmap_s* encoding_cmap; // code to CID; simple fonts: identity on one byte
  const qv_cmap_s* unicode_cmap;  // CID to Unicode, or null
  int32_t embed_flag;
  const PdfFontProgram* program;  // never null
};
