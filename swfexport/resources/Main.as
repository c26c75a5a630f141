// The flip-book viewer. Reads xml/Pages.xml (stage size and colours in the "content" element,
// one "page" element per page movie) and txt/Lang.txt (the interface texts, URL-encoded), loads
// the page loader swf/Pages.swf and through it the page movies, the pages around the one shown
// first, and shows them as a book: each page on a white sheet with an edge and a soft shadow, two
// facing pages when the window is wide enough (the front cover alone on the right, the back
// cover alone on the left), one page otherwise. A page turns by a fold that follows the pointer
// from a page's outer edge, or that runs by itself on a button or a key. A page not loaded yet
// shows a turning wheel. A panel holds front cover / previous / next / back cover, the counter,
// zoom in / out, fit to page or actual size, and full screen; the arrow, Page, Home and End keys
// turn pages; a click on a page asks the page movie to toggle the video under the mouse
// (ctrlVideoObjs). Page changes, the counter and the panel's layout are traced for checks.
Stage.scaleMode = "noScale";
Stage.align = "TL";

var conf = {width: 595, height: 842, bgcolor: 0xcccccc, loadercolor: 0xffffff, panelcolor: 0x5d5d61,
            buttoncolor: 0x5d5d61, textcolor: 0xffffff};
var lang = {langButFrontCover: "front cover", langButPrevPage: "previous", langButNextPage: "next",
            langButBackCover: "back cover", langButZoomIn: "zoom in", langButZoomOut: "zoom out",
            langButFitToPage: "fit to page", langButActualSize: "actual size",
            langButGoFullScreen: "full screen", langButExitFullScreen: "exit full screen",
            langCreatingPages: "Creating pages..."};
var pageUrls = [];
var pageCount = 0;
var views = [];
var loadState = [];
var blankView = null;
var pageLoader = null;

var spreadMode = false;
var current = 0;
var fitMode = true;
var scale = 1;
var fitScale = 1;
var turning = false;
var dragging = false;
var turn = null;
var pendingTarget = -1;
var lastCounter = "";

var xmlReady = false;
var langReady = false;
var loaderReady = false;
var started = false;
var panelHeight = 40;
var margin = 16;
var shadowSize = 8;
var buttons = [];
var labelSize = 12;
var viewer = this;

// ---- text and drawing helpers --------------------------------------------------------------------

// Removes spaces, tabs, CR and LF at both ends (the language file's lines end in CR LF).
function trimText(s) {
  if (s == undefined) return "";
  s = String(s);
  var a = 0;
  var b = s.length;
  while (a < b && s.charCodeAt(a) <= 32) a++;
  while (b > a && s.charCodeAt(b - 1) <= 32) b--;
  return s.substring(a, b);
}

function hexColor(s, fallback) {
  if (s == undefined) return fallback;
  var v = parseInt(trimText(s), 16);
  if (isNaN(v)) return fallback;
  return v;
}

function text(key) {
  var v = lang[key];
  if (v == undefined || v == "") return key;
  return v;
}

function labelFormat(size, color, align) {
  var fmt = new TextFormat();
  fmt.font = "_sans";
  fmt.size = size;
  fmt.color = color;
  fmt.align = align;
  return fmt;
}

// Labels come from the movie's "flipLabel" clip, whose field starts in the player's sans-serif face
// (a field made by createTextField starts in a face the player may lack, and says so); the format
// is set before the text. Without that clip, createTextField stands in.
function makeLabel(clip, name, depth, x, y, w, h, s, size, color, align) {
  var tf;
  var holder = clip.attachMovie("flipLabel", name + "_mc", depth);
  if (holder != undefined && holder.label_txt != undefined) {
    holder._x = x;
    holder._y = y;
    tf = holder.label_txt;
    tf._width = w;
    tf._height = h;
  } else {
    clip.createTextField(name + "_tf", depth, x, y, w, h);
    tf = clip[name + "_tf"];
  }
  clip[name] = tf;
  tf.selectable = false;
  setLabel(tf, s, size, color, align);
  return tf;
}

function setLabel(tf, s, size, color, align) {
  var fmt = labelFormat(size, color, align);
  tf.setNewTextFormat(fmt);
  tf.text = s;
  tf.setTextFormat(fmt);
}

function fillRect(clip, x, y, w, h, color, alpha) {
  clip.beginFill(color, alpha);
  clip.moveTo(x, y);
  clip.lineTo(x + w, y);
  clip.lineTo(x + w, y + h);
  clip.lineTo(x, y + h);
  clip.lineTo(x, y);
  clip.endFill();
}

function fillPoly(clip, pts, color, alpha) {
  if (pts.length < 3) return;
  clip.beginFill(color, alpha);
  clip.moveTo(pts[0].x, pts[0].y);
  for (var i = 1; i < pts.length; i++) clip.lineTo(pts[i].x, pts[i].y);
  clip.lineTo(pts[0].x, pts[0].y);
  clip.endFill();
}

function fillCircle(clip, cx, cy, r, color, alpha) {
  clip.beginFill(color, alpha);
  clip.moveTo(cx + r, cy);
  var k = Math.tan(Math.PI / 8);
  for (var i = 1; i <= 8; i++) {
    var a = i * Math.PI / 4;
    var m = a - Math.PI / 8;
    clip.curveTo(cx + Math.cos(m) * r / Math.cos(Math.PI / 8), cy + Math.sin(m) * r / Math.cos(Math.PI / 8),
                 cx + Math.cos(a) * r, cy + Math.sin(a) * r);
  }
  clip.endFill();
}

