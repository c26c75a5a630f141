// Lookup-table tone filters.
#include "QorPixelLUTFilters.h"

#include <cmath>

namespace QorPixelmill {

namespace {
constexpr int kPercentBound = 100000;
int BoundPercent(int percent) { return percent < 1 ? 0 : percent > kPercentBound ? kPercentBound : percent; }
}  // namespace

CQorPixelBrightness::CQorPixelBrightness(int percent, IMAGE_CHANNEL channels)
    : CQorPixelLUTRoutine(channels), m_nPercent(BoundPercent(percent)) {}

int CQorPixelBrightness::InitLUTtable(int value) { return ClampByte(m_nPercent * value / 100); }

CQorPixelContrast::CQorPixelContrast(int percent, IMAGE_CHANNEL channels)
    : CQorPixelLUTRoutine(channels), m_nPercent(BoundPercent(percent)) {}

int CQorPixelContrast::InitLUTtable(int value) { return ClampByte(128 + (value - 128) * m_nPercent / 100); }

CQorPixelGamma::CQorPixelGamma(double gamma, IMAGE_CHANNEL channels)
    : CQorPixelLUTRoutine(channels), m_dGamma(gamma) {
  m_dExponent = gamma > 0 ? 1 / gamma : HUGE_VAL;
  m_dScale = std::pow(255.0, m_dExponent) / 255;
}

int CQorPixelGamma::InitLUTtable(int value) {
  const double v = std::pow(static_cast<double>(value), m_dExponent) / m_dScale;
  if (!std::isfinite(v)) return value >= 255 ? 255 : 0;
  return ClampRoundByte(v);
}

CQorPixelSolarize::CQorPixelSolarize(int threshold, IMAGE_CHANNEL channels)
    : CQorPixelLUTRoutine(channels), m_nThreshold(BoundInt(threshold, 0, 255)) {}

int CQorPixelSolarize::InitLUTtable(int value) { return value < m_nThreshold ? value : 255 - value; }

CQorPixelPosterize::CQorPixelPosterize(int levels, IMAGE_CHANNEL channels)
    : CQorPixelLUTRoutine(channels), m_nLevels(levels < 3 ? 2 : levels > 65536 ? 65536 : levels) {}

int CQorPixelPosterize::InitLUTtable(int value) {
  const double step = 255.0 / (m_nLevels - 1);
  const int k = RoundHalfAwayInt(value / step);
  return ClampRoundByte(step * k);
}

}  // namespace QorPixelmill
