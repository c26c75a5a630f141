// Drives the record readers of afxbinio.h over a memory file with a random sequence of typed
// reads: the first bytes choose the reads, the rest is the file. A read never throws, never goes
// past the end, and a string count is never trusted beyond what is left.
#include <afxbinio.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t nOps = std::min<size_t>(data[0], size - 1);
  const uint8_t* ops = data + 1;
  std::vector<BYTE> body(ops + nOps, data + size);
  CMemFile file(body.data(), static_cast<UINT>(body.size()));
  try {
    for (size_t i = 0; i < nOps; ++i) {
      switch (ops[i] % 8) {
        case 0: { uint8_t v; lw::bin::ReadU8(file, v); break; }
        case 1: { uint16_t v; lw::bin::ReadU16(file, v); break; }
        case 2: { uint32_t v; lw::bin::ReadU32(file, v); break; }
        case 3: { int32_t v; lw::bin::ReadI32(file, v); break; }
        case 4: { uint64_t v; lw::bin::ReadU64(file, v); break; }
        case 5: { float v; lw::bin::ReadF32(file, v); break; }
        case 6: { CString s; lw::bin::ReadString16(file, s); break; }
        default: file.Seek(ops[i] >> 3, CFile::current); break;
      }
    }
  } catch (CException*) {
    std::abort();  // readers report short data, they do not throw
  }
  return 0;
}