// A strip from x0 to x1 (and far up and down) whose black fades from alpha a0 to a1.
function fadeStrip(clip, x0, x1, a0, a1) {
  var reach = 4 * (conf.width + conf.height);
  var lo = Math.min(x0, x1);
  var w = Math.max(0.01, Math.abs(x1 - x0));
  var alphas = x0 < x1 ? [a0, a1] : [a1, a0];
  clip.beginGradientFill("linear", [0x000000, 0x000000], alphas, [0, 255],
                         {matrixType: "box", x: lo, y: -reach, w: w, h: 2 * reach, r: 0});
  clip.moveTo(lo, -reach);
  clip.lineTo(lo + w, -reach);
  clip.lineTo(lo + w, reach);
  clip.lineTo(lo, reach);
  clip.lineTo(lo, -reach);
  clip.endFill();
}

// ---- the book's geometry -------------------------------------------------------------------------
// Pages sit in slots; in a spread, slot 2k - 1 is on the left and 2k on the right. A book of an odd
// number of pages (three or more) gets a blank page before its back cover, so the back cover is
// always alone on the left.

function slotCount() {
  if (pageCount > 2 && pageCount % 2 == 1) return pageCount + 1;
  return pageCount;
}

// The page in slot s: its index, -1 for the blank page, -2 for none.
function slotPage(s) {
  var m = slotCount();
  if (s < 0 || s >= m) return -2;
  if (m != pageCount) {
    if (s == m - 2) return -1;
    if (s == m - 1) return pageCount - 1;
  }
  return s;
}

function spreadTotal() {
  if (pageCount == 0) return 0;
  if (!spreadMode) return pageCount;
  return Math.floor(slotCount() / 2) + 1;
}

function leftOf(k) {
  if (!spreadMode) return -2;
  return slotPage(2 * k - 1);
}

function rightOf(k) {
  if (!spreadMode) return k >= 0 && k < pageCount ? k : -2;
  return slotPage(2 * k);
}

function spreadOfPage(p) {
  if (!spreadMode) return p;
  var s = p;
  if (slotCount() != pageCount && p == pageCount - 1) s = p + 1;
  return Math.floor((s + 1) / 2);
}

// The first page shown in spread k.
function firstPageOf(k) {
  var l = leftOf(k);
  if (l >= 0) return l;
  var r = rightOf(k);
  if (r >= 0) return r;
  return 0;
}

// The spread shown, or the one being turned to.
function shownSpread() {
  if (turning && turn != null && turn.toSpread >= 0) return turn.toSpread;
  return current;
}

// ---- page views ----------------------------------------------------------------------------------
// A view is a sheet (soft shadow, white paper, edge) holding the page movie, the shading of the
// fold near the spine and, until the movie is in, a turning wheel.

function drawSheet(v) {
  var w = conf.width;
  var h = conf.height;
  v.clear();
  for (var i = shadowSize; i >= 1; i--) fillRect(v, -i + 1, -i + 3, w + 2 * i - 2, h + 2 * i - 3, 0x000000, 3);
  v.lineStyle(0, 0x9a9a9a, 100);
  fillRect(v, 0, 0, w, h, 0xffffff, 100);
  v.lineStyle();
}

function makeGutter(v) {
  var w = conf.width;
  var h = conf.height;
  var g = v.createEmptyMovieClip("gutter_mc", 2);
  var gw = w * 0.08;
  var l = g.createEmptyMovieClip("l_mc", 1);
  l.beginGradientFill("linear", [0x000000, 0x000000], [24, 0], [0, 255], {matrixType: "box", x: 0, y: 0, w: gw, h: h, r: 0});
  l.moveTo(0, 0);
  l.lineTo(gw, 0);
  l.lineTo(gw, h);
  l.lineTo(0, h);
  l.lineTo(0, 0);
  l.endFill();
  var r = g.createEmptyMovieClip("r_mc", 2);
  r.beginGradientFill("linear", [0x000000, 0x000000], [0, 24], [0, 255], {matrixType: "box", x: w - gw, y: 0, w: gw, h: h, r: 0});
  r.moveTo(w - gw, 0);
  r.lineTo(w, 0);
  r.lineTo(w, h);
  r.lineTo(w - gw, h);
  r.lineTo(w - gw, 0);
  r.endFill();
  l._visible = false;
  r._visible = false;
}

function makeWheel(v) {
  var s = v.createEmptyMovieClip("wheel_mc", 3);
  var r = Math.min(conf.width, conf.height) * 0.045;
  for (var i = 0; i < 8; i++) {
    var a = i * Math.PI / 4;
    fillCircle(s, Math.cos(a) * r, Math.sin(a) * r, r * 0.24, 0x5d5d61, 15 + i * 12);
  }
  s._x = conf.width / 2;
  s._y = conf.height / 2;
}

