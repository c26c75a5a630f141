// The section writers of the document file: byte layouts, unit conversion, pictures, lazy pages
// and the failures that must stop a save.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#include <zlib.h>

#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PageBusiPage.h"
#include "PageGroupObj.h"
#include "PageShapeObj.h"
#include "PageTextObj.h"
#include "PageVideoObj.h"

using namespace lfwtest;

namespace {

// A source whose pages hold one shape, or that cannot be read at all.
class CFakeSource : public IPageContentSource {
 public:
  explicit CFakeSource(bool readable) : m_bReadable(readable) {}
  bool LoadPageContent(CDrawingPage* page, int, CPublicationDoc*) override {
    ++loads;
    if (!m_bReadable) return false;
    page->AddShapeObject(MakeShape(1, 2, 30, 40, Vectorloom::RENDER_KIND_SOLID));
    return true;
  }
  int GetPagesCount() override { return 3; }
  int loads = 0;

 private:
  bool m_bReadable;
};

struct DocFixture : ::testing::Test {
  void SetUp() override { TestHome(); }
  CPageBusiPage* AddPage(int unit = Vectorloom::UNIT_INCH) {
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    page->SetPageLogUnit(unit);
    doc.GetRenderPagesArray().AddPage(page);
    return page;
  }
  CLeafwrightDoc doc;
};

Bytes Unpack(const Bytes& file, size_t entry) {
  const uint32_t pos = Le32(file, entry), raw = Le32(file, entry + 4), packed = Le32(file, entry + 8);
  Bytes out(raw);
  uLongf len = raw;
  EXPECT_EQ(uncompress(out.data(), &len, file.data() + pos, packed), Z_OK);
  return out;
}

float F32(const Bytes& b, size_t at) {
  const uint32_t bits = Le32(b, at);
  float f;
  std::memcpy(&f, &bits, 4);
  return f;
}

}  // namespace

TEST_F(DocFixture, SmallDocumentHasTheExactLayout) {
  CPageBusiPage* page = AddPage();
  page->SetPageFlags(0x21);
  auto* picture = MakePicture(L"/p/x.png", 0x01020304, 0x0000000A0B0C0D0Ell, 7);
  picture->SetResourceID(77);
  page->AddShapeObject(MakeShape(0, 0, 10, 10, Vectorloom::RENDER_KIND_BITMAP, picture));
  const Bytes file = WriteToBytes(doc);
  ASSERT_FALSE(file.empty());

  // Header and section headers: index positions and lengths chain the sections end to end.
  EXPECT_EQ(0, std::memcmp(file.data(), "QLFW20002010Page", 16));
  EXPECT_EQ(0, std::memcmp(file.data() + 24, "Dibs", 4));
  EXPECT_EQ(0, std::memcmp(file.data() + 36, "Font", 4));
  EXPECT_EQ(0, std::memcmp(file.data() + 48, "avst", 4));
  EXPECT_EQ(Le32(file, 16), 60u);
  const uint32_t dibs = 60 + Le32(file, 20), font = dibs + Le32(file, 32), avst = font + Le32(file, 44);
  EXPECT_EQ(Le32(file, 28), dibs);
  EXPECT_EQ(Le32(file, 40), font);
  EXPECT_EQ(Le32(file, 52), avst);
  EXPECT_EQ(Le32(file, 56), 4u);
  EXPECT_EQ(avst + 4u, file.size());

  // "Page": one 12-byte entry, its block right behind it; the record starts with the header.
  EXPECT_EQ(Le32(file, 60), 1u);
  EXPECT_EQ(Le32(file, 64), 76u);
  EXPECT_EQ(76u + Le32(file, 72), dibs);
  const Bytes record = Unpack(file, 64);
  ASSERT_GE(record.size(), 24u);
  EXPECT_EQ(F32(record, 0), 8.5f);
  EXPECT_EQ(F32(record, 4), 11.0f);
  EXPECT_EQ(Le32(record, 8), 0u);
  EXPECT_EQ(Le32(record, 12), 0x21u);
  EXPECT_EQ(Le32(record, 16), 1u);
  EXPECT_EQ(Le32(record, 20), 0u);  // the shape's type code

  // "Dibs": one 548-byte entry: id, size, time, the path zero-filled; the block is a PNG.
  EXPECT_EQ(Le32(file, dibs), 1u);
  const size_t e = dibs + 4;
  EXPECT_EQ(Le32(file, e), dibs + 4 + 548);
  EXPECT_EQ(Le32(file, e + 12), 77u);
  EXPECT_EQ(Le32(file, e + 16), 0x01020304u);
  EXPECT_EQ(Le32(file, e + 20), 0x0B0C0D0Eu);
  EXPECT_EQ(Le32(file, e + 24), 0x0000000Au);
  const char16_t path[] = u"/p/x.png";
  for (size_t i = 0; i < 260; ++i) {
    const uint16_t unit = static_cast<uint16_t>(file[e + 28 + 2 * i] | (file[e + 29 + 2 * i] << 8));
    EXPECT_EQ(unit, i < 8 ? static_cast<uint16_t>(path[i]) : 0) << i;
  }
  const Bytes png = Unpack(file, e);
  ASSERT_GE(png.size(), 8u);
  EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));

  // "Font": no fonts, the single word 0.
  EXPECT_EQ(Le32(file, font), 0u);
  EXPECT_EQ(Le32(file, 44), 4u);
}

