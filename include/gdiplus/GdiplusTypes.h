// Basic value types and enumerations of the GDI+ layer (namespace Gdiplus), drawn with cairo.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cmath>

namespace Gdiplus {

typedef float REAL;
typedef DWORD ARGB;
typedef INT PixelFormat;
typedef UINT GraphicsState;
typedef UINT GraphicsContainer;

enum Status {
  Ok = 0,
  GenericError = 1,
  InvalidParameter = 2,
  OutOfMemory = 3,
  ObjectBusy = 4,
  InsufficientBuffer = 5,
  NotImplemented = 6,
  Win32Error = 7,
  WrongState = 8,
  Aborted = 9,
  FileNotFound = 10,
  ValueOverflow = 11,
  AccessDenied = 12,
  UnknownImageFormat = 13,
  FontFamilyNotFound = 14,
  FontStyleNotFound = 15,
  NotTrueTypeFont = 16,
  UnsupportedGdiplusVersion = 17,
  GdiplusNotInitialized = 18,
  PropertyNotFound = 19,
  PropertyNotSupported = 20,
};
typedef Status GpStatus;

enum Unit { UnitWorld, UnitDisplay, UnitPixel, UnitPoint, UnitInch, UnitDocument, UnitMillimeter };
enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };
enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };
enum QualityMode { QualityModeInvalid = -1, QualityModeDefault = 0, QualityModeLow = 1, QualityModeHigh = 2 };
enum SmoothingMode {
  SmoothingModeInvalid = QualityModeInvalid,
  SmoothingModeDefault = QualityModeDefault,
  SmoothingModeHighSpeed = QualityModeLow,
  SmoothingModeHighQuality = QualityModeHigh,
  SmoothingModeNone,
  SmoothingModeAntiAlias,
  SmoothingModeAntiAlias8x4 = SmoothingModeAntiAlias,
  SmoothingModeAntiAlias8x8,
};
enum InterpolationMode {
  InterpolationModeInvalid = QualityModeInvalid,
  InterpolationModeDefault = QualityModeDefault,
  InterpolationModeLowQuality = QualityModeLow,
  InterpolationModeHighQuality = QualityModeHigh,
  InterpolationModeBilinear,
  InterpolationModeBicubic,
  InterpolationModeNearestNeighbor,
  InterpolationModeHighQualityBilinear,
  InterpolationModeHighQualityBicubic,
};
enum PixelOffsetMode {
  PixelOffsetModeInvalid = QualityModeInvalid,
  PixelOffsetModeDefault = QualityModeDefault,
  PixelOffsetModeHighSpeed = QualityModeLow,
  PixelOffsetModeHighQuality = QualityModeHigh,
  PixelOffsetModeNone,
  PixelOffsetModeHalf,
};
enum CompositingMode { CompositingModeSourceOver, CompositingModeSourceCopy };
enum CompositingQuality {
  CompositingQualityInvalid = QualityModeInvalid,
  CompositingQualityDefault = QualityModeDefault,
  CompositingQualityHighSpeed = QualityModeLow,
  CompositingQualityHighQuality = QualityModeHigh,
  CompositingQualityGammaCorrected,
  CompositingQualityAssumeLinear,
};
enum TextRenderingHint {
  TextRenderingHintSystemDefault = 0,
  TextRenderingHintSingleBitPerPixelGridFit,
  TextRenderingHintSingleBitPerPixel,
  TextRenderingHintAntiAliasGridFit,
  TextRenderingHintAntiAlias,
  TextRenderingHintClearTypeGridFit,
};
enum WrapMode { WrapModeTile, WrapModeTileFlipX, WrapModeTileFlipY, WrapModeTileFlipXY, WrapModeClamp };
enum LinearGradientMode {
  LinearGradientModeHorizontal,
  LinearGradientModeVertical,
  LinearGradientModeForwardDiagonal,
  LinearGradientModeBackwardDiagonal,
};
enum DashStyle { DashStyleSolid, DashStyleDash, DashStyleDot, DashStyleDashDot, DashStyleDashDotDot, DashStyleCustom };
enum DashCap { DashCapFlat = 0, DashCapRound = 2, DashCapTriangle = 3 };
enum LineCap {
  LineCapFlat = 0,
  LineCapSquare = 1,
  LineCapRound = 2,
  LineCapTriangle = 3,
  LineCapNoAnchor = 0x10,
  LineCapSquareAnchor = 0x11,
  LineCapRoundAnchor = 0x12,
  LineCapDiamondAnchor = 0x13,
  LineCapArrowAnchor = 0x14,
  LineCapCustom = 0xff,
};
enum LineJoin { LineJoinMiter = 0, LineJoinBevel = 1, LineJoinRound = 2, LineJoinMiterClipped = 3 };
enum PenAlignment { PenAlignmentCenter = 0, PenAlignmentInset = 1 };
enum PenType { PenTypeSolidColor, PenTypeHatchFill, PenTypeTextureFill, PenTypePathGradient, PenTypeLinearGradient };
enum BrushType { BrushTypeSolidColor, BrushTypeHatchFill, BrushTypeTextureFill, BrushTypePathGradient, BrushTypeLinearGradient };
enum CombineMode { CombineModeReplace, CombineModeIntersect, CombineModeUnion, CombineModeXor, CombineModeExclude, CombineModeComplement };
enum FlushIntention { FlushIntentionFlush = 0, FlushIntentionSync = 1 };
enum PathPointType {
  PathPointTypeStart = 0,
  PathPointTypeLine = 1,
  PathPointTypeBezier = 3,
  PathPointTypePathTypeMask = 0x07,
  PathPointTypeDashMode = 0x10,
  PathPointTypePathMarker = 0x20,
  PathPointTypeCloseSubpath = 0x80,
  PathPointTypeBezier3 = 3,
};
enum HatchStyle {
  HatchStyleHorizontal, HatchStyleVertical, HatchStyleForwardDiagonal, HatchStyleBackwardDiagonal, HatchStyleCross,
  HatchStyleDiagonalCross, HatchStyle05Percent, HatchStyle10Percent, HatchStyle20Percent, HatchStyle25Percent,
  HatchStyle30Percent, HatchStyle40Percent, HatchStyle50Percent, HatchStyle60Percent, HatchStyle70Percent,
  HatchStyle75Percent, HatchStyle80Percent, HatchStyle90Percent, HatchStyleLightDownwardDiagonal,
  HatchStyleLightUpwardDiagonal, HatchStyleDarkDownwardDiagonal, HatchStyleDarkUpwardDiagonal,
  HatchStyleWideDownwardDiagonal, HatchStyleWideUpwardDiagonal, HatchStyleLightVertical, HatchStyleLightHorizontal,
  HatchStyleNarrowVertical, HatchStyleNarrowHorizontal, HatchStyleDarkVertical, HatchStyleDarkHorizontal,
  HatchStyleDashedDownwardDiagonal, HatchStyleDashedUpwardDiagonal, HatchStyleDashedHorizontal,
  HatchStyleDashedVertical, HatchStyleSmallConfetti, HatchStyleLargeConfetti, HatchStyleZigZag, HatchStyleWave,
  HatchStyleDiagonalBrick, HatchStyleHorizontalBrick, HatchStyleWeave, HatchStylePlaid, HatchStyleDivot,
  HatchStyleDottedGrid, HatchStyleDottedDiamond, HatchStyleShingle, HatchStyleTrellis, HatchStyleSphere,
  HatchStyleSmallGrid, HatchStyleSmallCheckerBoard, HatchStyleLargeCheckerBoard, HatchStyleOutlinedDiamond,
  HatchStyleSolidDiamond,
  HatchStyleTotal,
  HatchStyleLargeGrid = HatchStyleCross,
  HatchStyleMin = HatchStyleHorizontal,
  HatchStyleMax = HatchStyleTotal - 1,
};

