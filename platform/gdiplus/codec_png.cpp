// PNG files through libpng.
//
// libpng reports errors by longjmp back to the setjmp in the calling function. Every C++ object
// of those functions is therefore made before setjmp, and no frame between setjmp and the jump
// holds one.
#include "image_internal.h"

#include <png.h>

#include <cmath>
#include <csetjmp>
#include <algorithm>
#include <cstring>
#include <new>

namespace Gdiplus::lwimg {

namespace {

struct PngReadSource {
  const BYTE* data;
  size_t size;
  size_t pos;
};

void PngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarning(png_structp, png_const_charp) {}

void PngRead(png_structp png, png_bytep out, png_size_t length) {
  auto* src = static_cast<PngReadSource*>(png_get_io_ptr(png));
  if (length > src->size - src->pos) png_error(png, "truncated");
  std::memcpy(out, src->data + src->pos, length);
  src->pos += length;
}

struct PngWriteSink {
  std::vector<BYTE>* out;
  bool failed;
};

void PngWrite(png_structp png, png_bytep data, png_size_t length) {
  auto* sink = static_cast<PngWriteSink*>(png_get_io_ptr(png));
  try {
    sink->out->insert(sink->out->end(), data, data + length);
  } catch (const std::bad_alloc&) {
    sink->failed = true;
  }
  if (sink->failed) png_error(png, "out of memory");
}

void PngFlush(png_structp) {}

}  // namespace

Status DecodePng(const BYTE* data, size_t size, Image::LwPixels& px) {
  PngReadSource src{data, size, 0};
  std::vector<png_bytep> rows;
  volatile Status status = GenericError;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_read_struct(&png, nullptr, nullptr);
    return OutOfMemory;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return status;
  }
  png_set_read_fn(png, &src, PngRead);
  png_set_user_limits(png, kMaxDimension, kMaxDimension);
  png_set_chunk_malloc_max(png, 8u << 20);
  png_read_info(png, info);

  png_uint_32 width = 0, height = 0;
  int bitDepth = 0, colorType = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
  const bool hasTrns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;

  PixelFormat format;
  if (colorType == PNG_COLOR_TYPE_PALETTE) {
    format = PixelFormat8bppIndexed;
    png_set_packing(png);
  } else {
    png_set_expand(png);  // gray below 8 bits, tRNS to alpha
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    format = ((colorType & PNG_COLOR_MASK_ALPHA) || hasTrns) ? PixelFormat32bppARGB : PixelFormat24bppRGB;
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  if (int64_t(width) * height > kMaxPixels || !PlausibleSize(uint64_t(width) * height * 4, size)) {
    status = OutOfMemory;
    png_error(png, "too large");
  }
  if (!Allocate(px, static_cast<INT>(width), static_cast<INT>(height), format)) {
    status = OutOfMemory;
    png_error(png, "out of memory");
  }
  if (png_get_rowbytes(png, info) > static_cast<size_t>(px.stride)) png_error(png, "unexpected row size");

  if (format == PixelFormat8bppIndexed) {
    png_colorp plte = nullptr;
    int count = 0;
    if (!png_get_PLTE(png, info, &plte, &count) || count <= 0) png_error(png, "no palette");
    png_bytep trans = nullptr;
    int numTrans = 0;
    if (hasTrns) png_get_tRNS(png, info, &trans, &numTrans, nullptr);
    px.palette.assign(256, 0xFF000000);
    px.paletteFlags = 0;
    for (int i = 0; i < count && i < 256; ++i) {
      const BYTE a = (trans && i < numTrans) ? trans[i] : 255;
      px.palette[i] = Color::MakeARGB(a, plte[i].red, plte[i].green, plte[i].blue);
      if (a != 255) px.paletteFlags |= PaletteFlagsHasAlpha;
    }
  }

  rows.resize(height);
  for (png_uint_32 y = 0; y < height; ++y) rows[y] = px.Row(static_cast<INT>(y));
  png_read_image(png, rows.data());

  png_uint_32 resX = 0, resY = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &resX, &resY, &unit) && unit == PNG_RESOLUTION_METER && resX > 0 && resY > 0) {
    px.dpiX = static_cast<REAL>(resX * 0.0254);
    px.dpiY = static_cast<REAL>(resY * 0.0254);
    px.extraFlags |= ImageFlagsHasRealDPI;
  }
  px.extraFlags |= ImageFlagsReadOnly | ImageFlagsHasRealPixelSize;
  px.rawFormat = ImageFormatPNG;
  png_destroy_read_struct(&png, &info, nullptr);
  return Ok;
}

Status EncodePng(const Image::LwPixels& px, std::vector<BYTE>& out) {
  out.clear();
  const bool indexed = IsIndexedPixelFormat(px.format);
  const bool alpha = IsAlphaPixelFormat(px.format);
  const int channels = alpha ? 4 : 3;
  std::vector<ARGB> argb;
  std::vector<BYTE> line;
  PngWriteSink sink{&out, false};
  try {
    if (!indexed) {
      argb.resize(static_cast<size_t>(px.width));
      line.resize(static_cast<size_t>(px.width) * channels);
    }
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngError, PngWarning);
  if (!png) return OutOfMemory;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return OutOfMemory;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    out.clear();
    return sink.failed ? OutOfMemory : GenericError;
  }
  png_set_write_fn(png, &sink, PngWrite, PngFlush);
  if (indexed) {
    const int bits = static_cast<int>(GetPixelFormatSize(px.format));
    png_set_IHDR(png, info, px.width, px.height, bits, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color plte[256];
    png_byte trans[256];
    const int count = static_cast<int>(std::min<size_t>(px.palette.size(), size_t(1) << bits));
    int numTrans = 0;
    for (int i = 0; i < count; ++i) {
      const ARGB c = px.palette[i];
      plte[i].red = BYTE(c >> 16);
      plte[i].green = BYTE(c >> 8);
      plte[i].blue = BYTE(c);
      trans[i] = BYTE(c >> 24);
      if (trans[i] != 255) numTrans = i + 1;
    }
    if (count == 0) {
      plte[0] = png_color{0, 0, 0};
      png_set_PLTE(png, info, plte, 1);
    } else {
      png_set_PLTE(png, info, plte, count);
    }
    if (numTrans > 0) png_set_tRNS(png, info, trans, numTrans, nullptr);
  } else {
    png_set_IHDR(png, info, px.width, px.height, 8, alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  }
  png_set_pHYs(png, info, static_cast<png_uint_32>(std::lround(px.dpiX / 0.0254)),
               static_cast<png_uint_32>(std::lround(px.dpiY / 0.0254)), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  for (INT y = 0; y < px.height; ++y) {
    if (indexed) {
      png_write_row(png, px.Row(y));
      continue;
    }
    RowToArgb(px.Row(y), px.format, px.palette, 0, px.width, argb.data());
    BYTE* p = line.data();
    for (INT x = 0; x < px.width; ++x) {
      const ARGB c = argb[x];
      *p++ = BYTE(c >> 16);
      *p++ = BYTE(c >> 8);
      *p++ = BYTE(c);
      if (alpha) *p++ = BYTE(c >> 24);
    }
    png_write_row(png, line.data());
  }
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return Ok;
}

}  // namespace Gdiplus::lwimg