// Picture paths are counted in UTF-16 units: up to 259 the entry holds the path, from 260 on its
// reference; either way the save succeeds and the picture comes back under its whole path.
TEST_F(DocFixture, PicturePathsOfAnyLengthAreSavedAndComeBack) {
  const std::wstring clef = L"\U0001D11E";  // two UTF-16 units
  const auto clefs = [&](int n) {
    std::wstring s;
    for (int i = 0; i < n; ++i) s += clef;
    return s;
  };
  const struct {
    std::wstring path;
    bool fits;
  } cases[] = {
      {L"/" + std::wstring(258, L'a'), true},
      {L"/" + std::wstring(259, L'a'), false},
      {L"/" + std::wstring(128, L'a') + clefs(65), true},
      {L"/" + std::wstring(129, L'a') + clefs(65), false},
      {L"/" + std::wstring(2000, L'a') + L"/x.png", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path.size());
    CLeafwrightDoc d;
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    d.GetRenderPagesArray().AddPage(page);
    page->AddShapeObject(MakeShape(0, 0, 10, 10, Vectorloom::RENDER_KIND_BITMAP, MakePicture(c.path.c_str(), 1, 2, 3)));
    // A second picture with the same size and time and a path that differs only at its start.
    std::wstring twin = c.path;
    twin[1] = L'b';
    page->AddShapeObject(MakeShape(20, 0, 10, 10, Vectorloom::RENDER_KIND_BITMAP, MakePicture(twin.c_str(), 1, 2, 9)));
    const Bytes file = WriteToBytes(d);
    ASSERT_FALSE(file.empty());

    const uint32_t dibs = 60 + Le32(file, 20);
    ASSERT_EQ(Le32(file, dibs), 2u);
    uint8_t field[kLfwPathUnits * 2];
    std::memcpy(field, file.data() + dibs + 4 + 28, sizeof field);
    EXPECT_EQ(DecodeLfwPathField(field) == CString(c.path.c_str()), c.fits);

    OpenedDoc opened(file);
    CDrawingPage* back = opened.Load(0);
    ASSERT_EQ(back->GetRenderObjectList().GetCount(), 2);
    const BYTE blues[2] = {3, 9};
    for (int i = 0; i < 2; ++i) {
      auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(back->GetRenderObjectList().GetAt(i));
      ASSERT_NE(shape, nullptr);
      auto* res = static_cast<Vectorloom::CExternalBmpResObj*>(shape->GetFillDefinition().GetRenderBitmap());
      ASSERT_NE(res, nullptr);
      EXPECT_TRUE(res->GetPathName() == CString((i == 0 ? c.path : twin).c_str()));
      ASSERT_TRUE(res->HasBitmap());
      Gdiplus::Color px;
      res->GetGdiBitmap()->GetPixel(0, 0, &px);
      EXPECT_EQ(px.GetB(), blues[i]) << i;
    }
  }
}

