// Writes the seed inputs of the reader fuzz harnesses under a source tree:
//   make_fuzz_seeds <source-root>
// Each seed goes to <root>/<folder>/fuzz/seeds/<harness>/<name> (see FuzzSeeds.h).
#include <cstdio>
#include <exception>
#include <filesystem>

#include "FuzzSeeds.h"
#include "TestSupport.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <source-root>\n", argv[0]);
    return 2;
  }
  try {
    const std::vector<fuzzseeds::Seed> seeds = fuzzseeds::MakeSeeds();
    if (seeds.empty()) {
      std::fprintf(stderr, "ffmpeg is needed for the document seed's clip\n");
      return 1;
    }
    for (const fuzzseeds::Seed& s : seeds) {
      const std::filesystem::path dir = std::filesystem::path(argv[1]) / s.folder / "fuzz" / "seeds" / s.harness;
      std::filesystem::create_directories(dir);
      lwtest::WriteFileBytes(dir / s.name, s.bytes);
      std::printf("%s/%s: %zu bytes\n", s.harness.c_str(), s.name.c_str(), s.bytes.size());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
