#include <gtest/gtest.h>

#include <afx.h>
#include <afxbinio.h>

#include <cstdlib>
#include <cstring>

TEST(CMemFileGrowth, GrowsInStepsAndReadsShortAtTheEnd) {
  CMemFile f(16);
  EXPECT_TRUE(f.IsKindOf(RUNTIME_CLASS(CFile)));
  f.Write("0123456789", 10);
  EXPECT_EQ(f.GetBufferSize(), 16u);
  f.Write("abcdefghij", 10);
  EXPECT_EQ(f.GetBufferSize(), 32u);  // whole steps
  EXPECT_EQ(f.GetLength(), 20u);

  char buf[16] = {};
  f.Seek(-4, CFile::end);
  EXPECT_EQ(f.Read(buf, 16), 4u);
  EXPECT_EQ(std::string(buf, 4), "ghij");
  EXPECT_EQ(f.Read(buf, 16), 0u);

  // Past the end: reading gives nothing, writing fills the gap with zeros.
  EXPECT_EQ(f.Seek(25, CFile::begin), 25u);
  EXPECT_EQ(f.Read(buf, 4), 0u);
  f.Write("Z", 1);
  EXPECT_EQ(f.GetLength(), 26u);
  EXPECT_EQ(std::memcmp(f.GetBufferPtr() + 20, "\0\0\0\0\0Z", 6), 0);

  f.SetLength(4);
  EXPECT_EQ(f.GetPosition(), 4u);
  f.SetLength(8);
  EXPECT_EQ(std::memcmp(f.GetBufferPtr(), "0123\0\0\0\0", 8), 0);

  try {
    f.Seek(-9, CFile::end);
    FAIL() << "no exception";
  } catch (CFileException* e) {
    EXPECT_EQ(e->m_cause, CFileException::badSeek);
    e->Delete();
  }
}

TEST(CMemFileAttach, FixedBufferOverflowThrowsAndLeavesTheBuffer) {
  BYTE buffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
  CMemFile f(buffer, sizeof buffer);  // grow step 0: the buffer is the whole file
  EXPECT_EQ(f.GetLength(), 8u);
  char head[3];
  EXPECT_EQ(f.Read(head, 3), 3u);
  f.Write("XY", 2);
  EXPECT_EQ(buffer[3], 'X');
  f.Seek(7, CFile::begin);
  try {
    f.Write("12", 2);
    FAIL() << "no exception";
  } catch (CException* e) {
    EXPECT_TRUE(e->IsKindOf(RUNTIME_CLASS(CMemoryException)));
    e->Delete();
  }
  EXPECT_EQ(buffer[7], 'h');  // nothing written
  EXPECT_EQ(f.Detach(), buffer);
  EXPECT_EQ(f.GetLength(), 0u);
}

TEST(CMemFileAttach, GrowingCopiesTheCallersBuffer) {
  BYTE buffer[4] = {};
  CMemFile f;
  f.Attach(buffer, sizeof buffer, 4);  // a growing attach starts empty
  EXPECT_EQ(f.GetLength(), 0u);
  f.Write("abcdef", 6);
  EXPECT_EQ(buffer[0], 0);  // the caller's block is left alone
  BYTE* p = f.Detach();
  ASSERT_NE(p, buffer);
  EXPECT_EQ(std::memcmp(p, "abcdef", 6), 0);
  std::free(p);
}

TEST(BinaryRecords, FieldsRoundTripLittleEndian) {
  CMemFile f;
  lw::bin::WriteU8(f, 0xAB);
  lw::bin::WriteU16(f, 0x1234);
  lw::bin::WriteU32(f, 0x89ABCDEF);
  lw::bin::WriteI32(f, -2);
  lw::bin::WriteF32(f, 1.0f);
  lw::bin::WriteU64(f, 0x0102030405060708ull);
  lw::bin::WriteString16(f, CString(L"A\U0001F600"));
  const uint8_t expected[] = {0xAB, 0x34, 0x12, 0xEF, 0xCD, 0xAB, 0x89, 0xFE, 0xFF, 0xFF, 0xFF, 0x00, 0x00,
                              0x80, 0x3F, 0x08, 0x07, 0x06, 0x05, 0x04, 0x03, 0x02, 0x01,
                              3,    0,    0,    0,  // three UTF-16 units
                              'A',  0,    0x3D, 0xD8, 0x00, 0xDE};
  ASSERT_EQ(f.GetLength(), sizeof expected);
  EXPECT_EQ(std::memcmp(f.GetBufferPtr(), expected, sizeof expected), 0);

  f.SeekToBegin();
  uint8_t u8;
  uint16_t u16;
  uint32_t u32;
  int32_t i32;
  float f32;
  uint64_t u64;
  CString s;
  ASSERT_TRUE(lw::bin::ReadU8(f, u8) && lw::bin::ReadU16(f, u16) && lw::bin::ReadU32(f, u32) &&
              lw::bin::ReadI32(f, i32) && lw::bin::ReadF32(f, f32) && lw::bin::ReadU64(f, u64) &&
              lw::bin::ReadString16(f, s));
  EXPECT_EQ(u8, 0xAB);
  EXPECT_EQ(u16, 0x1234);
  EXPECT_EQ(u32, 0x89ABCDEFu);
  EXPECT_EQ(i32, -2);
  EXPECT_EQ(f32, 1.0f);
  EXPECT_EQ(u64, 0x0102030405060708ull);
  EXPECT_EQ(s, L"A\U0001F600");
  EXPECT_FALSE(lw::bin::ReadU8(f, u8));  // nothing left
}

TEST(BinaryRecords, ShortDataFailsWithoutThrowing) {
  CMemFile f;
  lw::bin::WriteU16(f, 7);
  f.SeekToBegin();
  uint32_t u32;
  EXPECT_FALSE(lw::bin::ReadU32(f, u32));

  // A string count larger than what is left is refused before anything is allocated.
  CMemFile g;
  lw::bin::WriteU32(g, 0xFFFFFFFFu);
  lw::bin::WriteU16(g, 'a');
  g.SeekToBegin();
  std::u16string s;
  EXPECT_FALSE(lw::bin::ReadString16(g, s));
}

// What is left after the position, and whether a count of records fits in it, as every record
// reader checks before it allocates: a position past the end leaves nothing, and a count that
// would overflow when multiplied by the record size does not fit.
TEST(BinaryRecords, BytesLeftAndCountFits) {
  CMemFile f;
  const uint8_t ten[10] = {};
  f.Write(ten, sizeof(ten));
  struct Case {
    LONGLONG pos;
    uint64_t left;
    uint64_t count, minSize;
    bool fits;
  } const cases[] = {
      {0, 10, 5, 2, true},   {0, 10, 6, 2, false},  {4, 6, 3, 2, true},           {4, 6, 2, 4, false},
      {10, 0, 0, 4, true},   {10, 0, 1, 1, false},  {25, 0, 1, 1, false},         {25, 0, 7, 0, true},
      {0, 10, 0xFFFFFFFFFFFFFFFFull, 2, false},  {0, 10, 0x8000000000000001ull, 2, false},
  };
  for (const Case& c : cases) {
    f.Seek(c.pos, CFile::begin);
    EXPECT_EQ(lw::bin::BytesLeft(f), c.left) << c.pos;
    EXPECT_EQ(lw::bin::CountFits(f, c.count, c.minSize), c.fits) << c.pos << " " << c.count << "x" << c.minSize;
  }
}
