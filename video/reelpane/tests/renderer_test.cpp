// The DirectDraw renderer behind CreateReelpane: factory, status texts, aspect fit, device pool,
// surface choice, lifecycle and recovery, driven through the test configuration of the layer.
#include <dlfcn.h>

#include <cstring>
#include <thread>

#include "ReelpaneTestSupport.h"

using namespace rptest;
using reelpane::FitRectToAspect;

namespace {

constexpr DWORD kYV12 = LW_MAKEFOURCC('Y', 'V', '1', '2');
constexpr DWORD kUYVY = LW_MAKEFOURCC('U', 'Y', 'V', 'Y');
constexpr DWORD kYUY2 = LW_MAKEFOURCC('Y', 'U', 'Y', '2');
constexpr DWORD kNV12 = LW_MAKEFOURCC('N', 'V', '1', '2');

TEST(ReelpaneFactory, KindsGiveTheDirectDrawRendererWithItsStartingState) {
  for (int kind : {0, 1, 7, -3}) {
    SCOPED_TRACE(kind);
    Renderer r(kind);
    ASSERT_NE(r.p, nullptr);
    int type = -1, sub = -1, w = 0, h = 0;
    EXPECT_EQ(r->GetType(&type), 0);
    EXPECT_EQ(type, 2);
    EXPECT_EQ(r->GetSubType(&sub), 0);
    EXPECT_EQ(sub, 0);
    EXPECT_EQ(r->GetVideoSize(&w, &h), 0);
    EXPECT_EQ(w, 720);
    EXPECT_EQ(h, 576);
    EXPECT_EQ(r->SetRenderFlag(), 0);
    // No window yet: a frame is refused.
    Frame f(16, 16, 16, 128, 128);
    EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), -5);
  }
  // Kind 2 never gives the DirectDraw renderer.
  IReelpane* d3d = CreateReelpane(2);
  if (d3d) {
    int type = -1;
    d3d->GetType(&type);
    EXPECT_NE(type, 2);
    d3d->Release();
  }
}

// Hosts find the export by its plain name and call the operations by slot: GetType is slot 0,
// GetVideoSize slot 5, the tenth operation slot 9 (a virtual destructor would shift them all).
TEST(ReelpaneFactory, ExportAndSlotOrderAreTheBinaryContract) {
  using Factory = IReelpane* (*)(int);
  auto factory = reinterpret_cast<Factory>(dlsym(RTLD_DEFAULT, "CreateReelpane"));
  ASSERT_NE(factory, nullptr);
  IReelpane* r = factory(1);
  ASSERT_NE(r, nullptr);
  void** slots = *reinterpret_cast<void***>(r);
  int type = -1, w = 0, h = 0;
  EXPECT_EQ(reinterpret_cast<int (*)(IReelpane*, int*)>(slots[0])(r, &type), 0);
  EXPECT_EQ(type, 2);
  EXPECT_EQ(reinterpret_cast<int (*)(IReelpane*, int*, int*)>(slots[5])(r, &w, &h), 0);
  EXPECT_EQ(w * 10000 + h, 720 * 10000 + 576);
  EXPECT_EQ(reinterpret_cast<int (*)(IReelpane*, const unsigned char*, const unsigned char*, const unsigned char*, int)>(
                slots[6])(r, nullptr, nullptr, nullptr, 0),
            -5);
  EXPECT_EQ(reinterpret_cast<int (*)(IReelpane*)>(slots[9])(r), 0);
  EXPECT_EQ(reinterpret_cast<int (*)(IReelpane*)>(slots[3])(r), 0);  // Release
}

