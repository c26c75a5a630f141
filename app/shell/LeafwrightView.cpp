#include "LeafwrightView.h"

#include <algorithm>

#include <gdiplus/gdiplus.h>

#include "LeafwrightAppState.h"
#include "LeafwrightDoc.h"
#include "PageBusiPage.h"
#include "ShellIds.h"

IMPLEMENT_DYNCREATE(CLeafwrightView, CScrollView)

BEGIN_MESSAGE_MAP(CLeafwrightView, CScrollView)
  // The go-to-page commands are the document's (they also select the page in the thumbnails).
  ON_UPDATE_COMMAND_UI(ID_INDICATOR_PAGE_NUMBER, &CLeafwrightView::OnUpdatePageNumber)
END_MESSAGE_MAP()

CLeafwrightView::CLeafwrightView() = default;

CLeafwrightDoc* CLeafwrightView::GetDocument() const { return static_cast<CLeafwrightDoc*>(m_pDocument); }

int CLeafwrightView::GetPagesCount() const {
  const CLeafwrightDoc* doc = GetDocument();
  return doc ? doc->GetPagesCount() : 0;
}

void CLeafwrightView::GoToPage(int index) {
  const int count = GetPagesCount();
  m_nPage = count > 0 ? std::clamp(index, 0, count - 1) : 0;
  m_pShown = GetShownPage();
  UpdateSizes();
  ScrollToPosition(CPoint(0, 0));
  Invalidate();
}

CRect CLeafwrightView::GetPageRect() const {
  CLeafwrightDoc* doc = GetDocument();
  CDrawingPage* page = doc && m_nPage < doc->GetPagesCount() ? doc->GetDrawingPage(m_nPage) : nullptr;
  if (!page) return CRect(kMargin, kMargin, kMargin, kMargin);
  const auto px = page->GetPageSize(Vectorloom::UNIT_PIXEL);
  const int w = std::max(1, static_cast<int>(px.cx + 0.5f)), h = std::max(1, static_cast<int>(px.cy + 0.5f));
  CRect client;
  GetClientRect(&client);
  const int left = std::max(kMargin, (client.Width() - w) / 2);
  return CRect(left, kMargin, left + w, kMargin + h);
}

void CLeafwrightView::UpdateSizes() {
  const CRect page = GetPageRect();
  SetScrollSizes(MM_TEXT, CSize(page.right + kMargin, page.bottom + kMargin));
}

void CLeafwrightView::OnInitialUpdate() {
  m_nPage = 0;
  m_pShown = GetShownPage();
  UpdateSizes();
  CScrollView::OnInitialUpdate();
}

CDrawingPage* CLeafwrightView::GetShownPage() const {
  CLeafwrightDoc* doc = GetDocument();
  return doc ? doc->GetDrawingPage(m_nPage) : nullptr;
}

void CLeafwrightView::OnUpdate(CView*, LPARAM lHint, CObject* pHint) {
  CLeafwrightDoc* doc = GetDocument();
  auto* page = static_cast<CDrawingPage*>(Vectorloom::CWorkspaceDoc::HintPage(pHint));
  const int given = doc && page ? doc->GetRenderPagesArray().IndexOf(page) : -1;
  const int kept = doc && m_pShown ? doc->GetRenderPagesArray().IndexOf(m_pShown) : -1;
  if ((lHint == 3 || lHint == 4) && given >= 0)
    m_nPage = given;
  else if (lHint == 3 && !page)
    m_nPage = 0;
  else if (kept >= 0)
    m_nPage = kept;  // the same page, wherever it now stands
  if (m_nPage >= GetPagesCount()) m_nPage = std::max(0, GetPagesCount() - 1);
  m_pShown = GetShownPage();
  UpdateSizes();
  Invalidate();
}

void CLeafwrightView::OnDraw(CDC* pDC) {
  CLeafwrightDoc* doc = GetDocument();
  Gdiplus::Graphics g(pDC->GetSafeHdc());
  g.Clear(Gdiplus::Color(255, 0x80, 0x80, 0x80));
  if (!doc || m_nPage >= doc->GetPagesCount()) return;
  CDrawingPage* page = doc->GetDrawingPage(m_nPage);
  page->LoadPageContent(doc);  // a page still in its file is read now
  const CRect r = GetPageRect();
  Gdiplus::SolidBrush shadow(Gdiplus::Color(255, 0x50, 0x50, 0x50));
  g.FillRectangle(&shadow, r.left + 4, r.top + 4, r.Width(), r.Height());
  DrawPage(g, *page, r);
}

void CLeafwrightView::DrawPage(Gdiplus::Graphics& g, CDrawingPage& page, const CRect& r) {
  Gdiplus::SolidBrush paper(Gdiplus::Color(255, 255, 255, 255));
  g.FillRectangle(&paper, r.left, r.top, r.Width(), r.Height());
  g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  // Objects are placed in pixels at the screen's 96 dots per inch, whatever the page's unit: at
  // 100 % they are drawn as they are, from the page's corner.
  g.SetClip(Gdiplus::Rect(r.left, r.top, r.Width(), r.Height()));
  page.DrawAllObjects(&g, Gdiplus::Matrix(1, 0, 0, 1, static_cast<float>(r.left), static_cast<float>(r.top)));
  g.ResetClip();
}

void CLeafwrightView::OnFirstPage() { GoToPage(0); }
void CLeafwrightView::OnPreviousPage() { GoToPage(m_nPage - 1); }
void CLeafwrightView::OnNextPage() { GoToPage(m_nPage + 1); }
void CLeafwrightView::OnLastPage() { GoToPage(GetPagesCount() - 1); }
void CLeafwrightView::OnUpdateFirstOrPrevious(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nPage > 0); }
void CLeafwrightView::OnUpdateNextOrLast(CCmdUI* pCmdUI) { pCmdUI->Enable(m_nPage + 1 < GetPagesCount()); }

void CLeafwrightView::OnUpdatePageNumber(CCmdUI* pCmdUI) {
  CString s;
  s.Format(L"Page: %d of %d", m_nPage + 1, std::max(GetPagesCount(), 1));
  pCmdUI->SetText(s);
  pCmdUI->Enable(TRUE);
}
