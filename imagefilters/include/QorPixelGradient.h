// Gradient fills: a base that turns a per-pixel factor (0 at the start colour, 1 at the end
// colour) into a colour under a repeat mode, and six shapes. Alpha is left as it is.
#pragma once

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

class CQorPixelGradientBase : public CQorSinglePixelProcessBase {
 public:
  enum REPEAT_MODE : int {
    REPEAT_PAD = 0,      // factor clamped to 0..1
    REPEAT_REPEAT = 1,   // sawtooth
    REPEAT_REFLECT = 2,  // triangle
  };

  CQorPixelGradientBase();  // opaque black to opaque white, pad
  CQorPixelGradientBase(RGBQUAD start, RGBQUAD end, REPEAT_MODE mode);

  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // The unwrapped factor of pixel (x, y).
  virtual double CalculateFactor(int x, int y) = 0;

  // v minus v truncated toward zero.
  static double FDoubleMod1(const double& v) { return v - std::trunc(v); }
  // The position 0..1 between the colours for a factor. A factor that is not finite (degenerate
  // geometry) counts as 0.
  double WrapFactor(double f) const;

 protected:
  RGBQUAD m_start, m_end;
  REPEAT_MODE m_mode;
};

class CQorPixelGradientLine : public CQorPixelGradientBase {
 public:
  CQorPixelGradientLine(POINT from, POINT to, RGBQUAD start, RGBQUAD end, REPEAT_MODE mode);
  double CalculateFactor(int x, int y) override;

 protected:
  POINT m_from, m_to;
  double m_dLength, m_dUx, m_dUy;
};

// Mirrored about the start line.
class CQorPixelGradientBiLine : public CQorPixelGradientLine {
 public:
  using CQorPixelGradientLine::CQorPixelGradientLine;
  double CalculateFactor(int x, int y) override;
};

// By angle from the direction, the same on both sides.
class CQorPixelGradientConicalSym : public CQorPixelGradientLine {
 public:
  using CQorPixelGradientLine::CQorPixelGradientLine;
  double CalculateFactor(int x, int y) override;
};

// By angle from the direction, once round.
class CQorPixelGradientConicalASym : public CQorPixelGradientLine {
 public:
  using CQorPixelGradientLine::CQorPixelGradientLine;
  double CalculateFactor(int x, int y) override;
};

// 0 at the box centre, 1 on its border.
class CQorPixelGradientRect : public CQorPixelGradientBase {
 public:
  CQorPixelGradientRect(RECT box, RGBQUAD start, RGBQUAD end, REPEAT_MODE mode);
  double CalculateFactor(int x, int y) override;

 protected:
  double m_dCx, m_dCy, m_dHx, m_dHy;
};

// 0 at the box centre, 1 on the ellipse inscribed in the box.
class CQorPixelGradientRadial : public CQorPixelGradientRect {
 public:
  using CQorPixelGradientRect::CQorPixelGradientRect;
  double CalculateFactor(int x, int y) override;
};

}  // namespace QorPixelmill
