// The MFC collection templates: CArray, CList and CMap, with POSITION walking as in MFC.
// Indexes outside the array throw CInvalidArgException*.
#pragma once

#include <cstdint>
#include <cwchar>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

#include "afx.h"

struct __POSITION {};
typedef __POSITION* POSITION;

#ifndef BEFORE_START_POSITION
#define BEFORE_START_POSITION (reinterpret_cast<POSITION>(-1))
#endif

template <class TYPE, class ARG_TYPE>
inline BOOL CompareElements(const TYPE* pElement1, const ARG_TYPE* pElement2) {
  return *pElement1 == *pElement2;
}

// Hash of a map key: integers and pointers by value, wide strings (CString, const wchar_t*) by
// content. Specialise for other key types.
template <class ARG_KEY>
inline UINT HashKey(ARG_KEY key) {
  using K = std::remove_cvref_t<ARG_KEY>;
  if constexpr (std::is_same_v<K, CString> || std::is_same_v<K, const wchar_t*> || std::is_same_v<K, wchar_t*>) {
    const wchar_t* p = static_cast<const wchar_t*>(key);
    uint32_t h = 2166136261u;  // FNV-1a over the code points
    if (p)
      for (; *p; ++p) h = (h ^ static_cast<uint32_t>(*p)) * 16777619u;
    return h;
  } else if constexpr (std::is_pointer_v<K>) {
    uint64_t v = reinterpret_cast<uintptr_t>(key);
    v ^= v >> 33;
    v *= 0xff51afd7ed558ccdull;
    return static_cast<UINT>(v ^ (v >> 33));
  } else {
    static_assert(std::is_integral_v<K> || std::is_enum_v<K>, "HashKey needs a specialisation for this key type");
    uint64_t v = static_cast<uint64_t>(key);
    v ^= v >> 33;
    v *= 0xff51afd7ed558ccdull;
    return static_cast<UINT>(v ^ (v >> 33));
  }
}

// ---------------------------------------------------------------------------------------------

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray : public CObject {
  static_assert(!std::is_same_v<TYPE, bool>, "use BOOL elements");

 public:
  CArray() = default;
  ~CArray() override = default;

  INT_PTR GetSize() const { return static_cast<INT_PTR>(m_data.size()); }
  INT_PTR GetCount() const { return GetSize(); }
  BOOL IsEmpty() const { return m_data.empty(); }
  INT_PTR GetUpperBound() const { return GetSize() - 1; }

  // New elements are value-initialised; nGrowBy >= 0 changes the growth step.
  void SetSize(INT_PTR nNewSize, INT_PTR nGrowBy = -1) {
    if (nNewSize < 0) AfxThrowInvalidArgException();
    if (nGrowBy >= 0) m_nGrowBy = nGrowBy;
    if (static_cast<size_t>(nNewSize) > m_data.capacity() && m_nGrowBy > 0) {
      const size_t have = m_data.capacity(), step = static_cast<size_t>(m_nGrowBy);
      m_data.reserve(have + (static_cast<size_t>(nNewSize) - have + step - 1) / step * step);
    }
    m_data.resize(static_cast<size_t>(nNewSize));
  }
  void FreeExtra() { m_data.shrink_to_fit(); }
  void RemoveAll() {
    m_data.clear();
    m_data.shrink_to_fit();
  }

  const TYPE& GetAt(INT_PTR nIndex) const { return m_data[Check(nIndex)]; }
  void SetAt(INT_PTR nIndex, ARG_TYPE newElement) { m_data[Check(nIndex)] = newElement; }
  TYPE& ElementAt(INT_PTR nIndex) { return m_data[Check(nIndex)]; }
  const TYPE& ElementAt(INT_PTR nIndex) const { return m_data[Check(nIndex)]; }
  const TYPE* GetData() const { return m_data.empty() ? nullptr : m_data.data(); }
  TYPE* GetData() { return m_data.empty() ? nullptr : m_data.data(); }
  const TYPE& operator[](INT_PTR nIndex) const { return GetAt(nIndex); }
  TYPE& operator[](INT_PTR nIndex) { return ElementAt(nIndex); }

  void SetAtGrow(INT_PTR nIndex, ARG_TYPE newElement) {
    if (nIndex < 0) AfxThrowInvalidArgException();
    if (nIndex >= GetSize()) {
      TYPE copy(newElement);  // the argument may live in this array
      SetSize(nIndex + 1);
      m_data[static_cast<size_t>(nIndex)] = std::move(copy);
      return;
    }
    m_data[static_cast<size_t>(nIndex)] = newElement;
  }
  INT_PTR Add(ARG_TYPE newElement) {
    INT_PTR nIndex = GetSize();
    SetAtGrow(nIndex, newElement);
    return nIndex;
  }
  // Appends the other array's elements; returns the index of the first appended one.
  INT_PTR Append(const CArray& src) {
    INT_PTR nOldSize = GetSize();
    if (&src == this) {
      std::vector<TYPE> copy(m_data);
      m_data.insert(m_data.end(), copy.begin(), copy.end());
    } else {
      m_data.insert(m_data.end(), src.m_data.begin(), src.m_data.end());
    }
    return nOldSize;
  }
  void Copy(const CArray& src) {
    if (&src != this) m_data = src.m_data;
  }

  // Inserting at or past the end grows the array up to the index first.
  void InsertAt(INT_PTR nIndex, ARG_TYPE newElement, INT_PTR nCount = 1) {
    if (nIndex < 0 || nCount < 0) AfxThrowInvalidArgException();
    if (nCount == 0) return;
    TYPE copy(newElement);
    if (nIndex >= GetSize()) {
      SetSize(nIndex + nCount);
      for (INT_PTR i = 0; i < nCount; ++i) m_data[static_cast<size_t>(nIndex + i)] = copy;
    } else {
      m_data.insert(m_data.begin() + nIndex, static_cast<size_t>(nCount), copy);
    }
  }
  void InsertAt(INT_PTR nStartIndex, const CArray* pNewArray) {
    if (!pNewArray || nStartIndex < 0) AfxThrowInvalidArgException();
    std::vector<TYPE> copy(pNewArray->m_data);
    if (copy.empty()) return;
    if (nStartIndex > GetSize()) SetSize(nStartIndex);
    m_data.insert(m_data.begin() + nStartIndex, copy.begin(), copy.end());
  }
  void RemoveAt(INT_PTR nIndex, INT_PTR nCount = 1) {
    if (nIndex < 0 || nCount < 0 || nCount > GetSize() - nIndex) AfxThrowInvalidArgException();
    m_data.erase(m_data.begin() + nIndex, m_data.begin() + nIndex + nCount);
  }

 private:
  size_t Check(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= GetSize()) AfxThrowInvalidArgException();
    return static_cast<size_t>(nIndex);
  }

  std::vector<TYPE> m_data;
  INT_PTR m_nGrowBy = 0;
};

