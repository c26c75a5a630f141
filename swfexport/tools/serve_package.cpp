// Serves a flip-book package the way the program's Preview does (127.0.0.1, a free port, that
// folder only) for browser checks: prints the start address on one line, then serves until its
// standard input ends.
// Usage: flarewing_serve_package <package-folder>
#include <cstdio>
#include <iostream>
#include <string>

#include <flarewing/PackagePreview.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <package-folder>\n", argv[0]);
    return 2;
  }
  QorSWFExportingLib::CPackagePreviewServer server;
  if (!server.Start(argv[1])) {
    std::fprintf(stderr, "%s: cannot be served\n", argv[1]);
    return 1;
  }
  std::printf("%s\n", server.StartAddress().c_str());
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
  }
  server.Stop();
  return 0;
}
