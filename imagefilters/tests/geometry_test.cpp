// Quarter turns, mosaic, mirage, splash, deinterlace, channel split and combine, 3D frame.
#include <gtest/gtest.h>

#include "FilterTestUtil.h"

using namespace QorPixelmill;
using namespace pixeltest;

namespace {

constexpr DWORD A = Rgb(1, 2, 3), B = Rgb(4, 5, 6), C = Rgb(7, 8, 9), D = Rgb(10, 11, 12), E = Rgb(13, 14, 15),
                F = Rgb(16, 17, 18);
constexpr DWORD Op(int v) { return Argb(255, v, v, v); }

// A 10 x 10 frame of width 3 drawn from a map: L light, F face, S shadow, . unchanged.
Rows GreyRows(const std::vector<std::vector<int>>& values) {
  Rows r;
  for (const auto& row : values) {
    r.emplace_back();
    for (int v : row) r.back().push_back(Gray3(v));
  }
  return r;
}

Rows FrameOf(const std::vector<std::string>& map, DWORD inside) {
  Rows out;
  for (const std::string& row : map) {
    out.emplace_back();
    for (char c : row)
      out.back().push_back(c == 'L' ? Op(255) : c == 'F' ? Op(192) : c == 'S' ? Op(128) : inside);
  }
  return out;
}

template <class Fi>
FilterMaker Seeded(int size, uint32_t seed) {
  return [=]() {
    auto f = std::unique_ptr<CQorInterfacePixelProcess>(new Fi(size));
    QorSrand(seed);
    return f;
  };
}

TEST(QorGeometryFilters, ExactPixels) {
  const Rows labelled = {{A, B}, {C, D}, {E, F}};  // 2 wide, 3 high
  const std::vector<std::string> frame = {
      "LLLLLLLLLL",  //
      "LFFFFFFFFS",  //
      "LFSSSSSSFS",  //
      "LFS....LFS",  //
      "LFS....LFS",  //
      "LFS....LFS",  //
      "LFS....LFS",  //
      "LFSLLLLLFS",  //
      "LFFFFFFFFS",  //
      "LSSSSSSSSS",  //
  };
  RunFilterCases({
      {"quarter turn clockwise", Make<CQorPixelRotate90>(), 24, labelled, {{E, C, A}, {F, D, B}}},
      {"quarter turn anticlockwise", Make<CQorPixelRotate270>(), 24, labelled, {{B, D, F}, {A, C, E}}},
      {"half turn", Make<CQorPixelRotate180>(), 24, labelled, {{F, E}, {D, C}, {B, A}}},
      {"1-bit images are not turned", Make<CQorPixelRotate90>(), 1, {{0, 1}}, {}, 0},
      // Block 0 is four opaque pixels; block 1 is the clipped column, averaged by alpha.
      {"mosaic 1 uses blocks of 2", Make<CQorPixelMosaic>(1), 32,
       {{Op(10), Op(30), Argb(0, 200, 200, 200)}, {Op(50), Op(70), Argb(128, 100, 100, 100)}},
       {{Op(40), Op(40), Argb(64, 100, 100, 100)}, {Op(40), Op(40), Argb(64, 100, 100, 100)}}},
      {"mosaic of a transparent block", Make<CQorPixelMosaic>(2), 32, Uniform(2, 2, Argb(0, 77, 77, 77)),
       Uniform(2, 2, 0)},
      {"mosaic needs alpha", Make<CQorPixelMosaic>(2), 24, Uniform(2, 2, Gray3(9)), {}, 0},
      // Even rows 2 is rebuilt from rows 1 and 3 weighted by alpha; rows 0 and 4 stay.
      {"deinterlace even field", Make<CPixelDeinterlace>(CPixelDeinterlace::SCAN_EVEN_FIELD), 32,
       {{Op(1)}, {Argb(255, 0, 0, 0)}, {Op(99)}, {Argb(85, 200, 100, 40)}, {Op(7)}},
       {{Op(1)}, {Argb(255, 0, 0, 0)}, {Argb(170, 50, 25, 10)}, {Argb(85, 200, 100, 40)}, {Op(7)}}},
      {"deinterlace odd field between transparent rows keeps the colour", Make<CPixelDeinterlace>(CPixelDeinterlace::SCAN_ODD_FIELD),
       32, {{Argb(1, 9, 9, 9)}, {Op(99)}, {Argb(0, 5, 5, 5)}},
       {{Argb(1, 9, 9, 9)}, {Argb(0, 99, 99, 99)}, {Argb(0, 5, 5, 5)}}},
      {"3D frame of width 3", Make<CQorPixelFill3DSolidFrame>(3), 32, Uniform(10, 10, Op(7)), FrameOf(frame, Op(7))},
      {"3D frame on 24 bits", Make<CQorPixelFill3DSolidFrame>(0), 24, Uniform(10, 10, Gray3(7)),
       [&] {
         Rows r = FrameOf(frame, Gray3(7));
         for (auto& row : r)
           for (DWORD& v : row) v &= 0xFFFFFF;
         return r;
       }()},
      // Divisions of 0 behave as 1: one sector, every pixel pulled from `shift` pixels to its right.
      // Three sectors; shift = trunc(diagonal / 4) = 1; each byte moves toward its source by r.
      {"mirage in three sectors", Make<CQorPixelIllusion>(3), 24, GreyRows({{0, 29, 58, 87, 116, 145}, {53, 82, 111, 140, 169, 198}, {106, 135, 164, 193, 222, 251}, {159, 188, 217, 246, 19, 48}, {212, 241, 14, 43, 72, 101}}), GreyRows({{29, 52, 39, 69, 97, 122}, {77, 100, 124, 129, 156, 180}, {128, 150, 172, 190, 214, 236}, {181, 203, 225, 236, 68, 139}, {236, 96, 27, 109, 152, 49}})},
      // Seed 7: offsets -2..2 drawn x then y for each pixel, clamped into the image.
      {"splash", Seeded<CQorPixelSplash>(5, 7), 24, GreyRows({{0, 1, 2, 3}, {10, 11, 12, 13}, {20, 21, 22, 23}}),
       GreyRows({{0, 0, 1, 23}, {20, 22, 2, 3}, {21, 21, 0, 21}})},
      {"mirage on a uniform image", Make<CQorPixelIllusion>(5), 32, Uniform(4, 4, Argb(9, 8, 7, 6)),
       Uniform(4, 4, Argb(9, 8, 7, 6))},
  });
}

TEST(QorGeometryFilters, FrameWiderThanTheImage) {
  // Only the raised outer ring is left: light on the top and left, shadow on the bottom and right.
  RunFilterCases({{"frame of the largest width", Make<CQorPixelFill3DSolidFrame>(INT32_MAX), 32, Uniform(3, 3, Op(7)),
                   FrameOf({"LLL", "LLS", "LSS"}, Op(7))}});
}

TEST(QorGeometryFilters, FourQuarterTurnsAreIdentityAndPaletteIsKept) {
  const Rows start = {{1, 2, 3}, {4, 5, 6}};
  CQorObjImage img = ImageOf(8, start);
  const RGBQUAD red{0, 0, 255, 0};
  img.SetColorTable(3, 1, &red);
  for (int i = 0; i < 4; ++i) {
    CQorPixelRotate90 turn;
    ASSERT_EQ(img.SinglePixelProcessProc(turn, nullptr), 1);
    EXPECT_EQ(img.Width(), i % 2 == 0 ? 2 : 3);
    RGBQUAD got{};
    ASSERT_TRUE(img.GetColorTable(3, 1, &got));
    EXPECT_EQ(got.rgbRed, 255) << "turn " << i;
  }
  EXPECT_EQ(RowsOf(img), start);
}

TEST(QorGeometryFilters, MirageWithNoDivisionsActsAsOne) {
  Rows in(6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) in[y].push_back(Argb(255, 30 * x, 40 * y, 7 * x * y % 256));
  CQorObjImage none = ImageOf(32, in), one = ImageOf(32, in), two = ImageOf(32, in);
  CQorPixelIllusion f0(0), f1(1), f2(2);
  ASSERT_EQ(none.SinglePixelProcessProc(f0, nullptr), 1);
  ASSERT_EQ(one.SinglePixelProcessProc(f1, nullptr), 1);
  ASSERT_EQ(two.SinglePixelProcessProc(f2, nullptr), 1);
  EXPECT_EQ(RowsOf(none), RowsOf(one));
  EXPECT_NE(RowsOf(one), in);
  EXPECT_NE(RowsOf(two), RowsOf(one));
}

TEST(QorGeometryFilters, SplashTakesOnlyPixelsOfTheImage) {
  // Every pixel is distinct, so each result names the place it came from.
  Rows in(5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) in[y].push_back(Rgb(x, y, 77));
  for (uint32_t seed = 1; seed <= 40; ++seed) {
    CQorObjImage img = ImageOf(24, in);
    CQorPixelSplash splash(9);
    QorSrand(seed);
    ASSERT_EQ(img.SinglePixelProcessProc(splash, nullptr), 1);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) {
        const DWORD v = img.GetPixelData(x, y);
        const int sx = (v >> 16) & 0xFF, sy = (v >> 8) & 0xFF;
        ASSERT_EQ(v & 0xFF, 77u);
        ASSERT_LT(sx, 6);
        ASSERT_LT(sy, 5);
        EXPECT_LE(std::abs(sx - x), 4);
        EXPECT_LE(std::abs(sy - y), 4);
      }
  }
}

