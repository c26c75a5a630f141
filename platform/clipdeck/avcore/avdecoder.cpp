// FFmpeg decode core: demuxing, decoding and frame conversion shared by the media layers.
#include "AvDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

namespace lw::av {

namespace {

std::string ErrorText(int code) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, buf, sizeof(buf));
  return buf;
}

bool SizeAccepted(int w, int h) {
  return w > 0 && h > 0 && static_cast<int64_t>(w) * static_cast<int64_t>(h) <= kMaxPixels;
}

struct CodecState {
  int streamIndex = -1;
  AVCodecContext* ctx = nullptr;
  bool drained = false;  // end-of-stream sent and every frame taken
  ~CodecState() { avcodec_free_context(&ctx); }
};

}  // namespace

struct MediaDecoder::Impl {
  AVFormatContext* fmt = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  CodecState video, audio;
  CodecState* current = nullptr;  // the decoder that may still hold frames of the last packet
  bool draining = false;
  int packetsWithoutFrame = 0;

  ~Impl() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&fmt);
  }

  bool OpenCodec(CodecState& state, AVMediaType type, std::string* error) {
    const AVCodec* codec = nullptr;
    const int index = av_find_best_stream(fmt, type, -1, -1, &codec, 0);
    if (index < 0 || !codec) return false;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    if (!ctx) return false;
    if (avcodec_parameters_to_context(ctx, fmt->streams[index]->codecpar) < 0) {
      avcodec_free_context(&ctx);
      return false;
    }
    ctx->thread_count = 0;
    ctx->thread_type = FF_THREAD_SLICE;  // no frame delay
    const int r = avcodec_open2(ctx, codec, nullptr);
    if (r < 0) {
      *error = "cannot open the decoder: " + ErrorText(r);
      avcodec_free_context(&ctx);
      return false;
    }
    state.streamIndex = index;
    state.ctx = ctx;
    return true;
  }

  double SecondsOf(const CodecState& state, int64_t ts) const {
    if (ts == AV_NOPTS_VALUE) return 0.0;
    const AVStream* st = fmt->streams[state.streamIndex];
    int64_t start = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
    return static_cast<double>(ts - start) * av_q2d(st->time_base);
  }
};

MediaDecoder::MediaDecoder() = default;
MediaDecoder::~MediaDecoder() = default;

int MediaDecoder::InterruptCallback(void* opaque) {
  auto* self = static_cast<MediaDecoder*>(opaque);
  return self->abort_.load() || std::chrono::steady_clock::now() > self->deadline_;
}

FrameKind MediaDecoder::Fail(const std::string& text) {
  error_ = text;
  return FrameKind::Error;
}

