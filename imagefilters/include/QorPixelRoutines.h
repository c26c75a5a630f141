// Pixel routines of QorPixelmill shared by the image class and the filters. Pixels are pointers
// to their bytes: blue, green, red (, alpha). Arithmetic is exact as documented per routine, so
// that filters built on them reproduce the same pixels on every machine.
#pragma once

#include <vector>

#include "QorObjImage.h"
#include "windows.h"

namespace QorPixelmill {

enum IMAGE_CHANNEL : int {
  CHANNEL_RED = 1,
  CHANNEL_GREEN = 2,
  CHANNEL_BLUE = 4,
  CHANNEL_RGB = 7,
};

// Below this a fraction or a saturation counts as zero.
constexpr double kPixelEpsilon = 1.1920928955078125e-7;

// Turns (x, y) about (cx, cy) by `angle` radians, clockwise on screen for a positive angle; each
// coordinate rounded half away from zero.
POINT RotatePointAround(int x, int y, double cx, double cy, double angle);

// Lays a source pixel with alpha `sourceAlpha` (0..255; the source's own fourth byte is not
// read) over the 4-byte destination pixel, writing its colour and alpha; returns the new alpha.
int CombinePixelOver(int sourceAlpha, BYTE* destination, const BYTE* source);

// Blends the source's blue, green, red into the destination with `alpha` (0..255); the
// destination's fourth byte is never touched.
void BlendPixelRGB(BYTE* destination, const BYTE* source, int alpha);

// Bilinear sample of the pixels (x, y), (x + 1, y), (x, y + 1), (x + 1, y + 1) at the fractions
// fx, fy (0..1). Alpha-aware sampling reads 4-byte pixels and weights the colours by alpha;
// otherwise only 3 bytes of each pixel are read and the result's fourth byte is 255. The result
// packs blue | green << 8 | red << 16 | alpha << 24.
DWORD BilinearSample(const BYTE* p00, const BYTE* p10, const BYTE* p01, const BYTE* p11, bool alphaAware,
                     double fx, double fy);

// Colour models, all values 0..1. Channel bytes from a model are clamp(trunc(v x 255), 0, 255);
// the results carry 255 in the reserved byte.
void RGBtoHLS(const BYTE* pixel, double& h, double& l, double& s);
RGBQUAD HLStoRGB(double l, double s, double h);
void RGBtoHSV(const BYTE* pixel, double& h, double& s, double& v);
RGBQUAD HSVtoRGB(double h, double s, double v);

// Counts of the red, green, blue and luminance ((11 B + 59 G + 30 R) / 100) values of an image of
// 24 bits or more; an empty or shallower image leaves every count 0.
class CQorHistogram {
 public:
  explicit CQorHistogram(const CQorObjImage& image);

  // CHANNEL_RED, CHANNEL_GREEN, CHANNEL_BLUE; any other value gives the luminance table.
  const std::vector<DWORD>& GetChannelTable(IMAGE_CHANNEL channel) const;
  int GetLow() const { return m_nLow; }
  int GetHigh() const { return m_nHigh; }
  int GetTotal() const { return m_nTotal; }

 private:
  std::vector<DWORD> m_luminance;
  std::vector<DWORD> m_red;
  std::vector<DWORD> m_green;
  std::vector<DWORD> m_blue;
  int m_nLow = 0;
  int m_nHigh = 255;
  int m_nTotal = 0;
};

}  // namespace QorPixelmill
