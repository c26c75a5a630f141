// The document's page view: one page at a time on a grey desk, at 100 %, read from its file when
// it is first shown. Page editing, zoom and the thumbnails come with the editing view.
#pragma once

#include <afxwin.h>

class CLeafwrightDoc;
namespace Gdiplus {
class Graphics;
}
namespace Quirebook {
class CDrawingPage;
}
using Quirebook::CDrawingPage;

class CLeafwrightView : public CScrollView {
  DECLARE_DYNCREATE(CLeafwrightView)

 public:
  CLeafwrightView();
  CLeafwrightDoc* GetDocument() const;

  int GetPageIndex() const { return m_nPage; }
  int GetPagesCount() const;
  // Shows page `index` (kept within the document's pages).
  void GoToPage(int index);

  void OnDraw(CDC* pDC) override;
  void OnInitialUpdate() override;
  // Hint 3: a new or opened document, shown from its first page.
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
};