// ---------------------------------------------------------------------------------------------

template <class TYPE, class ARG_TYPE = const TYPE&>
class CList : public CObject {
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    TYPE data;
  };

 public:
  explicit CList(INT_PTR nBlockSize = 10) { (void)nBlockSize; }
  ~CList() override { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }

  TYPE& GetHead() { return NonEmpty(m_pNodeHead)->data; }
  const TYPE& GetHead() const { return NonEmpty(m_pNodeHead)->data; }
  TYPE& GetTail() { return NonEmpty(m_pNodeTail)->data; }
  const TYPE& GetTail() const { return NonEmpty(m_pNodeTail)->data; }

  TYPE RemoveHead() {
    CNode* pOld = NonEmpty(m_pNodeHead);
    TYPE value = std::move(pOld->data);
    Unlink(pOld);
    return value;
  }
  TYPE RemoveTail() {
    CNode* pOld = NonEmpty(m_pNodeTail);
    TYPE value = std::move(pOld->data);
    Unlink(pOld);
    return value;
  }

  POSITION AddHead(ARG_TYPE newElement) { return Link(new CNode{nullptr, nullptr, TYPE(newElement)}, nullptr, m_pNodeHead); }
  POSITION AddTail(ARG_TYPE newElement) { return Link(new CNode{nullptr, nullptr, TYPE(newElement)}, m_pNodeTail, nullptr); }
  void AddHead(CList* pNewList) {
    if (!pNewList) AfxThrowInvalidArgException();
    std::vector<TYPE> items = pNewList->Items();
    for (auto it = items.rbegin(); it != items.rend(); ++it) AddHead(*it);
  }
  void AddTail(CList* pNewList) {
    if (!pNewList) AfxThrowInvalidArgException();
    std::vector<TYPE> items = pNewList->Items();
    for (auto& item : items) AddTail(item);
  }
  void RemoveAll() {
    CNode* p = m_pNodeHead;
    while (p) {
      CNode* pNext = p->pNext;
      delete p;
      p = pNext;
    }
    m_pNodeHead = m_pNodeTail = nullptr;
    m_nCount = 0;
  }

  POSITION GetHeadPosition() const { return Pos(m_pNodeHead); }
  POSITION GetTailPosition() const { return Pos(m_pNodeTail); }
  // Returns the element at rPosition and moves rPosition on (null after the last).
  TYPE& GetNext(POSITION& rPosition) {
    CNode* p = Node(rPosition);
    rPosition = Pos(p->pNext);
    return p->data;
  }
  const TYPE& GetNext(POSITION& rPosition) const {
    CNode* p = Node(rPosition);
    rPosition = Pos(p->pNext);
    return p->data;
  }
  TYPE& GetPrev(POSITION& rPosition) {
    CNode* p = Node(rPosition);
    rPosition = Pos(p->pPrev);
    return p->data;
  }
  const TYPE& GetPrev(POSITION& rPosition) const {
    CNode* p = Node(rPosition);
    rPosition = Pos(p->pPrev);
    return p->data;
  }
  TYPE& GetAt(POSITION position) { return Node(position)->data; }
  const TYPE& GetAt(POSITION position) const { return Node(position)->data; }
  void SetAt(POSITION pos, ARG_TYPE newElement) { Node(pos)->data = newElement; }
  void RemoveAt(POSITION position) { Unlink(Node(position)); }

  // A null position inserts at the head (InsertBefore) or the tail (InsertAfter).
  POSITION InsertBefore(POSITION position, ARG_TYPE newElement) {
    if (!position) return AddHead(newElement);
    CNode* pOld = Node(position);
    return Link(new CNode{nullptr, nullptr, TYPE(newElement)}, pOld->pPrev, pOld);
  }
  POSITION InsertAfter(POSITION position, ARG_TYPE newElement) {
    if (!position) return AddTail(newElement);
    CNode* pOld = Node(position);
    return Link(new CNode{nullptr, nullptr, TYPE(newElement)}, pOld, pOld->pNext);
  }

  // The first element equal to searchValue after startAfter (from the head when null), or null.
  POSITION Find(ARG_TYPE searchValue, POSITION startAfter = nullptr) const {
    CNode* p = startAfter ? Node(startAfter)->pNext : m_pNodeHead;
    for (; p; p = p->pNext)
      if (CompareElements<TYPE, std::remove_cvref_t<ARG_TYPE>>(&p->data, &searchValue)) return Pos(p);
    return nullptr;
  }
  // The position of the element at a 0-based index, or null when out of range.
  POSITION FindIndex(INT_PTR nIndex) const {
    if (nIndex < 0 || nIndex >= m_nCount) return nullptr;
    CNode* p = m_pNodeHead;
    while (nIndex--) p = p->pNext;
    return Pos(p);
  }

 private:
  static POSITION Pos(CNode* p) { return reinterpret_cast<POSITION>(p); }
  static CNode* Node(POSITION pos) {
    if (!pos) AfxThrowInvalidArgException();
    return reinterpret_cast<CNode*>(pos);
  }
  static CNode* NonEmpty(CNode* p) {
    if (!p) AfxThrowInvalidArgException();
    return p;
  }
  POSITION Link(CNode* pNew, CNode* pPrev, CNode* pNext) {
    pNew->pPrev = pPrev;
    pNew->pNext = pNext;
    if (pPrev) pPrev->pNext = pNew; else m_pNodeHead = pNew;
    if (pNext) pNext->pPrev = pNew; else m_pNodeTail = pNew;
    ++m_nCount;
    return Pos(pNew);
  }
  void Unlink(CNode* p) {
    if (p->pPrev) p->pPrev->pNext = p->pNext; else m_pNodeHead = p->pNext;
    if (p->pNext) p->pNext->pPrev = p->pPrev; else m_pNodeTail = p->pPrev;
    --m_nCount;
    delete p;
  }
  std::vector<TYPE> Items() const {
    std::vector<TYPE> items;
    for (CNode* p = m_pNodeHead; p; p = p->pNext) items.push_back(p->data);
    return items;
  }

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  INT_PTR m_nCount = 0;
};

