// Bitmaps and icons from the resource table: the data are decoded by the image layer and become
// DIB sections (bitmaps) or alpha-blended pictures (icons).
#include <windows.h>

#include <gdi/wingdi.h>
#include <gdiplus/gdiplus.h>
#include <objidl.h>
#include <winres.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

#include "afxwin.h"
#include "winuser.h"

namespace {

struct IconImage {
  std::unique_ptr<Gdiplus::Bitmap> picture;  // 32bppARGB
  bool shared = false;
};

std::mutex g_iconsMutex;
std::set<IconImage*>& LiveIcons() {
  static auto* s = new std::set<IconImage*>;
  return *s;
}
std::map<std::wstring, IconImage*>& SharedIcons() {
  static auto* m = new std::map<std::wstring, IconImage*>;
  return *m;
}

std::wstring NameKey(LPCWSTR lpName) {
  if (IS_INTRESOURCE(lpName)) return L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(lpName));
  std::wstring s(lpName);
  for (wchar_t& c : s) c = static_cast<wchar_t>(towupper(c));
  return s;
}

// The data of resource (type, name); empty when there is none.
std::vector<BYTE> ResourceBytes(LPCWSTR lpType, LPCWSTR lpName) {
  HRSRC r = FindResourceW(nullptr, lpName, lpType);
  if (!r) return {};
  const DWORD n = SizeofResource(nullptr, r);
  const auto* p = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, r)));
  if (!p || !n) return {};
  return std::vector<BYTE>(p, p + n);
}

uint32_t LE32(const BYTE* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
void PutLE32(BYTE* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

// A BMP as the resource compiler keeps it starts at its info header: the file header is put back
// so the image layer can read it (the pixels follow the header and its colour table).
void AddFileHeaderIfMissing(std::vector<BYTE>& data) {
  if (data.size() < 40 || (data[0] == 'B' && data[1] == 'M')) return;
  const uint32_t headerSize = LE32(data.data());
  if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) return;
  const unsigned bits = data[14] | (data[15] << 8);
  const uint32_t compression = LE32(data.data() + 16);
  uint32_t colors = LE32(data.data() + 32);
  if (colors == 0 && bits <= 8) colors = 1u << bits;
  uint32_t masks = (compression == BI_BITFIELDS && headerSize == 40) ? 12 : 0;
  const uint64_t offBits = 14ull + headerSize + masks + 4ull * colors;
  if (offBits > data.size()) return;
  std::vector<BYTE> file(14 + data.size());
  file[0] = 'B';
  file[1] = 'M';
  PutLE32(&file[2], static_cast<uint32_t>(file.size()));
  PutLE32(&file[10], static_cast<uint32_t>(offBits));
  std::memcpy(file.data() + 14, data.data(), data.size());
  data.swap(file);
}

// The picture in data, as 32bppARGB; null when it cannot be read.
std::unique_ptr<Gdiplus::Bitmap> Decode(std::vector<BYTE> data) {
  AddFileHeaderIfMissing(data);
  if (data.empty()) return nullptr;
  IStream* stream = SHCreateMemStream(data.data(), static_cast<UINT>(data.size()));
  if (!stream) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromStream(stream));
  stream->Release();
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok || bmp->GetWidth() == 0 || bmp->GetHeight() == 0) return nullptr;
  return bmp;
}

std::unique_ptr<Gdiplus::Bitmap> DecodeFile(LPCWSTR path) {
  std::unique_ptr<Gdiplus::Bitmap> bmp(Gdiplus::Bitmap::FromFile(path));
  if (!bmp || bmp->GetLastStatus() != Gdiplus::Ok || bmp->GetWidth() == 0 || bmp->GetHeight() == 0) return nullptr;
  return bmp;
}

// The picture scaled to cx by cy (its own size when either is 0), as a new 32bppARGB bitmap.
std::unique_ptr<Gdiplus::Bitmap> ToArgb(Gdiplus::Bitmap& src, int cx, int cy) {
  const int w = cx > 0 && cy > 0 ? cx : static_cast<int>(src.GetWidth());
  const int h = cx > 0 && cy > 0 ? cy : static_cast<int>(src.GetHeight());
  auto out = std::make_unique<Gdiplus::Bitmap>(w, h, Gdiplus::PixelFormat32bppARGB);
  if (out->GetLastStatus() != Gdiplus::Ok) return nullptr;
  if (w == static_cast<int>(src.GetWidth()) && h == static_cast<int>(src.GetHeight())) {
    Gdiplus::Rect all(0, 0, w, h);
    Gdiplus::BitmapData in{}, dst{};
    if (src.LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &in) != Gdiplus::Ok) return nullptr;
    if (out->LockBits(&all, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat32bppARGB, &dst) != Gdiplus::Ok) {
      src.UnlockBits(&in);
      return nullptr;
    }
    for (int y = 0; y < h; ++y)
      std::memcpy(static_cast<BYTE*>(dst.Scan0) + static_cast<ptrdiff_t>(y) * dst.Stride,
                  static_cast<const BYTE*>(in.Scan0) + static_cast<ptrdiff_t>(y) * in.Stride, static_cast<size_t>(w) * 4);
    out->UnlockBits(&dst);
    src.UnlockBits(&in);
    return out;
  }
  Gdiplus::Graphics g(out.get());
  g.DrawImage(&src, 0, 0, w, h);
  return out;
}

