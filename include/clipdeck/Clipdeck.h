// Clipdeck: video file overview (poster frame and properties) and in-place playback, over FFmpeg.
//
// Paths are UTF-8 of any length, opened exactly as given.
//
// Playback contract: AVPlayerOpen starts a player thread that decodes the clip and paces its
// pictures by their timestamps in real time. From that thread it calls the sink's SetVideoSize
// before the first RenderFrame and whenever the picture size changes, then RenderFrame once a
// picture with planar 4:2:0 data whose chroma stride is exactly half the luma stride. Sound goes
// to the audio renderer. At the end of the clip the thread stops delivering; AVPlayerClose stops
// the thread (waiting for it) and releases the sink and the audio renderer.
#pragma once

#include <windows.h>

#include <cstdint>

#include "reelpane/IReelpane.h"
#include "soundpane/Soundpane.h"

struct AVOverview;
struct AVPlayer;
typedef AVOverview* HAVOVERVIEW;
typedef AVPlayer* HAVPLAYER;

// Request flags of avOverviewInfo.
enum {
  AVOVERVIEW_PROPERTIES = 2,  // fill the picture and sound properties
  AVOVERVIEW_POSTER = 4,      // make a poster bitmap
};

struct avOverviewInfo {
  int requestFlags = 0;         // in: AVOVERVIEW_* bits
  HBITMAP poster = nullptr;     // out with AVOVERVIEW_POSTER: a bottom-up 24-bit DIB section of the
                                // frame, owned by the caller (DeleteObject)
  double duration = 0.0;        // out, always: the clip's length in seconds (0 when unknown)
  double frameTime = 0.0;       // out with AVOVERVIEW_POSTER: time of the poster frame in seconds
  int hasVideo = 0;             // out with AVOVERVIEW_PROPERTIES (this and the fields below)
  int width = 0;
  int height = 0;
  double frameRate = 0.0;
  int64_t bitRate = 0;
  int hasAudio = 0;
  int sampleRate = 0;
  int channels = 0;
};

// Null when the file cannot be opened or holds neither pictures nor sound.
HAVOVERVIEW AVOverviewOpen(const char* path);
// `time` below 0 asks for the first picture, otherwise the first picture at or after `time`
// seconds. False when the handle or info is null or a requested poster cannot be made; a failed
// request leaves info->poster null. The two integers are reserved.
bool AVGetOverviewInfo(HAVOVERVIEW overview, avOverviewInfo* info, double time, int reserved1, int reserved2);
void AVOverviewClose(HAVOVERVIEW overview);

// The player takes ownership of the sink and the audio renderer (may be null) at once, also when
// it fails: they are then released before the null result returns.
HAVPLAYER AVPlayerOpen(const char* path, IReelpane* sink, IAudioRender* audio);
// Attaches the sink to the window (sink->Attach(window, 0)); false for a null player.
bool AVPlayerSetRenderWindow(HAVPLAYER player, HWND window);
void AVPlayerClose(HAVPLAYER player);
