// DirectDraw 7 over plain memory (see ddraw.h), with the test configuration of dxtest.h.
#include "ddraw.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <functional>
#include <memory>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <vector>

#include "dxtest.h"
#include "dxwindow.h"

const IID IID_IDirectDraw7 = {0x15e65ec0, 0x3b9c, 0x11d2, {0xb9, 0x2f, 0x00, 0x60, 0x97, 0x97, 0xea, 0x5b}};

namespace lwdx {
namespace {

const HMONITOR kPrimaryMonitor = reinterpret_cast<HMONITOR>(static_cast<uintptr_t>(0x4D0001));
constexpr int kMaxSide = 16384;

class Surface;

// Process-wide state of the layer: the configuration, the injection counters, the call log and the
// live surfaces (for lost-surface handling).
struct Global {
  std::mutex lock;
  DxConfig config;
  std::map<DxCall, int> counts;
  std::vector<std::string> log;
  std::set<Surface*> surfaces;
  std::vector<IDirectDrawSurface7*> created;
  HRESULT cooperative = DD_OK;
  int liveObjects = 0;
  int createdObjects = 0;
};

Global& G() {
  static Global* g = new Global();  // outlives every static object that may release surfaces
  return *g;
}

// The injected result of call (DD_OK when none), counting the call.
HRESULT Inject(DxCall call) {
  std::function<HRESULT(DxCall, int)> inject;
  int n;
  {
    std::lock_guard<std::mutex> hold(G().lock);
    n = G().counts[call]++;
    inject = G().config.inject;
  }
  return inject ? inject(call, n) : DD_OK;
}

void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void Log(const char* fmt, ...) {
  char buf[256];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  std::lock_guard<std::mutex> hold(G().lock);
  G().log.emplace_back(buf);
}

DxConfig Config() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().config;
}

bool FourCCOffered(DWORD fourCC) {
  std::lock_guard<std::mutex> hold(G().lock);
  const auto& list = G().config.fourCCs;
  return std::find(list.begin(), list.end(), fourCC) != list.end();
}

// Origin of the monitor that a device draws on.
POINT DeviceOrigin(const GUID* guid) {
  DxConfig c = Config();
  if (guid)
    for (const DxMonitor& m : c.monitors)
      if (m.guid == *guid) return POINT{m.rect.left, m.rect.top};
  return POINT{c.primaryRect.left, c.primaryRect.top};
}

class Clipper final : public IDirectDrawClipper {
 public:
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  HRESULT SetHWnd(DWORD, HWND window) override {
    if (HRESULT hr = Inject(DxCall::SetHWnd); hr != DD_OK) return hr;
    if (!IsWindowTarget(window)) return DDERR_INVALIDOBJECT;
    m_window.store(window);
    return DD_OK;
  }
  HWND Window() const { return m_window.load(); }

 private:
  ~Clipper() = default;
  std::atomic<ULONG> m_refs{1};
  std::atomic<HWND> m_window{nullptr};
};

enum class Kind { Primary, Plain, OverlayFront, OverlayBack };

class Surface final : public IDirectDrawSurface7 {
 public:
  Surface(Kind kind, POINT deviceOrigin) : m_kind(kind), m_origin(deviceOrigin) {
    std::lock_guard<std::mutex> hold(G().lock);
    G().surfaces.insert(this);
  }

