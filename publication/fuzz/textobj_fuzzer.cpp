// The page text object's stream reader over arbitrary bytes (the stream after the type word).
#include <cstddef>
#include <cstdint>
#include <vector>

#include <quirebook/DDrawTextObj.h>
#include <vectorloom/BitmapRes.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<unsigned char> bytes(data, data + size);
  bytes.push_back(0);
  CMemFile f(bytes.data(), static_cast<UINT>(size));
  Vectorloom::CBitmapResObjsList bitmaps;
  CDDrawTextObj text;
  if (text.Load(f, nullptr, bitmaps, CString(L"2000"))) {
    CMemFile out;
    text.Save(out, CString(L"2000"));
  }
  return 0;
}
