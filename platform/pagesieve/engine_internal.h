// Inner parts of the PDF engine shared by its source files.
//
// MuPDF reports errors with setjmp/longjmp. The rule in this layer: a function that holds fz_try
// has no C++ object with a destructor alive inside the try, and no C++ exception ever travels
// through MuPDF's C frames (device and path-walker callbacks catch everything).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

extern "C" {
#include <mupdf/fitz.h>
#include <mupdf/pdf.h>
}

#include "cpdfEngine.h"

namespace pagesieve {

// A qv_cmap_s with the tables it points to.
struct CMapCopy {
  qv_cmap_s map{};
  std::vector<qv_cmap_range_s> ranges;
  std::vector<uint16_t> table;
};

// One font of the file, built once and handed out on every page that uses it.
struct FontEntry {
  int id = -1;
  fz_font* font = nullptr;         // kept
  pdf_font_desc* desc = nullptr;   // kept; null for fonts known only by their fz_font
  pdf_obj* dict = nullptr;         // kept; the font dictionary, or null
  bool built = false;
  bool stand_in = false;  // the font's own program did not load: MuPDF draws it in another font
  PdfFontRecord record{};
  PdfFontProgram program{};
  std::vector<std::array<char, 32>> glyph_names;
  std::vector<PdfHMetric> hmetrics;
  std::vector<PdfVMetric> vmetrics;
  std::unique_ptr<CMapCopy> cmaps[3];  // to-TrueType, encoding, Unicode
  std::vector<uint16_t> cid_to_gid;
  std::vector<uint16_t> cid_to_ucs;
  std::unordered_map<int, int> gid_to_cid;  // first CID of every glyph, for characters without Unicode
  float word_gap = -1;  // the smallest gap that is a word space, in ems; -1 until measured
  std::unordered_map<int, int> gid_to_code;  // simple fonts not embedded: the first code of each glyph
};

// Turns a MuPDF CMap (with its use chain flattened) into an engine CMap record over the codes in
// 0..limit-1. Never throws into MuPDF; returns null on allocation failure.
std::unique_ptr<CMapCopy> ConvertCMap(pdf_cmap* cmap, int limit, bool unicode_values);

// Characters for glyphs without one: a glyph whose code maps to nothing or to a control character
// is given U+E000 + its code (codes below kPrivateCodes); the font's CID-to-Unicode table holds
// the same value, so the glyph is found back from it.
constexpr int kPrivateBase = 0xE000;
constexpr size_t kPrivateCodes = 6400;  // U+E000 to U+F8FF
// Whether a mapped value gives no usable character (none, a control character, U+FFFD).
bool IsUnmappedCharacter(int ucs);
// The character of a glyph without a usable one: its private-use character, else its CID where
// that is no control character, else U+FFFD.
int UnmappedCharacter(const FontEntry& e, int gid);

// Fills entry.record and its tables from entry.desc / entry.dict / entry.font.
void BuildFontRecord(fz_context* ctx, FontEntry& entry);

// Copies at most size-1 bytes of s into dst and terminates it.
void CopyBounded(char* dst, size_t size, const char* s);

}  // namespace pagesieve
