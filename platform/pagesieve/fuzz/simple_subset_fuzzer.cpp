// Cuts arbitrary bytes as a Type 1 or bare CFF program. The first byte chooses the kind (bit 0)
// and the glyphs asked for (bits 1 to 7); the rest is the program. A cut that succeeds must cut
// again to the same bytes: what the cutter writes, it reads.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "../writer_internal.h"

namespace {

// The three parts of a Type 1 program: clear text up to the white space after eexec, the
// encrypted part, and a trailer from the run of zeros before cleartomark.
bool Split(const uint8_t* d, size_t n, int* l1, int* l2, int* l3) {
  const std::string_view text(reinterpret_cast<const char*>(d), n);
  size_t e = text.find("eexec");
  if (e == std::string_view::npos || n > 0x7FFFFFF) return false;
  e += 5;
  while (e < n && (text[e] == '\r' || text[e] == '\n' || text[e] == ' ' || text[e] == '\t')) ++e;
  size_t end = n;
  const size_t mark = text.rfind("cleartomark");
  if (mark != std::string_view::npos && mark > e) {
    end = mark;
    while (end > e && (text[end - 1] == '0' || text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
  }
  *l1 = static_cast<int>(e);
  *l2 = static_cast<int>(end - e);
  *l3 = static_cast<int>(n - end);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const uint8_t choice = data[0];
  const uint8_t* program = data + 1;
  const size_t n = size - 1;
  if (choice & 1) {
    std::vector<uint32_t> keep;
    for (uint32_t g = 1; g < 8; ++g)
      if (choice & (1u << g)) keep.push_back(g);
    std::vector<uint8_t> out, again;
    std::vector<uint32_t> newGid, newGidAgain;
    if (!pagesieve::SubsetCff(program, n, keep, &out, &newGid)) return 0;
    std::vector<uint32_t> kept;
    for (uint32_t g = 0; g < newGid.size(); ++g)
      if (newGid[g] || g == 0) kept.push_back(newGid[g]);
    if (!pagesieve::SubsetCff(out.data(), out.size(), kept, &again, &newGidAgain) || again != out) std::abort();
    return 0;
  }
  static const char* const kNames[] = {"A", "B", "Aacute", "space", "a", "e", "one"};
  std::vector<std::string> keep;
  for (int i = 0; i < 7; ++i)
    if (choice & (2u << i)) keep.emplace_back(kNames[i]);
  int l1 = 0, l2 = 0, l3 = 0;
  if (!Split(program, n, &l1, &l2, &l3)) return 0;
  pagesieve::Type1Subset out, again;
  if (!pagesieve::SubsetType1(program, n, l1, l2, l3, keep, &out)) return 0;
  if (!pagesieve::SubsetType1(out.program.data(), out.program.size(), out.length1, out.length2, out.length3, keep,
                              &again) ||
      again.program != out.program)
    std::abort();
  return 0;
}
