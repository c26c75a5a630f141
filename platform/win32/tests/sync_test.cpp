#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "windows.h"

namespace {

// Every wait here that should succeed is bounded, so that a fault fails the test instead of
// hanging it; nothing relies on timing for its order.
constexpr DWORD kBound = 20000;

struct Queue {
  CRITICAL_SECTION lock;
  std::deque<int> items;
  HANDLE count;
  Queue() {
    InitializeCriticalSection(&lock);
    count = CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr);
  }
  ~Queue() {
    CloseHandle(count);
    DeleteCriticalSection(&lock);
  }
  void Push(int v) {
    EnterCriticalSection(&lock);
    items.push_back(v);
    LeaveCriticalSection(&lock);
    ReleaseSemaphore(count, 1, nullptr);
  }
  bool Pop(int& out) {
    if (WaitForSingleObject(count, kBound) != WAIT_OBJECT_0) return false;
    EnterCriticalSection(&lock);
    out = items.front();
    items.pop_front();
    LeaveCriticalSection(&lock);
    return true;
  }
};

constexpr int kItems = 20000;

DWORD Producer(LPVOID p) {
  auto* q = static_cast<Queue*>(p);
  for (int i = 1; i <= kItems; ++i) q->Push(i);
  q->Push(-1);  // end of work
  return 7;
}

TEST(Sync, QueueBetweenTwoThreadsKeepsEveryItemInOrder) {
  Queue q;
  ASSERT_NE(q.count, nullptr);
  HANDLE producer = CreateThread(nullptr, 0, Producer, &q, 0, nullptr);
  ASSERT_NE(producer, nullptr);
  std::vector<int> got;
  for (int v = 0; v != -1;) {
    ASSERT_TRUE(q.Pop(v)) << "after " << got.size() << " items";
    if (v != -1) got.push_back(v);
  }
  ASSERT_EQ(got.size(), static_cast<size_t>(kItems));
  for (int i = 0; i < kItems; ++i) ASSERT_EQ(got[i], i + 1);
  EXPECT_EQ(WaitForSingleObject(q.count, 0), WAIT_TIMEOUT);  // one count per item, no more
  ASSERT_EQ(WaitForSingleObject(producer, kBound), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(producer, &code));
  EXPECT_EQ(code, 7u);
  EXPECT_TRUE(CloseHandle(producer));
}

TEST(Sync, SemaphoreCounts) {
  struct Case {
    LONG initial, maximum;
    bool ok;
  } creations[] = {{0, 1, true}, {2, 2, true}, {0, 0x7FFFFFFF, true}, {3, 2, false}, {-1, 2, false}, {0, 0, false}};
  for (const auto& c : creations) {
    HANDLE h = CreateSemaphoreW(nullptr, c.initial, c.maximum, nullptr);
    EXPECT_EQ(h != nullptr, c.ok) << c.initial << "/" << c.maximum;
    if (h) CloseHandle(h);
    else EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }

  HANDLE s = CreateSemaphoreW(nullptr, 1, 3, nullptr);
  ASSERT_NE(s, nullptr);
  LONG previous = -1;
  EXPECT_TRUE(ReleaseSemaphore(s, 2, &previous));
  EXPECT_EQ(previous, 1);
  previous = -1;
  EXPECT_FALSE(ReleaseSemaphore(s, 1, &previous));  // would pass the maximum of 3
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_TOO_MANY_POSTS));
  EXPECT_EQ(previous, -1);
  EXPECT_FALSE(ReleaseSemaphore(s, 0, nullptr));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(s, 0), WAIT_TIMEOUT);
  EXPECT_EQ(WaitForSingleObject(s, 20), WAIT_TIMEOUT);
  EXPECT_TRUE(ReleaseSemaphore(s, 3, &previous));
  EXPECT_EQ(previous, 0);
  CloseHandle(s);
}

TEST(Sync, EventsManualAndAutoReset) {
  HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
  ASSERT_NE(manual, nullptr);
  ASSERT_NE(automatic, nullptr);

  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
  EXPECT_TRUE(SetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);  // made signalled
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);   // a wait reset it
  EXPECT_TRUE(SetEvent(automatic));
  EXPECT_TRUE(SetEvent(automatic));  // does not count
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);

  CloseHandle(manual);
  CloseHandle(automatic);
}

struct Held {
  HANDLE release;
  DWORD seenId = 0;
};

DWORD HeldThread(LPVOID p) {
  auto* h = static_cast<Held*>(p);
  h->seenId = GetCurrentThreadId();
  WaitForSingleObject(h->release, INFINITE);
  return 42;
}

TEST(Sync, ThreadHandleIsSignalledWhenTheThreadEnds) {
  Held held;
  held.release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  DWORD id = 0;
  HANDLE t = CreateThread(nullptr, 0, HeldThread, &held, 0, &id);
  ASSERT_NE(t, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_NE(id, GetCurrentThreadId());
  EXPECT_EQ(WaitForSingleObject(t, 30), WAIT_TIMEOUT);  // held by the event
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
  SetEvent(held.release);
  ASSERT_EQ(WaitForSingleObject(t, kBound), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(t, 0), WAIT_OBJECT_0);  // stays signalled
  EXPECT_TRUE(GetExitCodeThread(t, &code));
  EXPECT_EQ(code, 42u);
  EXPECT_EQ(held.seenId, id);
  CloseHandle(t);
  CloseHandle(held.release);
}

struct TryEnter {
  CRITICAL_SECTION* section;
  BOOL got = -1;
};

DWORD TryEnterThread(LPVOID p) {
  auto* t = static_cast<TryEnter*>(p);
  t->got = TryEnterCriticalSection(t->section);
  if (t->got) LeaveCriticalSection(t->section);
  return 0;
}

BOOL TryFromOtherThread(CRITICAL_SECTION* section) {
  TryEnter t{section};
  HANDLE h = CreateThread(nullptr, 0, TryEnterThread, &t, 0, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, kBound), WAIT_OBJECT_0);
  CloseHandle(h);
  return t.got;
}

TEST(Sync, CriticalSectionIsRecursive) {
  CRITICAL_SECTION cs;
  InitializeCriticalSection(&cs);
  EnterCriticalSection(&cs);
  EXPECT_TRUE(TryEnterCriticalSection(&cs));  // the owner enters again
  EXPECT_FALSE(TryFromOtherThread(&cs));
  LeaveCriticalSection(&cs);
  EXPECT_FALSE(TryFromOtherThread(&cs));  // still held once
  LeaveCriticalSection(&cs);
  EXPECT_TRUE(TryFromOtherThread(&cs));
  DeleteCriticalSection(&cs);
}

TEST(Sync, BadHandlesFail) {
  HANDLE e = CreateEventW(nullptr, TRUE, TRUE, nullptr);
  HANDLE s = CreateSemaphoreW(nullptr, 0, 1, nullptr);
  EXPECT_FALSE(SetEvent(s));  // not an event
  EXPECT_FALSE(ReleaseSemaphore(e, 1, nullptr));
  EXPECT_TRUE(CloseHandle(e));
  EXPECT_FALSE(CloseHandle(e));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(e, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
  EXPECT_EQ(CreateEventW(nullptr, TRUE, TRUE, L"named"), nullptr);
  CloseHandle(s);
}

}  // namespace