// A 32-bit top-down DIB section with the picture's pixels (alpha kept).
HBITMAP ToDibSection(Gdiplus::Bitmap& src, int cx, int cy) {
  std::unique_ptr<Gdiplus::Bitmap> argb = ToArgb(src, cx, cy);
  if (!argb) return nullptr;
  const int w = static_cast<int>(argb->GetWidth()), h = static_cast<int>(argb->GetHeight());
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP hbm = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!hbm || !bits) return hbm;
  Gdiplus::Rect all(0, 0, w, h);
  Gdiplus::BitmapData in{};
  if (argb->LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &in) != Gdiplus::Ok) {
    DeleteObject(hbm);
    return nullptr;
  }
  for (int y = 0; y < h; ++y)
    std::memcpy(static_cast<BYTE*>(bits) + static_cast<ptrdiff_t>(y) * w * 4,
                static_cast<const BYTE*>(in.Scan0) + static_cast<ptrdiff_t>(y) * in.Stride, static_cast<size_t>(w) * 4);
  argb->UnlockBits(&in);
  return hbm;
}

std::vector<BYTE> IconBytes(LPCWSTR lpName) {
  std::vector<BYTE> data = ResourceBytes(RT_GROUP_ICON, lpName);
  if (data.empty()) data = ResourceBytes(RT_ICON, lpName);
  return data;
}

HICON MakeIcon(std::unique_ptr<Gdiplus::Bitmap> picture, bool shared) {
  if (!picture) return nullptr;
  auto* icon = new IconImage{std::move(picture), shared};
  std::lock_guard<std::mutex> lock(g_iconsMutex);
  LiveIcons().insert(icon);
  return reinterpret_cast<HICON>(icon);
}

HICON LoadIconImage(LPCWSTR lpName, int cx, int cy, bool fromFile, bool shared) {
  if (!lpName) return nullptr;
  const std::wstring key = NameKey(lpName) + L"|" + std::to_wstring(cx) + L"x" + std::to_wstring(cy);
  if (shared && !fromFile) {
    std::lock_guard<std::mutex> lock(g_iconsMutex);
    auto it = SharedIcons().find(key);
    if (it != SharedIcons().end()) return reinterpret_cast<HICON>(it->second);
  }
  std::unique_ptr<Gdiplus::Bitmap> src = fromFile ? DecodeFile(lpName) : Decode(IconBytes(lpName));
  if (!src) return nullptr;
  HICON h = MakeIcon(ToArgb(*src, cx, cy), shared && !fromFile);
  if (h && shared && !fromFile) {
    std::lock_guard<std::mutex> lock(g_iconsMutex);
    auto [it, added] = SharedIcons().emplace(key, reinterpret_cast<IconImage*>(h));
    if (!added) {  // another thread made it first: its icon is the one
      LiveIcons().erase(reinterpret_cast<IconImage*>(h));
      delete reinterpret_cast<IconImage*>(h);
      return reinterpret_cast<HICON>(it->second);
    }
  }
  return h;
}

}  // namespace

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR lpBitmapName) {
  if (!lpBitmapName) return nullptr;
  std::unique_ptr<Gdiplus::Bitmap> src = Decode(ResourceBytes(RT_BITMAP, lpBitmapName));
  return src ? ToDibSection(*src, 0, 0) : nullptr;
}

HICON LoadIconW(HINSTANCE, LPCWSTR lpIconName) { return LoadIconImage(lpIconName, 0, 0, false, true); }

HANDLE LoadImageW(HINSTANCE, LPCWSTR lpszName, UINT uType, int cx, int cy, UINT fuLoad) {
  if (!lpszName || cx < 0 || cy < 0) return nullptr;
  const bool fromFile = (fuLoad & LR_LOADFROMFILE) != 0;
  if (fromFile && IS_INTRESOURCE(lpszName)) return nullptr;
  if (uType == IMAGE_BITMAP) {
    std::unique_ptr<Gdiplus::Bitmap> src = fromFile ? DecodeFile(lpszName) : Decode(ResourceBytes(RT_BITMAP, lpszName));
    return src ? ToDibSection(*src, cx, cy) : nullptr;
  }
  if (uType == IMAGE_ICON) {
    if (cx == 0 && cy == 0 && (fuLoad & LR_DEFAULTSIZE)) {
      cx = GetSystemMetrics(SM_CXICON);
      cy = GetSystemMetrics(SM_CYICON);
    }
    return LoadIconImage(lpszName, cx, cy, fromFile, (fuLoad & LR_SHARED) != 0);
  }
  return nullptr;
}

BOOL DestroyIcon(HICON hIcon) {
  auto* icon = reinterpret_cast<IconImage*>(hIcon);
  std::lock_guard<std::mutex> lock(g_iconsMutex);
  if (!LiveIcons().count(icon)) return FALSE;
  if (icon->shared) return TRUE;  // lives for the run
  LiveIcons().erase(icon);
  delete icon;
  return TRUE;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT, HBRUSH, UINT diFlags) {
  auto* icon = reinterpret_cast<IconImage*>(hIcon);
  {
    std::lock_guard<std::mutex> lock(g_iconsMutex);
    if (!hdc || !LiveIcons().count(icon)) return FALSE;
  }
  if (!(diFlags & DI_IMAGE)) return TRUE;
  Gdiplus::Bitmap& pic = *icon->picture;
  const int w = cxWidth > 0 ? cxWidth : static_cast<int>(pic.GetWidth());
  const int h = cyWidth > 0 ? cyWidth : static_cast<int>(pic.GetHeight());
  Gdiplus::Graphics g(hdc);
  if (g.GetLastStatus() != Gdiplus::Ok) return FALSE;
  return g.DrawImage(&pic, xLeft, yTop, w, h) == Gdiplus::Ok;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) { return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL); }
