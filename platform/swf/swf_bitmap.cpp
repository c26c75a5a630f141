// Bitmaps: baseline JPEG bytes (DefineBitsJPEG2) and pixels (DefineBitsLossless2).
#include "swf_internal.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>

using namespace swfw;

namespace {

struct JpegInfo {
  int width = 0, height = 0;
  size_t length = 0;  // bytes up to and including the end-of-image marker
};

// Walks the marker segments of a JPEG stream. Accepts a baseline (SOF0), 8-bit, one- or
// three-component image that ends with an end-of-image marker; anything else is refused.
bool ParseBaselineJpeg(const uint8_t* p, size_t n, JpegInfo* info, std::string* why) {
  if (n < 4 || p[0] != 0xFF || p[1] != 0xD8) {
    *why = "not a JPEG stream";
    return false;
  }
  size_t pos = 2;
  bool haveFrame = false;
  while (true) {
    if (pos >= n || p[pos] != 0xFF) {
      *why = "JPEG marker expected";
      return false;
    }
    while (pos < n && p[pos] == 0xFF) ++pos;  // fill bytes
    if (pos >= n) {
      *why = "JPEG stream ends inside a marker";
      return false;
    }
    uint8_t m = p[pos++];
    if (m == 0xD9) {
      if (!haveFrame) {
        *why = "JPEG stream without a frame";
        return false;
      }
      info->length = pos;
      return true;
    }
    if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) continue;  // no length
    if (m == 0xD8 || m == 0x00) {
      *why = "misplaced JPEG marker";
      return false;
    }
    if (n - pos < 2) {
      *why = "JPEG segment length missing";
      return false;
    }
    size_t len = (size_t(p[pos]) << 8) | p[pos + 1];
    if (len < 2 || len > n - pos) {
      *why = "JPEG segment runs past the end";
      return false;
    }
    const uint8_t* seg = p + pos + 2;
    size_t segLen = len - 2;
    if (m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC) {
      if (m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE) {
        *why = "progressive JPEG is not supported";
        return false;
      }
      if (m != 0xC0) {
        *why = "only baseline JPEG is supported";
        return false;
      }
      if (haveFrame || segLen < 6) {
        *why = "bad JPEG frame header";
        return false;
      }
      int precision = seg[0];
      info->height = (seg[1] << 8) | seg[2];
      info->width = (seg[3] << 8) | seg[4];
      int comps = seg[5];
      if (precision != 8 || info->width == 0 || info->height == 0 || (comps != 1 && comps != 3) ||
          segLen < 6 + size_t(comps) * 3) {
        *why = "unsupported JPEG frame (8-bit grey or colour baseline only)";
        return false;
      }
      haveFrame = true;
    }
    pos += len;
    if (m == 0xDA) {  // start of scan: skip the entropy-coded data
      if (!haveFrame) {
        *why = "JPEG scan before the frame header";
        return false;
      }
      while (true) {
        if (pos + 1 >= n) {
          *why = "JPEG stream ends inside a scan";
          return false;
        }
        if (p[pos] == 0xFF && p[pos + 1] != 0x00 && !(p[pos + 1] >= 0xD0 && p[pos + 1] <= 0xD7) &&
            p[pos + 1] != 0xFF)
          break;
        ++pos;
      }
    }
  }
}

std::string Sniff(const uint8_t* p, size_t n) {
  if (n >= 8 && std::memcmp(p, "\x89PNG\r\n\x1a\n", 8) == 0) return "PNG images are not supported";
  if (n >= 2 && p[0] == 'B' && p[1] == 'M') return "BMP images are not supported";
  if (n >= 4 && std::memcmp(p, "GIF8", 4) == 0) return "GIF images are not supported";
  return "unknown image encoding";
}

}  // namespace

int SWFBitmap_s::Define(SaveContext& ctx) {
  if (int id = ctx.IdOf(this)) return id;
  int id = ctx.NewId(this);
  Writer w;
  w.U16(uint32_t(id));
  if (jpeg) {
    w.Bytes(data);
    WriteTag(ctx.tags, kTagDefineBitsJPEG2, w.bytes, true);
  } else {
    w.U8(5);  // 32-bit ARGB
    w.U16(uint32_t(width));
    w.U16(uint32_t(height));
    w.Bytes(data);
    WriteTag(ctx.tags, kTagDefineBitsLossless2, w.bytes, true);
  }
  return id;
}

SWFInput newSWFInput_bufferCopy(const unsigned char* bytes, int length) {
  if (length < 0 || (!bytes && length > 0)) {
    SetLastError("bad input buffer");
    return nullptr;
  }
  auto* in = new SWFInput_s;
  if (length > 0) in->bytes.assign(bytes, bytes + length);
  return in;
}

void destroySWFInput(SWFInput input) { delete input; }

SWFBitmap newSWFBitmap_fromInput(SWFInput input) {
  if (!input) {
    SetLastError("no input");
    return nullptr;
  }
  const uint8_t* p = input->bytes.data();
  size_t n = input->bytes.size();
  if (n >= 2 && p[0] == 0xFF && p[1] == 0xD8) {
    JpegInfo info;
    std::string why;
    if (!ParseBaselineJpeg(p, n, &info, &why)) {
      SetLastError(why);
      return nullptr;
    }
    auto* bm = new SWFBitmap_s;
    bm->jpeg = true;
    bm->width = info.width;
    bm->height = info.height;
    bm->data.assign(p, p + info.length);
    return bm;
  }
  SetLastError(Sniff(p, n));
  return nullptr;
}

SWFBitmap newSWFBitmap_fromPixels(const uint8_t* pixels, int width, int height, int stride,
                                  SWFPixelFormat format) {
  int bpp = format == SWF_PIXELS_BGR24 ? 3 : (format == SWF_PIXELS_BGRA32 || format == SWF_PIXELS_BGRX32) ? 4 : 0;
  if (!pixels || bpp == 0 || width < 1 || height < 1 || width > 0xffff || height > 0xffff ||
      stride < width * bpp) {
    SetLastError("bad bitmap pixels");
    return nullptr;
  }
  std::vector<uint8_t> argb;
  argb.resize(size_t(width) * size_t(height) * 4);
  uint8_t* out = argb.data();
  for (int y = 0; y < height; ++y) {
    const uint8_t* row = pixels + size_t(y) * size_t(stride);
    for (int x = 0; x < width; ++x, row += bpp) {
      uint32_t a = format == SWF_PIXELS_BGRA32 ? row[3] : 255;
      auto pm = [a](uint32_t c) { return uint8_t((c * a + 127) / 255); };
      *out++ = uint8_t(a);
      *out++ = pm(row[2]);
      *out++ = pm(row[1]);
      *out++ = pm(row[0]);
    }
  }
  uLongf bound = compressBound(uLong(argb.size()));
  auto* bm = new SWFBitmap_s;
  bm->data.resize(bound);
  if (compress2(bm->data.data(), &bound, argb.data(), uLong(argb.size()), Z_BEST_SPEED) != Z_OK) {
    delete bm;
    SetLastError("zlib compression failed");
    return nullptr;
  }
  bm->data.resize(bound);
  bm->width = width;
  bm->height = height;
  return bm;
}

void destroySWFBitmap(SWFBitmap bitmap) {
  if (bitmap) bitmap->Release();
}
int SWFBitmap_getWidth(SWFBitmap bitmap) { return bitmap ? bitmap->width : 0; }
int SWFBitmap_getHeight(SWFBitmap bitmap) { return bitmap ? bitmap->height : 0; }
