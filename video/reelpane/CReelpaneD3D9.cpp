// The Direct3D 9 renderer (see CReelpaneD3D9.h).
#include "CReelpaneD3D9.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include <dxwindow.h>

#include "ColorConv.h"
#include "MMLog.h"
#include "ReelpaneFactory.h"

namespace reelpane {

namespace {

template <class T>
void ReleaseAndNull(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

IReelpane* CreateD3D9Renderer() { return new (std::nothrow) CReelpaneD3D9(); }

CReelpaneD3D9::~CReelpaneD3D9() = default;

int CReelpaneD3D9::GetType(int*) { return 0; }
int CReelpaneD3D9::GetSubType(int*) { return 0; }
int CReelpaneD3D9::GetErrorText(wchar_t*, int) { return 0; }

// A host that did not detach first still gets its device and texture released.
int CReelpaneD3D9::Release() {
  Detach();
  delete this;
  return 0;
}

int CReelpaneD3D9::SetRenderFlag() {
  m_flag = 1;
  return 0;
}

int CReelpaneD3D9::GetVideoSize(int* width, int* height) {
  if (width) *width = m_videoWidth;
  if (height) *height = m_videoHeight;
  return 0;
}

D3DPRESENT_PARAMETERS CReelpaneD3D9::PresentParameters(bool reset) const {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = static_cast<UINT>(std::max(0, m_clientWidth));
  p.BackBufferHeight = static_cast<UINT>(std::max(0, m_clientHeight));
  p.BackBufferFormat = D3DFMT_X8R8G8B8;
  p.BackBufferCount = 1;
  p.MultiSampleType = D3DMULTISAMPLE_NONE;
  p.MultiSampleQuality = 0;
  p.SwapEffect = reset ? D3DSWAPEFFECT_DISCARD : D3DSWAPEFFECT_COPY;
  p.hDeviceWindow = m_window;
  p.Windowed = TRUE;
  p.EnableAutoDepthStencil = TRUE;
  p.AutoDepthStencilFormat = D3DFMT_D16;
  p.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  p.FullScreen_RefreshRateInHz = 0;
  p.PresentationInterval = reset ? D3DPRESENT_INTERVAL_IMMEDIATE : D3DPRESENT_INTERVAL_DEFAULT;
  return p;
}

// The ordinal of the adapter that shows the window's monitor; -1 when none does.
int CReelpaneD3D9::FindWindowAdapter(HWND window) {
  const HMONITOR monitor = MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info;
  if (!monitor || !GetMonitorInfoW(monitor, &info)) return -1;
  const UINT count = m_d3d->GetAdapterCount();
  for (UINT i = 0; i < count; ++i)
    if (m_d3d->GetAdapterMonitor(i) == monitor) return static_cast<int>(i);
  return -1;
}

bool CReelpaneD3D9::CreateD3DDevice(HWND window) {
  m_window = window;
  m_d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!m_d3d) return false;
  RECT client{0, 0, 0, 0};
  DxGetClientRect(window, &client);
  m_clientWidth = client.right - client.left;
  m_clientHeight = client.bottom - client.top;
  D3DPRESENT_PARAMETERS params = PresentParameters(false);
  const int adapter = FindWindowAdapter(window);
  if (m_d3d->CreateDevice(static_cast<UINT>(adapter), D3DDEVTYPE_HAL, window,
                          D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_MULTITHREADED, &params,
                          &m_device) != D3D_OK) {
    m_device = nullptr;
    ReleaseAndNull(m_d3d);  // nothing of a failed attach is kept
    return false;
  }
  return true;
}

void CReelpaneD3D9::ResetD3DDevice() {
  RECT client{0, 0, 0, 0};
  DxGetClientRect(m_window, &client);
  m_clientWidth = client.right - client.left;
  m_clientHeight = client.bottom - client.top;
  D3DPRESENT_PARAMETERS params = PresentParameters(true);
  m_device->Reset(&params);  // a failed reset is found again by the next frame
}

void CReelpaneD3D9::SetupProjection(int width, int height) {
  if (height < 1 || !m_device) return;
  m_clientWidth = width;
  m_clientHeight = height;
  D3DXMatrixPerspectiveFovLH(&m_projection, 1.0471976f, static_cast<float>(width) / static_cast<float>(height),
                             0.1f, 6000.0f);
  m_device->SetTransform(D3DTS_PROJECTION, &m_projection);
}

void CReelpaneD3D9::ReleaseD3DObjects() {
  ReleaseAndNull(m_device);
  ReleaseAndNull(m_d3d);
}

void CReelpaneD3D9::ReleaseTexture() {
  ReleaseAndNull(m_surface);
  ReleaseAndNull(m_texture);
}

bool CReelpaneD3D9::ReadWindowRect(RECT* rect) const {
  RECT client;
  POINT origin{0, 0};
  if (!DxGetClientRect(m_attached, &client) || !DxClientToScreen(m_attached, &origin)) return false;
  *rect = RECT{origin.x, origin.y, origin.x + client.right - client.left, origin.y + client.bottom - client.top};
  return true;
}

int CReelpaneD3D9::Attach(HWND window, int mode) {
  // A second Attach gives up the device of the first.
  if (m_device) Detach();
  m_attached = window;
  m_mode = mode;
  m_owner = GetCurrentThreadId();
  if (!CreateD3DDevice(window)) return -1;
  ReadWindowRect(&m_windowRect);
  SetupProjection(m_clientWidth, m_clientHeight);
  SetVideoSize(m_videoWidth, m_videoHeight);
  return 0;
}

int CReelpaneD3D9::Detach() {
  if (!m_device) return -1;
  ReleaseTexture();
  ReleaseD3DObjects();
  return 0;
}

int CReelpaneD3D9::SetVideoSize(int width, int height) {
  m_videoWidth = width;
  m_videoHeight = height;
  if (!m_device) return -1;
  ReleaseTexture();
  if (width <= 0 || height <= 0) return -1;
  IDirect3DTexture9* texture = nullptr;
  if (m_device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1, D3DUSAGE_DYNAMIC,
                              D3DFMT_X8R8G8B8, D3DPOOL_DEFAULT, &texture, nullptr) != D3D_OK ||
      !texture)
    return -1;
  D3DLOCKED_RECT locked;
  IDirect3DSurface9* surface = nullptr;
  if (texture->LockRect(0, &locked, nullptr, D3DLOCK_NOSYSLOCK) != D3D_OK) {
    texture->Release();
    return -1;
  }
  if (texture->GetSurfaceLevel(0, &surface) != D3D_OK || !surface) {
    texture->UnlockRect(0);
    texture->Release();
    return -1;
  }
  D3DSURFACE_DESC desc;
  if (surface->GetDesc(&desc) == D3D_OK) {
    switch (desc.Format) {
      case D3DFMT_R8G8B8: m_converter = ConvertYV12ToRGB24; break;
      case D3DFMT_A8R8G8B8:
      case D3DFMT_X8R8G8B8: m_converter = ConvertYV12ToRGB32; break;
      case D3DFMT_R5G6B5: m_converter = ConvertYV12ToRGB565; break;
      case D3DFMT_YUY2: m_converter = ConvertYV12ToYUY2; break;
      case D3DFMT_UYVY: m_converter = ConvertYV12ToUYVY; break;
      default: break;
    }
  }
  texture->UnlockRect(0);
  m_texture = texture;
  m_surface = surface;
  return 0;
}

RECT CReelpaneD3D9::DestRect(int mode, int w, int h, int vw, int vh) {
  if (mode != 1 || vw <= 0 || vh <= 0) return RECT{0, 0, w, h};
  if (int64_t{vh} * w > int64_t{vw} * h) {
    const int width = static_cast<int>(int64_t{vw} * h / vh);
    const int left = (w - width) / 2;
    return RECT{left, 0, left + width, h};
  }
  const int height = static_cast<int>(int64_t{vh} * w / vw);
  const int top = (h - height) / 2;
  return RECT{0, top, w, top + height};
}

void CReelpaneD3D9::DrawScene() {
  m_device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0);
  IDirect3DSurface9* back = nullptr;
  if (m_surface && m_device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back) == D3D_OK && back) {
    const RECT dest = DestRect(m_mode, m_clientWidth, m_clientHeight, m_videoWidth, m_videoHeight);
    // Only the picture's part of a texture that the display made larger than asked.
    D3DSURFACE_DESC desc;
    RECT from{0, 0, m_videoWidth, m_videoHeight};
    if (m_surface->GetDesc(&desc) == D3D_OK) {
      from.right = std::min<LONG>(from.right, static_cast<LONG>(desc.Width));
      from.bottom = std::min<LONG>(from.bottom, static_cast<LONG>(desc.Height));
    }
    m_device->StretchRect(m_surface, &from, back, &dest, D3DTEXF_LINEAR);
    back->Release();
  }
  m_device->BeginScene();
  D3DXMATRIX identity;
  D3DXMatrixIdentity(&identity);
  m_device->SetTransform(D3DTS_WORLD, &identity);
  m_device->EndScene();
  m_device->Present(nullptr, nullptr, nullptr, nullptr);
}

