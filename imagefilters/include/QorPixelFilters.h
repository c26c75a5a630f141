// The core filters of QorPixelmill: fill colour, transparency and the depth conversions.
#pragma once

#include "QorPixelProcess.h"

namespace QorPixelmill {

// Paints every pixel of a 24- or 32-bit image with one colour. With an alpha other than -1 on a
// 32-bit image the alpha byte becomes that alpha (clamped to 0..255); otherwise it is kept.
class CQorPixelFillColor : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelFillColor(RGBQUAD colour, int alpha = -1) : m_colour(colour), m_nAlpha(alpha) {}
  CQorPixelFillColor(const CQorPixelFillColor&) = default;
  CQorPixelFillColor& operator=(const CQorPixelFillColor&) = default;

  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  RGBQUAD m_colour;
  int m_nAlpha;
  BOOL m_bUseAlpha = FALSE;
};

// Takes `amount` away from the alpha byte of every pixel (clamped to 0..255); 32-bit images only.
class CQorPixelTransparency : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelTransparency(int amount) : m_nAmount(amount) {}
  CQorPixelTransparency(const CQorPixelTransparency&) = default;
  CQorPixelTransparency& operator=(const CQorPixelTransparency&) = default;

  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // Takes weight x amount / 255 away; the colour bytes stay.
  void ProcessSelectedPixel(CQorObjImage* image, int x, int y, unsigned char* pixel, unsigned char weight) override;

 private:
  int m_nAmount;
};

// Converts any image but a 16-bit one to 16 bits, 5-5-5 without masks.
class CQorPixelConvertTo16Bit : public CQorPixelBackupProcess {
 public:
  CQorPixelConvertTo16Bit() = default;
  CQorPixelConvertTo16Bit(const CQorPixelConvertTo16Bit&) = default;
  CQorPixelConvertTo16Bit& operator=(const CQorPixelConvertTo16Bit&) = default;

  // (red >> 3) << 10 | (green >> 3) << 5 | (blue >> 3) of a blue, green, red byte triple.
  static WORD Combine16Bit_555(const void* pixel);

  bool ValidateColorBits(const CQorObjImage* image) override;
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

// Converts any image to 8-bit grey, (59 G + 30 R + 11 B) / 100, with a grey colour table.
class CQorPixelConvertTo8BitGray : public CQorPixelBackupProcess {
 public:
  CQorPixelConvertTo8BitGray() = default;
  CQorPixelConvertTo8BitGray(const CQorPixelConvertTo8BitGray&) = default;
  CQorPixelConvertTo8BitGray& operator=(const CQorPixelConvertTo8BitGray&) = default;

  bool ValidateColorBits(const CQorObjImage* image) override;
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
};

}  // namespace QorPixelmill
