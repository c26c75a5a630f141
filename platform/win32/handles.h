// The process's table of kernel objects. A HANDLE is a small number naming an entry; the entry
// holds a shared reference, so an object stays alive while any call still uses it.
#pragma once

#include <memory>

#include "wintypes.h"

namespace lw::detail {

class KernelObject {
 public:
  virtual ~KernelObject() = default;
};

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
// Removes the entry; false when the handle names nothing.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> FindHandleOf(HANDLE handle) {
  return std::dynamic_pointer_cast<T>(FindHandle(handle));
}

}  // namespace lw::detail
