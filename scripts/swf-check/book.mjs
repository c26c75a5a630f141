// Opens the 300-page book (written by the test FlipBookBrowserPackage.WriteBookForTheBrowserCheck)
// through its index.html in headless Chromium, served from 127.0.0.1, with the package's Ruffle, on
// a window wide enough for two pages: the front cover must lie alone on the right; the first click
// on "next" must turn to pages 2-3 (a screenshot is taken while the leaf turns); End must show the
// back cover alone on the left within 2 seconds although the pages between are not loaded yet; a
// leaf dragged by its corner must follow the pointer and turn when let go past the spine; the
// counter must follow every change; Ruffle must log no error and no warning. The viewer traces its
// panel's layout, the counter and the spreads whose pages are all in; the traces are read here.
//
// Usage: node book.mjs <package-folder> <screenshots-folder>
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join } from "node:path";
import { chromium } from "playwright-core";
import { decodePng, serveFolder, logRuffleTraces, ruffleMessage, closeRuffleNotice } from "./shared.mjs";

const [pkg, shotsDir] = process.argv.slice(2);
if (!pkg || !shotsDir) {
  console.error("usage: node book.mjs <package-folder> <screenshots-folder>");
  process.exit(2);
}

let failures = 0;
function fail(msg) {
  console.log("FAIL book: " + msg);
  failures++;
}
const near = (got, want, tol) => got.every((v, i) => Math.abs(v - want[i]) <= tol);

// The pages' colours, as the test writes them.
const table = [[0, 160, 0], [230, 160, 0], [0, 160, 200], [160, 0, 160], [120, 120, 0], [0, 90, 60]];
const colourOf = (page) => (page === 1 ? [255, 0, 0] : page === 300 ? [0, 0, 255] : table[(page - 1) % 6]);
const background = [204, 204, 204];

// 420 x 595-point pages on a 1280 x 800 window: two pages fit at 1.2235 (the height decides), the
// spine at x 640, the pages from y 16; their colour blocks span points 40-380 by 40-300.
const W = 1280, H = 800, S = (H - 40 - 32) / 595;
const top = Math.round((H - 40 - 595 * S) / 2);
const leftBlock = [Math.round(640 - 420 * S + 210 * S), Math.round(top + 170 * S)];
const rightBlock = [Math.round(640 + 210 * S), Math.round(top + 170 * S)];

