// The FreeType library shared by the GDI layer and its callers.
#include <ftlibrary.h>

namespace {

struct Holder {
  std::once_flag once;
  FT_Library library = nullptr;
};

Holder& TheHolder() {
  static auto* h = new Holder();
  return *h;
}

}  // namespace

std::recursive_mutex& LwFreeType::Mutex() {
  static auto* m = new std::recursive_mutex();
  return *m;
}

FT_Library LwFreeType::Acquire() {
  Holder& h = TheHolder();
  // No lock inside: nothing can reach the library before it exists, and taking the FreeType
  // lock here could deadlock against a caller that holds it while another thread starts us.
  std::call_once(h.once, [&h] {
    if (FT_Init_FreeType(&h.library) != 0) h.library = nullptr;
  });
  return h.library;
}
