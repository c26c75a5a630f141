// The filter interface of QorPixelmill and its two bases. CQorObjImage::SinglePixelProcessProc
// drives a filter: ValidateColorBits, OnEnterProcess, then by QueryProcessType either
// ProcessWholeImage once or ProcessPixel for every pixel (rows from the top, each row left to
// right, progress and cancel after each row), then OnLeaveProcess.
#pragma once

#include "QorObjImage.h"
#include "QorProgress.h"
#include "windows.h"

namespace QorPixelmill {

class CQorObjSelection;

enum PROCESS_TYPE : int {
  PROCESS_TYPE_WHOLE_IMAGE = 0,
  PROCESS_TYPE_SINGLE_PIXEL = 1,
};

class CQorInterfacePixelProcess {
 public:
  virtual ~CQorInterfacePixelProcess() = default;
  // Whether the filter can run on this image.
  virtual bool ValidateColorBits(const CQorObjImage* image) = 0;
  // The same question for a run over a selection.
  virtual bool ValidateColorBits_Selection(const CQorObjImage* image) = 0;
  virtual PROCESS_TYPE QueryProcessType() { return PROCESS_TYPE_SINGLE_PIXEL; }
  // Before the run; may re-create the image (the driver reads its size and depth afterwards).
  virtual void OnEnterProcess(CQorObjImage* /*image*/) {}
  // Changes one pixel in place; must not re-create the image.
  virtual void ProcessPixel(CQorObjImage* /*image*/, int /*x*/, int /*y*/, unsigned char* /*pixel*/) {}
  virtual void ProcessSelectedPixel(CQorObjImage* /*image*/, int /*x*/, int /*y*/, unsigned char* /*pixel*/,
                                    unsigned char /*weight*/) {}
  virtual int ProcessWholeImage(CQorObjImage* /*image*/, CQorCommonProgress* /*progress*/) { return 0; }
  virtual int ProcessSelectionImage(CQorObjImage* /*image*/, const POINT& /*origin*/,
                                    const CQorObjSelection& /*selection*/, CQorCommonProgress* /*progress*/) {
    return 0;
  }
  virtual void OnLeaveProcess(CQorObjImage* /*image*/) {}
};

// Base of the per-pixel filters on true-colour images.
class CQorSinglePixelProcessBase : public CQorInterfacePixelProcess {
 public:
  // Images of 24 bits or more.
  bool ValidateColorBits(const CQorObjImage* image) override;
  // 32-bit images only.
  bool ValidateColorBits_Selection(const CQorObjImage* image) override;
  // Runs ProcessPixel, then blends the four bytes: (new x weight + old x (255 - weight)) / 255.
  void ProcessSelectedPixel(CQorObjImage* image, int x, int y, unsigned char* pixel, unsigned char weight) override;
};

// Base of the filters that read an unchanged copy of the image while they write it.
class CQorPixelBackupProcess : public CQorSinglePixelProcessBase {
 public:
  CQorPixelBackupProcess() = default;
  CQorPixelBackupProcess(const CQorPixelBackupProcess&) = default;
  CQorPixelBackupProcess& operator=(const CQorPixelBackupProcess&) = default;

  // Makes the backup an owned copy of the image (a copy of its own even when the image is
  // attached to a caller's block). When memory runs out the run fails: QueryProcessType then
  // answers a whole-image run that returns 0, and the image is left alone.
  void OnEnterProcess(CQorObjImage* image) override;
  PROCESS_TYPE QueryProcessType() override;
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

  const CQorObjImage& GetBackup() const { return m_backup; }

 protected:
  // Marks the run as failed after OnEnterProcess found it cannot go on.
  void FailRun() { m_bEnterFailed = true; }
  bool RunFailed() const { return m_bEnterFailed; }
  // Gives `image` the block of `replacement` (owned as it was there) and empties `replacement`.
  static void ReplaceImage(CQorObjImage& image, CQorObjImage& replacement) { image.TakeBlock(replacement); }

  CQorObjImage m_backup;

 private:
  bool m_bEnterFailed = false;
};

}  // namespace QorPixelmill
