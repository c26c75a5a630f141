// The workspace view: one page of a CWorkspaceDoc shown at a zoom in a scroll view, with the
// selection, the current tool, the preview scene and the editing commands.
//
// Coordinates. Client (device) points are what mouse events carry. Logical points are client
// points plus the scroll position (DpToLp): the view's whole scrolled area. The page rectangle
// m_rcPage lies in logical coordinates; page coordinates (MapToPic) are logical points minus the
// page's top-left corner, divided by the zoom factor: the pixels of the 96-dpi page at 100 %.
#pragma once

#include <afxwin.h>

#include <memory>

#include "DefaultTool.h"
#include "EditAction.h"
#include "RenderPage.h"
#include "ViewHost.h"
#include "WorkspaceDoc.h"

namespace Gdiplus {
class Graphics;
class Bitmap;
}  // namespace Gdiplus

namespace Vectorloom {

// Events the library sends to the view's ProcessEvent (the view of the program reacts to them).
enum eViewEvent {
  VIEW_EVENT_RESIZE_LOCKED = 1,     // a locked object was to be resized
  VIEW_EVENT_ROTATE_LOCKED = 2,     // ... rotated
  VIEW_EVENT_MOVE_LOCKED = 3,       // ... moved with the mouse
  VIEW_EVENT_NUDGE_LOCKED = 4,      // ... moved with the keyboard
  VIEW_EVENT_SHAPE_CREATED = 5,     // a drawing tool made a shape (the parameter)
  VIEW_EVENT_ANCHOR_LOCKED = 6,     // an anchor of a locked object was to be moved
  VIEW_EVENT_ALIGN_LOCKED = 7,      // a locked object was to be aligned
  VIEW_EVENT_TEXT_CREATED = 8,      // a text object was made (the parameter)
  VIEW_EVENT_IMAGE_CREATED = 9,     // an image object was made (the parameter)
  VIEW_EVENT_ALREADY_FRONT = 10,    // the selection is in front already
  VIEW_EVENT_ALREADY_BACK = 11,     // the selection is at the back already
  VIEW_EVENT_GROUP_CREATED = 12,    // a group was made (the parameter)
  VIEW_EVENT_PAGES_DELETED = 13,    // pages were taken out of the document
};

// Update hints of UpdateAllViews that the view answers: repaint (the page given or all).
constexpr LPARAM kHintRepaint = CWorkspaceDoc::kHintRepaintViews;

// The view's coordinates and zoom, and the host window interface.
class COriginalView : public CScrollView {
  DECLARE_DYNAMIC(COriginalView)
 public:
  ~COriginalView() override;

  // The window host (the built-in one forwards to this view's window). A host set here is not
  // owned and must outlive its use; null goes back to the window.
  void SetViewHost(IViewHost* pHost);
  IViewHost& GetViewHost() const { return *m_pHost; }

  // Client point to logical point (adds the scroll position).
  CQorVectorPoint<float> DpToLp(int x, int y) const;
  void DpToLp(CQorVectorPoint<float>& pt) const;
  // Logical point to page point, and back.
  CQorVectorPoint<float> MapToPic(const CQorVectorPoint<float>& lp) const;
  void MapToPic(CQorVectorRect<float>& rect) const;
  CQorVectorPoint<float> MapFromPic(const CQorVectorPoint<float>& pic) const;
  // Client point to page point (DpToLp then MapToPic).
  CQorVectorPoint<float> ClientToPic(int x, int y) const { return MapToPic(DpToLp(x, y)); }
  // Page rectangle to a client rectangle, rounded outwards.
  CRect PicToClient(const CQorVectorRect<float>& rect) const;
  // Page to client pixels: scale by the zoom, move by the page's origin on the client.
  CQorTransMatrix GetPicToClientMatrix() const;

