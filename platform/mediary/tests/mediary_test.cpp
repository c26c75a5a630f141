// The conversion calls over FFmpeg: clips generated with the ffmpeg command, converted through the
// QV_ calls the way the flip-book's conversion worker makes them, and checked with ffprobe.
#include "Mediary.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string Shell(const std::string& cmd, int* status = nullptr) {
  std::string out;
  FILE* p = popen((cmd + " 2>&1").c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  const int rc = pclose(p);
  if (status) *status = rc;
  return out;
}

class MediaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/mediary_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // A clip made by the ffmpeg command from its test sources; `inputs` are the lavfi inputs.
  std::string MakeClip(const std::string& name, const std::string& inputs) {
    const std::string path = (dir_ / name).string();
    int status = 0;
    const std::string log = Shell("ffmpeg -v error -y " + inputs + " '" + path + "'", &status);
    EXPECT_EQ(status, 0) << log;
    return path;
  }

  fs::path dir_;
};

// ffprobe's key=value lines for one stream kind ("v" or "a") and the container.
std::map<std::string, std::string> Probe(const std::string& path, const char* stream) {
  std::map<std::string, std::string> out;
  const std::string text =
      Shell(std::string("ffprobe -v error -count_frames -select_streams ") + stream +
          " -show_entries stream=codec_name,r_frame_rate,sample_rate,channels,nb_read_frames,width,height"
          " -show_entries format=format_name,duration -of default=nw=1 '" + path + "'");
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(pos, end - pos);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) out[line.substr(0, eq)] = line.substr(eq + 1);
    pos = end + 1;
  }
  return out;
}

struct Conversion {
  int frames = 0, audioFrames = 0, ends = 0;
  QV_Encoder* encoder = nullptr;
  QV_VideoScaler* videoScaler = nullptr;
  QV_AudioScaler* audioScaler = nullptr;
  int destroyResult = 1;
};

int OnFrame(void* ctx, QV_Frame* frame, int kind) {
  auto* c = static_cast<Conversion*>(ctx);
  if (!frame) {
    ++c->ends;
    c->destroyResult = QV_DestroyEncoder(c->encoder);
    c->encoder = nullptr;
    return 0;
  }
  if (kind == QV_FRAME_VIDEO) {
    ++c->frames;
    if (c->videoScaler && QV_VideoScaleFrame(c->videoScaler, frame) <= 0) return 0;
  } else if (kind == QV_FRAME_AUDIO) {
    ++c->audioFrames;
    if (c->audioScaler && QV_AudioScaleFrame(c->audioScaler, frame) <= 0) return 0;
  }
  QV_EncodeFrame(c->encoder, frame, nullptr, 0, kind);
  return 0;
}

// Converts as the conversion worker does: source block, the encoder's block with the worker's
// values, scalers where picture size/format or sound rate/channels/format differ.
bool Convert(const std::string& src, const std::string& dst, QV_MediaParams* source, QV_MediaParams* accepted,
             Conversion* c) {
  QV_Decoder* dec = QV_CreateDecoder(1, 0, src.c_str());
  if (!dec) return false;
  *source = QV_MediaParams{};
  EXPECT_EQ(QV_GetDecoderParams(dec, source), 0);
  QV_SetDecoderTimeLimit(dec, 0, source->duration);
  c->encoder = QV_CreateEncoder(0, 0, dst.c_str(), 0);
  EXPECT_NE(c->encoder, nullptr);
  QV_MediaParams want = *source;
  want.video.codec = 1;
  want.video.frameRate = 20;
  want.video.quality = 4;
  want.audio.codec = 0;
  if (QV_SetEncoderParams(c->encoder, &want) < 0) {
    QV_DestroyEncoder(c->encoder);
    QV_DestroyDecoder(dec);
    return false;
  }
  QV_GetEncoderParams(c->encoder, accepted);
  const QV_AudioParams& sa = source->audio;
  const QV_AudioParams& aa = accepted->audio;
  if (sa.channels != aa.channels || sa.sampleRate != aa.sampleRate || sa.sampleFormat != aa.sampleFormat)
    c->audioScaler = QV_CreateAudioScale(sa, aa);
  const QV_VideoParams& sv = source->video;
  const QV_VideoParams& av = accepted->video;
  if (sv.pixelFormat != av.pixelFormat || sv.height != av.height || sv.width != av.width)
    c->videoScaler = QV_CreateVideoScale(sv, av);
  const int r = QV_DecodeFile(dec, OnFrame, c, 0, 1);
  QV_DestroyAudioScale(c->audioScaler);
  QV_DestroyVideoScale(c->videoScaler);
  QV_DestroyDecoder(dec);
  return r == 0 && c->ends == 1 && c->destroyResult == 0;
}

}  // namespace

