// Overview and playback of clips generated at test time with ffmpeg's test pattern.
#include "Clipdeck.h"

#include <gdi/wingdi.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "reelpane/ColorConv.h"

namespace {

constexpr int kWidth = 160, kHeight = 120;

struct Clip {
  const char* name;
  const char* encode;  // ffmpeg output options
  int sampleRate;
};

const Clip kClips[] = {
    {"clip.mp4", "-pix_fmt yuv420p -c:v libx264 -c:a aac -ar 44100", 44100},
    {"clip.flv", "-c:v flv1 -c:a libmp3lame -ar 22050", 22050},
};

class ClipdeckTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new lwtest::TempDir();
    for (const Clip& clip : kClips) {
      const std::string cmd = "timeout 120 ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=160x120:rate=10 "
                              "-f lavfi -i sine=frequency=440 -t 2 " +
                              std::string(clip.encode) + " '" + (dir_->path() / clip.name).string() + "'";
      ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    }
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static std::string PathOf(const char* name) { return (dir_->path() / name).string(); }
  static lwtest::TempDir* dir_;
};
lwtest::TempDir* ClipdeckTest::dir_ = nullptr;

// A bottom-up 24-bit picture with its row stride.
struct Picture {
  int width = 0, height = 0, stride = 0;
  std::vector<uint8_t> bytes;
  // B, G, R of the pixel at (x, y) counted from the top.
  std::array<int, 3> At(int x, int y) const {
    const uint8_t* p = bytes.data() + static_cast<size_t>(height - 1 - y) * stride + 3 * x;
    return {p[0], p[1], p[2]};
  }
  bool operator==(const Picture&) const = default;
};

Picture PictureOf(HBITMAP bitmap) {
  DIBSECTION ds{};
  Picture pic;
  if (GetObjectW(bitmap, sizeof(ds), &ds) != static_cast<int>(sizeof(ds)) || !ds.dsBm.bmBits) return pic;
  pic.width = ds.dsBm.bmWidth;
  pic.height = ds.dsBm.bmHeight;
  pic.stride = ds.dsBm.bmWidthBytes;
  const uint8_t* bits = static_cast<const uint8_t*>(ds.dsBm.bmBits);
  pic.bytes.assign(bits, bits + static_cast<size_t>(pic.stride) * pic.height);
  EXPECT_EQ(ds.dsBm.bmBitsPixel, 24);
  return pic;
}

Picture PosterAt(const std::string& path, double time, double* frameTime = nullptr) {
  HAVOVERVIEW ov = AVOverviewOpen(path.c_str());
  EXPECT_NE(ov, nullptr);
  if (!ov) return {};
  avOverviewInfo info;
  info.requestFlags = AVOVERVIEW_PROPERTIES | AVOVERVIEW_POSTER;
  EXPECT_TRUE(AVGetOverviewInfo(ov, &info, time, 0, 0));
  AVOverviewClose(ov);
  if (!info.poster) return {};
  if (frameTime) *frameTime = info.frameTime;
  Picture pic = PictureOf(info.poster);
  DeleteObject(info.poster);
  return pic;
}

// Colour bars of the test pattern that stay put over time (inside its circle), B, G, R.
void ExpectTestPattern(const Picture& pic) {
  ASSERT_EQ(pic.width, kWidth);
  ASSERT_EQ(pic.height, kHeight);
  struct Probe {
    int x, y;
    std::array<int, 3> bgr;
  };
  const Probe probes[] = {
      {45, 60, {255, 0, 255}},  // magenta
      {65, 60, {255, 0, 0}},    // blue
      {85, 60, {0, 255, 255}},  // yellow
      {105, 60, {0, 255, 0}},   // green
      {5, 60, {0, 0, 0}},       // black
  };
  for (const Probe& p : probes) {
    const auto got = pic.At(p.x, p.y);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(got[c], p.bgr[c], 40) << "at " << p.x << "," << p.y << " channel " << c;
  }
}

