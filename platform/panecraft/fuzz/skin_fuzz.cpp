// Skin files of any content: parsing a section fails cleanly or succeeds, and a failure
// changes nothing. The input's first line names the section to read.
#include <QorpSkinManager.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t nl = input.find('\n');
  const std::string section = nl == std::string::npos ? std::string() : input.substr(0, nl);
  const std::string text = nl == std::string::npos ? input : input.substr(nl + 1);
  CQORPSkinColors skin;
  skin.SetColor(QORP_SKIN_DIALOG_BACK, RGB(1, 2, 3));
  std::string err;
  if (!skin.Parse(text, section, &err)) {
    if (err.empty() || skin.GetColor(QORP_SKIN_DIALOG_BACK) != RGB(1, 2, 3)) std::abort();
  }
  return 0;
}
