// Vector shapes: fill and stroke definitions, gradients, the shape base class and the custom
// path object made of Bezier sub-paths.
#pragma once

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "BitmapRes.h"
#include "RenderObj.h"

namespace Gdiplus {
class Brush;
class Pen;
}  // namespace Gdiplus

namespace Vectorloom {

// Paint kinds of a fill or stroke definition.
enum eRenderKind { RENDER_KIND_NONE = 0, RENDER_KIND_SOLID = 1, RENDER_KIND_GRADIENT = 2, RENDER_KIND_BITMAP = 3 };

// Dash types of a stroke (the dash styles of GDI+); custom dashes come from the shape's dash
// pattern.
enum eDashType { DASH_SOLID = 0, DASH_DASH = 1, DASH_DOT = 2, DASH_DASHDOT = 3, DASH_DASHDOTDOT = 4, DASH_CUSTOM = 5 };

// How a shape's inside is found where its outline crosses itself: even-odd (alternate) or
// nonzero winding.
enum eFillRule { FILL_RULE_EVEN_ODD = 0, FILL_RULE_NONZERO = 1 };

// Caps of a stroke's ends (the line caps of GDI+): anchors are shapes wider than the line.
enum eLineCap {
  LINE_CAP_FLAT = 0,
  LINE_CAP_SQUARE = 1,
  LINE_CAP_ROUND = 2,
  LINE_CAP_TRIANGLE = 3,
  LINE_CAP_SQUARE_ANCHOR = 0x11,
  LINE_CAP_ROUND_ANCHOR = 0x12,
  LINE_CAP_DIAMOND_ANCHOR = 0x13,
  LINE_CAP_ARROW_ANCHOR = 0x14,
};

// Caps of every dash of a dashed stroke.
enum eDashCap { DASH_CAP_FLAT = 0, DASH_CAP_ROUND = 2, DASH_CAP_TRIANGLE = 3 };

// Joins of a stroke's corners.
enum eLineJoin { LINE_JOIN_MITER = 0, LINE_JOIN_BEVEL = 1, LINE_JOIN_ROUND = 2, LINE_JOIN_MITER_CLIPPED = 3 };

// Gradient types: 0 linear (along the angle), 1 radial (from the centre of the box outwards).
enum eGradientType { GRADIENT_LINEAR = 0, GRADIENT_RADIAL = 1 };

// Positions of colour stops run from 0 to this value (the far end).
constexpr int kGradientPositionMax = 4096;

// A gradient: its type, its angle (degrees, clockwise, for linear gradients) and its colour
// stops ordered by position.
class CLocalGradientColorsDefine {
 public:
  struct ColorStop {
    RGBQUAD color;  // blue, green, red, alpha (rgbReserved)
    int position;   // 0 to 4096
  };

  int GetGradientType() const { return m_nType; }
  void SetGradientType(int type) { m_nType = type; }
  float GetAngle() const { return m_fAngle; }
  void SetAngle(float degrees) { m_fAngle = degrees; }

  // Adds a stop (position clamped to 0..4096, alpha to 0..255) after the stops at the same or a
  // lower position.
  void AddColorStop(COLORREF color, int alpha, int position);
  int GetColorStopsCount() const { return static_cast<int>(m_stops.size()); }
  // False when index is out of range (the outputs are then left alone).
  bool GetColorStop(int index, RGBQUAD& color, int& position) const;
  void RemoveAllColorStops() { m_stops.clear(); }
  const std::vector<ColorStop>& GetColorStops() const { return m_stops; }

  bool operator==(const CLocalGradientColorsDefine& o) const;
  bool operator!=(const CLocalGradientColorsDefine& o) const { return !(*this == o); }

 private:
  int m_nType = GRADIENT_LINEAR;
  float m_fAngle = 0;
  std::vector<ColorStop> m_stops;
};

// How a fill or a stroke is painted: a kind (none, solid colour, gradient, picture), a colour
// (Windows RGB value), a transparency (0 opaque to 255 invisible), a gradient and a picture.
// The definition holds one reference to its picture.
class CRenderVectorShapeDef {
 public:
  CRenderVectorShapeDef() = default;
  CRenderVectorShapeDef(const CRenderVectorShapeDef& other);
  CRenderVectorShapeDef& operator=(const CRenderVectorShapeDef& other);
  ~CRenderVectorShapeDef();

