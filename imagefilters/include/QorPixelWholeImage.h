// Base of the filters that work on the whole image at once (the driver calls ProcessWholeImage
// once) reading an unchanged copy, and the scoped progress sub-range they run inner steps in.
#pragma once

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// Opens a progress sub-range of `span` for its lifetime (nothing without a progress object), so
// a cancelled step still closes its range.
class CQorProgressSubRange {
 public:
  CQorProgressSubRange(CQorCommonProgress* progress, float span) : m_progress(progress) {
    if (m_progress) m_progress->PushRange(span);
  }
  ~CQorProgressSubRange() {
    if (m_progress) m_progress->PopRange();
  }
  CQorProgressSubRange(const CQorProgressSubRange&) = delete;
  CQorProgressSubRange& operator=(const CQorProgressSubRange&) = delete;

 private:
  CQorCommonProgress* m_progress;
};

// Reports (row + 1) x 100 / rows per cent after a finished row; true when the run is cancelled.
bool ReportRowProgress(CQorCommonProgress* progress, int row, int rows);

// The copy of the image is taken on entry; a copy that cannot be made fails the run (0).
class CQorPixelWholeImageBase : public CQorPixelBackupProcess {
 public:
  PROCESS_TYPE QueryProcessType() override { return PROCESS_TYPE_WHOLE_IMAGE; }
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

 protected:
  // The work once the copy exists.
  virtual int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) = 0;
};

}  // namespace QorPixelmill
