#include "ColorConv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define LW_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define LW_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#endif
#endif
#ifndef LW_POISON
#define LW_POISON(p, n) ((void)(p), (void)(n))
#define LW_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace {

struct Bgr {
  int b, g, r;
  bool operator==(const Bgr&) const = default;
};

// A uniform 2 x 2 frame through a YUV -> RGB converter; returns its top-left pixel.
enum class Path { NV12ToRGB24, NV12ToRGB32, YV12ToRGB24, YV12ToRGB32, YUV420ToRGB24 };

Bgr ConvertOne(Path path, uint8_t y, uint8_t u, uint8_t v) {
  uint8_t ys[4] = {y, y, y, y};
  uint8_t us[2] = {u, u}, vs[2] = {v, v}, uv[2] = {u, v};
  uint8_t out[16] = {};
  switch (path) {
    case Path::NV12ToRGB24: ConvertNV12ToRGB24(out, 6, ys, uv, nullptr, 2, 2, 2, 2, 0); break;
    case Path::NV12ToRGB32: ConvertNV12ToRGB32(out, 8, ys, uv, nullptr, 2, 2, 2, 2, 0); break;
    case Path::YV12ToRGB24: ConvertYV12ToRGB24(out, 6, ys, us, vs, 2, 1, 2, 2, 0); break;
    case Path::YV12ToRGB32: ConvertYV12ToRGB32(out, 8, ys, us, vs, 2, 1, 2, 2, 0); break;
    case Path::YUV420ToRGB24: ConvertYUV420ToRGB24(out, 6, ys, us, vs, 2, 1, 2, 2, 0); break;
  }
  return {out[0], out[1], out[2]};
}

TEST(ColorConvValues, YuvToRgbPerFamily) {
  struct Case {
    uint8_t y, u, v;
    Bgr portable, vector;
  };
  const Case cases[] = {
      {16, 128, 128, {0, 0, 0}, {0, 0, 0}},
      {235, 128, 128, {254, 254, 254}, {253, 253, 253}},
      {255, 128, 128, {255, 255, 255}, {255, 255, 255}},
      {81, 90, 240, {0, 0, 254}, {0, 0, 253}},
      {0, 0, 0, {0, 135, 0}, {0, 135, 0}},      // red and blue clamp below
      {255, 255, 255, {255, 125, 255}, {255, 123, 255}},  // red and blue clamp above
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "Y" << int(c.y) << " U" << int(c.u) << " V" << int(c.v));
    EXPECT_EQ(ConvertOne(Path::NV12ToRGB24, c.y, c.u, c.v), c.portable);
    EXPECT_EQ(ConvertOne(Path::NV12ToRGB32, c.y, c.u, c.v), c.portable);
    EXPECT_EQ(ConvertOne(Path::YV12ToRGB24, c.y, c.u, c.v), c.vector);
    EXPECT_EQ(ConvertOne(Path::YV12ToRGB32, c.y, c.u, c.v), c.vector);
    EXPECT_EQ(ConvertOne(Path::YUV420ToRGB24, c.y, c.u, c.v), c.vector);
  }
}

TEST(ColorConvValues, Rgb32FourthByteIsZero) {
  uint8_t ys[4] = {200, 200, 200, 200}, us[1] = {128}, vs[1] = {128};
  uint8_t out[16];
  std::fill(std::begin(out), std::end(out), 0xEE);
  ConvertYV12ToRGB32(out, 8, ys, us, vs, 2, 1, 2, 2, 0);
  for (int p = 0; p < 4; ++p) EXPECT_EQ(out[4 * p + 3], 0);
}

TEST(ColorConvValues, Rgb565ErrorCarry) {
  // Y = U = V = 128 is 130 in every channel; the carry walks 2, 4, 6, 0 along a row and restarts
  // at the next row.
  const int w = 8, h = 2;
  std::vector<uint8_t> y(w * h, 128), u(w / 2 * h / 2, 128), v(w / 2 * h / 2, 128), uv(w * h / 2, 128);
  const uint16_t expected[8] = {0x8410, 0x8430, 0x8430, 0x8C51, 0x8410, 0x8430, 0x8430, 0x8C51};
  for (bool nv12 : {false, true}) {
    std::vector<uint8_t> out(w * 2 * h);
    if (nv12)
      ConvertNV12ToRGB565(out.data(), w * 2, y.data(), uv.data(), nullptr, w, w, w, h, 0);
    else
      ConvertYV12ToRGB565(out.data(), w * 2, y.data(), u.data(), v.data(), w, w / 2, w, h, 0);
    for (int row = 0; row < h; ++row)
      for (int x = 0; x < w; ++x) {
        const uint16_t word = static_cast<uint16_t>(out[row * w * 2 + 2 * x] | out[row * w * 2 + 2 * x + 1] << 8);
        EXPECT_EQ(word, expected[x]) << "nv12 " << nv12 << " row " << row << " x " << x;
      }
  }
}