function pageView(p) {
  var v = views[p];
  if (v != undefined) return v;
  var holder = book_mc.pages_mc;
  v = holder.createEmptyMovieClip("v" + p, 1000 + p);
  v.home = 1000 + p;
  drawSheet(v);
  v.createEmptyMovieClip("movie_mc", 1);
  makeGutter(v);
  if (loadState[p] == undefined) makeWheel(v);
  v._visible = false;
  views[p] = v;
  return v;
}

function viewFor(p) {
  if (p >= 0) return pageView(p);
  if (p == -1) {
    if (blankView == null) {
      blankView = book_mc.pages_mc.createEmptyMovieClip("blank_mc", 999);
      blankView.home = 999;
      drawSheet(blankView);
      makeGutter(blankView);
      blankView._visible = false;
    }
    return blankView;
  }
  return null;
}

// ---- roles: which view lies where ----------------------------------------------------------------
// 0 the page on the left, 1 the page on the right under a turning leaf, 2 the turning leaf's front,
// 3 its back. Each role has its own depth and mask; views rest at their own depth when unused.

var roleDepth = [10, 11, 13, 14];
var roleClip = [null, null, null, null];
var masks = [];

function assignRoles(list) {
  var r;
  var c;
  for (r = 0; r < 4; r++) {
    c = roleClip[r];
    if (c != null) {
      c.setMask(null);
      c._visible = false;
      c._rotation = 0;
      c.gutter_mc.l_mc._visible = false;
      c.gutter_mc.r_mc._visible = false;
      c.swapDepths(c.home);
      roleClip[r] = null;
    }
  }
  for (r = 0; r < 4; r++) {
    c = list[r];
    if (c == null || c == undefined) continue;
    c.swapDepths(roleDepth[r]);
    c._visible = true;
    c._x = 0;
    c._y = 0;
    if (spreadMode) {
      if (r == 0 || r == 3) c.gutter_mc.r_mc._visible = true;
      else c.gutter_mc.l_mc._visible = true;
    }
    c.setMask(masks[r]);
    roleClip[r] = c;
  }
  if (roleClip[0] != null) roleClip[0]._x = -conf.width;
  // A mask that masks nothing would be drawn: those of unused roles stay empty.
  for (r = 0; r < 4; r++) masks[r].clear();
  masks[4].clear();
  masks[5].clear();
  book_mc.pages_mc.nshade_mc._visible = false;
  book_mc.pages_mc.bshade_mc._visible = false;
}

function rectMask(r, x) {
  var s = shadowSize;
  var m = masks[r];
  m.clear();
  if (roleClip[r] == null) return;
  fillRect(m, x - s, -s, conf.width + 2 * s, conf.height + 2 * s, 0x000000, 100);
}

// Spread (or page) k lying open.
function showStatic(k) {
  lastReady = "";
  assignRoles([viewFor(leftOf(k)), viewFor(rightOf(k)), null, null]);
  rectMask(0, -conf.width);
  rectMask(1, 0);
  trace("flip-book shows " + pagesText(k) + " of " + pageCount);
  reportReady();
}

// Traces once that the spread lying open has all its page movies in.
var lastReady = "";
function reportReady() {
  if (turning || dragging || pageCount == 0) return;
  var l = leftOf(current);
  var r = rightOf(current);
  if ((l >= 0 && loadState[l] == undefined) || (r >= 0 && loadState[r] == undefined)) return;
  var s = pagesText(current);
  if (s == lastReady) return;
  lastReady = s;
  trace("flip-book ready " + s);
}

// A leaf between spreads lo and hi (lo < hi): its front is the right page of lo, its back the left
// page of hi; the left page of lo and the right page of hi lie under it. Alone, a page's leaf has
// a plain paper back.
function arrangeTurn(lo, hi) {
  if (spreadMode) {
    assignRoles([viewFor(leftOf(lo)), viewFor(rightOf(hi)), viewFor(rightOf(lo)), viewFor(leftOf(hi))]);
  } else {
    assignRoles([null, viewFor(hi), viewFor(lo), viewFor(-1)]);
  }
  rectMask(0, -conf.width);
  rectMask(1, 0);
}

// Keeps the points X of a polygon with sign * ((X - m) . d) >= 0.
function clipPoly(pts, mx, my, dx, dy, sign) {
  var out = [];
  var n = pts.length;
  for (var i = 0; i < n; i++) {
    var a = pts[i];
    var b = pts[(i + 1) % n];
    var da = sign * ((a.x - mx) * dx + (a.y - my) * dy);
    var db = sign * ((b.x - mx) * dx + (b.y - my) * dy);
    if (da >= 0) out.push(a);
    if ((da >= 0) != (db >= 0)) {
      var t = da / (da - db);
      out.push({x: a.x + (b.x - a.x) * t, y: a.y + (b.y - a.y) * t});
    }
  }
  return out;
}

// Keeps the corner of the leaf where paper can reach: no farther from the spine's foot (or head)
// than the page is wide, and no farther from the other end than the page's diagonal.
function constrainCorner(p, cy) {
  var w = conf.width;
  var h = conf.height;
  var near = cy;
  var far = h - cy;
  var dx = p.x;
  var dy = p.y - near;
  var d = Math.sqrt(dx * dx + dy * dy);
  if (d > w) {
    p.x = dx * w / d;
    p.y = near + dy * w / d;
  }
  var diag = Math.sqrt(w * w + h * h);
  dx = p.x;
  dy = p.y - far;
  d = Math.sqrt(dx * dx + dy * dy);
  if (d > diag) {
    p.x = dx * diag / d;
    p.y = far + dy * diag / d;
  }
  return p;
}

