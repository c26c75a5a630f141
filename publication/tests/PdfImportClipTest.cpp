// Clipped drawings (plots whose lines run past their axes, pictures cut by a disc or an L-shaped
// window) imported and drawn through the core object library: nothing shows outside the clip,
// and the page looks as MuPDF draws it.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include <cairo-pdf.h>
#include <cairo.h>

#include <gdiplus/gdiplus.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "PageRaster.h"
#include "TestSupport.h"
#include "lwstr.h"

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

// A 400 x 400 point page drawn by `draw` with cairo (y down, as the imported page).
std::vector<uint8_t> CairoPdf(const std::function<void(cairo_t*)>& draw) {
  std::vector<uint8_t> out;
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &out, 400, 400);
  cairo_t* cr = cairo_create(surface);
  draw(cr);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  return out;
}

// Lines, curves and a filled shape that all run far past the clip set before.
void DrawPlotContent(cairo_t* cr) {
  cairo_set_line_width(cr, 2);
  for (int k = 0; k < 3; ++k) {  // sine waves taller than the window
    cairo_set_source_rgb(cr, 0.1 + 0.3 * k, 0.2, 0.8 - 0.3 * k);
    cairo_move_to(cr, 10, 200);
    for (int i = 1; i <= 95; ++i) {
      const double x = 10 + i * 4;
      cairo_line_to(cr, x, 200 - (160 - 30 * k) * std::sin(x / (25.0 + 10 * k)));
    }
    cairo_stroke(cr);
  }
  cairo_set_source_rgb(cr, 0, 0.6, 0);  // a Bezier loop across the window's edges
  cairo_set_line_width(cr, 3);
  cairo_move_to(cr, 0, 390);
  cairo_curve_to(cr, 100, -200, 300, 600, 400, 10);
  cairo_stroke(cr);
  cairo_set_source_rgb(cr, 0.95, 0.6, 0.1);  // a filled and outlined triangle over a corner
  cairo_move_to(cr, 250, 250);
  cairo_line_to(cr, 395, 290);
  cairo_line_to(cr, 300, 395);
  cairo_close_path(cr);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 0.3, 0.1, 0.1);
  cairo_set_line_width(cr, 1.5);
  cairo_stroke(cr);
}

struct ClipCase {
  const char* name;
  std::function<void(cairo_t*)> clip;     // sets the clip
  std::function<bool(double, double)> in;  // whether a point (in points, y down) is inside it
  bool fills;                              // whether fills are drawn under the clip
};

// Imports page 1 of `pdf`, draws it at one pixel a page unit and checks it against MuPDF: outside
// the clip `in` (grown by the widest half line and the anti-aliasing) no ink where MuPDF shows
// none, and close to MuPDF's rendering everywhere. Returns the ink pixels MuPDF does not show.
long CheckAgainstMupdf(const std::vector<uint8_t>& pdf, const char* name, const std::function<bool(double, double)>& in,
                       double margin) {
  const float zoom = 1.33f;
  Raster reference;
  EXPECT_TRUE(RenderWithMupdf(pdf, 0, zoom, &reference));
  Dump(reference, std::string(name) + "-mupdf");

  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", pdf);
  auto* source = new CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
  source->AddRef();
  long extra = -1;
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    EXPECT_TRUE(page->LoadPageContent(&doc));
    page->IntegrateTexts();
    const Raster imported = RenderPage(*page, reference.width, reference.height);
    Dump(imported, std::string(name) + "-imported");

    // A pixel is outside when its centre lies more than the margin from every point inside the
    // clip (tested on a ring of points round the centre).
    auto outside = [&](int px, int py) {
      const double x = (px + 0.5) / zoom, y = (py + 0.5) / zoom;
      for (int k = 0; k < 16; ++k) {
        const double a = k * M_PI / 8;
        if (in(x + margin * std::cos(a), y + margin * std::sin(a))) return false;
      }
      return !in(x, y);
    };
    auto ink = [](const Raster& r, int x, int y) {
      const uint8_t* p = r.At(x, y);
      return p[0] < 160 || p[1] < 160 || p[2] < 160;
    };
    auto paper = [](const Raster& r, int x, int y) {
      const uint8_t* p = r.At(x, y);
      return p[0] > 240 && p[1] > 240 && p[2] > 240;
    };
    extra = 0;
    for (int y = 0; y < imported.height; ++y)
      for (int x = 0; x < imported.width; ++x)
        if (outside(x, y) && ink(imported, x, y) && paper(reference, x, y)) ++extra;

    const Difference d = Compare(imported, reference);
    std::printf("  ink outside the clip %ld; mean %.3f, ink %ld, ink off %.4f\n", extra, d.mean, d.ink, d.inkOff);
    EXPECT_GT(d.ink, 2000);
    EXPECT_LE(d.mean, 1.5);
    EXPECT_LE(d.inkOff, 0.06);
  }
  source->Release();
  return extra;
}

