// Direct3D 9 over plain memory (see d3d9.h), with the test configuration of d3dtest.h.
#include "d3d9.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "d3dtest.h"
#include "dxtest.h"
#include "dxwindow.h"

namespace lwdx {
namespace {

constexpr UINT kMaxSide = 16384;
constexpr size_t kMaxLogLines = 8192;

class Device;

struct D3DGlobal {
  std::mutex lock;
  D3DConfig config;
  std::map<D3DCall, int> counts;
  std::vector<std::string> log;
  std::set<Device*> devices;
  D3DLiveObjects live;
};

D3DGlobal& G() {
  static D3DGlobal* g = new D3DGlobal();  // outlives static objects that may still release
  return *g;
}

HRESULT Inject(D3DCall call) {
  std::function<HRESULT(D3DCall, int)> inject;
  int n;
  {
    std::lock_guard<std::mutex> hold(G().lock);
    n = G().counts[call]++;
    inject = G().config.inject;
  }
  return inject ? inject(call, n) : D3D_OK;
}

void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::lock_guard<std::mutex> hold(G().lock);
  // A player runs for hours: the log keeps the recent calls only.
  if (G().log.size() >= kMaxLogLines) G().log.erase(G().log.begin(), G().log.begin() + kMaxLogLines / 2);
  G().log.emplace_back(buf);
}

void Count(int D3DLiveObjects::*field, int delta) {
  std::lock_guard<std::mutex> hold(G().lock);
  G().live.*field += delta;
}

// An X8R8G8B8 picture in memory: 0x00RRGGBB words, rows of `pitch` bytes.
class Surface final : public IDirect3DSurface9 {
 public:
  Surface(UINT width, UINT height, DWORD usage)
      : m_width(width), m_height(height), m_usage(usage), m_pitch(width * 4),
        m_pixels(static_cast<size_t>(width) * height, 0u) {
    Count(&D3DLiveObjects::surfaces, 1);
  }
  ~Surface() { Count(&D3DLiveObjects::surfaces, -1); }

  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetDesc(D3DSURFACE_DESC* desc) override {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = D3DSURFACE_DESC{D3DFMT_X8R8G8B8, D3DRTYPE_SURFACE, m_usage, D3DPOOL_DEFAULT, D3DMULTISAMPLE_NONE, 0,
                            m_width, m_height};
    return D3D_OK;
  }
  HRESULT LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
    if (HRESULT hr = Inject(D3DCall::LockSurface); hr != D3D_OK) return hr;
    return Lock(locked, rect);
  }
  HRESULT UnlockRect() override { return Unlock(); }

  HRESULT Lock(D3DLOCKED_RECT* locked, const RECT* rect) {
    if (!locked || rect) return D3DERR_INVALIDCALL;
    bool expected = false;
    if (!m_locked.compare_exchange_strong(expected, true)) return D3DERR_INVALIDCALL;
    locked->Pitch = static_cast<INT>(m_pitch);
    locked->pBits = m_pixels.data();
    return D3D_OK;
  }
  HRESULT Unlock() {
    bool expected = true;
    return m_locked.compare_exchange_strong(expected, false) ? D3D_OK : D3DERR_INVALIDCALL;
  }
  bool Locked() const { return m_locked; }

  UINT Width() const { return m_width; }
  UINT Height() const { return m_height; }
  uint32_t* Row(UINT y) { return m_pixels.data() + static_cast<size_t>(y) * m_width; }
  void Fill(uint32_t colour) { std::fill(m_pixels.begin(), m_pixels.end(), colour & 0xFFFFFFu); }

 private:
  std::atomic<ULONG> m_refs{1};
  const UINT m_width, m_height;
  const DWORD m_usage;
  const UINT m_pitch;
  std::vector<uint32_t> m_pixels;
  std::atomic<bool> m_locked{false};
};

