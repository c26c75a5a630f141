// Section readers over arbitrary bytes: the first byte picks the entry tail size, the rest is the
// file with a section header at 0.
#include <cstddef>
#include <cstdint>

#include "SectionTestKit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const unsigned tailWords = data[0] % 4;
  sectiontest::Bytes bytes(data + 1, data + size);
  bytes.push_back(0);  // a non-empty buffer even for an empty file
  const CString v1(L"2000"), v2(L"2010");
  {
    CMemFile f(bytes.data(), static_cast<UINT>(bytes.size() - 1));
    sectiontest::CBytesReader reader("Page", tailWords);
    if (reader.ReadBlocksTag(&f)) reader.ReadBlocks(&f, v1, v2);
  }
  {
    CMemFile f(bytes.data(), static_cast<UINT>(bytes.size() - 1));
    sectiontest::CBytesRomReader rom("Page", tailWords);
    if (rom.ReadBlocksTag(&f) && rom.ReadIndexs(&f)) {
      const int n = static_cast<int>(rom.GetCount());
      for (int i = -1; i <= n && i < 64; ++i) rom.ReadBlock(&f, i, v1, v2);
    }
  }
  return 0;
}
