#include <gtest/gtest.h>

#include <quirebook/DDrawTextObj.h>
#include <vectorloom/BitmapRes.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

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
  const auto area = std::as_const(text).GetTextOccurArea();
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

// Characters outside the BMP are two UTF-16 units in a text, and every path a text takes keeps
// them: typing (code points converted at the edge), reading out and inserting again, copying a
// selection, the copies kept for undo, and saving and reopening.
TEST(DDrawTextObj, EveryCharacterSurvivesEditCopyUndoAndSave) {
  using GlyphweaveLib::CodePointsFromTextUnits;
  using GlyphweaveLib::TextUnitsFromCodePoints;
  struct Case {
    const char* name;
    std::wstring typed;  // code points, as a CString holds them
    std::wstring units;  // what the text holds
    std::wstring shown;  // the units back as code points
  };
  const std::vector<Case> cases = {
      {"a face between letters", L"A\U0001F600B", L"A\xD83D\xDE00" L"B", L"A\U0001F600B"},
      {"alone", L"\U0001F600", L"\xD83D\xDE00", L"\U0001F600"},
      {"both ends of the planes above the BMP", L"\U00010000\U0010FFFF", L"\xD800\xDC00\xDBFF\xDFFF",
       L"\U00010000\U0010FFFF"},
      {"across paragraph breaks", L"x\r\U0001D11E\ry", L"x\r\xD834\xDD1E\ry", L"x\r\U0001D11E\ry"},
      {"BMP only", L"\u00E9\uFFFD\u4E2D", L"\u00E9\uFFFD\u4E2D", L"\u00E9\uFFFD\u4E2D"},
  };
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(L"DejaVu Sans");
  font.m_fFontSize = 12.0f;
  auto text = [](const CDDrawTextObj& t) { return t.GetCharacters(0, -1); };
  auto make = [&](const std::wstring& units) {
    auto t = std::make_unique<CDDrawTextObj>();
    t->SetLayoutBox(300.0f, 100.0f);
    t->InsertString(0, units.c_str(), static_cast<int>(units.size()), nullptr, font, nullptr, nullptr);
    return t;
  };

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextUnitsFromCodePoints(c.typed), c.units);
    const auto typed = make(TextUnitsFromCodePoints(c.typed));
    ASSERT_EQ(text(*typed), c.units);
    EXPECT_EQ(CodePointsFromTextUnits(text(*typed)), c.shown);
    std::unique_ptr<wchar_t[]> content(typed->GetArrayOfTextCharacters().GetTextContent());
    EXPECT_EQ(std::wstring(content.get()), c.units);

    // Read out and inserted again, at the end and in the middle of another text.
    EXPECT_EQ(text(*make(text(*typed))), c.units);
    const auto host = make(L"ab");
    const std::wstring read = text(*typed);
    host->InsertString(1, read.c_str(), -1, nullptr, font, nullptr, nullptr);
    EXPECT_EQ(text(*host), L"a" + c.units + L"b");

    // A selection of all characters copied into another text.
    GlyphweaveLib::CArrayOfTextCharacters selection;
    typed->GetArrayOfTextCharacters().CopySelection(selection, 0, -1);
    const auto pasted = make(L"ab");
    pasted->GetArrayOfTextCharacters().InsertSelection(selection, 1);
    EXPECT_EQ(text(*pasted), L"a" + c.units + L"b");

    // The copies an undo step keeps.
    std::unique_ptr<Vectorloom::CRenderBaseObj> clone(typed->Clone());
    EXPECT_EQ(text(*dynamic_cast<CDDrawTextObj*>(clone.get())), c.units);
    CDDrawTextObj copy(*typed);
    EXPECT_EQ(text(copy), c.units);

    // Saved and opened again.
    CDDrawTextObj reopened;
    ASSERT_NE(LoadBytes(reopened, SaveBytes(*typed)), 0);
    EXPECT_EQ(text(reopened), c.units);
  }

  // Units are taken as they are: a lone surrogate stays (shown as U+FFFD), and an element above
  // U+FFFF, which is no unit, becomes U+FFFD.
  EXPECT_EQ(text(*make(L"A\xD83D" L"B")), L"A\xD83D" L"B");
  EXPECT_EQ(CodePointsFromTextUnits(L"A\xD83D" L"B"), L"A\uFFFDB");
  EXPECT_EQ(text(*make(L"A\U0001F600B")), L"A\uFFFDB");
}
