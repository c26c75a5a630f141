// TIFF files through libtiff: colour and transparency of small files written here, and cut or
// oversized files, which must fail cleanly.
#include <GdiplusBitmap.h>
#include <GdiplusDecoders.h>
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <memory>
#include <vector>

using namespace Gdiplus;

namespace {

using Bytes = std::vector<BYTE>;
using Pixel = std::array<BYTE, 4>;

void Put16(Bytes& b, unsigned v) {
  b.push_back(static_cast<BYTE>(v));
  b.push_back(static_cast<BYTE>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<BYTE>(v >> (8 * i)));
}

// An uncompressed little-endian TIFF: RGB, or RGBA with unassociated alpha, in one strip.
Bytes Tiff(uint32_t w, uint32_t h, int samples, const std::function<Pixel(uint32_t, uint32_t)>& at) {
  const int entries = samples == 4 ? 10 : 9;
  const uint32_t ifd = 8, bits = ifd + 2 + 12 * entries + 4, pixels = bits + 2 * samples;
  const uint32_t bytes = w * h * samples;
  Bytes b = {'I', 'I', 42, 0};
  Put32(b, ifd);
  Put16(b, static_cast<unsigned>(entries));
  auto entry = [&](unsigned tag, unsigned type, uint32_t count, uint32_t value) {
    Put16(b, tag);
    Put16(b, type);
    Put32(b, count);
    Put32(b, value);
  };
  entry(256, 4, 1, w);
  entry(257, 4, 1, h);
  entry(258, 3, static_cast<uint32_t>(samples), bits);
  entry(259, 3, 1, 1);  // no compression
  entry(262, 3, 1, 2);  // RGB
  entry(273, 4, 1, pixels);
  entry(277, 3, 1, static_cast<uint32_t>(samples));
  entry(278, 4, 1, h);
  entry(279, 4, 1, bytes);
  if (samples == 4) entry(338, 3, 1, 2);  // unassociated alpha
  Put32(b, 0);
  for (int i = 0; i < samples; ++i) Put16(b, 8);
  for (uint32_t y = 0; y < h; ++y)
    for (uint32_t x = 0; x < w; ++x) {
      const Pixel p = at(x, y);
      b.insert(b.end(), p.begin(), p.begin() + samples);
    }
  return b;
}

std::unique_ptr<Bitmap> Decode(const Bytes& bytes) {
  IStream* s = SHCreateMemStream(bytes.data(), static_cast<UINT>(bytes.size()));
  std::unique_ptr<Bitmap> bmp(Bitmap::FromStream(s));
  s->Release();
  return bmp;
}

ARGB PixelOf(Bitmap& bmp, int x, int y) {
  Color c;
  bmp.GetPixel(x, y, &c);
  return c.GetValue();
}

TEST(CodecTiffTest, ColourAndTransparency) {
  // Red on the left, blue on the right, top row first.
  const Bytes rgb = Tiff(6, 4, 3, [](uint32_t x, uint32_t) { return x < 3 ? Pixel{255, 0, 0, 0} : Pixel{0, 0, 255, 0}; });
  auto bmp = Decode(rgb);
  ASSERT_EQ(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(bmp->GetWidth(), 6u);
  EXPECT_EQ(bmp->GetHeight(), 4u);
  EXPECT_EQ(PixelOf(*bmp, 0, 0), 0xFFFF0000u);
  EXPECT_EQ(PixelOf(*bmp, 5, 3), 0xFF0000FFu);
  GUID format{};
  bmp->GetRawFormat(&format);
  EXPECT_EQ(format, ImageFormatTIFF);

  // A clear row on top of an opaque one, and a half-clear green that keeps its colour.
  const Bytes rgba = Tiff(2, 3, 4, [](uint32_t, uint32_t y) {
    return y == 0 ? Pixel{10, 20, 30, 0} : y == 1 ? Pixel{0, 200, 0, 128} : Pixel{40, 50, 60, 255};
  });
  bmp = Decode(rgba);
  ASSERT_EQ(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(PixelOf(*bmp, 0, 0) >> 24, 0u);
  const ARGB half = PixelOf(*bmp, 1, 1);
  EXPECT_EQ(half >> 24, 128u);
  EXPECT_NEAR(static_cast<int>((half >> 8) & 0xFF), 200, 2);
  EXPECT_EQ(PixelOf(*bmp, 1, 2), 0xFF28323Cu);
}

TEST(CodecTiffTest, CutAndOversizedFilesFailCleanly) {
  const Bytes good = Tiff(8, 8, 3, [](uint32_t x, uint32_t y) { return Pixel{BYTE(x * 30), BYTE(y * 30), 0, 0}; });
  for (size_t n = 4; n < good.size(); n += 5) {
    Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
    auto bmp = Decode(cut);  // the sanitizers watch every read
    if (n < 130) EXPECT_NE(bmp->GetLastStatus(), Ok) << n;  // the directory itself is cut
  }
  // A directory that names a picture of 100000 x 100000 over a few bytes is refused before
  // anything that size is made.
  Bytes huge = good;
  for (size_t at : {size_t(8 + 2 + 8), size_t(8 + 2 + 12 + 8)}) {
    huge[at] = 0xA0;
    huge[at + 1] = 0x86;
    huge[at + 2] = 0x01;
    huge[at + 3] = 0x00;
  }
  auto bmp = Decode(huge);
  EXPECT_NE(bmp->GetLastStatus(), Ok);
  EXPECT_EQ(bmp->GetWidth(), 0u);
}

}  // namespace
