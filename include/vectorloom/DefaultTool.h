// Mouse and keyboard tools of the workspace view. A tool receives the view's mouse and key
// events (points in client pixels) and returns nonzero when it handled them. The view keeps one
// current tool; when none is set the selection tool acts. The tools exist once per process, as
// statics of CWorkspaceView (g_SelectTool, g_DrawRectangleTool, ...).
#pragma once

#include <afxwin.h>

#include <vector>

#include "RenderObj.h"
#include "ShapeObj.h"
#include "VectorTypes.h"

namespace Gdiplus {
class Graphics;
}

namespace Vectorloom {

class CWorkspaceView;
class CRenderBaseObj;
class CCustomPathObj;

// Bits of CDefaultTool::m_dwMask, shared by every tool of the process.
enum eToolMask : DWORD {
  // The current tool has something to show over the page (a rubber band, a shape being drawn, a
  // caret): the view's paint calls its DrawOutline. A tool that drags with the mouse captured
  // sets it for the drag.
  TOOL_MASK_OUTLINE = 0x1,
  // A press of the left button started a drag that the tool follows (set on button down, cleared
  // on button up; a tool that takes the capture without a press clears it).
  TOOL_MASK_DRAGGING = 0x4,
};

class CDefaultTool {
 public:
  CDefaultTool() = default;
  virtual ~CDefaultTool() = default;
  CDefaultTool(const CDefaultTool&) = delete;
  CDefaultTool& operator=(const CDefaultTool&) = delete;

  // Mouse events: nFlags are the MK_ flags, (x, y) the point in client pixels.
  virtual int OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y);
  virtual int OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y);
  virtual int OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y);
  virtual int OnLButtonDblClk(CWorkspaceView* pView, UINT nFlags, int x, int y);
  virtual int OnRButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y);
  virtual int OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual int OnChar(CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags);
  virtual int OnTimer(CWorkspaceView* pView, UINT_PTR nIDEvent);
  // The cursor over a client point (null: the view's default arrow). The selection tool: a
  // resize arrow along a handle's direction (turned with the object), a hand on the rotation grip,
  // the four-way arrow on a selected object; drawing and anchor tools the cross; text tools the
  // I-beam over a text.
  virtual HCURSOR GetHandleCursor(CWorkspaceView* pView, int x, int y);
  // Draws what the tool shows over the page: (sx, sy) the view's scale, (x, y) where the page's
  // origin lies on the graphics (page coordinates p land at p * s + (x, y)).
  virtual void DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y);
  // The view leaves this tool for another, or takes it up.
  virtual void ToolUnInitalize(CWorkspaceView* pView);
  virtual void ToolInitalize(CWorkspaceView* pView);

  // Shared by every tool: where the current drag started and where it is now (logical view
  // coordinates, see COriginalView::DpToLp), and the mask bits (eToolMask).
  static CQorVectorPoint<float> m_ptFirstPoint;
  static CQorVectorPoint<float> m_ptLastPoint;
  static DWORD m_dwMask;
};

// The default tool: click to select (Shift or Ctrl adds or removes), drag on empty page for a
// rubber band, drag a selected object to move the selection (snapped to whole pixels), drag a
// handle to resize (Shift keeps the proportions), drag the rotation grip to rotate; arrow keys
// nudge the selection by a pixel (ten with Shift), Escape deselects.
// The resize cursor of handle code `handle` (eHandleCode, not the grip) of obj: the handle's
// direction from the object's middle, along the object's own axes as it is turned or mirrored on
// the page, rounded to the nearest of the four resize arrows.
HCURSOR ResizeCursorOf(const CRenderBaseObj& obj, int handle);
// What the selection tool shows over a client point when no drag is open: the resize cursor of a
// selected object's handle, a hand on a rotation grip, the four-way arrow on a selected object,
// and null (the arrow) elsewhere.
HCURSOR SelectionCursorAt(CWorkspaceView* pView, int x, int y);

