// Matrix: products are computed in double and stored as REAL.
#include "GdiplusMatrix.h"

#include <cmath>

namespace Gdiplus {

namespace {

constexpr double kPi = 3.14159265358979323846;

// r = a x b (a applied first), all as six doubles.
void Mul(const double* a, const double* b, double* r) {
  r[0] = a[0] * b[0] + a[1] * b[2];
  r[1] = a[0] * b[1] + a[1] * b[3];
  r[2] = a[2] * b[0] + a[3] * b[2];
  r[3] = a[2] * b[1] + a[3] * b[3];
  r[4] = a[4] * b[0] + a[5] * b[2] + b[4];
  r[5] = a[4] * b[1] + a[5] * b[3] + b[5];
}

bool AllFinite(const REAL* m) {
  for (int i = 0; i < 6; ++i) {
    if (!std::isfinite(m[i])) return false;
  }
  return true;
}

INT RoundToInt(double v) { return static_cast<INT>(std::floor(v + 0.5)); }

}  // namespace

Matrix::Matrix() : m_{1, 0, 0, 1, 0, 0} {}

Matrix::Matrix(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) : m_{m11, m12, m21, m22, dx, dy} {}

Matrix::Matrix(const RectF& rect, const PointF* dstplg) : m_{1, 0, 0, 1, 0, 0} {
  if (!dstplg || rect.Width == 0 || rect.Height == 0) {
    lastResult_ = InvalidParameter;
    return;
  }
  // Unit square -> parallelogram, preceded by rectangle -> unit square.
  const double w = rect.Width, h = rect.Height;
  const double a[6] = {(dstplg[1].X - static_cast<double>(dstplg[0].X)) / w,
                       (dstplg[1].Y - static_cast<double>(dstplg[0].Y)) / w,
                       (dstplg[2].X - static_cast<double>(dstplg[0].X)) / h,
                       (dstplg[2].Y - static_cast<double>(dstplg[0].Y)) / h,
                       0,
                       0};
  m_[0] = static_cast<REAL>(a[0]);
  m_[1] = static_cast<REAL>(a[1]);
  m_[2] = static_cast<REAL>(a[2]);
  m_[3] = static_cast<REAL>(a[3]);
  m_[4] = static_cast<REAL>(dstplg[0].X - rect.X * a[0] - rect.Y * a[2]);
  m_[5] = static_cast<REAL>(dstplg[0].Y - rect.X * a[1] - rect.Y * a[3]);
}

Matrix::Matrix(const Rect& rect, const Point* dstplg) : m_{1, 0, 0, 1, 0, 0} {
  if (!dstplg) {
    lastResult_ = InvalidParameter;
    return;
  }
  const PointF pts[3] = {PointF(static_cast<REAL>(dstplg[0].X), static_cast<REAL>(dstplg[0].Y)),
                         PointF(static_cast<REAL>(dstplg[1].X), static_cast<REAL>(dstplg[1].Y)),
                         PointF(static_cast<REAL>(dstplg[2].X), static_cast<REAL>(dstplg[2].Y))};
  *this = Matrix(RectF(static_cast<REAL>(rect.X), static_cast<REAL>(rect.Y), static_cast<REAL>(rect.Width),
                       static_cast<REAL>(rect.Height)),
                 pts);
}

Matrix* Matrix::Clone() const { return new Matrix(m_[0], m_[1], m_[2], m_[3], m_[4], m_[5]); }

Status Matrix::SetStatus(Status s) const {
  if (s != Ok) lastResult_ = s;
  return s;
}

Status Matrix::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

Status Matrix::GetElements(REAL* m) const {
  if (!m) return SetStatus(InvalidParameter);
  for (int i = 0; i < 6; ++i) m[i] = m_[i];
  return Ok;
}

Status Matrix::SetElements(REAL m11, REAL m12, REAL m21, REAL m22, REAL dx, REAL dy) {
  m_[0] = m11;
  m_[1] = m12;
  m_[2] = m21;
  m_[3] = m22;
  m_[4] = dx;
  m_[5] = dy;
  return Ok;
}

Status Matrix::Reset() { return SetElements(1, 0, 0, 1, 0, 0); }

void Matrix::Combine(const double* op, MatrixOrder order) {
  const double self[6] = {m_[0], m_[1], m_[2], m_[3], m_[4], m_[5]};
  double r[6];
  if (order == MatrixOrderAppend) {
    Mul(self, op, r);
  } else {
    Mul(op, self, r);
  }
  for (int i = 0; i < 6; ++i) m_[i] = static_cast<REAL>(r[i]);
}

Status Matrix::Multiply(const Matrix* matrix, MatrixOrder order) {
  if (!matrix) return SetStatus(InvalidParameter);
  const double op[6] = {matrix->m_[0], matrix->m_[1], matrix->m_[2], matrix->m_[3], matrix->m_[4], matrix->m_[5]};
  Combine(op, order);
  return Ok;
}

Status Matrix::Translate(REAL offsetX, REAL offsetY, MatrixOrder order) {
  const double op[6] = {1, 0, 0, 1, offsetX, offsetY};
  Combine(op, order);
  return Ok;
}

Status Matrix::Scale(REAL scaleX, REAL scaleY, MatrixOrder order) {
  const double op[6] = {scaleX, 0, 0, scaleY, 0, 0};
  Combine(op, order);
  return Ok;
}

Status Matrix::Rotate(REAL angle, MatrixOrder order) {
  // Whole quarter turns are exact, so that rotating by 90 degrees leaves no residue.
  const double deg = std::fmod(static_cast<double>(angle), 360.0);
  double s, c;
  if (deg == 0) {
    s = 0, c = 1;
  } else if (deg == 90 || deg == -270) {
    s = 1, c = 0;
  } else if (deg == 180 || deg == -180) {
    s = 0, c = -1;
  } else if (deg == 270 || deg == -90) {
    s = -1, c = 0;
  } else {
    const double rad = deg * kPi / 180.0;
    s = std::sin(rad);
    c = std::cos(rad);
  }
  const double op[6] = {c, s, -s, c, 0, 0};
  Combine(op, order);
  return Ok;
}

Status Matrix::RotateAt(REAL angle, const PointF& center, MatrixOrder order) {
  // Move the centre to the origin, rotate, move back: as one operation placed by order.
  Matrix op;
  op.Translate(-center.X, -center.Y, MatrixOrderAppend);
  op.Rotate(angle, MatrixOrderAppend);
  op.Translate(center.X, center.Y, MatrixOrderAppend);
  return Multiply(&op, order);
}

Status Matrix::Shear(REAL shearX, REAL shearY, MatrixOrder order) {
  const double op[6] = {1, shearY, shearX, 1, 0, 0};
  Combine(op, order);
  return Ok;
}

Status Matrix::Invert() {
  const double a = m_[0], b = m_[1], c = m_[2], d = m_[3], e = m_[4], f = m_[5];
  const double det = a * d - b * c;
  if (det == 0 || !std::isfinite(det) || !AllFinite(m_)) return SetStatus(InvalidParameter);
  const double inv[6] = {d / det, -b / det, -c / det, a / det, (c * f - d * e) / det, (b * e - a * f) / det};
  for (int i = 0; i < 6; ++i) {
    if (!std::isfinite(inv[i])) return SetStatus(InvalidParameter);
  }
  for (int i = 0; i < 6; ++i) m_[i] = static_cast<REAL>(inv[i]);
  return Ok;
}

Status Matrix::TransformPoints(PointF* pts, INT count) const {
  if (!pts || count <= 0) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    const double x = pts[i].X, y = pts[i].Y;
    pts[i].X = static_cast<REAL>(x * m_[0] + y * m_[2] + m_[4]);
    pts[i].Y = static_cast<REAL>(x * m_[1] + y * m_[3] + m_[5]);
  }
  return Ok;
}