const started = Date.now();
const server = await serveFolder(pkg);
const port = server.address().port;
const profile = mkdtempSync(join(tmpdir(), "book-chromium-"));
let context;
try {
  context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.CHROMIUM ?? "/usr/bin/chromium",
    headless: true,
    viewport: { width: W, height: H },
    deviceScaleFactor: 1,
    args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
      "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  });
  const tab = await context.newPage();
  const log = [], problems = [], traces = [];
  tab.on("console", (m) => {
    const text = m.text();
    log.push(text);
    const r = ruffleMessage(text);
    if (r && (r.level === "WARN" || r.level === "ERROR")) problems.push(`${r.level} ${r.text}`);
    else if (!r && m.type() === "error") problems.push(text);
    if (r && r.level === "INFO" && r.text.startsWith("flip-book ")) traces.push({ at: Date.now(), text: r.text.slice(10) });
    if (process.env.BOOK_VERBOSE && r) console.log(`  ${((Date.now() - started) / 1000).toFixed(2)} ${r.level} ${r.text.slice(0, 120)}`);
  });
  tab.on("pageerror", (e) => problems.push(String(e)));
  await logRuffleTraces(tab);
  await tab.goto(`http://127.0.0.1:${port}/index.html`);

  const shot = async (name) => {
    const png = await tab.screenshot({ clip: { x: 0, y: 0, width: W, height: H } });
    if (name) writeFileSync(join(shotsDir, name), png);
    return decodePng(png);
  };
  // The first trace that starts with `prefix` after `since`, waited for up to `seconds`.
  const traced = async (prefix, since, seconds) => {
    const until = Date.now() + seconds * 1000;
    for (;;) {
      const t = traces.find((x) => x.at >= since && x.text.startsWith(prefix));
      if (t) return t;
      if (Date.now() > until) return null;
      await tab.waitForTimeout(50);
    }
  };
  const lastCounter = () => [...traces].reverse().find((t) => t.text.startsWith("counter "))?.text.slice(8);

  const shown = await traced("ready 1", 0, 120);
  if (!shown) {
    fail("the front cover was never shown");
  } else {
    const panel = traces.find((t) => t.text.startsWith("panel ")).text.split(" ");
    const button = (name) => { const i = panel.indexOf(name); return [Number(panel[i + 1]), Number(panel[i + 2])]; };
    if (!panel.includes("spread") || panel[panel.indexOf("spread") + 1] !== "1") fail("a 1280 x 800 window shows one page, not two");
    let p = await shot("book-cover.png");
    if (!near(p.pixel(...rightBlock), colourOf(1), 12)) fail(`the front cover is not on the right: ${p.pixel(...rightBlock)}`);
    if (!near(p.pixel(...leftBlock), background, 12)) fail(`something lies left of the front cover: ${p.pixel(...leftBlock)}`);
    if (lastCounter() !== "1 / 300") fail(`the counter says ${lastCounter()} on the front cover`);
    console.log("ok   book: the front cover alone on the right");

    // The pointer's first visit may open Ruffle's notice about missing graphics acceleration, which
    // would take the click; it is closed through its own button. The first click on the movie
    // itself must act.
    const next = button("next_btn");
    await tab.mouse.move(next[0], next[1] - 200, { steps: 4 });
    await tab.mouse.move(next[0], next[1], { steps: 4 });
    await tab.waitForTimeout(300);
    if (await closeRuffleNotice(tab)) console.log("     (closed Ruffle's notice about graphics acceleration)");
    let t0 = Date.now();
    await tab.mouse.down();
    await tab.waitForTimeout(80);
    await tab.mouse.up();
    await tab.waitForTimeout(150);
    await shot("book-turning.png");
    if (!(await traced("counter 2-3 / 300", t0, 5))) fail(`the first click on next did not turn the page (counter ${lastCounter()})`);
    else if (!(await traced("ready 2-3", t0, 10))) fail("pages 2-3 did not come in");
    else {
      await tab.waitForTimeout(300);
      p = await shot("book-spread.png");
      if (!near(p.pixel(...leftBlock), colourOf(2), 12) || !near(p.pixel(...rightBlock), colourOf(3), 12)) fail(`pages 2-3 are not shown: ${p.pixel(...leftBlock)} ${p.pixel(...rightBlock)}`);
      else console.log("ok   book: the first click on next turned to pages 2-3");
    }

    // End, while the pages between are still loading.
    t0 = Date.now();
    if (process.env.BOOK_VERBOSE) console.log(`  ${((Date.now() - started) / 1000).toFixed(2)} End`);
    await tab.keyboard.press("End");
    const ready = await traced("ready 300", t0, 10);
    if (!ready) fail("End did not show the back cover");
    else {
      const seconds = (ready.at - t0) / 1000;
      if (seconds > 2) fail(`End showed the back cover after ${seconds.toFixed(2)} s (at most 2)`);
      await tab.waitForTimeout(200);
      p = await shot("book-last.png");
      if (!near(p.pixel(...leftBlock), colourOf(300), 12) || !near(p.pixel(...rightBlock), background, 12)) fail(`the back cover is not alone on the left: ${p.pixel(...leftBlock)} ${p.pixel(...rightBlock)}`);
      else if (lastCounter() !== "300 / 300") fail(`the counter says ${lastCounter()} on the back cover`);
      else console.log(`ok   book: End showed the back cover in ${seconds.toFixed(2)} s`);
    }

    // Home, then a leaf taken by its lower corner, dragged past the spine and let go.
    t0 = Date.now();
    await tab.keyboard.press("Home");
    if (!(await traced("ready 1", t0, 10))) fail("Home did not show the front cover");
    const corner = [Math.round(640 + 410 * S), Math.round(top + 585 * S)];
    await tab.mouse.move(...corner);
    await tab.mouse.down();
    await tab.mouse.move(700, 500, { steps: 6 });
    await tab.waitForTimeout(400);
    p = await shot("book-fold.png");
    // The corner brought to (700, 500) lifts the lower right of page 1's block: page 3 (blue-green,
    // in the leaf's shadow) shows there.
    const lifted = p.pixel(Math.round(640 + 370 * S), Math.round(top + 290 * S));
    if (near(lifted, colourOf(1), 40) || lifted[2] < lifted[0] + 50) fail(`the leaf did not follow the pointer: ${lifted}`);
    await tab.mouse.move(300, 620, { steps: 6 });
    t0 = Date.now();
    await tab.mouse.up();
    if (!(await traced("ready 2-3", t0, 10))) fail(`a leaf let go past the spine did not turn (counter ${lastCounter()})`);
    else if (lastCounter() !== "2-3 / 300") fail(`the counter says ${lastCounter()} after the drag`);
    else console.log("ok   book: a dragged leaf follows the pointer and turns");
  }
  for (const e of problems) fail(`the player or page logged: ${e}`);
  if (failures) for (const l of log) console.log(`  console: ${l.replace(/%c/g, "").slice(0, 300)}`);
} finally {
  if (context) await context.close();
  server.close();
  rmSync(profile, { recursive: true, force: true });
}
console.log(`book-check: ${failures === 0 ? "passed" : failures + " failure(s)"}`);
process.exit(failures === 0 ? 0 : 1);