class CSelectTool : public CDefaultTool {
 public:
  // What a drag does.
  enum eDragMode { DRAG_NONE, DRAG_RUBBER_BAND, DRAG_MOVE, DRAG_RESIZE, DRAG_ROTATE };

  int OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags) override;
  HCURSOR GetHandleCursor(CWorkspaceView* pView, int x, int y) override;
  void DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) override;
  void ToolUnInitalize(CWorkspaceView* pView) override;

  eDragMode GetDragMode() const { return m_mode; }

 private:
  // Puts the dragged objects back as they were when the drag began.
  void RestoreStart();
  void ApplyDrag(CWorkspaceView* pView, UINT nFlags);
  void Commit(CWorkspaceView* pView);
  void Reset();

  eDragMode m_mode = DRAG_NONE;
  int m_nHandle = -1;
  bool m_bChanged = false;
  bool m_bLockedReported = false;
  // The dragged objects (one reference each) with their matrices when the drag began.
  CRenderBaseObjectList m_objects;
  std::vector<CQorTransMatrix> m_startMatrices;
  CQorVectorRect<float> m_rcStart;   // bounds of the dragged objects when the drag began (page)
  CQorVectorRect<float> m_boxStart;  // the resized object's own box when the drag began
  CQorVectorPoint<float> m_ptCentre;  // the centre of a rotation (page)
};

// The drawing tools that drag out a shape between two corners.
class CDrawShapeTool : public CDefaultTool {
 public:
  int OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags) override;
  HCURSOR GetHandleCursor(CWorkspaceView* pView, int x, int y) override;
  void DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) override;
  void ToolUnInitalize(CWorkspaceView* pView) override;

  // Makes the sub-paths of the shape for the page rectangle from p0 to p1 (a line's end points
  // keep their order); false when the drag is too small to make a shape.
  virtual bool BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                              const CQorVectorPoint<float>& p1) const = 0;
  // Whether the tool draws an open line (Shift then snaps it to 45 degrees instead of making a
  // square).
  virtual bool IsLineTool() const { return false; }
  // Settings of a new shape before it is added (a line arrow's end cap).
  virtual void PrepareShape(CCustomPathObj& shape) const;
  // The undo name of the shape this tool draws.
  virtual const wchar_t* GetActionName() const = 0;

 protected:
  // The second corner as Shift constrains it.
  CQorVectorPoint<float> ConstrainedEnd(UINT nFlags) const;
  bool m_bDragging = false;
};

class CDrawRectangleTool : public CDrawShapeTool {
 public:
  bool BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                      const CQorVectorPoint<float>& p1) const override;
  const wchar_t* GetActionName() const override { return L"Draw Rectangle"; }
};

class CDrawOvalTool : public CDrawShapeTool {
 public:
  bool BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                      const CQorVectorPoint<float>& p1) const override;
  const wchar_t* GetActionName() const override { return L"Draw Oval"; }
};

// A rectangle with rounded corners; the roundness (0 to 100, the ribbon's scroll bar) is the
// corner radius in percent of half the shorter side.
class CDrawRoundRectTool : public CDrawShapeTool {
 public:
  int m_nRoundness = 20;

  bool BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                      const CQorVectorPoint<float>& p1) const override;
  const wchar_t* GetActionName() const override { return L"Draw Round Rectangle"; }
};

// A straight line; with an arrow, the end where the drag stopped gets an arrow cap.
class CDrawLineTool : public CDrawShapeTool {
 public:
  explicit CDrawLineTool(bool bArrow = false) : m_bArrow(bArrow) {}
  bool BuildShapePath(CCustomPathObj& shape, const CQorVectorPoint<float>& p0,
                      const CQorVectorPoint<float>& p1) const override;
  bool IsLineTool() const override { return true; }
  void PrepareShape(CCustomPathObj& shape) const override;
  const wchar_t* GetActionName() const override { return m_bArrow ? L"Draw Arrow" : L"Draw Line"; }
  bool HasArrow() const { return m_bArrow; }

 private:
  bool m_bArrow;
};

