// Convolution, median and oil paint.
#include "QorPixelConvolution.h"

#include <cstdlib>
#include <new>

#include "QorPixelFilters.h"

namespace QorPixelmill {

namespace {

constexpr int kMaxRadius = (kMaxWindowSide - 1) / 2;

// Extends `copy` by `margin` on every side, repeating the edge; false when it could not.
bool ExtendCopy(CQorObjImage& copy, int margin) {
  const int w = copy.Width(), h = copy.Height();
  copy.ExpandFrame(true, margin, margin, margin, margin);
  return copy.Width() == w + 2 * margin && copy.Height() == h + 2 * margin;
}

}  // namespace

void CQorPixelConvolute::SetKernel(const int* weights, int size, int divisor, int offset) {
  if (!weights || size < 1 || size > kMaxWindowSide) return;
  m_kernel.assign(weights, weights + static_cast<size_t>(size) * size);
  m_nSize = size;
  m_nDivisor = divisor < 2 ? 1 : divisor;
  m_nOffset = offset;
}

void CQorPixelConvolute::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed() || m_nSize < 1) return;
  if (!ExtendCopy(m_backup, m_nSize / 2)) FailRun();
}

void CQorPixelConvolute::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  if (m_nSize < 1) {
    pixel[0] = pixel[1] = pixel[2] = static_cast<BYTE>(ClampByte(m_nOffset));
    return;
  }
  const int bpp = m_backup.ColorBits() / 8;
  int64_t sb = 0, sg = 0, sr = 0;
  const int* w = m_kernel.data();
  for (int k = 0; k < m_nSize; ++k) {
    const BYTE* p = m_backup.GetBits(x, y + k);
    for (int j = 0; j < m_nSize; ++j, p += bpp, ++w) {
      sb += int64_t{*w} * p[0];
      sg += int64_t{*w} * p[1];
      sr += int64_t{*w} * p[2];
    }
  }
  pixel[0] = static_cast<BYTE>(ClampByte(sb / m_nDivisor + m_nOffset));
  pixel[1] = static_cast<BYTE>(ClampByte(sg / m_nDivisor + m_nOffset));
  pixel[2] = static_cast<BYTE>(ClampByte(sr / m_nDivisor + m_nOffset));
}

CQorPixelGaussianBlur3x3::CQorPixelGaussianBlur3x3() {
  static const int k[9] = {1, 2, 1, 2, 4, 2, 1, 2, 1};
  SetKernel(k, 3, 16, 0);
}

CQorPixelGaussianBlur5x5::CQorPixelGaussianBlur5x5() {
  static const int k[25] = {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8, 4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0};
  SetKernel(k, 5, 52, 0);
}

CQorPixelDetectEdges::CQorPixelDetectEdges(int radius) {
  const int r = radius < 2 ? 1 : radius > kMaxRadius ? kMaxRadius : radius;
  const int size = 2 * r + 1;
  std::vector<int> k(static_cast<size_t>(size) * size, -1);
  k[k.size() / 2] = size * size - 1;
  SetKernel(k.data(), size, 1, 0);
}

CQorPixelSharp::CQorPixelSharp(int amount) {
  // amount + 8 in the centre: bounded so that the sum cannot overflow.
  const int a = BoundInt(amount, -(1 << 24), 1 << 24);
  const int k[9] = {-1, -1, -1, -1, a + 8, -1, -1, -1, -1};
  SetKernel(k, 3, a, 0);
}

CQorPixelMedianFilter::CQorPixelMedianFilter(int size) : m_nSize(BoundInt(size, 1, kMaxWindowSide)) {}

int CQorPixelMedianFilter::__CompareGray(const void* a, const void* b) {
  return static_cast<const WindowEntry*>(a)->gray - static_cast<const WindowEntry*>(b)->gray;
}

void CQorPixelMedianFilter::OnEnterProcess(CQorObjImage* image) {
  m_nHistRow = -1;  // no window counted yet
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed()) return;
  if (!ExtendCopy(m_backup, m_nSize / 2)) {
    FailRun();
    return;
  }
  m_colour = m_backup;  // the extended copy is owned, so this copies deep
  CQorPixelConvertTo8BitGray toGray;
  if (!m_colour.IsValidImage() || !m_backup.SinglePixelProcessProc(toGray, nullptr) || m_backup.ColorBits() != 8)
    FailRun();
}

// The window's greys are counted in a histogram that slides along the row: one column leaves and
// one comes in at each step. The chosen entry is the one a stable sort of the window (read row by
// row) by grey puts in the middle: the median grey, and among the entries of that grey the one
// whose rank in reading order makes up the middle place.
void CQorPixelMedianFilter::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  const int n = m_nSize;
  const int middle = n * n / 2;
  if (y != m_nHistRow || x != m_nHistX + 1) {
    m_hist.fill(0);
    for (int k = 0; k < n; ++k) {
      const BYTE* g = m_backup.GetBits(x, y + k);
      for (int j = 0; j < n; ++j) ++m_hist[g[j]];
    }
    m_nMedian = 0;
    m_nBelow = 0;
  } else {
    for (int k = 0; k < n; ++k) {
      const BYTE* g = m_backup.GetBits(x - 1, y + k);
      const int out = g[0], in = g[n];
      --m_hist[out];
      ++m_hist[in];
      m_nBelow += (in < m_nMedian) - (out < m_nMedian);
    }
  }
  m_nHistRow = y;
  m_nHistX = x;
  // Move the median to the smallest grey whose count, with all below it, passes the middle place.
  while (m_nBelow > middle) m_nBelow -= m_hist[--m_nMedian];
  while (m_nBelow + m_hist[m_nMedian] <= middle) m_nBelow += m_hist[m_nMedian++];
  int rank = middle - m_nBelow;  // among the window's entries of the median grey, in reading order
  for (int k = 0; k < n; ++k) {
    const BYTE* g = m_backup.GetBits(x, y + k);
    for (int j = 0; j < n; ++j) {
      if (g[j] != m_nMedian || rank-- != 0) continue;
      const BYTE* c = m_colour.GetBits(x + j, y + k);
      pixel[0] = c[0];
      pixel[1] = c[1];
      pixel[2] = c[2];
      return;
    }
  }
}

CQorPixelOilPaint::CQorPixelOilPaint(int radius)
    : m_nRadius(radius < 2 ? 1 : radius > kMaxRadius ? kMaxRadius : radius), m_nWindow(2 * m_nRadius + 1) {}

void CQorPixelOilPaint::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed()) return;
  if (!ExtendCopy(m_backup, m_nRadius)) {
    FailRun();
    return;
  }
  m_gray = m_backup;  // owned source: a deep copy
  CQorPixelConvertTo8BitGray toGray;
  if (!m_gray.IsValidImage() || !m_gray.SinglePixelProcessProc(toGray, nullptr) || m_gray.ColorBits() != 8)
    FailRun();
}

void CQorPixelOilPaint::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  int counts[256] = {};
  int best = 0, bestX = x, bestY = y;
  for (int k = 0; k < m_nWindow; ++k) {
    const BYTE* g = m_gray.GetBits(x, y + k);
    for (int j = 0; j < m_nWindow; ++j) {
      const int c = ++counts[g[j]];
      if (c > best) {
        best = c;
        bestX = x + j;
        bestY = y + k;
      }
    }
  }
  const BYTE* s = m_backup.GetBits(bestX, bestY);
  pixel[0] = s[0];
  pixel[1] = s[1];
  pixel[2] = s[2];
}

}  // namespace QorPixelmill