int CReelpaneD3D9::ResetScene() {
  ReleaseTexture();
  if (GetCurrentThreadId() == m_owner) {
    MMTRACE("[CReelpaneD3D9] Reset Sence");
    ResetD3DDevice();
    SetVideoSize(m_videoWidth, m_videoHeight);
  } else {
    MMTRACE("[CReelpaneD3D9] Restart Sence");
    Detach();
    if (Attach(m_attached, m_mode) != 0) return -1;
  }
  SetupProjection(m_clientWidth, m_clientHeight);
  return 0;
}

int CReelpaneD3D9::RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) {
  if (!m_device && Attach(m_attached, m_mode) != 0) return -1;

  RECT now;
  if (ReadWindowRect(&now) && !EqualRect(&now, &m_windowRect)) {
    m_windowRect = now;
    // A restart that could not attach again leaves no device: the frame ends here.
    if (ResetScene() != 0 || !m_device) return -1;
  }

  const HRESULT level = m_device->TestCooperativeLevel();
  if (level == D3DERR_DEVICELOST) return 0;
  if (level == D3DERR_DEVICENOTRESET && (ResetScene() != 0 || !m_device)) return -1;

  D3DLOCKED_RECT locked;
  if (m_surface && m_converter && m_surface->LockRect(&locked, nullptr, D3DLOCK_NOSYSLOCK) == D3D_OK) {
    D3DSURFACE_DESC desc;
    if (m_surface->GetDesc(&desc) == D3D_OK) {
      // Never more than both the host's planes and the texture hold.
      const int width = std::min(m_videoWidth, static_cast<int>(desc.Width));
      const int height = std::min(m_videoHeight, static_cast<int>(desc.Height));
      // A frame without its planes, or whose rows are shorter than the picture (a negative stride
      // included), leaves the previous picture.
      if (y && u && width > 0 && height > 0 && stride >= width) {
        auto* bits = static_cast<uint8_t*>(locked.pBits);
        if (v) {
          m_converter(bits, locked.Pitch, y, u, v, stride, (stride + 1) / 2, width, height, 0);
        } else if (desc.Format == D3DFMT_X8R8G8B8 || desc.Format == D3DFMT_A8R8G8B8) {
          // NV12: U points at the interleaved chroma plane, rows of the luma stride.
          ConvertNV12ToRGB32(bits, locked.Pitch, y, u, nullptr, stride, stride, width, height, 0);
        }
        ClearVectorState();
      }
    }
    m_surface->UnlockRect();
  }
  DrawScene();
  return 0;
}

}  // namespace reelpane
