// Kernel objects, threads, waits and critical sections.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <unordered_map>

#include "handles.h"
#include "winerror.h"
#include "winsync.h"

namespace lw::detail {

namespace {

struct HandleTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
  uintptr_t next = 4;
};

HandleTable& Table() {
  static HandleTable* table = new HandleTable;  // never destroyed: threads may outlive static destruction
  return *table;
}

}  // namespace

HANDLE AddHandle(std::shared_ptr<KernelObject> object) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  uintptr_t value;
  do {
    value = t.next;
    t.next += 4;  // handle values are multiples of 4, as on Windows
    if (t.next == 0 || t.next >= (static_cast<uintptr_t>(1) << 32)) t.next = 4;
  } while (t.objects.count(value) != 0);
  t.objects.emplace(value, std::move(object));
  return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> FindHandle(HANDLE handle) {
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.objects.end() ? nullptr : it->second;
}

bool RemoveHandle(HANDLE handle) {
  std::shared_ptr<KernelObject> removed;  // released outside the table's lock
  HandleTable& t = Table();
  std::lock_guard<std::mutex> guard(t.lock);
  auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.objects.end()) return false;
  removed = std::move(it->second);
  t.objects.erase(it);
  return true;
}

}  // namespace lw::detail

namespace {

using lw::detail::KernelObject;

// An object that a thread can wait for. TryTake runs under the object's lock: it reports whether
// the object is signalled and, if so, takes what a successful wait takes.
class Waitable : public KernelObject {
 public:
  DWORD Wait(DWORD milliseconds) {
    std::unique_lock<std::mutex> guard(lock_);
    if (milliseconds == INFINITE) {
      changed_.wait(guard, [this] { return TryTake(); });
      return WAIT_OBJECT_0;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    return changed_.wait_until(guard, deadline, [this] { return TryTake(); }) ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
  }

 protected:
  virtual bool TryTake() = 0;
  std::mutex lock_;
  std::condition_variable changed_;
};

class Event : public Waitable {
 public:
  Event(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}
  void Set() {
    {
      std::lock_guard<std::mutex> guard(lock_);
      signalled_ = true;
    }
    if (manualReset_)
      changed_.notify_all();
    else
      changed_.notify_one();
  }
  void Reset() {
    std::lock_guard<std::mutex> guard(lock_);
    signalled_ = false;
  }

 protected:
  bool TryTake() override {
    if (!signalled_) return false;
    if (!manualReset_) signalled_ = false;
    return true;
  }

 private:
  const bool manualReset_;
  bool signalled_;
};

class Semaphore : public Waitable {
 public:
  Semaphore(LONG initial, LONG maximum) : count_(initial), maximum_(maximum) {}
  bool Release(LONG n, LONG* previous) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      if (n > maximum_ - count_) return false;
      if (previous) *previous = count_;
      count_ += n;
    }
    if (n == 1)
      changed_.notify_one();
    else
      changed_.notify_all();
    return true;
  }

 protected:
  bool TryTake() override {
    if (count_ <= 0) return false;
    --count_;
    return true;
  }

 private:
  LONG count_;
  const LONG maximum_;
};

class Thread : public Waitable {
 public:
  void Finish(DWORD exitCode) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      exitCode_ = exitCode;
      finished_ = true;
    }
    changed_.notify_all();
  }
  DWORD ExitCode() {
    std::lock_guard<std::mutex> guard(lock_);
    return finished_ ? exitCode_ : STILL_ACTIVE;
  }

 protected:
  bool TryTake() override { return finished_; }

 private:
  bool finished_ = false;
  DWORD exitCode_ = 0;
};

std::atomic<DWORD> g_nextThreadId{1};
thread_local DWORD t_threadId = 0;

DWORD NewThreadId() {
  DWORD id = g_nextThreadId.fetch_add(1);
  if (id == 0) id = g_nextThreadId.fetch_add(1);
  return id;
}

template <class T>
HANDLE Publish(std::shared_ptr<T> object) {
  try {
    return lw::detail::AddHandle(std::move(object));
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

}  // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name) {
  if (name) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  try {
    HANDLE h = Publish(std::make_shared<Event>(manualReset != FALSE, initialState != FALSE));
    if (h) SetLastError(ERROR_SUCCESS);
    return h;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL SetEvent(HANDLE event) {
  auto e = lw::detail::FindHandleOf<Event>(event);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  e->Set();
  return TRUE;
}

BOOL ResetEvent(HANDLE event) {
  auto e = lw::detail::FindHandleOf<Event>(event);
  if (!e) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  e->Reset();
  return TRUE;
}

HANDLE CreateSemaphoreW(LPSECURITY_ATTRIBUTES, LONG initialCount, LONG maximumCount, LPCWSTR name) {
  if (name) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  try {
    HANDLE h = Publish(std::make_shared<Semaphore>(initialCount, maximumCount));
    if (h) SetLastError(ERROR_SUCCESS);
    return h;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LPLONG previousCount) {
  auto s = lw::detail::FindHandleOf<Semaphore>(semaphore);
  if (!s) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (releaseCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!s->Release(releaseCount, previousCount)) {
    SetLastError(ERROR_TOO_MANY_POSTS);
    return FALSE;
  }
  return TRUE;
}

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE startAddress, LPVOID parameter,
                    DWORD creationFlags, LPDWORD threadId) {
  if (!startAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (creationFlags & CREATE_SUSPENDED) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  try {
    auto thread = std::make_shared<Thread>();
    const DWORD id = NewThreadId();
    HANDLE h = lw::detail::AddHandle(thread);
    try {
      std::thread([thread, startAddress, parameter, id] {
        t_threadId = id;
        thread->Finish(startAddress(parameter));
      }).detach();
    } catch (...) {
      lw::detail::RemoveHandle(h);
      throw;
    }
    if (threadId) *threadId = id;
    return h;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);  // what Windows reports when no thread can be made
  }
  return nullptr;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto t = lw::detail::FindHandleOf<Thread>(thread);
  if (!t || !exitCode) {
    SetLastError(t ? ERROR_INVALID_PARAMETER : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *exitCode = t->ExitCode();
  return TRUE;
}

DWORD GetCurrentThreadId() {
  if (t_threadId == 0) t_threadId = NewThreadId();
  return t_threadId;
}

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  auto w = lw::detail::FindHandleOf<Waitable>(handle);
  if (!w) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  return w->Wait(milliseconds);
}

BOOL CloseHandle(HANDLE handle) {
  if (!lw::detail::RemoveHandle(handle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

void Sleep(DWORD milliseconds) {
  if (milliseconds == 0) {
    std::this_thread::yield();
    return;
  }
  if (milliseconds == INFINITE) {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

// Critical sections.

namespace {
std::recursive_mutex* LockOf(LPCRITICAL_SECTION section) { return static_cast<std::recursive_mutex*>(section->lwLock); }
}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section) { section->lwLock = new std::recursive_mutex; }

void DeleteCriticalSection(LPCRITICAL_SECTION section) {
  delete LockOf(section);
  section->lwLock = nullptr;
}

void EnterCriticalSection(LPCRITICAL_SECTION section) { LockOf(section)->lock(); }

BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) { return LockOf(section)->try_lock() ? TRUE : FALSE; }

void LeaveCriticalSection(LPCRITICAL_SECTION section) { LockOf(section)->unlock(); }
