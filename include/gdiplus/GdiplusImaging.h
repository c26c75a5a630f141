// Records of the GDI+ imaging calls: locked pixel data, palettes, image codecs and encoder
// parameters, and the identifiers of the image file formats and of our encoders.
#pragma once

#include "GdiplusTypes.h"

namespace Gdiplus {

enum ImageLockMode {
  ImageLockModeRead = 0x0001,
  ImageLockModeWrite = 0x0002,
  // Scan0 and Stride of the BitmapData given to LockBits name the caller's own buffer.
  ImageLockModeUserInputBuf = 0x0004,
};

// Pixels handed out by Bitmap::LockBits: Height rows of Width pixels in PixelFormat, each row
// Stride bytes after the previous one (negative for rows that run upwards in memory).
class BitmapData {
 public:
  UINT Width = 0;
  UINT Height = 0;
  INT Stride = 0;
  ::Gdiplus::PixelFormat PixelFormat = 0;
  void* Scan0 = nullptr;
  UINT_PTR Reserved = 0;
};

enum PaletteFlags {
  PaletteFlagsHasAlpha = 0x0001,
  PaletteFlagsGrayScale = 0x0002,
  PaletteFlagsHalftone = 0x0004,
};

// A colour table; Count entries follow in place of Entries[1] (allocate
// sizeof(ColorPalette) + (Count - 1) * sizeof(ARGB) bytes, as Image::GetPaletteSize reports).
struct ColorPalette {
  UINT Flags;
  UINT Count;
  ARGB Entries[1];
};

enum ImageType { ImageTypeUnknown = 0, ImageTypeBitmap = 1, ImageTypeMetafile = 2 };

enum ImageFlags {
  ImageFlagsNone = 0,
  ImageFlagsScalable = 0x0001,
  ImageFlagsHasAlpha = 0x0002,
  ImageFlagsHasTranslucent = 0x0004,
  ImageFlagsPartiallyScalable = 0x0008,
  ImageFlagsColorSpaceRGB = 0x0010,
  ImageFlagsColorSpaceCMYK = 0x0020,
  ImageFlagsColorSpaceGRAY = 0x0040,
  ImageFlagsColorSpaceYCBCR = 0x0080,
  ImageFlagsColorSpaceYCCK = 0x0100,
  ImageFlagsHasRealDPI = 0x1000,
  ImageFlagsHasRealPixelSize = 0x2000,
  ImageFlagsReadOnly = 0x00010000,
  ImageFlagsCaching = 0x00020000,
};

enum ImageCodecFlags {
  ImageCodecFlagsEncoder = 0x00000001,
  ImageCodecFlagsDecoder = 0x00000002,
  ImageCodecFlagsSupportBitmap = 0x00000004,
  ImageCodecFlagsSupportVector = 0x00000008,
  ImageCodecFlagsSeekableEncode = 0x00000010,
  ImageCodecFlagsBlockingDecode = 0x00000020,
  ImageCodecFlagsBuiltin = 0x00010000,
  ImageCodecFlagsSystem = 0x00020000,
  ImageCodecFlagsUser = 0x00040000,
};

// One image codec. The strings and signature bytes live in the same buffer as the records that
// GetImageEncoders fills.
class ImageCodecInfo {
 public:
  CLSID Clsid;
  GUID FormatID;
  const WCHAR* CodecName;
  const WCHAR* DllName;
  const WCHAR* FormatDescription;
  const WCHAR* FilenameExtension;
  const WCHAR* MimeType;
  DWORD Flags;
  DWORD Version;
  DWORD SigCount;
  DWORD SigSize;
  const BYTE* SigPattern;
  const BYTE* SigMask;
};

enum EncoderParameterValueType {
  EncoderParameterValueTypeByte = 1,
  EncoderParameterValueTypeASCII = 2,
  EncoderParameterValueTypeShort = 3,
  EncoderParameterValueTypeLong = 4,
  EncoderParameterValueTypeRational = 5,
  EncoderParameterValueTypeLongRange = 6,
  EncoderParameterValueTypeUndefined = 7,
  EncoderParameterValueTypeRationalRange = 8,
};

class EncoderParameter {
 public:
  GUID Guid;
  ULONG NumberOfValues;
  ULONG Type;
  VOID* Value;
};

// Count parameters follow in place of Parameter[1].
class EncoderParameters {
 public:
  UINT Count;
  EncoderParameter Parameter[1];
};

// Image file formats (Image::GetRawFormat) and the parameters the encoders read. Our own values.
inline constexpr GUID ImageFormatUndefined = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x00}};
inline constexpr GUID ImageFormatMemoryBMP = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x01}};
inline constexpr GUID ImageFormatBMP = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x02}};
inline constexpr GUID ImageFormatJPEG = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x03}};
inline constexpr GUID ImageFormatPNG = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x04}};
inline constexpr GUID ImageFormatGIF = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x05}};

// Quality of the JPEG encoder: one Long value, 0 to 100 (75 when not given).
inline constexpr GUID EncoderQuality = {0x4c3f7a11, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x10}};

// Class ids of the encoders that GetImageEncoders lists.
inline constexpr CLSID LwEncoderClsidBMP = {0x4c3f7a12, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x20}};
inline constexpr CLSID LwEncoderClsidJPEG = {0x4c3f7a12, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x21}};
inline constexpr CLSID LwEncoderClsidPNG = {0x4c3f7a12, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x22}};

// The number of encoders and the bytes GetImageEncoders needs for their records and strings.
Status GetImageEncodersSize(UINT* numEncoders, UINT* size);
// Fills `encoders` (a buffer of `size` bytes) with numEncoders records followed by their strings.
Status GetImageEncoders(UINT numEncoders, UINT size, ImageCodecInfo* encoders);

}  // namespace Gdiplus
