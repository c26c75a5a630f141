// A selection over an image: one weight 0..255 per pixel (0 not selected, 255 fully selected),
// the weight a filter blends with through ProcessSelectedPixel.
#pragma once

#include <cstddef>
#include <vector>

#include "windows.h"

namespace QorPixelmill {

class CQorObjSelection {
 public:
  CQorObjSelection() = default;

  // A width x height selection with every weight `weight`; false (and empty) for sizes below 1
  // or when memory runs out.
  bool Create(int width, int height, BYTE weight = 0);
  void Destroy();

  bool IsEmpty() const { return m_weights.empty(); }
  int Width() const { return m_nWidth; }
  int Height() const { return m_nHeight; }
  // 0 outside the selection.
  BYTE GetWeight(int x, int y) const;
  // Ignored outside the selection.
  void SetWeight(int x, int y, BYTE weight);

 private:
  int m_nWidth = 0;
  int m_nHeight = 0;
  std::vector<BYTE> m_weights;
};

}  // namespace QorPixelmill
