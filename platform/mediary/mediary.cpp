// The conversion surface of the media library over FFmpeg: the shared decode core for reading,
// libswscale / libswresample for scaling, and the FLV muxer with the Sorenson H.263 and MP3
// encoders for writing.
#include "Mediary.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/pixdesc.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include <clipdeck/AvDecoder.h>

struct QV_Frame {
  const AVFrame* decoded = nullptr;  // the decoder's frame, valid during the callback
  AVFrame* owned = nullptr;          // a converted frame that replaced it
  double seconds = 0.0;
  QV_Frame() = default;
  QV_Frame(const QV_Frame&) = delete;
  QV_Frame& operator=(const QV_Frame&) = delete;
  ~QV_Frame() { av_frame_free(&owned); }
  const AVFrame* Current() const { return owned ? owned : decoded; }
  void Replace(AVFrame* frame) {
    av_frame_free(&owned);
    owned = frame;
  }
};

struct QV_Decoder {
  lw::av::MediaDecoder decoder;
  int64_t startMs = 0;
  int64_t endMs = 0;  // 0: to the end
};

namespace {

constexpr int kMaxEncodedSide = 4096;
constexpr int kDefaultFrameRate = 20;
constexpr int kDefaultQuantiser = 4;
// A gap in the picture times longer than this many seconds is not filled with repeated frames.
constexpr int kMaxRepeatSeconds = 5;

int32_t ClampInt32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

bool ValidPixelFormat(int f) { return f >= 0 && av_pix_fmt_desc_get(static_cast<AVPixelFormat>(f)) != nullptr; }
bool ValidSampleFormat(int f) {
  return f >= 0 && f < AV_SAMPLE_FMT_NB && av_get_sample_fmt_name(static_cast<AVSampleFormat>(f)) != nullptr;
}

}  // namespace

int QV_MediaLibInitial() { return 0; }
void QV_MediaLibDeinit() {}

QV_Decoder* QV_CreateDecoder(int /*mode*/, int /*flags*/, const char* path) {
  if (!path || !*path) return nullptr;
  auto* d = new QV_Decoder;
  if (!d->decoder.Open(path, true)) {
    delete d;
    return nullptr;
  }
  return d;
}

void QV_DestroyDecoder(QV_Decoder* decoder) { delete decoder; }

int QV_GetDecoderParams(QV_Decoder* decoder, QV_MediaParams* params) {
  if (!decoder || !params) return -1;
  std::memset(params, 0, sizeof *params);
  const lw::av::StreamInfo& info = decoder->decoder.Info();
  if (info.hasVideo) {
    params->hasVideo = 1;
    params->video.width = info.width;
    params->video.height = info.height;
    params->video.pixelFormat = info.pixelFormat;
    params->video.bitRate = ClampInt32(info.bitRate);
    params->video.frameRate = info.frameRate > 0 && info.frameRate < 1000 ? static_cast<int32_t>(std::lround(info.frameRate)) : 0;
  }
  if (info.hasAudio) {
    params->hasAudio = 1;
    params->audio.sampleRate = info.sampleRate;
    params->audio.channels = info.channels;
    params->audio.sampleFormat = info.sampleFormat;
  }
  if (info.duration > 0 && info.duration < 1e9) {
    params->hasDuration = 1;
    params->duration = static_cast<int64_t>(std::llround(info.duration * 1000.0));
  }
  return 0;
}

int QV_SetDecoderTimeLimit(QV_Decoder* decoder, int64_t start, int64_t end) {
  if (!decoder) return -1;
  decoder->startMs = std::max<int64_t>(start, 0);
  decoder->endMs = std::max<int64_t>(end, 0);
  return 0;
}

