// Tone filters through a lookup table: brightness, contrast, invert, gamma, solarize, posterize.
#pragma once

#include "QorPixelLUTRoutine.h"

namespace QorPixelmill {

// percent x value / 100. Percentages below 1 give 0; above 100000 they change nothing more (every
// value but 0 saturates from 25600 on) and are bounded there so the product never overflows.
class CQorPixelBrightness : public CQorPixelLUTRoutine {
 public:
  CQorPixelBrightness(int percent, IMAGE_CHANNEL channels = CHANNEL_RGB);
  int InitLUTtable(int value) override;

 private:
  int m_nPercent;
};

// 128 + (value - 128) x percent / 100, bounded like the brightness.
class CQorPixelContrast : public CQorPixelLUTRoutine {
 public:
  CQorPixelContrast(int percent, IMAGE_CHANNEL channels = CHANNEL_RGB);
  int InitLUTtable(int value) override;

 private:
  int m_nPercent;
};

class CQorPixelInvert : public CQorPixelLUTRoutine {
 public:
  explicit CQorPixelInvert(IMAGE_CHANNEL channels = CHANNEL_RGB) : CQorPixelLUTRoutine(channels) {}
  int InitLUTtable(int value) override { return 255 - value; }
};

// 255 x (value / 255) ^ (1 / gamma), rounded. Where that has no finite value (a gamma of 0 or
// below, or so small that the powers overflow) the table takes its limit as gamma falls to 0:
// 0 for every value but 255, which stays 255.
class CQorPixelGamma : public CQorPixelLUTRoutine {
 public:
  CQorPixelGamma(double gamma, IMAGE_CHANNEL channels = CHANNEL_RGB);
  int InitLUTtable(int value) override;

 private:
  double m_dGamma, m_dExponent, m_dScale;
};

// Values from the threshold (0..255) up are inverted.
class CQorPixelSolarize : public CQorPixelLUTRoutine {
 public:
  CQorPixelSolarize(int threshold, IMAGE_CHANNEL channels = CHANNEL_RGB);
  int InitLUTtable(int value) override;

 private:
  int m_nThreshold;
};

// `levels` evenly spaced values (below 3 gives 2; from 256 on every value keeps itself, and the
// count is bounded to 65536 so the step arithmetic stays in range).
class CQorPixelPosterize : public CQorPixelLUTRoutine {
 public:
  CQorPixelPosterize(int levels, IMAGE_CHANNEL channels = CHANNEL_RGB);
  int InitLUTtable(int value) override;

 private:
  int m_nLevels;
};

}  // namespace QorPixelmill
