#include "BitmapRes.h"

#include <gdiplus.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

namespace Vectorloom {

struct CBitmapResObj::Picture {
  Gdiplus::Bitmap* bitmap = nullptr;
  void* pixels = nullptr;
  bool own = false;
  std::mutex fadedLock;  // pages may be drawn on more than one thread
  std::map<BYTE, std::shared_ptr<Gdiplus::Bitmap>> faded;
  ~Picture() {
    if (!own) return;
    delete bitmap;
    std::free(pixels);
  }
};

CBitmapResObj::~CBitmapResObj() = default;

void CBitmapResObj::SetGdiBitmap(Gdiplus::Bitmap* pBitmap, void* pPixels, int bOwn) {
  if (!pBitmap && !pPixels) {
    m_picture.reset();
    return;
  }
  auto picture = std::make_shared<Picture>();
  picture->bitmap = pBitmap;
  picture->pixels = pPixels;
  picture->own = bOwn != 0;
  m_picture = std::move(picture);
}

Gdiplus::Bitmap* CBitmapResObj::GetGdiBitmap() const { return m_picture ? m_picture->bitmap : nullptr; }

void* CBitmapResObj::GetPixelsBuffer() const { return m_picture ? m_picture->pixels : nullptr; }

namespace {

// A 32-bit copy of a bitmap with every alpha multiplied by opacity / 255; null on failure.
std::shared_ptr<Gdiplus::Bitmap> FadedCopy(Gdiplus::Bitmap& source, BYTE opacity) {
  const INT w = static_cast<INT>(source.GetWidth()), h = static_cast<INT>(source.GetHeight());
  Gdiplus::Rect all(0, 0, w, h);
  Gdiplus::BitmapData data;
  if (source.LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok)
    return nullptr;
  auto copy = std::make_shared<Gdiplus::Bitmap>(w, h, Gdiplus::PixelFormat32bppARGB);
  Gdiplus::BitmapData out;
  if (copy->LockBits(&all, Gdiplus::ImageLockModeWrite, Gdiplus::PixelFormat32bppARGB, &out) != Gdiplus::Ok) {
    source.UnlockBits(&data);
    return nullptr;
  }
  for (INT y = 0; y < h; ++y) {
    const auto* src = static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride;
    auto* dst = static_cast<uint8_t*>(out.Scan0) + static_cast<ptrdiff_t>(y) * out.Stride;
    for (INT x = 0; x < w; ++x) {
      std::memcpy(dst + 4 * x, src + 4 * x, 3);
      dst[4 * x + 3] = static_cast<uint8_t>(src[4 * x + 3] * opacity / 255);  // B, G, R, A in memory
    }
  }
  copy->UnlockBits(&out);
  source.UnlockBits(&data);
  return copy;
}

}  // namespace

std::shared_ptr<Gdiplus::Bitmap> CBitmapResObj::GetFadedBitmap(BYTE opacity) const {
  const std::shared_ptr<Picture> picture = m_picture;
  if (!picture || !picture->bitmap) return nullptr;
  if (!picture->own) return FadedCopy(*picture->bitmap, opacity);
  std::lock_guard<std::mutex> hold(picture->fadedLock);
  std::shared_ptr<Gdiplus::Bitmap>& kept = picture->faded[opacity];
  if (!kept) kept = FadedCopy(*picture->bitmap, opacity);
  return kept;
}

// ---------------------------------------------------------------------------------------------

CBitmapResObjsList::CBitmapResObjsList(const CBitmapResObjsList& other) : m_items(other.m_items) {
  for (CBitmapResObj* r : m_items) r->AddRef();
}

CBitmapResObjsList& CBitmapResObjsList::operator=(const CBitmapResObjsList& other) {
  if (this == &other) return *this;
  for (CBitmapResObj* r : other.m_items) r->AddRef();
  std::vector<CBitmapResObj*> old;
  old.swap(m_items);
  m_items = other.m_items;
  for (CBitmapResObj* r : old) r->Release();
  return *this;
}

void CBitmapResObjsList::Add(CBitmapResObj* pRes) {
  if (!pRes) return;
  pRes->AddRef();
  m_items.push_back(pRes);
}

bool CBitmapResObjsList::AddUnique(CBitmapResObj* pRes) {
  if (!pRes || Find(pRes) >= 0) return false;
  if (pRes->GetResourceKind() == BITMAP_RES_EXTERNAL) {
    const auto* ext = static_cast<const CExternalBmpResObj*>(pRes);
    if (FindExternal(ext->GetPathName(), ext->GetFileSize(), ext->GetFileTime())) return false;
  }
  Add(pRes);
  return true;
}

int CBitmapResObjsList::Find(const CBitmapResObj* pRes) const {
  for (size_t i = 0; i < m_items.size(); ++i)
    if (m_items[i] == pRes) return static_cast<int>(i);
  return -1;
}

CExternalBmpResObj* CBitmapResObjsList::FindExternal(const CString& path, uint32_t size, int64_t time) const {
  for (CBitmapResObj* r : m_items) {
    if (r->GetResourceKind() != BITMAP_RES_EXTERNAL) continue;
    auto* ext = static_cast<CExternalBmpResObj*>(r);
    if (ext->IsSameResource(path, size, time)) return ext;
  }
  return nullptr;
}

void CBitmapResObjsList::RemoveAll() {
  std::vector<CBitmapResObj*> old;
  old.swap(m_items);
  for (CBitmapResObj* r : old) r->Release();
}

}  // namespace Vectorloom
