// Fonts belong to the document and the file they came with: a PDF opened after another one (by
// Open, or New and then Open), or a document that takes text pasted from another, draws and
// exports its own text exactly as when it is opened alone, even when both files carry different
// subsets of one face under the same name and object number.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gdiplus/gdiplus.h>
#include <pressmark/PdfExport.h>

#include "ClipboardStream.h"
#include "DocTestKit.h"
#include "LeafwrightDoc.h"
#include "LfwTestKit.h"
#include "PageTextObj.h"
#include "TexLikePdf.h"

using namespace lfwtest;
using namespace Vectorloom;
using doctest::Bytes;

namespace {

// A: a subset of the lowercase letters a to m; B: every letter, digit and stop, two fonts (the
// second from page 33 on, object 2). Both subsets are "QXKVCR+NimbusRom-Regular", object 1.
Bytes FileA() {
  lwtest::TexLikeOptions o;
  o.letters = "abcdefghijklm";
  o.ligatures = false;
  o.seed = 7;
  return lwtest::MakeTexLikePdf(o).bytes;
}
Bytes FileB() {
  lwtest::TexLikeOptions o;
  o.pages = 34;
  o.columns = 1;
  o.seed = 3;
  o.second_font_page = 32;
  return lwtest::MakeTexLikePdf(o).bytes;
}

// The page as the editing view shows it (texts merged first), at 96 dots per inch, as BGRA bytes.
std::vector<uint8_t> Drawing(CDrawingPage* page, CPublicationDoc& doc) {
  EXPECT_TRUE(page->LoadPageContent(&doc));
  if (page->IsNeedIntegrateTexts()) {
    page->IntegrateTexts();
    page->SetNeedIntegrateTextsFlag(false);
  }
  const int w = static_cast<int>(page->GetLogWidth() * 96 / 72 + 0.5f);
  const int h = static_cast<int>(page->GetLogHeight() * 96 / 72 + 0.5f);
  Gdiplus::Bitmap canvas(w, h, Gdiplus::PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(&canvas);
    g.Clear(Gdiplus::Color(255, 255, 255, 255));
    g.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    page->DrawAllObjects(&g, Gdiplus::Matrix(1, 0, 0, 1, 0, 0));
  }
  std::vector<uint8_t> out(static_cast<size_t>(w) * h * 4);
  Gdiplus::BitmapData data;
  const Gdiplus::Rect all(0, 0, w, h);
  if (canvas.LockBits(&all, Gdiplus::ImageLockModeRead, Gdiplus::PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    ADD_FAILURE() << "the canvas could not be read";
    return out;
  }
  for (int y = 0; y < h; ++y)
    std::memcpy(out.data() + static_cast<size_t>(y) * w * 4,
                static_cast<const uint8_t*>(data.Scan0) + static_cast<ptrdiff_t>(y) * data.Stride, static_cast<size_t>(w) * 4);
  canvas.UnlockBits(&data);
  return out;
}

// Pixels that are not paper.
long Ink(const std::vector<uint8_t>& bgra) {
  long n = 0;
  for (size_t i = 0; i + 3 < bgra.size(); i += 4) n += bgra[i] < 128 ? 1 : 0;
  return n;
}

struct DocumentFonts : ::testing::Test {
  void SetUp() override {
    TestHome();
    savedHooks = CDocument::Hooks();
    CDocument::Hooks().pfnMessageBox = [](const wchar_t*, UINT) { return IDOK; };
    CDocument::Hooks().pfnAddToRecentFileList = nullptr;
    savedShell = CLeafwrightDoc::ShellHooks();
    CLeafwrightDoc::ShellHooks() = {};
    a = dir / "a.pdf";
    b = dir / "b.pdf";
    lwtest::WriteFileBytes(a, FileA());
    lwtest::WriteFileBytes(b, FileB());
  }
  void TearDown() override {
    CDocument::Hooks() = savedHooks;
    CLeafwrightDoc::ShellHooks() = savedShell;
  }
  std::unique_ptr<CLeafwrightDoc> NewDoc() {
    auto doc = std::make_unique<CLeafwrightDoc>();
    doc->m_bAutoDelete = FALSE;
    return doc;
  }
  static void Open(CLeafwrightDoc& doc, const fs::path& p) { ASSERT_TRUE(doc.OnOpenDocument(W(p).c_str())); }
  // The drawing of every page given, then the PDF export of the whole document.
  struct Look {
    std::vector<std::vector<uint8_t>> pages;
    Bytes exported;
  };
  Look LookAt(CLeafwrightDoc& doc, const std::vector<int>& pages, const char* name) {
    Look look;
    for (int i : pages) look.pages.push_back(Drawing(doc.GetDrawingPage(i), doc));
    const fs::path out = dir / (std::string(name) + ".pdf");
    EXPECT_TRUE(SaveDocumentAsPdfDocument(&doc, W(out).c_str(), nullptr)) << name;
    look.exported = lwtest::ReadFileBytes(out);
    return look;
  }
  static void ExpectSame(const Look& alone, const Look& seen, const char* how) {
    ASSERT_EQ(alone.pages.size(), seen.pages.size());
    for (size_t i = 0; i < alone.pages.size(); ++i) {
      EXPECT_GT(Ink(alone.pages[i]), 1000) << how << ": page " << i << " of B alone draws its text";
      EXPECT_TRUE(alone.pages[i] == seen.pages[i]) << how << ": page " << i << " is drawn otherwise";
    }
    EXPECT_FALSE(alone.exported.empty());
    EXPECT_TRUE(alone.exported == seen.exported) << how << ": the export differs";
  }

  lwtest::TempDir tmp;
  fs::path dir = tmp.path();
  fs::path a, b;
  CDocumentHooks savedHooks;
  CLeafwrightDoc::CShellHooks savedShell;
};

TEST_F(DocumentFonts, AFileOpenedAfterAnotherIsDrawnAndExportedAsWhenOpenedAlone) {
  Look alone;
  {
    auto doc = NewDoc();
    Open(*doc, b);
    alone = LookAt(*doc, {0, 33}, "alone");
  }
  {
    auto doc = NewDoc();
    Open(*doc, a);
    Drawing(doc->GetDrawingPage(0), *doc);
    Open(*doc, b);
    ExpectSame(alone, LookAt(*doc, {0, 33}, "after-open"), "B opened after A");
  }
  {
    auto doc = NewDoc();
    Open(*doc, a);
    Drawing(doc->GetDrawingPage(0), *doc);
    ASSERT_TRUE(doc->OnNewDocument());
    EXPECT_EQ(doc->GetEmbedFontResManager()->GetCount(), 0) << "New keeps no font of the file before";
    EXPECT_EQ(doc->GetFontGlyphCacheManager()->GetCount(), 0) << "New keeps no glyph of the file before";
    Open(*doc, b);
    ExpectSame(alone, LookAt(*doc, {0, 33}, "after-new"), "B opened after A and New");
  }
}

// A's text pasted into B takes a new id for its font, which B's second font (object 2, first met
// on page 33, read after the paste) must not be mistaken for.
TEST_F(DocumentFonts, TextPastedFromAnotherFileLeavesTheFilesFontsTheirOwn) {
  Look alone;
  {
    auto doc = NewDoc();
    Open(*doc, b);
    alone = LookAt(*doc, {0, 33}, "alone");
  }
  auto from = NewDoc();
  Open(*from, a);
  CRenderBaseObjectList copied;
  for (CRenderBaseObj* obj : from->GetDrawingPage(0)->GetRenderObjectList()) copied.AddElement(obj);
  ASSERT_GT(copied.GetCount(), 0);
  Bytes stream;
  ASSERT_TRUE(WriteClipboardStream(copied, *from, stream));

  auto doc = NewDoc();
  Open(*doc, b);
  ASSERT_FALSE(doc->GetDrawingPage(33)->IsPageContentLoaded()) << "page 34 is read after the paste";
  CRenderBaseObjectList pasted;
  int skipped = 0;
  ASSERT_TRUE(ReadClipboardStream(stream.data(), stream.size(), *doc, pasted, &skipped));
  ASSERT_GT(pasted.GetCount(), 0);
  // The pasted text keeps A's subset.
  auto* text = dynamic_cast<CPageTextObj*>(pasted[0]);
  ASSERT_NE(text, nullptr);
  const auto* font = doc->GetEmbedFontResManager()->FindEmbedFontResource(text->GetFontRunDesc(0).GetEmbedFontID());
  const auto* source = from->GetEmbedFontResManager()->GetAt(0);
  ASSERT_NE(font, nullptr);
  ASSERT_NE(source, nullptr);
  EXPECT_TRUE(font->GetEmbedPdfFontContent()->m_vProgram == source->GetEmbedPdfFontContent()->m_vProgram);

  ExpectSame(alone, LookAt(*doc, {0, 33}, "after-paste"), "B after a paste from A");
}

}  // namespace