class Texture final : public IDirect3DTexture9 {
 public:
  Texture(Device* device, UINT width, UINT height, DWORD usage);
  ~Texture();
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override {
    if (level != 0) return D3DERR_INVALIDCALL;
    return m_level->GetDesc(desc);
  }
  HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override {
    if (!surface || level != 0) return D3DERR_INVALIDCALL;
    if (HRESULT hr = Inject(D3DCall::GetSurfaceLevel); hr != D3D_OK) return hr;
    m_level->AddRef();
    *surface = m_level;
    return D3D_OK;
  }
  HRESULT LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) override {
    if (level != 0) return D3DERR_INVALIDCALL;
    if (HRESULT hr = Inject(D3DCall::LockTexture); hr != D3D_OK) return hr;
    return m_level->Lock(locked, rect);
  }
  HRESULT UnlockRect(UINT level) override { return level == 0 ? m_level->Unlock() : D3DERR_INVALIDCALL; }

 private:
  std::atomic<ULONG> m_refs{1};
  Device* m_device;  // one reference
  Surface* m_level;  // one reference
};

class Device final : public IDirect3DDevice9 {
 public:
  Device(HWND window, const D3DPRESENT_PARAMETERS& params) : m_window(window) {
    SetParams(params);
    Count(&D3DLiveObjects::devices, 1);
    std::lock_guard<std::mutex> hold(G().lock);
    G().devices.insert(this);
  }
  ~Device() {
    m_back->Release();
    Count(&D3DLiveObjects::devices, -1);
    std::lock_guard<std::mutex> hold(G().lock);
    G().devices.erase(this);
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }

  HRESULT TestCooperativeLevel() override {
    Log("TestCooperativeLevel");
    return m_level;
  }
  HRESULT Reset(D3DPRESENT_PARAMETERS* params) override {
    if (!params) return D3DERR_INVALIDCALL;
    Log("Reset %ux%u swap=%u interval=%x", params->BackBufferWidth, params->BackBufferHeight,
        static_cast<unsigned>(params->SwapEffect), params->PresentationInterval);
    if (HRESULT hr = Inject(D3DCall::Reset); hr != D3D_OK) return hr;
    if (m_level == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
    if (m_textures > 0) {
      Log("Reset refused: %d textures of the default pool alive", m_textures.load());
      return D3DERR_INVALIDCALL;
    }
    SetParams(*params);
    m_level = D3D_OK;
    return D3D_OK;
  }
  HRESULT CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                        IDirect3DTexture9** texture, HANDLE*) override {
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    Log("CreateTexture %ux%u", width, height);
    if (HRESULT hr = Inject(D3DCall::CreateTexture); hr != D3D_OK) return hr;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide || levels != 1 ||
        format != D3DFMT_X8R8G8B8 || pool != D3DPOOL_DEFAULT)
      return D3DERR_INVALIDCALL;
    if (m_level != D3D_OK) return D3DERR_DEVICELOST;
    UINT align;
    {
      std::lock_guard<std::mutex> hold(G().lock);
      align = static_cast<UINT>(std::max(1, G().config.textureAlign));
    }
    width = (width + align - 1) / align * align;
    height = (height + align - 1) / align * align;
    *texture = new (std::nothrow) Texture(this, width, height, usage);
    return *texture ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
  }
  HRESULT GetBackBuffer(UINT swapChain, UINT index, D3DBACKBUFFER_TYPE, IDirect3DSurface9** back) override {
    if (!back || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
    if (HRESULT hr = Inject(D3DCall::GetBackBuffer); hr != D3D_OK) return hr;
    m_back->AddRef();
    *back = m_back;
    return D3D_OK;
  }
  HRESULT StretchRect(IDirect3DSurface9* srcIface, const RECT* srcRect, IDirect3DSurface9* dstIface,
                      const RECT* dstRect, D3DTEXTUREFILTERTYPE filter) override;
  HRESULT Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR colour, float, DWORD) override {
    if (count != 0 || rects) return D3DERR_INVALIDCALL;
    Log("Clear %x %08x", static_cast<unsigned>(flags), colour);
    if (flags & D3DCLEAR_TARGET) m_back->Fill(colour);
    return D3D_OK;
  }
  HRESULT BeginScene() override {
    if (m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = true;
    return D3D_OK;
  }
  HRESULT EndScene() override {
    if (!m_inScene) return D3DERR_INVALIDCALL;
    m_inScene = false;
    return D3D_OK;
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) override {
    if (!matrix) return D3DERR_INVALIDCALL;
    Log("SetTransform %u", static_cast<unsigned>(state));
    m_transforms[state] = *matrix;
    return D3D_OK;
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) override {
    if (!matrix) return D3DERR_INVALIDCALL;
    auto it = m_transforms.find(state);
    if (it == m_transforms.end()) return D3DERR_INVALIDCALL;
    *matrix = it->second;
    return D3D_OK;
  }
  HRESULT Present(const RECT* src, const RECT* dst, HWND window, const RGNDATA* dirty) override;

  void SetLevel(HRESULT level) { m_level = level; }
  void TextureMade(int delta) { m_textures += delta; }

 private:
  void SetParams(const D3DPRESENT_PARAMETERS& params) {
    UINT w = params.BackBufferWidth, h = params.BackBufferHeight;
    RECT client{0, 0, 0, 0};
    if ((w == 0 || h == 0) && DxGetClientRect(m_window, &client)) {
      if (w == 0) w = static_cast<UINT>(std::max<LONG>(1, client.right));
      if (h == 0) h = static_cast<UINT>(std::max<LONG>(1, client.bottom));
    }
    w = std::clamp<UINT>(w, 1, kMaxSide);
    h = std::clamp<UINT>(h, 1, kMaxSide);
    if (m_back) m_back->Release();
    m_back = new Surface(w, h, 0);
  }

  std::atomic<ULONG> m_refs{1};
  HWND m_window;
  Surface* m_back = nullptr;
  std::atomic<HRESULT> m_level{D3D_OK};
  std::atomic<int> m_textures{0};
  bool m_inScene = false;
  std::map<D3DTRANSFORMSTATETYPE, D3DMATRIX> m_transforms;
};

