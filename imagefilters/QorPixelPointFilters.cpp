// Point filters.
#include "QorPixelPointFilters.h"

#include <algorithm>
#include <utility>

namespace QorPixelmill {

namespace {
// Beyond this a delta or depth saturates every channel whatever the pixel.
constexpr int kSaturatingBound = 65535;
// |(r / 32767 - 0.5) x amount| is at least 256 for every draw once |amount| reaches 2^24.
constexpr int kNoiseAmountBound = 1 << 24;

void SwapPixels(BYTE* a, BYTE* b, int bytes) {
  for (int i = 0; i < bytes; ++i) std::swap(a[i], b[i]);
}
}  // namespace

CQorPixelAdjustRGB::CQorPixelAdjustRGB(int red, int green, int blue)
    : m_nRed(BoundInt(red, -kSaturatingBound, kSaturatingBound)),
      m_nGreen(BoundInt(green, -kSaturatingBound, kSaturatingBound)),
      m_nBlue(BoundInt(blue, -kSaturatingBound, kSaturatingBound)) {}

void CQorPixelAdjustRGB::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  pixel[0] = static_cast<BYTE>(ClampByte(pixel[0] + m_nBlue));
  pixel[1] = static_cast<BYTE>(ClampByte(pixel[1] + m_nGreen));
  pixel[2] = static_cast<BYTE>(ClampByte(pixel[2] + m_nRed));
}

void CQorPixelGrayscale::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  pixel[0] = pixel[1] = pixel[2] = static_cast<BYTE>(GrayOf(pixel));
}

bool CQorPixelMirror::ValidateColorBits(const CQorObjImage* image) { return Is8BitOrMoreImage(image); }

void CQorPixelMirror::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  const int w = image->Width();
  if (x >= w / 2) return;
  SwapPixels(pixel, image->GetBits(w - 1 - x, y), image->ColorBits() / 8);
}

void CQorPixelFlip::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  const int h = image->Height();
  if (y >= h / 2) return;
  SwapPixels(pixel, image->GetBits(x, h - 1 - y), image->ColorBits() / 8);
}

CQorPixelHueSaturation::CQorPixelHueSaturation(int hue, int saturation)
    : m_nHue(std::max(hue, 0)), m_nSaturation(std::max(saturation, 0)) {}

void CQorPixelHueSaturation::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  double h, l, s;
  RGBtoHLS(pixel, h, l, s);
  if (m_nHue != 100) h = h * m_nHue / 100;
  if (m_nSaturation != 100) s = s * m_nSaturation / 100;
  const RGBQUAD c = HLStoRGB(l, s, h);
  pixel[0] = c.rgbBlue;
  pixel[1] = c.rgbGreen;
  pixel[2] = c.rgbRed;
}

CQorPixelColorTone::CQorPixelColorTone(RGBQUAD tone) {
  const BYTE bytes[3] = {tone.rgbBlue, tone.rgbGreen, tone.rgbRed};
  double h, l, s;
  RGBtoHLS(bytes, h, l, s);
  for (int i = 0; i < 256; ++i) {
    const RGBQUAD c = HLStoRGB(i / 255.0, s, h);
    m_red[i] = static_cast<BYTE>(c.rgbRed * i / 255);
    m_green[i] = static_cast<BYTE>(c.rgbGreen * i / 255);
    m_blue[i] = static_cast<BYTE>(c.rgbBlue * i / 255);
  }
}

void CQorPixelColorTone::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const int g = GrayOf(pixel);
  pixel[0] = m_blue[g];
  pixel[1] = m_green[g];
  pixel[2] = m_red[g];
}

CQorPixelAddRandomNoise::CQorPixelAddRandomNoise(int amount)
    : m_nAmount(BoundInt(amount, -kNoiseAmountBound, kNoiseAmountBound)) {
  QorSrandTime();
}

CQorPixelAddRandomNoise::CQorPixelAddRandomNoise(int amount, int seed)
    : m_nAmount(BoundInt(amount, -kNoiseAmountBound, kNoiseAmountBound)) {
  QorSrand(static_cast<uint32_t>(seed));
}

void CQorPixelAddRandomNoise::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  for (int i = 0; i < 3; ++i) {
    const int d = RoundHalfAwayInt((QorRand() / 32767.0 - 0.5) * m_nAmount);
    pixel[i] = static_cast<BYTE>(ClampByte(int64_t{pixel[i]} + d));
  }
}

CQorPixelNoisify::CQorPixelNoisify(int amount) : m_nAmount(BoundInt(amount, 0, 100)) { QorSrandTime(); }

double CQorPixelNoisify::GenGauss() {
  const int s = QorRand() + QorRand() + QorRand() + QorRand();
  return s * 5.28596089837e-05 - 3.46410161514;
}

void CQorPixelNoisify::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const int n = static_cast<int>(GenGauss() * m_nAmount * 127.0 / 100.0);
  for (int i = 0; i < 3; ++i) pixel[i] = static_cast<BYTE>(ClampByte(pixel[i] + n));
}

CQorPixel3DGrid::CQorPixel3DGrid(int cellSize, int depth)
    : m_nCellSize(cellSize < 2 ? 1 : cellSize), m_nDepth(BoundInt(depth, -kSaturatingBound, kSaturatingBound)) {}

