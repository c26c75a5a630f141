// The render queues between the user-interface thread and a page-render worker, and the timed
// wait used on them.
//
// A queue is a first-in first-out list guarded by its own lock; a condition variable wakes the
// consumer. The lock is held only for the list operation itself, never while rendering. Every
// take looks at the list under the lock, so a Clear between a producer's Push and a consumer's
// wake-up can never hand out an item that is no longer there.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include <windows.h>

namespace Quirebook {
class CDrawingPage;
}

// A point in time on the monotonic clock: whole seconds and microseconds since the clock's
// start. Wall-clock changes and midnight do not move it.
struct Deadline {
  int32_t seconds = 0;
  int32_t microseconds = 0;
};

// The milliseconds left until `deadline` at `now` (borrowing a second when the microseconds fall
// below zero; the microseconds' remainder is cut toward zero). A deadline that has passed gives
// 0. No deadline (null) gives kNoDeadlineMs.
constexpr int32_t kNoDeadlineMs = 0x7FFFFFFF;
int32_t MillisecondsUntil(const Deadline* deadline, const Deadline& now);
// The monotonic clock now, and `ms` milliseconds after now.
Deadline MonotonicNow();
Deadline DeadlineAfter(int32_t ms);

// Results of the queue operations.
constexpr int kQueueOk = 0;
constexpr int kQueueTimedOut = -1;   // WaitUntilDeadline: nothing came before the deadline
constexpr int kQueueEmpty = -5;      // TryPop: nothing queued
constexpr int kQueueWaitFailed = -11;  // PopWait: nothing came within the wait

// One page asked of the worker: the sheet that asked (-1 in a stop request), the cell the page
// must fit in pixels, and the page (null = stop).
struct CRenderRequest {
  int32_t nSheet = -1;
  float fCellWidth = 0.0f;
  float fCellHeight = 0.0f;
  Quirebook::CDrawingPage* pPage = nullptr;
};

// One page rendered: the request's fields and a packed 24-bit DIB, or null when no image could
// be made (the cell then stays white). Whoever takes it from the queue owns pDib (delete[]).
struct CRenderedPage {
  int32_t nSheet = -1;
  float fCellWidth = 0.0f;
  float fCellHeight = 0.0f;
  Quirebook::CDrawingPage* pPage = nullptr;
  BITMAPINFOHEADER* pDib = nullptr;
};

// What Clear does with an item it drops: requests own nothing, results own their image.
inline void ReleaseQueuedItem(CRenderRequest&) {}
inline void ReleaseQueuedItem(CRenderedPage& page) {
  delete[] page.pDib;
  page.pDib = nullptr;
}

template <class T>
class CLockedQueue {
 public:
  CLockedQueue() = default;
  // Frees what the remaining items own (nobody can take them any more).
  ~CLockedQueue() { Clear(); }
  CLockedQueue(const CLockedQueue&) = delete;
  CLockedQueue& operator=(const CLockedQueue&) = delete;

  void Push(const T& item) {
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_items.push_back(item);
    }
    m_itemsCame.notify_all();
  }

  // Waits until an item is queued or the deadline passes (none: kNoDeadlineMs), then takes the
  // first item. kQueueWaitFailed when nothing came.
  int PopWait(T& out, const Deadline* deadline = nullptr) {
    std::unique_lock<std::mutex> lock(m_lock);
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(MillisecondsUntil(deadline, MonotonicNow()));
    if (!m_itemsCame.wait_until(lock, until, [this] { return !m_items.empty(); })) return kQueueWaitFailed;
    out = m_items.front();
    m_items.pop_front();
    return kQueueOk;
  }

  // Takes the first item at once; kQueueEmpty when there is none.
  int TryPop(T& out) {
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_items.empty()) return kQueueEmpty;
    out = m_items.front();
    m_items.pop_front();
    return kQueueOk;
  }

  // Drops every queued item (freeing what it owns) and returns how many; never blocks on a
  // consumer.
  int Clear() {
    std::deque<T> dropped;
    {
      std::lock_guard<std::mutex> lock(m_lock);
      dropped.swap(m_items);
    }
    for (T& item : dropped) ReleaseQueuedItem(item);
    return static_cast<int>(dropped.size());
  }

  int Count() const {
    std::lock_guard<std::mutex> lock(m_lock);
    return static_cast<int>(m_items.size());
  }

  // Waits for an item without taking it: 0 when one is queued before the deadline, -1 otherwise.
  int WaitUntilDeadline(const Deadline* deadline) {
    std::unique_lock<std::mutex> lock(m_lock);
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(MillisecondsUntil(deadline, MonotonicNow()));
    return m_itemsCame.wait_until(lock, until, [this] { return !m_items.empty(); }) ? kQueueOk : kQueueTimedOut;
  }

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_itemsCame;
  std::deque<T> m_items;
};
