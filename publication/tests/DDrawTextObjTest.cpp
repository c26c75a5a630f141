#include <gtest/gtest.h>

#include <quirebook/DDrawTextObj.h>
#include <vectorloom/BitmapRes.h>

namespace {

const CString kVersion(L"2000");

void FillText(CDDrawTextObj& t, const wchar_t* text) {
  auto& chars = t.GetArrayOfTextCharacters();
  for (const wchar_t* p = text; *p; ++p) {
    GlyphweaveLib::CCharacterItem c;
    c.SetCharacter(static_cast<char16_t>(*p));
    chars.push_back(c);
  }
  GlyphweaveLib::TFontRunInfo run;
  run.m_nLength = static_cast<uint32_t>(chars.size());
  t.AppendFontRun(run);
  t.SetAlignMode(1);
  t.SetRowGap(0, 2.5f);
}

std::vector<unsigned char> Record(const CDDrawTextObj& t) {
  CVariableStream vs;
  EXPECT_TRUE(t.PutBinaryContent(&vs, kVersion.GetString()));
  return {vs.GetBuffer(), vs.GetBuffer() + vs.GetLength()};
}

std::vector<unsigned char> SaveBytes(CDDrawTextObj& t) {
  CMemFile f;
  EXPECT_EQ(t.Save(f, kVersion), 1);
  return {f.GetBufferPtr(), f.GetBufferPtr() + f.GetLength()};
}

// Loads a stream (type word skipped, as the object loader does).
int LoadBytes(CDDrawTextObj& t, std::vector<unsigned char> bytes) {
  bytes.push_back(0);
  CMemFile f(bytes.data(), static_cast<UINT>(bytes.size() - 1));
  uint32_t type = 0;
  if (!lw::bin::ReadU32(f, type)) return 0;
  EXPECT_EQ(type & 0xFFFF, 3u);
  Vectorloom::CBitmapResObjsList bitmaps;
  return t.Load(f, nullptr, bitmaps, kVersion);
}

}  // namespace

TEST(DDrawTextObj, SaveLoadRoundTrip) {
  CDDrawTextObj text;
  FillText(text, L"Hello\r");
  text.SetLayoutBox(100.0f, 20.0f);
  const auto bytes = SaveBytes(text);
  // The stream ends with the box, the record length and the record.
  const auto record = Record(text);
  ASSERT_GE(bytes.size(), record.size() + 12);
  const size_t tail = bytes.size() - record.size();
  EXPECT_EQ(lw::bin::GetLE32(bytes.data() + tail - 4), record.size());
  EXPECT_TRUE(std::equal(record.begin(), record.end(), bytes.begin() + static_cast<long>(tail)));

  CDDrawTextObj back;
  ASSERT_NE(LoadBytes(back, bytes), 0);
  EXPECT_EQ(back.GetLayoutBox(), text.GetLayoutBox());
  EXPECT_EQ(Record(back), record);
  EXPECT_EQ(SaveBytes(back), bytes);

  CDDrawTextObj copy(text);
  EXPECT_EQ(Record(copy), record);
  EXPECT_EQ(copy.GetObjectType(), 3);
  std::unique_ptr<Vectorloom::CRenderBaseObj> clone(text.Clone());
  EXPECT_EQ(clone->GetObjectType(), 3);
}

// Field order after the core library's part: width, height, record length, record.
TEST(DDrawTextObj, GoldenOffsetsOfTheBoxAndTheRecord) {
  CDDrawTextObj text;
  FillText(text, L"Hi\r");
  text.SetLayoutBox(100.0f, 20.0f);
  CMemFile base;
  ASSERT_EQ(text.Vectorloom::CRenderBaseObj::Save(base, kVersion), 1);
  std::vector<unsigned char> expected(base.GetBufferPtr(), base.GetBufferPtr() + base.GetLength());
  const auto record = Record(text);
  const unsigned char box[8] = {0x00, 0x00, 0xC8, 0x42, 0x00, 0x00, 0xA0, 0x41};  // 100.0f, 20.0f
  expected.insert(expected.end(), box, box + 8);
  unsigned char length[4];
  lw::bin::PutLE32(length, static_cast<uint32_t>(record.size()));
  expected.insert(expected.end(), length, length + 4);
  expected.insert(expected.end(), record.begin(), record.end());
  EXPECT_EQ(SaveBytes(text), expected);
}

TEST(DDrawTextObj, CutAndEmptyStreamsFail) {
  CDDrawTextObj text;
  FillText(text, L"Cut\r");
  text.SetLayoutBox(50.0f, 10.0f);
  const auto bytes = SaveBytes(text);
  for (size_t n = 4; n < bytes.size(); ++n) {
    CDDrawTextObj back;
    EXPECT_EQ(LoadBytes(back, std::vector<unsigned char>(bytes.begin(), bytes.begin() + static_cast<long>(n))), 0) << n;
  }
  // A record length of 0, and one far past the end of the stream.
  const size_t lengthAt = bytes.size() - Record(text).size() - 4;
  for (uint32_t length : {0u, 0xFFFFFFF0u}) {
    std::vector<unsigned char> bad(bytes.begin(), bytes.begin() + static_cast<long>(lengthAt) + 4);
    lw::bin::PutLE32(bad.data() + lengthAt, length);
    CDDrawTextObj back;
    EXPECT_EQ(LoadBytes(back, bad), 0) << length;
  }
}

TEST(DDrawTextObj, BoxOperations) {
  CDDrawTextObj text;
  text.SetLayoutBox(100.0f, 20.0f);
  const auto area = text.GetTextOccurArea();
  EXPECT_EQ(area.cx, 100.5f);
  EXPECT_EQ(area.cy, 20.5f);

  text.ScaleLengthParam(2.0f, 0.5f);
  EXPECT_EQ(text.GetLayoutBox(), (Vectorloom::CQorVectorSize<float>(200.0f, 10.0f)));

  text.ResizeObject({10.0f, 5.0f, 70.0f, 45.0f});
  EXPECT_EQ(text.GetLayoutBox(), (Vectorloom::CQorVectorSize<float>(60.0f, 40.0f)));
  EXPECT_EQ(text.GetTransMatrix().dx, 10.0f);
  EXPECT_EQ(text.GetTransMatrix().dy, 5.0f);
  // A text of no size resizes without trouble.
  text.ResizeObject({0.0f, 0.0f, 0.0f, 0.0f});
  EXPECT_EQ(text.GetTextOccurArea().cx, 0.5f);
}
