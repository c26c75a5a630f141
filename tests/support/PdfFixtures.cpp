#include "PdfFixtures.h"

#include <cairo-ft.h>
#include <cairo-pdf.h>
#include <cairo.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace lwtest {

namespace {

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::vector<uint8_t>*>(closure);
  out->insert(out->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string LiberationSansPath() {
  for (const char* p : {"/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf"})
    if (std::filesystem::exists(p)) return p;
  throw std::runtime_error("Liberation Sans is not installed (fonts-liberation2)");
}

std::vector<uint8_t> MakeCairoPdf(int pages) {
  using L = CairoPdfLayout;
  const double H = 792;
  std::vector<uint8_t> out;
  // The font file is opened directly (not through fontconfig), so the text is always set in the
  // same font.
  FT_Library ft = nullptr;
  FT_Face face = nullptr;
  if (FT_Init_FreeType(&ft) != 0) throw std::runtime_error("FreeType did not start");
  if (FT_New_Face(ft, LiberationSansPath().c_str(), 0, &face) != 0) {
    FT_Done_FreeType(ft);
    throw std::runtime_error("Liberation Sans did not open");
  }
  cairo_font_face_t* font = cairo_ft_font_face_create_for_ft_face(face, 0);
  cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(AppendBytes, &out, 612, H);
  cairo_t* cr = cairo_create(surface);

  cairo_surface_t* img = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 4, 2);
  cairo_surface_flush(img);
  const uint32_t px[2][4] = {{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF},
                             {0x000000, 0x808080, 0xFFFF00, 0x00FFFF}};
  unsigned char* data = cairo_image_surface_get_data(img);
  int stride = cairo_image_surface_get_stride(img);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) reinterpret_cast<uint32_t*>(data + y * stride)[x] = px[y][x];
  cairo_surface_mark_dirty(img);

  for (int page = 1; page <= pages; ++page) {
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_font_face(cr, font);
    cairo_set_font_size(cr, L::kTextSize);
    cairo_move_to(cr, L::kTextX, H - L::kTextY);
    std::string text = "Hello page " + std::to_string(page);
    cairo_show_text(cr, text.c_str());

    cairo_rectangle(cr, L::kRectX0, H - L::kRectY1, L::kRectX1 - L::kRectX0, L::kRectY1 - L::kRectY0);
    cairo_set_source_rgb(cr, 1, 0, 0);
    cairo_fill_preserve(cr);
    cairo_set_source_rgb(cr, 0, 0, 1);
    cairo_set_line_width(cr, 2);
    cairo_stroke(cr);

    cairo_pattern_t* grad = cairo_pattern_create_linear(L::kGradX0, 0, L::kGradX1, 0);
    cairo_pattern_add_color_stop_rgb(grad, 0, 1, 0, 0);
    cairo_pattern_add_color_stop_rgb(grad, 1, 0, 0, 1);
    cairo_rectangle(cr, L::kGradX0, H - L::kGradY1, L::kGradX1 - L::kGradX0, L::kGradY1 - L::kGradY0);
    cairo_set_source(cr, grad);
    cairo_fill(cr);
    cairo_pattern_destroy(grad);

    cairo_save(cr);
    cairo_translate(cr, L::kImageX0, H - L::kImageY1);
    cairo_scale(cr, (L::kImageX1 - L::kImageX0) / 4, (L::kImageY1 - L::kImageY0) / 2);
    cairo_set_source_surface(cr, img, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_show_page(cr);
  }
  cairo_surface_destroy(img);
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_status_t st = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  cairo_font_face_destroy(font);
  // Drops cairo's font caches, which still refer to the face, before the face goes.
  cairo_debug_reset_static_data();
  FT_Done_Face(face);
  FT_Done_FreeType(ft);
  if (st != CAIRO_STATUS_SUCCESS) throw std::runtime_error("cairo could not write the PDF");
  return out;
}

std::vector<uint8_t> MakeJpeg(int w, int h, bool grey) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* mem = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &mem, &size);
  cinfo.image_width = static_cast<JDIMENSION>(w);
  cinfo.image_height = static_cast<JDIMENSION>(h);
  cinfo.input_components = grey ? 1 : 3;
  cinfo.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<unsigned char> row(static_cast<size_t>(w) * cinfo.input_components);
  while (cinfo.next_scanline < cinfo.image_height) {
    int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < w; ++x) {
      if (grey) {
        row[x] = static_cast<unsigned char>(255 * x / std::max(1, w - 1));
      } else {
        row[3 * x] = static_cast<unsigned char>(255 * x / std::max(1, w - 1));
        row[3 * x + 1] = static_cast<unsigned char>(255 * y / std::max(1, h - 1));
        row[3 * x + 2] = 128;
      }
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> out(mem, mem + size);
  jpeg_destroy_compress(&cinfo);
  free(mem);
  return out;
}

