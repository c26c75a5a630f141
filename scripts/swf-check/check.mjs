// Checks SWF movies with a real player: every tag must decode with swf-parser (a tag that comes
// back as a raw body fails), and each movie is rendered by Ruffle in headless Chromium, whose
// screenshot must show the expected colours at known points. A movie that makes the player or
// the page log an error fails even when its colours are right.
//
// Usage: node check.mjs <movies-folder> <screenshots-folder>
import { createServer } from "node:http";
import { mkdtempSync, readFileSync, rmSync, writeFileSync, existsSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, extname, dirname } from "node:path";
import { fileURLToPath } from "node:url";
import { parseSwf } from "swf-parser";
import { chromium } from "playwright-core";
import { decodePng, walkTags } from "./shared.mjs";

const here = dirname(fileURLToPath(import.meta.url));
const [moviesDir, shotsDir] = process.argv.slice(2);
if (!moviesDir || !shotsDir) {
  console.error("usage: node check.mjs <movies-folder> <screenshots-folder>");
  process.exit(2);
}

// Expected colours [x, y, [r, g, b], tolerance] on the 400 x 300 stage, as the movie writer
// drew them (see WriteCheckMovies in platform/swf/tests/swf_samples_support.cpp).
const expectations = {
  "fills.swf": [
    [70, 70, [255, 0, 0], 12, "solid fill"],
    [150, 70, [0, 25, 230], 40, "gradient start"],
    [230, 70, [0, 230, 25], 40, "gradient end"],
    [310, 70, [0x20, 0x60, 0xc0], 30, "JPEG bitmap fill"],
    [45, 185, [255, 0, 255], 12, "lossless bitmap fill"],
    [95, 235, [255, 128, 255], 30, "half-transparent bitmap pixel over white"],
    [200, 210, [255, 255, 0], 12, "cubic disc inside"],
    [200, 170, [0, 0, 0], 90, "disc outline"],
    [166, 176, [255, 255, 255], 12, "outside the disc"],
    [390, 290, [255, 255, 255], 12, "background"],
  ],
  "text.swf": [
    [89, 111, [0, 0, 0], 30, "first glyph"],
    [189, 111, [0, 0, 0], 30, "second glyph"],
    [139, 111, [255, 255, 255], 30, "between the glyphs (dropped character)"],
    [89, 60, [255, 255, 255], 30, "above the glyphs"],
    [312, 240, [0, 0, 0], 30, "glyph of a string out of 16-bit reach of the text's first"],
    [312, 260, [255, 255, 255], 30, "below that glyph"],
  ],
  "action.swf": [
    [250, 150, [255, 0, 0], 12, "clip moved by the script"],
    [70, 150, [255, 255, 255], 12, "where the clip stood before the script"],
  ],
  // The compiler's self-check script paints the stage green when every check passed, red if not.
  "script.swf": [
    [200, 150, [0, 255, 0], 12, "self-check passed"],
    [10, 290, [0, 255, 0], 12, "self-check passed"],
  ],
};

let failures = 0;
function fail(msg) {
  console.log("FAIL " + msg);
  failures++;
}



function mismatches(png, list) {
  const bad = [];
  for (const [x, y, want, tol, what] of list) {
    const got = png.pixel(x, y);
    if (got.some((v, i) => Math.abs(v - want[i]) > tol)) bad.push(`${what} at (${x},${y}): want ${want} got ${got}`);
  }
  return bad;
}

// ---- a server on the loopback address -------------------------------------------------------------
const ruffleDir = join(here, "node_modules", "@ruffle-rs", "ruffle");
const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".swf": "application/x-shockwave-flash", ".html": "text/html", ".map": "application/json" };
const page = `<!doctype html><html><head><meta charset="utf-8"><style>body{margin:0;background:#fff}</style>
<script>window.RufflePlayer = window.RufflePlayer || {}; window.RufflePlayer.config = {
autoplay: "on", unmuteOverlay: "hidden", splashScreen: false, letterbox: "off", contextMenu: "off",
warnOnUnsupportedContent: false, polyfills: false, publicPath: "/ruffle/", logLevel: "warn" };</script>
<script src="/ruffle/ruffle.js"></script></head><body><div id="stage" style="width:400px;height:300px"></div>
<script>
// Loads one movie into a fresh player in place of the previous one.
window.loadMovie = (name) => {
  window.__loaded = false;
  window.__error = undefined;
  const stage = document.getElementById("stage");
  stage.replaceChildren();
  const player = window.RufflePlayer.newest().createPlayer();
  player.style.width = "400px"; player.style.height = "300px"; player.style.display = "block";
  stage.appendChild(player);
  player.load({ url: "/movies/" + name }).then(() => { window.__loaded = true; }, (e) => { window.__error = String(e); });
};
</script></body></html>`;

