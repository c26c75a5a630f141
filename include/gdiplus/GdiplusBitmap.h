// Images and bitmaps of the GDI+ layer: pixels in the GDI+ pixel formats, decoded from PNG, JPEG,
// BMP and GIF data, saved with the PNG, JPEG and BMP encoders, and handed to cairo for drawing.
//
// Pixels are kept in the bitmap's own format (GDI+ byte order: blue, green, red, alpha in memory;
// 32bppARGB not premultiplied, 32bppPARGB premultiplied). cairo's premultiplied surfaces appear
// only in the Lw* calls that the drawing classes use.
//
// Failed construction follows GDI+: the object exists and GetLastStatus() reports why (a decode
// of bad data gives a bitmap of size 0 whose GetLastStatus() is not Ok). FromStream and FromFile
// return such an object too, never null (except when memory for the object itself runs out).
#pragma once

#include <cairo.h>

#include <vector>

#include <windows.h>

#include "GdiplusImaging.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

class Image {
 public:
  virtual ~Image();
  Image(const Image&) = delete;
  Image& operator=(const Image&) = delete;

  // Decode an image file or the rest of a stream (from its current position).
  static Image* FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  static Image* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);

  // A full copy (pixels, palette, resolution); null when memory runs out or the image failed.
  virtual Image* Clone();

  ImageType GetType() const;
  UINT GetWidth() const;
  UINT GetHeight() const;
  PixelFormat GetPixelFormat() const;
  // ImageFlags: HasAlpha for formats or palettes with alpha, ColorSpaceRGB, and for decoded
  // images ReadOnly and HasRealPixelSize (HasRealDPI when the file gave a resolution).
  UINT GetFlags() const;
  Status GetRawFormat(GUID* format) const;
  // The JPEG file (grey or colour, not CMYK) the image was decoded from, while its pixels are
  // still that file's (no write since); null otherwise. Lets a writer pass the bytes through.
  const std::vector<BYTE>* LwJpegBytes() const;
  REAL GetHorizontalResolution() const;
  REAL GetVerticalResolution() const;

  // Palettes: a non-indexed image reports an empty palette (Count 0).
  INT GetPaletteSize() const;
  Status GetPalette(ColorPalette* palette, INT size) const;
  Status SetPalette(const ColorPalette* palette);

  // Encode with one of the encoders of GetImageEncoders (by class id). A file is written only
  // once the whole image has been encoded.
  Status Save(const WCHAR* filename, const CLSID* clsidEncoder, const EncoderParameters* encoderParams = nullptr);
  Status Save(IStream* stream, const CLSID* clsidEncoder, const EncoderParameters* encoderParams = nullptr);

  // The status of the last call that failed, reset to Ok by reading it.
  Status GetLastStatus() const;

  // A new CAIRO_FORMAT_ARGB32 (premultiplied) surface holding a copy of the image's pixels; the
  // caller destroys it. Null when the image is empty or memory runs out.
  cairo_surface_t* LwCreateSourceSurface() const;

  // The pixels, palette and state; defined inside the layer.
  struct LwPixels;

 protected:
  Image();
  Status SetStatus(Status status) const;

  LwPixels* px_;
  mutable Status lastResult_ = Ok;
};

class Bitmap : public Image {
 public:
  // A new bitmap of the given size and format, cleared to zero (transparent black; for indexed
  // formats index 0 of the default palette of that depth).
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
  // A bitmap over the caller's pixels: row y starts at scan0 + y * stride (a negative stride
  // runs upwards, as for a bottom-up DIB whose last row is given as scan0). Rows need not be
  // padded to 32 bits. The memory must outlive the bitmap. A null scan0 makes the bitmap allocate
  // its own rows.
  Bitmap(INT width, INT height, INT stride, PixelFormat format, BYTE* scan0);
  explicit Bitmap(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  explicit Bitmap(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);

  static Bitmap* FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement = FALSE);
  static Bitmap* FromStream(IStream* stream, BOOL useEmbeddedColorManagement = FALSE);
  // A copy of a GDI bitmap's pixels (a DIB section or a device bitmap): 24-bit bitmaps as
  // 24bppRGB, every other depth as 32bppRGB. The palette handle is not used. GetLastStatus() is
  // InvalidParameter for a handle that is not a bitmap.
  static Bitmap* FromHBITMAP(HBITMAP hbm, HPALETTE hpal);

  Image* Clone() override;
  // A copy of part of the bitmap, converted to format; null on failure.
  Bitmap* Clone(const Rect& rect, PixelFormat format);
  Bitmap* Clone(INT x, INT y, INT width, INT height, PixelFormat format);

  // Gives access to a rectangle (null: the whole bitmap) in `format`, converted from and, with
  // ImageLockModeWrite, back to the bitmap's own format at UnlockBits. With
  // ImageLockModeUserInputBuf, lockedBitmapData->Scan0 and Stride name the caller's buffer.
  // One lock at a time (WrongState otherwise). While a drawing surface is out (LwBeginDraw), the
  // lock sees what has been drawn so far, and pixels written through it reach the surface.
  Status LockBits(const Rect* rect, UINT flags, PixelFormat format, BitmapData* lockedBitmapData);
  Status UnlockBits(BitmapData* lockedBitmapData);

  // Non-premultiplied colour of a pixel (through the palette for indexed formats). SetPixel on an
  // indexed bitmap gives InvalidParameter, as in GDI+.
  Status GetPixel(INT x, INT y, Color* color);
  Status SetPixel(INT x, INT y, const Color& color);
  Status SetResolution(REAL xdpi, REAL ydpi);

  // A CAIRO_FORMAT_ARGB32 surface to draw into; what is drawn reaches the bitmap (in its own
  // format, caller memory included) when LwEndDraw is called with the same surface, which also
  // destroys it. Null when the bitmap is empty, locked or already being drawn into. GetPixel,
  // SetPixel and LockBits stay in step with the surface meanwhile. `copyBack` false skips the
  // copy, for a caller that has just brought everything over (LwSyncDraw) and drawn nothing since.
  cairo_surface_t* LwBeginDraw();
  void LwEndDraw(cairo_surface_t* surface, bool copyBack = true);
  // Brings what has been drawn into `area` (null: everywhere) to the bitmap's pixels now, without
  // ending the drawing. GDI+ draws straight into a bitmap's memory, and callers may hand that
  // memory on (to another thread) while their Graphics is still alive: a Graphics over a bitmap
  // calls this after each drawing call. Cheap for 32bppPARGB, whose surface is the pixels.
  void LwSyncDraw(const Rect* area = nullptr);

 protected:
  Bitmap();
};

// The flat calls by which the program's code reaches the image codecs. A flat bitmap is a Bitmap
// (delete it with GdipDisposeImage or delete).
typedef Image GpImage;
typedef Bitmap GpBitmap;

// The bitmap decoded from the rest of the stream, or null with the failure.
Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
Status GdipDisposeImage(GpImage* image);
Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size);
Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);

// GDI+ also offers the flat calls under Gdiplus::DllExports.
namespace DllExports {
using Gdiplus::GdipCreateBitmapFromStream;
using Gdiplus::GdipDisposeImage;
using Gdiplus::GdipGetImageEncoders;
using Gdiplus::GdipGetImageEncodersSize;
}  // namespace DllExports

}  // namespace Gdiplus