  int GetRenderKind() const { return m_nKind; }
  void SetRenderKind(int kind) { m_nKind = kind; }
  COLORREF GetRenderColor() const { return m_crColor; }
  void SetRenderColor(COLORREF color) { m_crColor = color; }
  int GetTransparency() const { return m_nTransparency; }
  // Clamped to 0..255.
  void SetTransparency(int t);

  const CLocalGradientColorsDefine& GetGradientDefinition() const { return m_gradient; }
  CLocalGradientColorsDefine& GetGradientDefinition() { return m_gradient; }
  void SetGradientDefiniton(const CLocalGradientColorsDefine& gradient) { m_gradient = gradient; }

  CBitmapResObj* GetRenderBitmap() const { return m_pBitmap; }
  // Takes a reference to the new picture and releases the old one.
  void SetRenderBitmap(CBitmapResObj* pBitmap);

 private:
  int m_nKind = RENDER_KIND_SOLID;
  COLORREF m_crColor = 0;
  int m_nTransparency = 0;
  CLocalGradientColorsDefine m_gradient;
  CBitmapResObj* m_pBitmap = nullptr;
};

// The base of every shape: fill and stroke switches and definitions, stroke width and dash type,
// and the path storage built from the shape's base path (CreateBasePathStorage, in the object's
// own coordinates).
class CBaseShapeObj : public CRenderBaseObj {
 public:
  explicit CBaseShapeObj(uint32_t typeWord = RENDER_OBJ_SHAPE);
  CBaseShapeObj(const CBaseShapeObj& other);
  CBaseShapeObj& operator=(const CBaseShapeObj& other);
  ~CBaseShapeObj() override;

  CRenderBaseObj* Clone() const override;
  void Draw(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) override;
  CQorVectorRect<float> CalcuBoundRect() const override;
  CQorVectorRect<float> GetObjectBox() const override;
  bool HitTest(const CQorVectorPoint<float>& pt, float tolerance) const override;
  void CreatePathStorage() override;
  void CollectExternalBmpResObjs(CBitmapResObjsList& list) const override;
  void AssignExternalBmpRes(const CBitmapResObjsList& list) override;
  void AssignExternalBmpRes2(const CBitmapResObjsList& list) override;
  CQorVectorRect<float> CalcuShadowBoundRect(const CQorVectorRect<float>* pBounds = nullptr) const override;
  int Save(CFile& file, const CString& version) override;
  int Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps, const CString& version) override;
  // The shape's outline in its own coordinates.
  virtual void CreateBasePathStorage(Gdiplus::GraphicsPath& path) const;

  // The base path (CreateBasePathStorage) with the shape's fill rule.
  void BuildBasePath(Gdiplus::GraphicsPath& path) const;
  // The base path with the fill rule for drawing, hit tests and bounds: the cached one for
  // shapes that cache it (CachesBasePath), else built into scratch.
  const Gdiplus::GraphicsPath& BasePath(Gdiplus::GraphicsPath& scratch) const;
  // Forgets the cached base path; the next use builds it again. CreatePathStorage calls it, and
  // so does every method of a shape that changes its geometry.
  void InvalidateBasePath() { m_bBasePathValid = false; }
  // Rebuilds the stroke outline after a change of stroke width, dash or stroke flag.
  void CreateStrokenPathStorage();
  // Bounds of the base path, after the matrix when one is given.
  CQorVectorRect<float> GetPathBoundRect(const CQorTransMatrix* pMatrix = nullptr) const;
  // The path storage: the base path on the page (after the matrix); empty before
  // CreatePathStorage.
  const Gdiplus::GraphicsPath* GetPathStorage() const { return m_pPathStorage.get(); }
  // Bounds of the stroke outline on the page (empty without a stroke).
  CQorVectorRect<float> GetStrokenBoundRect() const { return m_rcStroken; }