TEST(ReelpaneFactory, ErrorTextIsCutAndAlwaysTerminated) {
  Renderer r(1);
  struct Case {
    bool buffer;
    int length;
    int result;
    const wchar_t* text;
  } cases[] = {
      {false, 10, -10, nullptr}, {true, 0, -10, nullptr},       {true, -4, -10, nullptr},
      {true, 1, 0, L""},         {true, 5, 0, L"All "},         {true, 10, 0, L"All is OK"},
      {true, 11, 0, L"All is OK."}, {true, 64, 0, L"All is OK."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    wchar_t buf[80];
    wmemset(buf, L'#', 80);
    EXPECT_EQ(r->GetErrorText(c.buffer ? buf : nullptr, c.length), c.result);
    if (c.text) {
      EXPECT_STREQ(buf, c.text);
      EXPECT_EQ(buf[c.length], L'#') << "wrote past the buffer";
    } else {
      EXPECT_EQ(buf[0], L'#');
    }
  }
  const std::pair<int, const wchar_t*> texts[] = {{0, L"All is OK."}, {-3, L"Pointer error\t."}, {-8, L"Failed to complete."}};
  for (auto [code, text] : texts) EXPECT_STREQ(reelpane::StatusText(code), text);
  EXPECT_EQ(reelpane::StatusText(-9), nullptr);
  EXPECT_EQ(reelpane::StatusText(1), nullptr);
}

TEST(ReelpaneFit, PictureIsCentredOnEightPixelStepsWithTwoBars) {
  struct Case {
    RECT area;
    int vw, vh;
    RECT picture, bar1, bar2;
  } cases[] = {
      // Wider area: bars left and right; 280 spare -> 136 before, 144 after.
      {{0, 0, 1000, 576}, 720, 576, {136, 0, 856, 576}, {0, 0, 136, 576}, {856, 0, 1000, 576}},
      // Taller area: bars above and below.
      {{0, 0, 800, 800}, 720, 576, {0, 80, 800, 720}, {0, 0, 800, 80}, {0, 720, 800, 800}},
      // A spare of 100 starts the picture 48 in, not 50.
      {{10, 20, 510, 420}, 400, 400, {58, 20, 458, 420}, {10, 20, 58, 420}, {458, 20, 510, 420}},
      // Equal ratios fill the area.
      {{0, 0, 320, 240}, 160, 120, {0, 0, 320, 240}, {0, 0, 0, 240}, {320, 0, 320, 240}},
  };
  for (const Case& c : cases) {
    RECT r = c.area;
    RECT bars[2] = {};
    FitRectToAspect(&r, bars, c.vw, c.vh);
    EXPECT_TRUE(EqualRect(&r, &c.picture)) << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    EXPECT_TRUE(EqualRect(&bars[0], &c.bar1)) << bars[0].left << "," << bars[0].top << "," << bars[0].right;
    EXPECT_TRUE(EqualRect(&bars[1], &c.bar2)) << bars[1].left << "," << bars[1].top << "," << bars[1].right;
  }
}

TEST(ReelpaneFit, EmptyAreaOrZeroVideoSizeChangesNothing) {
  const std::pair<int, int> sizes[] = {{0, 576}, {720, 0}, {0, 0}, {-5, 10}};
  const RECT areas[] = {{0, 0, 1000, 576}, {0, 0, 0, 576}, {0, 0, 100, 0}};
  for (auto [vw, vh] : sizes)
    for (const RECT& area : areas) {
      RECT r = area;
      RECT bars[2] = {{1, 2, 3, 4}, {5, 6, 7, 8}};
      FitRectToAspect(&r, bars, vw, vh);
      EXPECT_TRUE(EqualRect(&r, &area));
      EXPECT_EQ(bars[0].left, 1);
      EXPECT_EQ(bars[1].bottom, 8);
    }
}

class ReelpanePool : public DxFixture {};

TEST_F(ReelpanePool, DeviceKeysAndGuidTexts) {
  const GUID mixed{0x12AB34CDu, 0xBEEF, 0x3A4B, {0xDE, 0xAD, 0x01, 0x02, 0x0A, 0x0B, 0xFE, 0xFF}};
  const GUID zero{};
  EXPECT_EQ(reelpane::FormatDeviceGuid(nullptr), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(reelpane::FormatDeviceGuid(&zero), "{00000000-0000-0000-0000-000000000000}");
  EXPECT_EQ(reelpane::FormatDeviceGuid(&mixed), "{12AB34CD-BEEF-3a4b-DEAD-01020A0BFEFF}");
  EXPECT_EQ(std::strlen(reelpane::kPrimaryDeviceKey), 37u);
}

TEST_F(ReelpanePool, IdleObjectsAreTakenOldestFirstAndClearsDropEveryDevice) {
  auto* pool = reelpane::GetDirectDrawPool();
  IDirectDraw7* a = reelpane::getDevice(pool, nullptr);
  IDirectDraw7* b = reelpane::getDevice(pool, nullptr);
  ASSERT_TRUE(a && b);
  EXPECT_NE(a, b);
  EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 2);
  reelpane::ReturnDirectDraw(b, pool, nullptr);
  reelpane::ReturnDirectDraw(a, pool, nullptr);
  EXPECT_EQ(reelpane::getDevice(pool, nullptr), b);  // given back first, taken first
  EXPECT_EQ(reelpane::getDevice(pool, nullptr), a);
  reelpane::ReturnDirectDraw(a, pool, nullptr);
  reelpane::ReturnDirectDraw(b, pool, nullptr);
  EXPECT_EQ(pool->devices.at(reelpane::kPrimaryDeviceKey).size(), 2u);
  reelpane::ClearDirectDrawPool(pool);
  EXPECT_TRUE(pool->devices.empty());
  EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 0);
  // Given back under a key the pool no longer has: released, not kept.
  IDirectDraw7* c = reelpane::getDevice(pool, nullptr);
  reelpane::ClearDirectDrawPool(pool);
  reelpane::ReturnDirectDraw(c, pool, nullptr);
  EXPECT_TRUE(pool->devices.empty());
  EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 0);
  reelpane::ReturnDirectDraw(nullptr, pool, nullptr);
}

