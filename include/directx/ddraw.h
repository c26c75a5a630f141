// DirectDraw 7 as the video renderer calls it, over plain memory.
//
// Surfaces are memory with a pitch. A primary surface stands for the display; with a clipper
// bound to a window, blits and colour fills on it reach that window (see dxwindow.h): the
// destination is in the coordinates of the device's monitor and is clipped to the window's client
// area. Stretching blits copy RGB pixels with nearest-neighbour sampling, so a uniform picture
// stays uniform. In normal use only RGB off-screen surfaces in the display's 32-bit format exist:
// overlays and FourCC (YUV) surfaces are refused, so every pixel shown comes from the caller's own
// conversion. A test configuration (dxtest.h) offers overlays, FourCC formats, several monitors and
// failure injection behind the same calls.
#pragma once

#include <cstdint>

#include <windows.h>

// Result codes.
#define DD_OK S_OK
#define DDERR_INVALIDOBJECT ((HRESULT)0x88760082)
#define DDERR_SURFACEBUSY ((HRESULT)0x887601AE)
#define DDERR_SURFACELOST ((HRESULT)0x887601C2)
#define DDERR_WASSTILLDRAWING ((HRESULT)0x8876021C)
#define DDERR_WRONGMODE ((HRESULT)0x8876024B)
#define DDERR_UNSUPPORTEDMODE ((HRESULT)0x8876024E)
#define DDERR_INVALIDPIXELFORMAT ((HRESULT)0x88760091)
#define DDERR_NOOVERLAYHW ((HRESULT)0x887600B5)
#define DDERR_NOTFOUND ((HRESULT)0x887600FF)
#define DDERR_NOCLIPPERATTACHED ((HRESULT)0x88760205)

// Surface description fields in use.
#define DDSD_CAPS 0x00000001u
#define DDSD_HEIGHT 0x00000002u
#define DDSD_WIDTH 0x00000004u
#define DDSD_PITCH 0x00000008u
#define DDSD_BACKBUFFERCOUNT 0x00000020u
#define DDSD_LPSURFACE 0x00000800u
#define DDSD_PIXELFORMAT 0x00001000u

// Surface capabilities.
#define DDSCAPS_BACKBUFFER 0x00000004u
#define DDSCAPS_COMPLEX 0x00000008u
#define DDSCAPS_FLIP 0x00000010u
#define DDSCAPS_FRONTBUFFER 0x00000020u
#define DDSCAPS_OFFSCREENPLAIN 0x00000040u
#define DDSCAPS_OVERLAY 0x00000080u
#define DDSCAPS_PRIMARYSURFACE 0x00000200u
#define DDSCAPS_SYSTEMMEMORY 0x00000800u
#define DDSCAPS_VIDEOMEMORY 0x00004000u

// Pixel format flags.
#define DDPF_FOURCC 0x00000004u
#define DDPF_RGB 0x00000040u
#define DDPF_YUV 0x00000200u

// Call flags.
#define DDSCL_NORMAL 0x00000008u
#define DDLOCK_WAIT 0x00000001u
#define DDBLT_COLORFILL 0x00000400u
#define DDBLT_WAIT 0x01000000u
#define DDBLT_DONOTWAIT 0x08000000u
#define DDFLIP_WAIT 0x00000001u
#define DDOVER_SHOW 0x00004000u
#define DDOVER_KEYDESTOVERRIDE 0x00000800u
#define DDENUM_ATTACHEDSECONDARYDEVICES 0x00000001u

#define LW_MAKEFOURCC(a, b, c, d) \
  ((DWORD)(uint8_t)(a) | ((DWORD)(uint8_t)(b) << 8) | ((DWORD)(uint8_t)(c) << 16) | ((DWORD)(uint8_t)(d) << 24))

struct DDPIXELFORMAT {
  DWORD dwSize = sizeof(DDPIXELFORMAT);
  DWORD dwFlags = 0;
  DWORD dwFourCC = 0;
  DWORD dwRGBBitCount = 0;  // also the YUV bit count for FourCC formats
  DWORD dwRBitMask = 0;
  DWORD dwGBitMask = 0;
  DWORD dwBBitMask = 0;
  DWORD dwAlphaBitMask = 0;
};

struct DDSCAPS2 {
  DWORD dwCaps = 0;
  DWORD dwCaps2 = 0;
  DWORD dwCaps3 = 0;
  DWORD dwCaps4 = 0;
};

struct DDSURFACEDESC2 {
  DWORD dwSize = sizeof(DDSURFACEDESC2);
  DWORD dwFlags = 0;
  DWORD dwHeight = 0;
  DWORD dwWidth = 0;
  LONG lPitch = 0;
  DWORD dwBackBufferCount = 0;
  void* lpSurface = nullptr;
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
};

struct DDBLTFX {
  DWORD dwSize = sizeof(DDBLTFX);
  DWORD dwFillColor = 0;  // in the destination's pixel format (0x00RRGGBB for 32 bits)
};

struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue = 0;
  DWORD dwColorSpaceHighValue = 0;
};

struct DDOVERLAYFX {
  DWORD dwSize = sizeof(DDOVERLAYFX);
  DDCOLORKEY dckDestColorkey;
};

// The reference-counted objects. Release() frees an object when its last reference goes.
class IDirectDrawClipper {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  // Binds the clipper to a window: what is drawn through it stays inside the client area.
  virtual HRESULT SetHWnd(DWORD flags, HWND window) = 0;

 protected:
  ~IDirectDrawClipper() = default;
};

class IDirectDrawSurface7 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  // The whole surface (rect must be null): fills desc with size, pitch, format and memory.
  virtual HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT Unlock(RECT* rect) = 0;
  // DDBLT_COLORFILL with fx->dwFillColor (no source), or a stretching copy of src's srcRect (null:
  // the whole source) to dstRect (null: the whole destination).
  virtual HRESULT Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) = 0;
  virtual HRESULT Flip(IDirectDrawSurface7* target, DWORD flags) = 0;
  virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** surface) = 0;
  virtual HRESULT SetClipper(IDirectDrawClipper* clipper) = 0;
  virtual HRESULT UpdateOverlay(RECT* srcRect, IDirectDrawSurface7* dst, RECT* dstRect, DWORD flags,
                                DDOVERLAYFX* fx) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;

 protected:
  ~IDirectDrawSurface7() = default;
};

class IDirectDraw7 {
 public:
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** surface, void* outer) = 0;
  virtual HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** clipper, void* outer) = 0;
  // DD_OK while the surfaces can be used; DDERR_WRONGMODE after the display mode changed.
  virtual HRESULT TestCooperativeLevel() = 0;
  virtual HRESULT RestoreAllSurfaces() = 0;

 protected:
  ~IDirectDraw7() = default;
};

extern const IID IID_IDirectDraw7;

// A DirectDraw object for the display device of guid (null: the primary display driver).
HRESULT DirectDrawCreateEx(GUID* guid, void** object, const IID& iid, void* outer);

// Called once per display device, the primary display driver first (null GUID, no monitor);
// returning FALSE ends the enumeration.
typedef BOOL (*LPDDENUMCALLBACKEXW)(GUID* guid, LPWSTR description, LPWSTR driverName, void* context,
                                    HMONITOR monitor);
HRESULT DirectDrawEnumerateExW(LPDDENUMCALLBACKEXW callback, void* context, DWORD flags);
