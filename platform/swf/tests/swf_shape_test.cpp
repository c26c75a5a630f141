// Shapes: style tables, style changes, edges, edge splitting, cubic approximation, bounds, fills.
#include <gtest/gtest.h>

#include <cmath>

#include "swf/ming.h"
#include "swf_reader_support.h"
#include "swf_samples_support.h"

using namespace swftest;

namespace {

// Saves a movie holding the shape and returns the decoded DefineShape4 (and the whole movie).
Shape Decode(SWFShape s, Movie* whole = nullptr) {
  SWFMovie m = newSWFMovieWithVersion(8);
  SWFMovie_add(m, s);
  Movie mv;
  std::string error;
  EXPECT_TRUE(SaveAndParse(m, &mv, &error)) << error;
  destroySWFMovie(m);
  Shape out;
  auto tags = FindTags(mv.tags, kDefineShape4);
  EXPECT_EQ(tags.size(), 1u);
  if (!tags.empty()) {
    EXPECT_TRUE(ParseShape4(*tags[0], &out, &error)) << error;
  }
  if (whole) *whole = mv;
  return out;
}

std::vector<ShapeRecord> Edges(const Shape& s) {
  std::vector<ShapeRecord> e;
  for (const auto& r : s.records)
    if (r.kind != ShapeRecord::kStyle) e.push_back(r);
  return e;
}

}  // namespace

TEST(SwfShape, StylesMovesLinesCurvesAndBounds) {
  SWFShape s = newSWFShape();
  EXPECT_EQ(SWFShape_useVersion(s, 4), 1);
  EXPECT_EQ(SWFShape_useVersion(s, 3), 0);
  SWFFillStyle style = newSWFSolidFillStyle(10, 20, 30, 40);
  SWFFill fill = newSWFFill(style);
  SWFShape_setRightFill(s, fill);
  SWFShape_setLine(s, 2, 200, 100, 50, 255);
  SWFShape_movePenTo(s, 10, 10);
  SWFShape_drawLineTo(s, 110, 10);  // horizontal
  SWFShape_drawLineTo(s, 110, 60);  // vertical
  SWFShape_drawCurveTo(s, 60, 110, 10, 60);
  SWFShape_setLine(s, 0, 0, 0, 0, 0);  // no line from here
  SWFShape_drawLineTo(s, 10, 10);
  destroySWFFill(fill);
  destroySWFFillStyle(style);

  Shape d = Decode(s);
  destroySWFShape(s);
  ASSERT_EQ(d.fills.size(), 1u);
  EXPECT_EQ(d.fills[0].type, 0x00);
  EXPECT_EQ(std::vector<int>({d.fills[0].r, d.fills[0].g, d.fills[0].b, d.fills[0].a}),
            std::vector<int>({10, 20, 30, 40}));
  ASSERT_EQ(d.lines.size(), 1u);
  EXPECT_EQ(d.lines[0].width, 40);
  EXPECT_EQ(d.lines[0].startCap, 0);  // round
  EXPECT_EQ(d.lines[0].join, 0);      // round
  EXPECT_EQ(d.lines[0].endCap, 0);
  EXPECT_EQ(d.lines[0].r, 200);
  EXPECT_EQ(d.fillBits, 1);
  EXPECT_EQ(d.lineBits, 1);

  ASSERT_EQ(d.records.size(), 6u);
  const ShapeRecord& first = d.records[0];
  EXPECT_EQ(first.kind, ShapeRecord::kStyle);
  EXPECT_TRUE(first.hasMove && first.hasFill1 && first.hasLine && !first.hasFill0);
  EXPECT_EQ(first.moveX, 200);
  EXPECT_EQ(first.moveY, 200);
  EXPECT_EQ(first.fill1, 1u);
  EXPECT_EQ(first.line, 1u);
  EXPECT_EQ(d.records[1].kind, ShapeRecord::kLine);
  EXPECT_EQ(d.records[1].dx, 2000);
  EXPECT_EQ(d.records[1].dy, 0);
  EXPECT_EQ(d.records[2].dy, 1000);
  EXPECT_EQ(d.records[3].kind, ShapeRecord::kCurve);
  EXPECT_EQ(d.records[3].cdx, -1000);
  EXPECT_EQ(d.records[3].cdy, 1000);
  EXPECT_EQ(d.records[3].x, 200);
  EXPECT_EQ(d.records[3].y, 1200);
  EXPECT_TRUE(d.records[4].hasLine && !d.records[4].hasMove);
  EXPECT_EQ(d.records[4].line, 0u);
  EXPECT_EQ(d.records[5].x, 200);
  EXPECT_EQ(d.records[5].y, 200);

  // The curve bulges to y = 1200 + (2200 - 1200) / 2 = 1700 twips; lines are 40 twips wide.
  EXPECT_EQ(d.edgeBounds.xmin, 200);
  EXPECT_EQ(d.edgeBounds.xmax, 2200);
  EXPECT_EQ(d.edgeBounds.ymin, 200);
  EXPECT_EQ(d.edgeBounds.ymax, 1700);
  EXPECT_EQ(d.bounds.xmin, 180);
  EXPECT_EQ(d.bounds.xmax, 2220);
  EXPECT_EQ(d.bounds.ymax, 1720);
}