int QV_DecodeFile(QV_Decoder* decoder, QV_DecodeCallback callback, void* context, int /*reserved*/, int /*mode*/) {
  int result = decoder ? 0 : -1;
  while (decoder) {
    const AVFrame* av = nullptr;
    double seconds = 0.0;
    const lw::av::FrameKind kind = decoder->decoder.Next(&av, &seconds);
    if (kind == lw::av::FrameKind::End) break;
    if (kind == lw::av::FrameKind::Error || !av) {
      result = -1;
      break;
    }
    const double ms = seconds * 1000.0;
    if (ms < static_cast<double>(decoder->startMs)) continue;
    if (decoder->endMs > 0 && ms > static_cast<double>(decoder->endMs)) break;
    QV_Frame frame;
    frame.decoded = av;
    frame.seconds = seconds;
    if (callback) callback(context, &frame, kind == lw::av::FrameKind::Video ? QV_FRAME_VIDEO : QV_FRAME_AUDIO);
  }
  if (callback) callback(context, nullptr, QV_FRAME_OTHER);
  return result;
}

// ---- encoder -----------------------------------------------------------------------------------

struct QV_Encoder {
  std::string path;
  AVFormatContext* fmt = nullptr;
  AVCodecContext* video = nullptr;
  AVCodecContext* audio = nullptr;
  AVStream* videoStream = nullptr;
  AVStream* audioStream = nullptr;
  AVAudioFifo* fifo = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* fallback = nullptr;  // pictures that do not come in the accepted layout
  QV_MediaParams accepted{};
  int frameRate = kDefaultFrameRate;
  int64_t nextVideoIndex = 0;
  int64_t audioSamples = 0;
  int64_t packetsWritten = 0;
  bool headerWritten = false;
  bool failed = false;

  ~QV_Encoder() {
    sws_freeContext(fallback);
    av_audio_fifo_free(fifo);
    av_packet_free(&packet);
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    if (fmt) {
      if (fmt->pb) avio_closep(&fmt->pb);
      avformat_free_context(fmt);
    }
  }

  // Takes every packet the codec has ready and writes it.
  bool Drain(AVCodecContext* ctx, AVStream* stream) {
    for (;;) {
      const int r = avcodec_receive_packet(ctx, packet);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return false;
      av_packet_rescale_ts(packet, ctx->time_base, stream->time_base);
      packet->stream_index = stream->index;
      if (av_interleaved_write_frame(fmt, packet) < 0) return false;
      ++packetsWritten;
    }
  }

  bool Send(AVCodecContext* ctx, AVStream* stream, const AVFrame* frame) {
    if (avcodec_send_frame(ctx, frame) < 0) return false;
    return Drain(ctx, stream);
  }

  bool SendAudioFromFifo(int count) {
    AVFrame* out = av_frame_alloc();
    if (!out) return false;
    out->nb_samples = std::max(count, audio->frame_size);
    out->format = audio->sample_fmt;
    out->sample_rate = audio->sample_rate;
    bool ok = av_channel_layout_copy(&out->ch_layout, &audio->ch_layout) >= 0 && av_frame_get_buffer(out, 0) >= 0;
    if (ok) {
      const int got = av_audio_fifo_read(fifo, reinterpret_cast<void**>(out->extended_data), count);
      ok = got == count;
      if (ok && got < out->nb_samples) {
        if (audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)
          out->nb_samples = got;
        else
          av_samples_set_silence(out->extended_data, got, out->nb_samples - got, out->ch_layout.nb_channels,
                                 audio->sample_fmt);
      }
      out->pts = audioSamples;
      audioSamples += out->nb_samples;
      ok = ok && Send(audio, audioStream, out);
    }
    av_frame_free(&out);
    return ok;
  }
};

