// Drawing on small bitmaps, checked pixel by pixel at points well inside or outside the shapes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <limits>
#include <cmath>
#include <string>
#include <vector>

#include "gdiplus.h"
#include "wingdi.h"

using namespace Gdiplus;

namespace {

constexpr int kSize = 32;

// A 32 x 32 ARGB bitmap, transparent black to start with.
struct Canvas {
  Bitmap bmp{kSize, kSize, PixelFormat32bppARGB};

  // Draws with a Graphics that is gone again before the pixels are read.
  void Draw(const std::function<void(Graphics&)>& fn) {
    Graphics g(&bmp);
    ASSERT_EQ(g.GetLastStatus(), Ok);
    fn(g);
  }
  Color At(int x, int y) {
    Color c;
    EXPECT_EQ(bmp.GetPixel(x, y, &c), Ok);
    return c;
  }
};

// Channels within tol of each other.
::testing::AssertionResult Near(const Color& got, const Color& want, int tol = 2) {
  auto off = [&](BYTE a, BYTE b) { return std::abs(static_cast<int>(a) - static_cast<int>(b)) > tol; };
  if (off(got.GetA(), want.GetA()) || off(got.GetR(), want.GetR()) || off(got.GetG(), want.GetG()) ||
      off(got.GetB(), want.GetB())) {
    char buf[96];
    snprintf(buf, sizeof buf, "got %08X, want %08X", got.GetValue(), want.GetValue());
    return ::testing::AssertionFailure() << buf;
  }
  return ::testing::AssertionSuccess();
}

const Color kRed(255, 255, 0, 0), kBlue(255, 0, 0, 255), kNone(0, 0, 0, 0), kWhite(Color::White),
    kBlack(Color::Black), kGreen(255, 0, 255, 0);

struct Probe {
  int x, y;
  Color want;
  int tol = 2;
};

void CheckProbes(Canvas& c, const std::vector<Probe>& probes, const std::string& what) {
  for (const Probe& p : probes) EXPECT_TRUE(Near(c.At(p.x, p.y), p.want, p.tol)) << what << " at " << p.x << "," << p.y;
}

TEST(Graphics, FillsPathsUnderTheWorldTransform) {
  struct Case {
    const char* name;
    std::function<void(Graphics&)> draw;
    std::vector<Probe> probes;
  };
  SolidBrush red(kRed);
  const Case cases[] = {
      // Pixel centres lie on whole coordinates: the rectangle 4..12 covers pixels 4 to 11.
      {"rectangle on whole pixels",
       [&](Graphics& g) { g.FillRectangle(&red, 4, 4, 8, 8); },
       {{4, 4, kRed}, {11, 11, kRed}, {3, 8, kNone}, {12, 8, kNone}, {8, 12, kNone}}},
      {"half pixel offset mode",
       [&](Graphics& g) {
         g.SetPixelOffsetMode(PixelOffsetModeHalf);
         g.FillRectangle(&red, 4, 4, 8, 8);
       },
       {{4, 4, kRed}, {11, 11, kRed}, {3, 8, kNone}, {12, 8, kNone}}},
      {"antialiased triangle",
       [&](Graphics& g) {
         g.SetSmoothingMode(SmoothingModeAntiAlias);
         GraphicsPath p;
         const PointF tri[3] = {PointF(2, 2), PointF(30, 2), PointF(2, 30)};
         p.AddPolygon(tri, 3);
         g.FillPath(&red, &p);
       },
       {{5, 5, kRed}, {20, 6, kRed}, {28, 28, kNone}, {20, 20, kNone}}},
      {"translate then scale, prepended",
       [&](Graphics& g) {
         g.TranslateTransform(10, 0);
         g.ScaleTransform(2, 2);  // applied before the translation
         g.FillRectangle(&red, 0, 0, 4, 4);
       },
       {{12, 4, kRed}, {17, 7, kRed}, {9, 4, kNone}, {19, 4, kNone}, {12, 9, kNone}}},
      {"scale appended after translate",
       [&](Graphics& g) {
         g.TranslateTransform(5, 0);
         g.ScaleTransform(2, 2, MatrixOrderAppend);
         g.FillRectangle(&red, 0, 0, 4, 4);
       },
       {{12, 4, kRed}, {9, 4, kNone}, {18, 4, kNone}}},
      {"rotated ellipse",
       [&](Graphics& g) {
         g.TranslateTransform(16, 16);
         g.RotateTransform(90);
         g.FillEllipse(&red, -14, -4, 28, 8);  // long axis turned upright
       },
       {{16, 4, kRed}, {16, 28, kRed}, {4, 16, kNone}, {28, 16, kNone}}},
      {"winding fill of a doubled square",
       [&](Graphics& g) {
         GraphicsPath p(FillModeWinding);
         p.AddRectangle(RectF(2, 2, 28, 28));
         p.AddRectangle(RectF(10, 10, 12, 12));
         g.FillPath(&red, &p);
       },
       {{16, 16, kRed}, {5, 5, kRed}}},
      {"alternate fill leaves the hole",
       [&](Graphics& g) {
         GraphicsPath p;
         p.AddRectangle(RectF(2, 2, 28, 28));
         p.AddRectangle(RectF(10, 10, 12, 12));
         g.FillPath(&red, &p);
       },
       {{16, 16, kNone}, {5, 5, kRed}}},
      {"singular transform draws nothing",
       [&](Graphics& g) {
         const Matrix flat(1, 0, 0, 0, 0, 0);
         g.SetTransform(&flat);
         EXPECT_EQ(g.FillRectangle(&red, 0, 0, 32, 32), Ok);
       },
       {{16, 16, kNone}}},
      {"clear then source copy",
       [&](Graphics& g) {
         g.Clear(kWhite);
         g.SetCompositingMode(CompositingModeSourceCopy);
         SolidBrush glass(Color(128, 0, 0, 255));
         g.FillRectangle(&glass, 0, 0, 8, 8);
       },
       {{20, 20, kWhite}, {4, 4, Color(128, 0, 0, 255)}}},
      {"translucent over white",
       [&](Graphics& g) {
         g.Clear(kWhite);
         SolidBrush glass(Color(128, 0, 0, 255));
         g.FillRectangle(&glass, 0, 0, 8, 8);
       },
       {{4, 4, Color(255, 127, 127, 255)}}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    canvas.Draw(c.draw);
    CheckProbes(canvas, c.probes, c.name);
  }
}

TEST(Graphics, DashedStrokesMeasureInPenWidths) {
  // A horizontal line at y = 16, pen 2 wide: a dash unit is 2 pixels.
  struct Case {
    const char* name;
    std::function<void(Pen&)> style;
    std::vector<int> on, off;  // pixel columns on row 16
  };
  const Case cases[] = {
      {"solid", [](Pen&) {}, {1, 7, 15, 30}, {}},
      {"dash 3,1", [](Pen& p) { p.SetDashStyle(DashStyleDash); }, {1, 4, 9, 12, 17}, {7, 15, 23}},
      {"dot 1,1", [](Pen& p) { p.SetDashStyle(DashStyleDot); }, {1, 5, 9}, {3, 7, 11}},
      {"dash dot 3,1,1,1", [](Pen& p) { p.SetDashStyle(DashStyleDashDot); }, {1, 9, 17}, {7, 11, 19}},
      {"offset by one width", [](Pen& p) { p.SetDashStyle(DashStyleDash); p.SetDashOffset(1); }, {1, 7, 10}, {5, 13}},
      {"custom 2,2",
       [](Pen& p) {
         const REAL d[2] = {2, 2};
         p.SetDashPattern(d, 2);
       },
       {1, 2, 9, 17}, {5, 6, 13}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    Pen pen(kBlue, 2);
    c.style(pen);
    canvas.Draw([&](Graphics& g) { g.DrawLine(&pen, 0, 16, 32, 16); });
    for (int x : c.on) EXPECT_TRUE(Near(canvas.At(x, 16), kBlue)) << c.name << " x=" << x;
    for (int x : c.off) EXPECT_TRUE(Near(canvas.At(x, 16), kNone)) << c.name << " x=" << x;
    EXPECT_TRUE(Near(canvas.At(1, 20), kNone)) << c.name;
  }
}

TEST(Graphics, LineCapsAtEachEnd) {
  // A line from x = 8 to x = 24 on y = 16, pen 4 wide (y 14 to 18); probes sit on pixel centres.
  struct Case {
    const char* name;
    std::function<void(Pen&)> style;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"flat ends", [](Pen&) {}, {{9, 16, kRed}, {23, 16, kRed}, {7, 16, kNone}, {25, 16, kNone}}},
      {"square start, flat end",
       [](Pen& p) { p.SetStartCap(LineCapSquare); },
       {{7, 15, kRed}, {7, 17, kRed}, {5, 16, kNone}, {25, 16, kNone}}},
      {"round start, triangle end",
       [](Pen& p) { p.SetLineCap(LineCapRound, LineCapTriangle, DashCapFlat); },
       {{7, 16, kRed}, {7, 14, kNone}, {25, 16, kRed}, {25, 14, kNone}, {27, 16, kNone}}},
      {"arrow anchor at the end",
       [](Pen& p) { p.SetEndCap(LineCapArrowAnchor); },
       {{26, 16, kRed}, {21, 13, kRed}, {21, 19, kRed}, {26, 14, kNone}, {21, 11, kNone}, {29, 16, kNone},
        {7, 16, kNone}}},
      {"round anchor at the start",
       [](Pen& p) { p.SetStartCap(LineCapRoundAnchor); },
       {{8, 13, kRed}, {5, 16, kRed}, {5, 13, kNone}, {8, 11, kNone}, {25, 16, kNone}}},
      {"square and diamond anchors",
       [](Pen& p) { p.SetLineCap(LineCapSquareAnchor, LineCapDiamondAnchor, DashCapFlat); },
       {{5, 13, kRed}, {11, 19, kRed}, {3, 16, kNone}, {27, 16, kRed}, {26, 15, kRed}, {27, 14, kNone},
        {25, 12, kNone}}},
      {"dashed line keeps its anchors",
       [](Pen& p) {
         const REAL d[2] = {1, 1};
         p.SetDashPattern(d, 2);
         p.SetLineCap(LineCapSquare, LineCapArrowAnchor, DashCapFlat);
       },
       {{10, 16, kRed}, {14, 16, kNone}, {26, 16, kRed}, {21, 13, kRed}, {7, 16, kNone}}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    Pen pen(kRed, 4);
    c.style(pen);
    canvas.Draw([&](Graphics& g) { g.DrawLine(&pen, 8, 16, 24, 16); });
    CheckProbes(canvas, c.probes, c.name);
    // Hit tests see the same caps.
    GraphicsPath line;
    line.AddLine(8, 16, 24, 16);
    for (const Probe& p : c.probes) {
      if (p.want.GetA() == 0) continue;
      EXPECT_TRUE(line.IsOutlineVisible(static_cast<REAL>(p.x), static_cast<REAL>(p.y), &pen)) << c.name << " at " << p.x << "," << p.y;
    }
    // What exporters draw: the line with flat ends, and the cap shapes filled in the pen's colour.
    GraphicsPath caps;
    ASSERT_EQ(pen.LwGetCapShapes(line, &caps), Ok);
    EXPECT_EQ(caps.GetPointCount() > 0, pen.LwHasCapShapes()) << c.name;
    if (!pen.LwHasCapShapes()) continue;
    Canvas exported;
    Pen flat(kRed, 4);
    c.style(flat);
    flat.SetStartCap(LineCapFlat);
    flat.SetEndCap(LineCapFlat);
    caps.SetFillMode(FillModeWinding);
    SolidBrush brush(kRed);
    exported.Draw([&](Graphics& g) {
      g.DrawPath(&flat, &line);
      g.FillPath(&brush, &caps);
    });
    CheckProbes(exported, c.probes, std::string(c.name) + " (exported)");
  }
}

TEST(Graphics, TranslucentCapsCoverTheirLineOnce) {
  // Where a cap shape overlaps its line the pen's colour is laid once, not twice.
  Canvas canvas;
  Pen pen(Color(128, 255, 0, 0), 4);
  pen.SetLineCap(LineCapRoundAnchor, LineCapArrowAnchor, DashCapFlat);
  canvas.Draw([&](Graphics& g) { g.DrawLine(&pen, 8, 16, 24, 16); });
  const Color lineOnly = canvas.At(15, 16);
  EXPECT_NEAR(lineOnly.GetA(), 128, 2);
  EXPECT_TRUE(Near(canvas.At(9, 16), lineOnly));
  EXPECT_TRUE(Near(canvas.At(23, 16), lineOnly));
}

TEST(Graphics, DashesOfAVeryLongLineKeepTheirPhase) {
  // Far more dash periods than cairo is left to walk: the seen part is still dashed, in phase
  // with the line's start. Pen 2 wide, dashes 1,1: 2 on, 2 off from the start of the line.
  struct Case {
    const char* name;
    REAL startX;
    std::function<void(Pen&)> style;
    std::vector<int> on, off;  // columns on row 16
  };
  const Case cases[] = {
      {"starts on a period", -400000, [](Pen&) {}, {1, 5, 29}, {3, 7, 31}},
      {"starts a width later", -400001, [](Pen&) {}, {3, 7, 31}, {1, 5, 29}},
      {"dash offset of one width", -400000, [](Pen& p) { p.SetDashOffset(1); }, {3, 7, 31}, {1, 5, 29}},
      {"across a corner off screen", -400000,
       [](Pen&) {}, {1, 5, 29}, {3, 7, 31}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    Pen pen(kBlue, 2);
    const REAL d[2] = {1, 1};
    pen.SetDashPattern(d, 2);
    c.style(pen);
    canvas.Draw([&](Graphics& g) {
      g.SetPixelOffsetMode(PixelOffsetModeHalf);  // pixel x covers x..x+1
      GraphicsPath line;
      if (std::string(c.name).find("corner") != std::string::npos) {
        // 200000 down, then 200000 across to x = 0 and on: the same length to every column.
        line.AddLine(c.startX + 200000, -199984.0f, c.startX + 200000, 16.0f);
        line.AddLine(c.startX + 200000, 16.0f, 40.0f, 16.0f);
      } else {
        line.AddLine(c.startX, 16.0f, 40.0f, 16.0f);
      }
      g.DrawPath(&pen, &line);
    });
    for (int x : c.on) EXPECT_TRUE(Near(canvas.At(x, 16), kBlue)) << c.name << " x=" << x;
    for (int x : c.off) EXPECT_TRUE(Near(canvas.At(x, 16), kNone)) << c.name << " x=" << x;
  }
}

TEST(Graphics, PenWidthAlignmentAndHairline) {
  Canvas canvas;
  Pen wide(kBlue, 4);
  Pen inset(kRed, 4);
  inset.SetAlignment(PenAlignmentInset);
  Pen hair(kBlack, 0);
  canvas.Draw([&](Graphics& g) {
    g.DrawRectangle(&wide, 2, 2, 10, 10);   // centred on the edge: x 0..4
    g.DrawRectangle(&inset, 18, 2, 10, 10);  // inside only: x 18..22
    g.ScaleTransform(8, 8);
    g.DrawLine(&hair, 0.0f, 3.0f, 4.0f, 3.0f);  // one device pixel at y = 24 whatever the scale
    // A pen the transform makes thinner than a pixel (a glyph outline stroked in em units, a
    // thin line zoomed out) still draws one device pixel wide.
    g.ResetTransform();
    g.ScaleTransform(1.0f / 1024, 1.0f / 1024);
    Pen em(kBlack, 1);
    g.DrawLine(&em, 0.0f, 28.0f * 1024, 4.0f * 1024, 28.0f * 1024);
    g.ResetTransform();
    Pen half(kBlack, 0.5f);
    g.DrawLine(&half, 20.0f, 28.0f, 24.0f, 28.0f);
  });
  CheckProbes(canvas,
              {{1, 7, kBlue}, {3, 7, kBlue}, {5, 7, kNone}, {7, 7, kNone},
               {17, 7, kNone}, {19, 7, kRed}, {21, 7, kRed}, {23, 7, kNone},
               {10, 24, kBlack}, {10, 23, kNone}, {10, 25, kNone},
               {2, 28, kBlack}, {2, 27, kNone}, {2, 29, kNone},
               {22, 28, kBlack}, {22, 27, kNone}, {22, 29, kNone}},
              "pens");
}

TEST(Graphics, LinearGradients) {
  struct Case {
    const char* name;
    std::function<LinearGradientBrush()> make;
    std::vector<Probe> probes;  // along row 16 unless given
  };
  auto mix = [](double t) {
    return Color(255, static_cast<BYTE>(255 * (1 - t) + 0.5), 0, static_cast<BYTE>(255 * t + 0.5));
  };
  const Case cases[] = {
      {"two points", [] { return LinearGradientBrush(PointF(0, 0), PointF(32, 0), kRed, kBlue); },
       {{0, 16, kRed}, {16, 16, mix(0.5)}, {8, 3, mix(0.25)}}},
      {"tiled beyond the end", [] { return LinearGradientBrush(PointF(0, 0), PointF(16, 0), kRed, kBlue); },
       {{20, 16, mix(0.25)}}},
      {"flipped beyond the end",
       [] {
         LinearGradientBrush b(PointF(0, 0), PointF(16, 0), kRed, kBlue);
         b.SetWrapMode(WrapModeTileFlipX);
         return b;
       },
       {{20, 16, mix(0.75)}}},
      {"blend factors",
       [] {
         LinearGradientBrush b(PointF(0, 0), PointF(32, 0), kRed, kBlue);
         const REAL f[3] = {0, 1, 1}, pos[3] = {0, 0.25f, 1};
         EXPECT_EQ(b.SetBlend(f, pos, 3), Ok);
         return b;
       },
       {{4, 16, mix(0.5)}, {16, 16, kBlue}}},
      {"preset colours",
       [] {
         LinearGradientBrush b(PointF(0, 0), PointF(32, 0), kRed, kBlue);
         const Color c[3] = {kRed, kGreen, kBlue};
         const REAL pos[3] = {0, 0.5f, 1};
         EXPECT_EQ(b.SetInterpolationColors(c, pos, 3), Ok);
         return b;
       },
       {{16, 16, kGreen}}},
      {"vertical rectangle mode",
       [] { return LinearGradientBrush(RectF(0, 0, 32, 32), kRed, kBlue, LinearGradientModeVertical); },
       {{3, 16, mix(0.5)}, {29, 8, mix(0.25)}}},
      {"forward diagonal of a wide rectangle",
       [] { return LinearGradientBrush(RectF(0, 0, 32, 16), kRed, kBlue, LinearGradientModeForwardDiagonal); },
       // Colour lines run parallel to the other diagonal: (32, 0) and (0, 16) match the middle.
       {{0, 0, kRed}, {16, 8, mix(0.5)}, {24, 4, mix(0.5)}}},
      {"brush transform",
       [] {
         LinearGradientBrush b(PointF(0, 0), PointF(16, 0), kRed, kBlue);
         b.ScaleTransform(2, 1);
         return b;
       },
       {{16, 16, mix(0.5)}}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    LinearGradientBrush brush = c.make();
    canvas.Draw([&](Graphics& g) { g.FillRectangle(&brush, 0, 0, kSize, kSize); });
    for (Probe p : c.probes) {
      p.tol = 4;
      CheckProbes(canvas, {p}, c.name);
    }
  }
  EXPECT_EQ(LinearGradientBrush(PointF(0, 0), PointF(1, 0), kRed, kBlue).SetWrapMode(WrapModeClamp), InvalidParameter);
}

TEST(Graphics, PathGradientRunsFromCentreToBoundary) {
  const PointF square[4] = {PointF(4, 4), PointF(28, 4), PointF(28, 28), PointF(4, 28)};
  struct Case {
    const char* name;
    std::function<void(PathGradientBrush&)> setup;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"centre white, edge black",
       [](PathGradientBrush& b) {
         b.SetCenterColor(kWhite);
         INT n = 1;
         b.SetSurroundColors(&kBlack, &n);
       },
       // The colour falls off with the distance along the ray from the centre to the boundary
       // (values at pixel centres; the mesh is sampled within half a pixel of them).
       {{16, 16, kWhite, 12}, {10, 16, Color(255, 138, 138, 138), 12}, {5, 16, Color(255, 32, 32, 32), 12},
        {1, 1, kNone, 0}, {30, 16, kNone, 0}}},
      {"default colours",
       [](PathGradientBrush&) {},
       {{16, 16, kBlack, 14}, {5, 16, Color(255, 223, 223, 223), 12}}},
      {"colour per corner",
       [](PathGradientBrush& b) {
         b.SetCenterColor(kWhite);
         const Color corners[4] = {kRed, kRed, kBlue, kBlue};
         INT n = 4;
         EXPECT_EQ(b.SetSurroundColors(corners, &n), Ok);
       },
       {{16, 5, Color(255, 255, 32, 32), 12}, {16, 27, Color(255, 11, 11, 255), 12}}},
      {"moved centre",
       [](PathGradientBrush& b) {
         b.SetCenterColor(kWhite);
         INT n = 1;
         b.SetSurroundColors(&kBlack, &n);
         b.SetCenterPoint(PointF(10, 16));
       },
       {{10, 16, kWhite, 14}, {19, 16, Color(255, 120, 120, 120), 10}}},
      {"preset colours from the boundary in",
       [](PathGradientBrush& b) {
         const Color c[3] = {kBlue, kGreen, kRed};
         const REAL pos[3] = {0, 0.5f, 1};
         EXPECT_EQ(b.SetInterpolationColors(c, pos, 3), Ok);
       },
       // Half-way in the colour is the middle preset, which neither end colour makes.
       {{16, 16, kRed, 16}, {10, 16, Color(255, 20, 235, 0), 24}, {5, 16, Color(255, 0, 64, 191), 20},
        {1, 1, kNone, 0}}},
  };
  for (const Case& c : cases) {
    PathGradientBrush brush(square, 4);
    PointF centre;
    brush.GetCenterPoint(&centre);
    EXPECT_NEAR(centre.X, 16, 1e-4);
    EXPECT_NEAR(centre.Y, 16, 1e-4);
    c.setup(brush);
    Canvas canvas;
    canvas.Draw([&](Graphics& g) {
      g.SetPixelOffsetMode(PixelOffsetModeHalf);
      g.FillRectangle(&brush, 0, 0, kSize, kSize);
    });
    CheckProbes(canvas, c.probes, c.name);
  }
  INT five = 5;
  const Color many[5];
  PathGradientBrush brush(square, 4);
  EXPECT_EQ(brush.SetSurroundColors(many, &five), InvalidParameter);
  const REAL notFromZero[2] = {0.2f, 1};
  EXPECT_EQ(brush.SetInterpolationColors(many, notFromZero, 2), InvalidParameter);
}

// A 2 x 2 image: red, green on top; blue, white below.
void MakeTile(Bitmap& tile) {
  tile.SetPixel(0, 0, kRed);
  tile.SetPixel(1, 0, kGreen);
  tile.SetPixel(0, 1, kBlue);
  tile.SetPixel(1, 1, kWhite);
}

TEST(Graphics, TextureAndHatchBrushes) {
  Bitmap tile(2, 2, PixelFormat32bppARGB);
  MakeTile(tile);
  struct Case {
    const char* name;
    std::function<Brush*()> make;
    std::function<void(Graphics&)> setup;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"tiled texture",
       [&] { return new TextureBrush(&tile); },
       [](Graphics&) {},
       {{0, 0, kRed}, {1, 0, kGreen}, {10, 11, kBlue}, {31, 31, kWhite}}},
      {"scaled texture, nearest",
       [&] {
         auto* b = new TextureBrush(&tile);
         b->ScaleTransform(4, 4);
         return b;
       },
       [](Graphics& g) { g.SetInterpolationMode(InterpolationModeNearestNeighbor); },
       {{1, 1, kRed}, {6, 2, kGreen}, {2, 6, kBlue}, {9, 1, kRed}}},
      {"mirrored texture",
       [&] { return new TextureBrush(&tile, WrapModeTileFlipX); },
       [](Graphics&) {},
       {{0, 0, kRed}, {1, 0, kGreen}, {2, 0, kGreen}, {3, 0, kRed}}},
      {"mirrored both ways",
       [&] { return new TextureBrush(&tile, WrapModeTileFlipXY); },
       [](Graphics&) {},
       {{0, 0, kRed}, {3, 0, kRed}, {2, 1, kWhite}, {0, 2, kBlue}, {2, 2, kWhite}, {0, 3, kRed}, {3, 3, kRed},
        {5, 4, kGreen}, {6, 6, kWhite}}},
      {"clamped texture",
       [&] { return new TextureBrush(&tile, WrapModeClamp); },
       [](Graphics&) {},
       {{1, 1, kWhite}, {5, 5, kNone}}},
      {"part of the image",
       [&] { return new TextureBrush(&tile, WrapModeTile, Rect(1, 0, 1, 2)); },
       [](Graphics&) {},
       {{0, 0, kGreen}, {5, 4, kGreen}, {5, 5, kWhite}}},
      {"cross hatch in device pixels",
       [] { return new HatchBrush(HatchStyleCross, kBlack, kWhite); },
       [](Graphics& g) { g.ScaleTransform(3, 3); },
       {{0, 5, kBlack}, {5, 0, kBlack}, {8, 16, kBlack}, {5, 5, kWhite}, {12, 13, kWhite}}},
      {"forward diagonal hatch",
       [] { return new HatchBrush(HatchStyleForwardDiagonal, kBlack, Color(0, 0, 0, 0)); },
       [](Graphics&) {},
       {{3, 3, kBlack}, {12, 4, kBlack}, {4, 3, kNone}}},
  };
  for (const Case& c : cases) {
    std::unique_ptr<Brush> brush(c.make());
    ASSERT_EQ(brush->GetLastStatus(), Ok) << c.name;
    Canvas canvas;
    canvas.Draw([&](Graphics& g) {
      c.setup(g);
      g.FillRectangle(brush.get(), 0, 0, kSize, kSize);
    });
    CheckProbes(canvas, c.probes, c.name);
  }
}

TEST(Graphics, DrawImageToRectanglesAndThroughMatrices) {
  Bitmap tile(2, 2, PixelFormat32bppARGB);
  MakeTile(tile);
  struct Case {
    const char* name;
    std::function<void(Graphics&)> draw;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"at a point, pixel for pixel",
       [&](Graphics& g) { g.DrawImage(&tile, 5, 7); },
       {{5, 7, kRed}, {6, 7, kGreen}, {5, 8, kBlue}, {6, 8, kWhite}, {4, 7, kNone}, {7, 8, kNone}}},
      {"stretched to a rectangle",
       [&](Graphics& g) {
         g.SetInterpolationMode(InterpolationModeNearestNeighbor);
         g.DrawImage(&tile, RectF(0, 0, 16, 16));
       },
       {{3, 3, kRed}, {12, 3, kGreen}, {3, 12, kBlue}, {12, 12, kWhite}, {17, 3, kNone}}},
      {"source rectangle",
       [&](Graphics& g) { g.DrawImage(&tile, RectF(0, 0, 8, 8), 1, 1, 1, 1, UnitPixel); },
       {{4, 4, kWhite}, {9, 4, kNone}}},
      {"through a matrix: scaled, turned and moved",
       [&](Graphics& g) {
         Matrix m;
         m.Scale(8, 8);
         m.Rotate(90, MatrixOrderAppend);
         m.Translate(24, 4, MatrixOrderAppend);
         g.SetTransform(&m);
         g.SetInterpolationMode(InterpolationModeNearestNeighbor);
         g.DrawImage(&tile, 0, 0);
       },
       // Image x runs down, image y runs left: red at the top right, green below it.
       {{20, 8, kRed}, {20, 16, kGreen}, {12, 8, kBlue}, {12, 16, kWhite}, {4, 8, kNone}, {20, 24, kNone}}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    canvas.Draw(c.draw);
    CheckProbes(canvas, c.probes, c.name);
  }
}

TEST(Graphics, ClipsSaveAndRestore) {
  SolidBrush red(kRed);
  struct Case {
    const char* name;
    std::function<void(Graphics&)> draw;
    std::vector<Probe> probes;
  };
  const Case cases[] = {
      {"rectangle clip",
       [&](Graphics& g) {
         g.SetClip(RectF(4, 4, 8, 8));
         g.FillRectangle(&red, 0, 0, kSize, kSize);
       },
       {{4, 4, kRed}, {11, 11, kRed}, {3, 8, kNone}, {12, 8, kNone}}},
      {"clip follows the transform when set",
       [&](Graphics& g) {
         g.TranslateTransform(10, 0);
         g.SetClip(RectF(0, 0, 4, 4));
         g.ResetTransform();
         g.FillRectangle(&red, 0, 0, kSize, kSize);
       },
       {{11, 1, kRed}, {2, 1, kNone}}},
      {"path clip",
       [&](Graphics& g) {
         GraphicsPath p;
         p.AddEllipse(RectF(0, 0, 32, 32));
         g.SetClip(&p);
         g.FillRectangle(&red, 0, 0, kSize, kSize);
       },
       {{16, 16, kRed}, {1, 1, kNone}, {30, 30, kNone}}},
      {"excluded middle",
       [&](Graphics& g) {
         g.SetClip(RectF(0, 0, 32, 32));
         g.SetClip(RectF(8, 8, 16, 16), CombineModeExclude);
         g.FillRectangle(&red, 0, 0, kSize, kSize);
       },
       {{4, 4, kRed}, {16, 16, kNone}, {28, 28, kRed}}},
      {"union of two",
       [&](Graphics& g) {
         g.SetClip(RectF(0, 0, 4, 4));
         g.SetClip(RectF(20, 20, 4, 4), CombineModeUnion);
         g.FillRectangle(&red, 0, 0, kSize, kSize);
       },
       {{2, 2, kRed}, {22, 22, kRed}, {10, 10, kNone}}},
      {"intersect then reset",
       [&](Graphics& g) {
         g.SetClip(RectF(0, 0, 16, 32));
         g.IntersectClip(RectF(0, 0, 32, 16));
         g.FillRectangle(&red, 0, 0, 8, 8);
         g.ResetClip();
         g.FillRectangle(&red, 24, 24, 8, 8);
         SolidBrush blue(kBlue);
         g.SetClip(RectF(0, 0, 16, 32));
         g.IntersectClip(RectF(0, 0, 32, 16));
         g.FillRectangle(&blue, 0, 0, kSize, kSize);
       },
       {{4, 4, kBlue}, {20, 4, kNone}, {4, 20, kNone}, {28, 28, kRed}}},
      {"save and restore",
       [&](Graphics& g) {
         const GraphicsState s = g.Save();
         g.SetClip(RectF(0, 0, 4, 4));
         g.TranslateTransform(100, 100);
         g.Restore(s);
         g.FillRectangle(&red, 8, 8, 4, 4);
       },
       {{10, 10, kRed}}},
      {"clear respects the clip",
       [&](Graphics& g) {
         g.SetClip(RectF(0, 0, 8, 8));
         g.Clear(kBlue);
       },
       {{4, 4, kBlue}, {12, 12, kNone}}},
  };
  for (const Case& c : cases) {
    Canvas canvas;
    canvas.Draw(c.draw);
    CheckProbes(canvas, c.probes, c.name);
  }
}

TEST(Graphics, ClipQueriesUseWorldCoordinates) {
  Canvas canvas;
  canvas.Draw([&](Graphics& g) {
    g.ScaleTransform(2, 2);
    g.SetClip(RectF(1, 2, 3, 4));
    RectF b;
    ASSERT_EQ(g.GetClipBounds(&b), Ok);
    EXPECT_TRUE(b.Equals(RectF(1, 2, 3, 4)));
    g.ResetTransform();
    Region r;
    g.GetClip(&r);
    r.GetBounds(&b);
    EXPECT_TRUE(b.Equals(RectF(2, 4, 6, 8)));
    EXPECT_FALSE(g.IsClipEmpty());
    g.IntersectClip(RectF(20, 20, 1, 1));
    EXPECT_TRUE(g.IsClipEmpty());
    EXPECT_EQ(g.GetDpiX(), 96.0f);
  });
}

TEST(Graphics, HitTestsInDevicePixelsThroughTheWorldTransform) {
  Canvas canvas;
  canvas.Draw([&](Graphics& g) {
    g.ScaleTransform(2, 2);
    GraphicsPath p;
    p.AddRectangle(RectF(10, 10, 20, 20));  // device 20..60
    EXPECT_TRUE(p.IsVisible(45.0f, 45.0f, &g));
    EXPECT_FALSE(p.IsVisible(45.0f, 45.0f));
    EXPECT_FALSE(p.IsVisible(15.0f, 15.0f, &g));
    Pen pen(kBlack, 4);  // 8 pixels wide on the device
    EXPECT_TRUE(p.IsOutlineVisible(23.0f, 40.0f, &pen, &g));
    EXPECT_FALSE(p.IsOutlineVisible(25.0f, 40.0f, &pen, &g));
    Region r(&p);
    EXPECT_TRUE(r.IsVisible(45.0f, 45.0f, &g));
    EXPECT_FALSE(r.IsVisible(45.0f, 45.0f));
  });
}

TEST(Graphics, LendsADeviceContextOverABitmap) {
  Canvas canvas;
  canvas.Draw([&](Graphics& g) {
    g.Clear(Color(128, 0, 255, 0));
    HDC dc = g.GetHDC();
    ASSERT_NE(dc, nullptr);
    SolidBrush red(kRed);
    EXPECT_EQ(g.FillRectangle(&red, 0, 0, 4, 4), ObjectBusy);
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    RECT r = {0, 0, 4, 4};
    FillRect(dc, &r, black);
    DeleteObject(black);
    g.ReleaseHDC(dc);
    EXPECT_EQ(g.FillRectangle(&red, 28, 28, 4, 4), Ok);
  });
  EXPECT_TRUE(Near(canvas.At(2, 2), kBlack));
  EXPECT_TRUE(Near(canvas.At(16, 16), Color(128, 0, 255, 0)));
  EXPECT_TRUE(Near(canvas.At(30, 30), kRed));
}

TEST(Graphics, DrawsOnAMemoryDeviceContext) {
  // A 16 x 16 top-down DIB whose viewport origin moves logical (4, 0) to pixel (0, 0).
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 16;
  bi.bmiHeader.biHeight = -16;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  HDC dc = CreateCompatibleDC(nullptr);
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_NE(bits, nullptr);
  HGDIOBJ old = SelectObject(dc, bmp);
  SetViewportOrgEx(dc, -4, 0, nullptr);
  auto pixel = [&](int x, int y) { return static_cast<const uint32_t*>(bits)[y * 16 + x] & 0xFFFFFF; };
  {
    Graphics g(dc);
    ASSERT_EQ(g.GetLastStatus(), Ok);
    SolidBrush red(kRed);
    g.FillRectangle(&red, 4, 0, 4, 4);
    HDC lent = g.GetHDC();
    EXPECT_EQ(lent, dc);
    EXPECT_EQ(pixel(1, 1), 0xFF0000u);  // reached the bitmap before GDI draws
    HBRUSH blue = CreateSolidBrush(RGB(0, 0, 255));
    RECT r = {4, 8, 8, 12};
    FillRect(lent, &r, blue);
    DeleteObject(blue);
    g.ReleaseHDC(lent);
    SolidBrush green(kGreen);
    g.FillRectangle(&green, 12, 0, 4, 4);  // after GDI's drawing, on top of it
  }
  EXPECT_EQ(pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(pixel(1, 9), 0x0000FFu);
  EXPECT_EQ(pixel(9, 1), 0x00FF00u);
  EXPECT_EQ(pixel(5, 5), 0u);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

TEST(Graphics, KeepsDrawingAfterWildCoordinates) {
  Canvas canvas;
  SolidBrush red(kRed);
  Pen pen(kRed, 3);
  canvas.Draw([&](Graphics& g) {
    GraphicsPath wild;
    const REAL inf = std::numeric_limits<REAL>::infinity();
    wild.AddBezier(0, 0, 1e30f, -1e30f, inf, 5, std::nanf(""), 7);
    wild.AddEllipse(-1e20f, -1e20f, 2e20f, 2e20f);
    g.FillPath(&red, &wild);
    g.DrawPath(&pen, &wild);
    PathGradientBrush pg(&wild);
    g.FillRectangle(&pg, 0, 0, 4, 4);
    RectF b;
    wild.GetBounds(&b);
    wild.IsVisible(3.0f, 3.0f);
    // Through a clip mask, with a dashed hairline (dash by dash over a huge length).
    g.SetClip(RectF(0, 0, 8, 8), CombineModeExclude);
    g.SetClip(&wild, CombineModeXor);
    Pen hair(kRed, 0);
    hair.SetDashStyle(DashStyleDashDot);
    GraphicsPath far;
    far.AddLine(0.0f, 0.0f, 1e30f, 1e29f);
    g.DrawPath(&hair, &wild);
    g.DrawPath(&hair, &far);
    g.ResetClip();
    SolidBrush blue(kBlue);
    EXPECT_EQ(g.FillRectangle(&blue, 20, 20, 8, 8), Ok);
  });
  EXPECT_TRUE(Near(canvas.At(24, 24), kBlue));
}

// cairo holds device coordinates as fixed-point numbers of about +-8.4 million: a figure reaching
// beyond draws the part that can be seen as the same figure held inside that range would, for
// fills, strokes and clips, under the world transform too.
TEST(Graphics, FiguresBeyondCairosRangeDrawTheirVisiblePart) {
  struct Case {
    const char* name;
    std::function<void(Graphics&, bool far)> draw;
  };
  SolidBrush red(kRed);
  Pen pen(kBlue, 3);
  const Case cases[] = {
      {"a triangle with a corner a hundred million units away",
       [&](Graphics& g, bool far) {
         GraphicsPath p;
         const REAL s = far ? 100.0f : 1.0f;
         const PointF corners[] = {{0, 0}, {1e6f * s, 5e5f * s}, {0, 32}};
         p.AddPolygon(corners, 3);
         g.FillPath(&red, &p);
       }},
      {"a line stroked towards 4e34",
       [&](Graphics& g, bool far) {
         GraphicsPath p;
         p.AddLine(2.0f, 30.0f, far ? 4e34f : 1e6f, far ? -2e34f : 30.0f - 5e5f);
         g.DrawPath(&pen, &p);
       }},
      {"a curve bulging out of range, filled",
       [&](Graphics& g, bool far) {
         GraphicsPath p;
         if (far) {
           p.AddBezier(4.0f, 4.0f, 4.0f, 3e8f, 28.0f, 3e8f, 28.0f, 4.0f);
         } else {
           // The same curve's part inside the range, as the lines it is taken as.
           p.AddLine(4.0f, 4.0f, 4.0f, 4194304.0f);
           p.AddLine(28.0f, 4194304.0f, 28.0f, 4.0f);
         }
         p.CloseFigure();
         g.FillPath(&red, &p);
       }},
      {"a unit square scaled ten million times by the world transform",
       [&](Graphics& g, bool far) {
         g.TranslateTransform(8, 8);
         g.ScaleTransform(far ? 1e7f : 1e5f, far ? 1e7f : 1e5f);
         g.RotateTransform(30);
         g.FillRectangle(&red, 0.0f, 0.0f, 1.0f, 1.0f);
       }},
      {"an image stretched over a billion units",
       [&](Graphics& g, bool far) {
         Bitmap image(2, 2, PixelFormat32bppARGB);
         image.SetPixel(0, 0, kRed);
         image.SetPixel(1, 0, kBlue);
         image.SetPixel(0, 1, kGreen);
         image.SetPixel(1, 1, kWhite);
         g.SetInterpolationMode(InterpolationModeNearestNeighbor);
         g.DrawImage(&image, RectF(4, 4, far ? 1e9f : 1e6f, far ? 1e9f : 1e6f));
       }},
      {"a clip reaching four billion units",
       [&](Graphics& g, bool far) {
         GraphicsPath clip;
         const PointF corners[] = {{16, 0}, {far ? 4e9f : 4e6f, 0}, {16, 32}};
         clip.AddPolygon(corners, 3);
         g.SetClip(&clip);
         g.FillRectangle(&red, 0, 0, kSize, kSize);
         g.ResetClip();
         g.SetClip(&clip, CombineModeXor);  // through the clip mask
         SolidBrush blue(kBlue);
         g.FillRectangle(&blue, 0, 0, kSize, 8);
       }},
  };
  for (const Case& c : cases) {
    Canvas far, near;
    far.Draw([&](Graphics& g) {
      g.SetSmoothingMode(SmoothingModeAntiAlias);
      c.draw(g, true);
    });
    near.Draw([&](Graphics& g) {
      g.SetSmoothingMode(SmoothingModeAntiAlias);
      c.draw(g, false);
    });
    int differing = 0, painted = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        differing += Near(far.At(x, y), near.At(x, y), 8) ? 0 : 1;
        painted += near.At(x, y).GetA() != 0 ? 1 : 0;
      }
    EXPECT_EQ(differing, 0) << c.name;
    EXPECT_GT(painted, 16) << c.name;  // the case draws something to compare
  }

  // A stroke that crashed cairo's extents (found by the path fuzzer), and a dashed one; drawing
  // goes on after them.
  Canvas canvas;
  canvas.Draw([&](Graphics& g) {
    const PointF points[] = {{1.08e-19f, 8.0f}, {-9.1e-38f, 1.1e-38f}, {1.15e-40f, -2.75e19f}};
    const BYTE types[] = {0xdf, 0x00, 0x84};
    GraphicsPath found(points, types, 3);
    g.DrawPath(&pen, &found);
    Pen dashed(kBlue, 3);
    dashed.SetDashStyle(DashStyleDash);
    GraphicsPath far;
    far.AddLine(0.0f, 16.0f, 4e34f, 16.0f);
    g.DrawPath(&dashed, &far);
    EXPECT_EQ(g.FillRectangle(&red, 20, 20, 8, 8), Ok);
  });
  EXPECT_TRUE(Near(canvas.At(24, 24), kRed));
}

TEST(Graphics, RefusesTargetsItCannotDrawOn) {
  Graphics none(static_cast<Image*>(nullptr));
  EXPECT_EQ(none.GetLastStatus(), InvalidParameter);
  SolidBrush red(kRed);
  EXPECT_EQ(none.FillRectangle(&red, 0, 0, 1, 1), InvalidParameter);
  Canvas canvas;
  canvas.Draw([&](Graphics& g) {
    EXPECT_EQ(g.FillPath(&red, nullptr), InvalidParameter);
    EXPECT_EQ(g.DrawImage(nullptr, 0, 0), InvalidParameter);
    EXPECT_EQ(g.SetSmoothingMode(SmoothingModeInvalid), InvalidParameter);
  });
}

}  // namespace

// A sheet rendered into caller memory is handed on (to another thread) before its Graphics is
// gone: each drawing call must already have reached that memory.
TEST(Graphics, DrawingReachesCallerMemoryBeforeTheGraphicsEnds) {
  const int stride = 3 * kSize + 4;
  std::vector<BYTE> pixels(static_cast<size_t>(stride) * kSize, 0xFF);  // white, 24 bits
  Bitmap sheet(kSize, kSize, stride, PixelFormat24bppRGB, pixels.data());
  Graphics g(&sheet);
  ASSERT_EQ(g.GetLastStatus(), Ok);
  SolidBrush red(Color(255, 255, 0, 0));
  ASSERT_EQ(g.FillRectangle(&red, 4, 4, 8, 8), Ok);
  const BYTE* inside = &pixels[static_cast<size_t>(stride) * 8 + 3 * 8];
  EXPECT_EQ(inside[0], 0);    // blue
  EXPECT_EQ(inside[1], 0);    // green
  EXPECT_EQ(inside[2], 255);  // red
  const BYTE* outside = &pixels[static_cast<size_t>(stride) * 20 + 3 * 20];
  EXPECT_EQ(outside[2], 255);
  EXPECT_EQ(outside[1], 255);
  ASSERT_EQ(g.Clear(Color(255, 0, 0, 255)), Ok);
  EXPECT_EQ(outside[0], 255);
  EXPECT_EQ(outside[1], 0);
}
