// Font programs of unknown origin through the paths that read them: face names, text metrics
// and native glyph outline records.
#include <cstddef>
#include <cstdint>

#include "../gdi_fonts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lwgdi::ExerciseFontBytes(data, size);
  return 0;
}