bool MediaDecoder::Open(const std::string& utf8Path, bool wantAudio) {
  impl_.reset();
  info_ = StreamInfo{};
  error_.clear();
  auto impl = std::make_unique<Impl>();
  impl->fmt = avformat_alloc_context();
  impl->packet = av_packet_alloc();
  impl->frame = av_frame_alloc();
  if (!impl->fmt || !impl->packet || !impl->frame) {
    error_ = "out of memory";
    return false;
  }
  impl->fmt->interrupt_callback.callback = &MediaDecoder::InterruptCallback;
  impl->fmt->interrupt_callback.opaque = this;
  // Only local files: a playlist-like file must not make the decoder reach out to the network.
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  int r = avformat_open_input(&impl->fmt, utf8Path.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (r < 0) {  // the context is freed by the failed open
    error_ = "cannot open the file: " + ErrorText(r);
    return false;
  }
  r = avformat_find_stream_info(impl->fmt, nullptr);
  if (r < 0) {
    error_ = "cannot read the streams: " + ErrorText(r);
    return false;
  }
  if (impl->OpenCodec(impl->video, AVMEDIA_TYPE_VIDEO, &error_)) {
    const AVCodecContext* c = impl->video.ctx;
    if (!SizeAccepted(c->width, c->height)) {
      error_ = "the picture size is not supported";
      return false;
    }
    info_.hasVideo = true;
    info_.width = c->width;
    info_.height = c->height;
    info_.pixelFormat = c->pix_fmt;
    info_.videoCodec = avcodec_get_name(c->codec_id);
    const AVStream* st = impl->fmt->streams[impl->video.streamIndex];
    AVRational rate = av_guess_frame_rate(impl->fmt, const_cast<AVStream*>(st), nullptr);
    if (rate.num > 0 && rate.den > 0) info_.frameRate = av_q2d(rate);
  }
  if (wantAudio && impl->OpenCodec(impl->audio, AVMEDIA_TYPE_AUDIO, &error_)) {
    const AVCodecContext* c = impl->audio.ctx;
    if (c->sample_rate > 0 && c->ch_layout.nb_channels > 0) {
      info_.hasAudio = true;
      info_.sampleRate = c->sample_rate;
      info_.channels = c->ch_layout.nb_channels;
      info_.sampleFormat = c->sample_fmt;
      info_.audioCodec = avcodec_get_name(c->codec_id);
    } else {
      avcodec_free_context(&impl->audio.ctx);
      impl->audio.streamIndex = -1;
    }
  }
  if (!info_.hasVideo && !info_.hasAudio) {
    if (error_.empty()) error_ = "the file holds no video or sound";
    return false;
  }
  error_.clear();
  if (impl->fmt->duration != AV_NOPTS_VALUE && impl->fmt->duration > 0)
    info_.duration = static_cast<double>(impl->fmt->duration) / AV_TIME_BASE;
  info_.bitRate = impl->fmt->bit_rate > 0 ? impl->fmt->bit_rate : 0;
  impl_ = std::move(impl);
  return true;
}

FrameKind MediaDecoder::Next(const AVFrame** frame, double* seconds) {
  if (!impl_) return Fail("no file is open");
  Impl& m = *impl_;
  for (;;) {
    if (InterruptCallback(this)) return Fail("decoding was stopped");
    if (m.current) {
      CodecState& s = *m.current;
      av_frame_unref(m.frame);
      const int r = avcodec_receive_frame(s.ctx, m.frame);
      if (r == 0) {
        const bool isVideo = &s == &m.video;
        if (isVideo && !SizeAccepted(m.frame->width, m.frame->height)) return Fail("the picture size is not supported");
        if (!isVideo && (m.frame->nb_samples <= 0 || m.frame->sample_rate <= 0)) continue;
        m.packetsWithoutFrame = 0;
        *frame = m.frame;
        *seconds = m.SecondsOf(s, m.frame->best_effort_timestamp);
        return isVideo ? FrameKind::Video : FrameKind::Audio;
      }
      if (r == AVERROR_EOF) s.drained = true;
      m.current = nullptr;
      if (r != AVERROR(EAGAIN) && r != AVERROR_EOF && ++m.packetsWithoutFrame > kMaxPacketsWithoutFrame)
        return Fail("the stream gives no pictures");
      continue;
    }
    if (m.draining) {
      for (CodecState* s : {&m.video, &m.audio}) {
        if (s->ctx && !s->drained) {
          avcodec_send_packet(s->ctx, nullptr);
          m.current = s;
          break;
        }
      }
      if (!m.current) return FrameKind::End;
      continue;
    }
    av_packet_unref(m.packet);
    const int r = av_read_frame(m.fmt, m.packet);
    if (r == AVERROR_EOF) {
      m.draining = true;
      continue;
    }
    if (r < 0) {
      if (m.fmt->pb && m.fmt->pb->eof_reached) {
        m.draining = true;
        continue;
      }
      return Fail("cannot read the file: " + ErrorText(r));
    }
    if (++m.packetsWithoutFrame > kMaxPacketsWithoutFrame) return Fail("the stream gives no pictures");
    CodecState* target = nullptr;
    if (m.video.ctx && m.packet->stream_index == m.video.streamIndex) target = &m.video;
    if (m.audio.ctx && m.packet->stream_index == m.audio.streamIndex) target = &m.audio;
    if (!target) continue;
    // A damaged packet is skipped; the next key frame resumes decoding.
    if (avcodec_send_packet(target->ctx, m.packet) == 0) m.current = target;
  }
}

bool MediaDecoder::Seek(double seconds) {
  if (!impl_) return false;
  Impl& m = *impl_;
  int64_t ts = static_cast<int64_t>(std::max(0.0, seconds) * AV_TIME_BASE);
  if (m.fmt->start_time != AV_NOPTS_VALUE) ts += m.fmt->start_time;
  if (av_seek_frame(m.fmt, -1, ts, AVSEEK_FLAG_BACKWARD) < 0) return false;
  for (CodecState* s : {&m.video, &m.audio}) {
    if (s->ctx) avcodec_flush_buffers(s->ctx);
    s->drained = false;
  }
  m.current = nullptr;
  m.draining = false;
  m.packetsWithoutFrame = 0;
  return true;
}

// ---------------------------------------------------------------------------------------------

struct VideoConverter::Impl {
  SwsContext* sws = nullptr;
  ~Impl() { sws_freeContext(sws); }
};

namespace {

// The pixel format with the same layout in video range, for the JPEG-range formats.
AVPixelFormat WithoutJpegRange(AVPixelFormat format, bool* full) {
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      *full = true;
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      *full = true;
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      *full = true;
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      *full = true;
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      *full = true;
      return AV_PIX_FMT_YUV411P;
    default:
      return format;
  }
}

// Whether the frame's samples use the full 0..255 range: a YUV frame marked so, or a JPEG-range
// format. RGB and grey sources are converted into video range by the scaler itself.
bool FullRangeYuv(const AVFrame* f, AVPixelFormat* plain) {
  bool full = false;
  *plain = WithoutJpegRange(static_cast<AVPixelFormat>(f->format), &full);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(*plain);
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_RGB) || desc->nb_components < 3) return false;
  return full || f->color_range == AVCOL_RANGE_JPEG;
}

