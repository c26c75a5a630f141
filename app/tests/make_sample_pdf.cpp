// Writes a generated PDF for trying the program and for the benchmark: `make_sample_pdf OUT PAGES`.
// Every page holds a line of text, filled and stroked rectangles, a gradient and a small image.
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "PdfFixtures.h"
#include "TestSupport.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: make_sample_pdf OUT.pdf PAGES\n");
    return 2;
  }
  const int pages = std::atoi(argv[2]);
  if (pages < 1 || pages > 10000) {
    std::fprintf(stderr, "PAGES must be 1..10000\n");
    return 2;
  }
  try {
    lwtest::WriteFileBytes(argv[1], lwtest::MakeCairoPdf(pages));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