  // Zoom in percent (100 = actual size) and its factor.
  float GetZoom() const { return m_fZoom; }
  float GetZoomFactor() const { return m_fZoom / 100.0f; }
  // Where the page lies in logical coordinates, and the page's origin in client pixels.
  const CRect& GetPageRect() const { return m_rcPage; }
  CPoint GetPageOriginOnClient() const;
  // The page's size in page pixels (the document size; 0 x 0 without a document).
  virtual CQorVectorSize<float> GetRenderPageSize() const;

  // Stores the zoom (kept within 1 % to 6400 %), fits the scroll sizes, places the page and
  // repaints. Values that are not positive numbers are ignored.
  void ZoomView(float fPercent);
  // Sets the scroll sizes for the page at the zoom and places the page rectangle (centred in a
  // wider client area, at the margins otherwise).
  void FitScrollSizes();
  void PlacePage();
  // Scrolls so that a client point near or beyond the client's edge comes into view (used while
  // a drag leaves the window); true when the view scrolled.
  BOOL ScrollView(int x, int y);

  int m_nHMargin = 24;
  int m_nVMargin = 24;

 protected:
  COriginalView();

  CRect m_rcPage;        // logical coordinates
  float m_fZoom = 100;   // percent
  IViewHost* m_pHost;
  std::unique_ptr<IViewHost> m_pWindowHost;
};

// The editing view of a CWorkspaceDoc.
class CWorkspaceView : public COriginalView {
  DECLARE_DYNAMIC(CWorkspaceView)
 public:
  ~CWorkspaceView() override;

  CWorkspaceDoc* GetDocument() const;

  // The page shown and edited (one reference held); null for none. A new page deselects all and
  // fits the scroll sizes.
  CRenderPage* GetRenderPage() const { return m_pRenderPage; }
  virtual void SetRenderPage(CRenderPage* pPage);

  // Selection (one reference held per selected object; top-level objects of the page).
  int GetSelectedObjectsCount() const { return m_selList.GetCount(); }
  CRenderBaseObj* GetLastSelectedObject() const { return m_selList.GetTail(); }
  const CRenderBaseObjectList& GetSelectedObjectsList() const { return m_selList; }
  bool IsObjectSelected(const CRenderBaseObj* pObj) const { return m_selList.Find(pObj) >= 0; }
  // Adds the object to the selection (bAdd) or makes it the only selected object.
  void SelectRenderObject(CRenderBaseObj* pObj, bool bAdd = true);
  void DeselectRenderObject(CRenderBaseObj* pObj);
  void DeseleteAllRenderObjects();
  // Drops selected objects that are no longer on the page (after an undo, for instance).
  void ValidateSelection();
  // The topmost object of the page under a page point, or null.
  CRenderBaseObj* HitTestRenderObject(const CQorVectorPoint<float>& pic) const;
  // The handle of a selected object under a page point (the last selected first): its code
  // (eHandleCode) and the object; -1 when none.
  int HitTestSelectedHandles(const CQorVectorPoint<float>& pic, CRenderBaseObj** ppObj = nullptr) const;
  // The rotation handle of an object: p0 the centre of its box, p1 the middle of its top edge,
  // after its matrix and then deviceMatrix; the grip lies kRotateGripDistance pixels beyond p1,
  // away from p0 (GetRotationGrip). The member form gives client pixels of this view.
  static void GetRotationHandles(const CRenderBaseObj& obj, const CQorTransMatrix& deviceMatrix,
                                 CQorVectorPoint<float>& p0, CQorVectorPoint<float>& p1);
  void GetRotationHandles(const CRenderBaseObj& obj, CQorVectorPoint<float>& p0, CQorVectorPoint<float>& p1) const;
  static CQorVectorPoint<float> GetRotationGrip(const CQorVectorPoint<float>& p0, const CQorVectorPoint<float>& p1);
  static constexpr float kRotateGripDistance = 20;
  // Half the side of a handle, in client pixels.
  static constexpr float kHandleRadius = 4;
  // Bounds of the selected objects on the page (empty without a selection).
  CQorVectorRect<float> GetSelectedObjectsBound() const;
  // Whether an object may not be moved, resized or rotated (the program's objects may carry a
  // lock); false here.
  virtual bool IsObjectLocked(const CRenderBaseObj* pObj) const;

