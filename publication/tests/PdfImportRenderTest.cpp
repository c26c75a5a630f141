// Imported PDF pages drawn through the core object library, compared pixel by pixel with MuPDF's
// own rendering of the same page at the same size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <mupdf/fitz.h>

#include <gdiplus/gdiplus.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "ColumnPdf.h"
#include "PageRaster.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

using pagetest::Compare;
using pagetest::Difference;
using pagetest::Dump;
using pagetest::Raster;
using pagetest::RenderPage;
using pagetest::RenderWithMupdf;

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// A page of vector art and text in several sizes and colours: curves, strokes of several widths,
// fills, an open stroked curve, a turned text line and text over a filled shape.
std::vector<uint8_t> MakeVectorPdf() {
  std::vector<uint8_t> out;
  FT_Library ft = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&ft) != 0 || FT_New_Face(ft, lwtest::LiberationSansPath().c_str(), 0, &face) != 0)
    throw std::runtime_error("Liberation Sans did not open");
  cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &out, 612, 792);
  cairo_t* cr = cairo_create(surface);

  cairo_arc(cr, 160, 160, 80, 0, 2 * M_PI);  // green disc, thick black outline
  cairo_set_source_rgb(cr, 0.1, 0.7, 0.2);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0, 0, 0);
  cairo_set_line_width(cr, 6);
  cairo_stroke(cr);

  cairo_move_to(cr, 320, 80);  // filled triangle
  cairo_line_to(cr, 540, 120);
  cairo_line_to(cr, 380, 260);
  cairo_close_path(cr);
  cairo_set_source_rgb(cr, 0.9, 0.6, 0.1);
  cairo_fill(cr);

  cairo_move_to(cr, 60, 330);  // open curve, stroke only
  cairo_curve_to(cr, 200, 250, 350, 450, 550, 330);
  cairo_set_source_rgb(cr, 0.8, 0.1, 0.5);
  cairo_set_line_width(cr, 10);
  cairo_stroke(cr);

  for (int i = 0; i < 5; ++i) {  // bars of growing width
    cairo_rectangle(cr, 60 + i * 100, 420, 70, 90);
    cairo_set_source_rgb(cr, 0.15 * i, 0.3, 1 - 0.15 * i);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
    cairo_set_line_width(cr, 1 + i);
    cairo_stroke(cr);
  }

  cairo_set_font_face(cr, font);
  const struct {
    double x, y, size, r, g, b;
    const char* text;
  } lines[] = {{60, 580, 36, 0.8, 0, 0, "Large red words"},
               {60, 620, 14, 0, 0, 0.7, "A line of blue text at fourteen points, quite long."},
               {60, 650, 9, 0, 0, 0, "Small print: nine points in black, with digits 0123456789."},
               {330, 470, 18, 1, 1, 1, "White on blue"}};
  for (const auto& l : lines) {
    cairo_set_source_rgb(cr, l.r, l.g, l.b);
    cairo_set_font_size(cr, l.size);
    cairo_move_to(cr, l.x, l.y);
    cairo_show_text(cr, l.text);
  }
  cairo_save(cr);  // a turned line, reading upwards
  cairo_translate(cr, 570, 760);
  cairo_rotate(cr, -M_PI / 2);
  cairo_set_source_rgb(cr, 0.3, 0.3, 0.3);
  cairo_set_font_size(cr, 16);
  cairo_move_to(cr, 0, 0);
  cairo_show_text(cr, "Turned along the edge");
  cairo_restore(cr);

  cairo_show_page(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  cairo_font_face_destroy(font);
  cairo_debug_reset_static_data();
  FT_Done_Face(face);
  FT_Done_FreeType(ft);
  return out;
}

struct Tolerance {
  double maxMean;    // mean absolute difference per channel, 0..255
  double maxInkOff;  // share of ink pixels differing by more than Difference::kFar
};

struct RenderCase {
  const char* name;
  std::vector<uint8_t> pdf;
  Tolerance asImported;
};

void ExpectWithin(const Difference& d, const Tolerance& t, const char* what) {
  EXPECT_LE(d.mean, t.maxMean) << what;
  EXPECT_LE(d.inkOff, t.maxInkOff) << what;
  std::printf("  %-28s mean %.3f, ink %ld, ink off %.4f\n", what, d.mean, d.ink, d.inkOff);
}