// Draws the turning leaf whose corner (w, cy) has been brought to p: the fold is the line half way
// between the corner and p, at right angles to them; what lies beyond it is turned over onto the
// near side, the back of the leaf showing.
function drawTurn(px, py, cy) {
  var w = conf.width;
  var h = conf.height;
  var p = constrainCorner({x: px, y: py}, cy);
  var dx = w - p.x;
  var dy = cy - p.y;
  var len = Math.sqrt(dx * dx + dy * dy);
  var front = masks[2];
  var back = masks[3];
  var nmask = masks[4];
  var bmask = masks[5];
  var nshade = book_mc.pages_mc.nshade_mc;
  var bshade = book_mc.pages_mc.bshade_mc;
  front.clear();
  back.clear();
  nmask.clear();
  bmask.clear();
  if (len < 0.01) {
    fillRect(front, -shadowSize, -shadowSize, w + 2 * shadowSize, h + 2 * shadowSize, 0x000000, 100);
    nshade._visible = false;
    bshade._visible = false;
    return;
  }
  dx /= len;
  dy /= len;
  var mx = (w + p.x) / 2;
  var my = (cy + p.y) / 2;
  var page = [{x: 0, y: 0}, {x: w, y: 0}, {x: w, y: h}, {x: 0, y: h}];
  var kept = clipPoly(page, mx, my, dx, dy, -1);
  var folded = clipPoly(page, mx, my, dx, dy, 1);
  var turned = [];
  for (var i = 0; i < folded.length; i++) {
    var q = folded[i];
    var k = 2 * ((q.x - mx) * dx + (q.y - my) * dy);
    turned.push({x: q.x - k * dx, y: q.y - k * dy});
  }
  if (!spreadMode) {
    turned = clipPoly(turned, 0, 0, 1, 0, 1);
    turned = clipPoly(turned, w, 0, 1, 0, -1);
  }
  fillPoly(front, kept, 0x000000, 100);
  fillPoly(back, turned, 0x000000, 100);
  fillPoly(nmask, folded, 0x000000, 100);
  fillPoly(bmask, turned, 0x000000, 100);

  // The back: its page's point (u, v) lies at the mirror image of (w - u, v) across the fold.
  var leaf = roleClip[3];
  if (leaf != null) {
    var ko = 2 * ((w - mx) * dx + (0 - my) * dy);
    leaf._x = w - ko * dx;
    leaf._y = -ko * dy;
    leaf._rotation = Math.atan2(2 * dx * dy, -1 + 2 * dx * dx) * 180 / Math.PI;
  }

  // The leaf's shadow on the page under it, and the curve of the paper along the fold.
  var angle = Math.atan2(dy, dx) * 180 / Math.PI;
  var done = Math.max(0, Math.min(1, (w - p.x) / (2 * w)));
  var width = Math.min(w * 0.18, len * 0.35);
  nshade.clear();
  fadeStrip(nshade, 0, width, 45, 0);
  nshade._x = mx;
  nshade._y = my;
  nshade._rotation = angle;
  nshade._alpha = 100 * Math.min(1, 3 * (1 - done));
  nshade._visible = true;
  bshade.clear();
  fadeStrip(bshade, 0, -width * 0.8, 30, 0);
  bshade._x = mx;
  bshade._y = my;
  bshade._rotation = angle;
  bshade._visible = true;
}

// ---- turning -------------------------------------------------------------------------------------

function startTurn(lo, hi, cy, toSpread) {
  turn = {lo: lo, hi: hi, cy: cy, toSpread: toSpread, x: 0, y: 0, x0: 0, y0: 0, x1: 0, y1: 0, start: 0,
          duration: 1, end: current};
  turning = true;
  arrangeTurn(lo, hi);
}

// Runs the leaf's corner from where it is to (x1, cy), then shows spread end.
function runTurn(x1, end) {
  var w = conf.width;
  turn.x0 = turn.x;
  turn.y0 = turn.y;
  turn.x1 = x1;
  turn.y1 = turn.cy;
  turn.end = end;
  var way = Math.abs(x1 - turn.x) / (2 * w);
  turn.start = getTimer();
  turn.duration = Math.max(120, 420 * Math.sqrt(way));
  ticker_mc.onEnterFrame = turnFrame;
}

// The leaf moves by the clock, not by frames, so a slow player turns it as fast.
function turnFrame() {
  var t = Math.min(1, (getTimer() - turn.start) / turn.duration);
  var e = t * t * (3 - 2 * t);
  var lift = Math.sin(Math.PI * e) * conf.height * 0.1 * Math.abs(turn.x1 - turn.x0) / (2 * conf.width);
  turn.x = turn.x0 + (turn.x1 - turn.x0) * e;
  turn.y = turn.y0 + (turn.y1 - turn.y0) * e + (turn.cy > 0 ? -lift : lift);
  drawTurn(turn.x, turn.y, turn.cy);
  if (t >= 1) finishTurn();
}

