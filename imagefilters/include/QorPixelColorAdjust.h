// Colour filters that measure the image (or build tables) first, then map every pixel: automatic
// contrast, automatic colour enhancement, levels and colour balance by tonal range.
#pragma once

#include <array>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// Stretches each channel's min..max to 0..255; a channel with one value keeps it.
class CQorPixelAutoContrast : public CQorSinglePixelProcessBase {
 public:
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  std::array<BYTE, 256 * 3> m_table{};  // entry v, channel c (0 blue, 1 green, 2 red) at v x 3 + c
};

// Stretches the value of the colour left after taking the common grey out of its inverse.
class CQorPixelAutoColorEnhance : public CQorSinglePixelProcessBase {
 public:
  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  double m_dMaxValue = 0.0, m_dMinValue = 1.0;
};

// Maps low..high of each selected channel to 0..255, given or found from the histogram with
// 0.6 % clipped at each end.
class CQorPixelColorLevel : public CQorPixelBackupProcess {
 public:
  CQorPixelColorLevel(bool autoLevel, int low, int high, IMAGE_CHANNEL channels = CHANNEL_RGB);

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // Replaces the channel's low and high from the histogram.
  void AutoColorLevelChannel(const CQorHistogram& histogram, IMAGE_CHANNEL channel);

  int GetLow(int index) const { return m_low[index]; }    // 0 blue, 1 green, 2 red
  int GetHigh(int index) const { return m_high[index]; }

 private:
  bool m_bAuto;
  int m_low[3], m_high[3];
  int m_bRed, m_bGreen, m_bBlue;
};

// Moves cyan-red, magenta-green and yellow-blue in shadows, midtones or highlights, optionally
// keeping each pixel's lightness. Amounts are bounded to +/-65535 (every non-zero curve value
// saturates a channel long before).
class CQorPixelColorBalance : public CQorSinglePixelProcessBase {
 public:
  enum TONE_REGION : int {
    TONE_SHADOWS = 0,
    TONE_MIDTONES = 1,
    TONE_HIGHLIGHTS = 2,
  };
  CQorPixelColorBalance(bool preserveLuminosity, TONE_REGION region, int cyanRed, int magentaGreen, int yellowBlue);

  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  std::array<BYTE, 256> m_red{}, m_green{}, m_blue{};
  bool m_bPreserveLuminosity;
};

}  // namespace QorPixelmill