// Edge deltas hold 17 signed bits (-65536 .. 65535): longer edges are cut into pieces that fit
// and end exactly where the edge ends.
TEST(SwfShape, LongEdgesAreSplitToFitTheDeltaFields) {
  struct Case {
    double dx, dy;
    bool curve;
    size_t pieces;
  } cases[] = {
      {65535, 0, false, 1},  {65536, 0, false, 2},    {0, -65536, false, 1},
      {0, -65537, false, 2}, {200000, 100, false, 4}, {-131072, 131070, false, 2}, {-131073, 0, false, 3},
      {1000, 0, true, 1},    {140000, 0, true, 2}, {300000, 0, true, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.dx << "," << c.dy << (c.curve ? " curve" : ""));
    SWFShape s = newSWFShape();
    SWFShape_moveScaledPenTo(s, 100, 100);
    if (c.curve)
      SWFShape_drawScaledCurveTo(s, 100 + c.dx / 2, 100 + c.dx / 2, 100 + c.dx, 100 + c.dy);
    else
      SWFShape_drawScaledLineTo(s, 100 + c.dx, 100 + c.dy);
    Shape d = Decode(s);
    destroySWFShape(s);
    auto edges = Edges(d);
    ASSERT_EQ(edges.size(), c.pieces);
    for (const auto& e : edges) {
      EXPECT_LE(e.bits, 17);
      EXPECT_EQ(e.kind, c.curve ? ShapeRecord::kCurve : ShapeRecord::kLine);
    }
    EXPECT_EQ(edges.back().x, 100 + int32_t(c.dx));
    EXPECT_EQ(edges.back().y, 100 + int32_t(c.dy));
  }
}

