// The picture formats the toolkit's image handlers read and the GDI+ layer does not: PCX, TGA,
// Windows icons, cursors and animated cursors. Lent to the GDI+ layer when this library loads.
#include <cstring>
#include <mutex>
#include <vector>

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <afxdlgs.h>
#include <gdiplus/GdiplusDecoders.h>

namespace {

using Gdiplus::ARGB;

// Largest picture taken from these formats (the GDI+ layer checks its own limits as well).
constexpr uint64_t kMaxPixels = uint64_t(1) << 26;

uint32_t Le16(const BYTE* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

enum class Kind { None, Pcx, Tga, Ico, Cur, Ani };

// A TGA file has no signature: its header must describe a picture the handler reads, and the
// header's sizes must fit the file.
bool LooksLikeTga(const BYTE* d, size_t size) {
  if (size < 18) return false;
  const BYTE idLength = d[0], mapType = d[1], type = d[2], depth = d[16];
  if (mapType > 1) return false;
  if (type != 1 && type != 2 && type != 3 && type != 9 && type != 10 && type != 11) return false;
  if (depth != 8 && depth != 15 && depth != 16 && depth != 24 && depth != 32) return false;
  if ((type == 1 || type == 9) != (mapType == 1)) return false;
  if (Le16(d + 12) == 0 || Le16(d + 14) == 0) return false;
  const uint64_t mapBytes = mapType ? uint64_t(Le16(d + 5)) * ((d[7] + 7u) / 8u) : 0;
  return 18u + idLength + mapBytes <= size;
}

Kind KindOf(const BYTE* d, size_t size) {
  if (size >= 128 && d[0] == 0x0A && d[1] <= 5 && d[2] == 1 && (d[3] == 1 || d[3] == 8)) return Kind::Pcx;
  if (size >= 22 && d[0] == 0 && d[1] == 0 && d[2] == 1 && d[3] == 0 && Le16(d + 4) > 0) return Kind::Ico;
  if (size >= 22 && d[0] == 0 && d[1] == 0 && d[2] == 2 && d[3] == 0 && Le16(d + 4) > 0) return Kind::Cur;
  if (size >= 12 && std::memcmp(d, "RIFF", 4) == 0 && std::memcmp(d + 8, "ACON", 4) == 0) return Kind::Ani;
  if (LooksLikeTga(d, size)) return Kind::Tga;
  return Kind::None;
}

// The picture's size as its header gives it, where the format can name a large one.
bool SizeFits(Kind kind, const BYTE* d, size_t size) {
  uint64_t w = 0, h = 0;
  if (kind == Kind::Pcx) {
    const uint32_t x0 = Le16(d + 4), y0 = Le16(d + 6), x1 = Le16(d + 8), y1 = Le16(d + 10);
    if (x1 < x0 || y1 < y0) return false;
    w = x1 - x0 + 1;
    h = y1 - y0 + 1;
  } else if (kind == Kind::Tga) {
    w = Le16(d + 12);
    h = Le16(d + 14);
  } else {
    return true;  // icons and cursors are at most 256 x 256
  }
  // Run-length data expands at most about 64 times (PCX) or 128 times (TGA).
  return w * h <= kMaxPixels && w * h <= uint64_t(size) * 4096;
}

wxBitmapType HandlerType(Kind kind) {
  switch (kind) {
    case Kind::Pcx: return wxBITMAP_TYPE_PCX;
    case Kind::Tga: return wxBITMAP_TYPE_TGA;
    case Kind::Ico: return wxBITMAP_TYPE_ICO;
    case Kind::Cur: return wxBITMAP_TYPE_CUR;
    case Kind::Ani: return wxBITMAP_TYPE_ANI;
    default: return wxBITMAP_TYPE_INVALID;
  }
}

void AddHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    if (!wxImage::FindHandler(wxBITMAP_TYPE_PCX)) wxImage::AddHandler(new wxPCXHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_TGA)) wxImage::AddHandler(new wxTGAHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_ICO)) wxImage::AddHandler(new wxICOHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_CUR)) wxImage::AddHandler(new wxCURHandler);
    if (!wxImage::FindHandler(wxBITMAP_TYPE_ANI)) wxImage::AddHandler(new wxANIHandler);
  });
}

bool Recognise(const BYTE* data, size_t size) { return data && KindOf(data, size) != Kind::None; }

bool Decode(const BYTE* data, size_t size, INT* width, INT* height, std::vector<ARGB>* pixels) {
  const Kind kind = data ? KindOf(data, size) : Kind::None;
  if (kind == Kind::None || !SizeFits(kind, data, size)) return false;
  AddHandlers();
  wxLogNull quiet;  // a damaged file is answered by the failed decode, not a log window
  wxMemoryInputStream in(data, size);
  wxImage image;
  // Icons: the handler picks the largest picture of the file.
  if (!image.LoadFile(in, HandlerType(kind), -1) || !image.IsOk()) return false;
  const int w = image.GetWidth(), h = image.GetHeight();
  if (w <= 0 || h <= 0 || uint64_t(w) * uint64_t(h) > kMaxPixels) return false;
  if (image.HasMask() && !image.HasAlpha()) image.InitAlpha();  // the mask colour becomes clear
  const unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
  try {
    pixels->resize(static_cast<size_t>(w) * static_cast<size_t>(h));
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (size_t i = 0; i < pixels->size(); ++i) {
    const ARGB a = alpha ? alpha[i] : 255u;
    (*pixels)[i] = a << 24 | ARGB(rgb[3 * i]) << 16 | ARGB(rgb[3 * i + 1]) << 8 | ARGB(rgb[3 * i + 2]);
  }
  *width = w;
  *height = h;
  return true;
}

struct Registrar {
  Registrar() { lwmfc::RegisterToolkitImageDecoders(); }
} g_registrar;

}  // namespace

void lwmfc::RegisterToolkitImageDecoders() {
  Gdiplus::LwImageDecoder decoder;
  decoder.pfnRecognise = &Recognise;
  decoder.pfnDecode = &Decode;
  Gdiplus::LwRegisterImageDecoder(decoder);
}
