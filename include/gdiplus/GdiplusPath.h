// Vector paths of the GDI+ layer. A path is a list of points with one type byte each:
// 0 starts a figure, 1 is a line to the point, 3 a cubic Bezier point (three in a row: two
// controls and the end), 0x20 marks the end of a marker section and 0x80 closes the figure.
#pragma once

#include <cairo.h>

#include <vector>

#include "GdiplusMatrix.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class Pen;
class Graphics;

// Default tolerance (in device units) when curves are flattened into lines.
constexpr REAL FlatnessDefault = 1.0f / 4.0f;

class GraphicsPath {
 public:
  explicit GraphicsPath(FillMode fillMode = FillModeAlternate);
  // A path with the given points and types (copied as they are).
  GraphicsPath(const PointF* points, const BYTE* types, INT count, FillMode fillMode = FillModeAlternate);
  GraphicsPath(const Point* points, const BYTE* types, INT count, FillMode fillMode = FillModeAlternate);
  GraphicsPath(const GraphicsPath&) = default;
  GraphicsPath& operator=(const GraphicsPath&) = default;

  GraphicsPath* Clone() const;

  Status Reset();  // no points, fill mode alternate
  FillMode GetFillMode() const { return fillMode_; }
  Status SetFillMode(FillMode fillMode);

  // The next point added starts a new figure; the current one stays open.
  Status StartFigure();
  // Closes the current figure (type bit 0x80 on its last point); the next point starts a new one.
  Status CloseFigure();
  Status CloseAllFigures();
  Status SetMarker();
  Status ClearMarkers();

  // Lines and Beziers join the current figure when it is open: a line is drawn from its last
  // point to the new first point (a first point equal to the last point is not repeated).
  Status AddLine(const PointF& pt1, const PointF& pt2);
  Status AddLine(REAL x1, REAL y1, REAL x2, REAL y2);
  Status AddLine(const Point& pt1, const Point& pt2);
  Status AddLine(INT x1, INT y1, INT x2, INT y2);
  Status AddLines(const PointF* points, INT count);
  Status AddLines(const Point* points, INT count);
  Status AddBezier(const PointF& pt1, const PointF& pt2, const PointF& pt3, const PointF& pt4);
  Status AddBezier(REAL x1, REAL y1, REAL x2, REAL y2, REAL x3, REAL y3, REAL x4, REAL y4);
  Status AddBezier(const Point& pt1, const Point& pt2, const Point& pt3, const Point& pt4);
  // count = 1 + 3 n: a start point followed by n Beziers.
  Status AddBeziers(const PointF* points, INT count);
  Status AddBeziers(const Point* points, INT count);

  // Closed figures of their own.
  Status AddRectangle(const RectF& rect);
  Status AddRectangle(const Rect& rect);
  Status AddRectangles(const RectF* rects, INT count);
  Status AddRectangles(const Rect* rects, INT count);
  // Four Beziers, clockwise from the middle of the right side.
  Status AddEllipse(const RectF& rect);
  Status AddEllipse(REAL x, REAL y, REAL width, REAL height);
  Status AddEllipse(const Rect& rect);
  Status AddEllipse(INT x, INT y, INT width, INT height);
  Status AddPolygon(const PointF* points, INT count);
  Status AddPolygon(const Point* points, INT count);
  // Appends the figures of another path; with connect, its first figure joins the current open
  // figure (its first point becomes a line point).
  Status AddPath(const GraphicsPath* addingPath, BOOL connect);

  Status Transform(const Matrix* matrix);

  // Bounds of the curve itself (Bezier extrema, not the control points), after the matrix when
  // one is given; with a pen, grown on every side by half the pen's width (scaled by the matrix),
  // which ignores miter spikes and caps.
  Status GetBounds(RectF* bounds, const Matrix* matrix = nullptr, const Pen* pen = nullptr) const;
  Status GetBounds(Rect* bounds, const Matrix* matrix = nullptr, const Pen* pen = nullptr) const;