  // Switches and definitions.
  int GetFillInsideFlag() const { return m_bFillInside; }
  void SetFillInsideFlag(int on) { m_bFillInside = on ? 1 : 0; }
  int GetStrokeOutlineFlag() const { return m_bStrokeOutline; }
  void SetStrokeOutlineFlag(int on) { m_bStrokeOutline = on ? 1 : 0; }
  CRenderVectorShapeDef& GetFillDefinition() { return m_fillDef; }
  const CRenderVectorShapeDef& GetFillDefinition() const { return m_fillDef; }
  CRenderVectorShapeDef& GetStrokeDefinition() { return m_strokeDef; }
  const CRenderVectorShapeDef& GetStrokeDefinition() const { return m_strokeDef; }
  // Filled: the switch is on and the fill has a kind; stroked likewise.
  bool IsFilled() const { return m_bFillInside && m_fillDef.GetRenderKind() != RENDER_KIND_NONE; }
  bool IsStroked() const { return m_bStrokeOutline && m_strokeDef.GetRenderKind() != RENDER_KIND_NONE; }

  // Shorthands on the definitions.
  int GetFillKind() const { return m_fillDef.GetRenderKind(); }
  void SetFillKind(int kind) { m_fillDef.SetRenderKind(kind); }
  int GetStrokeKind() const { return m_strokeDef.GetRenderKind(); }
  void SetStrokeKind(int kind) { m_strokeDef.SetRenderKind(kind); }
  COLORREF GetFillColor() const { return m_fillDef.GetRenderColor(); }
  void SetFillColor(COLORREF c) { m_fillDef.SetRenderColor(c); }
  COLORREF GetStrokeColor() const { return m_strokeDef.GetRenderColor(); }
  void SetStrokeColor(COLORREF c) { m_strokeDef.SetRenderColor(c); }
  int GetFilledTransparency() const { return m_fillDef.GetTransparency(); }
  void SetFilledTransparency(int t) { m_fillDef.SetTransparency(t); }
  int GetStrokeTransparency() const { return m_strokeDef.GetTransparency(); }
  void SetStrokeTransparency(int t) { m_strokeDef.SetTransparency(t); }

  float GetStrokeWidth() const { return m_fStrokeWidth; }
  // Negative widths become 0.
  void SetStrokeWidth(float width) { m_fStrokeWidth = width < 0 ? 0 : width; }
  int GetDashType() const { return m_nDashType; }
  void SetDashType(int dash) { m_nDashType = dash; }
  // Custom dashes, in stroke widths, alternately on and off; every length finite and above 0
  // (false and no change otherwise). A pattern makes the dash type DASH_CUSTOM; an empty one
  // makes the line solid.
  bool SetDashPattern(const std::vector<float>& dashes);
  const std::vector<float>& GetDashPattern() const { return m_dashPattern; }
  // Where the dashes start, in stroke widths along the line (finite values only).
  float GetDashOffset() const { return m_fDashOffset; }
  void SetDashOffset(float offset) { m_fDashOffset = std::isfinite(offset) ? offset : 0; }

  int GetFillRule() const { return m_nFillRule; }
  void SetFillRule(int rule) { m_nFillRule = rule == FILL_RULE_NONZERO ? FILL_RULE_NONZERO : FILL_RULE_EVEN_ODD; }
  // Caps and join (eLineCap, eDashCap, eLineJoin); a value outside the enumeration becomes flat
  // or miter.
  int GetStartCap() const { return m_nStartCap; }
  void SetStartCap(int cap) { m_nStartCap = IsLineCap(cap) ? cap : LINE_CAP_FLAT; }
  int GetEndCap() const { return m_nEndCap; }
  void SetEndCap(int cap) { m_nEndCap = IsLineCap(cap) ? cap : LINE_CAP_FLAT; }
  int GetDashCap() const { return m_nDashCap; }
  void SetDashCap(int cap) { m_nDashCap = IsDashCap(cap) ? cap : DASH_CAP_FLAT; }
  int GetLineJoin() const { return m_nLineJoin; }
  void SetLineJoin(int join) { m_nLineJoin = join >= LINE_JOIN_MITER && join <= LINE_JOIN_MITER_CLIPPED ? join : LINE_JOIN_MITER; }
  // Longest miter, in stroke widths, before a miter join is bevelled; at least 1.
  float GetMiterLimit() const { return m_fMiterLimit; }
  void SetMiterLimit(float limit) { m_fMiterLimit = limit >= 1 ? std::min(limit, 1e6f) : 1; }