  // Sizes the memory of a non-primary surface: width rounded up to 16, height to even.
  bool Allocate(int width, int height, DWORD fourCC, DWORD bits) {
    m_width = width;
    m_height = height;
    m_fourCC = fourCC;
    m_bits = bits;
    const size_t w = (static_cast<size_t>(width) + 15) & ~size_t{15};
    const size_t h = (static_cast<size_t>(height) + 1) & ~size_t{1};
    size_t bytes;
    switch (fourCC) {
      case LW_MAKEFOURCC('Y', 'V', '1', '2'): m_pitch = w; bytes = w * h + 2 * (w / 2) * (h / 2); break;
      case LW_MAKEFOURCC('N', 'V', '1', '2'): m_pitch = w; bytes = w * h + w * (h / 2); break;
      case LW_MAKEFOURCC('U', 'Y', 'V', 'Y'):
      case LW_MAKEFOURCC('Y', 'U', 'Y', '2'): m_pitch = 2 * w; bytes = m_pitch * h; break;
      default: m_pitch = w * std::max<DWORD>(1, bits / 8); bytes = m_pitch * h; break;
    }
    uint8_t* mem = new (std::nothrow) uint8_t[bytes];
    if (!mem) return false;
    std::memset(mem, 0, bytes);
    m_memory.reset(mem);
    m_bytes = bytes;
    return true;
  }

  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }

  HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, HANDLE) override {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2) || rect) return E_INVALIDARG;
    if (HRESULT hr = Inject(DxCall::Lock); hr != DD_OK) return hr;
    if (m_lost) return DDERR_SURFACELOST;
    if (m_kind == Kind::Primary) return DDERR_INVALIDOBJECT;  // the display is not memory here
    if (m_locked) return DDERR_SURFACEBUSY;
    m_locked = true;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc->dwWidth = static_cast<DWORD>(m_width);
    desc->dwHeight = static_cast<DWORD>(m_height);
    desc->lPitch = static_cast<LONG>(m_pitch);
    desc->lpSurface = m_memory.get();
    desc->ddpfPixelFormat = DDPIXELFORMAT{};
    if (m_fourCC) {
      desc->ddpfPixelFormat.dwFlags = DDPF_FOURCC | DDPF_YUV;
      desc->ddpfPixelFormat.dwFourCC = m_fourCC;
    } else {
      desc->ddpfPixelFormat.dwFlags = DDPF_RGB;
    }
    desc->ddpfPixelFormat.dwRGBBitCount = m_bits;
    return DD_OK;
  }
  HRESULT Unlock(RECT*) override {
    if (!m_locked) return DDERR_INVALIDOBJECT;
    m_locked = false;
    return DD_OK;
  }

  HRESULT Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx) override;

  HRESULT Flip(IDirectDrawSurface7*, DWORD) override {
    if (HRESULT hr = Inject(DxCall::Flip); hr != DD_OK) return hr;
    if (m_lost) return DDERR_SURFACELOST;
    if (m_kind != Kind::OverlayFront || m_backs.empty()) return DDERR_INVALIDOBJECT;
    // The buffers rotate: the first back buffer's picture comes to the front.
    std::unique_ptr<uint8_t[]> front = std::move(m_memory);
    m_memory = std::move(m_backs[0]->m_memory);
    for (size_t i = 0; i + 1 < m_backs.size(); ++i) m_backs[i]->m_memory = std::move(m_backs[i + 1]->m_memory);
    m_backs.back()->m_memory = std::move(front);
    Log("Flip");
    return DD_OK;
  }

  HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** surface) override {
    if (!caps || !surface) return E_POINTER;
    *surface = nullptr;
    if (HRESULT hr = Inject(DxCall::GetAttachedSurface); hr != DD_OK) return hr;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || m_backs.empty()) return DDERR_NOTFOUND;
    m_backs[0]->AddRef();
    *surface = m_backs[0];
    return DD_OK;
  }

  HRESULT SetClipper(IDirectDrawClipper* clipper) override {
    if (clipper) {
      if (HRESULT hr = Inject(DxCall::SetClipper); hr != DD_OK) return hr;
      clipper->AddRef();
    }
    if (m_clipper) m_clipper->Release();
    m_clipper = static_cast<Clipper*>(clipper);
    return DD_OK;
  }

  HRESULT UpdateOverlay(RECT*, IDirectDrawSurface7* dst, RECT* dstRect, DWORD flags, DDOVERLAYFX* fx) override {
    if (HRESULT hr = Inject(DxCall::UpdateOverlay); hr != DD_OK) return hr;
    if (m_kind != Kind::OverlayFront || !dst || !dstRect) return DDERR_INVALIDOBJECT;
    if ((flags & DDOVER_KEYDESTOVERRIDE) && (!fx || fx->dwSize != sizeof(DDOVERLAYFX))) return E_INVALIDARG;
    Log("UpdateOverlay (%d,%d,%d,%d) key=%06x", static_cast<int>(dstRect->left), static_cast<int>(dstRect->top),
        static_cast<int>(dstRect->right), static_cast<int>(dstRect->bottom),
        fx ? static_cast<unsigned>(fx->dckDestColorkey.dwColorSpaceLowValue) : 0u);
    return DD_OK;
  }

  HRESULT IsLost() override { return m_lost ? DDERR_SURFACELOST : DD_OK; }
  HRESULT Restore() override {
    m_lost = false;
    return DD_OK;
  }

  void AddBack(Surface* back) { m_backs.push_back(back); }
  void SetLost(bool lost) { m_lost = lost; }

 private:
  ~Surface() {
    {
      std::lock_guard<std::mutex> hold(G().lock);
      G().surfaces.erase(this);
    }
    if (m_clipper) m_clipper->Release();
    for (Surface* back : m_backs) back->Release();
  }

  // Reads the source pixel (x, y) of an RGB surface as 0x00RRGGBB.
  uint32_t RgbAt(int x, int y) const {
    const uint8_t* p = m_memory.get() + static_cast<size_t>(y) * m_pitch;
    switch (m_bits) {
      case 32:
      case 24: {
        const uint8_t* q = p + static_cast<size_t>(x) * (m_bits / 8);
        return (uint32_t{q[2]} << 16) | (uint32_t{q[1]} << 8) | q[0];
      }
      case 16: {
        const uint16_t v = static_cast<uint16_t>(p[2 * x] | (p[2 * x + 1] << 8));
        const uint32_t r = (v >> 11) & 31, g = (v >> 5) & 63, b = v & 31;
        return (((r << 3) | (r >> 2)) << 16) | (((g << 2) | (g >> 4)) << 8) | ((b << 3) | (b >> 2));
      }
      default:
        return 0;
    }
  }

  Kind m_kind;
  POINT m_origin;
  std::atomic<ULONG> m_refs{1};
  int m_width = 0, m_height = 0;
  size_t m_pitch = 0, m_bytes = 0;
  DWORD m_fourCC = 0, m_bits = 0;
  std::unique_ptr<uint8_t[]> m_memory;
  bool m_locked = false;
  std::atomic<bool> m_lost{false};
  Clipper* m_clipper = nullptr;
  std::vector<Surface*> m_backs;  // one reference each
};

