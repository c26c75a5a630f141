// The handle table and the cross-thread queue without a toolkit: the test thread plays the
// user-interface thread and handles messages when it chooses to.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "msgqueue.h"

namespace {

using namespace std::chrono;
using lwwnd::MessageQueue;

// A queue whose handler records messages and can be made to block until released.
struct Harness {
  std::mutex lock;
  std::vector<std::pair<UINT, WPARAM>> seen;
  std::atomic<int> wakes{0};
  std::atomic<bool> handlerRunning{false};
  std::atomic<bool> releaseHandler{true};
  HWND gone = reinterpret_cast<HWND>(0x99);
  MessageQueue queue{[this](HWND h, UINT m, WPARAM w, LPARAM l, LRESULT* r) {
                       if (h == gone) return false;
                       handlerRunning = true;
                       while (!releaseHandler) std::this_thread::yield();
                       {
                         std::lock_guard<std::mutex> g(lock);
                         seen.emplace_back(m, w);
                       }
                       *r = static_cast<LRESULT>(w + l);
                       handlerRunning = false;
                       return true;
                     },
                     [this] { ++wakes; }};

  // Handles messages until cond holds (bounded).
  template <class Cond>
  bool PumpUntil(Cond cond) {
    for (int i = 0; i < 200000 && !cond(); ++i)
      if (!queue.ProcessOne()) std::this_thread::yield();
    return cond();
  }
};

const HWND kWnd = reinterpret_cast<HWND>(0x10);

TEST(HandleTable, HandlesAreNeverReusedAndStaleOnesFail) {
  auto& t = lwwnd::HandleTable::Instance();
  CWnd* fake = reinterpret_cast<CWnd*>(0x1234);
  const HWND a = t.Add(fake);
  t.Remove(a);
  const HWND b = t.Add(fake);
  EXPECT_NE(a, b);
  EXPECT_FALSE(t.IsLive(a));
  EXPECT_TRUE(t.IsLive(b));
  EXPECT_EQ(t.Lookup(a), nullptr);
  EXPECT_FALSE(t.IsLive(nullptr));
  // Any thread may ask whether it lives; only the user-interface thread gets the object.
  t.SetUIThread(std::this_thread::get_id());
  EXPECT_EQ(t.Lookup(b), fake);
  bool liveElsewhere = false;
  CWnd* objectElsewhere = fake;
  std::thread([&] {
    liveElsewhere = t.IsLive(b);
    objectElsewhere = t.Lookup(b);
  }).join();
  EXPECT_TRUE(liveElsewhere);
  EXPECT_EQ(objectElsewhere, nullptr);
  t.Remove(b);
}

TEST(MessageQueue, PostsFromAnotherThreadArriveInOrderOnePerWake) {
  Harness h;
  std::thread worker([&] {
    for (WPARAM i = 0; i < 20; ++i) EXPECT_TRUE(h.queue.Post(kWnd, 2056, i, 0));
  });
  worker.join();
  EXPECT_EQ(h.wakes.load(), 20);
  EXPECT_TRUE(h.queue.ProcessOne());
  EXPECT_EQ(h.seen.size(), 1u);  // one message per call
  ASSERT_TRUE(h.PumpUntil([&] { return h.seen.size() == 20; }));
  for (WPARAM i = 0; i < 20; ++i) EXPECT_EQ(h.seen[i].second, i);
  EXPECT_FALSE(h.queue.ProcessOne());
}

TEST(MessageQueue, SendReturnsTheHandlersResult) {
  Harness h;
  LRESULT ok = 0;
  DWORD_PTR result = 0;
  std::thread worker([&] { ok = h.queue.Send(kWnd, 2101, 5, 6, SMTO_BLOCK, 5000, &result); });
  ASSERT_TRUE(h.PumpUntil([&] { return h.seen.size() == 1; }));
  worker.join();
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(result, 11u);
}

TEST(MessageQueue, SendNotStartedInTimeIsCancelledAndNeverDelivered) {
  Harness h;
  LRESULT ok = 1;
  DWORD error = 0;
  steady_clock::duration waited{};
  std::thread worker([&] {
    const auto t0 = steady_clock::now();
    ok = h.queue.Send(kWnd, 2101, 1, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 50, nullptr);
    waited = steady_clock::now() - t0;
    error = GetLastError();
  });
  worker.join();  // nobody handles messages meanwhile
  EXPECT_EQ(ok, 0);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_TIMEOUT));
  EXPECT_GE(waited, milliseconds(50));
  EXPECT_FALSE(h.queue.ProcessOne());  // the cancelled message is dropped
  EXPECT_TRUE(h.seen.empty());
  EXPECT_EQ(h.queue.Pending(), 0u);
}

TEST(MessageQueue, SendWhoseHandlerRunsPastTheTimeOutWaitsForIt) {
  Harness h;
  h.releaseHandler = false;
  LRESULT ok = 0;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    ok = h.queue.Send(kWnd, 2101, 2, 0, SMTO_BLOCK, 50, nullptr);
    returned = true;
  });
  std::thread ui([&] { h.PumpUntil([&] { return !h.seen.empty(); }); });
  while (!h.handlerRunning) std::this_thread::yield();
  // The handler has started and is held: the sender must still be waiting, well past 50 ms.
  const auto t0 = steady_clock::now();
  while (steady_clock::now() - t0 < milliseconds(150)) std::this_thread::yield();
  EXPECT_FALSE(returned.load());
  h.releaseHandler = true;
  ui.join();
  worker.join();
  EXPECT_EQ(ok, 1);
}

TEST(MessageQueue, FailuresAndShutdown) {
  Harness h;
  // A window that went away before its message was handled. The result is written by the
  // sender while this thread polls it.
  std::atomic<LRESULT> ok{1};
  DWORD error = 0;
  std::thread worker([&] {
    ok = h.queue.Send(h.gone, 2101, 0, 0, SMTO_BLOCK, 5000, nullptr);
    error = GetLastError();
  });
  ASSERT_TRUE(h.PumpUntil([&] { return ok == 0; }));
  worker.join();
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));

  // Shutdown wakes a sender that waits without time-out and refuses later messages.
  std::atomic<bool> done{false};
  std::thread waiter([&] {
    ok = h.queue.Send(kWnd, 2101, 0, 0, SMTO_NORMAL, INFINITE, nullptr);
    done = true;
  });
  while (h.queue.Pending() == 0) std::this_thread::yield();
  h.queue.Shutdown();
  waiter.join();
  EXPECT_TRUE(done.load());
  EXPECT_EQ(ok.load(), 0);
  EXPECT_FALSE(h.queue.Post(kWnd, 2056, 0, 0));
  EXPECT_TRUE(h.seen.empty());
}

}  // namespace
