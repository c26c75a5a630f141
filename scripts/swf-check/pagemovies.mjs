// Renders page movies (written by the test PageMoviesBrowserCheck.WriteForTheBrowserCheck) in Ruffle
// (headless Chromium, files served from 127.0.0.1) and measures how far each picture is from the
// program's own drawing of the page beside it (<name>@<zoom>x.ppm, drawn at <zoom> pixels a point):
//   mean   - mean absolute difference per channel over the page (0..255);
//   inkOff - share of "ink" pixels (not near-white in either picture) whose channels differ by
//            more than 96 somewhere, after allowing each pixel to match one of its neighbours
//            (the two rasterisers may put an edge a pixel apart).
// Every tag must decode with swf-parser. A page fails when mean or inkOff passes its bound.
//
// Usage: node pagemovies.mjs <movies-folder> <screenshots-folder>
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync, existsSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, extname, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { parseSwf } from "swf-parser";
import { chromium } from "playwright-core";
import { decodePng, walkTags } from "./shared.mjs";

// Bounds on the difference from the program's drawing.
const kMaxMean = 4.0;
const kMaxInkOff = 0.01;

const here = dirname(fileURLToPath(import.meta.url));
const [moviesDir, shotsDir] = process.argv.slice(2);
if (!moviesDir || !shotsDir) {
  console.error("usage: node pagemovies.mjs <movies-folder> <screenshots-folder>");
  process.exit(2);
}

let failures = 0;
function fail(msg) {
  console.log("FAIL pagemovies: " + msg);
  failures++;
}



// A decoded screenshot as packed RGB, as the program's own pictures are read.
function rgbOf(png) {
  const { width, height, channels, data } = png;
  const rgb = Buffer.alloc(width * height * 3);
  for (let i = 0; i < width * height; i++) for (let k = 0; k < 3; k++) rgb[i * 3 + k] = data[i * channels + k];
  return { width, height, rgb };
}

function readPpm(path) {
  const buf = readFileSync(path);
  const head = buf.toString("latin1", 0, 64).match(/^P6\s+(\d+)\s+(\d+)\s+255\s/);
  if (!head) throw new Error(`${path}: not a P6 file`);
  return { width: +head[1], height: +head[2], rgb: buf.subarray(head[0].length) };
}

function compare(a, b) {
  if (a.width !== b.width || a.height !== b.height) return { mean: 255, inkOff: 1, ink: 0 };
  const w = a.width, h = a.height;
  let sum = 0, ink = 0, off = 0;
  const far = (p, q) => Math.max(Math.abs(a.rgb[p] - b.rgb[q]), Math.abs(a.rgb[p + 1] - b.rgb[q + 1]), Math.abs(a.rgb[p + 2] - b.rgb[q + 2])) > 96;
  for (let y = 0; y < h; y++) {
    for (let x = 0; x < w; x++) {
      const p = (y * w + x) * 3;
      let isInk = false;
      for (let c = 0; c < 3; c++) {
        sum += Math.abs(a.rgb[p + c] - b.rgb[p + c]);
        if (a.rgb[p + c] < 224 || b.rgb[p + c] < 224) isInk = true;
      }
      if (!isInk) continue;
      ink++;
      if (!far(p, p)) continue;
      let near = false;
      for (let dy = -1; dy <= 1 && !near; dy++)
        for (let dx = -1; dx <= 1 && !near; dx++) {
          const xx = x + dx, yy = y + dy;
          if (xx < 0 || yy < 0 || xx >= w || yy >= h) continue;
          if (!far(p, (yy * w + xx) * 3)) near = true;
        }
      if (!near) off++;
    }
  }
  return { mean: sum / (3 * w * h), inkOff: ink ? off / ink : 0, ink };
}