HRESULT Surface::Blt(RECT* dstRect, IDirectDrawSurface7* srcIface, RECT* srcRect, DWORD flags, DDBLTFX* fx) {
  const bool fill = (flags & DDBLT_COLORFILL) != 0;
  if (fill && (!fx || fx->dwSize != sizeof(DDBLTFX))) return E_INVALIDARG;
  if (!fill && !srcIface) return E_INVALIDARG;
  if (HRESULT hr = Inject(fill ? DxCall::ColorFill : DxCall::Blt); hr != DD_OK) return hr;
  auto* src = static_cast<Surface*>(srcIface);
  if (m_lost || (src && src->m_lost)) return DDERR_SURFACELOST;
  if (m_kind != Kind::Primary) {
    Log(fill ? "ColorFill off-screen" : "Blt off-screen");
    return DD_OK;  // only the display is drawn into here
  }
  if (!m_clipper || !m_clipper->Window()) return DDERR_NOCLIPPERATTACHED;
  std::shared_ptr<WindowTarget> target = FindWindowTarget(m_clipper->Window());
  if (!target) return DDERR_INVALIDOBJECT;

  RECT client;
  POINT origin;
  target->GetClient(&client, &origin);
  // Destination in monitor coordinates -> client coordinates of the clipper's window.
  RECT dst = dstRect ? *dstRect : RECT{0, 0, 0, 0};
  if (!dstRect) {
    const DxConfig c = Config();
    dst = RECT{0, 0, c.primaryRect.right - c.primaryRect.left, c.primaryRect.bottom - c.primaryRect.top};
  }
  if (dst.right <= dst.left || dst.bottom <= dst.top) return DD_OK;
  RECT local = dst;
  OffsetRect(&local, m_origin.x - origin.x, m_origin.y - origin.y);
  RECT clip;
  if (!IntersectRect(&clip, &local, &client)) return DD_OK;

  if (fill) {
    Log("ColorFill (%d,%d,%d,%d) %06x", static_cast<int>(dst.left), static_cast<int>(dst.top),
        static_cast<int>(dst.right), static_cast<int>(dst.bottom), static_cast<unsigned>(fx->dwFillColor));
    const uint32_t colour = fx->dwFillColor & 0xFFFFFFu;
    target->Draw(
        [&](uint32_t* px, int w, int h, int pitch) {
          for (LONG y = clip.top; y < std::min<LONG>(clip.bottom, h); ++y)
            std::fill(px + static_cast<size_t>(y) * pitch + clip.left, px + static_cast<size_t>(y) * pitch + std::min<LONG>(clip.right, w), colour);
        },
        clip);
    return DD_OK;
  }

  RECT from = srcRect ? *srcRect : RECT{0, 0, src->m_width, src->m_height};
  const RECT whole{0, 0, src->m_width, src->m_height};
  RECT inside;
  if (!IntersectRect(&inside, &from, &whole) || !EqualRect(&inside, &from)) return E_INVALIDARG;
  Log("Blt (%d,%d,%d,%d) from (%d,%d,%d,%d)", static_cast<int>(dst.left), static_cast<int>(dst.top),
      static_cast<int>(dst.right), static_cast<int>(dst.bottom), static_cast<int>(from.left),
      static_cast<int>(from.top), static_cast<int>(from.right), static_cast<int>(from.bottom));
  if (src->m_fourCC || !src->m_memory) return DD_OK;  // YUV pictures are scaled by overlay hardware only
  const int64_t dw = local.right - local.left, dh = local.bottom - local.top;
  const int64_t sw = from.right - from.left, sh = from.bottom - from.top;
  target->Draw(
      [&](uint32_t* px, int w, int h, int pitch) {
        for (LONG y = clip.top; y < std::min<LONG>(clip.bottom, h); ++y) {
          // Nearest source sample of the destination pixel's centre.
          const int sy = static_cast<int>(from.top + ((2 * (y - local.top) + 1) * sh) / (2 * dh));
          uint32_t* row = px + static_cast<size_t>(y) * pitch;
          for (LONG x = clip.left; x < std::min<LONG>(clip.right, w); ++x) {
            const int sx = static_cast<int>(from.left + ((2 * (x - local.left) + 1) * sw) / (2 * dw));
            row[x] = src->RgbAt(sx, sy);
          }
        }
      },
      clip);
  return DD_OK;
}