TEST(QorChannelFilters, SplitThenCombineRoundTrips) {
  const Rows in = {{Argb(200, 1, 2, 3), Argb(9, 250, 128, 0)}, {Argb(255, 10, 20, 30), Argb(0, 40, 50, 60)}};
  CQorObjImage src = ImageOf(32, in);
  CQorObjImage r, g, b;
  CQorPixelSpliteChannelRGB split(&r, &g, &b);
  ASSERT_EQ(src.SinglePixelProcessProc(split, nullptr), 1);
  EXPECT_EQ(RowsOf(src), in) << "the source is not changed";
  EXPECT_EQ(RowsOf(r), (Rows{{Argb(200, 1, 1, 1), Argb(9, 250, 250, 250)}, {Argb(255, 10, 10, 10), Argb(0, 40, 40, 40)}}));
  EXPECT_EQ(RowsOf(b), (Rows{{Argb(200, 3, 3, 3), Argb(9, 0, 0, 0)}, {Argb(255, 30, 30, 30), Argb(0, 60, 60, 60)}}));
  for (CQorObjImage* c : {&r, &g, &b}) {
    CQorPixelConvertTo8BitGray grey;
    ASSERT_EQ(c->SinglePixelProcessProc(grey, nullptr), 1);
  }
  CQorObjImage target = ImageOf(24, {{1}});
  CQorPixelCombineChannelRGB combine(&r, &g, &b);
  ASSERT_EQ(target.SinglePixelProcessProc(combine, nullptr), 1);
  ASSERT_EQ(target.ColorBits(), 32);
  Rows opaque = in;
  for (auto& row : opaque)
    for (DWORD& v : row) v |= 0xFF000000;
  EXPECT_EQ(RowsOf(target), opaque);
}