TEST_F(ClipdeckTest, PosterAndProperties) {
  for (const Clip& clip : kClips) {
    SCOPED_TRACE(clip.name);
    HAVOVERVIEW ov = AVOverviewOpen(PathOf(clip.name).c_str());
    ASSERT_NE(ov, nullptr);
    avOverviewInfo info;
    info.requestFlags = 6;
    ASSERT_TRUE(AVGetOverviewInfo(ov, &info, -1.0, 0, 0));
    ASSERT_NE(info.poster, nullptr);
    EXPECT_EQ(info.width, kWidth);
    EXPECT_EQ(info.height, kHeight);
    EXPECT_EQ(info.hasVideo, 1);
    EXPECT_NEAR(info.frameRate, 10.0, 0.01);
    EXPECT_NEAR(info.duration, 2.0, 0.25);
    EXPECT_EQ(info.hasAudio, 1);
    EXPECT_EQ(info.sampleRate, clip.sampleRate);
    EXPECT_EQ(info.channels, 1);
    EXPECT_NEAR(info.frameTime, 0.0, 1e-6);
    ExpectTestPattern(PictureOf(info.poster));
    DeleteObject(info.poster);

    // Flags 0: no bitmap; the length is still reported.
    avOverviewInfo bare;
    EXPECT_TRUE(AVGetOverviewInfo(ov, &bare, 0.0, 0, 0));
    EXPECT_EQ(bare.poster, nullptr);
    EXPECT_EQ(bare.width, 0);
    EXPECT_NEAR(bare.duration, 2.0, 0.25);

    // A poster at a later time is the first picture at or after it; past the end there is none.
    double frameTime = -1.0;
    const Picture later = PosterAt(PathOf(clip.name), 1.0, &frameTime);
    EXPECT_NEAR(frameTime, 1.0, 0.01);
    ExpectTestPattern(later);
    avOverviewInfo beyond;
    beyond.requestFlags = AVOVERVIEW_POSTER;
    EXPECT_FALSE(AVGetOverviewInfo(ov, &beyond, 60.0, 0, 0));
    EXPECT_EQ(beyond.poster, nullptr);
    AVOverviewClose(ov);
  }
}

// A full-range clip keeps its levels: bars of full-range luma 16, 128 and 235 (no colour) come out
// as greys 16, 128 and 235, not stretched as if they were in video range (0, 130, 255). One clip
// decodes to a JPEG-range pixel format, the other to a plain one marked full range.
TEST(ClipdeckFullRange, GreyLevelsKept) {
  lwtest::TempDir dir;
  struct Case {
    const char* name;
    const char* codec;
  };
  const Case cases[] = {{"full.mp4", "libx264 -qp 0"}, {"full.mkv", "ffv1"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir.path() / c.name).string();
    const std::string cmd =
        "timeout 120 ffmpeg -nostdin -loglevel error -y -f lavfi -i \"nullsrc=s=96x32:r=10,format=yuv420p,"
        "geq=lum='if(lt(X\\,32)\\,16\\,if(lt(X\\,64)\\,128\\,235))':cb=128:cr=128\" -t 1 -pix_fmt yuv420p "
        "-color_range pc -c:v " +
        std::string(c.codec) + " '" + path + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
    const Picture pic = PosterAt(path, 0.0);
    ASSERT_EQ(pic.width, 96);
    const int levels[] = {16, 128, 235};
    for (int bar = 0; bar < 3; ++bar) {
      const auto got = pic.At(32 * bar + 16, 16);
      for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(got[ch], levels[bar], 3) << "bar " << bar << " channel " << ch;
    }
  }
}

TEST_F(ClipdeckTest, MissingAndDamagedFilesFailCleanly) {
  EXPECT_EQ(AVOverviewOpen(nullptr), nullptr);
  EXPECT_EQ(AVOverviewOpen(""), nullptr);
  EXPECT_EQ(AVOverviewOpen(PathOf("missing.mp4").c_str()), nullptr);
  EXPECT_FALSE(AVGetOverviewInfo(nullptr, nullptr, -1.0, 0, 0));

  // Noise, and a clip cut short or with its middle overwritten: opening fails or no poster/a
  // poster comes back, but nothing crashes or hangs.
  const std::vector<uint8_t> mp4 = lwtest::ReadFileBytes(PathOf("clip.mp4"));
  std::vector<uint8_t> noise(4096);
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
  std::vector<uint8_t> cut(mp4.begin(), mp4.begin() + static_cast<ptrdiff_t>(mp4.size() / 3));
  std::vector<uint8_t> holed = mp4;
  std::fill(holed.begin() + static_cast<ptrdiff_t>(holed.size() / 4), holed.begin() + static_cast<ptrdiff_t>(holed.size() / 2), 0x5A);
  int index = 0;
  for (const auto* bytes : {&noise, &cut, &holed}) {
    const std::string path = PathOf(("damaged" + std::to_string(index++) + ".mp4").c_str());
    lwtest::WriteFileBytes(path, *bytes);
    HAVOVERVIEW ov = AVOverviewOpen(path.c_str());
    if (!ov) continue;
    avOverviewInfo info;
    info.requestFlags = 6;
    if (AVGetOverviewInfo(ov, &info, -1.0, 0, 0)) {
      ASSERT_NE(info.poster, nullptr);
      DeleteObject(info.poster);
    } else {
      EXPECT_EQ(info.poster, nullptr);
    }
    AVOverviewClose(ov);
  }
}

