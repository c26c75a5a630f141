#include "QorPixelWholeImage.h"

namespace QorPixelmill {

bool ReportRowProgress(CQorCommonProgress* progress, int row, int rows) {
  if (!progress || rows <= 0) return false;
  const int64_t percent = int64_t{row + 1} * 100 / rows;
  progress->SetProgress(static_cast<float>(static_cast<double>(percent) / 100.0));
  return progress->m_bInterrupted;
}

int CQorPixelWholeImageBase::ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) {
  if (RunFailed() || !image || !image->IsValidImage() || !m_backup.IsValidImage()) return 0;
  return ProcessCopy(image, progress);
}

}  // namespace QorPixelmill
