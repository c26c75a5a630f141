// The DirectDraw renderer: frames converted straight into a locked video surface and presented by
// a flip (overlay) or a stretching blit, on the window's monitor, fitted to the video's aspect
// ratio in mode 1. Every public operation holds the renderer's lock.
#pragma once

#include <mutex>
#include <optional>
#include <vector>

#include <IReelpane.h>
#include <ddraw.h>
#include <dxwindow.h>

namespace reelpane {

// Status texts of the codes 0 .. -8; null outside.
const wchar_t* StatusText(int code);

// Byte offsets of the V and U planes of a YV12 surface of the given pitch and height: V after
// the luma rows, U after the V plane's (height + 1) / 2 rows.
struct Yv12Planes {
  size_t v, u;
};
Yv12Planes Yv12PlaneOffsets(int pitch, int height);

// FitToAspect as a plain function: fits `area` to width x height (8-pixel aligned centring) and
// sets the two bars beside the picture; an empty area or a zero video size changes nothing.
void FitRectToAspect(RECT* area, RECT margins[2], int videoWidth, int videoHeight);

class CReelpane final : public IReelpane {
 public:
  explicit CReelpane(int kind);

  int GetType(int* type) override;
  int GetSubType(int* value) override;
  int GetErrorText(wchar_t* buffer, int length) override;
  int Release() override;
  int SetVideoSize(int width, int height) override;
  int GetVideoSize(int* width, int* height) override;
  int RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) override;
  int Attach(HWND window, int mode) override;
  int Detach() override;
  int SetRenderFlag() override;

  // What tests look at.
  int SurfaceFormat() const { return m_surfaceFormat; }
  bool IsOverlay() const { return m_overlay; }
  RECT Destination() const { return m_dest; }

 private:
  struct Screen {
    GUID guid{};
    HMONITOR monitor = nullptr;
  };

  ~CReelpane();
  template <typename F>
  int Guarded(F&& body);

  int CreateDisplayWindow(const std::optional<Screen>& screen, HWND window, int width, int height);
  void ReleaseDisplayObjects();
  int CreateYuvSurface(int width, int height, bool overlay);
  int CreateRgbSurface(int width, int height);
  int UpdateBounds();
  void FitToAspect(RECT* rect);
  bool ToMonitorCoordinates(HMONITOR monitor, RECT* rect);
  int CheckMonitor();
  int ConvertFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride);
  HRESULT PresentFrame();
  int EnumerateScreens();
  int AddScreen(const GUID* guid, HMONITOR monitor);
  static BOOL EnumScreenCallback(GUID* guid, LPWSTR, LPWSTR, void* context, HMONITOR monitor);
  std::optional<Screen> ScreenOf(HMONITOR monitor) const;
  const GUID* CurrentGuid() const;

  std::recursive_mutex m_lock;
  int m_kind;
  int m_status = 0;
  int m_width = 720, m_height = 576;
  bool m_flag = false;

  IDirectDraw7* m_dd = nullptr;
  IDirectDrawSurface7* m_primary = nullptr;
  IDirectDrawSurface7* m_work = nullptr;
  IDirectDrawSurface7* m_front = nullptr;
  HWND m_window = nullptr;
  std::optional<Screen> m_screen;  // none: the primary display driver
  RECT m_dest{0, 0, 0, 0};
  std::vector<Screen> m_screens;
  bool m_severalScreens = false;
  int m_inputFormat = 0;
  int m_surfaceFormat = 0;
  int m_mode = 0;
  RECT m_margins[2] = {{0, 0, 0, 0}, {0, 0, 0, 0}};
  RECT m_monitorRect{0, 0, 0, 0};
  bool m_surfaceReady = false;
  HRESULT m_enumStatus = 0;
  bool m_overlay = false;
  bool m_overlayPending = false;
};

}  // namespace reelpane
