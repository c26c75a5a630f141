// Decodes arbitrary bytes as a packed DIB (the clipboard's bitmap): a refusal or a picture of a
// sane size, never a crash or a read past the data.
#include <ImageObjects.h>
#include <gdiplus.h>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Gdiplus::Bitmap* bitmap = Vectorloom::DecodePackedDib(data, size);
  if (bitmap) {
    if (bitmap->GetWidth() == 0 || bitmap->GetHeight() == 0 || bitmap->GetWidth() > 32768 ||
        bitmap->GetHeight() > 32768)
      std::abort();
    delete bitmap;
  }
  return 0;
}
