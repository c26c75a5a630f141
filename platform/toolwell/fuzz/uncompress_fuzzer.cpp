// Unpacks arbitrary bytes: the first four bytes (little-endian) give the expected length,
// capped at 1 MiB, the rest is the packed stream.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "ZlibCompresser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  unsigned raw = static_cast<unsigned>(data[0]) | (static_cast<unsigned>(data[1]) << 8) |
                 (static_cast<unsigned>(data[2]) << 16) | (static_cast<unsigned>(data[3]) << 24);
  raw %= (1u << 20) + 1;
  static CZlibUnCompresser unpacker;  // reused, as a section reader reuses its buffer
  bool ok = unpacker.UnCompress(data + 4, static_cast<unsigned>(size - 4), raw);
  if (ok && (unpacker.GetUnpackedLength() != raw || !unpacker.GetUnpackedData())) std::abort();
  if (!ok && (unpacker.GetUnpackedLength() != 0 || unpacker.GetUnpackedData())) std::abort();
  // A block that unpacked must pack and unpack to the same bytes.
  if (ok) {
    CZlibCompresser packer;
    CZlibUnCompresser again;
    if (!packer.Compress(unpacker.GetUnpackedData(), static_cast<int>(raw)) ||
        !again.UnCompress(packer.GetPackedData(), packer.GetPackedLength(), raw))
      std::abort();
    for (unsigned i = 0; i < raw; ++i)
      if (again.GetUnpackedData()[i] != unpacker.GetUnpackedData()[i]) std::abort();
  }
  return 0;
}
