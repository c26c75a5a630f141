// The DirectDraw renderer (CReelpane.h).
#include "CReelpane.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "ColorConv.h"
#include "DDrawPool.h"
#include "MMLog.h"

namespace reelpane {
namespace {

constexpr DWORD kColorKey = 0x010203;
constexpr DWORD kFourCC[5] = {0, LW_MAKEFOURCC('Y', 'V', '1', '2'), LW_MAKEFOURCC('U', 'Y', 'V', 'Y'),
                              LW_MAKEFOURCC('Y', 'U', 'Y', '2'), LW_MAKEFOURCC('N', 'V', '1', '2')};
constexpr DWORD kYuvBits[5] = {0, 12, 16, 16, 12};

const wchar_t* const kStatusTexts[] = {
    L"All is OK.",
    L"Not Initialized.",
    L"The bitstream input has reached the end.",
    L"Pointer error\t.",
    L"function is not implemented.",
    L"the call is not expected.",
    L"The access is denied.",
    L"timeout happened.",
    L"Failed to complete.",
};

template <typename T>
void ReleaseAndClear(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

// Lock failures passed on as they are; any other becomes E_FAIL.
HRESULT LockFailure(HRESULT hr) {
  switch (hr) {
    case DDERR_SURFACEBUSY:
    case E_OUTOFMEMORY:
    case E_INVALIDARG:
    case DDERR_INVALIDOBJECT:
    case DDERR_SURFACELOST:
    case DDERR_WASSTILLDRAWING:
      return hr;
    default:
      return E_FAIL;
  }
}

// Black luma and neutral chroma over a YV12 surface, with the plane offsets of the conversion.
void ClearYV12Surface(int pitch, uint8_t* memory, int height) {
  const Yv12Planes planes = Yv12PlaneOffsets(pitch, height);
  const size_t chromaBytes = static_cast<size_t>(pitch / 2) * static_cast<size_t>((height + 1) / 2);
  std::memset(memory, 0, static_cast<size_t>(pitch) * static_cast<size_t>(height));
  std::memset(memory + planes.v, 128, chromaBytes);
  std::memset(memory + planes.u, 128, chromaBytes);
}

}  // namespace

const wchar_t* StatusText(int code) { return code <= 0 && code >= -8 ? kStatusTexts[-code] : nullptr; }

Yv12Planes Yv12PlaneOffsets(int pitch, int height) {
  const size_t p = static_cast<size_t>(std::max(pitch, 0)), h = static_cast<size_t>(std::max(height, 0));
  const size_t v = p * h;
  return Yv12Planes{v, v + (p / 2) * ((h + 1) / 2)};
}

void FitRectToAspect(RECT* rect, RECT margins[2], int videoWidth, int videoHeight) {
  const uint32_t W = static_cast<uint32_t>(rect->right - rect->left);
  const uint32_t H = static_cast<uint32_t>(rect->bottom - rect->top);
  // A zero video size has no aspect ratio: the area stays as it is.
  if (W == 0 || H == 0 || videoWidth <= 0 || videoHeight <= 0) return;
  const uint32_t vw = static_cast<uint32_t>(videoWidth), vh = static_cast<uint32_t>(videoHeight);
  const RECT old = *rect;
  const bool taller = static_cast<uint64_t>(vw) * H > static_cast<uint64_t>(vh) * W;
  uint32_t pw, ph;
  if (taller) {
    pw = W;
    ph = static_cast<uint32_t>(static_cast<uint64_t>(vh) * W / vw);
  } else {
    ph = H;
    pw = static_cast<uint32_t>(static_cast<uint64_t>(vw) * H / vh);
  }
  rect->left += static_cast<LONG>((W - pw) / 2 / 8 * 8);
  rect->top += static_cast<LONG>((H - ph) / 2 / 8 * 8);
  rect->right = rect->left + static_cast<LONG>(pw);
  rect->bottom = rect->top + static_cast<LONG>(ph);
  if (taller) {
    margins[0] = RECT{old.left, old.top, rect->right, rect->top};
    margins[1] = RECT{rect->left, rect->bottom, old.right, old.bottom};
  } else {
    margins[0] = RECT{old.left, old.top, rect->left, rect->bottom};
    margins[1] = RECT{rect->right, rect->top, old.right, old.bottom};
  }
}

CReelpane::CReelpane(int kind) : m_kind(kind) {}

CReelpane::~CReelpane() = default;

// Runs a public operation under the renderer's lock. Running out of memory ends the operation with
// -5 and leaves every lock free (nothing may be thrown into the host).
template <typename F>
int CReelpane::Guarded(F&& body) {
  try {
    std::lock_guard<std::recursive_mutex> hold(m_lock);
    return body();
  } catch (const std::bad_alloc&) {
    MMTRACE("[CReelpane] out of memory");
    return -5;
  }
}

int CReelpane::GetType(int* type) {
  if (type) *type = 2;
  return 0;
}

int CReelpane::GetSubType(int* value) {
  if (value) *value = 0;
  return 0;
}

int CReelpane::GetErrorText(wchar_t* buffer, int length) {
  if (!buffer || length <= 0) return -10;
  const wchar_t* text = StatusText(m_status);
  if (!text) text = L"";
  const size_t n = std::min(wcslen(text), static_cast<size_t>(length - 1));
  wmemcpy(buffer, text, n);
  buffer[n] = L'\0';
  return 0;
}

int CReelpane::Release() {
  Guarded([this] {
    ReleaseDisplayObjects();
    m_screens.clear();
    return 0;
  });
  delete this;
  return 0;
}

int CReelpane::SetVideoSize(int width, int height) {
  return Guarded([&] {
    if (width == m_width && height == m_height) return 0;
    m_width = width;
    m_height = height;
    if (!m_window) return 0;
    return CreateDisplayWindow(m_screen, m_window, width, height);
  });
}

int CReelpane::GetVideoSize(int* width, int* height) {
  return Guarded([&] {
    if (width) *width = m_width;
    if (height) *height = m_height;
    return 0;
  });
}

int CReelpane::RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) {
  return Guarded([&] {
    if (!m_window) return -5;
    if (!DxIsWindowVisible(m_window)) return 0;
    const int format = v ? RP_FORMAT_YV12 : RP_FORMAT_NV12;
    if (format != m_inputFormat) {
      m_inputFormat = format;
      ReleaseDisplayObjects();
    }
    ConvertFrame(y, u, v, stride);
    PresentFrame();
    return 0;  // hosts rely on success whatever converting and presenting gave
  });
}

int CReelpane::Attach(HWND window, int mode) {
  return Guarded([&] {
    EnumerateScreens();
    const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info;
    if (GetMonitorInfoW(monitor, &info)) m_monitorRect = info.rcMonitor;
    m_mode = mode;
    m_window = window;
    return CreateDisplayWindow(ScreenOf(monitor), window, m_width, m_height);
  });
}

int CReelpane::Detach() {
  return Guarded([this] {
    ReleaseDisplayObjects();
    return 0;
  });
}

int CReelpane::SetRenderFlag() {
  return Guarded([this] {
    m_flag = true;
    return 0;
  });
}

std::optional<CReelpane::Screen> CReelpane::ScreenOf(HMONITOR monitor) const {
  for (const Screen& s : m_screens)
    if (s.monitor == monitor) return s;
  return std::nullopt;
}

const GUID* CReelpane::CurrentGuid() const { return m_screen ? &m_screen->guid : nullptr; }

int CReelpane::CreateDisplayWindow(const std::optional<Screen>& screen, HWND window, int width, int height) {
  ReleaseDisplayObjects();
  m_window = window;
  m_screen = screen;
  MMTRACE("[CReelpane] enter CreateDisplayWindow pScreen==%p, hWnd=%p", screen ? static_cast<const void*>(&*m_screen) : nullptr,
          static_cast<void*>(window));
  m_overlayPending = true;
  m_width = width;
  m_height = height;

  m_dd = getDevice(GetDirectDrawPool(), CurrentGuid());
  if (!m_dd) {
    MMTRACE("[CReelpane]getDevice failed");
    return -5;
  }
  HRESULT hr = m_dd->SetCooperativeLevel(window, DDSCL_NORMAL);
  if (hr != DD_OK) {
    MMTRACE("[CReelpane] CreateDisplayWindow, SetCooperativeLevel failed=%x", static_cast<unsigned>(hr));
    return hr;
  }
  DDSURFACEDESC2 desc;
  desc.dwFlags = DDSD_CAPS;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
  hr = m_dd->CreateSurface(&desc, &m_primary, nullptr);
  if (hr != DD_OK) {
    MMTRACE("[CReelpane] CreateDisplayWindow, Create primary Surface failed=%x", static_cast<unsigned>(hr));
    if (hr == DDERR_UNSUPPORTEDMODE) {
      ReleaseDisplayObjects();
      ClearDirectDrawPool(GetDirectDrawPool());
    }
    return hr;
  }
  IDirectDrawClipper* clipper = nullptr;
  hr = m_dd->CreateClipper(0, &clipper, nullptr);
  const char* failure = nullptr;
  if (hr != DD_OK) failure = "[CReelpane]Clipper CreateClipper failed";
  else if ((hr = clipper->SetHWnd(0, window)) != DD_OK) failure = "[CReelpane]Clipper SetHWnd failed";
  else if ((hr = m_primary->SetClipper(clipper)) != DD_OK) failure = "[CReelpane]Clipper SetClipper failed";
  if (clipper) clipper->Release();  // the primary surface keeps its own reference
  if (failure) {
    MMTRACE("%s", failure);
    ReleaseDisplayObjects();
    return hr;
  }
  UpdateBounds();

  OSVERSIONINFOEXW versionEx;
  OSVERSIONINFOW version;
  DWORD major;
  if (GetVersionExW(&versionEx)) major = versionEx.dwMajorVersion;
  else if (GetVersionExW(&version)) major = version.dwMajorVersion;
  else return -1;
  const bool overlays = major < 6 && m_kind != 0;

  m_surfaceReady = CreateYuvSurface(width, height, overlays) != 0;
  if (!m_surfaceReady) m_surfaceReady = CreateYuvSurface(width, height, false) != 0;
  if (!m_surfaceReady) m_surfaceReady = CreateRgbSurface(width, height) != 0;
  MMTRACE("[CReelpane]leave CreateDisplayWindow (%d,%d),(%d,%d)", static_cast<int>(m_dest.left),
          static_cast<int>(m_dest.top), static_cast<int>(m_dest.right), static_cast<int>(m_dest.bottom));
  return 0;
}

void CReelpane::ReleaseDisplayObjects() {
  if (m_primary) m_primary->SetClipper(nullptr);
  ReleaseAndClear(m_work);
  ReleaseAndClear(m_front);
  ReleaseAndClear(m_primary);
  if (m_dd) {
    m_dd->SetCooperativeLevel(m_window, DDSCL_NORMAL);
    IDirectDraw7* dd = m_dd;
    m_dd = nullptr;
    ReturnDirectDraw(dd, GetDirectDrawPool(), CurrentGuid());
  }
  m_surfaceReady = false;
}

int CReelpane::CreateYuvSurface(int width, int height, bool overlay) {
  if (m_inputFormat == 0) return 0;
  int order[4] = {1, 2, 3, 4};
  for (int& f : order)
    if (f == m_inputFormat) std::swap(f, order[0]);
  m_surfaceFormat = 0;
  for (int candidate : order) {
    if (m_surfaceFormat != 0) break;
    ReleaseAndClear(m_work);  // a surface that yielded no format is not kept
    ReleaseAndClear(m_front);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddpfPixelFormat.dwFlags = DDPF_FOURCC | DDPF_YUV;
    desc.ddpfPixelFormat.dwFourCC = kFourCC[candidate];
    desc.ddpfPixelFormat.dwRGBBitCount = kYuvBits[candidate];
    int passes = 1;
    if (overlay) {
      desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
      desc.dwBackBufferCount = 2;
      desc.ddsCaps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_OVERLAY | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
      passes = 2;
    } else {
      desc.ddsCaps.dwCaps = DDSCAPS_VIDEOMEMORY | DDSCAPS_OFFSCREENPLAIN;
    }
    if (m_dd->CreateSurface(&desc, &m_front, nullptr) != DD_OK) continue;
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (m_front->GetAttachedSurface(&caps, &m_work) != DD_OK) {
      m_work = m_front;
      m_work->AddRef();
      MMTRACE("[CReelpane] GetAttachedSurface failed");
    }
    for (int pass = 0; pass < passes; ++pass) {
      DDSURFACEDESC2 locked;
      if (m_work->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) break;
      switch (locked.ddpfPixelFormat.dwFourCC) {
        case LW_MAKEFOURCC('N', 'V', '1', '2'): m_surfaceFormat = RP_FORMAT_NV12; break;
        case LW_MAKEFOURCC('Y', 'V', '1', '2'):
          m_surfaceFormat = RP_FORMAT_YV12;
          ClearYV12Surface(locked.lPitch, static_cast<uint8_t*>(locked.lpSurface), static_cast<int>(locked.dwHeight));
          break;
        case LW_MAKEFOURCC('Y', 'U', 'Y', '2'): m_surfaceFormat = RP_FORMAT_YUY2; break;
        case LW_MAKEFOURCC('U', 'Y', 'V', 'Y'): m_surfaceFormat = RP_FORMAT_UYVY; break;
        default: break;
      }
      m_work->Unlock(nullptr);
      if (overlay) m_front->Flip(nullptr, DDFLIP_WAIT);
    }
    if (m_surfaceFormat != 0)
      MMTRACE("[CReelpane] Create yuv video Surface ok, formart=%d, overlay=%d", static_cast<int>(desc.ddpfPixelFormat.dwRGBBitCount),
              overlay ? 1 : 0);
  }
  if (m_surfaceFormat == 0) {
    ReleaseAndClear(m_work);
    ReleaseAndClear(m_front);
    MMTRACE("[CReelpane] Create yuv video Surface failed, overlay=%d", overlay ? 1 : 0);
    return 0;
  }
  m_overlay = overlay;
  return 1;
}

int CReelpane::CreateRgbSurface(int width, int height) {
  if (m_inputFormat == 0) return 0;
  m_surfaceFormat = 0;
  for (DWORD caps : {DDSCAPS_VIDEOMEMORY | DDSCAPS_OFFSCREENPLAIN, DDSCAPS_SYSTEMMEMORY | DDSCAPS_OFFSCREENPLAIN}) {
    if (m_surfaceFormat != 0) break;
    ReleaseAndClear(m_work);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = caps;
    if (m_dd->CreateSurface(&desc, &m_work, nullptr) != DD_OK) continue;
    DDSURFACEDESC2 locked;
    if (m_work->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr) != DD_OK) continue;
    const DWORD bits = locked.ddpfPixelFormat.dwRGBBitCount;
    m_surfaceFormat = bits == 16 ? RP_FORMAT_RGB565 : bits == 24 ? RP_FORMAT_RGB24 : bits == 32 ? RP_FORMAT_RGB32 : 0;
    m_work->Unlock(nullptr);
    if (m_surfaceFormat != 0) MMTRACE("[CReelpane] Create rgb video Surface ok, formart=%d\n", static_cast<int>(bits));
  }
  if (m_surfaceFormat == 0) {
    ReleaseAndClear(m_work);
    MMTRACE("[CReelpane] Create rgb video Surface failed");
    return 0;
  }
  m_overlay = false;
  return 1;
}

