// The document's editing view: one page at a time on a grey desk, painted through an off-screen
// bitmap with its shadow, frame and selection marks, centred in the window, at one of eighteen
// zoom levels. Pages still in their file are read when they are first shown. New objects are
// named from counters that live as long as the program.
#pragma once

#include <afxwin.h>

#include <quirebook/PublicationView.h>

#include "PageCommands.h"
#include "ShellIds.h"

class CLeafwrightDoc;
namespace Gdiplus {
class Graphics;
}
namespace Quirebook {
class CDrawingPage;
}
using Quirebook::CDrawingPage;

// The zoom command ids (the eighteen levels, Zoom In, Zoom Out, Actual Size) are in ShellIds.h.

// Insert commands.
inline constexpr UINT ID_INSERT_TEXT = 32775;
inline constexpr UINT ID_INSERT_IMAGE = 32776;
inline constexpr UINT ID_INSERT_VIDEO = 32912;

// The zoom levels: factors in ascending order with the command that selects each.
struct ZoomLevel {
  float fFactor;
  UINT nCommand;
};
inline constexpr int kZoomLevels = 18;
extern const ZoomLevel g_zoomLevels[kZoomLevels];
// Two factors differing by less than this are the same level.
inline constexpr double kZoomTolerance = 5.000000058430487e-8;
// The index probed last by a bisection for the factor (the level itself when it is one).
int FindZoomLevelIndex(float fFactor);
// The level a zoom step reaches from a factor: the next level in the asked direction, or the
// nearest level in that direction when the factor is between levels; the ends stay at the ends.
float StepZoomFactor(float fFactor, bool bIn);

// The name of a new object of the kind of a view event (5 shape, 8 text, 9 image, 12 group) from
// the application's counters; empty for other events.
CString NextObjectNameForEvent(int nEvent);

class CLeafwrightView : public CPublicationView, public IPageEditingView {
  DECLARE_DYNCREATE(CLeafwrightView)

 public:
  CLeafwrightView();
  CLeafwrightDoc* GetDocument() const;

  // The shown page's index in the document (0 without pages) and the document's page count.
  int GetPageIndex() const;
  int GetPagesCount() const;
  // Shows page `index` (kept within the document's pages).
  void GoToPage(int index);
  // The page shown (null without pages).
  CDrawingPage* GetShownPage() const override;
  // Makes a page the shown one: it is read from its file first when still there; another page
  // than the shown one brings the selection tool back and clears the selection.
  void ShowPage(CDrawingPage* page);

  // Set by the main window while a gallery hover preview shows: the tool's outline is not
  // painted then; the paint clears it once the view holds no preview scene.
  int m_bOutlineSuppressed = 0;

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;
  // Hint 2 repaints. Hints 3 and 4 with a page show that page and repaint; hint 3 without one (a
  // new or opened document) shows the first page; hint 4 without one (the page order changed)
  // keeps the shown page, wherever it now stands, and repaints.
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;
  // The shown page's own size (pages of one document may differ).
  Vectorloom::CQorVectorSize<float> GetRenderPageSize() const override;
  // Names the objects the tools and commands make (events 5, 8, 9 and 12); after a shape or a
  // text the selection tool comes back.
  void ProcessEvent(int nEvent, LPARAM lParam) override;

  // Draws the page on white paper filling rcPage (pixels at 100 %), its objects clipped to it.
  static void DrawPage(Gdiplus::Graphics& g, CDrawingPage& page, const CRect& rcPage);

  // Zoom.
  afx_msg void OnZoomActualSize();
  afx_msg void OnUpdateZoomActualSize(CCmdUI* pCmdUI);
  afx_msg void OnZoomIn();
  afx_msg void OnUpdateZoomIn(CCmdUI* pCmdUI);
  afx_msg void OnZoomOut();
  afx_msg void OnUpdateZoomOut(CCmdUI* pCmdUI);
  afx_msg void OnZoomLevel(UINT nId);
  afx_msg void OnUpdateZoomLevel(CCmdUI* pCmdUI);
  // Sets the zoom and shows it in the status bar.
  void SetZoomPercent(float fPercent);

 protected:
  afx_msg void OnUpdatePageNumber(CCmdUI* pCmdUI);
  afx_msg void OnUpdateZoomPane(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

 private:
  int m_nPage = 0;  // the shown page's index when it was last placed
};

// The editing view of the main window's active document, or null.
CLeafwrightView* GetActiveLeafwrightView();