int PdfBuilder::Reserve() {
  objects_.emplace_back();
  return static_cast<int>(objects_.size());
}

void PdfBuilder::Set(int num, const std::string& body) {
  std::string s = std::to_string(num) + " 0 obj\n" + body + "\nendobj\n";
  objects_.at(num - 1).assign(s.begin(), s.end());
}

void PdfBuilder::SetStream(int num, const std::string& dict, const std::vector<uint8_t>& data) {
  std::string head = std::to_string(num) + " 0 obj\n<< " + dict + " /Length " + std::to_string(data.size()) +
                     " >>\nstream\n";
  std::string tail = "\nendstream\nendobj\n";
  std::vector<uint8_t>& o = objects_.at(num - 1);
  o.assign(head.begin(), head.end());
  o.insert(o.end(), data.begin(), data.end());
  o.insert(o.end(), tail.begin(), tail.end());
}

void PdfBuilder::SetStream(int num, const std::string& dict, const std::string& data) {
  SetStream(num, dict, std::vector<uint8_t>(data.begin(), data.end()));
}

int PdfBuilder::Add(const std::string& body) {
  int n = Reserve();
  Set(n, body);
  return n;
}

int PdfBuilder::AddStream(const std::string& dict, const std::string& data) {
  int n = Reserve();
  SetStream(n, dict, data);
  return n;
}

int PdfBuilder::AddStream(const std::string& dict, const std::vector<uint8_t>& data) {
  int n = Reserve();
  SetStream(n, dict, data);
  return n;
}

std::vector<uint8_t> PdfBuilder::Finish(int root) const {
  std::string head = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
  std::vector<uint8_t> out(head.begin(), head.end());
  std::vector<size_t> offsets;
  for (const auto& o : objects_) {
    offsets.push_back(out.size());
    out.insert(out.end(), o.begin(), o.end());
  }
  size_t xref = out.size();
  std::string t = "xref\n0 " + std::to_string(objects_.size() + 1) + "\n0000000000 65535 f \n";
  for (size_t off : offsets) {
    char line[32];
    std::snprintf(line, sizeof line, "%010zu 00000 n \n", off);
    t += line;
  }
  t += "trailer\n<< /Size " + std::to_string(objects_.size() + 1) + " /Root " + std::to_string(root) +
       " 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  out.insert(out.end(), t.begin(), t.end());
  return out;
}

std::vector<uint8_t> PdfBuilder::FinishPages(const std::vector<std::string>& contents, const std::string& resources,
                                             const std::vector<std::string>& media_boxes) {
  int pages = Reserve();
  std::string kids;
  for (size_t i = 0; i < contents.size(); ++i) {
    int c = AddStream("", contents[i]);
    std::string box = i < media_boxes.size() ? media_boxes[i] : "[0 0 612 792]";
    int p = Add("<< /Type /Page /Parent " + std::to_string(pages) + " 0 R /MediaBox " + box + " /Resources " +
                resources + " /Contents " + std::to_string(c) + " 0 R >>");
    kids += std::to_string(p) + " 0 R ";
  }
  Set(pages, "<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(contents.size()) + " >>");
  int root = Add("<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>");
  return Finish(root);
}

std::vector<uint8_t> MakeHandWrittenPdf() {
  PdfBuilder b;
  int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  int image = b.AddStream(
      "/Type /XObject /Subtype /Image /Width 16 /Height 8 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
      "/Filter /DCTDecode",
      MakeJpeg(16, 8));
  std::string content =
      "BT /F1 12 Tf 72 720 Td [(Hello) -250 (World)] TJ ET\n"
      "q 160 0 0 80 72 500 cm /Im1 Do Q\n";
  return b.FinishPages({content}, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> /XObject << /Im1 " +
                                      std::to_string(image) + " 0 R >> >>");
}

}  // namespace lwtest
