// Graphics of the GDI+ layer: drawing on a bitmap or a device context with cairo.
//
// Coordinates: world coordinates pass through the world transform to device pixels. With the
// default pixel offset mode (None, Default, HighSpeed) a pixel's centre lies at whole device
// coordinates, as in GDI+, so everything is drawn shifted by half a pixel in cairo's terms;
// Half and HighQuality put pixel centres at .5 and draw unshifted. Images and texture brushes
// are placed by pixel areas in every mode, so that an unscaled image at whole coordinates lands
// pixel for pixel.
//
// Drawing on a device context or a bitmap goes to a cairo surface taken from the target at
// construction (LwGdiBeginDraw, Bitmap::LwBeginDraw); as in GDI+, the pixels a drawing call
// touches reach the target when the call returns (LwGdiSyncDraw, Bitmap::LwSyncDraw). A caller
// that makes many small drawing calls and reads the target only after them (a view's paint) can
// hold that copy back between LwHoldSync and LwReleaseSync: the calls then only draw, and the
// release copies what they covered at once.
//
// Clipping follows GDI+: the clip is kept in device pixels (the world transform in effect when it
// is set is applied to it) and has hard edges.
#pragma once

#include <cairo.h>

#include <vector>

#include <windows.h>

#include "GdiplusBrush.h"
#include "GdiplusMatrix.h"
#include "GdiplusPath.h"
#include "GdiplusPen.h"
#include "GdiplusRegion.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class Image;
class Bitmap;

class Graphics {
 public:
  explicit Graphics(HDC hdc);
  // Drawing into a Bitmap (other images give InvalidParameter from GetLastStatus).
  explicit Graphics(Image* image);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;

  static Graphics* FromHDC(HDC hdc);
  static Graphics* FromImage(Image* image);

  // A device context onto the target: for a device context target the context itself, for a
  // bitmap a memory context holding a copy of the pixels. What GDI draws there comes back at
  // ReleaseHDC; no GDI+ drawing may happen between the two calls (ObjectBusy).
  HDC GetHDC();
  VOID ReleaseHDC(HDC hdc);
  VOID Flush(FlushIntention intention = FlushIntentionFlush);
  // Between the two, drawing calls leave the target's own pixels as they are (the drawing surface
  // has them); LwReleaseSync brings everything drawn since LwHoldSync to the target. Pairs nest;
  // Flush, GetHDC and the end of the Graphics bring everything over as always.
  void LwHoldSync();
  void LwReleaseSync();

