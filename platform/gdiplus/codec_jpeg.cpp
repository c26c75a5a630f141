// JPEG files through libjpeg(-turbo).
//
// libjpeg reports errors through error_exit, which here longjmps back to the setjmp in the
// calling function; as with libpng, every C++ object of those functions is made before setjmp.
// A stream that ends before the image does (libjpeg's "premature end" warning) fails the decode;
// other recoverable damage is decoded as libjpeg recovers it.
#include "image_internal.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE first; XMD_H keeps it from declaring its own INT32 over ours.
#define XMD_H
#include <jpeglib.h>
#include <jerror.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <algorithm>
#include <cstring>
#include <new>

namespace Gdiplus::lwimg {

namespace {

// Scans a progressive file may have before it is taken for damage (real files have a few tens).
constexpr int kMaxScans = 1000;
constexpr long kMaxWarnings = 10000;

struct JpegError {
  jpeg_error_mgr mgr;
  jmp_buf jump;
  bool truncated;
};

void JpegErrorExit(j_common_ptr cinfo) { longjmp(reinterpret_cast<JpegError*>(cinfo->err)->jump, 1); }

void JpegEmitMessage(j_common_ptr cinfo, int level) {
  auto* err = reinterpret_cast<JpegError*>(cinfo->err);
  if (level >= 0) return;  // trace messages
  if (err->mgr.msg_code == JWRN_JPEG_EOF) err->truncated = true;
  if (++err->mgr.num_warnings > kMaxWarnings) JpegErrorExit(cinfo);
}

void JpegOutputMessage(j_common_ptr) {}

void JpegProgress(j_common_ptr cinfo) {
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    JpegErrorExit(cinfo);
}

void InitError(JpegError& err) {
  jpeg_std_error(&err.mgr);
  err.mgr.error_exit = JpegErrorExit;
  err.mgr.emit_message = JpegEmitMessage;
  err.mgr.output_message = JpegOutputMessage;
  err.truncated = false;
}

}  // namespace

Status DecodeJpeg(const BYTE* data, size_t size, Image::LwPixels& px) {
  jpeg_decompress_struct cinfo;
  JpegError err;
  jpeg_progress_mgr progress;
  volatile Status status = GenericError;
  std::memset(&cinfo, 0, sizeof(cinfo));
  InitError(err);
  cinfo.err = &err.mgr;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    return status;
  }
  jpeg_create_decompress(&cinfo);
  progress.progress_monitor = JpegProgress;
  cinfo.progress = &progress;
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&cinfo, TRUE) != JPEG_HEADER_OK) longjmp(err.jump, 1);

  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;
  if (cinfo.image_width == 0 || cinfo.image_height == 0 || cinfo.image_width > JDIMENSION(kMaxDimension) ||
      cinfo.image_height > JDIMENSION(kMaxDimension) || int64_t(cinfo.image_width) * cinfo.image_height > kMaxPixels ||
      !PlausibleSize(uint64_t(cinfo.image_width) * cinfo.image_height * 3, size)) {
    status = OutOfMemory;
    longjmp(err.jump, 1);
  }
  jpeg_start_decompress(&cinfo);
  if (!Allocate(px, static_cast<INT>(cinfo.output_width), static_cast<INT>(cinfo.output_height), PixelFormat24bppRGB)) {
    status = OutOfMemory;
    longjmp(err.jump, 1);
  }
  JSAMPARRAY cmykRow = nullptr;
  if (cmyk) {
    if (cinfo.output_components != 4) longjmp(err.jump, 1);
    cmykRow = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE, cinfo.output_width * 4, 1);
  } else if (cinfo.output_components != 3) {
    longjmp(err.jump, 1);
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    const INT y = static_cast<INT>(cinfo.output_scanline);
    if (!cmyk) {
      JSAMPROW row = px.Row(y);
      if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) longjmp(err.jump, 1);
      continue;
    }
    if (jpeg_read_scanlines(&cinfo, cmykRow, 1) != 1) longjmp(err.jump, 1);
    // Adobe's files store the inks inverted.
    const bool inverted = cinfo.saw_Adobe_marker;
    const JSAMPLE* s = cmykRow[0];
    BYTE* d = px.Row(y);
    for (JDIMENSION x = 0; x < cinfo.output_width; ++x, s += 4, d += 3) {
      const unsigned c = inverted ? s[0] : 255u - s[0], m = inverted ? s[1] : 255u - s[1];
      const unsigned yy = inverted ? s[2] : 255u - s[2], k = inverted ? s[3] : 255u - s[3];
      d[0] = BYTE((yy * k + 127) / 255);
      d[1] = BYTE((m * k + 127) / 255);
      d[2] = BYTE((c * k + 127) / 255);
    }
  }
  if (err.truncated) longjmp(err.jump, 1);
  if (cinfo.saw_JFIF_marker && cinfo.X_density > 0 && cinfo.Y_density > 0 &&
      (cinfo.density_unit == 1 || cinfo.density_unit == 2)) {
    const double scale = cinfo.density_unit == 1 ? 1.0 : 2.54;
    px.dpiX = static_cast<REAL>(cinfo.X_density * scale);
    px.dpiY = static_cast<REAL>(cinfo.Y_density * scale);
    px.extraFlags |= ImageFlagsHasRealDPI;
  }
  px.extraFlags |= ImageFlagsReadOnly | ImageFlagsHasRealPixelSize;
  px.rawFormat = ImageFormatJPEG;
  if (!cmyk) px.jpeg.assign(data, data + size);
  jpeg_abort_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return Ok;
}

Status EncodeJpeg(const Image::LwPixels& px, int quality, std::vector<BYTE>& out) {
  out.clear();
  std::vector<ARGB> argb;
  std::vector<BYTE> line;
  try {
    argb.resize(static_cast<size_t>(px.width));
    line.resize(static_cast<size_t>(px.width) * 3);
  } catch (const std::bad_alloc&) {
    return OutOfMemory;
  }
  jpeg_compress_struct cinfo;
  JpegError err;
  unsigned char* buffer = nullptr;
  unsigned long bufferSize = 0;
  std::memset(&cinfo, 0, sizeof(cinfo));
  InitError(err);
  cinfo.err = &err.mgr;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return GenericError;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &bufferSize);
  cinfo.image_width = static_cast<JDIMENSION>(px.width);
  cinfo.image_height = static_cast<JDIMENSION>(px.height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.write_JFIF_header = TRUE;
  cinfo.density_unit = 1;
  cinfo.X_density = static_cast<UINT16>(std::lround(std::min(px.dpiX, 65535.0f)));
  cinfo.Y_density = static_cast<UINT16>(std::lround(std::min(px.dpiY, 65535.0f)));
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    const INT y = static_cast<INT>(cinfo.next_scanline);
    JSAMPROW row;
    if (px.format == PixelFormat24bppRGB) {
      row = px.Row(y);
    } else {
      RowToArgb(px.Row(y), px.format, px.palette, 0, px.width, argb.data());
      BYTE* d = line.data();
      for (INT x = 0; x < px.width; ++x, d += 3) {
        d[0] = BYTE(argb[x]);
        d[1] = BYTE(argb[x] >> 8);
        d[2] = BYTE(argb[x] >> 16);
      }
      row = line.data();
    }
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  Status s = Ok;
  try {
    out.assign(buffer, buffer + bufferSize);
  } catch (const std::bad_alloc&) {
    s = OutOfMemory;
  }
  std::free(buffer);
  return s;
}

}  // namespace Gdiplus::lwimg
