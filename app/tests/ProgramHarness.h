// The harness of the program's window tests: the program started through its real entry under
// Xvfb (or as a process of its own), a tally of checks, the message boxes it showed, waits for a
// state with a time limit, and photographs taken once the screen has stopped changing.
//
// A test program includes it from its one source file (it defines LeakSanitizer's suppressions
// of the toolkit's lifetime caches), derives its scripted app from CLeafwrightApp, drives it from
// OnIdle and ends main with RunProgram(argv[0]).
#pragma once

#include <cairo.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <lwstr.h>

#include <afxwin.h>

#include "ScreenPhoto.h"
#include "TestSupport.h"

extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\nleak:libgtk-3.so\nleak:libgdk-3.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n"
         "leak:libpango\nleak:libcairo.so\nleak:libatk\nleak:libgio-2.0.so\n";
}

namespace programharness {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using screenphoto::InkContrast;
using screenphoto::Screenshot;

// The tally: a failed check is printed and counted, the script goes on.
inline int& Failures() {
  static int n = 0;
  return n;
}
inline void Check(bool ok, const char* what) {
  if (!ok) {
    ++Failures();
    std::fprintf(stderr, "check failed: %s\n", what);
  }
}
inline void Check(bool ok, const std::string& what) { Check(ok, what.c_str()); }

// Message boxes are noted and answered with MessageBoxAnswer() (IDOK unless the test says).
inline std::vector<std::wstring>& MessageBoxes() {
  static std::vector<std::wstring> texts;
  return texts;
}
inline int& MessageBoxAnswer() {
  static int answer = IDOK;
  return answer;
}
inline int RecordMessageBox(const wchar_t* text, const wchar_t*, UINT) {
  MessageBoxes().emplace_back(text);
  std::fprintf(stderr, "message box: %ls\n", text);
  return MessageBoxAnswer();
}

// A program's surroundings as on a fresh account: its own home, configuration and data folders,
// no accessibility bus, a scale of 1; files() is a folder for the test's documents. Message
// boxes are recorded.
class Environment {
 public:
  Environment() {
    setenv("NO_AT_BRIDGE", "1", 1);
    setenv("GDK_SCALE", "1", 1);
    setenv("HOME", home_.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", (home_.path() / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home_.path() / "data").c_str(), 1);
    lwmfc::SetMessageBoxHook(&RecordMessageBox);
  }
  const fs::path& files() const { return files_.path(); }

 private:
  lwtest::TempDir home_, files_;
};

// Runs the app constructed before it through the program's entry, with `args` on its command
// line; main's status: 0 when the program exited with 0 and no check failed.
inline int RunProgram(char* argv0, const std::vector<std::string>& args = {}) {
  std::vector<char*> argv{argv0};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const int rc = AfxWinMain(static_cast<int>(argv.size()) - 1, argv.data());
  std::printf("exit %d, %d failed checks\n", rc, Failures());
  return rc == 0 && Failures() == 0 ? 0 : 1;
}

// A wait for a state, asked at each idle call: true once the state holds, or once `limit` has
// passed since Begin() or since the last wait ended (the check `what` then fails and the script
// goes on).
class Wait {
 public:
  explicit Wait(std::chrono::milliseconds limit = std::chrono::seconds(30)) : limit_(limit) {}
  void Begin() { begun_ = Clock::now(); }
  bool For(bool state, const char* what) {
    if (state) return Done();
    if (Clock::now() - begun_ < limit_) return false;
    Check(false, what);
    return Done();
  }

 private:
  bool Done() {
    begun_ = Clock::now();
    return true;
  }
  std::chrono::milliseconds limit_;
  Clock::time_point begun_ = Clock::now();
};

// Whether two photographs show the same pixels.
inline bool SamePixels(const std::string& a, const std::string& b) {
  cairo_surface_t* x = cairo_image_surface_create_from_png(a.c_str());
  cairo_surface_t* y = cairo_image_surface_create_from_png(b.c_str());
  bool same = cairo_surface_status(x) == CAIRO_STATUS_SUCCESS && cairo_surface_status(y) == CAIRO_STATUS_SUCCESS &&
              cairo_image_surface_get_width(x) == cairo_image_surface_get_width(y) &&
              cairo_image_surface_get_height(x) == cairo_image_surface_get_height(y) &&
              cairo_image_surface_get_stride(x) == cairo_image_surface_get_stride(y);
  if (same) {
    cairo_surface_flush(x);
    cairo_surface_flush(y);
    same = std::memcmp(cairo_image_surface_get_data(x), cairo_image_surface_get_data(y),
                       static_cast<size_t>(cairo_image_surface_get_stride(x)) * cairo_image_surface_get_height(x)) == 0;
  }
  cairo_surface_destroy(x);
  cairo_surface_destroy(y);
  return same;
}

// A photograph of the screen once it has settled: asked at each idle call, it photographs the
// screen once it has caught up with the program (lwmfc::ScreenCaughtUp) and is done when two
// photographs in a row are the same, or after `limit`. Between two photographs the program runs
// its event loop for 250 ms: taking one holds the program up, on a busy machine for longer than
// that. Path() is the photograph's path (screenshots/<name>).
class Photo {
 public:
  explicit Photo(std::chrono::milliseconds limit = std::chrono::seconds(10)) : limit_(limit) {}
  // Starts a photograph of the screen as screenshots/<name>.
  void Begin(const std::string& name) {
    name_ = name;
    shots_ = 0;
    begun_ = Clock::now();
  }
  // A photograph of a state: waits for `state` (as Wait::For, failing `what` after the wait's
  // limit), then photographs until the screen has settled; true once the photograph is taken.
  bool Of(bool state, const char* what, const std::string& name) {
    if (!taking_) {
      if (!wait_.For(state, what)) return false;
      Begin(name);
      taking_ = true;
    }
    if (!Take()) return false;
    taking_ = false;
    return true;
  }
  // Restarts the state's time limit (after the action whose result Of() waits for).
  void BeginWait() { wait_.Begin(); }
  // After Begin(), called at each idle call until it is true: at most one photograph a call.
  bool Take() {
    const bool late = Clock::now() - begun_ >= limit_;
    // A window that has not painted yet is not "settled" just because two photographs in a row
    // saw the same screen: the program gets its time between them, and the screen catches up.
    if (!late && shots_ > 0 && Clock::now() - shotAt_ < std::chrono::milliseconds(250)) return false;
    if (!lwmfc::ScreenCaughtUp() && !late) return false;
    const std::string last = Path() + ".last.png";
    const bool again = shots_++ > 0;
    std::error_code ec;
    if (again) fs::rename(Path(), last, ec);
    Screenshot(name_);
    shotAt_ = Clock::now();
    const bool settled = again && SamePixels(last, Path());
    if (again) fs::remove(last, ec);
    if (settled || Clock::now() - begun_ >= limit_) {
      if (!settled) std::fprintf(stderr, "the screen kept changing before %s\n", name_.c_str());
      return true;
    }
    return false;
  }
  std::string Path() const { return std::string(LW_SCREENSHOT_DIR) + "/" + name_; }

