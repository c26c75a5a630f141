#include "InsideLoadingThread.h"

#include <cmath>
#include <cstring>

#include <BitmapCreator.h>
#include <gdiplus.h>
#include <quirebook/PublicationDoc.h>

float PageRenderScale(float docW, float docH, float cellW, float cellH, bool bPrintMode) {
  if (!(docW > 0.0f) || !(docH > 0.0f) || !(cellW > 0.0f) || !(cellH > 0.0f)) return 0.0f;
  float s = std::min(cellW / docW, cellH / docH);
  if (!bPrintMode && s > 1.0f) s = 1.0f;
  return std::isfinite(s) ? s : 0.0f;
}

void PageImageSize(float pageW, float pageH, float scale, int& width, int& height) {
  auto side = [](double v) {
    if (!(v > 0.0) || v >= 1e9) return 0;
    return static_cast<int>(v + 0.5);
  };
  width = side(static_cast<double>(pageW) * scale);
  height = side(static_cast<double>(pageH) * scale);
}

BITMAPINFOHEADER* RenderPageImage(Quirebook::CPublicationDoc* doc, Quirebook::CDrawingPage* page, float cellW,
                                  float cellH, bool bPrintMode) {
  if (!page) return nullptr;
  // Everything about the page is read under the document's content lock: loading a page (here
  // or on another thread) sets its size and objects.
  std::unique_lock<std::recursive_mutex> lock;
  if (doc) lock = doc->LockContent();
  bool loadedHere = false;
  if (!page->IsPageContentLoaded()) loadedHere = page->LoadPageContent(doc);
  const auto docSize = doc ? doc->GetDocLogSize(Vectorloom::UNIT_PIXEL) : page->GetPageSize(Vectorloom::UNIT_PIXEL);
  const float scale = PageRenderScale(docSize.cx, docSize.cy, cellW, cellH, bPrintMode);
  const auto pageSize = page->GetPageSize(Vectorloom::UNIT_PIXEL);
  int width = 0, height = 0;
  PageImageSize(pageSize.cx, pageSize.cy, scale, width, height);
  BITMAPINFOHEADER* dib = CBitmapCreator::CreateDibImage(width, height, 24, 0);
  if (dib) {
    // The rows are bottom-up: the bitmap starts at the last stored row and runs upwards.
    const int stride = ((24 * width + 31) / 32) * 4;
    BYTE* bits = reinterpret_cast<BYTE*>(dib) + dib->biSize;
    // White first, every row whole (the drawing below only adds the page's objects).
    std::memset(bits, 0xFF, static_cast<size_t>(stride) * height);
    Gdiplus::Bitmap target(width, height, -stride, Gdiplus::PixelFormat24bppRGB,
                           bits + static_cast<size_t>(stride) * (height - 1));
    Gdiplus::Graphics g(&target);
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    Gdiplus::SolidBrush white(Gdiplus::Color(0xFFFFFFFF));
    g.FillRectangle(&white, 0, 0, width, height);
    // A page that failed to load stays white.
    if (page->IsPageContentLoaded()) {
      Gdiplus::Matrix m;
      m.Scale(scale, scale, Gdiplus::MatrixOrderAppend);
      page->DrawAllObjects(&g, m);
    }
  }
  if (loadedHere) {
    page->Clear();
    page->SetPageContentLoaded(0);
  }
  return dib;
}

CInsideLoadingThread::~CInsideLoadingThread() { Stop(); }

bool CInsideLoadingThread::Prepare() { return m_pDocument && m_pRequests && m_pResults; }

DWORD CInsideLoadingThread::Run() {
  for (;;) {
    CRenderRequest request;
    // Nothing came within the longest wait: end rather than spin.
    if (m_pRequests->PopWait(request) != kQueueOk) break;
    if (!request.pPage) break;
    CRenderedPage result;
    result.nSheet = request.nSheet;
    result.fCellWidth = request.fCellWidth;
    result.fCellHeight = request.fCellHeight;
    result.pPage = request.pPage;
    result.pDib = RenderPageImage(m_pDocument, request.pPage, request.fCellWidth, request.fCellHeight, m_bPrintMode);
    m_pResults->Push(result);
    if (m_notify) m_notify();
  }
  return 0;
}

void CInsideLoadingThread::RequestStop() {
  if (!m_pRequests) return;
  m_pRequests->Clear();
  m_pRequests->Push(CRenderRequest{-1, 0.0f, 0.0f, nullptr});
}

void CInsideLoadingThread::Cleanup() {
  if (m_pRequests) m_pRequests->Clear();
  if (m_pResults) m_pResults->Clear();
}

CInsideLoadingThreadEx::CInsideLoadingThreadEx() {
  m_pRequests = &m_ownRequests;
  m_pResults = &m_ownResults;
}

CInsideLoadingThreadEx::~CInsideLoadingThreadEx() {
  Stop();
  // The queues go with this object: the base's own Stop must not reach them.
  m_pRequests = nullptr;
  m_pResults = nullptr;
}
