// Pens of the GDI+ layer, stroked with cairo.
#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "GdiplusBrush.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class GraphicsPath;

class Pen {
 public:
  Pen(const Color& color, REAL width = 1.0f);
  Pen(const Brush* brush, REAL width = 1.0f);
  Pen(const Pen& other);
  Pen& operator=(const Pen& other);
  ~Pen();
  Pen* Clone() const;

  // A width of 0 or below draws one device pixel wide.
  Status SetWidth(REAL width);
  REAL GetWidth() const { return width_; }
  Status SetColor(const Color& color);  // the pen becomes a solid-colour pen
  Status GetColor(Color* color) const;  // fails (InvalidParameter) for a pen with another brush
  Status SetBrush(const Brush* brush);
  // A copy of the pen's brush, owned by the caller.
  Brush* GetBrush() const;
  PenType GetPenType() const;

  Status SetLineCap(LineCap startCap, LineCap endCap, DashCap dashCap);
  Status SetStartCap(LineCap cap);
  Status SetEndCap(LineCap cap);
  Status SetDashCap(DashCap cap);
  LineCap GetStartCap() const { return startCap_; }
  LineCap GetEndCap() const { return endCap_; }
  DashCap GetDashCap() const { return dashCap_; }
  Status SetLineJoin(LineJoin join);
  LineJoin GetLineJoin() const { return lineJoin_; }
  Status SetMiterLimit(REAL miterLimit);
  REAL GetMiterLimit() const { return miterLimit_; }

  // Dash lengths are in pen widths: Dash 3,1; Dot 1,1; DashDot 3,1,1,1; DashDotDot 3,1,1,1,1,1.
  Status SetDashStyle(DashStyle style);
  DashStyle GetDashStyle() const { return dashStyle_; }
  // Custom dashes (in pen widths, every length above 0); the style becomes DashStyleCustom.
  Status SetDashPattern(const REAL* dashArray, INT count);
  INT GetDashPatternCount() const;
  Status GetDashPattern(REAL* dashArray, INT count) const;
  // In pen widths along the line.
  Status SetDashOffset(REAL dashOffset);
  REAL GetDashOffset() const { return dashOffset_; }

  // Inset strokes closed figures inside their area only; open figures are stroked centred.
  Status SetAlignment(PenAlignment alignment);
  PenAlignment GetAlignment() const { return alignment_; }

  Status GetLastStatus() const;

  // The dash lengths in pen widths in effect (empty for a solid line).
  std::vector<REAL> LwDashes() const;
  const Brush* LwBrush() const { return brush_.get(); }
  // Sets cairo's stroke parameters (width, caps, join, dashes) for user space under the current
  // transform of cr. Call it after the path and the source are set: for a pen of width 0 or
  // below it switches cr to device space (one pixel wide, dashes in pixels).
  void LwApplyStroke(cairo_t* cr) const;
  // Whether the pen's ends need shapes of their own besides cairo's stroke: different start and
  // end caps, triangle caps, or anchor caps (for a dashed pen only anchors: the dash cap shapes
  // every dash). LwApplyStroke then gives cairo flat ends (a dashed pen keeps its dash cap).
  bool LwHasCapShapes() const;
  // Appends the cap shapes of every open figure of path (user space, as cairo_copy_path gives
  // it) to the current path of cr, to be filled with the nonzero rule.
  //   square: the line goes on half a width; round: a half disc; triangle: a point half a width
  //   out; square, round and diamond anchors: a square, a disc and a diamond two widths across,
  //   centred on the end; arrow anchor: an arrowhead two widths long and two wide whose point is
  //   one width beyond the end.
  void LwAppendCapShapes(cairo_t* cr, const cairo_path_t* path) const;
  // The same cap shapes for the open figures of path (in its coordinates), added to shapes as
  // closed figures to be filled with the nonzero rule in the pen's colour (nothing when the pen
  // has none): what exporters draw beside a stroke given flat ends.
  Status LwGetCapShapes(const GraphicsPath& path, GraphicsPath* shapes) const;

 private:
  Status SetStatus(Status s) const;

  std::unique_ptr<Brush> brush_;
  REAL width_;
  LineCap startCap_ = LineCapFlat, endCap_ = LineCapFlat;
  DashCap dashCap_ = DashCapFlat;
  LineJoin lineJoin_ = LineJoinMiter;
  REAL miterLimit_ = 10.0f;
  DashStyle dashStyle_ = DashStyleSolid;
  std::vector<REAL> customDashes_;
  REAL dashOffset_ = 0;
  PenAlignment alignment_ = PenAlignmentCenter;
  mutable Status lastResult_ = Ok;
};

}  // namespace Gdiplus
