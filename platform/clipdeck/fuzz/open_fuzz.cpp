// Arbitrary bytes as a video file: opening it, reading its overview and poster must fail cleanly or
// succeed, never crash, over-read or hang.
#include "Clipdeck.h"

#include <gdi/wingdi.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = [] {
    char name[] = "/tmp/clipdeck_fuzz_XXXXXX";
    const int fd = mkstemp(name);
    if (fd >= 0) close(fd);
    return std::string(name);
  }();
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  HAVOVERVIEW ov = AVOverviewOpen(path.c_str());
  if (ov) {
    avOverviewInfo info;
    info.requestFlags = AVOVERVIEW_PROPERTIES | AVOVERVIEW_POSTER;
    if (AVGetOverviewInfo(ov, &info, -1.0, 0, 0) && info.poster) DeleteObject(info.poster);
    AVOverviewClose(ov);
  }
  return 0;
}
