// Arbitrary bytes as a clip to convert: opening, reading its parameters, scaling and encoding to
// FLV must fail cleanly or succeed, never crash, over-read or hang, and decoding must end with
// exactly one null frame.
#include "Mediary.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct State {
  QV_Encoder* encoder = nullptr;
  QV_VideoScaler* video = nullptr;
  QV_AudioScaler* audio = nullptr;
  int ends = 0;
};

int OnFrame(void* ctx, QV_Frame* frame, int kind) {
  auto* s = static_cast<State*>(ctx);
  if (!frame) {
    ++s->ends;
    QV_DestroyEncoder(s->encoder);
    s->encoder = nullptr;
    return 0;
  }
  if (kind == QV_FRAME_VIDEO && s->video && QV_VideoScaleFrame(s->video, frame) <= 0) return 0;
  if (kind == QV_FRAME_AUDIO && s->audio && QV_AudioScaleFrame(s->audio, frame) <= 0) return 0;
  QV_EncodeFrame(s->encoder, frame, nullptr, 0, kind);
  return 0;
}

std::string TempPath(const char* stem) {
  std::string name = std::string("/tmp/") + stem + "_XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd >= 0) close(fd);
  return name;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string in = TempPath("mediary_fuzz_in");
  static const std::string out = TempPath("mediary_fuzz_out");
  FILE* f = std::fopen(in.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  QV_Decoder* dec = QV_CreateDecoder(1, 0, in.c_str());
  if (!dec) return 0;
  QV_MediaParams source{}, accepted{};
  if (QV_GetDecoderParams(dec, &source) == 0) {
    QV_SetDecoderTimeLimit(dec, 0, 2000);  // bounded work per input
    State s;
    s.encoder = QV_CreateEncoder(0, 0, out.c_str(), 0);
    QV_MediaParams want = source;
    want.video.frameRate = 20;
    if (s.encoder && QV_SetEncoderParams(s.encoder, &want) == 0 && QV_GetEncoderParams(s.encoder, &accepted) == 0) {
      s.video = QV_CreateVideoScale(source.video, accepted.video);
      s.audio = QV_CreateAudioScale(source.audio, accepted.audio);
    }
    QV_DecodeFile(dec, OnFrame, &s, 0, 1);
    if (s.ends != 1) std::abort();
    QV_DestroyVideoScale(s.video);
    QV_DestroyAudioScale(s.audio);
  }
  QV_DestroyDecoder(dec);
  return 0;
}
