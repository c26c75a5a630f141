#include "PrintJob.h"

#include <algorithm>
#include <memory>

#include <BitmapCreator.h>
#include <QorObjImage.h>
#include <QorPixelFilters.h>
#include <quirebook/PublicationDoc.h>

#include "InsideLoadingThread.h"
#include "PrintLayout.h"

namespace {

using QorPixelmill::CQorObjImage;
using QorPixelmill::CQorPixelFillColor;

void FillWhite(BITMAPINFOHEADER* dib) {
  CQorObjImage image;
  image.Attach(dib);
  CQorPixelFillColor white(RGBQUAD{255, 255, 255, 0}, -1);
  image.SinglePixelProcessProc(white, nullptr);
  image.Detch();
}

void CoverBlock(BITMAPINFOHEADER* sheet, BITMAPINFOHEADER* page, POINT at) {
  CQorObjImage dst, src;
  dst.Attach(sheet);
  src.Attach(page);
  dst.CoverBlock(src, at.x, at.y);
  src.Detch();
  dst.Detch();
}

}  // namespace

int RequestsToTopUp(int queued, int perSheet, int remaining) {
  const int limit = 2 * std::max(perSheet, 1);
  if (queued > limit || remaining <= 0) return 0;
  return std::min(remaining, limit - queued + 1);
}

int TakeRenderedPage(CLockedQueue<CRenderedPage>& results, const CQorBaseThread& worker, CRenderedPage& out,
                     int32_t maxWaitMs) {
  // Short waits, so that a worker that ended is noticed within one of them.
  constexpr int32_t kSliceMs = 100;
  const Deadline end = DeadlineAfter(std::max<int32_t>(maxWaitMs, 0));
  for (;;) {
    const bool running = worker.HasThread() && worker.GetState() == CQorBaseThread::kRunning;
    if (results.TryPop(out) == kQueueOk) return kQueueOk;
    if (!running) return kQueueWaitFailed;  // whatever it pushed before ending was taken above
    const int32_t left = MillisecondsUntil(&end, MonotonicNow());
    if (left <= 0) return kQueueWaitFailed;
    const Deadline slice = DeadlineAfter(std::min(left, kSliceMs));
    if (results.PopWait(out, &slice) == kQueueOk) return kQueueOk;
  }
}

int PrintSheets(Quirebook::CPublicationDoc* doc, const CPrintLayout& layout, HDC hdc, const DOCINFOW& info) {
  if (!doc || !hdc) return -1;
  std::vector<Quirebook::CDrawingPage*> pages;
  for (int index : layout.pages)
    if (Quirebook::CDrawingPage* page = doc->GetDrawingPage(index)) pages.push_back(page);
  const int columns = std::max(1, layout.nColumns), rows = std::max(1, layout.nRows);
  const int perSheet = rows * columns;
  const int sheets = SheetCount(static_cast<int>(pages.size()), perSheet);
  if (sheets == 0) return 0;

  const int width = GetDeviceCaps(hdc, HORZRES), height = GetDeviceCaps(hdc, VERTRES);
  std::unique_ptr<BITMAPINFOHEADER[]> sheet(CBitmapCreator::CreateDibImage(width, height, 24, 0));
  if (!sheet) return -1;
  const float cw = static_cast<float>(width) / columns, ch = static_cast<float>(height) / rows;

  CInsideLoadingThreadEx worker;
  worker.m_bPrintMode = true;
  worker.m_pDocument = doc;
  if (!CQorBaseThread::Start(&worker)) return -1;
  if (StartDocW(hdc, &info) <= 0) {
    worker.Stop();
    return -1;
  }

  size_t next = 0;
  bool ok = true;
  for (int s = 0; s < sheets && ok; ++s) {
    // Keep the worker up to two sheets ahead of the printer.
    int add = RequestsToTopUp(worker.Requests().Count(), perSheet, static_cast<int>(pages.size() - next));
    for (; add > 0; --add, ++next)
      worker.Requests().Push(CRenderRequest{static_cast<int32_t>(next / perSheet), cw, ch, pages[next]});
    if (StartPage(hdc) <= 0) {
      ok = false;
      break;
    }
    FillWhite(sheet.get());
    const size_t base = static_cast<size_t>(s) * perSheet;
    for (int k = 0; k < perSheet && base + k < pages.size(); ++k) {
      // The worker answers every request (without image when none could be made); a worker that
      // ended, or one that answers nothing for a long time, abandons the job.
      CRenderedPage r;
      if (TakeRenderedPage(worker.Results(), worker, r) != kQueueOk) {
        ok = false;
        break;
      }
      if (r.nSheet == s && r.pDib)
        CoverBlock(sheet.get(), r.pDib, CellImageOrigin(r.fCellWidth, r.fCellHeight, k, columns, r.pDib->biWidth,
                                                        r.pDib->biHeight));
      delete[] r.pDib;
    }
    if (!ok) break;
    const BYTE* bits = reinterpret_cast<const BYTE*>(sheet.get()) + sheet[0].biSize;
    SetDIBitsToDevice(hdc, 0, 0, width, height, 0, 0, 0, height, bits, reinterpret_cast<const BITMAPINFO*>(sheet.get()),
                      DIB_RGB_COLORS);
    if (EndPage(hdc) <= 0) ok = false;
  }
  worker.Stop();
  if (!ok) {
    AbortDoc(hdc);
    return -1;
  }
  return EndDoc(hdc) > 0 ? sheets : -1;
}
