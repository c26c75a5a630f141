// The clipboard calls over the toolkit's clipboard (the desktop's, shared between programs).
#include <wx/bitmap.h>
#include <wx/clipbrd.h>
#include <wx/dataobj.h>
#include <wx/image.h>

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "lwstr.h"

namespace {

// A picture larger than this on either side is not exchanged.
constexpr long kMaxPictureSide = 32768;

struct ClipboardState {
  bool open = false;
  bool emptied = false;                             // EmptyClipboard since opening
  std::map<UINT, std::vector<uint8_t>> pending;     // set since opening, published on close
  std::map<UINT, HGLOBAL> answered;                 // blocks handed out by GetClipboardData
};

ClipboardState& State() {
  static ClipboardState state;
  return state;
}

void FreeAnswered(ClipboardState& s) {
  for (auto& [format, block] : s.answered) GlobalFree(block);
  s.answered.clear();
}

std::wstring FormatName(UINT format) {
  wchar_t name[256];
  const int n = GetClipboardFormatNameW(format, name, 256);
  return std::wstring(name, static_cast<size_t>(n));
}

wxDataFormat ToolkitFormat(UINT format) {
  if (format == CF_UNICODETEXT || format == CF_TEXT) return wxDataFormat(wxDF_UNICODETEXT);
  if (format == CF_DIB || format == CF_BITMAP) return wxDataFormat(wxDF_BITMAP);
  return wxDataFormat(wxString(FormatName(format)));
}

HGLOBAL BlockOf(const void* data, size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  if (!block) return nullptr;
  void* p = GlobalLock(block);
  if (!p) {
    GlobalFree(block);
    return nullptr;
  }
  if (size) std::memcpy(p, data, size);
  GlobalUnlock(block);
  return block;
}

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }

// A packed 24- or 32-bit BI_RGB bitmap as an image; an empty image for anything else or a
// block too short for its rows.
wxImage ImageOfDib(const std::vector<uint8_t>& dib) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return wxImage();
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  if (h.biSize < sizeof h || h.biSize > dib.size() || h.biCompression != 0) return wxImage();
  if (h.biBitCount != 24 && h.biBitCount != 32) return wxImage();
  const long w = h.biWidth, hh = h.biHeight < 0 ? -static_cast<long>(h.biHeight) : h.biHeight;
  if (w <= 0 || hh <= 0 || w > kMaxPictureSide || hh > kMaxPictureSide) return wxImage();
  const size_t stride = ((static_cast<size_t>(w) * h.biBitCount + 31) / 32) * 4;
  const size_t bytesPerPixel = h.biBitCount / 8;
  if ((dib.size() - h.biSize) / stride < static_cast<size_t>(hh)) return wxImage();
  wxImage image(static_cast<int>(w), static_cast<int>(hh), false);
  unsigned char* rgb = image.GetData();
  for (long y = 0; y < hh; ++y) {
    const long row = h.biHeight > 0 ? hh - 1 - y : y;
    const uint8_t* src = dib.data() + h.biSize + static_cast<size_t>(row) * stride;
    for (long x = 0; x < w; ++x, src += bytesPerPixel, rgb += 3) {
      rgb[0] = src[2];
      rgb[1] = src[1];
      rgb[2] = src[0];
    }
  }
  return image;
}

// An image as a packed bottom-up 24-bit bitmap (alpha laid over white).
std::vector<uint8_t> DibOfImage(const wxImage& image) {
  const int w = image.GetWidth(), h = image.GetHeight();
  if (w <= 0 || h <= 0 || w > kMaxPictureSide || h > kMaxPictureSide) return {};
  const size_t stride = ((static_cast<size_t>(w) * 24 + 31) / 32) * 4;
  std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + stride * h, 0);
  BITMAPINFOHEADER hdr{};
  hdr.biSize = sizeof hdr;
  hdr.biWidth = w;
  hdr.biHeight = h;
  hdr.biPlanes = 1;
  hdr.biBitCount = 24;
  hdr.biSizeImage = static_cast<DWORD>(stride * h);
  std::memcpy(dib.data(), &hdr, sizeof hdr);
  const unsigned char* rgb = image.GetData();
  const unsigned char* alpha = image.HasAlpha() ? image.GetAlpha() : nullptr;
  for (int y = 0; y < h; ++y) {
    uint8_t* dst = dib.data() + sizeof hdr + static_cast<size_t>(h - 1 - y) * stride;
    for (int x = 0; x < w; ++x, dst += 3) {
      const size_t i = static_cast<size_t>(y) * w + x;
      const int a = alpha ? alpha[i] : 255;
      for (int c = 0; c < 3; ++c) dst[2 - c] = static_cast<uint8_t>((rgb[i * 3 + c] * a + 255 * (255 - a) + 127) / 255);
    }
  }
  return dib;
}

// UTF-16 up to the first zero or the end of the bytes.
std::u16string TextOfUnits(const std::vector<uint8_t>& bytes) {
  std::u16string text;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
    if (!unit) break;
    text.push_back(unit);
  }
  return text;
}

