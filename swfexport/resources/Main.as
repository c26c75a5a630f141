// The flip-book viewer. Reads xml/Pages.xml (stage size and colours in the "content" element,
// one "page" element per page movie) and txt/Lang.txt (the interface texts, URL-encoded), loads
// the page loader swf/Pages.swf and through it the page movies, and shows them as a book whose
// pages turn with a moving fold and shadow. A panel holds first / previous / next / last, zoom
// and full screen; the arrow keys turn pages; a click on a page asks the page movie to toggle the
// video under the mouse (ctrlVideoObjs).
Stage.scaleMode = "noScale";
Stage.align = "TL";

var conf = {width: 595, height: 842, bgcolor: 0xcccccc, loadercolor: 0xffffff, panelcolor: 0x5d5d61,
            buttoncolor: 0x5d5d61, textcolor: 0xffffff};
var lang = {langButFrontCover: "first", langButPrevPage: "previous", langButNextPage: "next",
            langButBackCover: "last", langButZoomIn: "zoom in", langButZoomOut: "zoom out",
            langButGoFullScreen: "full screen", langButExitFullScreen: "exit full screen",
            langCreatingPages: "Creating pages..."};
var pageUrls = [];
var pageClips = [];
var currentPage = 0;
var pageCount = 0;
var zoom = 1;
var bookScale = 1;
var flipping = false;
var pendingPage = -1;
var flipFrom = -1;
var flipTo = -1;
var flipStep = 0;
var flipSteps = 14;
var xmlReady = false;
var langReady = false;
var loaderReady = false;
var started = false;
var panelHeight = 40;
var margin = 16;
var buttons = [];
var viewer = this;

// ---- text helpers --------------------------------------------------------------------------------

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