class DirectDraw final : public IDirectDraw7 {
 public:
  explicit DirectDraw(const GUID* guid) : m_origin(DeviceOrigin(guid)) {
    std::lock_guard<std::mutex> hold(G().lock);
    ++G().liveObjects;
    ++G().createdObjects;
  }
  ULONG AddRef() override { return ++m_refs; }
  ULONG Release() override {
    const ULONG left = --m_refs;
    if (left == 0) delete this;
    return left;
  }
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override {
    if (HRESULT hr = Inject(DxCall::SetCooperativeLevel); hr != DD_OK) return hr;
    if (flags != DDSCL_NORMAL) return E_INVALIDARG;
    (void)window;
    return DD_OK;
  }
  HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void*) override;
  HRESULT CreateClipper(DWORD, IDirectDrawClipper** clipper, void*) override {
    if (!clipper) return E_POINTER;
    *clipper = nullptr;
    if (HRESULT hr = Inject(DxCall::CreateClipper); hr != DD_OK) return hr;
    *clipper = new (std::nothrow) Clipper();
    return *clipper ? DD_OK : E_OUTOFMEMORY;
  }
  HRESULT TestCooperativeLevel() override {
    if (HRESULT hr = Inject(DxCall::TestCooperativeLevel); hr != DD_OK) return hr;
    std::lock_guard<std::mutex> hold(G().lock);
    return G().cooperative;
  }
  HRESULT RestoreAllSurfaces() override {
    if (HRESULT hr = Inject(DxCall::RestoreAllSurfaces); hr != DD_OK) return hr;
    Log("RestoreAllSurfaces");
    std::lock_guard<std::mutex> hold(G().lock);
    for (Surface* s : G().surfaces) s->SetLost(false);
    return DD_OK;
  }

 private:
  ~DirectDraw() {
    std::lock_guard<std::mutex> hold(G().lock);
    --G().liveObjects;
  }
  POINT m_origin;
  std::atomic<ULONG> m_refs{1};
};

