/* Two pages through cairo's PDF surface with an OpenType font of PostScript outlines, which cairo
   embeds as a CID-keyed CFF subset (pdffonts: "CID Type 0C"): Cyrillic, Greek and Latin text. The
   same JPEG picture (made here with libjpeg) is shown on both pages and goes in as DCT bytes. */
#include <cairo-pdf.h>
#include <cairo.h>
#include <stdio.h>
#include <stdlib.h>
#include <jpeglib.h>

static unsigned char* jpeg_bytes;
static unsigned long jpeg_size;

/* A 48 x 32 colour gradient as JPEG bytes. */
static void make_jpeg(void) {
  struct jpeg_compress_struct c;
  struct jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  jpeg_mem_dest(&c, &jpeg_bytes, &jpeg_size);
  c.image_width = 48;
  c.image_height = 32;
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 80, TRUE);
  jpeg_start_compress(&c, TRUE);
  unsigned char row[48 * 3];
  while (c.next_scanline < c.image_height) {
    for (int x = 0; x < 48; ++x) {
      row[3 * x] = (unsigned char)(x * 5);
      row[3 * x + 1] = (unsigned char)(c.next_scanline * 7);
      row[3 * x + 2] = 160;
    }
    JSAMPROW p = row;
    jpeg_write_scanlines(&c, &p, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
}

static cairo_surface_t* picture(void) {
  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 48, 32);
  cairo_t* cr = cairo_create(img);
  cairo_set_source_rgb(cr, 0.5, 0.5, 0.6);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_set_mime_data(img, CAIRO_MIME_TYPE_JPEG, jpeg_bytes, jpeg_size, NULL, NULL);
  cairo_surface_set_mime_data(img, CAIRO_MIME_TYPE_UNIQUE_ID, (const unsigned char*)"gradient", 8, NULL, NULL);
  return img;
}

static void page(cairo_t* cr, cairo_surface_t* img, const char* const* lines, int n) {
  cairo_select_font_face(cr, "Nimbus Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, 14);
  cairo_set_source_rgb(cr, 0, 0, 0);
  for (int i = 0; i < n; ++i) {
    cairo_move_to(cr, 30, 40 + 22 * i);
    cairo_show_text(cr, lines[i]);
  }
  cairo_save(cr);
  cairo_translate(cr, 30, 140);
  cairo_scale(cr, 2, 2);
  cairo_set_source_surface(cr, img, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_show_page(cr);
}

int main(int argc, char** argv) {
  make_jpeg();
  cairo_surface_t* s = cairo_pdf_surface_create(argc > 1 ? argv[1] : "cairo-cff.pdf", 320, 240);
  cairo_pdf_surface_set_metadata(s, CAIRO_PDF_METADATA_CREATE_DATE, "2026-01-01T00:00:00Z");
  cairo_t* cr = cairo_create(s);
  cairo_surface_t* img = picture();
  const char* first[] = {"Привет, мир: съешь же ещё", "Ελληνικά γράμματα και λέξεις", "Latin words in Nimbus Sans"};
  const char* second[] = {"Вторая страница, тот же шрифт", "Δεύτερη σελίδα με εικόνα"};
  page(cr, img, first, 3);
  page(cr, img, second, 2);
  cairo_surface_destroy(img);
  cairo_destroy(cr);
  cairo_surface_destroy(s);
  free(jpeg_bytes);
  return 0;
}
