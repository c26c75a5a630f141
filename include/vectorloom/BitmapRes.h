// Picture resources of page objects and the resource module handed to object loaders.
//
// A CBitmapResObj holds a GDI+ bitmap (and, for bitmaps made over a raw pixel buffer, that
// buffer). Several resources may share one picture: the picture is counted, and the bitmap and
// its buffer are freed when the last resource that shares them lets go, provided the first
// holder was given ownership. A CExternalBmpResObj is a picture that is stored apart from the
// objects that use it (in the "Dibs" section of a document or of a clipboard stream) and is known
// by its path name, file size and file time; object streams keep only that triple.
#pragma once

#include <afx.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "RefObj.h"

namespace Gdiplus {
class Bitmap;
}

namespace Vectorloom {

enum eBitmapResKind { BITMAP_RES_INTERNAL = 0, BITMAP_RES_EXTERNAL = 1, BITMAP_RES_VIDEOCLIP = 2 };

class CBitmapResObj : public CRefObj {
 public:
  CBitmapResObj() = default;
  ~CBitmapResObj() override;
  CBitmapResObj(const CBitmapResObj&) = delete;
  CBitmapResObj& operator=(const CBitmapResObj&) = delete;

  virtual int GetResourceKind() const { return BITMAP_RES_INTERNAL; }

  // Gives the resource a picture. With bOwn nonzero the resource (and every resource that later
  // shares the picture) deletes the bitmap, and frees pPixels with free(), when the last of them
  // lets go; otherwise the caller keeps both. A null bitmap drops the picture this resource held
  // (it is freed only when nothing else shares it).
  void SetGdiBitmap(Gdiplus::Bitmap* pBitmap, void* pPixels, int bOwn);
  Gdiplus::Bitmap* GetGdiBitmap() const;
  void* GetPixelsBuffer() const;
  // A 32-bit copy of the picture with every alpha multiplied by opacity / 255 (null without a
  // picture or on failure). Copies of a picture the resources own are kept with the picture, one
  // per opacity, until it is replaced or freed; a picture its caller keeps (and may change in
  // place) is faded afresh on every call.
  std::shared_ptr<Gdiplus::Bitmap> GetFadedBitmap(BYTE opacity) const;
  bool HasBitmap() const { return GetGdiBitmap() != nullptr; }
  // Lets this resource show the same picture as another one (shared, counted).
  void SharePictureOf(const CBitmapResObj& other) { m_picture = other.m_picture; }
  bool SharesPictureWith(const CBitmapResObj& other) const {
    return m_picture != nullptr && m_picture == other.m_picture;
  }

  // Numeric id the document writers number pictures with; not stored in object streams.
  uint32_t GetResourceID() const { return m_nResourceID; }
  void SetResourceID(uint32_t id) { m_nResourceID = id; }

  // The last GDI+ status met while encoding or decoding the picture (0 = Ok).
  int GetLastStatus() const { return m_nLastStatus; }
  void SetLastStatus(int status) { m_nLastStatus = status; }

 private:
  struct Picture;
  std::shared_ptr<Picture> m_picture;
  uint32_t m_nResourceID = 0;
  int m_nLastStatus = 0;
};

// A picture known by its path name, file size and file time (seconds since 1970, UTC).
class CExternalBmpResObj : public CBitmapResObj {
 public:
  CExternalBmpResObj() = default;
  CExternalBmpResObj(const CString& pathName, uint32_t fileSize, int64_t fileTime)
      : m_strPathName(pathName), m_nFileSize(fileSize), m_nFileTime(fileTime) {}

  int GetResourceKind() const override { return BITMAP_RES_EXTERNAL; }

  const CString& GetPathName() const { return m_strPathName; }
  void SetPathName(const CString& path) { m_strPathName = path; }
  uint32_t GetFileSize() const { return m_nFileSize; }
  void SetFileSize(uint32_t size) { m_nFileSize = size; }
  int64_t GetFileTime() const { return m_nFileTime; }
  void SetFileTime(int64_t time) { m_nFileTime = time; }

  // Same path (compared exactly), size and time.
  bool IsSameResource(const CString& path, uint32_t size, int64_t time) const {
    return m_nFileSize == size && m_nFileTime == time && m_strPathName == path;
  }
  bool IsSameResource(const CExternalBmpResObj& other) const {
    return IsSameResource(other.m_strPathName, other.m_nFileSize, other.m_nFileTime);
  }

 private:
  CString m_strPathName;
  uint32_t m_nFileSize = 0;
  int64_t m_nFileTime = 0;
};

// The poster picture of a video clip; it is made again from the clip, never stored.
class CVideoClipResObj : public CBitmapResObj {
 public:
  int GetResourceKind() const override { return BITMAP_RES_VIDEOCLIP; }
};

// An ordered list of picture resources holding one reference to each.
class CBitmapResObjsList {
 public:
  CBitmapResObjsList() = default;
  ~CBitmapResObjsList() { RemoveAll(); }
  CBitmapResObjsList(const CBitmapResObjsList& other);
  CBitmapResObjsList& operator=(const CBitmapResObjsList& other);

  int GetCount() const { return static_cast<int>(m_items.size()); }
  bool IsEmpty() const { return m_items.empty(); }
  CBitmapResObj* GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_items[static_cast<size_t>(index)] : nullptr;
  }
  CBitmapResObj* operator[](int index) const { return GetAt(index); }

  // Appends and takes a reference.
  void Add(CBitmapResObj* pRes);
  // Appends unless the resource, or an external one with the same path, size and time, is there
  // already; true when it was added.
  bool AddUnique(CBitmapResObj* pRes);
  int Find(const CBitmapResObj* pRes) const;
  // The first external resource with this path, size and time, or null.
  CExternalBmpResObj* FindExternal(const CString& path, uint32_t size, int64_t time) const;
  // Releases every resource.
  void RemoveAll();

  std::vector<CBitmapResObj*>::const_iterator begin() const { return m_items.begin(); }
  std::vector<CBitmapResObj*>::const_iterator end() const { return m_items.end(); }

 private:
  std::vector<CBitmapResObj*> m_items;
};

// What an object loader may ask of the module it loads for. Both operations give an empty string
// unless a module says otherwise; the object streams of this library ask for nothing.
class CResourceModule {
 public:
  CResourceModule() = default;
  virtual ~CResourceModule() = default;
  // The module's name.
  virtual CString GetModuleName() const { return CString(); }
  // A folder that relative picture paths would be resolved against.
  virtual CString GetResourceFolder() const { return CString(); }
};

}  // namespace Vectorloom