// Pixel formats: index in the low byte, bits per pixel in the second byte, flags above.
enum : PixelFormat {
  PixelFormatIndexed = 0x00010000,
  PixelFormatGDI = 0x00020000,
  PixelFormatAlpha = 0x00040000,
  PixelFormatPAlpha = 0x00080000,
  PixelFormatExtended = 0x00100000,
  PixelFormatCanonical = 0x00200000,
  PixelFormatUndefined = 0,
  PixelFormatDontCare = 0,
  PixelFormat1bppIndexed = 0x00030101,
  PixelFormat4bppIndexed = 0x00030402,
  PixelFormat8bppIndexed = 0x00030803,
  PixelFormat16bppGrayScale = 0x00101004,
  PixelFormat16bppRGB555 = 0x00021005,
  PixelFormat16bppRGB565 = 0x00021006,
  PixelFormat16bppARGB1555 = 0x00061007,
  PixelFormat24bppRGB = 0x00021808,
  PixelFormat32bppRGB = 0x00022009,
  PixelFormat32bppARGB = 0x0026200A,
  PixelFormat32bppPARGB = 0x000E200B,
};
inline UINT GetPixelFormatSize(PixelFormat f) { return (static_cast<UINT>(f) >> 8) & 0xff; }
inline BOOL IsIndexedPixelFormat(PixelFormat f) { return (f & PixelFormatIndexed) != 0; }
inline BOOL IsAlphaPixelFormat(PixelFormat f) { return (f & PixelFormatAlpha) != 0; }

