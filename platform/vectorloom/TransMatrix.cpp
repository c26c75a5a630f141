#include "TransMatrix.h"

#include <cmath>

namespace Vectorloom {

CQorTransMatrix CQorTransMatrix::Rotation(float degrees) {
  const double r = static_cast<double>(degrees) * M_PI / 180.0;
  const float c = static_cast<float>(std::cos(r));
  const float s = static_cast<float>(std::sin(r));
  return {c, s, -s, c, 0, 0};
}

CQorTransMatrix CQorTransMatrix::RotationAt(float degrees, float cx, float cy) {
  return Translation(-cx, -cy) * Rotation(degrees) * Translation(cx, cy);
}

bool CQorTransMatrix::Invert() {
  const double det = static_cast<double>(m11) * m22 - static_cast<double>(m12) * m21;
  if (det == 0 || !std::isfinite(det)) return false;
  const double a = m22 / det, b = -m12 / det, c = -m21 / det, d = m11 / det;
  const double e = -(dx * a + dy * c), f = -(dx * b + dy * d);
  *this = CQorTransMatrix(static_cast<float>(a), static_cast<float>(b), static_cast<float>(c), static_cast<float>(d),
                          static_cast<float>(e), static_cast<float>(f));
  return true;
}

CQorTransMatrix CQorTransMatrix::operator*(const CQorTransMatrix& o) const {
  return CQorTransMatrix(m11 * o.m11 + m12 * o.m21, m11 * o.m12 + m12 * o.m22, m21 * o.m11 + m22 * o.m21,
                         m21 * o.m12 + m22 * o.m22, dx * o.m11 + dy * o.m21 + o.dx, dx * o.m12 + dy * o.m22 + o.dy);
}

CQorVectorRect<float> CQorTransMatrix::TransformRect(const CQorVectorRect<float>& r) const {
  const CQorVectorPoint<float> p[4] = {Transform({r.left, r.top}), Transform({r.right, r.top}),
                                       Transform({r.right, r.bottom}), Transform({r.left, r.bottom})};
  CQorVectorRect<float> out(p[0].x, p[0].y, p[0].x, p[0].y);
  for (const auto& q : p) {
    out.left = std::min(out.left, q.x);
    out.right = std::max(out.right, q.x);
    out.top = std::min(out.top, q.y);
    out.bottom = std::max(out.bottom, q.y);
  }
  return out;
}

void CQorTransMatrix::Scaling(float& sx, float& sy) const {
  sx = static_cast<float>(std::hypot(static_cast<double>(m11), static_cast<double>(m12)));
  sy = static_cast<float>(std::hypot(static_cast<double>(m21), static_cast<double>(m22)));
}

float CQorTransMatrix::RotationAngle() const {
  double a = std::atan2(static_cast<double>(m12), static_cast<double>(m11)) * 180.0 / M_PI;
  if (a < 0) a += 360.0;
  if (a >= 360.0) a -= 360.0;
  return static_cast<float>(a);
}

}  // namespace Vectorloom
