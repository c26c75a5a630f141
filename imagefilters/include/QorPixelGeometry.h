// Filters that move pixels or read more than the pixel itself: quarter turns, mosaic, the radial
// mirage, splash, field deinterlacing, channel split and combine, and the raised 3D frame.
#pragma once

#include <algorithm>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// Quarter turn clockwise: the image is re-created H x W (palette kept for 8 bits or fewer).
class CQorPixelRotate90 : public CQorPixelBackupProcess {
 public:
  bool ValidateColorBits(const CQorObjImage* image) override { return Is8BitOrMoreImage(image); }
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 protected:
  // Copies the image, then re-creates it at the given size with its depth and palette.
  void RecreateFromBackup(CQorObjImage* image, int width, int height);
};

// Half turn.
class CQorPixelRotate180 : public CQorPixelRotate90 {
 public:
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Quarter turn anticlockwise.
class CQorPixelRotate270 : public CQorPixelRotate90 {
 public:
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Blocks of size x size (below 3 gives 2) take their alpha-weighted average (32-bit images).
class CQorPixelMosaic : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelMosaic(int blockSize) : m_nSize(blockSize < 3 ? 2 : blockSize) {}
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  int BlockSize() const { return m_nSize; }

 private:
  DWORD GetBlockAverage(int x, int y) const;
  int m_nSize;
};

// A radial mirage about the centre in `divisions` sectors (at least 1).
class CQorPixelIllusion : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelIllusion(int divisions) : m_nDivisions(divisions < 1 ? 1 : divisions) {}
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nDivisions;
  double m_dHalfDiagonal = 1.0;
  double m_dShift = 0.0;
};

// Each pixel takes a random neighbour within size / 2 (size below 4 gives 3). Seeds the shared
// generator with the time when built.
class CQorPixelSplash : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelSplash(int size);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nSize;
};

// Rebuilds one field of an interlaced 32-bit image from the rows above and below.
class CPixelDeinterlace : public CQorSinglePixelProcessBase {
 public:
  enum SCAN_FIELDS : int { SCAN_EVEN_FIELD = 0, SCAN_ODD_FIELD = 1 };
  explicit CPixelDeinterlace(SCAN_FIELDS field) : m_field(field == SCAN_ODD_FIELD ? 1 : 0) {}
  bool ValidateColorBits(const CQorObjImage* image) override { return Is32BitImage(image); }
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_field;
};

// Writes the blue, green and red channels as three grey 32-bit images (any may be null; the
// images are not owned). A 24-bit source gives alpha 255.
class CQorPixelSpliteChannelRGB : public CQorSinglePixelProcessBase {
 public:
  CQorPixelSpliteChannelRGB(CQorObjImage* red, CQorObjImage* green, CQorObjImage* blue)
      : m_pRed(red), m_pGreen(green), m_pBlue(blue) {}
  bool ValidateColorBits(const CQorObjImage* image) override;
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  CQorObjImage* m_pRed;
  CQorObjImage* m_pGreen;
  CQorObjImage* m_pBlue;
};

// Builds a 32-bit image from three 8-bit images of one size (raw bytes as blue, green, red;
// alpha 255). The image run over is re-created by the colour check; inputs are not owned and
// none may be the image itself.
class CQorPixelCombineChannelRGB : public CQorSinglePixelProcessBase {
 public:
  CQorPixelCombineChannelRGB(CQorObjImage* red, CQorObjImage* green, CQorObjImage* blue)
      : m_pRed(red), m_pGreen(green), m_pBlue(blue) {}
  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  CQorObjImage* m_pRed;
  CQorObjImage* m_pGreen;
  CQorObjImage* m_pBlue;
};

// A bevelled frame of `width` (below 4 gives 3, at most 2^20): raised outer ring, face, sunken
// inner ring.
class CQorPixelFill3DSolidFrame : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelFill3DSolidFrame(int width) : m_nWidth(width < 4 ? 3 : std::min(width, 1 << 20)) {}
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nWidth;
  RECT m_rcImage{}, m_rc1{}, m_rc2{}, m_rc3{};
};

}  // namespace QorPixelmill