TEST(ColorConvValues, RgbToYV12) {
  struct Case {
    uint8_t r, g, b;
    int y, u, v;
  };
  const Case cases[] = {
      {255, 255, 255, 235, 128, 128},
      {0, 0, 0, 16, 128, 128},
      {255, 0, 0, 82, 90, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rgb " << int(c.r) << "," << int(c.g) << "," << int(c.b));
    uint8_t rgb24[12], rgb32[16];
    for (int p = 0; p < 4; ++p) {
      rgb24[3 * p] = c.b; rgb24[3 * p + 1] = c.g; rgb24[3 * p + 2] = c.r;
      rgb32[4 * p] = c.b; rgb32[4 * p + 1] = c.g; rgb32[4 * p + 2] = c.r; rgb32[4 * p + 3] = 0x77;
    }
    for (int bytes : {3, 4}) {
      uint8_t y[4] = {}, u[1] = {}, v[1] = {};
      if (bytes == 3)
        ConvertRGB24ToYV12(rgb24, 6, y, u, v, 2, 1, 2, 2, 0);
      else
        ConvertRGB32ToYV12(rgb32, 8, y, u, v, 2, 1, 2, 2, 0);
      for (uint8_t value : y) EXPECT_EQ(value, c.y) << bytes;
      EXPECT_EQ(u[0], c.u) << bytes;
      EXPECT_EQ(v[0], c.v) << bytes;
    }
  }
  // 0xFFFF widens without filling the low bits of its fields.
  const uint8_t white565[8] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  uint8_t y[4] = {}, u[1] = {}, v[1] = {};
  ConvertRGB565ToYV12(white565, 4, y, u, v, 2, 1, 2, 2, 0);
  EXPECT_EQ(y[0], 231);
  EXPECT_EQ(u[0], 127);
  EXPECT_EQ(v[0], 126);
}

TEST(ColorConvValues, PureRedRoundTripThroughYuv420ToRgb24) {
  const uint8_t red[12] = {0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 255};
  uint8_t y[4], u[1], v[1], out[12] = {};
  ConvertRGB24ToYV12(red, 6, y, u, v, 2, 1, 2, 2, 0);
  ConvertYUV420ToRGB24(out, 6, y, u, v, 2, 1, 2, 2, 0);
  for (int p = 0; p < 4; ++p) {
    EXPECT_EQ(out[3 * p], 0);
    EXPECT_EQ(out[3 * p + 1], 0);
    EXPECT_EQ(out[3 * p + 2], 254);
  }
}

TEST(ColorConvPacked, InterleaveAndAverage) {
  // 4 x 2 picture: luma 10..17, U row {100, 110}, V row {200, 210}.
  const uint8_t y[8] = {10, 11, 12, 13, 14, 15, 16, 17}, u[2] = {100, 110}, v[2] = {200, 210};
  uint8_t yuy2[16], uyvy[16];
  ConvertYV12ToYUY2(yuy2, 8, y, u, v, 4, 2, 4, 2, 0);
  ConvertYV12ToUYVY(uyvy, 8, y, u, v, 4, 2, 4, 2, 0);
  const uint8_t expYuy2[16] = {10, 100, 11, 200, 12, 110, 13, 210, 14, 100, 15, 200, 16, 110, 17, 210};
  const uint8_t expUyvy[16] = {100, 10, 200, 11, 110, 12, 210, 13, 100, 14, 200, 15, 110, 16, 210, 17};
  EXPECT_TRUE(std::equal(std::begin(yuy2), std::end(yuy2), expYuy2));
  EXPECT_TRUE(std::equal(std::begin(uyvy), std::end(uyvy), expUyvy));

  // Back: chroma is the rounded-up average of the two rows.
  uint8_t packed[16] = {1, 100, 2, 200, 3, 50, 4, 60, 5, 101, 6, 203, 7, 51, 8, 61};
  uint8_t oy[8], ou[2], ov[2];
  ConvertYUY2ToYV12(packed, 8, oy, ou, ov, 4, 2, 4, 2, 0);
  const uint8_t expY[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_TRUE(std::equal(std::begin(oy), std::end(oy), expY));
  EXPECT_EQ(ou[0], 101);  // (100 + 101 + 1) >> 1
  EXPECT_EQ(ov[0], 202);  // (200 + 203 + 1) >> 1
  EXPECT_EQ(ou[1], 51);
  EXPECT_EQ(ov[1], 61);
  ConvertUYVYToYV12(expUyvy, 8, oy, ou, ov, 4, 2, 4, 2, 0);
  EXPECT_TRUE(std::equal(std::begin(oy), std::end(oy), y));
  EXPECT_EQ(ou[0], 100);
  EXPECT_EQ(ov[1], 210);
}

TEST(ColorConvPlanes, CopiesWithAndWithoutChroma) {
  const uint8_t sy[8] = {1, 2, 3, 4, 5, 6, 7, 8}, su[2] = {20, 21}, sv[2] = {30, 31};
  uint8_t dy[8] = {}, du[2] = {}, dv[2] = {};
  CopyYV12Planes(dy, du, dv, 4, 2, sy, su, sv, 4, 2, 4, 2, 0);
  EXPECT_TRUE(std::equal(std::begin(dy), std::end(dy), sy));
  EXPECT_EQ(du[1], 21);
  EXPECT_EQ(dv[0], 30);
  CopyYV12Planes(dy, du, dv, 4, 2, sy, nullptr, nullptr, 4, 2, 4, 2, 0);
  EXPECT_EQ(du[0], 128);
  EXPECT_EQ(dv[1], 128);

  const uint8_t suv[4] = {40, 41, 42, 43};
  uint8_t duv[4] = {};
  CopyNV12Planes(dy, duv, nullptr, 4, 4, sy, suv, nullptr, 4, 4, 4, 2, 0);
  EXPECT_TRUE(std::equal(std::begin(duv), std::end(duv), suv));
  CopyNV12Planes(dy, duv, nullptr, 4, 4, sy, nullptr, nullptr, 4, 4, 4, 2, 0);
  for (uint8_t b : duv) EXPECT_EQ(b, 128);

  // Flip walks the source upward: the first source row lands last.
  CopyYV12Planes(dy, du, dv, 4, 2, sy, su, sv, 4, 2, 4, 2, 1);
  const uint8_t flipped[8] = {5, 6, 7, 8, 1, 2, 3, 4};
  EXPECT_TRUE(std::equal(std::begin(dy), std::end(dy), flipped));
}

TEST(ColorConvLayout, Nv12ReadsUvRowsWithTheFullStrideThroughTheTable) {
  // 2 x 4 picture; the UV plane has two rows of stride 2: grey, then strong blue.
  const uint8_t y[8] = {128, 128, 128, 128, 128, 128, 128, 128};
  const uint8_t uv[4] = {128, 128, 240, 128};
  uint8_t out[24] = {};
  uint8_t* dst[3] = {out, nullptr, nullptr};
  const uint8_t* src[3] = {y, uv, nullptr};
  ColorConvertEntry entry = GetColorConverter(RP_FORMAT_NV12, RP_FORMAT_RGB24);
  ASSERT_NE(entry, nullptr);
  entry(dst, 6, src, 2, 2, 4, 0);
  EXPECT_EQ(out[0], out[2]);        // grey upper block
  EXPECT_GT(out[12], out[14] + 100);  // blue lower block: B well above R
}

TEST(ColorConvLayout, FlipPutsTheFirstRowLast) {
  const uint8_t y[4] = {16, 16, 235, 235}, u[1] = {128}, v[1] = {128};
  uint8_t out[12] = {};
  ConvertYUV420ToRGB24(out, 6, y, u, v, 2, 1, 2, 2, 1);
  EXPECT_EQ(out[0], 253);  // the second source row (white) comes first
  EXPECT_EQ(out[6], 0);
}

TEST(ColorConvTable, MissingPlanesConvertNothing) {
  // Entries that need chroma planes leave the destination alone when a plane is missing.
  uint8_t y[4] = {100, 100, 100, 100};
  uint8_t out[16];
  std::fill(std::begin(out), std::end(out), 0xEE);
  uint8_t* dst[3] = {out, nullptr, nullptr};
  const uint8_t* src[3] = {y, nullptr, nullptr};
  for (int surface : {RP_FORMAT_UYVY, RP_FORMAT_YUY2, RP_FORMAT_RGB32, RP_FORMAT_RGB24, RP_FORMAT_RGB565})
    GetColorConverter(RP_FORMAT_YV12, surface)(dst, 8, src, 2, 2, 2, 0);
  for (int surface : {RP_FORMAT_RGB32, RP_FORMAT_RGB24, RP_FORMAT_RGB565})
    GetColorConverter(RP_FORMAT_NV12, surface)(dst, 8, src, 2, 2, 2, 0);
  for (uint8_t b : out) EXPECT_EQ(b, 0xEE);
}

TEST(ColorConvTable, FilledEntries) {
  const int filled[] = {11, 12, 13, 15, 16, 17, 21, 31, 44, 45, 46, 47, 51, 61, 71};
  int count = 0;
  for (int in = 0; in <= 10; ++in)
    for (int out = 0; out <= 10; ++out)
      if (GetColorConverter(in, out)) {
        ++count;
        EXPECT_NE(std::find(std::begin(filled), std::end(filled), in * 10 + out), std::end(filled));
      }
  EXPECT_EQ(count, 15);
}

// A heap block of exactly `size` bytes followed by guard bytes that must stay untouched; under
// AddressSanitizer the guard is poisoned, so reading it fails too.
struct Guarded {
  explicit Guarded(size_t size, uint8_t fill) : n(size), bytes(size + 32, 0xA5) {
    std::fill(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size), fill);
    LW_POISON(bytes.data() + n, 32);
  }
  ~Guarded() { LW_UNPOISON(bytes.data() + n, 32); }
  Guarded(const Guarded&) = delete;
  Guarded& operator=(const Guarded&) = delete;
  uint8_t* data() { return bytes.data(); }
  bool GuardIntact() {
    LW_UNPOISON(bytes.data() + n, 32);
    return std::all_of(bytes.begin() + static_cast<ptrdiff_t>(n), bytes.end(), [](uint8_t b) { return b == 0xA5; });
  }
  size_t n;
  std::vector<uint8_t> bytes;
};

size_t PlaneSize(int stride, int rows, int rowBytes) {
  return static_cast<size_t>(stride) * static_cast<size_t>(rows - 1) + static_cast<size_t>(rowBytes);
}

// Every table entry, on pictures whose size breaks the block rules, stays inside exactly sized
// planes and buffers (the guard bytes catch it here, AddressSanitizer in the sanitizer build).
TEST(ColorConvEdges, EveryEntryStopsAtThePictureEdge) {
  const int entries[] = {11, 12, 13, 15, 16, 17, 21, 31, 44, 45, 46, 47, 51, 61, 71};
  const int sizes[][2] = {{17, 3}, {5, 7}, {2, 1}, {3, 2}, {33, 5}, {1366, 3}};
  auto pixelBytes = [](int format) { return format == 5 ? 4 : format == 6 ? 3 : 2; };
  for (int index : entries) {
    for (const auto& size : sizes) {
      const int w = size[0], h = size[1];
      SCOPED_TRACE(testing::Message() << "entry " << index << " size " << w << "x" << h);
      const int cw = (w + 1) / 2, ch = (h + 1) / 2;
      std::vector<std::unique_ptr<Guarded>> keep;
      // Planes of one side for a format, with the stride the entry expects.
      auto makeSide = [&](int format, uint8_t* planes[3], int& stride) {
        planes[0] = planes[1] = planes[2] = nullptr;
        if (format == RP_FORMAT_YV12) {
          stride = w;
          const int cs = (w + 1) / 2;
          keep.push_back(std::make_unique<Guarded>(PlaneSize(w, h, w), 100));
          planes[0] = keep.back()->data();
          for (int p = 1; p <= 2; ++p) {
            keep.push_back(std::make_unique<Guarded>(PlaneSize(cs, ch, cw), 140));
            planes[p] = keep.back()->data();
          }
        } else if (format == RP_FORMAT_NV12) {
          stride = w;
          keep.push_back(std::make_unique<Guarded>(PlaneSize(w, h, w), 100));
          planes[0] = keep.back()->data();
          keep.push_back(std::make_unique<Guarded>(PlaneSize(w, ch, 2 * cw), 140));
          planes[1] = keep.back()->data();
        } else {
          stride = w * pixelBytes(format);
          keep.push_back(std::make_unique<Guarded>(PlaneSize(stride, h, stride), 90));
          planes[0] = keep.back()->data();
        }
      };
      uint8_t* src[3];
      uint8_t* dst[3];
      int srcStride = 0, dstStride = 0;
      makeSide(index / 10, src, srcStride);
      makeSide(index % 10, dst, dstStride);
      const uint8_t* csrc[3] = {src[0], src[1], src[2]};
      for (int flip : {0, 1}) GetColorConverter(index / 10, index % 10)(dst, dstStride, csrc, srcStride, w, h, flip);
      for (const auto& block : keep) EXPECT_TRUE(block->GuardIntact());
    }
  }
}

// Pixel (x, y) takes the chroma of block (x / 2, y / 2), also in an odd last column or row, which
// have blocks of their own (chroma planes of (w + 1) / 2 x (h + 1) / 2, as the decoder writes them).
// A 321 x 241 picture of mid grey whose blocks alternate between two strong colours like a
// chessboard: every pixel must show the colour of its own block.
TEST(ColorConvEdges, OddLastColumnAndRowUseTheirOwnBlock) {
  const int w = 321, h = 241, cw = 161, ch = 121;
  const int lumaStride = 322, chromaStride = 161;  // YV12 entries halve the luma stride
  std::vector<uint8_t> y(static_cast<size_t>(lumaStride) * h, 128);
  std::vector<uint8_t> u(static_cast<size_t>(chromaStride) * ch), v(u.size());
  std::vector<uint8_t> uv(static_cast<size_t>(lumaStride) * ch);  // NV12: UV rows of the luma stride
  for (int by = 0; by < ch; ++by)
    for (int bx = 0; bx < cw; ++bx) {
      const bool odd = (bx + by) & 1;
      const uint8_t cu = odd ? 240 : 16, cv = odd ? 16 : 240;  // blue or red
      u[static_cast<size_t>(by) * chromaStride + bx] = cu;
      v[static_cast<size_t>(by) * chromaStride + bx] = cv;
      uv[static_cast<size_t>(by) * lumaStride + 2 * bx] = cu;
      uv[static_cast<size_t>(by) * lumaStride + 2 * bx + 1] = cv;
    }
  auto blockIsOdd = [](int x, int row) { return ((x / 2 + row / 2) & 1) != 0; };

  // YUV to RGB: blue blocks come out with B well above R, red ones the other way round.
  for (int index : {15, 16, 17, 45, 46, 47}) {
    SCOPED_TRACE(testing::Message() << "entry " << index);
    const bool nv12 = index / 10 == RP_FORMAT_NV12;
    const int bytes = index % 10 == RP_FORMAT_RGB32 ? 4 : index % 10 == RP_FORMAT_RGB24 ? 3 : 2;
    std::vector<uint8_t> out(static_cast<size_t>(w) * bytes * h);
    uint8_t* dst[3] = {out.data(), nullptr, nullptr};
    const uint8_t* src[3] = {y.data(), nv12 ? uv.data() : u.data(), nv12 ? nullptr : v.data()};
    GetColorConverter(index / 10, index % 10)(dst, w * bytes, src, lumaStride, w, h, 0);
    auto blueOverRed = [&](int x, int row) {
      const uint8_t* p = out.data() + (static_cast<size_t>(row) * w + x) * bytes;
      if (bytes == 2) {
        const unsigned word = p[0] | (unsigned(p[1]) << 8);
        return int(word & 31) * 8 - int(word >> 11) * 8;
      }
      return int(p[0]) - int(p[2]);
    };
    int wrong = 0;
    for (int row = 0; row < h; ++row)
      for (int x : {w - 2, w - 1}) wrong += (blueOverRed(x, row) > 100) != blockIsOdd(x, row);
    for (int x = 0; x < w; ++x)
      for (int row : {h - 2, h - 1}) wrong += (blueOverRed(x, row) > 100) != blockIsOdd(x, row);
    EXPECT_EQ(wrong, 0);
  }

  // YUV to packed 4:2:2: the odd last pixel carries the U of its own block.
  for (bool uFirst : {true, false}) {
    SCOPED_TRACE(uFirst ? "UYVY" : "YUY2");
    std::vector<uint8_t> packed(static_cast<size_t>(2 * w) * h);
    (uFirst ? ConvertYV12ToUYVY : ConvertYV12ToYUY2)(packed.data(), 2 * w, y.data(), u.data(), v.data(), lumaStride,
                                                    chromaStride, w, h, 0);
    for (int row = 0; row < h; ++row) {
      const uint8_t lastU = packed[static_cast<size_t>(row) * 2 * w + 2 * (w - 1) + (uFirst ? 0 : 1)];
      EXPECT_EQ(lastU, blockIsOdd(w - 1, row) ? 240 : 16) << "row " << row;
    }
  }
}

// Converted to 4:2:0, the blocks of an odd last column and row are made from their own pixels.
TEST(ColorConvEdges, OddLastColumnAndRowMakeTheirOwnBlocks) {
  // 5 x 3 picture: grey, with a pure red last column and a pure blue last row (the corner blue).
  const int w = 5, h = 3;
  auto colour = [&](int x, int row) -> Bgr {
    if (row == h - 1) return {255, 0, 0};
    if (x == w - 1) return {0, 0, 255};
    return {128, 128, 128};
  };
  std::vector<uint8_t> bgr24(static_cast<size_t>(3 * w) * h), bgr32(static_cast<size_t>(4 * w) * h);
  for (int row = 0; row < h; ++row)
    for (int x = 0; x < w; ++x) {
      const Bgr c = colour(x, row);
      uint8_t* p3 = &bgr24[static_cast<size_t>(row * w + x) * 3];
      uint8_t* p4 = &bgr32[static_cast<size_t>(row * w + x) * 4];
      p3[0] = p4[0] = static_cast<uint8_t>(c.b);
      p3[1] = p4[1] = static_cast<uint8_t>(c.g);
      p3[2] = p4[2] = static_cast<uint8_t>(c.r);
      p4[3] = 0;
    }
  for (bool four : {false, true}) {
    SCOPED_TRACE(four ? "RGB32" : "RGB24");
    uint8_t y[15], u[6], v[6];  // chroma 3 x 2
    if (four)
      ConvertRGB32ToYV12(bgr32.data(), 4 * w, y, u, v, w, 3, w, h, 0);
    else
      ConvertRGB24ToYV12(bgr24.data(), 3 * w, y, u, v, w, 3, w, h, 0);
    EXPECT_NEAR(u[0], 128, 1);  // grey block
    EXPECT_NEAR(v[0], 128, 1);
    EXPECT_GT(v[2], 200);  // last column, first row: red
    EXPECT_LT(u[2], 128);
    EXPECT_GT(u[3], 200);  // last row: blue
    EXPECT_GT(u[5], 200);  // the corner: blue
  }

  // Packed 4:2:2 rows of odd width: the last block takes its U from the last pixel.
  const uint8_t yuy2[10] = {50, 20, 51, 30, 52, 40, 53, 60, 54, 90};  // Y U Y V Y U Y V Y U
  uint8_t oy[5], ou[3], ov[3];
  ConvertYUY2ToYV12(yuy2, 10, oy, ou, ov, 5, 3, 5, 1, 0);
  EXPECT_EQ(oy[4], 54);
  EXPECT_EQ(ou[2], 90);
  EXPECT_EQ(ov[2], 60);  // no V of its own: the pair beside it
}

}  // namespace

