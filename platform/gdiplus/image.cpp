// Image: the queries, palettes, saving and cairo source surfaces shared by every bitmap.
#include "image_internal.h"

#include <lwreplace.h>
#include <lwstr.h>
#include <winfile.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string_view>

namespace Gdiplus {

Image::Image() : px_(new LwPixels()) {}

Image::~Image() {
  if (px_ && px_->drawSurface) cairo_surface_destroy(px_->drawSurface);
  delete px_;
}

Status Image::SetStatus(Status status) const {
  if (status != Ok) lastResult_ = status;
  return status;
}

Status Image::GetLastStatus() const {
  const Status s = lastResult_;
  lastResult_ = Ok;
  return s;
}

Image* Image::FromFile(const WCHAR* filename, BOOL useEmbeddedColorManagement) {
  return Bitmap::FromFile(filename, useEmbeddedColorManagement);
}

Image* Image::FromStream(IStream* stream, BOOL useEmbeddedColorManagement) {
  return Bitmap::FromStream(stream, useEmbeddedColorManagement);
}

Image* Image::Clone() {
  SetStatus(NotImplemented);  // every image is a Bitmap, which overrides this
  return nullptr;
}

ImageType Image::GetType() const { return px_->width > 0 ? ImageTypeBitmap : ImageTypeUnknown; }
UINT Image::GetWidth() const { return static_cast<UINT>(px_->width); }
UINT Image::GetHeight() const { return static_cast<UINT>(px_->height); }
PixelFormat Image::GetPixelFormat() const { return px_->format; }
REAL Image::GetHorizontalResolution() const { return px_->dpiX; }
REAL Image::GetVerticalResolution() const { return px_->dpiY; }

UINT Image::GetFlags() const {
  UINT flags = ImageFlagsColorSpaceRGB | px_->extraFlags;
  if (IsAlphaPixelFormat(px_->format) || (IsIndexedPixelFormat(px_->format) && (px_->paletteFlags & PaletteFlagsHasAlpha)))
    flags |= ImageFlagsHasAlpha;
  return flags;
}

const std::vector<BYTE>* Image::LwJpegBytes() const { return px_->jpeg.empty() ? nullptr : &px_->jpeg; }

Status Image::GetRawFormat(GUID* format) const {
  if (!format) return SetStatus(InvalidParameter);
  *format = px_->rawFormat;
  return Ok;
}

INT Image::GetPaletteSize() const {
  const size_t n = IsIndexedPixelFormat(px_->format) ? px_->palette.size() : 0;
  return static_cast<INT>(sizeof(ColorPalette) + (n > 0 ? n - 1 : 0) * sizeof(ARGB));
}

Status Image::GetPalette(ColorPalette* palette, INT size) const {
  if (!palette || size < GetPaletteSize()) return SetStatus(InvalidParameter);
  const bool indexed = IsIndexedPixelFormat(px_->format);
  palette->Flags = indexed ? px_->paletteFlags : 0;
  palette->Count = indexed ? static_cast<UINT>(px_->palette.size()) : 0;
  if (indexed && !px_->palette.empty()) std::memcpy(palette->Entries, px_->palette.data(), px_->palette.size() * sizeof(ARGB));
  return Ok;
}

Status Image::SetPalette(const ColorPalette* palette) {
  if (!palette || palette->Count == 0 || palette->Count > 256) return SetStatus(InvalidParameter);
  if (!IsIndexedPixelFormat(px_->format)) return SetStatus(InvalidParameter);
  px_->jpeg.clear();
  px_->palette.assign(palette->Entries, palette->Entries + palette->Count);
  UINT flags = palette->Flags & (PaletteFlagsGrayScale | PaletteFlagsHalftone);
  for (ARGB c : px_->palette)
    if ((c >> 24) != 255) flags |= PaletteFlagsHasAlpha;
  px_->paletteFlags = flags;
  return Ok;
}

namespace {

Status Encode(const Image::LwPixels& px, const CLSID* clsid, const EncoderParameters* params, std::vector<BYTE>& out) {
  if (!clsid) return InvalidParameter;
  if (px.width <= 0 || px.height <= 0) return WrongState;
  if (px.locked) return WrongState;
  if (*clsid == LwEncoderClsidPNG) return lwimg::EncodePng(px, out);
  if (*clsid == LwEncoderClsidBMP) return lwimg::EncodeBmp(px, out);
  if (*clsid == LwEncoderClsidJPEG) {
    int quality = 75;
    if (params) {
      for (UINT i = 0; i < params->Count; ++i) {
        const EncoderParameter& p = params->Parameter[i];
        if (p.Guid == EncoderQuality && p.NumberOfValues >= 1 && p.Type == EncoderParameterValueTypeLong && p.Value) {
          const ULONG q = *static_cast<const ULONG*>(p.Value);
          if (q > 100) return InvalidParameter;
          quality = static_cast<int>(q);
        }
      }
    }
    return lwimg::EncodeJpeg(px, quality, out);
  }
  return FileNotFound;  // no encoder with that class id
}

}  // namespace

Status Image::Save(const WCHAR* filename, const CLSID* clsidEncoder, const EncoderParameters* encoderParams) {
  if (!filename) return SetStatus(InvalidParameter);
  std::vector<BYTE> bytes;
  Status s = Encode(*px_, clsidEncoder, encoderParams, bytes);
  if (s != Ok) return SetStatus(s);
  // Replaces an existing file only once the whole picture is on disk (a link there is followed).
  const std::string_view data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  if (!lw::ReplaceFileContents(lw::NativePath(filename), data)) {
    lw::SetLastErrorFromErrno(errno);
    return SetStatus(Win32Error);
  }
  return SetStatus(Ok);
}

Status Image::Save(IStream* stream, const CLSID* clsidEncoder, const EncoderParameters* encoderParams) {
  if (!stream) return SetStatus(InvalidParameter);
  std::vector<BYTE> bytes;
  Status s = Encode(*px_, clsidEncoder, encoderParams, bytes);
  if (s != Ok) return SetStatus(s);
  size_t done = 0;
  while (done < bytes.size()) {
    const ULONG chunk = static_cast<ULONG>(std::min<size_t>(bytes.size() - done, 1u << 30));
    ULONG written = 0;
    if (FAILED(stream->Write(bytes.data() + done, chunk, &written)) || written != chunk) return SetStatus(Win32Error);
    done += chunk;
  }
  return Ok;
}

cairo_surface_t* Image::LwCreateSourceSurface() const {
  if (px_->width <= 0 || px_->height <= 0) return nullptr;
  // A bitmap being drawn into shows what has been drawn so far (every image is a Bitmap).
  if (px_->drawSurface) const_cast<Bitmap*>(static_cast<const Bitmap*>(this))->LwSyncDraw(nullptr);
  cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, px_->width, px_->height);
  if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(s);
    return nullptr;
  }
  cairo_surface_flush(s);
  BYTE* data = cairo_image_surface_get_data(s);
  const int stride = cairo_image_surface_get_stride(s);
  for (INT y = 0; y < px_->height; ++y)
    lwimg::RowToPremul(px_->Row(y), px_->format, px_->palette, 0, px_->width,
                       reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride));
  cairo_surface_mark_dirty(s);
  return s;
}

