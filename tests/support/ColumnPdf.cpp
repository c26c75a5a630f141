#include "ColumnPdf.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <stdexcept>

#include "PdfFixtures.h"

namespace lwtest {

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

const char* const kWords[] = {
    "paper",  "ink",     "margin", "column", "reader", "binding", "spread", "cover",   "letter", "proof",
    "print",  "folio",   "quire",  "sheet",  "type",   "serif",   "glyph",  "kerning", "page",   "line",
    "word",   "press",   "plate",  "block",  "frame",  "gutter",  "layout", "story",   "the",    "a",
    "of",     "and",     "to",     "in",     "with",   "from",    "under",  "before",  "after",  "every",
    "quiet",  "bright",  "narrow", "wide",   "early",  "late",    "small",  "large",   "fine",   "bold",
    "setting", "measure", "leading", "tracking", "editor", "compositor", "publisher", "printer", "river", "widow"};

// A small fixed pseudo-random sequence (the same on every machine).
struct Sequence {
  uint32_t state;
  uint32_t Next(uint32_t bound) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % bound;
  }
};

struct Face {
  FT_Face ft = nullptr;
  cairo_font_face_t* cairo = nullptr;
};

}  // namespace

ColumnsPdf MakeColumnsPdf(int pages, int columns) {
  using L = ColumnsLayout;
  if (columns < 1 || columns > 4) throw std::invalid_argument("1 to 4 columns");
  const double W = 612, H = 792;
  const std::string regularPath = LiberationSansPath();
  std::string boldPath = regularPath;
  boldPath.replace(boldPath.rfind("Regular"), 7, "Bold");
  if (!std::filesystem::exists(boldPath)) throw std::runtime_error("Liberation Sans Bold is not installed");

  FT_Library ft = nullptr;
  if (FT_Init_FreeType(&ft) != 0) throw std::runtime_error("FreeType did not start");
  Face regular, bold;
  if (FT_New_Face(ft, regularPath.c_str(), 0, &regular.ft) != 0 ||
      FT_New_Face(ft, boldPath.c_str(), 0, &bold.ft) != 0) {
    if (regular.ft) FT_Done_Face(regular.ft);
    FT_Done_FreeType(ft);
    throw std::runtime_error("Liberation Sans did not open");
  }
  regular.cairo = cairo_ft_font_face_create_for_ft_face(regular.ft, 0);
  bold.cairo = cairo_ft_font_face_create_for_ft_face(bold.ft, 0);

  ColumnsPdf out;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &out.bytes, W, H);
  cairo_t* cr = cairo_create(surface);
  cairo_set_font_size(cr, L::kSize);

  auto advance = [&](const std::string& s, cairo_font_face_t* face) {
    cairo_set_font_face(cr, face);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    return e.x_advance;
  };

  const double columnWidth = (W - 2 * L::kMargin - (columns - 1) * L::kGutter) / columns;
  Sequence seq{12345u};
  for (int page = 1; page <= pages; ++page) {
    // A title bar and a rule, drawn before the text.
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.7);
    cairo_rectangle(cr, L::kMargin, 54, W - 2 * L::kMargin, 30);
    cairo_fill(cr);
    cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
    cairo_set_line_width(cr, 1);
    cairo_move_to(cr, L::kMargin, 96);
    cairo_line_to(cr, W - L::kMargin, 96);
    cairo_stroke(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);

    for (int column = 0; column < columns; ++column) {
      const double x0 = L::kMargin + column * (columnWidth + L::kGutter);
      if (page == 1) {
        out.columns.emplace_back();
        out.column_x.emplace_back(x0, x0 + columnWidth);
      }
      double baseline = L::kTop;
      for (;;) {
        // Break a paragraph of 18 to 50 words into lines that fit the column.
        const int count = 18 + static_cast<int>(seq.Next(33));
        std::vector<std::string> lines(1);
        for (int i = 0; i < count; ++i) {
          std::string word = kWords[seq.Next(sizeof kWords / sizeof kWords[0])];
          const std::string tried = lines.back().empty() ? word : lines.back() + " " + word;
          if (!lines.back().empty() && advance(tried, regular.cairo) > columnWidth - 12)
            lines.push_back(word);
          else
            lines.back() = tried;
        }
        if (baseline + (lines.size() - 1) * L::kLeading > H - L::kMargin) break;
        for (size_t i = 0; i < lines.size(); ++i) {
          cairo_move_to(cr, x0, baseline);
          std::string rest = lines[i];
          if (i == 0) {
            // The first word in bold, then the rest of the line from where it ended.
            const size_t space = rest.find(' ');
            const std::string first = space == std::string::npos ? rest : rest.substr(0, space + 1);
            rest = space == std::string::npos ? std::string() : rest.substr(space + 1);
            cairo_set_font_face(cr, bold.cairo);
            cairo_set_source_rgb(cr, 0.1, 0.2, 0.5);
            cairo_show_text(cr, first.c_str());
          }
          cairo_set_source_rgb(cr, 0, 0, 0);
          cairo_set_font_face(cr, regular.cairo);
          if (!rest.empty()) cairo_show_text(cr, rest.c_str());
          baseline += L::kLeading;
        }
        baseline += L::kParagraphGap;
        if (page == 1) out.columns.back().push_back(lines);
      }
    }
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  const cairo_status_t st = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  cairo_font_face_destroy(regular.cairo);
  cairo_font_face_destroy(bold.cairo);
  // Drops cairo's font caches, which still refer to the faces, before the faces go.
  cairo_debug_reset_static_data();
  FT_Done_Face(regular.ft);
  FT_Done_Face(bold.ft);
  FT_Done_FreeType(ft);
  if (st != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo could not write the PDF");
  return out;
}

}  // namespace lwtest
