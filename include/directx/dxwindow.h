// Windows, monitors and the system version as the video renderer sees them.
//
// A window handle reaches the DirectDraw layer through a WindowTarget: its client rectangle, where
// that lies on the screen, whether it is shown, its monitor, and a back store of its client area
// into which blits on a primary surface draw. Targets are registered by handle; a handle without
// a target is asked of the resolver (the window layer installs one for its windows). A headless
// CaptureWindow keeps the presented pixels for tests and off-screen hosts.
//
// Every call may come from any thread: frames arrive on the player's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include <windows.h>

#define MONITOR_DEFAULTTONULL 0u
#define MONITOR_DEFAULTTOPRIMARY 1u
#define MONITOR_DEFAULTTONEAREST 2u

struct MONITORINFO {
  DWORD cbSize = sizeof(MONITORINFO);
  RECT rcMonitor{0, 0, 0, 0};
  RECT rcWork{0, 0, 0, 0};
  DWORD dwFlags = 0;
};

struct OSVERSIONINFOW {
  DWORD dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
  DWORD dwMajorVersion = 0;
  DWORD dwMinorVersion = 0;
  DWORD dwBuildNumber = 0;
  DWORD dwPlatformId = 0;
  wchar_t szCSDVersion[128] = {};
};
struct OSVERSIONINFOEXW : OSVERSIONINFOW {
  OSVERSIONINFOEXW() { dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW); }
  WORD wServicePackMajor = 0;
  WORD wServicePackMinor = 0;
  WORD wSuiteMask = 0;
  BYTE wProductType = 0;
  BYTE wReserved = 0;
};

namespace lwdx {

// One window as the renderer draws into it.
class WindowTarget {
 public:
  virtual ~WindowTarget() = default;
  // Client rectangle (left and top 0) and the screen position of its top-left corner.
  virtual void GetClient(RECT* client, POINT* origin) = 0;
  virtual bool IsVisible() = 0;
  // The monitor the window is on (null: the only display).
  virtual HMONITOR Monitor() = 0;
  // Draws into the window's back store under its lock: `draw` gets the top-down 0x00RRGGBB pixels
  // of the client area, its width, height and pitch in pixels. What was drawn is shown afterwards
  // (the window is asked to repaint `dirty`, client coordinates).
  virtual void Draw(const std::function<void(uint32_t* pixels, int width, int height, int pitch)>& draw,
                    const RECT& dirty) = 0;
};

void RegisterWindowTarget(HWND window, std::shared_ptr<WindowTarget> target);
void UnregisterWindowTarget(HWND window);
// Asked for handles without a registered target; may return null.
void SetWindowTargetResolver(std::function<std::shared_ptr<WindowTarget>(HWND)> resolver);
std::shared_ptr<WindowTarget> FindWindowTarget(HWND window);

// A headless window: a client area of its own size at a screen position, with a back store that
// keeps what was drawn (black at first).
class CaptureWindow : public WindowTarget {
 public:
  CaptureWindow(int width, int height, POINT origin = {0, 0});
  void GetClient(RECT* client, POINT* origin) override;
  bool IsVisible() override;
  HMONITOR Monitor() override;
  void Draw(const std::function<void(uint32_t*, int, int, int)>& draw, const RECT& dirty) override;

  // Resizing keeps the top-left part of the store and fills the rest with black.
  void SetSize(int width, int height);
  void SetOrigin(POINT origin);
  void SetVisible(bool visible);
  void SetMonitor(HMONITOR monitor);
  // 0x00RRGGBB of the client pixel (x, y); 0xFFFFFFFF outside the client area.
  uint32_t Pixel(int x, int y) const;
  std::vector<uint32_t> Pixels(int* width, int* height) const;
  int DrawCount() const;

 private:
  mutable std::mutex m_lock;
  int m_width, m_height;
  POINT m_origin;
  bool m_visible = true;
  HMONITOR m_monitor = nullptr;
  std::vector<uint32_t> m_pixels;
  int m_draws = 0;
};

}  // namespace lwdx

// Win32 calls over the window targets and the display configuration.
BOOL IsWindowTarget(HWND window);  // a handle that has a target
BOOL DxGetClientRect(HWND window, RECT* rect);
BOOL DxClientToScreen(HWND window, POINT* point);
BOOL DxIsWindowVisible(HWND window);
HMONITOR MonitorFromWindow(HWND window, DWORD flags);
BOOL GetMonitorInfoW(HMONITOR monitor, MONITORINFO* info);
// SM_CXSCREEN (0) and SM_CYSCREEN (1): the primary display's size.
int DxGetSystemMetrics(int index);
// The system version of the display configuration (6.1 here); the size field must match one of
// the two structures.
BOOL GetVersionExW(OSVERSIONINFOW* info);
