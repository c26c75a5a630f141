// Shared pieces of the renderer tests: a capture window registered under a handle, the log opened
// for a temporary host program, and frames of solid colours.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CReelpane.h"
#include "ColorConv.h"
#include "DDrawPool.h"
#include "MMLog.h"
#include "ReelpaneFactory.h"
#include "TestSupport.h"
#include "dxtest.h"

namespace rptest {

inline HWND HandleOf(uintptr_t n) { return reinterpret_cast<HWND>(n); }

// A capture window under a handle of its own for the life of the object.
struct TestWindow {
  TestWindow(uintptr_t handle, int width, int height, POINT origin = {0, 0})
      : hwnd(HandleOf(handle)), window(std::make_shared<lwdx::CaptureWindow>(width, height, origin)) {
    lwdx::RegisterWindowTarget(hwnd, window);
  }
  ~TestWindow() { lwdx::UnregisterWindowTarget(hwnd); }
  HWND hwnd;
  std::shared_ptr<lwdx::CaptureWindow> window;
};

// A host program in a temporary folder with "config" and "log" folders; the log is opened again
// for it with the given settings (level, target), so each test starts from its own files.
struct LoggedHost {
  explicit LoggedHost(int level = 3, int target = 1, const char* program = "player.exe") {
    std::filesystem::create_directories(dir.path() / "config");
    std::filesystem::create_directories(dir.path() / "log");
    std::string name = program;
    const size_t dot = name.rfind('.');
    std::ofstream(dir.path() / "config" / ((dot == std::string::npos ? std::string() : name.substr(0, dot)) + ".multimedia.ini"))
        << "[debug]\nfilter_level=" << level << "\nfilter_target=" << target << "\n";
    host = (dir.path() / program).wstring();
    reelpane::MMLog::Instance().Reopen("Reelpane", host);
  }
  ~LoggedHost() {
    // Later tests log nowhere unless they ask.
    reelpane::MMLog::Instance().Reopen("Reelpane", std::wstring());
  }
  std::string LogText() const {
    const std::string path = reelpane::MMLog::Instance().FilePath();
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Log lines without their "[hh:mm:ss]" prefix (the header line left out).
  std::vector<std::string> Messages() const {
    std::vector<std::string> out;
    std::istringstream in(LogText());
    std::string line;
    while (std::getline(in, line))
      if (line.size() > 10 && line[0] == '[') out.push_back(line.substr(10));
    return out;
  }
  size_t CountOf(const std::string& message) const {
    size_t n = 0;
    for (const std::string& m : Messages()) n += m == message;
    return n;
  }
  lwtest::TempDir dir;
  std::wstring host;
};

// A planar 4:2:0 frame of one colour (Y, U, V), w x h, with the given luma stride. The U plane is
// large enough to serve as an NV12 UV plane too (luma stride, half the rows).
struct Frame {
  Frame(int w, int h, uint8_t y, uint8_t u, uint8_t v, int strideIn = 0)
      : width(w), height(h), stride(strideIn ? strideIn : w),
        Y(static_cast<size_t>(stride) * h, y), U(static_cast<size_t>(stride) * ((h + 1) / 2), u),
        V(static_cast<size_t>(stride / 2) * ((h + 1) / 2), v) {}
  int width, height, stride;
  std::vector<uint8_t> Y, U, V;
};

// The converters' RGB32 value of one YUV colour.
inline uint32_t Rgb32Of(uint8_t y, uint8_t u, uint8_t v) {
  uint8_t yp[2] = {y, y}, up[1] = {u}, vp[1] = {v};
  uint8_t out[8] = {};
  ConvertYV12ToRGB32(out, 8, yp, up, vp, 2, 1, 1, 1, 0);
  return (uint32_t{out[2]} << 16) | (uint32_t{out[1]} << 8) | out[0];
}

// Renderer released when the test ends.
struct Renderer {
  explicit Renderer(int kind) : p(CreateReelpane(kind)) {}
  ~Renderer() {
    if (p) p->Release();
  }
  IReelpane* operator->() const { return p; }
  reelpane::CReelpane* dd() const { return static_cast<reelpane::CReelpane*>(p); }
  IReelpane* p;
};

// Every test starts from the normal display configuration and an empty pool.
class DxFixture : public testing::Test {
 protected:
  void SetUp() override {
    lwdx::ResetDxConfig();
    reelpane::ClearDirectDrawPool(reelpane::GetDirectDrawPool());
  }
  void TearDown() override {
    lwdx::ResetDxConfig();
    reelpane::ClearDirectDrawPool(reelpane::GetDirectDrawPool());
  }
};

}  // namespace rptest
