#include <gtest/gtest.h>

#include <vectorloom/RefObj.h>
#include <vectorloom/TransMatrix.h>
#include <vectorloom/UnitConv.h>

using namespace Vectorloom;

namespace {

void ExpectMatrixNear(const CQorTransMatrix& m, const CQorTransMatrix& e) {
  EXPECT_NEAR(m.m11, e.m11, 1e-5);
  EXPECT_NEAR(m.m12, e.m12, 1e-5);
  EXPECT_NEAR(m.m21, e.m21, 1e-5);
  EXPECT_NEAR(m.m22, e.m22, 1e-5);
  EXPECT_NEAR(m.dx, e.dx, 1e-4);
  EXPECT_NEAR(m.dy, e.dy, 1e-4);
}

}  // namespace

TEST(TransMatrix, ProductAppliesLeftOperandFirst) {
  const CQorTransMatrix scale = CQorTransMatrix::Scale(2, 3);
  const CQorTransMatrix move = CQorTransMatrix::Translation(10, 20);
  // Scale first, then move: (1,1) -> (2,3) -> (12,23).
  auto p = (scale * move).Transform({1, 1});
  EXPECT_FLOAT_EQ(p.x, 12);
  EXPECT_FLOAT_EQ(p.y, 23);
  // Move first, then scale: (1,1) -> (11,21) -> (22,63).
  p = (move * scale).Transform({1, 1});
  EXPECT_FLOAT_EQ(p.x, 22);
  EXPECT_FLOAT_EQ(p.y, 63);
  ExpectMatrixNear(move * scale, CQorTransMatrix(2, 0, 0, 3, 20, 60));

  CQorTransMatrix m = scale;
  m.Prepend(move);
  EXPECT_EQ(m, move * scale);
  m = scale;
  m.Append(move);
  EXPECT_EQ(m, scale * move);
}

TEST(TransMatrix, RotationInversionAndScaling) {
  // 90 degrees turns the x axis onto the y axis (clockwise on a y-down page).
  const CQorTransMatrix r = CQorTransMatrix::Rotation(90);
  auto p = r.Transform({1, 0});
  EXPECT_NEAR(p.x, 0, 1e-6);
  EXPECT_NEAR(p.y, 1, 1e-6);
  EXPECT_NEAR(r.RotationAngle(), 90, 1e-4);

  const CQorTransMatrix about = CQorTransMatrix::RotationAt(180, 5, 5);
  p = about.Transform({0, 0});
  EXPECT_NEAR(p.x, 10, 1e-5);
  EXPECT_NEAR(p.y, 10, 1e-5);

  CQorTransMatrix m(2, 1, 1, 3, 4, -7);
  CQorTransMatrix inv = m;
  ASSERT_TRUE(inv.Invert());
  ExpectMatrixNear(m * inv, CQorTransMatrix());
  ExpectMatrixNear(inv, CQorTransMatrix(0.6f, -0.2f, -0.2f, 0.4f, -3.8f, 3.6f));

  CQorTransMatrix singular(1, 2, 2, 4, 5, 6);
  const CQorTransMatrix before = singular;
  EXPECT_FALSE(singular.Invert());
  EXPECT_EQ(singular, before);

  float sx, sy;
  (CQorTransMatrix::Scale(3, 4) * CQorTransMatrix::Rotation(30)).Scaling(sx, sy);
  EXPECT_NEAR(sx, 3, 1e-5);
  EXPECT_NEAR(sy, 4, 1e-5);

  const auto box = CQorTransMatrix::Rotation(90).TransformRect({0, 0, 10, 20});
  EXPECT_NEAR(box.left, -20, 1e-4);
  EXPECT_NEAR(box.right, 0, 1e-4);
  EXPECT_NEAR(box.bottom, 10, 1e-4);
}

TEST(UnitConv, LengthsAtScreenAndPrinterResolution) {
  struct Case {
    double value;
    int unit;
    double dpi;
    double pixels;
  } cases[] = {
      {8.5, UNIT_INCH, 96, 816},     {2.54, UNIT_CENTIMETER, 96, 96}, {25.4, UNIT_MILLIMETER, 96, 96},
      {72, UNIT_POINT, 96, 96},      {100, UNIT_PIXEL, 96, 100},      {100, UNIT_PIXEL, 600, 625},
      {1, UNIT_INCH, 600, 600},      {0.03, UNIT_INCH, 96, 2.88},     {297, UNIT_MILLIMETER, 96, 1122.5196850393702},
  };
  for (const auto& c : cases) {
    EXPECT_NEAR(CUnitConv::It2PixelD(c.value, c.unit, c.dpi), c.pixels, 1e-9) << c.value << " unit " << c.unit;
    EXPECT_NEAR(CUnitConv::Pixel2ItD(c.pixels, c.unit, c.dpi), c.value, 1e-9);
  }
  EXPECT_NEAR(CUnitConv::ConvertValue(8.5, UNIT_INCH, UNIT_CENTIMETER), 21.59, 1e-9);
  EXPECT_NEAR(CUnitConv::ConvertValue(210, UNIT_MILLIMETER, UNIT_POINT), 595.2755905511812, 1e-9);
  EXPECT_NEAR(CUnitConv::ConvertValue(1, UNIT_INCH, UNIT_PIXEL), 96, 1e-9);
  EXPECT_FLOAT_EQ(CUnitConv::Weight2Pixel(2.0f, 96), 2.6666667f);
  EXPECT_FLOAT_EQ(CUnitConv::Pixel2Weight(4.0f, 96), 3.0f);
  EXPECT_EQ(CUnitConv::Pixel2ItD(10, UNIT_INCH, 0), 0);  // no resolution, no length
}

namespace {
struct Counted : CRefObj {
  explicit Counted(int* deaths) : deaths_(deaths) {}
  ~Counted() override { ++*deaths_; }
  int* deaths_;
};
}  // namespace

TEST(RefObj, DeletesWhenTheLastHolderReleases) {
  int deaths = 0;
  auto* obj = new Counted(&deaths);
  EXPECT_EQ(obj->GetRefCount(), 0);
  EXPECT_EQ(obj->AddRef(), 1);
  EXPECT_EQ(obj->AddRef(), 2);
  EXPECT_EQ(obj->Release(), 1);
  EXPECT_EQ(deaths, 0);
  Counted* holder = obj;
  ReleaseRefObj(holder);
  EXPECT_EQ(holder, nullptr);
  EXPECT_EQ(deaths, 1);
  // A fresh object released without ever being held is deleted at once (count below 1).
  (new Counted(&deaths))->Release();
  EXPECT_EQ(deaths, 2);
}
