// Brushes of the GDI+ layer, drawn as cairo patterns.
#pragma once

#include <cairo.h>

#include <vector>

#include "GdiplusMatrix.h"
#include "GdiplusPath.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class Image;

class Brush {
 public:
  virtual ~Brush();
  virtual Brush* Clone() const = 0;
  BrushType GetType() const { return type_; }
  Status GetLastStatus() const;

  // A new cairo pattern for filling in world space, where worldToDevice is the transform in
  // effect (hatches are laid out in device pixels). Null when the brush cannot be drawn.
  virtual cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const = 0;

 protected:
  explicit Brush(BrushType type) : type_(type) {}
  Brush(const Brush&) = default;
  Brush& operator=(const Brush&) = default;
  Status SetStatus(Status s) const;

  BrushType type_;
  mutable Status lastResult_ = Ok;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& color);
  Brush* Clone() const override;
  Status GetColor(Color* color) const;
  Status SetColor(const Color& color);
  cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const override;

 private:
  Color color_;
};

// Shared by the brushes whose pattern follows a brush transform.
class TransformableBrush : public Brush {
 public:
  Status SetTransform(const Matrix* matrix);
  Status GetTransform(Matrix* matrix) const;
  Status ResetTransform();
  Status MultiplyTransform(const Matrix* matrix, MatrixOrder order = MatrixOrderPrepend);
  Status TranslateTransform(REAL dx, REAL dy, MatrixOrder order = MatrixOrderPrepend);
  Status ScaleTransform(REAL sx, REAL sy, MatrixOrder order = MatrixOrderPrepend);
  Status RotateTransform(REAL angle, MatrixOrder order = MatrixOrderPrepend);
  WrapMode GetWrapMode() const { return wrapMode_; }

 protected:
  TransformableBrush(BrushType type, WrapMode wrap) : Brush(type), wrapMode_(wrap) {}
  // Sets the pattern's matrix to brush space -> world (pre) x brush transform; false when the
  // combined matrix cannot be inverted.
  bool ApplyPatternMatrix(cairo_pattern_t* pattern, const Matrix& pre) const;

  Matrix transform_;
  WrapMode wrapMode_;
};

// Colours along a line from one point to another, constant across it.
class LinearGradientBrush : public TransformableBrush {
 public:
  LinearGradientBrush(const PointF& point1, const PointF& point2, const Color& color1, const Color& color2);
  LinearGradientBrush(const Point& point1, const Point& point2, const Color& color1, const Color& color2);
  LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2, LinearGradientMode mode);
  LinearGradientBrush(const Rect& rect, const Color& color1, const Color& color2, LinearGradientMode mode);
  // The gradient runs at angle degrees (clockwise from the x axis) across the rectangle, from the
  // corner where it starts to the opposite one. With isAngleScalable the angle is taken in the
  // rectangle's own proportions (45 degrees runs corner to corner).
  LinearGradientBrush(const RectF& rect, const Color& color1, const Color& color2, REAL angle,
                      BOOL isAngleScalable = FALSE);
  LinearGradientBrush(const Rect& rect, const Color& color1, const Color& color2, REAL angle,
                      BOOL isAngleScalable = FALSE);
  Brush* Clone() const override;

  Status SetLinearColors(const Color& color1, const Color& color2);
  Status GetLinearColors(Color* colors) const;
  Status GetRectangle(RectF* rect) const;
  // factors[i] of color2 (the rest color1) at positions[i]; positions run from 0 to 1.
  Status SetBlend(const REAL* blendFactors, const REAL* blendPositions, INT count);
  INT GetBlendCount() const { return static_cast<INT>(blendFactors_.size()); }
  // Preset colours at positions from 0 to 1 (replaces the two colours and any blend).
  Status SetInterpolationColors(const Color* presetColors, const REAL* blendPositions, INT count);
  INT GetInterpolationColorCount() const { return static_cast<INT>(presetColors_.size()); }
  // Tile (the default), TileFlipX/Y/XY; Clamp is refused with InvalidParameter.
  Status SetWrapMode(WrapMode wrapMode);
  // Accepted and kept; colours are interpolated as they are.
  Status SetGammaCorrection(BOOL useGammaCorrection);
  BOOL GetGammaCorrection() const { return gamma_; }

  cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const override;

 private:
  void InitLine(const PointF& p1, const PointF& p2);
  void InitRect(const RectF& rect, double angleDeg, bool scalable);

  // Gradient space: colour 1 at (0, 0), colour 2 at (1, 0); base_ maps it to brush space.
  Matrix base_;
  RectF rect_;
  Color colors_[2];
  std::vector<REAL> blendFactors_, blendPositions_;
  std::vector<Color> presetColors_;
  std::vector<REAL> presetPositions_;
  BOOL gamma_ = FALSE;
};

