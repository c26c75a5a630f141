// The export's video clips: the job queue, clip names, and the worker that converts each clip to
// FLV at 20 frames a second through the media library (or copies FLV and F4V clips).
#include "flarewing/FlipBook.h"

#include <cstring>
#include <filesystem>
#include <system_error>

#include <win32/lwstr.h>
#include <win32/winstring.h>

namespace QorSWFExportingLib {

namespace {

const MediaLibrary kFFmpegMedia = {
    QV_MediaLibInitial,  QV_MediaLibDeinit,    QV_CreateDecoder,     QV_DestroyDecoder,  QV_GetDecoderParams,
    QV_SetDecoderTimeLimit, QV_DecodeFile,     QV_CreateEncoder,     QV_SetEncoderParams, QV_GetEncoderParams,
    QV_EncodeFrame,      QV_DestroyEncoder,    QV_CreateVideoScale,  QV_CreateAudioScale, QV_VideoScaleFrame,
    QV_AudioScaleFrame,  QV_DestroyVideoScale, QV_DestroyAudioScale,
};

std::wstring Folded(const std::wstring& s) {
  std::wstring out = s;
  for (wchar_t& c : out) c = towlower(c);
  return out;
}

// What the decode callback works with for one clip.
struct ConvertContext {
  const MediaLibrary* media = nullptr;
  QV_AudioScaler* audioScaler = nullptr;
  bool soundRefused = false;  // the sound needs a scaler that refused its rates: it is left out
  QV_VideoScaler* videoScaler = nullptr;
  QV_Encoder* encoder = nullptr;
  bool ended = false;
  int finished = -1;  // the encoder's result when the source ended
};

int OnDecodedFrame(void* context, QV_Frame* frame, int kind) {
  auto* c = static_cast<ConvertContext*>(context);
  if (!frame) {
    if (c->encoder) c->finished = c->media->DestroyEncoder(c->encoder);
    c->encoder = nullptr;
    c->ended = true;
    return 0;
  }
  if (!c->encoder) return 0;
  if (kind == QV_FRAME_AUDIO) {
    if (c->soundRefused) return 0;
    if (c->audioScaler && c->media->AudioScaleFrame(c->audioScaler, frame) <= 0) return 0;
    c->media->EncodeFrame(c->encoder, frame, nullptr, 0, QV_FRAME_AUDIO);
  } else if (kind == QV_FRAME_VIDEO) {
    if (c->videoScaler && c->media->VideoScaleFrame(c->videoScaler, frame) <= 0) return 0;
    c->media->EncodeFrame(c->encoder, frame, nullptr, 0, QV_FRAME_VIDEO);
  } else if (kind == QV_FRAME_OTHER) {
    c->media->EncodeFrame(c->encoder, frame, nullptr, 0, QV_FRAME_OTHER);
  }
  return 0;
}

// The text after the last '.' of the path's file name, folded.
std::wstring Extension(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"/\\");
  const size_t dot = path.find_last_of(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
  return Folded(path.substr(dot + 1));
}

}  // namespace

const MediaLibrary& DefaultMediaLibrary() { return kFFmpegMedia; }

void VideoJobQueue::Push(VideoJob job) {
  {
    std::lock_guard lock(m_lock);
    m_jobs.push_back(std::move(job));
  }
  m_ready.notify_one();
}

VideoJob VideoJobQueue::Take() {
  std::unique_lock lock(m_lock);
  m_ready.wait(lock, [this] { return !m_jobs.empty(); });
  VideoJob job = std::move(m_jobs.front());
  m_jobs.pop_front();
  return job;
}

std::wstring SwfExportContext::RegisterVideo(const std::wstring& path) {
  const std::wstring key = Folded(path);
  auto it = m_videoNames.find(key);
  if (it == m_videoNames.end()) {
    wchar_t name[32];
    std::swprintf(name, 32, L"videos%03d", ++m_nVideoCounter);
    it = m_videoNames.emplace(key, name).first;
    m_jobs.Push(VideoJob{path, it->second + L".flv"});
  }
  return it->second + L".flv";
}

CVideoConvertThread::CVideoConvertThread(VideoJobQueue& jobs, std::string outputFolder, const MediaLibrary& media)
    : m_jobs(jobs), m_folder(std::move(outputFolder)), m_media(media) {
  while (m_folder.size() > 1 && m_folder.back() == '/') m_folder.pop_back();
}

CVideoConvertThread::~CVideoConvertThread() { Stop(); }

bool CVideoConvertThread::Start() {
  if (m_thread.joinable()) return true;
  try {
    m_thread = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void CVideoConvertThread::Stop() {
  if (m_thread.joinable()) m_thread.join();
}

void CVideoConvertThread::Run() {
  const bool ready = m_media.Initial() == 0;
  for (;;) {
    VideoJob job = m_jobs.Take();
    if (job.sourcePath.empty()) break;
    // A library that did not start still takes the jobs, so that the queue is drained.
    if (!ready) {
      ++m_nFailed;
      continue;
    }
    try {
      ConvertOne(job);
    } catch (...) {
      ++m_nFailed;
    }
  }
  if (ready) m_media.Deinit();
}

bool CVideoConvertThread::ConvertOne(const VideoJob& job) {
  namespace fs = std::filesystem;
  const std::string source = lw::WideToUtf8(job.sourcePath);
  const std::string output = m_folder + "/videos/" + lw::WideToUtf8(job.outputName);
  const std::wstring ext = Extension(job.sourcePath);
  if (ext == L"flv" || ext == L"f4v") {
    std::error_code ec;
    if (fs::equivalent(source, output, ec)) {
      ++m_nCopied;
      return true;
    }
    const bool ok = fs::copy_file(source, output, fs::copy_options::overwrite_existing, ec) && !ec;
    ok ? ++m_nCopied : ++m_nFailed;
    return ok;
  }

  QV_Decoder* decoder = m_media.CreateDecoder(1, 0, source.c_str());
  if (!decoder) {
    ++m_nFailed;
    return false;
  }
  QV_MediaParams src;
  std::memset(&src, 0, sizeof src);
  if (m_media.GetDecoderParams(decoder, &src) != 0) {
    m_media.DestroyDecoder(decoder);
    ++m_nFailed;
    return false;
  }
  m_media.SetDecoderTimeLimit(decoder, 0, src.duration);

  ConvertContext ctx;
  ctx.media = &m_media;
  ctx.encoder = m_media.CreateEncoder(0, 0, output.c_str(), 0);
  if (!ctx.encoder) {
    m_media.DestroyDecoder(decoder);
    ++m_nFailed;
    return false;
  }
  QV_MediaParams want;
  std::memcpy(&want, &src, sizeof want);
  want.video.codec = 1;       // Sorenson H.263
  want.video.frameRate = 20;  // frames a second
  want.video.quality = 4;     // quantiser
  want.audio.codec = 0;       // MP3
  QV_MediaParams got;
  std::memset(&got, 0, sizeof got);
  if (m_media.SetEncoderParams(ctx.encoder, &want) < 0) {
    m_media.DestroyEncoder(ctx.encoder);
    m_media.DestroyDecoder(decoder);
    ++m_nFailed;
    return false;
  }
  m_media.GetEncoderParams(ctx.encoder, &got);
  const QV_AudioParams& sa = src.audio;
  const QV_AudioParams& ga = got.audio;
  if (sa.channels != ga.channels || sa.sampleRate != ga.sampleRate || sa.sampleFormat != ga.sampleFormat) {
    ctx.audioScaler = m_media.CreateAudioScale(sa, ga);
    ctx.soundRefused = !ctx.audioScaler;
  }
  const QV_VideoParams& sv = src.video;
  const QV_VideoParams& gv = got.video;
  if (sv.pixelFormat != gv.pixelFormat || sv.height != gv.height || sv.width != gv.width)
    ctx.videoScaler = m_media.CreateVideoScale(sv, gv);

  // Decoding calls back on this thread and ends with a null frame, which closes the encoder.
  // Should the library return without that call, the encoder is closed here: nothing waits.
  const int decoded = m_media.DecodeFile(decoder, OnDecodedFrame, &ctx, 0, 1);
  if (!ctx.ended && ctx.encoder) {
    ctx.finished = m_media.DestroyEncoder(ctx.encoder);
    ctx.encoder = nullptr;
  }
  if (ctx.audioScaler) m_media.DestroyAudioScale(ctx.audioScaler);
  if (ctx.videoScaler) m_media.DestroyVideoScale(ctx.videoScaler);
  m_media.DestroyDecoder(decoder);
  const bool ok = decoded >= 0 && ctx.finished == 0;
  ok ? ++m_nConverted : ++m_nFailed;
  return ok;
}

}  // namespace QorSWFExportingLib
