// A long PDF opened as a publication: one content source for the file, one page per PDF page,
// each loaded on demand with its own content.
#include <gtest/gtest.h>

#include <string>

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>

#include <vectorloom/ShapeObj.h>

#include "FontPrograms.h"
#include "PdfFixtures.h"
#include "TestSupport.h"

using Quirebook::ComposeDroppedItemsMessage;
using Quirebook::DroppedItem;

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

// A page set in a CFF font whose font matrix is damaged (every glyph thousands of ems wide)
// and a page set in the same font with its usual matrix: the damaged font's characters are
// imported without glyphs, the usual font's with them.
TEST(PdfImportDocument, DamagedFontMatrixGivesNoGlyphs) {
  lwtest::PdfBuilder b;
  auto font = [&b](const std::vector<std::string>& matrix) {
    const int program = b.AddStream("/Subtype /Type1C", lwtest::MakeBareCff(matrix));
    const int descriptor = b.Add(
        "<< /Type /FontDescriptor /FontName /GwTest /Flags 32 /FontBBox [0 0 600 800] /ItalicAngle 0 "
        "/Ascent 800 /Descent 0 /CapHeight 700 /StemV 80 /FontFile3 " +
        std::to_string(program) + " 0 R >>");
    return b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /GwTest /FirstChar 65 /LastChar 66 /Widths [600 600] "
                 "/FontDescriptor " +
                 std::to_string(descriptor) + " 0 R >>");
  };
  const int usual = font({"0.001", "0", "0", "0.001", "0", "0"});
  const int damaged = font({"1", "0", "0", "1", "0", "0"});
  const auto bytes = b.FinishPages({"BT /F1 12 Tf 72 720 Td (ABBA) Tj ET", "BT /F2 12 Tf 72 720 Td (ABBA) Tj ET"},
                                   "<< /Font << /F1 " + std::to_string(usual) + " 0 R /F2 " +
                                       std::to_string(damaged) + " 0 R >> >>");
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "damaged.pdf", bytes);
  auto* source = new CCachePdfPageContent((dir / "damaged.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    ASSERT_EQ(source->GetPagesCount(), 2);
    for (int index = 0; index < 2; ++index) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(index);
      doc.GetRenderPagesArray().AddPage(page);
      ASSERT_TRUE(page->LoadPageContent(&doc)) << index;
      EXPECT_EQ(PageText(*page), L"ABBA") << index;
      int glyphs = 0;
      for (auto* obj : page->GetRenderObjectList())
        if (auto* t = dynamic_cast<CDDrawTextObj*>(obj))
          for (const auto& c : t->GetArrayOfTextCharacters()) glyphs += c.GetCharGlyphPath() ? 1 : 0;
      EXPECT_EQ(glyphs, index == 0 ? 4 : 0) << index;
    }
  }
  source->Release();
}

