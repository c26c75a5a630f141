// Clipdeck over the FFmpeg decode core: overviews (poster frames, properties) and the player.
#include "Clipdeck.h"

#include <gdi/wingdi.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "AvDecoder.h"
#include "reelpane/ColorConv.h"

extern "C" {
#include <libavutil/frame.h>
}

namespace {

// One-shot work on a file (opening, finding a poster) gives up after this long.
constexpr std::chrono::seconds kOverviewTimeLimit{20};
// A gap between two pictures longer than this (or a step back) restarts the clock at that picture.
constexpr double kMaxFrameGap = 5.0;

// Converts one decoded picture into a new bottom-up 24-bit DIB section.
HBITMAP MakePosterBitmap(const AVFrame* frame) {
  lw::av::Yuv420Picture picture;
  lw::av::VideoConverter converter;
  if (!picture.Allocate(frame->width, frame->height)) return nullptr;
  if (!converter.ToYuv420(frame, picture.Y(), picture.U(), picture.V(), picture.yStride, picture.UVStride()))
    return nullptr;
  BITMAPINFO bmi{};
  bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi.bmiHeader.biWidth = picture.width;
  bmi.bmiHeader.biHeight = picture.height;
  bmi.bmiHeader.biPlanes = 1;
  bmi.bmiHeader.biBitCount = 24;
  bmi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bmi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap || !bits) {
    if (bitmap) DeleteObject(bitmap);
    return nullptr;
  }
  ConvertYUV420ToRGB24(static_cast<uint8_t*>(bits), static_cast<int>(DibRowBytes(picture.width, 24)), picture.Y(),
                       picture.U(), picture.V(), picture.yStride, picture.UVStride(), picture.width, picture.height,
                       1);
  return bitmap;
}

}  // namespace

struct AVOverview {
  std::string path;
};

HAVOVERVIEW AVOverviewOpen(const char* path) {
  if (!path || !*path) return nullptr;
  lw::av::MediaDecoder probe;
  probe.SetDeadline(std::chrono::steady_clock::now() + kOverviewTimeLimit);
  if (!probe.Open(path, true)) return nullptr;
  return new (std::nothrow) AVOverview{path};
}

bool AVGetOverviewInfo(HAVOVERVIEW overview, avOverviewInfo* info, double time, int, int) {
  if (!overview || !info) return false;
  info->poster = nullptr;
  lw::av::MediaDecoder decoder;
  decoder.SetDeadline(std::chrono::steady_clock::now() + kOverviewTimeLimit);
  const bool wantPoster = (info->requestFlags & AVOVERVIEW_POSTER) != 0;
  const bool wantProperties = (info->requestFlags & AVOVERVIEW_PROPERTIES) != 0;
  if (!decoder.Open(overview->path, wantProperties || !wantPoster)) return false;
  const lw::av::StreamInfo& s = decoder.Info();
  info->duration = s.duration;
  if (wantProperties) {
    info->hasVideo = s.hasVideo;
    info->width = s.width;
    info->height = s.height;
    info->frameRate = s.frameRate;
    info->bitRate = s.bitRate;
    info->hasAudio = s.hasAudio;
    info->sampleRate = s.sampleRate;
    info->channels = s.channels;
  }
  if (!wantPoster) return true;
  if (!s.hasVideo) return false;
  if (time > 0.0) decoder.Seek(time);  // a failed seek decodes from the start instead
  for (;;) {
    const AVFrame* frame = nullptr;
    double seconds = 0.0;
    const lw::av::FrameKind kind = decoder.Next(&frame, &seconds);
    if (kind == lw::av::FrameKind::End || kind == lw::av::FrameKind::Error) return false;
    if (kind != lw::av::FrameKind::Video || (time >= 0.0 && seconds + 1e-6 < time)) continue;
    info->poster = MakePosterBitmap(frame);
    info->frameTime = seconds;
    return info->poster != nullptr;
  }
}

void AVOverviewClose(HAVOVERVIEW overview) { delete overview; }

// ---------------------------------------------------------------------------------------------

