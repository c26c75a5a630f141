// Automatic and tonal-range colour filters.
#include "QorPixelColorAdjust.h"

#include <algorithm>
#include <cmath>

namespace QorPixelmill {

void CQorPixelAutoContrast::OnEnterProcess(CQorObjImage* image) {
  int mn[3] = {255, 255, 255}, mx[3] = {0, 0, 0};
  const int bpp = image->ColorBits() / 8;
  for (int y = 0; y < image->Height(); ++y) {
    const BYTE* p = image->GetBits(y);
    for (int x = 0; x < image->Width(); ++x, p += bpp)
      for (int c = 0; c < 3; ++c) {
        mn[c] = std::min<int>(mn[c], p[c]);
        mx[c] = std::max<int>(mx[c], p[c]);
      }
  }
  m_table.fill(0);
  for (int c = 0; c < 3; ++c) {
    if (mx[c] == mn[c]) {
      m_table[mn[c] * 3 + c] = static_cast<BYTE>(mn[c]);
      continue;
    }
    for (int v = mn[c]; v <= mx[c]; ++v) m_table[v * 3 + c] = static_cast<BYTE>((v - mn[c]) * 255 / (mx[c] - mn[c]));
  }
}

void CQorPixelAutoContrast::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  for (int c = 0; c < 3; ++c) pixel[c] = m_table[pixel[c] * 3 + c];
}

namespace {
// The inverse colour less its grey part, and that grey part k.
void InverseChroma(const BYTE* pixel, BYTE out[3], int& k) {
  const int c0 = 255 - pixel[0], c1 = 255 - pixel[1], c2 = 255 - pixel[2];
  k = std::min({c0, c1, c2});
  out[0] = static_cast<BYTE>(c0 - k);
  out[1] = static_cast<BYTE>(c1 - k);
  out[2] = static_cast<BYTE>(c2 - k);
}
}  // namespace

void CQorPixelAutoColorEnhance::OnEnterProcess(CQorObjImage* image) {
  m_dMaxValue = 0.0;
  m_dMinValue = 1.0;
  const int bpp = image->ColorBits() / 8;
  for (int y = 0; y < image->Height(); ++y) {
    const BYTE* p = image->GetBits(y);
    for (int x = 0; x < image->Width(); ++x, p += bpp) {
      BYTE t[3];
      int k;
      InverseChroma(p, t, k);
      double h, s, v;
      RGBtoHSV(t, h, s, v);
      m_dMaxValue = std::max(m_dMaxValue, v);
      m_dMinValue = std::min(m_dMinValue, v);
    }
  }
}

void CQorPixelAutoColorEnhance::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  BYTE t[3];
  int k;
  InverseChroma(pixel, t, k);
  double h, s, v;
  RGBtoHSV(t, h, s, v);
  if (m_dMinValue != m_dMaxValue) v = (v - m_dMinValue) / (m_dMaxValue - m_dMinValue);
  const RGBQUAD c = HSVtoRGB(h, s, v);
  pixel[0] = static_cast<BYTE>(255 - std::min(c.rgbBlue + k, 255));
  pixel[1] = static_cast<BYTE>(255 - std::min(c.rgbGreen + k, 255));
  pixel[2] = static_cast<BYTE>(255 - std::min(c.rgbRed + k, 255));
}

CQorPixelColorLevel::CQorPixelColorLevel(bool autoLevel, int low, int high, IMAGE_CHANNEL channels)
    : m_bAuto(autoLevel),
      m_bRed(channels & CHANNEL_RED),
      m_bGreen(channels & CHANNEL_GREEN),
      m_bBlue(channels & CHANNEL_BLUE) {
  for (int i = 0; i < 3; ++i) {
    m_low[i] = BoundInt(low, 0, 255);
    m_high[i] = BoundInt(high, 0, 255);
  }
}

