// The 2-D transformation of page objects: six floats in GDI+ order (m11, m12, m21, m22, dx, dy)
// with row vectors, x' = x*m11 + y*m21 + dx, y' = x*m12 + y*m22 + dy.
// A product A * B applies A first, then B.
#pragma once

#include "VectorTypes.h"

namespace Vectorloom {

class CQorTransMatrix {
 public:
  float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;

  CQorTransMatrix() = default;
  CQorTransMatrix(float a, float b, float c, float d, float e, float f)
      : m11(a), m12(b), m21(c), m22(d), dx(e), dy(f) {}

  static CQorTransMatrix Translation(float tx, float ty) { return {1, 0, 0, 1, tx, ty}; }
  static CQorTransMatrix Scale(float sx, float sy) { return {sx, 0, 0, sy, 0, 0}; }
  // Rotation by an angle in degrees, clockwise on a y-down page (as GDI+ Matrix::Rotate).
  static CQorTransMatrix Rotation(float degrees);
  // Rotation about a centre point.
  static CQorTransMatrix RotationAt(float degrees, float cx, float cy);

  void Reset() { *this = CQorTransMatrix(); }
  bool IsIdentity() const { return m11 == 1 && m12 == 0 && m21 == 0 && m22 == 1 && dx == 0 && dy == 0; }
  float Determinant() const { return m11 * m22 - m12 * m21; }
  // Inverts in place; false (and unchanged) when the matrix cannot be inverted.
  bool Invert();

  // this * other: this first, then other.
  CQorTransMatrix operator*(const CQorTransMatrix& other) const;
  CQorTransMatrix& operator*=(const CQorTransMatrix& other) { return *this = *this * other; }
  // this = before * this (before is applied first).
  void Prepend(const CQorTransMatrix& before) { *this = before * *this; }
  // this = this * after.
  void Append(const CQorTransMatrix& after) { *this = *this * after; }

  CQorVectorPoint<float> Transform(const CQorVectorPoint<float>& p) const {
    return {p.x * m11 + p.y * m21 + dx, p.x * m12 + p.y * m22 + dy};
  }
  void Transform(float& x, float& y) const {
    const float nx = x * m11 + y * m21 + dx;
    y = x * m12 + y * m22 + dy;
    x = nx;
  }
  // Transforms a direction (no translation).
  CQorVectorPoint<float> TransformVector(const CQorVectorPoint<float>& v) const {
    return {v.x * m11 + v.y * m21, v.x * m12 + v.y * m22};
  }
  // Bounds of a transformed rectangle.
  CQorVectorRect<float> TransformRect(const CQorVectorRect<float>& r) const;

  // The scale factors along x and y: the lengths of the transformed unit vectors.
  void Scaling(float& sx, float& sy) const;
  // The rotation of the x axis in degrees, in [0, 360).
  float RotationAngle() const;

  void GetElements(float e[6]) const {
    e[0] = m11, e[1] = m12, e[2] = m21, e[3] = m22, e[4] = dx, e[5] = dy;
  }
  void SetElements(const float e[6]) { m11 = e[0], m12 = e[1], m21 = e[2], m22 = e[3], dx = e[4], dy = e[5]; }

  bool operator==(const CQorTransMatrix& o) const {
    return m11 == o.m11 && m12 == o.m12 && m21 == o.m21 && m22 == o.m22 && dx == o.dx && dy == o.dy;
  }
  bool operator!=(const CQorTransMatrix& o) const { return !(*this == o); }
};

}  // namespace Vectorloom
