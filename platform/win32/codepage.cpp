// WideCharToMultiByte and MultiByteToWideChar for the code pages Linux has: every one is UTF-8.
#include <cstring>
#include <string>
#include <string_view>

#include "lwstr.h"
#include "winerror.h"
#include "winstring.h"

namespace {

bool KnownCodePage(UINT codePage) { return codePage == CP_ACP || codePage == CP_OEMCP || codePage == CP_UTF8; }

// Copies the converted units into out (or only counts them when size is 0).
template <typename Unit>
int Deliver(const std::basic_string<Unit>& converted, Unit* out, int size) {
  if (converted.size() > static_cast<size_t>(INT32_MAX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const int n = static_cast<int>(converted.size());
  if (size == 0) return n;
  if (n > size) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, converted.data(), converted.size() * sizeof(Unit));
  return n;
}

}  // namespace

int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int count, LPSTR out, int size, LPCSTR defaultChar,
                        LPBOOL usedDefault) {
  (void)flags;
  if (!text || !KnownCodePage(codePage) || count == 0 || count < -1 || size < 0 || (size > 0 && !out) ||
      defaultChar) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (usedDefault) *usedDefault = FALSE;
  // With -1 the terminator is converted too, and counted.
  const size_t length = count == -1 ? std::wcslen(text) + 1 : static_cast<size_t>(count);
  return Deliver(lw::WideToUtf8(std::wstring_view(text, length)), out, size);
}

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int count, LPWSTR out, int size) {
  (void)flags;
  if (!text || !KnownCodePage(codePage) || count == 0 || count < -1 || size < 0 || (size > 0 && !out)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const size_t length = count == -1 ? std::strlen(text) + 1 : static_cast<size_t>(count);
  return Deliver(lw::Utf8ToWide(std::string_view(text, length)), out, size);
}
