// qv_Extra_font: cuts a FreeType face down to the characters a document uses, with HarfBuzz's
// subsetter. Glyph ids are kept, so the tables of the record stay valid for the subset program.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_TRUETYPE_TABLES_H
#include FT_TRUETYPE_TAGS_H

#include <hb-ft.h>
#include <hb-subset.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "PdfSavingInterface.h"
#include "writer_internal.h"

namespace pagesieve {

bool FaceHasCff(FT_Face face) {
  FT_ULong length = 0;
  return FT_Load_Sfnt_Table(face, TTAG_CFF, 0, nullptr, &length) == 0 && length > 0;
}

std::vector<uint8_t> SubsetFace(hb_face_t* face, const std::vector<uint32_t>& gids, const std::vector<uint32_t>& unicodes) {
  std::vector<uint8_t> out;
  hb_subset_input_t* input = hb_subset_input_create_or_fail();
  if (!input) return out;
  hb_set_t* glyphs = hb_subset_input_glyph_set(input);
  for (uint32_t g : gids) hb_set_add(glyphs, g);
  hb_set_t* codes = hb_subset_input_unicode_set(input);
  for (uint32_t u : unicodes) hb_set_add(codes, u);
  hb_subset_input_set_flags(input, HB_SUBSET_FLAGS_RETAIN_GIDS);
  hb_face_t* subset = hb_subset_or_fail(face, input);
  hb_subset_input_destroy(input);
  if (!subset) return out;
  hb_blob_t* blob = hb_face_reference_blob(subset);
  unsigned int length = 0;
  const char* data = hb_blob_get_data(blob, &length);
  if (data && length) out.assign(data, data + length);
  hb_blob_destroy(blob);
  hb_face_destroy(subset);
  return out;
}

}  // namespace pagesieve

int qv_Extra_font(FT_FaceRec_* face, const char16_t* chars, int count, PdfFontRecord* record) {
  using namespace pagesieve;
  if (!face || !record || count < 0 || (count > 0 && !chars) || !FT_IS_SFNT(face)) return -1;
  std::vector<uint16_t> codes(chars, chars + count);
  std::sort(codes.begin(), codes.end());
  codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
  const size_t tableSize = codes.empty() ? 0 : size_t(codes.back()) + 1;
  std::vector<uint16_t> cidToGid(tableSize, 0), cidToUcs(tableSize, 0);
  std::vector<uint32_t> gids{0}, unicodes;
  std::vector<PdfHMetric> widths;
  const double unitsPerEm = face->units_per_EM ? face->units_per_EM : 1000;
  for (uint16_t c : codes) {
    const FT_UInt gid = FT_Get_Char_Index(face, c);
    if (gid == 0 || gid > 0xFFFF) continue;
    cidToGid[c] = static_cast<uint16_t>(gid);
    cidToUcs[c] = c;
    gids.push_back(gid);
    unicodes.push_back(c);
    int width = 0;
    if (FT_Load_Glyph(face, gid, FT_LOAD_NO_SCALE) == 0)
      width = static_cast<int>(face->glyph->metrics.horiAdvance * 1000.0 / unitsPerEm + 0.5);
    widths.push_back(PdfHMetric{c, c, width});
  }
  // The face through FreeType's table access: the face of a collection that was opened, not face 0.
  hb_face_t* hbFace = hb_ft_face_create_referenced(face);
  std::vector<uint8_t> program = SubsetFace(hbFace, gids, unicodes);
  hb_face_destroy(hbFace);
  if (program.empty()) return -1;

  auto* block = static_cast<PdfFontProgram*>(std::calloc(1, sizeof(PdfFontProgram)));
  auto* bytes = static_cast<uint8_t*>(std::malloc(program.size()));
  auto* gidTable = tableSize ? static_cast<uint16_t*>(std::malloc(tableSize * 2)) : nullptr;
  auto* ucsTable = tableSize ? static_cast<uint16_t*>(std::malloc(tableSize * 2)) : nullptr;
  auto* metrics = widths.empty() ? nullptr : static_cast<PdfHMetric*>(std::malloc(widths.size() * sizeof(PdfHMetric)));
  if (!block || !bytes || (tableSize && (!gidTable || !ucsTable)) || (!widths.empty() && !metrics)) {
    std::free(block), std::free(bytes), std::free(gidTable), std::free(ucsTable), std::free(metrics);
    return -1;
  }
  std::memcpy(bytes, program.data(), program.size());
  if (tableSize) {
    std::memcpy(gidTable, cidToGid.data(), tableSize * 2);
    std::memcpy(ucsTable, cidToUcs.data(), tableSize * 2);
  }
  if (metrics) std::memcpy(metrics, widths.data(), widths.size() * sizeof(PdfHMetric));
  block->program_kind = FaceHasCff(face) ? kPdfProgramOpenType : kPdfProgramTrueType;
  block->program_length = static_cast<int32_t>(program.size());
  block->program = bytes;
  block->cid_to_gid_count = static_cast<int32_t>(tableSize);
  block->cid_to_gid = gidTable;
  block->cid_to_ucs_count = static_cast<int32_t>(tableSize);
  block->cid_to_ucs = ucsTable;

  // Descriptor values, in thousandths of an em.
  const double k = 1000.0 / unitsPerEm;
  record->flags = 32 | (FT_IS_FIXED_WIDTH(face) ? 1 : 0) | ((face->style_flags & FT_STYLE_FLAG_ITALIC) ? 64 : 0);
  record->font_box[0] = static_cast<float>(face->bbox.xMin * k);
  record->font_box[1] = static_cast<float>(face->bbox.yMin * k);
  record->font_box[2] = static_cast<float>(face->bbox.xMax * k);
  record->font_box[3] = static_cast<float>(face->bbox.yMax * k);
  record->ascent = static_cast<float>(face->ascender * k);
  record->descent = static_cast<float>(face->descender * k);
  record->cap_height = record->ascent;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2)); os2 && os2->version >= 2)
    record->cap_height = static_cast<float>(os2->sCapHeight * k);
  if (auto* post = static_cast<TT_Postscript*>(FT_Get_Sfnt_Table(face, FT_SFNT_POST)))
    record->italic_angle = static_cast<float>(post->italicAngle / 65536.0);
  record->hmetric_count = static_cast<int32_t>(widths.size());
  record->hmetrics = metrics;
  if (record->program) FreeProgram(const_cast<PdfFontProgram*>(record->program));
  record->program = block;
  return 0;
}
