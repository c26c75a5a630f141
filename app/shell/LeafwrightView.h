// The document's page view: one page at a time on a grey desk, at 100 %, read from its file when
// it is first shown. Page editing, zoom and the thumbnails come with the editing view.
#pragma once

#include <afxwin.h>

#include "PageCommands.h"

class CLeafwrightDoc;
namespace Gdiplus {
class Graphics;
}
namespace Quirebook {
class CDrawingPage;
}
using Quirebook::CDrawingPage;

class CLeafwrightView : public CScrollView, public IPageEditingView {
  DECLARE_DYNCREATE(CLeafwrightView)

 public:
  CLeafwrightView();
  CLeafwrightDoc* GetDocument() const;

  int GetPageIndex() const { return m_nPage; }
  int GetPagesCount() const;
  // Shows page `index` (kept within the document's pages).
  void GoToPage(int index);
  // The page shown (null without pages).
  CDrawingPage* GetShownPage() const override;

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;
  // Hints 3 and 4 with a page show that page; hint 3 without one (a new or opened document)
  // shows the first page; hint 4 without one (the order changed) keeps the shown page, at its
  // new place.
  void OnUpdate(CView* pSender, LPARAM lHint, CObject* pHint) override;

  // Draws the page on white paper filling rcPage (pixels at 100 %), its objects clipped to it.
  static void DrawPage(Gdiplus::Graphics& g, CDrawingPage& page, const CRect& rcPage);

  // Where the page lies in the view (before scrolling), in pixels.
  CRect GetPageRect() const;
  static constexpr int kMargin = 24;

 protected:
  afx_msg void OnFirstPage();
  afx_msg void OnPreviousPage();
  afx_msg void OnNextPage();
  afx_msg void OnLastPage();
  afx_msg void OnUpdateFirstOrPrevious(CCmdUI* pCmdUI);
  afx_msg void OnUpdateNextOrLast(CCmdUI* pCmdUI);
  afx_msg void OnUpdatePageNumber(CCmdUI* pCmdUI);
  DECLARE_MESSAGE_MAP()

 private:
  void UpdateSizes();
  int m_nPage = 0;
  CDrawingPage* m_pShown = nullptr;  // the page at m_nPage when it was last placed (not held)
};