// Shapes made point by point: each click adds a corner (the polygon) or a node whose controls a
// drag pulls out (the custom Bezier shape); a double click or Enter ends the shape, a click on
// the first node closes it, Escape drops it.
class CDrawPointsTool : public CDefaultTool {
 public:
  int OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonDblClk(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnKeyDown(CWorkspaceView* pView, UINT nChar, UINT nRepCnt, UINT nFlags) override;
  HCURSOR GetHandleCursor(CWorkspaceView* pView, int x, int y) override;
  void DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) override;
  void ToolUnInitalize(CWorkspaceView* pView) override;

  // The nodes placed so far (page coordinates).
  const std::vector<CQorVectorEdgeNode>& GetNodes() const { return m_nodes; }

 protected:
  // Whether a drag after a click pulls out the node's Bezier controls.
  virtual bool MakesCurves() const = 0;
  virtual const wchar_t* GetActionName() const = 0;
  // Makes the shape from the nodes (at least two; a closed one needs three); false when there
  // are too few.
  bool Finish(CWorkspaceView* pView, bool bClose);
  void Cancel(CWorkspaceView* pView);

  std::vector<CQorVectorEdgeNode> m_nodes;
  bool m_bPressed = false;
  CQorVectorPoint<float> m_ptHover;
  bool m_bHover = false;
};

class CDrawPolygonTool : public CDrawPointsTool {
 protected:
  bool MakesCurves() const override { return false; }
  const wchar_t* GetActionName() const override { return L"Draw Polygon"; }
};

class CCustomShapeTool : public CDrawPointsTool {
 protected:
  bool MakesCurves() const override { return true; }
  const wchar_t* GetActionName() const override { return L"Draw Custom Shape"; }
};

// The anchor tools work on the nodes of one selected custom shape (a click on another shape
// selects it): move drags a node or a control point, add inserts a node on the segment under
// the click, delete removes the node under the click, convert turns a corner into a smooth node
// (a drag pulls its controls) and a smooth node back into a corner.
class CAnchorTool : public CDefaultTool {
 public:
  enum eAnchorMode { ANCHOR_MOVE, ANCHOR_ADD, ANCHOR_DELETE, ANCHOR_CONVERT };
  explicit CAnchorTool(eAnchorMode mode) : m_mode(mode) {}

  int OnLButtonDown(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnMouseMove(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  int OnLButtonUp(CWorkspaceView* pView, UINT nFlags, int x, int y) override;
  HCURSOR GetHandleCursor(CWorkspaceView* pView, int x, int y) override;
  void DrawOutline(CWorkspaceView* pView, Gdiplus::Graphics* pGraphics, float sx, float sy, float x, float y) override;
  void ToolUnInitalize(CWorkspaceView* pView) override;
  void ToolInitalize(CWorkspaceView* pView) override;

  eAnchorMode GetMode() const { return m_mode; }

 private:
  void EndDrag(CWorkspaceView* pView, bool bCommit);

  eAnchorMode m_mode;
  CCustomPathObj* m_pShape = nullptr;  // the shape being changed while a drag lasts (one reference)
  CCustomPathObj* m_pBefore = nullptr;  // its copy from before the drag
  int m_nPath = -1, m_nNode = -1;
  int m_nPart = 0;  // 0 the node, 1 its out control, 2 its in control
  bool m_bChanged = false;
};

class CMoveAnchorTool : public CAnchorTool {
 public:
  CMoveAnchorTool() : CAnchorTool(ANCHOR_MOVE) {}
};
class CAddAnchorTool : public CAnchorTool {
 public:
  CAddAnchorTool() : CAnchorTool(ANCHOR_ADD) {}
};
class CDeleteAnchorTool : public CAnchorTool {
 public:
  CDeleteAnchorTool() : CAnchorTool(ANCHOR_DELETE) {}
};
class CConvertAnchorTool : public CAnchorTool {
 public:
  CConvertAnchorTool() : CAnchorTool(ANCHOR_CONVERT) {}
};

}  // namespace Vectorloom