// A headless frame sink: converts every frame as a bottom-up 24-bit bitmap and keeps it.
struct SinkLog {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<Picture> frames;
  std::vector<std::string> calls;
  HWND window = nullptr;
  int releases = 0;
  bool sizeBeforeFrame = true;
};

class RecordingSink final : public IReelpane {
 public:
  explicit RecordingSink(std::shared_ptr<SinkLog> log) : log_(std::move(log)) {}
  int GetType(int* type) override { *type = 1; return 0; }
  int GetSubType(int* value) override { *value = 0; return 0; }
  int GetErrorText(wchar_t*, int) override { return 0; }
  int Release() override {
    {
      std::lock_guard<std::mutex> lock(log_->mutex);
      ++log_->releases;
      log_->calls.push_back("Release");
    }
    log_->changed.notify_all();
    delete this;
    return 0;
  }
  int SetVideoSize(int w, int h) override {
    std::lock_guard<std::mutex> lock(log_->mutex);
    width_ = w;
    height_ = h;
    log_->calls.push_back("SetVideoSize " + std::to_string(w) + "x" + std::to_string(h));
    return 0;
  }
  int GetVideoSize(int* w, int* h) override { *w = width_; *h = height_; return 0; }
  int RenderFrame(const unsigned char* y, const unsigned char* u, const unsigned char* v, int stride) override {
    std::lock_guard<std::mutex> lock(log_->mutex);
    if (width_ == 0) log_->sizeBeforeFrame = false;
    EXPECT_GE(stride, width_);
    EXPECT_EQ(stride % 2, 0);
    Picture pic;
    pic.width = width_;
    pic.height = height_;
    pic.stride = static_cast<int>(DibRowBytes(width_, 24));
    pic.bytes.resize(static_cast<size_t>(pic.stride) * height_);
    ConvertYUV420ToRGB24(pic.bytes.data(), pic.stride, y, u, v, stride, stride / 2, width_, height_, 1);
    log_->frames.push_back(std::move(pic));
    log_->changed.notify_all();
    return 0;
  }
  int Attach(HWND window, int) override {
    std::lock_guard<std::mutex> lock(log_->mutex);
    log_->window = window;
    return 0;
  }
  int Detach() override { return 0; }
  int SetRenderFlag() override { return 0; }

 private:
  std::shared_ptr<SinkLog> log_;
  int width_ = 0, height_ = 0;
};

// Counts releases of the audio renderer handed to the player, and forwards to a silent one.
struct AudioLog {
  std::mutex mutex;
  int releases = 0;
  int opens = 0;
  long samples = 0;
};

class CountingAudio final : public IAudioRender {
 public:
  explicit CountingAudio(std::shared_ptr<AudioLog> log) : log_(std::move(log)) {}
  int Open(int, int) override { std::lock_guard<std::mutex> l(log_->mutex); ++log_->opens; return 0; }
  int Write(const int16_t*, int frames) override { std::lock_guard<std::mutex> l(log_->mutex); log_->samples += frames; return 0; }
  int Stop() override { return 0; }
  int GetOutputKind() override { return AUDIO_OUTPUT_SILENT; }
  int Release() override {
    { std::lock_guard<std::mutex> l(log_->mutex); ++log_->releases; }
    delete this;
    return 0;
  }

 private:
  std::shared_ptr<AudioLog> log_;
};

