// Analysis passes that change no pixel: the number of distinct colours of an image and a colour
// it does not use (free to serve as a transparency key).
#pragma once

#include <memory>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// Counts distinct blue, green, red values (alpha ignored) of a 24- or 32-bit image with a
// presence table of 2^24 + 1 bytes made at each run. Copies never share the table.
class CQorPixelColorsCount : public CQorSinglePixelProcessBase {
 public:
  static constexpr size_t kTableSize = (size_t{1} << 24) + 1;

  CQorPixelColorsCount() = default;
  CQorPixelColorsCount(const CQorPixelColorsCount& other);
  CQorPixelColorsCount& operator=(const CQorPixelColorsCount& other);

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  unsigned int GetColorsNumber() const { return m_nCount; }

 protected:
  std::unique_ptr<BYTE[]> m_table;
  unsigned int m_nCount = 0;
};

// The first colour (in order of B + 256 G + 65536 R) the image does not use.
class CQorPixelGetKeyColor : public CQorPixelColorsCount {
 public:
  void OnLeaveProcess(CQorObjImage* image) override;
  bool IsFind() const { return m_bFind; }
  RGBQUAD GetKeyColor() const { return m_key; }

 private:
  RGBQUAD m_key{0, 0, 0, 0};
  bool m_bFind = false;
};

}  // namespace QorPixelmill