// Cubics become quadratics whose midpoints stay within the threshold of the cubic's; a larger
// threshold takes fewer curves; the end point is exact.
TEST(SwfShape, CubicsApproximatedWithinThreshold) {
  auto cubicAt = [](double t, double p0, double p1, double p2, double p3) {
    double u = 1 - t;
    return u * u * u * p0 + 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t * p3;
  };
  const double P[4][2] = {{0, 0}, {0, 300}, {400, -200}, {500, 100}};  // pixels
  size_t previous = 0;
  for (int threshold : {1000, 10, 1}) {
    SCOPED_TRACE(threshold);
    Ming_setCubicThreshold(threshold);
    SWFShape s = newSWFShape();
    SWFShape_movePenTo(s, P[0][0], P[0][1]);
    SWFShape_drawCubicTo(s, P[1][0], P[1][1], P[2][0], P[2][1], P[3][0], P[3][1]);
    Shape d = Decode(s);
    destroySWFShape(s);
    auto edges = Edges(d);
    ASSERT_FALSE(edges.empty());
    EXPECT_GT(edges.size(), previous);
    previous = edges.size();
    EXPECT_EQ(edges.back().x, 10000);
    EXPECT_EQ(edges.back().y, 2000);
    if (threshold == 1000) continue;
    // Every point of the quadratics lies near the cubic (twips).
    double worst = 0;
    int32_t x0 = 0, y0 = 0;
    for (const auto& e : edges) {
      ASSERT_EQ(e.kind, ShapeRecord::kCurve);
      double cx = x0 + e.cdx, cy = y0 + e.cdy;
      for (double t = 0; t <= 1.0; t += 0.125) {
        double qx = (1 - t) * (1 - t) * x0 + 2 * (1 - t) * t * cx + t * t * e.x;
        double qy = (1 - t) * (1 - t) * y0 + 2 * (1 - t) * t * cy + t * t * e.y;
        double best = 1e18;
        for (int i = 0; i <= 4000; ++i) {
          double u = i / 4000.0;
          double px = 20 * cubicAt(u, P[0][0], P[1][0], P[2][0], P[3][0]);
          double py = 20 * cubicAt(u, P[0][1], P[1][1], P[2][1], P[3][1]);
          best = std::min(best, std::hypot(px - qx, py - qy));
        }
        worst = std::max(worst, best);
      }
      x0 = e.x;
      y0 = e.y;
    }
    EXPECT_LE(worst, threshold + 3.0);
  }
  Ming_setCubicThreshold(10);
  EXPECT_EQ(Ming_getCubicThreshold(), 10);
}

// Stops added out of order are written in ascending order; stops of one ratio keep the order
// they were added in, so a hard edge stays where it was drawn.
TEST(SwfShape, GradientStopsWrittenInAscendingOrder) {
  struct Stop {
    double ratio;
    uint8_t red;  // tells the stops apart
  };
  struct Case {
    std::vector<Stop> added;
    std::vector<std::pair<int, int>> written;  // ratio, red
  };
  const Case cases[] = {
      {{{1.0, 1}, {0.0, 2}, {0.5, 3}}, {{0, 2}, {127, 3}, {255, 1}}},
      {{{0.5, 1}, {0.0, 2}, {0.5, 3}, {0.2, 4}}, {{0, 2}, {51, 4}, {127, 1}, {127, 3}}},
      {{{0.0, 1}, {1.0, 2}}, {{0, 1}, {255, 2}}},
  };
  for (const Case& c : cases) {
    SWFGradient g = newSWFGradient();
    for (const Stop& st : c.added) SWFGradient_addEntry(g, st.ratio, st.red, 0, 0, 255);
    SWFFillStyle style = newSWFGradientFillStyle(g, SWFFILL_RADIAL_GRADIENT);
    SWFFill fill = newSWFFill(style);
    SWFShape s = newSWFShape();
    SWFShape_setRightFill(s, fill);
    SWFShape_movePenTo(s, 0, 0);
    SWFShape_drawLineTo(s, 10, 0);
    SWFShape_drawLineTo(s, 0, 10);
    SWFShape_drawLineTo(s, 0, 0);
    destroySWFFill(fill);
    destroySWFFillStyle(style);
    destroySWFGradient(g);
    Shape d = Decode(s);
    destroySWFShape(s);
    ASSERT_EQ(d.fills.size(), 1u);
    std::vector<std::pair<int, int>> written;
    for (const GradientEntry& e : d.fills[0].gradient) written.emplace_back(e.ratio, e.r);
    EXPECT_EQ(written, c.written);
  }
}