// Characters beyond the basic plane (a mathematical letter, an emoji) come through a ToUnicode
// map as surrogate pairs, each pair whole and in order; in an embedded font the pair is drawn
// with the glyph the PDF draws (on its first unit, the second drawing nothing).
TEST(PdfImportDocument, CharactersBeyondTheBasicPlaneComeAsSurrogatePairsWithTheirGlyphs) {
  lwtest::PdfBuilder b;
  const int cmap = b.AddStream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                                   "1 begincodespacerange <00> <FF> endcodespacerange\n"
                                   "5 beginbfchar <41> <D835DC00> <42> <D83DDE00> <78> <0078> <79> <0079> <7A> <007A>"
                                   " endbfchar\nendcmap CMapName currentdict /CMap defineresource pop end end\n");
  struct Case {
    const char* name;
    std::string font;  // the font dictionary without its ToUnicode entry
    bool glyphs;       // whether the pairs draw the PDF's glyphs
  };
  const int program = b.AddStream("", lwtest::ReadFileBytes(lwtest::LiberationSansPath()));
  const int descriptor = b.Add("<< /Type /FontDescriptor /FontName /LiberationSans /Flags 32 /FontBBox [0 -200 1000 900] "
                               "/ItalicAngle 0 /Ascent 900 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 " +
                               std::to_string(program) + " 0 R >>");
  const Case cases[] = {
      {"standard font", "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica", false},
      {"embedded font", "<< /Type /Font /Subtype /TrueType /BaseFont /LiberationSans /Encoding /WinAnsiEncoding "
                        "/FontDescriptor " + std::to_string(descriptor) + " 0 R", true},
  };
  std::string fonts;
  for (size_t i = 0; i < std::size(cases); ++i)
    fonts += " /F" + std::to_string(i) + " " +
             std::to_string(b.Add(cases[i].font + " /ToUnicode " + std::to_string(cmap) + " 0 R >>")) + " 0 R";
  const auto bytes = b.FinishPages({"BT /F0 12 Tf 72 720 Td (xAyBz) Tj ET", "BT /F1 12 Tf 72 720 Td (xAyBz) Tj ET"},
                                   "<< /Font <<" + fonts + " >> >>");
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "astral.pdf", bytes);
  auto* source = new CCachePdfPageContent((dir / "astral.pdf").wstring().c_str());
  source->AddRef();
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].name);
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(static_cast<int>(i));
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    const std::wstring expected = {L'x', 0xD835, 0xDC00, L'y', 0xD83D, 0xDE00, L'z'};
    EXPECT_EQ(PageText(*page), expected);
    if (!cases[i].glyphs) continue;
    CDDrawTextObj* text = nullptr;
    for (auto* obj : page->GetRenderObjectList())
      if (auto* t = dynamic_cast<CDDrawTextObj*>(obj)) text = t;
    ASSERT_NE(text, nullptr);
    const auto& chars = text->GetArrayOfTextCharacters();
    ASSERT_EQ(chars.size(), expected.size());
    for (const size_t high : {1u, 4u}) {
      ASSERT_NE(chars[high].GetCharGlyphPath(), nullptr) << high;
      EXPECT_FALSE(chars[high].IsEmptyGlyphPath()) << high;
      ASSERT_NE(chars[high + 1].GetCharGlyphPath(), nullptr) << high;
      EXPECT_TRUE(chars[high + 1].IsEmptyGlyphPath()) << high;
    }
  }
  source->Release();
}

}  // namespace