bool Publish(ClipboardState& s) {
  if (!wxTheClipboard->Open()) return false;
  if (s.pending.empty()) {
    wxTheClipboard->Clear();
    wxTheClipboard->Close();
    return true;
  }
  auto* all = new wxDataObjectComposite;
  int added = 0;
  for (const auto& [format, bytes] : s.pending) {
    if (format == CF_UNICODETEXT) {
      const std::u16string units = TextOfUnits(bytes);
      all->Add(new wxTextDataObject(wxString::FromUTF8(lw::Utf16ToUtf8(units).c_str())));
      ++added;
    } else if (format == CF_DIB) {
      const wxImage image = ImageOfDib(bytes);
      if (!image.IsOk()) continue;
      all->Add(new wxBitmapDataObject(wxBitmap(image)));
      ++added;
    } else if (format >= 0xC000) {
      auto* custom = new wxCustomDataObject(ToolkitFormat(format));
      custom->SetData(bytes.size(), bytes.data());
      all->Add(custom);
      ++added;
    }
  }
  bool ok = true;
  if (added) ok = wxTheClipboard->SetData(all);
  else {
    delete all;
    wxTheClipboard->Clear();
  }
  wxTheClipboard->Close();
  return ok;
}

}  // namespace

BOOL OpenClipboard(HWND) {
  ClipboardState& s = State();
  if (s.open || !wxTheClipboard) return FALSE;
  FreeAnswered(s);
  s.open = true;
  s.emptied = false;
  s.pending.clear();
  return TRUE;
}

BOOL CloseClipboard() {
  ClipboardState& s = State();
  if (!s.open) return FALSE;
  s.open = false;
  bool ok = true;
  if (s.emptied || !s.pending.empty()) ok = Publish(s);
  s.pending.clear();
  s.emptied = false;
  return ok ? TRUE : FALSE;
}

BOOL EmptyClipboard() {
  ClipboardState& s = State();
  if (!s.open) return FALSE;
  FreeAnswered(s);
  s.pending.clear();
  s.emptied = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT uFormat, HANDLE hMem) {
  ClipboardState& s = State();
  if (!s.open || !hMem) return nullptr;
  const SIZE_T size = GlobalSize(hMem);
  const void* p = GlobalLock(hMem);
  if (!p && size) return nullptr;
  const auto* bytes = static_cast<const uint8_t*>(p);
  s.pending[uFormat] = std::vector<uint8_t>(bytes, bytes + size);
  GlobalUnlock(hMem);
  GlobalFree(hMem);  // the clipboard owns the block now; its bytes were taken
  return hMem;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  if (!wxTheClipboard) return FALSE;
  const ClipboardState& s = State();
  if (s.open && s.pending.count(format)) return TRUE;
  if (format != CF_UNICODETEXT && format != CF_TEXT && format != CF_DIB && format != CF_BITMAP && format < 0xC000)
    return FALSE;
  if (format >= 0xC000 && FormatName(format).empty()) return FALSE;
  const bool wasOpen = wxTheClipboard->IsOpened();
  if (!wasOpen && !wxTheClipboard->Open()) return FALSE;
  const bool has = wxTheClipboard->IsSupported(ToolkitFormat(format));
  if (!wasOpen) wxTheClipboard->Close();
  return has ? TRUE : FALSE;
}

HANDLE GetClipboardData(UINT uFormat) {
  ClipboardState& s = State();
  if (!s.open) return nullptr;
  if (auto it = s.answered.find(uFormat); it != s.answered.end()) return it->second;
  std::vector<uint8_t> bytes;
  if (auto it = s.pending.find(uFormat); it != s.pending.end()) {
    bytes = it->second;
  } else {
    if (!wxTheClipboard->Open()) return nullptr;
    const wxDataFormat format = ToolkitFormat(uFormat);
    bool got = false;
    if (wxTheClipboard->IsSupported(format)) {
      if (uFormat == CF_UNICODETEXT || uFormat == CF_TEXT) {
        wxTextDataObject text;
        if (wxTheClipboard->GetData(text)) {
          const std::u16string units = lw::Utf8ToUtf16(std::string(text.GetText().utf8_str().data()));
          const auto* p = reinterpret_cast<const uint8_t*>(units.c_str());
          bytes.assign(p, p + (units.size() + 1) * sizeof(char16_t));
          got = true;
        }
      } else if (uFormat == CF_DIB || uFormat == CF_BITMAP) {
        wxBitmapDataObject picture;
        if (wxTheClipboard->GetData(picture) && picture.GetBitmap().IsOk()) {
          bytes = DibOfImage(picture.GetBitmap().ConvertToImage());
          got = !bytes.empty();
        }
      } else if (uFormat >= 0xC000) {
        wxCustomDataObject custom(format);
        if (wxTheClipboard->GetData(custom)) {
          const auto* p = static_cast<const uint8_t*>(custom.GetData());
          if (p || !custom.GetSize()) bytes.assign(p, p + custom.GetSize());
          got = true;
        }
      }
    }
    wxTheClipboard->Close();
    if (!got) return nullptr;
  }
  HGLOBAL block = BlockOf(bytes.data(), bytes.size());
  if (block) s.answered[uFormat] = block;
  return block;
}
