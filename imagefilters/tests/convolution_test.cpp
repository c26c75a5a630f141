// Convolution, median and oil paint: edge replication, the presets' kernels in action, rank rules,
// the bounds on window sizes and copies of filters.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

constexpr DWORD A = Rgb(200, 0, 0);  // grey 60
constexpr DWORD B = Rgb(0, 200, 0);  // grey 118
constexpr DWORD C = Rgb(0, 0, 200);  // grey 22

TEST(QorWindowFilters, ExactPixels) {
  const Rows impulse = {{0, 0, 0}, {0, Gray3(255), 0}, {0, 0, 0}};
  const Rows corner = {{Gray3(255), 0, 0}, {0, 0, 0}, {0, 0, 0}};
  const Rows ramp = {{Gray3(10), Gray3(20), Gray3(30)}};
  const Rows flat = Uniform(4, 3, Argb(77, 90, 140, 200));
  RunFilterCases({
      {"3 x 3 blur of an impulse", Make<CQorPixelGaussianBlur3x3>(), 24, impulse,
       {{Gray3(15), Gray3(31), Gray3(15)}, {Gray3(31), Gray3(63), Gray3(31)}, {Gray3(15), Gray3(31), Gray3(15)}}},
      {"3 x 3 blur repeats the corner pixel", Make<CQorPixelGaussianBlur3x3>(), 24, corner,
       {{Gray3(143), Gray3(47), 0}, {Gray3(47), Gray3(15), 0}, {0, 0, 0}}},
      {"5 x 5 blur of an impulse", Make<CQorPixelGaussianBlur5x5>(), 24,
       {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, Gray3(255), 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}},
       {{0, Gray3(4), Gray3(9), Gray3(4), 0},
        {Gray3(4), Gray3(14), Gray3(19), Gray3(14), Gray3(4)},
        {Gray3(9), Gray3(19), Gray3(39), Gray3(19), Gray3(9)},
        {Gray3(4), Gray3(14), Gray3(19), Gray3(14), Gray3(4)},
        {0, Gray3(4), Gray3(9), Gray3(4), 0}}},
      {"blur 3 x 3 keeps a flat image and alpha", Make<CQorPixelGaussianBlur3x3>(), 32, flat, flat},
      {"blur 5 x 5 keeps a flat image", Make<CQorPixelGaussianBlur5x5>(), 32, flat, flat},
      {"sharpening keeps a flat image", Make<CQorPixelSharp>(5), 32, flat, flat},
      {"edges of a flat image are black", Make<CQorPixelDetectEdges>(), 32, flat, Uniform(4, 3, Argb(77, 0, 0, 0))},
      {"edges of an impulse, radius below 2 is 1", Make<CQorPixelDetectEdges>(0), 24, impulse,
       {{0, 0, 0}, {0, Gray3(255), 0}, {0, 0, 0}}},
      {"sharp 1 divides by 1", Make<CQorPixelSharp>(1), 24, ramp, {{0, Gray3(20), Gray3(60)}}},
      {"sharp 0 divides by 1", Make<CQorPixelSharp>(0), 24, ramp, {{0, 0, Gray3(30)}}},
      {"sharp 4 divides by 4", Make<CQorPixelSharp>(4), 24, ramp, {{Gray3(2), Gray3(20), Gray3(37)}}},
      {"sharp with a huge amount stays in range", Make<CQorPixelSharp>(INT_MAX), 24, ramp,
       {{Gray3(9), Gray3(20), Gray3(30)}}},
      // A 1023 x 1023 window: pixel 0 sees 512 columns of 10 and 511 of 200, pixel 1 the reverse.
      {"edges with a huge radius are bounded", Make<CQorPixelDetectEdges>(INT_MAX), 24, {{Gray3(10), Gray3(200)}},
       {{0, Gray3(255)}}},
      {"median 1 keeps every colour", Make<CQorPixelMedianFilter>(1), 24, {{A, B}, {C, Rgb(1, 2, 3)}},
       {{A, B}, {C, Rgb(1, 2, 3)}}},
      {"median 3 removes the salt pixel", Make<CQorPixelMedianFilter>(3), 32,
       {{Gray3(10), Gray3(20), Gray3(30)}, {Gray3(40), Gray3(255), Gray3(50)}, {Gray3(60), Gray3(70), Gray3(80)}},
       {{Gray3(20), Gray3(30), Gray3(30)}, {Gray3(40), Gray3(50), Gray3(50)}, {Gray3(60), Gray3(70), Gray3(80)}}},
      {"even median sizes lean up and left", Make<CQorPixelMedianFilter>(2), 24, {{Gray3(200), Gray3(10), Gray3(100)}},
       {{Gray3(200), Gray3(200), Gray3(100)}}},
      {"median 0 behaves as 1", Make<CQorPixelMedianFilter>(0), 24, {{A, B, C}}, {{A, B, C}}},
      {"negative median behaves as 1", Make<CQorPixelMedianFilter>(-3), 24, {{A, B, C}}, {{A, B, C}}},
      {"median with a huge size is bounded", Make<CQorPixelMedianFilter>(INT_MAX), 24, {{Gray3(10), Gray3(200)}},
       {{Gray3(10), Gray3(200)}}},
      {"oil paint: the value that reached its count first wins", Make<CQorPixelOilPaint>(1), 24,
       {{A, A, B}, {B, C, A}, {B, B, A}}, {{A, A, B}, {B, B, A}, {B, B, A}}},
      {"oil paint radius 0 behaves as 1", Make<CQorPixelOilPaint>(0), 24, {{A, A, B}, {B, C, A}, {B, B, A}},
       {{A, A, B}, {B, B, A}, {B, B, A}}},
      {"oil paint keeps alpha", Make<CQorPixelOilPaint>(1), 32, {{Argb(5, 200, 0, 0), Argb(6, 0, 0, 200)}},
       {{Argb(5, 200, 0, 0), Argb(6, 0, 0, 200)}}},
      {"8-bit images are refused", Make<CQorPixelMedianFilter>(3), 8, {{1, 2}}, {}, 0},
  });
}

