#include <gtest/gtest.h>

#include <lwbytes.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// Each field against the bytes it must be stored as: least significant byte first, high bits
// kept (no sign extension on reading, no truncation on writing).
TEST(LittleEndianFields, StoreAndLoadTheirBytes) {
  struct Case16 {
    uint16_t v;
    Bytes bytes;
  } c16[] = {{0x0000, {0x00, 0x00}}, {0x1234, {0x34, 0x12}}, {0x80FF, {0xFF, 0x80}}, {0xFFFF, {0xFF, 0xFF}}};
  for (const auto& c : c16) {
    uint8_t b[2];
    lw::PutLE16(b, c.v);
    EXPECT_EQ(Bytes(b, b + 2), c.bytes) << std::hex << c.v;
    EXPECT_EQ(lw::GetLE16(c.bytes.data()), c.v);
    Bytes appended{0xAA};
    lw::AppendLE16(appended, c.v);
    EXPECT_EQ(Bytes(appended.begin() + 1, appended.end()), c.bytes);
  }
  struct Case32 {
    uint32_t v;
    Bytes bytes;
  } c32[] = {{0x12345678u, {0x78, 0x56, 0x34, 0x12}},
             {0x80000001u, {0x01, 0x00, 0x00, 0x80}},
             {0xFF00FF00u, {0x00, 0xFF, 0x00, 0xFF}},
             {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}}};
  for (const auto& c : c32) {
    uint8_t b[4];
    lw::PutLE32(b, c.v);
    EXPECT_EQ(Bytes(b, b + 4), c.bytes) << std::hex << c.v;
    EXPECT_EQ(lw::GetLE32(c.bytes.data()), c.v);
    Bytes appended{0xAA};
    lw::AppendLE32(appended, c.v);
    EXPECT_EQ(Bytes(appended.begin() + 1, appended.end()), c.bytes);
  }
  struct Case64 {
    uint64_t v;
    Bytes bytes;
  } c64[] = {{0x0102030405060708ull, {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
             {0x8000000000000000ull, {0, 0, 0, 0, 0, 0, 0, 0x80}},
             {0x00000000FFFFFFFFull, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}}};
  for (const auto& c : c64) {
    uint8_t b[8];
    lw::PutLE64(b, c.v);
    EXPECT_EQ(Bytes(b, b + 8), c.bytes) << std::hex << c.v;
    EXPECT_EQ(lw::GetLE64(c.bytes.data()), c.v);
    Bytes appended{0xAA};
    lw::AppendLE64(appended, c.v);
    EXPECT_EQ(Bytes(appended.begin() + 1, appended.end()), c.bytes);
  }
}

TEST(LittleEndianFields, FloatsAreTheirIeeeBitPattern) {
  struct Case {
    float f;
    Bytes bytes;
  } cases[] = {{1.0f, {0x00, 0x00, 0x80, 0x3F}}, {-2.5f, {0x00, 0x00, 0x20, 0xC0}}, {0.0f, {0, 0, 0, 0}}};
  for (const auto& c : cases) {
    uint8_t b[4];
    lw::PutLEFloat(b, c.f);
    EXPECT_EQ(Bytes(b, b + 4), c.bytes) << c.f;
    EXPECT_EQ(lw::GetLEFloat(c.bytes.data()), c.f);
  }
}

}  // namespace
