// Inside the GDI+ layer: the pixel store behind Image and Bitmap, row conversions between the
// pixel formats, and the decoders and encoders.
#pragma once

#include <GdiplusBitmap.h>

#include <cstdint>
#include <string>
#include <vector>

namespace Gdiplus {

struct Image::LwPixels {
  INT width = 0;
  INT height = 0;
  PixelFormat format = PixelFormatUndefined;
  INT stride = 0;         // bytes from one row to the next; negative for rows running upwards
  BYTE* scan0 = nullptr;  // row 0
  std::vector<BYTE> own;  // the rows when the bitmap owns them
  std::vector<ARGB> palette;
  UINT paletteFlags = 0;
  REAL dpiX = 96.0f;
  REAL dpiY = 96.0f;
  UINT extraFlags = 0;  // ImageFlags set by the decoder
  GUID rawFormat = ImageFormatMemoryBMP;
  // The JPEG file (grey or colour) the pixels were decoded from, until they change.
  std::vector<BYTE> jpeg;

  // LockBits state.
  bool locked = false;
  bool lockDirect = false;  // the caller got a pointer into the rows themselves
  Rect lockRect;
  UINT lockFlags = 0;
  PixelFormat lockFormat = 0;
  std::vector<BYTE> lockBuf;
  void* lockScan0 = nullptr;
  INT lockStride = 0;

  // LwBeginDraw state.
  cairo_surface_t* drawSurface = nullptr;
  bool drawDirect = false;

  BYTE* Row(INT y) const { return scan0 + static_cast<ptrdiff_t>(y) * stride; }
};

namespace lwimg {

// Largest image the layer makes (pixels) and largest row in bytes.
constexpr int64_t kMaxPixels = int64_t(1) << 28;
constexpr int kMaxDimension = 1 << 17;

bool IsSupportedFormat(PixelFormat f);
// Bytes of a row padded to 32 bits, as GDI+ and DIBs lay rows out; 0 when too large.
INT MinStride(INT width, PixelFormat f);

// Allocates the rows (zeroed) and the default palette for indexed formats. False when the size
// is invalid or too large, or memory runs out.
bool Allocate(Image::LwPixels& px, INT width, INT height, PixelFormat f);
std::vector<ARGB> DefaultPalette(PixelFormat f, UINT* flags);

// Row conversions; `x0` is the first pixel of the row and w the count. ARGB is not premultiplied;
// "premul" rows are cairo's (premultiplied, native-endian 32-bit words); written into a format
// without alpha they keep the colour as drawn over black.
void RowToArgb(const BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0, INT w, ARGB* out);
void ArgbToRow(const ARGB* in, INT w, BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0);
void RowToPremul(const BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0, INT w, uint32_t* out);
void PremulToRow(const uint32_t* in, INT w, BYTE* row, PixelFormat f, const std::vector<ARGB>& pal, INT x0);
// Copies w pixels of the same format between rows that may start at different bit offsets.
void CopyPixels(const BYTE* src, INT sx, BYTE* dst, INT dx, INT w, PixelFormat f);

inline uint32_t Premultiply(ARGB c) {
  const uint32_t a = c >> 24;
  if (a == 255) return c;
  if (a == 0) return 0;
  auto mul = [a](uint32_t v) {
    uint32_t t = v * a + 0x80;
    return ((t >> 8) + t) >> 8;
  };
  return (a << 24) | (mul((c >> 16) & 0xff) << 16) | (mul((c >> 8) & 0xff) << 8) | mul(c & 0xff);
}
inline ARGB Unpremultiply(uint32_t p) {
  const uint32_t a = p >> 24;
  if (a == 255) return p;
  if (a == 0) return 0;
  auto div = [a](uint32_t v) {
    uint32_t r = (v * 255 + a / 2) / a;
    return r > 255 ? 255u : r;
  };
  return (a << 24) | (div((p >> 16) & 0xff) << 16) | (div((p >> 8) & 0xff) << 8) | div(p & 0xff);
}

// The rest of a stream (from its position) or a whole file. Ok, or why not.
Status ReadStream(IStream* stream, std::vector<BYTE>& out);
Status ReadFile(const WCHAR* filename, std::vector<BYTE>& out);

// Decoders: whole file bytes in, a filled pixel store out. Each returns Ok or the failure.
Status DecodeImage(const BYTE* data, size_t size, Image::LwPixels& px);
Status DecodePng(const BYTE* data, size_t size, Image::LwPixels& px);
Status DecodeJpeg(const BYTE* data, size_t size, Image::LwPixels& px);
Status DecodeBmp(const BYTE* data, size_t size, Image::LwPixels& px);
Status DecodeGif(const BYTE* data, size_t size, Image::LwPixels& px);
Status DecodeTiff(const BYTE* data, size_t size, Image::LwPixels& px);

// Encoders: the file bytes of the image.
Status EncodePng(const Image::LwPixels& px, std::vector<BYTE>& out);
Status EncodeJpeg(const Image::LwPixels& px, int quality, std::vector<BYTE>& out);
Status EncodeBmp(const Image::LwPixels& px, std::vector<BYTE>& out);

// Whether a decoder may allocate `bytes` for pixels when `inputSize` bytes of file are left:
// compressed formats can expand a lot, but not without bound.
bool PlausibleSize(uint64_t bytes, size_t inputSize);

}  // namespace lwimg
}  // namespace Gdiplus
