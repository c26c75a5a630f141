#include "RenderPage.h"

#include <algorithm>

#include "BitmapRes.h"
#include "GroupObj.h"

namespace Vectorloom {

CRenderPage::~CRenderPage() {
  m_objList.RemoveAllElements();
  ReleaseRefObj(m_pBackground);
}

CRenderPage& CRenderPage::operator=(const CRenderPage& other) {
  if (this == &other) return *this;
  m_dwAttribute = other.m_dwAttribute;
  SetBackgroundRenderObj(other.m_pBackground);
  m_objList = other.m_objList;
  return *this;
}

CRenderPage* CRenderPage::Clone() const {
  auto* page = new CRenderPage;
  page->m_dwAttribute = m_dwAttribute;
  if (m_pBackground) page->SetBackgroundRenderObj(m_pBackground->Clone());
  for (CRenderBaseObj* obj : m_objList) {
    CRenderBaseObj* copy = obj->Clone();
    if (copy) page->AddShapeObject(copy);
  }
  return page;
}

void CRenderPage::DrawAllObjects(Gdiplus::Graphics* pGraphics, const Gdiplus::Matrix& viewMatrix) {
  if (m_pBackground) m_pBackground->Draw(pGraphics, viewMatrix);
  for (CRenderBaseObj* obj : m_objList) obj->Draw(pGraphics, viewMatrix);
}

bool CRenderPage::ContainsObject(const CRenderBaseObj* pObj) const {
  if (!pObj) return false;
  if (pObj == m_pBackground) return true;
  if (m_pBackground && m_pBackground->IsGroupObject() &&
      static_cast<CRenderGroupObj*>(m_pBackground)->GetChildList().FindObject(pObj))
    return true;
  return m_objList.FindObject(pObj);
}

void CRenderPage::SetBackgroundRenderObj(CRenderBaseObj* pObj) {
  if (pObj == m_pBackground) return;
  AddRefObj(pObj);
  ReleaseRefObj(m_pBackground);
  m_pBackground = pObj;
}

// ---------------------------------------------------------------------------------------------

CRenderPagesArray::CRenderPagesArray(const CRenderPagesArray& other) : m_pages(other.m_pages) {
  for (CRenderPage* p : m_pages) p->AddRef();
}

CRenderPagesArray& CRenderPagesArray::operator=(const CRenderPagesArray& other) {
  if (this == &other) return *this;
  for (CRenderPage* p : other.m_pages) p->AddRef();
  std::vector<CRenderPage*> old;
  old.swap(m_pages);
  m_pages = other.m_pages;
  for (CRenderPage* p : old) p->Release();
  return *this;
}

int CRenderPagesArray::AddPage(CRenderPage* pPage) {
  if (!pPage) return -1;
  pPage->AddRef();
  m_pages.push_back(pPage);
  return GetCount() - 1;
}

void CRenderPagesArray::InsertPage(int index, CRenderPage* pPage) {
  if (!pPage) return;
  index = std::clamp(index, 0, GetCount());
  pPage->AddRef();
  m_pages.insert(m_pages.begin() + index, pPage);
}

bool CRenderPagesArray::RemovePage(int index) {
  CRenderPage* p = DetachPage(index);
  if (!p) return false;
  p->Release();
  return true;
}

bool CRenderPagesArray::RemovePage(CRenderPage* pPage) { return RemovePage(IndexOf(pPage)); }

CRenderPage* CRenderPagesArray::DetachPage(int index) {
  if (index < 0 || index >= GetCount()) return nullptr;
  CRenderPage* p = m_pages[static_cast<size_t>(index)];
  m_pages.erase(m_pages.begin() + index);
  return p;
}

void CRenderPagesArray::RemoveAllPages() {
  std::vector<CRenderPage*> old;
  old.swap(m_pages);
  for (CRenderPage* p : old) p->Release();
}

void CRenderPagesArray::ReverseOrder() { std::reverse(m_pages.begin(), m_pages.end()); }

bool CRenderPagesArray::SwapPages(int i, int j) {
  if (i < 0 || j < 0 || i >= GetCount() || j >= GetCount()) return false;
  std::swap(m_pages[static_cast<size_t>(i)], m_pages[static_cast<size_t>(j)]);
  return true;
}

int CRenderPagesArray::IndexOf(const CRenderPage* pPage) const {
  for (size_t i = 0; i < m_pages.size(); ++i)
    if (m_pages[i] == pPage) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------------------------------------

void CollectExternalBmpResObjs(const CRenderPage& page, CBitmapResObjsList& list) {
  if (CRenderBaseObj* bg = page.GetBackgroundRenderObj()) bg->CollectExternalBmpResObjs(list);
  for (CRenderBaseObj* obj : page.GetRenderObjectList()) obj->CollectExternalBmpResObjs(list);
}

void AssignExternalBmpRes(CRenderPage& page, const CBitmapResObjsList& list) {
  if (CRenderBaseObj* bg = page.GetBackgroundRenderObj()) bg->AssignExternalBmpRes(list);
  for (CRenderBaseObj* obj : page.GetRenderObjectList()) obj->AssignExternalBmpRes(list);
}

void AssignExternalBmpRes2(CRenderPage& page, const CBitmapResObjsList& list) {
  if (CRenderBaseObj* bg = page.GetBackgroundRenderObj()) bg->AssignExternalBmpRes2(list);
  for (CRenderBaseObj* obj : page.GetRenderObjectList()) obj->AssignExternalBmpRes2(list);
}

}  // namespace Vectorloom
