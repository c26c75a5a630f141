// Regions of the GDI+ layer: areas built from rectangles and paths with the combine operations.
//
// A region keeps its history: a first shape and the list of shapes combined with it (each a path,
// or the infinite or empty area). Point tests walk that list; drawing clips with cairo directly
// when the region is an intersection of shapes, and otherwise through a coverage mask
// rasterised from the list.
#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "GdiplusMatrix.h"
#include "GdiplusPath.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class Graphics;

class Region {
 public:
  Region();  // infinite
  explicit Region(const RectF& rect);
  explicit Region(const Rect& rect);
  explicit Region(const GraphicsPath* path);
  Region* Clone() const;

  Status MakeInfinite();
  Status MakeEmpty();

  Status Intersect(const RectF& rect);
  Status Intersect(const Rect& rect);
  Status Intersect(const GraphicsPath* path);
  Status Intersect(const Region* region);
  Status Union(const RectF& rect);
  Status Union(const Rect& rect);
  Status Union(const GraphicsPath* path);
  Status Union(const Region* region);
  Status Xor(const RectF& rect);
  Status Xor(const Rect& rect);
  Status Xor(const GraphicsPath* path);
  Status Xor(const Region* region);
  // This region less the other.
  Status Exclude(const RectF& rect);
  Status Exclude(const Rect& rect);
  Status Exclude(const GraphicsPath* path);
  Status Exclude(const Region* region);
  // The other less this region.
  Status Complement(const RectF& rect);
  Status Complement(const Rect& rect);
  Status Complement(const GraphicsPath* path);
  Status Complement(const Region* region);

  Status Translate(REAL dx, REAL dy);
  Status Translate(INT dx, INT dy);
  Status Transform(const Matrix* matrix);

  // The smallest rectangle holding the region for unions and intersections of shapes; after an
  // exclusion or exclusive or, a rectangle that holds the region (possibly larger). An infinite
  // region gives (-4194304, -4194304, 8388608, 8388608), an empty one (0, 0, 0, 0). The graphics
  // argument of these is accepted and not used.
  Status GetBounds(RectF* rect, const Graphics* g = nullptr) const;
  Status GetBounds(Rect* rect, const Graphics* g = nullptr) const;
  BOOL IsEmpty(const Graphics* g = nullptr) const;
  BOOL IsInfinite(const Graphics* g = nullptr) const;
  // With a graphics the point is in device pixels and the region goes through its world transform.
  BOOL IsVisible(REAL x, REAL y, const Graphics* g = nullptr) const;
  BOOL IsVisible(const PointF& point, const Graphics* g = nullptr) const;
  BOOL IsVisible(INT x, INT y, const Graphics* g = nullptr) const;
  BOOL IsVisible(const Point& point, const Graphics* g = nullptr) const;

  Status GetLastStatus() const;

  // For the graphics' clip: the paths whose intersection the region is (empty list: infinite),
  // or false when the region is not such an intersection. *empty is set for the empty region.
  bool LwAsIntersection(std::vector<const GraphicsPath*>* paths, bool* empty) const;
  // An A8 mask of the region (255 inside) of width x height pixels, where region coordinates
  // are mapped by toDevice. Null when it cannot be made.
  cairo_surface_t* LwCreateMask(int width, int height, const cairo_matrix_t& toDevice) const;

 private:
  enum class Kind { Infinite, Empty, Path, Sub };
  struct Item {
    CombineMode mode;  // how the item joins what comes before it (Replace for the first)
    Kind kind;
    GraphicsPath path;                 // Kind::Path
    std::shared_ptr<const Region> sub;  // Kind::Sub: a combined region taken as one shape
  };
  struct Box;
  Box Bounds() const;

  Status Combine(CombineMode mode, Kind kind, const GraphicsPath* path);
  Status CombineRegion(CombineMode mode, const Region* region);
  Status SetStatus(Status s) const;
  bool Contains(double x, double y) const;

  std::vector<Item> items_;
  mutable Status lastResult_ = Ok;
};

}  // namespace Gdiplus