  // Tools. The current tool gets the mouse and key events; null means the selection tool.
  CDefaultTool* GetEditingTool() const { return m_pCurTool; }
  // The tool that acts: the current one, or the selection tool.
  CDefaultTool* GetActingTool() const { return m_pCurTool ? m_pCurTool : &g_SelectTool; }
  // Leaves the current tool (ToolUnInitalize) and takes up the new one (ToolInitalize).
  void UpdateEditingTool(CDefaultTool* pTool);
  // The capture the current tool holds while it drags.
  bool HasToolCapture() const { return m_bCapture; }
  void SetToolCapture();
  void ReleaseToolCapture();

  // Painting. DrawSelectedFlag draws the handles and rotation grips of the selected objects
  // (none while an anchor tool, which shows the nodes, is current); (nLeft, nTop) is where the
  // page's origin lies on the graphics, fScale the zoom factor.
  void DrawSelectedFlag(Gdiplus::Graphics* pGraphics, float fScale, int nLeft, int nTop);
  // Paints the client rectangle rcClip (the page on its desk, the selection marks and the tool's
  // outline) into the graphics, whose (0, 0) is rcClip's top-left corner.
  void PaintView(Gdiplus::Graphics* pGraphics, const CRect& rcClip);
  // Repaints a logical rectangle now (the program's view draws it at once); here: invalidates.
  virtual void ReDrawContent(const CRect& rect);
  // Marks a page rectangle for repainting (handles included).
  void InvalidatePicRect(const CQorVectorRect<float>& rect);
  // Marks an object's area for repainting (bSelected: with its handles).
  void InvalidateObjRect(CRenderBaseObj* pObj, int bSelected);
  void InvalidateView();

  // Events of the library for the program's view (eViewEvent); nothing here.
  virtual void ProcessEvent(int nEvent, LPARAM lParam);

  // Adds an object made by a tool to the page as one undoable step and selects it alone.
  void AddShapeObj(CRenderBaseObj* pObj, const wchar_t* lpszActionName);
  // Hands an action to the document (AddEditAction), marks it modified and repaints.
  void CommitEditAction(CBaseEditAction* pAction);

  // Preview scenes: RestorePrevScene puts the objects back as the scene recorded them (once);
  // DestroyPreviewScene deletes the scene. Every property command ends a preview first.
  CBasePreviewScene* GetPreviewScene() const { return m_pPreviewScene; }
  // The view's one scene slot, for previews built outside this library (they follow the rules of
  // CorePreviews.h: a scene of another kind is restored before it is replaced).
  CBasePreviewScene*& GetPreviewSceneSlot() { return m_pPreviewScene; }
  void RestorePrevScene();
  void DestroyPreviewScene();
  void PreviewModifyShapeObjsStrokeWidth(float fWidth);
  void PreviewModifyShapeObjsDashStyle(int nDash);
  void PreviewModifyRenderObjsRotatedAngle(int nAngle);

  // Property commands on the selection (each one undoable step).
  void DoModifyShapeObjectsStrokenWidth(float fWidth);
  void DoModifyShapeObjsRenderColor(COLORREF color, int bFill);
  void DoModifyRenderObjsRotatedAngle(int nAngle);
  void DoModifyShapeObjsDashType(int nDash);
  void DoFillSelectedShapeObjs(int bFill);
  void DoStrokeSelectedShapeObjs(int bStroke);

  // Clipboard and import: the objects of the list go onto the page as one step and are selected.
  BOOL PasteObjsFromClipboard(CRenderBaseObjectList& list);
  // Fills the list with an image object made from the clipboard's bitmap; nonzero on success.
  BOOL PasteDIB(CRenderBaseObjectList& list, int nReserved);
  // Deletes the selected objects (one step).
  void DoEditClear();
  // Loads a picture file and adds it as an image object; nonzero on success.
  BOOL DoImportImage(const wchar_t* lpszPath, int nReserved);