// An image drawn on several pages is one picture in the document; an image whose mask is over the
// size cap is left out and listed as dropped, with the text the user is shown.
TEST(PdfImportDocument, ImagesAreSharedAndWhatWasLeftOutIsListed) {
  lwtest::PdfBuilder b;
  std::vector<uint8_t> pixels(20 * 10 * 3, 0x80);
  const int img = b.AddStream("/Type /XObject /Subtype /Image /Width 20 /Height 10 /ColorSpace /DeviceRGB "
                              "/BitsPerComponent 8",
                              pixels);
  const int mask = b.AddStream("/Type /XObject /Subtype /Image /Width 60000 /Height 60000 /ColorSpace /DeviceGray "
                               "/BitsPerComponent 8",
                               std::vector<uint8_t>(4, 0));
  const int masked = b.AddStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceRGB "
                                 "/BitsPerComponent 8 /SMask " + std::to_string(mask) + " 0 R",
                                 std::vector<uint8_t>{1, 2, 3});
  const std::string draw = "q 20 0 0 10 5 5 cm /Im1 Do Q ";
  const auto pdf = b.FinishPages({draw + draw, draw + "q 9 0 0 9 50 50 cm /Im2 Do Q"},
                                 "<< /XObject << /Im1 " + std::to_string(img) + " 0 R /Im2 " +
                                     std::to_string(masked) + " 0 R >> >>");
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "images.pdf", pdf);
  auto* source = new CCachePdfPageContent((dir / "images.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    std::vector<const Vectorloom::CBitmapResObj*> pictures;
    for (int i = 0; i < 2; ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
      ASSERT_TRUE(page->LoadPageContent(&doc));
      for (auto* obj : page->GetRenderObjectList())
        if (auto* shape = dynamic_cast<Vectorloom::CCustomPathObj*>(obj))
          if (shape->GetFillKind() == Vectorloom::RENDER_KIND_BITMAP)
            pictures.push_back(shape->GetFillDefinition().GetRenderBitmap());
    }
    ASSERT_EQ(pictures.size(), 3u);
    EXPECT_EQ(pictures[0], pictures[1]);
    EXPECT_EQ(pictures[0], pictures[2]);
    const std::vector<DroppedItem> dropped = doc.TakeDroppedItems();
    ASSERT_EQ(dropped.size(), 1u);
    EXPECT_EQ(ComposeDroppedItemsMessage(dropped), L"Page 2: an image of 60,000 x 60,000 pixels was left out");
    EXPECT_TRUE(doc.TakeDroppedItems().empty());
  }
  source->Release();

  // The text: one line per item, the rest counted.
  std::vector<DroppedItem> many;
  for (int i = 1; i <= 12; ++i) many.push_back(DroppedItem{i, DroppedItem::kPageSimplified, 0, 0});
  many[0] = DroppedItem{1, DroppedItem::kImageTooLarge, 1234567, 8};
  const std::wstring text = ComposeDroppedItemsMessage(many, 3);
  EXPECT_EQ(text, L"Page 1: an image of 1,234,567 x 8 pixels was left out\n"
                  L"Page 2: the page holds more than a page can show and was simplified\n"
                  L"Page 3: the page holds more than a page can show and was simplified\n(and 9 more)");
  EXPECT_EQ(ComposeDroppedItemsMessage({}), L"");
}

// What the engine read past on a page (an object nested too deep to read, a font program that
// does not load) reaches the document's list under the page that draws it (not every page that
// shares the resources), once however often the page is read.
TEST(PdfImportDocument, PartsThatCannotBeReadAreListedUnderTheirPage) {
  lwtest::PdfBuilder b;
  const int deep = b.Add("<< /Deep " + std::string(20000, '[') + std::string(20000, ']') + " >>");
  const int program = b.AddStream("", std::string(400, 'x'));
  const int desc = b.Add("<< /Type /FontDescriptor /FontName /Junk /Flags 32 /FontBBox [0 0 1000 1000] /ItalicAngle 0 "
                         "/Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 " +
                         std::to_string(program) + " 0 R >>");
  const int font = b.Add("<< /Type /Font /Subtype /TrueType /BaseFont /Junk /FirstChar 65 /LastChar 90 /Widths [" +
                         [] { std::string w; for (int i = 65; i <= 90; ++i) w += "600 "; return w; }() +
                         "] /FontDescriptor " + std::to_string(desc) + " 0 R >>");
  const auto pdf = b.FinishPages({"0 0 1 rg 5 5 20 20 re f", "q 1 0 0 1 0 0 cm /X1 Do Q 5 5 20 20 re f",
                                  "BT /F1 12 Tf 72 700 Td (ABC) Tj ET"},
                                 "<< /XObject << /X1 " + std::to_string(deep) + " 0 R >> /Font << /F1 " +
                                     std::to_string(font) + " 0 R >> >>");
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "damaged.pdf", pdf);
  auto* source = new CCachePdfPageContent((dir / "damaged.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    for (int round = 0; round < 2; ++round) {
      for (int i = 0; i < 3; ++i) {
        CDrawingPage page;
        page.AddRef();
        EXPECT_TRUE(source->LoadPageContent(&page, i + 1, &doc)) << i;
        EXPECT_GT(page.GetRenderObjectList().GetCount(), 0) << i;
      }
    }
    EXPECT_EQ(ComposeDroppedItemsMessage(doc.TakeDroppedItems()),
              L"Page 2: part of the page cannot be read and was left out\n"
              L"Page 3: a font that cannot be read was left out");
  }
  source->Release();
}
