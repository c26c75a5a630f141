// Window targets, the headless capture window, monitors and the system version (dxwindow.h).
#include "dxwindow.h"

#include <algorithm>
#include <map>

#include "dxtest.h"

namespace lwdx {

HMONITOR PrimaryMonitorHandle();  // ddraw.cpp

namespace {

struct Registry {
  std::mutex lock;
  std::map<HWND, std::shared_ptr<WindowTarget>> targets;
  std::function<std::shared_ptr<WindowTarget>(HWND)> resolver;
};

Registry& R() {
  static Registry* r = new Registry();
  return *r;
}

}  // namespace

void RegisterWindowTarget(HWND window, std::shared_ptr<WindowTarget> target) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().targets[window] = std::move(target);
}

void UnregisterWindowTarget(HWND window) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().targets.erase(window);
}

void SetWindowTargetResolver(std::function<std::shared_ptr<WindowTarget>(HWND)> resolver) {
  std::lock_guard<std::mutex> hold(R().lock);
  R().resolver = std::move(resolver);
}

std::shared_ptr<WindowTarget> FindWindowTarget(HWND window) {
  std::function<std::shared_ptr<WindowTarget>(HWND)> resolver;
  {
    std::lock_guard<std::mutex> hold(R().lock);
    auto it = R().targets.find(window);
    if (it != R().targets.end()) return it->second;
    resolver = R().resolver;
  }
  return window && resolver ? resolver(window) : nullptr;
}

CaptureWindow::CaptureWindow(int width, int height, POINT origin)
    : m_width(std::max(0, width)), m_height(std::max(0, height)), m_origin(origin),
      m_pixels(static_cast<size_t>(m_width) * m_height, 0u) {}

void CaptureWindow::GetClient(RECT* client, POINT* origin) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (client) *client = RECT{0, 0, m_width, m_height};
  if (origin) *origin = m_origin;
}

bool CaptureWindow::IsVisible() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_visible;
}

HMONITOR CaptureWindow::Monitor() {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_monitor;
}

void CaptureWindow::Draw(const std::function<void(uint32_t*, int, int, int)>& draw, const RECT&) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_width > 0 && m_height > 0) draw(m_pixels.data(), m_width, m_height, m_width);
  ++m_draws;
}

void CaptureWindow::SetSize(int width, int height) {
  std::lock_guard<std::mutex> hold(m_lock);
  width = std::max(0, width);
  height = std::max(0, height);
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height, 0u);
  for (int y = 0; y < std::min(height, m_height); ++y)
    std::copy_n(m_pixels.begin() + static_cast<ptrdiff_t>(y) * m_width, std::min(width, m_width),
                pixels.begin() + static_cast<ptrdiff_t>(y) * width);
  m_pixels.swap(pixels);
  m_width = width;
  m_height = height;
}

void CaptureWindow::SetOrigin(POINT origin) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_origin = origin;
}

void CaptureWindow::SetVisible(bool visible) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_visible = visible;
}

void CaptureWindow::SetMonitor(HMONITOR monitor) {
  std::lock_guard<std::mutex> hold(m_lock);
  m_monitor = monitor;
}

uint32_t CaptureWindow::Pixel(int x, int y) const {
  std::lock_guard<std::mutex> hold(m_lock);
  if (x < 0 || y < 0 || x >= m_width || y >= m_height) return 0xFFFFFFFFu;
  return m_pixels[static_cast<size_t>(y) * m_width + x];
}

std::vector<uint32_t> CaptureWindow::Pixels(int* width, int* height) const {
  std::lock_guard<std::mutex> hold(m_lock);
  if (width) *width = m_width;
  if (height) *height = m_height;
  return m_pixels;
}

int CaptureWindow::DrawCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_draws;
}

}  // namespace lwdx

BOOL IsWindowTarget(HWND window) { return lwdx::FindWindowTarget(window) != nullptr; }

BOOL DxGetClientRect(HWND window, RECT* rect) {
  auto target = lwdx::FindWindowTarget(window);
  if (!target || !rect) return FALSE;
  target->GetClient(rect, nullptr);
  return TRUE;
}

BOOL DxClientToScreen(HWND window, POINT* point) {
  auto target = lwdx::FindWindowTarget(window);
  if (!target || !point) return FALSE;
  RECT client;
  POINT origin;
  target->GetClient(&client, &origin);
  point->x += origin.x;
  point->y += origin.y;
  return TRUE;
}

BOOL DxIsWindowVisible(HWND window) {
  auto target = lwdx::FindWindowTarget(window);
  return target && target->IsVisible();
}

HMONITOR MonitorFromWindow(HWND window, DWORD flags) {
  auto target = lwdx::FindWindowTarget(window);
  const lwdx::DxConfig c = lwdx::CurrentDxConfig();
  if (target) {
    if (HMONITOR m = target->Monitor()) return m;
    if (!c.monitors.empty()) {
      // The monitor holding the client area's top-left corner, else the first.
      RECT client;
      POINT origin;
      target->GetClient(&client, &origin);
      for (const lwdx::DxMonitor& m : c.monitors)
        if (PtInRect(&m.rect, origin)) return m.monitor;
      return c.monitors.front().monitor;
    }
    return lwdx::PrimaryMonitorHandle();
  }
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  return c.monitors.empty() ? lwdx::PrimaryMonitorHandle() : c.monitors.front().monitor;
}

BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info) {
  if (!info || info->cbSize != sizeof(MONITORINFO)) return FALSE;
  const lwdx::DxConfig c = lwdx::CurrentDxConfig();
  if (monitor == lwdx::PrimaryMonitorHandle()) {
    info->rcMonitor = info->rcWork = c.primaryRect;
    info->dwFlags = 1;
    return TRUE;
  }
  for (const lwdx::DxMonitor& m : c.monitors)
    if (m.monitor == monitor) {
      info->rcMonitor = info->rcWork = m.rect;
      info->dwFlags = &m == &c.monitors.front() ? 1 : 0;
      return TRUE;
    }
  return FALSE;
}

int DxGetSystemMetrics(int index) {
  const lwdx::DxConfig c = lwdx::CurrentDxConfig();
  if (index == 0) return c.primaryRect.right - c.primaryRect.left;
  if (index == 1) return c.primaryRect.bottom - c.primaryRect.top;
  return 0;
}

BOOL GetVersionExW(OSVERSIONINFOW* info) {
  if (!info) return FALSE;
  if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW) && info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOEXW))
    return FALSE;
  if (lwdx::InjectVersionFailure()) return FALSE;
  const lwdx::DxConfig c = lwdx::CurrentDxConfig();
  info->dwMajorVersion = c.majorVersion;
  info->dwMinorVersion = c.minorVersion;
  info->dwBuildNumber = 7601;
  info->dwPlatformId = 2;
  return TRUE;
}