  // The tools of the process.
  static CSelectTool g_SelectTool;
  static CDrawRectangleTool g_DrawRectangleTool;
  static CDrawOvalTool g_DrawOvalTool;
  static CDrawRoundRectTool g_DrawRoundRectTool;
  static CDrawLineTool g_DrawLineTool;
  static CDrawLineTool g_DrawLineArrowTool;
  static CDrawPolygonTool g_DrawPolygonTool2;
  static CCustomShapeTool g_CustomShapeTool;
  static CMoveAnchorTool g_MoveAnchorTool;
  static CAddAnchorTool g_AddAnchorTool;
  static CDeleteAnchorTool g_DeleteAnchorTool;
  static CConvertAnchorTool g_ConvertAnchorTool;

  // The view's window events, for tests and for the window: they go to the acting tool (a
  // tool that does not handle a button press after switching tools hands it to the new one).
  void OnDraw(CDC* pDC) override;
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  void OnInitialUpdate() override;
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnTimer(UINT_PTR nIDEvent);
  afx_msg void OnCaptureChanged(CWnd* pWnd);
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSize(UINT nType, int cx, int cy);

  // Commands.
  afx_msg void OnEditUndo();
  afx_msg void OnEditRedo();
  afx_msg void OnUpdateEditUndo(CCmdUI* pCmdUI);
  afx_msg void OnUpdateEditRedo(CCmdUI* pCmdUI);
  afx_msg void OnDefaultMode();
  afx_msg void OnUpdateDefaultMode(CCmdUI* pCmdUI);
  afx_msg void OnDrawRectangle();
  afx_msg void OnUpdateDrawRectangle(CCmdUI* pCmdUI);
  afx_msg void OnDrawOval();
  afx_msg void OnUpdateDrawOval(CCmdUI* pCmdUI);
  afx_msg void OnDrawRoundRect();
  afx_msg void OnUpdateDrawRoundRect(CCmdUI* pCmdUI);
  afx_msg void OnDrawPolygon2();
  afx_msg void OnUpdateDrawPolygon2(CCmdUI* pCmdUI);
  afx_msg void OnDrawLine();
  afx_msg void OnUpdateDrawLine(CCmdUI* pCmdUI);
  afx_msg void OnDrawLineArrow();
  afx_msg void OnUpdateDrawLineArrow(CCmdUI* pCmdUI);
  afx_msg void OnCustomShape();
  afx_msg void OnUpdateCustomShape(CCmdUI* pCmdUI);
  afx_msg void OnMoveAnchorTool();
  afx_msg void OnUpdateMoveAnchorTool(CCmdUI* pCmdUI);
  afx_msg void OnAddAnchorTool();
  afx_msg void OnUpdateAddAnchorTool(CCmdUI* pCmdUI);
  afx_msg void OnDeleteAnchorTool();
  afx_msg void OnUpdateDeleteAnchorTool(CCmdUI* pCmdUI);
  afx_msg void OnConvertAnchorTool();
  afx_msg void OnUpdateConvertAnchorTool(CCmdUI* pCmdUI);

