// Faults the renderer guards against: frames that do not match their size, a zero video size in
// aspect-fit mode, running out of memory inside the device pool, YV12 surfaces of odd height.
#include <cstring>
#include <thread>

#include "ReelpaneTestSupport.h"

using namespace rptest;

namespace {

constexpr DWORD kYV12 = LW_MAKEFOURCC('Y', 'V', '1', '2');

class ReelpaneFaults : public DxFixture {};

TEST_F(ReelpaneFaults, ZeroVideoSizeInFitModeNeitherCrashesNorDraws) {
  TestWindow w(0x6001, 120, 90);
  for (auto [vw, vh] : {std::pair{0, 0}, std::pair{0, 48}, std::pair{64, 0}}) {
    Renderer r(1);
    r->SetVideoSize(vw, vh);
    EXPECT_EQ(r->Attach(w.hwnd, 1), 0);
    Frame f(64, 48, 100, 128, 128);
    EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
    RECT dest = r.dd()->Destination(), client{0, 0, 120, 90};
    EXPECT_TRUE(EqualRect(&dest, &client)) << "no aspect to fit: the client area stays";
  }
  // Sizes no surface can have: nothing is made, nothing drawn, nothing read.
  for (auto [vw, vh] : {std::pair{-64, 48}, std::pair{64, -48}, std::pair{1 << 30, 48}, std::pair{48, 1 << 30}}) {
    SCOPED_TRACE(testing::Message() << vw << " x " << vh);
    Renderer r(1);
    EXPECT_EQ(r->SetVideoSize(vw, vh), 0);
    EXPECT_EQ(r->Attach(w.hwnd, 1), 0);
    Frame f(64, 48, 100, 128, 128);
    EXPECT_EQ(r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride), 0);
    EXPECT_EQ(r.dd()->SurfaceFormat(), 0);
  }
}

TEST_F(ReelpaneFaults, FramesThatDoNotHoldTheirPictureAreRefusedNotRead) {
  // The planes are exactly as large as the host says; the sanitizer build catches any over-read.
  TestWindow w(0x6002, 64, 64);
  Renderer r(0);
  r->SetVideoSize(40, 20);
  r->Attach(w.hwnd, 0);
  Frame good(40, 20, 235, 128, 128);
  r->RenderFrame(good.Y.data(), good.U.data(), good.V.data(), good.stride);
  const uint32_t white = w.window->Pixel(10, 10);
  ASSERT_EQ(white, Rgb32Of(235, 128, 128));

  struct Case {
    const char* what;
    bool y, u, v;
    int stride;
  } cases[] = {
      {"no luma plane", false, true, true, 40},
      {"no U plane", true, false, true, 40},
      {"rows shorter than the picture", true, true, true, 24},
      {"negative stride", true, true, true, -40},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int rowBytes = std::max(c.stride, 1);
    std::vector<uint8_t> Y(static_cast<size_t>(rowBytes) * 20, 16), U(static_cast<size_t>(rowBytes / 2 + 1) * 10, 128),
        V(static_cast<size_t>(rowBytes / 2 + 1) * 10, 128);
    EXPECT_EQ(r->RenderFrame(c.y ? Y.data() : nullptr, c.u ? U.data() : nullptr, c.v ? V.data() : nullptr, c.stride), 0);
    EXPECT_EQ(w.window->Pixel(10, 10), white) << "the last good picture stays";
  }
}

TEST_F(ReelpaneFaults, PoolOutOfMemoryFailsTheCallAndLeavesEveryLockFree) {
  TestWindow w(0x6003, 64, 64);
  Renderer r(0);
  r->SetVideoSize(16, 16);
  reelpane::FailNextPoolInsertForTesting();
  EXPECT_EQ(r->Attach(w.hwnd, 0), -5);
  // Another thread can use the renderer and the pool at once.
  int attached = 1;
  std::thread other([&] {
    attached = r->Attach(w.hwnd, 0);
    Frame f(16, 16, 81, 90, 240);
    r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
  });
  other.join();
  EXPECT_EQ(attached, 0);
  EXPECT_EQ(w.window->Pixel(8, 8), Rgb32Of(81, 90, 240));
}

TEST_F(ReelpaneFaults, Yv12SurfacesOfOddHeightKeepTheirChromaPlanesApart) {
  lwdx::DxConfig cfg;
  cfg.fourCCs = {kYV12};
  lwdx::SetDxConfig(cfg);
  TestWindow w(0x6004, 64, 64);
  for (int height : {15, 16, 121}) {
    SCOPED_TRACE(height);
    Renderer r(0);
    r->SetVideoSize(40, height);
    r->Attach(w.hwnd, 0);
    Frame f(40, height, 90, 30, 220);
    r->RenderFrame(f.Y.data(), f.U.data(), f.V.data(), f.stride);
    ASSERT_EQ(r.dd()->SurfaceFormat(), 1);
    auto surfaces = lwdx::TakeCreatedSurfaces();
    ASSERT_FALSE(surfaces.empty());
    DDSURFACEDESC2 d;
    ASSERT_EQ(surfaces.back()->Lock(nullptr, &d, DDLOCK_WAIT, nullptr), DD_OK);
    const auto* mem = static_cast<const uint8_t*>(d.lpSurface);
    const size_t pitch = static_cast<size_t>(d.lPitch), rows = static_cast<size_t>((height + 1) / 2);
    // V follows the luma rows, U follows V's (height + 1) / 2 rows.
    const uint8_t* v = mem + pitch * static_cast<size_t>(height);
    const uint8_t* u = v + (pitch / 2) * rows;
    int wrongU = 0, wrongV = 0;
    for (size_t row = 0; row < rows; ++row)
      for (size_t x = 0; x < 20; ++x) {
        wrongU += u[row * (pitch / 2) + x] != 30;
        wrongV += v[row * (pitch / 2) + x] != 220;
      }
    EXPECT_EQ(wrongU, 0);
    EXPECT_EQ(wrongV, 0);
    surfaces.back()->Unlock(nullptr);
    for (auto* s : surfaces) s->Release();
  }
}

TEST(ReelpaneSurfaceLayout, Yv12PlaneOffsetsFollowOneRule) {
  // Even heights: U a quarter of the luma further on; odd heights: a whole chroma row more.
  const struct {
    int pitch, height;
    size_t v, u;
  } cases[] = {{64, 16, 1024, 1024 + 256}, {64, 15, 960, 960 + 256}, {48, 1, 48, 72}};
  for (const auto& c : cases) {
    const auto p = reelpane::Yv12PlaneOffsets(c.pitch, c.height);
    EXPECT_EQ(p.v, c.v);
    EXPECT_EQ(p.u, c.u);
  }
}

}  // namespace