  static bool IsLineCap(int cap) {
    return (cap >= LINE_CAP_FLAT && cap <= LINE_CAP_TRIANGLE) || (cap >= LINE_CAP_SQUARE_ANCHOR && cap <= LINE_CAP_ARROW_ANCHOR);
  }
  static bool IsDashCap(int cap) { return cap == DASH_CAP_FLAT || cap == DASH_CAP_ROUND || cap == DASH_CAP_TRIANGLE; }

  void Copy(const CBaseShapeObj& other) { *this = other; }

  // Brush and pen of the shape for drawing its base path with the given world matrix (object to
  // device); null when the shape has no fill or no stroke, or the fill cannot be made.
  std::unique_ptr<Gdiplus::Brush> CreateFillBrush(const Gdiplus::GraphicsPath& basePath) const;
  std::unique_ptr<Gdiplus::Pen> CreateStrokePen(const Gdiplus::GraphicsPath& basePath) const;

 protected:
  // Writes and reads the shape part (after the base record).
  void SaveShapePart(CFile& file);
  bool LoadShapePart(CFile& file, CBitmapResObjsList& bitmaps);
  void DrawBasePath(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix, const Gdiplus::GraphicsPath& basePath);

  int m_bFillInside = 1;
  int m_bStrokeOutline = 1;
  CRenderVectorShapeDef m_fillDef;
  CRenderVectorShapeDef m_strokeDef;
  float m_fStrokeWidth = 1;
  int m_nDashType = DASH_SOLID;
  std::vector<float> m_dashPattern;
  float m_fDashOffset = 0;
  int m_nFillRule = FILL_RULE_EVEN_ODD;
  int m_nStartCap = LINE_CAP_FLAT;
  int m_nEndCap = LINE_CAP_FLAT;
  int m_nDashCap = DASH_CAP_FLAT;
  int m_nLineJoin = LINE_JOIN_MITER;
  float m_fMiterLimit = 10;

  std::unique_ptr<Gdiplus::GraphicsPath> m_pPathStorage;
  CQorVectorRect<float> m_rcStroken;

  // Whether BasePath keeps the path between calls: true for classes whose geometry changes only
  // through their own methods (which invalidate it) or is followed by CreatePathStorage.
  virtual bool CachesBasePath() const { return false; }

 private:
  mutable std::unique_ptr<Gdiplus::GraphicsPath> m_pBasePath;
  mutable bool m_bBasePathValid = false;
};

// One node of a Bezier sub-path: the point, its outgoing and incoming control points and
// whether each control is used.
struct CQorVectorEdgeNode {
  CQorVectorPoint<float> pt;
  CQorVectorPoint<float> ptOut;
  CQorVectorPoint<float> ptIn;
  BYTE bHasOut = 0;
  BYTE bHasIn = 0;

  CQorVectorEdgeNode() = default;
  explicit CQorVectorEdgeNode(const CQorVectorPoint<float>& p) : pt(p), ptOut(p), ptIn(p) {}
  CQorVectorEdgeNode(float x, float y) : CQorVectorEdgeNode(CQorVectorPoint<float>(x, y)) {}
  bool operator==(const CQorVectorEdgeNode& o) const {
    return pt == o.pt && ptOut == o.ptOut && ptIn == o.ptIn && bHasOut == o.bHasOut && bHasIn == o.bHasIn;
  }
};

// A sub-path: its nodes and whether it is closed. A rectangular sub-path is four plain corner
// nodes, closed, made by SetRectangle.
class CBaseCustomPath {
 public:
  CBaseCustomPath() = default;
  explicit CBaseCustomPath(const CQorVectorRect<float>& rect) { SetRectangle(rect); }