namespace {

// The per-pixel formulas of the two families, written out plainly.
uint8_t Clamp255(int v) { return static_cast<uint8_t>(std::clamp(v, 0, 255)); }
int Sat16(int v) { return std::clamp(v, -32768, 32767); }

Bgr VectorFormula(int y, int u, int v) {
  const int l = 74 * (y - 16);
  return {Clamp255(Sat16(l + 129 * (u - 128)) >> 6), Clamp255(Sat16(l - 25 * (u - 128) - 52 * (v - 128)) >> 6),
          Clamp255(Sat16(l + 102 * (v - 128)) >> 6)};
}

// Unclamped 13-bit results of the portable family.
Bgr PortableRaw(int y, int u, int v) {
  const int l = 9535 * (y - 16);
  return {(l + 16531 * (u - 128)) >> 13, (l - 3203 * (u - 128) - 6660 * (v - 128)) >> 13, (l + 13074 * (v - 128)) >> 13};
}

}  // namespace

// Whole frames of random samples (every value, clamping included) in widths around the converters'
// blocks of sixteen pixels, against the formulas pixel by pixel: 4:2:0 to RGB in both families,
// to RGB565 with the error carry running along each row, and to packed 4:2:2.
TEST(ColorConvValues, WholeRowsMatchThePixelFormulas) {
  uint32_t seed = 99;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<uint8_t>(seed >> 24);
  };
  for (const int w : {15, 16, 17, 31, 32, 33, 48, 63, 100}) {
    for (const int h : {1, 2, 5}) {
      for (const int flip : {0, 1}) {
        SCOPED_TRACE(testing::Message() << w << " x " << h << (flip ? " flipped" : ""));
        const int cw = (w + 1) / 2, ch = (h + 1) / 2;
        const int ys = w + 3, cs = cw + 2, nvs = 2 * cw + 4;  // strides wider than the rows
        std::vector<uint8_t> y(static_cast<size_t>(ys) * h), u(static_cast<size_t>(cs) * ch), v(u.size()),
            uv(static_cast<size_t>(nvs) * ch);
        for (auto* plane : {&y, &u, &v, &uv})
          for (auto& b : *plane) b = next();
        auto yAt = [&](int x, int r) { return int(y[static_cast<size_t>(r) * ys + x]); };
        auto uAt = [&](int x, int r, bool nv12) {
          return nv12 ? int(uv[static_cast<size_t>(r / 2) * nvs + 2 * (x / 2)]) : int(u[static_cast<size_t>(r / 2) * cs + x / 2]);
        };
        auto vAt = [&](int x, int r, bool nv12) {
          return nv12 ? int(uv[static_cast<size_t>(r / 2) * nvs + 2 * (x / 2) + 1]) : int(v[static_cast<size_t>(r / 2) * cs + x / 2]);
        };
        for (const bool nv12 : {false, true}) {
          const uint8_t* c1 = nv12 ? uv.data() : u.data();
          const uint8_t* c2 = nv12 ? nullptr : v.data();
          const int cstride = nv12 ? nvs : cs;
          for (const int bytes : {3, 4}) {
            SCOPED_TRACE(testing::Message() << (nv12 ? "NV12" : "YV12") << " to " << bytes * 8 << " bits");
            const int pitch = w * bytes + 5;
            std::vector<uint8_t> out(static_cast<size_t>(pitch) * h, 0xEE);
            if (nv12) {
              (bytes == 4 ? ConvertNV12ToRGB32 : ConvertNV12ToRGB24)(out.data(), pitch, y.data(), c1, c2, ys, cstride, w, h, flip);
            } else {
              (bytes == 4 ? ConvertYV12ToRGB32 : ConvertYV12ToRGB24)(out.data(), pitch, y.data(), c1, c2, ys, cstride, w, h, flip);
            }
            int bad = 0;
            for (int r = 0; r < h; ++r) {
              const uint8_t* d = out.data() + static_cast<size_t>(flip ? h - 1 - r : r) * pitch;
              for (int x = 0; x < w; ++x, d += bytes) {
                Bgr want;
                if (nv12) {
                  const Bgr raw = PortableRaw(yAt(x, r), uAt(x, r, true), vAt(x, r, true));
                  want = {Clamp255(raw.b), Clamp255(raw.g), Clamp255(raw.r)};
                } else {
                  want = VectorFormula(yAt(x, r), uAt(x, r, false), vAt(x, r, false));
                }
                const Bgr got{d[0], d[1], d[2]};
                if ((got != want || (bytes == 4 && d[3] != 0)) && ++bad <= 3) ADD_FAILURE() << "pixel " << x << ", " << r;
              }
              EXPECT_EQ(d[0], 0xEE) << "row " << r << " ends at the picture's edge";
            }
          }
          {
            SCOPED_TRACE(nv12 ? "NV12 to RGB565" : "YV12 to RGB565");
            const int pitch = 2 * w + 4;
            std::vector<uint8_t> out(static_cast<size_t>(pitch) * h, 0xEE);
            (nv12 ? ConvertNV12ToRGB565 : ConvertYV12ToRGB565)(out.data(), pitch, y.data(), c1, c2, ys, cstride, w, h, flip);
            int bad = 0;
            for (int r = 0; r < h; ++r) {
              const uint8_t* d = out.data() + static_cast<size_t>(flip ? h - 1 - r : r) * pitch;
              int carry[3] = {0, 0, 0};
              for (int x = 0; x < w; ++x, d += 2) {
                const Bgr raw = PortableRaw(yAt(x, r), uAt(x, r, nv12), vAt(x, r, nv12));
                const int c[3] = {raw.r + carry[0], raw.g + carry[1], raw.b + carry[2]};
                for (int i = 0; i < 3; ++i) carry[i] = c[i] & 7;
                const unsigned word = (Clamp255(c[0]) >> 3) << 11 | (Clamp255(c[1]) >> 2) << 5 | (Clamp255(c[2]) >> 3);
                if ((d[0] | d[1] << 8) != static_cast<int>(word) && ++bad <= 3) ADD_FAILURE() << "pixel " << x << ", " << r;
              }
              EXPECT_EQ(d[0], 0xEE) << "row " << r << " ends at the picture's edge";
            }
          }
        }
        for (const bool uFirst : {false, true}) {
          SCOPED_TRACE(uFirst ? "YV12 to UYVY" : "YV12 to YUY2");
          const int pitch = 2 * w + 4;
          std::vector<uint8_t> out(static_cast<size_t>(pitch) * h, 0xEE);
          (uFirst ? ConvertYV12ToUYVY : ConvertYV12ToYUY2)(out.data(), pitch, y.data(), u.data(), v.data(), ys, cs, w, h, flip);
          for (int r = 0; r < h; ++r) {
            const uint8_t* d = out.data() + static_cast<size_t>(flip ? h - 1 - r : r) * pitch;
            std::vector<uint8_t> want;
            for (int x = 0; x < w; ++x) {
              const uint8_t luma = static_cast<uint8_t>(yAt(x, r));
              const uint8_t chroma = static_cast<uint8_t>(x % 2 == 0 ? uAt(x, r, false) : vAt(x, r, false));
              if (uFirst) {
                want.push_back(chroma), want.push_back(luma);
              } else {
                want.push_back(luma), want.push_back(chroma);
              }
            }
            EXPECT_EQ(std::vector<uint8_t>(d, d + 2 * w), want) << "row " << r;
            EXPECT_EQ(d[2 * w], 0xEE);
          }
        }
      }
    }
  }
}

