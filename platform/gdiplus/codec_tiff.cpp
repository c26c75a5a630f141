// TIFF files through libtiff: the first image of the file, in any of the colour spaces and
// compressions libtiff reads, as 32-bit ARGB.
#include "image_internal.h"

#include <tiffio.h>

#include <GdiplusDecoders.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

namespace Gdiplus::lwimg {

namespace {

// The file's bytes as libtiff's client file.
struct MemoryFile {
  const BYTE* data;
  size_t size;
  size_t pos;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemoryFile*>(h);
  if (n <= 0 || f->pos >= f->size) return 0;
  const size_t take = std::min(static_cast<size_t>(n), f->size - f->pos);
  std::memcpy(buf, f->data + f->pos, take);
  f->pos += take;
  return static_cast<tmsize_t>(take);
}

tmsize_t WriteProc(thandle_t, void*, tmsize_t) { return -1; }

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemoryFile*>(h);
  uint64_t base = 0;
  if (whence == SEEK_CUR) base = f->pos;
  else if (whence == SEEK_END) base = f->size;
  else if (whence != SEEK_SET) return static_cast<toff_t>(-1);
  const uint64_t to = base + off;
  if (to < base) return static_cast<toff_t>(-1);  // wrapped
  f->pos = to > f->size ? f->size : static_cast<size_t>(to);
  return f->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) { return static_cast<MemoryFile*>(h)->size; }
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

// The library's complaints about a damaged file are answered by the failed decode, not printed.
int Quiet(TIFF*, void*, const char*, const char*, va_list) { return 1; }

}  // namespace

Status DecodeTiff(const BYTE* data, size_t size, Image::LwPixels& px) {
  MemoryFile file{data, size, 0};
  TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
  if (!options) return OutOfMemory;
  TIFFOpenOptionsSetErrorHandlerExtR(options, Quiet, nullptr);
  TIFFOpenOptionsSetWarningHandlerExtR(options, Quiet, nullptr);
  // No single buffer of the library larger than the largest image the layer makes.
  TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxPixels * 4));
  TIFF* tif = TIFFClientOpenExt("memory", "rm", &file, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                UnmapProc, options);
  TIFFOpenOptionsFree(options);
  if (!tif) return UnknownImageFormat;
  Status status = Ok;
  uint32_t width = 0, height = 0;
  char why[1024] = {};
  if (!TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) || !TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &height) ||
      width == 0 || height == 0 || width > static_cast<uint32_t>(kMaxDimension) ||
      height > static_cast<uint32_t>(kMaxDimension) || int64_t(width) * height > kMaxPixels ||
      !PlausibleSize(uint64_t(width) * height * 4, size) || !TIFFRGBAImageOK(tif, why)) {
    status = GenericError;
  } else if (!Allocate(px, static_cast<INT>(width), static_cast<INT>(height), PixelFormat32bppARGB)) {
    status = OutOfMemory;
  } else {
    // libtiff hands over premultiplied ABGR words, top row first when asked for.
    std::vector<uint32_t> raster;
    try {
      raster.resize(static_cast<size_t>(width) * height);
    } catch (const std::bad_alloc&) {
      status = OutOfMemory;
    }
    if (status == Ok && !TIFFReadRGBAImageOriented(tif, width, height, raster.data(), ORIENTATION_TOPLEFT, 1))
      status = GenericError;
    for (uint32_t y = 0; status == Ok && y < height; ++y) {
      auto* row = reinterpret_cast<ARGB*>(px.Row(static_cast<INT>(y)));
      const uint32_t* in = raster.data() + static_cast<size_t>(y) * width;
      for (uint32_t x = 0; x < width; ++x) {
        const uint32_t p = in[x];
        const uint32_t premul = (TIFFGetA(p) << 24) | (TIFFGetR(p) << 16) | (TIFFGetG(p) << 8) | TIFFGetB(p);
        row[x] = Unpremultiply(premul);
      }
    }
    float xres = 0, yres = 0;
    uint16_t unit = RESUNIT_INCH;
    TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
    if (status == Ok && TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) && TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) &&
        xres > 0 && yres > 0 && xres < 100000 && yres < 100000 && unit != RESUNIT_NONE) {
      const float scale = unit == RESUNIT_CENTIMETER ? 2.54f : 1.0f;
      px.dpiX = xres * scale;
      px.dpiY = yres * scale;
    }
  }
  TIFFClose(tif);
  if (status != Ok) px = Image::LwPixels();
  else px.rawFormat = ImageFormatTIFF;
  return status;
}

}  // namespace Gdiplus::lwimg