void Remember(Surface* s) {
  s->AddRef();
  std::lock_guard<std::mutex> hold(G().lock);
  G().created.push_back(s);
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void*) {
  if (!desc || !out) return E_POINTER;
  *out = nullptr;
  if (desc->dwSize != sizeof(DDSURFACEDESC2) || !(desc->dwFlags & DDSD_CAPS)) return E_INVALIDARG;
  const DWORD caps = desc->ddsCaps.dwCaps;
  const bool hasFormat = (desc->dwFlags & DDSD_PIXELFORMAT) != 0;
  const DWORD fourCC = hasFormat && (desc->ddpfPixelFormat.dwFlags & DDPF_FOURCC) ? desc->ddpfPixelFormat.dwFourCC : 0;
  Log("CreateSurface caps=%x fourcc=%08x backs=%u", static_cast<unsigned>(caps), static_cast<unsigned>(fourCC),
      static_cast<unsigned>(desc->dwFlags & DDSD_BACKBUFFERCOUNT ? desc->dwBackBufferCount : 0));
  if (caps & DDSCAPS_PRIMARYSURFACE) {
    if (HRESULT hr = Inject(DxCall::CreatePrimary); hr != DD_OK) return hr;
    Surface* s = new (std::nothrow) Surface(Kind::Primary, m_origin);
    if (!s) return E_OUTOFMEMORY;
    *out = s;
    return DD_OK;
  }
  if (HRESULT hr = Inject(DxCall::CreateSurface); hr != DD_OK) return hr;
  if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT)) return E_INVALIDARG;
  const int width = static_cast<int>(desc->dwWidth), height = static_cast<int>(desc->dwHeight);
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return E_INVALIDARG;
  const DxConfig c = Config();
  if ((caps & DDSCAPS_VIDEOMEMORY) && !c.videoMemory) return E_OUTOFMEMORY;
  if (hasFormat && !fourCC) return DDERR_INVALIDPIXELFORMAT;  // RGB surfaces take the display's format
  if (fourCC && !FourCCOffered(fourCC)) return DDERR_INVALIDPIXELFORMAT;
  const bool overlay = (caps & DDSCAPS_OVERLAY) != 0;
  if (overlay && (!c.overlays || !fourCC)) return DDERR_NOOVERLAYHW;
  if (!overlay && !(caps & DDSCAPS_OFFSCREENPLAIN)) return E_INVALIDARG;
  const DWORD bits = fourCC ? desc->ddpfPixelFormat.dwRGBBitCount : c.displayBits;

  Surface* s = new (std::nothrow) Surface(overlay ? Kind::OverlayFront : Kind::Plain, m_origin);
  if (!s) return E_OUTOFMEMORY;
  if (!s->Allocate(width, height, fourCC, bits)) {
    s->Release();
    return E_OUTOFMEMORY;
  }
  if (overlay && (desc->dwFlags & DDSD_BACKBUFFERCOUNT)) {
    if (desc->dwBackBufferCount < 1 || desc->dwBackBufferCount > 3) {
      s->Release();
      return E_INVALIDARG;
    }
    for (DWORD i = 0; i < desc->dwBackBufferCount; ++i) {
      Surface* back = new (std::nothrow) Surface(Kind::OverlayBack, m_origin);
      if (!back || !back->Allocate(width, height, fourCC, bits)) {
        if (back) back->Release();
        s->Release();
        return E_OUTOFMEMORY;
      }
      s->AddBack(back);
    }
  }
  Remember(s);
  *out = s;
  return DD_OK;
}

}  // namespace

