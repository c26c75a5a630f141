// The test configuration of the Direct3D 9 layer: failures at chosen calls, the devices' lost
// state, padded texture sizes, a call log and counts of live objects. Normal use never touches it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "d3d9.h"

namespace lwdx {

enum class D3DCall {
  Create,           // Direct3DCreate9
  CreateDevice,
  CreateTexture,
  LockTexture,      // IDirect3DTexture9::LockRect
  GetSurfaceLevel,
  LockSurface,      // IDirect3DSurface9::LockRect
  GetBackBuffer,
  Reset,
};

struct D3DConfig {
  // Textures are made with their sides rounded up to a multiple of this (a display that pads).
  int textureAlign = 1;
  // Called before each listed call with the call and how many of its kind came before; a result
  // other than D3D_OK (0) makes the call fail with it.
  std::function<HRESULT(D3DCall, int)> inject;
};

// Replaces the configuration and clears the counters and the call log.
void SetD3DConfig(const D3DConfig& config);
void ResetD3DConfig();
// What TestCooperativeLevel of every live device reports from now on: D3DERR_DEVICELOST (Reset
// fails and Present draws nothing), D3DERR_DEVICENOTRESET (Reset succeeds and makes the device
// usable again) or 0.
void SetD3DCooperativeLevel(HRESULT level);
// Calls since the configuration was set, as short texts ("Reset 800x600 swap=1 interval=80000000");
// only the most recent few thousand are kept.
std::vector<std::string> D3DCallLog();
void ClearD3DCallLog();

struct D3DLiveObjects {
  int direct3d = 0, devices = 0, textures = 0, surfaces = 0;
};
D3DLiveObjects LiveD3DObjects();

}  // namespace lwdx
