// Paths: point types as GDI+ lays them out, curve bounds, hit tests and the figure iterator.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "gdiplus.h"

using namespace Gdiplus;

namespace {

std::vector<BYTE> Types(const GraphicsPath& p) {
  std::vector<BYTE> t(p.GetPointCount());
  if (!t.empty()) p.GetPathTypes(t.data(), static_cast<INT>(t.size()));
  return t;
}

std::vector<PointF> Points(const GraphicsPath& p) {
  std::vector<PointF> pts(p.GetPointCount());
  if (!pts.empty()) p.GetPathPoints(pts.data(), static_cast<INT>(pts.size()));
  return pts;
}

struct TypeCase {
  const char* name;
  std::function<void(GraphicsPath&)> build;
  std::vector<BYTE> types;
};

TEST(GraphicsPath, PointTypesFollowFigures) {
  const TypeCase cases[] = {
      {"lines meeting end to start share the point",
       [](GraphicsPath& p) { p.AddLine(0, 0, 10, 0); p.AddLine(10, 0, 10, 10); },
       {0, 1, 1}},
      {"a line elsewhere joins the open figure",
       [](GraphicsPath& p) { p.AddLine(0, 0, 10, 0); p.AddLine(20, 0, 20, 10); },
       {0, 1, 1, 1}},
      {"start figure leaves the first open",
       [](GraphicsPath& p) { p.AddLine(0, 0, 10, 0); p.StartFigure(); p.AddLine(20, 0, 20, 10); },
       {0, 1, 0, 1}},
      {"close figure marks the last point",
       [](GraphicsPath& p) { p.AddLine(0, 0, 10, 0); p.AddLine(10, 0, 0, 10); p.CloseFigure(); p.AddLine(5, 5, 6, 6); },
       {0, 1, 0x81, 0, 1}},
      {"rectangle is a closed figure of its own",
       [](GraphicsPath& p) { p.AddLine(0, 0, 1, 1); p.AddRectangle(RectF(0, 0, 4, 4)); },
       {0, 1, 0, 1, 1, 0x81}},
      {"bezier joins with a line point",
       [](GraphicsPath& p) { p.AddLine(0, 0, 1, 0); p.AddBezier(2, 0, 3, 1, 4, 1, 5, 0); },
       {0, 1, 1, 3, 3, 3}},
      {"ellipse is four closed beziers",
       [](GraphicsPath& p) { p.AddEllipse(0, 0, 10, 10); },
       {0, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3, 0x83}},
      {"marker on the last point", [](GraphicsPath& p) { p.AddLine(0, 0, 1, 0); p.SetMarker(); }, {0, 0x21}},
      {"connected path continues the figure",
       [](GraphicsPath& p) {
         GraphicsPath other;
         other.AddLine(5, 5, 6, 6);
         p.AddLine(0, 0, 1, 0);
         p.AddPath(&other, TRUE);
       },
       {0, 1, 1, 1}},
      {"unconnected path starts its own figure",
       [](GraphicsPath& p) {
         GraphicsPath other;
         other.AddLine(5, 5, 6, 6);
         p.AddLine(0, 0, 1, 0);
         p.AddPath(&other, FALSE);
       },
       {0, 1, 0, 1}},
      {"a path added to itself repeats its figures",
       [](GraphicsPath& p) {
         p.AddLine(0, 0, 1, 0);
         p.CloseFigure();
         p.AddPath(&p, FALSE);
       },
       {0, 0x81, 0, 0x81}},
      {"a path connected to itself continues its figure",
       [](GraphicsPath& p) {
         p.AddLine(0, 0, 1, 0);
         p.AddLine(1, 0, 2, 2);
         p.AddPath(&p, TRUE);
       },
       {0, 1, 1, 1, 1, 1}},
  };
  for (const TypeCase& c : cases) {
    GraphicsPath p;
    c.build(p);
    EXPECT_EQ(Types(p), c.types) << c.name;
  }
}

TEST(GraphicsPath, EllipseStartsRightAndTurnsDown) {
  GraphicsPath p;
  p.AddEllipse(RectF(10, 20, 40, 30));
  const std::vector<PointF> pts = Points(p);
  ASSERT_EQ(pts.size(), 13u);
  EXPECT_FLOAT_EQ(pts[0].X, 50);
  EXPECT_FLOAT_EQ(pts[0].Y, 35);
  EXPECT_FLOAT_EQ(pts[3].X, 30);  // bottom middle
  EXPECT_FLOAT_EQ(pts[3].Y, 50);
  EXPECT_NEAR(pts[1].Y, 35 + 15 * 0.5522847f, 1e-4);
}

TEST(GraphicsPath, RejectsBadInput) {
  GraphicsPath p;
  const PointF pts[5] = {};
  EXPECT_EQ(p.AddBeziers(pts, 5), InvalidParameter);
  EXPECT_EQ(p.AddLines(static_cast<const PointF*>(nullptr), 2), InvalidParameter);
  EXPECT_EQ(p.AddPolygon(pts, 2), InvalidParameter);
  EXPECT_EQ(p.GetPointCount(), 0);
  p.AddLine(0, 0, 1, 1);
  PointF out[1];
  EXPECT_EQ(p.GetPathPoints(out, 1), InvalidParameter);
  EXPECT_EQ(p.GetLastStatus(), InvalidParameter);
  EXPECT_EQ(p.GetLastStatus(), Ok);
}

TEST(GraphicsPath, BoundsFollowTheCurveNotItsControls) {
  struct Case {
    const char* name;
    const Matrix* matrix;
    REAL penWidth;  // 0: no pen
    RectF want;
  };
  const Matrix twice(2, 0, 0, 2, 0, 0);
  const Case cases[] = {
      {"plain", nullptr, 0, RectF(0, 0, 100, 75)},
      {"under a matrix", &twice, 0, RectF(0, 0, 200, 150)},
      {"with a pen", nullptr, 10, RectF(-5, -5, 110, 85)},
      {"pen scaled with the matrix", &twice, 10, RectF(-10, -10, 220, 170)},
  };
  // Controls reach y = 100; the curve itself peaks at y = 75 (t = 0.5).
  GraphicsPath p;
  p.AddBezier(0, 0, 0, 100, 100, 100, 100, 0);
  for (const Case& c : cases) {
    Pen pen(Color(Color::Black), c.penWidth);
    RectF b;
    ASSERT_EQ(p.GetBounds(&b, c.matrix, c.penWidth > 0 ? &pen : nullptr), Ok);
    EXPECT_NEAR(b.X, c.want.X, 1e-3) << c.name;
    EXPECT_NEAR(b.Y, c.want.Y, 1e-3) << c.name;
    EXPECT_NEAR(b.Width, c.want.Width, 1e-3) << c.name;
    EXPECT_NEAR(b.Height, c.want.Height, 1e-3) << c.name;
  }

  // An ellipse's bounds are its rectangle; whole-number bounds round outwards.
  GraphicsPath e;
  e.AddEllipse(RectF(10.5f, 20, 40, 30));
  RectF eb;
  e.GetBounds(&eb);
  EXPECT_NEAR(eb.X, 10.5, 1e-3);
  EXPECT_NEAR(eb.Width, 40, 1e-3);
  EXPECT_NEAR(eb.Height, 30, 1e-3);
  Rect ib;
  e.GetBounds(&ib);
  EXPECT_EQ(ib.X, 10);
  EXPECT_EQ(ib.Width, 41);

  GraphicsPath empty;
  RectF none(1, 1, 1, 1);
  EXPECT_EQ(empty.GetBounds(&none), Ok);
  EXPECT_TRUE(none.Equals(RectF(0, 0, 0, 0)));
}

TEST(GraphicsPath, IsVisibleHonoursFillMode) {
  // Two nested squares drawn the same way round: a hole under alternate, filled under winding.
  GraphicsPath p;
  p.AddRectangle(RectF(0, 0, 30, 30));
  p.AddRectangle(RectF(10, 10, 10, 10));
  p.AddEllipse(RectF(100, 0, 20, 20));
  struct Probe {
    REAL x, y;
    bool alternate, winding;
  };
  const Probe probes[] = {
      {5, 5, true, true},       // between the squares
      {15, 15, false, true},    // inside both
      {35, 5, false, false},    // outside
      {0, 15, true, true},      // left edge belongs to the area
      {30, 15, false, false},   // right edge does not
      {110, 10, true, true},    // ellipse centre
      {101, 1, false, false},   // ellipse bounding-box corner
  };
  for (const Probe& pr : probes) {
    p.SetFillMode(FillModeAlternate);
    EXPECT_EQ(p.IsVisible(pr.x, pr.y) != FALSE, pr.alternate) << pr.x << "," << pr.y;
    p.SetFillMode(FillModeWinding);
    EXPECT_EQ(p.IsVisible(pr.x, pr.y) != FALSE, pr.winding) << pr.x << "," << pr.y;
  }
}

TEST(GraphicsPath, IsOutlineVisibleWithinHalfThePenWidth) {
  GraphicsPath p;
  p.AddRectangle(RectF(10, 10, 20, 20));
  Pen pen(Color(Color::Black), 4);
  EXPECT_TRUE(p.IsOutlineVisible(10.0f, 20.0f, &pen));
  EXPECT_TRUE(p.IsOutlineVisible(11.5f, 20.0f, &pen));
  EXPECT_FALSE(p.IsOutlineVisible(12.5f, 20.0f, &pen));
  EXPECT_FALSE(p.IsOutlineVisible(20.0f, 20.0f, &pen));
  EXPECT_FALSE(p.IsOutlineVisible(20.0f, 20.0f, nullptr));
}

TEST(GraphicsPath, TransformAndRoundTripThroughPointsAndTypes) {
  GraphicsPath p;
  p.AddBezier(0, 0, 1, 2, 3, 4, 5, 6);
  p.CloseFigure();
  const Matrix m(1, 0, 0, 1, 10, 20);
  p.Transform(&m);
  const std::vector<PointF> pts = Points(p);
  const std::vector<BYTE> types = Types(p);
  EXPECT_FLOAT_EQ(pts[3].X, 15);
  EXPECT_FLOAT_EQ(pts[3].Y, 26);
  const GraphicsPath copy(pts.data(), types.data(), static_cast<INT>(pts.size()), FillModeWinding);
  EXPECT_EQ(Types(copy), types);
  EXPECT_EQ(copy.GetFillMode(), FillModeWinding);
}

TEST(GraphicsPathIterator, WalksFiguresAndMarkers) {
  GraphicsPath p;
  p.AddRectangle(RectF(0, 0, 1, 1));   // points 0-3, closed
  p.AddLine(5, 5, 6, 6);               // points 4-5, open
  p.SetMarker();
  p.StartFigure();
  p.AddEllipse(RectF(0, 0, 2, 2));     // points 6-18, closed
  GraphicsPathIterator it(&p);
  EXPECT_EQ(it.GetCount(), 19);
  EXPECT_EQ(it.GetSubpathCount(), 3);
  EXPECT_TRUE(it.HasCurve());

  struct Want {
    INT count, start, end;
    BOOL closed;
  };
  const Want wants[] = {{4, 0, 3, TRUE}, {2, 4, 5, FALSE}, {13, 6, 18, TRUE}, {0, 0, 0, TRUE}};
  for (const Want& w : wants) {
    INT s = -1, e = -1;
    BOOL closed = 2;
    EXPECT_EQ(it.NextSubpath(&s, &e, &closed), w.count);
    EXPECT_EQ(s, w.start);
    EXPECT_EQ(e, w.end);
    EXPECT_EQ(closed, w.closed);
  }

  INT s = 0, e = 0;
  EXPECT_EQ(it.NextMarker(&s, &e), 6);
  EXPECT_EQ(e, 5);
  EXPECT_EQ(it.NextMarker(&s, &e), 13);
  EXPECT_EQ(it.NextMarker(&s, &e), 0);

  it.Rewind();
  GraphicsPath figure;
  BOOL closed = FALSE;
  EXPECT_EQ(it.NextSubpath(&figure, &closed), 4);
  EXPECT_EQ(Types(figure), (std::vector<BYTE>{0, 1, 1, 0x81}));
}

}  // namespace
