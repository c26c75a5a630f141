// Bitmap: construction, pixel access, locking, copies and the drawing surface.
#include "image_internal.h"

#include <cstring>
#include <new>

namespace Gdiplus {

using lwimg::IsSupportedFormat;
using lwimg::MinStride;

Bitmap::Bitmap() = default;

Bitmap::Bitmap(INT width, INT height, PixelFormat format) {
  if (!IsSupportedFormat(format) || width <= 0 || height <= 0) {
    SetStatus(InvalidParameter);
    return;
  }
  if (!lwimg::Allocate(*px_, width, height, format)) SetStatus(OutOfMemory);
}

Bitmap::Bitmap(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0) {
  if (!IsSupportedFormat(format) || width <= 0 || height <= 0 || width > lwimg::kMaxDimension ||
      height > lwimg::kMaxDimension) {
    SetStatus(InvalidParameter);
    return;
  }
  if (!scan0) {
    if (!lwimg::Allocate(*px_, width, height, format)) SetStatus(OutOfMemory);
    return;
  }
  // Rows must hold the width. Unlike GDI+, rows that are not padded to 32 bits are accepted (raw
  // image data is often packed); only drawing then goes through a copy.
  const int64_t absStride = stride < 0 ? -int64_t(stride) : int64_t(stride);
  if (absStride < (int64_t(width) * GetPixelFormatSize(format) + 7) / 8) {
    SetStatus(InvalidParameter);
    return;
  }
  px_->width = width;
  px_->height = height;
  px_->format = format;
  px_->stride = stride;
  px_->scan0 = scan0;
  px_->palette = lwimg::DefaultPalette(format, &px_->paletteFlags);
}

namespace {

void DecodeInto(Image::LwPixels& px, const std::vector<BYTE>& bytes, Status& status) {
  status = lwimg::DecodeImage(bytes.data(), bytes.size(), px);
  if (status != Ok) {
    px = Image::LwPixels();  // a failed decode leaves an empty bitmap
  }
}

}  // namespace

Bitmap::Bitmap(const WCHAR* filename, BOOL) {
  std::vector<BYTE> bytes;
  Status s = lwimg::ReadFile(filename, bytes);
  if (s == Ok) DecodeInto(*px_, bytes, s);
  SetStatus(s);
}

Bitmap::Bitmap(IStream* stream, BOOL) {
  std::vector<BYTE> bytes;
  Status s = lwimg::ReadStream(stream, bytes);
  if (s == Ok) DecodeInto(*px_, bytes, s);
  SetStatus(s);
}

Bitmap* Bitmap::FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement) {
  return new (std::nothrow) Bitmap(filename, useEmbeddedColorManagement);
}

Bitmap* Bitmap::FromStream(IStream* stream, BOOL useEmbeddedColorManagement) {
  return new (std::nothrow) Bitmap(stream, useEmbeddedColorManagement);
}

Image* Bitmap::Clone() {
  if (px_->width <= 0) {
    SetStatus(WrongState);
    return nullptr;
  }
  Bitmap* copy = Clone(0, 0, px_->width, px_->height, px_->format);
  if (copy) {
    copy->px_->dpiX = px_->dpiX;
    copy->px_->dpiY = px_->dpiY;
    copy->px_->rawFormat = px_->rawFormat;
    copy->px_->extraFlags = px_->extraFlags;
    copy->px_->jpeg = px_->jpeg;
  }
  return copy;
}

Bitmap* Bitmap::Clone(const Rect& rect, PixelFormat format) {
  return Clone(rect.X, rect.Y, rect.Width, rect.Height, format);
}

Bitmap* Bitmap::Clone(INT x, INT y, INT width, INT height, PixelFormat format) {
  if (!IsSupportedFormat(format) || width <= 0 || height <= 0 || x < 0 || y < 0 || x > px_->width - width ||
      y > px_->height - height) {
    SetStatus(InvalidParameter);
    return nullptr;
  }
  auto* copy = new (std::nothrow) Bitmap(width, height, format);
  if (!copy || copy->px_->width == 0) {
    delete copy;
    SetStatus(OutOfMemory);
    return nullptr;
  }
  LwPixels& dst = *copy->px_;
  if (IsIndexedPixelFormat(format) && IsIndexedPixelFormat(px_->format)) {
    dst.palette = px_->palette;
    dst.paletteFlags = px_->paletteFlags;
  }
  std::vector<ARGB> row(static_cast<size_t>(width));
  for (INT r = 0; r < height; ++r) {
    if (format == px_->format) {
      lwimg::CopyPixels(px_->Row(y + r), x, dst.Row(r), 0, width, format);
    } else {
      lwimg::RowToArgb(px_->Row(y + r), px_->format, px_->palette, x, width, row.data());
      lwimg::ArgbToRow(row.data(), width, dst.Row(r), format, dst.palette, 0);
    }
  }
  dst.dpiX = px_->dpiX;
  dst.dpiY = px_->dpiY;
  return copy;
}