void CQorPixelColorLevel::AutoColorLevelChannel(const CQorHistogram& histogram, IMAGE_CHANNEL channel) {
  const int index = channel == CHANNEL_RED ? 2 : channel == CHANNEL_GREEN ? 1 : 0;
  const std::vector<DWORD>& counts = histogram.GetChannelTable(channel);
  const int lo = std::max(histogram.GetLow(), 0), hi = std::min(histogram.GetHigh(), 255);
  double total = 0;
  for (int i = lo; i <= hi; ++i) total += counts[i];
  if (lo > hi || total == 0) {
    m_low[index] = m_high[index] = 0;
    return;
  }
  const double target = 0.006;
  int low = 0, high = 255;
  double s = 0;
  for (int i = 0; i <= 254; ++i) {
    s += counts[i];
    if (std::abs(s / total - target) < std::abs((s + counts[i + 1]) / total - target)) {
      low = i + 1;
      break;
    }
  }
  s = 0;
  for (int i = 255; i >= 1; --i) {
    s += counts[i];
    if (std::abs(s / total - target) < std::abs((s + counts[i - 1]) / total - target)) {
      high = i - 1;
      break;
    }
  }
  m_low[index] = low;
  m_high[index] = high;
}

void CQorPixelColorLevel::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (!m_bAuto || RunFailed()) return;
  const CQorHistogram histogram(*image);
  AutoColorLevelChannel(histogram, CHANNEL_RED);
  AutoColorLevelChannel(histogram, CHANNEL_GREEN);
  AutoColorLevelChannel(histogram, CHANNEL_BLUE);
}

void CQorPixelColorLevel::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const int flags[3] = {m_bBlue, m_bGreen, m_bRed};
  for (int c = 0; c < 3; ++c) {
    if (!flags[c]) continue;
    double v = pixel[c] - m_low[c];
    if (m_high[c] != m_low[c]) v = v / (m_high[c] - m_low[c]);
    pixel[c] = static_cast<BYTE>(ClampRoundByte(v * 255.0));
  }
}

CQorPixelColorBalance::CQorPixelColorBalance(bool preserveLuminosity, TONE_REGION region, int cyanRed,
                                             int magentaGreen, int yellowBlue)
    : m_bPreserveLuminosity(preserveLuminosity) {
  constexpr int kBound = 65535;
  int amounts[3][3] = {};  // channel (red, green, blue) x region
  const int r = BoundInt(static_cast<int>(region), 0, 2);
  amounts[0][r] = BoundInt(cyanRed, -kBound, kBound);
  amounts[1][r] = BoundInt(magentaGreen, -kBound, kBound);
  amounts[2][r] = BoundInt(yellowBlue, -kBound, kBound);

  double highlightsAdd[256], shadowsSub[256], bell[256];
  for (int i = 0; i < 256; ++i) {
    highlightsAdd[i] = shadowsSub[255 - i] = 1.075 - 1 / (i / 16.0 + 1);
    const double d = (i - 127.0) / 127.0;
    bell[i] = 0.667 * (1 - d * d);
  }
  // [region][0 add, 1 sub]
  const double* curves[3][2] = {{bell, shadowsSub}, {bell, bell}, {highlightsAdd, bell}};
  std::array<BYTE, 256>* tables[3] = {&m_red, &m_green, &m_blue};
  for (int ch = 0; ch < 3; ++ch) {
    const int* a = amounts[ch];
    for (int i = 0; i < 256; ++i) {
      int v = i;
      for (int reg = 0; reg < 3; ++reg) {
        const double* curve = curves[reg][a[reg] > 0 ? 0 : 1];
        v = ClampByte(v + static_cast<int>(curve[v] * a[reg]));
      }
      (*tables[ch])[i] = static_cast<BYTE>(v);
    }
  }
}

void CQorPixelColorBalance::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const BYTE old[3] = {pixel[0], pixel[1], pixel[2]};
  BYTE n[3] = {m_blue[pixel[0]], m_green[pixel[1]], m_red[pixel[2]]};
  if (m_bPreserveLuminosity) {
    double h, l, s;
    RGBtoHLS(n, h, l, s);
    l = (std::max({old[0], old[1], old[2]}) + std::min({old[0], old[1], old[2]})) * 0.5 / 255.0;
    const RGBQUAD c = HLStoRGB(l, s, h);
    n[0] = c.rgbBlue;
    n[1] = c.rgbGreen;
    n[2] = c.rgbRed;
  }
  pixel[0] = n[0];
  pixel[1] = n[1];
  pixel[2] = n[2];
}

}  // namespace QorPixelmill