// Clips of several shapes become FLV with Sorenson H.263 at 20 frames a second and MP3 sound at a
// rate FLV carries; sizes that 4:2:0 cannot hold are made even.
TEST_F(MediaryTest, ClipsBecomeFlvAtTwentyFramesWithMp3Sound) {
  struct Case {
    const char* name;
    const char* inputs;
    bool video, audio;
    int width, height, rate, channels;
    double seconds;
  } cases[] = {
      {"av.mkv",
       "-f lavfi -i testsrc=size=160x120:rate=25:duration=1.5 -f lavfi -i sine=f=440:r=48000:d=1.5 "
       "-ac 2 -c:v mpeg4 -c:a pcm_s16le",
       true, true, 160, 120, 44100, 2, 1.5},
      {"odd.mkv", "-f lavfi -i testsrc=size=161x121:rate=30:duration=1 -pix_fmt rgb24 -c:v png", true, false,
       160, 120, 0, 0, 1.0},
      {"mono.wav", "-f lavfi -i sine=f=300:r=8000:d=1", false, true, 0, 0, 11025, 1, 1.0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    const std::string src = MakeClip(k.name, k.inputs);
    const std::string dst = (dir_ / (std::string(k.name) + ".flv")).string();
    QV_MediaParams source{}, accepted{};
    Conversion c;
    ASSERT_TRUE(Convert(src, dst, &source, &accepted, &c));
    EXPECT_EQ(c.ends, 1);
    EXPECT_EQ(source.hasVideo, k.video);
    EXPECT_EQ(source.hasAudio, k.audio);
    EXPECT_NEAR(static_cast<double>(source.duration), k.seconds * 1000.0, 60.0);
    if (k.video) {
      EXPECT_EQ(accepted.video.width, k.width);
      EXPECT_EQ(accepted.video.height, k.height);
      EXPECT_EQ(accepted.video.frameRate, 20);
      auto v = Probe(dst, "v");
      EXPECT_EQ(v["format_name"], "flv");
      EXPECT_EQ(v["codec_name"], "flv1");
      EXPECT_EQ(v["r_frame_rate"], "20/1");
      EXPECT_EQ(v["width"], std::to_string(k.width));
      // One picture per frame slot of the whole clip (a slot's length either way).
      EXPECT_NEAR(std::atof(v["nb_read_frames"].c_str()), k.seconds * 20, 1.0);
      EXPECT_NEAR(std::atof(v["duration"].c_str()), k.seconds, 0.1);
    }
    if (k.audio) {
      EXPECT_EQ(accepted.audio.sampleRate, k.rate);
      EXPECT_EQ(accepted.audio.channels, k.channels);
      auto a = Probe(dst, "a");
      EXPECT_EQ(a["codec_name"], "mp3");
      EXPECT_EQ(a["sample_rate"], std::to_string(k.rate));
      EXPECT_EQ(a["channels"], std::to_string(k.channels));
    } else {
      EXPECT_TRUE(Probe(dst, "a")["codec_name"].empty());
    }
  }
}

int CountEnds(void* ctx, QV_Frame* frame, int) {
  if (!frame) ++*static_cast<int*>(ctx);
  return 0;
}

// Decoding ends with exactly one null frame on every path, so a caller that waits for it never
// waits forever: a null handle, and a clip cut off in its middle.
TEST_F(MediaryTest, DecodingAlwaysEndsWithOneNullFrame) {
  int ends = 0;
  EXPECT_LT(QV_DecodeFile(nullptr, CountEnds, &ends, 0, 1), 0);
  EXPECT_EQ(ends, 1);

  const std::string whole = MakeClip("whole.mkv", "-f lavfi -i testsrc=size=64x48:rate=20:duration=2 -c:v mpeg4");
  std::string bytes;
  {
    std::ifstream in(whole, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), {});
  }
  for (size_t cut : {bytes.size() / 2, bytes.size() / 8, size_t{64}}) {
    SCOPED_TRACE(cut);
    const std::string part = (dir_ / "part.mkv").string();
    std::ofstream(part, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(cut));
    QV_Decoder* dec = QV_CreateDecoder(1, 0, part.c_str());
    if (!dec) continue;  // refused at once: nothing to wait for
    ends = 0;
    QV_DecodeFile(dec, CountEnds, &ends, 0, 1);
    EXPECT_EQ(ends, 1);
    QV_DestroyDecoder(dec);
  }
  EXPECT_EQ(QV_CreateDecoder(1, 0, (dir_ / "missing.mkv").c_str()), nullptr);
  EXPECT_EQ(QV_CreateDecoder(1, 0, nullptr), nullptr);
}

