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
#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

// RGB pixels, rows top-down, 3 bytes a pixel.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// MuPDF's rendering of one page (0-based) at `zoom` pixels a point, on white. Plain C style:
// nothing with a destructor lives inside the fz_try blocks.
bool RenderWithMupdf(const std::vector<uint8_t>& pdf, int page, float zoom, Raster* out) {
  fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
  if (!ctx) return false;
  fz_stream* stream = nullptr;
  fz_document* doc = nullptr;
  fz_pixmap* pix = nullptr;
  fz_var(stream);
  fz_var(doc);
  fz_var(pix);
  fz_try(ctx) {
    fz_register_document_handlers(ctx);
    stream = fz_open_memory(ctx, pdf.data(), pdf.size());
    doc = fz_open_document_with_stream(ctx, "application/pdf", stream);
    pix = fz_new_pixmap_from_page_number(ctx, doc, page, fz_scale(zoom, zoom), fz_device_rgb(ctx), 0);
  }
  fz_always(ctx) {
    fz_drop_document(ctx, doc);
    fz_drop_stream(ctx, stream);
  }
  fz_catch(ctx) { pix = nullptr; }
  bool ok = false;
  if (pix && fz_pixmap_components(ctx, pix) == 3) {
    out->width = fz_pixmap_width(ctx, pix);
    out->height = fz_pixmap_height(ctx, pix);
    const int stride = static_cast<int>(fz_pixmap_stride(ctx, pix));
    const unsigned char* samples = fz_pixmap_samples(ctx, pix);
    out->rgb.resize(static_cast<size_t>(out->width) * out->height * 3);
    for (int y = 0; y < out->height; ++y)
      std::copy_n(samples + static_cast<size_t>(y) * stride, out->width * 3,
                  out->rgb.data() + static_cast<size_t>(y) * out->width * 3);
    ok = true;
  }
  fz_drop_pixmap(ctx, pix);
  fz_drop_context(ctx);
  return ok;
}

// The page drawn by its objects (view = device, anti-aliased as the editing view draws) on white.
// Pixel centres are put at half-integers, as MuPDF puts them (GDI+'s default puts them at whole
// numbers, which moves everything by half a pixel against MuPDF).
Raster RenderPage(CDrawingPage& page, int width, int height) {
  Gdiplus::Bitmap canvas(width, height, Gdiplus::PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&canvas);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    page.DrawAllObjects(&g, Gdiplus::Matrix());
  }
  Raster out;
  out.width = width;
  out.height = height;
  out.rgb.resize(static_cast<size_t>(width) * height * 3);
  Gdiplus::BitmapData data;
  const Gdiplus::Rect all(0, 0, width, height);
  if (canvas.LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    ADD_FAILURE() << "the canvas could not be read";
    return out;
  }
  for (int y = 0; y < height; ++y) {
    const auto* row = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    for (int x = 0; x < width; ++x) {
      uint8_t* px = out.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
      px[0] = row[4 * x + 2];  // B, G, R, A in memory
      px[1] = row[4 * x + 1];
      px[2] = row[4 * x];
    }
  }
  canvas.UnlockBits(&data);
  return out;
}

// How far two renderings of one page are apart. "Ink" pixels are those that are not near-white in
// at least one of the two: measuring over them keeps a page that is mostly paper from hiding a
// missing or misplaced object.
struct Difference {
  double mean = 0;        // mean absolute difference per channel over the whole page (0..255)
  long ink = 0;           // ink pixels
  double inkOff = 0;      // share of ink pixels that differ by more than kFar in some channel
  static constexpr int kFar = 96;
};

Difference Compare(const Raster& a, const Raster& b) {
  Difference d;
  if (a.width != b.width || a.height != b.height || a.rgb.empty()) {
    d.mean = 255;
    d.inkOff = 1;
    return d;
  }
  double sum = 0;
  long off = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      const uint8_t* p = a.At(x, y);
      const uint8_t* q = b.At(x, y);
      int worst = 0;
      bool ink = false;
      for (int c = 0; c < 3; ++c) {
        const int diff = std::abs(p[c] - q[c]);
        sum += diff;
        worst = std::max(worst, diff);
        ink = ink || p[c] < 224 || q[c] < 224;
      }
      if (ink) {
        ++d.ink;
        if (worst > Difference::kFar) ++off;
      }
    }
  d.mean = sum / (3.0 * a.width * a.height);
  d.inkOff = d.ink ? static_cast<double>(off) / d.ink : 0;
  return d;
}

