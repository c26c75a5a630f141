// The conversion worker: with a stand-in media library that records its calls (order, handles,
// failures) and with the real one over FFmpeg, whose FLV files ffprobe reads.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <flarewing/FlipBook.h>
#include <flarewing/SwfExport.h>

#include "FlipTestKit.h"

namespace {

using namespace fliptest;
namespace flip = QorSWFExportingLib;

// ---- the stand-in library -------------------------------------------------------------------------

struct Fake {
  // Faults to inject, by the source path's file name.
  std::map<std::string, std::string> faults;
  QV_MediaParams source{};    // what every decoder reports
  QV_MediaParams accepted{};  // what every encoder accepts
  std::vector<std::string> opened;  // decoder paths in order
  std::vector<std::string> calls;
  int liveDecoders = 0, liveEncoders = 0, liveScalers = 0;
  int nullHandleCalls = 0;
  int videoScalers = 0, audioScalers = 0;
  int nextHandle = 1;
  std::map<intptr_t, std::string> decoderPath;
};
Fake* g_fake = nullptr;

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }
std::string FaultOf(QV_Decoder* d) {
  auto it = g_fake->decoderPath.find(reinterpret_cast<intptr_t>(d));
  if (it == g_fake->decoderPath.end()) return "";
  auto f = g_fake->faults.find(FileName(it->second));
  return f == g_fake->faults.end() ? "" : f->second;
}
QV_Decoder* g_lastDecoder = nullptr;

const flip::MediaLibrary kFakeMedia = {
    [] { return 0; },
    [] {},
    [](int, int, const char* path) -> QV_Decoder* {
      g_fake->opened.push_back(path);
      if (g_fake->faults[FileName(path)] == "no decoder") return nullptr;
      auto* d = reinterpret_cast<QV_Decoder*>(static_cast<intptr_t>(g_fake->nextHandle++));
      g_fake->decoderPath[reinterpret_cast<intptr_t>(d)] = path;
      ++g_fake->liveDecoders;
      g_lastDecoder = d;
      return d;
    },
    [](QV_Decoder* d) {
      if (!d) ++g_fake->nullHandleCalls;
      --g_fake->liveDecoders;
    },
    [](QV_Decoder* d, QV_MediaParams* p) {
      if (!d) ++g_fake->nullHandleCalls;
      if (FaultOf(d) == "no params") return -1;
      *p = g_fake->source;
      return 0;
    },
    [](QV_Decoder* d, int64_t, int64_t) {
      if (!d) ++g_fake->nullHandleCalls;
      return 0;
    },
    [](QV_Decoder* d, QV_DecodeCallback cb, void* ctx, int, int) {
      if (!d) ++g_fake->nullHandleCalls;
      g_fake->calls.push_back("decode");
      if (FaultOf(d) == "decode fails early") return -1;  // no end callback at all
      cb(ctx, reinterpret_cast<QV_Frame*>(16), QV_FRAME_VIDEO);
      cb(ctx, reinterpret_cast<QV_Frame*>(32), QV_FRAME_AUDIO);
      cb(ctx, nullptr, QV_FRAME_OTHER);
      return 0;
    },
    [](int, int, const char*, int) -> QV_Encoder* {
      if (FaultOf(g_lastDecoder) == "no encoder") return nullptr;
      ++g_fake->liveEncoders;
      return reinterpret_cast<QV_Encoder*>(static_cast<intptr_t>(g_fake->nextHandle++));
    },
    [](QV_Encoder* e, const QV_MediaParams* p) {
      if (!e) ++g_fake->nullHandleCalls;
      g_fake->calls.push_back("set rate " + std::to_string(p->video.frameRate));
      return FaultOf(g_lastDecoder) == "refused" ? -1 : 0;
    },
    [](QV_Encoder* e, QV_MediaParams* p) {
      if (!e) ++g_fake->nullHandleCalls;
      *p = g_fake->accepted;
      return 0;
    },
    [](QV_Encoder* e, QV_Frame*, void*, int, int kind) {
      if (!e) ++g_fake->nullHandleCalls;
      g_fake->calls.push_back("encode " + std::to_string(kind));
      return 0;
    },
    [](QV_Encoder* e) {
      if (!e) ++g_fake->nullHandleCalls;
      --g_fake->liveEncoders;
      g_fake->calls.push_back("end");
      return 0;
    },
    [](QV_VideoParams, QV_VideoParams) -> QV_VideoScaler* {
      ++g_fake->videoScalers;
      ++g_fake->liveScalers;
      return reinterpret_cast<QV_VideoScaler*>(8);
    },
    [](QV_AudioParams, QV_AudioParams) -> QV_AudioScaler* {
      ++g_fake->audioScalers;
      ++g_fake->liveScalers;
      return reinterpret_cast<QV_AudioScaler*>(8);
    },
    [](QV_VideoScaler*, QV_Frame*) { return 1; },
    [](QV_AudioScaler*, QV_Frame*) { return 1; },
    [](QV_VideoScaler*) { --g_fake->liveScalers; },
    [](QV_AudioScaler*) { --g_fake->liveScalers; },
};

class VideoWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_fake = &fake_;
    fake_.source.hasVideo = fake_.source.hasAudio = 1;
    fake_.source.video = {320, 240, 0, 0, 0, 25, 0};
    fake_.source.audio = {44100, 0, 2, 0, 6, 0, 0};
    fake_.source.duration = 1500;
    fake_.accepted = fake_.source;
    fs::create_directory(out_.path() / "videos");
  }
  void TearDown() override { g_fake = nullptr; }

  // Queues the jobs and the empty one, runs the worker to its end.
  void RunJobs(const std::vector<std::wstring>& sources) {
    flip::VideoJobQueue jobs;
    int n = 0;
    for (const std::wstring& s : sources) jobs.Push({s, L"videos00" + std::to_wstring(++n) + L".flv"});
    jobs.Push({});
    flip::CVideoConvertThread worker(jobs, out_.str() + "/", kFakeMedia);
    ASSERT_TRUE(worker.Start());
    worker.Stop();
  }

  Fake fake_;
  TempDir out_;
};

// Clips are converted in queue order at 20 frames a second, the empty job ends the worker, and
// the path opened is the one queued, capitals and all.
TEST_F(VideoWorkerTest, ClipsAreConvertedInQueueOrderFromTheQueuedPath) {
  RunJobs({L"/clips/First Clip.MP4", L"/clips/second.avi"});
  EXPECT_EQ(fake_.opened, (std::vector<std::string>{"/clips/First Clip.MP4", "/clips/second.avi"}));
  EXPECT_EQ(fake_.calls, (std::vector<std::string>{"set rate 20", "decode", "encode 1", "encode 0", "end",
                                                   "set rate 20", "decode", "encode 1", "encode 0", "end"}));
}

// FLV and F4V clips (any case, text after the last '.') are copied, everything else converted.
TEST_F(VideoWorkerTest, FlvAndF4vAreCopiedOthersConverted) {
  TempDir clips;
  const struct {
    const char* name;
    bool copied;
  } cases[] = {{"a.FLV", true}, {"b.f4v", true}, {"c", false}, {"d.flv.mp4", false}, {"e.Flv", true}};
  std::vector<std::wstring> sources;
  for (const auto& c : cases) {
    std::ofstream(clips.path() / c.name) << c.name;
    sources.push_back((clips.path() / c.name).wstring());
  }
  fs::create_directory(clips.path() / "x.flv");
  sources.push_back((clips.path() / "x.flv" / "clip").wstring());  // a '.' of a folder is no extension
  RunJobs(sources);
  std::vector<std::string> converted;
  for (size_t i = 0; i < std::size(cases); ++i) {
    const fs::path out = out_.path() / "videos" / ("videos00" + std::to_string(i + 1) + ".flv");
    if (cases[i].copied) {
      EXPECT_EQ(ReadFile(out), cases[i].name) << cases[i].name;
    } else {
      converted.push_back((clips.path() / cases[i].name).string());
    }
  }
  converted.push_back((clips.path() / "x.flv" / "clip").string());
  EXPECT_EQ(fake_.opened, converted);
}

// Each failure skips its clip, the next clip is still converted, no call gets a null handle, and
// every decoder and encoder made is released; a decoder that returns without its end call does
// not leave the worker waiting.
TEST_F(VideoWorkerTest, FailuresSkipTheClipAndReleaseEverything) {
  for (const char* fault : {"no decoder", "no params", "no encoder", "refused", "decode fails early"}) {
    SCOPED_TRACE(fault);
    fake_.faults.clear();
    fake_.faults["bad.mp4"] = fault;
    fake_.calls.clear();
    fake_.opened.clear();
    fake_.accepted.audio.sampleRate = 22050;  // a scaler to release too
    RunJobs({L"/clips/bad.mp4", L"/clips/good.mp4"});
    EXPECT_EQ(fake_.opened.back(), "/clips/good.mp4");
    EXPECT_EQ(fake_.liveDecoders, 0);
    EXPECT_EQ(fake_.liveEncoders, 0);
    EXPECT_EQ(fake_.liveScalers, 0);
    EXPECT_EQ(fake_.nullHandleCalls, 0);
    ASSERT_GE(fake_.calls.size(), 5u);
    EXPECT_EQ(fake_.calls.back(), "end");  // the good clip went through to its end
  }
}