TEST_F(ReelpanePool, RenderersOnOneDeviceShareItsObjectAcrossRebuilds) {
  TestWindow w(0x5001, 320, 240);
  Frame f(32, 32, 80, 90, 200);
  const int before = lwdx::CreatedDirectDrawObjects();
  {
    Renderer r(0);
    r->SetVideoSize(32, 32);
    r->Attach(w.hwnd, 0);
    r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
    r->Detach();
    r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  }
  Renderer second(0);
  second->SetVideoSize(32, 32);
  second->Attach(w.hwnd, 0);
  second->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(lwdx::CreatedDirectDrawObjects(), before + 1) << "every build reuses the one idle object";
}

// Which video surface a build chooses for what the display offers.
class ReelpaneSurfaceChoice : public DxFixture {};

TEST_F(ReelpaneSurfaceChoice, PreferenceOrderOverInputSystemKindAndOfferedFormats) {
  struct Case {
    bool nv12Input;
    DWORD major;
    int kind;
    std::vector<DWORD> offered;
    DWORD displayBits;
    int format;  // 0: no surface
    bool overlay;
  } cases[] = {
      {false, 5, 1, {kYV12, kUYVY, kYUY2, kNV12}, 32, 1, true},   // old system, overlays allowed
      {false, 5, 0, {kYV12, kUYVY, kYUY2, kNV12}, 32, 1, false},  // kind 0: never an overlay
      {false, 6, 1, {kYV12, kUYVY, kYUY2, kNV12}, 32, 1, false},  // version 6: never an overlay
      {true, 5, 1, {kYV12, kUYVY, kYUY2, kNV12}, 32, 4, true},    // NV12 tried first for NV12 input
      {true, 6, 1, {kYV12, kUYVY}, 32, 2, false},                 // NV12, UYVY, YUY2, YV12
      {false, 6, 1, {kYUY2, kNV12}, 32, 3, false},                // YV12, UYVY, YUY2, NV12
      {false, 6, 1, {}, 32, 5, false},                            // RGB in the display's format
      {true, 6, 1, {}, 24, 6, false},
      {false, 6, 1, {}, 16, 7, false},
      {false, 6, 1, {}, 8, 0, false},                             // 8 bits: nothing fits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "nv12=" << c.nv12Input << " major=" << c.major << " kind=" << c.kind
                                    << " bits=" << c.displayBits << " offered=" << c.offered.size());
    lwdx::DxConfig cfg;
    cfg.majorVersion = c.major;
    cfg.overlays = true;
    cfg.fourCCs = c.offered;
    cfg.displayBits = c.displayBits;
    lwdx::SetDxConfig(cfg);
    LoggedHost host;
    TestWindow w(0x5100, 200, 150);
    Renderer r(c.kind);
    r->SetVideoSize(64, 48);
    r->Attach(w.hwnd, 0);
    Frame f(64, 48, 60, 100, 150);
    r->RenderFrame(f.Y.data(), f.U.data(), c.nv12Input ? nullptr : f.V.data(), f.stride);
    EXPECT_EQ(r.dd()->SurfaceFormat(), c.format);
    EXPECT_EQ(r.dd()->IsOverlay(), c.overlay);
    if (c.format == 0) {
      EXPECT_EQ(host.CountOf("[CReelpane] Create rgb video Surface failed"), 1u);
      // The next frame tries the whole build again.
      r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
      EXPECT_EQ(host.CountOf("[CReelpane] Create rgb video Surface failed"), 2u);
    } else if (c.format >= 5) {
      EXPECT_EQ(host.CountOf("[CReelpane] Create rgb video Surface ok, formart=" + std::to_string(c.displayBits)), 1u);
    } else {
      EXPECT_EQ(host.CountOf("[CReelpane] Create yuv video Surface ok, formart=" + std::to_string(c.format == 1 || c.format == 4 ? 12 : 16) +
                             ", overlay=" + std::to_string(c.overlay)),
                1u);
    }
    if (c.format != 0 && !c.overlay) EXPECT_GE(host.CountOf("[CReelpane] GetAttachedSurface failed"), c.format <= 4 ? 1u : 0u);
    r.p->Release();
    r.p = nullptr;
  }
}

