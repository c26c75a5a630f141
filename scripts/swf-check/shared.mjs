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
