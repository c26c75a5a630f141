// GIF files through giflib: the first frame, as an 8bppIndexed bitmap the size of the logical
// screen. The frame's transparent colour (graphic control extension) gets alpha 0 in the palette;
// the screen outside the frame shows the transparent colour when there is one, else the
// background colour.
#include "image_internal.h"

#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace Gdiplus::lwimg {

namespace {

struct GifSource {
  const BYTE* data;
  size_t size;
  size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* out, int length) {
  auto* src = static_cast<GifSource*>(gif->UserData);
  if (length <= 0) return 0;
  const size_t n = std::min<size_t>(static_cast<size_t>(length), src->size - src->pos);
  std::memcpy(out, src->data + src->pos, n);
  src->pos += n;
  return static_cast<int>(n);
}

struct GifCloser {
  GifFileType* gif;
  ~GifCloser() {
    if (gif) DGifCloseFile(gif, nullptr);
  }
};

}  // namespace

Status DecodeGif(const BYTE* data, size_t size, Image::LwPixels& px) {
  GifSource src{data, size, 0};
  int error = 0;
  GifCloser closer{DGifOpen(&src, GifRead, &error)};
  GifFileType* gif = closer.gif;
  if (!gif) return error == D_GIF_ERR_NOT_ENOUGH_MEM ? OutOfMemory : GenericError;

  int transparent = -1;
  for (;;) {
    GifRecordType type;
    if (DGifGetRecordType(gif, &type) == GIF_ERROR) return GenericError;
    if (type == TERMINATE_RECORD_TYPE) return GenericError;  // no frame at all
    if (type == EXTENSION_RECORD_TYPE) {
      int code = 0;
      GifByteType* ext = nullptr;
      if (DGifGetExtension(gif, &code, &ext) == GIF_ERROR) return GenericError;
      if (code == GRAPHICS_EXT_FUNC_CODE && ext && ext[0] >= 4) transparent = (ext[1] & 1) ? ext[4] : -1;
      while (ext) {
        if (DGifGetExtensionNext(gif, &ext) == GIF_ERROR) return GenericError;
      }
      continue;
    }
    if (type != IMAGE_DESC_RECORD_TYPE) continue;
    if (DGifGetImageDesc(gif) == GIF_ERROR) return GenericError;
    break;
  }

  const GifImageDesc& frame = gif->Image;
  if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0) return GenericError;
  const int64_t canvasW = std::max<int64_t>(gif->SWidth, int64_t(frame.Left) + frame.Width);
  const int64_t canvasH = std::max<int64_t>(gif->SHeight, int64_t(frame.Top) + frame.Height);
  if (canvasW > kMaxDimension || canvasH > kMaxDimension || canvasW * canvasH > kMaxPixels ||
      !PlausibleSize(uint64_t(canvasW) * uint64_t(canvasH), size))
    return OutOfMemory;
  if (!Allocate(px, static_cast<INT>(canvasW), static_cast<INT>(canvasH), PixelFormat8bppIndexed)) return OutOfMemory;

  const ColorMapObject* map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
  if (map && map->Colors && map->ColorCount > 0) {
    px.palette.assign(256, 0xFF000000);
    for (int i = 0; i < map->ColorCount && i < 256; ++i)
      px.palette[i] = Color::MakeARGB(255, map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    px.paletteFlags = 0;
  }
  if (transparent >= 0) {
    px.palette[transparent] &= 0x00FFFFFF;
    px.paletteFlags |= PaletteFlagsHasAlpha;
  }
  const BYTE fill = BYTE(transparent >= 0 ? transparent : gif->SBackGroundColor);
  for (INT y = 0; y < px.height; ++y) std::memset(px.Row(y), fill, static_cast<size_t>(px.width));

  std::vector<GifPixelType> line;
  try {
    line.resize(static_cast<size_t>(frame.Width));
  } catch (const std::bad_alloc&) {
    px = Image::LwPixels();
    return OutOfMemory;
  }
  auto readLine = [&](int row) {
    if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR) return false;
    std::memcpy(px.Row(frame.Top + row) + frame.Left, line.data(), line.size());
    return true;
  };
  bool ok = true;
  if (frame.Interlace) {
    static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4 && ok; ++pass)
      for (int row = kStart[pass]; row < frame.Height && ok; row += kStep[pass]) ok = readLine(row);
  } else {
    for (int row = 0; row < frame.Height && ok; ++row) ok = readLine(row);
  }
  if (!ok) {
    px = Image::LwPixels();
    return GenericError;
  }
  px.extraFlags |= ImageFlagsReadOnly | ImageFlagsHasRealPixelSize;
  px.rawFormat = ImageFormatGIF;
  return Ok;
}

}  // namespace Gdiplus::lwimg
