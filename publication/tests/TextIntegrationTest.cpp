#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <quirebook/DDrawTextObj.h>
#include <quirebook/PdfPageParser.h>
#include <quirebook/PublicationDoc.h>
#include <gdi/wingdi.h>
#include <glyphweave/FontCacheManager.h>

#include "PdfFixtures.h"
#include "TestSupport.h"

namespace {

using Quirebook::CDrawingPage;
using Rect = Vectorloom::CQorVectorRect<float>;

// One font cache and screen DC for all texts of a test binary.
struct Fonts {
  Fonts() : dc(GetDC(nullptr)) {}
  ~Fonts() { ReleaseDC(nullptr, dc); }
  GlyphweaveLib::CFontCacheManager cache;
  HDC dc;
};
Fonts& SharedFonts() {
  static Fonts fonts;
  return fonts;
}

// An imported-looking text: one row with real glyphs, its box's top-left corner at (x, y).
CDDrawTextObj* MakeText(const wchar_t* s, float x, float y, float size = 16) {
  auto* text = new CDDrawTextObj;
  GlyphweaveLib::CRichFontDesc font;
  font.SetFontFaceName(L"DejaVu Sans");
  font.m_fFontSize = size;
  text->SetLayoutBox(1000, 100);
  text->InsertString(0, s, -1, SharedFonts().dc, font, nullptr, &SharedFonts().cache);
  text->SetTransMatrix({1, 0, 0, 1, 0, 0}, false);
  text->NormalizePDFText(false);
  text->SetTransMatrix({1, 0, 0, 1, x, y}, false);
  return text;
}

float Width(const wchar_t* s) {
  CDDrawTextObj* t = MakeText(s, 0, 0);
  t->AddRef();
  const float w = t->GetLayoutBox().cx;
  t->Release();
  return w;
}

// Page x of each glyph's origin.
std::vector<float> GlyphXs(const CDDrawTextObj& t) {
  std::vector<float> xs;
  for (const auto& ch : t.GetArrayOfTextCharacters())
    if (ch.GetCharacter() != 13) xs.push_back(t.GetTransMatrix().dx + ch.GetCharOffset().x);
  return xs;
}

// A document that makes the page's text objects.
class CTextDoc : public Quirebook::CPublicationDoc {
 public:
  Vectorloom::CRenderBaseObj* CreateNewObject(int type) override {
    if (type == Vectorloom::RENDER_OBJ_TEXT) return new CDDrawTextObj;
    return Quirebook::CPublicationDoc::CreateNewObject(type);
  }
};

class Box : public Vectorloom::CRenderBaseObj {
 public:
  explicit Box(Rect r) : m_rect(r) {}
  Vectorloom::CQorVectorRect<float> GetObjectBox() const override { return m_rect; }