// A page turned by 90 degrees whose crop box leaves a margin of the media box out: filled and
// stroked rectangles, Helvetica text on two baselines and a JPEG, some of it outside the crop box.
std::vector<uint8_t> MakeTurnedCroppedPdf() {
  lwtest::PdfBuilder b;
  const int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const int image = b.AddStream(
      "/Type /XObject /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
      "/Filter /DCTDecode",
      lwtest::MakeJpeg(16, 8));
  const int content = b.AddStream("",
                                  "0.9 0.2 0.2 rg 60 80 200 120 re f\n"
                                  "0 0.4 0.8 RG 4 w 300 500 180 150 re S\n"
                                  "0.2 0.6 0.2 rg 10 10 100 100 re f\n"  // partly outside the crop box
                                  "BT /F1 28 Tf 80 400 Td (Turned page) Tj ET\n"
                                  "BT 0 0 0.6 rg /F1 14 Tf 80 360 Td (second line of text) Tj ET\n"
                                  "q 160 0 0 80 320 250 cm /Im1 Do Q\n");
  const int pages = b.Reserve();
  const int page = b.Add("<< /Type /Page /Parent " + std::to_string(pages) +
                         " 0 R /MediaBox [0 0 612 792] /CropBox [36 36 576 756] /Rotate 90" +
                         " /Resources << /Font << /F1 " + std::to_string(font) + " 0 R >> /XObject << /Im1 " +
                         std::to_string(image) + " 0 R >> >> /Contents " + std::to_string(content) + " 0 R >>");
  b.Set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  return b.Finish(b.Add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>"));
}

// Stroke styles and fill rules: a self-overlapping star filled by the nonzero rule beside the
// same star filled even-odd, thick lines with butt, round and square caps, sharp corners with
// miter, bevel and round joins and a miter limit that bevels, dashes (with a phase, round dots,
// square dash ends), and single curves closed by their chord, stroked and filled.
std::vector<uint8_t> MakeStrokeStylePdf() {
  lwtest::PdfBuilder b;
  const int content = b.AddStream("",
                                  // Stars, nonzero (f) and even-odd (f*).
                                  "0.2 0.4 0.9 rg\n"
                                  "150 710 m 179.39 619.55 l 102.45 675.45 l 197.55 675.45 l 120.61 619.55 l h f\n"
                                  "330 710 m 359.39 619.55 l 282.45 675.45 l 377.55 675.45 l 300.61 619.55 l h f*\n"
                                  // Caps on 16-wide lines.
                                  "0 0 0 RG 16 w\n"
                                  "0 J 80 560 m 240 560 l S\n"
                                  "1 J 80 520 m 240 520 l S\n"
                                  "2 J 80 480 m 240 480 l S\n"
                                  // Joins on 14-wide corners: miter, bevel, round, miter over its limit.
                                  "0 J 0.6 0.1 0.1 RG 14 w\n"
                                  "0 j 10 M 300 440 m 340 560 l 380 440 l S\n"
                                  "2 j 400 440 m 440 560 l 480 440 l S\n"
                                  "1 j 500 440 m 540 560 l 580 440 l S\n"
                                  "0 j 2 M 420 600 m 460 720 l 500 600 l S\n"
                                  // Dashes on 6-wide lines.
                                  "0 j 0.1 0.5 0.1 RG 6 w\n"
                                  "0 J [18 9] 0 d 60 400 m 560 400 l S\n"
                                  "1 J [0 14] 0 d 60 370 m 560 370 l S\n"
                                  "2 J [12 12] 6 d 60 340 m 560 340 l S\n"
                                  "0 J [30 10 5 10] 20 d 60 310 m 300 310 l 300 230 l S\n"
                                  "[] 0 d\n"
                                  // Single curves closed by their chord: stroked, and filled and stroked.
                                  "0.8 0.1 0.1 RG 8 w 100 150 m 100 230 180 230 180 150 c h S\n"
                                  "0.9 0.8 0.1 rg 0.1 0.1 0.1 RG 3 w 360 150 m 360 230 440 230 440 150 c h B\n");
  const int pages = b.Reserve();
  const int page = b.Add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox [0 0 612 792] /Contents " +
                         std::to_string(content) + " 0 R >>");
  b.Set(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>");
  return b.Finish(b.Add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>"));
}

// Imports page 1 of the case's file, draws it and compares it with MuPDF, before and after the
// texts are merged (merging must not change what the page looks like).
void CheckPage(const RenderCase& c) {
  SCOPED_TRACE(c.name);
  std::printf("[%s]\n", c.name);
  const float zoom = 1.33f;  // the import's scale: one page unit is one pixel here
  Raster reference;
  ASSERT_TRUE(RenderWithMupdf(c.pdf, 0, zoom, &reference));
  Dump(reference, std::string(c.name) + "-mupdf");

  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", c.pdf);
  auto* source = new CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));

    const Raster imported = RenderPage(*page, reference.width, reference.height);
    Dump(imported, std::string(c.name) + "-imported");
    const Difference d = Compare(imported, reference);
    EXPECT_GT(d.ink, 1000);
    ExpectWithin(d, c.asImported, "imported");

    page->IntegrateTexts();
    const Raster merged = RenderPage(*page, reference.width, reference.height);
    Dump(merged, std::string(c.name) + "-merged");
    ExpectWithin(Compare(merged, reference), c.asImported, "merged");
    // Against the import itself: merging moves no glyph.
    ExpectWithin(Compare(merged, imported), {0.05, 0.001}, "merged against imported");
  }
  source->Release();
}