// The encoders, in the order GetImageEncoders lists them.
namespace {

struct EncoderEntry {
  const CLSID* clsid;
  const GUID* format;
  const wchar_t* codecName;
  const wchar_t* description;
  const wchar_t* extensions;
  const wchar_t* mime;
  std::vector<BYTE> signature;
};

const std::vector<EncoderEntry>& Encoders() {
  static const std::vector<EncoderEntry> list = {
      {&LwEncoderClsidBMP, &ImageFormatBMP, L"Built-in BMP Codec", L"BMP", L"*.BMP;*.DIB;*.RLE", L"image/bmp", {'B', 'M'}},
      {&LwEncoderClsidJPEG, &ImageFormatJPEG, L"Built-in JPEG Codec", L"JPEG", L"*.JPG;*.JPEG;*.JPE;*.JFIF", L"image/jpeg",
       {0xFF, 0xD8}},
      {&LwEncoderClsidPNG, &ImageFormatPNG, L"Built-in PNG Codec", L"PNG", L"*.PNG", L"image/png",
       {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}},
  };
  return list;
}

size_t WideBytes(const wchar_t* s) { return (std::wcslen(s) + 1) * sizeof(wchar_t); }

size_t EncodersBytes() {
  size_t total = Encoders().size() * sizeof(ImageCodecInfo);
  for (const EncoderEntry& e : Encoders()) {
    total += WideBytes(e.codecName) + WideBytes(e.description) + WideBytes(e.extensions) + WideBytes(e.mime);
    total += 2 * e.signature.size();  // pattern and mask
  }
  return total;
}

}  // namespace