Texture::Texture(Device* device, UINT width, UINT height, DWORD usage)
    : m_device(device), m_level(new Surface(width, height, usage)) {
  m_device->AddRef();
  m_device->TextureMade(1);
  Count(&D3DLiveObjects::textures, 1);
}

Texture::~Texture() {
  m_level->Release();
  m_device->TextureMade(-1);
  m_device->Release();
  Count(&D3DLiveObjects::textures, -1);
}

// Where destination pixel i of n samples a source span of m pixels starting at `first`: the
// source position of its centre in 16.16 fixed point, clamped to the span's first and last pixel.
struct Tap {
  int index;   // left or upper source pixel
  int next;    // the one after it (the same at the edge)
  uint32_t w;  // weight of `next`, 0..256
};

void MakeTaps(std::vector<Tap>* taps, LONG first, LONG m, LONG n, bool linear) {
  taps->resize(static_cast<size_t>(n));
  for (LONG i = 0; i < n; ++i) {
    int64_t pos = ((2 * int64_t{i} + 1) * m * 65536) / (2 * int64_t{n}) - 32768;
    pos = std::clamp<int64_t>(pos, 0, int64_t{m - 1} * 65536);
    Tap& t = (*taps)[static_cast<size_t>(i)];
    if (!linear) {
      t = Tap{static_cast<int>(first + ((pos + 32768) >> 16)), 0, 0};
      t.next = t.index;
      continue;
    }
    t.index = static_cast<int>(first + (pos >> 16));
    t.next = std::min(t.index + 1, static_cast<int>(first + m - 1));
    t.w = static_cast<uint32_t>((pos & 0xFFFF) >> 8);
  }
}

// a + (b - a) * w / 256 on the three channels of 0x00RRGGBB, R and B in one word, G in another:
// equal inputs give the input back exactly.
inline uint32_t Mix(uint32_t a, uint32_t b, uint32_t w) {
  const uint32_t rbA = a & 0x00FF00FFu, rbB = b & 0x00FF00FFu, gA = a & 0x0000FF00u, gB = b & 0x0000FF00u;
  const uint32_t rb = ((rbA * (256 - w) + rbB * w) >> 8) & 0x00FF00FFu;
  const uint32_t g = ((gA * (256 - w) + gB * w) >> 8) & 0x0000FF00u;
  return rb | g;
}

