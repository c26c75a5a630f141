#include "QorPixelDistort.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace QorPixelmill {

namespace {

constexpr double kPi = 3.141592653589793;

bool InSource(double x, double y, int w, int h) { return x >= 0 && x <= w - 1 && y >= 0 && y <= h - 1; }

}  // namespace

bool CQorPixelBilinearDistord::ValidateColorBits(const CQorObjImage* image) {
  return Is32BitImage(image) && image->Width() >= 2 && image->Height() >= 2;
}

void CQorPixelBilinearDistord::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  double sx = 0, sy = 0;
  if (!calc_undistorted_coord(x, y, sx, sy)) return;
  // An overflowing mapping (infinite or NaN) has no place to sample: truncating it would read
  // far outside the copy.
  if (!std::isfinite(sx) || !std::isfinite(sy)) return;
  const int w = m_backup.Width(), h = m_backup.Height();
  sx = std::max(std::min(sx, w - 1.1), 0.0);
  sy = std::max(std::min(sy, h - 1.1), 0.0);
  const int ix = static_cast<int>(sx), iy = static_cast<int>(sy);
  const DWORD v = BilinearSample(m_backup.GetBits(ix, iy), m_backup.GetBits(ix + 1, iy), m_backup.GetBits(ix, iy + 1),
                                 m_backup.GetBits(ix + 1, iy + 1), true, sx - ix, sy - iy);
  std::memcpy(pixel, &v, static_cast<size_t>(std::min(image->ColorBits() / 8, 4)));
}

void CQorPixelBilinearDistord::RecreateEmpty(CQorObjImage* image, double width, double height) {
  if (RunFailed()) return;
  // Corners without area (or beyond any image size) would leave nothing of the picture.
  if (!(width >= 1 && height >= 1 && width <= 1 << 20 && height <= 1 << 20)) {
    FailRun();
    return;
  }
  CQorObjImage fresh;
  if (!fresh.Create(static_cast<int>(width), static_cast<int>(height), image->ColorBits(), 0)) {
    FailRun();
    return;
  }
  ReplaceImage(*image, fresh);
}

void CQorPixelBilinearDistord::ClearImage(CQorObjImage* image) {
  for (int y = 0; y < image->Height(); ++y)
    std::memset(image->GetBits(y), 0, static_cast<size_t>(image->Width()) * (image->ColorBits() / 8));
}

void CQorPixelCylinder::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  m_columns.clear();
  const int w = image->Width();
  const double half = w * 0.5;
  for (int x = 0; x < w; ++x) m_columns.push_back(std::acos((half - x) / half) * w / kPi);
}

bool CQorPixelCylinder::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  if (x < 0 || static_cast<size_t>(x) >= m_columns.size()) return false;
  srcX = m_columns[static_cast<size_t>(x)];
  srcY = y;
  return true;
}

namespace {

struct Aspect {
  double sx, sy, cx, cy;
};

Aspect AspectOf(int w, int h) {
  return Aspect{w < h ? double(h) / w : 1.0, w > h ? double(w) / h : 1.0, w * 0.5, h * 0.5};
}

}  // namespace

CQorPixelWave::CQorPixelWave(int waveLength, int amplitude, double phase)
    : m_dPhase(std::isfinite(phase) ? phase : 0.0),
      m_nAmplitude(BoundInt(amplitude, 1, 1 << 20)),
      m_nPeriod(2 * BoundInt(waveLength, 1, 1 << 20)) {}

bool CQorPixelWave::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const Aspect a = AspectOf(m_backup.Width(), m_backup.Height());
  const double dx = a.sx * (x - a.cx), dy = a.sy * (y - a.cy);
  const double d = std::sqrt(dx * dx + dy * dy);
  const double shift = m_nAmplitude * std::sin(d * 2.0 * kPi / m_nPeriod + m_dPhase);
  srcX = (dx + shift) / a.sx + a.cx;
  srcY = (dy + shift) / a.sy + a.cy;
  return true;
}

CQorPixelWhirlPinch::CQorPixelWhirlPinch(double whirl, double pinch)
    : m_dWhirl(std::isfinite(whirl) ? std::clamp(whirl, -2 * kPi, 2 * kPi) : 0.0),
      m_dPinch(std::isfinite(pinch) ? std::clamp(pinch, -1.0, 1.0) : 0.0) {}

bool CQorPixelWhirlPinch::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const Aspect a = AspectOf(m_backup.Width(), m_backup.Height());
  const double radius = std::max(a.cx, a.cy);
  double dx = a.sx * (x - a.cx), dy = a.sy * (y - a.cy);
  const double d = std::sqrt(dx * dx + dy * dy);
  srcX = x;
  srcY = y;
  if (d < kPixelEpsilon || d >= radius) return false;
  const double f = d / radius;
  const double p = std::pow(std::sin(kPi / 2 * f), -m_dPinch);
  dx *= p;
  dy *= p;
  const double angle = m_dWhirl * (1 - f) * (1 - f);
  const double c = std::cos(angle), s = std::sin(angle);
  srcX = (c * dx - s * dy) / a.sx + a.cx;
  srcY = (s * dx + c * dy) / a.sy + a.cy;
  return true;
}

