// Matrix products, orders and inversions against values worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "gdiplus.h"

using namespace Gdiplus;

namespace {

void ExpectElements(const Matrix& m, const std::array<REAL, 6>& want, const std::string& what) {
  REAL e[6];
  ASSERT_EQ(m.GetElements(e), Ok);
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(e[i], want[i], 1e-5) << what << " element " << i;
}

struct ProductCase {
  const char* name;
  std::function<void(Matrix&)> build;
  std::array<REAL, 6> want;
};

TEST(Matrix, ProductsFollowPrependAndAppendOrder) {
  const Matrix b(0, 1, 1, 0, 7, 8);
  const ProductCase cases[] = {
      // Prepend puts the new operation first: x' = 2x + 10.
      {"scale prepended to translate", [](Matrix& m) { m.Translate(10, 20); m.Scale(2, 3); }, {2, 0, 0, 3, 10, 20}},
      {"scale appended to translate",
       [](Matrix& m) { m.Translate(10, 20); m.Scale(2, 3, MatrixOrderAppend); },
       {2, 0, 0, 3, 20, 60}},
      {"rotation prepended to translate", [](Matrix& m) { m.Translate(5, 0); m.Rotate(90); }, {0, 1, -1, 0, 5, 0}},
      {"rotation appended to translate",
       [](Matrix& m) { m.Translate(5, 0); m.Rotate(90, MatrixOrderAppend); },
       {0, 1, -1, 0, 0, 5}},
      {"shear prepended to scale", [](Matrix& m) { m.Scale(3, 1); m.Shear(2, 0); }, {3, 0, 6, 1, 0, 0}},
      {"multiply prepend is other x this",
       [&](Matrix& m) { m = Matrix(1, 2, 3, 4, 5, 6); m.Multiply(&b); },
       {3, 4, 1, 2, 36, 52}},
      {"multiply append is this x other",
       [&](Matrix& m) { m = Matrix(1, 2, 3, 4, 5, 6); m.Multiply(&b, MatrixOrderAppend); },
       {2, 1, 4, 3, 13, 13}},
      {"rotate at a centre", [](Matrix& m) { m.RotateAt(90, PointF(10, 10)); }, {0, 1, -1, 0, 20, 0}},
  };
  for (const ProductCase& c : cases) {
    Matrix m;
    c.build(m);
    ExpectElements(m, c.want, c.name);
  }
}

TEST(Matrix, TransformsPointsAndVectors) {
  const Matrix m(2, 1, 4, 3, 13, 13);
  PointF pts[2] = {PointF(1, 1), PointF(0, 0)};
  ASSERT_EQ(m.TransformPoints(pts, 2), Ok);
  EXPECT_FLOAT_EQ(pts[0].X, 19);
  EXPECT_FLOAT_EQ(pts[0].Y, 17);
  EXPECT_FLOAT_EQ(pts[1].X, 13);
  EXPECT_FLOAT_EQ(pts[1].Y, 13);

  PointF v(1, 1);
  ASSERT_EQ(m.TransformVectors(&v), Ok);
  EXPECT_FLOAT_EQ(v.X, 6);
  EXPECT_FLOAT_EQ(v.Y, 4);

  Point ip(1, 0);
  const Matrix half(0.5f, 0, 0, 0.5f, 0.25f, 0);
  half.TransformPoints(&ip);
  EXPECT_EQ(ip.X, 1);  // 0.75 rounds to 1
  EXPECT_EQ(ip.Y, 0);

  EXPECT_EQ(m.TransformPoints(static_cast<PointF*>(nullptr), 1), InvalidParameter);
  EXPECT_EQ(m.GetLastStatus(), InvalidParameter);
  EXPECT_EQ(m.GetLastStatus(), Ok);
}

TEST(Matrix, InvertsOrRefusesSingular) {
  struct Case {
    Matrix m;
    std::array<REAL, 6> want;
  };
  const Case cases[] = {
      {Matrix(2, 0, 0, 4, 10, 20), {0.5f, 0, 0, 0.25f, -5, -5}},
      {Matrix(0, 1, -1, 0, 5, 0), {0, -1, 1, 0, 0, 5}},
  };
  for (const Case& c : cases) {
    Matrix m = c.m;
    EXPECT_TRUE(m.IsInvertible());
    ASSERT_EQ(m.Invert(), Ok);
    ExpectElements(m, c.want, "inverse");
  }

  // A product with its inverse gives the identity.
  Matrix m;
  m.Translate(3, -7);
  m.Rotate(30, MatrixOrderAppend);
  m.Scale(2, 0.5f, MatrixOrderAppend);
  m.Shear(0.25f, 0, MatrixOrderAppend);
  Matrix inv = m;
  ASSERT_EQ(inv.Invert(), Ok);
  m.Multiply(&inv, MatrixOrderAppend);
  ExpectElements(m, {1, 0, 0, 1, 0, 0}, "m x inverse");

  Matrix singular(1, 2, 2, 4, 5, 6);
  EXPECT_FALSE(singular.IsInvertible());
  EXPECT_EQ(singular.Invert(), InvalidParameter);
  ExpectElements(singular, {1, 2, 2, 4, 5, 6}, "singular left alone");
}

TEST(Matrix, IdentityEqualityAndParallelogram) {
  Matrix m;
  EXPECT_TRUE(m.IsIdentity());
  m.Rotate(360);
  EXPECT_TRUE(m.IsIdentity());
  m.Translate(1, 0);
  EXPECT_FALSE(m.IsIdentity());
  EXPECT_EQ(m.OffsetX(), 1);
  Matrix same(1, 0, 0, 1, 1, 0);
  EXPECT_TRUE(m.Equals(&same));
  std::unique_ptr<Matrix> clone(m.Clone());
  EXPECT_TRUE(clone->Equals(&m));

  // The rectangle's corners land on the parallelogram's.
  const PointF plg[3] = {PointF(100, 100), PointF(120, 100), PointF(100, 140)};
  const Matrix map(RectF(0, 0, 10, 20), plg);
  PointF corner(10, 20);
  map.TransformPoints(&corner);
  EXPECT_FLOAT_EQ(corner.X, 120);
  EXPECT_FLOAT_EQ(corner.Y, 140);
}

}  // namespace
