// Direct3D 9 as the video renderer uses it, over plain memory: one Direct3D object per caller, a
// windowed device whose back buffer has the window's client size, dynamic X8R8G8B8 textures, a
// lost / not-reset state, Clear, GetBackBuffer, StretchRect with linear filtering and Present into
// the window's target (dxwindow.h). Also the one D3DX helper the renderer needs: the left-handed
// perspective projection.
//
// Adapters are the displays of the DirectDraw layer's configuration: the primary display, or each
// monitor of a configuration with several; GetAdapterMonitor tells which monitor an adapter shows.
#pragma once

#include <cstdint>

#include <windows.h>

#define D3D_SDK_VERSION 32u
#define D3DADAPTER_DEFAULT 0u
#define D3D_OK S_OK

#define D3DERR_NOTAVAILABLE ((HRESULT)0x8876086A)
#define D3DERR_INVALIDCALL ((HRESULT)0x8876086C)
#define D3DERR_DEVICELOST ((HRESULT)0x88760868)
#define D3DERR_DEVICENOTRESET ((HRESULT)0x88760869)
#define D3DERR_OUTOFVIDEOMEMORY ((HRESULT)0x8876017C)

enum D3DFORMAT : uint32_t {
  D3DFMT_UNKNOWN = 0,
  D3DFMT_R8G8B8 = 20,
  D3DFMT_A8R8G8B8 = 21,
  D3DFMT_X8R8G8B8 = 22,
  D3DFMT_R5G6B5 = 23,
  D3DFMT_D16 = 80,
  D3DFMT_UYVY = 0x59565955,  // 'UYVY'
  D3DFMT_YUY2 = 0x32595559,  // 'YUY2'
};

enum D3DDEVTYPE : uint32_t { D3DDEVTYPE_HAL = 1, D3DDEVTYPE_REF = 2 };
enum D3DPOOL : uint32_t { D3DPOOL_DEFAULT = 0, D3DPOOL_MANAGED = 1, D3DPOOL_SYSTEMMEM = 2 };
enum D3DMULTISAMPLE_TYPE : uint32_t { D3DMULTISAMPLE_NONE = 0 };
enum D3DSWAPEFFECT : uint32_t { D3DSWAPEFFECT_DISCARD = 1, D3DSWAPEFFECT_FLIP = 2, D3DSWAPEFFECT_COPY = 3 };
enum D3DBACKBUFFER_TYPE : uint32_t { D3DBACKBUFFER_TYPE_MONO = 0 };
enum D3DTEXTUREFILTERTYPE : uint32_t { D3DTEXF_NONE = 0, D3DTEXF_POINT = 1, D3DTEXF_LINEAR = 2 };
enum D3DTRANSFORMSTATETYPE : uint32_t { D3DTS_VIEW = 2, D3DTS_PROJECTION = 3, D3DTS_WORLD = 256 };
enum D3DRESOURCETYPE : uint32_t { D3DRTYPE_SURFACE = 1, D3DRTYPE_TEXTURE = 3 };

#define D3DCREATE_MULTITHREADED 0x00000004u
#define D3DCREATE_SOFTWARE_VERTEXPROCESSING 0x00000020u
#define D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL 0x00000002u
#define D3DPRESENT_INTERVAL_DEFAULT 0x00000000u
#define D3DPRESENT_INTERVAL_IMMEDIATE 0x80000000u
#define D3DUSAGE_DYNAMIC 0x00000200u
#define D3DLOCK_NOSYSLOCK 0x00000800u
#define D3DCLEAR_TARGET 0x00000001u
#define D3DCLEAR_ZBUFFER 0x00000002u

typedef uint32_t D3DCOLOR;

struct D3DPRESENT_PARAMETERS {
  UINT BackBufferWidth;
  UINT BackBufferHeight;
  D3DFORMAT BackBufferFormat;
  UINT BackBufferCount;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  D3DSWAPEFFECT SwapEffect;
  HWND hDeviceWindow;
  BOOL Windowed;
  BOOL EnableAutoDepthStencil;
  D3DFORMAT AutoDepthStencilFormat;
  DWORD Flags;
  UINT FullScreen_RefreshRateInHz;
  UINT PresentationInterval;
};

struct D3DSURFACE_DESC {
  D3DFORMAT Format;
  D3DRESOURCETYPE Type;
  DWORD Usage;
  D3DPOOL Pool;
  D3DMULTISAMPLE_TYPE MultiSampleType;
  DWORD MultiSampleQuality;
  UINT Width;
  UINT Height;
};

struct D3DLOCKED_RECT {
  INT Pitch;
  void* pBits;
};

struct D3DMATRIX {
  float m[4][4];
};

struct D3DRECT {
  LONG x1, y1, x2, y2;
};

struct RGNDATA;

// Every object is reference counted: the creator holds one reference, Release frees at zero.
class IDirect3DSurface9 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT GetDesc(D3DSURFACE_DESC* desc) = 0;
  // rect must be null (the whole surface).
  virtual HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect() = 0;

 protected:
  ~IDirect3DSurface9() = default;
};

class IDirect3DTexture9 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) = 0;
  // Hands out a reference to the level's surface.
  virtual HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) = 0;
  virtual HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD flags) = 0;
  virtual HRESULT UnlockRect(UINT level) = 0;

 protected:
  ~IDirect3DTexture9() = default;
};

class IDirect3DDevice9 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  // D3D_OK, D3DERR_DEVICELOST (nothing can be drawn) or D3DERR_DEVICENOTRESET (Reset now works).
  virtual HRESULT TestCooperativeLevel() = 0;
  // Drops the back buffer and makes one of the new size; textures of the default pool must be
  // released first, else the call fails.
  virtual HRESULT Reset(D3DPRESENT_PARAMETERS* params) = 0;
  virtual HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                IDirect3DTexture9** texture, HANDLE* shared) = 0;
  virtual HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** back) = 0;
  virtual HRESULT StretchRect(IDirect3DSurface9* src, const RECT* srcRect, IDirect3DSurface9* dst, const RECT* dstRect,
                              D3DTEXTUREFILTERTYPE filter) = 0;
  // rects must be null (the whole target).
  virtual HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float z, DWORD stencil) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) = 0;
  // Copies the back buffer into the device window's client area (all arguments must be null).
  virtual HRESULT Present(const RECT* src, const RECT* dst, HWND window, const RGNDATA* dirty) = 0;

 protected:
  ~IDirect3DDevice9() = default;
};

class IDirect3D9 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual UINT GetAdapterCount() = 0;
  virtual HMONITOR GetAdapterMonitor(UINT adapter) = 0;
  virtual HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** device) = 0;

 protected:
  ~IDirect3D9() = default;
};

// Null when the version is not D3D_SDK_VERSION or the configuration makes it fail.
IDirect3D9* Direct3DCreate9(UINT sdkVersion);

// D3DX: a row-major matrix and the left-handed perspective projection.
struct D3DXMATRIX : D3DMATRIX {};
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar);
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out);
