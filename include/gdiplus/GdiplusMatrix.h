// Affine 2-D matrix of the GDI+ layer: row vectors, six numbers (m11, m12, m21, m22, dx, dy).
//   x' = x * m11 + y * m21 + dx
//   y' = x * m12 + y * m22 + dy
// A product A x B applies A first, then B. MatrixOrderPrepend puts the new operation before the
// matrix (it is applied first), MatrixOrderAppend after it; Prepend is the default everywhere.
#pragma once

#include "GdiplusTypes.h"

namespace Gdiplus {

class Matrix {
 public:
  Matrix();
  Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
  // Maps the rectangle onto the parallelogram whose upper-left, upper-right and lower-left
  // corners are dstplg[0], dstplg[1] and dstplg[2].
  Matrix(const RectF& rect, const PointF* dstplg);
  Matrix(const Rect& rect, const Point* dstplg);

  Matrix* Clone() const;

  Status GetElements(REAL* m) const;
  Status SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy);
  REAL OffsetX() const { return m_[4]; }
  REAL OffsetY() const { return m_[5]; }

  Status Reset();
  Status Multiply(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
  Status Translate(REAL offsetX, REAL offsetY, MatrixOrder order = MatrixOrderPrepend);
  Status Scale(REAL scaleX, REAL scaleY, MatrixOrder order = MatrixOrderPrepend);
  // Angle in degrees, clockwise on a y-down page.
  Status Rotate(REAL angle, MatrixOrder order = MatrixOrderPrepend);
  Status RotateAt(REAL angle, const PointF& center, MatrixOrder order = MatrixOrderPrepend);
  // x' = x + shearX * y, y' = shearY * x + y.
  Status Shear(REAL shearX, REAL shearY, MatrixOrder order = MatrixOrderPrepend);
  // Fails with InvalidParameter (matrix unchanged) when the matrix is singular.
  Status Invert();

  Status TransformPoints(PointF* pts, INT count = 1) const;
  Status TransformPoints(Point* pts, INT count = 1) const;  // results rounded to nearest
  Status TransformVectors(PointF* pts, INT count = 1) const;
  Status TransformVectors(Point* pts, INT count = 1) const;

  BOOL IsInvertible() const;
  BOOL IsIdentity() const;
  BOOL Equals(const Matrix* matrix) const;

  // The last failure since the previous call (then reset to Ok).
  Status GetLastStatus() const;

  // The six numbers in the order of GetElements, without a status.
  const REAL* LwElements() const { return m_; }

 private:
  Status SetStatus(Status s) const;
  void Combine(const double* op, MatrixOrder order);

  REAL m_[6];
  mutable Status lastResult_ = Ok;
};

}  // namespace Gdiplus
