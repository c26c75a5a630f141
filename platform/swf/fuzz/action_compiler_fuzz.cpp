// Feeds arbitrary bytes to the ActionScript compiler. It must either fail with
// a positioned message or produce well-formed action records: every record
// inside the buffer, every function body inside its enclosing list, every
// branch landing on a record boundary of its own list, and ActionEnd last.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string_view>
#include <vector>

#include "ActionCompiler.h"

namespace {

bool ValidList(const std::vector<uint8_t>& code, size_t begin, size_t end) {
  std::set<size_t> starts;
  std::vector<size_t> targets;
  size_t p = begin;
  while (p < end) {
    starts.insert(p);
    uint8_t op = code[p++];
    if (op < 0x80) continue;
    if (end - p < 2) return false;
    size_t len = code[p] | (code[p + 1] << 8);
    p += 2;
    if (end - p < len) return false;
    size_t data = p;
    p += len;
    if (op == 0x99 || op == 0x9D) {
      if (len != 2) return false;
      int16_t offset = static_cast<int16_t>(code[data] | (code[data + 1] << 8));
      targets.push_back(static_cast<size_t>(static_cast<long>(p) + offset));
    } else if (op == 0x9B || op == 0x8E) {
      if (len < 2) return false;
      size_t size = code[p - 2] | (code[p - 1] << 8);
      if (end - p < size || !ValidList(code, p, p + size)) return false;
      p += size;
    }
  }
  for (size_t t : targets)
    if (t != end && !starts.count(t)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view source(reinterpret_cast<const char*>(data), size);
  for (int version : {6, 8}) {
    std::vector<uint8_t> out;
    swf::ActionCompileError error;
    bool ok = swf::CompileActionScript(source, version, &out, &error);
    if (ok && (out.empty() || out.back() != 0x00 || !ValidList(out, 0, out.size()))) __builtin_trap();
    if (!ok && (error.line < 1 || error.column < 1 || error.message.empty() || !out.empty()))
      __builtin_trap();
  }
  return 0;
}