// A picture file and a clip in a folder whose path does not fit the entries' fields: the document
// saves, and on reopening the picture shows and the clip is found where it is.
TEST_F(DocFixture, PicturesAndClipsInDeepFoldersAreSavedAndComeBack) {
  lwtest::TempDir dir;
  fs::path deep = dir.path();
  for (int i = 0; i < 6; ++i) deep /= std::string(48, static_cast<char>('k' + i));
  fs::create_directories(deep);
  const fs::path picturePath = deep / "picture.png", clipPath = deep / "clip.avi";
  {
    Vectorloom::CExternalBmpResObj probe(CString(L"x"), 0, 0);
    probe.SetGdiBitmap(MakeBitmap(4, 4, 77), nullptr, 1);
    std::vector<uint8_t> png;
    ASSERT_TRUE(EncodePictureAsPng(probe, png));
    lwtest::WriteFileBytes(picturePath, png);
  }
  lwtest::WriteFileBytes(clipPath, std::vector<uint8_t>(3000, 7));
  ASSERT_GE(W(picturePath).size(), kLfwPathUnits);

  // The picture as an importer makes it: the file's path, size and time, and its pixels.
  const auto size = static_cast<uint32_t>(fs::file_size(picturePath));
  const auto pixels = lwtest::ReadFileBytes(picturePath);
  auto* picture = new Vectorloom::CExternalBmpResObj(CString(W(picturePath).c_str()), size, 1700000000);
  picture->SetGdiBitmap(DecodePictureBytes(pixels.data(), static_cast<unsigned>(pixels.size())), nullptr, 1);
  ASSERT_TRUE(picture->HasBitmap());
  CPageBusiPage* page = AddPage();
  page->AddShapeObject(MakeShape(0, 0, 10, 10, Vectorloom::RENDER_KIND_BITMAP, picture));
  auto* video = new CPageVideoObj;
  video->SetVideoFullPathName(W(clipPath));
  video->SetVideoObjectSize({64, 48});
  page->AddShapeObject(video);

  CString error;
  const Bytes file = WriteToBytes(doc, &error);
  ASSERT_FALSE(file.empty()) << lw::WideToUtf8(error.GetString());

  OpenedDoc opened(file);
  CDrawingPage* back = opened.Load(0);
  ASSERT_EQ(back->GetRenderObjectList().GetCount(), 2);
  auto* shape = dynamic_cast<Vectorloom::CBaseShapeObj*>(back->GetRenderObjectList().GetAt(0));
  ASSERT_NE(shape, nullptr);
  auto* res = static_cast<Vectorloom::CExternalBmpResObj*>(shape->GetFillDefinition().GetRenderBitmap());
  ASSERT_NE(res, nullptr);
  EXPECT_TRUE(res->GetPathName() == CString(W(picturePath).c_str()));
  ASSERT_TRUE(res->HasBitmap());
  Gdiplus::Color px;
  res->GetGdiBitmap()->GetPixel(1, 1, &px);
  EXPECT_EQ(px.GetB(), 77);
  auto* clip = dynamic_cast<CBaseVideoObj*>(back->GetRenderObjectList().GetAt(1));
  ASSERT_NE(clip, nullptr);
  EXPECT_EQ(clip->GetVideoFullPathName(), W(clipPath));
}

TEST_F(DocFixture, APictureThatCannotBeEncodedFailsTheSave) {
  CPageBusiPage* page = AddPage();
  auto* broken = new Vectorloom::CExternalBmpResObj(CString(L"/p/broken.png"), 5, 6);
  broken->SetGdiBitmap(new Gdiplus::Bitmap(0, 0, Gdiplus::PixelFormat32bppARGB), nullptr, 1);
  page->AddShapeObject(MakeShape(0, 0, 10, 10, Vectorloom::RENDER_KIND_BITMAP, broken));
  CString error;
  EXPECT_TRUE(WriteToBytes(doc, &error).empty());
  EXPECT_GE(error.Find(L"broken.png"), 0) << lw::WideToUtf8(error.GetString());
  EXPECT_NE(broken->GetLastStatus(), Gdiplus::Ok);
}

TEST_F(DocFixture, LazyPagesAreReadForTheSaveAndLetGoAgainOrFailIt) {
  for (bool readable : {true, false}) {
    CLeafwrightDoc d;
    auto* source = new CFakeSource(readable);
    source->AddRef();
    auto* loaded = new CPageBusiPage;
    loaded->SetPageContentLoaded(1);
    loaded->AddShapeObject(MakeShape(5, 5, 5, 5, Vectorloom::RENDER_KIND_NONE));
    auto* lazy = new CPageBusiPage;
    lazy->SetPageSourceContent(source);
    lazy->SetPageSourceIndex(1);
    d.GetRenderPagesArray().AddPage(loaded);
    d.GetRenderPagesArray().AddPage(lazy);
    CString error;
    const Bytes file = WriteToBytes(d, &error);
    EXPECT_EQ(source->loads, 1);
    EXPECT_FALSE(lazy->IsPageContentLoaded());
    EXPECT_EQ(lazy->GetRenderObjectList().GetCount(), 0);
    EXPECT_EQ(lazy->GetPageContentSource(), source);
    if (readable) {
      ASSERT_FALSE(file.empty());
      OpenedDoc opened(file);
      EXPECT_EQ(opened.Load(1)->GetRenderObjectList().GetCount(), 1);
    } else {
      // Never written empty: the save fails and says which page.
      EXPECT_TRUE(file.empty());
      EXPECT_GE(error.Find(L"Page 2"), 0) << lw::WideToUtf8(error.GetString());
    }
    d.GetRenderPagesArray().RemoveAllPages();
    source->Release();
  }
}

