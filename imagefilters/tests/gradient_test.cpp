// Gradient fills: each shape's factor on pixels with exact values, the repeat modes, and
// degenerate geometry (no factor) filling with the start colour.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

using G = CQorPixelGradientBase;
constexpr RGBQUAD kStart{0, 0, 10, 0};    // blue 0, green 0, red 10
constexpr RGBQUAD kEnd{255, 100, 0, 0};   // blue 255, green 100, red 0
// The colour at t = 0, 1/4, 1/2, 3/4, 1: start + (end - start) x t truncated.
constexpr DWORD S = Rgb(10, 0, 0), Q1 = Rgb(7, 25, 63), H = Rgb(5, 50, 127), Q3 = Rgb(2, 75, 191), E = Rgb(0, 100, 255);
constexpr DWORD D = Rgb(2, 70, 180);  // t = 0.7071...

template <class F>
FilterMaker Line(POINT from, POINT to, G::REPEAT_MODE mode) {
  return Make<F>(from, to, kStart, kEnd, mode);
}
template <class F>
FilterMaker Box(RECT box, G::REPEAT_MODE mode) {
  return Make<F>(box, kStart, kEnd, mode);
}

TEST(QorGradients, ExactPixels) {
  using L = CQorPixelGradientLine;
  const Rows row10 = Uniform(10, 1, 0);
  const Rows sq5 = Uniform(5, 5, 0);
  RunFilterCases({
      {"line, pad", Line<L>({2, 0}, {6, 0}, G::REPEAT_PAD), 24, row10, {{S, S, S, Q1, H, Q3, E, E, E, E}}},
      {"line, repeat every length", Line<L>({2, 0}, {6, 0}, G::REPEAT_REPEAT), 24, row10,
       {{S, S, S, Q1, H, Q3, S, Q1, H, Q3}}},
      {"line, reflect runs back", Line<L>({2, 0}, {6, 0}, G::REPEAT_REFLECT), 24, row10,
       {{S, S, S, Q1, H, Q3, E, Q3, H, Q1}}},
      {"line, vertical, alpha untouched", Line<L>({0, 0}, {0, 4}, G::REPEAT_PAD), 32, Uniform(1, 5, Argb(66, 1, 1, 1)),
       {{Argb(66, 10, 0, 0)}, {Argb(66, 7, 25, 63)}, {Argb(66, 5, 50, 127)}, {Argb(66, 2, 75, 191)}, {Argb(66, 0, 100, 255)}}},
      {"line, other modes use the raw factor", Line<L>({0, 0}, {1, 0}, static_cast<G::REPEAT_MODE>(7)), 24,
       Uniform(4, 1, 0), {{S, E, Rgb(246, 200, 254), Rgb(236, 44, 253)}}},
      {"bilinear mirrors about the start", Line<CQorPixelGradientBiLine>({3, 0}, {5, 0}, G::REPEAT_PAD), 24,
       Uniform(7, 1, 0), {{E, E, H, S, H, E, E}}},
      {"symmetric conical along the direction", Line<CQorPixelGradientConicalSym>({1, 0}, {2, 0}, G::REPEAT_PAD), 24,
       Uniform(3, 1, 0), {{E, H, S}}},
      {"symmetric conical across", Line<CQorPixelGradientConicalSym>({0, 1}, {1, 1}, G::REPEAT_PAD), 24,
       Uniform(1, 3, 0), {{H}, {H}, {H}}},
      {"asymmetric conical along the direction", Line<CQorPixelGradientConicalASym>({1, 0}, {2, 0}, G::REPEAT_PAD),
       24, Uniform(3, 1, 0), {{H, H, S}}},
      {"asymmetric conical across", Line<CQorPixelGradientConicalASym>({0, 1}, {1, 1}, G::REPEAT_PAD), 24,
       Uniform(1, 3, 0), {{Q1}, {H}, {Q3}}},
      {"rectangle: centre 0, border 1", Box<CQorPixelGradientRect>({0, 0, 4, 4}, G::REPEAT_PAD), 24, sq5,
       {{E, E, E, E, E}, {E, H, H, H, E}, {E, H, S, H, E}, {E, H, H, H, E}, {E, E, E, E, E}}},
      {"rectangle: outside, pad", Box<CQorPixelGradientRect>({0, -1, 2, 1}, G::REPEAT_PAD), 24, Uniform(4, 1, 0),
       {{E, S, E, E}}},
      {"rectangle: outside, reflect", Box<CQorPixelGradientRect>({0, -1, 2, 1}, G::REPEAT_REFLECT), 24,
       Uniform(4, 1, 0), {{E, S, E, S}}},
      {"radial", Box<CQorPixelGradientRadial>({0, 0, 4, 4}, G::REPEAT_PAD), 24, sq5,
       {{E, E, E, E, E}, {E, D, H, D, E}, {E, H, S, H, E}, {E, D, H, D, E}, {E, E, E, E, E}}},
      {"8-bit images are refused", Box<CQorPixelGradientRadial>({0, 0, 4, 4}, G::REPEAT_PAD), 8, {{1}}, {}, 0},
      // Degenerate geometry has no factor: the start colour.
      {"line of length 0", Line<L>({2, 0}, {2, 0}, G::REPEAT_PAD), 24, Uniform(4, 1, 0), {{S, S, S, S}}},
      {"bilinear of length 0", Line<CQorPixelGradientBiLine>({1, 0}, {1, 0}, G::REPEAT_REFLECT), 24, Uniform(3, 1, 0),
       {{S, S, S}}},
      {"conical of length 0: middle at the centre", Line<CQorPixelGradientConicalSym>({1, 0}, {1, 0}, G::REPEAT_PAD),
       24, Uniform(3, 1, 0), {{S, H, S}}},
      {"asymmetric conical of length 0", Line<CQorPixelGradientConicalASym>({1, 0}, {1, 0}, G::REPEAT_PAD), 24,
       Uniform(3, 1, 0), {{S, H, S}}},
      {"rectangle of width 0", Box<CQorPixelGradientRect>({1, 0, 1, 4}, G::REPEAT_PAD), 24, Uniform(3, 1, 0),
       {{S, S, S}}},
      {"radial of height 0", Box<CQorPixelGradientRadial>({0, 1, 4, 1}, G::REPEAT_PAD), 24, Uniform(3, 1, 0),
       {{S, S, S}}},
  });
}