  INT GetPointCount() const { return static_cast<INT>(points_.size()); }
  Status GetPathPoints(PointF* points, INT count) const;
  Status GetPathPoints(Point* points, INT count) const;
  Status GetPathTypes(BYTE* types, INT count) const;
  Status GetLastPoint(PointF* lastPoint) const;

  // Whether the point lies inside the filled path under its fill mode (every figure is taken as
  // closed). Without a graphics the point is in the path's coordinates; with one it is in device
  // pixels and the path is taken through the graphics' world transform.
  BOOL IsVisible(REAL x, REAL y, const Graphics* g = nullptr) const;
  BOOL IsVisible(const PointF& point, const Graphics* g = nullptr) const;
  BOOL IsVisible(INT x, INT y, const Graphics* g = nullptr) const;
  BOOL IsVisible(const Point& point, const Graphics* g = nullptr) const;
  // Whether the point lies on the outline stroked with the pen (coordinates as for IsVisible).
  BOOL IsOutlineVisible(REAL x, REAL y, const Pen* pen, const Graphics* g = nullptr) const;
  BOOL IsOutlineVisible(const PointF& point, const Pen* pen, const Graphics* g = nullptr) const;
  BOOL IsOutlineVisible(INT x, INT y, const Pen* pen, const Graphics* g = nullptr) const;
  BOOL IsOutlineVisible(const Point& point, const Pen* pen, const Graphics* g = nullptr) const;

  Status GetLastStatus() const;

  // Direct access for the other classes of the layer.
  const std::vector<PointF>& LwPoints() const { return points_; }
  const std::vector<BYTE>& LwTypes() const { return types_; }
  // Where a point of a flattened path comes from: t of the way from point `from` to point `to`
  // of this path (from == to for a point of the path itself).
  struct LwSource {
    INT from, to;
    REAL t;
  };
  // The path as polygons, one per figure, curves split into lines no farther than flatness from
  // the curve; sources (when given) receives the origin of every point.
  std::vector<std::vector<PointF>> LwFlatten(REAL flatness = FlatnessDefault,
                                             std::vector<std::vector<LwSource>>* sources = nullptr) const;
  // Appends the path to cairo's current path (figures closed where the path closes them); a
  // figure with a point that is infinite or not a number is left out, and a figure reaching
  // outside cairo's coordinate range (about 4.2 million device units each way through cr's
  // matrix) is clipped to that range, its curves taken as lines.
  void LwAppendTo(cairo_t* cr) const;

 private:
  Status SetStatus(Status s) const;
  // Adds the first point of a line or Bezier run: a start point for a new figure, else a line
  // point (skipped when it equals the figure's last point).
  void AddJoinPoint(const PointF& p);
  bool FigureOpen() const;

  std::vector<PointF> points_;
  std::vector<BYTE> types_;
  FillMode fillMode_;
  bool newFigure_ = true;
  mutable Status lastResult_ = Ok;
};

// Walks the figures ("subpaths") and marker sections of a path.
class GraphicsPathIterator {
 public:
  explicit GraphicsPathIterator(const GraphicsPath* path);

  // The next figure's first and last point indices and whether it is closed; returns its point
  // count, 0 (and start = end = 0) after the last one.
  INT NextSubpath(INT* startIndex, INT* endIndex, BOOL* isClosed);
  // The same, copying the figure into path.
  INT NextSubpath(GraphicsPath* path, BOOL* isClosed);
  // The next section ending at a marker (or at the path's end); returns its point count.
  INT NextMarker(INT* startIndex, INT* endIndex);

  INT GetCount() const { return static_cast<INT>(types_.size()); }
  INT GetSubpathCount() const;
  BOOL HasCurve() const;
  VOID Rewind();
  Status GetLastStatus() const;

 private:
  std::vector<PointF> points_;
  std::vector<BYTE> types_;
  INT subpathPos_ = 0;
  INT markerPos_ = 0;
  mutable Status lastResult_ = Ok;
};

}  // namespace Gdiplus
