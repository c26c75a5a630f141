// Window filters: integer-kernel convolution (with its presets), median and oil paint. Each
// reads an edge-extended copy of the unfiltered image (border pixels repeat the nearest edge
// pixel) while it writes the image. Window sides are bounded to kMaxWindowSide so that the copy,
// the kernel and the sums stay in range.
#pragma once

#include <array>
#include <vector>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

constexpr int kMaxWindowSide = 1023;

class CQorPixelConvolute : public CQorPixelBackupProcess {
 public:
  CQorPixelConvolute() = default;

  // Copies size x size weights (rows top first); a divisor below 2 becomes 1. Ignored for a null
  // array or a size outside 1..kMaxWindowSide.
  void SetKernel(const int* weights, int size, int divisor, int offset);
  int GetKernelSize() const { return m_nSize; }
  int GetDivisor() const { return m_nDivisor; }
  const std::vector<int>& GetKernel() const { return m_kernel; }

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  std::vector<int> m_kernel;
  int m_nSize = 0;
  int m_nDivisor = 1;
  int m_nOffset = 0;
};

class CQorPixelGaussianBlur3x3 : public CQorPixelConvolute {
 public:
  CQorPixelGaussianBlur3x3();
};

class CQorPixelGaussianBlur5x5 : public CQorPixelConvolute {
 public:
  CQorPixelGaussianBlur5x5();
};

// A (2 radius + 1) square of -1 with size^2 - 1 in the centre; radii below 2 give 1, above
// (kMaxWindowSide - 1) / 2 are bounded there.
class CQorPixelDetectEdges : public CQorPixelConvolute {
 public:
  explicit CQorPixelDetectEdges(int radius = 3);
};

// -1 around amount + 8, divided by amount (below 2: by 1).
class CQorPixelSharp : public CQorPixelConvolute {
 public:
  explicit CQorPixelSharp(int amount);
};

// The colour whose grey value is the median of the size x size window (sizes below 1 give 1,
// above kMaxWindowSide are bounded there; even sizes reach one pixel further up and left).
class CQorPixelMedianFilter : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelMedianFilter(int size);

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

  struct WindowEntry {
    BYTE blue, green, red;
    int gray;
  };
  // Orders two window entries by grey value.
  static int __CompareGray(const void* a, const void* b);

 private:
  int m_nSize;
  CQorObjImage m_colour;  // the colour copy; the base's copy becomes its grey version
  // The greys of the window last counted (its top left at m_nHistX, m_nHistRow of the copies),
  // the median grey of that window and how many of its entries are darker.
  std::array<int, 256> m_hist{};
  int m_nHistRow = -1, m_nHistX = 0, m_nMedian = 0, m_nBelow = 0;
};

// The colour of the most frequent grey value in the (2 radius + 1) window, taken where that value
// first reached its final count (radii below 2 give 1, bounded above like the edges).
class CQorPixelOilPaint : public CQorPixelBackupProcess {
 public:
  explicit CQorPixelOilPaint(int radius);

  void OnEnterProcess(CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nRadius;
  int m_nWindow;
  CQorObjImage m_gray;
};

}  // namespace QorPixelmill
