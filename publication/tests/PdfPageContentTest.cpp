#include <gtest/gtest.h>

#include <string>

#include <gdiplus/gdiplus.h>
#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <vectorloom/BitmapRes.h>
#include <vectorloom/ShapeObj.h>

#include "PdfFixtures.h"
#include "TestSupport.h"

using Vectorloom::CCustomPathObj;
using Vectorloom::CExternalBmpResObj;
using Vectorloom::CQorVectorPoint;

namespace {

class CTextDoc : public CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return CPublicationDoc::CreateNewObject(type);
  }
};

// What one loaded page holds, gathered by kind.
struct PageContent {
  std::wstring text;
  std::vector<CDDrawTextObj*> texts;
  std::vector<CCustomPathObj*> images;
  std::vector<CCustomPathObj*> paths;
};

PageContent Gather(CDrawingPage& page) {
  PageContent out;
  for (Vectorloom::CRenderBaseObj* obj : page.GetRenderObjectList()) {
    if (auto* text = dynamic_cast<CDDrawTextObj*>(obj)) {
      out.texts.push_back(text);
      out.text += text->GetCharacters(0, -1);
    } else if (auto* shape = dynamic_cast<CCustomPathObj*>(obj)) {
      (shape->GetFillKind() == Vectorloom::RENDER_KIND_BITMAP ? out.images : out.paths).push_back(shape);
    }
  }
  return out;
}

// A document of the file's pages, each bound to one source over the file.
struct OpenedPdf {
  explicit OpenedPdf(const std::vector<uint8_t>& bytes) {
    lwtest::WriteFileBytes(dir / "in.pdf", bytes);
    source = new CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
    source->AddRef();
    for (int i = 0; i < source->GetPagesCount(); ++i) {
      auto* page = new CDrawingPage;
      page->SetPageSourceContent(source);
      page->SetPageSourceIndex(i);
      doc.GetRenderPagesArray().AddPage(page);
    }
  }
  ~OpenedPdf() { source->Release(); }
  CDrawingPage& Load(int index) {
    CDrawingPage* page = doc.GetDrawingPage(index);
    EXPECT_TRUE(page->LoadPageContent(&doc));
    return *page;
  }

  lwtest::TempDir dir;
  CTextDoc doc;
  CCachePdfPageContent* source = nullptr;
};

