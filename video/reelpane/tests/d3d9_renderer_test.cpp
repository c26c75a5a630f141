// The Direct3D 9 renderer (kind 2) over the layer's memory device and a capture window: the
// letterbox rectangle, the texture's life, recovery from a moved window and a lost device, and
// frames a careless renderer would crash on.
#include <algorithm>
#include <thread>

#include <d3dtest.h>

#include "CReelpaneD3D9.h"
#include "ReelpaneTestSupport.h"

using namespace rptest;
using reelpane::CReelpaneD3D9;

namespace {

class ReelpaneD3D9 : public DxFixture {
 protected:
  void SetUp() override {
    DxFixture::SetUp();
    lwdx::ResetD3DConfig();
  }
  void TearDown() override {
    lwdx::ResetD3DConfig();
    DxFixture::TearDown();
  }
  static size_t Count(const std::string& prefix) {
    size_t n = 0;
    for (const std::string& line : lwdx::D3DCallLog()) n += line.rfind(prefix, 0) == 0;
    return n;
  }
  static CReelpaneD3D9* D3D(const Renderer& r) { return static_cast<CReelpaneD3D9*>(r.p); }
  static void RunOnOtherThread(const std::function<void()>& f) {
    std::thread t(f);
    t.join();
  }
};

// Red of the converters: Y 81, U 90, V 240 comes out as (253, 0, 0).
constexpr uint8_t kRedY = 81, kRedU = 90, kRedV = 240;

TEST(ReelpaneD3D9Rect, LetterboxSplitsTheSpareExactlyInHalf) {
  struct Case {
    int mode, w, h, vw, vh;
    RECT want;
  } cases[] = {
      {1, 800, 600, 720, 576, {25, 0, 775, 600}},
      {1, 800, 601, 720, 576, {24, 0, 775, 601}},
      {1, 640, 480, 1280, 720, {0, 60, 640, 420}},
      {1, 1440, 1152, 720, 576, {0, 0, 1440, 1152}},
      {0, 800, 600, 720, 576, {0, 0, 800, 600}},
      {2, 800, 600, 160, 120, {0, 0, 800, 600}},
      {1, 800, 600, 0, 0, {0, 0, 800, 600}},  // no video size: no division by zero
      {1, 800, 600, 720, 0, {0, 0, 800, 600}},
  };
  for (const Case& c : cases) {
    const RECT got = CReelpaneD3D9::DestRect(c.mode, c.w, c.h, c.vw, c.vh);
    EXPECT_TRUE(EqualRect(&got, &c.want)) << c.vw << "x" << c.vh << " in " << c.w << "x" << c.h << " mode " << c.mode
                                          << ": " << got.left << "," << got.top << "," << got.right << "," << got.bottom;
  }
}

TEST_F(ReelpaneD3D9, StartsWithoutSizeOrWindowAndBuildsTheTextureAtAttach) {
  Renderer r(2);
  ASSERT_NE(r.p, nullptr);
  int w = -1, h = -1, type = -7;
  EXPECT_EQ(r->GetVideoSize(&w, &h), 0);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(r->GetType(&type), 0);
  EXPECT_EQ(type, -7) << "nothing written";
  Frame f(16, 16, 16, 128, 128);
  EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), -1) << "no window yet";
  EXPECT_EQ(r->Detach(), -1);

  TestWindow win(0x7101, 800, 600);
  EXPECT_EQ(r->SetVideoSize(720, 576), -1) << "no device yet";
  EXPECT_EQ(r->GetVideoSize(&w, &h), 0);
  EXPECT_EQ(w, 720);
  EXPECT_EQ(r->Attach(win.hwnd, 1), 0);
  EXPECT_EQ(Count("CreateDevice adapter=0 800x600 swap=3 interval=0 behaviour=24"), 1u);
  EXPECT_EQ(Count("CreateTexture 720x576"), 1u);
  EXPECT_EQ(D3D(r)->CurrentConverter(), &ConvertYV12ToRGB32);
  // The projection of the client area: 60 degrees vertically, aspect 4:3, depth 0.1 to 6000.
  D3DMATRIX proj{};
  ASSERT_EQ(D3D(r)->Device()->GetTransform(D3DTS_PROJECTION, &proj), D3D_OK);
  const float want[4][4] = {{1.2990381f, 0, 0, 0}, {0, 1.7320508f, 0, 0}, {0, 0, 6000.0f / 5999.9f, 1}, {0, 0, -600.0f / 5999.9f, 0}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) EXPECT_NEAR(proj.m[i][j], want[i][j], 1e-5) << i << "," << j;
  EXPECT_EQ(r->SetVideoSize(720, 576), 0);
  EXPECT_EQ(Count("CreateTexture 720x576"), 2u) << "the same size builds a new texture";
  EXPECT_EQ(lwdx::LiveD3DObjects().textures, 1);

  // A failing texture leaves frames cleared and presented without a picture.
  lwdx::D3DConfig failing;
  failing.inject = [](lwdx::D3DCall call, int) { return call == lwdx::D3DCall::CreateTexture ? E_FAIL : S_OK; };
  lwdx::SetD3DConfig(failing);
  EXPECT_EQ(r->SetVideoSize(320, 240), -1);
  EXPECT_EQ(lwdx::LiveD3DObjects().textures, 0);
  win.window->Draw([](uint32_t* px, int ww, int hh, int pitch) {
    for (int yy = 0; yy < hh; ++yy) std::fill_n(px + static_cast<size_t>(yy) * pitch, ww, 0x00FF00FFu);
  }, RECT{0, 0, 800, 600});
  EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
  EXPECT_EQ(win.window->Pixel(400, 300), 0u);
  EXPECT_EQ(r->Detach(), 0);
  EXPECT_EQ(r->Detach(), -1);
}

