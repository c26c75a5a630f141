// The committed seeds of the reader fuzz harnesses (written by make_fuzz_seeds) are still read
// whole by their readers: a seed that a format change made unreadable would leave its harness
// fuzzing from a refused input.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>

#include <glyphweave/AccessTextsOutline.h>
#include <glyphweave/EmbedFontRes.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/VideoObj.h>
#include <vectorloom/GroupObj.h>
#include <vectorloom/StreamReader.h>

#include "FontPrograms.h"
#include "LfwTestKit.h"

using namespace lfwtest;
using GlyphweaveLib::CEmbedFontMapWrap;

namespace {

class CSeedDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

int CountObjects(const Vectorloom::CRenderBaseObjectList& list, const std::function<bool(Vectorloom::CRenderBaseObj*)>& f) {
  int n = 0;
  Vectorloom::WalkRenderObjects(list, [&](Vectorloom::CRenderBaseObj* obj) { n += f(obj) ? 1 : 0; });
  return n;
}

void CheckPdf(const Bytes& bytes) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "seed.pdf", bytes);
  auto* source = new CCachePdfPageContent(W(dir / "seed.pdf").c_str());
  source->AddRef();
  {
    CSeedDoc doc;
    ASSERT_EQ(source->GetPagesCount(), 2);
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    const auto& list = page->GetRenderObjectList();
    EXPECT_GE(CountObjects(list, [](auto* o) { return dynamic_cast<CDDrawTextObj*>(o) != nullptr; }), 4);
    EXPECT_GE(CountObjects(list, [](auto* o) { return dynamic_cast<Vectorloom::CBaseShapeObj*>(o) != nullptr; }), 6);
    EXPECT_GE(doc.GetEmbedFontResManager()->GetCount(), 2);  // the simple and the composite font
  }
  source->Release();
}

}  // namespace