// Colours from a centre point out to the boundary of a path; nothing is painted outside it.
class PathGradientBrush : public TransformableBrush {
 public:
  explicit PathGradientBrush(const GraphicsPath* path);
  PathGradientBrush(const PointF* points, INT count, WrapMode wrapMode = WrapModeClamp);
  PathGradientBrush(const Point* points, INT count, WrapMode wrapMode = WrapModeClamp);
  Brush* Clone() const override;

  // Default centre colour black, surround colour white, centre the boundary's centroid.
  Status SetCenterColor(const Color& color);
  Status GetCenterColor(Color* color) const;
  Status SetCenterPoint(const PointF& point);
  Status SetCenterPoint(const Point& point);
  Status GetCenterPoint(PointF* point) const;
  // One colour per boundary point; fewer colours leave the last one for the remaining points.
  // More colours than points fail with InvalidParameter. count receives the number taken.
  Status SetSurroundColors(const Color* colors, INT* count);
  Status GetSurroundColors(Color* colors, INT* count) const;
  INT GetSurroundColorCount() const { return static_cast<INT>(surround_.size()); }
  INT GetPointCount() const { return path_.GetPointCount(); }
  Status SetWrapMode(WrapMode wrapMode);
  // Preset colours at positions from 0 (the boundary) to 1 (the centre), replacing the centre
  // and surround colours; positions start at 0, end at 1 and do not decrease.
  Status SetInterpolationColors(const Color* presetColors, const REAL* blendPositions, INT count);
  INT GetInterpolationColorCount() const { return static_cast<INT>(presetColors_.size()); }

  cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const override;

 private:
  void InitCenter();
  std::vector<Color> presetColors_;
  std::vector<REAL> presetPositions_;

  GraphicsPath path_;
  PointF center_;
  Color centerColor_;
  std::vector<Color> surround_;
};

// An image repeated (or not) over the plane; image pixel (0, 0) sits at the brush origin.
class TextureBrush : public TransformableBrush {
 public:
  explicit TextureBrush(Image* image, WrapMode wrapMode = WrapModeTile);
  TextureBrush(Image* image, WrapMode wrapMode, const RectF& dstRect);
  TextureBrush(Image* image, WrapMode wrapMode, REAL dstX, REAL dstY, REAL dstWidth, REAL dstHeight);
  TextureBrush(Image* image, WrapMode wrapMode, const Rect& dstRect);
  TextureBrush(Image* image, WrapMode wrapMode, INT dstX, INT dstY, INT dstWidth, INT dstHeight);
  TextureBrush(const TextureBrush& other);
  TextureBrush& operator=(const TextureBrush&) = delete;
  ~TextureBrush() override;
  Brush* Clone() const override;

  Status SetWrapMode(WrapMode wrapMode);

  cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const override;

 private:
  void Init(Image* image, const RectF* src);

  cairo_surface_t* tile_ = nullptr;  // the image part, premultiplied ARGB32
};

// Two colours in an 8 x 8 pattern repeated in device pixels (the world transform does not
// scale or turn it).
class HatchBrush : public Brush {
 public:
  HatchBrush(HatchStyle hatchStyle, const Color& foreColor, const Color& backColor = Color());
  Brush* Clone() const override;
  HatchStyle GetHatchStyle() const { return style_; }
  Status GetForegroundColor(Color* color) const;
  Status GetBackgroundColor(Color* color) const;

  cairo_pattern_t* LwCreatePattern(const cairo_matrix_t& worldToDevice) const override;

  // The 8 rows of a style, bit 7 being the leftmost pixel of a row.
  static const BYTE* LwPatternRows(HatchStyle style);

 private:
  HatchStyle style_;
  Color fore_, back_;
};

}  // namespace Gdiplus