TEST(QorGradients, RepeatModes) {
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  struct Case {
    G::REPEAT_MODE mode;
    double f, t;
  };
  const Case cases[] = {
      {G::REPEAT_PAD, -3, 0},     {G::REPEAT_PAD, 0.5, 0.5},    {G::REPEAT_PAD, 7, 1},
      {G::REPEAT_REPEAT, -1, 1},  {G::REPEAT_REPEAT, 1, 0},     {G::REPEAT_REPEAT, -0.25, 0.75},
      {G::REPEAT_REPEAT, 2.5, 0.5}, {G::REPEAT_REFLECT, -1.25, 0.75}, {G::REPEAT_REFLECT, 2.25, 0.25},
      {G::REPEAT_REFLECT, 1, 1},  {static_cast<G::REPEAT_MODE>(5), 3, 3}, {G::REPEAT_PAD, nan, 0},
      {G::REPEAT_REPEAT, inf, 0}, {G::REPEAT_REFLECT, -inf, 0},
  };
  for (const Case& c : cases) {
    const CQorPixelGradientRect g({0, 0, 2, 2}, kStart, kEnd, c.mode);
    EXPECT_EQ(g.WrapFactor(c.f), c.t) << c.mode << " " << c.f;
  }
  EXPECT_EQ(G::FDoubleMod1(-2.75), -0.75);
  EXPECT_EQ(G::FDoubleMod1(3.5), 0.5);
}

}  // namespace