TEST_F(ReelpaneSurfaceChoice, InputWithoutConverterLeavesTheSurfaceAsItWas) {
  // NV12 frames on a YV12 surface and YV12 frames on an NV12 surface: locked and unlocked only.
  for (bool nv12Surface : {false, true}) {
    SCOPED_TRACE(nv12Surface);
    lwdx::DxConfig cfg;
    cfg.fourCCs = {nv12Surface ? kNV12 : kYV12};
    lwdx::SetDxConfig(cfg);
    TestWindow w(0x5200, 64, 64);
    Renderer r(0);
    r->SetVideoSize(32, 32);
    r->Attach(w.hwnd, 0);
    Frame f(32, 32, 200, 30, 40);
    r->RenderFrame(f.Y.data(), f.U.data(), nv12Surface ? nullptr : f.V.data(), f.stride);  // builds with this input
    ASSERT_EQ(r.dd()->SurfaceFormat(), nv12Surface ? 4 : 1);
    auto surfaces = lwdx::TakeCreatedSurfaces();
    ASSERT_FALSE(surfaces.empty());
    IDirectDrawSurface7* s = surfaces.back();
    DDSURFACEDESC2 d;
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    std::memset(d.lpSurface, 0x5A, static_cast<size_t>(d.lPitch) * 32);
    s->Unlock(nullptr);
    // Same input kind again: converted.
    r->RenderFrame(f.Y.data(), f.U.data(), nv12Surface ? nullptr : f.V.data(), f.stride);
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(d.lpSurface)[0], 200);
    s->Unlock(nullptr);
    for (auto* p : surfaces) p->Release();
    // Frames of the other kind on the rebuilt surface: no converter, nothing written.
    r->RenderFrame(f.Y.data(), f.U.data(), nv12Surface ? f.V.data() : nullptr, f.stride);  // input kind changes: rebuilt
    surfaces = lwdx::TakeCreatedSurfaces();
    ASSERT_FALSE(surfaces.empty());
    s = surfaces.back();
    ASSERT_EQ(r.dd()->SurfaceFormat(), nv12Surface ? 4 : 1);
    ASSERT_EQ(s->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(static_cast<uint8_t*>(d.lpSurface)[0], 0) << "no converter: nothing written";
    s->Unlock(nullptr);
    for (auto* p : surfaces) p->Release();
  }
}

