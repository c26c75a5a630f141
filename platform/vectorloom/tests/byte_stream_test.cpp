#include <gtest/gtest.h>

#include <vectorloom/StreamReader.h>
#include <vectorloom/VariableStream.h>

#include <cstring>
#include <vector>

TEST(CVariableStreamGrowth, CapacityGrowsByWholeSteps) {
  struct Case {
    int initial, step;
    std::vector<int> appends;
    int capacity;
  } cases[] = {
      {8, 10, {8}, 8},            // fits exactly: no growth
      {8, 10, {9}, 18},           // one step
      {8, 10, {4, 25}, 38},       // 29 needed: three steps
      {0, 16, {1}, 16},           // starts empty
      {8192, 8192, {8193}, 16384},
      {4, 0, {7}, 7},             // no step: exactly what is needed
  };
  for (const auto& c : cases) {
    CVariableStream s(c.initial, c.step);
    int total = 0;
    std::vector<unsigned char> bytes;
    for (int n : c.appends) {
      std::vector<unsigned char> chunk(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) chunk[static_cast<size_t>(i)] = static_cast<unsigned char>(total + i);
      ASSERT_TRUE(s.Append(chunk.data(), n));
      bytes.insert(bytes.end(), chunk.begin(), chunk.end());
      total += n;
    }
    EXPECT_EQ(s.GetCapacity(), c.capacity) << "initial " << c.initial << " step " << c.step;
    ASSERT_EQ(s.GetLength(), total);
    EXPECT_EQ(std::memcmp(s.GetBuffer(), bytes.data(), bytes.size()), 0);
  }

  CVariableStream s(4, 4);
  EXPECT_TRUE(s.Append(nullptr, 3));  // nothing to append
  EXPECT_TRUE(s.Append("x", 0));
  EXPECT_TRUE(s.Append("x", -1));
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_FALSE(s.Append("x", 0x7FFFFFFF));  // more than the stream can hold: refused whole
  EXPECT_EQ(s.GetLength(), 0);
  s.PutU8(1);
  s.Reset();
  EXPECT_EQ(s.GetLength(), 0);
  EXPECT_EQ(s.GetCapacity(), 4);
}

TEST(ByteStreams, TypedFieldsRoundTripLittleEndian) {
  CVariableStream out(2, 3);
  out.PutU8(0x01);
  out.PutU16(0x0302);
  out.PutU32(0x07060504);
  out.PutI32(-1);
  out.PutFloat(-2.5f);
  out.PutU64(0x1122334455667788ull);
  out.PutWString(L"\u4e2d\U0001F600");
  const unsigned char expected[] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0xFF, 0xFF, 0xFF, 0xFF,
                                    0x00, 0x00, 0x20, 0xC0, 0x88, 0x77, 0x66, 0x55, 0x44, 0x33, 0x22,
                                    0x11, 3,    0,    0,    0,    0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE};
  ASSERT_EQ(out.GetLength(), static_cast<int>(sizeof expected));
  EXPECT_EQ(std::memcmp(out.GetBuffer(), expected, sizeof expected), 0);

  CStreamReader in(out.GetBuffer(), static_cast<unsigned>(out.GetLength()));
  uint8_t u8;
  uint16_t u16;
  uint32_t u32;
  int32_t i32;
  float f;
  uint64_t u64;
  std::wstring s;
  ASSERT_TRUE(in.ReadU8(u8) && in.ReadU16(u16) && in.ReadU32(u32) && in.ReadI32(i32) && in.ReadFloat(f) &&
              in.ReadU64(u64) && in.ReadWString(s));
  EXPECT_EQ(u8, 0x01);
  EXPECT_EQ(u16, 0x0302);
  EXPECT_EQ(u32, 0x07060504u);
  EXPECT_EQ(i32, -1);
  EXPECT_EQ(f, -2.5f);
  EXPECT_EQ(u64, 0x1122334455667788ull);
  EXPECT_EQ(s, L"\u4e2d\U0001F600");
  EXPECT_EQ(in.GetRemainLength(), 0u);
}

TEST(CStreamReaderBounds, FieldThatDoesNotFitFailsWithoutMoving) {
  const unsigned char data[] = {1, 2, 3, 4, 5, 6, 7};
  CStreamReader in(data, sizeof data);
  uint32_t u32;
  ASSERT_TRUE(in.ReadU32(u32));
  EXPECT_EQ(in.GetPosition(), 4u);
  EXPECT_FALSE(in.ReadU32(u32));  // three bytes left
  uint64_t u64;
  EXPECT_FALSE(in.ReadU64(u64));
  EXPECT_EQ(in.GetPosition(), 4u);
  EXPECT_EQ(in.GetRemainLength(), 3u);
  unsigned char buf[4];
  EXPECT_FALSE(in.ReadData(buf, 4));
  EXPECT_FALSE(in.ReadData(nullptr, 1));
  EXPECT_TRUE(in.ReadData(buf, 0));
  EXPECT_FALSE(in.Skip(4));
  EXPECT_TRUE(in.ReadData(buf, 3));
  EXPECT_EQ(buf[2], 7);
  EXPECT_EQ(in.GetRemainLength(), 0u);

  // A string whose count runs past the end is refused before anything is allocated.
  const unsigned char huge[] = {0xFF, 0xFF, 0xFF, 0x7F, 'a', 0};
  CStreamReader hs(huge, sizeof huge);
  std::wstring s = L"kept";
  EXPECT_FALSE(hs.ReadWString(s));
  EXPECT_EQ(hs.GetPosition(), 0u);
  EXPECT_EQ(s, L"kept");

  CStreamReader empty(nullptr, 100);  // no block: nothing to read
  EXPECT_EQ(empty.GetTotalLength(), 0u);
  uint8_t u8;
  EXPECT_FALSE(empty.ReadU8(u8));
}