TEST_F(ClipdeckTest, PlayerDeliversPacedFramesAndStopsCleanly) {
  for (const Clip& clip : kClips) {
    SCOPED_TRACE(clip.name);
    auto log = std::make_shared<SinkLog>();
    auto audioLog = std::make_shared<AudioLog>();
    HAVPLAYER player = AVPlayerOpen(PathOf(clip.name).c_str(), new RecordingSink(log), new CountingAudio(audioLog));
    ASSERT_NE(player, nullptr);
    HWND window = reinterpret_cast<HWND>(static_cast<uintptr_t>(0x1234));
    EXPECT_TRUE(AVPlayerSetRenderWindow(player, window));
    {
      // The whole clip is 20 pictures over two seconds; allow a generous bound.
      std::unique_lock<std::mutex> lock(log->mutex);
      ASSERT_TRUE(log->changed.wait_for(lock, std::chrono::seconds(30), [&] { return log->frames.size() >= 20; }))
          << log->frames.size() << " frames";
    }
    AVPlayerClose(player);
    std::lock_guard<std::mutex> lock(log->mutex);
    EXPECT_EQ(log->releases, 1);
    EXPECT_EQ(log->calls.back(), "Release");
    EXPECT_EQ(log->calls.front(), "SetVideoSize 160x120");
    EXPECT_TRUE(log->sizeBeforeFrame);
    EXPECT_EQ(log->window, window);
    EXPECT_EQ(audioLog->releases, 1);
    EXPECT_EQ(audioLog->opens, 1);
    EXPECT_GT(audioLog->samples, clip.sampleRate);  // most of the two seconds of sound

    // Picture 5 is the one at 0.5 s: the same pixels as the poster asked for at that time.
    ExpectTestPattern(log->frames[5]);
    EXPECT_TRUE(log->frames[5] == PosterAt(PathOf(clip.name), 0.5));
    EXPECT_FALSE(log->frames[0] == log->frames[10]);  // the pattern's counter has moved on
  }
}

TEST_F(ClipdeckTest, PlayerClosedAtOnceAndFailedOpenReleaseTheirParts) {
  auto log = std::make_shared<SinkLog>();
  auto audioLog = std::make_shared<AudioLog>();
  HAVPLAYER player = AVPlayerOpen(PathOf("clip.mp4").c_str(), new RecordingSink(log), new CountingAudio(audioLog));
  ASSERT_NE(player, nullptr);
  AVPlayerClose(player);
  EXPECT_EQ(log->releases, 1);
  EXPECT_EQ(audioLog->releases, 1);

  // A failed open still takes ownership and releases the sink and the audio renderer.
  auto failLog = std::make_shared<SinkLog>();
  auto failAudio = std::make_shared<AudioLog>();
  EXPECT_EQ(AVPlayerOpen(PathOf("missing.mp4").c_str(), new RecordingSink(failLog), new CountingAudio(failAudio)),
            nullptr);
  EXPECT_EQ(failLog->releases, 1);
  EXPECT_EQ(failAudio->releases, 1);
  EXPECT_EQ(AVPlayerOpen(PathOf("clip.mp4").c_str(), nullptr, nullptr), nullptr);
  EXPECT_FALSE(AVPlayerSetRenderWindow(nullptr, nullptr));
  AVPlayerClose(nullptr);
}

}  // namespace

namespace {

// The player with the real audio renderer on a machine without a sound server plays silently.
TEST_F(ClipdeckTest, PlaysWithTheAudioRendererWhenThereIsNoSoundDevice) {
  ASSERT_EQ(setenv("PULSE_SERVER", "unix:/nonexistent/leafwright-test/native", 1), 0);
  ASSERT_EQ(setenv("PULSE_AUTOSPAWN", "no", 1), 0);
  auto log = std::make_shared<SinkLog>();
  HAVPLAYER player = AVPlayerOpen(PathOf("clip.mp4").c_str(), new RecordingSink(log), CreateAudioRender(0));
  ASSERT_NE(player, nullptr);
  {
    std::unique_lock<std::mutex> lock(log->mutex);
    EXPECT_TRUE(log->changed.wait_for(lock, std::chrono::seconds(30), [&] { return log->frames.size() >= 3; }));
  }
  AVPlayerClose(player);
  EXPECT_EQ(log->releases, 1);
}

}  // namespace
