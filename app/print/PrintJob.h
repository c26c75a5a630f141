// Printing several pages on one sheet: the pages are rendered at cell size by a worker thread
// ahead of the printer (up to two sheets), pasted into one 24-bit sheet bitmap of the paper's
// size and sent to the printer context one sheet at a time.
#pragma once

#include <cstdint>
#include <vector>

#include <windows.h>
#include <winspool.h>

namespace Quirebook {
class CPublicationDoc;
}

// The print layout a job prints: rows x columns pages per sheet and the pages (0-based indices
// into the document's pages) in printing order.
struct CPrintLayout {
  int nRows = 1;
  int nColumns = 1;
  std::vector<int> pages;
};

// How many requests to add so that the worker keeps up to two sheets ahead: requests are added
// while no more than 2 x perSheet are queued, one more than that at most, and no more than
// remain.
int RequestsToTopUp(int queued, int perSheet, int remaining);

// Takes the next rendered page for the printer. The wait is bounded: it gives up as soon as the
// worker has ended with nothing left to take (a worker that failed answers no more requests), and
// after maxWaitMs without a result in any case. kQueueOk, else kQueueWaitFailed.
class CQorBaseThread;
template <class T>
class CLockedQueue;
struct CRenderedPage;
constexpr int32_t kPrintResultWaitMs = 120000;
int TakeRenderedPage(CLockedQueue<CRenderedPage>& results, const CQorBaseThread& worker, CRenderedPage& out,
                     int32_t maxWaitMs = kPrintResultWaitMs);

// Prints `layout` of doc onto the printer context hdc as one document described by info
// (lpszOutput names a file to print into). Returns the sheets printed, or -1 when the document
// could not be started, written or handed on; 0 when there is nothing to print (no document is
// started then). Page indices out of range are skipped.
int PrintSheets(Quirebook::CPublicationDoc* doc, const CPrintLayout& layout, HDC hdc, const DOCINFOW& info);
