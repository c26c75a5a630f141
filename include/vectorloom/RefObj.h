// Reference-counted base of pages, page objects, bitmap resources, content sources and glyph
// resources. A new object has a count of 0; every holder takes a reference and releases it, and
// the release that brings the count below 1 deletes the object.
#pragma once

#include <atomic>
#include <cstdint>

namespace Vectorloom {

class CRefObj {
 public:
  CRefObj() = default;
  CRefObj(const CRefObj&) : m_nRefCount(0) {}  // a copy is a new object with no holders
  CRefObj& operator=(const CRefObj&) { return *this; }
  virtual ~CRefObj() = default;

  // Takes a reference; returns the new count.
  int32_t AddRef() { return m_nRefCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  // Gives a reference back; deletes the object when the count drops below 1. Returns the new count.
  int32_t Release() {
    const int32_t count = m_nRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
    if (count < 1) delete this;
    return count;
  }
  int32_t GetRefCount() const { return m_nRefCount.load(std::memory_order_relaxed); }

 private:
  std::atomic<int32_t> m_nRefCount{0};
};

// Takes a reference to p (if any) and returns it.
template <typename T>
T* AddRefObj(T* p) {
  if (p) p->AddRef();
  return p;
}

// Releases *pp (if any) and clears it.
template <typename T>
void ReleaseRefObj(T*& p) {
  if (p) {
    T* q = p;
    p = nullptr;
    q->Release();
  }
}

}  // namespace Vectorloom
