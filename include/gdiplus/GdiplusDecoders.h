// Image decoders lent by other layers: a layer over a library that reads more picture formats
// registers a decoder here, and Bitmap reads those files too (tried after the layer's own PNG,
// JPEG, BMP, GIF and TIFF decoders, in the order registered).
#pragma once

#include <cstddef>
#include <vector>

#include "GdiplusImaging.h"
#include "GdiplusTypes.h"

namespace Gdiplus {

// The formats of pictures read by libtiff and by lent decoders (Image::GetRawFormat).
inline constexpr GUID ImageFormatTIFF = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x06}};
inline constexpr GUID ImageFormatOther = {0x4c3f7a10, 0x5a2e, 0x4b6d, {0x9e, 0x11, 0x6c, 0x70, 0x52, 0x4c, 0x57, 0x07}};

struct LwImageDecoder {
  // Whether the file's first bytes are of a format the decoder reads.
  bool (*pfnRecognise)(const BYTE* data, size_t size) = nullptr;
  // The first picture of the file as straight (not premultiplied) ARGB words, top row first;
  // false when the file cannot be read. It must never read past size, and should refuse
  // pictures larger than it can hold.
  bool (*pfnDecode)(const BYTE* data, size_t size, INT* width, INT* height, std::vector<ARGB>* pixels) = nullptr;
};

// Adds a decoder once (a decoder already registered is not added again). Safe to call while other
// threads decode.
void LwRegisterImageDecoder(const LwImageDecoder& decoder);

}  // namespace Gdiplus
