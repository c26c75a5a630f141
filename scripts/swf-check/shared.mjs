// What the browser checks share: a walk over a movie's tags that reports each one swf-parser could
// not decode (sprites included), and a small PNG reader for the screenshots.
import { inflateSync } from "node:zlib";
import { TagType } from "swf-types";

export function walkTags(tags, path, file, fail) {
  for (const tag of tags) {
    if (tag.type === TagType.Raw || tag.type === TagType.RawBody) {
      fail(`${file}: swf-parser cannot decode tag ${tag.code ?? "?"} at ${path}`);
    }
    if (tag.type === TagType.DefineSprite) walkTags(tag.tags, `${path}/sprite ${tag.id}`, file, fail);
  }
}

// 8-bit RGB or RGBA, not interlaced; anything else is refused.
export function decodePng(buf) {
  let pos = 8;
  let width = 0, height = 0, channels = 0;
  const idat = [];
  while (pos < buf.length) {
    const len = buf.readUInt32BE(pos);
    const type = buf.toString("latin1", pos + 4, pos + 8);
    const data = buf.subarray(pos + 8, pos + 8 + len);
    if (type === "IHDR") {
      width = data.readUInt32BE(0);
      height = data.readUInt32BE(4);
      const depth = data[8], colour = data[9], interlace = data[12];
      if (depth !== 8 || interlace !== 0 || (colour !== 2 && colour !== 6)) throw new Error("unsupported PNG");
      channels = colour === 6 ? 4 : 3;
    } else if (type === "IDAT") {
      idat.push(data);
    }
    pos += 12 + len;
  }
  const raw = inflateSync(Buffer.concat(idat));
  const stride = width * channels;
  const out = Buffer.alloc(stride * height);
  for (let y = 0; y < height; y++) {
    const f = raw[y * (stride + 1)];
    for (let x = 0; x < stride; x++) {
      const v = raw[y * (stride + 1) + 1 + x];
      const a = x >= channels ? out[y * stride + x - channels] : 0;
      const b = y > 0 ? out[(y - 1) * stride + x] : 0;
      const c = x >= channels && y > 0 ? out[(y - 1) * stride + x - channels] : 0;
      let p;
      switch (f) {
        case 0: p = 0; break;
        case 1: p = a; break;
        case 2: p = b; break;
        case 3: p = (a + b) >> 1; break;
        case 4: {
          const pa = Math.abs(b - c), pb = Math.abs(a - c), pc = Math.abs(a + b - 2 * c);
          p = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
          break;
        }
        default: throw new Error("bad PNG filter");
      }
      out[y * stride + x] = (v + p) & 255;
    }
  }
  return { width, height, channels, data: out, pixel: (x, y) => [...out.subarray(y * stride + x * channels, y * stride + x * channels + 3)] };
}

// Serves a folder on 127.0.0.1 (a free port), files only, nothing outside it; resolves to the server.
export async function serveFolder(folder) {
  const { createServer } = await import("node:http");
  const { readFileSync, existsSync, statSync } = await import("node:fs");
  const { join, extname, normalize, sep } = await import("node:path");
  const types = { ".js": "text/javascript", ".wasm": "application/wasm", ".swf": "application/x-shockwave-flash",
    ".html": "text/html", ".xml": "text/xml", ".txt": "text/plain", ".flv": "video/x-flv" };
  const root = normalize(folder + sep);
  const server = createServer((req, res) => {
    const url = new URL(req.url, "http://127.0.0.1");
    if (url.pathname === "/favicon.ico") {
      res.writeHead(204);
      res.end();
      return;
    }
    const file = normalize(join(root, decodeURIComponent(url.pathname)));
    if (!file.startsWith(root) || !existsSync(file) || statSync(file).isDirectory()) {
      res.writeHead(404);
      res.end();
      return;
    }
    res.writeHead(200, { "content-type": types[extname(file)] ?? "application/octet-stream" });
    res.end(readFileSync(file));
  });
  await new Promise((ok) => server.listen(0, "127.0.0.1", ok));
  return server;
}

// Makes the package's Ruffle log at the info level (the movie's traces, and every warning) while
// keeping the rest of the configuration the page sets.
export async function logRuffleTraces(tab) {
  await tab.addInitScript(() => {
    let config = {};
    const api = {};
    Object.defineProperty(api, "config", {
      get: () => config,
      set: (v) => { config = { ...v, logLevel: "info" }; },
      configurable: true, enumerable: true,
    });
    window.RufflePlayer = api;
  });
}

// Ruffle's own messages in the console ("%cWARN%c file:line%c text" and the like): the level and text.
export function ruffleMessage(text) {
  const m = /^%c(TRACE|DEBUG|INFO|WARN|ERROR)%c\s*\S*%c\s?(.*?)(\s+color:.*)?$/s.exec(text);
  return m ? { level: m[1], text: m[2] } : null;
}

// Without graphics acceleration (headless Chromium) Ruffle opens a notice on the pointer's first
// visit, which takes the next click. Closes it through its own close button, as a visitor would,
// so that the clicks of a check reach the movie. Returns whether it was open.
export async function closeRuffleNotice(tab) {
  return tab.evaluate(() => {
    for (const el of document.querySelectorAll("*")) {
      const modal = el.shadowRoot?.getElementById("hardware-acceleration-modal");
      if (modal && !modal.classList.contains("hidden")) {
        modal.querySelector(".close-modal")?.click();
        return true;
      }
    }
    return false;
  });
}