struct AVPlayer {
  lw::av::MediaDecoder decoder;
  IReelpane* sink = nullptr;
  IAudioRender* audio = nullptr;
  std::mutex sinkMutex;  // serialises the sink's calls from the player thread and the caller
  std::mutex waitMutex;
  std::condition_variable wake;
  bool stop = false;
  std::thread thread;

  void Run();
  // Waits until `due` or a stop request; false when stopped.
  bool WaitUntil(std::chrono::steady_clock::time_point due) {
    std::unique_lock<std::mutex> lock(waitMutex);
    return !wake.wait_until(lock, due, [this] { return stop; });
  }
};

void AVPlayer::Run() {
  using Clock = std::chrono::steady_clock;
  const lw::av::StreamInfo& info = decoder.Info();
  lw::av::VideoConverter videoConverter;
  lw::av::AudioConverter audioConverter;
  lw::av::Yuv420Picture picture;
  bool audioOn = false;
  int channels = 0;
  if (audio && info.hasAudio) {
    channels = std::min(info.channels, 2);
    audioOn = audioConverter.Setup(info.sampleRate, channels) && audio->Open(info.sampleRate, channels) == 0;
  }
  std::vector<int16_t> samples;
  Clock::time_point clockStart;
  double clockBase = 0.0, lastTime = 0.0;
  bool clockRunning = false;
  for (;;) {
    const AVFrame* frame = nullptr;
    double seconds = 0.0;
    const lw::av::FrameKind kind = decoder.Next(&frame, &seconds);
    if (kind == lw::av::FrameKind::End || kind == lw::av::FrameKind::Error) break;
    if (kind == lw::av::FrameKind::Audio) {
      samples.clear();
      if (audioOn && audioConverter.Convert(frame, &samples) && !samples.empty())
        audio->Write(samples.data(), static_cast<int>(samples.size() / static_cast<size_t>(channels)));
      continue;
    }
    if (frame->width != picture.width || frame->height != picture.height) {
      if (!picture.Allocate(frame->width, frame->height)) break;
      std::lock_guard<std::mutex> lock(sinkMutex);
      sink->SetVideoSize(picture.width, picture.height);
    }
    if (!videoConverter.ToYuv420(frame, picture.Y(), picture.U(), picture.V(), picture.yStride, picture.UVStride()))
      continue;
    const Clock::time_point now = Clock::now();
    if (!clockRunning || seconds < lastTime || seconds - lastTime > kMaxFrameGap) {
      clockRunning = true;
      clockStart = now;
      clockBase = seconds;
    }
    lastTime = seconds;
    const auto due = clockStart + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(seconds - clockBase));
    if (!WaitUntil(due)) break;
    std::lock_guard<std::mutex> lock(sinkMutex);
    sink->RenderFrame(picture.Y(), picture.U(), picture.V(), picture.yStride);
  }
}

HAVPLAYER AVPlayerOpen(const char* path, IReelpane* sink, IAudioRender* audio) {
  auto fail = [&]() -> HAVPLAYER {
    if (sink) sink->Release();
    if (audio) audio->Release();
    return nullptr;
  };
  if (!path || !*path || !sink) return fail();
  auto* player = new (std::nothrow) AVPlayer();
  if (!player) return fail();
  if (!player->decoder.Open(path, audio != nullptr) || !player->decoder.Info().hasVideo) {
    delete player;
    return fail();
  }
  player->sink = sink;
  player->audio = audio;
  try {
    player->thread = std::thread([player] { player->Run(); });
  } catch (...) {
    delete player;
    return fail();
  }
  return player;
}

bool AVPlayerSetRenderWindow(HAVPLAYER player, HWND window) {
  if (!player) return false;
  std::lock_guard<std::mutex> lock(player->sinkMutex);
  player->sink->Attach(window, 0);
  return true;
}

void AVPlayerClose(HAVPLAYER player) {
  if (!player) return;
  {
    std::lock_guard<std::mutex> lock(player->waitMutex);
    player->stop = true;
  }
  player->decoder.Abort();
  player->wake.notify_all();
  if (player->thread.joinable()) player->thread.join();
  if (player->audio) player->audio->Release();
  player->sink->Release();
  delete player;
}