class ReelpaneLifecycle : public DxFixture {};

TEST_F(ReelpaneLifecycle, BuildsAreLoggedAndRedoneWhenTheInputKindChangesOrAfterDetach) {
  LoggedHost host;
  TestWindow w(0x5300, 200, 100);
  Renderer r(1);
  r->SetVideoSize(32, 16);
  EXPECT_EQ(r->Attach(w.hwnd, 1), 0);
  EXPECT_EQ(host.CountOf("[CReelpane] AddScreen GUID={00000000-0000-0000-0000-000000000000}"), 1u);
  EXPECT_EQ(r.dd()->SurfaceFormat(), 0) << "no frame yet: no video surface";
  Frame f(32, 16, 100, 110, 120);
  EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
  const std::string enter = "[CReelpane] enter CreateDisplayWindow";
  auto builds = [&] {
    size_t n = 0;
    for (const std::string& m : host.Messages()) n += m.rfind(enter, 0) == 0;
    return n;
  };
  EXPECT_EQ(builds(), 2u);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(builds(), 2u);
  r->RenderFrame(f.Y.data(), f.U.data(), nullptr, f.stride);  // now NV12
  EXPECT_EQ(builds(), 3u);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);  // YV12 again
  EXPECT_EQ(builds(), 4u);
  EXPECT_EQ(r->Detach(), 0);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);  // the window is still known
  EXPECT_EQ(builds(), 5u);
  r->SetVideoSize(32, 16);  // unchanged: no build
  EXPECT_EQ(builds(), 5u);
  r->SetVideoSize(48, 16);
  EXPECT_EQ(builds(), 6u);
  // The log lines of a build are well formed: the destination in screen coordinates.
  EXPECT_GE(host.CountOf("[CReelpane]leave CreateDisplayWindow (0,0),(200,100)"), 1u);
  EXPECT_EQ(host.CountOf("[CReelpane]leave CreateDisplayWindow (0,16),(200,82)"), 1u);
}

TEST_F(ReelpaneLifecycle, HiddenWindowGetsNoFrames) {
  TestWindow w(0x5301, 64, 64);
  Renderer r(0);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);
  w.window->SetVisible(false);
  Frame f(16, 16, 235, 128, 128);
  EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
  EXPECT_EQ(w.window->Pixel(8, 8), 0u);
  w.window->SetVisible(true);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(w.window->Pixel(8, 8), Rgb32Of(235, 128, 128));
}

class ReelpaneBuildFailures : public DxFixture {};

