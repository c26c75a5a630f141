// Audio renderer over PulseAudio's simple API, with a silent fallback.
#include "Soundpane.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

namespace {

class PulseAudioRender final : public IAudioRender {
 public:
  int Open(int sampleRate, int channels) override {
    if (sampleRate < 1000 || sampleRate > 384000 || channels < 1 || channels > 8) return -1;
    Stop();
    pa_sample_spec format{};
    format.format = PA_SAMPLE_S16LE;
    format.rate = static_cast<uint32_t>(sampleRate);
    format.channels = static_cast<uint8_t>(channels);
    int error = 0;
    pa_simple* stream =
        pa_simple_new(nullptr, "Leafwright", PA_STREAM_PLAYBACK, nullptr, "video", &format, nullptr, nullptr, &error);
    std::lock_guard<std::mutex> lock(mutex_);
    channels_ = channels;
    maxQueued_ = static_cast<size_t>(sampleRate) * static_cast<size_t>(channels) * 4;  // four seconds
    stopping_ = false;
    if (!stream) {
      kind_ = AUDIO_OUTPUT_SILENT;
      return 0;
    }
    stream_ = stream;
    kind_ = AUDIO_OUTPUT_PULSE;
    thread_ = std::thread([this] { Run(); });
    return 0;
  }

  int Write(const int16_t* samples, int frames) override {
    if (!samples || frames < 0) return -1;
    std::lock_guard<std::mutex> lock(mutex_);
    if (kind_ == AUDIO_OUTPUT_NONE) return -5;
    if (kind_ == AUDIO_OUTPUT_SILENT || frames == 0) return 0;
    const size_t count = static_cast<size_t>(frames) * static_cast<size_t>(channels_);
    if (queued_ + count > maxQueued_) return 0;  // far behind: drop rather than block the player
    queue_.emplace_back(samples, samples + count);
    queued_ += count;
    wake_.notify_one();
    return 0;
  }

  int Stop() override {
    std::thread worker;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
      worker = std::move(thread_);
      wake_.notify_all();
    }
    if (worker.joinable()) worker.join();
    std::lock_guard<std::mutex> lock(mutex_);
    if (stream_) {
      pa_simple_flush(stream_, nullptr);
      pa_simple_free(stream_);
      stream_ = nullptr;
    }
    queue_.clear();
    queued_ = 0;
    kind_ = AUDIO_OUTPUT_NONE;
    return 0;
  }

  int GetOutputKind() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return kind_;
  }

  int Release() override {
    Stop();
    delete this;
    return 0;
  }

 private:
  void Run() {
    for (;;) {
      std::vector<int16_t> chunk;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) return;
        chunk = std::move(queue_.front());
        queue_.pop_front();
        queued_ -= chunk.size();
      }
      // The stream is only freed after this thread has been joined.
      if (pa_simple_write(stream_, chunk.data(), chunk.size() * sizeof(int16_t), nullptr) < 0) {
        std::lock_guard<std::mutex> lock(mutex_);
        queue_.clear();
        queued_ = 0;
        return;  // the server went away: the rest of the clip plays silently
      }
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::vector<int16_t>> queue_;
  size_t queued_ = 0, maxQueued_ = 0;
  int channels_ = 0;
  int kind_ = AUDIO_OUTPUT_NONE;
  bool stopping_ = false;
  pa_simple* stream_ = nullptr;
  std::thread thread_;
};

}  // namespace

IAudioRender* CreateAudioRender(int /*kind*/) { return new (std::nothrow) PulseAudioRender(); }