namespace {

AVCodecContext* OpenVideoEncoder(QV_Encoder* e, const QV_VideoParams& want, QV_VideoParams* got) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_FLV1);
  if (!codec) return nullptr;
  double w = want.width, h = want.height;
  const double fit = std::min(1.0, std::min(kMaxEncodedSide / w, kMaxEncodedSide / h));
  int width = std::max(2, static_cast<int>(w * fit) & ~1);
  int height = std::max(2, static_cast<int>(h * fit) & ~1);
  const int rate = want.frameRate > 0 && want.frameRate <= 60 ? want.frameRate : kDefaultFrameRate;
  const int q = want.quality >= 1 && want.quality <= 31 ? want.quality : kDefaultQuantiser;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  c->width = width;
  c->height = height;
  c->pix_fmt = AV_PIX_FMT_YUV420P;
  c->time_base = AVRational{1, rate};
  c->framerate = AVRational{rate, 1};
  c->gop_size = rate;
  c->flags |= AV_CODEC_FLAG_QSCALE;
  c->global_quality = FF_QP2LAMBDA * q;
  if (e->fmt->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) {
    avcodec_free_context(&c);
    return nullptr;
  }
  *got = QV_VideoParams{width, height, AV_PIX_FMT_YUV420P, 0, 1, rate, q};
  e->frameRate = rate;
  return c;
}

AVCodecContext* OpenAudioEncoder(QV_Encoder* e, const QV_AudioParams& want, QV_AudioParams* got) {
  const AVCodec* codec = avcodec_find_encoder_by_name("libmp3lame");
  if (!codec) codec = avcodec_find_encoder(AV_CODEC_ID_MP3);
  if (!codec) return nullptr;
  const int rate = want.sampleRate >= 32000 ? 44100 : want.sampleRate >= 16000 ? 22050 : 11025;
  const int channels = want.channels >= 2 ? 2 : 1;
  AVSampleFormat format = AV_SAMPLE_FMT_NONE;
  for (const AVSampleFormat* f = codec->sample_fmts; f && *f != AV_SAMPLE_FMT_NONE; ++f) {
    if (format == AV_SAMPLE_FMT_NONE || *f == AV_SAMPLE_FMT_S16P) format = *f;
  }
  if (format == AV_SAMPLE_FMT_NONE) return nullptr;
  AVCodecContext* c = avcodec_alloc_context3(codec);
  if (!c) return nullptr;
  c->sample_rate = rate;
  c->sample_fmt = format;
  av_channel_layout_default(&c->ch_layout, channels);
  c->bit_rate = static_cast<int64_t>(rate >= 44100 ? 64000 : rate >= 22050 ? 32000 : 16000) * channels;
  c->time_base = AVRational{1, rate};
  if (e->fmt->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) {
    avcodec_free_context(&c);
    return nullptr;
  }
  *got = QV_AudioParams{rate, static_cast<int32_t>(c->bit_rate), channels, c->frame_size, format, 0, 0};
  return c;
}

}  // namespace

QV_Encoder* QV_CreateEncoder(int /*mode*/, int /*flags*/, const char* path, int /*reserved*/) {
  if (!path || !*path) return nullptr;
  auto* e = new QV_Encoder;
  e->path = path;
  e->packet = av_packet_alloc();
  // "file:" keeps a name with a colon from being taken for another protocol.
  const std::string url = std::string("file:") + path;
  if (!e->packet || avformat_alloc_output_context2(&e->fmt, nullptr, "flv", url.c_str()) < 0 || !e->fmt ||
      avio_open(&e->fmt->pb, url.c_str(), AVIO_FLAG_WRITE) < 0) {
    delete e;
    return nullptr;
  }
  return e;
}

