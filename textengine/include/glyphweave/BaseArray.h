// Growable arrays of plain records used throughout the text engine.
//
// _BaseArray<T> keeps a capacity that follows the classic rules exactly (it grows by the grow
// step when an append finds the array full, copy-assign keeps a larger capacity, clearing gives
// 0), because the capacity of the font-run set is stored in text records. The capacity is a
// number only: the elements live in a std::vector of exactly `count` elements, so a large
// capacity read from a file costs no memory.
#pragma once

#include <climits>
#include <cstdint>
#include <vector>

namespace GlyphweaveLib {

template <typename T>
class _BaseArray {
 public:
  static constexpr int kDefaultGrowStep = 4;

  _BaseArray() = default;
  _BaseArray(const _BaseArray& o) { Copy(o); }
  _BaseArray& operator=(const _BaseArray& o) {
    if (this != &o) Copy(o);
    return *this;
  }
  ~_BaseArray() = default;

  // Copy-assign: a capacity below the other's count takes the other's capacity; count and grow
  // step are taken from the other.
  void Copy(const _BaseArray& o) {
    if (this == &o) return;
    if (m_nCapacity < o.GetSize()) m_nCapacity = o.m_nCapacity;
    m_vItems = o.m_vItems;
    m_nGrowStep = o.m_nGrowStep;
  }

  // Appends; a full array first grows its capacity by the grow step.
  void Add(const T& item) {
    GrowForOne();
    m_vItems.push_back(item);
  }

  // Inserts before index i; i at or past the count appends. Returns the element's index.
  int InsertAt(int i, const T& item) {
    if (i < 0) i = 0;
    if (i >= GetSize()) {
      Add(item);
      return GetSize() - 1;
    }
    GrowForOne();
    m_vItems.insert(m_vItems.begin() + i, item);
    return i;
  }

  // Removes element i; an index out of range does nothing.
  void RemoveAt(int i) {
    if (i < 0 || i >= GetSize()) return;
    m_vItems.erase(m_vItems.begin() + i);
  }

  // Unchecked element access, as the callers index within 0 .. count-1.
  T& GetAt(int i) { return m_vItems[static_cast<size_t>(i)]; }
  const T& GetAt(int i) const { return m_vItems[static_cast<size_t>(i)]; }
  void SetAt(int i, const T& item) {
    if (i >= 0 && i < GetSize()) m_vItems[static_cast<size_t>(i)] = item;
  }
  T& operator[](int i) { return GetAt(i); }
  const T& operator[](int i) const { return GetAt(i); }

  // Raises the capacity to n (the elements are kept).
  void SetNeedSize(int n) {
    if (m_nCapacity < n) m_nCapacity = n;
  }
  // Replaces the contents by n elements from p; nothing for a null p or n < 1.
  void SetBufferData(const T* p, int n) {
    if (!p || n < 1) return;
    SetNeedSize(n);
    m_vItems.assign(p, p + n);
  }
  // Gives back the memory of elements removed before; the capacity number stays.
  void FreeExtra() { m_vItems.shrink_to_fit(); }
  // Cuts the array to n elements when it holds more.
  void Shrink(int n) {
    if (n >= 0 && n < GetSize()) m_vItems.resize(static_cast<size_t>(n));
  }

  T* GetBufferData() { return m_vItems.data(); }
  const T* GetBufferData() const { return m_vItems.data(); }
  int GetSize() const { return static_cast<int>(m_vItems.size()); }
  int GetCapacity() const { return m_nCapacity; }
  int GetGrowStep() const { return m_nGrowStep; }
  // A grow step below 1 would never make room; it becomes the default step.
  void SetGrowStep(int step) { m_nGrowStep = step < 1 ? kDefaultGrowStep : step; }

  // Frees the elements; capacity and count become 0 (the grow step stays).
  void Clear() {
    std::vector<T>().swap(m_vItems);
    m_nCapacity = 0;
  }

  // Replaces the contents by `count` default elements with the given capacity and grow step, as
  // a loader does before reading the elements over them. The capacity is kept at least `count`
  // and a grow step below 1 becomes the default. The caller has checked `count` against the data.
  void ResetForLoad(int capacity, int count, int growStep) {
    if (count < 0) count = 0;
    std::vector<T>(static_cast<size_t>(count)).swap(m_vItems);
    m_nCapacity = capacity < count ? count : capacity;
    SetGrowStep(growStep);
  }

 protected:
  void GrowForOne() {
    if (GetSize() < m_nCapacity) return;
    const int64_t grown = static_cast<int64_t>(m_nCapacity) + m_nGrowStep;
    m_nCapacity = grown > INT_MAX ? INT_MAX : static_cast<int>(grown);
    if (m_nCapacity <= GetSize()) m_nCapacity = GetSize() + 1;
  }

  std::vector<T> m_vItems;
  int m_nCapacity = 0;
  int m_nGrowStep = kDefaultGrowStep;
};

// A growable array kept in the order of a compare function, without duplicates.
template <typename T>
class CSortedArray : public _BaseArray<T> {
 public:
  typedef int (*CompareFunc)(const void*, const void*);

  explicit CSortedArray(CompareFunc compare) : m_pCompare(compare) {}

  // Binary search. A match stores its index in *pos and gives true; otherwise *pos receives the
  // last middle index examined (-1 for an empty array) and the result is false.
  bool FindAt(const T& x, int* pos) const {
    int low = 0;
    int high = this->GetSize() - 1;
    int middle = -1;
    while (low <= high) {
      middle = low + (high - low) / 2;
      const int c = m_pCompare(&x, &this->GetAt(middle));
      if (c == 0) {
        if (pos) *pos = middle;
        return true;
      }
      if (c > 0)
        low = middle + 1;
      else
        high = middle - 1;
    }
    if (pos) *pos = middle;
    return false;
  }

  // Inserts x at its place; an element already present changes nothing.
  void Add(const T& x) {
    int p = -1;
    if (FindAt(x, &p)) return;
    if (p < 0) {
      _BaseArray<T>::Add(x);
      return;
    }
    const int at = m_pCompare(&x, &this->GetAt(p)) > 0 ? p + 1 : p;
    this->InsertAt(at, x);
  }

 protected:
  CompareFunc m_pCompare;
};

// The growable set of per-paragraph records (rows, font runs) of a text; the same rules as
// _BaseArray.
template <typename T>
class _ParagraphPropsSet : public _BaseArray<T> {
 public:
  void Append(const T& item) { this->Add(item); }
};

}  // namespace GlyphweaveLib