TEST(QorWindowFilters, KernelsAndBounds) {
  EXPECT_EQ(CQorPixelDetectEdges().GetKernelSize(), 7);
  EXPECT_EQ(CQorPixelDetectEdges().GetKernel()[24], 48);
  EXPECT_EQ(CQorPixelDetectEdges(INT_MAX).GetKernelSize(), kMaxWindowSide);

  CQorPixelConvolute conv;
  const int one[1] = {3};
  conv.SetKernel(nullptr, 1, 1, 0);
  conv.SetKernel(one, 0, 1, 0);
  conv.SetKernel(one, kMaxWindowSide + 2, 1, 0);
  EXPECT_EQ(conv.GetKernelSize(), 0) << "refused kernels leave none set";
  // No kernel: every pixel becomes the clamped offset (0).
  CQorObjImage img = ImageOf(24, {{Gray3(90)}});
  ASSERT_EQ(img.SinglePixelProcessProc(conv, nullptr), 1);
  EXPECT_EQ(img.GetPixelData(0, 0), 0u);
  // A 1 x 1 kernel with offset and divisor: 90 x 3 / 2 + 10.
  conv.SetKernel(one, 1, 2, 10);
  CQorObjImage img2 = ImageOf(24, {{Gray3(90)}});
  ASSERT_EQ(img2.SinglePixelProcessProc(conv, nullptr), 1);
  EXPECT_EQ(img2.GetPixelData(0, 0), Gray3(145));
}

TEST(QorWindowFilters, CopiedFilterOwnsItsKernel) {
  auto* original = new CQorPixelDetectEdges(1);
  CQorPixelDetectEdges copy(*original);
  CQorPixelDetectEdges assigned(5);
  assigned = *original;
  delete original;
  for (CQorPixelDetectEdges* f : {&copy, &assigned}) {
    CQorObjImage img = ImageOf(24, {{0, 0, 0}, {0, Gray3(255), 0}, {0, 0, 0}});
    ASSERT_EQ(img.SinglePixelProcessProc(*f, nullptr), 1);
    EXPECT_EQ(RowsOf(img), (Rows{{0, 0, 0}, {0, Gray3(255), 0}, {0, 0, 0}}));
  }
}

