// Coordinate-mapping distortions: for every pixel of the result a mapping names the place of the
// source it comes from, and the base samples an unchanged copy there bilinearly. Plus the random
// row shift, which moves whole rows.
#pragma once

#include <deque>

#include "QorPixelFilterBase.h"

namespace QorPixelmill {

// The sampling engine (32-bit images at least 2 x 2). A place outside the finite doubles (an
// overflowing mapping) leaves the pixel as it is. The place is clamped to 0..W - 1.1 and
// 0..H - 1.1, so the last column and row are always a 0.1 / 0.9 blend with their neighbour.
class CQorPixelBilinearDistord : public CQorPixelBackupProcess {
 public:
  bool ValidateColorBits(const CQorObjImage* image) override;
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;
  // Where result pixel (x, y) comes from; false leaves it as it is.
  virtual bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const = 0;

 protected:
  // Re-creates the image empty at width x height (same depth) after the copy was taken; a size
  // below 1 (degenerate corners) fails the run and keeps the picture.
  void RecreateEmpty(CQorObjImage* image, double width, double height);
  void ClearImage(CQorObjImage* image);
};

// Wraps the image round a cylinder: column x comes from acos((W/2 - x) / (W/2)) x W / pi, all in
// doubles (so odd widths keep their half pixel).
class CQorPixelCylinder : public CQorPixelBilinearDistord {
 public:
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  std::deque<double> m_columns;
};

// Circular ripples about the centre. Aspect scales are double quotients (H / W, W / H).
class CQorPixelWave : public CQorPixelBilinearDistord {
 public:
  CQorPixelWave(int waveLength, int amplitude, double phase);
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  double m_dPhase;
  int m_nAmplitude;
  int m_nPeriod;
};

// Whirl (radians, -2 pi..2 pi) and pinch (-1..1) inside the inscribed circle.
class CQorPixelWhirlPinch : public CQorPixelBilinearDistord {
 public:
  CQorPixelWhirlPinch(double whirl, double pinch);
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  double m_dWhirl;
  double m_dPinch;
};

// Samples along the Mandelbrot iteration of each place (depth below 1 gives 1), wrapped into
// the image. Places whose iteration overflows keep their pixel.
class CQorPixelFractalTrace : public CQorPixelBilinearDistord {
 public:
  explicit CQorPixelFractalTrace(int depth) : m_nIterations(depth < 1 ? 1 : depth) {}
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  int m_nIterations;
};

// Refraction through an ellipsoid lens (refraction at least 1); outside the inscribed ellipse the
// image is cleared unless keepSurroundings is set.
class CQorPixelLens : public CQorPixelBilinearDistord {
 public:
  CQorPixelLens(double refraction, bool keepSurroundings)
      : m_dRefraction(refraction < 1.0 || !(refraction == refraction) ? 1.0 : refraction), m_bKeep(keepSurroundings) {}
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  double m_dRefraction;
  bool m_bKeep;
};

// Skews into the quadrilateral of four corners: top-left, top-right, bottom-right, bottom-left.
// The image is re-created at the quadrilateral's size; corners without area fail the run.
class CQorPixelSkew : public CQorPixelBilinearDistord {
 public:
  explicit CQorPixelSkew(const POINT corners[4]);
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 protected:
  POINT m_pt[4];
  int m_nNewWidth = 0, m_nNewHeight = 0;
  int m_nWidth = 0, m_nHeight = 0;  // of the source
};

// Perspective into a trapezoid of four corners (order as for the skew).
class CQorPixelPerspective : public CQorPixelSkew {
 public:
  using CQorPixelSkew::CQorPixelSkew;
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;
};

// Turns by any whole number of degrees (reduced to 0..359); the image grows to hold the turn.
class CQorPixelRotate : public CQorPixelBilinearDistord {
 public:
  explicit CQorPixelRotate(int degrees);
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  double m_dForward;
  double m_dInverse;
  int m_nNewWidth = 0, m_nNewHeight = 0;
  int m_nWidth = 0, m_nHeight = 0;
};

// A ribbon wave: columns drop along a cosine (swing 0..100 per cent of 75% of the height).
class CQorPixelRibbon : public CQorPixelBilinearDistord {
 public:
  CQorPixelRibbon(int swing, int frequency) : m_nSwing(BoundInt(swing, 0, 100)), m_nFrequency(frequency < 0 ? 0 : frequency) {}
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  int m_nSwing;
  int m_nFrequency;
  int m_nAmplitude = 0;
  int m_nHeight = 0;
  std::deque<int> m_offsets;
};

// columns x rows small copies of the image (each at least 1).
class CQorPixelSmallTile : public CQorPixelBilinearDistord {
 public:
  CQorPixelSmallTile(int columns, int rows) : m_nColumns(columns < 1 ? 1 : columns), m_nRows(rows < 1 ? 1 : rows) {}
  void OnEnterProcess(CQorObjImage* image) override;
  bool calc_undistorted_coord(int x, int y, double& srcX, double& srcY) const override;

 private:
  int m_nColumns, m_nRows;
  int m_nWidth = 0, m_nHeight = 0;
};

// Moves each row left or right by a random 0..maxShift pixels (24 or 32 bits), filling with the
// row's edge pixel. Seeds the shared generator with the time when built; maxShift is bounded to
// the generator's range, beyond which draws do not change.
class CQorPixelShift : public CQorSinglePixelProcessBase {
 public:
  explicit CQorPixelShift(int maxShift);
  void ProcessPixel(CQorObjImage* image, int x, int y, unsigned char* pixel) override;

 private:
  int m_nMaxShift;
};

}  // namespace QorPixelmill
