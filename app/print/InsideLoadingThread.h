// The page-render worker: takes render requests from one queue, draws each page into a packed
// 24-bit DIB that fits the request's cell, and pushes the result onto another queue.
//
// The preview scales every page by one factor (the document's largest page fitted into the cell)
// and never enlarges; printing may enlarge. A page that is not loaded is loaded for the drawing
// and emptied again, so the worker holds at most one such page. Loading, drawing and emptying a
// page run under the document's content lock. A page image that cannot be made is answered with
// a result without image (the consumer leaves that cell white), so nobody waits for it for ever.
#pragma once

#include <functional>

#include "QorBaseThread.h"
#include "RenderQueues.h"

namespace Quirebook {
class CPublicationDoc;
}

// The factor that fits a document of docW x docH into a cell of cellW x cellH (the smaller of the
// two ratios), capped at 1 unless printing; 0 for an empty document or cell.
float PageRenderScale(float docW, float docH, float cellW, float cellH, bool bPrintMode);
// The image size of a page of pageW x pageH at `scale`: each side rounded half up.
void PageImageSize(float pageW, float pageH, float scale, int& width, int& height);

// Draws one page as the worker does, fitted into a cell of cellW x cellH by the document's scale
// (white background), loading and emptying it again when it is not loaded; all of it under the
// document's content lock. Null when the image cannot be made.
BITMAPINFOHEADER* RenderPageImage(Quirebook::CPublicationDoc* doc, Quirebook::CDrawingPage* page, float cellW,
                                  float cellH, bool bPrintMode);

class CInsideLoadingThread : public CQorBaseThread {
 public:
  CInsideLoadingThread() = default;
  ~CInsideLoadingThread() override;

  bool m_bPrintMode = false;
  CLockedQueue<CRenderRequest>* m_pRequests = nullptr;
  CLockedQueue<CRenderedPage>* m_pResults = nullptr;
  // Called on the worker thread after each result was pushed (a thread-safe post to the owner).
  std::function<void()> m_notify;
  // The document whose pages are drawn; set by the owner before Start (no document: no start).
  Quirebook::CPublicationDoc* m_pDocument = nullptr;

 protected:
  bool Prepare() override;
  DWORD Run() override;
  // Drops the waiting requests and queues the stop request: the worker ends after the page in hand.
  void RequestStop() override;
  void Cleanup() override;
};

// The worker with queues of its own (printing).
class CInsideLoadingThreadEx : public CInsideLoadingThread {
 public:
  CInsideLoadingThreadEx();
  ~CInsideLoadingThreadEx() override;

  CLockedQueue<CRenderRequest>& Requests() { return m_ownRequests; }
  CLockedQueue<CRenderedPage>& Results() { return m_ownResults; }

 private:
  CLockedQueue<CRenderRequest> m_ownRequests;
  CLockedQueue<CRenderedPage> m_ownResults;
};