 private:
  Rect m_rect;
};

std::wstring Text(const Vectorloom::CRenderBaseObj* obj) {
  if (auto* t = dynamic_cast<const CDDrawTextObj*>(obj)) {
    std::wstring s = t->GetCharacters(0, -1);
    for (auto& c : s)
      if (c == 13) c = L'|';
    return s;
  }
  return L"<box>";
}

std::vector<std::wstring> PageTexts(const CDrawingPage& page) {
  std::vector<std::wstring> out;
  for (auto* obj : page.GetRenderObjectList()) out.push_back(Text(obj));
  return out;
}

TEST(ConnectTextObjRunline, JoinsTwoWordsWithoutMovingAGlyph) {
  const float hello = Width(L"Hello "), helloBare = Width(L"Hello");
  const float space = hello - helloBare;
  struct Case {
    const char* name;
    const wchar_t* left;
    const wchar_t* right;
    float rightX;      // page x of the right text
    bool callOnRight;  // the right-hand object is the survivor
    std::wstring expect;
  } cases[] = {
      {"gap kept as a shift", L"Hello", L"World", 10 + helloBare + 8, false, L"HelloWorld"},
      {"survivor on the right", L"Hello", L"World", 10 + helloBare + 8, true, L"HelloWorld"},
      {"overlapped trailing space dropped", L"Hello ", L"World", 10 + hello - space / 2, false, L"HelloWorld"},
      {"overlapped leading space dropped", L"Hello", L" World", 10 + helloBare - space / 2, false, L"HelloWorld"},
      {"space clear of the overlap stays", L"Hello ", L"World", 10 + hello + 2, false, L"Hello World"},
      {"texts that only touch keep their space", L"Hello ", L"World", 10 + hello - 0.2f, false, L"Hello World"},
  };
  for (const Case& c : cases) {
    CDDrawTextObj* left = MakeText(c.left, 10, 20);
    CDDrawTextObj* right = MakeText(c.right, c.rightX, 20);
    left->AddRef();
    right->AddRef();
    std::vector<float> before = GlyphXs(*left);
    std::vector<float> rightXs = GlyphXs(*right);
    CDDrawTextObj* survivor = c.callOnRight ? right : left;
    EXPECT_TRUE(survivor->ConnectTextObjRunline(c.callOnRight ? left : right));
    EXPECT_EQ(survivor->GetCharacters(0, -1), c.expect) << c.name;
    EXPECT_FLOAT_EQ(survivor->GetTransMatrix().dx, 10) << c.name;
    ASSERT_EQ(survivor->GetParagraphsLinesInfo().GetSize(), 1) << c.name;
    // The right text's last glyph and the left text's first stay where they were.
    const std::vector<float> after = GlyphXs(*survivor);
    EXPECT_NEAR(after.front(), before.front(), 1e-3) << c.name;
    EXPECT_NEAR(after.back(), rightXs.back(), 1e-3) << c.name;
    int total = 0;
    for (int i = 0; i < survivor->GetFontRuns().GetSize(); ++i) total += survivor->GetFontRuns().GetAt(i).m_nLength;
    EXPECT_EQ(total, static_cast<int>(survivor->GetArrayOfTextCharacters().size())) << c.name;
    left->Release();
    right->Release();
  }
}

TEST(ConnectTextObjInblock, StacksRowsWithCarriageReturnsAndKeepsRowGaps) {
  for (bool callOnLower : {false, true}) {
    CDDrawTextObj* upper = MakeText(L"Hello", 10, 20);
    const float h = upper->GetLayoutBox().cy;
    CDDrawTextObj* lower = MakeText(L"World", 14, 20 + h + 4);
    lower->SetRowGap(0, 7);  // a gap the lower text carries must follow its rows
    upper->AddRef();
    lower->AddRef();
    CDDrawTextObj* survivor = callOnLower ? lower : upper;
    EXPECT_TRUE(survivor->ConnectTextObjInblock(callOnLower ? upper : lower));
    EXPECT_EQ(survivor->GetCharacters(0, -1), L"Hello\rWorld\r");
    EXPECT_FLOAT_EQ(survivor->GetTransMatrix().dx, 10);
    EXPECT_FLOAT_EQ(survivor->GetTransMatrix().dy, 20);
    EXPECT_NEAR(survivor->GetRowGap(0), 4, 1e-4);
    EXPECT_FLOAT_EQ(survivor->GetRowGap(1), 7);
    EXPECT_EQ(survivor->GetParagraphsLinesInfo().GetSize(), 2);
    // The lower row keeps its indent of 4.
    const auto& w = survivor->GetArrayOfTextCharacters()[6];
    EXPECT_FLOAT_EQ(w.GetHorizontalShift(), 4);
    upper->Release();
    lower->Release();
  }
}

TEST(ConnectTextObjInblock, RowsOfABlockJoinedLineByLineStayWhereTheyWere) {
  CDDrawTextObj* block = MakeText(L"Line 0", 10, 20);
  block->AddRef();
  const float h = block->GetLayoutBox().cy, ascent = block->GetParagraphsLinesInfo().GetAt(0).m_fAscent;
  const float pitch = h + 3;
  for (int i = 1; i < 8; ++i) {
    CDDrawTextObj* line = MakeText((L"Line " + std::to_wstring(i)).c_str(), 10, 20 + i * pitch);
    line->AddRef();
    EXPECT_TRUE(block->ConnectTextObjInblock(line));
    line->Release();
  }
  // Each row's baseline on the page, from the first glyph of the row.
  const auto& chars = block->GetArrayOfTextCharacters();
  const auto& rows = block->GetParagraphsLinesInfo();
  ASSERT_EQ(rows.GetSize(), 8);
  size_t first = 0;
  for (int r = 0; r < rows.GetSize(); ++r) {
    EXPECT_NEAR(block->GetTransMatrix().dy + chars[first].GetCharOffset().y, 20 + r * pitch + ascent, 1e-3) << r;
    first += rows.GetAt(r).m_nCharCount;
  }
  block->Release();
}

TEST(IntegrateTexts, GroupsPiecesIntoLinesAndBlocks) {
  const float hello = Width(L"Hello");
  CDDrawTextObj* probe = MakeText(L"Hello", 0, 0);
  probe->AddRef();
  const float h = probe->GetLayoutBox().cy;
  probe->Release();
  const float near = 10 + hello + 6;   // about one character further
  const float far = 10 + hello + 200;  // far beyond six characters

  struct Piece {
    const wchar_t* text;  // nullptr: a box
    float x, y;
    Rect box;
  };
  struct Case {
    const char* name;
    std::vector<Piece> pieces;
    std::vector<std::wstring> expect;
  } cases[] = {
      {"two words one line", {{L"Hello", 10, 20, {}}, {L"World", near, 20, {}}}, {L"HelloWorld"}},
      {"box across the gap",
       {{L"Hello", 10, 20, {}}, {L"World", near, 20, {}}, {nullptr, 0, 0, {10 + hello + 1, 10, near - 1, 60}}},
       // The box touches no glyph, so it goes back at once, below the pending texts.
       {L"<box>", L"Hello", L"World"}},
      {"far apart", {{L"Hello", 10, 20, {}}, {L"World", far, 20, {}}}, {L"Hello", L"World"}},
      {"two lines make a block", {{L"Hello", 10, 20, {}}, {L"World", 10, 20 + h + 2, {}}}, {L"Hello|World|"}},
      {"gutter between columns",
       {{L"Aa", 10, 20, {}},
        {L"Bb", 70, 20, {}},
        {L"Cc", 10, 20 + h + 2, {}},
        {L"Dd", 70, 20 + h + 2, {}},
        {L"Ee", 10, 20 + 2 * (h + 2), {}},
        {L"Ff", 70, 20 + 2 * (h + 2), {}}},
       {L"Aa|Cc|Ee|", L"Bb|Dd|Ff|"}},
      {"two lines are not yet a gutter",
       {{L"Aa", 10, 20, {}}, {L"Bb", 70, 20, {}}, {L"Cc", 10, 20 + h + 2, {}}, {L"Dd", 70, 20 + h + 2, {}}},
       {L"AaBb|CcDd|"}},
      {"drawing between keeps the stacking order",
       {{L"Hello", 10, 20, {}}, {nullptr, 0, 0, {0, 0, 100, 100}}, {L"World", 300, 300, {}}},
       {L"Hello", L"<box>", L"World"}},
  };
  for (const Case& c : cases) {
    CDrawingPage page;
    for (const Piece& p : c.pieces) {
      if (p.text)
        page.AddShapeObject(MakeText(p.text, p.x, p.y));
      else
        page.AddShapeObject(new Box(p.box));
    }
    page.IntegrateTexts();
    EXPECT_EQ(PageTexts(page), c.expect) << c.name;
  }
}

TEST(IntegrateTexts, EmptyBoxesRotatedTextsAndFlatTexts) {
  CDrawingPage page;
  page.AddShapeObject(new CDDrawTextObj);  // nothing at all: an import leftover, dropped
  CDDrawTextObj* rotated = MakeText(L"Up", 10, 20);
  rotated->SetTransMatrix({0, 1, -1, 0, 10, 20}, false);
  page.AddShapeObject(rotated);
  CDDrawTextObj* flat = MakeText(L"Flat", 10, 300);
  flat->SetLayoutBox(0, 0);  // characters but no box: kept, not lost
  page.AddShapeObject(flat);
  page.AddShapeObject(MakeText(L"Hello", 40, 20));
  page.SetNeedIntegrateTextsFlag(true);
  page.IntegrateTexts();
  EXPECT_EQ(PageTexts(page), (std::vector<std::wstring>{L"Flat", L"Up", L"Hello"}));
  EXPECT_TRUE(page.IsNeedIntegrateTexts());  // the caller clears it
}

TEST(IntegrateTexts, MergesTheLinesOfAnImportedPage) {
  lwtest::PdfBuilder pdf;
  const int font = pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
  const std::string content =
      "BT /F1 12 Tf 72 720 Td (Hello) Tj ET\n"
      "BT /F1 12 Tf 106 720 Td (brave) Tj ET\n"
      "BT /F1 12 Tf 72 706 Td (new) Tj ET\n"
      "BT /F1 12 Tf 96 706 Td (world) Tj ET\n";
  const auto bytes = pdf.FinishPages({content}, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
  lwtest::TempDir dir;
  lwtest::WriteFileBytes(dir / "in.pdf", bytes);
  auto* source = new Quirebook::CCachePdfPageContent((dir / "in.pdf").wstring().c_str());
  source->AddRef();
  {
    CTextDoc doc;
    auto* page = new CDrawingPage;
    page->SetPageSourceContent(source);
    page->SetPageSourceIndex(0);
    doc.GetRenderPagesArray().AddPage(page);
    ASSERT_TRUE(page->LoadPageContent(&doc));
    ASSERT_TRUE(page->IsNeedIntegrateTexts());
    const int before = page->GetRenderObjectList().GetCount();
    page->IntegrateTexts();
    const std::vector<std::wstring> texts = PageTexts(*page);
    ASSERT_EQ(texts.size(), 1u) << "from " << before;
    std::wstring letters;
    for (wchar_t c : texts[0])
      if (c != L' ') letters += c;
    EXPECT_EQ(letters, L"Hellobrave|newworld|");
  }
  source->Release();
}

}  // namespace