function finishTurn() {
  delete ticker_mc.onEnterFrame;
  current = turn.end;
  turning = false;
  turn = null;
  showStatic(current);
  updateButtons();
  focusLoading();
  if (pendingTarget >= 0) {
    var k = pendingTarget;
    pendingTarget = -1;
    goToSpread(k);
  }
}

function goToSpread(k) {
  var total = spreadTotal();
  if (total == 0) return;
  k = Math.max(0, Math.min(total - 1, k));
  if (turning || dragging) {
    if (k != shownSpread()) {
      pendingTarget = k;
      updateButtons(k);
      focusLoading(Math.abs(k - shownSpread()) > 1);
    }
    return;
  }
  if (k == current) return;
  // A jump of more than one leaf opens the book there at once.
  if (Math.abs(k - current) > 1) {
    current = k;
    updateButtons(k);
    focusLoading(true);
    showStatic(k);
    return;
  }
  var w = conf.width;
  var lo = Math.min(current, k);
  var hi = Math.max(current, k);
  startTurn(lo, hi, conf.height, k);
  turn.x = k > current ? w : -w;
  turn.y = conf.height;
  updateButtons(k);
  focusLoading(false);
  runTurn(k > current ? -w : w, k);
}

function goToPage(p) {
  goToSpread(spreadOfPage(p));
}

function nextSpread() {
  var k = pendingTarget >= 0 ? pendingTarget : shownSpread();
  goToSpread(k + 1);
}

function prevSpread() {
  var k = pendingTarget >= 0 ? pendingTarget : shownSpread();
  goToSpread(k - 1);
}

// A press on a page's outer edge takes the leaf by its corner; elsewhere it lets the page movie
// toggle the video under the mouse.
function pressBook() {
  if (turning || dragging || pageCount == 0) return;
  var w = conf.width;
  var h = conf.height;
  var mx = book_mc._xmouse;
  var my = book_mc._ymouse;
  var zone = w * 0.2;
  var cy = my < h / 2 ? 0 : h;
  var total = spreadTotal();
  var backEdge = spreadMode ? -w : 0;
  if (my >= 0 && my <= h && mx > w - zone && mx <= w && current < total - 1 && rightOf(current) != -2) {
    startTurn(current, current + 1, cy, -1);
    turn.dir = 1;
  } else if (my >= 0 && my <= h && mx >= backEdge && mx < backEdge + zone && current > 0 &&
             (!spreadMode || leftOf(current) != -2)) {
    startTurn(current - 1, current, cy, -1);
    turn.dir = -1;
  } else {
    var v = roleClip[mx < 0 ? 0 : 1];
    if (v == null) return;
    var clip = v.movie_mc;
    if (clip.objects != undefined && clip.objects.ctrlVideoObjs != undefined) {
      clip.objects.ctrlVideoObjs();
    } else if (clip.ctrlVideoObjs != undefined) {
      clip.ctrlVideoObjs();
    }
    return;
  }
  dragging = true;
  turn.pressX = _root._xmouse;
  turn.pressY = _root._ymouse;
  turn.mx0 = mx;
  dragFrame();
  ticker_mc.onEnterFrame = dragFrame;
}

// The corner follows the pointer; a single page's previous leaf comes in from beyond its left
// edge, twice as fast as the pointer moves, so the width of the page reaches across.
function dragFrame() {
  turn.x = book_mc._xmouse;
  turn.y = book_mc._ymouse;
  if (!spreadMode && turn.dir < 0) turn.x = -conf.width + 2 * (turn.x - turn.mx0);
  var p = constrainCorner({x: turn.x, y: turn.y}, turn.cy);
  turn.x = p.x;
  turn.y = p.y;
  drawTurn(turn.x, turn.y, turn.cy);
}

// Letting go: a click, or a leaf brought past the spine, turns the page; otherwise it falls back.
function releaseBook() {
  if (!dragging) return;
  dragging = false;
  delete ticker_mc.onEnterFrame;
  var w = conf.width;
  var moved = Math.abs(_root._xmouse - turn.pressX) + Math.abs(_root._ymouse - turn.pressY);
  var over;
  if (moved < 5) {
    over = true;
  } else if (turn.dir > 0) {
    over = turn.x < 0;
  } else {
    over = turn.x > 0;
  }
  var end;
  if (turn.dir > 0) {
    end = over ? turn.hi : turn.lo;
  } else {
    end = over ? turn.lo : turn.hi;
  }
  turn.toSpread = end;
  updateButtons(end);
  focusLoading();
  runTurn(end == turn.hi ? -w : w, end);
}

// ---- loading -------------------------------------------------------------------------------------

var pagesXml = new XML();
pagesXml.ignoreWhite = true;
pagesXml.onLoad = function (ok) {
  if (ok) {
    var root = pagesXml.firstChild;
    while (root != null && root.nodeName != "content") root = root.nextSibling;
    if (root != null) {
      var at = root.attributes;
      var w = Number(at.width);
      var h = Number(at.height);
      if (w > 0) conf.width = w;
      if (h > 0) conf.height = h;
      conf.bgcolor = hexColor(at.bgcolor, conf.bgcolor);
      conf.loadercolor = hexColor(at.loadercolor, conf.loadercolor);
      conf.panelcolor = hexColor(at.panelcolor, conf.panelcolor);
      conf.buttoncolor = hexColor(at.buttoncolor, conf.buttoncolor);
      conf.textcolor = hexColor(at.textcolor, conf.textcolor);
      for (var n = root.firstChild; n != null; n = n.nextSibling) {
        if (n.nodeName == "page" && n.attributes.src != undefined) pageUrls.push(n.attributes.src);
      }
    }
  }
  xmlReady = true;
  start();
};

