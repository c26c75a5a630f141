// Inner parts of the writing side of the PDF engine.
#pragma once

#include <cstdint>
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
// Frees a font program block and its tables.
void FreeProgram(PdfFontProgram* program);
// Frees what a handed-over font record owns (never its glyph names), not the record itself.
void FreeFontRecordParts(PdfFontRecord* record);

}  // namespace pagesieve
