// Theme files of any content: parsing fails cleanly or succeeds, and a failure changes nothing.
#include <QorpTheme.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CQORPThemeColors theme;
  theme.SetColor(QORP_CLR_RIBBON_PRIMARY, RGB(1, 2, 3));
  std::string err;
  const std::string text(reinterpret_cast<const char*>(data), size);
  if (!theme.Parse(text, &err)) {
    if (err.empty() || theme.GetColor(QORP_CLR_RIBBON_PRIMARY) != RGB(1, 2, 3)) std::abort();
  }
  return 0;
}
