// Whole-image blurs on 24- and 32-bit images: box, zoom, radial (spin), horizontal motion and a
// recursive Gaussian. Colours are averaged by alpha in 32-bit images. Progress is reported after
// each row; a cancel fails the run (except the zoom blur, which still reports 1).
#pragma once

#include "QorPixelConvolution.h"
#include "QorPixelWholeImage.h"

namespace QorPixelmill {

// size x size running-sum box (size below 3 gives 2, at most kMaxWindowSide). With fillEdges the
// border repeats the edge pixels; without it the outside counts as transparent black.
class CQorPixelBlurBox : public CQorPixelWholeImageBase {
 public:
  CQorPixelBlurBox(int size, bool fillEdges)
      : m_nSize(size < 3 ? 2 : std::min(size, kMaxWindowSide)), m_bFillEdges(fillEdges) {}
  void OnEnterProcess(CQorObjImage* image) override;

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  int m_nSize;
  bool m_bFillEdges;
};

// Samples along the ray from the centre, scale 1 + 0.02 i for i below length (at most 10000).
class CQorPixelBlurZoom : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelBlurZoom(int length) : m_nLength(BoundInt(length, 0, 10000)) {}

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  int m_nLength;
};

// Spins each pixel over `angle` degrees (|angle| mod 360) about the centre.
class CQorPixelBlurRadial : public CQorPixelWholeImageBase {
 public:
  explicit CQorPixelBlurRadial(int angle) : m_nAngle(angle == INT32_MIN ? 128 : (angle < 0 ? -angle : angle) % 360) {}

 protected:
  int ProcessCopy(CQorObjImage* image, CQorCommonProgress* progress) override;

 private:
  int m_nAngle;
};

enum DIRECT_SYS : int {
  DIRECT_RIGHT = 3,  // walks each row from the left
  DIRECT_LEFT = 4,   // walks each row from the right
};

// In place along rows over `distance` pixels (2..W - 2); images narrower than 5 pixels and other
// directions are refused (0). The last two pixels of each row in walking order keep their colour.
class CPixelBlurMotion : public CQorPixelWholeImageBase {
 public:
  CPixelBlurMotion(int distance, DIRECT_SYS direction) : m_direction(direction), m_nDistance(distance) {}
  void OnEnterProcess(CQorObjImage*) override {}
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;

 protected:
  int ProcessCopy(CQorObjImage*, CQorCommonProgress*) override { return 0; }

 private:
  DIRECT_SYS m_direction;
  int m_nDistance;
};

// Fourth-order recursive Gaussian, rows then columns (through quarter turns); radii at least 1.
// Alpha is not touched.
class CQorPixelBlurGaussIIR : public CQorPixelWholeImageBase {
 public:
  CQorPixelBlurGaussIIR(int horizontal, int vertical)
      : m_nHorizontal(BoundInt(horizontal, 1, 1 << 16)), m_nVertical(BoundInt(vertical, 1, 1 << 16)) {}
  void OnEnterProcess(CQorObjImage*) override {}
  int ProcessWholeImage(CQorObjImage* image, CQorCommonProgress* progress) override;
  // One horizontal pass over every row; 0 when cancelled.
  static int GaussIIRBlurImage(CQorObjImage* image, int radius, CQorCommonProgress* progress);

 protected:
  int ProcessCopy(CQorObjImage*, CQorCommonProgress*) override { return 0; }

 private:
  int m_nHorizontal, m_nVertical;
};

}  // namespace QorPixelmill
