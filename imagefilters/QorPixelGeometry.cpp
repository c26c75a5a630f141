#include "QorPixelGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace QorPixelmill {

namespace {

constexpr double kPi = 3.141592653589793;

void CopyPixel(unsigned char* to, const BYTE* from, int bytes) { std::memcpy(to, from, static_cast<size_t>(bytes)); }

void PutColor(unsigned char* pixel, const RGBQUAD& c, int bytes) {
  pixel[0] = c.rgbBlue;
  pixel[1] = c.rgbGreen;
  pixel[2] = c.rgbRed;
  if (bytes == 4) pixel[3] = c.rgbReserved;
}

RECT Shrunk(const RECT& r, int by) { return RECT{r.left + by, r.top + by, r.right - by, r.bottom - by}; }

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

// Colour of a ring between `outer` and `inner`: `first` on the top and left parts, `second` on
// the bottom and right parts, the corners split along their diagonals.
const RGBQUAD& RingColor(int x, int y, const RECT& outer, const RECT& inner, const RGBQUAD& first,
                         const RGBQUAD& second) {
  const int height = outer.bottom - outer.top;
  bool second_part;
  if (x < inner.left)
    second_part = y - outer.top >= height - (x - outer.left);
  else if (x < inner.right)
    second_part = y >= inner.top;
  else
    second_part = y - outer.top >= outer.right - x;
  return second_part ? second : first;
}

}  // namespace

void CQorPixelRotate90::RecreateFromBackup(CQorObjImage* image, int width, int height) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed()) return;
  const int bits = m_backup.ColorBits();
  CQorObjImage fresh;
  if (!fresh.Create(width, height, bits, bits <= 8 ? m_backup.GetPaletteEntryCount() : 0)) {
    FailRun();
    return;
  }
  if (bits <= 8) fresh.CopyPalette(m_backup);
  ReplaceImage(*image, fresh);
}

void CQorPixelRotate90::OnEnterProcess(CQorObjImage* image) {
  RecreateFromBackup(image, image->Height(), image->Width());
}

void CQorPixelRotate90::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  CopyPixel(pixel, m_backup.GetBits(y, m_backup.Height() - 1 - x), image->ColorBits() / 8);
}

void CQorPixelRotate180::OnEnterProcess(CQorObjImage* image) {
  RecreateFromBackup(image, image->Width(), image->Height());
}

void CQorPixelRotate180::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  CopyPixel(pixel, m_backup.GetBits(m_backup.Width() - 1 - x, m_backup.Height() - 1 - y), image->ColorBits() / 8);
}

void CQorPixelRotate270::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  CopyPixel(pixel, m_backup.GetBits(m_backup.Width() - 1 - y, x), image->ColorBits() / 8);
}

DWORD CQorPixelMosaic::GetBlockAverage(int x, int y) const {
  const int right = std::min(x + m_nSize, m_backup.Width()), bottom = std::min(y + m_nSize, m_backup.Height());
  const int area = std::max(right - x, 0) * std::max(bottom - y, 0);
  double sb = 0, sg = 0, sr = 0, sa = 0;
  for (int j = y; j < bottom; ++j)
    for (int i = x; i < right; ++i) {
      const BYTE* p = m_backup.GetBits(i, j);
      sb += double(p[0]) * p[3];
      sg += double(p[1]) * p[3];
      sr += double(p[2]) * p[3];
      sa += p[3];
    }
  const DWORD a = area == 0 ? 255 : static_cast<DWORD>(sa / area);
  if (sa == 0) return a << 24;
  return static_cast<DWORD>(sb / sa) | static_cast<DWORD>(sg / sa) << 8 | static_cast<DWORD>(sr / sa) << 16 | a << 24;
}

void CQorPixelMosaic::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  if (x % m_nSize == 0 && y % m_nSize == 0) {
    const DWORD v = GetBlockAverage(x, y);
    std::memcpy(pixel, &v, 4);
  } else {
    CopyPixel(pixel, image->GetBits(x / m_nSize * m_nSize, y / m_nSize * m_nSize), 4);
  }
}

void CQorPixelIllusion::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  const double w = image->Width(), h = image->Height();
  const double diagonal = std::sqrt(w * w + h * h);
  m_dHalfDiagonal = diagonal * 0.5;
  m_dShift = std::trunc(diagonal * 0.25);
}

void CQorPixelIllusion::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  const int w = image->Width(), h = image->Height();
  const double dx = (x - w * 0.5) / m_dHalfDiagonal, dy = (y - h * 0.5) / m_dHalfDiagonal;
  const double unit = kPi / m_nDivisions;
  const double angle = (2.0 * std::floor(std::atan2(dy, dx) * 0.5 / unit) + 1.0) * unit;
  const double r = std::sqrt(dx * dx + dy * dy);
  const int sx = BoundInt(static_cast<int>(x - std::cos(angle) * m_dShift), 0, w - 1);
  const int sy = BoundInt(static_cast<int>(y - std::sin(angle) * m_dShift), 0, h - 1);
  const BYTE* src = m_backup.GetBits(sx, sy);
  const int bytes = image->ColorBits() / 8;
  for (int i = 0; i < bytes; ++i)
    pixel[i] = static_cast<unsigned char>(ClampByte(pixel[i] + static_cast<int>((src[i] - pixel[i]) * r)));
}