// Bilinear filtering on pixel centres, edges clamped (or the nearest pixel without
// D3DTEXF_LINEAR): a uniform picture stays uniform, a 1:1 copy is exact.
HRESULT Device::StretchRect(IDirect3DSurface9* srcIface, const RECT* srcRect, IDirect3DSurface9* dstIface,
                            const RECT* dstRect, D3DTEXTUREFILTERTYPE filter) {
  if (!srcIface || !dstIface) return D3DERR_INVALIDCALL;
  auto* src = static_cast<Surface*>(srcIface);
  auto* dst = static_cast<Surface*>(dstIface);
  if (src == dst || src->Locked() || dst->Locked()) return D3DERR_INVALIDCALL;
  const RECT sWhole{0, 0, static_cast<LONG>(src->Width()), static_cast<LONG>(src->Height())};
  const RECT dWhole{0, 0, static_cast<LONG>(dst->Width()), static_cast<LONG>(dst->Height())};
  const RECT from = srcRect ? *srcRect : sWhole, to = dstRect ? *dstRect : dWhole;
  RECT inside;
  if (!IntersectRect(&inside, &from, &sWhole) || !EqualRect(&inside, &from)) return D3DERR_INVALIDCALL;
  if (!IntersectRect(&inside, &to, &dWhole) || !EqualRect(&inside, &to)) return D3DERR_INVALIDCALL;
  Log("StretchRect (%d,%d,%d,%d) from (%d,%d,%d,%d) filter=%u", static_cast<int>(to.left), static_cast<int>(to.top),
      static_cast<int>(to.right), static_cast<int>(to.bottom), static_cast<int>(from.left),
      static_cast<int>(from.top), static_cast<int>(from.right), static_cast<int>(from.bottom),
      static_cast<unsigned>(filter));
  const LONG sw = from.right - from.left, sh = from.bottom - from.top;
  const LONG dw = to.right - to.left, dh = to.bottom - to.top;
  if (sw == dw && sh == dh) {
    for (LONG y = 0; y < dh; ++y)
      std::memcpy(dst->Row(static_cast<UINT>(to.top + y)) + to.left, src->Row(static_cast<UINT>(from.top + y)) + from.left,
                  static_cast<size_t>(dw) * 4);
    return D3D_OK;
  }
  const bool linear = filter == D3DTEXF_LINEAR;
  std::vector<Tap> cols, rows;
  MakeTaps(&cols, from.left, sw, dw, linear);
  MakeTaps(&rows, from.top, sh, dh, linear);
  for (LONG y = 0; y < dh; ++y) {
    const Tap& ty = rows[static_cast<size_t>(y)];
    const uint32_t* r0 = src->Row(static_cast<UINT>(ty.index));
    const uint32_t* r1 = src->Row(static_cast<UINT>(ty.next));
    uint32_t* out = dst->Row(static_cast<UINT>(to.top + y)) + to.left;
    for (LONG x = 0; x < dw; ++x) {
      const Tap& tx = cols[static_cast<size_t>(x)];
      const uint32_t a = Mix(r0[tx.index], r0[tx.next], tx.w);
      out[x] = ty.w ? Mix(a, Mix(r1[tx.index], r1[tx.next], tx.w), ty.w) : a;
    }
  }
  return D3D_OK;
}

HRESULT Device::Present(const RECT* src, const RECT* dst, HWND window, const RGNDATA* dirty) {
  if (src || dst || window || dirty) return D3DERR_INVALIDCALL;
  if (m_level != D3D_OK) {
    Log("Present refused: device lost");
    return D3DERR_DEVICELOST;
  }
  std::shared_ptr<WindowTarget> target = FindWindowTarget(m_window);
  if (!target) return D3DERR_INVALIDCALL;
  Log("Present %ux%u", m_back->Width(), m_back->Height());
  RECT client;
  target->GetClient(&client, nullptr);
  Surface* back = m_back;
  target->Draw(
      [back](uint32_t* px, int w, int h, int pitch) {
        const int cw = std::min<int>(w, static_cast<int>(back->Width()));
        const int ch = std::min<int>(h, static_cast<int>(back->Height()));
        for (int y = 0; y < ch; ++y) std::memcpy(px + static_cast<size_t>(y) * pitch, back->Row(y), cw * 4u);
      },
      client);
  return D3D_OK;
}