TEST(QorWindowFilters, AttachedImageReadsAnUnfilteredCopy) {
  // Filtering a caller's block: the window must see the old pixels, not the ones just written.
  struct Case {
    const char* name;
    FilterMaker make;
  };
  const Case cases[] = {{"blur", Make<CQorPixelGaussianBlur3x3>()},
                        {"median", Make<CQorPixelMedianFilter>(3)},
                        {"oil paint", Make<CQorPixelOilPaint>(1)}};
  const Rows in = {{Gray3(10), Gray3(200), Gray3(30)}, {Gray3(90), Gray3(250), Gray3(5)}, {Gray3(60), Gray3(7), Gray3(120)}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CQorObjImage owned = ImageOf(24, in);
    auto f1 = c.make();
    ASSERT_EQ(owned.SinglePixelProcessProc(*f1, nullptr), 1);

    CQorObjImage source = ImageOf(24, in);
    CQorObjImage attached;
    attached.Attach(reinterpret_cast<BITMAPINFOHEADER*>(source.GetMemStart() - source.CalcuPaletteSize() - 40));
    auto f2 = c.make();
    ASSERT_EQ(attached.SinglePixelProcessProc(*f2, nullptr), 1);
    EXPECT_EQ(RowsOf(attached), RowsOf(owned));
    attached.Detch();
  }
}

// The median filter against the plain way of computing it: every window read row by row, sorted
// by grey with qsort, the middle entry taken. Pictures of few colours, several of which share a
// grey, so that the choice among entries of the median grey shows.
TEST(QorMedianFilter, MatchesSortingEachWindow) {
  const DWORD palette[] = {Rgb(200, 0, 0), Rgb(0, 102, 0), Rgb(0, 0, 255), Rgb(60, 60, 60),
                           Rgb(0, 0, 0),   Rgb(255, 255, 255), Rgb(90, 40, 30), Rgb(30, 40, 90)};
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  struct Shape {
    int w, h;
  };
  for (const Shape shape : {Shape{1, 1}, Shape{2, 3}, Shape{7, 5}, Shape{17, 13}, Shape{40, 9}}) {
    for (const int bits : {24, 32}) {
      for (const int size : {1, 2, 3, 4, 5, 7, 9}) {
        SCOPED_TRACE(testing::Message() << shape.w << " x " << shape.h << ", " << bits << " bits, window " << size);
        Rows in(static_cast<size_t>(shape.h));
        for (auto& row : in)
          for (int x = 0; x < shape.w; ++x) {
            const bool few = next() % 4 != 0;  // mostly palette colours (ties), some noise
            row.push_back(few ? palette[next() % 8] : (next() & 0xFFFFFF));
          }
        const CQorObjImage source = ImageOf(bits, in);
        CQorObjImage gray = source;
        CQorPixelConvertTo8BitGray toGray;
        ASSERT_EQ(gray.SinglePixelProcessProc(toGray, nullptr), 1);
        ASSERT_EQ(gray.ColorBits(), 8);

        Rows expected = in;
        std::vector<CQorPixelMedianFilter::WindowEntry> window;
        for (int y = 0; y < shape.h; ++y) {
          for (int x = 0; x < shape.w; ++x) {
            window.clear();
            for (int k = 0; k < size; ++k) {
              for (int j = 0; j < size; ++j) {
                const int sx = std::clamp(x - size / 2 + j, 0, shape.w - 1);
                const int sy = std::clamp(y - size / 2 + k, 0, shape.h - 1);
                const BYTE* c = source.GetBits(sx, sy);
                window.push_back({c[0], c[1], c[2], *gray.GetBits(sx, sy)});
              }
            }
            std::qsort(window.data(), window.size(), sizeof(window[0]), &CQorPixelMedianFilter::__CompareGray);
            const auto& m = window[window.size() / 2];
            const DWORD alpha = bits == 32 ? (in[y][x] & 0xFF000000u) : 0;
            expected[y][x] = alpha | Rgb(m.red, m.green, m.blue);
          }
        }
        CQorObjImage img = source;
        CQorPixelMedianFilter median(size);
        ASSERT_EQ(img.SinglePixelProcessProc(median, nullptr), 1);
        EXPECT_EQ(RowsOf(img), expected);
      }
    }
  }
}

}  // namespace