Status GetImageEncodersSize(UINT* numEncoders, UINT* size) {
  if (!numEncoders || !size) return InvalidParameter;
  *numEncoders = static_cast<UINT>(Encoders().size());
  *size = static_cast<UINT>(EncodersBytes());
  return Ok;
}

Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  if (!encoders || numEncoders != Encoders().size() || size < EncodersBytes()) return InvalidParameter;
  BYTE* base = reinterpret_cast<BYTE*>(encoders);
  size_t offset = Encoders().size() * sizeof(ImageCodecInfo);
  // Strings go first (wchar_t alignment), then the signature bytes.
  auto putString = [&](const wchar_t* s) {
    const size_t n = WideBytes(s);
    std::memcpy(base + offset, s, n);
    const WCHAR* p = reinterpret_cast<const WCHAR*>(base + offset);
    offset += n;
    return p;
  };
  for (size_t i = 0; i < Encoders().size(); ++i) {
    const EncoderEntry& e = Encoders()[i];
    ImageCodecInfo& info = encoders[i];
    info.Clsid = *e.clsid;
    info.FormatID = *e.format;
    info.CodecName = putString(e.codecName);
    info.DllName = nullptr;
    info.FormatDescription = putString(e.description);
    info.FilenameExtension = putString(e.extensions);
    info.MimeType = putString(e.mime);
    info.Flags = ImageCodecFlagsEncoder | ImageCodecFlagsDecoder | ImageCodecFlagsSupportBitmap | ImageCodecFlagsBuiltin;
    info.Version = 1;
    info.SigCount = 1;
    info.SigSize = static_cast<DWORD>(e.signature.size());
  }
  for (size_t i = 0; i < Encoders().size(); ++i) {
    const EncoderEntry& e = Encoders()[i];
    encoders[i].SigPattern = base + offset;
    std::memcpy(base + offset, e.signature.data(), e.signature.size());
    offset += e.signature.size();
    encoders[i].SigMask = base + offset;
    std::memset(base + offset, 0xFF, e.signature.size());
    offset += e.signature.size();
  }
  return Ok;
}

Status GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap) {
  if (!bitmap) return InvalidParameter;
  *bitmap = nullptr;
  if (!stream) return InvalidParameter;
  Bitmap* b = Bitmap::FromStream(stream);
  if (!b) return OutOfMemory;
  const Status s = b->GetLastStatus();
  if (s != Ok) {
    delete b;
    return s;
  }
  *bitmap = b;
  return Ok;
}

Status GdipDisposeImage(GpImage* image) {
  if (!image) return InvalidParameter;
  delete image;
  return Ok;
}

Status GdipGetImageEncodersSize(UINT* numEncoders, UINT* size) { return GetImageEncodersSize(numEncoders, size); }

Status GdipGetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders) {
  return GetImageEncoders(numEncoders, size, encoders);
}

}  // namespace Gdiplus