 private:
  std::chrono::milliseconds limit_;
  std::string name_;
  int shots_ = 0;
  Clock::time_point shotAt_;
  bool taking_ = false;
  Wait wait_;
  Clock::time_point begun_;
};

// The windows titled `title` (or, not `exact`, whose title holds it), with their geometry, as
// xwininfo lists them.
inline std::string WindowsTitled(const std::string& title, bool exact = true) {
  std::string out;
  const std::string cmd = "xwininfo -root -tree 2>/dev/null | grep -F '" + (exact ? "\"" + title + "\"" : title) + "'";
  if (FILE* p = popen(cmd.c_str(), "r")) {
    char line[512];
    while (fgets(line, sizeof line, p)) out += line;
    pclose(p);
  }
  return out;
}

// Polls `state` every 100 ms until it holds or `limit` passes; whether it held.
template <class State>
bool PollFor(State state, std::chrono::milliseconds limit) {
  const auto end = Clock::now() + limit;
  while (!state()) {
    if (Clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

// Photographs the screen as screenshots/<name> until two photographs in a row are the same, 100
// ms apart, and (given `before`, a photograph taken earlier) differ from `before`: for a program
// running in a process of its own, whose window has to come up and paint. At most `limit`;
// whether the screen settled so.
inline bool PhotographSettled(const std::string& name, std::chrono::milliseconds limit = std::chrono::seconds(10),
                              const std::string& before = "") {
  const std::string path = std::string(LW_SCREENSHOT_DIR) + "/" + name;
  fs::create_directories(fs::path(path).parent_path());
  const std::string last = path + ".last.png";
  Screenshot(name);
  const bool settled = PollFor(
      [&] {
        std::error_code ec;
        fs::rename(path, last, ec);
        Screenshot(name);
        return SamePixels(last, path) && (before.empty() || !SamePixels(before, path));
      },
      limit);
  std::error_code ec;
  fs::remove(last, ec);
  return settled;
}

// The number of distinct colours a photograph shows (a blank or half-painted screen shows few).
inline int Colours(const std::string& png) {
  cairo_surface_t* img = cairo_image_surface_create_from_png(png.c_str());
  std::vector<uint32_t> seen;
  if (cairo_surface_status(img) == CAIRO_STATUS_SUCCESS) {
    cairo_surface_flush(img);
    const unsigned char* data = cairo_image_surface_get_data(img);
    const int stride = cairo_image_surface_get_stride(img);
    for (int y = 0; y < cairo_image_surface_get_height(img); ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(y) * stride);
      seen.insert(seen.end(), row, row + cairo_image_surface_get_width(img));
    }
  }
  cairo_surface_destroy(img);
  std::sort(seen.begin(), seen.end());
  return static_cast<int>(std::unique(seen.begin(), seen.end()) - seen.begin());
}

// A program started in a process of its own (on this display unless `display` is false), its
// output written to `log`; stopped when it goes out of scope.
class Process {
 public:
  Process(const std::vector<std::string>& argv, const std::string& log, bool display = true) {
    pid_ = fork();
    if (pid_ == 0) {
      if (!display) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
      }
      if (FILE* out = std::fopen(log.c_str(), "w")) {
        dup2(fileno(out), 1);
        dup2(fileno(out), 2);
      }
      std::vector<char*> args;
      for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
      args.push_back(nullptr);
      execv(args[0], args.data());
      _exit(127);
    }
  }
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;
  ~Process() { Stop(); }
  bool Running() {
    if (pid_ <= 0) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == 0) return true;
    status_ = status;
    pid_ = 0;
    return false;
  }
  // Waits for the end (at most `limit`, then it is stopped); the exit status, -1 if it was stopped.
  int Wait(std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    PollFor([&] { return !Running(); }, limit);
    Stop();
    return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
  }
  void Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, &status_, 0);
    pid_ = 0;
  }

 private:
  pid_t pid_ = -1;
  int status_ = 0;
};

}  // namespace programharness