// A side without a stream (a zero block) gets no scaler; an encoder with no stream to write
// refuses its parameters and leaves no file behind.
TEST_F(MediaryTest, ZeroBlocksGiveNoScalerAndNoFile) {
  const QV_VideoParams picture{320, 240, 0, 0, 0, 25, 0};
  const QV_AudioParams sound{48000, 0, 2, 0, 1, 0, 0};
  EXPECT_EQ(QV_CreateVideoScale(QV_VideoParams{}, picture), nullptr);
  EXPECT_EQ(QV_CreateVideoScale(picture, QV_VideoParams{}), nullptr);
  EXPECT_EQ(QV_CreateAudioScale(QV_AudioParams{}, sound), nullptr);
  EXPECT_EQ(QV_CreateAudioScale(sound, QV_AudioParams{}), nullptr);
  QV_VideoScaler* vs = QV_CreateVideoScale(picture, picture);
  EXPECT_NE(vs, nullptr);
  QV_DestroyVideoScale(vs);
  QV_AudioScaler* as = QV_CreateAudioScale(sound, sound);
  EXPECT_NE(as, nullptr);
  QV_DestroyAudioScale(as);

  const std::string out = (dir_ / "nothing.flv").string();
  QV_Encoder* enc = QV_CreateEncoder(0, 0, out.c_str(), 0);
  ASSERT_NE(enc, nullptr);
  QV_MediaParams none{};
  EXPECT_LT(QV_SetEncoderParams(enc, &none), 0);
  EXPECT_LT(QV_DestroyEncoder(enc), 0);
  EXPECT_FALSE(fs::exists(out));
  EXPECT_EQ(QV_CreateEncoder(0, 0, (dir_ / "no" / "such" / "folder.flv").c_str(), 0), nullptr);
}

// Sound at a rate no recording has (the gigahertz, or below 1 kHz) gets no scaler: building
// one would cost the resampler hundreds of megabytes. Real rates up to 384 kHz still convert.
TEST_F(MediaryTest, SoundRatesOutsideRealRecordingsGetNoScaler) {
  const QV_AudioParams mp3{44100, 0, 2, 0, 1, 0, 0};
  struct Case {
    int rate;
    bool scaled;
  } const cases[] = {{0, false}, {-8000, false}, {999, false}, {8000, true}, {96000, true}, {384000, true},
                     {384001, false}, {500000000, false}, {2000000000, false}};
  for (const Case& k : cases) {
    QV_AudioParams source = mp3;
    source.sampleRate = k.rate;
    QV_AudioScaler* s = QV_CreateAudioScale(source, mp3);
    EXPECT_EQ(s != nullptr, k.scaled) << k.rate;
    QV_DestroyAudioScale(s);
    // Nor is sound scaled to such a rate.
    s = QV_CreateAudioScale(mp3, source);
    EXPECT_EQ(s != nullptr, k.scaled) << k.rate;
    QV_DestroyAudioScale(s);
  }
}
