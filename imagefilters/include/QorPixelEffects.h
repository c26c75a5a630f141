// Whole-image effects and alpha tools: glass tiles, inner bevel, soft alpha edges, drop shadow,
// knock-out, the bounding box of visible pixels, edge and range tools for alpha, and the ASCII
// export.
#pragma once

#include <fstream>
#include <string>

#include "QorPixelWholeImage.h"

namespace QorPixelmill {

// Mirrored offsets inside tiles of tileWidth x tileHeight (each below 3 gives 2).
class CQorPixelGlasstile : public CQorPixelWholeImageBase {
 public:
  CQorPixelGlasstile(int tileWidth, int tileHeight)
      : m_nTileWidth(tileWidth < 3 ? 2 : tileWidth), m_nTileHeight(tileHeight < 3 ? 2 : tileHeight) {}

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  int m_nTileWidth, m_nTileHeight;
};

// Brightens the top and left bands and darkens the right and bottom ones over bevelWidth (at least
// 1) pixels, the factors box-blurred over softness pixels.
class CQorPixelInnerBevel : public CQorPixelWholeImageBase {
 public:
  CQorPixelInnerBevel(int bevelWidth, int softness)
      : m_nBevelWidth(BoundInt(bevelWidth, 1, 1 << 20)), m_nSoftness(softness) {}
  void OnEnterProcess(CQorObjImage*) override {}
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

 protected:
  int ProcessCopy(CQorObjImage*, CQorCommonProgress*) override { return 0; }

 private:
  int m_nBevelWidth, m_nSoftness;
};

// Softens the alpha channel of a 32-bit image over `radius` pixels (1..kMaxWindowSide / 2) about
// every place where alpha changes. An image without such a place is refused at run time (0).
class CQorPixelSmoothEdge : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelSmoothEdge(int radius) : m_nRadius(BoundInt(radius, 1, 511)) {}
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }
  void OnEnterProcess(CQorObjImage*) override {}
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

 protected:
  int ProcessCopy(CQorObjImage*, CQorCommonProgress*) override { return 0; }

 private:
  int m_nRadius;
};

// A drop shadow: blur size, colour, opacity in per cent, offsets.
struct SHADOWDATA {
  int nSize = 5;
  RGBQUAD crColor{75, 75, 75, 255};
  int nOpacity = 100;
  int nOffsetX = 5;
  int nOffsetY = 5;
};
static_assert(sizeof(SHADOWDATA) == 20);

// Grows a 32-bit image to hold its blurred shadow and lays the image over it. Size below 3 gives
// 2 (at most kMaxWindowSide), opacity 1..100, offsets within +-65536.
class CQorPixelAddShadow : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelAddShadow(const SHADOWDATA& shadow);
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  SHADOWDATA m_shadow;
};

// alpha = (255 - mask alpha) x alpha >> 8, on a 32-bit image and a 32-bit mask of the same size.
// The filter keeps a reference to the mask: the mask must outlive it.
class CQorPixelKnockout : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelKnockout(const CQorObjImage& mask) : m_mask(mask) {}
  bool ValidateColorBits(const CQorObjImage* image) override;
  void OnEnterProcess(CQorObjImage*) override {}
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

 protected:
  int ProcessCopy(CQorObjImage*, CQorCommonProgress*) override { return 0; }

 private:
  const CQorObjImage& m_mask;
};

// The bounding box of the pixels with alpha above 0 (32-bit images); read with GetRect after the
// run. IsFirst stays true (and the box empty) when every pixel is transparent.
class CQorPixelGetOptimizedRect : public CQorSinglePixelProcessBase {
 public:
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  RECT GetRect() const { return m_rect; }
  bool IsFirst() const { return m_bFirst; }

 private:
  RECT m_rect{0, 0, 0, 0};
  bool m_bFirst = true;
};

// Alpha becomes 255; with soft set, alpha below 24 becomes alpha x 10 instead (32-bit images).
class CQorPixelFindEdge : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelFindEdge(bool soft) : m_bSoft(soft) {}
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  bool m_bSoft;
};

// Scales alpha by 100 / range (range 1..99, otherwise refused), limited to 255.
class CQorPixelAdjustRange : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelAdjustRange(int range) : m_nRange(range) {}
  bool ValidateColorBits(const CQorObjImage* image) override;
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nRange;
  BYTE m_table[256] = {};
};

// Writes the image as text: each 8 x 16 cell of the inverted grey picture becomes the character
// of its ink weight (95 printable characters, space lightest, '@' darkest), each text row ending
// in CR LF. The file (a UTF-8 path) is opened, truncated, when the filter is built and written on
// each run, so a second run appends. A file that cannot be opened or written fails the run.
class CQorPixelExportAscII : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelExportAscII(const char* path);

  // The characters from lightest to darkest and their weights (empty when the file did not open).
  const std::string& GetRamp() const { return m_ramp; }

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  std::ofstream m_file;
  std::string m_ramp;
  std::string m_weights;
};

}  // namespace QorPixelmill