TEST(FuzzSeeds, EveryReaderSeedIsReadWhole) {
  TestHome();
  const fs::path root = LEAFWRIGHT_SOURCE_DIR;
  struct Case {
    std::string seed;  // from the source root
    std::function<void(const Bytes&)> read;
  };
  std::vector<Case> cases = {
      {"app/fuzz/seeds/app_lfwreader_fuzzer/document.lfw",
       [](const Bytes& b) {
         OpenedDoc opened(b);
         ASSERT_EQ(opened.source->GetPagesCount(), 3);
         for (int i = 0; i < 3; ++i) opened.Load(i);
         const auto& first = opened.Page(0)->GetRenderObjectList();
         EXPECT_EQ(CountObjects(first, [](auto* o) { return o->IsGroupObject(); }), 1);
         EXPECT_EQ(CountObjects(first, [](auto* o) { return dynamic_cast<CBaseVideoObj*>(o) != nullptr; }), 1);
         EXPECT_GE(CountObjects(first, [](auto* o) { return dynamic_cast<CDDrawTextObj*>(o) != nullptr; }), 1);
         EXPECT_GE(opened.doc->GetEmbedFontResManager()->GetCount(), 1);
       }},
      {"app/fuzz/seeds/app_lfwreader_fuzzer/picture-header",
       [](const Bytes& b) {
         ASSERT_FALSE(b.empty());
         EXPECT_EQ(b[0], 'I');
         uint32_t w = 0, h = 0;
         ASSERT_TRUE(PeekPictureSize(b.data() + 1, b.size() - 1, &w, &h));
         EXPECT_EQ(std::make_pair(w, h), std::make_pair(5u, 3u));
       }},
      {"publication/fuzz/seeds/publication_pdfimport_fuzzer/objects.pdf", CheckPdf},
      {"platform/pagesieve/fuzz/seeds/pagesieve_parse_fuzzer/objects.pdf", CheckPdf},
      {"publication/fuzz/seeds/publication_textobj_fuzzer/imported-text",
       [](const Bytes& b) {
         Bytes copy = b;
         copy.push_back(0);
         CMemFile f(copy.data(), static_cast<UINT>(b.size()));
         Vectorloom::CBitmapResObjsList bitmaps;
         CDDrawTextObj text;
         ASSERT_TRUE(text.Load(f, nullptr, bitmaps, CString(L"2000")));
         EXPECT_GT(text.GetArrayOfTextCharacters().size(), 4u);
       }},
      {"textengine/fuzz/seeds/textengine_text_record_fuzz/imported-text",
       [](const Bytes& b) {
         CDDrawTextObj text;
         Vectorloom::CStreamReader in(b.data(), static_cast<unsigned>(b.size()));
         ASSERT_TRUE(text.GetBinaryContent(&in, nullptr));
         EXPECT_GT(text.GetArrayOfTextCharacters().size(), 4u);
       }},
      {"textengine/fuzz/seeds/textengine_font_record_fuzz/every-range",
       [](const Bytes& b) {
         GlyphweaveLib::CEmbedFontResouce font;
         ASSERT_TRUE(font.SetByBinaryContent(b.data(), static_cast<unsigned>(b.size())));
         ASSERT_NE(font.GetUtfCMap(), nullptr);
         ASSERT_NE(font.GetEmbedPdfFontContent(), nullptr);
         std::set<int> kinds;
         for (const auto& r : font.GetUtfCMap()->GetRanges()) kinds.insert(r.Kind());
         EXPECT_EQ(kinds.size(), 4u);
         EXPECT_NE(font.GetUtfCMap()->GetNextFontMapWrap(), nullptr);
       }},
      {"textengine/fuzz/seeds/textengine_cmap_record_fuzz/every-range",
       [](const Bytes& b) {
         CEmbedFontMapWrap map;
         Vectorloom::CStreamReader in(b.data(), static_cast<unsigned>(b.size()));
         ASSERT_TRUE(map.GetByBinaryContent(&in));
         std::set<int> kinds;
         for (const auto& r : map.GetRanges()) kinds.insert(r.Kind());
         EXPECT_EQ(kinds.size(), 4u);
       }},
      {"textengine/fuzz/seeds/textengine_glyph_outline_fuzz/bare-cff",
       [](const Bytes& b) {
         ASSERT_FALSE(b.empty());
         EXPECT_EQ(b[0] % 3, 2);  // the harness's font-program reader
         ASSERT_TRUE(GlyphweaveLib::CFFTypeFontEngine::FFTypeInitialize());
         GlyphweaveLib::CEmbedFontResouce res;
         res.SetFontID(1);
         GlyphweaveLib::CPdfEmbedFontDesc program;
         program.m_vProgram.assign(b.begin() + 1, b.end());
         res.SetEmbedPdfFontContent(&program);
         GlyphweaveLib::CFFTypeFontEngine engine;
         ASSERT_TRUE(engine.SetAccessFont(nullptr, 0, &res, true));
         Gdiplus::GraphicsPath path;
         Gdiplus::Matrix m;
         float x = 0, y = 0;
         EXPECT_TRUE(engine.PrepareGlyph('A', m, path, &x, &y));
       }},
  };
  // The font seeds are the font programs the tests make, as they make them now.
  const auto same = [](std::vector<unsigned char> made) {
    return [made](const Bytes& b) { EXPECT_TRUE(std::equal(b.begin(), b.end(), made.begin(), made.end())); };
  };
  cases.push_back({"platform/gdi/fuzz/seeds/gdi_font_bytes_fuzz/bare.cff", same(lwtest::MakeBareCff())});
  cases.push_back({"platform/gdi/fuzz/seeds/gdi_font_bytes_fuzz/accented.cff", same(lwtest::MakeAccentedCff())});
  cases.push_back({"platform/gdi/fuzz/seeds/gdi_font_bytes_fuzz/hex.pfa", same(lwtest::MakeType1(true))});
  cases.push_back({"platform/gdi/fuzz/seeds/gdi_font_bytes_fuzz/binary.pfb", same(lwtest::MakeType1(false, true))});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seed);
    const Bytes bytes = lwtest::ReadFileBytes(root / c.seed);
    ASSERT_FALSE(bytes.empty());
    EXPECT_LE(bytes.size(), 16u * 1024) << "seeds stay small";
    c.read(bytes);
  }
}