// The red frame in an 800 x 600 window: the picture is columns 25..774, black bars beside it.
TEST_F(ReelpaneD3D9, PresentedPictureIsLetterboxedInTheWindow) {
  TestWindow win(0x7102, 800, 600, POINT{100, 50});
  Renderer r(2);
  ASSERT_EQ(r->SetVideoSize(720, 576), -1);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  Frame red(720, 576, kRedY, kRedU, kRedV);
  ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  ASSERT_EQ(Rgb32Of(kRedY, kRedU, kRedV), 0xFD0000u);
  int wrong = 0;
  for (int y : {0, 300, 599})
    for (int x = 0; x < 800; ++x) wrong += win.window->Pixel(x, y) != (x >= 25 && x <= 774 ? 0xFD0000u : 0u);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Count("StretchRect (25,0,775,600) from (0,0,720,576) filter=2"), 1u);

  // Mode 0 fills the client area.
  ASSERT_EQ(r->Attach(win.hwnd, 0), 0);
  ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(win.window->Pixel(0, 0), 0xFD0000u);
  EXPECT_EQ(win.window->Pixel(799, 599), 0xFD0000u);
}

TEST_F(ReelpaneD3D9, DetachedRendererAttachesAgainAtTheNextFrame) {
  TestWindow win(0x7103, 400, 300);
  Renderer r(2);
  r->SetVideoSize(64, 48);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  ASSERT_EQ(r->Detach(), 0);
  EXPECT_EQ(lwdx::LiveD3DObjects().devices, 0);
  EXPECT_EQ(lwdx::LiveD3DObjects().direct3d, 0);
  Frame red(64, 48, kRedY, kRedU, kRedV);
  const int draws = win.window->DrawCount();
  EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(Count("CreateDevice"), 2u);
  EXPECT_GT(win.window->DrawCount(), draws);
  // 64 x 48 in 400 x 300 keeps mode 1: 4:3 fills it.
  EXPECT_EQ(win.window->Pixel(0, 0), 0xFD0000u);
  EXPECT_EQ(win.window->Pixel(399, 299), 0xFD0000u);
}

TEST_F(ReelpaneD3D9, LostDeviceSkipsFramesUntilItCanBeReset) {
  TestWindow win(0x7104, 320, 240);
  Renderer r(2);
  r->SetVideoSize(32, 24);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  Frame red(32, 24, kRedY, kRedU, kRedV);
  lwdx::SetD3DCooperativeLevel(D3DERR_DEVICELOST);
  lwdx::ClearD3DCallLog();
  const int draws = win.window->DrawCount();
  EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(win.window->DrawCount(), draws);
  EXPECT_EQ(Count("Present"), 0u);
  EXPECT_EQ(Count("Clear"), 0u);

  lwdx::SetD3DCooperativeLevel(D3DERR_DEVICENOTRESET);
  EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(Count("Reset 320x240 swap=1 interval=80000000"), 1u);
  EXPECT_EQ(Count("Reset refused"), 0u) << "the texture goes before the reset";
  EXPECT_EQ(Count("Present 320x240"), 1u);
  EXPECT_EQ(win.window->Pixel(160, 120), 0xFD0000u);
  EXPECT_EQ(lwdx::LiveD3DObjects().textures, 1);
}

