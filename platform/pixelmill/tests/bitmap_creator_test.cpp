#include <gtest/gtest.h>

#include <cstring>

#include "BitmapCreator.h"
#include "BitmapCreatorTesting.h"

namespace {

struct SizeCase {
  int width, height, bits, colours;
  size_t bytes;  // 0: refused
};

TEST(PixelmillBitmapCreator, BlockSizeAndHeader) {
  const SizeCase cases[] = {
      {3, 2, 24, 0, 40 + 12 * 2},       // pitch 9 padded to 12
      {5, 1, 1, 0, 40 + 8 + 4},         // two colour entries, one word a row
      {2, 2, 4, 0, 40 + 64 + 8},        // sixteen entries
      {1, 1, 8, 3, 40 + 12 + 4},        // a short colour table
      {3, 1, 16, 0, 40 + 8},            // no masks reserved
      {2, 3, 32, 0, 40 + 24},
      {2480, 3508, 24, 0, 40 + 7440u * 3508u},
      {0, 1, 24, 0, 0},
      {1, -1, 24, 0, 0},
      {1, 1, 2, 0, 0},
      {1, 1, 8, -1, 0},
      {1, 1, 8, 257, 0},
      {1, 1, 1, 3, 0},
      {65536, 65536, 32, 0, 0},         // 16 GiB
      {0x7FFFFFFF, 0x7FFFFFFF, 32, 0, 0},
  };
  for (const SizeCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "x" << c.bits << " colours " << c.colours);
    EXPECT_EQ(CBitmapCreator::CalcDibBlockSize(c.width, c.height, c.bits, c.colours), c.bytes);
    BITMAPINFOHEADER* dib = CBitmapCreator::CreateDibImage(c.width, c.height, c.bits, c.colours);
    if (c.bytes == 0) {
      EXPECT_EQ(dib, nullptr);
      continue;
    }
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->biSize, 40u);
    EXPECT_EQ(dib->biWidth, c.width);
    EXPECT_EQ(dib->biHeight, c.height);
    EXPECT_EQ(dib->biPlanes, 1);
    EXPECT_EQ(dib->biBitCount, c.bits);
    EXPECT_EQ(dib->biCompression, static_cast<DWORD>(BI_RGB));
    EXPECT_EQ(dib->biClrUsed, static_cast<DWORD>(c.colours));
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(dib);
    size_t nonzero = 0;
    for (size_t i = 40; i < c.bytes; ++i) nonzero += bytes[i] != 0;
    EXPECT_EQ(nonzero, 0u) << "palette and pixels start zeroed";
    delete[] dib;  // the documented way to free a block
  }
}

TEST(PixelmillBitmapCreator, InjectedAllocationFailure) {
  PixelmillFailNextAllocations(1);
  EXPECT_EQ(CBitmapCreator::CreateDibImage(4, 4, 24, 0), nullptr);
  BITMAPINFOHEADER* dib = CBitmapCreator::CreateDibImage(4, 4, 24, 0);
  EXPECT_NE(dib, nullptr);
  CBitmapCreator::FreeDibImage(dib);
  CBitmapCreator::FreeDibImage(nullptr);
  EXPECT_EQ(CBitmapCreator::AllocateDibBlock(0), nullptr);
  EXPECT_EQ(CBitmapCreator::AllocateDibBlock(CBitmapCreator::kMaxBlockBytes + 1), nullptr);
}

}  // namespace