void SetDxConfig(const DxConfig& config) {
  std::vector<IDirectDrawSurface7*> old;
  {
    std::lock_guard<std::mutex> hold(G().lock);
    G().config = config;
    G().counts.clear();
    G().log.clear();
    G().cooperative = DD_OK;
    old.swap(G().created);
  }
  for (IDirectDrawSurface7* s : old) s->Release();
}

void ResetDxConfig() { SetDxConfig(DxConfig{}); }

DxConfig CurrentDxConfig() { return Config(); }

bool InjectVersionFailure() { return Inject(DxCall::GetVersion) != DD_OK; }

std::vector<std::string> DxCallLog() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().log;
}

void ClearDxCallLog() {
  std::lock_guard<std::mutex> hold(G().lock);
  G().log.clear();
}

int LiveDirectDrawObjects() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().liveObjects;
}

int CreatedDirectDrawObjects() {
  std::lock_guard<std::mutex> hold(G().lock);
  return G().createdObjects;
}

std::vector<IDirectDrawSurface7*> TakeCreatedSurfaces() {
  std::lock_guard<std::mutex> hold(G().lock);
  std::vector<IDirectDrawSurface7*> out;
  out.swap(G().created);
  return out;
}

void LoseAllSurfaces(HRESULT cooperativeLevel) {
  std::lock_guard<std::mutex> hold(G().lock);
  for (Surface* s : G().surfaces) s->SetLost(true);
  G().cooperative = cooperativeLevel;
}

HMONITOR PrimaryMonitorHandle() { return kPrimaryMonitor; }

}  // namespace lwdx

HRESULT DirectDrawCreateEx(GUID* guid, void** object, const IID& iid, void*) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IDirectDraw7) return E_NOINTERFACE;
  if (HRESULT hr = lwdx::Inject(lwdx::DxCall::Create); hr != DD_OK) return hr;
  if (guid) {
    const lwdx::DxConfig c = lwdx::Config();
    const bool known = std::any_of(c.monitors.begin(), c.monitors.end(),
                                   [&](const lwdx::DxMonitor& m) { return m.guid == *guid; });
    if (!known) return DDERR_INVALIDOBJECT;
  }
  auto* dd = new (std::nothrow) lwdx::DirectDraw(guid);
  if (!dd) return E_OUTOFMEMORY;
  *object = static_cast<IDirectDraw7*>(dd);
  return DD_OK;
}

HRESULT DirectDrawEnumerateExW(LPDDENUMCALLBACKEXW callback, void* context, DWORD) {
  if (!callback) return E_INVALIDARG;
  if (HRESULT hr = lwdx::Inject(lwdx::DxCall::Enumerate); hr != DD_OK) return hr;
  const lwdx::DxConfig c = lwdx::Config();
  wchar_t description[] = L"Primary Display Driver";
  wchar_t driver[] = L"display";
  if (!callback(nullptr, description, driver, context, nullptr)) return DD_OK;
  for (const lwdx::DxMonitor& m : c.monitors) {
    GUID guid = m.guid;
    wchar_t name[] = L"Display";
    if (!callback(&guid, name, driver, context, m.monitor)) break;
  }
  return DD_OK;
}
