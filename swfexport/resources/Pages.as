// The page loader of the flip-book viewer: loads the page movies one after another into clips
// of a holder (depth 100 + index), each hidden until the viewer shows it.
// loadFlipPages(holder, urls, onPage, onDone): onPage(index, clip) after each movie has loaded
// and run its first frame (clip null when it could not be loaded); onDone() after the last.
function loadFlipPages(holder, urls, onPage, onDone) {
  var index = 0;
  var loader = new MovieClipLoader();
  var listener = new Object();
  var next = function () {
    if (index >= urls.length) {
      if (onDone != undefined) onDone();
      return;
    }
    var clip = holder.createEmptyMovieClip("page" + index, 100 + index);
    clip._visible = false;
    loader.loadClip(urls[index], clip);
  };
  listener.onLoadInit = function (target) {
    target._lockroot = true;
    var i = index;
    index++;
    if (onPage != undefined) onPage(i, target);
    next();
  };
  listener.onLoadError = function (target, code) {
    var i = index;
    index++;
    if (onPage != undefined) onPage(i, null);
    next();
  };
  loader.addListener(listener);
  next();
}
var flipPagesReady = true;
