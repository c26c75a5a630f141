// Fill colour, transparency and the depth conversions.
#include "QorPixelFilters.h"

#include <algorithm>
#include <cstdint>

namespace QorPixelmill {

namespace {
BYTE ClampByte(int64_t v) { return static_cast<BYTE>(std::clamp<int64_t>(v, 0, 255)); }
}  // namespace

// ---- fill colour ----

bool CQorPixelFillColor::ValidateColorBits(const CQorObjImage* image) {
  if (!image || !image->IsValidImage() || image->ColorBits() < 24) return false;
  m_bUseAlpha = (m_nAlpha != -1 && image->ColorBits() == 32) ? TRUE : FALSE;
  m_colour.rgbReserved = m_bUseAlpha ? ClampByte(m_nAlpha) : 0;
  return true;
}

void CQorPixelFillColor::ProcessPixel(CQorObjImage* /*image*/, int /*x*/, int /*y*/, unsigned char* pixel) {
  pixel[0] = m_colour.rgbBlue;
  pixel[1] = m_colour.rgbGreen;
  pixel[2] = m_colour.rgbRed;
  if (m_bUseAlpha) pixel[3] = m_colour.rgbReserved;
}

// ---- transparency ----

bool CQorPixelTransparency::ValidateColorBits(const CQorObjImage* image) {
  // The alpha byte exists only in 32-bit pixels.
  return image && image->IsValidImage() && image->ColorBits() == 32;
}

void CQorPixelTransparency::ProcessPixel(CQorObjImage* /*image*/, int /*x*/, int /*y*/, unsigned char* pixel) {
  pixel[3] = ClampByte(int64_t{pixel[3]} - m_nAmount);
}

void CQorPixelTransparency::ProcessSelectedPixel(CQorObjImage* /*image*/, int /*x*/, int /*y*/, unsigned char* pixel,
                                                 unsigned char weight) {
  pixel[3] = ClampByte(int64_t{pixel[3]} - int64_t{weight} * m_nAmount / 255);
}

// ---- conversion to 16 bits ----

WORD CQorPixelConvertTo16Bit::Combine16Bit_555(const void* pixel) {
  const BYTE* p = static_cast<const BYTE*>(pixel);
  return static_cast<WORD>((p[2] >> 3) << 10 | (p[1] >> 3) << 5 | (p[0] >> 3));
}

bool CQorPixelConvertTo16Bit::ValidateColorBits(const CQorObjImage* image) {
  return image && image->IsValidImage() && image->ColorBits() != 16;
}

void CQorPixelConvertTo16Bit::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed()) return;
  if (m_backup.ColorBits() <= 8) m_backup.ConvertTo24Bit();
  CQorObjImage target;
  if (m_backup.ColorBits() < 24 || !target.Create(image->Width(), image->Height(), 16, 0)) {
    FailRun();  // the image keeps its picture
    return;
  }
  ReplaceImage(*image, target);
}

void CQorPixelConvertTo16Bit::ProcessPixel(CQorObjImage* /*image*/, int x, int y, unsigned char* pixel) {
  const BYTE* src = m_backup.GetBits(x, y);
  const WORD word = Combine16Bit_555(src);
  pixel[0] = static_cast<BYTE>(word);
  pixel[1] = static_cast<BYTE>(word >> 8);
}

// ---- conversion to 8-bit grey ----

bool CQorPixelConvertTo8BitGray::ValidateColorBits(const CQorObjImage* image) {
  return image && image->IsValidImage();
}

void CQorPixelConvertTo8BitGray::OnEnterProcess(CQorObjImage* image) {
  CQorPixelBackupProcess::OnEnterProcess(image);
  if (RunFailed()) return;
  if (m_backup.ColorBits() <= 16) m_backup.ConvertTo24Bit();
  CQorObjImage target;
  if (m_backup.ColorBits() < 24 || !target.Create(image->Width(), image->Height(), 8, 256)) {
    FailRun();
    return;
  }
  RGBQUAD grey[256];
  for (int i = 0; i < 256; ++i) grey[i] = RGBQUAD{static_cast<BYTE>(i), static_cast<BYTE>(i), static_cast<BYTE>(i), 0};
  target.SetColorTable(0, 256, grey);
  ReplaceImage(*image, target);
}

void CQorPixelConvertTo8BitGray::ProcessPixel(CQorObjImage* /*image*/, int x, int y, unsigned char* pixel) {
  const BYTE* src = m_backup.GetBits(x, y);
  *pixel = static_cast<BYTE>((59 * src[1] + 30 * src[2] + 11 * src[0]) / 100);
}

}  // namespace QorPixelmill