int CReelpane::UpdateBounds() {
  RECT rect{0, 0, 0, 0};
  DxGetClientRect(m_window, &rect);
  POINT topLeft{rect.left, rect.top}, bottomRight{rect.right, rect.bottom};
  DxClientToScreen(m_window, &topLeft);
  DxClientToScreen(m_window, &bottomRight);
  rect = RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  if (m_severalScreens) {
    if (rect.right - rect.left < 1) {
      MMTRACE("[CReelpane]UpdateBounds (%d,%d),(%d,%d))", static_cast<int>(rect.left), static_cast<int>(rect.top),
              static_cast<int>(rect.right), static_cast<int>(rect.bottom));
      m_dest = RECT{0, 0, 0, 0};
      return 0;
    }
    ToMonitorCoordinates(m_screen ? m_screen->monitor : nullptr, &rect);
  }
  if (m_mode == 1) FitToAspect(&rect);
  if (!EqualRect(&rect, &m_dest)) {
    m_dest = rect;
    m_overlayPending = true;
  }
  if (!m_front) return -5;
  if (!m_overlay || !m_overlayPending) return 0;
  DDBLTFX fx;
  fx.dwFillColor = kColorKey;
  m_primary->Blt(&m_dest, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  DDOVERLAYFX ofx;
  ofx.dckDestColorkey.dwColorSpaceLowValue = kColorKey;
  ofx.dckDestColorkey.dwColorSpaceHighValue = kColorKey;
  const HRESULT hr = m_front->UpdateOverlay(nullptr, m_primary, &m_dest, DDOVER_SHOW | DDOVER_KEYDESTOVERRIDE, &ofx);
  if (hr != DD_OK) MMTRACE("[CReelpane] UpdateOverlay failed=%x", static_cast<unsigned>(hr));
  m_overlayPending = hr != DD_OK;
  return 0;
}

void CReelpane::FitToAspect(RECT* rect) { FitRectToAspect(rect, m_margins, m_width, m_height); }

bool CReelpane::ToMonitorCoordinates(HMONITOR monitor, RECT* rect) {
  RECT area{0, 0, DxGetSystemMetrics(0), DxGetSystemMetrics(1)};
  MONITORINFO info;
  if (monitor && GetMonitorInfoW(monitor, &info)) area = info.rcMonitor;
  RECT meet;
  if (!IntersectRect(&meet, &area, rect)) return false;
  OffsetRect(rect, -area.left, -area.top);
  return true;
}

int CReelpane::CheckMonitor() {
  const HMONITOR monitor = MonitorFromWindow(m_window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info;
  if (m_severalScreens && monitor != (m_screen ? m_screen->monitor : nullptr)) {
    EnumerateScreens();
    if (CreateDisplayWindow(ScreenOf(monitor), m_window, m_width, m_height) != 0) return -5;
    if (GetMonitorInfoW(monitor, &info)) m_monitorRect = info.rcMonitor;
  }
  if (!GetMonitorInfoW(monitor, &info) || EqualRect(&info.rcMonitor, &m_monitorRect)) return 0;
  if (CreateDisplayWindow(m_screen, m_window, m_width, m_height) != 0) return -5;
  m_monitorRect = info.rcMonitor;
  return 0;
}

int CReelpane::ConvertFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) {
  if (!m_surfaceReady && CreateDisplayWindow(m_screen, m_window, m_width, m_height) != 0) return -5;
  CheckMonitor();
  if (!m_surfaceReady) return -1;
  UpdateBounds();
  DDSURFACEDESC2 desc;
  const HRESULT hr = m_work->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr);
  if (hr != DD_OK) return LockFailure(hr);

  int result = 0;
  const ColorConvertEntry convert =
      m_inputFormat >= 1 && m_inputFormat <= 9 && m_surfaceFormat >= 1 && m_surfaceFormat <= 9
          ? GetColorConverter(m_inputFormat, m_surfaceFormat)
          : nullptr;
  // The frame is checked instead of trusting it: planes present, rows at least a picture wide, and
  // never more converted than the locked surface holds.
  const int width = std::min<int>(m_width, static_cast<int>(desc.dwWidth));
  const int height = std::min<int>(m_height, static_cast<int>(desc.dwHeight));
  const bool planesGiven = y && u && (m_inputFormat != RP_FORMAT_YV12 || v);
  if (convert && (!planesGiven || stride < width || width <= 0 || height <= 0)) {
    MMTRACE("[CReelpane] frame refused: planes %p %p %p, stride %d for %d x %d", static_cast<const void*>(y),
            static_cast<const void*>(u), static_cast<const void*>(v), stride, width, height);
    result = -3;
  } else if (convert) {
    uint8_t* memory = static_cast<uint8_t*>(desc.lpSurface);
    uint8_t* dst[3] = {memory, nullptr, nullptr};
    if (m_surfaceFormat == RP_FORMAT_YV12) {
      const Yv12Planes planes = Yv12PlaneOffsets(desc.lPitch, static_cast<int>(desc.dwHeight));
      dst[2] = memory + planes.v;
      dst[1] = memory + planes.u;
    } else if (m_surfaceFormat == RP_FORMAT_NV12) {
      dst[1] = memory + static_cast<size_t>(desc.lPitch) * desc.dwHeight;
    }
    const uint8_t* src[3] = {y, u, v};
    convert(dst, desc.lPitch, src, stride, width, height, 0);
  }
  m_work->Unlock(nullptr);
  return result;
}

