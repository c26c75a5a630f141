#include "msgqueue.h"

#include <winerror.h>

namespace lwwnd {

HandleTable& HandleTable::Instance() {
  static HandleTable* table = new HandleTable;  // outlives every window, even at exit
  return *table;
}

HWND HandleTable::Add(CWnd* pWnd) {
  std::lock_guard<std::mutex> g(m_lock);
  if (!m_uiThreadSet) {
    m_uiThread = std::this_thread::get_id();
    m_uiThreadSet = true;
  }
  const uintptr_t value = m_next;
  m_next += 4;
  m_map.emplace(value, pWnd);
  return reinterpret_cast<HWND>(value);
}

void HandleTable::Remove(HWND hWnd) {
  std::lock_guard<std::mutex> g(m_lock);
  m_map.erase(reinterpret_cast<uintptr_t>(hWnd));
}

bool HandleTable::IsLive(HWND hWnd) const {
  std::lock_guard<std::mutex> g(m_lock);
  return hWnd && m_map.count(reinterpret_cast<uintptr_t>(hWnd)) != 0;
}

CWnd* HandleTable::Lookup(HWND hWnd) const {
  std::lock_guard<std::mutex> g(m_lock);
  if (!hWnd) return nullptr;
  if (m_uiThreadSet && std::this_thread::get_id() != m_uiThread) return nullptr;
  auto it = m_map.find(reinterpret_cast<uintptr_t>(hWnd));
  return it == m_map.end() ? nullptr : it->second;
}

void HandleTable::SetUIThread(std::thread::id id) {
  std::lock_guard<std::mutex> g(m_lock);
  m_uiThread = id;
  m_uiThreadSet = true;
}

bool HandleTable::OnUIThread() const {
  std::lock_guard<std::mutex> g(m_lock);
  return !m_uiThreadSet || std::this_thread::get_id() == m_uiThread;
}

// ---------------------------------------------------------------------------------------------

MessageQueue::MessageQueue(Deliver deliver, Wake wake) : m_deliver(std::move(deliver)), m_wake(std::move(wake)) {}

MessageQueue::~MessageQueue() { Shutdown(); }

BOOL MessageQueue::Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (m_shutdown) return FALSE;
    auto item = std::make_shared<Item>();
    *item = Item{hWnd, message, wParam, lParam, std::chrono::steady_clock::now()};
    m_items.push_back(std::move(item));
  }
  if (m_wake) m_wake();
  return TRUE;
}

LRESULT MessageQueue::Send(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam, UINT fuFlags, UINT uTimeout,
                           DWORD_PTR* lpdwResult) {
  auto item = std::make_shared<Item>();
  const auto now = std::chrono::steady_clock::now();
  *item = Item{hWnd, message, wParam, lParam, now};
  {
    std::lock_guard<std::mutex> g(m_lock);
    if (m_shutdown) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return 0;
    }
    if (fuFlags & SMTO_ABORTIFHUNG) {
      for (const auto& queued : m_items) {
        if (queued->state != State::Queued) continue;
        if (now - queued->queued > kHungAfter) {
          SetLastError(ERROR_TIMEOUT);
          return 0;
        }
        break;  // only the oldest one counts
      }
    }
    m_items.push_back(item);
  }
  if (m_wake) m_wake();

  std::unique_lock<std::mutex> g(m_lock);
  auto finished = [&] { return item->state != State::Queued && item->state != State::Running; };
  if (uTimeout == INFINITE) {
    m_done.wait(g, finished);
  } else if (!m_done.wait_until(g, now + std::chrono::milliseconds(uTimeout),
                                [&] { return item->state != State::Queued; })) {
    // Not started in time: it will never be delivered.
    item->state = State::Cancelled;
    SetLastError(ERROR_TIMEOUT);
    return 0;
  }
  // Started (or finished) in time: a running handler is waited for.
  m_done.wait(g, finished);
  if (item->state == State::Done) {
    if (lpdwResult) *lpdwResult = static_cast<DWORD_PTR>(item->result);
    return 1;
  }
  SetLastError(item->state == State::Cancelled ? ERROR_TIMEOUT : ERROR_INVALID_WINDOW_HANDLE);
  return 0;
}

bool MessageQueue::ProcessOne() {
  std::shared_ptr<Item> item;
  {
    std::lock_guard<std::mutex> g(m_lock);
    while (!m_items.empty()) {
      std::shared_ptr<Item> front = std::move(m_items.front());
      m_items.pop_front();
      if (front->state == State::Queued) {
        item = std::move(front);
        item->state = State::Running;
        break;
      }
    }
  }
  if (!item) return false;
  LRESULT result = 0;
  const bool delivered = m_deliver && m_deliver(item->hWnd, item->message, item->wParam, item->lParam, &result);
  {
    std::lock_guard<std::mutex> g(m_lock);
    item->result = result;
    item->state = delivered ? State::Done : State::Failed;
  }
  m_done.notify_all();
  return true;
}

void MessageQueue::Shutdown() {
  {
    std::lock_guard<std::mutex> g(m_lock);
    m_shutdown = true;
    for (auto& item : m_items)
      if (item->state == State::Queued) item->state = State::Cancelled;
    m_items.clear();
  }
  m_done.notify_all();
}

bool MessageQueue::IsShutDown() const {
  std::lock_guard<std::mutex> g(m_lock);
  return m_shutdown;
}

size_t MessageQueue::Pending() const {
  std::lock_guard<std::mutex> g(m_lock);
  size_t n = 0;
  for (const auto& item : m_items)
    if (item->state == State::Queued) ++n;
  return n;
}

}  // namespace lwwnd