int QV_SetEncoderParams(QV_Encoder* encoder, const QV_MediaParams* params) {
  if (!encoder || !params || encoder->headerWritten || encoder->failed) return -1;
  QV_Encoder* e = encoder;
  QV_MediaParams got{};
  if (params->hasVideo && params->video.width > 0 && params->video.height > 0) {
    e->video = OpenVideoEncoder(e, params->video, &got.video);
    if (e->video) {
      e->videoStream = avformat_new_stream(e->fmt, nullptr);
      if (!e->videoStream || avcodec_parameters_from_context(e->videoStream->codecpar, e->video) < 0) return -1;
      e->videoStream->time_base = e->video->time_base;
      got.hasVideo = 1;
    }
  }
  if (params->hasAudio && params->audio.sampleRate > 0 && params->audio.channels > 0) {
    e->audio = OpenAudioEncoder(e, params->audio, &got.audio);
    if (e->audio) {
      e->audioStream = avformat_new_stream(e->fmt, nullptr);
      if (!e->audioStream || avcodec_parameters_from_context(e->audioStream->codecpar, e->audio) < 0) return -1;
      e->audioStream->time_base = e->audio->time_base;
      e->fifo = av_audio_fifo_alloc(e->audio->sample_fmt, e->audio->ch_layout.nb_channels, std::max(e->audio->frame_size, 1) * 4);
      if (!e->fifo) return -1;
      got.hasAudio = 1;
    }
  }
  if (!e->video && !e->audio) return -1;
  got.hasDuration = params->hasDuration;
  got.duration = params->duration;
  if (avformat_write_header(e->fmt, nullptr) < 0) {
    e->failed = true;
    return -1;
  }
  e->headerWritten = true;
  e->accepted = got;
  return 0;
}

int QV_GetEncoderParams(QV_Encoder* encoder, QV_MediaParams* params) {
  if (!encoder || !params) return -1;
  *params = encoder->accepted;
  return encoder->headerWritten ? 0 : -1;
}

int QV_EncodeFrame(QV_Encoder* encoder, QV_Frame* frame, void* /*out*/, int /*reserved*/, int kind) {
  if (!encoder || !frame || !frame->Current() || !encoder->headerWritten || encoder->failed) return -1;
  QV_Encoder* e = encoder;
  const AVFrame* f = frame->Current();
  if (kind == QV_FRAME_VIDEO) {
    if (!e->video || f->width <= 0 || f->height <= 0) return -1;
    AVFrame* converted = nullptr;
    if (f->format != AV_PIX_FMT_YUV420P || f->width != e->video->width || f->height != e->video->height) {
      e->fallback = sws_getCachedContext(e->fallback, f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                         e->video->width, e->video->height, AV_PIX_FMT_YUV420P, SWS_BICUBIC,
                                         nullptr, nullptr, nullptr);
      converted = av_frame_alloc();
      if (!e->fallback || !converted) {
        av_frame_free(&converted);
        return -1;
      }
      converted->format = AV_PIX_FMT_YUV420P;
      converted->width = e->video->width;
      converted->height = e->video->height;
      if (av_frame_get_buffer(converted, 32) < 0 ||
          sws_scale(e->fallback, f->data, f->linesize, 0, f->height, converted->data, converted->linesize) <= 0) {
        av_frame_free(&converted);
        return -1;
      }
      f = converted;
    }
    // Constant frame rate: the frame stands for every frame slot up to its own time.
    const double t = std::isfinite(frame->seconds) ? std::max(frame->seconds, 0.0) : 0.0;
    const int64_t slot = static_cast<int64_t>(std::llround(std::min(t, 1e7) * e->frameRate));
    if (slot - e->nextVideoIndex > static_cast<int64_t>(kMaxRepeatSeconds) * e->frameRate) e->nextVideoIndex = slot;
    bool ok = true;
    while (ok && e->nextVideoIndex <= slot) {
      AVFrame* out = av_frame_alloc();
      ok = out && av_frame_ref(out, f) >= 0;
      if (ok) {
        out->pts = e->nextVideoIndex++;
        out->pict_type = AV_PICTURE_TYPE_NONE;
        ok = e->Send(e->video, e->videoStream, out);
      }
      av_frame_free(&out);
    }
    av_frame_free(&converted);
    if (!ok) e->failed = true;
    return ok ? 0 : -1;
  }
  if (kind == QV_FRAME_AUDIO) {
    if (!e->audio) return -1;
    if (f->format != e->audio->sample_fmt || f->sample_rate != e->audio->sample_rate ||
        f->ch_layout.nb_channels != e->audio->ch_layout.nb_channels || f->nb_samples <= 0)
      return -1;
    if (av_audio_fifo_write(e->fifo, reinterpret_cast<void**>(const_cast<uint8_t**>(f->extended_data)), f->nb_samples) <
        f->nb_samples) {
      e->failed = true;
      return -1;
    }
    const int size = e->audio->frame_size > 0 ? e->audio->frame_size : av_audio_fifo_size(e->fifo);
    while (av_audio_fifo_size(e->fifo) >= size && size > 0) {
      if (!e->SendAudioFromFifo(size)) {
        e->failed = true;
        return -1;
      }
    }
    return 0;
  }
  return 0;
}