void CheckClippedPage(const ClipCase& c) {
  SCOPED_TRACE(c.name);
  std::printf("[%s]\n", c.name);
  const std::vector<uint8_t> pdf = CairoPdf([&](cairo_t* cr) {
    cairo_save(cr);
    c.clip(cr);
    if (c.fills) {
      DrawPlotContent(cr);
    } else {
      cairo_set_line_width(cr, 2);
      cairo_set_source_rgb(cr, 0.1, 0.2, 0.8);
      for (int i = 0; i < 12; ++i) {  // a fan of lines through the whole page
        cairo_move_to(cr, 0, 10 + 35 * i);
        cairo_line_to(cr, 400, 390 - 35 * i);
      }
      cairo_stroke(cr);
      cairo_set_source_rgb(cr, 0, 0.6, 0);
      cairo_move_to(cr, 0, 390);
      cairo_curve_to(cr, 100, -200, 300, 600, 400, 10);
      cairo_stroke(cr);
    }
    cairo_restore(cr);
  });
  EXPECT_EQ(CheckAgainstMupdf(pdf, c.name, c.in, 1.5 + 2.0), 0) << "ink outside the clip";
}

}  // namespace

TEST(PdfImportClip, ClippedDrawingsShowOnlyInsideTheirClip) {
  const ClipCase cases[] = {
      {"axes box",
       [](cairo_t* cr) {
         cairo_rectangle(cr, 60, 80, 280, 220);
         cairo_clip(cr);
       },
       [](double x, double y) { return x >= 60 && x <= 340 && y >= 80 && y <= 300; }, true},
      {"disc",
       [](cairo_t* cr) {
         cairo_arc(cr, 200, 200, 130, 0, 2 * M_PI);
         cairo_clip(cr);
       },
       [](double x, double y) { return std::hypot(x - 200, y - 200) <= 130; }, true},
      {"turned square",
       [](cairo_t* cr) {
         cairo_move_to(cr, 200, 40);
         cairo_line_to(cr, 360, 200);
         cairo_line_to(cr, 200, 360);
         cairo_line_to(cr, 40, 200);
         cairo_close_path(cr);
         cairo_clip(cr);
       },
       [](double x, double y) { return std::fabs(x - 200) + std::fabs(y - 200) <= 160; }, true},
      {"nested clips",
       [](cairo_t* cr) {
         cairo_rectangle(cr, 40, 40, 250, 250);
         cairo_clip(cr);
         cairo_arc(cr, 290, 290, 150, 0, 2 * M_PI);
         cairo_clip(cr);
       },
       [](double x, double y) {
         return x >= 40 && x <= 290 && y >= 40 && y <= 290 && std::hypot(x - 290, y - 290) <= 150;
       },
       true},
      {"L-shaped window, strokes",
       [](cairo_t* cr) {
         cairo_move_to(cr, 50, 50);
         cairo_line_to(cr, 350, 50);
         cairo_line_to(cr, 350, 150);
         cairo_line_to(cr, 150, 150);
         cairo_line_to(cr, 150, 350);
         cairo_line_to(cr, 50, 350);
         cairo_close_path(cr);
         cairo_clip(cr);
       },
       [](double x, double y) {
         return (x >= 50 && x <= 350 && y >= 50 && y <= 150) || (x >= 50 && x <= 150 && y >= 50 && y <= 350);
       },
       false},
  };
  for (const ClipCase& c : cases) CheckClippedPage(c);
}

// A plot from another producer (Ghostscript, the road of dvips and gnuplot): its curves are
// clipped to the axes box, its labels and the box itself are drawn outside the clip.
TEST(PdfImportClip, GhostscriptPlotKeepsToItsAxesBox) {
  const std::vector<uint8_t> pdf = lwtest::ReadFileBytes(std::string(LW_PDF_PRODUCERS_DIR) + "/ghostscript-plot.pdf");
  ASSERT_FALSE(pdf.empty());
  // The clip: 50 40 290 230 rectclip on a page 288 points high, here y down.
  const long extra = CheckAgainstMupdf(
      pdf, "ghostscript-plot", [](double x, double y) { return x >= 50 && x <= 340 && y >= 18 && y <= 248; }, 1.0 + 2.0);
  EXPECT_LE(extra, 10) << "ink outside the axes box";
}
