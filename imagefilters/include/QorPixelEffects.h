// Whole-image effects and tools: the ASCII export.
#pragma once

#include <fstream>
#include <string>

#include "QorPixelWholeImage.h"

namespace QorPixelmill {

// Writes the image as text: each 8 x 16 cell of the inverted grey picture becomes the character
// of its ink weight (95 printable characters, space lightest, '@' darkest), each text row ending
// in CR LF. The file (a UTF-8 path) is opened, truncated, when the filter is built and written on
// each run, so a second run appends. A file that cannot be opened or written fails the run.
class CQorPixelExportAscII : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelExportAscII(const char* path);

  // The characters from lightest to darkest and their weights (empty when the file did not open).
  const std::string& GetRamp() const { return m_ramp; }

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  std::ofstream m_file;
  std::string m_ramp;
  std::string m_weights;
};

}  // namespace QorPixelmill