var langVars = new LoadVars();
langVars.onLoad = function (ok) {
  if (ok) {
    for (var k in langVars) {
      if (typeof langVars[k] == "string") lang[trimText(k)] = trimText(langVars[k]);
    }
  }
  langReady = true;
  start();
};

viewer.createEmptyMovieClip("background_mc", 1);
viewer.createEmptyMovieClip("book_mc", 10);
viewer.createEmptyMovieClip("panel_mc", 20);
viewer.createEmptyMovieClip("loader_mc", 30);
viewer.createEmptyMovieClip("ticker_mc", 40);
viewer.createEmptyMovieClip("panner_mc", 41);
viewer.createEmptyMovieClip("wheels_mc", 42);
book_mc.createEmptyMovieClip("pages_mc", 1);
book_mc.pages_mc.createEmptyMovieClip("nshade_mc", 12);
book_mc.pages_mc.createEmptyMovieClip("bshade_mc", 15);
for (var mi = 0; mi < 6; mi++) masks.push(book_mc.createEmptyMovieClip("mask" + mi + "_mc", 20 + mi));
book_mc.pages_mc.nshade_mc.setMask(masks[4]);
book_mc.pages_mc.bshade_mc.setMask(masks[5]);
loader_mc._visible = false;

var pagesLoader = new MovieClipLoader();
var pagesListener = new Object();
pagesListener.onLoadInit = function (target) {
  loaderReady = true;
  start();
};
pagesListener.onLoadError = function (target, code) {
  loaderReady = true;
  start();
};
pagesLoader.addListener(pagesListener);

pagesXml.load("xml/Pages.xml");
langVars.load("txt/Lang.txt");
pagesLoader.loadClip("swf/Pages.swf", loader_mc);

// The page to load next: those of the spread shown (or turned to) first, then the nearest ones,
// forward before backward.
function pickPage(asked) {
  if (pageCount == 0) return -1;
  var k = shownSpread();
  if (pendingTarget >= 0) k = pendingTarget;
  var first = spreadMode ? Math.max(0, firstPageOf(k)) : k;
  for (var d = 0; d < pageCount; d++) {
    var a = first + d;
    if (a < pageCount && asked[a] != true) return a;
    var b = first - d - 1;
    if (b >= 0 && asked[b] != true) return b;
  }
  return -1;
}

function focusLoading(far) {
  if (pageLoader != null && pageLoader.wake != undefined) pageLoader.wake(far == true);
}

function pageArrived(index, clip) {
  loadState[index] = clip == null ? -1 : 1;
  var v = views[index];
  if (v != undefined && v.wheel_mc != undefined) v.wheel_mc.removeMovieClip();
  if (clip != null) {
    clip._x = 0;
    clip._y = 0;
  }
  reportReady();
}

// Runs once the page list, the texts and the page loader are in.
function start() {
  if (started || !xmlReady || !langReady || !loaderReady) return;
  started = true;
  pageCount = pageUrls.length;
  buildPanel();
  layout();
  if (pageCount == 0) return;
  showStatic(current);
  if (loader_mc.loadFlipPages != undefined) {
    pageLoader = loader_mc.loadFlipPages(book_mc.pages_mc, pageUrls, pageArrived, null, pickPage,
                                         function (i) { return pageView(i).movie_mc; });
  } else {
    // Without the page loader, load the movies here, all at once.
    var direct = new MovieClipLoader();
    var l = new Object();
    l.onLoadInit = function (target) {
      target._lockroot = true;
      pageArrived(Number(target._parent._name.substring(1)), target);
    };
    direct.addListener(l);
    for (var i = 0; i < pageCount; i++) direct.loadClip(pageUrls[i], pageView(i).movie_mc);
  }
  wheels_mc.onEnterFrame = turnWheels;
  updateButtons();
}

// The wheels of the pages in sight that are still loading turn by an eighth every other frame.
var wheelTick = 0;
function turnWheels() {
  wheelTick++;
  if (wheelTick % 2 != 0) return;
  for (var r = 0; r < 4; r++) {
    var c = roleClip[r];
    if (c != null && c.wheel_mc != undefined) c.wheel_mc._rotation = (c.wheel_mc._rotation + 45) % 360;
  }
}

// ---- panel and buttons ---------------------------------------------------------------------------

function makeButton(name, label, depth, action) {
  var b = panel_mc.createEmptyMovieClip(name, depth);
  b.action = action;
  b.label = label;
  b.enabledState = true;
  b.onPress = function () {
    if (this.enabledState) this.action();
  };
  buttons.push(b);
  return b;
}

// The colour t of the way from a to b (0..1), channel by channel.
function mixColor(a, b, t) {
  var r = Math.round(((a >> 16) & 255) * (1 - t) + ((b >> 16) & 255) * t);
  var g = Math.round(((a >> 8) & 255) * (1 - t) + ((b >> 8) & 255) * t);
  var bl = Math.round((a & 255) * (1 - t) + (b & 255) * t);
  return (r << 16) | (g << 8) | bl;
}

