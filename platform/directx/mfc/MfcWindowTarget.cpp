// Window targets over the windows of the MFC layer (dxmfc.h).
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include <afxwin.h>
#include <lwuithread.h>
#include <wingdi.h>

#include "dxmfc.h"
#include "dxwindow.h"

namespace lwdx {
namespace {

class MfcWindowTarget final : public WindowTarget, public std::enable_shared_from_this<MfcWindowTarget> {
 public:
  explicit MfcWindowTarget(HWND window) : m_window(window) {}

  void GetClient(RECT* client, POINT* origin) override {
    EnsureGeometry();
    std::lock_guard<std::mutex> hold(m_lock);
    if (client) *client = m_client;
    if (origin) *origin = m_origin;
  }
  bool IsVisible() override {
    EnsureGeometry();
    std::lock_guard<std::mutex> hold(m_lock);
    return m_visible;
  }
  HMONITOR Monitor() override { return nullptr; }

  void Draw(const std::function<void(uint32_t*, int, int, int)>& draw, const RECT& dirty) override {
    bool post = false;
    {
      std::lock_guard<std::mutex> hold(m_lock);
      const int w = m_client.right, h = m_client.bottom;
      if (w <= 0 || h <= 0) return;
      if (w != m_storeW || h != m_storeH) {
        m_store.assign(static_cast<size_t>(w) * h, 0u);
        m_storeW = w;
        m_storeH = h;
      }
      draw(m_store.data(), w, h, w);
      if (IsRectEmpty(&m_dirty)) m_dirty = dirty;
      else UnionRect(&m_dirty, &m_dirty, &dirty);
      post = !m_flushPending;
      m_flushPending = true;
    }
    if (post) {
      std::weak_ptr<MfcWindowTarget> weak = weak_from_this();
      PostToUI([weak] {
        if (auto self = weak.lock()) self->Flush();
      });
    }
  }

 private:
  static void PostToUI(std::function<void()> fn) { lwmfc::PostToUIThread(std::move(fn)); }

  // User-interface thread: reads the window's client area, screen position and visibility.
  void Refresh() {
    CWnd* pWnd = IsWindow(m_window) ? CWnd::FromHandle(m_window) : nullptr;
    RECT client{0, 0, 0, 0};
    POINT origin{0, 0};
    bool visible = false;
    if (pWnd) {
      pWnd->GetClientRect(&client);
      CPoint o(0, 0);
      pWnd->ClientToScreen(&o);
      origin = POINT{o.x, o.y};
      visible = pWnd->IsWindowVisible() != FALSE;
    }
    std::lock_guard<std::mutex> hold(m_lock);
    m_client = client;
    m_origin = origin;
    m_visible = visible;
    m_known = true;
    m_refreshPending = false;
    m_knownChanged.notify_all();
  }

  // Other threads read the kept geometry and ask the user-interface thread to read it again (one
  // request at a time), so a window that was hidden or moved is seen again without a frame drawn;
  // only the first ask waits, at most 200 ms.
  void EnsureGeometry() {
    if (lwmfc::OnUIThread()) {
      Refresh();
      return;
    }
    std::unique_lock<std::mutex> hold(m_lock);
    if (!m_refreshPending) {
      m_refreshPending = true;
      std::weak_ptr<MfcWindowTarget> weak = weak_from_this();
      hold.unlock();
      PostToUI([weak] {
        if (auto self = weak.lock()) self->Refresh();
      });
      hold.lock();
    }
    if (!m_known) m_knownChanged.wait_for(hold, std::chrono::milliseconds(200), [this] { return m_known; });
  }

  // User-interface thread: lays the drawn part of the store over the window.
  void Flush() {
    Refresh();
    CWnd* pWnd = IsWindow(m_window) ? CWnd::FromHandle(m_window) : nullptr;
    std::lock_guard<std::mutex> hold(m_lock);
    m_flushPending = false;
    RECT area;
    const RECT whole{0, 0, m_storeW, m_storeH};
    if (!pWnd || !IntersectRect(&area, &m_dirty, &whole)) {
      SetRectEmpty(&m_dirty);
      return;
    }
    SetRectEmpty(&m_dirty);
    BITMAPINFO bmi{};
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = m_storeW;
    bmi.bmiHeader.biHeight = -m_storeH;  // top-down
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    bmi.bmiHeader.biCompression = BI_RGB;
    CClientDC dc(pWnd);
    SetDIBitsToDevice(dc.GetSafeHdc(), area.left, area.top, static_cast<DWORD>(area.right - area.left),
                      static_cast<DWORD>(area.bottom - area.top), area.left, area.top, 0,
                      static_cast<UINT>(m_storeH), m_store.data(), &bmi, DIB_RGB_COLORS);
  }

  HWND m_window;
  std::mutex m_lock;
  std::condition_variable m_knownChanged;
  RECT m_client{0, 0, 0, 0};
  POINT m_origin{0, 0};
  bool m_visible = false;
  bool m_known = false;
  bool m_refreshPending = false;
  std::vector<uint32_t> m_store;
  int m_storeW = 0, m_storeH = 0;
  RECT m_dirty{0, 0, 0, 0};
  bool m_flushPending = false;
};

struct Targets {
  std::mutex lock;
  std::map<HWND, std::shared_ptr<MfcWindowTarget>> byHandle;
};

Targets& T() {
  static Targets* t = new Targets();
  return *t;
}

}  // namespace

void UseMfcWindows() {
  SetWindowTargetResolver([](HWND window) -> std::shared_ptr<WindowTarget> {
    std::lock_guard<std::mutex> hold(T().lock);
    // Handles are never reused in a run: targets of windows that are gone are dropped.
    for (auto it = T().byHandle.begin(); it != T().byHandle.end();)
      it = IsWindow(it->first) ? std::next(it) : T().byHandle.erase(it);
    if (!IsWindow(window)) return nullptr;
    auto& target = T().byHandle[window];
    if (!target) target = std::make_shared<MfcWindowTarget>(window);
    return target;
  });
}

}  // namespace lwdx