void CQorPixel3DGrid::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const int g = m_nCellSize;
  int delta = 0;
  if ((y - 1) % g == 0 && x % g != 0 && (x + 1) % g != 0) {
    delta = -m_nDepth;
  } else if ((y + 2) % g == 0 && x % g != 0 && (x + 1) % g != 0) {
    delta = m_nDepth;
  } else if ((x - 1) % g == 0 && y % g != 0 && (y + 1) % g != 0) {
    delta = m_nDepth;
  } else if ((x + 2) % g != 0) {
    delta = 0;
  } else {
    delta = (y % g == 0 || (y + 1) % g == 0) ? 0 : -m_nDepth;
  }
  for (int i = 0; i < 3; ++i) pixel[i] = static_cast<BYTE>(ClampByte(pixel[i] + delta));
}

CQorPixelFillPattern::CQorPixelFillPattern(CQorObjImage* pattern, int alpha, bool emboss)
    : m_pPattern(pattern), m_nAlpha(BoundInt(alpha, 0, 255)), m_bEmboss(emboss) {}

bool CQorPixelFillPattern::ValidateColorBits(const CQorObjImage* image) {
  return Is32BitImage(image) && m_pPattern && m_pPattern->IsValidImage() && m_pPattern->ColorBits() >= 24;
}

void CQorPixelFillPattern::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const BYTE* p = m_pPattern->GetBits(x % m_pPattern->Width(), y % m_pPattern->Height());
  if (!m_bEmboss) {
    CombinePixelOver(m_nAlpha, pixel, p);
    return;
  }
  const int d = (p[2] + p[1] + p[0] - 384) * m_nAlpha / 765;
  for (int i = 0; i < 3; ++i) pixel[i] = static_cast<BYTE>(ClampByte(pixel[i] - d));
}

bool CQorPixelCombineColor::ValidateColorBits(const CQorObjImage* image) { return Is32BitImage(image); }

void CQorPixelCombineColor::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  const BYTE c[3] = {m_color.rgbBlue, m_color.rgbGreen, m_color.rgbRed};
  CombinePixelOver(m_color.rgbReserved, pixel, c);
}

CQorPixelEmboss::CQorPixelEmboss(int depth) : m_nDepth(BoundInt(depth, -kSaturatingBound, kSaturatingBound)) {}

void CQorPixelEmboss::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  int v = 128;
  if (x != image->Width() - 1) {
    const BYTE* n = image->GetBits(x + 1, y);
    const int diff = (pixel[2] - n[2]) + (pixel[1] - n[1]) + (pixel[0] - n[0]);
    v = ClampByte(diff * m_nDepth / 3 + 128);
  }
  pixel[0] = pixel[1] = pixel[2] = static_cast<BYTE>(v);
}

CQorPixelThreshold::CQorPixelThreshold(int level) : m_nLevel(BoundInt(level, 0, 255)) {}

void CQorPixelThreshold::ProcessPixel(CQorObjImage*, int, int, unsigned char* pixel) {
  pixel[0] = pixel[1] = pixel[2] = GrayOf(pixel) <= m_nLevel ? 0 : 255;
}

const BYTE CQorPixelHalftoneM3::kMatrix[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26}, {12, 44, 4, 36, 14, 46, 6, 38},
    {60, 28, 52, 20, 62, 30, 54, 22}, {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21},
};

void CQorPixelHalftoneM3::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  pixel[0] = pixel[1] = pixel[2] = kMatrix[y % 8][x % 8] < GrayOf(pixel) / 4 ? 255 : 0;
}

const BYTE CQorPixelVideo::kPatterns[4][75] = {
    {0, 1, 0, 2, 1, 2, 1, 0, 2, 0, 2, 1},
    {0, 1, 2},
    {0, 1, 2, 2, 0, 1, 1, 2, 0},
    {0, 1, 2, 0, 0, 1, 1, 1, 2, 0, 0, 1, 2, 2, 2, 0, 0, 1, 2, 0, 0, 1, 1, 1, 2,
     2, 0, 1, 2, 2, 0, 0, 0, 1, 2, 2, 0, 1, 1, 1, 2, 2, 0, 1, 2, 2, 0, 0, 0, 1,
     1, 2, 0, 1, 1, 2, 2, 2, 0, 1, 1, 2, 0, 0, 0, 1, 1, 2, 0, 1, 1, 2, 2, 2, 0},
};
const int CQorPixelVideo::kWidths[4] = {2, 1, 3, 5};
const int CQorPixelVideo::kHeights[4] = {6, 3, 3, 15};

CQorPixelVideo::CQorPixelVideo(VIDEO_TYPE type)
    : m_type(static_cast<VIDEO_TYPE>(BoundInt(static_cast<int>(type), VIDEO_STAGGERED, VIDEO_DOTS))) {}

void CQorPixelVideo::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const int w = kWidths[m_type], h = kHeights[m_type];
  const int c = kPatterns[m_type][(y % h) * w + x % w];
  pixel[c] = static_cast<BYTE>(std::min(pixel[c] * 2, 255));
}

CQorPixelFillGrid::CQorPixelFillGrid(RGBQUAD first, RGBQUAD second, int cellSize)
    : m_first(first), m_second(second), m_nCellSize(cellSize < 2 ? 1 : cellSize) {}

void CQorPixelFillGrid::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const RGBQUAD& c = ((x / m_nCellSize + y / m_nCellSize) % 2 == 0) ? m_first : m_second;
  pixel[0] = c.rgbBlue;
  pixel[1] = c.rgbGreen;
  pixel[2] = c.rgbRed;
}

}  // namespace QorPixelmill