HRESULT CReelpane::PresentFrame() {
  if (!m_primary || !m_work) return E_POINTER;
  RECT source{0, 0, m_width, m_height};
  if (m_mode == 1) {
    for (RECT& margin : m_margins) {
      DDBLTFX fx;
      fx.dwFillColor = 0;
      m_primary->Blt(&margin, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_DONOTWAIT, &fx);
    }
  }
  HRESULT hr;
  if (m_overlay) {
    if (m_front == m_work) return E_FAIL;
    hr = m_front->Flip(nullptr, DDFLIP_WAIT);
  } else {
    hr = m_primary->Blt(&m_dest, m_work, &source, DDBLT_WAIT, nullptr);
  }
  if (hr != DDERR_SURFACELOST) return hr;
  const HRESULT level = m_dd->TestCooperativeLevel();
  if (level == DD_OK) {
    hr = m_dd->RestoreAllSurfaces();
    m_overlayPending = true;
    return hr;
  }
  if (level == DDERR_WRONGMODE) {
    ReleaseDisplayObjects();
    ClearDirectDrawPool(GetDirectDrawPool());
    return CreateDisplayWindow(m_screen, m_window, m_width, m_height);
  }
  return level;
}

int CReelpane::EnumerateScreens() {
  m_screens.clear();
  m_enumStatus = 0;
  const HRESULT hr = DirectDrawEnumerateExW(&CReelpane::EnumScreenCallback, this, DDENUM_ATTACHEDSECONDARYDEVICES);
  if (hr != DD_OK) {
    MMTRACE("[CReelpane] DirectDrawEnumerateEx failed=%x", static_cast<unsigned>(hr));
    return hr;
  }
  if (m_enumStatus < 0) return m_enumStatus;
  m_severalScreens = m_screens.size() > 1;
  return 0;
}

BOOL CReelpane::EnumScreenCallback(GUID* guid, LPWSTR, LPWSTR, void* context, HMONITOR monitor) {
  return static_cast<CReelpane*>(context)->AddScreen(guid, monitor);
}

int CReelpane::AddScreen(const GUID* guid, HMONITOR monitor) {
  try {
    MMTRACE("[CReelpane] AddScreen GUID=%s", FormatDeviceGuid(guid).c_str());
    static const GUID zero{};
    if (!m_screens.empty() && m_screens.front().guid == zero) m_screens.clear();
    m_screens.push_back(Screen{guid ? *guid : GUID{}, monitor});
    return 1;
  } catch (const std::bad_alloc&) {
    m_enumStatus = E_OUTOFMEMORY;
    return 0;
  }
}

}  // namespace reelpane