CQorPixelSplash::CQorPixelSplash(int size) : m_nSize(size < 4 ? 3 : size) { QorSrandTime(); }

void CQorPixelSplash::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  const int dx = QorRand() % m_nSize - m_nSize / 2;
  const int dy = QorRand() % m_nSize - m_nSize / 2;
  const int sx = BoundInt(x + dx, 0, image->Width() - 1), sy = BoundInt(y + dy, 0, image->Height() - 1);
  CopyPixel(pixel, m_backup.GetBits(sx, sy), image->ColorBits() / 8);
}

void CPixelDeinterlace::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  if (y == 0 || y == image->Height() - 1 || y % 2 != m_field) return;
  const BYTE* a = image->GetBits(x, y - 1);
  const BYTE* b = image->GetBits(x, y + 1);
  const int s = a[3] + b[3];
  pixel[3] = static_cast<unsigned char>(s / 2);
  if (s <= 1) return;
  for (int i = 0; i < 3; ++i) pixel[i] = static_cast<unsigned char>((a[i] * a[3] + b[i] * b[3]) / s);
}

bool CQorPixelSpliteChannelRGB::ValidateColorBits(const CQorObjImage* image) {
  if (!CQorSinglePixelProcessBase::ValidateColorBits(image)) return false;
  // An output that is the source itself would be re-created under the run.
  return image != m_pRed && image != m_pGreen && image != m_pBlue;
}

void CQorPixelSpliteChannelRGB::OnEnterProcess(CQorObjImage* image) {
  for (CQorObjImage* out : {m_pRed, m_pGreen, m_pBlue})
    if (out) out->Create(image->Width(), image->Height(), 32, 0);
}

void CQorPixelSpliteChannelRGB::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  // A 24-bit pixel has no alpha byte: its channel images are opaque.
  const BYTE alpha = image->ColorBits() == 32 ? pixel[3] : 255;
  const std::pair<CQorObjImage*, int> outs[] = {{m_pBlue, 0}, {m_pGreen, 1}, {m_pRed, 2}};
  for (const auto& [out, channel] : outs) {
    if (!out || !out->IsInside(x, y)) continue;
    BYTE* p = out->GetBits(x, y);
    p[0] = p[1] = p[2] = pixel[channel];
    p[3] = alpha;
  }
}

bool CQorPixelCombineChannelRGB::ValidateColorBits(const CQorObjImage* image) {
  if (!image || !m_pRed || !m_pGreen || !m_pBlue) return false;
  if (image == m_pRed || image == m_pGreen || image == m_pBlue) return false;
  const int w = m_pRed->Width(), h = m_pRed->Height();
  for (const CQorObjImage* in : {m_pRed, m_pGreen, m_pBlue})
    if (!in->IsValidImage() || in->ColorBits() != 8 || in->Width() != w || in->Height() != h) return false;
  // The check re-creates the target (the driver hands the image over as read-only here); when
  // memory runs out the target is kept.
  CQorObjImage fresh;
  if (!fresh.Create(w, h, 32, 0)) return false;
  CQorObjImage& target = *const_cast<CQorObjImage*>(image);
  target = fresh;
  return target.ColorBits() == 32 && target.Width() == w && target.Height() == h;
}

void CQorPixelCombineChannelRGB::ProcessPixel(CQorObjImage*, int x, int y, unsigned char* pixel) {
  pixel[0] = *m_pBlue->GetBits(x, y);
  pixel[1] = *m_pGreen->GetBits(x, y);
  pixel[2] = *m_pRed->GetBits(x, y);
  pixel[3] = 255;
}

void CQorPixelFill3DSolidFrame::OnEnterProcess(CQorObjImage* image) {
  const int q = (m_nWidth + 3) / 4;
  m_rcImage = RECT{0, 0, image->Width(), image->Height()};
  m_rc1 = Shrunk(m_rcImage, q);
  m_rc2 = Shrunk(m_rc1, m_nWidth - 2 * q);
  m_rc3 = Shrunk(m_rc2, q);
}

void CQorPixelFill3DSolidFrame::ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) {
  static constexpr RGBQUAD kLight{255, 255, 255, 255}, kFace{192, 192, 192, 255}, kShadow{128, 128, 128, 255};
  const int bytes = image->ColorBits() / 8;
  if (Inside(m_rc3, x, y)) return;
  if (Inside(m_rc2, x, y))
    PutColor(pixel, RingColor(x, y, m_rc2, m_rc3, kShadow, kLight), bytes);
  else if (Inside(m_rc1, x, y))
    PutColor(pixel, kFace, bytes);
  else
    PutColor(pixel, RingColor(x, y, m_rcImage, m_rc1, kLight, kShadow), bytes);
}

}  // namespace QorPixelmill
