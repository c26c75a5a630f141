// The two bases of the per-pixel filters.
#include "QorPixelProcess.h"

namespace QorPixelmill {

bool CQorSinglePixelProcessBase::ValidateColorBits(const CQorObjImage* image) {
  return image && image->IsValidImage() && image->ColorBits() >= 24;
}

bool CQorSinglePixelProcessBase::ValidateColorBits_Selection(const CQorObjImage* image) {
  return image && image->IsValidImage() && image->ColorBits() == 32;
}

void CQorSinglePixelProcessBase::ProcessSelectedPixel(CQorObjImage* image, int x, int y, unsigned char* pixel,
                                                      unsigned char weight) {
  unsigned char old[4];
  for (int i = 0; i < 4; ++i) old[i] = pixel[i];
  ProcessPixel(image, x, y, pixel);
  for (int i = 0; i < 4; ++i) pixel[i] = static_cast<unsigned char>((pixel[i] * weight + old[i] * (255 - weight)) / 255);
}

void CQorPixelBackupProcess::OnEnterProcess(CQorObjImage* image) {
  m_bEnterFailed = false;
  if (!image || !image->IsValidImage()) return;
  // Always a copy of its own: sharing an attached block would alias the image being written.
  if (!m_backup.CopyOwned(*image)) {
    m_backup.Destroy();
    m_bEnterFailed = true;
  }
}

PROCESS_TYPE CQorPixelBackupProcess::QueryProcessType() {
  return m_bEnterFailed ? PROCESS_TYPE_WHOLE_IMAGE : PROCESS_TYPE_SINGLE_PIXEL;
}

int CQorPixelBackupProcess::ProcessWholeImage(CQorObjImage* /*image*/, CQorCommonProgress* /*progress*/) {
  return 0;
}

}  // namespace QorPixelmill