// Scales full-range planes into video range in place: luma 0..255 to 16..235, chroma around
// 128 from 0..255 to 16..240.
void ToVideoRange(uint8_t* y, uint8_t* u, uint8_t* v, int yStride, int uvStride, int w, int h) {
  uint8_t luma[256], chroma[256];
  for (int i = 0; i < 256; ++i) {
    luma[i] = static_cast<uint8_t>((i * 219 + 255 / 2) / 255 + 16);
    chroma[i] = static_cast<uint8_t>(128 + ((i - 128) * 224 + (i >= 128 ? 127 : -127)) / 255);
  }
  for (int r = 0; r < h; ++r) {
    uint8_t* row = y + static_cast<ptrdiff_t>(r) * yStride;
    for (int x = 0; x < w; ++x) row[x] = luma[row[x]];
  }
  const int cw = (w + 1) / 2, ch = (h + 1) / 2;
  for (int r = 0; r < ch; ++r) {
    uint8_t* ur = u + static_cast<ptrdiff_t>(r) * uvStride;
    uint8_t* vr = v + static_cast<ptrdiff_t>(r) * uvStride;
    for (int x = 0; x < cw; ++x) {
      ur[x] = chroma[ur[x]];
      vr[x] = chroma[vr[x]];
    }
  }
}

}  // namespace

VideoConverter::VideoConverter() : impl_(std::make_unique<Impl>()) {}
VideoConverter::~VideoConverter() = default;

bool VideoConverter::ToYuv420(const AVFrame* f, uint8_t* y, uint8_t* u, uint8_t* v, int yStride, int uvStride) {
  if (!f || !y || !u || !v || !SizeAccepted(f->width, f->height)) return false;
  const int w = f->width, h = f->height, cw = (w + 1) / 2, ch = (h + 1) / 2;
  if (yStride < w || uvStride < cw) return false;
  // A full-range YUV source is first brought to 4:2:0 as it is (the scaler is given the format's
  // video-range twin, so it changes no levels) and then scaled into video range.
  AVPixelFormat source = AV_PIX_FMT_NONE;
  const bool full = FullRangeYuv(f, &source);
  if (source == AV_PIX_FMT_YUV420P) {
    for (int r = 0; r < h; ++r) std::memcpy(y + static_cast<ptrdiff_t>(r) * yStride, f->data[0] + static_cast<ptrdiff_t>(r) * f->linesize[0], w);
    for (int r = 0; r < ch; ++r) {
      std::memcpy(u + static_cast<ptrdiff_t>(r) * uvStride, f->data[1] + static_cast<ptrdiff_t>(r) * f->linesize[1], cw);
      std::memcpy(v + static_cast<ptrdiff_t>(r) * uvStride, f->data[2] + static_cast<ptrdiff_t>(r) * f->linesize[2], cw);
    }
  } else {
    impl_->sws = sws_getCachedContext(impl_->sws, w, h, source, w, h, AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr,
                                      nullptr, nullptr);
    if (!impl_->sws) return false;
    uint8_t* dst[4] = {y, u, v, nullptr};
    int strides[4] = {yStride, uvStride, uvStride, 0};
    if (sws_scale(impl_->sws, f->data, f->linesize, 0, h, dst, strides) != h) return false;
  }
  if (full) ToVideoRange(y, u, v, yStride, uvStride, w, h);
  return true;
}

