// Page movie, clip "objects": knows how many video clips the page holds ("video1" .. "videoN")
// and, on a click, toggles the one under the mouse.
var videoCount = 0;
var pageObjects = this;

function videoTotal(count) {
  videoCount = count;
}

// Returns 1 when a video lay under the mouse (and was toggled), 0 otherwise.
function ctrlVideoObjs() {
  var mx = pageObjects._xmouse;
  var my = pageObjects._ymouse;
  var result = 0;
  for (var m = 1; m <= videoCount; m++) {
    var clip = pageObjects["video" + m];
    if (clip == undefined) continue;
    var x = mx - clip._x;
    var y = my - clip._y;
    if (x > 0 && y > 0 && x < clip._width && y < clip._height) {
      clip.togglePlaying();
      result = 1;
    }
  }
  return result;
}

this._lockroot = true;
