// Spaces in imported text whose embedded font has no space glyph (TeX's fonts): the word spaces
// the import puts between words, and spaces typed into such a text, still advance.
#include <gtest/gtest.h>

#include <string>

#include <gdi/wingdi.h>
#include <glyphweave/CharacterGlyphRes.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <win32/lwstr.h>

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

const std::string kFixtures = LW_PDF_PRODUCERS_DIR;

TEST(PdfImportSpaces, ASpaceAFontHasNoGlyphForAdvancesByHalfItsN) {
  auto* source = new CCachePdfPageContent(lw::Utf8ToWide(kFixtures + "/pdftex.pdf").c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    int spaces = 0;
    for (auto* obj : page->GetRenderObjectList()) {
      auto* text = dynamic_cast<CDDrawTextObj*>(obj);
      if (!text) continue;
      const GlyphweaveLib::CCharacterGlyphRes* n = nullptr;
      for (const auto& c : text->GetArrayOfTextCharacters())
        if (c.GetCharacter() == u'n' && c.GetCharGlyphPath()) n = c.GetCharGlyphPath();
      for (const auto& c : text->GetArrayOfTextCharacters()) {
        if (c.GetCharacter() != u' ' || !n) continue;
        // The word space of a TeX font (no space glyph) is blank and half as wide as its "n".
        ASSERT_NE(c.GetCharGlyphPath(), nullptr) << "a word space without a glyph";
        EXPECT_EQ(c.GetCharGlyphPath()->GetGlyphPathDataPointer()->GetPointCount(), 0);
        EXPECT_NEAR(c.GetCharGlyphPath()->GetReferIncx(), n->GetReferIncx() / 2, 0.01f);
        if (c.GetCharGlyphPath()->GetOwnerGlyphsMap() == n->GetOwnerGlyphsMap()) ++spaces;
      }
    }
    EXPECT_GT(spaces, 20);

    // A space typed into such a text takes the same glyph: "An Quokka", not "AnQuokka".
    CDDrawTextObj* first = nullptr;
    for (auto* obj : page->GetRenderObjectList())
      if ((first = dynamic_cast<CDDrawTextObj*>(obj))) break;
    ASSERT_NE(first, nullptr);
    const auto& chars = first->GetArrayOfTextCharacters();
    ASSERT_GT(chars.size(), 3u);
    const float before = chars[2].GetCharOffset().x;
    GlyphweaveLib::CRichFontDesc font;
    first->GetCharFormatsDesc(&font, 1);
    HDC dc = GetDC(nullptr);
    first->InsertString(1, L" ", -1, dc, font, doc.GetEmbedFontResManager(), doc.GetFontGlyphCacheManager());
    ReleaseDC(nullptr, dc);
    first->RecalcuLayout(0);
    EXPECT_GT(first->GetArrayOfTextCharacters()[3].GetCharOffset().x - before, 1.0f);
  }
  source->Release();
}

}  // namespace
