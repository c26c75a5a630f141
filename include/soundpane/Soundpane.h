// The audio renderer handed to the video player: it takes interleaved signed 16-bit samples and
// plays them through the sound server (PulseAudio), or discards them silently when there is no
// sound device or server (headless machines). Writing never blocks the caller for long: samples
// are queued and played by the renderer's own thread.
#pragma once

#include <cstdint>

enum AudioOutputKind {
  AUDIO_OUTPUT_NONE = -1,    // not open
  AUDIO_OUTPUT_SILENT = 0,   // no device: samples are accepted and dropped
  AUDIO_OUTPUT_PULSE = 1,    // playing through PulseAudio
};

class IAudioRender {
 public:
  // Opens the output for interleaved 16-bit samples; 0 = success (also when it falls back to
  // silence), -1 for a rate outside 1000..384000 or channels outside 1..8.
  virtual int Open(int sampleRate, int channels) = 0;
  // Queues `frames` x channels samples; 0 = success. Samples beyond a few seconds of backlog are
  // dropped rather than waited for.
  virtual int Write(const int16_t* samples, int frames) = 0;
  // Drops what is queued and closes the output; Open may be called again.
  virtual int Stop() = 0;
  virtual int GetOutputKind() = 0;  // an AudioOutputKind
  virtual int Release() = 0;        // stops and frees the renderer

 protected:
  ~IAudioRender() = default;
};

// kind 0: the default output. Null when memory runs out.
IAudioRender* CreateAudioRender(int kind);