const ruffleDir = join(here, "node_modules", "@ruffle-rs", "ruffle");
const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".swf": "application/x-shockwave-flash", ".html": "text/html" };
const page = `<!doctype html><html><head><meta charset="utf-8"><style>body{margin:0;background:#fff}</style>
<script>window.RufflePlayer = window.RufflePlayer || {}; window.RufflePlayer.config = {
autoplay: "on", unmuteOverlay: "hidden", splashScreen: false, letterbox: "off", contextMenu: "off",
warnOnUnsupportedContent: false, polyfills: false, publicPath: "/ruffle/", logLevel: "warn", quality: "best" };</script>
<script src="/ruffle/ruffle.js"></script></head><body><div id="stage"></div>
<script>
window.loadMovie = (name, w, h) => {
  window.__loaded = false;
  window.__error = undefined;
  const stage = document.getElementById("stage");
  stage.replaceChildren();
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = w + "px"; player.style.height = h + "px"; player.style.display = "block";
  stage.appendChild(player);
  player.load({ url: "/movies/" + name }).then(() => { window.__loaded = true; }, (e) => { window.__error = String(e); });
};
</script></body></html>`;

const server = createServer((req, res) => {
  const url = new URL(req.url, "http://127.0.0.1");
  if (url.pathname === "/check.html") {
    res.writeHead(200, { "content-type": "text/html" });
    res.end(page);
    return;
  }
  let file = null;
  if (url.pathname.startsWith("/ruffle/")) file = join(ruffleDir, url.pathname.slice(8));
  if (url.pathname.startsWith("/movies/")) file = join(moviesDir, url.pathname.slice(8));
  if (!file || file.includes("..") || !existsSync(file)) {
    res.writeHead(404);
    res.end();
    return;
  }
  res.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream" });
  res.end(readFileSync(file));
});
await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
const port = server.address().port;

const checks = readdirSync(moviesDir)
  .map((f) => f.match(/^(.+)@(\d+)x\.ppm$/))
  .filter(Boolean)
  .map((m) => ({ movie: m[1] + ".swf", zoom: +m[2], ppm: m[0] }));
if (checks.length === 0) fail("no page drawings to compare with");

const profile = mkdtempSync(join(tmpdir(), "swf-check-chromium-"));
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    viewport: { width: 1600, height: 1600 },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  const tab = await context.newPage();
  const errors = [];
  tab.on("pageerror", (e) => errors.push(String(e)));
  await tab.goto(`http://127.0.0.1:${port}/check.html`);
  await tab.waitForFunction(() => typeof window.loadMovie === "function" && window.RufflePlayer?.newest);
  const parsed = new Set();
  for (const { movie, zoom, ppm } of checks) {
    if (!parsed.has(movie)) {
      parsed.add(movie);
      try {
        walkTags(parseSwf(new Uint8Array(readFileSync(join(moviesDir, movie)))).tags, "root", movie, fail);
      } catch (e) {
        fail(`${movie}: swf-parser failed: ${e}`);
      }
    }
    const own = readPpm(join(moviesDir, ppm));
    await tab.setViewportSize({ width: own.width, height: own.height });
    await tab.evaluate(([n, w, h]) => window.loadMovie(n, w, h), [movie, own.width, own.height]);
    const until = Date.now() + 60000;
    while (Date.now() < until && !(await tab.evaluate(() => window.__loaded || !!window.__error))) await tab.waitForTimeout(200);
    const error = await tab.evaluate(() => window.__error);
    if (error) {
      fail(`${movie}: Ruffle could not load it: ${error}`);
      continue;
    }
    await tab.waitForTimeout(1500);
    const shot = await tab.screenshot({ clip: { x: 0, y: 0, width: own.width, height: own.height } });
    writeFileSync(join(shotsDir, `${movie.replace(".swf", "")}@${zoom}x.png`), shot);
    const d = compare(rgbOf(decodePng(shot)), own);
    const line = `${movie} at ${zoom * 100} %: mean ${d.mean.toFixed(2)}, ink pixels off ${(d.inkOff * 100).toFixed(2)} % of ${d.ink}`;
    if (d.mean > kMaxMean || d.inkOff > kMaxInkOff) fail(line);
    else console.log("ok   " + line);
  }
  for (const e of errors) fail(`the page logged an error: ${e}`);
} finally {
  if (context) await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`pagemovies: ${failures === 0 ? "all pages within bounds" : failures + " failure(s)"} (mean <= ${kMaxMean}, ink off <= ${kMaxInkOff * 100} %)`);
process.exit(failures === 0 ? 0 : 1);