// ---------------------------------------------------------------------------------------------

template <class KEY, class ARG_KEY, class VALUE, class ARG_VALUE>
class CMap : public CObject {
  struct CAssoc {
    CAssoc* pNext;
    UINT nHashValue;
    KEY key;
    VALUE value;
  };

 public:
  explicit CMap(INT_PTR nBlockSize = 10) { (void)nBlockSize; }
  ~CMap() override { RemoveAll(); }

  INT_PTR GetCount() const { return m_nCount; }
  INT_PTR GetSize() const { return m_nCount; }
  BOOL IsEmpty() const { return m_nCount == 0; }
  UINT GetHashTableSize() const { return m_nHashTableSize; }

  // Sets the number of buckets; only while the map is empty.
  void InitHashTable(UINT hashSize, BOOL bAllocNow = TRUE) {
    if (m_nCount != 0 || hashSize == 0) return;
    delete[] m_pHashTable;
    m_pHashTable = nullptr;
    m_nHashTableSize = hashSize;
    if (bAllocNow) m_pHashTable = new CAssoc*[hashSize]();
  }

  BOOL Lookup(ARG_KEY key, VALUE& rValue) const {
    UINT nHash = 0;
    CAssoc* pAssoc = GetAssocAt(key, nHash);
    if (!pAssoc) return FALSE;
    rValue = pAssoc->value;
    return TRUE;
  }
  // The value of key, inserted value-initialised when missing.
  VALUE& operator[](ARG_KEY key) {
    UINT nHash = 0;
    CAssoc* pAssoc = GetAssocAt(key, nHash);
    if (pAssoc) return pAssoc->value;
    if (!m_pHashTable) InitHashTable(m_nHashTableSize);
    pAssoc = new CAssoc{m_pHashTable[nHash], nHash, KEY(key), VALUE()};
    m_pHashTable[nHash] = pAssoc;
    ++m_nCount;
    return pAssoc->value;
  }
  void SetAt(ARG_KEY key, ARG_VALUE newValue) { (*this)[key] = newValue; }
  BOOL RemoveKey(ARG_KEY key) {
    if (!m_pHashTable) return FALSE;
    UINT nHash = HashKey<ARG_KEY>(key) % m_nHashTableSize;
    for (CAssoc** ppPrev = &m_pHashTable[nHash]; *ppPrev; ppPrev = &(*ppPrev)->pNext) {
      CAssoc* pAssoc = *ppPrev;
      if (CompareElements(&pAssoc->key, &key)) {
        *ppPrev = pAssoc->pNext;
        delete pAssoc;
        --m_nCount;
        return TRUE;
      }
    }
    return FALSE;
  }
  void RemoveAll() {
    if (m_pHashTable) {
      for (UINT i = 0; i < m_nHashTableSize; ++i) {
        CAssoc* p = m_pHashTable[i];
        while (p) {
          CAssoc* pNext = p->pNext;
          delete p;
          p = pNext;
        }
      }
      delete[] m_pHashTable;
      m_pHashTable = nullptr;
    }
    m_nCount = 0;
  }

