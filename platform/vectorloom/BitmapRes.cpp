#include "BitmapRes.h"

#include <gdiplus.h>

#include <cstdlib>

namespace Vectorloom {

struct CBitmapResObj::Picture {
  Gdiplus::Bitmap* bitmap = nullptr;
  void* pixels = nullptr;
  bool own = false;
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
