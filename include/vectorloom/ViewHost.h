// What the workspace view needs of the window it lives in: repainting, timers, the mouse
// capture, the cursor, a device context for measuring, the resolution and the client size.
// A view in a real window talks to its own CWnd (the built-in host); tests give a view a host
// of their own, so that views and tools run headless with synthetic mouse and key events.
#pragma once

#include <afxwin.h>

#include <cstdint>
#include <vector>

namespace Vectorloom {

class IViewHost {
 public:
  virtual ~IViewHost() = default;
  // Marks a client rectangle (null: the whole client area) for repainting.
  virtual void InvalidateRect(const RECT* pRect) = 0;
  // Window timers: one per id, setting an id again replaces it; ticks reach the view's OnTimer.
  virtual void SetTimer(UINT_PTR nIDEvent, UINT nElapse) = 0;
  virtual void KillTimer(UINT_PTR nIDEvent) = 0;
  // The mouse capture of the view's window.
  virtual void SetCapture() = 0;
  virtual void ReleaseCapture() = 0;
  virtual bool HasCapture() const = 0;
  virtual void SetCursor(HCURSOR hCursor) = 0;
  // A device context of the window for measuring text (release it with ReleaseDC); may be null.
  virtual CDC* GetDC() = 0;
  virtual void ReleaseDC(CDC* pDC) = 0;
  // Dots per inch of the screen (96 on every machine).
  virtual int GetDpiX() const { return 96; }
  virtual int GetDpiY() const { return 96; }
  // The client area's size in pixels.
  virtual CSize GetClientSize() const = 0;
  // The clipboard's bitmap as a packed DIB; false when it holds none (or cannot be read).
  virtual bool GetClipboardDib(std::vector<uint8_t>& dib) {
    dib.clear();
    return false;
  }
};

}  // namespace Vectorloom
