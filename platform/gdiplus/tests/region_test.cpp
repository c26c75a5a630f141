// Regions: the combine operations, infinite and empty regions, bounds and transforms.
#include <gtest/gtest.h>

#include <functional>

#include "gdiplus.h"

using namespace Gdiplus;

namespace {

TEST(Region, CombineModesByPointProbes) {
  // A = (0..10) and B = (5..15) across, both 10 high; probes in A only, both, B only, neither.
  const RectF a(0, 0, 10, 10), b(5, 0, 10, 10);
  const REAL xs[4] = {2, 7, 12, 20};
  struct Case {
    const char* name;
    std::function<void(Region&)> combine;
    bool want[4];
  };
  const Case cases[] = {
      {"intersect", [&](Region& r) { r.Intersect(b); }, {false, true, false, false}},
      {"union", [&](Region& r) { r.Union(b); }, {true, true, true, false}},
      {"xor", [&](Region& r) { r.Xor(b); }, {true, false, true, false}},
      {"exclude", [&](Region& r) { r.Exclude(b); }, {true, false, false, false}},
      {"complement", [&](Region& r) { r.Complement(b); }, {false, false, true, false}},
      {"with a region", [&](Region& r) { Region other(b); r.Union(&other); }, {true, true, true, false}},
      {"with a path",
       [&](Region& r) {
         GraphicsPath p;
         p.AddRectangle(b);
         r.Exclude(&p);
       },
       {true, false, false, false}},
      {"with a combined region",
       [&](Region& r) {
         Region other(b);
         other.Exclude(RectF(10, 0, 5, 10));  // B less its right part: 5..10
         r.Xor(&other);
       },
       {true, false, false, false}},
  };
  for (const Case& c : cases) {
    Region r(a);
    c.combine(r);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(r.IsVisible(xs[i], 5.0f) != FALSE, c.want[i]) << c.name << " x=" << xs[i];
  }
}

TEST(Region, InfiniteEmptyAndBounds) {
  Region r;
  EXPECT_TRUE(r.IsInfinite());
  EXPECT_FALSE(r.IsEmpty());
  EXPECT_TRUE(r.IsVisible(1e6f, -1e6f));
  RectF b;
  r.GetBounds(&b);
  EXPECT_FLOAT_EQ(b.X, -4194304.0f);
  EXPECT_FLOAT_EQ(b.Width, 8388608.0f);

  r.Intersect(RectF(1, 2, 3, 4));
  EXPECT_FALSE(r.IsInfinite());
  r.GetBounds(&b);
  EXPECT_TRUE(b.Equals(RectF(1, 2, 3, 4)));

  r.Union(RectF(10, 10, 2, 2));
  r.GetBounds(&b);
  EXPECT_TRUE(b.Equals(RectF(1, 2, 11, 10)));

  struct EmptyCase {
    const char* name;
    std::function<void(Region&)> build;
    bool empty;
  };
  const EmptyCase cases[] = {
      {"made empty", [](Region& x) { x.MakeEmpty(); }, true},
      {"disjoint intersection", [](Region& x) { x = Region(RectF(0, 0, 1, 1)); x.Intersect(RectF(5, 5, 1, 1)); }, true},
      {"shape less itself",
       [](Region& x) {
         GraphicsPath p;
         p.AddEllipse(RectF(0, 0, 7, 5));
         x = Region(&p);
         x.Exclude(&p);
       },
       true},
      {"shape less part of it", [](Region& x) { x = Region(RectF(0, 0, 4, 4)); x.Exclude(RectF(0, 0, 2, 4)); }, false},
      {"infinite less a shape", [](Region& x) { x.MakeInfinite(); x.Exclude(RectF(0, 0, 4, 4)); }, false},
  };
  for (const EmptyCase& c : cases) {
    Region x;
    c.build(x);
    EXPECT_EQ(x.IsEmpty() != FALSE, c.empty) << c.name;
  }
}

TEST(Region, TransformMovesEveryShape) {
  Region r(RectF(0, 0, 10, 10));
  r.Exclude(RectF(0, 0, 5, 10));
  Region inner(RectF(20, 0, 5, 5));
  r.Union(&inner);
  const Matrix m(2, 0, 0, 1, 100, 0);
  r.Transform(&m);
  EXPECT_FALSE(r.IsVisible(7.0f, 5.0f));
  EXPECT_FALSE(r.IsVisible(105.0f, 5.0f));  // the excluded half, moved
  EXPECT_TRUE(r.IsVisible(115.0f, 5.0f));
  EXPECT_TRUE(r.IsVisible(145.0f, 2.0f));   // the united square, moved
  r.Translate(-100, 0);
  EXPECT_TRUE(r.IsVisible(15.0f, 5.0f));
}

}  // namespace
