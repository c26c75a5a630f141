#include <gtest/gtest.h>

#include <windows.h>

TEST(Win32Rect, IntersectUnionAndEmpty) {
  RECT a{0, 0, 10, 10}, b{5, 5, 20, 20}, c{10, 0, 20, 10}, r{};
  EXPECT_TRUE(IntersectRect(&r, &a, &b));
  const RECT expected{5, 5, 10, 10};
  EXPECT_TRUE(EqualRect(&r, &expected));
  // Touching edges do not intersect; the result is emptied.
  r = RECT{1, 2, 3, 4};
  EXPECT_FALSE(IntersectRect(&r, &a, &c));
  EXPECT_TRUE(r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0);
  EXPECT_TRUE(UnionRect(&r, &a, &b));
  EXPECT_EQ(r.right, 20);
  RECT empty{3, 3, 3, 9};
  EXPECT_TRUE(UnionRect(&r, &empty, &a));
  EXPECT_EQ(r.right, 10);
  EXPECT_TRUE(IsRectEmpty(&empty));
}

TEST(Win32Rect, PointsOffsetInflate) {
  RECT a{0, 0, 10, 10};
  EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
  EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));  // right and bottom edges are outside
  EXPECT_FALSE(PtInRect(&a, POINT{5, 10}));
  OffsetRect(&a, 3, -2);
  EXPECT_EQ(a.left, 3);
  EXPECT_EQ(a.top, -2);
  InflateRect(&a, 1, 2);
  EXPECT_EQ(a.left, 2);
  EXPECT_EQ(a.bottom, 10);
}

TEST(Win32MulDiv, RoundsHalfAwayFromZero) {
  struct Case {
    int a, b, c, expected;
  } cases[] = {
      {10, 3, 4, 8},      // 7.5 -> 8
      {-10, 3, 4, -8},    // -7.5 -> -8
      {10, -3, 4, -8},
      {10, 3, -4, -8},
      {-10, -3, -4, -8},
      {7, 1, 3, 2},       // 2.33 -> 2
      {5, 1, 3, 2},       // 1.67 -> 2
      {72, 96, 72, 96},
      {0x7fffffff, 2, 2, 0x7fffffff},  // 64-bit intermediate
      {1, 1, 0, -1},                   // division by zero
      {0x7fffffff, 4, 1, -1},          // overflow
  };
  for (const auto& k : cases) EXPECT_EQ(MulDiv(k.a, k.b, k.c), k.expected) << k.a << "*" << k.b << "/" << k.c;
}
