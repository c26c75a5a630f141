// The program's entry: the application object and the start of its message loop.
#include <cstdio>
#include <cstdlib>

#include "LeafwrightApp.h"

int main(int argc, char** argv) {
  const char* x11 = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!x11 || !*x11) && (!wayland || !*wayland)) {
    std::fprintf(stderr,
                 "Leafwright needs a graphical display, and none is set (DISPLAY and WAYLAND_DISPLAY are empty).\n"
                 "Start it from a desktop session, or on a machine without a screen run it under a virtual one:\n"
                 "  xvfb-run -a %s [file.pdf|file.lfw]\n",
                 argc > 0 ? argv[0] : "Leafwright");
    return 2;
  }
  CLeafwrightApp app;
  return AfxWinMain(argc, argv);
}
