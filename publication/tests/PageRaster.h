// Pages drawn two ways for comparison: by MuPDF from the PDF, and by the page's own objects
// through the core object library; and the measure of how far two drawings are apart.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace Quirebook {
class CDrawingPage;
}
using Quirebook::CDrawingPage;

namespace pagetest {

// RGB pixels, rows top-down, 3 bytes a pixel.
struct Raster {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* At(int x, int y) const { return rgb.data() + (static_cast<size_t>(y) * width + x) * 3; }
};

// MuPDF's rendering of one page (0-based) at `zoom` pixels a point, on white.
bool RenderWithMupdf(const std::vector<uint8_t>& pdf, int page, float zoom, Raster* out);

// The page drawn by its objects on white, anti-aliased as the editing view draws, with the view
// scaled by `scale` device pixels a page unit. Pixel centres are put at half-integers, as MuPDF
// puts them (GDI+'s default puts them at whole numbers, which moves everything by half a pixel).
// Pictures are scaled with nearest pixels, as MuPDF scales them, or with `smoothPictures`
// bilinearly, as the editing view (GDI+'s default) and the flip-book player scale them.
Raster RenderPage(CDrawingPage& page, int width, int height, float scale = 1.0f, bool smoothPictures = false);

// How far two renderings of one page are apart. "Ink" pixels are those that are not near-white in
// at least one of the two: measuring over them keeps a page that is mostly paper from hiding a
// missing or misplaced object.
struct Difference {
  double mean = 0;   // mean absolute difference per channel over the whole page (0..255)
  long ink = 0;      // ink pixels
  double inkOff = 0; // share of ink pixels that differ by more than kFar in some channel
  static constexpr int kFar = 96;
};

Difference Compare(const Raster& a, const Raster& b);

// Writes the rendering as a PPM file into the folder named by LEAFWRIGHT_TEST_DUMP, if set.
void Dump(const Raster& r, const std::string& name);

}  // namespace pagetest