const server = createServer((req, res) => {
  const url = new URL(req.url, "http://127.0.0.1");
  let file = null;
  if (url.pathname === "/check.html") {
    res.writeHead(200, { "content-type": "text/html" });
    res.end(page);
    return;
  }
  if (url.pathname.startsWith("/ruffle/")) file = join(ruffleDir, url.pathname.slice(8));
  if (url.pathname.startsWith("/movies/")) file = join(moviesDir, url.pathname.slice(8));
  // A movie's relative loads resolve against the page's address.
  else if (/^\/[\w.-]+\.swf$/.test(url.pathname)) file = join(moviesDir, url.pathname.slice(1));
  if (url.pathname === "/favicon.ico") {
    res.writeHead(204);
    res.end();
    return;
  }
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

const profile = mkdtempSync(join(tmpdir(), "swf-check-chromium-"));
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    viewport: { width: 400, height: 300 },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
           "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  // One page, one Ruffle runtime; each movie gets a player of its own.
  const tab = await context.newPage();
  const log = [];
  const errors = [];
  // Ruffle logs its own errors as "%cERROR%c <source> <message>" through console.log.
  const ruffleError = /^(%c)?ERROR\b/;
  tab.on("console", (m) => {
    log.push(m.text());
    if (m.type() === "error" || ruffleError.test(m.text())) errors.push(m.text().replace(/%c/g, ""));
  });
  tab.on("pageerror", (e) => {
    log.push(String(e));
    errors.push(String(e));
  });
  await tab.goto(`http://127.0.0.1:${port}/check.html`);
  await tab.waitForFunction(() => typeof window.loadMovie === "function" && window.RufflePlayer?.newest);
  for (const name of Object.keys(expectations)) {
    const path = join(moviesDir, name);
    log.length = 0;
    errors.length = 0;
    if (!existsSync(path)) {
      fail(`${name}: not written`);
      continue;
    }
    try {
      const swf = parseSwf(new Uint8Array(readFileSync(path)));
      walkTags(swf.tags, "root", name, fail);
    } catch (e) {
      fail(`${name}: swf-parser failed: ${e}`);
    }

    await tab.evaluate((n) => window.loadMovie(n), name);
    let bad = ["not rendered"];
    let shot = null;
    const until = Date.now() + 60000;
    while (Date.now() < until) {
      await tab.waitForTimeout(500);
      const error = await tab.evaluate(() => window.__error);
      if (error) {
        bad = [`Ruffle could not load the movie: ${error}`];
        break;
      }
      if (!(await tab.evaluate(() => window.__loaded))) continue;
      shot = await tab.screenshot({ clip: { x: 0, y: 0, width: 400, height: 300 } });
      bad = mismatches(decodePng(shot), expectations[name]);
      if (bad.length === 0) {
        // Let loads the movie started finish, then look again.
        await tab.waitForTimeout(1500);
        shot = await tab.screenshot({ clip: { x: 0, y: 0, width: 400, height: 300 } });
        bad = mismatches(decodePng(shot), expectations[name]);
        break;
      }
    }
    for (const e of errors) bad.push(`the player logged an error: ${e}`);
    if (shot) writeFileSync(join(shotsDir, name.replace(".swf", ".png")), shot);
    if (bad.length) {
      for (const b of bad) fail(`${name}: ${b}`);
      for (const l of log) console.log(`  console: ${l}`);
    } else {
      console.log(`ok   ${name}`);
    }
  }
} finally {
  if (context) await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
const total = Object.keys(expectations).length;
console.log(`swf-check: ${failures === 0 ? "all movies passed" : failures + " failure(s)"} (${total} movies)`);
process.exit(failures === 0 ? 0 : 1);
