#include "ImageObjects.h"

#include <gdiplus.h>
#include <lwstr.h>
#include <objidl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace Vectorloom {

namespace {

uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// Pictures larger than this each way, or of more pixels than this in all, are refused before
// anything is allocated.
constexpr int32_t kMaxDibExtent = 32768;
constexpr uint64_t kMaxDibPixels = uint64_t{1} << 26;
// Picture files larger than this are not read.
constexpr int64_t kMaxPictureFileBytes = int64_t{256} << 20;
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3;

Gdiplus::Bitmap* DecodeBytes(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return nullptr;
  IStream* stream = SHCreateMemStream(data, static_cast<UINT>(size));
  if (!stream) return nullptr;
  Gdiplus::Bitmap* bitmap = Gdiplus::Bitmap::FromStream(stream);
  stream->Release();
  if (bitmap && (bitmap->GetLastStatus() != Gdiplus::Ok || bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0)) {
    delete bitmap;
    bitmap = nullptr;
  }
  return bitmap;
}

}  // namespace

CCustomPathObj* CreateImageObject(CWorkspaceDoc* pDoc, CBitmapResObj* pRes, float width, float height) {
  if (!pDoc || !pRes || !(width > 0) || !(height > 0)) return nullptr;
  CRenderBaseObj* made = pDoc->CreateNewObject(RENDER_OBJ_SHAPE);
  auto* shape = dynamic_cast<CCustomPathObj*>(made);
  if (!shape) {
    if (made) {
      made->AddRef();
      made->Release();
    }
    return nullptr;
  }
  shape->AddRectanglePath(CQorVectorRect<float>(0, 0, width, height));
  shape->SetFillInsideFlag(1);
  shape->SetFillKind(RENDER_KIND_BITMAP);
  shape->GetFillDefinition().SetRenderBitmap(pRes);
  shape->SetStrokeOutlineFlag(0);
  shape->CreatePathStorage();
  return shape;
}

CExternalBmpResObj* LoadExternalBitmapRes(CWorkspaceDoc* pDoc, const wchar_t* lpszPath) {
  if (!lpszPath || !*lpszPath) return nullptr;
  const std::string path = lw::WideToUtf8(lpszPath);
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxPictureFileBytes) return nullptr;
  const uint32_t size = static_cast<uint32_t>(std::min<uint64_t>(static_cast<uint64_t>(st.st_size), 0xFFFFFFFFu));
  const int64_t time = static_cast<int64_t>(st.st_mtime);
  const CString name(lpszPath);
  if (pDoc) {
    CExternalBmpResObj* known = pDoc->FindBitmapResObject(name, size, time);
    if (known && known->HasBitmap()) return AddRefObj(known);
  }
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return nullptr;
  std::vector<uint8_t> bytes;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.insert(bytes.end(), buf, buf + n);
  std::fclose(f);
  Gdiplus::Bitmap* bitmap = DecodeBytes(bytes.data(), bytes.size());
  if (!bitmap) return nullptr;
  auto* res = new CExternalBmpResObj(name, size, time);
  res->AddRef();
  res->SetGdiBitmap(bitmap, nullptr, 1);
  return res;
}

Gdiplus::Bitmap* DecodePackedDib(const uint8_t* pData, size_t nSize) {
  if (!pData || nSize < 40) return nullptr;
  const uint32_t headerSize = U32(pData);
  if (headerSize != 40 && headerSize != 52 && headerSize != 56 && headerSize != 108 && headerSize != 124) return nullptr;
  if (headerSize > nSize) return nullptr;
  const int32_t width = static_cast<int32_t>(U32(pData + 4));
  const int32_t height = static_cast<int32_t>(U32(pData + 8));
  const uint16_t planes = U16(pData + 12);
  const uint16_t bits = U16(pData + 14);
  const uint32_t compression = U32(pData + 16);
  const uint32_t colorsUsed = U32(pData + 32);
  if (planes != 1 || width <= 0 || width > kMaxDibExtent || height == 0 || height < -kMaxDibExtent ||
      height > kMaxDibExtent)
    return nullptr;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  if (static_cast<uint64_t>(width) * rows > kMaxDibPixels) return nullptr;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
  if (compression != kBiRgb && compression != kBiBitfields && compression != kBiRle8 && compression != kBiRle4)
    return nullptr;
  if (compression == kBiBitfields && bits != 16 && bits != 32) return nullptr;
  if ((compression == kBiRle8 && bits != 8) || (compression == kBiRle4 && bits != 4)) return nullptr;
  // Colour table: bit depths up to 8 always have one (2^bits entries unless fewer are used).
  uint64_t colors = colorsUsed;
  if (bits <= 8) {
    const uint32_t full = 1u << bits;
    if (colors == 0 || colors > full) colors = full;
  } else if (colors > 256) {
    return nullptr;
  }
  const uint64_t masks = headerSize == 40 && compression == kBiBitfields ? 12 : 0;
  const uint64_t tables = headerSize + masks + colors * 4;
  if (tables > nSize) return nullptr;
  // Uncompressed rows must all be there.
  if (compression == kBiRgb || compression == kBiBitfields) {
    const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
    if (stride * rows > nSize - tables) return nullptr;
  }
  // A bitmap file is the DIB behind a 14-byte file header that tells where the pixels start.
  std::vector<uint8_t> file;
  file.reserve(14 + nSize);
  file.push_back('B');
  file.push_back('M');
  PutU32(file, static_cast<uint32_t>(14 + nSize));
  PutU32(file, 0);
  PutU32(file, static_cast<uint32_t>(14 + tables));
  file.insert(file.end(), pData, pData + nSize);
  return DecodeBytes(file.data(), file.size());
}

CExternalBmpResObj* CreateDibBitmapRes(const uint8_t* pData, size_t nSize) {
  Gdiplus::Bitmap* bitmap = DecodePackedDib(pData, nSize);
  if (!bitmap) return nullptr;
  uint64_t h = 14695981039346656037ull;
  for (size_t i = 0; i < nSize; ++i) h = (h ^ pData[i]) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
  const CString name((L"Clipboard Image #" + lw::Utf8ToWide(hex)).c_str());
  auto* res = new CExternalBmpResObj(name, static_cast<uint32_t>(std::min<size_t>(nSize, 0xFFFFFFFFu)), 0);
  res->AddRef();
  res->SetGdiBitmap(bitmap, nullptr, 1);
  return res;
}

CQorVectorSize<float> FitImageToPage(float width, float height, const CQorVectorSize<float>& page) {
  if (!(width > 0) || !(height > 0) || !(page.cx > 0) || !(page.cy > 0)) return {width, height};
  const float a = std::floor(page.cx * 0.8f + 0.5f), b = std::floor(page.cy * 0.8f + 0.5f);
  const float scale = std::min({a / width, b / height, 1.0f});
  return {std::floor(width * scale + 0.5f), std::floor(height * scale + 0.5f)};
}

}  // namespace Vectorloom