TEST(QorChannelFilters, SplitOf24BitImageGivesOpaqueChannels) {
  // A 1-pixel-high image without row padding: a fourth byte of the last pixel would be past the
  // block, and of the first pixel the next pixel's blue.
  CQorObjImage src = ImageOf(24, {{Rgb(10, 20, 30), Rgb(40, 50, 60), Rgb(70, 80, 90), Rgb(1, 2, 3)}});
  CQorObjImage g;
  CQorPixelSpliteChannelRGB split(nullptr, &g, nullptr);
  ASSERT_EQ(src.SinglePixelProcessProc(split, nullptr), 1);
  EXPECT_EQ(RowsOf(g), (Rows{{Argb(255, 20, 20, 20), Argb(255, 50, 50, 50), Argb(255, 80, 80, 80), Argb(255, 2, 2, 2)}}));
}

TEST(QorChannelFilters, CombineRefusesMismatchedOrAliasedInputs) {
  CQorObjImage r = ImageOf(8, {{1, 2}}), g = ImageOf(8, {{3, 4}}), small = ImageOf(8, {{5}}), deep = ImageOf(24, {{5, 6}});
  const Rows before = {{Rgb(9, 9, 9)}};
  struct Case {
    const char* name;
    CQorObjImage* red;
    CQorObjImage* green;
    CQorObjImage* blue;
  };
  CQorObjImage target = ImageOf(24, before);
  for (const Case& c : {Case{"sizes differ", &r, &g, &small}, Case{"not 8-bit", &r, &g, &deep},
                        Case{"missing input", &r, nullptr, &g}, Case{"target is an input", &r, &g, &target}}) {
    SCOPED_TRACE(c.name);
    CQorPixelCombineChannelRGB combine(c.red, c.green, c.blue);
    EXPECT_EQ(target.SinglePixelProcessProc(combine, nullptr), 0);
    EXPECT_EQ(target.ColorBits(), 24);
    EXPECT_EQ(RowsOf(target), before);
  }
}

}  // namespace