class SizeF {
 public:
  SizeF() : Width(0), Height(0) {}
  SizeF(REAL w, REAL h) : Width(w), Height(h) {}
  REAL Width, Height;
};

class Size {
 public:
  Size() : Width(0), Height(0) {}
  Size(INT w, INT h) : Width(w), Height(h) {}
  INT Width, Height;
};

class PointF {
 public:
  PointF() : X(0), Y(0) {}
  PointF(REAL x, REAL y) : X(x), Y(y) {}
  PointF operator+(const PointF& o) const { return PointF(X + o.X, Y + o.Y); }
  PointF operator-(const PointF& o) const { return PointF(X - o.X, Y - o.Y); }
  BOOL Equals(const PointF& o) const { return X == o.X && Y == o.Y; }
  REAL X, Y;
};

class Point {
 public:
  Point() : X(0), Y(0) {}
  Point(INT x, INT y) : X(x), Y(y) {}
  Point operator+(const Point& o) const { return Point(X + o.X, Y + o.Y); }
  Point operator-(const Point& o) const { return Point(X - o.X, Y - o.Y); }
  BOOL Equals(const Point& o) const { return X == o.X && Y == o.Y; }
  INT X, Y;
};

// Rectangles keep their left/top and width/height; right and bottom are exclusive.
template <typename T, typename PointT, typename SizeT, typename Self>
class RectBase {
 public:
  RectBase() : X(0), Y(0), Width(0), Height(0) {}
  RectBase(T x, T y, T w, T h) : X(x), Y(y), Width(w), Height(h) {}
  RectBase(const PointT& p, const SizeT& s) : X(p.X), Y(p.Y), Width(s.Width), Height(s.Height) {}
  T GetLeft() const { return X; }
  T GetTop() const { return Y; }
  T GetRight() const { return X + Width; }
  T GetBottom() const { return Y + Height; }
  void GetLocation(PointT* p) const { *p = PointT(X, Y); }
  void GetSize(SizeT* s) const { *s = SizeT(Width, Height); }
  void GetBounds(Self* r) const { *r = Self(X, Y, Width, Height); }
  BOOL IsEmptyArea() const { return Width <= 0 || Height <= 0; }
  BOOL Equals(const Self& r) const { return X == r.X && Y == r.Y && Width == r.Width && Height == r.Height; }
  BOOL Contains(T x, T y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
  BOOL Contains(const PointT& p) const { return Contains(p.X, p.Y); }
  BOOL Contains(const Self& r) const {
    return X <= r.X && r.GetRight() <= GetRight() && Y <= r.Y && r.GetBottom() <= GetBottom();
  }
  void Inflate(T dx, T dy) {
    X -= dx;
    Y -= dy;
    Width += 2 * dx;
    Height += 2 * dy;
  }
  void Inflate(const PointT& p) { Inflate(p.X, p.Y); }
  void Offset(T dx, T dy) {
    X += dx;
    Y += dy;
  }
  void Offset(const PointT& p) { Offset(p.X, p.Y); }
  BOOL IntersectsWith(const Self& r) const {
    return GetLeft() < r.GetRight() && GetTop() < r.GetBottom() && GetRight() > r.GetLeft() &&
           GetBottom() > r.GetTop();
  }
  BOOL Intersect(const Self& r) { return Intersect(*static_cast<Self*>(this), *static_cast<Self*>(this), r); }
  static BOOL Intersect(Self& c, const Self& a, const Self& b) {
    const T right = std::min(a.GetRight(), b.GetRight());
    const T bottom = std::min(a.GetBottom(), b.GetBottom());
    const T left = std::max(a.GetLeft(), b.GetLeft());
    const T top = std::max(a.GetTop(), b.GetTop());
    c.X = left;
    c.Y = top;
    c.Width = right - left;
    c.Height = bottom - top;
    return !c.IsEmptyArea();
  }
  static BOOL Union(Self& c, const Self& a, const Self& b) {
    const T right = std::max(a.GetRight(), b.GetRight());
    const T bottom = std::max(a.GetBottom(), b.GetBottom());
    const T left = std::min(a.GetLeft(), b.GetLeft());
    const T top = std::min(a.GetTop(), b.GetTop());
    c.X = left;
    c.Y = top;
    c.Width = right - left;
    c.Height = bottom - top;
    return !c.IsEmptyArea();
  }
  T X, Y, Width, Height;
};

class RectF : public RectBase<REAL, PointF, SizeF, RectF> {
 public:
  using RectBase::RectBase;
  RectF* Clone() const { return new RectF(X, Y, Width, Height); }
};

class Rect : public RectBase<INT, Point, Size, Rect> {
 public:
  using RectBase::RectBase;
  Rect* Clone() const { return new Rect(X, Y, Width, Height); }
};

// A colour as 0xAARRGGBB (not premultiplied).
class Color {
 public:
  Color() : Argb(0xFF000000) {}
  Color(BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : Argb(MakeARGB(a, r, g, b)) {}
  Color(ARGB argb) : Argb(argb) {}
  BYTE GetAlpha() const { return static_cast<BYTE>(Argb >> AlphaShift); }
  BYTE GetA() const { return GetAlpha(); }
  BYTE GetRed() const { return static_cast<BYTE>(Argb >> RedShift); }
  BYTE GetR() const { return GetRed(); }
  BYTE GetGreen() const { return static_cast<BYTE>(Argb >> GreenShift); }
  BYTE GetG() const { return GetGreen(); }
  BYTE GetBlue() const { return static_cast<BYTE>(Argb >> BlueShift); }
  BYTE GetB() const { return GetBlue(); }
  ARGB GetValue() const { return Argb; }
  void SetValue(ARGB argb) { Argb = argb; }
  void SetFromCOLORREF(COLORREF rgb) { Argb = MakeARGB(255, GetRValue(rgb), GetGValue(rgb), GetBValue(rgb)); }
  COLORREF ToCOLORREF() const { return RGB(GetRed(), GetGreen(), GetBlue()); }
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (static_cast<ARGB>(b) << BlueShift) | (static_cast<ARGB>(g) << GreenShift) |
           (static_cast<ARGB>(r) << RedShift) | (static_cast<ARGB>(a) << AlphaShift);
  }
  enum { AlphaShift = 24, RedShift = 16, GreenShift = 8, BlueShift = 0 };
  enum : ARGB {
    Black = 0xFF000000,
    White = 0xFFFFFFFF,
    Red = 0xFFFF0000,
    Green = 0xFF008000,
    Lime = 0xFF00FF00,
    Blue = 0xFF0000FF,
    Yellow = 0xFFFFFF00,
    Gray = 0xFF808080,
    Transparent = 0x00FFFFFF,
  };

 protected:
  ARGB Argb;
};

}  // namespace Gdiplus
