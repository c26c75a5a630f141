// The media library's conversion surface (the QV_ calls): decode a clip, scale its pictures and
// sound, and encode Flash video (FLV: Sorenson H.263 pictures and MP3 sound). Backed by FFmpeg
// through the decode core that the player layer shares (clipdeck/AvDecoder.h).
//
// Handles are pointers owned by the layer: every Create has its Destroy. Paths are UTF-8, opened
// exactly as given. Nothing here throws or ends the process.
#pragma once

#include <cstddef>
#include <cstdint>

// The picture block of a parameter block.
struct QV_VideoParams {
  int32_t width;        // 0: pixels
  int32_t height;       // 1
  int32_t pixelFormat;  // 2: FFmpeg AVPixelFormat (-1 unknown)
  int32_t bitRate;      // 3: bits per second, 0 when unknown
  int32_t codec;        // 4: 1 = Sorenson H.263 (the only picture codec of the encoder)
  int32_t frameRate;    // 5: whole frames per second (decoder: rounded, 0 unknown)
  int32_t quality;      // 6: encoder quantiser 1 (best) .. 31; 0 = the encoder's default (4)
};

// The sound block of a parameter block.
struct QV_AudioParams {
  int32_t sampleRate;    // 0: samples per second
  int32_t bitRate;       // 1: bits per second, 0 when unknown
  int32_t channels;      // 2
  int32_t frameSize;     // 3: samples the encoder takes at a time (read back only)
  int32_t sampleFormat;  // 4: FFmpeg AVSampleFormat (-1 unknown)
  int32_t reserved;      // 5
  int32_t codec;         // 6: 0 = MP3 (the only sound codec of the encoder)
};

// A parameter block as the conversion worker fills it: zero it, let the decoder fill it, copy it
// for the encoder and read back what the encoder accepted.
struct QV_MediaParams {
  uint8_t reserved0[4];
  uint8_t hasVideo;        // byte 4
  uint8_t hasAudio;        // byte 5
  uint8_t hasDuration;     // byte 6: the duration is known
  uint8_t reserved1;
  QV_VideoParams video;    // byte 8
  QV_AudioParams audio;    // byte 36
  int32_t extra[7];        // byte 64: unused, kept zero
  uint8_t reserved2[268];
  int64_t duration;        // byte 360: milliseconds
  uint8_t reserved3[16];
};
static_assert(sizeof(QV_VideoParams) == 28 && sizeof(QV_AudioParams) == 28);
static_assert(offsetof(QV_MediaParams, video) == 8 && offsetof(QV_MediaParams, audio) == 36 &&
              offsetof(QV_MediaParams, extra) == 64 && offsetof(QV_MediaParams, duration) == 360 &&
              sizeof(QV_MediaParams) == 384);

struct QV_Decoder;
struct QV_Encoder;
struct QV_VideoScaler;
struct QV_AudioScaler;
struct QV_Frame;  // a decoded picture or piece of sound, valid during the callback only

enum QV_FrameKind { QV_FRAME_AUDIO = 0, QV_FRAME_VIDEO = 1, QV_FRAME_OTHER = 2 };

// Called for every decoded frame in file order, then exactly once with a null frame when the
// source ends, also after an error.
using QV_DecodeCallback = int (*)(void* context, QV_Frame* frame, int kind);

// 0: ready. Nothing to set up for FFmpeg; kept so a caller can pair it with QV_MediaLibDeinit.
int QV_MediaLibInitial();
void QV_MediaLibDeinit();

// Opens a clip and its best picture and sound streams; null when it cannot be opened or has
// neither. `mode` and `flags` are accepted for the caller's sake and not used.
QV_Decoder* QV_CreateDecoder(int mode, int flags, const char* path);
void QV_DestroyDecoder(QV_Decoder* decoder);
// Fills the block with what the clip holds; 0 on success, < 0 for a null handle or block.
int QV_GetDecoderParams(QV_Decoder* decoder, QV_MediaParams* params);
// Decodes only frames from `start` to `end` (milliseconds); end <= 0 means to the end.
int QV_SetDecoderTimeLimit(QV_Decoder* decoder, int64_t start, int64_t end);
// Decodes the clip, calling back for every frame and once with null at the end (on every path,
// also when the handle is null or decoding fails). 0 when the whole window was decoded, < 0 on
// an error.
int QV_DecodeFile(QV_Decoder* decoder, QV_DecodeCallback callback, void* context, int reserved, int mode);

// Creates the FLV file at `path` (replaced if it exists); null when it cannot be created.
QV_Encoder* QV_CreateEncoder(int mode, int flags, const char* path, int reserved);
// Takes the wanted streams (a stream is added when its has-flag is set and its block has a size
// or rate), adjusts what FLV cannot carry (even picture sizes of at most 4096, 4:2:0 pictures,
// 20 frames a second unless another rate is given, MP3 at 44100, 22050 or 11025 Hz, one or two
// channels) and writes the file header. < 0 when nothing can be encoded or the file cannot be
// written; the accepted values are read back with QV_GetEncoderParams.
int QV_SetEncoderParams(QV_Encoder* encoder, const QV_MediaParams* params);
int QV_GetEncoderParams(QV_Encoder* encoder, QV_MediaParams* params);
// Encodes one frame: pictures are placed on the constant frame rate by their times (frames
// dropped or repeated), sound is gathered into the encoder's frame size. A frame whose layout is
// not the accepted one is converted (pictures) or refused (sound, < 0). Kind 2 is ignored. `out`
// and `reserved` are not used.
int QV_EncodeFrame(QV_Encoder* encoder, QV_Frame* frame, void* out, int reserved, int kind);
// Flushes both encoders, writes the file's end and closes it. A file into which nothing could
// be encoded is removed. Returns 0 when the file is complete, < 0 otherwise (the handle is
// freed either way; null is ignored).
int QV_DestroyEncoder(QV_Encoder* encoder);

// Scalers from the source's block to the accepted one (blocks by value, source first). Null when
// either side has no stream (a zero size or rate); the caller then encodes frames as they are.
QV_VideoScaler* QV_CreateVideoScale(QV_VideoParams source, QV_VideoParams target);
QV_AudioScaler* QV_CreateAudioScale(QV_AudioParams source, QV_AudioParams target);
// Converts the frame in place; > 0 when it holds the converted frame, 0 when it is to be dropped
// (sound kept back by the resampler), < 0 on an error.
int QV_VideoScaleFrame(QV_VideoScaler* scaler, QV_Frame* frame);
int QV_AudioScaleFrame(QV_AudioScaler* scaler, QV_Frame* frame);
void QV_DestroyVideoScale(QV_VideoScaler* scaler);
void QV_DestroyAudioScale(QV_AudioScaler* scaler);