bool Yuv420Picture::Allocate(int w, int h) {
  if (!SizeAccepted(w, h)) return false;
  width = w;
  height = h;
  yStride = (w + 31) & ~31;
  const size_t luma = static_cast<size_t>(yStride) * static_cast<size_t>(h);
  const size_t chroma = static_cast<size_t>(yStride / 2) * static_cast<size_t>((h + 1) / 2);
  bytes.assign(luma + 2 * chroma, 0);
  return true;
}

// ---------------------------------------------------------------------------------------------

struct AudioConverter::Impl {
  SwrContext* swr = nullptr;
  int outRate = 0, outChannels = 0;
  int inRate = 0, inFormat = -1;
  AVChannelLayout inLayout{};
  ~Impl() {
    swr_free(&swr);
    av_channel_layout_uninit(&inLayout);
  }
};

AudioConverter::AudioConverter() : impl_(std::make_unique<Impl>()) {}
AudioConverter::~AudioConverter() = default;

bool AudioConverter::Setup(int outRate, int outChannels) {
  if (outRate < 1000 || outRate > 384000 || outChannels < 1 || outChannels > 2) return false;
  swr_free(&impl_->swr);
  impl_->outRate = outRate;
  impl_->outChannels = outChannels;
  return true;
}

bool AudioConverter::Convert(const AVFrame* f, std::vector<int16_t>* out) {
  Impl& m = *impl_;
  if (!f || !out || m.outRate == 0 || f->nb_samples <= 0 || f->sample_rate <= 0) return false;
  AVChannelLayout layout{};
  if (f->ch_layout.nb_channels > 0 && f->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC) {
    if (av_channel_layout_copy(&layout, &f->ch_layout) < 0) return false;
  } else {
    av_channel_layout_default(&layout, f->ch_layout.nb_channels > 0 ? f->ch_layout.nb_channels : 1);
  }
  const bool changed = !m.swr || m.inRate != f->sample_rate || m.inFormat != f->format ||
                       av_channel_layout_compare(&layout, &m.inLayout) != 0;
  if (changed) {
    swr_free(&m.swr);
    AVChannelLayout outLayout{};
    av_channel_layout_default(&outLayout, m.outChannels);
    const int r = swr_alloc_set_opts2(&m.swr, &outLayout, AV_SAMPLE_FMT_S16, m.outRate, &layout,
                                      static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&outLayout);
    if (r < 0 || swr_init(m.swr) < 0) {
      swr_free(&m.swr);
      av_channel_layout_uninit(&layout);
      return false;
    }
    av_channel_layout_uninit(&m.inLayout);
    av_channel_layout_copy(&m.inLayout, &layout);
    m.inRate = f->sample_rate;
    m.inFormat = f->format;
  }
  av_channel_layout_uninit(&layout);
  const int maxOut = swr_get_out_samples(m.swr, f->nb_samples);
  if (maxOut <= 0) return maxOut == 0;
  const size_t old = out->size();
  out->resize(old + static_cast<size_t>(maxOut) * static_cast<size_t>(m.outChannels));
  uint8_t* dst = reinterpret_cast<uint8_t*>(out->data() + old);
  const int got = swr_convert(m.swr, &dst, maxOut, const_cast<const uint8_t**>(f->extended_data), f->nb_samples);
  if (got < 0) {
    out->resize(old);
    return false;
  }
  out->resize(old + static_cast<size_t>(got) * static_cast<size_t>(m.outChannels));
  return true;
}

}  // namespace lw::av