TEST(PdfPageContent, CairoPageBuildsTextWithEmbeddedFontPathsAndImage) {
  OpenedPdf pdf(lwtest::MakeCairoPdf(3));
  ASSERT_EQ(pdf.source->GetPagesCount(), 3);
  CDrawingPage& page = pdf.Load(1);
  EXPECT_FLOAT_EQ(page.GetLogWidth(), 612);
  EXPECT_FLOAT_EQ(page.GetLogHeight(), 792);
  EXPECT_TRUE(page.IsNeedIntegrateTexts());

  PageContent content = Gather(page);
  EXPECT_EQ(content.text, L"Hello page 2");
  ASSERT_FALSE(content.texts.empty());
  CDDrawTextObj* first = content.texts.front();
  const auto& ch = first->GetArrayOfTextCharacters()[0];
  EXPECT_NEAR(ch.GetFontPointSize(), 24, 1e-3);
  EXPECT_EQ(ch.GetRenderColor(), 0u);
  EXPECT_NE(ch.GetCharGlyphPath(), nullptr);  // the glyph was built from the embedded program
  const int fontId = first->GetFontRuns().GetAt(0).m_FontDesc.GetEmbedFontID();
  const auto* font = pdf.doc.GetEmbedFontResManager()->FindEmbedFontResource(fontId);
  ASSERT_NE(font, nullptr);
  ASSERT_NE(font->GetEmbedPdfFontContent(), nullptr);
  EXPECT_FALSE(font->GetEmbedPdfFontContent()->m_vProgram.empty());
  EXPECT_TRUE(font->GetEmbedFontFlag() == kPdfEmbeddedSimple || font->GetEmbedFontFlag() == kPdfEmbeddedComposite);
  // Normalised: one row, a pure translation, the box above the baseline at the PDF's (100, 700).
  const auto& m = first->GetTransMatrix();
  EXPECT_FLOAT_EQ(m.m11, 1);
  EXPECT_FLOAT_EQ(m.m22, 1);
  ASSERT_EQ(first->GetParagraphsLinesInfo().GetSize(), 1);
  const float ascent = first->GetParagraphsLinesInfo().GetAt(0).m_fAscent;
  EXPECT_NEAR(ascent, 24 * 1.33f * 0.905f, 1.5);  // Liberation Sans ascent 0.905 em
  const CQorVectorPoint<float> baseline = m.Transform(CQorVectorPoint<float>(0, ascent));
  EXPECT_NEAR(baseline.x, 133.0f, 0.05);
  EXPECT_NEAR(baseline.y, 122.36f, 0.05);
  EXPECT_NEAR(ch.GetCharXScale(), 0.9975f, 1e-4);  // 0.75 x 1.33 folded in
  EXPECT_GT(first->GetLayoutBox().cx, 24 * 1.33f * 3);
  EXPECT_GT(first->GetLayoutBox().cy, ascent);

  // The red rectangle (100, 100)-(200, 150) stroked blue lands at 1.33 x its points, y down.
  CCustomPathObj* red = nullptr;
  for (CCustomPathObj* p : content.paths)
    if (p->GetFillInsideFlag() && p->GetFillColor() == 0x0000FFu) red = p;
  ASSERT_NE(red, nullptr);
  const auto box = red->GetPathBoundRect(&red->GetTransMatrix());
  EXPECT_NEAR(box.left, 133.0f, 0.1);
  EXPECT_NEAR(box.top, (792 - 150) * 1.33f, 0.1);
  EXPECT_NEAR(box.right, 266.0f, 0.1);

  // The 4 x 2 image, row 0 (red, green, blue, white) on top.
  CCustomPathObj* image = nullptr;
  for (CCustomPathObj* p : content.images) {
    Gdiplus::Bitmap* b = p->GetFillDefinition().GetRenderBitmap()->GetGdiBitmap();
    if (b && b->GetWidth() == 4 && b->GetHeight() == 2) image = p;
  }
  ASSERT_NE(image, nullptr);
  auto* res = dynamic_cast<CExternalBmpResObj*>(image->GetFillDefinition().GetRenderBitmap());
  ASSERT_NE(res, nullptr);
  EXPECT_EQ(std::wstring(res->GetPathName().GetString()).rfind(L"PDF_Parse_Implement", 0), 0u);
  Gdiplus::Color colour;
  res->GetGdiBitmap()->GetPixel(0, 0, &colour);
  EXPECT_GT(colour.GetR(), 200);
  EXPECT_LT(colour.GetB(), 50);
  const auto ibox = image->GetPathBoundRect(&image->GetTransMatrix());
  EXPECT_NEAR(ibox.left, 133.0f, 0.1);
  EXPECT_NEAR(ibox.top, (792 - 340) * 1.33f, 0.1);
  EXPECT_NEAR(ibox.bottom, (792 - 300) * 1.33f, 0.1);
}

TEST(PdfPageContent, StandardFontTextAndJpegImage) {
  OpenedPdf pdf(lwtest::MakeHandWrittenPdf());
  ASSERT_EQ(pdf.source->GetPagesCount(), 1);
  PageContent content = Gather(pdf.Load(0));
  std::wstring letters;
  for (wchar_t c : content.text)
    if (c != L' ') letters += c;
  EXPECT_EQ(letters, L"HelloWorld");
  ASSERT_FALSE(content.texts.empty());
  EXPECT_EQ(content.texts.front()->GetFontRuns().GetAt(0).m_FontDesc.GetFontFaceNameW(), L"Nimbus Sans");  // Helvetica

  ASSERT_EQ(content.images.size(), 1u);
  Gdiplus::Bitmap* bitmap = content.images[0]->GetFillDefinition().GetRenderBitmap()->GetGdiBitmap();
  ASSERT_NE(bitmap, nullptr);
  EXPECT_EQ(bitmap->GetWidth(), 16u);
  EXPECT_EQ(bitmap->GetHeight(), 8u);
  const auto box = content.images[0]->GetPathBoundRect(&content.images[0]->GetTransMatrix());
  EXPECT_NEAR(box.left, 72 * 1.33f, 0.1);
  EXPECT_NEAR(box.right, 232 * 1.33f, 0.1);
  EXPECT_NEAR(box.top, (792 - 580) * 1.33f, 0.1);
}

// Where of character `index` of an unturned text lands on the page, in page units.
float CharPageX(CDDrawTextObj& text, int index) {
  const auto& m = text.GetTransMatrix();
  return m.dx + text.GetArrayOfTextCharacters()[static_cast<size_t>(index)].GetCharOffset().x * m.m11;
}

