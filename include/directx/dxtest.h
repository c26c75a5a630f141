// The test configuration of the DirectDraw layer: what the display offers and where calls fail.
// Normal use never touches it; the default is one 32-bit display of 1920 x 1080 without overlays
// or FourCC surfaces, system version 6.1.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ddraw.h"
#include "dxwindow.h"

namespace lwdx {

// Calls at which a failure can be injected.
enum class DxCall {
  Create,               // DirectDrawCreateEx
  Enumerate,            // DirectDrawEnumerateExW
  SetCooperativeLevel,
  CreatePrimary,        // CreateSurface of a primary surface
  CreateSurface,        // CreateSurface of any other surface
  CreateClipper,
  SetHWnd,
  SetClipper,
  GetAttachedSurface,
  Lock,
  Blt,                  // copies (not colour fills)
  ColorFill,
  Flip,
  UpdateOverlay,
  TestCooperativeLevel,
  RestoreAllSurfaces,
  GetVersion,
};

struct DxMonitor {
  GUID guid;  // the device's GUID
  HMONITOR monitor;
  RECT rect;  // rcMonitor
};

struct DxConfig {
  DWORD displayBits = 32;           // RGB off-screen surfaces take this format (16, 24, 32; 8 fails)
  bool overlays = false;            // overlay flip chains may be made
  std::vector<DWORD> fourCCs;       // FourCC formats that surfaces may have (empty: none)
  bool videoMemory = true;          // DDSCAPS_VIDEOMEMORY surfaces may be made
  DWORD majorVersion = 6, minorVersion = 1;
  RECT primaryRect{0, 0, 1920, 1080};
  std::vector<DxMonitor> monitors;  // more than one: enumerated after the primary driver
  // Called before each listed call with the call and how many of its kind came before in this
  // configuration; a result other than DD_OK makes the call fail with it.
  std::function<HRESULT(DxCall, int)> inject;
};

// Replaces the configuration (also resets the counters, the call log and the created objects).
void SetDxConfig(const DxConfig& config);
void ResetDxConfig();
DxConfig CurrentDxConfig();
// Counts a GetVersionExW call; true when the configuration makes it fail.
bool InjectVersionFailure();
// Every call made since the configuration was set, as short texts ("CreateSurface caps=4040 fourcc=32315659").
std::vector<std::string> DxCallLog();
void ClearDxCallLog();
// DirectDraw objects alive now and ever created.
int LiveDirectDrawObjects();
int CreatedDirectDrawObjects();
// The surfaces created since the configuration was set, each with a reference for the caller.
std::vector<IDirectDrawSurface7*> TakeCreatedSurfaces();
// Marks every surface of every object lost (Blt, Flip, Lock then fail with DDERR_SURFACELOST until
// restored), and sets what TestCooperativeLevel reports.
void LoseAllSurfaces(HRESULT cooperativeLevel);

}  // namespace lwdx
