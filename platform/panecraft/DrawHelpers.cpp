#include "QorpDrawHelpers.h"

#include <algorithm>
#include <cmath>

void CQORPDrawHelpers::RGBtoHSL(COLORREF clr, double& h, double& s, double& l) {
  const double r = GetRValue(clr) / 255.0, g = GetGValue(clr) / 255.0, b = GetBValue(clr) / 255.0;
  const double mx = std::max({r, g, b}), mn = std::min({r, g, b});
  const double d = mx - mn;
  l = (mx + mn) / 2.0;
  if (d == 0.0) {
    h = 0.0;
    s = 0.0;
    return;
  }
  s = l <= 0.5 ? d / (mx + mn) : d / (2.0 - mx - mn);
  if (mx == r)
    h = (g - b) / d + (g < b ? 6.0 : 0.0);
  else if (mx == g)
    h = (b - r) / d + 2.0;
  else
    h = (r - g) / d + 4.0;
  h /= 6.0;
}

namespace {

double HueToChannel(double m1, double m2, double h) {
  if (h < 0.0) h += 1.0;
  if (h > 1.0) h -= 1.0;
  if (h * 6.0 < 1.0) return m1 + (m2 - m1) * h * 6.0;
  if (h * 2.0 < 1.0) return m2;
  if (h * 3.0 < 2.0) return m1 + (m2 - m1) * (2.0 / 3.0 - h) * 6.0;
  return m1;
}

BYTE ToByte(double v) { return static_cast<BYTE>(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); }

}  // namespace

COLORREF CQORPDrawHelpers::HSLtoRGB(double h, double s, double l) {
  if (!std::isfinite(h)) h = 0.0;
  h -= std::floor(h);
  s = std::isfinite(s) ? std::clamp(s, 0.0, 1.0) : 0.0;
  l = std::isfinite(l) ? std::clamp(l, 0.0, 1.0) : 0.0;
  if (s == 0.0) {
    const BYTE v = ToByte(l);
    return RGB(v, v, v);
  }
  const double m2 = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
  const double m1 = 2.0 * l - m2;
  return RGB(ToByte(HueToChannel(m1, m2, h + 1.0 / 3.0)), ToByte(HueToChannel(m1, m2, h)),
             ToByte(HueToChannel(m1, m2, h - 1.0 / 3.0)));
}

namespace {

double Luminance(COLORREF c) {
  auto lin = [](int v) {
    const double x = v / 255.0;
    return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * lin(GetRValue(c)) + 0.7152 * lin(GetGValue(c)) + 0.0722 * lin(GetBValue(c));
}

COLORREF MixColors(COLORREF a, COLORREF b, double t) {
  auto m = [t](int x, int y) { return static_cast<BYTE>(std::lround(x + (y - x) * t)); };
  return RGB(m(GetRValue(a), GetRValue(b)), m(GetGValue(a), GetGValue(b)), m(GetBValue(a), GetBValue(b)));
}

}  // namespace

double CQORPDrawHelpers::ContrastRatio(COLORREF a, COLORREF b) {
  const double la = Luminance(a), lb = Luminance(b);
  return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

COLORREF CQORPDrawHelpers::DimmedText(COLORREF clrText, COLORREF clrBack, double t) {
  constexpr double kReadable = 4.5;
  for (double f = std::clamp(t, 0.0, 1.0); f > 0.0; f -= 0.02) {
    const COLORREF c = MixColors(clrText, clrBack, f);
    if (ContrastRatio(c, clrBack) >= kReadable) return c;
  }
  return clrText;
}

COLORREF CQORPDrawHelpers::ReadableText(COLORREF clrText, COLORREF clrBack, double fMin) {
  const double kReadable = fMin;
  if (ContrastRatio(clrText, clrBack) >= kReadable) return clrText;
  const COLORREF pole =
      ContrastRatio(RGB(0, 0, 0), clrBack) >= ContrastRatio(RGB(255, 255, 255), clrBack) ? RGB(0, 0, 0) : RGB(255, 255, 255);
  for (double f = 0.02; f < 1.0; f += 0.02) {
    const COLORREF c = MixColors(clrText, pole, f);
    if (ContrastRatio(c, clrBack) >= kReadable) return c;
  }
  return pole;
}
