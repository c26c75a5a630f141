// Feeds arbitrary bytes to the readers of packed DIB blocks, then runs the image operations over
// whatever they accept.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "BitmapCreator.h"
#include "QorPixelmill.h"

using namespace QorPixelmill;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exactly sized heap copy, aligned for the header, so any read past the block is caught.
  std::vector<BITMAPINFOHEADER> aligned(size / sizeof(BITMAPINFOHEADER) + 1);
  if (size) std::memcpy(aligned.data(), data, size);
  uint8_t* exact = new uint8_t[size ? size : 1];
  if (size) std::memcpy(exact, data, size);

  const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(exact);
  CQorObjImage img;
  bool ok = false;
  if (size >= sizeof(BITMAPINFOHEADER)) {
    (void)CQorObjImage::CalcuBlockSize(header);
    ok = img.Create(header, size);
    // The unsized reader is only for blocks that match their header.
    if (ok) {
      CQorObjImage again;
      if (!again.Create(header)) __builtin_trap();
    }
  } else {
    if (img.Create(reinterpret_cast<const BITMAPINFOHEADER*>(aligned.data()), size)) __builtin_trap();
  }
  delete[] exact;
  if (!ok) return 0;

  const int w = img.Width(), h = img.Height();
  for (int y = -1; y <= h && y < 4; ++y)
    for (int x = -1; x <= w && x < 4; ++x) img.SetPixelData(x, y, img.GetPixelData(x, y) ^ 0x5A5A5A5A);
  RGBQUAD table[256];
  img.GetColorTable(0, 256, table);
  (void)img.GetBitField();

  CQorObjImage copy(img);
  CQorObjImage sub;
  copy.GetSubBlock(&sub, RECT{1, 1, 5, 4});
  copy.ExpandFrame(true, 1, 2, 1, 0);
  copy.Stretch(3, 2);
  copy.CoverBlock(img, -1, 1);
  copy.ConvertTo32Bit();
  CQorHistogram hist(copy);
  CQorObjImage canvas(5, 4, 32);
  canvas.TileBlock(copy, -2, -1);
  canvas.CombineImage(copy, 1, -1, 70);
  canvas.AlphaBlend(copy, RECT{-1, 1, 7, 3}, RECT{0, 0, copy.Width(), copy.Height()}, 40);
  canvas.LogicalBlend(copy, LOGICAL_XOR, 0, 1);
  canvas.CoverBlockAlphaChannel(copy, 1, 1);
  CQorObjImage alpha;
  copy.GetAlphaChannel(&alpha);
  copy.AppendAlphaChannel(alpha);
  copy.Stretch_Smooth(4, 3, nullptr);
  CQorPixelConvertTo8BitGray grey;
  CQorObjImage g(img);
  g.SinglePixelProcessProc(grey, nullptr);
  CQorPixelConvertTo16Bit to16;
  CQorObjImage s(img);
  s.SinglePixelProcessProc(to16, nullptr);
  img.ConvertTo24Bit();
  return 0;
}
