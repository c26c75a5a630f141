// Gradient fills.
#include "QorPixelGradient.h"

#include <algorithm>
#include <cmath>

namespace QorPixelmill {

namespace {
constexpr double kPi = 3.141592653589793;
constexpr double kTwoPi = 6.283185307179586;

// start + (end - start) x t truncated, kept in the int range, low byte.
BYTE Mix(int start, int end, double t) {
  double v = std::trunc(start + (end - start) * t);
  v = std::clamp(v, -1073741824.0, 1073741824.0);
  return static_cast<BYTE>(static_cast<int>(v) & 0xFF);
}
}  // namespace

CQorPixelGradientBase::CQorPixelGradientBase()
    : m_start(RGBQUAD{0, 0, 0, 255}), m_end(RGBQUAD{255, 255, 255, 255}), m_mode(REPEAT_PAD) {}

CQorPixelGradientBase::CQorPixelGradientBase(RGBQUAD start, RGBQUAD end, REPEAT_MODE mode)
    : m_start(start), m_end(end), m_mode(mode) {}

double CQorPixelGradientBase::WrapFactor(double f) const {
  if (!std::isfinite(f)) return 0;
  switch (m_mode) {
    case REPEAT_PAD: return std::clamp(f, 0.0, 1.0);
    case REPEAT_REPEAT: return f >= 0 ? FDoubleMod1(f) : 1 - FDoubleMod1(-f);
    case REPEAT_REFLECT: {
      const double g = std::abs(f);
      const double n = std::trunc(g);
      return std::fmod(n, 2.0) == 0 ? g - n : 1 - (g - n);
    }
    default: return f;
  }
}

void CQorPixelGradientBase::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const double t = WrapFactor(CalculateFactor(x, y));
  pixel[0] = Mix(m_start.rgbBlue, m_end.rgbBlue, t);
  pixel[1] = Mix(m_start.rgbGreen, m_end.rgbGreen, t);
  pixel[2] = Mix(m_start.rgbRed, m_end.rgbRed, t);
}

CQorPixelGradientLine::CQorPixelGradientLine(POINT from, POINT to, RGBQUAD start, RGBQUAD end, REPEAT_MODE mode)
    : CQorPixelGradientBase(start, end, mode), m_from(from), m_to(to) {
  const double dx = static_cast<double>(to.x) - from.x, dy = static_cast<double>(to.y) - from.y;
  m_dLength = std::sqrt(dx * dx + dy * dy);
  m_dUx = dx / m_dLength;
  m_dUy = dy / m_dLength;
}

double CQorPixelGradientLine::CalculateFactor(int x, int y) {
  const double dx = static_cast<double>(x) - m_from.x, dy = static_cast<double>(y) - m_from.y;
  const double f = (dy * m_dUy + dx * m_dUx) / m_dLength;
  return f < 0 ? 0 : f;
}

double CQorPixelGradientBiLine::CalculateFactor(int x, int y) {
  const double dx = static_cast<double>(x) - m_from.x, dy = static_cast<double>(y) - m_from.y;
  return std::abs((dy * m_dUy + dx * m_dUx) / m_dLength);
}

double CQorPixelGradientConicalSym::CalculateFactor(int x, int y) {
  const double dx = static_cast<double>(x) - m_from.x, dy = static_cast<double>(y) - m_from.y;
  if (dx == 0 && dy == 0) return 0.5;
  const double r = std::sqrt(dx * dx + dy * dy);
  double c = dy * m_dUy / r + dx * m_dUx / r;
  if (std::isnan(c)) return c;
  c = std::clamp(c, -1.0, 1.0);
  return std::clamp(std::acos(c) / kPi, 0.0, 1.0);
}

double CQorPixelGradientConicalASym::CalculateFactor(int x, int y) {
  const double dx = static_cast<double>(x) - m_from.x, dy = static_cast<double>(y) - m_from.y;
  if (dx == 0 && dy == 0) return 0.5;
  const double a = std::atan2(dx, dy) + kPi;
  const double b = std::atan2(m_dUx, m_dUy) + kPi;
  double d = a - b;
  if (d < 0) d += kTwoPi;
  if (std::isnan(d)) return d;
  return std::clamp(d / kTwoPi, 0.0, 1.0);
}

CQorPixelGradientRect::CQorPixelGradientRect(RECT box, RGBQUAD start, RGBQUAD end, REPEAT_MODE mode)
    : CQorPixelGradientBase(start, end, mode),
      m_dCx((static_cast<int64_t>(box.left) + box.right) * 0.5),
      m_dCy((static_cast<int64_t>(box.top) + box.bottom) * 0.5),
      m_dHx((static_cast<int64_t>(box.right) - box.left) * 0.5),
      m_dHy((static_cast<int64_t>(box.bottom) - box.top) * 0.5) {}

double CQorPixelGradientRect::CalculateFactor(int x, int y) {
  const double fx = std::abs(x - m_dCx) / m_dHx, fy = std::abs(y - m_dCy) / m_dHy;
  if (std::isnan(fx) || std::isnan(fy)) return std::nan("");
  return std::max(fx, fy);
}

double CQorPixelGradientRadial::CalculateFactor(int x, int y) {
  const double fx = (x - m_dCx) / m_dHx, fy = (y - m_dCy) / m_dHy;
  return std::sqrt(fx * fx + fy * fy);
}

}  // namespace QorPixelmill
