// The worker thread base, the render queues and the page-render worker, headless.
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <BitmapCreator.h>
#include <InsideLoadingThread.h>
#include <gdiplus.h>
#include <quirebook/PublicationDoc.h>

#include "PrintTestKit.h"

namespace {

// ---- the thread base ------------------------------------------------------------------------

class CountingWorker : public CQorBaseThread {
 public:
  ~CountingWorker() override { Stop(); }
  std::atomic<int> prepared{0}, runs{0}, stops{0}, cleanups{0};
  bool prepareResult = true;
  bool prepareThrows = false;
  bool runThrows = false;
  DWORD runResult = 7;

 protected:
  bool Prepare() override {
    ++prepared;
    if (prepareThrows) throw std::runtime_error("prepare");
    return prepareResult;
  }
  DWORD Run() override {
    ++runs;
    if (runThrows) throw std::runtime_error("run");
    std::unique_lock<std::mutex> lock(m);
    cv.wait(lock, [this] { return stopAsked; });
    stopAsked = false;
    return runResult;
  }
  void RequestStop() override {
    ++stops;
    std::lock_guard<std::mutex> lock(m);
    stopAsked = true;
    cv.notify_all();
  }
  void Cleanup() override { ++cleanups; }

 private:
  std::mutex m;
  std::condition_variable cv;
  bool stopAsked = false;
};

TEST(QorBaseThread, StartStopCycles) {
  {  // Start twice: one thread, the second start answers true at once; a stopped worker restarts.
    CountingWorker w;
    ASSERT_TRUE(CQorBaseThread::Start(&w));
    EXPECT_TRUE(CQorBaseThread::Start(&w));
    EXPECT_EQ(w.prepared, 1);
    w.Stop();
    EXPECT_EQ(w.runs, 1);
    EXPECT_EQ(w.GetState(), CQorBaseThread::kFinished);
    EXPECT_EQ(w.GetExitCode(), 7u);
    EXPECT_FALSE(w.HasThread());
    ASSERT_TRUE(CQorBaseThread::Start(&w));
    w.Stop();
    EXPECT_EQ(w.runs, 2);
    EXPECT_EQ(w.cleanups, 2);
  }
  {  // Stop on a worker that never ran only cleans up.
    CountingWorker w;
    w.Stop();
    EXPECT_EQ(w.stops, 0);
    EXPECT_EQ(w.cleanups, 1);
    EXPECT_EQ(w.GetState(), CQorBaseThread::kNeverRun);
  }
  {  // Prepare false: no thread; Prepare throwing: no thread and a clean-up.
    CountingWorker w;
    w.prepareResult = false;
    EXPECT_FALSE(CQorBaseThread::Start(&w));
    EXPECT_FALSE(w.HasThread());
    EXPECT_EQ(w.cleanups, 0);
    w.prepareResult = true;
    w.prepareThrows = true;
    EXPECT_FALSE(CQorBaseThread::Start(&w));
    EXPECT_FALSE(w.HasThread());
    EXPECT_EQ(w.cleanups, 1);
    w.prepareThrows = false;  // and a later start works
    EXPECT_TRUE(CQorBaseThread::Start(&w));
  }
  {  // An exception in Run ends the thread quietly: state finished, exit code 0.
    CountingWorker w;
    w.runThrows = true;
    ASSERT_TRUE(CQorBaseThread::Start(&w));
    while (w.GetState() != CQorBaseThread::kFinished) std::this_thread::yield();
    w.Stop();
    EXPECT_EQ(w.GetExitCode(), 0u);
  }
}

// ---- the queues -----------------------------------------------------------------------------

TEST(LockedQueue, TakesInOrderAndAnswersAtOnceWhenEmpty) {
  CLockedQueue<CRenderRequest> q;
  CRenderRequest r;
  EXPECT_EQ(q.TryPop(r), kQueueEmpty);
  const Deadline past = DeadlineAfter(0);
  EXPECT_EQ(q.PopWait(r, &past), kQueueWaitFailed);
  EXPECT_EQ(q.WaitUntilDeadline(&past), kQueueTimedOut);
  for (int i = 0; i < 3; ++i) q.Push(CRenderRequest{i, 1.0f, 2.0f, nullptr});
  EXPECT_EQ(q.Count(), 3);
  EXPECT_EQ(q.WaitUntilDeadline(&past), kQueueOk);
  ASSERT_EQ(q.PopWait(r), kQueueOk);
  EXPECT_EQ(r.nSheet, 0);
  ASSERT_EQ(q.TryPop(r), kQueueOk);
  EXPECT_EQ(r.nSheet, 1);
  EXPECT_EQ(q.Clear(), 1);
  EXPECT_EQ(q.TryPop(r), kQueueEmpty);  // what was cleared is never handed out
}

TEST(LockedQueue, ClearFreesResultImagesAndKeepsAWaitingConsumerWaiting) {
  CLockedQueue<CRenderedPage> q;
  for (int i = 0; i < 4; ++i) q.Push(CRenderedPage{i, 1, 1, nullptr, CBitmapCreator::CreateDibImage(8, 8, 24, 0)});
  EXPECT_EQ(q.Clear(), 4);  // the images are freed (the leak checker of the sanitizer build sees it)

  // A consumer blocked in PopWait sees neither a spurious item nor loses the next real one.
  std::atomic<int> got{-100};
  std::atomic<bool> waiting{false};
  std::thread consumer([&] {
    CRenderedPage p;
    waiting = true;
    if (q.PopWait(p) == kQueueOk) got = p.nSheet;
    delete[] p.pDib;
  });
  while (!waiting) std::this_thread::yield();
  q.Push(CRenderedPage{-1, 0, 0, nullptr, CBitmapCreator::CreateDibImage(2, 2, 24, 0)});
  q.Clear();  // may or may not come before the consumer's take
  q.Push(CRenderedPage{42, 0, 0, nullptr, nullptr});
  consumer.join();
  EXPECT_TRUE(got == -1 || got == 42) << got;
  if (got == -1) EXPECT_EQ(q.Count(), 1);
  q.Clear();
}

TEST(LockedQueue, ConcurrentPushClearAndTryPopAccountForEveryItem) {
  // A producer pushes, another thread clears now and then, a consumer takes with TryPop: every
  // item is either taken once or dropped once; a take never finds a cleared item.
  CLockedQueue<CRenderRequest> q;
  constexpr int kItems = 20000;
  std::atomic<int> dropped{0}, taken{0};
  std::atomic<bool> done{false};
  std::thread producer([&] {
    for (int i = 0; i < kItems; ++i) q.Push(CRenderRequest{i, 0, 0, nullptr});
    done = true;
  });
  std::thread clearer([&] {
    while (!done) {
      dropped += q.Clear();
      std::this_thread::yield();
    }
  });
  int last = -1;
  bool ordered = true;
  CRenderRequest r;
  while (!done || q.Count() > 0) {
    if (q.TryPop(r) == kQueueOk) {
      ++taken;
      ordered = ordered && r.nSheet > last;
      last = r.nSheet;
    }
  }
  producer.join();
  clearer.join();
  dropped += q.Clear();
  EXPECT_TRUE(ordered);
  EXPECT_EQ(taken + dropped, kItems);
}

TEST(Deadline, MillisecondsLeftByTable) {
  struct Case {
    Deadline deadline, now;
    int32_t ms;
  } cases[] = {
      {{10, 500000}, {9, 900000}, 600},     // borrows a second
      {{10, 900000}, {10, 100000}, 800},
      {{10, 0}, {10, 0}, 0},
      {{10, 1500}, {10, 0}, 1},             // microseconds cut toward zero
      {{9, 0}, {10, 0}, 0},                 // passed: no wait at all
      {{0, 0}, {86399, 900000}, 0},         // a deadline "before" now is never a near-day wait
      {{0x7FFFFFFF, 0}, {0, 0}, kNoDeadlineMs},  // capped
  };
  for (const Case& c : cases)
    EXPECT_EQ(MillisecondsUntil(&c.deadline, c.now), c.ms) << c.deadline.seconds << "." << c.deadline.microseconds;
  EXPECT_EQ(MillisecondsUntil(nullptr, Deadline{}), kNoDeadlineMs);
  // Deadlines are on the monotonic clock: one made now for 50 ms is never further away; one in
  // the past is due at once, its microseconds kept in range.
  const Deadline d = DeadlineAfter(50);
  const int32_t left = MillisecondsUntil(&d, MonotonicNow());
  EXPECT_GE(left, 0);
  EXPECT_LE(left, 50);
  for (int32_t ms : {-1, -999, -1500, 1999}) {
    const Deadline e = DeadlineAfter(ms);
    EXPECT_GE(e.microseconds, 0) << ms;
    EXPECT_LT(e.microseconds, 1000000) << ms;
    if (ms < 0) EXPECT_EQ(MillisecondsUntil(&e, MonotonicNow()), 0) << ms;
  }
}

// ---- the page-render worker -------------------------------------------------------------------

BYTE* PixelAt(BITMAPINFOHEADER* dib, int x, int y) {  // y from the top
  const int stride = ((24 * dib->biWidth + 31) / 32) * 4;
  return reinterpret_cast<BYTE*>(dib) + dib->biSize + static_cast<size_t>(stride) * (dib->biHeight - 1 - y) + 3 * x;
}

// Runs one request through a started worker and waits for its result.
CRenderedPage RenderOne(CInsideLoadingThreadEx& w, CDrawingPage* page, float cw, float ch) {
  w.Requests().Push(CRenderRequest{3, cw, ch, page});
  CRenderedPage out;
  const Deadline d = DeadlineAfter(30000);  // an unanswered request fails here instead of hanging
  EXPECT_EQ(w.Results().PopWait(out, &d), kQueueOk);
  return out;
}

TEST(InsideLoadingThread, ImageSizesByTable) {
  struct Case {
    const char* name;
    bool print;
    float docW, docH, pageW, pageH, cellW, cellH;
    int w, h;
  } cases[] = {
      {"preview never enlarges", false, 100, 100, 100, 100, 400, 400, 100, 100},
      {"printing fills a larger cell", true, 100, 100, 100, 100, 400, 400, 400, 400},
      {"preview shrinks to the narrower side", false, 200, 100, 200, 100, 100, 100, 100, 50},
      {"a smaller page keeps its relative size", false, 200, 100, 100, 50, 100, 100, 50, 25},
      {"rounded half up", false, 3, 3, 3, 3, 1, 1, 1, 1},
  };
  for (const Case& c : cases) {
    const float s = PageRenderScale(c.docW, c.docH, c.cellW, c.cellH, c.print);
    int w = 0, h = 0;
    PageImageSize(c.pageW, c.pageH, s, w, h);
    EXPECT_EQ(w, c.w) << c.name;
    EXPECT_EQ(h, c.h) << c.name;
  }
  EXPECT_EQ(PageRenderScale(0, 100, 10, 10, false), 0.0f);
  EXPECT_EQ(PageRenderScale(100, 100, 0, 10, true), 0.0f);
}

TEST(InsideLoadingThread, RendersLazyPagesAndAnswersEveryRequest) {
  FakeDoc fx({{40, 20}, {20, 10}, {4000000, 4000000}});
  CInsideLoadingThreadEx w;
  EXPECT_FALSE(CQorBaseThread::Start(&w));  // no document: no start
  w.m_pDocument = &fx.doc;
  std::atomic<int> notified{0};
  w.m_notify = [&] { ++notified; };
  ASSERT_TRUE(CQorBaseThread::Start(&w));

  {  // A lazy page is loaded for the drawing and emptied again; its left half is black.
    CRenderedPage r = RenderOne(w, fx.Page(0), 40, 40);
    ASSERT_NE(r.pDib, nullptr);
    EXPECT_EQ(r.nSheet, 3);
    EXPECT_EQ(r.pPage, fx.Page(0));
    EXPECT_EQ(r.pDib->biWidth, 40);
    EXPECT_EQ(r.pDib->biHeight, 20);
    EXPECT_EQ(r.pDib->biBitCount, 24);
    EXPECT_EQ(PixelAt(r.pDib, 5, 2)[0], 0);      // top-left: black box
    EXPECT_EQ(PixelAt(r.pDib, 35, 17)[1], 255);  // bottom-right: white
    EXPECT_EQ(fx.Page(0)->IsPageContentLoaded(), 0);
    EXPECT_EQ(fx.Page(0)->GetRenderObjectList().GetCount(), 0);
    EXPECT_EQ(fx.source->loads, 1);
    delete[] r.pDib;
  }
  {  // A page that is loaded stays loaded.
    ASSERT_TRUE(fx.Page(1)->LoadPageContent(&fx.doc));
    CRenderedPage r = RenderOne(w, fx.Page(1), 40, 40);
    ASSERT_NE(r.pDib, nullptr);
    EXPECT_EQ(r.pDib->biWidth, 20);  // half the document's width: same scale as page 0
    EXPECT_EQ(fx.Page(1)->IsPageContentLoaded(), 1);
    delete[] r.pDib;
  }
  {  // A page that fails to load comes out white at its size.
    fx.source->fail = true;
    fx.Page(1)->Clear();
    fx.Page(1)->SetPageContentLoaded(0);
    CRenderedPage r = RenderOne(w, fx.Page(1), 40, 40);
    ASSERT_NE(r.pDib, nullptr);
    EXPECT_EQ(PixelAt(r.pDib, 2, 2)[0], 255);
    delete[] r.pDib;
    fx.source->fail = false;
  }
  {  // A page whose image cannot be made is answered without image, and the worker goes on.
    CRenderedPage r = RenderOne(w, fx.Page(2), 4000000, 4000000);
    EXPECT_EQ(r.pDib, nullptr);
    EXPECT_EQ(r.pPage, fx.Page(2));
    CRenderedPage next = RenderOne(w, fx.Page(0), 8, 8);
    EXPECT_NE(next.pDib, nullptr);
    delete[] next.pDib;
  }
  w.Stop();
  EXPECT_EQ(notified, 5);
  EXPECT_FALSE(w.HasThread());
}

TEST(InsideLoadingThread, StopDropsWaitingRequestsAfterThePageInHand) {
  FakeDoc fx({{10, 10}});
  fx.source->gate = true;
  CInsideLoadingThreadEx w;
  w.m_pDocument = &fx.doc;
  std::atomic<int> notified{0};
  w.m_notify = [&] { ++notified; };
  ASSERT_TRUE(CQorBaseThread::Start(&w));
  for (int i = 0; i < 20; ++i) w.Requests().Push(CRenderRequest{0, 10, 10, fx.Page(0)});
  fx.source->WaitEntered();  // the first page is in hand
  std::thread stopper([&] { w.Stop(); });
  while (w.Requests().Count() > 1) std::this_thread::yield();  // dropped, the stop request queued
  fx.source->Open();
  stopper.join();
  EXPECT_EQ(notified, 1);
  EXPECT_EQ(fx.source->loads, 1);
  EXPECT_EQ(w.Results().Count(), 0);  // Stop's clean-up freed the result
}

TEST(InsideLoadingThread, DestroyedWhileRunningStopsFirst) {
  FakeDoc fx({{10, 10}});
  auto w = std::make_unique<CInsideLoadingThreadEx>();
  w->m_pDocument = &fx.doc;
  ASSERT_TRUE(CQorBaseThread::Start(w.get()));
  for (int i = 0; i < 5; ++i) w->Requests().Push(CRenderRequest{0, 10, 10, fx.Page(0)});
  w.reset();  // joins the thread before the queues go
  SUCCEED();
}

TEST(InsideLoadingThread, ThousandRequestsComeBackInOrder) {
  FakeDoc fx({{8, 8}, {4, 4}});
  CInsideLoadingThreadEx w;
  w.m_pDocument = &fx.doc;
  ASSERT_TRUE(CQorBaseThread::Start(&w));
  constexpr int kRequests = 1000;
  std::thread producer([&] {
    for (int i = 0; i < kRequests; ++i) w.Requests().Push(CRenderRequest{i, 4, 4, fx.Page(i % 2)});
  });
  int expected = 0;
  bool inOrder = true, allImages = true;
  while (expected < kRequests) {
    CRenderedPage r;
    const Deadline d = DeadlineAfter(60000);
    ASSERT_EQ(w.Results().PopWait(r, &d), kQueueOk) << "lost after " << expected;
    inOrder = inOrder && r.nSheet == expected && r.pPage == fx.Page(expected % 2);
    allImages = allImages && r.pDib;
    delete[] r.pDib;
    ++expected;
  }
  producer.join();
  w.Stop();
  EXPECT_TRUE(inOrder);
  EXPECT_TRUE(allImages);
  EXPECT_EQ(fx.source->loads, kRequests);
}

}  // namespace
