// The window handle table and the cross-thread message queue. Neither needs the toolkit: the
// window side plugs in how a message is delivered and how the user-interface thread is woken.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <unordered_map>

#include <winuser.h>

class CWnd;

namespace lwwnd {

// Handle values for windows: one table for the process, under a mutex, values never reused in a
// run. Any thread may ask whether a handle is live; only the user-interface thread may use the
// CWnd it maps to.
class HandleTable {
 public:
  static HandleTable& Instance();

  HWND Add(CWnd* pWnd);
  void Remove(HWND hWnd);
  bool IsLive(HWND hWnd) const;
  CWnd* Lookup(HWND hWnd) const;

  // The user-interface thread: the one that first created a window, unless set before.
  void SetUIThread(std::thread::id id);
  bool OnUIThread() const;

 private:
  mutable std::mutex m_lock;
  std::unordered_map<uintptr_t, CWnd*> m_map;
  uintptr_t m_next = 0x10010;
  std::thread::id m_uiThread;
  bool m_uiThreadSet = false;
};

// Messages from other threads to windows, handled one per wake on the user-interface thread.
class MessageQueue {
 public:
  // Delivers a message on the user-interface thread; false when the window is gone.
  using Deliver = std::function<bool(HWND, UINT, WPARAM, LPARAM, LRESULT*)>;
  // Asks the user-interface thread to call ProcessOne once (from any thread).
  using Wake = std::function<void()>;

  MessageQueue(Deliver deliver, Wake wake);
  ~MessageQueue();
  MessageQueue(const MessageQueue&) = delete;
  MessageQueue& operator=(const MessageQueue&) = delete;

  // Queues the message; FALSE once the queue is shut down.
  BOOL Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  // Queues the message and waits for its result, at most uTimeout ms unless it has started
  // (INFINITE waits for ever). A message not started in time is cancelled and never delivered.
  // 0 with the thread's last error set on failure (ERROR_TIMEOUT, ERROR_INVALID_WINDOW_HANDLE).
  LRESULT Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
               DWORD_PTR* lpdwResult);
  // Handles the oldest message still wanted; false when there was none.
  bool ProcessOne();
  // Cancels everything queued, wakes every waiting sender, refuses later messages.
  void Shutdown();
  bool IsShutDown() const;
  size_t Pending() const;

  // How long the oldest queued message may wait before the queue counts as hung.
  static constexpr std::chrono::milliseconds kHungAfter{5000};

 private:
  enum class State { Queued, Running, Done, Cancelled, Failed };
  struct Item {
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    std::chrono::steady_clock::time_point queued;
    State state = State::Queued;
    LRESULT result = 0;
  };

  Deliver m_deliver;
  Wake m_wake;
  mutable std::mutex m_lock;
  std::condition_variable m_done;
  std::deque<std::shared_ptr<Item>> m_items;
  bool m_shutdown = false;
};

}  // namespace lwwnd