TEST(SwfShape, GradientAndBitmapFills) {
  SWFGradient g = newSWFGradient();
  const double ratios[] = {0.0, 0.5, 0.999, 1.0, 1.5};
  for (double r : ratios) EXPECT_EQ(SWFGradient_addEntry(g, r, 1, 2, 3, 4), 1);
  for (int i = 5; i < 15; ++i) EXPECT_EQ(SWFGradient_addEntry(g, 1, 0, 0, 0, 255), 1);
  EXPECT_EQ(SWFGradient_addEntry(g, 1, 0, 0, 0, 255), 0);  // the 16th
  EXPECT_EQ(newSWFGradientFillStyle(g, SWFFILL_SOLID), nullptr);
  EXPECT_EQ(newSWFGradientFillStyle(nullptr, SWFFILL_LINEAR_GRADIENT), nullptr);
  SWFFillStyle linear = newSWFGradientFillStyle(g, SWFFILL_LINEAR_GRADIENT);
  SWFFill lf = newSWFFill(linear);
  SWFFill_rotateTo(lf, 0);
  SWFFill_scaleXYTo(lf, 0.5, 0.25);
  SWFFill_moveTo(lf, 30, 40);

  const uint8_t px[4 * 4] = {};
  SWFBitmap bm = newSWFBitmap_fromPixels(px, 2, 2, 8, SWF_PIXELS_BGRA32);
  EXPECT_EQ(newSWFBitmapFillStyle(bm, 0x44), nullptr);
  EXPECT_EQ(newSWFBitmapFillStyle(nullptr, SWFFILL_CLIPPED_BITMAP), nullptr);
  SWFFillStyle clipped = newSWFBitmapFillStyle(bm, SWFFILL_CLIPPED_BITMAP);
  SWFFill bf = newSWFFill(clipped);
  SWFFill_scaleXY(bf, 2, 3);
  SWFFill_scaleXY(bf, 10, 10);  // multiplies
  SWFFill_rotateTo(bf, 90);

  SWFShape s = newSWFShape();
  SWFShape_setRightFill(s, lf);
  SWFShape_movePenTo(s, 0, 0);
  SWFShape_drawLineTo(s, 10, 0);
  SWFShape_setRightFill(s, bf);
  SWFShape_drawLineTo(s, 10, 10);
  SWFShape_setRightFill(s, lf);  // the same style again: no new entry
  SWFShape_drawLineTo(s, 0, 0);
  SWFShape_setRightFill(s, nullptr);
  SWFShape_drawLineTo(s, 0, 5);
  destroySWFFill(lf);
  destroySWFFill(bf);
  destroySWFFillStyle(linear);
  destroySWFFillStyle(clipped);
  destroySWFGradient(g);

  Movie mv;
  Shape d = Decode(s, &mv);
  destroySWFShape(s);
  destroySWFBitmap(bm);
  ASSERT_EQ(d.fills.size(), 2u);
  const FillStyle& lin = d.fills[0];
  EXPECT_EQ(lin.type, 0x10);
  ASSERT_EQ(lin.gradient.size(), 15u);
  std::vector<int> got;
  for (int i = 0; i < 5; ++i) got.push_back(lin.gradient[size_t(i)].ratio);
  EXPECT_EQ(got, (std::vector<int>{0, 127, 254, 255, 255}));
  EXPECT_EQ(lin.gradient[0].a, 4);
  EXPECT_DOUBLE_EQ(lin.matrix.a, 0.5);
  EXPECT_DOUBLE_EQ(lin.matrix.d, 0.25);
  EXPECT_EQ(lin.matrix.b, 0);
  EXPECT_EQ(lin.matrix.tx, 600);
  EXPECT_EQ(lin.matrix.ty, 800);

  const FillStyle& bmp = d.fills[1];
  EXPECT_EQ(bmp.type, 0x41);
  EXPECT_NEAR(bmp.matrix.a, 0, 1e-4);
  EXPECT_NEAR(bmp.matrix.b, -20, 1e-4);  // counter-clockwise on screen
  EXPECT_NEAR(bmp.matrix.c, 30, 1e-4);
  EXPECT_NEAR(bmp.matrix.d, 0, 1e-4);
  // The bitmap is defined before the shape, under the id the fill names.
  auto bitmaps = FindTags(mv.tags, kDefineBitsLossless2);
  ASSERT_EQ(bitmaps.size(), 1u);
  Bitmap b;
  ASSERT_TRUE(ParseBitmap(*bitmaps[0], &b, nullptr));
  EXPECT_EQ(bmp.bitmapId, b.id);
  EXPECT_LT(bitmaps[0], FindTags(mv.tags, kDefineShape4)[0]);

  std::vector<uint32_t> selected;
  for (const auto& r : d.records)
    if (r.kind == ShapeRecord::kStyle && r.hasFill1) selected.push_back(r.fill1);
  EXPECT_EQ(selected, (std::vector<uint32_t>{1, 2, 1, 0}));
}