// Words the PDF places by gaps come in with a space between them, and the glyphs after the space
// stay where the PDF draws them, whatever width the space has in the font that lays it out.
TEST(PdfPageContent, WordGapsBecomeSpacesAndEveryGlyphKeepsItsPlace) {
  lwtest::PdfBuilder b;
  const int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  // "one" is 1.668 em wide and "two" 1.556 em: "two" starts 26.68 pt and "six" 55.56 pt after x = 72.
  OpenedPdf pdf(b.FinishPages({"BT /F1 10 Tf 72 700 Td [(one) -1000 (two) -1332 (six)] TJ ET"},
                              "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
  PageContent content = Gather(pdf.Load(0));
  ASSERT_EQ(content.texts.size(), 1u);
  EXPECT_EQ(content.text, L"one two six");
  CDDrawTextObj& text = *content.texts[0];
  EXPECT_NEAR(CharPageX(text, 0), 72 * 1.33f, 0.15);
  EXPECT_NEAR(CharPageX(text, 4), (72 + 26.68f) * 1.33f, 0.15);
  EXPECT_NEAR(CharPageX(text, 8), (72 + 55.56f) * 1.33f, 0.15);
}

// A glyph is drawn as large as it is placed: along a long line of one text, every glyph lands
// where the PDF puts it and advances by its width in the PDF.
TEST(PdfPageContent, GlyphSizeAndPlacementAgreeAlongALine) {
  lwtest::PdfBuilder b;
  const int font = b.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  OpenedPdf pdf(b.FinishPages({"BT /F1 10 Tf 40 700 Td (" + std::string(90, 'o') + ") Tj ET"},
                              "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>"));
  PageContent content = Gather(pdf.Load(0));
  ASSERT_EQ(content.texts.size(), 1u);
  CDDrawTextObj& text = *content.texts[0];
  const float width = 5.56f * 1.33f;  // "o" is 0.556 em in Helvetica and its metric twins
  for (const int i : {0, 1, 45, 89}) {
    SCOPED_TRACE(i);
    EXPECT_NEAR(CharPageX(text, i), (40 + 5.56f * i) * 1.33f, 0.02);
    EXPECT_NEAR(text.GetArrayOfTextCharacters()[static_cast<size_t>(i)].GetIncreaseDeltaX() * text.GetTransMatrix().m11,
                width, 0.005);
  }
}

// Fonts that are not embedded are drawn from a system face whose widths are not the PDF's: every
// glyph still lands where the PDF puts it, whatever face draws it. Here every width is 0.6 em.
TEST(PdfPageContent, GlyphsOfFontsNotEmbeddedLandWhereThePdfPutsThem) {
  for (const char* font : {"/TrueType /BaseFont /Arial,Bold", "/Type1 /BaseFont /Times-Italic",
                           "/Type1 /BaseFont /Helvetica"}) {
    SCOPED_TRACE(font);
    lwtest::PdfBuilder b;
    std::string widths;
    for (int c = 32; c <= 126; ++c) widths += " 600";
    const int f = b.Add(std::string("<< /Type /Font /Subtype ") + font +
                        " /FirstChar 32 /LastChar 126 /Widths [" + widths + "] /Encoding /WinAnsiEncoding >>");
    OpenedPdf pdf(b.FinishPages({"BT /F1 14 Tf 40 700 Td (Wide and narrow: iiii WWWW mmmm llll.) Tj ET"},
                                "<< /Font << /F1 " + std::to_string(f) + " 0 R >> >>"));
    PageContent content = Gather(pdf.Load(0));
    ASSERT_EQ(content.texts.size(), 1u);
    CDDrawTextObj& text = *content.texts[0];
    for (const int i : {1, 5, 20, 25, 30, 36}) EXPECT_NEAR(CharPageX(text, i), (40 + 8.4f * i) * 1.33f, 0.05) << i;
  }
}

TEST(PdfPageContent, MissingOrDamagedFilesAndPagesOutOfRangeFail) {
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "bad.pdf", {'%', 'P', 'D', 'F', '-', '1', '.', '4', '\n', 'x'});
  for (const char* name : {"missing.pdf", "bad.pdf"}) {
    auto* source = new CCachePdfPageContent((dir / name).wstring().c_str());
    source->AddRef();
    EXPECT_LT(source->GetPagesCount(), 1) << name;
    CTextDoc doc;
    CDrawingPage page;
    EXPECT_FALSE(source->LoadPageContent(&page, 1, &doc)) << name;
    EXPECT_FALSE(page.IsNeedIntegrateTexts());
    source->Release();
  }
  OpenedPdf pdf(lwtest::MakeCairoPdf(1));
  CDrawingPage page;
  EXPECT_FALSE(pdf.source->LoadPageContent(&page, 0, &pdf.doc));
  EXPECT_FALSE(pdf.source->LoadPageContent(&page, 2, &pdf.doc));
  EXPECT_FALSE(pdf.source->LoadPageContent(nullptr, 1, &pdf.doc));
}

}  // namespace