TEST_F(ReelpaneBuildFailures, EachFailedStepIsLoggedAndTheNextFrameBuildsAgain) {
  struct Case {
    lwdx::DxCall call;
    HRESULT code;
    int attachResult;
    const char* logged;
  } cases[] = {
      {lwdx::DxCall::Create, E_OUTOFMEMORY, -5, "[CReelpane]getDevice failed"},
      {lwdx::DxCall::SetCooperativeLevel, DDERR_WRONGMODE, static_cast<int>(DDERR_WRONGMODE),
       "[CReelpane] CreateDisplayWindow, SetCooperativeLevel failed=8876024b"},
      {lwdx::DxCall::CreatePrimary, E_OUTOFMEMORY, static_cast<int>(E_OUTOFMEMORY),
       "[CReelpane] CreateDisplayWindow, Create primary Surface failed=8007000e"},
      {lwdx::DxCall::CreateClipper, E_OUTOFMEMORY, static_cast<int>(E_OUTOFMEMORY), "[CReelpane]Clipper CreateClipper failed"},
      {lwdx::DxCall::SetHWnd, E_INVALIDARG, static_cast<int>(E_INVALIDARG), "[CReelpane]Clipper SetHWnd failed"},
      {lwdx::DxCall::SetClipper, E_FAIL, static_cast<int>(E_FAIL), "[CReelpane]Clipper SetClipper failed"},
      {lwdx::DxCall::GetVersion, E_FAIL, -1, nullptr},  // both structures refused
      {lwdx::DxCall::Enumerate, E_FAIL, 0, "[CReelpane] DirectDrawEnumerateEx failed=80004005"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.call));
    lwdx::DxConfig cfg;
    const lwdx::DxCall call = c.call;
    const HRESULT code = c.code;
    // The first call fails (both version reads for GetVersion); later ones work.
    cfg.inject = [call, code](lwdx::DxCall at, int n) { return at == call && n < (call == lwdx::DxCall::GetVersion ? 2 : 1) ? code : DD_OK; };
    lwdx::SetDxConfig(cfg);
    LoggedHost host;
    TestWindow w(0x5600, 40, 40);
    {
      Renderer r(0);
      r->SetVideoSize(16, 16);
      EXPECT_EQ(r->Attach(w.hwnd, 0), c.attachResult);
      if (c.logged) EXPECT_EQ(host.CountOf(c.logged), 1u);
      Frame f(16, 16, 150, 60, 70);
      EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
      EXPECT_EQ(w.window->Pixel(8, 8), Rgb32Of(150, 60, 70));
    }
    reelpane::ClearDirectDrawPool(reelpane::GetDirectDrawPool());
    EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 0) << "no object leaks from a failed build";
  }
}

class ReelpaneRecovery : public DxFixture {};

TEST_F(ReelpaneRecovery, LostSurfacesAreRestoredAndAWrongModeRebuildsWithAClearedPool) {
  TestWindow w(0x5400, 64, 64);
  Renderer r(0);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);
  Frame red(16, 16, 81, 90, 240), blue(16, 16, 41, 240, 110);
  r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride);
  EXPECT_EQ(w.window->Pixel(5, 5), Rgb32Of(81, 90, 240));

  // Lost, and the display can be used again: restored, next frame shows.
  lwdx::LoseAllSurfaces(DD_OK);
  lwdx::ClearDxCallLog();
  r->RenderFrame(blue.Y.data(), blue.U.data(), blue.V.data(), blue.stride);
  auto log = lwdx::DxCallLog();
  EXPECT_NE(std::find(log.begin(), log.end(), "RestoreAllSurfaces"), log.end());
  r->RenderFrame(blue.Y.data(), blue.U.data(), blue.V.data(), blue.stride);
  EXPECT_EQ(w.window->Pixel(5, 5), Rgb32Of(41, 240, 110));

  // Lost while another program holds the display: nothing restored, frames fail quietly.
  lwdx::LoseAllSurfaces(DDERR_WRONGMODE + 1);
  lwdx::ClearDxCallLog();
  EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  log = lwdx::DxCallLog();
  EXPECT_EQ(std::find(log.begin(), log.end(), "RestoreAllSurfaces"), log.end());

  // The display mode changed: everything is released, the pool cleared, a new object built.
  const int created = lwdx::CreatedDirectDrawObjects();
  IDirectDraw7* idle = reelpane::getDevice(reelpane::GetDirectDrawPool(), nullptr);  // another idle object
  reelpane::ReturnDirectDraw(idle, reelpane::GetDirectDrawPool(), nullptr);
  lwdx::LoseAllSurfaces(DDERR_WRONGMODE);
  r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride);
  EXPECT_EQ(lwdx::CreatedDirectDrawObjects(), created + 2) << "the idle one was dropped, a new one made";
  EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 1);
  lwdx::LoseAllSurfaces(DD_OK);  // (the old surfaces are gone; the new ones are marked and restored)
  r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride);
  r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride);
  EXPECT_EQ(w.window->Pixel(5, 5), Rgb32Of(81, 90, 240));
}

