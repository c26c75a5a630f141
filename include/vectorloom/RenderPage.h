// Pages and the document's page array.
#pragma once

#include <vector>

#include "RenderObj.h"

namespace Vectorloom {

// A page: an attribute word, an optional background object and the page's objects, drawn first
// to last after the background.
class CRenderPage : public CRefObj {
 public:
  CRenderPage() = default;
  ~CRenderPage() override;
  CRenderPage(const CRenderPage&) = delete;
  // Copies the attribute word and takes references to the other page's background and objects.
  CRenderPage& operator=(const CRenderPage& other);

  // A deep copy: the attribute word, a clone of the background and of every object.
  virtual CRenderPage* Clone() const;
  // Draws the background and then every object in list order.
  virtual void DrawAllObjects(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix);

  // Appends an object (one reference taken).
  void AddShapeObject(CRenderBaseObj* pObj) { m_objList.AddElement(pObj); }
  void InsertShapeObject(int index, CRenderBaseObj* pObj) { m_objList.InsertElement(index, pObj); }
  // Removes and releases the object; false when it is not on the page's top level.
  bool RemoveShapeObject(CRenderBaseObj* pObj) { return m_objList.RemoveElement(pObj); }
  CRenderBaseObjectList& GetRenderObjectList() { return m_objList; }
  const CRenderBaseObjectList& GetRenderObjectList() const { return m_objList; }
  // Whether the object is on this page (in a group too, or as the background).
  bool ContainsObject(const CRenderBaseObj* pObj) const;

  uint32_t GetPageAttribute() const { return m_dwAttribute; }
  void SetPageAttribute(uint32_t attribute) { m_dwAttribute = attribute; }
  CRenderBaseObj* GetBackgroundRenderObj() const { return m_pBackground; }
  // Takes a reference to the new background (null allowed) and releases the old one.
  void SetBackgroundRenderObj(CRenderBaseObj* pObj);

  CRenderBaseObjectList m_objList;

 protected:
  uint32_t m_dwAttribute = 0;
  CRenderBaseObj* m_pBackground = nullptr;
};

// The pages of a document in order, one reference held to each.
class CRenderPagesArray {
 public:
  CRenderPagesArray() = default;
  ~CRenderPagesArray() { RemoveAllPages(); }
  CRenderPagesArray(const CRenderPagesArray& other);
  CRenderPagesArray& operator=(const CRenderPagesArray& other);

  int GetCount() const { return static_cast<int>(m_pages.size()); }
  int GetSize() const { return GetCount(); }
  bool IsEmpty() const { return m_pages.empty(); }
  // Null for an index out of range.
  CRenderPage* GetAt(int index) const {
    return index >= 0 && index < GetCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
  }
  CRenderPage* operator[](int index) const { return GetAt(index); }

  // Appends (null ignored) and takes a reference; returns the index or -1.
  int AddPage(CRenderPage* pPage);
  // Inserts before index (clamped to 0..count) and takes a reference.
  void InsertPage(int index, CRenderPage* pPage);
  // Removes the page at index and releases it; false for an index out of range.
  bool RemovePage(int index);
  bool RemovePage(CRenderPage* pPage);
  // Takes the page out without releasing it (the caller gets the array's reference).
  CRenderPage* DetachPage(int index);
  // Releases every page.
  void RemoveAllPages();
  // Forgets every page without releasing (their references go to whoever holds them now).
  void DetachAllPages() { m_pages.clear(); }
  void ReverseOrder();
  bool SwapPages(int i, int j);
  int IndexOf(const CRenderPage* pPage) const;

  std::vector<CRenderPage*>::const_iterator begin() const { return m_pages.begin(); }
  std::vector<CRenderPage*>::const_iterator end() const { return m_pages.end(); }

 private:
  std::vector<CRenderPage*> m_pages;
};

// Helpers over whole pages: the external pictures of every object (and the background).
void CollectExternalBmpResObjs(const CRenderPage& page, CBitmapResObjsList& list);
void AssignExternalBmpRes(CRenderPage& page, const CBitmapResObjsList& list);
void AssignExternalBmpRes2(CRenderPage& page, const CBitmapResObjsList& list);

}  // namespace Vectorloom
