// Page movie, one video clip: plays "../videos/videosNNN.flv" (relative to the page movie) into
// the video stream "avStream". The clip starts paused on its first picture; togglePlaying()
// pauses or resumes it, and at its end it goes back to the start, paused.
var nc = new NetConnection();
var ns = null;
var snd = null;
var duration = 0;
var path = "";
var playing = false;
var showingFirst = false;
var videoClip = this;

function main(str) {
  path = str;
  nc.connect(null);
  ns = new NetStream(nc);
  ns.setBufferTime(0.5);
  ns.onMetaData = function (info) {
    if (info.duration != undefined) duration = info.duration;
  };
  ns.onStatus = function (info) {
    // Paused at once the stream shows no picture: let the first picture arrive, then stop on it.
    if (showingFirst && (info.code == "NetStream.Buffer.Full" || info.code == "NetStream.Play.Start")) {
      showingFirst = false;
      if (!playing) {
        ns.pause(true);
        ns.seek(0);
      }
    }
    if (info.code == "NetStream.Play.Stop") {
      playing = false;
      ns.pause(true);
      ns.seek(0);
    }
  };
  videoClip.avStream.attachVideo(ns);
  videoClip.createEmptyMovieClip("flv_mc", 10);
  videoClip.flv_mc.attachAudio(ns);
  snd = new Sound(videoClip.flv_mc);
  showingFirst = true;
  playing = false;
  ns.play(path);
}

function togglePlaying() {
  if (ns == null) return false;
  showingFirst = false;
  playing = !playing;
  ns.pause(!playing);
  return playing;
}