  int GetNodesCount() const { return static_cast<int>(m_nodes.size()); }
  const CQorVectorEdgeNode& GetNode(int i) const { return m_nodes[static_cast<size_t>(i)]; }
  CQorVectorEdgeNode& GetNode(int i) { return m_nodes[static_cast<size_t>(i)]; }
  const std::vector<CQorVectorEdgeNode>& GetNodes() const { return m_nodes; }
  void AddNode(const CQorVectorEdgeNode& node) {
    m_nodes.push_back(node);
    m_bRectangle = false;
  }
  void RemoveAllNodes() {
    m_nodes.clear();
    m_bRectangle = false;
  }

  bool IsClosed() const { return m_bClosed; }
  void SetClosed(bool closed) {
    m_bClosed = closed;
    if (!closed) m_bRectangle = false;
  }

  // Makes the sub-path the rectangle (left, top, right, bottom corners in this order).
  void SetRectangle(const CQorVectorRect<float>& rect);
  // True for a rectangular sub-path, with its two corners.
  bool IsRectangularPath(CQorVectorRect<float>* pRect = nullptr) const;
  bool IsRectangle() const { return m_bRectangle; }

  // Moves every point.
  void Offset(float dx, float dy);
  void Scale(float sx, float sy);
  // Appends the sub-path as a figure.
  void AddToPath(Gdiplus::GraphicsPath& path) const;

  bool operator==(const CBaseCustomPath& o) const {
    return m_bClosed == o.m_bClosed && m_bRectangle == o.m_bRectangle && m_nodes == o.m_nodes;
  }

 private:
  friend class CCustomPathObj;
  std::vector<CQorVectorEdgeNode> m_nodes;
  bool m_bClosed = false;
  bool m_bRectangle = false;
};

// A shape made of sub-paths.
class CCustomPathObj : public CBaseShapeObj {
 public:
  CCustomPathObj() : CBaseShapeObj(RENDER_OBJ_SHAPE) {}
  CCustomPathObj(const CCustomPathObj& other) = default;
  CCustomPathObj& operator=(const CCustomPathObj& other) = default;

  CRenderBaseObj* Clone() const override;
  int Save(CFile& file, const CString& version) override;
  int Load(CFile& file, const CResourceModule* pModule, CBitmapResObjsList& bitmaps, const CString& version) override;
  void ResizeObject(const CQorVectorRect<float>& rect) override;
  void ScaleLengthParam(const float& sx, const float& sy) override;
  void CreateBasePathStorage(Gdiplus::GraphicsPath& path) const override;

  int GetSubPathsCount() const { return static_cast<int>(m_paths.size()); }
  const CBaseCustomPath& GetSubPath(int i) const { return m_paths[static_cast<size_t>(i)]; }
  // A sub-path to change: the cached path is forgotten now, and changes made through the
  // reference after the shape was drawn again need CreatePathStorage.
  CBaseCustomPath& GetSubPath(int i) {
    InvalidateBasePath();
    return m_paths[static_cast<size_t>(i)];
  }
  const std::vector<CBaseCustomPath>& GetSubPaths() const { return m_paths; }
  void AddSubPath(const CBaseCustomPath& path) {
    m_paths.push_back(path);
    InvalidateBasePath();
  }
  void AddRectanglePath(const CQorVectorRect<float>& rect) {
    m_paths.emplace_back(rect);
    InvalidateBasePath();
  }
  void RemoveAllSubPaths() {
    m_paths.clear();
    InvalidateBasePath();
  }

  // Whether some sub-path is closed (only closed sub-paths are filled by the exporters).
  bool IsIncludeClosedPath() const;
  // Bounds of every node and used control point on the page (after the matrix).
  CQorVectorRect<float> CalcuCoordBoundRect() const;
  // Moves the nodes so that their bounds start at (0, 0) and moves the matrix the other way, so
  // the shape stays where it is on the page; returns the offset taken out of the nodes.
  CQorVectorPoint<float> NormalizePath();

  void Copy(const CCustomPathObj& other) { *this = other; }

 protected:
  bool CachesBasePath() const override { return true; }

 private:
  std::vector<CBaseCustomPath> m_paths;
};

}  // namespace Vectorloom