TEST_F(ReelpaneRecovery, ANewDisplayResolutionRebuildsOnTheSameDevice) {
  LoggedHost host;
  TestWindow w(0x5403, 32, 32);
  Renderer r(0);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);
  Frame f(16, 16, 150, 60, 70);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  auto builds = [&] {
    size_t n = 0;
    for (const std::string& m : host.Messages()) n += m.rfind("[CReelpane] enter CreateDisplayWindow", 0) == 0;
    return n;
  };
  const size_t before = builds();
  const int created = lwdx::CreatedDirectDrawObjects();
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(builds(), before);
  lwdx::DxConfig smaller;
  smaller.primaryRect = RECT{0, 0, 1280, 720};
  lwdx::SetDxConfig(smaller);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(builds(), before + 1);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(builds(), before + 1) << "the new rectangle is remembered";
  EXPECT_EQ(lwdx::CreatedDirectDrawObjects(), created) << "the device's object is reused";
  EXPECT_EQ(w.window->Pixel(3, 3), Rgb32Of(150, 60, 70));
}

TEST_F(ReelpaneRecovery, UnsupportedModeAtThePrimaryClearsThePoolAndTheNextFrameRebuilds) {
  lwdx::DxConfig cfg;
  cfg.inject = [](lwdx::DxCall call, int n) { return call == lwdx::DxCall::CreatePrimary && n == 1 ? DDERR_UNSUPPORTEDMODE : DD_OK; };
  lwdx::SetDxConfig(cfg);
  TestWindow w(0x5401, 32, 32);
  Renderer r(0);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);  // build 0
  Frame f(16, 16, 150, 60, 70);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);  // build 1 fails at the primary
  EXPECT_TRUE(reelpane::GetDirectDrawPool()->devices.empty());
  EXPECT_EQ(lwdx::LiveDirectDrawObjects(), 0);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);  // build 2 works
  EXPECT_EQ(w.window->Pixel(3, 3), Rgb32Of(150, 60, 70));
}

TEST_F(ReelpaneRecovery, FailedOverlayPlacementIsTriedAgainNextFrame) {
  lwdx::DxConfig cfg;
  cfg.majorVersion = 5;
  cfg.overlays = true;
  cfg.fourCCs = {kYV12};
  cfg.inject = [](lwdx::DxCall call, int n) { return call == lwdx::DxCall::UpdateOverlay && n == 0 ? E_FAIL : DD_OK; };
  lwdx::SetDxConfig(cfg);
  LoggedHost host;
  TestWindow w(0x5402, 100, 50, POINT{10, 20});
  Renderer r(1);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);
  Frame f(16, 16, 150, 60, 70);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  ASSERT_TRUE(r.dd()->IsOverlay());
  EXPECT_EQ(host.CountOf("[CReelpane] UpdateOverlay failed=80004005"), 1u);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  auto log = lwdx::DxCallLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "UpdateOverlay (10,20,110,70) key=010203"), 1) << "placed once, then kept";
  EXPECT_EQ(std::count(log.begin(), log.end(), "ColorFill (10,20,110,70) 010203"), 2) << "colour key under each attempt";
  // The key colour shows where the overlay goes; flips present the chain.
  EXPECT_EQ(w.window->Pixel(50, 25), 0x010203u);
  EXPECT_GE(std::count(log.begin(), log.end(), "Flip"), 2);
  // A restore after lost surfaces places the overlay again.
  lwdx::LoseAllSurfaces(DD_OK);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  log = lwdx::DxCallLog();
  EXPECT_EQ(std::count(log.begin(), log.end(), "RestoreAllSurfaces"), 1);
  EXPECT_EQ(std::count(log.begin(), log.end(), "UpdateOverlay (10,20,110,70) key=010203"), 2);
}