int QV_DestroyEncoder(QV_Encoder* encoder) {
  if (!encoder) return -1;
  QV_Encoder* e = encoder;
  bool ok = e->headerWritten && !e->failed;
  if (e->headerWritten) {
    if (e->audio) {
      const int left = av_audio_fifo_size(e->fifo);
      if (left > 0 && !e->SendAudioFromFifo(left)) ok = false;
      if (!e->Send(e->audio, e->audioStream, nullptr)) ok = false;
    }
    if (e->video && !e->Send(e->video, e->videoStream, nullptr)) ok = false;
    if (av_write_trailer(e->fmt) < 0) ok = false;
  }
  ok = ok && e->packetsWritten > 0;
  if (e->fmt && e->fmt->pb && avio_closep(&e->fmt->pb) < 0) ok = false;
  const std::string path = e->path;
  delete e;
  if (!ok) std::remove(path.c_str());
  return ok ? 0 : -1;
}

// ---- scalers ------------------------------------------------------------------------------------

struct QV_VideoScaler {
  int width = 0, height = 0;
  AVPixelFormat format = AV_PIX_FMT_NONE;
  SwsContext* sws = nullptr;
  ~QV_VideoScaler() { sws_freeContext(sws); }
};

struct QV_AudioScaler {
  int rate = 0, channels = 0;
  AVSampleFormat format = AV_SAMPLE_FMT_NONE;
  SwrContext* swr = nullptr;
  int inRate = 0, inFormat = -1;
  AVChannelLayout inLayout{};
  ~QV_AudioScaler() {
    swr_free(&swr);
    av_channel_layout_uninit(&inLayout);
  }
};

QV_VideoScaler* QV_CreateVideoScale(QV_VideoParams source, QV_VideoParams target) {
  if (source.width <= 0 || source.height <= 0 || target.width <= 0 || target.height <= 0) return nullptr;
  if (static_cast<int64_t>(target.width) * target.height > lw::av::kMaxPixels || !ValidPixelFormat(target.pixelFormat))
    return nullptr;
  auto* s = new QV_VideoScaler;
  s->width = target.width;
  s->height = target.height;
  s->format = static_cast<AVPixelFormat>(target.pixelFormat);
  return s;
}

int QV_VideoScaleFrame(QV_VideoScaler* scaler, QV_Frame* frame) {
  if (!scaler || !frame || !frame->Current()) return -1;
  const AVFrame* f = frame->Current();
  if (f->width <= 0 || f->height <= 0 || !ValidPixelFormat(f->format)) return -1;
  scaler->sws = sws_getCachedContext(scaler->sws, f->width, f->height, static_cast<AVPixelFormat>(f->format),
                                     scaler->width, scaler->height, scaler->format, SWS_BICUBIC, nullptr, nullptr,
                                     nullptr);
  if (!scaler->sws) return -1;
  AVFrame* out = av_frame_alloc();
  if (!out) return -1;
  out->format = scaler->format;
  out->width = scaler->width;
  out->height = scaler->height;
  if (av_frame_get_buffer(out, 32) < 0 ||
      sws_scale(scaler->sws, f->data, f->linesize, 0, f->height, out->data, out->linesize) <= 0) {
    av_frame_free(&out);
    return -1;
  }
  out->pts = f->pts;
  frame->Replace(out);
  return 1;
}

