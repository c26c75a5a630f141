#include <gtest/gtest.h>

#include <lwbytes.h>

#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// One field of N bytes: stored, loaded and appended as the given bytes.
template <class T, size_t N>
void ExpectField(T v, const Bytes& bytes, void (*put)(uint8_t*, T), T (*get)(const uint8_t*),
                 void (*append)(Bytes&, T)) {
  uint8_t b[N];
  put(b, v);
  EXPECT_EQ(Bytes(b, b + N), bytes) << std::hex << v;
  EXPECT_EQ(get(bytes.data()), v) << std::hex << v;
  Bytes appended{0xAA};
  append(appended, v);
  EXPECT_EQ(appended, [&] {
    Bytes e{0xAA};
    e.insert(e.end(), bytes.begin(), bytes.end());
    return e;
  }()) << std::hex << v;
}

// Each field against the bytes it must be stored as: least significant byte first, high bits
// kept (no sign extension on reading, no truncation on writing).
TEST(LittleEndianFields, StoreAndLoadTheirBytes) {
  const std::pair<uint16_t, Bytes> c16[] = {
      {0x0000, {0x00, 0x00}}, {0x1234, {0x34, 0x12}}, {0x80FF, {0xFF, 0x80}}, {0xFFFF, {0xFF, 0xFF}}};
  for (const auto& [v, bytes] : c16) ExpectField<uint16_t, 2>(v, bytes, lw::PutLE16, lw::GetLE16, lw::AppendLE16);
  const std::pair<uint32_t, Bytes> c32[] = {{0x12345678u, {0x78, 0x56, 0x34, 0x12}},
                                            {0x80000001u, {0x01, 0x00, 0x00, 0x80}},
                                            {0xFF00FF00u, {0x00, 0xFF, 0x00, 0xFF}},
                                            {0xFFFFFFFFu, {0xFF, 0xFF, 0xFF, 0xFF}}};
  for (const auto& [v, bytes] : c32) ExpectField<uint32_t, 4>(v, bytes, lw::PutLE32, lw::GetLE32, lw::AppendLE32);
  const std::pair<uint64_t, Bytes> c64[] = {{0x0102030405060708ull, {0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01}},
                                            {0x8000000000000000ull, {0, 0, 0, 0, 0, 0, 0, 0x80}},
                                            {0x00000000FFFFFFFFull, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0}}};
  for (const auto& [v, bytes] : c64) ExpectField<uint64_t, 8>(v, bytes, lw::PutLE64, lw::GetLE64, lw::AppendLE64);
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
