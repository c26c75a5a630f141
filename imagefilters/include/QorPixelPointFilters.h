// Point filters: each pixel's result depends on that pixel, its place and the parameters (and at
// most on one neighbour not yet written). Parameters are bounded in the constructors.
#pragma once

#include <array>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// Adds a delta to each channel, clamped. Deltas are bounded to +/-65535 (every channel saturates
// long before), so the sums never overflow.
class CQorPixelAdjustRGB : public CQorSinglePixelProcessBase {
 public:
  CQorPixelAdjustRGB(int red, int green, int blue);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nRed, m_nGreen, m_nBlue;
};

class CQorPixelGrayscale : public CQorSinglePixelProcessBase {
 public:
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Swaps each pixel of the left half with its mirror in the right half (8 bits or more).
class CQorPixelMirror : public CQorSinglePixelProcessBase {
 public:
  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Swaps each pixel of the top half with its mirror in the bottom half (8 bits or more).
class CQorPixelFlip : public CQorPixelMirror {
 public:
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Scales hue and saturation by percentages (negative ones become 0).
class CQorPixelHueSaturation : public CQorSinglePixelProcessBase {
 public:
  CQorPixelHueSaturation(int hue, int saturation);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nHue, m_nSaturation;
};

// Recolours by grey value through three tables made from the tone's hue and saturation.
class CQorPixelColorTone : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelColorTone(RGBQUAD tone);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  std::array<BYTE, 256> m_red{}, m_green{}, m_blue{};
};

// Adds a uniform random value in -amount/2..amount/2 to each channel (three draws a pixel).
class CQorPixelAddRandomNoise : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelAddRandomNoise(int amount);  // seeds the generator with the time
  CQorPixelAddRandomNoise(int amount, int seed);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nAmount;
};

// Adds one roughly normal value (deviation amount x 1.27) to all three channels of a pixel.
class CQorPixelNoisify : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelNoisify(int amount);  // 0..100; seeds the generator with the time
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // An approximately normal value with mean 0 and deviation 1 (sum of four draws).
  static double GenGauss();

 private:
  int m_nAmount;
};

// A raised grid of cells: light and dark lines beside the grid lines.
class CQorPixel3DGrid : public CQorSinglePixelProcessBase {
 public:
  CQorPixel3DGrid(int cellSize, int depth);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nCellSize, m_nDepth;
};

// Tiles a pattern image over a 32-bit image: laid over with an opacity, or embossed.
class CQorPixelFillPattern : public CQorSinglePixelProcessBase {
 public:
  // The pattern is not owned and must outlive the runs.
  CQorPixelFillPattern(CQorObjImage* pattern, int alpha, bool emboss);
  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  CQorObjImage* m_pPattern;
  int m_nAlpha;
  bool m_bEmboss;
};

// Lays a colour with its own alpha over each pixel of a 32-bit image.
class CQorPixelCombineColor : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelCombineColor(RGBQUAD color) : m_color(color) {}
  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  RGBQUAD m_color;
};

// Grey relief from the difference with the right neighbour; the last column becomes 128. The
// depth is bounded to +/-65535 (any non-zero difference saturates long before).
class CQorPixelEmboss : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelEmboss(int depth);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nDepth;
};

// Black where the grey value is at most the level (0..255), white elsewhere.
class CQorPixelThreshold : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelThreshold(int level);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nLevel;
};

// Black and white by an 8 x 8 ordered dither.
class CQorPixelHalftoneM3 : public CQorSinglePixelProcessBase {
 public:
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  static const BYTE kMatrix[8][8];
};

// Doubles one channel per pixel by a repeating scan-line pattern.
class CQorPixelVideo : public CQorSinglePixelProcessBase {
 public:
  enum VIDEO_TYPE : int {
    VIDEO_STAGGERED = 0,  // 2 x 6
    VIDEO_TRIPED = 1,     // 1 x 3
    VIDEO_3X3 = 2,        // 3 x 3
    VIDEO_DOTS = 3,       // 5 x 15
  };
  // Types outside 0..3 are bounded to that range.
  explicit CQorPixelVideo(VIDEO_TYPE type);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  VIDEO_TYPE GetType() const { return m_type; }

  static const BYTE kPatterns[4][75];
  static const int kWidths[4];
  static const int kHeights[4];

 private:
  VIDEO_TYPE m_type;
};

// A chequerboard of two colours.
class CQorPixelFillGrid : public CQorSinglePixelProcessBase {
 public:
  CQorPixelFillGrid(RGBQUAD first, RGBQUAD second, int cellSize);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  RGBQUAD m_first, m_second;
  int m_nCellSize;
};

}  // namespace QorPixelmill