  // Walks all pairs in no particular order: GetStartPosition, then GetNextAssoc until the
  // position is null.
  POSITION GetStartPosition() const { return m_nCount == 0 ? nullptr : BEFORE_START_POSITION; }
  void GetNextAssoc(POSITION& rNextPosition, KEY& rKey, VALUE& rValue) const {
    if (!rNextPosition || !m_pHashTable) AfxThrowInvalidArgException();
    CAssoc* pAssoc = reinterpret_cast<CAssoc*>(rNextPosition);
    if (rNextPosition == BEFORE_START_POSITION) {
      pAssoc = nullptr;
      for (UINT i = 0; i < m_nHashTableSize && !pAssoc; ++i) pAssoc = m_pHashTable[i];
      if (!pAssoc) AfxThrowInvalidArgException();
    }
    CAssoc* pNext = pAssoc->pNext;
    for (UINT i = pAssoc->nHashValue + 1; !pNext && i < m_nHashTableSize; ++i) pNext = m_pHashTable[i];
    rNextPosition = reinterpret_cast<POSITION>(pNext);
    rKey = pAssoc->key;
    rValue = pAssoc->value;
  }

 private:
  CAssoc* GetAssocAt(ARG_KEY key, UINT& nHash) const {
    nHash = HashKey<ARG_KEY>(key) % m_nHashTableSize;
    if (!m_pHashTable) return nullptr;
    for (CAssoc* p = m_pHashTable[nHash]; p; p = p->pNext)
      if (CompareElements(&p->key, &key)) return p;
    return nullptr;
  }

  CAssoc** m_pHashTable = nullptr;
  UINT m_nHashTableSize = 17;
  INT_PTR m_nCount = 0;
};