// An enabled button has a frame; a disabled one none, and its label a little dimmed (kept at
// 4.5:1 or more against the button with the default colours).
function drawButton(b) {
  var w = b.w;
  var h = b.h;
  if (w == undefined) return;
  b.clear();
  fillRect(b, 0, 0, w, h, conf.buttoncolor, 100);
  if (b.enabledState) {
    b.lineStyle(1, conf.textcolor, 60);
    b.moveTo(0, 0);
    b.lineTo(w, 0);
    b.lineTo(w, h);
    b.lineTo(0, h);
    b.lineTo(0, 0);
    b.lineStyle();
  }
  var color = b.enabledState ? conf.textcolor : mixColor(conf.textcolor, conf.buttoncolor, 0.15);
  if (b.label_txt == undefined) makeLabel(b, "label_txt", 1, 0, 3, w, h - 3, b.label, labelSize, color, "center");
  b.label_txt._width = w;
  setLabel(b.label_txt, b.label, labelSize, color, "center");
  b.useHandCursor = b.enabledState;
}

function fitOrActual() {
  if (fitMode) {
    fitMode = false;
    scale = 1;
  } else {
    fitMode = true;
  }
  layout();
}

function buildPanel() {
  makeButton("first_btn", text("langButFrontCover"), 1, function () { goToSpread(0); });
  makeButton("prev_btn", text("langButPrevPage"), 2, function () { prevSpread(); });
  makeButton("next_btn", text("langButNextPage"), 3, function () { nextSpread(); });
  makeButton("last_btn", text("langButBackCover"), 4, function () { goToSpread(spreadTotal() - 1); });
  makeButton("zoomin_btn", text("langButZoomIn"), 5, function () { zoomBy(1.5); });
  makeButton("zoomout_btn", text("langButZoomOut"), 6, function () { zoomBy(1 / 1.5); });
  makeButton("fit_btn", text("langButActualSize"), 7, function () { fitOrActual(); });
  makeButton("full_btn", text("langButGoFullScreen"), 8, function () { toggleFullScreen(); });
  makeLabel(panel_mc, "counter_txt", 50, 0, 0, 90, 20, "", 12, conf.textcolor, "center");
  makeLabel(panel_mc, "measure_txt", 51, 0, 0, 400, 20, "", 12, conf.textcolor, "left");
  panel_mc.measure_txt._visible = false;
}

// The pages of spread k as the counter shows them: "4-5" or "1".
function pagesText(k) {
  var l = leftOf(k);
  var r = rightOf(k);
  if (l >= 0 && r >= 0) return (l + 1) + "-" + (r + 1);
  if (l >= 0) return String(l + 1);
  if (r >= 0) return String(r + 1);
  return String(firstPageOf(k) + 1);
}

// Buttons and counter for spread k (the one shown or turned to when not given).
function updateButtons(k) {
  if (k == undefined) k = pendingTarget >= 0 ? pendingTarget : shownSpread();
  var atFirst = k <= 0;
  var atLast = k >= spreadTotal() - 1;
  panel_mc.first_btn.enabledState = !atFirst;
  panel_mc.prev_btn.enabledState = !atFirst;
  panel_mc.next_btn.enabledState = !atLast;
  panel_mc.last_btn.enabledState = !atLast;
  panel_mc.zoomin_btn.enabledState = scale < maxScale() - 0.001;
  panel_mc.zoomout_btn.enabledState = scale > minScale() + 0.001;
  panel_mc.fit_btn.label = fitMode ? text("langButActualSize") : text("langButFitToPage");
  panel_mc.fit_btn.enabledState = !fitMode || Math.abs(fitScale - 1) > 0.001;
  for (var i = 0; i < buttons.length; i++) drawButton(buttons[i]);
  var counter = "";
  if (pageCount > 0) counter = pagesText(k) + " / " + pageCount;
  setLabel(panel_mc.counter_txt, counter, labelSize, conf.textcolor, "center");
  if (counter != lastCounter) {
    lastCounter = counter;
    trace("flip-book counter " + counter);
  }
}

// ---- layout and zoom -----------------------------------------------------------------------------

function minScale() {
  return Math.min(fitScale, 1);
}

function maxScale() {
  return 4 * Math.max(fitScale, 1);
}

function labelWidth(s) {
  var tf = panel_mc.measure_txt;
  setLabel(tf, s, labelSize, conf.textcolor, "left");
  return tf.textWidth;
}

