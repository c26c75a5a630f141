// Opens a flip-book package (written by the test FlipBookBrowserPackage.WriteForTheBrowserCheck)
// through its index.html in headless Chromium, served from 127.0.0.1, with the Ruffle runtime the
// package carries: the first page (red) must show, the first click on "next" must turn to page 2
// (green), the clip on page 2 must stand still until clicked and play after the click. The viewer
// movies must decode with swf-parser and the player must log no error.
//
// Usage: node flipbook.mjs <package-folder> <screenshots-folder>
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { parseSwf } from "swf-parser";
import { chromium } from "playwright-core";
import { decodePng, walkTags, serveFolder, logRuffleTraces, ruffleMessage, closeRuffleNotice } from "./shared.mjs";

const [pkg, shotsDir] = process.argv.slice(2);
if (!pkg || !shotsDir) {
  console.error("usage: node flipbook.mjs <package-folder> <screenshots-folder>");
  process.exit(2);
}

let failures = 0;
function fail(msg) {
  console.log("FAIL flipbook: " + msg);
  failures++;
}

for (const movie of ["swf/Main.swf", "swf/Pages.swf", "pages/page001.swf", "pages/page002.swf"]) {
  try {
    const swf = parseSwf(new Uint8Array(readFileSync(join(pkg, movie))));
    walkTags(swf.tags, "", movie, fail);
  } catch (e) {
    fail(`${movie}: swf-parser failed: ${e}`);
  }
}

const near = (got, want, tol) => got.every((v, i) => Math.abs(v - want[i]) <= tol);

const server = await serveFolder(pkg);
const port = server.address().port;

// Layout of the viewer on an 800 x 600 stage for 400 x 300 pages: one page (two would be too small),
// fitted into the area above the 40-pixel panel with 16-pixel margins (scale 1.76, at (48, 16)).
// The buttons are where the viewer's trace of its panel says.
const W = 800, H = 600;
const pagePoint = [700, 500];
const videoCentre = [Math.round(48 + 120 * 1.76), Math.round(16 + 97 * 1.76)];

const profile = mkdtempSync(join(tmpdir(), "flipbook-chromium-"));
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    viewport: { width: W, height: H },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync",
      "--autoplay-policy=no-user-gesture-required"],
  });
  const tab = await context.newPage();
  const log = [], errors = [];
  let panel = null;
  tab.on("console", (m) => {
    log.push(m.text());
    const r = ruffleMessage(m.text());
    // The clip's playback warns (a NetStream stub, the MP3 decoder's first frames): errors only here;
    // book.mjs holds the viewer to no warning at all.
    if (r && r.level === "ERROR") errors.push(`${r.level} ${r.text}`);
    else if (!r && m.type() === "error") errors.push(m.text());
    if (r && r.text.startsWith("flip-book panel ")) panel = r.text.split(" ");
  });
  tab.on("pageerror", (e) => errors.push(String(e)));
  await logRuffleTraces(tab);
  await tab.goto(`http://127.0.0.1:${port}/index.html`);

  const shot = async (name) => {
    const png = await tab.screenshot({ clip: { x: 0, y: 0, width: W, height: H } });
    if (name) writeFileSync(join(shotsDir, name), png);
    return decodePng(png);
  };
  // The player takes a press and a release in one frame as no click: hold the button a moment.
  const click = async (x, y) => {
    await tab.mouse.move(x, y);
    await tab.mouse.down();
    await tab.waitForTimeout(120);
    await tab.mouse.up();
  };
  const waitFor = async (what, test, seconds) => {
    const until = Date.now() + seconds * 1000;
    while (Date.now() < until) {
      await tab.waitForTimeout(250);
      if (test(await shot())) return true;
    }
    await shot("flipbook-failed.png");
    fail(what);
    return false;
  };

  if (await waitFor("the first page (red) did not show", (p) => near(p.pixel(...pagePoint), [255, 0, 0], 20), 60)) {
    await shot("flipbook-page1.png");
    console.log("ok   flipbook: first page shown");
    // The pointer's first visit may open Ruffle's notice about missing graphics acceleration, which
    // would take the click: it is closed through its own button. The first click on "next" acts.
    const i = panel ? panel.indexOf("next_btn") : -1;
    const nextButton = i >= 0 ? [Number(panel[i + 1]), Number(panel[i + 2])] : [0, 0];
    if (i < 0) fail("the viewer did not trace its panel");
    await tab.mouse.move(nextButton[0], nextButton[1], { steps: 4 });
    await tab.waitForTimeout(300);
    await closeRuffleNotice(tab);
    await click(...nextButton);
    if (await waitFor("a click on next did not turn to page 2 (green)", (p) => near(p.pixel(...pagePoint), [0, 200, 0], 20), 10)) {
      await tab.waitForTimeout(1500);
      const before = await shot("flipbook-page2.png");
      console.log("ok   flipbook: next turned to page 2");
      await tab.waitForTimeout(800);
      const still = await shot();
      // The test picture's moving parts: the colour band near its foot and the counter.
      const sample = (p) => [...[120, 160, 200, 240, 280, 320, 360, 400].map((x) => p.pixel(x, 262)),
        ...[360, 370, 380].flatMap((x) => [170, 185, 200].map((y) => p.pixel(x, y)))];
      const same = (a, b) => a.every((v, i) => near(v, b[i], 3));
      if (!same(sample(before), sample(still))) fail("the clip played before it was clicked");
      if (sample(before).every((v) => near(v, [0, 200, 0], 20))) fail("the paused clip shows no picture");
      await click(...videoCentre);
      await tab.waitForTimeout(1500);
      const playing1 = await shot("flipbook-video.png");
      await tab.waitForTimeout(700);
      const playing2 = await shot();
      if (same(sample(playing1), sample(playing2))) fail("a click on the clip did not play it");
      else console.log("ok   flipbook: a click on the clip plays it");
    }
  }
  for (const e of errors) fail(`the player or page logged an error: ${e}`);
  if (failures) for (const l of log) console.log(`  console: ${l}`);
} finally {
  if (context) await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`flipbook-check: ${failures === 0 ? "passed" : failures + " failure(s)"}`);
process.exit(failures === 0 ? 0 : 1);
