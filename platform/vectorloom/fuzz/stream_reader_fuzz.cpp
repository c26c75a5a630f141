// Drives CStreamReader with a random sequence of typed reads: the first bytes choose the reads,
// the rest is the data. Every read must stay inside the block and a failed read must not move.
#include <StreamReader.h>

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t nOps = std::min<size_t>(data[0], size - 1);
  const uint8_t* ops = data + 1;
  const uint8_t* body = ops + nOps;
  CStreamReader in(body, static_cast<unsigned>(size - 1 - nOps));
  for (size_t i = 0; i < nOps; ++i) {
    const unsigned before = in.GetPosition();
    bool ok = false;
    unsigned width = 0;
    switch (ops[i] % 9) {
      case 0: { uint8_t v; ok = in.ReadU8(v); width = 1; break; }
      case 1: { uint16_t v; ok = in.ReadU16(v); width = 2; break; }
      case 2: { uint32_t v; ok = in.ReadU32(v); width = 4; break; }
      case 3: { int32_t v; ok = in.ReadI32(v); width = 4; break; }
      case 4: { uint64_t v; ok = in.ReadU64(v); width = 8; break; }
      case 5: { float v; ok = in.ReadFloat(v); width = 4; break; }
      case 6: { std::wstring s; ok = in.ReadWString(s); width = ok ? in.GetPosition() - before : 0; break; }
      case 7: { uint8_t buf[64]; width = ops[i] % 64; ok = in.ReadData(buf, width); break; }
      default: { width = ops[i]; ok = in.Skip(width); break; }
    }
    if (in.GetPosition() > in.GetTotalLength()) std::abort();
    if (ok ? in.GetPosition() != before + width : in.GetPosition() != before) std::abort();
  }
  return 0;
}