namespace {

// The palette used for pixels of `format` handed out by this bitmap: its own for indexed bitmaps,
// else the default palette of that depth.
std::vector<ARGB> LockPalette(const Image::LwPixels& px, PixelFormat format) {
  if (!IsIndexedPixelFormat(format)) return {};
  if (IsIndexedPixelFormat(px.format)) return px.palette;
  UINT flags = 0;
  return lwimg::DefaultPalette(format, &flags);
}

void ConvertRows(const BYTE* src, INT srcStride, PixelFormat srcFormat, const std::vector<ARGB>& srcPal, INT sx,
                 BYTE* dst, INT dstStride, PixelFormat dstFormat, const std::vector<ARGB>& dstPal, INT dx, INT width,
                 INT height) {
  std::vector<ARGB> row;
  if (srcFormat != dstFormat) row.resize(static_cast<size_t>(width));
  for (INT r = 0; r < height; ++r) {
    const BYTE* s = src + static_cast<ptrdiff_t>(r) * srcStride;
    BYTE* d = dst + static_cast<ptrdiff_t>(r) * dstStride;
    if (srcFormat == dstFormat) {
      lwimg::CopyPixels(s, sx, d, dx, width, srcFormat);
    } else {
      lwimg::RowToArgb(s, srcFormat, srcPal, sx, width, row.data());
      lwimg::ArgbToRow(row.data(), width, d, dstFormat, dstPal, dx);
    }
  }
}

// Keeping the pixels and a drawing surface over a copy of them in step.
void SurfaceToStore(Image::LwPixels& px, const Rect& r) {
  cairo_surface_flush(px.drawSurface);
  if (px.drawDirect) return;
  const BYTE* data = cairo_image_surface_get_data(px.drawSurface);
  const int stride = cairo_image_surface_get_stride(px.drawSurface);
  for (INT y = r.Y; y < r.Y + r.Height; ++y)
    lwimg::PremulToRow(reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride) + r.X, r.Width,
                       px.Row(y), px.format, px.palette, r.X);
}

void StoreToSurface(Image::LwPixels& px, const Rect& r) {
  if (!px.drawDirect) {
    cairo_surface_flush(px.drawSurface);
    BYTE* data = cairo_image_surface_get_data(px.drawSurface);
    const int stride = cairo_image_surface_get_stride(px.drawSurface);
    for (INT y = r.Y; y < r.Y + r.Height; ++y)
      lwimg::RowToPremul(px.Row(y), px.format, px.palette, r.X, r.Width,
                         reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride) + r.X);
  }
  cairo_surface_mark_dirty_rectangle(px.drawSurface, r.X, r.Y, r.Width, r.Height);
}

}  // namespace

void Bitmap::LwSyncDraw(const Rect* area) {
  LwPixels& px = *px_;
  if (!px.drawSurface) return;
  Rect r(0, 0, px.width, px.height);
  if (area && !Rect::Intersect(r, r, *area)) return;
  SurfaceToStore(px, r);
}

Status Bitmap::LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* data) {
  LwPixels& px = *px_;
  if (!data || px.width <= 0) return SetStatus(InvalidParameter);
  if (px.locked) return SetStatus(WrongState);
  const Rect r = rect ? *rect : Rect(0, 0, px.width, px.height);
  if (r.Width <= 0 || r.Height <= 0 || r.X < 0 || r.Y < 0 || r.X > px.width - r.Width || r.Y > px.height - r.Height)
    return SetStatus(InvalidParameter);
  if (!IsSupportedFormat(format) || !(flags & (ImageLockModeRead | ImageLockModeWrite)))
    return SetStatus(InvalidParameter);
  if (flags & ImageLockModeWrite) px.jpeg.clear();  // the pixels are no longer the file's

  const UINT bpp = GetPixelFormatSize(format);
  const bool user = (flags & ImageLockModeUserInputBuf) != 0;
  void* scan0;
  INT stride;
  bool direct = false;
  if (user) {
    const int64_t absStride = data->Stride < 0 ? -int64_t(data->Stride) : int64_t(data->Stride);
    if (!data->Scan0 || absStride < (int64_t(r.Width) * bpp + 7) / 8) return SetStatus(InvalidParameter);
    scan0 = data->Scan0;
    stride = data->Stride;
  } else if (format == px.format && (bpp >= 8 || (int64_t(r.X) * bpp) % 8 == 0)) {
    direct = true;
    scan0 = px.Row(r.Y) + (int64_t(r.X) * bpp) / 8;
    stride = px.stride;
  } else {
    stride = MinStride(r.Width, format);
    try {
      px.lockBuf.assign(static_cast<size_t>(stride) * r.Height, 0);
    } catch (const std::bad_alloc&) {
      return SetStatus(OutOfMemory);
    }
    scan0 = px.lockBuf.data();
  }

  if (px.drawSurface) SurfaceToStore(px, r);  // what has been drawn so far
  if (!direct && (flags & ImageLockModeRead))
    ConvertRows(px.Row(r.Y), px.stride, px.format, px.palette, r.X, static_cast<BYTE*>(scan0), stride, format,
                LockPalette(px, format), 0, r.Width, r.Height);

  px.locked = true;
  px.lockDirect = direct;
  px.lockRect = r;
  px.lockFlags = flags;
  px.lockFormat = format;
  px.lockScan0 = scan0;
  px.lockStride = stride;
  data->Width = static_cast<UINT>(r.Width);
  data->Height = static_cast<UINT>(r.Height);
  data->Stride = stride;
  data->PixelFormat = format;
  data->Scan0 = scan0;
  data->Reserved = 0;
  return Ok;
}