TEST_F(ReelpaneRecovery, MovingToAnotherMonitorUsesThatDevicesObject) {
  lwdx::DxConfig cfg;
  const GUID g1{0x11111111, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}}, g2{0x22222222, 2, 0xAB, {2, 2, 2, 2, 2, 2, 2, 2}};
  const HMONITOR m1 = reinterpret_cast<HMONITOR>(uintptr_t{0x901}), m2 = reinterpret_cast<HMONITOR>(uintptr_t{0x902});
  cfg.monitors = {{g1, m1, {0, 0, 1920, 1080}}, {g2, m2, {1920, 0, 3200, 1024}}};
  lwdx::SetDxConfig(cfg);
  LoggedHost host;
  TestWindow w(0x5500, 80, 60, POINT{100, 100});
  Renderer r(0);
  r->SetVideoSize(16, 16);
  r->Attach(w.hwnd, 0);
  Frame f(16, 16, 150, 60, 70);
  r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  EXPECT_EQ(host.CountOf("[CReelpane] AddScreen GUID={11111111-0001-0001-0101-010101010101}"), 1u);
  EXPECT_EQ(w.window->Pixel(40, 30), Rgb32Of(150, 60, 70));
  RECT first = r.dd()->Destination(), onFirst{100, 100, 180, 160};
  EXPECT_TRUE(EqualRect(&first, &onFirst));

  w.window->SetOrigin(POINT{2000, 50});  // now on the second monitor
  Frame g(16, 16, 41, 240, 110);
  r->RenderFrame(g.Y.data(), g.U.data(), g.V.data(), g.stride);
  auto* pool = reelpane::GetDirectDrawPool();
  const std::string key1 = reelpane::FormatDeviceGuid(&g1), key2 = reelpane::FormatDeviceGuid(&g2);
  EXPECT_EQ(pool->devices.at(key1).size(), 1u) << "the first device's object went back under its key";
  EXPECT_TRUE(pool->devices.at(key2).empty()) << "the second device's object is in use";
  RECT expected{80, 50, 160, 110};  // relative to the second monitor
  RECT dest = r.dd()->Destination();
  EXPECT_TRUE(EqualRect(&dest, &expected)) << dest.left << "," << dest.top;
  EXPECT_EQ(w.window->Pixel(40, 30), Rgb32Of(41, 240, 110));
}

}  // namespace

namespace {

class ReelpaneThreads : public DxFixture {};

TEST_F(ReelpaneThreads, RenderersOnSeveralPlayerThreadsShareThePoolAndTheLog) {
  LoggedHost host;
  const int created = lwdx::CreatedDirectDrawObjects();
  constexpr int kPlayers = 4, kFrames = 25;
  std::vector<std::unique_ptr<TestWindow>> windows;
  for (int i = 0; i < kPlayers; ++i) windows.push_back(std::make_unique<TestWindow>(0x8000 + i, 48, 32, POINT{i * 50, 0}));
  std::vector<std::thread> players;
  for (int i = 0; i < kPlayers; ++i)
    players.emplace_back([&, i] {
      Frame f(32, 32, static_cast<uint8_t>(60 + 40 * i), 128, 128);
      for (int round = 0; round < 3; ++round) {
        Renderer r(1);
        r->SetVideoSize(32, 32);
        r->Attach(windows[i]->hwnd, 1);
        for (int n = 0; n < kFrames; ++n) r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
        r->Detach();
      }
    });
  for (auto& p : players) p.join();
  for (int i = 0; i < kPlayers; ++i)
    EXPECT_EQ(windows[i]->window->Pixel(24, 16), Rgb32Of(static_cast<uint8_t>(60 + 40 * i), 128, 128));
  // Objects went back to the pool and were taken again: never more than one per player at once.
  EXPECT_LE(lwdx::CreatedDirectDrawObjects() - created, kPlayers);
  EXPECT_LE(reelpane::GetDirectDrawPool()->devices.at(reelpane::kPrimaryDeviceKey).size(), static_cast<size_t>(kPlayers));
  EXPECT_EQ(host.CountOf("[CReelpane] Create rgb video Surface ok, formart=32"), static_cast<size_t>(kPlayers * 3));
}

}  // namespace
