// Page movie, one video clip: plays "../videos/videosNNN.flv" into the video stream "avStream".
// The clip starts paused on its first picture (muted until then); togglePlaying() pauses or
// resumes it, and at its end it goes back to its first picture, paused.
var nc = new NetConnection();
var ns = null;
var snd = null;
var duration = 0;
var path = "";
var playing = false;
var showingFirst = false;
var videoClip = this;

// A stream paused before its first picture shows nothing: let it run (silent) until a picture
// is in, then pause it there.
function showFirstPicture() {
  showingFirst = true;
  if (snd != null) snd.setVolume(0);
  videoClip.onEnterFrame = function () {
    if (!showingFirst) {
      delete videoClip.onEnterFrame;
      return;
    }
    if (ns.time > 0) {
      showingFirst = false;
      delete videoClip.onEnterFrame;
      if (!playing) ns.pause(true);
      if (snd != null) snd.setVolume(100);
    }
  };
}

function main(str) {
  path = str;
  nc.connect(null);
  ns = new NetStream(nc);
  ns.setBufferTime(0.5);
  ns.onMetaData = function (info) {
    if (info.duration != undefined) duration = info.duration;
  };
  ns.onStatus = function (info) {
    if (info.code == "NetStream.Play.Stop") {
      playing = false;
      showFirstPicture();
      ns.play(path);
    }
  };
  videoClip.avStream.attachVideo(ns);
  videoClip.createEmptyMovieClip("flv_mc", 10);
  videoClip.flv_mc.attachAudio(ns);
  snd = new Sound(videoClip.flv_mc);
  playing = false;
  showFirstPicture();
  ns.play(path);
}

function togglePlaying() {
  if (ns == null) return false;
  if (showingFirst) {
    showingFirst = false;
    if (snd != null) snd.setVolume(100);
  }
  playing = !playing;
  ns.pause(!playing);
  return playing;
}
