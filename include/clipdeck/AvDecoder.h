// The FFmpeg decode core shared by the media layers: the player and overview layer (Clipdeck) and
// the FLV conversion layer. It opens a file, describes its streams, and decodes video and audio
// frames in file order; converters turn a decoded frame into the layouts the callers need.
//
// Paths are UTF-8 of any length. Nothing here throws; failures are reported by results with a
// short English text. Untrusted files are bounded: picture sizes above kMaxPixels, streams that give
// no frame for kMaxPacketsWithoutFrame packets and an optional deadline end decoding with an error.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct AVFrame;

namespace lw::av {

inline constexpr int64_t kMaxPixels = 8192LL * 8192LL;
inline constexpr int kMaxPacketsWithoutFrame = 4096;

struct StreamInfo {
  bool hasVideo = false;
  bool hasAudio = false;
  int width = 0;            // video picture size in pixels
  int height = 0;
  double frameRate = 0.0;   // frames per second, 0 when unknown
  double duration = 0.0;    // seconds, 0 when unknown
  int64_t bitRate = 0;      // bits per second of the whole file, 0 when unknown
  int pixelFormat = -1;     // FFmpeg AVPixelFormat of the decoder, -1 when unknown
  int sampleRate = 0;       // audio
  int channels = 0;
  int sampleFormat = -1;    // FFmpeg AVSampleFormat of the decoder, -1 when unknown
  std::string videoCodec;   // FFmpeg codec names
  std::string audioCodec;
};

enum class FrameKind { Video, Audio, End, Error };

// One open media file. Not thread-safe: one thread decodes; Abort() may be called from any thread.
class MediaDecoder {
 public:
  MediaDecoder();
  ~MediaDecoder();
  MediaDecoder(const MediaDecoder&) = delete;
  MediaDecoder& operator=(const MediaDecoder&) = delete;

  // Opens the file and its best video and audio streams (either may be missing, not both).
  bool Open(const std::string& utf8Path, bool wantAudio = true);
  const StreamInfo& Info() const { return info_; }
  const std::string& LastError() const { return error_; }

  // Decodes the next frame in file order. On Video or Audio `*frame` points at the decoded frame,
  // valid until the next call, and `*seconds` holds its presentation time from the stream start.
  FrameKind Next(const AVFrame** frame, double* seconds);

  // Moves to the key frame at or before `seconds`; the caller skips frames until its time.
  bool Seek(double seconds);

  // Ends any blocking read or decode as soon as possible (thread-safe); Next then gives Error.
  void Abort() { abort_.store(true); }
  // Gives up with Error once this moment has passed (for one-shot work on untrusted files).
  void SetDeadline(std::chrono::steady_clock::time_point deadline) { deadline_ = deadline; }

 private:
  struct Impl;
  static int InterruptCallback(void* opaque);
  FrameKind Fail(const std::string& text);

  std::unique_ptr<Impl> impl_;
  StreamInfo info_;
  std::string error_;
  std::atomic<bool> abort_{false};
  std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
};

// Converts decoded video frames of any pixel format to planar 4:2:0 in video range (luma 16..235,
// chroma 16..240), as the colour converters expect, in the caller's planes: a full-range source
// (a JPEG-range pixel format or a frame marked full range) is scaled into video range. Odd sizes give chroma planes of (w + 1) / 2 x (h + 1) / 2 samples.
class VideoConverter {
 public:
  VideoConverter();
  ~VideoConverter();
  VideoConverter(const VideoConverter&) = delete;
  VideoConverter& operator=(const VideoConverter&) = delete;
  bool ToYuv420(const AVFrame* frame, uint8_t* y, uint8_t* u, uint8_t* v, int yStride, int uvStride);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Converts decoded audio frames to interleaved signed 16-bit samples at a fixed rate and count of
// channels (1 or 2).
class AudioConverter {
 public:
  AudioConverter();
  ~AudioConverter();
  AudioConverter(const AudioConverter&) = delete;
  AudioConverter& operator=(const AudioConverter&) = delete;
  bool Setup(int outRate, int outChannels);
  // Appends the converted samples (frames x channels values) to `out`.
  bool Convert(const AVFrame* frame, std::vector<int16_t>* out);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// A planar 4:2:0 picture whose chroma stride is exactly half its luma stride.
struct Yuv420Picture {
  int width = 0, height = 0, yStride = 0;
  std::vector<uint8_t> bytes;
  bool Allocate(int w, int h);  // luma stride rounded up to 32; false when the size is refused
  uint8_t* Y() { return bytes.data(); }
  uint8_t* U() { return bytes.data() + static_cast<size_t>(yStride) * static_cast<size_t>(height); }
  uint8_t* V() { return U() + static_cast<size_t>(yStride / 2) * static_cast<size_t>((height + 1) / 2); }
  int UVStride() const { return yStride / 2; }
};

}  // namespace lw::av