bool CQorPixelFractalTrace::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const int w = m_backup.Width(), h = m_backup.Height();
  const double kx = 1.5 / w, ky = 2.0 / h;
  const double cre = kx * x - 1.0, cim = ky * y - 1.0;
  double re = cre, im = cim;
  for (int i = 0; i < m_nIterations; ++i) {
    const double nre = re * re - im * im + cre;
    im = 2 * re * im + cim;
    re = nre;
  }
  srcX = (re + 1.0) / kx;
  srcY = (im + 1.0) / ky;
  if (srcX >= 0 && srcX < w && srcY >= 0 && srcY < h) return true;
  srcX = std::fmod(srcX, w);
  if (srcX < 0) srcX += w;
  srcY = std::fmod(srcY, h);
  if (srcY < 0) srcY += h;
  return true;
}

void CQorPixelLens::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  if (!m_bKeep && !RunFailed()) ClearImage(image);
}

bool CQorPixelLens::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const double cx = m_backup.Width() * 0.5, cy = m_backup.Height() * 0.5;
  const double dx = x - cx, dy = cy - y;
  if (!(cy * cy - dx * dx * cy * cy / (cx * cx) > dy * dy)) return false;
  const double r = std::min(cx, cy);
  const double z = std::sqrt(r * r * (1 - dx * dx / (cx * cx) - dy * dy / (cy * cy)));
  const double ax = std::acos(dx / std::sqrt(z * z + dx * dx)), ay = std::acos(dy / std::sqrt(z * z + dy * dy));
  const double tx = kPi / 2 - ax, ty = kPi / 2 - ay;
  const double nx = dx - std::tan(tx - std::asin(std::sin(tx) / m_dRefraction)) * z;
  const double ny = dy - std::tan(ty - std::asin(std::sin(ty) / m_dRefraction)) * z;
  srcX = nx + cx;
  srcY = cy - ny;
  return true;
}

CQorPixelSkew::CQorPixelSkew(const POINT corners[4]) {
  for (int i = 0; i < 4; ++i) m_pt[i] = corners[i];
}

void CQorPixelSkew::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  m_nWidth = image->Width();
  m_nHeight = image->Height();
  const double w = std::max(std::fabs(double(m_pt[1].x) - m_pt[3].x), std::fabs(double(m_pt[0].x) - m_pt[2].x));
  const double h = std::max(std::fabs(double(m_pt[1].y) - m_pt[3].y), std::fabs(double(m_pt[0].y) - m_pt[2].y));
  RecreateEmpty(image, w, h);
  if (!RunFailed()) {
    m_nNewWidth = static_cast<int>(w);
    m_nNewHeight = static_cast<int>(h);
  }
}

bool CQorPixelSkew::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const double nw = m_nNewWidth, nh = m_nNewHeight;
  if (m_pt[0].x != m_pt[3].x) {
    const double e = double(m_pt[0].x) - m_pt[3].x;
    const double t = e < 1 ? y : nh - y;
    srcX = x - std::fabs(e) * t / nh;
    srcY = double(m_nHeight) * y / nh;
  } else if (m_pt[0].y != m_pt[1].y) {
    const double e = double(m_pt[0].y) - m_pt[1].y;
    const double t = e >= 1 ? nw - x : x;
    srcX = double(m_nWidth) * x / nw;
    srcY = y - std::fabs(e) * t / nw;
  } else {
    srcX = x;
    srcY = y;
  }
  return InSource(srcX, srcY, m_nWidth, m_nHeight);
}

void CQorPixelPerspective::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  m_nWidth = image->Width();
  m_nHeight = image->Height();
  const double w = std::max(std::fabs(double(m_pt[2].x) - m_pt[3].x), std::fabs(double(m_pt[0].x) - m_pt[1].x));
  const double h = std::max(std::fabs(double(m_pt[1].y) - m_pt[2].y), std::fabs(double(m_pt[0].y) - m_pt[3].y));
  RecreateEmpty(image, w, h);
  if (!RunFailed()) {
    m_nNewWidth = static_cast<int>(w);
    m_nNewHeight = static_cast<int>(h);
  }
}

bool CQorPixelPerspective::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const double nw = m_nNewWidth, nh = m_nNewHeight;
  // In doubles: an edge collapsed to a point makes the divisor 0, and the infinite place is
  // then skipped by the sampler.
  if (m_pt[0].y == m_pt[1].y) {
    if (m_pt[0].x == m_pt[3].x) {
      srcX = x;
      srcY = y;
    } else {
      const double a = std::fabs(double(m_pt[0].x) - m_pt[1].x), b = std::fabs(double(m_pt[2].x) - m_pt[3].x);
      const double t = a - b < 1 ? nh - y : y;
      const double off = std::fabs(t * (a - b)) / (2 * nh);
      srcX = (x - off) * m_nWidth / (nw - 2 * off);
      srcY = double(m_nHeight) * y / nh;
    }
  } else {
    const double c = std::fabs(double(m_pt[1].y) - m_pt[2].y), e = std::fabs(double(m_pt[0].y) - m_pt[3].y);
    const double t = e - c < 1 ? nw - x : x;
    const double off = std::fabs(t * (e - c)) / (2 * nw);
    srcY = (y - off) * m_nHeight / (nh - 2 * off);
    srcX = double(m_nWidth) * x / nw;
  }
  return InSource(srcX, srcY, m_nWidth, m_nHeight);
}

