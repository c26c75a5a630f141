#include "QorPixelBlurs.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "QorPixelGeometry.h"

namespace QorPixelmill {

namespace {

constexpr double kPi = 3.141592653589793;

// Alpha-weighted sums: colour x alpha per channel and alpha (255 for pixels without alpha).
struct Sums {
  int64_t c[3] = {0, 0, 0};
  int64_t a = 0;
  int64_t n = 0;
  void Add(const BYTE* p, bool hasAlpha, int sign = 1) {
    const int64_t w = hasAlpha ? p[3] : 255;
    for (int i = 0; i < 3; ++i) c[i] += sign * p[i] * w;
    a += sign * w;
    n += sign;
  }
};

}  // namespace

void CQorPixelBlurBox::OnEnterProcess(CQorObjImage* image) {
  CQorPixelWholeImageBase::OnEnterProcess(image);
  if (RunFailed()) return;
  const int half = m_nSize / 2;
  const int w = m_backup.Width();
  m_backup.ExpandFrame(m_bFillEdges, half, half, half, half);
  if (m_backup.Width() != w + 2 * half) FailRun();
}

int CQorPixelBlurBox::ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height(), s = m_nSize;
  const bool alpha = image->ColorBits() == 32;
  const int bpp = image->ColorBits() / 8;
  const int64_t area = int64_t{s} * s;
  Sums first;  // the window at column 0 of the current row
  for (int j = 0; j < s; ++j)
    for (int i = 0; i < s; ++i) first.Add(m_backup.GetBits(i, j), alpha);
  auto put = [&](BYTE* p, const Sums& sum) {
    for (int i = 0; i < 3; ++i) p[i] = static_cast<BYTE>(sum.a == 0 ? 0 : std::min<int64_t>(sum.c[i] / sum.a, 255));
    if (alpha) p[3] = static_cast<BYTE>(std::min<int64_t>(sum.a / area, 255));
  };
  for (int y = 0; y < h; ++y) {
    if (y > 0)
      for (int i = 0; i < s; ++i) {
        first.Add(m_backup.GetBits(i, y + s - 1), alpha);
        first.Add(m_backup.GetBits(i, y - 1), alpha, -1);
      }
    Sums window = first;
    BYTE* row = image->GetBits(y);
    put(row, window);
    for (int x = 1; x < w; ++x) {
      for (int j = y; j < y + s; ++j) {
        window.Add(m_backup.GetBits(x + s - 1, j), alpha);
        window.Add(m_backup.GetBits(x - 1, j), alpha, -1);
      }
      put(row + x * bpp, window);
    }
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

int CQorPixelBlurZoom::ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height(), cx = w / 2, cy = h / 2;
  const bool alpha = image->ColorBits() == 32;
  const int bpp = image->ColorBits() / 8;
  for (int y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    for (int x = 0; x < w; ++x) {
      Sums sum;
      for (int i = 0; i < m_nLength; ++i) {
        const double scale = 1.0 + 0.02 * i;
        const double fx = std::trunc((x - cx) * scale + cx), fy = std::trunc(scale * (y - cy) + cy);
        if (!(fx >= 0 && fx < w && fy >= 0 && fy < h)) break;
        sum.Add(m_backup.GetBits(static_cast<int>(fx), static_cast<int>(fy)), alpha);
      }
      BYTE* p = row + x * bpp;
      if (sum.a != 0)
        for (int i = 0; i < 3; ++i) p[i] = static_cast<BYTE>(sum.c[i] / sum.a);
      if (alpha && sum.n > 0) p[3] = static_cast<BYTE>(sum.a / sum.n);
    }
    // A cancelled zoom still reports success.
    if (ReportRowProgress(progress, y, h)) return 1;
  }
  return 1;
}

int CQorPixelBlurRadial::ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height(), cx = w / 2, cy = h / 2;
  const bool alpha = image->ColorBits() == 32;
  const int bpp = image->ColorBits() / 8;
  const double my = std::max(cy, h - cy), mx = std::max(cx, w - cx);
  const int farthest = static_cast<int>(std::sqrt(my * my + mx * mx));
  const double a = m_nAngle * kPi / 180;
  const int n = static_cast<int>(std::sqrt(static_cast<double>(farthest)) * a * 4.0 + 2.0);
  std::vector<double> cosines(static_cast<size_t>(n)), sines(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const double theta = i * a / (n - 1) - a / 2;
    cosines[i] = std::cos(theta);
    sines[i] = std::sin(theta);
  }
  for (int y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    for (int x = 0; x < w; ++x) {
      const int dx = x - cx, dy = y - cy;
      const int r = static_cast<int>(std::sqrt(static_cast<double>(dx * dx + dy * dy)));
      const int stride = r == 0 ? 1 : BoundInt(farthest / r, 1, n - 1);
      Sums sum;
      for (int i = 0; i < n; i += stride) {
        const double fx = std::trunc(cosines[i] * dx + cx - dy * sines[i]);
        const double fy = std::trunc(dx * sines[i] + cy + cosines[i] * dy);
        if (!(fx >= 0 && fx < w && fy >= 0 && fy < h)) continue;
        sum.Add(m_backup.GetBits(static_cast<int>(fx), static_cast<int>(fy)), alpha);
      }
      BYTE* p = row + x * bpp;
      if (sum.a != 0)
        for (int i = 0; i < 3; ++i) p[i] = static_cast<BYTE>(sum.c[i] / sum.a);
      if (alpha && sum.n > 0) p[3] = static_cast<BYTE>(sum.a / sum.n);
    }
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

int CPixelBlurMotion::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  const int w = image->Width(), h = image->Height();
  if (w < 5) return 0;
  if (m_direction != DIRECT_RIGHT && m_direction != DIRECT_LEFT) return 0;
  int d = std::min(m_nDistance, w - 2);
  if (d <= 2) d = 2;
  const int bpp = image->ColorBits() / 8;
  const int step = m_direction == DIRECT_RIGHT ? 1 : -1;
  const int start = m_direction == DIRECT_RIGHT ? 0 : w - 1;
  for (int y = 0; y < h; ++y) {
    BYTE* row = image->GetBits(y);
    auto at = [&](int k) { return row + static_cast<ptrdiff_t>(start + k * step) * bpp; };
    BYTE edge[4];
    std::memcpy(edge, m_direction == DIRECT_RIGHT ? row + (w - 1) * bpp : row, static_cast<size_t>(bpp));
    int64_t sum[4] = {0, 0, 0, 0};
    for (int k = 0; k < d; ++k)
      for (int i = 0; i < bpp; ++i) sum[i] += at(k)[i];
    for (int k = 0; k < w - 2; ++k) {
      BYTE value[4];
      for (int i = 0; i < bpp; ++i) value[i] = static_cast<BYTE>(std::min<int64_t>(sum[i] / d, 255));
      BYTE* p = at(k);
      const BYTE* in = k < w - d ? at(k + d) : edge;
      for (int i = 0; i < bpp; ++i) sum[i] += in[i] - p[i];
      std::memcpy(p, value, static_cast<size_t>(bpp));
    }
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

namespace {

struct GaussCoefficients {
  double n_p[5], n_m[5], d_p[5], d_m[5], bd_p[5], bd_m[5];
};

GaussCoefficients FindConstants(double sigma) {
  GaussCoefficients k{};
  const double div = std::sqrt(2 * kPi) * sigma;
  const double x0 = -1.783 / sigma, x1 = -1.723 / sigma, x2 = 0.6318 / sigma, x3 = 1.997 / sigma;
  const double x4 = 1.6803 / div, x5 = 3.735 / div, x6 = -0.6803 / div, x7 = -0.2598 / div;
  k.n_p[0] = x4 + x6;
  k.n_p[1] = std::exp(x1) * (x7 * std::sin(x3) - (x6 + 2 * x4) * std::cos(x3)) +
             std::exp(x0) * (x5 * std::sin(x2) - (2 * x6 + x4) * std::cos(x2));
  k.n_p[2] = 2 * std::exp(x0 + x1) *
                 ((x4 + x6) * std::cos(x3) * std::cos(x2) - x5 * std::cos(x3) * std::sin(x2) -
                  x7 * std::cos(x2) * std::sin(x3)) +
             x6 * std::exp(2 * x0) + x4 * std::exp(2 * x1);
  k.n_p[3] = std::exp(x1 + 2 * x0) * (x7 * std::sin(x3) - x6 * std::cos(x3)) +
             std::exp(x0 + 2 * x1) * (x5 * std::sin(x2) - x4 * std::cos(x2));
  k.n_p[4] = 0.0;
  k.d_p[0] = 0.0;
  k.d_p[1] = -2 * std::exp(x1) * std::cos(x3) - 2 * std::exp(x0) * std::cos(x2);
  k.d_p[2] = 4 * std::cos(x3) * std::cos(x2) * std::exp(x0 + x1) + std::exp(2 * x1) + std::exp(2 * x0);
  k.d_p[3] = -2 * std::cos(x2) * std::exp(x0 + 2 * x1) - 2 * std::cos(x3) * std::exp(x1 + 2 * x0);
  k.d_p[4] = std::exp(2 * x0 + 2 * x1);
  for (int i = 0; i < 5; ++i) k.d_m[i] = k.d_p[i];
  k.n_m[0] = 0.0;
  for (int i = 1; i < 5; ++i) k.n_m[i] = k.n_p[i] - k.d_p[i] * k.n_p[0];
  double sum_n_p = 0, sum_n_m = 0, sum_d = 0;
  for (int i = 0; i < 5; ++i) {
    sum_n_p += k.n_p[i];
    sum_n_m += k.n_m[i];
    sum_d += k.d_p[i];
  }
  const double a = sum_n_p / (1 + sum_d), b = sum_n_m / (1 + sum_d);
  for (int i = 0; i < 5; ++i) {
    k.bd_p[i] = k.d_p[i] * a;
    k.bd_m[i] = k.d_m[i] * b;
  }
  return k;
}

}  // namespace

int CQorPixelBlurGaussIIR::GaussIIRBlurImage(CQorObjImage* image, int radius, CQorCommonProgress* progress) {
  if (!image || !image->IsValidImage() || image->ColorBits() < 24) return 0;
  const int r = std::max(radius + 1, 2);
  const double sigma = std::sqrt(-double(r) * r / (2 * std::log(1.0 / 255)));
  const GaussCoefficients k = FindConstants(sigma);
  const int w = image->Width(), h = image->Height(), bpp = image->ColorBits() / 8;
  // Each row reads its own unchanged copy.
  std::vector<BYTE> rowCopy(static_cast<size_t>(w) * bpp);
  std::vector<double> fwd(static_cast<size_t>(3) * w), bwd(static_cast<size_t>(3) * w);
  for (int y = 0; y < h; ++y) {
    std::fill(fwd.begin(), fwd.end(), 0.0);
    std::fill(bwd.begin(), bwd.end(), 0.0);
    std::memcpy(rowCopy.data(), image->GetBits(y), rowCopy.size());
    const BYTE* src = rowCopy.data();
    const BYTE* firstPixel = src;
    const BYTE* lastPixel = src + (w - 1) * bpp;
    for (int col = 0; col < w; ++col) {
      const int t = std::min(col, 4);
      const int f = col, b = w - 1 - col;
      for (int c = 0; c < 3; ++c) {
        double& vp = fwd[static_cast<size_t>(f) * 3 + c];
        for (int i = 0; i <= t; ++i)
          vp += k.n_p[i] * src[(f - i) * bpp + c] - k.d_p[i] * fwd[static_cast<size_t>(f - i) * 3 + c];
        for (int j = t + 1; j <= 4; ++j) vp += (k.n_p[j] - k.bd_p[j]) * firstPixel[c];
        double& vm = bwd[static_cast<size_t>(b) * 3 + c];
        for (int i = 0; i <= t; ++i)
          vm += k.n_m[i] * src[(b + i) * bpp + c] - k.d_m[i] * bwd[static_cast<size_t>(b + i) * 3 + c];
        for (int j = t + 1; j <= 4; ++j) vm += (k.n_m[j] - k.bd_m[j]) * lastPixel[c];
      }
    }
    BYTE* out = image->GetBits(y);
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        const double v = std::trunc(fwd[static_cast<size_t>(x) * 3 + c] + bwd[static_cast<size_t>(x) * 3 + c]);
        out[x * bpp + c] = static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v);
      }
    if (ReportRowProgress(progress, y, h)) return 0;
  }
  return 1;
}

int CQorPixelBlurGaussIIR::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  int result;
  {
    CQorProgressSubRange range(progress, 0.3f);
    result = GaussIIRBlurImage(image, m_nHorizontal, progress);
  }
  if (!result) return 0;
  {
    CQorProgressSubRange range(progress, 0.2f);
    CQorPixelRotate90 turn;
    result = image->SinglePixelProcessProc(turn, progress);
  }
  if (!result) return 0;
  {
    CQorProgressSubRange range(progress, 0.3f);
    result = GaussIIRBlurImage(image, m_nVertical, progress);
  }
  if (!result) return 0;
  CQorProgressSubRange range(progress, 0.2f);
  CQorPixelRotate270 back;
  return image->SinglePixelProcessProc(back, nullptr);
}

}  // namespace QorPixelmill