void QV_DestroyVideoScale(QV_VideoScaler* scaler) { delete scaler; }

namespace {

// Sound is resampled to a rate FLV's MP3 carries (at most 48 kHz). A source beyond 384 kHz or
// below 1 kHz is no real recording, and resampling from a rate in the gigahertz makes the
// resampler build filter tables of hundreds of megabytes: such sound is refused.
constexpr int kMinSoundRate = 1000;
constexpr int kMaxSoundRate = 384000;

bool SoundRateInRange(int rate) { return rate >= kMinSoundRate && rate <= kMaxSoundRate; }

}  // namespace

QV_AudioScaler* QV_CreateAudioScale(QV_AudioParams source, QV_AudioParams target) {
  if (!SoundRateInRange(source.sampleRate) || source.channels <= 0 || !SoundRateInRange(target.sampleRate) ||
      target.channels <= 0)
    return nullptr;
  if (target.channels > 8 || !ValidSampleFormat(target.sampleFormat)) return nullptr;
  auto* s = new QV_AudioScaler;
  s->rate = target.sampleRate;
  s->channels = target.channels;
  s->format = static_cast<AVSampleFormat>(target.sampleFormat);
  return s;
}

int QV_AudioScaleFrame(QV_AudioScaler* scaler, QV_Frame* frame) {
  if (!scaler || !frame || !frame->Current()) return -1;
  const AVFrame* f = frame->Current();
  if (f->nb_samples <= 0 || !SoundRateInRange(f->sample_rate) || f->ch_layout.nb_channels <= 0 ||
      !ValidSampleFormat(f->format))
    return -1;
  AVChannelLayout in{};
  if (f->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
    av_channel_layout_default(&in, f->ch_layout.nb_channels);
  else if (av_channel_layout_copy(&in, &f->ch_layout) < 0)
    return -1;
  if (!scaler->swr || scaler->inRate != f->sample_rate || scaler->inFormat != f->format ||
      av_channel_layout_compare(&in, &scaler->inLayout) != 0) {
    swr_free(&scaler->swr);
    AVChannelLayout out{};
    av_channel_layout_default(&out, scaler->channels);
    const int r = swr_alloc_set_opts2(&scaler->swr, &out, scaler->format, scaler->rate, &in,
                                      static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&out);
    if (r < 0 || swr_init(scaler->swr) < 0) {
      swr_free(&scaler->swr);
      av_channel_layout_uninit(&in);
      return -1;
    }
    av_channel_layout_uninit(&scaler->inLayout);
    scaler->inLayout = in;
    scaler->inRate = f->sample_rate;
    scaler->inFormat = f->format;
  } else {
    av_channel_layout_uninit(&in);
  }
  const int room = swr_get_out_samples(scaler->swr, f->nb_samples);
  if (room <= 0) return 0;
  AVFrame* out = av_frame_alloc();
  if (!out) return -1;
  out->format = scaler->format;
  out->sample_rate = scaler->rate;
  out->nb_samples = room;
  av_channel_layout_default(&out->ch_layout, scaler->channels);
  if (av_frame_get_buffer(out, 0) < 0) {
    av_frame_free(&out);
    return -1;
  }
  const int got = swr_convert(scaler->swr, out->extended_data, room, const_cast<const uint8_t**>(f->extended_data),
                              f->nb_samples);
  if (got <= 0) {
    av_frame_free(&out);
    return got < 0 ? -1 : 0;
  }
  out->nb_samples = got;
  out->pts = f->pts;
  frame->Replace(out);
  return 1;
}

void QV_DestroyAudioScale(QV_AudioScaler* scaler) { delete scaler; }