function makeLabel(clip, name, depth, x, y, w, h, s, size, color, align) {
  clip.createTextField(name, depth, x, y, w, h);
  var tf = clip[name];
  tf.selectable = false;
  tf.text = s;
  var fmt = new TextFormat();
  fmt.font = "_sans";
  fmt.size = size;
  fmt.color = color;
  fmt.align = align;
  tf.setTextFormat(fmt);
  return tf;
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
book_mc.createEmptyMovieClip("pages_mc", 1);
book_mc.createEmptyMovieClip("fx_mc", 2);
book_mc.createEmptyMovieClip("mask_mc", 3);
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

// Runs once the page list, the texts and the page loader are in.
function start() {
  if (started || !xmlReady || !langReady || !loaderReady) return;
  started = true;
  pageCount = pageUrls.length;
  buildPanel();
  layout();
  if (pageCount == 0) return;
  var onPage = function (index, clip) {
    pageClips[index] = clip;
    if (clip != null) {
      clip._x = 0;
      clip._y = 0;
      clip._visible = index == currentPage;
    }
    if (index == currentPage) showStatus("");
    updateButtons();
    if (index == pendingPage) goToPage(index);
  };
  showStatus(text("langCreatingPages"));
  if (loader_mc.loadFlipPages != undefined) {
    loader_mc.loadFlipPages(book_mc.pages_mc, pageUrls, onPage, null);
  } else {
    // Without the page loader, load the movies here, all at once.
    var direct = new MovieClipLoader();
    var l = new Object();
    l.onLoadInit = function (target) {
      target._lockroot = true;
      onPage(Number(target._name.substring(4)), target);
    };
    direct.addListener(l);
    for (var i = 0; i < pageCount; i++) {
      var c = book_mc.pages_mc.createEmptyMovieClip("page" + i, 100 + i);
      c._visible = false;
      direct.loadClip(pageUrls[i], c);
    }
  }
}

// ---- panel and buttons ---------------------------------------------------------------------------

function makeButton(name, label, depth, action) {
  var b = panel_mc.createEmptyMovieClip(name, depth);
  b.action = action;
  b.label = label;
  b.enabledState = true;
  b.onPress = function () {
    this.pressed = true;
  };
  b.onRelease = function () {
    if (this.pressed && this.enabledState) this.action();
    this.pressed = false;
  };
  b.onReleaseOutside = function () {
    this.pressed = false;
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
  makeLabel(b, "label_txt", 1, 0, 3, w, h - 3, b.label, 12, color, "center");
  b.useHandCursor = b.enabledState;
}

function buildPanel() {
  makeButton("first_btn", text("langButFrontCover"), 1, function () { goToPage(0); });
  makeButton("prev_btn", text("langButPrevPage"), 2, function () { goToPage(currentPage - 1); });
  makeButton("next_btn", text("langButNextPage"), 3, function () { goToPage(currentPage + 1); });
  makeButton("last_btn", text("langButBackCover"), 4, function () { goToPage(pageCount - 1); });
  makeButton("zoomin_btn", text("langButZoomIn"), 5, function () { setZoom(zoom * 1.5); });
  makeButton("zoomout_btn", text("langButZoomOut"), 6, function () { setZoom(zoom / 1.5); });
  makeButton("full_btn", text("langButGoFullScreen"), 7, function () { toggleFullScreen(); });
  makeLabel(panel_mc, "counter_txt", 50, 0, 0, 80, 20, "", 12, conf.textcolor, "center");
}

function updateButtons() {
  var atFirst = currentPage <= 0;
  var atLast = currentPage >= pageCount - 1;
  panel_mc.first_btn.enabledState = !atFirst;
  panel_mc.prev_btn.enabledState = !atFirst;
  panel_mc.next_btn.enabledState = !atLast;
  panel_mc.last_btn.enabledState = !atLast;
  panel_mc.zoomin_btn.enabledState = zoom < 4;
  panel_mc.zoomout_btn.enabledState = zoom > 1;
  for (var i = 0; i < buttons.length; i++) drawButton(buttons[i]);
  if (pageCount > 0) panel_mc.counter_txt.text = (currentPage + 1) + " / " + pageCount;
  var fmt = new TextFormat();
  fmt.font = "_sans";
  fmt.size = 12;
  fmt.color = conf.textcolor;
  fmt.align = "center";
  panel_mc.counter_txt.setTextFormat(fmt);
}

function showStatus(s) {
  viewer.createEmptyMovieClip("status_mc", 35);
  if (s == "") return;
  makeLabel(status_mc, "status_txt", 1, 0, 0, 300, 24, s, 14, conf.loadercolor, "center");
  status_mc._x = Math.round((Stage.width - 300) / 2);
  status_mc._y = Math.round((Stage.height - panelHeight) / 2);
}

// ---- layout and zoom -----------------------------------------------------------------------------

function layout() {
  var sw = Stage.width;
  var sh = Stage.height;
  background_mc.clear();
  fillRect(background_mc, 0, 0, sw, sh, conf.bgcolor, 100);

  panel_mc.clear();
  fillRect(panel_mc, 0, 0, sw, panelHeight, conf.panelcolor, 100);
  panel_mc._x = 0;
  panel_mc._y = sh - panelHeight;
  var bw = 84;
  var bh = 24;
  var gap = 6;
  var total = buttons.length * (bw + gap) + 80;
  var x = Math.max(4, Math.round((sw - total) / 2));
  for (var i = 0; i < buttons.length; i++) {
    buttons[i].w = bw;
    buttons[i].h = bh;
    drawButton(buttons[i]);
    buttons[i]._x = x;
    buttons[i]._y = Math.round((panelHeight - bh) / 2);
    x += bw + gap;
    if (i == 3) {
      panel_mc.counter_txt._x = x;
      panel_mc.counter_txt._y = Math.round((panelHeight - 20) / 2) + 2;
      x += 80 + gap;
    }
  }

  // Fit the page into the area above the panel, then zoom around its centre.
  var aw = Math.max(10, sw - 2 * margin);
  var ah = Math.max(10, sh - panelHeight - 2 * margin);
  var fit = Math.min(aw / conf.width, ah / conf.height);
  var s = fit * zoom;
  bookScale = s;
  book_mc._xscale = s * 100;
  book_mc._yscale = s * 100;
  book_mc._x = Math.round((sw - conf.width * s) / 2);
  book_mc._y = Math.round(margin + (ah - conf.height * s) / 2);
  drawMask();
  updateButtons();
}

function drawMask() {
  book_mc.mask_mc.clear();
  fillRect(book_mc.mask_mc, 0, 0, conf.width, conf.height, 0x000000, 100);
  book_mc.pages_mc.setMask(book_mc.mask_mc);
}

function setZoom(z) {
  zoom = Math.max(1, Math.min(4, z));
  layout();
  if (zoom > 1) {
    panner_mc.onEnterFrame = pan;
  } else {
    delete panner_mc.onEnterFrame;
  }
}

// A zoomed page follows the mouse: the pointer's place on the stage picks the part of the page
// shown, so every corner can be reached.
function pan() {
  var sw = Stage.width;
  var sh = Stage.height - panelHeight;
  var bw = conf.width * bookScale;
  var bh = conf.height * bookScale;
  if (bw > sw) {
    var fx = Math.max(0, Math.min(1, _root._xmouse / sw));
    book_mc._x = Math.round(-(bw - sw) * fx);
  }
  if (bh > sh) {
    var fy = Math.max(0, Math.min(1, _root._ymouse / sh));
    book_mc._y = Math.round(-(bh - sh) * fy);
  }
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
Stage.addListener(stageListener);

var keyListener = new Object();
keyListener.onKeyDown = function () {
  var code = Key.getCode();
  if (code == 39 || code == 34) goToPage(currentPage + 1);
  if (code == 37 || code == 33) goToPage(currentPage - 1);
  if (code == 36) goToPage(0);
  if (code == 35) goToPage(pageCount - 1);
};
Key.addListener(keyListener);

// A click on the page lets the page movie toggle the video under the mouse.
book_mc.onPress = function () {
  if (flipping) return;
  var clip = pageClips[currentPage];
  if (clip == undefined || clip == null) return;
  if (clip.objects != undefined && clip.objects.ctrlVideoObjs != undefined) {
    clip.objects.ctrlVideoObjs();
  } else if (clip.ctrlVideoObjs != undefined) {
    clip.ctrlVideoObjs();
  }
};
book_mc.useHandCursor = false;

// ---- turning pages -------------------------------------------------------------------------------

function goToPage(index) {
  if (flipping || pageCount == 0) return;
  index = Math.max(0, Math.min(pageCount - 1, index));
  if (index == currentPage) return;
  var from = pageClips[currentPage];
  var to = pageClips[index];
  if (to == undefined) {
    pendingPage = index;  // turned to as soon as its movie is in
    return;
  }
  if (to == null) return;
  pendingPage = -1;
  flipFrom = currentPage;
  flipTo = index;
  flipStep = 0;
  flipping = true;
  to._visible = true;
  // The page that moves is on top: the old one when turning forward, the new one going back.
  if (index > currentPage) {
    if (from != undefined && from != null) from.swapDepths(10000);
  } else {
    to.swapDepths(10000);
  }
  ticker_mc.onEnterFrame = flipFrame;
}

function flipFrame() {
  flipStep++;
  var t = flipStep / flipSteps;
  if (t > 1) t = 1;
  var e = t * t * (3 - 2 * t);
  var w = conf.width;
  var h = conf.height;
  var forward = flipTo > flipFrom;
  var moving = forward ? pageClips[flipFrom] : pageClips[flipTo];
  // The fold runs from the right edge to the left one turning forward, back again going back.
  var fold = forward ? w * (1 - e) : w * e;
  var fx = book_mc.fx_mc;
  fx.clear();
  if (moving != undefined && moving != null) {
    var mask = book_mc.foldmask_mc;
    if (mask == undefined) mask = book_mc.createEmptyMovieClip("foldmask_mc", 4);
    mask.clear();
    fillRect(mask, 0, 0, Math.max(fold, 0.01), h, 0x000000, 100);
    moving.setMask(mask);
  }
  // The back of the turning leaf, to the left of the fold, and the shadows on both sides.
  var leaf = Math.min(fold, (w - fold) / 2);
  if (leaf > 0.5) {
    var m = new Object();
    m.matrixType = "box";
    m.x = fold - leaf;
    m.y = 0;
    m.w = leaf;
    m.h = h;
    m.r = 0;
    fx.beginGradientFill("linear", [0xdddddd, 0xfafafa], [100, 100], [0, 255], m);
    fx.moveTo(fold - leaf, 0);
    fx.lineTo(fold, 0);
    fx.lineTo(fold, h);
    fx.lineTo(fold - leaf, h);
    fx.lineTo(fold - leaf, 0);
    fx.endFill();
    var sw = Math.min(40, w - fold);
    if (sw > 0.5) {
      var sm = {matrixType: "box", x: fold, y: 0, w: sw, h: h, r: 0};
      fx.beginGradientFill("linear", [0x000000, 0x000000], [45, 0], [0, 255], sm);
      fx.moveTo(fold, 0);
      fx.lineTo(fold + sw, 0);
      fx.lineTo(fold + sw, h);
      fx.lineTo(fold, h);
      fx.lineTo(fold, 0);
      fx.endFill();
    }
  }
  if (t >= 1) finishFlip();
}

function finishFlip() {
  delete ticker_mc.onEnterFrame;
  book_mc.fx_mc.clear();
  if (book_mc.foldmask_mc != undefined) book_mc.foldmask_mc.removeMovieClip();
  for (var i = 0; i < pageCount; i++) {
    var c = pageClips[i];
    if (c == undefined || c == null) continue;
    c.setMask(null);
    if (c.getDepth() != 100 + i) c.swapDepths(100 + i);
    c._visible = i == flipTo;
  }
  currentPage = flipTo;
  flipping = false;
  updateButtons();
  trace("flip-book page " + (currentPage + 1) + " of " + pageCount);
}