TEST_F(ReelpaneD3D9, MovedWindowResetsOnTheOwnerAndRestartsOnAnotherThread) {
  LoggedHost host;
  TestWindow win(0x7105, 320, 240, POINT{10, 10});
  Renderer r(2);
  r->SetVideoSize(32, 24);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  Frame red(32, 24, kRedY, kRedU, kRedV);
  ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(host.CountOf("[CReelpaneD3D9] Reset Sence"), 0u) << "an unmoved window needs nothing";

  win.window->SetOrigin(POINT{20, 10});  // moved, same size
  IDirect3DDevice9* first = D3D(r)->Device();
  ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(host.CountOf("[CReelpaneD3D9] Reset Sence"), 1u);
  EXPECT_EQ(D3D(r)->Device(), first) << "reset, not made anew";

  win.window->SetOrigin(POINT{30, 10});
  int result = -9;
  RunOnOtherThread([&] { result = r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(host.CountOf("[CReelpaneD3D9] Restart Sence"), 1u);
  EXPECT_EQ(Count("CreateDevice"), 2u);
  EXPECT_EQ(lwdx::LiveD3DObjects().devices, 1);
  EXPECT_EQ(win.window->Pixel(160, 120), 0xFD0000u);

  // That thread is now the owner: a move seen on this one makes a new device again.
  win.window->SetSize(400, 240);
  ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  EXPECT_EQ(host.CountOf("[CReelpaneD3D9] Restart Sence"), 2u);
  EXPECT_EQ(Count("CreateDevice adapter=0 400x240"), 1u);
  EXPECT_EQ(win.window->Pixel(39, 120), 0u);
  EXPECT_EQ(win.window->Pixel(40, 120), 0xFD0000u);
}

// Frames and calls that must neither crash nor leak.
TEST_F(ReelpaneD3D9, OddFramesAndCallOrdersAreHandledSafely) {
  constexpr int kW = 32, kH = 24;
  TestWindow win(0x7106, kW, kH);
  Frame red(kW, kH, kRedY, kRedU, kRedV);
  Frame blue(kW, kH, 41, 240, 110);

  {
    SCOPED_TRACE("null V: an NV12 frame is converted as NV12");
    Renderer r(2);
    r->SetVideoSize(kW, kH);
    ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
    std::vector<uint8_t> uv(static_cast<size_t>(kW) * kH / 2);
    for (size_t i = 0; i < uv.size(); i += 2) uv[i] = 240, uv[i + 1] = 110;
    EXPECT_EQ(r->RenderFrame(blue.Y.data(), uv.data(), nullptr, kW), 0);
    // The portable NV12 converter's value of the colour.
    uint8_t yp[2] = {41, 41}, uvp[2] = {240, 110}, out[8] = {};
    ConvertNV12ToRGB32(out, 8, yp, uvp, nullptr, 2, 2, 2, 1, 0);
    const uint32_t nv12Blue = (uint32_t{out[2]} << 16) | (uint32_t{out[1]} << 8) | out[0];
    EXPECT_NE(nv12Blue, 0xFD0000u);
    EXPECT_EQ(win.window->Pixel(5, 5), nv12Blue);
  }
  {
    SCOPED_TRACE("negative or short stride: the previous picture stays");
    Renderer r(2);
    r->SetVideoSize(kW, kH);
    ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
    ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), kW), 0);
    const uint8_t* lastRow = blue.Y.data() + static_cast<size_t>(kW) * (kH - 1);
    EXPECT_EQ(r->RenderFrame(lastRow, blue.U.data(), blue.V.data(), -kW), 0);
    EXPECT_EQ(r->RenderFrame(blue.Y.data(), blue.U.data(), blue.V.data(), kW - 2), 0);
    EXPECT_EQ(win.window->Pixel(5, 5), 0xFD0000u);
  }
  {
    SCOPED_TRACE("a restart whose device cannot be made ends the frame");
    Renderer r(2);
    r->SetVideoSize(kW, kH);
    ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
    lwdx::D3DConfig failing;
    failing.inject = [](lwdx::D3DCall call, int) { return call == lwdx::D3DCall::CreateDevice ? E_FAIL : S_OK; };
    lwdx::SetD3DConfig(failing);
    win.window->SetOrigin(POINT{5, 5});
    int result = 0;
    RunOnOtherThread([&] { result = r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), kW); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(D3D(r)->Device(), nullptr);
    EXPECT_EQ(lwdx::LiveD3DObjects().direct3d, 0);
    lwdx::ResetD3DConfig();
    EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), kW), 0) << "the next frame attaches";
    win.window->SetOrigin(POINT{0, 0});
  }
  {
    SCOPED_TRACE("Attach twice, then Release without Detach");
    Renderer r(2);
    r->SetVideoSize(kW, kH);
    ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
    ASSERT_EQ(r->Attach(win.hwnd, 0), 0);
    EXPECT_EQ(lwdx::LiveD3DObjects().devices, 1);
    EXPECT_EQ(lwdx::LiveD3DObjects().direct3d, 1);
    EXPECT_EQ(lwdx::LiveD3DObjects().textures, 1);
  }
  const lwdx::D3DLiveObjects left = lwdx::LiveD3DObjects();
  EXPECT_EQ(left.devices, 0);
  EXPECT_EQ(left.direct3d, 0);
  EXPECT_EQ(left.textures, 0);
  EXPECT_EQ(left.surfaces, 0);
  {
    SCOPED_TRACE("a display that pads textures: only the picture is read and shown");
    lwdx::D3DConfig padded;
    padded.textureAlign = 64;
    lwdx::SetD3DConfig(padded);
    Renderer r(2);
    r->SetVideoSize(kW, kH);
    ASSERT_EQ(r->Attach(win.hwnd, 0), 0);
    ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), kW), 0);
    EXPECT_EQ(win.window->Pixel(kW - 1, kH - 1), 0xFD0000u);
    EXPECT_EQ(Count("StretchRect (0,0,32,24) from (0,0,32,24)"), 1u);
  }
}

