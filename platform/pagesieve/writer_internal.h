// Inner parts of the writing side of the PDF engine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "PdfSavingInterface.h"

typedef struct hb_face_t hb_face_t;
typedef struct FT_FaceRec_* FT_Face;

namespace pagesieve {

// Whether an SFNT face has CFF outlines (an OpenType font of PostScript flavour).
bool FaceHasCff(FT_Face face);
// The face cut down to the glyphs (glyph ids kept) and the characters' cmap entries; empty on failure.
std::vector<uint8_t> SubsetFace(hb_face_t* face, const std::vector<uint32_t>& gids,
                                const std::vector<uint32_t>& unicodes);
// The glyph name of a code of Adobe's standard encoding (the codes an accented glyph of a Type 1
// or CFF program names its parts by); null for a code without one.
const char* StandardEncodingName(int code);

// A Type 1 program as a PDF embeds it: clear text, encrypted part, trailer.
struct Type1Subset {
  std::vector<uint8_t> program;
  int length1 = 0, length2 = 0, length3 = 0;
};
// A Type 1 program (its three parts `length1`, `length2`, `length3` bytes long; the encrypted
// part binary or hexadecimal) cut down to the named glyphs, .notdef and the glyphs accented
// glyphs are built from; all subroutines kept, the encrypted part written binary. False, with
// `out` untouched, when the program cannot be read or lacks a named glyph.
bool SubsetType1(const uint8_t* data, size_t size, int length1, int length2, int length3,
                 const std::vector<std::string>& keep, Type1Subset* out);
// A bare name-keyed CFF program cut down to the glyphs `keep` (glyph ids), .notdef and the glyphs
// accented glyphs are built from, in their old order; `newGidOf` gives the new id of every old
// one (0 for a glyph left out). Subroutines and strings kept, the built-in encoding becomes the
// standard one. False when the program cannot be read (CID-keyed programs included).
bool SubsetCff(const uint8_t* data, size_t size, const std::vector<uint32_t>& keep, std::vector<uint8_t>* out,
               std::vector<uint32_t>* newGidOf);

// Frees a font program block and its tables.
void FreeProgram(PdfFontProgram* program);
// Frees what a handed-over font record owns (never its glyph names), not the record itself.
void FreeFontRecordParts(PdfFontRecord* record);

}  // namespace pagesieve
