#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "ZlibCompresser.h"

namespace {

std::vector<unsigned char> Compressible(size_t n) {
  std::vector<unsigned char> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<unsigned char>("Leafwright page block "[i % 22]);
  return v;
}

std::vector<unsigned char> Random(size_t n) {
  std::mt19937 rng(12345);
  std::vector<unsigned char> v(n);
  for (auto& b : v) b = static_cast<unsigned char>(rng());
  return v;
}

std::vector<unsigned char> Pack(const std::vector<unsigned char>& raw) {
  CZlibCompresser packer;
  EXPECT_TRUE(packer.Compress(raw.data(), static_cast<int>(raw.size())));
  return {packer.GetPackedData(), packer.GetPackedData() + packer.GetPackedLength()};
}

TEST(ZlibCompresser, RoundTrip) {
  struct Case {
    const char* name;
    std::vector<unsigned char> raw;
  } cases[] = {
      {"empty", {}},
      {"one byte", {0x42}},
      {"small", Compressible(100)},
      {"large compressible", Compressible(3 << 20)},
      {"random", Random(200000)},
  };
  CZlibCompresser packer;  // reused, as a section writer reuses it block after block
  CZlibUnCompresser unpacker;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(packer.Compress(c.raw.data(), static_cast<int>(c.raw.size())));
    ASSERT_GT(packer.GetPackedLength(), 0u);
    ASSERT_LE(packer.GetPackedLength(), packer.GetPackedCapacity());
    ASSERT_TRUE(unpacker.UnCompress(packer.GetPackedData(), packer.GetPackedLength(),
                                    static_cast<unsigned>(c.raw.size())));
    ASSERT_EQ(unpacker.GetUnpackedLength(), c.raw.size());
    EXPECT_TRUE(std::equal(c.raw.begin(), c.raw.end(), unpacker.GetUnpackedData()));
  }
  EXPECT_LT(Pack(Compressible(3 << 20)).size(), 100000u);
}

TEST(ZlibCompresser, CompressRejectsBadArguments) {
  CZlibCompresser packer;
  const unsigned char byte = 1;
  ASSERT_TRUE(packer.Compress(&byte, 1));
  EXPECT_FALSE(packer.Compress(&byte, -1));
  EXPECT_EQ(packer.GetPackedLength(), 0u);
  EXPECT_FALSE(packer.Compress(nullptr, 5));
  EXPECT_EQ(packer.GetPackedLength(), 0u);
  EXPECT_TRUE(packer.Compress(nullptr, 0));
}

// Each failure must leave no bytes behind, even after a block that unpacked well.
TEST(ZlibCompresser, BadBlocksFailCleanly) {
  const std::vector<unsigned char> raw = Compressible(5000);
  const std::vector<unsigned char> good = Pack(raw);
  std::vector<unsigned char> corrupt = good;
  corrupt[corrupt.size() / 2] ^= 0x5A;
  corrupt[corrupt.size() / 2 + 1] ^= 0xA5;
  std::vector<unsigned char> badChecksum = good;
  badChecksum.back() ^= 1;
  const std::vector<unsigned char> truncated(good.begin(), good.end() - 6);
  const std::vector<unsigned char> garbage = Random(64);

  struct Case {
    const char* name;
    const std::vector<unsigned char>* packed;
    unsigned rawLength;
  } cases[] = {
      {"corrupt stream", &corrupt, 5000},
      {"bad checksum", &badChecksum, 5000},
      {"truncated stream", &truncated, 5000},
      {"not zlib at all", &garbage, 5000},
      {"raw length too small", &good, 4999},
      {"raw length too large", &good, 5001},
      {"raw length of 0", &good, 0},
      {"raw length no stream can reach", &good, 0xFFFFFFFFu},
  };
  CZlibUnCompresser unpacker;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(unpacker.UnCompress(good.data(), static_cast<unsigned>(good.size()), 5000));
    EXPECT_FALSE(unpacker.UnCompress(c.packed->data(), static_cast<unsigned>(c.packed->size()), c.rawLength));
    EXPECT_EQ(unpacker.GetUnpackedLength(), 0u);
    EXPECT_EQ(unpacker.GetUnpackedData(), nullptr);
  }
  EXPECT_FALSE(unpacker.UnCompress(nullptr, 10, 10));
  EXPECT_FALSE(unpacker.UnCompress(good.data(), 0, 0));
}

TEST(ZlibCompresser, ClearReleasesTheBuffer) {
  const std::vector<unsigned char> packed = Pack(Compressible(100));
  CZlibUnCompresser unpacker;
  ASSERT_TRUE(unpacker.UnCompress(packed.data(), static_cast<unsigned>(packed.size()), 100));
  EXPECT_GE(unpacker.GetUnpackedCapacity(), 100u);
  unpacker.Clear();
  EXPECT_EQ(unpacker.GetUnpackedData(), nullptr);
  EXPECT_EQ(unpacker.GetUnpackedCapacity(), 0u);
  EXPECT_EQ(unpacker.GetUnpackedLength(), 0u);
}

}  // namespace