  // Arranging commands (WorkspaceViewCommands.cpp).
  afx_msg void OnMoveObjectsToFront();
  afx_msg void OnUpdateMoveObjectsToFront(CCmdUI* pCmdUI);
  afx_msg void OnMoveObjectsForward();
  afx_msg void OnUpdateMoveObjectsForward(CCmdUI* pCmdUI);
  afx_msg void OnMoveObjectsBackward();
  afx_msg void OnUpdateMoveObjectsBackward(CCmdUI* pCmdUI);
  afx_msg void OnMoveObjectsBack();
  afx_msg void OnUpdateMoveObjectsBack(CCmdUI* pCmdUI);
  afx_msg void OnCreateGroup();
  afx_msg void OnUpdateCreateGroup(CCmdUI* pCmdUI);
  afx_msg void OnDrawUngroup();
  afx_msg void OnUpdateDrawUngroup(CCmdUI* pCmdUI);
  afx_msg void OnAlignLeft();
  afx_msg void OnUpdateAlignLeft(CCmdUI* pCmdUI);
  afx_msg void OnAlignRight();
  afx_msg void OnUpdateAlignRight(CCmdUI* pCmdUI);
  afx_msg void OnAlignCenter();
  afx_msg void OnUpdateAlignCenter(CCmdUI* pCmdUI);
  afx_msg void OnAlignTop();
  afx_msg void OnUpdateAlignTop(CCmdUI* pCmdUI);
  afx_msg void OnAlignMiddle();
  afx_msg void OnUpdateAlignMiddle(CCmdUI* pCmdUI);
  afx_msg void OnAlignBottom();
  afx_msg void OnUpdateAlignBottom(CCmdUI* pCmdUI);
  afx_msg void OnMirrorShapeObjects();
  afx_msg void OnUpdateMirrorShapeObjects(CCmdUI* pCmdUI);
  afx_msg void OnFilpShapeObjects();
  afx_msg void OnUpdateFlipShapeObjects(CCmdUI* pCmdUI);
  afx_msg void OnMakeSameWidth();
  afx_msg void OnUpdateMakeSameWidth(CCmdUI* pCmdUI);
  afx_msg void OnMakeSameHeight();
  afx_msg void OnUpdateMakeSameHeight(CCmdUI* pCmdUI);
  afx_msg void OnMakeSameSize();
  afx_msg void OnUpdateMakeSize(CCmdUI* pCmdUI);

  // Command ids of the view's commands.
  enum : UINT {
    ID_DEFAULT_MODE = 32774,
    ID_MOVE_TO_FRONT = 32800,
    ID_MOVE_BACK = 32801,
    ID_MOVE_FORWARD = 32802,
    ID_MOVE_BACKWARD = 32803,
    ID_MIRROR = 32805,
    ID_FLIP = 32806,
    ID_CREATE_GROUP = 32810,
    ID_UNGROUP = 32811,
    ID_ALIGN_LEFT = 32793,
    ID_ALIGN_CENTER = 32794,
    ID_ALIGN_RIGHT = 32795,
    ID_ALIGN_TOP = 32796,
    ID_ALIGN_MIDDLE = 32797,
    ID_ALIGN_BOTTOM = 32798,
    ID_MAKE_SAME_WIDTH = 32852,
    ID_MAKE_SAME_HEIGHT = 32853,
    ID_MAKE_SAME_SIZE = 32854,
    ID_CUSTOM_SHAPE = 32836,
    ID_MOVE_ANCHOR = 32837,
    ID_ADD_ANCHOR = 32838,
    ID_DELETE_ANCHOR = 32839,
    ID_CONVERT_ANCHOR = 32840,
    ID_DRAW_RECTANGLE = 32890,
    ID_DRAW_ROUNDRECT = 32891,
    ID_DRAW_OVAL = 32892,
    ID_DRAW_POLYGON = 32893,
    ID_DRAW_LINE = 32894,
    ID_DRAW_LINE_ARROW = 32896,
  };

 protected:
  CWorkspaceView();
  // Selects a tool from its command (toggling back to the selection tool when it is current).
  void SelectToolCommand(CDefaultTool* pTool);
  void UpdateToolCommand(CCmdUI* pCmdUI, const CDefaultTool* pTool);
  DECLARE_MESSAGE_MAP()

  CRenderPage* m_pRenderPage = nullptr;
  CDefaultTool* m_pCurTool = nullptr;
  CBasePreviewScene* m_pPreviewScene = nullptr;
  CRenderBaseObjectList m_selList;
  bool m_bCapture = false;
};

}  // namespace Vectorloom