function layout() {
  var sw = Stage.width;
  var sh = Stage.height;
  var w = conf.width;
  var h = conf.height;
  background_mc.clear();
  fillRect(background_mc, 0, 0, sw, sh, conf.bgcolor, 100);

  panel_mc.clear();
  fillRect(panel_mc, 0, 0, sw, panelHeight, conf.panelcolor, 100);
  panel_mc._x = 0;
  panel_mc._y = sh - panelHeight;
  var bh = 24;
  // The panel's sizes: the first of these that fits the window (text size, padding, gap, counter).
  var presets = [[12, 16, 6, 90], [12, 8, 3, 72], [11, 6, 2, 64], [10, 4, 2, 56]];
  var gap;
  var counterWidth;
  var widths;
  var total;
  var i;
  for (var pi = 0; pi < presets.length; pi++) {
    labelSize = presets[pi][0];
    var pad = presets[pi][1];
    gap = presets[pi][2];
    counterWidth = presets[pi][3];
    widths = [];
    total = counterWidth + gap;
    for (i = 0; i < buttons.length; i++) {
      var lw = labelWidth(buttons[i].label);
      if (i == 6) lw = Math.max(labelWidth(text("langButActualSize")), labelWidth(text("langButFitToPage")));
      if (i == 7) lw = Math.max(lw, labelWidth(text("langButExitFullScreen")));
      widths.push(Math.max(4 * labelSize, Math.ceil(lw) + pad));
      total += widths[i] + gap;
    }
    if (total - gap <= sw - 8) break;
  }
  panel_mc.counter_txt._width = counterWidth;
  var x = Math.max(4, Math.round((sw - total + gap) / 2));
  var report = "flip-book panel";
  for (i = 0; i < buttons.length; i++) {
    var b = buttons[i];
    b.w = widths[i];
    b.h = bh;
    b._x = x;
    b._y = Math.round((panelHeight - bh) / 2);
    drawButton(b);
    report += " " + b._name + " " + (x + Math.round(b.w / 2)) + " " + Math.round(panel_mc._y + b._y + bh / 2);
    x += b.w + gap;
    if (i == 3) {
      panel_mc.counter_txt._x = x;
      panel_mc.counter_txt._y = Math.round((panelHeight - 20) / 2) + 2;
      x += counterWidth + gap;
    }
  }

  // Two pages side by side when they are shown nearly as large as one page alone.
  var aw = Math.max(10, sw - 2 * margin);
  var ah = Math.max(10, sh - panelHeight - 2 * margin);
  var one = Math.min(aw / w, ah / h);
  var two = Math.min(aw / (2 * w), ah / h);
  var wantSpread = pageCount > 1 && two >= 0.75 * one;
  if (wantSpread != spreadMode) {
    var page = firstPageOf(shownSpread());
    if (turning || dragging) {
      delete ticker_mc.onEnterFrame;
      turning = false;
      dragging = false;
      turn = null;
    }
    pendingTarget = -1;
    spreadMode = wantSpread;
    current = spreadOfPage(page);
    if (started && pageCount > 0) showStatic(current);
  }
  fitScale = spreadMode ? two : one;
  if (fitMode) scale = fitScale;
  scale = Math.max(minScale(), Math.min(maxScale(), scale));
  book_mc._xscale = scale * 100;
  book_mc._yscale = scale * 100;
  placeBook();
  if (bookWidth() > sw || h * scale > sh - panelHeight) {
    panner_mc.onEnterFrame = placeBook;
  } else {
    delete panner_mc.onEnterFrame;
  }
  updateButtons();
  trace(report + " spread " + (spreadMode ? 1 : 0) + " scale " + Math.round(scale * 1000) / 1000);
}

function bookWidth() {
  return (spreadMode ? 2 : 1) * conf.width * scale;
}

// Centres the book; a book larger than the window follows the mouse, so every part can be reached.
function placeBook() {
  var sw = Stage.width;
  var sh = Stage.height - panelHeight;
  var bw = bookWidth();
  var bh = conf.height * scale;
  var spine = spreadMode ? conf.width * scale : 0;
  if (bw > sw) {
    var fx = Math.max(0, Math.min(1, _root._xmouse / sw));
    book_mc._x = Math.round(-(bw - sw) * fx + spine);
  } else {
    book_mc._x = Math.round((sw - bw) / 2 + spine);
  }
  if (bh > sh) {
    var fy = Math.max(0, Math.min(1, _root._ymouse / sh));
    book_mc._y = Math.round(-(bh - sh) * fy);
  } else {
    book_mc._y = Math.round((sh - bh) / 2);
  }
}

function zoomBy(f) {
  fitMode = false;
  scale = Math.max(minScale(), Math.min(maxScale(), scale * f));
  if (Math.abs(scale - fitScale) < 0.001) fitMode = true;
  layout();
}

function toggleFullScreen() {
  if (Stage["displayState"] == "fullScreen") {
    Stage["displayState"] = "normal";
    panel_mc.full_btn.label = text("langButGoFullScreen");
  } else {
    Stage["displayState"] = "fullScreen";
    panel_mc.full_btn.label = text("langButExitFullScreen");
  }
  layout();
}

var stageListener = new Object();
stageListener.onResize = function () {
  layout();
};
stageListener.onFullScreen = function (full) {
  panel_mc.full_btn.label = full ? text("langButExitFullScreen") : text("langButGoFullScreen");
  layout();
};
Stage.addListener(stageListener);

var keyListener = new Object();
keyListener.onKeyDown = function () {
  if (!started) return;
  var code = Key.getCode();
  if (code == 39 || code == 34) nextSpread();
  if (code == 37 || code == 33) prevSpread();
  if (code == 36) goToSpread(0);
  if (code == 35) goToSpread(spreadTotal() - 1);
};
Key.addListener(keyListener);

book_mc.onPress = function () {
  pressBook();
};
book_mc.onRelease = function () {
  releaseBook();
};
book_mc.onReleaseOutside = function () {
  releaseBook();
};
book_mc.useHandCursor = false;