  Status SetTransform(const Matrix* matrix);
  Status GetTransform(Matrix* matrix) const;
  Status ResetTransform();
  Status MultiplyTransform(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
  Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
  Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend);
  Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend);

  // Antialiasing for AntiAlias, AntiAlias8x8 and HighQuality; hard edges otherwise (the GDI+
  // default).
  Status SetSmoothingMode(SmoothingMode mode);
  SmoothingMode GetSmoothingMode() const { return smoothing_; }
  // Images: nearest neighbour, bilinear (the default, and low quality), or cairo's best filter
  // for the bicubic and high-quality modes.
  Status SetInterpolationMode(InterpolationMode mode);
  InterpolationMode GetInterpolationMode() const { return interpolation_; }
  Status SetPixelOffsetMode(PixelOffsetMode mode);
  PixelOffsetMode GetPixelOffsetMode() const { return pixelOffset_; }
  // SourceCopy replaces the covered pixels (alpha included); SourceOver blends.
  Status SetCompositingMode(CompositingMode mode);
  CompositingMode GetCompositingMode() const { return compositing_; }
  // Kept; blending is always done in cairo's (linear, premultiplied) way.
  Status SetCompositingQuality(CompositingQuality quality);
  CompositingQuality GetCompositingQuality() const { return compositingQuality_; }

  // Fills the clip area with the colour (replacing what is there, alpha included).
  Status Clear(const Color& color);

  Status FillPath(const Brush* brush, const GraphicsPath* path);
  Status DrawPath(const Pen* pen, const GraphicsPath* path);
  Status FillRectangle(const Brush* brush, const RectF& rect);
  Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillRectangle(const Brush* brush, const Rect& rect);
  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
  Status FillRectangles(const Brush* brush, const RectF* rects, INT count);
  Status FillRectangles(const Brush* brush, const Rect* rects, INT count);
  Status DrawRectangle(const Pen* pen, const RectF& rect);
  Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawRectangle(const Pen* pen, const Rect& rect);
  Status DrawRectangle(const Pen* pen, INT x, INT y, INT width, INT height);
  Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
  Status DrawLine(const Pen* pen, const PointF& pt1, const PointF& pt2);
  Status DrawLine(const Pen* pen, INT x1, INT y1, INT x2, INT y2);
  Status DrawLine(const Pen* pen, const Point& pt1, const Point& pt2);
  Status DrawLines(const Pen* pen, const PointF* points, INT count);
  Status DrawLines(const Pen* pen, const Point* points, INT count);
  Status FillEllipse(const Brush* brush, const RectF& rect);
  Status FillEllipse(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillEllipse(const Brush* brush, const Rect& rect);
  Status FillEllipse(const Brush* brush, INT x, INT y, INT width, INT height);
  Status DrawEllipse(const Pen* pen, const RectF& rect);
  Status DrawEllipse(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawEllipse(const Pen* pen, const Rect& rect);
  Status DrawEllipse(const Pen* pen, INT x, INT y, INT width, INT height);
  Status FillPolygon(const Brush* brush, const PointF* points, INT count, FillMode fillMode = FillModeAlternate);
  Status FillPolygon(const Brush* brush, const Point* points, INT count, FillMode fillMode = FillModeAlternate);
  Status DrawPolygon(const Pen* pen, const PointF* points, INT count);
  Status DrawPolygon(const Pen* pen, const Point* points, INT count);

  // At its size in pixels, with its top-left corner at the point.
  Status DrawImage(Image* image, REAL x, REAL y);
  Status DrawImage(Image* image, const PointF& point);
  Status DrawImage(Image* image, INT x, INT y);
  Status DrawImage(Image* image, const Point& point);
  // Stretched to the rectangle.
  Status DrawImage(Image* image, REAL x, REAL y, REAL width, REAL height);
  Status DrawImage(Image* image, const RectF& rect);
  Status DrawImage(Image* image, INT x, INT y, INT width, INT height);
  Status DrawImage(Image* image, const Rect& rect);
  // The source rectangle (in pixels: srcUnit must be UnitPixel) stretched to the rectangle.
  Status DrawImage(Image* image, const RectF& destRect, REAL srcX, REAL srcY, REAL srcWidth, REAL srcHeight,
                   Unit srcUnit);
  Status DrawImage(Image* image, const Rect& destRect, INT srcX, INT srcY, INT srcWidth, INT srcHeight,
                   Unit srcUnit);

  Status SetClip(const RectF& rect, CombineMode mode = CombineModeReplace);
  Status SetClip(const Rect& rect, CombineMode mode = CombineModeReplace);
  Status SetClip(const GraphicsPath* path, CombineMode mode = CombineModeReplace);
  Status SetClip(const Region* region, CombineMode mode = CombineModeReplace);
  Status IntersectClip(const RectF& rect);
  Status IntersectClip(const Rect& rect);
  Status IntersectClip(const Region* region);
  Status ResetClip();
  // The clip in world coordinates (under the current world transform).
  Status GetClip(Region* region) const;
  Status GetClipBounds(RectF* rect) const;
  Status GetClipBounds(Rect* rect) const;
  BOOL IsClipEmpty() const;

  GraphicsState Save();
  // Back to the state saved as `state`; states saved after it are dropped.
  Status Restore(GraphicsState state);

  // Bitmaps and device contexts are 96 dots per inch.
  REAL GetDpiX() const { return 96.0f; }
  REAL GetDpiY() const { return 96.0f; }

  Status GetLastStatus() const;

 private:
  struct State {
    GraphicsState id;
    Matrix world;
    Region clip;
    SmoothingMode smoothing;
    InterpolationMode interpolation;
    PixelOffsetMode pixelOffset;
    CompositingMode compositing;
    CompositingQuality compositingQuality;
  };

  void Attach(cairo_surface_t* surface);
  void Detach();
  void InvalidateClipMask();
  // Mask: the source is laid through pendingMask_ (which Render releases); the path only bounds it.
  enum class Action { None, Fill, Stroke, Paint, Mask };
  // Runs build(cr) with the world transform and the clip in effect; build makes the path and
  // sets the source and stroke, and says what to do with them.
  template <typename Build>
  Status Render(Build build);
  // Sets the brush's pattern as the source of cr_ (false when it cannot be drawn).
  bool SetBrushSource(const Brush* brush) const;
  Status StrokePath(const Pen* pen, const GraphicsPath& path);
  Status SetStatus(Status s) const;
  cairo_matrix_t DeviceMatrix() const;  // world transform plus pixel offset
  // The pixel offset shift expressed in world units.
  void PixelShiftInWorld(double* dx, double* dy) const;
  Status CombineClip(const Region& deviceRegion, CombineMode mode);

  HDC hdc_ = nullptr;
  Bitmap* bitmap_ = nullptr;
  cairo_surface_t* surface_ = nullptr;
  cairo_t* cr_ = nullptr;
  cairo_pattern_t* pendingMask_ = nullptr;
  HDC lentDc_ = nullptr;   // the context GetHDC handed out
  HGDIOBJ lentBitmap_ = nullptr;
  HGDIOBJ lentOld_ = nullptr;
  void* lentBits_ = nullptr;
  std::vector<uint32_t> lentCopy_;  // the pixels as lent, to find what GDI changed

  Matrix world_;
  Region clip_;  // device pixels
  cairo_surface_t* clipMask_ = nullptr;
  SmoothingMode smoothing_ = SmoothingModeNone;
  InterpolationMode interpolation_ = InterpolationModeBilinear;
  PixelOffsetMode pixelOffset_ = PixelOffsetModeDefault;
  CompositingMode compositing_ = CompositingModeSourceOver;
  CompositingQuality compositingQuality_ = CompositingQualityDefault;
  std::vector<State> saved_;
  GraphicsState nextState_ = 1;
  mutable Status lastResult_ = Ok;
  int holdSync_ = 0;    // LwHoldSync nesting
  bool heldDraw_ = false;  // something was drawn while held
  bool inStep_ = false;    // the target has every pixel of the surface (a release, nothing drawn since)
};

}  // namespace Gdiplus