Status Matrix::TransformPoints(Point* pts, INT count) const {
  if (!pts || count <= 0) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    const double x = pts[i].X, y = pts[i].Y;
    pts[i].X = RoundToInt(x * m_[0] + y * m_[2] + m_[4]);
    pts[i].Y = RoundToInt(x * m_[1] + y * m_[3] + m_[5]);
  }
  return Ok;
}

Status Matrix::TransformVectors(PointF* pts, INT count) const {
  if (!pts || count <= 0) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    const double x = pts[i].X, y = pts[i].Y;
    pts[i].X = static_cast<REAL>(x * m_[0] + y * m_[2]);
    pts[i].Y = static_cast<REAL>(x * m_[1] + y * m_[3]);
  }
  return Ok;
}

Status Matrix::TransformVectors(Point* pts, INT count) const {
  if (!pts || count <= 0) return SetStatus(InvalidParameter);
  for (INT i = 0; i < count; ++i) {
    const double x = pts[i].X, y = pts[i].Y;
    pts[i].X = RoundToInt(x * m_[0] + y * m_[2]);
    pts[i].Y = RoundToInt(x * m_[1] + y * m_[3]);
  }
  return Ok;
}

BOOL Matrix::IsInvertible() const {
  const double det = static_cast<double>(m_[0]) * m_[3] - static_cast<double>(m_[1]) * m_[2];
  return det != 0 && std::isfinite(det) && AllFinite(m_);
}

BOOL Matrix::IsIdentity() const {
  return m_[0] == 1 && m_[1] == 0 && m_[2] == 0 && m_[3] == 1 && m_[4] == 0 && m_[5] == 0;
}

BOOL Matrix::Equals(const Matrix* matrix) const {
  if (!matrix) return FALSE;
  for (int i = 0; i < 6; ++i) {
    if (m_[i] != matrix->m_[i]) return FALSE;
  }
  return TRUE;
}

}  // namespace Gdiplus
