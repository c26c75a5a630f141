// Opens a flip-book package as the program's Preview does: served by the program's own loopback
// server (flarewing_serve_package, the server behind Preview) and shown in headless Chromium with
// the player the package carries. The first page (red) must show, the player's WebAssembly must
// come from the package, and nothing may be logged as an error. Then the same index.html opened
// from disk (file://) must show its one sentence in place of a player.
//
// Usage: node preview.mjs <serve-program> <package-folder> <screenshots-folder>
import { spawn } from "node:child_process";
import { mkdtempSync, rmSync, writeFileSync } from "node:fs";
import { tmpdir } from "node:os";
import { join, resolve } from "node:path";
import { pathToFileURL } from "node:url";
import { chromium } from "playwright-core";
import { decodePng } from "./shared.mjs";

const [serveProgram, pkg, shotsDir] = process.argv.slice(2);
if (!serveProgram || !pkg || !shotsDir) {
  console.error("usage: node preview.mjs <serve-program> <package-folder> <screenshots-folder>");
  process.exit(2);
}

let failures = 0;
function fail(msg) {
  console.log("FAIL preview: " + msg);
  failures++;
}

const sentence = "This book must be put on a web server (or opened with Leafwright's Preview), " +
  "because browsers do not run it from a file.";

const server = spawn(serveProgram, [resolve(pkg)], { stdio: ["pipe", "pipe", "inherit"] });
const address = await new Promise((ok) => {
  let text = "";
  server.stdout.on("data", (d) => {
    text += d;
    if (text.includes("\n")) ok(text.split("\n")[0].trim());
  });
  server.on("exit", () => ok(""));
});
if (!/^http:\/\/127\.0\.0\.1:\d+\/index\.html$/.test(address)) {
  fail(`the preview server gave no loopback address (${address})`);
  process.exit(1);
}

const W = 800, H = 600;
const profile = mkdtempSync(join(tmpdir(), "preview-chromium-"));
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
  const log = [], errors = [], wasm = [];
  tab.on("console", (m) => {
    log.push(m.text());
    if (m.type() === "error" || /^(%c)?ERROR\b/.test(m.text())) errors.push(m.text().replace(/%c/g, ""));
  });
  tab.on("pageerror", (e) => errors.push(String(e)));
  tab.on("response", (r) => {
    if (r.url().endsWith(".wasm")) wasm.push(`${r.status()} ${r.url()}`);
  });
  await tab.goto(address);
  // The first page, wherever the viewer lays it out: a good part of the window turns red.
  const red = (p) => {
    let n = 0;
    for (let y = 0; y < H; y += 4)
      for (let x = 0; x < W; x += 4) {
        const [r, g, b] = p.pixel(x, y);
        if (r > 220 && g < 40 && b < 40) n++;
      }
    return n / ((W / 4) * (H / 4));
  };
  const started = Date.now();
  let shown = false;
  for (const until = Date.now() + 60000; Date.now() < until && !shown;) {
    await tab.waitForTimeout(500);
    shown = red(decodePng(await tab.screenshot())) > 0.1;
  }
  writeFileSync(join(shotsDir, "preview-served.png"), await tab.screenshot());
  if (!shown) fail("the first page (red) did not show over the loopback server");
  else console.log(`ok   preview: the package plays over the loopback server (${((Date.now() - started) / 1000).toFixed(1)} s)`);
  if (!wasm.some((w) => w.startsWith(`200 ${address.replace("index.html", "ruffle/")}`)))
    fail(`the player's WebAssembly did not come from the package: ${wasm.join(", ") || "none fetched"}`);
  for (const e of errors) fail(`the player or page logged an error: ${e}`);
  if (failures) for (const l of log) console.log(`  console: ${l}`);

  // From disk: one sentence and no player.
  const disk = await context.newPage();
  await disk.goto(pathToFileURL(join(resolve(pkg), "index.html")).href);
  await disk.waitForTimeout(500);
  const said = await disk.evaluate(() => document.getElementById("servedOnly")?.textContent ?? "");
  const players = await disk.evaluate(() => document.querySelectorAll("ruffle-player, ruffle-object, ruffle-embed, object, embed").length);
  writeFileSync(join(shotsDir, "preview-file.png"), await disk.screenshot());
  if (said !== sentence) fail(`index.html from disk says "${said}"`);
  else if (players !== 0) fail("index.html from disk still embeds a player");
  else console.log("ok   preview: index.html from disk says it must be served");
} finally {
  if (context) await context.close();
  server.stdin.end();
  rmSync(profile, { recursive: true, force: true });
}
const code = await new Promise((ok) => (server.exitCode !== null ? ok(server.exitCode) : server.on("exit", ok)));
if (code !== 0) fail(`the preview server ended with ${code}`);
console.log(`preview-check: ${failures === 0 ? "passed" : failures + " failure(s)"}`);
process.exit(failures === 0 ? 0 : 1);