// With several displays the device is made on the adapter that shows the window's monitor, and a
// window moved to the other display gets a device there.
TEST_F(ReelpaneD3D9, DeviceIsMadeOnTheAdapterOfTheWindowsMonitor) {
  lwdx::DxConfig cfg;
  const GUID g1{0x11111111, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}}, g2{0x22222222, 2, 2, {2, 2, 2, 2, 2, 2, 2, 2}};
  const HMONITOR m1 = reinterpret_cast<HMONITOR>(uintptr_t{0x901}), m2 = reinterpret_cast<HMONITOR>(uintptr_t{0x902});
  cfg.monitors = {{g1, m1, {0, 0, 1920, 1080}}, {g2, m2, {1920, 0, 3200, 1024}}};
  lwdx::SetDxConfig(cfg);
  TestWindow win(0x7107, 160, 120, POINT{2000, 100});
  Renderer r(2);
  r->SetVideoSize(16, 12);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  EXPECT_EQ(Count("CreateDevice adapter=1 "), 1u);
  win.window->SetOrigin(POINT{100, 100});
  Frame red(16, 12, kRedY, kRedU, kRedV);
  int result = -9;
  RunOnOtherThread([&] { result = r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride); });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Count("CreateDevice adapter=0 "), 1u);
  EXPECT_EQ(win.window->Pixel(80, 60), 0xFD0000u);
}

// A player runs for hours: the layer's record of calls keeps only the recent ones.
TEST_F(ReelpaneD3D9, LongPlaybackKeepsTheCallLogBounded) {
  TestWindow win(0x7108, 16, 12);
  Renderer r(2);
  r->SetVideoSize(16, 12);
  ASSERT_EQ(r->Attach(win.hwnd, 1), 0);
  Frame red(16, 12, kRedY, kRedU, kRedV);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  const std::vector<std::string> log = lwdx::D3DCallLog();
  EXPECT_LE(log.size(), 8192u);
  ASSERT_FALSE(log.empty());
  EXPECT_EQ(log.back(), "Present 16x12") << "the newest calls are kept";
}

TEST_F(ReelpaneD3D9, FailedAttachKeepsNothingAndTheNextAttachWorks) {
  TestWindow win(0x7109, 64, 48);
  struct Case {
    const char* what;
    lwdx::D3DCall failing;
    HWND window;
  } cases[] = {
      {"no Direct3D object", lwdx::D3DCall::Create, win.hwnd},
      {"no device", lwdx::D3DCall::CreateDevice, win.hwnd},
      {"a handle that is no window", lwdx::D3DCall::Reset, rptest::HandleOf(0x7FFF)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    lwdx::D3DConfig cfg;
    const lwdx::D3DCall failing = c.failing;
    cfg.inject = [failing](lwdx::D3DCall call, int) { return call == failing ? E_FAIL : S_OK; };
    lwdx::SetD3DConfig(cfg);
    Renderer r(2);
    r->SetVideoSize(16, 12);
    EXPECT_EQ(r->Attach(c.window, 1), -1);
    EXPECT_EQ(D3D(r)->Device(), nullptr);
    EXPECT_EQ(lwdx::LiveD3DObjects().direct3d, 0);
    EXPECT_EQ(lwdx::LiveD3DObjects().devices, 0);
    Frame red(16, 12, kRedY, kRedU, kRedV);
    EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), -1);
    lwdx::ResetD3DConfig();
    EXPECT_EQ(r->Attach(win.hwnd, 1), 0);
    EXPECT_EQ(r->RenderFrame(red.Y.data(), red.U.data(), red.V.data(), red.stride), 0);
  }
}

}  // namespace
