// Frames rendered on a player thread into a window of the MFC layer: the user-interface thread
// shows them, fitted with black bars, and the window is read back from the X server.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include <cairo.h>

#include <wx/app.h>
#include <wx/window.h>

#include <afxwin.h>

#include "GuiTestHarness.h"
#include "ReelpaneTestSupport.h"
#include "dxmfc.h"

using namespace guitest;

namespace {

// Reads one pixel of the screen through GDK (already loaded by the toolkit).
class ScreenReader {
 public:
  ScreenReader() {
    root_ = reinterpret_cast<void* (*)()>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
    grab_ = reinterpret_cast<void* (*)(void*, int, int, int, int)>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
    pixels_ = reinterpret_cast<unsigned char* (*)(void*)>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_pixels"));
    unref_ = reinterpret_cast<void (*)(void*)>(dlsym(RTLD_DEFAULT, "g_object_unref"));
  }
  bool Usable() const { return root_ && grab_ && pixels_ && unref_; }
  // 0x00RRGGBB at a client point of the window; 0xFFFFFFFF when unreadable.
  uint32_t At(CWnd* pWnd, int x, int y) const {
    CPoint pt(x, y);
    pWnd->ClientToScreen(&pt);
    void* pixbuf = grab_(root_(), pt.x, pt.y, 1, 1);
    if (!pixbuf) return 0xFFFFFFFFu;
    const unsigned char* p = pixels_(pixbuf);
    const uint32_t c = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    unref_(pixbuf);
    return c;
  }

 private:
  void* (*root_)() = nullptr;
  void* (*grab_)(void*, int, int, int, int) = nullptr;
  unsigned char* (*pixels_)(void*) = nullptr;
  void (*unref_)(void*) = nullptr;
};

// A window that paints itself mid grey.
class CGreyWnd : public CWnd {
 public:
  int paints = 0;
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    ++paints;
    if (auto* cr = static_cast<cairo_t*>(dc.GetCairo())) {
      cairo_set_source_rgb(cr, 0.5, 0.5, 0.5);
      cairo_paint(cr);
    }
  }
  DECLARE_MESSAGE_MAP()
};
BEGIN_MESSAGE_MAP(CGreyWnd, CWnd)
  ON_WM_PAINT()
END_MESSAGE_MAP()

void Screenshot(const std::string& name) {
  const std::string dir = LW_SCREENSHOT_DIR;
  std::filesystem::create_directories(dir);
  const std::string cmd = "import -window root '" + dir + "/" + name + "' 2>/dev/null";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "no screenshot %s\n", name.c_str());
}

// A player thread drives a renderer of the given kind in a child window of the MFC layer.
void ShowFramesFromAPlayerThread(int kind, const std::string& shot) {
  ScreenReader reader;
  ASSERT_TRUE(reader.Usable()) << "GDK is not loaded";
  lwdx::ResetDxConfig();
  lwdx::UseMfcWindows();
  auto* frame = new CFrameWnd;
  ASSERT_TRUE(frame->Create(nullptr, L"Video", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CRect(0, 0, 440, 300)));
  auto* wnd = new CGreyWnd;
  ASSERT_TRUE(wnd->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(10, 10, 410, 250), frame, 100));
  ASSERT_TRUE(PumpUntil([&] { return wnd->GetWxWindow()->IsShownOnScreen() && wnd->paints > 0; }));
  const HWND hwnd = wnd->GetSafeHwnd();

  // A 160 x 120 picture: the left half one colour, the right half another.
  constexpr int kW = 160, kH = 120;
  std::vector<uint8_t> Y(kW * kH), U(kW * kH / 4), V(kW * kH / 4);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) Y[y * kW + x] = x < kW / 2 ? 145 : 41;
  for (int y = 0; y < kH / 2; ++y)
    for (int x = 0; x < kW / 2; ++x) {
      U[y * kW / 2 + x] = x < kW / 4 ? 54 : 240;
      V[y * kW / 2 + x] = x < kW / 4 ? 34 : 110;
    }
  const uint32_t left = rptest::Rgb32Of(145, 54, 34), right = rptest::Rgb32Of(41, 240, 110);
  rptest::Frame second(kW, kH, 106, 202, 222);  // one colour all over
  const uint32_t secondColour = rptest::Rgb32Of(106, 202, 222);

  std::atomic<int> rendered{0};
  std::atomic<bool> stop{false}, useSecond{false};
  std::thread player([&] {
    rptest::Renderer r(kind);
    r->SetVideoSize(kW, kH);
    r->Attach(hwnd, 1);
    while (!stop) {
      if (useSecond) r->RenderFrame(second.Y.data(), second.U.data(), second.V.data(), kW);
      else r->RenderFrame(Y.data(), U.data(), V.data(), kW);
      ++rendered;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    r->Detach();
  });
  // 400 x 240 client: the picture is 320 x 240 at x 40, with black bars of 40 on either side.
  const bool shown = PumpUntil(
      [&] {
        return rendered > 2 && reader.At(wnd, 100, 120) == left && reader.At(wnd, 300, 120) == right &&
               reader.At(wnd, 20, 120) == 0u && reader.At(wnd, 380, 120) == 0u;
      },
      5000);
  Screenshot(shot);
  // Hidden, the window gets no frames; shown again, the frames come back without anything else
  // having to happen to it.
  wnd->ShowWindow(SW_HIDE);
  PumpUntil([&] { return false; }, 150);
  useSecond = true;
  PumpUntil([&] { return false; }, 150);
  wnd->ShowWindow(SW_SHOW);
  const bool shownAgain = PumpUntil([&] { return reader.At(wnd, 200, 120) == secondColour; }, 3000);
  EXPECT_TRUE(shownAgain) << std::hex << reader.At(wnd, 200, 120);
  stop = true;
  PumpUntil([&] { return false; }, 50);
  player.join();  // a player asking for the window's geometry waits a bounded time only
  ASSERT_TRUE(shown) << std::hex << reader.At(wnd, 100, 120) << " " << reader.At(wnd, 300, 120) << " "
                     << reader.At(wnd, 20, 120) << " " << reader.At(wnd, 380, 120) << " want " << left << " " << right;
  EXPECT_EQ(reader.At(wnd, 41, 1), secondColour) << "the picture starts 40 in";
  EXPECT_EQ(reader.At(wnd, 39, 1), 0u);
  EXPECT_EQ(reader.At(wnd, 359, 238), secondColour);
  EXPECT_EQ(reader.At(wnd, 361, 238), 0u);
  frame->DestroyWindow();
  PumpUntil([&] { return false; }, 50);
  delete wnd;
  delete frame;
}

TEST(ReelpaneWindow, PlayerThreadFramesShowFittedInTheWindow) { ShowFramesFromAPlayerThread(1, "reelpane-window.png"); }

// The Direct3D 9 renderer presents through the same window targets; its linear stretch keeps the
// two uniform halves exact away from their seam.
TEST(ReelpaneWindow, Direct3D9PlayerThreadFramesShowFittedInTheWindow) {
  ShowFramesFromAPlayerThread(2, "reelpane-d3d9-window.png");
}

}  // namespace
