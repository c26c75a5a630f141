// A long PDF opened as a publication: one content source for the file, one page per PDF page,
// each loaded on demand with its own content.
#include <gtest/gtest.h>

#include <string>

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

std::wstring PageText(CDrawingPage& page) {
  std::wstring s;
  for (auto* obj : page.GetRenderObjectList())
    if (auto* t = dynamic_cast<CDDrawTextObj*>(obj)) s += t->GetCharacters(0, -1);
  return s;
}

TEST(PdfImportDocument, HundredPagesGiveTheirCountAndEachPageLoadsItsOwnContent) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "long.pdf", lwtest::MakeCairoPdf(100));
  auto* source = new CCachePdfPageContent((dir / "long.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    ASSERT_EQ(source->GetPagesCount(), 100);
    for (int i = 0; i < 100; ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
    // Pages load out of order and each shows its own number; fonts are shared by the document.
    for (const int index : {99, 0, 49, 98}) {
      CDrawingPage* page = doc.GetDrawingPage(index);
      ASSERT_TRUE(page->LoadPageContent(&doc)) << index;
      EXPECT_EQ(PageText(*page), L"Hello page " + std::to_wstring(index + 1));
      EXPECT_TRUE(page->IsNeedIntegrateTexts());
      EXPECT_GE(page->GetRenderObjectList().GetCount(), 4) << index;  // text, rectangle, shading, image
    }
    EXPECT_EQ(doc.GetEmbedFontResManager()->GetCount(), 1);
  }
  source->Release();
}

}  // namespace
