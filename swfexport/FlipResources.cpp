// The library's resources (viewer movies, scripts, texts), compiled in at build time and found by
// (type, id).
#include "flarewing/FlipBook.h"

#include <cstring>
#include <string_view>

#include <win32/lwreplace.h>

namespace QorSWFExportingLib {

const unsigned char* FindFlipResource(const char* type, int id, std::size_t* size) {
  if (size) *size = 0;
  if (!type) return nullptr;
  const char* t = nullptr;
  int i = 0;
  std::size_t n = 0;
  for (std::size_t index = 0;; ++index) {
    const unsigned char* data = EmbeddedResourceTable(index, &t, &i, &n);
    if (!data) return nullptr;
    if (i == id && std::strcmp(t, type) == 0) {
      if (size) *size = n;
      return data;
    }
  }
}

std::string FlipResourceText(const char* type, int id) {
  std::size_t size = 0;
  const unsigned char* data = FindFlipResource(type, id, &size);
  return data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
}

bool SaveFlipResource(const std::string& path, const char* type, int id) {
  std::size_t size = 0;
  const unsigned char* data = FindFlipResource(type, id, &size);
  if (!data) return false;
  return lw::ReplaceFileContents(path, std::string_view(reinterpret_cast<const char*>(data), size));
}

}  // namespace QorSWFExportingLib