CQorPixelRotate::CQorPixelRotate(int degrees) {
  int a = degrees % 360;
  if (a < 0) a += 360;
  m_dForward = a * kPi / 180;
  m_dInverse = (360 - a) * kPi / 180;
}

void CQorPixelRotate::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  m_nWidth = image->Width();
  m_nHeight = image->Height();
  const double cx = m_nWidth * 0.5, cy = m_nHeight * 0.5;
  const POINT corners[4] = {RotatePointAround(0, 0, cx, cy, m_dForward), RotatePointAround(m_nWidth, 0, cx, cy, m_dForward),
                            RotatePointAround(0, m_nHeight, cx, cy, m_dForward),
                            RotatePointAround(m_nWidth, m_nHeight, cx, cy, m_dForward)};
  int minX = corners[0].x, maxX = minX, minY = corners[0].y, maxY = minY;
  for (const POINT& p : corners) {
    minX = std::min<int>(minX, p.x);
    maxX = std::max<int>(maxX, p.x);
    minY = std::min<int>(minY, p.y);
    maxY = std::max<int>(maxY, p.y);
  }
  RecreateEmpty(image, maxX - minX, maxY - minY);
  if (!RunFailed()) {
    m_nNewWidth = maxX - minX;
    m_nNewHeight = maxY - minY;
  }
}

bool CQorPixelRotate::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  const POINT p = RotatePointAround(x, y, (m_nNewWidth - 1) * 0.5, (m_nNewHeight - 1) * 0.5, m_dInverse);
  srcX = p.x - (m_nNewWidth - m_nWidth) * 0.5;
  srcY = p.y - (m_nNewHeight - m_nHeight) * 0.5;
  return InSource(srcX, srcY, m_nWidth, m_nHeight);
}

void CQorPixelRibbon::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  if (RunFailed()) return;
  ClearImage(image);
  const int w = image->Width();
  m_nHeight = image->Height();
  m_nAmplitude = static_cast<int>(int64_t{m_nSwing} * m_nHeight * 75 / 100 / 100);
  const double step = m_nFrequency * kPi / w / 10.0;
  m_offsets.clear();
  for (int x = 0; x < w; ++x) m_offsets.push_back(RoundHalfAwayInt((1 - std::cos(x * step)) * m_nAmplitude * 0.5));
}

bool CQorPixelRibbon::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  if (x < 0 || static_cast<size_t>(x) >= m_offsets.size()) return false;
  srcX = x;
  const int sy = m_nAmplitude - m_offsets[static_cast<size_t>(x)] + y;
  srcY = sy;
  return sy >= m_nAmplitude && sy <= m_nHeight - 1;
}

void CQorPixelSmallTile::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBilinearDistord::OnEnterProcess(image);
  m_nWidth = image->Width();
  m_nHeight = image->Height();
}

bool CQorPixelSmallTile::calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const {
  srcX = static_cast<double>(int64_t{m_nColumns} * x % m_nWidth);
  srcY = static_cast<double>(int64_t{m_nRows} * y % m_nHeight);
  return true;
}

CQorPixelShift::CQorPixelShift(int maxShift) : m_nMaxShift(BoundInt(maxShift, 0, kQorRandMax)) { QorSrandTime(); }

void CQorPixelShift::ProcessPixel(CQorObjImage* image, int x, int, unsigned char* pixel) {
  const int r0 = QorRand() % (m_nMaxShift + 1);
  if (x != 0 || m_nMaxShift <= 0 || r0 <= 0) return;
  const int w = image->Width();
  const size_t bpp = static_cast<size_t>(image->ColorBits() / 8);
  // A shift beyond the row moves nothing and fills the whole row, in either direction.
  const int r = std::min(r0, w);
  std::vector<unsigned char> first(pixel, pixel + bpp), last(pixel + (w - 1) * bpp, pixel + w * bpp);
  if ((QorRand() & 1) == 0) {
    std::memmove(pixel, pixel + r * bpp, (w - r) * bpp);
    for (int i = w - r; i < w; ++i) std::memcpy(pixel + i * bpp, last.data(), bpp);
  } else {
    std::memmove(pixel + r * bpp, pixel, (w - r) * bpp);
    for (int i = 0; i < r; ++i) std::memcpy(pixel + i * bpp, first.data(), bpp);
  }
}

}  // namespace QorPixelmill
