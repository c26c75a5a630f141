// Pixel routines and the histogram.
#include "QorPixelRoutines.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace QorPixelmill {

namespace {

int RoundHalfAway(double v) { return static_cast<int>(v > 0 ? v + 0.5 : v - 0.5); }

BYTE ChannelByte(double v) {
  const double scaled = std::trunc(v * 255.0);
  if (!(scaled > 0.0)) return 0;  // also NaN
  if (scaled >= 255.0) return 255;
  return static_cast<BYTE>(scaled);
}

DWORD Pack(int b, int g, int r, int a) {
  return static_cast<DWORD>(b) | static_cast<DWORD>(g) << 8 | static_cast<DWORD>(r) << 16 | static_cast<DWORD>(a) << 24;
}

// top + (bottom - top) x fy with top and bottom interpolated along x.
double Lerp2(double v00, double v10, double v01, double v11, double fx, double fy) {
  const double top = v00 + (v10 - v00) * fx;
  const double bottom = v01 + (v11 - v01) * fx;
  return top + (bottom - top) * fy;
}

}  // namespace

POINT RotatePointAround(int x, int y, double cx, double cy, double angle) {
  const double dx = x - cx;
  const double dy = cy - y;
  const double c = std::cos(angle), s = std::sin(angle);
  const double nx = c * dx + s * dy + cx;
  const double ny = cy - (dy * c - dx * s);
  return POINT{RoundHalfAway(nx), RoundHalfAway(ny)};
}

int CombinePixelOver(int sourceAlpha, BYTE* destination, const BYTE* source) {
  const int sA = std::clamp(sourceAlpha, 0, 255);
  const int dA = destination[3];
  if (dA > 0 && sA == 0) return dA;
  if (dA == 0 && sA == 0) {
    destination[0] = destination[1] = destination[2] = 255;
    destination[3] = 0;
    return 0;
  }
  if (dA > 0 && sA < 255) {
    const int d = (255 - dA) * sA + dA * 255;
    for (int i = 0; i < 3; ++i)
      destination[i] = static_cast<BYTE>(((255 - sA) * dA * destination[i] + sA * 255 * source[i]) / d);
    destination[3] = static_cast<BYTE>(d / 255);
    return destination[3];
  }
  destination[0] = source[0];
  destination[1] = source[1];
  destination[2] = source[2];
  destination[3] = static_cast<BYTE>(sA);
  return sA;
}

void BlendPixelRGB(BYTE* destination, const BYTE* source, int alpha) {
  const int a = std::clamp(alpha, 0, 255);
  if (a == 0) return;
  if (a == 255) {
    destination[0] = source[0];
    destination[1] = source[1];
    destination[2] = source[2];
    return;
  }
  for (int i = 0; i < 3; ++i) destination[i] = static_cast<BYTE>(destination[i] + (source[i] - destination[i]) * a / 255);
}

DWORD BilinearSample(const BYTE* p00, const BYTE* p10, const BYTE* p01, const BYTE* p11, bool alphaAware,
                     double fx, double fy) {
  // Pixels are read byte by byte: a 24-bit pixel at the end of a block has no fourth byte.
  const int n = alphaAware ? 4 : 3;
  auto first = [&]() { return Pack(p00[0], p00[1], p00[2], alphaAware ? p00[3] : 255); };
  bool equal = true;
  for (int i = 0; i < n && equal; ++i) equal = p00[i] == p10[i] && p00[i] == p01[i] && p00[i] == p11[i];
  if (equal) return first();
  if (fx < kPixelEpsilon && fy < kPixelEpsilon) return first();

  if (alphaAware && !(p00[3] == 255 && p10[3] == 255 && p01[3] == 255 && p11[3] == 255)) {
    const int a = static_cast<int>(std::trunc(Lerp2(p00[3], p10[3], p01[3], p11[3], fx, fy)));
    if (a <= 0) return Pack(255, 255, 255, 0);
    int c[3];
    for (int i = 0; i < 3; ++i) {
      const double v = Lerp2(double(p00[i] * p00[3]), double(p10[i] * p10[3]), double(p01[i] * p01[3]),
                             double(p11[i] * p11[3]), fx, fy);
      // The interpolated alpha is truncated too, so the quotient can pass 255.
      c[i] = std::min(static_cast<int>(std::trunc(v)) / a, 255);
    }
    return Pack(c[0], c[1], c[2], std::min(a, 255));
  }
  int c[3];
  for (int i = 0; i < 3; ++i)
    c[i] = std::clamp(static_cast<int>(std::trunc(Lerp2(p00[i], p10[i], p01[i], p11[i], fx, fy))), 0, 255);
  return Pack(c[0], c[1], c[2], 255);
}