// Scalers are made only where the accepted block differs from the source's in the compared values;
// a source without sound meets an encoder without sound and gets no sound scaler.
TEST_F(VideoWorkerTest, ScalersOnlyWhereTheAcceptedBlockDiffers) {
  const struct {
    const char* what;
    void (*change)(QV_MediaParams& source, QV_MediaParams& accepted);
    int video, audio;
  } cases[] = {
      {"same", [](QV_MediaParams&, QV_MediaParams&) {}, 0, 0},
      {"rate", [](QV_MediaParams&, QV_MediaParams& a) { a.audio.sampleRate = 22050; }, 0, 1},
      {"channels", [](QV_MediaParams&, QV_MediaParams& a) { a.audio.channels = 1; }, 0, 1},
      {"sample format", [](QV_MediaParams&, QV_MediaParams& a) { a.audio.sampleFormat = 1; }, 0, 1},
      {"width", [](QV_MediaParams&, QV_MediaParams& a) { a.video.width = 318; }, 1, 0},
      {"pixel format", [](QV_MediaParams&, QV_MediaParams& a) { a.video.pixelFormat = 3; }, 1, 0},
      {"frame rate only", [](QV_MediaParams&, QV_MediaParams& a) { a.video.frameRate = 20; }, 0, 0},
      {"no sound", [](QV_MediaParams& s, QV_MediaParams& a) { s.audio = a.audio = QV_AudioParams{}; }, 0, 0},
  };
  const QV_MediaParams base = fake_.source;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    fake_.source = fake_.accepted = base;
    c.change(fake_.source, fake_.accepted);
    fake_.videoScalers = fake_.audioScalers = 0;
    RunJobs({L"/clips/one.mp4"});
    EXPECT_EQ(fake_.videoScalers, c.video);
    EXPECT_EQ(fake_.audioScalers, c.audio);
    EXPECT_EQ(fake_.liveScalers, 0);
  }
}

// ---- with FFmpeg ------------------------------------------------------------------------------------

// A 3-page document with one clip (made here by the ffmpeg command, stored under a path with
// capitals) on pages 1 and 3: one FLV with Sorenson H.263 at 20 frames a second and MP3 sound,
// as long as the clip.
TEST(VideoConversion, ExportWritesOneFlvPerClipAtTwentyFramesWithSound) {
  UseStandInPlayer();
  TempDir clips, out;
  const fs::path clip = clips.path() / "Holiday Clip.MKV";
  int status = 0;
  const std::string log = Shell("ffmpeg -v error -y -f lavfi -i testsrc=size=176x144:rate=25:duration=1.5 -f lavfi "
                                "-i sine=f=440:r=48000:d=1.5 -c:v mpeg4 -c:a pcm_s16le '" + clip.string() + "'",
                                &status);
  ASSERT_EQ(status, 0) << log;
  CPublicationDoc doc;
  AddPages(doc, 3);
  AddVideo(doc.GetDrawingPage(0), clip.wstring());
  AddVideo(doc.GetDrawingPage(2), clip.wstring());
  ASSERT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  const fs::path flv = out.path() / "videos/videos001.flv";
  std::set<std::string> want = {"index.html", "swf/Main.swf", "swf/Pages.swf", "txt/Lang.txt", "xml/Pages.xml",
                                "js/AC_RunActiveContent.js", "js/PopUpWin.js", "pages/page001.swf",
                                "pages/page002.swf", "pages/page003.swf", "videos/videos001.flv"};
  want.insert(kStandInPlayerFiles.begin(), kStandInPlayerFiles.end());
  EXPECT_EQ(FilesBelow(out.path()), want);
  ASSERT_TRUE(fs::exists(flv));
  const std::string probe =
      Shell("ffprobe -v error -show_entries stream=codec_type,codec_name,r_frame_rate,sample_rate"
            " -show_entries format=format_name,duration -of default=nw=1 '" + flv.string() + "'");
  for (const char* want : {"format_name=flv", "codec_name=flv1", "r_frame_rate=20/1", "codec_type=audio",
                           "codec_name=mp3", "sample_rate=44100"})
    EXPECT_NE(probe.find(want), std::string::npos) << want << "\n" << probe;
  const size_t d = probe.find("duration=");
  ASSERT_NE(d, std::string::npos);
  EXPECT_NEAR(std::atof(probe.c_str() + d + 9), 1.5, 0.06) << probe;
}

// A clip that cannot be read (a cut-off file) is skipped and the export still returns, true.
TEST(VideoConversion, AClipThatCannotBeReadDoesNotHoldUpTheExport) {
  UseStandInPlayer();
  TempDir clips, out;
  const fs::path clip = clips.path() / "broken.mp4";
  std::ofstream(clip, std::ios::binary) << std::string("\0\0\0\x18" "ftypmp42", 12);
  CPublicationDoc doc;
  AddPages(doc, 1);
  AddVideo(doc.GetDrawingPage(0), clip.wstring());
  EXPECT_TRUE(SaveDocumentAsSWFFlipPages(&doc, out.wstr().c_str(), nullptr));
  EXPECT_FALSE(fs::exists(out.path() / "videos/videos001.flv"));
}

}  // namespace