// Tolerances: MuPDF and cairo (under our GDI+) anti-alias edges differently, and MuPDF puts small
// glyphs on whole pixels vertically where we draw them where they fall, so edges differ by up to
// half a pixel. An object that is missing, mirrored, moved by a few pixels or in the wrong colour
// pushes the share of far-off ink pixels up by tens of percents (see the next test). Images are
// drawn without smoothing, as MuPDF draws images that do not ask for interpolation.
TEST(PdfImportRender, PagesDrawLikeMupdfDrawsThem) {
  const RenderCase cases[] = {
      // 24 pt text, a filled and stroked rectangle, a shading (an image from the engine) and a
      // 4 x 2 image.
      {"cairo-sampler", lwtest::MakeCairoPdf(1), {0.5, 0.02}},
      // Curves, strokes of several widths, fills, text of 9 to 36 pt, a turned line.
      {"vector-art", MakeVectorPdf(), {1.0, 0.025}},
      // Helvetica, not embedded (drawn from a metric twin, so outlines differ a little), TJ
      // adjustments and a JPEG.
      {"standard-font-and-jpeg", lwtest::MakeHandWrittenPdf(), {0.5, 0.03}},
      // Turned by 90 degrees, cropped: the page box and matrix the engine gives.
      {"turned-and-cropped", MakeTurnedCroppedPdf(), {0.5, 0.03}},
      // Two columns of 10 pt text: glyphs a little larger or smaller than they are placed would
      // move the ends of the lines by a pixel, which a page of small text shows everywhere.
      {"two-columns", lwtest::MakeColumnsPdf(1, 2).bytes, {4.5, 0.04}},
      // Fill rules, caps, joins, miter limit, dashes and chords.
      {"stroke-styles", MakeStrokeStylePdf(), {1.0, 0.03}},
  };
  for (const RenderCase& c : cases) CheckPage(c);
}

// The comparison itself notices what it must: a page drawn without its objects, or mirrored.
TEST(PdfImportRender, ComparisonCatchesMissingAndMirroredContent) {
  Raster reference;
  ASSERT_TRUE(RenderWithMupdf(lwtest::MakeCairoPdf(1), 0, 1.33f, &reference));
  Raster blank = reference;
  std::fill(blank.rgb.begin(), blank.rgb.end(), 255);
  Raster mirrored = reference;
  for (int y = 0; y < reference.height; ++y)
    std::copy_n(reference.At(0, reference.height - 1 - y), reference.width * 3,
                mirrored.rgb.data() + static_cast<size_t>(y) * reference.width * 3);
  for (const Raster* wrong : {&blank, &mirrored}) {
    const Difference d = Compare(*wrong, reference);
    EXPECT_GT(d.inkOff, 0.3);
  }
  EXPECT_EQ(Compare(reference, reference).inkOff, 0);
}

}  // namespace
