// The print preview of the backstage Print page: one sheet at a time, the pages of the sheet in
// a grid of rows and columns on the paper, scaled to the window. Pages are rendered by a worker
// thread and pasted into their cells as they arrive.
#pragma once

#include <afxwin.h>

#include <InsideLoadingThread.h>
#include <PrintLayout.h>

namespace Quirebook {
class CPublicationDoc;
}

// Posted by the worker after each rendered page.
constexpr UINT WM_LW_PAGE_RENDERED = 2056;

class CPrintPreviewWnd : public CWnd {
 public:
  CPrintPreviewWnd();
  ~CPrintPreviewWnd() override;

  // The pages, grid and sheet in view (the Print page changes them, then calls UpdatePreview).
  CPrintPageModel m_model;
  // The document shown and the paper in printer pixels (0 x 0: no sheet).
  void SetDocument(Quirebook::CPublicationDoc* doc) { m_pDocument = doc; }
  void SetPaper(SIZE paper) { m_paper = paper; }

  // A new white sheet for the window size, paper and sheet in view; its pages are requested.
  void UpdatePreview();
  // A new grid, keeping the pages that were in view as far as possible.
  void SetPagesPerSheet(int rows, int columns);
  // The worker runs while the Print page is shown.
  bool StartWorker();
  void StopWorker();
  bool IsWorkerRunning() const { return m_worker.HasThread(); }
  // The sheet (a packed 24-bit DIB; null when none) and the pages placed on it since the last
  // UpdatePreview.
  const BITMAPINFOHEADER* GetSheet() const { return m_pSheet; }
  int GetPlacedPages() const { return m_nPlaced; }

 protected:
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnDestroy();
  afx_msg LRESULT OnPageRendered(WPARAM, LPARAM);
  DECLARE_MESSAGE_MAP()

 private:
  CLockedQueue<CRenderRequest> m_requests;
  CLockedQueue<CRenderedPage> m_results;
  BITMAPINFOHEADER* m_pSheet = nullptr;
  Quirebook::CPublicationDoc* m_pDocument = nullptr;
  SIZE m_paper{0, 0};
  int m_nPlaced = 0;
  CInsideLoadingThread m_worker;
};