// Random RGB32, RGB24, RGB565 and packed 4:2:2 frames to YV12 against the formulas: luma per pixel, chroma per
// 2 x 2 block (RGB: the weighted sums of the block's pixels; 4:2:2: the two rows averaged, rounding
// up), in widths around the blocks of sixteen pixels.
TEST(ColorConvValues, WholeFramesToYV12MatchTheFormulas) {
  uint32_t seed = 7;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<uint8_t>(seed >> 24);
  };
  for (const int w : {15, 16, 17, 18, 32, 33, 50}) {
    for (const int h : {2, 3}) {
      SCOPED_TRACE(testing::Message() << w << " x " << h);
      const int cw = (w + 1) / 2, ch = (h + 1) / 2;
      std::vector<uint8_t> yp(static_cast<size_t>(w) * h), up(static_cast<size_t>(cw) * ch), vp(up.size());
      // RGB in its three layouts: B, G, R, 0 words, B, G, R triples and 5-6-5 words (each field
      // widened by shifting, as the converter reads it).
      struct RgbLayout {
        const char* name;
        int bytes;
        void (*convert)(const uint8_t*, int, uint8_t*, uint8_t*, uint8_t*, int, int, int, int, int);
      };
      for (const RgbLayout& layout : {RgbLayout{"RGB32", 4, ConvertRGB32ToYV12}, RgbLayout{"RGB24", 3, ConvertRGB24ToYV12},
                                      RgbLayout{"RGB565", 2, ConvertRGB565ToYV12}}) {
        SCOPED_TRACE(layout.name);
        const int pitch = layout.bytes * w;
        std::vector<uint8_t> rgb(static_cast<size_t>(pitch) * h);  // exactly sized: no reads past the frame
        for (auto& b : rgb) b = next();
        layout.convert(rgb.data(), pitch, yp.data(), up.data(), vp.data(), w, cw, w, h, 0);
        auto at = [&](int x, int r, int c) {  // c: 0 blue, 1 green, 2 red
          const uint8_t* p = rgb.data() + static_cast<size_t>(r) * pitch + layout.bytes * std::min(x, w - 1);
          if (layout.bytes > 2) return int(p[c]);
          const int word = p[0] | p[1] << 8;
          return c == 0 ? (word & 31) << 3 : c == 1 ? ((word >> 5) & 63) << 2 : (word >> 11) << 3;
        };
        for (int r = 0; r < h; ++r)
          for (int x = 0; x < w; ++x)
            ASSERT_EQ(yp[static_cast<size_t>(r) * w + x], ((2105 * at(x, r, 2) + 4129 * at(x, r, 1) + 803 * at(x, r, 0) + 4096) >> 13) + 16)
                << x << ", " << r;
        for (int by = 0; by < ch; ++by)
          for (int bx = 0; bx < cw; ++bx) {
            int s[3] = {0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
              for (int dx = 0; dx < 2; ++dx)
                for (int c = 0; c < 3; ++c) s[c] += at(2 * bx + dx, std::min(2 * by + dy, h - 1), c);
            ASSERT_EQ(up[static_cast<size_t>(by) * cw + bx], static_cast<uint8_t>(((3596 * s[0] - 1212 * s[2] - 2384 * s[1] + 16384) >> 15) + 128));
            ASSERT_EQ(vp[static_cast<size_t>(by) * cw + bx], static_cast<uint8_t>(((3596 * s[2] - 3015 * s[1] - 582 * s[0] + 16384) >> 15) + 128));
          }
      }
      for (const bool uFirst : {false, true}) {
        SCOPED_TRACE(uFirst ? "UYVY" : "YUY2");
        std::vector<uint8_t> packed(static_cast<size_t>(2 * w) * h);
        for (auto& b : packed) b = next();
        (uFirst ? ConvertUYVYToYV12 : ConvertYUY2ToYV12)(packed.data(), 2 * w, yp.data(), up.data(), vp.data(), w, cw, w, h, 0);
        auto at = [&](int i, int r) { return int(packed[static_cast<size_t>(std::min(r, h - 1)) * 2 * w + i]); };
        for (int r = 0; r < h; ++r)
          for (int x = 0; x < w; ++x) ASSERT_EQ(yp[static_cast<size_t>(r) * w + x], at(2 * x + (uFirst ? 1 : 0), r)) << x << ", " << r;
        for (int by = 0; by < ch; ++by)
          for (int bx = 0; bx < w / 2; ++bx) {
            const int uAt = 4 * bx + (uFirst ? 0 : 1), vAt = 4 * bx + (uFirst ? 2 : 3);
            ASSERT_EQ(up[static_cast<size_t>(by) * cw + bx], (at(uAt, 2 * by) + at(uAt, 2 * by + 1) + 1) >> 1);
            ASSERT_EQ(vp[static_cast<size_t>(by) * cw + bx], (at(vAt, 2 * by) + at(vAt, 2 * by + 1) + 1) >> 1);
          }
      }
    }
  }
}