// Lengths are written in the page's unit from copies: the document's objects keep their exact
// values, and a read gives them back within one float step.
TEST_F(DocFixture, LengthsAreStoredInThePageUnitWithoutTouchingTheObjects) {
  const int units[] = {Vectorloom::UNIT_INCH, Vectorloom::UNIT_CENTIMETER, Vectorloom::UNIT_MILLIMETER,
                       Vectorloom::UNIT_PIXEL, Vectorloom::UNIT_POINT};
  for (int unit : units) {
    CLeafwrightDoc d;
    auto* page = new CPageBusiPage;
    page->SetPageContentLoaded(1);
    page->SetPageLogUnit(unit);
    d.GetRenderPagesArray().AddPage(page);
    CPageShapeObj* shape = MakeShape(123.456f, 77.7f, 50, 20, Vectorloom::RENDER_KIND_SOLID);
    page->AddShapeObject(shape);
    const float stroke = shape->GetStrokeWidth();  // 2 points in pixels
    const Vectorloom::CQorTransMatrix matrix = shape->GetTransMatrix();
    const Bytes file = WriteToBytes(d);
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(shape->GetStrokeWidth(), stroke);
    EXPECT_EQ(shape->GetTransMatrix().dx, matrix.dx);
    EXPECT_EQ(shape->GetTransMatrix().dy, matrix.dy);

    OpenedDoc opened(file);
    auto* back = dynamic_cast<CPageShapeObj*>(opened.Load(0)->GetRenderObjectList().GetAt(0));
    ASSERT_NE(back, nullptr);
    EXPECT_NEAR(back->GetStrokeWidth(), stroke, std::nextafter(stroke, 1e9f) - stroke) << "unit " << unit;
    EXPECT_NEAR(back->GetTransMatrix().dx, matrix.dx, 2 * (std::nextafter(matrix.dx, 1e9f) - matrix.dx)) << unit;
    EXPECT_NEAR(back->GetTransMatrix().dy, matrix.dy, 2 * (std::nextafter(matrix.dy, 1e9f) - matrix.dy)) << unit;
  }
}

TEST_F(DocFixture, APageWithAnUnknownUnitOrObjectKindIsNotWritten) {
  CPageBusiPage* page = AddPage(7);
  CString error;
  EXPECT_TRUE(WriteToBytes(doc, &error).empty());
  EXPECT_GE(error.Find(L"unit"), 0);

  page->SetPageLogUnit(Vectorloom::UNIT_INCH);
  auto* coreText = new Vectorloom::CCustomPathObj;
  coreText->SetTypeWord(Vectorloom::RENDER_OBJ_CORETEXT);
  page->AddShapeObject(coreText);
  EXPECT_TRUE(WriteToBytes(doc, &error).empty());
  EXPECT_GE(error.Find(L"kind"), 0);
}

// The extract writer: listed pages in list order, font ids of texts also inside groups.
TEST_F(DocFixture, CustomPagesWriterFollowsItsListAndCollectsFontIds) {
  for (int i = 0; i < 3; ++i) {
    CPageBusiPage* page = AddPage();
    page->SetLogWidth(static_cast<float>(i + 1));
  }
  auto* text = new CPageTextObj;
  GlyphweaveLib::TFontRunInfo run;
  run.m_nLength = 0;
  run.m_FontDesc.SetEmbedFontID(42);
  text->AppendFontRun(run);
  auto* group = new CPageGroupObj;
  group->AddChild(text);
  doc.GetDrawingPage(2)->AddShapeObject(group);

  Vectorloom::CBitmapResObjsList pictures;
  const std::vector<int> list = {2, 0};
  std::vector<int> fontIds;
  CZipSavingPdfCustomPages writer(&doc, pictures, list, fontIds);
  EXPECT_EQ(writer.GetBlocksCount(), 2u);
  CMemFile mem(1024);
  ASSERT_TRUE(writer.SavingBlockTag(&mem));
  ASSERT_TRUE(writer.SavingBlocks(&mem, L"2000", L"2010", nullptr));
  const Bytes file(mem.GetBufferPtr(), mem.GetBufferPtr() + mem.GetLength());
  EXPECT_EQ(F32(Unpack(file, 16), 0), 3.0f);
  EXPECT_EQ(F32(Unpack(file, 28), 0), 1.0f);
  EXPECT_EQ(fontIds, std::vector<int>{42});
  unsigned long raw = 0;
  EXPECT_THROW(writer.MakeBlockContent(2, raw, L"2000", L"2010"), std::out_of_range);
}

TEST(LfwPictures, PngEncoderIsFound) {
  CLSID clsid{};
  EXPECT_TRUE(GetPngEncoderClsid(&clsid));
  EXPECT_FALSE(GetPngEncoderClsid(nullptr));
}