void RGBtoHLS(const BYTE* pixel, double& h, double& l, double& s) {
  const int b = pixel[0], g = pixel[1], r = pixel[2];
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  l = (mx + mn) * 0.5 / 255;
  if (mx == mn) {
    h = 0;
    s = 0;
    return;
  }
  const double dmax = mx / 255.0, dmin = mn / 255.0;
  const double dr = r / 255.0, dg = g / 255.0, db = b / 255.0;
  const double delta = dmax - dmin;
  s = l <= 0.5 ? delta / (dmax + dmin) : delta / (2 - dmax - dmin);
  if (r == mx) {
    h = (dg - db) / delta;
  } else if (g == mx) {
    h = 2 + (db - dr) / delta;
  } else {
    h = 4 + (dr - dg) / delta;
  }
  h = h / 6;
  if (h < 0) h += 1;
}

namespace {
double HlsChannel(double m1, double m2, double t) {
  if (t < 0) t += 6;
  if (t > 6) t -= 6;
  if (t < 1) return m1 + (m2 - m1) * t;
  if (t < 3) return m2;
  if (t < 4) return m1 + (m2 - m1) * (4 - t);
  return m1;
}
}  // namespace

RGBQUAD HLStoRGB(double l, double s, double h) {
  if (s < kPixelEpsilon) {
    const BYTE v = ChannelByte(l);
    return RGBQUAD{v, v, v, 255};
  }
  const double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
  const double m1 = 2 * l - m2;
  const double h6 = 6 * h;
  return RGBQUAD{ChannelByte(HlsChannel(m1, m2, h6 - 2)), ChannelByte(HlsChannel(m1, m2, h6)),
                 ChannelByte(HlsChannel(m1, m2, h6 + 2)), 255};
}

void RGBtoHSV(const BYTE* pixel, double& h, double& s, double& v) {
  const int b = pixel[0], g = pixel[1], r = pixel[2];
  const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
  v = mx / 255.0;
  if (mx == mn) {
    h = 0;
    s = 0;
    return;
  }
  const double dmax = mx / 255.0, dmin = mn / 255.0;
  const double dr = r / 255.0, dg = g / 255.0, db = b / 255.0;
  const double d = dmax - dmin;
  s = d / dmax;
  if (r == mx) {
    h = (dg - db) / d;
  } else if (g == mx) {
    h = (db - dr) / d + 2;
  } else {
    h = (dr - dg) / d + 4;
  }
  h = h / 6;
  if (h < 0) h += 1;
  if (h > 1) h -= 1;
}

RGBQUAD HSVtoRGB(double h, double s, double v) {
  if (s < kPixelEpsilon) {
    const BYTE c = ChannelByte(v);
    return RGBQUAD{c, c, c, 255};
  }
  if (h == 1.0) h = 0;
  const double h6 = 6 * h;
  const double it = std::trunc(h6);
  const int i = (it >= 0 && it <= 5) ? static_cast<int>(it) : -1;
  const double f = h6 - it;
  const double p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
  double r = 0, g = 0, b = 0;
  switch (i) {
    case 0: r = v; g = t; b = p; break;
    case 1: r = q; g = v; b = p; break;
    case 2: r = p; g = v; b = t; break;
    case 3: r = p; g = q; b = v; break;
    case 4: r = t; g = p; b = v; break;
    case 5: r = v; g = p; b = q; break;
    default: break;
  }
  return RGBQUAD{ChannelByte(b), ChannelByte(g), ChannelByte(r), 255};
}

CQorHistogram::CQorHistogram(const CQorObjImage& image)
    : m_luminance(256, 0), m_red(256, 0), m_green(256, 0), m_blue(256, 0) {
  if (!image.IsValidImage() || image.ColorBits() < 24) return;
  const int bpp = image.ColorBits() / 8;
  m_nTotal = image.Width() * image.Height();
  for (int y = 0; y < image.Height(); ++y) {
    const BYTE* p = image.GetBits(y);
    for (int x = 0; x < image.Width(); ++x, p += bpp) {
      ++m_blue[p[0]];
      ++m_green[p[1]];
      ++m_red[p[2]];
      ++m_luminance[(11 * p[0] + 59 * p[1] + 30 * p[2]) / 100];
    }
  }
}

const std::vector<DWORD>& CQorHistogram::GetChannelTable(IMAGE_CHANNEL channel) const {
  switch (channel) {
    case CHANNEL_RED: return m_red;
    case CHANNEL_GREEN: return m_green;
    case CHANNEL_BLUE: return m_blue;
    default: return m_luminance;
  }
}

}  // namespace QorPixelmill
