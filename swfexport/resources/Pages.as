// The page loader of the flip-book viewer: loads the page movies, a few at a time, in the order
// the viewer asks for (the pages around the one shown first), each into a clip of its own.
// loadFlipPages(holder, urls, onPage, onDone, pick, target):
//   onPage(index, clip) after a movie has loaded and run its first frame (clip null when it could
//   not be loaded); onDone() after the last one;
//   pick(started) returns the index of the page to load next (started[i] is true for pages asked
//   for already), or -1 when none is wanted now; without pick the pages load in order;
//   target(index) returns the clip to load page index into; without it the loader makes
//   "page<index>" at depth 100 + index in holder, hidden until the viewer shows it.
// The returned object's wake(urgent) starts loads again after pick returned -1; with urgent true it
// starts the next two pages pick names at once, beside the loads already running (a far jump).
function loadFlipPages(holder, urls, onPage, onDone, pick, target) {
  var slots = 3;
  var busy = 0;
  var finished = 0;
  var started = [];
  var byPath = new Object();
  var loader = new MovieClipLoader();
  var listener = new Object();
  var control = new Object();

  var nextIndex = function () {
    if (pick != undefined && pick != null) return pick(started);
    for (var i = 0; i < urls.length; i++) {
      if (started[i] != true) return i;
    }
    return -1;
  };

  // Starts the page pick names; false when there is none.
  var startOne = function () {
    var i = nextIndex();
    if (i < 0 || i >= urls.length || started[i] == true) return false;
    started[i] = true;
    busy++;
    var clip;
    if (target != undefined && target != null) {
      clip = target(i);
    } else {
      clip = holder.createEmptyMovieClip("page" + i, 100 + i);
      clip._visible = false;
    }
    byPath[String(clip)] = i;
    loader.loadClip(urls[i], clip);
    return true;
  };

  var fill = function () {
    while (busy < slots) {
      if (!startOne()) break;
    }
    if (busy == 0 && finished >= urls.length && onDone != undefined && onDone != null) {
      var done = onDone;
      onDone = null;
      done();
    }
  };

  var arrived = function (clip, ok) {
    var i = byPath[String(clip)];
    if (i == undefined) return;
    delete byPath[String(clip)];
    busy--;
    finished++;
    if (ok) clip._lockroot = true;
    if (onPage != undefined && onPage != null) onPage(i, ok ? clip : null);
    fill();
  };

  listener.onLoadInit = function (clip) {
    arrived(clip, true);
  };
  listener.onLoadError = function (clip, code) {
    arrived(clip, false);
  };
  loader.addListener(listener);

  control.wake = function (urgent) {
    if (urgent == true) {
      if (startOne()) startOne();
    }
    fill();
  };
  fill();
  return control;
}
var flipPagesReady = true;