Status Bitmap::UnlockBits(BitmapData*) {
  LwPixels& px = *px_;
  if (!px.locked) return SetStatus(WrongState);
  if (!px.lockDirect && (px.lockFlags & ImageLockModeWrite)) {
    const Rect& r = px.lockRect;
    ConvertRows(static_cast<const BYTE*>(px.lockScan0), px.lockStride, px.lockFormat, LockPalette(px, px.lockFormat), 0,
                px.Row(r.Y), px.stride, px.format, px.palette, r.X, r.Width, r.Height);
  }
  if (px.drawSurface && (px.lockFlags & ImageLockModeWrite)) StoreToSurface(px, px.lockRect);
  px.locked = false;
  px.lockDirect = false;
  px.lockScan0 = nullptr;
  std::vector<BYTE>().swap(px.lockBuf);
  return Ok;
}

Status Bitmap::GetPixel(INT x, INT y, Color* color) {
  if (!color || x < 0 || y < 0 || x >= px_->width || y >= px_->height) return SetStatus(InvalidParameter);
  if (px_->locked) return SetStatus(WrongState);
  if (px_->drawSurface) SurfaceToStore(*px_, Rect(x, y, 1, 1));
  ARGB c;
  lwimg::RowToArgb(px_->Row(y), px_->format, px_->palette, x, 1, &c);
  color->SetValue(c);
  return Ok;
}

Status Bitmap::SetPixel(INT x, INT y, const Color& color) {
  if (x < 0 || y < 0 || x >= px_->width || y >= px_->height || IsIndexedPixelFormat(px_->format))
    return SetStatus(InvalidParameter);
  if (px_->locked) return SetStatus(WrongState);
  const ARGB c = color.GetValue();
  px_->jpeg.clear();
  lwimg::ArgbToRow(&c, 1, px_->Row(y), px_->format, px_->palette, x);
  if (px_->drawSurface) StoreToSurface(*px_, Rect(x, y, 1, 1));
  return Ok;
}

Status Bitmap::SetResolution(REAL xdpi, REAL ydpi) {
  if (!(xdpi > 0) || !(ydpi > 0)) return SetStatus(InvalidParameter);
  px_->dpiX = xdpi;
  px_->dpiY = ydpi;
  return Ok;
}

cairo_surface_t* Bitmap::LwBeginDraw() {
  LwPixels& px = *px_;
  if (px.width <= 0 || px.locked || px.drawSurface) return nullptr;
  px.jpeg.clear();
  cairo_surface_t* s;
  // 32bppPARGB rows are cairo's ARGB32 byte for byte: draw into them where cairo can address them.
  const bool direct = px.format == PixelFormat32bppPARGB && px.stride > 0 &&
                      px.stride == cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, px.width) &&
                      reinterpret_cast<uintptr_t>(px.scan0) % 4 == 0;
  if (direct) {
    s = cairo_image_surface_create_for_data(px.scan0, CAIRO_FORMAT_ARGB32, px.width, px.height, px.stride);
  } else {
    s = LwCreateSourceSurface();
    if (!s) return nullptr;
  }
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  px.drawSurface = cairo_surface_reference(s);  // the bitmap's own reference
  px.drawDirect = direct;
  return s;
}

void Bitmap::LwEndDraw(cairo_surface_t* surface, bool copyBack) {
  if (!surface) return;
  LwPixels& px = *px_;
  if (surface != px.drawSurface) {
    cairo_surface_destroy(surface);
    return;
  }
  cairo_surface_flush(surface);
  if (!px.drawDirect && copyBack) {
    const BYTE* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (INT y = 0; y < px.height; ++y)
      lwimg::PremulToRow(reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride), px.width,
                         px.Row(y), px.format, px.palette, 0);
  }
  px.drawSurface = nullptr;
  cairo_surface_destroy(surface);  // the bitmap's reference
  cairo_surface_destroy(surface);  // the caller's
}

}  // namespace Gdiplus
