// Drawing pages two ways and comparing the drawings (see PageRaster.h).
#include "PageRaster.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <mupdf/fitz.h>

#include <gdiplus/gdiplus.h>
#include <quirebook/PublicationDoc.h>

namespace pagetest {

// Plain C style: nothing with a destructor lives inside the fz_try blocks.
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

Raster RenderPage(CDrawingPage& page, int width, int height, float scale, bool smoothPictures) {
  Gdiplus::Bitmap canvas(width, height, Gdiplus::PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&canvas);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetInterpolationMode(smoothPictures ? Gdiplus::InterpolationModeBilinear : Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    page.DrawAllObjects(&g, Gdiplus::Matrix(scale, 0, 0, scale, 0, 0));
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

}  // namespace pagetest