// Writes both renderings as PPM files into the folder named by LEAFWRIGHT_TEST_DUMP, if set.
void Dump(const Raster& r, const std::string& name) {
  const char* dir = std::getenv("LEAFWRIGHT_TEST_DUMP");
  if (!dir || !*dir) return;
  const std::string path = (std::filesystem::path(dir) / (name + ".ppm")).string();
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fprintf(f, "P6\n%d %d\n255\n", r.width, r.height);
    std::fwrite(r.rgb.data(), 1, r.rgb.size(), f);
    std::fclose(f);
  }
}

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

// Glyphs are made at an em of 96/72 pixels a point (the text engine's screen of 96 dots per
// inch), while the import places everything at exactly 1.33 pixels a point; an imported glyph is
// therefore drawn 0.25 % larger than MuPDF draws it, and within one text piece each glyph lands
// that much farther along. This sets the glyphs back to the page's scale, keeping each baseline,
// so that what is left to compare is the placement itself.
void SetGlyphsToPageScale(CDrawingPage& page) {
  const float k = 1.33f / (96.0f / 72.0f);
  for (Vectorloom::CRenderBaseObj* obj : page.GetRenderObjectList()) {
    auto* text = dynamic_cast<CDDrawTextObj*>(obj);
    if (!text || text->GetParagraphsLinesInfo().GetSize() != 1) continue;
    for (auto& ch : text->GetArrayOfTextCharacters()) {
      ch.SetCharXScale(ch.GetCharXScale() * k);
      ch.SetCharYScale(ch.GetCharYScale() * k);
    }
    const float ascent = text->GetParagraphsLinesInfo().GetAt(0).m_fAscent;
    text->NormalizePDFText(false);
    Vectorloom::CQorTransMatrix m = text->GetTransMatrix();
    m.dy += ascent - text->GetParagraphsLinesInfo().GetAt(0).m_fAscent;
    text->SetTransMatrix(m, false);
  }
}

struct Tolerance {
  double maxMean;    // mean absolute difference per channel, 0..255
  double maxInkOff;  // share of ink pixels differing by more than Difference::kFar
};

struct RenderCase {
  const char* name;
  std::vector<uint8_t> pdf;
  Tolerance asImported;
  // For pages of small running text, where the glyph scale above dominates: the tolerance once
  // the glyphs are set back to the page's scale (none: not checked).
  Tolerance atPageScale{-1, -1};
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
  for (const bool pageScale : {false, true}) {
    if (pageScale && c.atPageScale.maxMean < 0) break;
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    if (pageScale) SetGlyphsToPageScale(*page);
    const Tolerance& t = pageScale ? c.atPageScale : c.asImported;
    const std::string tag = std::string(c.name) + (pageScale ? "-page-scale" : "");

    const Raster imported = RenderPage(*page, reference.width, reference.height);
    Dump(imported, tag + "-imported");
    const Difference d = Compare(imported, reference);
    EXPECT_GT(d.ink, 1000);
    ExpectWithin(d, t, pageScale ? "imported, glyphs at 1.33" : "imported");

    page->IntegrateTexts();
    const Raster merged = RenderPage(*page, reference.width, reference.height);
    Dump(merged, tag + "-merged");
    ExpectWithin(Compare(merged, reference), t, pageScale ? "merged, glyphs at 1.33" : "merged");
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
      // Two columns of 10 pt text: 0.25 % larger glyphs move the ends of the lines by up to a
      // pixel, which a page of small text shows everywhere; at the page's scale it draws close.
      {"two-columns", lwtest::MakeColumnsPdf(1, 2).bytes, {9.0, 0.2}, {4.5, 0.04}},
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