// Coordinates that are not numbers or far out of range never break the file.
TEST(SwfShape, WildCoordinatesStayWithinTheFormat) {
  SWFShape s = newSWFShape();
  SWFShape_movePenTo(s, NAN, 1e300);
  SWFShape_drawLineTo(s, -1e300, INFINITY);
  SWFShape_drawCurveTo(s, 1e12, -1e12, 5, 5);
  SWFShape_drawCubicTo(s, NAN, NAN, 1e20, 3, 4, 4);
  Shape d = Decode(s);
  destroySWFShape(s);
  auto edges = Edges(d);
  ASSERT_FALSE(edges.empty());
  EXPECT_EQ(edges.back().x, 80);
  EXPECT_EQ(edges.back().y, 80);
}

// Lines in twips with their caps, join and miter limit; the shape's bounds make room for what a
// square cap or a miter reaches out.
TEST(SwfShape, LineCapsJoinsAndMiterLimit) {
  struct Case {
    int width, startCap, endCap, join;
    double miter;
    int wantStart, wantEnd, wantJoin, reach;  // reach: twips the bounds grow by on each side
  } cases[] = {
      {30, SWF_LINE_CAP_ROUND, SWF_LINE_CAP_ROUND, SWF_LINE_JOIN_ROUND, 3, 0, 0, 0, 15},
      {30, SWF_LINE_CAP_NONE, SWF_LINE_CAP_SQUARE, SWF_LINE_JOIN_BEVEL, 3, 1, 2, 1, 22},
      {30, SWF_LINE_CAP_NONE, SWF_LINE_CAP_NONE, SWF_LINE_JOIN_MITER, 4, 1, 1, 2, 60},
      {30, 7, -1, 9, 3, 0, 0, 0, 15},  // unknown kinds: round
  };
  for (const Case& c : cases) {
    SWFShape s = newSWFShape();
    SWFShape_setLineTwips(s, c.width, 1, 2, 3, 255, c.startCap, c.endCap, c.join, c.miter);
    SWFShape_movePenTo(s, 0, 0);
    SWFShape_drawLineTo(s, 100, 0);
    SWFShape_drawLineTo(s, 100, 100);
    Shape d = Decode(s);
    destroySWFShape(s);
    ASSERT_EQ(d.lines.size(), 1u);
    EXPECT_EQ(d.lines[0].width, c.width);
    EXPECT_EQ(d.lines[0].startCap, c.wantStart);
    EXPECT_EQ(d.lines[0].endCap, c.wantEnd);
    EXPECT_EQ(d.lines[0].join, c.wantJoin);
    EXPECT_EQ(d.records.size(), 3u);  // the miter limit was read past: the records follow
    EXPECT_EQ(d.bounds.xmin, -c.reach) << c.join;
    EXPECT_EQ(d.bounds.xmax, 2000 + c.reach) << c.join;
  }
}

// The nonzero fill rule sets the fill winding rule flag; even-odd (the default) leaves it clear.
TEST(SwfShape, FillRuleFlag) {
  for (int rule : {-1, int(SWF_FILL_RULE_EVEN_ODD), int(SWF_FILL_RULE_NONZERO)}) {
    SWFShape s = newSWFShape();
    if (rule >= 0) SWFShape_setFillRule(s, rule);
    SWFFillStyle style = newSWFSolidFillStyle(1, 2, 3, 255);
    SWFFill fill = newSWFFill(style);
    SWFShape_setRightFill(s, fill);
    SWFShape_movePenTo(s, 0, 0);
    SWFShape_drawLineTo(s, 10, 0);
    SWFShape_drawLineTo(s, 0, 10);
    SWFShape_drawLineTo(s, 0, 0);
    destroySWFFill(fill);
    destroySWFFillStyle(style);
    Shape d = Decode(s);
    destroySWFShape(s);
    EXPECT_EQ(d.flags & 0x04, rule == SWF_FILL_RULE_NONZERO ? 0x04 : 0) << rule;
  }
}