class Direct3D final : public IDirect3D9 {
 public:
  Direct3D() { Count(&D3DLiveObjects::direct3d, 1); }
  ~Direct3D() { Count(&D3DLiveObjects::direct3d, -1); }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG n = --m_refs;
    if (n == 0) delete this;
    return n;
  }
  UINT GetAdapterCount() override {
    const DxConfig c = CurrentDxConfig();
    return c.monitors.empty() ? 1u : static_cast<UINT>(c.monitors.size());
  }
  HMONITOR GetAdapterMonitor(UINT adapter) override {
    const DxConfig c = CurrentDxConfig();
    if (c.monitors.empty()) return adapter == 0 ? MonitorFromWindow(nullptr, MONITOR_DEFAULTTOPRIMARY) : nullptr;
    return adapter < c.monitors.size() ? c.monitors[adapter].monitor : nullptr;
  }
  HRESULT CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focus, DWORD behaviour, D3DPRESENT_PARAMETERS* params,
                       IDirect3DDevice9** device) override {
    if (!device || !params) return D3DERR_INVALIDCALL;
    *device = nullptr;
    Log("CreateDevice adapter=%d %ux%u swap=%u interval=%x behaviour=%x", static_cast<int>(adapter),
        params->BackBufferWidth, params->BackBufferHeight, static_cast<unsigned>(params->SwapEffect),
        params->PresentationInterval, static_cast<unsigned>(behaviour));
    if (HRESULT hr = Inject(D3DCall::CreateDevice); hr != D3D_OK) return hr;
    if (adapter >= GetAdapterCount() || type != D3DDEVTYPE_HAL || !params->Windowed) return D3DERR_INVALIDCALL;
    const HWND window = params->hDeviceWindow ? params->hDeviceWindow : focus;
    if (!FindWindowTarget(window)) return D3DERR_INVALIDCALL;
    *device = new (std::nothrow) Device(window, *params);
    return *device ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
  }

 private:
  std::atomic<ULONG> m_refs{1};
};

}  // namespace

void SetD3DConfig(const D3DConfig& config) {
  std::lock_guard<std::mutex> hold(G().lock);
  G().config = config;
  G().counts.clear();
  G().log.clear();
}

void ResetD3DConfig() { SetD3DConfig(D3DConfig{}); }

void SetD3DCooperativeLevel(HRESULT level) {
  std::lock_guard<std::mutex> hold(G().lock);
  for (Device* d : G().devices) d->SetLevel(level);
}

std::vector<std::string> D3DCallLog() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().log;
}

void ClearD3DCallLog() {
  std::lock_guard<std::mutex> hold(G().lock);
  G().log.clear();
}

D3DLiveObjects LiveD3DObjects() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().live;
}

}  // namespace lwdx

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  if (lwdx::Inject(lwdx::D3DCall::Create) != D3D_OK) return nullptr;
  return new (std::nothrow) lwdx::Direct3D();
}

D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* out) {
  if (!out) return out;
  std::memset(out->m, 0, sizeof out->m);
  for (int i = 0; i < 4; ++i) out->m[i][i] = 1.0f;
  return out;
}

// Row-major, left-handed: x scaled by cot(fov/2)/aspect, y by cot(fov/2), z mapped from
// [zNear, zFar] to [0, 1] with w = z.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, float fovY, float aspect, float zNear, float zFar) {
  if (!out) return out;
  std::memset(out->m, 0, sizeof out->m);
  const float yScale = 1.0f / std::tan(fovY / 2.0f);
  out->m[0][0] = yScale / aspect;
  out->m[1][1] = yScale;
  out->m[2][2] = zFar / (zFar - zNear);
  out->m[2][3] = 1.0f;
  out->m[3][2] = -zNear * zFar / (zFar - zNear);
  return out;
}
