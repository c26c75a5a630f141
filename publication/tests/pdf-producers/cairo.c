/* A page of strokes and text written through cairo's PDF surface. */
#include <cairo-pdf.h>
#include <cairo.h>
#include <math.h>
#include <stddef.h>

static void line(cairo_t* cr, double x0, double y0, double x1, double y1) {
  cairo_move_to(cr, x0, y0);
  cairo_line_to(cr, x1, y1);
  cairo_stroke(cr);
}

int main(int argc, char** argv) {
  cairo_surface_t* s = cairo_pdf_surface_create(argc > 1 ? argv[1] : "cairo.pdf", 420, 595);
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATE_DATE, "2026-01-01T00:00:00Z");
  cairo_t* cr = cairo_create(s);

  cairo_select_font_face(cr, "Liberation Serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 18);
  cairo_move_to(cr, 40, 50);
  cairo_show_text(cr, "Strokes, caps and fills");
  cairo_set_font_size(cr, 10);
  const char* para[] = {"Each line below is stroked with its own dash pattern, cap and join.",
                        "The star is one self-overlapping path filled with the nonzero rule,",
                        "so its centre is filled too; the arc is closed by its chord.",
                        "Office staff find fifty affine figures efficient: no ligatures here."};
  for (int i = 0; i < 4; ++i) {
    cairo_move_to(cr, 40, 75 + 13 * i);
    cairo_show_text(cr, para[i]);
  }

  cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
  cairo_set_line_width(cr, 6);
  const double dashes[][2] = {{18, 8}, {2, 10}, {12, 14}};
  const cairo_line_cap_t caps[] = {CAIRO_LINE_CAP_BUTT, CAIRO_LINE_CAP_ROUND, CAIRO_LINE_CAP_SQUARE};
  for (int i = 0; i < 3; ++i) {
    cairo_set_dash(cr, dashes[i], 2, i * 3.0);
    cairo_set_line_cap(cr, caps[i]);
    line(cr, 50, 150 + 22 * i, 370, 150 + 22 * i);
  }
  cairo_set_dash(cr, NULL, 0, 0);

  /* Joins on a zig-zag, one each. */
  const cairo_line_join_t joins[] = {CAIRO_LINE_JOIN_MITER, CAIRO_LINE_JOIN_ROUND, CAIRO_LINE_JOIN_BEVEL};
  cairo_set_line_width(cr, 10);
  cairo_set_source_rgb(cr, 0.7, 0.2, 0.1);
  for (int i = 0; i < 3; ++i) {
    cairo_set_line_join(cr, joins[i]);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    double x = 60 + 115 * i;
    cairo_move_to(cr, x, 270);
    cairo_line_to(cr, x + 40, 230);
    cairo_line_to(cr, x + 80, 270);
    cairo_stroke(cr);
  }

  /* Five-pointed star, one path, nonzero winding. */
  cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
  cairo_set_source_rgb(cr, 0.9, 0.7, 0.1);
  for (int k = 0; k < 5; ++k) {
    double a = -M_PI / 2 + k * 4 * M_PI / 5;
    double x = 120 + 70 * cos(a), y = 380 + 70 * sin(a);
    if (k == 0) cairo_move_to(cr, x, y); else cairo_line_to(cr, x, y);
  }
  cairo_close_path(cr);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);

  /* An arc closed by its chord, and a dotted circle. */
  cairo_set_line_width(cr, 3);
  cairo_set_source_rgb(cr, 0.1, 0.5, 0.2);
  cairo_new_path(cr);
  cairo_arc(cr, 300, 380, 60, M_PI * 0.1, M_PI * 0.9);
  cairo_close_path(cr);
  cairo_stroke(cr);
  const double dots[] = {0, 8};
  cairo_set_dash(cr, dots, 2, 0);
  cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
  cairo_arc(cr, 300, 360, 40, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_set_dash(cr, NULL, 0, 0);

  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_select_font_face(cr, "Liberation Sans", CAIRO_FONT_SLANT_ITALIC, CAIRO_FONT_WEIGHT_BOLD);
  cairo_set_font_size(cr, 12);
  cairo_move_to(cr, 40, 500);
  cairo_show_text(cr, "Bold italic sans below the drawings.");

  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  return 0;
}
